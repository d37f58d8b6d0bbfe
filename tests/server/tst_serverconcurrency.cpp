// Several clerks posting into the same book on a server at once: eight processes post receipts
// and issues through the program's posting code, each in runWrite; afterwards the numbers of
// each kind run 1..n without a gap or a repeat, and the article's figures are what its
// movements give (worked out here: every receipt and issue moves 1 unit at 2,00).

#include "data/database.h"
#include "data/serverbooks.h"
#include "pgtestserver.h"
#include "warehouse/documents.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

using namespace kl;

namespace {

const QString kBook = QStringLiteral("kl_proba_istodobno");
constexpr int kClerks = 8;
constexpr int kReceipts = 30;
constexpr int kIssues = 15;

// One clerk: receipts and issues in turn through the posting of the receipt window, which numbers
// each document inside its own write.
int clerk() {
    const BookLocation book =
        BookLocation::server(test::testServer(), kBook, QStringLiteral("Skladiste"));
    const QString article = Database::openBook(book)
                                .openRecordset(QStringLiteral("select id from artikli"))
                                .value(0)
                                .toString();
    for (int i = 0; i < kReceipts + kIssues; ++i) {
        const bool receipt = i % 3 != 2;
        DocumentHeader h;
        h.kind = receipt ? DocumentKind::Receipt : DocumentKind::Issue;
        h.broj = QStringLiteral("1");
        h.proposedNumber = true;
        h.datum = QDate(2026, 12, 7);
        h.partner = receipt ? QStringLiteral("Dobavljač") : QStringLiteral("Kupac");
        h.documentType = QStringLiteral("Račun");
        h.datumdok = h.datum;
        const std::vector<DocumentLine> lines = {{QStringLiteral("A1"), QStringLiteral("Brašno"),
                                                  QStringLiteral("1,00"), QStringLiteral("2,00"),
                                                  QStringLiteral("2,00"), article}};
        if (postDocument(book, h, lines).refusal != PostingRefusal::None) return 2;
    }
    return 0;
}

}  // namespace

class TestServerConcurrency : public QObject {
    Q_OBJECT

  private slots:
    void clerksPostAtOnce() {
        const ServerAddress server = test::testServer();
        PgConnection::connect(server).exec(
            QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(kBook));
        server::createSchema(server, kBook, QStringLiteral("Skladiste"));
        Database db = server::openBook(server, kBook, QStringLiteral("Skladiste"));
        db.execute(
            QStringLiteral("insert into artikli(sifra,naziv,jedmjere,minkolicina,stanje,"
                           "vrijednost,proscijena)values('A1','Brašno','kg',0,0,0,0)"));
        db.execute(QStringLiteral("insert into kd(kd,ime)values('d','Dobavljač')"));
        db.execute(QStringLiteral("insert into kd(kd,ime)values('k','Kupac')"));
        db.execute(QStringLiteral("insert into dokumenti(dokument)values('Račun')"));

        std::vector<std::unique_ptr<QProcess>> clerks;
        for (int i = 0; i < kClerks; ++i) {
            clerks.push_back(std::make_unique<QProcess>());
            clerks.back()->setProcessChannelMode(QProcess::ForwardedChannels);
            clerks.back()->start(QCoreApplication::applicationFilePath(),
                                 {QStringLiteral("--referent")});
        }
        for (auto& c : clerks) {
            QVERIFY(c->waitForFinished(120000));
            QCOMPARE(c->exitStatus(), QProcess::NormalExit);
            QCOMPARE(c->exitCode(), 0);
        }

        for (const auto& [letter, count] :
             {std::pair{"P", kClerks * kReceipts}, std::pair{"I", kClerks * kIssues}}) {
            Recordset rs =
                db.openRecordset(QStringLiteral("select brojpi from pi where pi=? order by brojpi"),
                                 {QString::fromLatin1(letter)});
            QCOMPARE(rs.recordCount(), count);
            for (int n = 1; !rs.eof(); rs.moveNext(), ++n)
                QCOMPARE(rs.value(0).toInt(), n);
        }
        QCOMPARE(
            db.openRecordset(QStringLiteral("select count(*) from ulazizlaz")).value(0).toInt(),
            kClerks * (kReceipts + kIssues));
        Recordset a =
            db.openRecordset(QStringLiteral("select stanje,vrijednost,proscijena from artikli"));
        const int units = kClerks * (kReceipts - kIssues);
        QCOMPARE(a.number(QStringLiteral("stanje")), double(units));
        QCOMPARE(a.number(QStringLiteral("vrijednost")), 2.0 * units);
        QCOMPARE(a.number(QStringLiteral("proscijena")), 2.0);
        PgConnection::connect(server).exec(
            QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(kBook));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 2 && QByteArray(argv[1]) == "--referent") {
        try {
            return clerk();
        } catch (const DbError& e) {
            qWarning("%s", qPrintable(e.description()));
            return 1;
        }
    }
    TestServerConcurrency t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_serverconcurrency.moc"
