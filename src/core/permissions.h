#pragma once

// What each user level may do. Level 0 keeps the whole register, level 1 supervises the basic
// data, level 2 tests, level 3 only inquires; a screen asks by what it is about to offer, as
// in permissions::mayCloseTests(access). A register that can only be read takes no change
// from anyone: every rule that changes it refuses, while those that only open and read stay.
namespace simat::permissions {

enum class Level { Administrator = 0, Supervisor = 1, Tester = 2, Inquirer = 3 };

// Who asks: the session user's level, on the register in use.
struct Access {
    int level = -1;
    bool registerReadOnly = false;
};

// Whether the level ranks with `lowest` or above it (0 ranks highest); no other level may.
template <Level lowest> constexpr bool upTo(Access access)
{
    return access.level >= int(Level::Administrator) && access.level <= int(lowest);
}

// The same, for what changes the register.
template <Level lowest> constexpr bool changesUpTo(Access access)
{
    return !access.registerReadOnly && upTo<lowest>(access);
}

inline constexpr auto &mayOpenTestScreen = upTo<Level::Tester>;
inline constexpr auto &maySaveTests = changesUpTo<Level::Tester>;
inline constexpr auto &mayCloseTests = changesUpTo<Level::Administrator>;
inline constexpr auto &mayDeleteTests = changesUpTo<Level::Administrator>;
// Registering and changing cases.
inline constexpr auto &mayKeepCases = changesUpTo<Level::Tester>;
inline constexpr auto &mayDeleteCases = changesUpTo<Level::Supervisor>;
// Bringing in cases from a file, and lookup names with them.
inline constexpr auto &mayImportCases = changesUpTo<Level::Supervisor>;
// Every case of the register written into a file.
inline constexpr auto &mayExportCases = upTo<Level::Supervisor>;
inline constexpr auto &mayOpenBasicData = upTo<Level::Tester>;
// Testers and information sources; the classes they belong to.
inline constexpr auto &mayKeepLookups = changesUpTo<Level::Tester>;
inline constexpr auto &mayOpenClassifications = upTo<Level::Supervisor>;
inline constexpr auto &mayKeepClassifications = changesUpTo<Level::Supervisor>;
inline constexpr auto &mayDeleteLookups = changesUpTo<Level::Supervisor>;
inline constexpr auto &mayOpenAccounts = upTo<Level::Administrator>;
inline constexpr auto &mayKeepAccounts = changesUpTo<Level::Administrator>;
// A backup of the whole register reads it; a restore replaces it.
inline constexpr auto &mayBackUpRegister = upTo<Level::Administrator>;
inline constexpr auto &mayRestoreRegister = changesUpTo<Level::Administrator>;
inline constexpr auto &mayInstall = upTo<Level::Administrator>;
// Who changed what: the whole log, and the history of the case or test on a screen.
inline constexpr auto &mayReadAuditLog = upTo<Level::Administrator>;
inline constexpr auto &mayReadRecordHistory = upTo<Level::Supervisor>;
// Every user chooses their own password.
inline constexpr auto &mayChangeOwnPassword = changesUpTo<Level::Inquirer>;

} // namespace simat::permissions
