// The child's course over all of its tests, read from the report's laid-out pages, on both
// engines: the table of rates in date order, the unfinished test marked and left out of the
// chart, the chart's lines, and the buttons that preview it.
#include "fixtures.h"
#include "register_builder.h"

#include "data/dm.h"
#include "data/test_store.h"
#include "report_engine/layout.h"
#include "reports/case_course_report.h"
#include "ui/global.h"
#include "ui/screens.h"

#include <QAbstractButton>
#include <QLineEdit>

using namespace simat;
using namespace simat::testing;

namespace {

QDate daysAgo(int days)
{
    return QDate::currentDate().addDays(-days);
}

QList<report::Item> itemsOfKind(const QList<report::LaidOutPage> &pages, report::Item::Kind kind)
{
    QList<report::Item> found;
    for (const report::LaidOutPage &page : pages)
        for (const report::Item &item : page.items)
            if (item.kind == kind)
                found << item;
    return found;
}

QString percent(double rate)
{
    return QString::number(rate, 'f', 2) + " %";
}

} // namespace

class CourseReportTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestRegister> reg;
    QList<TestIdentity> m_tests;

    TCaseCourseReport *report() { return TCaseCourseReport::instance(); }

    // Five tests of case 1, earliest first; the third answers two questions only.
    void addFiveTests()
    {
        m_tests << reg->test(1).on(daysAgo(50)).closed().allAnswered(Answer::Rarely).add();
        m_tests << reg->test(1).on(daysAgo(40)).closed().allAnswered(Answer::Sometimes).add();
        m_tests << reg->test(1).on(daysAgo(30)).marks(1, {3, 3}).add();
        m_tests << reg->test(1).on(daysAgo(20)).closed().allAnswered(Answer::Always).add();
        m_tests << reg->test(1)
                       .on(daysAgo(10))
                       .marked([](int domain, int) { return domain % 3 + 1; })
                       .add();
    }

private slots:
    void initTestCase_data() { addEngineRows(); }

    void init()
    {
        SIMAT_NEW_REGISTER_OF_ROW(reg);
        reg->caseNamed("ريم خالد", QDate(2021, 3, 4));
        m_tests.clear();
    }

    void cleanup() { reg.reset(); }

    void theTableGivesEachTestsRatesInDateOrder()
    {
        addFiveTests();
        report()->loadCase(1);
        const QList<report::LaidOutPage> pages = report()->layOut();
        QStringList dates;
        for (const TestIdentity &test : m_tests)
            dates << test.testDate.toString("dd/MM/yyyy");
        QCOMPARE(printed(pages, "detail", "Ltest_date"), dates);
        QCOMPARE(printed(pages, "detail", "Ltest_note"),
                 QStringList({"", "", "لم يكتمل الاختبار", "", ""}));
        QCOMPARE(printed(pages, "detail", "Ltest_status"),
                 QStringList({"منتهى", "منتهى", "جارى", "منتهى", "جارى"}));
        const QStringList firstDomain = printed(pages, "detail", "Ldomain_1");
        QCOMPARE(firstDomain.mid(0, 4),
                 QStringList({"33.33 %", "66.67 %", "100.00 %", "100.00 %"}));
        QCOMPARE(printed(pages, "detail", "Ltotal").mid(0, 2), QStringList({"33.33 %", "66.67 %"}));
        QCOMPARE(printed(pages, "pageHeader", "Ltest_count").first(), "5");
        // The last test's figures are those of the test as the register holds it.
        TestStore store(*TDataModule1::instance());
        const ChecklistTest last = *store.load(m_tests.last());
        for (int domain = 1; domain <= 5; ++domain)
            QCOMPARE(printed(pages, "detail", QStringLiteral("Ldomain_%1").arg(domain)).last(),
                     percent(*last.domain(domain).rate()));
        QCOMPARE(printed(pages, "detail", "Ltotal").last(),
                 percent(*last.whole(globals().ChecklistQuestionCount).rate()));
        QCOMPARE(printed(pages, "detail", "Ldomain_2").last(), "100.00 %");
        QCOMPARE(
            printed(pages, "detail", "Ltotal").at(2),
            percent(*store.load(m_tests.at(2))->whole(globals().ChecklistQuestionCount).rate()));
        QCOMPARE(report()->pdfFileName(), QStringLiteral("simat-course-1-%1-%2.pdf")
                                              .arg(m_tests.last().testNo)
                                              .arg(m_tests.last().testDate.toString(Qt::ISODate)));
    }

    void theChartDrawsALinePerDomainAndTheTotalOverTheFinishedTests()
    {
        addFiveTests();
        report()->loadCase(1);
        const QList<report::LaidOutPage> pages = report()->layOut();
        const QList<report::Item> lines = itemsOfKind(pages, report::Item::Kind::Polyline);
        QStringList names;
        for (const report::Item &line : lines)
            names << line.name;
        QCOMPARE(names, QStringList({"Line_domain_1", "Line_domain_2", "Line_domain_3",
                                     "Line_domain_4", "Line_domain_5", "Line_total"}));
        const report::Item &first = lines.first();
        QCOMPARE(first.points.size(), 4);
        // The earliest test at the right, each later one further left.
        for (int point = 1; point < 4; ++point)
            QVERIFY(first.points.at(point).x() < first.points.at(point - 1).x());
        // 33.33, 66.67, 100 and 66.67: up the scale, then back down.
        QVERIFY(first.points.at(1).y() < first.points.at(0).y());
        QVERIFY(first.points.at(2).y() < first.points.at(1).y());
        QCOMPARE(first.points.at(3).y(), first.points.at(1).y());
        const double scale = (first.points.at(0).y() - first.points.at(2).y()) / (100 - 33.33);
        const auto threshold = std::find_if(
            pages.last().items.cbegin(), pages.last().items.cend(),
            [](const report::Item &item) { return item.name == QLatin1String("Lthreshold"); });
        QVERIFY(threshold != pages.last().items.cend());
        QVERIFY(threshold->dashed);
        QVERIFY(qAbs(threshold->line.y1() - (first.points.at(2).y() + 50 * scale)) < 0.05);
        // The dates of the finished tests under the axis, and a legend entry for each line and
        // the threshold.
        QCOMPARE(printed(pages, "summary", "Lchart_date_3").first(),
                 m_tests.at(3).testDate.toString("dd/MM") + "\n" +
                     m_tests.at(3).testDate.toString("yyyy"));
        QCOMPARE(printed(pages, "summary", "Llegend_6"), QStringList({"الإجمالى"}));
        QVERIFY(printed(pages, "summary", "Llegend_7").first().contains("50 %"));
        QVERIFY(unisolatedRuns(pages).isEmpty());
    }

    void theCaseTestsListAndTheCaseFormPreviewIt()
    {
        addFiveTests();
        PreviewCloser closer;
        TCaseCourseReport *course = report();
        screens::show("CaseMeasuresListForm");
        on<QLineEdit>("CaseMeasuresListForm", "eStudentCode")->setText("1");
        on<QAbstractButton>("CaseMeasuresListForm", "spCourse")->click();
        QCOMPARE(closer.shown, 1);
        QCOMPARE(course->tests().size(), 5);
        closeScreens();
        screens::show("StudentsForm");
        on<QLineEdit>("StudentsForm", "eCode")->setText("1");
        on<QAbstractButton>("StudentsForm", "spCourse")->click();
        QCOMPARE(closer.shown, 2);
    }

    void aCaseWithoutTestsIsTold()
    {
        BoxAnswerer boxes;
        PreviewCloser closer;
        report()->previewCase(1, nullptr);
        QCOMPARE(boxes.texts, QStringList({"لاتوجد اختبارات للحالة"}));
        QCOMPARE(closer.shown, 0);
    }
};

SIMAT_TEST_MAIN(CourseReportTest)
#include "test_course_report.moc"
