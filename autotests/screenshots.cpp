// Drives the real screens under a real X server (Xvfb) and saves pictures of them for the
// README and for looking at them: scripts/screenshots runs it on a sample database.
#include "app/application.h"
#include "app/startup.h"
#include "basic_data/setup_data_report.h"
#include "cases/import_cases.h"
#include "cases/student_query.h"
#include "cases/students.h"
#include "cases/students_report.h"
#include "checklist/measure_diagonsis.h"
#include "data/dm.h"
#include "data/test_store.h"
#include "fixtures.h"
#include "reports/all_cases_report.h"
#include "reports/case_course_report.h"
#include "reports/case_tests_compare_report.h"
#include "reports/test_report_common.h"
#include "ui/global.h"
#include "ui/screens.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cstdio>

using namespace simat;
using namespace simat::testing;

namespace {

QString outputFolder;

void settle()
{
    QTest::qWait(400);
}

void shoot(QWidget *window, const char *file)
{
    settle();
    // The window's client area grown by the frame the window manager gave it.
    const QRect frame = window->geometry().marginsAdded(window->windowHandle()->frameMargins());
    const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(0).copy(frame);
    const QString path = QDir(outputFolder).filePath(QLatin1String(file));
    picture.save(path);
    std::printf("%s  frame %dx%d at %d,%d\n", qPrintable(path), frame.width(), frame.height(),
                frame.x(), frame.y());
}

// The whole display, task bar area included: where each window lies on it.
void shootDisplay(const char *file)
{
    settle();
    const QString path = QDir(outputFolder).filePath(QLatin1String(file));
    QGuiApplication::primaryScreen()->grabWindow(0).save(path);
    std::printf("%s\n", qPrintable(path));
}

void click(const char *screenName, const char *button)
{
    QTest::mouseClick(on<QAbstractButton>(screenName, button), Qt::LeftButton);
    settle();
}

void pick(const char *button, const QString &partOfName, const char *pickerShot = nullptr)
{
    click("MeasureDiagonsisForm", button);
    on<QLineEdit>("SearchForm", "Eacc_name")->setText(partOfName);
    auto *results = on<QTableView>("SearchForm", "DBGresult");
    results->setCurrentIndex(results->model()->index(0, 1));
    if (pickerShot)
        shoot(screen("SearchForm"), pickerShot);
    QTest::keyClick(results, Qt::Key_Return);
    settle();
}

// Pictures the file dialog a button opens, answers it with the first file of the documents
// folder that `pattern` matches (the name the dialog proposes when pattern is null), then
// pictures the message box that follows and answers it: No to a question, else its one button.
void shootFileButton(const char *screenName, const char *button, const char *pattern,
                     const char *dialogShot, const char *doneShot)
{
    onNextModal<QFileDialog>([=](QFileDialog *files) {
        // The dialog draws its icons and reads its folder only once it shows.
        QTest::qWait(1000);
        shoot(files, dialogShot);
        if (pattern) {
            const QDir documents(
                QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
            files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))
                ->setText(documents.entryList({QLatin1String(pattern)}, QDir::Files).value(0));
        }
        static_cast<QDialog *>(files)->accept();
        onNextModal<QMessageBox>([=](QMessageBox *box) {
            shoot(box, doneShot);
            QAbstractButton *no = box->button(QMessageBox::No);
            (no ? no : box->buttons().first())->click();
        });
    });
    click(screenName, button);
}

// Both reports of the test on the test screen, as PDF files.
void writeReports()
{
    auto *form = TMeasureDiagonsisForm::instance();
    TestStore store(*TDataModule1::instance());
    const PrintedTest test =
        store.printed({0, form->shownTestNo(), form->shownTestDate(), form->shownCaseCode()});
    for (auto [name, file] : {std::pair{"MeasDiagReportForm", "test-report.pdf"},
                              std::pair{"MeasDiagSummaryReportForm", "summary-report.pdf"}}) {
        const QString path = QDir(outputFolder).filePath(QLatin1String(file));
        auto *report = screens::object<TTestReport>(QLatin1String(name));
        report->setTest(test);
        report->setShownFields(form->shownAge(), form->testerClass(), form->infoSourceClass());
        report->writePdf(path);
        std::printf("%s\n", qPrintable(path));
    }
}

// Answers the questions from the first down, from the keyboard as a tester would: Tab from the
// school name into the grid, then 1, 2 or 3 for each.
void answerByKeys(const QList<Qt::Key> &keys)
{
    QWidget *school = on("MeasureDiagonsisForm", "eSchoolName");
    school->activateWindow();
    school->setFocus();
    QTest::keyClick(school, Qt::Key_Tab);
    for (Qt::Key key : keys)
        QTest::keyClick(QApplication::focusWidget(), key);
}

// The list of the tests of the case on the test screen, and the comparison of its two latest
// tests as a PDF file.
void shootCaseTests()
{
    click("MeasureDiagonsisForm", "spPrevMeas");
    QWidget *list = screen("CaseMeasuresListForm");
    shoot(list, "case-tests-list.png");
    list->close();
    LookupState &lookup = globals().lookup;
    lookup.CompareCaseCode = TMeasureDiagonsisForm::instance()->shownCaseCode();
    auto *comparison = TCaseTestsCompareReport::instance();
    comparison->BuildCompare(screen("MeasureDiagonsisForm"));
    if (lookup.CompareReady) {
        const QString path = QDir(outputFolder).filePath(QStringLiteral("compare-report.pdf"));
        comparison->writePdf(path);
        std::printf("%s\n", qPrintable(path));
    }
    lookup.CompareReady = false;
    auto *course = TCaseCourseReport::instance();
    course->loadCase(TMeasureDiagonsisForm::instance()->shownCaseCode());
    const QString coursePath = QDir(outputFolder).filePath(QStringLiteral("course-report.pdf"));
    course->writePdf(coursePath);
    std::printf("%s\n", qPrintable(coursePath));
}

// The test on screen saved, one answer changed and saved again, and the history of the test.
void shootTestHistory()
{
    for (const QList<Qt::Key> &keys : {QList<Qt::Key>{}, QList<Qt::Key>{Qt::Key_3}}) {
        answerByKeys(keys);
        onNextModal<QMessageBox>([](QMessageBox *box) { box->buttons().first()->click(); });
        click("MeasureDiagonsisForm", "spSave");
    }
    click("MeasureDiagonsisForm", "spHistory");
    shoot(screen("RecordHistoryForm"), "test-history.png");
    screen("RecordHistoryForm")->close();
}

// The user accounts with the first account chosen.
void shootUsers()
{
    screens::show(QStringLiteral("UsersForm"));
    auto *grid = on<QTableView>("UsersForm", "dbUsersGrid");
    grid->setCurrentIndex(grid->model()->index(0, 0));
    QTest::keyClick(grid, Qt::Key_Return);
    shoot(screen("UsersForm"), "users.png");
    screen("UsersForm")->hide();
}

// The listing of the table on the level-1 lookup screen, as a PDF file.
void writeListing()
{
    const QString path = QDir(outputFolder).filePath(QStringLiteral("listing-level-1.pdf"));
    auto *listing = screens::object<TSetupDataReportForm>(QStringLiteral("SetupDataReportForm"));
    listing->setRows(TDataModule1::instance()->BasicDataResultQuery,
                     on<QLabel>("SetupDataForm", "STtitle")->text());
    listing->writePdf(path);
    std::printf("%s\n", qPrintable(path));
}

// The level-2 lookup screen on the testers with a row loaded, and its parent pick.
void shootLevel2()
{
    click("BasicDataMainForm", "SP_testers");
    auto *rows = on<QTableView>("SetupDataLevel2Form", "DBGresult");
    const QPoint first = rows->visualRect(rows->model()->index(0, 2)).center();
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseDClick(rows->viewport(), Qt::LeftButton, {}, first);
    shoot(screen("SetupDataLevel2Form"), "lookup-level-2.png");
    click("SetupDataLevel2Form", "SPfind_parent_table");
    shoot(screen("SearchForm"), "lookup-parent-pick.png");
    screen("SearchForm")->close();
    screen("SetupDataLevel2Form")->hide();
}

// The basic-data menu, and the level-1 lookup screen on the tester classes with a row loaded.
void shootBasicData()
{
    screens::show(QStringLiteral("BasicDataMainForm"));
    settle();
    shoot(screen("BasicDataMainForm"), "basic-data-menu.png");
    click("BasicDataMainForm", "SP_audit_log");
    shoot(screen("AuditLogForm"), "audit-log.png");
    screen("AuditLogForm")->close();
    shootFileButton("BasicDataMainForm", "spBackup", nullptr, "backup-save.png", "backup-done.png");
    shootFileButton("BasicDataMainForm", "spRestore", "simat-*.db", "restore-open.png",
                    "restore-question.png");
    click("BasicDataMainForm", "SP_class_testers");
    auto *rows = on<QTableView>("SetupDataForm", "DBGresult");
    const QPoint second = rows->visualRect(rows->model()->index(1, 1)).center();
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(rows->viewport(), Qt::LeftButton, {}, second);
    shoot(screen("SetupDataForm"), "lookup-level-1.png");
    writeListing();
    screen("SetupDataForm")->hide();
    shootLevel2();
}

// The import of cases on a file with good and refused rows, alone and over the display.
void shootImport()
{
    const QString path = QDir(QDir::homePath()).filePath(QStringLiteral("Documents/children.csv"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    const QString born = QDate::currentDate().addYears(-4).toString(QStringLiteral("dd/MM/yyyy"));
    file.write(
        QStringList(
            {QStringLiteral("الاسم,تاريخ الميلاد,النوع,رقم الإقامة / الهوية,"
                            "المدينة,رقم الجوال,جوال الأب"),
             QStringLiteral("سارة عبد الرحمن,%1,أنثى,1098765432,الرياض,0551234567,").arg(born),
             QStringLiteral(",%1,ذكر,,,,").arg(born),
             QStringLiteral("خالد إبراهيم,31/02/2021,ذكر,,جدة,,"),
             QStringLiteral("منى حسن,%1,أنثى,,طنطا,,").arg(born),
             QStringLiteral("عمر يوسف,%1,ذكر,12AB,,,").arg(born),
             QStringLiteral("سارة عبد الرحمن,%1,أنثى,,,,").arg(born),
             QStringLiteral("يوسف أحمد,2022-05-01,ذكر,,جدة,0509876543,")})
            .join(QStringLiteral("\r\n"))
            .toUtf8());
    file.close();
    click("BasicDataMainForm", "spImportCases");
    screens::find<TImportCasesForm>(QStringLiteral("ImportCasesForm"))->openFile(path);
    settle();
    shoot(screen("ImportCasesForm"), "import-preview.png");
    shootDisplay("import-preview-display.png");
    screen("ImportCasesForm")->hide();
    QFile::remove(path);
}

// The case record form with a stored case, on each of its pages.
void shootCaseForm()
{
    screens::show(QStringLiteral("StudentsForm"));
    auto *form = screens::find<TStudentsForm>(QStringLiteral("StudentsForm"));
    form->loadCase(1);
    auto *pages = on<QTabWidget>("StudentsForm", "PCpages");
    const char *files[] = {"case-basic.png", "case-more.png", "case-guardian.png"};
    for (int page = 0; page < 3; ++page) {
        pages->setCurrentIndex(page);
        shoot(form, files[page]);
    }
    shootDisplay("display-case.png");
    form->hide();
}

// The case inquiry with a name search, and the listing of what it found and of every case, as
// PDF files.
void shootCaseInquiry()
{
    screens::show(QStringLiteral("StudentQueryForm"));
    auto *inquiry = screens::find<TStudentQueryForm>(QStringLiteral("StudentQueryForm"));
    auto *name = on<QLineEdit>("StudentQueryForm", "eStudentName");
    QTest::mouseClick(name, Qt::LeftButton);
    name->setText(QStringLiteral("احمد"));
    shoot(inquiry, "case-inquiry.png");
    auto *listing = screens::object<TStudentsReportForm>(QStringLiteral("StudentsReportForm"));
    Statement *cases = TDataModule1::instance()->StudentsQuery;
    listing->setRows(cases, TStudentsReportForm::titleOf(inquiry->searchTexts()));
    listing->writePdf(QDir(outputFolder).filePath(QStringLiteral("case-listing-search.pdf")));
    on<QAbstractButton>("StudentQueryForm", "RBmobile_no")->click();
    on<QLineEdit>("StudentQueryForm", "eMobileNo")->setText(QStringLiteral("0555"));
    listing->setRows(cases, TStudentsReportForm::titleOf(inquiry->searchTexts()));
    listing->writePdf(QDir(outputFolder).filePath(QStringLiteral("case-listing-mobile.pdf")));
    QTest::keyClick(inquiry, Qt::Key_F2);
    listing->setRows(cases, TStudentsReportForm::plainTitle());
    listing->writePdf(QDir(outputFolder).filePath(QStringLiteral("case-listing.pdf")));
    inquiry->hide();
}

// The inquiries menu, the period filter over a year, and the list of that year's tests.
void shootInquiries()
{
    screens::show(QStringLiteral("InquiresReportsForm"));
    shoot(screen("InquiresReportsForm"), "inquiries-menu.png");
    screens::press(QStringLiteral("InquiresReportsForm"), "spAllStudentsTests");
    const QDate today = QDate::currentDate();
    on<QDateEdit>("IntervalForm", "DTfrom")->setDate(today.addYears(-1));
    shoot(screen("IntervalForm"), "period-filter.png");
    shootFileButton("IntervalForm", "spExport", nullptr, "export-save.png", "export-done.png");
    auto *tests = screens::object<TAllCasesReport>(QStringLiteral("AllCasesReport"));
    tests->listPeriod(today.addYears(-1), today);
    const QString path = QDir(outputFolder).filePath(QStringLiteral("all-cases.pdf"));
    tests->writePdf(path);
    std::printf("%s\n", qPrintable(path));
    screen("IntervalForm")->hide();
    screen("InquiresReportsForm")->hide();
}

// The installation screen, and its connection settings window on each engine.
void shootInstallation()
{
    screens::show(QStringLiteral("SetupOptionsForm"));
    shoot(screen("SetupOptionsForm"), "setup-options.png");
    click("SetupOptionsForm", "SpeedButton2");
    QWidget *settings = screen("SetupOptionsForm")->findChild<QWidget *>("ConnectionSettingsForm");
    shoot(settings, "connection-settings.png");
    settings->findChild<QAbstractButton *>("RBpostgres")->click();
    for (auto [name, text] : {std::pair{"eHost", "192.168.1.10"},
                              {"ePort", "5432"},
                              {"eDatabaseName", "simat"},
                              {"eUserName", "simat"}})
        settings->findChild<QLineEdit *>(name)->setText(QLatin1String(text));
    shoot(settings, "connection-settings-server.png");
    settings->close();
    screen("SetupOptionsForm")->hide();
}

} // namespace

int main(int argc, char *argv[])
{
    SimatApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: simat-screenshots FOLDER   (with SIMAT_ALIAS_VUM naming a "
                             "sample database)\n");
        return 2;
    }
    outputFolder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outputFolder);
    app::createScreens();
    screen("StartupForm")->show();
    shoot(screen("StartupForm"), "first-screen.png");
    click("StartupForm", "SP_run_prog");
    on<QLineEdit>("LoginForm", "Euser_code")->setText("1");
    on<QLineEdit>("LoginForm", "Epassword")->setText("12345");
    shoot(screen("LoginForm"), "login.png");
    click("LoginForm", "spLogin");
    // The installation password opens the password change window before the main menu.
    on<QLineEdit>("ChangePasswordForm", "eNewPassword")->setText("sample-1");
    on<QLineEdit>("ChangePasswordForm", "eNewPasswordAgain")->setText("sample-1");
    shoot(screen("ChangePasswordForm"), "change-password.png");
    onNextModal<QMessageBox>([](QMessageBox *box) { box->buttons().first()->click(); });
    click("ChangePasswordForm", "spSave");
    shoot(screen("MainForm"), "main-menu.png");
    click("MainForm", "SP_start_test");
    QWidget *test = screen("MeasureDiagonsisForm");

    const QStringList cases = QCoreApplication::arguments().mid(2);
    const QString withOpenTest = cases.value(0, QStringLiteral("غلا عادل المالكي"));
    const QString withClosedTests = cases.value(1, QStringLiteral("تالا ناصر القحطاني"));
    const QString withoutTests = cases.value(2, QStringLiteral("فهد ماجد مرداد"));

    pick("spFindStudent", QStringLiteral("احمد"), "picker-ahmad.png");
    pick("spFindStudent", withOpenTest, "picker.png");
    shoot(test, "test-open.png");
    shootDisplay("display-test-open.png");
    writeReports();
    QTimer::singleShot(1500, [] {
        QWidget *preview = QApplication::activeModalWidget();
        shoot(preview, "preview.png");
        preview->close();
    });
    click("MeasureDiagonsisForm", "spPrint");
    click("MeasureDiagonsisForm", "SPsensory");
    shoot(test, "test-open-sensory.png");

    pick("spFindStudent", withClosedTests);
    shoot(test, "test-closed.png");
    shootCaseTests();

    pick("spFindStudent", withoutTests);
    pick("spFindInfoSource", QStringLiteral("الأم"));
    pick("spFindTester", QStringLiteral("ا"));
    on<QLineEdit>("MeasureDiagonsisForm", "eSchoolName")->setText(QStringLiteral("روضة الأمل"));
    answerByKeys({Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_1, Qt::Key_2});
    shoot(test, "test-half-answered.png");
    QTimer::singleShot(800, [] {
        auto *question = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        shoot(question, "question.png");
        question->button(QMessageBox::No)->click();
    });
    click("MeasureDiagonsisForm", "spNew");
    shootTestHistory();
    test->hide();
    shootUsers();
    shootBasicData();
    shootImport();
    shootCaseForm();
    shootCaseInquiry();
    shootInquiries();
    shootInstallation();
    return 0;
}
