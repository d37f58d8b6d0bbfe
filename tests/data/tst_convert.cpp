// Numbers and dates to text and back: every form the windows, the books and the reports show.

#include <QTest>

#include <bit>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <random>

#include "data/convert.h"

using namespace kl;

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

QVariant orRefused(const auto& value) {
    return value ? QVariant::fromValue(*value) : QVariant();
}

// "0.00" must read the same in the entry fields.
QVariant fixed(double v, Precision p) {
    const QString text = format00(v, p), entry = formatEntry(v, p);
    return text == entry ? text : text + " / entry " + entry;
}

// Each conversion of a value `v`; a parser gives an invalid QVariant for a refused text.
#define FROM(expr) [](const QVariant& v) -> QVariant { return expr; }
const std::map<QString, std::function<QVariant(const QVariant&)>> kConversions = {
    {"0.00", FROM(fixed(v.toDouble(), D))},
    {"0.00 single", FROM(fixed(v.toDouble(), S))},
    {"0.00 currency", FROM(fixed(v.toDouble(), C))},
    {"#.00", FROM(formatHash00(v.toDouble()))},
    {"single", FROM(singleText(v.toFloat()))},
    {"double", FROM(doubleText(v.toDouble()))},
    {"currency", FROM(currencyText(v.toDouble()))},
    {"number", FROM(orRefused(parseNumber(v.toString())))},
    {"round 2", FROM(roundHalfAway(v.toDouble(), 2))},
    {"round 0", FROM(roundHalfAway(v.toDouble(), 0))},
    {"round -2", FROM(roundHalfAway(v.toDouble(), -2))},
    {"2 single", FROM(round2Single(v.toDouble(), S))},
    {"2 double", FROM(round2Single(v.toDouble(), D))},
    {"too long", FROM(integerPartTooLong(v.toString()))},
    {"date", FROM(orRefused(parseDate(v.toString())))},
    {"dd.MM.yyyy", FROM(dateText(v.toDate()))},
    {"dd.MM.yy", FROM(dateTextShort(v.toDate()))},
    {"#yyyy/MM/dd#", FROM(dateLiteral(v.toDate()))},
    {"pad", FROM(padRight(v.toString(), 5) + '|' + padLeft(v.toString(), 5) + '|' +
                 padRight(v.toString(), 3) + '|' + padLeft(v.toString(), 3))},
};
#undef FROM

// A result as text: figures bit for bit, "refused" for a parser's refusal.
QString describe(const QVariant& v) {
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
        return exact(v.toDouble());
    return v.isValid() ? v.toString() : QStringLiteral("refused");
}

void row(const char* conversion, const QVariantList& in, const QVariantList& out) {
    QTest::newRow(conversion) << QString(conversion).section(':', 0, 0) << in << out;
}

}  // namespace

class TestConvert : public QObject {
    Q_OBJECT

  private slots:
    void conversions_data() {
        QTest::addColumn<QString>("conversion");
        QTest::addColumn<QVariantList>("in");
        QTest::addColumn<QVariantList>("out");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const float f2675 = 2.675f, f1234567 = 1234567.89f;
        const QDate d(2026, 3, 5);

        // A single taken with all its binary digits (2,675f as a double) is below the half.
        row("0.00", {-0.0, -0.004, -0.005, 1.005, f2675, 99999.995, nan},
            {"0,00", "0,00", "-0,01", "1,01", "2,67", "100000,00", "0,00"});
        row("0.00 single", {f2675, f1234567}, {"2,68", "1234568,00"});
        // Four decimals first (half to even: 0,0050), then two.
        row("0.00 currency", {2.00015, 0.00495}, {"2,00", "0,01"});
        row("#.00", {0.0, -0.5}, {",00", "-,50"});
        row("single",
            {-0.0, 0.1, 1.0 / 3, 1234567.89, 9999999.0, 1e7, 12345678.0, 0.0001, 1.2345e-5},
            {"0", "0,1", "0,3333333", "1234568", "9999999", "1E+07", "1,234568E+07", "0,0001",
             "1,2345E-05"});
        row("double", {0.1 + 0.2, 999999999999999.0, 1e15, double(0.2f)},
            {"0,3", "999999999999999", "1E+15", "0,200000002980232"});
        row("currency", {2.00005, 2.00015, -2.00015, 99999999999.9999},
            {"2", "2,0002", "-2,0002", "99999999999,9999"});
        row("number", {"12.5", " 12,5 ", "-,5", "5,", "1,5e7", "1E-400"},
            {12.5, 12.5, -0.5, 5.0, 1.5e7, 0.0});
        row("number: refused", {"", "1,2,3", "12a", "+-5", "1E+", "1E+400", QString(QChar(0x0663))},
            QVariantList(7));
        row("round 2", {-1.005, 1234567.885, 99.995}, {-1.01, 1234567.89, 100.0});
        row("round 0", {-2.5}, {-3.0});
        row("round -2", {1250.0}, {1300.0});
        row("2 single", {f2675, -0.004, f1234567}, {2.68f, 0.f, 1234568.f});
        row("2 double", {f2675, 1234567.89}, {2.67f, 1234567.89f});
        row("too long",
            {"99999,999", "0099999", "100000", "-123456", "1E+06", "1234567a",
             "99999,999999999999999999", "-099999.99999999999999999", "100000,000000000000000001"},
            {false, false, true, true, true, false, false, false, true});
        row("date", {" 5.3.2026. ", "31.12.29", "1.1.30", "2026-03-05"},
            {d, QDate(2029, 12, 31), QDate(1930, 1, 1), d});
        row("date: refused",
            {"", "31.02.2026", "5.3.202", "5/3/2026", "2026-03/05", "5.3.2026x", "#2026/03/05#"},
            QVariantList(7));
        row("dd.MM.yyyy", {d, QDate()}, {"05.03.2026", ""});
        row("dd.MM.yy", {d}, {"05.03.26"});
        row("#yyyy/MM/dd#", {d}, {"#2026/03/05#"});
        // padRight and padLeft to 5, then to 3: only padRight cuts.
        row("pad", {"abc", "abcdef"}, {"abc  |  abc|abc|abc", "abcde|abcdef|abc|abcdef"});
    }

    void conversions() {
        QFETCH(QString, conversion);
        QFETCH(QVariantList, in);
        QFETCH(QVariantList, out);
        QCOMPARE(in.size(), out.size());
        QStringList got, want;
        for (int i = 0; i < in.size(); ++i) {
            got << describe(kConversions.at(conversion)(in[i]));
            want << describe(out.value(i));
            if (conversion == "number")
                COMPARE_EXACT(numberOrZero(in[i].toString()), out[i].toDouble());
        }
        QCOMPARE(got, want);
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
        for (int i = 0; i < 20000 && !QTest::currentTestFailed(); ++i) {
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
        for (QDate day(1930, 1, 1); day.year() < 2030; day = day.addDays(97)) {
            QCOMPARE(kl::parseDate(dateText(day)), std::optional(day));
            QCOMPARE(kl::parseDate(dateTextShort(day)), std::optional(day));
        }
    }

    // The roundings on integers give exactly what the digit text gives: at the ties of each
    // step (seven or fifteen digits, then the decimals), at carries, at the ends of their reach
    // and over 400 000 seeded values of every magnitude the books hold.
    void roundingsAsText() {
        std::vector<double> values = {0.0,
                                      -0.0,
                                      0.005,
                                      -0.005,
                                      0.015,
                                      2.675,
                                      1.005,
                                      0.125,
                                      0.375,
                                      double(2.675f),
                                      1234567.5,
                                      1234568.5,
                                      8388607.5,
                                      9999999.5,
                                      99999.995,
                                      999999.995,
                                      0.00005,
                                      0.00015,
                                      2.00025,
                                      123456789012345.5,
                                      999999999999999.5,
                                      0.0049999999999999,
                                      9.2e14,
                                      4.6e14,
                                      1e-20,
                                      1e-300,
                                      1e20,
                                      1e300,
                                      std::numeric_limits<double>::denorm_min(),
                                      std::numeric_limits<double>::max(),
                                      std::numeric_limits<double>::infinity(),
                                      std::numeric_limits<double>::quiet_NaN()};
        std::mt19937_64 random(20261207);
        for (int i = 0; i < 200000; ++i) {
            const int digits = int(random() % 9) + 1;    // a figure as typed: few digits ...
            const int decimals = int(random() % 7) - 1;  // ... at some place
            const double typed = double(random() % std::uint64_t(std::pow(10, digits))) /
                                 std::pow(10.0, decimals) * (random() % 2 ? 1 : -1);
            // ... and what sums, products and quotients of them make.
            const double made = typed * double(random() % 100000) / 997.0;
            values.push_back(i % 2 ? typed : made);
            values.push_back(std::bit_cast<double>(random()));
        }
        // Ten-thousandths up to the reach of the money's quick way and past it, and their
        // neighbours, which are none.
        for (const double count : {1.0, 5.0, 12345.0, 999999999999999.0, 1e15, 4503599627370497.0})
            for (const double sign : {1.0, -1.0}) {
                const double at = sign * count / 10000;
                values.insert(values.end(),
                              {at, std::nextafter(at, 0.0), std::nextafter(at, 2 * at)});
            }
        // Singles at the ends of the reach of their seven digits' own way and around each power
        // of ten, and ties of their eighth digit.
        for (int k = -8; k <= 8; ++k)
            for (const float tenth : {float(std::pow(10.0, k)), float(-std::pow(10.0, k))}) {
                float f = tenth;
                for (int i = 0; i < 3; ++i)
                    f = std::nextafter(f, 0.0f);
                for (int i = 0; i < 7; ++i, f = std::nextafter(f, 2 * tenth))
                    values.push_back(f);
            }
        for (const double tie : {1234567.5, 1234568.5, 8388607.5, 0.12345675, 9999999.5})
            values.push_back(double(float(tie)));
        // Singles around halves of a hundredth, and 0,05 and 0,01 of a hundredth from them.
        for (int i = 0; i < 2000; ++i) {
            const auto reach = std::uint64_t(i % 4 < 2 ? 100000 : 20000000);
            const double half = (double(random() % reach) + 0.5) / 100 * (i % 2 ? 1 : -1);
            for (const double at :
                 {half, half - 0.0005, half + 0.0005, half - 0.0001, half + 0.0001}) {
                float f = float(at);
                for (int k = 0; k < 3; ++k)
                    f = std::nextafter(f, 0.0f);
                for (int k = 0; k < 5; ++k, f = std::nextafter(f, float(2 * at)))
                    values.push_back(f);
            }
        }
        for (const double v : values) {
            const auto text = [&] { return QByteArray::number(v, 'g', 17); };
            QVERIFY2(round2Single(v) == textual::round2Single(v, S) &&
                         std::signbit(round2Single(v)) == std::signbit(textual::round2Single(v, S)),
                     text());
            QVERIFY2(exact(round2Single(v, D)) == exact(textual::round2Single(v, D)), text());
            if (std::isfinite(v))
                for (const int decimals : {0, 2, 4})
                    QVERIFY2(exact(roundHalfAway(v, decimals)) ==
                                 exact(textual::roundHalfAway(v, decimals)),
                             text());
            QVERIFY2(Currency::fromDouble(v) == textual::currencyFromDouble(v), text());
            for (const Precision p : {S, D, C}) {
                QString appended;
                appendFormat00(appended, v, p, 12);
                QVERIFY2(format00(v, p) == textual::format00(v, p) &&
                             appended == textual::format00(v, p).rightJustified(12),
                         text());
            }
            const float single = toSingle(v);
            QVERIFY2(exact(round2Single(single)) == exact(textual::round2Single(single, S)),
                     text());
            // What a stored single reads back as, without its text.
            QVERIFY2(exact(singleTextValue(single)) == exact(numberOrZero(singleText(single))),
                     text());
            // ... and what it stores as in a money column.
            const double stored = numberOrZero(singleText(single));
            QVERIFY2(Currency::ofSingleText(single) == (std::fabs(stored) >= 9.2e14
                                                            ? Currency{0}
                                                            : textual::currencyFromDouble(stored)),
                     text());
        }
    }

    // A line's amount from the counts of its quantity's hundredths and its price's
    // ten-thousandths is the rounding of their product: at ties, at the ends of the counts'
    // reach and of 15 digits, and for figures that are no such counts.
    void amountsFromCounts() {
        std::vector<std::pair<double, double>> pairs = {
            {0.0, 2.5},
            {-0.0, 2.5},
            {1.0, -0.0},
            {0.01, 0.0001},
            {-0.01, 0.5},
            {0.5, 0.0001},
            {1.05, 0.5},
            {-1.05, 0.5},
            {99999.99, 9999999.9999},
            {-99999.99, 9999999.9999},
            {100000.0, 1.0},
            {12.345, 1.0},
            {1.0, 0.00005},
            {3.0, 1.0 / 3},
            {1e300, 1e10},
            {std::numeric_limits<double>::quiet_NaN(), 1.0}};
        std::mt19937_64 random(20261208);
        for (int i = 0; i < 300000; ++i) {
            const double q = double(std::int64_t(random() % 20000000) - 10000000) / 100;
            const auto reach = std::uint64_t(std::pow(10.0, double(random() % 12)));
            const double p =
                double(std::int64_t(random() % (2 * reach + 1)) - std::int64_t(reach)) / 10000;
            pairs.push_back({q, p});
            // A tie of the third decimal: 0,5 x an odd count of hundredths.
            pairs.push_back({double(2 * (random() % 5000000) + 1) / 100, 0.5});
        }
        for (const auto& [q, p] : pairs) {
            if (!std::isfinite(q * p)) continue;
            QVERIFY2(exact(roundedAmount(q, p)) == exact(roundHalfAway(q * p, 2)),
                     qPrintable(QStringLiteral("%1 x %2").arg(q, 0, 'g', 17).arg(p, 0, 'g', 17)));
        }
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
        // The reports' format of a currency from its units agrees with the one through a double,
        // at the roundings and at the ends of the range.
        for (const qint64 u :
             {qint64(0), qint64(49), qint64(50), qint64(-50), qint64(-49), qint64(12345),
              qint64(-99995), qint64(999999999999949), qint64(999999999999950),
              qint64(-999999999999999), qint64(1000000000000000),
              std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::min()})
            QCOMPARE(format00(Currency{u}), format00(double(u) / 10000.0, Precision::Currency));
    }
};

QTEST_GUILESS_MAIN(TestConvert)
#include "tst_convert.moc"
