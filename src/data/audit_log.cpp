#include "audit_log.h"

#include "audit_words.h"

#include "core/checklist_test.h"
#include "core/error.h"
#include "database.h"
#include "statement.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSysInfo>

namespace simat::audit {

namespace {

// The columns whose change the log itself records (who and when), those that repeat another
// record's value, and the counts of failed logins, which no one changes.
bool isLogged(const QString &table, const QString &column)
{
    static const QStringList unlogged = {
        QStringLiteral("entry_date"),       QStringLiteral("trans_date"),
        QStringLiteral("entry_type"),       QStringLiteral("who_insert"),
        QStringLiteral("who_update"),       QStringLiteral("failed_logins"),
        QStringLiteral("last_failed_login")};
    if (unlogged.contains(column))
        return false;
    return !(table == QLatin1String("test_dtl") && column == QLatin1String("test_haj_date"));
}

bool isPassword(const QString &column)
{
    return column == QLatin1String("user_password");
}

QString valueText(const QVariant &value)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate);
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return value.toString();
}

struct LogRow {
    QString table;
    QString recordKey;
    ChangeKind kind;
    QString item;
    QString field;
    QString before;
    QString after;
    QVariant caseCode;
};

// The case a record belongs to, so that the log can be read by case.
QVariant caseOf(const Key &key, const QMap<QString, QVariant> &fields, const QString &table)
{
    for (const auto &[column, value] : key)
        if (column == QLatin1String("stud_code"))
            return value;
    if (table == QLatin1String("student") || fields.contains(QStringLiteral("stud_code")))
        return fields.value(QStringLiteral("stud_code"));
    return {};
}

// The fields of each row of the record that differ; `unlogged` names the columns that are
// not the rows' own.
QList<LogRow> differences(const QString &table, const Key &key, const StoredRows &before,
                          const StoredRows &after, const QStringList &unlogged)
{
    const QString recordKey = keyText(key);
    QStringList items = before.keys() + after.keys();
    items.removeDuplicates();
    QList<LogRow> rows;
    for (const QString &item : items) {
        const bool inserted = !before.contains(item);
        const bool deleted = !after.contains(item);
        const ChangeKind kind = inserted  ? ChangeKind::Insert
                                : deleted ? ChangeKind::Delete
                                          : ChangeKind::Update;
        const QMap<QString, QVariant> &old = before.value(item);
        const QMap<QString, QVariant> &now = after.value(item);
        const QVariant caseCode = caseOf(key, deleted ? old : now, table);
        for (const QString &field : (deleted ? old : now).keys()) {
            if (!isLogged(table, field) || unlogged.contains(field))
                continue;
            QString was = valueText(old.value(field));
            QString is = valueText(now.value(field));
            if (was == is)
                continue;
            if (isPassword(field)) {
                was.clear();
                is = deleted ? QString() : passwordChanged;
            }
            rows << LogRow{table, recordKey, kind, item, field, was, is, caseCode};
        }
    }
    return rows;
}

// Runs a text whose values stand as "?", prepared the first time and kept while the connection
// is open: PostgreSQL then parses only the values of each run. The caller finishes a read.
QSqlQuery &executed(Database &database, const QString &text, const QVariantList &values)
{
    QSqlQuery &query = database.prepared(text);
    for (qsizetype at = 0; at < values.size(); ++at)
        query.bindValue(int(at), values.at(at));
    if (!query.exec())
        throw Error(query.lastError().text());
    return query;
}

const QString &hostName()
{
    static const QString host = QSysInfo::machineHostName();
    return host;
}

// Rows written by one statement: SQLite takes 999 values in one at most.
constexpr qsizetype rowsPerInsert = 190;

QVariant textOrNull(const QString &text)
{
    return text.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}

// The rows of one table and one case, written by statements of many rows each whose values of
// the change (time, user, workstation, table, record, case) stand once.
void insertLogRowsOf(Database &database, const QList<LogRow> &rows)
{
    const LogRow &first = rows.first();
    const QVariantList shared = {
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
        database.sessionUser(),
        hostName(),
        first.table,
        first.recordKey,
        first.caseCode.isNull() ? QVariant(QMetaType::fromType<int>())
                                : QVariant(first.caseCode.toInt())};
    const QString oneRow = QStringLiteral("(cast(? as integer),?,?,?,?)");
    for (qsizetype from = 0; from < rows.size(); from += rowsPerInsert) {
        const qsizetype count = std::min<qsizetype>(rowsPerInsert, rows.size() - from);
        QVariantList values = shared;
        for (qsizetype at = from; at < from + count; ++at) {
            const LogRow &row = rows.at(at);
            values << int(row.kind) << row.item << row.field << textOrNull(row.before)
                   << textOrNull(row.after);
        }
        executed(database,
                 QStringLiteral("insert into audit_log (changed_at, user_code, host_name, "
                                "table_name, record_key, stud_code, change_type, item_key, "
                                "field_name, old_value, new_value) select cast(? as text), "
                                "cast(? as integer), cast(? as text), cast(? as text), "
                                "cast(? as text), cast(? as integer), v.column1, v.column2, "
                                "v.column3, v.column4, v.column5 from (values ") +
                     QStringList(count, oneRow).join(QLatin1Char(',')) + QStringLiteral(") as v"),
                 values)
            .finish();
    }
}

void insertLogRows(Database &database, const QList<LogRow> &rows)
{
    QList<LogRow> group;
    for (const LogRow &row : rows) {
        if (!group.isEmpty() &&
            (row.table != group.first().table || row.caseCode != group.first().caseCode)) {
            insertLogRowsOf(database, group);
            group.clear();
        }
        group << row;
    }
    if (!group.isEmpty())
        insertLogRowsOf(database, group);
}

// The lines of logLines() that narrow the rows.
constexpr int periodLine = 3;
constexpr int userLine = 4;
constexpr int caseLine = 5;
constexpr int tableLine = 6;

void clearNarrowing(Statement &log)
{
    for (int line : {periodLine, userLine, caseLine, tableLine})
        log.setLine(line, QString());
}

// The keys a record had before each move that gave it the key it has: a move is logged under
// the key it gave, as changes of the key's fields made at one time.
QList<Key> movedFrom(Database &database, const QString &table, const Key &key)
{
    QSqlQuery &changes = executed(
        database,
        QStringLiteral("select changed_at, field_name, old_value from audit_log where "
                       "table_name = ? and record_key = ? and change_type = ? order by log_id"),
        {table, keyText(key), int(ChangeKind::Update)});
    QMap<QString, Key> earlier;
    while (changes.next()) {
        const QString field = changes.value(1).toString();
        const QString when = changes.value(0).toString();
        if (!earlier.contains(when))
            earlier.insert(when, key);
        Key &before = earlier[when];
        for (auto &[column, value] : before)
            if (column == field)
                value = changes.value(2);
    }
    changes.finish();
    QList<Key> keys;
    for (const Key &before : std::as_const(earlier))
        if (keyText(before) != keyText(key))
            keys << before;
    return keys;
}

// The record's key and every key it had before, each once.
QStringList keysOfRecord(Database &database, const QString &table, const Key &key)
{
    QStringList texts{keyText(key)};
    QList<Key> waiting{key};
    while (!waiting.isEmpty()) {
        for (const Key &before : movedFrom(database, table, waiting.takeFirst()))
            if (!texts.contains(keyText(before))) {
                texts << keyText(before);
                waiting << before;
            }
    }
    return texts;
}

} // namespace

QStringList logLines()
{
    return {QStringLiteral("select a.log_id, a.changed_at, substr(a.changed_at, 9, 2) || '/' || "
                           "substr(a.changed_at, 6, 2) || '/' || substr(a.changed_at, 1, 4) || ' ' "
                           "|| substr(a.changed_at, 12, 8) as changed_time, a.user_code, "
                           "u.a_name as user_name, "
                           "a.host_name, case a.change_type when 1 then 'إضافة' when 2 then "
                           "'تعديل' when 3 then 'حذف' else 'استرجاع نسخة احتياطية' end as "
                           "change_words, a.table_name, a.record_key, a.stud_code, a.item_key, "
                           "a.field_name, a.old_value, a.new_value, ") +
                wordsColumns(),
            QStringLiteral("from audit_log a left join users u on u.user_code = a.user_code"),
            QStringLiteral("where 1=1"),
            QString(),
            QString(),
            QString(),
            QString(),
            QStringLiteral("order by a.log_id desc")};
}

void narrowToFilter(Statement &log, const LogFilter &filter)
{
    clearNarrowing(log);
    log.declare(QStringLiteral("from_time"), ParamType::Text);
    log.declare(QStringLiteral("to_time"), ParamType::Text);
    log.declare(QStringLiteral("user_code"), ParamType::Integer);
    log.declare(QStringLiteral("stud_code"), ParamType::Integer);
    log.declare(QStringLiteral("table_name"), ParamType::Text);
    log.setLine(periodLine,
                QStringLiteral("and a.changed_at >= :from_time and a.changed_at < :to_time"));
    log.setParam(QStringLiteral("from_time"), filter.from.toString(Qt::ISODate));
    log.setParam(QStringLiteral("to_time"), filter.to.addDays(1).toString(Qt::ISODate));
    if (filter.userCode != 0) {
        log.setLine(userLine, QStringLiteral("and a.user_code = :user_code"));
        log.setParam(QStringLiteral("user_code"), filter.userCode);
    }
    if (filter.caseCode != 0) {
        log.setLine(caseLine, QStringLiteral("and a.stud_code = :stud_code"));
        log.setParam(QStringLiteral("stud_code"), filter.caseCode);
    }
    if (!filter.table.isEmpty()) {
        log.setLine(tableLine, QStringLiteral("and a.table_name = :table_name"));
        log.setParam(QStringLiteral("table_name"), filter.table);
    }
}

void narrowToRecord(Database &database, Statement &log, const QStringList &tables, const Key &key)
{
    clearNarrowing(log);
    QStringList names;
    for (const QString &table : tables)
        names << Statement::textLiteral(Statement::identifier(table));
    QStringList keys;
    for (const QString &text : keysOfRecord(database, tables.first(), key))
        keys << Statement::textLiteral(text);
    log.setLine(tableLine, QStringLiteral("and a.table_name in (%1) and a.record_key in (%2)")
                               .arg(names.join(QLatin1Char(',')), keys.join(QLatin1Char(','))));
}

Key testKey(const TestIdentity &test)
{
    return {{QStringLiteral("branch_no"), test.branchNo},
            {QStringLiteral("test_no"), test.testNo},
            {QStringLiteral("test_date"), test.testDate},
            {QStringLiteral("stud_code"), test.caseCode}};
}

QString keyText(const Key &key)
{
    QStringList parts;
    for (const auto &[column, value] : key)
        parts << column + QLatin1Char('=') + valueText(value);
    return parts.join(QLatin1Char(' '));
}

RecordChange::RecordChange(Database &database, const QString &table, Key key, Key narrowing,
                           QStringList itemColumns)
    : RecordChange(database, {{table, std::move(narrowing), std::move(itemColumns)}},
                   std::move(key))
{}

RecordChange::RecordChange(Database &database, QList<RecordPart> parts, Key key)
    : RecordChange(Before::Read, database, std::move(parts), std::move(key))
{}

RecordChange RecordChange::ofNewRecord(Database &database, QList<RecordPart> parts, Key key)
{
    return {Before::Nothing, database, std::move(parts), std::move(key)};
}

RecordChange::RecordChange(Before before, Database &database, QList<RecordPart> parts, Key key)
    : m_database(database)
    , m_parts(std::move(parts))
    , m_key(std::move(key))
    , m_before(m_parts.size())
{
    if (before == Before::Read)
        m_before = read(m_key);
}

void RecordChange::log()
{
    log(m_key);
}

// The rows of a record's part repeat its key, which its header logs; a part of one row logs a
// change of its key (a test's new date) as a change of that field, under the key it has now.
void RecordChange::log(const Key &movedTo)
{
    const QList<StoredRows> after = read(movedTo);
    QList<LogRow> rows;
    for (qsizetype at = 0; at < m_parts.size(); ++at) {
        const RecordPart &part = m_parts.at(at);
        QStringList unlogged = part.itemColumns;
        if (!part.itemColumns.isEmpty())
            for (const auto &column : m_key + part.narrowing)
                unlogged << column.first;
        rows << differences(part.table, movedTo, m_before.at(at), after.at(at), unlogged);
    }
    insertLogRows(m_database, rows);
}

namespace {

// The condition that picks a part's rows of the record, its values as "?".
QString rowsCondition(const Key &key, const RecordPart &part, QVariantList &values)
{
    QStringList conditions;
    for (const auto &[column, value] : key + part.narrowing) {
        conditions << Statement::identifier(column) + QLatin1String("=?");
        values << value;
    }
    return conditions.join(QLatin1String(" and "));
}

QString itemOfFields(const QMap<QString, QVariant> &fields, const QStringList &itemColumns)
{
    Key item;
    for (const QString &column : itemColumns)
        item << std::pair{column, fields.value(column)};
    return keyText(item);
}

// A row as PostgreSQL's row_to_json() writes it: numbers, texts, ISO dates and nulls, whose
// texts are those of the same values read as columns.
QMap<QString, QVariant> fieldsOfJson(const QString &json)
{
    QMap<QString, QVariant> fields;
    const QJsonObject object = QJsonDocument::fromJson(json.toUtf8()).object();
    for (auto field = object.begin(); field != object.end(); ++field) {
        const QJsonValue value = field.value();
        const bool whole = value.isDouble() && value.toDouble() == double(value.toInteger());
        fields.insert(field.key(), whole ? QVariant(value.toInteger()) : value.toVariant());
    }
    return fields;
}

} // namespace

QList<StoredRows> RecordChange::read(const Key &key) const
{
    return m_database.engine() == DatabaseAlias::Engine::PostgreSQL ? readTogether(key)
                                                                    : readEach(key);
}

QList<StoredRows> RecordChange::readEach(const Key &key) const
{
    QList<StoredRows> parts;
    for (const RecordPart &part : m_parts) {
        QVariantList values;
        const QString condition = rowsCondition(key, part, values);
        QSqlQuery &rows = executed(m_database,
                                   QStringLiteral("select * from %1 where %2")
                                       .arg(Statement::identifier(part.table), condition),
                                   values);
        QStringList names;
        const QSqlRecord record = rows.record();
        for (int column = 0; column < record.count(); ++column)
            names << record.fieldName(column).toLower();
        StoredRows stored;
        while (rows.next()) {
            QMap<QString, QVariant> fields;
            for (int column = 0; column < names.size(); ++column)
                fields.insert(names.at(column), rows.value(column));
            stored.insert(itemOfFields(fields, part.itemColumns), fields);
        }
        rows.finish();
        parts << stored;
    }
    return parts;
}

QList<StoredRows> RecordChange::readTogether(const Key &key) const
{
    QStringList selects;
    QVariantList values;
    for (qsizetype at = 0; at < m_parts.size(); ++at) {
        const RecordPart &part = m_parts.at(at);
        selects << QStringLiteral("select %1, row_to_json(t)::text from %2 t where %3")
                       .arg(at)
                       .arg(Statement::identifier(part.table), rowsCondition(key, part, values));
    }
    QSqlQuery &rows = executed(m_database, selects.join(QLatin1String(" union all ")), values);
    QList<StoredRows> parts(m_parts.size());
    while (rows.next()) {
        const qsizetype at = rows.value(0).toInt();
        const QMap<QString, QVariant> fields = fieldsOfJson(rows.value(1).toString());
        parts[at].insert(itemOfFields(fields, m_parts.at(at).itemColumns), fields);
    }
    rows.finish();
    return parts;
}

void logRestore(Database &database, const QString &backupName)
{
    if (database.engine() == DatabaseAlias::Engine::PostgreSQL)
        database.execute(
            QStringLiteral("select setval(pg_get_serial_sequence('audit_log', 'log_id'), "
                           "coalesce(max(log_id), 0) + 1, false) from audit_log"));
    insertLogRows(database, {LogRow{QString(), QString(), ChangeKind::Restore, QString(),
                                    QStringLiteral("restore"), QString(), backupName, QVariant()}});
}

QStringList tableDefinition(const Database &database)
{
    const bool sqlite = database.engine() == DatabaseAlias::Engine::SQLite;
    return {QStringLiteral("create table if not exists audit_log (log_id %1, changed_at text not "
                           "null, user_code integer, host_name text, change_type integer, "
                           "table_name text, record_key text, stud_code integer, item_key text, "
                           "field_name text, old_value text, new_value text)")
                .arg(sqlite ? QLatin1String("integer primary key")
                            : QLatin1String("bigint generated by default as identity primary key")),
            QStringLiteral("create index if not exists audit_log_time on audit_log (changed_at)"),
            QStringLiteral(
                "create index if not exists audit_log_of_case on audit_log (stud_code, log_id)"),
            QStringLiteral("create index if not exists audit_log_of_record on audit_log "
                           "(table_name, record_key, log_id)")};
}

} // namespace simat::audit
