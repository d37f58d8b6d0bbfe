#include "shell/frmizbortvrtke.h"

#include "data/appcontext.h"
#include "data/convert.h"
#include "data/dberror.h"
#include "data/schema.h"
#include "shell/companies.h"
#include "shell/companyserver.h"
#include "shell/frmizborknjige.h"
#include "shell/frmskladiste.h"
#include "shell/frmupisnove.h"
#include "shell/helptexts.h"
#include "shell/settings.h"
#include "shell/shellwindows.h"
#include "ui/controls.h"
#include "ui/msgboxhr.h"
#include "ui/printing.h"
#include "ui/reportlist.h"
#include "ui/windowregistry.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kl {

namespace {

// Sub-item 10 (the last column) holds the company's id.
constexpr int kIdColumn = 10;

}  // namespace

frmIzborTvrtke::frmIzborTvrtke(QWidget* parent) : ChildWindow(parent, Sizing::Free) {
    setObjectName(win::IzborTvrtke);
    setAttribute(Qt::WA_DeleteOnClose);
    setCaption(normalCaption());
    setHelpText(help::companySelection());

    label2_ = new QLabel(QStringLiteral("Izaberite sa liste :"), this);
    label2_->setObjectName(QStringLiteral("Label2"));

    lsvLista_ = new ReportList(this);
    lsvLista_->setObjectName(QStringLiteral("lsvLista"));
    lsvLista_->useFixedPitchFont(10);
    lsvLista_->setColumns({{QStringLiteral("Naziv"), 240},
                           {QStringLiteral("m.b."), 115},
                           {QStringLiteral("Šifra dj."), 90},
                           {QStringLiteral("T/O"), 35},
                           {QStringLiteral("Žiro račun"), 175},
                           {QStringLiteral("Pošt.br."), 65},
                           {QStringLiteral("Mjesto"), 165},
                           {QStringLiteral("Ulica i br."), 240},
                           {QStringLiteral("Telefon"), 130},
                           {QStringLiteral("Kontakt"), 130},
                           {QString(), 0}});

    cmdUlaz_ = makeButton(this, "cmdUlaz", QStringLiteral("&Ulaz"),
                          QStringLiteral("Ulazimo u odabranu tvrtku ili obrt"));
    cmdUlaz_->setEnabled(false);
    cmdNova_ = makeButton(this, "cmdNova", QStringLiteral("&Dodaj novu tvrtku ili obrt..."));
    cmdUredjivanje_ = makeButton(this, "cmdUredjivanje", QStringLiteral("U&ređivanje..."),
                                 QStringLiteral("Izmjena odabrane tvrtke"));
    cmdBrisanje_ = makeButton(this, "cmdBrisanje", QStringLiteral("&Brisanje"),
                              QStringLiteral("Brisanje tvrtke ili obrta"));
    cmdispis_ = makeButton(this, "cmdispis", QStringLiteral("I&spis"),
                           QStringLiteral("Ispis odabrane knjige na pisač"));
    cmdizlaz_ = makeButton(this, "cmdizlaz", QStringLiteral("&Izlaz"));

    lblIme_ = hiddenLabel(this, "lblIme");
    lblidt_ = hiddenLabel(this, "lblidt");

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdUlaz_, cmdNova_, cmdUredjivanje_, cmdBrisanje_, cmdispis_})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdizlaz_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label2_);
    layout->addWidget(lsvLista_, 1);
    layout->addLayout(buttons);
    resize(1040, 480);

    connect(lsvLista_, &ReportList::currentRowChanged, this, &frmIzborTvrtke::selectionChanged);
    connect(lsvLista_, &ReportList::rowClicked, this, &frmIzborTvrtke::selectionChanged);
    connect(lsvLista_, &ReportList::rowDoubleClicked, this, &frmIzborTvrtke::enterCompany);
    connect(cmdUlaz_, &QPushButton::clicked, this, &frmIzborTvrtke::enterCompany);
    connect(cmdNova_, &QPushButton::clicked, this, &frmIzborTvrtke::newCompany);
    connect(cmdUredjivanje_, &QPushButton::clicked, this, &frmIzborTvrtke::editCompany);
    connect(cmdBrisanje_, &QPushButton::clicked, this, &frmIzborTvrtke::deleteCompany);
    connect(cmdispis_, &QPushButton::clicked, this, &frmIzborTvrtke::printCompany);
    connect(cmdizlaz_, &QPushButton::clicked, this, &frmIzborTvrtke::quitProgram);

    loadCompanies();
}

QList<QWidget*> frmIzborTvrtke::helpHiddenControls() const {
    return {lsvLista_, cmdUlaz_, cmdizlaz_, cmdUredjivanje_, cmdBrisanje_, cmdNova_, cmdispis_};
}

void frmIzborTvrtke::loadCompanies() {
    lsvLista_->clear();
    QList<CompanyRow> companies;
    try {
        schema::ensureMasterDatabase(context().masterPath());
        companies = kl::loadCompanies();
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Popis tvrtki nije moguće učitati."), e);
    }
    std::vector<QStringList> rows;
    rows.reserve(size_t(companies.size()));
    for (const CompanyRow& c : std::as_const(companies)) {
        QStringList texts(c.fields.begin(), c.fields.end());
        texts.append(c.id);
        rows.push_back(std::move(texts));
    }
    lsvLista_->setRows(std::move(rows));
    if (lsvLista_->rowCount() > 0) {
        cmdUlaz_->setEnabled(true);
        cmdUredjivanje_->setEnabled(true);
        cmdBrisanje_->setEnabled(true);
        // The company entered last time stands selected.
        const int last =
            lsvLista_->findRow(settings::valueOr(settings::lastCompanyKey()), kIdColumn);
        lsvLista_->setCurrentRow(qMax(last, 0));
        selectionChanged();
    } else {
        cmdUlaz_->setEnabled(false);
        cmdUredjivanje_->setEnabled(false);
        cmdBrisanje_->setEnabled(false);
    }
}

int frmIzborTvrtke::selectedRow() const {
    const QList<int> selected = lsvLista_->selectedRows();
    return selected.isEmpty() ? -1 : selected.back();
}

CompanyRow frmIzborTvrtke::rowAt(int row) const {
    CompanyRow c;
    for (int i = 0; i < int(c.fields.size()); ++i)
        c.fields[size_t(i)] = lsvLista_->text(row, i);
    c.id = lsvLista_->text(row, kIdColumn);
    return c;
}

void frmIzborTvrtke::selectionChanged() {
    if (lsvLista_->rowCount() == 0) return;
    const int row = selectedRow();
    if (row < 0) return;
    lblidt_->setText(lsvLista_->text(row, kIdColumn));
    lblIme_->setText(lsvLista_->text(row, 0));
    cmdUlaz_->setEnabled(true);
    cmdUredjivanje_->setEnabled(true);
    cmdBrisanje_->setEnabled(true);
}

void frmIzborTvrtke::enterCompany() {
    const int row = selectedRow();
    if (row < 0) return;
    const CompanyRow company = rowAt(row);
    std::optional<CompanyServer> server;
    try {
        server = companyServer(company.id);
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Ne mogu pročitati gdje su knjige tvrtke."), e);
        return;
    }
    if (server) {
        const QString problem =
            checkCompanyServer(*server, [&] { return askServerPassword(this, server->address); });
        if (!problem.isEmpty()) {
            MsgBoxHr(QStringLiteral("Knjige tvrtke %1 su na poslužitelju, a veza s njim nije "
                                    "uspjela:\n%2\nNišta nije promijenjeno.")
                         .arg(company.name(), problem),
                     MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Poslužitelj"));
            return;
        }
    }
    context().currentCompanyId = numberOrZero(company.id);
    context().currentCompanyName = company.name();
    enterCompanyServer(server);
    settings::trySetValue(settings::lastCompanyKey(), company.id);
    auto* books = windows().window<frmIzborKnjige>(win::IzborKnjige);
    if (!books) return;
    books->setCompany(context().companyIdText());
    books->setCaption(company.name() + QStringLiteral(" - izbor knjige ") +
                      QStringLiteral("     Pomoć F1"));
    showWindow(books);
}

void frmIzborTvrtke::showCompanyEntry() {
    auto* entry = windows().window<frmUpisNove>(win::UpisNove);
    if (!entry) return;
    showWindow(entry);
    close();
}

void frmIzborTvrtke::newCompany() {
    auto* entry = windows().window<frmUpisNove>(win::UpisNove);
    if (!entry) return;
    entry->startInsert();
    showCompanyEntry();
}

void frmIzborTvrtke::editCompany() {
    const int row = selectedRow();
    if (row < 0) return;
    const CompanyRow company = rowAt(row);
    context().currentCompanyId = numberOrZero(company.id);
    auto* entry = windows().window<frmUpisNove>(win::UpisNove);
    if (!entry) return;
    entry->startEdit(company);
    showCompanyEntry();
}

void frmIzborTvrtke::deleteCompany() {
    context().currentCompanyId = numberOrZero(lblidt_->text());
    const QString id = context().companyIdText();
    const QString name = lblIme_->text();
    if (MsgBoxHr(QStringLiteral("Želite trajno ukloniti tvtku: ") + name +
                     QStringLiteral("  i sve njezine knjige?") + QLatin1Char('\n') +
                     QStringLiteral("Molim budite pažljivi!!!"),
                 MsgStyle::YesNo | MsgStyle::Critical | MsgStyle::DefaultButton2,
                 QStringLiteral("Brisanje tvrtke /obrta")) != MsgResult::Yes)
        return;

    // The company's book must not stay open while its file goes.
    if (auto* main = windows().loaded<frmSkladiste>(win::Skladiste);
        main && main->companyId() == id) {
        if (!main->close()) return;
    }
    if (auto* books = windows().loaded<frmIzborKnjige>(win::IzborKnjige);
        books && books->companyId() == id)
        books->close();

    try {
        kl::deleteCompany(id);
    } catch (const DbError& e) {
        MsgBoxHr(QStringLiteral("Tvrtka nije obrisana.\n") + e.description(),
                 MsgStyle::OkOnly | MsgStyle::Critical, QStringLiteral("Brisanje tvrtke /obrta"));
        return;
    }
    const int row = lsvLista_->findRow(id, kIdColumn);
    if (row >= 0) lsvLista_->removeRow(row);
    MsgBoxHr(QStringLiteral("Tvrtka i sve knjige su nepovratno obrisane!"),
             MsgStyle::OkOnly | MsgStyle::Question, QStringLiteral("Brisanje završeno"));
    cmdUredjivanje_->setEnabled(false);
    cmdBrisanje_->setEnabled(false);
    if (lsvLista_->rowCount() > 0) {
        lsvLista_->setCurrentRow(lsvLista_->rowCount() - 1);
        selectionChanged();
    } else {
        cmdUlaz_->setEnabled(false);  // no company left to enter
    }
}

void frmIzborTvrtke::printCompany() {
    if (lsvLista_->rowCount() == 0) return;
    const int row = selectedRow();
    if (row < 0) return;
    const CompanyRow company = rowAt(row);
    if (MsgBoxHr(QStringLiteral(" Ispis podataka za: ") + lblIme_->text() + QLatin1Char('?'),
                 MsgStyle::YesNo | MsgStyle::Question,
                 QStringLiteral("Ispis podataka!")) != MsgResult::Yes)
        return;

    PageSetup setup;
    setup.orientation = QPageLayout::Portrait;
    setup.font = QFont(lsvLista_->font().family(), 12);
    const QStringList lines = companySheetLines(company, QDate::currentDate());
    setup.longestLine = companySheetWidth();
    for (const QString& line : lines)  // a field longer than the register's today
        setup.longestLine = qMax(setup.longestLine, int(line.size()));
    // The sheet's own company in its footer, whatever company was entered last.
    setup.footer.fromContext = false;
    setup.footer.company = company.name();
    LinePrinter printer(QStringLiteral("Tvrtka ") + company.name(), setup);
    if (printer.begin()) {
        for (const QString& line : lines)
            printer.printLine(line);
    }
    const PrintResult result = printer.end();
    showPrintResult(result);
}

void frmIzborTvrtke::quitProgram() {
    // Any book window asks about unsaved entries first; the program ends only when it closes.
    if (auto* main = windows().loaded<frmSkladiste>(win::Skladiste)) {
        if (!main->close()) return;
    }
    setQuitting(true);
    for (const QString& name : {win::IzborKnjige, win::UpisNove, win::About}) {
        if (QWidget* w = windows().loaded(name)) w->close();
    }
    close();
    setQuitting(false);
    QApplication::quit();
}

}  // namespace kl
