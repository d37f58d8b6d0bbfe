// The company and book registers without windows: what is stored, what is removed with a
// company or a book, and the printed company sheet.

#include "data/appcontext.h"
#include "data/database.h"
#include "data/dberror.h"
#include "shell/books.h"
#include "shell/companies.h"
#include "testenv.h"

#include <QDir>
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
        bad[4] = QString(21, QLatin1Char('9'));
        QVERIFY_THROWS_EXCEPTION(DbError, updateCompany(alfa, bad));
        QCOMPARE(loadCompanies()[0].fields, changed);
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

    void companySheetLines() {
        const QStringList lines =
            kl::companySheetLines({"3", fields("Lumen d.o.o.")}, QDate(2026, 12, 5));
        const QString in(10, QLatin1Char(' '));
        QStringList expected = {"", "", "",
                                in + "Ispis podataka za: !Lumen d.o.o.  na dan: 05.12.2026"};
        for (const char* line :
             {"Naziv T/O   :  Lumen d.o.o.", "Matični br. :  12345678901", "Šifra djel. :  52.10",
              "Tvrtka/obrt :  T", "Žiro račun  :  2360000-1101234567", "Pošt. br.   :  10000",
              "Mjesto      :  Zagreb", "Ulica i br. :  Ilica 1", "Telefon     :  01/234-567",
              "Kontaktiraj :  Ana Anić"})
            expected << QString() << in + QString::fromUtf8(line);
        QCOMPARE(lines, expected);
    }
};

QTEST_MAIN(TstRegisters)
#include "tst_registers.moc"
