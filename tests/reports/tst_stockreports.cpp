// The stock status list and the stock cards, read from books filled by posting real receipts and
// issues and compared line by line with the texts a clerk expects.

#include "data/database.h"
#include "data/dberror.h"
#include "reportfixture.h"
#include "reports/stockreports.h"

using namespace kl;
using namespace kl::test;

namespace {

const QString kStatusHeading = QStringLiteral(
    "Šifra        Naziv                 J.mj. Min.kol. Stanje     Vrijednost   Pr.cijena");
const QString kRule = QString(83, u'_');
const QString kCardLabels = QStringLiteral(
    "Šifra:        Naziv:                                  Barkod:       J.m.: Min.kol.");
const QStringList kCardColumns = {
    kRule,
    QStringLiteral("R.br. V B.P/I Ulaz              Izlaz             Stanje     Vrijednost   "
                   "Pr.cijena"),
    QString(14, u' ') + QStringLiteral("Količina Cijena   Količina Cijena   ") + QString(38, u' '),
    kRule,
};

// One article's block of a card (its line, the column heading) followed by its lines.
QStringList cardBlock(const QString& article, const QStringList& lines) {
    return QStringList{article} + kCardColumns + lines;
}

// Each card's article code followed by its number of lines.
QStringList codesAndLines(const std::vector<StockCard>& cards) {
    QStringList out;
    for (const StockCard& c : cards)
        out << c.article.sifra().toString() + QString::number(c.lines.size());
    return out;
}

}  // namespace

class Tst_stockreports : public ReportTest {
    Q_OBJECT

    const QString supplier_ = QStringLiteral("Dobavljač d.o.o.");
    const QString customer_ = QStringLiteral("Kupac d.o.o.");
    const QString type_ = QStringLiteral("Račun");

    void addPartners() {
        addPartner(book_, QStringLiteral("d"), supplier_);
        addPartner(book_, QStringLiteral("k"), customer_);
        addDocumentType(book_, type_);
    }

    // Six articles: V1 with 10 received at 2,00 and 4 issued; M2 never moved; K3 3 received, below
    // its minimum of 20; C4 2 received and 2 issued (zero stock, below its minimum of 2); C5 and
    // B6 never moved, with names of 23 and 22 characters.
    void fillBook() {
        addPartners();
        const int v1 = addArticle(book_, "V1", "Vijak M6", 0, 0, 0, "kom", 5, "3850000000001");
        addArticle(book_, "M2", "Matica M6", 0, 0, 0, "kom");
        const int k3 = addArticle(book_, "K3", "Kutija kartonska velika A", 0, 0, 0, "pak", 20);
        const int c4 = addArticle(book_, "C4", "Čavao 50 mm", 0, 0, 0, "kg", 2);
        addArticle(book_, "C5", "Cijev bakrena dugacka 2", 0, 0, 0, "m");
        addArticle(book_, "B6", "Brtva gumena okrugla 1", 0, 0, 0, "kom");
        const QDate day(2026, 3, 2);
        receipt(book_, day, supplier_, {{v1, "10", "2"}}, type_);
        receipt(book_, day, supplier_, {{k3, "3", "1,25"}}, type_);
        receipt(book_, day, supplier_, {{c4, "2", "4"}}, type_);
        issue(book_, day.addDays(1), customer_, {{v1, "4", "2"}});
        issue(book_, day.addDays(1), customer_, {{c4, "2", "4"}});
    }

    QString cardText(ArticleKey key, const QString& text) {
        Database db = Database::openBook(book_);
        StockCard card{readCardArticle(db, key, text), {}};
        card.lines = readCardLines(db, card.article.id);
        return stockCardText(card);
    }

  private slots:
    void cardOfArticle_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        const QStringList v1 = cardBlock(
            "V1            Vijak M6                                3850000000001 kom        5,00",
            {"   1. P     1    10,00     2,00     0,00     0,00      10,00        20,00      2,00",
             "   2. I     1     0,00     0,00     4,00     2,00       6,00        12,00      "
             "2,00"});
        const auto name = int(ArticleKey::Name), code = int(ArticleKey::Code);
        dataRow("by name", name, QString("Vijak M6"), v1);
        dataRow("by name, other case", name, QString("VIJAK m6"), v1);
        dataRow("by code", code, QString("V1"), v1);
        dataRow("by code, other case", code, QString("v1"), v1);
        dataRow("no lines", code, QString("M2"),
                cardBlock("M2            Matica M6                                         "
                          "    kom        0,00",
                          {}));
    }
    void cardOfArticle() {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        fillBook();
        QCOMPARE(reportLines(cardText(ArticleKey(key), text)), QStringList{kCardLabels} + expected);
    }

    // The whole stock issued: the value keeps what the rounding left, the average the last one.
    void cardKeepsAverageAtZeroStock() {
        addPartners();
        const int id = addArticle(book_, "B2", "Matica M6");
        const QDate day(2026, 4, 1);
        receipt(book_, day, supplier_, {{id, "10", "3"}}, type_);
        receipt(book_, day, supplier_, {{id, "5", "4"}}, type_);
        issue(book_, day, customer_, {{id, "15", "3,33"}});
        QCOMPARE(
            reportLines(cardText(ArticleKey::Code, "B2")),
            QStringList{kCardLabels} +
                cardBlock(
                    "B2            Matica M6                                             kom"
                    "        0,00",
                    {"   1. P     1    10,00     3,00     0,00     0,00      10,00        30,00 "
                     "     3,00",
                     "   2. P     2     5,00     4,00     0,00     0,00      15,00        50,00 "
                     "     3,33",
                     "   3. I     1     0,00     0,00    15,00     3,33       0,00         0,05 "
                     "     3,33"}));
    }

    // The name is cut to 21 characters (K3 has 25, C5 23, B6 22).
    void statusOfGroup_data() {
        QTest::addColumn<int>("group");
        QTest::addColumn<QStringList>("lines");
        const QString b6 = QStringLiteral(
            "B6           Brtva gumena okrugla  kom       0,00       0,00         0,00     0,00");
        const QString c5 = QStringLiteral(
            "C5           Cijev bakrena dugacka m         0,00       0,00         0,00     0,00");
        const QString c4 = QStringLiteral(
            "C4           Čavao 50 mm           kg        2,00       0,00         0,00     4,00");
        const QString k3 = QStringLiteral(
            "K3           Kutija kartonska veli pak      20,00       3,00         3,75     1,25");
        const QString m2 = QStringLiteral(
            "M2           Matica M6             kom       0,00       0,00         0,00     0,00");
        const QString v1 = QStringLiteral(
            "V1           Vijak M6              kom       5,00       6,00        12,00     2,00");
        dataRow("all, by name", int(ArticleGroup::All), QStringList{b6, c5, c4, k3, m2, v1});
        dataRow("zero stock", int(ArticleGroup::ZeroStock), QStringList{m2, c4, c5, b6});
        dataRow("below minimum", int(ArticleGroup::BelowMinimum), QStringList{k3, c4});
    }
    void statusOfGroup() {
        QFETCH(int, group);
        QFETCH(QStringList, lines);
        fillBook();
        Database db = Database::openBook(book_);
        QCOMPARE(reportLines(stockStatusText(readArticleGroup(db, ArticleGroup(group)))),
                 (QStringList{kStatusHeading, kRule} + lines));
    }

    // All articles by name, read in stored order and put in the order of the index on the
    // names: the order and the articles the select by name gives, names equal to the collation
    // (letter case) in id order, an article without a name first; every text as the select
    // reads it, also (in a file) a number, a blob or bytes that are no UTF-8 in a text column.
    void allInTheOrderOfTheSelectByName() {
        fillBook();
        for (const char* name : {"vijak m6", "VIJAK M6", "Ćup", "Cup", ""})
            addArticle(book_, "X", QString::fromUtf8(name));
        QVERIFY(
            executeRaw(book_, QStringLiteral("insert into artikli(sifra,naziv) values('N',null)")));
        if (!booksOnServer())
            QVERIFY(executeRaw(book_, QStringLiteral("insert into artikli(sifra,naziv,barkod,"
                                                     "jedmjere) values(12,x'C5BD61',2.5,"
                                                     "cast(x'ff41' as text))")));
        // A sequence cut short at the end of a text, before a unit like the one of the last.
        if (!booksOnServer())
            QVERIFY(executeRaw(book_, QStringLiteral("insert into artikli(sifra,naziv,jedmjere) "
                                                     "values(cast(x'41c5' as text),'Žb','kom')")));
        QVERIFY(executeRaw(book_, QStringLiteral("delete from artikli where sifra='M2'")));
        Database db = Database::openBook(book_);
        QStringList selected, read;
        Recordset rs = db.openRecordset(QStringLiteral("select * from artikli order by naziv asc"));
        for (; !rs.eof(); rs.moveNext()) {
            QStringList fields;
            for (const char* name : {"id", "sifra", "naziv", "barkod", "jedmjere"})
                fields << rs.value(QString::fromLatin1(name)).toString();
            for (const char* name : {"minkolicina", "stanje", "vrijednost", "proscijena"})
                fields << QString::number(float(rs.number(QString::fromLatin1(name))));
            selected << fields.join(u'|');
        }
        for (const StockArticle& a : readArticleGroup(db, ArticleGroup::All))
            read << QStringList{QString::number(a.id),
                                a.sifra().toString(),
                                a.naziv().toString(),
                                a.barkod().toString(),
                                a.jedmjere().toString(),
                                QString::number(a.minkolicina),
                                QString::number(a.stanje),
                                QString::number(float(a.vrijednost.toDouble())),
                                QString::number(float(a.proscijena.toDouble()))}
                        .join(u'|');
        QCOMPARE(read, selected);
        QVERIFY(read.first().startsWith(QStringLiteral("12|N||")));
        if (!booksOnServer())
            QVERIFY(read.contains(QStringLiteral("13|12|Ža|2.5|\uFFFDA|0|0|0|0")));
    }

    // Codes that differ only in letter case are one code to every lookup: the status by code
    // lists both, and a card finds the first of them.
    void codeInOtherCase() {
        addPartners();
        const int lower = addArticle(book_, "ab", "Prvi", 0, 0, 0, "kom");
        const int upper = addArticle(book_, "AB", "Drugi", 0, 0, 0, "kom");
        // The same with the Croatian letters; "cz" is another code.
        addArticle(book_, "čž", QStringLiteral("Treći"), 0, 0, 0, "kom");
        addArticle(book_, "ČŽ", QStringLiteral("Četvrti"), 0, 0, 0, "kom");
        addArticle(book_, "cz", QStringLiteral("Peti"), 0, 0, 0, "kom");
        receipt(book_, QDate(2026, 5, 4), supplier_, {{upper, "1", "7"}}, type_);
        Database db = Database::openBook(book_);
        QCOMPARE(reportLines(stockStatusText(readArticlesByCode(db, QStringLiteral("Ab")))),
                 (QStringList{kStatusHeading, kRule,
                              "ab           Prvi                  kom       0,00       0,00      "
                              "   0,00     0,00",
                              "AB           Drugi                 kom       0,00       1,00      "
                              "   7,00     7,00"}));
        QCOMPARE(readCardArticle(db, ArticleKey::Code, QStringLiteral("AB")).id, lower);
        std::vector<StockCard> cards;
        readGroupCards(db, ArticleGroup::All, cards);
        QCOMPARE(codesAndLines(cards), (QStringList{"čž0", "ab0", "cz0", "ab0", "čž0"}));
    }

    // The cards made line by line as they are shown are the text, line for line, and know its
    // widest line.
    static int checkShownLineByLine(const std::vector<StockCard>& cards) {
        const auto report = stockCardsReport(cards);
        QStringList lines;
        qsizetype widest = 0;
        for (int i = 0; i < report->lineCount(); ++i) {
            lines << report->line(i);
            widest = std::max(widest, lines.back().size());
        }
        [&] {
            QCOMPARE(lines.join("\r\n") + "\r\n", stockCardsText(cards));
            QCOMPARE(report->text(), stockCardsText(cards));
            QCOMPARE(report->widestLine(), int(widest));
        }();
        return int(widest);
    }

    // Figures wider than their columns are kept whole and widen the line past the column
    // heading's 88 characters: 123 456 789 received at 98 765,43.
    void cardsWiderThanTheirColumns() {
        addPartners();
        const int big = addArticle(book_, "B1", "Veliki", 0, 0, 0, "kom");
        receipt(book_, QDate(2026, 5, 4), supplier_, {{big, "123456789", "98765,43"}}, type_);
        Database db = Database::openBook(book_);
        std::vector<StockCard> cards;
        readGroupCards(db, ArticleGroup::All, cards);
        QVERIFY(checkShownLineByLine(cards) > 88);
    }

    // The stock status shown line by line is its whole text's lines, its widest line the widest
    // of them: a figure too long for its column pushes the line, a long code or name does not.
    void statusShownLineByLine_data() {
        QTest::addColumn<double>("stock");
        QTest::addColumn<double>("value");
        dataRow("fits", 12.5, 100.0);
        dataRow("stock too long", 123456789.0, 100.0);
        dataRow("value too long", 1.0, 98765432109.5);
        dataRow("negative", -99999.0, -12345678.25);
    }
    void statusShownLineByLine() {
        QFETCH(double, stock);
        QFETCH(double, value);
        StockArticle odd;
        odd.setTexts(u"ŠIFRA-DUGA-0000123", u"Podložna pločica okrugla pocinčana M12", {}, u"kom");
        odd.stanje = float(stock);
        odd.vrijednost = Currency::fromDouble(value);
        odd.proscijena = Currency::fromDouble(value / 3);
        StockArticle plain;
        plain.setTexts(u"A1", {});
        const auto articles =
            std::make_shared<const std::vector<StockArticle>>(std::vector{plain, odd, plain});
        compareShownLineByLine(*stockStatusReport(articles), stockStatusText(*articles));
    }

    // Lines whose header is odd: a kind other than "P" or "I" (an issue), a number of more than
    // six digits (kept whole), a header that is gone (no kind, no number). The card of one article
    // and the cards of all read them alike.
    void cardsOfOddHeaders() {
        addPartners();
        const int a = addArticle(book_, "O1", "Odd", 0, 0, 0, "kom");
        receipt(book_, QDate(2026, 5, 4), supplier_, {{a, "5", "2"}}, type_);
        const QString article = QString::number(a);
        QVERIFY(executeRaw(book_, "update pi set brojpi=12345678"));
        QVERIFY(executeRaw(book_, "insert into pi (pi,brojpi) values ('Č',-7)"));
        QVERIFY(
            executeRaw(book_, "insert into ulazizlaz (idartikla,idpi,kolicina,cijena) values (" +
                                  article + ",(select max(id) from pi),1,2)"));
        QVERIFY(
            executeRaw(book_, "insert into ulazizlaz (idartikla,idpi,kolicina,cijena) values (" +
                                  article + ",999,1,2)"));
        const QStringList lines{
            "   1. P12345678     5,00     2,00     0,00     0,00       5,00        10,00      2,00",
            "   2. Č    -7     0,00     0,00     1,00     2,00       4,00         8,00      2,00",
            "   3.             0,00     0,00     1,00     2,00       3,00         6,00      2,00"};
        QCOMPARE(reportLines(cardText(ArticleKey::Code, "O1")).mid(6, 3), lines);
        Database db = Database::openBook(book_);
        std::vector<StockCard> cards;
        readGroupCards(db, ArticleGroup::All, cards);
        QCOMPARE(reportLines(stockCardsText(cards)).mid(8, 3), lines);
        checkShownLineByLine(cards);
    }

    void cardsOfGroup() {
        fillBook();
        Database db = Database::openBook(book_);
        std::vector<StockCard> cards;
        readGroupCards(db, ArticleGroup::BelowMinimum, cards);
        const QString dashes(83, u'-'), blank(83, u' ');
        QCOMPARE(
            reportLines(stockCardsText(cards)),
            QStringList({kCardLabels, kRule, ""}) +
                cardBlock("K3            Kutija kartonska velika A                             "
                          "pak       20,00",
                          {"   1. P     2     3,00     1,25     0,00     0,00       3,00         "
                           "3,75      1,25",
                           dashes, blank, blank}) +
                cardBlock("C4            Čavao 50 mm                                           "
                          "kg         2,00",
                          {"   1. P     3     2,00     4,00     0,00     0,00       2,00         "
                           "8,00      4,00",
                           "   2. I     2     0,00     0,00     2,00     4,00       0,00         "
                           "0,00      4,00",
                           dashes, blank, blank}));
        checkShownLineByLine(cards);
        readGroupCards(db, ArticleGroup::ZeroStock, cards);
        QCOMPARE(codesAndLines(cards), (QStringList{"M20", "C42", "C50", "B60"}));

        // A failure while the lines are read leaves the group's articles, so their cards show the
        // heading blocks without lines.
        QVERIFY(executeRaw(book_, QStringLiteral("drop table pi")));
        QVERIFY_THROWS_EXCEPTION(DbError, readGroupCards(db, ArticleGroup::BelowMinimum, cards));
        QCOMPARE(codesAndLines(cards), (QStringList{"K30", "C40"}));
    }
};

QTEST_MAIN(Tst_stockreports)
#include "tst_stockreports.moc"
