// The receipt and issue overviews without the window: documents read from books filled by
// posting real documents, their totals, and the summary and full view texts line by line.

#include "data/dberror.h"
#include "reportfixture.h"
#include "reports/documentreports.h"

using namespace kl;
using namespace kl::test;

namespace {

const QString kReceiptHeading =
    QStringLiteral("B.pr. Dat.pr.  Dobavljač                 Dokument   Broj dok.  Dat.dok. Iznos");
const QString kIssueHeading =
    QStringLiteral("B.iz. Dat.iz.  Mjesto troška                                           Iznos");
const QString kLineHeading =
    QStringLiteral("R.br. Šifra        Naziv                 J.mj. Količina    Cijena       Iznos");
const QString kBlanks = QString(83, u' ');
const QString kUnderscores = QString(83, u'_');
const QString kDashes = QString(83, u'-');
const QDate kDay(2026, 3, 5);

QString grandTotal(const QString& total) {
    return QString(58, u' ') + "Ukupni iznos: " + total.rightJustified(11);
}

}  // namespace

class Tst_documentreports : public ReportTest {
    Q_OBJECT

    int vijak_ = 0, plocica_ = 0;

    // Two articles, a supplier and a document type; stock enough for the issues.
    void seed() {
        vijak_ = addArticle(book_, "A1", "Vijak M8", 0, 0, 0, "kom");
        plocica_ = addArticle(book_, "B22", "Podložna pločica okrugla", 0, 0, 0, "pak");
        addPartner(book_, "d", "Dobavljač d.o.o.");
        addDocumentType(book_, "Račun");
    }
    std::vector<Line> twoLines() const { return {{vijak_, "2", "1,50"}, {plocica_, "3", "2,00"}}; }

  private slots:
    // A receipt and an issue of two lines, 2 x 1,50 and 3 x 2,00: the summary with the total
    // 9,00, and the full view with the line amounts and the grand total at the end of the line.
    void oneDocument_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("summary");
        dataRow("receipt", int(DocumentKind::Receipt),
                QStringList{kReceiptHeading, kBlanks,
                            "    1 05.03.26 Dobavljač d.o.o.          Račun       R-17/2026 "
                            "02.03.26        9,00"});
        dataRow("issue", int(DocumentKind::Issue),
                QStringList{kIssueHeading, kBlanks,
                            "    1 06.03.26 Proizvodnja                                          "
                            "          9,00"});
    }
    void oneDocument() {
        QFETCH(int, kind);
        QFETCH(QStringList, summary);
        seed();
        receipt(book_, kDay, "Dobavljač d.o.o.", twoLines(), "Račun", "R-17/2026",
                QDate(2026, 3, 2));
        issue(book_, kDay.addDays(1), "Proizvodnja", twoLines());

        const DocumentView document = readDocument(book_, DocumentKind(kind), "1");
        QCOMPARE(reportLines(summaryText(DocumentKind(kind), {document.summary}, false)), summary);
        const QStringList full =
            summary + QStringList{kUnderscores, kLineHeading, kBlanks, kDashes} +
            QStringList{
                "   1. A1           Vijak M8              kom          2,00         1,50 "
                "       3,00",
                "   2. B22          Podložna pločica okru pak          3,00         2,00 "
                "       6,00"} +
            QStringList{kUnderscores, grandTotal("9,00")};
        QCOMPARE(reportLines(fullViewText(DocumentKind(kind), &document)), full);
    }

    // The summary's total adds each stored line and rounds after each; the full view works from
    // the quantity and price as it shows them.
    void totals_data() {
        QTest::addColumn<QStringList>("prices");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("summaryTotal");
        QTest::addColumn<QString>("fullViewTotal");
        dataRow("rounded after each line", QStringList{"0,005", "0,005"}, QString("1"),
                QString("0,02"), QString("0,02"));
        dataRow("full view from shown price", QStringList{"0,335"}, QString("3"), QString("1,01"),
                QString("1,02"));
        dataRow("three lines", QStringList{"0,125", "0,125", "0,125"}, QString("1"),
                QString("0,39"), QString("0,39"));
    }
    void totals() {
        QFETCH(QStringList, prices);
        QFETCH(QString, quantity);
        QFETCH(QString, summaryTotal);
        QFETCH(QString, fullViewTotal);
        seed();
        std::vector<Line> lines;
        for (const QString& p : prices)
            lines.push_back({vijak_, quantity, p});
        receipt(book_, kDay, "Dobavljač d.o.o.", lines, "Račun");

        const DocumentView document = readDocument(book_, DocumentKind::Receipt, "1");
        QVERIFY(summaryLine(DocumentKind::Receipt, document.summary)
                    .endsWith(summaryTotal.rightJustified(11) + "\r\n"));
        const std::vector<DocumentSummary> ofDay =
            documentsInRange(book_, DocumentKind::Receipt, kDay, kDay);
        QCOMPARE(ofDay.size(), size_t(1));
        QCOMPARE(ofDay.front().total, document.summary.total);
        QCOMPARE(reportLines(fullViewText(DocumentKind::Receipt, &document)).last(),
                 grandTotal(fullViewTotal));
    }

    // Receipts dated from the first to the last day, both included, under the underscored rule;
    // issues are not receipts.
    void dateRange_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("numbers");
        dataRow("same day", 0, 0, QString("2,3"));
        dataRow("day before to day", -1, 0, QString("1,2,3"));
        dataRow("day after alone", 1, 1, QString("4"));
        dataRow("no document", 5, 9, QString());
        dataRow("reversed", 1, -1, QString());
    }
    void dateRange() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, numbers);
        seed();
        for (int day : {-1, 0, 0, 1})
            receipt(book_, kDay.addDays(day), "Dobavljač d.o.o.", {{vijak_, "1", "1"}}, "Račun");
        issue(book_, kDay, "Proizvodnja", {{vijak_, "1", "1"}});

        const QStringList text = reportLines(summaryText(
            DocumentKind::Receipt,
            documentsInRange(book_, DocumentKind::Receipt, kDay.addDays(from), kDay.addDays(to)),
            true));
        QStringList shown;
        for (const QString& line : text.mid(2))
            shown << line.left(5).trimmed();
        QCOMPARE(shown.join(u','), numbers);
        QCOMPARE(text.mid(0, 2), (QStringList{kReceiptHeading, kUnderscores}));
    }

    // The partner's name fills 25 characters and the document type's 10; longer ones are cut.
    void nameWidths_data() {
        QTest::addColumn<QString>("partner");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("fields");
        dataRow("fit exactly", QString("Građevinski obrt Šimić ml"), QString("Otpremnica"),
                QString("Građevinski obrt Šimić ml Otpremnica"));
        dataRow("one too long", QString("Građevinski obrt Šimić mla"), QString("Otpremnica1"),
                QString("Građevinski obrt Šimić ml Otpremnica"));
    }
    void nameWidths() {
        QFETCH(QString, partner);
        QFETCH(QString, type);
        QFETCH(QString, fields);
        const int vijak = addArticle(book_, "A1", "Vijak M8");
        addPartner(book_, "s", partner);
        addDocumentType(book_, type);
        receipt(book_, kDay, partner, {{vijak, "1", "1"}}, type, "7", kDay);
        QCOMPARE(summaryLine(DocumentKind::Receipt,
                             readDocument(book_, DocumentKind::Receipt, "1").summary),
                 "    1 05.03.26 " + fields + "          7 05.03.26        1,00\r\n");
    }

    // The summary shown line by line is the whole text's lines, and its widest line the widest of
    // them: numbers, supplier's numbers and totals too long for their columns push a line.
    void summaryShownByLines_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<qint64>("number");
        QTest::addColumn<QString>("brojdok");
        QTest::addColumn<double>("total");
        for (const int kind : {int(DocumentKind::Receipt), int(DocumentKind::Issue)}) {
            const char* k = kind == int(DocumentKind::Receipt) ? "receipt" : "issue";
            dataRow(QByteArray(k) + " fits", kind, qint64(7), QString("R-1"), 12.5);
            dataRow(QByteArray(k) + " long number", kind, qint64(1234567), QString("R-1"), 12.5);
            dataRow(QByteArray(k) + " long supplier's number", kind, qint64(7),
                    QString("R-2026/000001-Š"), 0.0);
            dataRow(QByteArray(k) + " total just fits", kind, qint64(7), QString(), 999999.99);
            dataRow(QByteArray(k) + " total too long", kind, qint64(7), QString(), 1234567890.5);
            dataRow(QByteArray(k) + " negative total", kind, qint64(-3), QString(), -99999999.0);
        }
    }
    void summaryShownByLines() {
        QFETCH(int, kind);
        QFETCH(qint64, number);
        QFETCH(QString, brojdok);
        QFETCH(double, total);
        DocumentSummary odd;
        odd.number = number;
        odd.date = kDay;
        odd.partner = "Građevinski obrt Šimić mlađi i sinovi";
        odd.documentType = "Otpremnica";
        odd.brojdok = brojdok;
        odd.total = total;
        DocumentSummary plain = odd;
        plain.number = 1;
        plain.brojdok.clear();
        plain.total = 1;
        const auto documents =
            std::make_shared<const std::vector<DocumentSummary>>(std::vector{plain, odd, plain});
        compareShownLineByLine(*summaryReport(DocumentKind(kind), documents),
                               summaryText(DocumentKind(kind), *documents, true));
    }

    // A partner's documents and no one else's, in stored order. The partners a receipt may name
    // are suppliers, those of an issue customers and cost centres; partners of both kinds serve
    // both, in stored order.
    void byPartner() {
        seed();
        addPartner(book_, "d", "Alfa trgovina");
        addPartner(book_, "s", "Beta");
        addPartner(book_, "k", "Kupac");
        addPartner(book_, "D", "mali d");
        receipt(book_, kDay, "Alfa trgovina", twoLines(), "Račun", "R-1");
        receipt(book_, kDay.addDays(1), "Beta", {{vijak_, "1", "4"}}, "Račun", "R-2");
        receipt(book_, kDay.addDays(2), "Alfa trgovina", {{plocica_, "3", "2"}}, "Račun", "R-3");

        QStringList names[2];
        for (DocumentKind kind : {DocumentKind::Receipt, DocumentKind::Issue})
            for (const PartnerChoice& p : documentPartners(book_, kind))
                names[int(kind == DocumentKind::Issue)] << p.name;
        QCOMPARE(names[0].join(u'|'), QString("Dobavljač d.o.o.|Alfa trgovina|Beta|mali d"));
        QCOMPARE(names[1].join(u'|'), QString("Proizvodnja|Beta|Kupac"));

        const qint64 alfa = documentPartners(book_, DocumentKind::Receipt).at(1).id;
        QCOMPARE(
            reportLines(summaryText(DocumentKind::Receipt,
                                    partnerDocuments(book_, DocumentKind::Receipt, alfa), true)),
            (QStringList{kReceiptHeading, kUnderscores,
                         "    1 05.03.26 Alfa trgovina             Račun             R-1 "
                         "05.03.26        9,00",
                         "    3 07.03.26 Alfa trgovina             Račun             R-3 "
                         "07.03.26        6,00"}));
    }

    // A number no receipt has: no current record; the full view then has no summary line, no
    // document line and a grand total of nothing.
    void missingDocument_data() {
        QTest::addColumn<QString>("number");
        dataRow("no such number", QString("7"));
        dataRow("empty chooser", QString());
        dataRow("an issue's number", QString("2"));
    }
    void missingDocument() {
        QFETCH(QString, number);
        seed();
        receipt(book_, kDay, "Dobavljač d.o.o.", twoLines(), "Račun");
        issue(book_, kDay, "Proizvodnja", {{vijak_, "1", "1"}});
        issue(book_, kDay, "Proizvodnja", {{vijak_, "1", "1"}});
        try {
            readDocument(book_, DocumentKind::Receipt, number);
            QFAIL("a document was found");
        } catch (const DbError& e) {
            QCOMPARE(e.number(), int(DbErrorCode::NoCurrentRecord));
        }
        QCOMPARE(reportLines(fullViewText(DocumentKind::Receipt, nullptr)),
                 (QStringList{kReceiptHeading, kBlanks, kUnderscores, kLineHeading, kBlanks,
                              kDashes, kUnderscores, grandTotal("0,00")}));
    }
};

QTEST_MAIN(Tst_documentreports)
#include "tst_documentreports.moc"
