#pragma once

#include "reports/reportwindow.h"

namespace kl {

class frmpregleddnevnika : public ReportWindow {
    Q_OBJECT
  public:
    explicit frmpregleddnevnika(QWidget* parent = nullptr);
};

}  // namespace kl
