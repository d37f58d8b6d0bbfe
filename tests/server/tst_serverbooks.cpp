// The schemas of a company's books on a server: made whole or not at all (a kill loop), and
// checked before they are trusted.

#include "data/database.h"
#include "data/serverbooks.h"
#include "pgtestserver.h"
#include "testenv.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <csignal>

using namespace kl;

namespace {
const QString kKill = QStringLiteral("kl_proba_ubijanje");

bool schemaExists(PgConnection& c, const QString& name) {
    return c.exec(QStringLiteral("SELECT 1 FROM pg_namespace WHERE nspname = $1"), {name}).rows() ==
           1;
}
}  // namespace

class TestServerBooks : public QObject {
    Q_OBJECT
    ServerAddress server_;
    PgConnection admin_;

    void drop(const QString& schema) {
        admin_.exec(QStringLiteral("DROP SCHEMA IF EXISTS \"%1\" CASCADE").arg(schema));
    }

  private slots:
    void initTestCase() {
        server_ = test::testServer();
        admin_ = PgConnection::connect(server_);
    }

    void madeAndTrusted_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("tamper");   // a statement run in the schema afterwards
        QTest::addColumn<QString>("problem");  // what the check then names
        const QString wh = QStringLiteral("Skladiste");
        test::dataRow("register", server::kRegisterKind, QString(), QString());
        test::dataRow("warehouse", wh, QString(), QString());
        test::dataRow("production", QStringLiteral("Proizvodnja"), QString(), QString());
        test::dataRow("own later table", wh, QStringLiteral("CREATE TABLE kl_nova (x integer)"),
                      QString());
        test::dataRow("foreign table", wh, QStringLiteral("CREATE TABLE tuđa (x integer)"),
                      QStringLiteral("tablica tuđa"));
        test::dataRow("view", wh, QStringLiteral("CREATE VIEW v AS SELECT 1 AS x"),
                      QStringLiteral("pogled v"));
        test::dataRow("function", wh,
                      QStringLiteral("CREATE FUNCTION f() RETURNS trigger LANGUAGE plpgsql AS "
                                     "$$BEGIN RETURN NEW; END$$"),
                      QStringLiteral("funkcija f"));
        test::dataRow("column type", wh,
                      QStringLiteral("ALTER TABLE artikli ALTER COLUMN stanje TYPE text"),
                      QStringLiteral("stupci tablice artikli"));
        test::dataRow("missing table", wh, QStringLiteral("DROP TABLE dokumenti"),
                      QStringLiteral("nedostaje tablica dokumenti"));
        test::dataRow("key function", wh,
                      QStringLiteral("CREATE OR REPLACE FUNCTION kl_key(text) RETURNS text "
                                     "LANGUAGE sql IMMUTABLE AS $$SELECT $1$$"),
                      QStringLiteral("funkcija kl_key nije programova"));
        test::dataRow("no version", wh, QStringLiteral("DROP TABLE kl_verzija"),
                      QStringLiteral("nema inačice sheme"));
        test::dataRow("later version", wh, QStringLiteral("UPDATE kl_verzija SET verzija = 99"),
                      QStringLiteral("shemu je napravila novija inačica programa (99)"));
    }
    void madeAndTrusted() {
        QFETCH(QString, kind);
        QFETCH(QString, tamper);
        QFETCH(QString, problem);
        const QString schema = QStringLiteral("kl_proba_") +
                               QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_');
        drop(schema);
        server::createSchema(server_, schema, kind);
        QCOMPARE(test::errorOf([&] { server::createSchema(server_, schema, kind); }),
                 DbErrorCode::ServerError);  // never over an existing one
        if (!tamper.isEmpty())
            admin_.exec(QStringLiteral("SET search_path = \"%1\"; %2").arg(schema, tamper));
        QString why;
        const int error = test::errorOf([&] { server::openBook(server_, schema, kind); }, &why);
        if (problem.isEmpty()) {
            QCOMPARE(error, 0);
        } else {
            QCOMPARE(error, DbErrorCode::ForeignSchema);
            QVERIFY2(why.contains(problem + QStringLiteral(". Ništa u njoj nije mijenjano.")),
                     qPrintable(why));
        }
        drop(schema);
    }

    // Killed at any moment, the creation leaves no schema or a whole one.
    void killedCreationLeavesNothingHalf() {
        int whole = 0, none = 0;
        for (int delay = 0; delay <= 750; delay += 50) {
            drop(kKill);
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--napravi")});
            QVERIFY(child.waitForStarted());
            QTest::qSleep(delay);
            ::kill(pid_t(child.processId()), SIGKILL);
            child.waitForFinished();
            if (!schemaExists(admin_, kKill)) {
                ++none;
                continue;
            }
            QCOMPARE(test::errorOf(
                         [&] { server::openBook(server_, kKill, QStringLiteral("Skladiste")); }),
                     0);
            ++whole;
        }
        drop(kKill);
        qInfo("%d kills before the commit, %d after", none, whole);
        QVERIFY(none > 0);
    }
};

int main(int argc, char** argv) {
    if (argc == 2 && QByteArray(argv[1]) == "--napravi") {
        QCoreApplication app(argc, argv);
        server::createSchema(test::testServer(), kKill, QStringLiteral("Skladiste"));
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestServerBooks t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_serverbooks.moc"
