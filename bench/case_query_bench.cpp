// The case inquiry and the case listing on a large register (100 000 cases by default): a
// keystroke in the inquiry's name and mobile boxes (also of texts that match nothing), beside
// the bare Qt SQL read of the first screenful of the same search, the first page of every case
// of the branch, and the listing of 10 000 cases laid out and written to PDF; and the list of
// the tests of the last whole year: its first page (256 tests) and the whole of it, as the
// period filter reads it under its progress window, beside the bare Qt SQL read of the same
// statement's rows, and the whole list laid out into the report's pages.
//   SIMAT_BENCH_DB=/path/x.db bench/case_query_bench   (a missing file is generated first)
//   SIMAT_BENCH_ALIAS=postgresql://user@host:port/db bench/case_query_bench   (a written one)
#include "app/application.h"
#include "app/startup.h"
#include "cases/students_report.h"
#include "data/dm.h"
#include "data/libpq.h"
#include "data/period_export.h"
#include "data/statement_texts.h"
#include "data/watched_reads.h"
#include "peak_memory.h"
#include "reports/all_cases_report.h"
#include "sample_data.h"
#include "ui/screens.h"
#include "ui/work_progress.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdio>

using namespace simat;

namespace {

const QStringList names = {QStringLiteral("م"),    QStringLiteral("مح"), QStringLiteral("محم"),
                           QStringLiteral("محمد"), QStringLiteral("ال"), QStringLiteral("سار"),
                           QStringLiteral("عبد")};
const QStringList namesMatchingNothing = {QStringLiteral("ظ"), QStringLiteral("ظظظ"),
                                          QStringLiteral("محمدظ")};
const QStringList mobiles = {QStringLiteral("05"), QStringLiteral("055"), QStringLiteral("0551"),
                             QStringLiteral("12")};

template <typename T> T *on(const char *screenName, const char *control)
{
    return screens::find(QLatin1String(screenName))->findChild<T *>(QLatin1String(control));
}

void baselineSql(benchmark::State &state, const QString &column, const QStringList &texts)
{
    int i = 0;
    for (auto _ : state) {
        QSqlQuery query(TDataModule1::instance()->Database1.connection());
        query.setForwardOnly(true);
        query.prepare(QStringLiteral("select * from student where branch_no=0 and %1 like '%' || "
                                     "? || '%' limit 256")
                          .arg(column));
        query.addBindValue(texts.at(i++ % texts.size()));
        query.exec();
        for (int row = 0; row < 256 && query.next(); ++row)
            benchmark::DoNotOptimize(query.value(1));
    }
}

// Chooses the criterion with a click on its button, then types one text after another into its
// box.
void inquiryKeystroke(benchmark::State &state, const char *radio, const char *box,
                      const QStringList &texts)
{
    screens::show(QStringLiteral("StudentQueryForm"));
    auto *text = on<QLineEdit>("StudentQueryForm", box);
    auto *grid = on<QTableView>("StudentQueryForm", "DBGstudents");
    on<QAbstractButton>("StudentQueryForm", radio)->click();
    int i = 0;
    for (auto _ : state) {
        text->setText(texts.at(i++ % texts.size()));
        grid->viewport()->repaint();
    }
    state.counters["rows_shown"] = grid->model()->rowCount();
    screens::find(QStringLiteral("StudentQueryForm"))->close();
}

void BM_BaselineSqlName(benchmark::State &state)
{
    baselineSql(state, QStringLiteral("stud_name"), names);
}

void BM_InquiryNameKeystroke(benchmark::State &state)
{
    inquiryKeystroke(state, "RBstudent_name", "eStudentName", names);
}

void BM_BaselineSqlNameMatchingNothing(benchmark::State &state)
{
    baselineSql(state, QStringLiteral("stud_name"), namesMatchingNothing);
}

void BM_InquiryNameKeystrokeMatchingNothing(benchmark::State &state)
{
    inquiryKeystroke(state, "RBstudent_name", "eStudentName", namesMatchingNothing);
}

void BM_BaselineSqlMobile(benchmark::State &state)
{
    baselineSql(state, QStringLiteral("stud_guard_mobile_no"), mobiles);
}

void BM_InquiryMobileKeystroke(benchmark::State &state)
{
    inquiryKeystroke(state, "RBmobile_no", "eMobileNo", mobiles);
}

// The cases listing of the first `state.range(0)` cases of the branch written to PDF, and the
// most the process held meanwhile beyond what it held before.
void BM_ListingCasesPdf(benchmark::State &state)
{
    QTemporaryDir folder;
    const bench::PeakAboveStart peak;
    Statement rows(
        TDataModule1::instance()->Database1, QStringLiteral("ListedCases"),
        texts::caseWithLookups(QStringLiteral("where a.branch_no=0 and a.stud_code <= ") +
                               QString::number(state.range(0)))
            << QStringLiteral("order by a.stud_code"));
    rows.setStreamed(true);
    auto *listing = screens::object<TStudentsReportForm>(QStringLiteral("StudentsReportForm"));
    for (auto _ : state) {
        rows.open();
        listing->setRows(&rows, TStudentsReportForm::plainTitle());
        listing->writePdf(folder.filePath(QStringLiteral("listing.pdf")));
    }
    state.counters["pdf_mb"] =
        QFileInfo(folder.filePath(QStringLiteral("listing.pdf"))).size() / 1048576.0;
    state.counters["peak_above_start_mb"] = peak.mb();
}

void BM_BaselineSqlAllCasesFirstPage(benchmark::State &state)
{
    for (auto _ : state) {
        QSqlQuery query(TDataModule1::instance()->Database1.connection());
        query.setForwardOnly(true);
        query.exec(
            texts::caseWithLookups(QStringLiteral("where a.branch_no=0")).join(QLatin1Char('\n')) +
            QStringLiteral("\norder by a.stud_code limit 256"));
        for (int row = 0; row < 256 && query.next(); ++row)
            benchmark::DoNotOptimize(query.value(1));
    }
}

// Every case of the branch, as the inquiry shows it on its reset (F2), its first page painted.
void BM_InquiryAllCasesFirstPage(benchmark::State &state)
{
    screens::show(QStringLiteral("StudentQueryForm"));
    auto *grid = on<QTableView>("StudentQueryForm", "DBGstudents");
    auto *reset = on<QAbstractButton>("StudentQueryForm", "spNew");
    for (auto _ : state) {
        reset->click();
        grid->viewport()->repaint();
    }
    screens::find(QStringLiteral("StudentQueryForm"))->close();
}

// The last whole year: the register's tests reach to today.
period_export::Period lastWholeYear()
{
    const int year = QDate::currentDate().year() - 1;
    return {0, QDate(year, 1, 1), QDate(year, 12, 31)};
}

constexpr int pageOfTests = 256;

// The rows of the period's list by a bare query, until `tests` tests have come (all of them
// when 0); the number of tests read.
int readYearBare(int tests)
{
    const period_export::Period year = lastWholeYear();
    QSqlQuery query(TDataModule1::instance()->Database1.connection());
    query.setForwardOnly(true);
    query.exec(texts::exportedAnswers()
                   .join(QLatin1Char('\n'))
                   .replace(QStringLiteral(":branch_no"), QStringLiteral("0"))
                   .replace(QStringLiteral(":from_date"),
                            QStringLiteral("'%1'").arg(year.from.toString(Qt::ISODate)))
                   .replace(QStringLiteral(":to_date"),
                            QStringLiteral("'%1'").arg(year.to.toString(Qt::ISODate))));
    const int columns = query.record().count();
    int read = 0;
    QString last;
    while (query.next()) {
        const QString test = query.value(0).toString() + QLatin1Char('/') +
                             query.value(2).toString() + QLatin1Char('/') +
                             query.value(3).toString();
        if (test != last) {
            if (tests > 0 && read == tests) {
                // As the program does, so that the driver takes in none of the rest.
                libpq::cancelStatement(TDataModule1::instance()->Database1.connection());
                break;
            }
            ++read;
            last = test;
        }
        for (int column = 0; column < columns; ++column)
            benchmark::DoNotOptimize(query.value(column));
    }
    return read;
}

// What ends the program's read once its first page of tests has come.
struct PageRead {};

// The period's tests as the period filter reads them, under its progress window, until
// `tests` tests have come (all of them when 0); the number of tests read.
int readYear(int tests)
{
    Database &database = TDataModule1::instance()->Database1;
    WorkProgress progress(nullptr, QStringLiteral("جارى قراءة اختبارات الفترة..."),
                          WorkProgress::Showing::WhenSlow);
    const WatchedReads watch(database, progress.goOn());
    int read = 0;
    try {
        period_export::readTests(database, lastWholeYear(), [&](const period_export::PeriodTest &) {
            if (++read == tests)
                throw PageRead{};
        });
    } catch (const PageRead &) {
    }
    return read;
}

void BM_BaselineSqlYearFirstPage(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(readYearBare(pageOfTests));
}

void BM_YearFirstPage(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(readYear(pageOfTests));
}

void BM_BaselineSqlYearWhole(benchmark::State &state)
{
    int tests = 0;
    for (auto _ : state)
        tests = readYearBare(0);
    state.counters["tests"] = tests;
}

// The whole list, as the all-cases report holds it before it lays out its pages.
void BM_YearWholeList(benchmark::State &state)
{
    auto *report = screens::object<TAllCasesReport>(QStringLiteral("AllCasesReport"));
    const period_export::Period year = lastWholeYear();
    for (auto _ : state) {
        WorkProgress progress(nullptr, QStringLiteral("جارى قراءة اختبارات الفترة..."),
                              WorkProgress::Showing::WhenSlow);
        const WatchedReads watch(TDataModule1::instance()->Database1, progress.goOn());
        report->listPeriod(year.from, year.to);
    }
}

// The whole list laid out into the report's pages, as the preview shows them.
void BM_YearReportLaidOut(benchmark::State &state)
{
    auto *report = screens::object<TAllCasesReport>(QStringLiteral("AllCasesReport"));
    const period_export::Period year = lastWholeYear();
    int pages = 0;
    for (auto _ : state) {
        report->listPeriod(year.from, year.to);
        pages = int(report->layOut().size());
    }
    state.counters["pages"] = pages;
}

// From the run of the period filter to the preview that shows the year's first pages, as the
// tester sees it; the preview is closed then, before it reads the rest.
void BM_YearPreviewFirstPages(benchmark::State &state)
{
    auto *report = screens::object<TAllCasesReport>(QStringLiteral("AllCasesReport"));
    const period_export::Period year = lastWholeYear();
    int pages = 0;
    for (auto _ : state) {
        auto *poll = new QTimer(qApp);
        QObject::connect(poll, &QTimer::timeout, [poll, &pages] {
            auto *preview = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
            if (!preview)
                return;
            poll->deleteLater();
            pages = preview->findChild<QPrintPreviewWidget *>()->pageCount();
            preview->reject();
        });
        poll->start(1);
        report->run(year.from, year.to, nullptr);
    }
    state.counters["pages"] = pages;
}

// From the run of the period filter to the preview that shows the whole of last year's list,
// and the most the process held meanwhile beyond what it held before.
void BM_YearPreviewWhole(benchmark::State &state)
{
    auto *report = screens::object<TAllCasesReport>(QStringLiteral("AllCasesReport"));
    const period_export::Period year = lastWholeYear();
    int pages = 0;
    const bench::PeakAboveStart peak;
    for (auto _ : state) {
        int firstPages = 0;
        auto *poll = new QTimer(qApp);
        QObject::connect(poll, &QTimer::timeout, [poll, &pages, &firstPages] {
            auto *preview = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
            if (!preview)
                return;
            pages = preview->findChild<QPrintPreviewWidget *>()->pageCount();
            if (firstPages == 0)
                firstPages = pages;
            if (pages == firstPages)
                return;
            poll->deleteLater();
            preview->reject();
        });
        poll->start(1);
        report->run(year.from, year.to, nullptr);
    }
    state.counters["pages"] = pages;
    state.counters["peak_above_start_mb"] = peak.mb();
}

} // namespace

BENCHMARK(BM_YearPreviewWhole)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_YearPreviewFirstPages)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_BaselineSqlAllCasesFirstPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InquiryAllCasesFirstPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineSqlYearFirstPage)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_YearFirstPage)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_BaselineSqlYearWhole)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_YearWholeList)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_YearReportLaidOut)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_BaselineSqlName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InquiryNameKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineSqlNameMatchingNothing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InquiryNameKeystrokeMatchingNothing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineSqlMobile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InquiryMobileKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListingCasesPdf)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    SimatApplication app(argc, argv);
    app::createScreens();
    sample::openLargeRegister();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
