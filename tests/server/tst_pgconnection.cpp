// The connection to a real server: values read back exactly, the failures a clerk can meet, and
// the text order of the books reproduced by the server's keys.

#include "data/collation.h"
#include "data/jetfunctions.h"
#include "data/pgconnection.h"
#include "data/pgtextkey.h"
#include "pgtestserver.h"
#include "testenv.h"

#include <QTcpServer>
#include <QTest>

#include <algorithm>
#include <limits>
#include <numeric>

using namespace kl;

namespace {
QByteArray utf8Of(char32_t c) {
    QByteArray b;
    if (c < 0x80) {
        b += char(c);
    } else if (c < 0x800) {
        b += char(0xC0 | (c >> 6));
        b += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        b += char(0xE0 | (c >> 12));
        b += char(0x80 | ((c >> 6) & 0x3F));
        b += char(0x80 | (c & 0x3F));
    } else {
        b += char(0xF0 | (c >> 18));
        b += char(0x80 | ((c >> 12) & 0x3F));
        b += char(0x80 | ((c >> 6) & 0x3F));
        b += char(0x80 | (c & 0x3F));
    }
    return b;
}
}  // namespace

class TestPgConnection : public QObject {
    Q_OBJECT
    ServerAddress server_;

    PgConnection connect() { return PgConnection::connect(server_); }

  private slots:
    void initTestCase() { server_ = test::testServer(); }

    void valuesReadBackExactly_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("text");
        test::dataRow("real 0.1", QStringLiteral("real"), QVariant(0.1f), QByteArray("0.1"));
        test::dataRow("real max", QStringLiteral("real"),
                      QVariant(std::numeric_limits<float>::max()), QByteArray("3.4028235e+38"));
        test::dataRow("real 2^24+2", QStringLiteral("real"), QVariant(16777218.0f),
                      QByteArray("1.6777218e+07"));
        test::dataRow("currency", QStringLiteral("numeric(19,4)"),
                      QVariant(QStringLiteral("922337203685477.5807")),
                      QByteArray("922337203685477.5807"));
        test::dataRow("currency small", QStringLiteral("numeric(19,4)"),
                      QVariant(QStringLiteral("-0.0001")), QByteArray("-0.0001"));
        test::dataRow("double", QStringLiteral("double precision"), QVariant(0.1),
                      QByteArray("0.1"));
        test::dataRow("long", QStringLiteral("integer"), QVariant(-2147483647),
                      QByteArray("-2147483647"));
        test::dataRow("date", QStringLiteral("date"), QVariant(QDate(2026, 12, 31)),
                      QByteArray("2026-12-31"));
        test::dataRow("text", QStringLiteral("text"),
                      QVariant(QStringLiteral("Čćđšž ' \" ; -- $1 \\ DROP TABLE x")),
                      QByteArray("Čćđšž ' \" ; -- $1 \\ DROP TABLE x"));
        test::dataRow("empty text", QStringLiteral("text"), QVariant(QString()), QByteArray(""));
        test::dataRow("null", QStringLiteral("text"), QVariant(), QByteArray());
    }
    void valuesReadBackExactly() {
        QFETCH(QString, type);
        QFETCH(QVariant, value);
        QFETCH(QByteArray, text);
        PgConnection c = connect();
        const PgResult r = c.exec(QStringLiteral("SELECT $1::%1").arg(type), {value});
        QCOMPARE(r.rows(), 1);
        QCOMPARE(r.isNull(0, 0), !value.isValid());
        QCOMPARE(r.bytes(0, 0), text);
        if (value.typeId() == QMetaType::Float) QCOMPARE(float(r.number(0, 0)), value.toFloat());
    }

    void nullAndRowsChanged() {
        PgConnection c = connect();
        c.exec(QStringLiteral("CREATE TEMP TABLE t (a integer, b text)"));
        QCOMPARE(c.exec(QStringLiteral("INSERT INTO t VALUES ($1, $2), ($3, $4)"),
                        {1, QVariant(), 2, QStringLiteral("x")})
                     .affected(),
                 2);
        const PgResult r = c.exec(QStringLiteral("SELECT b FROM t ORDER BY a"));
        QVERIFY(r.isNull(0, 0));
        QCOMPARE(r.text(1, 0), QStringLiteral("x"));
    }

    // What the clerk is told, and what the program retries.
    void failures() {
        QTcpServer closed;  // a port that surely refuses: taken, then closed
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        ServerAddress down = server_;
        down.port = closed.serverPort();
        closed.close();
        QString why;
        QCOMPARE(test::errorOf([&] { PgConnection::connect(down); }, &why),
                 DbErrorCode::ServerUnreachable);
        QVERIFY2(why.contains(QStringLiteral("127.0.0.1:%1 nije dostupan").arg(down.port)),
                 qPrintable(why));

        QCOMPARE(
            test::errorOf([&] { PgConnection::connect(server_, QStringLiteral("krivo")); }, &why),
            DbErrorCode::ServerLogin);
        QVERIFY2(why.contains(QStringLiteral("nije prihvatio prijavu korisnika klpg")),
                 qPrintable(why));

        PgConnection c = connect();
        QCOMPARE(test::errorOf([&] { c.exec(QStringLiteral("SELECT * FROM nema_je")); }, &why),
                 DbErrorCode::ServerError);
        QVERIFY2(why.contains(QLatin1String("42P01")), qPrintable(why));

        // Two serializable transactions that read and write the same row: one must give way.
        c.exec(
            QStringLiteral("DROP TABLE IF EXISTS sukob; CREATE TABLE sukob (n integer); "
                           "INSERT INTO sukob VALUES (0)"));
        PgConnection d = connect();
        for (PgConnection* x : {&c, &d}) {
            x->exec(QStringLiteral("BEGIN ISOLATION LEVEL SERIALIZABLE"));
            x->exec(QStringLiteral("SELECT n FROM sukob"));
        }
        c.exec(QStringLiteral("UPDATE sukob SET n = n + 1"));
        c.exec(QStringLiteral("COMMIT"));
        int number = 0;
        try {
            d.exec(QStringLiteral("UPDATE sukob SET n = n + 1"));
        } catch (const DbError& e) {
            number = e.number();
            QVERIFY(isRetryable(e));
        }
        QCOMPARE(number, DbErrorCode::ServerConflict);

        // The server ends the connection under a running program.
        const qint64 pid =
            d.exec(QStringLiteral("ROLLBACK; SELECT pg_backend_pid()")).integer(0, 0);
        c.exec(QStringLiteral("SELECT pg_terminate_backend($1)"), {pid});
        QCOMPARE(test::errorOf([&] { d.exec(QStringLiteral("SELECT 1")); }, &why),
                 DbErrorCode::ServerLost);
        QVERIFY2(why.contains(QLatin1String("je prekinuta")), qPrintable(why));
    }

    // Every code point's key character follows its collation weight: equal weights, equal keys;
    // a greater weight, a greater key. Texts then order by their keys as by the collation.
    void keyCharactersFollowTheWeights() {
        std::vector<char32_t> cps;
        for (char32_t c = 1; c <= 0x10FFFF; ++c)
            if (c < 0xD800 || c > 0xDFFF) cps.push_back(c);
        std::stable_sort(cps.begin(), cps.end(), [](char32_t a, char32_t b) {
            return collationWeight(a) < collationWeight(b);
        });
        for (size_t i = 1; i < cps.size(); ++i) {
            const char32_t a = cps[i - 1], b = cps[i];
            const char32_t ka = pg::keyChar(a), kb = pg::keyChar(b);
            const bool sameWeight = collationWeight(a) == collationWeight(b);
            if (sameWeight ? ka != kb : ka >= kb)
                QFAIL(qPrintable(QStringLiteral("U+%1 / U+%2").arg(a, 0, 16).arg(b, 0, 16)));
            QVERIFY(kb > 0 && kb <= 0x10FFFF && (kb < 0xD800 || kb > 0xDFFF));
        }
    }

    // The server's kl_key() gives, for every code point, the key the program computes, and
    // orders texts as the program does.
    void serverKeysAreTheProgramsKeys() {
        PgConnection c = connect();
        c.exec(QStringLiteral("CREATE SCHEMA IF NOT EXISTS kl_proba"));
        c.exec(pg::keyFunctionSql(QStringLiteral("kl_proba")));
        const PgResult r = c.exec(
            QStringLiteral("SELECT c, kl_proba.kl_key(chr(c)) FROM generate_series(1, 1114111) c "
                           "WHERE c < 55296 OR c > 57343 ORDER BY c"));
        QCOMPARE(r.rows(), 1114111 - 2048);
        for (int i = 0; i < r.rows(); ++i) {
            const char32_t cp = char32_t(r.integer(i, 0));
            if (r.bytes(i, 1) != utf8Of(pg::keyChar(cp)))
                QFAIL(qPrintable(QStringLiteral("U+%1").arg(cp, 0, 16)));
        }

        const QStringList texts = {
            QStringLiteral("čaša"),    QStringLiteral("Ćevapi"), QStringLiteral("cesta"),
            QStringLiteral("CESTA"),   QStringLiteral("Đak"),    QStringLiteral("dz"),
            QStringLiteral("džem"),    QStringLiteral("Šuma"),   QStringLiteral("sz"),
            QStringLiteral("ž"),       QStringLiteral("z"),      QStringLiteral("Zagreb"),
            QStringLiteral("0012"),    QStringLiteral("12"),     QStringLiteral("a b"),
            QStringLiteral("a-b"),     QStringLiteral("a_b"),    QStringLiteral("a{b"),
            QStringLiteral("éclair"),  QStringLiteral("Ωmega"),  QStringLiteral("ωmega"),
            QStringLiteral("\u212Aa"), QStringLiteral("ka"),     QStringLiteral("zz"),
            QStringLiteral(""),        QStringLiteral("Ab"),     QStringLiteral("ab"),
            QStringLiteral("abc"),     QStringLiteral("😀"),      QStringLiteral("~")};
        c.exec(QStringLiteral("CREATE TEMP TABLE r (t text)"));
        for (const QString& t : texts)
            c.exec(QStringLiteral("INSERT INTO r VALUES ($1)"), {t});
        const PgResult sorted = c.exec(QStringLiteral(
            "SELECT t, kl_proba.kl_key(t) FROM r ORDER BY kl_proba.kl_key(t) COLLATE \"C\""));
        QCOMPARE(sorted.rows(), int(texts.size()));
        for (int i = 1; i < sorted.rows(); ++i) {
            const QString a = sorted.text(i - 1, 0), b = sorted.text(i, 0);
            QVERIFY2(compareText(a, b) <= 0, qPrintable(a + QLatin1String(" / ") + b));
            QCOMPARE(sorted.text(i - 1, 1) == sorted.text(i, 1), compareText(a, b) == 0);
            QCOMPARE(sorted.text(i, 1), pg::textKey(b));
        }
        c.exec(QStringLiteral("DROP SCHEMA kl_proba CASCADE"));
    }

    // A pattern on the server (the key against likeRegex) matches what it matches in the file.
    void likePatternsMatchAsInTheFile() {
        const QStringList values = {
            QStringLiteral("čokolada"), QStringLiteral("ČOKOLADA"), QStringLiteral("Cokolada"),
            QStringLiteral("ćevap"),    QStringLiteral("iva1"),     QStringLiteral("ivan"),
            QStringLiteral("a"),        QStringLiteral("b"),        QStringLiteral("ab"),
            QStringLiteral(""),         QStringLiteral("12"),       QStringLiteral("١٢"),
            QStringLiteral("x[y"),      QStringLiteral("50%"),      QStringLiteral("a_b"),
            QStringLiteral("a.b"),      QStringLiteral("Šđ"),       QStringLiteral("dž"),
            QStringLiteral("\\"),       QStringLiteral("a*b"),      QStringLiteral("^$"),
            QStringLiteral("Zagreb"),   QStringLiteral("zz"),       QStringLiteral("ž")};
        const QStringList patterns = {
            QStringLiteral("čokolada"), QStringLiteral("[Č]OKOLADA"), QStringLiteral("[!aicšs]*"),
            QStringLiteral("[ib]*"),    QStringLiteral("[a-b]?"),     QStringLiteral("iva?"),
            QStringLiteral("iva#"),     QStringLiteral("##"),         QStringLiteral("*"),
            QStringLiteral(""),         QStringLiteral("?"),          QStringLiteral("x[y"),
            QStringLiteral("[]"),       QStringLiteral("[!]"),        QStringLiteral("[b-a]"),
            QStringLiteral("*%"),       QStringLiteral("a_b"),        QStringLiteral("a.b"),
            QStringLiteral("[c-d]*"),   QStringLiteral("[č-đ]*"),     QStringLiteral("[s-z]?"),
            QStringLiteral("*[*]*"),    QStringLiteral("^$"),         QStringLiteral("\\"),
            QStringLiteral("[a-]"),     QStringLiteral("[-a]*"),      QStringLiteral("z*"),
            QStringLiteral("[!z]*"),    QStringLiteral("*b"),         QStringLiteral("[ž]")};
        PgConnection c = connect();
        c.exec(QStringLiteral("CREATE SCHEMA IF NOT EXISTS kl_proba"));
        c.exec(pg::keyFunctionSql(QStringLiteral("kl_proba")));
        c.exec(
            QStringLiteral("CREATE TEMP TABLE v (i integer, t text); "
                           "CREATE TEMP TABLE p (j integer, r text)"));
        for (int i = 0; i < values.size(); ++i)
            c.exec(QStringLiteral("INSERT INTO v VALUES ($1, $2)"), {i, values[i]});
        for (int j = 0; j < patterns.size(); ++j)
            c.exec(QStringLiteral("INSERT INTO p VALUES ($1, $2)"),
                   {j, pg::likeRegex(patterns[j])});
        const PgResult r =
            c.exec(QStringLiteral("SELECT i, j, kl_proba.kl_key(t) ~ r FROM v, p ORDER BY i, j"));
        QCOMPARE(r.rows(), int(values.size() * patterns.size()));
        for (int k = 0; k < r.rows(); ++k) {
            const QString& value = values[r.integer(k, 0)];
            const QString& pattern = patterns[r.integer(k, 1)];
            const bool server = r.bytes(k, 2) == "t";
            if (server != jetLike(value, pattern))
                QFAIL(qPrintable(QStringLiteral("'%1' like '%2': %3 on the server")
                                     .arg(value, pattern, server ? "da" : "ne")));
        }
        c.exec(QStringLiteral("DROP SCHEMA kl_proba CASCADE"));
    }
};

QTEST_GUILESS_MAIN(TestPgConnection)
#include "tst_pgconnection.moc"
