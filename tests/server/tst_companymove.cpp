// Moving a company's books to a server, killed at moments spread over the whole move: after each
// kill the company is either still in the program folder with its books exactly as they were,
// or on the server with every book equal to its file; moving again then always finishes, and
// nothing is left under the move's own names.

#include "data/appcontext.h"
#include "data/bookcopy.h"
#include "data/database.h"
#include "data/serverbooks.h"
#include "pgtestserver.h"
#include "shell/books.h"
#include "shell/companymove.h"
#include "shell/companyserver.h"
#include "testenv.h"
#include "warehouse/documents.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace kl;

namespace {

constexpr int kKills = 12;

// The child: the program's start (settling what a kill left), then the move.
int mover(const QString& folder, const QString& company) {
    context().programFolder = folder;
    finishInterruptedRemovals();
    const QString problem = moveCompanyToServer(company, test::testServer());
    if (!problem.isEmpty()) {
        qWarning("%s", qPrintable(problem));
        return 3;
    }
    return 0;
}

void copyFolder(const QString& from, const QString& to) {
    for (const QString& name : QDir(from).entryList(QDir::Files))
        QVERIFY(QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name)));
}

}  // namespace

class TestCompanyMove : public QObject {
    Q_OBJECT

    QTemporaryDir pristine_;
    int company_ = 0;
    QList<std::pair<QString, int>> books_;  // kind, id

    void dropSchemas() {
        PgConnection c = PgConnection::connect(test::testServer());
        const PgResult r = c.exec(QStringLiteral(
            "SELECT nspname FROM pg_namespace WHERE nspname ~ '^(tvrtka|skladiste|proizvodnja)_'"));
        for (int i = 0; i < r.rows(); ++i)
            c.exec(QStringLiteral("DROP SCHEMA \"%1\" CASCADE").arg(r.text(i, 0)));
    }
    QString pristineBook(const QString& kind, int id) const {
        return QDir(pristine_.path()).filePath(kind + QString::number(id) + ".mdb");
    }
    int runMover(const QString& folder, int killAfterMs = -1) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--prenesi"), folder, QString::number(company_)});
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
    // The company on the server with every book equal to its file as it was.
    void checkOnServer() {
        const std::optional<CompanyServer> s = companyServer(QString::number(company_));
        QVERIFY(s);
        for (const auto& [kind, id] : books_) {
            Database file = Database::open(pristineBook(kind, id));
            Database copy = Database::openBook(
                BookLocation::server(s->address, server::bookSchema(kind, id), kind));
            QCOMPARE(compareRows(file, copy), QString());
        }
        QCOMPARE(loadBooks(QString::number(company_)).size(), 0);  // none left in the folder
    }

  private slots:
    void initTestCase() {
        context().programFolder = pristine_.path();
        test::createMaster();
        company_ = test::addCompany(QStringLiteral("Selidba d.o.o."));
        const int w = test::addBook(company_, QStringLiteral("Glavno"), kWarehouseKind);
        const int p = test::addBook(company_, QStringLiteral("Pogon"), kProductionKind);
        test::addBook(test::addCompany(QStringLiteral("Ostaje")), "Svoje", kWarehouseKind);
        books_ = {{kWarehouseKind, w}, {kProductionKind, p}};
        QVERIFY(prepareBookFile(bookFileName(kWarehouseKind, QString::number(w)), kWarehouseKind));
        QVERIFY(
            prepareBookFile(bookFileName(kProductionKind, QString::number(p)), kProductionKind));
        const QString book = test::bookPath(kWarehouseKind, w);
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
        dropSchemas();
    }

    void killedAnywhereAndMovedAgain() {
        // The whole move once, for its length and its result.
        QTemporaryDir whole;
        copyFolder(pristine_.path(), whole.path());
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(runMover(whole.path()), 0);
        const qint64 length = qMax<qint64>(timer.elapsed(), 50);
        context().programFolder = whole.path();
        checkOnServer();
        // A second move is refused and changes nothing.
        QCOMPARE(runMover(whole.path()), 3);

        for (int k = 0; k < kKills; ++k) {
            dropSchemas();
            QTemporaryDir folder;
            copyFolder(pristine_.path(), folder.path());
            context().programFolder = folder.path();
            runMover(folder.path(), int(length * (2 * k + 1) / (2 * kKills)));
            finishInterruptedRemovals();  // as the next start does
            if (!companyServer(QString::number(company_))) {
                QCOMPARE(loadBooks(QString::number(company_)).size(), 2);
                for (const auto& [kind, id] : books_) {
                    Database now = Database::open(test::bookPath(kind, id));
                    Database was = Database::open(pristineBook(kind, id));
                    QCOMPARE(compareRows(was, now), QString());
                }
                QCOMPARE(runMover(folder.path()), 0);
            }
            checkOnServer();
            // The other company and its book stayed; no book file of the moved company is left.
            QCOMPARE(loadCompanies_count(), 2);
            for (const auto& [kind, id] : books_)
                QVERIFY(!QFileInfo::exists(test::bookPath(kind, id)));
            PgConnection c = PgConnection::connect(test::testServer());
            QCOMPARE(
                c.exec(QStringLiteral("SELECT 1 FROM pg_namespace WHERE nspname ~ '_p[0-9a-f]+$'"))
                    .rows(),
                0);
        }
        dropSchemas();
    }

  private:
    int loadCompanies_count() {
        return test::rowCount(context().masterPath(), QStringLiteral("svetvrtke"));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--prenesi")
        return mover(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    TestCompanyMove t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_companymove.moc"
