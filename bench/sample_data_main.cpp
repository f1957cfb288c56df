// simat-sample-data: fills the database that the alias VUM names with sample testers, cases,
// tests and answers, for trying the program and for benchmarks.
//   SIMAT_ALIAS_VUM=sqlite:/tmp/sample.db simat-sample-data --cases 1000 --tests 2000
#include "sample_data.h"

#include "core/error.h"
#include "data/alias.h"
#include "data/database.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <exception>

namespace {

bool readCount(const QCommandLineParser &parser, const QCommandLineOption &option, int &value)
{
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    const int number = parser.value(option).toInt(&ok);
    if (!ok || number < 0)
        return false;
    value = number;
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("simat-sample-data"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes sample testers, cases, tests and answers into the database that "
                       "the alias VUM names (SIMAT_ALIAS_VUM, e.g. sqlite:/tmp/sample.db or "
                       "postgresql://user@host:port/dbname). A new database is created and "
                       "seeded first."));
    parser.addHelpOption();
    const QCommandLineOption casesOption(QStringLiteral("cases"),
                                         QStringLiteral("Number of cases (default 200)."),
                                         QStringLiteral("N"), QStringLiteral("200"));
    const QCommandLineOption testsOption(QStringLiteral("tests"),
                                         QStringLiteral("Number of tests (default 0)."),
                                         QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption noAnswersOption(
        QStringLiteral("no-answers"), QStringLiteral("Write the tests without their answers."));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Seed of the random numbers (default 1)."),
                                        QStringLiteral("N"), QStringLiteral("1"));
    parser.addOptions({casesOption, testsOption, noAnswersOption, seedOption});
    parser.process(application);

    simat::sample::Options options;
    if (!readCount(parser, casesOption, options.cases) ||
        !readCount(parser, testsOption, options.tests)) {
        err << "simat-sample-data: --cases and --tests take a number of 0 or more\n";
        return 1;
    }
    if (parser.isSet(seedOption)) {
        bool ok = false;
        const qulonglong value = parser.value(seedOption).toULongLong(&ok);
        if (!ok || value > 0xffffffffULL) {
            err << "simat-sample-data: --seed takes a number from 0 to 4294967295\n";
            return 1;
        }
        options.seed = quint32(value);
    }
    options.answers = !parser.isSet(noAnswersOption);

    try {
        const simat::DatabaseAlias alias = simat::resolveVumAlias();
        out << "Database: " << alias.definition << '\n';
        out << "Writing " << options.cases << " cases and " << options.tests << " tests"
            << (options.tests > 0 && !options.answers ? " without answers" : "") << "...\n";
        out.flush();
        QElapsedTimer timer;
        timer.start();
        simat::Database database;
        database.open(alias);
        const qint64 opened = timer.elapsed();
        const simat::sample::Summary summary = simat::sample::write(database, options);
        const qint64 elapsed = timer.elapsed();
        database.close();
        out << "Tester classes:      " << summary.testerClasses << '\n'
            << "Testers:             " << summary.testers << '\n'
            << "Source classes:      " << summary.sourceClasses << '\n'
            << "Information sources: " << summary.sources << '\n'
            << "Cases written:       " << summary.cases << '\n'
            << "Tests written:       " << summary.tests << '\n'
            << "Answer rows written: " << summary.detailRows << '\n'
            << "Elapsed:             " << QString::number(elapsed / 1000.0, 'f', 2) << " s ("
            << QString::number(opened / 1000.0, 'f', 2) << " s opening)\n";
    } catch (const simat::Error &error) {
        err << "simat-sample-data: " << error.text() << '\n';
        return 1;
    } catch (const std::exception &error) {
        err << "simat-sample-data: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
