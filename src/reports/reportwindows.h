#pragma once
// The report windows of a warehouse book and their names in the window registry.

#include <QString>

namespace kl {

namespace win {
inline const QString PregledArtikala = QStringLiteral("frmPregledart");
inline const QString PregledDnevnika = QStringLiteral("frmpregleddnevnika");
inline const QString PregledPrimki = QStringLiteral("frmpregledprimki");
inline const QString PregledIzdatnica = QStringLiteral("frmpregledizdatnice");
inline const QString PregledPartnera = QStringLiteral("frmpregledkupacadobavljaca");
inline const QString ProvjeraZaliha = QStringLiteral("frmProvjeraZaliha");
inline const QString Inventura = QStringLiteral("frmInventura");
}  // namespace win

// Defines the report windows in kl::windows().
void defineReportWindows();

}  // namespace kl
