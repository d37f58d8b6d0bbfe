#include "reports/frmprovjerazaliha.h"

#include "data/dberror.h"
#include "reports/reportwindows.h"
#include "ui/controls.h"
#include "ui/msgboxhr.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace kl {

namespace {
const QString kTitle = QStringLiteral("Provjera zaliha");
}

frmProvjeraZaliha::frmProvjeraZaliha(QWidget* parent) : ReportWindow(parent) {
    setObjectName(win::ProvjeraZaliha);
    setCaption(kTitle);

    cmdispravi_ = makeButton(this, "cmdispravi", QStringLiteral("&Ispravi"));
    cmdispravi_->setEnabled(false);
    QPushButton* cmdispisart = makePrintButton();
    QPushButton* cmdizlaz = makeExitButton("cmdizlaz");
    ReportView* box = makeReportBox("rtfprovjera");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdispravi_);
    buttons->addWidget(cmdispisart);
    buttons->addStretch();
    buttons->addWidget(cmdizlaz);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(box, 1);

    setTabOrder(cmdispravi_, cmdispisart);
    setTabOrder(cmdispisart, cmdizlaz);
    setTabOrder(cmdizlaz, box);

    connect(cmdispravi_, &QPushButton::clicked, this, &frmProvjeraZaliha::correct);
}

frmProvjeraZaliha::frmProvjeraZaliha(const BookLocation& book, const QString& bookName,
                                     QWidget* parent)
    : frmProvjeraZaliha(parent) {
    setBook(book, bookName);
}

void frmProvjeraZaliha::setBook(const BookLocation& book, const QString& bookName) {
    book_ = book;
    bookName_ = bookName;
    audited_ = false;
    setCaption(kTitle + QStringLiteral(" - ") + bookName);
    if (isVisible()) runAudit();
}

void frmProvjeraZaliha::showEvent(QShowEvent* event) {
    ReportWindow::showEvent(event);
    if (!audited_ && !book_.isEmpty()) runAudit();
}

void frmProvjeraZaliha::runAudit() {
    audited_ = true;
    QString error;
    {
        BusyCursor busy;
        try {
            differences_ = auditStock(book_);
            setReportText(stockAuditText(bookName_, QDate::currentDate(), differences_));
        } catch (const DbError& e) {
            differences_.clear();
            setReportText(QString());
            error = e.description();
        }
        cmdispravi_->setEnabled(!differences_.empty());
    }
    if (!error.isEmpty()) showReportError(error);
}

void frmProvjeraZaliha::correct() {
    if (differences_.empty()) return;
    if (MsgBoxHr(QStringLiteral("Ispraviti zapisane zalihe prema prometu? Izmijenit će se %1 "
                                "artikala.")
                     .arg(differences_.size()),
                 MsgStyle::YesNo | MsgStyle::Question, kTitle) != MsgResult::Yes)
        return;
    try {
        BusyCursor busy;
        correctStock(book_, differences_);
    } catch (const DbError& e) {
        showReportError(e.description());
        return;
    }
    MsgBoxHr(QStringLiteral("Zalihe su ispravljene."), MsgStyle::OkOnly | MsgStyle::Information,
             kTitle);
    runAudit();
}

}  // namespace kl
