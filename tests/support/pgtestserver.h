#pragma once
// The throw-away server of the server tests (scripts/pgcluster.sh, started by the test set-up):
// its address from the file KL_PG_ENV names, with PGPASSFILE set so that libpq finds the
// password as it would in a user's ~/.pgpass.

#include "data/pgconnection.h"

#include <QFile>
#include <QtGlobal>

namespace kl::test {

// The address in the file KL_PG_ENV names; false when there is no such file.
inline bool readTestServer(ServerAddress* a) {
    QFile f(qEnvironmentVariable("KL_PG_ENV"));
    if (!f.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq < 0) continue;
        const QByteArray key = line.left(eq), value = line.mid(eq + 1);
        if (key == "KL_PG_HOST") a->host = QString::fromUtf8(value);
        if (key == "KL_PG_PORT") a->port = value.toInt();
        if (key == "KL_PG_USER") a->user = QString::fromUtf8(value);
        if (key == "KL_PG_DATABASE") a->database = QString::fromUtf8(value);
        if (key == "PGPASSFILE") qputenv("PGPASSFILE", value);
    }
    return true;
}

inline ServerAddress testServer() {
    ServerAddress a;
    if (!readTestServer(&a)) qFatal("KL_PG_ENV: no test server (scripts/pgcluster.sh)");
    return a;
}

}  // namespace kl::test
