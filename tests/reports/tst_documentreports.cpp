// The receipt and issue overviews without the window: documents read from books filled by
// posting real documents, their totals, and the summary and full view texts line by line.

#include "reportfixture.h"
#include "reports/documentreports.h"
#include "reports/reportlayout.h"

#include "data/dberror.h"

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

// The lines of a report text; every line must end with CR LF.
QStringList linesOf(const QString& text) {
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (lines.last().isEmpty())
        lines.removeLast();
    else
        lines.last() += QStringLiteral("<no CR LF>");
    for (QString& l : lines)
        if (l.contains(u'\n') || l.contains(u'\r')) l += QStringLiteral("<bare line end>");
    return lines;
}

QString numbersOf(const std::vector<DocumentSummary>& documents) {
    QStringList numbers;
    for (const DocumentSummary& d : documents)
        numbers.append(QString::number(d.number));
    return numbers.join(u',');
}

const QDate kDay(2026, 3, 5);

}  // namespace

#define COMPARE_LINES(actual, expected)                               \
    do {                                                              \
        const QStringList a_ = (actual);                              \
        const QStringList e_ = (expected);                            \
        for (qsizetype i_ = 0; i_ < qMax(a_.size(), e_.size()); ++i_) \
            QCOMPARE(a_.value(i_, QStringLiteral("<none>")),          \
                     e_.value(i_, QStringLiteral("<none>")));         \
    } while (false)

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
        const QStringList receipt = {
            kReceiptHeading, kBlanks,
            "    1 05.03.26 Dobavljač d.o.o.          Račun       R-17/2026 02.03.26        9,00"};
        const QStringList issue = {
            kIssueHeading, kBlanks,
            "    1 06.03.26 Proizvodnja                                                    9,00"};
        dataRow("receipt", int(DocumentKind::Receipt), receipt);
        dataRow("issue", int(DocumentKind::Issue), issue);
    }
    void oneDocument() {
        QFETCH(int, kind);
        QFETCH(QStringList, summary);
        seed();
        receipt(book_, kDay, "Dobavljač d.o.o.", twoLines(), "Račun", "R-17/2026",
                QDate(2026, 3, 2));
        issue(book_, kDay.addDays(1), "Proizvodnja", twoLines());

        const DocumentView document = readDocument(book_, DocumentKind(kind), "1");
        QCOMPARE(document.summary.total, 9.0);
        COMPARE_LINES(linesOf(summaryText(DocumentKind(kind), {document.summary}, false)), summary);
        QCOMPARE(linesOf(summaryText(DocumentKind(kind), {document.summary}, false)).last().size(),
                 kind == int(DocumentKind::Receipt) ? 83 : 82);

        QStringList full = summary;
        full
            << kUnderscores << kLineHeading << kBlanks << kDashes
            << "   1. A1           Vijak M8              kom          2,00         1,50        3,00"
            << "   2. B22          Podložna pločica okru pak          3,00         2,00        6,00"
            << kUnderscores
            << "                                                          Ukupni iznos:        "
               "9,00";
        COMPARE_LINES(linesOf(fullViewText(DocumentKind(kind), &document)), full);
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
        QCOMPARE(linesOf(summaryLine(DocumentKind::Receipt, document.summary)).front().right(11),
                 summaryTotal.rightJustified(11));
        const std::vector<DocumentSummary> ofDay =
            documentsInRange(book_, DocumentKind::Receipt, kDay, kDay);
        QCOMPARE(ofDay.size(), size_t(1));
        QCOMPARE(ofDay.front().total, document.summary.total);
        QCOMPARE(linesOf(fullViewText(DocumentKind::Receipt, &document)).last(),
                 QString(58, u' ') + "Ukupni iznos: " + fullViewTotal.rightJustified(11));
    }

    // Documents dated from the first to the last day, both included; issues are not receipts.
    void dateRange_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("numbers");
        dataRow("same day", 0, 0, QString("2,3"));
        dataRow("day before to day", -1, 0, QString("1,2,3"));
        dataRow("day after alone", 1, 1, QString("4"));
        dataRow("whole range", -1, 1, QString("1,2,3,4"));
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

        const std::vector<DocumentSummary> documents =
            documentsInRange(book_, DocumentKind::Receipt, kDay.addDays(from), kDay.addDays(to));
        QCOMPARE(numbersOf(documents), numbers);
        const QStringList text = linesOf(summaryText(DocumentKind::Receipt, documents, true));
        QCOMPARE(text.size(), 2 + int(documents.size()));
        QCOMPARE(text.at(0), kReceiptHeading);
        QCOMPARE(text.at(1), kUnderscores);
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
        dataRow("short", QString("Ana"), QString("R"),
                QString("Ana                       R         "));
    }
    void nameWidths() {
        QFETCH(QString, partner);
        QFETCH(QString, type);
        QFETCH(QString, fields);
        vijak_ = addArticle(book_, "A1", "Vijak M8");
        addPartner(book_, "s", partner);
        addDocumentType(book_, type);
        receipt(book_, kDay, partner, {{vijak_, "1", "1"}}, type, "7", kDay);

        const QString line =
            linesOf(summaryLine(DocumentKind::Receipt,
                                readDocument(book_, DocumentKind::Receipt, "1").summary))
                .front();
        QCOMPARE(line.mid(15, 36), fields);
        QCOMPARE(line, "    1 05.03.26 " + fields + "          7 05.03.26        1,00");
    }

    // A partner's documents and no one else's, in stored order, under the underscored rule.
    void byPartner() {
        seed();
        addPartner(book_, "d", "Alfa trgovina");
        addPartner(book_, "s", "Beta");
        receipt(book_, kDay, "Alfa trgovina", twoLines(), "Račun", "R-1");
        receipt(book_, kDay.addDays(1), "Beta", {{vijak_, "1", "4"}}, "Račun", "R-2");
        receipt(book_, kDay.addDays(2), "Alfa trgovina", {{plocica_, "3", "2"}}, "Račun", "R-3");

        std::vector<PartnerChoice> partners = documentPartners(book_, DocumentKind::Receipt);
        QCOMPARE(partners.size(), size_t(3));
        QCOMPARE(partners.at(1).name, QString("Alfa trgovina"));
        const std::vector<DocumentSummary> documents =
            partnerDocuments(book_, DocumentKind::Receipt, partners.at(1).id);
        COMPARE_LINES(linesOf(summaryText(DocumentKind::Receipt, documents, true)),
                      (QStringList{kReceiptHeading, kUnderscores,
                                   "    1 05.03.26 Alfa trgovina             Račun             R-1 "
                                   "05.03.26        9,00",
                                   "    3 07.03.26 Alfa trgovina             Račun             R-3 "
                                   "07.03.26        6,00"}));
    }

    // Receipts name suppliers, issues customers and cost centres; partners of both kinds serve
    // both.
    void partnersOfKind_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("names");
        dataRow("receipt", int(DocumentKind::Receipt), QString("Dobavljač|Oboje|mali d"));
        dataRow("issue", int(DocumentKind::Issue), QString("Proizvodnja|Kupac|Oboje"));
    }
    void partnersOfKind() {
        QFETCH(int, kind);
        QFETCH(QString, names);
        addPartner(book_, "d", "Dobavljač");
        addPartner(book_, "k", "Kupac");
        addPartner(book_, "s", "Oboje");
        addPartner(book_, "D", "mali d");
        QStringList actual;
        for (const PartnerChoice& p : documentPartners(book_, DocumentKind(kind)))
            actual.append(p.name);
        QCOMPARE(actual.join(u'|'), names);
    }

    // A number no document has: no current record; the full view then has no summary line,
    // no document line and a grand total of nothing.
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
        COMPARE_LINES(linesOf(fullViewText(DocumentKind::Receipt, nullptr)),
                      (QStringList{kReceiptHeading, kBlanks, kUnderscores, kLineHeading, kBlanks,
                                   kDashes, kUnderscores,
                                   QString(58, u' ') +
                                       "Ukupni iznos: " + QString("0,00").rightJustified(11)}));
    }
};

QTEST_MAIN(Tst_documentreports)
#include "tst_documentreports.moc"
