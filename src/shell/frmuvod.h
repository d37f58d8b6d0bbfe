#pragma once
// The start-up window: the brand for half a second, then the company register. Once the brand is
// on screen the register's window is made (hidden); shortly before the half second ends it is
// shown under the brand, which goes when its half second is over.

#include <QElapsedTimer>
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
    QElapsedTimer shownUntil_;  // started with the window's half second
    qint64 remainingMs_ = 0;    // of that half second when the window was made
    bool prepared_ = false;
};

}  // namespace kl
