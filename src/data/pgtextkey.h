#pragma once
// The order of the books' texts on a PostgreSQL server.
//
// A book orders and compares texts by the program's own collation (collation.h), which no
// server collation reproduces. So a server compares keys instead: the key of a text is the text
// with each character replaced by one key character, chosen so that the keys' code point order
// (the server's "C" collation: bytes of UTF-8) is the collation's order, and characters of
// equal weight ("a" and "A", "č" and "Č") get the same key character:
//  - ASCII characters that are not letters, in their order: U+0001..U+004B;
//  - the letters with the Croatian ones after their base letter (a, b, c, č, ć, d, đ, ...):
//    U+004C..U+006A;
//  - the few characters outside ASCII whose case fold is an ASCII character (the Kelvin sign):
//    just above the letters;
//  - every other character: its case fold, which is never ASCII.
// The mapping is one character to one, so the server computes it with translate() over the
// characters whose key is not themselves (kl_key below); texts then compare as their keys do,
// prefix and all.

#include <QString>
#include <QStringView>

namespace kl::pg {

// The key character of a code point (see above).
char32_t keyChar(char32_t c);

// The key of a text, as the server's kl_key() gives it.
QString textKey(QStringView text);

// The two argument strings of translate(): every code point whose key character differs from
// it, the frequent ones first (translate() looks each character up from the start).
struct KeyMap {
    QString from, to;
};
const KeyMap& keyMap();

// A `like` pattern of the books (`*`, `?`, `#`, `[abc]`, `[a-z]`, `[!abc]`, case-insensitive,
// see jetfunctions.h) as a regular expression of the server that matches the keys of exactly the
// texts the pattern matches: `kl_key(column) ~ likeRegex(pattern)`. Every character stands in
// it as an escape (\uXXXX, \UXXXXXXXX), so nothing of the pattern is read as regex syntax.
// (One difference: `?` takes one code point here, one UTF-16 unit in the file engine; the two
// differ only for characters outside the Basic Multilingual Plane.)
QString likeRegex(const QString& pattern);

// `CREATE OR REPLACE FUNCTION <schema>.kl_key(text) ...`: an immutable SQL function the server
// can inline into an ORDER BY or a comparison.
QString keyFunctionSql(const QString& schema);
// Its body (the server keeps it as pg_proc.prosrc), by which a check knows it as the program's.
QString keyFunctionBody();

}  // namespace kl::pg
