#pragma once
// The work order window ("Radni nalozi") of the open production book.
//
// Entry mode: the clerk picks a product and the number of units; the window lists one line per
// bill line of the product (the warehouse book, the number its issue note will get and the
// amount), computes the material cost, adds labour, services and three other costs to the total
// and shows the material cost per unit. "Iz&daj radni nalog" checks the quantity and the stock
// the warehouse books held when the product was chosen, asks, and issues the work order: the
// work order and its cost rows go into the production book and one issue note into every
// supplying warehouse book, all in one transaction (workorders.h).
//
// Edit mode ("&Editiraj" on a work order of the list below): only the dates and the labour,
// services and other costs of an issued work order can be changed ("I&zmjeni") or its sheet
// printed ("Is&pis na pisač"); "&Odustani od promjene" goes back to entry mode.

#include "data/booklocation.h"
#include "production/workorders.h"
#include "ui/childwindow.h"

#include <vector>

class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

namespace kl {

class NumericField;
class ReportList;

class frmrn : public ChildWindow {
    Q_OBJECT
  public:
    // Columns of the material list: three shown, the needed quantity and the stock hidden.
    enum MaterialColumn { Skladiste, Izdatnica, Iznos, Potrebno, Stanje };
    // Columns of the work order list.
    enum OrderColumn { BrojRn, ImeProizvoda, DatumOtv, DatumZatv, Kolicina };

    explicit frmrn(QWidget* parent = nullptr);

    // ---- Operations of the window ----
    // Resets the window to a new, empty work order and reloads the products, the work order list
    // and the next number.
    void ucitavanje();
    // Loads the work order whose number is in lblidrn for editing.
    void izmjena();
    // Writes the work order sheet into the print buffer and returns it.
    QString ispis();
    // The material list's lines as the sheet shows them.
    std::vector<CostLine> costLines() const;
    // Issues the composed work order (no checks, no question). Returns true when it was issued.
    bool izdatnice();

    // ---- The clerk's actions ----
    // Chooses the product at `index` of the picker, or by its name.
    void chooseProduct(int index);
    void chooseProduct(const QString& name);
    // "Iz&daj radni nalog": checks, asks and issues. Returns true when the work order was issued.
    bool issue();
    // "&Editiraj": the work order chosen in the list goes into edit mode.
    void edit();
    // "I&zmjeni": asks and saves the dates and the manual costs.
    void saveChange();
    // "&Odustani od promjene": back to entry mode.
    void cancelChange();
    // "Is&pis na pisač": in edit mode, asks and prints the work order sheet.
    void print();

    // The material lines of the chosen product for the quantity shown.
    const std::vector<MaterialLine>& materialLines() const { return lines_; }
    bool isEditMode() const { return editMode_; }

  protected:
    bool queryClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void loadWorkOrderList();
    void orderClicked(int row);
    void quantityChanged();
    void updateTotals();
    void showMaterialLines();
    void resetCosts();
    bool prepareQuantityLeave();
    bool finishEntries();
    WorkOrderCosts costs() const;
    WorkOrder order() const;
    QString productName() const;

    BookLocation book_;
    QString proposedNumber_;  // the number the window proposed for a new work order
    std::vector<MaterialLine> lines_;
    bool issueFailed_ = false;  // the last attempt to issue failed a check or was declined
    bool editMode_ = false;
    bool settingQuantity_ = false;

    QLineEdit* txtbr_;
    QComboBox* cboproizvod_;
    QDateEdit* dtpotv_;
    QDateEdit* dtpzatv_;
    NumericField* txtkolicina_;
    QLineEdit* txtmat_;
    NumericField* txtrada_;
    NumericField* txtusluga_;
    NumericField* txt1_;
    NumericField* txt2_;
    NumericField* txt3_;
    QLineEdit* txtukupno_;
    QLineEdit* txtpojed_;
    ReportList* lsvartikli_;
    ReportList* lsvsviartikli_;
    QLabel* lblrn_;
    QLabel* lblidpro_;
    QLabel* lblsifra_;
    QLabel* lblidrn_;
    QLabel* lblidrnpravi_;
    QTextEdit* rtbnema_;
    QTextEdit* rtfispis_;
    QPushButton* cmdprihvati_;
    QPushButton* cmdeditiraj_;
    QPushButton* cmdizmjena_;
    QPushButton* cmdne_;
    QPushButton* cmdispis_;
    QPushButton* cmdodustani_;
};

}  // namespace kl
