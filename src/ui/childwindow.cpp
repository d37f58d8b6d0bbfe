#include "ui/childwindow.h"

#include "ui/windowregistry.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QShortcut>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

namespace kl {

namespace {

// The child window `w` lies in (through popups such as an open drop-down list), or null.
ChildWindow* childWindowOf(QWidget* w) {
    for (; w; w = w->parentWidget()) {
        if (auto* child = qobject_cast<ChildWindow*>(w)) return child;
    }
    return nullptr;
}

// Closes the open drop-down list (or calendar) `popup`.
void closePopup(QWidget* popup) {
    for (QWidget* w = popup; w; w = w->parentWidget()) {
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            combo->hidePopup();
            return;
        }
    }
    popup->close();  // a date picker's calendar
}

// Keys of every child window that no single control can handle:
//  * Esc while a drop-down list or calendar of a child window is open closes just that. The
//    window's Esc shortcut would fire through the popup (it counts as part of the window), so
//    the key is claimed before the shortcut is looked for.
//  * Alt+letter that no enabled control took as its access key (a disabled button's, or
//    nobody's) would reach the focused control as a typed character; it is dropped. A key press
//    only gets here when no shortcut took it. AltGr (reported as Ctrl+Alt on some systems)
//    still types its characters.
class KeyboardRules : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) ||
            !watched->isWidgetType())
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (type == QEvent::ShortcutOverride) {
            QWidget* popup = QApplication::activePopupWidget();
            if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier || !popup ||
                !childWindowOf(popup))
                return false;
            closePopup(popup);
            key->accept();
            return true;
        }
        const Qt::KeyboardModifiers mods = key->modifiers();
        if (!(mods & Qt::AltModifier) || (mods & (Qt::ControlModifier | Qt::MetaModifier)))
            return false;
        const QString text = key->text();
        if (text.isEmpty() || !text.front().isPrint()) return false;
        return childWindowOf(static_cast<QWidget*>(watched)) != nullptr;
    }
};

void installKeyboardRules() {
    static bool installed = false;
    if (installed || !qApp) return;
    installed = true;
    qApp->installEventFilter(new KeyboardRules(qApp));
}

}  // namespace

ChildWindow::ChildWindow(QWidget* parent, Sizing sizing) : QWidget(parent), sizing_(sizing) {
    if (sizing_ == Sizing::Fixed) setFixedSize(FixedWidth, FixedHeight);
    installKeyboardRules();

    helpBox_ = new QTextBrowser(this);
    helpBox_->setObjectName(QStringLiteral("txtpomoc"));
    helpBox_->setReadOnly(true);
    helpBox_->setOpenLinks(false);
    helpBox_->hide();

    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WidgetWithChildrenShortcut);
    connect(esc, &QShortcut::activated, this, [this] {
        if (!closeOpenPopup()) close();
    });

    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WidgetWithChildrenShortcut);
    connect(f1, &QShortcut::activated, this, &ChildWindow::toggleHelpMode);
}

QMdiSubWindow* ChildWindow::showInMdiArea(QMdiArea* area) {
    QMdiSubWindow* sub =
        area->addSubWindow(this, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                     Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    watchSubWindow();
    sub->show();
    return sub;
}

QSize ChildWindow::sizeHint() const {
    return sizing_ == Sizing::Fixed ? QSize(FixedWidth, FixedHeight) : QWidget::sizeHint();
}

QSize ChildWindow::minimumSizeHint() const {
    return sizing_ == Sizing::Fixed ? sizeHint() : QWidget::minimumSizeHint();
}

void ChildWindow::showBeside(ChildWindow* w, bool centred, QPoint offset) {
    QMdiSubWindow* own = mdiSubWindow();
    QMdiArea* area = own ? own->mdiArea() : nullptr;
    if (!area) {
        w->show();
        w->raise();
        w->activateWindow();
        w->focusFirstControl();
        return;
    }
    QMdiSubWindow* sub = w->mdiSubWindow();
    if (!sub) sub = w->showInMdiArea(area);
    sub->show();
    if (centred)
        centreInArea(sub);
    else
        sub->move(own->pos() + offset);
    area->setActiveSubWindow(sub);
    w->focusFirstControl();
}

void centreInArea(QMdiSubWindow* sub) {
    if (!sub || !sub->mdiArea()) return;
    const QSize area = sub->mdiArea()->viewport()->size();
    sub->move(qMax(0, (area.width() - sub->width()) / 2),
              qMax(0, (area.height() - sub->height()) / 2));
}

QMdiSubWindow* ChildWindow::mdiSubWindow() const {
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

void ChildWindow::setCaption(const QString& caption) {
    if (helpMode_)
        normalCaption_ = caption;
    else
        setWindowTitle(caption);
}

QString ChildWindow::caption() const {
    return helpMode_ ? normalCaption_ : windowTitle();
}

void ChildWindow::setHelpText(const QString& text) {
    if (Qt::mightBeRichText(text))
        helpBox_->setHtml(text);
    else
        helpBox_->setPlainText(text);
}

QFrame* ChildWindow::makeInputFrame(const char* name) {
    inputFrame_ = new QFrame(this);
    inputFrame_->setObjectName(QString::fromLatin1(name));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(inputFrame_);
    return inputFrame_;
}

QList<QWidget*> ChildWindow::helpHiddenControls() const {
    if (inputFrame_) return {inputFrame_};
    QList<QWidget*> controls;
    for (QObject* child : children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && w != helpBox_ && !w->isWindow()) controls.append(w);
    }
    return controls;
}

void ChildWindow::setHelpMode(bool on) {
    if (on == helpMode_) return;
    // A window without help text (a small helper window) stays as it is.
    if (on && helpBox_->document()->isEmpty()) return;
    if (on) {
        normalCaption_ = windowTitle();
        QWidget* focus = focusWidget();
        focusBeforeHelp_ = (focus && isAncestorOf(focus)) ? focus : nullptr;

        hiddenForHelp_.clear();
        for (QWidget* w : helpHiddenControls()) {
            if (w && w != helpBox_ && !w->isHidden()) hiddenForHelp_.append(w);
        }
        // Controls first: the control with the focus is hidden before the focus moves, so the
        // move is not taken for the clerk leaving it.
        for (const QPointer<QWidget>& w : std::as_const(hiddenForHelp_))
            w->hide();
        helpBox_->setGeometry(rect());
        helpBox_->raise();
        helpBox_->show();
        helpBox_->setFocus(Qt::OtherFocusReason);
        helpMode_ = true;
        setWindowTitle(helpCaption_);
    } else {
        for (const QPointer<QWidget>& w : std::as_const(hiddenForHelp_)) {
            if (w) w->show();
        }
        hiddenForHelp_.clear();
        // Focus back before the help box goes, so it does not wander through other controls.
        if (focusBeforeHelp_ && focusBeforeHelp_->isVisibleTo(this) &&
            focusBeforeHelp_->isEnabled())
            focusBeforeHelp_->setFocus(Qt::OtherFocusReason);
        focusBeforeHelp_ = nullptr;
        helpBox_->hide();
        helpMode_ = false;
        setWindowTitle(normalCaption_);
    }
    helpModeChanged(helpMode_);
}

void ChildWindow::closeEvent(QCloseEvent* event) {
    if (!queryClose()) {
        event->ignore();
        return;
    }
    event->accept();
    // Closed for good: the registry no longer hands out this instance while it waits for deletion.
    if (testAttribute(Qt::WA_DeleteOnClose) ||
        (mdiSubWindow() && mdiSubWindow()->testAttribute(Qt::WA_DeleteOnClose)))
        windows().forget(this);
    // Closed from inside (Esc, a button): the subwindow goes with it. Closed by the subwindow's
    // close box: the subwindow is already closing and this does nothing.
    if (QMdiSubWindow* sub = mdiSubWindow(); sub && !sub->isHidden()) sub->close();
    if (!closedEmitted_) {
        closedEmitted_ = true;
        emit closed();
    }
}

void ChildWindow::focusFirstControl() {
    QWidget* target = initialFocus_;
    const auto canTake = [this](QWidget* w) {
        return w && isAncestorOf(w) && w->isVisibleTo(this) && w->isEnabled() &&
               (w->focusPolicy() & Qt::TabFocus);
    };
    if (!canTake(target)) {
        target = nullptr;
        for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
            if (canTake(w)) {
                target = w;
                break;
            }
        }
    }
    if (target) target->setFocus(Qt::OtherFocusReason);
}

bool ChildWindow::closeOpenPopup() {
    QWidget* popup = QApplication::activePopupWidget();
    if (!popup || childWindowOf(popup) != this) return false;
    closePopup(popup);
    return true;
}

void ChildWindow::keyPressEvent(QKeyEvent* event) {
    // Enter reaches the window when the focused control did not use it (a line edit, a closed
    // drop-down list, a date, a button that is not a default button; a list does not pass it on
    // as a move). On a button it presses the button, elsewhere it moves on as Tab does.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers mods =
        event->modifiers() & ~Qt::KeypadModifier;  // the keypad's Enter
    QWidget* focus = focusWidget();
    if (enter && mods == Qt::NoModifier && focus && !isHelpMode()) {
        if (auto* button = qobject_cast<QAbstractButton*>(focus);
            button && !button->isCheckable()) {
            if (button->isEnabled()) button->click();
            event->accept();
            return;
        }
        QWidget* control = focus;
        while (control && control != this && !qobject_cast<QLineEdit*>(control) &&
               !qobject_cast<QComboBox*>(control) && !qobject_cast<QAbstractSpinBox*>(control) &&
               !qobject_cast<QAbstractButton*>(control) &&
               !qobject_cast<QAbstractItemView*>(control))
            control = control->parentWidget();
        if (control && control != this && !qobject_cast<QAbstractItemView*>(control) &&
            !(qobject_cast<QLineEdit*>(control) &&
              qobject_cast<QAbstractItemView*>(control->parentWidget()))) {
            focusNextPrevChild(true);
            event->accept();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void ChildWindow::showEvent(QShowEvent* event) {
    closedEmitted_ = false;
    QWidget::showEvent(event);
}

void ChildWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (helpMode_) helpBox_->setGeometry(rect());
}

bool ChildWindow::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange) watchSubWindow();
    if (event->type() == QEvent::WindowActivate) focusOnActivation();
    return QWidget::event(event);
}

void ChildWindow::focusOnActivation() {
    if (activationFocus_ && !helpMode_) activationFocus_->setFocus(Qt::ActiveWindowFocusReason);
}

bool ChildWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedSub_) {
        switch (event->type()) {
            case QEvent::Show:
            case QEvent::Resize:
            case QEvent::ContentsRectChange:
            case QEvent::StyleChange:
                fixSubWindowSize();
                break;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ChildWindow::watchSubWindow() {
    QMdiSubWindow* sub = mdiSubWindow();
    if (sub == watchedSub_) return;
    if (watchedSub_) watchedSub_->removeEventFilter(this);
    watchedSub_ = sub;
    if (sub) {
        sub->installEventFilter(this);
        fixSubWindowSize();
        // Inside the main window the subwindow becomes active, not this widget; the activation
        // focus is set after the subwindow has put the focus back where it was.
        connect(
            sub, &QMdiSubWindow::windowStateChanged, this,
            [this, sub](Qt::WindowStates before, Qt::WindowStates now) {
                if (sub == watchedSub_ && !(before & Qt::WindowActive) && (now & Qt::WindowActive))
                    QTimer::singleShot(0, this, &ChildWindow::focusOnActivation);
            });
    }
}

// The subwindow's frame (title bar and borders) is its contents margins; the window sits in
// its contents rectangle.
void ChildWindow::fixSubWindowSize() {
    if (sizing_ != Sizing::Fixed || !watchedSub_ || watchedSub_->isMinimized()) return;
    const QSize wanted = QSize(FixedWidth, FixedHeight).grownBy(watchedSub_->contentsMargins());
    if (watchedSub_->minimumSize() != wanted || watchedSub_->maximumSize() != wanted)
        watchedSub_->setFixedSize(wanted);
}

}  // namespace kl
