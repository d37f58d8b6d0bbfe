#include "data/fileops.h"

#include "data/dberror.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kl {

namespace {

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

void syncDescriptorOf(const QString& path, int flags, const QString& what) {
    const int fd = ::open(encoded(path).constData(), flags | O_CLOEXEC);
    if (fd < 0) return;
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    // A folder on a file system that cannot sync its entries (EINVAL) has nothing more to give.
    if (rc != 0 && err != EINVAL && err != EROFS)
        throw DbError(
            DbErrorCode::IoError,
            QStringLiteral("Zapis na disk nije dovršen (%1).").arg(QDir::toNativeSeparators(what)));
}

QString parentOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}

}  // namespace

void syncFolder(const QString& folder) {
    syncDescriptorOf(folder, O_RDONLY | O_DIRECTORY, folder);
}

void syncFile(const QString& path) {
    syncDescriptorOf(path, O_RDONLY, path);
}

bool renameNoReplace(const QString& from, const QString& to) {
    const QByteArray f = encoded(from);
    const QByteArray t = encoded(to);
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) != 0) {
        const int err = errno;
        if (err == EEXIST || err == ENOENT) return false;
        if (err != EINVAL && err != ENOSYS)
            throw DbError(err == ENOSPC                                   ? DbErrorCode::DiskFull
                          : err == EACCES || err == EPERM || err == EROFS ? DbErrorCode::ReadOnly
                                                                          : DbErrorCode::IoError,
                          QStringLiteral("Datoteku %1 nije moguće preimenovati.")
                              .arg(QFileInfo(from).fileName()));
        // No RENAME_NOREPLACE here: a hard link fails just as well when the name is taken.
        if (::link(f.constData(), t.constData()) != 0) return false;
        ::unlink(f.constData());
    }
    syncFolder(parentOf(to));
    if (parentOf(from) != parentOf(to)) syncFolder(parentOf(from));
    return true;
}

bool renameFolderNoReplace(const QString& from, const QString& to) {
    const QByteArray f = encoded(from);
    const QByteArray t = encoded(to);
    const auto fail = [&](int err) {
        return DbError(err == ENOSPC                                   ? DbErrorCode::DiskFull
                       : err == EACCES || err == EPERM || err == EROFS ? DbErrorCode::ReadOnly
                                                                       : DbErrorCode::IoError,
                       QStringLiteral("Mapu %1 nije moguće preimenovati (%2).")
                           .arg(QFileInfo(from).fileName(), QString::fromLocal8Bit(strerror(err))));
    };
    int rc = -1;
    int err = EINVAL;
    if (!testing::noRenameNoReplace) {
        rc = ::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE);
        err = errno;
    }
    if (rc != 0) {
        if (err == EEXIST || err == ENOENT || err == ENOTEMPTY) return false;
        if (err != EINVAL && err != ENOSYS) throw fail(err);
        struct stat st {};
        if (::lstat(f.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
        // The name taken first: mkdir fails when anything is there, a dangling link too.
        if (::mkdir(t.constData(), 0700) != 0) {
            if (errno == EEXIST) return false;
            throw fail(errno);
        }
        if (::rename(f.constData(), t.constData()) != 0) {
            const int renameErr = errno;
            ::rmdir(t.constData());  // only while it is still our empty folder
            if (renameErr == ENOTEMPTY || renameErr == EEXIST || renameErr == ENOENT) return false;
            throw fail(renameErr);
        }
    }
    syncFolder(parentOf(to));
    if (parentOf(from) != parentOf(to)) syncFolder(parentOf(from));
    return true;
}

namespace {

// Writes all of `bytes` to `fd`, syncs it and closes it; false when any of it failed.
bool writeAllAndSync(int fd, const QByteArray& bytes) {
    qint64 done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += n;
    }
    ok = ok && ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

bool writeNewFileInPlace(const QString& path, const QByteArray& bytes) {
    const QByteArray p = encoded(path);
    const int fd =
        ::open(p.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    bool ok = writeAllAndSync(fd, bytes);
    if (ok) syncFolder(parentOf(path));
    return ok;
}

bool removeDurably(const QString& path) {
    if (::unlink(encoded(path).constData()) != 0 && errno != ENOENT) return false;
    syncFolder(parentOf(path));
    return true;
}

bool writeNewFileDurably(const QString& path, const QByteArray& bytes) {
    if (QFileInfo(path).exists() || QFileInfo(path).isSymLink()) return false;
    const QString tmp = path + QStringLiteral(".nova-%1").arg(::getpid());
    const QByteArray t = encoded(tmp);
    ::unlink(t.constData());
    const int fd = ::open(t.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = writeAllAndSync(fd, bytes);
    ok = ok && ::link(t.constData(), encoded(path).constData()) == 0;
    ::unlink(t.constData());
    if (ok) syncFolder(parentOf(path));
    return ok;
}

bool makePrivateFolder(const QString& path) {
    if (QFileInfo(path).isDir()) return true;
    if (::mkdir(encoded(path).constData(), 0700) != 0 && errno != EEXIST) return false;
    syncFolder(parentOf(path));
    return QFileInfo(path).isDir();
}

bool isInsideFolder(const QString& folder, const QString& path) {
    const QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty()) return false;
    const QFileInfo fi(path);
    QString resolved;
    if (fi.isSymLink()) return false;
    if (fi.exists()) {
        resolved = fi.canonicalFilePath();
    } else {
        const QString parent = QFileInfo(fi.absolutePath()).canonicalFilePath();
        if (parent.isEmpty()) return false;
        if (fi.fileName() == QLatin1String("..") || fi.fileName() == QLatin1String("."))
            return false;
        resolved = parent + QLatin1Char('/') + fi.fileName();
    }
    return resolved == root || resolved.startsWith(root + QLatin1Char('/'));
}

QString fileSha256(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&f)) return {};
    return QString::fromLatin1(hash.result().toHex());
}

namespace testing {
bool noRenameNoReplace = false;
}  // namespace testing

}  // namespace kl
