#pragma once

#include <QtGlobal>

namespace simat {
class Database;
}

namespace simat::sample {

// What to generate. Tests are spread over the cases written by the same call.
struct Options {
    int cases = 200;
    int tests = 0;
    bool answers = true; // one answer per checklist question for every test
    quint32 seed = 1;    // the same seed writes the same rows (on the same day)
    int testersPerClass = 4;
    int sourcesPerClass = 3;
};

// What the database holds after write(): testerClasses, testers, sourceClasses and sources
// count every row of their tables (the pool the tests draw from, seeded rows included);
// cases, tests and detailRows count the rows this call wrote.
struct Summary {
    int testerClasses = 0;
    int testers = 0;
    int sourceClasses = 0;
    int sources = 0;
    int cases = 0;
    int tests = 0;
    qint64 detailRows = 0;
};

// Writes a realistic register into an open database (created and seeded by Database::open):
// testers and information sources under their classes, then options.cases children with
// Arabic names, ages up to 8 years and addresses, then options.tests checklist tests over
// them, with their answers when options.answers is set. New codes follow the greatest ones in
// the database; test numbers continue each year's numbering. Works in one transaction per
// chunk; on a failure it rolls the open chunk back and throws simat::Error.
Summary write(Database &database, const Options &options);

// Opens the data module on the register the benchmarks measure: the database SIMAT_BENCH_ALIAS
// names (written beforehand), else the SQLite file SIMAT_BENCH_DB (default
// /tmp/simat-sample-100k.db), written first with 100 000 cases and 200 000 tests when missing.
void openLargeRegister();

} // namespace simat::sample
