// Child windows: the registry of shared instances, closing by every path, help mode, fixed size,
// top-level and inside an MDI area.

#include "scriptedmsgbox.h"
#include "testenv.h"
#include "ui/childwindow.h"
#include "ui/fields.h"
#include "ui/windowregistry.h"

#include <QApplication>
#include <QFrame>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

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

QTEST_MAIN(TstChildWindow)
#include "tst_childwindow.moc"
