#include "permissions.h"

namespace simat::permissions {

namespace {

bool is(int level, Level wanted)
{
    return level == int(wanted);
}

bool atLeast(int level, Level lowest)
{
    return level >= int(Level::Administrator) && level <= int(lowest);
}

} // namespace

bool mayOpenTestScreen(int level)
{
    return atLeast(level, Level::Tester);
}

bool maySaveTests(int level)
{
    return atLeast(level, Level::Tester);
}

bool mayCloseTests(int level)
{
    return is(level, Level::Administrator);
}

bool mayDeleteTests(int level)
{
    return is(level, Level::Administrator);
}

bool mayDeleteCases(int level)
{
    return atLeast(level, Level::Supervisor);
}

bool mayOpenBasicData(int level)
{
    return atLeast(level, Level::Tester);
}

bool mayKeepClassifications(int level)
{
    return atLeast(level, Level::Supervisor);
}

bool mayDeleteLookups(int level)
{
    return atLeast(level, Level::Supervisor);
}

bool mayKeepAccounts(int level)
{
    return is(level, Level::Administrator);
}

bool mayKeepRegister(int level)
{
    return is(level, Level::Administrator);
}

bool mayInstall(int level)
{
    return is(level, Level::Administrator);
}

} // namespace simat::permissions
