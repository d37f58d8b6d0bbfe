#include "reports/reportwindows.h"

#include "reports/frminventura.h"
#include "reports/frmpregledart.h"
#include "reports/frmpregleddnevnika.h"
#include "reports/frmpregledkupacadobavljaca.h"
#include "reports/frmpregledprimki.h"
#include "reports/frmprovjerazaliha.h"
#include "ui/windowregistry.h"
#include "warehouse/warehousewindows.h"

namespace kl {

void defineReportWindows() {
    WindowRegistry& w = windows();
    w.define(win::PregledArtikala, [] { return new frmPregledart; });
    w.define(win::PregledDnevnika, [] { return new frmpregleddnevnika; });
    w.define(win::PregledPrimki, [] { return new frmpregledprimki(DocumentKind::Receipt); });
    w.define(win::PregledIzdatnica, [] { return new frmpregledprimki(DocumentKind::Issue); });
    w.define(win::PregledPartnera, [] { return new frmpregledkupacadobavljaca; });
    w.define(win::ProvjeraZaliha, [] { return new frmProvjeraZaliha; });
    w.define(win::Inventura, [] { return new frmInventura; });
    setPostedDocumentPrinter(printPostedDocument);
}

}  // namespace kl
