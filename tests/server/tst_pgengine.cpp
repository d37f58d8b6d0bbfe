// The engine on a server gives what it gives on a file: the same statements, run on a warehouse
// book made by the program's own creation statements in a file and in a server schema, return
// the same rows, values, texts and errors.

#include "data/bookcopy.h"
#include "data/database.h"
#include "data/pgtextkey.h"
#include "data/schema.h"
#include "pgtestserver.h"
#include "testenv.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kl;

namespace {

const char* const kSchema = "kl_proba_engine";
const char* const kCopy = "kl_proba_kopija";

struct Step {
    QString sql;
    QVariantList params;
};

// What a statement gave: its rows as value and text per field, or its error number.
QStringList outcome(Database& db, const Step& step) {
    QStringList out;
    try {
        if (!step.sql.startsWith(QLatin1String("select"), Qt::CaseInsensitive)) {
            db.execute(step.sql, step.params);
            return {QStringLiteral("changes %1").arg(db.changes())};
        }
        Recordset rs = db.openRecordset(step.sql, step.params);
        for (; !rs.eof(); rs.moveNext()) {
            QStringList row;
            for (int c = 0; c < rs.fieldCount(); ++c) {
                const QVariant v = rs.value(c);
                row << QStringLiteral("%1=%2:%3|%4")
                           .arg(rs.fieldName(c).toLower(), QString::fromLatin1(v.typeName()),
                                v.toString(), rs.text(rs.fieldName(c)));
            }
            out << row.join(QLatin1Char(' '));
        }
    } catch (const DbError& e) {
        out << QStringLiteral("error %1").arg(e.number());
    }
    return out;
}

}  // namespace

class TestPgEngine : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    Database file_, server_;

    void both(const Step& s) {
        const QStringList a = outcome(file_, s), b = outcome(server_, s);
        if (a != b)
            QFAIL(qPrintable(s.sql + QLatin1String("\nfile:   ") +
                             a.join(QLatin1String("\n        ")) + QLatin1String("\nserver: ") +
                             b.join(QLatin1String("\n        "))));
    }

  private slots:
    void initTestCase() {
        const ServerAddress address = test::testServer();
        PgConnection admin = PgConnection::connect(address);
        admin.exec(
            QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; CREATE SCHEMA %1").arg(kSchema));
        admin.exec(pg::keyFunctionSql(QString::fromLatin1(kSchema)));
        file_ = Database::create(dir_.filePath(QStringLiteral("proba.mdb")));
        server_ = Database::openServer(address, QString::fromLatin1(kSchema));
        QVERIFY(server_.onServer());
        for (Database* db : {&file_, &server_})
            for (const QString& sql : schema::warehouseTables() + schema::warehouseIndexes() +
                                          schema::warehouseSeedRows())
                db->execute(sql);
    }
    void cleanupTestCase() {
        server_.close();
        PgConnection::connect(test::testServer())
            .exec(
                QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; DROP SCHEMA IF EXISTS %2 CASCADE")
                    .arg(kSchema, kCopy));
    }

    void sameOutcome_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("params");
        auto row = [](const char* name, const char* sql, QVariantList params = {}) {
            QTest::newRow(name) << QString::fromUtf8(sql) << params;
        };
        const QString longName(31, QLatin1Char('x'));
        row("articles",
            "insert into artikli(sifra,barkod,naziv,jedmjere,minkolicina,stanje,vrijednost,"
            "proscijena)values(?,?,?,?,?,?,?,?)",
            {"0012", "", "Čokolada mliječna", "kom", "1,5", 12.5, "1234567,89", 0.1});
        row("second",
            "insert into artikli(sifra,naziv,stanje,vrijednost,proscijena)values(?,?,?,?,?)",
            {"A1", "cokolada", 1.0 / 3, 7.123456, 3});
        row("third",
            "insert into artikli(sifra,naziv,stanje,vrijednost,proscijena)values(?,?,?,?,?)",
            {"a2", "Ćevapi", 16777217, "0,0001", "-0,5"});
        row("too long", "insert into artikli(sifra,naziv)values(?,?)", {"X", longName});
        row("not a number", "insert into artikli(sifra,stanje)values(?,?)", {"X", "pet"});
        row("all", "select * from artikli");
        row("by name", "select id,sifra,naziv from artikli order by naziv asc");
        row("code any case", "select naziv from artikli where sifra=?", {"A2"});
        row("code like", "select naziv from artikli where sifra like ?", {"a*"});
        row("name pattern", "select naziv from artikli where naziv like '[č]*'");
        row("name negated", "select naziv from artikli where naziv not like '*a'");
        row("id text", "select naziv from artikli where cstr(id) like ?", {"2"});
        row("id text pattern", "select naziv from artikli where cstr(id) like ?", {"[12]"});
        row("id not", "select id from artikli where cstr(id) <> ? order by id asc", {"1"});
        row("count", "select count(*) from artikli where stanje > ?", {"1"});
        row("update", "update artikli set stanje=?,vrijednost=? where cstr(id)=?",
            {"2,25", 10, "1"});
        row("after update", "select stanje,vrijednost,proscijena from artikli where id=?", {1});
        row("document", "insert into pi(pi,brojpi,datumpi,dokument,idkd)values(?,?,?,?,?)",
            {"P", 1, "05.12.2026", "Račun", 1});
        row("line", "insert into ulazizlaz(idartikla,idpi,idkd,kolicina,cijena)values(?,?,?,?,?)",
            {"1", 1, 1, "3", "2,5"});
        row("dates",
            "select pi,brojpi,datumpi,datumdok from pi where pi like 'P' and "
            "datumpi<= #2026/12/31# and datumpi>= #2026/01/01#");
        row("join",
            "select ulazizlaz.idpi,ulazizlaz.kolicina,ulazizlaz.cijena,artikli.naziv from "
            "ulazizlaz inner join artikli on artikli.id=ulazizlaz.idartikla order by ulazizlaz.id");
        row("partners", "select id,kd,ime from kd where kd like 'k*' or kd like 's*'");
        row("delete", "delete from artikli where sifra=?", {"a2"});
        row("left", "select sifra from artikli order by sifra asc");
    }
    void sameOutcome() {
        QFETCH(QString, sql);
        QFETCH(QVariantList, params);
        both({sql, params});
    }

    void newIdsAndDeletesAsInTheFile() {
        for (Database* db : {&file_, &server_})
            db->execute(QStringLiteral("insert into dokumenti(dokument)values(?)"), {"Otpremnica"});
        QCOMPARE(server_.lastInsertId(), file_.lastInsertId());
        for (Database* db : {&file_, &server_}) {
            Recordset rs = db->openRecordset(QStringLiteral("select * from dokumenti"));
            rs.moveLast();
            rs.deleteCurrent();
        }
        both({QStringLiteral("select * from dokumenti"), {}});
    }

    void transactionsAndSavepoints() {
        for (Database* db : {&file_, &server_}) {
            Transaction outer(*db);
            db->execute(QStringLiteral("insert into dokumenti(dokument)values('A')"));
            {
                Transaction inner(*db);
                db->execute(QStringLiteral("insert into dokumenti(dokument)values('B')"));
            }  // rolled back
            QCOMPARE(test::errorOf([&] {
                         db->execute(QStringLiteral("insert into dokumenti(dokument)values(?)"),
                                     {QString(21, QLatin1Char('z'))});
                     }),
                     DbErrorCode::TextTooLong);
            outer.commit();
        }
        both({QStringLiteral("select dokument from dokumenti order by id"), {}});
        for (Database* db : {&file_, &server_}) {
            QCOMPARE(db->inTransaction(), false);
            db->setUserVersion(2);
            QCOMPARE(db->userVersion(), 2);
            QVERIFY(db->hasTable(QStringLiteral("Artikli")));
            QVERIFY(!db->hasTable(QStringLiteral("nema")));
        }
    }

    // A write the server cancels for a conflict is run again from its start, the cancelled run
    // leaving nothing behind; any other failure ends it at once.
    void conflictRunsTheWriteAgain_data() {
        QTest::addColumn<int>("failure");
        QTest::addColumn<int>("runs");
        QTest::addColumn<int>("rows");
        QTest::newRow("conflict") << int(DbErrorCode::ServerConflict) << 2 << 1;
        QTest::newRow("refusal") << int(DbErrorCode::ServerError) << 1 << 0;
    }
    void conflictRunsTheWriteAgain() {
        QFETCH(int, failure);
        server_.execute(QStringLiteral("delete from dokumenti where dokument='Ponovo'"));
        int runs = 0;
        const auto write = [&] {
            return runLocked(server_, {QString::fromLatin1(kSchema)}, [&] {
                Transaction t(server_);
                server_.execute(QStringLiteral("insert into dokumenti(dokument)values('Ponovo')"));
                if (++runs == 1) throw DbError(failure, QStringLiteral("sukob"));
                t.commit();
                return runs;
            });
        };
        if (failure == DbErrorCode::ServerConflict)
            QCOMPARE(write(), 2);
        else
            QCOMPARE(test::errorOf([&] { write(); }), failure);
        QTEST(runs, "runs");
        QTEST(server_
                  .openRecordset(
                      QStringLiteral("select count(*) from dokumenti where dokument='Ponovo'"))
                  .value(0)
                  .toInt(),
              "rows");
    }

    // A book copied to a server and back holds the same rows, ids and id counters; a copy that
    // fails half-way leaves its target as it was.
    void copiesBothWays() {
        file_.execute(
            QStringLiteral("create table kl_dodatna (id autoincrement, opis string(40))"));
        file_.execute(QStringLiteral("insert into kl_dodatna (opis) values ('Đ')"));
        file_.execute(QStringLiteral("delete from kl_dodatna"));  // the counter stays at 1
        const ServerAddress address = test::testServer();
        PgConnection::connect(address).exec(
            QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; CREATE SCHEMA %1").arg(kCopy));
        PgConnection::connect(address).exec(pg::keyFunctionSql(QString::fromLatin1(kCopy)));
        Database server = Database::openServer(address, QString::fromLatin1(kCopy));
        for (const QString& sql :
             schema::warehouseTables() + schema::warehouseIndexes() + schema::warehouseSeedRows())
            server.execute(sql);
        QVERIFY(!compareRows(file_, server).isEmpty());
        copyRows(file_, server);
        QCOMPARE(compareRows(file_, server), QString());

        Database back = Database::create(dir_.filePath(QStringLiteral("natrag.mdb")));
        for (const QString& sql :
             schema::warehouseTables() + schema::warehouseIndexes() + schema::warehouseSeedRows())
            back.execute(sql);
        copyRows(server, back);
        QCOMPARE(compareRows(file_, back), QString());
        for (Database* db : {&file_, &server, &back})
            db->execute(QStringLiteral("insert into kl_dodatna (opis) values ('x')"));
        QCOMPARE(server.lastInsertId(), 2);
        QCOMPARE(back.lastInsertId(), 2);

        // A target whose column is too narrow for a row: nothing of the copy stays.
        Database narrow = Database::create(dir_.filePath(QStringLiteral("usko.mdb")));
        narrow.execute(QStringLiteral("create table artikli (id autoincrement, sifra string(2))"));
        narrow.execute(QStringLiteral("insert into artikli (sifra) values ('ab')"));
        QCOMPARE(test::errorOf([&] { copyRows(file_, narrow); }), DbErrorCode::TextTooLong);
        QCOMPARE(narrow.tableNames(), QStringList{QStringLiteral("artikli")});
        QCOMPARE(narrow.openRecordset(QStringLiteral("select sifra from artikli")).text("sifra"),
                 QStringLiteral("ab"));
    }
};

QTEST_GUILESS_MAIN(TestPgEngine)
#include "tst_pgengine.moc"
