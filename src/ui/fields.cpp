#include "ui/fields.h"

#include "data/convert.h"
#include "data/identifiers.h"
#include "ui/msgboxhr.h"

#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QScopedValueRollback>
#include <QTimer>
#include <QToolTip>
#include <QValidator>

namespace kl {
namespace {

// The selection is made after the focus event has been handled completely: a mouse press that
// gave the focus would otherwise place the cursor and drop the selection again.
void selectAllLater(QLineEdit* edit) {
    QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
}

bool selectsOnFocus(const QFocusEvent* event) {
    // Closing the field's own context menu gives the focus back; keep the clerk's selection.
    return event->reason() != Qt::PopupFocusReason;
}

class SelectAllFilter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn && selectsOnFocus(static_cast<QFocusEvent*>(event))) {
            QLineEdit* edit = qobject_cast<QLineEdit*>(watched);
            if (!edit) {
                if (auto* combo = qobject_cast<QComboBox*>(watched)) edit = combo->lineEdit();
            }
            if (edit) selectAllLater(edit);
        }
        return false;
    }
};

// A validator that takes or refuses a whole edit (one key, one paste, one drop) by a rule on the
// resulting text. QLineEdit undoes an edit whose result is Invalid, so a refused paste inserts
// nothing.
class RuleValidator : public QValidator {
  public:
    RuleValidator(bool (*rule)(QStringView), QObject* parent) : QValidator(parent), rule_(rule) {}

    State validate(QString& input, int&) const override {
        return rule_(input) ? Acceptable : Invalid;
    }

  private:
    bool (*rule_)(QStringView);
};

bool quoteFree(QStringView text) {
    return !containsQuote(text);
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Digits with at most one comma.
bool numericText(QStringView text) {
    int commas = 0;
    for (QChar c : text) {
        if (c == u',') {
            if (++commas > 1) return false;
        } else if (!isAsciiDigit(c)) {
            return false;
        }
    }
    return true;
}

// The limit of a field as the clerk reads it.
QString limitText(int maxLength) {
    return QStringLiteral("Najviše %1 znakova").arg(maxLength);
}

// The "Paste" of a line edit's standard menu: its text ends with the paste shortcut, whatever
// the language of the menu.
QAction* pasteAction(const QMenu* menu) {
    const QString shortcut =
        u'\t' + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    for (QAction* a : menu->actions())
        if (a->objectName() == QLatin1String("edit-paste") || a->text().endsWith(shortcut))
            return a;
    return nullptr;
}

// The hints and the tool tip of showLimits().
class LimitHints : public QObject {
  public:
    explicit LimitHints(QLineEdit* edit) : QObject(edit), edit_(edit) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != edit_) return false;
        if (event->type() == QEvent::ToolTip) {
            if (!isFull()) return false;
            const QString tip = edit_->toolTip();
            const QString limit = limitText(edit_->maxLength());
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                               tip.isEmpty() ? limit : tip + u'\n' + limit, edit_);
            return true;
        }
        if (edit_->isReadOnly()) return false;
        switch (event->type()) {
            case QEvent::KeyPress:
                return keyRefused(static_cast<QKeyEvent*>(event));
            case QEvent::ContextMenu:
                showContextMenu(static_cast<QContextMenuEvent*>(event));
                return true;
            case QEvent::MouseButtonRelease:
                // The middle button pastes the selection of another program.
                if (static_cast<QMouseEvent*>(event)->button() != Qt::MiddleButton ||
                    !QGuiApplication::clipboard()->supportsSelection())
                    return false;
                return refused(QGuiApplication::clipboard()->text(QClipboard::Selection), 0);
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(event);
                if (!drop->mimeData()->hasText() || drop->source() == edit_) return false;
                if (!refused(drop->mimeData()->text(), 0)) return false;
                drop->ignore();
                return true;
            }
            default:
                return false;
        }
    }

  private:
    bool keyRefused(QKeyEvent* key) {
        QString typed;
        if (key->matches(QKeySequence::Paste)) {
            typed = QGuiApplication::clipboard()->text();
        } else {
            const Qt::KeyboardModifiers mods = key->modifiers();
            if ((mods & (Qt::ControlModifier | Qt::MetaModifier)) && !(mods & Qt::AltModifier))
                return false;
            typed = key->text();
            if (typed.isEmpty() || !typed.front().isPrint()) return false;
        }
        return refused(typed, edit_->selectedText().size());
    }

    // True (after the hint) when `typed`, put in place of `replaced` characters, would not fit:
    // it then goes in not at all, never cut. Quotes are refused by the field's validator.
    bool refused(const QString& typed, qsizetype replaced) {
        if (typed.isEmpty()) return false;
        if (containsQuote(typed) && qobject_cast<TextField*>(edit_)) {
            showHint(edit_, QStringLiteral("Znakovi ' i \" ne mogu se upisati"));
            return false;
        }
        if (edit_->text().size() - replaced + typed.size() > edit_->maxLength()) {
            showHint(edit_, limitText(edit_->maxLength()) + QStringLiteral(": polje je puno"));
            return true;
        }
        return false;
    }

    // The field's own menu, its "Paste" held to the same rule as Ctrl+V.
    void showContextMenu(QContextMenuEvent* event) {
        QMenu* menu = edit_->createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        if (QAction* paste = pasteAction(menu)) {
            disconnect(paste, &QAction::triggered, nullptr, nullptr);
            connect(paste, &QAction::triggered, edit_, [this] {
                if (!refused(QGuiApplication::clipboard()->text(), edit_->selectedText().size()))
                    edit_->paste();
            });
        }
        menu->popup(event->globalPos());
    }

    bool isFull() const { return edit_->text().size() >= edit_->maxLength(); }

    QLineEdit* edit_;
};

// A numeric field's message box is open: no other numeric field may show its own on the focus
// changes the box causes.
bool g_tooLargeMessageOpen = false;

}  // namespace

void showHint(QWidget* control, const QString& hint) {
    control->setProperty("klHint", hint);
    QToolTip::showText(control->mapToGlobal(QPoint(0, control->height())), hint, control);
}

void showLimits(QLineEdit* edit) {
    if (edit) edit->installEventFilter(new LimitHints(edit));
}

void selectAllOnFocus(QLineEdit* edit) {
    if (edit) edit->installEventFilter(new SelectAllFilter(edit));
}

void selectAllOnFocus(QComboBox* combo) {
    // The combo box owns the focus and hands its focus events to its line edit directly, so the
    // filter sits on the combo box and looks up the line edit when the focus arrives.
    if (combo) combo->installEventFilter(new SelectAllFilter(combo));
}

bool confirmIdentifiers(const QString& account, const QString& oib) {
    const std::pair<QString, QString> checks[] = {
        {accountProblem(account), QStringLiteral("Provjera IBAN-a")},
        {oibProblem(oib), QStringLiteral("Provjera OIB-a")},
    };
    for (const auto& [problem, title] : checks) {
        if (problem.isEmpty()) continue;
        if (MsgBoxHr(problem + QStringLiteral("\n\nIpak spremiti?"),
                     MsgStyle::YesNo | MsgStyle::Exclamation | MsgStyle::DefaultButton2,
                     title) != MsgResult::Yes)
            return false;
    }
    return true;
}

bool containsQuote(QStringView text) {
    return text.contains(u'\'') || text.contains(u'"');
}

void refuseQuotes(QLineEdit* edit) {
    if (edit) edit->setValidator(new RuleValidator(quoteFree, edit));
}

// ---- TextField ------------------------------------------------------------------------------

TextField::TextField(QWidget* parent) : QLineEdit(parent) {
    refuseQuotes(this);
    showLimits(this);
}

TextField::TextField(QWidget* parent, const char* name, int maxLength, const QString& tip)
    : TextField(parent) {
    setObjectName(QString::fromLatin1(name));
    setMaxLength(maxLength);
    if (!tip.isEmpty()) setToolTip(tip);
}

void TextField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (selectsOnFocus(event)) selectAllLater(this);
}

// ---- NumericField ---------------------------------------------------------------------------

NumericField::NumericField(QWidget* parent) : QLineEdit(parent) {
    setValidator(new RuleValidator(numericText, this));
}

void NumericField::setArticleRules() {
    tooLarge_ = TooLargeAction::ResetToZero;
    empty_ = EmptyAction::EmptyBecomesZero;
}

void NumericField::setDocumentRules() {
    tooLarge_ = TooLargeAction::Refocus;
    empty_ = EmptyAction::EmptyStaysEmpty;
}

double NumericField::value() const {
    return numberOrZero(text());
}

bool NumericField::finishEntry() {
    if (finishing_ || g_tooLargeMessageOpen) return true;
    QScopedValueRollback guard(finishing_, true);

    const QString typed = text();
    if (typed.isEmpty()) {
        if (empty_ == EmptyAction::EmptyBecomesZero) setText(QStringLiteral("0,00"));
        emit entryFinished();
        return true;
    }
    // "99999,995" is refused too: it would be shown as "100000,00".
    const QString formatted = formatEntry(parseNumber(typed).value_or(0.0));
    if (integerPartTooLong(typed) || integerPartTooLong(formatted)) {
        {
            QScopedValueRollback open(g_tooLargeMessageOpen, true);
            QPointer<NumericField> self(this);
            MsgBoxHr(QStringLiteral("Možete upisati samo do 99 999!"),
                     MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Prevelik broj"));
            if (!self) return false;  // the window went away while the box was open
        }
        if (tooLarge_ == TooLargeAction::ResetToZero) {
            setText(QStringLiteral("0,00"));
            emit entryFinished();
        } else {
            selectAll();
            setFocus(Qt::OtherFocusReason);
        }
        return false;
    }
    // A lone comma reads as nothing and becomes "0,00".
    setText(formatted);
    emit entryFinished();
    return true;
}

void NumericField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (selectsOnFocus(event)) selectAllLater(this);
}

void NumericField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Not a leave: the field's context menu, a message box or another application took the
    // focus, or the field is being hidden (help mode, the window closing).
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return;
    if (!isVisible()) return;
    finishEntry();
}

void NumericField::keyPressEvent(QKeyEvent* event) {
    // Ctrl+key (without AltGr, which some keyboards report as Ctrl+Alt) is a shortcut: copy,
    // paste, undo... A paste is checked by the validator.
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool shortcut =
        (mods & (Qt::ControlModifier | Qt::MetaModifier)) && !(mods & Qt::AltModifier);
    const QString typed = event->text();
    if (!shortcut && !typed.isEmpty() && typed.front().isPrint()) {
        bool take = true;
        for (QChar c : typed) {
            if (isAsciiDigit(c)) continue;
            if (c == u',' && typed.size() == 1 && !text().isEmpty() && !text().contains(u','))
                continue;
            take = false;
        }
        if (!take) {
            showHint(this, QStringLiteral("Upisuju se samo znamenke i jedan decimalni zarez"));
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace kl
