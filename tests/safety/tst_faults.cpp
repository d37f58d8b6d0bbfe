// Faults of the file system under the books: a book file or its folder that may not be written,
// a full disk at every stage of a posting, of a work order and of a transfer between books, a book
// deleted or moved while the program runs. Each fault gives its own Croatian message, the windows
// show it, and every book stays exactly as it was (byte for byte); once the fault is gone the same
// action succeeds.

#include "data/database.h"
#include "production/productionfixture.h"
#include "warehouse/frmartikli.h"
#include "warehouse/frmprimka.h"
#include "warehouse/masterdata.h"
#include "warehouse/transfer.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <map>

using namespace kl;
using namespace kl::test;

namespace {

// ---- File modes that hold for root too ---------------------------------------------------------
// Root writes any file whatever its mode. While a ModesEnforced lives, the calling thread (the
// one the program and SQLite run on) has CAP_DAC_OVERRIDE dropped from its effective
// capabilities but kept as permitted, so the kernel refuses writes by mode exactly as it does
// for a clerk's account; the destructor takes the capability back. Other users need nothing.
class ModesEnforced {
  public:
    ModesEnforced() {
        if (::geteuid() != 0) return;
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        if (::syscall(SYS_capget, &header_, saved_) != 0) {
            failed_ = true;
            return;
        }
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
        failed_ = ::syscall(SYS_capset, &header_, reduced) != 0;
        dropped_ = !failed_;
    }
    ~ModesEnforced() {
        if (dropped_) ::syscall(SYS_capset, &header_, saved_);
    }
    ModesEnforced(const ModesEnforced&) = delete;
    ModesEnforced& operator=(const ModesEnforced&) = delete;
    bool failed() const { return failed_; }

  private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false, failed_ = false;
};

// ---- A disk that fills up ---------------------------------------------------------------------
// A VFS registered as SQLite's default that passes everything to the unix VFS but counts the new
// space its files take: a write or truncation that makes a file longer takes bytes from a budget,
// overwriting what a file already holds takes none (as on a real disk). When the budget cannot
// cover it, the call fails with SQLITE_FULL and writes nothing. A budget below zero is no limit.
struct FullDisk {
    static inline sqlite3_vfs* base = nullptr;
    static inline sqlite3_vfs vfs{};
    static inline sqlite3_io_methods io{};
    static inline qint64 left = -1;
    static inline qint64 taken = 0;  // new bytes taken since the last reset()

    struct File {
        sqlite3_file file;
        sqlite3_file* real;
    };
    static sqlite3_file* real(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }

    static void reset(qint64 budget) {
        left = budget;
        taken = 0;
    }
    static int take(sqlite3_file* f, sqlite3_int64 end) {
        sqlite3_int64 size = 0;
        const int rc = real(f)->pMethods->xFileSize(real(f), &size);
        if (rc != SQLITE_OK) return rc;
        const qint64 grows = end > size ? end - size : 0;
        if (left >= 0 && grows > left) return SQLITE_FULL;
        if (left >= 0) left -= grows;
        taken += grows;
        return SQLITE_OK;
    }

    static void install() {
        base = sqlite3_vfs_find(nullptr);
        vfs = *base;
        vfs.zName = "kl_fulldisk";
        vfs.szOsFile = int(sizeof(File)) + base->szOsFile;
        vfs.xOpen = [](sqlite3_vfs*, sqlite3_filename zName, sqlite3_file* f, int flags,
                       int* outFlags) {
            File* p = reinterpret_cast<File*>(f);
            p->real = reinterpret_cast<sqlite3_file*>(p + 1);
            const int rc = base->xOpen(base, zName, p->real, flags, outFlags);
            p->file.pMethods = p->real->pMethods ? &io : nullptr;
            return rc;
        };
        vfs.xDelete = [](sqlite3_vfs*, const char* z, int sync) {
            return base->xDelete(base, z, sync);
        };
        vfs.xAccess = [](sqlite3_vfs*, const char* z, int flags, int* out) {
            return base->xAccess(base, z, flags, out);
        };
        vfs.xFullPathname = [](sqlite3_vfs*, const char* z, int n, char* out) {
            return base->xFullPathname(base, z, n, out);
        };

        io.iVersion = 3;
        io.xClose = [](sqlite3_file* f) { return real(f)->pMethods->xClose(real(f)); };
        io.xRead = [](sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
            return real(f)->pMethods->xRead(real(f), b, n, o);
        };
        io.xWrite = [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
            const int rc = take(f, o + n);
            return rc != SQLITE_OK ? rc : real(f)->pMethods->xWrite(real(f), b, n, o);
        };
        io.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) {
            const int rc = take(f, size);
            return rc != SQLITE_OK ? rc : real(f)->pMethods->xTruncate(real(f), size);
        };
        io.xSync = [](sqlite3_file* f, int flags) {
            return real(f)->pMethods->xSync(real(f), flags);
        };
        io.xFileSize = [](sqlite3_file* f, sqlite3_int64* s) {
            return real(f)->pMethods->xFileSize(real(f), s);
        };
        io.xLock = [](sqlite3_file* f, int l) { return real(f)->pMethods->xLock(real(f), l); };
        io.xUnlock = [](sqlite3_file* f, int l) { return real(f)->pMethods->xUnlock(real(f), l); };
        io.xCheckReservedLock = [](sqlite3_file* f, int* r) {
            return real(f)->pMethods->xCheckReservedLock(real(f), r);
        };
        io.xFileControl = [](sqlite3_file* f, int op, void* a) {
            return real(f)->pMethods->xFileControl(real(f), op, a);
        };
        io.xSectorSize = [](sqlite3_file* f) { return real(f)->pMethods->xSectorSize(real(f)); };
        io.xDeviceCharacteristics = [](sqlite3_file* f) {
            return real(f)->pMethods->xDeviceCharacteristics(real(f));
        };
        io.xShmMap = [](sqlite3_file* f, int a, int b, int c, void volatile** d) {
            return real(f)->pMethods->xShmMap(real(f), a, b, c, d);
        };
        io.xShmLock = [](sqlite3_file* f, int a, int b, int c) {
            return real(f)->pMethods->xShmLock(real(f), a, b, c);
        };
        io.xShmBarrier = [](sqlite3_file* f) { real(f)->pMethods->xShmBarrier(real(f)); };
        io.xShmUnmap = [](sqlite3_file* f, int d) {
            return real(f)->pMethods->xShmUnmap(real(f), d);
        };
        io.xFetch = [](sqlite3_file* f, sqlite3_int64 o, int n, void** p) {
            return real(f)->pMethods->xFetch(real(f), o, n, p);
        };
        io.xUnfetch = [](sqlite3_file* f, sqlite3_int64 o, void* p) {
            return real(f)->pMethods->xUnfetch(real(f), o, p);
        };
        sqlite3_vfs_register(&vfs, 1);
    }
};

// Set in main(): the test runs in a mount namespace of its own, so it may mount a small tmpfs
// (a real disk that fills up) without touching the machine's mounts.
bool gOwnMounts = false;

// ---- Books compared byte for byte ---------------------------------------------------------------

// Every file of the program folder with its contents; a journal left behind shows up too.
std::map<QString, QByteArray> folderFiles() {
    std::map<QString, QByteArray> files;
    for (const QFileInfo& fi :
         QDir(context().programFolder).entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile f(fi.filePath());
        files[fi.fileName()] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("?");
    }
    return files;
}
QStringList names(const std::map<QString, QByteArray>& files) {
    QStringList n;
    for (const auto& [name, bytes] : files)
        n.append(name);
    return n;
}

DocumentHeader receiptHeader(const BookLocation& book) {
    DocumentHeader h;
    h.kind = DocumentKind::Receipt;
    h.broj = QString::number(nextDocumentNumber(book, DocumentKind::Receipt));
    h.datum = QDate(2026, 3, 2);
    h.partner = QStringLiteral("Dobavljač");
    h.documentType = QStringLiteral("Račun");
    h.brojdok = QStringLiteral("R-1");
    h.datumdok = QDate(2026, 3, 1);
    return h;
}

enum Fault { Deleted, ReadOnlyFile, ReadOnlyFolder, DiskFull };

const char* const kMissing = "Datoteka baze podataka %1 ne postoji.";
const char* const kReadOnlyFile =
    "Datoteka baze %1 je samo za čitanje (zaštićena od pisanja). Promjena nije spremljena.";
const char* const kReadOnlyFolder =
    "Baza %1 se ne može mijenjati: u mapu %2 nije dopušteno pisati. Promjena nije spremljena; "
    "provjerite prava pristupa mapi.";
const char* const kDiskFull =
    "Na disku nema dovoljno mjesta za bazu %1. Promjena nije spremljena; oslobodite prostor na "
    "disku i pokušajte ponovno.";

}  // namespace

class TstFaults : public ProductionTest {
    Q_OBJECT

    int kabel_ = 0, zica_ = 0, vijak_ = 0;

    // The warehouse book "Glavno" with a supplier, a document type and two articles; "Pomoćno"
    // with one; the product "Ormar" made of articles of both.
    void seed() {
        addPartner(books_.glavnoBook, "d", "Dobavljač");
        addDocumentType(books_.glavnoBook, "Račun");
        kabel_ = addArticle(books_.glavnoBook, "K1", "Kabel", 100, 125, 1.25);
        zica_ = addArticle(books_.glavnoBook, "Z1", "Žica", 10, 30, 3);
        vijak_ = addArticle(books_.pomocnoBook, "V1", "Vijak", 50, 5, 0.1);
        storeProduct(books_.productionBook, {"ORM", "Ormar", "", "kom"},
                     {billLine("Glavno", books_.glavno, kabel_, "K1", "Kabel", "4,00", "1,20"),
                      billLine("Pomoćno", books_.pomocno, vijak_, "V1", "Vijak", "2,00", "0,10"),
                      billLine("Glavno", books_.glavno, zica_, "Z1", "Žica", "0,50", "3,00")});
    }
    // A receipt of three lines (the second article twice) into "Glavno".
    void postReceipt() {
        const QString k = QString::number(kabel_), z = QString::number(zica_);
        postDocument(books_.glavnoBook, receiptHeader(books_.glavnoBook),
                     {{"K1", "Kabel", "10,00", "1,30", "13,00", k},
                      {"Z1", "Žica", "2,00", "3,10", "6,20", z},
                      {"K1", "Kabel", "5,00", "1,40", "7,00", k}});
    }
    // A work order of 2 "Ormar": issue notes into both warehouse books.
    void issueOrmar() {
        auto m = loadMaterials(books_.productionBook, "Ormar");
        applyQuantity(m->lines, "2,00");
        WorkOrder o;
        o.brojrn = QString::number(nextWorkOrderNumber(books_.productionBook));
        o.datumotv = QDate(2026, 3, 2);
        o.datumzatv = QDate(2026, 3, 9);
        o.productId = m->productId;
        o.kolicina = "2,00";
        o.costs = {materialCost(m->lines), "10,00", "0,00", "0,00", "0,00", "0,00"};
        issueWorkOrder(books_.productionBook, o, m->lines);
    }
    // 10 Kabel from "Glavno" to "Pomoćno", which gets the article and its first transfer.
    void transferKabel() {
        const TransferResult r =
            postTransfer({{books_.glavnoId(), "Glavno"},
                          {books_.pomocnoId(), "Pomoćno"},
                          QDate(2026, 3, 2),
                          {{"K1", "Kabel", "10,00", {}, {}, QString::number(kabel_)}}});
        QCOMPARE(r.refusal, QString());
    }
    void run(const QString& operation) {
        if (operation == "receipt")
            postReceipt();
        else if (operation == "transfer")
            transferKabel();
        else
            issueOrmar();
    }

    QString message(const char* text, const QString& path) const {
        return QString::fromUtf8(text)
            .replace("%1", QFileInfo(path).fileName())
            .replace("%2", QDir::toNativeSeparators(context().programFolder));
    }

  private slots:
    void initTestCase() { FullDisk::install(); }

    // A full disk hits the posting of a receipt and the issue of a work order at every stage:
    // the budget is a share of the new space the action takes when it succeeds, so the failure
    // falls on the journal's header, its first pages, later pages, and the growth of the books
    // at commit. Every book stays byte for byte as it was and no journal is left; with the space
    // back the same action succeeds.
    void fullDisk_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<double>("share");
        for (const char* op : {"receipt", "work order", "transfer"})
            for (double share : {0.0, 0.05, 0.2, 0.4, 0.6, 0.8, 0.95, 0.999})
                QTest::addRow("%s, %g of the space", op, share) << QString(op) << share;
    }
    void fullDisk() {
        QFETCH(QString, operation);
        QFETCH(double, share);
        seed();
        const auto before = folderFiles();

        // What the action takes, measured on the real thing and then undone by restoring the
        // files (no connection is open between actions).
        FullDisk::reset(-1);
        run(operation);
        const qint64 needed = FullDisk::taken;
        QVERIFY(needed > 0);
        for (const auto& [name, bytes] : before) {
            QFile f(QDir(context().programFolder).filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(bytes);
        }
        QVERIFY(folderFiles() == before);

        FullDisk::reset(qint64(double(needed) * share));
        try {
            run(operation);
            FullDisk::reset(-1);
            QFAIL("the action succeeded on a full disk");
        } catch (const DbError& e) {
            FullDisk::reset(-1);
            QCOMPARE(e.number(), DbErrorCode::DiskFull);
            QVERIFY2(e.description().startsWith("Na disku nema dovoljno mjesta za bazu "),
                     qPrintable(e.description()));
        }
        QCOMPARE(names(folderFiles()), names(before));
        QVERIFY(folderFiles() == before);

        run(operation);
        QVERIFY(folderFiles() != before);
        if (operation == "receipt")
            QCOMPARE(valueOf(books_.glavnoBook, "select stanje from artikli where id=?", {kabel_}),
                     "115");
        else if (operation == "transfer")
            QCOMPARE(valueOf(books_.pomocnoBook, "select stanje from artikli where sifra='K1'"),
                     "10");
        else
            QCOMPARE(valueOf(books_.pomocnoBook, "select stanje from artikli where id=?", {vijak_}),
                     "46");
    }

    // The same on a real disk: a small tmpfs filled to the last few pages with a filler file.
    // Needs the right to mount (root, in the test's own mount namespace).
    void fullRealDisk_data() {
        QTest::addColumn<int>("freePages");
        for (int pages : {0, 1, 2, 3})
            QTest::addRow("%d pages free", pages) << pages;
    }
    void fullRealDisk() {
        QFETCH(int, freePages);
        if (!gOwnMounts) QSKIP("no mount namespace of its own (not root): no real tmpfs to fill");
        QTemporaryDir mountPoint;
        const QByteArray at = QFile::encodeName(mountPoint.path());
        if (::mount("kl_faults", at.constData(), "tmpfs", 0, "size=512k,mode=0755") != 0)
            QSKIP("tmpfs cannot be mounted here");
        const auto unmount = qScopeGuard([&] { ::umount2(at.constData(), MNT_DETACH); });
        const QByteArray tmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", at);
        {
            TempProgramFolder folder;  // on the tmpfs
            qputenv("TMPDIR", tmp);
            createMaster();
            const int company = addCompany("Beta");
            const int id = addBook(company, "Malo", kWarehouseKind);
            const QString book = bookPath(kWarehouseKind, id);
            addPartner(book, "d", "Dobavljač");
            addDocumentType(book, "Račun");
            const int article = addArticle(book, "K1", "Kabel", 1, 1, 1);
            const auto receipt = [&] {
                postDocument(book, receiptHeader(book),
                             {{"K1", "Kabel", "3,00", "2,00", "6,00", QString::number(article)}});
            };

            QFile filler(folder.filePath("punilo"));
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            const QByteArray page(4096, 'x');
            while (filler.write(page) == page.size()) {
            }
            QVERIFY(filler.resize(filler.size() - qint64(freePages) * 4096));
            const auto before = folderFiles();
            try {
                receipt();
                QFAIL("the receipt was posted on a full disk");
            } catch (const DbError& e) {
                QCOMPARE(e.description(), message(kDiskFull, book));
            }
            QVERIFY(folderFiles() == before);
            QVERIFY(filler.resize(0));
            receipt();
            QCOMPARE(rowCount(book, "pi"), 1);
        }
    }

    // A book file that may not be written and a folder that may not be written (no journal can
    // be made beside the book): the receipt and the articles are refused with the message that
    // names the book, nothing changes; with the rights back both are stored.
    void readOnly_data() {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("operation");
        for (bool folder : {false, true})
            for (const char* op : {"receipt", "articles", "work order"})
                QTest::addRow("%s, read-only %s", op, folder ? "folder" : "file")
                    << folder << QString(op);
    }
    void readOnly() {
        QFETCH(bool, folder);
        QFETCH(QString, operation);
        seed();
        // A work order takes from "Pomoćno", attached to the production book: a read-only
        // "Pomoćno" is named, a read-only folder is met first by the production book.
        const bool workOrder = operation == "work order";
        const QString book = (!workOrder ? books_.glavnoBook
                              : folder   ? books_.productionBook
                                         : books_.pomocnoBook)
                                 .filePath();
        const QString target = folder ? context().programFolder : book;
        const auto action = [&] {
            if (operation == "receipt")
                postReceipt();
            else if (workOrder)
                issueOrmar();
            else
                insertArticles(books_.glavnoBook, {{"N1", "", "Novi", "kom", "0,00"}});
        };
        const auto before = folderFiles();
        const auto permissions = QFile::permissions(target);
        const auto restore = qScopeGuard([&] { QFile::setPermissions(target, permissions); });
        QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ReadUser |
                                                  QFileDevice::ExeOwner | QFileDevice::ExeUser));
        {
            ModesEnforced modes;
            if (modes.failed())
                QSKIP("root without the right to drop CAP_DAC_OVERRIDE: modes do not hold");
            try {
                action();
                QFAIL("written although read-only");
            } catch (const DbError& e) {
                QCOMPARE(e.number(), DbErrorCode::ReadOnly);
                QCOMPARE(e.description(), message(folder ? kReadOnlyFolder : kReadOnlyFile, book));
            }
        }
        QVERIFY(QFile::setPermissions(target, permissions));
        QVERIFY(folderFiles() == before);
        action();
        QVERIFY(folderFiles() != before);
    }

    // A book deleted, renamed or replaced under an open connection: SQLite sees the connection's
    // file is no longer the one of that name, and the write is refused with its own message;
    // nothing is written to either file and no file is made under the name.
    void movedUnderOpenConnection_data() {
        QTest::addColumn<QString>("how");
        for (const char* how : {"deleted", "renamed", "replaced by a copy"})
            QTest::newRow(how) << QString(how);
    }
    void movedUnderOpenConnection() {
        QFETCH(QString, how);
        seed();
        const QString book = books_.glavnoBook.filePath(), moved = book + ".staro";
        Database db = Database::open(book);
        QCOMPARE(db.openRecordset("select count(*) as n from artikli").text("n"), "2");
        if (how == "deleted") {
            QVERIFY(QFile::remove(book));
        } else if (how == "renamed") {
            QVERIFY(QFile::rename(book, moved));
        } else {
            QVERIFY(QFile::copy(book, moved));
            QVERIFY(QFile::remove(book));
            QVERIFY(QFile::rename(moved, book));
        }
        const auto before = folderFiles();
        try {
            db.execute("insert into artikli(sifra,naziv,jedmjere) values(?,?,?)",
                       {"N1", "Novi", "kom"});
            QFAIL("written into a file that is gone");
        } catch (const DbError& e) {
            QCOMPARE(e.number(), DbErrorCode::FileNotFound);
            QCOMPARE(e.description(),
                     "Datoteka baze Skladiste" + books_.glavnoId() +
                         ".mdb je obrisana ili premještena dok je program radio. Promjena nije "
                         "spremljena.");
        }
        db.close();
        QVERIFY(folderFiles() == before);
    }

    // A book deleted between two actions: posting into it, a work order that takes from it and
    // storing articles in it say the file does not exist and never make an empty one of that
    // name (it would hide the loss); the other books are untouched.
    void deletedBetweenActions_data() {
        QTest::addColumn<QString>("operation");
        QTest::newRow("receipt") << QString("receipt");
        QTest::newRow("work order") << QString("work order");
        QTest::newRow("articles") << QString("articles");
    }
    void deletedBetweenActions() {
        QFETCH(QString, operation);
        seed();
        QVERIFY(QFile::remove(books_.pomocnoBook.filePath()));
        const auto before = folderFiles();
        try {
            if (operation == "receipt")
                postDocument(books_.pomocnoBook, receiptHeader(books_.glavnoBook), {});
            else if (operation == "articles")
                insertArticles(books_.pomocnoBook, {{"N1", "", "Novi", "kom", "0,00"}});
            else
                issueOrmar();
            QFAIL("an action on a deleted book succeeded");
        } catch (const DbError& e) {
            QCOMPARE(e.number(), DbErrorCode::FileNotFound);
            QCOMPARE(e.description(), message(kMissing, books_.pomocnoBook.filePath()));
        }
        QVERIFY(folderFiles() == before);
    }

    // The windows that write: the receipt window's "Unos u skladište" and the article window's
    // "Primi u skladiste" show each fault's message under their own line, keep what was entered,
    // leave the book as it was and make no file; with the fault gone the same click stores it.
    void windows_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("fault");
        const std::pair<const char*, Fault> faults[] = {{"book deleted", Deleted},
                                                        {"read-only book", ReadOnlyFile},
                                                        {"read-only folder", ReadOnlyFolder},
                                                        {"full disk", DiskFull}};
        for (const char* window : {"receipt", "articles"})
            for (const auto& [name, fault] : faults)
                QTest::addRow("%s, %s", window, name) << QString(window) << int(fault);
    }
    void windows() {
        QFETCH(QString, window);
        QFETCH(int, fault);
        seed();
        const QString book = books_.glavnoBook.filePath();
        context().currentBookFile = bookFileName(kWarehouseKind, books_.glavnoId());
        context().currentBookType = kWarehouseKind;

        QWidget* w = nullptr;
        QString what;
        std::function<int()> entries;
        if (window == "receipt") {
            context().documentMode = "Primka";
            auto* p = shown(kl::windows().window<frmPrimka>(kDocumentWindowName));
            QVERIFY(p);
            p->chooseArticle(p->findChild<QComboBox*>("cbonaziv")->findText("Žica"));
            field(p, "txtkolicina")->setText("4");
            field(p, "txtcijena")->setText("3");
            click(p, "cmddodaj");
            p->findChild<QComboBox*>("cbokd")->setCurrentIndex(0);
            p->findChild<QComboBox*>("cbodokument")->setCurrentIndex(0);
            field(p, "txtbroj")->setText("R-9");
            w = p;
            what = "Primka nije unešena; skladište je ostalo kakvo je bilo.";
            entries = [p] { return list(p, "lsvartprimka")->rowCount(); };
        } else {
            auto* a = new frmartikli;
            a->setAttribute(Qt::WA_DeleteOnClose);
            QVERIFY(shown(a));
            field(a, "txtsifra")->setText("N1");
            field(a, "txtnaziv")->setText("Novi");
            field(a, "txtjedmjere")->setText("kom");
            a->addToList();
            w = a;
            what = "Artikli s liste nisu spremljeni; lista je ostala kakva je bila.";
            entries = [a] { return list(a, "lsvartikli")->rowCount(); };
        }
        QCOMPARE(entries(), 1);

        const QString target = fault == ReadOnlyFolder ? context().programFolder : book;
        const auto permissions = QFile::permissions(target);
        const auto restore = qScopeGuard([&] {
            QFile::setPermissions(target, permissions);
            FullDisk::reset(-1);
        });
        QString expected;
        switch (fault) {
            case Deleted:
                QVERIFY(QFile::remove(book));
                expected = message(kMissing, book);
                break;
            case ReadOnlyFile:
            case ReadOnlyFolder:
                QVERIFY(
                    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
                expected = message(fault == ReadOnlyFile ? kReadOnlyFile : kReadOnlyFolder, book);
                break;
            case DiskFull:
                FullDisk::reset(0);
                expected = message(kDiskFull, book);
                break;
        }
        const auto before = folderFiles();
        box_->clear();
        box_->answer(window == "receipt" ? MsgResult::Yes : MsgResult::Ok);
        {
            ModesEnforced modes;
            if (modes.failed()) QSKIP("root without the right to drop CAP_DAC_OVERRIDE");
            click(w, "cmdprihvati");
        }
        QCOMPARE(box_->count(), 2);
        QCOMPARE(said(*box_).last(), said(MsgStyle::OkOnly | MsgStyle::Critical, "Greška u bazi",
                                          what + '\n' + expected));
        QVERIFY(folderFiles() == before);
        QVERIFY(!QFile::exists(book + "-journal"));
        QCOMPARE(entries(), 1);
        if (fault == Deleted) {
            QVERIFY(!QFile::exists(book));
            return;
        }

        QFile::setPermissions(target, permissions);
        FullDisk::reset(-1);
        box_->answer(window == "receipt" ? MsgResult::Yes : MsgResult::Ok);
        click(w, "cmdprihvati");
        QCOMPARE(entries(), 0);
        QVERIFY(folderFiles() != before);
    }
};

int main(int argc, char** argv) {
    // Before any thread exists: a mount namespace of the test's own, with mounts that do not
    // propagate, so a tmpfs mounted by a test is never seen outside it and goes with it.
    if (::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0 &&
        ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0)
        gOwnMounts = true;
    QApplication app(argc, argv);
    TstFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faults.moc"
