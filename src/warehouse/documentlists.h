#pragma once
// What the master-data windows write into the receipt and issue window when they were opened
// from it (or when its lists must follow what they stored): its partner list, its document type
// list and its article lists. The receipt and issue window implements this interface; the other
// windows reach it only through documentLists(), so they never load it or make it visible.

#include "warehouse/documents.h"
#include "warehouse/masterdata.h"

#include <QStringList>

#include <vector>

class QComboBox;

namespace kl {
class ReportList;
}

namespace kl {

class DocumentLists {
  public:
    virtual ~DocumentLists() = default;

    // Refills the partner list (`cbokd`) with `names`, in the order given.
    virtual void setPartnerNames(const QStringList& names) = 0;

    // Adds a document type to the end of `cbodokument` and makes it the chosen type.
    virtual void addDocumentType(const QString& name) = 0;

    // Refills the parallel article lists (hidden ids `lstid`, codes `Cbosifra`, names
    // `cbonaziv`) from `articles`, which come ordered by name.
    virtual void setArticleChoices(const std::vector<ArticleChoice>& articles) = 0;

    // Refills only the code and name lists from `articles` (in the order given) and makes the
    // last of them the chosen article: its code, name and id stand in the code field, the name
    // field and the chosen article id. An empty `articles` only empties both lists.
    virtual void showArticlesChoosingLast(const std::vector<ArticleRow>& articles) = 0;
};

// The window name of the receipt and issue window.
inline const QString kDocumentWindowName = QStringLiteral("frmPrimka");
// The window name of the products window of a production book.
inline const QString kProductsWindowName = QStringLiteral("frmproizvodi");

// The receipt and issue window if it is loaded now, otherwise null.
DocumentLists* documentLists();

// A window the article search sends its chosen article to: the receipt and issue window, or the
// products window of a production book, which takes its materials from a warehouse book.
class ArticleReceiver {
  public:
    virtual ~ArticleReceiver() = default;

    // Makes `article`, as it now stands in its book, the chosen article: the same effects as
    // choosing its code in the window's code list (the receipt and issue window then also puts
    // the focus into its quantity field).
    virtual void receiveArticle(const ArticleStock& article) = 0;
};

// The window the article search serves in `documentMode` ("Primka" or "Izdatnica": the receipt
// and issue window; "proizvodnja": the products window; "eRacun": the e-invoice window;
// "Medjuskladisnica": the transfer window) if it
// is loaded now, otherwise null.
ArticleReceiver* articleReceiver(const QString& documentMode);

// ---- The paired article lists of the receipt/issue and products windows -----------------------
// A code list and a name list whose entries carry the article id: one position, one article.

// Refills both lists from `articles` in the order given.
void fillArticleLists(QComboBox* codes, QComboBox* names,
                      const std::vector<ArticleChoice>& articles);

// Chooses `article` in both lists, adding it at the end of both when it was stored after they
// were filled.
void selectArticleInLists(QComboBox* codes, QComboBox* names, const ArticleStock& article);

// The running total under a list of document lines: "Stavki: 3    Ukupno: 75,00". The amounts
// as the list shows them (two decimals each) are added in whole hundredths, so that the total
// is exact however many lines there are.
QString linesTotalText(const ReportList& lines, int amountColumn);

}  // namespace kl
