#include "shell/programfolder.h"

#include "data/fileops.h"
#include "shell/instancelock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kl {

namespace {

QString canonicalOr(const QString& path) {
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(QDir(path).absolutePath()) : c;
}

}  // namespace

QString chooseProgramFolder(const ProgramFolderInputs& in) {
    if (!in.environmentFolder.isEmpty())
        return QDir::cleanPath(QDir(in.environmentFolder).absolutePath());
    const bool installed = in.installedLayout || (!in.installedBinFolder.isEmpty() &&
                                                  QDir::cleanPath(in.executableFolder) ==
                                                      QDir::cleanPath(in.installedBinFolder));
    if (installed || !in.executableFolderWritable)
        return QDir::cleanPath(in.homeFolder + QStringLiteral("/KnjigeLumen"));
    return QDir::cleanPath(in.executableFolder);
}

ProgramFolderInputs currentProgramFolderInputs() {
    ProgramFolderInputs in;
    in.executableFolder = canonicalOr(QCoreApplication::applicationDirPath());
    in.installedBinFolder = canonicalOr(QStringLiteral(KL_INSTALL_BINDIR));
    in.installedLayout =
        QFileInfo(in.executableFolder).fileName() == QLatin1String("bin") &&
        QFileInfo(in.executableFolder + QStringLiteral("/../share/doc/knjigelumen/copyright"))
            .isFile();
    in.environmentFolder = qEnvironmentVariable("KNJIGE_LUMEN_DIR");
    in.homeFolder = QDir::homePath();
    in.executableFolderWritable = folderWritable(in.executableFolder);
    return in;
}

bool ensureProgramFolder(const QString& folder) {
    if (QFileInfo(folder).isDir()) return true;
    const QString parent = QFileInfo(folder).absolutePath();
    if (!QDir().mkpath(parent)) return false;
    return makePrivateFolder(folder);
}

QStringList guideFolderCandidates(const QString& executableFolder, const QString& programFolder) {
    return {QDir::cleanPath(executableFolder + QStringLiteral("/../share/doc/knjigelumen")),
            QStringLiteral(KL_INSTALL_DOCDIR), programFolder,
            QStringLiteral(KL_SOURCE_DIR "/docs")};
}

QString findGuide(const QStringList& candidates) {
    for (const QString& folder : candidates) {
        const QString path = QDir(folder).filePath(QStringLiteral("prirucnik.md"));
        if (QFileInfo(path).isFile()) return path;
    }
    return {};
}

}  // namespace kl
