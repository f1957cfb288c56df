#pragma once

#include "alias.h"

#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <vector>

namespace simat {

class Statement;

// The one connection of the program, named "db", to the database the alias VUM names.
class Database {
public:
    static constexpr const char *connectionName = "db";

    Database() = default;
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;
    ~Database();

    // Opens the database the alias names (creating and seeding a new one); throws Error.
    void open(const DatabaseAlias &alias);
    void open() { open(resolveVumAlias()); }
    void close();
    bool isOpen() const;
    // Opens the connections anew when the server has dropped one of them (or an earlier try to
    // reopen failed); a PostgreSQL connection is found lost by the statement that used it, so
    // the action after that one reconnects. Throws Error while the server cannot be reached.
    void reopenIfLost();

    DatabaseAlias::Engine engine() const { return m_alias.engine; }
    const DatabaseAlias &alias() const { return m_alias; }
    QSqlDatabase connection() const;
    // A second connection to the same database for reads that stream rows to a grid, so that
    // a search still being read never stands in the way of the statements on connection().
    QSqlDatabase streamingConnection();

    void beginTransaction();
    void commit();
    void rollback();

    // Runs work in one transaction: commits when it returns, rolls back when it throws.
    // Returns false after a roll back; lastFailure() then says what failed.
    bool inTransaction(const std::function<void()> &work);
    const QString &lastFailure() const { return m_lastFailure; }

    // Runs a statement text that needs no parameters (schema creation); throws Error.
    void execute(const QString &sql);

    // Statements on this connection, closed before the connection closes.
    void attach(Statement *statement);
    void detach(Statement *statement);

private:
    void openConnection();
    void protectEmbeddedFiles() const;
    void prepareSchema();
    bool connectionLost() const;

    DatabaseAlias m_alias;
    QString m_lastFailure;
    bool m_reopenPending = false;
    std::vector<Statement *> m_statements;
};

} // namespace simat
