// Where the program keeps its data: installed, portable, chosen by the environment; the folder
// made private on first start; the guide found in the first folder that has it, and opened from
// the help menu with its pictures.

#include "shell/programfolder.h"

#include "shell/frmprirucnik.h"
#include "shell/frmskladiste.h"
#include "shell/shellwindows.h"
#include "ui/windowregistry.h"

#include <QAction>
#include <QImage>
#include <QTextBrowser>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace kl;

class TstProgramFolder : public QObject {
    Q_OBJECT

    static int mode(const QString& path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
    }

  private slots:
    void choice_data() {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("env");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("layout");
        QTest::addColumn<QString>("expected");
        const QString home = QStringLiteral("/home/ana/KnjigeLumen");
        const QString usb = QStringLiteral("/media/usb/knjige");
        QTest::newRow("installed") << "/usr/bin"
                                   << "" << true << false << home;
        QTest::newRow("installed, path not clean") << "/usr/./bin/"
                                                   << "" << true << false << home;
        QTest::newRow("installed, environment") << "/usr/bin"
                                                << "/srv/kl" << true << false << "/srv/kl";
        QTest::newRow("unpacked package") << "/tmp/r/usr/bin"
                                          << "" << true << true << home;
        QTest::newRow("portable, ./run") << "/home/ana/KnjigeLumen"
                                         << "" << true << false << home;
        QTest::newRow("portable elsewhere") << usb << "" << true << false << usb;
        QTest::newRow("portable, environment") << usb << "/srv/k/" << true << false << "/srv/k";
        QTest::newRow("read-only folder") << "/opt/knjige"
                                          << "" << false << false << home;
        QTest::newRow("other bin folder") << "/usr/local/bin"
                                          << "" << true << false << "/usr/local/bin";
    }
    void choice() {
        QFETCH(QString, exe);
        QFETCH(QString, env);
        QFETCH(bool, writable);
        QFETCH(bool, layout);
        QFETCH(QString, expected);
        ProgramFolderInputs in;
        in.executableFolder = exe;
        in.installedBinFolder = QStringLiteral("/usr/bin");
        in.environmentFolder = env;
        in.homeFolder = QStringLiteral("/home/ana");
        in.executableFolderWritable = writable;
        in.installedLayout = layout;
        QCOMPARE(chooseProgramFolder(in), expected);
    }

    void folderMadePrivateOnce() {
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("home/ana/KnjigeLumen"));
        QVERIFY(ensureProgramFolder(folder));
        QCOMPARE(mode(folder), 0700);
        // An existing folder keeps the mode its owner gave it.
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ExeOwner | QFile::ReadGroup |
                                                  QFile::ExeGroup));
        QVERIFY(ensureProgramFolder(folder));
        QCOMPARE(mode(folder), 0750);
        // A file in its place is not a folder.
        QFile file(root.filePath(QStringLiteral("taken")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(!ensureProgramFolder(file.fileName()));
    }

    void guideFromFirstFolderThatHasIt() {
        QTemporaryDir root;
        const QStringList folders = {root.filePath("a"), root.filePath("b"), root.filePath("c")};
        for (const QString& f : folders)
            QVERIFY(QDir().mkpath(f));
        QCOMPARE(findGuide(folders), QString());
        for (const QString& f : {folders[1], folders[2]}) {
            QFile guide(f + QStringLiteral("/prirucnik.md"));
            QVERIFY(guide.open(QIODevice::WriteOnly));
        }
        QCOMPARE(findGuide(folders), folders[1] + QStringLiteral("/prirucnik.md"));
        // An installed program looks first beside its installation, then in the source tree.
        const QStringList c = guideFolderCandidates("/usr/bin", "/home/ana/KnjigeLumen");
        QCOMPARE(c.first(), QStringLiteral("/usr/share/doc/knjigelumen"));
        QVERIFY(c.last().endsWith(QStringLiteral("/docs")));
    }

    // "Priručnik" of the help menu: the guide of this source tree (or the installed one), with
    // the pictures it names loaded from its folder.
    void guideOpensFromHelpMenu() {
        defineShellWindows();
        {
            frmSkladiste main;
            auto* item = main.findChild<QAction*>(QStringLiteral("mnuprirucnik"));
            QVERIFY(item && item->isEnabled());
            item->trigger();
        }
        auto* guide = windows().loaded<frmPrirucnik>(win::Prirucnik);
        QVERIFY(guide && guide->isVisible());
        QTextBrowser* text = guide->browser();
        QVERIFY(text->toPlainText().contains(QStringLiteral("Sigurnosna kopija")));
        const QImage picture =
            text->document()
                ->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("slike/primka.png")))
                .value<QImage>();
        QVERIFY(!picture.isNull());
        windows().clear();
    }
};

QTEST_MAIN(TstProgramFolder)
#include "tst_programfolder.moc"
