#pragma once

#include "core/checklist_test.h"

#include <QDate>
#include <QString>
#include <functional>

namespace simat {
class Database;
}

namespace simat::period_export {

// Told how many of the period's tests are written out of how many; returning false stops the
// export, which then throws Error and leaves no file behind.
using Progress = std::function<bool(qint64 done, qint64 total)>;

struct Period {
    int branchNo = 0;
    QDate from;
    QDate to;
};

// The number of the period's tests: those its list of tests shows.
int testCount(Database &database, const Period &period);

// A test of the period with its case, its tester and its information source by name, and the
// answers it holds rows for (without the questions' texts).
struct PeriodTest {
    ChecklistTest test;
    QString caseName;
    QString testerName;
    QString infoSourceName;
};
// Hands over the period's tests that hold rows, by date, number and case, each once its rows are
// read: the tests that the list of the period's tests shows and the export writes.
void readTests(Database &database, const Period &period,
               const std::function<void(const PeriodTest &test)> &test);

// "simat-2026-01-01-2026-12-31-tests.csv", beside which the answers go into
// "simat-2026-01-01-2026-12-31-answers.csv".
QString testsFileName(const Period &period);
// The answers' file beside a tests file: "x-tests.csv" gives "x-answers.csv", any other name
// "-answers" before its suffix.
QString answersFilePath(const QString &testsFilePath);

struct Written {
    int tests = 0;
    qint64 answers = 0;
};

// Writes the period's tests into testsFilePath, one row each with the questions answered and
// waiting, its per-domain and total percentages, recommendation (none while the test is
// unfinished) and status, and their answers into the file answersFilePath() names, one row each.
// Percentages are of the questions the test holds rows for, as the list of the period's tests
// gives them. The progress is told of the tests written out of expectedTests, the number
// testCount() gave. Both files appear only once both are whole. Throws Error with the reason in
// Arabic.
Written write(Database &database, const Period &period, int expectedTests,
              const QString &testsFilePath, const Progress &progress = {});

// The workbook beside a tests file: "x-tests.csv" gives "x.xlsx".
QString workbookFilePath(const QString &testsFilePath);

// Writes what write() writes into one workbook: a sheet of the tests and a sheet of their
// answers, dates as dates, percentages and marks as numbers. Throws Error with the reason in
// Arabic, leaving no file behind.
Written writeWorkbook(Database &database, const Period &period, int expectedTests,
                      const QString &path, const Progress &progress = {});

} // namespace simat::period_export
