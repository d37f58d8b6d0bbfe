// Walks through the article overview window: the options it opens with, which frames each scope
// enables, which report each combination of options makes, and printing.

#include "data/database.h"
#include "reportfixture.h"
#include "reports/frmpregledart.h"
#include "reports/stockreports.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTemporaryDir>

using namespace kl;
using namespace kl::test;

namespace {

QStringList chooserEntries(QComboBox* box, int role = Qt::DisplayRole) {
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries << box->itemData(i, role).toString();
    return entries;
}

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

    // The report the text builders make of the article with `code` (its status or its card), or
    // of `group` without a code.
    QString expectedText(bool cards, const QString& code, ArticleGroup group) {
        Database db = Database::openBook(book_);
        if (code.isEmpty() && !cards) return stockStatusText(readArticleGroup(db, group));
        if (code.isEmpty()) {
            std::vector<StockCard> c;
            readGroupCards(db, group, c);
            return stockCardsText(c);
        }
        if (!cards) return stockStatusText(readArticlesByCode(db, code));
        StockCard c{readCardArticle(db, ArticleKey::Code, code), {}};
        c.lines = readCardLines(db, c.article.id);
        return stockCardText(c);
    }

  private slots:
    void opensWithOneArticleByName() {
        fillBook();
        frmPregledart* w = open();
        QVERIFY(w);
        QCOMPARE(w->caption(), QStringLiteral("Pregled artikala"));
        for (const char* name : {"optstanjeart", "Optjedanart", "optnazivart", "optsveart"})
            QVERIFY2(control<QRadioButton>(w, name)->isChecked(), name);
        auto* frame3 = control<QGroupBox>(w, QStringLiteral("Frame3"));
        auto* frame4 = control<QGroupBox>(w, QStringLiteral("Frame4"));
        auto* cbood = control<QComboBox>(w, QStringLiteral("cbood"));
        QVERIFY(frame3->isEnabled() && !frame4->isEnabled());
        QVERIFY(!cbood->isEditable());
        QCOMPARE(chooserEntries(cbood), (QStringList{"Matica", "Vijak", "Vijak"}));
        QCOMPARE(chooserEntries(cbood, Qt::UserRole), (QStringList{"M2", "V1", "V2"}));

        clickOn(w, "optviseart");
        QVERIFY(!frame3->isEnabled() && frame4->isEnabled());
        clickOn(w, "Optjedanart");
        QVERIFY(frame3->isEnabled() && !frame4->isEnabled());
        clickOn(w, "optsifraart");
        QCOMPARE(chooserEntries(cbood), (QStringList{"M2", "V1", "V2"}));
        QCOMPARE(cbood->currentText(), QStringLiteral("M2"));
        clickOn(w, "optnazivart");
        QCOMPARE(chooserEntries(cbood), (QStringList{"Matica", "Vijak", "Vijak"}));
    }

    // The options clicked in order (a click on a disabled frame's option does nothing) with the
    // chooser entry chosen after each, and the article code or group of the report expected.
    void dispatch_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("group");
        const QString status = "optstanjeart", cards = "optkarticeart", one = "Optjedanart",
                      several = "optviseart", byName = "optnazivart", byCode = "optsifraart";
        const int all = int(ArticleGroup::All), zero = int(ArticleGroup::ZeroStock),
                  below = int(ArticleGroup::BelowMinimum);
        // The second "Vijak" of the names is V2; the codes are M2, V1, V2.
        dataRow("status, one by name", QStringList{status, byName, one}, 2, QString("V2"), all);
        dataRow("status, one by code", QStringList{status, byCode, one}, 0, QString("M2"), all);
        dataRow("status, all", QStringList{status, several, "optsveart"}, 2, QString(), all);
        dataRow("status, zero", QStringList{status, several, "optkolicinanulart"}, 2, QString(),
                zero);
        dataRow("status, below minimum", QStringList{status, several, "optminkolicinaart"}, 2,
                QString(), below);
        dataRow("card, one by name", QStringList{cards, byName, one}, 2, QString("V1"), all);
        dataRow("card, one by code", QStringList{cards, byCode, one}, 2, QString("V2"), all);
        dataRow("cards, all", QStringList{cards, byCode, several, "optsveart"}, 0, QString(), all);
        dataRow("cards, zero", QStringList{cards, several, "optkolicinanulart"}, 0, QString(),
                zero);
        dataRow("cards, below minimum", QStringList{cards, several, "optminkolicinaart"}, 0,
                QString(), below);
    }
    void dispatch() {
        QFETCH(QStringList, options);
        QFETCH(int, entry);
        QFETCH(QString, code);
        QFETCH(int, group);
        fillBook();
        frmPregledart* w = open();
        QVERIFY(w);
        for (const QString& o : options) {
            clickOn(w, qPrintable(o));
            control<QComboBox>(w, "cbood")->setCurrentIndex(entry);
        }
        clickOn(w, "cmdprikazart");
        const QString text =
            expectedText(options.first() == "optkarticeart", code, ArticleGroup(group));
        QVERIFY(!text.isEmpty());
        QCOMPARE(w->reportText(), text);
        QCOMPARE(box_->count(), 0);
    }

    // "na dan": V1 in on 2.2. (10), 4 out on 5.2.; the status, the one card and the cards of a
    // group at the end of a day before the issue, or before everything, each a group chosen by
    // that day's figures, the cards without the later lines (their headings left out here).
    void atADay_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QStringList>("shown");  // the lines of the report, blanks simplified
        const QString status = "optstanjeart", cards = "optkarticeart", several = "optviseart";
        const QString v1 = "V1 Vijak kom 1,00", v2 = "V2 Vijak kom 50,00",
                      m2 = "M2 Matica kom 0,00",
                      v1in = "1. P 1 10,00 2,00 0,00 0,00 10,00 20,00 2,00",
                      v2in = "1. P 1 3,00 5,00 0,00 0,00 3,00 15,00 5,00";
        dataRow(
            "status, all", QStringList{status, several, "optsveart"}, QDate(2026, 2, 3),
            QStringList{m2 + " 0,00 0,00 0,00", v1 + " 10,00 20,00 2,00", v2 + " 3,00 15,00 5,00"});
        dataRow("cards, all", QStringList{cards, several, "optsveart"}, QDate(2026, 2, 3),
                QStringList{m2, v1, v1in, v2, v2in});
        dataRow("cards, zero", QStringList{cards, several, "optkolicinanulart"}, QDate(2026, 2, 1),
                QStringList{v1, v2, m2});
        dataRow("cards, below minimum", QStringList{cards, several, "optminkolicinaart"},
                QDate(2026, 2, 3), QStringList{v2, v2in});
        dataRow("card, one", QStringList{cards, "Optjedanart", "optsifraart"}, QDate(2026, 2, 3),
                QStringList{v1, v1in});
    }
    void atADay() {
        QFETCH(QStringList, options);
        QFETCH(QDate, day);
        QFETCH(QStringList, shown);
        fillBook();
        addPartner(book_, QStringLiteral("k"), QStringLiteral("Kupac"));
        issue(book_, QDate(2026, 2, 5), QStringLiteral("Kupac"), {{1, "4", "2"}});
        frmPregledart* w = open();
        for (const QString& o : options)
            clickOn(w, qPrintable(o));
        control<QComboBox>(w, "cbood")->setCurrentIndex(1);  // V1 of the codes
        clickOn(w, "chknadan");
        control<QDateEdit>(w, "dtnadan")->setDate(day);
        clickOn(w, "cmdprikazart");
        QStringList lines;
        for (const QString& l : reportLines(w->reportText()))
            if (!l.trimmed().isEmpty() && !l.startsWith(u'_') && !l.startsWith(u'-') &&
                !l.trimmed().startsWith(u"Šifra") && !l.startsWith(u"R.br.") &&
                !l.trimmed().startsWith(u"Količina"))
                lines << l.simplified();
        QCOMPARE(lines, shown);
        QCOMPARE(box_->count(), 0);
    }

    // The stock status of all articles into a spreadsheet, CSV and .xlsx, from the rows the text
    // is made of; a card shown exports nothing; a file there is replaced only after "Da".
    void exportStatus() {
        fillBook();
        frmPregledart* w = open();
        QVERIFY(w);
        QTemporaryDir dir;
        QString proposed;
        ReportWindow::setSaveFileChooser([&](const QString&, const QString& p) {
            proposed = p;
            return dir.filePath("stanje");
        });
        const auto guard = qScopeGuard([] { ReportWindow::setSaveFileChooser({}); });
        QVERIFY(w->findChild<QPushButton*>("cmdizvozexcel")->isVisible());
        clickOn(w, "optviseart");
        clickOn(w, "cmdprikazart");
        clickOn(w, "cmdizvozcsv");
        QVERIFY(proposed.endsWith("Stanje artikala " + QDate::currentDate().toString("dd.MM.yyyy") +
                                  ".csv"));
        QFile csv(dir.filePath("stanje.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(
            QString::fromUtf8(csv.readAll()).split("\r\n").mid(2),
            QStringList({"Šifra;Naziv;J.mj.;Min.kol.;Stanje;Vrijednost;Pr.cijena",
                         "M2;Matica;kom;0,00;0,00;0,00;0,00", "V1;Vijak;kom;1,00;10,00;20,00;2,00",
                         "V2;Vijak;kom;50,00;3,00;15,00;5,00", "Ukupno;;;;;35,00;", ""}));
        box_->answer(MsgResult::No);
        clickOn(w, "cmdizvozcsv");  // there already: kept after "Ne"
        QVERIFY(box_->last().prompt.endsWith("već postoji. Zamijeniti je?"));
        clickOn(w, "cmdizvozexcel");
        QVERIFY(QFile::exists(dir.filePath("stanje.xlsx")));
        QCOMPARE(box_->last().title, "Izvoz u Excel");
        // The cards of all articles, read again for the export; the folder chosen is proposed.
        clickOn(w, "optkarticeart");
        clickOn(w, "optviseart");
        clickOn(w, "optsveart");
        clickOn(w, "cmdprikazart");
        ReportWindow::setSaveFileChooser([&](const QString&, const QString& p) {
            proposed = p;
            return dir.filePath("kartice");
        });
        clickOn(w, "cmdizvozcsv");
        QCOMPARE(QFileInfo(proposed).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
        QFile cards(dir.filePath("kartice.csv"));
        QVERIFY(cards.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(cards.readAll()).split("\r\n").mid(3),
                 QStringList({"M2;Matica", "V1;Vijak;1;P;1;10,00;2,00;0,00;0,00;10,00;20,00;2,00",
                              "V2;Vijak;1;P;1;3,00;5,00;0,00;0,00;3,00;15,00;5,00", ""}));
    }

    void cardOfNoArticle() {
        frmPregledart* w = open();
        QVERIFY(w);
        clickOn(w, "optkarticeart");
        clickOn(w, "cmdprikazart");
        QCOMPARE(w->reportText(), QString());
        QCOMPARE(box_->count(), 1);
        QCOMPARE(box_->last().prompt, QStringLiteral("Nema trenutnog zapisa."));
        QCOMPARE(box_->last().style, MsgStyle::OkOnly);
        clickOn(w, "cmdizvozexcel");
        QCOMPARE(box_->last().prompt, "Najprije prikažite izvještaj (Prikaz), pa ga izvezite.");
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
        clickOn(w, "optviseart");
        if (report) clickOn(w, "cmdprikazart");
        QCOMPARE(w->reportText().count(QStringLiteral("\r\n")), report ? 82 : 0);
        box_->answer(answer);
        clickOn(w, "cmdispisart");
        QCOMPARE(box_->count() > 0, report);
        if (report) {
            QCOMPARE(box_->shown().first().prompt, QStringLiteral("Ispis na pisač?"));
            QCOMPARE(box_->shown().first().title, QStringLiteral("Ispis!"));
        }
        QCOMPARE(printed_.size(), pages ? 1 : 0);
        if (!pages) return;
        QCOMPARE(pdfPageCount(printed_.first()), pages);
        const QStringList texts = pdfPageTexts(printed_.first());
        QCOMPARE(texts.size(), pages);
        // pdftotext shows runs of blanks shortened; the words are what count.
        QVERIFY(
            texts.first().simplified().startsWith(QStringLiteral("Šifra Naziv J.mj. Min.kol.")));
        // The report's last line, then the page's footer.
        const QString last = texts.last().simplified();
        QVERIFY2(
            last.contains(QStringLiteral("A9 Artikl 9 kom 0,00 0,00 0,00 0,00 Stranica 2 od 2")),
            qPrintable(last));
    }
};

QTEST_MAIN(Tst_frmpregledart)
#include "tst_frmpregledart.moc"
