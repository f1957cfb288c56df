#pragma once

#include "alias.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace simat {

class Statement;
class WatchedReads;

// What a try of a connection found.
struct ConnectionTrial {
    enum class Outcome { Connected, NewFile, Failed };
    Outcome outcome = Outcome::Failed;
    QString reason;       // why it failed, in Arabic
    QString engineReason; // why it failed, in the driver's words
};

// Opens a connection of its own, under a name no other connection has, to the database the
// alias names, reads from it and closes it again; the program's connection is left alone. A
// SQLite file is only ever opened by SQLite, read-only; one that does not exist yet is not
// created and counts as NewFile when its folder can take it.
ConnectionTrial tryConnection(const DatabaseAlias &alias);

// Why a statement failed and what to do, in Arabic, for the reasons that the two engines give
// when the disk is full, the register can only be read, is busy, slow or out of reach, or
// refuses a value (named by its field); empty for any other reason.
QString failureExplanation(const QString &engineReason);

// The one connection of the program, named "db", to the database the alias VUM names; or,
// under a name of its own, a connection that works beside it (a restore's).
class Database {
public:
    static constexpr const char *connectionName = "db";

    explicit Database(const QString &name = QLatin1String(connectionName));
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;
    ~Database();

    // Opens the database the alias names (creating and seeding a new one); throws Error.
    void open(const DatabaseAlias &alias);
    void open() { open(resolveVumAlias()); }
    // Opens the database the alias names as it stands: nothing is created, seeded or changed
    // in it (a new SQLite file is left empty). Throws Error.
    void openAsItStands(const DatabaseAlias &alias);
    void close();
    bool isOpen() const;
    // Opens the connections anew when the server has dropped one of them (or an earlier try to
    // reopen failed); a PostgreSQL connection is found lost by the statement that used it, so
    // the action after that one reconnects, and the statements that were open open again.
    // Throws Error while the server cannot be reached.
    void reopenIfLost();
    // An earlier try to reopen the connections failed: the next action tries again.
    bool reopenPending() const { return m_reopenPending; }

    // The open register can only be read: its file or folder takes no writing, or its server
    // takes no changes.
    bool isReadOnly() const { return m_readOnly; }

    DatabaseAlias::Engine engine() const { return m_alias.engine; }
    const DatabaseAlias &alias() const { return m_alias; }
    QSqlDatabase connection() const;
    // A second connection to the same database for reads that stream rows to a grid, so that
    // a search still being read never stands in the way of the statements on connection().
    QSqlDatabase streamingConnection();

    // A write transaction: on SQLite it takes the write lock at once (begin immediate), so that
    // what it reads stays true until it commits and another writer waits for it.
    void beginTransaction();
    void commit();
    void rollback();

    // Runs work in one transaction: commits when it returns, rolls back when it throws.
    // Returns false after a roll back; lastFailure() then says what failed.
    bool inTransaction(const std::function<void()> &work);
    const QString &lastFailure() const { return m_lastFailure; }
    // Inside a transaction on PostgreSQL: its statements may run as long as they need (a
    // migration or a restore of a centre's whole history).
    void liftStatementLimit();

    // Keeps every other transaction that makes a new code of the table waiting until this
    // transaction ends; on SQLite the write lock of beginTransaction() already does.
    void serializeNumbering(const QString &table);

    // How long SQLite waits for another writer's lock before a statement fails.
    static constexpr int busyWaitMs = 5000;
    // On PostgreSQL, how long a statement of a transaction waits for a lock that another
    // workstation holds, and how long it may run, before the transaction fails and is rolled
    // back. The busy hook is told of every transaction there, since its waits cannot be seen.
    static constexpr int lockWaitMs = busyWaitMs;
    static constexpr int statementLimitMs = 30000;
    // Called with true when a statement starts waiting for another writer, and with false when
    // the transaction or statement it waited in has ended.
    void setBusyHook(std::function<void(bool waiting)> hook) { m_busyHook = std::move(hook); }
    const std::function<void(bool waiting)> &busyHook() const { return m_busyHook; }

    // Told how far the migration of a register of an earlier version has gone (its backup, then
    // its passwords); returning false stops it, and the register stays as it was.
    using Progress = std::function<bool(qint64 done, qint64 total)>;
    void setMigrationProgress(Progress progress) { m_migrationProgress = std::move(progress); }
    const Progress &migrationProgress() const { return m_migrationProgress; }
    // What a migration stopped through its progress throws.
    static QString migrationStoppedText();

    // The watch that the reads on the register tell how they go, or nullptr; see WatchedReads.
    WatchedReads *readWatch() const { return m_readWatch; }
    void setReadWatch(WatchedReads *watch) { m_readWatch = watch; }
    // A read is under way that lets the program run meanwhile (its progress window): nothing
    // may read on the connections until it goes on.
    bool readUnderWay() const;
    // Throws what a read that failed with the engine's words throws: Stopped when the user
    // stopped it through the watch, else Error.
    [[noreturn]] void readFailed(const QString &engineText) const;

    // What the last open found and left as it was (duplicate test numbers), or empty; cleared
    // once taken.
    QString takeOpenWarning() { return std::exchange(m_openWarning, QString()); }

    // Whose changes the audit log records: the session user's code, set at each login.
    void setSessionUser(int userCode) { m_sessionUser = userCode; }
    int sessionUser() const { return m_sessionUser; }

    // Runs a statement text that needs no parameters (schema creation); throws Error.
    void execute(const QString &sql);

    // A statement prepared once and kept while the connection is open, for statements run again
    // and again (SQLite parses a statement anew on each prepare); values are bound on each use.
    QSqlQuery &prepared(const QString &text);

    // Statements on this connection, closed before the connection closes.
    void attach(Statement *statement);
    void detach(Statement *statement);

private:
    enum class Schema { Prepared, AsItStands };
    void openWith(const DatabaseAlias &alias, Schema schema);
    QString streamingConnectionName() const;
    void openConnection();
    void forgetPrepared();
    bool takesNoChanges();
    void protectEmbeddedFiles() const;
    void prepareSchema();
    void limitWaits();
    void waitForOtherWriters(QSqlDatabase &db);
    static int busyHandler(void *database, int attempts);
    void stopWaiting();
    bool connectionLost() const;

    QString m_name;
    DatabaseAlias m_alias;
    QString m_lastFailure;
    QString m_openWarning;
    std::function<void(bool)> m_busyHook;
    Progress m_migrationProgress;
    WatchedReads *m_readWatch = nullptr;
    QElapsedTimer m_waited;
    bool m_waiting = false;
    bool m_reopenPending = false;
    bool m_readOnly = false;
    int m_sessionUser = 0;
    std::vector<Statement *> m_statements;
    std::vector<Statement *> m_openBeforeLoss;
    QHash<QString, QSqlQuery> m_prepared;
};

} // namespace simat
