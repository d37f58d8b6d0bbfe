#pragma once
// The main window of an open book: the menus of the book's kind and the area in which every
// window of the book opens. Opened from the book register, which stays open beneath it.

#include <QMainWindow>

class QAction;
class QMdiArea;
class QMenu;

namespace kl {

class frmSkladiste : public QMainWindow {
    Q_OBJECT
  public:
    explicit frmSkladiste(QWidget* parent = nullptr);

    // Shows the book of the context (its file and kind). The first time, the menus of the
    // book's kind are shown and the book's database is created if it does not exist yet.
    void showBook();

    QString bookFile() const { return bookFile_; }
    QString bookType() const { return bookType_; }
    QString companyId() const { return companyId_; }
    void setCompanyId(const QString& id) { companyId_ = id; }

    QMdiArea* mdiArea() const { return mdi_; }

    // Opens the window `name` inside the main window, the pattern of every menu item: the
    // menus of the book are disabled until the window closes; `documentMode`, when given,
    // becomes the context's document mode first. Returns the window, or null when it does not
    // exist in this version of the program.
    QWidget* openChild(const QString& name, const QString& documentMode = QString());

    void showProgramGuide();
    void showAboutPage();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    QMenu* addTopMenu(const char* name, const QString& caption);
    QAction* addItem(QMenu* menu, const char* name, const QString& caption,
                     const QString& window = QString(), const QString& documentMode = QString());
    void addSeparator(QMenu* menu, const char* name);
    // The menus that one open window disables: warehouse or production.
    QList<QMenu*> bookMenus() const;
    void setBookMenusEnabled(bool enabled);
    void updateAccessKeys();
    void claimContext();

    QMdiArea* mdi_;
    QMenu* mnuNoviunos_;
    QMenu* mnuPregled_;
    QMenu* mnuizbor_;
    QMenu* mnualati_;
    QMenu* mnupomoc_;
    QString bookFile_;
    QString bookType_;
    QString companyId_;
    bool loaded_ = false;
};

}  // namespace kl
