// Fuzz target of the text conversions: the input is a text as a clerk would type it into a
// number, amount or date field (or as it comes back from a stored figure). Every text-to-value
// conversion of convert.h reads it, and what convert.h promises must hold for what it returns:
//  - a number read is finite; its default text forms (doubleText, singleText, currencyText)
//    read back to the same text again, and to the value within the digits they keep;
//  - format00, formatHash00 and formatEntry give the "0.00" forms, formatEntry equal to format00;
//    round2Single and roundHalfAway(.., 2) are that text read back;
//  - a currency read is within its range, its text reads back to the same currency, and the
//    arithmetic of two of them (input "a\nb") is right to the last unit;
//  - a date read is valid and its text forms (also the "#yyyy/mm/dd#" literal through the
//    translator) read back to the same date;
//  - the fixed-width forms have their width.
// A violated promise stops the run with the input and what went wrong.

#include "data/convert.h"
#include "data/jetsql.h"

#include <QDate>
#include <QRegularExpression>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

QString input;  // the text under test, for the report

[[noreturn]] void fault(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "FAULT: %s\n  input: \"%s\"\n  %s\n", what, qPrintable(input),
                 qPrintable(detail));
    std::abort();
}

QString num(double v) {
    return QString::number(v, 'g', 17);
}

// A text the program wrote must read back; returns its value.
double readBack(const QString& text, const char* what) {
    const auto v = kl::parseNumber(text);
    if (!v) fault(what, QStringLiteral("\"%1\" is not read back").arg(text));
    return *v;
}

bool near(double a, double b, double absolute, double relative) {
    return std::fabs(a - b) <= absolute + relative * std::max(std::fabs(a), std::fabs(b));
}

void checkTwoDecimals(double value) {
    static const QRegularExpression form00(QStringLiteral("^-?[0-9]+,[0-9]{2}$"));
    using kl::Precision;
    for (const Precision p : {Precision::Single, Precision::Double, Precision::Currency}) {
        const QString f = kl::format00(value, p);
        const QString detail = QStringLiteral("value %1, precision %2, format00 \"%3\"")
                                   .arg(num(value))
                                   .arg(int(p))
                                   .arg(f);
        if (!form00.match(f).hasMatch() || f == QLatin1String("-0,00"))
            fault("format00 is not of the form 0,00", detail);
        if (kl::formatEntry(value, p) != f) fault("formatEntry differs from format00", detail);
        if (kl::leadingZero(kl::formatHash00(value, p)) != f)
            fault("formatHash00 differs from format00 by more than its leading zero", detail);
        const double back = readBack(f, "format00");
        const float r2 = kl::round2Single(value, p);
        if (r2 != kl::toSingle(back) && !(std::isnan(r2) && std::isnan(kl::toSingle(back))))
            fault("round2Single is not format00 read back",
                  detail + QStringLiteral(", round2Single %1").arg(num(r2)));
        // The figure formatted is the value, within the digits of its precision and the rounding
        // to two decimals (currency: rounded to four first).
        double reference = value;
        double relative = 1e-14;
        if (p == Precision::Single) {
            reference = kl::toSingle(value);
            relative = 1e-6;
        } else if (p == Precision::Currency) {
            reference = kl::Currency::fromDouble(value).toDouble();
        }
        if (std::isfinite(reference) && std::fabs(reference) < 9e14 &&
            !near(back, reference, 0.005 + 1e-9, relative))
            fault("format00 is not the value", detail);
    }
    const QString f = kl::format00(value);
    const double rounded = kl::roundHalfAway(value, 2);
    if (rounded != readBack(f, "format00"))
        fault("roundHalfAway(.., 2) is not format00 read back",
              QStringLiteral("value %1, format00 \"%2\", roundHalfAway %3")
                  .arg(num(value), f, num(rounded)));
}

void checkNumber(const QString& text) {
    const auto parsed = kl::parseNumber(text);
    const double orZero = kl::numberOrZero(text);
    if (!parsed) {
        if (orZero != 0) fault("numberOrZero of unreadable text is not 0", num(orZero));
        return;
    }
    const double v = *parsed;
    if (!std::isfinite(v)) fault("parseNumber gave a value that is not finite", num(v));
    if (orZero != v) fault("numberOrZero differs from parseNumber", num(orZero));

    const QString dt = kl::doubleText(v);
    const double dv = readBack(dt, "doubleText");
    if (kl::doubleText(dv) != dt)
        fault("doubleText does not read back to itself",
              QStringLiteral("value %1, text \"%2\", again \"%3\"")
                  .arg(num(v), dt, kl::doubleText(dv)));
    if (!near(dv, v, 0, 1e-14))
        fault("doubleText is not the value",
              QStringLiteral("value %1, text \"%2\"").arg(num(v), dt));

    // Seven digits name one single only while the spacing of singles is finer than the seventh
    // digit; near the top of the range ("1E+28") two neighbours share a text. The books hold
    // singles far below that (quantities up to 99 999).
    const float single = kl::toSingle(v);
    if (std::isfinite(single) && std::fabs(single) < 1e15f) {
        const QString st = kl::singleText(single);
        const double sv = readBack(st, "singleText");
        if (kl::singleText(kl::toSingle(sv)) != st)
            fault("singleText does not read back to itself",
                  QStringLiteral("value %1, text \"%2\", again \"%3\"")
                      .arg(num(single), st, kl::singleText(kl::toSingle(sv))));
        if (!near(sv, single, 0, 1e-6))
            fault("singleText is not the value",
                  QStringLiteral("value %1, text \"%2\"").arg(num(single), st));
    }

    checkTwoDecimals(v);

    // "Leading zeros and the sign do not count": more than five digits before the separator.
    static const QRegularExpression plain(
        QStringLiteral("^\\s*[+-]?0*([0-9]*)([.,]([0-9]*))?\\s*$"));
    if (const auto m = plain.match(text); m.hasMatch()) {
        const bool longer = m.capturedLength(1) > 5;
        if (kl::integerPartTooLong(text) != longer)
            fault("integerPartTooLong does not count the digits of the integer part",
                  QStringLiteral("value %1").arg(num(v)));
    }
}

void checkCurrency(const QString& text) {
    const auto c = kl::Currency::fromText(text);
    const auto v = kl::parseNumber(text);
    if (!c) {
        if (v && std::fabs(*v) < 9.2e14) fault("Currency::fromText refuses a number in range");
        return;
    }
    if (!v) fault("Currency::fromText reads a text parseNumber does not");
    const QString t = c->text();
    const QString detail =
        QStringLiteral("value %1, units %2, text \"%3\"").arg(num(*v)).arg(c->units).arg(t);
    if (kl::currencyText(*v) != t) fault("currencyText differs from Currency::text", detail);
    const auto back = kl::Currency::fromText(t);
    if (!back || *back != *c) fault("Currency::text does not read back to the same units", detail);
    if (!near(c->toDouble(), *v, 0.00005 + 1e-12, 1e-14))
        fault("currency is not the value", detail);
}

void checkCurrencyPair(const QString& a, const QString& b) {
    const auto x = kl::Currency::fromText(a);
    const auto y = kl::Currency::fromText(b);
    if (!x || !y) return;
    const QString detail = QStringLiteral("units %1 and %2").arg(x->units).arg(y->units);
    // Sums and products of the books' sizes (far from the end of the range).
    if (std::llabs(x->units) < (std::int64_t(1) << 61) &&
        std::llabs(y->units) < (std::int64_t(1) << 61)) {
        if ((*x + *y) - *y != *x) fault("currency sum and difference do not cancel", detail);
    }
    const double product = x->toDouble() * y->toDouble();
    if (std::fabs(product) < 1e14) {
        // The exact product rounded to four decimals half to even, from the units themselves.
        const __int128 exact = __int128(x->units) * y->units;  // eight decimals
        const __int128 q = exact / 10000;
        const __int128 r = exact % 10000;
        __int128 expected = q;
        const __int128 half = r < 0 ? -r : r;
        if (half > 5000 || (half == 5000 && q % 2 != 0)) expected += r < 0 ? -1 : 1;
        if ((*x * *y).units != std::int64_t(expected))
            fault("currency product is not rounded half to even",
                  detail + QStringLiteral(", product units %1").arg((*x * *y).units));
    }
}

void checkDate(const QString& text) {
    const auto d = kl::parseDate(text);
    if (!d) return;
    if (!d->isValid()) fault("parseDate gave an invalid date");
    const QString detail = d->toString(Qt::ISODate);
    const QString long_ = kl::dateText(*d);
    if (kl::parseDate(long_) != d)
        fault("dateText does not read back", detail + QStringLiteral(" as \"%1\"").arg(long_));
    if (d->year() >= 1930 && d->year() <= 2029) {
        const QString short_ = kl::dateTextShort(*d);
        if (kl::parseDate(short_) != d)
            fault("dateTextShort does not read back",
                  detail + QStringLiteral(" as \"%1\"").arg(short_));
    }
    // The date literal of a range condition reaches the engine as the same date.
    const QString sql = QStringLiteral("select id from pi where datumpi >= ") + kl::dateLiteral(*d);
    try {
        const auto t = kl::jet::translate(sql, nullptr);
        if (t.bindSlots.size() != 1 || t.bindSlots[0].literal.toDate() != *d)
            fault("date literal does not translate to its date", sql);
    } catch (const kl::jet::SqlError& e) {
        fault("date literal refused by the translator", sql + QStringLiteral(": ") + e.message());
    }
}

void checkPadding(const QString& text, int width) {
    const QString right = kl::padRight(text, width);
    const QString left = kl::padLeft(text, width);
    if (right.size() != width || !right.startsWith(text.left(width)))
        fault("padRight is not the text in its width", QString::number(width));
    if (left.size() != std::max<qsizetype>(width, text.size()) || !left.endsWith(text))
        fault("padLeft is not the text right-aligned in its width", QString::number(width));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    input = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkNumber(input);
    checkCurrency(input);
    checkDate(input);
    checkPadding(input, int(size % 41));
    if (const qsizetype nl = input.indexOf(QLatin1Char('\n')); nl >= 0) {
        const QString a = input.left(nl);
        const QString b = input.mid(nl + 1);
        checkNumber(a);
        checkNumber(b);
        checkCurrencyPair(a, b);
    }
    return 0;
}
