// The inquiries menu, the period filter and the list of the tests of a period.
#include "fixtures.h"
#include "register_builder.h"

#include "core/checklist_test.h"
#include "data/dm.h"
#include "data/period_export.h"
#include "reports/all_cases_report.h"
#include "ui/global.h"
#include "ui/messages.h"
#include "ui/screens.h"

#include <QAction>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsView>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <sys/stat.h>

using namespace simat;
using namespace simat::testing;

class InquiriesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestRegister> reg;

    TAllCasesReport *report() { return screens::object<TAllCasesReport>("AllCasesReport"); }

    // A test of a case whose first `answered` questions have the marks `marks`, in turn.
    void addTest(int branch, int testNo, const QDate &date, int caseCode, int answered,
                 const QList<int> &marks)
    {
        int question = 0;
        reg->test(caseCode)
            .branch(branch)
            .number(testNo)
            .on(date)
            .marked([&](int, int) {
                return question < answered ? marks.at(question++ % marks.size()) : -1;
            })
            .add();
    }

    QStringList column(const QList<report::LaidOutPage> &pages, const char *element)
    {
        return printed(pages, "detail", QLatin1String(element));
    }

    // Tests of today of one answer each, numbered 1 to `count`, of the three cases in turn.
    void addTestsOfToday(int count)
    {
        reg->run(QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n "
                                "where i < %1) insert into test_hdr (branch_no, test_no, "
                                "test_date, stud_code, tester_id, info_source_id, test_status) "
                                "select 0, i, '%2', 1 + i % 3, (select min(tester_id) from "
                                "tester), (select min(info_source_id) from info_source), 1 from n")
                     .arg(count)
                     .arg(QDate::currentDate().toString(Qt::ISODate)));
        reg->run("insert into test_dtl (branch_no, test_no, test_date, stud_code, ques_group, "
                 "ques_id, ques_ans_val, ques_mark) select branch_no, test_no, test_date, "
                 "stud_code, 1, 1, 'Rarely', 1 from test_hdr");
    }

    // Hands the preview of the period's list over once it shows every page, as a person waits
    // for the whole list before saving it.
    void whenPreviewHoldsTheWholeList(const std::function<void(QPrintPreviewDialog *)> &handle)
    {
        QVERIFY(report()->listPeriod(QDate::currentDate(), QDate::currentDate()));
        const int wholePages = int(report()->layOut().size());
        onNextModal<QPrintPreviewDialog>([wholePages, handle](QPrintPreviewDialog *preview) {
            auto *poll = new QTimer(preview);
            connect(poll, &QTimer::timeout, preview, [=] {
                if (preview->findChild<QPrintPreviewWidget *>()->pageCount() != wholePages)
                    return;
                poll->stop();
                handle(preview);
            });
            poll->start(20);
        });
    }

    QDateEdit *date(const char *name) { return on<QDateEdit>("IntervalForm", name); }

    // A CSV file as a spreadsheet reads it: the byte-order mark, then quoted or bare cells.
    static QList<QStringList> readCsv(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(path));
        const QByteArray bytes = file.readAll();
        if (!bytes.startsWith("\xEF\xBB\xBF"))
            qFatal("%s has no byte-order mark", qPrintable(path));
        const QString text = QString::fromUtf8(bytes.mid(3));
        QList<QStringList> rows(1, QStringList(QString()));
        bool quoted = false;
        const auto after = [&text](qsizetype i) {
            return i + 1 < text.size() ? text.at(i + 1) : QChar();
        };
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (quoted && c == u'"' && after(i) == u'"')
                rows.last().last() += text.at(++i);
            else if (c == u'"')
                quoted = !quoted;
            else if (!quoted && c == u',')
                rows.last() << QString();
            else if (!quoted && c == u'\r' && after(i) == u'\n' && ++i)
                rows << QStringList(QString());
            else
                rows.last().last() += c;
        }
        rows.removeLast();
        return rows;
    }

private slots:
    void initTestCase_data() { addEngineRows(); }

    void init()
    {
        SIMAT_NEW_REGISTER_OF_ROW(reg);
        reg->tester("نورة", 2);
        for (const char *name : {"ريم خالد", "سالم الحربي", "يوسف أحمد"})
            reg->caseNamed(QString::fromUtf8(name));
    }

    void cleanup() { reg.reset(); }

    void listsThePeriodsTestsByDateAndNumberWithTheirFigures()
    {
        const QDate today = QDate::currentDate();
        const QDate earlier = today.addDays(-10);
        addTest(0, 2, earlier, 1, 50, {1});
        addTest(0, 1, earlier, 2, 20, {1, 2});
        addTest(0, 3, today, 1, 10, {3});
        addTest(0, 4, today.addDays(1), 3, 10, {1});
        addTest(7, 1, today, 3, 10, {1});

        QVERIFY(report()->listPeriod(earlier, today));
        const QList<report::LaidOutPage> pages = report()->layOut();
        QCOMPARE(column(pages, "Lstud_name"), QStringList({"سالم الحربي", "ريم خالد", "ريم خالد"}));
        QCOMPARE(column(pages, "Lserial"), QStringList({"1", "2", "3"}));
        QCOMPARE(column(pages, "Ltest_perc"), QStringList({"50.00%", "33.33%", "100.00%"}));
        QCOMPARE(
            column(pages, "Lrecomm"),
            QStringList({"لم يكتمل الاختبار", "الحالة لاتعانى من التوحد", "لم يكتمل الاختبار"}));
        QCOMPARE(column(pages, "Ltest_ques_count"), QStringList({"20", "50", "10"}));
        QCOMPARE(column(pages, "Lwaiting_ques"), QStringList({"30", "0", "40"}));
        QCOMPARE(printed(pages, "pageHeader", "Lcount"), QStringList({"3"}));
        // Every case with a test, in any branch and on any date.
        QCOMPARE(printed(pages, "pageHeader", "Lcases_count"), QStringList({"3"}));
        QCOMPARE(column(report()->layOut(), "Lserial"), QStringList({"1", "2", "3"}));
    }

    void thePeriodFilterRunsTheReportOfTheMenuOrSaysThePeriodIsEmpty()
    {
        addTest(0, 1, QDate::currentDate().addDays(-3), 1, 50, {2});
        screens::show("InquiresReportsForm");
        screens::press("InquiresReportsForm", "spAllStudentsTests");
        QWidget *filter = screen("IntervalForm");
        QVERIFY(filter->isVisible());
        const auto press = [this, filter](Qt::Key key) {
            QApplication::setActiveWindow(filter);
            QTest::keyClick(date("DTfrom"), key);
        };
        QCOMPARE(on<QLabel>("IntervalForm", "STtitle")->text(),
                 QStringLiteral("اختبارات كل الحالات"));
        QCOMPARE(date("DTfrom")->date(), QDate::currentDate());
        QCOMPARE(date("DTto")->date(), QDate::currentDate());

        PreviewCloser previews;
        {
            BoxAnswerer boxes;
            press(Qt::Key_F5);
            QCOMPARE(boxes.texts, QStringList({"لاتوجد حالات تم إجراء اختبارات لها خلال الفترة "
                                               "المختارة"}));
        }
        // From the keyboard: Enter goes from the first date to the second and there runs.
        date("DTfrom")->setDate(QDate::currentDate().addDays(-3));
        press(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), date("DTto"));
        QTest::keyClick(date("DTto"), Qt::Key_Return);
        QTRY_COMPARE(previews.shown, 1);

        press(Qt::Key_F12);
        QVERIFY(!filter->isVisible());
    }

    // A picker that opens and closes while the filter is open leaves the filter's report to it.
    void thePeriodFilterRunsItsReportAfterAPickerClosed()
    {
        addTest(0, 1, QDate::currentDate(), 1, 50, {2});
        screens::show("InquiresReportsForm");
        screens::press("InquiresReportsForm", "spAllStudentsTests");
        screens::press("InquiresReportsForm", "spStudentTestsMonitoring");
        QVERIFY(screen("SearchForm")->isVisible());
        QApplication::setActiveWindow(screen("SearchForm"));
        QTest::keyClick(on<QLineEdit>("SearchForm", "Eacc_name"), Qt::Key_Escape);
        QVERIFY(!screen("SearchForm")->isVisible());
        PreviewCloser previews;
        QTest::mouseClick(on<QToolButton>("IntervalForm", "spRun"), Qt::LeftButton);
        QTRY_COMPARE(previews.shown, 1);

        // Shown for no report, the filter runs none.
        screen("IntervalForm")->close();
        globals().lookup.LookupButton = nullptr;
        screens::show("IntervalForm");
        QTest::mouseClick(on<QToolButton>("IntervalForm", "spRun"), Qt::LeftButton);
        QTest::qWait(100);
        QCOMPARE(previews.shown, 1);
    }

    // The period's read made slow on purpose: the sources of information become a view whose
    // rows wait for a count to two billion.
    void aCancelledReadOfThePeriodLeavesTheFilterAsItWasWithoutABox()
    {
        if (engineOfRow() == TestDatabase::Engine::PostgreSQL)
            QSKIP("PostgreSQL stops a read between its rows: the data module's tests cover it");
        addTest(0, 1, QDate::currentDate(), 1, 50, {2});
        reg->run("alter table info_source rename to info_source_rows");
        reg->run("create view info_source as select * from info_source_rows where (with "
                 "recursive n(i) as (select 1 union all select i + 1 from n where i < "
                 "2000000000) select count(*) from n) > 0");
        screens::show("InquiresReportsForm");
        screens::press("InquiresReportsForm", "spAllStudentsTests");
        BoxAnswerer boxes;
        PreviewCloser previews;
        ProgressCanceller cancel;
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(on<QToolButton>("IntervalForm", "spRun"), Qt::LeftButton);
        // Shown after a pause, stopped at once.
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(cancel.said.section('\n', 0, 0), QStringLiteral("جارى قراءة اختبارات الفترة..."));
        QTest::qWait(100);
        QCOMPARE(boxes.texts, QStringList());
        QCOMPARE(previews.shown, 0);
        QVERIFY(screen("IntervalForm")->isVisible());

        reg->run("drop view info_source");
        reg->run("alter table info_source_rows rename to info_source");
        QTest::mouseClick(on<QToolButton>("IntervalForm", "spRun"), Qt::LeftButton);
        QTRY_COMPARE(previews.shown, 1);
        QCOMPARE(boxes.texts, QStringList());
    }

    void aCancelledExportLeavesNoFile()
    {
        const QDate today = QDate::currentDate();
        for (int code : {1, 2, 3})
            addTest(0, code, today, code, 50, {1, 2, 3});
        QTemporaryDir folder;
        const QString path = folder.filePath("period-tests.csv");
        screens::show("InquiresReportsForm");
        screens::press("InquiresReportsForm", "spAllStudentsTests");
        BoxAnswerer boxes;
        ProgressCanceller cancel;
        chooseFile(path);
        QTest::mouseClick(on<QToolButton>("IntervalForm", "spExport"), Qt::LeftButton);
        QCOMPARE(cancel.said.section('\n', 0, 0), QStringLiteral("جارى تصدير الاختبارات..."));
        QVERIFY(cancel.said.section('\n', 1).endsWith(QStringLiteral(" من 3")));
        QCOMPARE(boxes.texts.value(0).section('\n', 0, 0),
                 QStringLiteral("توقف التصدير قبل أن يكتمل، ولم يُكتب أي ملف"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // Stopped while its pages go to the file, the PDF of the period's report leaves no file,
    // neither under the chosen name nor for the time being, and the preview closes.
    void aCancelledPdfOfThePeriodsReportLeavesNoFile()
    {
        addTestsOfToday(4000);
        QTemporaryDir folder;
        const QByteArray temporaries = qgetenv("TMPDIR");
        qputenv("TMPDIR", folder.path().toUtf8());
        screens::show("InquiresReportsForm");
        screens::press("InquiresReportsForm", "spAllStudentsTests");
        std::unique_ptr<ProgressCanceller> cancel;
        bool closed = false;
        whenPreviewHoldsTheWholeList([&](QPrintPreviewDialog *preview) {
            connect(preview, &QDialog::rejected, [&closed] { closed = true; });
            cancel = std::make_unique<ProgressCanceller>(QStringLiteral("جارى طباعة التقرير"));
            chooseFile(folder.filePath("period.pdf"));
            preview->findChild<QAction *>("savePdfAction")->trigger();
        });
        QTest::mouseClick(on<QToolButton>("IntervalForm", "spRun"), Qt::LeftButton);
        qputenv("TMPDIR", temporaries);
        QVERIFY(cancel);
        QVERIFY2(cancel->said.startsWith(QStringLiteral("جارى طباعة التقرير…")),
                 qPrintable(cancel->said));
        QVERIFY(closed);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // A long period shows its first pages before the rest of its tests are read and counted: the
    // pages and the tests are not counted on them. While the whole report is painted
    // anew, a zoomed preview keeps from painting the first pages, which are gone then.
    void aLongPeriodShowsItsFirstPagesBeforeItReadsTheRest()
    {
        const QDate today = QDate::currentDate();
        addTestsOfToday(4000);
        QVERIFY(report()->listPeriod(today, today));
        const int wholePages = int(report()->layOut().size());
        screens::show("InquiresReportsForm");
        screens::press("InquiresReportsForm", "spAllStudentsTests");
        int firstPages = 0;
        int lastPages = 0;
        QTimer repaint;
        onNextModal<QPrintPreviewDialog>([&](QPrintPreviewDialog *preview) {
            auto *pages = preview->findChild<QPrintPreviewWidget *>();
            firstPages = pages->pageCount();
            auto *view = pages->findChild<QGraphicsView *>()->viewport();
            QElapsedTimer clock;
            clock.start();
            connect(&repaint, &QTimer::timeout, view, [&, view, pages, preview, clock] {
                pages->zoomIn(1.01);
                view->repaint();
                lastPages = pages->pageCount();
                if (lastPages == wholePages || clock.elapsed() > 60000) {
                    repaint.stop();
                    preview->reject();
                }
            });
            repaint.start(0);
        });
        QTest::mouseClick(on<QToolButton>("IntervalForm", "spRun"), Qt::LeftButton);
        QCOMPARE(lastPages, wholePages);

        report()->listFirstLines(today, today);
        const QList<report::LaidOutPage> firstLook =
            report()->layOutFirstRows(report()->pageLayout());
        QCOMPARE(firstPages, int(firstLook.size()));
        QVERIFY2(firstPages > 1 && firstPages < wholePages / 4,
                 qPrintable(QString::number(firstPages)));
        QCOMPARE(printed(firstLook, "pageHeader", "Lcount").value(0), QStringLiteral("…"));
        QCOMPARE(printed(firstLook, "pageFooter", "Lpage").value(1), QStringLiteral("صفحة 2 من …"));
        QCOMPARE(printed(firstLook, "summary", "Lend"), QStringList());
    }

    void exportWritesTheListedTestsAndEveryAnswerAsTheDatabaseHoldsThem()
    {
        const QDate today = QDate::currentDate();
        addTest(0, 2, today.addDays(-4), 1, 50, {1, 2, 3});
        addTest(0, 1, today.addDays(-4), 2, 13, {3});
        addTest(0, 3, today.addDays(-5), 3, 10, {1});
        addTest(7, 1, today, 3, 10, {1});
        reg->run("update test_hdr set test_status = 0 where test_no = 1");
        reg->run("update tester set tester_name = 'نورة, \"أم خالد\"'");
        reg->run("update info_source set info_source_name = '=1+2'");
        QTemporaryDir folder;
        const QString path = folder.filePath("period-tests.csv");

        screens::show("InquiresReportsForm");
        screens::press("InquiresReportsForm", "spAllStudentsTests");
        date("DTfrom")->setDate(today.addDays(-4));
        {
            BoxAnswerer boxes;
            chooseFile(path);
            QTest::mouseClick(on<QToolButton>("IntervalForm", "spExport"), Qt::LeftButton);
            QCOMPARE(boxes.texts.value(0).section('\n', 0, 0),
                     QStringLiteral("تم تصدير الاختبارات (2) وإجاباتها (63) إلى الملفين:"));
        }
        const QList<QStringList> tests = readCsv(path);
        const QList<QStringList> answers = readCsv(folder.filePath("period-answers.csv"));

        QCOMPARE(tests.size(), 3);
        QCOMPARE(tests.first().first(), QStringLiteral("case_code (كود الحالة)"));
        QVERIFY(tests.first().contains(QStringLiteral("domain_5_percent (نسبة إضطرابات سلوكية)")));
        QVERIFY(report()->listPeriod(today.addDays(-4), today));
        const QList<report::LaidOutPage> pages = report()->layOut();
        QStringList listed;
        for (const QStringList &test : tests.mid(1)) {
            QCOMPARE(test.mid(2, 4),
                     QStringList({test.at(2), today.addDays(-4).toString(Qt::ISODate),
                                  "نورة, \"أم خالد\"", "'=1+2"}));
            const QString recommendation = test.at(test.size() - 2);
            listed << test.at(6) + '|' + test.at(7) + '|' + test.at(test.size() - 3) + "%|" +
                          (recommendation.isEmpty() ? checklist::unfinishedTestText()
                                                    : recommendation);
        }
        QStringList printedRows;
        for (int row = 0; row < 2; ++row)
            printedRows << column(pages, "Ltest_ques_count").at(row) + '|' +
                               column(pages, "Lwaiting_ques").at(row) + '|' +
                               column(pages, "Ltest_perc").at(row) + '|' +
                               column(pages, "Lrecomm").at(row);
        QCOMPARE(listed, printedRows);
        QCOMPARE(tests.at(1).last(), QStringLiteral("منتهى"));
        QCOMPARE(tests.at(2).last(), QStringLiteral("جارى"));

        QStringList domainRates;
        for (const QStringList &test : tests.mid(1))
            for (int domain = 1; domain <= 5; ++domain)
                if (!test.at(7 + domain).isEmpty())
                    domainRates << test.at(0) + '|' + QString::number(domain) + '|' +
                                       test.at(7 + domain);
        QStringList storedRates;
        for (const QString &line :
             reg->rows("select stud_code, ques_group, sum(ques_mark) * 100.0 / (count(*) * 3) from "
                       "test_dtl where branch_no = 0 and test_no in (1, 2) group by test_date, "
                       "test_no, stud_code, ques_group order by test_date, test_no, ques_group")) {
            const QStringList parts = line.split('|');
            storedRates << parts.at(0) + '|' + parts.at(1) + '|' +
                               QString::number(parts.at(2).toDouble(), 'f', 2);
        }
        QCOMPARE(domainRates, storedRates);

        QStringList exported;
        for (const QStringList &answer : answers.mid(1))
            exported << answer.join('|');
        QStringList stored;
        for (QString line : reg->rows(
                 "select b.stud_code, b.test_no, b.test_date, b.ques_group, c.ques_group_name, "
                 "b.ques_id, d.ques_desc, b.ques_ans_val, b.ques_mark from test_dtl as b, "
                 "test_ques_group as c, "
                 "test_ques as d where b.branch_no = 0 and b.test_no in (1, 2) and "
                 "c.ques_group_id = b.ques_group and d.ques_group = b.ques_group and "
                 "d.ques_id = b.ques_id order by b.test_no, b.ques_group, b.ques_id")) {
            QStringList parts = line.split('|');
            parts[2] = QDate::fromString(parts.at(2).left(10), Qt::ISODate).toString(Qt::ISODate);
            parts[7] = checklist::arabicWord(checklist::answerOfStoredWord(parts.at(7)));
            stored << parts.join('|');
        }
        QCOMPARE(exported, stored);

        date("DTfrom")->setDate(today.addDays(1));
        BoxAnswerer empty;
        QTest::mouseClick(on<QToolButton>("IntervalForm", "spExport"), Qt::LeftButton);
        QCOMPARE(empty.texts, QStringList({TAllCasesReport::emptyPeriodText()}));
    }

    // A test of ten stored rows, five of them answered, is counted as the test screen counts it,
    // rated as the list rates what a test holds, and recommended on only once complete; in the
    // list, in the export and on the screen alike.
    void anUnfinishedTestIsCountedAsTheScreenCountsItAndGetsNoVerdict()
    {
        const QDate today = QDate::currentDate();
        reg->test(1).number(1).on(today.addDays(-2)).allAnswered(Answer::Sometimes).add();
        reg->test(2).number(2).on(today.addDays(-1)).marks(1, {3, 3, 2, 2, 2, 0, 0, 0, 0, 0}).add();
        reg->test(3).branch(7).number(1).on(today.addYears(-1)).marks(1, {1}).add();

        QVERIFY(report()->listPeriod(today.addDays(-7), today));
        const QList<report::LaidOutPage> pages = report()->layOut();
        QCOMPARE(column(pages, "Ltest_ques_count"), QStringList({"50", "5"}));
        QCOMPARE(column(pages, "Lwaiting_ques"), QStringList({"0", "45"}));
        QCOMPARE(column(pages, "Ltest_perc"), QStringList({"66.67%", "40.00%"}));
        QCOMPARE(column(pages, "Lrecomm"),
                 QStringList({"الحالة تعانى من التوحد", "لم يكتمل الاختبار"}));
        QCOMPARE(printed(pages, "pageHeader", "Lcount"), QStringList({"2"}));
        QCOMPARE(unisolatedRuns(pages), QStringList());
        QCOMPARE(printed(pages, "pageHeader", "Lcases_count"), QStringList({"3"}));
        QCOMPARE(report()->pdfFileName(),
                 QStringLiteral("simat-all-tests-%1-%2.pdf")
                     .arg(today.addDays(-7).toString(Qt::ISODate), today.toString(Qt::ISODate)));

        QTemporaryDir folder;
        const QString path = folder.filePath("period-tests.csv");
        period_export::write(TDataModule1::instance()->Database1, {0, today.addDays(-7), today}, 2,
                             path);
        QStringList exported;
        for (const QStringList &test : readCsv(path).mid(1))
            exported << (QStringList{test.at(6), test.at(7)} + test.mid(test.size() - 3)).join('|');
        QCOMPARE(exported,
                 QStringList({"50|0|66.67|الحالة تعانى من التوحد|جارى", "5|45|40.00||جارى"}));

        QTest::mouseClick(screen("MainForm")->findChild<QToolButton *>("SP_start_test"),
                          Qt::LeftButton);
        on<QLineEdit>("MeasureDiagonsisForm", "eStudentCode")->setText("2");
        QCOMPARE(on<QLabel>("MeasureDiagonsisForm", "Lgroup_comment")->text(),
                 QStringLiteral("أُجيب عن 5 من 10 أسئلة"));
        QCOMPARE(on<QLabel>("MeasureDiagonsisForm", "Lmeas_comment")->text(),
                 QStringLiteral("أُجيب عن 5 من 50 سؤالاً"));
    }

    // Under the common umask 022 too, and over files that others could read before.
    void anExportIsReadableByItsOwnerAlone()
    {
        const QDate today = QDate::currentDate();
        addTest(0, 1, today, 1, 10, {1});
        QTemporaryDir folder;
        const QString path = folder.filePath("simat-tests.csv");
        const QString answers = folder.filePath("simat-answers.csv");
        const QString workbook = folder.filePath("simat.xlsx");
        for (const QString &earlier : {path, answers, workbook}) {
            QFile file(earlier);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ReadOther));
        }
        const mode_t umaskBefore = ::umask(022);
        screens::show("InquiresReportsForm");
        screens::press("InquiresReportsForm", "spAllStudentsTests");
        // The file dialog asks first whether to replace the earlier file.
        BoxAnswerer boxes({QMessageBox::Yes, QMessageBox::Ok});
        chooseFile(path);
        QTest::mouseClick(on<QToolButton>("IntervalForm", "spExport"), Qt::LeftButton);
        ::umask(umaskBefore);
        QCOMPARE(boxes.count(), 2);
        QCOMPARE(boxes.texts.last().section('\n', -1),
                 QStringLiteral("الملفات لا يقرؤها ولا يعدّلها إلا حسابك على هذا الجهاز."));
        for (const QString &written : {path, answers, workbook}) {
            struct stat status {};
            QCOMPARE(::stat(QFile::encodeName(written).constData(), &status), 0);
            QCOMPARE(status.st_mode & 07777, mode_t(0600));
        }
        QCOMPARE(readCsv(path).size(), 2);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 3);
    }

    // The search of another lookup table asks before the row typed on the lookup screen goes;
    // kept, it opens no search.
    void aLookupInquiryAsksBeforeItDropsATypedRow()
    {
        const auto title = [] { return on<QLabel>("SetupDataLevel2Form", "STtitle")->text(); };
        QLineEdit *name = on<QLineEdit>("SetupDataLevel2Form", "Edesc");
        screens::show("InquiresReportsForm");
        screens::press("InquiresReportsForm", "spTestersQuery");
        screen("SearchForm")->close();
        typeText(name, QStringLiteral("قائم جديد"));
        {
            BoxAnswerer boxes({QMessageBox::No});
            screens::press("InquiresReportsForm", "spInfoSourceQuery");
            QCOMPARE(boxes.texts, QStringList({messages::unsavedQuestion}));
        }
        QVERIFY(!screen("SearchForm")->isVisible());
        QCOMPARE(title(), QStringLiteral("القائمين بالاختبار"));
        QCOMPARE(name->text(), QStringLiteral("قائم جديد"));
        {
            BoxAnswerer boxes({QMessageBox::Yes});
            screens::press("InquiresReportsForm", "spInfoSourceQuery");
        }
        QVERIFY(screen("SearchForm")->isVisible());
        QCOMPARE(title(), QStringLiteral("مصادر المعلومات"));
        QCOMPARE(name->text(), QString());
        screen("SearchForm")->close();
    }

    void aLevelThreeUserOpensEverySearchOfTheMenu()
    {
        reg->account({.code = 5, .level = 3});
        logIn("5", "pw5");
        screens::show("InquiresReportsForm");
        // Each button, the screen it shows, and the table the picker it opens lists (none
        // where it opens no picker).
        const struct {
            const char *button;
            const char *screen;
            const char *pickedTable;
        } searches[] = {{"spInfoSourceQuery", "SetupDataLevel2Form", "info_source"},
                        {"spTestersQuery", "SetupDataLevel2Form", "tester"},
                        {"spStudentTestQuery", "MeasureDiagonsisForm", "student"},
                        {"spStudentTestsMonitoring", "InquiresReportsForm", "student"},
                        {"spStudentsQuery", "StudentQueryForm", nullptr},
                        {"spAllStudentsTests", "IntervalForm", nullptr}};
        for (const auto &search : searches) {
            globals().lookup.LookupTableName.clear();
            {
                BoxAnswerer boxes;
                screens::press("InquiresReportsForm", search.button);
                QCOMPARE(boxes.count(), 0);
            }
            QVERIFY2(screen(search.screen)->isVisible(), search.button);
            QCOMPARE(screen("SearchForm")->isVisible(), search.pickedTable != nullptr);
            if (search.pickedTable) {
                QCOMPARE(globals().lookup.LookupTableName, QLatin1String(search.pickedTable));
                screen("SearchForm")->close();
            }
        }
        QCOMPARE(on<QLabel>("SetupDataLevel2Form", "STtitle")->text(),
                 QStringLiteral("القائمين بالاختبار"));
        QVERIFY(screen("StudentsForm")->isVisible());
        QVERIFY(screens::lookupButtonIs("InquiresReportsForm", "spAllStudentsTests"));
    }
};

SIMAT_TEST_MAIN(InquiriesTest)
#include "test_inquiries.moc"
