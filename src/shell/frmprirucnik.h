#pragma once
// The user guide (docs/prirucnik.md, installed beside the program's documentation) in a window
// of its own, opened from the help menu of the main window. The guide is Markdown; its pictures
// lie in the folder slike/ beside it.

#include <QWidget>

class QTextBrowser;

namespace kl {

class frmPrirucnik : public QWidget {
    Q_OBJECT
  public:
    // Pictures wider than this are shown scaled down to it.
    static constexpr int MaxPictureWidth = 640;

    explicit frmPrirucnik(QWidget* parent = nullptr);

    // Loads the guide at `path` (pictures resolved against its folder). False when it cannot be
    // read; the window then stays empty.
    bool load(const QString& path);

    QTextBrowser* browser() const { return txtprirucnik_; }

  private:
    QTextBrowser* txtprirucnik_;
};

// Finds the guide, loads it into the one guide window and shows it; a guide that is nowhere to
// be found is said in a message.
void showUserGuide();

}  // namespace kl
