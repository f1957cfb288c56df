#pragma once

#include <QDate>

namespace simat {

class Statement;

// What names one stored test: numbers restart each year in each branch, and a register may
// hold the same number and date for two cases, so a test is named by all four.
struct TestIdentity {
    int branchNo = 0;
    int testNo = 0;
    QDate testDate;
    int caseCode = 0;
};

// Binds branch_no, test_no, test_date and stud_code of a statement that names one test.
void bindTestIdentity(Statement &statement, const TestIdentity &test);

} // namespace simat
