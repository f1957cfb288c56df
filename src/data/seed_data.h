#pragma once

namespace simat {
class Database;
}

namespace simat::seed {

// The installation data of a new database: the table registry, the user levels, the checklist
// with its five domains, common lookup values and the administrator account (code 1,
// password 12345, stored as its hash).
void write(Database &database);

} // namespace simat::seed
