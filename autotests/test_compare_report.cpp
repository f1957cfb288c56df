// The comparison of a case's two latest tests: the builder's refusals, the picker that runs it,
// and the report read from its laid-out pages, on both engines.
#include "fixtures.h"
#include "register_builder.h"
#include <QToolButton>

#include "checklist/case_measuers_list.h"

#include "data/dm.h"
#include "data/test_store.h"
#include "report_engine/layout.h"
#include "reports/case_tests_compare_report.h"
#include "ui/global.h"
#include "ui/screens.h"
#include "ui/search.h"

#include <QPrintPreviewDialog>
#include <QProcess>
#include <QTableView>

using namespace simat;
using namespace simat::testing;

namespace {

report::Item itemNamed(const QList<report::LaidOutPage> &pages, const QString &name)
{
    for (const report::LaidOutPage &page : pages)
        for (const report::Item &item : page.items)
            if (item.name == name)
                return item;
    qFatal("nothing named %s was printed", qPrintable(name));
}

QDate daysAgo(int days)
{
    return QDate::currentDate().addDays(-days);
}

} // namespace

class CompareReportTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestRegister> reg;

    TCaseTestsCompareReport *report() { return TCaseTestsCompareReport::instance(); }

    // The messages of a comparison of case 1 that does not come about.
    QStringList refusal()
    {
        BoxAnswerer boxes;
        PreviewCloser closer;
        const AfterChoice after = report()->compareCase(1, nullptr);
        [&] {
            QCOMPARE(after, AfterChoice::Close);
            QCOMPARE(closer.shown, 0);
            QVERIFY(!globals().lookup.CompareReady);
        }();
        return boxes.texts;
    }

    // Test 2 (earlier) against test 3 (later, open). Domain 1: Rarely to Always, then the same
    // answer; domain 2: a rise and a fall that leave its sum; domain 3: question 5 only in the
    // later test, question 6 only in the earlier; domain 4: an unanswered question; domain 5:
    // nothing answered in the earlier test.
    void addComparedTests()
    {
        reg->test(1).number(1).on(daysAgo(30)).closed().allAnswered(Answer::Always).add();
        reg->test(1)
            .number(2)
            .on(daysAgo(20))
            .closed()
            .marked([](int group, int id) {
                if (group <= 2 && id <= 2)
                    return id == 1 ? 1 : 3;
                if ((group == 3 && id == 5) || group == 5)
                    return group == 5 ? 0 : -1;
                return group == 4 && id == 1 ? 0 : 2;
            })
            .add();
        reg->test(1)
            .number(3)
            .on(daysAgo(10))
            .marked([](int group, int id) {
                if (group == 1 && id <= 2)
                    return 3;
                if (group == 2 && id <= 2)
                    return id == 1 ? 3 : 1;
                if (group == 3 && (id == 5 || id == 6))
                    return id == 5 ? 3 : -1;
                return group == 5 ? 1 : 2;
            })
            .add();
    }

private slots:
    void initTestCase_data() { addEngineRows(); }

    void init()
    {
        SIMAT_NEW_REGISTER_OF_ROW(reg);
        reg->tester("نورة", 2);
        reg->caseNamed("ريم خالد", QDate(2021, 3, 4));
        reg->caseNamed("سالم علي");
    }

    void cleanup() { reg.reset(); }

    void theBuilderSaysWhyItCannotCompare()
    {
        QCOMPARE(refusal(), QStringList({"لاتوجد اختبارات للحالة"}));
        reg->test(1).number(1).on(daysAgo(30)).closed().allAnswered(Answer::Sometimes).add();
        QCOMPARE(refusal(), QStringList({"الحالة لديها اختبار واحد"}));
        reg->test(1).number(2).on(daysAgo(20)).allAnswered(Answer::Sometimes).add();
        reg->test(1).number(3).on(daysAgo(10)).allAnswered(Answer::Sometimes).add();
        QCOMPARE(refusal(),
                 QStringList({"الحالة ليس لديها إختبارين منتهيين لكى يتم المقارنة بينهما"}));
    }

    void theLatestTwoAreComparedQuestionByQuestion()
    {
        addComparedTests();
        {
            PreviewCloser closer;
            QCOMPARE(report()->compareCase(1, nullptr), AfterChoice::StayOpen);
            QCOMPARE(closer.shown, 1);
            QVERIFY(!globals().lookup.CompareReady);
        }
        const auto pages = report()->layOut();
        QCOMPARE(pages.first().size, QSizeF(297, 210));
        QCOMPARE(printed(pages, "pageHeader", "Ltest_date_1").first(),
                 daysAgo(20).toString("dd/MM/yyyy"));
        QCOMPARE(printed(pages, "pageHeader", "Ltest_date_2").first(),
                 daysAgo(10).toString("dd/MM/yyyy"));
        QCOMPARE(printed(pages, "pageHeader", "Lstud_name").first(), QStringLiteral("ريم خالد"));

        const QStringList changes = printed(pages, "detail", "Lchange_val");
        const QStringList rates = printed(pages, "detail", "Lchange_rate");
        const QStringList trends = printed(pages, "detail", "Lchange_trend");
        QCOMPARE(changes.size(), 50);
        QCOMPARE(QStringList({changes[0], rates[0], trends[0]}),
                 QStringList({"2", "200.00", "إيجابى"}));
        QCOMPARE(QStringList({changes[1], rates[1], trends[1]}), QStringList({"", "", "ثبات"}));
        QCOMPARE(QStringList({changes[11], rates[11], trends[11]}),
                 QStringList({"-2", "-66.67", "سلبى"}));
        QCOMPARE(QStringList({changes[30], rates[30], trends[30]}),
                 QStringList({"2", "", "إيجابى"}));
        QCOMPARE(printed(pages, "detail", "Lans_test_1")[0], QStringLiteral("نادراً"));
        QCOMPARE(printed(pages, "detail", "Lans_test_2")[0], QStringLiteral("دائماً"));

        // Domain 3 lists each question once, the side that a test lacks left empty.
        const QStringList ids = printed(pages, "detail", "Lques_id").mid(20, 10);
        QCOMPARE(ids, QStringList({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
        for (const auto &[row, cells] :
             {std::pair{24, QStringList({"", "", "دائماً", "3", "", "", ""})},
              {25, QStringList({"أحياناً", "2", "", "", "", "", ""})}}) {
            QStringList shown;
            for (const char *name :
                 {"Lans_test_1", "Lques_mark_test1", "Lans_test_2", "Lques_mark_test2",
                  "Lchange_val", "Lchange_rate", "Lchange_trend"})
                shown << printed(pages, "detail", name).at(row);
            QCOMPARE(shown, cells);
        }

        QCOMPARE(printed(pages, "groupFooter", "Lsum_change_val"),
                 QStringList({"2", "0", "1", "2", "10"}));
        QCOMPARE(printed(pages, "groupFooter", "Lsum_change_perc"),
                 QStringList({"10", "0", "6", "11", ""}));
        QCOMPARE(printed(pages, "groupFooter", "Lsum_change_trend"),
                 QStringList({"إيجابى", "ثبات", "إيجابى", "إيجابى", "إيجابى"}));
        QCOMPARE(printed(pages, "groupFooter", "Lsum_ques_mark_test1")[2],
                 QStringLiteral("18 / 27"));
        QCOMPARE(printed(pages, "groupFooter", "Lpres_ques_mark_test1"),
                 QStringList({"66.67 %", "66.67 %", "66.67 %", "60.00 %", "0.00 %"}));
        QCOMPARE(printed(pages, "groupFooter", "Lpres_ques_mark_test2")[2],
                 QStringLiteral("70.37 %"));

        // A second run prints the same totals.
        for (const auto &run : {pages, report()->layOut()}) {
            QStringList summary;
            for (const char *name :
                 {"Ltest_mark_test1", "Ltest_perc_test1", "Ltest_mark_test2", "Ltest_perc_test2",
                  "Ltest_change_val", "Ltest_change_rate", "Ltast_change_trend"})
                summary << printed(run, "summary", name);
            // The earlier test is unfinished: no trend yet.
            QCOMPARE(summary, QStringList({"76 / 150", "50.67 %", "91 / 150", "60.67 %", "15",
                                           "19.74", ""}));
        }

        // The chart: the first domain at the right, the earlier test's bar right of the later's.
        const report::Item earlier = itemNamed(pages, "Bar_test1_1");
        const report::Item later = itemNamed(pages, "Bar_test2_1");
        QVERIFY(earlier.rect.left() > later.rect.right());
        QVERIFY(itemNamed(pages, "Bar_test1_2").rect.right() < later.rect.left());
        const double full = earlier.rect.height() * 100 / 66.666667;
        QVERIFY(qAbs(later.rect.height() - full * 0.733333) < 0.01);
        QVERIFY(qAbs(itemNamed(pages, "Lthreshold").line.y1() -
                     (earlier.rect.bottom() - full / 2)) < 0.01);
        QCOMPARE(itemNamed(pages, "Bar_test1_5").rect.height(), 0.0);
        QCOMPARE(itemNamed(pages, "Lbar_test2_3").text, QStringLiteral("70.37"));
    }

    // The earlier test scores 0 everywhere and lacks domain 5.
    void anyTwoTestsMarkedInTheCaseTestsListAreComparedEarlierFirst()
    {
        addComparedTests();
        TestStore store(*TDataModule1::instance());
        auto *list = screens::find<TCaseMeasuresListForm>("CaseMeasuresListForm");
        CaseSummary child;
        child.code = 1;
        child.name = QStringLiteral("ريم خالد");
        child.birthDate = daysAgo(2000);
        list->showCase(child, store.testsOf(1));
        auto *grid = list->findChild<QTableView *>("DBGstud_meas_list");
        auto *compare = list->findChild<QToolButton *>("spCompare");
        QVERIFY(!compare->isEnabled());
        const auto mark = [grid](int row) {
            grid->selectionModel()->select(grid->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        };
        mark(0);
        mark(2);
        QVERIFY(compare->isEnabled());
        {
            PreviewCloser closer;
            compare->click();
            QCOMPARE(closer.shown, 1);
        }
        const auto pages = report()->layOut();
        QCOMPARE(printed(pages, "pageHeader", "Ltest_date_1").first(),
                 daysAgo(30).toString("dd/MM/yyyy"));
        QCOMPARE(printed(pages, "pageHeader", "Ltest_date_2").first(),
                 daysAgo(10).toString("dd/MM/yyyy"));
        mark(1);
        QVERIFY(!compare->isEnabled());
        list->close();
    }

    void zeroDivisorsPrintEmptyAndSameAnswersNoChange()
    {
        reg->test(1)
            .number(1)
            .on(daysAgo(20))
            .closed()
            .marked([](int group, int) { return group == 5 ? -1 : 0; })
            .add();
        reg->test(1)
            .number(2)
            .on(daysAgo(10))
            .closed()
            .marked([](int group, int) { return group == 1 ? 0 : 1; })
            .add();
        globals().lookup.CompareCaseCode = 1;
        report()->BuildCompare(nullptr);
        QVERIFY(globals().lookup.CompareReady);
        auto pages = report()->layOut();
        QCOMPARE(printed(pages, "summary", "Ltest_change_val"), QStringList({"40"}));
        QCOMPARE(printed(pages, "summary", "Ltest_change_rate"), QStringList({""}));
        QCOMPARE(printed(pages, "groupFooter", "Lsum_change_val"),
                 QStringList({"0", "10", "10", "10", ""}));
        QCOMPARE(printed(pages, "groupFooter", "Lsum_change_perc"), QStringList(5, ""));
        QCOMPARE(printed(pages, "groupFooter", "Lpres_ques_mark_test1"),
                 QStringList({"0.00 %", "0.00 %", "0.00 %", "0.00 %", ""}));
        QCOMPARE(printed(pages, "groupFooter", "Lsum_ques_mark_test1").last(), QString());
        QCOMPARE(printed(pages, "detail", "Lchange_rate"), QStringList(50, ""));
        for (const report::LaidOutPage &page : pages)
            for (const QString &text : page.texts())
                QVERIFY2(!text.contains("inf") && !text.contains("nan"), qPrintable(text));

        reg->run("delete from test_dtl where ques_group = 5");
        reg->run("update test_dtl set ques_mark = 2, ques_ans_val = 'Sometimes'");
        report()->BuildCompare(nullptr);
        pages = report()->layOut();
        QCOMPARE(printed(pages, "summary", "Ltest_change_val"), QStringList({""}));
        QCOMPARE(printed(pages, "summary", "Ltest_change_rate"), QStringList({""}));
        QCOMPARE(printed(pages, "summary", "Ltast_change_trend"), QStringList({""}));
        QCOMPARE(printed(pages, "groupFooter", "Lsum_change_perc"), QStringList(4, "0"));
    }

    // The open latest test was saved without domain 5: its footer prints no change, and the
    // total's trend waits until both tests are complete. A line under the total says what the
    // trend words mean.
    void aDomainTheLaterTestLacksPrintsNoChange()
    {
        reg->test(1).number(1).on(daysAgo(30)).closed().allAnswered(Answer::Always).add();
        reg->test(1).number(2).on(daysAgo(20)).closed().allAnswered(Answer::Sometimes).add();
        reg->test(1)
            .number(3)
            .on(daysAgo(10))
            .marked([](int group, int) { return group == 5 ? -1 : 3; })
            .add();
        globals().lookup.CompareCaseCode = 1;
        report()->BuildCompare(nullptr);
        auto pages = report()->layOut();
        QCOMPARE(printed(pages, "groupFooter", "Lsum_change_val"),
                 QStringList({"10", "10", "10", "10", ""}));
        QCOMPARE(printed(pages, "groupFooter", "Lsum_change_perc"),
                 QStringList({"50", "50", "50", "50", ""}));
        QCOMPARE(printed(pages, "groupFooter", "Lsum_change_trend"),
                 QStringList({"إيجابى", "إيجابى", "إيجابى", "إيجابى", ""}));
        QCOMPARE(printed(pages, "groupFooter", "Lsum_ques_mark_test2").last(), QString());
        QStringList summary;
        for (const char *name : {"Ltest_change_val", "Ltest_change_rate", "Ltast_change_trend"})
            summary << printed(pages, "summary", name);
        QCOMPARE(summary, QStringList({"20", "20.00", ""}));
        QCOMPARE(printed(pages, "summary", "Ltrend_meaning"),
                 QStringList({"إيجابى: ارتفاع الدرجة (زيادة السمات)، سلبى: انخفاض الدرجة، ثبات: "
                              "لا تغيير"}));

        // Two complete tests: the total's trend, and a fall that keeps its sign on the left.
        QCOMPARE(unisolatedRuns(pages), QStringList());
        report()->compareTests({0, 1, daysAgo(30), 1}, {0, 2, daysAgo(20), 1});
        pages = report()->layOut();
        QCOMPARE(unisolatedRuns(pages), QStringList());
        QCOMPARE(printed(pages, "summary", "Ltast_change_trend"), QStringList({"سلبى"}));
        QCOMPARE(itemNamed(pages, "Ltest_change_rate").text, QStringLiteral("\u2066-33.33\u2069"));
        QCOMPARE(itemNamed(pages, "Ltest_change_val").text, QStringLiteral("\u2066-50\u2069"));
        QCOMPARE(
            report()->pdfFileName(),
            QStringLiteral("simat-comparison-1-2-%1.pdf").arg(daysAgo(20).toString(Qt::ISODate)));
    }

    void thePickerStaysOpenAfterAComparisonAndClosesAfterARefusal()
    {
        reg->test(1).number(1).on(daysAgo(20)).closed().allAnswered(Answer::Rarely).add();
        reg->test(1).number(2).on(daysAgo(10)).closed().allAnswered(Answer::Always).add();
        TSearchForm::pick(TCaseTestsCompareReport::caseProgressPick(nullptr));
        auto *picker = screen("SearchForm");
        auto *grid = on<QTableView>("SearchForm", "DBGresult");
        const auto choose = [grid](const QString &code) {
            for (int row = 0; row < grid->model()->rowCount(); ++row)
                if (gridText(grid, row, 0) == code)
                    grid->setCurrentIndex(grid->model()->index(row, 0));
            QTest::keyClick(grid, Qt::Key_Return);
        };
        {
            PreviewCloser closer;
            choose("1");
            QCOMPARE(closer.shown, 1);
        }
        QVERIFY(picker->isVisible());
        BoxAnswerer boxes;
        choose("2");
        QCOMPARE(boxes.texts, QStringList({"لاتوجد اختبارات للحالة"}));
        QCOMPARE(globals().lookup.CompareCaseCode, 2);
        QVERIFY(!picker->isVisible());
    }

    void printsClearTextsToAPdf()
    {
        addComparedTests();
        const QString name =
            QStringLiteral("عبد الرحمن بن عبد العزيز بن محمد بن عبد الله آل الشيخ الحربي");
        const QString street = QStringLiteral("شارع الأمير محمد بن عبد العزيز، حى العليا، الرياض");
        reg->run(QStringLiteral("update student set stud_name = '%1', stud_main_street = '%2' "
                                "where stud_code = 1")
                     .arg(name, street));
        globals().lookup.CompareCaseCode = 1;
        report()->BuildCompare(nullptr);
        QCOMPARE(printed(report()->layOut(), "pageHeader", "Lstud_name").first(), name);
        QCOMPARE(printed(report()->layOut(), "pageHeader", "Lstud_main_street").first(), street);
        QTemporaryDir folder;
        const QString path = folder.filePath("compare.pdf");
        // Every text whole and clear of the others.
        for (const report::LaidOutPage &page : report()->layOut())
            for (const report::Item &one : page.items)
                for (const report::Item &other : page.items)
                    if (one.kind == report::Item::Kind::Text &&
                        other.kind == report::Item::Kind::Text && &one != &other) {
                        const QRectF common = one.rect.intersected(other.rect);
                        QVERIFY2(common.width() < 1e-6 || common.height() < 1e-6,
                                 qPrintable(one.name + " over " + other.name));
                        QVERIFY2(!one.text.endsWith(QChar(0x2026)), qPrintable(one.name));
                    }
        QVERIFY(report()->writePdf(path));
        QProcess text;
        text.start("pdftotext", {path, "-"});
        QVERIFY(text.waitForFinished(30000));
        const QString content = QString::fromUtf8(text.readAllStandardOutput())
                                    .normalized(QString::NormalizationForm_KC);
        QVERIFY(content.contains("200.00"));
        QVERIFY(content.contains("19.74"));
    }
};

SIMAT_TEST_MAIN(CompareReportTest)
#include "test_compare_report.moc"
