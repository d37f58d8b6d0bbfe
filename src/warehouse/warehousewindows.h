#pragma once
// The windows of a warehouse book's master data and their names in the window registry.

#include <QString>

namespace kl {

namespace win {
inline const QString Artikli = QStringLiteral("frmartikli");
inline const QString ArtikliIzbor = QStringLiteral("frmartikliizbor");
inline const QString Unos = QStringLiteral("frmunos");
inline const QString UnosDokumenta = QStringLiteral("frmunosdokumenta");
}  // namespace win

// Defines the warehouse windows in kl::windows().
void defineWarehouseWindows();

}  // namespace kl
