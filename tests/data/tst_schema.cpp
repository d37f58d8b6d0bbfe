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

QString rows(Database& db, const QString& sql) {
    Recordset rs = db.openRecordset(sql);
    QStringList out;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList fields;
        for (int c = 0; c < rs.fieldCount(); ++c)
            fields << rs.text(rs.fieldName(c));
        out << fields.join('|');
    }
    return out.join(';');
}

// What SQLite itself reports: rows of `sql`, first column only, joined with ','.
QString raw(Database& db, const QString& sql, int column = 0) {
    QStringList out;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db.handle(), sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
        return QStringLiteral("<%1>").arg(QString::fromUtf8(sqlite3_errmsg(db.handle())));
    while (sqlite3_step(st) == SQLITE_ROW)
        out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, column)));
    sqlite3_finalize(st);
    return out.join(',');
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
void row(const char* name, A... a) {
    (QTest::newRow(name) << ... << a);
}

}  // namespace

class TestSchema : public QObject {
    Q_OBJECT

  private slots:
    void created_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("tableNames");
        QTest::addColumn<QStringList>("contentsByTable");
        QTest::addColumn<bool>("cutShort");  // the file exists, but its creation never completed
        for (bool cutShort : {false, true}) {
            row(cutShort ? "master, cut short" : "master", "master",
                "dodajknjige,otvoreneknjige,svetvrtke",
                QStringList{"1|Skladiste;2|Proizvodnja", "", ""}, cutShort);
            row(cutShort ? "warehouse, cut short" : "warehouse", "Skladiste",
                "artikli,dokumenti,kd,pi,ulazizlaz",
                QStringList{"", "", "1|k|Proizvodnja||||||", "", ""}, cutShort);
            row(cutShort ? "production, cut short" : "production", "Proizvodnja",
                "proizvodi,radninalozi,sastojci,troskovi", QStringList{"", "", "", ""}, cutShort);
        }
    }
    void created() {
        QFETCH(QString, kind);
        QFETCH(QString, tableNames);
        QFETCH(QStringList, contentsByTable);
        QFETCH(bool, cutShort);
        test::TempProgramFolder folder;
        const QString path = pathFor(kind);
        if (cutShort) Database::create(path).close();
        auto check = [&] {
            Database db = Database::open(path);
            QCOMPARE(db.userVersion(), schema::kVersion);
            QCOMPARE(raw(db,
                         "select name from sqlite_master where type='table' and "
                         "substr(name,1,7)<>'sqlite_' order by name"),
                     tableNames);
            const QStringList names = tableNames.split(',');
            for (int i = 0; i < names.size(); ++i)
                QCOMPARE(rows(db, "select * from " + names[i]), contentsByTable[i]);
        };

        QVERIFY(ensure(kind, path));
        check();
        // Entering it again changes nothing, not a byte.
        const QByteArray before = contents(path);
        QVERIFY(!ensure(kind, path));
        QCOMPARE(contents(path), before);

        // A file deleted by hand comes back empty.
        {
            Database db = Database::open(path);
            if (kind == "master")
                db.execute("insert into svetvrtke(ime)values('Tvrtka')");
            else
                db.execute("delete from " + tableNames.section(',', 0, 0));
        }
        QVERIFY(QFile::remove(path));
        QVERIFY(ensure(kind, path));
        check();
    }

    void notOurs() {
        test::TempProgramFolder folder;
        const QByteArray data("Standard Jet DB\n");
        {
            QFile f(context().masterPath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(data);
        }
        int number = 0;
        try {
            schema::ensureMasterDatabase(context().masterPath());
        } catch (const DbError& e) {
            number = e.number();
        }
        QCOMPARE(number, DbErrorCode::NotOurDatabase);
        QCOMPARE(contents(context().masterPath()), data);
    }

    void companyBooks_data() {
        QTest::addColumn<double>("company");
        QTest::addColumn<QString>("idText");
        QTest::addColumn<QString>("books");
        row("12", 12.0, "12", "Prva;Treća");
        row("120", 120.0, "120", "Druga");
        row("1", 1.0, "1", "Četvrta");
        row("2", 2.0, "2", "");
    }
    void companyBooks() {
        QFETCH(double, company);
        QFETCH(QString, idText);
        QFETCH(QString, books);
        test::TempProgramFolder folder;
        schema::ensureMasterDatabase(context().masterPath());
        context().currentCompanyId = company;
        QCOMPARE(context().companyIdText(), idText);
        QCOMPARE(bookFileName(kWarehouseKind, idText), "\\Skladiste" + idText + ".mdb");
        QCOMPARE(context().bookPath("\\Skladiste" + idText + ".mdb"),
                 folder.filePath("Skladiste" + idText + ".mdb"));
        QCOMPARE(context().masterPath(), folder.filePath("tvrtke.mdb"));
        Database db = Database::open(context().masterPath());
        const QString ins =
            "insert into otvoreneknjige(idtvrtke,nazivknjige,vrstaknjige,adresa)"
            "values(?,?,'Skladiste','-')";
        for (const auto& [id, name] :
             {std::pair{"12", "Prva"}, {"120", "Druga"}, {"12", "Treća"}, {"1", "Četvrta"}})
            db.execute(ins, {id, name});
        // The windows' own form, the id written into the statement.
        Recordset rs = db.openRecordset("select *  from otvoreneknjige where idtvrtke like  '" +
                                        context().companyIdText() + "'");
        QStringList got;
        for (; !rs.eof(); rs.moveNext())
            got << rs.text("nazivknjige");
        QCOMPARE(got.join(';'), books);
    }

    void indexesUsed_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("uses");
        row("company's books", "master", "select *  from otvoreneknjige where idtvrtke like  '12'",
            "ix_otvoreneknjige_idtvrtke");
        row("book by id", "master", "select id from otvoreneknjige where cstr(id) like '3'",
            "INTEGER PRIMARY KEY");
        row("article's lines", "Skladiste", "select * from ulazizlaz where idartikla like '5'",
            "ix_ulazizlaz_idartikla");
        row("article by id", "Skladiste", "select * from artikli where cstr(id) like '5'",
            "INTEGER PRIMARY KEY");
        row("document's lines", "Skladiste",
            "select idpi,kolicina,cijena from ulazizlaz where cstr(idpi) like '5'",
            "ix_ulazizlaz_idpi");
        row("article by code", "Skladiste",
            "select id,sifra,naziv,stanje,proscijena from artikli where sifra  like 'A1'",
            "ix_artikli_sifra");
        row("bill of materials", "Proizvodnja",
            "select * from sastojci where cstr(idproizvoda) like '5'", "ix_sastojci_idproizvoda");
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
            const QString info = "from pragma_table_info('" + table + "')";
            const QStringList names = raw(db, "select name " + info).split(',');
            const QStringList types = raw(db, "select type " + info).split(',');
            columns.clear();
            for (int i = 0; i < names.size(); ++i)
                columns.push_back(jet::columnFromDeclared(names[i], types[i]));
            return &columns;
        };
        const jet::Translation t = jet::translate(sql, lookup);
        const QString plan = raw(db, "EXPLAIN QUERY PLAN " + jet::render(t, ~quint64(0)), 3);
        QVERIFY2(plan.startsWith("SEARCH") && plan.contains(uses), qPrintable(plan));
        // The statement itself runs, and finds nothing in the empty tables.
        QCOMPARE(rows(db, sql), QString());
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
