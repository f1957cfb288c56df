#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

class QSqlDatabase;

namespace simat {
class Database;
}

// What a register holds besides its rows. A restore compares the layout of a backup with the
// one the program makes for the backup's schema version, and copies rows only into the latter.
namespace simat::register_layout {

struct Table {
    QStringList columns; // in small letters, in their order
    // A table of stored rows alone: not a virtual table, no generated or hidden column.
    bool plain = true;
};

struct Layout {
    QMap<QString, Table> tables;
    QMap<QString, QString> views;    // name: definition
    QMap<QString, QString> triggers; // SQLite: name; PostgreSQL: "table.name"; definition
};

// The layout of the main database of a SQLite connection or of a database attached to it
// (schema names it), or of the current schema of a PostgreSQL connection. Throws Error.
Layout sqliteLayout(const QSqlDatabase &db, const QString &schema);
Layout layoutOf(Database &database);

// The tables of the program's layout whose rows a restore copies: every plain table but the
// record of the schema version, the tables behind a full-text index and those a trigger keeps.
QStringList rowTables(const Layout &program);

// Whether a backup's layout holds every table of rows of the program's layout with at least
// its columns, and no table, view or trigger that the program's layout does not hold as well.
// Views and triggers are compared by their definitions, without regard to spaces, letter case
// or the schema a name is qualified with.
bool fits(const Layout &backup, const Layout &program);

// A definition as fits() compares it.
QString comparedDefinition(const QString &definition);

} // namespace simat::register_layout
