#include "data/jetsql.h"

#include <QDate>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace kl::jet {
namespace {

// ---- Lexer ----------------------------------------------------------------------------------

enum class Tok {
    Ident,
    QIdent,
    String,
    Date,
    Number,
    Param,
    Op,
    LParen,
    RParen,
    Comma,
    Dot,
    Star,
    End
};

struct Token {
    Tok kind;
    QString text;  // identifier name, literal value, operator
    QDate date;
};

bool isIdentStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}
bool isIdentPart(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

QDate parseDateLiteral(const QString& body) {
    static const QRegularExpression ymd(
        QStringLiteral(R"(^\s*(\d{4})[/\-.](\d{1,2})[/\-.](\d{1,2})\s*$)"));
    static const QRegularExpression mdy(QStringLiteral(R"(^\s*(\d{1,2})/(\d{1,2})/(\d{4})\s*$)"));
    if (auto m = ymd.match(body); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (auto m = mdy.match(body); m.hasMatch())
        return QDate(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
    return {};
}

// The token of a one-character punctuation mark, End for any other character.
Tok punctuation(QChar c) {
    switch (c.unicode()) {
        case '?':
            return Tok::Param;
        case '(':
            return Tok::LParen;
        case ')':
            return Tok::RParen;
        case ',':
            return Tok::Comma;
        case '.':
            return Tok::Dot;
        case '*':
            return Tok::Star;
        default:
            return Tok::End;
    }
}

std::vector<Token> lex(const QString& sql) {
    std::vector<Token> out;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto fail = [&](const QString& what) {
        throw SqlError(QStringLiteral("%1 (znak %2)").arg(what).arg(i + 1));
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (isIdentStart(c)) {
            qsizetype j = i + 1;
            while (j < n && isIdentPart(sql[j]))
                ++j;
            out.push_back({Tok::Ident, sql.mid(i, j - i), {}});
            i = j;
        } else if (c.isDigit()) {
            qsizetype j = i;
            while (j < n && sql[j].isDigit())
                ++j;
            if (j < n && sql[j] == QLatin1Char('.') && j + 1 < n && sql[j + 1].isDigit()) {
                ++j;
                while (j < n && sql[j].isDigit())
                    ++j;
            }
            if (j < n && (sql[j] == QLatin1Char('e') || sql[j] == QLatin1Char('E'))) {
                qsizetype k = j + 1;
                if (k < n && (sql[k] == QLatin1Char('+') || sql[k] == QLatin1Char('-'))) ++k;
                if (k < n && sql[k].isDigit()) {
                    while (k < n && sql[k].isDigit())
                        ++k;
                    j = k;
                }
            }
            out.push_back({Tok::Number, sql.mid(i, j - i), {}});
            i = j;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // Both quote characters delimit text; a doubled quote stands for itself.
            QString value;
            qsizetype j = i + 1;
            for (;;) {
                if (j >= n) fail(QStringLiteral("Tekst bez završnog navodnika"));
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        value += c;
                        j += 2;
                        continue;
                    }
                    break;
                }
                value += sql[j++];
            }
            out.push_back({Tok::String, value, {}});
            i = j + 1;
        } else if (c == QLatin1Char('#')) {
            const qsizetype end = sql.indexOf(QLatin1Char('#'), i + 1);
            if (end < 0) fail(QStringLiteral("Datum bez završnog znaka #"));
            const QDate d = parseDateLiteral(sql.mid(i + 1, end - i - 1));
            if (!d.isValid()) fail(QStringLiteral("Neispravan datum ") + sql.mid(i, end - i + 1));
            out.push_back({Tok::Date, QString(), d});
            i = end + 1;
        } else if (c == QLatin1Char('[') || c == QLatin1Char('`')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char('`');
            const qsizetype end = sql.indexOf(close, i + 1);
            if (end < 0) fail(QStringLiteral("Ime bez završne zagrade"));
            out.push_back({Tok::QIdent, sql.mid(i + 1, end - i - 1), {}});
            i = end + 1;
        } else if (const Tok punct = punctuation(c); punct != Tok::End) {
            out.push_back({punct, QString(c), {}});
            ++i;
        } else if (c == QLatin1Char(';')) {
            // A closing semicolon is allowed; anything after it is not.
            ++i;
            while (i < n && sql[i].isSpace())
                ++i;
            if (i < n) fail(QStringLiteral("Više naredbi u jednoj"));
        } else {
            static const QStringList two = {QStringLiteral("<="), QStringLiteral(">="),
                                            QStringLiteral("<>"), QStringLiteral("!=")};
            const QString pair = sql.mid(i, 2);
            if (two.contains(pair)) {
                out.push_back(
                    {Tok::Op, pair == QLatin1String("!=") ? QStringLiteral("<>") : pair, {}});
                i += 2;
            } else if (QStringLiteral("=<>+-/&%").contains(c)) {
                out.push_back(
                    {Tok::Op, c == QLatin1Char('&') ? QStringLiteral("||") : QString(c), {}});
                ++i;
            } else {
                fail(QStringLiteral("Nepoznat znak '%1'").arg(c));
            }
        }
    }
    out.push_back({Tok::End, QString(), {}});
    return out;
}

const QSet<QString>& keywords() {
    static const QSet<QString> k = {
        "select", "distinct", "from",    "where",  "and",    "or",     "not",    "like",  "order",
        "by",     "asc",      "desc",    "insert", "into",   "values", "update", "set",   "delete",
        "create", "table",    "index",   "unique", "on",     "null",   "is",     "in",    "between",
        "as",     "join",     "inner",   "left",   "right",  "outer",  "cross",  "group", "having",
        "exists", "union",    "all",     "limit",  "offset", "case",   "when",   "then",  "else",
        "end",    "drop",     "primary", "key"};
    return k;
}

bool isKeyword(const Token& t, const char* word) {
    return t.kind == Tok::Ident && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}
bool isAnyKeyword(const Token& t) {
    return t.kind == Tok::Ident && keywords().contains(t.text.toLower());
}

QString quoted(const QString& name) {
    QString q = name;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

// ---- Column types ---------------------------------------------------------------------------

struct JetType {
    ColType type;
    bool takesLength;
};

bool jetType(const QString& word, JetType* out) {
    const QString w = word.toLower();
    if (w == "autoincrement" || w == "counter")
        *out = {ColType::Counter, false};
    else if (w == "string" || w == "text" || w == "varchar" || w == "char" || w == "memo")
        *out = {ColType::Text, true};
    else if (w == "single" || w == "real" || w == "float4")
        *out = {ColType::Single, false};
    else if (w == "double" || w == "float" || w == "float8")
        *out = {ColType::Double, false};
    else if (w == "currency" || w == "money")
        *out = {ColType::Currency, false};
    else if (w == "long" || w == "integer" || w == "int" || w == "short" || w == "byte")
        *out = {ColType::Long, false};
    else if (w == "date" || w == "datetime")
        *out = {ColType::Date, false};
    else
        return false;
    return true;
}

// ---- Translation ----------------------------------------------------------------------------

struct TableRef {
    QString name;   // as written
    QString alias;  // as written, or empty
    QString sql;    // quoted, schema-qualified
    const std::vector<Column>* columns = nullptr;
};

struct Unit {
    enum Kind { Raw, Keyword, ColRef, Slot, Cstr, Site } kind = Raw;
    QString text;  // SQL emitted for this unit
    Column col;    // ColRef / Cstr: the column
    bool resolved = false;
    int slot = -1;  // Slot
    int site = -1;  // Site
};

class Translator {
  public:
    Translator(const QString& sql, const SchemaLookup& lookup, const QString& schema,
               Dialect dialect)
        : tokens_(lex(sql)), lookup_(lookup), schema_(schema), pg_(dialect == Dialect::Postgres) {}

    Translation run();

  private:
    // A name as the statement wrote it: on a server, where quoted names are case-sensitive, in
    // the lower case the program's tables and columns are made in.
    QString ident(const QString& name) const { return quoted(pg_ ? name.toLower() : name); }
    QString tableSql(const QString& name) const {
        return schema_.isEmpty() ? ident(name) : quoted(schema_) + QLatin1Char('.') + ident(name);
    }
    QString cstrSql(const Unit& u) const;
    QString keyed(const QString& sql) const;
    void keyOrderBy();
    void nameExpressions();
    const Token& tok(size_t i) const { return tokens_[std::min(i, tokens_.size() - 1)]; }
    bool identLike(size_t i) const {
        return (tok(i).kind == Tok::Ident && !isAnyKeyword(tok(i))) || tok(i).kind == Tok::QIdent;
    }
    void collectTables();
    size_t parseTableList(size_t i);
    bool resolve(const QString& qualifier, const QString& name, Column* col) const;
    void buildUnits();
    void matchComparisons();
    void replaceBySite(size_t first, size_t last, Site site);
    void matchInsertTargets();
    Translation createTable();
    void addSlot(Unit& u, int param, const QVariant& literal);

    std::vector<Token> tokens_;
    const SchemaLookup& lookup_;
    QString schema_;
    bool pg_ = false;
    Translation out_;
    std::vector<TableRef> tables_;
    std::vector<bool> isTableToken_;
    std::vector<bool> isAliasToken_;
    std::vector<Unit> units_;
    bool aggregate_ = false;
};

size_t Translator::parseTableList(size_t i) {
    // table [as] [alias] { (',' | join-words) table [as] [alias] [on <condition>] }
    for (;;) {
        if (!identLike(i)) throw SqlError(QStringLiteral("Očekuje se ime tablice"));
        TableRef t;
        t.name = tok(i).text;
        t.sql = tableSql(t.name);
        t.columns = lookup_ ? lookup_(schema_, t.name) : nullptr;
        isTableToken_[i] = true;
        ++i;
        if (isKeyword(tok(i), "as")) ++i;
        if (identLike(i)) {
            t.alias = tok(i).text;
            isAliasToken_[i] = true;
            ++i;
        }
        tables_.push_back(t);
        if (tok(i).kind == Tok::Comma) {
            ++i;
            continue;
        }
        if (isKeyword(tok(i), "on")) {
            // Skip the join condition; its column references are handled like any other.
            int depth = 0;
            while (tok(i).kind != Tok::End) {
                if (tok(i).kind == Tok::LParen) ++depth;
                if (tok(i).kind == Tok::RParen) {
                    if (depth == 0) break;
                    --depth;
                }
                if (depth == 0 && (isKeyword(tok(i), "join") || isKeyword(tok(i), "inner") ||
                                   isKeyword(tok(i), "left") || isKeyword(tok(i), "right") ||
                                   isKeyword(tok(i), "cross") || isKeyword(tok(i), "where") ||
                                   isKeyword(tok(i), "order") || isKeyword(tok(i), "group")))
                    break;
                ++i;
            }
        }
        size_t j = i;
        while (isKeyword(tok(j), "inner") || isKeyword(tok(j), "left") ||
               isKeyword(tok(j), "right") || isKeyword(tok(j), "outer") ||
               isKeyword(tok(j), "cross"))
            ++j;
        if (isKeyword(tok(j), "join")) {
            i = j + 1;
            continue;
        }
        return i;
    }
}

void Translator::collectTables() {
    isTableToken_.assign(tokens_.size(), false);
    isAliasToken_.assign(tokens_.size(), false);
    const Token& first = tok(0);
    if (isKeyword(first, "insert")) {
        if (!isKeyword(tok(1), "into")) throw SqlError(QStringLiteral("Očekuje se INTO"));
        parseTableList(2);
    } else if (isKeyword(first, "update")) {
        parseTableList(1);
    }
    for (size_t i = 0; i < tokens_.size(); ++i) {
        if (isKeyword(tok(i), "from") && !isTableToken_[i]) i = parseTableList(i + 1) - 1;
    }
}

bool Translator::resolve(const QString& qualifier, const QString& name, Column* col) const {
    for (const TableRef& t : tables_) {
        if (!qualifier.isEmpty() && qualifier.compare(t.alias, Qt::CaseInsensitive) != 0 &&
            qualifier.compare(t.name, Qt::CaseInsensitive) != 0)
            continue;
        if (!t.columns) continue;
        for (const Column& c : *t.columns) {
            if (c.name.compare(name, Qt::CaseInsensitive) == 0) {
                *col = c;
                return true;
            }
        }
    }
    return false;
}

void Translator::addSlot(Unit& u, int param, const QVariant& literal) {
    u.kind = Unit::Slot;
    u.text = QStringLiteral("?");
    u.slot = int(out_.bindSlots.size());
    out_.bindSlots.push_back({param, literal, {}});
}

void Translator::buildUnits() {
    static const QSet<QString> aggregates = {"count", "sum", "min", "max", "avg"};
    for (size_t i = 0; tok(i).kind != Tok::End; ++i) {
        const Token& t = tok(i);
        Unit u;
        switch (t.kind) {
            case Tok::String:
                addSlot(u, -1, t.text);
                break;
            case Tok::Date:
                addSlot(u, -1, t.date);
                break;
            case Tok::Param:
                addSlot(u, out_.params++, QVariant());
                break;
            case Tok::Number:
            case Tok::Op:
            case Tok::LParen:
            case Tok::RParen:
            case Tok::Comma:
            case Tok::Star:
                u.text = t.text;
                break;
            case Tok::Dot:
                u.text = QStringLiteral(".");
                break;
            case Tok::Ident:
            case Tok::QIdent: {
                if (isTableToken_[i]) {
                    u.text = tableSql(t.text);
                    break;
                }
                if (isAliasToken_[i]) {
                    u.text = ident(t.text);
                    break;
                }
                if (t.kind == Tok::Ident && isAnyKeyword(t)) {
                    u.kind = Unit::Keyword;
                    u.text = t.text.toUpper();
                    break;
                }
                if (t.kind == Tok::Ident && tok(i + 1).kind == Tok::LParen) {
                    const QString fn = t.text.toLower();
                    if (aggregates.contains(fn)) aggregate_ = true;
                    if (fn == QLatin1String("cstr")) {
                        // cstr(column) becomes a typed conversion; cstr(expression) a general one.
                        size_t j = i + 2;
                        QString qualifier;
                        if (identLike(j) && tok(j + 1).kind == Tok::Dot && identLike(j + 2)) {
                            qualifier = tok(j).text;
                            j += 2;
                        }
                        Column col;
                        if (identLike(j) && tok(j + 1).kind == Tok::RParen &&
                            resolve(qualifier, tok(j).text, &col)) {
                            u.kind = Unit::Cstr;
                            u.col = col;
                            u.resolved = true;
                            u.text = (qualifier.isEmpty() ? QString() : ident(qualifier) + '.') +
                                     ident(col.name);
                            i = j + 1;
                            break;
                        }
                        u.text = QStringLiteral("jet_cstr");
                        break;
                    }
                    if (fn == QLatin1String("ucase"))
                        u.text = QStringLiteral("upper");
                    else if (fn == QLatin1String("lcase"))
                        u.text = QStringLiteral("lower");
                    else if (fn == QLatin1String("len"))
                        u.text = QStringLiteral("length");
                    else
                        u.text = fn;
                    break;
                }
                // A column reference, possibly qualified.
                u.kind = Unit::ColRef;
                QString qualifier;
                QString name = t.text;
                if (tok(i + 1).kind == Tok::Dot) {
                    if (tok(i + 2).kind == Tok::Star) {
                        u.kind = Unit::Raw;
                        u.text = ident(t.text) + QStringLiteral(".*");
                        i += 2;
                        break;
                    }
                    if (!identLike(i + 2)) throw SqlError(QStringLiteral("Očekuje se ime stupca"));
                    qualifier = t.text;
                    name = tok(i + 2).text;
                    i += 2;
                }
                u.resolved = resolve(qualifier, name, &u.col);
                u.text = (qualifier.isEmpty() ? QString() : ident(qualifier) + '.') +
                         (u.resolved ? ident(u.col.name) : ident(name));
                break;
            }
            case Tok::End:
                break;
        }
        units_.push_back(u);
    }
}

// The key of a text expression on a server, in the order of the keys' code points. The function
// is the book's own (found through the search path, or in the schema the statement names).
QString Translator::keyed(const QString& sql) const {
    const QString fn =
        schema_.isEmpty() ? QStringLiteral("kl_key") : quoted(schema_) + QStringLiteral(".kl_key");
    return QStringLiteral("(%1(%2) COLLATE \"C\")").arg(fn, sql);
}

// The SQL text of the typed text form of a column.
QString Translator::cstrSql(const Unit& u) const {
    if (pg_) {
        // The forms the statements compare: ids and other integers as their decimal text, dates
        // as "dd.mm.yyyy"; texts as they are.
        switch (u.col.type) {
            case ColType::Text:
                return u.text;
            case ColType::Date:
                return QStringLiteral("to_char(%1, 'DD.MM.YYYY')").arg(u.text);
            default:
                return QStringLiteral("(%1)::text").arg(u.text);
        }
    }
    switch (u.col.type) {
        case ColType::Counter:
        case ColType::Long:
            return QStringLiteral("jet_cstr_int(%1)").arg(u.text);
        case ColType::Single:
            return QStringLiteral("jet_cstr_single(%1)").arg(u.text);
        case ColType::Double:
            return QStringLiteral("jet_cstr_double(%1)").arg(u.text);
        case ColType::Currency:
            return QStringLiteral("jet_cstr_currency(%1)").arg(u.text);
        case ColType::Date:
            return QStringLiteral("jet_cstr_date(%1)").arg(u.text);
        case ColType::Text:
            return u.text;
        case ColType::Unknown:
            break;
    }
    return QStringLiteral("jet_cstr(%1)").arg(u.text);
}

// Units first..last (a comparison) become one site.
void Translator::replaceBySite(size_t first, size_t last, Site site) {
    for (size_t k = first; k <= last; ++k)
        units_[k] = Unit();
    units_[first].kind = Unit::Site;
    units_[first].site = int(out_.sites.size());
    out_.sites.push_back(std::move(site));
}

void Translator::matchComparisons() {
    auto isCompareOp = [](const Unit& u) {
        static const QSet<QString> ops = {"=", "<>", "<", ">", "<=", ">="};
        return u.kind == Unit::Raw && ops.contains(u.text);
    };
    auto isArithmeticOp = [](const Unit& u) {
        return u.kind == Unit::Raw &&
               (u.text == "+" || u.text == "-" || u.text == "*" || u.text == "/");
    };
    auto isNumber = [](ColType t) {
        return t == ColType::Single || t == ColType::Double || t == ColType::Currency ||
               t == ColType::Long || t == ColType::Counter;
    };
    // Inside "update ... set" a text value is stored and must fit its column; elsewhere it is only
    // compared, and a longer value simply matches nothing.
    std::vector<bool> inSet(units_.size(), false);
    if (out_.kind == StatementKind::Update) {
        bool on = false;
        for (size_t i = 0; i < units_.size(); ++i) {
            if (units_[i].kind == Unit::Keyword && units_[i].text == "SET") on = true;
            if (units_[i].kind == Unit::Keyword && units_[i].text == "WHERE") on = false;
            inSet[i] = on;
        }
    }
    // On a server, "x like ?" matches x's key against the pattern, bound as a regular expression.
    auto serverLike = [&](size_t opIndex, Unit& lhsUnit, Slot& slot, bool negated) {
        lhsUnit.text = keyed(lhsUnit.text);
        lhsUnit.kind = Unit::Raw;
        units_[opIndex] = Unit();
        units_[opIndex].text = negated ? QStringLiteral("!~") : QStringLiteral("~");
        if (negated) units_[opIndex - 1] = Unit();
        slot.likePattern = true;
    };
    const QString keyedSlot = keyed(QStringLiteral("?"));
    for (size_t i = 1; i + 1 < units_.size(); ++i) {
        Unit& op = units_[i];
        if (isArithmeticOp(op)) {
            // stanje + ?: the value is a number of the column's kind.
            Unit& a = units_[i - 1];
            Unit& b = units_[i + 1];
            if (a.kind == Unit::ColRef && a.resolved && b.kind == Unit::Slot &&
                isNumber(a.col.type))
                out_.bindSlots[b.slot].target = a.col;
            if (b.kind == Unit::ColRef && b.resolved && a.kind == Unit::Slot &&
                isNumber(b.col.type))
                out_.bindSlots[a.slot].target = b.col;
            continue;
        }
        const bool like = op.kind == Unit::Keyword && op.text == QLatin1String("LIKE");
        if (!like && !isCompareOp(op)) continue;
        const bool notLike =
            like && units_[i - 1].kind == Unit::Keyword && units_[i - 1].text == "NOT";
        const size_t lhsIndex = notLike ? i - 2 : i - 1;
        if (notLike && i < 2) continue;
        Unit& lhs = units_[lhsIndex];
        Unit& rhs = units_[i + 1];

        if (lhs.kind == Unit::Slot && rhs.kind == Unit::ColRef && rhs.resolved) {
            out_.bindSlots[lhs.slot].target = rhs.col;
            // Only compared, never stored: a longer value simply matches nothing.
            if (!inSet[i]) out_.bindSlots[lhs.slot].target.length = 0;
            if (pg_ && !like && rhs.col.type == ColType::Text) {
                lhs.text = keyedSlot;
                rhs.text = keyed(rhs.text);
                rhs.kind = Unit::Raw;
            }
            continue;
        }
        if (rhs.kind != Unit::Slot) {
            if (lhs.kind == Unit::Cstr) lhs.text = cstrSql(lhs), lhs.kind = Unit::Raw;
            // A text column that holds ids, compared with an id: the file compares them as
            // numbers when the text is one; the server has no such conversion, so both compare
            // as texts (the program writes an id's decimal form).
            if (pg_ && !like && lhs.kind == Unit::ColRef && rhs.kind == Unit::ColRef &&
                lhs.resolved && rhs.resolved &&
                (lhs.col.type == ColType::Text) != (rhs.col.type == ColType::Text)) {
                Unit& number = lhs.col.type == ColType::Text ? rhs : lhs;
                if (number.col.type == ColType::Counter || number.col.type == ColType::Long)
                    number.text = QStringLiteral("(%1)::text").arg(number.text),
                    number.kind = Unit::Raw;
            }
            if (pg_ && !like && !inSet[i] && lhs.kind == Unit::ColRef && rhs.kind == Unit::ColRef &&
                lhs.resolved && rhs.resolved && lhs.col.type == ColType::Text &&
                rhs.col.type == ColType::Text) {
                lhs.text = keyed(lhs.text), lhs.kind = Unit::Raw;
                rhs.text = keyed(rhs.text), rhs.kind = Unit::Raw;
            }
            continue;
        }
        Slot& slot = out_.bindSlots[rhs.slot];
        const bool textColumn = (lhs.kind == Unit::ColRef || lhs.kind == Unit::Cstr) &&
                                lhs.resolved && lhs.col.type == ColType::Text;
        if (lhs.kind == Unit::ColRef && lhs.resolved && !textColumn) {
            slot.target = lhs.col;
            if (like) {
                // A like on a number or date compares its text form.
                slot.target = Column{lhs.col.name, ColType::Text, 0};
                lhs.text = cstrSql(lhs);
                if (pg_) serverLike(i, lhs, slot, notLike);
            }
            continue;
        }
        if (textColumn) {
            slot.target = lhs.col;
            if (!inSet[i]) slot.target.length = 0;
            if (!like) {
                lhs.kind = Unit::Raw;
                if (pg_ && !inSet[i]) lhs.text = keyed(lhs.text), rhs.text = keyedSlot;
                continue;
            }
            if (pg_) {
                slot.likePattern = true;
                const QString key = keyed(lhs.text);
                replaceBySite(
                    lhsIndex, i + 1,
                    {Site::LikeNoWildcard, rhs.slot,
                     key + (notLike ? QStringLiteral(" <> ") : QStringLiteral(" = ")) + keyedSlot,
                     key + (notLike ? QStringLiteral(" !~ ?") : QStringLiteral(" ~ ?")), true});
                continue;
            }
            // column like ?  ->  column = ?  when the value has no wildcard.
            replaceBySite(
                lhsIndex, i + 1,
                {Site::LikeNoWildcard, rhs.slot,
                 lhs.text + (notLike ? QStringLiteral(" <> ?") : QStringLiteral(" = ?")),
                 lhs.text + (notLike ? QStringLiteral(" NOT LIKE ?") : QStringLiteral(" LIKE ?")),
                 true});
            continue;
        }
        if (lhs.kind == Unit::Cstr) {
            slot.target = Column{lhs.col.name, ColType::Text, 0};
            const bool idColumn = lhs.col.type == ColType::Counter || lhs.col.type == ColType::Long;
            const QString opText = like ? QStringLiteral("LIKE") : op.text;
            if (idColumn && !notLike && (like || op.text == "=" || op.text == "<>") && pg_) {
                slot.likePattern = like;
                replaceBySite(lhsIndex, i + 1,
                              {Site::IdText, rhs.slot,
                               lhs.text + (op.text == "<>" ? QStringLiteral(" <> ?")
                                                           : QStringLiteral(" = ?")),
                               keyed(cstrSql(lhs)) + (like ? QStringLiteral(" ~ ?")
                                                           : QLatin1Char(' ') + op.text +
                                                                 QLatin1Char(' ') + keyedSlot),
                               like});
                continue;
            }
            if (idColumn && !notLike && (like || op.text == "=" || op.text == "<>")) {
                replaceBySite(
                    lhsIndex, i + 1,
                    {Site::IdText, rhs.slot,
                     lhs.text +
                         (op.text == "<>" ? QStringLiteral(" <> ?") : QStringLiteral(" = ?")),
                     cstrSql(lhs) + QLatin1Char(' ') + opText +
                         (like ? QStringLiteral(" ?") : QStringLiteral(" ? COLLATE JETCI")),
                     like});
                continue;
            }
            lhs.text = cstrSql(lhs);
            lhs.kind = Unit::Raw;
            if (pg_) {
                if (like)
                    serverLike(i, lhs, slot, notLike);
                else
                    lhs.text = keyed(lhs.text), rhs.text = keyedSlot;
                continue;
            }
            if (!like) rhs.text = QStringLiteral("? COLLATE JETCI");
        }
    }
    for (Unit& u : units_)
        if (u.kind == Unit::Cstr) u.text = cstrSql(u), u.kind = Unit::Raw;
    if (pg_)
        for (const Unit& u : units_)
            if (u.kind == Unit::Keyword && u.text == QLatin1String("LIKE"))
                throw SqlError(QStringLiteral("Usporedba LIKE koju poslužitelj ne može izvesti"));
}

// The file engine names a result column that is an expression by its text ("count ( * )"), the
// server by its function ("count"): on a server such a column is named as the file names it.
void Translator::nameExpressions() {
    size_t i = 1;
    if (i < units_.size() && units_[i].kind == Unit::Keyword && units_[i].text == "DISTINCT") ++i;
    size_t start = i;
    int depth = 0;
    auto name = [&](size_t first, size_t end) {
        QStringList parts;
        for (size_t k = first; k < end; ++k) {
            if (units_[k].kind == Unit::Keyword && units_[k].text == QLatin1String("AS")) return;
            if (units_[k].kind == Unit::Slot || units_[k].kind == Unit::Site) return;
            if (!units_[k].text.isEmpty()) parts << units_[k].text;
        }
        if (parts.size() > 1)
            units_[end - 1].text += QStringLiteral(" AS ") + quoted(parts.join(QLatin1Char(' ')));
    };
    for (; i < units_.size(); ++i) {
        const Unit& u = units_[i];
        if (u.text == QLatin1String("(")) ++depth;
        if (u.text == QLatin1String(")")) --depth;
        if (depth != 0) continue;
        const bool from = u.kind == Unit::Keyword && u.text == QLatin1String("FROM");
        if (from || u.text == QLatin1String(",")) {
            if (i > start) name(start, i);
            start = i + 1;
        }
        if (from) break;
    }
}

// On a server, "order by" a text column orders by its key, and Null comes before every value as
// in a book file (the server's own order puts it after them).
void Translator::keyOrderBy() {
    bool inOrder = false;
    int depth = 0, orderDepth = 0;
    size_t last = 0;  // the last unit of the item being read
    bool item = false;
    const auto endItem = [&] {
        if (!item) return;
        Unit& l = units_[last];
        const bool desc = l.kind == Unit::Keyword && l.text == QLatin1String("DESC");
        l.text += desc ? QStringLiteral(" NULLS LAST") : QStringLiteral(" NULLS FIRST");
        item = false;
    };
    for (size_t i = 0; i < units_.size(); ++i) {
        Unit& u = units_[i];
        if (inOrder && depth == orderDepth && u.text == QLatin1String(")")) {
            endItem();
            inOrder = false;
        }
        if (u.text == QLatin1String("(")) ++depth;
        if (u.text == QLatin1String(")")) --depth;
        if (u.kind == Unit::Keyword && u.text == QLatin1String("ORDER") && i + 1 < units_.size() &&
            units_[i + 1].text == QLatin1String("BY")) {
            inOrder = true;
            orderDepth = depth;
            ++i;
            continue;
        }
        if (!inOrder) continue;
        if (depth == orderDepth && u.kind == Unit::Keyword &&
            (u.text == QLatin1String("LIMIT") || u.text == QLatin1String("OFFSET"))) {
            endItem();
            inOrder = false;
            continue;
        }
        if (depth == orderDepth && u.text == QLatin1String(",")) {
            endItem();
            continue;
        }
        if (depth == orderDepth && u.kind == Unit::ColRef && u.resolved &&
            u.col.type == ColType::Text)
            u.text = keyed(u.text), u.kind = Unit::Raw;
        if (!u.text.isEmpty()) last = i, item = true;
    }
    if (inOrder) endItem();
}

void Translator::matchInsertTargets() {
    // insert into t ( c1 , c2 ... ) values ( v1 , v2 ... )
    if (tables_.empty()) return;
    size_t i = 0;
    while (i < units_.size() && units_[i].text != QLatin1String("("))
        ++i;
    std::vector<Column> cols;
    bool allKnown = true;
    for (++i; i < units_.size() && units_[i].text != QLatin1String(")"); ++i) {
        if (units_[i].kind == Unit::ColRef) {
            cols.push_back(units_[i].col);
            allKnown = allKnown && units_[i].resolved;
        }
    }
    while (i < units_.size() && !(units_[i].kind == Unit::Keyword && units_[i].text == "VALUES"))
        ++i;
    while (i < units_.size() && units_[i].text != QLatin1String("("))
        ++i;
    size_t value = 0;
    int depth = 0;
    std::vector<int> groupUnits;
    auto finishValue = [&]() {
        if (groupUnits.size() == 1 && units_[groupUnits[0]].kind == Unit::Slot &&
            value < cols.size())
            out_.bindSlots[units_[groupUnits[0]].slot].target = cols[value];
        groupUnits.clear();
        ++value;
    };
    for (++i; i < units_.size(); ++i) {
        const QString& t = units_[i].text;
        if (t == QLatin1String("(")) ++depth;
        if (t == QLatin1String(")")) {
            if (depth == 0) {
                finishValue();
                break;
            }
            --depth;
        }
        if (t == QLatin1String(",") && depth == 0) {
            finishValue();
            continue;
        }
        groupUnits.push_back(int(i));
    }
    if (allKnown && value != cols.size())
        throw SqlError(QStringLiteral("Broj vrijednosti ne odgovara broju stupaca"));
}

Translation Translator::createTable() {
    // create table name ( col type [(n)] [not] [null] , ... )
    size_t i = 2;
    if (!identLike(i)) throw SqlError(QStringLiteral("Očekuje se ime tablice"));
    const QString table = tok(i++).text;
    if (tok(i++).kind != Tok::LParen) throw SqlError(QStringLiteral("Očekuje se ("));
    QStringList defs;
    for (;;) {
        if (!identLike(i)) throw SqlError(QStringLiteral("Očekuje se ime stupca"));
        const QString name = tok(i++).text;
        JetType jt;
        if (tok(i).kind != Tok::Ident || !jetType(tok(i).text, &jt))
            throw SqlError(QStringLiteral("Nepoznata vrsta stupca ") + tok(i).text);
        ++i;
        int length = 0;
        if (tok(i).kind == Tok::LParen) {
            if (!jt.takesLength || tok(i + 1).kind != Tok::Number || tok(i + 2).kind != Tok::RParen)
                throw SqlError(QStringLiteral("Neispravna duljina stupca ") + name);
            length = tok(i + 1).text.toInt();
            i += 3;
        } else if (jt.type == ColType::Text &&
                   tok(i - 1).text.compare("memo", Qt::CaseInsensitive) != 0) {
            length = 255;
        }
        bool notNull = false;
        if (isKeyword(tok(i), "not") && isKeyword(tok(i + 1), "null")) {
            notNull = true;
            i += 2;
        } else if (isKeyword(tok(i), "null")) {
            ++i;
        }
        if (pg_) {
            // The server checks a text's length itself (varchar), and orders by keys.
            QString def = ident(name) + QLatin1Char(' ') + serverType(jt.type, length);
            if (notNull) def += QStringLiteral(" NOT NULL");
            defs << def;
        } else {
            QString def = quoted(name) + QLatin1Char(' ') + declaredType(jt.type, length);
            if (jt.type == ColType::Counter) def += QStringLiteral(" PRIMARY KEY AUTOINCREMENT");
            if (notNull) def += QStringLiteral(" NOT NULL");
            if (jt.type == ColType::Text) {
                def += QStringLiteral(" COLLATE JETCI");
                if (length > 0)
                    def += QStringLiteral(" CONSTRAINT %1 CHECK(length(%2)<=%3)")
                               .arg(quoted(QStringLiteral("kl_len:%1:%2").arg(name).arg(length)),
                                    quoted(name))
                               .arg(length);
            }
            defs << def;
        }
        if (tok(i).kind == Tok::Comma) {
            ++i;
            continue;
        }
        if (tok(i).kind == Tok::RParen && tok(i + 1).kind == Tok::End) break;
        throw SqlError(QStringLiteral("Neispravna definicija tablice ") + table);
    }
    Translation t;
    t.kind = StatementKind::CreateTable;
    t.changesSchema = true;
    t.sql = QStringLiteral("CREATE TABLE %1 (%2)")
                .arg(tableSql(table), defs.join(QStringLiteral(", ")));
    return t;
}

Translation Translator::run() {
    const Token& first = tok(0);
    if (first.kind == Tok::End) throw SqlError(QStringLiteral("Prazna naredba"));
    if (isKeyword(first, "create") && isKeyword(tok(1), "table")) return createTable();

    if (isKeyword(first, "select"))
        out_.kind = StatementKind::Select;
    else if (isKeyword(first, "insert"))
        out_.kind = StatementKind::Insert;
    else if (isKeyword(first, "update"))
        out_.kind = StatementKind::Update;
    else if (isKeyword(first, "delete"))
        out_.kind = StatementKind::Delete;
    else if (isKeyword(first, "create"))
        out_.kind = StatementKind::CreateIndex;
    else if (isKeyword(first, "drop"))
        out_.kind = StatementKind::Other;
    else
        throw SqlError(QStringLiteral("Nepoznata naredba ") + first.text);
    out_.changesSchema =
        out_.kind == StatementKind::CreateIndex || out_.kind == StatementKind::Other;

    if (out_.kind == StatementKind::CreateIndex) {
        // create [unique] index name on table ( columns ): the index lives in the table's file.
        size_t i = 1;
        if (isKeyword(tok(i), "unique")) ++i;
        if (!isKeyword(tok(i), "index") || !identLike(i + 1) || !isKeyword(tok(i + 2), "on") ||
            !identLike(i + 3))
            throw SqlError(QStringLiteral("Neispravna naredba create index"));
        const QString table = tok(i + 3).text;
        TableRef t{table, QString(), quoted(table), lookup_ ? lookup_(schema_, table) : nullptr};
        tables_.push_back(t);
        QString sql =
            i == 2 ? QStringLiteral("CREATE UNIQUE INDEX ") : QStringLiteral("CREATE INDEX ");
        // A server puts the index into its table's schema; a text column is indexed by its key.
        if (pg_)
            sql += ident(tok(i + 1).text) + QStringLiteral(" ON ") + tableSql(table) +
                   QStringLiteral(" ");
        else
            sql += tableSql(tok(i + 1).text) + QStringLiteral(" ON ") + quoted(table) +
                   QStringLiteral(" ");
        for (size_t j = i + 4; tok(j).kind != Tok::End; ++j) {
            const Token& tk = tok(j);
            Column col;
            if (pg_ && tk.kind == Tok::Ident && !isAnyKeyword(tk) && resolve({}, tk.text, &col) &&
                col.type == ColType::Text)
                sql += keyed(ident(col.name));
            else if (tk.kind == Tok::Ident || tk.kind == Tok::QIdent)
                sql += isAnyKeyword(tk) ? tk.text.toUpper() : ident(tk.text);
            else
                sql += tk.text;
            sql += QLatin1Char(' ');
        }
        out_.sql = sql.trimmed();
        return out_;
    }

    collectTables();
    buildUnits();
    if (out_.kind == StatementKind::Insert) matchInsertTargets();
    matchComparisons();
    if (pg_) keyOrderBy();
    if (pg_ && out_.kind == StatementKind::Select) nameExpressions();

    QString sql;
    sql.reserve(256);
    bool distinct = false;
    for (size_t i = 0; i < units_.size(); ++i) {
        const Unit& u = units_[i];
        if (u.kind == Unit::Keyword &&
            (u.text == "DISTINCT" || u.text == "GROUP" || u.text == "UNION"))
            distinct = true;
        if (u.kind == Unit::Site) {
            sql += QStringLiteral("\x01%1\x02 ").arg(u.site);
            continue;
        }
        if (u.text.isEmpty()) continue;
        sql += u.text;
        sql += QLatin1Char(' ');
    }
    sql.chop(1);
    out_.sql = sql;

    // A server's row identity: the table's counter column (ctid for a table without one).
    QString counter;
    if (!tables_.empty() && tables_.front().columns)
        for (const Column& c : *tables_.front().columns)
            if (c.type == ColType::Counter) counter = ident(c.name);
    if (pg_ && out_.kind == StatementKind::Insert && !counter.isEmpty()) {
        out_.sql += QStringLiteral(" RETURNING ") + counter;
        out_.returnsId = true;
    }
    if (out_.kind == StatementKind::Select && tables_.size() == 1 && !aggregate_ && !distinct) {
        const TableRef& t = tables_.front();
        out_.rowidTable = t.sql;
        out_.rowidColumn = !pg_                ? QStringLiteral("rowid")
                           : counter.isEmpty() ? QStringLiteral("ctid")
                                               : counter;
        const QString owner = t.alias.isEmpty() ? t.sql : ident(t.alias);
        out_.sql.insert(6, QStringLiteral(" ") + owner + QLatin1Char('.') + out_.rowidColumn +
                               QLatin1Char(','));
        // Rows come in stored order, and rows equal under "order by" keep it too: the windows
        // rely on it (the last row of "select id from pi" is the newest header), whichever
        // index SQLite chooses to read through.
        bool ordered = false;
        for (const Unit& u : units_)
            if (u.kind == Unit::Keyword && u.text == QLatin1String("ORDER")) ordered = true;
        const bool limited = std::any_of(units_.begin(), units_.end(), [](const Unit& u) {
            return u.kind == Unit::Keyword && u.text == QLatin1String("LIMIT");
        });
        if (!limited)
            out_.sql += (ordered ? QStringLiteral(", ") : QStringLiteral(" ORDER BY ")) + owner +
                        QLatin1Char('.') + out_.rowidColumn;
    }
    return out_;
}

}  // namespace

QString declaredType(ColType type, int length) {
    switch (type) {
        case ColType::Counter:
            return QStringLiteral("INTEGER");
        case ColType::Text:
            return length > 0 ? QStringLiteral("VARCHAR(%1)").arg(length) : QStringLiteral("TEXT");
        case ColType::Single:
            return QStringLiteral("SINGLE_REAL");
        case ColType::Double:
            return QStringLiteral("DOUBLE_REAL");
        case ColType::Currency:
            return QStringLiteral("CURRENCY_REAL");
        case ColType::Long:
            return QStringLiteral("LONG_INTEGER");
        case ColType::Date:
            return QStringLiteral("DATE_TEXT");
        case ColType::Unknown:
            break;
    }
    return QString();
}

Column columnFromDeclared(const QString& name, const QString& declared) {
    const QString d = declared.trimmed().toUpper();
    Column c{name, ColType::Unknown, 0};
    if (d == QLatin1String("INTEGER"))
        c.type = ColType::Counter;
    else if (d.startsWith(QLatin1String("VARCHAR("))) {
        c.type = ColType::Text;
        c.length = d.mid(8, d.size() - 9).toInt();
    } else if (d == QLatin1String("TEXT"))
        c.type = ColType::Text;
    else if (d == QLatin1String("SINGLE_REAL"))
        c.type = ColType::Single;
    else if (d == QLatin1String("DOUBLE_REAL"))
        c.type = ColType::Double;
    else if (d == QLatin1String("CURRENCY_REAL"))
        c.type = ColType::Currency;
    else if (d == QLatin1String("LONG_INTEGER"))
        c.type = ColType::Long;
    else if (d == QLatin1String("DATE_TEXT"))
        c.type = ColType::Date;
    return c;
}

Translation translate(const QString& sql, const SchemaLookup& lookup, const QString& schema,
                      Dialect dialect) {
    // U+0001 and U+0002 mark the sites of a translation; a statement may not bring its own.
    if (sql.contains(QChar(0x01)) || sql.contains(QChar(0x02)))
        throw SqlError(QStringLiteral("Nedopušteni kontrolni znak u naredbi"));
    return Translator(sql, lookup, schema, dialect).run();
}

QString serverType(ColType type, int length) {
    switch (type) {
        case ColType::Counter:
            return QStringLiteral("bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
        case ColType::Text:
            return length > 0 ? QStringLiteral("varchar(%1)").arg(length) : QStringLiteral("text");
        case ColType::Single:
            return QStringLiteral("real");
        case ColType::Double:
            return QStringLiteral("double precision");
        case ColType::Currency:
            return QStringLiteral("numeric(19,4)");
        case ColType::Long:
            return QStringLiteral("bigint");
        case ColType::Date:
            return QStringLiteral("date");
        case ColType::Unknown:
            break;
    }
    return QString();
}

Column columnFromServer(const QString& name, const QString& dataType, int length, int precision,
                        int scale, bool identity) {
    Column c{name, ColType::Unknown, 0};
    if (identity)
        c.type = ColType::Counter;
    else if (dataType == QLatin1String("character varying")) {
        c.type = ColType::Text;
        c.length = length;
    } else if (dataType == QLatin1String("text"))
        c.type = ColType::Text;
    else if (dataType == QLatin1String("real"))
        c.type = ColType::Single;
    else if (dataType == QLatin1String("double precision"))
        c.type = ColType::Double;
    else if (dataType == QLatin1String("numeric") && precision == 19 && scale == 4)
        c.type = ColType::Currency;
    else if (dataType == QLatin1String("bigint") || dataType == QLatin1String("integer"))
        c.type = ColType::Long;
    else if (dataType == QLatin1String("date"))
        c.type = ColType::Date;
    return c;
}

QString numberedPlaceholders(const QString& sql) {
    QString out;
    out.reserve(sql.size() + 16);
    int n = 0;
    bool inName = false;
    for (QChar c : sql) {
        if (c == QLatin1Char('"')) inName = !inName;
        if (c == QLatin1Char('?') && !inName)
            out += QLatin1Char('$') + QString::number(++n);
        else
            out += c;
    }
    return out;
}

bool hasWildcard(const QString& pattern) {
    for (QChar c : pattern)
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('#') ||
            c == QLatin1Char('['))
            return true;
    return false;
}

bool isIntegerText(const QString& text, qint64* value) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    if (n > 0 && text[0] == QLatin1Char('-')) i = 1;
    if (i >= n || n - i > 18) return false;
    if (text[i] == QLatin1Char('0') && n - i > 1) return false;
    for (qsizetype k = i; k < n; ++k)
        if (text[k] < QLatin1Char('0') || text[k] > QLatin1Char('9')) return false;
    if (text == QLatin1String("-0")) return false;
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    if (ok && value) *value = v;
    return ok;
}

QString render(const Translation& t, quint64 fastMask) {
    if (t.sites.empty()) return t.sql;
    QString sql;
    sql.reserve(t.sql.size() + 64);
    for (qsizetype i = 0; i < t.sql.size(); ++i) {
        if (t.sql[i] != QChar(0x01)) {
            sql += t.sql[i];
            continue;
        }
        const qsizetype end = t.sql.indexOf(QChar(0x02), i);
        const int n = t.sql.mid(i + 1, end - i - 1).toInt();
        const Site& s = t.sites[size_t(n)];
        // Sites beyond the mask's 64 bits always take their general form.
        sql += n < 64 && ((fastMask >> n) & 1) ? s.fast : s.general;
        i = end;
    }
    return sql;
}

}  // namespace kl::jet
