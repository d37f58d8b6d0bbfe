// Products and their bills of materials on real books (files, or schemas on the server):
// storing, uniqueness, changing with removals, loading for editing and the product sheet.

#include "productionfixture.h"

#include <QTest>

using namespace kl;
using namespace kl::test;

class ProductsTest : public ProductionTest {
    Q_OBJECT

    int kabel_ = 0, vijak_ = 0;

    QString storeStol() {
        kabel_ = addArticle(books_.glavnoBook, "K1", "Kabel", 100, 125, 1.25);
        vijak_ = addArticle(books_.pomocnoBook, "V1", "Vijak", 50, 5, 0.1);
        return storeProduct(
            books_.productionBook, {"ST1", "Stol", "385000", "kom"},
            {billLine("Glavno", books_.glavno, kabel_, "K1", "Kabel", "4,00", "1,20"),
             billLine("Pomoćno", books_.pomocno, vijak_, "V1", "Vijak", "0,35", "0,10")});
    }
    // The stored bill lines: id, article, quantity, price, product, book.
    QStringList billRows() {
        QStringList rows;
        Database db = Database::openBook(books_.productionBook);
        for (Recordset rs = db.openRecordset("select * from sastojci order by id"); !rs.eof();
             rs.moveNext())
            rows.append(
                QStringList({rs.text("id"), rs.text("idartikla"), rs.text("kolicina"),
                             rs.text("cijena"), rs.text("idproizvoda"), rs.text("idskladista")})
                    .join(u'|'));
        return rows;
    }
    QString row(int id, int article, const char* figures, const QString& product, int book) {
        return QString("%1|%2|%3|%4|%5").arg(id).arg(article).arg(figures, product).arg(book);
    }

  private slots:
    // Stored as entered; loaded with the articles' present names and the bill's own prices.
    void storeAndLoadForEditing() {
        const QString id = storeStol();
        QCOMPARE(billRows(), QStringList({row(1, kabel_, "4|1,2", id, books_.glavno),
                                          row(2, vijak_, "0,35|0,1", id, books_.pomocno)}));
        executeRaw(books_.glavnoBook, "update artikli set naziv='Kabel 3x1,5', proscijena=9");
        const auto loaded = loadProduct(books_.productionBook, id);
        QVERIFY(loaded);
        QCOMPARE(loaded->product.header.naziv + '|' + loaded->product.header.barkod, "Stol|385000");
        QStringList lines;
        for (const BillLine& l : loaded->lines)
            lines.append(QStringList({l.bookName, l.articleCode, l.articleName, l.kolicina,
                                      l.cijena, l.iznos, l.lineId})
                             .join(u'|'));
        QCOMPARE(lines,
                 QStringList({"Glavno|K1|Kabel 3x1,5|        4,00|        1,20|        4,80|1",
                              "Pomoćno|V1|Vijak|        0,35|        0,10|        0,04|2"}));
        QCOMPARE(productPrice(loaded->lines), "4,84");
        QVERIFY(!loadProduct(books_.productionBook, "42"));
        QVERIFY(registeredBook(books_.pomocnoId())->location() == books_.pomocnoBook);
        QVERIFY(!registeredBook("99"));
    }

    void clashes_data() {
        QTest::addColumn<QStringList>("entered");  // code, name, bar code
        QTest::addColumn<bool>("excludeSelf");
        QTest::addColumn<int>("clash");
        dataRow("empty barcodes", QStringList{"ST3", "Klupa", ""}, false, int(ProductClash::None));
        dataRow("same code", QStringList{" ST1 ", "Stolica", ""}, false, int(ProductClash::Code));
        dataRow("same name", QStringList{"ST2", "Stol", ""}, false, int(ProductClash::Name));
        dataRow("same barcode", QStringList{"ST2", "Stolica", "385000"}, false,
                int(ProductClash::Barcode));
        dataRow("code case differs", QStringList{"st1", "Stolica", ""}, false,
                int(ProductClash::None));
        dataRow("itself while changed", QStringList{"ST1", "Stol", "385000"}, true,
                int(ProductClash::None));
    }
    void clashes() {
        QFETCH(QStringList, entered);
        QFETCH(bool, excludeSelf);
        QFETCH(int, clash);
        const QString id = storeStol();
        // A product with an empty barcode never clashes on it.
        storeProduct(books_.productionBook, {"ST9", "Polica", "", "kom"}, {});
        QCOMPARE(
            int(findProductClash(books_.productionBook, {entered[0], entered[1], entered[2], "kom"},
                                 excludeSelf ? id : QString())),
            clash);
    }

    // New lines are added, removed lines deleted, stored lines left as they are.
    void changeWithRemovals() {
        const QString id = storeStol();
        auto loaded = loadProduct(books_.productionBook, id);
        saveProductChange(books_.productionBook, id, {"ST1", "Stol veliki", "", "kom"},
                          {loaded->lines[1], billLine("Glavno", books_.glavno, kabel_, "K1",
                                                      "Kabel", "2,00", "1,30")},
                          {loaded->lines[0].lineId});
        QCOMPARE(billRows(), QStringList({row(2, vijak_, "0,35|0,1", id, books_.pomocno),
                                          row(3, kabel_, "2|1,3", id, books_.glavno)}));
        QCOMPARE(valueOf(books_.productionBook, "select naziv from proizvodi") + '|' +
                     valueOf(books_.productionBook, "select barkod from proizvodi"),
                 "Stol veliki|");
    }

    // A failing bill line leaves no product without its bill.
    void storingIsWholeOrNothing() {
        QVERIFY(executeRaw(books_.productionBook,
                           "create trigger fail before insert on sastojci when new.kolicina > 5 "
                           "begin select raise(abort, 'disk full'); end"));
        QVERIFY_THROWS_EXCEPTION(
            DbError,
            storeProduct(books_.productionBook, {"S", "Stol", "", "kom"},
                         {billLine("Glavno", books_.glavno, 1, "K1", "Kabel", "1,00", "1"),
                          billLine("Glavno", books_.glavno, 1, "K1", "Kabel", "9,00", "1")}));
        QCOMPARE(rowCount(books_.productionBook, "proizvodi"), 0);
        QCOMPARE(rowCount(books_.productionBook, "sastojci"), 0);
    }

    void productSheetText() {
        const QString sheet =
            productSheet({"ST1", "Stol", "385000", "kom"},
                         {billLine("Skladište repromaterijala", 1, 1, "ABCDEFGHIJK",
                                   "Kabel bakreni dvožilni 3x1,5", "4,00", "1,20"),
                          {"Pomoćno", "V1", "Vijak", "        0,35", "        0,10", "        0,04",
                           "2", "2", "1"}},
                         "4,84", QDate(2026, 12, 6));
        const QString rule = QString(83, u'_');
        QCOMPARE(
            sheet.split("\r\n"),
            QStringList({"Ispis podataka za proizvod: Stol na dan: 06.12.2026", rule,
                         "Naziv proizvoda: Stol", "Šifra proizvoda: ST1", "Barkod         : 385000",
                         "Jedinica mjere : kom", "Sastavnica:", rule,
                         "Skladište        Šifra art. Naziv artikla              Količina "
                         "Cijena   Iznos",
                         rule,
                         "Skladište reprom ABCDEFGHIJ Kabel bakreni dvožilni 3x1     4,00 "
                         "    1,20      4,80",
                         "Pomoćno          V1         Vijak                          0,35 "
                         "    0,10      0,04",
                         QString(83, u'-'), QString(48, u' ') + "Ukupna cijena proizvoda:     4,84",
                         ""}));
    }
};

QTEST_MAIN(ProductsTest)
#include "tst_products.moc"
