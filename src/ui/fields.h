#pragma once
// Entry fields shared by every window.
//
//  * TextField    – text that ends up in a database condition or row: the quote characters
//                   ' and " can never be typed or pasted into it.
//  * NumericField – a quantity, price or amount typed with the decimal comma; formatted with two
//                   decimals when the clerk leaves it, refused above 99 999.
//  * selectAllOnFocus() – the "whole text selected on entry" behaviour of both fields, for any
//                   other QLineEdit or editable QComboBox of a window.
//  * refuseQuotes() – the quote rule of TextField, for line edits that are not TextFields
//                   (the line edit of an editable combo box).
//
// Every field of the program selects its whole text when it receives the focus, whether by Tab,
// by a click or from code, so that typing replaces the old value. A focus change caused by a
// context menu or by switching to another application does not select again.

#include <QLineEdit>

class QComboBox;

namespace kl {

// Shows `hint` for a moment under `control` (a tool tip), e.g. why a typed character was refused;
// the last hint stays readable as the control's property "klHint".
void showHint(QWidget* control, const QString& hint);

// Makes the limit of `edit` (its maxLength) visible: while the field is full its tool tip adds
// "Najviše N znakova"; a character typed into the full field shows that as a hint; a paste that
// would not fit is refused whole with the same hint (never cut to fit). TextField does this by
// itself; for other line edits with a limit (e.g. one with a validator of its own).
void showLimits(QLineEdit* edit);

// Selects the whole text of `edit` each time it receives the focus.
void selectAllOnFocus(QLineEdit* edit);

// The same for an editable combo box (its current line edit, also one set later by
// setEditable/setLineEdit). Does nothing harmful on a non-editable combo box.
void selectAllOnFocus(QComboBox* combo);

// Before an account and an OIB are stored: a wrong IBAN or OIB (identifiers.h) is named in a
// warning asking whether to store it anyway; true when nothing is wrong or the clerk said "Da".
bool confirmIdentifiers(const QString& account, const QString& oib);

// True if `text` holds a single (') or double (") quote.
bool containsQuote(QStringView text);

// Makes `edit` refuse the quote characters: a typed quote is not inserted, and a paste or drop
// whose text contains a quote inserts nothing at all (the whole paste is refused, so the clerk
// sees that it did not go in). Installs a QValidator on `edit`; do not replace it.
void refuseQuotes(QLineEdit* edit);

// A line edit for text that goes into the database: refuses quotes (see refuseQuotes) with a hint,
// selects all on focus, optional maximum length through QLineEdit::setMaxLength, shown as
// showLimits() gives.
class TextField : public QLineEdit {
    Q_OBJECT
  public:
    explicit TextField(QWidget* parent = nullptr);
    // A field of a window: its objectName, the most characters it takes, its tool tip.
    TextField(QWidget* parent, const char* name, int maxLength, const QString& tip = QString());

  protected:
    void focusInEvent(QFocusEvent* event) override;
};

// A line edit for a number with the decimal comma.
//
// Keys: digits and Backspace are always taken; a comma only when the field is not empty and
// holds no comma yet; every other character is discarded with a hint (showHint). Keys without a
// character (arrows, Delete, Home/End, Tab, Enter, Esc, F-keys, Ctrl+C/V/X/Z) keep their usual
// meaning. A paste or drop is taken only if the resulting text is digits with at most one comma,
// otherwise nothing is inserted.
//
// Leaving a non-empty field (the focus moves to another control of the program):
//  * integer part above five digits: MsgBoxHr("Možete upisati samo do 99 999!", 48,
//    "Prevelik broj"), then, by tooLargeAction(), the field is reset to "0,00" (ResetToZero)
//    or its whole text is selected and the focus returned to it (Refocus);
//  * otherwise the text is formatted as the entry rule of kl::formatEntry gives it:
//    "5" -> "5,00", "0,5" -> "0,50", "12,345" -> "12,35".
// Leaving an empty field makes it "0,00" (EmptyBecomesZero) or leaves it empty (EmptyStaysEmpty).
// The defaults are ResetToZero and EmptyBecomesZero (the article windows); the document windows
// use setDocumentRules().
//
// Focus lost to a context menu, a message box or another application is not a leave.
class NumericField : public QLineEdit {
    Q_OBJECT
  public:
    enum class TooLargeAction { ResetToZero, Refocus };
    enum class EmptyAction { EmptyBecomesZero, EmptyStaysEmpty };

    explicit NumericField(QWidget* parent = nullptr);

    void setTooLargeAction(TooLargeAction action) { tooLarge_ = action; }
    TooLargeAction tooLargeAction() const { return tooLarge_; }
    void setEmptyAction(EmptyAction action) { empty_ = action; }
    EmptyAction emptyAction() const { return empty_; }

    // Article windows: ResetToZero + EmptyBecomesZero (the defaults).
    void setArticleRules();
    // Document windows: Refocus + EmptyStaysEmpty.
    void setDocumentRules();

    // The value shown; 0 for an empty or unreadable text.
    double value() const;

    // Applies the leaving rules now (also done on every focus-out). Returns false if the value
    // was too large (the message has been shown and the field reset or refocused).
    bool finishEntry();

  signals:
    // The field was left and its text is now final (formatted, "0,00", or empty by the rules).
    // Not emitted when the value was refused as too large and the field refocused.
    void entryFinished();

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    TooLargeAction tooLarge_ = TooLargeAction::ResetToZero;
    EmptyAction empty_ = EmptyAction::EmptyBecomesZero;
    bool finishing_ = false;  // a leave is being handled (its message box steals the focus)
};

}  // namespace kl
