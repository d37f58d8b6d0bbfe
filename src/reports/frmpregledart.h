#pragma once
// "Pregled artikala": the stock status list ("Stanje") and the stock cards ("Kartice") of the
// open warehouse book, for one article or for several.
//
// One article is chosen in `cbood`, a list of the article names (by name, each entry carrying the
// article's code) or of the codes (by code). The stock status of one article by name is that of
// the articles with the chosen entry's code; by code, of the articles with the chosen code. The
// stock card of one article is that of the first article with the chosen name or code. Several
// articles are all of them (by name), those with zero stock or those below their minimum
// quantity (both in stored order).
//
// With "na dan" checked, the stock status and the stock cards (of one article or several) are
// those at the end of the date chosen: the figures replayed from the movements of documents
// dated up to that day, a group of articles chosen by those figures, the cards' lines those of
// documents dated up to that day.
//
// Every "Prikaz" opens the book, reads, closes it and replaces the report; a failure is shown at
// the end and the report read so far stays.

#include "reports/reportwindow.h"
#include "reports/stockreports.h"

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QRadioButton;

namespace kl {

class frmPregledart : public ReportWindow {
    Q_OBJECT
  public:
    explicit frmPregledart(QWidget* parent = nullptr);

    // "Prikaz": the report of the options chosen.
    void prikaz();

    // The reports themselves.
    void stanjejedannazivart();  // status, one article by the chosen name's code
    void stanjejedansifraart();  // status, one article by the chosen code
    void pregledsveart();        // status of all articles
    void pregledkolicinanula();  // status of the articles with zero stock
    void pregledminstanje();     // status of the articles below their minimum quantity
    void karticajedannaziv();    // card of the chosen article (by name or by code)
    void ispissvih();            // cards of the articles of the chosen group

  protected:
    bool exportsSheets() const override { return true; }
    std::optional<sheet::Sheet> reportSheet() const override;

  private:
    void chooseOneArticle();
    void chooseSeveralArticles();
    void fillNames();
    void fillCodes();
    void showStatusOf(const QString& code);
    void showGroupStatus(ArticleGroup group);
    // The stock status of the articles `read` gives; a failure is shown after the text.
    void showStatus(const std::function<std::vector<StockArticle>(Database&)>& read);
    ArticleGroup chosenGroup() const;
    // The report shown let go before a long one is read: the two are never held at once, and
    // the memory of the one goes to the other.
    void dropShownReport();

    QRadioButton* optstanjeart_;
    QRadioButton* optkarticeart_;
    QRadioButton* Optjedanart_;
    QRadioButton* optviseart_;
    QRadioButton* optnazivart_;
    QRadioButton* optsifraart_;
    QRadioButton* optsveart_;
    QRadioButton* optminkolicinaart_;
    QRadioButton* optkolicinanulart_;
    QGroupBox* Frame3_;
    QGroupBox* Frame4_;
    QComboBox* cbood_;
    QCheckBox* chknadan_;
    QDateEdit* dtnadan_;
    // The date of the report: invalid for today's figures as the book holds them.
    QDate reportDay() const;
    // The stock status shown, for the export; empty while a card or nothing is shown.
    StockArticles shownStatus_;
    // The cards shown, as a sheet for the export: the one card as shown; the cards of a group
    // (not kept beside their long text) read again from the book; empty while none is shown.
    std::function<std::optional<sheet::Sheet>()> shownCards_;
};

}  // namespace kl
