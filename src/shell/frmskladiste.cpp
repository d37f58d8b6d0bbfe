#include "shell/frmskladiste.h"

#include "data/appcontext.h"
#include "data/dberror.h"
#include "shell/books.h"
#include "shell/frmabout.h"
#include "shell/frmprirucnik.h"
#include "shell/shellwindows.h"
#include "ui/childwindow.h"
#include "ui/msgboxhr.h"
#include "ui/windowregistry.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QShortcut>

#include <algorithm>

namespace kl {

frmSkladiste::frmSkladiste(QWidget* parent) : QMainWindow(parent) {
    setObjectName(win::Skladiste);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Skladište"));

    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("mdiArea"));
    mdi_->setBackground(QColor(0x5a, 0x6e, 0x84));
    setCentralWidget(mdi_);

    mnuNoviunos_ = addTopMenu("mnuNoviunos", QStringLiteral("&Novi unos"));
    addItem(mnuNoviunos_, "mnuArtikala", QStringLiteral("Artikala"), QStringLiteral("frmartikli"));
    addItem(mnuNoviunos_, "mnuPrimki", QStringLiteral("Primki"), QStringLiteral("frmPrimka"),
            QStringLiteral("Primka"));
    // A receipt from a received e-invoice; Ctrl+E while no window of the book is open (the book
    // menus are off then).
    addItem(mnuNoviunos_, "mnuEracun", QStringLiteral("Učitaj &e-račun..."),
            QStringLiteral("frmeracun"), QStringLiteral("Primka"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    addItem(mnuNoviunos_, "mnuIzdatnica", QStringLiteral("Izdatnica"), QStringLiteral("frmPrimka"),
            QStringLiteral("Izdatnica"));
    // Goods to another warehouse book of the company: an issue here, a receipt there.
    addItem(mnuNoviunos_, "mnuMedjuskladisnica", QStringLiteral("Međuskladišnica"),
            QStringLiteral("frmmedjuskladisnica"));
    addItem(mnuNoviunos_, "mnuKupaca", QStringLiteral("Kupaca/dobavljača"),
            QStringLiteral("frmunos"));
    // The stock-taking of the book.
    addItem(mnuNoviunos_, "mnuInventura", QStringLiteral("Inventura"),
            QStringLiteral("frmInventura"));
    addSeparator(mnuNoviunos_, "mnucrta");
    connect(addItem(mnuNoviunos_, "mnuizlaz", QStringLiteral("Izlaz")), &QAction::triggered, this,
            &QWidget::close);

    mnuPregled_ = addTopMenu("mnuPregled", QStringLiteral("&Pregled"));
    addItem(mnuPregled_, "mnuArtikala1", QStringLiteral("Artikala"),
            QStringLiteral("frmPregledart"));
    addItem(mnuPregled_, "mnuPrimki1", QStringLiteral("Primki"),
            QStringLiteral("frmpregledprimki"));
    addItem(mnuPregled_, "mnuIzdatnica1", QStringLiteral("Izdatnica"),
            QStringLiteral("frmpregledizdatnice"));
    addItem(mnuPregled_, "mnuKupaca1", QStringLiteral("Kupaca/dobavljača"),
            QStringLiteral("frmpregledkupacadobavljaca"));
    addItem(mnuPregled_, "mnuDnevnika1", QStringLiteral("Dnevnika"),
            QStringLiteral("frmpregleddnevnika"));

    mnuizbor_ = addTopMenu("mnuizbor", QStringLiteral("&Izbor"));
    addItem(mnuizbor_, "mnuproizvodi", QStringLiteral("Proizvodi"), QStringLiteral("frmproizvodi"));
    addItem(mnuizbor_, "mnuradninalozi", QStringLiteral("Radni nalozi"), QStringLiteral("frmrn"));
    addSeparator(mnuizbor_, "mnucrta2");
    connect(addItem(mnuizbor_, "mnuizlazrn", QStringLiteral("Izlaz")), &QAction::triggered, this,
            &QWidget::close);

    mnualati_ = addTopMenu("mnualati", QStringLiteral("&Alati"));

    mnupomoc_ = addTopMenu("mnupomoc", QStringLiteral("Pomo&ć"));
    connect(addItem(mnupomoc_, "mnupomoc1", QStringLiteral("O programu...")), &QAction::triggered,
            this, &frmSkladiste::showProgramGuide);
    connect(addItem(mnupomoc_, "mnunama", QStringLiteral("O nama...")), &QAction::triggered, this,
            &frmSkladiste::showAboutPage);
    // The user guide, with pictures, in a window of its own.
    addSeparator(mnupomoc_, "mnucrta3");
    connect(addItem(mnupomoc_, "mnuprirucnik", QStringLiteral("Priručnik")), &QAction::triggered,
            this, [] { showUserGuide(); });

    for (QMenu* m : {mnuNoviunos_, mnuPregled_, mnuizbor_, mnualati_})
        m->menuAction()->setVisible(false);
    updateAccessKeys();

    // F10 opens the menu bar on its first menu the clerk can use, in both book kinds.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    f10->setContext(Qt::WindowShortcut);
    connect(f10, &QShortcut::activated, this, [this] {
        for (QAction* a : menuBar()->actions()) {
            if (a->isVisible() && a->isEnabled() && a->menu()) {
                menuBar()->setActiveAction(a);
                return;
            }
        }
    });
    resize(1024, 700);
}

QMenu* frmSkladiste::addTopMenu(const char* name, const QString& caption) {
    QMenu* menu = menuBar()->addMenu(caption);
    menu->setProperty("klTitle", caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction* frmSkladiste::addItem(QMenu* menu, const char* name, const QString& caption,
                               const QString& window, const QString& documentMode) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    if (!window.isEmpty()) {
        // Windows that this version of the program does not have yet stay greyed out.
        item->setEnabled(windows().isDefined(window));
        connect(menu, &QMenu::aboutToShow, item,
                [item, window] { item->setEnabled(windows().isDefined(window)); });
        connect(item, &QAction::triggered, this,
                [this, window, documentMode] { openChild(window, documentMode); });
    }
    return item;
}

void frmSkladiste::addSeparator(QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}

void frmSkladiste::claimContext() {
    // Another book may have been marked in the register meanwhile; this window and the windows
    // inside it always work on their own book.
    if (!loaded_) return;
    context().currentBookFile = bookFile_;
    context().currentBookType = bookType_;
}

bool frmSkladiste::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) claimContext();
    return QMainWindow::event(event);
}

void frmSkladiste::showBook() {
    if (!loaded_) {
        bookFile_ = context().currentBookFile;
        bookType_ = context().currentBookType;
        const bool warehouse = bookType_ == kWarehouseKind;
        const bool production = bookType_ == kProductionKind;
        mnuNoviunos_->menuAction()->setVisible(warehouse);
        mnuPregled_->menuAction()->setVisible(warehouse);
        mnuizbor_->menuAction()->setVisible(production);
        mnupomoc_->menuAction()->setVisible(true);
        updateAccessKeys();
        try {
            // A book whose file was made and is gone lost its data: a new, empty file must not
            // take its place unnoticed.
            if ((warehouse || production) && !prepareBookFile(bookFile_, bookType_)) {
                MsgBoxHr(QStringLiteral("Datoteka knjige %1 ne postoji, a knjiga je već imala "
                                        "podatke. Knjiga se ne otvara, da njeni podaci ne bi "
                                        "bili zamijenjeni praznom knjigom.\nVratite datoteku u "
                                        "mapu programa ili vratite sigurnosnu kopiju (Alati).")
                             .arg(QFileInfo(context().bookPath(bookFile_)).fileName()),
                         MsgStyle::OkOnly | MsgStyle::Critical,
                         QStringLiteral("Knjigu nije moguće otvoriti"));
                close();
                return;
            }
        } catch (const DbError& e) {
            showDbError(QStringLiteral("Knjigu nije moguće otvoriti."), e);
            close();
            return;
        }
        loaded_ = true;
        // Where the clerk left it last time, maximised the first time.
        if (restorePlacement(this))
            show();
        else
            showMaximized();
    } else {
        claimContext();
        show();
    }
    raise();
    activateWindow();
}

QList<QMenu*> frmSkladiste::bookMenus() const {
    if (bookType_ == kProductionKind) return {mnuizbor_};
    return {mnuNoviunos_, mnuPregled_};
}

void frmSkladiste::setBookMenusEnabled(bool enabled) {
    for (QMenu* m : bookMenus())
        m->menuAction()->setEnabled(enabled);
    updateAccessKeys();
}

// Only a menu the clerk can open holds its access key: a disabled menu gives up its key (Alt+P
// of "&Pregled"), which then belongs to the open window's buttons ("&Primi u skladiste",
// "&Prihvati listu"), and the menu bar takes the keys of hidden menus too ("&Alati" would take
// Alt+A from "Unos novog &artikla..."). "Pomo&ć" takes a key no button of the program uses.
void frmSkladiste::updateAccessKeys() {
    for (QMenu* m : {mnuNoviunos_, mnuPregled_, mnuizbor_, mnualati_, mnupomoc_}) {
        const QString title = m->property("klTitle").toString();
        const bool usable = m->menuAction()->isVisible() && m->menuAction()->isEnabled();
        const QString shown = usable ? title : QString(title).remove(QLatin1Char('&'));
        if (m->title() != shown) m->setTitle(shown);
    }
}

QWidget* frmSkladiste::openChild(const QString& name, const QString& documentMode) {
    if (!windows().isDefined(name)) return nullptr;
    claimContext();
    setBookMenusEnabled(false);
    if (!documentMode.isEmpty()) context().documentMode = documentMode;
    QWidget* w = windows().window(name);
    if (!w) {
        setBookMenusEnabled(true);
        return nullptr;
    }

    QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    if (!sub) {
        if (auto* child = qobject_cast<ChildWindow*>(w)) {
            sub = child->showInMdiArea(mdi_);
        } else {
            sub = mdi_->addSubWindow(w);
            sub->setAttribute(Qt::WA_DeleteOnClose);
            sub->show();
        }
        // The menus come back when the window closes, however it is closed.
        if (auto* child = qobject_cast<ChildWindow*>(w))
            connect(child, &ChildWindow::closed, this, [this] { setBookMenusEnabled(true); });
        else
            connect(sub, &QObject::destroyed, this, [this] { setBookMenusEnabled(true); });
    }
    sub->show();
    centreInArea(sub);
    mdi_->setActiveSubWindow(sub);
    if (auto* child = qobject_cast<ChildWindow*>(w))
        child->focusFirstControl();
    else
        w->setFocus();
    return w;
}

void frmSkladiste::showProgramGuide() {
    if (auto* about = windows().window<frmAbout>(win::About)) about->showGuide();
}

void frmSkladiste::showAboutPage() {
    if (auto* about = windows().window<frmAbout>(win::About)) about->showAboutPage();
}

void frmSkladiste::closeEvent(QCloseEvent* event) {
    // Every window of the book closes first; one that keeps itself open (unsaved entries the
    // clerk wants to keep) keeps the book open too.
    mdi_->closeAllSubWindows();
    const QList<QMdiSubWindow*> subs = mdi_->subWindowList();
    if (std::any_of(subs.cbegin(), subs.cend(), [](QMdiSubWindow* s) { return !s->isHidden(); })) {
        event->ignore();
        return;
    }
    event->accept();
    windows().forget(this);
    if (isQuitting()) return;
    // Back to the book register (still open beneath), or the company register without it.
    QWidget* back = windows().loaded(win::IzborKnjige);
    if (!back) back = windows().window(win::IzborTvrtke);
    showWindow(back);
}

}  // namespace kl
