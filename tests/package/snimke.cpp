// Takes the pictures of the user guide (docs/slike/*.png) from the program's real windows, over a
// small company made through the program's own storing and posting code in a scratch program
// folder. Not part of the suite; run by hand after a window changes:
//   cmake --build build --target kl_snimke
//   QT_QPA_PLATFORM=offscreen build/tests/package/kl_snimke docs/slike
// (then optipng -o7 -strip all docs/slike/*.png)

#include "data/appcontext.h"
#include "production/frmrn.h"
#include "production/products.h"
#include "reportfixture.h"
#include "scriptedmsgbox.h"
#include "shell/books.h"
#include "shell/companies.h"
#include "shell/frmalati.h"
#include "shell/frmizborknjige.h"
#include "shell/frmizbortvrtke.h"
#include "shell/frmprirucnik.h"
#include "shell/frmskladiste.h"
#include "shell/frmupisnove.h"
#include "shell/shellwindows.h"
#include "testenv.h"
#include "ui/windowregistry.h"
#include "warehouse/frmeracun.h"
#include "warehouse/frmprimka.h"
#include "warehouse/masterdata.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cstdio>

using namespace kl;
using namespace kl::test;

namespace {

QString outFolder;

void settleAll() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QTest::qWait(20);
    }
}

void save(QWidget* w, const char* name) {
    settleAll();
    const QString path = QDir(outFolder).filePath(QString::fromLatin1(name) + ".png");
    if (!w->grab().save(path)) qFatal("cannot save %s", qPrintable(path));
    std::printf("%s %dx%d\n", qPrintable(path), w->width(), w->height());
}

frmSkladiste* enter(const QString& kind, int id, const QString& bookName) {
    context().currentBookFile = bookFileName(kind, QString::number(id));
    context().currentBookType = kind;
    auto* main = windows().window<frmSkladiste>(win::Skladiste);
    main->showBook();
    // A window of the guide's size rather than the whole offscreen screen.
    main->showNormal();
    main->resize(880, 640);
    main->setWindowTitle(QStringLiteral("Knjiga: ") + bookName + QStringLiteral("      Baza: ") +
                         context().bookPath(context().currentBookFile));
    return main;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("kl_snimke <mapa za slike>\n", stderr);
        return 2;
    }
    outFolder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    TempProgramFolder folder;
    ScriptedMsgBox boxes;  // the back-up's report box is answered, not shown
    createMaster();
    const QString companyId =
        insertCompany({"Stolarija Hrast d.o.o.", "01234567", "16.23", "T", "HR1723600001101234565",
                       "10000", "Zagreb", "Ilica 101", "01/234-5678", "Ana Horvat"},
                      "12345678903");
    insertCompany({"Obrt Lumen, vl. Ivo Kovač", "98765432", "47.59", "O", "HR7224020061100123456",
                   "21000", "Split", "Obala 7", "021/345-678", "Ivo Kovač"});
    const int company = companyId.toInt();
    context().currentCompanyId = company;
    const int glavno = addBook(company, "Glavno skladište", kWarehouseKind, "Ilica 101");
    const int pogon = addBook(company, "Pogon", kProductionKind, "Radnička 5");
    const QString book = bookPath(kWarehouseKind, glavno);

    addPartner(book, "d", "Drvo Slavonija d.o.o.");
    insertPartners(book,
                   {{"d", "Okov Metal d.o.o.", "", "HR1210010051863000160", "Zagreb", "Savska 5",
                     "01/555-123", "Marko"}},
                   {"11111111119"});
    addPartner(book, "k", "Namještaj Dom d.o.o.");
    addPartner(book, "s", "Građa Plus j.d.o.o.");
    addDocumentType(book, "Račun");
    const int hrast = addArticle(book, "H01", "Hrastova daska 25 mm", 0, 0, 0, "m2");
    const int bukva = addArticle(book, "B01", "Bukova daska 20 mm", 0, 0, 0, "m2");
    const int vijak = addArticle(book, "V40", "Vijak za drvo 4x40", 0, 0, 0, "kom");
    const int sarka = addArticle(book, "S35", "Šarka 35 mm", 0, 0, 0, "kom");
    const int lak = addArticle(book, "L01", "Lak za drvo", 0, 0, 0, "l");
    const QDate d(2026, 11, 2);
    receipt(book, d, "Drvo Slavonija d.o.o.", {{hrast, "40", "42,50"}, {bukva, "60", "28,00"}},
            "Račun", "R-118/2026");
    receipt(book, d.addDays(1), "Okov Metal d.o.o.",
            {{vijak, "2000", "0,04"}, {sarka, "200", "1,85"}}, "Račun", "77-2026");
    receipt(book, d.addDays(5), "Građa Plus j.d.o.o.", {{lak, "20", "14,60"}}, "Račun", "5/11");
    issue(book, d.addDays(8), "Namještaj Dom d.o.o.",
          {{hrast, "6", "42,50"}, {sarka, "24", "1,85"}});
    issue(book, d.addDays(12), "Građa Plus j.d.o.o.", {{bukva, "10", "28,00"}});
    const QString production = bookPath(kProductionKind, pogon);
    storeProduct(production, {"ORM1", "Ormar hrastov 80 cm", "", "kom"},
                 {{"Glavno skladište", "H01", "Hrastova daska 25 mm", "2,40", "42,50", "102,00",
                   QString::number(hrast), QString::number(glavno), "0"},
                  {"Glavno skladište", "V40", "Vijak za drvo 4x40", "36,00", "0,04", "1,44",
                   QString::number(vijak), QString::number(glavno), "0"},
                  {"Glavno skladište", "S35", "Šarka 35 mm", "4,00", "1,85", "7,40",
                   QString::number(sarka), QString::number(glavno), "0"},
                  {"Glavno skladište", "L01", "Lak za drvo", "0,50", "14,60", "7,30",
                   QString::number(lak), QString::number(glavno), "0"}});

    defineShellWindows();

    auto* companies = windows().window<frmIzborTvrtke>(win::IzborTvrtke);
    companies->show();
    companies->loadCompanies();
    save(companies, "tvrtke");

    auto* entry = windows().window<frmUpisNove>(win::UpisNove);
    entry->startEdit(loadCompanies().back());
    entry->show();
    save(entry, "upis-tvrtke");
    entry->close();

    auto* books = windows().window<frmIzborKnjige>(win::IzborKnjige);
    books->setCompany(companyId);
    books->show();
    books->loadBooks();
    save(books, "knjige");

    // A receipt being entered: two lines on the list.
    frmSkladiste* main = enter(kWarehouseKind, glavno, "Glavno skladište");
    auto* primka = qobject_cast<frmPrimka*>(main->openChild("frmPrimka", "Primka"));
    auto* names = primka->findChild<QComboBox*>("cbonaziv");
    auto line = [&](const QString& name, const QString& qty, const QString& price) {
        primka->chooseArticle(names->findText(name));
        primka->findChild<QLineEdit*>("txtkolicina")->setText(qty);
        primka->findChild<QLineEdit*>("txtcijena")->setText(price);
        primka->addLine();
    };
    auto pick = [&](const char* combo, const QString& text) {
        auto* c = primka->findChild<QComboBox*>(combo);
        c->setCurrentIndex(c->findText(text));
    };
    pick("cbokd", "Drvo Slavonija d.o.o.");
    pick("cbodokument", "Račun");
    primka->findChild<QLineEdit*>("txtbroj")->setText("R-131/2026");
    line("Hrastova daska 25 mm", "12", "43,00");
    line("Lak za drvo", "5", "14,20");
    save(main, "primka");
    primka->close();
    settleAll();

    // An e-invoice of a supplier the book knows by its OIB: one line found by the supplier's
    // code, one without an article yet, and a transport line, a service.
    {
        QFile in(QStringLiteral(KL_EINVOICE_FIXTURES "/racun-popusti.xml"));
        in.open(QIODevice::ReadOnly);
        QString xml = QString::fromUtf8(in.readAll());
        xml.replace("V-M840", "V40").replace("Željezarija Čakovec d.o.o.", "Okov Metal d.o.o.");
        const QString path = QDir(context().programFolder).filePath("R-2026-0147.xml");
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(xml.toUtf8());
        out.close();
        auto* eracun = qobject_cast<frmEracun*>(main->openChild("frmeracun", "Primka"));
        eracun->loadFile(path);
        eracun->selectLine(1);
        save(main, "eracun");
        eracun->close();
        settleAll();
    }

    QWidget* overview = main->openChild("frmPregledart");
    overview->findChild<QRadioButton*>("optviseart")->click();
    overview->findChild<QPushButton*>("cmdprikazart")->click();
    save(main, "pregled-artikala");
    main->mdiArea()->closeAllSubWindows();
    settleAll();
    main->openChild("frmpregleddnevnika");
    save(main, "dnevnik");
    main->mdiArea()->closeAllSubWindows();
    settleAll();
    main->openChild("frmunos");
    save(main, "partneri");
    main->mdiArea()->closeAllSubWindows();
    main->close();
    settleAll();

    frmSkladiste* pogonMain = enter(kProductionKind, pogon, "Pogon");
    auto* order = qobject_cast<frmrn*>(pogonMain->openChild("frmrn"));
    order->chooseProduct(QStringLiteral("Ormar hrastov 80 cm"));
    order->findChild<QLineEdit*>("txtkolicina")->setText("3,00");
    save(pogonMain, "radni-nalog");
    pogonMain->mdiArea()->closeAllSubWindows();
    pogonMain->close();
    settleAll();

    auto* tools = windows().window<frmAlati>(win::Alati);
    tools->setMarkedBook(kWarehouseKind, bookFileName(kWarehouseKind, QString::number(glavno)),
                         "Glavno skladište");
    tools->show();
    tools->backUp();
    save(tools, "alati");
    windows().clear();
    return 0;
}
