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

QString accountProblem(const QString& account) {
    if (!looksLikeIban(account) || isValidIban(account)) return {};
    const QString s = compactIban(account);
    if (s.startsWith(QLatin1String("HR")) && (s.size() != 21 || !allDigits(s.mid(2))))
        return QStringLiteral(
                   "IBAN %1 nije ispravan: hrvatski IBAN ima 21 znak (HR i 19 "
                   "znamenki), a ovaj ima %2 znakova.")
            .arg(account.trimmed())
            .arg(s.size());
    return QStringLiteral(
               "IBAN %1 nije ispravan: kontrolni broj ne odgovara (provjerite je li "
               "broj točno prepisan).")
        .arg(account.trimmed());
}

QString oibProblem(const QString& oib) {
    const QString s = oib.trimmed();
    if (s.isEmpty() || isValidOib(s)) return {};
    if (s.size() != 11 || !allDigits(s))
        return QStringLiteral("OIB %1 nije ispravan: OIB ima 11 znamenki, a ovdje ih je %2.")
            .arg(s)
            .arg(s.size());
    return QStringLiteral(
               "OIB %1 nije ispravan: kontrolna znamenka ne odgovara (provjerite je "
               "li broj točno prepisan).")
        .arg(s);
}

}  // namespace kl
