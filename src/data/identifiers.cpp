#include "data/identifiers.h"

namespace kl {

namespace {

bool allDigits(const QString& s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

bool isAsciiLetter(QChar c) {
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
}

}  // namespace

QString compactIban(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!c.isSpace()) out.append(c.toUpper());
    return out;
}

bool looksLikeIban(const QString& text) {
    const QString s = compactIban(text);
    return s.size() >= 4 && isAsciiLetter(s[0]) && isAsciiLetter(s[1]) && s[2].isDigit() &&
           s[3].isDigit();
}

bool isValidIban(const QString& text) {
    const QString s = compactIban(text);
    if (s.size() < 15 || s.size() > 34 || !looksLikeIban(s)) return false;
    if (s.startsWith(QLatin1String("HR")) && (s.size() != 21 || !allDigits(s.mid(2)))) return false;
    // Country and control digits move to the end; letters count as 10..35; mod 97 digit by
    // digit so no number grows past a few digits.
    const QString moved = s.mid(4) + s.left(4);
    int rest = 0;
    for (QChar c : moved) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            rest = (rest * 10 + (c.unicode() - '0')) % 97;
        } else if (isAsciiLetter(c)) {
            const int v = c.unicode() - 'A' + 10;
            rest = (rest * 100 + v) % 97;
        } else {
            return false;
        }
    }
    return rest == 1;
}

int oibControlDigit(const QString& tenDigits) {
    if (tenDigits.size() != 10 || !allDigits(tenDigits)) return -1;
    int a = 10;
    for (QChar c : tenDigits) {
        a = (a + (c.unicode() - '0')) % 10;
        if (a == 0) a = 10;
        a = (a * 2) % 11;
    }
    const int control = 11 - a;
    return control == 10 ? 0 : control;
}

bool isValidOib(const QString& text) {
    if (text.size() != 11 || !allDigits(text)) return false;
    return oibControlDigit(text.left(10)) == text[10].unicode() - '0';
}

}  // namespace kl
