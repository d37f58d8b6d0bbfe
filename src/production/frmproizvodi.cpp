#include "production/frmproizvodi.h"

#include "data/appcontext.h"
#include "data/convert.h"
#include "data/dberror.h"
#include "reports/reportwindow.h"
#include "ui/controls.h"
#include "ui/fields.h"
#include "ui/msgboxhr.h"
#include "ui/printing.h"
#include "ui/reportlist.h"
#include "ui/windowregistry.h"
#include "warehouse/frmartikliizbor.h"
#include "warehouse/masterdata.h"
#include "warehouse/warehousewindows.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace kl {

namespace {

constexpr int Exclamation = MsgStyle::OkOnly | MsgStyle::Exclamation;

QString helpText() {
    return QStringLiteral(
        "<h3>Unos novog proizvoda</h3>"
        "<p>Proizvod se sastoji od artikala iz skladišta tvrtke, pa se proizvodi <b>ne mogu "
        "unijeti dok nije otvorena barem jedna knjiga skladišta</b> ove tvrtke.</p>"
        "<p><b>Šifra</b> proizvoda je jedinstvena i ima najviše 10 znakova. <b>Naziv</b> ima "
        "najviše 30 znakova i također se ne može ponoviti. <b>Barkod</b> ima najviše 13 znakova; "
        "ne mora se upisati, a upisani se ne može ponoviti. <b>Jedinica mjere</b> (kom, kg "
        "i.t.d.) ima najviše 5 znakova.</p>"
        "<p><b>Sastavnicu</b> unosite red po red: odaberite <b>skladište</b>, zatim artikl po "
        "<b>šifri</b> ili po <b>nazivu</b>, ili ga potražite gumbom <b>Pretraga postojećih "
        "artikala</b>. Polje pokraj količine pokazuje koliko artikla ima na skladištu, umanjeno "
        "za ono što je već na listi desno; <b>cijena</b> je prosječna cijena artikla i ažurira "
        "se sama.</p>"
        "<p><b>Količina</b> je količina artikla za jedan proizvod: najviše 99 999,99 i ne više "
        "nego što ima na skladištu. <b>Iznos</b> se računa sam i ne smije prijeći "
        "9 999 999.</p>"
        "<p><b>Cijena proizvoda</b> se ažurira automatski: to je zbroj iznosa svih redova "
        "liste desno.</p>"
        "<p><b>Dodaj na listu</b> stavlja artikl na listu desno (još ne u bazu); isti artikl iz "
        "istog skladišta može biti samo jednom na listi. <b>Briši sa liste</b> uklanja označeni "
        "red.</p>"
        "<p><b>Unos u bazu</b> unosi novi proizvod sa svim redovima liste u bazu "
        "proizvoda.</p>"
        "<p><b>Editiraj</b> (ili dvoklik na proizvod u donjoj listi) učitava odabrani proizvod za "
        "promjenu. Postojeći redovi sastavnice ne mijenjaju se: red koji treba promijeniti "
        "obrišite s liste i dodajte ga ponovo. <b>Izmjeni</b> sprema promjene; tek tada se "
        "brišu redovi uklonjeni s liste. <b>Odustani od promjene</b> vraća u unos novog "
        "proizvoda bez ikakve promjene.</p>"
        "<p><b>Briši proizvod</b> briše cijeli učitani proizvod sa sastavnicom; proizvod koji je "
        "u radnom nalogu ne može se obrisati. <b>Ispis na pisač</b> ispisuje podatke i "
        "sastavnicu učitanog proizvoda.</p>"
        "<p><b>Izlaz</b> ili <b>Esc</b> zatvara prozor; ako je novi proizvod ostao neunešen, "
        "program pita želite li ga unijeti. <b>F1</b> vraća u mod unosa.</p>");
}

void selectField(QLineEdit* field) {
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
}

}  // namespace

frmproizvodi::frmproizvodi(QWidget* parent) : ChildWindow(parent), book_(context().currentBook()) {
    setObjectName(kProductsWindowName);
    setAttribute(Qt::WA_DeleteOnClose);
    setCaption(normalCaption());
    setHelpText(helpText());
    buildControls();
    loadWarehouses();
    loadProductList();
}

void frmproizvodi::buildControls() {
    QWidget* f = makeInputFrame("frameproizvodi");

    // The product's header.
    auto* product = new QGroupBox(QStringLiteral("Proizvod"), f);
    txtsifra_ = new TextField(product, "txtsifra", 10, QStringLiteral("Šifra proizvoda"));
    txtnaziv_ = new TextField(product, "txtnaziv", 30, QStringLiteral("Naziv proizvoda"));
    txtbarkod_ = new TextField(product, "txtbarkod", 13, QStringLiteral("Barkod"));
    txtjedmjere_ =
        new TextField(product, "txtjedmjere", 5, QStringLiteral("Jedinica mjere(kom,kg i.t.d)"));
    auto* headerGrid = new QGridLayout(product);
    const std::pair<const char*, QWidget*> headerRows[] = {{"Šifra:", txtsifra_},
                                                           {"Naziv:", txtnaziv_},
                                                           {"Barkod:", txtbarkod_},
                                                           {"Jedinica mj.", txtjedmjere_}};
    for (int r = 0; r < 4; ++r) {
        auto* label = new QLabel(QString::fromUtf8(headerRows[r].first), product);
        label->setBuddy(headerRows[r].second);
        headerGrid->addWidget(label, r, 0);
        headerGrid->addWidget(headerRows[r].second, r, 1);
    }

    // One bill line.
    auto* material = new QGroupBox(QStringLiteral("Sastavnica"), f);
    cboskladiste_ = makeChoiceList(material, "cboskladiste", QStringLiteral("Odabir skladišta"));
    cmdpretraga_ =
        makeButton(material, "cmdpretraga", QStringLiteral("&Pretraga postojećih artikala..."),
                   QStringLiteral("Pretraga artikala odabranog skladišta"));
    Cbosifra_ = makeChoiceList(material, "Cbosifra", QStringLiteral("Odabir šifre artikla"));
    cbonaziv_ = makeChoiceList(material, "cbonaziv", QStringLiteral("Odabir naziva artikla"));
    txtkolicina_ = new NumericField(material);
    txtkolicina_->setObjectName(QStringLiteral("txtkolicina"));
    txtkolicina_->setToolTip(QStringLiteral("Unos količine"));
    txtkolicina_->setMaxLength(8);
    txtkolicina_->setAlignment(Qt::AlignRight);
    // Too large: the message, then the text selected for correction; left empty: stays empty.
    txtkolicina_->setDocumentRules();
    txtpokazkolicine_ =
        makeShownField(material, "txtpokazkolicine",
                       QStringLiteral("Količina na skladištu (bez količine na listi)"));
    txtcijena_ = makeShownField(material, "txtcijena", QStringLiteral("Automatski se ažurira"));
    txtiznos_ =
        makeShownField(material, "txtiznos", QStringLiteral("Iznos(automatski se mijenja)"));
    txtiznos_->setText(QStringLiteral("0,00"));
    cmddodaj_ = makeButton(material, "cmddodaj", QStringLiteral("&Dodaj na listu"),
                           QStringLiteral("Dodaj na listu desno"));
    cmdbrisi_ = makeButton(material, "cmdbrisi", QStringLiteral("&Briši sa liste"),
                           QStringLiteral("Briši sa liste desno"));

    auto* lineGrid = new QGridLayout(material);
    const std::pair<const char*, QWidget*> lineRows[] = {
        {"Skladište:", cboskladiste_}, {"Šifra:", Cbosifra_},   {"Naziv:", cbonaziv_},
        {"Količina:", txtkolicina_},   {"Cijena:", txtcijena_}, {"Iznos:", txtiznos_}};
    for (int r = 0; r < 6; ++r) {
        auto* label = new QLabel(QString::fromUtf8(lineRows[r].first), material);
        label->setBuddy(lineRows[r].second);
        const int row = r == 0 ? 0 : r + 1;
        lineGrid->addWidget(label, row, 0);
        lineGrid->addWidget(lineRows[r].second, row, 1, 1, r < 3 ? 2 : 1);
    }
    lineGrid->addWidget(cmdpretraga_, 1, 1, 1, 2);
    lineGrid->addWidget(txtpokazkolicine_, 4, 2);
    lineGrid->addWidget(cmddodaj_, 7, 1);
    lineGrid->addWidget(cmdbrisi_, 7, 2);
    lineGrid->setColumnStretch(1, 1);
    lineGrid->setColumnStretch(2, 1);

    // The bill being composed and the stored products.
    lsvproizvodi_ = new ReportList(f);
    lsvproizvodi_->setObjectName(QStringLiteral("lsvproizvodi"));
    lsvproizvodi_->setColumns({{QStringLiteral("Skladište"), 120},
                               {QStringLiteral("Šifra art."), 62},
                               {QStringLiteral("Naziv art."), 100},
                               {QStringLiteral("Količina"), 60, Qt::AlignRight},
                               {QStringLiteral("Cijena"), 55, Qt::AlignRight},
                               {QStringLiteral("Iznos"), 63, Qt::AlignRight},
                               {QStringLiteral("idartikla"), 0},
                               {QStringLiteral("idskladiste"), 0},
                               {QStringLiteral("idsastojka"), 0}});
    txtcijenaproizvoda_ = makeShownField(
        f, "txtcijenaproizvoda", QStringLiteral("Cijena proizvoda (automatski se ažurira)"));
    txtcijenaproizvoda_->setText(QStringLiteral("0,00"));
    auto* lblcijenaproizvoda = new QLabel(QStringLiteral("Cijena proizvoda:"), f);
    lblcijenaproizvoda->setBuddy(txtcijenaproizvoda_);

    lsvsviproizvodi_ = new ReportList(f);
    lsvsviproizvodi_->setObjectName(QStringLiteral("lsvsviproizvodi"));
    lsvsviproizvodi_->setColumns({{QStringLiteral("Šifra proiz."), 80},
                                  {QStringLiteral("Naziv proizvoda"), 180},
                                  {QStringLiteral("Barkod"), 95},
                                  {QStringLiteral("Jed. mj."), 55},
                                  {QStringLiteral("id"), 0}});

    cmdprihvati_ = makeButton(f, "cmdprihvati", QStringLiteral(" &Unos u bazu"),
                              QStringLiteral("Unošenje sa liste u bazu podataka"));
    cmdeditiraj_ = makeButton(f, "cmdeditiraj", QStringLiteral("&Editiraj"));
    cmdizmjena_ =
        makeButton(f, "cmdizmjena", QStringLiteral("I&zmjeni"), QStringLiteral("Spremi promjene"));
    cmdne_ = makeButton(f, "cmdne", QStringLiteral("&Odustani od promjene"));
    cmdbrisiproizvod_ = makeButton(f, "cmdbrisiproizvod", QStringLiteral("B&riši proizvod"),
                                   QStringLiteral("Brišemo cijeli proizvod"));
    cmdispis_ = makeButton(f, "cmdispis", QStringLiteral("Is&pis na pisač"),
                           QStringLiteral("Ispis proizvoda na pisač"));
    cmdodustani_ = makeButton(f, "cmdodustani", QStringLiteral("&Izlaz"),
                              QStringLiteral("Izlaz i odustajanje"));
    for (QPushButton* b : {cmdpretraga_, cmddodaj_, cmdbrisi_, cmdprihvati_, cmdeditiraj_,
                           cmdizmjena_, cmdne_, cmdbrisiproizvod_})
        b->setEnabled(false);
    // These captions carry the product's name: they are cut rather than widen the window.
    for (QPushButton* b : {cmdizmjena_, cmdne_, cmdbrisiproizvod_})
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

    lblidknjige_ = hiddenLabel(f, "lblidknjige");
    lblvrstaknjige_ = hiddenLabel(f, "lblvrstaknjige");
    lblartikl_ = hiddenLabel(f, "lblartikl");
    lblidsvi_ = hiddenLabel(f, "lblidsvi");

    auto* left = new QVBoxLayout;
    left->addWidget(product);
    left->addWidget(material);
    left->addStretch();
    auto* store = new QHBoxLayout;
    store->addWidget(cmdprihvati_);
    store->addWidget(cmdodustani_);
    left->addLayout(store);

    auto* price = new QHBoxLayout;
    price->addStretch();
    price->addWidget(lblcijenaproizvoda);
    price->addWidget(txtcijenaproizvoda_);
    auto* productButtons = new QGridLayout;
    productButtons->addWidget(cmdeditiraj_, 0, 0);
    productButtons->addWidget(cmdispis_, 0, 1);
    productButtons->addWidget(cmdizmjena_, 1, 0);
    productButtons->addWidget(cmdbrisiproizvod_, 1, 1);
    productButtons->addWidget(cmdne_, 2, 0, 1, 2);
    auto* right = new QVBoxLayout;
    right->addWidget(lsvproizvodi_, 3);
    right->addLayout(price);
    right->addWidget(lsvsviproizvodi_, 2);
    right->addLayout(productButtons);

    auto* layout = new QHBoxLayout(f);
    layout->addLayout(left, 4);
    layout->addLayout(right, 6);

    connect(cboskladiste_, &QComboBox::activated, this, &frmproizvodi::chooseWarehouse);
    connect(Cbosifra_, &QComboBox::activated, this, &frmproizvodi::chooseArticle);
    connect(cbonaziv_, &QComboBox::activated, this, &frmproizvodi::chooseArticle);
    connect(txtkolicina_, &QLineEdit::textChanged, this, &frmproizvodi::quantityChanged);
    connect(txtcijena_, &QLineEdit::textChanged, this, &frmproizvodi::quantityChanged);
    connect(lsvsviproizvodi_, &ReportList::rowClicked, this, &frmproizvodi::chooseProduct);
    connect(lsvsviproizvodi_, &ReportList::rowDoubleClicked, this, [this](int row) {
        chooseProduct(row);
        edit();
    });
    connect(cmdpretraga_, &QPushButton::clicked, this, &frmproizvodi::openSearch);
    connect(cmddodaj_, &QPushButton::clicked, this, &frmproizvodi::addLine);
    connect(cmdbrisi_, &QPushButton::clicked, this, &frmproizvodi::removeLine);
    connect(cmdprihvati_, &QPushButton::clicked, this, &frmproizvodi::store);
    connect(cmdeditiraj_, &QPushButton::clicked, this, &frmproizvodi::edit);
    connect(cmdizmjena_, &QPushButton::clicked, this, &frmproizvodi::saveChange);
    connect(cmdne_, &QPushButton::clicked, this, &frmproizvodi::cancelChange);
    connect(cmdbrisiproizvod_, &QPushButton::clicked, this, &frmproizvodi::deleteProduct);
    connect(cmdispis_, &QPushButton::clicked, this, &frmproizvodi::print);
    connect(cmdodustani_, &QPushButton::clicked, this, &QWidget::close);

    const std::vector<QPushButton*> more = addExportButtons(
        cmdispis_,
        [this]() -> std::optional<sheet::Sheet> {
            if (!isEditMode()) return std::nullopt;
            return productSheetTable(enteredHeader(), listedLines(), txtcijenaproizvoda_->text(),
                                     QDate::currentDate());
        },
        [this] {
            const QString text = ispis();
            previewText(this, QStringLiteral("Proizvod"), text, fittedTo(reportPageSetup(), text));
        },
        QStringLiteral("Najprije izaberite proizvod (Editiraj), pa ga izvezite."));
    // Under the product buttons: the preview, then the two exports side by side.
    productButtons->addWidget(more[0], 3, 0, 1, 2);
    productButtons->addWidget(more[1], 4, 0);
    productButtons->addWidget(more[2], 4, 1);
    setInitialFocus(txtsifra_);
}

// ---- Loading ---------------------------------------------------------------------------------

void frmproizvodi::loadWarehouses() {
    try {
        warehouses_ = companyWarehouseBooks(context().companyIdText());
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Popis skladišta nije moguće pročitati."), e);
    }
    for (const WarehouseBook& book : warehouses_)
        cboskladiste_->addItem(book.name, book.id);
    cboskladiste_->setCurrentIndex(-1);
}

void frmproizvodi::loadProductList() {
    std::vector<Product> products;
    try {
        products = loadProducts(book_);
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Popis proizvoda nije moguće pročitati."), e);
        return;
    }
    std::vector<QStringList> rows;
    rows.reserve(products.size());
    for (const Product& p : products)
        rows.push_back({p.header.sifra, p.header.naziv, p.header.barkod, p.header.jedmjere, p.id});
    lsvsviproizvodi_->setRows(std::move(rows));
}

bool frmproizvodi::isEditMode() const {
    return cmdne_->isEnabled();
}

// ---- Composing bill lines --------------------------------------------------------------------

void frmproizvodi::chooseWarehouse(int index) {
    if (index < 0 || index >= int(warehouses_.size())) return;
    // The warehouse already chosen again: its articles and the article chosen stay.
    if (lblidknjige_->text() == warehouses_[size_t(index)].id && Cbosifra_->count() > 0) {
        cboskladiste_->setCurrentIndex(index);
        return;
    }
    Cbosifra_->clear();
    cbonaziv_->clear();
    lblartikl_->clear();
    txtpokazkolicine_->clear();
    txtcijena_->clear();
    cboskladiste_->setCurrentIndex(index);
    const WarehouseBook& book = warehouses_[size_t(index)];
    lblidknjige_->setText(book.id);
    lblvrstaknjige_->setText(book.kind);
    restoreMaterialBook();
    try {
        fillArticleLists(Cbosifra_, cbonaziv_, loadArticleChoices(context().materialBook()));
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Artikle skladišta nije moguće pročitati."), e);
    }
    Cbosifra_->setCurrentIndex(-1);
    cbonaziv_->setCurrentIndex(-1);
    cmdpretraga_->setEnabled(!cboskladiste_->currentText().isEmpty());
}

// The article search and the article choices read the material book of the context; another
// window may have pointed it elsewhere since the warehouse was chosen.
void frmproizvodi::restoreMaterialBook() {
    context().materialBookFile = bookFileName(lblvrstaknjige_->text(), lblidknjige_->text());
}

void frmproizvodi::chooseArticle(int index) {
    if (index < 0 || index >= Cbosifra_->count()) return;
    Cbosifra_->setCurrentIndex(index);
    cbonaziv_->setCurrentIndex(index);
    const QString id = Cbosifra_->itemData(index).toString();
    lblartikl_->setText(id);
    restoreMaterialBook();
    try {
        if (const auto article = findArticle(context().materialBook(), id)) showAvailable(*article);
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Artikl nije moguće pročitati."), e);
    }
}

void frmproizvodi::receiveArticle(const ArticleStock& article) {
    selectArticleInLists(Cbosifra_, cbonaziv_, article);
    lblartikl_->setText(article.id);
    showAvailable(article);
    txtkolicina_->setFocus(Qt::OtherFocusReason);
}

// The stock less what the list already takes of the same article of the same warehouse, and
// the average price.
void frmproizvodi::showAvailable(const ArticleStock& article) {
    double available = numberOrZero(format00(article.stanje, Precision::Single));
    for (int r = 0; r < lsvproizvodi_->rowCount(); ++r) {
        if (lsvproizvodi_->text(r, IdArtikla) == article.id &&
            lsvproizvodi_->text(r, IdSkladista) == lblidknjige_->text())
            available -= numberOrZero(lsvproizvodi_->text(r, Kolicina));
    }
    txtpokazkolicine_->setText(format00(available));
    txtcijena_->setText(format00(toSingle(article.proscijena), Precision::Single));
}

void frmproizvodi::openSearch() {
    if (cboskladiste_->currentText().isEmpty()) return;
    restoreMaterialBook();
    context().documentMode = QStringLiteral("proizvodnja");
    // A search still open over another book would send articles of that book here.
    if (auto* open = windows().loaded<frmartikliizbor>(win::ArtikliIzbor);
        open && open->book() != context().materialBook())
        windows().unload(win::ArtikliIzbor);
    if (auto* w = qobject_cast<ChildWindow*>(windows().window(win::ArtikliIzbor)))
        showBeside(w, false, QPoint(30, 30));
}

void frmproizvodi::quantityChanged() {
    if (resettingAmount_) return;
    const auto quantity = parseNumber(txtkolicina_->text());
    const auto price = parseNumber(txtcijena_->text());
    const double amount = quantity && price ? *quantity * *price : 0.0;
    if (Currency::fromDouble(amount) > Currency::fromDouble(MaxAmount)) {
        MsgBoxHr(QStringLiteral("Iznos ne smije prijeći 9 999 999 zbog bolje kontrole skladišta!"),
                 MsgStyle::OkOnly | MsgStyle::Question, QStringLiteral("Prevelik unos!"));
        QScopedValueRollback guard(resettingAmount_, true);
        txtiznos_->setText(QStringLiteral("0,00"));
        txtkolicina_->setText(QStringLiteral("0,00"));
        selectField(txtkolicina_);
    } else {
        txtiznos_->setText(formatEntry(amount));
    }
    cmddodaj_->setEnabled(!txtkolicina_->text().isEmpty() && !txtcijena_->text().isEmpty());
}

bool frmproizvodi::addLine() {
    // A button pressed by its access key leaves no field: apply the leaving rules here.
    if (!txtkolicina_->finishEntry()) return false;
    if (cboskladiste_->currentText().isEmpty()) {
        MsgBoxHr(QStringLiteral("Nije odabrano skladište!"), Exclamation,
                 QStringLiteral("Unos nepotpun!"));
        cboskladiste_->setFocus(Qt::OtherFocusReason);
        return false;
    }
    const QString articleId = lblartikl_->text();
    for (int r = 0; r < lsvproizvodi_->rowCount(); ++r) {
        if (!articleId.isEmpty() && lsvproizvodi_->text(r, IdArtikla) == articleId &&
            lsvproizvodi_->text(r, IdSkladista) == lblidknjige_->text()) {
            MsgBoxHr(QStringLiteral("Ne može se unijeti dva puta isti proizvod iz istog skladišta"),
                     Exclamation, QStringLiteral("Nepravilan unos!"));
            cboskladiste_->setFocus(Qt::OtherFocusReason);
            return false;
        }
    }
    const float quantity = toSingle(numberOrZero(txtkolicina_->text()));
    if (toSingle(numberOrZero(txtpokazkolicine_->text())) < quantity) {
        MsgBoxHr(QStringLiteral("Na skladištu nema toliko!"), Exclamation,
                 QStringLiteral("Nema toliko!"));
        selectField(txtkolicina_);
        return false;
    }
    if (quantity == 0) {
        MsgBoxHr(QStringLiteral("Niste unijeli količinu ili na skladištu  je stanje nula!!"),
                 Exclamation, QStringLiteral("Nema količine"));
        txtkolicina_->setText(QStringLiteral("0,00"));
        txtcijena_->setText(QStringLiteral("0,00"));
        return false;
    }
    if (Cbosifra_->currentText().isEmpty() || cbonaziv_->currentText().isEmpty()) {
        MsgBoxHr(QStringLiteral("Nije unešena šifra ili naziv ili skladiste!"), Exclamation,
                 QStringLiteral("Unos nepotpun!"));
        Cbosifra_->setFocus(Qt::OtherFocusReason);
        return false;
    }
    lsvproizvodi_->addRow({cboskladiste_->currentText(), Cbosifra_->currentText(),
                           cbonaziv_->currentText(), txtkolicina_->text(), txtcijena_->text(),
                           txtiznos_->text(), articleId, lblidknjige_->text(),
                           QStringLiteral("0")});
    clearLineEntry();
    Cbosifra_->setFocus(Qt::OtherFocusReason);
    cmdbrisi_->setEnabled(true);
    if (!isEditMode()) cmdprihvati_->setEnabled(true);
    updateProductPrice();
    return true;
}

// Quantity, price, article and available quantity emptied; the warehouse stays chosen for the
// next line, with its articles. "Dodaj na listu" waits for the next quantity and price.
void frmproizvodi::clearLineEntry() {
    txtkolicina_->clear();
    txtcijena_->clear();
    cmddodaj_->setEnabled(false);
    Cbosifra_->setCurrentIndex(-1);
    cbonaziv_->setCurrentIndex(-1);
    lblartikl_->clear();
    txtpokazkolicine_->clear();
}

void frmproizvodi::clearHeader() {
    for (QLineEdit* e : {txtsifra_, txtnaziv_, txtbarkod_, txtjedmjere_})
        e->clear();
}

void frmproizvodi::removeLine() {
    const QList<int> selected = lsvproizvodi_->selectedRows();
    if (selected.isEmpty()) return;
    if (MsgBoxHr(QStringLiteral("Želite obrisati označeni unos na listi desno? "),
                 MsgStyle::YesNo | MsgStyle::Question,
                 QStringLiteral("Brisanje zapisa!")) != MsgResult::Yes)
        return;
    const int row = selected.front();
    const QString lineId = lsvproizvodi_->text(row, IdSastojka);
    // A stored line goes from the book only when the change is saved.
    if (!lineId.isEmpty() && lineId != QLatin1String("0")) lstbrisanje_.append(lineId);
    lsvproizvodi_->removeRow(row);
    if (lsvproizvodi_->rowCount() == 0) cmdbrisi_->setEnabled(false);
    updateProductPrice();
}

std::vector<BillLine> frmproizvodi::listedLines() const {
    std::vector<BillLine> lines;
    lines.reserve(size_t(lsvproizvodi_->rowCount()));
    for (int r = 0; r < lsvproizvodi_->rowCount(); ++r) {
        const auto t = [&](int c) { return lsvproizvodi_->text(r, c); };
        lines.push_back({t(Skladiste), t(SifraArt), t(NazivArt), t(Kolicina), t(Cijena), t(Iznos),
                         t(IdArtikla), t(IdSkladista), t(IdSastojka)});
    }
    return lines;
}

void frmproizvodi::updateProductPrice() {
    txtcijenaproizvoda_->setText(productPrice(listedLines()));
}

// ---- Products --------------------------------------------------------------------------------

ProductHeader frmproizvodi::enteredHeader() const {
    return {txtsifra_->text(), txtnaziv_->text(), txtbarkod_->text(),
            txtjedmjere_->text().trimmed()};
}

bool frmproizvodi::refuseClash(const ProductHeader& header, const QString& exceptId) {
    QString prompt;
    QLineEdit* field = nullptr;
    switch (findProductClash(book_, header, exceptId)) {
        case ProductClash::None:
            return false;
        case ProductClash::Code:
            prompt = QStringLiteral(
                "Šifra proizvoda već postoji u bazi podataka!\nNe mogu biti "
                "dvije jednake šifre!");
            field = txtsifra_;
            break;
        case ProductClash::Name:
            prompt = QStringLiteral(
                "Naziv proizvoda već postoji u bazi podataka!\nNe mogu se "
                "unijeti dva ista naziva!");
            field = txtnaziv_;
            break;
        case ProductClash::Barcode:
            prompt = QStringLiteral(
                "Barkod proizvoda već postoji u bazi podataka!\nNe mogu se "
                "unijeti dva ista barkoda!");
            field = txtbarkod_;
            break;
    }
    MsgBoxHr(prompt, MsgStyle::OkOnly | MsgStyle::Question, QStringLiteral("Pogrešan unos šifre!"));
    selectField(field);
    return true;
}

bool frmproizvodi::store() {
    return storeNew() == StoreOutcome::Stored;
}

frmproizvodi::StoreOutcome frmproizvodi::storeNew() {
    const ProductHeader header = enteredHeader();
    if (header.naziv.trimmed().isEmpty() || header.sifra.trimmed().isEmpty() ||
        header.jedmjere.isEmpty()) {
        MsgBoxHr(QStringLiteral("Nije unešen naziv,sifra ili jedinica mjere!"), Exclamation,
                 QStringLiteral("Unos nepotpun"));
        return StoreOutcome::Incomplete;
    }
    if (MsgBoxHr(QStringLiteral("Unosimo proizvod u bazu proizvoda?"),
                 MsgStyle::YesNo | MsgStyle::Question,
                 QStringLiteral("Unošenje")) != MsgResult::Yes)
        return StoreOutcome::Declined;
    try {
        if (refuseClash(header, QString())) return StoreOutcome::Clash;
        storeProduct(book_, header, listedLines());
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Proizvod nije unešen; knjiga proizvoda je ostala kakva je "
                                   "bila."),
                    e);
        return StoreOutcome::Failed;
    }
    lsvproizvodi_->clear();
    clearHeader();
    clearLineEntry();
    txtiznos_->setText(QStringLiteral("0,00"));
    txtcijenaproizvoda_->setText(QStringLiteral("0,00"));
    for (QPushButton* b : {cmdprihvati_, cmddodaj_, cmdbrisi_})
        b->setEnabled(false);
    loadProductList();
    MsgBoxHr(QStringLiteral("Unos proizvoda je uspješno izveden!"),
             MsgStyle::OkOnly | MsgStyle::Question, QStringLiteral("Uspješno unošenje"));
    return StoreOutcome::Stored;
}

void frmproizvodi::chooseProduct(int row) {
    if (lsvsviproizvodi_->rowCount() == 0 || row < 0 || row >= lsvsviproizvodi_->rowCount()) return;
    cmdeditiraj_->setEnabled(true);
    for (QPushButton* b : {cmdbrisiproizvod_, cmdne_, cmdizmjena_})
        b->setEnabled(false);
    lblidsvi_->setText(lsvsviproizvodi_->text(row, IdProizvoda));
    productName_ = lsvsviproizvodi_->text(row, NazivProizvoda);
}

void frmproizvodi::edit() {
    if (lblidsvi_->text().isEmpty()) return;
    if (cmdprihvati_->isEnabled() &&
        MsgBoxHr(QStringLiteral("Želite editirati proizvod: ") + productName_,
                 MsgStyle::YesNo | MsgStyle::Question,
                 QStringLiteral("Editiranje proizvoda!")) != MsgResult::Yes)
        return;
    prihvat();
    txtsifra_->setFocus(Qt::OtherFocusReason);
}

void frmproizvodi::prihvat() {
    std::optional<LoadedProduct> loaded;
    try {
        loaded = loadProduct(book_, lblidsvi_->text());
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Proizvod nije moguće pročitati."), e);
        return;
    }
    if (!loaded) {  // deleted meanwhile
        loadProductList();
        return;
    }
    const ProductHeader& h = loaded->product.header;
    txtnaziv_->setText(h.naziv.trimmed());
    txtbarkod_->setText(h.barkod.trimmed());
    txtsifra_->setText(h.sifra.trimmed());
    txtjedmjere_->setText(h.jedmjere.trimmed());
    std::vector<QStringList> rows;
    rows.reserve(loaded->lines.size());
    // The figure columns align to the right themselves; the leading blanks of the figures'
    // 12-character form would only push them out of a narrow column.
    for (const BillLine& l : loaded->lines)
        rows.push_back({l.bookName, l.articleCode, l.articleName, l.kolicina.trimmed(),
                        l.cijena.trimmed(), l.iznos.trimmed(), l.articleId, l.bookId, l.lineId});
    lsvproizvodi_->setRows(std::move(rows));
    updateProductPrice();

    cmdizmjena_->setText(QStringLiteral("I&zmjena: ") + productName_);
    cmdne_->setText(QStringLiteral("&Odustani od izmjene: ") + productName_);
    cmdbrisiproizvod_->setText(QStringLiteral("B&risi: ") + productName_);
    for (QPushButton* b : {cmdizmjena_, cmdbrisiproizvod_, cmdne_, cmdbrisi_})
        b->setEnabled(true);
    clearLineEntry();
    txtiznos_->setText(QStringLiteral("0,00"));
    cmdprihvati_->setEnabled(false);
    lstbrisanje_.clear();
}

bool frmproizvodi::saveChange() {
    if (!isEditMode()) return false;
    const ProductHeader header = enteredHeader();
    if (header.naziv.trimmed().isEmpty() || header.sifra.trimmed().isEmpty() ||
        header.jedmjere.isEmpty()) {
        MsgBoxHr(QStringLiteral("Nije unešen naziv,sifra ili jedinica mjere!"), Exclamation,
                 QStringLiteral("Unos nepotpun"));
        return false;
    }
    if (lsvproizvodi_->rowCount() == 0) {
        MsgBoxHr(QStringLiteral("Na listu desno unesite bar jedan artikl ili kliknite na "
                                "odustani od izmjene!"),
                 Exclamation, QStringLiteral("Unos nepotpun"));
        return false;
    }
    if (MsgBoxHr(QStringLiteral("Mijenjamo osobine proizvoda?") + productName_,
                 MsgStyle::YesNo | MsgStyle::Question,
                 QStringLiteral("Unošenje")) != MsgResult::Yes)
        return false;
    const QString id = lblidsvi_->text();
    try {
        if (refuseClash(header, id)) return false;
        saveProductChange(book_, id, header, listedLines(), lstbrisanje_);
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Promjena nije spremljena; proizvod je ostao kakav je bio."), e);
        return false;
    }
    lstbrisanje_.clear();
    loadProductList();
    MsgBoxHr(QStringLiteral("Promjena je uspješno obavljena!"),
             MsgStyle::OkOnly | MsgStyle::Information, QStringLiteral("Promjena!"));
    cancelChange();
    return true;
}

void frmproizvodi::cancelChange() {
    lstbrisanje_.clear();
    lsvproizvodi_->clear();
    clearHeader();
    clearLineEntry();
    txtcijenaproizvoda_->setText(QStringLiteral("0,00"));
    txtiznos_->setText(QStringLiteral("0,00"));
    cmdbrisiproizvod_->setText(QStringLiteral("B&risi proizvod"));
    cmdizmjena_->setText(QStringLiteral("I&zmjena"));
    cmdne_->setText(QStringLiteral("&Odustajem od promjene"));
    for (QPushButton* b : {cmdbrisiproizvod_, cmdbrisi_, cmdizmjena_, cmdeditiraj_, cmdne_})
        b->setEnabled(false);
}

bool frmproizvodi::deleteProduct() {
    if (!isEditMode()) return false;
    const QString id = lblidsvi_->text();
    const QString name = productName_;
    try {
        if (productInWorkOrder(book_, id)) {
            MsgBoxHr(QStringLiteral("Proizvod: ") + name +
                         QStringLiteral(" je u tablici radnih naloga i ne može se brisati!"),
                     MsgStyle::OkOnly | MsgStyle::Critical,
                     QStringLiteral("Brisanje onemogućeno!"));
            return false;
        }
        if (MsgBoxHr(QStringLiteral("Želite brisati cijeli proizvod! ") + name +
                         QStringLiteral("\nBudite pažljivi!"),
                     MsgStyle::YesNo | MsgStyle::Critical | MsgStyle::DefaultButton2,
                     QStringLiteral("Brisanje proizvoda!")) != MsgResult::Yes)
            return false;
        kl::deleteProduct(book_, id);
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Proizvod nije obrisan."), e);
        return false;
    }
    cancelChange();
    MsgBoxHr(QStringLiteral("Proizvod: !") + name + QStringLiteral(" je nepovratno obrisan!"),
             MsgStyle::OkOnly | MsgStyle::Information, QStringLiteral("Proizvod obrisan"));
    loadProductList();
    return true;
}

QString frmproizvodi::ispis() const {
    if (!isEditMode()) return {};
    return productSheet(enteredHeader(), listedLines(), txtcijenaproizvoda_->text(),
                        QDate::currentDate());
}

void frmproizvodi::print() {
    if (!isEditMode()) return;
    const QString text = ispis();
    if (text.isEmpty()) return;
    if (MsgBoxHr(QStringLiteral("Ispis proizvoda: ") + productName_ + QStringLiteral(" na pisač?"),
                 MsgStyle::YesNo | MsgStyle::Question, QStringLiteral("Ispis!")) != MsgResult::Yes)
        return;
    showPrintResult(printText(QStringLiteral("Proizvod"), text, fittedTo(reportPageSetup(), text)));
}

// ---- Closing, help, keys -----------------------------------------------------------------------

bool frmproizvodi::queryClose() {
    if (!cmdprihvati_->isEnabled() || lsvproizvodi_->rowCount() == 0) return true;
    const int answer = MsgBoxHr(QStringLiteral("Želite li unijeti proizvod u bazu proizvoda?"),
                                MsgStyle::YesNoCancel | MsgStyle::Question,
                                QStringLiteral("Posprema u skladište"));
    if (answer == MsgResult::No) return true;
    if (answer != MsgResult::Yes) return false;
    // The window closes only when the product was stored: one left incomplete, not confirmed,
    // clashing with a stored product or not written stays in the window with its lines.
    return storeNew() == StoreOutcome::Stored;
}

void frmproizvodi::helpModeChanged(bool helpMode) {
    if (!helpMode) setCaption(captionAfterHelp());
}

}  // namespace kl
