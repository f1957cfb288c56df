#include "test_identity.h"

#include "statement.h"

namespace simat {

void bindTestIdentity(Statement &statement, const TestIdentity &test)
{
    statement.setParam(QStringLiteral("branch_no"), test.branchNo);
    statement.setParam(QStringLiteral("test_no"), test.testNo);
    statement.setParam(QStringLiteral("test_date"),
                       test.testDate.isValid() ? QVariant(test.testDate) : QVariant());
    statement.setParam(QStringLiteral("stud_code"), test.caseCode);
}

} // namespace simat
