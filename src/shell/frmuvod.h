#pragma once
// The start-up window: the brand for half a second, then the company register. Once the brand is
// on screen the register's window is made (hidden), so that at the end of the half second it only
// has to be shown.

#include <QWidget>

class QTimer;

namespace kl {

class frmUvod : public QWidget {
    Q_OBJECT
  public:
    explicit frmUvod(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void timerFired();
    QTimer* timer_;
    bool prepared_ = false;
};

}  // namespace kl
