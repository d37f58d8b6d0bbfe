#pragma once
// The fixed-width layout every report text shares: line ends, rules, text and number columns.
//
// A report line ends with CR LF. A text column holds its value followed by blanks (a longer value
// is cut to the column), a number column blanks followed by the value (a longer value is kept
// whole and pushes the line). Figures are "0.00" with the decimal comma.

#include "data/convert.h"

#include <QString>

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

// The text cut to its first `n` characters when it is longer than `n`.
inline QString cut(const QString& text, int n) {
    return text.size() > n ? text.left(n) : text;
}

}  // namespace kl::report
