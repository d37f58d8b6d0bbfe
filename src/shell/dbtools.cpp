#include "shell/dbtools.h"

#include "data/appcontext.h"
#include "data/database.h"
#include "data/dberror.h"
#include "data/fileops.h"
#include "data/jetfunctions.h"
#include "data/schema.h"
#include "data/serverbooks.h"
#include "shell/books.h"
#include "shell/companies.h"
#include "shell/companymove.h"
#include "shell/companyserver.h"
#include "shell/instancelock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QUrl>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <optional>

namespace kl {

namespace {

const QString kBackupFolder = QStringLiteral("Sigurnosne kopije");
const QString kStampFormat = QStringLiteral("yyyy-MM-dd HH.mm.ss");
constexpr int kNameWidth = 18;
constexpr int kLabelWidth = 34;

// "Skladiste7.mdb", "Proizvodnja3.mdb": kind and number of a book file.
const QRegularExpression& bookFilePattern() {
    static const QRegularExpression re(QStringLiteral("^(Skladiste|Proizvodnja)(\\d+)\\.mdb$"));
    return re;
}

// Book files sort by kind, then by number.
bool bookOrder(const QString& a, const QString& b) {
    const auto ma = bookFilePattern().match(a);
    const auto mb = bookFilePattern().match(b);
    if (ma.captured(1) != mb.captured(1)) return ma.captured(1) > mb.captured(1);
    return ma.captured(2).toLongLong() < mb.captured(2).toLongLong();
}

// The database file names in `folder`: the register first, then the books.
QStringList databaseNames(const QString& folder) {
    QStringList books;
    bool master = false;
    const QStringList all = QDir(folder).entryList({QStringLiteral("*.mdb")}, QDir::Files);
    for (const QString& name : all) {
        if (name == kMasterFileName)
            master = true;
        else if (isDatabaseFileName(name))
            books << name;
    }
    std::sort(books.begin(), books.end(), bookOrder);
    if (master) books.prepend(kMasterFileName);
    return books;
}

// The register's description of each book file: "company - book".
QHash<QString, QString> bookLabels() {
    QHash<QString, QString> labels;
    try {
        Database db = Database::open(context().masterPath());
        QHash<QString, QString> companies;
        for (Recordset rs = db.openRecordset(QStringLiteral("select id,ime from svetvrtke"));
             !rs.eof(); rs.moveNext())
            companies.insert(rs.text(QStringLiteral("id")), rs.text(QStringLiteral("ime")));
        for (Recordset rs = db.openRecordset(
                 QStringLiteral("select id,idtvrtke,nazivknjige,vrstaknjige from otvoreneknjige"));
             !rs.eof(); rs.moveNext()) {
            // A row that names no book file of ours labels nothing.
            const QString kind = rs.text(QStringLiteral("vrstaknjige")).trimmed();
            const QString id = rs.text(QStringLiteral("id")).trimmed();
            if (!isBookRow(kind, id)) continue;
            const QString file = bookFileName(kind, id).mid(1);
            labels.insert(file, companies.value(rs.text(QStringLiteral("idtvrtke")).trimmed()) +
                                    QStringLiteral(" - ") + rs.text(QStringLiteral("nazivknjige")));
        }
    } catch (const DbError&) {
        // Without the register the books are listed by file name only.
    }
    return labels;
}

// SQLite's integrity check of an open database: "ok" or its messages.
QStringList integrityMessages(Database& db) {
    QStringList messages;
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db.handle(), "PRAGMA integrity_check", -1, &st, nullptr);
    if (rc == SQLITE_OK) rc = SQLITE_ROW;
    while (rc == SQLITE_ROW && (rc = sqlite3_step(st)) == SQLITE_ROW)
        messages << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) messages << QString::fromUtf8(sqlite3_errstr(rc));
    return messages;
}

bool isWhole(const QStringList& messages) {
    return messages == QStringList{QStringLiteral("ok")};
}

QString reportLine(const QString& name, const QString& label, const QString& state) {
    return name.leftJustified(kNameWidth) + QLatin1Char(' ') +
           label.left(kLabelWidth).leftJustified(kLabelWidth) + QLatin1Char(' ') + state +
           QStringLiteral("\r\n");
}

QString reportHeading(const QString& title) {
    return title + QStringLiteral("\r\n") + QStringLiteral("Mapa: ") +
           QDir::toNativeSeparators(context().programFolder) + QStringLiteral("\r\n") +
           QStringLiteral("Datum: ") +
           QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm")) +
           QStringLiteral("\r\n\r\n") +
           reportLine(QStringLiteral("Baza"), QStringLiteral("Knjiga"), QStringLiteral("Stanje")) +
           QString(kNameWidth + kLabelWidth + 10, QLatin1Char('-')) + QStringLiteral("\r\n");
}

// The sheet of a tool's report: the first three lines of its heading (title, folder, date) as
// its title rows.
sheet::Sheet toolSheet(const QString& reportHeading, const QString& name, QStringList heading) {
    sheet::Sheet table;
    table.name = name;
    table.titleLines = reportHeading.split(QStringLiteral("\r\n")).mid(0, 3);
    table.heading = std::move(heading);
    return table;
}

double kilobytes(qint64 bytes) {
    return std::round(double(bytes) / 1024.0);
}

QString sizeText(qint64 bytes) {
    return QString::number(double(bytes) / 1024.0, 'f', 0) + QStringLiteral(" KB");
}

// ---- Back-up copies and restores -----------------------------------------------------------

const QString kManifestName = QStringLiteral("kopija.json");
// A back-up being made; the list never shows a name starting with '.'.
const QString kStagingPrefix = QStringLiteral(".u-izradi-");
const QString kRecordName = QStringLiteral("vracanje-kopije.json");
const QString kNewSuffix = QStringLiteral(".vracanje-novo");
const QString kOldSuffix = QStringLiteral(".vracanje-staro");
const QString kKeptSuffix = QStringLiteral(".neispravna-");
constexpr int kManifestFormat = 1;
// In the manifest of a server company's copy: the company, its server and register schema.
const QString kServerKey = QStringLiteral("posluzitelj");
constexpr int kRecordFormat = 1;
constexpr qint64 kMaxSmallFile = 1 << 20;

// Files SQLite keeps beside a database while it changes it.
bool isJournalName(const QString& name) {
    return name.endsWith(QLatin1String("-journal")) || name.endsWith(QLatin1String("-wal")) ||
           name.endsWith(QLatin1String("-shm")) || name.contains(QLatin1String("-mj"));
}

// Something at `path`, a dangling symbolic link too.
bool exists(const QString& path) {
    const QFileInfo fi(path);
    return fi.exists() || fi.isSymLink();
}

// A journal SQLite would play back into whatever file then has its database's name: one whose
// header has not been zeroed (a committed or stale one starts with a zero byte).
bool mayBeHotJournal(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return exists(path);
    const QByteArray first = f.read(1);
    return !first.isEmpty() && first[0] != '\0';
}

// A small file of ours (a manifest, a record): read whole, never through a symbolic link.
std::optional<QByteArray> readSmallFile(const QString& path) {
    const QFileInfo fi(path);
    if (fi.isSymLink() || !fi.isFile() || fi.size() > kMaxSmallFile) return std::nullopt;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    return f.readAll();
}

std::optional<QJsonObject> readJson(const QString& path) {
    const auto bytes = readSmallFile(path);
    if (!bytes) return std::nullopt;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(*bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
    return doc.object();
}

// A list of database names from JSON: every entry one of our database names, none twice.
std::optional<QStringList> databaseNameList(const QJsonValue& value) {
    if (!value.isArray()) return std::nullopt;
    QStringList names;
    for (const QJsonValue& v : value.toArray()) {
        const QString name = v.toString();
        if (!isDatabaseFileName(name) || names.contains(name)) return std::nullopt;
        names << name;
    }
    return names;
}

// A database file opened only for reading and as immutable: SQLite then never looks at a
// journal beside it, so nothing a crafted file holds can be rolled back or deleted.
class SealedDatabase {
  public:
    explicit SealedDatabase(const QString& path) {
        const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())
                                   .toString(QUrl::FullyEncoded)
                                   .toUtf8() +
                               "?mode=ro&immutable=1";
        ok_ = sqlite3_open_v2(uri.constData(), &db_,
                              SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                              nullptr) == SQLITE_OK &&
              registerJetFunctions(db_) == SQLITE_OK;
    }
    ~SealedDatabase() { sqlite3_close(db_); }
    SealedDatabase(const SealedDatabase&) = delete;
    SealedDatabase& operator=(const SealedDatabase&) = delete;

    bool ok() const { return ok_; }
    // The rows of a fixed statement as text; nullopt when it fails.
    std::optional<std::vector<QStringList>> rows(const char* sql) const {
        if (!ok_) return std::nullopt;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &st, nullptr) != SQLITE_OK) return std::nullopt;
        std::vector<QStringList> out;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
            out.push_back(row);
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) return std::nullopt;
        return out;
    }
    QString value(const char* sql) const {
        const auto r = rows(sql);
        return r && !r->empty() && !r->front().isEmpty() ? r->front().front() : QString();
    }

  private:
    sqlite3* db_ = nullptr;
    bool ok_ = false;
};

QStringList expectedTables(const QString& name, int version) {
    const QStringList statements = name == kMasterFileName ? schema::masterTables(version)
                                   : name.startsWith(kProductionKind)
                                       ? schema::productionTables()
                                       : schema::warehouseTables(version);
    static const QRegularExpression table(QStringLiteral("^create table (\\w+)"),
                                          QRegularExpression::CaseInsensitiveOption);
    QStringList tables;
    for (const QString& sql : statements)
        if (const auto m = table.match(sql); m.hasMatch()) tables << m.captured(1).toLower();
    return tables;
}

// A file of ours whose making was cut short: stamped, at schema version 0 and without a single
// table, so it holds no data (the schema and the version are written in one transaction).
bool isUnfinishedEmpty(const QString& path) {
    const SealedDatabase db(path);
    return db.ok() && db.value("pragma application_id") == QString::number(kApplicationId) &&
           db.value("pragma user_version") == QLatin1String("0") &&
           db.value("select count(*) from sqlite_master") == QLatin1String("0");
}

// Empty when the file is a whole, complete database of ours of the kind its name says; else why
// not. The file is only read (sealed), never changed.
QString databaseProblem(const QString& path, const QString& name) {
    QFile f(path);
    if (QFileInfo(path).isSymLink() || !f.open(QIODevice::ReadOnly))
        return QStringLiteral("datoteku nije moguće pročitati");
    f.close();
    if (!hasOurStamp(path))
        return QStringLiteral("nije baza podataka ovog programa ili je oštećena");
    const SealedDatabase db(path);
    if (!db.ok()) return QStringLiteral("bazu nije moguće otvoriti");
    // A copy made by an earlier version of the program is upgraded when it is next opened.
    bool number = false;
    const QString versionText = db.value("pragma user_version");
    const int version = versionText.toInt(&number);
    if (!number || version < 1 || version > schema::kVersion)
        return QStringLiteral("baza nije dovršena ili je drugog izdanja (verzija %1)")
            .arg(versionText.isEmpty() ? QStringLiteral("?") : versionText);
    const auto tables = db.rows("select lower(name) from sqlite_master where type='table'");
    if (!tables) return QStringLiteral("baza je oštećena (popis tablica nije čitljiv)");
    QStringList present;
    for (const QStringList& r : *tables)
        present << r.value(0);
    for (const QString& t : expectedTables(name, version))
        if (!present.contains(t)) return QStringLiteral("u bazi nema tablice %1").arg(t);
    const auto check = db.rows("pragma integrity_check");
    if (!check || check->size() != 1 || check->front().value(0) != QLatin1String("ok"))
        return QStringLiteral("baza je oštećena (provjera cjelovitosti: %1)")
            .arg(check && !check->empty() ? check->front().value(0).left(80)
                                          : QStringLiteral("nije izvršena"));
    return {};
}

DbError diskError(int err, const QString& what) {
    return DbError(err == ENOSPC || err == EDQUOT                  ? DbErrorCode::DiskFull
                   : err == EACCES || err == EPERM || err == EROFS ? DbErrorCode::ReadOnly
                                                                   : DbErrorCode::IoError,
                   err == ENOSPC || err == EDQUOT
                       ? QStringLiteral("Na disku nema dovoljno mjesta (%1).").arg(what)
                       : QStringLiteral("Datoteku %1 nije moguće zapisati (%2).")
                             .arg(what, QString::fromLocal8Bit(std::strerror(err))));
}

// A new, empty file readable by its owner only; DbError when it cannot be made.
void createPrivateFile(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) throw diskError(errno, QFileInfo(path).fileName());
    ::close(fd);
}

// Copies the database `source` into the new file `target` (0600) with SQLite's online back-up,
// which waits while another connection writes; the copy keeps a rollback journal and is synced.
// Returns why the source cannot be copied (a bad file: left out), empty on success; throws
// DbError when the copy cannot be written (a full disk: the whole back-up fails).
QString copyInto(const QString& source, const QString& target) {
    Database from;
    try {
        from = Database::open(source);
    } catch (const DbError& e) {
        return e.description();
    }
    createPrivateFile(target);
    sqlite3* to = nullptr;
    const auto closeTarget = qScopeGuard([&] { sqlite3_close(to); });
    if (sqlite3_open_v2(QFile::encodeName(target).constData(), &to,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
        throw DbError(DbErrorCode::CannotOpen,
                      QStringLiteral("Kopiju baze %1 nije moguće napraviti.")
                          .arg(QFileInfo(target).fileName()));
    sqlite3_exec(to, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    sqlite3_backup* b = sqlite3_backup_init(to, "main", from.handle(), "main");
    if (!b)
        throw DbError(DbErrorCode::Generic, QStringLiteral("Kopiranje baze nije moguće započeti."));
    int rc;
    int waited = 0;
    while ((rc = sqlite3_backup_step(b, -1)) == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        if (waited >= 5000) break;
        sqlite3_sleep(50);
        waited += 50;
    }
    sqlite3_backup_finish(b);
    if (rc == SQLITE_DONE)
        rc = sqlite3_exec(to, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    switch (rc & 0xFF) {
        case SQLITE_OK:
        case SQLITE_DONE:
            break;
        case SQLITE_FULL:
            throw diskError(ENOSPC,
                            QStringLiteral("kopija baze %1").arg(QFileInfo(source).fileName()));
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return QStringLiteral("baza je oštećena");
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            throw DbError(DbErrorCode::Locked,
                          QStringLiteral("Bazu %1 trenutno koristi drugi program. Pokušajte "
                                         "ponovno.")
                              .arg(QFileInfo(source).fileName()));
        default:
            throw DbError(DbErrorCode::IoError, QStringLiteral("Greška pri kopiranju baze %1 (%2).")
                                                    .arg(QFileInfo(source).fileName(),
                                                         QString::fromUtf8(sqlite3_errstr(rc))));
    }
    sqlite3_close(to);
    to = nullptr;
    syncFile(target);
    return {};
}

// Copies a file byte for byte into a new file (0600), synced; true when the copy's SHA-256 is
// `sha256`. DbError when it cannot be written.
bool copyFileExactly(const QString& source, const QString& target, const QString& sha256) {
    QFile in(source);
    if (QFileInfo(source).isSymLink() || !in.open(QIODevice::ReadOnly)) return false;
    const QByteArray t = QFile::encodeName(target);
    const int fd = ::open(t.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) throw diskError(errno, QFileInfo(target).fileName());
    int err = 0;
    QByteArray chunk;
    while (err == 0 && !(chunk = in.read(1 << 20)).isEmpty()) {
        for (qint64 done = 0; err == 0 && done < chunk.size();) {
            const ssize_t n = ::write(fd, chunk.constData() + done, size_t(chunk.size() - done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0)
                err = n < 0 ? errno : ENOSPC;
            else
                done += n;
        }
    }
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    ::close(fd);
    if (err != 0) {
        ::unlink(t.constData());
        throw diskError(err, QFileInfo(target).fileName());
    }
    return fileSha256(target) == sha256;
}

// The manifest of a back-up copy.
struct Manifest {
    QStringList files;  // the register first
    QHash<QString, qint64> sizes;
    QHash<QString, QString> sums;
    QDateTime taken;        // invalid when the manifest does not say
    QString serverCompany;  // a server company's copy: the company's name
};

std::optional<Manifest> manifestFrom(const QByteArray& bytes) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
    const std::optional<QJsonObject> json = doc.object();
    if (json->value(QStringLiteral("format")).toInt() != kManifestFormat) return std::nullopt;
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{64}$"));
    Manifest m;
    for (const QJsonValue& v : json->value(QStringLiteral("files")).toArray()) {
        const QJsonObject f = v.toObject();
        const QString name = f.value(QStringLiteral("name")).toString();
        const qint64 size = qint64(f.value(QStringLiteral("size")).toDouble());
        const QString sum = f.value(QStringLiteral("sha256")).toString();
        if (!isDatabaseFileName(name) || m.files.contains(name) || size <= 0 ||
            !hex.match(sum).hasMatch())
            return std::nullopt;
        m.files << name;
        m.sizes.insert(name, size);
        m.sums.insert(name, sum);
    }
    if (m.files.value(0) != kMasterFileName) return std::nullopt;
    m.taken = QDateTime::fromString(json->value(QStringLiteral("taken")).toString(), Qt::ISODate);
    m.serverCompany = json->value(kServerKey).toObject().value(QStringLiteral("tvrtka")).toString();
    return m;
}

std::optional<Manifest> readManifest(const QString& folder) {
    const auto bytes = readSmallFile(QDir(folder).filePath(kManifestName));
    return bytes ? manifestFrom(*bytes) : std::nullopt;
}

// Empty when `folder` holds exactly the files of its manifest at their sizes (and, when `deep`,
// with their checksums, each a whole database of ours); else why not.
QString manifestMismatch(const QString& folder, const Manifest& m, bool deep) {
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (name == kManifestName) continue;
        if (isJournalName(name))
            return QStringLiteral("u kopiji je dnevnik nedovršene promjene %1").arg(name);
        if (!m.files.contains(name))
            return QStringLiteral("u kopiji je datoteka %1 koja ne pripada kopiji").arg(name);
    }
    for (const QString& name : m.files) {
        const QFileInfo fi(dir.filePath(name));
        if (fi.isSymLink() || !fi.isFile())
            return QStringLiteral("u kopiji nedostaje datoteka %1").arg(name);
        if (fi.size() != m.sizes.value(name))
            return QStringLiteral("datoteka %1 u kopiji nije cijela").arg(name);
    }
    if (!deep) return {};
    for (const QString& name : m.files) {
        if (fileSha256(dir.filePath(name)) != m.sums.value(name))
            return QStringLiteral("datoteka %1 u kopiji je promijenjena ili oštećena").arg(name);
        if (const QString p = databaseProblem(dir.filePath(name), name); !p.isEmpty())
            return QStringLiteral("baza %1 u kopiji: %2").arg(name, p);
    }
    const SealedDatabase master(dir.filePath(kMasterFileName));
    const auto books = master.rows("select trim(vrstaknjige), trim(id) from otvoreneknjige");
    if (!books) return QStringLiteral("popis knjiga u kopiji nije čitljiv");
    for (const QStringList& r : *books)
        if (!isBookRow(r.value(0), r.value(1)))
            return QStringLiteral(
                       "popis tvrtki u kopiji ima knjigu neispravne vrste ili broja "
                       "(\"%1\", \"%2\")")
                .arg(r.value(0).left(20), r.value(1).left(20));
    return {};
}

const QString kOutsideName = QStringLiteral("Knjige Lumen kopija ");

// The time in the name of a copy ("2026-12-07 10.15.00", "Knjige Lumen kopija 2026-12-07
// 10.15.00 (2)"); invalid for any other name.
QDateTime copyNameTime(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral("^(?:Knjige Lumen kopija )?(\\d{4}-\\d\\d-\\d\\d "
                       "\\d\\d\\.\\d\\d\\.\\d\\d)(?: \\(\\d{1,2}\\))?$"));
    const auto m = pattern.match(name);
    return m.hasMatch() ? QDateTime::fromString(m.captured(1), kStampFormat) : QDateTime();
}

// Staging folders of back-ups a killed program did not finish.
void removeStaleStaging() {
    const QDir root(backupRoot());
    bool removed = false;
    for (const QString& name : root.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString path = root.filePath(name);
        // An empty dated folder: a kill inside the fallback of renameFolderNoReplace.
        if (copyNameTime(name).isValid() && !QFileInfo(path).isSymLink() &&
            ::rmdir(QFile::encodeName(path).constData()) == 0)
            removed = true;
        if (!name.startsWith(kStagingPrefix)) continue;
        if (QFileInfo(path).isSymLink())
            QFile::remove(path);
        else
            QDir(path).removeRecursively();
        removed = true;
    }
    if (removed) syncFolder(root.path());
}

// ---- Copies in a folder the clerk chose (a USB stick) ----------------------------------------
//
// The folder is not ours: a copy goes into a new folder of our own making, "Knjige Lumen kopija
// <date time>", made whole in a staging folder ".knjige-lumen-u-izradi-<pid>-<n>" (made new with
// mkdir, never an existing one), locked with flock while in use and marked as ours by a marker
// file naming it. Nothing there needs permissions, symbolic or hard links, so FAT and exFAT
// sticks take it. What a killed back-up left is removed at the next back-up into that folder,
// only when it is ours and nobody holds it; anything else there is never touched.

const QString kOutsideStagingPrefix = QStringLiteral(".knjige-lumen-u-izradi-");
const QString kMarkerName = QStringLiteral(".knjige-lumen-u-izradi");

QByteArray markerText(const QString& stagingName) {
    return "Knjige Lumen: sigurnosna kopija u izradi\n" + stagingName.toUtf8() + '\n';
}

// The names a back-up writes into its staging folder.
bool isStagingFileName(const QString& name) {
    if (name == kManifestName || name == kMarkerName) return true;
    const QString base =
        name.endsWith(QLatin1String("-journal")) ? name.chopped(int(strlen("-journal"))) : name;
    return isDatabaseFileName(base);
}

// Removes a staging folder of ours: only the files a back-up writes there, then the folder,
// which stays when anything else is in it. What tells that the folder is ours goes last: the
// marker is written first when it is gone (a whole copy just before its rename), so a kill
// during the removal leaves a folder still known as ours.
void removeOwnFolder(const QString& path) {
    const QDir dir(path);
    const QString marker = dir.filePath(kMarkerName);
    try {
        if (!exists(marker)) writeNewFileInPlace(marker, markerText(dir.dirName()));
        for (const QString& name :
             dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            const QString file = dir.filePath(name);
            if (name != kMarkerName && isStagingFileName(name) &&
                !(QFileInfo(file).isDir() && !QFileInfo(file).isSymLink()))
                ::unlink(QFile::encodeName(file).constData());
        }
        syncFolder(path);
        ::unlink(QFile::encodeName(marker).constData());
        syncFolder(path);
    } catch (const DbError&) {
        // Left for the next back-up there.
    }
    ::rmdir(QFile::encodeName(path).constData());
}

// A staging folder `name` at `path` is ours when it holds only what a back-up writes and its
// marker names it (or is the start of one that does), or it holds a whole copy (the marker goes
// just before the rename), or it is empty (a kill right after its mkdir).
bool isOwnStaging(const QString& path, const QString& name) {
    const QStringList entries =
        QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& e : entries)
        if (!isStagingFileName(e)) return false;
    if (entries.isEmpty()) return true;
    // A marker cut short by a kill (down to empty: killed between open and write) is ours too.
    if (const auto marker = readSmallFile(QDir(path).filePath(kMarkerName));
        marker && markerText(name).startsWith(*marker))
        return true;
    const auto m = readManifest(path);
    return m && manifestMismatch(path, *m, false).isEmpty();
}

// What killed back-ups of ours left in the folder `root` the clerk chose: staging folders of ours
// that no running back-up holds, and empty folders named like a copy (a kill inside the
// fallback of renameFolderNoReplace). An empty folder holds nothing to lose; anything else that
// is not ours stays as it is.
void removeOwnLeftovers(const QString& root) {
    const QDir dir(root);
    bool removed = false;
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString path = dir.filePath(name);
        if (QFileInfo(path).isSymLink()) continue;
        const QByteArray p = QFile::encodeName(path);
        if (copyNameTime(name).isValid()) {
            removed = ::rmdir(p.constData()) == 0 || removed;  // fails unless empty
            continue;
        }
        if (!name.startsWith(kOutsideStagingPrefix)) continue;
        const int fd = ::open(p.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && isOwnStaging(path, name)) {
            removeOwnFolder(path);
            removed = true;
        }
        ::close(fd);
    }
    if (removed) syncFolder(root);
}

// A new staging folder of ours in `root`, locked while `fd` is open, with its marker.
struct OwnStaging {
    QString path;
    int fd = -1;
    OwnStaging() = default;
    OwnStaging(const OwnStaging&) = delete;
    OwnStaging& operator=(const OwnStaging&) = delete;
    ~OwnStaging() {
        if (fd >= 0) ::close(fd);
    }
};

void makeOwnStaging(const QString& root, OwnStaging& staging) {
    QString name;
    for (int n = 1; n < 100 && staging.path.isEmpty(); ++n) {
        name = kOutsideStagingPrefix + QStringLiteral("%1-%2").arg(::getpid()).arg(n);
        const QString path = QDir(root).filePath(name);
        if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0)
            staging.path = path;
        else if (errno != EEXIST)
            throw diskError(errno, QDir::toNativeSeparators(root));
    }
    if (staging.path.isEmpty())
        throw DbError(DbErrorCode::ReadOnly,
                      QStringLiteral("U mapu %1 nije moguće spremiti kopiju.")
                          .arg(QDir::toNativeSeparators(root)));
    syncFolder(root);
    staging.fd = ::open(QFile::encodeName(staging.path).constData(),
                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (staging.fd < 0 || ::flock(staging.fd, LOCK_EX | LOCK_NB) != 0 ||
        !writeNewFileInPlace(QDir(staging.path).filePath(kMarkerName), markerText(name)))
        throw DbError(DbErrorCode::IoError, QStringLiteral("U mapu %1 nije moguće spremiti kopiju.")
                                                .arg(QDir::toNativeSeparators(root)));
}

QString labelled(const QString& fileName, const QString& label) {
    return label.isEmpty() ? fileName : QStringLiteral("%1 (%2)").arg(fileName, label);
}

// The staging folder of a new copy in `root`: a folder of our own beside a stranger's files
// outside the program folder (`own` marks it), a private one of this process in the back-up
// folder.
QString makeStaging(const QDir& root, bool outside, OwnStaging& own) {
    QString staging;
    if (outside) {
        removeOwnLeftovers(root.path());
        makeOwnStaging(root.path(), own);
        staging = own.path;
    } else {
        if (!makePrivateFolder(root.path()))
            throw DbError(DbErrorCode::ReadOnly, QStringLiteral("Mapu %1 nije moguće napraviti.")
                                                     .arg(QDir::toNativeSeparators(root.path())));
        removeStaleStaging();
        staging = root.filePath(kStagingPrefix + QString::number(::getpid()));
        if (!makePrivateFolder(staging) || !QDir(staging).isEmpty())
            throw DbError(DbErrorCode::ReadOnly,
                          QStringLiteral("U mapu %1 nije moguće spremiti kopiju.")
                              .arg(QDir::toNativeSeparators(root.path())));
    }
    return staging;
}

// Writes the copy's manifest into `staging` and puts the copy into place in `root`; returns the
// copy's folder. Throws DbError; the staging folder is then the caller's to remove.
QString placeCopy(const QString& staging, const QJsonObject& manifest, const QDir& root,
                  bool outside) {
    // Outside, the manifest is written straight under its name: the staging folder is ours and
    // locked, and a copy counts only once renamed, after the manifest is synced.
    const QByteArray manifestBytes = QJsonDocument(manifest).toJson();
    const QString manifestPath = QDir(staging).filePath(kManifestName);
    if (!(outside ? writeNewFileInPlace(manifestPath, manifestBytes)
                  : writeNewFileDurably(manifestPath, manifestBytes)))
        throw DbError(DbErrorCode::IoError,
                      QStringLiteral("Popis sadržaja kopije nije moguće zapisati."));
    if (outside) {
        // The marker goes; what is then in the folder must be exactly the copy (nobody else
        // wrote there meanwhile).
        removeDurably(QDir(staging).filePath(kMarkerName));
        const auto written = readManifest(staging);
        if (!written || !manifestMismatch(staging, *written, false).isEmpty())
            throw DbError(DbErrorCode::IoError,
                          QStringLiteral("Kopija u mapi %1 promijenjena je tijekom izrade.")
                              .arg(QDir::toNativeSeparators(root.path())));
    }
    syncFolder(staging);

    // Into place under the time it was taken: a folder of that name never exists half made.
    const QString stamp =
        (outside ? kOutsideName : QString()) + QDateTime::currentDateTime().toString(kStampFormat);
    for (int n = 1; n < 100; ++n) {
        const QString name = n == 1 ? stamp : stamp + QStringLiteral(" (%1)").arg(n);
        if (renameFolderNoReplace(staging, root.filePath(name))) {
            return root.filePath(name);
        }
    }
    throw DbError(DbErrorCode::ReadOnly, QStringLiteral("U mapu %1 nije moguće spremiti kopiju.")
                                             .arg(QDir::toNativeSeparators(root.path())));
}

// The back-up itself, into the program's back-up folder or, when `outsideRoot` is given, into a
// new folder of ours there; DbError without the "not made" heading (the caller adds its own).
QString makeBackup(BackupReport& report, const QString& outsideRoot = {}) {
    const std::vector<DatabaseFile> files = programDatabases();
    if (files.empty() || files.front().fileName != kMasterFileName)
        throw DbError(
            DbErrorCode::FileNotFound,
            QStringLiteral("U mapi programa nema popisa tvrtki (%1).").arg(kMasterFileName));
    const bool outside = !outsideRoot.isEmpty();
    const QDir root(outside ? outsideRoot : backupRoot());
    OwnStaging own;
    const QString staging = makeStaging(root, outside, own);
    auto discard = qScopeGuard([&] {
        if (outside) {
            removeOwnFolder(staging);
        } else {
            QDir(staging).removeRecursively();
        }
        try {
            syncFolder(root.path());
        } catch (const DbError&) {
        }
    });

    QJsonArray manifestFiles;
    QStringList copied, emptyFiles;
    QHash<QString, QString> labels;
    for (const DatabaseFile& f : files) {
        labels.insert(f.fileName, f.label);
        const QString target = QDir(staging).filePath(f.fileName);
        QString problem = copyInto(f.path(), target);
        if (problem.isEmpty()) problem = databaseProblem(target, f.fileName);
        if (!problem.isEmpty()) {
            if (f.fileName == kMasterFileName)
                throw DbError(DbErrorCode::Corrupt,
                              QStringLiteral("Popis tvrtki (%1) nije ispravan: %2.")
                                  .arg(kMasterFileName, problem));
            // A book whose making was cut short has no data to lose: named as such, not as bad.
            const bool empty = isUnfinishedEmpty(target);
            QFile::remove(target);
            QFile::remove(target + QStringLiteral("-journal"));
            if (empty)
                emptyFiles << f.fileName;
            else
                report.leftOut << labelled(f.fileName, f.label) + QStringLiteral(": ") + problem;
            continue;
        }
        copied << f.fileName;
        manifestFiles.append(QJsonObject{{QStringLiteral("name"), f.fileName},
                                         {QStringLiteral("size"), double(QFileInfo(target).size())},
                                         {QStringLiteral("sha256"), fileSha256(target)}});
    }

    // The register's books as the copied register has them.
    QJsonArray books;
    {
        const SealedDatabase master(QDir(staging).filePath(kMasterFileName));
        QHash<QString, QString> companies;
        for (const QStringList& r : master.rows("select trim(id), ime from svetvrtke")
                                        .value_or(std::vector<QStringList>{}))
            companies.insert(r.value(0), r.value(1));
        QStringList made;
        for (const QStringList& r : master.rows("select datoteka from kl_knjigedatoteke")
                                        .value_or(std::vector<QStringList>{}))
            made << r.value(0);
        for (const QStringList& r :
             master
                 .rows("select trim(vrstaknjige), trim(id), nazivknjige, trim(idtvrtke) from "
                       "otvoreneknjige order by id")
                 .value_or(std::vector<QStringList>{})) {
            if (!isBookRow(r.value(0), r.value(1))) continue;
            const QString file = r.value(0) + r.value(1) + QStringLiteral(".mdb");
            const QString label = companies.value(r.value(3)) + QStringLiteral(" - ") + r.value(2);
            const bool has = copied.contains(file);
            books.append(QJsonObject{{QStringLiteral("file"), file},
                                     {QStringLiteral("label"), label},
                                     {QStringLiteral("data"), has}});
            if (has || (labels.contains(file) && !emptyFiles.contains(file))) continue;
            (made.contains(file) && !emptyFiles.contains(file) ? report.missing : report.noDataYet)
                << label;
        }
    }
    const QJsonObject manifest{
        {QStringLiteral("format"), kManifestFormat},
        {QStringLiteral("taken"), QDateTime::currentDateTime().toString(Qt::ISODate)},
        {QStringLiteral("files"), manifestFiles},
        {QStringLiteral("books"), books},
    };
    const QString placed = placeCopy(staging, manifest, root, outside);
    discard.dismiss();
    report.folder = placed;
    return report.folder;
}

// The register of a server company's copy, made new at `target`: the company's row of the
// folder register with its OIB, its books as its register schema lists them (their ids and the
// id counter kept), and the files of the books in `made` recorded as made.
void writeServerRegister(const QString& id, const CompanyServer& company, const QString& target,
                         std::vector<std::pair<QString, QString>>& books, const QStringList& made) {
    if (!schema::ensureMasterDatabase(target))
        throw DbError(DbErrorCode::DatabaseExists,
                      QStringLiteral("Popis tvrtki kopije već postoji."));
    Database master = Database::open(context().masterPath());
    Database reg = Database::openBook(
        BookLocation::server(company.address, company.registerSchema, server::kRegisterKind));
    Database copy = Database::open(target);
    Transaction t(copy);
    QStringList columns{QStringLiteral("id")};
    for (const QString& c : companyColumns())
        columns << c;
    Recordset row = master.openRecordset(QStringLiteral("select ") + columns.join(u',') +
                                             QStringLiteral(" from svetvrtke where cstr(id)=?"),
                                         {id});
    if (row.eof()) throw DbError(DbErrorCode::FileNotFound, QStringLiteral("Tvrtka ne postoji."));
    QStringList marks;
    QVariantList values;
    for (int i = 0; i < int(columns.size()); ++i) {
        marks << QStringLiteral("?");
        values << row.value(i);
    }
    copy.execute(QStringLiteral("insert into svetvrtke(") + columns.join(u',') +
                     QStringLiteral(")values(") + marks.join(u',') + QStringLiteral(")"),
                 values);
    if (master.hasTable(QStringLiteral("kl_oibtvrtke")) &&
        copy.hasTable(QStringLiteral("kl_oibtvrtke"))) {
        Recordset oib = master.openRecordset(
            QStringLiteral("select idtvrtke,oib from kl_oibtvrtke where idtvrtke=?"), {id});
        for (; !oib.eof(); oib.moveNext())
            copy.execute(QStringLiteral("insert into kl_oibtvrtke(idtvrtke,oib)values(?,?)"),
                         {oib.value(0), oib.value(1)});
    }
    for (const auto& [kind, bookId] : books) {
        Recordset b = reg.openRecordset(
            QStringLiteral("select nazivknjige,adresa from otvoreneknjige where cstr(id)=?"),
            {bookId});
        copy.execute(QStringLiteral("insert into otvoreneknjige(id,idtvrtke,nazivknjige,"
                                    "vrstaknjige,adresa)values(?,?,?,?,?)"),
                     {bookId, id, b.value(0), kind, b.value(1)});
    }
    copy.setIdCounter(QStringLiteral("otvoreneknjige"),
                      reg.idCounter(QStringLiteral("otvoreneknjige")));
    recordBookFilesMade(copy, made);
    t.commit();
}

// A server company's back-up into the program's back-up folder or, when `outsideRoot` is given,
// into a new folder of ours there, made as makeBackup makes its copies (see
// backUpServerCompany).
QString makeServerBackup(const QString& id, BackupReport& report, const QString& outsideRoot = {}) {
    const std::optional<CompanyServer> company = companyServer(id);
    if (!company)
        throw DbError(DbErrorCode::FileNotFound,
                      QStringLiteral("Knjige tvrtke nisu na poslužitelju."));
    const bool outside = !outsideRoot.isEmpty();
    const QDir root(outside ? outsideRoot : backupRoot());
    OwnStaging own;
    const QString staging = makeStaging(root, outside, own);
    auto discard = qScopeGuard([&] {
        if (outside)
            removeOwnFolder(staging);
        else
            QDir(staging).removeRecursively();
        try {
            syncFolder(root.path());
        } catch (const DbError&) {
        }
    });

    // The company's books as its register schema lists them; each made one copied and checked.
    QString companyName;
    {
        Database master = Database::open(context().masterPath());
        Recordset c = master.openRecordset(
            QStringLiteral("select ime from svetvrtke where cstr(id)=?"), {id});
        companyName = c.eof() ? QString() : c.text(QStringLiteral("ime")).trimmed();
    }
    std::vector<std::pair<QString, QString>> books;  // kind, id
    QHash<QString, QString> names;                   // file -> book's name
    {
        Database reg = Database::openBook(
            BookLocation::server(company->address, company->registerSchema, server::kRegisterKind));
        Recordset rs = reg.openRecordset(
            QStringLiteral("select id,nazivknjige,vrstaknjige from otvoreneknjige order by id"));
        for (; !rs.eof(); rs.moveNext()) {
            const QString kind = rs.text(QStringLiteral("vrstaknjige")).trimmed();
            const QString bookId = rs.text(QStringLiteral("id")).trimmed();
            checkedBookFileName(kind, bookId);
            books.push_back({kind, bookId});
            names.insert(kind + bookId + QStringLiteral(".mdb"),
                         rs.text(QStringLiteral("nazivknjige")).trimmed());
        }
    }
    QJsonArray manifestFiles, bookList;
    QStringList made;
    const auto add = [&](const QString& fileName) {
        const QString target = QDir(staging).filePath(fileName);
        if (const QString problem = databaseProblem(target, fileName); !problem.isEmpty())
            throw DbError(DbErrorCode::Corrupt,
                          QStringLiteral("Kopija %1 nije ispravna: %2.").arg(fileName, problem));
        manifestFiles.append(QJsonObject{{QStringLiteral("name"), fileName},
                                         {QStringLiteral("size"), double(QFileInfo(target).size())},
                                         {QStringLiteral("sha256"), fileSha256(target)}});
    };
    for (const auto& [kind, bookId] : books) {
        const QString file = kind + bookId + QStringLiteral(".mdb");
        const QString label = companyName + QStringLiteral(" - ") + names.value(file);
        const BookLocation book =
            BookLocation::server(company->address, server::bookSchema(kind, bookId.toInt()), kind);
        const bool has = bookExists(book);
        bookList.append(QJsonObject{{QStringLiteral("file"), file},
                                    {QStringLiteral("label"), label},
                                    {QStringLiteral("data"), has}});
        if (!has) {
            report.noDataYet << label;
            continue;
        }
        const QString difference = copyServerBookToFile(book, QDir(staging).filePath(file));
        if (!difference.isEmpty())
            throw DbError(DbErrorCode::Corrupt,
                          QStringLiteral("Kopija knjige %1 razlikuje se od sheme %2 (%3).")
                              .arg(label, book.schema(), difference));
        made << file;
    }
    writeServerRegister(id, *company, QDir(staging).filePath(kMasterFileName), books, made);
    std::sort(made.begin(), made.end(), bookOrder);  // as a local back-up lists them
    add(kMasterFileName);
    for (const QString& file : std::as_const(made))
        add(file);
    for (const QString& file : std::as_const(made))
        syncFile(QDir(staging).filePath(file));
    syncFile(QDir(staging).filePath(kMasterFileName));

    const QJsonObject manifest{
        {QStringLiteral("format"), kManifestFormat},
        {QStringLiteral("taken"), QDateTime::currentDateTime().toString(Qt::ISODate)},
        {QStringLiteral("files"), manifestFiles},
        {QStringLiteral("books"), bookList},
        {kServerKey, QJsonObject{{QStringLiteral("tvrtka"), companyName},
                                 {QStringLiteral("adresa"), company->address.describe()},
                                 {QStringLiteral("shema"), company->registerSchema}}},
    };
    const QString placed = placeCopy(staging, manifest, root, outside);
    discard.dismiss();
    report.folder = placed;
    return report.folder;
}

// Brings the copy in the folder `folder` the clerk chose into the back-up folder as a copy of its
// own (staging folder, checksums compared while copying, the whole check, rename into place), so
// that a restore works only on files of ours. A copy already there with the same files is taken
// as it is. DbError with the reason as a clause when the copy is not whole.
QString importBackup(const QString& folder) {
    const auto bytes = readSmallFile(QDir(folder).filePath(kManifestName));
    const auto manifest = bytes ? manifestFrom(*bytes) : std::nullopt;
    if (!manifest)
        throw DbError(DbErrorCode::FileNotFound,
                      QStringLiteral("mapa nije sigurnosna kopija ovog programa (nema ispravnog "
                                     "popisa sadržaja %1)")
                          .arg(kManifestName));
    if (const QString problem = manifestMismatch(folder, *manifest, false); !problem.isEmpty())
        throw DbError(DbErrorCode::Corrupt, problem);
    for (const BackupInfo& b : listBackups()) {
        const auto m = readManifest(b.path);
        if (m && m->files == manifest->files && m->sums == manifest->sums) return b.path;
    }
    const QDir root(backupRoot());
    if (!makePrivateFolder(root.path()))
        throw DbError(DbErrorCode::ReadOnly, QStringLiteral("mapu %1 nije moguće napraviti")
                                                 .arg(QDir::toNativeSeparators(root.path())));
    removeStaleStaging();
    const QString staging = root.filePath(kStagingPrefix + QString::number(::getpid()));
    if (!makePrivateFolder(staging) || !QDir(staging).isEmpty())
        throw DbError(DbErrorCode::ReadOnly, QStringLiteral("u mapu %1 nije moguće spremiti kopiju")
                                                 .arg(QDir::toNativeSeparators(root.path())));
    auto discard = qScopeGuard([&] {
        QDir(staging).removeRecursively();
        try {
            syncFolder(root.path());
        } catch (const DbError&) {
        }
    });
    for (const QString& name : manifest->files)
        if (!copyFileExactly(QDir(folder).filePath(name), QDir(staging).filePath(name),
                             manifest->sums.value(name)))
            throw DbError(
                DbErrorCode::Corrupt,
                QStringLiteral("datoteka %1 u kopiji je promijenjena ili oštećena").arg(name));
    if (!writeNewFileDurably(QDir(staging).filePath(kManifestName), *bytes))
        throw DbError(DbErrorCode::IoError,
                      QStringLiteral("popis sadržaja kopije nije moguće zapisati"));
    syncFolder(staging);
    if (const QString problem = backupProblem(staging); !problem.isEmpty())
        throw DbError(DbErrorCode::Corrupt, problem);
    // Listed under the time the copy was taken.
    const QString stamp =
        (manifest->taken.isValid() ? manifest->taken : QDateTime::currentDateTime())
            .toString(kStampFormat);
    for (int n = 1; n < 100; ++n) {
        const QString name = n == 1 ? stamp : stamp + QStringLiteral(" (%1)").arg(n);
        if (renameFolderNoReplace(staging, root.filePath(name))) {
            discard.dismiss();
            return root.filePath(name);
        }
    }
    throw DbError(DbErrorCode::ReadOnly, QStringLiteral("u mapu %1 nije moguće spremiti kopiju")
                                             .arg(QDir::toNativeSeparators(root.path())));
}

// The cause of a failure without the engine's "the change was not saved" (nothing was to be
// changed by the tools that quote it).
QString causeOf(const DbError& e) {
    static const QRegularExpression notSaved(
        QStringLiteral("\\s*(Ako ste mijenjali podatke, p|P)romjena nije spremljena[.;]?"));
    QString text = e.description();
    text.remove(notSaved);
    return text.trimmed();
}

// The same as a clause inside a sentence: without its final full stop.
QString clauseOf(const DbError& e) {
    QString text = causeOf(e);
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

// ---- The restore record -------------------------------------------------------------------

struct RestoreRecord {
    QStringList restore;  // the copy's files, the register first
    QStringList existed;  // of those, the ones the program folder had before
    QStringList remove;   // book files the copy does not have
    QStringList keep;     // old files left out of the pre-restore copy: kept, not removed
    QString stamp;        // yyyyMMddHHmmss, names the kept files
    QString backup;       // the copy's folder name, for the message
    QString saved;        // the pre-restore copy's folder name, for the message
};

QString programPath(const QString& name) {
    return QDir(context().programFolder).filePath(name);
}

QByteArray recordJson(const RestoreRecord& r) {
    return QJsonDocument(
               QJsonObject{{QStringLiteral("format"), kRecordFormat},
                           {QStringLiteral("restore"), QJsonArray::fromStringList(r.restore)},
                           {QStringLiteral("existed"), QJsonArray::fromStringList(r.existed)},
                           {QStringLiteral("remove"), QJsonArray::fromStringList(r.remove)},
                           {QStringLiteral("keep"), QJsonArray::fromStringList(r.keep)},
                           {QStringLiteral("stamp"), r.stamp},
                           {QStringLiteral("backup"), r.backup},
                           {QStringLiteral("saved"), r.saved}})
        .toJson();
}

// The record as written, or nullopt when it is not one (every name checked).
std::optional<RestoreRecord> readRecord(const QJsonObject& json) {
    if (json.value(QStringLiteral("format")).toInt() != kRecordFormat) return std::nullopt;
    RestoreRecord r;
    const auto restore = databaseNameList(json.value(QStringLiteral("restore")));
    const auto existed = databaseNameList(json.value(QStringLiteral("existed")));
    const auto remove = databaseNameList(json.value(QStringLiteral("remove")));
    const auto keep = databaseNameList(json.value(QStringLiteral("keep")));
    static const QRegularExpression stamp(QStringLiteral("^[0-9]{14}$"));
    static const QRegularExpression folder(QStringLiteral("^[0-9. ()-]{1,40}$"));
    r.stamp = json.value(QStringLiteral("stamp")).toString();
    r.backup = json.value(QStringLiteral("backup")).toString();
    r.saved = json.value(QStringLiteral("saved")).toString();
    if (!restore || !existed || !remove || !keep || !restore->contains(kMasterFileName) ||
        !stamp.match(r.stamp).hasMatch() || !folder.match(r.backup).hasMatch() ||
        !folder.match(r.saved).hasMatch())
        return std::nullopt;
    r.restore = *restore;
    r.existed = *existed;
    r.remove = *remove;
    r.keep = *keep;
    for (const QString& name : r.remove)
        if (r.restore.contains(name)) return std::nullopt;
    return r;
}

struct StopForTest {};

void step(int& n) {
    if (testing::restoreStepHook && testing::restoreStepHook(n)) throw StopForTest{};
    ++n;
}

void renameOrThrow(const QString& from, const QString& to) {
    if (!renameNoReplace(from, to))
        throw DbError(DbErrorCode::IoError,
                      QStringLiteral("Datoteku %1 nije moguće preimenovati u %2.")
                          .arg(QFileInfo(from).fileName(), QFileInfo(to).fileName()));
}

// The switch from the old set to the new, from wherever it stopped: each step is done only
// when the files show it is still to be done.
void completeSwitch(const RestoreRecord& r, int& n) {
    for (const QString& name : r.restore + r.remove) {
        const QString path = programPath(name);
        const bool leaving = r.remove.contains(name) || exists(path + kNewSuffix);
        if (leaving && exists(path) && !exists(path + kOldSuffix)) {
            step(n);
            renameOrThrow(path, path + kOldSuffix);
        }
    }
    for (const QString& name : r.restore) {
        const QString path = programPath(name);
        if (!exists(path + kNewSuffix)) continue;
        step(n);
        renameOrThrow(path + kNewSuffix, path);
    }
    syncFolder(context().programFolder);
    for (const QString& name : r.restore + r.remove) {
        const QString old = programPath(name) + kOldSuffix;
        if (!exists(old)) continue;
        step(n);
        if (r.keep.contains(name)) {
            // A file the pre-restore copy could not take (a damaged book) is kept aside.
            if (!renameNoReplace(old, programPath(name) + kKeptSuffix + r.stamp))
                throw DbError(DbErrorCode::IoError,
                              QStringLiteral("Datoteku %1 nije moguće preimenovati.").arg(name));
        } else if (!removeDurably(old)) {
            throw DbError(
                DbErrorCode::IoError,
                QStringLiteral("Datoteku %1 nije moguće ukloniti.").arg(name + kOldSuffix));
        }
    }
    step(n);
    removeDurably(programPath(kRecordName));
}

// Back to the old set: the new files that came in go, the old ones come back.
void undoSwitch(const RestoreRecord& r) {
    for (const QString& name : r.restore) {
        const QString path = programPath(name);
        if (exists(path + kNewSuffix))
            removeDurably(path + kNewSuffix);
        else if (exists(path) && (!r.existed.contains(name) || exists(path + kOldSuffix)))
            removeDurably(path);
    }
    for (const QString& name : r.restore + r.remove) {
        const QString path = programPath(name);
        if (exists(path + kOldSuffix)) renameOrThrow(path + kOldSuffix, path);
    }
    removeDurably(programPath(kRecordName));
}

// Whether the switch had begun and every new file is still there (in place or staged).
bool switchCanComplete(const RestoreRecord& r) {
    bool began = false;
    for (const QString& name : r.restore + r.remove)
        began = began || exists(programPath(name) + kOldSuffix);
    for (const QString& name : r.restore) {
        const QString path = programPath(name);
        if (exists(path + kNewSuffix)) continue;
        if (!exists(path)) return false;
        began = true;
    }
    return began;
}

// Files of restores a killed program left: temporary files of the record always (the record
// itself is linked into place whole), and, when `staged` (no record exists), the staged copies
// of a restore stopped before its record: never anything of the old set.
void removeRestoreLeftovers(bool staged) {
    const QDir program(context().programFolder);
    for (const QString& name : program.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const bool copy = staged && name.endsWith(kNewSuffix) &&
                          isDatabaseFileName(name.chopped(kNewSuffix.size()));
        if (copy || name.startsWith(kRecordName + QStringLiteral(".nova-")))
            removeDurably(program.filePath(name));
    }
}

QString folderName(const QString& path) {
    return QFileInfo(path).fileName();
}

}  // namespace

QString DatabaseFile::path() const {
    return QDir(context().programFolder).filePath(fileName);
}

std::vector<DatabaseFile> programDatabases() {
    const QHash<QString, QString> labels = bookLabels();
    std::vector<DatabaseFile> files;
    for (const QString& name : databaseNames(context().programFolder))
        files.push_back(
            {name, name == kMasterFileName ? QStringLiteral("Popis tvrtki") : labels.value(name)});
    return files;
}

QString backupRoot() {
    return QDir(context().programFolder).filePath(kBackupFolder);
}

QString backupMessage(const BackupReport& report) {
    const bool whole = report.leftOut.isEmpty() && report.missing.isEmpty();
    QString text = (whole ? QStringLiteral("Sigurnosna kopija svih baza spremljena je u mapu:\n")
                          : QStringLiteral("Sigurnosna kopija spremljena je u mapu:\n")) +
                   QDir::toNativeSeparators(report.folder);
    const auto section = [&text](const QString& heading, const QStringList& lines) {
        if (lines.isEmpty()) return;
        text += QStringLiteral("\n\n") + heading;
        for (const QString& line : lines.mid(0, 12))
            text += QStringLiteral("\n  ") + line;
        if (lines.size() > 12) text += QStringLiteral("\n  ... (ukupno %1)").arg(lines.size());
    };
    section(QStringLiteral("Ove baze NISU u kopiji jer nisu ispravne (provjerite ih gumbom "
                           "\"Provjera baza\"):"),
            report.leftOut);
    section(QStringLiteral("Ove knjige NISU u kopiji jer im nedostaje datoteka:"), report.missing);
    section(QStringLiteral("Ove knjige još nemaju podataka (nisu nijednom otvorene) pa nisu u "
                           "kopiji:"),
            report.noDataYet);
    return text;
}

QString backUpDatabases(BackupReport* report) {
    BackupReport own;
    BackupReport& r = report ? *report : own;
    r = {};
    try {
        return makeBackup(r);
    } catch (const DbError& e) {
        throw DbError(e.number(),
                      QStringLiteral("Sigurnosna kopija nije napravljena.\n") + causeOf(e));
    }
}

QString backUpServerCompany(const QString& companyIdText, BackupReport* report) {
    BackupReport own;
    BackupReport& r = report ? *report : own;
    r = {};
    try {
        return makeServerBackup(companyIdText.trimmed(), r);
    } catch (const DbError& e) {
        throw DbError(e.number(),
                      QStringLiteral("Sigurnosna kopija nije napravljena.\n") + causeOf(e));
    }
}

QString backUpServerCompanyTo(const QString& companyIdText, const QString& folder,
                              BackupReport* report) {
    BackupReport own;
    BackupReport& r = report ? *report : own;
    r = {};
    try {
        if (const QString problem = outsideFolderProblem(folder); !problem.isEmpty())
            throw DbError(DbErrorCode::FileNotFound, problem);
        return makeServerBackup(companyIdText.trimmed(), r, QFileInfo(folder).canonicalFilePath());
    } catch (const DbError& e) {
        throw DbError(e.number(),
                      QStringLiteral("Sigurnosna kopija nije napravljena.\n") + causeOf(e));
    }
}

QString serverBackupMessage(const BackupReport& report) {
    QString text = QStringLiteral(
                       "Sigurnosna kopija knjiga tvrtke s poslužitelja spremljena je "
                       "u mapu:\n") +
                   QDir::toNativeSeparators(report.folder) +
                   QStringLiteral(
                       "\n\nSvaka je knjiga kopirana u datoteku i provjerena prema "
                       "poslužitelju. Kopija sadrži samo ovu tvrtku; knjige tvrtki iz "
                       "mape programa u nju ne ulaze. Ne vraća se preko mape programa: "
                       "to je cijela mapa programa s ovom tvrtkom, koja se može "
                       "otvoriti i provjeriti na bilo kojem računalu.");
    if (!report.noDataYet.isEmpty())
        text += QStringLiteral(
                    "\n\nOve knjige još nemaju podataka (nisu nijednom otvorene) pa "
                    "nisu u kopiji:\n  ") +
                report.noDataYet.join(QStringLiteral("\n  "));
    return text;
}

QString outsideFolderProblem(const QString& folder) {
    const QString where = QDir::toNativeSeparators(folder);
    const QString path = QFileInfo(folder).canonicalFilePath();
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return QStringLiteral("Mapa %1 ne postoji.").arg(where);
    if (isInsideFolder(context().programFolder, path))
        return QStringLiteral(
                   "Mapa %1 je u mapi programa. Odaberite mapu na drugom disku ili na USB "
                   "sticku (kopija u mapi programa radi se gumbom \"Sigurnosna kopija\").")
            .arg(where);
    // Never into a copy: its folder must hold exactly the copy's files.
    for (QDir d(path);;) {
        if (exists(d.filePath(kManifestName)) || d.dirName().startsWith(kOutsideStagingPrefix) ||
            d.dirName().startsWith(kStagingPrefix))
            return QStringLiteral(
                       "Mapa %1 je sigurnosna kopija ili je u njoj. Odaberite mapu "
                       "izvan kopije.")
                .arg(where);
        if (!d.cdUp()) break;
    }
    if (!folderWritable(path)) return QStringLiteral("U mapu %1 nije dopušteno pisati.").arg(where);
    return {};
}

QString backUpDatabasesTo(const QString& folder, BackupReport* report) {
    BackupReport own;
    BackupReport& r = report ? *report : own;
    r = {};
    try {
        if (const QString problem = outsideFolderProblem(folder); !problem.isEmpty())
            throw DbError(DbErrorCode::FileNotFound, problem);
        return makeBackup(r, QFileInfo(folder).canonicalFilePath());
    } catch (const DbError& e) {
        throw DbError(e.number(),
                      QStringLiteral("Sigurnosna kopija nije napravljena.\n") + causeOf(e));
    }
}

std::vector<BackupInfo> listBackupsIn(const QString& folder) {
    std::vector<BackupInfo> list;
    const QString path = QFileInfo(folder).canonicalFilePath();
    if (path.isEmpty()) return list;
    const auto add = [&list](const QString& copy, QDateTime taken) {
        const QFileInfo fi(copy);
        if (fi.isSymLink() || !fi.isDir()) return;
        const auto manifest = readManifest(copy);
        if (!manifest || !manifestMismatch(copy, *manifest, false).isEmpty()) return;
        list.push_back({copy, taken.isValid() ? taken : manifest->taken, manifest->files,
                        manifest->serverCompany});
    };
    if (exists(QDir(path).filePath(kManifestName))) {
        add(path, copyNameTime(QFileInfo(path).fileName()));
        return list;
    }
    const QDir dir(path);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (const QDateTime taken = copyNameTime(name); taken.isValid())
            add(dir.filePath(name), taken);
    std::stable_sort(list.begin(), list.end(),
                     [](const BackupInfo& a, const BackupInfo& b) { return a.taken > b.taken; });
    return list;
}

std::vector<BackupInfo> listBackups() {
    std::vector<BackupInfo> list;
    const QDir root(backupRoot());
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (name.startsWith(QLatin1Char('.'))) continue;
        const QDateTime taken = QDateTime::fromString(name.left(kStampFormat.size()), kStampFormat);
        if (!taken.isValid()) continue;
        const QString path = root.filePath(name);
        if (QFileInfo(path).isSymLink()) continue;
        const auto manifest = readManifest(path);
        if (!manifest || !manifestMismatch(path, *manifest, false).isEmpty()) continue;
        list.push_back({path, taken, manifest->files, manifest->serverCompany});
    }
    std::reverse(list.begin(), list.end());
    return list;
}

QString backupProblem(const QString& folder) {
    if (QFileInfo(folder).isSymLink() || !QFileInfo(folder).isDir())
        return QStringLiteral("mapa kopije ne postoji");
    const auto manifest = readManifest(folder);
    if (!manifest)
        return QStringLiteral("u mapi nema ispravnog popisa sadržaja %1 (kopija nije dovršena)")
            .arg(kManifestName);
    return manifestMismatch(folder, *manifest, true);
}

QString checkDatabases(bool* allOk, sheet::Sheet* table) {
    using sheet::Cell;
    QString report = reportHeading(QStringLiteral("PROVJERA BAZA PODATAKA"));
    sheet::Sheet rows = toolSheet(report, QStringLiteral("Provjera baza"),
                                  {QStringLiteral("Baza"), QStringLiteral("Knjiga"),
                                   QStringLiteral("Stanje"), QStringLiteral("Poruke")});
    int whole = 0, damaged = 0;
    for (const DatabaseFile& f : programDatabases()) {
        QStringList messages;
        QString state = QStringLiteral("OŠTEĆENA");
        try {
            Database db = Database::open(f.path());
            messages = integrityMessages(db);
        } catch (const DbError& e) {
            messages << e.description();
            // Tables, views or triggers that are not the program's own: said as such.
            if (e.number() == DbErrorCode::ForeignSchema) state = QStringLiteral("NEPOZNATA SHEMA");
        }
        if (isWhole(messages)) {
            ++whole;
            report += reportLine(f.fileName, f.label, QStringLiteral("u redu"));
            rows.rows.push_back({Cell::ofText(f.fileName), Cell::ofText(f.label),
                                 Cell::ofText(QStringLiteral("u redu"))});
            continue;
        }
        ++damaged;
        report += reportLine(f.fileName, f.label, state);
        rows.rows.push_back({Cell::ofText(f.fileName), Cell::ofText(f.label), Cell::ofText(state),
                             Cell::ofText(messages.mid(0, 10).join(QLatin1Char('\n')))});
        for (const QString& m : messages.mid(0, 10))
            report += QStringLiteral("    ") + m + QStringLiteral("\r\n");
    }
    report += QStringLiteral("\r\nProvjereno baza: %1. Ispravnih: %2. Oštećenih: %3.\r\n")
                  .arg(whole + damaged)
                  .arg(whole)
                  .arg(damaged);
    if (damaged > 0)
        report += QStringLiteral(
            "Oštećenu bazu vratite iz sigurnosne kopije (gumb \"Vraćanje kopije\").\r\n");
    if (allOk) *allOk = damaged == 0;
    for (const auto& [label, count] :
         {std::pair{QStringLiteral("Provjereno baza"), whole + damaged},
          std::pair{QStringLiteral("Ispravnih"), whole},
          std::pair{QStringLiteral("Oštećenih"), damaged}})
        rows.totals.push_back({Cell::ofText(label), Cell::ofNumber(count, 0)});
    if (table) *table = std::move(rows);
    return report;
}

QString compactDatabases(sheet::Sheet* table) {
    using sheet::Cell;
    QString report = reportHeading(QStringLiteral("SAŽIMANJE BAZA PODATAKA"));
    sheet::Sheet rows =
        toolSheet(report, QStringLiteral("Sažimanje baza"),
                  {QStringLiteral("Baza"), QStringLiteral("Knjiga"), QStringLiteral("Stanje"),
                   QStringLiteral("Prije (KB)"), QStringLiteral("Poslije (KB)")});
    qint64 before = 0, after = 0;
    int failed = 0;
    for (const DatabaseFile& f : programDatabases()) {
        const qint64 was = QFileInfo(f.path()).size();
        QString state;
        try {
            Database db = Database::open(f.path());
            db.check(sqlite3_exec(db.handle(), "VACUUM", nullptr, nullptr, nullptr));
            db.close();
            const qint64 now = QFileInfo(f.path()).size();
            before += was;
            after += now;
            state = sizeText(was) + QStringLiteral(" -> ") + sizeText(now);
            rows.rows.push_back({Cell::ofText(f.fileName), Cell::ofText(f.label),
                                 Cell::ofText(QStringLiteral("sažeta")),
                                 Cell::ofNumber(kilobytes(was), 0),
                                 Cell::ofNumber(kilobytes(now), 0)});
        } catch (const DbError& e) {
            ++failed;
            state = QStringLiteral("nije sažeta, podaci su nepromijenjeni: ") + causeOf(e);
            rows.rows.push_back(
                {Cell::ofText(f.fileName), Cell::ofText(f.label), Cell::ofText(state)});
        }
        report += reportLine(f.fileName, f.label, state);
    }
    report += QStringLiteral("\r\nUkupno: %1 -> %2.\r\n").arg(sizeText(before), sizeText(after));
    rows.totals.push_back({Cell::ofText(QStringLiteral("Ukupno")), Cell::empty(), Cell::empty(),
                           Cell::ofNumber(kilobytes(before), 0),
                           Cell::ofNumber(kilobytes(after), 0)});
    if (table) *table = std::move(rows);
    if (failed > 0)
        report += QStringLiteral(
            "Baze koje nisu sažete nisu promijenjene: podaci u njima su "
            "isti kao prije sažimanja.\r\n");
    return report;
}

QString restoreBackup(const QString& backupFolder) {
    const QString folder = QFileInfo(backupFolder).absoluteFilePath();
    const auto refused = [&](int code, const QString& why) {
        return DbError(code, QStringLiteral("Kopija %1 nije vraćena: %2.\nBaze programa nisu "
                                            "mijenjane.")
                                 .arg(QDir::toNativeSeparators(folder), why));
    };
    if (!isInsideFolder(backupRoot(), folder) ||
        QFileInfo(folder).canonicalFilePath() == QFileInfo(backupRoot()).canonicalFilePath())
        throw refused(DbErrorCode::FileNotFound,
                      QStringLiteral("mapa nije sigurnosna kopija ovog programa"));
    if (!readManifest(folder))
        throw refused(DbErrorCode::FileNotFound,
                      QStringLiteral("mapa nije sigurnosna kopija ovog programa (nema ispravnog "
                                     "popisa sadržaja %1)")
                          .arg(kManifestName));
    const Manifest manifest = *readManifest(folder);
    if (!manifest.serverCompany.isEmpty())
        throw refused(DbErrorCode::Generic,
                      QStringLiteral("to je kopija knjiga tvrtke %1 s poslužitelja, a vraćanjem bi "
                                     "zamijenila popis tvrtki i knjige svih tvrtki u mapi "
                                     "programa. Kopija je cijela mapa programa s tom tvrtkom: "
                                     "otvorite je kao mapu programa (KNJIGE_LUMEN_DIR) ili "
                                     "provjerite alatom \"Provjera baza\" u njoj")
                          .arg(manifest.serverCompany));
    if (const QString problem = manifestMismatch(folder, manifest, true); !problem.isEmpty())
        throw refused(DbErrorCode::Corrupt, problem);
    if (exists(programPath(kRecordName)))
        throw refused(DbErrorCode::Generic,
                      QStringLiteral("prethodno vraćanje kopije nije završeno; zatvorite i ponovno "
                                     "pokrenite program"));
    const QStringList current = databaseNames(context().programFolder);
    for (const QString& name : current + manifest.files)
        if (mayBeHotJournal(programPath(name + QStringLiteral("-journal"))) ||
            QFileInfo(programPath(name + QStringLiteral("-wal"))).size() > 0)
            throw refused(DbErrorCode::Locked,
                          QStringLiteral("uz bazu %1 je dnevnik nedovršene promjene; zatvorite "
                                         "i ponovno pokrenite program")
                              .arg(name));
    removeRestoreLeftovers(true);

    // What is there now is kept first, as a copy of its own.
    BackupReport savedReport;
    QString saved;
    try {
        saved = makeBackup(savedReport);
    } catch (const DbError& e) {
        throw refused(e.number(),
                      QStringLiteral("sadašnje baze nije bilo moguće najprije spremiti u novu "
                                     "sigurnosnu kopiju (%1)")
                          .arg(clauseOf(e)));
    }

    RestoreRecord r;
    r.restore = manifest.files;
    for (const QString& name : current) {
        (manifest.files.contains(name) ? r.existed : r.remove) << name;
        if (std::any_of(savedReport.leftOut.begin(), savedReport.leftOut.end(),
                        [&](const QString& line) { return line.startsWith(name); }))
            r.keep << name;
    }
    r.stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss"));
    r.backup = folderName(folder);
    r.saved = folderName(saved);
    const QString savedNote = QStringLiteral(
                                  "\nBaze kakve su bile prije vraćanja spremljene su u "
                                  "mapu %1.")
                                  .arg(QDir::toNativeSeparators(saved));

    // The new set beside the old under temporary names, then the record of the switch.
    try {
        for (const QString& name : r.restore) {
            if (!copyFileExactly(QDir(folder).filePath(name), programPath(name + kNewSuffix),
                                 manifest.sums.value(name)))
                throw DbError(DbErrorCode::Corrupt,
                              QStringLiteral("datoteka %1 kopije se promijenila tijekom "
                                             "vraćanja")
                                  .arg(name));
            syncFile(programPath(name + kNewSuffix));
        }
        syncFolder(context().programFolder);
        if (!writeNewFileDurably(programPath(kRecordName), recordJson(r)))
            throw DbError(
                DbErrorCode::IoError,
                QStringLiteral("zapis o vraćanju %1 nije moguće napraviti").arg(kRecordName));
    } catch (const DbError& e) {
        removeRestoreLeftovers(true);
        throw DbError(e.number(), QStringLiteral("Kopija nije vraćena: %1.\nBaze programa nisu "
                                                 "mijenjane.")
                                          .arg(clauseOf(e)) +
                                      savedNote);
    }

    int n = 0;
    try {
        completeSwitch(r, n);
    } catch (const StopForTest&) {
        throw DbError(DbErrorCode::Generic, QStringLiteral("Vraćanje zaustavljeno (test)."));
    } catch (const DbError& e) {
        // Back to the old set now if possible; otherwise the next start settles it.
        try {
            undoSwitch(r);
        } catch (const DbError&) {
            throw DbError(e.number(),
                          QStringLiteral("Vraćanje kopije nije dovršeno: %1\nZatvorite program; "
                                         "pri sljedećem pokretanju vraćanje će biti dovršeno ili "
                                         "poništeno.")
                                  .arg(causeOf(e)) +
                              savedNote);
        }
        throw DbError(e.number(), QStringLiteral("Kopija nije vraćena: %1\nBaze programa su kakve "
                                                 "su bile prije vraćanja.")
                                          .arg(causeOf(e)) +
                                      savedNote);
    }
    return saved;
}

QString restoreBackupFrom(const QString& backupFolder) {
    const QString folder = QFileInfo(backupFolder).canonicalFilePath();
    if (!folder.isEmpty() && isInsideFolder(backupRoot(), folder)) return restoreBackup(folder);
    const auto refused = [&](int code, const QString& why) {
        return DbError(code, QStringLiteral("Kopija %1 nije vraćena: %2.\nBaze programa nisu "
                                            "mijenjane.")
                                 .arg(QDir::toNativeSeparators(backupFolder), why));
    };
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        throw refused(DbErrorCode::FileNotFound, QStringLiteral("mapa kopije ne postoji"));
    if (isInsideFolder(context().programFolder, folder))
        throw refused(DbErrorCode::FileNotFound,
                      QStringLiteral("mapa nije sigurnosna kopija ovog programa"));
    QString local;
    try {
        local = importBackup(folder);
    } catch (const DbError& e) {
        throw refused(e.number(), clauseOf(e));
    }
    return restoreBackup(local);
}

QString finishInterruptedRestore() {
    // At start nothing stops half way on purpose.
    const auto hook = testing::restoreStepHook;
    testing::restoreStepHook = nullptr;
    const auto rehook = qScopeGuard([hook] { testing::restoreStepHook = hook; });
    try {
        if (QFileInfo(backupRoot()).isDir()) removeStaleStaging();
        const QString recordPath = programPath(kRecordName);
        removeRestoreLeftovers(!exists(recordPath));
        if (!exists(recordPath)) return {};
        const auto json = readJson(recordPath);
        const auto record = json ? readRecord(*json) : std::nullopt;
        if (!record)
            return QStringLiteral(
                       "U mapi programa je zapis o vraćanju sigurnosne kopije (%1) koji "
                       "nije ispravan. Baze nisu mijenjane; provjerite ih gumbom "
                       "\"Provjera baza\" u alatima.")
                .arg(kRecordName);
        const RestoreRecord& r = *record;
        const QString saved = QStringLiteral(
                                  "Baze kakve su bile prije vraćanja spremljene su u "
                                  "sigurnosnu kopiju %1.")
                                  .arg(r.saved);
        if (switchCanComplete(r)) {
            int n = 0;
            completeSwitch(r, n);
            return QStringLiteral(
                       "Vraćanje sigurnosne kopije od %1 prekinuto je (program je bio "
                       "zaustavljen usred zamjene baza).\nVraćanje je sada dovršeno: "
                       "popis tvrtki i sve knjige su onakvi kakvi su u kopiji.\n")
                       .arg(r.backup) +
                   saved;
        }
        undoSwitch(r);
        return QStringLiteral(
                   "Vraćanje sigurnosne kopije od %1 prekinuto je (program je bio "
                   "zaustavljen prije zamjene baza).\nVraćanje je poništeno: popis "
                   "tvrtki i sve knjige su kakvi su bili prije vraćanja.\n")
                   .arg(r.backup) +
               saved;
    } catch (const DbError& e) {
        return QStringLiteral(
                   "Vraćanje sigurnosne kopije prekinuto je, a sada ga nije moguće ni "
                   "dovršiti ni poništiti: %1\nNe mijenjajte datoteke u mapi programa "
                   "i pokrenite program ponovno.")
            .arg(causeOf(e));
    }
}

namespace testing {
bool (*restoreStepHook)(int step) = nullptr;
}  // namespace testing

}  // namespace kl
