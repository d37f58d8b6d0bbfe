#pragma once

#include "reports/reportwindow.h"

namespace kl {

class frmPregledart : public ReportWindow {
    Q_OBJECT
  public:
    explicit frmPregledart(QWidget* parent = nullptr);
};

}  // namespace kl
