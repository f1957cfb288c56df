#pragma once

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

// Writes the period's tests into testsFilePath, one row each with its per-domain and total
// percentages, verdict and status, and their answers into the file answersFilePath() names,
// one row each. Percentages are of the questions answered, as the list of the period's tests
// gives them. The progress is told of the tests written out of expectedTests, the number
// testCount() gave. Both files appear only once both are whole. Throws Error with the reason in
// Arabic.
Written write(Database &database, const Period &period, int expectedTests,
              const QString &testsFilePath, const Progress &progress = {});

} // namespace simat::period_export
