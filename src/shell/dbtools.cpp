#include "shell/dbtools.h"

#include "data/appcontext.h"
#include "data/database.h"
#include "data/dberror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>

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

bool isDatabaseName(const QString& name) {
    return name == kMasterFileName || bookFilePattern().match(name).hasMatch();
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
        else if (isDatabaseName(name))
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
            const QString file = rs.text(QStringLiteral("vrstaknjige")).trimmed() +
                                 rs.text(QStringLiteral("id")) + QStringLiteral(".mdb");
            labels.insert(file, companies.value(rs.text(QStringLiteral("idtvrtke")).trimmed()) +
                                    QStringLiteral(" - ") + rs.text(QStringLiteral("nazivknjige")));
        }
    } catch (const DbError&) {
        // Without the register the books are listed by file name only.
    }
    return labels;
}

// Copies the whole of `from` over `to` page by page in one write transaction of `to`, waiting
// while another connection writes to `from`.
void copyDatabase(Database& from, Database& to) {
    sqlite3_backup* b = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
    if (!b) {
        to.check(sqlite3_errcode(to.handle()));
        throw DbError(DbErrorCode::Generic, QStringLiteral("Kopiranje baze nije moguće započeti."));
    }
    int rc;
    int waited = 0;
    while ((rc = sqlite3_backup_step(b, -1)) == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        if (waited >= 5000) break;
        sqlite3_sleep(50);
        waited += 50;
    }
    const int finish = sqlite3_backup_finish(b);
    to.check(rc);
    to.check(finish);
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

QString sizeText(qint64 bytes) {
    return QString::number(double(bytes) / 1024.0, 'f', 0) + QStringLiteral(" KB");
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

QString backUpDatabases() {
    const std::vector<DatabaseFile> files = programDatabases();
    if (files.empty())
        throw DbError(DbErrorCode::FileNotFound,
                      QStringLiteral("U mapi programa nema baza podataka za kopiranje."));
    QDir root(backupRoot());
    if (!root.exists() && !QDir().mkpath(root.path()))
        throw DbError(DbErrorCode::ReadOnly, QStringLiteral("Mapu %1 nije moguće napraviti.")
                                                 .arg(QDir::toNativeSeparators(root.path())));
    // A new folder of our own: nothing in it can be a file we did not make.
    const QString stamp = QDateTime::currentDateTime().toString(kStampFormat);
    QString folder;
    for (int n = 1; n < 100 && folder.isEmpty(); ++n) {
        const QString name = n == 1 ? stamp : stamp + QStringLiteral(" (%1)").arg(n);
        if (root.mkdir(name)) folder = root.filePath(name);
    }
    if (folder.isEmpty())
        throw DbError(DbErrorCode::ReadOnly,
                      QStringLiteral("U mapu %1 nije moguće spremiti kopiju.")
                          .arg(QDir::toNativeSeparators(root.path())));
    try {
        for (const DatabaseFile& f : files) {
            Database from = Database::open(f.path());
            Database to = Database::create(QDir(folder).filePath(f.fileName));
            copyDatabase(from, to);
        }
    } catch (const DbError& e) {
        QDir(folder).removeRecursively();
        throw DbError(e.number(),
                      QStringLiteral("Sigurnosna kopija nije napravljena.\n") + e.description());
    }
    return folder;
}

std::vector<BackupInfo> listBackups() {
    std::vector<BackupInfo> list;
    const QDir root(backupRoot());
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QDateTime taken = QDateTime::fromString(name.left(kStampFormat.size()), kStampFormat);
        if (!taken.isValid()) continue;
        const QString path = root.filePath(name);
        const QStringList files = databaseNames(path);
        if (!files.contains(kMasterFileName)) continue;
        list.push_back({path, taken, files});
    }
    std::reverse(list.begin(), list.end());
    return list;
}

QString checkDatabases(bool* allOk) {
    QString report = reportHeading(QStringLiteral("PROVJERA BAZA PODATAKA"));
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
            continue;
        }
        ++damaged;
        report += reportLine(f.fileName, f.label, state);
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
    return report;
}

QString compactDatabases() {
    QString report = reportHeading(QStringLiteral("SAŽIMANJE BAZA PODATAKA"));
    qint64 before = 0, after = 0;
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
        } catch (const DbError& e) {
            state = QStringLiteral("nije sažeta: ") + e.description();
        }
        report += reportLine(f.fileName, f.label, state);
    }
    report += QStringLiteral("\r\nUkupno: %1 -> %2.\r\n").arg(sizeText(before), sizeText(after));
    return report;
}

QString restoreBackup(const QString& backupFolder) {
    const QStringList names = databaseNames(backupFolder);
    if (!names.contains(kMasterFileName))
        throw DbError(DbErrorCode::FileNotFound,
                      QStringLiteral("Mapa %1 nije sigurnosna kopija ovog programa (nema popisa "
                                     "tvrtki %2).")
                          .arg(QDir::toNativeSeparators(backupFolder), kMasterFileName));
    // The whole copy is checked before anything of the program folder changes.
    for (const QString& name : names) {
        Database db = Database::open(QDir(backupFolder).filePath(name));
        if (!isWhole(integrityMessages(db)))
            throw DbError(
                DbErrorCode::Corrupt,
                QStringLiteral("Baza %1 u kopiji je oštećena; kopija nije vraćena.").arg(name));
    }

    const QString saved = backUpDatabases();
    const QDir program(context().programFolder);
    try {
        // The books first and the register last, so the register never names a book whose
        // file is not yet back.
        QStringList order = names.mid(1);
        order << kMasterFileName;
        for (const QString& name : order) {
            Database from = Database::open(QDir(backupFolder).filePath(name));
            const QString target = program.filePath(name);
            Database to =
                QFileInfo::exists(target) ? Database::open(target) : Database::create(target);
            copyDatabase(from, to);
        }
        // A book the copy does not know would otherwise be taken for a new book of the same
        // number; its contents are in the copy made above.
        for (const QString& name : databaseNames(program.path())) {
            if (names.contains(name)) continue;
            QFile::remove(program.filePath(name + QStringLiteral("-journal")));
            if (!QFile::remove(program.filePath(name)))
                throw DbError(DbErrorCode::ReadOnly,
                              QStringLiteral("Datoteku %1 nije moguće ukloniti.").arg(name));
        }
    } catch (const DbError& e) {
        throw DbError(e.number(),
                      QStringLiteral("Vraćanje kopije nije dovršeno.\n%1\nBaze kakve su bile "
                                     "prije vraćanja spremljene su u mapu %2.")
                          .arg(e.description(), QDir::toNativeSeparators(saved)));
    }
    return saved;
}

}  // namespace kl
