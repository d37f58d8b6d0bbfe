// The stock audit: books filled by posting real documents (and issuing work orders) agree with
// the replay of their movements; stored figures changed behind posting's back are found with the
// right stored and computed values and corrected, all or nothing; the report text; the window.

#include "data/database.h"
#include "data/dberror.h"
#include "production/workorders.h"
#include "reportfixture.h"
#include "reports/frmprovjerazaliha.h"
#include "reports/stockaudit.h"
#include "warehouse/reversal.h"

#include <QScopeGuard>

#include <random>
#include <tuple>

using namespace kl;
using namespace kl::test;

namespace {

struct Stored {
    double stanje, vrijednost, proscijena;
};

Stored storedOf(const BookLocation& book, int id) {
    Database db = Database::openBook(book);
    Recordset rs = db.openRecordset(
        QStringLiteral("select stanje,vrijednost,proscijena from artikli where id=?"), {id});
    return {rs.number(QStringLiteral("stanje")), rs.number(QStringLiteral("vrijednost")),
            rs.number(QStringLiteral("proscijena"))};
}

// Every row of every table of the book, as text (to show that nothing else changed).
QStringList dump(const BookLocation& book) {
    QStringList rows;
    Database db = Database::openBook(book);
    for (const char* table : {"artikli", "ulazizlaz", "pi", "kd", "dokumenti"}) {
        Recordset rs = db.openRecordset(QStringLiteral("select * from ") + table);
        for (; !rs.eof(); rs.moveNext()) {
            QStringList cells{QString::fromLatin1(table)};
            for (int c = 0; c < rs.fieldCount(); ++c)
                cells << rs.value(c).toString();
            rows << cells.join(u'|');
        }
    }
    return rows;
}

// The first day from `from` to `to` (every `step` days) at which the replay from the stock points
// differs from the whole replay, and how; empty when none does.
QString replayMismatch(const BookLocation& book, const QDate& from, const QDate& to, int step) {
    Database db = Database::openBook(book);
    for (QDate d = from; d <= to; d = d.addDays(step)) {
        const std::vector<ReplayedStock> fast = replayStockAt(db, d), whole = replayStock(db, d);
        if (fast.size() != whole.size()) return d.toString() + QStringLiteral(": articles");
        for (size_t i = 0; i < fast.size(); ++i) {
            const ReplayedStock &a = fast[i], &b = whole[i];
            if (std::tie(a.id, a.stanje, a.vrijednost, a.proscijena, a.workOrderIssues) !=
                std::tie(b.id, b.stanje, b.vrijednost, b.proscijena, b.workOrderIssues))
                return QStringLiteral("%1: article %2: %3 %4 %5, whole %6 %7 %8")
                    .arg(d.toString())
                    .arg(b.id)
                    .arg(a.stanje, 0, 'g', 17)
                    .arg(a.vrijednost, 0, 'g', 17)
                    .arg(a.proscijena, 0, 'g', 17)
                    .arg(b.stanje, 0, 'g', 17)
                    .arg(b.vrijednost, 0, 'g', 17)
                    .arg(b.proscijena, 0, 'g', 17);
        }
    }
    return QString();
}

// The rows of a query, each its cells joined by "|".
QStringList rawRows(const BookLocation& book, const char* sql) {
    QStringList rows;
    Database db = Database::openBook(book);
    for (Recordset rs = db.openRecordset(QString::fromLatin1(sql)); !rs.eof(); rs.moveNext()) {
        QStringList cells;
        for (int c = 0; c < rs.fieldCount(); ++c)
            cells << rs.value(c).toString();
        rows << cells.join(u'|');
    }
    return rows;
}

}  // namespace

class Tst_stockaudit : public ReportTest {
    Q_OBJECT

    int a_ = 0, b_ = 0, c_ = 0, d_ = 0;
    const QString supplier_ = QStringLiteral("Dobavljač d.o.o.");
    const QString customer_ = QStringLiteral("Kupac d.o.o.");

    // A: several lines of itself in one receipt and one issue, prices with a third decimal in the
    // amount; B: stock to zero (the average stays), then received again at another price; C:
    // issued below zero (posting does not refuse it), then back to zero and above; D: no
    // movement at all.
    void fillBook() {
        addPartner(book_, QStringLiteral("d"), supplier_);
        addPartner(book_, QStringLiteral("k"), customer_);
        addDocumentType(book_, QStringLiteral("Račun"));
        a_ = addArticle(book_, "A1", "Vijak");
        b_ = addArticle(book_, "B2", "Matica");
        c_ = addArticle(book_, "C3", "Podložna pločica");
        d_ = addArticle(book_, "D4", "Čavao");
        const QString racun = QStringLiteral("Račun");
        receipt(book_, QDate(2026, 1, 5), supplier_,
                {{a_, "10,00", "2,35"},
                 {b_, "3,00", "1,11"},
                 {a_, "1,15", "0,50"},
                 {a_, "2,00", "2,333"}},
                racun);
        issue(book_, QDate(2026, 1, 6), customer_,
              {{a_, "4,33", "2,27"}, {b_, "3,00", "1,11"}, {a_, "0,01", "2,27"}});
        issue(book_, QDate(2026, 1, 7), customer_, {{c_, "2,50", "0,00"}});
        receipt(book_, QDate(2026, 1, 8), supplier_, {{b_, "7,00", "1,37"}, {c_, "2,50", "3,00"}},
                racun);
        issue(book_, QDate(2026, 1, 9), customer_, {{c_, "1,00", "1,00"}});
        receipt(book_, QDate(2026, 1, 10), supplier_, {{c_, "4,00", "1,25"}}, racun);
        issue(book_, QDate(2026, 1, 11), customer_, {{b_, "7,00", "1,37"}, {a_, "8,81", "2,27"}});
    }

    // A work order of 2 units of one unit of `article` at 2,00, issued on `day`.
    bool workOrder(int warehouse, int production, int article, const QDate& day) {
        MaterialLine line;
        line.articleId = QString::number(article);
        line.bookId = QString::number(warehouse);
        line.bookKind = kWarehouseKind;
        line.bookName = QStringLiteral("Skladište");
        line.billQuantity = 1;
        line.billPrice = 2;
        std::vector<MaterialLine> lines{line};
        applyQuantity(lines, "2,00");
        WorkOrder o;
        o.brojrn = QString::number(nextWorkOrderNumber(bookAt(kProductionKind, production)));
        o.datumotv = o.datumzatv = day;
        o.productId = QStringLiteral("1");
        o.kolicina = "2,00";
        o.costs = {materialCost(lines), "0,00", "0,00", "0,00", "0,00", "0,00"};
        return issueWorkOrder(bookAt(kProductionKind, production), o, lines)
            .refusal.bookWithoutCustomer.isEmpty();
    }

  private slots:
    void consistentBookHasNoDifferences() {
        fillBook();
        // The figures the mix leaves: A at zero with its last average, B at zero, C negative
        // then positive.
        QCOMPARE(storedOf(book_, b_).stanje, 0.0);
        QCOMPARE(storedOf(book_, b_).proscijena, 1.37);
        QCOMPARE(storedOf(book_, a_).stanje, 0.0);
        QVERIFY(auditStock(book_).empty());
        QCOMPARE(reportLines(stockAuditText("Glavno", QDate(2026, 3, 4), {})),
                 (QStringList{"PROVJERA ZALIHA", "Skladište: Glavno na dan: 04.03.2026", "",
                              "Sve zalihe odgovaraju prometu."}));
    }

    void emptyBookHasNoDifferences() { QVERIFY(auditStock(book_).empty()); }

    // The replay takes a single of at most two decimals (0,01 to 99 999,99 either way) as its own
    // rounding, its stored single and stored currency as its value: true of every one of them.
    void twoDecimalSinglesStandAsTheyAre() {
        for (qint32 m = -9999999; m <= 9999999; ++m) {
            if (m == 0) continue;
            const double exact = double(m) / 100;
            const float g = float(exact);
            if (round2Single(double(g)) != g || double(toSingle(singleTextValue(g))) != double(g) ||
                Currency::ofSingleText(g).toDouble() != exact)
                QFAIL(qPrintable(QStringLiteral("%1 hundredths").arg(m)));
        }
    }

    // Postings of every size of figure (below a hundredth's worth, around 8 192, beyond
    // 100 000, stock below zero) leave figures the replay finds again exactly.
    void randomPostingsHaveNoDifferences() {
        addPartner(book_, QStringLiteral("d"), supplier_);
        addPartner(book_, QStringLiteral("k"), customer_);
        addDocumentType(book_, QStringLiteral("Račun"));
        const std::vector<int> articles{addArticle(book_, "A1", "Vijak"),
                                        addArticle(book_, "B2", "Matica"),
                                        addArticle(book_, "C3", "Podložna pločica")};
        std::mt19937 random(20261208);
        const auto figure = [&random](int decimals, double low, double high) {
            const double v = std::uniform_real_distribution<double>(low, high)(random);
            return QString::number(v, 'f', decimals).replace(u'.', u',');
        };
        const auto quantity = [&]() {
            switch (random() % 4) {
                case 0:
                    return figure(2, 0.01, 0.99);
                case 1:
                    return figure(2, 1, 100);
                case 2:
                    return figure(2, 3000, 9000);
                default:
                    return figure(0, 1, 200000);
            }
        };
        for (int d = 0; d < 60; ++d) {
            std::vector<Line> lines;
            for (int n = 1 + int(random() % 4); n > 0; --n)
                lines.push_back({articles[random() % articles.size()], quantity(),
                                 random() % 3 ? figure(4, 0.0001, 99.9999) : figure(2, 0, 3)});
            const QDate day = QDate(2026, 1, 1).addDays(d);
            if (random() % 3)
                receipt(book_, day, supplier_, lines, QStringLiteral("Račun"));
            else
                issue(book_, day, customer_, lines);
        }
        QVERIFY(auditStock(book_).empty());
    }

    void tamperedFigureIsFound_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<double>("value");
        dataRow("stanje", QString("stanje"), 12.5);
        dataRow("stanje below a cent", QString("stanje"), 5.004);
        dataRow("vrijednost", QString("vrijednost"), 99.99);
        dataRow("proscijena", QString("proscijena"), 0.0);
    }
    void tamperedFigureIsFound() {
        QFETCH(QString, column);
        QFETCH(double, value);
        fillBook();
        const Stored right = storedOf(book_, c_);
        QVERIFY(right.stanje != 0);
        QVERIFY(executeRaw(
            book_,
            QStringLiteral("update artikli set %1=%2 where id=%3").arg(column).arg(value).arg(c_)));
        const Stored wrong = storedOf(book_, c_);

        const std::vector<StockDifference> found = auditStock(book_);
        QCOMPARE(found.size(), size_t(1));
        const StockDifference& d = found.front();
        QCOMPARE(d.articleId, QString::number(c_));
        QCOMPARE(d.sifra, QStringLiteral("C3"));
        QCOMPARE(d.naziv, QStringLiteral("Podložna pločica"));
        QCOMPARE(d.storedStanje, wrong.stanje);
        QCOMPARE(d.storedVrijednost, wrong.vrijednost);
        QCOMPARE(d.storedProscijena, wrong.proscijena);
        QCOMPARE(d.replayStanje, right.stanje);
        QCOMPARE(d.replayVrijednost, right.vrijednost);
        QCOMPARE(d.replayProscijena, right.proscijena);
        QVERIFY(!d.workOrderIssues);

        // The correction writes exactly the computed figures back, and nothing else changes.
        const QStringList before = dump(book_);
        correctStock(book_, found);
        QVERIFY(auditStock(book_).empty());
        const Stored now = storedOf(book_, c_);
        QCOMPARE(now.stanje, right.stanje);
        QCOMPARE(now.vrijednost, right.vrijednost);
        QCOMPARE(now.proscijena, right.proscijena);
        const QStringList after = dump(book_);
        QCOMPARE(after.size(), before.size());
        int changed = 0;
        for (int i = 0; i < before.size(); ++i)
            changed += before[i] != after[i];
        QCOMPARE(changed, 1);
    }

    // Several articles found, each with its own code and name, in id order.
    void severalDifferences() {
        fillBook();
        QVERIFY(executeRaw(
            book_,
            QStringLiteral("update artikli set stanje=1 where id in (%1,%2)").arg(b_).arg(d_)));
        QStringList found;
        for (const StockDifference& d : auditStock(book_))
            found << d.articleId + ' ' + d.sifra + ' ' + d.naziv;
        QCOMPARE(found, (QStringList{QString::number(b_) + " B2 Matica",
                                     QString::number(d_) + QStringLiteral(" D4 Čavao")}));
    }

    void correctionIsAllOrNothing() {
        fillBook();
        QVERIFY(
            executeRaw(book_, QStringLiteral("update artikli set stanje=1 where id=%1").arg(a_)));
        QVERIFY(
            executeRaw(book_, QStringLiteral("update artikli set stanje=2 where id=%1").arg(b_)));
        const std::vector<StockDifference> found = auditStock(book_);
        QCOMPARE(found.size(), size_t(2));
        // B changes after the audit: the correction of both is refused.
        QVERIFY(
            executeRaw(book_, QStringLiteral("update artikli set stanje=3 where id=%1").arg(b_)));
        const QStringList before = dump(book_);
        QVERIFY_THROWS_EXCEPTION(DbError, correctStock(book_, found));
        QCOMPARE(dump(book_), before);
    }

    // Issues of work orders keep the average price and take quantity x price as currency.
    void workOrderIssues() {
        fillBook();
        const int company = addCompany(QStringLiteral("Beta"));
        const int warehouse = addBook(company, QStringLiteral("Skladište"), kWarehouseKind);
        const int production = addBook(company, QStringLiteral("Pogon"), kProductionKind);
        const BookLocation book = bookAt(kWarehouseKind, warehouse);
        addPartner(book, QStringLiteral("d"), supplier_);
        addPartner(book, QStringLiteral("k"), customer_);
        addDocumentType(book, QStringLiteral("Račun"));
        const int daska = addArticle(book, "D1", "Daska");
        const int ljepilo = addArticle(book, "L1", "Ljepilo");
        receipt(book, QDate(2026, 2, 1), supplier_, {{daska, "10,00", "2,00"}}, "Račun");
        receipt(book, QDate(2026, 2, 1), supplier_,
                {{daska, "5,00", "2,37"}, {ljepilo, "3,00", "1,00"}}, "Račun");
        auto issueOrder = [&](const QString& units, double quantity, double price) {
            MaterialLine line;
            line.articleId = QString::number(daska);
            line.bookId = QString::number(warehouse);
            line.bookKind = kWarehouseKind;
            line.bookName = QStringLiteral("Skladište");
            line.billQuantity = quantity;
            line.billPrice = price;
            std::vector<MaterialLine> lines{line};
            applyQuantity(lines, units);
            WorkOrder o;
            o.brojrn = QString::number(nextWorkOrderNumber(bookAt(kProductionKind, production)));
            o.datumotv = o.datumzatv = QDate(2026, 2, 2);
            o.productId = QStringLiteral("1");
            o.kolicina = units;
            o.costs = {materialCost(lines), "0,00", "0,00", "0,00", "0,00", "0,00"};
            QVERIFY(issueWorkOrder(bookAt(kProductionKind, production), o, lines)
                        .refusal.bookWithoutCustomer.isEmpty());
        };
        issueOrder("2,00", 1.5, 2.125);  // 3 out at 2,125: value less 6,375 as currency
        issue(book, QDate(2026, 2, 3), customer_, {{daska, "1,00", "2,12"}});
        issueOrder("1,00", 0.25, 2.12);
        const Stored daskaNow = storedOf(book, daska);
        QCOMPARE(daskaNow.stanje, 10.75);
        QVERIFY(auditStock(book).empty());

        // A work order whose quantity has a third decimal stores it rounded: the replay can only
        // take the rounded one, and the difference is marked.
        issueOrder("1,50", 0.33, 2.0);
        const std::vector<StockDifference> found = auditStock(book);
        QCOMPARE(found.size(), size_t(1));
        QVERIFY(found.front().workOrderIssues);
        QVERIFY(stockAuditText("Skladište", QDate(2026, 3, 4), found).contains("Daska *"));
        QVERIFY(auditStock(book_).empty());
    }

    // A receipt, an issue, a work order issue, a second receipt and its reversal on five days:
    // the figures at the end of each day, worked out by hand.
    void stockAtDate_data() {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<double>("stanje");
        QTest::addColumn<double>("vrijednost");
        QTest::addColumn<double>("proscijena");
        QTest::addColumn<int>("cardLines");
        QTest::newRow("before") << QDate(2026, 2, 28) << 0.0 << 0.0 << 0.0 << 0;
        QTest::newRow("receipt 10 x 2") << QDate(2026, 3, 1) << 10.0 << 20.0 << 2.0 << 1;
        QTest::newRow("issue 4") << QDate(2026, 3, 2) << 6.0 << 12.0 << 2.0 << 2;
        QTest::newRow("work order 2 x 2") << QDate(2026, 3, 3) << 4.0 << 8.0 << 2.0 << 3;
        QTest::newRow("receipt 6 x 3") << QDate(2026, 3, 4) << 10.0 << 26.0 << 2.6 << 4;
        QTest::newRow("its reversal") << QDate(2026, 3, 5) << 4.0 << 8.0 << 2.0 << 5;
    }
    void stockAtDate() {
        const int company = addCompany(QStringLiteral("Beta"));
        const int warehouse = addBook(company, QStringLiteral("Skladište"), kWarehouseKind);
        const int production = addBook(company, QStringLiteral("Pogon"), kProductionKind);
        const BookLocation book = bookAt(kWarehouseKind, warehouse);
        addPartner(book, QStringLiteral("d"), supplier_);
        addPartner(book, QStringLiteral("k"), customer_);
        addDocumentType(book, QStringLiteral("Račun"));
        const int daska = addArticle(book, "D1", "Daska");
        const int other = addArticle(book, "L1", "Ljepilo");
        receipt(book, QDate(2026, 3, 1), supplier_, {{daska, "10,00", "2,00"}}, "Račun");
        issue(book, QDate(2026, 3, 2), customer_, {{daska, "4,00", "2,00"}});
        QVERIFY(workOrder(warehouse, production, daska, QDate(2026, 3, 3)));
        const int second =
            receipt(book, QDate(2026, 3, 4), supplier_, {{daska, "6,00", "3,00"}}, "Račun");
        QVERIFY(reverseDocument(book, DocumentKind::Receipt, second, QDate(2026, 3, 5))
                    .refusal.isEmpty());

        QFETCH(QDate, day);
        QFETCH(double, stanje);
        QFETCH(double, vrijednost);
        QFETCH(double, proscijena);
        QFETCH(int, cardLines);
        Database db = Database::openBook(book);
        std::vector<StockArticle> at = stockArticlesAt(db, ArticleGroup::All, day);
        QCOMPARE(at.size(), size_t(2));
        const StockArticle& d = at.front().id == daska ? at.front() : at.back();
        QCOMPARE(double(d.stanje), stanje);
        QCOMPARE(d.vrijednost.toDouble(), vrijednost);
        QCOMPARE(d.proscijena.toDouble(), proscijena);
        QCOMPARE(int(readCardLinesAt(db, daska, day).size()), cardLines);
        // The zero-stock group at that day: the article that never moved, and the board when it is
        // out.
        const size_t zero = stockArticlesAt(db, ArticleGroup::ZeroStock, day).size();
        QCOMPARE(zero, d.stanje == 0 ? size_t(2) : size_t(1));
        Q_UNUSED(other);
        // Replayed to the last day, the figures are the stored ones.
        if (day == QDate(2026, 3, 5)) {
            const Stored now = storedOf(book, daska);
            QCOMPARE(now.stanje, 4.0);
            QCOMPARE(now.vrijednost, 8.0);
            QVERIFY(auditStock(book).empty());
        }
    }

    // The replay at a day from the stock points is the whole replay, figure for figure, at every
    // day of a generated book of three years: as the points are made day by day; after documents
    // back-dated into them are posted; after each change behind posting's back that makes them
    // stale (a line or a header gone, the work order customer renamed, an article made that an
    // early line names).
    void stockPointsGiveTheReplay() {
        const qint64 was = kl::testing::stockPointLines;
        kl::testing::stockPointLines = 1;
        const auto restore = qScopeGuard([was] { kl::testing::stockPointLines = was; });
        const int company = addCompany(QStringLiteral("Gama"));
        const int warehouse = addBook(company, QStringLiteral("Skladište"), kWarehouseKind);
        const int production = addBook(company, QStringLiteral("Pogon"), kProductionKind);
        const BookLocation book = bookAt(kWarehouseKind, warehouse);
        addPartner(book, QStringLiteral("d"), supplier_);
        addPartner(book, QStringLiteral("k"), customer_);
        addDocumentType(book, QStringLiteral("Račun"));
        std::vector<int> ids;
        for (int i = 0; i < 5; ++i)
            ids.push_back(
                addArticle(book, QStringLiteral("G%1").arg(i), QStringLiteral("R%1").arg(i)));
        const QStringList quantities{"0,10", "1,33", "2,70", "0,07", "5,00"};
        const QStringList prices{"1,11", "2,347", "0,33", "7,00"};
        std::minstd_rand rng(24);
        const auto someLines = [&] {
            std::vector<Line> lines;
            for (int k = int(rng() % 3); k >= 0; --k)
                lines.push_back(
                    {ids[rng() % ids.size()], quantities[int(rng() % 5)], prices[int(rng() % 4)]});
            return lines;
        };
        int reversed = 0;
        QDate day(2024, 10, 1);
        for (int n = 0; n < 70; ++n, day = day.addDays(9)) {
            if (n % 4 < 2) {
                const int number = receipt(book, day, supplier_, someLines(), "Račun");
                if (n % 10 == 1)
                    reversed +=
                        reverseDocument(book, DocumentKind::Receipt, number, day).refusal.isEmpty();
            } else {
                // Every other issue goes to "Proizvodnja": replayed as a work order's.
                issue(book, day, n % 4 == 2 ? customer_ : QStringLiteral("Proizvodnja"),
                      someLines());
            }
            if (n == 0)  // a line of an article that is not (yet) in the book
                QVERIFY(executeRaw(book,
                                   "insert into ulazizlaz(idartikla,idpi,idkd,kolicina,"
                                   "cijena) values('99',1,2,3,2)"));
            if (n == 40) QVERIFY(workOrder(warehouse, production, ids[1], day));
        }
        QVERIFY(reversed > 0);
        const QDate first(2024, 9, 29), last = day.addDays(3);
        QCOMPARE(replayMismatch(book, first, last, 1), QString());
        const QStringList points = rawRows(book, "select id from kl_tockezaliha order by granica");
        QVERIFY(points.size() >= 2);

        // Back-dated into every point, and after the last line: the points stay and still agree.
        receipt(book, QDate(2024, 12, 2), supplier_, {{ids[0], "3,33", "1,01"}}, "Račun");
        issue(book, QDate(2025, 1, 2), customer_,
              {{ids[0], "1,10", "1,00"}, {ids[2], "0,10", "1,00"}});
        issue(book, last, customer_, {{ids[3], "0,70", "2,00"}});
        QCOMPARE(replayMismatch(book, first, last, 1), QString());
        QVERIFY(rawRows(book, "select id from kl_tockezaliha").contains(points.first()));

        // The points are what the replay starts from: a line below them changed in place behind
        // posting's back (which never changes a posted line) is not seen from them.
        QVERIFY(executeRaw(book, "update ulazizlaz set kolicina=kolicina+1 where id=1"));
        QVERIFY(!replayMismatch(book, last, last, 1).isEmpty());
        QVERIFY(executeRaw(book, "delete from kl_tockezalihastavke"));
        QVERIFY(executeRaw(book, "delete from kl_tockezaliha"));
        QCOMPARE(replayMismatch(book, first, last, 3), QString());

        for (const char* change :
             {"update kl_tockezalihastavke set stavke='x'", "delete from ulazizlaz where id=5",
              "delete from pi where id=3", "update kd set ime='Pogon' where ime='Proizvodnja'",
              "insert into artikli(id,sifra,naziv,minkolicina,stanje,vrijednost,proscijena) "
              "values(99,'X9','Novi',0,0,0,0)"}) {
            const QStringList before = rawRows(book, "select id from kl_tockezaliha");
            QVERIFY(executeRaw(book, change));
            QCOMPARE(replayMismatch(book, last, last, 1), QString());
            QVERIFY2(!rawRows(book, "select id from kl_tockezaliha").contains(before.last()),
                     change);
            QCOMPARE(replayMismatch(book, first, last, 7), QString());
        }
    }

    void reportText() {
        StockDifference d;
        d.articleId = "7";
        d.sifra = "A1";
        d.naziv = "Vijak";
        d.storedStanje = 12.5;
        d.storedVrijednost = 25.0;
        d.storedProscijena = 2.0;
        d.replayStanje = 10.0;
        d.replayVrijednost = 25.004;
        d.replayProscijena = 2.0;
        StockDifference w = d;
        w.sifra = "W2";
        w.naziv = "Daska";
        w.workOrderIssues = true;
        w.replayVrijednost = 25.0;
        w.storedProscijena = 2.5;
        QCOMPARE(reportLines(stockAuditText("Glavno", QDate(2026, 3, 4), {d, w})),
                 (QStringList{
                     "PROVJERA ZALIHA",
                     "Skladište: Glavno na dan: 04.03.2026",
                     "",
                     "Šifra      Naziv                                      Stanje   Vrijednost "
                     "Pr.cijena",
                     "           (zapisano / prema prometu)",
                     QString(83, '_'),
                     "A1         Vijak                                       12,50           25    "
                     "  2,00",
                     "           prema prometu:                              10,00       25,004    "
                     "  2,00",
                     QString(83, '-'),
                     "W2         Daska *                                     12,50        25,00    "
                     "  2,50",
                     "           prema prometu:                              10,00        25,00    "
                     "  2,00",
                     QString(83, '-'),
                     "Artikala s razlikom: 2",
                     "* izdavano kupcu Proizvodnja: izdatnica unesena rukom ili radni nalog s",
                     "  količinom od više od dvije decimale mogu dati razliku koja nije greška.",
                 }));
    }

    void windowShowsAndCorrects_data() {
        QTest::addColumn<int>("answer");
        dataRow("yes", int(MsgResult::Yes));
        dataRow("no", int(MsgResult::No));
    }
    void windowShowsAndCorrects() {
        QFETCH(int, answer);
        fillBook();
        QVERIFY(executeRaw(book_,
                           QStringLiteral("update artikli set vrijednost=1 where id=%1").arg(a_)));
        QVERIFY(executeRaw(book_,
                           QStringLiteral("update artikli set proscijena=9 where id=%1").arg(d_)));
        auto* w = windows().window<frmProvjeraZaliha>(win::ProvjeraZaliha);
        QVERIFY(w);
        w->setBook(book_, QStringLiteral("Glavno"));
        QVERIFY(shown(w));
        QCOMPARE(w->caption(), QStringLiteral("Provjera zaliha - Glavno"));
        const std::vector<StockDifference> found = auditStock(book_);
        QCOMPARE(found.size(), size_t(2));
        QCOMPARE(w->reportText(), stockAuditText("Glavno", QDate::currentDate(), found));
        QVERIFY(button(w, "cmdispravi")->isEnabled());
        QCOMPARE(box_->count(), 0);

        const QStringList before = dump(book_);
        box_->answer(answer);
        click(w, "cmdispravi");
        QCOMPARE(box_->shown().first().prompt,
                 QStringLiteral("Ispraviti zapisane zalihe prema prometu? Izmijenit će se 2 "
                                "artikala."));
        QCOMPARE(box_->shown().first().style, MsgStyle::YesNo | MsgStyle::Question);
        if (answer == MsgResult::No) {
            QCOMPARE(box_->count(), 1);
            QCOMPARE(dump(book_), before);
            QVERIFY(button(w, "cmdispravi")->isEnabled());
            return;
        }
        QCOMPARE(box_->count(), 2);
        QCOMPARE(box_->last().prompt, QStringLiteral("Zalihe su ispravljene."));
        QVERIFY(auditStock(book_).empty());
        QVERIFY(w->reportText().contains("Sve zalihe odgovaraju prometu."));
        QVERIFY(!button(w, "cmdispravi")->isEnabled());

        box_->answer(MsgResult::Yes);
        click(w, "cmdispisart");
        QCOMPARE(printed_.size(), 1);
        const QString page = pdfPageTexts(printed_.first()).value(0).simplified();
        QVERIFY2(page.startsWith("PROVJERA ZALIHA Skladište: Glavno"), qPrintable(page));
        click(w, "cmdizlaz");
        QVERIFY(!windows().isLoaded(win::ProvjeraZaliha));
    }

    void windowShowsDatabaseError() {
        QVERIFY_THROWS_EXCEPTION(DbError, auditStock(folder_->path() + "/Skladiste99.mdb"));
        auto* w = new frmProvjeraZaliha(folder_->path() + QStringLiteral("/Skladiste99.mdb"),
                                        QStringLiteral("Nema"));
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
        QCOMPARE(box_->count(), 1);
        QCOMPARE(box_->last().style, MsgStyle::OkOnly);
        QVERIFY(!box_->last().prompt.isEmpty());
        QCOMPARE(w->reportText(), QString());
        QVERIFY(!button(w, "cmdispravi")->isEnabled());
        QVERIFY(!QFile::exists(w->book().filePath()));
        w->close();
    }
};

QTEST_MAIN(Tst_stockaudit)
#include "tst_stockaudit.moc"
