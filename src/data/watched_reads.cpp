#include "watched_reads.h"

#include "core/error.h"
#include "database.h"

#include <QSqlDriver>
#include <QVariant>
#include <algorithm>
#include <sqlite3.h>

namespace simat {

namespace {

// How often goOn hears of a read: often enough that a Cancel stops it at once to the eye.
constexpr int tellEveryMs = 25;
// Virtual machine instructions of SQLite between two looks at the clock.
constexpr int instructionsBetweenLooks = 1000;

sqlite3 *sqliteHandle(const QSqlDatabase &connection)
{
    const QVariant handle = connection.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

} // namespace

WatchedReads::WatchedReads(Database &database, std::function<bool()> goOn)
    : m_database(database)
    , m_outer(database.readWatch())
    , m_goOn(std::move(goOn))
{
    m_sinceTold.start();
    m_database.setReadWatch(this);
    if (m_database.isOpen())
        watch(m_database.connection());
}

WatchedReads::~WatchedReads()
{
    for (void *handle : m_watched)
        sqlite3_progress_handler(static_cast<sqlite3 *>(handle), 0, nullptr, nullptr);
    m_database.setReadWatch(m_outer);
    if (m_outer)
        for (void *handle : m_outer->m_watched)
            sqlite3_progress_handler(static_cast<sqlite3 *>(handle), instructionsBetweenLooks,
                                     &WatchedReads::tell, m_outer);
}

void WatchedReads::watch(const QSqlDatabase &connection)
{
    sqlite3 *handle = sqliteHandle(connection);
    if (!handle || std::find(m_watched.begin(), m_watched.end(), handle) != m_watched.end())
        return;
    m_watched.push_back(handle);
    sqlite3_progress_handler(handle, instructionsBetweenLooks, &WatchedReads::tell, this);
}

int WatchedReads::tell(void *watch)
{
    auto *self = static_cast<WatchedReads *>(watch);
    if (!self->m_stopped && self->m_sinceTold.elapsed() >= tellEveryMs)
        self->goesOn();
    return self->m_stopped ? 1 : 0;
}

bool WatchedReads::goesOn()
{
    // What goOn lets happen meanwhile (a window painted, a timer) may read too: it is not told
    // of that read again.
    if (m_telling)
        return !m_stopped;
    m_telling = true;
    m_stopped = !m_goOn();
    m_telling = false;
    m_sinceTold.restart();
    return !m_stopped;
}

void WatchedReads::betweenRows()
{
    if (!m_stopped && m_sinceTold.elapsed() >= tellEveryMs)
        goesOn();
    if (m_stopped)
        throw Stopped();
}

} // namespace simat
