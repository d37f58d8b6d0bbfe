#include "ui/folderchooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace kl {

namespace {

FolderChooser& chooser() {
    static FolderChooser c;
    return c;
}

}  // namespace

QString removableMediaFolder() {
    const QString user = QDir::home().dirName();
    for (const QString& base : {QStringLiteral("/media/"), QStringLiteral("/run/media/")}) {
        const QString path = base + user;
        if (QFileInfo(path).isDir()) return path;
    }
    return QDir::homePath();
}

QString chooseFolder(QWidget* parent, const QString& title, const QString& start) {
    const QString from = start.isEmpty() ? removableMediaFolder() : start;
    if (chooser()) return chooser()(title, from);
    // Qt's own dialog, so that its captions can be given in Croatian.
    QFileDialog dialog(parent, title, from);
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Traži u:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Mapa:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Vrsta:"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Odaberi"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Odustani"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

void setFolderChooser(FolderChooser c) {
    chooser() = std::move(c);
}

}  // namespace kl
