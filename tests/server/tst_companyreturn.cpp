// Moving a server company's books back into the program folder, killed at moments spread over the
// whole move: after each kill (and the next start's settling) the company is either on the
// server with its books unchanged, or in the folder with every book equal to its schema, the
// clashing book ids renumbered in the files' names and inside the books; moving again always
// finishes, and no staged file is left. And the back-up of a server company into single files,
// killed the same way: only whole copies are listed, each book equal to its schema.

#include "data/appcontext.h"
#include "data/bookcopy.h"
#include "data/database.h"
#include "data/schema.h"
#include "data/serverbooks.h"
#include "pgtestserver.h"
#include "scriptedmsgbox.h"
#include "shell/books.h"
#include "shell/companies.h"
#include "shell/companymove.h"
#include "shell/companyserver.h"
#include "shell/dbtools.h"
#include "shell/frmupisnove.h"
#include "testenv.h"
#include "warehouse/documents.h"
#include "warehouse/transfer.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace kl;

namespace {

constexpr int kKills = 8;

// The child: the program's start (settling what a kill left), then the move back, ended as by
// a kill at its moment `killAt` when one is given.
int killAt = -1;
int mover(const QString& folder, const QString& company) {
    context().programFolder = folder;
    testing::returnStepHook = [](int step) {
        if (step == killAt) ::_exit(9);
    };
    finishInterruptedRemovals();
    finishInterruptedReturns();
    const QString problem = moveCompanyToFolder(company);
    if (!problem.isEmpty()) {
        qWarning("%s", qPrintable(problem));
        return 3;
    }
    return 0;
}

int backer(const QString& folder, const QString& company) {
    context().programFolder = folder;
    try {
        backUpServerCompany(company);
    } catch (const DbError& e) {
        qWarning("%s", qPrintable(e.description()));
        return 3;
    }
    return 0;
}

void copyFolder(const QString& from, const QString& to) {
    for (const QString& name : QDir(from).entryList(QDir::Files))
        QVERIFY(QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name)));
}

QString firstValue(const QString& path, const QString& sql) {
    Database db = Database::open(path);
    return db.openRecordset(sql).value(0).toString().trimmed();
}

}  // namespace

class TestCompanyReturn : public QObject {
    Q_OBJECT

    QTemporaryDir local_;  // the company's books as they were made, before they went to the server
    QTemporaryDir clerk_;  // a second clerk's folder: another company's books 1 and 2, ours there
    QString company_;      // its id in clerk_
    // Books on the server (kind, id) and the id each has in clerk_ after the move.
    QList<std::tuple<QString, int, int>> books_;
    const BookIdMap renumbering_{{QStringLiteral("1"), QStringLiteral("4")},
                                 {QStringLiteral("2"), QStringLiteral("5")}};

    void dropSchemas() {
        PgConnection c = PgConnection::connect(test::testServer());
        const PgResult r = c.exec(QStringLiteral(
            "SELECT nspname FROM pg_namespace WHERE nspname ~ '^(tvrtka|skladiste|proizvodnja)_'"));
        for (int i = 0; i < r.rows(); ++i)
            c.exec(QStringLiteral("DROP SCHEMA \"%1\" CASCADE").arg(r.text(i, 0)));
    }
    BookLocation onServer(const QString& kind, int id) const {
        return BookLocation::server(test::testServer(), server::bookSchema(kind, id), kind);
    }
    int runMover(const QString& folder, int killAfterMs = -1,
                 const QString& mode = QStringLiteral("--vrati"), int step = -1) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(QCoreApplication::applicationFilePath(),
                {mode, folder, company_, QString::number(step)});
        if (!p.waitForStarted()) return -1;
        if (killAfterMs >= 0) {
            if (p.waitForFinished(killAfterMs)) return p.exitCode();
            p.kill();
            p.waitForFinished();
            return -2;
        }
        p.waitForFinished(120000);
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    void checkNothingStaged() {
        const QStringList left =
            QDir(context().programFolder).entryList({QStringLiteral("*.povrat-*")}, QDir::Files);
        QCOMPARE(left, QStringList());
    }
    // On the server, every book as it was made; the folder lists none of its books.
    void checkOnServer() {
        QVERIFY(companyServer(company_));
        QCOMPARE(test::rowCount(context().masterPath(), QStringLiteral("otvoreneknjige")), 2);
        for (const auto& [kind, id, newId] : books_) {
            Database file = Database::open(
                QDir(local_.path()).filePath(kind + QString::number(id) + QStringLiteral(".mdb")));
            Database schema = Database::openBook(onServer(kind, id));
            QCOMPARE(compareRows(file, schema), QString());
            QCOMPARE(kind == kWarehouseKind,
                     schema.hasIndex(kTransferTable, QStringLiteral("kl_ix_medjuskladisnice")));
        }
    }
    // In the folder, every book equal to its schema under its new id.
    void checkInFolder() {
        QVERIFY(!companyServer(company_));
        QCOMPARE(test::rowCount(context().masterPath(), QStringLiteral("otvoreneknjige")), 5);
        for (const auto& [kind, id, newId] : books_) {
            Database schema = Database::openBook(onServer(kind, id));
            Database file = Database::open(test::bookPath(kind, newId));
            QCOMPARE(compareRows(schema, file, renumbering_), QString());
            QCOMPARE(kind == kWarehouseKind,
                     file.hasIndex(kTransferTable, QStringLiteral("kl_ix_medjuskladisnice")));
            QVERIFY(bookFileWasMade(kind + QString::number(newId) + QStringLiteral(".mdb")));
        }
        // The ids inside the books followed theirs.
        QCOMPARE(firstValue(test::bookPath(kProductionKind, 3),
                            QStringLiteral("select idskladista from sastojci")),
                 QStringLiteral("4"));
        QCOMPARE(firstValue(test::bookPath(kWarehouseKind, 4),
                            QStringLiteral("select idknjige from kl_medjuskladisnice")),
                 QStringLiteral("5"));
        // The other company's books 1 and 2 are untouched.
        QCOMPARE(test::rowCount(test::bookPath(kWarehouseKind, 1), QStringLiteral("artikli")), 1);
        QCOMPARE(test::rowCount(test::bookPath(kWarehouseKind, 2), QStringLiteral("artikli")), 0);
    }

  private slots:
    void initTestCase() {
        dropSchemas();
        // The company in a folder of its own: two warehouse books that refer to each other by
        // transfers, a production book whose bill takes from the first; then moved to the server.
        context().programFolder = local_.path();
        test::createMaster();
        const int company = test::addCompany(QStringLiteral("Povratak d.o.o."));
        const int w1 = test::addBook(company, QStringLiteral("Glavno"), kWarehouseKind);
        const int w2 = test::addBook(company, QStringLiteral("Drugo"), kWarehouseKind);
        const int p = test::addBook(company, QStringLiteral("Pogon"), kProductionKind);
        QCOMPARE(QList<int>({w1, w2, p}), QList<int>({1, 2, 3}));
        books_ = {{kWarehouseKind, 1, 4}, {kWarehouseKind, 2, 5}, {kProductionKind, 3, 3}};
        const QString book = test::bookPath(kWarehouseKind, w1);
        test::addPartner(book, QStringLiteral("d"), QStringLiteral("Dobavljač"));
        test::addDocumentType(book, QStringLiteral("Račun"));
        QStringList ids;
        for (int i = 0; i < 200; ++i)
            ids << QString::number(test::addArticle(book, QStringLiteral("A%1").arg(i),
                                                    QStringLiteral("Artikl čćž %1").arg(i)));
        for (int d = 0; d < 60; ++d) {
            DocumentHeader h;
            h.kind = DocumentKind::Receipt;
            h.broj = QString::number(d + 1);
            h.datum = h.datumdok = QDate(2026, 1, 1).addDays(d);
            h.partner = QStringLiteral("Dobavljač");
            h.documentType = QStringLiteral("Račun");
            h.brojdok = QStringLiteral("R%1").arg(d);
            std::vector<DocumentLine> lines;
            for (int l = 0; l < 5; ++l)
                lines.push_back({{},
                                 {},
                                 QStringLiteral("2,00"),
                                 QStringLiteral("1,25"),
                                 QStringLiteral("2,50"),
                                 ids[(d * 5 + l) % ids.size()]});
            QCOMPARE(postDocument(book, h, lines).refusal, PostingRefusal::None);
        }
        for (const auto& [w, other] : {std::pair{w1, w2}, std::pair{w2, w1}}) {
            Database db = Database::open(test::bookPath(kWarehouseKind, w));
            const schema::OnDemandTable& table = *schema::onDemandTable(kTransferTable);
            db.execute(table.create);
            db.execute(table.createIndex);
            db.execute(QStringLiteral("insert into kl_medjuskladisnice(idpi,idknjige,idpidrugi,"
                                      "brojpidrugi,napomena)values(1,?,1,1,'x')"),
                       {other});
        }
        {
            Database db = Database::open(test::bookPath(kProductionKind, p));
            db.execute(QStringLiteral("insert into proizvodi(sifra,naziv)values('P1','Stol')"));
            db.execute(QStringLiteral("insert into sastojci(idartikla,idproizvoda,idskladista,"
                                      "kolicina,cijena)values(?,'1',?,2,3)"),
                       {ids[0], QString::number(w1)});
        }
        QTemporaryDir moved;
        copyFolder(local_.path(), moved.path());
        context().programFolder = moved.path();
        QCOMPARE(moveCompanyToServer(QString::number(company), test::testServer()), QString());

        // The second clerk: another company's books take ids 1 and 2; ours is on the server.
        context().programFolder = clerk_.path();
        test::createMaster();
        const int other = test::addCompany(QStringLiteral("Druga"));
        test::addArticle(test::bookPath(kWarehouseKind, test::addBook(other, "A", kWarehouseKind)),
                         QStringLiteral("X"), QStringLiteral("Roba"));
        test::addBook(other, "B", kWarehouseKind);
        company_ = QString::number(test::addCompany(QStringLiteral("Povratak d.o.o.")));
        Database master = Database::open(context().masterPath());
        setCompanyServer(master, company_,
                         CompanyServer{test::testServer(), server::registerSchema(company)});
    }

    void killedAnywhereAndMovedAgain() {
        QTemporaryDir whole;
        copyFolder(clerk_.path(), whole.path());
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(runMover(whole.path()), 0);
        const qint64 length = qMax<qint64>(timer.elapsed(), 50);
        context().programFolder = whole.path();
        checkInFolder();
        checkNothingStaged();
        QCOMPARE(runMover(whole.path()), 3);  // a second move back is refused

        // Killed at moments spread over its length, then at each of its steps: the mark, each
        // book staged (3), the switch, each file put in place (3).
        for (int k = 0; k < kKills + 8; ++k) {
            QTemporaryDir folder;
            copyFolder(clerk_.path(), folder.path());
            context().programFolder = folder.path();
            if (k < kKills)
                runMover(folder.path(), int(length * (2 * k + 1) / (2 * kKills)));
            else
                QCOMPARE(runMover(folder.path(), -1, QStringLiteral("--vrati"), k - kKills), 9);
            finishInterruptedRemovals();  // as the next start does
            finishInterruptedReturns();
            checkNothingStaged();
            if (companyServer(company_)) {
                checkOnServer();
                QCOMPARE(runMover(folder.path()), 0);
            }
            checkInFolder();
            checkNothingStaged();
        }
    }

    void backUpKilledAnywhere() {
        QTemporaryDir folder;
        copyFolder(clerk_.path(), folder.path());
        context().programFolder = folder.path();
        const QString backUp = QStringLiteral("--kopija");
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(runMover(folder.path(), -1, backUp), 0);
        const qint64 length = qMax<qint64>(timer.elapsed(), 50);
        for (int k = 0; k < kKills; ++k) {
            runMover(folder.path(), int(length * (2 * k + 1) / (2 * kKills)), backUp);
            for (const BackupInfo& b : listBackups())
                QCOMPARE(backupProblem(b.path), QString());
        }
        QCOMPARE(runMover(folder.path(), -1, backUp), 0);
        // What the killed ones left is gone; the newest copy holds every book as its schema.
        const QStringList staging =
            QDir(backupRoot())
                .entryList({QStringLiteral(".u-izradi-*")}, QDir::Dirs | QDir::Hidden);
        QCOMPARE(staging, QStringList());
        const std::vector<BackupInfo> copies = listBackups();
        QVERIFY(copies.size() >= 2);
        for (const BackupInfo& copy : copies) {
            QCOMPARE(copy.serverCompany, QStringLiteral("Povratak d.o.o."));
            QCOMPARE(copy.files,
                     QStringList({QStringLiteral("tvrtke.mdb"), QStringLiteral("Skladiste1.mdb"),
                                  QStringLiteral("Skladiste2.mdb"),
                                  QStringLiteral("Proizvodnja3.mdb")}));
            for (const auto& [kind, id, newId] : books_) {
                Database schema = Database::openBook(onServer(kind, id));
                Database file = Database::open(
                    QDir(copy.path).filePath(kind + QString::number(id) + QStringLiteral(".mdb")));
                QCOMPARE(compareRows(schema, file), QString());
            }
            QCOMPARE(test::rowCount(QDir(copy.path).filePath(QStringLiteral("tvrtke.mdb")),
                                    QStringLiteral("otvoreneknjige")),
                     3);
        }
        // Into a folder the clerk chose, the same copy.
        QTemporaryDir stick;
        backUpServerCompanyTo(company_, stick.path());
        const std::vector<BackupInfo> there = listBackupsIn(stick.path());
        QCOMPARE(there.size(), size_t(1));
        QCOMPARE(there[0].files, copies.front().files);
        QCOMPARE(backupProblem(there[0].path), QString());
        // Put in place of the program folder it would replace the other company: refused.
        QString why;
        QVERIFY(test::errorOf([&] { restoreBackup(copies.front().path); }, &why) != 0);
        QVERIFY2(why.contains(QStringLiteral("s poslužitelja")), qPrintable(why));
        QVERIFY(companyServer(company_));
    }

    // The company entry offers the way back when the server fields are cleared, and says what it
    // did: the renumbered books and the schemas left on the server.
    void offeredInTheCompanyEntry() {
        QTemporaryDir folder;
        copyFolder(clerk_.path(), folder.path());
        context().programFolder = folder.path();
        context().currentCompanyId = company_.toInt();
        test::ScriptedMsgBox box;
        box.answer(MsgResult::Yes);
        frmUpisNove entry;
        for (const CompanyRow& c : loadCompanies())
            if (c.id.trimmed() == company_) entry.startEdit(c);
        entry.findChild<QCheckBox*>(QStringLiteral("chkPosluzitelj"))->setChecked(false);
        entry.store();
        QCOMPARE(box.count(), 2);
        QCOMPARE(box.shown()[0].title, QStringLiteral("Prenesi u mapu programa"));
        QVERIFY2(box.last().prompt.contains(QStringLiteral("prenesene su u mapu programa")) &&
                     box.last().prompt.contains(QStringLiteral("1 → 4, 2 → 5")) &&
                     box.last().prompt.contains(QStringLiteral("ostale su kakve su bile")),
                 qPrintable(box.last().prompt));
        checkInFolder();
    }

    void cleanupTestCase() { dropSchemas(); }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc == 5) killAt = QByteArray(argv[4]).toInt();
    if (argc == 5 && QByteArray(argv[1]) == "--vrati")
        return mover(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc == 5 && QByteArray(argv[1]) == "--kopija")
        return backer(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    TestCompanyReturn t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_companyreturn.moc"
