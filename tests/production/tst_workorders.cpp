// Work orders on real books (files, or schemas on the server): the materials of a product, their
// cost for a number of units, issuing into several warehouse books at once, changing and
// printing.

#include "productionfixture.h"

#include <QTest>

using namespace kl;
using namespace kl::test;

namespace {

// Every row of the tables of a book, as text, to compare a book before and after.
QStringList dump(const BookLocation& book, const QStringList& tables) {
    Database db = Database::openBook(book);
    QStringList rows;
    for (const QString& table : tables) {
        for (Recordset rs =
                 db.openRecordset(QStringLiteral("select * from ") + table + " order by id");
             !rs.eof(); rs.moveNext()) {
            QStringList cells{table};
            for (int c = 0; c < rs.fieldCount(); ++c)
                cells.append(rs.text(rs.fieldName(c)));
            rows.append(cells.join(u'|'));
        }
    }
    return rows;
}

const QStringList kWarehouseTables{"artikli", "pi", "ulazizlaz", "kd"};
const QStringList kProductionTables{"proizvodi", "sastojci", "radninalozi", "troskovi"};

}  // namespace

class WorkOrdersTest : public ProductionTest {
    Q_OBJECT

    int kabel_ = 0, zica_ = 0, vijak_ = 0;

    // Three articles: Kabel and Žica in "Glavno", Vijak in "Pomoćno"; a product "Ormar" made of
    // 4 Kabel at 1,20, 0,5 Žica at 3,00 and 2 Vijak at 0,10 (bill prices, not the articles'
    // average prices).
    QString storeOrmar() {
        kabel_ = addArticle(books_.glavnoBook, "K1", "Kabel", 100, 125, 1.25);
        zica_ = addArticle(books_.glavnoBook, "Z1", "Žica", 10, 30, 3);
        vijak_ = addArticle(books_.pomocnoBook, "V1", "Vijak", 50, 5, 0.1);
        return storeProduct(
            books_.productionBook, {"ORM", "Ormar", "", "kom"},
            {billLine("Glavno", books_.glavno, kabel_, "K1", "Kabel", "4,00", "1,20"),
             billLine("Pomoćno", books_.pomocno, vijak_, "V1", "Vijak", "2,00", "0,10"),
             billLine("Glavno", books_.glavno, zica_, "Z1", "Žica", "0,50", "3,00")});
    }

    WorkOrder orderFor(const ProductMaterials& m, const QString& units) {
        WorkOrder o;
        o.brojrn = QString::number(nextWorkOrderNumber(books_.productionBook));
        o.datumotv = QDate(2026, 12, 1);
        o.datumzatv = QDate(2026, 12, 9);
        o.productId = m.productId;
        o.kolicina = units;
        o.costs = {materialCost(m.lines), "10,00", "0,00", "0,00", "0,00", "1,50"};
        return o;
    }

    // The materials of "Ormar" for `units` units.
    ProductMaterials ormarFor(const QString& units) {
        auto m = loadMaterials(books_.productionBook, "Ormar");
        applyQuantity(m->lines, units);
        return *m;
    }
    IssueResult issueOrmar(const QString& units) {
        const ProductMaterials m = ormarFor(units);
        return issueWorkOrder(books_.productionBook, orderFor(m, units), m.lines);
    }

  private slots:
    void materialsOfOneUnit() {
        storeOrmar();
        postIssue(books_.pomocnoBook, QString::number(vijak_), "1,00", "0,10");
        const auto m = loadMaterials(books_.productionBook, "Ormar");
        QStringList shown;
        for (const MaterialLine& l : m->lines)
            shown.append(QStringList{l.bookName, QString::number(l.issueNumber), l.articleName,
                                     l.needed, l.amount, l.stock}
                             .join(u'|'));
        // Both lines of "Glavno" carry the number of its one issue note; "Pomoćno" already has
        // an issue entered by hand.
        QCOMPARE(shown,
                 QStringList({"Glavno|1|Kabel|4,00|4,80|100,00", "Pomoćno|2|Vijak|2,00|0,20|49,00",
                              "Glavno|1|Žica|0,50|1,50|10,00"}));
        QCOMPARE(materialCost(m->lines), "6,50");
        QVERIFY(!loadMaterials(books_.productionBook, "Stol"));
    }

    // Needed quantity and amount of each line, then the material cost and the cost per unit.
    void costForUnits_data() {
        QTest::addColumn<QString>("units");
        QTest::addColumn<QStringList>("expected");
        dataRow("2,50", "2,50",
                QStringList{"10,00|12,00", "5,00|0,50", "1,25|3,75", "16,25", "6,50"});
        dataRow("1,33", "1,33", QStringList{"5,32|6,38", "2,66|0,27", "0,67|2,01", "8,66", "6,51"});
        dataRow("unformatted 3", "3",
                QStringList{"12,00|14,40", "6,00|0,60", "1,50|4,50", "19,50", "6,50"});
    }
    void costForUnits() {
        QFETCH(QString, units);
        QFETCH(QStringList, expected);
        storeOrmar();
        const ProductMaterials m = ormarFor(units);
        QStringList shown;
        for (const MaterialLine& l : m.lines)
            shown.append(l.needed + '|' + l.amount);
        shown << materialCost(m.lines) << costPerUnit(materialCost(m.lines), units).value_or("-");
        QCOMPARE(shown, expected);
    }

    // Labour, services and other costs enter the total but not the cost per unit.
    void totalsAndCostPerUnit() {
        QCOMPARE(totalCost({"16,25", "10,00", "2,25", "0,00", "1,00", "0,50"}), "30,00");
        QCOMPARE(costPerUnit("16,25", "0,00"), std::nullopt);
        QCOMPARE(costPerUnit("16,25", ""), std::nullopt);
    }

    // Need and stock are compared in whole hundredths: 0,29 against 0,28 is short by 0,01,
    // although 0,29 x 100 falls just below 29 in binary.
    void shortagesInHundredths_data() {
        QTest::addColumn<QString>("needed");
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QStringList>("expected");
        dataRow("one hundredth short", "0,29", "0,28",
                QStringList{"Glavno: (Lim) Nedostaje: 0,01"});
        dataRow("equal", "0,29", "0,29", QStringList{});
        dataRow("more in stock", "1,10", "2,00", QStringList{});
    }
    void shortagesInHundredths() {
        QFETCH(QString, needed);
        QFETCH(QString, stock);
        QFETCH(QStringList, expected);
        MaterialLine line;
        line.bookName = "Glavno";
        line.articleName = "Lim";
        line.needed = needed;
        line.stock = stock;
        QCOMPARE(shortages({line}), expected);
    }

    // Three lines from two books: two issue notes, three movement lines, three cost rows with the
    // issue numbers shared within a book (and a long book name cut to 20); stock and value fall
    // at the bill price.
    void issueIntoTwoBooks() {
        const QString product = storeOrmar();
        Database::openBook(context().companyRegister())
            .execute("update otvoreneknjige set nazivknjige=? where id=?",
                     {"Skladište repromaterijala", books_.glavno});
        QCOMPARE(issueOrmar("2,50").workOrderId, "1");

        QCOMPARE(dump(books_.glavnoBook, {"pi"}), QStringList{"pi|1|I|1|01.12.2026||||1"});
        QCOMPARE(dump(books_.pomocnoBook, {"pi"}), QStringList{"pi|1|I|1|01.12.2026||||1"});
        QCOMPARE(dump(books_.glavnoBook, {"ulazizlaz"}),
                 QStringList({QString("ulazizlaz|1|%1|1|1|10|1,2").arg(kabel_),
                              QString("ulazizlaz|2|%1|1|1|1,25|3").arg(zica_)}));
        QCOMPARE(dump(books_.pomocnoBook, {"ulazizlaz"}),
                 QStringList{QString("ulazizlaz|1|%1|1|1|5|0,1").arg(vijak_)});

        // Kabel: 100 - 10 = 90, 125 - 12 = 113, average price untouched.
        const auto figures = [](const BookLocation& book, int id) {
            return valueOf(book, "select stanje from artikli where id=?", {id}) + '/' +
                   valueOf(book, "select vrijednost from artikli where id=?", {id}) + '/' +
                   valueOf(book, "select proscijena from artikli where id=?", {id});
        };
        QCOMPARE(figures(books_.glavnoBook, kabel_), "90/113/1,25");
        QCOMPARE(figures(books_.glavnoBook, zica_), "8,75/26,25/3");
        QCOMPARE(figures(books_.pomocnoBook, vijak_), "45/4,5/0,1");

        QCOMPARE(dump(books_.productionBook, {"radninalozi"}),
                 QStringList{"radninalozi|1|1|01.12.2026|09.12.2026|" + product +
                             "|2,5|16,25|10|0|0|0|1,5"});
        QCOMPARE(
            dump(books_.productionBook, {"troskovi"}),
            QStringList({"troskovi|1|1|Skladište repromater|1|12", "troskovi|2|1|Pomoćno|1|0,5",
                         "troskovi|3|1|Skladište repromater|1|3,75"}));
        // The cost rows add up to the material cost.
        const auto stored = loadWorkOrder(books_.productionBook, "1");
        double sum = 0;
        for (const CostLine& c : stored->costLines)
            sum += numberOrZero(c.amount);
        QCOMPARE(format00(sum), stored->order.costs.material);
    }

    // Work order issues and issues entered by hand share one numbering per warehouse book;
    // receipts are numbered apart.
    void issueNumbersFollowEveryIssue() {
        storeOrmar();
        QVERIFY(executeRaw(books_.glavnoBook,
                           "insert into pi(pi,brojpi,datumpi,idkd) "
                           "values('P',1,'2026-11-30',1)"));
        QVERIFY(!issueOrmar("1,00").refusal.refused());
        postIssue(books_.glavnoBook, QString::number(kabel_), "1,00", "1,25");
        QCOMPARE(valueOf(books_.glavnoBook, "select brojpi from pi where id=3"), "2");
        // The next work order gets issue 3 in "Glavno" and 2 in "Pomoćno".
        const ProductMaterials m = ormarFor("1,00");
        QCOMPARE(QPair(m.lines[0].issueNumber, m.lines[1].issueNumber), QPair(3, 2));
        issueWorkOrder(books_.productionBook, orderFor(m, "1,00"), m.lines);
        QCOMPARE(valueOf(books_.productionBook, "select izdatnicabr from troskovi where id=4"),
                 "3");
        QCOMPARE(valueOf(books_.glavnoBook, "select brojpi from pi where id=4"), "3");
        QCOMPARE(nextWorkOrderNumber(books_.productionBook), 3);
    }

    // A refusal or a failure in the middle leaves the production book and every warehouse book as
    // they were.
    void nothingWrittenUnlessAllIs_data() {
        QTest::addColumn<bool>("refused");
        dataRow("no customer Proizvodnja", true);
        dataRow("second book fails", false);
    }
    void nothingWrittenUnlessAllIs() {
        QFETCH(bool, refused);
        storeOrmar();
        QVERIFY(executeRaw(books_.pomocnoBook,
                           refused ? "delete from kd where ime='Proizvodnja'"
                                   : "create trigger fail before insert on ulazizlaz "
                                     "begin select raise(abort, 'disk full'); end"));
        const auto books = [this] {
            return dump(books_.glavnoBook, kWarehouseTables) +
                   dump(books_.pomocnoBook, kWarehouseTables) +
                   dump(books_.productionBook, kProductionTables);
        };
        const QStringList before = books();

        if (refused)
            QCOMPARE(issueOrmar("1,00").refusal.bookWithoutCustomer, "Pomoćno");
        else
            QVERIFY_THROWS_EXCEPTION(DbError, issueOrmar("1,00"));
        QCOMPARE(books(), before);
        // No journal is left behind: every book file opens for writing at once.
        for (const BookLocation& b : {books_.glavnoBook, books_.pomocnoBook, books_.productionBook})
            QVERIFY(b.onServer() || !QFile::exists(b.filePath() + "-journal"));
    }

    void changeWorkOrder() {
        storeOrmar();
        issueOrmar("2,50");
        saveWorkOrderChange(books_.productionBook, loadWorkOrder(books_.productionBook, "1")->id,
                            QDate(2026, 12, 2), QDate(2026, 12, 20),
                            {"99,00", "11,00", "2,00", "3,00", "4,00", "5,00"});
        const auto changed = loadWorkOrder(books_.productionBook, "1");
        // The material cost, the units and the product never change after issue.
        QCOMPARE(QStringList({changed->order.costs.material, changed->order.costs.labour,
                              changed->order.costs.services, changed->order.costs.other1,
                              changed->order.costs.other2, changed->order.costs.other3,
                              changed->order.kolicina, changed->productName}),
                 QStringList({"16,25", "11,00", "2,00", "3,00", "4,00", "5,00", "2,50", "Ormar"}));
        QCOMPARE(dateText(changed->order.datumotv) + dateText(changed->order.datumzatv),
                 "02.12.202620.12.2026");
        QVERIFY(!loadWorkOrder(books_.productionBook, "2"));
    }

    void workOrderSheetText() {
        WorkOrder o;
        o.brojrn = "7";
        o.datumotv = QDate(2026, 12, 1);
        o.datumzatv = QDate(2026, 12, 9);
        o.kolicina = "2,50";
        o.costs = {"16,25", "10,00", "0,00", "0,00", "0,00", "1,50"};
        const QString sheet = workOrderSheet(
            "Ormar", o, {{"Skladište repromater", "12", "12,00"}, {"Pomoćno", "1", "4,25"}},
            "27,75", "6,50", QDate(2026, 12, 6));
        const QString rule = QString(83, u'_');
        QCOMPARE(sheet.split("\r\n"),
                 QStringList({"Ispis radnog naloga za proizvod: Ormar na dan: 06.12.2026",
                              rule,
                              "Br.rad.naloga: 7                   Datum  otvaranja rad.naloga: "
                              "01.12.2026",
                              "Ime proizvoda: Ormar               Datum zatvaranja rad.naloga: "
                              "09.12.2026",
                              "Kol.proiz.:    2,50",
                              "Popis izdat.:   ",
                              rule,
                              "Skladište        Izdatnica broj Iznos izdatnice",
                              rule,
                              "Skladište reprom 12                      12,00",
                              "Pomoćno          1                        4,25",
                              QString(83, u'-'),
                              "             Ukupna cijena izdatnica:    16,25",
                              "Troškovi",
                              "-------",
                              "Trošak materijala:        16,25",
                              "Trošak rada:              10,00",
                              "Trošak usluga:             0,00",
                              "Ostali troškovi 1:         0,00",
                              "Ostali troškovi 2:         0,00",
                              "Ostali troškovi 3:         1,50",
                              QString(40, u'-'),
                              "Troškovi ukupno:          27,75",
                              "Troškovi po j.mj.:         6,50",
                              ""}));
    }
};

QTEST_MAIN(WorkOrdersTest)
#include "tst_workorders.moc"
