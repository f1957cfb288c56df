// The test report and the summary report read from their laid-out pages, and printing,
// closing and deleting a test from the test screen, on both engines.
#include "fixtures.h"
#include "register_builder.h"

#include "checklist/measure_diagonsis.h"
#include "data/dm.h"
#include "data/test_store.h"
#include "report_engine/layout.h"
#include "report_engine/report.h"
#include "reports/test_report_common.h"
#include "ui/global.h"
#include "ui/messages.h"
#include "ui/screens.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QStandardPaths>
#include <QTableView>
#include <QToolButton>

using namespace simat;
using namespace simat::testing;

namespace {

template <typename T = QWidget> T *test(const char *control)
{
    T *found = screen("MeasureDiagonsisForm")->findChild<T *>(QLatin1String(control));
    if (!found)
        qFatal("no %s on the test screen", control);
    return found;
}

QDate daysAgo(int days)
{
    return QDate::currentDate().addDays(-days);
}

bool overlap(const QRectF &a, const QRectF &b)
{
    const QRectF common = a.intersected(b);
    return common.width() > 1e-6 && common.height() > 1e-6;
}

} // namespace

class ReportsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestRegister> reg;

    TDataModule1 *dm() { return TDataModule1::instance(); }
    TMeasureDiagonsisForm *form() { return TMeasureDiagonsisForm::instance(); }

    void showCase(bool withTest = true)
    {
        QTest::mouseClick(screen("MainForm")->findChild<QToolButton *>("SP_start_test"),
                          Qt::LeftButton);
        test<QLineEdit>("eStudentCode")->setText("1");
        QCOMPARE(test<QLineEdit>("eMeasDiagNo")->text() != QLatin1String("0"), withTest);
    }

    QList<report::LaidOutPage> layOut(const char *reportName, int testNo)
    {
        auto *report = screens::object<TTestReport>(QLatin1String(reportName));
        report->setTest(TestStore(*dm()).printed({0, testNo, form()->shownTestDate(), 1}));
        return report->layOut();
    }

    QList<report::LaidOutPage> fullReport()
    {
        return layOut("MeasDiagReportForm", form()->shownTestNo());
    }
    QList<report::LaidOutPage> summaryReport()
    {
        return layOut("MeasDiagSummaryReportForm", form()->shownTestNo());
    }

    QStringList domainNames()
    {
        return reg->rows("select ques_group_name from test_ques_group order by ques_group_id");
    }

    QStringList click(const char *button, QList<QMessageBox::StandardButton> answers = {})
    {
        BoxAnswerer boxes(answers.isEmpty() ? QList{QMessageBox::Yes} : answers);
        test<QToolButton>(button)->click();
        return boxes.texts;
    }

    void clickCell(int row, int column)
    {
        QTableView *grid = form()->grid();
        const QModelIndex cell = grid->model()->index(row, column);
        grid->scrollTo(cell);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    }

    // The column ticked in each row of the grid, 0 where none is.
    QList<int> tickedColumns()
    {
        QList<int> ticked;
        for (int row = 0; row < form()->grid()->model()->rowCount(); ++row) {
            int column = 0;
            for (int answer = 2; answer <= 4; ++answer)
                if (gridText(form()->grid(), row, answer) == QLatin1String("1"))
                    column = answer;
            ticked << column;
        }
        return ticked;
    }

private slots:
    void initTestCase_data() { addEngineRows(); }

    void init()
    {
        SIMAT_NEW_REGISTER_OF_ROW(reg);
        reg->tester("نورة", 2);
        reg->caseNamed("ريم خالد", QDate::currentDate().addYears(-5));
    }

    void cleanup() { reg.reset(); }

    void allAlwaysPrintsAHundredEverywhere()
    {
        reg->test(1).on(daysAgo(3)).allAnswered(Answer::Always).add();
        showCase();
        const auto pages = fullReport();
        QCOMPARE(printed(pages, "groupFooter", "Lperc"),
                 QStringList(5, QStringLiteral("النسبة 100.00 %")));
        QStringList verdicts;
        for (const QString &domain : domainNames())
            verdicts << QStringLiteral("الحالة تعانى من التوحد على مستوى مجموعة ") + domain;
        QCOMPARE(printed(pages, "groupFooter", "Lcomment"), verdicts);
        QCOMPARE(printed(pages, "summary", "Lperc"), QStringList({"النسبة 100.00 %"}));
        QCOMPARE(printed(pages, "summary", "Ltot_comment"),
                 QStringList({"الحالة تعانى من التوحد على مستوى المقياس ككل"}));
        QCOMPARE(printed(pages, "detail", "Lans").count(QStringLiteral("دائماً")), 50);
        QCOMPARE(printed(pages, "pageHeader", "Ltest_status").first(), QStringLiteral("جارى"));
        QCOMPARE(printed(pages, "pageHeader", "Lcompany_aname").first(),
                 QStringLiteral("اختبار مقياس سمات التوحد"));
        QCOMPARE(printed(pages, "pageFooter", "Luser_aname").size(), pages.size());
        QCOMPARE(printed(pages, "pageFooter", "Lpage").last(),
                 QStringLiteral("صفحة %1 من %1").arg(pages.size()));

        const auto summary = summaryReport();
        QCOMPARE(printed(summary, "detail", "Lgroup_perc"),
                 QStringList(5, QStringLiteral("100.00")));
        QCOMPARE(printed(summary, "summary", "Lperc"), QStringList({"النسبة 100.00 %"}));
    }

    void eachDomainIsRatedOnItsOwnRowsAtTheInclusiveThreshold()
    {
        // Domain 1 at exactly half its full mark, domain 2 all Rarely, the rest all Always.
        reg->test(1)
            .on(daysAgo(3))
            .closed()
            .marked([](int group, int id) {
                return group == 1 ? (id <= 5 ? 2 : 1) : group == 2 ? 1 : 3;
            })
            .add();
        showCase();
        const auto pages = fullReport();
        const QStringList rates = printed(pages, "groupFooter", "Lperc");
        QCOMPARE(rates.mid(0, 3),
                 QStringList({"النسبة 50.00 %", "النسبة 33.33 %", "النسبة 100.00 %"}));
        QCOMPARE(printed(pages, "groupFooter", "Lcomment").mid(0, 2),
                 QStringList({"الحالة تعانى من التوحد على مستوى مجموعة " + domainNames().at(0),
                              "الحالة لاتعانى من التوحد على مستوى مجموعة " + domainNames().at(1)}));
        QCOMPARE(printed(pages, "pageHeader", "Ltest_status").first(), QStringLiteral("منتهى"));
        QCOMPARE(printed(summaryReport(), "detail", "Lgroup_perc").mid(0, 2),
                 QStringList({"50.00", "33.33"}));
    }

    void theSummaryTotalIsARatioOfSums()
    {
        reg->run("delete from test_ques where ques_group > 2");
        for (int id = 11; id <= 30; ++id)
            reg->question(2, id, QStringLiteral("سؤال %1").arg(id));
        reg->test(1).on(daysAgo(1)).marked([](int group, int) { return group == 1 ? 3 : 1; }).add();
        showCase();
        auto *summary =
            screens::object<report::Report>(QStringLiteral("MeasDiagSummaryReportForm"));
        const auto pages = summaryReport();
        QCOMPARE(printed(pages, "detail", "Lgroup_perc"), QStringList({"100.00", "33.33"}));
        QCOMPARE(printed(pages, "summary", "Lperc"), QStringList({"النسبة 50.00 %"}));
        QCOMPARE(printed(pages, "summary", "Lmarks"), QStringList({"النتيجة 60.00 / 120.00"}));
        QCOMPARE(printed(pages, "summary", "Lcount"), QStringList({"عدد الأسئلة 40"}));
        QCOMPARE(printed(summary->layOut(), "summary", "Lperc"), QStringList({"النسبة 50.00 %"}));
    }

    void anEmptyResultStillPrintsItsHeadingAndSummary()
    {
        showCase(false);
        const auto pages = layOut("MeasDiagSummaryReportForm", 999);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(printed(pages, "pageHeader", "Lcompany_lname"),
                 QStringList({"Autism Traits Scale Test"}));
        QCOMPARE(printed(pages, "summary", "Lcount"), QStringList({"عدد الأسئلة 0"}));
        QCOMPARE(printed(pages, "summary", "Ltot_comment"), QStringList({QString()}));
    }

    // Question i of domain d is answered in column 2 + (i + d) % 3: every domain holds all three
    // answers, each in its own column, with its own word and mark.
    void eachAnswerKeepsItsColumnWordAndMarkFromScreenToReports()
    {
        const char *domains[] = {"SPCommunication", "SPsocial", "SPsensory", "SPemotional",
                                 "SPbehaviour"};
        const auto columnOf = [](int domain, int row) { return 2 + (row + domain) % 3; };
        const QString words[] = {"دائماً", "أحياناً", "نادراً"};
        showCase(false);
        QStringList answerWords;
        QStringList domainMarks;
        for (int domain = 0; domain < 5; ++domain) {
            test<QAbstractButton>(domains[domain])->click();
            if (domain == 0) {
                test<QLineEdit>("eInfoSourceCode")->setText("1");
                test<QLineEdit>("eTesterCode")->setText("1");
                test<QLineEdit>("eSchoolName")->setText(QStringLiteral("روضة"));
            }
            int marks = 0;
            for (int row = 0; row < form()->grid()->model()->rowCount(); ++row) {
                const int column = columnOf(domain, row);
                clickCell(row, column);
                answerWords << words[column - 2];
                marks += 5 - column;
            }
            domainMarks << QString::number(marks);
            QCOMPARE(click("spSave", {QMessageBox::Ok}).last(),
                     QStringLiteral("تم حفظ التعديلات بنجاح"));
        }
        QCOMPARE(answerWords.size(), 50);
        QCOMPARE(reg->count("select count(*) as n from test_dtl where (ques_ans_val='Always' and "
                            "ques_mark=3) or (ques_ans_val='Sometimes' and ques_mark=2) or "
                            "(ques_ans_val='Rarely' and ques_mark=1)"),
                 50);

        form()->close();
        showCase();
        for (int domain = 0; domain < 5; ++domain) {
            test<QAbstractButton>(domains[domain])->click();
            QList<int> expected;
            for (int row = 0; row < form()->grid()->model()->rowCount(); ++row)
                expected << columnOf(domain, row);
            QCOMPARE(tickedColumns(), expected);
        }

        PreviewCloser closer;
        test<QToolButton>("spPrint")->click();
        form()->findChild<QMenu *>("PMprint")->actions().at(1)->trigger();
        QCOMPARE(closer.shown, 2);
        const auto pages =
            screens::object<report::Report>(QStringLiteral("MeasDiagReportForm"))->layOut();
        QCOMPARE(printed(pages, "detail", "Lans"), answerWords);
        QCOMPARE(test<QLabel>("Lage_years")->text(), QStringLiteral("5"));
        QCOMPARE(printed(pages, "pageHeader", "Lage").first(),
                 QStringLiteral("%1 سنة  %2 شهر  %3 يوم")
                     .arg(test<QLabel>("Lage_years")->text(), test<QLabel>("Lage_months")->text(),
                          test<QLabel>("Lage_days")->text()));
        QCOMPARE(printed(pages, "pageHeader", "Ltester_class").first(),
                 test<QLineEdit>("eTesterClass")->text());
        QCOMPARE(printed(pages, "pageHeader", "Linfo_source_class").first(),
                 test<QLineEdit>("eInfo_source_class")->text());
        QVERIFY(!test<QLineEdit>("eTesterClass")->text().isEmpty());
        QVERIFY(!test<QLineEdit>("eInfo_source_class")->text().isEmpty());
        const auto summary =
            screens::object<report::Report>(QStringLiteral("MeasDiagSummaryReportForm"))->layOut();
        QCOMPARE(printed(summary, "detail", "Lcase_mark"), domainMarks);
    }

    void printingNeedsAStoredCompleteTest()
    {
        showCase(false);
        QCOMPARE(click("spPrint"), QStringList({"لاتوجد بيانات للطباعة"}));
        const int beeps = messages::beepCount();
        QCOMPARE(click("spCloseRep"), QStringList({"اختار اختبار لإغلاقه"}));
        QCOMPARE(click("spDelete"), QStringList({"اختار اختبار لإلغائه"}));
        QCOMPARE(messages::beepCount(), beeps);
        form()->close();

        reg->test(1)
            .number(2)
            .on(daysAgo(2))
            .marked([](int group, int) { return group == 5 ? -1 : 2; })
            .add();
        showCase();
        const QString incomplete =
            QStringLiteral("توجد أسئلة لم يتم إجابتها - برجاء إجابة جميع الأسئلة قبل  الطباعة");
        QCOMPARE(click("spPrint"), QStringList({incomplete}));
        reg->run("delete from test_hdr");
        reg->run("delete from test_dtl");
        reg->test(1)
            .number(3)
            .on(daysAgo(2))
            .marked([](int group, int id) { return group == 3 && id == 4 ? 0 : 2; })
            .add();
        showCase();
        QCOMPARE(click("spPrint"), QStringList({incomplete}));
        QCOMPARE(click("spCloseRep"),
                 QStringList({"توجد أسئلة لم يتم إجابتها - برجاء إجابة جميع الأسئلة قبل إغلاق "
                              "الاختبار"}));
        QCOMPARE(reg->count("select count(*) as n from test_hdr where test_status=1"), 1);
    }

    void printOpensThePreviewFromTheButtonAndItsMenu()
    {
        reg->test(1).on(daysAgo(3)).allAnswered(Answer::Sometimes).add();
        showCase();
        PreviewCloser closer;
        test<QToolButton>("spPrint")->click();
        QCOMPARE(closer.shown, 1);
        QVERIFY(closer.savesPdf);
        auto *menu = form()->findChild<QMenu *>("PMprint");
        QVERIFY(menu);
        QStringList items;
        for (QAction *action : menu->actions())
            items << action->text();
        QCOMPARE(items, QStringList({"تقرير تفصيلى", "تقرير ملخص"}));
        menu->actions().at(1)->trigger();
        QCOMPARE(closer.shown, 2);
    }

    // The preview offers the PDF in the documents folder, named for the report, the case, the
    // test and its date.
    void thePreviewOffersThePdfUnderTheNameOfWhatItPrints()
    {
        reg->test(1).on(daysAgo(3)).allAnswered(Answer::Sometimes).add();
        showCase();
        QString offered;
        onNextModal<QPrintPreviewDialog>([&offered](QPrintPreviewDialog *preview) {
            onNextModal<QFileDialog>([&offered](QFileDialog *dialog) {
                offered = dialog->selectedFiles().value(0);
                dialog->reject();
            });
            preview->findChild<QAction *>("savePdfAction")->trigger();
            preview->reject();
        });
        test<QToolButton>("spPrint")->click();
        const QString date = daysAgo(3).toString(Qt::ISODate);
        QCOMPARE(QFileInfo(offered).fileName(), QStringLiteral("simat-test-1-1-%1.pdf").arg(date));
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QCOMPARE(QFileInfo(offered).absolutePath(),
                 QDir(documents).exists() ? documents : QDir::homePath());
        summaryReport();
        QCOMPARE(screens::object<report::Report>(QStringLiteral("MeasDiagSummaryReportForm"))
                     ->pdfFileName(),
                 QStringLiteral("simat-summary-1-1-%1.pdf").arg(date));
    }

    void closingMakesTheTestReadOnly()
    {
        reg->test(1).on(daysAgo(3)).allAnswered(Answer::Sometimes).add();
        showCase();
        QCOMPARE(click("spCloseRep", {QMessageBox::No}).size(), 1);
        QCOMPARE(reg->count("select count(*) as n from test_hdr where test_status=1"), 1);
        QCOMPARE(click("spCloseRep"),
                 QStringList({"بعد إغلاق الاختبار لن يمكنك التعديل على أى بيان من بياناته - "
                              "برجاء مراجعة صحة جميع البيانات قبل الإغلاق - هل بالفعل تريد إغلاق "
                              "الاختبار؟",
                              "تم إغلاق الاختبار بنجاح"}));
        QCOMPARE(reg->count("select count(*) as n from test_hdr where test_status=0"), 1);
        QCOMPARE(test<QLabel>("lTestStatus")->text(), QStringLiteral("منتهى"));
        clickCell(0, 4);
        QCOMPARE(gridText(form()->grid(), 0, 5), QStringLiteral("2"));
        QVERIFY(!test("spSave")->isVisible());
        QVERIFY(!test("spDelete")->isVisible());
        QVERIFY(!test("spCloseRep")->isVisible());
    }

    void deletingRemovesTheTestAndFreesItsNumber()
    {
        reg->test(1).on(daysAgo(3)).closed().allAnswered(Answer::Sometimes).add();
        reg->test(1).number(2).on(daysAgo(1)).allAnswered(Answer::Rarely).add();
        showCase();
        QCOMPARE(test<QLineEdit>("eMeasDiagNo")->text(), QStringLiteral("2"));
        QCOMPARE(click("spDelete"), QStringList({"لن يمكنك التراجع عن الإلغاء - هل بالفعل تريد "
                                                 "الإلغاء؟",
                                                 "تم إلغاء الاختبار بنجاح"}));
        QCOMPARE(reg->count("select count(*) as n from test_hdr"), 1);
        QCOMPARE(reg->count("select count(*) as n from test_dtl where test_no=2"), 0);
        QCOMPARE(reg->count("select count(*) as n from test_dtl where test_no=1"), 50);
        QCOMPARE(test<QLineEdit>("eStudentCode")->text(), QStringLiteral("0"));
        test<QLineEdit>("eStudentCode")->setText("1");
        QCOMPARE(test<QLineEdit>("eMeasDiagNo")->text(), QStringLiteral("1"));
        BoxAnswerer keepTheClosedTest({QMessageBox::No});
        form()->spNewClick();
        QCOMPARE(keepTheClosedTest.texts, QStringList({"هل تريد إجراء اختبار جديد لنفس الحالة؟"}));
        QCOMPARE(test<QLineEdit>("eMeasDiagNo")->text(), QStringLiteral("1"));
    }

    void theNumberOfADeletedLatestTestIsTakenAgain()
    {
        reg->test(1).allAnswered(Answer::Rarely).add();
        showCase();
        click("spDelete");
        QCOMPARE(reg->count("select count(*) as n from test_hdr"), 0);
        test<QLineEdit>("eStudentCode")->setText("1");
        test<QLineEdit>("eInfoSourceCode")->setText("1");
        test<QLineEdit>("eTesterCode")->setText("1");
        test<QLineEdit>("eSchoolName")->setText(QStringLiteral("روضة"));
        QCOMPARE(click("spSave").last(), QStringLiteral("تم حفظ التعديلات بنجاح"));
        QCOMPARE(test<QLineEdit>("eMeasDiagNo")->text(), QStringLiteral("1"));
    }

    void aFailedCloseOrDeleteRollsBack()
    {
        reg->test(1).on(daysAgo(3)).allAnswered(Answer::Sometimes).add();
        showCase();
        reg->run("alter table test_dtl rename to test_dtl_away");
        const QStringList deleting = click("spDelete");
        reg->run("alter table test_dtl_away rename to test_dtl");
        QCOMPARE(deleting.last(), QStringLiteral("حدث خطأ أثناء إلغاء الاختبار"));
        QCOMPARE(reg->count("select count(*) as n from test_hdr"), 1);
        QCOMPARE(reg->count("select count(*) as n from test_dtl"), 50);
        QCOMPARE(test<QLineEdit>("eMeasDiagNo")->text(), QStringLiteral("1"));

        if (engineOfRow() == TestDatabase::Engine::SQLite) {
            reg->run("create trigger refuse_close before update on test_hdr begin "
                     "select raise(abort, 'refused'); end");
        } else {
            reg->run("create function refuse() returns trigger language plpgsql as "
                     "$$ begin raise exception 'refused'; end $$");
            reg->run("create trigger refuse_close before update on test_hdr for each row execute "
                     "function refuse()");
        }
        QCOMPARE(click("spCloseRep").last(), QStringLiteral("حدث خطأ أثناء إغلاق الاختبار"));
        QCOMPARE(reg->count("select count(*) as n from test_hdr where test_status=1"), 1);
        QCOMPARE(test<QLabel>("lTestStatus")->text(), QStringLiteral("جارى"));
        QVERIFY(form()->grid()->isEnabled());
    }

    // Long texts wrap and move what stands below them down: each prints whole, clear of every
    // other text, in both reports.
    void longNamesAndVerdictsPrintWholeClearOfEachOther()
    {
        const QString school = QStringLiteral("مدرسة ").repeated(17).left(100);
        const QString tester = QStringLiteral("نورة عبد الله بن سليمان بن عبد الرحمن العتيبي "
                                              "الأخصائية النفسية الأولى بالمركز");
        const QString street = QStringLiteral("شارع الأمير محمد بن عبد العزيز، حى العليا، الرياض");
        const QString domain = QStringLiteral("إضطرابات التفاعل الاجتماعى ").repeated(7).trimmed();
        reg->run(QStringLiteral("update tester set tester_name = '%1'").arg(tester));
        reg->run(QStringLiteral("update student set stud_main_street = '%1'").arg(street));
        reg->run(QStringLiteral("update test_ques_group set ques_group_name = '%1' where "
                                "ques_group_id = 2")
                     .arg(domain));
        reg->test(1).on(daysAgo(3)).school(school).allAnswered(Answer::Sometimes).add();
        showCase();
        const QString verdict = QStringLiteral("الحالة تعانى من التوحد على مستوى مجموعة ") + domain;
        const auto full = fullReport();
        const auto summary = summaryReport();
        QCOMPARE(printed(full, "groupFooter", "Lcomment").at(1), verdict);
        QCOMPARE(printed(summary, "detail", "Lcomment").at(1), verdict);
        QCOMPARE(printed(summary, "detail", "Lgroup_name").at(1), domain);
        for (const auto &pages : {full, summary}) {
            QCOMPARE(unisolatedRuns(pages), QStringList());
            QCOMPARE(printed(pages, "pageHeader", "Lschool_name").first(), school);
            QCOMPARE(printed(pages, "pageHeader", "Ltester_name").first(), tester);
            QCOMPARE(printed(pages, "pageHeader", "Lmain_street").first(), street);
            for (const report::LaidOutPage &page : pages)
                for (const report::Item &one : page.items) {
                    if (one.kind != report::Item::Kind::Text)
                        continue;
                    QVERIFY2(!one.text.contains(QChar(0x2026)), qPrintable(one.name));
                    QVERIFY2(QRectF(10, 10, 190, 277).contains(one.rect), qPrintable(one.name));
                    for (const report::Item &other : page.items)
                        QVERIFY2(&one == &other || other.kind != report::Item::Kind::Text ||
                                     !overlap(one.rect, other.rect),
                                 qPrintable(one.name + QStringLiteral(" over ") + other.name));
                }
        }
    }

    void bothReportsWriteAReadablePdf()
    {
        reg->test(1).on(daysAgo(3)).allAnswered(Answer::Always).add();
        showCase();
        QTemporaryDir folder;
        for (const char *name : {"MeasDiagReportForm", "MeasDiagSummaryReportForm"}) {
            fullReport();
            summaryReport();
            const QString path = folder.filePath(QLatin1String(name) + ".pdf");
            QVERIFY(screens::object<report::Report>(QLatin1String(name))->writePdf(path));
            QProcess text;
            text.start("pdftotext", {path, "-"});
            QVERIFY(text.waitForFinished(30000));
            const QString content = QString::fromUtf8(text.readAllStandardOutput())
                                        .normalized(QString::NormalizationForm_KC);
            QVERIFY2(content.contains("Autism Traits Scale Test"), name);
            QVERIFY2(content.contains(QStringLiteral("نتيجة اختبار")), name);
            QVERIFY2(content.contains(QStringLiteral("100.00")), name);
        }
    }
};

SIMAT_TEST_MAIN(ReportsTest)
#include "test_reports.moc"
