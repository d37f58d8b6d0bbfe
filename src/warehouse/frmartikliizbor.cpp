#include "warehouse/frmartikliizbor.h"

#include "data/appcontext.h"
#include "data/convert.h"
#include "data/dberror.h"
#include "ui/controls.h"
#include "ui/fields.h"
#include "ui/msgboxhr.h"
#include "ui/reportlist.h"
#include "warehouse/documentlists.h"
#include "warehouse/documents.h"
#include "warehouse/masterdata.h"
#include "warehouse/warehousewindows.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kl {

namespace {

enum Column { Sifra, Barkod, Naziv, JedMjere, MinKolicina, Id };

enum class Match { Whole, StartsWith, Anywhere };

// The document modes whose window takes an article from this search.
bool servesArticles(const QString& mode) {
    return mode == QLatin1String("Primka") || mode == QLatin1String("Izdatnica") ||
           mode == QLatin1String("proizvodnja") || mode == QLatin1String("eRacun") ||
           mode == QLatin1String("Medjuskladisnica");
}

// The modes whose articles come from the current book (the e-invoice's and the transfer's lines
// too).
bool isDocumentMode(const QString& mode) {
    return mode == QLatin1String("Primka") || mode == QLatin1String("Izdatnica") ||
           mode == QLatin1String("eRacun") || mode == QLatin1String("Medjuskladisnica");
}

// `text` trimmed against the search text `w` (trimmed), letter case ignored (Croatian letters
// too).
bool matches(QStringView text, QStringView w, Match how) {
    const QStringView t = text.trimmed();
    switch (how) {
        case Match::Whole:
            return t.compare(w, Qt::CaseInsensitive) == 0;
        case Match::StartsWith:
            return t.startsWith(w, Qt::CaseInsensitive);
        case Match::Anywhere:
            return t.contains(w, Qt::CaseInsensitive);
    }
    return false;
}

QString helpText() {
    return QStringLiteral(
        "<h3>Pretraga artikala</h3>"
        "<p>U polje <b>Upis</b> upišite ono što tražite, odaberite traži li se <b>Po šifri</b> "
        "ili <b>Po nazivu</b> i pritisnite <b>Traži</b>.</p>"
        "<ul>"
        "<li><b>Cijeli naziv</b> – šifra ili naziv artikla mora biti jednak upisu.</li>"
        "<li><b>Počinje sa</b> – šifra ili naziv artikla počinje upisom.</li>"
        "<li><b>Ima u nazivu</b> – upis se nalazi bilo gdje u šifri ili nazivu artikla.</li>"
        "</ul>"
        "<p>Razmaci na početku i kraju se ne gledaju, a velika i mala slova se ne "
        "razlikuju.</p>"
        "<p>Svi artikli koji odgovaraju upisu budu označeni na listi, ali poslati se može samo "
        "jedan: ako je označeno više artikala, kliknite na onaj koji želite.</p>"
        "<p>Dvostruki klik na artikl ili <b>Pošalji</b> šalje označeni artikl u primku ili "
        "izdatnicu (ili u proizvod) i zatvara pretragu.</p>"
        "<p>Tipkom <b>F1</b> vraćate se u mod pretrage, a tipkom <b>Esc</b> ili gumbom "
        "<b>Izlaz</b> zatvarate prozor.</p>");
}

}  // namespace

frmartikliizbor::frmartikliizbor(QWidget* parent) : ChildWindow(parent) {
    setObjectName(win::ArtikliIzbor);
    setAttribute(Qt::WA_DeleteOnClose);
    book_ =
        isDocumentMode(context().documentMode) ? context().currentBook() : context().materialBook();
    setCaption(normalCaption());
    setHelpCaption(searchHelpCaption());
    setHelpText(helpText());

    txtupis_ = new TextField(this);
    txtupis_->setObjectName(QStringLiteral("txtupis"));
    txtupis_->setToolTip(QStringLiteral("Unesite što tražite!"));
    auto* label = new QLabel(QStringLiteral("Upis:"), this);
    label->setBuddy(txtupis_);

    optposifri_ = makeOption(this, "optposifri", QStringLiteral("Po šifri"));
    optponazivu_ = makeOption(this, "Optponazivu", QStringLiteral("Po nazivu"));
    optponazivu_->setChecked(true);
    QGroupBox* fieldBox = makeOptionFrame(this, "fraPolje", {optposifri_, optponazivu_});

    optcijelinaziv_ = makeOption(this, "optcijelinaziv", QStringLiteral("Cijeli naziv"));
    optpocinjesa_ = makeOption(this, "optpocinjesa", QStringLiteral("Počinje sa"));
    optimaunazivu_ = makeOption(this, "optimaunazivu", QStringLiteral("Ima u nazivu"));
    optpocinjesa_->setChecked(true);
    QGroupBox* matchBox =
        makeOptionFrame(this, "fraNacin", {optcijelinaziv_, optpocinjesa_, optimaunazivu_});

    cmdtrazi_ =
        makeButton(this, "cmdtrazi", QStringLiteral("&Traži..."), QStringLiteral("Pretraga"));
    cmdodabir_ = makeButton(this, "cmdodabir", QStringLiteral("&Pošalji..."),
                            QStringLiteral("Pošalji artikl u primku ili izdatnicu"));
    cmdodustani_ = makeButton(this, "cmdodustani", QStringLiteral("&Izlaz"),
                              QStringLiteral("Izlaz i odustajanje"));

    lsvsviartikli_ = new ReportList(this);
    lsvsviartikli_->setObjectName(QStringLiteral("lsvsviartikli"));
    lsvsviartikli_->setColumns({{QStringLiteral("Šifra art."), 85, Qt::AlignLeft},
                                {QStringLiteral("Barkod"), 120, Qt::AlignLeft},
                                {QStringLiteral("Naziv art."), 250, Qt::AlignLeft},
                                {QStringLiteral("J.m."), 45, Qt::AlignLeft},
                                {QStringLiteral("Min.kolicina"), 85, Qt::AlignRight},
                                {QStringLiteral("id"), 0, Qt::AlignLeft}});
    lsvsviartikli_->setMultiSelection(true);

    auto* entry = new QVBoxLayout;
    entry->addWidget(label);
    entry->addWidget(txtupis_);
    entry->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdtrazi_);
    buttons->addWidget(cmdodabir_);
    buttons->addStretch();
    buttons->addWidget(cmdodustani_);
    auto* top = new QHBoxLayout;
    top->addLayout(entry, 1);
    top->addWidget(fieldBox);
    top->addWidget(matchBox);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lsvsviartikli_, 1);

    setTabOrder(txtupis_, optposifri_);
    setTabOrder(optposifri_, optponazivu_);
    setTabOrder(optponazivu_, optcijelinaziv_);
    setTabOrder(optcijelinaziv_, optpocinjesa_);
    setTabOrder(optpocinjesa_, optimaunazivu_);
    setTabOrder(optimaunazivu_, cmdtrazi_);
    setTabOrder(cmdtrazi_, cmdodabir_);
    setTabOrder(cmdodabir_, cmdodustani_);
    setTabOrder(cmdodustani_, lsvsviartikli_);

    connect(cmdtrazi_, &QPushButton::clicked, this, &frmartikliizbor::search);
    connect(cmdodabir_, &QPushButton::clicked, this, &frmartikliizbor::sendSelected);
    connect(cmdodustani_, &QPushButton::clicked, this, &QWidget::close);
    connect(lsvsviartikli_, &ReportList::rowDoubleClicked, this, &frmartikliizbor::sendSelected);

    setInitialFocus(txtupis_);
    setActivationFocus(txtupis_);
    loadList();
}

void frmartikliizbor::loadList() {
    std::vector<QStringList> rows;
    try {
        const std::vector<ArticleRow> articles = loadArticles(book_);
        rows.reserve(articles.size());
        for (const ArticleRow& a : articles)
            rows.push_back({a.sifra, a.barkod, a.naziv, a.jedmjere,
                            format00(a.minkolicina, Precision::Single), a.id});
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Artikle nije moguće pročitati."), e);
        rows.clear();
    }
    lsvsviartikli_->setRows(std::move(rows));
}

void frmartikliizbor::search() {
    // Blanks alone are no search text: they would match every article.
    const QString wanted = txtupis_->text();
    if (wanted.trimmed().isEmpty()) {
        txtupis_->setFocus(Qt::OtherFocusReason);
        return;
    }
    lsvsviartikli_->clearSelection();

    const int column = optposifri_->isChecked() ? Sifra : Naziv;
    const Match how = optcijelinaziv_->isChecked()  ? Match::Whole
                      : optimaunazivu_->isChecked() ? Match::Anywhere
                                                    : Match::StartsWith;
    const QString w = wanted.trimmed();
    std::vector<int> hits;
    for (int r = 0, rows = lsvsviartikli_->rowCount(); r < rows; ++r)
        if (matches(lsvsviartikli_->text(r, column), w, how)) hits.push_back(r);
    if (hits.empty()) {
        MsgBoxHr(QStringLiteral("Nema traženog upisa"), MsgStyle::OkOnly | MsgStyle::Question,
                 QStringLiteral("Nema traženog upisa"));
        return;
    }
    lsvsviartikli_->selectRows(hits);
    lsvsviartikli_->scrollTo(lsvsviartikli_->model()->index(hits.front(), Sifra));
}

void frmartikliizbor::sendSelected() {
    const QList<int> selected = lsvsviartikli_->selectedRows();
    if (selected.size() != 1) {
        MsgBoxHr(QStringLiteral("Selektirajte samo jedan artikl ili nema selektiranog artikla"),
                 MsgStyle::OkOnly | MsgStyle::Question, QStringLiteral("Selekcija artikla"));
        return;
    }
    const QString mode = context().documentMode;
    if (!servesArticles(mode)) {
        plainMsgBox(mode);
        return;
    }

    std::optional<ArticleStock> article;
    try {
        article = findArticle(book_, lsvsviartikli_->text(selected.front(), Id));
    } catch (const DbError& e) {
        showDbError(QStringLiteral("Artikl nije moguće pročitati."), e);
        return;
    }
    if (!article) {
        MsgBoxHr(QStringLiteral("Artikl više ne postoji u skladištu!"),
                 MsgStyle::OkOnly | MsgStyle::Exclamation, QStringLiteral("Nema artikla"));
        return;
    }
    if (ArticleReceiver* receiver = articleReceiver(mode)) receiver->receiveArticle(*article);
    close();
}

void frmartikliizbor::helpModeChanged(bool helpMode) {
    if (!helpMode) setCaption(captionAfterHelp());
}

}  // namespace kl
