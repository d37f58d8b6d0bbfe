// Knjige Lumen: start-up. The program takes no arguments and reads no configuration; its data
// lives in the folder of its executable.

#include "data/appcontext.h"
#include "data/dberror.h"
#include "data/schema.h"
#include "ui/msgboxhr.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QVBoxLayout>

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
    QApplication::setApplicationDisplayName(kl::applicationTitle());
    kl::context().programFolder = QCoreApplication::applicationDirPath();

    try {
        kl::schema::ensureMasterDatabase(kl::context().masterPath());
    } catch (const kl::DbError& e) {
        kl::MsgBoxHr(e.description(), kl::MsgStyle::Critical);
        return 1;
    }

    // Until the company register is in place the program opens on its title window.
    QMainWindow window;
    window.setObjectName(QStringLiteral("frmUvod"));
    window.setWindowTitle(QStringLiteral("Uvod"));
    auto* central = new QWidget(&window);
    auto* layout = new QVBoxLayout(central);
    auto* brand = new QLabel(QStringLiteral("Lumen"), central);
    brand->setObjectName(QStringLiteral("Label1"));
    QFont big = brand->font();
    big.setPointSize(36);
    big.setBold(true);
    brand->setFont(big);
    brand->setAlignment(Qt::AlignCenter);
    auto* name = new QLabel(QStringLiteral("Knjigovodstveni programi"), central);
    name->setObjectName(QStringLiteral("lblNaziv"));
    name->setAlignment(Qt::AlignCenter);
    layout->addWidget(brand);
    layout->addWidget(name);
    window.setCentralWidget(central);
    window.resize(500, 300);
    window.show();
    return app.exec();
}
