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
    "Šifra        Naziv                 J.mj. Min.kol. Stanje     Vrijednost   "
    "Pr.cijena");
const QString kRule = QString(83, u'_');
const QString kDashes = QString(83, u'-');
const QString kBlankLine = QString(83, u' ');
const QString kCardLabels = QStringLiteral(
    "Šifra:        Naziv:                                  Barkod:       J.m.: Min.kol.");
const QStringList kCardColumns = {
    kRule,
    QStringLiteral("R.br. V B.P/I Ulaz              Izlaz             Stanje     Vrijednost   "
                   "Pr.cijena"),
    QString(14, u' ') + QStringLiteral("Količina Cijena   Količina Cijena   ") + QString(38, u' '),
    kRule,
};

// The lines of a report text; fails when a line does not end in CR LF.
QStringList linesOf(const QString& text) {
    if (text.isEmpty()) return {};
    if (!text.endsWith(QLatin1String("\r\n"))) {
        QTest::qFail("the text does not end with CR LF", __FILE__, __LINE__);
        return {};
    }
    QStringList lines = text.chopped(2).split(QStringLiteral("\r\n"));
    for (const QString& l : lines)
        if (l.contains(u'\n') || l.contains(u'\r'))
            QTest::qFail("a bare line end", __FILE__, __LINE__);
    return lines;
}

void compareText(const QString& text, const QStringList& expected) {
    const QStringList lines = linesOf(text);
    for (int i = 0; i < std::min(lines.size(), expected.size()); ++i) {
        if (lines[i] != expected[i]) {
            QTest::qFail(qPrintable(QStringLiteral("line %1:\n   got '%2'\n wanted '%3'")
                                        .arg(i + 1)
                                        .arg(lines[i], expected[i])),
                         __FILE__, __LINE__);
            return;
        }
    }
    QCOMPARE(lines.size(), expected.size());
}

}  // namespace

class Tst_stockreports : public ReportTest {
    Q_OBJECT

    QString supplier_ = QStringLiteral("Dobavljač d.o.o.");
    QString customer_ = QStringLiteral("Kupac d.o.o.");
    QString documentType_ = QStringLiteral("Račun");
    int v1_ = 0, m2_ = 0, k3_ = 0, c4_ = 0, c5_ = 0, b6_ = 0;

    void addPartners() {
        addPartner(book_, QStringLiteral("d"), supplier_);
        addPartner(book_, QStringLiteral("k"), customer_);
        addDocumentType(book_, documentType_);
    }

    // Six articles: V1 with 10 received at 2,00 and 4 issued; M2 never moved; K3 3 received, below
    // its minimum of 20; C4 2 received and 2 issued (zero stock, below its minimum of 2); C5 and
    // B6 never moved, with names of 23 and 22 characters.
    void fillBook() {
        addPartners();
        v1_ = addArticle(book_, "V1", "Vijak M6", 0, 0, 0, "kom", 5, "3850000000001");
        m2_ = addArticle(book_, "M2", "Matica M6", 0, 0, 0, "kom");
        k3_ = addArticle(book_, "K3", "Kutija kartonska velika A", 0, 0, 0, "pak", 20);
        c4_ = addArticle(book_, "C4", "Čavao 50 mm", 0, 0, 0, "kg", 2);
        c5_ = addArticle(book_, "C5", "Cijev bakrena dugacka 2", 0, 0, 0, "m");
        b6_ = addArticle(book_, "B6", "Brtva gumena okrugla 1", 0, 0, 0, "kom");
        const QDate day(2026, 3, 2);
        receipt(book_, day, supplier_, {{v1_, "10", "2"}}, documentType_);
        receipt(book_, day, supplier_, {{k3_, "3", "1,25"}}, documentType_);
        receipt(book_, day, supplier_, {{c4_, "2", "4"}}, documentType_);
        issue(book_, day.addDays(1), customer_, {{v1_, "4", "2"}});
        issue(book_, day.addDays(1), customer_, {{c4_, "2", "4"}});
    }

    StockCard cardOf(int id) {
        Database db = Database::open(book_);
        std::vector<StockArticle> all = readArticleGroup(db, ArticleGroup::All);
        const auto it = std::find_if(all.begin(), all.end(),
                                     [id](const StockArticle& a) { return a.id == id; });
        return {*it, readCardLines(db, id)};
    }

  private slots:
    void cardOfReceiptThenIssue_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        dataRow("by name", int(ArticleKey::Name), QStringLiteral("Vijak M6"));
        dataRow("by name, other case", int(ArticleKey::Name), QStringLiteral("VIJAK m6"));
        dataRow("by code", int(ArticleKey::Code), QStringLiteral("V1"));
        dataRow("by code, other case", int(ArticleKey::Code), QStringLiteral("v1"));
    }
    void cardOfReceiptThenIssue() {
        QFETCH(int, key);
        QFETCH(QString, text);
        fillBook();
        Database db = Database::open(book_);
        StockCard card{readCardArticle(db, ArticleKey(key), text), {}};
        card.lines = readCardLines(db, card.article.id);
        QCOMPARE(card.article.id, v1_);
        compareText(
            stockCardText(card),
            QStringList{kCardLabels, QStringLiteral("V1            Vijak M6                      "
                                                    "          3850000000001 kom        5,00")} +
                kCardColumns +
                QStringList{
                    QStringLiteral("   1. P     1    10,00     2,00     0,00     0,00      10,00 "
                                   "       20,00      2,00"),
                    QStringLiteral("   2. I     1     0,00     0,00     4,00     2,00       6,00 "
                                   "       12,00      2,00"),
                });
    }

    void cardKeepsAverageAtZeroStock() {
        addPartners();
        const int id = addArticle(book_, "B2", "Matica M6");
        const QDate day(2026, 4, 1);
        receipt(book_, day, supplier_, {{id, "10", "3"}}, documentType_);
        receipt(book_, day, supplier_, {{id, "5", "4"}}, documentType_);
        issue(book_, day, customer_, {{id, "15", "3,33"}});
        compareText(stockCardText(cardOf(id)),
                    QStringList{kCardLabels,
                                QStringLiteral("B2            Matica M6                           "
                                               "                  kom        0,00")} +
                        kCardColumns +
                        QStringList{
                            QStringLiteral("   1. P     1    10,00     3,00     0,00     0,00     "
                                           " 10,00        30,00      3,00"),
                            QStringLiteral("   2. P     2     5,00     4,00     0,00     0,00     "
                                           " 15,00        50,00      3,33"),
                            QStringLiteral("   3. I     1     0,00     0,00    15,00     3,33     "
                                           "  0,00         0,05      3,33"),
                        });
    }

    void cardWithoutLines() {
        fillBook();
        compareText(stockCardText(cardOf(m2_)),
                    QStringList{kCardLabels,
                                QStringLiteral("M2            Matica M6                           "
                                               "                  kom        0,00")} +
                        kCardColumns);
    }

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
        Database db = Database::open(book_);
        compareText(stockStatusText(readArticleGroup(db, ArticleGroup(group))),
                    QStringList{kStatusHeading, kRule} + lines);
    }

    void statusOfEmptyResult() { compareText(stockStatusText({}), {kStatusHeading, kRule}); }

    // Codes that differ only in letter case are one code to every lookup: the status by code
    // lists both, and a card finds the first of them.
    void codeInOtherCase() {
        addPartners();
        const int lower = addArticle(book_, "ab", "Prvi", 0, 0, 0, "kom");
        const int upper = addArticle(book_, "AB", "Drugi", 0, 0, 0, "kom");
        receipt(book_, QDate(2026, 5, 4), supplier_, {{upper, "1", "7"}}, documentType_);
        Database db = Database::open(book_);

        compareText(stockStatusText(readArticlesByCode(db, QStringLiteral("Ab"))),
                    {kStatusHeading, kRule,
                     QStringLiteral("ab           Prvi                  kom       0,00       "
                                    "0,00         0,00     0,00"),
                     QStringLiteral("AB           Drugi                 kom       0,00       "
                                    "1,00         7,00     7,00")});
        QCOMPARE(readCardArticle(db, ArticleKey::Code, QStringLiteral("AB")).id, lower);

        std::vector<StockCard> cards;
        readGroupCards(db, ArticleGroup::All, cards);
        QCOMPARE(cards.size(), size_t(2));
        for (const StockCard& card : cards) {
            QCOMPARE(card.article.id, lower);
            QVERIFY(card.lines.empty());
        }
    }

    void cardsOfGroup() {
        fillBook();
        Database db = Database::open(book_);
        std::vector<StockCard> cards;
        readGroupCards(db, ArticleGroup::BelowMinimum, cards);
        const QStringList expected =
            QStringList{kCardLabels, kRule, QString()} +
            QStringList{QStringLiteral("K3            Kutija kartonska velika A               "
                                       "              pak       20,00")} +
            kCardColumns +
            QStringList{
                QStringLiteral("   1. P     2     3,00     1,25     0,00     0,00       3,00     "
                               "    3,75      1,25"),
                kDashes,
                kBlankLine,
                kBlankLine,
                QStringLiteral("C4            Čavao 50 mm                                      "
                               "     kg         2,00"),
            } +
            kCardColumns +
            QStringList{
                QStringLiteral("   1. P     3     2,00     4,00     0,00     0,00       2,00     "
                               "    8,00      4,00"),
                QStringLiteral("   2. I     2     0,00     0,00     2,00     4,00       0,00     "
                               "    0,00      4,00"),
                kDashes,
                kBlankLine,
                kBlankLine,
            };
        compareText(stockCardsText(cards), expected);
    }

    void cardsOfGroupWithoutLinesOrArticles() {
        fillBook();
        Database db = Database::open(book_);
        std::vector<StockCard> cards;
        readGroupCards(db, ArticleGroup::ZeroStock, cards);
        QStringList ids;
        for (const StockCard& c : cards)
            ids << c.article.sifra + QString::number(c.lines.size());
        QCOMPARE(ids, (QStringList{"M20", "C42", "C50", "B60"}));
        QVERIFY(executeRaw(book_, QStringLiteral("delete from artikli")));
        readGroupCards(db, ArticleGroup::ZeroStock, cards);
        compareText(stockCardsText(cards), {kCardLabels, kRule, QString()});
    }

    // A failure while the lines are read leaves the group's articles, so their cards show the
    // heading blocks without lines.
    void cardsKeepArticlesWhenLinesFail() {
        fillBook();
        QVERIFY(executeRaw(book_, QStringLiteral("drop table pi")));
        Database db = Database::open(book_);
        std::vector<StockCard> cards;
        QVERIFY_THROWS_EXCEPTION(DbError, readGroupCards(db, ArticleGroup::BelowMinimum, cards));
        QCOMPARE(cards.size(), size_t(2));
        QCOMPARE(cards[0].article.sifra, QStringLiteral("K3"));
        QCOMPARE(cards[1].article.sifra, QStringLiteral("C4"));
        QVERIFY(cards[0].lines.empty() && cards[1].lines.empty());
    }
};

QTEST_MAIN(Tst_stockreports)
#include "tst_stockreports.moc"
