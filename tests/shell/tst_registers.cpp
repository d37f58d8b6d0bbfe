// The company and book registers without windows: what is stored, what is removed with a
// company or a book, and the printed company sheet.

#include "data/appcontext.h"
#include "data/database.h"
#include "data/dberror.h"
#include "data/fileops.h"
#include "shell/books.h"
#include "shell/companies.h"
#include "testenv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sqlite3.h>

using namespace kl;
using namespace kl::test;

namespace {

CompanyFields fields(const QString& name, const QString& to = QStringLiteral("T")) {
    return {name,    "12345678901", "52.10",   to,           "2360000-1101234567",
            "10000", "Zagreb",      "Ilica 1", "01/234-567", "Ana Anić"};
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

class TstRegisters : public QObject {
    Q_OBJECT

  private slots:
    // Fields are stored trimmed, an empty one as "-"; text too long for its column is refused,
    // never cut, and a change is all or nothing.
    void companiesAreStoredListedByNameAndChanged() {
        TempProgramFolder folder;
        createMaster();
        QVERIFY_THROWS_EXCEPTION(DbError, insertCompany(fields(QString(31, QLatin1Char('a')))));
        QCOMPARE(loadCompanies().size(), 0);
        CompanyFields sparse{};
        sparse[0] = "  Žito  obrt ";
        sparse[1] = "   ";
        const QString zito = insertCompany(sparse);
        const QString alfa = insertCompany(fields("Alfa"));

        // In name order (inserted the other way round).
        QList<CompanyRow> rows = loadCompanies();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].fields, fields("Alfa"));
        QCOMPARE(rows[1].id, zito);
        CompanyFields dashes;
        dashes.fill("-");
        dashes[0] = "Žito  obrt";
        QCOMPARE(rows[1].fields, dashes);

        CompanyFields changed = fields("Alfa Beta", "O");
        changed[9] = QString();
        updateCompany(alfa, changed);
        changed[9] = "-";
        QCOMPARE(loadCompanies()[0].fields, changed);
        QCOMPARE(loadCompanies()[1].fields, dashes);  // others untouched
        // A change that fails on its fifth column leaves the first four as they were.
        CompanyFields bad = fields("Beta");
        bad[4] = QString(35, QLatin1Char('9'));  // an IBAN takes 34
        QVERIFY_THROWS_EXCEPTION(DbError, updateCompany(alfa, bad));
        QCOMPARE(loadCompanies()[0].fields, changed);
    }

    // Where a company's books are is stored with it; a company with books in the folder is not
    // put on a server by a change of its fields, nor a server company back into the folder.
    void whereACompanysBooksAre() {
        TempProgramFolder folder;
        createMaster();
        const CompanyServer server{{"baza.tvrtka.hr", 5433, "knjige", "referent"}, {}};
        const QString local = insertCompany(fields("Alfa"));
        const QString onServer = insertCompany(fields("Beta"), {}, server);
        QVERIFY(!companyServer(local));
        QCOMPARE(companyServer(onServer)->registerSchema, "tvrtka_" + onServer);
        QCOMPARE(companyServer(onServer)->address, server.address);

        insertBook(local, "Glavno", kWarehouseKind, "-");
        QCOMPARE(errorOf([&] { updateCompany(local, fields("Alfa"), {}, server); }),
                 DbErrorCode::Generic);
        QCOMPARE(errorOf([&] { updateCompany(onServer, fields("Beta"), {}, std::nullopt); }),
                 DbErrorCode::Generic);
        QVERIFY(!companyServer(local));
        CompanyServer moved = *companyServer(onServer);
        moved.address.host = "novi.tvrtka.hr";
        updateCompany(onServer, fields("Beta d.o.o."), {}, moved);
        QCOMPARE(*companyServer(onServer), moved);
        // A schema name the program would not make is refused before it names anything.
        moved.registerSchema = "Tvrtka\"; drop";
        QCOMPARE(errorOf([&] { updateCompany(onServer, fields("Beta"), {}, moved); }),
                 DbErrorCode::Generic);
        QCOMPARE(loadCompanies()[1].fields, fields("Beta d.o.o."));
        deleteCompany(onServer);
        QVERIFY(!companyServer(onServer));
    }

    // A book's kind never changes; its file goes with it, and a missing file does not stop it.
    void bookIsStoredChangedAndDeletedWithItsFile() {
        TempProgramFolder folder;
        createMaster();
        const QString id = insertBook("12", "Glavno skladište", kWarehouseKind, "Ilica 1");
        insertBook("120", "Tuđa", kWarehouseKind, "-");  // 12 does not own 120's books
        const QString other = insertBook("12", "Pogon", kProductionKind, "Savska 2");
        updateBook(id, "Skladište A", "Vukovarska 3");
        QList<BookRow> books = loadBooks("12");
        QCOMPARE(books.size(), 2);
        QCOMPARE(books[0].name, "Skladište A");
        QCOMPARE(books[0].address, "Vukovarska 3");
        QCOMPARE(books[0].kind, kWarehouseKind);
        QCOMPARE(books[1].id, other);

        const QString file = bookPath(kWarehouseKind, id.toInt());
        const QString otherFile = bookPath(kProductionKind, other.toInt());
        QFile(file).open(QIODevice::WriteOnly);
        QFile(otherFile).open(QIODevice::WriteOnly);
        deleteBook(id, kWarehouseKind);
        QVERIFY(!QFileInfo::exists(file));
        QCOMPARE(loadBooks("12").size(), 1);
        // The other book's file and the register stay; nothing staged is left.
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
                 QStringList({QFileInfo(otherFile).fileName(), "tvrtke.mdb"}));

        QFile::remove(otherFile);
        deleteBook(other, kProductionKind);
        QCOMPARE(loadBooks("12").size(), 0);
    }

    // A deletion that fails in the database keeps the company, its books and their files.
    void failedCompanyDeletionKeepsEverything() {
        TempProgramFolder folder;
        const int alfa = addCompany("Alfa");
        const int store = addBook(alfa, "Skladište", kWarehouseKind);
        const int plant = addBook(alfa, "Pogon", kProductionKind);
        QCOMPARE(sqlite3_exec(Database::open(context().masterPath()).handle(),
                              "create trigger ne_brisi before delete on otvoreneknjige "
                              "begin select raise(abort, 'disk'); end",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        QVERIFY_THROWS_EXCEPTION(DbError, deleteCompany(QString::number(alfa)));
        QVERIFY(QFileInfo::exists(bookPath(kWarehouseKind, store)));
        QVERIFY(QFileInfo::exists(bookPath(kProductionKind, plant)));
        QCOMPARE(loadCompanies().size(), 1);
        QCOMPARE(loadBooks(QString::number(alfa)).size(), 2);
        // Nothing staged is left lying around.
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).filter(".brisanje").size(), 0);
    }

    void bookRowsThatNameAFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("accepted");
        dataRow("warehouse", kWarehouseKind, QString("7"), true);
        dataRow("production", kProductionKind, QString("120"), true);
        dataRow("other kind", QString("Racun"), QString("7"), false);
        dataRow("kind with a path", QString("../../x/Racun"), QString("7"), false);
        dataRow("id with a path", kWarehouseKind, QString("1/../2"), false);
        dataRow("negative", kWarehouseKind, QString("-7"), false);
        dataRow("zero", kWarehouseKind, QString("0"), false);
        dataRow("leading zero", kWarehouseKind, QString("07"), false);
        dataRow("fraction", kWarehouseKind, QString("7.5"), false);
        dataRow("blank", kWarehouseKind, QString(" 7"), false);
        dataRow("empty", kWarehouseKind, QString(), false);
    }
    void bookRowsThatNameAFile() {
        QFETCH(QString, kind);
        QFETCH(QString, id);
        QFETCH(bool, accepted);
        QCOMPARE(isBookRow(kind, id), accepted);
        if (!accepted) QVERIFY_THROWS_EXCEPTION(DbError, checkedBookFileName(kind, id));
    }

    // A register made elsewhere: a book row whose kind or id names no file of ours, or a book
    // file that is a symbolic link, is refused with a message before any file is touched, when
    // the book or its company is deleted and when the book is entered. Outside the program
    // folder nothing changes.
    void craftedRegisterTouchesNothingOutside_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("message");
        const QString row = "nije ispravno upisana";
        dataRow("kind leaving the folder", QString("../../x/Racun"), 5, row);
        dataRow("kind through a folder", QString("Skladiste1/../../../x/Racun"), 5, row);
        dataRow("negative id", kWarehouseKind, -3, row);
        dataRow("book file a symbolic link", kWarehouseKind, 9,
                QString("nije obična datoteka u mapi programa"));
    }
    void craftedRegisterTouchesNothingOutside() {
        QFETCH(QString, kind);
        QFETCH(int, id);
        QFETCH(QString, message);
        TempProgramFolder root;
        const QString watched = root.filePath("x");
        QVERIFY(QDir().mkpath(watched));
        QVERIFY(QDir().mkpath(root.filePath("a/b/Skladiste1")));
        context().programFolder = root.filePath("a/b");
        writeFile(watched + "/Racun5.mdb", "tuđi podaci");
        writeFile(watched + "/Racun5.mdb-journal", "tuđi dnevnik");
        QVERIFY(QFile::link(watched + "/Racun5.mdb", context().programFolder + "/Skladiste9.mdb"));
        createMaster();
        QVERIFY(executeRaw(context().masterPath(),
                           QString("insert into svetvrtke(id,ime) values(7,'Zla');"
                                   "insert into otvoreneknjige(id,idtvrtke,nazivknjige,"
                                   "vrstaknjige,adresa) values(%1,'7','Knjiga','%2','-')")
                               .arg(id)
                               .arg(kind)));
        const QStringList before = folderSnapshot(watched);
        const QString idText = QString::number(id);
        const auto refused = [&](const std::function<void()>& action) {
            try {
                action();
            } catch (const DbError& e) {
                return e.description().contains(message);
            }
            return false;
        };
        QVERIFY(refused([&] { deleteBook(idText, kind); }));
        QVERIFY(refused([&] { deleteCompany("7"); }));
        // Entering: the row gives the file name, then the file is prepared.
        QVERIFY(refused([&] { prepareBookFile(checkedBookFileName(kind, idText), kind); }));
        QCOMPARE(loadBooks("7").size(), 1);
        QCOMPARE(loadCompanies().size(), 1);
        QCOMPARE(folderSnapshot(watched), before);
        QVERIFY(QFileInfo(context().programFolder + "/Skladiste9.mdb").isSymLink());
    }

    // At start, what a killed deletion or creation left is finished or undone from the register:
    // a registered book's staged files go back, an unregistered book's go; a name taken
    // meanwhile keeps both; creation temporaries of a dead process go. Names not exactly ours
    // and symbolic links are left alone.
    void interruptedRemovalsAreSettledAtStart() {
        TempProgramFolder folder;
        createMaster();
        for (int i = 1; i <= 3; ++i)
            insertBook("7", "Knjiga", kWarehouseKind, "-");
        deleteBook("2", kWarehouseKind);
        const QString own = QString::number(QCoreApplication::applicationPid());
        const QStringList keep = {"Racun.mdb.brisanje",
                                  "Skladiste01.mdb.brisanje",
                                  "Skladiste1.mdb.brisanje2",
                                  "Skladiste4.mdb.nova-" + own,
                                  "Skladiste4.mdb.nova-1x",
                                  "Skladiste3.mdb",
                                  "tvrtke.mdb"};
        for (const QString& name :
             keep + QStringList{"Skladiste1.mdb.brisanje", "Skladiste1.mdb-journal.brisanje",
                                "Skladiste2.mdb.brisanje", "Skladiste3.mdb.brisanje",
                                "Skladiste4.mdb.nova-99999999", "tvrtke.mdb.nova-99999999-journal"})
            if (name != "tvrtke.mdb") writeFile(folder.filePath(name), name.toUtf8());
        // A staged name that is a symbolic link to a file elsewhere.
        const QString outside = QDir(folder.path()).filePath("../izvan-" + own);
        writeFile(outside, "tuđe");
        QVERIFY(QFile::link(outside, folder.filePath("Skladiste2.mdb-journal.brisanje")));

        const QStringList notes = finishInterruptedRemovals();
        QVERIFY(QFileInfo(folder.filePath("Skladiste2.mdb-journal.brisanje")).isSymLink());
        QFile target(outside);
        QVERIFY(target.open(QIODevice::ReadOnly));
        QCOMPARE(target.readAll(), QString("tuđe").toUtf8());
        target.close();
        QVERIFY(QFile::remove(outside));
        QCOMPARE(notes.size(), 1);
        QVERIFY(notes[0].contains("Skladiste3.mdb"));
        QStringList expected = keep + QStringList{"Skladiste1.mdb", "Skladiste1.mdb-journal",
                                                  "Skladiste2.mdb-journal.brisanje"};
        QStringList found = QDir(folder.path()).entryList(QDir::Files | QDir::System);
        const QStringList kept = found.filter(".sacuvano-");
        QCOMPARE(kept.size(), 1);
        QVERIFY(kept[0].startsWith("Skladiste3.mdb.sacuvano-"));
        found.removeAll(kept[0]);
        expected.sort();
        QCOMPARE(found, expected);
        QFile restored(folder.filePath("Skladiste1.mdb"));
        QVERIFY(restored.open(QIODevice::ReadOnly));
        QCOMPARE(restored.readAll(), "Skladiste1.mdb.brisanje");
    }

    void companySheetLines_data() {
        QTest::addColumn<QString>("oib");
        dataRow("no OIB", "");
        dataRow("OIB on a line of its own", "12345678903");
    }
    void companySheetLines() {
        QFETCH(QString, oib);
        const QStringList lines =
            kl::companySheetLines({"3", fields("Lumen d.o.o."), oib}, QDate(2026, 12, 5));
        const QString in(10, QLatin1Char(' '));
        QStringList expected = {"", "", "",
                                in + "Ispis podataka za: !Lumen d.o.o.  na dan: 05.12.2026"};
        for (const char* line :
             {"Naziv T/O   :  Lumen d.o.o.", "Matični br. :  12345678901", "Šifra djel. :  52.10",
              "Tvrtka/obrt :  T", "Žiro račun  :  2360000-1101234567", "Pošt. br.   :  10000",
              "Mjesto      :  Zagreb", "Ulica i br. :  Ilica 1", "Telefon     :  01/234-567",
              "Kontaktiraj :  Ana Anić"})
            expected << QString() << in + QString::fromUtf8(line);
        if (!oib.isEmpty()) expected << QString() << in + "OIB         :  " + oib;
        QCOMPARE(lines, expected);
    }
};

QTEST_MAIN(TstRegisters)
#include "tst_registers.moc"
