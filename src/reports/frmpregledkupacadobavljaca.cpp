#include "reports/frmpregledkupacadobavljaca.h"

#include "data/appcontext.h"
#include "data/dberror.h"
#include "reports/partnerlist.h"
#include "reports/reportwindows.h"
#include "ui/controls.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kl {

frmpregledkupacadobavljaca::frmpregledkupacadobavljaca(QWidget* parent) : ReportWindow(parent) {
    setObjectName(win::PregledPartnera);
    setCaption(QStringLiteral("Pregled kupaca/dobavljača"));

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame5"));
    optkupaca_ = new QRadioButton(QStringLiteral("Pregled svih kupaca"), frame);
    optkupaca_->setObjectName(QStringLiteral("optkupaca"));
    optdobavljaca_ = new QRadioButton(QStringLiteral("Pregled svih dobavljača"), frame);
    optdobavljaca_->setObjectName(QStringLiteral("optdobavljaca"));
    optkupaca_->setChecked(true);
    auto* group = new QButtonGroup(this);
    auto* frameLayout = new QVBoxLayout(frame);
    for (QRadioButton* b : {optkupaca_, optdobavljaca_}) {
        group->addButton(b);
        frameLayout->addWidget(b);
    }

    QPushButton* cmdprikazart = makeButton(this, "cmdprikazart", QStringLiteral("&Prikaz"));
    QPushButton* cmdispisart = makePrintButton();
    QPushButton* cmddizlaz = makeExitButton("cmddizlaz");
    QPlainTextEdit* rtfkd = makeReportBox("rtfkd");

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
        partners = readPartnerList(context().currentBookPath(), kind);
    } catch (const DbError& e) {
        error = e.description();
    }
    setReportText(partnerListText(kind, partners, QDate::currentDate()));
    if (!error.isEmpty()) showReportError(error);
}

}  // namespace kl
