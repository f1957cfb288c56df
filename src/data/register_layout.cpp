#include "register_layout.h"

#include "core/error.h"
#include "database.h"
#include "text_search.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace simat::register_layout {

namespace {

const QString versionTable = QStringLiteral("schema_version");

QSqlQuery run(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(sql))
        throw Error(query.lastError().text());
    return query;
}

Table sqliteTable(const QSqlDatabase &db, const QString &schema, const QString &name,
                  const QString &definition)
{
    Table table;
    table.plain = !definition.startsWith(QLatin1String("create virtual"), Qt::CaseInsensitive);
    QSqlQuery columns(db);
    columns.setForwardOnly(true);
    columns.prepare(QStringLiteral("select name, hidden from pragma_table_xinfo(:table, :schema)"));
    columns.bindValue(QStringLiteral(":table"), name);
    columns.bindValue(QStringLiteral(":schema"), schema);
    if (!columns.exec())
        throw Error(columns.lastError().text());
    while (columns.next()) {
        if (columns.value(1).toInt() != 0)
            table.plain = false;
        else
            table.columns << columns.value(0).toString().toLower();
    }
    return table;
}

Layout postgresLayout(const QSqlDatabase &db)
{
    Layout layout;
    QSqlQuery columns = run(
        db, QStringLiteral("select c.table_name, c.column_name from information_schema.columns c "
                           "join information_schema.tables t on t.table_schema = c.table_schema "
                           "and t.table_name = c.table_name where c.table_schema = "
                           "current_schema() and t.table_type = 'BASE TABLE' order by "
                           "c.table_name, c.ordinal_position"));
    while (columns.next())
        layout.tables[columns.value(0).toString()].columns << columns.value(1).toString();
    QSqlQuery views = run(db, QStringLiteral("select viewname, definition from pg_views where "
                                             "schemaname = current_schema()"));
    while (views.next())
        layout.views.insert(views.value(0).toString(), views.value(1).toString());
    QSqlQuery triggers =
        run(db, QStringLiteral("select c.relname || '.' || t.tgname, pg_get_triggerdef(t.oid) "
                               "from pg_trigger t join pg_class c on c.oid = t.tgrelid join "
                               "pg_namespace n on n.oid = c.relnamespace where n.nspname = "
                               "current_schema() and not t.tgisinternal"));
    while (triggers.next())
        layout.triggers.insert(triggers.value(0).toString(), triggers.value(1).toString());
    return layout;
}

// The tables SQLite keeps behind a virtual table are named after it.
bool behindAVirtualTable(const Layout &layout, const QString &name)
{
    for (auto table = layout.tables.cbegin(); table != layout.tables.cend(); ++table) {
        if (!table->plain && name.startsWith(table.key() + QLatin1Char('_')))
            return true;
    }
    return false;
}

bool holdsColumns(const Table &backup, const Table &program)
{
    for (const QString &column : program.columns) {
        if (!backup.columns.contains(column))
            return false;
    }
    return backup.plain;
}

// Every definition the backup holds is one the program holds under the same name.
bool sameDefinitions(const QMap<QString, QString> &backup, const QMap<QString, QString> &program)
{
    for (auto found = backup.cbegin(); found != backup.cend(); ++found) {
        if (!program.contains(found.key()) ||
            comparedDefinition(found.value()) != comparedDefinition(program.value(found.key())))
            return false;
    }
    return true;
}

} // namespace

Layout sqliteLayout(const QSqlDatabase &db, const QString &schema)
{
    Layout layout;
    QSqlQuery objects =
        run(db, QStringLiteral("select type, name, sql from %1.sqlite_master").arg(schema));
    while (objects.next()) {
        const QString type = objects.value(0).toString();
        const QString name = objects.value(1).toString();
        const QString definition = objects.value(2).toString();
        // SQLite's own tables: the sequences and the statistics of its planner.
        if (name.startsWith(QLatin1String("sqlite_")))
            continue;
        if (type == QLatin1String("table"))
            layout.tables.insert(name, sqliteTable(db, schema, name, definition));
        else if (type == QLatin1String("view"))
            layout.views.insert(name, definition);
        else if (type == QLatin1String("trigger"))
            layout.triggers.insert(name, definition);
    }
    return layout;
}

Layout layoutOf(Database &database)
{
    return database.engine() == DatabaseAlias::Engine::SQLite
               ? sqliteLayout(database.connection(), QStringLiteral("main"))
               : postgresLayout(database.connection());
}

QStringList rowTables(const Layout &program)
{
    QStringList names;
    for (auto table = program.tables.cbegin(); table != program.tables.cend(); ++table) {
        if (table->plain && table.key() != versionTable &&
            !behindAVirtualTable(program, table.key()) &&
            !search::tablesOfSearchedNames().contains(table.key()))
            names << table.key();
    }
    return names;
}

bool fits(const Layout &backup, const Layout &program)
{
    const QStringList withRows = rowTables(program);
    for (auto table = backup.tables.cbegin(); table != backup.tables.cend(); ++table) {
        if (!program.tables.contains(table.key()))
            return false;
    }
    for (const QString &name : withRows) {
        if (!backup.tables.contains(name) ||
            !holdsColumns(backup.tables.value(name), program.tables.value(name)))
            return false;
    }
    return sameDefinitions(backup.views, program.views) &&
           sameDefinitions(backup.triggers, program.triggers);
}

QString comparedDefinition(const QString &definition)
{
    static const QRegularExpression qualifier(
        QStringLiteral("(\"[^\"]*\"|\\b[a-z_][a-z0-9_$]*)\\.(?=[a-z_\"])"));
    static const QRegularExpression spaceAroundSigns(QStringLiteral(" ?([(),;=]) ?"));
    QString compared = definition.toLower().simplified();
    compared.remove(qualifier);
    compared.replace(spaceAroundSigns, QStringLiteral("\\1"));
    while (compared.endsWith(QLatin1Char(';')))
        compared.chop(1);
    return compared;
}

} // namespace simat::register_layout
