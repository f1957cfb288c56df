// The audit log's cost and the child's course report.
// The save of one domain through the test store (logged), beside the same change of the rows
// with and without its log rows written, in one transaction each: the log's own cost is the
// difference of the two, against the save without it. And the course report of a child with
// 20 tests to PDF beside a bare QPdfWriter that draws the same texts at the same places.
//   bench/audit_bench                                          (a new SQLite register)
//   SIMAT_BENCH_ALIAS=postgresql://user@host:port/db bench/audit_bench   (an empty database)
#include "app/application.h"
#include "core/checklist.h"
#include "data/audit_log.h"
#include "data/dm.h"
#include "data/test_store.h"
#include "report_engine/layout.h"
#include "reports/case_course_report.h"
#include "sample_data.h"
#include "ui/global.h"

#include <QPainter>
#include <QPdfWriter>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace simat;

namespace {

QTemporaryDir *folder = nullptr;
int courseCase = 0;
TestIdentity savedTest;

Database &database()
{
    return TDataModule1::instance()->Database1;
}

int firstValue(const QString &sql)
{
    QSqlQuery query(database().connection());
    query.exec(sql);
    query.next();
    return query.value(0).toInt();
}

// Every answer of the first domain turned the other way on each call.
ChecklistTest withDomainAnswered(TestStore &store, checklist::Answer answer)
{
    ChecklistTest test = *store.load(savedTest);
    QList<AnsweredQuestion> answers = test.domainAnswers(1);
    for (AnsweredQuestion &question : answers)
        question.answer = answer;
    test.replaceDomain(1, answers);
    return test;
}

checklist::Answer nextAnswer(int &i)
{
    return (i++ % 2) ? checklist::Answer::Always : checklist::Answer::Rarely;
}

void BM_SaveOneDomainLogged(benchmark::State &state)
{
    TestStore store(*TDataModule1::instance());
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const ChecklistTest test = withDomainAnswered(store, nextAnswer(i));
        state.ResumeTiming();
        store.saveStored(savedTest, test, 1, 1);
    }
    state.counters["log_rows"] = firstValue(QStringLiteral("select count(*) from audit_log"));
}

// The change a save of the domain makes to its rows, as one statement.
void changeDomainRows(int &i)
{
    QSqlQuery update(database().connection());
    const checklist::Answer answer = nextAnswer(i);
    update.prepare(QStringLiteral("update test_dtl set ques_ans_val=?, ques_mark=? where "
                                  "branch_no=? and test_no=? and test_date=? and stud_code=? "
                                  "and ques_group=1"));
    update.addBindValue(checklist::storedWord(answer));
    update.addBindValue(checklist::markOf(answer));
    update.addBindValue(savedTest.branchNo);
    update.addBindValue(savedTest.testNo);
    update.addBindValue(savedTest.testDate);
    update.addBindValue(savedTest.caseCode);
    update.exec();
}

void BM_DomainChangeUnlogged(benchmark::State &state)
{
    int i = 0;
    for (auto _ : state)
        database().inTransaction([&] { changeDomainRows(i); });
}

void BM_DomainChangeLogged(benchmark::State &state)
{
    int i = 0;
    for (auto _ : state)
        database().inTransaction([&] {
            audit::RecordChange change(
                database(),
                {{QStringLiteral("test_hdr")},
                 {QStringLiteral("test_dtl"),
                  {{QStringLiteral("ques_group"), 1}},
                  {QStringLiteral("ques_group"), QStringLiteral("ques_id")}}},
                audit::testKey(savedTest));
            changeDomainRows(i);
            change.log();
        });
}

void BM_CourseReport20TestsPdf(benchmark::State &state)
{
    TCaseCourseReport report;
    int pages = 0;
    for (auto _ : state) {
        report.loadCase(courseCase);
        pages = report.layOut().size();
        report.writePdf(folder->filePath("course.pdf"));
    }
    state.counters["pages"] = pages;
    state.counters["tests"] = report.tests().size();
}

// The texts the course report prints, each where it prints it, drawn straight onto a PDF.
void BM_BaselineBarePdf_CourseTexts(benchmark::State &state)
{
    TCaseCourseReport report;
    report.loadCase(courseCase);
    const QList<report::LaidOutPage> pages = report.layOut();
    for (auto _ : state) {
        QPdfWriter pdf(folder->filePath("bare-course.pdf"));
        pdf.setPageLayout(report.pageLayout());
        pdf.setResolution(1200);
        QPainter painter(&pdf);
        painter.setFont(QFont(QStringLiteral("Noto Naskh Arabic UI"), 10));
        for (qsizetype page = 0; page < pages.size(); ++page) {
            if (page > 0)
                pdf.newPage();
            for (const report::Item &item : pages.at(page).items)
                if (item.kind == report::Item::Kind::Text)
                    painter.drawText(QRectF(report::mmToDots(item.rect.x()),
                                            report::mmToDots(item.rect.y()),
                                            report::mmToDots(item.rect.width()),
                                            report::mmToDots(item.rect.height())),
                                     Qt::AlignRight, item.text);
        }
    }
}

// A register with a few hundred cases and tests, an open test with every answer of the checklist
// to save a domain of, and a child with 20 tests (two of them unfinished).
void prepareRegister()
{
    const QByteArray alias = qgetenv("SIMAT_BENCH_ALIAS");
    qputenv("SIMAT_ALIAS_VUM",
            alias.isEmpty() ? ("sqlite:" + folder->filePath("audit-bench.db")).toUtf8() : alias);
    TDataModule1 *dm = TDataModule1::instance();
    dm->openDatabase();
    dm->Database1.setSessionUser(1);
    sample::write(dm->Database1, {.cases = 300, .tests = 600});
    globals().ChecklistQuestionCount =
        firstValue(QStringLiteral("select count(*) as questions from test_ques"));
    TestStore store(*dm);
    courseCase = firstValue(QStringLiteral("select max(stud_code) from student where stud_code not "
                                           "in (select stud_code from test_hdr)"));
    for (int test = 0; test < 20; ++test) {
        ChecklistTest course;
        course.identity = {0, 0, QDate::currentDate().addDays(-30 * (20 - test)), courseCase};
        course.testerId = 1;
        course.infoSourceId = 1;
        const int domains = test % 9 == 4 ? 2 : 5;
        for (int domain = 1; domain <= domains; ++domain) {
            QList<AnsweredQuestion> answers = store.domainQuestions(domain);
            for (int question = 0; question < answers.size(); ++question)
                answers[question].answer = checklist::answers.at((test + domain + question) % 3);
            course.replaceDomain(domain, answers);
            course.identity.testNo = course.identity.testNo == 0
                                         ? store.saveNew(course, domain, 1)
                                         : store.saveStored(course.identity, course, domain, 1);
        }
    }
    savedTest = store.testsOf(courseCase).first().identity;
}

} // namespace

BENCHMARK(BM_DomainChangeUnlogged)->Unit(benchmark::kMillisecond)->Iterations(300);
BENCHMARK(BM_DomainChangeLogged)->Unit(benchmark::kMillisecond)->Iterations(300);
BENCHMARK(BM_SaveOneDomainLogged)->Unit(benchmark::kMillisecond)->Iterations(300);
BENCHMARK(BM_CourseReport20TestsPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineBarePdf_CourseTexts)->Unit(benchmark::kMillisecond);

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    SimatApplication application(argc, argv);
    QTemporaryDir temporary;
    folder = &temporary;
    TDataModule1 dm;
    prepareRegister();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
