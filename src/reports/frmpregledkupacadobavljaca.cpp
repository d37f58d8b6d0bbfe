#include "reports/frmpregledkupacadobavljaca.h"

#include "data/appcontext.h"
#include "data/dberror.h"
#include "reports/partnerlist.h"
#include "reports/reportwindows.h"
#include "ui/controls.h"

#include <QGroupBox>
#include <QHBoxLayout>

#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kl {

frmpregledkupacadobavljaca::frmpregledkupacadobavljaca(QWidget* parent) : ReportWindow(parent) {
    setObjectName(win::PregledPartnera);
    setCaption(QStringLiteral("Pregled kupaca/dobavljača"));

    optkupaca_ = makeOption(this, "optkupaca", QStringLiteral("Pregled svih kupaca"));
    optdobavljaca_ = makeOption(this, "optdobavljaca", QStringLiteral("Pregled svih dobavljača"));
    optkupaca_->setChecked(true);
    QGroupBox* frame = makeOptionFrame(this, "Frame5", {optkupaca_, optdobavljaca_});

    QPushButton* cmdprikazart = makeButton(this, "cmdprikazart", QStringLiteral("&Prikaz"));
    QPushButton* cmdispisart = makePrintButton();
    QPushButton* cmddizlaz = makeExitButton("cmddizlaz");
    ReportView* rtfkd = makeReportBox("rtfkd");

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdprikazart);
    buttons->addWidget(cmdispisart);
    buttons->addStretch();
    buttons->addWidget(cmddizlaz);
    auto* top = new QHBoxLayout;
    top->addWidget(frame);
    top->addStretch();
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(rtfkd, 1);

    setTabOrder(optkupaca_, optdobavljaca_);
    setTabOrder(optdobavljaca_, cmdprikazart);
    setTabOrder(cmdprikazart, cmdispisart);
    setTabOrder(cmdispisart, cmddizlaz);
    setTabOrder(cmddizlaz, rtfkd);

    connect(cmdprikazart, &QPushButton::clicked, this, &frmpregledkupacadobavljaca::showList);
}

void frmpregledkupacadobavljaca::showList() {
    const PartnerListKind kind =
        optkupaca_->isChecked() ? PartnerListKind::Customers : PartnerListKind::Suppliers;
    std::vector<PartnerEntry> partners;
    QString error;
    try {
        partners = readPartnerList(context().currentBook(), kind);
    } catch (const DbError& e) {
        error = e.description();
    }
    setReportText(partnerListText(kind, partners, QDate::currentDate()));
    shown_.emplace(kind, std::move(partners));
    if (!error.isEmpty()) showReportError(error);
}

std::optional<sheet::Sheet> frmpregledkupacadobavljaca::reportSheet() const {
    if (!shown_) return std::nullopt;
    return partnerListSheet(shown_->first, shown_->second, QDate::currentDate());
}

}  // namespace kl
