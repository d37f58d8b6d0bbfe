#pragma once
// The functions and the text order the translated statements rely on, registered on every
// connection the engine opens:
//  - collation JETCI: case-insensitive text order with the Croatian letters in place;
//  - like(pattern, value): `*` any text, `?` one character, `#` one digit, `[abc]`, `[a-z]`,
//    `[!abc]` one character of (or not of) a set, case-insensitive;
//  - jet_cstr_int/single/double/currency/date(x) and jet_cstr(x): the text form of a value.

#include <QString>

struct sqlite3;

namespace kl {

// Registers everything above on `db`; returns the SQLite result code.
int registerJetFunctions(sqlite3* db);

// The `like` match itself (exposed for tests and for the windows' own filters).
bool jetLike(const QString& value, const QString& pattern);

}  // namespace kl
