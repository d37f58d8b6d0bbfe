#pragma once
// The products window of a production book: new products with their bills of materials, and
// changes, deletion and the printed sheet of a stored product.
//
// The clerk picks a warehouse book of the company, chooses its articles by code, by name or
// through the article search, gives the quantity per unit of product and collects the bill lines
// on the list on the right; the price is the article's average price and the quantity can never
// exceed what the warehouse holds at that moment (less what the list already takes of the same
// article). "Unos u bazu" stores the header and the lines in one transaction.
//
// Entry mode (a new product is composed) and edit mode (a stored product is loaded by "Editiraj"
// or a double click on the product list): edit mode is on while "Odustani od promjene" (cmdne)
// is enabled. In edit mode new lines are added, stored lines can only be removed; the removals
// are carried out only when the change is saved.

#include "data/booklocation.h"
#include "production/products.h"
#include "ui/childwindow.h"
#include "warehouse/documentlists.h"

#include <QStringList>

#include <vector>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kl {

class NumericField;
class ReportList;

class frmproizvodi : public ChildWindow, public ArticleReceiver {
    Q_OBJECT
  public:
    // Columns of the bill list: six shown, then the article id, the warehouse book id and the
    // bill line id ("0" for a line not stored yet), hidden.
    enum LineColumn {
        Skladiste,
        SifraArt,
        NazivArt,
        Kolicina,
        Cijena,
        Iznos,
        IdArtikla,
        IdSkladista,
        IdSastojka
    };
    // Columns of the product list: four shown, the product id hidden.
    enum ProductColumn { SifraProizvoda, NazivProizvoda, Barkod, JedMjere, IdProizvoda };

    // The largest amount of one bill line.
    static constexpr double MaxAmount = 9999999.0;

    static QString normalCaption() { return QStringLiteral("Unos novog proizvoda      Pomoć F1"); }
    // The caption after help mode has been left.
    static QString captionAfterHelp() {
        return QStringLiteral("Unos novog proizvoda    Pomoć  F1");
    }

    explicit frmproizvodi(QWidget* parent = nullptr);

    // The production book this window works on.
    const BookLocation& book() const { return book_; }
    // True while a stored product is loaded for a change.
    bool isEditMode() const;

    // ---- Composing bill lines ----
    // Choosing the warehouse book at `index` of the picker: its articles fill the code and name
    // lists and it becomes the material book of the application context.
    void chooseWarehouse(int index);
    // Choosing the entry at `index` of the code or the name list (both stand at one position).
    void chooseArticle(int index);
    // The article search sends its choice: the same as choosing its code in the code list.
    void receiveArticle(const ArticleStock& article) override;
    // "Pretraga postojećih artikala": opens the article search over the chosen warehouse book.
    void openSearch();
    // "Dodaj na listu": the line goes on the list after the checks; true when it went.
    bool addLine();
    // "Briši sa liste": asks, then removes the selected line.
    void removeLine();

    // ---- Products ----
    // "Unos u bazu": checks, asks and stores the new product; true when it was stored.
    bool store();
    // A click on the product list: `row` becomes the chosen product.
    void chooseProduct(int row);
    // "Editiraj" (or a double click): loads the chosen product for a change.
    void edit();
    // Loads the product whose id is in lblidsvi into the window (edit mode).
    void prihvat();
    // "Izmjeni": checks, asks and saves the change; true when it was saved.
    bool saveChange();
    // "Odustani od promjene": back to entry mode with an empty window; removals are forgotten.
    void cancelChange();
    // "Briši proizvod": refused while a work order makes the product; asks, then deletes it.
    bool deleteProduct();
    // The product sheet of the loaded product (empty outside edit mode).
    QString ispis() const;
    // "Ispis na pisač": in edit mode, asks and prints the product sheet.
    void print();

    // Bill line ids removed from the list since the product was loaded.
    QStringList removedLineIds() const { return lstbrisanje_; }

  protected:
    bool queryClose() override;
    void helpModeChanged(bool helpMode) override;

  private:
    enum class StoreOutcome { Stored, Incomplete, Declined, Clash, Failed };

    void buildControls();
    void loadWarehouses();
    void loadProductList();
    StoreOutcome storeNew();
    bool refuseClash(const ProductHeader& header, const QString& exceptId);
    ProductHeader enteredHeader() const;
    std::vector<BillLine> listedLines() const;
    void showAvailable(const ArticleStock& article);
    void quantityChanged();
    void updateProductPrice();
    void clearLineEntry();
    void clearHeader();
    void restoreMaterialBook();

    BookLocation book_;
    QString productName_;  // the chosen product's name, for captions and prompts
    QStringList lstbrisanje_;
    std::vector<WarehouseBook> warehouses_;  // the entries of cboskladiste, in its order
    bool resettingAmount_ = false;

    QComboBox* cboskladiste_;
    QComboBox* Cbosifra_;
    QComboBox* cbonaziv_;
    QLineEdit* txtpokazkolicine_;
    QLineEdit* txtcijena_;
    NumericField* txtkolicina_;
    QLineEdit* txtiznos_;
    QLineEdit* txtsifra_;
    QLineEdit* txtnaziv_;
    QLineEdit* txtbarkod_;
    QLineEdit* txtjedmjere_;
    QLineEdit* txtcijenaproizvoda_;
    ReportList* lsvproizvodi_;
    ReportList* lsvsviproizvodi_;
    QLabel* lblidknjige_;
    QLabel* lblvrstaknjige_;
    QLabel* lblartikl_;
    QLabel* lblidsvi_;
    QPushButton* cmddodaj_;
    QPushButton* cmdbrisi_;
    QPushButton* cmdprihvati_;
    QPushButton* cmdeditiraj_;
    QPushButton* cmdizmjena_;
    QPushButton* cmdne_;
    QPushButton* cmdbrisiproizvod_;
    QPushButton* cmdispis_;
    QPushButton* cmdpretraga_;
    QPushButton* cmdodustani_;
};

}  // namespace kl
