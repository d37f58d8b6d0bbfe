#pragma once
// Text order of the books: case-insensitive, with the Croatian letters where a Croatian reader
// looks for them (C, Č, Ć, D, Đ, ... S, Š, ... Z, Ž). Used by the database for comparisons and
// "order by" on text columns, and by the lists of the windows when a column heading is clicked.

#include <QString>
#include <QStringView>

#include <cstdint>

namespace kl {

// The sort weight of one code point: two texts compare as the sequences of their weights.
char32_t collationWeight(char32_t c);

// <0, 0 or >0. Letters that differ only in case compare equal ("abc" == "ABC").
int compareText(QStringView a, QStringView b);

// The same on UTF-8 bytes (the database's own form), without building QStrings.
int compareTextUtf8(const char* a, int lenA, const char* b, int lenB);

// A hash of the text's weights, code point by code point: texts that compareText finds equal
// have the same hash (for finding texts equal to the books' order among many).
std::uint64_t collationHash(QStringView text);

}  // namespace kl
