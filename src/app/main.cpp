// Knjige Lumen: start-up. The program takes no arguments and reads no configuration file; its
// data lives in the program folder (see shell/programfolder.h).

#include "data/appcontext.h"
#include "data/dberror.h"
#include "data/schema.h"
#include "shell/books.h"
#include "shell/companymove.h"
#include "shell/dbtools.h"
#include "shell/frmabout.h"
#include "shell/instancelock.h"
#include "shell/programfolder.h"
#include "shell/runningcopy.h"
#include "shell/settle.h"
#include "shell/shellwindows.h"
#include "ui/msgboxhr.h"
#include "ui/reportrows.h"
#include "ui/windowregistry.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QIcon>
#include <QTimer>
#include <QWidget>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>

namespace {

// Start-up probe for the benchmark (bench/): with KNJIGE_LUMEN_STARTUP_PROBE set, the program
// writes "uvod" to its standard output when the splash window is first painted and "tvrtke" when
// the company list is, then quits. The benchmark times those lines from the process start.
class StartupProbe : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || !watched->isWidgetType()) return false;
        const QString window = static_cast<QWidget*>(watched)->window()->objectName();
        if (!splashSeen_ && window == QLatin1String("frmUvod")) {
            splashSeen_ = true;
            report("uvod");
        } else if (!listSeen_ && window == QLatin1String("frmIzborTvrtke")) {
            listSeen_ = true;
            report("tvrtke");
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

  private:
    static void report(const char* line) {
        std::fputs(line, stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    bool splashSeen_ = false;
    bool listSeen_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    // Books, journals, back-ups and prints are the company's business: everything the program
    // creates is readable by its owner only.
    ::umask(077);
    kl::keepRoomOfLongReads();
    // Without a display Qt would stop with a platform plugin error; say it plainly instead.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs(
            "Knjige Lumen: nema grafičkog zaslona (DISPLAY nije postavljen), program se ne "
            "može prikazati.\n",
            stderr);
        return 1;
    }
    QApplication app(argc, argv);
    if (!qEnvironmentVariableIsEmpty("KNJIGE_LUMEN_STARTUP_PROBE"))
        app.installEventFilter(new StartupProbe(&app));
    QApplication::setApplicationName(kl::applicationTitle());
    // No display name: the platform would append it to every window caption.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(kl::frmAbout::emblem(size));
    QApplication::setWindowIcon(icon);
    const QString folder = kl::chooseProgramFolder(kl::currentProgramFolderInputs());
    kl::ensureProgramFolder(folder);  // one that cannot be made is refused just below
    kl::context().programFolder = folder;
    // The program folder holds the books: closed to other users of the machine (a folder of
    // somebody else's is left as it is).
    if (struct stat st{}; ::stat(QFile::encodeName(folder).constData(), &st) == 0 &&
                          st.st_uid == ::geteuid() && (st.st_mode & 077) != 0)
        ::chmod(QFile::encodeName(folder).constData(), st.st_mode & 0700);

    // A folder the program may not write is said at once, before the first book fails.
    if (!kl::folderWritable(folder)) {
        kl::MsgBoxHr(QStringLiteral("U mapu programa %1 nije dopušteno pisati.\nProgram ne može "
                                    "spremati podatke; provjerite prava pristupa mapi.")
                         .arg(QDir::toNativeSeparators(folder)),
                     kl::MsgStyle::Critical);
        return 1;
    }
    // One copy of the program per program folder; held until the process ends.
    int lockError = 0;
    const std::optional<kl::InstanceLock> lock = kl::InstanceLock::acquire(folder, &lockError);
    if (!lock) {
        // The running copy's window comes to the front (if it answers at once), then the message.
        if (lockError == EWOULDBLOCK) kl::askRunningCopyToShow(folder);
        kl::MsgBoxHr(kl::InstanceLock::refusal(folder, lockError), kl::MsgStyle::Critical);
        return 1;
    }
    // A second copy started on this folder asks this one to show its window.
    kl::RunningCopyServer runningCopy;
    kl::WindowRaiser raiser;
    QObject::connect(&runningCopy, &kl::RunningCopyServer::showRequested, &raiser,
                     &kl::WindowRaiser::raise);
    runningCopy.listen(folder);
    // A restore stopped half way is completed or undone before anything opens a database.
    if (const QString restored = kl::finishInterruptedRestore(); !restored.isEmpty())
        kl::MsgBoxHr(restored, kl::MsgStyle::OkOnly | kl::MsgStyle::Exclamation,
                     QStringLiteral("Vraćanje sigurnosne kopije"));
    // Then the journals: our own unfinished changes taken back, strangers' moved aside.
    if (const QStringList settled = kl::settleInterruptedWrites(); !settled.isEmpty())
        kl::MsgBoxHr(settled.join(QStringLiteral("\n\n")), kl::MsgStyle::Exclamation);
    // Then a deletion or a book creation a kill stopped half-way is finished or undone.
    if (const QStringList notes = kl::finishInterruptedRemovals(); !notes.isEmpty())
        kl::MsgBoxHr(notes.join(QStringLiteral("\n\n")), kl::MsgStyle::Exclamation);
    // And a move of a company's books back from a server: put in place, or what it staged removed.
    if (const QStringList notes = kl::finishInterruptedReturns(); !notes.isEmpty())
        kl::MsgBoxHr(notes.join(QStringLiteral("\n\n")), kl::MsgStyle::Exclamation);

    // The register of companies must be usable before anything else is shown.
    try {
        kl::schema::ensureMasterDatabase(kl::context().masterPath());
    } catch (const kl::DbError& e) {
        kl::MsgBoxHr(QStringLiteral("Program ne može otvoriti popis tvrtki.\n") + e.description(),
                     kl::MsgStyle::Critical);
        return 1;
    }

    kl::defineShellWindows();
    kl::showWindow(kl::windows().window(kl::win::Uvod));
    const int rc = app.exec();
    kl::windows().clear();
    return rc;
}
