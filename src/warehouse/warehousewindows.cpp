#include "warehouse/warehousewindows.h"

#include "ui/windowregistry.h"
#include "warehouse/frmartikli.h"
#include "warehouse/frmartikliizbor.h"
#include "warehouse/frmeracun.h"
#include "warehouse/frmmedjuskladisnica.h"
#include "warehouse/frmprimka.h"
#include "warehouse/frmunos.h"
#include "warehouse/frmunosdokumenta.h"

namespace kl {

namespace {
PostedDocumentPrinter& printerRef() {
    static PostedDocumentPrinter printer;
    return printer;
}
}  // namespace

void setPostedDocumentPrinter(PostedDocumentPrinter printer) {
    printerRef() = std::move(printer);
}

const PostedDocumentPrinter& postedDocumentPrinter() {
    return printerRef();
}

void defineWarehouseWindows() {
    WindowRegistry& w = windows();
    w.define(win::Artikli, [] { return new frmartikli; });
    w.define(win::ArtikliIzbor, [] { return new frmartikliizbor; });
    w.define(kDocumentWindowName, [] { return new frmPrimka; });
    w.define(win::Unos, [] { return new frmunos; });
    w.define(win::UnosDokumenta, [] { return new frmunosdokumenta; });
    w.define(win::Eracun, [] { return new frmEracun; });
    w.define(kTransferWindowName, [] { return new frmMedjuskladisnica; });
}

}  // namespace kl
