#include "data/bookcopy.h"

#include "data/database.h"
#include "data/schema.h"

#include <QSet>

namespace kl {
namespace {

// A table's columns as the program's own creation statements write them.
QString createStatement(const QString& table, const std::vector<jet::Column>& columns) {
    QStringList defs;
    for (const jet::Column& c : columns) {
        QString type;
        switch (c.type) {
            case jet::ColType::Counter:
                type = QStringLiteral("autoincrement");
                break;
            case jet::ColType::Text:
                type = c.length > 0 ? QStringLiteral("string(%1) null").arg(c.length)
                                    : QStringLiteral("memo null");
                break;
            case jet::ColType::Single:
                type = QStringLiteral("single null");
                break;
            case jet::ColType::Double:
                type = QStringLiteral("double null");
                break;
            case jet::ColType::Currency:
                type = QStringLiteral("currency null");
                break;
            case jet::ColType::Long:
                type = QStringLiteral("long null");
                break;
            case jet::ColType::Date:
                type = QStringLiteral("date null");
                break;
            case jet::ColType::Unknown:
                throw DbError(
                    DbErrorCode::Generic,
                    QStringLiteral("Tablica %1: stupac %2 nepoznate vrste.").arg(table, c.name));
        }
        defs << c.name + QLatin1Char(' ') + type;
    }
    return QStringLiteral("create table %1 (%2)").arg(table, defs.join(QStringLiteral(", ")));
}

QString columnList(const std::vector<jet::Column>& columns) {
    QStringList names;
    for (const jet::Column& c : columns)
        names << c.name;
    return names.join(QLatin1Char(','));
}

// Which columns of `columns` hold book ids.
std::vector<bool> bookIdColumns(const QString& table, const std::vector<jet::Column>& columns) {
    std::vector<bool> ids;
    for (const jet::Column& c : columns)
        ids.push_back(isBookIdColumn(table, c.name));
    return ids;
}

// `value` of a book id column as `ids` maps it, of the type it had.
QVariant mappedId(const QVariant& value, const BookIdMap& ids) {
    if (value.isNull() || ids.isEmpty()) return value;
    const auto it = ids.constFind(value.toString().trimmed());
    if (it == ids.constEnd()) return value;
    QVariant mapped(it.value());
    mapped.convert(value.metaType());
    return mapped;
}

}  // namespace

bool isBookIdColumn(const QString& table, const QString& column) {
    const auto is = [](const QString& a, const char* b) {
        return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
    };
    return (is(table, "sastojci") && is(column, "idskladista")) ||
           (is(table, "kl_medjuskladisnice") && is(column, "idknjige"));
}

void copyRows(Database& from, Database& to, const BookIdMap& ids) {
    Transaction t(to);
    const QStringList present = to.tableNames();
    QSet<QString> existing;
    for (const QString& name : present)
        existing.insert(name.toLower());
    for (const QString& table : from.tableNames()) {
        const std::vector<jet::Column> columns = from.columns(table);
        // A table the book made on demand is made as the program makes it, with its index.
        const schema::OnDemandTable* onDemand = schema::onDemandTable(table);
        if (!existing.contains(table.toLower()))
            to.execute(onDemand ? onDemand->create : createStatement(table, columns));
        to.execute(QStringLiteral("delete from %1").arg(table));
        const QString names = columnList(columns);
        QStringList marks;
        for (size_t i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        const QString insert = QStringLiteral("insert into %1 (%2) values (%3)")
                                   .arg(table, names, marks.join(QLatin1Char(',')));
        const std::vector<bool> idColumns = bookIdColumns(table, columns);
        Recordset rs = from.openRecordset(QStringLiteral("select %1 from %2").arg(names, table));
        QVariantList values;
        for (; !rs.eof(); rs.moveNext()) {
            values.clear();
            for (int c = 0; c < rs.fieldCount(); ++c)
                values << (idColumns[size_t(c)] ? mappedId(rs.value(c), ids) : rs.value(c));
            to.execute(insert, values);
        }
        if (onDemand && !to.hasIndex(table, onDemand->indexName)) to.execute(onDemand->createIndex);
        to.setIdCounter(table, from.idCounter(table));
    }
    t.commit();
}

QString compareRows(Database& a, Database& b, const BookIdMap& ids) {
    QStringList tables = a.tableNames(), other = b.tableNames();
    for (QStringList* list : {&tables, &other})
        for (QString& name : *list)
            name = name.toLower();
    if (tables != other)
        return QStringLiteral("tablice se razlikuju (%1 / %2)")
            .arg(tables.join(QLatin1Char(',')), other.join(QLatin1Char(',')));
    for (const QString& table : tables) {
        const std::vector<jet::Column> columns = a.columns(table);
        const QString select = QStringLiteral("select %1 from %2").arg(columnList(columns), table);
        const std::vector<bool> idColumns = bookIdColumns(table, columns);
        Recordset x = a.openRecordset(select), y = b.openRecordset(select);
        if (x.recordCount() != y.recordCount())
            return QStringLiteral("tablica %1: %2 / %3 redaka")
                .arg(table)
                .arg(x.recordCount())
                .arg(y.recordCount());
        for (int row = 1; !x.eof(); x.moveNext(), y.moveNext(), ++row)
            for (int c = 0; c < x.fieldCount(); ++c) {
                const QVariant v = idColumns[size_t(c)] ? mappedId(x.value(c), ids) : x.value(c);
                if (v != y.value(c) || v.typeId() != y.value(c).typeId())
                    return QStringLiteral("tablica %1: redak %2, polje %3")
                        .arg(table)
                        .arg(row)
                        .arg(columns[size_t(c)].name);
            }
        if (a.idCounter(table) != b.idCounter(table))
            return QStringLiteral("tablica %1: brojač %2 / %3")
                .arg(table)
                .arg(a.idCounter(table))
                .arg(b.idCounter(table));
    }
    return {};
}

}  // namespace kl
