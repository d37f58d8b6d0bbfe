#include <QTest>

#include <cmath>
#include <limits>

#include "data/convert.h"

using namespace kl;

Q_DECLARE_METATYPE(kl::Precision)

namespace {

// QCOMPARE on floating point is fuzzy; stored figures must be bit for bit the same. 17 digits
// tell every double apart; the sign of a zero is added by hand.
QByteArray exact(double v) {
    return (v == 0 && std::signbit(v) ? "-" : "") + QByteArray::number(v, 'g', 17);
}

#define COMPARE_EXACT(actual, expected) QCOMPARE(exact(actual), exact(expected))

constexpr auto S = Precision::Single;
constexpr auto D = Precision::Double;
constexpr auto C = Precision::Currency;

// A refused text or date in the data rows.
const QVariant refused;

}  // namespace

class TestConvert : public QObject {
    Q_OBJECT

  private slots:
    void format00_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<Precision>("precision");
        QTest::addColumn<QString>("expected");

        QTest::newRow("negative zero") << -0.0 << D << "0,00";
        QTest::newRow("rounds to -0") << -0.004 << D << "0,00";
        QTest::newRow("-0,005") << -0.005 << D << "-0,01";
        QTest::newRow("1,005") << 1.005 << D << "1,01";
        QTest::newRow("2,675 double") << 2.675 << D << "2,68";
        QTest::newRow("2,675 single") << double(2.675f) << S << "2,68";
        // The same single taken with all its binary digits is below the half.
        QTest::newRow("2,675f as double") << double(2.675f) << D << "2,67";
        QTest::newRow("carry into integer") << 99999.995 << D << "100000,00";
        QTest::newRow("1234567,89 single") << double(1234567.89f) << S << "1234568,00";
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << D << "0,00";
        QTest::newRow("currency 2,00015") << 2.00015 << C << "2,00";
        // Four decimals first (half to even: 0,0050), then two.
        QTest::newRow("currency 0,00495") << 0.00495 << C << "0,01";
    }

    void format00() {
        QFETCH(double, value);
        QFETCH(Precision, precision);
        QFETCH(QString, expected);
        QCOMPARE(kl::format00(value, precision), expected);
        QCOMPARE(kl::formatEntry(value, precision), expected);
    }

    void hashAndLeadingZero_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("hash");

        QTest::newRow("zero") << 0.0 << ",00";
        QTest::newRow("negative half") << -0.5 << "-,50";
        QTest::newRow("rounds to zero") << -0.004 << ",00";
        QTest::newRow("rounds to one") << 0.995 << "1,00";
    }

    void hashAndLeadingZero() {
        QFETCH(double, value);
        QFETCH(QString, hash);
        QCOMPARE(formatHash00(value), hash);
        QCOMPARE(kl::leadingZero(hash), kl::format00(value));
    }

    void defaultText_data() {
        QTest::addColumn<Precision>("precision");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");

        QTest::newRow("single 37") << S << 37.0 << "37";
        QTest::newRow("single negative zero") << S << -0.0 << "0";
        QTest::newRow("single 0,1") << S << 0.1 << "0,1";
        QTest::newRow("single third") << S << 1.0 / 3 << "0,3333333";
        QTest::newRow("single 1234567,89") << S << 1234567.89 << "1234568";
        QTest::newRow("single 9999999") << S << 9999999.0 << "9999999";
        QTest::newRow("single 1E+07") << S << 1e7 << "1E+07";
        QTest::newRow("single 12345678") << S << 12345678.0 << "1,234568E+07";
        QTest::newRow("single 0,0001") << S << 0.0001 << "0,0001";
        QTest::newRow("single 1,2345E-05") << S << 1.2345e-5 << "1,2345E-05";
        QTest::newRow("double 0,1+0,2") << D << 0.1 + 0.2 << "0,3";
        QTest::newRow("double 15 digits") << D << 999999999999999.0 << "999999999999999";
        QTest::newRow("double 1E+15") << D << 1e15 << "1E+15";
        QTest::newRow("double of single 0,2") << D << double(0.2f) << "0,200000002980232";
        QTest::newRow("currency 2,00005 even down") << C << 2.00005 << "2";
        QTest::newRow("currency 2,00015 odd up") << C << 2.00015 << "2,0002";
        QTest::newRow("currency -2,00015") << C << -2.00015 << "-2,0002";
        QTest::newRow("currency 15 digits") << C << 99999999999.9999 << "99999999999,9999";
    }

    void defaultText() {
        QFETCH(Precision, precision);
        QFETCH(double, value);
        QFETCH(QString, expected);
        if (precision == S) {
            QCOMPARE(kl::singleText(float(value)), expected);
        } else if (precision == D) {
            QCOMPARE(kl::doubleText(value), expected);
        } else {
            QCOMPARE(kl::currencyText(value), expected);
            QCOMPARE(Currency::fromDouble(value).text(), expected);
        }
    }

    void parseNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("expected");

        QTest::newRow("point") << "12.5" << QVariant(12.5);
        QTest::newRow("blanks") << " 12,5 " << QVariant(12.5);
        QTest::newRow("minus leading comma") << "-,5" << QVariant(-0.5);
        QTest::newRow("trailing comma") << "5," << QVariant(5.0);
        QTest::newRow("exponent with comma") << "1,234568E+07" << QVariant(12345680.0);
        QTest::newRow("1E-05") << "1E-05" << QVariant(1e-5);
        QTest::newRow("small e") << "1,5e7" << QVariant(1.5e7);
        QTest::newRow("underflow") << "1E-400" << QVariant(0.0);
        QTest::newRow("empty") << "" << refused;
        QTest::newRow("two commas") << "1,2,3" << refused;
        QTest::newRow("letter") << "12a" << refused;
        QTest::newRow("two signs") << "+-5" << refused;
        QTest::newRow("no exponent digits") << "1E+" << refused;
        QTest::newRow("overflow") << "1E+400" << refused;
        QTest::newRow("arabic-indic digit") << QString(QChar(0x0663)) << refused;
    }

    void parseNumber() {
        QFETCH(QString, text);
        QFETCH(QVariant, expected);
        const auto value = kl::parseNumber(text);
        QCOMPARE(value.has_value(), expected.isValid());
        if (value) COMPARE_EXACT(*value, expected.toDouble());
        COMPARE_EXACT(numberOrZero(text), expected.toDouble());
    }

    void textRoundTrips() {
        // Every text the module writes reads back as the figure it was written from, and writing
        // that figure again gives the same text.
        quint32 seed = 12345;
        auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
        const auto roundTrip = [](const QString& text, auto write) {
            const auto read = kl::parseNumber(text);
            QVERIFY2(read, qPrintable(text));
            QCOMPARE(write(*read), text);
        };
        for (int i = 0; i < 20000; ++i) {
            const int exponent = int(next() % 24) - 14;
            const double magnitude = double(next() % 10000000) * std::pow(10.0, exponent);
            const double value = next() % 2 ? -magnitude : magnitude;
            const float single = toSingle(value);
            roundTrip(kl::singleText(single), [](double v) { return kl::singleText(toSingle(v)); });
            roundTrip(kl::doubleText(value), [](double v) { return kl::doubleText(v); });
            if (std::fabs(value) >= 1e13) continue;
            const QString ct = kl::currencyText(value);
            QCOMPARE(Currency::fromText(ct), std::optional(Currency::fromDouble(value)));
            roundTrip(ct, [](double v) { return kl::currencyText(v); });
            roundTrip(kl::format00(value, D), [](double v) { return kl::format00(v, D); });
            roundTrip(kl::formatEntry(single, S), [](double v) { return kl::formatEntry(v, S); });
        }
    }

    void roundHalfAway_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("expected");

        QTest::newRow("2,675") << 2.675 << 2 << 2.68;
        QTest::newRow("1,005") << 1.005 << 2 << 1.01;
        QTest::newRow("-1,005") << -1.005 << 2 << -1.01;
        QTest::newRow("large") << 1234567.885 << 2 << 1234567.89;
        QTest::newRow("carry") << 99.995 << 2 << 100.0;
        QTest::newRow("whole down") << -2.5 << 0 << -3.0;
        QTest::newRow("hundreds") << 1250.0 << -2 << 1300.0;
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
        float stock = 4.f, value = 12.f, amount = 0.f, average = 0.f;
        const auto move = [&](double quantity, double price) {
            const float q = kl::round2Single(quantity);
            amount = kl::round2Single(double(q) * kl::round2Single(price));
            stock = kl::round2Single(double(stock) + q);
            value = kl::round2Single(double(value) + amount);
            average = kl::round2Single(double(value) / stock);
        };
        move(10.0, 2.5);
        QCOMPARE(kl::format00(amount, S), QStringLiteral("25,00"));
        COMPARE_EXACT(stock, 14.f);
        COMPARE_EXACT(value, 37.f);
        COMPARE_EXACT(average, 2.64f);
        QCOMPARE(kl::singleText(average), QStringLiteral("2,64"));

        move(-3.0, average);
        COMPARE_EXACT(amount, -7.92f);
        QCOMPARE(kl::formatEntry(average, S), QStringLiteral("2,64"));
        QCOMPARE(kl::formatEntry(-amount, S), QStringLiteral("7,92"));
        COMPARE_EXACT(stock, 11.f);
        COMPARE_EXACT(value, 29.08f);
        COMPARE_EXACT(average, 2.64f);
        QCOMPARE(kl::singleText(value), QStringLiteral("29,08"));
        QCOMPARE(kl::format00(value, S), QStringLiteral("29,08"));
    }

    void integerPartTooLong_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("tooLong");

        QTest::newRow("99999,999") << "99999,999" << false;
        QTest::newRow("leading zeros") << "0099999" << false;
        QTest::newRow("100000") << "100000" << true;
        QTest::newRow("123456,5") << "123456,5" << true;
        QTest::newRow("-123456") << "-123456" << true;
        QTest::newRow("exponent") << "1E+06" << true;
        QTest::newRow("unreadable") << "1234567a" << false;
    }

    void integerPartTooLong() {
        QFETCH(QString, text);
        QFETCH(bool, tooLong);
        QCOMPARE(kl::integerPartTooLong(text), tooLong);
    }

    void currency() {
        const auto c = [](double v) { return Currency::fromDouble(v); };
        QCOMPARE(c(2.00025).units, 20002);  // half to even
        QCOMPARE(c(1.000051).units, 10001);
        QCOMPARE(c(5e14).units, 5000000000000000000);
        QCOMPARE(c(1e20).units, std::numeric_limits<qint64>::max());
        QCOMPARE(c(-1e20).units, std::numeric_limits<qint64>::min());
        QCOMPARE((c(2.5) * c(2.5)).units, 62500);
        QCOMPARE((c(0.0001) * c(0.5)).units, 0);    // 0,00005: even down
        QCOMPARE((c(-0.0003) * c(0.5)).units, -2);  // -0,00015: odd up
        QCOMPARE((c(900000000) * c(1000)).units, 9000000000000000);
        QCOMPARE((c(1) - c(2.25)).text(), QStringLiteral("-1,25"));
        QCOMPARE(Currency{std::numeric_limits<qint64>::min()}.text(),
                 QStringLiteral("-922337203685477,5808"));
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
        for (QDate day(1930, 1, 1); day.year() < 2030; day = day.addDays(97)) {
            QCOMPARE(kl::parseDate(dateText(day)), std::optional(day));
            QCOMPARE(kl::parseDate(dateTextShort(day)), std::optional(day));
        }
    }

    void parseDate_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("expected");

        QTest::newRow("d.M.yyyy.") << " 5.3.2026. " << QVariant(QDate(2026, 3, 5));
        QTest::newRow("yy 29") << "31.12.29" << QVariant(QDate(2029, 12, 31));
        QTest::newRow("yy 30") << "1.1.30" << QVariant(QDate(1930, 1, 1));
        QTest::newRow("iso") << "2026-03-05" << QVariant(QDate(2026, 3, 5));
        QTest::newRow("empty") << "" << refused;
        QTest::newRow("31.02") << "31.02.2026" << refused;
        QTest::newRow("three-digit year") << "5.3.202" << refused;
        QTest::newRow("slashes d/M/yyyy") << "5/3/2026" << refused;
        QTest::newRow("mixed separators") << "2026-03/05" << refused;
        QTest::newRow("letters") << "5.3.2026x" << refused;
        QTest::newRow("literal") << "#2026/03/05#" << refused;
    }

    void parseDate() {
        QFETCH(QString, text);
        QFETCH(QVariant, expected);
        const auto date = kl::parseDate(text);
        QCOMPARE(date.has_value(), expected.isValid());
        if (date) QCOMPARE(*date, expected.toDate());
    }

    void otherText() {
        QCOMPARE(kl::leadingZero(QString()), QString());
        QCOMPARE(kl::leadingZero(QStringLiteral("a,5")), QStringLiteral("a,5"));
        QCOMPARE(padRight(QStringLiteral("abc"), 5), QStringLiteral("abc  "));
        QCOMPARE(padRight(QStringLiteral("abcdef"), 3), QStringLiteral("abc"));
        QCOMPARE(padLeft(QStringLiteral("abc"), 5), QStringLiteral("  abc"));
        QCOMPARE(padLeft(QStringLiteral("abcdef"), 3), QStringLiteral("abcdef"));
    }
};

QTEST_MAIN(TestConvert)
#include "tst_convert.moc"
