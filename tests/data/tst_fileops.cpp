// The careful file operations: what counts as inside a folder, and renames that never replace.

#include "data/fileops.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kl;

class TstFileOps : public QObject {
    Q_OBJECT

  private:
    static void touch(const QString& path, const QByteArray& bytes = "x") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

  private slots:
    void insideFolder_data() {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("inside");
        QTest::newRow("plain file") << "Skladiste1.mdb" << true;
        QTest::newRow("missing file") << "Skladiste9.mdb" << true;
        QTest::newRow("subfolder file") << "sub/a.mdb" << true;
        QTest::newRow("dot-dot out") << "../x/Racun1.mdb" << false;
        QTest::newRow("dot-dot back in") << "sub/../Skladiste1.mdb" << true;
        QTest::newRow("link to outside") << "outlink" << false;
        QTest::newRow("through linked folder") << "outdir/a.mdb" << false;
        QTest::newRow("missing parent") << "nowhere/a.mdb" << false;
    }
    void insideFolder() {
        QFETCH(QString, relative);
        QFETCH(bool, inside);
        QTemporaryDir outer;
        const QString root = outer.filePath(QStringLiteral("prog"));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/sub")));
        QVERIFY(QDir().mkpath(outer.filePath(QStringLiteral("x"))));
        touch(root + QStringLiteral("/Skladiste1.mdb"));
        touch(root + QStringLiteral("/sub/a.mdb"));
        touch(outer.filePath(QStringLiteral("x/Racun1.mdb")));
        QVERIFY(QFile::link(outer.filePath(QStringLiteral("x/Racun1.mdb")),
                            root + QStringLiteral("/outlink")));
        QVERIFY(QFile::link(outer.filePath(QStringLiteral("x")), root + QStringLiteral("/outdir")));
        QCOMPARE(isInsideFolder(root, root + QLatin1Char('/') + relative), inside);
    }

    void renameNeverReplaces() {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a")), b = dir.filePath(QStringLiteral("b"));
        touch(a, "old");
        touch(b, "keep");
        QVERIFY(!renameNoReplace(a, b));
        QFile fb(b);
        QVERIFY(fb.open(QIODevice::ReadOnly));
        QCOMPARE(fb.readAll(), QByteArray("keep"));
        QVERIFY(!renameNoReplace(dir.filePath(QStringLiteral("none")), a + QStringLiteral("2")));
        QVERIFY(renameNoReplace(a, a + QStringLiteral("2")));
        QVERIFY(!QFile::exists(a));
    }

    // A folder is renamed only to a free name, also where the file system has no
    // RENAME_NOREPLACE: an empty folder, a file or a dangling link there is never replaced.
    void folderRenameNeverReplaces_data() {
        QTest::addColumn<bool>("noReplace");
        QTest::newRow("renameat2") << false;
        QTest::newRow("mkdir, then rename") << true;
    }
    void folderRenameNeverReplaces() {
        QFETCH(bool, noReplace);
        testing::noRenameNoReplace = noReplace;
        QTemporaryDir dir;
        const QDir d(dir.path());
        QVERIFY(d.mkpath(QStringLiteral("a")) && d.mkpath(QStringLiteral("prazna")));
        touch(d.filePath(QStringLiteral("a/x")));
        touch(d.filePath(QStringLiteral("f")), "keep");
        QVERIFY(QFile::link(d.filePath(QStringLiteral("nema")), d.filePath(QStringLiteral("l"))));
        for (const char* taken : {"prazna", "f", "l"})
            QVERIFY(!renameFolderNoReplace(d.filePath(QStringLiteral("a")),
                                           d.filePath(QLatin1String(taken))));
        QVERIFY(renameFolderNoReplace(d.filePath(QStringLiteral("a")),
                                      d.filePath(QStringLiteral("b"))));
        testing::noRenameNoReplace = false;
        QVERIFY(QFileInfo::exists(d.filePath(QStringLiteral("b/x"))));
        QVERIFY(!QFileInfo::exists(d.filePath(QStringLiteral("a"))));
        QVERIFY(QDir(d.filePath(QStringLiteral("prazna"))).isEmpty());
        QFile f(d.filePath(QStringLiteral("f")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep"));
        QVERIFY(QFileInfo(d.filePath(QStringLiteral("l"))).isSymLink());
    }

    void newFileIsPrivateAndNeverOverwrites() {
        QTemporaryDir dir;
        const QString p = dir.filePath(QStringLiteral("m.txt"));
        QVERIFY(writeNewFileDurably(p, "abc"));
        QCOMPARE(QFile(p).permissions() & (QFile::ReadGroup | QFile::ReadOther),
                 QFile::Permissions());
        QVERIFY(!writeNewFileDurably(p, "xyz"));
        QCOMPARE(
            fileSha256(p),
            QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("m.txt")});
    }
};

QTEST_GUILESS_MAIN(TstFileOps)
#include "tst_fileops.moc"
