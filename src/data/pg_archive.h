#pragma once

#include "backup.h"
#include "register_layout.h"

// A pg_dump archive of the custom format, read through pg_restore writing to its output, which
// reaches no server: nothing of what the archive holds ever runs. Every function throws Error,
// with backup::notABackupText() for a file that is not such an archive.
namespace simat::pg_archive {

struct Archive {
    QString pgRestore; // the program
    QString filePath;
};

// The tables with their columns, the views and the triggers the archive would create; rules,
// policies and event triggers count as triggers, materialized views and foreign tables as
// tables that hold no plain rows.
register_layout::Layout layoutOf(const Archive &archive);

// The schema version that the archive's rows of schema_version record; 0 without that table.
int schemaVersion(const Archive &archive, const register_layout::Layout &layout);

// Copies the archive's rows of each table of rows of the program's layout, in that layout's
// columns, into the table of that name in the current schema of the database, in the caller's
// transaction. The progress hears of the tables done.
void copyRows(Database &into, const Archive &archive, const register_layout::Layout &program,
              const backup::Progress &progress);

} // namespace simat::pg_archive
