// Entry fields: the keys and pastes a field takes, the leaving rules of numeric fields, and the
// select-all on focus of every field.

#include "scriptedmsgbox.h"
#include "ui/fields.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using kl::NumericField;
using kl::TextField;

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
    for (QChar c : keys) {
        if (c == u'<')
            QTest::keyClick(field, Qt::Key_Backspace);
        else
            QTest::keyClick(field, c.toLatin1());
    }
}

}  // namespace

class TstFields : public QObject {
    Q_OBJECT

  private slots:
    void numericKeys_data();
    void numericKeys();
    void numericPaste_data();
    void numericPaste();
    void numericLeave_data();
    void numericLeave();
    void numericLeaveMessageOnce();
    void textFieldRefusesQuotes();
    void selectAllOnFocus_data();
    void selectAllOnFocus();
};

void TstFields::numericKeys_data() {
    QTest::addColumn<QString>("start");  // whole text selected before typing
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expected");

    QTest::newRow("digits") << ""
                            << "1234567890"
                            << "1234567890";
    QTest::newRow("comma into empty field refused") << ""
                                                    << ",5"
                                                    << "5";
    QTest::newRow("comma after digits") << ""
                                        << "12,5"
                                        << "12,5";
    QTest::newRow("second comma refused") << ""
                                          << "1,2,3"
                                          << "1,23";
    QTest::newRow("letters, signs, point, blank refused") << ""
                                                          << "1a-+.e 2"
                                                          << "12";
    QTest::newRow("backspace") << ""
                               << "12<3"
                               << "13";
    QTest::newRow("comma again after deleting it") << ""
                                                   << "1,<,5"
                                                   << "1,5";
    QTest::newRow("selected 0,00: comma refused, digit replaces") << "0,00"
                                                                  << ",7"
                                                                  << "7";
}

void TstFields::numericKeys() {
    QFETCH(QString, start);
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    NumericField field;
    field.setText(start);
    field.selectAll();
    type(&field, keys);
    QCOMPARE(field.text(), expected);
}

void TstFields::numericPaste_data() {
    QTest::addColumn<QString>("start");  // cursor at the end
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("expected");

    QTest::newRow("digits") << "1"
                            << "234"
                            << "1234";
    QTest::newRow("number with comma") << ""
                                       << "12,5"
                                       << "12,5";
    QTest::newRow("letter refuses the whole paste") << "1"
                                                    << "2a3"
                                                    << "1";
    QTest::newRow("second comma refuses the whole paste") << "1,5"
                                                          << "2,5"
                                                          << "1,5";
    QTest::newRow("minus sign") << ""
                                << "-5"
                                << "";
    QTest::newRow("decimal point") << ""
                                   << "2.5"
                                   << "";
}

void TstFields::numericPaste() {
    QFETCH(QString, start);
    QFETCH(QString, clipboard);
    QFETCH(QString, expected);
    NumericField field;
    field.setText(start);
    QGuiApplication::clipboard()->setText(clipboard);
    QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(field.text(), expected);
}

void TstFields::numericLeave_data() {
    QTest::addColumn<bool>("documentRules");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("message");
    QTest::addColumn<bool>("focusBack");

    QTest::newRow("too large, articles: reset") << false << "123456"
                                                << "0,00" << true << false;
    QTest::newRow("too large, documents: refocus") << true << "123456"
                                                   << "123456" << true << true;
    QTest::newRow("too large with decimals") << false << "100000,5"
                                             << "0,00" << true << false;
    QTest::newRow("99999,99 taken") << false << "99999,99"
                                    << "99999,99" << false << false;
    QTest::newRow("leading zeros do not count") << true << "0012345"
                                                << "12345,00" << false << false;
    QTest::newRow("whole number") << false << "5"
                                  << "5,00" << false << false;
    QTest::newRow("zero before comma") << true << "0,5"
                                       << "0,50" << false << false;
    QTest::newRow("rounded to two decimals") << false << "12,345"
                                             << "12,35" << false << false;
    QTest::newRow("trailing comma") << false << "7,"
                                    << "7,00" << false << false;
    QTest::newRow("empty, articles: 0,00") << false << ""
                                           << "0,00" << false << false;
    QTest::newRow("empty, documents: stays empty") << true << ""
                                                   << "" << false << false;
}

void TstFields::numericLeave() {
    QFETCH(bool, documentRules);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QFETCH(bool, message);
    QFETCH(bool, focusBack);

    kl::test::ScriptedMsgBox boxes;
    auto* field = new NumericField;
    if (documentRules) field->setDocumentRules();
    Form form(field);
    QVERIFY(form.ready());
    QSignalSpy finished(field, &NumericField::entryFinished);

    field->setFocus(Qt::TabFocusReason);
    type(field, typed);
    QTest::keyClick(field, Qt::Key_Tab);
    QCoreApplication::processEvents();

    QCOMPARE(field->text(), expected);
    QCOMPARE(boxes.count(), message ? 1 : 0);
    if (message) {
        QCOMPARE(boxes.last().prompt, QStringLiteral("Možete upisati samo do 99 999!"));
        QCOMPARE(boxes.last().style, 48);
        QCOMPARE(boxes.last().title, QStringLiteral("Prevelik broj"));
    }
    QCOMPARE(QApplication::focusWidget(), focusBack ? static_cast<QWidget*>(field) : form.other);
    if (focusBack) QCOMPARE(field->selectedText(), typed);
    QCOMPARE(finished.count(), focusBack ? 0 : 1);
}

// The message box takes the focus and gives it back: that must not show the message again.
void TstFields::numericLeaveMessageOnce() {
    auto* field = new NumericField;
    field->setDocumentRules();
    Form form(field);
    QVERIFY(form.ready());
    int shown = 0;
    kl::setMsgBoxResponder([&](const kl::MsgBoxShown&) {
        ++shown;
        field->setFocus(Qt::OtherFocusReason);
        form.other->setFocus(Qt::OtherFocusReason);
        return kl::MsgResult::Ok;
    });
    field->setText(QStringLiteral("123456"));
    field->setFocus(Qt::TabFocusReason);
    form.other->setFocus(Qt::TabFocusReason);
    kl::setMsgBoxResponder({});
    QCOMPARE(shown, 1);
    QCOMPARE(QApplication::focusWidget(), field);
}

void TstFields::textFieldRefusesQuotes() {
    TextField field;
    type(&field, QStringLiteral("a'b\"c"));
    QCOMPARE(field.text(), QStringLiteral("abc"));

    QGuiApplication::clipboard()->setText(QStringLiteral("O'Brien"));
    field.paste();
    QCOMPARE(field.text(), QStringLiteral("abc"));
    QGuiApplication::clipboard()->setText(QStringLiteral("\"Lumen\""));
    QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(field.text(), QStringLiteral("abc"));
    QGuiApplication::clipboard()->setText(QStringLiteral(" d.o.o."));
    field.paste();
    QCOMPARE(field.text(), QStringLiteral("abc d.o.o."));
}

void TstFields::selectAllOnFocus_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("byMouse");
    for (const char* kind : {"TextField", "NumericField", "QLineEdit", "QComboBox"}) {
        QTest::addRow("%s, from code", kind) << kind << false;
        QTest::addRow("%s, click", kind) << kind << true;
    }
}

void TstFields::selectAllOnFocus() {
    QFETCH(QString, kind);
    QFETCH(bool, byMouse);

    QWidget* widget = nullptr;
    QLineEdit* edit = nullptr;
    if (kind == QLatin1String("QComboBox")) {
        auto* combo = new QComboBox;
        combo->setEditable(true);
        kl::selectAllOnFocus(combo);
        widget = combo;
        edit = combo->lineEdit();
    } else {
        if (kind == QLatin1String("TextField"))
            edit = new TextField;
        else if (kind == QLatin1String("NumericField"))
            edit = new NumericField;
        else
            kl::selectAllOnFocus(edit = new QLineEdit);
        widget = edit;
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

QTEST_MAIN(TstFields)
#include "tst_fields.moc"
