#include "warehouse/frmartikli.h"

#include "data/appcontext.h"
#include "data/convert.h"
#include "data/dberror.h"
#include "ui/controls.h"
#include "ui/fields.h"
#include "ui/msgboxhr.h"
#include "ui/reportlist.h"
#include "ui/sheetexport.h"
#include "warehouse/documentlists.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kl {

namespace {

// Columns of both lists; the list of every article has the article id as a sixth, hidden one.
enum Column { Sifra, Barkod, Naziv, JedMjere, MinKolicina, Id };

QList<ReportColumn> articleColumns(bool withId) {
    QList<ReportColumn> columns = {
        {QStringLiteral("Šifra art."), 85, Qt::AlignLeft},
        {QStringLiteral("Barkod"), 120, Qt::AlignLeft},
        {QStringLiteral("Naziv art."), 215, Qt::AlignLeft},
        {QStringLiteral("J.m."), 45, Qt::AlignLeft},
        {QStringLiteral("Min.kolicina"), 85, Qt::AlignRight},
    };
    if (withId) columns.append({QStringLiteral("id"), 0, Qt::AlignLeft});
    return columns;
}

QString helpText() {
    return QStringLiteral(
        "<h3>Unos novih artikala</h3>"
        "<ul>"
        "<li><b>Šifra</b> – najviše 10 znakova, obavezna je i mora biti jedinstvena. Velika i "
        "mala slova se razlikuju.</li>"
        "<li><b>Barkod</b> – najviše 13 znakova; može ostati prazan. Upisani barkod mora biti "
        "jedinstven.</li>"
        "<li><b>Naziv</b> – najviše 30 znakova, obavezan je. Dva artikla smiju imati isti "
        "naziv.</li>"
        "<li><b>Jed.mj.</b> – jedinica mjere, najčešće kom, kg ili m.</li>"
        "<li><b>Min.kol.</b> – minimalna količina, bilo koji broj do 99 999,99; može biti "
        "i nula.</li>"
        "</ul>"
        "<p><b>Dodaj na listu</b> samo dodaje artikl na listu desno, u bazu još ništa ne "
        "upisuje, pa se sve može i napustiti. <b>Briši sa liste</b> skida označeni artikl s "
        "liste.</p>"
        "<p><b>Primi u skladiste</b> upisuje sve artikle s liste u bazu. Tada se pojavljuju "
        "na listi ispod, gdje se svaki može mijenjati.</p>"
        "<h3>Izmjena artikla</h3>"
        "<p>Označite artikl na listi ispod i pritisnite <b>Editiraj</b>; dvostruki klik na "
        "listi ispod isto je što i <b>Editiraj</b>. Izmjena je moguća tek kad je lista desno "
        "prazna. Promjene spremate gumbom <b>Izmjena</b>, a napuštate ih gumbom "
        "<b>Odustajem od promjene</b>. Artikli se ne brišu.</p>"
        "<p>Klik na naslov stupca razvrstava listu po tom stupcu, drugi klik obrnutim "
        "redom.</p>"
        "<p>Tipkom <b>F1</b> vraćate se u mod unosa, a tipkom <b>Esc</b> zatvarate "
        "prozor.</p>");
}

// "&" in a code shown on a button is a letter, not an access key.
QString buttonText(const QString& text) {
    return QString(text).replace(QLatin1Char('&'), QLatin1String("&&"));
}

}  // namespace

frmartikli::frmartikli(QWidget* parent) : ChildWindow(parent) {
    book_ = context().currentBook();
    setCaption(normalCaption());
    setHelpText(helpText());

    frame_ = new QWidget(this);
    frame_->setObjectName(QStringLiteral("frameunos"));

    txtsifra_ = new TextField(frame_, "txtsifra", 10, QStringLiteral("Unos šifre(jedinstven)"));
    txtbarkod_ = new TextField(frame_, "txtbarkod", 13, QStringLiteral("Unos barkoda(13 znakova)"));
    // The book keeps 30 characters of a name: the field takes no more, so nothing is ever cut.
    txtnaziv_ = new TextField(frame_, "txtnaziv", 30, QStringLiteral("Naziv artikla"));
    txtjedmjere_ = new TextField(frame_, "txtjedmjere", 5, QStringLiteral("kg,kom ili ..."));
    txtminkolicina_ = new NumericField(frame_);
    txtminkolicina_->setObjectName(QStringLiteral("txtminkolicina"));
    txtminkolicina_->setArticleRules();
    txtminkolicina_->setMaxLength(8);
    txtminkolicina_->setAlignment(Qt::AlignRight);
    txtminkolicina_->setToolTip(QStringLiteral("Unos min.kolicine"));
    txtminkolicina_->setText(QStringLiteral("0,00"));

    auto* fields = new QGridLayout;
    const std::pair<const char*, QLineEdit*> rows[] = {{"Šifra:", txtsifra_},
                                                       {"Barkod:", txtbarkod_},
                                                       {"Naziv:", txtnaziv_},
                                                       {"Jed.mj.:", txtjedmjere_},
                                                       {"Min.kol.:", txtminkolicina_}};
    int r = 0;
    for (const auto& [label, edit] : rows) {
        auto* l = new QLabel(QString::fromUtf8(label), frame_);
        l->setBuddy(edit);
        fields->addWidget(l, r, 0, Qt::AlignRight);
        fields->addWidget(edit, r, 1);
        ++r;
    }
    txtjedmjere_->setMaximumWidth(70);
    txtminkolicina_->setMaximumWidth(100);
    fields->setRowStretch(r, 1);

    lsvartikli_ = new ReportList(frame_);
    lsvartikli_->setObjectName(QStringLiteral("lsvartikli"));
    lsvartikli_->setColumns(articleColumns(false));
    lsvsviartikli_ = new ReportList(frame_);
    lsvsviartikli_->setObjectName(QStringLiteral("lsvsviartikli"));
    lsvsviartikli_->setColumns(articleColumns(true));

    cmddodaj_ = makeButton(frame_, "cmddodaj", QStringLiteral("&Dodaj na listu"),
                           QStringLiteral("Dodavanje na listu desno"));
    cmdbrisi_ = makeButton(frame_, "cmdbrisi", QStringLiteral("&Briši sa liste"),
                           QStringLiteral("Skidanje sa liste desno"));
    cmdprihvati_ = makeButton(frame_, "cmdprihvati", QStringLiteral("&Primi u skladiste"),
                              QStringLiteral("Unošenje sa liste u bazu"));
    cmdodustani_ = makeButton(frame_, "cmdodustani", QStringLiteral("&Izlaz"),
                              QStringLiteral("Izlaz i odustajanje"));
    cmdeditiraj_ = makeButton(frame_, "cmdeditiraj", QStringLiteral("&Editiraj"),
                              QStringLiteral("Editiraj označeni artikl"));
    cmdizmjena_ = makeButton(frame_, "cmdizmjena", QStringLiteral("I&zmjeni"),
                             QStringLiteral("Spremi promjene"));
    cmdne_ = makeButton(frame_, "cmdne", QStringLiteral("&Odustani od promjene"),
                        QStringLiteral("Odustajanje od promjene artikla"));
    for (QPushButton* b : {cmddodaj_, cmdbrisi_, cmdprihvati_, cmdeditiraj_, cmdizmjena_, cmdne_})
        b->setEnabled(false);

    lblida_ = hiddenLabel(this, "lblida");
    lblsifra_ = hiddenLabel(this, "lblsifra");

    auto* entryButtons = new QVBoxLayout;
    entryButtons->addWidget(cmddodaj_);
    entryButtons->addWidget(cmdbrisi_);
    entryButtons->addWidget(cmdprihvati_);
    entryButtons->addStretch();
    entryButtons->addWidget(cmdodustani_);
    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(entryButtons);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 0);
    top->addWidget(lsvartikli_, 1);

    auto* editButtons = new QHBoxLayout;
    editButtons->addWidget(cmdeditiraj_);
    editButtons->addWidget(cmdizmjena_);
    editButtons->addWidget(cmdne_);
    editButtons->addStretch();
    // The list of every article below as a spreadsheet.
    const auto [excel, csv] = makeExportButtons(this, [this]() -> std::optional<sheet::Sheet> {
        QStringList heading;
        for (const ReportColumn& c : articleColumns(true))
            heading << c.title;
        using K = sheet::ColumnKind;
        return sheet::listSheet(
            QStringLiteral("Artikli"),
            QStringLiteral("Artikli na dan: ") + dateText(QDate::currentDate()), heading,
            {K::Text, K::Text, K::Text, K::Text, K::Number, K::LeftOut}, lsvsviartikli_->rows());
    });
    editButtons->addWidget(excel);
    editButtons->addWidget(csv);

    auto* layout = new QVBoxLayout(frame_);
    layout->addLayout(top, 1);
    layout->addWidget(lsvsviartikli_, 1);
    layout->addLayout(editButtons);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame_);

    setTabOrder(txtsifra_, txtbarkod_);
    setTabOrder(txtbarkod_, txtnaziv_);
    setTabOrder(txtnaziv_, txtjedmjere_);
    setTabOrder(txtjedmjere_, txtminkolicina_);
    setTabOrder(txtminkolicina_, cmddodaj_);

    for (QLineEdit* e :
         {static_cast<QLineEdit*>(txtsifra_), static_cast<QLineEdit*>(txtnaziv_),
          static_cast<QLineEdit*>(txtjedmjere_), static_cast<QLineEdit*>(txtminkolicina_)})
        connect(e, &QLineEdit::textChanged, this, &frmartikli::updateAddButton);
    connect(cmddodaj_, &QPushButton::clicked, this, &frmartikli::addToList);
    connect(cmdbrisi_, &QPushButton::clicked, this, &frmartikli::removeFromList);
    connect(cmdprihvati_, &QPushButton::clicked, this, [this] { storeList(true); });
    connect(cmdodustani_, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdeditiraj_, &QPushButton::clicked, this, &frmartikli::editSelected);
    connect(cmdizmjena_, &QPushButton::clicked, this, &frmartikli::saveEdit);
    connect(cmdne_, &QPushButton::clicked, this, &frmartikli::cancelEdit);
    connect(lsvsviartikli_, &ReportList::rowClicked, this,
            [this] { cmdeditiraj_->setEnabled(true); });
    connect(lsvsviartikli_, &ReportList::rowDoubleClicked, this, &frmartikli::editSelected);

    setInitialFocus(txtsifra_);
    loud();
    txtsifra_->setFocus();
}

QList<QWidget*> frmartikli::helpHiddenControls() const {
    return {frame_};
}

// ---- Lists of the receipt window -------------------------------------------------------------

void frmartikli::fillAllArticles(const std::vector<ArticleRow>& rows) {
    std::vector<QStringList> texts;
    texts.reserve(rows.size());
    for (const ArticleRow& a : rows) {
        texts.push_back({a.sifra, a.barkod, a.naziv, a.jedmjere,
                         format00(a.minkolicina, Precision::Single), a.id});
    }
    lsvsviartikli_->setRows(std::move(texts));
}

void frmartikli::loud() {
    std::vector<ArticleRow> rows;
    try {
        rows = loadArticles(book_);
    } catch (const DbError& e) {
        lsvsviartikli_->clear();
        showDbError(QStringLiteral("Artikle nije moguće pročitati."), e);
        return;
    }
    fillAllArticles(rows);
    if (!rows.empty() && context().calledFromDocument) {
        if (DocumentLists* document = documentLists()) document->showArticlesChoosingLast(rows);
    }
}

void frmartikli::izmjenacomboboxova() {
    DocumentLists* document = documentLists();
    if (!document) return;
    try {
        document->setArticleChoices(loadArticleChoices(book_));
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Artikle nije moguće pročitati."), e);
    }
}

// ---- Entry list ------------------------------------------------------------------------------

ArticleEntry frmartikli::fieldEntry() const {
    return {txtsifra_->text().trimmed(), txtbarkod_->text().trimmed(), txtnaziv_->text().trimmed(),
            txtjedmjere_->text().trimmed(), txtminkolicina_->text().trimmed()};
}

QList<ArticleEntry> frmartikli::listEntries() const {
    QList<ArticleEntry> entries;
    for (int i = 0; i < lsvartikli_->rowCount(); ++i) {
        entries.append({lsvartikli_->text(i, Sifra), lsvartikli_->text(i, Barkod),
                        lsvartikli_->text(i, Naziv), lsvartikli_->text(i, JedMjere),
                        lsvartikli_->text(i, MinKolicina)});
    }
    return entries;
}

int frmartikli::entryCount() const {
    return lsvartikli_->rowCount();
}

bool frmartikli::isEditing() const {
    return !lblida_->text().isEmpty();
}

bool frmartikli::fieldsComplete() const {
    return !txtsifra_->text().isEmpty() && !txtnaziv_->text().isEmpty() &&
           !txtjedmjere_->text().isEmpty() && !txtminkolicina_->text().isEmpty();
}

void frmartikli::updateAddButton() {
    cmddodaj_->setEnabled(fieldsComplete() && !isEditing());
}

void frmartikli::clearFields() {
    for (QLineEdit* e : {static_cast<QLineEdit*>(txtsifra_), static_cast<QLineEdit*>(txtbarkod_),
                         static_cast<QLineEdit*>(txtnaziv_), static_cast<QLineEdit*>(txtjedmjere_)})
        e->clear();
    txtminkolicina_->setText(QStringLiteral("0,00"));
}

void frmartikli::addToList() {
    // A minimum quantity typed but not yet left is finished as leaving the field would.
    if (!txtminkolicina_->finishEntry()) return;
    if (!fieldsComplete() || isEditing()) return;
    const ArticleEntry entry = fieldEntry();
    ArticleClash clash;
    try {
        clash = findArticleClash(entry, listEntries(), book_);
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Artikle nije moguće provjeriti."), e);
        return;
    }
    switch (clash) {
        case ArticleClash::None:
            break;
        case ArticleClash::CodeOnList:
            MsgBoxHr(QStringLiteral("Ista šifra postoji već na listi desno, promjenite šifru"),
                     MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Šifra postoji"));
            txtsifra_->setFocus();
            return;
        case ArticleClash::BarcodeOnList:
            MsgBoxHr(QStringLiteral("Isti barkod postoji već na listi desno, promjenite barkod"),
                     MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Barkod postoji!"));
            txtbarkod_->setFocus();
            return;
        case ArticleClash::CodeInBook:
            MsgBoxHr(QStringLiteral("Šifra artikla postoji, ne može se unijeti ista šifra"),
                     MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Šifra postoji"));
            txtsifra_->setFocus();
            return;
        case ArticleClash::BarcodeInBook:
            MsgBoxHr(QStringLiteral("Isti barkod postoji već u bazi artikala! Promjenite barkod!"),
                     MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Barkod postoji!"));
            txtbarkod_->setFocus();
            return;
    }
    lsvartikli_->addRow(
        {entry.sifra, entry.barkod, entry.naziv, entry.jedmjere, entry.minkolicina});
    entered_ = true;
    cmdprihvati_->setEnabled(true);
    cmdbrisi_->setEnabled(true);
    clearFields();
    cmddodaj_->setEnabled(false);
    txtsifra_->setFocus();
}

void frmartikli::removeFromList() {
    const int row = lsvartikli_->currentRow();
    if (row >= 0) lsvartikli_->removeRow(row);
    if (lsvartikli_->rowCount() == 0) {
        cmdbrisi_->setEnabled(false);
        cmdprihvati_->setEnabled(false);
        cmddodaj_->setEnabled(false);
        txtsifra_->setFocus();
    }
}

bool frmartikli::storeList(bool ask) {
    if (lsvartikli_->rowCount() == 0) return true;
    if (ask && MsgBoxHr(QStringLiteral("Unosimo u bazu artikle iz liste desno"),
                        MsgStyle::OkCancel | MsgStyle::Question,
                        QStringLiteral("Unošenje podataka")) != MsgResult::Ok)
        return false;
    try {
        insertArticles(book_, listEntries());
    } catch (const DbError& e) {
        showDbError(
            QStringLiteral("Artikli s liste nisu spremljeni; lista je ostala kakva je bila."), e);
        return false;
    }
    lsvartikli_->clear();
    cmdbrisi_->setEnabled(false);
    cmdprihvati_->setEnabled(false);
    loud();
    txtsifra_->setFocus();
    return true;
}

// ---- Changing one article --------------------------------------------------------------------

void frmartikli::editSelected() {
    if (lsvartikli_->rowCount() > 0) {
        MsgBoxHr(QStringLiteral(" Editiranje onemogućeno. Trebali bi prvo riješiti listu za "
                                "unošenje. Obrisati listu ili je unijeti"),
                 MsgStyle::OkOnly | MsgStyle::Exclamation,
                 QStringLiteral("Lista za unošenje nije prazna!"));
        cmdizmjena_->setEnabled(false);
        cmdeditiraj_->setEnabled(false);
        cmdne_->setEnabled(false);
        return;
    }
    const int row = lsvsviartikli_->currentRow();
    if (row < 0) return;
    const QString code = lsvsviartikli_->text(row, Sifra);
    lblida_->setText(lsvsviartikli_->text(row, Id));
    lblsifra_->setText(code);
    txtsifra_->setText(code);
    txtbarkod_->setText(lsvsviartikli_->text(row, Barkod));
    txtnaziv_->setText(lsvsviartikli_->text(row, Naziv));
    txtjedmjere_->setText(lsvsviartikli_->text(row, JedMjere));
    txtminkolicina_->setText(lsvsviartikli_->text(row, MinKolicina));
    cmdizmjena_->setEnabled(true);
    cmdne_->setEnabled(true);
    cmdeditiraj_->setEnabled(false);
    cmdizmjena_->setText(QStringLiteral("Izmjena: ") + buttonText(code));
    cmdne_->setText(QStringLiteral("&Odustajem od promjene: ") + buttonText(code));
    txtsifra_->setFocus();
}

void frmartikli::leaveEditMode(const QString& saveCaption, const QString& cancelCaption) {
    cmdizmjena_->setText(saveCaption);
    cmdne_->setText(cancelCaption);
    cmdizmjena_->setEnabled(false);
    cmdeditiraj_->setEnabled(false);
    cmdne_->setEnabled(false);
    lblida_->clear();
    lblsifra_->clear();
    clearFields();
    txtsifra_->setFocus();
}

void frmartikli::saveEdit() {
    if (!isEditing()) return;
    if (!txtminkolicina_->finishEntry()) return;
    const ArticleEntry entry = fieldEntry();
    if (!fieldsComplete()) {
        MsgBoxHr(QStringLiteral("Sve osim barkoda mora biti unešeno!"),
                 MsgStyle::OkOnly | MsgStyle::Question, QStringLiteral("Unos nepotpun"));
        txtsifra_->setFocus();
        return;
    }
    const QString oldCode = lblsifra_->text();
    try {
        // Only a changed code is checked; the article keeps its own code freely.
        if (entry.sifra != oldCode.trimmed() && articleCodeExists(book_, entry.sifra)) {
            MsgBoxHr(QStringLiteral("Šifra artikla postoji, ne može se unijeti ista šifra"),
                     MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Šifra postoji"));
            txtsifra_->setFocus();
            return;
        }
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Artikle nije moguće provjeriti."), e);
        return;
    }
    if (MsgBoxHr(QStringLiteral("Želite mijenjati artikl pod šifrom: ") + entry.sifra,
                 MsgStyle::YesNo | MsgStyle::Question,
                 QStringLiteral("Izmjena: ") + oldCode) != MsgResult::Yes) {
        cancelEdit();
        return;
    }
    try {
        updateArticle(book_, lblida_->text(), entry);
    } catch (const DbError& e) {
        // The article is unchanged; the changes stay in the fields to be tried again.
        plainMsgBox(QStringLiteral("Artikl nije promijenjen.\n") + e.description());
        return;
    }
    try {
        fillAllArticles(loadArticles(book_));
    } catch (const DbError&) {
        lsvsviartikli_->clear();
    }
    leaveEditMode(QStringLiteral("I&zmjena"), QStringLiteral("Ostajem od promjene"));
}

void frmartikli::cancelEdit() {
    leaveEditMode(QStringLiteral("Izmjena"), QStringLiteral("Odustajem od promjene"));
}

// ---- Closing ---------------------------------------------------------------------------------

bool frmartikli::queryClose() {
    if (entered_) {
        izmjenacomboboxova();
        if (lsvartikli_->rowCount() > 0) {
            const int answer = MsgBoxHr(
                QStringLiteral("Želite li pospremiti u skladište artikle na listi desno?"),
                MsgStyle::YesNoCancel | MsgStyle::Question, QStringLiteral("Posprema u skladište"));
            if (answer == MsgResult::Cancel) return false;
            if (answer == MsgResult::Yes) {
                if (!storeList(false)) return false;
                izmjenacomboboxova();
            }
        }
    }
    context().calledFromDocument = false;
    return true;
}

}  // namespace kl
