// The master and book databases as the program creates them: tables and seed rows, file names,
// creation only once, completion of a creation cut short, and the indexes behind the look-ups.

#include "data/appcontext.h"
#include "data/database.h"
#include "data/schema.h"
#include "testenv.h"

#include <QFile>
#include <QTest>

#include <sqlite3.h>

using namespace kl;

namespace {

// What SQLite itself reports: the rows of `sql`, columns joined with '|'.
QStringList raw(Database& db, const QString& sql) {
    QStringList out;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db.handle(), sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
        return {QStringLiteral("<%1>").arg(QString::fromUtf8(sqlite3_errmsg(db.handle())))};
    while (sqlite3_step(st) == SQLITE_ROW) {
        QStringList fields;
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            fields << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
        out << fields.join('|');
    }
    sqlite3_finalize(st);
    return out;
}

// The file at `path` attached as "old" to `db` straight through SQLite, read only: no upgrade.
bool executeRawAttach(Database& db, const QString& path) {
    const QString uri = "file:" + path + "?mode=ro";
    return sqlite3_exec(db.handle(), ("ATTACH '" + uri + "' AS old").toUtf8().constData(), nullptr,
                        nullptr, nullptr) == SQLITE_OK;
}

// Every row of every table of the attached "old" (the program's own later tables aside) and the
// id counters, each value with its storage class.
QStringList content(Database& db) {
    QStringList out;
    for (const QString& t : raw(db,
                                "select name from old.sqlite_master where type='table' and "
                                "substr(name,1,3)<>'kl_' and substr(name,1,7)<>'sqlite_' "
                                "order by name"))
        out << t << raw(db, "select *, typeof(id) from old.\"" + t + "\" order by rowid");
    return out << raw(db,
                      "select name,seq from old.sqlite_sequence where substr(name,1,3)<>'kl_' "
                      "order by name");
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// The database of `kind` of company 7, created when missing; true when created now.
bool ensure(const QString& kind, QString* path = nullptr) {
    context().currentCompanyId = 7;
    const QString file = kind == "master"
                             ? context().masterPath()
                             : context().bookPath(bookFileName(kind, context().companyIdText()));
    if (path) *path = file;
    return kind == "master" ? schema::ensureMasterDatabase(file)
                            : schema::ensureBookDatabase(file, kind);
}

template <typename... A>
void row(const QByteArray& name, A... a) {
    (QTest::newRow(name.constData()) << ... << a);
}

}  // namespace

class TestSchema : public QObject {
    Q_OBJECT

  private slots:
    void created_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("tables");  // each "name:rows"
        QTest::addColumn<bool>("cutShort");       // the file exists, its creation never completed
        for (bool cutShort : {false, true}) {
            const QByteArray note = cutShort ? ", cut short" : "";
            row("master" + note, "master", "tvrtke.mdb",
                QStringList{"dodajknjige:1|Skladiste;2|Proizvodnja",
                            "kl_oibtvrtke:", "otvoreneknjige:", "svetvrtke:"},
                cutShort);
            row("warehouse" + note, "Skladiste", "Skladiste7.mdb",
                QStringList{"artikli:", "dokumenti:", "kd:1|k|Proizvodnja||||||",
                            "kl_eracunartikli:", "kl_eracundobavljaci:", "kl_eracuni:",
                            "kl_inventure:", "kl_inventurestavke:", "kl_oibpartnera:", "kl_storna:",
                            "kl_tockezaliha:", "kl_tockezalihastavke:", "pi:", "ulazizlaz:"},
                cutShort);
            row("production" + note, "Proizvodnja", "Proizvodnja7.mdb",
                QStringList{"proizvodi:", "radninalozi:", "sastojci:", "troskovi:"}, cutShort);
        }
    }
    void created() {
        QFETCH(QString, kind);
        QFETCH(QString, file);
        QFETCH(QStringList, tables);
        QFETCH(bool, cutShort);
        test::TempProgramFolder folder;
        const QString path = folder.filePath(file);
        if (cutShort) Database::create(path).close();
        auto check = [&] {
            Database db = Database::open(path);
            QCOMPARE(db.userVersion(), schema::kVersion);
            QStringList found;
            for (const QString& t : raw(db,
                                        "select name from sqlite_master where type='table' "
                                        "and substr(name,1,7)<>'sqlite_' order by name"))
                found << t + ":" + raw(db, "select * from " + t).join(';');
            QCOMPARE(found, tables);
        };
        QString made;
        QVERIFY(ensure(kind, &made));
        QCOMPARE(made, path);
        check();
        // Entering it again changes nothing, not a byte.
        const QByteArray before = contents(path);
        QVERIFY(!ensure(kind));
        QCOMPARE(contents(path), before);
        // A file deleted by hand comes back.
        QVERIFY(QFile::remove(path));
        QVERIFY(ensure(kind));
        check();
    }

    // Files made by the program's first version (kept as fixtures) are upgraded on open: every
    // row and id counter kept, the account column takes an IBAN, and the file is then exactly
    // what the current version checks for; once upgraded, opening it changes nothing.
    void upgraded_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("accountTable");  // empty: the file has no account column
        row("register", "tvrtke.mdb", "svetvrtke");
        row("warehouse book", "Skladiste1.mdb", "kd");
        row("production book", "Proizvodnja2.mdb", "");
    }
    void upgraded() {
        QFETCH(QString, file);
        QFETCH(QString, accountTable);
        test::TempProgramFolder folder;
        const QString path = folder.filePath(file);
        QVERIFY(QFile::copy(QStringLiteral(KL_V1_FIXTURES "/") + file, path));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        QStringList before;
        {
            Database raw1 = Database::openInMemory();
            QVERIFY(executeRawAttach(raw1, path));
            before = content(raw1);
            QCOMPARE(raw(raw1, "pragma old.user_version"), QStringList{"1"});
        }
        {
            Database db = Database::open(path);
            QCOMPARE(db.userVersion(), schema::kVersion);
        }
        Database again = Database::openInMemory();
        QVERIFY(executeRawAttach(again, path));
        QCOMPARE(content(again), before);
        again.close();
        const QByteArray upgraded = contents(path);
        Database db = Database::open(path);
        QCOMPARE(contents(path), upgraded);
        if (accountTable.isEmpty()) return;
        db.execute("update " + accountTable + " set ziroracun=? where id=1",
                   {QString(34, QLatin1Char('9'))});
        QCOMPARE(test::errorOf([&] {
                     db.execute("update " + accountTable + " set ziroracun=? where id=1",
                                {QString(35, QLatin1Char('9'))});
                 }),
                 3163);
    }

    // A warehouse book of the second version gets the stock-taking tables of the third and the
    // stock points of the fourth.
    void secondVersionUpgraded() {
        test::TempProgramFolder folder;
        QString book;
        QVERIFY(ensure("Skladiste", &book));
        for (const char* table :
             {"kl_inventurestavke", "kl_inventure", "kl_tockezalihastavke", "kl_tockezaliha"})
            QVERIFY(test::executeRaw(book, QStringLiteral("drop table %1").arg(table)));
        QVERIFY(test::executeRaw(book, "pragma user_version=2"));
        Database db = Database::open(book);
        QCOMPARE(db.userVersion(), 4);
        QVERIFY(db.hasTable("kl_inventure") && db.hasTable("kl_inventurestavke"));
        QVERIFY(db.hasTable("kl_tockezaliha") && db.hasTable("kl_tockezalihastavke"));
        QCOMPARE(raw(db,
                     "select count(*) from sqlite_master where name in "
                     "('kl_ix_inventurestavke','kl_ix_tockezalihastavke')"),
                 QStringList{"2"});
    }

    // A book of the first version attached to another connection (a work order's issue) is
    // upgraded too; a file of a later version, or an old one with a table that is not ours, is
    // refused and left as it was.
    void upgradedOnAttachOrRefused() {
        test::TempProgramFolder folder;
        const QString book = folder.filePath("Skladiste1.mdb");
        QVERIFY(QFile::copy(QStringLiteral(KL_V1_FIXTURES "/Skladiste1.mdb"), book));
        QVERIFY(QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(ensure("Proizvodnja"));
        Database production = Database::open(folder.filePath("Proizvodnja7.mdb"));
        production.attach(book, "s1");
        QCOMPARE(raw(production, "pragma s1.user_version"),
                 QStringList{QString::number(schema::kVersion)});
        production.close();

        const auto refused = [&](const QString& change, int error) {
            QVERIFY(QFile::remove(book));
            QVERIFY(QFile::copy(QStringLiteral(KL_V1_FIXTURES "/Skladiste1.mdb"), book));
            QVERIFY(QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner));
            QVERIFY(test::executeRaw(book, change));
            const QByteArray was = contents(book);
            QCOMPARE(test::errorOf([&] { Database::open(book); }), error);
            QCOMPARE(contents(book), was);
        };
        refused(QStringLiteral("pragma user_version=%1").arg(schema::kVersion + 1), 3344);
        refused("create table tuda (x)", 3344);
    }

    void indexesUsed_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("uses");
        row("company's books", "master", "select *  from otvoreneknjige where idtvrtke like  '12'",
            "ix_otvoreneknjige_idtvrtke");
        row("document's lines", "Skladiste",
            "select idpi,kolicina,cijena from ulazizlaz where cstr(idpi) like '5'",
            "ix_ulazizlaz_idpi");
        row("article by code", "Skladiste",
            "select id,sifra,naziv,stanje,proscijena from artikli where sifra  like 'A1'",
            "ix_artikli_sifra");
    }
    void indexesUsed() {
        QFETCH(QString, kind);
        QFETCH(QString, sql);
        QFETCH(QString, uses);
        test::TempProgramFolder folder;
        QString path;
        ensure(kind, &path);
        Database db = Database::open(path);
        std::vector<jet::Column> columns;
        const jet::SchemaLookup lookup = [&](const QString&, const QString& table) {
            columns.clear();
            for (const QString& c :
                 raw(db, "select name,type from pragma_table_info('" + table + "')"))
                columns.push_back(jet::columnFromDeclared(c.section('|', 0, 0), c.section('|', 1)));
            return &columns;
        };
        const QString plan =
            raw(db, "EXPLAIN QUERY PLAN " + jet::render(jet::translate(sql, lookup), ~quint64(0)))
                .join(',');
        QVERIFY2(plan.contains("|SEARCH ") && plan.contains(uses), qPrintable(plan));
        // The statement itself runs, and finds nothing in the empty tables.
        QVERIFY(db.openRecordset(sql).eof());
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
