#include "test_store.h"

#include "audit_log.h"
#include "core/error.h"
#include "core/hijri.h"
#include "dm.h"
#include "statement_texts.h"
#include "test_identity.h"

namespace simat {

namespace {

const QString missingTest = QStringLiteral("الاختبار غير موجود");

// A test of a branch and year with a given number.
const QStringList numberOfYearTaken = {
    QStringLiteral("select count(*) as tests from test_hdr where branch_no=:branch_no and "
                   "test_no=:test_no and year(test_date)=:test_year")};

// A test given another number and date, its header and all its rows at once.
QStringList moveTestTo(const char *table)
{
    return {QStringLiteral("update %1 set test_no=:new_test_no, test_date=:new_test_date, "
                           "test_haj_date=:test_haj_date where branch_no=:branch_no and "
                           "test_no=:test_no and test_date=:test_date and stud_code=:stud_code")
                .arg(QLatin1String(table))};
}

// The lines of the case's test rows that narrow them to one test.
constexpr int testNoLine = 3;
constexpr int testDateLine = 4;

void declareTestIdentity(Statement &statement)
{
    statement.declare(QStringLiteral("branch_no"), ParamType::Integer);
    statement.declare(QStringLiteral("test_no"), ParamType::Integer);
    statement.declare(QStringLiteral("test_date"), ParamType::Date);
    statement.declare(QStringLiteral("stud_code"), ParamType::Integer);
}

TestIdentity identityOfRow(const Statement &rows)
{
    return {rows.intValue(QStringLiteral("branch_no")), rows.intValue(QStringLiteral("test_no")),
            rows.dateValue(QStringLiteral("test_date")),
            rows.intValue(QStringLiteral("stud_code"))};
}

AnsweredQuestion answerOfRow(const Statement &rows)
{
    AnsweredQuestion answer;
    answer.id = rows.intValue(QStringLiteral("ques_id"));
    answer.domain = rows.intValue(QStringLiteral("ques_group"));
    answer.answer =
        checklist::answerOfStoredWord(rows.textValue(QStringLiteral("ques_ans_val")).trimmed());
    return answer;
}

AnsweredQuestion answerWithTextOfRow(const Statement &rows)
{
    AnsweredQuestion answer = answerOfRow(rows);
    answer.text = rows.textValue(QStringLiteral("ques_desc"));
    return answer;
}

ChecklistTest headerOfRow(const Statement &rows)
{
    ChecklistTest test;
    test.identity = identityOfRow(rows);
    test.status = checklist::statusOfStoredCode(rows.intValue(QStringLiteral("test_status")));
    test.testerId = rows.intValue(QStringLiteral("tester_id"));
    test.infoSourceId = rows.intValue(QStringLiteral("info_source_id"));
    test.school = rows.textValue(QStringLiteral("school_name"));
    return test;
}

CaseSummary caseOfRow(const Statement &rows)
{
    return {rows.intValue(QStringLiteral("stud_code")),
            rows.textValue(QStringLiteral("stud_name")),
            rows.dateValue(QStringLiteral("stud_birth_date")),
            rows.textValue(QStringLiteral("stud_birth_haj_date")).trimmed(),
            rows.textValue(QStringLiteral("stud_main_street")),
            rows.textValue(QStringLiteral("stud_guard_home_phone_no")),
            rows.textValue(QStringLiteral("stud_guard_mobile_no"))};
}

NamedInClass namedInClass(Statement &statement, int code, const char *name, const char *className)
{
    statement.setParam(QStringLiteral("param_1"), code);
    statement.open();
    return {statement.textValue(QLatin1String(name)),
            statement.textValue(QLatin1String(className))};
}

} // namespace

TestStore::TestStore(TDataModule1 &dm)
    : m_dm(dm)
    , m_case(ownStatement("TestStoreCase",
                          texts::caseWithLookups(QStringLiteral("where stud_code=:stud_code"))))
    , m_tester(ownStatement("TestStoreTester", texts::testerWithClass()))
    , m_infoSource(ownStatement("TestStoreInfoSource", texts::infoSourceWithClass()))
    , m_questions(ownStatement("TestStoreQuestions", texts::domainQuestions()))
    , m_headers(ownStatement("TestStoreHeaders", texts::comparedCaseTests()))
    , m_rows(ownStatement("TestStoreRows", texts::caseTestRows()))
    , m_openTests(ownStatement("TestStoreOpenTests", texts::caseTestsByStatus()))
    , m_numberTaken(ownStatement("TestStoreNumberTaken", numberOfYearTaken))
    , m_moveHeader(ownStatement("TestStoreMoveHeader", moveTestTo("test_hdr")))
    , m_moveRows(ownStatement("TestStoreMoveRows", moveTestTo("test_dtl")))
{
    m_case->declare(QStringLiteral("stud_code"), ParamType::Integer);
    m_tester->declare(QStringLiteral("param_1"), ParamType::Integer);
    m_infoSource->declare(QStringLiteral("param_1"), ParamType::Integer);
    m_questions->declare(QStringLiteral("ques_group"), ParamType::Integer);
    m_headers->declare(QStringLiteral("stud_code"), ParamType::Integer);
    declareTestIdentity(*m_rows);
    m_openTests->declare(QStringLiteral("stud_code"), ParamType::Integer);
    m_openTests->declare(QStringLiteral("test_status"), ParamType::Integer);
    m_numberTaken->declare(QStringLiteral("branch_no"), ParamType::Integer);
    m_numberTaken->declare(QStringLiteral("test_no"), ParamType::Integer);
    m_numberTaken->declare(QStringLiteral("test_year"), ParamType::Integer);
    for (Statement *move : {m_moveHeader.get(), m_moveRows.get()}) {
        declareTestIdentity(*move);
        move->declare(QStringLiteral("new_test_no"), ParamType::Integer);
        move->declare(QStringLiteral("new_test_date"), ParamType::Date);
        move->declare(QStringLiteral("test_haj_date"), ParamType::Text);
    }
}

TestStore::~TestStore() = default;

std::unique_ptr<Statement> TestStore::ownStatement(const char *name, const QStringList &lines)
{
    return std::make_unique<Statement>(m_dm.Database1, QLatin1String(name), lines);
}

const QString &TestStore::lastFailure() const
{
    return m_dm.Database1.lastFailure();
}

namespace {

// The tables of a test: its header, and its answers (of one domain, or all of them).
QList<audit::RecordPart> testParts(std::optional<int> domain = {})
{
    return {{QStringLiteral("test_hdr")},
            {QStringLiteral("test_dtl"),
             domain ? audit::Key{{QStringLiteral("ques_group"), *domain}} : audit::Key{},
             {QStringLiteral("ques_group"), QStringLiteral("ques_id")}}};
}

audit::RecordChange testChange(Database &database, const TestIdentity &test,
                               std::optional<int> domain = {})
{
    return {database, testParts(domain), audit::testKey(test)};
}

} // namespace

// ---------------------------------------------------------------- reads

std::optional<CaseSummary> TestStore::caseOf(int caseCode)
{
    m_case->setParam(QStringLiteral("stud_code"), caseCode);
    m_case->open();
    if (m_case->isEmpty())
        return std::nullopt;
    return caseOfRow(*m_case);
}

NamedInClass TestStore::tester(int testerId)
{
    return namedInClass(*m_tester, testerId, "tester_name", "tester_class_name");
}

NamedInClass TestStore::infoSource(int infoSourceId)
{
    return namedInClass(*m_infoSource, infoSourceId, "info_source_name", "info_source_class_name");
}

QList<AnsweredQuestion> TestStore::domainQuestions(int domain)
{
    m_questions->setParam(QStringLiteral("ques_group"), domain);
    m_questions->open();
    QList<AnsweredQuestion> questions;
    for (m_questions->first(); !m_questions->atEnd(); m_questions->next())
        questions << AnsweredQuestion{m_questions->intValue(QStringLiteral("ques_id")),
                                      m_questions->textValue(QStringLiteral("ques_desc")),
                                      m_questions->intValue(QStringLiteral("ques_group"))};
    return questions;
}

int TestStore::testCount(int caseCode)
{
    m_headers->setParam(QStringLiteral("stud_code"), caseCode);
    m_headers->open();
    return m_headers->rowCount();
}

bool TestStore::hasOpenTest(int caseCode)
{
    m_openTests->setParam(QStringLiteral("stud_code"), caseCode);
    m_openTests->setParam(QStringLiteral("test_status"),
                          checklist::storedCode(checklist::TestStatus::Open));
    m_openTests->open();
    return !m_openTests->isEmpty();
}

// The rows come latest test first; the test is that of the first row.
std::optional<ChecklistTest> TestStore::firstTestOf(Statement &rows, int caseCode)
{
    rows.setParam(QStringLiteral("stud_code"), caseCode);
    rows.open();
    if (rows.isEmpty())
        return std::nullopt;
    rows.first();
    ChecklistTest test = headerOfRow(rows);
    QList<AnsweredQuestion> answers;
    for (; !rows.atEnd() && identityOfRow(rows) == test.identity; rows.next())
        answers << answerOfRow(rows);
    test.setAnswers(std::move(answers));
    return test;
}

// The case's tests are read whatever their branch, as the case's code names them; a condition
// on the branch would lead the engine through the branch's tests by date instead of the case's.
std::optional<ChecklistTest> TestStore::latestTestOf(int caseCode)
{
    m_rows->setLine(testNoLine, QString());
    m_rows->setLine(testDateLine, QString());
    return firstTestOf(*m_rows, caseCode);
}

std::optional<ChecklistTest> TestStore::load(const TestIdentity &test)
{
    m_rows->setLine(testNoLine,
                    QStringLiteral("and a.branch_no=:branch_no and a.test_no=:test_no"));
    m_rows->setLine(testDateLine, QStringLiteral("and a.test_date=:test_date"));
    bindTestIdentity(*m_rows, test);
    return firstTestOf(*m_rows, test.caseCode);
}

// Judged on the stored rows: every question has a row and none is unanswered.
bool TestStore::isComplete(const TestIdentity &test, int checklistQuestions)
{
    Statement *stored = m_dm.FindStudMeasQuesCountQyery;
    bindTestIdentity(*stored, test);
    stored->open();
    if (stored->intValue(QStringLiteral("count_of_ques")) != checklistQuestions)
        return false;
    Statement *unanswered = m_dm.FindStudMeasNonAnswerQuesCountQyery;
    bindTestIdentity(*unanswered, test);
    unanswered->open();
    return unanswered->intValue(QStringLiteral("count_of_non_ans_ques")) == 0;
}

QList<ChecklistTest> TestStore::testsOf(int caseCode)
{
    m_headers->setParam(QStringLiteral("stud_code"), caseCode);
    m_headers->open();
    QList<ChecklistTest> tests;
    for (m_headers->first(); !m_headers->atEnd(); m_headers->next())
        tests << headerOfRow(*m_headers);
    return tests;
}

PrintedTest TestStore::printed(const TestIdentity &test)
{
    Statement &rows = *m_dm.StudMeasQuery;
    bindTestIdentity(rows, test);
    rows.open();
    PrintedTest printed;
    if (rows.isEmpty())
        return printed;
    rows.first();
    printed.test = headerOfRow(rows);
    printed.child = caseOfRow(rows);
    printed.test.birthDate = printed.child.birthDate;
    printed.testerName = rows.textValue(QStringLiteral("tester_name"));
    printed.infoSourceName = rows.textValue(QStringLiteral("info_source_name"));
    QList<AnsweredQuestion> answers;
    for (; !rows.atEnd(); rows.next()) {
        answers << answerWithTextOfRow(rows);
        printed.domainNames[answers.last().domain] =
            rows.textValue(QStringLiteral("ques_group_name"));
    }
    printed.test.setAnswers(std::move(answers));
    return printed;
}

ChecklistTest TestStore::answeredWithTexts(Statement &rows, const TestIdentity &test)
{
    bindTestIdentity(rows, test);
    rows.open();
    ChecklistTest answered;
    answered.identity = test;
    QList<AnsweredQuestion> answers;
    for (rows.first(); !rows.atEnd(); rows.next())
        answers << answerWithTextOfRow(rows);
    answered.setAnswers(std::move(answers));
    return answered;
}

std::pair<ChecklistTest, ChecklistTest> TestStore::compared(const TestIdentity &earlier,
                                                            const TestIdentity &later)
{
    return {answeredWithTexts(*m_dm.CaseTestNo1Query, earlier),
            answeredWithTexts(*m_dm.CaseTestNo2Query, later)};
}

QString TestStore::domainName(int domain)
{
    Statement &names = *m_dm.FindGroupQuesQuery;
    names.setParam(QStringLiteral("ques_group_id"), domain);
    names.open();
    return names.isEmpty() ? QString() : names.textValue(QStringLiteral("ques_group_name"));
}

// ---------------------------------------------------------------- writes

// A new test takes the next number of its branch in the year of its date, the year the
// register keeps each number unique in.
int TestStore::saveNew(const ChecklistTest &test, int domain, int userCode)
{
    int number = 0;
    const bool saved = m_dm.Database1.inTransaction([&] {
        const TestIdentity &named = test.identity;
        number = nextNumberOfYear(named.branchNo, named.testDate.year());
        TestIdentity numbered = named;
        numbered.testNo = number;
        audit::RecordChange change = audit::RecordChange::ofNewRecord(
            m_dm.Database1, testParts(domain), audit::testKey(numbered));
        writeHeader(*m_dm.AddNewStudentMeasDiagHdr, numbered, test, true, userCode);
        m_dm.AddNewStudentMeasDiagHdr->exec();
        for (const AnsweredQuestion &question : test.domainAnswers(domain)) {
            writeAnswer(*m_dm.AddNewStudentMeasDiagDtl, numbered, question, true, userCode);
            m_dm.AddNewStudentMeasDiagDtl->exec();
        }
        change.log(audit::testKey(numbered));
    });
    return saved ? number : 0;
}

int TestStore::nextNumberOfYear(int branchNo, int year)
{
    m_dm.GetSerialQuery->setParam(QStringLiteral("param1"), year);
    m_dm.GetSerialQuery->setParam(QStringLiteral("param2"), branchNo);
    return m_dm.nextSerial(QStringLiteral("test_no"), QStringLiteral("test_hdr"),
                           QStringLiteral("where year(test_date)=:param1 and branch_no=:param2"));
}

// A test dated into another year keeps its number there unless a test of that year has it;
// then it takes the next number of that year.
int TestStore::numberInYearOf(const TestIdentity &stored, const QDate &date)
{
    if (date.year() == stored.testDate.year())
        return stored.testNo;
    const int next = nextNumberOfYear(stored.branchNo, date.year());
    m_numberTaken->setParam(QStringLiteral("branch_no"), stored.branchNo);
    m_numberTaken->setParam(QStringLiteral("test_no"), stored.testNo);
    m_numberTaken->setParam(QStringLiteral("test_year"), date.year());
    m_numberTaken->open();
    const bool taken = m_numberTaken->intValue(QStringLiteral("tests")) > 0;
    m_numberTaken->close();
    return taken ? next : stored.testNo;
}

void TestStore::moveTest(const TestIdentity &stored, const TestIdentity &moved)
{
    for (Statement *move : {m_moveHeader.get(), m_moveRows.get()}) {
        bindTestIdentity(*move, stored);
        move->setParam(QStringLiteral("new_test_no"), moved.testNo);
        move->setParam(QStringLiteral("new_test_date"), moved.testDate);
        move->setParam(QStringLiteral("test_haj_date"), hijri::fromGregorian(moved.testDate));
        move->exec();
    }
}

int TestStore::saveStored(const TestIdentity &stored, const ChecklistTest &test, int domain,
                          int userCode)
{
    TestIdentity saved = test.identity;
    const bool done = m_dm.Database1.inTransaction([&] {
        TestIdentity named = stored;
        audit::RecordChange change = testChange(m_dm.Database1, stored, domain);
        saved.testNo = numberInYearOf(stored, saved.testDate);
        if (saved.testNo != stored.testNo) {
            moveTest(stored, saved);
            named = saved;
        }
        writeHeader(*m_dm.UpdateStudentMeasDiagHdr, named, test, false, userCode);
        if (m_dm.UpdateStudentMeasDiagHdr->exec() != 1)
            throw Error(missingTest);
        if (named.testDate != saved.testDate) {
            writeHeader(*m_dm.MoveStudMeasDtlDate, named, test, false, userCode);
            m_dm.MoveStudMeasDtlDate->exec();
        }
        writeDomain(saved, test.domainAnswers(domain), userCode);
        change.log(audit::testKey(saved));
    });
    return done ? saved.testNo : 0;
}

// Each answer of the domain updates its stored row, or adds the row the test lacks.
void TestStore::writeDomain(const TestIdentity &test, const QList<AnsweredQuestion> &answers,
                            int userCode)
{
    Statement *find = m_dm.FindTestQuesQuery;
    for (const AnsweredQuestion &question : answers) {
        writeAnswer(*find, test, question, false, userCode);
        find->open();
        const bool stored = !find->isEmpty();
        find->close();
        Statement *write = stored ? m_dm.UpdateStudentMeasDiagDtl : m_dm.AddNewStudentMeasDiagDtl;
        writeAnswer(*write, test, question, !stored, userCode);
        write->exec();
    }
}

// The test the statement names, and the header's values (an update gives it the test's date).
void TestStore::writeHeader(Statement &statement, const TestIdentity &named,
                            const ChecklistTest &test, bool insert, int userCode)
{
    bindTestIdentity(statement, named);
    statement.setParam(QStringLiteral("new_test_date"), test.identity.testDate);
    statement.setParam(QStringLiteral("test_haj_date"),
                       hijri::fromGregorian(test.identity.testDate));
    statement.setParam(QStringLiteral("tester_id"), test.testerId);
    statement.setParam(QStringLiteral("info_source_id"), test.infoSourceId);
    statement.setParam(QStringLiteral("school_name"), test.school);
    statement.setParam(QStringLiteral("notes"), QString());
    statement.setParam(QStringLiteral("entry_date"), QDate::currentDate());
    statement.setParam(QStringLiteral("entry_type"), insert ? 1 : 2);
    statement.setParam(QStringLiteral("test_status"),
                       checklist::storedCode(checklist::TestStatus::Open));
    statement.setParam(QStringLiteral("who_insert"), userCode);
    statement.setParam(QStringLiteral("who_update"), insert ? 0 : userCode);
}

void TestStore::writeAnswer(Statement &statement, const TestIdentity &test,
                            const AnsweredQuestion &question, bool insert, int userCode)
{
    bindTestIdentity(statement, test);
    statement.setParam(QStringLiteral("test_haj_date"), hijri::fromGregorian(test.testDate));
    statement.setParam(QStringLiteral("ques_group"), question.domain);
    statement.setParam(QStringLiteral("ques_id"), question.id);
    statement.setParam(QStringLiteral("ques_ans_val"), checklist::storedWord(question.answer));
    statement.setParam(QStringLiteral("ques_mark"), checklist::markOf(question.answer));
    statement.setParam(QStringLiteral("notes"), QString());
    statement.setParam(QStringLiteral("entry_date"), QDate::currentDate());
    statement.setParam(QStringLiteral("entry_type"), 1);
    statement.setParam(QStringLiteral("ques_status"), 1);
    statement.setParam(QStringLiteral("who_insert"), userCode);
    statement.setParam(QStringLiteral("who_update"), insert ? 0 : userCode);
}

bool TestStore::close(const TestIdentity &test)
{
    return m_dm.Database1.inTransaction([&] {
        audit::RecordChange change(m_dm.Database1, QStringLiteral("test_hdr"),
                                   audit::testKey(test));
        bindTestIdentity(*m_dm.CloseStudMeas, test);
        if (m_dm.CloseStudMeas->exec() != 1)
            throw Error(missingTest);
        change.log();
    });
}

bool TestStore::remove(const TestIdentity &test)
{
    return m_dm.Database1.inTransaction([&] {
        audit::RecordChange change = testChange(m_dm.Database1, test);
        bindTestIdentity(*m_dm.DeleteStudMeasHdr, test);
        if (m_dm.DeleteStudMeasHdr->exec() != 1)
            throw Error(missingTest);
        bindTestIdentity(*m_dm.DeleteStudMeasDtl, test);
        m_dm.DeleteStudMeasDtl->exec();
        change.log();
    });
}

} // namespace simat
