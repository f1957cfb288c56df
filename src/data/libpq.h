#pragma once

#include <QByteArray>
#include <QList>

class QSqlDatabase;

// The few calls of libpq that Qt's PostgreSQL driver does not offer, made on the driver's own
// connection.
namespace simat::libpq {

// The PGconn behind a connection of Qt's PostgreSQL driver; nullptr for any other connection.
void *connectionOf(const QSqlDatabase &db);

// A function of the copy of libpq that Qt's PostgreSQL driver loaded, so that a program on the
// embedded database never loads libpq at all; nullptr while no driver has loaded it.
void *function(const char *name);

// Asks the server to cancel the statement that runs on a connection of Qt's PostgreSQL driver,
// so that the rows it has not sent yet never come; nothing for any other connection.
void cancelStatement(const QSqlDatabase &db);

// Runs `text` on a connection of Qt's PostgreSQL driver with its parameters $1, $2, ... sent
// apart from it, as texts (a null array for a null); returns the rows it touched. Throws Error
// with the server's reason when it fails.
int executeWithValues(const QSqlDatabase &db, const QByteArray &text,
                      const QList<QByteArray> &values);

} // namespace simat::libpq
