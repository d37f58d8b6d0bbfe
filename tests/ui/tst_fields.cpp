// Entry fields: the keys and pastes a field takes, the leaving rules of numeric fields, and the
// select-all on focus of every field.

#include "testenv.h"
#include "ui/fields.h"
#include "ui/msgboxhr.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

using kl::NumericField;
using kl::TextField;
using kl::test::dataRow;

namespace {

// A window with the field under test and a plain line edit to move the focus to.
struct Form {
    QWidget window;
    QLineEdit* other = new QLineEdit(&window);

    explicit Form(QWidget* field) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(field);
        layout->addWidget(other);
        window.show();
        window.activateWindow();
    }
    bool ready() { return QTest::qWaitForWindowActive(&window); }
};

// Types `keys` into the field; '<' stands for Backspace.
void type(QWidget* field, const QString& keys) {
    for (QChar c : keys)
        c == u'<' ? QTest::keyClick(field, Qt::Key_Backspace)
                  : QTest::keyClick(field, c.toLatin1());
}

}  // namespace

class TstFields : public QObject {
    Q_OBJECT

  private slots:
    void input_data() {
        QTest::addColumn<bool>("textField");  // a TextField, else a NumericField
        QTest::addColumn<QString>("start");   // typing replaces it (selected); a paste follows it
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QString>("expected");

        dataRow("digits", false, "", "1234567890", false, "1234567890");
        dataRow("comma into empty field refused", false, "", ",5", false, "5");
        dataRow("second comma refused", false, "", "1,2,3", false, "1,23");
        dataRow("letters, signs, point, blank refused", false, "", "1a-+.e 2", false, "12");
        dataRow("comma again after deleting it", false, "", "12,<<,5", false, "1,5");
        dataRow("selected 0,00: comma refused, digit replaces", false, "0,00", ",7", false, "7");
        dataRow("paste digits", false, "1", "2,5", true, "12,5");
        dataRow("paste with a letter refused whole", false, "1", "2a3", true, "1");
        dataRow("paste of a second comma refused", false, "1,5", "2,5", true, "1,5");
        dataRow("quotes typed", true, "", "a'b\"c", false, "abc");
        dataRow("quote pasted", true, "abc", "O'Brien", true, "abc");
        dataRow("double quote pasted", true, "abc", "\"Lumen\"", true, "abc");
        dataRow("paste without quotes", true, "abc", " d.o.o.", true, "abc d.o.o.");
    }
    void input() {
        QFETCH(bool, textField);
        QFETCH(QString, start);
        QFETCH(QString, keys);
        QFETCH(bool, pasted);
        QFETCH(QString, expected);
        const std::unique_ptr<QLineEdit> field(textField ? static_cast<QLineEdit*>(new TextField)
                                                         : new NumericField);
        field->setText(start);
        if (pasted) {
            QGuiApplication::clipboard()->setText(keys);
            QTest::keyClick(field.get(), Qt::Key_V, Qt::ControlModifier);
        } else {
            field->selectAll();
            type(field.get(), keys);
        }
        QCOMPARE(field->text(), expected);
    }

    // A full field says so: a refused character or a paste (by Ctrl+V or by the field's menu) that
    // does not fit gives a hint, the paste goes in not at all, and the tool tip of the full field
    // names the limit.
    void limitsShown_data() {
        QTest::addColumn<bool>("textField");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("way");  // typed, Ctrl+V or the menu's paste
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("hint");
        const QString full = "Najviše 5 znakova: polje je puno";
        dataRow("typed into full field", true, "abcd", "ef", "typed", "abcde", full);
        dataRow("typed within limit", true, "ab", "c", "typed", "abc", "");
        dataRow("paste too long refused whole", true, "abc", "def", "Ctrl+V", "abc", full);
        dataRow("paste that fits", true, "abc", "de", "Ctrl+V", "abcde", "");
        dataRow("menu paste too long refused whole", true, "abc", "def", "menu", "abc", full);
        dataRow("menu paste that fits", true, "abc", "de", "menu", "abcde", "");
        dataRow("quote", true, "ab", "'", "typed", "ab", "Znakovi ' i \" ne mogu se upisati");
        dataRow("letter in a number", false, "1", "x", "typed", "1",
                "Upisuju se samo znamenke i jedan decimalni zarez");
    }
    void limitsShown() {
        QFETCH(bool, textField);
        QFETCH(QString, start);
        QFETCH(QString, keys);
        QFETCH(QString, way);
        QFETCH(QString, expected);
        QFETCH(QString, hint);
        QLineEdit* field = textField
                               ? static_cast<QLineEdit*>(new TextField(nullptr, "t", 5, "Ime"))
                               : new NumericField;
        Form form(field);
        QVERIFY(form.ready());
        field->setFocus();
        field->setText(start);
        field->end(false);
        if (way == "typed") {
            type(field, keys);
        } else {
            QGuiApplication::clipboard()->setText(keys);
            if (way == "Ctrl+V") {
                QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
            } else {
                QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(2, 2),
                                            field->mapToGlobal(QPoint(2, 2)));
                QApplication::sendEvent(field, &menuEvent);
                QMenu* menu = nullptr;
                QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
                QAction* paste = nullptr;  // the one with the paste shortcut
                for (QAction* a : menu->actions())
                    if (a->text().endsWith(QKeySequence(QKeySequence::Paste).toString())) paste = a;
                QVERIFY(paste);
                paste->trigger();
                menu->close();
            }
        }
        QCOMPARE(field->text(), expected);
        QCOMPARE(field->property("klHint").toString(), hint);
        if (!textField) return;
        QHelpEvent tip(QEvent::ToolTip, QPoint(2, 2), field->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(field, &tip);
        QCOMPARE(field->toolTip(), QString("Ime"));  // the window's own tip stays as it is
        if (expected.size() == 5) QTRY_COMPARE(QToolTip::text(), QString("Ime\nNajviše 5 znakova"));
        QToolTip::hideText();
    }

    void numericLeave_data() {
        QTest::addColumn<bool>("documentRules");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("message");  // 0 none, 1 scripted, 2 the real dialog ("U redu")

        dataRow("too large, articles: reset", false, "123456", "0,00", 1);
        dataRow("too large, documents: refocus", true, "123456", "123456", 1);
        dataRow("too large, documents, real dialog", true, "123456", "123456", 2);
        dataRow("99999,99 taken", false, "99999,99", "99999,99", 0);
        dataRow("rounds up to 100000,00: refused", true, "99999,995", "99999,995", 1);
        dataRow("leading zeros do not count", true, "0012345", "12345,00", 0);
        dataRow("zero before comma", true, "0,5", "0,50", 0);
        dataRow("empty, articles: 0,00", false, "", "0,00", 0);
        dataRow("empty, documents: stays empty", true, "", "", 0);
    }
    void numericLeave() {
        QFETCH(bool, documentRules);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QFETCH(int, message);
        const bool focusBack = message && documentRules;  // refocus instead of reset

        auto* field = new NumericField;
        if (documentRules) field->setDocumentRules();
        Form form(field);
        QVERIFY(form.ready());
        QSignalSpy finished(field, &NumericField::entryFinished);
        QStringList boxes;  // prompt and title of each box
        int style = -1;
        QTimer pressOk;
        connect(&pressOk, &QTimer::timeout, [&] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                boxes << box->findChild<QLabel*>("msgprompt")->text() << box->windowTitle();
                QTest::mouseClick(box->findChild<QPushButton*>("msgbutton0"), Qt::LeftButton);
            }
        });
        if (message == 2) {
            pressOk.start(20);
        } else {
            kl::setMsgBoxResponder([&](const kl::MsgBoxShown& box) {
                boxes << box.prompt << box.title;
                style = box.style;
                // The box takes the focus and gives it back: that is not a second leave.
                field->setFocus(Qt::OtherFocusReason);
                form.other->setFocus(Qt::OtherFocusReason);
                return kl::MsgResult::Ok;
            });
        }
        const auto restore = qScopeGuard([] { kl::setMsgBoxResponder({}); });

        field->setFocus(Qt::TabFocusReason);
        type(field, typed);
        QTest::keyClick(field, Qt::Key_Tab);
        if (message == 2) QTest::qWait(100);
        QTRY_COMPARE(QApplication::focusWidget(), focusBack ? field : form.other);
        QCOMPARE(field->text(), expected);
        QCOMPARE(boxes.join(u'|'), message ? "Možete upisati samo do 99 999!|Prevelik broj" : "");
        if (message == 1) QCOMPARE(style, 48);
        if (focusBack) QCOMPARE(field->selectedText(), typed);
        QCOMPARE(finished.count(), focusBack ? 0 : 1);
    }

    void selectAllOnFocus_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("byMouse");
        for (const char* kind : {"TextField", "NumericField", "QLineEdit", "QComboBox"}) {
            QTest::addRow("%s, from code", kind) << kind << false;
            QTest::addRow("%s, click", kind) << kind << true;
        }
    }
    void selectAllOnFocus() {
        QFETCH(QString, kind);
        QFETCH(bool, byMouse);

        QLineEdit* edit = kind == "TextField"      ? new TextField
                          : kind == "NumericField" ? new NumericField
                                                   : new QLineEdit;
        QWidget* widget = edit;
        if (kind == "QComboBox") {
            auto* combo = new QComboBox;
            combo->setLineEdit(edit);
            kl::selectAllOnFocus(combo);
            widget = combo;
        } else if (kind == "QLineEdit") {
            kl::selectAllOnFocus(edit);
        }
        edit->setText(QStringLiteral("1234"));
        edit->setCursorPosition(0);

        Form form(widget);
        QVERIFY(form.ready());
        form.other->setFocus();
        if (byMouse)
            QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(3, edit->height() / 2));
        else
            widget->setFocus();
        QVERIFY(widget->hasFocus());
        QTRY_COMPARE(edit->selectedText(), QStringLiteral("1234"));
    }
};

QTEST_MAIN(TstFields)
#include "tst_fields.moc"
