#pragma once

// What each user level may do. Level 0 keeps the whole register, level 1 supervises the basic
// data, level 2 tests, level 3 only inquires; a screen asks by what it is about to offer.
namespace simat::permissions {

enum class Level { Administrator = 0, Supervisor = 1, Tester = 2, Inquirer = 3 };

bool mayOpenTestScreen(int level);
bool maySaveTests(int level);
bool mayCloseTests(int level);
bool mayDeleteTests(int level);
bool mayDeleteCases(int level);
bool mayOpenBasicData(int level);
// The classes of testers and of information sources.
bool mayKeepClassifications(int level);
bool mayDeleteLookups(int level);
bool mayKeepAccounts(int level);
// Backup and restore of the whole register.
bool mayKeepRegister(int level);
bool mayInstall(int level);

} // namespace simat::permissions
