#pragma once
// Choosing a folder (a USB stick for a back-up copy) with Qt's own folder dialog, its captions in
// Croatian. Tests answer it through the seam below instead of showing it.

#include <QString>

#include <functional>

class QWidget;

namespace kl {

// The folder the clerk chose, or "" when the dialog was cancelled. `start` is where the dialog
// opens; an empty one opens on the folder of mounted removable media (/media/<user>,
// /run/media/<user>) when there is one, otherwise on the home folder.
QString chooseFolder(QWidget* parent, const QString& title, const QString& start = QString());

// The folder the dialog opens on when `start` is empty.
QString removableMediaFolder();

// Test seam: while set, no dialog is shown; the function gets the title and the start folder
// and returns the chosen folder. Pass an empty function to restore the real dialog.
using FolderChooser = std::function<QString(const QString& title, const QString& start)>;
void setFolderChooser(FolderChooser chooser);

}  // namespace kl
