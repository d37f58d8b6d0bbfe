// The customer and supplier lists, and the print button every report window shares: the
// question, the whole report or only the selection, page by page, into a PDF file.

#include "data/database.h"
#include "reportfixture.h"
#include "reports/frmpregledkupacadobavljaca.h"
#include "reports/partnerlist.h"

#include <QPushButton>
#include <QRadioButton>

using namespace kl;
using namespace kl::test;

namespace {

void addFullPartner(const BookLocation& book, const QString& kind, const QString& ime,
                    const QString& mjesto, const QString& ulica) {
    Database db = Database::openBook(book);
    db.execute(QStringLiteral("insert into kd(kd,ime,mb,ziroracun,mjesto,ulica,telefon,kontakt)"
                              "values(?,?,?,?,?,?,?,?)"),
               {kind, ime, QStringLiteral("1234567890123"), QStringLiteral("2360000-1101234567"),
                mjesto, ulica, QStringLiteral("01/234-567"), QStringLiteral("Ana")});
}

QStringList linesOf(const QString& text) {
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (lines.last().isEmpty()) lines.removeLast();
    return lines;
}

const QString kRule83 = QString(83, u'_');
const QString kDashes83 = QString(83, u'-');

}  // namespace

class Tst_partnerlist : public ReportTest {
    Q_OBJECT
  private slots:
    void lists_data() {
        QTest::addColumn<bool>("customers");
        QTest::addColumn<QStringList>("expected");
        const QString heading1 =
            "Naziv                          Mat. broj     Žiroračun            Kontakt          ";
        const QString heading2 =
            "_____                          Mjesto        Ulica i br.          Telefon";
        const QString oba1 =
            "Oba d.o.o.                     1234567890123 2360000-1101234567   Ana";
        const QString oba2 =
            "                               Velika Gorica Ulica grada Vukovara 12 01/234-567";
        const QString empty2 = QString(66, u' ');
        dataRow("customers: the seeded cost centre, an \"s\" partner, name order", true,
                QStringList{"Kupci na dan: 05.12.2026", "", heading1, heading2, kRule83, oba1, oba2,
                            kDashes83, "Proizvodnja" + QString(55, u' '), empty2, kDashes83,
                            "Zagrebački kupac               1234567890123 2360000-1101234567   Ana",
                            "                               Zagreb        Ilica 1              "
                            "01/234-567",
                            kDashes83});
        dataRow("suppliers: the \"s\" partner again, before the supplier", false,
                QStringList{"Dobavljači na dan: 05.12.2026", "", heading1, heading2, kRule83, oba1,
                            oba2, kDashes83,
                            "Zagorje dobavljač              1234567890123 2360000-1101234567   Ana",
                            "                               Krapina       Trg 2                "
                            "01/234-567",
                            kDashes83});
    }
    void lists() {
        QFETCH(bool, customers);
        QFETCH(QStringList, expected);
        addFullPartner(book_, "k", "Zagrebački kupac", "Zagreb", "Ilica 1");
        addFullPartner(book_, "d", "Zagorje dobavljač", "Krapina", "Trg 2");
        // A 15-character place is cut to 13; a 23-character street pushes the line.
        addFullPartner(book_, "s", "Oba d.o.o. ", "Velika Gorica 2", "Ulica grada Vukovara 12");
        const auto kind = customers ? PartnerListKind::Customers : PartnerListKind::Suppliers;
        const QString text =
            partnerListText(kind, readPartnerList(book_, kind), QDate(2026, 12, 5));
        QCOMPARE(linesOf(text), expected);
        QVERIFY(text.endsWith("\r\n"));
    }

    // An IBAN longer than the 20-character column is printed whole, the contact moving right; an
    // OIB gets a line of its own under the address.
    void ibanAndOib() {
        addFullPartner(book_, "d", "Iban d.o.o.", "Zagreb", "Ilica 1");
        Database db = Database::openBook(book_);
        db.execute("update kd set ziroracun=? where ime=?",
                   {"HR1210010051863000160", "Iban d.o.o."});
        db.execute("insert into kl_oibpartnera(idkd,oib)values(?,?)",
                   {db.openRecordset("select id from kd where ime='Iban d.o.o.'").text("id"),
                    "12345678903"});
        const QStringList lines = linesOf(partnerListText(
            PartnerListKind::Suppliers, readPartnerList(book_, PartnerListKind::Suppliers),
            QDate(2026, 12, 5)));
        QCOMPARE(
            lines.mid(5),
            QStringList({"Iban d.o.o.                    1234567890123 HR1210010051863000160 Ana",
                         "                               Zagreb        Ilica 1              "
                         "01/234-567",
                         "                               OIB: 12345678903", kDashes83}));
    }

    // The suppliers as a spreadsheet: each field in its column, the account and OIB as text.
    void exportedAsSheet() {
        addFullPartner(book_, "d", "Zagorje dobavljač", "Krapina", "Trg 2");
        const auto kind = PartnerListKind::Suppliers;
        const QByteArray csv = sheet::csvBytes(
            partnerListSheet(kind, readPartnerList(book_, kind), QDate(2026, 12, 5)));
        QCOMPARE(QString::fromUtf8(csv.mid(3)).split("\r\n"),
                 QStringList({"Dobavljači na dan: 05.12.2026", "",
                              "Naziv;Mat. broj;OIB;Žiroračun;Kontakt;Mjesto;Ulica i br.;Telefon",
                              "Zagorje dobavljač;1234567890123;;2360000-1101234567;Ana;Krapina;Trg "
                              "2;01/234-567",
                              ""}));
    }

    void noSuppliersGivesTheHeadingAlone() {
        const QString text =
            partnerListText(PartnerListKind::Suppliers,
                            readPartnerList(book_, PartnerListKind::Suppliers), QDate(2026, 1, 2));
        QCOMPARE(linesOf(text).size(), 5);
        QVERIFY(text.startsWith("Dobavljači na dan: 02.01.2026\r\n\r\n"));
    }

    void windowShowsTheChosenList() {
        addFullPartner(book_, "d", "Zagorje dobavljač", "Krapina", "Trg 2");
        auto* w = shown(windows().window<frmpregledkupacadobavljaca>(win::PregledPartnera));
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Pregled kupaca/dobavljača"));
        QVERIFY(control<QRadioButton>(w, "optkupaca")->isChecked());
        QTest::mouseClick(control<QPushButton>(w, "cmdprikazart"), Qt::LeftButton);
        QVERIFY(w->reportText().startsWith("Kupci na dan: "));
        QVERIFY(w->reportText().contains("Proizvodnja"));
        control<QRadioButton>(w, "optdobavljaca")->click();
        QTest::mouseClick(control<QPushButton>(w, "cmdprikazart"), Qt::LeftButton);
        QVERIFY(w->reportText().startsWith("Dobavljači na dan: "));
        QVERIFY(!w->reportText().contains("Proizvodnja"));
        // The box shows the report without its line ends' carriage returns.
        QCOMPARE(control<ReportView>(w, "rtfkd")->toPlainText().split('\n').first(),
                 linesOf(w->reportText()).first());
        QTest::mouseClick(control<QPushButton>(w, "cmddizlaz"), Qt::LeftButton);
        QTRY_VERIFY(!windows().isLoaded(win::PregledPartnera));
    }

    // The print button of every report window.
    void printButton_data() {
        QTest::addColumn<int>("lines");       // report lines (0: no report made)
        QTest::addColumn<int>("answer");      // the answer to "Ispis na pisač?"
        QTest::addColumn<int>("selectFrom");  // first selected line, -1: no selection
        QTest::addColumn<int>("selectTo");    // last selected line
        QTest::addColumn<int>("pages");       // pages printed, -1: no PDF
        QTest::addColumn<QString>("firstLine");
        dataRow("empty report: nothing, not even the question", 0, MsgResult::Yes, -1, 0, -1,
                QString());
        dataRow("No prints nothing", 10, MsgResult::No, -1, 0, -1, QString());
        dataRow("a short report on one page", 10, MsgResult::Yes, -1, 0, 1, "Redak 1");
        dataRow("a long report on as many pages as it needs", 150, MsgResult::Yes, -1, 0, 3,
                "Redak 1");
        dataRow("a selection prints only itself", 150, MsgResult::Yes, 40, 42, 1, "Redak 41");
        dataRow("a selection from the middle over more than a page", 150, MsgResult::Yes, 20, 120,
                2, "Redak 21");
    }
    void printButton() {
        QFETCH(int, lines);
        QFETCH(int, answer);
        QFETCH(int, selectFrom);
        QFETCH(int, selectTo);
        QFETCH(int, pages);
        QFETCH(QString, firstLine);
        auto* w = shown(windows().window<frmpregledkupacadobavljaca>(win::PregledPartnera));
        QVERIFY(w);
        QString text;
        for (int i = 1; i <= lines; ++i)
            text += QStringLiteral("Redak %1").arg(i) + QString(60, u'.') + "\r\n";
        w->setReportText(text);
        if (selectFrom >= 0)
            w->reportBox()->setSelection({selectFrom, 0},
                                         {selectTo, int(w->reportBox()->line(selectTo).size())});
        box_->answer(answer);
        QTest::mouseClick(control<QPushButton>(w, "cmdispisart"), Qt::LeftButton);
        if (lines == 0) {
            QCOMPARE(box_->count(), 0);
            return;
        }
        QCOMPARE(box_->shown().first().prompt, QStringLiteral("Ispis na pisač?"));
        QCOMPARE(box_->shown().first().title, QStringLiteral("Ispis!"));
        QCOMPARE(box_->shown().first().style, MsgStyle::YesNo | MsgStyle::Question);
        if (pages < 0) {
            QCOMPARE(box_->count(), 1);
            QVERIFY(printed_.isEmpty());
            return;
        }
        QCOMPARE(printed_.size(), 1);
        QCOMPARE(pdfPageCount(printed_.first()), pages);
        const QStringList pageTexts = pdfPageTexts(printed_.first());
        QCOMPARE(pageTexts.first().trimmed().split('\n').first().split(' ').first(),
                 firstLine.split(' ').first());
        QVERIFY(pageTexts.first().contains(firstLine + "...."));
        const QString all = pageTexts.join('\n');
        const int printedLines = int(all.count(QStringLiteral("Redak ")));
        QCOMPARE(printedLines, selectFrom < 0 ? lines : selectTo - selectFrom + 1);
    }
};

QTEST_MAIN(Tst_partnerlist)
#include "tst_partnerlist.moc"
