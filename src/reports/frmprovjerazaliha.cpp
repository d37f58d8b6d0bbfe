#include "reports/frmprovjerazaliha.h"

#include "data/convert.h"
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

std::optional<sheet::Sheet> frmProvjeraZaliha::reportSheet() const {
    using sheet::Cell;
    if (!hasReport()) return std::nullopt;
    sheet::Sheet s;
    s.name = kTitle + QLatin1Char(' ') + bookName_;
    s.titleLines = {QStringLiteral("PROVJERA ZALIHA"), QStringLiteral("Skladište: ") + bookName_ +
                                                           QStringLiteral(" na dan: ") +
                                                           dateText(auditedOn_)};
    s.heading = {QStringLiteral("Šifra"),
                 QStringLiteral("Naziv"),
                 QStringLiteral("Stanje zapisano"),
                 QStringLiteral("Stanje prema prometu"),
                 QStringLiteral("Vrijednost zapisano"),
                 QStringLiteral("Vrijednost prema prometu"),
                 QStringLiteral("Pr.cijena zapisano"),
                 QStringLiteral("Pr.cijena prema prometu")};
    // Two decimals, as the report shows them; four when two would hide the difference.
    const auto pair = [](double stored, double replay, Precision p, sheet::Row& row) {
        const int decimals = format00(stored, p) == format00(replay, p) && stored != replay ? 4 : 2;
        row.push_back(Cell::ofNumber(roundHalfAway(stored, decimals), decimals));
        row.push_back(Cell::ofNumber(roundHalfAway(replay, decimals), decimals));
    };
    for (const StockDifference& d : differences_) {
        sheet::Row row{Cell::ofText(d.sifra.trimmed()), Cell::ofText(d.naziv.trimmed())};
        pair(d.storedStanje, d.replayStanje, Precision::Single, row);
        pair(d.storedVrijednost, d.replayVrijednost, Precision::Currency, row);
        pair(d.storedProscijena, d.replayProscijena, Precision::Currency, row);
        s.rows.push_back(std::move(row));
    }
    s.totals.push_back({Cell::ofText(QStringLiteral("Artikala s razlikom")), Cell::empty(),
                        Cell::ofNumber(double(differences_.size()), 0)});
    return s;
}

void frmProvjeraZaliha::runAudit() {
    audited_ = true;
    QString error;
    {
        BusyCursor busy;
        try {
            differences_ = auditStock(book_);
            auditedOn_ = QDate::currentDate();
            setReportText(stockAuditText(bookName_, auditedOn_, differences_));
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
