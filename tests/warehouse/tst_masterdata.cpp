// What the master data of a warehouse book stores and refuses, on real book files: article
// code and bar code uniqueness, storing entry lists and changes all or nothing, the partner
// codes that make a supplier or a customer.

#include "data/appcontext.h"
#include "data/database.h"
#include "data/dberror.h"
#include "testenv.h"
#include "warehouse/masterdata.h"

#include <QTest>

using namespace kl;
using namespace kl::test;

Q_DECLARE_METATYPE(kl::ArticleClash)

namespace {

ArticleEntry article(const QString& code, const QString& barcode = QString(),
                     const QString& name = QStringLiteral("Artikl")) {
    return {code, barcode, name, QStringLiteral("kom"), QStringLiteral("0,00")};
}

PartnerFields partner(const QString& kd, const QString& name) {
    return {kd,
            name,
            QStringLiteral("12345678901"),
            QStringLiteral("2360000-1101234567"),
            QStringLiteral("Zagreb"),
            QStringLiteral("Ilica 1"),
            QStringLiteral("01/234-567"),
            QStringLiteral("Ana")};
}

QStringList articleTexts(const QString& path, const QString& columns) {
    Database db = Database::open(path);
    Recordset rs = db.openRecordset(QStringLiteral("select ") + columns +
                                    QStringLiteral(" from artikli order by id"));
    QStringList rows;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList fields;
        for (int c = 0; c < rs.fieldCount(); ++c)
            fields.append(rs.text(rs.fieldName(c)));
        rows.append(fields.join(QLatin1Char('|')));
    }
    return rows;
}

}  // namespace

class TstMasterData : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder_;
    QString book_;

  private slots:
    void init() {
        folder_ = std::make_unique<TempProgramFolder>();
        createMaster();
        const int company = addCompany(QStringLiteral("Alfa"));
        book_ =
            bookPath(kWarehouseKind, addBook(company, QStringLiteral("Glavno"), kWarehouseKind));
    }
    void cleanup() { folder_.reset(); }

    // The list is checked before the book, each entry and row code first; codes and bar codes
    // compare trimmed and with their letter case; an empty bar code never clashes.
    void articleClashes_data() {
        QTest::addColumn<QStringList>("onList");  // "code|barcode"
        QTest::addColumn<QStringList>("inBook");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("barcode");
        QTest::addColumn<ArticleClash>("clash");
        const QStringList none;
        QTest::newRow("new code") << QStringList{"A1|"} << QStringList{"B1|"} << "C1"
                                  << "" << ArticleClash::None;
        QTest::newRow("code on list") << QStringList{"X|", "A1|"} << none << "A1"
                                      << "" << ArticleClash::CodeOnList;
        QTest::newRow("code on list, blanks around") << QStringList{"A1|"} << none << "  A1 "
                                                     << "" << ArticleClash::CodeOnList;
        QTest::newRow("code on list in other case") << QStringList{"a1|"} << none << "A1"
                                                    << "" << ArticleClash::None;
        QTest::newRow("bar code on list") << QStringList{"A1|385"} << none << "A2"
                                          << "385" << ArticleClash::BarcodeOnList;
        QTest::newRow("no bar codes on list") << QStringList{"A1|"} << none << "A2"
                                              << "" << ArticleClash::None;
        QTest::newRow("code in book") << none << QStringList{"B|", "A1|"} << "A1"
                                      << "" << ArticleClash::CodeInBook;
        QTest::newRow("code in book in other case") << none << QStringList{"abc|"} << "ABC"
                                                    << "" << ArticleClash::None;
        QTest::newRow("bar code in book") << none << QStringList{"B1|385"} << "A1"
                                          << "385" << ArticleClash::BarcodeInBook;
        QTest::newRow("no bar codes in book") << none << QStringList{"B1|", "B2|"} << "A1"
                                              << "" << ArticleClash::None;
        QTest::newRow("list before book") << QStringList{"A1|"} << QStringList{"B1|385"} << "A1"
                                          << "385" << ArticleClash::CodeOnList;
        QTest::newRow("row code before its bar code") << none << QStringList{"A1|385"} << "A1"
                                                      << "385" << ArticleClash::CodeInBook;
    }
    void articleClashes() {
        QFETCH(QStringList, onList);
        QFETCH(QStringList, inBook);
        QFETCH(QString, code);
        QFETCH(QString, barcode);
        QFETCH(ArticleClash, clash);
        QList<ArticleEntry> list;
        for (const QString& e : onList)
            list.append(article(e.section('|', 0, 0), e.section('|', 1, 1)));
        for (const QString& e : inBook)
            addArticle(book_, e.section('|', 0, 0), QStringLiteral("Artikl"), 0, 0, 0,
                       QStringLiteral("kom"), 0, e.section('|', 1, 1));
        QCOMPARE(findArticleClash(article(code, barcode), list, book_), clash);
    }

    void storingAListGivesZeroStock() {
        insertArticles(book_, {article(QStringLiteral("A1"), QStringLiteral("3850001"),
                                       QStringLiteral("Vijak M6")),
                               {QStringLiteral("A2"), QString(), QStringLiteral("Matica M6"),
                                QStringLiteral("kg"), QStringLiteral("12,50")},
                               article(QStringLiteral("A3"))});
        QCOMPARE(articleTexts(book_, QStringLiteral("sifra,barkod,naziv,jedmjere,minkolicina,"
                                                    "stanje,vrijednost,proscijena")),
                 QStringList({"A1|3850001|Vijak M6|kom|0|0|0|0", "A2||Matica M6|kg|12,5|0|0|0",
                              "A3||Artikl|kom|0|0|0|0"}));
        const std::vector<ArticleRow> rows = loadArticles(book_);
        QCOMPARE(rows.size(), size_t(3));
        QCOMPARE(rows[1].minkolicina, 12.5);
        QVERIFY(articleCodeExists(book_, QStringLiteral(" A2 ")));
        QVERIFY(!articleCodeExists(book_, QStringLiteral("a2")));
    }

    // A list that cannot be stored whole stores nothing; a change that fails half way changes
    // nothing.
    void failuresChangeNothing() {
        addArticle(book_, QStringLiteral("B1"), QStringLiteral("Stari"));
        const QString tooLong(31, QLatin1Char('x'));
        try {
            insertArticles(book_, {article(QStringLiteral("A1")), article(QStringLiteral("A2")),
                                   article(QStringLiteral("A3"), QString(), tooLong)});
            QFAIL("a 31-character name was stored");
        } catch (const DbError& e) {
            QCOMPARE(e.number(), int(DbErrorCode::TextTooLong));
        }
        QCOMPARE(rowCount(book_, QStringLiteral("artikli")), 1);

        const QString id = loadArticles(book_).front().id;
        QVERIFY_THROWS_EXCEPTION(
            DbError,
            updateArticle(book_, id, article(QStringLiteral("B2"), QStringLiteral("1"), tooLong)));
        QCOMPARE(articleTexts(book_, QStringLiteral("sifra,barkod,naziv")),
                 QStringList{"B1||Stari"});

        updateArticle(book_, id,
                      {QStringLiteral("b1"), QStringLiteral("385"), QStringLiteral("Novi"),
                       QStringLiteral("m"), QStringLiteral("2,50")});
        QCOMPARE(articleTexts(book_, QStringLiteral("sifra,barkod,naziv,jedmjere,minkolicina")),
                 QStringList{"b1|385|Novi|m|2,5"});

        QList<PartnerFields> partners = {partner(QStringLiteral("d"), QStringLiteral("Dob"))};
        partners.append(partner(QStringLiteral("k"), tooLong));
        QVERIFY_THROWS_EXCEPTION(DbError, insertPartners(book_, partners));
        QCOMPARE(rowCount(book_, QStringLiteral("kd")), 1);  // the seeded "Proizvodnja"
    }

    void partnerCodes_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("accepted");
        for (const char* c : {"k", "K", "d", "D", "s", "S"})
            QTest::newRow(c) << c << true;
        for (const char* c : {"x", "", "kd", " "})
            QTest::newRow(qPrintable(QStringLiteral("'%1'").arg(QLatin1String(c)))) << c << false;
    }
    void partnerCodes() {
        QFETCH(QString, code);
        QFETCH(bool, accepted);
        QCOMPARE(isPartnerCode(code), accepted);
    }

    // Suppliers are d and s, customers k and s, in either letter case, in the book's order.
    void partnersOfDocuments() {
        insertPartners(book_, {partner(QStringLiteral("d"), QStringLiteral("Dobavljač mali")),
                               partner(QStringLiteral("K"), QStringLiteral("Kupac veliki")),
                               partner(QStringLiteral("s"), QStringLiteral("Oboje")),
                               partner(QStringLiteral("D"), QStringLiteral("Dobavljač veliki")),
                               partner(QStringLiteral("s"), QStringLiteral("Oboje"))});
        QCOMPARE(partnerNames(book_, true),
                 QStringList({"Dobavljač mali", "Oboje", "Dobavljač veliki", "Oboje"}));
        QCOMPARE(partnerNames(book_, false),
                 QStringList({"Proizvodnja", "Kupac veliki", "Oboje", "Oboje"}));

        const std::vector<PartnerRow> byName = loadPartners(book_, true);
        QCOMPARE(byName.size(), size_t(6));
        QCOMPARE(byName.front().fields[1], QStringLiteral("Dobavljač mali"));
        QCOMPARE(byName.back().fields[1], QStringLiteral("Proizvodnja"));
        QCOMPARE(byName.front().fields, partner(QStringLiteral("d"), "Dobavljač mali"));

        const QString id = loadPartners(book_, false)[1].id;
        updatePartner(book_, id, partner(QStringLiteral("s"), QStringLiteral("Dobavljač novi")));
        QCOMPARE(loadPartners(book_, false)[1].fields,
                 partner(QStringLiteral("s"), QStringLiteral("Dobavljač novi")));
        PartnerFields bad = partner(QStringLiteral("k"), QStringLiteral("Ne"));
        bad[7] = QString(31, QLatin1Char('x'));
        QVERIFY_THROWS_EXCEPTION(DbError, updatePartner(book_, id, bad));
        QCOMPARE(loadPartners(book_, false)[1].fields[1], QStringLiteral("Dobavljač novi"));
    }

    void documentTypes() {
        insertDocumentType(book_, QStringLiteral("Račun"));
        insertDocumentType(book_, QStringLiteral("Otpremnica"));
        insertDocumentType(book_, QStringLiteral("Račun"));
        QCOMPARE(documentTypeNames(book_), QStringList({"Otpremnica", "Račun", "Račun"}));
    }
};

QTEST_GUILESS_MAIN(TstMasterData)
#include "tst_masterdata.moc"
