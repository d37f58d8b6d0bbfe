#include "data/booklocation.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <map>

namespace kl {

BookLocation::BookLocation(const QString& filePath) : path_(filePath) {}

BookLocation BookLocation::file(const QString& path) {
    return BookLocation(path);
}

BookLocation BookLocation::server(const ServerAddress& address, const QString& schema,
                                  const QString& kind) {
    BookLocation l;
    l.address_ = address;
    l.schema_ = schema;
    l.kind_ = kind;
    return l;
}

QString BookLocation::describe() const {
    if (!onServer()) return QFileInfo(path_).fileName();
    return QStringLiteral("shema %1 (%2)").arg(schema_, address_.describe());
}

QString BookLocation::shown() const {
    return onServer() ? describe() : QDir::toNativeSeparators(path_);
}

namespace {

struct Passwords {
    QMutex mutex;
    std::map<std::tuple<QString, int, QString, QString>, QString> byServer;
};

Passwords& passwords() {
    static Passwords p;
    return p;
}

std::tuple<QString, int, QString, QString> keyOf(const ServerAddress& a) {
    return {a.host, a.port, a.database, a.user};
}

}  // namespace

QString serverPassword(const ServerAddress& address) {
    Passwords& p = passwords();
    QMutexLocker lock(&p.mutex);
    const auto it = p.byServer.find(keyOf(address));
    return it == p.byServer.end() ? QString() : it->second;
}

void setServerPassword(const ServerAddress& address, const QString& password) {
    Passwords& p = passwords();
    QMutexLocker lock(&p.mutex);
    p.byServer[keyOf(address)] = password;
}

}  // namespace kl
