// A company whose books are on a server, worked through the same functions the windows call:
// where the register says it is, its list of books in its register schema, a book's schema made
// when it is first entered, articles, partners and documents written and read through book
// locations, the next number counted there, and a removed book's schema gone with its row.

#include "data/appcontext.h"
#include "data/database.h"
#include "data/serverbooks.h"
#include "pgtestserver.h"
#include "shell/books.h"
#include "shell/companyserver.h"
#include "testenv.h"
#include "warehouse/documents.h"
#include "warehouse/masterdata.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kl;

class TestServerCompany : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    ServerAddress server_;
    int company_ = 0;

  private slots:
    void initTestCase() {
        server_ = test::testServer();
        context().programFolder = folder_.path();
        test::createMaster();
        company_ = test::addCompany(QStringLiteral("Poslužiteljska d.o.o."));
        PgConnection c = PgConnection::connect(server_);
        c.exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE")
                   .arg(server::registerSchema(company_)));
        for (int id = 1; id < 4; ++id)
            for (const QString& kind : {kWarehouseKind, kProductionKind})
                c.exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE")
                           .arg(server::bookSchema(kind, id)));
    }

    void whereTheBooksAre() {
        const QString id = QString::number(company_);
        QVERIFY(!companyServer(id));
        {
            Database master = Database::open(context().masterPath());
            setCompanyServer(master, id, CompanyServer{server_, {}});
        }
        const CompanyServer entry{server_, server::registerSchema(company_)};
        QCOMPARE(companyServer(id), std::optional<CompanyServer>(entry));
        {
            Database master = Database::open(context().masterPath());
            QCOMPARE(test::errorOf([&] {
                         setCompanyServer(master, id, CompanyServer{server_, "x\"; drop"});
                     }),
                     DbErrorCode::Generic);
        }
        // A login the server refuses asks for the password once; a server that is not there
        // says so without asking.
        int asked = 0;
        ServerAddress wrongUser = server_;
        wrongUser.user = QStringLiteral("nepoznati_korisnik");
        QVERIFY(!checkCompanyServer({wrongUser, entry.registerSchema}, [&] {
                     ++asked;
                     return std::optional<QString>(QStringLiteral("kriva"));
                 }).isEmpty());
        QCOMPARE(asked, 1);
        ServerAddress nowhere = server_;
        nowhere.port = 1;
        QVERIFY(!checkCompanyServer({nowhere, entry.registerSchema}, [&] {
                     ++asked;
                     return std::nullopt;
                 }).isEmpty());
        QCOMPARE(asked, 1);
        // The first entry makes the company's register schema.
        QCOMPARE(checkCompanyServer(entry, {}), QString());
        QVERIFY(
            bookExists(BookLocation::server(server_, entry.registerSchema, server::kRegisterKind)));
        QCOMPARE(checkCompanyServer(entry, {}), QString());
    }

    void booksOnTheServer() {
        context().currentCompanyId = company_;
        enterCompanyServer(companyServer(QString::number(company_)));
        const QString companyId = context().companyIdText();
        const QString bookId =
            insertBook(companyId, QStringLiteral("Glavno skladište"), kWarehouseKind, {});
        QCOMPARE(loadBooks(companyId).size(), 1);
        // Nothing of it is in the program folder's register.
        QCOMPARE(test::rowCount(context().masterPath(), QStringLiteral("otvoreneknjige")), 0);

        context().currentBookFile = bookFileName(kWarehouseKind, bookId);
        const BookLocation book = context().currentBook();
        QVERIFY(book.onServer());
        QVERIFY(bookExists(book));  // its number claimed by its schema
        {
            // Another company in the same database: its first book is not this one's schema.
            const int other = test::addCompany(QStringLiteral("Druga d.o.o."));
            const CompanyServer entry{server_, server::registerSchema(other)};
            PgConnection::connect(server_).exec(
                QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(entry.registerSchema));
            QCOMPARE(checkCompanyServer(entry, {}), QString());
            context().currentCompanyId = other;
            enterCompanyServer(entry);
            const QString otherBook = insertBook(context().companyIdText(),
                                                 QStringLiteral("Skladište"), kWarehouseKind, {});
            QVERIFY(otherBook.toInt() > bookId.toInt());
            deleteBook(otherBook, kWarehouseKind);
            context().currentCompanyId = company_;
            enterCompanyServer(companyServer(QString::number(company_)));
            QVERIFY(bookExists(book));
        }
        QVERIFY(prepareBookFile(context().currentBookFile, kWarehouseKind));
        QVERIFY(bookExists(book));
        QVERIFY(prepareBookFile(context().currentBookFile, kWarehouseKind));  // made once

        insertArticles(book, {{QStringLiteral("001"),
                               {},
                               QStringLiteral("Čokolada"),
                               QStringLiteral("kom"),
                               QStringLiteral("0")}});
        insertPartners(
            book, {{QStringLiteral("d"), QStringLiteral("Đuro Žganjer"), {}, {}, {}, {}, {}, {}}},
            {QString()});
        insertDocumentType(book, QStringLiteral("Račun"));
        const std::vector<ArticleRow> articles = loadArticles(book);
        QCOMPARE(articles.size(), size_t(1));
        QCOMPARE(nextDocumentNumber(book, DocumentKind::Receipt), 1);

        DocumentHeader h;
        h.kind = DocumentKind::Receipt;
        h.broj = QStringLiteral("1");
        h.proposedNumber = true;
        h.datum = h.datumdok = QDate(2026, 12, 7);
        h.partner = QStringLiteral("Đuro Žganjer");
        h.documentType = QStringLiteral("Račun");
        h.brojdok = QStringLiteral("R-1");
        const std::vector<DocumentLine> lines = {{QStringLiteral("001"), QStringLiteral("Čokolada"),
                                                  QStringLiteral("3,00"), QStringLiteral("1,10"),
                                                  QStringLiteral("3,30"), articles.front().id}};
        QCOMPARE(postDocument(book, h, lines).number, QStringLiteral("1"));
        // The window still shows 1 (another clerk took it): posting gives the next number.
        QCOMPARE(postDocument(book, h, lines).number, QStringLiteral("2"));
        h.proposedNumber = false;
        h.broj = QStringLiteral("40");
        QCOMPARE(postDocument(book, h, lines).number, QStringLiteral("40"));  // typed: kept
        QCOMPARE(nextDocumentNumber(book, DocumentKind::Receipt), 4);
        const std::optional<ArticleStock> a = findArticle(book, articles.front().id);
        QVERIFY(a);
        QCOMPARE(a->stanje, 9.0);
        QCOMPARE(a->proscijena, 1.1);

        deleteBook(bookId, kWarehouseKind);
        QVERIFY(!bookExists(book));
        QCOMPARE(loadBooks(companyId).size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestServerCompany)
#include "tst_servercompany.moc"
