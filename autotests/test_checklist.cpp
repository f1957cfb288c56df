// The checklist test through its real screens on both engines: the lookup picker, the test
// screen and its grid, saving, New, and the case's tests list.
#include "data/streamed_rows.h"
#include "fixtures.h"
#include "register_builder.h"

#include "cases/students.h"
#include "checklist/measure_diagonsis.h"
#include "core/age.h"
#include "core/checklist.h"
#include "core/hijri.h"
#include "data/dm.h"
#include "reports/case_tests_compare_report.h"
#include "ui/global.h"
#include "ui/messages.h"
#include "ui/screens.h"
#include "ui/search.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScrollBar>
#include <QSemaphore>
#include <QSet>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QWindow>
#include <sqlite3.h>
#include <thread>

using namespace simat;
using namespace simat::testing;

namespace {

template <typename T = QWidget> T *test(const char *control)
{
    return on<T>("MeasureDiagonsisForm", control);
}

QString text(const char *control)
{
    if (auto *edit = qobject_cast<QLineEdit *>(test(control)))
        return edit->text();
    return test<QLabel>(control)->text();
}

AfterChoice closeOnChoice(const QString &, const QString &)
{
    return AfterChoice::Close;
}

QDate yearsAgo(int years)
{
    return QDate::currentDate().addYears(-years);
}

QDate daysAgo(int days)
{
    return QDate::currentDate().addDays(-days);
}

QDate lastYearDate()
{
    return QDate(QDate::currentDate().year() - 1, 6, 15);
}

// Another workstation's write: holds the write lock of the SQLite file for a while, with a
// new test of its own in it. It writes through SQLite itself on a connection of its own, as
// another program would, never through this program's data module.
class OtherWriter {
public:
    OtherWriter(const QString &file, int testNo, std::chrono::milliseconds hold)
        : m_thread([this, file, testNo, hold] { write(file, testNo, hold); })
    {
        m_locked.acquire();
    }
    ~OtherWriter() { m_thread.join(); }

private:
    void write(const QString &file, int testNo, std::chrono::milliseconds hold)
    {
        sqlite3 *other = nullptr;
        sqlite3_open(file.toUtf8().constData(), &other);
        const QByteArray insert =
            QStringLiteral("begin immediate; insert into test_hdr (branch_no, test_no, test_date, "
                           "stud_code, test_status) values (0, %1, '%2', 3, 1)")
                .arg(testNo)
                .arg(QDate::currentDate().toString(Qt::ISODate))
                .toUtf8();
        sqlite3_exec(other, insert.constData(), nullptr, nullptr, nullptr);
        m_locked.release();
        std::this_thread::sleep_for(hold);
        sqlite3_exec(other, "commit", nullptr, nullptr, nullptr);
        sqlite3_close(other);
    }

    QSemaphore m_locked;
    std::thread m_thread;
};

struct WorkerReport {
    QList<std::pair<int, int>> saved; // case, test number
    QStringList refused;
};

WorkerReport readWorker(QProcess &worker)
{
    WorkerReport report;
    for (const QString &line : QString::fromUtf8(worker.readAllStandardOutput()).split('\n')) {
        const QStringList words = line.split(' ');
        if (words.first() == QLatin1String("saved"))
            report.saved.append({words.at(1).toInt(), words.at(2).toInt()});
        else if (words.first() == QLatin1String("refused"))
            report.refused << line;
    }
    return report;
}

} // namespace

class TestsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestRegister> reg;

    TDataModule1 *dm() { return TDataModule1::instance(); }
    TMeasureDiagonsisForm *form() { return TMeasureDiagonsisForm::instance(); }
    QTableView *grid() { return form()->grid(); }

    // The names the picker lists, in order, for a text typed into its emptied search box.
    QStringList pickerNames(const QString &typed)
    {
        auto *box = on<QLineEdit>("SearchForm", "Eacc_name");
        box->clear();
        typeText(box, typed);
        QAbstractItemModel *rows = on<QTableView>("SearchForm", "DBGresult")->model();
        QStringList names;
        for (int row = 0; row < rows->rowCount(); ++row)
            names << rows->index(row, 1).data().toString();
        names.sort();
        return names;
    }

    void openTestScreen()
    {
        QTest::mouseClick(on<QToolButton>("MainForm", "SP_start_test"), Qt::LeftButton);
        QVERIFY(form()->isVisible());
    }

    // Picks a row through the picker as a person would: type part of the name, press Enter.
    void pick(const char *button, const QString &partOfName)
    {
        QTest::mouseClick(test<QToolButton>(button), Qt::LeftButton);
        QVERIFY(screen("SearchForm")->isVisible());
        typeText(on<QLineEdit>("SearchForm", "Eacc_name"), partOfName);
        auto *results = on<QTableView>("SearchForm", "DBGresult");
        QVERIFY(results->model()->rowCount() > 0);
        results->setCurrentIndex(results->model()->index(0, 0));
        QTest::keyClick(results, Qt::Key_Return);
        QVERIFY(!screen("SearchForm")->isVisible());
    }

    void clickCell(int row, int column)
    {
        const QRect cell = grid()->visualRect(grid()->model()->index(row, column));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    }

    void answerAll(int column)
    {
        for (int row = 0; row < grid()->model()->rowCount(); ++row)
            clickCell(row, column);
    }

    void clickDomain(const char *button, QList<QMessageBox::StandardButton> answers = {})
    {
        BoxAnswerer boxes(answers.isEmpty() ? QList{QMessageBox::Yes} : answers);
        QTest::mouseClick(test<QAbstractButton>(button), Qt::LeftButton);
    }

    QStringList save(QList<QMessageBox::StandardButton> answers = {QMessageBox::Ok})
    {
        BoxAnswerer boxes(answers);
        QTest::mouseClick(test<QToolButton>("spSave"), Qt::LeftButton);
        return boxes.texts;
    }

    // As the server's administrator would, from a connection of its own.
    void terminateTheProgramsConnections()
    {
        const DatabaseAlias alias = parseAlias(reg->database().alias());
        {
            QSqlDatabase admin = QSqlDatabase::addDatabase("QPSQL", "administrator");
            admin.setHostName(alias.host);
            admin.setPort(alias.port);
            admin.setUserName(alias.userName);
            admin.setDatabaseName(alias.databaseName);
            QVERIFY2(admin.open(), qPrintable(admin.lastError().text()));
            QSqlQuery terminate(admin);
            QVERIFY(terminate.exec("select pg_terminate_backend(pid, 5000) from pg_stat_activity "
                                   "where datname = current_database() and "
                                   "pid <> pg_backend_pid()"));
            QVERIFY(terminate.size() >= 1);
        }
        QSqlDatabase::removeDatabase("administrator");
    }

    void startCaseTest(const QString &caseName)
    {
        pick("spFindStudent", caseName);
        pick("spFindInfoSource", QStringLiteral("الأم"));
        pick("spFindTester", QStringLiteral("نورة"));
    }

    // New, leaving an open test on screen.
    void newTest()
    {
        BoxAnswerer yes({QMessageBox::Yes});
        QTest::mouseClick(test<QToolButton>("spNew"), Qt::LeftButton);
    }

    // An open test of عبد الله (number 2), answered "نادراً" throughout, beside a closed one for
    // the tests list; on screen its first answer is changed to "دائماً" and not saved.
    void showAnUnsavedAnswerOfAnOpenTest()
    {
        reg->test(2).number(1).on(daysAgo(30)).closed().allAnswered(Answer::Sometimes).add();
        reg->test(2).number(2).on(daysAgo(5)).allAnswered(Answer::Rarely).add();
        openTestScreen();
        pick("spFindStudent", QStringLiteral("عبد الله"));
        clickCell(0, 2);
        QCOMPARE(gridText(grid(), 0, 5), QStringLiteral("3"));
    }

    void pressKey(Qt::Key key)
    {
        QApplication::setActiveWindow(form());
        QTest::keyClick(test("eSchoolName"), key);
    }

    void doubleClickTestInList(int row)
    {
        auto *tests = on<QTableView>("CaseMeasuresListForm", "DBGstud_meas_list");
        const QRect chosen = tests->visualRect(tests->model()->index(row, 0));
        QTest::mouseClick(tests->viewport(), Qt::LeftButton, {}, chosen.center());
        QTest::mouseDClick(tests->viewport(), Qt::LeftButton, {}, chosen.center());
    }

    // One of the ways a person leaves what the test screen shows.
    void leaveBy(const QString &way)
    {
        if (way == "New") {
            QTest::mouseClick(test<QToolButton>("spNew"), Qt::LeftButton);
        } else if (way == "picker") {
            pick("spFindStudent", QStringLiteral("يوسف"));
        } else if (way == "code box") {
            test<QLineEdit>("eStudentCode")->setText(QStringLiteral("3"));
        } else if (way == "tests list") {
            QTest::mouseClick(test<QToolButton>("spPrevMeas"), Qt::LeftButton);
            doubleClickTestInList(1);
        } else if (way == "domain") {
            QTest::mouseClick(test<QAbstractButton>("SPsocial"), Qt::LeftButton);
        } else if (way == "F2") {
            pressKey(Qt::Key_F2);
        } else if (way == "F12") {
            pressKey(Qt::Key_F12);
        } else if (way == "Escape") {
            pressKey(Qt::Key_Escape);
        } else if (way == "title bar") {
            form()->windowHandle()->close();
        } else if (way == "logout") {
            QTest::mouseClick(on<QToolButton>("MainForm", "spExit"), Qt::LeftButton);
        } else {
            QFAIL(qPrintable(way));
        }
    }

    void expectTheUnsavedAnswerKept()
    {
        QVERIFY(form()->isVisible());
        QCOMPARE(text("eStudentCode"), QStringLiteral("2"));
        QCOMPARE(text("eStudentName"), QStringLiteral("عبد الله سعد القحطاني"));
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("2"));
        QCOMPARE(form()->currentDomain(), 1);
        QCOMPARE(gridText(grid(), 0, 5), QStringLiteral("3"));
        QVERIFY(form()->hasUnsavedChanges());
    }

    // The Hijri test date typed into its box, digit by digit as the mask takes them.
    void typeHijriTestDate(const QString &digits)
    {
        auto *hijriBox = test<QLineEdit>("emMeasDiagHajDate");
        QApplication::setActiveWindow(form());
        hijriBox->setFocus();
        hijriBox->selectAll();
        QTest::keyClick(hijriBox, Qt::Key_Backspace);
        hijriBox->home(false);
        typeText(hijriBox, digits);
    }

    // F8 from the Hijri box, answering what the save asks or says.
    QStringList saveByF8()
    {
        BoxAnswerer boxes;
        QTest::keyClick(test("emMeasDiagHajDate"), Qt::Key_F8);
        return boxes.texts;
    }

    // A case whose shown test is closed: New, and Yes to a new test for the same case.
    void startFollowUpTest(const QString &caseName)
    {
        pick("spFindStudent", caseName);
        QCOMPARE(text("lTestStatus"), QStringLiteral("منتهى"));
        BoxAnswerer yes({QMessageBox::Yes});
        QTest::mouseClick(test<QToolButton>("spNew"), Qt::LeftButton);
        QCOMPARE(yes.texts, QStringList({"هل تريد إجراء اختبار جديد لنفس الحالة؟"}));
        pick("spFindInfoSource", QStringLiteral("الأم"));
        pick("spFindTester", QStringLiteral("نورة"));
    }

private slots:
    void initTestCase_data() { addEngineRows(); }

    void init()
    {
        SIMAT_NEW_REGISTER_OF_ROW(reg);
        reg->tester("نورة العتيبي", 2);
        reg->tester("سالم الحربي", 1);
        const CaseDetails address = {
            .homePhone = "0114567890", .mobile = "0551234567", .street = "شارع الملك فهد"};
        reg->caseNamed("ريم خالد العمري", yearsAgo(5), address);
        reg->caseNamed("عبد الله سعد القحطاني", yearsAgo(6), address);
        reg->caseNamed("يوسف أحمد", yearsAgo(4), address);
    }

    void cleanup() { reg.reset(); }

    void pickerListsTheTableAndNarrowsItByAnyPartOfTheName()
    {
        TSearchForm::pick({"country", {}, {}, nullptr, closeOnChoice});
        QCOMPARE(globals().lookup.LookupCodeColumn, QStringLiteral("cou_id"));
        auto *results = on<QTableView>("SearchForm", "DBGresult");
        QCOMPARE(results->model()->rowCount(), 8);
        QCOMPARE(results->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("كود"));
        QCOMPARE(results->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("إسم"));
        QCOMPARE(results->columnWidth(0), 69);
        typeText(on<QLineEdit>("SearchForm", "Eacc_name"), QStringLiteral("ال"));
        QStringList names;
        for (int row = 0; row < results->model()->rowCount(); ++row)
            names << results->model()->index(row, 1).data().toString();
        names.sort();
        QCOMPARE(names, QStringList({"الأردن", "الإمارات العربية المتحدة", "السودان", "الكويت",
                                     "المملكة العربية السعودية", "اليمن"}));
        QApplication::setActiveWindow(screen("SearchForm"));
        QTest::keyClick(on<QLineEdit>("SearchForm", "Eacc_name"), Qt::Key_F2);
        QCOMPARE(on<QLineEdit>("SearchForm", "Eacc_name")->text(), QString());
        QCOMPARE(results->model()->rowCount(), 8);
    }

    // More cases than the picker keeps: it counts them all, holds only the pages near the
    // view, shows the last ones at once and lets go of every row when it closes.
    void aLongListHoldsOnlyTheRowsNearTheView()
    {
        const int cases = StreamedRows::keptPages * StreamedRows::pageSize + 600;
        QVERIFY(dm()->Database1.inTransaction([this, cases] {
            for (int code = 10; code < 10 + cases; ++code)
                reg->caseNamed(QStringLiteral("طفل رقم %1").arg(code), yearsAgo(3));
        }));
        const int all = reg->count("select count(*) as n from student");
        openTestScreen();
        QTest::mouseClick(test<QToolButton>("spFindStudent"), Qt::LeftButton);
        auto *results = on<QTableView>("SearchForm", "DBGresult");
        const auto *held = qobject_cast<const StreamedRows *>(dm()->SearchByNameQuery->model());
        QVERIFY(held);
        QTRY_COMPARE(results->model()->rowCount(), all);
        QApplication::setActiveWindow(screen("SearchForm"));
        results->setFocus();
        QTest::keyClick(results, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(gridText(results, all - 1, 1), QStringLiteral("طفل رقم %1").arg(10 + cases - 1));
        for (int row = all - 1; row >= 0; row -= 97)
            QVERIFY(!gridText(results, row, 1).isEmpty());
        QVERIFY2(held->heldRowCount() <= StreamedRows::keptPages * StreamedRows::pageSize,
                 qPrintable(QString::number(held->heldRowCount())));
        typeText(on<QLineEdit>("SearchForm", "Eacc_name"), QStringLiteral("رقم 70"));
        QCOMPARE(results->model()->rowCount(), 11);
        results->setCurrentIndex(results->model()->index(0, 1));
        QTest::keyClick(results, Qt::Key_Return);
        QVERIFY(text("eStudentName").startsWith(QStringLiteral("طفل رقم 70")));
        QVERIFY(!screen("SearchForm")->isVisible());
        QCOMPARE(held->heldRowCount(), 0);
    }

    void levelTwoTablesShowTheirOwnCodeAndName()
    {
        openTestScreen();
        QTest::mouseClick(test<QToolButton>("spFindTester"), Qt::LeftButton);
        QCOMPARE(globals().lookup.LookupTableLevel, 2);
        QCOMPARE(globals().lookup.LookupCodeColumn, QStringLiteral("tester_id"));
        QCOMPARE(globals().lookup.LookupNameColumn, QStringLiteral("tester_name"));
        auto *results = on<QTableView>("SearchForm", "DBGresult");
        QCOMPARE(results->model()->rowCount(), 2);
        QStringList codes;
        for (int row = 0; row < 2; ++row)
            codes << results->model()->index(row, 0).data().toString();
        codes.sort();
        QCOMPARE(codes, QStringList({"1", "2"}));
        QApplication::setActiveWindow(screen("SearchForm"));
        QTest::keyClick(on<QLineEdit>("SearchForm", "Eacc_name"), Qt::Key_F12);
        QVERIFY(!screen("SearchForm")->isVisible());
        QVERIFY(globals().lookup.LookupButton.isNull());
        QCOMPARE(text("eTesterCode"), QStringLiteral("0"));
    }

    void enterOnAPickedRowActsAsADoubleClick()
    {
        openTestScreen();
        QTest::mouseClick(test<QToolButton>("spFindInfoSource"), Qt::LeftButton);
        auto *results = on<QTableView>("SearchForm", "DBGresult");
        typeText(on<QLineEdit>("SearchForm", "Eacc_name"), QStringLiteral("معلم"));
        QCOMPARE(results->model()->rowCount(), 1);
        results->setCurrentIndex(results->model()->index(0, 1));
        QTest::keyClick(results, Qt::Key_Return);
        QVERIFY(!screen("SearchForm")->isVisible());
        QCOMPARE(text("eInfoSourceName"), QStringLiteral("معلم الفصل"));
        QCOMPARE(text("eInfoSourceCode"), QStringLiteral("3"));
        QCOMPARE(text("eInfo_source_class"), QStringLiteral("المدرسة"));
        QTest::mouseClick(test<QToolButton>("spFindTester"), Qt::LeftButton);
        typeText(on<QLineEdit>("SearchForm", "Eacc_name"), QStringLiteral("سالم"));
        const QModelIndex row = results->model()->index(0, 1);
        QTest::mouseClick(results->viewport(), Qt::LeftButton, {},
                          results->visualRect(row).center());
        QTest::mouseDClick(results->viewport(), Qt::LeftButton, {},
                           results->visualRect(row).center());
        QVERIFY(!screen("SearchForm")->isVisible());
        QCOMPARE(text("eTesterName"), QStringLiteral("سالم الحربي"));
        QCOMPARE(text("eTesterClass"), QStringLiteral("أخصائي نفسي"));
    }

    void pickerReadsArabicAsAReaderAndWildcardsAsLetters()
    {
        const QStringList stored = {"احمد سالم", "فاطمة",    "فاطمه علي", "مصطفى",  "مصطفي حسن",
                                    "مُحَمَّد",      "نسبة 50%", "علي_حسن",   "مسار\\ب"};
        for (int i = 0; i < stored.size(); ++i)
            reg->caseNamed(stored.at(i), yearsAgo(4));
        const QList<std::pair<QString, QStringList>> studentSearches = {
            {"احمد", {"احمد سالم", "يوسف أحمد"}},
            {"أحمد", {"احمد سالم", "يوسف أحمد"}},
            {"إحمد", {"احمد سالم", "يوسف أحمد"}},
            {"فاطمه", {"فاطمة", "فاطمه علي"}},
            {"فاطمة", {"فاطمة", "فاطمه علي"}},
            {"مصطفي", {"مصطفى", "مصطفي حسن"}},
            {"مصطفى", {"مصطفى", "مصطفي حسن"}},
            {"مـحـمّـد", {"مُحَمَّد"}},
            {"%", {"نسبة 50%"}},
            {"50%", {"نسبة 50%"}},
            {"_", {"علي_حسن"}},
            {"ي_ح", {"علي_حسن"}},
            {"\\", {"مسار\\ب"}}};
        TSearchForm::pick({"student", {}, {}, nullptr, closeOnChoice});
        for (const auto &[typed, expected] : studentSearches) {
            const QStringList names = pickerNames(typed);
            QVERIFY2(names == expected, qPrintable(typed + QStringLiteral(": ") + names.join('|')));
        }
        TSearchForm::pick({"country", {}, {}, nullptr, closeOnChoice});
        QCOMPARE(pickerNames("الاردن"), QStringList{"الأردن"});
        QCOMPARE(pickerNames("%"), QStringList());
        QCOMPARE(pickerNames("_"), QStringList());
    }

    void downAndEnterChooseInThePickerByKeyboard()
    {
        openTestScreen();
        QTest::mouseClick(test<QToolButton>("spFindStudent"), Qt::LeftButton);
        auto *box = on<QLineEdit>("SearchForm", "Eacc_name");
        typeText(box, QStringLiteral("ريم"));
        QSignalSpy codeChanges(test<QLineEdit>("eStudentCode"), &QLineEdit::textChanged);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(codeChanges.count(), 0);
        QVERIFY(!screen("SearchForm")->isVisible());
        QCOMPARE(text("eStudentCode"), QStringLiteral("1"));
        QCOMPARE(text("eStudentName"), QStringLiteral("ريم خالد العمري"));
        QCOMPARE(text("Lage_years"), QStringLiteral("5"));
        QTest::mouseClick(test<QToolButton>("spFindTester"), Qt::LeftButton);
        auto *results = on<QTableView>("SearchForm", "DBGresult");
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(screen("SearchForm")->focusWidget(), results);
        QTest::keyClick(results, Qt::Key_Down);
        const QString second = results->model()->index(1, 1).data().toString();
        QTest::keyClick(results, Qt::Key_Enter);
        QCOMPARE(text("eTesterName"), second);
        QStringList chosen;
        TSearchForm::pick(
            {"tester", {}, {}, nullptr, [&chosen](const QString &code, const QString &) {
                 chosen << code;
                 return AfterChoice::StayOpen;
             }});
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(chosen.size(), 1);
        QVERIFY(screen("SearchForm")->isVisible());
    }

    void aCaseWithoutTestsOpensANewTest()
    {
        openTestScreen();
        pick("spFindStudent", QStringLiteral("ريم"));
        QCOMPARE(text("eStudentName"), QStringLiteral("ريم خالد العمري"));
        QCOMPARE(text("eStudentCode"), QStringLiteral("1"));
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("0"));
        QCOMPARE(test<QDateEdit>("DTMeasDiagDate")->date(), QDate::currentDate());
        QCOMPARE(text("lTestStatus"), QStringLiteral("جارى"));
        QCOMPARE(text("eTesterCode"), QStringLiteral("0"));
        QCOMPARE(text("eInfoSourceCode"), QStringLiteral("0"));
        QCOMPARE(text("Lgroup_comment"), QStringLiteral("أُجيب عن 0 من 10 أسئلة"));
        QCOMPARE(text("Lmeas_comment"), QStringLiteral("أُجيب عن 0 من 50 سؤالاً"));
        QCOMPARE(text("STgroup_perc"), QStringLiteral("0.00"));
        QCOMPARE(text("STmeas_perc"), QStringLiteral("0.00"));
        QCOMPARE(text("STtot_group_mark"), QStringLiteral("30"));
        QCOMPARE(text("STtot_meas_mark"), QStringLiteral("150"));
        QCOMPARE(text("Lage_years"), QStringLiteral("5"));
        QCOMPARE(text("emMeasDiagHajDate"), hijri::fromGregorian(QDate::currentDate()));
        QCOMPARE(grid()->model()->rowCount(), 10);
        QCOMPARE(test<QGroupBox>("GRBcase_desc")->title(),
                 QStringLiteral("قائمة أسئلة إضطرابات التواصل اللفظى وغير اللفظى"));
        QVERIFY(!test("spPrevMeas")->isVisible());
        QVERIFY(test("spDelete")->isVisible() && test("spCloseRep")->isVisible());
    }

    void storedTestsAreShownLatestFirst()
    {
        reg->test(2)
            .number(1)
            .on(daysAgo(20))
            .closed()
            .school("مدرسة الأمل")
            .allAnswered(Answer::Always)
            .add();
        openTestScreen();
        pick("spFindStudent", QStringLiteral("عبد الله"));
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("1"));
        QCOMPARE(text("lTestStatus"), QStringLiteral("منتهى"));
        QVERIFY(!test("spPrevMeas")->isVisible());
        QVERIFY(!test("spSave")->isVisible());
        QCOMPARE(text("STgroup_perc"), QStringLiteral("100.00"));
        QCOMPARE(text("STmeas_perc"), QStringLiteral("100.00"));
        QCOMPARE(
            text("Lgroup_comment"),
            QStringLiteral(
                "الحالة تعانى من التوحد على مستوى مجموعة إضطرابات التواصل اللفظى وغير اللفظى"));
        QCOMPARE(text("Lmeas_comment"),
                 QStringLiteral("الحالة تعانى من التوحد على مستوى المقياس ككل"));
        QCOMPARE(text("eTesterName"), QStringLiteral("نورة العتيبي"));
        QCOMPARE(text("eSchoolName"), QStringLiteral("مدرسة الأمل"));

        reg->test(2).number(2).on(daysAgo(2)).allAnswered(Answer::Rarely).add();
        clickDomain("SPsocial");
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("2"));
        QCOMPARE(text("lTestStatus"), QStringLiteral("جارى"));
        QVERIFY(test("spPrevMeas")->isVisible());
        QCOMPARE(text("STgroup_perc"), QStringLiteral("33.33"));
        QCOMPARE(
            text("Lgroup_comment"),
            QStringLiteral(
                "الحالة سليمة ولاتعانى من التوحد على مستوى مجموعة إضطرابات التفاعل الاجتماعى"));
        QCOMPARE(text("STtot_case_mark"), QStringLiteral("50"));
    }

    void anUnknownCaseCodeIsRefused()
    {
        openTestScreen();
        BoxAnswerer boxes;
        test<QLineEdit>("eStudentCode")->setText("99");
        QCOMPARE(boxes.texts, QStringList({"رقم هوية / إقامة غير مُسجل على النظام"}));
        QCOMPARE(grid()->model()->rowCount(), 10);
        QCOMPARE(gridText(grid(), 0, 5), QString());
    }

    void answeringSetsMovesAndClearsTheMark()
    {
        openTestScreen();
        pick("spFindStudent", QStringLiteral("ريم"));
        clickCell(0, 2);
        QCOMPARE(gridText(grid(), 0, 2), QStringLiteral("1"));
        QCOMPARE(gridText(grid(), 0, 5), QStringLiteral("3"));
        clickCell(0, 4);
        QCOMPARE(gridText(grid(), 0, 2), QString());
        QCOMPARE(gridText(grid(), 0, 4), QStringLiteral("1"));
        QCOMPARE(gridText(grid(), 0, 5), QStringLiteral("1"));
        clickCell(0, 4);
        QCOMPARE(gridText(grid(), 0, 4), QString());
        QCOMPARE(gridText(grid(), 0, 5), QString());
        clickCell(1, 1);
        QCOMPARE(gridText(grid(), 1, 5), QString());
        clickCell(1, 3);

        const QImage drawn = grid()->viewport()->grab().toImage();
        const QRect ticked = grid()->visualRect(grid()->model()->index(1, 3));
        const QRect empty = grid()->visualRect(grid()->model()->index(1, 2));
        const QRect other = grid()->visualRect(grid()->model()->index(2, 2));
        QCOMPARE(drawn.pixelColor(other.topLeft() + QPoint(2, 2)), QColor(224, 224, 224));
        QCOMPARE(drawn.pixelColor(ticked.topLeft() + QPoint(2, 2)),
                 drawn.pixelColor(empty.topLeft() + QPoint(2, 2)));
        const QImage tickedCell = drawn.copy(ticked.adjusted(1, 1, -1, -1));
        const QImage emptyCell = drawn.copy(empty.adjusted(1, 1, -1, -1));
        QVERIFY(tickedCell != emptyCell);
        QCOMPARE(tickedCell.pixelColor(tickedCell.rect().center()),
                 tickedCell.pixelColor(tickedCell.rect().center()));
        QVERIFY(form()->hasUnsavedAnswers());
    }

    void resultsAtTheThresholds_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("answered");
        QTest::addColumn<QString>("percentage");
        QTest::addColumn<bool>("autism");
        QTest::newRow("all always") << 2 << 10 << "100.00" << true;
        QTest::newRow("all rarely") << 4 << 10 << "33.33" << false;
        QTest::newRow("half the marks") << 3 << 5 << "50.00" << true;
    }

    void resultsAtTheThresholds()
    {
        QFETCH(int, column);
        QFETCH(int, answered);
        QFETCH(QString, percentage);
        QFETCH(bool, autism);
        openTestScreen();
        startCaseTest(QStringLiteral("ريم"));
        test<QLineEdit>("eSchoolName")->setText(QStringLiteral("روضة الزهور"));
        // The rows after the first `answered` are answered "نادراً".
        for (int row = 0; row < 10; ++row)
            clickCell(row, row < answered ? column : 4);
        QCOMPARE(save(), QStringList({"تم حفظ التعديلات بنجاح"}));
        QCOMPARE(text("STgroup_perc"), percentage);
        const QString verdict = text("Lgroup_comment");
        QVERIFY2(verdict.startsWith(autism ? QStringLiteral("الحالة تعانى")
                                           : QStringLiteral("الحالة سليمة")),
                 qPrintable(verdict));
        QCOMPARE(text("STtot_case_group_mark"), text("STtot_case_mark"));
    }

    void ageBorrowsFromTheMonthAndStopsAtEightYears()
    {
        const Age borrowed = ageOn(QDate(2026, 1, 31), QDate(2026, 2, 1));
        QCOMPARE(borrowed.years, 0);
        QCOMPARE(borrowed.months, 0);
        QCOMPARE(borrowed.days, 1 + 30 - 31);
        const Age eight = ageOn(QDate(2018, 3, 10), QDate(2026, 3, 10));
        QCOMPARE(eight.years, 8);
        QCOMPARE(eight.months + eight.days, 0);

        const QDate born = QDate::currentDate().addYears(-8).addDays(-1);
        reg->caseNamed("مشاعل", born);
        openTestScreen();
        BoxAnswerer boxes;
        pick("spFindStudent", QStringLiteral("مشاعل"));
        QCOMPARE(boxes.texts.value(0), QStringLiteral("سن الحالة يجب ألا يزيد عن 8 سنوات"));
        auto *testDate = test<QDateEdit>("DTMeasDiagDate");
        testDate->setDate(QDate::currentDate().addDays(-1));
        QCOMPARE(text("Lage_years"), QStringLiteral("8"));
        QCOMPARE(text("Lage_months") + text("Lage_days"), QStringLiteral("00"));
        QCOMPARE(boxes.count(), 1);
        testDate->setDate(QDate::currentDate().addDays(-400));
        testDate->setDate(born.addDays(-3));
        QCOMPARE(testDate->date(), QDate::currentDate());
        QCOMPARE(text("Lage_years") + text("Lage_months") + text("Lage_days"),
                 QStringLiteral("000"));
    }

    void hijriDatesGoBothWays()
    {
        QCOMPARE(hijri::fromGregorian(QDate(2026, 12, 8)), QStringLiteral("28/06/1448"));
        QCOMPARE(hijri::toGregorian("28/06/1448"), std::optional<QDate>(QDate(2026, 12, 8)));
        QCOMPARE(hijri::fromGregorian(QDate(2025, 3, 1)), QStringLiteral("01/09/1446"));
        QVERIFY(!hijri::toGregorian("31/06/1448"));
        QVERIFY(!hijri::toGregorian("10/13/1448"));

        openTestScreen();
        pick("spFindStudent", QStringLiteral("ريم"));
        auto *hijriBox = test<QLineEdit>("emMeasDiagHajDate");
        const QDate target = QDate::currentDate().addDays(-40);
        hijriBox->setFocus();
        hijriBox->selectAll();
        typeText(hijriBox, hijri::fromGregorian(target).remove('/'));
        QTest::keyClick(hijriBox, Qt::Key_Return);
        QCOMPARE(test<QDateEdit>("DTMeasDiagDate")->date(), target);
        BoxAnswerer boxes;
        hijriBox->selectAll();
        typeText(hijriBox, QStringLiteral("30131448"));
        QTest::keyClick(hijriBox, Qt::Key_Return);
        QCOMPARE(boxes.count(), 1);
        QVERIFY(boxes.texts.first().contains(QStringLiteral("غير صحيح")));
        QCOMPARE(test<QDateEdit>("DTMeasDiagDate")->date(), target);
        QCOMPARE(hijriBox->text(), hijri::fromGregorian(target));
    }

    void savingDomainByDomainGrowsOneTest()
    {
        openTestScreen();
        startCaseTest(QStringLiteral("ريم"));
        answerAll(3);
        QCOMPARE(save({QMessageBox::Yes, QMessageBox::Ok}),
                 QStringList({"لم يتم كتابة اسم المدرسة - هل بالغعل تريد الاستمرار؟",
                              "تم حفظ التعديلات بنجاح"}));
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("1"));
        QCOMPARE(text("lTestStatus"), QStringLiteral("جارى"));
        QCOMPARE(
            reg->count("select count(*) as n from test_hdr where school_name='' and entry_type=1"),
            1);
        QCOMPARE(
            reg->count("select count(*) as n from test_dtl where ques_group=1 and ques_mark=2 and "
                       "ques_ans_val='Sometimes' and branch_no=0 and who_update=0"),
            10);
        clickDomain("SPsocial");
        QCOMPARE(test<QGroupBox>("GRBcase_desc")->title(),
                 QStringLiteral("قائمة أسئلة إضطرابات التفاعل الاجتماعى"));
        clickCell(0, 2);
        test<QLineEdit>("eSchoolName")->setText(QStringLiteral("روضة الزهور"));
        // A Hijri text that is no date stops the save, and the box shows the test date again.
        test<QLineEdit>("emMeasDiagHajDate")->setText(QStringLiteral("abc/99/xx"));
        const QStringList refused = save();
        QCOMPARE(refused.size(), 1);
        QVERIFY2(refused.first().startsWith(
                     QStringLiteral("تاريخ الاختبار الهجرى \"\u2066/99/\u2069\" غير صحيح")),
                 qPrintable(refused.first()));
        QCOMPARE(text("emMeasDiagHajDate"), hijri::fromGregorian(QDate::currentDate()));
        QCOMPARE(save(), QStringList({"تم حفظ التعديلات بنجاح"}));
        const QString hijriToday = hijri::fromGregorian(QDate::currentDate());
        QCOMPARE(reg->count("select count(*) as n from test_hdr where test_haj_date='" +
                            hijriToday + "'"),
                 1);
        QCOMPARE(reg->count("select count(*) as n from test_dtl where test_haj_date='" +
                            hijriToday + "'"),
                 20);
        QCOMPARE(reg->count("select count(*) as n from test_hdr"), 1);
        QCOMPARE(
            reg->count("select count(*) as n from test_hdr where entry_type=2 and who_update=1 and "
                       "school_name='روضة الزهور'"),
            1);
        QCOMPARE(reg->count("select count(*) as n from test_dtl where ques_group=2"), 10);
        QCOMPARE(
            reg->count("select count(*) as n from test_dtl where ques_group=2 and ques_mark=0 and "
                       "ques_ans_val=''"),
            9);
        QCOMPARE(test<QGroupBox>("GRBcase_desc")->title(),
                 QStringLiteral("قائمة أسئلة إضطرابات التفاعل الاجتماعى"));
        QCOMPARE(text("STtot_case_group_mark"), QStringLiteral("3"));
        QCOMPARE(text("STtot_case_mark"), QStringLiteral("23"));
    }

    void numbersRestartEachYearAndUpdatesKeepToTheirYear()
    {
        reg->test(3).number(1).on(lastYearDate()).closed().allAnswered(Answer::Rarely).add();
        reg->test(3)
            .number(2)
            .on(lastYearDate().addDays(1))
            .closed()
            .allAnswered(Answer::Rarely)
            .add();
        openTestScreen();
        startCaseTest(QStringLiteral("ريم"));
        test<QDateEdit>("DTMeasDiagDate")->setDate(QDate::currentDate().addDays(-1));
        clickCell(0, 2);
        test<QLineEdit>("eSchoolName")->setText(QStringLiteral("روضة"));
        save();
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("1"));
        clickCell(1, 2);
        save();
        QCOMPARE(reg->count("select count(*) as n from test_hdr where test_no=1"), 2);
        QCOMPARE(
            reg->count("select count(*) as n from test_dtl where test_no=1 and stud_code=3 and "
                       "ques_mark=1"),
            50);
        QCOMPARE(
            reg->count("select count(*) as n from test_hdr where test_no=1 and stud_code=3 and "
                       "entry_type=1"),
            1);
        QCOMPARE(
            reg->count("select count(*) as n from test_dtl where test_no=1 and stud_code=1 and "
                       "ques_mark=3"),
            2);
        test<QDateEdit>("DTMeasDiagDate")->setDate(QDate::currentDate().addDays(-3));
        clickCell(2, 2);
        save();
        QCOMPARE(reg->count("select count(*) as n from test_dtl where stud_code=1 and test_date <> "
                            "(select test_date from test_hdr where stud_code=1)"),
                 0);
        QCOMPARE(reg->count("select count(*) as n from test_dtl where test_no=1 and stud_code=3"),
                 50);

        newTest();
        startFollowUpTest(QStringLiteral("يوسف"));
        clickCell(0, 4);
        test<QLineEdit>("eSchoolName")->setText(QStringLiteral("روضة"));
        save();
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("2"));

        newTest();
        startCaseTest(QStringLiteral("عبد الله"));
        test<QDateEdit>("DTMeasDiagDate")->setDate(lastYearDate().addDays(5));
        clickCell(0, 4);
        test<QLineEdit>("eSchoolName")->setText(QStringLiteral("روضة"));
        save();
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("3"));
    }

    // Two workstations enter 100 new tests each at the same moment, for cases of their own.
    void twoWorkstationsSavingAtOnceNeverShareATestNumber()
    {
        QVERIFY(dm()->Database1.inTransaction([this] {
            for (int code = 10; code < 210; ++code)
                reg->caseNamed(QStringLiteral("طفل %1").arg(code), yearsAgo(4), {.code = code});
        }));
        const QString program = QCoreApplication::applicationDirPath() + "/numbering_worker";
        QProcess first;
        QProcess second;
        first.start(program, {"10", "100"});
        second.start(program, {"110", "100"});
        for (QProcess *worker : {&first, &second}) {
            QVERIFY(worker->waitForFinished(300000));
            QCOMPARE(worker->exitCode(), 0);
        }
        const WorkerReport one = readWorker(first);
        const WorkerReport two = readWorker(second);
        QCOMPARE(one.refused + two.refused, QStringList());
        QCOMPARE(one.saved.size() + two.saved.size(), 200);
        QSet<int> numbers;
        Statement stored(dm()->Database1, "Stored",
                         {"select count(*) as n from test_hdr where stud_code=:stud_code and "
                          "test_no=:test_no"});
        stored.declare("stud_code", ParamType::Integer);
        stored.declare("test_no", ParamType::Integer);
        for (const auto &[caseCode, number] : one.saved + two.saved) {
            numbers.insert(number);
            stored.setParam("stud_code", caseCode);
            stored.setParam("test_no", number);
            stored.open();
            QCOMPARE(stored.intValue("n"), 1);
        }
        QCOMPARE(numbers.size(), 200);
        QCOMPARE(reg->count("select count(*) as n from test_hdr"), 200);
        QCOMPARE(reg->count("select count(distinct test_no) as n from test_hdr"), 200);
        QCOMPARE(reg->count("select count(*) as n from test_dtl where ques_mark=3"), 200);
    }

    void aSaveWaitsForAnotherWriterWithABusyCursor()
    {
        if (engineOfRow() != TestDatabase::Engine::SQLite)
            QSKIP("the lock wait limit of PostgreSQL is tested with the data module");
        const QString file = reg->database().alias().mid(QStringLiteral("sqlite:").size());
        Database &database = dm()->Database1;
        const auto shown = database.busyHook();
        QList<int> cursors;
        database.setBusyHook([&](bool waiting) {
            shown(waiting);
            if (waiting)
                cursors << QApplication::overrideCursor()->shape();
        });
        const auto restore = qScopeGuard([&] { database.setBusyHook(shown); });
        openTestScreen();
        startCaseTest(QStringLiteral("ريم"));
        test<QLineEdit>("eSchoolName")->setText(QStringLiteral("روضة"));
        clickCell(0, 2);
        QElapsedTimer waited;
        {
            OtherWriter other(file, 1, std::chrono::milliseconds(800));
            waited.start();
            QCOMPARE(save(), QStringList({"تم حفظ التعديلات بنجاح"}));
        }
        QVERIFY(waited.elapsed() >= 700);
        QCOMPARE(cursors, QList<int>({Qt::BusyCursor}));
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("2"));

        {
            BoxAnswerer yes({QMessageBox::Yes});
            QTest::mouseClick(test<QToolButton>("spNew"), Qt::LeftButton);
        }
        startCaseTest(QStringLiteral("عبد الله"));
        test<QLineEdit>("eSchoolName")->setText(QStringLiteral("روضة"));
        clickCell(1, 4);
        {
            OtherWriter other(file, 3, std::chrono::milliseconds(Database::busyWaitMs + 1500));
            const QStringList refused = save();
            QCOMPARE(refused.size(), 1);
            QCOMPARE(refused.first().section(QLatin1Char('\n'), 0, 0), "خطأ أثناء الحفظ");
            QVERIFY2(refused.first().contains("حاول مرة أخرى بعد قليل"),
                     qPrintable(refused.first()));
        }
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("0"));
        QCOMPARE(gridText(grid(), 1, 5), QStringLiteral("1"));
        QCOMPARE(reg->count("select count(*) as n from test_hdr where stud_code=2"), 0);
        QCOMPARE(save(), QStringList({"تم حفظ التعديلات بنجاح"}));
        QCOMPARE(reg->count("select count(*) as n from test_dtl where stud_code=2 and ques_mark=1"),
                 1);
    }

    // A register written before numbers were guarded may hold one number and date twice.
    void anUpdateReachesOnlyTheTestOfItsCase()
    {
        reg->run("drop index test_hdr_number_of_year");
        reg->run("drop table schema_version");
        const QDate date = QDate::currentDate().addDays(-10);
        reg->test(1).number(1).on(date).allAnswered(Answer::Rarely).add();
        reg->test(2).number(1).on(date).allAnswered(Answer::Rarely).add();
        dm()->Database1.close();
        {
            BoxAnswerer boxes;
            logIn("1", administratorPassword);
            QCOMPARE(boxes.count(), 1);
            QVERIFY(boxes.texts.first().contains(
                QStringLiteral("رقم 1 لسنة %1 في الفرع 0 (عدد الاختبارات 2)").arg(date.year())));
        }
        openTestScreen();
        pick("spFindStudent", QStringLiteral("ريم"));
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("1"));
        QCOMPARE(text("STtot_case_mark"), QStringLiteral("50"));
        clickCell(0, 2);
        test<QDateEdit>("DTMeasDiagDate")->setDate(date.addDays(1));
        QCOMPARE(save(), QStringList({"تم حفظ التعديلات بنجاح"}));
        QCOMPARE(text("STtot_case_mark"), QStringLiteral("52"));
        const QString dateText = date.toString(Qt::ISODate);
        QCOMPARE(
            reg->count(QStringLiteral("select count(*) as n from test_dtl where stud_code=2 and "
                                      "ques_mark=1 and test_date='%1'")
                           .arg(dateText)),
            50);
        QCOMPARE(
            reg->count(QStringLiteral("select count(*) as n from test_hdr where stud_code=2 and "
                                      "test_date='%1' and entry_type=1")
                           .arg(dateText)),
            1);
        QCOMPARE(
            reg->count(QStringLiteral("select count(*) as n from test_dtl where stud_code=1 and "
                                      "test_date='%1'")
                           .arg(date.addDays(1).toString(Qt::ISODate))),
            50);
        {
            BoxAnswerer yes({QMessageBox::Yes});
            QTest::mouseClick(test<QToolButton>("spDelete"), Qt::LeftButton);
        }
        QCOMPARE(reg->count("select count(*) as n from test_hdr"), 1);
        QCOMPARE(reg->count("select count(*) as n from test_dtl where stud_code=2"), 50);
    }

    void validationStopsAtTheFirstMissingChoice()
    {
        openTestScreen();
        QCOMPARE(save(), QStringList({"إختار حالة"}));
        pick("spFindStudent", QStringLiteral("ريم"));
        QCOMPARE(save(), QStringList({"إختار مصدر المعلومات"}));
        pick("spFindInfoSource", QStringLiteral("الأم"));
        QCOMPARE(save(), QStringList({"إختار القائم بالاختبار"}));
        pick("spFindTester", QStringLiteral("نورة"));
        QCOMPARE(save({QMessageBox::No}),
                 QStringList({"لم يتم كتابة اسم المدرسة - هل بالغعل تريد الاستمرار؟"}));
        QCOMPARE(form()->focusWidget(), test("eSchoolName"));
        QCOMPARE(reg->count("select count(*) as n from test_hdr"), 0);
    }

    void aFailedSaveLeavesNoHeaderWithoutRows()
    {
        openTestScreen();
        startCaseTest(QStringLiteral("ريم"));
        test<QLineEdit>("eSchoolName")->setText(QStringLiteral("روضة"));
        answerAll(2);
        reg->run("alter table test_dtl rename to test_dtl_away");
        {
            BoxAnswerer failed;
            QTest::mouseClick(test<QToolButton>("spSave"), Qt::LeftButton);
            reg->run("alter table test_dtl_away rename to test_dtl");
            QCOMPARE(failed.texts, QStringList({"خطأ أثناء الحفظ"}));
            QVERIFY2(failed.details.first().contains("test_dtl"),
                     qPrintable(failed.details.first()));
        }
        QCOMPARE(reg->count("select count(*) as n from test_hdr"), 0);
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("0"));
        QCOMPARE(gridText(grid(), 9, 5), QStringLiteral("3"));
        QCOMPARE(save(), QStringList({"تم حفظ التعديلات بنجاح"}));
        QCOMPARE(reg->count("select count(*) as n from test_dtl"), 10);
    }

    void aFailedDeleteSaysWhyAndKeepsTheTest()
    {
        reg->test(2).on(daysAgo(3)).allAnswered(Answer::Sometimes).add();
        openTestScreen();
        pick("spFindStudent", QStringLiteral("عبد الله"));
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("1"));
        reg->run("alter table test_dtl rename to test_dtl_away");
        BoxAnswerer boxes({QMessageBox::Yes});
        QTest::mouseClick(test<QToolButton>("spDelete"), Qt::LeftButton);
        reg->run("alter table test_dtl_away rename to test_dtl");
        QCOMPARE(boxes.texts.last(), QStringLiteral("حدث خطأ أثناء إلغاء الاختبار"));
        QVERIFY2(boxes.details.last().contains("test_dtl"), qPrintable(boxes.details.last()));
        QCOMPARE(reg->count("select count(*) as n from test_hdr"), 1);
    }

    // The server drops the program's connections (a restart): the next action finds them
    // lost before it runs and works on new ones, so nothing typed is lost to the restart.
    void aLostConnectionIsOpenedAgainBeforeTheNextAction()
    {
        if (engineOfRow() != TestDatabase::Engine::PostgreSQL)
            QSKIP("only a server drops connections");
        openTestScreen();
        startCaseTest(QStringLiteral("ريم"));
        test<QLineEdit>("eSchoolName")->setText(QStringLiteral("روضة"));
        answerAll(2);
        terminateTheProgramsConnections();
        QCOMPARE(save(), QStringList({"تم حفظ التعديلات بنجاح"}));
        QCOMPARE(reg->count("select count(*) as n from test_dtl"), 10);

        QTest::mouseClick(test<QToolButton>("spFindTester"), Qt::LeftButton);
        auto *search = on<QLineEdit>("SearchForm", "Eacc_name");
        terminateTheProgramsConnections();
        {
            BoxAnswerer none;
            typeText(search, QStringLiteral("نو"));
            QCOMPARE(none.count(), 0);
        }
        QCOMPARE(on<QTableView>("SearchForm", "DBGresult")->model()->rowCount(), 1);
    }

    void newAsksBeforeLeavingAnOpenTest()
    {
        reg->test(2).on(daysAgo(3)).allAnswered(Answer::Sometimes).add();
        openTestScreen();
        pick("spFindStudent", QStringLiteral("عبد الله"));
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("1"));
        {
            BoxAnswerer no({QMessageBox::No});
            QTest::mouseClick(test<QToolButton>("spNew"), Qt::LeftButton);
            QCOMPARE(no.texts, QStringList({"تأكد من أنك قمت بحفظ البيانات قبل الاستمرار - هل تريد "
                                            "الاستمرار بدون حفظ البيانات؟"}));
        }
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("1"));
        QCOMPARE(text("eStudentCode"), QStringLiteral("2"));
        {
            BoxAnswerer yes({QMessageBox::Yes});
            QTest::mouseClick(test<QToolButton>("spNew"), Qt::LeftButton);
            QCOMPARE(yes.count(), 1);
        }
        QCOMPARE(text("eStudentCode"), QStringLiteral("0"));
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("0"));
    }

    void unsavedAnswersAreNeverDroppedSilently()
    {
        openTestScreen();
        pick("spFindStudent", QStringLiteral("ريم"));
        clickCell(0, 2);
        clickDomain("SPsensory", {QMessageBox::No});
        QCOMPARE(gridText(grid(), 0, 5), QStringLiteral("3"));
        QCOMPARE(form()->currentDomain(), 1);
        {
            BoxAnswerer no({QMessageBox::No});
            QTest::mouseClick(test<QToolButton>("spNew"), Qt::LeftButton);
            QCOMPARE(no.count(), 1);
        }
        QCOMPARE(gridText(grid(), 0, 5), QStringLiteral("3"));
        {
            BoxAnswerer no({QMessageBox::No});
            form()->close();
            QCOMPARE(no.count(), 1);
        }
        QVERIFY(form()->isVisible());
        {
            BoxAnswerer no({QMessageBox::No});
            screen("StartupForm")->close();
            QCOMPARE(no.count(), 1);
        }
        QVERIFY(screen("StartupForm")->isVisible());
        QVERIFY(form()->isVisible());
        clickDomain("SPsensory", {QMessageBox::Yes});
        QCOMPARE(form()->currentDomain(), 3);
        QCOMPARE(gridText(grid(), 0, 5), QString());
    }

    void theCaseTestsListShowsAChosenClosedTestReadOnly()
    {
        reg->test(2).number(1).on(daysAgo(30)).closed().allAnswered(Answer::Always).add();
        reg->test(2).number(2).on(daysAgo(5)).allAnswered(Answer::Rarely).add();
        openTestScreen();
        pick("spFindStudent", QStringLiteral("عبد الله"));
        clickDomain("SPemotional");
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("2"));
        BoxAnswerer boxes({QMessageBox::Yes});
        QTest::mouseClick(test<QToolButton>("spPrevMeas"), Qt::LeftButton);
        QWidget *list = screen("CaseMeasuresListForm");
        QVERIFY(list->isVisible());
        auto *tests = list->findChild<QTableView *>("DBGstud_meas_list");
        QCOMPARE(tests->model()->rowCount(), 2);
        QCOMPARE(tests->model()->index(1, 0).data().toString(), QStringLiteral("1"));
        const QRect second = tests->visualRect(tests->model()->index(1, 0));
        QTest::mouseClick(tests->viewport(), Qt::LeftButton, {}, second.center());
        QTest::mouseDClick(tests->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(boxes.texts, QStringList({"تأكد من أنك قمت بحفظ البيانات قبل الاستمرار - هل تريد "
                                           "الاستمرار بدون حفظ البيانات؟"}));
        QVERIFY(!list->isVisible());
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("1"));
        QCOMPARE(text("lTestStatus"), QStringLiteral("منتهى"));
        QCOMPARE(form()->currentDomain(), 4);
        QCOMPARE(gridText(grid(), 0, 5), QStringLiteral("3"));
        QVERIFY(!test("spSave")->isVisible());
        QVERIFY(!test("spFindTester")->isVisible());
        QCOMPARE(text("eStudentName"), QStringLiteral("عبد الله سعد القحطاني"));
        // A click on the closed test's answers changes nothing and leaves nothing to save.
        clickCell(0, 4);
        QCOMPARE(gridText(grid(), 0, 5), QStringLiteral("3"));
        QCOMPARE(gridText(grid(), 0, 4), QString());
        QVERIFY(!form()->hasUnsavedAnswers());
    }

    void newOnAClosedTestOffersAnotherForTheSameCase()
    {
        reg->test(2).number(1).on(daysAgo(30)).closed().allAnswered(Answer::Always).add();
        reg->test(2).number(2).on(daysAgo(9)).closed().allAnswered(Answer::Sometimes).add();
        openTestScreen();
        pick("spFindStudent", QStringLiteral("عبد الله"));
        QTest::mouseClick(test<QToolButton>("spPrevMeas"), Qt::LeftButton);
        auto *tests = screen("CaseMeasuresListForm")->findChild<QTableView *>("DBGstud_meas_list");
        tests->setCurrentIndex(tests->model()->index(0, 0));
        QTest::keyClick(tests, Qt::Key_Return);
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("2"));
        {
            BoxAnswerer no({QMessageBox::No});
            QTest::mouseClick(test<QToolButton>("spNew"), Qt::LeftButton);
            QCOMPARE(no.texts, QStringList({"هل تريد إجراء اختبار جديد لنفس الحالة؟"}));
        }
        QCOMPARE(text("eStudentCode"), QStringLiteral("2"));
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("2"));
        QCOMPARE(text("lTestStatus"), QStringLiteral("منتهى"));
        {
            BoxAnswerer yes({QMessageBox::Yes});
            QTest::mouseClick(test<QToolButton>("spNew"), Qt::LeftButton);
            QCOMPARE(yes.texts, QStringList({"هل تريد إجراء اختبار جديد لنفس الحالة؟"}));
        }
        QCOMPARE(text("eStudentCode"), QStringLiteral("2"));
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("0"));
        QCOMPARE(text("lTestStatus"), QStringLiteral("جارى"));
        QCOMPARE(gridText(grid(), 0, 5), QString());
        pick("spFindInfoSource", QStringLiteral("الأب"));
        pick("spFindTester", QStringLiteral("سالم"));
        clickCell(0, 3);
        test<QLineEdit>("eSchoolName")->setText(QStringLiteral("روضة"));
        QCOMPARE(save(), QStringList({"تم حفظ التعديلات بنجاح"}));
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("3"));
        QCOMPARE(reg->count("select count(*) as n from test_hdr where stud_code=2"), 3);
    }

    // However a closed test is reached, no click, answering key or hidden function key changes
    // it or asks anything.
    void aClosedTestTakesNoAnswerAndAsksNothing()
    {
        reg->test(2).on(daysAgo(30)).closed().allAnswered(Answer::Sometimes).add();
        openTestScreen();
        pick("spFindStudent", QStringLiteral("عبد الله"));
        QCOMPARE(text("lTestStatus"), QStringLiteral("منتهى"));
        for (const char *field : {"DTMeasDiagDate", "emMeasDiagHajDate", "eSchoolName"})
            QVERIFY2(test(field)->property("readOnly").toBool(), field);
        QVERIFY(!test("spFindTester")->isVisible() && !test("spFindInfoSource")->isVisible());
        BoxAnswerer boxes;
        clickCell(0, 2);
        clickCell(1, 4);
        grid()->setFocus();
        for (const QString key : {"1", "2", "3", "١", "٣"})
            typeText(grid(), key);
        QTest::keyClick(grid(), Qt::Key_Space);
        QTest::keyClick(grid(), Qt::Key_Delete);
        for (int key : {Qt::Key_F4, Qt::Key_F6, Qt::Key_F8})
            QTest::keyClick(grid(), Qt::Key(key));
        clickDomain("SPsocial", {QMessageBox::No});
        QCOMPARE(boxes.texts, QStringList());
        QCOMPARE(form()->currentDomain(), 2);
        for (int row = 0; row < 10; ++row)
            QCOMPARE(gridText(grid(), row, 3), QStringLiteral("1"));
        QCOMPARE(reg->count("select count(*) as n from test_dtl where stud_code=2 and ques_mark=2"),
                 50);
        QCOMPARE(reg->count("select count(*) as n from test_hdr where test_status=0"), 1);
    }

    // A child whose only test is closed gets a second one, answered from the keyboard domain by
    // domain, and closed: the case then has two closed tests to compare.
    void aFollowUpTestAnsweredFromTheKeyboard()
    {
        reg->test(2).on(daysAgo(30)).closed().allAnswered(Answer::Rarely).add();
        openTestScreen();
        startFollowUpTest(QStringLiteral("عبد الله"));
        // Dated before the closed test: the screen still shows this one once it is saved.
        const QDate testDate = QDate::currentDate().addDays(-40);
        test<QDateEdit>("DTMeasDiagDate")->setDate(testDate);
        test<QLineEdit>("eSchoolName")->setText(QStringLiteral("روضة"));
        form()->resize(900, 420);
        const char *domains[] = {"SPCommunication", "SPsocial", "SPsensory", "SPemotional",
                                 "SPbehaviour"};
        for (const char *domain : domains) {
            grid()->scrollToBottom();
            clickDomain(domain);
            QCOMPARE(grid()->currentIndex().row(), 0);
            QCOMPARE(grid()->verticalScrollBar()->value(), 0);
            grid()->setFocus();
            typeText(grid(), "١");
            QTest::keyClick(grid(), Qt::Key_Up);
            QTest::keyClick(grid(), Qt::Key_Delete);
            QCOMPARE(gridText(grid(), 0, 5), QString());
            for (int row = 0; row < 10; ++row)
                typeText(grid(), row % 2 ? "2" : "3");
            QCOMPARE(grid()->currentIndex().row(), 9);
            QCOMPARE(text("STtot_case_group_mark"), QStringLiteral("15"));
            QCOMPARE(save(), QStringList({"تم حفظ التعديلات بنجاح"}));
        }
        QCOMPARE(text("lTestStatus"), QStringLiteral("جارى"));
        QCOMPARE(reg->count("select count(*) as n from test_dtl where stud_code=2 and test_date='" +
                            testDate.toString(Qt::ISODate) + "' and ques_ans_val='Rarely'"),
                 25);
        BoxAnswerer yes({QMessageBox::Yes});
        QTest::mouseClick(test<QToolButton>("spCloseRep"), Qt::LeftButton);
        QCOMPARE(yes.texts.last(), QStringLiteral("تم إغلاق الاختبار بنجاح"));
        QCOMPARE(
            reg->count("select count(*) as n from test_hdr where stud_code=2 and test_status=0"),
            2);
        QVERIFY(test("spPrevMeas")->isVisible());
    }

    // A verdict judges complete answers: a domain's follows each click, the whole checklist's
    // its stored rows.
    void verdictsWaitForEveryAnswer()
    {
        // The first question is stored without an answer, the rest "أحياناً".
        reg->test(1)
            .on(daysAgo(3))
            .marked([](int domain, int question) {
                return domain == 1 && question == 1 ? 0 : checklist::markOf(Answer::Sometimes);
            })
            .add();
        openTestScreen();
        pick("spFindStudent", QStringLiteral("ريم"));
        const QString domainVerdict = QStringLiteral(
            "الحالة تعانى من التوحد على مستوى مجموعة إضطرابات التواصل اللفظى وغير اللفظى");
        QCOMPARE(text("Lgroup_comment"), QStringLiteral("أُجيب عن 9 من 10 أسئلة"));
        QCOMPARE(text("Lmeas_comment"), QStringLiteral("أُجيب عن 49 من 50 سؤالاً"));
        QCOMPARE(text("STtot_case_group_mark"), QStringLiteral("18"));
        clickCell(0, 2);
        QCOMPARE(text("STtot_case_group_mark"), QStringLiteral("21"));
        QCOMPARE(text("STgroup_perc"), QStringLiteral("70.00"));
        QCOMPARE(text("Lgroup_comment"), domainVerdict);
        QCOMPARE(text("Lmeas_comment"), QStringLiteral("أُجيب عن 49 من 50 سؤالاً"));
        for (int row = 1; row < 6; ++row)
            clickCell(row, 3);
        QCOMPARE(text("Lgroup_comment"), QStringLiteral("أُجيب عن 5 من 10 أسئلة"));
        QCOMPARE(text("STtot_case_group_mark"), QStringLiteral("11"));
        QCOMPARE(text("STgroup_perc"), QStringLiteral("36.67"));
        for (int row = 1; row < 6; ++row)
            clickCell(row, 4);
        QCOMPARE(text("STgroup_perc"), QStringLiteral("53.33"));
        QCOMPARE(save(), QStringList({"تم حفظ التعديلات بنجاح"}));
        QCOMPARE(text("Lgroup_comment"), domainVerdict);
        QCOMPARE(text("Lmeas_comment"),
                 QStringLiteral("الحالة تعانى من التوحد على مستوى المقياس ككل"));
        QCOMPARE(text("STtot_case_mark"), QStringLiteral("96"));
    }

    void buttonsFollowTheUserLevel()
    {
        reg->account({.code = 5, .level = 1});
        reg->account({.code = 6, .level = 3});
        for (int code : {5, 6}) {
            logIn(QString::number(code), QStringLiteral("pw%1").arg(code));
            form()->close();
            form()->show();
            QVERIFY(!test("spDelete")->isVisible());
            QVERIFY(!test("spCloseRep")->isVisible());
            QCOMPARE(test("spNew")->isVisible(), code == 5);
            QCOMPARE(test("spSave")->isVisible(), code == 5);
            QApplication::setActiveWindow(form());
            QTest::keyClick(test("eSchoolName"), Qt::Key_F4);
            QVERIFY(form()->isVisible());
        }
    }

    void anEmptyDomainShowsNoRateAndNoVerdict()
    {
        reg->run("delete from test_ques where ques_group=5");
        openTestScreen();
        pick("spFindStudent", QStringLiteral("ريم"));
        clickDomain("SPbehaviour");
        QCOMPARE(grid()->model()->rowCount(), 0);
        QCOMPARE(text("STtot_group_mark"), QStringLiteral("0"));
        QCOMPARE(text("STgroup_perc"), QStringLiteral("0.00"));
        QCOMPARE(text("Lgroup_comment"), QString());
        globals().ChecklistQuestionCount = 0;
        clickDomain("SPCommunication");
        QCOMPARE(text("STmeas_perc"), QStringLiteral("0.00"));
        QCOMPARE(text("Lmeas_comment"), QString());
    }

    void theCaseTestsButtonExplainsWhenThereIsNothingElse()
    {
        openTestScreen();
        BoxAnswerer boxes;
        form()->spPrevMeasClick();
        pick("spFindStudent", QStringLiteral("ريم"));
        form()->spPrevMeasClick();
        reg->test(1).on(daysAgo(2)).allAnswered(Answer::Sometimes).add();
        clickDomain("SPCommunication");
        form()->spPrevMeasClick();
        QCOMPARE(boxes.texts,
                 QStringList({"إختار حالة", "لاتوجد اختبارات لهذه الحالة",
                              "لاتوجد اختبارات أخرى لهذه الحالة بخلاف الاختبار المعروض"}));
    }

    // 1366 x 768 less a 40-px task bar and a window frame leaves the window 1366 x 668.
    void theScreenFitsALaptopAndNothingOnItIsCut()
    {
        const QString twoLines = QStringLiteral("لا يفهم تعابير الوجه والإيماءات ولا يستعملها، "
                                                "ولا يلتفت إلى من يحدثه ولا يرد على إشارته إذا "
                                                "أشار إليه أحد والديه أو معلمه");
        reg->run(QStringLiteral("update test_ques set ques_desc = '%1' where ques_group = 1 and "
                                "ques_id = 10")
                     .arg(twoLines));
        reg->test(1).allAnswered(Answer::Rarely).add();
        openTestScreen();
        // The questions come in on a wide window that is then made the laptop's size.
        form()->resize(2400, 1000);
        pick("spFindStudent", QStringLiteral("ريم"));
        // On the wide window the long question takes one line; it is drawn there once.
        auto *questions = test<QTableView>("SGmeas_diag");
        questions->viewport()->grab();
        QCOMPARE(questions->rowHeight(9), questions->rowHeight(0));
        form()->resize(1366, 668);
        QCOMPARE(form()->size(), QSize(1366, 668));
        // The rows and labels settle on timers and posted layout requests.
        QTest::qWait(100);

        QCOMPARE(questions->model()->rowCount(), 10);
        const QFontMetrics metrics(questions->font());
        const int textMargins = 6;
        for (int row = 0; row < 10; ++row) {
            const QModelIndex question = questions->model()->index(row, 1);
            const QByteArray number = QByteArray::number(row + 1);
            QVERIFY2(questions->viewport()->rect().contains(questions->visualRect(question)),
                     number.constData());
            const QRect wrapped =
                metrics.boundingRect(0, 0, questions->columnWidth(1) - textMargins, 1000,
                                     Qt::TextWordWrap, question.data().toString());
            QVERIFY2(wrapped.height() <= questions->rowHeight(row), number.constData());
        }
        QVERIFY(questions->rowHeight(9) > questions->rowHeight(0));
        // The questions, laid out once at each width, are drawn as the style draws a cell:
        // the current one too, and the long one at the width it has now.
        const QImage drawn = questions->viewport()->grab().toImage();
        QStyledItemDelegate plain;
        questions->setItemDelegateForColumn(1, &plain);
        const QImage asTheStyleDraws = questions->viewport()->grab().toImage();
        questions->setItemDelegateForColumn(1, nullptr);
        const QRect column(questions->columnViewportPosition(1), 0, questions->columnWidth(1),
                           questions->viewport()->height());
        QCOMPARE(drawn.copy(column), asTheStyleDraws.copy(column));
        const QAbstractItemView *cells = questions;
        QVERIFY(cells->sizeHintForColumn(0) <= questions->columnWidth(0));

        QCOMPARE(text("Lgroup_comment"),
                 checklist::screenDomainResult(checklist::Figures{10, 10, 10},
                                               test<QAbstractButton>("SPCommunication")->text()));
        for (const char *name : {"Lgroup_comment", "Lmeas_comment"}) {
            auto *verdict = test<QLabel>(name);
            QVERIFY2(verdict->hasHeightForWidth() &&
                         verdict->heightForWidth(verdict->width()) <= verdict->height(),
                     name);
        }
    }

    // The case form on one case and the test screen on another, both open: a save on either,
    // a domain switched and a case picked on the test screen leave each screen its own case,
    // on screen and in what is stored.
    void theCaseFormAndTheTestScreenKeepTheirOwnCases()
    {
        const int grandmother = reg->infoSource("الجدة", reg->infoSourceClass("الأقارب"));
        reg->test(2).answers(1, QList<Answer>(10, Answer::Sometimes)).add();
        const auto caseForm = [](const char *control) {
            return on<QLineEdit>("StudentsForm", control);
        };
        const auto saveCaseForm = [] {
            BoxAnswerer boxes;
            QTest::mouseClick(on<QToolButton>("StudentsForm", "spSave"), Qt::LeftButton);
            return boxes.texts;
        };
        const auto storedCase = [this](int code) {
            return reg->row(QStringLiteral("select stud_name, stud_main_street from student where "
                                           "stud_code = %1")
                                .arg(code));
        };
        const auto expectCaseForm = [&] {
            QCOMPARE(caseForm("eCode")->text(), QStringLiteral("1"));
            QCOMPARE(caseForm("eName")->text(), QStringLiteral("ريم خالد العمري"));
            QCOMPARE(on<QLabel>("StudentsForm", "Lage_years")->text(), QStringLiteral("5"));
        };
        const auto expectTestScreen = [&](const char *code, const QString &name) {
            QCOMPARE(text("eStudentCode"), QLatin1String(code));
            QCOMPARE(text("eStudentName"), name);
        };
        const QString abdullah = QStringLiteral("عبد الله سعد القحطاني");

        QTest::mouseClick(on<QToolButton>("MainForm", "SP_basic_data"), Qt::LeftButton);
        QTest::mouseClick(on<QToolButton>("BasicDataMainForm", "SP_students"), Qt::LeftButton);
        QTest::mouseClick(on<QToolButton>("StudentsForm", "spSudentFormSearch"), Qt::LeftButton);
        auto *byName = on<QLineEdit>("StudentQueryForm", "eStudentName");
        QTest::mouseClick(byName, Qt::LeftButton);
        typeText(byName, QStringLiteral("ريم"));
        auto *cases = on<QTableView>("StudentQueryForm", "DBGstudents");
        QCOMPARE(cases->model()->rowCount(), 1);
        cases->setCurrentIndex(cases->model()->index(0, 0));
        QTest::keyClick(cases, Qt::Key_Return);
        QVERIFY(screen("StudentsForm")->isVisible());
        openTestScreen();
        pick("spFindStudent", QStringLiteral("عبد الله"));
        QVERIFY(screen("StudentsForm")->isVisible());
        expectCaseForm();
        expectTestScreen("2", abdullah);
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("1"));
        QCOMPARE(text("Lage_years"), QStringLiteral("6"));

        caseForm("eMainStreet")->setText(QStringLiteral("شارع العليا"));
        QCOMPARE(saveCaseForm(), QStringList({"تم حفظ التعديلات بنجاح"}));
        expectCaseForm();
        expectTestScreen("2", abdullah);
        QCOMPARE(storedCase(1), QStringList({"ريم خالد العمري", "شارع العليا"}));
        QCOMPARE(storedCase(2), QStringList({abdullah, "شارع الملك فهد"}));

        clickDomain("SPsocial");
        QCOMPARE(form()->currentDomain(), 2);
        answerAll(2);
        pick("spFindInfoSource", QStringLiteral("الجدة"));
        QCOMPARE(save(), QStringList({"تم حفظ التعديلات بنجاح"}));
        expectTestScreen("2", abdullah);
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("1"));
        QCOMPARE(text("STtot_case_mark"), QStringLiteral("50"));
        expectCaseForm();
        QCOMPARE(caseForm("eMainStreet")->text(), QStringLiteral("شارع العليا"));
        QCOMPARE(reg->count(QStringLiteral("select count(*) from test_hdr where stud_code = 2 and "
                                           "test_no = 1 and info_source_id = %1")
                                .arg(grandmother)),
                 1);
        QCOMPARE(reg->count("select count(*) from test_dtl where stud_code = 2 and ques_group = 2 "
                            "and ques_mark = 3"),
                 10);
        QCOMPARE(reg->count("select count(*) from test_dtl where stud_code <> 2"), 0);

        pick("spFindStudent", QStringLiteral("يوسف"));
        expectTestScreen("3", QStringLiteral("يوسف أحمد"));
        caseForm("eName")->setText(QStringLiteral("ريم خالد"));
        QCOMPARE(saveCaseForm(), QStringList({"تم حفظ التعديلات بنجاح"}));
        QCOMPARE(caseForm("eCode")->text(), QStringLiteral("1"));
        expectTestScreen("3", QStringLiteral("يوسف أحمد"));
        QCOMPARE(storedCase(1), QStringList({"ريم خالد", "شارع العليا"}));
        QCOMPARE(storedCase(2), QStringList({abdullah, "شارع الملك فهد"}));
        QCOMPARE(storedCase(3), QStringList({"يوسف أحمد", "شارع الملك فهد"}));
        QCOMPARE(reg->count("select count(*) from student"), 3);
    }

    void everyWayOfLeavingUnsavedAnswersAsksFirst_data()
    {
        QTest::addColumn<QString>("way");
        for (const char *way : {"New", "F2", "picker", "code box", "tests list", "domain", "F12",
                                "Escape", "title bar", "logout"})
            QTest::newRow(way) << QString::fromLatin1(way);
    }

    // No keeps everything on screen; Yes drops the answer that was not saved.
    void everyWayOfLeavingUnsavedAnswersAsksFirst()
    {
        QFETCH(QString, way);
        showAnUnsavedAnswerOfAnOpenTest();
        {
            BoxAnswerer no({QMessageBox::No});
            leaveBy(way);
            QCOMPARE(no.texts, QStringList({messages::unsavedQuestion}));
        }
        expectTheUnsavedAnswerKept();
        {
            BoxAnswerer yes({QMessageBox::Yes});
            leaveBy(way);
            QCOMPARE(yes.texts, QStringList({messages::unsavedQuestion}));
        }
        QVERIFY(!form()->isVisible() || gridText(grid(), 0, 5) != QStringLiteral("3"));
        QCOMPARE(reg->count("select count(*) from test_dtl where ques_mark = 3"), 0);
    }

    void theHeaderOfAnOpenTestIsAnUnsavedChange_data()
    {
        QTest::addColumn<QString>("field");
        for (const char *field : {"school", "tester", "source", "date", "Hijri date"})
            QTest::newRow(field) << QString::fromLatin1(field);
    }

    void theHeaderOfAnOpenTestIsAnUnsavedChange()
    {
        QFETCH(QString, field);
        reg->test(2).on(daysAgo(5)).allAnswered(Answer::Rarely).add();
        openTestScreen();
        pick("spFindStudent", QStringLiteral("عبد الله"));
        QVERIFY(!form()->hasUnsavedChanges());
        if (field == "school") {
            typeText(test("eSchoolName"), QStringLiteral(" الأهلية"));
        } else if (field == "tester") {
            pick("spFindTester", QStringLiteral("سالم"));
        } else if (field == "source") {
            pick("spFindInfoSource", QStringLiteral("الأم"));
        } else if (field == "date") {
            test<QDateEdit>("DTMeasDiagDate")->setDate(daysAgo(6));
        } else {
            typeHijriTestDate(QStringLiteral("12"));
        }
        const QStringList before = {text("eSchoolName"), text("eTesterName"),
                                    text("eInfoSourceName"), text("emMeasDiagHajDate")};
        clickDomain("SPsocial", {QMessageBox::No});
        QCOMPARE(form()->currentDomain(), 1);
        {
            BoxAnswerer no({QMessageBox::No});
            form()->close();
            QCOMPARE(no.texts, QStringList({messages::unsavedQuestion}));
        }
        QVERIFY(form()->isVisible());
        QCOMPARE(QStringList({text("eSchoolName"), text("eTesterName"), text("eInfoSourceName"),
                              text("emMeasDiagHajDate")}),
                 before);
        clickDomain("SPsocial", {QMessageBox::Yes});
        QCOMPARE(form()->currentDomain(), 2);
        QCOMPARE(text("emMeasDiagHajDate"), hijri::fromGregorian(daysAgo(5)));
        QVERIFY(!form()->hasUnsavedChanges());
    }

    // In a follow-up New and the tests list ask about its answers; another case shows its own
    // stored open test, which a save then updates.
    void aFollowUpAsksLikeAnyTestAndEndsWithAnotherCase()
    {
        reg->test(2).number(1).on(daysAgo(40)).closed().allAnswered(Answer::Sometimes).add();
        reg->test(2).number(2).on(daysAgo(30)).closed().allAnswered(Answer::Sometimes).add();
        reg->test(3).number(3).on(daysAgo(4)).answers(1, QList<Answer>(10, Answer::Rarely)).add();
        openTestScreen();
        startFollowUpTest(QStringLiteral("عبد الله"));
        clickCell(0, 2);
        const auto expectFollowUpKept = [this] {
            QCOMPARE(text("eStudentCode"), QStringLiteral("2"));
            QCOMPARE(text("eMeasDiagNo"), QStringLiteral("0"));
            QCOMPARE(text("lTestStatus"), QStringLiteral("جارى"));
            QCOMPARE(gridText(grid(), 0, 5), QStringLiteral("3"));
        };
        for (const char *way : {"F2", "New", "tests list"}) {
            BoxAnswerer no({QMessageBox::No});
            leaveBy(way);
            QCOMPARE(no.texts, QStringList({messages::unsavedQuestion}));
            expectFollowUpKept();
        }
        screen("CaseMeasuresListForm")->close();
        {
            BoxAnswerer yes({QMessageBox::Yes});
            pick("spFindStudent", QStringLiteral("يوسف"));
            QCOMPARE(yes.texts, QStringList({messages::unsavedQuestion}));
        }
        QCOMPARE(text("eStudentCode"), QStringLiteral("3"));
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("3"));
        QCOMPARE(gridText(grid(), 0, 5), QStringLiteral("1"));
        clickCell(0, 3);
        QCOMPARE(save(), QStringList({"تم حفظ التعديلات بنجاح"}));
        QCOMPARE(reg->count("select count(*) from test_hdr where stud_code = 3"), 1);
        QCOMPARE(reg->count("select count(*) from test_dtl where stud_code = 3 and ques_mark = 2"),
                 1);
        newTest();
        pick("spFindStudent", QStringLiteral("عبد الله"));
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("2"));
        QCOMPARE(text("lTestStatus"), QStringLiteral("منتهى"));
        QCOMPARE(reg->count("select count(*) from test_hdr where stud_code = 2"), 2);
    }

    // The picker and the box show what is stored: a date typed and saved at once, a text that is
    // no date refused before anything is stored, and a date after today refused.
    void aHijriTestDateTypedAndSavedAtOnceWithF8()
    {
        openTestScreen();
        startCaseTest(QStringLiteral("ريم"));
        test<QLineEdit>("eSchoolName")->setText(QStringLiteral("روضة"));
        clickCell(0, 2);
        typeHijriTestDate(QStringLiteral("3013"));
        QCOMPARE(saveByF8(),
                 QStringList({"تاريخ الاختبار الهجرى \"\u206630/13/\u2069\" غير صحيح - اكتب "
                              "تاريخاً هجرياً صحيحاً باليوم والشهر والسنة "
                              "(يوم/شهر/سنة)"}));
        QCOMPARE(text("emMeasDiagHajDate"), hijri::fromGregorian(QDate::currentDate()));
        typeHijriTestDate(hijri::fromGregorian(QDate::currentDate().addDays(1)).remove('/'));
        QCOMPARE(saveByF8(), QStringList({"تاريخ الاختبار لا يمكن أن يكون بعد اليوم"}));
        QCOMPARE(reg->count("select count(*) from test_hdr"), 0);

        const QDate target = daysAgo(40);
        typeHijriTestDate(hijri::fromGregorian(target).remove('/'));
        QCOMPARE(saveByF8(), QStringList({"تم حفظ التعديلات بنجاح"}));
        QCOMPARE(test<QDateEdit>("DTMeasDiagDate")->date(), target);
        QCOMPARE(text("emMeasDiagHajDate"), hijri::fromGregorian(target));
        QCOMPARE(reg->row("select test_date, test_haj_date from test_hdr"),
                 QStringList({target.toString(Qt::ISODate), hijri::fromGregorian(target)}));
        QCOMPARE(reg->count(QStringLiteral("select count(*) from test_dtl where test_date = '%1'")
                                .arg(target.toString(Qt::ISODate))),
                 10);
    }

    // A case 8 years and a day old today: a date over the limit goes back to the last one that
    // was not, and a save over the limit is refused.
    void aTestOverTheAgeLimitIsNeverSaved()
    {
        reg->caseNamed("مشاعل", QDate::currentDate().addYears(-8).addDays(-1));
        openTestScreen();
        {
            BoxAnswerer ok;
            startCaseTest(QStringLiteral("مشاعل"));
            QCOMPARE(ok.texts, QStringList({ageLimitMessage()}));
        }
        test<QLineEdit>("eSchoolName")->setText(QStringLiteral("روضة"));
        clickCell(0, 2);
        QCOMPARE(save(), QStringList({ageLimitMessage()}));
        auto *testDate = test<QDateEdit>("DTMeasDiagDate");
        testDate->setDate(daysAgo(1));
        {
            BoxAnswerer ok;
            testDate->setDate(QDate::currentDate());
            QCOMPARE(ok.texts, QStringList({ageLimitMessage()}));
        }
        QCOMPARE(testDate->date(), daysAgo(1));
        QCOMPARE(text("emMeasDiagHajDate"), hijri::fromGregorian(daysAgo(1)));
        QCOMPARE(reg->count("select count(*) from test_hdr"), 0);
        QCOMPARE(save(), QStringList({"تم حفظ التعديلات بنجاح"}));
        QCOMPARE(reg->value("select test_date from test_hdr"), daysAgo(1).toString(Qt::ISODate));
    }

    // The case form on one child, the test screen on another: the tests list, its comparison and
    // its double click name the test screen's child, and follow it to a third; the case form,
    // moved and refused a delete meanwhile, stays on its own.
    void theTestsListAndItsComparisonFollowTheTestScreensCase()
    {
        for (int child : {1, 2, 3}) {
            reg->test(child).on(daysAgo(40 + child)).closed().allAnswered(Answer::Rarely).add();
            reg->test(child).on(daysAgo(20 + child)).closed().allAnswered(Answer::Always).add();
        }
        QTest::mouseClick(on<QToolButton>("MainForm", "SP_basic_data"), Qt::LeftButton);
        QTest::mouseClick(on<QToolButton>("BasicDataMainForm", "SP_students"), Qt::LeftButton);
        auto *caseForm = qobject_cast<TStudentsForm *>(screen("StudentsForm"));
        caseForm->loadCase(1);
        openTestScreen();
        pick("spFindStudent", QStringLiteral("عبد الله"));
        QTest::mouseClick(test<QToolButton>("spPrevMeas"), Qt::LeftButton);
        auto *tests = on<QTableView>("CaseMeasuresListForm", "DBGstud_meas_list");
        const auto expectList = [tests](const char *code, const QString &name, int child) {
            QCOMPARE(on<QLineEdit>("CaseMeasuresListForm", "eStudentCode")->text(),
                     QLatin1String(code));
            QCOMPARE(on<QLineEdit>("CaseMeasuresListForm", "eStudentName")->text(), name);
            QCOMPARE(gridText(tests, 0, 1), daysAgo(20 + child).toString("dd/MM/yyyy"));
            QCOMPARE(gridText(tests, 1, 1), daysAgo(40 + child).toString("dd/MM/yyyy"));
        };
        const auto compared = [tests] {
            tests->selectAll();
            PreviewCloser closer;
            on<QToolButton>("CaseMeasuresListForm", "spCompare")->click();
            const auto pages = TCaseTestsCompareReport::instance()->layOut();
            return QStringList({printed(pages, "pageHeader", "Lstud_name").value(0),
                                printed(pages, "pageHeader", "Ltest_date_1").value(0)});
        };
        expectList("2", QStringLiteral("عبد الله سعد القحطاني"), 2);
        caseForm->loadCase(3);
        {
            BoxAnswerer boxes;
            on<QToolButton>("StudentsForm", "spDelete")->click();
            QCOMPARE(boxes.texts,
                     QStringList({"لايُمكن إلغاء بيانات أساسية سبق تسجيل اختبارات عليها"}));
        }
        expectList("2", QStringLiteral("عبد الله سعد القحطاني"), 2);
        QCOMPARE(compared(), QStringList({QStringLiteral("عبد الله سعد القحطاني"),
                                          daysAgo(42).toString("dd/MM/yyyy")}));

        pick("spFindStudent", QStringLiteral("ريم"));
        QVERIFY(screen("CaseMeasuresListForm")->isVisible());
        expectList("1", QStringLiteral("ريم خالد العمري"), 1);
        QCOMPARE(compared(), QStringList({QStringLiteral("ريم خالد العمري"),
                                          daysAgo(41).toString("dd/MM/yyyy")}));
        doubleClickTestInList(1);
        QVERIFY(!screen("CaseMeasuresListForm")->isVisible());
        QCOMPARE(text("eStudentCode"), QStringLiteral("1"));
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("1"));
        QCOMPARE(test<QDateEdit>("DTMeasDiagDate")->date(), daysAgo(41));
        QCOMPARE(on<QLineEdit>("StudentsForm", "eCode")->text(), QStringLiteral("3"));
    }

    // The questions of a domain could not be read (the table was away, as when the server
    // failed the read): the grid is empty and a save says why and stores nothing.
    void aTestWhoseQuestionsCouldNotBeReadIsNeverSaved()
    {
        openTestScreen();
        startCaseTest(QStringLiteral("ريم"));
        test<QLineEdit>("eSchoolName")->setText(QStringLiteral("روضة"));
        reg->run("alter table test_ques rename to test_ques_away");
        {
            BoxAnswerer failed;
            QTest::mouseClick(test<QAbstractButton>("SPsocial"), Qt::LeftButton);
            QCOMPARE(failed.count(), 1);
            QCOMPARE(failed.icons.first(), QMessageBox::Critical);
        }
        reg->run("alter table test_ques_away rename to test_ques");
        QCOMPARE(grid()->model()->rowCount(), 0);
        QCOMPARE(save(), QStringList({"لم تُقرأ أسئلة هذه المجموعة من قاعدة البيانات، فلم يُحفظ "
                                      "شيء - اختر المجموعة مرة أخرى لقراءة أسئلتها ثم احفظ"}));
        QCOMPARE(reg->count("select count(*) from test_hdr"), 0);
        clickDomain("SPsocial");
        clickCell(0, 2);
        QCOMPARE(save(), QStringList({"تم حفظ التعديلات بنجاح"}));
        QCOMPARE(reg->count("select count(*) from test_dtl where ques_group = 2"), 10);
    }

    // Numbers are unique in a year: a test dated into a year where its number is taken takes
    // the next number of that year, and says so.
    void aTestDatedIntoAYearThatHasItsNumberTakesANewOne()
    {
        const QDate thisYear(QDate::currentDate().year(), 1, 1);
        reg->test(2).number(1).on(lastYearDate()).closed().allAnswered(Answer::Rarely).add();
        reg->test(2).number(2).on(lastYearDate()).closed().allAnswered(Answer::Rarely).add();
        reg->test(1).number(1).on(thisYear).allAnswered(Answer::Sometimes).add();
        openTestScreen();
        pick("spFindStudent", QStringLiteral("ريم"));
        const QDate moved = lastYearDate().addDays(3);
        test<QDateEdit>("DTMeasDiagDate")->setDate(moved);
        clickCell(0, 2);
        QCOMPARE(save(), QStringList({QStringLiteral("تم حفظ التعديلات بنجاح، وأصبح رقم الاختبار "
                                                     "3 لأن الرقم 1 مسجل لاختبار آخر فى سنة %1")
                                          .arg(moved.year())}));
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("3"));
        QCOMPARE(test<QDateEdit>("DTMeasDiagDate")->date(), moved);
        QCOMPARE(gridText(grid(), 0, 5), QStringLiteral("3"));
        const QString movedRows =
            QStringLiteral("select count(*) from %1 where stud_code = 1 and test_no = 3 and "
                           "test_date = '%2' and test_haj_date = '%3'")
                .arg("%1", moved.toString(Qt::ISODate), hijri::fromGregorian(moved));
        QCOMPARE(reg->count(movedRows.arg("test_hdr")), 1);
        QCOMPARE(reg->count(movedRows.arg("test_dtl")), 50);
        QCOMPARE(reg->count("select count(*) from test_dtl where stud_code = 2 and ques_mark = 1"),
                 100);
        clickCell(1, 2);
        QCOMPARE(save(), QStringList({"تم حفظ التعديلات بنجاح"}));
        QCOMPARE(text("eMeasDiagNo"), QStringLiteral("3"));
    }

    void tabFollowsTheTesterAndLeavesTheGrid()
    {
        openTestScreen();
        QApplication::setActiveWindow(form());
        test("spFindStudent")->setFocus();
        QStringList order{QApplication::focusWidget()->objectName()};
        for (int step = 0; step < 4; ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order, QStringList({"spFindStudent", "spFindInfoSource", "spFindTester",
                                     "eSchoolName", "SGmeas_diag"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(test("GRBgroups")->isAncestorOf(QApplication::focusWidget()));

        // Enter goes through the header's entry fields to the answers.
        test("eSchoolName")->setFocus();
        QStringList entered;
        for (int step = 0; step < 3; ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            entered << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(entered, QStringList({"DTMeasDiagDate", "emMeasDiagHajDate", "SGmeas_diag"}));

        auto *school = test<QLineEdit>("eSchoolName");
        school->clear();
        typeText(school, QString(120, QChar(0x0645)));
        QCOMPARE(school->text().size(), 100);
    }
};

SIMAT_TEST_MAIN(TestsTest)
#include "test_checklist.moc"
