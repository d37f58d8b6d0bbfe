// The translator of the windows' SQL on its own, against a small table catalogue: what SQLite
// text each statement becomes, which values become bound slots and which column each slot is
// converted for.

#include "data/jetsql.h"

#include <QTest>

using namespace kl::jet;

namespace {

const std::vector<Column> kCompanies = {
    {"id", ColType::Counter, 0}, {"ime", ColType::Text, 30}, {"to", ColType::Text, 1}};
const std::vector<Column> kHeaders = {{"id", ColType::Counter, 0},
                                      {"pi", ColType::Text, 1},
                                      {"brojpi", ColType::Long, 0},
                                      {"datumpi", ColType::Date, 0},
                                      {"iznos", ColType::Currency, 0}};

const std::vector<Column>* lookup(const QString&, const QString& table) {
    if (table.compare("svetvrtke", Qt::CaseInsensitive) == 0) return &kCompanies;
    if (table.compare("pi", Qt::CaseInsensitive) == 0) return &kHeaders;
    return nullptr;
}

Translation xlate(const QString& sql) {
    return translate(sql, lookup);
}

// "name/type/length" of each slot's target, or "-" for none; literals as "=value", dates as
// "=#yyyy-MM-dd#".
QStringList slotsOf(const Translation& t) {
    QStringList out;
    for (const Slot& s : t.bindSlots) {
        QString d = s.target.type == ColType::Unknown ? QStringLiteral("-")
                                                      : QStringLiteral("%1/%2/%3")
                                                            .arg(s.target.name)
                                                            .arg(int(s.target.type))
                                                            .arg(s.target.length);
        if (s.literal.typeId() == QMetaType::QDate)
            d += "=#" + s.literal.toString() + '#';
        else if (s.param < 0)
            d += '=' + s.literal.toString();
        out << d;
    }
    return out;
}

template <typename... A>
void row(const char* name, A... a) {
    (QTest::newRow(name) << ... << a);
}

}  // namespace

class TestJetSql : public QObject {
    Q_OBJECT

  private slots:
    void statements_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("fast");     // render with every site fast
        QTest::addColumn<QString>("general");  // render with every site general
        QTest::addColumn<QStringList>("bound");
        const int text = int(ColType::Text);
        const QString t1 = QStringLiteral("to/%1/1").arg(text);
        const QString sel = R"(SELECT "svetvrtke".rowid, )";
        const QString ord = R"( ORDER BY "svetvrtke".rowid)";

        row("column to quoted", "select to from svetvrtke", sel + R"("to" FROM "svetvrtke")" + ord,
            sel + R"("to" FROM "svetvrtke")" + ord, QStringList{});
        row("keywords any case, doubled blanks",
            "SeLeCt  *   FROM   svetvrtke  wHeRe  ime=?  And To = ?",
            sel + R"(* FROM "svetvrtke" WHERE "ime" = ? AND "to" = ?)" + ord,
            sel + R"(* FROM "svetvrtke" WHERE "ime" = ? AND "to" = ?)" + ord,
            QStringList{QStringLiteral("ime/%1/0").arg(text), QStringLiteral("to/%1/0").arg(text)});
        row("insert list targets", "insert into svetvrtke(ime,to)values('O''Brien',?)",
            R"(INSERT INTO "svetvrtke" ( "ime" , "to" ) VALUES ( ? , ? ))",
            R"(INSERT INTO "svetvrtke" ( "ime" , "to" ) VALUES ( ? , ? ))",
            QStringList{QStringLiteral("ime/%1/30=O'Brien").arg(text), t1});
        row("update set keeps length, where cstr(id) site",
            "update svetvrtke set to='T'where cstr(id)=?",
            R"(UPDATE "svetvrtke" SET "to" = ? WHERE "id" = ?)",
            R"(UPDATE "svetvrtke" SET "to" = ? WHERE jet_cstr_int("id") = ? COLLATE JETCI)",
            QStringList{t1 + "=T", QStringLiteral("id/%1/0").arg(text)});
        row("cstr(id) like ?, closing semicolon", "select * from svetvrtke where cstr(id) like ?;",
            sel + R"(* FROM "svetvrtke" WHERE "id" = ?)" + ord,
            sel + R"(* FROM "svetvrtke" WHERE jet_cstr_int("id") LIKE ?)" + ord,
            QStringList{QStringLiteral("id/%1/0").arg(text)});
        row("text like ?", "select * from svetvrtke where ime like 'Ab'",
            sel + R"(* FROM "svetvrtke" WHERE "ime" = ?)" + ord,
            sel + R"(* FROM "svetvrtke" WHERE "ime" LIKE ?)" + ord,
            QStringList{QStringLiteral("ime/%1/0=Ab").arg(text)});
        row("text not like ?", "delete from svetvrtke where ime not like ?",
            R"(DELETE FROM "svetvrtke" WHERE "ime" <> ?)",
            R"(DELETE FROM "svetvrtke" WHERE "ime" NOT LIKE ?)",
            QStringList{QStringLiteral("ime/%1/0").arg(text)});
        row("comparison written the other way round", "delete from svetvrtke where 'x' = ime",
            R"(DELETE FROM "svetvrtke" WHERE ? = "ime")",
            R"(DELETE FROM "svetvrtke" WHERE ? = "ime")",
            QStringList{QStringLiteral("ime/%1/0=x").arg(text)});
        row("& is ||", "select ime & 'x' from svetvrtke",
            sel + R"("ime" || ? FROM "svetvrtke")" + ord,
            sel + R"("ime" || ? FROM "svetvrtke")" + ord, QStringList{"-=x"});
        row("date literal and long like",
            "select id from pi where datumpi<=#2026/12/05# and cstr(brojpi) like '7'",
            R"(SELECT "pi".rowid, "id" FROM "pi" WHERE "datumpi" <= ? AND "brojpi" = ? ORDER BY "pi".rowid)",
            R"(SELECT "pi".rowid, "id" FROM "pi" WHERE "datumpi" <= ? AND jet_cstr_int("brojpi") LIKE ? ORDER BY "pi".rowid)",
            QStringList{QStringLiteral("datumpi/%1/0=#2026-12-05#").arg(int(ColType::Date)),
                        QStringLiteral("brojpi/%1/0=7").arg(text)});
        row("month/day/year literal", "delete from pi where datumpi>=#1/31/2026#",
            R"(DELETE FROM "pi" WHERE "datumpi" >= ?)", R"(DELETE FROM "pi" WHERE "datumpi" >= ?)",
            QStringList{QStringLiteral("datumpi/%1/0=#2026-01-31#").arg(int(ColType::Date))});
        row("arithmetic with a column", "update pi set iznos = iznos + ?, brojpi = ? * brojpi",
            R"(UPDATE "pi" SET "iznos" = "iznos" + ? , "brojpi" = ? * "brojpi")",
            R"(UPDATE "pi" SET "iznos" = "iznos" + ? , "brojpi" = ? * "brojpi")",
            QStringList{QStringLiteral("iznos/%1/0").arg(int(ColType::Currency)),
                        QStringLiteral("brojpi/%1/0").arg(int(ColType::Long))});
        row("like on a number compares its text", "select count(*) from pi where iznos like '1*'",
            R"(SELECT count ( * ) FROM "pi" WHERE jet_cstr_currency("iznos") LIKE ?)",
            R"(SELECT count ( * ) FROM "pi" WHERE jet_cstr_currency("iznos") LIKE ?)",
            QStringList{QStringLiteral("iznos/%1/0=1*").arg(text)});
    }
    void statements() {
        QFETCH(QString, sql);
        QFETCH(QString, fast);
        QFETCH(QString, general);
        QFETCH(QStringList, bound);
        const Translation t = xlate(sql);
        QCOMPARE(render(t, ~quint64(0)), fast);
        QCOMPARE(render(t, 0), general);
        QCOMPARE(slotsOf(t), bound);
        QCOMPARE(t.params, int(sql.count('?')));
    }

    void refused_data() {
        QTest::addColumn<QString>("sql");
        row("second statement", "select * from pi; delete from pi");
        row("unterminated text", "select * from pi where pi='P");
        row("unterminated date", "select * from pi where datumpi<#2026/12/05");
        row("impossible date", "select * from pi where datumpi<#2026/02/31#");
        row("empty", "   ");
        row("unknown column type", "create table t(a blob)");
        row("values do not match the list", "insert into svetvrtke(ime,to)values(?)");
    }
    void refused() {
        QFETCH(QString, sql);
        QVERIFY_THROWS_EXCEPTION(SqlError, xlate(sql));
    }

    void createTable() {
        const Translation t = xlate(
            "create table t(id autoincrement,s string(5),f single,c currency,l long,d date,"
            "n string(3)null,m memo,x double)");
        QCOMPARE(t.kind, StatementKind::CreateTable);
        QVERIFY(t.changesSchema);
        const QString want = QStringLiteral(
            R"(CREATE TABLE "t" ("id" INTEGER PRIMARY KEY AUTOINCREMENT, )"
            R"("s" VARCHAR(5) COLLATE JETCI CONSTRAINT "kl_len:s:5" CHECK(length("s")<=5), )"
            R"("f" SINGLE_REAL, "c" CURRENCY_REAL, "l" LONG_INTEGER, "d" DATE_TEXT, )"
            R"("n" VARCHAR(3) COLLATE JETCI CONSTRAINT "kl_len:n:3" CHECK(length("n")<=3), )"
            R"("m" TEXT COLLATE JETCI, "x" DOUBLE_REAL))");
        QCOMPARE(t.sql, want);
    }

    void textForms_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("wild");
        QTest::addColumn<bool>("integer");
        row("12", "12", false, true);
        row("0", "0", false, true);
        row("-3", "-3", false, true);
        row("012", "012", false, false);
        row("+3", "+3", false, false);
        row("1,0", "1,0", false, false);
        row("empty", "", false, false);
        row("minus only", "-", false, false);
        row("-0", "-0", false, false);
        row("blank before", " 1", false, false);
        row("blank after", "1 ", false, false);
        row("arabic-indic digit", QString::fromUtf8("\u0661"), false, false);
        row("star", "1*", true, false);
        row("question", "a?c", true, false);
        row("digit", "#1", true, false);
        row("set", "[ab]", true, false);
        row("closing bracket, bang, percent", "a]!%_", false, false);
    }
    void textForms() {
        QFETCH(QString, text);
        QFETCH(bool, wild);
        QFETCH(bool, integer);
        QCOMPARE(hasWildcard(text), wild);
        qint64 got = -99;
        QCOMPARE(isIntegerText(text, &got), integer);
        if (integer) QCOMPARE(QString::number(got), text);
    }
};

QTEST_GUILESS_MAIN(TestJetSql)
#include "tst_jetsql.moc"
