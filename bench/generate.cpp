#include "generate.h"

#include "data/appcontext.h"
#include "data/database.h"
#include "data/schema.h"
#include "production/products.h"
#include "shell/books.h"
#include "shell/companies.h"
#include "warehouse/documents.h"
#include "warehouse/masterdata.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHash>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace bench {

Scale Scale::small() {
    Scale s;
    s.articles = 300;
    s.partners = 30;
    s.documents = 400;
    s.lines = 1600;
    s.hotArticleLines = 100;
    s.products = 10;
    s.sideArticles = 60;
    s.years = 2;
    s.runs = 1;
    return s;
}

namespace {

using kl::DocumentKind;

QString money(double v) {
    return QString::number(v, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
}

void progress(const char* what, const QElapsedTimer& clock) {
    std::fprintf(stderr, "  %-46s %7.1f s\n", what, double(clock.elapsed()) / 1000.0);
}

const QStringList kWords = {
    QStringLiteral("Vijak"),    QStringLiteral("Matica"),   QStringLiteral("Podloška"),
    QStringLiteral("Kabel"),    QStringLiteral("Žica"),     QStringLiteral("Cijev"),
    QStringLiteral("Ploča"),    QStringLiteral("Šarka"),    QStringLiteral("Ljepilo"),
    QStringLiteral("Boja"),     QStringLiteral("Čavao"),    QStringLiteral("Brtva"),
    QStringLiteral("Ležaj"),    QStringLiteral("Opruga"),   QStringLiteral("Zakovica"),
    QStringLiteral("Đubrivo"),  QStringLiteral("Remen"),    QStringLiteral("Filter"),
    QStringLiteral("Osigurač"), QStringLiteral("Prekidač"),
};

struct Article {
    QString id, sifra, naziv;
    double price = 0;
};

// Articles of a book: code `prefix` + number, a name from the word list, a base price.
std::vector<Article> makeArticles(const QString& path, const QString& prefix, int count,
                                  std::mt19937& rng) {
    QList<kl::ArticleEntry> entries;
    entries.reserve(count);
    for (int i = 1; i <= count; ++i) {
        const QString number = QString::number(i).rightJustified(5, QLatin1Char('0'));
        entries.append({prefix + number, QStringLiteral("385") + QString::number(1000000000 + i),
                        kWords[int(rng() % kWords.size())] + QStringLiteral(" ") + prefix +
                            QStringLiteral("-") + number,
                        QStringLiteral("kom"), money(double(rng() % 20))});
    }
    kl::insertArticles(path, entries);
    QHash<QString, QString> idOf;
    for (const kl::ArticleChoice& c : kl::loadArticleChoices(path))
        idOf.insert(c.sifra, c.id);
    std::vector<Article> articles;
    articles.reserve(size_t(count));
    for (const kl::ArticleEntry& e : entries)
        articles.push_back(
            {idOf.value(e.sifra), e.sifra, e.naziv, 0.5 + double(rng() % 20000) / 100});
    return articles;
}

QString book(const QString& companyId, const QString& name, const QString& kind) {
    const QString id = kl::insertBook(companyId, name, kind, QStringLiteral("Ilica 1, Zagreb"));
    const QString file = kl::bookFileName(kind, id);
    kl::schema::ensureBookDatabase(kl::context().bookPath(file), kind);
    return file;
}

kl::DocumentLine lineOf(const Article& a, double quantity, double price) {
    return {a.sifra, a.naziv, money(quantity), money(price), money(quantity * price), a.id};
}

// A book that supplies materials: its articles, a supplier, the customer "Proizvodnja" and one
// receipt that stocks every article.
std::vector<Article> fillSideBook(const QString& path, int index, int count, std::mt19937& rng) {
    const QString prefix = QStringLiteral("S%1").arg(index);
    std::vector<Article> articles = makeArticles(path, prefix, count, rng);
    kl::insertPartners(path, {{QStringLiteral("d"), QStringLiteral("Dobavljač materijala"),
                               QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("Zagreb"),
                               QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-")},
                              {QStringLiteral("k"), QStringLiteral("Proizvodnja"),
                               QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("Zagreb"),
                               QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-")}});
    kl::insertDocumentType(path, QStringLiteral("Račun"));
    std::vector<kl::DocumentLine> lines;
    for (const Article& a : articles)
        lines.push_back(lineOf(a, 100000, a.price));
    kl::postDocument(path,
                     {DocumentKind::Receipt, QStringLiteral("1"), QDate(2020, 1, 2),
                      QStringLiteral("Dobavljač materijala"), QStringLiteral("Račun"),
                      QStringLiteral("R-1"), QDate(2020, 1, 2)},
                     lines);
    return articles;
}

}  // namespace

Company generate(const QString& folder, const Scale& scale) {
    QElapsedTimer clock;
    clock.start();
    std::mt19937 rng(20261206);
    QDir().mkpath(folder);
    kl::AppContext& ctx = kl::context();
    ctx.reset();
    ctx.programFolder = folder;
    Company company;
    company.folder = folder;

    kl::schema::ensureMasterDatabase(ctx.masterPath());
    company.companyId = kl::insertCompany(
        {QStringLiteral("Lumen d.o.o."), QStringLiteral("1234567"), QStringLiteral("4711"),
         QStringLiteral("T"), QStringLiteral("2360000-1101234567"), QStringLiteral("10000"),
         QStringLiteral("Zagreb"), QStringLiteral("Ilica 1"), QStringLiteral("01 2345 678"),
         QStringLiteral("Ana Horvat")});
    ctx.currentCompanyId = company.companyId.toDouble();

    // ---- The large warehouse book ----
    company.mainBookFile =
        book(company.companyId, QStringLiteral("Veleprodaja"), kl::kWarehouseKind);
    company.mainBookPath = ctx.bookPath(company.mainBookFile);
    const QString& path = company.mainBookPath;
    std::vector<Article> articles = makeArticles(path, QStringLiteral("A"), scale.articles, rng);
    company.mainArticles = scale.articles;
    progress("articles", clock);

    QList<kl::PartnerFields> partners;
    QStringList suppliers, customers;
    for (int i = 1; i <= scale.partners; ++i) {
        const bool supplier = i % 2 == 1;
        const QString name = (supplier ? QStringLiteral("Dobavljač ") : QStringLiteral("Kupac ")) +
                             QString::number(i).rightJustified(4, QLatin1Char('0'));
        (supplier ? suppliers : customers).append(name);
        partners.append({supplier ? QStringLiteral("d") : QStringLiteral("k"), name,
                         QString::number(1000000 + i),
                         QStringLiteral("2360000-") + QString::number(i), QStringLiteral("Zagreb"),
                         QStringLiteral("Ulica %1").arg(i), QStringLiteral("01 555 %1").arg(i),
                         QStringLiteral("-")});
    }
    partners.append({QStringLiteral("k"), QStringLiteral("Proizvodnja"), QStringLiteral("-"),
                     QStringLiteral("-"), QStringLiteral("Zagreb"), QStringLiteral("-"),
                     QStringLiteral("-"), QStringLiteral("-")});
    kl::insertPartners(path, partners);
    const QStringList types = {QStringLiteral("Račun"), QStringLiteral("Otpremnica"),
                               QStringLiteral("Ulazni račun R1")};
    for (const QString& t : types)
        kl::insertDocumentType(path, t);
    company.supplier = suppliers.first();
    company.customer = customers.first();
    company.documentType = types.first();
    progress("partners and document types", clock);

    // Lines per document: one each, the big receipt its own count, the rest spread at random
    // (at most ten a document) so the total is exact.
    const int bigIndex = scale.documents / 2;
    std::vector<int> count(size_t(scale.documents), 1);
    count[size_t(bigIndex)] = scale.bigDocumentLines;
    int spare = scale.lines - (scale.documents - 1) - scale.bigDocumentLines;
    while (spare > 0) {
        const size_t d = rng() % count.size();
        if (int(d) == bigIndex || count[d] >= 10) continue;
        ++count[d];
        --spare;
    }
    // Which of all lines belong to the article with the longest card.
    const Article& hot = articles[size_t(scale.articles / 3)];
    company.hotArticleName = hot.naziv;
    company.hotArticleCode = hot.sifra;
    company.hotArticleId = hot.id;

    const QDate first(2026 - scale.years + 1, 1, 2);
    const qint64 days = first.daysTo(QDate(2026, 12, 4));
    company.lastYearFrom = QDate(2025, 1, 1);
    company.lastYearTo = QDate(2025, 12, 31);
    company.firstYearFrom = QDate(first.year(), 1, 1);

    {
        kl::Database db = kl::Database::open(path);
        int receipts = 0, issues = 0, posted = 0;
        std::unique_ptr<kl::Transaction> batch;
        for (int d = 0; d < scale.documents; ++d) {
            if (!batch) batch = std::make_unique<kl::Transaction>(db);
            const bool receipt = d == bigIndex || rng() % 100 < 55;
            const QDate date = first.addDays(qint64(d) * days / scale.documents);
            kl::DocumentHeader header;
            header.kind = receipt ? DocumentKind::Receipt : DocumentKind::Issue;
            header.broj = QString::number(receipt ? ++receipts : ++issues);
            header.datum = date;
            if (receipt) {
                header.partner = suppliers[int(rng() % suppliers.size())];
                header.documentType = types[int(rng() % types.size())];
                header.brojdok = QStringLiteral("R-%1/%2").arg(receipts).arg(date.year());
                header.datumdok = date.addDays(-qint64(rng() % 5));
            } else {
                header.partner = customers[int(rng() % customers.size())];
            }
            std::vector<kl::DocumentLine> lines;
            for (int l = 0; l < count[size_t(d)]; ++l) {
                const bool isHot = rng() % uint32_t(scale.lines) < uint32_t(scale.hotArticleLines);
                const Article& a = isHot ? hot : articles[rng() % articles.size()];
                if (&a == &hot) ++company.hotArticleLines;
                const double quantity = receipt ? double(1 + rng() % 200) : double(1 + rng() % 20);
                const double price =
                    receipt ? a.price * (0.9 + double(rng() % 21) / 100.0) : a.price;
                lines.push_back(lineOf(a, quantity, std::round(price * 100) / 100));
            }
            if (d == bigIndex) company.bigReceiptNumber = header.broj;
            kl::postDocument(db, header, lines);
            posted += int(lines.size());
            if (d % 1000 == 999 || d == scale.documents - 1) {
                batch->commit();
                batch.reset();
            }
        }
        company.mainLines = posted;
        company.mainDocuments = scale.documents;
    }
    progress("documents posted", clock);

    // ---- The books that supply materials, and production ----
    struct SupplyBook {
        QString id, name;
        std::vector<Article> articles;
    };
    std::vector<SupplyBook> supply;
    supply.push_back({QString(), QStringLiteral("Veleprodaja"), {}});
    // The large book supplies from its articles too (the first side-book-sized slice).
    supply.back().articles.assign(
        articles.begin(),
        articles.begin() + std::min<size_t>(articles.size(), size_t(scale.sideArticles)));
    for (int i = 1; i <= scale.sideBooks; ++i) {
        const QString name = QStringLiteral("Repromaterijal %1").arg(i);
        const QString file = book(company.companyId, name, kl::kWarehouseKind);
        company.sideBookPaths.append(ctx.bookPath(file));
        supply.push_back(
            {QString(), name, fillSideBook(ctx.bookPath(file), i, scale.sideArticles, rng)});
    }
    for (const kl::WarehouseBook& b : kl::companyWarehouseBooks(company.companyId))
        for (SupplyBook& s : supply)
            if (s.name == b.name) s.id = b.id;
    progress("supplying warehouse books", clock);

    company.productionBookFile =
        book(company.companyId, QStringLiteral("Pogon"), kl::kProductionKind);
    company.productionBookPath = ctx.bookPath(company.productionBookFile);
    for (int p = 0; p < scale.products; ++p) {
        const QString number = QString::number(p + 1).rightJustified(4, QLatin1Char('0'));
        kl::ProductHeader header{QStringLiteral("P") + number, QStringLiteral("Proizvod ") + number,
                                 QString(), QStringLiteral("kom")};
        std::vector<kl::BillLine> bill;
        // The first product takes ten articles of each book; the others 5 to 50 at random.
        const int lines =
            p == 0 ? scale.maxBill
                   : scale.minBill + int(rng() % uint32_t(scale.maxBill - scale.minBill + 1));
        for (int l = 0; l < lines; ++l) {
            const SupplyBook& s =
                supply[p == 0 ? size_t(l % supply.size()) : rng() % supply.size()];
            const Article& a =
                s.articles[p == 0 ? size_t(l / supply.size()) : rng() % s.articles.size()];
            const double quantity = double(1 + rng() % 5);
            bool twice = false;
            for (const kl::BillLine& b : bill)
                twice = twice || (b.bookId == s.id && b.articleId == a.id);
            if (twice) continue;  // the same article of one book is on a bill once
            bill.push_back({s.name, a.sifra, a.naziv, money(quantity), money(a.price),
                            money(quantity * a.price), a.id, s.id, QStringLiteral("0")});
        }
        kl::storeProduct(company.productionBookPath, header, bill);
        if (p == 0) company.bigProductName = header.naziv;
    }
    progress("production book", clock);
    return company;
}

}  // namespace bench
