#include "reports/frmpregleddnevnika.h"

#include "reports/reportwindows.h"

namespace kl {

frmpregleddnevnika::frmpregleddnevnika(QWidget* parent) : ReportWindow(parent) {
    setObjectName(win::PregledDnevnika);
    setCaption(QStringLiteral("Pregled dnevnika"));
}

}  // namespace kl
