#include "data/pgconnection.h"

#include <libpq-fe.h>

#include <cstdio>

namespace kl {
namespace {

QString serverMessage(const char* text) {
    return QString::fromUtf8(text).trimmed();
}

// SQLSTATE classes the program tells apart.
bool isConflictState(const QByteArray& state) {
    return state == "40001" || state == "40P01";  // serialization_failure, deadlock_detected
}
bool isLoginState(const QByteArray& state) {
    return state == "28000" || state == "28P01" || state == "3D000";  // bad role/password, no db
}

}  // namespace

QString quotedName(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

QString ServerAddress::describe() const {
    return QStringLiteral("poslužitelj %1:%2, baza %3").arg(host).arg(port).arg(database);
}

int PgResult::rows() const {
    return r_ ? PQntuples(r_.get()) : 0;
}
int PgResult::columns() const {
    return r_ ? PQnfields(r_.get()) : 0;
}
QString PgResult::columnName(int column) const {
    return QString::fromUtf8(PQfname(r_.get(), column));
}
bool PgResult::isNull(int row, int column) const {
    return PQgetisnull(r_.get(), row, column) != 0;
}
QByteArray PgResult::bytes(int row, int column) const {
    if (isNull(row, column)) return {};
    return QByteArray(PQgetvalue(r_.get(), row, column), PQgetlength(r_.get(), row, column));
}
QByteArrayView PgResult::view(int row, int column) const {
    return QByteArrayView(PQgetvalue(r_.get(), row, column), PQgetlength(r_.get(), row, column));
}
unsigned PgResult::typeOid(int column) const {
    return PQftype(r_.get(), column);
}
QString PgResult::text(int row, int column) const {
    return QString::fromUtf8(PQgetvalue(r_.get(), row, column), PQgetlength(r_.get(), row, column));
}
qint64 PgResult::integer(int row, int column) const {
    return bytes(row, column).toLongLong();
}
double PgResult::number(int row, int column) const {
    return bytes(row, column).toDouble();
}
QDate PgResult::date(int row, int column) const {
    return QDate::fromString(QString::fromLatin1(bytes(row, column).left(10)), Qt::ISODate);
}
int PgResult::affected() const {
    return r_ ? QByteArray(PQcmdTuples(r_.get())).toInt() : 0;
}

std::optional<QByteArray> serverText(const QVariant& value) {
    if (value.isNull() || !value.isValid()) return std::nullopt;
    char buf[40];
    switch (value.typeId()) {
        case QMetaType::Bool:
            return QByteArray(value.toBool() ? "1" : "0");
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            return QByteArray::number(value.toLongLong());
        case QMetaType::Float:
            std::snprintf(buf, sizeof buf, "%.9g", double(value.toFloat()));
            return QByteArray(buf);
        case QMetaType::Double:
            std::snprintf(buf, sizeof buf, "%.17g", value.toDouble());
            return QByteArray(buf);
        case QMetaType::QDate:
            return value.toDate().toString(Qt::ISODate).toLatin1();
        default:
            return value.toString().toUtf8();
    }
}

PgConnection PgConnection::connect(const ServerAddress& address, const QString& password,
                                   int timeoutSeconds) {
    const QByteArray host = address.host.toUtf8(), port = QByteArray::number(address.port),
                     db = address.database.toUtf8(), user = address.user.toUtf8(),
                     pw = password.toUtf8(), timeout = QByteArray::number(timeoutSeconds);
    // Keywords rather than a connection string: nothing the clerk typed is parsed as options.
    std::vector<const char*> keys = {
        "host", "port", "dbname", "user", "connect_timeout", "client_encoding", "application_name"};
    std::vector<const char*> values = {host.constData(), port.constData(),    db.constData(),
                                       user.constData(), timeout.constData(), "UTF8",
                                       "Knjige Lumen"};
    if (!password.isEmpty()) {
        keys.push_back("password");
        values.push_back(pw.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    PGconn* raw = PQconnectdbParams(keys.data(), values.data(), 0);
    std::shared_ptr<pg_conn> c(raw, PQfinish);
    if (!raw) throw DbError(DbErrorCode::ServerUnreachable, QStringLiteral("Nema memorije."));
    if (PQstatus(raw) != CONNECTION_OK) {
        const QString why = serverMessage(PQerrorMessage(raw));
        // libpq gives no SQLSTATE for a failed login; its text names the cause.
        const bool login = why.contains(QLatin1String("password")) ||
                           why.contains(QLatin1String("authentication")) ||
                           why.contains(QLatin1String("role")) ||
                           why.contains(QLatin1String("does not exist"));
        if (login)
            throw DbError(DbErrorCode::ServerLogin,
                          QStringLiteral("Poslužitelj %1:%2 nije prihvatio prijavu korisnika "
                                         "%3 u bazu %4.\n\n%5")
                              .arg(address.host)
                              .arg(address.port)
                              .arg(address.user, address.database, why));
        throw DbError(
            DbErrorCode::ServerUnreachable,
            QStringLiteral("Poslužitelj %1:%2 nije dostupan. Provjerite je li "
                           "pokrenut i je li mreža ispravna; ništa nije izgubljeno.\n\n%3")
                .arg(address.host)
                .arg(address.port)
                .arg(why));
    }
    PgConnection out;
    out.c_ = std::move(c);
    out.address_ = address;
    // Exact floats, ISO dates, and no notices on the clerk's terminal.
    out.exec(
        QStringLiteral("SET extra_float_digits = 1; SET DateStyle = 'ISO, YMD'; "
                       "SET client_min_messages = warning"));
    return out;
}

PgResult PgConnection::exec(const QString& sql, const QVariantList& params) {
    std::vector<std::optional<QByteArray>> texts;
    texts.reserve(size_t(params.size()));
    for (const QVariant& p : params)
        texts.push_back(serverText(p));
    return execTexts(sql.toUtf8(), texts);
}

PgResult PgConnection::execTexts(const QByteArray& statement,
                                 const std::vector<std::optional<QByteArray>>& texts) {
    if (!c_)
        throw DbError(DbErrorCode::ServerLost,
                      QStringLiteral("Veza s poslužiteljem nije otvorena."));
    std::vector<const char*> values;
    values.reserve(texts.size());
    for (const std::optional<QByteArray>& t : texts)
        values.push_back(t ? t->constData() : nullptr);  // constData() of an empty one is ""

    pg_result* raw;
    if (texts.empty())
        raw = PQexec(c_.get(), statement.constData());  // may hold several statements (set-up)
    else
        raw = PQexecParams(c_.get(), statement.constData(), int(values.size()), nullptr,
                           values.data(), nullptr, nullptr, 0);
    return result(raw);
}

PgResult PgConnection::result(pg_result* raw) const {
    const ExecStatusType st = raw ? PQresultStatus(raw) : PGRES_FATAL_ERROR;
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) fail(raw);
    PgResult out;
    out.r_ = std::shared_ptr<pg_result>(raw, PQclear);
    return out;
}

PgResult PgConnection::execPrepared(const QByteArray& statement,
                                    const std::vector<std::optional<QByteArray>>& texts) {
    if (!c_)
        throw DbError(DbErrorCode::ServerLost,
                      QStringLiteral("Veza s poslužiteljem nije otvorena."));
    auto it = prepared_->find(statement);
    if (it == prepared_->end()) {
        const QByteArray name = "kl_" + QByteArray::number(qulonglong(prepared_->size() + 1));
        result(PQprepare(c_.get(), name.constData(), statement.constData(), int(texts.size()),
                         nullptr));
        it = prepared_->emplace(statement, name).first;
    }
    std::vector<const char*> values;
    values.reserve(texts.size());
    for (const std::optional<QByteArray>& t : texts)
        values.push_back(t ? t->constData() : nullptr);
    return result(PQexecPrepared(c_.get(), it->second.constData(), int(values.size()),
                                 values.data(), nullptr, nullptr, 0));
}

void PgConnection::forgetPrepared() {
    if (prepared_->empty()) return;
    prepared_->clear();
    exec(QStringLiteral("DEALLOCATE ALL"));
}

bool PgConnection::inTransaction() const {
    if (!c_) return false;
    const PGTransactionStatusType t = PQtransactionStatus(c_.get());
    return t == PQTRANS_INTRANS || t == PQTRANS_INERROR || t == PQTRANS_ACTIVE;
}

void PgConnection::fail(pg_result* result) const {
    std::shared_ptr<pg_result> guard(result, PQclear);
    const QByteArray state = result ? QByteArray(PQresultErrorField(result, PG_DIAG_SQLSTATE)) : "";
    const QString why =
        serverMessage(result && PQresultErrorMessage(result)[0] ? PQresultErrorMessage(result)
                                                                : PQerrorMessage(c_.get()));
    if (PQstatus(c_.get()) != CONNECTION_OK)
        throw DbError(DbErrorCode::ServerLost,
                      QStringLiteral("Veza s poslužiteljem %1:%2 je prekinuta. Promjena nije "
                                     "spremljena; pokušajte ponovno kad poslužitelj bude "
                                     "dostupan.\n\n%3")
                          .arg(address_.host)
                          .arg(address_.port)
                          .arg(why));
    if (isConflictState(state))
        throw DbError(
            DbErrorCode::ServerConflict,
            QStringLiteral("Istodobna promjena na poslužitelju; ponavlja se.\n\n%1").arg(why));
    if (isLoginState(state))
        throw DbError(DbErrorCode::ServerLogin,
                      QStringLiteral("Poslužitelj nije dopustio pristup.\n\n%1").arg(why));
    throw DbError(DbErrorCode::ServerError,
                  QStringLiteral("Poslužitelj je odbio naredbu (%1).\n\n%2")
                      .arg(QString::fromLatin1(state), why));
}

void PgConnection::close() {
    c_.reset();
}

}  // namespace kl
