#include "shell/runningcopy.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace kl {

namespace {

const QByteArray kRequest = QByteArrayLiteral("KNJIGE-LUMEN PRIKAZI PROZOR\n");
const QByteArray kAnswer = QByteArrayLiteral("OK\n");
constexpr int kIdleMs = 2000;
constexpr int kMostConnections = 8;

// A folder of this user's that nobody else may enter.
bool isPrivateFolder(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

QString privateRuntimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime)) return runtime;
    const QString own = QDir::tempPath() + QStringLiteral("/knjigelumen-%1").arg(::geteuid());
    ::mkdir(QFile::encodeName(own).constData(), 0700);  // an existing one is checked below
    return isPrivateFolder(own) ? own : QString();
}

// The peer of a local socket runs as this user.
bool peerIsThisUser(const QLocalSocket& socket) {
    struct ucred cred {};
    socklen_t size = sizeof cred;
    return ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &cred, &size) ==
               0 &&
           cred.uid == ::geteuid();
}

}  // namespace

QString runningCopySocketPath(const QString& folder) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QString runtime = privateRuntimeFolder();
    if (canonical.isEmpty() || runtime.isEmpty()) return {};
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(canonical), QCryptographicHash::Sha256).toHex();
    return runtime + QStringLiteral("/knjigelumen-") + QString::fromLatin1(hash.left(32)) +
           QStringLiteral(".sock");
}

RunningCopyServer::RunningCopyServer(QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    server_->setMaxPendingConnections(kMostConnections);
    connect(server_, &QLocalServer::newConnection, this, &RunningCopyServer::accept);
}

RunningCopyServer::~RunningCopyServer() = default;

bool RunningCopyServer::listen(const QString& folder) {
    const QString path = runningCopySocketPath(folder);
    if (path.isEmpty()) return false;
    // The folder's lock is ours, so a socket file there is a killed copy's.
    QLocalServer::removeServer(path);
    return server_->listen(path);
}

void RunningCopyServer::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (server_->findChildren<QLocalSocket*>().size() > kMostConnections ||
            !peerIsThisUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        QTimer::singleShot(kIdleMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        read(socket);
    }
}

void RunningCopyServer::read(QLocalSocket* socket) {
    const QByteArray got = socket->peek(kRequest.size() + 1);
    if (!kRequest.startsWith(got)) {
        socket->abort();  // not our request
        socket->deleteLater();
        return;
    }
    if (got.size() < kRequest.size()) return;  // the rest is still to come
    socket->read(kRequest.size());
    socket->write(kAnswer);
    socket->disconnectFromServer();
    emit showRequested();
}

bool askRunningCopyToShow(const QString& folder, int timeoutMs) {
    const QString path = runningCopySocketPath(folder);
    if (path.isEmpty()) return false;
    const QDeadlineTimer deadline(timeoutMs);
    const auto left = [&deadline] { return int(std::max<qint64>(1, deadline.remainingTime())); };
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(left()) || !peerIsThisUser(socket)) return false;
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(left())) return false;
    QByteArray answer;
    while (answer.size() < kAnswer.size() && !deadline.hasExpired()) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(left())) break;
        answer += socket.read(kAnswer.size() - answer.size());
    }
    return answer == kAnswer;
}

WindowRaiser::WindowRaiser(QObject* parent) : QObject(parent) {
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* w) {
        if (w) last_ = w;
    });
}

void WindowRaiser::raise() {
    QWindow* window = nullptr;
    if (QWidget* modal = QApplication::activeModalWidget()) window = modal->windowHandle();
    if (!window && last_ && last_->isVisible()) window = last_;
    if (!window) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowHandle()) window = w->windowHandle();
    }
    if (!window) return;
    if (window->windowStates() & Qt::WindowMinimized)
        window->setWindowStates(window->windowStates() & ~Qt::WindowMinimized);
    window->raise();
    window->requestActivate();
}

}  // namespace kl
