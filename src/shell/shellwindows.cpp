#include "shell/shellwindows.h"

#include "production/productionwindows.h"
#include "reports/reportwindows.h"
#include "shell/frmabout.h"
#include "shell/frmalati.h"
#include "shell/frmizborknjige.h"
#include "shell/frmizbortvrtke.h"
#include "shell/frmprirucnik.h"
#include "shell/frmskladiste.h"
#include "shell/frmupisnove.h"
#include "shell/frmuvod.h"
#include "shell/settings.h"
#include "ui/windowregistry.h"
#include "warehouse/warehousewindows.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kl {

namespace {

bool quitting = false;

// Remembers a window's placement each time it is hidden.
class PlacementKeeper : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && watched == parent())
            rememberPlacement(static_cast<QWidget*>(watched));
        return false;
    }
};

}  // namespace

bool restorePlacement(QWidget* window) {
    if (!window->property("klRemembered").toBool()) {
        window->setProperty("klRemembered", true);
        window->installEventFilter(new PlacementKeeper(window));
    }
    const auto placement =
        settings::parsePlacement(settings::valueOr(settings::windowKey(window->objectName())));
    if (!placement) return false;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    const QRect rect = settings::keptOnScreens(placement->rect, screens);
    window->resize(rect.size());  // a window of fixed size keeps its own
    window->move(rect.topLeft());
    if (placement->maximized) window->setWindowState(window->windowState() | Qt::WindowMaximized);
    return true;
}

void rememberPlacement(QWidget* window) {
    if (!window->isWindow() || window->objectName().isEmpty()) return;
    settings::Placement p;
    p.maximized = window->isMaximized();
    if (p.maximized) {
        // The normal geometry is that of the inside; the position kept is the frame's.
        const QPoint frameOffset = window->geometry().topLeft() - window->pos();
        p.rect = window->normalGeometry().translated(-frameOffset);
    } else {
        p.rect = QRect(window->pos(), window->size());
    }
    if (p.rect.isEmpty()) return;
    settings::trySetValue(settings::windowKey(window->objectName()), settings::placementText(p));
}

void showWindow(QWidget* window) {
    if (!window) return;
    if (!window->property("klPlaced").toBool()) {
        window->setProperty("klPlaced", true);
        // The start-up window always stands in the middle.
        const bool remembered = window->objectName() != win::Uvod && restorePlacement(window);
        if (const QScreen* screen = QGuiApplication::primaryScreen(); screen && !remembered) {
            QRect frame = window->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            window->move(frame.topLeft());
        }
    }
    window->show();
    window->raise();
    window->activateWindow();
}

bool isQuitting() {
    return quitting;
}

void setQuitting(bool on) {
    quitting = on;
}

void defineShellWindows() {
    WindowRegistry& w = windows();
    w.define(win::Uvod, [] { return new frmUvod; });
    w.define(win::IzborTvrtke, [] { return new frmIzborTvrtke; });
    w.define(win::UpisNove, [] { return new frmUpisNove; });
    w.define(win::IzborKnjige, [] { return new frmIzborKnjige; });
    w.define(win::Skladiste, [] { return new frmSkladiste; });
    w.define(win::About, [] { return new frmAbout; });
    w.define(win::Alati, [] { return new frmAlati; });
    w.define(win::Prirucnik, [] { return new frmPrirucnik; });
    defineWarehouseWindows();
    defineReportWindows();
    defineProductionWindows();
}

}  // namespace kl
