// The receipt and issue overview windows as the clerk meets them: what each kind shows at load,
// which controls each option enables, the document chooser that takes no typing, every "Prikaz"
// of the options and printing. The texts themselves are tested in tst_documentreports.

#include "reportfixture.h"
#include "reports/documentreports.h"
#include "reports/frmpregledprimki.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace kl;
using namespace kl::test;

namespace {

const QDate kDay(2026, 3, 5);

QComboBox* combo(QWidget* w, const char* name) {
    return control<QComboBox>(w, QString::fromLatin1(name));
}

QStringList items(QComboBox* c) {
    QStringList texts;
    for (int i = 0; i < c->count(); ++i)
        texts.append(c->itemText(i));
    return texts;
}

void option(QWidget* w, const char* name) {
    control<QRadioButton>(w, QString::fromLatin1(name))->click();
}

void press(QWidget* w, const char* name) {
    QPushButton* b = control<QPushButton>(w, QString::fromLatin1(name));
    QVERIFY2(b->isEnabled(), name);
    QTest::mouseClick(b, Qt::LeftButton);
}

// The partner chosen as the clerk chooses it from the list.
void choosePartner(QWidget* w, const QString& name) {
    QComboBox* c = combo(w, "cboizbordobavljaca");
    const int index = c->findText(name);
    QVERIFY2(index >= 0, qPrintable(name));
    c->setCurrentIndex(index);
    emit c->activated(index);
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

const QStringList kControls = {"optzakljucak", "optprikaz",
                               "Optjedne",     "optvise",
                               "optdatumu",    "optdobavljacu",
                               "dtpod",        "dtpdo",
                               "lblod",        "lbldo",
                               "lblprimka",    "cboizborprimke",
                               "lbldobavljac", "cboizbordobavljaca"};

QString checkedOptions(QWidget* w) {
    QStringList names;
    for (QRadioButton* b : w->findChildren<QRadioButton*>())
        if (b->isChecked()) names.append(b->objectName());
    return names.join(u' ');
}

}  // namespace

class Tst_frmpregledprimki : public ReportTest {
    Q_OBJECT

    int vijak_ = 0;

    frmpregledprimki* open(DocumentKind kind) {
        return shown(windows().window<frmpregledprimki>(
            kind == DocumentKind::Receipt ? win::PregledPrimki : win::PregledIzdatnica));
    }
    // Receipts 1 and 3 from Alfa and 2 from Beta, on three days from kDay; issues 1 and 2 to
    // Proizvodnja and 3 to Beta on the same days.
    void seed() {
        vijak_ = addArticle(book_, "A1", "Vijak M8");
        addPartner(book_, "d", "Alfa");
        addPartner(book_, "s", "Beta");
        addDocumentType(book_, "Račun");
        const QStringList suppliers = {"Alfa", "Beta", "Alfa"};
        const QStringList centres = {"Proizvodnja", "Proizvodnja", "Beta"};
        for (int i = 0; i < 3; ++i)
            receipt(book_, kDay.addDays(i), suppliers[i], {{vijak_, QString::number(i + 1), "2"}},
                    "Račun");
        for (int i = 0; i < 3; ++i)
            issue(book_, kDay.addDays(i), centres[i], {{vijak_, "1", "2"}});
    }

  private slots:
    // What each kind shows when it opens: the summary of one document, its chooser filled with
    // every document of the kind, the dates and the partner chooser disabled.
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
        QCOMPARE(exit->text(), QString("&Izlaz"));
        QCOMPARE((QStringList{w->windowTitle(), control<QLabel>(w, "lblprimka")->text(),
                              control<QLabel>(w, "lbldobavljac")->text(), exit->objectName(),
                              items(combo(w, "cboizborprimke")).join(u'|')}),
                 expected);
        QCOMPARE(combo(w, "cboizborprimke")->currentText(), QString("1"));
        QCOMPARE(control<QDateEdit>(w, "dtpod")->date(), QDate::currentDate());
        QCOMPARE(control<QDateEdit>(w, "dtpdo")->date(), QDate::currentDate());
        QCOMPARE(control<QDateEdit>(w, "dtpod")->displayFormat(), QString("dd.MM.yyyy"));
        QCOMPARE(checkedOptions(w), QString("optzakljucak Optjedne optdatumu"));
        QCOMPARE(states(w, kControls),
                 QString("optzakljucak optprikaz Optjedne optvise -optdatumu -optdobavljacu "
                         "-dtpod -dtpdo -lblod -lbldo lblprimka cboizborprimke -lbldobavljac "
                         "-cboizbordobavljaca"));

        press(w, "cmdprikazart");
        QCOMPARE(w->reportText(),
                 summaryText(DocumentKind(kind),
                             {readDocument(book_, DocumentKind(kind), "1").summary}, false));
    }

    // "Cjelovit prikaz" is always of one document: the options of several documents, the dates
    // and the partner chooser are disabled, the pickers hidden; "Zaključak" gives "Više" back.
    void fullViewSwitch() {
        seed();
        frmpregledprimki* w = open(DocumentKind::Receipt);
        QVERIFY(w);
        option(w, "optvise");
        option(w, "optdobavljacu");
        QCOMPARE(items(combo(w, "cboizborprimke")), QStringList({"1", "3"}));

        option(w, "optprikaz");
        QCOMPARE(checkedOptions(w), QString("optprikaz Optjedne optdobavljacu"));
        QCOMPARE(states(w, kControls),
                 QString("optzakljucak optprikaz Optjedne -optvise -optdatumu -optdobavljacu "
                         "-dtpod(hidden) -dtpdo(hidden) -lblod -lbldo lblprimka cboizborprimke "
                         "-lbldobavljac -cboizbordobavljaca"));
        QCOMPARE(items(combo(w, "cboizborprimke")), QStringList({"1", "2", "3"}));

        combo(w, "cboizborprimke")->setCurrentIndex(1);
        press(w, "cmdprikazart");
        const DocumentView second = readDocument(book_, DocumentKind::Receipt, "2");
        QCOMPARE(w->reportText(), fullViewText(DocumentKind::Receipt, &second));
        QVERIFY(w->reportBox()->toPlainText().contains("    2 06.03.26 Beta "));

        option(w, "optzakljucak");
        QCOMPARE(checkedOptions(w), QString("optzakljucak Optjedne optdobavljacu"));
        QCOMPARE(states(w, {"optvise", "optdatumu", "dtpod"}),
                 QString("optvise -optdatumu -dtpod(hidden)"));
        option(w, "optvise");
        QCOMPARE(states(w, {"optdatumu", "optdobavljacu", "dtpod", "lbldobavljac",
                            "cboizbordobavljaca", "cboizborprimke"}),
                 QString("optdatumu optdobavljacu -dtpod lbldobavljac cboizbordobavljaca "
                         "cboizborprimke"));
    }

    // Typed keys choose nothing in the document chooser; the arrow keys still do.
    void chooserIgnoresTyping() {
        seed();
        frmpregledprimki* w = open(DocumentKind::Receipt);
        QVERIFY(w);
        QComboBox* c = combo(w, "cboizborprimke");
        c->setFocus();
        QTest::keyClicks(c, "3");
        QTest::keyClicks(c, "2x ");
        QCOMPARE(c->currentText(), QString("1"));
        QTest::keyClick(c, Qt::Key_Down);
        QCOMPARE(c->currentText(), QString("2"));
    }

    // "Više" by dates: the documents of the days picked, both included; a receipt's summary has
    // the underscored rule, an issue's the blank one.
    void byDate_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QStringList>("numbers");
        dataRow("receipt", int(DocumentKind::Receipt), QString(83, u'_'),
                QStringList{"    2", "    3"});
        dataRow("issue", int(DocumentKind::Issue), QString(83, u' '),
                QStringList{"    2", "    3"});
    }
    void byDate() {
        QFETCH(int, kind);
        QFETCH(QString, rule);
        QFETCH(QStringList, numbers);
        seed();
        frmpregledprimki* w = open(DocumentKind(kind));
        QVERIFY(w);
        option(w, "optvise");
        QCOMPARE(states(w, {"Framedatum", "dtpod", "dtpdo", "frameprimkadobavljac"}),
                 QString("Framedatum dtpod dtpdo -frameprimkadobavljac"));
        control<QDateEdit>(w, "dtpod")->setDate(kDay.addDays(1));
        control<QDateEdit>(w, "dtpdo")->setDate(kDay.addDays(2));
        press(w, "cmdprikazart");
        QStringList lines = w->reportText().split("\r\n");
        QCOMPARE(lines.size(), 5);  // heading, rule, two documents, nothing after the last CR LF
        QCOMPARE(lines.at(1), rule);
        QCOMPARE((QStringList{lines.at(2).left(5), lines.at(3).left(5)}), numbers);

        control<QDateEdit>(w, "dtpod")->setDate(kDay.addDays(3));
        press(w, "cmdprikazart");
        QCOMPARE(w->reportText().split("\r\n").size(), 3);  // the heading alone
    }

    // "Više" by partner: the partner chooser offers the kind's partners, and choosing one fills
    // the document chooser with its documents and gives their summary.
    void byPartner_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("partners");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("beta");
        dataRow("receipt", int(DocumentKind::Receipt), QString("Alfa|Beta"), QString("1|3"),
                QString("2"));
        dataRow("issue", int(DocumentKind::Issue), QString("Proizvodnja|Beta"), QString("1|2"),
                QString("3"));
    }
    void byPartner() {
        QFETCH(int, kind);
        QFETCH(QString, partners);
        QFETCH(QString, first);
        QFETCH(QString, beta);
        seed();
        frmpregledprimki* w = open(DocumentKind(kind));
        QVERIFY(w);
        option(w, "optvise");
        option(w, "optdobavljacu");
        QCOMPARE(states(w, {"Framedatum", "frameprimkadobavljac", "cboizbordobavljaca"}),
                 QString("-Framedatum frameprimkadobavljac cboizbordobavljaca"));
        QCOMPARE(items(combo(w, "cboizbordobavljaca")).join(u'|'), partners);
        QCOMPARE(items(combo(w, "cboizborprimke")).join(u'|'), first);

        choosePartner(w, "Beta");
        QCOMPARE(items(combo(w, "cboizborprimke")).join(u'|'), beta);
        press(w, "cmdprikazart");
        const QStringList lines = w->reportText().split("\r\n");
        QCOMPARE(lines.size(), 4);
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
        option(w, qPrintable(view));
        press(w, "cmdprikazart");
        QCOMPARE(w->reportText().split("\r\n").size(), lines + 1);
        QCOMPARE(box_->count(), 1);
        QCOMPARE(box_->last().prompt, QString("Nema trenutnog zapisa."));
        QCOMPARE(box_->last().style, int(MsgStyle::OkOnly));
    }

    // "I&spis" prints the report shown to a PDF after the question.
    void print() {
        seed();
        frmpregledprimki* w = open(DocumentKind::Receipt);
        QVERIFY(w);
        option(w, "optprikaz");
        press(w, "cmdprikazart");
        box_->answer(MsgResult::Yes);
        press(w, "cmdispisart");
        QVERIFY(box_->count() > 0);
        QCOMPARE(box_->shown().front().prompt, QString("Ispis na pisač?"));
        QCOMPARE(printed_.size(), 1);
        QCOMPARE(pdfPageCount(printed_.front()), 1);
        const QString page = pdfPageTexts(printed_.front()).value(0);
        QVERIFY2(page.contains("    1 05.03.26 Alfa"), qPrintable(page));
        QVERIFY2(page.contains(QRegularExpression("Ukupni iznos: +2,00")), qPrintable(page));
    }
};

QTEST_MAIN(Tst_frmpregledprimki)
#include "tst_frmpregledprimki.moc"
