#pragma once
// The Croatian message box. Every message of the program is shown through MsgBoxHr: a standard
// message box whose buttons read "U redu", "Odustani", "Da", "Ne", ... and which returns the
// standard result codes. Tests replace the dialog by a scripted responder (see setMsgBoxResponder)
// so that no test ever blocks on a modal box and every prompt, style and title can be checked.

#include <QString>
#include <QStringList>

#include <functional>

namespace kl {

class DbError;

// Style word: low three bits = button set, then icon, then default button.
namespace MsgStyle {
constexpr int OkOnly = 0;
constexpr int OkCancel = 1;
constexpr int AbortRetryIgnore = 2;
constexpr int YesNoCancel = 3;
constexpr int YesNo = 4;
constexpr int RetryCancel = 5;
constexpr int Critical = 16;
constexpr int Question = 32;
constexpr int Exclamation = 48;
constexpr int Information = 64;
constexpr int DefaultButton2 = 256;
constexpr int DefaultButton3 = 512;
}  // namespace MsgStyle

// Standard result codes.
namespace MsgResult {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Abort = 3;
constexpr int Retry = 4;
constexpr int Ignore = 5;
constexpr int Yes = 6;
constexpr int No = 7;
}  // namespace MsgResult

// The title shown when a message is given an empty title.
QString applicationTitle();

// One message box as it is shown: the prompt, the style word, the title as shown (an empty title
// already replaced by the application title), the button captions left to right with the result
// code each button returns, and the index of the default button.
struct MsgBoxShown {
    QString prompt;
    int style = 0;
    QString title;
    QStringList buttons;
    QList<int> results;
    int defaultButton = 0;
    bool plain = false;  // shown with the platform's own captions (plainMsgBox)
};

// Button captions and their result codes for a style word, left to right. The sets are tested
// in the order 5, 4, 3, 2, 1 (style AND n = n), so 6 gives Yes/No and 7 Retry/Cancel; the icon
// and default-button bits never change the set.
QStringList msgBoxCaptions(int style);
QList<int> msgBoxResults(int style);

// Shows the message box and returns the code of the button pressed. The buttons stand left to
// right in the order of msgBoxCaptions, whatever the platform's habit. Closing the box with Esc or
// its close button returns Cancel where the box has a Cancel button, otherwise OK for a single OK,
// No for Yes/No and Abort for Abort/Retry/Ignore. The prompt is plain text; "\n" starts a new line.
// The dialog is named "msgboxhr", its buttons "msgbutton0".."msgbutton2", the prompt "msgprompt".
int MsgBoxHr(const QString& prompt, int style = MsgStyle::OkOnly, const QString& title = QString());

// A database failure: `what` went wrong (one line), then the error's own description; OK button,
// critical icon, title "Greška u bazi".
void showDbError(const QString& what, const DbError& error);

// The platform's plain message box (English button captions "OK", "Cancel", "Yes", "No"), used
// for the few messages that are not localised.
int plainMsgBox(const QString& prompt, int style = MsgStyle::OkOnly,
                const QString& title = QString());

// Test seam: while a responder is set, no dialog is shown; the responder receives each box and
// returns the code of the button to press. Pass an empty function to restore the real dialog.
using MsgBoxResponder = std::function<int(const MsgBoxShown&)>;
void setMsgBoxResponder(MsgBoxResponder responder);

}  // namespace kl
