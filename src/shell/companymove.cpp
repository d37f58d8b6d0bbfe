#include "shell/companymove.h"

#include "data/appcontext.h"
#include "data/bookcopy.h"
#include "data/database.h"
#include "data/fileops.h"
#include "data/schema.h"
#include "data/serverbooks.h"
#include "reports/stockaudit.h"
#include "shell/books.h"
#include "shell/companies.h"
#include "shell/companyserver.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>

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

// ---- The way back ----------------------------------------------------------------------------

namespace {

// The program's own table of the register for moves back: the mark of each, and whether its
// switch has committed (its staged files then go into place).
const QString kReturns = QStringLiteral("kl_povratci");
const QString kReturnPending = QStringLiteral("u tijeku");
const QString kReturnDone = QStringLiteral("gotovo");
const QString kReturnSuffix = QStringLiteral(".povrat-");

// The names a move back stages under: a book file's name, ".povrat-" and the mark, and what
// SQLite or Database::create put beside it (a journal, a file being made). Group "book" is the
// book file's name, "mark" the mark, "rest" what follows it.
const QRegularExpression& returnPattern() {
    static const QRegularExpression re(QStringLiteral(
        "^(?<book>(?:Skladiste|Proizvodnja)[1-9][0-9]{0,14}\\.mdb)\\.povrat-(?<mark>[0-9a-f]{1,16})"
        "(?<rest>-journal|\\.nova-[0-9]{1,10}(?:-journal)?)?$"));
    return re;
}

// The plain files of the program folder staged by the move back marked `mark`.
QStringList stagedReturnFiles(const QString& mark) {
    QStringList names;
    const QDir folder(context().programFolder);
    for (const QString& name :
         folder.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks)) {
        const QRegularExpressionMatch m = returnPattern().match(name);
        if (m.hasMatch() && m.captured(u"mark") == mark &&
            isInsideFolder(context().programFolder, folder.filePath(name)))
            names << name;
    }
    return names;
}

void removeStagedReturn(const QString& mark) {
    const QDir folder(context().programFolder);
    for (const QString& name : stagedReturnFiles(mark))
        if (!removeDurably(folder.filePath(name)))
            throw DbError(DbErrorCode::ReadOnly,
                          QStringLiteral("Datoteku %1 nije moguće obrisati.").arg(name));
}

// The moments of a move back, counted for testing::returnStepHook.
int returnSteps = 0;
void returnStep() {
    if (testing::returnStepHook) testing::returnStepHook(returnSteps);
    ++returnSteps;
}

// Puts the files of the committed move back `mark` under their names: a journal before its
// book, so that SQLite finds them together. A name taken meanwhile keeps both (a note).
QStringList placeStagedReturn(const QString& mark) {
    QStringList notes;
    const QDir folder(context().programFolder);
    QStringList names = stagedReturnFiles(mark);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.endsWith(QStringLiteral("-journal")) > b.endsWith(QStringLiteral("-journal"));
    });
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (const QString& name : names) {
        const QRegularExpressionMatch m = returnPattern().match(name);
        const QString rest = m.captured(u"rest");
        const QString path = folder.filePath(name);
        if (rest.startsWith(QLatin1Char('.'))) {  // a file being made, never finished
            removeDurably(path);
            continue;
        }
        const QString target = folder.filePath(m.captured(u"book") + rest);
        if (renameNoReplace(path, target)) {
            returnStep();
            continue;
        }
        const QString kept = target + QStringLiteral(".sacuvano-") + stamp;
        if (renameNoReplace(path, kept))
            notes << QStringLiteral(
                         "Prijenos knjige %1 u mapu programa dovršen je pri pokretanju, a pod "
                         "njenim imenom već postoji druga datoteka. Obje su sačuvane: prenesena "
                         "knjiga je %2. Provjerite koja je ispravna.")
                         .arg(m.captured(u"book"), QFileInfo(kept).fileName());
    }
    return notes;
}

struct ReturnedBook {
    QString id;     // on the server
    QString newId;  // in the folder
    QString name, kind, address;
    bool made = false;  // its schema exists (a book never entered has none)
    QString staged;     // the staged file's path
};

// The book numbers the folder must not give: its register's rows, the files beside it of either
// kind (journals, staged and kept files too), and the files it recorded as made.
QSet<qint64> takenBookIds(Database& master) {
    QSet<qint64> taken;
    Recordset rs = master.openRecordset(QStringLiteral("select id from otvoreneknjige"));
    for (; !rs.eof(); rs.moveNext())
        taken.insert(rs.value(0).toLongLong());
    static const QRegularExpression file(
        QStringLiteral("^(?:Skladiste|Proizvodnja)([0-9]{1,15})\\.mdb"));
    const QDir folder(context().programFolder);
    for (const QString& name :
         folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const QRegularExpressionMatch m = file.match(name);
        if (m.hasMatch()) taken.insert(m.captured(1).toLongLong());
    }
    return taken;
}

}  // namespace

QString copyServerBookToFile(const BookLocation& book, const QString& target,
                             const BookIdMap& ids) {
    if (!schema::ensureBookDatabase(target, book.kind()))
        throw DbError(DbErrorCode::DatabaseExists,
                      QStringLiteral("Datoteka %1 već postoji.").arg(QFileInfo(target).fileName()));
    QString difference;
    {
        Database from = Database::openBook(book);
        Database to = Database::open(target);
        Transaction snapshot(from);  // one view of the book while it is read
        copyRows(from, to, ids);
        difference = compareRows(from, to, ids);
        snapshot.commit();
    }
    if (difference.isEmpty() && book.kind() == kWarehouseKind) {
        const auto here = auditStock(BookLocation::file(target));
        const auto there = auditStock(book);
        if (here.size() != there.size())
            difference = QStringLiteral(
                             "provjera zaliha nalazi %1 razlika na poslužitelju, a %2 "
                             "u datoteci")
                             .arg(there.size())
                             .arg(here.size());
    }
    return difference;
}

QStringList finishInterruptedReturns() {
    QStringList notes;
    try {
        Database master = Database::open(context().masterPath());
        if (!master.hasTable(kReturns)) return notes;
        std::vector<std::pair<QString, QString>> marks;
        {
            Recordset rs =
                master.openRecordset(QStringLiteral("select oznaka,stanje from ") + kReturns);
            for (; !rs.eof(); rs.moveNext())
                marks.push_back({rs.text(QStringLiteral("oznaka")).trimmed(),
                                 rs.text(QStringLiteral("stanje")).trimmed()});
        }
        for (const auto& [mark, state] : marks) {
            static const QRegularExpression valid(QStringLiteral("^[0-9a-f]{1,16}$"));
            if (!valid.match(mark).hasMatch()) continue;
            if (state == kReturnDone)
                notes << placeStagedReturn(mark);
            else
                removeStagedReturn(mark);
            master.execute(
                QStringLiteral("delete from ") + kReturns + QStringLiteral(" where oznaka=?"),
                {mark});
        }
    } catch (const DbError&) {
        // Left for the next start: nothing is decided without the register.
    }
    return notes;
}

QString moveCompanyToFolder(const QString& companyIdText, BookIdMap* renumbered) {
    const QString id = companyIdText.trimmed();
    const QString stays =
        QStringLiteral("Knjige nisu prenesene u mapu programa; tvrtka ostaje na poslužitelju.\n");
    QString mark;
    try {
        finishInterruptedReturns();
        returnSteps = 0;
        const std::optional<CompanyServer> company = companyServer(id);
        if (!company) return QStringLiteral("Knjige tvrtke već su u mapi programa.");
        const ServerAddress& server = company->address;

        // The company's books, as its register schema on the server lists them.
        std::vector<ReturnedBook> books;
        {
            Database reg = Database::openBook(
                BookLocation::server(server, company->registerSchema, server::kRegisterKind));
            Recordset rs = reg.openRecordset(QStringLiteral(
                "select id,nazivknjige,vrstaknjige,adresa from otvoreneknjige order by id"));
            for (; !rs.eof(); rs.moveNext()) {
                ReturnedBook b;
                b.id = rs.text(QStringLiteral("id")).trimmed();
                b.kind = rs.text(QStringLiteral("vrstaknjige")).trimmed();
                b.name = rs.text(QStringLiteral("nazivknjige"));
                b.address = rs.text(QStringLiteral("adresa"));
                checkedBookFileName(b.kind, b.id);  // a row that names no book of ours stops it
                b.made = bookExists(
                    BookLocation::server(server, server::bookSchema(b.kind, b.id.toInt()), b.kind));
                books.push_back(b);
            }
        }

        // The mark, recorded before any file is made, and the books' ids in the folder.
        mark = QString::number(QRandomGenerator::global()->generate64() % 0xFFFFFFFFFFull, 16);
        BookIdMap changed;
        {
            Database master = Database::open(context().masterPath());
            if (!master
                     .openRecordset(
                         QStringLiteral("select id from otvoreneknjige where idtvrtke like ?"),
                         {id})
                     .eof())
                return stays + QStringLiteral(
                                   "U popisu tvrtki mape programa tvrtka već ima "
                                   "knjige; ništa nije promijenjeno.");
            Transaction t(master);
            if (!master.hasTable(kReturns))
                master.execute(QStringLiteral("create table ") + kReturns +
                               QStringLiteral(" (idtvrtke string(20), oznaka string(20), "
                                              "stanje string(10))"));
            master.execute(QStringLiteral("insert into ") + kReturns +
                               QStringLiteral("(idtvrtke,oznaka,stanje)values(?,?,?)"),
                           {id, mark, kReturnPending});
            t.commit();
            returnStep();

            const QSet<qint64> taken = takenBookIds(master);
            const auto made = [](const QString& n) {
                return bookFileWasMade(QStringLiteral("Skladiste") + n + QStringLiteral(".mdb")) ||
                       bookFileWasMade(QStringLiteral("Proizvodnja") + n + QStringLiteral(".mdb"));
            };
            qint64 next = master.idCounter(QStringLiteral("otvoreneknjige"));
            for (const qint64 n : taken)
                next = std::max(next, n);
            for (const ReturnedBook& b : books)
                next = std::max(next, b.id.toLongLong());
            for (ReturnedBook& b : books) {
                if (!taken.contains(b.id.toLongLong()) && !made(b.id)) {
                    b.newId = b.id;
                    continue;
                }
                do
                    ++next;
                while (taken.contains(next) || made(QString::number(next)));
                b.newId = QString::number(next);
                if (b.kind == kWarehouseKind && b.newId.size() > 4)
                    return stays + QStringLiteral(
                                       "Knjiga %1 dobila bi broj %2, a sastavnice "
                                       "proizvoda pamte najviše četiri znamenke.")
                                       .arg(b.name.trimmed(), b.newId);
                changed.insert(b.id, b.newId);
            }
        }

        // Every book made under its staged name, copied and checked.
        for (ReturnedBook& b : books) {
            if (!b.made) continue;
            const QString file = context().checkedBookPath(checkedBookFileName(b.kind, b.newId));
            b.staged = file + kReturnSuffix + mark;
            const BookLocation there =
                BookLocation::server(server, server::bookSchema(b.kind, b.id.toInt()), b.kind);
            const QString difference = copyServerBookToFile(there, b.staged, changed);
            returnStep();
            if (!difference.isEmpty()) {
                removeStagedReturn(mark);
                return stays + QStringLiteral("Kopija knjige %1 razlikuje se od sheme %2 (%3).")
                                   .arg(b.name.trimmed(), there.schema(), difference);
            }
            if (QFileInfo::exists(file) || QFileInfo(file).isSymLink())
                throw DbError(
                    DbErrorCode::DatabaseExists,
                    QStringLiteral("Datoteka %1 već postoji.").arg(QFileInfo(file).fileName()));
        }

        // The switch: the folder register lists the books, the server fields go.
        {
            Database master = Database::open(context().masterPath());
            Transaction t(master);
            QStringList madeFiles;
            for (const ReturnedBook& b : books) {
                master.execute(QStringLiteral("insert into otvoreneknjige(id,idtvrtke,nazivknjige,"
                                              "vrstaknjige,adresa)values(?,?,?,?,?)"),
                               {b.newId, id, b.name, b.kind, b.address});
                if (b.made)
                    madeFiles
                        << QFileInfo(context().bookPath(bookFileName(b.kind, b.newId))).fileName();
            }
            recordBookFilesMade(master, madeFiles);
            setCompanyServer(master, id, std::nullopt);
            master.execute(QStringLiteral("update ") + kReturns +
                               QStringLiteral(" set stanje=? where oznaka=?"),
                           {kReturnDone, mark});
            t.commit();
        }
        mark.clear();  // committed: the files are the folder's now
        returnStep();
        finishInterruptedReturns();
        if (renumbered) *renumbered = changed;
        return {};
    } catch (const DbError& e) {
        if (!mark.isEmpty()) {
            try {
                removeStagedReturn(mark);
            } catch (const DbError&) {
                // The next start removes them.
            }
        }
        return stays + e.description();
    }
}

}  // namespace kl
