// The screens of the audit log on both engines: "سجل التغييرات" from the basic data menu,
// newest first and narrowed by its filters, printed; the history of the case and the test on
// their screens; who may see them.
#include "fixtures.h"
#include "register_builder.h"

#include "core/bidi.h"
#include "data/audit_log.h"
#include "data/case_store.h"
#include "data/dm.h"
#include "data/test_store.h"
#include "ui/screens.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTableView>

using namespace simat;
using namespace simat::testing;

namespace {

QStringList column(const char *screenName, const char *gridName, int index)
{
    auto *grid = on<QTableView>(screenName, gridName);
    QStringList texts;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        texts << gridText(grid, row, index);
    return texts;
}

// The grids' columns: the time, the user, the workstation, the change, the table, then on the
// log screen the record.
constexpr int fieldColumn = 7;
constexpr int historyFieldColumn = 6;
constexpr int recordColumn = 5;

// A record's or an item's key as the grids word it: "الحالة 7".
QString keyWords(const QString &caption, int value)
{
    return caption + QLatin1Char(' ') + isolated(QString::number(value));
}

} // namespace

class AuditScreensTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestRegister> reg;

    int savedCase(const QString &name, const QString &mobile)
    {
        CaseRecord record;
        record.set("stud_name", name);
        record.set("stud_birth_date", QDate(2021, 3, 4));
        record.set("stud_guard_mobile_no", mobile);
        return CaseStore(*TDataModule1::instance()).save(record, 0, 1);
    }

    void logInAs(int level)
    {
        const int code = reg->account({.level = level});
        closeScreens();
        logIn(QString::number(code), QStringLiteral("pw%1").arg(code));
    }

private slots:
    void initTestCase_data() { addEngineRows(); }

    void init() { SIMAT_NEW_REGISTER_OF_ROW(reg); }

    void cleanup() { reg.reset(); }

    void theLogListsNewestFirstNarrowedByItsFiltersAndPrints()
    {
        const int first = savedCase("سارة علي", "0501234567");
        const int second = savedCase("ريم خالد", "0559876543");
        screens::show("BasicDataMainForm");
        on<QAbstractButton>("BasicDataMainForm", "SP_audit_log")->click();
        QVERIFY(screen("AuditLogForm")->isVisible());
        const QStringList records = column("AuditLogForm", "DBGlog", recordColumn);
        QVERIFY(records.size() >= 6);
        QCOMPARE(records.first(), keyWords("الحالة", second));
        // The administrator's new password of the first login comes before.
        QCOMPARE(records.last(), keyWords("المستخدم", 1));
        QCOMPARE(records.at(records.size() - 2), keyWords("الحالة", first));
        QCOMPARE(gridText(on<QTableView>("AuditLogForm", "DBGlog"), 0, 3), "إضافة");

        on<QLineEdit>("AuditLogForm", "eStudentCode")->setText(QString::number(first));
        on<QAbstractButton>("AuditLogForm", "spRun")->click();
        const QStringList ofFirst = column("AuditLogForm", "DBGlog", recordColumn);
        QCOMPARE(ofFirst.size(), (records.size() - 1) / 2);
        QCOMPARE(ofFirst.count(keyWords("الحالة", first)), ofFirst.size());
        QVERIFY(column("AuditLogForm", "DBGlog", fieldColumn).contains("رقم الجوال"));

        auto *tables = on<QComboBox>("AuditLogForm", "CBtable");
        tables->setCurrentIndex(tables->findData("users"));
        on<QAbstractButton>("AuditLogForm", "spRun")->click();
        QCOMPARE(column("AuditLogForm", "DBGlog", recordColumn), QStringList());

        tables->setCurrentIndex(tables->findData("student"));
        auto *from = on<QDateEdit>("AuditLogForm", "DTfrom");
        from->setDate(QDate::currentDate().addDays(1));
        on<QAbstractButton>("AuditLogForm", "spRun")->click();
        QCOMPARE(column("AuditLogForm", "DBGlog", recordColumn), QStringList());
        from->setDate(QDate::currentDate());

        PreviewCloser closer;
        on<QAbstractButton>("AuditLogForm", "spPrint")->click();
        QCOMPARE(closer.shown, 1);
    }

    // The test was moved to another date: its history goes back to its first save.
    void theTestScreenShowsTheWholeHistoryOfItsTestInWords()
    {
        const int child = reg->caseNamed("سارة", QDate(2021, 3, 4));
        TestStore store(*TDataModule1::instance());
        ChecklistTest test;
        test.identity = {0, 0, QDate::currentDate().addDays(-1), child};
        test.testerId = 1;
        test.infoSourceId = 1;
        QList<AnsweredQuestion> answers = store.domainQuestions(1);
        answers[0].answer = checklist::Answer::Always;
        test.setAnswers(answers);
        test.identity.testNo = store.saveNew(test, 1, 1);
        const QString firstKey = audit::keyText(audit::testKey(test.identity));
        const TestIdentity stored = test.identity;
        answers[0].answer = checklist::Answer::Rarely;
        test.setAnswers(answers);
        test.identity.testDate = QDate::currentDate();
        test.identity.testNo = store.saveStored(stored, test, 1, 1);
        QVERIFY(test.identity.testNo > 0);
        savedCase("ريم", "0500000000");

        screens::show("MeasureDiagonsisForm");
        on<QLineEdit>("MeasureDiagonsisForm", "eStudentCode")->setText(QString::number(child));
        on<QAbstractButton>("MeasureDiagonsisForm", "spHistory")->click();
        QVERIFY(screen("RecordHistoryForm")->isVisible());
        const QStringList fields = column("RecordHistoryForm", "DBGhistory", historyFieldColumn);
        QCOMPARE(fields.size(),
                 reg->count(QStringLiteral("select count(*) from audit_log where table_name like "
                                           "'test%' and record_key in ('%1', '%2')")
                                .arg(firstKey, audit::keyText(audit::testKey(test.identity)))));
        QCOMPARE(fields.mid(0, 2), QStringList({"الدرجة", "الإجابة"}));
        QVERIFY(fields.contains("تاريخ الاختبار"));
        auto *grid = on<QTableView>("RecordHistoryForm", "DBGhistory");
        QCOMPARE(gridText(grid, 1, 5), keyWords("المجال", 1) + "، " + keyWords("السؤال", 1));
        QCOMPARE(gridText(grid, 1, 7), "دائماً");
        QCOMPARE(gridText(grid, 1, 8), "نادراً");
        QCOMPARE(column("RecordHistoryForm", "DBGhistory", 3).last(), "إضافة");
        QVERIFY(column("RecordHistoryForm", "DBGhistory", 8).contains("جارى"));
    }

    void theCaseFormShowsTheHistoryOfItsCase()
    {
        const int code = savedCase("سارة علي", "0501234567");
        savedCase("ريم خالد", "0559876543");
        screens::show("StudentsForm");
        on<QLineEdit>("StudentsForm", "eCode")->setText(QString::number(code));
        on<QAbstractButton>("StudentsForm", "spHistory")->click();
        const QStringList fields = column("RecordHistoryForm", "DBGhistory", historyFieldColumn);
        QVERIFY(fields.contains("الاسم"));
        QCOMPARE(fields.size(), reg->count(QStringLiteral("select count(*) from audit_log where "
                                                          "record_key = 'stud_code=%1'")
                                               .arg(code)));
    }

    void onlyAnAdministratorReadsTheLogAndASupervisorAHistory()
    {
        logInAs(1);
        screens::show("BasicDataMainForm");
        QVERIFY(!on<QAbstractButton>("BasicDataMainForm", "SP_audit_log")->isEnabled());
        screens::show("StudentsForm");
        QVERIFY(
            on<QAbstractButton>("StudentsForm", "spHistory")->isVisibleTo(screen("StudentsForm")));
        logInAs(2);
        screens::show("StudentsForm");
        QVERIFY(
            !on<QAbstractButton>("StudentsForm", "spHistory")->isVisibleTo(screen("StudentsForm")));
        screens::show("MeasureDiagonsisForm");
        QVERIFY(!on<QAbstractButton>("MeasureDiagonsisForm", "spHistory")
                     ->isVisibleTo(screen("MeasureDiagonsisForm")));
    }
};

SIMAT_TEST_MAIN(AuditScreensTest)
#include "test_audit_screens.moc"
