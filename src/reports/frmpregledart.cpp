#include "reports/frmpregledart.h"

#include "reports/reportwindows.h"

namespace kl {

frmPregledart::frmPregledart(QWidget* parent) : ReportWindow(parent) {
    setObjectName(win::PregledArtikala);
    setCaption(QStringLiteral("Pregled artikala"));
}

}  // namespace kl
