#pragma once
// The connection of a report that reads a large part of a book at once (every line of the
// journal with its article and header): a larger page cache than SQLite's 2 MB and the file read
// through a memory map, so that the lookups of a long join stay in memory on a large book (a
// little faster at the bench's size, where the whole book then fits the cache). Only
// for connections that read; the writing paths keep SQLite's defaults.

#include "data/database.h"

#include <sqlite3.h>

namespace kl {

inline void prepareLongRead(Database& db) {
    // 64 MB of page cache; up to 256 MB of the file mapped. A setting the engine refuses only
    // leaves the defaults.
    sqlite3_exec(db.handle(), "PRAGMA cache_size=-65536; PRAGMA mmap_size=268435456", nullptr,
                 nullptr, nullptr);
}

}  // namespace kl
