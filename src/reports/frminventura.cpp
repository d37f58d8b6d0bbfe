#include "reports/frminventura.h"

#include "data/appcontext.h"
#include "data/convert.h"
#include "data/dberror.h"
#include "reports/reportwindows.h"
#include "ui/controls.h"
#include "ui/msgboxhr.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kl {

namespace {

const QString kTitle = QStringLiteral("Inventura");

QString stateText(bool closed) {
    return closed ? QStringLiteral("zaključena") : QStringLiteral("u tijeku");
}

}  // namespace

frmInventura::frmInventura(QWidget* parent) : ReportWindow(parent) {
    setObjectName(win::Inventura);
    setCaption(kTitle);

    cbinventure_ = new QComboBox(this);
    cbinventure_->setObjectName(QStringLiteral("cbinventure"));
    cbinventure_->setMinimumWidth(260);
    dtdatum_ = makeDatePicker(this, "dtdatum");
    QPushButton* cmdnova = makeButton(this, "cmdnova", QStringLiteral("&Nova inventura"));

    txtsifra_ = new QLineEdit(this);
    txtsifra_->setObjectName(QStringLiteral("txtsifra"));
    txtsifra_->setPlaceholderText(QStringLiteral("Šifra ili bar kod"));
    txtkolicina_ = new QLineEdit(this);
    txtkolicina_->setObjectName(QStringLiteral("txtkolicina"));
    txtkolicina_->setPlaceholderText(QStringLiteral("Količina"));
    txtfilter_ = new QLineEdit(this);
    txtfilter_->setObjectName(QStringLiteral("txtfilter"));
    txtfilter_->setPlaceholderText(QStringLiteral("Traži (šifra ili naziv)"));

    lststavke_ = new QTableWidget(0, 5, this);
    lststavke_->setObjectName(QStringLiteral("lststavke"));
    lststavke_->setHorizontalHeaderLabels({QStringLiteral("Šifra"), QStringLiteral("Naziv"),
                                           QStringLiteral("J.mj."), QStringLiteral("Knjižno"),
                                           QStringLiteral("Popisano")});
    lststavke_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lststavke_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lststavke_->horizontalHeader()->setStretchLastSection(true);
    lststavke_->verticalHeader()->setVisible(false);

    optsifra_ = makeOption(this, "optsifra", QStringLiteral("Po šifri"));
    optnaziv_ = makeOption(this, "optnaziv", QStringLiteral("Po nazivu"));
    optsifra_->setChecked(true);
    QGroupBox* order = makeOptionFrame(this, "Frame1", {optsifra_, optnaziv_});
    QPushButton* cmdlista = makeButton(this, "cmdlista", QStringLiteral("Popisna &lista"));
    QPushButton* cmdrazlike = makeButton(this, "cmdrazlike", QStringLiteral("&Razlike"));
    cmdknjizi_ = makeButton(this, "cmdknjizi", QStringLiteral("&Knjiži razlike"));
    QPushButton* cmdispis = makePrintButton();
    QPushButton* cmdizlaz = makeExitButton("cmdizlaz");
    makeReportBox("rtfinventura");

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Inventura:"), this));
    top->addWidget(cbinventure_, 1);
    top->addWidget(new QLabel(QStringLiteral("Na dan:"), this));
    top->addWidget(dtdatum_);
    top->addWidget(cmdnova);
    auto* entry = new QHBoxLayout;
    entry->addWidget(txtsifra_, 2);
    entry->addWidget(txtkolicina_, 1);
    entry->addWidget(txtfilter_, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(order);
    for (QPushButton* b : {cmdlista, cmdrazlike, cmdknjizi_, cmdispis, cmdizlaz})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(lststavke_, 1);
    body->addWidget(reportBox(), 2);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(entry);
    layout->addLayout(body, 1);

    connect(cmdnova, &QPushButton::clicked, this, &frmInventura::novaInventura);
    connect(cmdlista, &QPushButton::clicked, this, &frmInventura::popisnaLista);
    connect(cmdrazlike, &QPushButton::clicked, this, &frmInventura::razlike);
    connect(cmdknjizi_, &QPushButton::clicked, this, &frmInventura::knjiziRazlike);
    connect(txtsifra_, &QLineEdit::returnPressed, this, &frmInventura::codeEntered);
    connect(txtkolicina_, &QLineEdit::returnPressed, this, &frmInventura::quantityEntered);
    connect(txtfilter_, &QLineEdit::textChanged, this, &frmInventura::applyFilter);
    connect(cbinventure_, &QComboBox::currentIndexChanged, this, &frmInventura::loadChosen);

    fillList();
    setInitialFocus(txtsifra_);
}

std::optional<sheet::Sheet> frmInventura::reportSheet() const {
    if (!shown_ || report_ == Report::None) return std::nullopt;
    if (report_ == Report::CountingSheet)
        return countingSheet(bookName(), *shown_, optnaziv_->isChecked());
    return differencesSheet(bookName(), *shown_);
}

QString frmInventura::bookName() const {
    return context().currentBookName;
}

void frmInventura::fillList(qint64 select) {
    std::vector<StockTakingSummary> list;
    try {
        list = stockTakings(context().currentBook());
    } catch (const DbError& e) {
        showReportError(e.description());
    }
    {
        const QSignalBlocker block(cbinventure_);
        cbinventure_->clear();
        for (const StockTakingSummary& s : list)
            cbinventure_->addItem(QStringLiteral("Inventura br. %1 na dan %2 (%3)")
                                      .arg(s.broj)
                                      .arg(dateText(s.datum), stateText(s.closed)),
                                  s.id);
        const int at = cbinventure_->findData(select);
        cbinventure_->setCurrentIndex(at >= 0 ? at : cbinventure_->count() > 0 ? 0 : -1);
    }
    loadChosen();
}

void frmInventura::loadChosen() {
    shown_.reset();
    report_ = Report::None;
    current_ = -1;
    if (cbinventure_->currentIndex() >= 0) {
        try {
            shown_ =
                loadStockTaking(context().currentBook(), cbinventure_->currentData().toLongLong());
        } catch (const DbError& e) {
            showReportError(e.description());
        }
    }
    const bool open = shown_ && !shown_->closed;
    txtsifra_->setEnabled(open);
    txtkolicina_->setEnabled(open);
    cmdknjizi_->setEnabled(open);
    fillLines();
}

void frmInventura::fillLines() {
    lststavke_->setRowCount(0);
    if (!shown_) return;
    lststavke_->setRowCount(int(shown_->lines.size()));
    for (int r = 0; r < int(shown_->lines.size()); ++r) {
        const StockTakingLine& l = shown_->lines[size_t(r)];
        const QStringList cells{l.sifra.trimmed(), l.naziv.trimmed(), l.jedmjere.trimmed(),
                                format00(l.knjizno, Precision::Single),
                                l.popisano ? format00(*l.popisano, Precision::Single) : QString()};
        for (int c = 0; c < cells.size(); ++c)
            lststavke_->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    applyFilter();
}

void frmInventura::applyFilter() {
    const QString f = txtfilter_->text().trimmed();
    for (int r = 0; r < lststavke_->rowCount(); ++r) {
        const bool match = f.isEmpty() ||
                           lststavke_->item(r, 0)->text().contains(f, Qt::CaseInsensitive) ||
                           lststavke_->item(r, 1)->text().contains(f, Qt::CaseInsensitive);
        lststavke_->setRowHidden(r, !match);
    }
}

void frmInventura::novaInventura() {
    const QDate day = dtdatum_->date();
    if (MsgBoxHr(QStringLiteral("Započeti novu inventuru na dan %1? Knjižno stanje svih artikala "
                                "uzima se na kraju tog dana.")
                     .arg(dateText(day)),
                 MsgStyle::YesNo | MsgStyle::Question, kTitle) != MsgResult::Yes)
        return;
    try {
        const qint64 id = startStockTaking(context().currentBook(), day);
        fillList(id);
    } catch (const DbError& e) {
        showReportError(e.description());
    }
    txtsifra_->setFocus();
}

void frmInventura::codeEntered() {
    if (!shown_) return;
    const int at = findLine(*shown_, txtsifra_->text());
    if (at < 0) {
        MsgBoxHr(QStringLiteral("Artikl sa šifrom ili bar kodom %1 nije na popisu.")
                     .arg(txtsifra_->text().trimmed()),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, kTitle);
        txtsifra_->selectAll();
        return;
    }
    current_ = at;
    lststavke_->selectRow(at);
    const auto& l = shown_->lines[size_t(at)];
    txtkolicina_->setText(l.popisano ? format00(*l.popisano, Precision::Single) : QString());
    txtkolicina_->setFocus();
    txtkolicina_->selectAll();
}

void frmInventura::quantityEntered() {
    if (!shown_ || current_ < 0) {
        txtsifra_->setFocus();
        return;
    }
    const QString text = txtkolicina_->text().trimmed();
    std::optional<double> quantity;
    if (!text.isEmpty()) {
        const std::optional<double> q = parseNumber(text);
        if (!q || *q < 0) {
            MsgBoxHr(QStringLiteral("Količina mora biti broj, nula ili veći."),
                     MsgStyle::OkOnly | MsgStyle::Exclamation, kTitle);
            txtkolicina_->selectAll();
            return;
        }
        quantity = *q;
    }
    StockTakingLine& l = shown_->lines[size_t(current_)];
    try {
        const QString refusal = setCounted(context().currentBook(), l.id, quantity);
        if (!refusal.isEmpty()) {
            MsgBoxHr(refusal, MsgStyle::OkOnly | MsgStyle::Exclamation, kTitle);
            return;
        }
    } catch (const DbError& e) {
        showReportError(e.description());
        return;
    }
    l.popisano = quantity ? std::optional<double>(roundHalfAway(*quantity, 2)) : std::nullopt;
    lststavke_->item(current_, 4)
        ->setText(l.popisano ? format00(*l.popisano, Precision::Single) : QString());
    current_ = -1;
    txtkolicina_->clear();
    txtsifra_->clear();
    txtsifra_->setFocus();
}

void frmInventura::popisnaLista() {
    if (!shown_) return;
    setReportText(countingSheetText(bookName(), *shown_, optnaziv_->isChecked()));
    report_ = Report::CountingSheet;
}

void frmInventura::razlike() {
    if (!shown_) return;
    setReportText(differencesText(bookName(), *shown_));
    report_ = Report::Differences;
}

void frmInventura::knjiziRazlike() {
    if (!shown_ || shown_->closed) return;
    // Articles with a book stock that nobody counted: gone (counted at zero) or forgotten.
    bool uncountedAsZero = false;
    if (const auto uncounted = uncountedWithStock(*shown_); !uncounted.empty()) {
        QStringList named;
        for (size_t i = 0; i < uncounted.size() && i < 5; ++i)
            named << uncounted[i]->sifra.trimmed() + u' ' + uncounted[i]->naziv.trimmed();
        if (uncounted.size() > 5) named << QStringLiteral("...");
        const int answer = MsgBoxHr(
            QStringLiteral("Nepopisanih artikala s knjižnim stanjem: %1 (%2). Knjižiti ih kao "
                           "popisane s količinom nula, s manjkom cijelog stanja?\nNe: ostaju bez "
                           "razlike.")
                .arg(uncounted.size())
                .arg(named.join(QStringLiteral(", "))),
            MsgStyle::YesNoCancel | MsgStyle::Question | MsgStyle::DefaultButton3, kTitle);
        if (answer != MsgResult::Yes && answer != MsgResult::No) return;
        uncountedAsZero = answer == MsgResult::Yes;
    }
    if (MsgBoxHr(QStringLiteral("Knjižiti razlike inventure br. %1 na dan %2? Manjkovi se knjiže "
                                "jednom izdatnicom, viškovi jednom primkom, a inventura se "
                                "zaključuje.")
                     .arg(shown_->broj)
                     .arg(dateText(shown_->datum)),
                 MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2,
                 kTitle) != MsgResult::Yes)
        return;
    const qint64 id = shown_->id;
    try {
        const DifferencesPosting p = postDifferences(context().currentBook(), id, uncountedAsZero);
        if (!p.refusal.isEmpty()) {
            MsgBoxHr(p.refusal, MsgStyle::OkOnly | MsgStyle::Exclamation, kTitle);
            return;
        }
        fillList(id);
        razlike();
        const QString issue = p.issueNumber ? QStringLiteral("izdatnica br. %1").arg(p.issueNumber)
                                            : QStringLiteral("bez izdatnice");
        const QString receipt = p.receiptNumber
                                    ? QStringLiteral("primka br. %1").arg(p.receiptNumber)
                                    : QStringLiteral("bez primke");
        MsgBoxHr(QStringLiteral("Razlike su knjižene (%1, %2). Inventura je zaključena.")
                     .arg(issue, receipt),
                 MsgStyle::OkOnly | MsgStyle::Information, kTitle);
    } catch (const DbError& e) {
        showReportError(e.description());
    }
}

}  // namespace kl
