#pragma once
// The receipt ("Primka") and issue ("Izdatnica") window of the open warehouse book.
//
// The clerk fills in the header (number, date, partner and, for a receipt, the supplier's
// document), picks articles one at a time by code, by name or through the article search, with
// quantity and price, and collects them as lines on the list on the right. Nothing is stored
// until the list is posted: then the whole document goes into the book in one transaction and
// the window is ready for the next document of the same kind.
//
// The kind is taken from context().documentMode when the window is made ("Primka" receipt,
// anything else issue) and stays until it is closed. An issue offers the article's average
// price, which the clerk cannot change, and shows the quantity still available: the stock less
// what the list already issues of that article.
//
// Below the line list a running total shows the number of lines and their amount. After a
// posting the clerk is told the document's number and offered its print (postedDocumentPrinter).
//
// The article, partner and document type windows opened from here write what they store back
// into this window's lists (DocumentLists); the article search sends its choice here
// (ArticleReceiver).

#include "data/booklocation.h"
#include "ui/childwindow.h"
#include "warehouse/documentlists.h"

class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kl {

class NumericField;
class ReportList;

class frmPrimka : public ChildWindow, public DocumentLists, public ArticleReceiver {
    Q_OBJECT
  public:
    // Columns of the line list; the article id is kept in a hidden sixth column.
    enum Column { Sifra, Naziv, Kolicina, Cijena, Iznos, IdArtikla };

    // The largest amount of one receipt line.
    static constexpr double MaxReceiptAmount = 9999999.0;

    explicit frmPrimka(QWidget* parent = nullptr);

    DocumentKind kind() const { return kind_; }
    bool isReceipt() const { return kind_ == DocumentKind::Receipt; }
    // The book file this window reads and posts into.
    const BookLocation& book() const { return book_; }

    // ---- What the master-data windows and the article search write here ----
    void setPartnerNames(const QStringList& names) override;
    void addDocumentType(const QString& name) override;
    void setArticleChoices(const std::vector<ArticleChoice>& articles) override;
    void showArticlesChoosingLast(const std::vector<ArticleRow>& articles) override;
    void receiveArticle(const ArticleStock& article) override;

    // ---- The clerk's actions ----
    // Choosing the entry at `index` of the code or the name list (both lists stand at the same
    // position): the article becomes the chosen one; an issue fills in its price and the
    // quantity available.
    void chooseArticle(int index);
    // "Dodaj na listu": the entry goes on the line list after the checks.
    void addLine();
    // "Briši sa liste": removes the selected line.
    void deleteLine();
    // "Unos u skladište" / "Iznos iz baze": checks, asks and posts the document. Returns true
    // when it was posted (the window is then ready for the next document).
    bool post();

    // The running total below the line list: "Stavki: n    Ukupno: 1234,56".
    QString runningTotal() const;

    // The buttons that open the other windows.
    void openArticles();
    void openPartners();
    void openDocumentTypes();
    void openSearch();
    // "Učitaj e-račun..." (a receipt only): the e-invoice window beside this one.
    void openEinvoice();

    // The next receipt or issue number read again from the book (a receipt was posted from the
    // e-invoice window meanwhile).
    void refreshNumber();

  protected:
    bool queryClose() override;
    void helpModeChanged(bool helpMode) override;

  private:
    void buildControls();
    void configureKind();
    void loadLists();
    void refillArticles(const std::vector<ArticleChoice>& articles, const QString& keepId);
    int articleIndex(const QString& id) const;
    void showAvailable(const ArticleStock& article);
    void amountInputChanged(NumericField* changed);
    void clearEntry();
    void listChanged();
    void offerPrint(const QString& number);

    DocumentKind kind_;
    BookLocation book_;
    // The number the window put into txtprimka (the next of its kind); see proposedNumber.
    QString proposedNumber_;
    void setProposedNumber(const QString& number);
    bool resettingAmount_ = false;

    QLineEdit* txtprimka_;
    QDateEdit* txtdatumprimke_;
    QComboBox* cbokd_;
    QComboBox* cbodokument_;
    QLineEdit* txtbroj_;
    QDateEdit* txtdatumdokumenta_;
    QComboBox* Cbosifra_;
    QComboBox* cbonaziv_;
    NumericField* txtkolicina_;
    NumericField* txtcijena_;
    QLineEdit* txtiznos_;
    QLineEdit* txtpokazkolicine_;
    ReportList* lsvartprimka_;
    QLabel* lblartikl_;
    QLabel* lblpi_;
    QLabel* lblidprimkeizdatnice_;
    QLabel* lblprimka_;
    QLabel* lbldatumprimke_;
    QLabel* lblkd_;
    QLabel* lblukupno_;
    QList<QWidget*> receiptOnly_;
    QPushButton* cmddodaj_;
    QPushButton* cmdbrisi_;
    QPushButton* cmdprihvati_;
    QPushButton* cmdodustani_;
    QPushButton* cmdpretraga_;
    QPushButton* cmdartikl_;
    QPushButton* cmddobavljac_;
    QPushButton* cmdnovidokument_;
    QPushButton* cmderacun_;
};

}  // namespace kl
