#include "reports/frmpregledkupacadobavljaca.h"

#include "reports/reportwindows.h"

namespace kl {

frmpregledkupacadobavljaca::frmpregledkupacadobavljaca(QWidget* parent) : ReportWindow(parent) {
    setObjectName(win::PregledPartnera);
    setCaption(QStringLiteral("Pregled kupaca/dobavljača"));
}

}  // namespace kl
