// The stock-taking: book figures at its date, counting left and resumed, the differences posted
// as one issue and one receipt to "Inventura" and the stock-taking closed; the window's walk.

#include "data/database.h"
#include "reportfixture.h"
#include "reports/frminventura.h"
#include "reports/inventura.h"
#include "reports/stockaudit.h"
#include "ui/sheetexport.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace kl;
using namespace kl::test;

class Tst_inventura : public ReportTest {
    Q_OBJECT

    int a_ = 0, b_ = 0, c_ = 0, d_ = 0;

    // A 10 x 2,00, B 5 x 4,00, C 3 x 1,00 in on 1.3.; 2 of A out on 5.3., after the stock-taking
    // date; D never moves.
    void fillBook() {
        addPartner(book_, QStringLiteral("d"), QStringLiteral("Dobavljač"));
        addPartner(book_, QStringLiteral("k"), QStringLiteral("Kupac"));
        addDocumentType(book_, QStringLiteral("Račun"));
        a_ = addArticle(book_, "A1", "Vijak");
        b_ = addArticle(book_, "B2", "Matica");
        c_ = addArticle(book_, "C3", "Pločica");
        d_ = addArticle(book_, "D4", "Čavao");
        receipt(book_, QDate(2026, 3, 1), QStringLiteral("Dobavljač"),
                {{a_, "10,00", "2,00"}, {b_, "5,00", "4,00"}, {c_, "3,00", "1,00"}},
                QStringLiteral("Račun"));
        issue(book_, QDate(2026, 3, 5), QStringLiteral("Kupac"), {{a_, "2,00", "2,00"}});
    }

    double stored(int id, const char* column) {
        Database db = Database::openBook(book_);
        return db
            .openRecordset(QStringLiteral("select %1 from artikli where id=?").arg(column), {id})
            .value(0)
            .toDouble();
    }

  private slots:
    void countedAndPosted() {
        fillBook();
        const qint64 id = startStockTaking(book_, QDate(2026, 3, 3));
        std::optional<StockTaking> st = loadStockTaking(book_, id);
        QVERIFY(st);
        QCOMPARE(st->broj, 1);
        QCOMPARE(st->lines.size(), size_t(4));
        // Book stock at 3.3.: A still 10 (today 8).
        const int la = findLine(*st, " a1 ");
        QCOMPARE(st->lines[size_t(la)].knjizno, 10.0);
        QCOMPARE(st->lines[size_t(la)].proscijena, 2.0);

        // Counted A 8 (2 short, 4,00), B 6 (1 over, 4,00), C 3; D not counted. Stored at once:
        // a new load (the counting resumed) has them.
        QCOMPARE(setCounted(book_, st->lines[size_t(la)].id, 8.0), QString());
        QCOMPARE(setCounted(book_, st->lines[size_t(findLine(*st, "B2"))].id, 6.0), QString());
        QCOMPARE(setCounted(book_, st->lines[size_t(findLine(*st, "C3"))].id, 3.0), QString());
        st = loadStockTaking(book_, id);
        QCOMPARE(st->lines[size_t(findLine(*st, "B2"))].popisano, std::optional<double>(6.0));
        QVERIFY(!st->lines[size_t(findLine(*st, "D4"))].popisano);
        const QStringList diff = reportLines(differencesText(QStringLiteral("S"), *st));
        QVERIFY(diff.contains(QStringLiteral("Artikala s razlikom: 2")));
        QVERIFY(diff.filter(QStringLiteral("Razlika:")).value(0).endsWith(u" 0,00"));
        QVERIFY(diff.filter(QStringLiteral("Ukupno manjak:")).value(0).endsWith(u" 4,00"));
        QVERIFY(diff.filter(QStringLiteral("Ukupno višak:")).value(0).endsWith(u"4,00"));
        // The same differences as a spreadsheet: figures as numbers, the totals after them.
        const QStringList csv =
            QString::fromUtf8(sheet::csvBytes(differencesSheet(QStringLiteral("S"), *st)))
                .split(QStringLiteral("\r\n"));
        QCOMPARE(csv,
                 QStringList({QStringLiteral("Inventurne razlike"),  // the BOM is read away
                              "Skladište: S   Inventura br. 1 na dan: 03.03.2026", "",
                              "Šifra;Naziv;Knjižno;Popisano;Manjak;Višak;Vrijednost",
                              "A1;Vijak;10,00;8,00;2,00;;-4,00", "B2;Matica;5,00;6,00;;1,00;4,00",
                              "Ukupno manjak:;;;;;;4,00", "Ukupno višak:;;;;;;4,00",
                              "Razlika:;;;;;;0,00", ""}));
        QCOMPARE(countingSheet(QStringLiteral("S"), *st, true).rows.front().front().text,
                 QStringLiteral("D4"));  // Čavao first by name
        const QString sheet = countingSheetText(QStringLiteral("S"), *st, true);
        QVERIFY(sheet.startsWith(QStringLiteral("Popisna lista")));
        QVERIFY(sheet.indexOf(u"Čavao") < sheet.indexOf(u"Matica"));
        QVERIFY(sheet.contains(QStringLiteral("Popisno povjerenstvo:")));

        // Posted: issue 2 (A 2 x 2,00) and receipt 2 (B 1 x 4,00), dated at 3.3.
        const DifferencesPosting p = postDifferences(book_, id);
        QCOMPARE(p.refusal, QString());
        QCOMPARE(p.issueNumber, 2);
        QCOMPARE(p.receiptNumber, 2);
        QCOMPARE(stored(a_, "stanje"), 6.0);
        QCOMPARE(stored(a_, "vrijednost"), 12.0);
        QCOMPARE(stored(b_, "stanje"), 6.0);
        QCOMPARE(stored(b_, "vrijednost"), 24.0);
        QCOMPARE(stored(c_, "stanje"), 3.0);
        QVERIFY(auditStock(book_).empty());
        {
            Database db = Database::openBook(book_);
            QCOMPARE(db.openRecordset(QStringLiteral("select count(*) from kd where ime=?"),
                                      {QStringLiteral("Inventura")})
                         .value(0)
                         .toDouble(),
                     1.0);
            QCOMPARE(db.openRecordset(QStringLiteral("select napomena from kl_inventure"))
                         .value(0)
                         .toString(),
                     QStringLiteral("Inventura br. 1 na dan 03.03.2026"));
        }
        // At its date the book now holds what was counted.
        Database db = Database::openBook(book_);
        for (const StockArticle& a : stockArticlesAt(db, ArticleGroup::All, QDate(2026, 3, 3)))
            if (a.id == a_ || a.id == b_) QCOMPARE(double(a.stanje), a.id == a_ ? 8.0 : 6.0);

        // Closed: only printed.
        st = loadStockTaking(book_, id);
        QVERIFY(st->closed);
        QVERIFY(!setCounted(book_, st->lines.front().id, 1.0).isEmpty());
        QCOMPARE(postDifferences(book_, id).refusal,
                 QStringLiteral("Inventura br. 1 već je zaključena."));
        QCOMPARE(stockTakings(book_).size(), size_t(1));
        Q_UNUSED(d_);
    }

    // Started (after "Ne", then "Da"), counted by code with a wrong code on the way, filtered,
    // its counting sheet printed, the differences posted (after "Ne", then "Da"), resumed closed.
    void windowWalk() {
        fillBook();
        auto* w = shown(windows().window<frmInventura>(win::Inventura));
        QVERIFY(w);
        auto* list = w->findChild<QComboBox*>("cbinventure");
        auto* code = w->findChild<QLineEdit*>("txtsifra");
        auto* qty = w->findChild<QLineEdit*>("txtkolicina");
        w->findChild<QDateEdit*>("dtdatum")->setDate(QDate(2026, 3, 3));
        box_->answer(MsgResult::No);
        click(w, "cmdnova");
        QCOMPARE(box_->last().prompt,
                 QStringLiteral("Započeti novu inventuru na dan 03.03.2026? Knjižno stanje svih "
                                "artikala uzima se na kraju tog dana."));
        QCOMPARE(list->count(), 0);
        box_->answer(MsgResult::Yes);
        click(w, "cmdnova");
        QCOMPARE(list->currentText(),
                 QStringLiteral("Inventura br. 1 na dan 03.03.2026 (u tijeku)"));

        const auto count = [&](const char* c, const char* q) {
            code->setText(QString::fromUtf8(c));
            QTest::keyClick(code, Qt::Key_Return);
            qty->setText(QString::fromUtf8(q));
            QTest::keyClick(qty, Qt::Key_Return);
        };
        code->setText("zz");
        QTest::keyClick(code, Qt::Key_Return);
        QCOMPARE(box_->last().prompt,
                 QStringLiteral("Artikl sa šifrom ili bar kodom zz nije na popisu."));
        count("a1", "8");
        count("B2", "6,00");
        QCOMPARE(box_->count(), 3);
        QCOMPARE(code->text(), QString());
        auto* lines = w->findChild<QTableWidget*>("lststavke");
        QCOMPARE(lines->item(0, 4)->text(), QStringLiteral("8,00"));
        w->findChild<QLineEdit*>("txtfilter")->setText("mat");
        int visible = 0;
        for (int r = 0; r < lines->rowCount(); ++r)
            visible += lines->isRowHidden(r) ? 0 : 1;
        QCOMPARE(visible, 1);

        control<QRadioButton>(w, "optnaziv")->click();
        click(w, "cmdlista");
        box_->answer(MsgResult::Yes);
        click(w, "cmdispisart");
        QCOMPARE(printed_.size(), 1);
        QVERIFY(pdfPageTexts(printed_.first()).value(0).simplified().startsWith("Popisna lista"));
        // The counting sheet shown goes out as a spreadsheet through the window's button.
        QTemporaryDir out;
        setSaveFileChooser([&](const QString&, const QString&) { return out.filePath("lista"); });
        const auto restore = qScopeGuard([] { setSaveFileChooser({}); });
        box_->clear();
        click(w, "cmdizvozcsv");
        QFile csv(out.filePath("lista.csv"));
        QVERIFY2(csv.open(QIODevice::ReadOnly), qPrintable(said(*box_).join('\n')));
        QCOMPARE(QString::fromUtf8(csv.readAll()).split("\r\n").value(3),
                 "Šifra;Naziv;J.mj.;Popisana količina");

        // C (3 in the book) was not counted: asked first; "Odustani" posts nothing, nor "Ne"
        // then "Ne" to the confirmation.
        box_->clear();
        box_->answer(MsgResult::Cancel);
        click(w, "cmdknjizi");
        QCOMPARE(box_->count(), 1);
        QCOMPARE(box_->last().prompt,
                 QStringLiteral("Nepopisanih artikala s knjižnim stanjem: 1 (C3 Pločica). "
                                "Knjižiti ih kao popisane s količinom nula, s manjkom cijelog "
                                "stanja?\nNe: ostaju bez razlike."));
        QCOMPARE(box_->last().style,
                 MsgStyle::YesNoCancel | MsgStyle::Question | MsgStyle::DefaultButton3);
        box_->answer(MsgResult::No).answer(MsgResult::No);
        click(w, "cmdknjizi");
        QCOMPARE(box_->count(), 3);
        QCOMPARE(box_->last().style,
                 MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2);
        QCOMPARE(stored(a_, "stanje"), 8.0);
        // "Da", "Da": C goes out whole with A's shortage (2 x 2,00 + 3 x 1,00), B's surplus in.
        box_->answer(MsgResult::Yes).answer(MsgResult::Yes);
        click(w, "cmdknjizi");
        QCOMPARE(box_->last().prompt,
                 QStringLiteral("Razlike su knjižene (izdatnica br. 2, primka br. 2). Inventura "
                                "je zaključena."));
        QCOMPARE(stored(a_, "stanje"), 6.0);
        QCOMPARE(stored(c_, "stanje"), 0.0);
        QVERIFY(w->reportText().contains("Razlike su knjižene: izdatnica br. 2, primka br. 2."));
        QVERIFY(w->reportText().contains("Artikala s razlikom: 3"));
        QVERIFY(reportLines(w->reportText())
                    .filter(QStringLiteral("Ukupno manjak:"))
                    .value(0)
                    .endsWith(u" 7,00"));
        click(w, "cmdizlaz");

        w = shown(windows().window<frmInventura>(win::Inventura));
        QCOMPARE(w->findChild<QComboBox*>("cbinventure")->currentText(),
                 QStringLiteral("Inventura br. 1 na dan 03.03.2026 (zaključena)"));
        QVERIFY(!w->findChild<QLineEdit*>("txtsifra")->isEnabled());
        QVERIFY(!button(w, "cmdknjizi")->isEnabled());
        QCOMPARE(box_->count(), 6);
    }

    // Only A counted (8 of 10): B (5) and C (3) are listed as not counted with their book
    // quantities, D (none) is not; counted at zero they go out whole with A's shortage.
    void uncountedPostedAtZero() {
        fillBook();
        const qint64 id = startStockTaking(book_, QDate(2026, 3, 3));
        std::optional<StockTaking> st = loadStockTaking(book_, id);
        QCOMPARE(setCounted(book_, st->lines[size_t(findLine(*st, "A1"))].id, 8.0), QString());
        st = loadStockTaking(book_, id);
        QStringList uncounted;
        for (const StockTakingLine* l : uncountedWithStock(*st))
            uncounted << l->sifra;
        QCOMPARE(uncounted, (QStringList{"B2", "C3"}));
        const QStringList diff = reportLines(differencesText(QStringLiteral("S"), *st));
        const qsizetype at = diff.indexOf(
            QStringLiteral("Od toga s knjižnim stanjem (popisani s nula bili bi manjak):"));
        QVERIFY(at > 0);
        QCOMPARE(diff[at - 1], QStringLiteral("Nepopisanih artikala (bez razlike): 3"));
        QCOMPARE(diff.mid(at + 1, 2), (QStringList{"B2       Matica                      5,00",
                                                   "C3       Pločica                     3,00"}));

        const DifferencesPosting p = postDifferences(book_, id, true);
        QCOMPARE(p.refusal, QString());
        QCOMPARE(p.issueNumber, 2);
        QCOMPARE(p.receiptNumber, 0);
        QCOMPARE(stored(a_, "stanje"), 6.0);
        QCOMPARE(stored(b_, "stanje"), 0.0);
        QCOMPARE(stored(c_, "stanje"), 0.0);
        QCOMPARE(stored(c_, "vrijednost"), 0.0);
        st = loadStockTaking(book_, id);
        QCOMPARE(st->lines[size_t(findLine(*st, "B2"))].popisano, std::optional<double>(0.0));
        QVERIFY(!st->lines[size_t(findLine(*st, "D4"))].popisano);
        QVERIFY(reportLines(differencesText(QStringLiteral("S"), *st))
                    .filter(QStringLiteral("Ukupno manjak:"))
                    .value(0)
                    .endsWith(u" 27,00"));
        QVERIFY(auditStock(book_).empty());
    }
};

QTEST_MAIN(Tst_inventura)
#include "tst_inventura.moc"
