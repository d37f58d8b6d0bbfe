#pragma once
// "Inventura": the stock-taking window of the open warehouse book.
//
// "Nova inventura" starts a stock-taking at the date chosen (after a confirmation); the list of
// stock-takings picks the one worked on. Counting: the code or bar code in `txtsifra`, Enter, the
// quantity in `txtkolicina`, Enter: the quantity is stored at once and the code field is ready
// for the next article. The list of articles below is filtered by `txtfilter` (code or name).
// "Popisna lista" and "Razlike" show their report in the report box, printed by "Ispis".
// "Knjiži razlike" posts the differences after a confirmation and closes the stock-taking; a
// closed one can only be shown and printed.

#include "reports/inventura.h"
#include "reports/reportwindow.h"

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace kl {

class frmInventura : public ReportWindow {
    Q_OBJECT
  public:
    explicit frmInventura(QWidget* parent = nullptr);

    void novaInventura();    // "Nova inventura"
    void popisnaLista();     // "Popisna lista"
    void razlike();          // "Razlike"
    void knjiziRazlike();    // "Knjiži razlike"
    void codeEntered();      // Enter in the code field
    void quantityEntered();  // Enter in the quantity field

  protected:
    // The counting sheet or the differences shown, as a spreadsheet table.
    bool exportsSheets() const override { return true; }
    std::optional<sheet::Sheet> reportSheet() const override;

  private:
    void fillList(qint64 select = 0);
    void loadChosen();
    void fillLines();
    void applyFilter();
    QString bookName() const;

    QComboBox* cbinventure_;
    QDateEdit* dtdatum_;
    QLineEdit* txtsifra_;
    QLineEdit* txtkolicina_;
    QLineEdit* txtfilter_;
    QRadioButton* optsifra_;
    QRadioButton* optnaziv_;
    QTableWidget* lststavke_;
    QPushButton* cmdknjizi_;
    std::optional<StockTaking> shown_;
    // Which of the two reports the box shows, for the export.
    enum class Report { None, CountingSheet, Differences } report_ = Report::None;
    int current_ = -1;  // the line whose quantity is entered
};

}  // namespace kl
