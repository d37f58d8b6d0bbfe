#pragma once
// The transfer window ("Međuskladišnica") of the open warehouse book: goods go from this book to
// another warehouse book of the same company.
//
// The clerk chooses the target book, picks articles by code or name (or finds one with the
// article search, "Pretraga postojećih artikala...") with a quantity (at most
// what is in stock less what the list already takes; the price is the average price and cannot
// be changed, as on an issue) and collects them on the list. Beside each line the list names
// the article of the target book with the same code, or says that it will be created there.
// "Proknjiži" asks once (naming the articles to be created) and posts the issue here and the
// receipt there in one transaction (transfer.h); the window then says both numbers and is ready
// for the next transfer.

#include "data/booklocation.h"
#include "ui/childwindow.h"
#include "warehouse/documentlists.h"
#include "warehouse/transfer.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kl {

class NumericField;
class ReportList;

inline const QString kTransferWindowName = QStringLiteral("frmmedjuskladisnica");

class frmMedjuskladisnica : public ChildWindow, public ArticleReceiver {
    Q_OBJECT
  public:
    // Columns of the line list; the source article's id is kept in a hidden column.
    enum Column { Sifra, Naziv, Kolicina, Cijena, Iznos, UCilju, IdArtikla };

    explicit frmMedjuskladisnica(QWidget* parent = nullptr);

    // ---- The clerk's actions ----
    // The target book at `index` of the book list: the lines say again what they find there.
    void chooseTarget(int index);
    // The article at `index` of the code or name list: its price and the quantity available.
    void chooseArticle(int index);
    // "Dodaj na listu" and "Briši sa liste".
    void addLine();
    void deleteLine();
    // "Proknjiži": checks, asks and posts; true when posted.
    bool post();

    // "Pretraga postojećih artikala...": the article search, sending its article here.
    void openSearch();
    // The article the search sent: chosen as in the code list, the focus in the quantity.
    void receiveArticle(const ArticleStock& article) override;

    // "Stavki: n    Ukupno: 1234,56".
    QString runningTotal() const;

  protected:
    bool queryClose() override;
    void helpModeChanged(bool helpMode) override;

  private:
    void buildControls();
    void loadLists();
    void amountChanged();
    void clearEntry();
    void listChanged();
    QString targetText(const QString& code) const;
    std::optional<TransferBook> target() const;

    BookLocation book_;
    std::optional<TransferBook> source_;
    std::vector<TransferBook> targets_;
    QHash<QString, ArticleChoice> targetArticles_;

    QLineEdit* txtbroj_;
    QDateEdit* txtdatum_;
    QLineEdit* txtizvor_;
    QComboBox* cboskladiste_;
    QComboBox* Cbosifra_;
    QComboBox* cbonaziv_;
    NumericField* txtkolicina_;
    QLineEdit* txtpokazkolicine_;
    QLineEdit* txtcijena_;
    QLineEdit* txtiznos_;
    ReportList* lsvstavke_;
    QLabel* lblartikl_;
    QLabel* lblukupno_;
    QPushButton* cmdpretraga_;
    QPushButton* cmddodaj_;
    QPushButton* cmdbrisi_;
    QPushButton* cmdprihvati_;
    QPushButton* cmdodustani_;
};

}  // namespace kl
