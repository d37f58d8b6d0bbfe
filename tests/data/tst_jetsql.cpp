// The translator of the windows' SQL on its own, against a small table catalogue: what SQLite
// text each statement becomes, which values become bound slots and which column each slot is
// converted for.

#include "data/jetsql.h"
#include "testenv.h"

#include <QTest>

using namespace kl::jet;
using kl::test::dataRow;

namespace {

const std::vector<Column> kCompanies = {
    {"id", ColType::Counter, 0}, {"ime", ColType::Text, 30}, {"to", ColType::Text, 1}};
const std::vector<Column> kHeaders = {{"id", ColType::Counter, 0},
                                      {"pi", ColType::Text, 1},
                                      {"brojpi", ColType::Long, 0},
                                      {"datumpi", ColType::Date, 0},
                                      {"iznos", ColType::Currency, 0}};

Translation xlate(const QString& sql) {
    return translate(sql, [](const QString&, const QString& table) {
        return table.compare("svetvrtke", Qt::CaseInsensitive) == 0 ? &kCompanies
               : table.compare("pi", Qt::CaseInsensitive) == 0      ? &kHeaders
                                                                    : nullptr;
    });
}

// "name/type/length" of each slot's target column ("-" for none), "=value" after a literal's.
QStringList slotsOf(const Translation& t) {
    const char* types[] = {"-", "Counter", "Text", "Single", "Double", "Currency", "Long", "Date"};
    QStringList out;
    for (const Slot& s : t.bindSlots) {
        const Column& c = s.target;
        QString d = c.type == ColType::Unknown
                        ? QStringLiteral("-")
                        : c.name + '/' + types[int(c.type)] + '/' + QString::number(c.length);
        if (s.param < 0)
            d += s.literal.typeId() == QMetaType::QDate ? "=#" + s.literal.toString() + '#'
                                                        : '=' + s.literal.toString();
        out << d;
    }
    return out;
}

}  // namespace

class TestJetSql : public QObject {
    Q_OBJECT

  private slots:
    void statements_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("fast");     // rendered with every site fast; "" = refused
        QTest::addColumn<QString>("general");  // rendered with every site general; "" = as fast
        QTest::addColumn<QStringList>("bound");
        const QString sel = R"(SELECT "svetvrtke".rowid, )";
        const QString ord = R"( ORDER BY "svetvrtke".rowid)";
        using L = QStringList;

        dataRow("insert list targets", "insert into svetvrtke(ime,to)values('O''Brien',?)",
                R"(INSERT INTO "svetvrtke" ( "ime" , "to" ) VALUES ( ? , ? ))", "",
                L{"ime/Text/30=O'Brien", "to/Text/1"});
        dataRow(
            "cstr(id) like ?, closing semicolon", "select * from svetvrtke where cstr(id) like ?;",
            sel + R"(* FROM "svetvrtke" WHERE "id" = ?)" + ord,
            sel + R"(* FROM "svetvrtke" WHERE jet_cstr_int("id") LIKE ?)" + ord, L{"id/Text/0"});
        dataRow("text not like ?", "delete from svetvrtke where ime not like ?",
                R"(DELETE FROM "svetvrtke" WHERE "ime" <> ?)",
                R"(DELETE FROM "svetvrtke" WHERE "ime" NOT LIKE ?)", L{"ime/Text/0"});
        dataRow("comparison written the other way round", "delete from svetvrtke where 'x' = ime",
                R"(DELETE FROM "svetvrtke" WHERE ? = "ime")", "", L{"ime/Text/0=x"});
        dataRow("month/day/year literal", "delete from pi where datumpi>=#1/31/2026#",
                R"(DELETE FROM "pi" WHERE "datumpi" >= ?)", "", L{"datumpi/Date/0=#2026-01-31#"});
        dataRow("arithmetic with a column", "update pi set iznos = iznos + ?, brojpi = ? * brojpi",
                R"(UPDATE "pi" SET "iznos" = "iznos" + ? , "brojpi" = ? * "brojpi")", "",
                L{"iznos/Currency/0", "brojpi/Long/0"});
        dataRow("like on a number compares its text",
                "select count(*) from pi where iznos like '1*'",
                R"(SELECT count ( * ) FROM "pi" WHERE jet_cstr_currency("iznos") LIKE ?)", "",
                L{"iznos/Text/0=1*"});
        dataRow("create table: column types, length checks",
                "create table t(id autoincrement,s string(5),"
                "f single,c currency,l long,d date,n string(3)null,m memo,x double)",
                R"(CREATE TABLE "t" ("id" INTEGER PRIMARY KEY AUTOINCREMENT, )"
                R"("s" VARCHAR(5) COLLATE JETCI CONSTRAINT "kl_len:s:5" CHECK(length("s")<=5), )"
                R"("f" SINGLE_REAL, "c" CURRENCY_REAL, "l" LONG_INTEGER, "d" DATE_TEXT, )"
                R"("n" VARCHAR(3) COLLATE JETCI CONSTRAINT "kl_len:n:3" CHECK(length("n")<=3), )"
                R"("m" TEXT COLLATE JETCI, "x" DOUBLE_REAL))",
                "", L{});
        dataRow("second statement", "select * from pi; delete from pi", "", "", L{});
        dataRow("unterminated text", "select * from pi where pi='P", "", "", L{});
        dataRow("unterminated date", "select * from pi where datumpi<#2026/12/05", "", "", L{});
        dataRow("impossible date", "select * from pi where datumpi<#2026/02/31#", "", "", L{});
        dataRow("empty", "   ", "", "", L{});
        // The marks of the sites inside a translation, brought in a quoted name.
        dataRow("site mark in a name", "select * from artikli where naziv like ? and [\x01] = 1",
                "", "", L{});
        dataRow("site number in a name",
                "select * from artikli where naziv like ? and [\x01"
                "1\x02] = 1",
                "", "", L{});
        dataRow("unknown column type", "create table t(a blob)", "", "", L{});
        dataRow("values do not match the list", "insert into svetvrtke(ime,to)values(?)", "", "",
                L{});
    }
    void statements() {
        QFETCH(QString, sql);
        QFETCH(QString, fast);
        QFETCH(QString, general);
        QFETCH(QStringList, bound);
        if (fast.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(SqlError, xlate(sql));
            return;
        }
        const Translation t = xlate(sql);
        QCOMPARE(t.changesSchema, sql.startsWith("create"));
        QCOMPARE(render(t, ~quint64(0)), fast);
        QCOMPARE(render(t, 0), general.isEmpty() ? fast : general);
        QCOMPARE(slotsOf(t), bound);
        QCOMPARE(t.params, int(sql.count('?')));
    }

    void textForms() {
        // Plain decimal integers as cstr() writes them; wildcards of like; anything else neither.
        qint64 got = -99;
        for (const char* text : {"12", "0", "-3"}) {
            QVERIFY2(isIntegerText(text, &got) && !hasWildcard(text), text);
            QCOMPARE(QString::number(got), QString(text));
        }
        for (const char* text : {"1*", "a?c", "#1", "[ab]"})
            QVERIFY2(hasWildcard(text) && !isIntegerText(text, &got), text);
        for (const QString text :
             {"012", "+3", "1,0", "", "-", "-0", " 1", "1 ", "\u0661", "a]!%_"})
            QVERIFY2(!hasWildcard(text) && !isIntegerText(text, &got), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestJetSql)
#include "tst_jetsql.moc"
