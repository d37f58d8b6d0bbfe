// The journal without its window: the rows read from a book filled by posting real documents,
// the report text compared line by line, the date range and the printed pages.

#include "reportfixture.h"
#include "reports/journal.h"

using namespace kl;
using namespace kl::test;

namespace {

const QDate kToday(2026, 2, 10);

QStringList linesOf(const QString& text) {
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

const QString kHeading = QStringLiteral(
    "Datum.p/i  Naziv artikla           V Dokument        Broj.dok   Datum.dok  Kol.ulaz   "
    "Kol.izlaz  Cijena     Duguje     Potražuje ");

// The report lines of the three journal rows of fillBook().
const QStringList kLines = {
    QStringLiteral("03.02.2026 Čokolada mliječna       P Račun-otpremnic     R-1234 01.02.2026 "
                   "      5,00                  2,50      12,50"),
    QStringLiteral("03.02.2026 Vijak M8 pocinčani dugi P Račun-otpremnic     R-1234 01.02.2026 "
                   "      1,50                  3,33       5,00"),
    QStringLiteral("05.02.2026 Čokolada mliječna       I                                         "
                   "               5,00       2,50                 12,50"),
};

// A row of the list, as journalRows makes it, for the tests of the pages.
QStringList someRow(int n) {
    JournalLine line;
    line.datumpi = QDate(2026, 1, 1).addDays(n % 28);
    line.naziv = QStringLiteral("Artikl %1").arg(n);
    line.pi = n % 2 ? QStringLiteral("I") : QStringLiteral("P");
    line.dokument = QStringLiteral("Račun");
    line.brojdok = QString::number(n);
    line.datumdok = line.datumpi;
    line.kolicina = 1;
    line.cijena = 2;
    return journalRow(line);
}

}  // namespace

class Tst_journal : public ReportTest {
    Q_OBJECT

    // A receipt of two lines (5 at 2,50; 1,5 at 3,3333) and an issue of 5 at 2,50.
    void fillBook() {
        const int cokolada = addArticle(book_, "C1", QStringLiteral("Čokolada mliječna"));
        const int vijak = addArticle(book_, "V8", QStringLiteral(" Vijak M8 pocinčani dugi 40mm"));
        addPartner(book_, "d", QStringLiteral("Dobavljač"));
        addPartner(book_, "k", QStringLiteral("Kupac"));
        addDocumentType(book_, QStringLiteral("Račun-otpremnica R1"));
        receipt(book_, QDate(2026, 2, 3), QStringLiteral("Dobavljač"),
                {{cokolada, "5", "2,50"}, {vijak, "1,5", "3,3333"}},
                QStringLiteral("Račun-otpremnica R1"), QStringLiteral("R-1234"), QDate(2026, 2, 1));
        issue(book_, QDate(2026, 2, 5), QStringLiteral("Kupac"), {{cokolada, "5", "2,50"}});
    }

  private slots:
    // A receipt line fills the document and the left side, an issue line the right side; the
    // amount is the quantity times the price.
    void rowsOfPostedDocuments() {
        fillBook();
        const std::vector<QStringList> rows = journalRows(readJournal(book_));
        const std::vector<QStringList> expected = {
            {"03.02.2026", "Čokolada mliječna", "P", "Račun-otpremnica R1", "R-1234", "01.02.2026",
             "5", "", "2,5", "12,50", ""},
            {"03.02.2026", " Vijak M8 pocinčani dugi 40mm", "P", "Račun-otpremnica R1", "R-1234",
             "01.02.2026", "1,5", "", "3,3333", "5,00", ""},
            {"05.02.2026", "Čokolada mliječna", "I", "", "", "", "", "5", "2,5", "", "12,50"},
        };
        QCOMPARE(rows, expected);
    }

    // The journal keeps the order the lines were posted in, whatever their dates; a line whose
    // article or document type is gone shows it empty.
    void storedOrderAndMissingRows() {
        const int a = addArticle(book_, "A", "Artikl A");
        const int b = addArticle(book_, "B", "Artikl B");
        addPartner(book_, "d", "Dobavljač");
        addDocumentType(book_, "Ulazni račun");
        const int gone = addDocumentType(book_, "Otpremnica");
        receipt(book_, QDate(2026, 3, 9), "Dobavljač", {{a, "1", "1"}}, "Ulazni račun");
        receipt(book_, QDate(2026, 1, 2), "Dobavljač", {{b, "2", "1"}, {a, "3", "1"}},
                "Otpremnica");
        QVERIFY(executeRaw(book_, QStringLiteral("delete from artikli where id=%1").arg(b)));
        QVERIFY(executeRaw(book_, QStringLiteral("delete from dokumenti where id=%1").arg(gone)));

        QStringList shown;
        for (const QStringList& row : journalRows(readJournal(book_)))
            shown << row.mid(0, 4).join(u'|') + u'|' + row.at(JKolUlaz);
        QCOMPARE(shown, (QStringList{"09.03.2026|Artikl A|P|Ulazni račun|1", "02.01.2026||P||2",
                                     "02.01.2026|Artikl A|P||3"}));
    }

    // The whole text, line by line: title, empty line, heading, 130 underscores, the rows; the
    // name trimmed and cut to 23, the document type cut to 15, the figures under their headings.
    void reportText() {
        fillBook();
        const QString title = journalTitle(JournalScope::All, kToday);
        QCOMPARE(title, QString("Ispis dnevnika na dan: 10.02.2026"));
        const QString text = journalText(title, journalRows(readJournal(book_)));
        QVERIFY(text.endsWith("\r\n"));
        QCOMPARE(linesOf(text), QStringList({title, "", kHeading, QString(130, u'_')}) + kLines);
    }

    void pageEstimate_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages");
        dataRow("empty", 0, 1);
        dataRow("53", 53, 1);
        dataRow("54", 54, 2);
        dataRow("100", 100, 2);
        dataRow("108", 108, 3);
    }
    void pageEstimate() {
        QFETCH(int, rows);
        QFETCH(int, pages);
        QCOMPARE(journalPageEstimate(rows), pages);
    }

    // 50 rows a page; a full page ends with its footer and the next page starts with its heading
    // block, even when no row is left for it.
    void pages_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("perPage");
        dataRow("none", 0, QList<int>{0});
        dataRow("49", 49, QList<int>{49});
        dataRow("50", 50, QList<int>{50, 0});
        dataRow("51", 51, QList<int>{50, 1});
        dataRow("100", 100, QList<int>{50, 50, 0});
    }
    void pages() {
        QFETCH(int, rows);
        QFETCH(QList<int>, perPage);
        std::vector<QStringList> list;
        for (int i = 0; i < rows; ++i)
            list.push_back(someRow(i));
        const QString first = journalTitle(JournalScope::Selection, kToday);
        const QString later = journalTitle(JournalScope::All, kToday);
        const std::vector<QStringList> pages = journalPages(first, later, list);
        QCOMPARE(int(pages.size()), perPage.size());

        const QString indent(12, u' ');
        int next = 0;
        for (int p = 0; p < int(pages.size()); ++p) {
            const QStringList& page = pages.at(size_t(p));
            const QString title =
                (p == 0 ? first : later) + "  Stranica br. " + QString::number(p + 1);
            QCOMPARE(page.mid(0, 7), (QStringList{"", "", "", indent + title, "", indent + kHeading,
                                                  indent + QString(130, u'_')}));
            const int n = perPage.at(p);
            for (int i = 0; i < n; ++i)
                QCOMPARE(page.at(7 + i), indent + journalReportLine(list.at(size_t(next++))));
            if (n == 50) {
                QCOMPARE(page.mid(57), (QStringList{"", indent + QString::number(p + 1)}));
            } else {
                QCOMPARE(page.size(), 7 + n);
            }
        }
        QCOMPARE(next, rows);
    }

    // The journal's page takes its 59 lines and its widest line.
    void pageSetup() {
        LinePrinter printer("Dnevnik", journalPageSetup());
        QVERIFY(printer.begin());
        QCOMPARE(printer.linesPerPage(), 59);
        const QString widest = QString(12, u' ') + QString(130, u'_');
        QVERIFY(printer.textWidth(widest) <= printer.printableWidth());
    }
};

QTEST_MAIN(Tst_journal)
#include "tst_journal.moc"
