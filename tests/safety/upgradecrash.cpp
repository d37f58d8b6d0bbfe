// Kill test of the upgrade of files made by an earlier version of the program. A child process
// opens the register and the books of a program folder holding such files (the upgrade runs as
// each is opened) and is killed with SIGKILL: once at every statement of the upgrade in turn
// (the child kills itself from the upgrade's step hook) and then at timed moments. After every
// kill the start-up settling runs, and each file must hold exactly the rows it held before
// (ids and id counters too), still at its old version or upgraded; opened once more, every
// file is at the current version with the same rows and takes a 34-character account.
//
//   upgradecrash                          the parent (the CTest run)
//   upgradecrash --child <folder> <step>  the child: kill itself at upgrade step <step> (0: never;
//                                         -1: wait for a line on stdin first, for timed kills)

#include "data/appcontext.h"
#include "data/database.h"
#include "data/dberror.h"
#include "data/schema.h"
#include "shell/settle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <sqlite3.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <map>

using namespace kl;

namespace {

const QStringList kFiles = {QStringLiteral("tvrtke.mdb"), QStringLiteral("Skladiste1.mdb"),
                            QStringLiteral("Proizvodnja2.mdb")};

int killStep = 0;

int runChild(const QString& folder, int step) {
    context().programFolder = folder;
    if (step < 0) {
        std::string line;
        std::cout << "ready" << std::endl;
        std::getline(std::cin, line);
    } else {
        // Counted over the upgrades of all the files, one after the other.
        killStep = step;
        schema::testing::upgradeStepHook = [](int) {
            static int seen = 0;
            if (++seen == killStep) ::raise(SIGKILL);
        };
    }
    try {
        for (const QString& name : kFiles)
            Database::open(QDir(folder).filePath(name)).close();
    } catch (const DbError& e) {
        std::cerr << e.description().toStdString() << std::endl;
        return 2;
    }
    return 0;
}

// What a file holds, read without changing it: user_version, then every row of every table of
// the earlier version's schema and the id counters, as text.
struct Content {
    int version = -1;
    QStringList rows;
};

Content read(const QString& path) {
    Content c;
    sqlite3* db = nullptr;
    const QByteArray uri = "file:" + QFile::encodeName(path) + "?mode=ro";
    if (sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return c;
    }
    const auto each = [&](const QString& sql, bool version) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
            c.rows << QStringLiteral("cannot read: ") + sql;
            return;
        }
        while (sqlite3_step(st) == SQLITE_ROW) {
            if (version) {
                c.version = sqlite3_column_int(st, 0);
                continue;
            }
            QStringList cells;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
                cells << (t ? QString::fromUtf8(t) : QStringLiteral("NULL")) +
                             QStringLiteral(":%1").arg(sqlite3_column_type(st, i));
            }
            c.rows << cells.join(QLatin1Char('|'));
        }
        sqlite3_finalize(st);
    };
    each(QStringLiteral("PRAGMA user_version"), true);
    const QString name = QFileInfo(path).fileName();
    const QStringList statements = name == kMasterFileName            ? schema::masterTables(1)
                                   : name.startsWith(kProductionKind) ? schema::productionTables()
                                                                      : schema::warehouseTables(1);
    for (const QString& create : statements) {
        const QString table =
            create.section(QLatin1Char(' '), 2, 2).section(QLatin1Char('('), 0, 0);
        c.rows << table;
        each(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table), false);
    }
    each(QStringLiteral("SELECT name,seq FROM sqlite_sequence WHERE name NOT LIKE 'kl\\_%' "
                        "ESCAPE '\\' ORDER BY name"),
         false);
    sqlite3_close(db);
    return c;
}

void copyFixtures(const QString& folder) {
    QDir().mkpath(folder);
    for (const QString& name : kFiles) {
        const QString target = QDir(folder).filePath(name);
        QFile::remove(target);
        if (!QFile::copy(QStringLiteral(KL_V1_FIXTURES "/") + name, target) ||
            !QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner))
            qFatal("cannot copy the fixture %s", qPrintable(name));
    }
}

// Settles the folder as the program does at start and checks every file against `before`;
// returns the failures. `upgraded` counts the files found upgraded.
QStringList check(const QString& folder, const std::map<QString, Content>& before, int* upgraded,
                  int* hot) {
    context().programFolder = folder;
    *hot += int(QDir(folder).entryList({QStringLiteral("*-journal")}, QDir::Files).size());
    settleInterruptedWrites();
    QStringList failures;
    for (const QString& left : QDir(folder).entryList({QStringLiteral("*-journal*")}, QDir::Files))
        failures << QStringLiteral("left after settling: ") + left;
    for (const QString& name : kFiles) {
        const QString path = QDir(folder).filePath(name);
        const Content now = read(path);
        if (now.version == schema::kVersion) ++*upgraded;
        if (now.version != 1 && now.version != schema::kVersion)
            failures << QStringLiteral("%1: version %2").arg(name).arg(now.version);
        if (now.rows != before.at(name).rows)
            failures << QStringLiteral("%1: rows changed").arg(name);
        try {
            Database db = Database::open(path);
            if (db.userVersion() != schema::kVersion)
                failures << QStringLiteral("%1: not upgraded on open").arg(name);
            if (name != kMasterFileName && !name.startsWith(kProductionKind)) {
                Transaction t(db);
                db.execute(QStringLiteral("update kd set ziroracun=? where id=1"),
                           {QString(34, QLatin1Char('9'))});
            }
        } catch (const DbError& e) {
            failures << QStringLiteral("%1: %2").arg(name, e.description());
        }
        if (read(path).rows != before.at(name).rows)
            failures << QStringLiteral("%1: rows changed by the upgrade").arg(name);
    }
    return failures;
}

int runParent() {
    QTemporaryDir dir;
    if (!dir.isValid()) qFatal("cannot create a temporary folder");
    std::map<QString, Content> before;
    for (const QString& name : kFiles) {
        before[name] = read(QStringLiteral(KL_V1_FIXTURES "/") + name);
        if (before[name].version != 1 || before[name].rows.size() < 5)
            qFatal("fixture %s is not a readable file of version 1", qPrintable(name));
    }
    int kills = 0, upgradedFiles = 0, failed = 0, hot = 0;
    const auto round = [&](const QString& folder, const QStringList& args, int delayUs) {
        QProcess child;
        child.setProgram(QCoreApplication::applicationFilePath());
        child.setArguments(QStringList{QStringLiteral("--child"), folder} + args);
        child.start();
        if (!child.waitForStarted()) qFatal("cannot start the child");
        if (delayUs >= 0) {
            if (!child.waitForReadyRead(10000)) qFatal("the child never got ready");
            child.write("go\n");
            child.waitForBytesWritten();
            QThread::usleep(ulong(delayUs));
            child.kill();
        }
        child.waitForFinished(30000);
        const bool killed = child.exitStatus() == QProcess::CrashExit;
        if (!killed && child.exitCode() != 0)
            qFatal("the child failed: %s", child.readAllStandardError().constData());
        kills += killed;
        const QStringList failures = check(folder, before, &upgradedFiles, &hot);
        if (!failures.isEmpty()) {
            ++failed;
            std::cerr << qPrintable(folder) << ": " << qPrintable(failures.join("; ")) << "\n";
        }
        return killed;
    };
    // A kill at each statement of the upgrade, until the child runs through.
    int steps = 0;
    for (int step = 1;; ++step) {
        const QString folder = dir.filePath(QStringLiteral("k%1").arg(step));
        copyFixtures(folder);
        if (!round(folder, {QString::number(step)}, -1)) break;
        steps = step;
        if (step > 200) qFatal("the upgrade never finishes");
    }
    // Kills at moments spread over the upgrade's run (its syncs included).
    for (int i = 0; i < 30; ++i) {
        const QString folder = dir.filePath(QStringLiteral("t%1").arg(i));
        copyFixtures(folder);
        round(folder, {QStringLiteral("-1")}, i * 400);
    }
    std::cout << "upgradecrash: " << steps << " upgrade steps each killed, " << kills
              << " kills in all, " << hot << " left a journal to settle, " << upgradedFiles
              << " files found upgraded, " << failed << " rounds failed" << std::endl;
    // Every kill at a step lands inside the upgrade's transaction.
    return failed == 0 && steps >= 10 && hot >= steps ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--child"))
        return runChild(args[2], args[3].toInt());
    return runParent();
}
