// Knjige Lumen: start-up. The program takes no arguments and reads no configuration; its data
// lives in the folder of its executable.

#include "data/appcontext.h"
#include "data/dberror.h"
#include "data/schema.h"
#include "shell/frmabout.h"
#include "shell/shellwindows.h"
#include "ui/msgboxhr.h"
#include "ui/windowregistry.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char** argv) {
    // Without a display Qt would stop with a platform plugin error; say it plainly instead.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs(
            "Knjige Lumen: nema grafičkog zaslona (DISPLAY nije postavljen), program se ne "
            "može prikazati.\n",
            stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(kl::applicationTitle());
    // No display name: the platform would append it to every window caption.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(kl::frmAbout::emblem(size));
    QApplication::setWindowIcon(icon);
    kl::context().programFolder = QCoreApplication::applicationDirPath();

    // The register of companies must be usable before anything else is shown.
    try {
        kl::schema::ensureMasterDatabase(kl::context().masterPath());
    } catch (const kl::DbError& e) {
        kl::MsgBoxHr(QStringLiteral("Program ne može otvoriti popis tvrtki.\n") + e.description(),
                     kl::MsgStyle::Critical);
        return 1;
    }

    kl::defineShellWindows();
    kl::showWindow(kl::windows().window(kl::win::Uvod));
    const int rc = app.exec();
    kl::windows().clear();
    return rc;
}
