#include "schema.h"

#include "accounts.h"
#include "audit_log.h"
#include "core/error.h"
#include "database.h"
#include "dialect.h"
#include "seed_data.h"
#include "text_search.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace simat::schema {

namespace {

using K = Kind;

std::vector<Column> withLookupAudit(std::vector<Column> columns)
{
    columns.insert(columns.end(), {{"entry_date", K::Date},
                                   {"who_insert", K::Integer},
                                   {"trans_date", K::Date},
                                   {"who_update", K::Integer},
                                   {"is_active", K::Integer},
                                   {"entry_type", K::Integer}});
    return columns;
}

Table level1(const char *table, const char *code, const char *name)
{
    return {table, withLookupAudit({{code, K::Integer}, {name, K::Text}}), {code}};
}

Table level2(const char *table, const char *parentCode, const char *code, const char *name)
{
    return {table,
            withLookupAudit({{parentCode, K::Integer}, {code, K::Integer}, {name, K::Text}}),
            {code}};
}

std::vector<Table> makeTables()
{
    std::vector<Table> all;
    all.push_back({"student",
                   {{"branch_no", K::Integer},
                    {"stud_code", K::Integer},
                    {"stud_name", K::Text},
                    {"stud_birth_date", K::Date},
                    {"stud_birth_haj_date", K::Text},
                    {"stud_birth_country", K::Integer},
                    {"stud_nationality", K::Integer},
                    {"stud_gender", K::Integer},
                    {"stud_religion", K::Integer},
                    {"stud_id_type", K::Integer},
                    {"stud_id_no", K::Text},
                    {"stud_id_date", K::Date},
                    {"stud_id_source", K::Text},
                    {"stud_edu_phase", K::Integer},
                    {"stud_edu_class_level", K::Integer},
                    {"stud_file_no", K::Text},
                    {"stud_house_type", K::Integer},
                    {"stud_house_ownership", K::Integer},
                    {"stud_neighborhood", K::Integer},
                    {"stud_city", K::Integer},
                    {"stud_district", K::Integer},
                    {"stud_main_street", K::Text},
                    {"stud_sub_street", K::Text},
                    {"stud_house_no", K::Text},
                    {"stud_postal_code", K::Text},
                    {"stud_postal_no", K::Text},
                    {"stud_guard_name", K::Text},
                    {"stud_guard_nationality", K::Integer},
                    {"stud_guard_kinship_degree", K::Integer},
                    {"stud_guard_id_type", K::Integer},
                    {"stud_guard_id_no", K::Text},
                    {"stud_guard_id_date", K::Date},
                    {"stud_guard_id_source", K::Text},
                    {"stud_guard_job", K::Text},
                    {"stud_guard_work_place", K::Text},
                    {"stud_guard_home_phone_no", K::Text},
                    {"stud_guard_mobile_no", K::Text},
                    {"stud_guard_work_phone_no", K::Text},
                    {"stud_guard_email", K::Text},
                    {"stud_kinship_1_name", K::Text},
                    {"stud_kinship_1_kinship_degree", K::Integer},
                    {"stud_kinship_1_phone_no", K::Text},
                    {"stud_kinship_2_name", K::Text},
                    {"stud_kinship_2_kinship_degree", K::Integer},
                    {"stud_kinship_2_phone_no", K::Text},
                    {"stud_status", K::Integer},
                    {"is_active", K::Integer},
                    {"trans_date", K::Date},
                    {"entry_date", K::Date},
                    {"entry_type", K::Integer},
                    {"who_insert", K::Integer},
                    {"who_update", K::Integer}},
                   {"stud_code"}});
    all.push_back(level1("country", "cou_id", "cou_name"));
    all.push_back(level1("nationality", "nationality_id", "nationality_name"));
    all.push_back(level1("id_type", "id_type", "id_type_name"));
    all.push_back(level1("edu_phase", "edu_phase_id", "edu_phase_name"));
    all.push_back(level1("edu_class_level", "edu_class_level_id", "edu_class_level_name"));
    all.push_back(level1("house_type", "house_type_id", "house_type_name"));
    all.push_back(level1("house_ownership", "house_ownership_id", "house_ownership_name"));
    all.push_back(level1("neighborhood", "neighborhood_id", "neighborhood_name"));
    all.push_back(level1("city", "city_id", "city_name"));
    all.push_back(level1("district", "district_id", "district_name"));
    all.push_back(level1("kinship_degree", "kinship_degree_id", "kinship_degree_name"));
    all.push_back(level1("gender", "gender_id", "gender_name"));
    all.push_back(level1("religion", "religion_id", "religion_name"));
    all.push_back(level1("tester_class", "tester_class_id", "tester_class_name"));
    all.push_back(level2("tester", "tester_class_id", "tester_id", "tester_name"));
    all.push_back(level1("info_source_class", "info_source_class_id", "info_source_class_name"));
    all.push_back(
        level2("info_source", "info_source_class_id", "info_source_id", "info_source_name"));
    all.push_back({"test_ques_group",
                   {{"ques_group_id", K::Integer}, {"ques_group_name", K::Text}},
                   {"ques_group_id"}});
    all.push_back({"test_ques",
                   {{"ques_group", K::Integer}, {"ques_id", K::Integer}, {"ques_desc", K::Text}},
                   {"ques_group", "ques_id"}});
    all.push_back({"test_hdr",
                   {{"branch_no", K::Integer},
                    {"test_no", K::Integer},
                    {"test_date", K::Date},
                    {"test_haj_date", K::Text},
                    {"stud_code", K::Integer},
                    {"tester_id", K::Integer},
                    {"info_source_id", K::Integer},
                    {"school_name", K::Text},
                    {"notes", K::Text},
                    {"entry_date", K::Date},
                    {"entry_type", K::Integer},
                    {"test_status", K::Integer},
                    {"who_insert", K::Integer},
                    {"who_update", K::Integer}},
                   {"branch_no", "test_no", "test_date", "stud_code"}});
    all.push_back({"test_dtl",
                   {{"branch_no", K::Integer},
                    {"test_no", K::Integer},
                    {"test_date", K::Date},
                    {"test_haj_date", K::Text},
                    {"stud_code", K::Integer},
                    {"ques_group", K::Integer},
                    {"ques_id", K::Integer},
                    {"ques_ans_val", K::Text},
                    {"ques_mark", K::Integer},
                    {"notes", K::Text},
                    {"entry_date", K::Date},
                    {"entry_type", K::Integer},
                    {"ques_status", K::Integer},
                    {"who_insert", K::Integer},
                    {"who_update", K::Integer}},
                   {"branch_no", "test_no", "test_date", "stud_code", "ques_group", "ques_id"}});
    all.push_back({"users",
                   {{"user_code", K::Integer},
                    {"a_name", K::Text},
                    {"l_name", K::Text},
                    {"user_password", K::Text},
                    {"user_level", K::Integer},
                    {"can_close_po", K::Integer},
                    {"show_cost_price", K::Integer},
                    {"entry_date", K::Date},
                    {"trans_date", K::Date},
                    {"entry_type", K::Integer},
                    {"who_insert", K::Integer},
                    {"who_update", K::Integer},
                    {"is_active", K::Integer},
                    // Wrong passwords in a row, and the register's time of the last one.
                    {"failed_logins", K::Integer},
                    {"last_failed_login", K::Text}},
                   {"user_code"}});
    all.push_back(
        {"users_levels", {{"level_code", K::Integer}, {"a_name", K::Text}}, {"level_code"}});
    all.push_back({"app_tables",
                   {{"table_id", K::Text},
                    {"table_name", K::Text},
                    {"table_desc", K::Text},
                    {"table_level", K::Integer},
                    {"parent_table_id", K::Text},
                    {"table_status", K::Integer}},
                   {"table_id"}});
    return all;
}

// The same names on both engines: SQLite keeps a date as its ISO text, PostgreSQL as a date.
const char *typeName(Kind kind)
{
    switch (kind) {
    case Kind::Integer:
        return "integer";
    case Kind::Date:
        return "date";
    case Kind::Text:
        return "text";
    }
    return "text";
}

QString createTableText(const Table &table)
{
    QStringList parts;
    for (const Column &column : table.columns)
        parts << QStringLiteral("%1 %2").arg(QLatin1String(column.name),
                                             QLatin1String(typeName(column.kind)));
    QStringList key;
    for (const char *column : table.key)
        key << QLatin1String(column);
    parts << QStringLiteral("primary key (%1)").arg(key.join(QLatin1Char(',')));
    return QStringLiteral("create table %1 (%2)")
        .arg(QLatin1String(table.name), parts.join(QLatin1String(", ")));
}

// Indexes for the reads that the screens run on every case and test.
const QStringList &indexTexts()
{
    static const QStringList texts = {
        QStringLiteral(
            "create index if not exists test_hdr_of_case on test_hdr (stud_code, test_date)"),
        QStringLiteral("create index if not exists test_hdr_date on test_hdr (test_date)"),
        // A branch's tests of a period, found before their answers are read.
        QStringLiteral(
            "create index if not exists test_hdr_of_period on test_hdr (branch_no, test_date)"),
        QStringLiteral("create index if not exists tester_class_of on tester (tester_class_id)"),
        QStringLiteral("create index if not exists info_source_class_of on info_source "
                       "(info_source_class_id)"),
    };
    return texts;
}

bool tableExists(Database &database, const QString &table)
{
    QSqlQuery query(database.connection());
    const bool sqlite = database.engine() == dialect::Engine::SQLite;
    query.prepare(sqlite ? QStringLiteral("select count(*) from sqlite_master where type='table' "
                                          "and name=:name")
                         : QStringLiteral("select count(*) from information_schema.tables where "
                                          "table_schema=current_schema() and table_name=:name"));
    query.bindValue(QStringLiteral(":name"), table);
    if (!query.exec() || !query.next())
        throw Error(query.lastError().text());
    return query.value(0).toInt() > 0;
}

int storedVersion(Database &database)
{
    QSqlQuery query(database.connection());
    if (!query.exec(QStringLiteral("select max(version) from schema_version")) || !query.next())
        throw Error(query.lastError().text());
    return query.value(0).toInt();
}

void recordVersion(Database &database, int version)
{
    database.execute(QStringLiteral("delete from schema_version"));
    database.execute(
        QStringLiteral("insert into schema_version (version) values (%1)").arg(version));
}

// The year a test's number belongs to. SQLite keeps a date as its ISO text, whose first four
// letters are the year: an index over it needs no function of this program, so that other
// tools can still write the file.
QString yearOfTestDate(Database &database)
{
    return database.engine() == dialect::Engine::SQLite
               ? QStringLiteral("substr(test_date,1,4)")
               : QStringLiteral("extract(year from test_date)");
}

// The test numbers that two or more tests of one branch and year share, in Arabic; empty when
// there are none.
QString duplicateTestNumbers(Database &database)
{
    const QString year = yearOfTestDate(database);
    QSqlQuery query(database.connection());
    if (!query.exec(QStringLiteral("select branch_no, cast(%1 as integer) as test_year, test_no, "
                                   "count(*) as tests from test_hdr group by branch_no, %1, "
                                   "test_no having count(*) > 1 order by 2, 1, 3")
                        .arg(year)))
        throw Error(query.lastError().text());
    QStringList found;
    while (query.next())
        found << QStringLiteral("رقم %1 لسنة %2 في الفرع %3 (عدد الاختبارات %4)")
                     .arg(query.value(2).toString(), query.value(1).toString(),
                          query.value(0).toString(), query.value(3).toString());
    if (found.isEmpty())
        return {};
    return QStringLiteral("توجد أرقام اختبارات مكررة في سجل الاختبارات، ولم يُغيَّر منها شيء: ") +
           found.join(QStringLiteral("، ")) +
           QStringLiteral(". صحح هذه الأرقام حتى يمنع النظام تكرار رقم الاختبار في السنة.");
}

// Version 1: one test number per branch and year.
QString addUniqueTestNumbers(Database &database)
{
    const QString duplicates = duplicateTestNumbers(database);
    if (!duplicates.isEmpty())
        return duplicates;
    database.execute(QStringLiteral("create unique index if not exists test_hdr_number_of_year on "
                                    "test_hdr (branch_no, (%1), test_no)")
                         .arg(yearOfTestDate(database)));
    return {};
}

// Adds the columns of a table that a database of an earlier version lacks, at its end.
void addMissingColumns(Database &database, const Table &table)
{
    const QSqlRecord present = database.connection().record(QLatin1String(table.name));
    for (const Column &column : table.columns)
        if (!present.contains(QLatin1String(column.name)))
            database.execute(QStringLiteral("alter table %1 add column %2 %3")
                                 .arg(QLatin1String(table.name), QLatin1String(column.name),
                                      QLatin1String(typeName(column.kind))));
}

// Version 2: passwords stored only as hashes, and the failed logins of each account counted.
QString hashPasswords(Database &database)
{
    addMissingColumns(database, table(QStringLiteral("users")));
    accounts::hashStoredPasswords(database);
    return {};
}

// Audit log: a row for each changed field of every change from now on.
QString addAuditLog(Database &database)
{
    for (const QString &definition : audit::tableDefinition(database))
        database.execute(definition);
    return {};
}

// The changes a database made by an earlier version needs, in order: version n is the first n.
const std::vector<QString (*)(Database &)> &migrations()
{
    static const std::vector<QString (*)(Database &)> all = {addUniqueTestNumbers,
                                                             hashPasswords,
                                                             search::writeNameIndexInPlainSql,
                                                             addAuditLog,
                                                             search::writeNameFunctionsAnew,
                                                             search::keepNamesInSearchedNames};
    return all;
}

// The version from which a migration's change holds.
int versionAfter(QString (*migration)(Database &))
{
    const auto &all = migrations();
    return int(std::find(all.begin(), all.end(), migration) - all.begin()) + 1;
}

// The version a register records, 0 for one that records none yet.
int versionOfRegister(Database &database)
{
    return tableExists(database, QStringLiteral("schema_version")) ? storedVersion(database) : 0;
}

// Brings a database up to the given version, in the caller's transaction; see migrate().
QString migrateTo(Database &database, int target)
{
    database.serializeNumbering(QStringLiteral("schema_version"));
    database.execute(
        QStringLiteral("create table if not exists schema_version (version integer not null)"));
    for (int version = storedVersion(database); version < target; ++version) {
        const QString undone = migrations().at(version)(database);
        if (!undone.isEmpty())
            return undone;
        recordVersion(database, version + 1);
    }
    return {};
}

// The tables, views and indexes of a register of the first version, and on PostgreSQL the
// functions they use.
void createStructure(Database &database)
{
    if (database.engine() == dialect::Engine::PostgreSQL) {
        for (const QString &definition : dialect::postgresFunctionDefinitions())
            database.execute(definition);
    }
    for (const Table &table : tables())
        database.execute(createTableText(table));
    for (const auto &[view, table] : views())
        database.execute(QStringLiteral("create view %1 as select * from %2")
                             .arg(QLatin1String(view), QLatin1String(table)));
    createIndexes(database);
}

} // namespace

int currentVersion()
{
    return int(migrations().size());
}

bool isCurrent(Database &database)
{
    return tableExists(database, QStringLiteral("schema_version")) &&
           storedVersion(database) >= currentVersion();
}

QString migrate(Database &database)
{
    return migrateTo(database, currentVersion());
}

const std::vector<Table> &tables()
{
    static const std::vector<Table> all = makeTables();
    return all;
}

const Table &table(const QString &name)
{
    for (const Table &table : tables())
        if (name == QLatin1String(table.name))
            return table;
    throw Error(QStringLiteral("no table %1").arg(name));
}

const std::vector<std::pair<const char *, const char *>> &views()
{
    static const std::vector<std::pair<const char *, const char *>> all = {
        {"nationality_view_1", "nationality"},
        {"id_type_view_1", "id_type"},
        {"kinship_degree_view_1", "kinship_degree"},
        {"kinship_degree_view_2", "kinship_degree"},
    };
    return all;
}

void createIndexes(Database &database)
{
    for (const QString &index : indexTexts())
        database.execute(index);
    const int version = versionOfRegister(database);
    search::prepareNameIndex(database,
                             version >= versionAfter(search::writeNameIndexInPlainSql)
                                 ? search::IndexSql::PlainSql
                                 : search::IndexSql::ProgramFunctions,
                             version >= versionAfter(search::keepNamesInSearchedNames)
                                 ? search::PostgresIndex::SearchedNames
                                 : search::PostgresIndex::OnNames);
}

bool exists(Database &database)
{
    return tableExists(database, QStringLiteral("app_tables"));
}

void create(Database &database)
{
    createStructure(database);
    seed::write(database);
}

void createEmpty(Database &database, int version)
{
    createStructure(database);
    migrateTo(database, version);
}

} // namespace simat::schema
