// The master and book databases as the program creates them: tables and seed rows, creation
// only once, completion of a creation cut short, refusal of foreign files, the file naming of
// the context, and the indexes behind the look-ups.

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

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool ensure(const QString& kind, const QString& path) {
    return kind == "master" ? schema::ensureMasterDatabase(path)
                            : schema::ensureBookDatabase(path, kind);
}

QString pathFor(const QString& kind) {
    return kind == "master" ? context().masterPath() : context().bookPath(bookFileName(kind, "7"));
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
        QTest::addColumn<QStringList>("tables");  // each "name:rows"
        QTest::addColumn<bool>("cutShort");       // the file exists, its creation never completed
        for (bool cutShort : {false, true}) {
            const QByteArray note = cutShort ? ", cut short" : "";
            row("master" + note, "master",
                QStringList{"dodajknjige:1|Skladiste;2|Proizvodnja",
                            "otvoreneknjige:", "svetvrtke:"},
                cutShort);
            row("warehouse" + note, "Skladiste",
                QStringList{"artikli:", "dokumenti:", "kd:1|k|Proizvodnja||||||",
                            "pi:", "ulazizlaz:"},
                cutShort);
            row("production" + note, "Proizvodnja",
                QStringList{"proizvodi:", "radninalozi:", "sastojci:", "troskovi:"}, cutShort);
        }
    }
    void created() {
        QFETCH(QString, kind);
        QFETCH(QStringList, tables);
        QFETCH(bool, cutShort);
        test::TempProgramFolder folder;
        const QString path = pathFor(kind);
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

        QVERIFY(ensure(kind, path));
        check();
        // Entering it again changes nothing, not a byte.
        const QByteArray before = contents(path);
        QVERIFY(!ensure(kind, path));
        QCOMPARE(contents(path), before);
        // A file deleted by hand comes back.
        QVERIFY(QFile::remove(path));
        QVERIFY(ensure(kind, path));
        check();
    }

    void notOurs() {
        test::TempProgramFolder folder;
        QFile f(context().masterPath());
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("Standard Jet DB\n") == 16);
        f.close();
        try {
            schema::ensureMasterDatabase(context().masterPath());
            QFAIL("a foreign file taken as the master");
        } catch (const DbError& e) {
            QCOMPARE(e.number(), DbErrorCode::NotOurDatabase);
        }
        QCOMPARE(contents(context().masterPath()), QByteArray("Standard Jet DB\n"));
    }

    void companyBooks_data() {
        QTest::addColumn<double>("company");
        QTest::addColumn<QString>("idText");
        QTest::addColumn<QString>("books");
        row("12", 12.0, "12", "Prva;Treća");
        row("120", 120.0, "120", "Druga");
        row("1", 1.0, "1", "Četvrta");
    }
    void companyBooks() {
        QFETCH(double, company);
        QFETCH(QString, idText);
        QFETCH(QString, books);
        test::TempProgramFolder folder;
        schema::ensureMasterDatabase(context().masterPath());
        context().currentCompanyId = company;
        QCOMPARE(context().companyIdText(), idText);
        QCOMPARE(context().bookPath(bookFileName(kWarehouseKind, idText)),
                 folder.filePath("Skladiste" + idText + ".mdb"));
        Database db = Database::open(context().masterPath());
        for (const auto& [id, name] :
             {std::pair{"12", "Prva"}, {"120", "Druga"}, {"12", "Treća"}, {"1", "Četvrta"}})
            db.execute(
                "insert into otvoreneknjige(idtvrtke,nazivknjige,vrstaknjige,adresa)"
                "values(?,?,'Skladiste','-')",
                {id, name});
        // The windows' own form, the id written into the statement.
        QStringList got;
        for (Recordset rs =
                 db.openRecordset("select *  from otvoreneknjige where idtvrtke like  '" +
                                  context().companyIdText() + "'");
             !rs.eof(); rs.moveNext())
            got << rs.text("nazivknjige");
        QCOMPARE(got.join(';'), books);
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
        const QString path = pathFor(kind);
        ensure(kind, path);
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
