#pragma once

#include <QStringList>
#include <vector>

namespace simat {
class Database;
}

namespace simat::schema {

enum class Kind { Integer, Text, Date };

struct Column {
    const char *name;
    Kind kind;
};

struct Table {
    const char *name;
    std::vector<Column> columns;
    std::vector<const char *> key;
};

// Every table of the program, its columns in their order.
const std::vector<Table> &tables();
const Table &table(const QString &name);
// The views over lookup tables that a case joins twice, with the table each one renames.
const std::vector<std::pair<const char *, const char *>> &views();

bool exists(Database &database);
// Creates every table, view and index of a new database and writes its installation data.
void create(Database &database);
// Creates the tables, views, indexes and triggers that a new register has once brought up to
// the given schema version, without a row: a restore copies a backup's rows into them. In the
// caller's transaction.
void createEmpty(Database &database, int version);
// Adds the indexes a database made by an earlier version lacks, the name search's among them.
void createIndexes(Database &database);

// The version of the schema this program writes; a database records its own in schema_version.
int currentVersion();
bool isCurrent(Database &database);
// Brings a database up to the current version, in the caller's transaction. What it cannot do
// without changing the register's rows (duplicate test numbers) it leaves undone and describes
// in Arabic in the text it returns; every later open tries again.
QString migrate(Database &database);

} // namespace simat::schema
