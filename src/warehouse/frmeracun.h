#pragma once
// A received e-invoice turned into a receipt of the open warehouse book ("Učitaj e-račun...").
//
// The clerk picks one XML file (or drops it on the window); the window shows what it read
// (einvoice.h) and what it matched in the book (einvoiceimport.h): the supplier and how it was
// found, the invoice's number and date, the document type (the one chosen for that supplier's
// last invoice), the exchange rate when the invoice is not in EUR, and each line with its
// quantity, unit, net cost, the receipt's unit price and the article it goes to, or why it is no
// receipt line. The clerk resolves what was not matched: the supplier is stored from the file,
// a line gets its article through the article search (document mode "eRacun") or as a new
// article made from the line, a service line is spread into the cost of the goods or left out.
// "Proknjiži" posts through postImport, the book's own receipt posting in one transaction, and
// the clerk is then told the receipt's number and offered its print, as in the receipt window.
//
// What is remembered in the register (settings.h): the folder of the last file, and per company
// whether it is outside the VAT system (then VAT is a cost).

#include "data/booklocation.h"
#include "ui/childwindow.h"
#include "warehouse/documentlists.h"
#include "warehouse/einvoice.h"
#include "warehouse/einvoiceimport.h"

#include <QHash>

#include <optional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kl {

class ReportList;

class frmEracun : public ChildWindow, public ArticleReceiver {
    Q_OBJECT
  public:
    // Columns of the line list.
    enum Column { Naziv, Kolicina, JedMjere, Trosak, Cijena, Artikl };

    // The document mode in which the article search sends its choice here.
    static QString searchMode() { return QStringLiteral("eRacun"); }

    explicit frmEracun(QWidget* parent = nullptr);

    const BookLocation& book() const { return book_; }

    // "Odaberi datoteku...": the file dialog, opened in the folder of the last file.
    void chooseFile();
    // Reads the file and shows it; false (with the reason said) when it cannot be a receipt.
    bool loadFile(const QString& path);

    // "Unos dobavljača...": stores the supplier from the file (cut to the partner's fields, the
    // clerk told what was cut) and matches it.
    void createSupplier();

    // The selected line of the list (-1 none).
    int selectedLine() const;
    void selectLine(int line);
    // "Pretraga artikla...": the article search for the selected line.
    void openSearch();
    void receiveArticle(const ArticleStock& article) override;
    // "Unesi artikl": a new article from the entry under the list, given to the selected line.
    void createArticle();
    // "Raspodijeli / izostavi uslugu": a service line spread into the cost or left out.
    void toggleService();

    // "Proknjiži". True when the receipt (for a credit note: the issue back to the supplier) was
    // posted.
    bool post();

    // "Primka: 1234,56    Bez PDV-a: 1234,56    Razlika: 0,00" under the list.
    QString totalsText() const;

  protected:
    bool queryClose() override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    struct LineChoice {
        QString articleId;
        einvoice::Match how = einvoice::Match::None;
        bool spread = false;  // a service line shared into the cost of the goods
    };

    void buildControls();
    void clearDocument();
    void showSupplier();
    void refreshLines();
    void fillArticleEntry();
    bool outsideVat() const;
    std::optional<einvoice::Decimal> rate() const;
    einvoice::Costing costing() const;
    QString lineArticleText(int line) const;
    bool isCreditNote() const { return doc_ && doc_->creditNote; }
    void rememberArticle(const ArticleStock& article);
    QString returnPrice(int line) const;
    bool postReturn();
    bool checkSupplierAndArticles();
    void sayPosted(DocumentKind kind, int number);

    BookLocation book_;
    QString filePath_;
    std::optional<einvoice::Document> doc_;
    einvoice::SupplierMatch supplier_;
    std::vector<LineChoice> choices_;
    QHash<QString, ArticleChoice> articles_;  // id -> code and name
    QHash<QString, ArticleStock> stock_;      // a credit note's articles as they stood

    QPushButton* cmddatoteka_;
    QLineEdit* txtdatoteka_;
    QLabel* lbldobavljac_;
    QPushButton* cmddobavljac_;
    QLabel* lblracun_;
    QDateEdit* txtdatumprimke_;
    QLabel* lbldatum_;
    QComboBox* cbodokument_;
    QLabel* lbltecaj_;
    QLineEdit* txttecaj_;
    QCheckBox* chkpdv_;
    ReportList* lsvstavke_;
    QLabel* lblukupno_;
    QLabel* lblproblem_;
    QPushButton* cmdpretraga_;
    QLineEdit* txtsifra_;
    QLineEdit* txtnaziv_;
    QLineEdit* txtjedmjere_;
    QPushButton* cmdartikl_;
    QPushButton* cmdusluga_;
    QPushButton* cmdknjizi_;
    QPushButton* cmdizlaz_;
};

}  // namespace kl
