#include "ui/fields.h"

#include "data/convert.h"
#include "data/identifiers.h"
#include "ui/msgboxhr.h"

#include <QClipboard>
#include <QComboBox>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
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
        if (event->type() != QEvent::KeyPress || edit_->isReadOnly()) return false;
        auto* key = static_cast<QKeyEvent*>(event);
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
        if (typed.isEmpty()) return false;
        const qsizetype after = edit_->text().size() - edit_->selectedText().size() + typed.size();
        if (containsQuote(typed) && qobject_cast<TextField*>(edit_)) {
            showHint(edit_, QStringLiteral("Znakovi ' i \" ne mogu se upisati"));
            return false;  // the validator refuses it
        }
        if (after > edit_->maxLength()) {
            showHint(edit_, limitText(edit_->maxLength()) + QStringLiteral(": polje je puno"));
            return true;  // a paste that does not fit goes in not at all, never cut
        }
        return false;
    }

  private:
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
