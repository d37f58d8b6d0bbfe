// Products and their bills of materials on real book files: the warehouse books offered, storing,
// uniqueness, changing with removals, deleting, loading for editing and the product sheet.

#include "productionfixture.h"

#include <QTest>

using namespace kl;
using namespace kl::test;

class ProductsTest : public ProductionTest {
    Q_OBJECT

    int kabel_ = 0, vijak_ = 0;

    QString storeStol() {
        kabel_ = addArticle(books_.glavnoPath, "K1", "Kabel", 100, 125, 1.25);
        vijak_ = addArticle(books_.pomocnoPath, "V1", "Vijak", 50, 5, 0.1);
        return storeProduct(
            books_.productionPath, {"ST1", "Stol", "385000", "kom"},
            {billLine("Glavno", books_.glavno, kabel_, "K1", "Kabel", "4,00", "1,20"),
             billLine("Pomoćno", books_.pomocno, vijak_, "V1", "Vijak", "0,35", "0,10")});
    }

    QStringList billRows() {
        QStringList rows;
        Database db = Database::open(books_.productionPath);
        for (Recordset rs = db.openRecordset("select * from sastojci order by id"); !rs.eof();
             rs.moveNext())
            rows.append(
                QStringList({rs.text("id"), rs.text("idartikla"), rs.text("kolicina"),
                             rs.text("cijena"), rs.text("idproizvoda"), rs.text("idskladista")})
                    .join(u'|'));
        return rows;
    }

  private slots:
    // Only the warehouse books of the current company, ordered by name.
    void warehouseBooksOfTheCompany() {
        const int other = addCompany("Beta");
        addBook(other, "Beta skladište", kWarehouseKind);
        addBook(books_.companyId, "Arhiva", kWarehouseKind);
        QStringList names;
        for (const WarehouseBook& b : companyWarehouseBooks(QString::number(books_.companyId)))
            names.append(b.name + '/' + b.kind);
        QCOMPARE(names, QStringList({"Arhiva/Skladiste", "Glavno/Skladiste", "Pomoćno/Skladiste"}));
        QCOMPARE(registeredBook(books_.pomocnoId())->path(), books_.pomocnoPath);
        QVERIFY(!registeredBook("99"));
    }

    void storeAndLoadForEditing() {
        const QString id = storeStol();
        QCOMPARE(
            billRows(),
            QStringList({QString("1|%1|4|1,2|%2|%3").arg(kabel_).arg(id).arg(books_.glavno),
                         QString("2|%1|0,35|0,1|%2|%3").arg(vijak_).arg(id).arg(books_.pomocno)}));
        // The article's name changed since; the bill keeps its own price.
        executeRaw(books_.glavnoPath, "update artikli set naziv='Kabel 3x1,5', proscijena=9");
        const auto loaded = loadProduct(books_.productionPath, id);
        QVERIFY(loaded);
        QCOMPARE(loaded->product.header.naziv, "Stol");
        QCOMPARE(loaded->product.header.barkod, "385000");
        QStringList lines;
        for (const BillLine& l : loaded->lines)
            lines.append(QStringList({l.bookName, l.articleCode, l.articleName, l.kolicina,
                                      l.cijena, l.iznos, l.lineId})
                             .join(u'|'));
        QCOMPARE(lines,
                 QStringList({"Glavno|K1|Kabel 3x1,5|        4,00|        1,20|        4,80|1",
                              "Pomoćno|V1|Vijak|        0,35|        0,10|        0,04|2"}));
        QCOMPARE(productPrice(loaded->lines), "4,84");
        QVERIFY(!loadProduct(books_.productionPath, "42"));

        const std::vector<Product> products = loadProducts(books_.productionPath);
        QCOMPARE(int(products.size()), 1);
        QCOMPARE(products[0].id, id);
    }

    void clashes_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("barcode");
        QTest::addColumn<bool>("excludeSelf");
        QTest::addColumn<int>("clash");
        dataRow("new", "ST2", "Stolica", "", false, int(ProductClash::None));
        dataRow("same code", " ST1 ", "Stolica", "", false, int(ProductClash::Code));
        dataRow("same name", "ST2", "Stol", "", false, int(ProductClash::Name));
        dataRow("same barcode", "ST2", "Stolica", "385000", false, int(ProductClash::Barcode));
        dataRow("code case differs", "st1", "Stolica", "", false, int(ProductClash::None));
        dataRow("itself while changed", "ST1", "Stol", "385000", true, int(ProductClash::None));
        dataRow("empty barcodes", "ST3", "Klupa", "", false, int(ProductClash::None));
    }
    void clashes() {
        QFETCH(QString, code);
        QFETCH(QString, name);
        QFETCH(QString, barcode);
        QFETCH(bool, excludeSelf);
        QFETCH(int, clash);
        const QString id = storeStol();
        // A product with an empty barcode never clashes on it.
        storeProduct(books_.productionPath, {"ST9", "Polica", "", "kom"}, {});
        QCOMPARE(int(findProductClash(books_.productionPath, {code, name, barcode, "kom"},
                                      excludeSelf ? id : QString())),
                 clash);
    }

    // New lines are added, removed lines deleted, stored lines left as they are.
    void changeWithRemovals() {
        const QString id = storeStol();
        auto loaded = loadProduct(books_.productionPath, id);
        std::vector<BillLine> lines{loaded->lines[1], billLine("Glavno", books_.glavno, kabel_,
                                                               "K1", "Kabel", "2,00", "1,30")};
        saveProductChange(books_.productionPath, id, {"ST1", "Stol veliki", "", "kom"}, lines,
                          {loaded->lines[0].lineId});
        QCOMPARE(
            billRows(),
            QStringList({QString("2|%1|0,35|0,1|%2|%3").arg(vijak_).arg(id).arg(books_.pomocno),
                         QString("3|%1|2|1,3|%2|%3").arg(kabel_).arg(id).arg(books_.glavno)}));
        QCOMPARE(valueOf(books_.productionPath, "select naziv from proizvodi where id=?", {id}),
                 "Stol veliki");
        QCOMPARE(valueOf(books_.productionPath, "select barkod from proizvodi where id=?", {id}),
                 "");
    }

    void deleteUnlessInWorkOrder() {
        const QString id = storeStol();
        const QString other = storeProduct(
            books_.productionPath, {"P2", "Polica", "", "kom"},
            {billLine("Glavno", books_.glavno, kabel_, "K1", "Kabel", "1,00", "1,25")});
        Database::open(books_.productionPath)
            .execute("insert into radninalozi(brojrn,idproizvoda)values(?,?)", {1, id});
        QVERIFY(productInWorkOrder(books_.productionPath, id));
        QVERIFY(!productInWorkOrder(books_.productionPath, other));
        deleteProduct(books_.productionPath, other);
        QCOMPARE(rowCount(books_.productionPath, "proizvodi"), 1);
        QCOMPARE(rowCount(books_.productionPath, "sastojci"), 2);
    }

    // A failing bill line leaves no product without its bill.
    void storingIsWholeOrNothing() {
        addArticle(books_.glavnoPath, "K1", "Kabel", 100, 125, 1.25);
        QVERIFY(executeRaw(books_.productionPath,
                           "create trigger fail before insert on sastojci when new.kolicina > 5 "
                           "begin select raise(abort, 'disk full'); end"));
        QVERIFY_THROWS_EXCEPTION(
            DbError,
            storeProduct(books_.productionPath, {"S", "Stol", "", "kom"},
                         {billLine("Glavno", books_.glavno, 1, "K1", "Kabel", "1,00", "1"),
                          billLine("Glavno", books_.glavno, 1, "K1", "Kabel", "9,00", "1")}));
        QCOMPARE(rowCount(books_.productionPath, "proizvodi"), 0);
        QCOMPARE(rowCount(books_.productionPath, "sastojci"), 0);
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
