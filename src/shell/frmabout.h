#pragma once
// The about window: the program guide ("O programu...") and the page about the program and its
// makers ("O nama..."), one modal window that switches between the two.

#include <QDialog>

class QLabel;
class QPushButton;
class QTextBrowser;

namespace kl {

class frmAbout : public QDialog {
    Q_OBJECT
  public:
    static constexpr int FixedWidth = 800;
    static constexpr int FixedHeight = 520;

    explicit frmAbout(QWidget* parent = nullptr);

    // Both show the window modally without waiting for it to close.
    void showGuide();
    void showAboutPage();

    // What "System Info..." shows: the machine, its system and the program's folder and files.
    static QString systemInformation();
    void showSystemInformation();

    // The program's emblem, also the windows' icon.
    static QPixmap emblem(int size);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void showPage(bool guide, const QString& caption);
    void placeGuide();

    QLabel* picIcon_;
    QLabel* label1_;
    QLabel* lblVersion_;
    QLabel* lblDescription_;
    QLabel* lblDisclaimer_;
    QPushButton* cmdOK_;
    QPushButton* cmdSysInfo_;
    QTextBrowser* txtpomoc_;
};

}  // namespace kl
