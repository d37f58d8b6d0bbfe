// Several clerks posting into the same books on a server at once: eight processes post receipts
// and issues into two warehouse books and issue work orders that take from both, through the
// program's posting and issuing code. Afterwards, and after clerks are killed (SIGKILL) at
// seeded moments in the middle of that load: the numbers of each kind run 1..n in every book
// without a gap or a repeat, every article's stock, value and average price are the replay of
// its movements (the stock audit), every work order has its issue note in both supplying books
// and no issue note to production is without its work order, and no document is half written.
//
// The short load runs in the suite; `tst_serverconcurrency --puno` runs the full one (300
// documents and 50 work orders per clerk).

#include "data/appcontext.h"
#include "data/database.h"
#include "data/serverbooks.h"
#include "pgtestserver.h"
#include "production/workorders.h"
#include "reports/stockaudit.h"
#include "warehouse/documents.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <map>
#include <random>

using namespace kl;

namespace {

const QString kDatabase = QStringLiteral("kl_istodobno");
constexpr int kClerks = 8;
constexpr int kWarehouses[] = {1, 2};
constexpr int kProduction = 3;
int documents = 30, workOrders = 5;  // per clerk (--puno: 300 and 50)

ServerAddress books() {
    ServerAddress a = test::testServer();
    a.database = kDatabase;
    return a;
}

void enterCompany() {
    context().companyServer = books();
    context().companyRegisterSchema = server::registerSchema(1);
}

BookLocation book(const QString& kind, int id) {
    return context().bookLocation(bookFileName(kind, QString::number(id)));
}

// One clerk: documents into both books in turn, a work order after every few, each numbered at
// the moment it is written.
int clerk(int seat) {
    enterCompany();
    const int every = documents / workOrders;
    for (int i = 0; i < documents; ++i) {
        const BookLocation warehouse = book(kWarehouseKind, kWarehouses[(i + seat) % 2]);
        const bool receipt = i % 3 != 2;
        DocumentHeader h;
        h.kind = receipt ? DocumentKind::Receipt : DocumentKind::Issue;
        h.broj = QStringLiteral("1");
        h.proposedNumber = true;
        h.datum = QDate(2026, 12, 7);
        h.partner = receipt ? QStringLiteral("Dobavljač") : QStringLiteral("Kupac");
        h.documentType = QStringLiteral("Račun");
        h.datumdok = h.datum;
        const QString price = receipt ? QStringLiteral("2,%1").arg(seat + 10) : "2,00";
        const std::vector<DocumentLine> lines = {
            {"A1", "Brašno", "1,00", price, price, QStringLiteral("1")},
            {"A2", "Šećer", "2,00", "1,50", "3,00", QStringLiteral("2")}};
        if (postDocument(warehouse, h, lines).refusal != PostingRefusal::None) return 2;
        if (i % every != every - 1) continue;
        std::vector<MaterialLine> material;
        for (int w : kWarehouses) {
            MaterialLine l;
            l.articleId = QStringLiteral("1");
            l.bookId = QString::number(w);
            l.bookKind = kWarehouseKind;
            l.bookName = QStringLiteral("Skladište %1").arg(w);
            l.billQuantity = 0.5;
            l.billPrice = 2;
            material.push_back(l);
        }
        applyQuantity(material, "2,00");
        WorkOrder o;
        o.brojrn = QStringLiteral("1");
        o.proposedNumber = true;
        o.datumotv = o.datumzatv = QDate(2026, 12, 7);
        o.productId = QStringLiteral("1");
        o.kolicina = "2,00";
        o.costs = {materialCost(material), "0,00", "0,00", "0,00", "0,00", "0,00"};
        if (issueWorkOrder(book(kProductionKind, kProduction), o, material).refusal.refused())
            return 3;
    }
    return 0;
}

QList<int> numbers(Database& db, const QString& sql) {
    QList<int> out;
    for (Recordset rs = db.openRecordset(sql); !rs.eof(); rs.moveNext())
        out.append(rs.value(0).toInt());
    return out;
}

// What must hold of the books at rest, whatever was killed when; empty when it all holds.
QString broken() {
    const auto run = [](const QList<int>& n) {
        for (int i = 0; i < n.size(); ++i)
            if (n[i] != i + 1) return false;
        return true;
    };
    Database production = Database::openBook(book(kProductionKind, kProduction));
    const QList<int> orders =
        numbers(production, QStringLiteral("select brojrn from radninalozi order by brojrn"));
    if (!run(orders)) return QStringLiteral("work order numbers");
    for (int w : kWarehouses) {
        const BookLocation b = book(kWarehouseKind, w);
        Database db = Database::openBook(b);
        for (const char* kind : {"P", "I"})
            if (!run(numbers(db, QStringLiteral("select brojpi from pi where pi='%1' order by "
                                                "brojpi")
                                     .arg(QLatin1String(kind)))))
                return QStringLiteral("book %1: numbers of %2").arg(w).arg(kind);
        // A receipt or issue has its two lines, a work order's issue note its one, and no line is
        // without its header.
        std::map<qint64, int> lines;
        for (Recordset rs = db.openRecordset(QStringLiteral("select idpi from ulazizlaz"));
             !rs.eof(); rs.moveNext())
            ++lines[rs.value(0).toLongLong()];
        Recordset headers = db.openRecordset(QStringLiteral("select id,idkd from pi"));
        for (; !headers.eof(); headers.moveNext()) {
            const auto it = lines.find(headers.value(0).toLongLong());
            if (it == lines.end() || it->second != (headers.value(1).toInt() == 1 ? 1 : 2))
                return QStringLiteral("book %1: half a document").arg(w);
            lines.erase(it);
        }
        if (!lines.empty()) return QStringLiteral("book %1: a line without its header").arg(w);
        // Every work order's issue note in this book, and no other issue note to production.
        const QList<int> notes =
            numbers(db, QStringLiteral("select brojpi from pi where idkd=1 order by brojpi"));
        QList<int> costs;
        for (Recordset rs = production.openRecordset(
                 QStringLiteral("select izdatnicabr from troskovi where nazivskladista=?"),
                 {QStringLiteral("Skladište %1").arg(w)});
             !rs.eof(); rs.moveNext())
            costs.append(rs.value(0).toString().toInt());
        std::sort(costs.begin(), costs.end());
        if (notes != costs || notes.size() != orders.size())
            return QStringLiteral("book %1: issue notes of the work orders").arg(w);
        if (!auditStock(b).empty()) return QStringLiteral("book %1: stock audit").arg(w);
    }
    return QString();
}

}  // namespace

class TestServerConcurrency : public QObject {
    Q_OBJECT

    std::vector<std::unique_ptr<QProcess>> clerks_;

    void startClerks() {
        clerks_.clear();
        for (int i = 0; i < kClerks; ++i) {
            clerks_.push_back(std::make_unique<QProcess>());
            clerks_.back()->setProcessChannelMode(QProcess::ForwardedChannels);
            QStringList args{QStringLiteral("--referent"), QString::number(i)};
            if (documents > 30) args << QStringLiteral("--puno");
            clerks_.back()->start(QCoreApplication::applicationFilePath(), args);
        }
    }

  private slots:
    void init() {
        PgConnection c = PgConnection::connect(test::testServer());
        c.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(kDatabase));
        c.exec(QStringLiteral("CREATE DATABASE %1").arg(kDatabase));
        enterCompany();
        server::createSchemaUnlessThere(context().companyRegister());
        Database list = Database::openBook(context().companyRegister());
        for (int id : {1, 2, 3}) {
            const QString kind = id == kProduction ? kProductionKind : kWarehouseKind;
            const BookLocation b = book(kind, id);
            server::createSchema(b.address(), b.schema(), kind);
            list.execute(QStringLiteral("insert into otvoreneknjige(id,idtvrtke,nazivknjige,"
                                        "vrstaknjige,adresa)values(?,'1',?,?,'-')"),
                         {id, QStringLiteral("Skladište %1").arg(id), kind});
            if (kind != kWarehouseKind) continue;
            Database db = Database::openBook(b);
            for (const char* a : {"'A1','Brašno'", "'A2','Šećer'"})
                db.execute(QStringLiteral("insert into artikli(sifra,naziv,jedmjere,minkolicina,"
                                          "stanje,vrijednost,proscijena)values(%1,'kg',0,0,0,0)")
                               .arg(QString::fromUtf8(a)));
            db.execute(QStringLiteral("insert into kd(kd,ime)values('d','Dobavljač')"));
            db.execute(QStringLiteral("insert into kd(kd,ime)values('k','Kupac')"));
            db.execute(QStringLiteral("insert into dokumenti(dokument)values('Račun')"));
        }
    }

    void clerksPostAtOnce() {
        startClerks();
        for (auto& c : clerks_) {
            QVERIFY(c->state() == QProcess::NotRunning || c->waitForFinished(600000));
            QCOMPARE(c->exitStatus(), QProcess::NormalExit);
            QCOMPARE(c->exitCode(), 0);
        }
        QCOMPARE(broken(), QString());
        // Nothing lost: every document and work order of every clerk is there.
        Database production = Database::openBook(book(kProductionKind, kProduction));
        QCOMPARE(numbers(production, "select count(*) from radninalozi").value(0),
                 kClerks * workOrders);
        int posted = 0;
        for (int w : kWarehouses) {
            Database db = Database::openBook(book(kWarehouseKind, w));
            posted += numbers(db, "select count(*) from pi where idkd<>1").value(0);
        }
        QCOMPARE(posted, kClerks * documents);
    }

    // Rounds of the same load in which seeded clerks are killed at seeded moments; the books at
    // rest after each round keep every promise, whatever was being written at the kill.
    void clerksKilledMidway() {
        std::minstd_rand rng(7);
        for (int round = 0; round < 3; ++round) {
            startClerks();
            for (auto& c : clerks_)
                QVERIFY(c->waitForStarted());
            int killed = 0;
            for (int k = 0; k < 3; ++k) {
                QTest::qWait(int(rng() % 700) + 100);
                QProcess& victim = *clerks_[rng() % kClerks];
                if (victim.state() != QProcess::Running) continue;
                ::kill(pid_t(victim.processId()), SIGKILL);
                ++killed;
            }
            QVERIFY(killed > 0);
            for (auto& c : clerks_) {
                QVERIFY(c->state() == QProcess::NotRunning || c->waitForFinished(600000));
                QVERIFY(c->exitStatus() == QProcess::CrashExit || c->exitCode() == 0);
            }
            QCOMPARE(broken(), QString());
        }
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<char*> args(argv, argv + argc);
    const auto full =
        std::find_if(args.begin(), args.end(), [](char* a) { return QByteArray(a) == "--puno"; });
    if (full != args.end()) {
        documents = 300, workOrders = 50;
        args.erase(full);
        qputenv("QTEST_FUNCTION_TIMEOUT", "7200000");  // the full load takes longer than 5 min
    }
    if (args.size() == 3 && QByteArray(args[1]) == "--referent") {
        try {
            return clerk(QByteArray(args[2]).toInt());
        } catch (const DbError& e) {
            qWarning("%s", qPrintable(e.description()));
            return 1;
        }
    }
    TestServerConcurrency t;
    return QTest::qExec(&t, int(args.size()), args.data());
}

#include "tst_serverconcurrency.moc"
