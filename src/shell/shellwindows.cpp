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
#include "ui/windowregistry.h"
#include "warehouse/warehousewindows.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kl {

namespace {
bool quitting = false;
}

void showWindow(QWidget* window) {
    if (!window) return;
    if (!window->property("klPlaced").toBool()) {
        window->setProperty("klPlaced", true);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
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
