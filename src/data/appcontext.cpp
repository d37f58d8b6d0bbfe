#include "data/appcontext.h"

#include "data/convert.h"

#include <QDir>

namespace kl {

QString AppContext::companyIdText() const {
    return doubleText(currentCompanyId);
}

QString AppContext::masterPath() const {
    return QDir(programFolder).filePath(kMasterFileName);
}

QString AppContext::bookPath(const QString& bookFile) const {
    QString name = bookFile;
    while (name.startsWith(QLatin1Char('\\')) || name.startsWith(QLatin1Char('/')))
        name.remove(0, 1);
    return QDir(programFolder).filePath(name);
}

void AppContext::reset() {
    const QString folder = programFolder;
    *this = AppContext{};
    programFolder = folder;
}

AppContext& context() {
    static AppContext instance;
    return instance;
}

QString bookFileName(const QString& kind, const QString& id) {
    return QStringLiteral("\\") + kind + id + QStringLiteral(".mdb");
}

}  // namespace kl
