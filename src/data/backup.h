#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

namespace simat {
class Database;
}

namespace simat::backup {

// Told how far a backup or restore has gone; total is 0 while it is not known. Returning false
// stops the work, which then throws Error and leaves the register as it was.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// "simat-2026-12-08-150203.db" on SQLite, "simat-2026-12-08-150203.dump" on PostgreSQL.
QString fileName(const Database &database, const QDateTime &when = QDateTime::currentDateTime());

// Writes a consistent copy of the register into filePath while the program goes on using it:
// SQLite's online backup on SQLite, pg_dump's custom format on PostgreSQL. The file appears only
// once it is whole. Throws Error with the reason in Arabic.
void save(Database &database, const QString &filePath, const Progress &progress = {});

// Checks that filePath is a whole backup of this program's register, of a schema version the
// program can read, whose tables hold every column the program needs, and that holds no table,
// view or trigger the program does not make; without changing anything. The progress hears of
// it with a total of 0. Throws Error with the reason in Arabic.
void check(const Database &database, const QString &filePath, const Progress &progress = {});

// Checks filePath (unless check() has just done it), then replaces the register with it in one
// transaction: on any failure the register stays as it was. What comes back is data alone: the
// program makes the tables, views, indexes and triggers of the backup's schema version itself,
// copies into them the rows of its own tables in its own columns, and then brings them up to
// the current version as it opens the register again. The program's connections are closed for
// the time and opened again afterwards. Throws Error with the reason in Arabic.
enum class Checked { No, Already };
void restore(Database &database, const QString &filePath, const Progress &progress = {},
             Checked checked = Checked::No);

// The folder of the backups the program takes by itself before it changes the schema.
QString automaticFolder();
// Saves the register into the automatic folder before the schema is brought to the current
// version; once for each database and version, however often the change has to be tried again.
// Throws Error.
void saveBeforeMigration(Database &database);

} // namespace simat::backup
