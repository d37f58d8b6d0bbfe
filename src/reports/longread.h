#pragma once
// The connection of a report that reads a large part of a book at once (every line of the
// journal with its article and header): a larger page cache than SQLite's 2 MB and the file read
// through a memory map, so that the lookups of a long join stay in memory on a large book (a
// little faster at the bench's size, where the whole book then fits the cache). Only
// for connections that read; the writing paths keep SQLite's defaults.

#include "data/database.h"

#include <QDate>

#include <algorithm>
#include <optional>
#include <vector>

#include <sqlite3.h>

namespace kl {

inline void prepareLongRead(Database& db) {
    if (db.onServer()) return;  // the server keeps its own cache
    // 64 MB of page cache; up to 256 MB of the file mapped. A setting the engine refuses only
    // leaves the defaults.
    sqlite3_exec(db.handle(), "PRAGMA cache_size=-65536; PRAGMA mmap_size=268435456", nullptr,
                 nullptr, nullptr);
}

// The ids of a table's rows as the ends of its key tell them, without the pass over the whole
// table a count makes: `span()` rows at most, from `first` to `last`; none in an empty table.
struct IdSpan {
    qint64 first = 0, last = -1;
    size_t span() const { return last >= first ? size_t(last - first) + 1 : 0; }
};
inline IdSpan idSpan(Database& db, const QString& table) {
    const auto end = [&](const char* which) -> std::optional<qint64> {
        const Recordset rs = db.openRecordset(
            QStringLiteral("select %1(id) as n from %2").arg(QLatin1String(which), table));
        if (rs.eof() || rs.value(0).isNull()) return std::nullopt;
        return rs.value(0).toLongLong();
    };
    const std::optional<qint64> first = end("min"), last = end("max");
    if (!first || !last) return {};
    return {*first, *last};
}

// A date column as value(column).toDate() reads it; the stored "yyyy-MM-dd" of the years from
// 1000 on read without a QString, and the text of the row before (the headers of a day follow
// each other) taken at once.
class DateReader {
  public:
    QDate operator()(const RowView& row, int column) {
        const QByteArrayView b = row.textBytes(column);
        if (b.size() == 10 && b == QByteArrayView(last_, 10)) return lastDate_;
        if (b.size() == 10 && b[4] == '-' && b[7] == '-' && b[0] >= '1') {
            int n[8], k = 0;
            for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
                if (b[i] < '0' || b[i] > '9') return row.value(column).toDate();
                n[k++] = b[i] - '0';
            }
            std::copy(b.begin(), b.end(), last_);
            lastDate_ = QDate(n[0] * 1000 + n[1] * 100 + n[2] * 10 + n[3], n[4] * 10 + n[5],
                              n[6] * 10 + n[7]);
            return lastDate_;
        }
        return row.value(column).toDate();
    }

  private:
    char last_[10] = {};
    QDate lastDate_;
};

// The last values looked up, a slot for each key's low bits: a cache for lookups that mostly
// find what they found before (a journal's quantities and prices).
template <class Value>
class RecentValues {
  public:
    template <class Make>
    const Value& get(quint64 key, Make&& make) {
        if (slots_.empty()) slots_.resize(kSlots);
        Slot& slot = slots_[size_t((key ^ (key >> 29) ^ (key >> 47)) & (kSlots - 1))];
        if (!slot.used || slot.key != key) slot = {key, true, make()};
        return slot.value;
    }

  private:
    struct Slot {
        quint64 key = 0;
        bool used = false;
        Value value{};
    };
    static constexpr size_t kSlots = 1 << 12;
    std::vector<Slot> slots_;
};

}  // namespace kl
