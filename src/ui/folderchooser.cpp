#include "ui/folderchooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QIdentityProxyModel>
#include <QToolButton>
#include <QUrl>

#include <utility>

namespace kl {

namespace {

// The file list's column headings in Croatian (the dialog's own are English without a loaded
// translation).
class CroatianHeadings : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        static const char* const names[] = {"Naziv", "Veličina", "Vrsta", "Promijenjeno"};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
            return QString::fromUtf8(names[section]);
        return QIdentityProxyModel::headerData(section, orientation, role);
    }
};

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
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Odaberi"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Odustani"));
    dialog.setProxyModel(new CroatianHeadings(&dialog));
    QList<QUrl> places = {QUrl::fromLocalFile(QDir::homePath())};
    if (removableMediaFolder() != QDir::homePath())
        places << QUrl::fromLocalFile(removableMediaFolder());
    dialog.setSidebarUrls(places);
    // Only folders are listed: the file type choice has nothing to offer.
    for (const char* name : {"fileTypeCombo", "fileTypeLabel"})
        if (auto* w = dialog.findChild<QWidget*>(QLatin1String(name))) w->hide();
    const std::pair<const char*, const char*> tips[] = {
        {"backButton", "Natrag"},         {"forwardButton", "Naprijed"},
        {"toParentButton", "Mapa iznad"}, {"newFolderButton", "Nova mapa"},
        {"listModeButton", "Popis"},      {"detailModeButton", "Pojedinosti"}};
    for (const auto& [name, tip] : tips)
        if (auto* b = dialog.findChild<QToolButton*>(QLatin1String(name)))
            b->setToolTip(QString::fromUtf8(tip));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

void setFolderChooser(FolderChooser c) {
    chooser() = std::move(c);
}

}  // namespace kl
