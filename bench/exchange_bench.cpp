// The register's exchange with spreadsheets on a register of its own (a temporary SQLite file,
// or the database SIMAT_BENCH_ALIAS names, emptied of its cases and tests by nobody: use a
// scratch one): 10 000 cases imported from a CSV file (checked, then written in one
// transaction) beside a bare insert of the same rows in one transaction; and a year of
// 10 000 tests exported as a workbook beside the CSV files of the same.
#include "app/application.h"
#include "core/data_source.h"
#include "data/case_import.h"
#include "data/dm.h"
#include "data/period_export.h"
#include "data/schema.h"
#include "sample_data.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace simat;

namespace {

constexpr int importedRows = 10000;
QTemporaryDir *folder = nullptr;
int casesBefore = 0;

Database &database()
{
    return TDataModule1::instance()->Database1;
}

// A centre's list: name, birth date, gender, identity number, city and mobile, all new.
QString importFile()
{
    const QString path = folder->filePath(QStringLiteral("cases.csv"));
    if (QFile::exists(path))
        return path;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("\xEF\xBB\xBF"
               "الاسم,تاريخ الميلاد,النوع,رقم الإقامة / الهوية,المدينة,رقم الجوال\r\n");
    const QStringList first = {QStringLiteral("محمد"), QStringLiteral("سارة"),
                               QStringLiteral("عبد الله"), QStringLiteral("نورة")};
    const QDate born = QDate::currentDate().addYears(-4);
    for (int i = 0; i < importedRows; ++i)
        file.write(QStringLiteral("%1 مستورد %2,%3,%4,%5,الرياض,05%6\r\n")
                       .arg(first.at(i % 4))
                       .arg(i)
                       .arg(born.addDays(-(i % 900)).toString(QStringLiteral("dd/MM/yyyy")),
                            i % 2 ? QStringLiteral("أنثى") : QStringLiteral("ذكر"))
                       .arg(7000000000LL + i)
                       .arg(10000000 + i)
                       .toUtf8());
    return path;
}

void removeImported()
{
    database().execute(QStringLiteral("delete from student where stud_code > %1").arg(casesBefore));
}

void BM_BaselineBareInsert10000(benchmark::State &state)
{
    for (auto _ : state) {
        database().beginTransaction();
        QSqlQuery insert(database().connection());
        insert.prepare(QStringLiteral(
            "insert into student (branch_no, stud_code, stud_name, stud_birth_date, "
            "stud_gender, stud_id_no, stud_city, stud_guard_mobile_no, is_active) values "
            "(0, ?, ?, ?, ?, ?, 1, ?, 1)"));
        for (int i = 0; i < importedRows; ++i) {
            insert.addBindValue(casesBefore + 1 + i);
            insert.addBindValue(QStringLiteral("محمد مستورد %1").arg(i));
            insert.addBindValue(QDate::currentDate().addYears(-4).addDays(-(i % 900)));
            insert.addBindValue(1 + i % 2);
            insert.addBindValue(QString::number(7000000000LL + i));
            insert.addBindValue(QStringLiteral("05%1").arg(10000000 + i));
            insert.exec();
        }
        database().commit();
        state.PauseTiming();
        removeImported();
        state.ResumeTiming();
    }
}

void BM_ImportCheck10000(benchmark::State &state)
{
    const case_import::Source source = case_import::readSource(importFile());
    const QList<int> matches = case_import::matchColumns(source.heading());
    for (auto _ : state)
        benchmark::DoNotOptimize(
            case_import::check(database(), source, matches, case_import::UnknownNames::Refuse));
}

void BM_ImportReadCheckWrite10000(benchmark::State &state)
{
    const QString path = importFile();
    for (auto _ : state) {
        const case_import::Source source = case_import::readSource(path);
        const case_import::Preview preview =
            case_import::check(database(), source, case_import::matchColumns(source.heading()),
                               case_import::UnknownNames::Refuse);
        const case_import::Imported imported =
            case_import::write(*TDataModule1::instance(), preview, 0, 1);
        state.counters["cases"] = imported.cases;
        state.PauseTiming();
        removeImported();
        state.ResumeTiming();
    }
}

// The period of every test the sample wrote (10 000), from its first day to today.
period_export::Period year{0, {}, {}};

void BM_BaselineYearCsv(benchmark::State &state)
{
    const int tests = period_export::testCount(database(), year);
    for (auto _ : state)
        period_export::write(database(), year, tests, folder->filePath("year-tests.csv"));
    state.counters["tests"] = tests;
    state.counters["kb"] = (QFile(folder->filePath("year-tests.csv")).size() +
                            QFile(folder->filePath("year-answers.csv")).size()) /
                           1024.0;
}

void BM_YearWorkbook(benchmark::State &state)
{
    const int tests = period_export::testCount(database(), year);
    for (auto _ : state)
        period_export::writeWorkbook(database(), year, tests, folder->filePath("year.xlsx"));
    state.counters["tests"] = tests;
    state.counters["kb"] = QFile(folder->filePath("year.xlsx")).size() / 1024.0;
}

// A register of 2 000 cases and 10 000 tests.
void openRegister()
{
    const QString alias = qEnvironmentVariable("SIMAT_BENCH_ALIAS");
    database().open(parseAlias(
        alias.isEmpty() ? QStringLiteral("sqlite:") + folder->filePath("exchange.db") : alias));
    if (database().isReadOnly())
        qFatal("the register takes no writing");
    sample::Options options;
    options.cases = 2000;
    options.tests = 10000;
    sample::write(database(), options);
    QSqlQuery greatest(database().connection());
    greatest.exec(QStringLiteral("select max(stud_code) from student"));
    greatest.next();
    casesBefore = greatest.value(0).toInt();
    QSqlQuery first(database().connection());
    first.exec(QStringLiteral("select min(test_date) from test_hdr"));
    first.next();
    year = {0, toDate(first.value(0)), QDate::currentDate()};
}

} // namespace

BENCHMARK(BM_BaselineBareInsert10000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportCheck10000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportReadCheckWrite10000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BaselineYearCsv)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_YearWorkbook)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    SimatApplication application(argc, argv);
    QTemporaryDir temporary;
    folder = &temporary;
    TDataModule1 dataModule;
    openRegister();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
