#pragma once

// What each user level may do. Level 0 keeps the whole register, level 1 supervises the basic
// data, level 2 tests, level 3 only inquires; a screen asks by what it is about to offer, as
// in permissions::mayCloseTests(level).
namespace simat::permissions {

enum class Level { Administrator = 0, Supervisor = 1, Tester = 2, Inquirer = 3 };

// Whether a level ranks with `lowest` or above it (0 ranks highest); no other level may.
template <Level lowest> constexpr bool upTo(int level)
{
    return level >= int(Level::Administrator) && level <= int(lowest);
}

inline constexpr auto &mayOpenTestScreen = upTo<Level::Tester>;
inline constexpr auto &maySaveTests = upTo<Level::Tester>;
inline constexpr auto &mayCloseTests = upTo<Level::Administrator>;
inline constexpr auto &mayDeleteTests = upTo<Level::Administrator>;
// Registering and changing cases.
inline constexpr auto &mayKeepCases = upTo<Level::Tester>;
inline constexpr auto &mayDeleteCases = upTo<Level::Supervisor>;
inline constexpr auto &mayOpenBasicData = upTo<Level::Tester>;
// Testers and information sources; the classes they belong to.
inline constexpr auto &mayKeepLookups = upTo<Level::Tester>;
inline constexpr auto &mayKeepClassifications = upTo<Level::Supervisor>;
inline constexpr auto &mayDeleteLookups = upTo<Level::Supervisor>;
inline constexpr auto &mayKeepAccounts = upTo<Level::Administrator>;
// Backup and restore of the whole register.
inline constexpr auto &mayKeepRegister = upTo<Level::Administrator>;
inline constexpr auto &mayInstall = upTo<Level::Administrator>;
// Every user chooses their own password.
inline constexpr auto &mayChangeOwnPassword = upTo<Level::Inquirer>;

} // namespace simat::permissions
