#include "data/collation.h"

#include <QChar>

namespace kl {

// ASCII letters are spaced ten apart so that the Croatian letters fit right after their base
// letter; other characters keep their (case-folded) code point, above every letter when they are
// not ASCII.
char32_t collationWeight(char32_t c) {
    if (c < 0x80) {
        if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
        if (c >= 'a' && c <= 'z') return 0x1000 + (c - 'a') * 10;
        return c;
    }
    switch (c) {
        case 0x010C:
        case 0x010D:
            return 0x1000 + ('c' - 'a') * 10 + 1;  // Č č
        case 0x0106:
        case 0x0107:
            return 0x1000 + ('c' - 'a') * 10 + 2;  // Ć ć
        case 0x0110:
        case 0x0111:
            return 0x1000 + ('d' - 'a') * 10 + 2;  // Đ đ
        case 0x0160:
        case 0x0161:
            return 0x1000 + ('s' - 'a') * 10 + 1;  // Š š
        case 0x017D:
        case 0x017E:
            return 0x1000 + ('z' - 'a') * 10 + 1;  // Ž ž
        default:
            break;
    }
    return 0x2000 + QChar::toCaseFolded(c);
}

namespace {

// Decodes one UTF-8 code point from [p, end); malformed bytes are taken one by one.
char32_t nextUtf8(const unsigned char*& p, const unsigned char* end) {
    const unsigned char b = *p++;
    if (b < 0x80) return b;
    int extra = 0;
    char32_t c = 0;
    if ((b & 0xE0) == 0xC0) {
        extra = 1;
        c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        extra = 2;
        c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        extra = 3;
        c = b & 0x07;
    } else
        return b;
    if (end - p < extra) return b;
    for (int i = 0; i < extra; ++i) {
        if ((p[i] & 0xC0) != 0x80) return b;
        c = (c << 6) | (p[i] & 0x3F);
    }
    p += extra;
    return c;
}

}  // namespace

int compareText(QStringView a, QStringView b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        char32_t ca = a[i].unicode(), cb = b[j].unicode();
        if (QChar::isHighSurrogate(ca) && i + 1 < a.size())
            ca = QChar::surrogateToUcs4(a[i], a[i + 1]), ++i;
        if (QChar::isHighSurrogate(cb) && j + 1 < b.size())
            cb = QChar::surrogateToUcs4(b[j], b[j + 1]), ++j;
        ++i, ++j;
        if (ca == cb) continue;
        const char32_t wa = collationWeight(ca), wb = collationWeight(cb);
        if (wa != wb) return wa < wb ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

std::uint64_t collationHash(QStringView text) {
    std::uint64_t h = 0xcbf29ce484222325u;  // FNV-1a over the weights, then mixed
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        // A surrogate pair as compareText reads it: one code point.
        if (QChar::isHighSurrogate(c) && i + 1 < text.size())
            c = QChar::surrogateToUcs4(text[i], text[i + 1]), ++i;
        h = (h ^ collationWeight(c)) * 0x100000001b3u;
    }
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdu;
    return h ^ (h >> 33);
}

int compareTextUtf8(const char* a, int lenA, const char* b, int lenB) {
    auto pa = reinterpret_cast<const unsigned char*>(a), ea = pa + lenA;
    auto pb = reinterpret_cast<const unsigned char*>(b), eb = pb + lenB;
    while (pa < ea && pb < eb) {
        if (*pa == *pb && *pa < 0x80) {
            ++pa, ++pb;
            continue;
        }
        const char32_t wa = collationWeight(nextUtf8(pa, ea)),
                       wb = collationWeight(nextUtf8(pb, eb));
        if (wa != wb) return wa < wb ? -1 : 1;
    }
    if (pa < ea) return 1;
    if (pb < eb) return -1;
    return 0;
}

}  // namespace kl
