#pragma once

#include "reports/reportwindow.h"

namespace kl {

class frmpregledkupacadobavljaca : public ReportWindow {
    Q_OBJECT
  public:
    explicit frmpregledkupacadobavljaca(QWidget* parent = nullptr);
};

}  // namespace kl
