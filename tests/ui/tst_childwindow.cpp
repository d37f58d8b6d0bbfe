// Child windows: the registry of shared instances, closing by every path, help mode, fixed size,
// top-level and inside an MDI area.

#include "scriptedmsgbox.h"
#include "testenv.h"
#include "ui/childwindow.h"
#include "ui/controls.h"
#include "ui/fields.h"
#include "ui/windowregistry.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

class TestWindow : public kl::ChildWindow {
  public:
    TestWindow() {
        setCaption("Artikli");
        setHelpText("<b>Pomoć</b> za artikle");
        frame->setGeometry(0, 0, 800, 400);
        save->setGeometry(10, 420, 80, 24);
        save->setEnabled(false);
        hiddenButton->hide();
    }

    QFrame* frame = new QFrame(this);
    kl::NumericField* amount = new kl::NumericField(frame);
    QLineEdit* other = new QLineEdit(frame);
    QPushButton* save = new QPushButton("Spremi", this);
    QPushButton* hiddenButton = new QPushButton("Briši", this);
    bool allowClose = true, onlyFrameInHelp = false;
    int asked = 0;
    QList<bool> helpHook;

  protected:
    bool queryClose() override {
        ++asked;
        return allowClose;
    }
    QList<QWidget*> helpHiddenControls() const override {
        return onlyFrameInHelp ? QList<QWidget*>{frame} : ChildWindow::helpHiddenControls();
    }
    void helpModeChanged(bool on) override { helpHook.append(on); }
};

enum class CloseBy { Esc, CloseCall, CloseBox };

}  // namespace

class TstChildWindow : public QObject {
    Q_OBJECT

  private slots:
    // One shared instance per name, until the window is closed for good.
    void registry() {
        kl::WindowRegistry reg;
        int made = 0;
        reg.define("frmartikli", [&] {
            ++made;
            auto* w = new kl::ChildWindow;
            w->setAttribute(Qt::WA_DeleteOnClose);
            new QPushButton(w);
            return w;
        });
        QVERIFY(!reg.isLoaded("frmartikli"));
        QCOMPARE(reg.window("nepoznat"), nullptr);
        auto* first = reg.window<kl::ChildWindow>("frmartikli");
        QVERIFY(first);
        QCOMPARE(first->objectName(), QString("frmartikli"));
        QCOMPARE(reg.window("frmartikli"), first);
        QCOMPARE(made, 1);
        first->show();
        QVERIFY(QTest::qWaitForWindowExposed(first));
        first->close();
        QTRY_VERIFY(!reg.isLoaded("frmartikli"));
        QVERIFY(reg.window("frmartikli"));
        QCOMPARE(made, 2);
        reg.clear();
        QVERIFY(!reg.isDefined("frmartikli"));
    }

    void closing_data() {
        QTest::addColumn<bool>("inMdi");
        QTest::addColumn<CloseBy>("by");
        QTest::addColumn<bool>("allow");
        QTest::newRow("top-level, Esc in a field") << false << CloseBy::Esc << true;
        QTest::newRow("top-level, Esc refused") << false << CloseBy::Esc << false;
        QTest::newRow("mdi, Esc in a field") << true << CloseBy::Esc << true;
        QTest::newRow("mdi, close()") << true << CloseBy::CloseCall << true;
        QTest::newRow("mdi, close box") << true << CloseBy::CloseBox << true;
        QTest::newRow("mdi, close box refused") << true << CloseBy::CloseBox << false;
    }
    void closing() {
        QFETCH(bool, inMdi);
        QFETCH(CloseBy, by);
        QFETCH(bool, allow);
        kl::test::ScriptedMsgBox boxes;
        QMdiArea area;
        auto* w = new TestWindow;
        const std::unique_ptr<TestWindow> owner(inMdi ? nullptr : w);
        QPointer<QMdiSubWindow> sub;
        if (inMdi) {
            area.resize(1200, 900);
            sub = w->showInMdiArea(&area);
            area.show();
            QVERIFY(QTest::qWaitForWindowActive(&area));
            // The window keeps its size, whatever the clerk drags its frame to.
            const QSize frame = sub->size();
            for (const QSize size : {QSize(1100, 800), QSize(300, 200)}) {
                sub->resize(size);
                QCOMPARE(sub->size(), frame);
            }
            QCOMPARE(sub->contentsRect().size(), QSize(800, 520));
        } else {
            w->show();
            QVERIFY(QTest::qWaitForWindowActive(w));
            w->resize(1000, 700);
        }
        QCOMPARE(w->size(), QSize(800, 520));
        w->allowClose = allow;
        QSignalSpy closed(w, &kl::ChildWindow::closed);
        w->other->setFocus();
        QVERIFY(w->other->hasFocus());

        if (by == CloseBy::Esc)
            QTest::keyClick(w->other, Qt::Key_Escape);
        else if (by == CloseBy::CloseBox)
            sub->close();
        else
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QCOMPARE(closed.count(), allow ? 1 : 0);
        QCOMPARE(boxes.count(), 0);
        // A refused close keeps the window and its subwindow; an agreed one takes both away.
        QCOMPARE(area.subWindowList().size(), inMdi && !allow ? 1 : 0);
        if (inMdi) QCOMPARE(sub.isNull(), allow);
        if (!allow) QCOMPARE(w->asked, 1);
        if (!allow || !inMdi) QCOMPARE(w->isVisible(), !allow);
    }

    void helpModeRestoresState_data() {
        QTest::addColumn<bool>("onlyFrame");
        QTest::newRow("direct children hidden") << false;
        QTest::newRow("one frame hidden") << true;
    }
    void helpModeRestoresState() {
        QFETCH(bool, onlyFrame);
        kl::test::ScriptedMsgBox boxes;
        TestWindow w;
        w.onlyFrameInHelp = onlyFrame;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* help = kl::test::control<QTextBrowser>(&w, "txtpomoc");
        QVERIFY(!help->isVisible());
        // A value too large in the field with the focus: F1 is not leaving the field.
        w.amount->setFocus();
        w.amount->setText("123456");

        QTest::keyClick(w.amount, Qt::Key_F1);
        QVERIFY(w.isHelpMode());
        QCOMPARE(w.windowTitle(), QString("F1 vrati se u mod unosa!"));
        QVERIFY(help->isVisible());
        QCOMPARE(help->geometry(), w.rect());
        QVERIFY(help->toPlainText().contains("Pomoć za artikle"));
        QVERIFY(!w.frame->isVisible());
        QCOMPARE(w.save->isVisible(), onlyFrame);
        // The window changes its normal caption while the help is shown.
        w.setCaption("Artikli - izmjena");
        QCOMPARE(w.windowTitle(), QString("F1 vrati se u mod unosa!"));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        QVERIFY(!w.isHelpMode());
        QCOMPARE(w.windowTitle(), QString("Artikli - izmjena"));
        QVERIFY(!help->isVisible());
        QVERIFY(w.frame->isVisible() && w.save->isVisible());
        QVERIFY(!w.save->isEnabled());
        QVERIFY(w.hiddenButton->isHidden());
        QCOMPARE(QApplication::focusWidget(), w.amount);
        QCOMPARE(w.helpHook, (QList<bool>{true, false}));
        QCOMPARE(boxes.count(), 0);
    }
};

// The keyboard rules every window shares, walked in a small window: a field, a choice list, a
// button, a disabled button with an access key.
class KeysWindow : public kl::ChildWindow {
  public:
    KeysWindow() {
        auto* layout = new QVBoxLayout(this);
        for (QWidget* w : {static_cast<QWidget*>(name), static_cast<QWidget*>(list),
                           static_cast<QWidget*>(save), static_cast<QWidget*>(erase)})
            layout->addWidget(w);
        erase->setEnabled(false);
        kl::fillChoices(list, {"Ana", "Bora", "Branko", "čaša", "Ćevap", "Čokolada", "Đak"});
        list->setCurrentIndex(-1);
    }
    kl::TextField* name = new kl::TextField(this, "txtime", 30);
    QComboBox* list = kl::makeChoiceList(this, "cbolista");
    QPushButton* save = kl::makeButton(this, "cmdspremi", "&Spremi");
    QPushButton* erase = kl::makeButton(this, "cmdbrisi", "&Briši");
};

class TstChildKeys : public QObject {
    Q_OBJECT

    std::unique_ptr<KeysWindow> w_;

  private slots:
    void init() {
        QApplication::setKeyboardInputInterval(60 * 60 * 1000);  // letters always add up
        w_ = std::make_unique<KeysWindow>();
        w_->show();
        QVERIFY(QTest::qWaitForWindowActive(w_.get()));
        w_->name->setFocus();
    }
    void cleanup() { w_.reset(); }

    // Enter moves on as Tab does; on a button it presses it.
    void enterMovesAndPresses() {
        QSignalSpy saved(w_->save, &QPushButton::clicked);
        QTest::keyClick(w_->name, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w_->list);
        QTest::keyClick(w_->list, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(QApplication::focusWidget(), w_->save);
        QTest::keyClick(w_->save, Qt::Key_Return);
        QCOMPARE(saved.count(), 1);
        QTest::keyClick(w_->save, Qt::Key_Space);
        QCOMPARE(saved.count(), 2);
        QVERIFY(w_->isVisible());
    }

    // Alt+B belongs to the disabled "&Briši": nothing happens, nothing is typed.
    void altLetterOfDisabledButton() {
        QTest::keyClicks(w_->name, "Ana");
        QTest::keyClick(w_->name, Qt::Key_B, Qt::AltModifier);
        QCOMPARE(w_->name->text(), QString("Ana"));
        w_->erase->setEnabled(true);
        QSignalSpy erased(w_->erase, &QPushButton::clicked);
        QTest::keyClick(w_->name, Qt::Key_B, Qt::AltModifier);
        QTRY_COMPARE(erased.count(), 1);  // an access key animates the click first
    }

    // Esc on an open drop-down list closes the list, not the window; then Esc closes it.
    void escOnOpenList() {
        w_->list->setFocus();
        w_->list->showPopup();
        QTRY_VERIFY(w_->list->view()->isVisible());
        QTest::keyClick(w_->list->view(), Qt::Key_Escape);
        QTRY_VERIFY(!w_->list->view()->isVisible());
        QVERIFY(w_->isVisible());
        QTest::keyClick(w_->list, Qt::Key_Escape);
        QVERIFY(!w_->isVisible());
    }

    // Typed letters choose the first entry starting with them, whatever the case, closed or
    // open; what matches nothing changes nothing.
    void typingChooses_data() {
        QTest::addColumn<bool>("dropped");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("chosen");
        for (const bool dropped : {false, true}) {
            const char* tag = dropped ? "open: " : "closed: ";
            QTest::newRow(QByteArray(tag) + "b") << dropped << "b"
                                                 << "Bora";
            QTest::newRow(QByteArray(tag) + "brA") << dropped << "brA"
                                                   << "Branko";
            QTest::newRow(QByteArray(tag) + "Č") << dropped << "Č"
                                                 << "čaša";
            QTest::newRow(QByteArray(tag) + "čo") << dropped << "čo"
                                                  << "Čokolada";
            QTest::newRow(QByteArray(tag) + "ćx: x matches nothing") << dropped << "ćx"
                                                                     << "Ćevap";
            QTest::newRow(QByteArray(tag) + "đ") << dropped << "đ"
                                                 << "Đak";
            QTest::newRow(QByteArray(tag) + "z: nothing") << dropped << "z"
                                                          << "";
        }
    }
    void typingChooses() {
        QFETCH(bool, dropped);
        QFETCH(QString, typed);
        QFETCH(QString, chosen);
        QSignalSpy activated(w_->list, &QComboBox::activated);
        w_->list->setFocus();
        QWidget* target = w_->list;
        if (dropped) {
            w_->list->showPopup();
            QTRY_VERIFY(w_->list->view()->isVisible());
            target = w_->list->view();
        }
        for (const QChar c : typed) {  // Croatian letters as a Croatian keyboard types them
            QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &press);
        }
        if (dropped) {
            if (!chosen.isEmpty())
                QCOMPARE(w_->list->view()->currentIndex().data().toString(), chosen);
            // The open list takes the entry on Enter; with none, Esc closes it.
            QTest::keyClick(target, chosen.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
            QTRY_VERIFY(!w_->list->view()->isVisible());
            QVERIFY(w_->isVisible());
        }
        QCOMPARE(w_->list->currentText(), chosen);
        QCOMPARE(activated.isEmpty(), chosen.isEmpty());
        QCOMPARE(w_->list->count(), 7);  // nothing typed became an entry
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TstChildWindow windows;
    TstChildKeys keys;
    return QTest::qExec(&windows, argc, argv) | QTest::qExec(&keys, argc, argv);
}
#include "tst_childwindow.moc"
