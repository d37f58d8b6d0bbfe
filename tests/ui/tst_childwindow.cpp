// Child windows: closing by every path, help mode, fixed size, top-level and inside an MDI area.

#include "scriptedmsgbox.h"
#include "testenv.h"
#include "ui/childwindow.h"
#include "ui/fields.h"

#include <QApplication>
#include <QFrame>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

using kl::test::control;

namespace {

class TestWindow : public kl::ChildWindow {
  public:
    TestWindow() {
        setCaption(QStringLiteral("Artikli"));
        setHelpText(QStringLiteral("<b>Pomoć</b> za artikle"));
        frame = new QFrame(this);
        frame->setGeometry(0, 0, 800, 400);
        amount = new kl::NumericField(frame);
        amount->setObjectName(QStringLiteral("txtKolicina"));
        amount->setGeometry(10, 10, 100, 20);
        other = new QLineEdit(frame);
        other->setGeometry(10, 40, 100, 20);
        save = new QPushButton(QStringLiteral("Spremi"), this);
        save->setGeometry(10, 420, 80, 24);
        save->setEnabled(false);
        hiddenButton = new QPushButton(QStringLiteral("Briši"), this);
        hiddenButton->setGeometry(100, 420, 80, 24);
        hiddenButton->hide();
    }

    QFrame* frame;
    kl::NumericField* amount;
    QLineEdit* other;
    QPushButton* save;
    QPushButton* hiddenButton;
    bool allowClose = true;
    int asked = 0;
    bool onlyFrameInHelp = false;
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
    void closing_data();
    void closing();
    void helpModeRestoresState_data();
    void helpModeRestoresState();
    void fixedSize_data();
    void fixedSize();
};

void TstChildWindow::closing_data() {
    QTest::addColumn<bool>("inMdi");
    QTest::addColumn<CloseBy>("by");
    QTest::addColumn<bool>("allow");

    QTest::newRow("top-level, Esc in a field") << false << CloseBy::Esc << true;
    QTest::newRow("top-level, close()") << false << CloseBy::CloseCall << true;
    QTest::newRow("top-level, Esc refused") << false << CloseBy::Esc << false;
    QTest::newRow("mdi, Esc in a field") << true << CloseBy::Esc << true;
    QTest::newRow("mdi, close()") << true << CloseBy::CloseCall << true;
    QTest::newRow("mdi, close box") << true << CloseBy::CloseBox << true;
    QTest::newRow("mdi, close box refused") << true << CloseBy::CloseBox << false;
    QTest::newRow("mdi, Esc refused") << true << CloseBy::Esc << false;
}

void TstChildWindow::closing() {
    QFETCH(bool, inMdi);
    QFETCH(CloseBy, by);
    QFETCH(bool, allow);

    kl::test::ScriptedMsgBox boxes;
    QMdiArea area;
    auto* w = new TestWindow;
    std::unique_ptr<TestWindow> owner;
    QPointer<TestWindow> window(w);
    QPointer<QMdiSubWindow> sub;
    if (inMdi) {
        area.resize(1000, 700);
        sub = w->showInMdiArea(&area);
        area.show();
        QVERIFY(QTest::qWaitForWindowActive(&area));
    } else {
        owner.reset(w);
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w));
    }
    w->allowClose = allow;
    QSignalSpy closed(w, &kl::ChildWindow::closed);
    w->other->setFocus();
    QVERIFY(w->other->hasFocus());

    switch (by) {
        case CloseBy::Esc:
            QTest::keyClick(w->other, Qt::Key_Escape);
            break;
        case CloseBy::CloseCall:
            w->close();
            break;
        case CloseBy::CloseBox:
            sub->close();
            break;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(closed.count(), allow ? 1 : 0);
    if (!allow) {
        QCOMPARE(w->asked, 1);
        QVERIFY(w->isVisible());
        if (inMdi) QCOMPARE(area.subWindowList().size(), 1);
    } else if (inMdi) {
        QVERIFY(!sub);  // the subwindow went with the window
        QVERIFY(area.subWindowList().isEmpty());
    } else {
        QVERIFY(!w->isVisible());
    }
    QCOMPARE(boxes.count(), 0);
}

void TstChildWindow::helpModeRestoresState_data() {
    QTest::addColumn<bool>("onlyFrame");
    QTest::newRow("direct children hidden") << false;
    QTest::newRow("one frame hidden") << true;
}

void TstChildWindow::helpModeRestoresState() {
    QFETCH(bool, onlyFrame);

    kl::test::ScriptedMsgBox boxes;
    TestWindow w;
    w.onlyFrameInHelp = onlyFrame;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* help = control<QTextBrowser>(&w, QStringLiteral("txtpomoc"));
    QVERIFY(!help->isVisible());
    QVERIFY(help->isReadOnly());
    // A value too large in the field with the focus: F1 is not leaving the field.
    w.amount->setFocus();
    w.amount->setText(QStringLiteral("123456"));

    QTest::keyClick(w.amount, Qt::Key_F1);
    QVERIFY(w.isHelpMode());
    QCOMPARE(w.windowTitle(), QStringLiteral("F1 vrati se u mod unosa!"));
    QVERIFY(help->isVisible());
    QCOMPARE(help->geometry(), w.rect());
    QVERIFY(help->toPlainText().contains(QStringLiteral("Pomoć za artikle")));
    QVERIFY(!w.frame->isVisible());
    QCOMPARE(w.save->isVisible(), onlyFrame);

    // The window changes its normal caption while the help is shown.
    w.setCaption(QStringLiteral("Artikli - izmjena"));
    QCOMPARE(w.windowTitle(), QStringLiteral("F1 vrati se u mod unosa!"));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    QVERIFY(!w.isHelpMode());
    QCOMPARE(w.windowTitle(), QStringLiteral("Artikli - izmjena"));
    QVERIFY(!help->isVisible());
    QVERIFY(w.frame->isVisible());
    QVERIFY(w.amount->isVisible());
    QVERIFY(w.save->isVisible());
    QVERIFY(!w.save->isEnabled());
    QVERIFY(w.hiddenButton->isHidden());
    QCOMPARE(QApplication::focusWidget(), w.amount);
    QCOMPARE(w.helpHook, (QList<bool>{true, false}));
    QCOMPARE(boxes.count(), 0);
}

void TstChildWindow::fixedSize_data() {
    QTest::addColumn<bool>("inMdi");
    QTest::newRow("top-level") << false;
    QTest::newRow("mdi") << true;
}

void TstChildWindow::fixedSize() {
    QFETCH(bool, inMdi);
    const QSize fixed(800, 520);
    QMdiArea area;
    auto* w = new TestWindow;
    std::unique_ptr<TestWindow> owner;
    if (inMdi) {
        area.resize(1200, 900);
        QMdiSubWindow* sub = w->showInMdiArea(&area);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        const QSize frame = sub->size();
        sub->resize(1100, 800);
        QCOMPARE(sub->size(), frame);
        sub->resize(300, 200);
        QCOMPARE(sub->size(), frame);
        QCOMPARE(sub->contentsRect().size(), fixed);
    } else {
        owner.reset(w);
        w->show();
        w->resize(1000, 700);
    }
    QCOMPARE(w->size(), fixed);
}

QTEST_MAIN(TstChildWindow)
#include "tst_childwindow.moc"
