// Laying out and writing reports to PDF: the full report of a test of 100 questions, and a
// listing of generated rows that runs to 50 pages, each beside a bare QPdfWriter that draws the
// same number of texts on the same number of pages (the baseline); and the export of a year's
// tests beside a bare query whose rows are written as they come.
#include "app/application.h"
#include "app/startup.h"
#include "core/checklist.h"
#include "data/dm.h"
#include "data/period_export.h"
#include "data/statement_texts.h"
#include "data/test_store.h"
#include "peak_memory.h"
#include "report_engine/report.h"
#include "reports/all_cases_report.h"
#include "reports/test_report_common.h"
#include "ui/screens.h"

#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace simat;

namespace {

QTemporaryDir *folder = nullptr;

void run(const QString &sql)
{
    TDataModule1::instance()->Database1.execute(sql);
}

// A listing of the generated rows, 45 to a page.
class RowsListing : public report::Report {
public:
    explicit RowsListing(Statement *rows)
        : report::Report(QStringLiteral("RowsListing"))
    {
        setSource(rows);
        pageHeader.height = 12;
        pageHeader
            .addText(QStringLiteral("title"), 0, 0, 190, 10, QStringLiteral("قائمة الحالات"),
                     report::Align::Center)
            .bold = true;
        detail.height = 5.5;
        detail.addField(QStringLiteral("stud_code"), 0, 0, 20, 5.5);
        detail.addField(QStringLiteral("stud_name"), 20, 0, 120, 5.5);
        detail.addField(QStringLiteral("amount"), 140, 0, 50, 5.5, report::Align::Left,
                        QStringLiteral("#,##0.00"));
        pageFooter.height = 6;
        pageFooter.addText(QStringLiteral("page"), 0, 0, 60, 6,
                           QStringLiteral("صفحة {page} من {pages}"));
    }
};

// The same number of texts drawn straight onto a PDF.
void drawBareTexts(int pages, int textsPerPage, const QString &path)
{
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(1200);
    QPainter painter(&pdf);
    painter.setFont(QFont(QStringLiteral("Noto Naskh Arabic UI"), 10));
    const int line = pdf.height() / (textsPerPage + 1);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            pdf.newPage();
        for (int i = 0; i < textsPerPage; ++i)
            painter.drawText(QRect(0, i * line, pdf.width(), line), Qt::AlignRight,
                             QStringLiteral("يتأخر في اكتساب الكلام مقارنة بأقرانه %1").arg(i));
    }
}

void BM_BaselineBarePdf_5Pages(benchmark::State &state)
{
    for (auto _ : state)
        drawBareTexts(5, 4 * 30, folder->filePath("bare5.pdf"));
}

void BM_TestReport100Questions(benchmark::State &state)
{
    auto *report = screens::object<report::Report>(QStringLiteral("MeasDiagReportForm"));
    int pages = 0;
    for (auto _ : state) {
        pages = report->layOut().size();
        report->writePdf(folder->filePath("test.pdf"));
    }
    state.counters["pages"] = pages;
}

void BM_BaselineBarePdf_50Pages(benchmark::State &state)
{
    for (auto _ : state)
        drawBareTexts(50, 3 * 45, folder->filePath("bare50.pdf"));
}

void BM_Listing50Pages(benchmark::State &state)
{
    Statement rows(TDataModule1::instance()->Database1, QStringLiteral("Rows"),
                   {QStringLiteral("select stud_code, stud_name, stud_code * 1.5 as amount from "
                                   "student order by stud_code")});
    rows.open();
    RowsListing listing(&rows);
    int pages = 0;
    for (auto _ : state) {
        pages = listing.layOut().size();
        listing.writePdf(folder->filePath("listing.pdf"));
    }
    state.counters["pages"] = pages;
}

// The all-cases report of a year of 10 000 tests, each with ten answers.
void BM_AllCasesYear10000Tests(benchmark::State &state)
{
    auto *report = screens::object<TAllCasesReport>(QStringLiteral("AllCasesReport"));
    const bench::PeakAboveStart peak;
    report->listPeriod(QDate(2025, 1, 1), QDate(2025, 12, 31));
    for (auto _ : state)
        report->writePdf(folder->filePath("all-cases.pdf"));
    state.counters["peak_above_start_mb"] = peak.mb();
    int pages = 0;
    report->layOutEach(report->pageLayout(), [&pages](const report::LaidOutPage &) { ++pages; });
    state.counters["pages"] = pages;
}

const period_export::Period exportedYear{0, QDate(2024, 1, 1), QDate(2024, 12, 31)};

// The export of a year of 10 000 tests, each with every one of the checklist's 100 questions
// answered: a million answer rows.
void BM_ExportYear10000Tests(benchmark::State &state)
{
    Database &database = TDataModule1::instance()->Database1;
    const int tests = period_export::testCount(database, exportedYear);
    period_export::Written written;
    for (auto _ : state)
        written =
            period_export::write(database, exportedYear, tests, folder->filePath("tests.csv"));
    state.counters["answers"] = double(written.answers);
}

// The same answers read by a bare query and written as their values joined by commas.
void BM_BaselineBareCsv_ExportAnswers(benchmark::State &state)
{
    for (auto _ : state) {
        QFile file(folder->filePath("bare.csv"));
        file.open(QIODevice::WriteOnly);
        QSqlQuery query(TDataModule1::instance()->Database1.connection());
        query.setForwardOnly(true);
        query.exec(texts::exportedAnswers()
                       .join('\n')
                       .replace(":branch_no", "0")
                       .replace(":from_date", "'2024-01-01'")
                       .replace(":to_date", "'2024-12-31'"));
        const int columns = query.record().count();
        while (query.next()) {
            QStringList cells;
            for (int column = 0; column < columns; ++column)
                cells << query.value(column).toString();
            file.write((cells.join(',') + "\r\n").toUtf8());
        }
    }
}

void BM_BaselineBarePdf_AllCasesTexts(benchmark::State &state)
{
    const int pages = int(state.range(0));
    for (auto _ : state)
        drawBareTexts(pages, 9 * 20, folder->filePath("bare-all-cases.pdf"));
}

void prepareData()
{
    qputenv("SIMAT_ALIAS_VUM", ("sqlite:" + folder->filePath("bench.db")).toUtf8());
    TDataModule1 *dm = TDataModule1::instance();
    dm->openDatabase();
    dm->Database1.inTransaction([] {
        for (int group = 1; group <= 5; ++group)
            for (int id = 11; id <= 20; ++id)
                run(QStringLiteral("insert into test_ques values (%1, %2, 'سؤال إضافي رقم %2 "
                                   "عن سلوك الطفل في البيت والمدرسة')")
                        .arg(group)
                        .arg(id));
        run("insert into tester (tester_class_id, tester_id, tester_name) values (1, 1, 'نورة')");
        for (int code = 1; code <= 2400; ++code)
            run(QStringLiteral("insert into student (branch_no, stud_code, stud_name, "
                               "stud_birth_date) values (0, %1, 'حالة رقم %1 عبد الله محمد', "
                               "'2022-01-01')")
                    .arg(code));
        run("insert into test_hdr (branch_no, test_no, test_date, stud_code, tester_id, "
            "info_source_id, test_status) values (0, 1, '2026-01-10', 1, 1, 1, 1)");
        run("with recursive n(i) as (select 1 union all select i + 1 from n where i < 10000) "
            "insert into test_hdr (branch_no, test_no, test_date, stud_code, tester_id, "
            "info_source_id, test_status) select 0, i, date('2025-01-01', '+' || (i % 365) || "
            "' days'), 1 + i % 2400, 1, 1, 1 from n");
        run("insert into test_dtl (branch_no, test_no, test_date, stud_code, ques_group, "
            "ques_id, ques_ans_val, ques_mark) select h.branch_no, h.test_no, h.test_date, "
            "h.stud_code, q.ques_group, q.ques_id, 'Sometimes', 2 from test_hdr as h, test_ques "
            "as q where h.test_date < '2026-01-01' and q.ques_id <= 2");
        run("with recursive n(i) as (select 1 union all select i + 1 from n where i < 10000) "
            "insert into test_hdr (branch_no, test_no, test_date, stud_code, tester_id, "
            "info_source_id, test_status) select 0, i, date('2024-01-01', '+' || (i % 366) || "
            "' days'), 1 + i % 2400, 1, 1, i % 2 from n");
        run("insert into test_dtl (branch_no, test_no, test_date, stud_code, ques_group, "
            "ques_id, ques_ans_val, ques_mark) select h.branch_no, h.test_no, h.test_date, "
            "h.stud_code, q.ques_group, q.ques_id, 'Rarely', 1 from test_hdr as h, test_ques "
            "as q where h.test_date < '2025-01-01'");
        run(QStringLiteral("insert into test_dtl (branch_no, test_no, test_date, stud_code, "
                           "ques_group, ques_id, ques_ans_val, ques_mark) select 0, 1, "
                           "'2026-01-10', 1, ques_group, ques_id, '%1', %2 from test_ques")
                .arg(checklist::storedWord(checklist::answerOfMark(checklist::greatestMark)))
                .arg(checklist::greatestMark));
    });
    screens::object<TTestReport>(QStringLiteral("MeasDiagReportForm"))
        ->setTest(TestStore(*dm).printed({0, 1, QDate(2026, 1, 10), 1}));
}

} // namespace

BENCHMARK(BM_BaselineBarePdf_5Pages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TestReport100Questions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineBarePdf_50Pages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Listing50Pages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineBarePdf_AllCasesTexts)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_AllCasesYear10000Tests)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_BaselineBareCsv_ExportAnswers)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ExportYear10000Tests)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    SimatApplication application(argc, argv);
    QTemporaryDir temporary;
    folder = &temporary;
    app::createScreens();
    prepareData();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    app::destroyScreens();
    return 0;
}
