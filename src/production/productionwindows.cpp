#include "production/productionwindows.h"

#include "production/frmproizvodi.h"
#include "production/frmrn.h"
#include "ui/windowregistry.h"

namespace kl {

void defineProductionWindows() {
    WindowRegistry& w = windows();
    w.define(win::Proizvodi, [] { return new frmproizvodi; });
    w.define(win::RadniNalozi, [] { return new frmrn; });
}

}  // namespace kl
