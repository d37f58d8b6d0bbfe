#pragma once
// The windows of the shell (start-up, company and book registers, main window, about window)
// and their names in the window registry.

#include <QString>

class QWidget;

namespace kl {

namespace win {
inline const QString Uvod = QStringLiteral("frmUvod");
inline const QString IzborTvrtke = QStringLiteral("frmIzborTvrtke");
inline const QString UpisNove = QStringLiteral("frmUpisNove");
inline const QString IzborKnjige = QStringLiteral("frmIzborKnjige");
inline const QString Skladiste = QStringLiteral("frmSkladiste");
inline const QString About = QStringLiteral("frmAbout");
inline const QString Alati = QStringLiteral("frmAlati");
inline const QString Prirucnik = QStringLiteral("frmPrirucnik");
}  // namespace win

// Defines the shell windows in kl::windows(), and the windows of a book that the shell opens.
void defineShellWindows();

// Shows a top-level window of the shell and brings it to the front. The first time it is shown it
// is put where it was last left (restorePlacement), or centred on the screen when nothing is
// remembered of it.
void showWindow(QWidget* window);

// Puts a top-level window where it stood when it was last hidden, kept on a visible screen, and
// from now on remembers its placement each time it is hidden (closed). Returns false when
// nothing was remembered of it (it is then left where it is, but remembered from now on).
bool restorePlacement(QWidget* window);
// Remembers where `window` stands now under its object name; a write that fails is not said.
void rememberPlacement(QWidget* window);

// True while the program is ending: windows that would bring back the company register when
// they close do not.
bool isQuitting();
void setQuitting(bool quitting);

}  // namespace kl
