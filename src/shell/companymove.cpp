#include "shell/companymove.h"

#include "data/appcontext.h"
#include "data/bookcopy.h"
#include "data/database.h"
#include "data/serverbooks.h"
#include "reports/stockaudit.h"
#include "shell/books.h"
#include "shell/companies.h"
#include "shell/companyserver.h"

#include <QFileInfo>
#include <QRandomGenerator>

namespace kl {

namespace {

// The program's own tables of a move: the register keeps the mark of a move begun and not yet
// finished; the company's register schema on the server keeps the mark of the move that made it.
const QString kMoves = QStringLiteral("kl_prijenosi");
const QString kMoveMark = QStringLiteral("kl_prijenos");

struct MovedBook {
    QString id;
    QString kind;
    QString path;    // the book's file
    QString schema;  // its real name on the server
};

bool schemaExists(PgConnection& c, const QString& schema) {
    return c.exec(QStringLiteral("SELECT 1 FROM pg_namespace WHERE nspname = $1"), {schema})
               .rows() > 0;
}

// The mark of the move begun for the company, made and recorded when there is none.
QString moveMark(const QString& companyId) {
    Database master = Database::open(context().masterPath());
    if (master.hasTable(kMoves)) {
        Recordset rs = master.openRecordset(
            QStringLiteral("select oznaka from ") + kMoves + QStringLiteral(" where idtvrtke=?"),
            {companyId});
        if (!rs.eof()) return rs.text(QStringLiteral("oznaka")).trimmed();
    }
    const QString mark =
        QString::number(QRandomGenerator::global()->generate64() % 0xFFFFFFFFFFull, 16);
    Transaction t(master);
    if (!master.hasTable(kMoves))
        master.execute(QStringLiteral("create table ") + kMoves +
                       QStringLiteral(" (idtvrtke string(20), oznaka string(20))"));
    master.execute(
        QStringLiteral("insert into ") + kMoves + QStringLiteral("(idtvrtke,oznaka)values(?,?)"),
        {companyId, mark});
    t.commit();
    return mark;
}

// The mark kept in the register schema `schema` on the server; empty when it has none.
QString markOn(const ServerAddress& server, const QString& schema) {
    Database reg = Database::openBook(BookLocation::server(server, schema, server::kRegisterKind));
    if (!reg.hasTable(kMoveMark)) return {};
    Recordset rs = reg.openRecordset(QStringLiteral("select oznaka from ") + kMoveMark);
    return rs.eof() ? QString() : rs.text(QStringLiteral("oznaka")).trimmed();
}

// Empty when the server's copy of `book` (kept as `schema`) equals its file; otherwise what
// differs first.
QString differenceOf(const MovedBook& book, const ServerAddress& server, const QString& schema) {
    const BookLocation copy = BookLocation::server(server, schema, book.kind);
    Database file = Database::open(book.path);
    Database onServer = Database::openBook(copy);
    const QString rows = compareRows(file, onServer);
    if (!rows.isEmpty()) return rows;
    if (book.kind != kWarehouseKind) return {};
    const auto there = auditStock(copy);
    const auto here = auditStock(BookLocation::file(book.path));
    if (there.size() != here.size())
        return QStringLiteral("provjera zaliha nalazi %1 razlika u datoteci, a %2 na poslužitelju")
            .arg(here.size())
            .arg(there.size());
    return {};
}

// Why the move stops: the copy of `book` on the server differs from its file.
QString copyDiffers(const MovedBook& book, const QString& difference) {
    return QStringLiteral(
               "Kopija knjige %1 na poslužitelju razlikuje se od datoteke (%2); tvrtka "
               "ostaje u mapi programa.")
        .arg(QFileInfo(book.path).fileName(), difference);
}

// Why the move stops: a schema of the real name that this move did not make.
QString notThisMove(const QString& schema) {
    return QStringLiteral(
               "Na poslužitelju već postoji shema %1 koju ovaj prijenos nije napravio; "
               "ništa nije promijenjeno.")
        .arg(schema);
}

}  // namespace

QString moveCompanyToServer(const QString& companyIdText, const ServerAddress& server,
                            const QString& schemaName) {
    const QString id = companyIdText.trimmed();
    try {
        if (companyServer(id)) return QStringLiteral("Knjige tvrtke već su na poslužitelju.");
        const QString registerSchema = schemaName.trimmed().isEmpty()
                                           ? server::registerSchema(id.toInt())
                                           : schemaName.trimmed();
        checkRegisterSchemaName(registerSchema);
        const QString password = serverPassword(server);

        // The company's rows of the register and its books, each checked before it names a file.
        std::vector<MovedBook> books;
        qint64 bookCounter = 0;
        {
            Database master = Database::open(context().masterPath());
            Recordset c = master.openRecordset(
                QStringLiteral("select * from svetvrtke where cstr(id)=?"), {id});
            if (c.eof()) return QStringLiteral("Tvrtka ne postoji.");
            Recordset rs = master.openRecordset(
                QStringLiteral("select id,vrstaknjige from otvoreneknjige where idtvrtke like ? "
                               "order by id"),
                {id});
            for (; !rs.eof(); rs.moveNext()) {
                const QString bookId = rs.text(QStringLiteral("id")).trimmed();
                const QString kind = rs.text(QStringLiteral("vrstaknjige")).trimmed();
                const QString file = checkedBookFileName(kind, bookId);
                books.push_back({bookId, kind, context().checkedBookPath(file),
                                 server::bookSchema(kind, bookId.toInt())});
            }
            bookCounter = master.idCounter(QStringLiteral("otvoreneknjige"));
        }
        // A book never entered has no file yet: it gets one now, so that its copy is made like
        // every other (an empty book, as entering it would have made).
        for (const MovedBook& b : books)
            if (!QFileInfo::exists(b.path) && !prepareBookFile(bookFileName(b.kind, b.id), b.kind))
                return QStringLiteral("Datoteka knjige %1 nedostaje; knjige se ne prenose.")
                    .arg(QFileInfo(b.path).fileName());

        const QString mark = moveMark(id);
        const auto staged = [&](const QString& schema) {
            return schema + QStringLiteral("_p") + mark;
        };
        PgConnection c = PgConnection::connect(server, password);

        if (!schemaExists(c, registerSchema)) {
            // What an interrupted attempt of this move left under its own names goes first.
            QStringList names{registerSchema};
            for (const MovedBook& b : books)
                names << b.schema;
            for (const QString& name : names) {
                if (schemaExists(c, name)) return notThisMove(name);
                c.exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE")
                           .arg(quotedName(staged(name))));
            }

            // The register entry: the company's row and its book rows with their ids, and the
            // id counter, so that a book made later on the server gets a new id.
            server::createSchema(server, staged(registerSchema), server::kRegisterKind, password);
            {
                Database master = Database::open(context().masterPath());
                Database reg = Database::openServer(server, staged(registerSchema), password);
                Transaction t(reg);
                // The company's row, column by column as the program names them.
                QStringList columns{QStringLiteral("id")};
                for (const QString& c : companyColumns())
                    columns << c;
                Recordset company =
                    master.openRecordset(QStringLiteral("select ") + columns.join(u',') +
                                             QStringLiteral(" from svetvrtke where cstr(id)=?"),
                                         {id});
                QStringList marks;
                QVariantList values;
                for (int i = 0; i < int(columns.size()); ++i) {
                    marks << QStringLiteral("?");
                    values << company.value(i);
                }
                reg.execute(QStringLiteral("insert into svetvrtke(") + columns.join(u',') +
                                QStringLiteral(")values(") + marks.join(u',') + QStringLiteral(")"),
                            values);
                Recordset rows = master.openRecordset(
                    QStringLiteral("select id,idtvrtke,nazivknjige,vrstaknjige,adresa from "
                                   "otvoreneknjige where idtvrtke like ? order by id"),
                    {id});
                for (; !rows.eof(); rows.moveNext())
                    reg.execute(QStringLiteral("insert into otvoreneknjige(id,idtvrtke,nazivknjige,"
                                               "vrstaknjige,adresa)values(?,?,?,?,?)"),
                                {rows.value(0), rows.value(1), rows.value(2), rows.value(3),
                                 rows.value(4)});
                reg.setIdCounter(QStringLiteral("otvoreneknjige"), bookCounter);
                reg.execute(QStringLiteral("create table ") + kMoveMark +
                            QStringLiteral(" (oznaka string(20))"));
                reg.execute(QStringLiteral("insert into ") + kMoveMark +
                                QStringLiteral("(oznaka)values(?)"),
                            {mark});
                t.commit();
            }
            // Every book, copied whole and checked.
            for (const MovedBook& b : books) {
                server::createSchema(server, staged(b.schema), b.kind, password);
                Database file = Database::open(b.path);
                Database copy = Database::openServer(server, staged(b.schema), password);
                copyRows(file, copy);
                const QString difference = differenceOf(b, server, staged(b.schema));
                if (!difference.isEmpty()) return copyDiffers(b, difference);
            }
            // All real names at once.
            Database renames = Database::openServer(server, staged(registerSchema), password);
            Transaction t(renames);
            for (const QString& name : names)
                renames.serverConnection()->exec(
                    QStringLiteral("ALTER SCHEMA %1 RENAME TO %2")
                        .arg(quotedName(staged(name)), quotedName(name)));
            t.commit();
        } else {
            // Renamed by this move before it was interrupted: checked again before the switch.
            if (markOn(server, registerSchema) != mark) return notThisMove(registerSchema);
            for (const MovedBook& b : books) {
                const QString difference = differenceOf(b, server, b.schema);
                if (!difference.isEmpty()) return copyDiffers(b, difference);
            }
        }

        // The switch: the register names the server, and the books leave the folder.
        Database master = Database::open(context().masterPath());
        StagedFileRemoval files;
        {
            Transaction t(master);
            setCompanyServer(master, id, CompanyServer{server, registerSchema});
            QStringList names;
            for (const MovedBook& b : books)
                names << QFileInfo(b.path).fileName();
            forgetBookFiles(master, names);
            master.execute(QStringLiteral("delete from otvoreneknjige where idtvrtke like ?"),
                           {id});
            master.execute(
                QStringLiteral("delete from ") + kMoves + QStringLiteral(" where idtvrtke=?"),
                {id});
            for (const MovedBook& b : books)
                files.stage(bookFileName(b.kind, b.id));
            t.commit();
        }
        files.finish();
        return {};
    } catch (const DbError& e) {
        return QStringLiteral("Knjige nisu prenesene; tvrtka ostaje u mapi programa.\n") +
               e.description();
    }
}

}  // namespace kl
