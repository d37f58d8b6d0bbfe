// Files the program did not make, put where it looks: journals beside the books at start-up, a
// book whose schema is not ours, a book left in WAL mode by another tool. Each is refused or
// converted with a message, nothing is played back from an untrusted journal, and no file
// outside the program folder changes. Also the modes of the files the program creates.

#include "data/appcontext.h"
#include "data/database.h"
#include "data/fileops.h"
#include "data/jetfunctions.h"
#include "shell/dbtools.h"
#include "shell/settle.h"
#include "testenv.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>
#include <sys/stat.h>

#include <map>

using namespace kl;
using namespace kl::test;

namespace {

const QByteArray kMagic = QByteArray::fromHex("d9d505f920a163d7");

QByteArray bigEndian(quint32 v) {
    return QByteArray(1, char(v >> 24)) + char(v >> 16) + char(v >> 8) + char(v);
}

// A journal: `header`, padding to a sector, and (when `superJournal` is set) the record naming a
// shared journal at its end, the way SQLite writes it.
QByteArray journal(const QByteArray& header, const QString& superJournal) {
    QByteArray j = header.leftJustified(512, '\0');
    if (superJournal.isEmpty()) return j;
    const QByteArray name = QFile::encodeName(superJournal);
    quint32 sum = 0;
    for (const char c : name)
        sum += quint32(qint32(c));
    return j + bigEndian(0x40000000 / 4096 + 1) + name + bigEndian(quint32(name.size())) +
           bigEndian(sum) + kMagic;
}

bool write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::NewOnly) && f.write(bytes) == bytes.size();
}

// A connection of SQLite alone, as another tool would open it (with our collation and
// functions, which the books' columns name).
sqlite3* rawOpen(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    registerJetFunctions(db);
    return db;
}

bool raw(const QString& path, const char* sql) {
    sqlite3* db = rawOpen(path);
    const bool ok = sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

int pragma(Database& db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db.handle(), sql, -1, &st, nullptr);
    const int v = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1;
    sqlite3_finalize(st);
    return v;
}

// The journal mode SQLite reads from a database file's header: 1 rollback, 2 WAL.
int headerMode(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(20).at(18) : -1;
}

int mode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

class tst_CraftedFiles : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder_;
    QTemporaryDir outside_;  // watched: nothing in it may change
    QStringList watched_;
    QString book_;

  private slots:
    void init() {
        folder_ = std::make_unique<TempProgramFolder>();
        allowTriggersForTesting(false);
        QVERIFY(write(outside_.filePath("vazno.txt"), "Ne brisati.\n"));
        QVERIFY(write(outside_.filePath("Skladiste1.mdb-mj0A1B2C93F"), ""));
        watched_ = folderSnapshot(outside_.path());
        book_ = newWarehouseBook().filePath();
        addArticle(book_, "1", "Vijak");
    }
    void cleanup() {
        QCOMPARE(folderSnapshot(outside_.path()), watched_);
        folder_.reset();
        QDir(outside_.path()).removeRecursively();
        QDir().mkpath(outside_.path());
    }

    // A hot journal SQLite would trust (it deletes the shared journal the end names) is moved
    // aside unless the program made it; one no longer needed and orphan shared journals go.
    void journalsAtStart_data() {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QString>("superJournal");  // relative to the watched folder
        QTest::addColumn<bool>("link");             // a symbolic link in the journal's place
        QTest::addColumn<bool>("movedAside");
        dataRow("garbage header, names a file outside", QByteArray("\x01garbage"),
                QString("vazno.txt"), false, true);
        dataRow("valid header, names a file outside", kMagic, QString("vazno.txt"), false, true);
        dataRow("valid header, shared journal of ours elsewhere", kMagic,
                QString("Skladiste1.mdb-mj0A1B2C93F"), false, true);
        dataRow("garbage header, no shared journal", QByteArray("\x01garbage"), QString(), false,
                true);
        dataRow("link to a file outside", QByteArray(), QString("vazno.txt"), true, true);
        dataRow("zeroed header, orphan shared journal", QByteArray(8, '\0'),
                QString("Skladiste1.mdb-mj0A1B2C93F"), false, false);
    }
    void journalsAtStart() {
        QFETCH(QByteArray, header);
        QFETCH(QString, superJournal);
        QFETCH(bool, link);
        QFETCH(bool, movedAside);
        const QString path = book_ + "-journal";
        const QString named = superJournal.isEmpty() ? QString() : outside_.filePath(superJournal);
        const QByteArray bytes = journal(header, named);
        if (link)
            QVERIFY(QFile::link(named, path));
        else
            QVERIFY(write(path, bytes));
        const QString orphan = book_ + "-mj0123456789";
        QVERIFY(write(orphan, "x"));

        const QStringList messages = settleInterruptedWrites();

        QVERIFY(!QFileInfo(path).exists() && !QFileInfo(path).isSymLink());
        QVERIFY(!QFileInfo::exists(orphan));
        const QStringList aside =
            QDir(folder_->path())
                .entryList({"Skladiste1.mdb-journal.sumnjiv-*"}, QDir::Files | QDir::System);
        QCOMPARE(aside.size(), movedAside ? 1 : 0);
        QCOMPARE(messages.size(), movedAside ? 1 : 0);
        if (!movedAside) return;
        QVERIFY2(messages[0].contains("Skladiste1.mdb-journal") && messages[0].contains(aside[0]),
                 qPrintable(messages[0]));
        QFile moved(folder_->filePath(aside[0]));
        if (!link) QVERIFY(moved.open(QIODevice::ReadOnly) && moved.readAll() == bytes);
        QCOMPARE(rowCount(book_, "artikli"), 1);
    }

    // A real hot journal of ours (a transaction killed after it wrote to the book) is played
    // back as before, and its book is whole.
    void hotJournalOfOursRolledBack() {
        const QString snapshot = outside_.filePath("snimka");
        sqlite3* db = rawOpen(book_);
        QCOMPARE(sqlite3_exec(db,
                              "pragma cache_size=5; begin; insert into kd(kd,ime) with recursive "
                              "n(i) as (select 1 union all select i+1 from n where i<5000) "
                              "select 'k','Kupac' from n",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        // The state a kill leaves: the book part-written, its journal hot.
        QVERIFY(QDir().mkdir(snapshot));
        for (const QString& f : {book_, book_ + "-journal"})
            QVERIFY(QFile::copy(f, snapshot + "/" + QFileInfo(f).fileName()));
        sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        const int customers = rowCount(book_, "kd");
        for (const QString& f : {book_, book_ + "-journal"}) {
            QFile::remove(f);
            QVERIFY(QFile::copy(snapshot + "/" + QFileInfo(f).fileName(), f));
        }
        QDir(snapshot).removeRecursively();
        QVERIFY(QFile(book_ + "-journal").open(QIODevice::ReadOnly));

        QCOMPARE(settleInterruptedWrites(), QStringList());
        QVERIFY(!QFileInfo::exists(book_ + "-journal"));
        QCOMPARE(rowCount(book_, "kd"), customers);
        Database check = Database::openBook(book_);
        QCOMPARE(check.openRecordset("select count(*) as n from artikli").text("n"), QString("1"));
    }

    // A stamped book whose schema is not ours is refused at once (a recursive view never runs),
    // also when attached, and "Provjera baza" says what is wrong; a later kl_ table is ours.
    void foreignSchema_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("problem");  // empty: the book is accepted
        dataRow("recursive view named artikli",
                QString("drop table artikli; create view artikli as with recursive r(x) as "
                        "(select 1 union all select x+1 from r) select x as id, 'a' as sifra, "
                        "'' as barkod, 'a' as naziv, '' as jedmjere, 0 as minkolicina, 0 as "
                        "stanje, 0 as vrijednost, 0 as proscijena from r"),
                QString("pogled \"artikli\""));
        dataRow("trigger", QString("create trigger t after insert on pi begin delete from kd; end"),
                QString("okidač \"t\""));
        dataRow("table of ours changed",
                QString("drop table dokumenti; create table dokumenti(id integer primary key, "
                        "dokument)"),
                QString("tablica \"dokumenti\""));
        dataRow("foreign table", QString("create table tajna(x)"), QString("tablica \"tajna\""));
        dataRow("view named kl_", QString("create view kl_x as select 1"),
                QString("pogled \"kl_x\""));
        dataRow("later table of ours",
                QString("create table kl_nova(x); create index "
                        "kl_nova_x on kl_nova(x)"),
                QString());
    }
    void foreignSchema() {
        QFETCH(QString, sql);
        QFETCH(QString, problem);
        QVERIFY(raw(book_, sql.toUtf8().constData()));
        QElapsedTimer timer;
        timer.start();
        QString description;
        const int expected = problem.isEmpty() ? 0 : DbErrorCode::ForeignSchema;
        QCOMPARE(errorOf([&] { Database::openBook(book_).openRecordset("select * from artikli"); },
                         &description),
                 expected);
        QVERIFY2(description.contains(problem) &&
                     (problem.isEmpty() || description.contains("Skladiste1.mdb")),
                 qPrintable(description));
        const QString other = bookPath(kWarehouseKind, addBook(1, "Drugo", kWarehouseKind));
        Database db = Database::open(other);
        QCOMPARE(errorOf([&] { db.attach(book_, "s1"); }), expected);
        bool allOk = true;
        const QString report = checkDatabases(&allOk);
        QCOMPARE(allOk, problem.isEmpty());
        QVERIFY2(report.contains(problem), qPrintable(report));
        QVERIFY(timer.elapsed() < 5000);
    }

    // A book switched to WAL by another tool (its -wal file still holding a change) is a
    // rollback-journal book again once opened, with the change; so is its back-up. Every
    // database of a connection syncs with EXTRA.
    void walConvertedOnOpen() {
        const QString snapshot = outside_.filePath("snimka");
        sqlite3* db = rawOpen(book_);
        QCOMPARE(sqlite3_exec(db,
                              "pragma journal_mode=wal; pragma wal_autocheckpoint=0; "
                              "insert into kd(kd,ime) values('k','Iz WAL-a')",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        QVERIFY(QDir().mkdir(snapshot));
        for (const QString& f : {book_, book_ + "-wal"})
            QVERIFY(QFile::copy(f, snapshot + "/" + QFileInfo(f).fileName()));
        sqlite3_close(db);
        for (const QString& f : {book_, book_ + "-wal"}) {
            QFile::remove(f);
            QVERIFY(QFile::copy(snapshot + "/" + QFileInfo(f).fileName(), f));
        }
        QDir(snapshot).removeRecursively();
        QCOMPARE(headerMode(book_), 2);

        const QString other = bookPath(kWarehouseKind, addBook(1, "Drugo", kWarehouseKind));
        {
            Database book = Database::open(other);
            book.attach(book_, "s1");
            QCOMPARE(pragma(book, "pragma main.synchronous"), 3);
            QCOMPARE(pragma(book, "pragma s1.synchronous"), 3);
            QCOMPARE(
                book.openRecordsetIn("s1", "select count(*) as n from kd where ime=?", {"Iz WAL-a"})
                    .text("n"),
                QString("1"));
        }
        QCOMPARE(headerMode(book_), 1);
        QVERIFY(!QFileInfo::exists(book_ + "-wal"));
        QCOMPARE(headerMode(QDir(backUpDatabases()).filePath("Skladiste1.mdb")), 1);
    }

    // What the program creates is readable by its owner only, whatever the umask.
    void modes() {
        const mode_t previous = ::umask(022);
        const QString path = folder_->filePath("Skladiste9.mdb");
        Database db = Database::create(path);
        db.begin();
        db.setUserVersion(1);
        const int journalMode = mode(path + "-journal");
        db.commit();
        ::umask(previous);
        QCOMPARE(mode(path), 0600);
        QCOMPARE(journalMode, 0600);
    }
};

}  // namespace

QTEST_MAIN(tst_CraftedFiles)
#include "tst_craftedfiles.moc"
