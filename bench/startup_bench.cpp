// Time from process start to the first screen painted: the program against a bare Qt Widgets
// window started the same way, both under the offscreen platform (QT_QPA_PLATFORM may name
// another, e.g. xcb under Xvfb).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <chrono>

#ifndef SIMAT_PROGRAM
#error "SIMAT_PROGRAM names the program binary"
#endif

namespace {

double baselineMilliseconds = 0;

// Starts the program until it has painted its first window; returns the mean wall time.
double startAndWait(benchmark::State &state, const QString &program)
{
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("SIMAT_QUIT_WHEN_SHOWN"), QStringLiteral("1"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    std::chrono::duration<double, std::milli> total{0};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, {});
        if (!process.waitForFinished(10000) || process.exitCode() != 0) {
            state.SkipWithError("the program did not show its first screen");
            return 0;
        }
        total += std::chrono::steady_clock::now() - start;
    }
    return total.count() / double(state.iterations());
}

void BM_QtBaselineFirstPaint(benchmark::State &state)
{
    baselineMilliseconds = startAndWait(state, QStringLiteral(SIMAT_BASELINE));
}

void BM_SimatFirstScreen(benchmark::State &state)
{
    const double milliseconds = startAndWait(state, QStringLiteral(SIMAT_PROGRAM));
    if (baselineMilliseconds > 0)
        state.counters["x_baseline"] = milliseconds / baselineMilliseconds;
}

} // namespace

// Starts of their own come first, so that neither side pays for a binary just built or not yet
// read from the disk.
BENCHMARK(BM_QtBaselineFirstPaint)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinWarmUpTime(1.0)
    ->MinTime(3.0);
BENCHMARK(BM_SimatFirstScreen)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinWarmUpTime(1.0)
    ->MinTime(3.0);

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
