#include "warehouse/frmprimka.h"

#include "warehouse/documentlists.h"

#include "data/appcontext.h"
#include "data/convert.h"
#include "data/dberror.h"
#include "ui/controls.h"
#include "ui/fields.h"
#include "ui/msgboxhr.h"
#include "ui/reportlist.h"
#include "ui/windowregistry.h"
#include "warehouse/frmunos.h"
#include "warehouse/warehousewindows.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace kl {

namespace {

QString receiptHelp() {
    return QStringLiteral(
        "<h3>Primka</h3>"
        "<p><b>Broj primke</b> program upisuje sam; ne može se unijeti ni promijeniti.</p>"
        "<p><b>Datum primke</b> i <b>datum dokumenta</b> su današnji; promijenite ih ako "
        "treba.</p>"
        "<p><b>Dobavljač</b> mora biti unešen kao kupac/dobavljač s oznakom <b>d</b> ili "
        "<b>s</b>. Novog dodajete gumbom <b>Unos novog kupca ili dobavljača</b>.</p>"
        "<p><b>Dokument</b> je vrsta dokumenta dobavljača (otpremnica, račun...), a <b>Broj</b> "
        "njegov broj. Novu vrstu dodajete gumbom <b>Unos novog dokumenta</b>.</p>"
        "<p>Artikl birate po šifri ili po nazivu, ili ga tražite gumbom <b>Pretraga postojećih "
        "artikala</b>. Novi artikl unosite gumbom <b>Unos novog artikla</b>.</p>"
        "<p><b>Količina</b> i <b>cijena</b> primaju najviše 99 999,99, ne smiju biti 0 i "
        "zaokružuju se na dvije decimale. <b>Iznos</b> se mijenja sam i ne smije prijeći "
        "9 999 999; veću nabavu unesite u dvije primke.</p>"
        "<p><b>Dodaj na listu</b> stavlja artikl samo na listu desno, još ne u bazu. <b>Briši sa "
        "liste</b> uklanja označeni red.</p>"
        "<p><b>Unos u skladište</b> unosi cijelu primku u skladište. <b>Unos se ne može "
        "poništiti:</b> unešena primka ne može se ni brisati ni mijenjati.</p>"
        "<p><b>F1</b> vraća u mod unosa, <b>Esc</b> zatvara prozor.</p>");
}

QString issueHelp() {
    return QStringLiteral(
        "<h3>Izdatnica</h3>"
        "<p><b>Broj izdatnice</b> program upisuje sam; ne može se unijeti ni promijeniti.</p>"
        "<p><b>Datum izdatnice</b> je današnji; promijenite ga ako treba.</p>"
        "<p><b>Mjesto troška</b> mora biti unešeno kao kupac s oznakom <b>k</b> (lista nudi i "
        "one s oznakom <b>s</b>). Novog dodajete gumbom <b>Unos novog kupca ili "
        "dobavljača</b>.</p>"
        "<p>Artikl birate po šifri ili po nazivu, ili ga tražite gumbom <b>Pretraga postojećih "
        "artikala</b>.</p>"
        "<p><b>Cijena</b> dolazi iz podataka o artiklu (prosječna cijena) i ne može se "
        "mijenjati.</p>"
        "<p><b>Količina</b> prima najviše 99 999,99, ne smije biti 0, zaokružuje se na dvije "
        "decimale i ne smije biti veća od stanja na skladištu. Polje pokraj nje pokazuje koliko "
        "artikla ima na skladištu, umanjeno za ono što je već na listi desno.</p>"
        "<p><b>Iznos</b> se mijenja sam.</p>"
        "<p><b>Dodaj na listu</b> stavlja artikl samo na listu desno, još ne u bazu. <b>Briši sa "
        "liste</b> uklanja označeni red.</p>"
        "<p><b>Iznos iz baze</b> iznosi cijelu izdatnicu iz skladišta. <b>Iznos se ne može "
        "poništiti:</b> unešena izdatnica ne može se ni brisati ni mijenjati.</p>"
        "<p><b>F1</b> vraća u mod unosa, <b>Esc</b> zatvara prozor.</p>");
}

NumericField* numberField(QWidget* parent, const char* name, const QString& tip) {
    auto* field = new NumericField(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setToolTip(tip);
    field->setDocumentRules();
    field->setAlignment(Qt::AlignRight);
    return field;
}

}  // namespace

frmPrimka::frmPrimka(QWidget* parent)
    : ChildWindow(parent),
      kind_(context().documentMode == QLatin1String("Primka") ? DocumentKind::Receipt
                                                              : DocumentKind::Issue),
      book_(context().currentBook()) {
    setObjectName(kDocumentWindowName);
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    configureKind();
    loadLists();
    listChanged();
}

void frmPrimka::buildControls() {
    QWidget* f = makeInputFrame("frameartikli");

    // Header.
    txtprimka_ = makeShownField(f, "txtprimka");
    txtdatumprimke_ = makeDatePicker(f, "txtdatumprimke");
    cbokd_ = makeChoiceList(f, "cbokd", QString());
    cbodokument_ = makeChoiceList(f, "cbodokument", QStringLiteral("Odabir dokumenta"));
    txtbroj_ = new TextField(f, "txtbroj", 20, QStringLiteral("Broj dokumenta"));
    txtdatumdokumenta_ = makeDatePicker(f, "txtdatumdokumenta");
    txtdatumdokumenta_->setToolTip(QStringLiteral("Datum dokumenta"));
    lblprimka_ = new QLabel(f);
    lbldatumprimke_ = new QLabel(f);
    lblkd_ = new QLabel(f);
    auto* lbldokument = new QLabel(QStringLiteral("Dokument :"), f);
    auto* lblbroj = new QLabel(QStringLiteral("Broj :"), f);
    auto* lbldatumdok = new QLabel(QStringLiteral("Datum dok:"), f);
    lblprimka_->setBuddy(txtprimka_);
    lbldatumprimke_->setBuddy(txtdatumprimke_);
    lblkd_->setBuddy(cbokd_);

    auto* header = new QGridLayout;
    header->addWidget(lblprimka_, 0, 0);
    header->addWidget(txtprimka_, 0, 1);
    header->addWidget(lbldatumprimke_, 0, 2);
    header->addWidget(txtdatumprimke_, 0, 3);
    header->addWidget(lblkd_, 1, 0);
    header->addWidget(cbokd_, 1, 1, 1, 3);
    header->addWidget(lbldokument, 2, 0);
    header->addWidget(cbodokument_, 2, 1, 1, 3);
    header->addWidget(lblbroj, 3, 0);
    header->addWidget(txtbroj_, 3, 1);
    header->addWidget(lbldatumdok, 3, 2);
    header->addWidget(txtdatumdokumenta_, 3, 3);
    header->setColumnStretch(1, 1);
    receiptOnly_ = {cbodokument_, txtbroj_, txtdatumdokumenta_, lbldokument, lblbroj, lbldatumdok};

    // Entry of one line.
    auto* search = new QGroupBox(QStringLiteral("Izbor postojećih artikala"), f);
    cmdpretraga_ =
        makeButton(search, "cmdpretraga", QStringLiteral("Pretraga postojećih artikala..."));
    (new QHBoxLayout(search))->addWidget(cmdpretraga_);

    Cbosifra_ = makeChoiceList(f, "Cbosifra", QStringLiteral("Odabir šifre artikla"));
    cbonaziv_ = makeChoiceList(f, "cbonaziv", QStringLiteral("Odabir naziva artikla"));
    txtkolicina_ = numberField(f, "txtkolicina", QStringLiteral("Unos količine"));
    txtcijena_ = numberField(f, "txtcijena", QStringLiteral("Unos cijene"));
    txtiznos_ = makeShownField(f, "txtiznos", QStringLiteral("Iznos(automatski se mijenja)"));
    txtiznos_->setText(QStringLiteral("0,00"));
    txtpokazkolicine_ = makeShownField(f, "txtpokazkolicine");

    auto* entry = new QGridLayout;
    const std::pair<const char*, QWidget*> rows[] = {{"Šifra:", Cbosifra_},
                                                     {"Naziv:", cbonaziv_},
                                                     {"Količ.:", txtkolicina_},
                                                     {"Cijena:", txtcijena_},
                                                     {"Iznos:", txtiznos_}};
    for (int r = 0; r < 5; ++r) {
        auto* label = new QLabel(QString::fromUtf8(rows[r].first), f);
        label->setBuddy(rows[r].second);
        entry->addWidget(label, r, 0);
        entry->addWidget(rows[r].second, r, 1, 1, r < 2 ? 2 : 1);
    }
    entry->addWidget(txtpokazkolicine_, 2, 2);
    entry->setColumnStretch(1, 1);
    entry->setColumnStretch(2, 1);

    cmddodaj_ = makeButton(f, "cmddodaj", QStringLiteral("&Dodaj na listu"),
                           QStringLiteral("Dodaj na listu desno"));
    cmdbrisi_ = makeButton(f, "cmdbrisi", QStringLiteral("&Briši sa liste"),
                           QStringLiteral("Briši sa liste desno"));
    cmdprihvati_ = makeButton(f, "cmdprihvati", QString());
    cmdodustani_ = makeButton(f, "cmdodustani", QStringLiteral("&Izlaz"),
                              QStringLiteral("Izlaz i odustajanje"));
    cmdartikl_ = makeButton(f, "cmdartikl", QStringLiteral("Unos novog &artikla..."),
                            QStringLiteral("Unos novog artikla..."));
    cmddobavljac_ =
        makeButton(f, "cmddobavljac", QStringLiteral("Uno&s novog kupca ili dobavljača..."),
                   QStringLiteral("Unos novog kupca ili dobavljača"));
    cmdnovidokument_ = makeButton(f, "cmdnovidokument", QStringLiteral("Unos novog doku&menta..."),
                                  QStringLiteral("Unos novog dokumenta"));
    cmderacun_ = makeButton(f, "cmderacun", QStringLiteral("Učitaj &e-račun..."),
                            QStringLiteral("Primka iz primljenog e-računa (XML)"));
    receiptOnly_.append(cmdnovidokument_);
    receiptOnly_.append(cmderacun_);
    for (QPushButton* b : {cmddodaj_, cmdbrisi_, cmdprihvati_})
        b->setEnabled(false);

    lsvartprimka_ = new ReportList(f);
    lsvartprimka_->setObjectName(QStringLiteral("lsvartprimka"));
    lsvartprimka_->setColumns({{QStringLiteral("Šifra art."), 70},
                               {QStringLiteral("Naziv art."), 125},
                               {QStringLiteral("Količina"), 70, Qt::AlignRight},
                               {QStringLiteral("Cijena"), 70, Qt::AlignRight},
                               {QStringLiteral("Iznos"), 80, Qt::AlignRight},
                               {QString(), 0}});

    lblartikl_ = hiddenLabel(f, "lblartikl");
    lblpi_ = hiddenLabel(f, "lblpi");
    lblidprimkeizdatnice_ = hiddenLabel(f, "lblidprimkeizdatnice");

    auto* lineButtons = new QHBoxLayout;
    lineButtons->addWidget(cmddodaj_);
    lineButtons->addWidget(cmdbrisi_);
    auto* left = new QVBoxLayout;
    left->addLayout(header);
    left->addSpacing(8);
    left->addWidget(search);
    left->addLayout(entry);
    left->addLayout(lineButtons);
    left->addStretch();
    left->addWidget(cmderacun_, 0, Qt::AlignLeft);
    lblukupno_ = new QLabel(f);
    lblukupno_->setObjectName(QStringLiteral("lblukupno"));
    lblukupno_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* right = new QVBoxLayout;
    right->addWidget(lsvartprimka_, 1);
    right->addWidget(lblukupno_);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 4);
    top->addLayout(right, 5);
    auto* bottom = new QHBoxLayout;
    for (QPushButton* b : {cmdartikl_, cmddobavljac_, cmdnovidokument_})
        bottom->addWidget(b);
    bottom->addStretch();
    bottom->addWidget(cmdprihvati_);
    bottom->addWidget(cmdodustani_);
    auto* layout = new QVBoxLayout(f);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    connect(Cbosifra_, &QComboBox::activated, this, &frmPrimka::chooseArticle);
    connect(cbonaziv_, &QComboBox::activated, this, &frmPrimka::chooseArticle);
    connect(txtkolicina_, &QLineEdit::textChanged, this,
            [this] { amountInputChanged(txtkolicina_); });
    connect(txtcijena_, &QLineEdit::textChanged, this, [this] { amountInputChanged(txtcijena_); });
    connect(cmddodaj_, &QPushButton::clicked, this, &frmPrimka::addLine);
    connect(cmdbrisi_, &QPushButton::clicked, this, &frmPrimka::deleteLine);
    connect(cmdprihvati_, &QPushButton::clicked, this, &frmPrimka::post);
    connect(cmdodustani_, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdpretraga_, &QPushButton::clicked, this, &frmPrimka::openSearch);
    connect(cmdartikl_, &QPushButton::clicked, this, &frmPrimka::openArticles);
    connect(cmddobavljac_, &QPushButton::clicked, this, &frmPrimka::openPartners);
    connect(cmdnovidokument_, &QPushButton::clicked, this, &frmPrimka::openDocumentTypes);
    connect(cmderacun_, &QPushButton::clicked, this, &frmPrimka::openEinvoice);
}

void frmPrimka::configureKind() {
    const bool receipt = isReceipt();
    setCaption(receipt ? QStringLiteral("Primka      Pomoć  F1")
                       : QStringLiteral("Izdatnica         Pomoć F1 "));
    setHelpText(receipt ? receiptHelp() : issueHelp());
    lblprimka_->setText(receipt ? QStringLiteral("Primka br:") : QStringLiteral("Izdatnica br:"));
    txtprimka_->setToolTip(receipt ? QStringLiteral("Broj primke")
                                   : QStringLiteral("Broj izdatnice"));
    lblpi_->setText(kindLetter(kind_));
    lbldatumprimke_->setText(receipt ? QStringLiteral("Datum primke:")
                                     : QStringLiteral("Datum izdatnice:"));
    txtdatumprimke_->setToolTip(receipt ? QStringLiteral("Datum primke")
                                        : QStringLiteral("Datum izdatnice"));
    lblkd_->setText(receipt ? QStringLiteral("Dobavljač:") : QStringLiteral("Mj. troška:"));
    cbokd_->setToolTip(receipt ? QStringLiteral("Ime dobavljača") : QStringLiteral("Ime kupca"));
    for (QWidget* w : receiptOnly_)
        w->setVisible(receipt);
    cmdartikl_->setVisible(receipt);
    txtpokazkolicine_->setVisible(!receipt);
    // An issue is valued at the article's average price: the clerk cannot change it.
    txtcijena_->setReadOnly(!receipt);
    txtcijena_->setFocusPolicy(receipt ? Qt::StrongFocus : Qt::ClickFocus);
    cmdprihvati_->setText(receipt ? QStringLiteral("&Unos u skladište")
                                  : QStringLiteral("Iz&nos iz baze"));
    cmdprihvati_->setToolTip(receipt ? QStringLiteral("Unošenje sa liste u skladište")
                                     : QStringLiteral("Iznos iz baze"));

    setTabOrder(txtdatumprimke_, cbokd_);
    setTabOrder(cbokd_, cbodokument_);
    setTabOrder(cbodokument_, txtbroj_);
    setTabOrder(txtbroj_, txtdatumdokumenta_);
    setTabOrder(txtdatumdokumenta_, cmdpretraga_);
    setTabOrder(cmdpretraga_, Cbosifra_);
    setTabOrder(Cbosifra_, cbonaziv_);
    setTabOrder(cbonaziv_, txtkolicina_);
    setTabOrder(txtkolicina_, receipt ? static_cast<QWidget*>(txtcijena_) : cmddodaj_);
    if (receipt) setTabOrder(txtcijena_, cmddodaj_);
    setTabOrder(cmddodaj_, cmdbrisi_);
    setTabOrder(cmdbrisi_, lsvartprimka_);
    setTabOrder(lsvartprimka_, cmdartikl_);
    setTabOrder(cmdartikl_, cmddobavljac_);
    setTabOrder(cmddobavljac_, cmdnovidokument_);
    setTabOrder(cmdnovidokument_, cmderacun_);
    setTabOrder(cmderacun_, cmdprihvati_);
    setTabOrder(cmdprihvati_, cmdodustani_);
    setInitialFocus(cbokd_);
}

void frmPrimka::loadLists() {
    try {
        setPartnerNames(partnerNames(book_, isReceipt()));
        setProposedNumber(QString::number(nextDocumentNumber(book_, kind_)));
        if (isReceipt()) cbodokument_->addItems(documentTypeNames(book_));
        cbodokument_->setCurrentIndex(-1);
        refillArticles(loadArticleChoices(book_), QString());
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Podatke skladišta nije moguće pročitati."), e);
    }
}

// ---- Lists written from the other windows ------------------------------------------------------

// The partner already chosen stays chosen when it is still in the list (the partner window
// refreshes the list when it is left).
void frmPrimka::setPartnerNames(const QStringList& names) {
    const QString chosen = cbokd_->currentIndex() >= 0 ? cbokd_->currentText() : QString();
    cbokd_->clear();
    cbokd_->addItems(names);
    cbokd_->setCurrentIndex(chosen.isEmpty() ? -1 : cbokd_->findText(chosen, Qt::MatchExactly));
}

void frmPrimka::addDocumentType(const QString& name) {
    cbodokument_->addItem(name);
    cbodokument_->setCurrentIndex(cbodokument_->count() - 1);
}

void frmPrimka::refillArticles(const std::vector<ArticleChoice>& articles, const QString& keepId) {
    fillArticleLists(Cbosifra_, cbonaziv_, articles);
    const int keep = keepId.isEmpty() ? -1 : articleIndex(keepId);
    Cbosifra_->setCurrentIndex(keep);
    cbonaziv_->setCurrentIndex(keep);
    if (keep < 0) lblartikl_->clear();
}

void frmPrimka::setArticleChoices(const std::vector<ArticleChoice>& articles) {
    // The article chosen stays chosen when it is still in the book.
    refillArticles(articles, lblartikl_->text());
}

void frmPrimka::showArticlesChoosingLast(const std::vector<ArticleRow>& articles) {
    std::vector<ArticleChoice> choices;
    choices.reserve(articles.size());
    for (const ArticleRow& a : articles)
        choices.push_back({a.id, a.sifra, a.naziv});
    refillArticles(choices, choices.empty() ? QString() : choices.back().id);
    if (!choices.empty()) lblartikl_->setText(choices.back().id);
}

int frmPrimka::articleIndex(const QString& id) const {
    return Cbosifra_->findData(id);
}

void frmPrimka::receiveArticle(const ArticleStock& article) {
    selectArticleInLists(Cbosifra_, cbonaziv_, article);
    lblartikl_->setText(article.id);
    if (!isReceipt()) showAvailable(article);
    txtkolicina_->setFocus(Qt::OtherFocusReason);
}

// ---- Entry of one line -----------------------------------------------------------------------

void frmPrimka::chooseArticle(int index) {
    if (index < 0 || index >= Cbosifra_->count()) return;
    Cbosifra_->setCurrentIndex(index);
    cbonaziv_->setCurrentIndex(index);
    const QString id = Cbosifra_->itemData(index).toString();
    lblartikl_->setText(id);
    if (isReceipt()) return;
    try {
        if (const auto article = findArticle(book_, id)) showAvailable(*article);
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Artikl nije moguće pročitati."), e);
    }
}

// An issue offers the average price and shows the stock less what the list already issues.
void frmPrimka::showAvailable(const ArticleStock& article) {
    txtcijena_->setText(offeredPriceText(article));
    double available = numberOrZero(format00(article.stanje, Precision::Single));
    for (int r = 0; r < lsvartprimka_->rowCount(); ++r) {
        if (lsvartprimka_->text(r, IdArtikla) == article.id)
            available -= numberOrZero(lsvartprimka_->text(r, Kolicina));
    }
    txtpokazkolicine_->setText(format00(available));
}

void frmPrimka::amountInputChanged(NumericField* changed) {
    if (resettingAmount_) return;
    const auto quantity = parseNumber(txtkolicina_->text());
    const auto price = parseNumber(txtcijena_->text());
    const double amount = quantity && price ? *quantity * *price : 0.0;
    if (isReceipt() && amount > MaxReceiptAmount) {
        MsgBoxHr(QStringLiteral("Iznos ne smije prijeći 9 999 999 zbog bolje kontrole "
                                "skladišta!\nNaš savjet:  Unesite u dvije primke"),
                 MsgStyle::OkOnly | MsgStyle::Question, QStringLiteral("Prevelik unos!"));
        QScopedValueRollback guard(resettingAmount_, true);
        txtiznos_->setText(QStringLiteral("0,00"));
        changed->setText(QStringLiteral("0,00"));
        return;
    }
    cmddodaj_->setEnabled(!txtkolicina_->text().isEmpty() && !txtcijena_->text().isEmpty());
    txtiznos_->setText(formatEntry(amount));
}

void frmPrimka::addLine() {
    // A button pressed by its access key leaves no field: apply the leaving rules here.
    if (!txtkolicina_->finishEntry() || !txtcijena_->finishEntry()) return;
    auto refocus = [](QLineEdit* field) {
        field->setText(QStringLiteral("0,00"));
        field->setFocus(Qt::OtherFocusReason);
        field->selectAll();
    };
    if (numberOrZero(txtiznos_->text()) == 0) {
        MsgBoxHr(QStringLiteral("Unos mora biti veći od nule!"),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Prevelik broj"));
        refocus(numberOrZero(txtkolicina_->text()) == 0 ? txtkolicina_ : txtcijena_);
        return;
    }
    if (!isReceipt() &&
        numberOrZero(txtkolicina_->text()) > numberOrZero(txtpokazkolicine_->text())) {
        MsgBoxHr(QStringLiteral("Na skladištu nema toliko!"),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Nema toliko!"));
        txtkolicina_->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (Cbosifra_->currentText().isEmpty() && cbonaziv_->currentText().isEmpty()) {
        MsgBoxHr(QStringLiteral("Nije unešena šifra ili naziv!"),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Unos nepotpun!"));
        Cbosifra_->setFocus(Qt::OtherFocusReason);
        return;
    }
    lsvartprimka_->addRow({Cbosifra_->currentText(), cbonaziv_->currentText(), txtkolicina_->text(),
                           txtcijena_->text(), txtiznos_->text(), lblartikl_->text()});
    clearEntry();
    listChanged();
    Cbosifra_->setFocus(Qt::OtherFocusReason);
}

void frmPrimka::clearEntry() {
    txtkolicina_->clear();
    txtcijena_->clear();
    Cbosifra_->setCurrentIndex(-1);
    cbonaziv_->setCurrentIndex(-1);
    lblartikl_->clear();
    txtpokazkolicine_->clear();
}

void frmPrimka::deleteLine() {
    const QList<int> selected = lsvartprimka_->selectedRows();
    if (selected.isEmpty()) return;
    lsvartprimka_->removeRow(selected.front());
    listChanged();
}

void frmPrimka::listChanged() {
    const bool lines = lsvartprimka_->rowCount() > 0;
    cmdbrisi_->setEnabled(lines);
    cmdprihvati_->setEnabled(lines);
    lblukupno_->setText(runningTotal());
}

QString frmPrimka::runningTotal() const {
    return linesTotalText(*lsvartprimka_, Iznos);
}

// ---- Posting ---------------------------------------------------------------------------------

bool frmPrimka::post() {
    if (lsvartprimka_->rowCount() == 0) return false;
    const bool receipt = isReceipt();
    const bool complete =
        !txtprimka_->text().isEmpty() && !cbokd_->currentText().isEmpty() &&
        (!receipt || (!cbodokument_->currentText().isEmpty() && !txtbroj_->text().isEmpty()));
    if (!complete) {
        MsgBoxHr(receipt ? QStringLiteral("Nije unešen datum primke,ime dobavljača,dokument,"
                                          "brojdokumenta ili datum dokumenta!")
                         : QStringLiteral("Nije unešen datum izdatnice ili mjesto troška!"),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Unos nepotpun"));
        return false;
    }
    if (MsgBoxHr(receipt ? QStringLiteral("Unosimo u bazu?") : QStringLiteral("Iznosimo iz baze"),
                 MsgStyle::YesNo | MsgStyle::Question,
                 QStringLiteral("Unošenje")) != MsgResult::Yes)
        return false;

    DocumentHeader header;
    header.kind = kind_;
    header.broj = txtprimka_->text();
    header.proposedNumber = header.broj == proposedNumber_;
    header.datum = txtdatumprimke_->date();
    header.partner = cbokd_->currentText();
    if (receipt) {
        header.documentType = cbodokument_->currentText();
        header.brojdok = txtbroj_->text();
        header.datumdok = txtdatumdokumenta_->date();
    }
    std::vector<DocumentLine> lines;
    for (int r = 0; r < lsvartprimka_->rowCount(); ++r) {
        lines.push_back({lsvartprimka_->text(r, Sifra), lsvartprimka_->text(r, Naziv),
                         lsvartprimka_->text(r, Kolicina), lsvartprimka_->text(r, Cijena),
                         lsvartprimka_->text(r, Iznos), lsvartprimka_->text(r, IdArtikla)});
    }

    PostingResult result;
    try {
        result = postDocument(book_, header, lines);
    } catch (const DbError& e) {
        showDbError(receipt ? QStringLiteral("Primka nije unešena; skladište je ostalo kakvo je "
                                             "bilo.")
                            : QStringLiteral("Izdatnica nije unešena; skladište je ostalo kakvo "
                                             "je bilo."),
                    e);
        return false;
    }
    switch (result.refusal) {
        case PostingRefusal::None:
            break;
        case PostingRefusal::PartnerMissing:
            MsgBoxHr(receipt
                         ? QStringLiteral("Nema dobavljača u tablici, morate dodati dobavljača!")
                         : QStringLiteral("Nema kupca u tablici, morate dodati kupca!"),
                     MsgStyle::OkOnly | MsgStyle::Exclamation,
                     receipt ? QStringLiteral("Nema dobavljača") : QStringLiteral("Nema kupca"));
            return false;
        case PostingRefusal::DocumentTypeMissing:
            MsgBoxHr(QStringLiteral("Nema dokumenta u tablici, morate dodati dokument!"),
                     MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Nema dokumenta"));
            return false;
    }

    // Ready for the next document of the same kind; the dates stay.
    const QString posted = result.number;
    lsvartprimka_->clear();
    listChanged();
    if (header.proposedNumber) {
        setProposedNumber(QString::number(posted.toInt() + 1));
    } else {
        proposedNumber_.clear();
        txtprimka_->setText(QString::number(posted.toInt() + 1));
    }
    lblidprimkeizdatnice_->setText(QString::number(result.headerId + 1));
    cbokd_->setCurrentIndex(-1);
    if (receipt) {
        cbodokument_->setCurrentIndex(-1);
        txtbroj_->clear();
    }
    offerPrint(posted);
    return true;
}

// "Primka br. N je unesena." with the offer to print it; without a printer of the overview only
// the number is said.
void frmPrimka::offerPrint(const QString& number) {
    const QString said = (isReceipt() ? QStringLiteral("Primka br. %1 je unesena.")
                                      : QStringLiteral("Izdatnica br. %1 je unesena."))
                             .arg(number);
    const PostedDocumentPrinter& print = postedDocumentPrinter();
    if (!print) {
        MsgBoxHr(said, MsgStyle::OkOnly | MsgStyle::Information, QStringLiteral("Unošenje"));
        return;
    }
    if (MsgBoxHr(said + (isReceipt() ? QStringLiteral("\nŽelite li ispisati primku?")
                                     : QStringLiteral("\nŽelite li ispisati izdatnicu?")),
                 MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2,
                 QStringLiteral("Unošenje")) == MsgResult::Yes)
        print(book_, kind_, number);
}

// ---- Other windows ---------------------------------------------------------------------------

void frmPrimka::openArticles() {
    if (!isReceipt()) return;
    context().calledFromDocument = true;
    if (auto* w = qobject_cast<ChildWindow*>(windows().window(win::Artikli))) showBeside(w, true);
}

void frmPrimka::openPartners() {
    context().calledFromDocument = true;
    auto* w = windows().window<frmunos>(win::Unos);
    if (!w) return;
    w->setDocumentKind(lblpi_->text());
    showBeside(w, true);
}

void frmPrimka::openDocumentTypes() {
    if (!isReceipt()) return;
    if (auto* w = qobject_cast<ChildWindow*>(windows().window(win::UnosDokumenta)))
        showBeside(w, false, QPoint(40, 60));
}

void frmPrimka::openSearch() {
    // The e-invoice window may have left the search in its own mode.
    context().documentMode = isReceipt() ? QStringLiteral("Primka") : QStringLiteral("Izdatnica");
    if (auto* w = qobject_cast<ChildWindow*>(windows().window(win::ArtikliIzbor)))
        showBeside(w, false, QPoint(30, 30));
}

void frmPrimka::openEinvoice() {
    if (!isReceipt()) return;
    if (auto* w = qobject_cast<ChildWindow*>(windows().window(win::Eracun)))
        showBeside(w, false, QPoint(20, 20));
}

void frmPrimka::refreshNumber() {
    try {
        setProposedNumber(QString::number(nextDocumentNumber(book_, kind_)));
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Podatke skladišta nije moguće pročitati."), e);
    }
}

// ---- Closing, help, keys -----------------------------------------------------------------------

bool frmPrimka::queryClose() {
    if (lsvartprimka_->rowCount() > 0) {
        const int answer =
            MsgBoxHr(QStringLiteral("Imate unešene podatke na listu desno! Želite ih obraditi?"),
                     MsgStyle::YesNoCancel | MsgStyle::Question,
                     QStringLiteral("Obrada unešenih podataka!"));
        // Yes posts the document; the window closes only when it was posted, so that lines
        // the clerk wanted stored are never dropped by a refusal or a failure.
        if (answer == MsgResult::Yes) {
            if (!post()) return false;
        } else if (answer != MsgResult::No) {
            return false;
        }
    }
    context().calledFromDocument = false;
    return true;
}

void frmPrimka::helpModeChanged(bool helpMode) {
    if (!helpMode)
        setCaption(isReceipt() ? QStringLiteral("Primka     Pomoć  F1")
                               : QStringLiteral("Izdatnica      Pomoć F1"));
}

void frmPrimka::setProposedNumber(const QString& number) {
    proposedNumber_ = number;
    txtprimka_->setText(number);
}

}  // namespace kl
