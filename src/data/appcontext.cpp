#include "data/appcontext.h"

#include "data/convert.h"
#include "data/dberror.h"
#include "data/fileops.h"
#include "data/serverbooks.h"

#include <QDir>
#include <QRegularExpression>

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

QString AppContext::checkedBookPath(const QString& bookFile) const {
    const QString path = bookPath(bookFile);
    if (!isInsideFolder(programFolder, path))
        throw DbError(DbErrorCode::CannotOpen,
                      QStringLiteral("Datoteka knjige %1 nije obična datoteka u mapi programa "
                                     "(simbolička veza ili put izvan mape). Program je ne "
                                     "otvara, ne mijenja i ne briše.")
                          .arg(QDir::toNativeSeparators(path)));
    return path;
}

BookLocation AppContext::bookLocation(const QString& bookFile) const {
    if (!companyServer) return BookLocation::file(bookPath(bookFile));
    static const QRegularExpression name(
        QStringLiteral("^[\\\\/]*(Skladiste|Proizvodnja)([1-9][0-9]{0,8})\\.mdb$"));
    const QRegularExpressionMatch m = name.match(bookFile);
    if (!m.hasMatch())
        throw DbError(DbErrorCode::CannotOpen,
                      QStringLiteral("Knjiga %1 nije knjiga ovog programa.").arg(bookFile));
    const QString kind = m.captured(1);
    return BookLocation::server(*companyServer, server::bookSchema(kind, m.captured(2).toInt()),
                                kind);
}

BookLocation AppContext::checkedBookLocation(const QString& bookFile) const {
    if (!companyServer) return BookLocation::file(checkedBookPath(bookFile));
    return bookLocation(bookFile);
}

BookLocation AppContext::companyRegister() const {
    if (!companyServer) return BookLocation::file(masterPath());
    return BookLocation::server(*companyServer, companyRegisterSchema, server::kRegisterKind);
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

bool isBookRow(const QString& kind, const QString& id) {
    static const QRegularExpression number(QStringLiteral("^[1-9][0-9]{0,14}$"));
    return (kind == kWarehouseKind || kind == kProductionKind) && number.match(id).hasMatch();
}

namespace {

// A few characters of a stored text, enough to recognise it in a message.
QString excerpt(const QString& text) {
    constexpr int kShown = 20;
    return text.size() <= kShown ? text : text.left(kShown) + QStringLiteral("...");
}

}  // namespace

QString checkedBookFileName(const QString& kind, const QString& id) {
    if (!isBookRow(kind, id))
        throw DbError(DbErrorCode::Corrupt,
                      QStringLiteral("Knjiga u popisu tvrtki nije ispravno upisana (vrsta "
                                     "\"%1\", broj \"%2\"): takav zapis ne imenuje datoteku "
                                     "ovog programa. Ništa nije učinjeno s datotekama.")
                          .arg(excerpt(kind), excerpt(id)));
    return bookFileName(kind, id);
}

bool isDatabaseFileName(const QString& name) {
    static const QRegularExpression book(QStringLiteral("^(Skladiste|Proizvodnja)\\d+\\.mdb$"));
    return name == kMasterFileName || book.match(name).hasMatch();
}

}  // namespace kl
