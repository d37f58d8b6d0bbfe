// The e-invoice window on the clerk's path: a file from an unknown supplier, stored from the
// file; one line matched by bar code, one by code, one given its article through the article
// search; posted. The next invoice of the supplier finds the remembered choices; the same
// invoice again is refused and leaves the book as it was. A credit note goes back as an issue. The
// reading, costing and matching themselves are tested in tst_einvoice.

#include "data/database.h"
#include "warehouse/frmartikliizbor.h"
#include "warehouse/frmeracun.h"
#include "warehouse/masterdata.h"
#include "warehousefixture.h"

#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

using namespace kl;
using namespace kl::test;

namespace {

QString labelText(QWidget* w, const char* name) {
    return control<QLabel>(w, QString::fromLatin1(name))->text();
}

// The fixture with its transport line made a line of goods, under another invoice number.
QString writeInvoice(const QString& folder, const QString& number) {
    QFile in(QStringLiteral(KL_EINVOICE_FIXTURES "/racun-popusti.xml"));
    if (!in.open(QIODevice::ReadOnly)) return {};
    QString xml = QString::fromUtf8(in.readAll());
    xml.replace(QStringLiteral("<cbc:ID>R-2026/0147</cbc:ID>"),
                QStringLiteral("<cbc:ID>%1</cbc:ID>").arg(number));
    xml.replace(QStringLiteral("unitCode=\"E48\""), QStringLiteral("unitCode=\"C62\""));
    xml.replace(QStringLiteral("<cbc:Name>Prijevoz</cbc:Name>"),
                QStringLiteral("<cbc:Name>Brusna traka P120</cbc:Name>"));
    const QString path = folder + QStringLiteral("/racun-%1.xml").arg(number.right(4));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly)) return {};
    out.write(xml.toUtf8());
    return path;
}

}  // namespace

class TstFrmEracun : public WarehouseWindowTest {
    Q_OBJECT

  private slots:
    void clerksPath() {
        QTemporaryDir files;
        const QString first = writeInvoice(files.path(), QStringLiteral("R-2026/0147"));
        const QString second = writeInvoice(files.path(), QStringLiteral("R-2026/0148"));
        addDocumentType(book_, "Otpremnica");
        addDocumentType(book_, "Primka");
        addArticle(book_, "V1", "Vijak M8", 0, 0, 0, "kom", 0, "3850123456789");
        addArticle(book_, "0012", "Čavli", 0, 0, 0, "kg");
        addArticle(book_, "B7", "Brusni papir", 0, 0, 0, "kom");
        ScriptedMsgBox box;

        context().documentMode = QStringLiteral("Primka");
        auto* w = shown(windows().window<frmEracun>(win::Eracun));
        QVERIFY(w->loadFile(first));
        QCOMPARE(labelText(w, "lbldobavljac"),
                 QStringLiteral("Željezarija Čakovec d.o.o., OIB 11111111119 – nije u knjizi"));

        // The supplier from the file; its street is longer than the partner's field.
        box.answer(MsgResult::Yes);
        click(w, "cmddobavljac");
        QVERIFY(box.last().prompt.contains(
            QStringLiteral("ulica \"Zrinsko-Frankopanska 12\" → \"Zrinsko-Frankopanska\" "
                           "(najviše 20 znakova)")));
        QVERIFY(labelText(w, "lbldobavljac").endsWith(QStringLiteral("pronađen po OIB-u")));
        const QString supplier = partnerIdByOib(book_, QStringLiteral("11111111119"));
        for (const PartnerRow& p : loadPartners(book_, false))
            if (p.id == supplier)
                QCOMPARE(p.fields[3] + ' ' + p.fields[5],
                         QStringLiteral("HR1210010051863000160 Zrinsko-Frankopanska"));

        ReportList* lines = list(w, "lsvstavke");
        QCOMPARE(lines->text(0, frmEracun::Artikl), QStringLiteral("V1 Vijak M8 (po barkodu)"));
        QCOMPARE(lines->text(1, frmEracun::Artikl), QStringLiteral("0012 Čavli (po šifri)"));
        QVERIFY(lines->text(2, frmEracun::Artikl).startsWith(QStringLiteral("NEMA ARTIKLA")));

        // Posting is refused while a line has no article.
        control<QComboBox>(w, QStringLiteral("cbodokument"))->setCurrentText("Primka");
        QVERIFY(!w->post());
        QVERIFY(box.last().prompt.startsWith(QStringLiteral("Stavka 3 (Brusna traka P120)")));

        // The third line through the article search.
        w->selectLine(2);
        w->openSearch();
        auto* search = windows().loaded<frmartikliizbor>(win::ArtikliIzbor);
        QVERIFY(search);
        field(search, "txtupis")->setText(QStringLiteral("Brus"));
        search->search();
        search->sendSelected();
        QCOMPARE(lines->text(2, frmEracun::Artikl), QStringLiteral("B7 Brusni papir (odabran)"));
        QCOMPARE(w->totalsText(),
                 QStringLiteral("Primka: 169,97    Bez PDV-a: 170,00    Razlika: -0,03"));

        box.clear();
        box.answer(MsgResult::Yes);
        QVERIFY(w->post());
        QCOMPARE(box.last().prompt, QStringLiteral("Primka br. 1 je unesena."));
        {
            Database db = Database::openBook(book_);
            Recordset h = db.openRecordset("select brojpi,brojdok from pi");
            QCOMPARE(h.text("brojdok"), QStringLiteral("R-2026/0147"));
            QStringList stored;
            for (Recordset r = db.openRecordset(
                     "select a.sifra,u.kolicina,u.cijena,a.stanje from ulazizlaz u inner join "
                     "artikli a on a.id=u.idartikla order by u.id");
                 !r.eof(); r.moveNext())
                stored << QStringLiteral("%1 %2 %3 %4")
                              .arg(r.text("sifra"), r.text("kolicina"), r.text("cijena"),
                                   r.text("stanje"));
            QCOMPARE(stored, (QStringList{"V1 10 12,14 10", "0012 4 8,5 4", "B7 1 14,57 1"}));
        }

        // The supplier's next invoice, dropped on the window: every line and the document type
        // as chosen before.
        QMimeData dropped;
        dropped.setUrls({QUrl::fromLocalFile(second)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(w, &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &drop);
        QVERIFY(labelText(w, "lblracun").startsWith(QStringLiteral("R-2026/0148 od 30.11.2026")));
        QCOMPARE(control<QComboBox>(w, QStringLiteral("cbodokument"))->currentText(),
                 QStringLiteral("Primka"));
        QCOMPARE(lines->text(2, frmEracun::Artikl),
                 QStringLiteral("B7 Brusni papir (zapamćen izbor)"));

        // The first invoice again: refused before anything is asked, the book unchanged.
        QVERIFY(w->loadFile(first));
        const QStringList before = folderSnapshot(QFileInfo(book_.filePath()).absolutePath());
        box.clear();
        QVERIFY(!w->post());
        QCOMPARE(box.count(), 1);
        QCOMPARE(box.last().prompt,
                 QStringLiteral("Račun R-2026/0147 dobavljača Željezarija Čakovec d.o.o. već je "
                                "unesen (primka br. 1)."));
        QCOMPARE(folderSnapshot(QFileInfo(book_.filePath()).absolutePath()), before);

        // The supplier's credit note for 3 screws: after a confirmation, an issue back to the
        // supplier at the average price; once only.
        const QString creditNote = QStringLiteral(KL_EINVOICE_FIXTURES "/odobrenje.xml");
        box.clear();
        box.answer(MsgResult::Yes).answer(MsgResult::Yes);
        QVERIFY(w->loadFile(creditNote));
        QCOMPARE(lines->text(0, frmEracun::Cijena), QStringLiteral("12,14"));
        QVERIFY(w->post());
        QCOMPARE(box.last().prompt, QStringLiteral("Izdatnica br. 1 je unesena."));
        QCOMPARE(Database::openBook(book_)
                     .openRecordset("select stanje from artikli where sifra='V1'")
                     .text("stanje"),
                 QStringLiteral("7"));
        box.answer(MsgResult::Yes);
        QVERIFY(w->loadFile(creditNote));
        QVERIFY(!w->post());
        QCOMPARE(box.last().prompt,
                 QStringLiteral("Odobrenje O-2026/0009 dobavljača Željezarija Čakovec d.o.o. već "
                                "je uneseno (izdatnica br. 1)."));
    }

    // A new article from a line: the name and unit from the file, the code the clerk confirms,
    // the line's GTIN as bar code; a code already in the book is refused.
    void articleFromLine() {
        QTemporaryDir files;
        const QString path = writeInvoice(files.path(), QStringLiteral("R-2026/0147"));
        addArticle(book_, "V1", "Vijak", 0, 0, 0, "kom");
        ScriptedMsgBox box;
        auto* w = shown(windows().window<frmEracun>(win::Eracun));
        QVERIFY(w->loadFile(path));
        w->selectLine(0);
        QCOMPARE(field(w, "txtnaziv")->text() + '|' + field(w, "txtjedmjere")->text(),
                 QStringLiteral("Vijak M8 x 40 pocinčani|kom"));
        field(w, "txtsifra")->setText(QStringLiteral("V1"));
        click(w, "cmdartikl");
        QCOMPARE(box.last().prompt,
                 QStringLiteral("Šifra artikla postoji, ne može se unijeti ista šifra"));
        field(w, "txtsifra")->setText(QStringLiteral("V2"));
        click(w, "cmdartikl");
        QCOMPARE(list(w, "lsvstavke")->text(0, frmEracun::Artikl),
                 QStringLiteral("V2 Vijak M8 x 40 pocinčani (odabran)"));
        QStringList stored;
        for (const ArticleRow& a : loadArticles(book_))
            stored << a.sifra + ' ' + a.barkod + ' ' + a.jedmjere;
        QCOMPARE(stored, (QStringList{"V1  kom", "V2 3850123456789 kom"}));
    }
};

QTEST_MAIN(TstFrmEracun)
#include "tst_frmeracun.moc"
