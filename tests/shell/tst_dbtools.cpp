// The database tools of the book register: back-up copies taken while books are in use and put
// back to the same data, the integrity check, compacting, and the tools window as the clerk
// uses it.

#include "data/appcontext.h"
#include "data/dberror.h"
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
#include "windowtest.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTest>

#include <sqlite3.h>

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

    // A copy that is not whole, or not ours, is refused before anything changes.
    void damagedCopyIsRefused_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("remove");
        QTest::addColumn<QString>("message");
        QTest::newRow("damaged book") << "Skladiste1.mdb" << false << "Skladiste1.mdb";
        QTest::newRow("no register") << "tvrtke.mdb" << true << "nije sigurnosna kopija";
    }
    void damagedCopyIsRefused() {
        QFETCH(QString, file);
        QFETCH(bool, remove);
        QFETCH(QString, message);
        addCustomers(glavno_, 500);
        const QString copy = backUpDatabases();
        if (remove)
            QVERIFY(QFile::remove(QDir(copy).filePath(file)));
        else
            damage(QDir(copy).filePath(file));
        const QMap<QString, QString> before = dumpAll();
        try {
            restoreBackup(copy);
            QFAIL("restored");
        } catch (const DbError& e) {
            QVERIFY2(e.description().contains(message), qPrintable(e.description()));
        }
        QCOMPARE(dumpAll(), before);
        QCOMPARE(listBackups().size(), size_t(remove ? 0 : 1));
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
        QCOMPARE(audit->bookPath(), glavno_);
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
