#pragma once

namespace simat {

class Database;

// Shows the busy cursor over the program's windows while the database waits for another
// workstation's write to end.
void showBusyCursorWhileWaiting(Database &database);

} // namespace simat
