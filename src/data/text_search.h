#pragma once

#include "alias.h"

#include <QString>
#include <QStringList>

struct sqlite3;

namespace simat {
class Database;
class Statement;
} // namespace simat

// The substring search that the name searches share: a name is found by any part of it, "%",
// "_" and "\" are the letters they are, and Arabic is compared as a reader compares it.
namespace simat::search {

using Engine = DatabaseAlias::Engine;

// The text as a reader compares it: أ إ آ ٱ read as ا, ة as ه, ى as ي, Latin capitals as small
// letters; diacritics (U+064B to U+065F, U+0670) and tatweel are left out. Both engines call
// it as simat_reader_form(text).
QString readerForm(const QString &text);

// How a substring search compares: names as a reader reads them, digits as they are typed.
enum class Comparison { AsReader, AsTyped };

// A condition that holds where the reader form of `column` contains the reader form of the text
// bound to :param (or, as typed, where `column` contains that text), on any table of either
// engine.
QString containsCondition(const QString &column, const QString &param,
                          Comparison comparison = Comparison::AsReader);

// containsCondition on the case name (stud_name) for the text about to be bound to :param,
// read through the index of the case names where the text has letters to compare. On
// PostgreSQL that index is the table of searched names, which `join` joins to the cases' table
// (named `caseAlias`): it goes right after that table and before anything else is joined to it,
// so that only the cases found are joined further. Without an index to read, `join` is empty.
struct CaseSearch {
    QString join;
    QString condition;
};
CaseSearch caseNameSearch(Engine engine, const QString &caseAlias, const QString &param,
                          const QString &text);

// Shapes a statement of the picker's stored lines ("select", code, "as code,", name,
// "as name,*", "from", table, ...) into: the code and name of every row of `table` whose name
// contains the text bound to :acc_aname, every row with a name for a text with no letter to
// compare. A table whose names are indexed is searched through its index.
void shapeNameSearch(Statement &statement, Engine engine, const QString &table,
                     const QString &codeColumn, const QString &nameColumn, const QString &text);

// The functions of this unit on one SQLite connection; SQLite functions belong to the
// connection, so this runs after every open.
bool registerSqliteFunctions(sqlite3 *connection);

// How SQLite keeps the index of the case names: with the functions the program registers on
// its own connections (registers of the first versions), or in the SQL that every SQLite has,
// so that any SQLite program can write the cases.
enum class IndexSql { ProgramFunctions, PlainSql };

// Where PostgreSQL keeps the index of the case names: on the names of the cases (registers of
// the versions before the table of searched names), or in that table.
enum class PostgresIndex { OnNames, SearchedNames };

// Adds the functions and the index of the case names to a database that lacks them.
void prepareNameIndex(Database &database, IndexSql sql, PostgresIndex postgres);

// The migration that keeps the names of the cases on PostgreSQL in a table of their own as they
// are searched, indexed and kept by a trigger, in place of the index on the names: it tells
// the register's migration progress how many cases it has written. Returns what it leaves
// undone, always nothing.
QString keepNamesInSearchedNames(Database &database);

// The tables that a trigger keeps from the rows of others: a restore copies no rows into them.
QStringList tablesOfSearchedNames();

// The migration that keeps the index of the case names with the SQL every SQLite has, so that a
// case written by another SQLite program is found by its name: the triggers are written anew
// and the index is filled again. PostgreSQL keeps it with functions of the schema already.
// Returns what it leaves undone, always nothing.
QString writeNameIndexInPlainSql(Database &database);

// The migration that writes PostgreSQL's functions of the name index anew with their costs, so
// that a letter that few case names hold or none is looked up in the index. Returns what it
// leaves undone, always nothing.
QString writeNameFunctionsAnew(Database &database);

} // namespace simat::search
