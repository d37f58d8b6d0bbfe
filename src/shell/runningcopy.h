#pragma once
// A second copy started on the same program folder asks the running one to bring its window to
// the front, through a local socket, before it shows its message and stops (see InstanceLock).
//
// The socket lies in a folder only this user can enter ($XDG_RUNTIME_DIR, or a 0700 folder of
// ours in the temporary folder, both checked to be the user's own and closed to others), named by
// a hash of the program folder's canonical path, so each program folder has its own. Only the
// holder of the folder's lock listens, so a socket file found there is a killed copy's and may
// be replaced. Whatever connects, the server does one thing only: on the exact request it raises
// its own window; anything else, a peer of another user, or silence ends the connection.

#include <QObject>
#include <QPointer>
#include <QString>

class QLocalServer;
class QLocalSocket;
class QWindow;

namespace kl {

// The socket's path for the program folder `folder`; empty when no private folder can be had
// (then nobody listens and a second copy only shows its message).
QString runningCopySocketPath(const QString& folder);

class RunningCopyServer : public QObject {
    Q_OBJECT
  public:
    explicit RunningCopyServer(QObject* parent = nullptr);
    ~RunningCopyServer() override;

    // Listens for the folder `folder`; call only while holding its InstanceLock. False when it
    // cannot (the second copy then just shows its message).
    bool listen(const QString& folder);

  signals:
    void showRequested();

  private:
    void accept();
    void read(QLocalSocket* socket);

    QLocalServer* server_;
};

// Asks the copy running on `folder` to bring its window to the front; true when it answered.
// Never waits longer than `timeoutMs` in all, whatever the other end does.
bool askRunningCopyToShow(const QString& folder, int timeoutMs = 1500);

// Brings the program's window to the front: an open modal window first, otherwise the window
// the clerk last worked in, otherwise any shown one; a minimized one is shown again.
class WindowRaiser : public QObject {
    Q_OBJECT
  public:
    explicit WindowRaiser(QObject* parent = nullptr);
    void raise();

  private:
    QPointer<QWindow> last_;
};

}  // namespace kl
