#include "shell/settle.h"

#include "data/appcontext.h"
#include "data/database.h"
#include "data/dberror.h"
#include "data/fileops.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <sqlite3.h>

namespace kl {

namespace {

// The first eight bytes of a rollback journal's header, and the last eight of the record that
// names a shared journal at its end:
//   4 bytes  page number of the lock page
//   N bytes  the shared journal's path (UTF-8; SQLite reads it up to a NUL)
//   4 bytes  N, big-endian
//   4 bytes  checksum of the path
//   8 bytes  this magic
const QByteArray kJournalMagic = QByteArray::fromHex("d9d505f920a163d7");
const QString kJournalSuffix = QStringLiteral("-journal");

// SQLite names a shared journal "<main database>-mj" and hexadecimal digits.
const QRegularExpression& sharedJournalPattern() {
    static const QRegularExpression re(
        QStringLiteral("^(tvrtke|(Skladiste|Proizvodnja)\\d+)\\.mdb-mj[0-9A-Fa-f]+$"));
    return re;
}

quint32 bigEndian32(const QByteArray& bytes, qsizetype at) {
    const auto b = reinterpret_cast<const unsigned char*>(bytes.constData() + at);
    return (quint32(b[0]) << 24) | (quint32(b[1]) << 16) | (quint32(b[2]) << 8) | b[3];
}

enum class Verdict { Stale, Ours, Suspicious };

struct Journal {
    QString path;
    Verdict verdict = Verdict::Suspicious;
    QString sharedJournal;  // the path its end names; empty when none
    QString why;            // for a suspicious one
};

// Reads a journal the way SQLite would decide about it, before SQLite sees it.
Journal inspect(const QString& folder, const QString& path) {
    Journal j{path, Verdict::Suspicious, {}, {}};
    const QFileInfo fi(path);
    if (fi.isSymLink() || !fi.isFile()) {
        j.why = QStringLiteral("nije obična datoteka");
        return j;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        j.why = QStringLiteral("nije je moguće pročitati");
        return j;
    }
    const qint64 size = f.size();
    const QByteArray head = f.read(8);
    // SQLite plays back only a journal whose first byte is not zero; one left empty or with its
    // header zeroed is no longer needed.
    if (size == 0 || head.isEmpty() || head.at(0) == 0) {
        j.verdict = Verdict::Stale;
        return j;
    }
    if (head != kJournalMagic) {
        j.why = QStringLiteral("njezino zaglavlje nije zaglavlje dnevnika");
        return j;
    }
    if (size >= 28 && f.seek(size - 16)) {
        const QByteArray tail = f.read(16);
        if (tail.size() == 16 && tail.mid(8) == kJournalMagic) {
            const qint64 length = bigEndian32(tail, 0);
            if (length <= 0 || length > size - 28 || !f.seek(size - 16 - length)) {
                j.why = QStringLiteral("zapis na njezinom kraju nije ispravan");
                return j;
            }
            QByteArray name = f.read(length);
            if (const qsizetype nul = name.indexOf('\0'); nul >= 0) name.truncate(nul);
            j.sharedJournal = QFile::decodeName(name);
        }
    }
    if (!j.sharedJournal.isEmpty()) {
        const QFileInfo shared(j.sharedJournal);
        const bool ours = shared.isAbsolute() &&
                          sharedJournalPattern().match(shared.fileName()).hasMatch() &&
                          isInsideFolder(folder, j.sharedJournal) &&
                          QFileInfo(shared.absolutePath()).canonicalFilePath() ==
                              QFileInfo(folder).canonicalFilePath();
        if (!ours) {
            j.why = QStringLiteral("upućuje na datoteku %1 koja nije dnevnik ovog programa")
                        .arg(QDir::toNativeSeparators(j.sharedJournal));
            return j;
        }
    }
    j.verdict = Verdict::Ours;
    return j;
}

// Renames a suspicious journal so that SQLite never reads it; the message for the clerk.
QString moveAside(const QString& folder, const Journal& j) {
    const QString name = QFileInfo(j.path).fileName();
    const QString database = name.chopped(kJournalSuffix.size());
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString moved;
    try {
        for (int n = 1; n < 100 && moved.isEmpty(); ++n) {
            const QString candidate =
                QDir(folder).filePath(name + QStringLiteral(".sumnjiv-") + stamp +
                                      (n == 1 ? QString() : QStringLiteral("-%1").arg(n)));
            if (renameNoReplace(j.path, candidate)) moved = candidate;
        }
    } catch (const DbError&) {
    }
    const QString what =
        QStringLiteral("Datoteka %1 nije dnevnik izmjena koji je napravio ovaj program (%2).")
            .arg(name, j.why);
    if (moved.isEmpty())
        return what + QStringLiteral(
                          " Nije je moguće premjestiti, pa baza %1 nije otvorena; "
                          "uklonite datoteku ručno.")
                          .arg(database);
    return what + QStringLiteral(
                      " Nije korištena ni obrisana: premještena je u %1. Provjerite bazu %2 "
                      "(Alati, \"Provjera baza\").")
                      .arg(QFileInfo(moved).fileName(), database);
}

}  // namespace

QStringList settleInterruptedWrites() {
    const QString folderPath = context().programFolder;
    const QDir folder(folderPath);
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    QStringList messages;

    // Every journal of a database of ours, judged before any database is opened.
    std::vector<Journal> hot;
    for (const QString& name : folder.entryList({QStringLiteral("*") + kJournalSuffix}, all)) {
        if (!isDatabaseFileName(name.chopped(kJournalSuffix.size()))) continue;
        const Journal j = inspect(folderPath, folder.filePath(name));
        if (j.verdict == Verdict::Stale)
            removeDurably(j.path);
        else if (j.verdict == Verdict::Suspicious)
            messages << moveAside(folderPath, j);
        else
            hot.push_back(j);
    }

    // SQLite plays back the journals of ours as their databases are opened.
    for (const Journal& j : hot) {
        const QString database = j.path.chopped(kJournalSuffix.size());
        // A journal without its database (a deletion or restore under way) waits for it.
        if (!QFileInfo(database).isFile()) continue;
        try {
            Database db = Database::open(database);
            db.check(sqlite3_exec(db.handle(), "select count(*) from sqlite_master", nullptr,
                                  nullptr, nullptr));
        } catch (const DbError&) {
            // Left for the next start; the book's own window will report what is wrong.
        }
    }

    // A shared journal is still needed while a journal left names it.
    QSet<QString> named;
    for (const Journal& j : hot)
        if (QFileInfo::exists(j.path)) {
            const Journal again = inspect(folderPath, j.path);
            if (again.verdict != Verdict::Stale)
                named.insert(QFileInfo(again.sharedJournal).fileName());
        }
    for (const QString& name : folder.entryList({QStringLiteral("*.mdb-mj*")}, all)) {
        if (!sharedJournalPattern().match(name).hasMatch() || named.contains(name)) continue;
        removeDurably(folder.filePath(name));
    }
    return messages;
}

}  // namespace kl
