// The receipt and issue overview windows as the clerk meets them: what each kind shows at load,
// which controls each option enables, the document chooser that takes no typing, every "Prikaz"
// of the options and printing. The texts themselves are tested in tst_documentreports.

#include "reportfixture.h"
#include "reports/documentreports.h"
#include "reports/frmpregledprimki.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using namespace kl;
using namespace kl::test;

namespace {

const QDate kDay(2026, 3, 5);

QComboBox* combo(QWidget* w, const char* name) {
    return control<QComboBox>(w, QString::fromLatin1(name));
}

QString items(QComboBox* c) {
    QStringList texts;
    for (int i = 0; i < c->count(); ++i)
        texts.append(c->itemText(i));
    return texts.join(u'|');
}

// Each control as "name" when it can be used, "-name" when disabled, with "(hidden)" when it is
// not shown.
QString states(QWidget* w, const QStringList& names) {
    QStringList s;
    for (const QString& name : names) {
        QWidget* c = w->findChild<QWidget*>(name);
        if (!c) return "missing " + name;
        s.append((c->isEnabled() ? "" : "-") + name + (c->isVisible() ? "" : "(hidden)"));
    }
    return s.join(u' ');
}

const QStringList kControls = QString(
                                  "optzakljucak optprikaz Optjedne optvise optdatumu "
                                  "optdobavljacu dtpod dtpdo lblod lbldo lblprimka "
                                  "cboizborprimke lbldobavljac cboizbordobavljaca")
                                  .split(u' ');

QString checkedOptions(QWidget* w) {
    QStringList names;
    for (QRadioButton* b : w->findChildren<QRadioButton*>())
        if (b->isChecked()) names.append(b->objectName());
    return names.join(u' ');
}

}  // namespace

class Tst_frmpregledprimki : public ReportTest {
    Q_OBJECT

    frmpregledprimki* open(DocumentKind kind) {
        return shown(windows().window<frmpregledprimki>(
            kind == DocumentKind::Receipt ? win::PregledPrimki : win::PregledIzdatnica));
    }
    // Receipts 1 and 3 from Alfa and 2 from Beta, on three days from kDay; issues 1 and 2 to
    // Proizvodnja and 3 to Beta on the same days.
    void seed() {
        const int vijak = addArticle(book_, "A1", "Vijak M8");
        addPartner(book_, "d", "Alfa");
        addPartner(book_, "s", "Beta");
        addDocumentType(book_, "Račun");
        const QStringList suppliers = {"Alfa", "Beta", "Alfa"};
        const QStringList centres = {"Proizvodnja", "Proizvodnja", "Beta"};
        for (int i = 0; i < 3; ++i)
            receipt(book_, kDay.addDays(i), suppliers[i], {{vijak, QString::number(i + 1), "2"}},
                    "Račun");
        for (int i = 0; i < 3; ++i)
            issue(book_, kDay.addDays(i), centres[i], {{vijak, "1", "2"}});
    }

  private slots:
    // What each kind shows when it opens: the summary of one document, its chooser filled with
    // every document of the kind (typed keys choose nothing, the arrow keys do), the dates and
    // the partner chooser disabled.
    void load_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("expected");
        dataRow("receipt", int(DocumentKind::Receipt),
                QStringList{"Pregled primki", "Primka:", "Dobavljač:", "Command1", "1|2|3"});
        dataRow("issue", int(DocumentKind::Issue),
                QStringList{"Pregled izdatnica", "Izdatnica:", "Mj.troška:", "cmdizlaz", "1|2|3"});
    }
    void load() {
        QFETCH(int, kind);
        QFETCH(QStringList, expected);
        seed();
        frmpregledprimki* w = open(DocumentKind(kind));
        QVERIFY(w);
        QPushButton* exit = w->findChild<QPushButton*>(expected.at(3));
        QVERIFY(exit);
        QComboBox* documents = combo(w, "cboizborprimke");
        QCOMPARE((QStringList{w->windowTitle(), control<QLabel>(w, "lblprimka")->text(),
                              control<QLabel>(w, "lbldobavljac")->text(), exit->objectName(),
                              items(documents)}),
                 expected);
        QCOMPARE(documents->currentText(), QString("1"));
        for (const char* name : {"dtpod", "dtpdo"}) {
            QCOMPARE(control<QDateEdit>(w, name)->date(), QDate::currentDate());
            QCOMPARE(control<QDateEdit>(w, name)->displayFormat(), QString("dd.MM.yyyy"));
        }
        QCOMPARE(checkedOptions(w), QString("optzakljucak Optjedne optdatumu"));
        QCOMPARE(states(w, kControls),
                 QString("optzakljucak optprikaz Optjedne optvise -optdatumu -optdobavljacu "
                         "-dtpod -dtpdo -lblod -lbldo lblprimka cboizborprimke -lbldobavljac "
                         "-cboizbordobavljaca"));

        documents->setFocus();
        QTest::keyClicks(documents, "32x ");
        QCOMPARE(documents->currentText(), QString("1"));
        QTest::keyClick(documents, Qt::Key_Down);
        QCOMPARE(documents->currentText(), QString("2"));

        clickOn(w, "cmdprikazart");
        QCOMPARE(w->reportText(),
                 summaryText(DocumentKind(kind),
                             {readDocument(book_, DocumentKind(kind), "2").summary}, false));
    }

    // The summaries and the full view as spreadsheets, from the same readers as the text.
    void sheets() {
        seed();
        const auto R = DocumentKind::Receipt;
        const auto csvLines = [](const sheet::Sheet& s) {
            return QString::fromUtf8(sheet::csvBytes(s).mid(3)).split("\r\n");
        };
        const QStringList summary =
            csvLines(summarySheet(R, documentsInRange(book_, R, kDay, kDay.addDays(2)), kDay));
        QCOMPARE(summary.size(), 8);
        QCOMPARE(summary[2], "Broj;Datum;Dobavljač;Dokument;Broj dok.;Datum dok.;Iznos");
        QVERIFY2(summary[3].startsWith("1;" + kDay.toString("dd.MM.yyyy") + ";Alfa;Račun;") &&
                     summary[3].endsWith(";2,00"),
                 qPrintable(summary[3]));
        QCOMPARE(summary[6], "Ukupno;;;;;;12,00");
        const QStringList full = csvLines(fullViewSheet(R, readDocument(book_, R, "2")));
        QCOMPARE(full.mid(2, 3),
                 QStringList({"R.br.;Šifra;Naziv;J.mj.;Količina;Cijena;Iznos",
                              "1;A1;Vijak M8;kom;2,00;2,00;4,00", "Ukupni iznos;;;;;;4,00"}));
        QCOMPARE(
            csvLines(summarySheet(DocumentKind::Issue, std::vector<DocumentSummary>(), kDay))[2],
            "Broj;Datum;Mjesto troška;Iznos");
    }

    // "Storno..." reverses the chosen document after a confirmation naming it, says the new
    // document's number, and refuses a second reversal with the reason.
    void reverseFromTheOverview() {
        seed();
        frmpregledprimki* w = open(DocumentKind::Receipt);
        QVERIFY(w);
        QComboBox* documents = combo(w, "cboizborprimke");
        documents->setCurrentIndex(2);
        box_->answer(MsgResult::No);
        clickOn(w, "cmdstorno");
        QVERIFY(box_->last().prompt.startsWith("Stornirati primku br. 3?"));
        QCOMPARE(items(documents), "1|2|3");
        box_->answer(MsgResult::Yes);
        clickOn(w, "cmdstorno");
        QCOMPARE(box_->last().prompt, "Primka br. 4 je unesena: Storno primke br. 3.");
        QCOMPARE(items(documents), "1|2|3|4");
        documents->setCurrentIndex(2);
        clickOn(w, "cmdstorno");
        QCOMPARE(box_->last().prompt, "Primka br. 3 već je stornirana (primka br. 4).");
    }

    // "Cjelovit prikaz" is always of one document: the options of several documents, the dates
    // and the partner chooser are disabled, the pickers hidden. "I&spis" prints the document
    // shown to a PDF after the question. "Zaključak" gives "Više" back.
    void fullViewSwitch() {
        seed();
        frmpregledprimki* w = open(DocumentKind::Receipt);
        QVERIFY(w);
        clickOn(w, "optvise");
        clickOn(w, "optdobavljacu");
        QCOMPARE(items(combo(w, "cboizborprimke")), QString("1|3"));

        clickOn(w, "optprikaz");
        QCOMPARE(checkedOptions(w), QString("optprikaz Optjedne optdobavljacu"));
        QCOMPARE(states(w, kControls),
                 QString("optzakljucak optprikaz Optjedne -optvise -optdatumu -optdobavljacu "
                         "-dtpod(hidden) -dtpdo(hidden) -lblod -lbldo lblprimka cboizborprimke "
                         "-lbldobavljac -cboizbordobavljaca"));
        QCOMPARE(items(combo(w, "cboizborprimke")), QString("1|2|3"));

        combo(w, "cboizborprimke")->setCurrentIndex(1);
        clickOn(w, "cmdprikazart");
        const DocumentView second = readDocument(book_, DocumentKind::Receipt, "2");
        QCOMPARE(w->reportText(), fullViewText(DocumentKind::Receipt, &second));
        box_->answer(MsgResult::Yes);
        clickOn(w, "cmdispisart");
        QCOMPARE(box_->shown().value(0).prompt, QString("Ispis na pisač?"));
        QCOMPARE(printed_.size(), 1);
        QCOMPARE(pdfPageCount(printed_.front()), 1);
        const QString page = pdfPageTexts(printed_.front()).value(0);
        QVERIFY2(page.contains("    2 06.03.26 Beta"), qPrintable(page));
        QVERIFY2(page.contains(QRegularExpression("Ukupni iznos: +4,00")), qPrintable(page));
        // The print offered after a posting is the same, without the question.
        printPostedDocument(book_, DocumentKind::Receipt, "2");
        QCOMPARE(box_->count(), 3);  // the question, then where each file went
        QCOMPARE(printed_.size(), 2);
        QCOMPARE(pdfPageTexts(printed_.back()), pdfPageTexts(printed_.front()));

        clickOn(w, "optzakljucak");
        QCOMPARE(checkedOptions(w), QString("optzakljucak Optjedne optdobavljacu"));
        QCOMPARE(states(w, {"optvise", "optdatumu", "dtpod"}),
                 QString("optvise -optdatumu -dtpod(hidden)"));
        clickOn(w, "optvise");
        QCOMPARE(states(w, {"optdatumu", "optdobavljacu", "dtpod", "lbldobavljac",
                            "cboizbordobavljaca", "cboizborprimke"}),
                 QString("optdatumu optdobavljacu -dtpod lbldobavljac cboizbordobavljaca "
                         "cboizborprimke"));
    }

    // "Više" by dates: the documents of the days picked, both included, a receipt's summary with
    // the underscored rule, an issue's with the blank one. "Više" by partner: the partner chooser
    // offers the kind's partners, and choosing one fills the document chooser with its documents
    // and gives their summary.
    void several_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("partners");
        QTest::addColumn<QString>("first");  // the documents of the first partner
        QTest::addColumn<QString>("beta");   // the documents of Beta
        dataRow("receipt", int(DocumentKind::Receipt), QString(83, u'_'), QString("Alfa|Beta"),
                QString("1|3"), QString("2"));
        dataRow("issue", int(DocumentKind::Issue), QString(83, u' '), QString("Proizvodnja|Beta"),
                QString("1|2"), QString("3"));
    }
    void several() {
        QFETCH(int, kind);
        QFETCH(QString, rule);
        QFETCH(QString, partners);
        QFETCH(QString, first);
        QFETCH(QString, beta);
        seed();
        frmpregledprimki* w = open(DocumentKind(kind));
        QVERIFY(w);
        clickOn(w, "optvise");
        QCOMPARE(states(w, {"Framedatum", "dtpod", "dtpdo", "frameprimkadobavljac"}),
                 QString("Framedatum dtpod dtpdo -frameprimkadobavljac"));
        control<QDateEdit>(w, "dtpod")->setDate(kDay.addDays(1));
        control<QDateEdit>(w, "dtpdo")->setDate(kDay.addDays(2));
        clickOn(w, "cmdprikazart");
        QStringList lines = reportLines(w->reportText());
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.at(1), rule);
        QCOMPARE((QStringList{lines.at(2).left(5), lines.at(3).left(5)}),
                 (QStringList{"    2", "    3"}));
        control<QDateEdit>(w, "dtpod")->setDate(kDay.addDays(3));
        clickOn(w, "cmdprikazart");
        QCOMPARE(reportLines(w->reportText()).size(), 2);  // the heading alone

        clickOn(w, "optdobavljacu");
        QCOMPARE(states(w, {"Framedatum", "frameprimkadobavljac", "cboizbordobavljaca"}),
                 QString("-Framedatum frameprimkadobavljac cboizbordobavljaca"));
        QComboBox* partner = combo(w, "cboizbordobavljaca");
        QCOMPARE(items(partner), partners);
        QCOMPARE(items(combo(w, "cboizborprimke")), first);
        partner->setCurrentIndex(1);  // Beta, as the clerk chooses it
        emit partner->activated(1);
        QCOMPARE(items(combo(w, "cboizborprimke")), beta);
        clickOn(w, "cmdprikazart");
        lines = reportLines(w->reportText());
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.at(2).left(5).trimmed(), beta);
        QVERIFY(lines.at(2).mid(15).startsWith("Beta "));
    }

    // A book without documents: the summary and the full view have no document line, and the
    // clerk is told that there is no document to show.
    void emptyBook_data() {
        QTest::addColumn<QString>("view");
        QTest::addColumn<int>("lines");
        dataRow("summary", QString("optzakljucak"), 2);
        dataRow("full view", QString("optprikaz"), 8);
    }
    void emptyBook() {
        QFETCH(QString, view);
        QFETCH(int, lines);
        frmpregledprimki* w = open(DocumentKind::Receipt);
        QVERIFY(w);
        QCOMPARE(combo(w, "cboizborprimke")->count(), 0);
        clickOn(w, qPrintable(view));
        clickOn(w, "cmdprikazart");
        QCOMPARE(reportLines(w->reportText()).size(), lines);
        QCOMPARE(box_->count(), 1);
        QCOMPARE(box_->last().prompt, QString("Nema trenutnog zapisa."));
        QCOMPARE(box_->last().style, int(MsgStyle::OkOnly));
    }
};

QTEST_MAIN(Tst_frmpregledprimki)
#include "tst_frmpregledprimki.moc"
