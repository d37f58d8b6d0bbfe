#include "data/database.h"

#include "data/convert.h"
#include "data/fileops.h"
#include "data/jetfunctions.h"
#include "data/pgtextkey.h"
#include "data/schema.h"
#include "data/serverbooks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <tuple>

namespace kl {

namespace {

constexpr size_t kStatementCacheSize = 256;
// A statement of the program touches each row of its tables a few times (well under 10^8 steps
// of the virtual machine on the largest books); one that runs 10^9 steps (some 10-30 s) runs away
// on a crafted file and is stopped. The count starts again with every statement; the handler looks
// at it every kProgressSteps.
constexpr int kProgressSteps = 10000;
constexpr qint64 kStatementStepLimit = 1'000'000'000LL;
// Text and blob values of our tables are a few dozen characters; nothing needs more than this.
constexpr int kValueLengthLimit = 64 * 1024 * 1024;

QString fileName(const QString& path) {
    return QFileInfo(path).fileName();
}

DbError notOurs(const QString& path) {
    return DbError(
        DbErrorCode::NotOurDatabase,
        QStringLiteral("Datoteka %1 nije baza podataka ovog programa (stari ili nepoznat "
                       "format, ili je datoteka oštećena). Datoteka nije mijenjana.")
            .arg(fileName(path)));
}

// Reads the header of a file without letting SQLite near it: a file that is not an SQLite
// database stamped with our application id is not ours.
void checkOurs(const QString& path) {
    QFileInfo fi(path);
    if (!fi.exists())
        throw DbError(DbErrorCode::FileNotFound,
                      QStringLiteral("Datoteka baze podataka %1 ne postoji.").arg(fileName(path)));
    if (fi.isDir())
        throw DbError(DbErrorCode::CannotOpen,
                      QStringLiteral("Na mjestu datoteke baze podataka %1 nalazi se mapa; baza se "
                                     "ne može otvoriti. Mapa nije mijenjana.")
                          .arg(fileName(path)));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(DbErrorCode::CannotOpen,
                      QStringLiteral("Datoteku baze podataka %1 nije moguće otvoriti (nema prava "
                                     "čitanja).")
                          .arg(fileName(path)));
    f.close();
    if (!hasOurStamp(path)) throw notOurs(path);
}

}  // namespace

bool hasOurStamp(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray h = f.read(100);
    if (h.size() < 100 || !h.startsWith(QByteArrayLiteral("SQLite format 3\0"))) return false;
    const auto b = reinterpret_cast<const unsigned char*>(h.constData());
    return ((quint32(b[68]) << 24) | (quint32(b[69]) << 16) | (quint32(b[70]) << 8) | b[71]) ==
           kApplicationId;
}

struct DatabaseImpl {
    sqlite3* db = nullptr;
    QString path;
    std::map<QString, std::shared_ptr<const jet::Translation>> translations;
    std::map<QString, sqlite3_stmt*> statements;
    std::map<QString, std::optional<std::vector<jet::Column>>> columns;
    int savepoints = 0;
    qint64 steps = 0;  // virtual machine steps of the running statement

    // On a server instead of a file: the connection, the book's own schema (the search path)
    // and the schemas attached under other names; what the last statement changed and made.
    std::unique_ptr<PgConnection> server;
    QString serverSchema;
    BookLocation location;  // on a server: where the book is (a file's location is its path)
    std::map<QString, QString> serverSchemas;
    int serverChanges = 0;
    qint64 serverLastId = 0;
    bool pg() const { return bool(server); }
    // The server schema a statement's schema name stands for ("" is the book's own).
    QString schemaOnServer(const QString& schema) const {
        if (schema.isEmpty() || schema.compare(QLatin1String("main"), Qt::CaseInsensitive) == 0)
            return serverSchema;
        auto it = serverSchemas.find(schema.toLower());
        return it == serverSchemas.end() ? schema : it->second;
    }

    ~DatabaseImpl() {
        clearStatements();
        if (db) sqlite3_close_v2(db);
    }
    void clearStatements() {
        for (auto& [sql, stmt] : statements)
            sqlite3_finalize(stmt);
        statements.clear();
    }
    void schemaChanged() {
        translations.clear();
        columns.clear();
    }

    [[noreturn]] void fail(int rc) const;
    void exec(const char* sql) const {
        const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) fail(rc);
    }
    const std::vector<jet::Column>* tableColumns(const QString& schema, const QString& table);
    std::shared_ptr<const jet::Translation> translation(const QString& schema, const QString& sql);
    sqlite3_stmt* statement(const QString& sql);
};

void DatabaseImpl::fail(int rc) const {
    const QString msg = QString::fromUtf8(sqlite3_errmsg(db));
    const QString file = fileName(path);
    const QString folder = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
    // The file of the first database of the connection (the book, then the books attached to
    // it) for which `test` holds; empty when none does.
    const auto fileWhere = [this](const auto& test) {
        for (int i = 0; const char* schema = sqlite3_db_name(db, i); ++i) {
            const char* f = sqlite3_db_filename(db, schema);
            if (f && *f && test(schema)) return fileName(QString::fromUtf8(f));
        }
        return QString();
    };
    const auto folderReadOnly = [&] {
        return DbError(DbErrorCode::ReadOnly,
                       QStringLiteral("Baza %1 se ne može mijenjati: u mapu %2 nije dopušteno "
                                      "pisati. Promjena nije spremljena; provjerite prava pristupa "
                                      "mapi.")
                           .arg(file, folder));
    };
    switch (rc & 0xFF) {
        case SQLITE_FULL:
            throw DbError(DbErrorCode::DiskFull,
                          QStringLiteral("Na disku nema dovoljno mjesta za bazu %1. Promjena nije "
                                         "spremljena; oslobodite prostor na disku i pokušajte "
                                         "ponovno.")
                              .arg(file));
        case SQLITE_READONLY:
            // A file unlinked or renamed under an open connection: writing on would change a
            // file nobody can find any more.
            if (rc == SQLITE_READONLY_DBMOVED) {
                const QString moved = fileWhere([this](const char* schema) {
                    int hasMoved = 0;
                    sqlite3_file_control(db, schema, SQLITE_FCNTL_HAS_MOVED, &hasMoved);
                    return hasMoved != 0;
                });
                throw DbError(DbErrorCode::FileNotFound,
                              QStringLiteral("Datoteka baze %1 je obrisana ili premještena dok je "
                                             "program radio. Promjena nije spremljena.")
                                  .arg(moved.isEmpty() ? file : moved));
            }
            // No journal could be made beside the book.
            if (rc == SQLITE_READONLY_DIRECTORY) throw folderReadOnly();
            // SQLite opens a file it may not write for reading only.
            if (const QString readOnly = fileWhere(
                    [this](const char* schema) { return sqlite3_db_readonly(db, schema) == 1; });
                !readOnly.isEmpty())
                throw DbError(DbErrorCode::ReadOnly,
                              QStringLiteral("Datoteka baze %1 je samo za čitanje (zaštićena od "
                                             "pisanja). Promjena nije spremljena.")
                                  .arg(readOnly));
            if (!QFileInfo(QFileInfo(path).absolutePath()).isWritable()) throw folderReadOnly();
            throw DbError(DbErrorCode::ReadOnly,
                          QStringLiteral("Baza %1 se ne može mijenjati: datoteka ili mapa nije "
                                         "dopuštena za pisanje. Promjena nije spremljena.")
                              .arg(file));
        case SQLITE_INTERRUPT:
            throw DbError(DbErrorCode::Interrupted,
                          QStringLiteral("Naredba nad bazom %1 je prekinuta jer je trajala "
                                         "predugo (baza je oštećena ili nije baza ovog programa). "
                                         "Promjena nije spremljena.")
                              .arg(file));
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            throw DbError(DbErrorCode::Locked,
                          QStringLiteral("Bazu %1 trenutno koristi drugi program. Pokušajte "
                                         "ponovno.")
                              .arg(file));
        case SQLITE_IOERR:
            throw DbError(
                DbErrorCode::IoError,
                QStringLiteral("Greška pri čitanju ili pisanju baze %1 (%2).").arg(file, msg));
        case SQLITE_CORRUPT:
            throw DbError(DbErrorCode::Corrupt, QStringLiteral("Baza %1 je oštećena.").arg(file));
        case SQLITE_NOTADB:
            throw notOurs(path);
        case SQLITE_CANTOPEN:
            // The book itself is gone, or its journal (on a write) cannot be made beside it.
            if (!QFileInfo::exists(path))
                throw DbError(DbErrorCode::FileNotFound,
                              QStringLiteral("Datoteka baze podataka %1 ne postoji.").arg(file));
            if (!QFileInfo(QFileInfo(path).absolutePath()).isWritable()) throw folderReadOnly();
            throw DbError(DbErrorCode::CannotOpen,
                          QStringLiteral("Bazu %1 nije moguće otvoriti ni u nju pisati. Ako ste "
                                         "mijenjali podatke, promjena nije spremljena.")
                              .arg(file));
        case SQLITE_CONSTRAINT:
            if (msg.contains(QLatin1String("kl_len:"))) {
                const QStringList parts = msg.mid(msg.indexOf(QLatin1String("kl_len:"))).split(':');
                throw DbError(DbErrorCode::TextTooLong,
                              QStringLiteral("Tekst je predug za polje %1 (najviše %2 znakova).")
                                  .arg(parts.value(1), parts.value(2)));
            }
            break;
        case SQLITE_MISMATCH:
            throw DbError(DbErrorCode::TypeMismatch,
                          QStringLiteral("Vrijednost ne odgovara vrsti polja (%1).").arg(msg));
        default:
            break;
    }
    if (msg.startsWith(QLatin1String("no such table")))
        throw DbError(DbErrorCode::NoSuchTable, QStringLiteral("Tablica %1 ne postoji u bazi %2.")
                                                    .arg(msg.section(':', 1).trimmed(), file));
    if (msg.startsWith(QLatin1String("no such column")))
        throw DbError(DbErrorCode::NoSuchColumn,
                      QStringLiteral("Stupac %1 ne postoji.").arg(msg.section(':', 1).trimmed()));
    if (msg.contains(QLatin1String("already exists")))
        throw DbError(DbErrorCode::TableExists,
                      QStringLiteral("Tablica već postoji (%1).").arg(msg));
    if (msg.contains(QLatin1String("syntax error")))
        throw DbError(DbErrorCode::SyntaxError,
                      QStringLiteral("Naredba nije ispravna (%1).").arg(msg));
    throw DbError(DbErrorCode::Generic, QStringLiteral("Greška baze %1: %2").arg(file, msg));
}

const std::vector<jet::Column>* DatabaseImpl::tableColumns(const QString& schema,
                                                           const QString& table) {
    const QString key = schema.toLower() + QLatin1Char('.') + table.toLower();
    auto it = columns.find(key);
    if (it == columns.end() && pg()) {
        std::optional<std::vector<jet::Column>> cols;
        const PgResult r = server->exec(
            QStringLiteral("SELECT column_name, data_type, coalesce(character_maximum_length, 0), "
                           "coalesce(numeric_precision, 0), coalesce(numeric_scale, 0), "
                           "is_identity FROM information_schema.columns WHERE table_schema = $1 "
                           "AND table_name = $2 ORDER BY ordinal_position"),
            {schemaOnServer(schema), table.toLower()});
        for (int i = 0; i < r.rows(); ++i) {
            if (!cols) cols.emplace();
            cols->push_back(jet::columnFromServer(r.text(i, 0), r.text(i, 1), int(r.integer(i, 2)),
                                                  int(r.integer(i, 3)), int(r.integer(i, 4)),
                                                  r.text(i, 5) == QLatin1String("YES")));
        }
        it = columns.emplace(key, std::move(cols)).first;
    }
    if (it == columns.end()) {
        std::optional<std::vector<jet::Column>> cols;
        sqlite3_stmt* st = nullptr;
        const char* q = "SELECT name, type FROM pragma_table_info(?1, ?2)";
        if (sqlite3_prepare_v2(db, q, -1, &st, nullptr) == SQLITE_OK) {
            const QByteArray t = table.toUtf8();
            const QByteArray s = (schema.isEmpty() ? QStringLiteral("main") : schema).toUtf8();
            sqlite3_bind_text(st, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, s.constData(), int(s.size()), SQLITE_TRANSIENT);
            while (sqlite3_step(st) == SQLITE_ROW) {
                if (!cols) cols.emplace();
                cols->push_back(jet::columnFromDeclared(
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))),
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)))));
            }
        }
        sqlite3_finalize(st);
        it = columns.emplace(key, std::move(cols)).first;
    }
    return it->second ? &*it->second : nullptr;
}

std::shared_ptr<const jet::Translation> DatabaseImpl::translation(const QString& schema,
                                                                  const QString& sql) {
    const QString key = schema + QChar(0) + sql;
    auto it = translations.find(key);
    if (it != translations.end()) return it->second;
    // Statement log for the fuzzing corpus: with KNJIGE_LUMEN_SQL_LOG naming a file, each text
    // translated here is appended to it, ended by a NUL byte (one write, so processes running
    // side by side do not interleave). Off when the variable is unset.
    static const QString sqlLog = qEnvironmentVariable("KNJIGE_LUMEN_SQL_LOG");
    if (!sqlLog.isEmpty()) {
        QFile log(sqlLog);
        if (log.open(QIODevice::Append | QIODevice::Unbuffered)) log.write(sql.toUtf8() + '\0');
    }
    try {
        // On a server an attached name stands for its schema; the book's own is the search path.
        auto t = std::make_shared<const jet::Translation>(jet::translate(
            sql, [this](const QString& s, const QString& table) { return tableColumns(s, table); },
            pg() && !schema.isEmpty() ? schemaOnServer(schema) : schema,
            pg() ? jet::Dialect::Postgres : jet::Dialect::Sqlite));
        if (translations.size() >= kStatementCacheSize) translations.clear();
        translations.emplace(key, t);
        return t;
    } catch (const jet::SqlError& e) {
        throw DbError(DbErrorCode::SyntaxError,
                      QStringLiteral("Naredba nije ispravna: %1.\n%2").arg(e.message(), sql));
    }
}

sqlite3_stmt* DatabaseImpl::statement(const QString& sql) {
    auto it = statements.find(sql);
    if (it != statements.end()) return it->second;
    if (statements.size() >= kStatementCacheSize) clearStatements();
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* st = nullptr;
    const int rc = sqlite3_prepare_v3(db, utf8.constData(), int(utf8.size()),
                                      SQLITE_PREPARE_PERSISTENT, &st, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(st);
        fail(rc);
    }
    statements.emplace(sql, st);
    return st;
}

// ---- Value conversion -----------------------------------------------------------------------

namespace {

bool isIntegerVariant(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Bool:
            return true;
        default:
            return false;
    }
}

// The default text form of a value bound into a text column or compared as text.
QString textOf(const QVariant& v) {
    if (isIntegerVariant(v)) return QString::number(v.toLongLong());
    switch (v.typeId()) {
        case QMetaType::Float:
            return singleText(v.toFloat());
        case QMetaType::Double:
            return doubleText(v.toDouble());
        case QMetaType::QDate:
            return dateText(v.toDate());
        case QMetaType::QDateTime:
            return dateText(v.toDateTime().date());
        default:
            return v.toString();
    }
}

// The first words of an entered text for a message: a long text is cut to its start.
QString quotedStart(const QString& s) {
    constexpr int kQuoted = 20;
    return s.size() <= kQuoted ? s : s.left(kQuoted) + QStringLiteral("…");
}

[[noreturn]] void mismatch(const QVariant& v, const jet::Column& c, const char* what) {
    throw DbError(DbErrorCode::TypeMismatch, QStringLiteral("Vrijednost \"%1\" nije %2 (polje %3).")
                                                 .arg(textOf(v), QString::fromUtf8(what), c.name));
}

double numberOf(const QVariant& v, const jet::Column& c) {
    if (isIntegerVariant(v)) return double(v.toLongLong());
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
        if (std::isfinite(v.toDouble())) return v.toDouble();
        mismatch(v, c, "konačan broj");
    }
    if (v.typeId() == QMetaType::QString) {
        if (auto n = parseNumber(v.toString()); n && std::isfinite(*n)) return *n;
    }
    mismatch(v, c, "broj");
}

using Bound = std::variant<std::monostate, qint64, double, QByteArray>;

Bound convert(const QVariant& v, const jet::Column& c) {
    if (!v.isValid() || v.isNull()) return std::monostate{};
    switch (c.type) {
        case jet::ColType::Text: {
            const QString s = textOf(v);
            if (c.length > 0 && s.size() > c.length)
                throw DbError(DbErrorCode::TextTooLong,
                              QStringLiteral("Tekst \"%1\" je predug za polje %2 (najviše %3 "
                                             "znakova, upisano %4).")
                                  .arg(quotedStart(s), c.name)
                                  .arg(c.length)
                                  .arg(s.size()));
            return s.toUtf8();
        }
        case jet::ColType::Single: {
            const double d = numberOf(v, c);
            if (std::fabs(d) > 3.4e38) mismatch(v, c, "broj u dopuštenom rasponu");
            return double(toSingle(d));
        }
        case jet::ColType::Double:
            return numberOf(v, c);
        case jet::ColType::Currency: {
            if (v.typeId() == QMetaType::QString) {
                if (auto cur = Currency::fromText(v.toString())) return cur->toDouble();
                mismatch(v, c, "iznos");
            }
            const double d = numberOf(v, c);
            if (std::fabs(d) > 9.2e14) mismatch(v, c, "iznos u dopuštenom rasponu");
            return Currency::fromDouble(d).toDouble();
        }
        case jet::ColType::Long:
        case jet::ColType::Counter: {
            if (isIntegerVariant(v)) return qint64(v.toLongLong());
            const double d = numberOf(v, c);
            if (d != std::floor(d) || std::fabs(d) > 2147483647.0) mismatch(v, c, "cijeli broj");
            return qint64(d);
        }
        case jet::ColType::Date: {
            QDate d;
            if (v.typeId() == QMetaType::QDate)
                d = v.toDate();
            else if (v.typeId() == QMetaType::QDateTime)
                d = v.toDateTime().date();
            else if (v.typeId() == QMetaType::QString)
                d = parseDate(v.toString()).value_or(QDate());
            if (!d.isValid()) mismatch(v, c, "datum");
            return d.toString(Qt::ISODate).toUtf8();
        }
        case jet::ColType::Unknown:
            break;
    }
    if (isIntegerVariant(v)) return qint64(v.toLongLong());
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) return v.toDouble();
    if (v.typeId() == QMetaType::QDate) return v.toDate().toString(Qt::ISODate).toUtf8();
    return v.toString().toUtf8();
}

void bindValue(sqlite3_stmt* st, int index, const Bound& b) {
    if (std::holds_alternative<qint64>(b))
        sqlite3_bind_int64(st, index, std::get<qint64>(b));
    else if (std::holds_alternative<double>(b))
        sqlite3_bind_double(st, index, std::get<double>(b));
    else if (std::holds_alternative<QByteArray>(b)) {
        const QByteArray& s = std::get<QByteArray>(b);
        sqlite3_bind_text(st, index, s.constData(), int(s.size()), SQLITE_TRANSIENT);
    } else
        sqlite3_bind_null(st, index);
}

}  // namespace

ReadSnapshot::ReadSnapshot(Database& db) : db_(db.onServer() ? nullptr : db.handle()) {
    if (db_ && sqlite3_exec(db_, "BEGIN DEFERRED", nullptr, nullptr, nullptr) != SQLITE_OK)
        db_ = nullptr;
}

ReadSnapshot::~ReadSnapshot() {
    if (db_) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
}

namespace {

// An integer value (not a text that reads as one: its text would be another id's).
bool integerValue(const RowView& row, int column, qint64* id) {
    return row.textBytes(column).isEmpty() && !row.isNull(column) && row.integer(column, id);
}

}  // namespace

IdOrder::IdOrder(Database& db, const QString& sql) {
    std::vector<qint64> ids;
    db.forEachRow(sql, {}, [&](const RowView& row) {
        qint64 id = 0;
        if (!valid_ || !integerValue(row, 0, &id)) {
            valid_ = false;
            return;
        }
        ids.push_back(id);
    });
    if (valid_) place(ids);
    size_ = ids.size();
}

IdOrder::IdOrder(const std::vector<qint64>& ids) : size_(ids.size()) {
    place(ids);
}

void IdOrder::place(const std::vector<qint64>& ids) {
    if (ids.empty()) return;
    const auto [low, high] = std::minmax_element(ids.begin(), ids.end());
    const bool dense = *low >= 0 && *high < 4 * qint64(ids.size()) + 1024;
    if (dense) dense_.assign(size_t(*high) + 1, -1);
    for (size_t i = 0; i < ids.size() && valid_; ++i) {
        int& place = dense ? dense_[size_t(ids[i])] : sparse_.try_emplace(ids[i], -1).first->second;
        if (place >= 0) valid_ = false;  // given twice
        place = int(i);
    }
}

int IdOrder::placeOf(const RowView& row, int column) const {
    qint64 id = 0;
    return integerValue(row, column, &id) ? placeOf(id) : -1;
}

int IdOrder::placeOf(qint64 id) const {
    if (!dense_.empty()) return id >= 0 && id < qint64(dense_.size()) ? dense_[size_t(id)] : -1;
    const auto it = sparse_.find(id);
    return it == sparse_.end() ? -1 : it->second;
}

QString valueText(const QVariant& value, jet::ColType type) {
    if (!value.isValid() || value.isNull()) return QString();
    switch (type) {
        case jet::ColType::Single:
            return singleText(toSingle(value.toDouble()));
        case jet::ColType::Currency:
            return currencyText(value.toDouble());
        case jet::ColType::Double:
            return doubleText(value.toDouble());
        default:
            break;
    }
    return textOf(value);
}

// ---- Recordset ------------------------------------------------------------------------------

namespace {
DbError noCurrentRecord() {
    return DbError(DbErrorCode::NoCurrentRecord, QStringLiteral("Nema trenutnog zapisa."));
}
}  // namespace

void Recordset::moveFirst() {
    if (rows_ == 0) throw noCurrentRecord();
    pos_ = 0;
}

void Recordset::moveLast() {
    if (rows_ == 0) throw noCurrentRecord();
    pos_ = rows_ - 1;
}

void Recordset::moveNext() {
    if (eof()) throw noCurrentRecord();
    ++pos_;
}

void Recordset::movePrevious() {
    if (bof()) throw noCurrentRecord();
    --pos_;
}

void Recordset::requireCurrent() const {
    if (eof() || bof()) throw noCurrentRecord();
    if (!deleted_.empty() && deleted_[size_t(pos_)])
        throw DbError(3167, QStringLiteral("Zapis je obrisan."));
}

int Recordset::column(const QString& field) const {
    for (int i = 0; i < names_.size(); ++i)
        if (names_[i].compare(field, Qt::CaseInsensitive) == 0) return i;
    throw DbError(DbErrorCode::ItemNotFound,
                  QStringLiteral("Polje %1 ne postoji u rezultatu upita.").arg(field));
}

QVariant Recordset::value(int c) const {
    requireCurrent();
    if (c < 0 || c >= names_.size())
        throw DbError(DbErrorCode::ItemNotFound, QStringLiteral("Polje %1 ne postoji.").arg(c));
    return cellValue(cells_[size_t(pos_) * size_t(names_.size()) + size_t(c)], types_[size_t(c)]);
}

QVariant Recordset::value(const QString& field) const {
    const int c = column(field);
    return value(c);
}

QString Recordset::text(const QString& field) const {
    const int c = column(field);
    return valueText(value(c), types_[size_t(c)]);
}

double Recordset::number(const QString& field) const {
    const QVariant v = value(field);
    if (v.typeId() == QMetaType::QString) return numberOrZero(v.toString());
    return v.toDouble();
}

void Recordset::deleteCurrent() {
    requireCurrent();
    if (table_.isEmpty() || !db_)
        throw DbError(DbErrorCode::Generic,
                      QStringLiteral("Iz ovog upita nije moguće brisati zapise."));
    if (db_->pg()) {
        if (rowidColumn_ == QLatin1String("ctid"))
            throw DbError(DbErrorCode::Generic,
                          QStringLiteral("Iz ove tablice nije moguće brisati zapise."));
        db_->server->exec(QStringLiteral("DELETE FROM %1 WHERE %2 = $1").arg(table_, rowidColumn_),
                          {rowids_[size_t(pos_)]});
        if (deleted_.empty()) deleted_.assign(size_t(rows_), false);
        deleted_[size_t(pos_)] = true;
        return;
    }
    sqlite3_stmt* st = db_->statement(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(table_));
    sqlite3_bind_int64(st, 1, rowids_[size_t(pos_)]);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (rc != SQLITE_DONE) db_->fail(rc);
    if (deleted_.empty()) deleted_.assign(size_t(rows_), false);
    deleted_[size_t(pos_)] = true;
}

namespace {

// A stored value as the windows read it: integers of number columns as doubles, ISO dates of
// date columns as dates, everything else as stored.
QVariant integerValue(qint64 integer, jet::ColType type) {
    if (type == jet::ColType::Single || type == jet::ColType::Double ||
        type == jet::ColType::Currency)
        return double(integer);
    return qlonglong(integer);
}

QVariant textValue(const char* utf8, int length, jet::ColType type) {
    const QString s = QString::fromUtf8(utf8, length);
    if (type == jet::ColType::Date) {
        const QDate d = QDate::fromString(s, Qt::ISODate);
        if (d.isValid()) return d;
    }
    return s;
}

// The column type of a server's result column, from its type oid.
jet::ColType serverColumnType(unsigned oid) {
    switch (oid) {
        case 16:  // boolean
        case 20:  // bigint
        case 21:  // smallint
        case 23:  // integer
            return jet::ColType::Long;
        case 700:
            return jet::ColType::Single;
        case 701:
            return jet::ColType::Double;
        case 1700:
            return jet::ColType::Currency;
        case 1082:
            return jet::ColType::Date;
        default:
            return jet::ColType::Text;
    }
}

QVariant serverValue(const PgResult& r, int row, int column, jet::ColType type) {
    if (r.isNull(row, column)) return QVariant();
    const char* text = r.view(row, column).data();
    switch (serverColumnType(r.typeOid(column))) {
        case jet::ColType::Long: {
            const qint64 v = text[0] == 't'   ? 1
                             : text[0] == 'f' ? 0
                                              : std::strtoll(text, nullptr, 10);
            return integerValue(v, type);
        }
        case jet::ColType::Single:
            return double(std::strtof(text, nullptr));
        case jet::ColType::Double:
        case jet::ColType::Currency:
            return std::strtod(text, nullptr);
        default:
            break;
    }
    return textValue(text, int(r.view(row, column).size()), type);
}

}  // namespace

// A cell of a server's result as the file gives it: integers, doubles (a real widened from its
// float), texts; a date column's ISO text as a date.
Recordset::Cell Recordset::serverCell(const PgResult& r, int row, int column, jet::ColType type,
                                      QByteArray* textData) {
    Recordset::Cell cell;
    if (r.isNull(row, column)) return cell;
    const char* text = r.view(row, column).data();  // ends in a NUL
    switch (type) {
        case jet::ColType::Long:
            cell.kind = Recordset::Cell::Integer;
            cell.integer = text[0] == 't'   ? 1
                           : text[0] == 'f' ? 0
                                            : std::strtoll(text, nullptr, 10);
            return cell;
        case jet::ColType::Single:
            cell.kind = Recordset::Cell::Real;
            cell.real = double(std::strtof(text, nullptr));
            return cell;
        case jet::ColType::Double:
        case jet::ColType::Currency:
            cell.kind = Recordset::Cell::Real;
            cell.real = std::strtod(text, nullptr);
            return cell;
        default:
            break;
    }
    const QByteArrayView v = r.view(row, column);
    cell.kind = Recordset::Cell::Text;
    cell.text.offset = quint32(textData->size());
    cell.text.length = quint32(v.size());
    textData->append(v.data(), v.size());
    return cell;
}

QVariant Recordset::cellValue(const Cell& cell, jet::ColType type) const {
    switch (cell.kind) {
        case Cell::Null:
            return QVariant();
        case Cell::Integer:
            return integerValue(cell.integer, type);
        case Cell::Real:
            return cell.real;
        case Cell::Text:
            break;
    }
    return textValue(textData_.constData() + cell.text.offset, int(cell.text.length), type);
}

QVariant RowView::value(int column) const {
    if (column < 0 || column >= fieldCount())
        throw DbError(DbErrorCode::ItemNotFound,
                      QStringLiteral("Polje %1 ne postoji.").arg(column));
    const jet::ColType type = (*types_)[size_t(column)];
    const int c = column + skip_;
    if (server_) return serverValue(*server_, row_, c, type);
    sqlite3_value* v = sqlite3_column_value(st_, c);
    switch (sqlite3_value_type(v)) {
        case SQLITE_NULL:
            return QVariant();
        case SQLITE_INTEGER:
            return integerValue(sqlite3_value_int64(v), type);
        case SQLITE_FLOAT:
            return sqlite3_value_double(v);
        default:
            break;
    }
    const char* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return textValue(text, sqlite3_value_bytes(v), type);
}

QString RowView::text(int column) const {
    return valueText(value(column), (*types_)[size_t(column)]);
}

bool RowView::isNull(int column) const {
    if (server_)
        return column >= 0 && column < fieldCount() && server_->isNull(row_, column + skip_);
    return column >= 0 && column < fieldCount() &&
           sqlite3_value_type(sqlite3_column_value(st_, column + skip_)) == SQLITE_NULL;
}

double RowView::number(int column) const {
    if (server_) return value(column).toDouble();
    if (column >= 0 && column < fieldCount()) {
        sqlite3_value* v = sqlite3_column_value(st_, column + skip_);
        switch (sqlite3_value_type(v)) {
            case SQLITE_NULL:
                return 0;
            case SQLITE_INTEGER:
                return double(sqlite3_value_int64(v));
            case SQLITE_FLOAT:
                return sqlite3_value_double(v);
            default:
                break;
        }
    }
    return value(column).toDouble();
}

bool RowView::integer(int column, qint64* result) const {
    if (server_) {
        const QVariant v = value(column);
        if (v.typeId() == QMetaType::LongLong) {
            *result = v.toLongLong();
            return true;
        }
        return jet::isIntegerText(v.toString(), result);
    }
    if (column >= 0 && column < fieldCount()) {
        sqlite3_value* v = sqlite3_column_value(st_, column + skip_);
        return integerOfType(column, v, sqlite3_value_type(v), result);
    }
    return jet::isIntegerText(value(column).toString(), result);
}

bool RowView::integerOfType(int column, sqlite3_value* v, int type, qint64* result) const {
    if (type == SQLITE_INTEGER) {
        // Its text has at most 18 digits exactly when isIntegerText would read it.
        constexpr qint64 kLimit = 999'999'999'999'999'999;
        const qint64 i = sqlite3_value_int64(v);
        if (i < -kLimit || i > kLimit) return false;
        *result = i;
        return true;
    }
    if (type == SQLITE_TEXT) {
        // Plain ASCII digits are read here; anything else as isIntegerText reads it.
        const auto* text = sqlite3_value_text(v);
        const int n = sqlite3_value_bytes(v);
        const int first = n > 0 && text[0] == '-' ? 1 : 0;
        if (n - first < 1 || n - first > 18 || (text[first] == '0' && n - first > 1)) return false;
        qint64 digits = 0;
        for (int i = first; i < n; ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            digits = digits * 10 + (text[i] - '0');
        }
        if (first && digits == 0) return false;  // "-0"
        *result = first ? -digits : digits;
        return true;
    }
    return jet::isIntegerText(value(column).toString(), result);
}

bool RowView::integerKey(int column, qint64* value) const {
    return key(column, value) == Key::Integer;
}

RowView::Key RowView::key(int column, qint64* value) const {
    if (column < 0 || column >= fieldCount()) return Key::Other;
    if (server_) {
        if (isNull(column)) return Key::Null;
        return integer(column, value) ? Key::Integer : Key::Other;
    }
    // A real or a blob never equals an integer key here: a column of integer affinity stores an
    // integral real as an integer.
    sqlite3_value* v = sqlite3_column_value(st_, column + skip_);
    const int type = sqlite3_value_type(v);
    if (type == SQLITE_NULL) return Key::Null;
    return (type == SQLITE_INTEGER || type == SQLITE_TEXT) && integerOfType(column, v, type, value)
               ? Key::Integer
               : Key::Other;
}

QByteArrayView RowView::textBytes(int column) const {
    if (column < 0 || column >= fieldCount()) return {};
    const int c = column + skip_;
    if (server_) {
        const jet::ColType t = (*types_)[size_t(column)];
        if (server_->isNull(row_, c) || (t != jet::ColType::Text && t != jet::ColType::Date))
            return {};
        return server_->view(row_, c);
    }
    sqlite3_value* v = sqlite3_column_value(st_, c);
    if (sqlite3_value_type(v) != SQLITE_TEXT) return {};
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return QByteArrayView(text, sqlite3_value_bytes(v));
}

void Recordset::close() {
    *this = Recordset();
}

// ---- Database -------------------------------------------------------------------------------

Database::~Database() = default;
Database::Database(Database&&) noexcept = default;
Database& Database::operator=(Database&&) noexcept = default;

QString Database::path() const {
    return d_ ? d_->path : QString();
}
sqlite3* Database::handle() const {
    return d_ ? d_->db : nullptr;
}
void Database::check(int rc) const {
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) return;
    if (!d_) throw DbError(DbErrorCode::Generic, QStringLiteral("Baza podataka nije otvorena."));
    d_->fail(rc);
}

void Database::close() {
    d_.reset();
}

namespace {
std::atomic<bool> testTriggers{false};
}  // namespace

void allowTriggersForTesting(bool allowed) {
    testTriggers = allowed;
}
bool triggersAllowedForTesting() {
    return testTriggers;
}

namespace {

// Bounds every connection of the program keeps, whatever file it opens: the engine's features
// the program never uses are off (views, triggers, functions run from a file's schema, writes
// to the schema itself), values are limited in length, and a statement is stopped after
// kStatementStepLimit steps of the virtual machine.
void configure(DatabaseImpl& impl) {
    sqlite3* db = impl.db;
    sqlite3_extended_result_codes(db, 1);
    for (const int option : {SQLITE_DBCONFIG_ENABLE_VIEW, SQLITE_DBCONFIG_TRUSTED_SCHEMA,
                             SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION})
        sqlite3_db_config(db, option, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, testTriggers ? 1 : 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kValueLengthLimit);
    sqlite3_limit(db, SQLITE_LIMIT_TRIGGER_DEPTH, 1);
    sqlite3_limit(db, SQLITE_LIMIT_COMPOUND_SELECT, 50);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 8);
    // The count of steps starts when a statement starts running.
    sqlite3_trace_v2(
        db, SQLITE_TRACE_STMT,
        [](unsigned, void* ctx, void*, void*) {
            static_cast<DatabaseImpl*>(ctx)->steps = 0;
            return 0;
        },
        &impl);
    sqlite3_progress_handler(
        db, kProgressSteps,
        [](void* ctx) {
            auto* d = static_cast<DatabaseImpl*>(ctx);
            d->steps += kProgressSteps;
            return d->steps > kStatementStepLimit ? 1 : 0;
        },
        &impl);
    sqlite3_busy_timeout(db, 3000);
}

// The one value a statement of the connection gives (a pragma); empty when it gives none.
QString pragmaValue(DatabaseImpl& impl, const QString& sql) {
    sqlite3_stmt* st = nullptr;
    const QByteArray q = sql.toUtf8();
    int rc = sqlite3_prepare_v2(impl.db, q.constData(), int(q.size()), &st, nullptr);
    QString value;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(st);
        if (rc == SQLITE_ROW)
            value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE && rc != SQLITE_OK) impl.fail(rc);
    return value;
}

// Makes the database `schema` of the connection (the file at `path`) fit for our writes: its
// schema must be the program's own (checked before anything else reads it), its journal a
// rollback journal deleted at commit (a file left in WAL mode by another tool is converted
// here, SQLite first copying the -wal file's content into it), and every commit synced down to
// the folder that held the journal.
void prepareSchema(DatabaseImpl& impl, const QString& schema, const QString& path) {
    const QString quoted =
        QLatin1Char('"') + QString(schema).remove(QLatin1Char('"')) + QLatin1Char('"');
    const int version =
        pragmaValue(impl, QStringLiteral("PRAGMA %1.user_version").arg(quoted)).toInt();
    if (version > schema::kVersion && schema::isSchemaFile(fileName(path)))
        throw DbError(DbErrorCode::ForeignSchema,
                      QStringLiteral("Datoteku %1 napravila je novija inačica programa (inačica "
                                     "baze %2, ova inačica programa zna do %3). Datoteka nije "
                                     "mijenjana; otvorite je novijom inačicom programa.")
                          .arg(fileName(path))
                          .arg(version)
                          .arg(schema::kVersion));
    int rc = SQLITE_OK;
    const QString problem = schema::foreignObjects(impl.db, schema, fileName(path), version, &rc);
    if (rc != SQLITE_OK) impl.fail(rc);
    if (!problem.isEmpty())
        throw DbError(DbErrorCode::ForeignSchema,
                      QStringLiteral("Datoteka %1 nije baza ovog programa: %2. Datoteka nije "
                                     "mijenjana; vratite je iz sigurnosne kopije.")
                          .arg(fileName(path), problem));
    const QString mode =
        pragmaValue(impl, QStringLiteral("PRAGMA %1.journal_mode=DELETE").arg(quoted));
    if (mode.compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0)
        throw DbError(DbErrorCode::Locked,
                      QStringLiteral("Bazu %1 trenutno koristi drugi program (način dnevnika "
                                     "\"%2\" nije moguće promijeniti). Pokušajte ponovno.")
                          .arg(fileName(path), mode));
    pragmaValue(impl, QStringLiteral("PRAGMA %1.synchronous=EXTRA").arg(quoted));
}

}  // namespace

Database Database::openInMemory() {
    auto impl = std::make_shared<DatabaseImpl>();
    impl->path = QStringLiteral(":memory:");
    int rc =
        sqlite3_open_v2(":memory:", &impl->db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) impl->fail(rc);
    configure(*impl);
    rc = registerJetFunctions(impl->db);
    if (rc != SQLITE_OK) impl->fail(rc);
    Database db;
    db.d_ = std::move(impl);
    return db;
}

Database Database::open(const QString& path) {
    Database db = openChecked(path);
    // A file of an earlier version of the program is brought up to this one first, in one
    // transaction; the connection is then opened again on the upgraded schema.
    if (schema::upgrade(db, fileName(path))) {
        db.close();
        db = openChecked(path);
    }
    return db;
}

Database Database::openChecked(const QString& path) {
    checkOurs(path);
    auto impl = std::make_shared<DatabaseImpl>();
    impl->path = path;
    const QByteArray p = QFile::encodeName(path);
    int rc = sqlite3_open_v2(p.constData(), &impl->db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) impl->fail(rc);
    configure(*impl);
    rc = registerJetFunctions(impl->db);
    if (rc != SQLITE_OK) impl->fail(rc);
    prepareSchema(*impl, QStringLiteral("main"), path);
    Database db;
    db.d_ = std::move(impl);
    return db;
}

Database Database::create(const QString& path) {
    const QFileInfo fi(path);
    if (fi.exists() || fi.isSymLink())
        throw DbError(DbErrorCode::DatabaseExists,
                      QStringLiteral("Baza podataka %1 već postoji.").arg(fi.fileName()));
    const QFileInfo dir(fi.absolutePath());
    if (!dir.isDir())
        throw DbError(
            DbErrorCode::CannotOpen,
            QStringLiteral("Mapa %1 ne postoji.").arg(QDir::toNativeSeparators(dir.filePath())));
    if (!dir.isWritable())
        throw DbError(
            DbErrorCode::ReadOnly,
            QStringLiteral("U mapu %1 nije dopušteno pisati; baza %2 se ne može stvoriti.")
                .arg(QDir::toNativeSeparators(dir.filePath()), fi.fileName()));

    // The new file is made whole under a temporary name and then linked into place, which fails
    // if anything appeared there meanwhile: an existing file is never replaced, and a crash
    // never leaves a half-made file under the real name. It is readable by its owner only, and
    // so is its journal (SQLite gives a journal the mode of its database).
    const QString tmp = path + QStringLiteral(".nova-%1").arg(::getpid());
    const QByteArray t = QFile::encodeName(tmp);
    // Left by a creation killed half-way (ours: the name carries our process id).
    for (const QString& left : {tmp + QStringLiteral("-journal"), tmp})
        if (QFileInfo(left).exists() || QFileInfo(left).isSymLink()) removeDurably(left);
    const auto cannotCreate = [&](int err) {
        removeDurably(tmp);
        return DbError(err == ENOSPC ? DbErrorCode::DiskFull : DbErrorCode::CannotOpen,
                       QStringLiteral("Bazu podataka %1 nije moguće stvoriti.").arg(fi.fileName()));
    };
    {
        const int fd = ::open(t.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) throw cannotCreate(errno);
        ::close(fd);
        sqlite3* raw = nullptr;
        int rc = sqlite3_open_v2(t.constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                                 nullptr);
        const QString sql = QStringLiteral(
                                "PRAGMA journal_mode=DELETE; PRAGMA synchronous=EXTRA; "
                                "PRAGMA application_id=%1; PRAGMA user_version=0;")
                                .arg(kApplicationId);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(raw, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(raw, "BEGIN; CREATE TABLE kl_init(x); DROP TABLE kl_init; COMMIT;",
                              nullptr, nullptr, nullptr);
        DatabaseImpl guard;
        guard.db = raw;
        guard.path = path;
        if (rc != SQLITE_OK) {
            removeDurably(tmp);
            guard.fail(rc);
        }
    }
    if (::link(t.constData(), QFile::encodeName(path).constData()) != 0) {
        const int err = errno;
        if (err == EEXIST) {
            removeDurably(tmp);
            throw DbError(DbErrorCode::DatabaseExists,
                          QStringLiteral("Baza podataka %1 već postoji.").arg(fi.fileName()));
        }
        // File systems without hard links: a rename that never replaces.
        bool moved = false;
        try {
            moved = renameNoReplace(tmp, path);
        } catch (const DbError&) {
        }
        if (!moved) throw cannotCreate(err);
    } else {
        syncFolder(dir.filePath());
        removeDurably(tmp);
    }
    return open(path);
}

namespace {

// The values of a translation's slots, converted to their targets, and the form of each site
// (bit n of `fast` set: site n takes its fast form).
std::vector<Bound> boundValues(const jet::Translation& tr, const QString& sql,
                               const QVariantList& params, quint64* fast) {
    if (int(params.size()) != tr.params)
        throw DbError(DbErrorCode::Generic,
                      QStringLiteral("Naredba traži %1 vrijednosti, zadano je %2.\n%3")
                          .arg(tr.params)
                          .arg(params.size())
                          .arg(sql));
    std::vector<Bound> values(tr.bindSlots.size());
    for (size_t i = 0; i < tr.bindSlots.size(); ++i) {
        const jet::Slot& s = tr.bindSlots[i];
        values[i] = convert(s.param >= 0 ? params[s.param] : s.literal, s.target);
    }
    *fast = 0;
    for (size_t n = 0; n < tr.sites.size() && n < 64; ++n) {
        const jet::Site& site = tr.sites[n];
        const Bound& b = values[size_t(site.slot)];
        if (!std::holds_alternative<QByteArray>(b)) continue;
        const QString text = QString::fromUtf8(std::get<QByteArray>(b));
        qint64 id = 0;
        if (site.kind == jet::Site::LikeNoWildcard) {
            if (!jet::hasWildcard(text)) *fast |= quint64(1) << n;
        } else if (jet::isIntegerText(text, &id)) {
            *fast |= quint64(1) << n;
            values[size_t(site.slot)] = id;
        }
    }
    return values;
}

}  // namespace

sqlite3_stmt* Database::prepare(const QString& schema, const QString& sql,
                                const QVariantList& params,
                                std::shared_ptr<const jet::Translation>& tr) {
    if (!d_) throw DbError(DbErrorCode::Generic, QStringLiteral("Baza podataka nije otvorena."));
    tr = d_->translation(schema, sql);
    quint64 fast = 0;
    const std::vector<Bound> values = boundValues(*tr, sql, params, &fast);
    sqlite3_stmt* st = d_->statement(jet::render(*tr, fast));
    for (size_t i = 0; i < values.size(); ++i)
        bindValue(st, int(i) + 1, values[i]);
    return st;
}

namespace {

struct ResetOnExit {
    sqlite3_stmt* st;
    ~ResetOnExit() {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    }
};

// The types of the result columns after the first `skip`.
std::vector<jet::ColType> columnTypes(sqlite3_stmt* st, int skip) {
    std::vector<jet::ColType> types;
    for (int c = skip; c < sqlite3_column_count(st); ++c) {
        const char* decl = sqlite3_column_decltype(st, c);
        types.push_back(decl ? jet::columnFromDeclared(QString(), QString::fromUtf8(decl)).type
                             : jet::ColType::Unknown);
    }
    return types;
}

}  // namespace

// ---- On a server ----------------------------------------------------------------------------

Database Database::openServer(const ServerAddress& address, const QString& schema,
                              const QString& password) {
    auto impl = std::make_shared<DatabaseImpl>();
    impl->path = address.describe() + QStringLiteral(", shema ") + schema;
    impl->server = std::make_unique<PgConnection>(PgConnection::connect(address, password));
    impl->serverSchema = schema;
    impl->server->exec(QStringLiteral("SET search_path = %1, pg_catalog").arg(quotedName(schema)));
    Database db;
    db.d_ = std::move(impl);
    return db;
}

namespace {

// The server schemas already checked in this run: a book is checked when first opened, not on
// every statement's connection.
struct CheckedSchemas {
    std::mutex mutex;
    std::set<std::tuple<QString, int, QString, QString>> names;
};
CheckedSchemas& checkedSchemas() {
    static CheckedSchemas c;
    return c;
}

}  // namespace

Database Database::openBook(const BookLocation& location) {
    if (!location.onServer()) return open(location.filePath());
    const ServerAddress& a = location.address();
    const auto key = std::make_tuple(a.host, a.port, a.database, location.schema());
    bool checked = false;
    {
        std::lock_guard lock(checkedSchemas().mutex);
        checked = checkedSchemas().names.count(key) > 0;
    }
    Database db = checked
                      ? openServer(a, location.schema(), serverPassword(a))
                      : server::openBook(a, location.schema(), location.kind(), serverPassword(a));
    if (!checked) {
        std::lock_guard lock(checkedSchemas().mutex);
        checkedSchemas().names.insert(key);
    }
    db.d_->location = location;
    return db;
}

bool bookExists(const BookLocation& location) {
    if (!location.onServer()) {
        const QFileInfo fi(location.filePath());
        return fi.exists() || fi.isSymLink();
    }
    PgConnection c = PgConnection::connect(location.address(), serverPassword(location.address()));
    return c.exec(QStringLiteral("SELECT 1 FROM pg_namespace WHERE nspname = $1"),
                  {location.schema()})
               .rows() > 0;
}

BookLocation Database::location() const {
    if (!d_) return {};
    return d_->pg() ? d_->location : BookLocation(d_->path);
}

void Database::attachBook(const BookLocation& location, const QString& schema) {
    if (!location.onServer()) {
        attach(location.filePath(), schema);
        return;
    }
    if (!d_->pg() || d_->server->address().host != location.address().host ||
        d_->server->address().port != location.address().port ||
        d_->server->address().database != location.address().database)
        throw DbError(DbErrorCode::Generic,
                      QStringLiteral("Knjige %1 i %2 nisu na istom mjestu; ne mogu se knjižiti "
                                     "zajedno.")
                          .arg(this->location().describe(), location.describe()));
    // The other schema is checked once per run, like a book opened on its own.
    Database::openBook(location).close();
    attachSchema(location.schema(), schema);
}

bool Database::onServer() const {
    return d_ && d_->pg();
}

void Database::attachSchema(const QString& serverSchema, const QString& schema) {
    d_->serverSchemas[schema.toLower()] = serverSchema;
    d_->schemaChanged();
}

PgResult Database::runOnServer(const QString& schema, const QString& sql,
                               const QVariantList& params,
                               std::shared_ptr<const jet::Translation>& tr) {
    tr = d_->translation(schema, sql);
    quint64 fast = 0;
    const std::vector<Bound> values = boundValues(*tr, sql, params, &fast);
    // A pattern of `like` goes to the server as the regular expression over the keys, except in
    // a site that takes its fast form (a value without wildcards, compared whole).
    std::vector<bool> fastSlot(values.size(), false);
    for (size_t n = 0; n < tr->sites.size() && n < 64; ++n)
        if ((fast >> n) & 1) fastSlot[size_t(tr->sites[n].slot)] = true;
    std::vector<std::optional<QByteArray>> texts(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const Bound& b = values[i];
        if (std::holds_alternative<qint64>(b)) {
            texts[i] = QByteArray::number(std::get<qint64>(b));
        } else if (std::holds_alternative<double>(b)) {
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.17g", std::get<double>(b));
            texts[i] = QByteArray(buf);
        } else if (std::holds_alternative<QByteArray>(b)) {
            texts[i] = tr->bindSlots[i].likePattern && !fastSlot[i]
                           ? pg::likeRegex(QString::fromUtf8(std::get<QByteArray>(b))).toUtf8()
                           : std::get<QByteArray>(b);
        }
    }
    const QByteArray statement = jet::numberedPlaceholders(jet::render(*tr, fast)).toUtf8();
    // A statement that changes the schema runs once; the others are prepared and kept.
    PgResult r = tr->changesSchema ? d_->server->execTexts(statement, texts)
                                   : d_->server->execPrepared(statement, texts);
    d_->serverChanges = r.affected();
    if (tr->returnsId && r.rows() > 0) d_->serverLastId = r.integer(0, 0);
    if (tr->changesSchema) {
        d_->schemaChanged();
        d_->server->forgetPrepared();
    }
    return r;
}

namespace {

std::vector<jet::ColType> serverColumnTypes(const PgResult& r, int skip) {
    std::vector<jet::ColType> types;
    for (int c = skip; c < r.columns(); ++c)
        types.push_back(serverColumnType(r.typeOid(c)));
    return types;
}

}  // namespace

void Database::execOwn(const QString& sql) {
    if (d_->pg())
        d_->server->exec(sql);
    else
        d_->exec(sql.toUtf8().constData());
}

// ---- Statements ---------------------------------------------------------------------------

void Database::forEachRow(const QString& sql, const QVariantList& params,
                          const std::function<void(const RowView&)>& row) {
    if (!d_) throw DbError(DbErrorCode::Generic, QStringLiteral("Baza podataka nije otvorena."));
    if (d_->pg()) {
        std::shared_ptr<const jet::Translation> tr;
        const PgResult r = runOnServer({}, sql, params, tr);
        if (tr->kind != jet::StatementKind::Select)
            throw DbError(DbErrorCode::Generic, QStringLiteral("Upit nije select: %1").arg(sql));
        const int skip = tr->rowidTable.isEmpty() ? 0 : 1;
        const std::vector<jet::ColType> types = serverColumnTypes(r, skip);
        RowView view(&r, &types, skip);
        for (int i = 0; i < r.rows(); ++i) {
            view.row_ = i;
            row(view);
        }
        return;
    }
    std::shared_ptr<const jet::Translation> tr;
    sqlite3_stmt* st = prepare({}, sql, params, tr);
    ResetOnExit reset{st};
    if (tr->kind != jet::StatementKind::Select)
        throw DbError(DbErrorCode::Generic, QStringLiteral("Upit nije select: %1").arg(sql));
    const int skip = tr->rowidTable.isEmpty() ? 0 : 1;
    const std::vector<jet::ColType> types = columnTypes(st, skip);
    const RowView view(st, &types, skip);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        row(view);
    if (rc != SQLITE_DONE) d_->fail(rc);
}

void Database::run(const QString& schema, const QString& sql, const QVariantList& params,
                   Recordset* rs) {
    if (d_ && d_->pg()) {
        std::shared_ptr<const jet::Translation> tr;
        const PgResult result = runOnServer(schema, sql, params, tr);
        if (!rs) return;
        if (tr->kind != jet::StatementKind::Select)
            throw DbError(DbErrorCode::Generic, QStringLiteral("Upit nije select: %1").arg(sql));
        const int skip = tr->rowidTable.isEmpty() ? 0 : 1;
        Recordset r;
        r.db_ = d_;
        r.table_ = tr->rowidTable;
        r.rowidColumn_ = tr->rowidColumn;
        for (int c = skip; c < result.columns(); ++c)
            r.names_ << result.columnName(c);
        r.types_ = serverColumnTypes(result, skip);
        const bool rowids = skip && tr->rowidColumn != QLatin1String("ctid");
        for (int row = 0; row < result.rows(); ++row) {
            if (rowids) r.rowids_.push_back(result.integer(row, 0));
            for (int c = skip; c < result.columns(); ++c)
                r.cells_.push_back(Recordset::serverCell(result, row, c, r.types_[size_t(c - skip)],
                                                         &r.textData_));
            ++r.rows_;
        }
        *rs = std::move(r);
        return;
    }
    std::shared_ptr<const jet::Translation> tr;
    sqlite3_stmt* st = prepare(schema, sql, params, tr);
    ResetOnExit reset{st};
    if (rs && tr->kind != jet::StatementKind::Select)
        throw DbError(DbErrorCode::Generic, QStringLiteral("Upit nije select: %1").arg(sql));

    if (rs) {
        const int skip = tr->rowidTable.isEmpty() ? 0 : 1;
        const int n = sqlite3_column_count(st);
        Recordset r;
        r.db_ = d_;
        r.table_ = tr->rowidTable;
        for (int c = skip; c < n; ++c)
            r.names_ << QString::fromUtf8(sqlite3_column_name(st, c));
        r.types_ = columnTypes(st, skip);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            if (skip) r.rowids_.push_back(sqlite3_column_int64(st, 0));
            for (int c = skip; c < n; ++c) {
                Recordset::Cell cell;
                sqlite3_value* v = sqlite3_column_value(st, c);
                switch (sqlite3_value_type(v)) {
                    case SQLITE_NULL:
                        break;
                    case SQLITE_INTEGER:
                        cell.kind = Recordset::Cell::Integer;
                        cell.integer = sqlite3_value_int64(v);
                        break;
                    case SQLITE_FLOAT:
                        cell.kind = Recordset::Cell::Real;
                        cell.real = sqlite3_value_double(v);
                        break;
                    default: {
                        const char* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
                        const int length = sqlite3_value_bytes(v);
                        cell.kind = Recordset::Cell::Text;
                        cell.text.offset = quint32(r.textData_.size());
                        cell.text.length = quint32(length);
                        r.textData_.append(text, length);
                        break;
                    }
                }
                r.cells_.push_back(cell);
            }
            ++r.rows_;
        }
        if (rc != SQLITE_DONE) d_->fail(rc);
        *rs = std::move(r);
    } else {
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) d_->fail(rc);
    }
    if (tr->changesSchema) d_->schemaChanged();
}

void Database::execute(const QString& sql, const QVariantList& params) {
    run({}, sql, params, nullptr);
}

Recordset Database::openRecordset(const QString& sql, const QVariantList& params) {
    Recordset rs;
    run({}, sql, params, &rs);
    return rs;
}

void Database::executeIn(const QString& schema, const QString& sql, const QVariantList& params) {
    run(schema, sql, params, nullptr);
}

Recordset Database::openRecordsetIn(const QString& schema, const QString& sql,
                                    const QVariantList& params) {
    Recordset rs;
    run(schema, sql, params, &rs);
    return rs;
}

int Database::changes() const {
    if (d_ && d_->pg()) return d_->serverChanges;
    return d_ ? sqlite3_changes(d_->db) : 0;
}
qint64 Database::lastInsertId() const {
    if (d_ && d_->pg()) return d_->serverLastId;
    return d_ ? sqlite3_last_insert_rowid(d_->db) : 0;
}

void Database::attach(const QString& path, const QString& schema) {
    if (d_->pg())
        throw DbError(DbErrorCode::Generic,
                      QStringLiteral("Knjiga na poslužitelju ne može se povezati s datotekom %1.")
                          .arg(fileName(path)));
    checkOurs(path);
    sqlite3_stmt* st = nullptr;
    const QString name = QString(schema).remove(QLatin1Char('"'));
    const QString sql = QStringLiteral("ATTACH DATABASE ?1 AS \"%1\"").arg(name);
    const QByteArray q = sql.toUtf8();
    int rc = sqlite3_prepare_v2(d_->db, q.constData(), int(q.size()), &st, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray p = QFile::encodeName(path);
        sqlite3_bind_text(st, 1, p.constData(), int(p.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE && rc != SQLITE_OK) d_->fail(rc);
    d_->schemaChanged();
    try {
        prepareSchema(*d_, name, path);
    } catch (const DbError&) {
        detach(name);
        throw;
    }
    // A file of an earlier version is upgraded on a connection of its own and attached again.
    const int version =
        pragmaValue(*d_, QStringLiteral("PRAGMA \"%1\".user_version").arg(name)).toInt();
    if (version >= 1 && version < schema::kVersion && schema::isSchemaFile(fileName(path))) {
        detach(name);
        open(path).close();
        attach(path, schema);
    }
}

void Database::detach(const QString& schema) {
    if (d_->pg()) {
        d_->serverSchemas.erase(schema.toLower());
        d_->schemaChanged();
        return;
    }
    d_->clearStatements();
    const QString sql =
        QStringLiteral("DETACH DATABASE \"%1\"").arg(QString(schema).replace('"', QString()));
    d_->exec(sql.toUtf8().constData());
    d_->schemaChanged();
}

void Database::begin() {
    // On a server every transaction is serializable: one that meets another's changes is
    // cancelled by the server (ServerConflict) rather than writing over them.
    execOwn(d_->pg() ? QStringLiteral("BEGIN ISOLATION LEVEL SERIALIZABLE")
                     : QStringLiteral("BEGIN IMMEDIATE"));
}
void Database::commit() {
    execOwn(QStringLiteral("COMMIT"));
}
void Database::rollback() {
    if (inTransaction()) execOwn(QStringLiteral("ROLLBACK"));
}
bool Database::inTransaction() const {
    if (d_ && d_->pg()) return d_->server->inTransaction();
    return d_ && !sqlite3_get_autocommit(d_->db);
}

int Database::userVersion() const {
    if (d_->pg()) {
        // A schema's version is kept in a table of its own (a file keeps it in its header).
        if (!d_->tableColumns({}, QStringLiteral("kl_verzija"))) return 0;
        const PgResult r = d_->server->exec(QStringLiteral("SELECT verzija FROM kl_verzija"));
        return r.rows() > 0 ? int(r.integer(0, 0)) : 0;
    }
    sqlite3_stmt* st = d_->statement(QStringLiteral("PRAGMA user_version"));
    int v = 0;
    if (sqlite3_step(st) == SQLITE_ROW) v = sqlite3_column_int(st, 0);
    sqlite3_reset(st);
    return v;
}

void Database::setUserVersion(int version) {
    if (d_->pg()) {
        d_->server->exec(
            QStringLiteral("CREATE TABLE IF NOT EXISTS kl_verzija (verzija integer); "
                           "DELETE FROM kl_verzija"));
        d_->server->exec(QStringLiteral("INSERT INTO kl_verzija VALUES ($1)"), {version});
        d_->schemaChanged();
        return;
    }
    d_->exec(QStringLiteral("PRAGMA user_version=%1").arg(version).toUtf8().constData());
}

bool Database::hasTable(const QString& table, const QString& schema) const {
    return d_ && d_->tableColumns(schema, table) != nullptr;
}

bool Database::hasIndex(const QString& table, const QString& index, const QString& schema) const {
    if (!d_) return false;
    if (d_->pg())
        return d_->server
                   ->exec(QStringLiteral("SELECT 1 FROM pg_indexes WHERE schemaname = $1 AND "
                                         "tablename = $2 AND indexname = $3"),
                          {d_->schemaOnServer(schema), table.toLower(), index.toLower()})
                   .rows() > 0;
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(
        d_->db, "SELECT 1 FROM pragma_index_list(?1, ?2) WHERE name = ?3 COLLATE NOCASE", -1, &st,
        nullptr);
    const QByteArray t = table.toUtf8(), i = index.toUtf8();
    const QByteArray s = (schema.isEmpty() ? QStringLiteral("main") : schema).toUtf8();
    if (rc == SQLITE_OK) {
        sqlite3_bind_text(st, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, s.constData(), int(s.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, i.constData(), int(i.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) d_->fail(rc);
    return rc == SQLITE_ROW;
}

QStringList Database::tableNames() const {
    QStringList names;
    if (d_->pg()) {
        const PgResult r = d_->server->exec(
            QStringLiteral("SELECT table_name FROM information_schema.tables WHERE "
                           "table_schema = $1 AND table_type = 'BASE TABLE' AND table_name <> "
                           "'kl_verzija' ORDER BY table_name COLLATE \"C\""),
            {d_->serverSchema});
        for (int i = 0; i < r.rows(); ++i)
            names << r.text(i, 0);
        return names;
    }
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(
        d_->db,
        // The engine's own tables (sqlite_sequence) left out; like() is the books' own here.
        "SELECT name FROM sqlite_master WHERE type='table' AND "
        "substr(name, 1, 7) <> 'sqlite_' ORDER BY name",
        -1, &st, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        rc = SQLITE_OK;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE && rc != SQLITE_OK) d_->fail(rc);
    return names;
}

std::vector<jet::Column> Database::columns(const QString& table) const {
    const std::vector<jet::Column>* c = d_->tableColumns({}, table);
    return c ? *c : std::vector<jet::Column>();
}

namespace {
// The server's sequence behind a table's counter column, or empty.
QString serverSequence(PgConnection& c, const QString& schema, const QString& table,
                       const std::vector<jet::Column>* cols) {
    if (!cols) return {};
    for (const jet::Column& col : *cols) {
        if (col.type != jet::ColType::Counter) continue;
        auto quote = [](QString n) { return QLatin1Char('"') + n.replace('"', "\"\"") + '"'; };
        const PgResult r =
            c.exec(QStringLiteral("SELECT pg_get_serial_sequence($1, $2)"),
                   {quote(schema) + QLatin1Char('.') + quote(table.toLower()), col.name.toLower()});
        return r.rows() > 0 && !r.isNull(0, 0) ? r.text(0, 0) : QString();
    }
    return {};
}
}  // namespace

qint64 Database::idCounter(const QString& table) const {
    if (d_->pg()) {
        const QString seq =
            serverSequence(*d_->server, d_->serverSchema, table, d_->tableColumns({}, table));
        if (seq.isEmpty()) return 0;
        const PgResult r = d_->server->exec(
            QStringLiteral("SELECT CASE WHEN is_called THEN last_value ELSE 0 END FROM %1")
                .arg(seq));
        return r.integer(0, 0);
    }
    sqlite3_stmt* st = nullptr;
    // A database whose counters never counted has no sqlite_sequence yet: every counter is 0.
    if (sqlite3_prepare_v2(d_->db, "SELECT seq FROM sqlite_sequence WHERE name=?1", -1, &st,
                           nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return 0;
    }
    const QByteArray t = table.toUtf8();
    sqlite3_bind_text(st, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(st);
    const qint64 value = rc == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
    sqlite3_finalize(st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) d_->fail(rc);
    return value;
}

void Database::setIdCounter(const QString& table, qint64 value) {
    if (d_->pg()) {
        const QString seq =
            serverSequence(*d_->server, d_->serverSchema, table, d_->tableColumns({}, table));
        if (seq.isEmpty()) return;
        // A sequence starts at 1: "nothing given yet" is 1, not called.
        d_->server->exec(QStringLiteral("SELECT setval($1, $2, $3)"),
                         {seq, qMax<qint64>(value, 1), value > 0});
        return;
    }
    const QByteArray t = table.toUtf8();
    for (const char* sql : {"INSERT INTO sqlite_sequence(name,seq) SELECT ?1,?2 WHERE NOT "
                            "EXISTS(SELECT 1 FROM sqlite_sequence WHERE name=?1)",
                            "UPDATE sqlite_sequence SET seq=?2 WHERE name=?1"}) {
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(d_->db, sql, -1, &st, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_bind_text(st, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(st, 2, value);
            rc = sqlite3_step(st);
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) d_->fail(rc);
    }
}

QString Database::serverSchema() const {
    return d_ && d_->pg() ? d_->serverSchema : QString();
}
void Database::lockBooks(const QStringList& books) {
    if (!d_ || !d_->pg()) return;
    QStringList sorted = books;
    sorted.sort();
    sorted.removeDuplicates();
    // Session locks, taken before the transaction begins so that its snapshot already sees the
    // previous writer's commit; a client that dies loses them with its connection.
    for (const QString& book : sorted)
        d_->server->exec(QStringLiteral("SELECT pg_advisory_lock(hashtextextended($1, 0))"),
                         {QStringLiteral("knjige-lumen:") + book});
}

void Database::unlockBooks(const QStringList& books) {
    if (!d_ || !d_->pg()) return;
    for (const QString& book : books)
        d_->server->exec(QStringLiteral("SELECT pg_advisory_unlock(hashtextextended($1, 0))"),
                         {QStringLiteral("knjige-lumen:") + book});
}

PgConnection* Database::serverConnection() const {
    return d_ && d_->pg() ? d_->server.get() : nullptr;
}

void pauseBeforeRetry(int attempt) {
    // A few milliseconds, growing: the other writer finishes meanwhile.
    QThread::msleep(static_cast<unsigned long>(std::min(2 * attempt, 50)));
}

// ---- Transaction ----------------------------------------------------------------------------

Transaction::Transaction(Database& db) : db_(db) {
    if (db.inTransaction()) {
        savepoint_ = QStringLiteral("kl_sp%1").arg(++db.d_->savepoints);
        db.execOwn(QStringLiteral("SAVEPOINT %1").arg(savepoint_));
    } else {
        db.begin();
    }
}

void Transaction::commit() {
    if (savepoint_.isEmpty())
        db_.commit();
    else
        db_.execOwn(QStringLiteral("RELEASE %1").arg(savepoint_));
    done_ = true;
}

Transaction::~Transaction() {
    if (done_ || !db_.isOpen()) return;
    // A failed statement may already have ended the transaction; nothing more to undo then.
    if (!db_.inTransaction()) return;
    const QString sql = savepoint_.isEmpty()
                            ? QStringLiteral("ROLLBACK")
                            : QStringLiteral("ROLLBACK TO %1; RELEASE %1").arg(savepoint_);
    if (db_.onServer()) {
        try {
            db_.execOwn(sql);
        } catch (const DbError&) {
            // The connection is gone, and with it the transaction.
        }
        return;
    }
    sqlite3_exec(db_.handle(), sql.toUtf8().constData(), nullptr, nullptr, nullptr);
}

}  // namespace kl
