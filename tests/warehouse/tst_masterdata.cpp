// What the master data of a warehouse book stores and refuses, on real books (files, or schemas
// on the server): article code and bar code clashes, entry lists and changes stored all or
// nothing, the partner codes and the partners a document offers.

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
    return {kd,       name,      "12345678901", "2360000-1101234567",
            "Zagreb", "Ilica 1", "01/234-567",  "Ana"};
}

// The articles of the book in stored order, each as its columns joined by "|".
QStringList articleTexts(const BookLocation& book) {
    Database db = Database::openBook(book);
    Recordset rs = db.openRecordset(QStringLiteral(
        "select sifra,barkod,naziv,jedmjere,minkolicina,stanje,vrijednost,proscijena from "
        "artikli"));
    QStringList rows;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList fields;
        for (int c = 0; c < rs.fieldCount(); ++c)
            fields.append(rs.text(rs.fieldName(c)));
        rows.append(fields.join(QLatin1Char('|')));
    }
    return rows;
}

const QString kTooLong(31, QLatin1Char('x'));
constexpr int kTextTooLong = int(DbErrorCode::TextTooLong);

// The number of the DbError `f` throws, 0 when it throws none.
template <typename F>
int dbError(F f) {
    try {
        f();
    } catch (const DbError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace

class TstMasterData : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder_;
    BookLocation book_;

  private slots:
    void init() {
        folder_ = std::make_unique<TempProgramFolder>();
        book_ = newWarehouseBook();
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
        auto row = [](const char* name, const QStringList& onList, const QStringList& inBook,
                      const QString& code, const QString& barcode, ArticleClash clash) {
            QTest::newRow(name) << onList << inBook << code << barcode << clash;
        };
        using C = ArticleClash;
        row("code on list, blanks around", {"X|", "A1|"}, {}, "  A1 ", "", C::CodeOnList);
        row("code on list in other case", {"a1|"}, {}, "A1", "", C::None);
        row("bar code on list", {"A1|385"}, {}, "A2", "385", C::BarcodeOnList);
        row("no bar codes on list", {"A1|"}, {}, "A2", "", C::None);
        row("code in book", {}, {"B|", "A1|"}, "A1", "", C::CodeInBook);
        row("code in book in other case", {}, {"abc|"}, "ABC", "", C::None);
        row("bar code in book", {}, {"B1|385"}, "A1", "385", C::BarcodeInBook);
        row("no bar codes in book", {}, {"B1|", "B2|"}, "A1", "", C::None);
        row("list before book", {"A1|"}, {"B1|385"}, "A1", "385", C::CodeOnList);
        row("row code before its bar code", {}, {"A1|385"}, "A1", "385", C::CodeInBook);
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

    // The choices of the document windows: id, code and name as the select by name gives them,
    // in its order; in a file also a NULL, a number and bytes that are no UTF-8.
    void articleChoicesByName() {
        for (const char* name : {"vijak m6", "VIJAK M6", "Ćup", "Cup", ""})
            addArticle(book_, "X", QString::fromUtf8(name));
        QVERIFY(
            executeRaw(book_, QStringLiteral("insert into artikli(sifra,naziv) values(null,'b')")));
        if (!booksOnServer())
            QVERIFY(executeRaw(book_, QStringLiteral("insert into artikli(sifra,naziv) "
                                                     "values(12.5,cast(x'41ff' as text))")));
        Database db = Database::openBook(book_);
        QStringList selected, chosen;
        Recordset rs = db.openRecordset(
            QStringLiteral("select id,sifra,naziv from artikli order by naziv asc"));
        for (; !rs.eof(); rs.moveNext())
            selected << rs.text(QStringLiteral("id")) + '|' + rs.text(QStringLiteral("sifra")) +
                            '|' + rs.text(QStringLiteral("naziv"));
        for (const ArticleChoice& a : loadArticleChoices(book_))
            chosen << a.id + '|' + a.sifra + '|' + a.naziv;
        QCOMPARE(chosen, selected);
        if (!booksOnServer()) QVERIFY(chosen.contains(QStringLiteral("7|12.5|A\uFFFD")));
    }

    // A list is stored whole with stock, value and average 0, or not at all; a change is made
    // whole or not at all.
    void storingArticles() {
        QCOMPARE(
            dbError([&] {
                insertArticles(book_, {article("A1"), article("A2"), article("A3", "", kTooLong)});
            }),
            kTextTooLong);
        QCOMPARE(rowCount(book_, QStringLiteral("artikli")), 0);

        insertArticles(book_, {article("A1", "3850001", "Vijak M6"),
                               {"A2", "", "Matica M6", "kg", "12,50"},
                               article("A3")});
        QCOMPARE(articleTexts(book_),
                 QStringList({"A1|3850001|Vijak M6|kom|0|0|0|0", "A2||Matica M6|kg|12,5|0|0|0",
                              "A3||Artikl|kom|0|0|0|0"}));
        QVERIFY(articleCodeExists(book_, QStringLiteral(" A2 ")));
        QVERIFY(!articleCodeExists(book_, QStringLiteral("a2")));

        const QString id = loadArticles(book_).front().id;
        QCOMPARE(dbError([&] { updateArticle(book_, id, article("B2", "1", kTooLong)); }),
                 kTextTooLong);
        QCOMPARE(articleTexts(book_).front(), "A1|3850001|Vijak M6|kom|0|0|0|0");
        updateArticle(book_, id, {"b1", "385", "Novi", "m", "2,50"});
        QCOMPARE(articleTexts(book_).front(), "b1|385|Novi|m|2,5|0|0|0");
    }

    // Suppliers are d and s, customers k and s, in either letter case, in the book's order.
    void partners() {
        for (const char* c : {"k", "K", "d", "D", "s", "S"})
            QVERIFY2(isPartnerCode(c), c);
        for (const char* c : {"x", "", "kd", " "})
            QVERIFY2(!isPartnerCode(c), c);

        QCOMPARE(dbError([&] {
                     insertPartners(book_, {partner("d", "Dob"), partner("k", kTooLong)});
                 }),
                 kTextTooLong);
        QCOMPARE(rowCount(book_, QStringLiteral("kd")), 1);  // the seeded "Proizvodnja"
        insertPartners(book_, {partner("d", "Dobavljač mali"), partner("K", "Kupac veliki"),
                               partner("s", "Oboje"), partner("D", "Dobavljač veliki"),
                               partner("s", "Oboje")});
        QCOMPARE(partnerNames(book_, true),
                 QStringList({"Dobavljač mali", "Oboje", "Dobavljač veliki", "Oboje"}));
        QCOMPARE(partnerNames(book_, false),
                 QStringList({"Proizvodnja", "Kupac veliki", "Oboje", "Oboje"}));

        const QString id = loadPartners(book_, false)[1].id;
        updatePartner(book_, id, partner("s", "Dobavljač novi"));
        QCOMPARE(loadPartners(book_, false)[1].fields, partner("s", "Dobavljač novi"));
        PartnerFields bad = partner("k", "Ne");
        bad[7] = kTooLong;
        QCOMPARE(dbError([&] { updatePartner(book_, id, bad); }), kTextTooLong);
        QCOMPARE(loadPartners(book_, false)[1].fields, partner("s", "Dobavljač novi"));
    }

    void documentTypes() {
        for (const char* name : {"Račun", "Otpremnica", "Račun"})
            insertDocumentType(book_, QString::fromUtf8(name));
        QCOMPARE(documentTypeNames(book_), QStringList({"Otpremnica", "Račun", "Račun"}));
    }
};

QTEST_GUILESS_MAIN(TstMasterData)
#include "tst_masterdata.moc"
