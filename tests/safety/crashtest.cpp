// Crash test of the books: a child process does what a clerk does (receipts, issues, entry lists,
// products, work orders, what the program remembers; back-ups, restores of a listed back-up,
// compaction) through the program's own functions and is killed with SIGKILL at a random moment;
// after every kill and the program's start-up steps the parent opens every book and checks that
// each user action is either stored whole or not at all, that every listed back-up is complete
// (and, on a sample, restores to exactly its content), and that no staged or temporary file is
// left. The child also makes and removes other companies and books; the register and the book files
// must then agree, and nothing outside the program folder may change. It also backs up onto a "USB
// stick" (a folder beside the program folder, or KNJIGE_LUMEN_CRASHTEST_STICK) and restores from
// it, every other child as on a file system without RENAME_NOREPLACE: the stick must then hold
// only whole copies and leftovers of ours that the next back-up there removes, a stranger's files
// on it untouched.
//
//   crashtest [--kills N] [--seed S]        the parent (the CTest run)
//   crashtest --child <folder> <seed>       the child, started by the parent
//
// What the child writes carries what the parent needs to check it:
//   - a receipt's supplier document number is "L<lines>-<tag>";
//   - an issue entered by hand goes to the customer "Kupac L<lines>" (two digits);
//   - an entry of a list is named "Lista <tag> <size>/<index>";
//   - a product is named "Proizvod <tag> n<bill lines>";
//   - a work order's issue notes are found through its cost rows (book name, issue note number);
//   - a transfer between two books is an issue in one and a receipt in the other, each side
//     recorded in its book's kl_medjuskladisnice with the other side's header: both sides must be
//     there or neither, with the same lines.

#include "data/appcontext.h"
#include "data/convert.h"
#include "data/database.h"
#include "data/fileops.h"
#include "data/schema.h"
#include "production/products.h"
#include "production/workorders.h"
#include "reports/stockaudit.h"
#include "shell/books.h"
#include "shell/companies.h"
#include "shell/dbtools.h"
#include "shell/settings.h"
#include "shell/settle.h"
#include "testenv.h"
#include "warehouse/documents.h"
#include "warehouse/masterdata.h"
#include "warehouse/transfer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <random>
#include <set>

using namespace kl;

namespace {

const QString kProductionCustomer = QStringLiteral("Proizvodnja");
// The company whose books the clerk posts to; the others come and go.
const QString kCompany = QStringLiteral("Lumen");
constexpr int kMaxPassingCompanies = 4;
constexpr int kSetupArticles = 8;

// The USB stick: a folder beside the program folder, or the folder KNJIGE_LUMEN_CRASHTEST_STICK
// names (a mounted FAT or exFAT stick, for a run by hand).
QString stickFolder() {
    const QString given = qEnvironmentVariable("KNJIGE_LUMEN_CRASHTEST_STICK");
    return !given.isEmpty()
               ? given
               : QFileInfo(context().programFolder).dir().filePath(QStringLiteral("usb"));
}

void say(const QString& text) {
    std::fprintf(stdout, "%s\n", qPrintable(text));
    std::fflush(stdout);
}

// The window whose remembered placement the clerk stores with the last company entered.
const QString kRememberedWindow = settings::windowKey(QStringLiteral("crashtest"));

// ---- The company's books ------------------------------------------------------------------------

struct Books {
    std::vector<WarehouseBook> warehouses;
    QString productionBook;
};

Books findBooks() {
    Books b;
    Database master = Database::open(context().masterPath());
    Recordset company =
        master.openRecordset(QStringLiteral("select id from svetvrtke where ime=?"), {kCompany});
    const QString companyId = company.text(QStringLiteral("id"));
    b.warehouses = companyWarehouseBooks(companyId);
    Recordset production = master.openRecordset(
        QStringLiteral("select id from otvoreneknjige where vrstaknjige=? and idtvrtke=?"),
        {kProductionKind, companyId});
    b.productionBook =
        context().bookPath(bookFileName(kProductionKind, production.text(QStringLiteral("id"))));
    return b;
}

// ---- The clerk ---------------------------------------------------------------------------------

class Clerk {
  public:
    explicit Clerk(quint64 seed) : rng_(seed), books_(findBooks()) {}

    [[noreturn]] void work() {
        // A child lives for a few actions only: one in five starts with a change of the
        // register, so kills land inside it often enough.
        if (pick(5) == 0) changeRegister();
        // The tools of the register: often first (a child's life is short), now and then later.
        if (pick(8) == 0) useTools();
        // And one in six with the stick, so kills land inside those too.
        if (pick(6) == 0) {
            if (pick(2))
                backUpDatabasesTo(stickFolder());
            else
                restoreFromStick();
        }
        for (;;) {
            if (pick(100) < 3) {
                useTools();
                continue;
            }
            const int action = pick(100);
            if (action < 35)
                postReceipt(book());
            else if (action < 45)
                postIssue(book());
            else if (action < 55)
                transferGoods();
            else if (action < 63)
                addArticleList(book());
            else if (action < 70)
                addPartnerList(book());
            else if (action < 73)
                insertDocumentType(book().location().filePath(), QStringLiteral("Vrsta ") + tag());
            else if (action < 77)
                addProduct();
            else if (action < 81)
                changeRegister();  // companies and books made and removed
            else if (action < 84)
                remember();
            else if (action < 87)
                stockAtToday();
            else
                issueOrder();
        }
    }

  private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    const WarehouseBook& book() { return books_.warehouses[size_t(pick(3))]; }
    template <typename T>
    const T& anyOf(const std::vector<T>& v) {
        return v[size_t(pick(int(v.size())))];
    }
    QString tag() {
        static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
        QString t;
        for (int i = 0; i < 8; ++i)
            t += QLatin1Char(digits[pick(36)]);
        return t;
    }
    // A figure as the entry fields leave it: "12,50".
    QString figure(int cents) { return formatEntry(cents / 100.0); }

    static DocumentLine line(const ArticleChoice& a, const QString& quantity,
                             const QString& price) {
        return {a.sifra,
                a.naziv,
                quantity,
                price,
                formatEntry(numberOrZero(quantity) * numberOrZero(price)),
                a.id};
    }

    void receipt(const WarehouseBook& b, const std::vector<DocumentLine>& lines) {
        const QStringList suppliers = partnerNames(b.location().filePath(), true);
        const QStringList types = documentTypeNames(b.location().filePath());
        DocumentHeader h;
        h.kind = DocumentKind::Receipt;
        h.broj =
            QString::number(nextDocumentNumber(b.location().filePath(), DocumentKind::Receipt));
        h.datum = QDate::currentDate();
        h.partner = suppliers[pick(int(suppliers.size()))];
        h.documentType = types[pick(int(types.size()))];
        h.brojdok = QStringLiteral("L%1-%2").arg(lines.size()).arg(tag());
        h.datumdok = h.datum;
        if (postDocument(b.location().filePath(), h, lines).refusal != PostingRefusal::None)
            throw DbError(0, QStringLiteral("receipt refused"));
    }

    void postReceipt(const WarehouseBook& b) {
        const std::vector<ArticleChoice> all = loadArticleChoices(b.location().filePath());
        std::vector<ArticleChoice> raw;
        for (const ArticleChoice& a : all)
            if (a.naziv.startsWith(QLatin1String("Sirovina"))) raw.push_back(a);
        std::vector<DocumentLine> lines;
        const int n = between(1, 20);
        while (int(lines.size()) < n) {
            const ArticleChoice& a = pick(10) < 6 ? anyOf(raw) : anyOf(all);
            const QString quantity = figure(between(100, 20000));
            const QString price = figure(between(10, 5000));
            lines.push_back(line(a, quantity, price));
            // Now and then the same article on the next line again, at another price.
            if (int(lines.size()) < n && pick(5) == 0)
                lines.push_back(line(a, figure(between(100, 5000)), figure(between(10, 5000))));
        }
        receipt(b, lines);
    }

    void postIssue(const WarehouseBook& b) {
        const std::vector<ArticleChoice> all = loadArticleChoices(b.location().filePath());
        std::vector<DocumentLine> lines;
        std::map<QString, double> left;  // stock not yet taken by earlier lines
        const int n = between(1, 20);
        for (int tries = 0; tries < 40 && int(lines.size()) < n; ++tries) {
            const ArticleChoice& a = anyOf(all);
            if (!left.count(a.id)) {
                const auto stock = findArticle(b.location().filePath(), a.id);
                left[a.id] = stock ? stock->stanje : 0;
            }
            const int available = int(left[a.id] * 100) / 3;
            if (available < 1) continue;
            const QString quantity = figure(between(1, available));
            left[a.id] -= numberOrZero(quantity);
            lines.push_back(
                line(a, quantity, offeredPriceText(*findArticle(b.location().filePath(), a.id))));
        }
        if (lines.empty()) return;
        DocumentHeader h;
        h.kind = DocumentKind::Issue;
        h.broj = QString::number(nextDocumentNumber(b.location().filePath(), DocumentKind::Issue));
        h.datum = QDate::currentDate();
        h.partner = QStringLiteral("Kupac L%1").arg(lines.size(), 2, 10, QLatin1Char('0'));
        if (postDocument(b.location().filePath(), h, lines).refusal != PostingRefusal::None)
            throw DbError(0, QStringLiteral("issue refused"));
    }

    // Goods from one book to another: raw materials (in every book) and goods that only the
    // first book had at the start ("Roba"), which a target book without them gets made. (Not
    // the articles of entry lists: a list is checked whole in its own book.)
    void transferGoods() {
        const size_t from = size_t(pick(3)), to = (from + 1 + size_t(pick(2))) % 3;
        const WarehouseBook& a = books_.warehouses[from];
        const WarehouseBook& b = books_.warehouses[to];
        std::vector<DocumentLine> lines;
        std::map<QString, double> left;
        std::vector<ArticleChoice> all;
        for (const ArticleChoice& c : loadArticleChoices(a.location().filePath()))
            if (c.naziv.startsWith(QLatin1String("Sirovina")) ||
                c.naziv.startsWith(QLatin1String("Roba")))
                all.push_back(c);
        const int n = between(1, 6);
        for (int tries = 0; tries < 20 && int(lines.size()) < n; ++tries) {
            const ArticleChoice& c = anyOf(all);
            if (!left.count(c.id)) left[c.id] = findArticle(a.location().filePath(), c.id)->stanje;
            const int available = int(left[c.id] * 100) / 4;
            if (available < 1) continue;
            const QString quantity = figure(between(1, available));
            left[c.id] -= numberOrZero(quantity);
            lines.push_back({c.sifra, c.naziv, quantity, QString(), QString(), c.id});
        }
        if (lines.empty()) return;
        const TransferResult r =
            postTransfer({{a.id, a.name}, {b.id, b.name}, QDate::currentDate(), lines});
        if (!r.refusal.isEmpty())
            throw DbError(0, QStringLiteral("transfer refused: ") + r.refusal);
    }

    // The stock status at a day, which keeps stock points in the book (in the child at every
    // line posted since the last one, so that kills land inside their writing).
    void stockAtToday() {
        Database db = Database::open(book().location().filePath());
        stockArticlesAt(db, ArticleGroup::All, QDate::currentDate());
    }

    void addArticleList(const WarehouseBook& b) {
        const QString t = tag();
        const int n = between(2, 6);
        QList<ArticleEntry> list;
        for (int i = 1; i <= n; ++i) {
            list.append({t + QString::number(i), QString(),
                         QStringLiteral("Lista %1 %2/%3").arg(t).arg(n).arg(i),
                         QStringLiteral("kom"), figure(between(0, 1000))});
        }
        insertArticles(b.location().filePath(), list);
    }

    void addPartnerList(const WarehouseBook& b) {
        static const char* const kinds[] = {"k", "d", "s"};
        const QString t = tag();
        const int n = between(2, 6);
        QList<PartnerFields> list;
        for (int i = 1; i <= n; ++i) {
            list.append({QLatin1String(kinds[pick(3)]),
                         QStringLiteral("Lista %1 %2/%3").arg(t).arg(n).arg(i),
                         QStringLiteral("12345678901"), QStringLiteral("HR12100100518630001"),
                         QStringLiteral("Zagreb"), QStringLiteral("Ilica 1"),
                         QStringLiteral("01 234 567"), QStringLiteral("Ana")});
        }
        insertPartners(b.location().filePath(), list);
    }

    void addProduct() {
        std::vector<BillLine> bill;
        const int supplying = between(2, 3);
        std::vector<int> order = {0, 1, 2};
        std::shuffle(order.begin(), order.end(), rng_);
        for (int k = 0; k < supplying; ++k) {
            const WarehouseBook& b = books_.warehouses[size_t(order[size_t(k)])];
            std::vector<ArticleChoice> raw;
            for (const ArticleChoice& a : loadArticleChoices(b.location().filePath()))
                if (a.naziv.startsWith(QLatin1String("Sirovina"))) raw.push_back(a);
            for (int i = between(1, 2); i > 0; --i) {
                const ArticleChoice& a = anyOf(raw);
                const QString quantity = figure(between(10, 300));
                const QString price = figure(between(10, 2000));
                bill.push_back({b.name, a.sifra, a.naziv, quantity, price,
                                formatEntry(numberOrZero(quantity) * numberOrZero(price)), a.id,
                                b.id, QStringLiteral("0")});
            }
        }
        const QString t = tag();
        storeProduct(
            books_.productionBook,
            {QStringLiteral("P") + t, QStringLiteral("Proizvod %1 n%2").arg(t).arg(bill.size()),
             QString(), QStringLiteral("kom")},
            bill);
    }

    void issueOrder() {
        const QStringList products = productNames(books_.productionBook);
        auto m = loadMaterials(books_.productionBook, products[pick(int(products.size()))]);
        if (!m) throw DbError(0, QStringLiteral("product vanished"));
        const QString units = figure(between(1, 4) * 100);
        applyQuantity(m->lines, units);
        if (!shortages(m->lines).isEmpty()) {
            // Not enough in stock: the clerk fills the warehouse books first.
            for (const WarehouseBook& b : books_.warehouses) {
                std::vector<DocumentLine> lines;
                for (const MaterialLine& l : m->lines) {
                    if (l.bookId != b.id) continue;
                    lines.push_back(line({l.articleId, QString(), l.articleName},
                                         formatEntry(numberOrZero(l.needed) * 5 + 10),
                                         figure(between(10, 3000))));
                }
                if (!lines.empty()) receipt(b, lines);
            }
            return;
        }
        WorkOrder o;
        o.brojrn = QString::number(nextWorkOrderNumber(books_.productionBook));
        o.datumotv = QDate::currentDate();
        o.datumzatv = o.datumotv.addDays(pick(30));
        o.productId = m->productId;
        o.kolicina = units;
        const QString zero = QStringLiteral("0,00");
        o.costs = {materialCost(m->lines), figure(between(0, 50000)), zero, zero, zero, zero};
        if (issueWorkOrder(books_.productionBook, o, m->lines).refusal.refused())
            throw DbError(0, QStringLiteral("work order refused"));
    }

    // ---- The tools: back-ups and restores here and on the stick, compaction ----
    void useTools() {
        const int tool = pick(12);
        if (tool < 3)
            backUpDatabases();
        else if (tool < 6)
            backUpDatabasesTo(stickFolder());
        else if (tool < 8)
            restoreListedBackup();
        else if (tool < 10)
            restoreFromStick();
        else
            compactDatabases();
    }

    void restoreFromStick() {
        const std::vector<BackupInfo> list = listBackupsIn(stickFolder());
        if (list.empty())
            backUpDatabasesTo(stickFolder());
        else
            restoreBackupFrom(list[size_t(pick(int(list.size())))].path);
    }

    void restoreListedBackup() {
        const std::vector<BackupInfo> list = listBackups();
        if (list.empty())
            backUpDatabases();
        else
            restoreBackup(list[size_t(pick(int(list.size())))].path);
    }

    // ---- What the program remembers: two values stored together carry the same tag ----
    void remember() {
        const QString t = tag();
        settings::setValues({{settings::lastCompanyKey(), t}, {kRememberedWindow, t}});
    }

    // ---- Companies and books made and removed, beside the company the clerk posts to ----

    void changeRegister() {
        std::vector<CompanyRow> passing;
        for (const CompanyRow& c : loadCompanies())
            if (c.name() != kCompany) passing.push_back(c);
        const int choice = pick(4);
        if (passing.empty() || (choice == 0 && int(passing.size()) < kMaxPassingCompanies))
            addPassingCompany();
        else if (choice <= 1)
            addPassingBook(anyOf(passing).id);
        else if (choice == 2)
            deletePassingBook(anyOf(passing).id);
        else
            deleteCompany(anyOf(passing).id);
    }

    void addPassingCompany() {
        CompanyFields fields;
        fields[0] = QStringLiteral("Prolazna ") + tag();
        addPassingBook(insertCompany(fields));
    }

    // A new book, entered at once: entering makes its database file.
    void addPassingBook(const QString& companyId) {
        const QString kind = pick(2) ? kWarehouseKind : kProductionKind;
        const QString id =
            insertBook(companyId, QStringLiteral("Knjiga ") + tag(), kind, QStringLiteral("-"));
        if (!prepareBookFile(checkedBookFileName(kind, id), kind))
            throw DbError(0, QStringLiteral("a new book's file counts as made"));
    }

    void deletePassingBook(const QString& companyId) {
        const QList<BookRow> books = loadBooks(companyId);
        if (books.isEmpty()) return;
        const BookRow& b = books[pick(int(books.size()))];
        deleteBook(b.id, b.kind);
    }

    std::mt19937_64 rng_;
    Books books_;
};

int runChild(const QString& folder, quint64 seed) {
    context().programFolder = folder;
    // Every other child as on a file system without RENAME_NOREPLACE (a FUSE exFAT stick).
    kl::testing::noRenameNoReplace = (seed & 1) != 0;
    kl::testing::stockPointLines = 1;
    try {
        Clerk(seed).work();
    } catch (const DbError& e) {
        std::fprintf(stderr, "child: database error %d: %s\n", e.number(),
                     qPrintable(e.description()));
    }
    return 3;
}

// ---- The checks --------------------------------------------------------------------------------

using Rows = std::vector<QStringList>;

// Runs a fixed select straight on SQLite and returns every row as text.
Rows query(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
        throw DbError(0, QString::fromUtf8(sqlite3_errmsg(db)) + u' ' + QLatin1String(sql));
    Rows rows;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        QStringList row;
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            row.append(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c))));
        rows.push_back(row);
    }
    const QString error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) throw DbError(0, error + u' ' + QLatin1String(sql));
    return rows;
}

int count(sqlite3* db, const char* sql) {
    return query(db, sql).at(0).at(0).toInt();
}

struct Totals {
    int documents = 0;
    int workOrders = 0;
    int listEntries = 0;
    int products = 0;
    int transfers = 0;
    int stockPoints = 0;
};

class Checker {
  public:
    Checker(const Books& books, Totals& totals) : books_(books), totals_(totals) {}

    QStringList run() {
        totals_ = {};
        integrity(context().masterPath());
        for (const WarehouseBook& b : books_.warehouses) {
            integrity(b.location().filePath());
            Database db = Database::open(b.location().filePath());
            documents(b, db.handle());
            entryLists(b.name, db.handle(), "select naziv from artikli");
            entryLists(b.name, db.handle(), "select ime from kd");
            stock(b);
            stockPoints(b);
        }
        transfers();
        integrity(books_.productionBook);
        workOrders();
        return failures_;
    }

  private:
    void fail(const QString& what) { failures_.append(what); }

    void integrity(const QString& path) {
        Database db = Database::open(path);
        const Rows r = query(db.handle(), "pragma integrity_check");
        if (r.size() != 1 || r[0][0] != QLatin1String("ok"))
            fail(QFileInfo(path).fileName() + QStringLiteral(": integrity_check: ") +
                 r[0].join(u' '));
    }

    static void numbered(std::vector<int> numbers, const QString& what, QStringList& failures) {
        std::sort(numbers.begin(), numbers.end());
        for (size_t i = 0; i < numbers.size(); ++i) {
            if (numbers[i] != int(i) + 1) {
                failures.append(what + QStringLiteral(" not numbered 1..%1 (found %2 at place %3)")
                                           .arg(numbers.size())
                                           .arg(numbers[i])
                                           .arg(i + 1));
                return;
            }
        }
    }

    // Every header has the lines it was posted with, every line its header; documents of a kind
    // are numbered 1..n without gaps or repeats.
    void documents(const WarehouseBook& b, sqlite3* db) {
        static const QRegularExpression receiptTag(QStringLiteral("^L(\\d+)-"));
        static const QRegularExpression customerTag(QStringLiteral("^Kupac L(\\d\\d)$"));
        const Rows headers = query(db,
                                   "select p.id, p.pi, p.brojpi, p.brojdok, k.ime, "
                                   "(select count(*) from ulazizlaz u where u.idpi = p.id) "
                                   "from pi p left join kd k on k.id = p.idkd");
        std::vector<int> receipts, issues;
        auto& notes = productionNotes_[b.name];
        notes.clear();
        readTransfers(b, db);
        const auto& sides = sides_[b.id];
        for (const QStringList& h : headers) {
            const QString where = b.name + QStringLiteral(": document id ") + h[0];
            const int lines = h[5].toInt();
            if (const auto side = sides.find(h[0]); side != sides.end()) {
                (h[1] == QLatin1String("P") ? receipts : issues).push_back(h[2].toInt());
                Side& s = sides_[b.id][h[0]];
                s.kind = h[1];
                s.number = h[2];
                s.partner = h[4];
                s.found = true;
                continue;  // checked against its other side
            }
            int expected = -1;
            if (h[1] == QLatin1String("P")) {
                receipts.push_back(h[2].toInt());
                const auto m = receiptTag.match(h[3]);
                if (m.hasMatch()) expected = m.captured(1).toInt();
            } else if (h[1] == QLatin1String("I")) {
                issues.push_back(h[2].toInt());
                if (h[4] == kProductionCustomer) {
                    if (!notes.emplace(h[2].toInt(), lines).second)
                        fail(where + QStringLiteral(": second issue note numbered ") + h[2]);
                    continue;  // checked against its work order
                }
                const auto m = customerTag.match(h[4]);
                if (m.hasMatch()) expected = m.captured(1).toInt();
            }
            if (expected < 0)
                fail(where + QStringLiteral(": unknown header ") + h.join(u'|'));
            else if (lines != expected)
                fail(where + QStringLiteral(": %1 lines, posted with %2").arg(lines).arg(expected));
        }
        numbered(receipts, b.name + QStringLiteral(": receipts"), failures_);
        numbered(issues, b.name + QStringLiteral(": issues"), failures_);
        if (const int orphans =
                count(db, "select count(*) from ulazizlaz where idpi not in (select id from pi)"))
            fail(b.name + QStringLiteral(": %1 lines without a header").arg(orphans));
        if (const int unknown = count(db,
                                      "select count(*) from ulazizlaz where cast(idartikla as "
                                      "integer) not in (select id from artikli)"))
            fail(b.name + QStringLiteral(": %1 lines of unknown articles").arg(unknown));
        if (const int strangers = count(db,
                                        "select count(*) from ulazizlaz u join pi p on "
                                        "p.id = u.idpi where u.idkd <> p.idkd"))
            fail(b.name + QStringLiteral(": %1 lines with another partner").arg(strangers));
        totals_.documents += int(headers.size());
    }

    // One side of a transfer as its book holds it.
    struct Side {
        QString otherBook, otherHeader, otherNumber;
        QString kind, number, partner;
        QStringList lines;   // "quantity@price" in line order
        bool found = false;  // its header is in the book
    };

    void readTransfers(const WarehouseBook& b, sqlite3* db) {
        auto& sides = sides_[b.id];
        sides.clear();
        if (!count(db, "select count(*) from sqlite_master where name = 'kl_medjuskladisnice'"))
            return;
        for (const QStringList& r :
             query(db, "select idpi, idknjige, idpidrugi, brojpidrugi from kl_medjuskladisnice"))
            sides[r[0]] = {r[1], r[2], r[3], {}, {}, {}, {}, false};
        for (const QStringList& r : query(db,
                                          "select u.idpi, u.kolicina, u.cijena from ulazizlaz u "
                                          "join kl_medjuskladisnice m on m.idpi = u.idpi "
                                          "order by u.id"))
            sides[r[0]].lines << r[1] + u'@' + r[2];
    }

    // Every side of a transfer has its header and the other side in the other book, pointing
    // back, of the other kind, with the same lines; each names the other book as its partner.
    void transfers() {
        std::map<QString, QString> names;
        for (const WarehouseBook& b : books_.warehouses)
            names[b.id] = b.name;
        for (const auto& [book, sides] : sides_) {
            for (const auto& [header, s] : sides) {
                const QString where =
                    names[book] + QStringLiteral(": transfer side of header ") + header;
                if (!s.found) {
                    fail(where + QStringLiteral(" without its header"));
                    continue;
                }
                if (s.partner != names[s.otherBook])
                    fail(where +
                         QStringLiteral(": partner %1, not %2").arg(s.partner, names[s.otherBook]));
                const auto other = sides_[s.otherBook].find(s.otherHeader);
                if (other == sides_[s.otherBook].end()) {
                    fail(where + QStringLiteral(": no other side in %1").arg(names[s.otherBook]));
                    continue;
                }
                const Side& o = other->second;
                if (o.otherBook != book || o.otherHeader != header || o.otherNumber != s.number ||
                    o.kind == s.kind || o.lines != s.lines)
                    fail(where + QStringLiteral(": the other side differs (%1 %2 %3 | %4 %5 %6)")
                                     .arg(s.kind, s.number, s.lines.join(u' '), o.kind, o.number,
                                          o.lines.join(u' ')));
                if (s.kind == QLatin1String("I")) ++totals_.transfers;
            }
        }
    }

    // The entries of one list ("Lista <tag> <size>/<index>") are all there or none.
    void entryLists(const QString& where, sqlite3* db, const char* sql) {
        static const QRegularExpression entry(QStringLiteral("^Lista (\\w+) (\\d+)/(\\d+)$"));
        std::map<QString, std::pair<int, std::set<int>>> lists;
        for (const QStringList& r : query(db, sql)) {
            const auto m = entry.match(r[0]);
            if (!m.hasMatch()) continue;
            auto& l = lists[m.captured(1)];
            l.first = m.captured(2).toInt();
            l.second.insert(m.captured(3).toInt());
            ++totals_.listEntries;
        }
        for (const auto& [tag, l] : lists) {
            if (int(l.second.size()) != l.first || *l.second.begin() != 1 ||
                *l.second.rbegin() != l.first)
                fail(where + QStringLiteral(": list %1 has %2 of its %3 entries (%4)")
                                 .arg(tag)
                                 .arg(l.second.size())
                                 .arg(l.first)
                                 .arg(QLatin1String(sql)));
        }
    }

    // Each article's stored figures are what its movements give.
    void stock(const WarehouseBook& b) {
        for (const StockDifference& d : auditStock(b.location().filePath())) {
            fail(b.name + QStringLiteral(": article %1 (%2) stored %3/%4/%5, movements give "
                                         "%6/%7/%8%9")
                              .arg(d.articleId, d.naziv)
                              .arg(d.storedStanje)
                              .arg(d.storedVrijednost)
                              .arg(d.storedProscijena)
                              .arg(d.replayStanje)
                              .arg(d.replayVrijednost)
                              .arg(d.replayProscijena)
                              .arg(d.workOrderIssues ? QStringLiteral(" (has work order issues)")
                                                     : QString()));
        }
    }

    // The stock today from the book's stock points is the whole replay, and no point is found
    // stale: a kill never leaves one half written.
    void stockPoints(const WarehouseBook& b) {
        Database db = Database::open(b.location().filePath());
        const auto points = [&db] {
            QStringList ids;
            for (Recordset rs = db.openRecordset(QStringLiteral("select id from kl_tockezaliha"));
                 !rs.eof(); rs.moveNext())
                ids << rs.value(0).toString();
            return ids;
        };
        const QStringList before = points();
        const QDate today = QDate::currentDate();
        const std::vector<ReplayedStock> fast = replayStockAt(db, today),
                                         whole = replayStock(db, today);
        bool same = fast.size() == whole.size();
        for (size_t i = 0; same && i < fast.size(); ++i)
            same = fast[i].id == whole[i].id && fast[i].stanje == whole[i].stanje &&
                   fast[i].vrijednost == whole[i].vrijednost &&
                   fast[i].proscijena == whole[i].proscijena;
        if (!same)
            fail(b.name + QStringLiteral(": the stock from the stock points is not the replay"));
        const QStringList after = points();
        for (const QString& id : before)
            if (!after.contains(id))
                fail(b.name + QStringLiteral(": stock point %1 was found stale").arg(id));
        totals_.stockPoints += int(before.size());
    }

    // Each work order has its issue note in every book its bill draws from, with the bill's
    // lines of that book; each issue note to production belongs to a stored work order.
    void workOrders() {
        Database db = Database::open(books_.productionBook);
        sqlite3* h = db.handle();
        static const QRegularExpression productTag(QStringLiteral("^Proizvod \\w+ n(\\d+)$"));

        // product id -> book id -> bill lines
        std::map<QString, std::map<QString, int>> bills;
        for (const QStringList& r :
             query(h, "select idproizvoda, idskladista, count(*) from sastojci group by 1, 2"))
            bills[r[0].trimmed()][r[1].trimmed()] = r[2].toInt();
        for (const QStringList& r : query(h, "select id, naziv from proizvodi")) {
            const auto m = productTag.match(r[1]);
            int lines = 0;
            for (const auto& [book, n] : bills[r[0]])
                lines += n;
            if (!m.hasMatch() || m.captured(1).toInt() != lines || bills[r[0]].size() < 2)
                fail(QStringLiteral("product %1 (%2) has %3 bill lines in %4 books")
                         .arg(r[0], r[1])
                         .arg(lines)
                         .arg(bills[r[0]].size()));
            ++totals_.products;
        }

        std::map<QString, QString> bookNames;  // id -> name
        for (const WarehouseBook& b : books_.warehouses)
            bookNames[b.id] = b.name;

        // work order id -> book name -> issue note numbers of its cost rows
        std::map<QString, std::map<QString, std::vector<int>>> costs;
        for (const QStringList& r :
             query(h, "select idrn, nazivskladista, izdatnicabr from troskovi"))
            costs[r[0].trimmed()][r[1]].push_back(r[2].trimmed().toInt());

        std::map<QString, std::set<int>> claimed;  // book name -> issue notes of work orders
        std::vector<int> numbers;
        const Rows orders = query(h, "select id, brojrn, idproizvoda from radninalozi");
        for (const QStringList& o : orders) {
            const QString where = QStringLiteral("work order %1 (id %2)").arg(o[1], o[0]);
            numbers.push_back(o[1].toInt());
            const auto& bill = bills[o[2].trimmed()];
            auto& rows = costs[o[0]];
            for (const auto& [bookId, lines] : bill) {
                const QString name = bookNames[bookId];
                const std::vector<int>& notes = rows[name];
                if (int(notes.size()) != lines ||
                    std::count(notes.begin(), notes.end(), notes[0]) != lines) {
                    fail(where + QStringLiteral(": %1 cost rows for %2, bill has %3 lines")
                                     .arg(notes.size())
                                     .arg(name)
                                     .arg(lines));
                    continue;
                }
                claimed[name].insert(notes[0]);
                const auto& stored = productionNotes_[name];
                const auto note = stored.find(notes[0]);
                if (note == stored.end())
                    fail(where +
                         QStringLiteral(": no issue note %1 in %2").arg(notes[0]).arg(name));
                else if (note->second != lines)
                    fail(where + QStringLiteral(": issue note %1 in %2 has %3 lines, bill has %4")
                                     .arg(notes[0])
                                     .arg(name)
                                     .arg(note->second)
                                     .arg(lines));
            }
            for (const auto& [name, notes] : rows) {
                bool inBill = false;
                for (const auto& [bookId, lines] : bill)
                    inBill = inBill || bookNames[bookId] == name;
                if (!inBill && !notes.empty())
                    fail(where + QStringLiteral(": cost rows for %1 outside its bill").arg(name));
            }
            costs.erase(o[0]);
        }
        for (const auto& [id, rows] : costs) {
            for (const auto& [name, notes] : rows)
                if (!notes.empty())
                    fail(QStringLiteral("cost rows of a missing work order id %1").arg(id));
        }
        for (const auto& [name, stored] : productionNotes_) {
            for (const auto& [number, lines] : stored)
                if (!claimed[name].count(number))
                    fail(name + QStringLiteral(": issue note %1 to production without a work order")
                                    .arg(number));
        }
        numbered(numbers, QStringLiteral("work orders"), failures_);
        totals_.workOrders = int(orders.size());
    }

    const Books& books_;
    Totals& totals_;
    QStringList failures_;
    std::map<QString, std::map<int, int>> productionNotes_;  // book name -> number -> lines
    std::map<QString, std::map<QString, Side>> sides_;       // book id -> header id -> side
};

// ---- The back-ups and restores -----------------------------------------------------------------

// Every row of every table of a database file read only (sealed, so nothing is rolled back), in
// table and rowid order.
std::map<QString, Rows> tableRows(const QString& path) {
    std::map<QString, Rows> tables;
    sqlite3* db = nullptr;
    const QByteArray uri =
        QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded).toUtf8() + "?mode=ro&immutable=1";
    if (sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        throw DbError(0, QStringLiteral("cannot open ") + path);
    }
    try {
        for (const QStringList& t :
             query(db, "select name from sqlite_master where type='table' order by name"))
            tables[t[0]] = query(db, QStringLiteral("select * from \"%1\" order by rowid")
                                         .arg(t[0])
                                         .toUtf8()
                                         .constData());
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
    return tables;
}

// What must hold of the back-ups and restores after a kill and the settling at start.
class BackupChecker {
  public:
    QStringList run(bool sampleRestore, std::mt19937_64& rng) {
        QStringList failures;
        const QDir program(context().programFolder);
        for (const QString& name : program.entryList(QDir::Files | QDir::Hidden)) {
            if (name.contains(QLatin1String(".vracanje-")) ||
                name.startsWith(QLatin1String("vracanje-kopije")) ||
                name.contains(QLatin1String(".neispravna-")))
                failures << QStringLiteral("left in the program folder: ") + name;
        }
        const QDir root(backupRoot());
        for (const QString& name : root.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
            if (name.startsWith(QLatin1Char('.')))
                failures << QStringLiteral("staging folder left: ") + name;
        // Every registered book whose file was made still has it: registerAgreesWithFiles.
        // A listed back-up is whole; each is read through once, as it never changes afterwards.
        const std::vector<BackupInfo> list = listBackups();
        for (const BackupInfo& b : list) {
            if (verified_.count(b.path)) continue;
            if (const QString problem = backupProblem(b.path); !problem.isEmpty())
                failures << QStringLiteral("listed back-up %1 is not whole: %2")
                                .arg(QFileInfo(b.path).fileName(), problem);
            verified_.insert(b.path);
        }
        if (sampleRestore && !list.empty() && failures.isEmpty()) {
            const BackupInfo& b =
                list[std::uniform_int_distribution<size_t>(0, list.size() - 1)(rng)];
            restoreBackup(b.path);
            ++sampled_;
            const QStringList now = QDir(program).entryList({QStringLiteral("*.mdb")}, QDir::Files);
            QStringList copied = b.files;
            std::sort(copied.begin(), copied.end());
            if (now != copied)
                failures << QStringLiteral("restored %1: files %2, the copy has %3")
                                .arg(QFileInfo(b.path).fileName(), now.join(u' '),
                                     copied.join(u' '));
            for (const QString& name : b.files)
                if (tableRows(program.filePath(name)) != tableRows(QDir(b.path).filePath(name)))
                    failures << QStringLiteral("restored %1: %2 differs from the copy")
                                    .arg(QFileInfo(b.path).fileName(), name);
        }
        return failures;
    }
    int sampled() const { return sampled_; }
    int listed() const { return int(verified_.size()); }

  private:
    std::set<QString> verified_;
    int sampled_ = 0;
};

// What was remembered together went in together (the table made with the first write, or not
// at all).
QStringList rememberedTogether() {
    const QString company = settings::value(settings::lastCompanyKey()).value_or(QString());
    const QString window = settings::value(kRememberedWindow).value_or(QString());
    if (company == window) return {};
    return {QStringLiteral("remembered in one write, read apart: %1, %2").arg(company, window)};
}

// What must hold of the stick after a kill: a stranger's things there are byte for byte as they
// were (also those named like ours), and besides them there are only whole copies, staging
// folders of ours (only the files a back-up writes, with its marker or a whole copy) and empty
// folders named like a copy; the next back-up there removes all but the whole copies.
class StickChecker {
  public:
    explicit StickChecker(const QString& stick) : stick_(stick) {
        const QDir usb(stick);
        QDir().mkpath(usb.filePath(QStringLiteral(".knjige-lumen-u-izradi-1-1")));
        QDir().mkpath(usb.filePath(QStringLiteral("Knjige Lumen kopija 2001-01-01 10.00.00")));
        for (const char* name : {"popis.txt", ".knjige-lumen-u-izradi-1-1/tvrtke.mdb",
                                 "Knjige Lumen kopija 2001-01-01 10.00.00/tvrtke.mdb"}) {
            QFile f(usb.filePath(QLatin1String(name)));
            if (!f.open(QIODevice::WriteOnly) || f.write("tude") != 4)
                qFatal("cannot write %s", name);
        }
        strangers_ = usb.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        before_ = strangerSnapshot();
    }

    // `cleaned`: right after a back-up there, so nothing but whole copies may be left.
    QStringList run(bool cleaned) {
        QStringList failures;
        if (strangerSnapshot() != before_)
            failures << QStringLiteral("a stranger's file on the stick changed");
        static const QRegularExpression written(
            QStringLiteral("^(kopija\\.json|\\.knjige-lumen-u-izradi|(tvrtke|(Skladiste|"
                           "Proizvodnja)\\d+)\\.mdb(-journal)?)$"));
        const QDir usb(stick_);
        for (const QString& name :
             usb.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            if (strangers_.contains(name)) continue;
            const QString path = usb.filePath(name);
            const QStringList inside = QDir(path).entryList(QDir::AllEntries | QDir::Hidden |
                                                            QDir::System | QDir::NoDotAndDotDot);
            const bool folder = QFileInfo(path).isDir() && !QFileInfo(path).isSymLink();
            const bool copy = folder && name.startsWith(QLatin1String("Knjige Lumen kopija "));
            const bool staging =
                folder && name.startsWith(QLatin1String(".knjige-lumen-u-izradi-"));
            if ((copy || staging) && !cleaned && (staging || inside.isEmpty()))
                leftovers_.insert(name);
            if ((copy || staging) && inside.isEmpty() && !cleaned) continue;
            if (copy && !inside.isEmpty()) {
                if (verified_.insert(path).second)
                    if (const QString problem = backupProblem(path); !problem.isEmpty())
                        failures << QStringLiteral("copy %1 on the stick is not whole: %2")
                                        .arg(name, problem);
                continue;
            }
            if (staging && !cleaned) {
                bool ours = inside.contains(QStringLiteral(".knjige-lumen-u-izradi")) ||
                            backupProblem(path).isEmpty();
                for (const QString& e : inside)
                    ours = ours && written.match(e).hasMatch();
                if (ours) continue;
            }
            failures << QStringLiteral("left on the stick: %1 (%2)").arg(name, inside.join(u' '));
        }
        return failures;
    }
    int copies() const { return int(verified_.size()); }
    int leftovers() const { return int(leftovers_.size()); }

  private:
    QStringList strangerSnapshot() const {
        QStringList all;
        for (const QString& entry : kl::test::folderSnapshot(stick_))
            for (const QString& name : strangers_)
                if (entry.startsWith(name + u' ') || entry.startsWith(name + u'/')) all << entry;
        return all;
    }
    QString stick_;
    QStringList strangers_, before_;
    std::set<QString> verified_, leftovers_;
};

// The register and the files of the program folder agree: every book file is a registered
// book's, every registered book whose file was made has it, and nothing staged or half-made is
// left.
QStringList registerAgreesWithFiles(const QString& folder) {
    QStringList failures;
    Database master = Database::open(context().masterPath());
    std::set<QString> registered;
    for (const QStringList& r :
         query(master.handle(), "select vrstaknjige, id from otvoreneknjige")) {
        if (!isBookRow(r[0], r[1]))
            failures << QStringLiteral("register row %1 %2 names no book file").arg(r[0], r[1]);
        registered.insert(bookFileName(r[0], r[1]).mid(1));
    }
    if (master.hasTable(QStringLiteral("kl_knjigedatoteke"))) {
        for (const QStringList& r :
             query(master.handle(), "select datoteka from kl_knjigedatoteke")) {
            if (!registered.count(r[0]))
                failures << QStringLiteral("made file %1 of a book not registered").arg(r[0]);
            else if (!QFileInfo::exists(QDir(folder).filePath(r[0])))
                failures << QStringLiteral("registered book file %1 is gone").arg(r[0]);
        }
    }
    static const QRegularExpression bookFile(
        QStringLiteral("^(Skladiste|Proizvodnja)\\d+\\.mdb(-journal)?$"));
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (name.contains(QLatin1String(".brisanje")) || name.contains(QLatin1String(".nova-")))
            failures << QStringLiteral("left in the folder: ") + name;
        const auto m = bookFile.match(name);
        if (m.hasMatch() && !registered.count(name.left(name.indexOf(QLatin1String(".mdb")) + 4)))
            failures << QStringLiteral("book file %1 the register does not name").arg(name);
    }
    return failures;
}

// ---- The parent --------------------------------------------------------------------------------

// The company "Lumen" with three warehouse books, each with raw materials in stock, suppliers,
// customers and a document type, and a production book with products drawing from them.
void createCompany() {
    const int company = test::addCompany(kCompany);
    context().currentCompanyId = company;
    const QStringList names = {QStringLiteral("Sirovine"), QStringLiteral("Ambalaža"),
                               QStringLiteral("Repromaterijal")};
    for (const QString& name : names)
        test::addBook(company, name, kWarehouseKind);
    test::addBook(company, QStringLiteral("Pogon"), kProductionKind);
    const Books books = findBooks();

    std::vector<std::vector<ArticleChoice>> raw;
    for (const WarehouseBook& b : books.warehouses) {
        QList<ArticleEntry> articles;
        for (int i = 1; i <= kSetupArticles; ++i)
            articles.append({QStringLiteral("S%1").arg(i), QString(),
                             QStringLiteral("Sirovina %1").arg(i), QStringLiteral("kg"),
                             QStringLiteral("0")});
        // Goods only the first book has; transfers take them to the others.
        for (int i = 1; b.id == books.warehouses.front().id && i <= 4; ++i)
            articles.append({QStringLiteral("R%1").arg(i), QStringLiteral("385000000000%1").arg(i),
                             QStringLiteral("Roba %1").arg(i), QStringLiteral("kom"),
                             QStringLiteral("0")});
        insertArticles(b.location().filePath(), articles);
        QList<PartnerFields> partners = {
            {QStringLiteral("d"), QStringLiteral("Dobavljač d.o.o."), {}, {}, {}, {}, {}, {}}};
        for (int i = 1; i <= 20; ++i)
            partners.append({QStringLiteral("k"),
                             QStringLiteral("Kupac L%1").arg(i, 2, 10, QLatin1Char('0')),
                             {},
                             {},
                             {},
                             {},
                             {},
                             {}});
        insertPartners(b.location().filePath(), partners);
        insertDocumentType(b.location().filePath(), QStringLiteral("Račun"));
        raw.push_back(loadArticleChoices(b.location().filePath()));

        DocumentHeader h;
        h.broj = QStringLiteral("1");
        h.datum = h.datumdok = QDate::currentDate();
        h.partner = QStringLiteral("Dobavljač d.o.o.");
        h.documentType = QStringLiteral("Račun");
        std::vector<DocumentLine> lines;
        for (const ArticleChoice& a : raw.back())
            lines.push_back({a.sifra, a.naziv, QStringLiteral("500,00"), QStringLiteral("2,50"),
                             QStringLiteral("1250,00"), a.id});
        h.brojdok = QStringLiteral("L%1-opening").arg(lines.size());
        postDocument(b.location().filePath(), h, lines);
    }

    // Products drawing from two or all three books, one of them with two lines from one book.
    const std::vector<std::vector<int>> billBooks = {{0, 1}, {1, 2}, {0, 1, 2}, {2, 0, 0}};
    for (size_t p = 0; p < billBooks.size(); ++p) {
        std::vector<BillLine> bill;
        for (size_t i = 0; i < billBooks[p].size(); ++i) {
            const int k = billBooks[p][i];
            const ArticleChoice& a = raw[size_t(k)][(p + i) % kSetupArticles];
            bill.push_back({books.warehouses[size_t(k)].name, a.sifra, a.naziv,
                            QStringLiteral("1,50"), QStringLiteral("2,50"), QStringLiteral("3,75"),
                            a.id, books.warehouses[size_t(k)].id, QStringLiteral("0")});
        }
        storeProduct(books.productionBook,
                     {QStringLiteral("PR%1").arg(p + 1),
                      QStringLiteral("Proizvod PR%1 n%2").arg(p + 1).arg(bill.size()), QString(),
                      QStringLiteral("kom")},
                     bill);
    }
}

// Files of the folder matching `pattern`: "*-journal" left by the killed child means it was
// stopped inside a transaction.
int filesLike(const QString& folder, const QString& pattern) {
    return int(QDir(folder).entryList({pattern}, QDir::Files).size());
}

int runParent(int kills, quint64 seed) {
    say(QStringLiteral("crashtest: seed %1, %2 kills (repeat with --seed %1)")
            .arg(seed)
            .arg(kills));
    QTemporaryDir dir;
    if (!dir.isValid()) qFatal("cannot create a temporary program folder");
    const QString folder = dir.filePath(QStringLiteral("program"));
    const QString outside = dir.filePath(QStringLiteral("x"));
    QDir().mkpath(folder);
    QDir().mkpath(outside);
    for (const char* name : {"Racun1.mdb", "Racun1.mdb-journal"}) {
        QFile f(QDir(outside).filePath(QLatin1String(name)));
        if (!f.open(QIODevice::WriteOnly) || f.write("tude") != 4) qFatal("cannot write %s", name);
    }
    const QStringList outsideBefore = kl::test::folderSnapshot(outside);
    context().programFolder = folder;
    QDir().mkpath(stickFolder());
    StickChecker stick(stickFolder());
    createCompany();
    const Books books = findBooks();

    Totals start, now;
    {
        const QStringList failures = Checker(books, start).run();
        if (!failures.isEmpty()) {
            say(QStringLiteral("the books are wrong before any kill:\n  ") +
                failures.join(QStringLiteral("\n  ")));
            return 1;
        }
    }

    std::mt19937_64 rng(seed);
    QElapsedTimer timer;
    timer.start();
    int interrupted = 0;
    int restoresCompleted = 0, restoresUndone = 0;
    int mostDocuments = start.documents, mostWorkOrders = start.workOrders,
        mostListEntries = start.listEntries, mostTransfers = start.transfers;
    int stockPointsChecked = 0;
    BackupChecker backups;
    int unfinishedFiles = 0;  // kills that left a staged removal or a half-made database
    int stickRestores = 0;
    // A restore may take the books back to an earlier copy: progress is the most ever seen.
    const auto progressed = [&] {
        return mostDocuments > start.documents && mostWorkOrders > start.workOrders &&
               mostListEntries > start.listEntries && mostTransfers > start.transfers;
    };
    // On a machine busy enough that the short rounds end before the child gets to every kind of
    // write, rounds of a second and more follow (killed and checked like the others) until it has.
    int longRounds = 0;
    constexpr int kMostLongRounds = 6;
    for (int round = 1; round <= kills + longRounds; ++round) {
        const quint64 childSeed = rng();
        int delay = std::uniform_int_distribution<int>(5, 300)(rng);
        if (round > kills) delay = 1000 << std::min(round - kills - 1, 4);
        QProcess child;
        child.setProgram(QCoreApplication::applicationFilePath());
        child.setArguments({QStringLiteral("--child"), folder, QString::number(childSeed)});
        child.start();
        if (!child.waitForStarted()) {
            say(QStringLiteral("cannot start the child: ") + child.errorString());
            return 1;
        }
        QThread::msleep(ulong(delay));
        if (child.state() != QProcess::Running) {
            child.waitForFinished();
            say(QStringLiteral("round %1: the child stopped by itself (exit %2): %3")
                    .arg(round)
                    .arg(child.exitCode())
                    .arg(QString::fromLocal8Bit(child.readAllStandardError())));
            dir.setAutoRemove(false);
            say(QStringLiteral("books kept in ") + folder);
            return 1;
        }
        child.kill();
        child.waitForFinished();
        if (filesLike(folder, QStringLiteral("*-journal")) > 0) ++interrupted;
        if (filesLike(folder, QStringLiteral("*.brisanje")) +
                filesLike(folder, QStringLiteral("*.nova-*")) >
            0)
            ++unfinishedFiles;
        // What the program does at its next start, in its order.
        const QString restore = finishInterruptedRestore();
        if (restore.contains(QStringLiteral("dovršeno")))
            ++restoresCompleted;
        else if (restore.contains(QStringLiteral("poništeno")))
            ++restoresUndone;
        QStringList failures;
        if (!restore.isEmpty() && !restore.contains(QStringLiteral("dovršeno")) &&
            !restore.contains(QStringLiteral("poništeno")))
            failures << QStringLiteral("restore not settled: ") + restore;
        try {
            settleInterruptedWrites();
            finishInterruptedRemovals();
            schema::ensureMasterDatabase(context().masterPath());
            failures +=
                Checker(books, now).run() + registerAgreesWithFiles(folder) + rememberedTogether();
            if (kl::test::folderSnapshot(outside) != outsideBefore)
                failures << QStringLiteral("the folder beside the program folder changed");
            failures += backups.run(round % 10 == 0, rng) + stick.run(false);
            // Now and then the parent backs up onto the stick itself (what kills left there
            // goes) and puts a copy from the stick back.
            if (round % 10 == 5 && failures.isEmpty()) {
                backUpDatabasesTo(stickFolder());
                failures += stick.run(true);
                const std::vector<BackupInfo> list = listBackupsIn(stickFolder());
                const BackupInfo& b =
                    list[std::uniform_int_distribution<size_t>(0, list.size() - 1)(rng)];
                restoreBackupFrom(b.path);
                for (const QString& name : b.files)
                    if (tableRows(QDir(folder).filePath(name)) !=
                        tableRows(QDir(b.path).filePath(name)))
                        failures << QStringLiteral("restored %1 from the stick: %2 differs")
                                        .arg(QFileInfo(b.path).fileName(), name);
                ++stickRestores;
                failures += Checker(books, now).run() + registerAgreesWithFiles(folder);
            }
            if (round % 10 == 0 && failures.isEmpty())
                failures += Checker(books, now).run() + registerAgreesWithFiles(folder);
        } catch (const DbError& e) {
            failures.append(
                QStringLiteral("database error %1: %2").arg(e.number()).arg(e.description()));
        }
        if (!failures.isEmpty()) {
            dir.setAutoRemove(false);
            say(QStringLiteral(
                    "round %1 (killed after %2 ms, child seed %3): invariants broken:\n  ")
                    .arg(round)
                    .arg(delay)
                    .arg(childSeed) +
                failures.join(QStringLiteral("\n  ")));
            say(QStringLiteral("books kept in ") + folder);
            return 1;
        }
        mostDocuments = std::max(mostDocuments, now.documents);
        mostWorkOrders = std::max(mostWorkOrders, now.workOrders);
        mostListEntries = std::max(mostListEntries, now.listEntries);
        mostTransfers = std::max(mostTransfers, now.transfers);
        stockPointsChecked += now.stockPoints;
        if (round == kills + longRounds && kills >= 10 && !progressed() &&
            longRounds < kMostLongRounds)
            ++longRounds;
        if (round % 50 == 0)
            say(QStringLiteral("  %1 kills, %2 documents, %3 work orders, %4 s")
                    .arg(round)
                    .arg(now.documents)
                    .arg(now.workOrders)
                    .arg(timer.elapsed() / 1000));
    }

    if (kills >= 10 && !progressed()) {
        say(QStringLiteral("the child made no progress: documents %1 -> %2, work orders %3 -> %4, "
                           "list entries %5 -> %6, transfers %7 -> %8")
                .arg(start.documents)
                .arg(mostDocuments)
                .arg(start.workOrders)
                .arg(mostWorkOrders)
                .arg(start.listEntries)
                .arg(mostListEntries)
                .arg(start.transfers)
                .arg(mostTransfers));
        return 1;
    }
    // A work order killed before any book's journal named its shared journal leaves that file
    // behind; the start of the program removes it.
    if (const int left = filesLike(folder, QStringLiteral("*-mj*")); left > 0) {
        say(QStringLiteral("shared journals left in the folder: %1").arg(left));
        dir.setAutoRemove(false);
        say(QStringLiteral("books kept in ") + folder);
        return 1;
    }
    say(QStringLiteral("back-ups listed and checked: %1, restores settled at start: %2 completed, "
                       "%3 undone, sample restores compared: %4; copies on the stick checked: "
                       "%5, leftovers of killed back-ups there: %7, restores from it compared: %6")
            .arg(backups.listed())
            .arg(restoresCompleted)
            .arg(restoresUndone)
            .arg(backups.sampled())
            .arg(stick.copies())
            .arg(stickRestores)
            .arg(stick.leftovers()));
    say(QStringLiteral("kills: %1 (%2 inside a transaction, %3 amid a removal or a creation), "
                       "documents: %4, work orders: %5, list entries: %6, products: %7, "
                       "transfers: %9, stock points checked: %10, %8 s, all invariants held")
            .arg(kills)
            .arg(interrupted)
            .arg(unfinishedFiles)
            .arg(now.documents)
            .arg(now.workOrders)
            .arg(now.listEntries)
            .arg(now.products)
            .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 1)
            .arg(now.transfers)
            .arg(stockPointsChecked));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--child"))
        return runChild(args[2], args[3].toULongLong());

    int kills = 100;
    quint64 seed = std::random_device{}();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--kills"))
            kills = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--seed"))
            seed = args[i + 1].toULongLong();
        else
            break;
    }
    try {
        return runParent(kills, seed);
    } catch (const DbError& e) {
        say(QStringLiteral("database error %1: %2").arg(e.number()).arg(e.description()));
        return 1;
    }
}
