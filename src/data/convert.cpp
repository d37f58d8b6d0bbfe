#include "data/convert.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace kl {

namespace {

// A finite decimal number: value = 0.d1 d2 d3 ... * 10^point, i.e. the first `point` digits are
// the integer part. `digits` has no leading or trailing zeros and is empty for zero.
struct Decimal {
    bool negative = false;
    std::string digits;
    int point = 0;
};

void trimZeros(Decimal& d) {
    const auto first = d.digits.find_first_not_of('0');
    if (first == std::string::npos) {
        d.digits.clear();
        d.point = 0;
        return;
    }
    d.digits.erase(0, first);
    d.point -= int(first);
    d.digits.erase(d.digits.find_last_not_of('0') + 1);
}

// The value with `significant` significant digits (correctly rounded from its binary value).
// Non-finite values are taken as zero: they never come from a typed or stored figure.
Decimal toDecimal(double value, int significant) {
    Decimal d;
    if (!std::isfinite(value) || value == 0) return d;
    d.negative = std::signbit(value);
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                   std::chars_format::scientific, significant - 1);
    const std::string s(buf, res.ptr);  // "d.ddddde+XX"
    const auto e = s.find('e');
    for (std::size_t i = 0; i < e; ++i) {
        if (s[i] != '.') d.digits += s[i];
    }
    d.point = std::stoi(s.substr(e + 1)) + 1;
    trimZeros(d);
    return d;
}

Decimal currencyDecimal(std::int64_t units) {
    Decimal d;
    d.negative = units < 0;
    // Unsigned magnitude so that the smallest int64 has one too.
    const std::uint64_t magnitude = d.negative ? 0 - std::uint64_t(units) : std::uint64_t(units);
    d.digits = std::to_string(magnitude);
    d.point = int(d.digits.size()) - 4;
    trimZeros(d);
    return d;
}

enum class Rounding { HalfAwayFromZero, HalfToEven };

// The magnitude of `d` rounded to `decimals` decimal places, as a count of 10^-decimals written
// in decimal digits without leading zeros ("" for zero).
std::string roundedUnits(const Decimal& d, int decimals, Rounding mode) {
    const int keep = d.point + decimals;  // digits at or above the last kept place
    const int size = int(d.digits.size());
    if (keep >= size)
        return d.digits.empty() ? std::string() : d.digits + std::string(keep - size, '0');
    if (keep < 0) return {};  // below half of the last place

    std::string units = d.digits.substr(0, keep);
    const char next = d.digits[keep];
    const bool exactHalf = next == '5' && keep + 1 == size;  // digits carry no trailing zeros
    bool up;
    if (mode == Rounding::HalfAwayFromZero) {
        up = next >= '5';
    } else {
        const bool lastOdd = !units.empty() && (units.back() - '0') % 2 == 1;
        up = next > '5' || (next == '5' && (!exactHalf || lastOdd));
    }
    if (up) {
        int i = int(units.size()) - 1;
        while (i >= 0 && units[i] == '9')
            units[i--] = '0';
        if (i < 0) {
            units.insert(units.begin(), '1');
        } else {
            ++units[i];
        }
    }
    const auto first = units.find_first_not_of('0');
    return first == std::string::npos ? std::string() : units.substr(first);
}

// Fixed-point text of a count of 10^-decimals with at least `minInteger` integer digits.
QString fixedText(bool negative, std::string units, int decimals, int minInteger) {
    if (units.empty()) negative = false;  // no "-0,00"
    const int minSize = decimals + minInteger;
    if (int(units.size()) < minSize) units.insert(0, std::size_t(minSize - int(units.size())), '0');
    const std::size_t integerDigits = units.size() - std::size_t(decimals);
    std::string out = negative ? "-" : "";
    out += units.substr(0, integerDigits);
    if (decimals > 0) out += ',' + units.substr(integerDigits);
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

Decimal decimalOf(double value, Precision precision) {
    switch (precision) {
        case Precision::Single:
            return toDecimal(toSingle(value), 7);
        case Precision::Currency:
            return currencyDecimal(Currency::fromDouble(value).units);
        case Precision::Double:
            break;
    }
    return toDecimal(value, 15);
}

// Shortest text of `d` (at most `significant` digits already): fixed form while the decimal
// exponent is between -5 and significant, otherwise "d,dddE+XX".
QString generalText(const Decimal& d, int significant) {
    if (d.digits.empty()) return QStringLiteral("0");
    std::string out = d.negative ? "-" : "";
    const int exponent = d.point - 1;
    const int size = int(d.digits.size());
    if (exponent >= significant || exponent < -4) {
        out += d.digits[0];
        if (size > 1) out += ',' + d.digits.substr(1);
        out += exponent < 0 ? "E-" : "E+";
        const std::string e = std::to_string(std::abs(exponent));
        if (e.size() < 2) out += '0';
        out += e;
    } else if (d.point <= 0) {
        out += "0," + std::string(-d.point, '0') + d.digits;
    } else if (d.point >= size) {
        out += d.digits + std::string(d.point - size, '0');
    } else {
        out += d.digits.substr(0, d.point) + ',' + d.digits.substr(d.point);
    }
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

double toDouble(bool negative, const std::string& units, int decimals) {
    if (units.empty()) return 0.0;
    const std::string s = (negative ? "-" : "") + units + "e" + std::to_string(-decimals);
    double v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// ---- The same roundings on integers -----------------------------------------------------------
// The roundings of the stock rules and of money run once or more for every line of a book. Done
// on the digit text above they cost a few hundred nanoseconds each; the functions below give the
// identical results from the value's binary digits with 128-bit integers, and leave the rare
// value beyond their reach (far below 10^-20 or above 10^20) to the text.

using U128 = unsigned __int128;

constexpr auto kPow10Wide = [] {
    std::array<U128, 39> table{};
    table[0] = 1;
    for (size_t i = 1; i < table.size(); ++i)
        table[i] = table[i - 1] * 10;
    return table;
}();

// 10^n for 0 <= n <= 38.
U128 pow10(int n) {
    return kPow10Wide[size_t(n)];
}

int bitLength(U128 v) {
    const auto high = std::uint64_t(v >> 64), low = std::uint64_t(v);
    if (high) return 128 - std::countl_zero(high);
    return low ? 64 - std::countl_zero(low) : 0;
}

constexpr std::uint64_t kPow10[20] = {1ull,
                                      10ull,
                                      100ull,
                                      1000ull,
                                      10000ull,
                                      100000ull,
                                      1000000ull,
                                      10000000ull,
                                      100000000ull,
                                      1000000000ull,
                                      10000000000ull,
                                      100000000000ull,
                                      1000000000000ull,
                                      10000000000000ull,
                                      100000000000000ull,
                                      1000000000000000ull,
                                      10000000000000000ull,
                                      100000000000000000ull,
                                      1000000000000000000ull,
                                      10000000000000000000ull};

// The finite, non-zero magnitude of `value` with `significant` (at most 18) significant digits,
// rounded half to even from its exact binary value as std::to_chars (and so toDecimal) rounds it:
// digits * 10^exponent with 10^(significant-1) <= digits < 10^significant. False when the value
// is beyond 126-bit integers.
bool significantDigits(double value, int significant, std::uint64_t& digits, int& exponent) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value) & ~(std::uint64_t(1) << 63);
    const int biased = int(bits >> 52);
    std::uint64_t mantissa = bits & ((std::uint64_t(1) << 52) - 1);
    int power = biased == 0 ? -1074 : biased - 1075;  // value = mantissa * 2^power
    if (biased != 0) mantissa |= std::uint64_t(1) << 52;
    if (mantissa == 0) return false;
    const int zeros = std::countr_zero(mantissa);
    mantissa >>= zeros;
    power += zeros;
    const std::uint64_t low = kPow10[significant - 1], high = kPow10[significant];
    // value lies in [2^e2, 2^(e2+1)); floor(e2 * log10(2)) is its decimal exponent or one less
    // (the approximation of log10(2) may miss by one more, which the loop puts right).
    const int e2 = 63 - std::countl_zero(mantissa) + power;
    int p = ((e2 * 315653) >> 20) - (significant - 1);
    const int up = std::max(power, 0), down = std::max(-power, 0);
    for (int attempt = 0; attempt < 4; ++attempt) {
        // quotient = mantissa * 2^power / 10^p, as num / den; den a power of two when p <= 0.
        U128 q, r, den;
        if (p <= 0 && -p < 20 && up == 0 && down < 64 &&
            mantissa <= ~std::uint64_t(0) / kPow10[-p]) {
            // The same in 64 bits (a single's or a small double's digits, the common case).
            const std::uint64_t num = mantissa * kPow10[-p], mask = (std::uint64_t(1) << down) - 1;
            const std::uint64_t q64 = num >> down, r64 = num & mask;
            if (q64 >= high) {
                ++p;
                continue;
            }
            if (q64 < low) {
                --p;
                continue;
            }
            // 2r against the divisor 2^down without overflow: r against 2^down - r.
            const std::uint64_t rest = mask - r64 + 1;
            std::uint64_t digits64 = q64;
            if (r64 > rest || (r64 == rest && (q64 & 1))) ++digits64;
            if (digits64 == high) {
                digits64 = low;
                ++p;
            }
            digits = digits64;
            exponent = p;
            return true;
        }
        if (p <= 0) {
            if (-p > 38 || down > 125 || bitLength(mantissa) + bitLength(pow10(-p)) + up > 126)
                return false;
            const U128 num = (U128(mantissa) * pow10(-p)) << up;
            den = U128(1) << down;
            q = num >> down;
            r = num & (den - 1);
        } else {
            if (p > 38 || bitLength(pow10(p)) + down > 126 || bitLength(mantissa) + up > 126)
                return false;
            const U128 num = U128(mantissa) << up;
            den = pow10(p) << down;
            if ((num >> 64) == 0 && (den >> 64) == 0) {
                q = std::uint64_t(num) / std::uint64_t(den);
                r = std::uint64_t(num) % std::uint64_t(den);
            } else {
                q = num / den;
                r = num % den;
            }
        }
        if (q >= high) {
            ++p;
            continue;
        }
        if (q < low) {
            --p;
            continue;
        }
        if (2 * r > den || (2 * r == den && (q & 1))) ++q;
        if (q == high) {
            q = low;
            ++p;
        }
        digits = std::uint64_t(q);
        exponent = p;
        return true;
    }
    return false;
}

// The seven digits of a single's magnitude `a` from 1 to below 10^7 as significantDigits rounds
// them, the value t / 10^j with 10^6 <= t <= 10^7, without a loop or a division: the decade of
// each binary exponent from a table, the product with 10^j exact (the single's 24 bits and the 14
// of 5^6), rounded half to even by the double's own rounding.
struct SingleDigits {
    std::uint32_t t;
    int j;
};

bool inQuickReach(double a) {
    return a >= 1.0 && a < 1e7;
}

SingleDigits quickSingleDigits(double a) {
    // For the binary exponents 0 ... 23: the decade of 2^e, and the power of ten that may follow
    // within the same binary exponent.
    static constexpr signed char kDecade[24] = {0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3,
                                                3, 3, 4, 4, 4, 5, 5, 5, 6, 6, 6, 6};
    static constexpr double kNext[24] = {10,  10,  10,  10,  1e2, 1e2, 1e2, 1e3,
                                         1e3, 1e3, 1e4, 1e4, 1e4, 1e4, 1e5, 1e5,
                                         1e5, 1e6, 1e6, 1e6, 1e7, 1e7, 1e7, 1e7};
    static constexpr double kScale[7] = {1e6, 1e5, 1e4, 1e3, 1e2, 1e1, 1e0};
    const int e2 = int(std::bit_cast<std::uint64_t>(a) >> 52) - 1023;
    const int k = kDecade[e2] + (a >= kNext[e2] ? 1 : 0);
    return {std::uint32_t(nearestInteger(a * kScale[k])), 6 - k};
}

// t / 10^j rounded half away from zero (or, with `even`, half to even) to `decimals` places, as
// the count of 10^-decimals.
std::uint64_t quickCount(SingleDigits d, int decimals, bool even) {
    if (d.j <= decimals) return std::uint64_t(d.t) * kPow10[decimals - d.j];
    const auto divisor = std::uint32_t(kPow10[d.j - decimals]);
    const std::uint32_t q = d.t / divisor, r = d.t % divisor, half = divisor / 2;
    return q + (r > half || (r == half && (!even || (q & 1))) ? 1 : 0);
}

// digits * 10^exponent rounded to `decimals` places, as the count of 10^-decimals (roundedUnits
// of the same decimal). False when the count reaches 2^62.
bool roundedCount(std::uint64_t digits, int exponent, int decimals, Rounding mode,
                  std::uint64_t& count) {
    const int shift = exponent + decimals;
    if (shift >= 0) {
        if (shift > 19) return false;
        const U128 c = U128(digits) * kPow10[shift];
        if (c >= (U128(1) << 62)) return false;
        count = std::uint64_t(c);
        return true;
    }
    if (-shift > 19) {  // digits < 10^18: below half of the last place
        count = 0;
        return true;
    }
    const std::uint64_t d = kPow10[-shift];
    const std::uint64_t q = digits / d, r = digits % d;
    // 2r against d without overflow: r against d - r.
    const bool up =
        mode == Rounding::HalfAwayFromZero ? r >= d - r : r > d - r || (r == d - r && (q & 1));
    count = q + (up ? 1 : 0);
    return true;
}

// roundHalfAway and round2Single on integers: `value` taken with `significant` digits, rounded
// half away from zero to `decimals` places and read back as a double. False when out of reach.
bool roundedFast(double value, int significant, int decimals, double& result) {
    if (!std::isfinite(value) || value == 0) {
        result = 0.0;
        return true;
    }
    std::uint64_t digits = 0, count = 0;
    int exponent = 0;
    if (decimals < 0 || decimals > 8 || !significantDigits(value, significant, digits, exponent) ||
        !roundedCount(digits, exponent, decimals, Rounding::HalfAwayFromZero, count) ||
        count > (std::uint64_t(1) << 53))
        return false;
    // Both exact: the quotient is the correctly rounded double, as from_chars reads the digits.
    const double magnitude = double(count) / double(std::uint64_t(pow10(decimals)));
    result = count == 0 ? 0.0 : std::signbit(value) ? -magnitude : magnitude;
    return true;
}

}  // namespace

// ---- Number to text -------------------------------------------------------------------------

namespace {

// The "0.00" text of a count of hundredths, written backwards so that it ends at `end`; returns
// its first character. No "-0,00".
char* hundredthsText(char* end, std::uint64_t hundredths, bool negative) {
    char* p = end;
    std::uint64_t rest = hundredths;
    *--p = char('0' + rest % 10);
    rest /= 10;
    *--p = char('0' + rest % 10);
    rest /= 10;
    *--p = ',';
    do {
        *--p = char('0' + rest % 10);
        rest /= 10;
    } while (rest > 0);
    if (negative && hundredths > 0) *--p = '-';
    return p;
}

// The "0.00" text of `value` ending at `end` (24 characters are room enough), or nullptr when the
// digit text has to make it.
char* format00Fast(char* end, double value, Precision precision) {
    if (precision == Precision::Currency) {
        const Currency c = Currency::fromDouble(value);
        // Below 10^15 units a value's double has its four decimals within 15 digits, so
        // Currency::fromDouble gives the same units back and the two ways agree.
        constexpr std::int64_t kExact = 1'000'000'000'000'000;
        if (c.units <= -kExact || c.units >= kExact) return nullptr;
        const std::uint64_t magnitude =
            c.units < 0 ? std::uint64_t(-c.units) : std::uint64_t(c.units);
        return hundredthsText(end, (magnitude + 50) / 100, c.units < 0);  // half away from zero
    }
    const double v = precision == Precision::Single ? double(toSingle(value)) : value;
    if (!std::isfinite(v) || v == 0) return hundredthsText(end, 0, false);
    std::uint64_t digits = 0, count = 0;
    int exponent = 0;
    if (!significantDigits(v, precision == Precision::Single ? 7 : 15, digits, exponent) ||
        !roundedCount(digits, exponent, 2, Rounding::HalfAwayFromZero, count))
        return nullptr;
    return hundredthsText(end, count, std::signbit(v));
}

}  // namespace

QString format00(double value, Precision precision) {
    char buf[24];
    if (const char* p = format00Fast(buf + sizeof buf, value, precision))
        return QString::fromLatin1(p, buf + sizeof buf - p);
    const Decimal d = decimalOf(value, precision);
    return fixedText(d.negative, roundedUnits(d, 2, Rounding::HalfAwayFromZero), 2, 1);
}

void appendFormat00(QString& out, double value, Precision precision, int width) {
    char buf[24];
    const char* p = format00Fast(buf + sizeof buf, value, precision);
    if (!p) {
        const QString text = format00(value, precision);
        for (qsizetype i = text.size(); i < width; ++i)
            out += u' ';
        out += text;
        return;
    }
    for (qsizetype i = buf + sizeof buf - p; i < width; ++i)
        out += u' ';
    out += QLatin1StringView(p, buf + sizeof buf - p);
}

QString format00(Currency value) {
    constexpr std::int64_t kExact = 1'000'000'000'000'000;
    if (value.units <= -kExact || value.units >= kExact)
        return format00(value.toDouble(), Precision::Currency);
    const std::uint64_t magnitude =
        value.units < 0 ? std::uint64_t(-value.units) : std::uint64_t(value.units);
    char buf[24];
    const char* p = hundredthsText(buf + sizeof buf, (magnitude + 50) / 100, value.units < 0);
    return QString::fromLatin1(p, buf + sizeof buf - p);
}

void appendFormat00(QString& out, Currency value, int width) {
    constexpr std::int64_t kExact = 1'000'000'000'000'000;
    if (value.units <= -kExact || value.units >= kExact) {
        appendFormat00(out, value.toDouble(), Precision::Currency, width);
        return;
    }
    const std::uint64_t magnitude =
        value.units < 0 ? std::uint64_t(-value.units) : std::uint64_t(value.units);
    char buf[24];
    const char* p = hundredthsText(buf + sizeof buf, (magnitude + 50) / 100, value.units < 0);
    for (qsizetype i = buf + sizeof buf - p; i < width; ++i)
        out += u' ';
    out += QLatin1StringView(p, buf + sizeof buf - p);
}

namespace textual {

QString format00(double value, Precision precision) {
    const Decimal d = decimalOf(value, precision);
    return fixedText(d.negative, roundedUnits(d, 2, Rounding::HalfAwayFromZero), 2, 1);
}

}  // namespace textual

QString formatHash00(double value, Precision precision) {
    const Decimal d = decimalOf(value, precision);
    return fixedText(d.negative, roundedUnits(d, 2, Rounding::HalfAwayFromZero), 2, 0);
}

QString formatEntry(double value, Precision precision) {
    return leadingZero(formatHash00(value, precision));
}

QString leadingZero(const QString& text) {
    if (text.startsWith(QLatin1Char(','))) return QLatin1Char('0') + text;
    if (text.startsWith(QLatin1String("-,")) || text.startsWith(QLatin1String("+,"))) {
        return text.left(1) + QLatin1Char('0') + text.mid(1);
    }
    return text;
}

QString singleText(float value) {
    return generalText(toDecimal(value, 7), 7);
}

QString doubleText(double value) {
    return generalText(toDecimal(value, 15), 15);
}

QString currencyText(double value) {
    return Currency::fromDouble(value).text();
}

// ---- Text to number -------------------------------------------------------------------------

std::optional<double> parseNumber(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = t.size();
    std::string ascii;
    if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) {
        if (t[i] == QLatin1Char('-')) ascii += '-';
        ++i;
    }
    int mantissaDigits = 0;
    int integerDigits = 0;
    bool separator = false;
    for (; i < n; ++i) {
        const QChar c = t[i];
        if (isAsciiDigit(c)) {
            ascii += char(c.unicode());
            ++mantissaDigits;
            if (!separator) ++integerDigits;
        } else if ((c == QLatin1Char(',') || c == QLatin1Char('.')) && !separator) {
            ascii += '.';
            separator = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) return std::nullopt;
    int exponent = 0;
    if (i < n && (t[i] == QLatin1Char('E') || t[i] == QLatin1Char('e'))) {
        ascii += 'e';
        ++i;
        if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) {
            if (t[i] == QLatin1Char('-')) ascii += '-';
            ++i;
        }
        int exponentDigits = 0;
        for (; i < n && isAsciiDigit(t[i]); ++i) {
            ascii += char(t[i].unicode());
            if (exponent < 100000) exponent = exponent * 10 + t[i].digitValue();
            ++exponentDigits;
        }
        if (exponentDigits == 0) return std::nullopt;
        if (ascii.find("e-") != std::string::npos) exponent = -exponent;
    }
    if (i != n) return std::nullopt;

    double value = 0;
    const auto res = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        // Too large is unreadable; too small is zero.
        if (integerDigits + exponent > 0) return std::nullopt;
        return ascii[0] == '-' ? -0.0 : 0.0;
    }
    if (res.ec != std::errc() || res.ptr != ascii.data() + ascii.size()) return std::nullopt;
    return value;
}

double numberOrZero(const QString& text) {
    return parseNumber(text).value_or(0.0);
}

// ---- Rounding -------------------------------------------------------------------------------

float toSingle(double value) {
    constexpr double max = std::numeric_limits<float>::max();
    if (value > max) return std::numeric_limits<float>::infinity();
    if (value < -max) return -std::numeric_limits<float>::infinity();
    return float(value);
}

float round2Single(double value, Precision precision) {
    if (precision == Precision::Single) {
        // The stock figures are nearly all within the quick way's reach.
        const float f = toSingle(value);
        // Below 100 000 its seven digits lie within 0,05 of a hundredth of the single (0,5 from
        // 10 000, where they are its nearest hundredths; 0,005 below 1 000): at least 0,45 of a
        // hundredth from a half (0,49 below 1 000), they round to the single's nearest hundredths.
        const double hundredths = double(f) * 100, nearest = nearestInteger(hundredths);
        const double size = std::fabs(hundredths), off = std::fabs(hundredths - nearest);
        if (size < 1e7 && (off < 0.45 || (size < 1e5 && off < 0.49)))
            return nearest == 0 ? 0.0f : float(nearest / 100);  // no -0
        if (inQuickReach(std::fabs(double(f)))) {
            const double m =
                double(quickCount(quickSingleDigits(std::fabs(double(f))), 2, false)) / 100.0;
            return float(std::signbit(f) ? -m : m);
        }
    }
    double fast = 0;
    if (precision == Precision::Single && roundedFast(toSingle(value), 7, 2, fast))
        return toSingle(fast);
    if (precision == Precision::Double && roundedFast(value, 15, 2, fast)) return toSingle(fast);
    return textual::round2Single(value, precision);
}

double roundHalfAway(double value, int decimals) {
    if (!std::isfinite(value)) return value;
    double fast = 0;
    if (roundedFast(value, 15, decimals, fast)) return fast;
    return textual::roundHalfAway(value, decimals);
}

double roundedAmount(double kolicina, double cijena) {
    const double q = nearestInteger(kolicina * 100), p = nearestInteger(cijena * 10000);
    // Each the double nearest its count: their product lies within three of its last bits of
    // the product of the counts, far nearer to it than to any other text of 15 digits when that
    // product has at most 15; which is then rounded as roundHalfAway rounds that text.
    if (std::fabs(q) < 1e7 && std::fabs(p) < 1e11 && q / 100 == kolicina && p / 10000 == cijena) {
        const std::int64_t n = std::int64_t(q) * std::int64_t(p);  // in millionths
        const std::uint64_t m = n < 0 ? 0 - std::uint64_t(n) : std::uint64_t(n);
        if (m < kPow10[15]) {
            const double h = double((m + 5000) / 10000) / 100;
            return n < 0 && h != 0 ? -h : h;
        }
    }
    return roundHalfAway(kolicina * cijena, 2);
}

namespace textual {

float round2Single(double value, Precision precision) {
    const Decimal d = decimalOf(value, precision);
    return toSingle(toDouble(d.negative, roundedUnits(d, 2, Rounding::HalfAwayFromZero), 2));
}

double roundHalfAway(double value, int decimals) {
    if (!std::isfinite(value)) return value;
    const Decimal d = toDecimal(value, 15);
    return toDouble(d.negative, roundedUnits(d, decimals, Rounding::HalfAwayFromZero), decimals);
}

Currency currencyFromDouble(double value) {
    const Decimal d = toDecimal(value, 15);
    const std::string units = roundedUnits(d, 4, Rounding::HalfToEven);
    // Beyond the range of the count of 1/10000 the value is held at the nearest end.
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    constexpr auto min = std::numeric_limits<std::int64_t>::min();
    std::int64_t count = 0;
    if (units.empty()) return {0};
    const auto [end, ec] = std::from_chars(units.data(), units.data() + units.size(), count);
    if (ec != std::errc() || end != units.data() + units.size()) return {d.negative ? min : max};
    return {d.negative ? -count : count};
}

}  // namespace textual

bool integerPartTooLong(const QString& text) {
    const auto value = parseNumber(text);
    if (!value || std::fabs(*value) < 100000.0) return false;
    const QString t = text.trimmed();
    if (t.contains(QLatin1Char('e'), Qt::CaseInsensitive)) return true;
    // A long fraction rounds a five-digit integer part up to 100000 ("99999,99999999999999999"):
    // the digits typed before the separator decide.
    int digits = 0;
    for (QChar c : t) {
        if (c == QLatin1Char(',') || c == QLatin1Char('.')) break;
        if (isAsciiDigit(c) && (digits > 0 || c != QLatin1Char('0'))) ++digits;
    }
    return digits > 5;
}

// ---- Currency -------------------------------------------------------------------------------

double singleTextValue(float value) {
    const double v = value;
    if (inQuickReach(std::fabs(v))) {
        // Both exact: the quotient is the correctly rounded double, as from_chars reads the digits.
        const SingleDigits d = quickSingleDigits(std::fabs(v));
        const double m = double(d.t) / double(kPow10[d.j]);
        return std::signbit(v) ? -m : m;
    }
    if (!std::isfinite(v) || v == 0) return 0.0;
    std::uint64_t digits = 0;
    int exponent = 0;
    // digits * 10^exponent with both factors exact (digits < 10^7, 10^22 the last exact power):
    // one division or product, correctly rounded as from_chars reads the digits.
    if (significantDigits(v, 7, digits, exponent) && exponent >= -22 && exponent <= 22) {
        static constexpr double kExact[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        const double magnitude =
            exponent < 0 ? double(digits) / kExact[-exponent] : double(digits) * kExact[exponent];
        return std::signbit(v) ? -magnitude : magnitude;
    }
    return numberOrZero(singleText(value));
}

Currency Currency::ofSingleText(float value) {
    const double v = value;
    // The default text's value has at most 7 digits: a double holds it exactly to 15, so its
    // 15 digits are these 7 and the rounding to four decimals is theirs.
    if (inQuickReach(std::fabs(v))) {
        const auto count = std::int64_t(quickCount(quickSingleDigits(std::fabs(v)), 4, true));
        return {std::signbit(v) ? -count : count};
    }
    const double text = singleTextValue(value);
    return std::fabs(text) >= 9.2e14 ? Currency{0} : fromDouble(text);
}

Currency Currency::fromDouble(double value) {
    // Most figures are ten-thousandths already. When the nearest count r divided back gives the
    // value, the value is the double nearest r / 10^4, a decimal of at most 15 digits
    // (|r| < 10^15): its 15 digits are r's, and the rounding to four places keeps r.
    if (std::fabs(value) < 1e11) {
        const double r = nearestInteger(value * 10000);
        if (r / 10000 == value && r != 0) return {std::int64_t(r)};
    }
    if (!std::isfinite(value) || value == 0) return {0};
    std::uint64_t digits = 0, count = 0;
    int exponent = 0;
    if (significantDigits(value, 15, digits, exponent) &&
        roundedCount(digits, exponent, 4, Rounding::HalfToEven, count))
        return {std::signbit(value) ? -std::int64_t(count) : std::int64_t(count)};
    return textual::currencyFromDouble(value);
}

std::optional<Currency> Currency::fromText(const QString& text) {
    const auto value = parseNumber(text);
    if (!value || std::fabs(*value) >= 9.2e14) return std::nullopt;
    return fromDouble(*value);
}

QString Currency::text() const {
    const Decimal d = currencyDecimal(units);
    QString text = fixedText(d.negative, roundedUnits(d, 4, Rounding::HalfToEven), 4, 1);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char(','))) text.chop(1);
    return text;
}

Currency Currency::operator*(Currency o) const {
    // The exact product has eight decimals; 128 bits hold it for every pair of operands.
    const __int128 product = __int128(units) * o.units;
    const bool negative = product < 0;
    const unsigned __int128 magnitude = negative ? -(unsigned __int128)product : product;
    unsigned __int128 q = magnitude / 10000;
    const unsigned __int128 r = magnitude % 10000;
    if (r > 5000 || (r == 5000 && q % 2 == 1)) ++q;
    const __int128 result = negative ? -__int128(q) : __int128(q);
    return {std::int64_t(result)};
}

// ---- Dates ----------------------------------------------------------------------------------

QString dateText(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

QString dateTextShort(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yy")) : QString();
}

QString dateLiteral(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("#yyyy/MM/dd#")) : QString();
}

std::optional<QDate> parseDate(const QString& text) {
    static const QRegularExpression dotted(
        QStringLiteral("^([0-9]{1,2})\\.([0-9]{1,2})\\.([0-9]{4}|[0-9]{2})\\.?$"));
    static const QRegularExpression iso(
        QStringLiteral("^([0-9]{4})([-/])([0-9]{1,2})\\2([0-9]{1,2})$"));
    const QString t = text.trimmed();
    int year = 0, month = 0, day = 0;
    if (const auto m = dotted.match(t); m.hasMatch()) {
        day = m.captured(1).toInt();
        month = m.captured(2).toInt();
        year = m.captured(3).toInt();
        if (m.capturedLength(3) == 2) year += year >= 30 ? 1900 : 2000;
    } else if (const auto m = iso.match(t); m.hasMatch()) {
        year = m.captured(1).toInt();
        month = m.captured(3).toInt();
        day = m.captured(4).toInt();
    } else {
        return std::nullopt;
    }
    const QDate date(year, month, day);
    if (!date.isValid()) return std::nullopt;
    return date;
}

// ---- Fixed-width text -----------------------------------------------------------------------

QString padRight(const QString& text, int width) {
    return text.leftJustified(std::max(width, 0), QLatin1Char(' '), true);
}

QString padLeft(const QString& text, int width) {
    return text.rightJustified(std::max(width, 0), QLatin1Char(' '), false);
}

}  // namespace kl
