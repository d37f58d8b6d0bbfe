#pragma once

#include "reports/reportwindow.h"
#include "warehouse/documents.h"

namespace kl {

class frmpregledprimki : public ReportWindow {
    Q_OBJECT
  public:
    explicit frmpregledprimki(DocumentKind kind, QWidget* parent = nullptr);

  private:
    DocumentKind kind_;
};

}  // namespace kl
