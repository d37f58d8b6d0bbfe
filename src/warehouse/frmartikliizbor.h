#pragma once
// The article search of a warehouse book: the clerk finds an article by its code or its name and
// sends it into the window that asked for it, the receipt and issue window ("Primka",
// "Izdatnica"), the e-invoice window ("eRacun"), the transfer window ("Medjuskladisnica") or the
// products window of a production book ("proizvodnja").
//
// Every article of the book is read once, when the window is made, into the list
// `lsvsviartikli` (its sixth, hidden column the article id); a search only selects the matching
// entries of that list and never reads the book again. A search may select several entries, but
// only a single selected article is sent. The article sent is read from the book at that moment,
// so the receiving window gets its stock and average price as they stand.
//
// The book is the current book for a receipt, an issue, an e-invoice or a transfer, and the
// material book of the production book otherwise; it is fixed when the window is made.

#include "data/booklocation.h"
#include "ui/childwindow.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kl {

class ReportList;

class frmartikliizbor : public ChildWindow {
    Q_OBJECT
  public:
    static QString normalCaption() { return QStringLiteral("Pretraga artikala     Pomoć  F1"); }
    // The caption after help mode has been left.
    static QString captionAfterHelp() { return QStringLiteral("Pretraga artikala    Pomoć  F1"); }

    explicit frmartikliizbor(QWidget* parent = nullptr);

    // The book file the articles come from.
    const BookLocation& book() const { return book_; }

    // "Traži": selects every entry whose code or name (as chosen) matches the search text;
    // "Nema traženog upisa" when none does. An empty search text only puts the focus there.
    void search();

    // "Pošalji" (or a double click on the list): sends the one selected article to the window
    // of the document mode and closes; refused unless exactly one entry is selected.
    void sendSelected();

  protected:
    void helpModeChanged(bool helpMode) override;

  private:
    void loadList();

    BookLocation book_;
    QLineEdit* txtupis_;
    QRadioButton* optposifri_;
    QRadioButton* optponazivu_;
    QRadioButton* optcijelinaziv_;
    QRadioButton* optpocinjesa_;
    QRadioButton* optimaunazivu_;
    QPushButton* cmdtrazi_;
    QPushButton* cmdodabir_;
    QPushButton* cmdodustani_;
    ReportList* lsvsviartikli_;
};

}  // namespace kl
