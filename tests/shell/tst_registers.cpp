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
    return {name,
            QStringLiteral("12345678901"),
            QStringLiteral("52.10"),
            to,
            QStringLiteral("2360000-1101234567"),
            QStringLiteral("10000"),
            QStringLiteral("Zagreb"),
            QStringLiteral("Ilica 1"),
            QStringLiteral("01/234-567"),
            QStringLiteral("Ana Anić")};
}

}  // namespace

class TstRegisters : public QObject {
    Q_OBJECT

  private slots:
    void storedFieldTrimsAndDashes_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("empty") << ""
                               << "-";
        QTest::newRow("blanks only") << "   "
                                     << "-";
        QTest::newRow("leading and trailing") << "  Lumen d.o.o.  "
                                              << "Lumen d.o.o.";
        QTest::newRow("inner blanks kept") << "Obrt  Ana"
                                           << "Obrt  Ana";
        QTest::newRow("unchanged") << "Zagreb"
                                   << "Zagreb";
    }
    void storedFieldTrimsAndDashes() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(storedField(typed), stored);
    }

    void companiesAreStoredListedByNameAndChanged() {
        TempProgramFolder folder;
        createMaster();
        CompanyFields sparse{};
        sparse[0] = QStringLiteral("  Žito obrt ");
        const QString zito = insertCompany(sparse);
        const QString alfa = insertCompany(fields(QStringLiteral("Alfa")));
        insertCompany(fields(QStringLiteral("čelik")));

        QList<CompanyRow> rows = loadCompanies();
        QCOMPARE(rows.size(), 3);
        // Croatian order, case-insensitive: Alfa, čelik, Žito.
        QCOMPARE(rows[0].name(), QStringLiteral("Alfa"));
        QCOMPARE(rows[1].name(), QStringLiteral("čelik"));
        QCOMPARE(rows[2].name(), QStringLiteral("Žito obrt"));
        QCOMPARE(rows[2].id, zito);
        for (size_t i = 1; i < 10; ++i)
            QCOMPARE(rows[2].fields[i], QStringLiteral("-"));
        QCOMPARE(rows[0].fields, fields(QStringLiteral("Alfa")));

        CompanyFields changed = fields(QStringLiteral("Alfa Beta"), QStringLiteral("O"));
        changed[9] = QString();
        updateCompany(alfa, changed);
        rows = loadCompanies();
        QCOMPARE(rows[0].name(), QStringLiteral("Alfa Beta"));
        QCOMPARE(rows[0].fields[3], QStringLiteral("O"));
        QCOMPARE(rows[0].fields[9], QStringLiteral("-"));
        QCOMPARE(rows[2].name(), QStringLiteral("Žito obrt"));  // others untouched
    }

    void tooLongTextIsRefusedNotCut() {
        TempProgramFolder folder;
        createMaster();
        CompanyFields f = fields(QString(31, QLatin1Char('a')));
        QVERIFY_THROWS_EXCEPTION(DbError, insertCompany(f));
        QCOMPARE(loadCompanies().size(), 0);
        // An update that fails on its fifth column leaves the first four as they were.
        const QString id = insertCompany(fields(QStringLiteral("Alfa")));
        CompanyFields bad = fields(QStringLiteral("Beta"));
        bad[4] = QString(21, QLatin1Char('9'));
        QVERIFY_THROWS_EXCEPTION(DbError, updateCompany(id, bad));
        QCOMPARE(loadCompanies().at(0).name(), QStringLiteral("Alfa"));
    }

    // A company's books are the rows whose idtvrtke is its id as text: 12 does not own 120's.
    void booksBelongToTheirCompanyOnly() {
        TempProgramFolder folder;
        createMaster();
        Database db = Database::open(context().masterPath());
        for (const char* owner : {"12", "120", "1", "12"}) {
            db.execute(QStringLiteral("insert into otvoreneknjige(idtvrtke,nazivknjige,vrstaknjige,"
                                      "adresa)values(?,?,'Skladiste','-')"),
                       {QString::fromLatin1(owner), QStringLiteral("Knjiga ") + owner});
        }
        db.close();
        const QList<BookRow> books = loadBooks(QStringLiteral("12"));
        QCOMPARE(books.size(), 2);
        QCOMPARE(books[0].id, QStringLiteral("1"));
        QCOMPARE(books[1].id, QStringLiteral("4"));
        QCOMPARE(loadBookKinds(),
                 QStringList({QStringLiteral("Proizvodnja"), QStringLiteral("Skladiste")}));
    }

    void bookIsStoredChangedAndDeletedWithItsFile() {
        TempProgramFolder folder;
        const int company = addCompany(QStringLiteral("Alfa"));
        const QString id = insertBook(QString::number(company), QStringLiteral("Glavno skladište"),
                                      kWarehouseKind, QStringLiteral("Ilica 1"));
        const QString other = insertBook(QString::number(company), QStringLiteral("Pogon"),
                                         kProductionKind, QStringLiteral("Savska 2"));
        updateBook(id, QStringLiteral("Skladište A"), QStringLiteral("Vukovarska 3"));
        QList<BookRow> books = loadBooks(QString::number(company));
        QCOMPARE(books.size(), 2);
        QCOMPARE(books[0].name, QStringLiteral("Skladište A"));
        QCOMPARE(books[0].address, QStringLiteral("Vukovarska 3"));
        QCOMPARE(books[0].kind, kWarehouseKind);  // the kind never changes

        const QString file = bookPath(kWarehouseKind, id.toInt());
        const QString otherFile = bookPath(kProductionKind, other.toInt());
        QFile(file).open(QIODevice::WriteOnly);
        QFile(otherFile).open(QIODevice::WriteOnly);
        deleteBook(id, kWarehouseKind);
        QVERIFY(!QFileInfo::exists(file));
        QVERIFY(QFileInfo::exists(otherFile));
        QCOMPARE(loadBooks(QString::number(company)).size(), 1);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 2);  // no staged leftovers

        // A book whose file is already gone is still removed from the register.
        QFile::remove(otherFile);
        deleteBook(other, kProductionKind);
        QCOMPARE(loadBooks(QString::number(company)).size(), 0);
    }

    void companyIsDeletedWithAllItsBooksAndFiles_data() {
        QTest::addColumn<bool>("missingFile");
        QTest::newRow("every file present") << false;
        QTest::newRow("one file already gone") << true;
    }
    void companyIsDeletedWithAllItsBooksAndFiles() {
        QFETCH(bool, missingFile);
        TempProgramFolder folder;
        const int alfa = addCompany(QStringLiteral("Alfa"));
        const int beta = addCompany(QStringLiteral("Beta"));
        const int store = addBook(alfa, QStringLiteral("Skladište"), kWarehouseKind);
        const int plant = addBook(alfa, QStringLiteral("Pogon"), kProductionKind);
        const int betaStore = addBook(beta, QStringLiteral("Skladište"), kWarehouseKind);
        if (missingFile) QFile::remove(bookPath(kWarehouseKind, store));

        deleteCompany(QString::number(alfa));

        QVERIFY(!QFileInfo::exists(bookPath(kWarehouseKind, store)));
        QVERIFY(!QFileInfo::exists(bookPath(kProductionKind, plant)));
        QVERIFY(QFileInfo::exists(bookPath(kWarehouseKind, betaStore)));
        const QList<CompanyRow> companies = loadCompanies();
        QCOMPARE(companies.size(), 1);
        QCOMPARE(companies[0].name(), QStringLiteral("Beta"));
        QCOMPARE(loadBooks(QString::number(alfa)).size(), 0);
        QCOMPARE(loadBooks(QString::number(beta)).size(), 1);
        QCOMPARE(rowCount(context().masterPath(), QStringLiteral("otvoreneknjige")), 1);
    }

    // A deletion that fails in the database keeps the company, its books and their files.
    void failedCompanyDeletionKeepsEverything() {
        TempProgramFolder folder;
        const int alfa = addCompany(QStringLiteral("Alfa"));
        const int store = addBook(alfa, QStringLiteral("Skladište"), kWarehouseKind);
        const int plant = addBook(alfa, QStringLiteral("Pogon"), kProductionKind);
        {
            Database db = Database::open(context().masterPath());
            sqlite3* h = db.handle();
            QCOMPARE(sqlite3_exec(h,
                                  "create trigger ne_brisi before delete on otvoreneknjige "
                                  "begin select raise(abort, 'disk'); end",
                                  nullptr, nullptr, nullptr),
                     SQLITE_OK);
        }
        QVERIFY_THROWS_EXCEPTION(DbError, deleteCompany(QString::number(alfa)));
        QVERIFY(QFileInfo::exists(bookPath(kWarehouseKind, store)));
        QVERIFY(QFileInfo::exists(bookPath(kProductionKind, plant)));
        QCOMPARE(loadCompanies().size(), 1);
        QCOMPARE(loadBooks(QString::number(alfa)).size(), 2);
        // Nothing staged is left lying around.
        const QStringList files = QDir(folder.path()).entryList(QDir::Files);
        QCOMPARE(files.filter(QStringLiteral(".brisanje")).size(), 0);
    }

    void companySheetLines() {
        CompanyRow c;
        c.id = QStringLiteral("3");
        c.fields = fields(QStringLiteral("Lumen d.o.o."));
        const QStringList lines = kl::companySheetLines(c, QDate(2026, 12, 5));
        const QString in(10, QLatin1Char(' '));
        const QStringList expected = {
            QString(), QString(),
            QString(), in + QStringLiteral("Ispis podataka za: !Lumen d.o.o.  na dan: 05.12.2026"),
            QString(), in + QStringLiteral("Naziv T/O   :  Lumen d.o.o."),
            QString(), in + QStringLiteral("Matični br. :  12345678901"),
            QString(), in + QStringLiteral("Šifra djel. :  52.10"),
            QString(), in + QStringLiteral("Tvrtka/obrt :  T"),
            QString(), in + QStringLiteral("Žiro račun  :  2360000-1101234567"),
            QString(), in + QStringLiteral("Pošt. br.   :  10000"),
            QString(), in + QStringLiteral("Mjesto      :  Zagreb"),
            QString(), in + QStringLiteral("Ulica i br. :  Ilica 1"),
            QString(), in + QStringLiteral("Telefon     :  01/234-567"),
            QString(), in + QStringLiteral("Kontaktiraj :  Ana Anić")};
        QCOMPARE(lines, expected);
    }
};

QTEST_MAIN(TstRegisters)
#include "tst_registers.moc"
