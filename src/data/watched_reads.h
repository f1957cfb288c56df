#pragma once

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <functional>
#include <vector>

namespace simat {

class Database;

// While it lives, the reads on the register tell `goOn` every few hundredths of a second that
// they are still going on; once it returns false, the read under way stops within that time
// and throws Stopped. On SQLite the engine tells it while it steps a statement (its progress
// handler, on every connection of the register), before the first row as well as between
// rows; on PostgreSQL a read tells it between the rows the server sends, and a stopped read is
// cancelled on the server, so that the rest of its rows are never sent.
class WatchedReads {
public:
    WatchedReads(Database &database, std::function<bool()> goOn);
    ~WatchedReads();
    WatchedReads(const WatchedReads &) = delete;
    WatchedReads &operator=(const WatchedReads &) = delete;

    bool stopped() const { return m_stopped; }
    // Whether goOn is running now, in the middle of a read: what it lets run meanwhile may not
    // read on the register's connections.
    bool telling() const { return m_telling; }
    // SQLite's engine tells this watch of the statements stepped on a connection opened while
    // it lives too.
    void watch(const QSqlDatabase &connection);
    // Between two rows of a read: throws Stopped once goOn has said so; the read cancels its
    // statement on the server as it stops.
    void betweenRows();

private:
    static int tell(void *watch);
    bool goesOn();

    Database &m_database;
    WatchedReads *m_outer;
    std::function<bool()> m_goOn;
    QElapsedTimer m_sinceTold;
    bool m_stopped = false;
    bool m_telling = false;
    // The SQLite connections (sqlite3*) whose progress handler is this watch's.
    std::vector<void *> m_watched;
};

} // namespace simat
