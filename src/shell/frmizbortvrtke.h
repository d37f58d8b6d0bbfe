#pragma once
// The company register: the list of companies, entering one (on to its books), adding, changing,
// removing and printing companies. The first window after start-up.

#include "ui/childwindow.h"

class QLabel;
class QPushButton;

namespace kl {

class ReportList;
struct CompanyRow;

class frmIzborTvrtke : public ChildWindow {
    Q_OBJECT
  public:
    static QString normalCaption() {
        return QStringLiteral("Izbor tvrtke / obrta        Pomoć F1");
    }

    explicit frmIzborTvrtke(QWidget* parent = nullptr);

    // Fills the list from the master database (creating it on first use).
    void loadCompanies();
    // The selected row's id and name into the hidden labels; enables the row buttons.
    void selectionChanged();

    void enterCompany();
    void newCompany();
    void editCompany();
    void deleteCompany();
    void printCompany();
    void quitProgram();

  protected:
    QList<QWidget*> helpHiddenControls() const override;

  private:
    // The selected row (the last selected one when several are), -1 when none.
    int selectedRow() const;
    CompanyRow rowAt(int row) const;
    void showCompanyEntry();

    ReportList* lsvLista_;
    QPushButton* cmdUlaz_;
    QPushButton* cmdizlaz_;
    QPushButton* cmdUredjivanje_;
    QPushButton* cmdBrisanje_;
    QPushButton* cmdNova_;
    QPushButton* cmdispis_;
    QLabel* lblIme_;
    QLabel* lblidt_;
    QLabel* label2_;
};

}  // namespace kl
