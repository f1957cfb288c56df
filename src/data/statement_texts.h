#pragma once

#include <QStringList>

// The stored texts of the data module's statements, line by line as screens index them.
namespace simat::texts {

// An account by its code; the password is checked in the program (data/accounts.h), so that it
// never travels inside a statement.
QStringList findUser();
// The number of the checklist's questions.
QStringList questionCount();
QStringList serialTemplate();
// student a with every lookup name, in one chain of parenthesised left joins, then `where`.
QStringList caseWithLookups(const QString &where);

} // namespace simat::texts

namespace simat::texts {

// The lookup picker and column discovery.
QStringList tableLevel();
QStringList tableStructure();
QStringList searchByName();

// The checklist test screen.
QStringList domainQuestions();
QStringList caseTestHeaders();
QStringList caseTestRows();
QStringList testDomainAnswers();
QStringList testerWithClass();
QStringList infoSourceWithClass();
QStringList testTotalMark();
QStringList addTestHeader();
QStringList addTestDetail();
QStringList updateTestHeader();
QStringList moveTestDetailsToDate();
QStringList updateTestDetail();
QStringList findTestQuestion();
QStringList caseTestsByStatus();
QStringList testReportRows();
QStringList testDomainSummary();
QStringList storedQuestionCount();
QStringList unansweredQuestionCount();
QStringList closeTest();
QStringList deleteTestHeader();
QStringList deleteTestDetails();

} // namespace simat::texts

namespace simat::texts {

// User accounts.
QStringList usersList();
QStringList findUserCode();
QStringList addUser();
QStringList updateUser();
QStringList findLevel();
QStringList otherActiveAdministrators();

// The basic-data screens' templates: each screen sets their lines by index for the table it
// maintains; until then they read the gender table.
QStringList emptyTable();
QStringList basicDataResult();
QStringList setupDataInsert();
QStringList setupDataUpdate();
QStringList setupDataDelete();
QStringList findSetupDataTransaction();
QStringList tablesForCheckDelete();
// The level-2 screen's templates: until it sets their lines they read info_source under
// info_source_class.
QStringList resultLevel2();
QStringList setupDataInsertLevel2();
QStringList setupDataUpdateLevel2();
QStringList sysTableData();
// The registry rows of one level that are offered for maintenance.
QStringList registryTables(int level);

} // namespace simat::texts

// The all-cases report.
namespace simat::texts {
// One row per case that has at least one test, over all branches and dates.
QStringList casesWithTests();
} // namespace simat::texts

namespace simat::texts {

// The case record form: every column of a case, in the order the insert names them.
QStringList studentColumns();
QStringList addStudent();
QStringList updateStudent();

} // namespace simat::texts

namespace simat::texts {

// The comparison of two tests of a case.
QStringList comparedCaseTests();
QStringList comparedTestAnswers();
QStringList questionDomain();

} // namespace simat::texts

namespace simat::texts {

// The export of a period's tests: their number, the checklist's domains and questions, and
// every answer of every test with its test's case, tester, source and status, by test and
// question. The tests are those of the list of the period's tests.
QStringList exportedTestCount();
QStringList checklistDomains();
QStringList checklistQuestions();
QStringList exportedAnswers();

} // namespace simat::texts
