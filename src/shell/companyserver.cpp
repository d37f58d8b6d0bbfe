#include "shell/companyserver.h"

#include "data/appcontext.h"
#include "data/booklocation.h"
#include "data/database.h"
#include "data/serverbooks.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QRegularExpression>

namespace kl {

namespace {

const QString kServers = QStringLiteral("kl_posluzitelji");

}  // namespace

void checkRegisterSchemaName(const QString& schema) {
    static const QRegularExpression name(QStringLiteral("^[a-z][a-z0-9_]{0,62}$"));
    if (!name.match(schema).hasMatch())
        throw DbError(DbErrorCode::Generic,
                      QStringLiteral("Shema tvrtke \"%1\" nije ispravna: mala slova, znamenke i "
                                     "podvlaka, najviše 63 znaka, prvo slovo.")
                          .arg(schema));
}

std::optional<CompanyServer> companyServer(const QString& companyIdText) {
    Database db = Database::open(context().masterPath());
    if (!db.hasTable(kServers)) return std::nullopt;
    Recordset rs =
        db.openRecordset(QStringLiteral("select posluzitelj,port,baza,korisnik,shema from ") +
                             kServers + QStringLiteral(" where idtvrtke=?"),
                         {companyIdText});
    if (rs.eof()) return std::nullopt;
    ServerAddress a;
    a.host = rs.text(QStringLiteral("posluzitelj")).trimmed();
    a.port = rs.value(QStringLiteral("port")).toInt();
    a.database = rs.text(QStringLiteral("baza")).trimmed();
    a.user = rs.text(QStringLiteral("korisnik")).trimmed();
    const QString schema = rs.text(QStringLiteral("shema")).trimmed();
    checkRegisterSchemaName(schema);
    return CompanyServer{a, schema};
}

void setCompanyServer(Database& master, const QString& companyIdText,
                      const std::optional<CompanyServer>& server) {
    if (!server && !master.hasTable(kServers)) return;
    Transaction t(master);
    if (!master.hasTable(kServers))
        master.execute(QStringLiteral("create table ") + kServers +
                       QStringLiteral(" (idtvrtke string(20), posluzitelj string(255), port long, "
                                      "baza string(63), korisnik string(63), shema string(63))"));
    master.execute(QStringLiteral("delete from ") + kServers + QStringLiteral(" where idtvrtke=?"),
                   {companyIdText});
    if (server) {
        const ServerAddress& a = server->address;
        const QString schema = server->registerSchema.trimmed().isEmpty()
                                   ? server::registerSchema(companyIdText.toInt())
                                   : server->registerSchema.trimmed();
        checkRegisterSchemaName(schema);
        master.execute(QStringLiteral("insert into ") + kServers +
                           QStringLiteral("(idtvrtke,posluzitelj,port,baza,korisnik,shema)"
                                          "values(?,?,?,?,?,?)"),
                       {companyIdText, a.host, a.port, a.database, a.user, schema});
    }
    t.commit();
}

std::optional<QString> askServerPassword(QWidget* parent, const ServerAddress& server) {
    bool ok = false;
    const QString password = QInputDialog::getText(
        parent, QStringLiteral("Prijava na poslužitelj"),
        QStringLiteral("Lozinka korisnika %1 za %2:").arg(server.user, server.describe()),
        QLineEdit::Password, {}, &ok);
    return ok ? std::optional<QString>(password) : std::nullopt;
}

void enterCompanyServer(const std::optional<CompanyServer>& server) {
    context().companyServer.reset();
    context().companyRegisterSchema.clear();
    if (!server) return;
    context().companyServer = server->address;
    context().companyRegisterSchema = server->registerSchema;
}

QString connectToServer(const ServerAddress& server,
                        const std::function<std::optional<QString>()>& askPassword) {
    for (int attempt = 0;; ++attempt) {
        try {
            PgConnection::connect(server, serverPassword(server), 10);
            return {};
        } catch (const DbError& e) {
            if (e.number() != DbErrorCode::ServerLogin || attempt > 0 || !askPassword)
                return e.description();
            const std::optional<QString> password = askPassword();
            if (!password) return e.description();
            setServerPassword(server, *password);
        }
    }
}

QString checkCompanyServer(const CompanyServer& company,
                           const std::function<std::optional<QString>()>& askPassword) {
    const ServerAddress& server = company.address;
    const QString login = connectToServer(server, askPassword);
    if (!login.isEmpty()) return login;
    try {
        const BookLocation entry =
            BookLocation::server(server, company.registerSchema, server::kRegisterKind);
        server::createSchemaUnlessThere(entry);
        Database::openBook(entry).close();  // the program's own, or it is said here
        return {};
    } catch (const DbError& e) {
        return e.description();
    }
}

}  // namespace kl
