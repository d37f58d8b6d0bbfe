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

// Shows a top-level window of the shell and brings it to the front; the first time it is shown
// it is centred on the screen.
void showWindow(QWidget* window);

// True while the program is ending: windows that would bring back the company register when
// they close do not.
bool isQuitting();
void setQuitting(bool quitting);

}  // namespace kl
