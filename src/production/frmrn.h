#pragma once

#include "ui/childwindow.h"

namespace kl {

class frmrn : public ChildWindow {
    Q_OBJECT
  public:
    explicit frmrn(QWidget* parent = nullptr);
};

}  // namespace kl
