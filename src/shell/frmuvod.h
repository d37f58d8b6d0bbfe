#pragma once
// The start-up window: the brand for half a second, then the company register.

#include <QWidget>

class QTimer;

namespace kl {

class frmUvod : public QWidget {
    Q_OBJECT
  public:
    explicit frmUvod(QWidget* parent = nullptr);

  private:
    void timerFired();
    QTimer* timer_;
};

}  // namespace kl
