// The case inquiry and the case listing on a large register (100 000 cases by default): a
// keystroke in the inquiry's name and mobile boxes (also of texts that match nothing), beside
// the bare Qt SQL read of the first screenful of the same search, and the listing of 10 000
// cases laid out and written to PDF.
//   SIMAT_BENCH_DB=/path/x.db bench/case_query_bench   (a missing file is generated first)
//   SIMAT_BENCH_ALIAS=postgresql://user@host:port/db bench/case_query_bench   (a written one)
#include "app/application.h"
#include "app/startup.h"
#include "cases/students_report.h"
#include "data/dm.h"
#include "data/statement_texts.h"
#include "sample_data.h"
#include "ui/screens.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
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

void BM_Listing10000Cases(benchmark::State &state)
{
    QTemporaryDir folder;
    Statement rows(
        TDataModule1::instance()->Database1, QStringLiteral("TenThousandCases"),
        texts::caseWithLookups(QStringLiteral("where a.branch_no=0 and a.stud_code <= 10000"))
            << QStringLiteral("order by a.stud_code"));
    rows.setStreamed(true);
    auto *listing = screens::object<TStudentsReportForm>(QStringLiteral("StudentsReportForm"));
    for (auto _ : state) {
        rows.open();
        listing->setRows(&rows, TStudentsReportForm::plainTitle());
        listing->writePdf(folder.filePath(QStringLiteral("listing.pdf")));
    }
    state.counters["pdf_kb"] =
        QFileInfo(folder.filePath(QStringLiteral("listing.pdf"))).size() / 1024.0;
}

} // namespace

BENCHMARK(BM_BaselineSqlName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InquiryNameKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineSqlNameMatchingNothing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InquiryNameKeystrokeMatchingNothing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineSqlMobile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InquiryMobileKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Listing10000Cases)->Unit(benchmark::kMillisecond)->Iterations(1);

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
