// Transfers between two warehouse books of a company: both documents with the figures worked out
// by hand, the article made in the target book, the pair recorded on both sides; a refusal or a
// failure in the second book leaves both books as they were.

#include "data/appcontext.h"
#include "data/database.h"
#include "reports/stockaudit.h"
#include "testenv.h"
#include "warehouse/reversal.h"
#include "warehouse/transfer.h"

#include <QFile>
#include <QTest>

using namespace kl;
using namespace kl::test;

namespace {

QString row(const QString& book, const QString& sql, const QVariantList& params = {}) {
    Database db = Database::open(book);
    Recordset r = db.openRecordset(sql, params);
    QStringList cells;
    for (int c = 0; c < r.fieldCount(); ++c)
        cells << r.value(c).toString();
    return cells.join(u'|');
}

}  // namespace

class TstTransfer : public QObject {
    Q_OBJECT
    std::unique_ptr<TempProgramFolder> folder_;
    TransferBook glavno_, pomocno_;
    QString kabel_, zica_;

    DocumentLine line(const QString& id, const QString& quantity) {
        return {QString(), QString(), quantity, QString(), QString(), id};
    }
    TransferResult transfer(const TransferBook& from, const TransferBook& to,
                            const std::vector<DocumentLine>& lines) {
        return postTransfer({from, to, QDate(2026, 12, 7), lines});
    }

  private slots:
    // "Glavno": Kabel 10 at 2,55 and 5 at 3,01 (15, 40,55, average 2,70), Žica 8 at 1,25.
    // "Pomoćno": Kabel 4 at 3,00, no Žica.
    void init() {
        folder_ = std::make_unique<TempProgramFolder>();
        createMaster();
        const int company = addCompany("Alfa");
        context().currentCompanyId = company;
        glavno_ = {QString::number(addBook(company, "Glavno", kWarehouseKind)), "Glavno"};
        pomocno_ = {QString::number(addBook(company, "Pomoćno", kWarehouseKind)), "Pomoćno"};
        const QString g = glavno_.location().filePath();
        addPartner(g, "d", "Dobavljač");
        addDocumentType(g, "Račun");
        kabel_ = QString::number(addArticle(g, "K1", "Kabel", 0, 0, 0, "kg"));
        zica_ = QString::number(addArticle(g, "Z1", "Žica", 0, 0, 0, "m", 2, "3850000000001"));
        const QString p = pomocno_.location().filePath();
        const QString pk = QString::number(addArticle(p, "K1", "Kabel bakreni", 0, 0, 0, "kg"));
        addPartner(p, "d", "Dobavljač");
        addDocumentType(p, "Račun");
        DocumentHeader h;
        h.broj = "1";
        h.datum = h.datumdok = QDate(2026, 12, 1);
        h.partner = "Dobavljač";
        h.documentType = "Račun";
        h.brojdok = "R-1";
        postDocument(g, h,
                     {{"K1", "Kabel", "10,00", "2,55", "25,50", kabel_},
                      {"Z1", "Žica", "8,00", "1,25", "10,00", zica_}});
        h.broj = "2";
        postDocument(g, h, {{"K1", "Kabel", "5,00", "3,01", "15,05", kabel_}});
        h.broj = "1";
        postDocument(p, h, {{"K1", "Kabel bakreni", "4,00", "3,00", "12,00", pk}});
    }
    void cleanup() { folder_.reset(); }

    void issueHereReceiptThere() {
        const TransferResult r = transfer(
            glavno_, pomocno_, {line(kabel_, "6,00"), line(kabel_, "2,50"), line(zica_, "3,00")});
        QCOMPARE(r.refusal, QString());
        QCOMPARE(QPair(r.issueNumber, r.receiptNumber), QPair(1, 2));
        QCOMPARE(r.newArticles, QStringList{"Z1 Žica"});
        const QString g = glavno_.location().filePath(), p = pomocno_.location().filePath();

        // At 2,70: 6 x 2,70 = 16,20 and 2,5 x 2,70 = 6,75; Žica 3 x 1,25 = 3,75.
        const char* lines = "select kolicina,cijena from ulazizlaz where idpi=? order by id";
        for (const QString& book : {g, p}) {
            Database db = Database::open(book);
            const QString header = db.openRecordset("select max(id) as n from pi").text("n");
            QStringList movements;
            for (Recordset r = db.openRecordset(lines, {header}); !r.eof(); r.moveNext())
                movements << r.text("kolicina") + "@" + r.text("cijena");
            QCOMPARE(movements, QStringList({"6@2,7", "2,5@2,7", "3@1,25"}));
        }
        // Glavno: Kabel 15 - 8,5 = 6,5 worth 40,55 - 22,95 = 17,60 (2,71); Žica 5, 6,25.
        QCOMPARE(row(g, "select stanje,vrijednost,proscijena from artikli where sifra='K1'"),
                 "6.5|17.6|2.71");
        QCOMPARE(row(g, "select stanje,vrijednost,proscijena from artikli where sifra='Z1'"),
                 "5|6.25|1.25");
        // Pomoćno: Kabel 4 + 8,5 = 12,5 worth 12 + 22,95 = 34,95 (2,80); Žica made there.
        QCOMPARE(row(p, "select stanje,vrijednost,proscijena from artikli where sifra='K1'"),
                 "12.5|34.95|2.8");
        QCOMPARE(row(p,
                     "select naziv,jedmjere,barkod,minkolicina,stanje,vrijednost,proscijena "
                     "from artikli where sifra='Z1'"),
                 "Žica|m|3850000000001|0|3|3.75|1.25");
        // Each names the other book as its partner; the receipt's document is the issue.
        QCOMPARE(row(g,
                     "select pi.pi,pi.brojpi,kd.ime,kd.kd from pi inner join kd on "
                     "kd.id=pi.idkd where pi.id=3"),
                 "I|1|Pomoćno|s");
        QCOMPARE(row(p,
                     "select pi.pi,pi.brojpi,kd.ime,kd.kd,pi.brojdok from pi inner join kd on "
                     "kd.id=pi.idkd where pi.id=2"),
                 "P|2|Glavno|s|1");
        QCOMPARE(row(p,
                     "select dokumenti.dokument from pi inner join dokumenti on "
                     "dokumenti.id=pi.dokument where pi.id=2"),
                 "Međuskladišnica");
        QCOMPARE(transferNote(g, 3), "Međuskladišnica br. 1 u Pomoćno (primka br. 2)");
        QCOMPARE(transferNote(p, 2), "Međuskladišnica br. 1 iz Glavno");
        QVERIFY(auditStock(g).empty());
        QVERIFY(auditStock(p).empty());
        QCOMPARE(reversalRefusal(g, DocumentKind::Issue, 1),
                 "Izdatnica br. 1 dio je međuskladišnice (Međuskladišnica br. 1 u Pomoćno (primka "
                 "br. 2)); ne stornira se sama, nego međuskladišnicom u suprotnom smjeru.");

        // Back again: the same partners and the Žica of Glavno found by its code. Pomoćno's
        // table has lost its index, as a copy made before copies kept it: the transfer remakes it.
        QVERIFY(executeRaw(p, "drop index kl_ix_medjuskladisnice"));
        const QString back = articlesByCode(p).value("Z1").id;
        const TransferResult b = transfer(pomocno_, glavno_, {line(back, "1,00")});
        QCOMPARE(QPair(b.issueNumber, b.receiptNumber), QPair(1, 3));
        QCOMPARE(b.newArticles, QStringList());
        QCOMPARE(row(g, "select stanje,vrijednost from artikli where sifra='Z1'"), "6|7.5");
        QCOMPARE(rowCount(g, "kd") + rowCount(p, "kd"), 3 + 3);
        QCOMPARE(transferNote(g, 4), "Međuskladišnica br. 1 iz Pomoćno");
        for (const QString& book : {g, p})
            QVERIFY(Database::open(book).hasIndex(kTransferTable, "KL_IX_MEDJUSKLADISNICE"));
    }

    // Nothing is written when the transfer is refused or the second book fails.
    void bothOrNeither_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("refusal");
        dataRow("more than in stock", QString("stock"),
                QString("Na skladištu Glavno nema dovoljno artikla K1 Kabel: na stanju je 15,00, "
                        "a prenosi se 16,00."));
        dataRow("no quantity", QString("zero"),
                QString("Količina artikla Z1 mora biti veća od nule."));
        dataRow("the same book", QString("same"),
                QString("Roba se ne prenosi u skladište iz kojeg izlazi."));
        dataRow("target file never made", QString("nofile"),
                QString("Skladište Pomoćno još nema svoju datoteku: uđite jednom u tu knjigu, pa "
                        "ponovite međuskladišnicu."));
        dataRow("second book fails", QString("trigger"), QString());
    }
    void bothOrNeither() {
        QFETCH(QString, fault);
        QFETCH(QString, refusal);
        if (fault == "trigger")
            QVERIFY(executeRaw(pomocno_.location().filePath(),
                               "create trigger fail before insert on ulazizlaz "
                               "begin select raise(abort, 'disk full'); end"));
        if (fault == "nofile") QVERIFY(QFile::remove(pomocno_.location().filePath()));
        const QStringList before = folderSnapshot(folder_->path());
        std::vector<DocumentLine> lines = {line(zica_, "1,00"), line(kabel_, "10,00")};
        if (fault == "stock") lines.push_back(line(kabel_, "6,00"));
        if (fault == "zero") lines.push_back(line(zica_, "-1,00"));
        const TransferBook& to = fault == "same" ? glavno_ : pomocno_;
        if (fault == "trigger")
            QVERIFY_THROWS_EXCEPTION(DbError, transfer(glavno_, to, lines));
        else
            QCOMPARE(transfer(glavno_, to, lines).refusal, refusal);
        QCOMPARE(folderSnapshot(folder_->path()), before);
    }
};

QTEST_GUILESS_MAIN(TstTransfer)
#include "tst_transfer.moc"
