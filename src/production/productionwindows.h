#pragma once
// The windows of a production book and their names in the window registry.

#include "warehouse/documentlists.h"

#include <QString>

namespace kl {

namespace win {
inline const QString Proizvodi = kProductsWindowName;
inline const QString RadniNalozi = QStringLiteral("frmrn");
}  // namespace win

// Defines the production windows in kl::windows().
void defineProductionWindows();

}  // namespace kl
