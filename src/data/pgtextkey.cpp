#include "data/pgtextkey.h"

#include "data/collation.h"
#include "data/pgconnection.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <vector>

namespace kl::pg {
namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kFirstLetterKey = 0x4C;

bool isSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}
bool isAsciiLetter(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The letters' weights in order, and the case folds below U+0080 of characters outside ASCII.
struct Tables {
    std::vector<char32_t> letterWeights;
    std::vector<char32_t> asciiFolds;
    Tables() {
        for (char32_t c = 1; c <= kLastCodePoint; ++c) {
            if (isSurrogate(c)) continue;
            const char32_t w = collationWeight(c);
            if (w >= 0x1000 && w < 0x2000) letterWeights.push_back(w);
            if (c >= 0x80 && w >= 0x2000 && w < 0x2080) asciiFolds.push_back(w - 0x2000);
        }
        for (auto* v : {&letterWeights, &asciiFolds}) {
            std::sort(v->begin(), v->end());
            v->erase(std::unique(v->begin(), v->end()), v->end());
        }
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

char32_t rankIn(const std::vector<char32_t>& v, char32_t x) {
    return char32_t(std::lower_bound(v.begin(), v.end(), x) - v.begin());
}

}  // namespace

char32_t keyChar(char32_t c) {
    if (c < 0x80 && !isAsciiLetter(c)) {
        if (c <= 0x40) return c;
        if (c <= 0x60) return c - 26;  // [ \ ] ^ _ `
        return c - 52;                 // { | } ~ DEL
    }
    const char32_t w = collationWeight(c);
    const Tables& t = tables();
    if (w < 0x2000) return kFirstLetterKey + rankIn(t.letterWeights, w);
    const char32_t fold = w - 0x2000;
    if (fold < 0x80)
        return kFirstLetterKey + char32_t(t.letterWeights.size()) + rankIn(t.asciiFolds, fold);
    return fold;
}

namespace {

// QString::fromUcs4 would drop a U+FEFF at the start.
void append(QString& out, char32_t c) {
    if (QChar::requiresSurrogates(c)) {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    } else {
        out += QChar(char16_t(c));
    }
}

}  // namespace

QString textKey(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(text[i], text[i + 1]), ++i;
        append(out, keyChar(c));
    }
    return out;
}

const KeyMap& keyMap() {
    static const KeyMap map = [] {
        KeyMap m;
        std::vector<char32_t> order;
        for (char32_t c = 'a'; c <= 'z'; ++c)
            order.push_back(c);
        for (char32_t c : {U' ', U'0', U'1', U'2', U'3', U'4', U'5', U'6', U'7', U'8', U'9'})
            order.push_back(c);
        for (char32_t c = 'A'; c <= 'Z'; ++c)
            order.push_back(c);
        for (char32_t c : {U'.', U',', U'-', U'/'})
            order.push_back(c);
        for (char32_t c : {0x10D, 0x107, 0x111, 0x161, 0x17E, 0x10C, 0x106, 0x110, 0x160, 0x17D})
            order.push_back(c);
        std::vector<bool> taken(kLastCodePoint + 1);
        for (char32_t c : order)
            taken[c] = true;
        for (char32_t c = 1; c <= kLastCodePoint; ++c)
            if (!taken[c] && !isSurrogate(c)) order.push_back(c);
        // Every ASCII character stands in the list, mapped to itself if need be, so that the
        // frequent ones are found at the start; of the rest, only those whose key differs.
        for (char32_t c : order) {
            const char32_t k = keyChar(c);
            if (k == c && c >= 0x80) continue;
            append(m.from, c);
            append(m.to, k);
        }
        return m;
    }();
    return map;
}

namespace {

void appendEscape(QString& out, char32_t c) {
    if (c <= 0xFFFF)
        out += QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0'));
    else
        out += QStringLiteral("\\U%1").arg(uint(c), 8, 16, QLatin1Char('0'));
}

// The key characters of the digits (QChar::isDigit: every decimal digit of Unicode), as class
// members.
const QString& digitClass() {
    static const QString cls = [] {
        QString out;
        for (char32_t c = 1; c <= kLastCodePoint; ++c) {
            if (isSurrogate(c) || !QChar::isDigit(c)) continue;
            char32_t last = c;
            while (last + 1 <= kLastCodePoint && QChar::isDigit(last + 1))
                ++last;
            // A run of digits has consecutive keys (they are all ASCII or all outside it).
            appendEscape(out, keyChar(c));
            if (last > c) {
                out += QLatin1Char('-');
                appendEscape(out, keyChar(last));
            }
            c = last;
        }
        return out;
    }();
    return cls;
}

char32_t codePointAt(const QString& s, qsizetype& i) {
    char32_t c = s[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s[i + 1].isLowSurrogate())
        c = QChar::surrogateToUcs4(s[i], s[i + 1]), ++i;
    return c;
}

}  // namespace

QString likeRegex(const QString& pattern) {
    QString out = QStringLiteral("^");
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('*')) {
            out += QLatin1String(".*");
        } else if (c == QLatin1Char('?')) {
            out += QLatin1Char('.');
        } else if (c == QLatin1Char('#')) {
            out += QLatin1Char('[') + digitClass() + QLatin1Char(']');
        } else if (c == QLatin1Char('[') && pattern.indexOf(QLatin1Char(']'), i + 1) > i) {
            const qsizetype close = pattern.indexOf(QLatin1Char(']'), i + 1);
            const QString set = pattern.mid(i + 1, close - i - 1);
            qsizetype k = 0;
            const bool negate = set.startsWith(QLatin1Char('!'));
            if (negate) k = 1;
            QString members;
            for (; k < set.size(); ++k) {
                // "a-z" is a range when a character follows the dash, as the file engine reads it.
                qsizetype j = k;
                const char32_t lo = codePointAt(set, j);
                if (j + 2 < set.size() && set[j + 1] == QLatin1Char('-')) {
                    qsizetype h = j + 2;
                    const char32_t hi = codePointAt(set, h);
                    if (keyChar(lo) <= keyChar(hi)) {
                        appendEscape(members, keyChar(lo));
                        members += QLatin1Char('-');
                        appendEscape(members, keyChar(hi));
                    }
                    k = h;
                } else {
                    appendEscape(members, keyChar(lo));
                    k = j;
                }
            }
            if (members.isEmpty())
                // No member: [] matches no character, [!] any.
                out += negate ? QStringLiteral(".") : QStringLiteral("[^\\u0001-\\U0010ffff]");
            else
                out += (negate ? QStringLiteral("[^") : QStringLiteral("[")) + members +
                       QLatin1Char(']');
            i = close;
        } else {
            appendEscape(out, keyChar(codePointAt(pattern, i)));
        }
    }
    return out + QLatin1Char('$');
}

QString keyFunctionBody() {
    auto literal = [](QString s) {
        s.replace(QLatin1Char('\''), QLatin1String("''"));
        return QLatin1Char('\'') + s + QLatin1Char('\'');
    };
    const KeyMap& m = keyMap();
    return QStringLiteral(" SELECT pg_catalog.translate($1, %1, %2) ")
        .arg(literal(m.from), literal(m.to));
}

QString keyFunctionSql(const QString& schema) {
    // The schema is a name the program makes ("skladiste_3"), quoted as an identifier.
    return QStringLiteral(
               "CREATE OR REPLACE FUNCTION %1.kl_key(text) RETURNS text LANGUAGE "
               "sql IMMUTABLE STRICT PARALLEL SAFE AS $kl_key$%2$kl_key$")
        .arg(quotedName(schema), keyFunctionBody());
}

}  // namespace kl::pg
