// Walks through the article overview window: the options it opens with, which frames each scope
// enables, which report each combination of options makes, and printing.

#include "data/database.h"
#include "reportfixture.h"
#include "reports/frmpregledart.h"
#include "reports/stockreports.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

using namespace kl;
using namespace kl::test;

namespace {

QRadioButton* option(QWidget* w, const QString& name) {
    return control<QRadioButton>(w, name);
}

QStringList chooserEntries(QComboBox* box, int role = Qt::DisplayRole) {
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries << box->itemData(i, role).toString();
    return entries;
}

// The report each combination of options must make.
enum class Expected {
    StatusOfV2,
    StatusOfM2,
    StatusAll,
    StatusZero,
    StatusBelowMinimum,
    CardOfV1,
    CardOfV2,
    CardsAll,
    CardsZero,
    CardsBelowMinimum,
};

}  // namespace

class Tst_frmpregledart : public ReportTest {
    Q_OBJECT

    // Two articles named "Vijak" (V1 with stock, V2 below its minimum), M2 with none.
    void fillBook() {
        const QString supplier = QStringLiteral("Dobavljač d.o.o.");
        addPartner(book_, QStringLiteral("d"), supplier);
        addDocumentType(book_, QStringLiteral("Račun"));
        const int v1 = addArticle(book_, "V1", "Vijak", 0, 0, 0, "kom", 1);
        const int v2 = addArticle(book_, "V2", "Vijak", 0, 0, 0, "kom", 50);
        addArticle(book_, "M2", "Matica", 0, 0, 0, "kom");
        receipt(book_, QDate(2026, 2, 2), supplier, {{v1, "10", "2"}, {v2, "3", "5"}},
                QStringLiteral("Račun"));
    }

    frmPregledart* open() { return shown(windows().window<frmPregledart>(win::PregledArtikala)); }

    QString expectedText(Expected e) {
        Database db = Database::open(book_);
        auto cards = [&db](ArticleGroup g) {
            std::vector<StockCard> c;
            readGroupCards(db, g, c);
            return stockCardsText(c);
        };
        auto card = [&db](const QString& code) {
            StockCard c{readCardArticle(db, ArticleKey::Code, code), {}};
            c.lines = readCardLines(db, c.article.id);
            return stockCardText(c);
        };
        switch (e) {
            case Expected::StatusOfV2:
                return stockStatusText(readArticlesByCode(db, QStringLiteral("V2")));
            case Expected::StatusOfM2:
                return stockStatusText(readArticlesByCode(db, QStringLiteral("M2")));
            case Expected::StatusAll:
                return stockStatusText(readArticleGroup(db, ArticleGroup::All));
            case Expected::StatusZero:
                return stockStatusText(readArticleGroup(db, ArticleGroup::ZeroStock));
            case Expected::StatusBelowMinimum:
                return stockStatusText(readArticleGroup(db, ArticleGroup::BelowMinimum));
            case Expected::CardOfV1:
                return card(QStringLiteral("V1"));
            case Expected::CardOfV2:
                return card(QStringLiteral("V2"));
            case Expected::CardsAll:
                return cards(ArticleGroup::All);
            case Expected::CardsZero:
                return cards(ArticleGroup::ZeroStock);
            case Expected::CardsBelowMinimum:
                return cards(ArticleGroup::BelowMinimum);
        }
        return QString();
    }

  private slots:
    void opensWithOneArticleByName() {
        fillBook();
        frmPregledart* w = open();
        QVERIFY(w);
        QCOMPARE(w->caption(), QStringLiteral("Pregled artikala"));
        for (const char* name : {"optstanjeart", "Optjedanart", "optnazivart", "optsveart"})
            QVERIFY2(option(w, QString::fromLatin1(name))->isChecked(), name);
        auto* frame3 = control<QGroupBox>(w, QStringLiteral("Frame3"));
        auto* frame4 = control<QGroupBox>(w, QStringLiteral("Frame4"));
        auto* cbood = control<QComboBox>(w, QStringLiteral("cbood"));
        QVERIFY(frame3->isEnabled() && !frame4->isEnabled());
        QVERIFY(!cbood->isEditable());
        QCOMPARE(chooserEntries(cbood), (QStringList{"Matica", "Vijak", "Vijak"}));
        QCOMPARE(chooserEntries(cbood, Qt::UserRole), (QStringList{"M2", "V1", "V2"}));
        QCOMPARE(cbood->currentIndex(), 0);

        option(w, QStringLiteral("optviseart"))->click();
        QVERIFY(!frame3->isEnabled() && frame4->isEnabled());
        option(w, QStringLiteral("Optjedanart"))->click();
        QVERIFY(frame3->isEnabled() && !frame4->isEnabled());

        option(w, QStringLiteral("optsifraart"))->click();
        QCOMPARE(chooserEntries(cbood), (QStringList{"M2", "V1", "V2"}));
        QCOMPARE(cbood->currentText(), QStringLiteral("M2"));
        option(w, QStringLiteral("optnazivart"))->click();
        QCOMPARE(chooserEntries(cbood), (QStringList{"Matica", "Vijak", "Vijak"}));
    }

    void dispatch_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("scope");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("expected");
        const QString status = QStringLiteral("optstanjeart");
        const QString cards = QStringLiteral("optkarticeart");
        const QString one = QStringLiteral("Optjedanart");
        const QString several = QStringLiteral("optviseart");
        const QString byName = QStringLiteral("optnazivart");
        const QString byCode = QStringLiteral("optsifraart");
        const QString all = QStringLiteral("optsveart");
        const QString zero = QStringLiteral("optkolicinanulart");
        const QString below = QStringLiteral("optminkolicinaart");
        // The second "Vijak" of the names is V2; the codes are M2, V1, V2.
        dataRow("status, one by name", status, one, byName, 2, all, int(Expected::StatusOfV2));
        dataRow("status, one by code", status, one, byCode, 0, all, int(Expected::StatusOfM2));
        dataRow("status, all", status, several, byName, 2, all, int(Expected::StatusAll));
        dataRow("status, zero", status, several, byName, 2, zero, int(Expected::StatusZero));
        dataRow("status, below minimum", status, several, byName, 2, below,
                int(Expected::StatusBelowMinimum));
        dataRow("card, one by name", cards, one, byName, 2, all, int(Expected::CardOfV1));
        dataRow("card, one by code", cards, one, byCode, 2, all, int(Expected::CardOfV2));
        dataRow("cards, all", cards, several, byCode, 0, all, int(Expected::CardsAll));
        dataRow("cards, zero", cards, several, byName, 0, zero, int(Expected::CardsZero));
        dataRow("cards, below minimum", cards, several, byName, 0, below,
                int(Expected::CardsBelowMinimum));
    }
    void dispatch() {
        QFETCH(QString, kind);
        QFETCH(QString, scope);
        QFETCH(QString, choice);
        QFETCH(int, entry);
        QFETCH(QString, group);
        QFETCH(int, expected);
        fillBook();
        frmPregledart* w = open();
        QVERIFY(w);
        option(w, kind)->click();
        option(w, choice)->click();
        control<QComboBox>(w, QStringLiteral("cbood"))->setCurrentIndex(entry);
        option(w, scope)->click();
        option(w, group)->click();
        QTest::mouseClick(control<QPushButton>(w, QStringLiteral("cmdprikazart")), Qt::LeftButton);
        const QString text = expectedText(Expected(expected));
        QVERIFY(!text.isEmpty());
        QCOMPARE(w->reportText(), text);
        QCOMPARE(box_->count(), 0);
    }

    void cardOfNoArticle() {
        frmPregledart* w = open();
        QVERIFY(w);
        option(w, QStringLiteral("optkarticeart"))->click();
        QTest::mouseClick(control<QPushButton>(w, QStringLiteral("cmdprikazart")), Qt::LeftButton);
        QCOMPARE(w->reportText(), QString());
        QCOMPARE(box_->count(), 1);
        QCOMPARE(box_->last().prompt, QStringLiteral("Nema trenutnog zapisa."));
        QCOMPARE(box_->last().style, MsgStyle::OkOnly);
    }

    void print_data() {
        QTest::addColumn<bool>("report");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("pages");
        dataRow("no report", false, int(MsgResult::Yes), 0);
        dataRow("answered no", true, int(MsgResult::No), 0);
        dataRow("answered yes", true, int(MsgResult::Yes), 2);
    }
    void print() {
        QFETCH(bool, report);
        QFETCH(int, answer);
        QFETCH(int, pages);
        for (int i = 1; i <= 80; ++i)
            addArticle(book_, QStringLiteral("A%1").arg(i), QStringLiteral("Artikl %1").arg(i));
        frmPregledart* w = open();
        QVERIFY(w);
        option(w, QStringLiteral("optviseart"))->click();
        if (report) {
            QTest::mouseClick(control<QPushButton>(w, QStringLiteral("cmdprikazart")),
                              Qt::LeftButton);
            QCOMPARE(w->reportText().count(QStringLiteral("\r\n")), 82);
        }
        box_->answer(answer);
        QTest::mouseClick(control<QPushButton>(w, QStringLiteral("cmdispisart")), Qt::LeftButton);
        if (!report) {
            QCOMPARE(box_->count(), 0);
            QVERIFY(printed_.isEmpty());
            return;
        }
        QCOMPARE(box_->shown().first().prompt, QStringLiteral("Ispis na pisač?"));
        QCOMPARE(box_->shown().first().title, QStringLiteral("Ispis!"));
        QCOMPARE(printed_.size(), pages ? 1 : 0);
        if (!pages) return;
        QCOMPARE(pdfPageCount(printed_.first()), pages);
        const QStringList texts = pdfPageTexts(printed_.first());
        QCOMPARE(texts.size(), pages);
        // pdftotext shows runs of blanks shortened; the words are what count.
        QVERIFY(
            texts.first().simplified().startsWith(QStringLiteral("Šifra Naziv J.mj. Min.kol.")));
        QVERIFY(texts.last().simplified().endsWith(
            QStringLiteral("A9 Artikl 9 kom 0,00 0,00 0,00 0,00")));
    }
};

QTEST_MAIN(Tst_frmpregledart)
#include "tst_frmpregledart.moc"
