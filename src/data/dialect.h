#pragma once

#include "alias.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>

namespace simat::dialect {

using Engine = DatabaseAlias::Engine;

// Rewrites a statement text, written once in the dialect of the screens, for the engine in use:
// '+' beside a string literal joins strings (||), and '/' divides in real arithmetic so that
// percentages of integer marks keep their fraction.
QString rewrite(const QString &sql);

// Names of the :placeholders of a text, in order of appearance, outside string literals.
QStringList placeholders(const QString &sql);

// The text with each :placeholder outside string literals replaced by literal(name).
QString replacePlaceholders(const QString &sql,
                            const std::function<QString(const QString &)> &literal);

// Functions the statements call that the engine lacks: year(date) and those of the name search
// on SQLite. SQLite functions belong to one connection, so this runs after every open.
void registerFunctions(QSqlDatabase &database, Engine engine);

// The definitions that a PostgreSQL schema carries for the same functions.
QStringList postgresFunctionDefinitions();

} // namespace simat::dialect
