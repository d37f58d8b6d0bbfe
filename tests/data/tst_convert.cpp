#include <QTest>

#include <bit>
#include <cmath>
#include <limits>

#include "data/convert.h"

using namespace kl;

Q_DECLARE_METATYPE(kl::Precision)

namespace {

// QCOMPARE on floating point is fuzzy; stored figures must be bit for bit the same.
bool same(double a, double b) {
    return std::bit_cast<quint64>(a) == std::bit_cast<quint64>(b);
}

bool same(float a, float b) {
    return std::bit_cast<quint32>(a) == std::bit_cast<quint32>(b);
}

QByteArray shown(double a, double b) {
    return QByteArray::number(a, 'g', 17) + " != " + QByteArray::number(b, 'g', 17);
}

#define COMPARE_EXACT(actual, expected) \
    QVERIFY2(same((actual), (expected)), shown((actual), (expected)).constData())

constexpr auto S = Precision::Single;
constexpr auto D = Precision::Double;
constexpr auto C = Precision::Currency;

}  // namespace

class TestConvert : public QObject {
    Q_OBJECT

  private slots:
    void format00_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<Precision>("precision");
        QTest::addColumn<QString>("expected");

        QTest::newRow("zero") << 0.0 << D << "0,00";
        QTest::newRow("negative zero") << -0.0 << D << "0,00";
        QTest::newRow("half") << 0.5 << D << "0,50";
        QTest::newRow("whole") << 12.0 << D << "12,00";
        QTest::newRow("negative") << -1.5 << D << "-1,50";
        QTest::newRow("rounds to -0") << -0.004 << D << "0,00";
        QTest::newRow("-0,005") << -0.005 << D << "-0,01";
        QTest::newRow("0,005") << 0.005 << D << "0,01";
        QTest::newRow("0,015") << 0.015 << D << "0,02";
        QTest::newRow("1,005") << 1.005 << D << "1,01";
        QTest::newRow("2,675 double") << 2.675 << D << "2,68";
        QTest::newRow("2,675 single") << double(2.675f) << S << "2,68";
        // The same single taken with all its binary digits is below the half.
        QTest::newRow("2,675f as double") << double(2.675f) << D << "2,67";
        QTest::newRow("0,285 single") << double(0.285f) << S << "0,29";
        QTest::newRow("third") << 1.0 / 3 << D << "0,33";
        QTest::newRow("carry into integer") << 99999.995 << D << "100000,00";
        QTest::newRow("carry 0,995") << -0.995 << D << "-1,00";
        QTest::newRow("1234567,89 double") << 1234567.89 << D << "1234567,89";
        QTest::newRow("1234567,89 single") << double(1234567.89f) << S << "1234568,00";
        QTest::newRow("16777217 double") << 16777217.0 << D << "16777217,00";
        QTest::newRow("16777217 single") << 16777217.0 << S << "16777220,00";
        QTest::newRow("1E+15") << 1e15 << D << "1000000000000000,00";
        QTest::newRow("tiny") << 1e-20 << D << "0,00";
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << D << "0,00";
        QTest::newRow("currency 2,005") << 2.005 << C << "2,01";
        QTest::newRow("currency 2,675") << 2.675 << C << "2,68";
        QTest::newRow("currency 2,00015") << 2.00015 << C << "2,00";
        QTest::newRow("currency -12,3449") << -12.3449 << C << "-12,34";
        // Four decimals first (half to even: 0,0050), then two.
        QTest::newRow("currency 0,00495") << 0.00495 << C << "0,01";
    }

    void format00() {
        QFETCH(double, value);
        QFETCH(Precision, precision);
        QFETCH(QString, expected);
        QCOMPARE(kl::format00(value, precision), expected);
    }

    void hashAndEntry_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("hash");
        QTest::addColumn<QString>("entry");

        QTest::newRow("zero") << 0.0 << ",00"
                              << "0,00";
        QTest::newRow("half") << 0.5 << ",50"
                              << "0,50";
        QTest::newRow("negative half") << -0.5 << "-,50"
                                       << "-0,50";
        QTest::newRow("rounds to zero") << -0.004 << ",00"
                                        << "0,00";
        QTest::newRow("rounds to one") << 0.995 << "1,00"
                                       << "1,00";
        QTest::newRow("whole") << 12.0 << "12,00"
                               << "12,00";
        QTest::newRow("negative") << -12.345 << "-12,35"
                                  << "-12,35";
    }

    void hashAndEntry() {
        QFETCH(double, value);
        QFETCH(QString, hash);
        QFETCH(QString, entry);
        QCOMPARE(formatHash00(value), hash);
        QCOMPARE(formatEntry(value), entry);
        QCOMPARE(formatEntry(value), kl::format00(value));
    }

    void leadingZero_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("comma") << ",50"
                               << "0,50";
        QTest::newRow("minus comma") << "-,50"
                                     << "-0,50";
        QTest::newRow("has zero") << "0,50"
                                  << "0,50";
        QTest::newRow("whole") << "12"
                               << "12";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("comma inside") << "a,5"
                                      << "a,5";
    }

    void leadingZero() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(kl::leadingZero(text), expected);
    }

    void singleText_data() {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("expected");

        QTest::newRow("12,5") << 12.5f << "12,5";
        QTest::newRow("37") << 37.f << "37";
        QTest::newRow("zero") << 0.f << "0";
        QTest::newRow("negative zero") << -0.f << "0";
        QTest::newRow("negative") << -2.5f << "-2,5";
        QTest::newRow("0,1") << 0.1f << "0,1";
        QTest::newRow("2,64") << 2.64f << "2,64";
        QTest::newRow("29,08") << 29.08f << "29,08";
        QTest::newRow("third") << 1.f / 3 << "0,3333333";
        QTest::newRow("99999,99") << 99999.99f << "99999,99";
        QTest::newRow("123456,789") << 123456.789f << "123456,8";
        QTest::newRow("1234567,89") << 1234567.89f << "1234568";
        QTest::newRow("9999999") << 9999999.f << "9999999";
        QTest::newRow("1E+07") << 1e7f << "1E+07";
        QTest::newRow("12345678") << 12345678.f << "1,234568E+07";
        QTest::newRow("16777217") << float(16777217.0) << "1,677722E+07";
        QTest::newRow("-1,5E+10") << -1.5e10f << "-1,5E+10";
        QTest::newRow("largest") << std::numeric_limits<float>::max() << "3,402823E+38";
        QTest::newRow("0,0001") << 0.0001f << "0,0001";
        QTest::newRow("1E-05") << 1e-5f << "1E-05";
        QTest::newRow("1,2345E-05") << 1.2345e-5f << "1,2345E-05";
    }

    void singleText() {
        QFETCH(float, value);
        QFETCH(QString, expected);
        QCOMPARE(kl::singleText(value), expected);
    }

    void doubleText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");

        QTest::newRow("0,1+0,2") << 0.1 + 0.2 << "0,3";
        QTest::newRow("1234567,89") << 1234567.89 << "1234567,89";
        QTest::newRow("16777217") << 16777217.0 << "16777217";
        QTest::newRow("15 digits") << 999999999999999.0 << "999999999999999";
        QTest::newRow("1E+15") << 1e15 << "1E+15";
        QTest::newRow("1,5E+100") << 1.5e100 << "1,5E+100";
        QTest::newRow("third") << 1.0 / 3 << "0,333333333333333";
        QTest::newRow("single 0,2") << double(0.2f) << "0,200000002980232";
        QTest::newRow("negative") << -0.5 << "-0,5";
        QTest::newRow("1E-05") << 1e-5 << "1E-05";
        QTest::newRow("zero") << 0.0 << "0";
    }

    void doubleText() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(kl::doubleText(value), expected);
    }

    void currencyText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");

        QTest::newRow("12,5") << 12.5 << "12,5";
        QTest::newRow("3") << 3.0 << "3";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("0,0001") << 0.0001 << "0,0001";
        QTest::newRow("-1,25") << -1.25 << "-1,25";
        QTest::newRow("2,00005 even down") << 2.00005 << "2";
        QTest::newRow("2,00015 odd up") << 2.00015 << "2,0002";
        QTest::newRow("-2,00015") << -2.00015 << "-2,0002";
        QTest::newRow("0,00005") << 0.00005 << "0";
        QTest::newRow("1234567,8912") << 1234567.8912 << "1234567,8912";
        QTest::newRow("15 digits") << 99999999999.9999 << "99999999999,9999";
    }

    void currencyText() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(kl::currencyText(value), expected);
        QCOMPARE(Currency::fromDouble(value).text(), expected);
    }

    void parseNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");

        QTest::newRow("comma") << "12,5" << 12.5;
        QTest::newRow("point") << "12.5" << 12.5;
        QTest::newRow("blanks") << " 12,5 " << 12.5;
        QTest::newRow("plus") << "+5" << 5.0;
        QTest::newRow("minus") << "-5" << -5.0;
        QTest::newRow("leading comma") << ",5" << 0.5;
        QTest::newRow("minus leading comma") << "-,5" << -0.5;
        QTest::newRow("trailing comma") << "5," << 5.0;
        QTest::newRow("zero") << "0" << 0.0;
        QTest::newRow("leading zeros") << "007" << 7.0;
        QTest::newRow("1E+07") << "1E+07" << 1e7;
        QTest::newRow("exponent with comma") << "1,234568E+07" << 12345680.0;
        QTest::newRow("1E-05") << "1E-05" << 1e-5;
        QTest::newRow("small e") << "1,5e7" << 1.5e7;
        QTest::newRow("0,1") << "0,1" << 0.1;
        QTest::newRow("15 digits") << "999999999999999" << 999999999999999.0;
        QTest::newRow("underflow") << "1E-400" << 0.0;
    }

    void parseNumber() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        const auto value = kl::parseNumber(text);
        QVERIFY(value.has_value());
        COMPARE_EXACT(*value, expected);
        COMPARE_EXACT(numberOrZero(text), expected);
    }

    void parseNumberRefuses_data() {
        QTest::addColumn<QString>("text");

        QTest::newRow("empty") << "";
        QTest::newRow("blanks") << "   ";
        QTest::newRow("comma") << ",";
        QTest::newRow("minus") << "-";
        QTest::newRow("minus comma") << "-,";
        QTest::newRow("two commas") << "1,2,3";
        QTest::newRow("point and comma") << "1.2,3";
        QTest::newRow("letter") << "12a";
        QTest::newRow("inner blank") << "1 000";
        QTest::newRow("two signs") << "+-5";
        QTest::newRow("exponent only") << "E5";
        QTest::newRow("no exponent digits") << "1E";
        QTest::newRow("exponent sign only") << "1E+";
        QTest::newRow("comma in exponent") << "1E1,5";
        QTest::newRow("overflow") << "1E+400";
        QTest::newRow("inf") << "inf";
        QTest::newRow("arabic-indic digit") << QString(QChar(0x0663));
    }

    void parseNumberRefuses() {
        QFETCH(QString, text);
        QVERIFY(!kl::parseNumber(text).has_value());
        COMPARE_EXACT(numberOrZero(text), 0.0);
    }

    void textRoundTrips() {
        // Every text the module writes reads back as the figure it was written from, and writing
        // that figure again gives the same text.
        quint32 seed = 12345;
        auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
        for (int i = 0; i < 20000; ++i) {
            const int exponent = int(next() % 24) - 8;
            const double magnitude = double(next() % 10000000) * std::pow(10.0, exponent - 6);
            const double value = next() % 2 ? -magnitude : magnitude;

            const float single = toSingle(value);
            const QString st = kl::singleText(single);
            const auto sv = kl::parseNumber(st);
            QVERIFY2(sv, qPrintable(st));
            QCOMPARE(kl::singleText(toSingle(*sv)), st);

            const QString dt = kl::doubleText(value);
            const auto dv = kl::parseNumber(dt);
            QVERIFY2(dv, qPrintable(dt));
            QCOMPARE(kl::doubleText(*dv), dt);

            if (std::fabs(value) < 1e13) {
                const QString ct = kl::currencyText(value);
                const auto cv = Currency::fromText(ct);
                QVERIFY2(cv, qPrintable(ct));
                QCOMPARE(*cv, Currency::fromDouble(value));
                QCOMPARE(cv->text(), ct);

                const QString ft = kl::format00(value, D);
                QCOMPARE(kl::format00(*kl::parseNumber(ft), D), ft);
                const QString et = kl::formatEntry(single, S);
                QCOMPARE(kl::formatEntry(*kl::parseNumber(et), S), et);
            }
        }
    }

    void roundHalfAway_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("expected");

        QTest::newRow("2,675") << 2.675 << 2 << 2.68;
        QTest::newRow("1,005") << 1.005 << 2 << 1.01;
        QTest::newRow("-1,005") << -1.005 << 2 << -1.01;
        QTest::newRow("0,015") << 0.015 << 2 << 0.02;
        QTest::newRow("0,005") << 0.005 << 2 << 0.01;
        QTest::newRow("0,0049") << 0.0049 << 2 << 0.0;
        QTest::newRow("large") << 1234567.885 << 2 << 1234567.89;
        QTest::newRow("carry") << 99.995 << 2 << 100.0;
        QTest::newRow("whole up") << 2.5 << 0 << 3.0;
        QTest::newRow("whole down") << -2.5 << 0 << -3.0;
        QTest::newRow("hundreds") << 1250.0 << -2 << 1300.0;
        QTest::newRow("nothing to round") << 123.456 << 5 << 123.456;
        QTest::newRow("far below") << 0.00049 << 2 << 0.0;
    }

    void roundHalfAway() {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(double, expected);
        COMPARE_EXACT(kl::roundHalfAway(value, decimals), expected);
    }

    void round2Single_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<Precision>("precision");
        QTest::addColumn<float>("expected");

        QTest::newRow("2,675f") << double(2.675f) << S << 2.68f;
        QTest::newRow("2,675f as double") << double(2.675f) << D << 2.67f;
        QTest::newRow("37/14") << 37.0 / 14 << S << 2.64f;
        QTest::newRow("0,005") << 0.005 << S << 0.01f;
        QTest::newRow("-0,005") << -0.005 << S << -0.01f;
        QTest::newRow("-0,004") << -0.004 << S << 0.f;
        QTest::newRow("1234567,89f") << double(1234567.89f) << S << 1234568.f;
        QTest::newRow("1234567,89 as double") << 1234567.89 << D << 1234567.89f;
    }

    void round2Single() {
        QFETCH(double, value);
        QFETCH(Precision, precision);
        QFETCH(float, expected);
        COMPARE_EXACT(kl::round2Single(value, precision), expected);
    }

    void stockAveragePrice() {
        // Stock 4 valued 12,00; receipt of 10 at 2,50; issue of 3 at the average price.
        float stock = 4.f;
        float value = 12.f;

        float quantity = kl::round2Single(10.0);
        float price = kl::round2Single(2.5);
        float amount = kl::round2Single(double(quantity) * price);
        QCOMPARE(kl::format00(amount, S), QStringLiteral("25,00"));
        stock = kl::round2Single(double(stock) + quantity);
        value = kl::round2Single(double(value) + amount);
        float average = kl::round2Single(double(value) / stock);
        COMPARE_EXACT(stock, 14.f);
        COMPARE_EXACT(value, 37.f);
        COMPARE_EXACT(average, 2.64f);
        QCOMPARE(kl::singleText(average), QStringLiteral("2,64"));

        quantity = kl::round2Single(3.0);
        price = average;
        amount = kl::round2Single(double(quantity) * price);
        COMPARE_EXACT(amount, 7.92f);
        QCOMPARE(kl::formatEntry(price, S), QStringLiteral("2,64"));
        QCOMPARE(kl::formatEntry(amount, S), QStringLiteral("7,92"));
        stock = kl::round2Single(double(stock) - quantity);
        value = kl::round2Single(double(value) - amount);
        average = kl::round2Single(double(value) / stock);
        COMPARE_EXACT(stock, 11.f);
        COMPARE_EXACT(value, 29.08f);
        COMPARE_EXACT(average, 2.64f);
        QCOMPARE(kl::singleText(value), QStringLiteral("29,08"));
        QCOMPARE(kl::format00(value, S), QStringLiteral("29,08"));
    }

    void integerPartTooLong_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("tooLong");

        QTest::newRow("99999") << "99999" << false;
        QTest::newRow("99999,99") << "99999,99" << false;
        QTest::newRow("99999,999") << "99999,999" << false;
        QTest::newRow("-99999,99") << "-99999,99" << false;
        QTest::newRow("leading zeros") << "0099999" << false;
        QTest::newRow("100000") << "100000" << true;
        QTest::newRow("123456") << "123456" << true;
        QTest::newRow("123456,5") << "123456,5" << true;
        QTest::newRow("-123456") << "-123456" << true;
        QTest::newRow("exponent") << "1E+06" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("unreadable") << "1234567a" << false;
    }

    void integerPartTooLong() {
        QFETCH(QString, text);
        QFETCH(bool, tooLong);
        QCOMPARE(kl::integerPartTooLong(text), tooLong);
    }

    void currencyFromDouble_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("units");

        QTest::newRow("2,00005") << 2.00005 << qint64(20000);
        QTest::newRow("2,00015") << 2.00015 << qint64(20002);
        QTest::newRow("2,00025") << 2.00025 << qint64(20002);
        QTest::newRow("-2,00015") << -2.00015 << qint64(-20002);
        QTest::newRow("0,00005") << 0.00005 << qint64(0);
        QTest::newRow("0,00015") << 0.00015 << qint64(2);
        QTest::newRow("above half") << 1.000051 << qint64(10001);
        QTest::newRow("1,23456") << 1.23456 << qint64(12346);
        QTest::newRow("12,5") << 12.5 << qint64(125000);
        QTest::newRow("zero") << 0.0 << qint64(0);
        QTest::newRow("5E+14, still in range") << 5e14 << qint64(5000000000000000000);
        QTest::newRow("too large") << 1e20 << std::numeric_limits<qint64>::max();
        QTest::newRow("too small") << -1e20 << std::numeric_limits<qint64>::min();
    }

    void currencyFromDouble() {
        QFETCH(double, value);
        QFETCH(qint64, units);
        QCOMPARE(Currency::fromDouble(value).units, units);
    }

    void currencyArithmetic() {
        const auto c = [](double v) { return Currency::fromDouble(v); };
        QCOMPARE((c(2.5) * c(2.5)).units, 62500);
        QCOMPARE((c(0.0001) * c(0.5)).units, 0);  // 0,00005: even down
        QCOMPARE((c(0.0003) * c(0.5)).units, 2);  // 0,00015: odd up
        QCOMPARE((c(-0.0003) * c(0.5)).units, -2);
        QCOMPARE((c(1.2345) * c(1.2345)).units, 15240);  // 1,52399025
        QCOMPARE((c(900000000) * c(1000)).units, 9000000000000000);
        QCOMPARE((c(12.5) + c(0.0001)).text(), QStringLiteral("12,5001"));
        QCOMPARE((c(1) - c(2.25)).text(), QStringLiteral("-1,25"));
        QCOMPARE(Currency{std::numeric_limits<qint64>::max()}.text(),
                 QStringLiteral("922337203685477,5807"));
        QCOMPARE(Currency{std::numeric_limits<qint64>::min()}.text(),
                 QStringLiteral("-922337203685477,5808"));
        QVERIFY(c(1.0001) > c(1));

        QCOMPARE(Currency::fromText(QStringLiteral("12,5"))->units, 125000);
        QCOMPARE(Currency::fromText(QStringLiteral(" -0,00015 "))->units, -2);
        QVERIFY(!Currency::fromText(QStringLiteral("abc")));
        QVERIFY(!Currency::fromText(QStringLiteral("1E+15")));
    }

    void dateTexts() {
        const QDate d(2026, 3, 5);
        QCOMPARE(dateText(d), QStringLiteral("05.03.2026"));
        QCOMPARE(dateTextShort(d), QStringLiteral("05.03.26"));
        QCOMPARE(dateLiteral(d), QStringLiteral("#2026/03/05#"));
        QCOMPARE(dateText(QDate()), QString());
        QCOMPARE(dateLiteral(QDate()), QString());

        for (QDate day(1930, 1, 1); day.year() < 2030; day = day.addDays(97)) {
            QCOMPARE(kl::parseDate(dateText(day)), std::optional(day));
            QCOMPARE(kl::parseDate(dateTextShort(day)), std::optional(day));
        }
    }

    void parseDate_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");

        QTest::newRow("dd.MM.yyyy") << "05.03.2026" << QDate(2026, 3, 5);
        QTest::newRow("d.M.yyyy") << "5.3.2026" << QDate(2026, 3, 5);
        QTest::newRow("trailing dot") << "5.3.2026." << QDate(2026, 3, 5);
        QTest::newRow("blanks") << " 05.03.2026 " << QDate(2026, 3, 5);
        QTest::newRow("yy 26") << "5.3.26" << QDate(2026, 3, 5);
        QTest::newRow("yy 00") << "1.1.00" << QDate(2000, 1, 1);
        QTest::newRow("yy 29") << "31.12.29" << QDate(2029, 12, 31);
        QTest::newRow("yy 30") << "1.1.30" << QDate(1930, 1, 1);
        QTest::newRow("yy 99") << "31.12.99" << QDate(1999, 12, 31);
        QTest::newRow("leap day") << "29.02.2024" << QDate(2024, 2, 29);
        QTest::newRow("iso") << "2026-03-05" << QDate(2026, 3, 5);
        QTest::newRow("slashes") << "2026/03/05" << QDate(2026, 3, 5);
    }

    void parseDate() {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        QCOMPARE(kl::parseDate(text), std::optional(expected));
    }

    void parseDateRefuses_data() {
        QTest::addColumn<QString>("text");

        QTest::newRow("empty") << "";
        QTest::newRow("31.02") << "31.02.2026";
        QTest::newRow("not a leap year") << "29.02.2025";
        QTest::newRow("day 32") << "32.01.2026";
        QTest::newRow("month 13") << "5.13.2026";
        QTest::newRow("three-digit year") << "5.3.202";
        QTest::newRow("no year") << "5.3";
        QTest::newRow("slashes d/M/yyyy") << "5/3/2026";
        QTest::newRow("dashes dd-MM-yyyy") << "05-03-2026";
        QTest::newRow("mixed separators") << "2026-03/05";
        QTest::newRow("iso without day") << "2026-03";
        QTest::newRow("letters") << "5.3.2026x";
        QTest::newRow("literal") << "#2026/03/05#";
    }

    void parseDateRefuses() {
        QFETCH(QString, text);
        QCOMPARE(kl::parseDate(text), std::optional<QDate>());
    }

    void padding() {
        QCOMPARE(padRight(QStringLiteral("abc"), 5), QStringLiteral("abc  "));
        QCOMPARE(padRight(QStringLiteral("abcdef"), 3), QStringLiteral("abc"));
        QCOMPARE(padRight(QStringLiteral("abc"), 0), QString());
        QCOMPARE(padLeft(QStringLiteral("abc"), 5), QStringLiteral("  abc"));
        QCOMPARE(padLeft(QStringLiteral("abcdef"), 3), QStringLiteral("abcdef"));
        QCOMPARE(padLeft(QString(), 2), QStringLiteral("  "));
    }
};

QTEST_MAIN(TestConvert)
#include "tst_convert.moc"
