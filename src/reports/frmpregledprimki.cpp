#include "reports/frmpregledprimki.h"

#include "reports/reportwindows.h"

namespace kl {

frmpregledprimki::frmpregledprimki(DocumentKind kind, QWidget* parent)
    : ReportWindow(parent), kind_(kind) {
    const bool receipts = kind == DocumentKind::Receipt;
    setObjectName(receipts ? win::PregledPrimki : win::PregledIzdatnica);
    setCaption(receipts ? QStringLiteral("Pregled primki") : QStringLiteral("Pregled izdatnica"));
}

}  // namespace kl
