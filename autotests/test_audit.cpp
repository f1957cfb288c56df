// The audit log on both engines: the rows a save of a case, of a test's domain, a test's
// deletion and a password change write, none for a save rolled back, and the log across a
// restore.
#include "fixtures.h"
#include "register_builder.h"

#include "core/error.h"
#include "data/accounts.h"
#include "data/audit_log.h"
#include "data/backup.h"
#include "data/case_store.h"
#include "data/dm.h"
#include "data/test_store.h"

#include <QSysInfo>
#include <QTemporaryDir>

using namespace simat;
using namespace simat::testing;

namespace {

constexpr int sessionUser = 7;

// The fields the log holds of a table, in the order they were written: "kind field old new".
const char *fieldsOf = "select change_type || ' ' || coalesce(item_key, '') || ' ' || field_name "
                       "|| ' ' || coalesce(old_value, '') || ' ' || coalesce(new_value, '') "
                       "from audit_log where table_name='%1' order by log_id";

} // namespace

class AuditTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_database;
    std::unique_ptr<TDataModule1> m_dm;
    std::unique_ptr<Register> reg;

    Database &db() { return m_dm->Database1; }

    QStringList logOf(const char *table)
    {
        QStringList fields = reg->rows(QString::fromLatin1(fieldsOf).arg(QLatin1String(table)));
        for (QString &field : fields)
            field = field.simplified();
        return fields;
    }

    CaseRecord newCase()
    {
        CaseRecord record;
        record.set("stud_name", QStringLiteral("سارة علي"));
        record.set("stud_birth_date", QDate(2021, 3, 4));
        record.set("stud_guard_mobile_no", QStringLiteral("0501234567"));
        return record;
    }

    // A test of the case with the first domain answered "Always" but for its second question.
    ChecklistTest testOfDomainOne(TestStore &store, int caseCode)
    {
        ChecklistTest test;
        test.identity = {0, 0, QDate::currentDate().addDays(-3), caseCode};
        test.testerId = 1;
        test.infoSourceId = 1;
        QList<AnsweredQuestion> answers = store.domainQuestions(1);
        for (AnsweredQuestion &answer : answers)
            answer.answer = checklist::Answer::Always;
        answers[1].answer = checklist::Answer::Rarely;
        test.setAnswers(answers);
        return test;
    }

private slots:
    void initTestCase_data() { addEngineRows(); }

    void init()
    {
        SIMAT_NEW_DATABASE_OF_ROW(m_database);
        m_dm = std::make_unique<TDataModule1>();
        db().open(parseAlias(m_database->alias()));
        db().setSessionUser(sessionUser);
        reg = std::make_unique<Register>(*m_dm);
    }

    void cleanup()
    {
        reg.reset();
        m_dm.reset();
        m_database.reset();
    }

    void aCaseSavedTwiceLogsItsFieldsThenWhatChanged()
    {
        CaseStore store(*m_dm);
        CaseRecord record = newCase();
        const int code = store.save(record, 0, sessionUser);
        QVERIFY(code > 0);
        const QStringList inserted = logOf("student");
        QVERIFY(inserted.contains("1 stud_name سارة علي"));
        QVERIFY(inserted.contains("1 stud_birth_date 2021-03-04"));
        QVERIFY(inserted.contains("1 stud_guard_mobile_no 0501234567"));
        // Neither the audit columns nor the fields left empty.
        QVERIFY(!inserted.join(' ').contains("who_insert"));
        QVERIFY(!inserted.join(' ').contains("stud_id_no"));

        record.set("stud_code", code);
        record.set("stud_guard_mobile_no", QStringLiteral("0559876543"));
        QCOMPARE(store.save(record, 0, sessionUser), code);
        QCOMPARE(logOf("student").mid(inserted.size()),
                 QStringList({"2 stud_guard_mobile_no 0501234567 0559876543"}));
        QCOMPARE(reg->rows("select distinct user_code || ' ' || host_name || ' ' || record_key || "
                           "' ' || stud_code from audit_log"),
                 QStringList({QStringLiteral("%1 %2 stud_code=%3 %3")
                                  .arg(sessionUser)
                                  .arg(QSysInfo::machineHostName())
                                  .arg(code)}));
        const QString when = reg->value("select max(changed_at) from audit_log");
        QVERIFY2(QDateTime::fromString(when, "yyyy-MM-dd HH:mm:ss")
                         .secsTo(QDateTime::currentDateTime()) < 60,
                 qPrintable(when));
    }

    void aDomainSavedAndChangedLogsEachAnswerThenTheChangedOne()
    {
        const int child = reg->caseNamed(QStringLiteral("سارة"), QDate(2021, 3, 4));
        TestStore store(*m_dm);
        ChecklistTest test = testOfDomainOne(store, child);
        const int number = store.saveNew(test, 1, sessionUser);
        QVERIFY(number > 0);
        test.identity.testNo = number;
        const int questions = test.domainAnswers(1).size();
        const QStringList answers = logOf("test_dtl");
        QCOMPARE(answers.size(), 3 * questions);
        QVERIFY(answers.contains("1 ques_group=1 ques_id=2 ques_ans_val Rarely"));
        QVERIFY(answers.contains("1 ques_group=1 ques_id=2 ques_mark 1"));
        QVERIFY(logOf("test_hdr").contains("1 tester_id 1"));

        QList<AnsweredQuestion> changed = test.domainAnswers(1);
        changed[1].answer = checklist::Answer::Sometimes;
        test.replaceDomain(1, changed);
        QCOMPARE(store.saveStored(test.identity, test, 1, sessionUser), number);
        QCOMPARE(logOf("test_dtl").mid(answers.size()),
                 QStringList({"2 ques_group=1 ques_id=2 ques_ans_val Rarely Sometimes",
                              "2 ques_group=1 ques_id=2 ques_mark 1 2"}));
        // Every row names the whole test.
        QCOMPARE(reg->rows("select distinct record_key from audit_log where table_name like "
                           "'test%'"),
                 QStringList({audit::keyText(audit::testKey(test.identity))}));
        QVERIFY(audit::keyText(audit::testKey(test.identity))
                    .startsWith(QStringLiteral("branch_no=0 test_no=%1 test_date=").arg(number)));
    }

    void aDeletedTestKeepsItsOldValuesInTheLog()
    {
        const int child = reg->caseNamed(QStringLiteral("سارة"), QDate(2021, 3, 4));
        const TestIdentity test =
            reg->test(child).marks(1, {3, 1}).marks(2, {2}).school("روضة النور").add();
        TestStore store(*m_dm);
        QVERIFY(store.remove(test));
        QCOMPARE(reg->count("select count(*) from test_hdr"), 0);
        const QStringList header = logOf("test_hdr");
        QVERIFY(header.contains("3 school_name روضة النور"));
        QVERIFY(header.contains("3 test_status 1"));
        QCOMPARE(logOf("test_dtl"), QStringList({"3 ques_group=1 ques_id=1 ques_ans_val Always",
                                                 "3 ques_group=1 ques_id=1 ques_mark 3",
                                                 "3 ques_group=1 ques_id=1 ques_status 1",
                                                 "3 ques_group=1 ques_id=2 ques_ans_val Rarely",
                                                 "3 ques_group=1 ques_id=2 ques_mark 1",
                                                 "3 ques_group=1 ques_id=2 ques_status 1",
                                                 "3 ques_group=2 ques_id=1 ques_ans_val Sometimes",
                                                 "3 ques_group=2 ques_id=1 ques_mark 2",
                                                 "3 ques_group=2 ques_id=1 ques_status 1"}));
    }

    void aChangedPasswordIsLoggedWithoutAnyValue()
    {
        const int code = reg->account({.level = 1});
        const QString before = reg->value(
            QStringLiteral("select user_password from users where user_code=%1").arg(code));
        const int rowsBefore = reg->count("select count(*) from audit_log");
        QVERIFY(db().inTransaction([&] { accounts::setPassword(db(), code, "new-secret"); }));
        QCOMPARE(reg->rows("select field_name || ' ' || coalesce(old_value, '-') || ' ' || "
                           "new_value from audit_log where table_name='users' and change_type=2"),
                 QStringList({"user_password - " + audit::passwordChanged}));
        QCOMPARE(reg->count("select count(*) from audit_log"), rowsBefore + 1);
        const QString after = reg->value(
            QStringLiteral("select user_password from users where user_code=%1").arg(code));
        for (const QString &row : reg->rows("select * from audit_log")) {
            QVERIFY(!row.contains("new-secret"));
            QVERIFY(!row.contains(before));
            QVERIFY(!row.contains(after));
            QVERIFY(!row.contains("argon2"));
        }
    }

    // The log of the answers is refused once the header's is written: the whole save is rolled
    // back, the header's log rows with it.
    void aSaveRolledBackLeavesNoLogRow()
    {
        const int child = reg->caseNamed(QStringLiteral("سارة"), QDate(2021, 3, 4));
        if (engineOfRow() == TestDatabase::Engine::SQLite) {
            reg->run("create trigger refuse_answers_log before insert on audit_log when "
                     "new.table_name='test_dtl' begin select raise(abort, 'refused'); end");
        } else {
            reg->run("create function refuse_log() returns trigger language plpgsql as $$ begin "
                     "if new.table_name = 'test_dtl' then raise exception 'refused'; end if; "
                     "return new; end $$");
            reg->run("create trigger refuse_answers_log before insert on audit_log for each row "
                     "execute function refuse_log()");
        }
        const int rowsBefore = reg->count("select count(*) from audit_log");
        TestStore store(*m_dm);
        QCOMPARE(store.saveNew(testOfDomainOne(store, child), 1, sessionUser), 0);
        QVERIFY2(store.lastFailure().contains("refused"), qPrintable(store.lastFailure()));
        QCOMPARE(reg->count("select count(*) from test_hdr"), 0);
        QCOMPARE(reg->count("select count(*) from audit_log"), rowsBefore);
    }

    void aRestoreKeepsTheLogOfTheBackupAndSaysSo()
    {
        QTemporaryDir folder;
        CaseStore store(*m_dm);
        const int code = store.save(newCase(), 0, sessionUser);
        const QString saved = folder.filePath(backup::fileName(db()));
        backup::save(db(), saved);
        const QStringList logged = reg->rows("select * from audit_log order by log_id");
        QVERIFY(store.remove(code));
        QVERIFY(reg->rows("select * from audit_log order by log_id") != logged);

        backup::restore(db(), saved);
        const QStringList restored = reg->rows("select * from audit_log order by log_id");
        QCOMPARE(restored.mid(0, logged.size()), logged);
        QCOMPARE(restored.size(), logged.size() + 1);
        QCOMPARE(reg->rows("select change_type || ' ' || field_name || ' ' || new_value || ' ' || "
                           "user_code from audit_log where table_name = '' or table_name is null"),
                 QStringList({QStringLiteral("4 restore %1 %2")
                                  .arg(QFileInfo(saved).fileName())
                                  .arg(sessionUser)}));
        // The log goes on after the restored rows.
        QVERIFY(store.remove(code));
        QVERIFY(reg->count("select count(*) from audit_log") > restored.size());
    }

    void aRegisterOfTheVersionBeforeGetsTheLog()
    {
        const DatabaseAlias alias = db().alias();
        reg->run("drop table audit_log");
        reg->run("update schema_version set version = 2");
        db().close();
        db().open(alias);
        QCOMPARE(reg->count("select count(*) from audit_log"), 0);
        CaseStore store(*m_dm);
        QVERIFY(store.save(newCase(), 0, sessionUser) > 0);
        QVERIFY(reg->count("select count(*) from audit_log") > 0);
    }
};

SIMAT_TEST_MAIN(AuditTest)
#include "test_audit.moc"
