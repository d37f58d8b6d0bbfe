#pragma once
// Text order of the books: case-insensitive, with the Croatian letters where a Croatian reader
// looks for them (C, Č, Ć, D, Đ, ... S, Š, ... Z, Ž). Used by the database for comparisons and
// "order by" on text columns, and by the lists of the windows when a column heading is clicked.

#include <QString>
#include <QStringView>

#include <cstdint>
#include <string>

namespace kl {

// The sort weight of one code point: two texts compare as the sequences of their weights.
char32_t collationWeight(char32_t c);

// <0, 0 or >0. Letters that differ only in case compare equal ("abc" == "ABC").
int compareText(QStringView a, QStringView b);

// The weights of the text's code points in order: compareText(a, b) == 0 exactly when the keys
// of a and b are equal (for finding texts equal to the books' order in a hash).
std::u32string collationKey(QStringView text);

// A hash of the same weights, made without a key: texts that compareText finds equal have the
// same hash.
std::uint64_t collationHash(QStringView text);

// The same on UTF-8 bytes (the database's own form), without building QStrings.
int compareTextUtf8(const char* a, int lenA, const char* b, int lenB);

}  // namespace kl
