#include "reports/frmpregledart.h"

#include "data/appcontext.h"
#include "data/database.h"
#include "reports/reportwindows.h"
#include "reports/stockaudit.h"
#include "ui/controls.h"
#include "warehouse/masterdata.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <optional>

namespace kl {

namespace {}  // namespace

frmPregledart::frmPregledart(QWidget* parent) : ReportWindow(parent) {
    setObjectName(win::PregledArtikala);
    setCaption(QStringLiteral("Pregled artikala"));

    optstanjeart_ = makeOption(this, "optstanjeart", QStringLiteral("Stanje"));
    optkarticeart_ = makeOption(this, "optkarticeart", QStringLiteral("Kartice"));
    Optjedanart_ = makeOption(this, "Optjedanart", QStringLiteral("1 artikl"));
    optviseart_ = makeOption(this, "optviseart", QStringLiteral("Više artikala"));
    optnazivart_ = makeOption(this, "optnazivart", QStringLiteral("Naziv"));
    optsifraart_ = makeOption(this, "optsifraart", QStringLiteral("Šifra"));
    optsveart_ = makeOption(this, "optsveart", QStringLiteral("Svi artikli"));
    optminkolicinaart_ = makeOption(this, "optminkolicinaart", QStringLiteral("Min. količina"));
    optkolicinanulart_ = makeOption(this, "optkolicinanulart", QStringLiteral("Količina nula"));

    QGroupBox* frame5 = makeOptionFrame(this, "Frame5", {optstanjeart_, optkarticeart_});
    QGroupBox* frame2 = makeOptionFrame(this, "Frame2", {Optjedanart_, optviseart_});
    QVBoxLayout* frame3Layout = nullptr;
    Frame3_ = makeOptionFrame(this, "Frame3", {optnazivart_, optsifraart_}, &frame3Layout);
    Frame4_ = makeOptionFrame(this, "Frame4", {optsveart_, optminkolicinaart_, optkolicinanulart_});

    // The chooser: a choice from the list; typing jumps to a matching entry.
    auto* lblizbor = new QLabel(QStringLiteral("Izbor >"), Frame3_);
    lblizbor->setObjectName(QStringLiteral("lblizbor"));
    cbood_ = new QComboBox(Frame3_);
    cbood_->setObjectName(QStringLiteral("cbood"));
    cbood_->setEditable(false);
    cbood_->setMinimumWidth(260);
    cbood_->setMaxVisibleItems(20);
    auto* chooser = new QHBoxLayout;
    chooser->addWidget(lblizbor);
    chooser->addWidget(cbood_, 1);
    frame3Layout->addLayout(chooser);

    // "na dan": the figures at the end of a chosen day.
    chknadan_ = new QCheckBox(QStringLiteral("na dan"), this);
    chknadan_->setObjectName(QStringLiteral("chknadan"));
    dtnadan_ = makeDatePicker(this, "dtnadan");
    dtnadan_->setDate(QDate::currentDate());
    dtnadan_->setEnabled(false);
    connect(chknadan_, &QCheckBox::toggled, dtnadan_, &QWidget::setEnabled);
    auto* dayBox = new QVBoxLayout;
    dayBox->addWidget(chknadan_);
    dayBox->addWidget(dtnadan_);
    dayBox->addStretch();

    QPushButton* cmdprikazart = makeButton(this, "cmdprikazart", QStringLiteral("&Prikaz"));
    QPushButton* cmdispisart = makePrintButton();
    QPushButton* cmdizlaz = makeExitButton("cmdizlaz");
    makeReportBox("rtfart");

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdprikazart);
    buttons->addWidget(cmdispisart);
    buttons->addWidget(cmdizlaz);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(frame5);
    top->addWidget(frame2);
    top->addWidget(Frame3_, 1);
    top->addWidget(Frame4_);
    top->addLayout(dayBox);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(reportBox(), 1);

    connect(Optjedanart_, &QRadioButton::clicked, this, &frmPregledart::chooseOneArticle);
    connect(optviseart_, &QRadioButton::clicked, this, &frmPregledart::chooseSeveralArticles);
    connect(optnazivart_, &QRadioButton::clicked, this, &frmPregledart::fillNames);
    connect(optsifraart_, &QRadioButton::clicked, this, &frmPregledart::fillCodes);
    connect(cmdprikazart, &QPushButton::clicked, this, &frmPregledart::prikaz);

    optstanjeart_->setChecked(true);
    Optjedanart_->setChecked(true);
    optnazivart_->setChecked(true);
    optsveart_->setChecked(true);
    chooseOneArticle();
    fillNames();
    setInitialFocus(cbood_);
}

void frmPregledart::chooseOneArticle() {
    Frame4_->setEnabled(false);
    Frame3_->setEnabled(true);
}

void frmPregledart::chooseSeveralArticles() {
    Frame4_->setEnabled(true);
    Frame3_->setEnabled(false);
}

void frmPregledart::fillNames() {
    cbood_->clear();
    // Each name carries its article's code.
    QStringList names, codes;
    try {
        const std::vector<ArticleChoice> articles = loadArticleChoices(context().currentBook());
        names.reserve(qsizetype(articles.size()));
        codes.reserve(qsizetype(articles.size()));
        for (const ArticleChoice& a : articles) {
            names.append(a.naziv);
            codes.append(a.sifra);
        }
    } catch (const DbError& e) {
        showReportError(e.description());
    }
    fillChoices(cbood_, names, codes);
    if (cbood_->count() > 0) cbood_->setCurrentIndex(0);
}

void frmPregledart::fillCodes() {
    cbood_->clear();
    QStringList codes;
    try {
        Database db = Database::openBook(context().currentBook());
        Recordset rs =
            db.openRecordset(QStringLiteral("select sifra from artikli order by sifra asc"));
        codes.reserve(rs.recordCount());
        for (; !rs.eof(); rs.moveNext())
            codes.append(rs.value(0).toString());
    } catch (const DbError& e) {
        showReportError(e.description());
    }
    fillChoices(cbood_, codes);
    if (cbood_->count() > 0) cbood_->setCurrentIndex(0);
}

void frmPregledart::prikaz() {
    if (optstanjeart_->isChecked()) {
        if (Optjedanart_->isChecked()) {
            if (optnazivart_->isChecked())
                stanjejedannazivart();
            else
                stanjejedansifraart();
        } else if (optkolicinanulart_->isChecked()) {
            pregledkolicinanula();
        } else if (optminkolicinaart_->isChecked()) {
            pregledminstanje();
        } else {
            pregledsveart();
        }
    } else if (Optjedanart_->isChecked()) {
        karticajedannaziv();
    } else {
        ispissvih();
    }
}

void frmPregledart::stanjejedannazivart() {
    showStatusOf(cbood_->currentData().toString());
}

void frmPregledart::stanjejedansifraart() {
    showStatusOf(cbood_->currentText());
}

void frmPregledart::pregledsveart() {
    showGroupStatus(ArticleGroup::All);
}

void frmPregledart::pregledkolicinanula() {
    showGroupStatus(ArticleGroup::ZeroStock);
}

void frmPregledart::pregledminstanje() {
    showGroupStatus(ArticleGroup::BelowMinimum);
}

QDate frmPregledart::reportDay() const {
    return chknadan_->isChecked() ? dtnadan_->date() : QDate();
}

void frmPregledart::showStatusOf(const QString& code) {
    const QDate day = reportDay();
    showStatus([&code, day](Database& db) {
        std::vector<StockArticle> articles = readArticlesByCode(db, code);
        if (day.isValid()) applyStockAt(db, day, articles);
        return articles;
    });
}

void frmPregledart::showGroupStatus(ArticleGroup group) {
    const QDate day = reportDay();
    showStatus([group, day](Database& db) {
        return day.isValid() ? stockArticlesAt(db, group, day) : readArticleGroup(db, group);
    });
}

void frmPregledart::dropShownReport() {
    shownStatus_.reset();
    shownCards_ = nullptr;
    setReportSource(nullptr);
}

void frmPregledart::showStatus(const std::function<std::vector<StockArticle>(Database&)>& read) {
    dropShownReport();
    std::vector<StockArticle> articles;
    QString error;
    try {
        Database db = Database::openBook(context().currentBook());
        articles = read(db);
    } catch (const DbError& e) {
        error = e.description();
    }
    shownStatus_ = std::make_shared<const std::vector<StockArticle>>(std::move(articles));
    setReportSource(stockStatusReport(shownStatus_));
    shownCards_ = nullptr;
    if (!error.isEmpty()) showReportError(error);
}

std::optional<sheet::Sheet> frmPregledart::reportSheet() const {
    if (shownCards_) return shownCards_();
    if (!shownStatus_) return std::nullopt;
    const QDate day = reportDay();
    return stockStatusSheet(*shownStatus_, day.isValid() ? day : QDate::currentDate());
}

void frmPregledart::karticajedannaziv() {
    const ArticleKey key = optnazivart_->isChecked() ? ArticleKey::Name : ArticleKey::Code;
    std::optional<StockCard> card;
    QString error;
    try {
        Database db = Database::openBook(context().currentBook());
        card = StockCard{readCardArticle(db, key, cbood_->currentText()), {}};
        const QDate day = reportDay();
        card->lines = day.isValid() ? readCardLinesAt(db, card->article.id, day)
                                    : readCardLines(db, card->article.id);
    } catch (const DbError& e) {
        error = e.description();
    }
    shownStatus_.reset();
    shownCards_ = nullptr;
    if (card && error.isEmpty())
        shownCards_ = [card = *card, day = reportDay()]() -> std::optional<sheet::Sheet> {
            return stockCardsSheet({card}, day.isValid() ? day : QDate::currentDate());
        };
    setReportText(stockCardText(card));
    if (!error.isEmpty()) showReportError(error);
}

ArticleGroup frmPregledart::chosenGroup() const {
    if (optkolicinanulart_->isChecked()) return ArticleGroup::ZeroStock;
    if (optminkolicinaart_->isChecked()) return ArticleGroup::BelowMinimum;
    return ArticleGroup::All;
}

void frmPregledart::ispissvih() {
    QString error;
    {
        BusyCursor busy;
        dropShownReport();
        std::vector<StockCard> cards;
        const QDate day = reportDay();
        // The cards as the book holds them, or those at the end of the day chosen.
        const auto read = [group = chosenGroup(), day](std::vector<StockCard>& into) {
            Database db = Database::openBook(context().currentBook());
            if (day.isValid())
                readGroupCardsAt(db, group, day, into);
            else
                readGroupCards(db, group, into);
        };
        try {
            read(cards);
        } catch (const DbError& e) {
            error = e.description();
        }
        if (error.isEmpty())
            shownCards_ = [read, day]() -> std::optional<sheet::Sheet> {
                std::vector<StockCard> again;
                read(again);
                return stockCardsSheet(again, day.isValid() ? day : QDate::currentDate());
            };
        setReportSource(stockCardsReport(std::move(cards)));
    }
    if (!error.isEmpty()) showReportError(error);
}

}  // namespace kl
