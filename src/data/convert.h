#pragma once
// Number and date conversions used for every figure the program shows or stores.
//
// The clerk works with the decimal comma and no thousands separator. Stock quantities and most
// amounts are single-precision values; prices and stock values are currency (four decimals).
// No window formats a number or a date by hand: everything goes through this module, so that a
// figure typed, stored, shown and printed is always the same figure.

#include <QDate>
#include <QString>

#include <cmath>
#include <cstdint>
#include <optional>

namespace kl {

// The kind of stored value a number came from; it decides how many significant digits are
// meaningful before a value is rounded for display.
enum class Precision {
    Single,    // 32-bit float: 7 significant digits
    Double,    // 64-bit float: 15 significant digits
    Currency,  // fixed point, exactly four decimals
};

// ---- Number to text -------------------------------------------------------------------------

// Pattern "0.00": at least one integer digit, exactly two decimals rounded half away from zero,
// decimal comma, no grouping. 2.675 -> "2,68", 0.5 -> "0,50", -0.004 -> "0,00", -1.5 -> "-1,50".
// The value is first reduced to the significant digits of its precision, so that a single
// 2.675f (stored as 2.67499995...) formats as "2,68" as the clerk expects; a Currency value is
// first rounded to its four decimals. Infinities and NaN (never a typed or stored figure) are
// formatted as 0 by every function of this module.
QString format00(double value, Precision precision = Precision::Double);

// format00(value.toDouble(), Precision::Currency), written from the units without a double or
// a digit string: the text of the reports' long columns of money.
struct Currency;
QString format00(Currency value);

// format00 right-aligned in `width` (a longer text kept whole), appended to `out` without a
// string of its own: the figures of the long reports.
void appendFormat00(QString& out, double value, Precision precision, int width);
void appendFormat00(QString& out, Currency value, int width);

// Pattern "#.00": as "0.00" but without an integer digit when the integer part is zero:
// 0.5 -> ",50", 0 -> ",00", -0.25 -> "-,25", 12 -> "12,00".
QString formatHash00(double value, Precision precision = Precision::Double);

// The rule of every numeric entry field: format with "#.00" and put a "0" in front of a leading
// comma (",50" -> "0,50", "-,50" -> "-0,50"). The result always equals format00.
QString formatEntry(double value, Precision precision = Precision::Double);

// Puts "0" in front of a comma that begins the text, after a sign if there is one
// (",50" -> "0,50", "-,50" -> "-0,50"); other text unchanged.
QString leadingZero(const QString& text);

// Default text form of a single-precision value: at most 7 significant digits, decimal comma,
// no trailing zeros, no decimal comma for whole numbers: 12.5f -> "12,5", 37.f -> "37",
// 1234567.89f -> "1234568", 0.1f -> "0,1". Very large or small magnitudes use the exponent form
// "1E+07", "1,234568E+07", "1E-05" (the form the text-to-number conversion reads back).
QString singleText(float value);

// The same for a double: at most 15 significant digits.
QString doubleText(double value);

// Default text form of a currency value: up to four decimals, trailing zeros dropped:
// 12.5 -> "12,5", 3 -> "3", 0.0001 -> "0,0001". The value is first rounded as Currency::fromDouble.
QString currencyText(double value);

// ---- Text to number -------------------------------------------------------------------------

// Reads a number typed or stored with the decimal comma. Accepts surrounding blanks, a leading
// sign, digits with at most one comma (a point is accepted in its place), and an exponent
// ("1,5E+07"). Returns nothing for empty text, a lone comma, letters, or several separators,
// and for a value beyond the range of a double; a value too small for a double reads as 0.
std::optional<double> parseNumber(const QString& text);

// As parseNumber, but an empty or unreadable text gives 0 (how the entry windows compute an
// amount while a field is still being typed).
double numberOrZero(const QString& text);

// numberOrZero(singleText(value)) without the texts: the single's seven significant digits read
// back as the nearest double (what a figure stored as a single reads back as, for the stock
// replay's every line).
double singleTextValue(float value);

// ---- Rounding -------------------------------------------------------------------------------

// Nearest single-precision value; magnitudes beyond the largest single give an infinity.
float toSingle(double value);

// The nearest integer, ties to even, as std::nearbyint in the default rounding mode but without
// a call into the library below 2^51 (a zero may lose its sign): added to 1,5 x 2^52 the value
// keeps no fraction.
inline double nearestInteger(double value) {
    constexpr double shift = 6755399441055744.0;
    return std::fabs(value) < 2251799813685248.0 ? (value + shift) - shift
                                                 : std::nearbyint(value);
}

// The two-decimal rounding of the stock rules: the value formatted with exactly two decimals
// (half away from zero, as format00 with the same precision) and read back as a single-precision
// value. The values rounded are stock quantities and amounts, singles, so by default the value is
// taken with a single's seven significant digits: 2.675f -> 2.68f, 37.0 / 14 -> 2.64f.
float round2Single(double value, Precision precision = Precision::Single);

// Rounds to `decimals` decimal places, half away from zero, working on the decimal digits of the
// value (15 significant digits) so that 2.675 -> 2.68 and 1.005 -> 1.01.
double roundHalfAway(double value, int decimals);

// A line's amount: roundHalfAway(kolicina * cijena, 2) for a finite product. From integers when
// the quantity is a count of hundredths and the price of ten-thousandths, as nearly all are.
double roundedAmount(double kolicina, double cijena);

// The integer part of a typed number has more than five digits ("Možete upisati samo do
// 99 999!"): "123456" and "123456,5" are too large, "99999,99" is not. Leading zeros and the sign
// do not count; unreadable text is not too large.
bool integerPartTooLong(const QString& text);

// ---- Currency -------------------------------------------------------------------------------

// A fixed-point money value with four decimals, held as an integer count of 1/10000.
struct Currency {
    std::int64_t units = 0;  // value * 10000

    // Rounds to four decimals half to even, as the money conversion of the books always has,
    // working on the value's 15 significant digits (2.00005 -> 2.0000, 2.00015 -> 2.0002).
    // Values beyond the range (about 9.2E+14) are held at the nearest end.
    static Currency fromDouble(double value);
    // parseNumber then fromDouble; nothing for unreadable text or a value out of range.
    static std::optional<Currency> fromText(const QString& text);
    // A single stored into a money column: fromDouble of its default text's value
    // (singleTextValue), 0 beyond the range.
    static Currency ofSingleText(float value);
    double toDouble() const { return double(units) / 10000.0; }
    // currencyText of the value, written from the units themselves (exact beyond 15 digits).
    QString text() const;

    Currency operator+(Currency o) const { return {units + o.units}; }
    Currency operator-(Currency o) const { return {units - o.units}; }
    // Product rounded to four decimals (half to even).
    Currency operator*(Currency o) const;
    bool operator==(const Currency&) const = default;
    auto operator<=>(const Currency&) const = default;
};

// ---- Dates ----------------------------------------------------------------------------------

// "dd.MM.yyyy": the short date form fixed at start-up, used in fields and statements. These three
// give empty text for a null or invalid date.
QString dateText(const QDate& date);

// "dd.mm.yy": the short form of the document summaries.
QString dateTextShort(const QDate& date);

// "#yyyy/mm/dd#": a date literal for date-range conditions.
QString dateLiteral(const QDate& date);

// Reads "d.M.yyyy" (with or without a trailing dot), "d.M.yy" (two-digit years 30..99 are 19xx,
// 00..29 are 20xx), ISO "yyyy-MM-dd" and "yyyy/MM/dd". Returns nothing for anything else or an
// impossible date (31.02.2026).
std::optional<QDate> parseDate(const QString& text);

// The roundings above done on the value's decimal digit text, the plain way: the functions above
// give the same results from integers and fall back on these beyond their reach; kept apart so
// that the tests can compare the two.
namespace textual {
QString format00(double value, Precision precision);
float round2Single(double value, Precision precision);
double roundHalfAway(double value, int decimals);
Currency currencyFromDouble(double value);
}  // namespace textual

// ---- Fixed-width text -----------------------------------------------------------------------

// Left-aligned in `width` characters: the text followed by blanks; longer text is cut to width.
QString padRight(const QString& text, int width);

// Right-aligned in `width` characters: blanks followed by the text; longer text is kept whole
// (as the "@@@@" right-alignment format does).
QString padLeft(const QString& text, int width);

}  // namespace kl
