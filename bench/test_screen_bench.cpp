// The checklist test screen on a large register (100 000 cases, 200 000 tests by default):
// the picker's search on every keystroke (also of texts that match nothing), the load of a case
// with its latest test, and the save of one domain, each beside the bare Qt SQL read of the
// same rows as its baseline.
//   SIMAT_BENCH_DB=/path/x.db bench/test_screen_bench   (a missing file is generated first)
//   SIMAT_BENCH_ALIAS=postgresql://user@host:port/db bench/test_screen_bench   (a written one)
#include "app/application.h"
#include "app/startup.h"
#include "checklist/measure_diagonsis.h"
#include "data/accounts.h"
#include "data/dm.h"
#include "sample_data.h"
#include "ui/answer_grid.h"
#include "ui/global.h"
#include "ui/screens.h"
#include "ui/search.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QSqlQuery>
#include <QTableView>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdio>

using namespace simat;

namespace {

const QStringList keystrokes = {QStringLiteral("م"),    QStringLiteral("مح"), QStringLiteral("محم"),
                                QStringLiteral("محمد"), QStringLiteral("ال"), QStringLiteral("سار"),
                                QStringLiteral("عبد")};
// Texts that no case name holds, of one, two and more letters.
const QStringList keystrokesMatchingNothing = {QStringLiteral("ظ"), QStringLiteral("ظظ"),
                                               QStringLiteral("ظظظ"), QStringLiteral("محمدظ"),
                                               QStringLiteral("xyz")};

// A rare two-word text, and texts found only as a reader compares them: "احمد" finds "أحمد", and
// "فاطمه" finds "فاطمة".
const QStringList keystrokesRareAndFolded = {QStringLiteral("ريم الع"), QStringLiteral("احمد"),
                                             QStringLiteral("فاطمه")};

QWidget *screen(const char *name)
{
    return screens::find(QLatin1String(name));
}

template <typename T> T *on(const char *screenName, const char *control)
{
    return screen(screenName)->findChild<T *>(QLatin1String(control));
}

// Presses OK on every information box, as a tester would after each save.
void acceptMessageBoxes()
{
    auto *timer = new QTimer(qApp);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->accept();
    });
    timer->start();
}

QList<int> casesWithTests(int count)
{
    QSqlQuery query(TDataModule1::instance()->Database1.connection());
    query.exec(QStringLiteral("select stud_code from test_hdr group by stud_code having "
                              "count(*) >= 2 limit %1")
                   .arg(count));
    QList<int> codes;
    while (query.next())
        codes << query.value(0).toInt();
    return codes;
}

void baselineSqlSearch(benchmark::State &state, const QStringList &texts)
{
    int i = 0;
    for (auto _ : state) {
        QSqlQuery query(TDataModule1::instance()->Database1.connection());
        query.prepare(QStringLiteral("select stud_code as code, stud_name as name, * from student "
                                     "where stud_name like '%' || ? || '%'"));
        query.addBindValue(texts.at(i++ % texts.size()));
        query.exec();
        for (int row = 0; row < 256 && query.next(); ++row)
            benchmark::DoNotOptimize(query.value(1));
    }
}

void pickerKeystroke(benchmark::State &state, const QStringList &texts)
{
    TSearchForm::pick(
        {QStringLiteral("student"), {}, {}, nullptr, [](const QString &, const QString &) {
             return AfterChoice::Close;
         }});
    auto *text = on<QLineEdit>("SearchForm", "Eacc_name");
    auto *grid = on<QTableView>("SearchForm", "DBGresult");
    int i = 0;
    for (auto _ : state) {
        text->setText(texts.at(i++ % texts.size()));
        grid->viewport()->repaint();
    }
    state.counters["rows_shown"] = grid->model()->rowCount();
    screen("SearchForm")->close();
}

void BM_BaselineSqlSearch(benchmark::State &state)
{
    baselineSqlSearch(state, keystrokes);
}

void BM_PickerKeystroke(benchmark::State &state)
{
    pickerKeystroke(state, keystrokes);
}

void BM_BaselineSqlSearchMatchingNothing(benchmark::State &state)
{
    baselineSqlSearch(state, keystrokesMatchingNothing);
}

void BM_PickerKeystrokeMatchingNothing(benchmark::State &state)
{
    pickerKeystroke(state, keystrokesMatchingNothing);
}

void BM_BaselineSqlSearchRareAndFolded(benchmark::State &state)
{
    baselineSqlSearch(state, keystrokesRareAndFolded);
}

void BM_PickerKeystrokeRareAndFolded(benchmark::State &state)
{
    pickerKeystroke(state, keystrokesRareAndFolded);
}

void BM_BaselineSqlCaseAndTest(benchmark::State &state)
{
    const QList<int> codes = casesWithTests(64);
    int i = 0;
    for (auto _ : state) {
        QSqlQuery query(TDataModule1::instance()->Database1.connection());
        query.prepare(QStringLiteral("select * from test_hdr as a,test_dtl as b where "
                                     "a.stud_code=? and a.branch_no=b.branch_no and "
                                     "a.test_no=b.test_no and a.test_date=b.test_date order by "
                                     "a.test_date desc,a.test_no desc"));
        query.addBindValue(codes.at(i++ % codes.size()));
        query.exec();
        query.next();
        benchmark::DoNotOptimize(query.value(0));
    }
}

void BM_LoadCaseWithLatestTest(benchmark::State &state)
{
    auto *form = TMeasureDiagonsisForm::instance();
    const QList<int> codes = casesWithTests(64);
    auto *code = on<QLineEdit>("MeasureDiagonsisForm", "eStudentCode");
    int i = 0;
    for (auto _ : state) {
        code->setText(QString::number(codes.at(i++ % codes.size())));
        form->grid()->viewport()->repaint();
    }
}

void BM_SaveOneDomain(benchmark::State &state)
{
    auto *form = TMeasureDiagonsisForm::instance();
    auto *code = on<QLineEdit>("MeasureDiagonsisForm", "eStudentCode");
    QSqlQuery open(TDataModule1::instance()->Database1.connection());
    open.exec(QStringLiteral("select stud_code from test_hdr where test_status=1 limit 1"));
    open.next();
    code->setText(open.value(0).toString());
    auto *answers = static_cast<AnswersModel *>(form->grid()->model());
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        answers->answer(0, checklist::answers.at(i++ % 3));
        state.ResumeTiming();
        form->spSaveClick();
    }
}

// The administrator logs in with a password of the bench's own: the installation password
// would open the password change window instead of the main menu.
void logIn()
{
    const QString password = QStringLiteral("bench-password");
    Database &database = TDataModule1::instance()->Database1;
    database.inTransaction([&] { accounts::setPassword(database, 1, password); });
    screens::show(QStringLiteral("LoginForm"));
    on<QLineEdit>("LoginForm", "Euser_code")->setText(QStringLiteral("1"));
    on<QLineEdit>("LoginForm", "Epassword")->setText(password);
    on<QAbstractButton>("LoginForm", "spLogin")->click();
    on<QAbstractButton>("MainForm", "SP_start_test")->click();
}

} // namespace

BENCHMARK(BM_BaselineSqlSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickerKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineSqlSearchMatchingNothing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickerKeystrokeMatchingNothing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineSqlSearchRareAndFolded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickerKeystrokeRareAndFolded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineSqlCaseAndTest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadCaseWithLatestTest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveOneDomain)->Unit(benchmark::kMillisecond)->Iterations(200);

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    SimatApplication application(argc, argv);
    app::createScreens();
    sample::openLargeRegister();
    logIn();
    acceptMessageBoxes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    app::destroyScreens();
    return 0;
}
