#include "shell/instancelock.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <cerrno>

namespace kl {

QString InstanceLock::fileName() {
    return QStringLiteral("knjigelumen.lock");
}

std::optional<InstanceLock> InstanceLock::acquire(const QString& folder, int* error) {
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(fileName()));
    // Never O_TRUNC: the file of a running copy must stay the very file that copy has locked.
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // A lock file left read-only still locks: flock does not need write access.
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error) *error = errno;
        return std::nullopt;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int err = errno;
        ::close(fd);
        if (error) *error = err;
        return std::nullopt;
    }
    if (error) *error = 0;
    return InstanceLock(fd);
}

QString InstanceLock::refusal(const QString& folder, int error) {
    const QString where = QDir::toNativeSeparators(folder);
    if (error == EWOULDBLOCK)
        return QStringLiteral(
                   "Knjige Lumen je već pokrenut iz mape %1.\nDrugi primjerak programa ne smije "
                   "raditi s istim podacima. Prijeđite na prozor programa koji je već otvoren.")
            .arg(where);
    return QStringLiteral(
               "Program ne može zaključati mapu programa %1 (datoteka %2), pa ne može jamčiti da "
               "s podacima radi samo jedan primjerak programa. Provjerite prava pristupa mapi.")
        .arg(where, fileName());
}

InstanceLock::InstanceLock(InstanceLock&& other) noexcept : fd_(other.fd_) {
    other.fd_ = -1;
}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

InstanceLock::~InstanceLock() {
    // Closing the only descriptor of the open file releases the lock.
    if (fd_ >= 0) ::close(fd_);
}

bool folderWritable(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    return ::faccessat(AT_FDCWD, path.constData(), W_OK | X_OK, AT_EACCESS) == 0;
}

}  // namespace kl
