#pragma once

#include "ui/childwindow.h"

namespace kl {

class frmproizvodi : public ChildWindow {
    Q_OBJECT
  public:
    explicit frmproizvodi(QWidget* parent = nullptr);
};

}  // namespace kl
