// The export buttons of the windows that are no report windows of their own, clicked as the
// clerk clicks them: the product and work order sheets, the article and partner lists and the
// tools' check. Each writes its CSV and its .xlsx through the button (the save dialog answered
// by the test seam); the CSV is read back line by line, the .xlsx's sheet for its first line.

#include "production/frmproizvodi.h"
#include "production/frmrn.h"
#include "productionfixture.h"
#include "reports/frmprovjerazaliha.h"
#include "shell/frmalati.h"
#include "ui/sheetexport.h"
#include "warehouse/frmartikli.h"
#include "warehouse/frmunos.h"

#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

using namespace kl;
using namespace kl::test;

class TstExportButtons : public ProductionTest {
    Q_OBJECT

    // Glavno: Lim and Vijak; Pomoćno: Boja. "Stol" takes 2 Lim at 3,00, 4 Vijak at 0,50 and
    // 1 Boja at 10,00.
    void seed() {
        const int lim = addArticle(books_.glavnoBook, "L1", "Lim", 10, 30, 3);
        const int vijak = addArticle(books_.glavnoBook, "V1", "Vijak", 100, 50, 0.5);
        const int boja = addArticle(books_.pomocnoBook, "B1", "Boja", 5, 50, 10);
        storeProduct(books_.productionBook, {"S1", "Stol", "", "kom"},
                     {billLine("Glavno", books_.glavno, lim, "L1", "Lim", "2,00", "3,00"),
                      billLine("Glavno", books_.glavno, vijak, "V1", "Vijak", "4,00", "0,50"),
                      billLine("Pomoćno", books_.pomocno, boja, "B1", "Boja", "1,00", "10,00")});
    }
    // The warehouse book Glavno entered, as the master-data windows work on it.
    void enterGlavno() {
        context().currentBookFile = bookFileName(kWarehouseKind, books_.glavnoId());
        context().currentBookType = kWarehouseKind;
    }

    // The window of `which` opened with something to export.
    QWidget* prepared(const QString& which) {
        seed();
        if (which == "proizvod") {
            auto* w = shown(windows().window<frmproizvodi>(win::Proizvodi));
            clickRow(list(w, "lsvsviproizvodi"), "Stol", frmproizvodi::NazivProizvoda, true);
            return w;
        }
        if (which == "radni nalog") {
            auto* w = shown(windows().window<frmrn>(win::RadniNalozi));
            w->chooseProduct("Stol");
            field(w, "txtkolicina")->setText("2");
            box_->answer(MsgResult::Yes);
            if (!w->issue()) return nullptr;
            box_->clear();
            clickRow(list(w, "lsvsviartikli"), "Stol", 1, true);
            return w;
        }
        if (which == "alati") {
            auto* w = shown(new frmAlati);
            w->check();
            return w;
        }
        if (which == "provjera zaliha")
            return shown(new frmProvjeraZaliha(books_.glavnoBook, "Glavno"));
        enterGlavno();
        if (which == "artikli") {
            auto* w = new frmartikli;
            w->setAttribute(Qt::WA_DeleteOnClose);
            return shown(w);
        }
        return shown(windows().window<frmunos>(win::Unos));
    }

  private slots:
    void writesTheRows_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("name");  // the file name proposed, without the date
        QTest::addColumn<QStringList>("lines");
        const QString today = dateText(QDate::currentDate());
        QTest::newRow("product sheet")
            << "proizvod"
            << "Proizvod Stol"
            << QStringList{"Ispis podataka za proizvod: Stol na dan: " + today,
                           "Šifra proizvoda: S1",
                           "Barkod:",
                           "Jedinica mjere: kom",
                           "",
                           "Skladište;Šifra art.;Naziv artikla;Količina;Cijena;Iznos",
                           "Glavno;L1;Lim;2,00;3,00;6,00",
                           "Glavno;V1;Vijak;4,00;0,50;2,00",
                           "Pomoćno;B1;Boja;1,00;10,00;10,00",
                           "Ukupna cijena proizvoda;;;;;18,00"};
        QTest::newRow("work order sheet")
            << "radni nalog"
            << "Radni nalog 1"
            << QStringList{"Ispis radnog naloga za proizvod: Stol na dan: " + today,
                           "Br.rad.naloga: 1",
                           "Kol.proiz.: 2,00",
                           "Datum otvaranja rad.naloga: " + today,
                           "Datum zatvaranja rad.naloga: " + today,
                           "",
                           "Skladište;Izdatnica broj;Iznos izdatnice",
                           "Glavno;1;12,00",
                           "Glavno;1;4,00",
                           "Pomoćno;1;20,00",
                           "Ukupna cijena izdatnica;;36,00",
                           "Trošak materijala;;36,00",
                           "Trošak rada;;0,00",
                           "Trošak usluga;;0,00",
                           "Ostali troškovi 1;;0,00",
                           "Ostali troškovi 2;;0,00",
                           "Ostali troškovi 3;;0,00",
                           "Troškovi ukupno;;36,00",
                           "Troškovi po j.mj.;;18,00"};
        QTest::newRow("stock audit")
            << "provjera zaliha"
            << "Provjera zaliha Glavno"
            << QStringList{"PROVJERA ZALIHA",
                           "Skladište: Glavno na dan: " + today,
                           "",
                           "Šifra;Naziv;Stanje zapisano;Stanje prema prometu;Vrijednost zapisano;"
                           "Vrijednost prema prometu;Pr.cijena zapisano;Pr.cijena prema prometu",
                           "L1;Lim;10,00;0,00;30,00;0,00;3,00;0,00",
                           "V1;Vijak;100,00;0,00;50,00;0,00;0,50;0,00",
                           "Artikala s razlikom;;2"};
        QTest::newRow("article list")
            << "artikli"
            << "Artikli"
            << QStringList{"Artikli na dan: " + today, "",
                           "Šifra art.;Barkod;Naziv art.;J.m.;Min.kolicina", "L1;;Lim;kom;0,00",
                           "V1;;Vijak;kom;0,00"};
        QTest::newRow("partner list")
            << "partneri"
            << "Kupci i dobavljači"
            << QStringList{"Kupci i dobavljači na dan: " + today, "",
                           "kd;Ime;mb;Žiro račun;Mjesto;Ulica;Telefon;Kontakt;OIB",
                           "k;Proizvodnja;;;;;;;"};
        QTest::newRow("tools' check") << "alati"
                                      << "Provjera baza"
                                      << QStringList{"PROVJERA BAZA PODATAKA",
                                                     "Mapa: *",
                                                     "Datum: " + today + " *",
                                                     "",
                                                     "Baza;Knjiga;Stanje;Poruke",
                                                     "tvrtke.mdb;Popis tvrtki;u redu",
                                                     "Skladiste1.mdb;Alfa - Glavno;u redu",
                                                     "Skladiste2.mdb;Alfa - Pomoćno;u redu",
                                                     "Proizvodnja3.mdb;Alfa - Pogon;u redu",
                                                     "Provjereno baza;4",
                                                     "Ispravnih;4",
                                                     "Oštećenih;0"};
    }
    void writesTheRows() {
        QFETCH(QString, which);
        QFETCH(QString, name);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        QStringList proposed;
        setSaveFileChooser([&](const QString&, const QString& path) {
            proposed << path;
            return dir.filePath("izvoz");
        });
        const auto guard = qScopeGuard([] { setSaveFileChooser({}); });
        QWidget* w = prepared(which);
        QVERIFY(w);
        box_->clear();

        click(w, "cmdizvozcsv");
        QFile csv(dir.filePath("izvoz.csv"));
        QVERIFY2(csv.open(QIODevice::ReadOnly), qPrintable(said(*box_).join('\n')));
        // A line ending in "*" is matched by its beginning (the minute a report was made).
        const QByteArray bytes = csv.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF") && bytes.endsWith("\r\n"));
        QStringList read = QString::fromUtf8(bytes.mid(3).chopped(2)).split("\r\n");
        for (int i = 0; i < read.size() && i < lines.size(); ++i)
            if (lines[i].endsWith('*') && read[i].startsWith(lines[i].chopped(1)))
                read[i] = lines[i];
        QCOMPARE(read, lines);
        click(w, "cmdizvozexcel");
        QProcess unzip;
        unzip.start("unzip", {"-p", dir.filePath("izvoz.xlsx"), "xl/worksheets/sheet1.xml"});
        QVERIFY(unzip.waitForFinished(10000));
        QVERIFY(QString::fromUtf8(unzip.readAllStandardOutput())
                    .contains("<c r=\"A1\" s=\"1\" t=\"inlineStr\"><is><t>" + lines.first() +
                              "</t></is></c>"));
        const QString date = QDate::currentDate().toString("dd.MM.yyyy");
        // The name from the report and the day; the second in the folder the first went to.
        QCOMPARE(
            QStringList({QFileInfo(proposed.value(0)).fileName(), proposed.value(1)}),
            QStringList({name + " " + date + ".csv", dir.filePath(name + " " + date + ".xlsx")}));
        QCOMPARE(box_->last().prompt,
                 "Izvještaj je spremljen u datoteku " + dir.filePath("izvoz.xlsx") + ".");
    }
};

QTEST_MAIN(TstExportButtons)
#include "tst_exportbuttons.moc"
