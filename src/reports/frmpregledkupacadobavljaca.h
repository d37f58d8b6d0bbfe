#pragma once
// "Pregled kupaca/dobavljača": the list of every customer or every supplier of the book, shown as
// a report and printed with the report print button.

#include "reports/reportwindow.h"

class QRadioButton;

namespace kl {

class frmpregledkupacadobavljaca : public ReportWindow {
    Q_OBJECT
  public:
    explicit frmpregledkupacadobavljaca(QWidget* parent = nullptr);

    // "Prikaz": builds the list of the chosen kind from the book.
    void showList();

  private:
    QRadioButton* optkupaca_;
    QRadioButton* optdobavljaca_;
};

}  // namespace kl
