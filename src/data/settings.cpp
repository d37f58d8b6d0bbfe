#include "data/settings.h"

#include "data/appcontext.h"
#include "data/database.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace kl::settings {

namespace {

Database openMaster() {
    return Database::open(context().masterPath());
}

}  // namespace

std::optional<QString> value(const QString& key) {
    Database db = openMaster();
    if (!db.hasTable(kTable)) return std::nullopt;
    Recordset rs = db.openRecordset(
        QStringLiteral("select vrijednost from ") + kTable + QStringLiteral(" where kljuc=?"),
        {key});
    if (rs.eof()) return std::nullopt;
    return rs.text(QStringLiteral("vrijednost"));
}

void setValues(const std::vector<std::pair<QString, QString>>& values) {
    if (values.empty()) return;
    Database db = openMaster();
    Transaction t(db);
    if (!db.hasTable(kTable))
        db.execute(QStringLiteral("create table ") + kTable +
                   QStringLiteral(" (kljuc string(100), vrijednost memo)"));
    for (const auto& [key, v] : values) {
        db.execute(QStringLiteral("delete from ") + kTable + QStringLiteral(" where kljuc=?"),
                   {key});
        db.execute(QStringLiteral("insert into ") + kTable +
                       QStringLiteral("(kljuc,vrijednost)values(?,?)"),
                   {key, v});
    }
    t.commit();
}

QString valueOr(const QString& key, const QString& fallback) {
    try {
        return value(key).value_or(fallback);
    } catch (const DbError&) {
        return fallback;
    }
}

bool trySetValues(const std::vector<std::pair<QString, QString>>& values) {
    try {
        setValues(values);
        return true;
    } catch (const DbError&) {
        return false;
    }
}

QString windowKey(const QString& windowName) {
    return QStringLiteral("okno.") + windowName;
}

QString lastCompanyKey() {
    return QStringLiteral("zadnja.tvrtka");
}

QString lastBookKey(const QString& companyId) {
    return QStringLiteral("zadnja.knjiga.") + companyId;
}

QString folderKey(const QString& dialog) {
    return QStringLiteral("mapa.") + dialog;
}

QString placementText(const Placement& p) {
    QString text = QStringLiteral("%1,%2,%3,%4")
                       .arg(p.rect.x())
                       .arg(p.rect.y())
                       .arg(p.rect.width())
                       .arg(p.rect.height());
    if (p.maximized) text += QStringLiteral(",max");
    return text;
}

std::optional<Placement> parsePlacement(const QString& text) {
    const QStringList parts = text.split(u',');
    if (parts.size() != 4 && !(parts.size() == 5 && parts[4] == QLatin1String("max")))
        return std::nullopt;
    int n[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        n[i] = parts[i].toInt(&ok);
        if (!ok) return std::nullopt;
    }
    if (n[2] <= 0 || n[3] <= 0) return std::nullopt;
    return Placement{QRect(n[0], n[1], n[2], n[3]), parts.size() == 5};
}

QRect keptOnScreens(const QRect& rect, const QList<QRect>& screens) {
    if (screens.isEmpty()) return rect;
    QRect best = screens.front();
    qint64 bestArea = 0;
    for (const QRect& s : screens) {
        const QRect common = s.intersected(rect);
        const qint64 area = common.isEmpty() ? 0 : qint64(common.width()) * common.height();
        if (area > bestArea) {
            bestArea = area;
            best = s;
        }
    }
    QRect r(rect.topLeft(), rect.size().boundedTo(best.size()));
    if (r.right() > best.right()) r.moveRight(best.right());
    if (r.bottom() > best.bottom()) r.moveBottom(best.bottom());
    if (r.left() < best.left()) r.moveLeft(best.left());
    if (r.top() < best.top()) r.moveTop(best.top());
    return r;
}

QString lastFolder(const QString& dialog, const QString& fallback) {
    const QString folder = valueOr(folderKey(dialog));
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : fallback;
}

void rememberFolder(const QString& dialog, const QString& path) {
    if (path.isEmpty()) return;
    const QFileInfo info(path);
    trySetValue(folderKey(dialog), info.isDir() ? info.absoluteFilePath() : info.absolutePath());
}

}  // namespace kl::settings
