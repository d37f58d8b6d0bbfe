// klbench: generates a large company through the program's own code and times what a clerk waits
// for, each figure beside the bare SQLite queries that fetch or write the same rows.
//
//   klbench [--small] [--scale N] [--runs N] [--folder DIR] [--keep] [--server]
//   klbench --report-parts BOOK [PART]   (the heavy reports' parts timed on a kept book)
//
// --small makes a company of a few hundred documents (the smoke run of the test suite); --scale N
// makes the full company N times as large (articles, partners, documents, lines); --folder
// generates into DIR, which must not exist yet (the default is a temporary folder, removed at the
// end unless --keep is given). The table goes to standard output in Markdown. --server then moves
// the company to the PostgreSQL server that KL_PG_ENV names (scripts/pgcluster.sh) and times the
// rows a server changes most again, in a second table beside the file's figures.

#include "bare.h"
#include "generate.h"
#include "pgtestserver.h"

#include "data/appcontext.h"
#include "data/database.h"
#include "data/dberror.h"
#include "data/pgconnection.h"
#include "data/serverbooks.h"
#include "production/workorders.h"
#include "reports/documentreports.h"
#include "reports/frmpregledart.h"
#include "reports/frmpregleddnevnika.h"
#include "reports/frmpregledprimki.h"
#include "reports/frmprovjerazaliha.h"
#include "reports/journal.h"
#include "reports/stockaudit.h"
#include "reports/stockreports.h"
#include "shell/companymove.h"
#include "ui/msgboxhr.h"
#include "ui/reportlist.h"
#include "ui/reportview.h"
#include "ui/sheetexport.h"
#include "warehouse/documents.h"
#include "warehouse/einvoice.h"
#include "warehouse/einvoiceimport.h"
#include "warehouse/frmartikliizbor.h"
#include "warehouse/frmprimka.h"
#include "warehouse/masterdata.h"

#include <sqlite3.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <vector>

namespace bench {
namespace {

// ---- Timing -----------------------------------------------------------------------------------

double elapsedMs(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

double timed(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return elapsedMs(t);
}

double median(std::vector<double> v) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Figure {
    QString name;
    double program = NAN;  // median, ms (MB for memory)
    double bare = NAN;
    QString unit = QStringLiteral("ms");
    double limit = NAN;       // target for `program`
    double ratioLimit = NAN;  // target for program / bare
    QString note;

    bool met() const {
        return (std::isnan(limit) || program < limit) &&
               (std::isnan(ratioLimit) || std::isnan(bare) || program / bare <= ratioLimit);
    }
    bool hasTarget() const { return !std::isnan(limit) || !std::isnan(ratioLimit); }
};

std::vector<Figure> figures;

Figure& record(const QString& name, double program, double bare = NAN) {
    Figure f;
    f.name = name;
    f.program = program;
    f.bare = bare;
    figures.push_back(f);
    return figures.back();
}

// Runs the program's work and the bare work `runs` times each, alternating, and records their
// medians. `prepare` runs untimed before each program run.
Figure& measure(const QString& name, int runs, const std::function<void()>& program,
                const std::function<void()>& bare, const std::function<void()>& prepare = {}) {
    std::vector<double> p, b;
    for (int i = 0; i < runs; ++i) {
        if (prepare) prepare();
        p.push_back(timed(program));
        if (bare) b.push_back(timed(bare));
    }
    Figure& f = record(name, median(p), median(b));
    std::fprintf(stderr, "  %-52s %9.1f ms\n", qPrintable(name), f.program);
    return f;
}

// ---- Windows ----------------------------------------------------------------------------------

// Lets the window system show and paint what is pending.
void settle() {
    QApplication::processEvents();
    QApplication::processEvents();
}

template <class T>
T* child(QWidget* window, const char* name) {
    T* c = window->findChild<T*>(QString::fromLatin1(name));
    if (!c) throw std::runtime_error(std::string("no control ") + name);
    return c;
}

void click(QWidget* window, const char* name) {
    child<QAbstractButton>(window, name)->click();
    settle();
}

// A receipt or issue overview set to the summaries of the documents from `from` to `to`.
void chooseSummaries(QWidget* window, const QDate& from, const QDate& to) {
    for (const char* option : {"optzakljucak", "optvise", "optdatumu"})
        click(window, option);
    child<QDateEdit>(window, "dtpod")->setDate(from);
    child<QDateEdit>(window, "dtpdo")->setDate(to);
}

void choose(QWidget* window, const char* combo, const QString& text) {
    auto* box = child<QComboBox>(window, combo);
    const int index = box->findText(text);
    if (index < 0) throw std::runtime_error("no entry " + text.toStdString());
    box->setCurrentIndex(index);
}

// ---- The bare statements ----------------------------------------------------------------------

// A long report's floor on a connection of its own with the long reports' settings, as the
// program opens one for each such report: the opening and the mapping of the file are part of
// the work on both sides.
void onOwnConnection(const QString& path, const std::function<void(Bare&)>& read) {
    Bare bare(path);
    bare.readAsLongReports();
    read(bare);
}

// The journal's rows as the program reads them: each table once in stored order (the program
// finds each line's article and header in memory), on a connection with its settings.
void bareJournal(Bare& bare) {
    bare.fetch("select id,dokument from dokumenti");
    bare.fetch("select id,pi,datumpi,brojdok,datumdok,dokument from pi");
    bare.fetch("select id,naziv from artikli");
    bare.fetch("select kolicina,cijena,idartikla,idpi from ulazizlaz order by id");
}
const char* const kBareJournalByName =
    "select u.kolicina,u.cijena,a.id,a.naziv,p.id,p.pi,p.datumpi,p.brojdok,p.datumdok,d.dokument "
    "from ulazizlaz u left join artikli a on a.id=u.idartikla left join pi p on p.id=u.idpi "
    "left join dokumenti d on d.id=p.dokument order by a.naziv, u.id";
// Every article by name as the program reads them: the order from the index on the names, the
// rows in stored order (the select by name through the index looks up every row in no order).
void bareArticles(Bare& bare) {
    bare.fetch("select id from artikli order by naziv");
    bare.fetch(
        "select id,sifra,naziv,barkod,jedmjere,minkolicina,stanje,vrijednost,proscijena "
        "from artikli");
}
const char* const kBareArticleNames = "select naziv,sifra from artikli order by naziv";
const char* const kBareArticleNamed = "select * from artikli where naziv=?";
const char* const kBareCardLines =
    "select u.idartikla,u.kolicina,u.cijena,p.pi,p.brojpi from ulazizlaz u "
    "left join pi p on p.id=u.idpi where u.idartikla=? order by u.id";
const char* const kBareAllCardLines =
    "select u.idartikla,u.kolicina,u.cijena,p.pi,p.brojpi from ulazizlaz u "
    "left join pi p on p.id=u.idpi order by u.id";
const char* const kBareSummary =
    "select p.id,p.brojpi,p.datumpi,p.idkd,p.brojdok,p.datumdok,k.ime,d.dokument from pi p "
    "left join kd k on k.id=p.idkd left join dokumenti d on d.id=p.dokument "
    "where p.pi=? and p.datumpi between ? and ? order by p.id";
const char* const kBareSummaryLines =
    "select u.idpi,u.kolicina,u.cijena from ulazizlaz u join pi p on p.id=u.idpi "
    "where p.pi=? and p.datumpi between ? and ? order by u.id";
const char* const kBareHeader =
    "select p.id,p.brojpi,p.datumpi,p.idkd,p.brojdok,p.datumdok,k.ime,d.dokument from pi p "
    "left join kd k on k.id=p.idkd left join dokumenti d on d.id=p.dokument "
    "where p.pi=? and p.brojpi=? order by p.id";
const char* const kBareDocumentLines =
    "select u.kolicina,u.cijena,a.sifra,a.naziv,a.jedmjere from ulazizlaz u "
    "left join artikli a on a.id=u.idartikla where u.idpi=? order by u.id";

const char* const kBareAuditArticles =
    "select id,sifra,naziv,stanje,vrijednost,proscijena from artikli order by id";
const char* const kBareAuditLines =
    "select u.idartikla,u.kolicina,u.cijena,p.pi,p.idkd from ulazizlaz u "
    "left join pi p on p.id=u.idpi order by u.id";
// The stock audit's selects: every article's figures, every line with its header.
void bareAudit(Bare& bare) {
    bare.fetch(kBareAuditArticles);
    bare.fetch(kBareAuditLines);
}
// The stock cards of all articles: the articles by name, every line with its header.
void bareAllCards(Bare& bare) {
    bareArticles(bare);
    bare.fetch(kBareAllCardLines);
}

// A posting written with bare statements: the header, and per line the article's figures read,
// the three figures written in one statement and the line stored, all in one transaction.
void barePosting(Bare& db, bool receipt, const std::vector<int>& articles, qint64 partner) {
    db.exec(receipt ? "insert into pi(pi,brojpi,datumpi,idkd) values('P',0,'2026-12-05',?)"
                    : "insert into pi(pi,brojpi,datumpi,idkd) values('I',0,'2026-12-05',?)",
            {partner});
    const qint64 header = db.lastInsertId();
    for (int id : articles) {
        const double stanje = db.scalar("select stanje from artikli where id=?", {id});
        const double q = receipt ? 5 : -1;
        db.exec("update artikli set stanje=?,vrijednost=vrijednost+?,proscijena=? where id=?",
                {stanje + q, q * 2.5, 2.5, id});
        db.exec("insert into ulazizlaz(idartikla,idpi,idkd,kolicina,cijena) values(?,?,?,?,?)",
                {QString::number(id), header, partner, std::abs(q), 2.5});
    }
}

// ---- Processes --------------------------------------------------------------------------------

QString selfPath;

// The peak resident memory of this process, in MB: VmHWM of its memory map. (getrusage's maximum
// would also count the benchmark's own memory, which a started process inherits until exec.)
double peakMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return NAN;
}

// Child mode: the parts of the heavy reports timed one by one on the book `bookPath` (medians
// of three), to see what is what: reading, making the text, showing it.
int reportParts(const QString& bookPath, const QString& only) {
    const auto part = [&only](const char* name, const std::function<void()>& work) {
        if (!only.isEmpty() && !QString::fromLatin1(name).contains(only)) return;
        std::vector<double> t;
        for (int i = 0; i < 3; ++i)
            t.push_back(timed(work));
        std::printf("%-44s %8.1f ms\n", name, median(t));
    };
    // The book as the windows find it: the current book of the program folder it lies in.
    const auto useBook = [&bookPath] {
        const QFileInfo book(bookPath);
        kl::context().programFolder = book.absolutePath();
        kl::context().currentBookFile = QLatin1Char('\\') + book.fileName();
        kl::context().currentBookType = kl::kWarehouseKind;
    };
    kl::ReportRows rows;
    part("journal rows read", [&] { rows = kl::readJournalRows(bookPath); });
    std::shared_ptr<const kl::ReportSource> report;
    part("journal report made (source)", [&] { report = kl::journalReport(QString(), rows); });
    QString text;
    // Each text dropped before the next is made, as the window drops it after a print.
    part("journal report text made whole", [&] {
        text = QString();
        text = report->text();
    });
    if (only.isEmpty() || QStringLiteral("journal window").contains(only)) {
        useBook();
        part("journal window: opened and shown", [&] {
            kl::frmpregleddnevnika opened;
            opened.show();
            settle();
        });
        kl::frmpregleddnevnika window;
        window.show();
        settle();
        part("journal window: \"Prikaz\" clicked", [&] { click(&window, "cmdprikazart"); });
        auto* list = child<kl::ReportList>(&window, "lsvdnevnik");
        for (const auto& [column, name] : {std::pair{1, "journal window: sorted by name"},
                                           std::pair{9, "journal window: sorted by debit"}})
            part(name, [&, column = column] {
                emit list->header()->sectionClicked(column);
                settle();
            });
    }
    if (only.isEmpty() || QStringLiteral("article search").contains(only)) {
        useBook();
        kl::context().documentMode = QStringLiteral("Primka");
        kl::frmartikliizbor search;
        search.show();
        settle();
        click(&search, "Optponazivu");
        click(&search, "optimaunazivu");
        child<QLineEdit>(&search, "txtupis")->setText(QStringLiteral("-"));
        part("article search \"-\"", [&] { click(&search, "cmdtrazi"); });
        child<QLineEdit>(&search, "txtupis")->setText(QStringLiteral("1"));
        part("article search \"1\" (hits scattered)", [&] { click(&search, "cmdtrazi"); });
    }
    kl::ReportView view;
    view.resize(800, 400);
    part("journal text set into a report box", [&] { view.setText(text); });
    std::vector<kl::StockCard> cards;
    part("stock cards read", [&] {
        kl::Database db = kl::Database::open(bookPath);
        kl::readGroupCards(db, kl::ArticleGroup::All, cards);
    });
    part("stock cards report made (source)", [&] { report = kl::stockCardsReport(cards); });
    // What the overview does: the cards read, then handed to the report.
    part("stock cards read and their report made", [&] {
        kl::Database db = kl::Database::open(bookPath);
        std::vector<kl::StockCard> read;
        kl::readGroupCards(db, kl::ArticleGroup::All, read);
        report = kl::stockCardsReport(std::move(read));
    });
    if (only.isEmpty() || QStringLiteral("article overview opened").contains(only)) {
        useBook();
        // Each window closed before the next is opened, as the bench does (not timed).
        std::unique_ptr<kl::frmPregledart> overview;
        std::vector<double> t;
        for (int i = 0; i < 3; ++i) {
            overview.reset();
            t.push_back(timed([&] {
                overview = std::make_unique<kl::frmPregledart>();
                overview->show();
                settle();
            }));
        }
        std::printf("%-44s %8.1f ms\n", "article overview opened", median(t));
    }
    if (only.isEmpty() || QStringLiteral("stock cards window").contains(only)) {
        useBook();
        kl::frmPregledart overview;
        overview.show();
        settle();
        for (const char* option : {"optkarticeart", "optviseart", "optsveart"})
            click(&overview, option);
        part("stock cards window: \"Prikaz\" clicked", [&] { click(&overview, "cmdprikazart"); });
        click(&overview, "optstanjeart");
        part("stock cards window: status of all, \"Prikaz\" clicked",
             [&] { click(&overview, "cmdprikazart"); });
    }
    part("stock cards text made", [&] { text = kl::stockCardsText(cards); });
    part("stock cards text set into a report box", [&] { view.setText(text); });
    std::vector<kl::StockArticle> status;
    part("stock status read", [&] {
        kl::Database db = kl::Database::open(bookPath);
        status = kl::readArticleGroup(db, kl::ArticleGroup::All);
    });
    part("stock status text made", [&] { text = kl::stockStatusText(status); });
    part("stock status text set into a report box", [&] { view.setText(text); });
    part("stock audit", [&] { kl::auditStock(bookPath); });
    // The stock status at a day after every document: from the stock points, and replayed whole.
    part("stock at a date: status from stock points", [&] {
        kl::Database db = kl::Database::open(bookPath);
        text = kl::stockStatusText(kl::stockArticlesAt(db, kl::ArticleGroup::All, {2026, 12, 31}));
    });
    part("stock at a date: whole replay", [&] {
        kl::Database db = kl::Database::open(bookPath);
        kl::replayStock(db, {2026, 12, 31});
    });
    Bare bare(bookPath);
    bare.readAsLongReports();
    part("stock audit: bare selects", [&] { onOwnConnection(bookPath, bareAudit); });
    part("stock cards: bare selects", [&] { onOwnConnection(bookPath, bareAllCards); });
    part("journal rows: bare selects", [&] { onOwnConnection(bookPath, bareJournal); });
    for (const auto kind : {kl::DocumentKind::Receipt, kl::DocumentKind::Issue}) {
        std::vector<kl::DocumentSummary> documents;
        part(kind == kl::DocumentKind::Receipt ? "receipt summaries read, all years"
                                               : "issue summaries read, all years",
             [&] {
                 documents =
                     kl::documentsInRange(bookPath, kind, QDate(1900, 1, 1), QDate(2100, 1, 1));
             });
        part("  the summaries' text", [&] { text = kl::summaryText(kind, documents, true); });
        if (only.isEmpty() || QStringLiteral("summary window").contains(only)) {
            useBook();
            kl::frmpregledprimki window(kind);
            window.show();
            settle();
            chooseSummaries(&window, QDate(1900, 1, 1), QDate(2100, 1, 1));
            part("summary window: \"Prikaz\" clicked, all years",
                 [&] { click(&window, "cmdprikazart"); });
        }
    }
    return 0;
}

// Child mode: opens the journal window of `bookFile` in `folder` with its report text shown and,
// with `cards`, the stock cards of all articles beside it; reports the peak.
int journalMemory(const QString& folder, const QString& bookFile, bool cards) {
    kl::context().programFolder = folder;
    kl::context().currentBookFile = bookFile;
    kl::context().currentBookType = kl::kWarehouseKind;
    auto window = std::make_unique<kl::frmpregleddnevnika>();
    window->show();
    settle();
    click(window.get(), "cmdprikazart");
    std::unique_ptr<kl::frmPregledart> overview;
    if (cards) {
        overview = std::make_unique<kl::frmPregledart>();
        overview->show();
        settle();
        click(overview.get(), "optkarticeart");
        click(overview.get(), "optviseart");
        click(overview.get(), "optsveart");
        click(overview.get(), "cmdprikazart");
    }
    std::printf("%.1f\n", peakMb());
    return 0;
}

// Child mode: the journal window of `bookFile` with its report shown, exported to .xlsx and to
// CSV; prints the two times (ms) and the peak (MB).
int journalExport(const QString& folder, const QString& bookFile) {
    kl::context().programFolder = folder;
    kl::context().currentBookFile = bookFile;
    kl::context().currentBookType = kl::kWarehouseKind;
    auto window = std::make_unique<kl::frmpregleddnevnika>();
    window->show();
    settle();
    click(window.get(), "cmdprikazart");
    QTemporaryDir out;
    kl::setMsgBoxResponder([](const kl::MsgBoxShown&) { return int(kl::MsgResult::Ok); });
    kl::setSaveFileChooser([&](const QString&, const QString&) { return out.filePath("d"); });
    const double xlsx = timed([&] { click(window.get(), "cmdizvozexcel"); });
    const double csv = timed([&] { click(window.get(), "cmdizvozcsv"); });
    if (!QFileInfo(out.filePath("d.xlsx")).size() || !QFileInfo(out.filePath("d.csv")).size())
        return 1;
    std::printf("%.1f %.1f %.1f\n", xlsx, csv, peakMb());
    return 0;
}

// Child mode: the floor of a start, a Qt process that paints one empty window and quits.
int bareWindow() {
    QWidget window;
    window.setObjectName(QStringLiteral("frmIzborTvrtke"));
    struct Probe : QObject {
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Paint && watched->isWidgetType()) {
                std::puts("tvrtke");
                std::fflush(stdout);
                QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            }
            return false;
        }
    } probe;
    window.installEventFilter(&probe);
    window.resize(400, 300);
    window.show();
    return QApplication::exec();
}

// Starts the program in `folder` with the start-up probe and returns the milliseconds until the
// splash and the company list were painted.
std::pair<double, double> startProgram(const QString& program, const QStringList& args = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KNJIGE_LUMEN_STARTUP_PROBE"), QStringLiteral("1"));
    env.remove(QStringLiteral("KNJIGE_LUMEN_DIR"));  // its data beside it, in the generated company
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    double splash = NAN, list = NAN;
    QByteArray out;
    while (std::isnan(list) && p.waitForReadyRead(10000)) {
        out += p.readAllStandardOutput();
        if (std::isnan(splash) && out.contains("uvod")) splash = elapsedMs(t);
        if (out.contains("tvrtke")) list = elapsedMs(t);
    }
    if (!p.waitForFinished(10000)) p.kill();
    if (std::isnan(list)) throw std::runtime_error("the program did not show the company list");
    return {splash, list};
}

// ---- The run ----------------------------------------------------------------------------------

QString money(double v) {
    return QString::number(v, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
}

// The materials of one of the product with the 50-line bill over five books.
kl::ProductMaterials bigProductMaterials(const kl::BookLocation& production, const Company& c) {
    std::optional<kl::ProductMaterials> materials = kl::loadMaterials(production, c.bigProductName);
    if (!materials) throw std::runtime_error("no product for the work order");
    kl::applyQuantity(materials->lines, QStringLiteral("1"));
    return *materials;
}

// A work order of those materials under the next number of `production`.
kl::WorkOrder nextWorkOrder(const kl::BookLocation& production,
                            const kl::ProductMaterials& materials) {
    return {QString::number(kl::nextWorkOrderNumber(production)),
            QDate(2026, 12, 5),
            QDate(2026, 12, 6),
            materials.productId,
            QStringLiteral("1"),
            {kl::materialCost(materials.lines), QStringLiteral("10,00"), QStringLiteral("0,00"),
             QStringLiteral("0,00"), QStringLiteral("0,00"), QStringLiteral("0,00")}};
}

void run(const Company& c, const Scale& scale) {
    const int runs = scale.runs;
    kl::AppContext& ctx = kl::context();
    ctx.programFolder = c.folder;
    ctx.currentCompanyId = c.companyId.toDouble();
    ctx.currentBookFile = c.mainBookFile;
    ctx.currentBookType = kl::kWarehouseKind;
    Bare bare(c.mainBookPath);
    // The floors of the long reports (journal, stock cards of all, audit) read as they do.
    Bare longBare(c.mainBookPath);
    longBare.readAsLongReports();
    const QString lines = QString::number(c.mainLines);

    // Start-up, as a process of its own from the program folder.
    {
        const QString program = c.folder + QStringLiteral("/knjigelumen");
        QFile::remove(program);
        if (!QFile::copy(QStringLiteral(KL_PROGRAM_PATH), program))
            throw std::runtime_error("cannot copy the program");
        std::vector<double> splash, list, bareStart;
        startProgram(program);  // the first start loads the libraries into the cache
        startProgram(selfPath, {QStringLiteral("--bare-window")});
        for (int i = 0; i < std::max(runs, 3); ++i) {
            const auto [s, l] = startProgram(program);
            splash.push_back(s);
            list.push_back(l);
            bareStart.push_back(startProgram(selfPath, {QStringLiteral("--bare-window")}).second);
        }
        record(QStringLiteral("start: splash painted (process started)"), median(splash)).limit =
            500;
        // The floor: a Qt process painting one window, plus the half second the splash shows.
        Figure& g = record(QStringLiteral("start: company list painted (whole process)"),
                           median(list), median(bareStart) + 500);
        g.limit = 500;
        g.note = QStringLiteral(
            "the splash shows until 500 ms after the process started; bare: a Qt process "
            "painting one window, plus those 500 ms");
        QFile::remove(program);
    }

    // The journal: the list built and shown, sorted by name, and its report text.
    std::unique_ptr<kl::frmpregleddnevnika> journal;
    Figure& jl = measure(
        QStringLiteral("journal list, %1 lines, built and shown").arg(lines), runs,
        [&] {
            journal = std::make_unique<kl::frmpregleddnevnika>();
            journal->show();
            settle();
        },
        [&] { onOwnConnection(c.mainBookPath, bareJournal); }, [&] { journal.reset(); });
    jl.limit = 1000;
    jl.ratioLimit = 3;
    auto* list = child<kl::ReportList>(journal.get(), "lsvdnevnik");
    // Sorted: against the same sort of the list's texts in memory (each distinct text ranked
    // once, the rows sorted by rank).
    for (const auto& [column, what] :
         {std::pair{1, QStringLiteral("article name")}, std::pair{9, QStringLiteral("debit")}}) {
        std::vector<QString> texts;
        for (int r = 0; r < list->rowCount(); ++r)
            texts.push_back(list->text(r, column));
        measure(
            QStringLiteral("journal list sorted by %1").arg(what), runs,
            [&, column = column] {
                emit list->header()->sectionClicked(column);
                settle();
            },
            [&] { sortFloor(texts); }, [&] { journal->loadJournal(); })
            .ratioLimit = 2;
    }
    journal->loadJournal();
    // The report text: against formatting the same lines from their numbers in plain C++.
    std::vector<PlainJournalLine> plain;
    for (const kl::JournalLine& l : kl::readJournal(c.mainBookPath)) {
        PlainJournalLine p;
        p.day = l.datumpi.day(), p.month = l.datumpi.month(), p.year = l.datumpi.year();
        p.name = l.naziv.trimmed().left(23).toStdString();
        p.document = l.dokument.left(15).toStdString();
        p.number = l.brojdok.toStdString();
        if (l.datumdok.isValid())
            p.docDay = l.datumdok.day(), p.docMonth = l.datumdok.month(),
            p.docYear = l.datumdok.year();
        p.receipt = l.isReceipt();
        p.quantity = l.kolicina, p.price = l.cijena;
        plain.push_back(std::move(p));
    }
    std::string plainText;
    measure(
        QStringLiteral("journal report text (\"Prikaz\")"), runs,
        [&] { click(journal.get(), "cmdprikazart"); }, [&] { journalTextFloor(plain, plainText); })
        .ratioLimit = 1.5;
    // The box makes the lines on screen only; the whole text is made for a print or a copy.
    qsizetype made = 0;
    measure(
        QStringLiteral("journal report text made whole (print, copy)"), runs,
        [&] { made += journal->reportText().size(); }, [&] { journalTextFloor(plain, plainText); });
    if (made == 0) throw std::runtime_error("the journal text is empty");
    plain.clear();
    // "Po datumu": each change of a date makes the list of the range again.
    click(journal.get(), "optdatumu");
    auto* journalFrom = child<QDateEdit>(journal.get(), "dtpod");
    child<QDateEdit>(journal.get(), "dtpdo")->setDate(c.lastYearTo);
    journalFrom->setDate(c.lastYearFrom);
    settle();
    int shift = 0;
    measure(QStringLiteral("journal \"Po datumu\": a date changed"), std::max(runs, 5),
            [&] {
                journalFrom->setDate(c.lastYearFrom.addDays(++shift % 2));
                settle();
            },
            {})
        .limit = 20;
    journal.reset();

    // The article overview.
    std::unique_ptr<kl::frmPregledart> overview;
    measure(
        QStringLiteral("article overview opened (%1 names to choose)").arg(c.mainArticles), runs,
        [&] {
            overview = std::make_unique<kl::frmPregledart>();
            overview->show();
            settle();
        },
        [&] { bare.fetch(kBareArticleNames); }, [&] { overview.reset(); });
    click(overview.get(), "optkarticeart");
    click(overview.get(), "Optjedanart");
    click(overview.get(), "optnazivart");
    choose(overview.get(), "cbood", c.hotArticleName);
    Figure& card = measure(
        QStringLiteral("stock card of the article with %1 lines").arg(c.hotArticleLines), runs,
        [&] { click(overview.get(), "cmdprikazart"); },
        [&] {
            bare.fetch(kBareArticleNamed, {c.hotArticleName});
            bare.fetch(kBareCardLines, {c.hotArticleId});
        });
    card.limit = 50;
    click(overview.get(), "optstanjeart");
    click(overview.get(), "optviseart");
    click(overview.get(), "optsveart");
    Figure& status = measure(
        QStringLiteral("stock status of all %1 articles").arg(c.mainArticles), runs,
        [&] { click(overview.get(), "cmdprikazart"); }, [&] { bareArticles(longBare); });
    status.limit = 300;
    // The same at a date: every article replayed from the lines up to that day; within twice
    // today's stock status.
    {
        overview->findChild<QCheckBox*>(QStringLiteral("chknadan"))->setChecked(true);
        overview->findChild<QDateEdit*>(QStringLiteral("dtnadan"))->setDate(QDate(2026, 12, 31));
        const double today = status.program;
        Figure& atDay = measure(
            QStringLiteral("stock status of all %1 articles at a date").arg(c.mainArticles), runs,
            [&] { click(overview.get(), "cmdprikazart"); }, [&] { bareArticles(longBare); });
        atDay.limit = 2 * today;
        overview->findChild<QCheckBox*>(QStringLiteral("chknadan"))->setChecked(false);
    }
    click(overview.get(), "optkarticeart");
    measure(
        QStringLiteral("stock cards of all articles (%1 lines)").arg(lines), runs,
        [&] { click(overview.get(), "cmdprikazart"); },
        [&] { onOwnConnection(c.mainBookPath, bareAllCards); })
        .ratioLimit = 2.5;
    overview.reset();

    // The stock audit: every article's movements replayed.
    {
        kl::frmProvjeraZaliha audit(c.mainBookPath, QStringLiteral("Skladiste"));
        audit.show();
        settle();
        measure(
            QStringLiteral("stock audit (%1 lines replayed)").arg(lines), runs,
            [&] {
                audit.setBook(c.mainBookPath, QStringLiteral("Skladiste"));
                settle();
            },
            [&] { onOwnConnection(c.mainBookPath, bareAudit); })
            .ratioLimit = 1.5;
    }

    // The article search: "Ima u nazivu" over every name (all hits, one run of rows) and over a
    // digit (hits scattered over the list).
    {
        ctx.documentMode = QStringLiteral("Primka");
        kl::frmartikliizbor search;
        search.show();
        settle();
        click(&search, "Optponazivu");
        click(&search, "optimaunazivu");
        auto* found = child<kl::ReportList>(&search, "lsvsviartikli");
        for (const QString& wanted : {QStringLiteral("-"), QStringLiteral("1")}) {
            child<QLineEdit>(&search, "txtupis")->setText(wanted);
            int hits = 0;
            measure(QStringLiteral("article search \"Ima u nazivu\" \"%1\"").arg(wanted), runs,
                    [&] {
                        click(&search, "cmdtrazi");
                        hits = int(found->selectedRows().size());
                    },
                    {})
                .limit = 50;
            figures.back().name += QStringLiteral(", %1 hits").arg(hits);
        }
    }

    // Receipt and issue overviews.
    const QString from = c.lastYearFrom.toString(Qt::ISODate);
    const QString to = c.lastYearTo.toString(Qt::ISODate);
    for (const kl::DocumentKind kind : {kl::DocumentKind::Receipt, kl::DocumentKind::Issue}) {
        const bool receipt = kind == kl::DocumentKind::Receipt;
        kl::frmpregledprimki window(kind);
        window.show();
        settle();
        chooseSummaries(&window, c.lastYearFrom, c.lastYearTo);
        const QString letter = receipt ? QStringLiteral("P") : QStringLiteral("I");
        measure(
            receipt ? QStringLiteral("receipt summary over one year")
                    : QStringLiteral("issue summary over one year"),
            runs, [&] { click(&window, "cmdprikazart"); },
            [&] {
                bare.fetch(kBareSummary, {letter, from, to});
                bare.fetch(kBareSummaryLines, {letter, from, to});
            });
        const QDate lastDay(2026, 12, 31);
        child<QDateEdit>(&window, "dtpod")->setDate(c.firstYearFrom);
        child<QDateEdit>(&window, "dtpdo")->setDate(lastDay);
        const QString first = c.firstYearFrom.toString(Qt::ISODate);
        const QString last = lastDay.toString(Qt::ISODate);
        measure(
            receipt ? QStringLiteral("receipt summary over all years")
                    : QStringLiteral("issue summary over all years"),
            runs, [&] { click(&window, "cmdprikazart"); },
            [&] {
                bare.fetch(kBareSummary, {letter, first, last});
                bare.fetch(kBareSummaryLines, {letter, first, last});
            })
            .limit = 100 * scale.factor;  // the full book's limit, grown with the book
        if (!receipt) continue;
        click(&window, "optprikaz");
        click(&window, "Optjedne");
        choose(&window, "cboizborprimke", c.bigReceiptNumber);
        measure(
            QStringLiteral("full view of a 100-line receipt"), runs,
            [&] { click(&window, "cmdprikazart"); },
            [&] {
                bare.fetch(kBareHeader, {letter, c.bigReceiptNumber.toInt()});
                bare.fetch(kBareDocumentLines,
                           {qint64(bare.scalar("select id from pi where pi='P' and "
                                               "brojpi=?",
                                               {c.bigReceiptNumber.toInt()}))});
            });
    }

    // The receipt window, with every article of the book in its code and name lists.
    {
        ctx.documentMode = QStringLiteral("Primka");
        std::unique_ptr<kl::frmPrimka> receiptWindow;
        measure(
            QStringLiteral("receipt window opened (%1 articles to choose)").arg(c.mainArticles),
            runs,
            [&] {
                receiptWindow = std::make_unique<kl::frmPrimka>();
                receiptWindow->show();
                settle();
            },
            [&] { bare.fetch("select id,sifra,naziv from artikli order by naziv"); },
            [&] { receiptWindow.reset(); });
    }

    // Posting: a 100-line receipt and a 100-line issue, durable and atomic.
    std::mt19937 rng(7);
    const auto pick100 = [&] {
        std::vector<int> ids;
        while (ids.size() < 100) {
            const int id = 1 + int(rng() % uint32_t(c.mainArticles));
            if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
        }
        return ids;
    };
    const qint64 supplierId = qint64(bare.scalar("select id from kd where ime=?", {c.supplier}));
    const qint64 customerId = qint64(bare.scalar("select id from kd where ime=?", {c.customer}));
    measure(
        QStringLiteral("next issue number"), runs,
        [&] { kl::nextDocumentNumber(c.mainBookPath, kl::DocumentKind::Issue); },
        [&] { bare.scalar("select count(*) from pi where pi='I'"); });
    for (const kl::DocumentKind kind : {kl::DocumentKind::Receipt, kl::DocumentKind::Issue}) {
        const bool receipt = kind == kl::DocumentKind::Receipt;
        kl::DocumentHeader header;
        std::vector<kl::DocumentLine> docLines;
        const auto prepare = [&] {
            header = {kind,
                      QString::number(kl::nextDocumentNumber(c.mainBookPath, kind)),
                      QDate(2026, 12, 5),
                      receipt ? c.supplier : c.customer,
                      receipt ? c.documentType : QString(),
                      receipt ? QStringLiteral("R-100") : QString(),
                      receipt ? QDate(2026, 12, 5) : QDate()};
            docLines.clear();
            for (int id : pick100())
                docLines.push_back({QString(), QString(), money(receipt ? 50 : 1), money(2.5),
                                    money(receipt ? 125 : 2.5), QString::number(id)});
        };
        Figure& f = measure(
            receipt ? QStringLiteral("posting a 100-line receipt")
                    : QStringLiteral("posting a 100-line issue"),
            runs, [&] { kl::postDocument(c.mainBookPath, header, docLines); },
            [&] {
                const std::vector<int> ids = pick100();
                bare.exec("begin");
                barePosting(bare, receipt, ids, receipt ? supplierId : customerId);
                bare.exec("commit");
            },
            prepare);
        f.limit = 100;
    }

    // A received e-invoice of 1 000 lines read and matched against the book's articles: a third
    // of the lines by the supplier's code, a third by name, a third by nothing.
    {
        const std::vector<kl::ArticleRow> articles = kl::loadArticles(c.mainBookPath);
        QByteArray xml =
            QStringLiteral(
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<Invoice xmlns=\"%1\" xmlns:cac=\"%2\" xmlns:cbc=\"%3\">")
                .arg(kl::einvoice::ublNamespace("Invoice-2"),
                     kl::einvoice::ublNamespace("CommonAggregateComponents-2"),
                     kl::einvoice::ublNamespace("CommonBasicComponents-2"))
                .toUtf8() +
            "<cbc:CustomizationID>urn:cen.eu:en16931:2017#compliant#urn:mfin.gov.hr:cius-2025:"
            "1.0#conformant#urn:mfin.gov.hr:ext-2025:1.0</cbc:CustomizationID>"
            "<cbc:ID>B-1</cbc:ID><cbc:IssueDate>2026-12-05</cbc:IssueDate>"
            "<cbc:DocumentCurrencyCode>EUR</cbc:DocumentCurrencyCode>"
            "<cac:AccountingSupplierParty><cac:Party><cac:PartyName><cbc:Name>Dobavljač</cbc:Name>"
            "</cac:PartyName></cac:Party></cac:AccountingSupplierParty>"
            "<cac:LegalMonetaryTotal><cbc:LineExtensionAmount currencyID=\"EUR\">1000.00"
            "</cbc:LineExtensionAmount><cbc:TaxExclusiveAmount currencyID=\"EUR\">1000.00"
            "</cbc:TaxExclusiveAmount></cac:LegalMonetaryTotal>";
        for (int i = 0; i < 1000; ++i) {
            const kl::ArticleRow& a = articles[size_t(i * 17) % articles.size()];
            const QString seller = i % 3 == 0 ? a.sifra : QStringLiteral("X-%1").arg(i);
            const QString name = i % 3 == 1 ? a.naziv : QStringLiteral("Nepoznato %1").arg(i);
            xml += QStringLiteral(
                       "<cac:InvoiceLine><cbc:ID>%1</cbc:ID><cbc:InvoicedQuantity "
                       "unitCode=\"C62\">2</cbc:InvoicedQuantity><cbc:LineExtensionAmount "
                       "currencyID=\"EUR\">1.00</cbc:LineExtensionAmount><cac:Item><cbc:Name>%2"
                       "</cbc:Name><cac:SellersItemIdentification><cbc:ID>%3</cbc:ID>"
                       "</cac:SellersItemIdentification></cac:Item><cac:Price><cbc:PriceAmount "
                       "currencyID=\"EUR\">0.50</cbc:PriceAmount></cac:Price></cac:InvoiceLine>")
                       .arg(i + 1)
                       .arg(name.toHtmlEscaped(), seller.toHtmlEscaped())
                       .toUtf8();
        }
        xml += "</Invoice>";
        Figure& f = measure(QStringLiteral("e-invoice of 1000 lines read and matched"), runs,
                            [&] {
                                const kl::einvoice::ReadResult read = kl::einvoice::read(xml);
                                if (!read.document)
                                    throw std::runtime_error(read.error.toStdString());
                                kl::einvoice::matchLines(c.mainBookPath, QString(), *read.document);
                            },
                            {});
        f.limit = 100;
    }

    // A work order issue of the 50-line bill over five warehouse books.
    {
        std::optional<kl::ProductMaterials> materials;
        kl::WorkOrder order;
        const auto prepare = [&] {
            materials = bigProductMaterials(c.productionBookPath, c);
            order = nextWorkOrder(c.productionBookPath, *materials);
        };
        Bare production(c.productionBookPath);
        QStringList books = c.sideBookPaths;
        books.prepend(c.mainBookPath);
        Figure& f = measure(
            QStringLiteral("work order issue, 50-line bill over 5 books"), runs,
            [&] {
                if (kl::issueWorkOrder(c.productionBookPath, order, materials->lines)
                        .refusal.refused())
                    throw std::runtime_error("work order refused");
            },
            [&] {
                const char* schemas[] = {"b0", "b1", "b2", "b3", "b4"};
                for (int b = 0; b < books.size(); ++b)
                    production.exec("attach database ? as ?",
                                    {books[b], QString::fromLatin1(schemas[b])});
                production.exec("begin");
                // The numbers: the work orders and each book's issues counted.
                production.scalar("select count(*) from radninalozi");
                const char* counts[] = {"select count(*) from b0.pi where pi='I'",
                                        "select count(*) from b1.pi where pi='I'",
                                        "select count(*) from b2.pi where pi='I'",
                                        "select count(*) from b3.pi where pi='I'",
                                        "select count(*) from b4.pi where pi='I'"};
                for (const char* count : counts)
                    production.scalar(count);
                const char* headers[] = {
                    "insert into b0.pi(pi,brojpi,datumpi,idkd) values('I',0,'2026-12-05',1)",
                    "insert into b1.pi(pi,brojpi,datumpi,idkd) values('I',0,'2026-12-05',1)",
                    "insert into b2.pi(pi,brojpi,datumpi,idkd) values('I',0,'2026-12-05',1)",
                    "insert into b3.pi(pi,brojpi,datumpi,idkd) values('I',0,'2026-12-05',1)",
                    "insert into b4.pi(pi,brojpi,datumpi,idkd) values('I',0,'2026-12-05',1)"};
                const char* updates[] = {
                    "update b0.artikli set stanje=stanje-1,vrijednost=vrijednost-2 where id=?",
                    "update b1.artikli set stanje=stanje-1,vrijednost=vrijednost-2 where id=?",
                    "update b2.artikli set stanje=stanje-1,vrijednost=vrijednost-2 where id=?",
                    "update b3.artikli set stanje=stanje-1,vrijednost=vrijednost-2 where id=?",
                    "update b4.artikli set stanje=stanje-1,vrijednost=vrijednost-2 where id=?"};
                const char* inserts[] = {
                    "insert into b0.ulazizlaz(idartikla,idpi,idkd,kolicina,cijena) "
                    "values(?,?,1,1,2)",
                    "insert into b1.ulazizlaz(idartikla,idpi,idkd,kolicina,cijena) "
                    "values(?,?,1,1,2)",
                    "insert into b2.ulazizlaz(idartikla,idpi,idkd,kolicina,cijena) "
                    "values(?,?,1,1,2)",
                    "insert into b3.ulazizlaz(idartikla,idpi,idkd,kolicina,cijena) "
                    "values(?,?,1,1,2)",
                    "insert into b4.ulazizlaz(idartikla,idpi,idkd,kolicina,cijena) "
                    "values(?,?,1,1,2)"};
                qint64 header[5];
                for (int b = 0; b < 5; ++b) {
                    production.exec(headers[b]);
                    header[b] = production.lastInsertId();
                }
                for (int l = 0; l < 50; ++l) {
                    production.exec(updates[l % 5], {1 + l / 5});
                    production.exec(inserts[l % 5], {QString::number(1 + l / 5), header[l % 5]});
                }
                production.exec(
                    "insert into radninalozi(brojrn,datumotv,datumzatv,idproizvoda,"
                    "kolicinaproizvoda,trosakmat,trosakrada) values(0,'2026-12-05','2026-12-06',"
                    "'1',1,100,10)");
                const qint64 rn = production.lastInsertId();
                for (int l = 0; l < 50; ++l)
                    production.exec(
                        "insert into troskovi(idrn,nazivskladista,izdatnicabr,iznos) "
                        "values(?,'Skladiste','1',2)",
                        {QString::number(rn)});
                production.exec("commit");
                for (const char* s : schemas)
                    production.exec("detach database ?", {QString::fromLatin1(s)});
            },
            prepare);
        f.limit = 200;
    }

    // Peak memory with the journal window and its report text open (and all stock cards beside
    // them), each in a process of its own.
    for (const bool cards : {false, true}) {
        QProcess p;
        QStringList args{QStringLiteral("--journal-memory"), c.folder, c.mainBookFile};
        if (cards) args << QStringLiteral("--cards");
        p.start(selfPath, args);
        if (!p.waitForFinished(300000)) throw std::runtime_error("the memory run did not end");
        Figure& f = record(cards ? QStringLiteral("peak memory, journal with its text and all "
                                                  "stock cards open")
                                 : QStringLiteral("peak memory, journal window with its text open"),
                           QString::fromLatin1(p.readAllStandardOutput()).trimmed().toDouble());
        f.unit = QStringLiteral("MB");
        f.limit = cards ? 200 * scale.factor : 300;
    }

    // The journal exported from its window, .xlsx and CSV, in a process of its own each run
    // (medians; the peak memory is the highest).
    {
        std::vector<double> xlsx, csv;
        double peak = 0;
        for (int run = 0; run < runs; ++run) {
            QProcess p;
            p.start(selfPath, {QStringLiteral("--journal-export"), c.folder, c.mainBookFile});
            if (!p.waitForFinished(300000) || p.exitCode() != 0)
                throw std::runtime_error("the export run failed");
            const QStringList v = QString::fromLatin1(p.readAllStandardOutput()).split(u' ');
            xlsx.push_back(v.value(0).toDouble());
            csv.push_back(v.value(1).toDouble());
            peak = std::max(peak, v.value(2).trimmed().toDouble());
        }
        // The full book's limits, grown with the book.
        record(QStringLiteral("journal exported to .xlsx (%1 lines)").arg(lines), median(xlsx))
            .limit = 2000 * scale.factor;
        record(QStringLiteral("journal exported to CSV"), median(csv)).limit = 2000 * scale.factor;
        Figure& f = record(QStringLiteral("peak memory, journal window and both exports"), peak);
        f.unit = QStringLiteral("MB");
        f.limit = 300;
    }
}

QString cpuModel() {
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("model name"))
                return QString::fromLatin1(line.mid(line.indexOf(':') + 2));
    return QStringLiteral("unknown CPU");
}

QString number(double v, const QString& unit) {
    if (std::isnan(v)) return QStringLiteral("–");
    return QString::number(v, 'f', v < 10 ? 2 : 1) + QLatin1Char(' ') + unit;
}

// ---- The same company on a server ---------------------------------------------------------------

// The rows a server changes most, timed again after the company was moved to a PostgreSQL
// server (--server: the server that KL_PG_ENV names, the file scripts/pgcluster.sh writes),
// beside the same rows on the file.
struct ServerFigure {
    QString name;
    double file = NAN, server = NAN;
};
std::vector<ServerFigure> serverFigures;

kl::ServerAddress serverFromEnvironment() {
    kl::ServerAddress a;
    if (!kl::test::readTestServer(&a))
        throw std::runtime_error("--server: KL_PG_ENV names no server (scripts/pgcluster.sh)");
    return a;
}

double fileFigure(const QString& name) {
    for (const Figure& f : figures)
        if (f.name == name) return f.program;
    return NAN;
}

void onServer(const QString& name, int runs, const std::function<void()>& work,
              const std::function<void()>& prepare = {}) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare) prepare();
        times.push_back(timed(work));
    }
    serverFigures.push_back({name, fileFigure(name), median(times)});
    std::fprintf(stderr, "  server: %-44s %9.1f ms\n", qPrintable(name), median(times));
}

int bookIdOf(const QString& bookFile) {
    return QFileInfo(bookFile)
        .completeBaseName()
        .remove(QRegularExpression(QStringLiteral("^\\D+")))
        .toInt();
}

void runOnServer(const Company& c, const Scale& scale, const kl::ServerAddress& server) {
    const int runs = scale.runs;
    kl::AppContext& ctx = kl::context();
    // The books' schemas on the server, dropped at the end (and before, from a run that stopped).
    QStringList schemas{kl::server::registerSchema(c.companyId.toInt())};
    schemas << kl::server::bookSchema(kl::kWarehouseKind, bookIdOf(c.mainBookFile))
            << kl::server::bookSchema(QStringLiteral("Proizvodnja"),
                                      bookIdOf(c.productionBookFile));
    for (const QString& side : c.sideBookPaths)
        schemas << kl::server::bookSchema(kl::kWarehouseKind, bookIdOf(side));
    const auto dropSchemas = [&] {
        kl::PgConnection admin = kl::PgConnection::connect(server);
        for (const QString& s : schemas)
            admin.exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(kl::quotedName(s)));
    };
    dropSchemas();

    QElapsedTimer moving;
    moving.start();
    const QString refused = kl::moveCompanyToServer(c.companyId, server);
    if (!refused.isEmpty()) throw std::runtime_error(refused.toStdString());
    serverFigures.push_back({QStringLiteral("company moved to the server (copied and checked)"),
                             NAN, double(moving.elapsed())});
    std::fprintf(stderr, "  moved to the server in %lld ms\n", qint64(moving.elapsed()));
    ctx.companyServer = server;
    ctx.companyRegisterSchema = schemas.first();
    ctx.currentBookFile = c.mainBookFile;
    const kl::BookLocation book = ctx.currentBook();

    onServer(QStringLiteral("journal list, %1 lines, built and shown").arg(c.mainLines), runs, [&] {
        kl::frmpregleddnevnika journal;
        journal.show();
        settle();
    });
    {
        auto overview = std::make_unique<kl::frmPregledart>();
        overview->show();
        settle();
        click(overview.get(), "optstanjeart");
        click(overview.get(), "optviseart");
        click(overview.get(), "optsveart");
        onServer(QStringLiteral("stock status of all %1 articles").arg(c.mainArticles), runs,
                 [&] { click(overview.get(), "cmdprikazart"); });
    }
    std::mt19937 rng(7);
    kl::DocumentHeader header;
    std::vector<kl::DocumentLine> lines;
    onServer(
        QStringLiteral("posting a 100-line receipt"), runs,
        [&] {
            if (kl::postDocument(book, header, lines).refusal != kl::PostingRefusal::None)
                throw std::runtime_error("posting refused on the server");
        },
        [&] {
            header = {kl::DocumentKind::Receipt,
                      QString::number(kl::nextDocumentNumber(book, kl::DocumentKind::Receipt)),
                      QDate(2026, 12, 5),
                      c.supplier,
                      c.documentType,
                      QStringLiteral("R-100"),
                      QDate(2026, 12, 5)};
            lines.clear();
            std::vector<int> ids;
            while (ids.size() < 100) {
                const int id = 1 + int(rng() % uint32_t(c.mainArticles));
                if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
            }
            for (int id : ids)
                lines.push_back(
                    {QString(), QString(), money(50), money(2.5), money(125), QString::number(id)});
        });
    {
        const kl::BookLocation production = ctx.bookLocation(c.productionBookFile);
        std::optional<kl::ProductMaterials> materials;
        kl::WorkOrder order;
        onServer(
            QStringLiteral("work order issue, 50-line bill over 5 books"), runs,
            [&] {
                if (kl::issueWorkOrder(production, order, materials->lines).refusal.refused())
                    throw std::runtime_error("work order refused on the server");
            },
            [&] {
                materials = bigProductMaterials(production, c);
                order = nextWorkOrder(production, *materials);
            });
    }
    ctx.companyServer.reset();
    dropSchemas();
}

void printServerTable(const kl::ServerAddress& server) {
    kl::PgConnection c = kl::PgConnection::connect(server);
    std::printf("\nThe same company on a PostgreSQL server (%s, on this machine):\n\n",
                qPrintable(c.exec(QStringLiteral("SHOW server_version")).text(0, 0)));
    std::printf("| figure | file | server | server / file |\n|---|---:|---:|---:|\n");
    for (const ServerFigure& f : serverFigures) {
        const QString ratio =
            std::isnan(f.file) || f.file <= 0
                ? QStringLiteral("–")
                : QString::number(f.server / f.file, 'f', 1) + QStringLiteral("×");
        std::printf("| %s | %s | %s | %s |\n", qPrintable(f.name),
                    qPrintable(number(f.file, QStringLiteral("ms"))),
                    qPrintable(number(f.server, QStringLiteral("ms"))), qPrintable(ratio));
    }
}

void printTable(const Company& c, const Scale& scale) {
    std::printf("Machine: %s, %d cores, %s; Qt %s, SQLite %s; %d runs each (median).\n",
                qPrintable(cpuModel()), QThread::idealThreadCount(),
                qPrintable(QSysInfo::prettyProductName()), qVersion(), sqlite3_libversion(),
                scale.runs);
    std::printf(
        "Company: %d articles, %d partners, %d documents, %d movement lines; %d products "
        "over %d warehouse books.\n\n",
        c.mainArticles, scale.partners, c.mainDocuments, c.mainLines, scale.products,
        scale.sideBooks + 1);
    std::printf("| figure | program | bare SQLite | ratio | target | met |\n");
    std::printf("|---|---:|---:|---:|---|---|\n");
    for (const Figure& f : figures) {
        QString target;
        if (!std::isnan(f.limit))
            target = QStringLiteral("< ") + number(f.limit, f.unit).remove(QStringLiteral(".0"));
        if (!std::isnan(f.ratioLimit))
            target += (target.isEmpty() ? QString() : QStringLiteral(", ")) +
                      QStringLiteral("≤ %1× bare").arg(f.ratioLimit);
        const QString ratio =
            std::isnan(f.bare) || f.bare <= 0
                ? QStringLiteral("–")
                : QString::number(f.program / f.bare, 'f', 1) + QStringLiteral("×");
        std::printf("| %s | %s | %s | %s | %s | %s |\n", qPrintable(f.name),
                    qPrintable(number(f.program, f.unit)), qPrintable(number(f.bare, f.unit)),
                    qPrintable(ratio), qPrintable(target),
                    f.hasTarget() ? (f.met() ? "yes" : "**no**") : "");
    }
    for (const Figure& f : figures)
        if (!f.note.isEmpty()) std::printf("\n%s: %s.", qPrintable(f.name), qPrintable(f.note));
    std::printf("\n");
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
    kl::keepRoomOfLongReads();  // as the program's process does
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::selfPath = QCoreApplication::applicationFilePath();
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 4 && args[1] == QLatin1String("--journal-memory"))
        return bench::journalMemory(args[2], args[3], args.contains(QStringLiteral("--cards")));
    if (args.size() == 4 && args[1] == QLatin1String("--journal-export"))
        return bench::journalExport(args[2], args[3]);
    if (args.size() == 2 && args[1] == QLatin1String("--bare-window")) return bench::bareWindow();
    if (args.size() >= 3 && args[1] == QLatin1String("--report-parts"))
        return bench::reportParts(args[2], args.value(3));

    bench::Scale scale =
        args.contains(QStringLiteral("--small")) ? bench::Scale::small() : bench::Scale::full();
    const int scaleAt = int(args.indexOf(QStringLiteral("--scale")));
    if (scaleAt > 0 && scaleAt + 1 < args.size())
        scale = scale.times(std::max(1, args[scaleAt + 1].toInt()));
    const int runsAt = int(args.indexOf(QStringLiteral("--runs")));
    if (runsAt > 0 && runsAt + 1 < args.size()) scale.runs = std::max(1, args[runsAt + 1].toInt());
    const bool keep = args.contains(QStringLiteral("--keep"));
    const int folderAt = int(args.indexOf(QStringLiteral("--folder")));

    QTemporaryDir temporary;
    QString folder = temporary.path() + QStringLiteral("/program");
    if (folderAt > 0 && folderAt + 1 < args.size()) {
        folder = QDir(args[folderAt + 1]).absolutePath();
        // Never write into a folder that holds anything already.
        if (QDir(folder).exists() && !QDir(folder).isEmpty()) {
            std::fprintf(stderr, "klbench: %s is not empty\n", qPrintable(folder));
            return 2;
        }
    }
    temporary.setAutoRemove(!keep);

    try {
        std::fprintf(stderr, "Generating into %s\n", qPrintable(folder));
        const bench::Company company = bench::generate(folder, scale);
        std::fprintf(stderr, "Measuring\n");
        bench::run(company, scale);
        bench::printTable(company, scale);
        if (args.contains(QStringLiteral("--server"))) {
            std::fprintf(stderr, "Measuring on the server\n");
            const kl::ServerAddress server = bench::serverFromEnvironment();
            bench::runOnServer(company, scale, server);
            bench::printServerTable(server);
        }
    } catch (const kl::DbError& e) {
        std::fprintf(stderr, "klbench: %s\n", qPrintable(e.description()));
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "klbench: %s\n", e.what());
        return 1;
    }
    if (keep) std::fprintf(stderr, "Kept %s\n", qPrintable(folder));
    return 0;
}
