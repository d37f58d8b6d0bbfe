#include "data/jetfunctions.h"

#include "data/collation.h"
#include "data/convert.h"

#include <QDate>

#include <sqlite3.h>

namespace kl {
namespace {

bool sameLetter(QChar a, QChar b) {
    return compareText(QStringView(&a, 1), QStringView(&b, 1)) == 0;
}

// Matches one character of the value against the pattern element at p[pi] (anything but `*`);
// `next` receives the index of the following element.
bool matchOne(QChar ch, const QString& p, qsizetype pi, qsizetype* next) {
    const QChar c = p[pi];
    *next = pi + 1;
    if (c == QLatin1Char('?')) return true;
    if (c == QLatin1Char('#')) return ch.isDigit();
    if (c == QLatin1Char('[')) {
        const qsizetype close = p.indexOf(QLatin1Char(']'), pi + 1);
        if (close < 0) return ch == c;  // an unclosed bracket stands for itself
        *next = close + 1;
        QStringView set(p.constData() + pi + 1, close - pi - 1);
        bool negate = false;
        if (!set.isEmpty() && set[0] == QLatin1Char('!')) negate = true, set = set.mid(1);
        bool found = false;
        for (qsizetype k = 0; k < set.size() && !found; ++k) {
            if (k + 2 < set.size() && set[k + 1] == QLatin1Char('-')) {
                const QChar lo = set[k], hi = set[k + 2];
                found = compareText(QStringView(&lo, 1), QStringView(&ch, 1)) <= 0 &&
                        compareText(QStringView(&ch, 1), QStringView(&hi, 1)) <= 0;
                k += 2;
            } else {
                found = sameLetter(set[k], ch);
            }
        }
        return found != negate;
    }
    return sameLetter(c, ch);
}

// Every element but `*` takes exactly one character, so on a mismatch it is enough to let the
// last `*` take one character more: the time stays proportional to value times pattern length,
// however many `*` the pattern holds.
bool likeMatch(const QString& v, const QString& p) {
    qsizetype vi = 0, pi = 0;
    qsizetype starP = -1, starV = 0;
    while (vi < v.size()) {
        if (pi < p.size() && p[pi] == QLatin1Char('*')) {
            while (pi < p.size() && p[pi] == QLatin1Char('*'))
                ++pi;
            starP = pi;
            starV = vi;
            continue;
        }
        qsizetype next = 0;
        if (pi < p.size() && matchOne(v[vi], p, pi, &next)) {
            ++vi;
            pi = next;
            continue;
        }
        if (starP < 0) return false;
        pi = starP;
        vi = ++starV;
    }
    while (pi < p.size() && p[pi] == QLatin1Char('*'))
        ++pi;
    return pi == p.size();
}

QString argText(sqlite3_value* v) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                             sqlite3_value_bytes(v));
}

void resultText(sqlite3_context* ctx, const QString& s) {
    const QByteArray b = s.toUtf8();
    sqlite3_result_text(ctx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

void likeFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc != 2) {
        sqlite3_result_error(ctx, "like: ESCAPE is not supported", -1);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_int(ctx, jetLike(argText(argv[1]), argText(argv[0])) ? 1 : 0);
}

enum class Form { Any, Int, Single, Double, Currency, Date };

template <Form F>
void cstrFunc(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_value* v = argv[0];
    const int type = sqlite3_value_type(v);
    if (type == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    if (F == Form::Date && type == SQLITE_TEXT) {
        const QString iso = argText(v);
        const QDate d = QDate::fromString(iso, Qt::ISODate);
        resultText(ctx, d.isValid() ? dateText(d) : iso);
        return;
    }
    if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
        sqlite3_result_value(ctx, v);
        return;
    }
    if (type == SQLITE_INTEGER && (F == Form::Int || F == Form::Any)) {
        resultText(ctx, QString::number(sqlite3_value_int64(v)));
        return;
    }
    const double d = sqlite3_value_double(v);
    switch (F) {
        case Form::Single:
            resultText(ctx, singleText(toSingle(d)));
            break;
        case Form::Currency:
            resultText(ctx, currencyText(d));
            break;
        default:
            resultText(ctx, doubleText(d));
            break;
    }
}

int collate(void*, int lenA, const void* a, int lenB, const void* b) {
    return compareTextUtf8(static_cast<const char*>(a), lenA, static_cast<const char*>(b), lenB);
}

}  // namespace

bool jetLike(const QString& value, const QString& pattern) {
    return likeMatch(value, pattern);
}

int registerJetFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    int rc = sqlite3_create_collation(db, "JETCI", SQLITE_UTF8, nullptr, collate);
    struct Fn {
        const char* name;
        int args;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
    };
    const Fn fns[] = {
        {"like", 2, likeFunc},
        {"like", 3, likeFunc},
        {"jet_cstr", 1, cstrFunc<Form::Any>},
        {"jet_cstr_int", 1, cstrFunc<Form::Int>},
        {"jet_cstr_single", 1, cstrFunc<Form::Single>},
        {"jet_cstr_double", 1, cstrFunc<Form::Double>},
        {"jet_cstr_currency", 1, cstrFunc<Form::Currency>},
        {"jet_cstr_date", 1, cstrFunc<Form::Date>},
    };
    for (const Fn& f : fns) {
        if (rc != SQLITE_OK) break;
        rc = sqlite3_create_function_v2(db, f.name, f.args, flags, nullptr, f.fn, nullptr, nullptr,
                                        nullptr);
    }
    return rc;
}

}  // namespace kl
