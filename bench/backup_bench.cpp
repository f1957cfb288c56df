// Backup, check and restore of a large register (100 000 cases and 200 000 tests by default),
// beside what the same bytes cost without the program: a plain copy of the SQLite file, or
// pg_dump and pg_restore run by hand on PostgreSQL.
//   SIMAT_BENCH_DB=/path/x.db bench/backup_bench   (a missing file is generated first)
//   SIMAT_BENCH_ALIAS=postgresql://user@host:port/db bench/backup_bench   (a written one)
#include "app/application.h"
#include "data/backup.h"
#include "data/dm.h"
#include "sample_data.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace simat;

namespace {

QTemporaryDir *folder = nullptr;

Database &database()
{
    return TDataModule1::instance()->Database1;
}

bool onSQLite()
{
    return database().engine() == DatabaseAlias::Engine::SQLite;
}

QString backupPath()
{
    return folder->filePath(backup::fileName(database(), QDateTime({2026, 1, 1}, {0, 0})));
}

void runTool(const QString &program, const QStringList &arguments)
{
    const DatabaseAlias &alias = database().alias();
    QProcess tool;
    tool.start(program, QStringList{QStringLiteral("--host=") + alias.host,
                                    QStringLiteral("--port=") + QString::number(alias.port),
                                    QStringLiteral("--username=") + alias.userName} +
                            arguments);
    tool.waitForFinished(-1);
}

void BM_BaselineCopy(benchmark::State &state)
{
    const QString copy = folder->filePath(QStringLiteral("baseline"));
    for (auto _ : state) {
        QFile::remove(copy);
        if (onSQLite())
            QFile::copy(database().alias().filePath, copy);
        else
            runTool(QStringLiteral("pg_dump"),
                    {QStringLiteral("-Fc"), QStringLiteral("--file=") + copy,
                     database().alias().databaseName});
    }
    state.counters["MB"] = QFileInfo(copy).size() / 1e6;
}

void BM_Backup(benchmark::State &state)
{
    for (auto _ : state) {
        QFile::remove(backupPath());
        backup::save(database(), backupPath());
    }
    state.counters["MB"] = QFileInfo(backupPath()).size() / 1e6;
}

void BM_Check(benchmark::State &state)
{
    for (auto _ : state)
        backup::check(database(), backupPath());
}

// The register is replaced by its own backup, so it stays as it was.
void BM_Restore(benchmark::State &state)
{
    for (auto _ : state)
        backup::restore(database(), backupPath(), {}, backup::Checked::Already);
}

} // namespace

BENCHMARK(BM_BaselineCopy)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Check)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Restore)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    SimatApplication application(argc, argv);
    QTemporaryDir temporary;
    folder = &temporary;
    TDataModule1 dataModule;
    sample::openLargeRegister();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
