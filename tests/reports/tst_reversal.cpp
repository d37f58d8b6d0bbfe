// Reversal of posted receipts and issues: the reversal takes back exactly what the original did
// (the stock audit replays the book to the stored figures afterwards), and every refusal names
// its reason and leaves the book as it was.

#include "data/database.h"
#include "reports/stockaudit.h"
#include "testenv.h"
#include "warehouse/reversal.h"

#include <QTest>

using namespace kl;
using namespace kl::test;

namespace {

constexpr auto R = DocumentKind::Receipt;
constexpr auto I = DocumentKind::Issue;

DocumentLine line(int article, const QString& q, const QString& c, const QString& amount) {
    return {"A1", "Artikl", q, c, amount, QString::number(article)};
}

QString figures(const QString& book) {
    Database db = Database::open(book);
    Recordset r = db.openRecordset("select stanje,vrijednost,proscijena from artikli");
    return r.text("stanje") + "|" + r.text("vrijednost") + "|" + r.text("proscijena");
}

}  // namespace

class TstReversal : public QObject {
    Q_OBJECT
    std::unique_ptr<TempProgramFolder> folder_;
    QString book_;
    int article_ = 0;

    void post(DocumentKind kind, const QString& partner, const DocumentLine& l) {
        DocumentHeader h;
        h.kind = kind;
        h.broj = QString::number(nextDocumentNumber(book_, kind));
        h.datum = QDate(2026, 12, 1);
        h.partner = partner;
        h.documentType = "Račun";
        h.brojdok = "R-1";
        h.datumdok = h.datum;
        QCOMPARE(postDocument(book_, h, {l}).refusal, PostingRefusal::None);
    }

  private slots:
    void init() {
        folder_ = std::make_unique<TempProgramFolder>();
        book_ = newWarehouseBook().filePath();
        addPartner(book_, "d", "Dobavljač");
        addPartner(book_, "k", "Kupac");
        addDocumentType(book_, "Račun");
        article_ = addArticle(book_, "A1", "Artikl");
        post(R, "Dobavljač", line(article_, "10,00", "2,55", "25,50"));
        post(R, "Dobavljač", line(article_, "5,00", "3,01", "15,05"));
        post(I, "Kupac", line(article_, "12,00", "2,70", "32,40"));
    }
    void cleanup() { folder_.reset(); }

    // The issue, then the second receipt, then the first: each back to the figures before it.
    void reversedExactly() {
        QCOMPARE(figures(book_), "3|8,15|2,72");
        ReversalResult r = reverseDocument(book_, I, 1, QDate(2026, 12, 31));
        QCOMPARE(r.refusal, QString());
        QCOMPARE(r.number, 2);
        QCOMPARE(figures(book_), "15|40,55|2,7");
        r = reverseDocument(book_, R, 2, QDate(2026, 12, 31));
        QCOMPARE(r.refusal, QString());
        QCOMPARE(r.number, 3);
        QCOMPARE(figures(book_), "10|25,5|2,55");
        QCOMPARE(reverseDocument(book_, R, 1, QDate(2026, 12, 31)).refusal, QString());
        QCOMPARE(figures(book_), "0|0|2,55");  // no stock: the average price stays
        QVERIFY(auditStock(book_).empty());    // the movements replay to the stored figures
        Database db = Database::openBook(book_);
        QCOMPARE(
            db.openRecordset("select napomena from kl_storna order by idstorna").text("napomena"),
            "Storno izdatnice br. 1");
        QCOMPARE(
            db.openRecordset("select brojdok from pi where pi='P' and brojpi=3").text("brojdok"),
            "Storno 2");
    }

    void refused_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("reason");
        dataRow("no such document", int(R), 9, "Primka br. 9 ne postoji.");
        dataRow("goods issued since", int(R), 1,
                "Primku br. 1 nije moguće stornirati: artikla A1 Artikl sada je na skladištu 2,00 "
                "u vrijednosti 5,45, a primka ga je unijela 10,00 u vrijednosti 25,50.");
        dataRow("already reversed", int(I), 1,
                "Izdatnica br. 1 već je stornirana (izdatnica br. 2).");
        dataRow("a reversal itself", int(I), 2,
                "Izdatnica br. 2 je storno izdatnice br. 1; storno "
                "se ne stornira.");
        dataRow("a work order's issue", int(I), 3,
                "Izdatnica br. 3 izdana je mjestu troška Proizvodnja (radnim nalogom); stornira "
                "se samo s radnim nalogom.");
    }
    void refused() {
        QFETCH(int, kind);
        QFETCH(int, number);
        QFETCH(QString, reason);
        QCOMPARE(reverseDocument(book_, I, 1, QDate(2026, 12, 31)).refusal, QString());
        post(I, "Proizvodnja", line(article_, "13,00", "2,70", "35,10"));
        const QStringList before = folderSnapshot(folder_->path());
        QCOMPARE(reversalRefusal(book_, DocumentKind(kind), number), reason);
        QCOMPARE(reverseDocument(book_, DocumentKind(kind), number, QDate(2026, 12, 31)).refusal,
                 reason);
        QCOMPARE(folderSnapshot(folder_->path()), before);
    }
};

QTEST_GUILESS_MAIN(TstReversal)
#include "tst_reversal.moc"
