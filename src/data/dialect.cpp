#include "dialect.h"

#include "core/error.h"
#include "text_search.h"

#include <QSqlDriver>
#include <QVariant>
#include <sqlite3.h>

namespace simat::dialect {

namespace {

// Walks a statement text token by token, separating string literals from the rest.
struct Scanner {
    const QString &text;
    qsizetype pos = 0;

    bool atEnd() const { return pos >= text.size(); }
    QChar current() const { return text.at(pos); }

    qsizetype literalEnd(qsizetype start) const
    {
        qsizetype i = start + 1;
        while (i < text.size()) {
            if (text.at(i) == QLatin1Char('\'')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\''))
                    i += 2;
                else
                    return i + 1;
            } else {
                ++i;
            }
        }
        return i;
    }
};

qsizetype skipSpaceBackward(const QString &s, qsizetype i)
{
    while (i >= 0 && s.at(i).isSpace())
        --i;
    return i;
}

qsizetype skipSpaceForward(const QString &s, qsizetype i)
{
    while (i < s.size() && s.at(i).isSpace())
        ++i;
    return i;
}

bool isIdentifierChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

void yearOfDate(sqlite3_context *context, int, sqlite3_value **arguments)
{
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(arguments[0]));
    int year = 0;
    for (int i = 0; text && i < 4 && text[i] >= '0' && text[i] <= '9'; ++i)
        year = year * 10 + (text[i] - '0');
    sqlite3_result_int(context, year);
}

} // namespace

QString rewrite(const QString &sql)
{
    QString out;
    out.reserve(sql.size() + 16);
    Scanner scan{sql};
    while (!scan.atEnd()) {
        const QChar c = scan.current();
        if (c == QLatin1Char('\'')) {
            const qsizetype end = scan.literalEnd(scan.pos);
            out += QStringView(sql).mid(scan.pos, end - scan.pos);
            scan.pos = end;
            continue;
        }
        if (c == QLatin1Char('+')) {
            const qsizetype before = skipSpaceBackward(sql, scan.pos - 1);
            const qsizetype after = skipSpaceForward(sql, scan.pos + 1);
            const bool besideLiteral = (before >= 0 && sql.at(before) == QLatin1Char('\'')) ||
                                       (after < sql.size() && sql.at(after) == QLatin1Char('\''));
            out += besideLiteral ? QStringLiteral("||") : QStringLiteral("+");
        } else if (c == QLatin1Char('/')) {
            out += QStringLiteral("* 1.0 /");
        } else {
            out += c;
        }
        ++scan.pos;
    }
    return out;
}

QString replacePlaceholders(const QString &sql,
                            const std::function<QString(const QString &)> &literal)
{
    QString out;
    Scanner scan{sql};
    while (!scan.atEnd()) {
        const QChar c = scan.current();
        if (c == QLatin1Char('\'')) {
            const qsizetype end = scan.literalEnd(scan.pos);
            out += QStringView(sql).mid(scan.pos, end - scan.pos);
            scan.pos = end;
            continue;
        }
        const bool next = scan.pos + 1 < sql.size();
        if (c == QLatin1Char(':') && next && sql.at(scan.pos + 1) == QLatin1Char(':')) {
            out += QStringLiteral("::");
            scan.pos += 2;
            continue;
        }
        if (c == QLatin1Char(':') && next && isIdentifierChar(sql.at(scan.pos + 1))) {
            qsizetype end = scan.pos + 1;
            while (end < sql.size() && isIdentifierChar(sql.at(end)))
                ++end;
            out += literal(sql.mid(scan.pos + 1, end - scan.pos - 1));
            scan.pos = end;
            continue;
        }
        out += c;
        ++scan.pos;
    }
    return out;
}

QStringList placeholders(const QString &sql)
{
    QStringList names;
    replacePlaceholders(sql, [&names](const QString &name) {
        names << name;
        return QString();
    });
    return names;
}

void registerFunctions(QSqlDatabase &database, Engine engine)
{
    if (engine != Engine::SQLite)
        return;
    const QVariant handle = database.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw Error(QStringLiteral("تعذر تجهيز قاعدة البيانات المدمجة"));
    sqlite3 *connection = *static_cast<sqlite3 *const *>(handle.data());
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    if (sqlite3_create_function_v2(connection, "year", 1, flags, nullptr, yearOfDate, nullptr,
                                   nullptr, nullptr) != SQLITE_OK ||
        !search::registerSqliteFunctions(connection))
        throw Error(QStringLiteral("تعذر تجهيز قاعدة البيانات المدمجة"));
}

QStringList postgresFunctionDefinitions()
{
    return {QStringLiteral("create or replace function year(d date) returns integer "
                           "language sql immutable as $$ select extract(year from d)::integer $$"),
            QStringLiteral("create or replace function year(d timestamp) returns integer "
                           "language sql immutable as $$ select extract(year from d)::integer $$")};
}

} // namespace simat::dialect
