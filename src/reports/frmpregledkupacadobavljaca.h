#pragma once
// "Pregled kupaca/dobavljača": the list of every customer or every supplier of the book, shown as
// a report and printed with the report print button.

#include "reports/partnerlist.h"
#include "reports/reportwindow.h"

class QRadioButton;

namespace kl {

class frmpregledkupacadobavljaca : public ReportWindow {
    Q_OBJECT
  public:
    explicit frmpregledkupacadobavljaca(QWidget* parent = nullptr);

    // "Prikaz": builds the list of the chosen kind from the book.
    void showList();

  protected:
    bool exportsSheets() const override { return true; }
    std::optional<sheet::Sheet> reportSheet() const override;

  private:
    QRadioButton* optkupaca_;
    QRadioButton* optdobavljaca_;
    // The list shown, for the export.
    std::optional<std::pair<PartnerListKind, std::vector<PartnerEntry>>> shown_;
};

}  // namespace kl
