// Posting receipts and issues into a real book file: the stock rule on each article, the header
// and line rows, the numbering, the refusals and a failure that must leave the book untouched.

#include "data/appcontext.h"
#include "data/database.h"
#include "data/dberror.h"
#include "testenv.h"
#include "warehouse/documents.h"

#include <QTest>

#include <sqlite3.h>

using namespace kl;
using namespace kl::test;

Q_DECLARE_METATYPE(kl::DocumentKind)
Q_DECLARE_METATYPE(kl::PostingRefusal)

namespace {

constexpr auto R = DocumentKind::Receipt;
constexpr auto I = DocumentKind::Issue;

// Every row of `table` in id order, each as the default texts of its columns joined by "|".
QStringList rows(const QString& path, const QString& table) {
    Database db = Database::open(path);
    Recordset rs =
        db.openRecordset(QStringLiteral("select * from ") + table + QStringLiteral(" order by id"));
    QStringList out;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList fields;
        for (int c = 0; c < rs.fieldCount(); ++c)
            fields.append(rs.text(rs.fieldName(c)));
        out.append(fields.join(QLatin1Char('|')));
    }
    return out;
}

QStringList dump(const QString& path) {
    return rows(path, "pi") + rows(path, "ulazizlaz") + rows(path, "artikli");
}

// Stock, value and average price of an article as "stanje|vrijednost|proscijena".
QString figures(const QString& path, int article) {
    Database db = Database::open(path);
    Recordset rs = db.openRecordset(
        QStringLiteral("select stanje,vrijednost,proscijena from artikli where id=?"), {article});
    return rs.text("stanje") + '|' + rs.text("vrijednost") + '|' + rs.text("proscijena");
}

DocumentLine line(int article, const QString& kolicina, const QString& cijena,
                  const QString& iznos) {
    return {"A" + QString::number(article), "Artikl", kolicina, cijena, iznos,
            QString::number(article)};
}

DocumentHeader header(DocumentKind kind, const QString& partner,
                      const QString& type = QStringLiteral("Racun")) {
    DocumentHeader h;
    h.kind = kind;
    h.broj = QStringLiteral("1");
    h.datum = QDate(2026, 3, 14);
    h.partner = partner;
    if (kind == R) {
        h.documentType = type;
        h.brojdok = QStringLiteral("R-17/2026");
        h.datumdok = QDate(2026, 3, 12);
    }
    return h;
}

}  // namespace

class TstDocuments : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder_;
    QString book_;

  private slots:
    void init() {
        folder_ = std::make_unique<TempProgramFolder>();
        book_ = newWarehouseBook();
        addPartner(book_, "d", "Dobavljac");  // id 2, after the seeded "Proizvodnja"
        addDocumentType(book_, "Racun");
    }
    void cleanup() { folder_.reset(); }

    // One line on one article: the new stock, value and average price stored.
    void stockRule_data() {
        QTest::addColumn<DocumentKind>("kind");
        QTest::addColumn<double>("stock");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("average");
        QTest::addColumn<QStringList>("movement");  // kolicina, cijena, iznos
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, DocumentKind kind, double stock, double value,
                      double average, const QStringList& line, const char* expected) {
            QTest::newRow(name) << kind << stock << value << average << line
                                << QString::fromUtf8(expected);
        };
        row("receipt", R, 4, 12, 3, {"10,00", "2,50", "25,00"}, "14|37|2,64");
        row("issue", I, 14, 37, 2.64, {"3,00", "2,64", "7,92"}, "11|29,08|2,64");
        row("receipt into empty article", R, 0, 0, 0, {"4,00", "1,25", "5,00"}, "4|5|1,25");
        row("issue to zero stock keeps average", I, 5, 12.5, 2.5, {"5,00", "2,50", "12,50"},
            "0|0|2,5");
        row("issue to zero stock, value left", I, 3, 10, 3.33, {"3,00", "3,33", "9,99"},
            "0|0,01|3,33");
        // Stored and line figures are each rounded to two decimals before the sum is made.
        row("receipt of rounded figures", R, 2.004, 2.004, 1, {"1,004", "2,00", "2,004"},
            "3|4|1,33");
        row("issue of rounded figures", I, 5.006, 10.006, 2, {"1,004", "2,00", "2,004"},
            "4,01|8,01|2");
        // 1234567,89 keeps seven significant digits; the average is taken from what is stored.
        row("seven significant digits", R, 1, 1234500, 1234500, {"1,00", "67,89", "67,89"},
            "2|1234568|617284");
    }
    void stockRule() {
        QFETCH(DocumentKind, kind);
        QFETCH(double, stock);
        QFETCH(double, value);
        QFETCH(double, average);
        QFETCH(QStringList, movement);
        QFETCH(QString, expected);
        const int a = addArticle(book_, "A1", "Artikl", stock, value, average);
        const PostingResult r =
            postDocument(book_, header(kind, kind == R ? "Dobavljac" : "Proizvodnja"),
                         {line(a, movement[0], movement[1], movement[2])});
        QCOMPARE(r.refusal, PostingRefusal::None);
        QCOMPARE(figures(book_, a), expected);
    }

    // A receipt and then an issue of the same article: the rows each writes and the numbering,
    // receipts and issues counted apart.
    void receiptThenIssue() {
        const int a = addArticle(book_, "A1", "Vijak", 4, 12, 3);
        const int b = addArticle(book_, "A2", "Matica");
        addPartner(book_, "s", "Dobavljac");
        const int customer = addPartner(book_, "k", "Kupac");
        const int type = addDocumentType(book_, "Otpremnica");
        addDocumentType(book_, "Otpremnica");
        QCOMPARE(nextDocumentNumber(book_, R), 1);
        QCOMPARE(nextDocumentNumber(book_, I), 1);

        DocumentHeader h = header(R, "DOBAVLJAC", "otpremnica");
        const PostingResult receipt = postDocument(
            book_, h, {line(a, "10,00", "2,50", "25,00"), line(b, "2,00", "1,50", "3,00")});
        QCOMPARE(receipt.refusal, PostingRefusal::None);
        QCOMPARE(figures(book_, a), "14|37|2,64");
        QCOMPARE(figures(book_, b), "2|3|1,5");
        QCOMPARE(nextDocumentNumber(book_, R), 2);
        QCOMPARE(nextDocumentNumber(book_, I), 1);

        h = header(I, "kupac");
        const PostingResult issue = postDocument(book_, h, {line(a, "3,00", "2,64", "7,92")});
        QCOMPARE(issue.refusal, PostingRefusal::None);
        QCOMPARE(figures(book_, a), "11|29,08|2,64");
        QCOMPARE(nextDocumentNumber(book_, R), 2);
        QCOMPARE(nextDocumentNumber(book_, I), 2);

        // id|pi|brojpi|datumpi|dokument|brojdok|datumdok|idkd: the receipt names its supplier's
        // document type by id, the issue leaves the supplier's document empty.
        const QString r = QString::number(receipt.headerId);
        const QString i = QString::number(issue.headerId);
        QCOMPARE(
            rows(book_, "pi"),
            QStringList({r + "|P|1|14.03.2026|" + QString::number(type) + "|R-17/2026|12.03.2026|2",
                         i + "|I|1|14.03.2026||||" + QString::number(customer)}));
        Database db = Database::open(book_);
        Recordset rs =
            db.openRecordset("select dokument,brojdok,datumdok from pi where id=?", {i.toInt()});
        for (const char* field : {"dokument", "brojdok", "datumdok"})
            QVERIFY2(rs.value(field).isNull(), field);
        // id|idartikla|idpi|idkd|kolicina|cijena, in list order
        const QString sa = QString::number(a), sb = QString::number(b);
        QCOMPARE(rows(book_, "ulazizlaz"),
                 QStringList({"1|" + sa + "|" + r + "|2|10|2,5", "2|" + sb + "|" + r + "|2|2|1,5",
                              "3|" + sa + "|" + i + "|" + QString::number(customer) + "|3|2,64"}));
    }

    // Each line of an article starts from what the line before it left.
    void sameArticleTwice() {
        const int a = addArticle(book_, "A1", "Vijak");
        const int b = addArticle(book_, "A2", "Matica");
        postDocument(book_, header(R, "Dobavljac"),
                     {line(a, "10,00", "2,00", "20,00"), line(b, "1,00", "1,00", "1,00"),
                      line(a, "5,00", "3,00", "15,00")});
        QCOMPARE(figures(book_, a), "15|35|2,33");
        QCOMPARE(figures(book_, b), "1|1|1");
        postDocument(book_, header(I, "Proizvodnja"),
                     {line(a, "4,00", "2,33", "9,32"), line(a, "11,00", "2,33", "25,63")});
        QCOMPARE(figures(book_, a), "0|0,05|2,33");
    }

    // A partner or document type the book does not know refuses the posting and writes nothing;
    // an issue has no document type to look up.
    void refusals_data() {
        QTest::addColumn<DocumentKind>("kind");
        QTest::addColumn<QString>("partner");
        QTest::addColumn<QString>("type");
        QTest::addColumn<PostingRefusal>("refusal");
        QTest::newRow("receipt, no partner") << R << "Nepoznat"
                                             << "Racun" << PostingRefusal::PartnerMissing;
        QTest::newRow("issue, no partner") << I << "Nepoznat"
                                           << "" << PostingRefusal::PartnerMissing;
        QTest::newRow("receipt, no type") << R << "Dobavljac"
                                          << "Ponuda" << PostingRefusal::DocumentTypeMissing;
        QTest::newRow("issue, type not asked") << I << "Proizvodnja"
                                               << "Ponuda" << PostingRefusal::None;
    }
    void refusals() {
        QFETCH(DocumentKind, kind);
        QFETCH(QString, partner);
        QFETCH(QString, type);
        QFETCH(PostingRefusal, refusal);
        const int a = addArticle(book_, "A1", "Vijak", 5, 10, 2);
        const QStringList before = dump(book_);
        DocumentHeader h = header(kind, partner);
        h.documentType = type;
        QCOMPARE(postDocument(book_, h, {line(a, "1,00", "2,00", "2,00")}).refusal, refusal);
        if (refusal != PostingRefusal::None)
            QCOMPARE(dump(book_), before);
        else
            QCOMPARE(rowCount(book_, "pi"), 1);
    }

    // A statement failing in the middle of a posting throws and takes back everything written
    // before it: the header, the lines and the articles already updated.
    void failureLeavesBookAsItWas_data() {
        QTest::addColumn<QString>("trigger");
        QTest::newRow("update of the second article")
            << "create trigger fail before update on artikli when old.id = 2 "
               "begin select raise(abort, 'forced'); end";
        QTest::newRow("second line") << "create trigger fail before insert on ulazizlaz "
                                        "when (select count(*) from ulazizlaz) > 0 "
                                        "begin select raise(abort, 'forced'); end";
    }
    void failureLeavesBookAsItWas() {
        QFETCH(QString, trigger);
        addArticle(book_, "A1", "Vijak", 4, 12, 3);
        QCOMPARE(addArticle(book_, "A2", "Matica", 1, 2, 2), 2);
        // The engine opens a file with a foreign trigger as its own; the trigger fires inside the
        // posting like any other failing statement.
        QCOMPARE(sqlite3_exec(Database::open(book_).handle(), trigger.toUtf8().constData(), nullptr,
                              nullptr, nullptr),
                 SQLITE_OK);
        const QStringList before = dump(book_);
        for (DocumentKind kind : {R, I}) {
            QVERIFY_THROWS_EXCEPTION(
                DbError,
                postDocument(book_, header(kind, kind == R ? "Dobavljac" : "Proizvodnja"),
                             {line(1, "1,00", "3,00", "3,00"), line(2, "1,00", "2,00", "2,00")}));
            QCOMPARE(dump(book_), before);
            QCOMPARE(nextDocumentNumber(book_, kind), 1);
        }
    }
};

QTEST_GUILESS_MAIN(TstDocuments)
#include "tst_documents.moc"
