#pragma once
// Translation of the windows' SQL dialect into SQLite SQL.
//
// The windows write statements in the dialect the books have always used: `like` with `*`, `?`,
// `#` and `[...]` wildcards, `cstr(x)` for the text form of a value, `#yyyy/mm/dd#` date
// literals, Jet column types in `create table`, keywords in any case and column names such as
// `to`. The translator rewrites such a statement for SQLite:
//  - every identifier is quoted, every keyword upper-cased, `&` becomes `||`;
//  - every text literal and date literal becomes a bound slot, like the `?` placeholders, so that
//    a value written into the statement is converted into its column's type exactly like a bound
//    one (text with a decimal comma into a number column, "dd.MM.yyyy" into a date column);
//  - each slot learns its target column where the statement says it (insert lists, `set c=?`,
//    comparisons `c op ?`), so the engine can convert and check the value before binding;
//  - comparisons of an id's text form (`cstr(id) like '12'`, `cstr(id)='12'`) and `like`
//    without wildcards become plain indexed comparisons when the bound value allows it (a
//    "site" with a fast and a general form, chosen per execution).
//
// The same statements can be translated for a PostgreSQL server (Dialect::Postgres), where a
// book is a schema of its own. There the books' text order and `like` have no collation to lean
// on, so text comparisons and orderings compare keys (`kl_key`, pgtextkey.h), a `like` becomes a
// regular expression over the key (the engine binds the pattern through likeRegex), the row's
// identity is the table's counter column, and the column types are the server's own.
//
// The translator knows nothing of SQLite itself; the table columns come from a lookup function.

#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

namespace kl::jet {

enum class ColType { Unknown, Counter, Text, Single, Double, Currency, Long, Date };

struct Column {
    QString name;
    ColType type = ColType::Unknown;
    int length = 0;  // for Text: the declared maximum, 0 = unlimited
};

// The columns of `table` in the database `schema` ("" = the main file), or nullptr if there is
// no such table.
using SchemaLookup =
    std::function<const std::vector<Column>*(const QString& schema, const QString& table)>;

// The SQLite declared type that stands for a column type ("VARCHAR(30)", "SINGLE_REAL", ...),
// and back.
QString declaredType(ColType type, int length);
Column columnFromDeclared(const QString& name, const QString& declared);

enum class Dialect { Sqlite, Postgres };

enum class StatementKind { Select, Insert, Update, Delete, CreateTable, CreateIndex, Other };

// A value to bind: either the caller's parameter number `param` or a literal of the statement.
struct Slot {
    int param = -1;    // index into the caller's values, -1 for a literal
    QVariant literal;  // QString for a text literal, QDate for a date literal
    Column target;     // the column the value is stored into or compared with (type Unknown: none)
    // Postgres: the value is a `like` pattern, bound as likeRegex(value) (in a site, only in its
    // general form).
    bool likePattern = false;
};

// A comparison with a fast form that is right only for some values of its slot.
struct Site {
    enum Kind {
        LikeNoWildcard,  // text column like ?: "=" when the value has no wildcard
        IdText,          // cstr(integer column) op ?: integer comparison when the value is a
                         // plain decimal integer
    };
    Kind kind = LikeNoWildcard;
    int slot = -1;
    QString fast;     // SQL with one '?' for the slot
    QString general;  // SQL with one '?' for the slot
    bool likeOp = false;
};

struct Translation {
    StatementKind kind = StatementKind::Other;
    // SQLite SQL; each site stands as "\x01<n>\x02", to be replaced by its fast or general form.
    QString sql;
    std::vector<Slot> bindSlots;  // in bind order
    std::vector<Site> sites;
    int params = 0;  // number of '?' placeholders of the caller
    // A select over one table gets that table's rowid as its first, hidden column, so that the
    // current row of a recordset can be deleted. Empty when not.
    QString rowidTable;  // quoted, schema-qualified table name
    // The hidden column's expression: "rowid", or on a server the table's counter column (or
    // ctid for a table without one).
    QString rowidColumn;
    // Postgres: an insert into a table with a counter column ends in "RETURNING <counter>", so
    // that the engine learns the new row's id.
    bool returnsId = false;
    bool changesSchema = false;
};

class SqlError {
  public:
    explicit SqlError(QString message) : message_(std::move(message)) {}
    const QString& message() const { return message_; }

  private:
    QString message_;
};

// Translates one statement. `schema` qualifies every table of the statement with an attached
// database's name ("" = as written). Throws SqlError for a statement it cannot read.
Translation translate(const QString& sql, const SchemaLookup& lookup, const QString& schema = {},
                      Dialect dialect = Dialect::Sqlite);

// The server's declared type of a column type ("varchar(30)", "real", ...), and back from the
// server's catalogue (information_schema.columns: data_type, character_maximum_length,
// numeric_precision, numeric_scale, is_identity).
QString serverType(ColType type, int length);
Column columnFromServer(const QString& name, const QString& dataType, int length, int precision,
                        int scale, bool identity);

// The statement with its '?' placeholders numbered $1, $2, ... as the server takes them (a
// translated statement holds no text literal, so every '?' outside a quoted name is one).
QString numberedPlaceholders(const QString& sql);

// True when a pattern of `like` holds a wildcard (*, ?, #, [).
bool hasWildcard(const QString& pattern);

// True when the text is the plain decimal form of an integer, as cstr() writes one ("12", "-3";
// not "012", "+3", "1,0" or " 1"); `value` receives it.
bool isIntegerText(const QString& text, qint64* value);

// Final SQL for the chosen forms of the sites (bit i of `fastMask` set: site i uses its fast form).
QString render(const Translation& t, quint64 fastMask);

}  // namespace kl::jet
