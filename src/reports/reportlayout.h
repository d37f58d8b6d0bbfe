#pragma once
// The fixed-width layout every report text shares: line ends, rules, text and number columns.
//
// A report line ends with CR LF. A text column holds its value followed by blanks (a longer value
// is cut to the column), a number column blanks followed by the value (a longer value is kept
// whole and pushes the line). Figures are "0.00" with the decimal comma.

#include "data/convert.h"

#include <QString>

#include <array>
#include <cmath>

namespace kl::report {

inline constexpr int kWidth = 83;  // the width of a report line (the journal's is 130)

inline const QString kCrLf = QStringLiteral("\r\n");

// `n` underscores, dashes or blanks.
inline QString underscores(int n = kWidth) {
    return QString(n, u'_');
}
inline QString dashes(int n = kWidth) {
    return QString(n, u'-');
}
inline QString blanks(int n) {
    return QString(n, u' ');
}

// A value left-aligned in `width` (cut to it) and right-aligned in `width` (kept whole).
inline QString left(const QString& text, int width) {
    return padRight(text, width);
}
inline QString right(const QString& text, int width) {
    return padLeft(text, width);
}

// A figure formatted "0.00", right-aligned in `width`.
inline QString figure(double value, Precision precision, int width) {
    return padLeft(format00(value, precision), width);
}

// Below this magnitude a figure's text fits a column of `width` (4 to 13): its integer digits,
// a sign and ",00".
inline double fitsBelow(int width) {
    static const auto limits = [] {
        std::array<double, 14> l{};
        for (int w = 4; w < 14; ++w)
            l[size_t(w)] = std::pow(10.0, w - 4) - 1;
        return l;
    }();
    return limits[size_t(width)];
}

// The width a figure takes in a column of `width`: the column's, unless its text is longer (kept
// whole). Only a figure near the column's limit is formatted to be measured.
inline int figureWidth(double value, Precision precision, int width) {
    if (std::fabs(value) < fitsBelow(width)) return width;
    QString text;
    appendFormat00(text, value, precision, 0);
    return std::max(width, int(text.size()));
}

// The text cut to its first `n` characters when it is longer than `n`.
inline QString cut(const QString& text, int n) {
    return text.size() > n ? text.left(n) : text;
}

}  // namespace kl::report
