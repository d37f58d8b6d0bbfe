#pragma once
// The identifiers a Croatian clerk types besides names: the bank account as an IBAN
// (ISO 13616, control digits by mod 97) and the personal identification number OIB (11 digits,
// control digit by ISO 7064 MOD 11,10). Both are checked only; nothing is changed in what the
// clerk typed except where a function says so.

#include <QString>

namespace kl {

// The account with blanks removed and letters upper-cased: "hr12 1001 0051 8630 0016 0" ->
// "HR1210010051863000160". Other characters are kept (and make the IBAN invalid).
QString compactIban(const QString& text);

// True when `text` looks like an IBAN at all: two letters then two digits at its start (after
// compacting). An account in the old domestic form ("2360000-1101234565") is not one.
bool looksLikeIban(const QString& text);

// A valid IBAN: 15 to 34 letters and digits, country letters, two control digits, and the
// whole number mod 97 equal to 1; a Croatian one (HR) has exactly 21 characters, all digits
// after the country code.
bool isValidIban(const QString& text);

// A valid OIB: exactly 11 digits whose last is the ISO 7064 MOD 11,10 control digit of the
// first ten.
bool isValidOib(const QString& text);

// What is wrong with an account or an OIB as the clerk typed it, said for a warning that names
// it; empty when nothing is. An account that is no IBAN at all (the old domestic form
// "2360000-1101234565") and an empty OIB are not checked.
QString accountProblem(const QString& account);
QString oibProblem(const QString& oib);

// The control digit ISO 7064 MOD 11,10 gives ten digits (for tests and for making examples);
// -1 when `tenDigits` is not ten digits.
int oibControlDigit(const QString& tenDigits);

}  // namespace kl
