// A second copy started on a program folder brings the running copy's window to the front: the
// request reaches the copy of that folder only, anything else sent to its socket does nothing,
// and the asker never waits past its time, whether nobody listens or the copy does not answer.
//
// The asker is this test's own executable started as `--ask <folder>`: it exits 0 when the
// running copy answered, 1 when not.

#include "shell/runningcopy.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <sys/stat.h>

using namespace kl;

class TstRunningCopy : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    int ask(const QString& folder, bool answering) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), {"--ask", folder});
        if (!answering) return p.waitForFinished(10000) ? p.exitCode() : -1;
        // The event loop runs meanwhile, so the server here can answer.
        for (QDeadlineTimer limit(10000); p.state() != QProcess::NotRunning && !limit.hasExpired();)
            QTest::qWait(10);
        return p.state() == QProcess::NotRunning ? p.exitCode() : -1;
    }

  private slots:
    // Each folder has its own socket, the same through a symbolic link, in a folder closed to
    // other users.
    void socketNamedByFolder() {
        QTemporaryDir other;
        const QString link = other.filePath("poveznica");
        QVERIFY(QFile::link(dir_.path(), link));
        const QString path = runningCopySocketPath(dir_.path());
        QVERIFY(!path.isEmpty());
        QCOMPARE(runningCopySocketPath(link), path);
        QVERIFY(runningCopySocketPath(other.path()) != path);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(QFileInfo(path).path()).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 077), 0);
    }

    // The request of a second copy raises the window; with the copy busy (its event loop not
    // running) or nobody listening on that folder, the asker gives up in time.
    void secondCopyAsksTheFirst() {
        RunningCopyServer server;
        QVERIFY(server.listen(dir_.path()));
        QSignalSpy raised(&server, &RunningCopyServer::showRequested);
        QCOMPARE(ask(dir_.path(), true), 0);
        QCOMPARE(raised.count(), 1);

        QElapsedTimer waited;
        waited.start();
        QCOMPARE(ask(dir_.path(), false), 1);
        QVERIFY2(waited.elapsed() < 5000, qPrintable(QString::number(waited.elapsed())));
        QTemporaryDir other;
        QCOMPARE(ask(other.path(), false), 1);
    }

    // Whatever else comes to the socket is cut off and raises nothing: other bytes, the request
    // with more after it, a flood, or part of the request and then silence.
    void strangeBytesDoNothing_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("other bytes") << QByteArray("GET / HTTP/1.0\r\n\r\n");
        QTest::newRow("request and more") << QByteArray("KNJIGE-LUMEN PRIKAZI PROZOR\nx");
        QTest::newRow("flood") << QByteArray(1 << 20, 'K');
        QTest::newRow("part, then silence") << QByteArray("KNJIGE-LUMEN");
    }
    void strangeBytesDoNothing() {
        QFETCH(QByteArray, bytes);
        RunningCopyServer server;
        QVERIFY(server.listen(dir_.path()));
        QSignalSpy raised(&server, &RunningCopyServer::showRequested);
        QLocalSocket socket;
        socket.connectToServer(runningCopySocketPath(dir_.path()));
        QVERIFY(socket.waitForConnected(1000));
        socket.write(bytes);
        QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QLocalSocket::UnconnectedState, 10000);
        QCOMPARE(raised.count(), 0);
    }

    // Raised, a minimized window is shown again.
    void minimizedWindowComesBack() {
        QWidget w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.showMinimized();
        QTRY_VERIFY(w.windowHandle()->windowStates() & Qt::WindowMinimized);
        WindowRaiser().raise();
        QTRY_VERIFY(!(w.windowHandle()->windowStates() & Qt::WindowMinimized));
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--ask") == 0) {
        QCoreApplication app(argc, argv);
        return askRunningCopyToShow(QString::fromLocal8Bit(argv[2]), 1500) ? 0 : 1;
    }
    QApplication app(argc, argv);
    TstRunningCopy test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_runningcopy.moc"
