#pragma once

#include "alias.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace simat::dialect {

using Engine = DatabaseAlias::Engine;

// Rewrites a statement text, written once in the dialect of the screens, for the engine in use:
// '+' beside a string literal joins strings (||), and '/' divides in real arithmetic so that
// percentages of integer marks keep their fraction.
QString rewrite(const QString &sql);

// Names of the :placeholders of a text, in order of appearance, outside string literals.
QStringList placeholders(const QString &sql);

// Functions the statements call that the engine lacks: year(date) on SQLite. SQLite functions
// belong to one connection, so this runs after every open.
void registerFunctions(QSqlDatabase &database, Engine engine);

// The definitions that a PostgreSQL schema carries for the same functions.
QStringList postgresFunctionDefinitions();

} // namespace simat::dialect
