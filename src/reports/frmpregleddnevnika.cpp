#include "reports/frmpregleddnevnika.h"

#include "data/appcontext.h"
#include "data/dberror.h"
#include "reports/journalsheet.h"
#include "reports/reportwindows.h"
#include "ui/controls.h"
#include "ui/msgboxhr.h"
#include "ui/printing.h"
#include "ui/reportlist.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kl {

namespace {

ReportList* makeJournalList(QWidget* parent, const char* name) {
    auto* list = new ReportList(parent);
    list->setObjectName(QString::fromLatin1(name));
    const Qt::Alignment r = Qt::AlignRight;
    // 740 pixels: every column shows whole beside the vertical scroll bar.
    list->setColumns({{QStringLiteral("Dat.primke"), 80},
                      {QStringLiteral("Naziv artikla"), 120},
                      {QStringLiteral("V"), 18},
                      {QStringLiteral("Dokument"), 75},
                      {QStringLiteral("Br.dok"), 55},
                      {QStringLiteral("Datum dok."), 80},
                      {QStringLiteral("Kol.ulaz"), 58, r},
                      {QStringLiteral("Kol.izlaz"), 58, r},
                      {QStringLiteral("Cijena"), 56, r},
                      {QStringLiteral("Duguje"), 70, r},
                      {QStringLiteral("Potražuje"), 70, r}});
    return list;
}

}  // namespace

frmpregleddnevnika::frmpregleddnevnika(QWidget* parent) : ReportWindow(parent) {
    setObjectName(win::PregledDnevnika);
    setCaption(QStringLiteral("Pregled dnevnika"));

    optsve_ = makeOption(this, "optsve", QStringLiteral("Cijeli dnevnik"));
    optizbor_ = makeOption(this, "optizbor", QStringLiteral("Izbor"));
    optdatumu_ = makeOption(this, "optdatumu", QStringLiteral("Po datumu"));
    QGroupBox* frame4 = makeOptionFrame(this, "Frame4", {optsve_, optizbor_, optdatumu_});

    framedatum_ = new QGroupBox(this);
    framedatum_->setObjectName(QStringLiteral("Framedatum"));
    dtpod_ = makeDatePicker(framedatum_, "dtpod");
    dtpdo_ = makeDatePicker(framedatum_, "dtpdo");
    auto* lblod = new QLabel(QStringLiteral("Od :"), framedatum_);
    lblod->setObjectName(QStringLiteral("lblod"));
    lblod->setBuddy(dtpod_);
    auto* lbldo = new QLabel(QStringLiteral("Do :"), framedatum_);
    lbldo->setObjectName(QStringLiteral("lbldo"));
    lbldo->setBuddy(dtpdo_);
    auto* dateLayout = new QGridLayout(framedatum_);
    dateLayout->addWidget(lblod, 0, 0);
    dateLayout->addWidget(dtpod_, 0, 1);
    dateLayout->addWidget(lbldo, 1, 0);
    dateLayout->addWidget(dtpdo_, 1, 1);

    cmdprikazart_ = makeButton(this, "cmdprikazart", QStringLiteral("&Prikaz"));
    cmdispisart_ = makePrintButton();
    cmdizlaz_ = makeExitButton("cmdizlaz");

    lsvdnevnik_ = makeJournalList(this, "lsvdnevnik");
    lsvdnevnik_->setMultiSelection(true);
    lsvizbor_ = makeJournalList(this, "lsvizbor");
    ReportView* box = makeReportBox("rtfdnevnik");

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdprikazart_);
    buttons->addWidget(cmdispisart_);
    buttons->addStretch();
    buttons->addWidget(cmdizlaz_);
    auto* top = new QHBoxLayout;
    top->addWidget(frame4);
    top->addWidget(framedatum_);
    top->addStretch();
    top->addLayout(buttons);
    // The two lists and the report box take turns in the same place.
    auto* view = new QGridLayout;
    view->addWidget(lsvdnevnik_, 0, 0);
    view->addWidget(lsvizbor_, 0, 0);
    view->addWidget(box, 0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(view, 1);

    connect(optsve_, &QRadioButton::clicked, this, &frmpregleddnevnika::loadJournal);
    connect(optizbor_, &QRadioButton::clicked, this, &frmpregleddnevnika::loadJournal);
    connect(optdatumu_, &QRadioButton::clicked, this, [this] {
        framedatum_->setEnabled(true);
        fillRange();
        showList(lsvizbor_);
    });
    connect(dtpod_, &QDateEdit::dateChanged, this, &frmpregleddnevnika::fillRange);
    connect(dtpdo_, &QDateEdit::dateChanged, this, &frmpregleddnevnika::fillRange);
    connect(cmdprikazart_, &QPushButton::clicked, this, &frmpregleddnevnika::showReport);

    optsve_->setChecked(true);
    loadJournal();
}

void frmpregleddnevnika::showList(ReportList* list) {
    shownReport_.reset();
    reportBox()->hide();
    (list == lsvdnevnik_ ? lsvizbor_ : lsvdnevnik_)->hide();
    list->show();
}

void frmpregleddnevnika::loadJournal() {
    QString error;
    {
        BusyCursor busy;
        reportBox()->hide();
        lsvdnevnik_->hide();
        lsvizbor_->hide();
        framedatum_->setEnabled(false);
        lsvdnevnik_->clear();
        ReportRows rows;
        try {
            rows = readJournalRows(context().currentBook());
        } catch (const DbError& e) {
            error = e.description();
        }
        lsvdnevnik_->setRows(std::move(rows));
        showList(lsvdnevnik_);
    }
    if (!error.isEmpty()) showReportError(error);
}

void frmpregleddnevnika::fillRange() {
    const int count = lsvdnevnik_->rowCount();
    if (rowDaysRevision_ != lsvdnevnik_->revision()) {
        rowDays_.resize(size_t(count));
        QString previous;  // the lines of one document follow each other and share its date
        qint64 previousDay = kNoDay;
        for (int row = 0; row < count; ++row) {
            const QString text = lsvdnevnik_->text(row, JDatum);
            if (row == 0 || text != previous) {
                previous = text;
                previousDay = journalRowDay(text);
            }
            rowDays_[size_t(row)] = previousDay;
        }
        rowDaysRevision_ = lsvdnevnik_->revision();
    }
    const qint64 from = dtpod_->date().toJulianDay(), to = dtpdo_->date().toJulianDay();
    std::vector<int> inRange;
    for (int row = 0; row < count; ++row) {
        const qint64 day = rowDays_[size_t(row)];
        if (day != kNoDay && day >= from && day <= to) inRange.push_back(row);
    }
    lsvizbor_->setRows(lsvdnevnik_->rows().subset(inRange));
}

JournalScope frmpregleddnevnika::scope() const {
    if (optizbor_->isChecked()) return JournalScope::Selection;
    if (optdatumu_->isChecked()) return JournalScope::Range;
    return JournalScope::All;
}

ReportRows frmpregleddnevnika::chosenRows() const {
    switch (scope()) {
        case JournalScope::All:
            break;
        case JournalScope::Selection: {
            const QList<int> selected = lsvdnevnik_->selectedRows();
            return lsvdnevnik_->rows().subset(std::vector<int>(selected.begin(), selected.end()));
        }
        case JournalScope::Range:
            return lsvizbor_->rows();
    }
    return lsvdnevnik_->rows();
}

void frmpregleddnevnika::showReport() {
    BusyCursor busy;
    reportBox()->show();
    setReportText(QString());
    lsvdnevnik_->hide();
    lsvizbor_->hide();
    const QString title =
        journalTitle(scope(), QDate::currentDate(), dtpod_->date(), dtpdo_->date());
    ReportRows rows = chosenRows();
    shownReport_.emplace(title, rows);
    setReportSource(journalReport(title, std::move(rows)));
}

std::optional<sheet::Sheet> frmpregleddnevnika::reportSheet() const {
    if (!shownReport_) return std::nullopt;
    return journalSheet(shownReport_->first, shownReport_->second);
}

std::vector<QStringList> frmpregleddnevnika::chosenPages() const {
    const JournalScope chosen = scope();
    const QDate today = QDate::currentDate();
    const QString title = journalTitle(chosen, today, dtpod_->date(), dtpdo_->date());
    const QString later =
        chosen == JournalScope::Selection ? journalTitle(JournalScope::All, today) : title;
    return journalPages(title, later, chosenRows());
}

namespace {

PageSetup pageSetupFor(const std::vector<QStringList>& pages) {
    PageSetup setup = journalPageSetup();
    for (const QStringList& page : pages) {
        for (const QString& line : page)
            setup.longestLine = qMax(setup.longestLine, int(line.size()));
    }
    return setup;
}

PrintResult printPages(LinePrinter& printer, const std::vector<QStringList>& pages) {
    if (printer.begin()) {
        for (size_t page = 0; page < pages.size(); ++page) {
            if (page > 0) printer.newPage();
            for (const QString& line : pages[page])
                printer.printLine(line);
        }
    }
    return printer.end();
}

}  // namespace

void frmpregleddnevnika::previewReport() {
    showReport();
    if (!hasReport()) return;
    std::vector<QStringList> pages;
    {
        BusyCursor busy;
        pages = chosenPages();
    }
    const PageSetup setup = pageSetupFor(pages);
    previewPrint(this, printName(), setup.orientation, [&](QPrinter* onto) {
        LinePrinter printer(printName(), setup, onto);
        printPages(printer, pages);
    });
}

int frmpregleddnevnika::previewPageCount() const {
    const std::vector<QStringList> pages = chosenPages();
    const PageSetup setup = pageSetupFor(pages);
    return kl::previewPageCount(
        [&](QPrinter* onto) {
            LinePrinter printer(printName(), setup, onto);
            printPages(printer, pages);
        },
        setup.orientation);
}

void frmpregleddnevnika::printJournal() {
    showReport();
    if (!hasReport()) return;

    const JournalScope chosen = scope();
    const int count =
        chosen == JournalScope::Range ? lsvizbor_->rowCount() : lsvdnevnik_->rowCount();
    if (MsgBoxHr(QStringLiteral("Broj stranica: ") + QString::number(journalPageEstimate(count)) +
                     QStringLiteral(" Ispis dokumenta?"),
                 MsgStyle::YesNo | MsgStyle::Question,
                 QStringLiteral("Ispis dokumenta!")) != MsgResult::Yes)
        return;

    PrintResult result;
    {
        BusyCursor busy;
        const std::vector<QStringList> pages = chosenPages();
        LinePrinter printer(printName(), pageSetupFor(pages));
        result = printPages(printer, pages);
    }
    showPrintResult(result);
}

}  // namespace kl
