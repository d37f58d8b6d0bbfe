// One running copy per program folder: the lock held by one process refuses every other, it is
// free the moment its holder is killed, and the lock file is never emptied or replaced.
//
// The other processes are this test's own executable started with an argument:
//   --hold <folder>  takes the lock, prints "held" and waits to be killed;
//   --try <folder>   tries to take it and exits 0 (taken), 1 (held elsewhere) or 2 (failed).

#include "shell/instancelock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

using namespace kl;

namespace {

int holdLock(const char* folder) {
    const auto lock = InstanceLock::acquire(QString::fromLocal8Bit(folder));
    if (!lock) return 2;
    std::fputs("held\n", stdout);
    std::fflush(stdout);
    for (;;)
        ::pause();
}

int tryLock(const char* folder) {
    int error = 0;
    const auto lock = InstanceLock::acquire(QString::fromLocal8Bit(folder), &error);
    return lock ? 0 : error == EWOULDBLOCK ? 1 : 2;
}

// The inode and contents of a file, to see it was neither replaced nor truncated.
QString identity(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return QStringLiteral("missing");
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("unreadable");
    return QString::number(st.st_ino) + QLatin1Char(':') + QString::fromLatin1(f.readAll());
}

}  // namespace

class TstInstanceLock : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    // Starts a process of this executable holding the lock of the test folder.
    QProcess* startHolder() {
        auto* p = new QProcess(this);
        p->start(QCoreApplication::applicationFilePath(), {"--hold", dir_.path()});
        if (!p->waitForReadyRead(10000) || p->readAll() != "held\n") return nullptr;
        return p;
    }
    int tryInOtherProcess() {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), {"--try", dir_.path()});
        return p.waitForFinished(10000) ? p.exitCode() : -1;
    }
    QString lockFile() const { return dir_.filePath(InstanceLock::fileName()); }

  private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    // Whoever holds the lock, every other taker is refused while it lives, with the message
    // that names the folder; released, the lock goes to the next one.
    void oneHolderAtATime_data() {
        QTest::addColumn<bool>("holderHere");
        QTest::addColumn<bool>("takerHere");
        QTest::newRow("other process holds, this one tries") << false << true;
        QTest::newRow("this process holds, other one tries") << true << false;
        QTest::newRow("this process holds, this one tries again") << true << true;
    }
    void oneHolderAtATime() {
        QFETCH(bool, holderHere);
        QFETCH(bool, takerHere);
        std::optional<InstanceLock> mine;
        QProcess* other = nullptr;
        if (holderHere) {
            mine = InstanceLock::acquire(dir_.path());
            QVERIFY(mine);
        } else {
            QVERIFY(other = startHolder());
        }

        if (takerHere) {
            int error = 0;
            QVERIFY(!InstanceLock::acquire(dir_.path(), &error));
            QCOMPARE(error, EWOULDBLOCK);
            QCOMPARE(InstanceLock::refusal(dir_.path(), error),
                     QStringLiteral("Knjige Lumen je već pokrenut iz mape %1.\nDrugi primjerak "
                                    "programa ne smije raditi s istim podacima. Prijeđite na "
                                    "prozor programa koji je već otvoren.")
                         .arg(QDir::toNativeSeparators(dir_.path())));
        } else {
            QCOMPARE(tryInOtherProcess(), 1);
        }

        if (other) {
            other->kill();
            QVERIFY(other->waitForFinished(10000));
            delete other;
        }
        mine.reset();
        QCOMPARE(tryInOtherProcess(), 0);
        QVERIFY(InstanceLock::acquire(dir_.path()));
    }

    // A holder killed outright (no cleanup of its own runs) leaves nothing behind: the lock is
    // free at once, and the lock file is the same file with the same contents.
    void killedHolderFreesTheLock() {
        if (!QFile::exists(lockFile())) QVERIFY(InstanceLock::acquire(dir_.path()));
        {
            QFile f(lockFile());
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("keep");
        }
        const QString before = identity(lockFile());
        QProcess* holder = startHolder();
        QVERIFY(holder);
        QCOMPARE(identity(lockFile()), before);
        QCOMPARE(tryInOtherProcess(), 1);
        holder->kill();  // SIGKILL
        QVERIFY(holder->waitForFinished(10000));
        QCOMPARE(holder->exitStatus(), QProcess::CrashExit);
        delete holder;

        auto lock = InstanceLock::acquire(dir_.path());
        QVERIFY(lock);
        QCOMPARE(identity(lockFile()), before);
        lock.reset();
        QCOMPARE(identity(lockFile()), before);
    }

    // A folder that may not be written refuses before any lock is taken; one that may be, after
    // a file of the lock's name was made read-only, still locks.
    void folderRights() {
        QTemporaryDir dir;
        QVERIFY(folderWritable(dir.path()));
        QVERIFY(!folderWritable(dir.filePath("nema")));
        QFile f(dir.filePath(InstanceLock::fileName()));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(f.setPermissions(QFileDevice::ReadOwner));
        QVERIFY(InstanceLock::acquire(dir.path()));
        int error = 0;
        QVERIFY(!InstanceLock::acquire(dir.filePath("nema"), &error));
        QCOMPARE(error, ENOENT);
        QVERIFY(InstanceLock::refusal(dir.path(), error).startsWith("Program ne može zaključati"));
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--hold") == 0) return holdLock(argv[2]);
    if (argc == 3 && qstrcmp(argv[1], "--try") == 0) return tryLock(argv[2]);
    QCoreApplication app(argc, argv);
    TstInstanceLock test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_instancelock.moc"
