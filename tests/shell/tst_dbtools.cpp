// The database tools of the book register: back-up copies taken while books are in use and put
// back to the same data, the integrity check, compacting, and the tools window as the clerk
// uses it.

#include "data/appcontext.h"
#include "data/dberror.h"
#include "data/fileops.h"
#include "data/jetfunctions.h"
#include "reports/frmprovjerazaliha.h"
#include "reports/reportfixture.h"
#include "reports/reportwindows.h"
#include "shell/books.h"
#include "shell/dbtools.h"
#include "shell/frmalati.h"
#include "shell/frmizborknjige.h"
#include "shell/frmskladiste.h"
#include "shell/shellwindows.h"
#include "ui/folderchooser.h"
#include "windowtest.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sqlite3.h>
#include <sys/stat.h>

using namespace kl;
using namespace kl::test;

namespace {

// Every row of every table of a database file, as text, in table and rowid order.
QString dump(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QStringList tables;
    QString out;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "select name from sqlite_master where type='table' order by name", -1,
                       &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        tables << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    for (const QString& t : tables) {
        out += QStringLiteral("[%1]\n").arg(t);
        const QByteArray q = QStringLiteral("select * from \"%1\" order by rowid").arg(t).toUtf8();
        sqlite3_prepare_v2(db, q.constData(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                out +=
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c))) +
                    QLatin1Char('|');
            out += QLatin1Char('\n');
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return out;
}

// The dumps of every database of the program folder, by file name.
QMap<QString, QString> dumpAll() {
    QMap<QString, QString> all;
    for (const DatabaseFile& f : programDatabases())
        all.insert(f.fileName, dump(f.path()));
    return all;
}

void postReceipt(const QString& book, int article, const QString& quantity, const QString& price) {
    receipt(book, QDate(2026, 12, 1), QStringLiteral("Dobavljač"), {{article, quantity, price}},
            QStringLiteral("Račun"));
}

// Flips bytes in the middle of a file's second page (a table's page, not the header).
void damage(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const qint64 page = f.size() > 8192 ? 4096 : f.size() / 2;
    f.seek(page + 8);
    f.write(QByteArray(64, '\xA5'));
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The permission bits of a file or folder (0600, 0700).
int mode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

bool appendFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::Append) && f.write(bytes) == bytes.size();
}

// Adds `n` customers in one statement (a book of some pages, quickly).
void addCustomers(const QString& book, int n) {
    QVERIFY(executeRaw(book, QStringLiteral("with recursive n(i) as (select 1 union all select "
                                            "i+1 from n where i<%1) insert into kd(kd,ime) "
                                            "select 'k','Kupac broj '||i from n")
                                 .arg(n)));
}

}  // namespace

class TstDbTools : public WindowTest {
    Q_OBJECT

    QString glavno_, pogon_;
    int article_ = 0;

    // The company "Alfa" with the warehouse book "Glavno" (an article, a supplier, a document
    // type and a receipt) and the production book "Pogon".
    void makeCompany() {
        const int alfa = addCompany(QStringLiteral("Alfa"));
        context().currentCompanyId = alfa;
        const int g = addBook(alfa, QStringLiteral("Glavno"), kWarehouseKind);
        const int p = addBook(alfa, QStringLiteral("Pogon"), kProductionKind);
        glavno_ = bookPath(kWarehouseKind, g);
        pogon_ = bookPath(kProductionKind, p);
        article_ = addArticle(glavno_, QStringLiteral("A"), QStringLiteral("Vijak"));
        addPartner(glavno_, QStringLiteral("d"), QStringLiteral("Dobavljač"));
        addDocumentType(glavno_, QStringLiteral("Račun"));
        postReceipt(glavno_, article_, QStringLiteral("10"), QStringLiteral("2,50"));
    }

  private slots:
    void init() {
        beginWindowTest();
        defineShellWindows();
        makeCompany();
    }
    void cleanup() { endWindowTest(); }

    // A copy taken while another connection is in the middle of a posting holds what was
    // committed; putting it back later gives exactly those data again.
    void backupDuringWriteRestoresCommittedData() {
        const QMap<QString, QString> committed = dumpAll();
        sqlite3* writer = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(glavno_).constData(), &writer), SQLITE_OK);
        QCOMPARE(registerJetFunctions(writer), SQLITE_OK);
        QCOMPARE(sqlite3_exec(writer,
                              "BEGIN IMMEDIATE; UPDATE artikli SET stanje=999; "
                              "INSERT INTO kd(kd,ime) VALUES('k','Usput');",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        const QString copy = backUpDatabases();
        QCOMPARE(sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(writer);

        QCOMPARE(QDir(copy).entryList({"*.mdb"}, QDir::Files),
                 QStringList({"Proizvodnja2.mdb", "Skladiste1.mdb", "tvrtke.mdb"}));
        postReceipt(glavno_, article_, QStringLiteral("5"), QStringLiteral("3"));
        addCompany(QStringLiteral("Beta"));
        QVERIFY(dumpAll() != committed);

        const QString saved = restoreBackup(copy);
        QCOMPARE(dumpAll(), committed);
        // What was there before the restore is a copy of its own, listed with the others.
        QCOMPARE(listBackups().size(), size_t(2));
        QCOMPARE(listBackups().front().path, saved);
        QVERIFY(dump(QDir(saved).filePath("tvrtke.mdb")).contains("Beta"));
    }

    // The program folder after a restore holds exactly the books of the copy: a book added
    // later goes (kept in the copy made first), a book removed later comes back.
    void restoreMatchesTheSetOfBooks() {
        const QString copy = backUpDatabases();
        const int beta = addCompany(QStringLiteral("Beta"));
        const QString later = bookPath(kWarehouseKind, addBook(beta, "Novo", kWarehouseKind));
        QVERIFY(QFile::remove(pogon_));
        const QString saved = restoreBackup(copy);
        QVERIFY(!QFileInfo::exists(later));
        QVERIFY(QFileInfo::exists(QDir(saved).filePath(QFileInfo(later).fileName())));
        QCOMPARE(dump(pogon_), dump(QDir(copy).filePath("Proizvodnja2.mdb")));
    }

    // A copy that is not whole, half made, or holds anything but its own files is refused
    // before anything changes; only a complete one is listed. A crafted journal in the copy
    // naming a super-journal elsewhere never makes SQLite touch that file. The same holds of a
    // copy on a stick, and nothing of it is brought in.
    void incompleteCopyIsRefused_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("listed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("onStick");
        for (bool stick : {false, true}) {
            const auto row = [stick](const char* name) -> QTestData& {
                return QTest::newRow(qPrintable(QString(name) + (stick ? " (stick)" : "")));
            };
            row("damaged page") << "damage" << !stick << "Skladiste1.mdb" << stick;
            row("no manifest") << "manifest" << false << "popisa sadržaja" << stick;
            row("file missing") << "remove" << false << "nedostaje datoteka Proizvodnja2" << stick;
            row("size differs") << "append" << false << "Skladiste1.mdb u kopiji nije cijela"
                                << stick;
            row("crafted journal") << "journal" << false << "dnevnik" << stick;
            row("foreign file") << "foreign" << false << "ne pripada kopiji" << stick;
        }
    }
    void incompleteCopyIsRefused() {
        QFETCH(QString, change);
        QFETCH(bool, listed);
        QFETCH(QString, message);
        QFETCH(bool, onStick);
        addCustomers(glavno_, 500);
        QTemporaryDir stick;
        const QString copy = onStick ? backUpDatabasesTo(stick.path()) : backUpDatabases();
        const QDir c(copy);
        QTemporaryDir watched;
        const QString victim = watched.filePath("drugo.txt");
        QVERIFY(writeFile(victim, "ne dirati"));
        if (change == "damage") damage(c.filePath("Skladiste1.mdb"));
        if (change == "manifest") QVERIFY(QFile::remove(c.filePath("kopija.json")));
        if (change == "remove") QVERIFY(QFile::remove(c.filePath("Proizvodnja2.mdb")));
        if (change == "append") QVERIFY(appendFile(c.filePath("Skladiste1.mdb"), "x"));
        if (change == "foreign") QVERIFY(writeFile(c.filePath("citaj.txt"), "x"));
        if (change == "journal") {
            // A garbage header (hot) and a trailer naming the watched file as its super-journal.
            QByteArray j(1024, '\xA5');
            const QByteArray name = QFile::encodeName(victim);
            quint32 sum = 0;
            for (char ch : name)
                sum += quint32(uchar(ch));
            const auto be32 = [](quint32 v) {
                QByteArray b(4, '\0');
                qToBigEndian(v, b.data());
                return b;
            };
            j += be32(1) + name + be32(quint32(name.size())) + be32(sum) +
                 QByteArray("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8);
            QVERIFY(writeFile(c.filePath("Skladiste1.mdb-journal"), j));
        }
        const QMap<QString, QString> before = dumpAll();
        try {
            restoreBackupFrom(copy);
            QFAIL("restored");
        } catch (const DbError& e) {
            QVERIFY2(e.description().contains(message), qPrintable(e.description()));
            QVERIFY(e.description().contains("Baze programa nisu mijenjane."));
        }
        QCOMPARE(dumpAll(), before);
        QVERIFY(QFileInfo::exists(victim));
        QCOMPARE(listBackups().size(), size_t(listed ? 1 : 0));
        if (onStick)
            QCOMPARE(QDir(backupRoot())
                         .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     QStringList());
    }

    // A back-up stopped half way is never listed and goes at the next back-up; a bad book file
    // is left out and named, the others are backed up; a book never entered is named as having
    // no data yet. Everything of a copy is its owner's only.
    void backupLeavesOutBadFiles_data() {
        QTest::addColumn<QString>("bad");
        dataRow("zero length", QString("empty"));
        dataRow("damaged", QString("damaged"));
        dataRow("not ours", QString("foreign"));
    }
    void backupLeavesOutBadFiles() {
        QFETCH(QString, bad);
        addCustomers(glavno_, 500);
        insertBook(QString::number(int(context().currentCompanyId)), "Novo", kWarehouseKind, "-");
        const QString root = backupRoot();
        QVERIFY(QDir().mkpath(root + "/.u-izradi-99"));
        QVERIFY(
            QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(writeFile(root + "/.u-izradi-99/tvrtke.mdb", ""));
        QVERIFY(listBackups().empty());
        const QString file = bad == "damaged" ? glavno_ : context().bookPath("\\Skladiste9.mdb");
        if (bad == "damaged") damage(glavno_);
        if (bad != "damaged")
            QVERIFY(writeFile(file, bad == "empty" ? QByteArray() : QByteArray("nije baza")));

        BackupReport report;
        const QString copy = backUpDatabases(&report);
        QCOMPARE(report.leftOut.size(), 1);
        QVERIFY(report.leftOut[0].startsWith(QFileInfo(file).fileName()));
        QCOMPARE(report.noDataYet, QStringList{"Alfa - Novo"});
        QVERIFY(backupMessage(report).contains(QFileInfo(file).fileName()));
        QVERIFY(backupMessage(report).contains("Alfa - Novo"));
        QStringList expected = {"Proizvodnja2.mdb", "kopija.json", "tvrtke.mdb"};
        if (bad != "damaged") expected << "Skladiste1.mdb";
        QStringList inCopy = QDir(copy).entryList(QDir::Files);
        inCopy.sort();
        expected.sort();
        QCOMPARE(inCopy, expected);
        QCOMPARE(backupProblem(copy), QString());
        QCOMPARE(QDir(root).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QFileInfo(copy).fileName()});
        for (const QString& dir : {root, copy})
            QCOMPARE(mode(dir), 0700);
        for (const QString& name : expected)
            QCOMPARE(mode(QDir(copy).filePath(name)), 0600);
    }

    // A restore stopped at any step of its switch (as by a kill) is completed or undone at the
    // next start: the folder then holds exactly the copy's data or exactly the data before.
    void restoreInterruptedAtEachStep_data() {
        QTest::addColumn<int>("stopAt");
        for (int k = 0; k <= 12; ++k)
            QTest::newRow(qPrintable(QString::number(k))) << k;
    }
    void restoreInterruptedAtEachStep() {
        QFETCH(int, stopAt);
        const QString copy = backUpDatabases();
        const QMap<QString, QString> inCopy = dumpAll();
        postReceipt(glavno_, article_, QStringLiteral("5"), QStringLiteral("3"));
        addBook(addCompany("Beta"), "Novo", kWarehouseKind);
        const QMap<QString, QString> now = dumpAll();
        static int stop;
        stop = stopAt;
        testing::restoreStepHook = [](int step) { return step == stop; };
        bool stopped = false;
        try {
            restoreBackup(copy);
        } catch (const DbError&) {
            stopped = true;
        }
        testing::restoreStepHook = nullptr;
        const QString message = finishInterruptedRestore();
        QCOMPARE(message.isEmpty(), !stopped);
        if (stopped) QVERIFY(message.startsWith("Vraćanje sigurnosne kopije od"));
        QCOMPARE(dumpAll(), message.contains("poništeno") ? now : inCopy);
        // Nothing of the switch is left, and what came back is the owner's only.
        QCOMPARE(QDir(context().programFolder).entryList(QDir::Files | QDir::Hidden),
                 QDir(context().programFolder).entryList({"*.mdb"}, QDir::Files | QDir::Hidden));
        if (!message.contains("poništeno")) QCOMPARE(mode(glavno_), 0600);
        QCOMPARE(finishInterruptedRestore(), QString());
    }

    // A back-up onto a stick goes into a new folder of ours there, whole, also where the file
    // system has no RENAME_NOREPLACE. What killed back-ups of ours left there goes; a stranger's
    // things stay byte for byte, also when named like ours. Put back from the stick, the copy
    // is first brought in among the program's copies (once), and the data are exactly its own.
    void backupToOutsideFolderAndBack_data() {
        QTest::addColumn<bool>("noReplace");
        dataRow("renameat2", false);
        dataRow("no RENAME_NOREPLACE", true);
    }
    void backupToOutsideFolderAndBack() {
        QFETCH(bool, noReplace);
        testing::noRenameNoReplace = noReplace;
        const auto reset = qScopeGuard([] { testing::noRenameNoReplace = false; });
        QTemporaryDir stick;
        QDir usb(stick.path());
        const QString strange = ".knjige-lumen-u-izradi-7-1",
                      oldCopy = "Knjige Lumen kopija 2001-01-01 10.00.00";
        QVERIFY(usb.mkpath(strange) && usb.mkpath(oldCopy));
        QVERIFY(writeFile(usb.filePath("popis.txt"), "tuđe"));
        QVERIFY(writeFile(usb.filePath(strange + "/Skladiste1.mdb"), "tuđe"));
        QVERIFY(writeFile(usb.filePath(oldCopy + "/tvrtke.mdb"), "tuđe"));
        const QStringList strangers = folderSnapshot(usb.path());
        // Left by killed back-ups of ours: a half copy with its marker, one whose marker a kill
        // left empty, an empty folder named like a copy.
        const QString half = ".knjige-lumen-u-izradi-8-1";
        for (const QString& d : {half, QString(".knjige-lumen-u-izradi-9-1"),
                                 QString("Knjige Lumen kopija 2002-02-02 10.00.00")})
            QVERIFY(usb.mkpath(d));
        QVERIFY(writeFile(usb.filePath(half + "/.knjige-lumen-u-izradi"),
                          "Knjige Lumen: sigurnosna kopija u izradi\n" + half.toUtf8() + "\n"));
        QVERIFY(writeFile(usb.filePath(half + "/tvrtke.mdb-journal"), "pola"));
        QVERIFY(writeFile(usb.filePath(".knjige-lumen-u-izradi-9-1/.knjige-lumen-u-izradi"), ""));

        const QMap<QString, QString> atCopy = dumpAll();
        BackupReport report;
        const QString copy = backUpDatabasesTo(usb.path(), &report);
        const QString name = QFileInfo(copy).fileName();
        QCOMPARE(report.folder, copy);
        QVERIFY2(name.startsWith("Knjige Lumen kopija "), qPrintable(name));
        QCOMPARE(backupProblem(copy), QString());
        // Everything on the stick but the copy `made`.
        const auto others = [&](const QString& made) {
            return folderSnapshot(usb.path())
                .filter(QRegularExpression("^(?!" + QRegularExpression::escape(made) + ")"));
        };
        QCOMPARE(others(name), strangers);
        QVERIFY(listBackups().empty());
        QCOMPARE(listBackupsIn(usb.path()).size(), size_t(1));
        QCOMPARE(listBackupsIn(copy).front().path, copy);

        postReceipt(glavno_, article_, QStringLiteral("5"), QStringLiteral("3"));
        addCompany(QStringLiteral("Beta"));
        restoreBackupFrom(copy);
        QCOMPARE(dumpAll(), atCopy);
        QCOMPARE(listBackups().size(), size_t(2));  // the copy brought in, the one made before
        restoreBackupFrom(copy);
        QCOMPARE(dumpAll(), atCopy);
        QCOMPARE(listBackups().size(), size_t(3));  // only the one made before is new
        QCOMPARE(others(name), strangers);
        QCOMPARE(backupProblem(copy), QString());
        // A whole copy under a staging name (a kill just before its rename) is ours too.
        QVERIFY(usb.rename(name, ".knjige-lumen-u-izradi-5-1"));
        QCOMPARE(others(QFileInfo(backUpDatabasesTo(usb.path())).fileName()), strangers);
    }

    // No back-up into the program folder, its back-up folder (also through a link) or a copy,
    // nor into a folder that does not exist; nothing changes anywhere.
    void outsideFolderRefused_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("message");
        dataRow("program folder", QString("program"), QString("je u mapi programa"));
        dataRow("its back-up folder", QString("backups"), QString("je u mapi programa"));
        dataRow("link to the program folder", QString("link"), QString("je u mapi programa"));
        dataRow("a copy on the stick", QString("copy"), QString("je sigurnosna kopija"));
        dataRow("missing", QString("missing"), QString("ne postoji"));
    }
    void outsideFolderRefused() {
        QFETCH(QString, where);
        QFETCH(QString, message);
        QTemporaryDir stick;
        const QString copy = backUpDatabasesTo(stick.path());
        backUpDatabases();
        QVERIFY(QFile::link(context().programFolder, stick.filePath("veza")));
        const QString folder = where == "program"   ? context().programFolder
                               : where == "backups" ? backupRoot()
                               : where == "link"    ? stick.filePath("veza")
                               : where == "copy"    ? copy
                                                    : stick.filePath("nema");
        const QStringList before =
            folderSnapshot(context().programFolder) + folderSnapshot(stick.path());
        QString why;
        QVERIFY(errorOf([&] { backUpDatabasesTo(folder); }, &why) != 0);
        QVERIFY2(why.startsWith("Sigurnosna kopija nije napravljena.") && why.contains(message),
                 qPrintable(why));
        QCOMPARE(folderSnapshot(context().programFolder) + folderSnapshot(stick.path()), before);
    }

    // The clerk backs up onto a stick chosen in the folder dialog and puts it back from there;
    // a folder in the program folder is refused with a word why.
    void toolsWindowBackUpToStickAndBack() {
        QTemporaryDir stick;
        QString chosen = stick.path();
        setFolderChooser([&chosen](const QString&, const QString&) { return chosen; });
        const auto reset = qScopeGuard([] { setFolderChooser({}); });
        auto* tools = windows().window<frmAlati>(win::Alati);
        showWindow(tools);
        click(tools, "cmdkopijana");
        QVERIFY2(box_->last().prompt.startsWith("Sigurnosna kopija svih baza spremljena je u "
                                                "mapu:\n" +
                                                stick.path() + "/Knjige Lumen kopija "),
                 qPrintable(box_->last().prompt));
        QCOMPARE(tools->backupList()->count(), 0);
        const QMap<QString, QString> atCopy = dumpAll();

        postReceipt(glavno_, article_, QStringLiteral("7"), QStringLiteral("1"));
        box_->answer(MsgResult::Yes);
        click(tools, "cmdvracanjes");
        QCOMPARE(dumpAll(), atCopy);
        QVERIFY(
            box_->shown()[box_->count() - 2].prompt.contains("Kopija je u mapi " + stick.path()));
        QVERIFY(box_->last().prompt.startsWith("Sigurnosna kopija je vraćena."));
        QCOMPARE(tools->backupList()->count(), 2);

        chosen = backupRoot();
        click(tools, "cmdkopijana");
        QVERIFY(box_->last().prompt.contains("je u mapi programa"));
        tools->close();
    }

    // The check names every database and finds the damaged one; compacting keeps every row.
    void checkAndCompact() {
        bool ok = false;
        QString report = checkDatabases(&ok);
        QVERIFY(ok);
        QVERIFY(report.contains("tvrtke.mdb"));
        QVERIFY(report.contains("Alfa - Glavno"));
        QVERIFY(report.contains("Provjereno baza: 3. Ispravnih: 3. Oštećenih: 0."));

        addCustomers(glavno_, 3000);
        QVERIFY(executeRaw(glavno_, "delete from kd where id > 100"));
        const QMap<QString, QString> before = dumpAll();
        const qint64 size = QFileInfo(glavno_).size();
        report = compactDatabases();
        QVERIFY2(QFileInfo(glavno_).size() < size, qPrintable(report));
        QCOMPARE(dumpAll(), before);
        QVERIFY(report.contains("Skladiste1.mdb"));
        QVERIFY(!report.contains("nije sažeta"));

        // A book another connection is writing is not compacted, and the report says its data
        // are unchanged (nothing was "not saved").
        sqlite3* writer = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(glavno_).constData(), &writer), SQLITE_OK);
        QCOMPARE(sqlite3_exec(writer, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        report = compactDatabases();
        sqlite3_close(writer);
        QVERIFY2(report.contains("nije sažeta, podaci su nepromijenjeni"), qPrintable(report));
        QVERIFY(!report.contains("nije spremljena"));

        damage(glavno_);
        report = checkDatabases(&ok);
        QVERIFY(!ok);
        QVERIFY2(report.contains(QRegularExpression("Skladiste1.mdb +Alfa - Glavno +OŠTEĆENA")),
                 qPrintable(report));
        QVERIFY(report.contains("Ispravnih: 2. Oštećenih: 1."));
    }

    // The clerk backs up from the book register while the book's window is open, posts on,
    // and puts the copy back: the window closes first and the data are those of the copy.
    void toolsWindowBackUpAndRestore() {
        auto* books = windows().window<frmIzborKnjige>(win::IzborKnjige);
        showWindow(books);
        clickRow(list(books, "lsvotvorene"), "Glavno", 0);
        click(books, "cmdUlaz");
        QVERIFY(windows().isLoaded(win::Skladiste));
        const QMap<QString, QString> atCopy = dumpAll();

        click(books, "cmdalati");
        auto* tools = windows().loaded<frmAlati>(win::Alati);
        QVERIFY(tools && tools->isVisible());
        QCOMPARE(tools->backupList()->count(), 0);
        click(tools, "cmdkopija");
        QCOMPARE(tools->backupList()->count(), 1);
        QVERIFY(box_->last().prompt.startsWith("Sigurnosna kopija svih baza spremljena je"));

        postReceipt(glavno_, article_, QStringLiteral("7"), QStringLiteral("1"));
        tools->backupList()->setCurrentRow(0);
        box_->answer(MsgResult::No);
        click(tools, "cmdvracanje");
        QVERIFY(dumpAll() != atCopy);
        box_->answer(MsgResult::Yes);
        click(tools, "cmdvracanje");
        QCOMPARE(dumpAll(), atCopy);
        QVERIFY(!windows().isLoaded(win::Skladiste));
        QVERIFY(box_->last().prompt.startsWith("Sigurnosna kopija je vraćena."));
        QCOMPARE(tools->backupList()->count(), 2);

        click(tools, "cmdprovjera");
        QVERIFY(tools->reportText().contains("Ispravnih: 3."));
        tools->close();
    }

    // The stock audit works on the book marked in the register, a warehouse book only.
    void stockAuditOfTheMarkedBook() {
        auto* books = windows().window<frmIzborKnjige>(win::IzborKnjige);
        showWindow(books);
        clickRow(list(books, "lsvotvorene"), "Pogon", 0);
        click(books, "cmdalati");
        auto* tools = windows().loaded<frmAlati>(win::Alati);
        click(tools, "cmdzalihe");
        QCOMPARE(box_->last().prompt,
                 "Provjera zaliha radi se za skladišnu knjigu. Označite "
                 "skladišnu knjigu na popisu knjiga.");
        QVERIFY(!windows().isLoaded(win::ProvjeraZaliha));
        tools->close();
        QTest::qWait(10);

        QVERIFY(executeRaw(glavno_, "update artikli set stanje=11"));
        clickRow(list(books, "lsvotvorene"), "Glavno", 0);
        click(books, "cmdalati");
        tools = windows().loaded<frmAlati>(win::Alati);
        click(tools, "cmdzalihe");
        auto* audit = windows().loaded<frmProvjeraZaliha>(win::ProvjeraZaliha);
        QVERIFY(audit && audit->isVisible());
        QCOMPARE(audit->book().filePath(), glavno_);
        QCOMPARE(audit->differences().size(), size_t(1));
    }

    // A book whose file the program made and someone then removed is not entered again as a
    // new, empty book; once the book is removed from the register, nothing of it is kept.
    void bookWhoseFileWentIsNotMadeAgain() {
        const QString id = insertBook(QString::number(int(context().currentCompanyId)), "Novo",
                                      kWarehouseKind, "-");
        const QString path = bookPath(kWarehouseKind, id.toInt());
        auto* books = windows().window<frmIzborKnjige>(win::IzborKnjige);
        showWindow(books);
        for (int entry = 0; entry < 3; ++entry) {
            clickRow(list(books, "lsvotvorene"), "Novo", 0);
            click(books, "cmdUlaz");
            QTest::qWait(10);
            if (entry == 0) {
                // The first entry makes the file, as always.
                QVERIFY(QFileInfo::exists(path));
                QVERIFY(windows().loaded<frmSkladiste>(win::Skladiste)->close());
                QTest::qWait(10);
                QVERIFY(QFile::remove(path));
                box_->clear();
            } else {
                QVERIFY(!QFileInfo::exists(path));
                QVERIFY(!windows().isLoaded(win::Skladiste));
                QCOMPARE(box_->last().title, "Knjigu nije moguće otvoriti");
                QVERIFY(box_->last().prompt.startsWith(
                    QStringLiteral("Datoteka knjige %1 ne postoji, a knjiga je već imala podatke.")
                        .arg(QFileInfo(path).fileName())));
            }
        }
        QVERIFY(bookFileWasMade(QFileInfo(path).fileName()));
        deleteBook(id, kWarehouseKind);
        QVERIFY(!bookFileWasMade(QFileInfo(path).fileName()));
    }
};

QTEST_MAIN(TstDbTools)
#include "tst_dbtools.moc"
