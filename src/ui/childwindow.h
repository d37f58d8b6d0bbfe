#pragma once
// Base class of the program's child windows (company list, articles, receipts, reports, ...).
//
// A child window is shown inside the main window's MDI area (showInMdiArea, or any
// QMdiSubWindow holding it) and also works as a top-level widget. It gives every window:
//
//  * Fixed size 800 x 520 (Sizing::Fixed, the default): the widget has a fixed size, and the MDI
//  subwindow that holds it is
//    fixed to that size plus its frame whenever it is shown or resized, so neither the clerk
//    dragging the frame nor code resizing the subwindow can change it. showInMdiArea offers
//    only the close box (no minimise/maximise, which a fixed frame cannot honour).
//
//  * Esc anywhere in the window closes it (a window shortcut, so it works from every control
//    that does not use Esc itself, e.g. an open combo box list). Esc, a button calling close()
//    and the close box of the window or of its subwindow all take the same path: queryClose()
//    decides, closed() is emitted, and a holding subwindow closes with the window.
//
//  * F1 toggles help mode. The window owns a hidden read-only rich-text box (objectName
//    "txtpomoc") filled with setHelpText(). Entering help mode hides the controls returned by
//    helpHiddenControls() that are visible, shows the help box over the whole window and sets
//    the caption to helpCaption(). Leaving hides the help box, shows exactly the controls it
//    hid (enabled state is never touched), gives the focus back to the control that had it and
//    restores the caption. Set the normal caption with setCaption(): in help mode it is kept and
//    shown when help mode ends (setWindowTitle() in help mode would replace the help caption).
//    A window given no help text ignores F1.
//
//  * Enter in an entry field (line edit, closed drop-down list, date) moves to the next control
//  of the tab order, as Tab does; Enter on a focused push button presses it (Space still does).
//  Controls that use Enter themselves keep it (an open drop-down list, a multi-line text, a
//  ReportList, where it is a double click on the current row).
//
//  * Alt+letter that is no enabled control's access key (e.g. that of a disabled button) does
//  nothing: it is not typed into the focused field (an application-wide filter, installed with
//  the first child window).
//
// The shortcuts work while the keyboard focus is inside the window, which is always the case
// for a window that has at least one focusable control.

#include <QList>
#include <QPointer>
#include <QWidget>

class QFrame;
class QMdiArea;
class QMdiSubWindow;
class QTextBrowser;

namespace kl {

class ChildWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int FixedWidth = 800;
    static constexpr int FixedHeight = 520;

    // Help captions: entry windows (the default) and search windows.
    static QString entryHelpCaption() { return QStringLiteral("F1 vrati se u mod unosa!"); }
    static QString searchHelpCaption() { return QStringLiteral("F1 vrati se u mod pretrage!"); }

    // Fixed: the 800 x 520 windows of a book. Free: a window the clerk may size (the company and
    // book registers); everything else is the same.
    enum class Sizing { Fixed, Free };

    explicit ChildWindow(QWidget* parent = nullptr, Sizing sizing = Sizing::Fixed);
    Sizing sizing() const { return sizing_; }

    // Puts the window into a new subwindow of `area` (title bar with close box only, deleted
    // when closed together with this window) and shows it. Returns the subwindow.
    QMdiSubWindow* showInMdiArea(QMdiArea* area);

    // The subwindow holding this window, or null when it is a top-level widget.
    QMdiSubWindow* mdiSubWindow() const;

    // The normal caption of the window: shown now, or when help mode ends.
    void setCaption(const QString& caption);
    QString caption() const;

    // ---- Help mode ----
    // Rich text (HTML) or plain text.
    void setHelpText(const QString& text);
    QTextBrowser* helpBox() const { return helpBox_; }
    void setHelpCaption(const QString& caption) { helpCaption_ = caption; }
    QString helpCaption() const { return helpCaption_; }
    bool isHelpMode() const { return helpMode_; }
    void setHelpMode(bool on);
    void toggleHelpMode() { setHelpMode(!helpMode_); }

    // The control that takes the focus when the window is opened (default: the first control
    // of the tab order).
    void setInitialFocus(QWidget* control) { initialFocus_ = control; }
    // Puts the focus on the initial control, or on the first enabled, visible control of the tab
    // order when there is none (or it cannot take the focus now).
    void focusFirstControl();

    // Shows `w`, a window this one opens over itself (a search, a helper entry window), in the
    // MDI area holding this window, centred in the area or at `offset` from this window, makes it
    // the active subwindow and focuses its first control. Without an area `w` is shown on its own.
    void showBeside(ChildWindow* w, bool centred, QPoint offset = {});

    // A control that takes the focus every time the window becomes active (as a top-level window
    // or as the active subwindow of the main window), except in help mode: the one field of a
    // small entry or search window.
    void setActivationFocus(QWidget* control) { activationFocus_ = control; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    // The window has been closed for good (queryClose agreed). The main window re-enables its
    // menus on it.
    void closed();

  protected:
    // Asked before the window closes, whatever closes it. Return false to keep it open (a
    // window with unsaved entries asks Yes/No/Cancel here). Default: true.
    virtual bool queryClose() { return true; }

    // Makes the frame `name` that fills the whole window and holds every control of an entry
    // window; help mode then hides just that frame.
    QFrame* makeInputFrame(const char* name);

    // The controls hidden in help mode; only those of them that are visible are hidden, and
    // exactly those are shown again. Default: the input frame when the window has one, otherwise
    // the direct child widgets (the help box and child dialogs excluded).
    virtual QList<QWidget*> helpHiddenControls() const;

    // Called after help mode has been entered or left, with the new mode.
    virtual void helpModeChanged(bool helpMode) { Q_UNUSED(helpMode); }

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void watchSubWindow();
    // Closes an open drop-down list (or calendar) of this window; false when none is open.
    bool closeOpenPopup();
    void focusOnActivation();
    void fixSubWindowSize();

    Sizing sizing_;
    QTextBrowser* helpBox_ = nullptr;
    QString helpCaption_ = entryHelpCaption();
    bool helpMode_ = false;
    QString normalCaption_;  // caption to restore when help mode ends
    QList<QPointer<QWidget>> hiddenForHelp_;
    QPointer<QWidget> focusBeforeHelp_;
    QPointer<QWidget> initialFocus_;
    QPointer<QWidget> activationFocus_;
    QFrame* inputFrame_ = nullptr;
    QPointer<QMdiSubWindow> watchedSub_;  // subwindow whose size is kept fixed
    bool closedEmitted_ = false;
};

// Moves `sub` to the centre of its MDI area's client area (the odd pixel to the right and the
// bottom; never above or left of the area).
void centreInArea(QMdiSubWindow* sub);

}  // namespace kl
