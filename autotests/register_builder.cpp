#include "register_builder.h"

#include "app/startup.h"
#include "core/error.h"
#include "core/hijri.h"
#include "data/accounts.h"
#include "data/dm.h"
#include "data/statement_texts.h"
#include "ui/global.h"
#include "ui/screens.h"

#include <exception>

namespace simat::testing {

namespace {

// A text or date left out is bound as null: the statements store an empty text as ''.
QVariant orNull(const QString &text)
{
    return text.isNull() ? QVariant() : QVariant(text);
}

QVariant orNull(const QDate &date)
{
    return date.isValid() ? QVariant(date) : QVariant();
}

int sessionUser()
{
    return globals().session.SessionUserCode;
}

// The program's data module, with the screens that own it created once in the run.
TDataModule1 &programDataModule()
{
    if (!screens::find(QStringLiteral("StartupForm"))) {
        quietOffscreenPlatform();
        app::createScreens();
        screens::find(QStringLiteral("StartupForm"))->show();
    }
    return *TDataModule1::instance();
}

} // namespace

// ---------------------------------------------------------------- the test builder

TestBuilder::TestBuilder(Register &reg, int caseCode)
    : m_register(reg)
{
    m_test.caseCode = caseCode;
    m_test.testDate = QDate::currentDate();
}

TestBuilder::~TestBuilder()
{
    if (!m_added && std::uncaught_exceptions() == 0)
        qFatal("a test of case %d was built but never added", m_test.caseCode);
}

TestBuilder &TestBuilder::number(int testNo)
{
    m_test.testNo = testNo;
    m_numbered = true;
    return *this;
}

TestBuilder &TestBuilder::on(const QDate &date)
{
    m_test.testDate = date;
    return *this;
}

TestBuilder &TestBuilder::branch(int branchNo)
{
    m_test.branchNo = branchNo;
    return *this;
}

TestBuilder &TestBuilder::by(int testerCode)
{
    m_tester = testerCode;
    return *this;
}

TestBuilder &TestBuilder::from(int infoSourceCode)
{
    m_infoSource = infoSourceCode;
    return *this;
}

TestBuilder &TestBuilder::school(const QString &name)
{
    m_school = name;
    return *this;
}

TestBuilder &TestBuilder::closed(bool isClosed)
{
    m_closed = isClosed;
    return *this;
}

TestBuilder &TestBuilder::answers(int domain, const QList<Answer> &answers)
{
    for (int i = 0; i < answers.size(); ++i)
        m_marks.insert({domain, i + 1}, checklist::markOf(answers.at(i)));
    return *this;
}

TestBuilder &TestBuilder::marks(int domain, const QList<int> &marks)
{
    for (int i = 0; i < marks.size(); ++i)
        m_marks.insert({domain, i + 1}, marks.at(i));
    return *this;
}

TestBuilder &TestBuilder::allAnswered(Answer answer)
{
    return marked([answer](int, int) { return checklist::markOf(answer); });
}

TestBuilder &TestBuilder::marked(const std::function<int(int domain, int question)> &markOf)
{
    Statement questions(m_register.dm().Database1, QStringLiteral("ChecklistQuestions"),
                        {QStringLiteral("select ques_group, ques_id from test_ques order by "
                                        "ques_group, ques_id")});
    for (questions.open(); !questions.atEnd(); questions.next()) {
        const int domain = questions.intValue(QStringLiteral("ques_group"));
        const int question = questions.intValue(QStringLiteral("ques_id"));
        if (const int mark = markOf(domain, question); mark >= 0)
            m_marks.insert({domain, question}, mark);
    }
    return *this;
}

TestIdentity TestBuilder::add()
{
    m_added = true;
    TDataModule1 &dm = m_register.dm();
    const QString hijriDate = hijri::fromGregorian(m_test.testDate);
    const bool written = dm.Database1.inTransaction([&] {
        if (!m_numbered) {
            dm.GetSerialQuery->setParam(QStringLiteral("param1"), m_test.testDate.year());
            dm.GetSerialQuery->setParam(QStringLiteral("param2"), m_test.branchNo);
            m_test.testNo = dm.nextSerial(
                QStringLiteral("test_no"), QStringLiteral("test_hdr"),
                QStringLiteral("where year(test_date)=:param1 and branch_no=:param2"));
        }
        writeHeader(m_test, hijriDate);
        for (auto answer = m_marks.cbegin(); answer != m_marks.cend(); ++answer)
            writeAnswer(m_test, hijriDate, answer.key().first, answer.key().second, answer.value());
    });
    if (!written)
        throw Error(dm.Database1.lastFailure());
    return m_test;
}

void TestBuilder::writeHeader(const TestIdentity &test, const QString &hijriDate)
{
    Statement *header = m_register.dm().AddNewStudentMeasDiagHdr;
    bindTestIdentity(*header, test);
    header->setParam(QStringLiteral("test_haj_date"), hijriDate);
    header->setParam(QStringLiteral("tester_id"), m_tester);
    header->setParam(QStringLiteral("info_source_id"), m_infoSource);
    header->setParam(QStringLiteral("school_name"), orNull(m_school));
    header->setParam(QStringLiteral("notes"), QVariant());
    header->setParam(QStringLiteral("entry_date"), QDate::currentDate());
    header->setParam(QStringLiteral("entry_type"), 1);
    header->setParam(QStringLiteral("test_status"), m_closed ? 0 : 1);
    header->setParam(QStringLiteral("who_insert"), sessionUser());
    header->setParam(QStringLiteral("who_update"), 0);
    header->exec();
}

void TestBuilder::writeAnswer(const TestIdentity &test, const QString &hijriDate, int domain,
                              int question, int mark)
{
    Statement *row = m_register.dm().AddNewStudentMeasDiagDtl;
    bindTestIdentity(*row, test);
    row->setParam(QStringLiteral("test_haj_date"), hijriDate);
    row->setParam(QStringLiteral("ques_group"), domain);
    row->setParam(QStringLiteral("ques_id"), question);
    row->setParam(QStringLiteral("ques_ans_val"),
                  checklist::storedWord(checklist::answerOfMark(mark)));
    row->setParam(QStringLiteral("ques_mark"), mark);
    row->setParam(QStringLiteral("notes"), QVariant());
    row->setParam(QStringLiteral("entry_date"), QDate::currentDate());
    row->setParam(QStringLiteral("entry_type"), 1);
    row->setParam(QStringLiteral("ques_status"), 1);
    row->setParam(QStringLiteral("who_insert"), sessionUser());
    row->setParam(QStringLiteral("who_update"), 0);
    row->exec();
}

// ---------------------------------------------------------------- the register

Register::Register(TDataModule1 &dm)
    : m_dm(dm)
{}

// As the lookup screens insert: the code and name columns (the parent's code first on level
// 2), then the audit columns.
int Register::lookupRow(const QString &table, const QString &columns, const QString &codeColumn,
                        std::optional<int> parentCode, const QString &name,
                        const LookupDetails &details)
{
    Statement *insert = parentCode ? m_dm.SetupDataInsertLevel2Query : m_dm.SetupDataInsertQuery;
    const int code = details.code ? details.code : m_dm.nextSerial(codeColumn, table);
    insert->setLine(1, table + QStringLiteral("(") + columns +
                           QStringLiteral(",trans_date,entry_date,entry_type,is_active,"
                                          "who_insert,who_update)"));
    if (parentCode)
        insert->setParam(QStringLiteral("parent_code"), *parentCode);
    insert->setParam(QStringLiteral("code"), code);
    insert->setParam(QStringLiteral("name"), name);
    insert->setParam(QStringLiteral("t_date"), QDate::currentDate());
    insert->setParam(QStringLiteral("e_date"), QDate::currentDate());
    insert->setParam(QStringLiteral("e_type"), 1);
    insert->setParam(QStringLiteral("is_active"), details.active ? 1 : 0);
    insert->setParam(QStringLiteral("wi"), sessionUser());
    insert->setParam(QStringLiteral("wu"), sessionUser());
    insert->exec();
    return code;
}

int Register::testerClass(const QString &name, const LookupDetails &details)
{
    return lookupRow(QStringLiteral("tester_class"),
                     QStringLiteral("tester_class_id,tester_class_name"),
                     QStringLiteral("tester_class_id"), std::nullopt, name, details);
}

int Register::tester(const QString &name, int classCode, const LookupDetails &details)
{
    return lookupRow(QStringLiteral("tester"),
                     QStringLiteral("tester_class_id,tester_id,tester_name"),
                     QStringLiteral("tester_id"), classCode, name, details);
}

int Register::infoSourceClass(const QString &name, const LookupDetails &details)
{
    return lookupRow(QStringLiteral("info_source_class"),
                     QStringLiteral("info_source_class_id,info_source_class_name"),
                     QStringLiteral("info_source_class_id"), std::nullopt, name, details);
}

int Register::infoSource(const QString &name, int classCode, const LookupDetails &details)
{
    return lookupRow(QStringLiteral("info_source"),
                     QStringLiteral("info_source_class_id,info_source_id,info_source_name"),
                     QStringLiteral("info_source_id"), classCode, name, details);
}

int Register::caseNamed(const QString &name, const QDate &birth, const CaseDetails &details)
{
    const int code = details.code
                         ? details.code
                         : m_dm.nextSerial(QStringLiteral("stud_code"), QStringLiteral("student"));
    QVariantMap values = {
        {QStringLiteral("branch_no"), details.branch},
        {QStringLiteral("stud_code"), code},
        {QStringLiteral("stud_name"), name},
        {QStringLiteral("stud_birth_date"), orNull(birth)},
        {QStringLiteral("stud_birth_haj_date"),
         birth.isValid() ? QVariant(hijri::fromGregorian(birth)) : QVariant()},
        {QStringLiteral("stud_guard_name"), orNull(details.guardian)},
        {QStringLiteral("stud_id_no"), orNull(details.idNo)},
        {QStringLiteral("stud_guard_home_phone_no"), orNull(details.homePhone)},
        {QStringLiteral("stud_guard_mobile_no"), orNull(details.mobile)},
        {QStringLiteral("stud_main_street"), orNull(details.street)},
        {QStringLiteral("stud_gender"), details.gender ? QVariant(*details.gender) : QVariant()},
        {QStringLiteral("stud_status"), 1},
        {QStringLiteral("is_active"), details.active ? 1 : 0},
        {QStringLiteral("trans_date"), QDate::currentDate()},
        {QStringLiteral("entry_date"), QDate::currentDate()},
        {QStringLiteral("entry_type"), 1},
        {QStringLiteral("who_insert"), sessionUser()},
        {QStringLiteral("who_update"), 0}};
    for (auto column = details.columns.cbegin(); column != details.columns.cend(); ++column)
        values.insert(column.key(), column.value());
    Statement *insert = m_dm.AddNewStudent;
    for (const QString &column : texts::studentColumns())
        insert->setParam(column, values.value(column));
    insert->exec();
    return code;
}

int Register::account(const Account &account)
{
    const int code = account.code
                         ? account.code
                         : m_dm.nextSerial(QStringLiteral("user_code"), QStringLiteral("users"));
    const QString number = QString::number(code);
    Statement *insert = m_dm.AddNewUser;
    insert->setParam(QStringLiteral("user_code"), code);
    insert->setParam(QStringLiteral("a_name"),
                     account.name.isNull() ? QStringLiteral("حساب ") + number : account.name);
    insert->setParam(QStringLiteral("l_name"), QVariant());
    insert->setParam(QStringLiteral("user_password"),
                     accounts::hash(account.password.isNull() ? QStringLiteral("pw") + number
                                                              : account.password));
    insert->setParam(QStringLiteral("user_level"), account.level);
    insert->setParam(QStringLiteral("can_close_po"), 0);
    insert->setParam(QStringLiteral("show_cost_price"), 1);
    insert->setParam(QStringLiteral("trans_date"), QDate::currentDate());
    insert->setParam(QStringLiteral("entry_date"),
                     account.enteredOn.isValid() ? account.enteredOn : QDate::currentDate());
    insert->setParam(QStringLiteral("entry_type"), 1);
    insert->setParam(QStringLiteral("is_active"), account.active ? 1 : 0);
    insert->setParam(QStringLiteral("who_insert"),
                     account.enteredBy ? account.enteredBy : sessionUser());
    insert->setParam(QStringLiteral("who_update"), sessionUser());
    insert->exec();
    return code;
}

void Register::password(int code, const QString &password)
{
    Database &database = m_dm.Database1;
    if (!database.inTransaction([&] { accounts::setPassword(database, code, password); }))
        throw Error(database.lastFailure());
}

void Register::question(int domain, int id, const QString &text)
{
    Statement insert(m_dm.Database1, QStringLiteral("AddQuestion"),
                     {QStringLiteral("insert into test_ques (ques_group, ques_id, ques_desc) "
                                     "values (:ques_group, :ques_id, :ques_desc)")});
    insert.declare(QStringLiteral("ques_group"), ParamType::Integer);
    insert.declare(QStringLiteral("ques_id"), ParamType::Integer);
    insert.declare(QStringLiteral("ques_desc"), ParamType::Text);
    insert.setParam(QStringLiteral("ques_group"), domain);
    insert.setParam(QStringLiteral("ques_id"), id);
    insert.setParam(QStringLiteral("ques_desc"), text);
    insert.exec();
}

void Register::run(const QString &sql)
{
    m_dm.Database1.execute(sql);
}

int Register::count(const QString &sql)
{
    Statement counting(m_dm.Database1, QStringLiteral("Count"), {sql});
    counting.open();
    return counting.intValue(counting.columnNames().first());
}

QString Register::value(const QString &sql)
{
    const QStringList first = row(sql);
    return first.isEmpty() ? QString() : first.first();
}

QStringList Register::row(const QString &sql)
{
    Statement reading(m_dm.Database1, QStringLiteral("Row"), {sql});
    reading.open();
    QStringList values;
    if (!reading.isEmpty())
        for (const QString &column : reading.columnNames())
            values << reading.textValue(column);
    return values;
}

QStringList Register::rows(const QString &sql)
{
    Statement reading(m_dm.Database1, QStringLiteral("Rows"), {sql});
    QStringList lines;
    for (reading.open(); !reading.atEnd(); reading.next()) {
        QStringList values;
        for (const QString &column : reading.columnNames())
            values << reading.textValue(column);
        lines << values.join(QLatin1Char('|'));
    }
    return lines;
}

// ---------------------------------------------------------------- a register of one test

TestRegister::TestRegister(TestDatabase::Engine engine, std::optional<Login> as)
    : Register(programDataModule())
    , m_database(std::make_unique<TestDatabase>(engine))
{
    m_database->useAsVum();
    if (!as)
        return;
    dm().openDatabase();
    password(1, administratorPassword);
    logInAs(*as);
}

TestRegister::~TestRegister()
{
    closeScreens();
    dm().Database1.close();
}

void TestRegister::logInAs(const Login &as)
{
    BoxAnswerer boxes;
    logIn(as.code, as.password);
    QVERIFY2(boxes.count() == 0, qPrintable(boxes.texts.join(QLatin1Char('\n'))));
    QVERIFY(screens::find(QStringLiteral("MainForm"))->isVisible());
}

} // namespace simat::testing
