#include "global.h"

namespace simat {

Globals &globals()
{
    static Globals values;
    return values;
}

permissions::Access sessionAccess()
{
    const Session &session = globals().session;
    return {session.SessionUserLevel, session.RegisterReadOnly};
}

} // namespace simat

#include "core/error.h"
#include "data/dm.h"

namespace simat {

void discoverLookupColumns()
{
    TDataModule1 *dm = TDataModule1::instance();
    LookupState &lookup = globals().lookup;
    dm->GetTableLevelQuery->setParam(QStringLiteral("table_name"), lookup.LookupTableName);
    dm->GetTableLevelQuery->open();
    lookup.LookupTableLevel = dm->GetTableLevelQuery->isEmpty()
                                  ? 0
                                  : dm->GetTableLevelQuery->intValue(QStringLiteral("table_level"));
    dm->GetTableStrucQuery->setLine(1, Statement::identifier(lookup.LookupTableName));
    dm->GetTableStrucQuery->open();
    const QStringList columns = dm->GetTableStrucQuery->columnNames();
    const int codeIndex = lookup.LookupTableLevel == 1 ? 0 : 1;
    if (lookup.LookupTableLevel >= 1 && columns.size() > codeIndex + 1) {
        lookup.LookupCodeColumn = columns.at(codeIndex);
        lookup.LookupNameColumn = columns.at(codeIndex + 1);
    }
}

} // namespace simat
