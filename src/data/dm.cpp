#include "dm.h"

#include "core/error.h"
#include "schema.h"
#include "statement_texts.h"
#include "text_search.h"

namespace simat {

namespace {
TDataModule1 *theInstance = nullptr;

// The parameters that name one test.
const std::initializer_list<std::pair<const char *, ParamType>> testIdentity = {
    {"branch_no", ParamType::Integer},
    {"test_no", ParamType::Integer},
    {"test_date", ParamType::Date},
    {"stud_code", ParamType::Integer}};
// A column's values are bound as what the column stores.
ParamType parameterTypeOf(schema::Kind kind)
{
    switch (kind) {
    case schema::Kind::Integer:
        return ParamType::Integer;
    case schema::Kind::Date:
        return ParamType::Date;
    case schema::Kind::Text:
        break;
    }
    return ParamType::Text;
}

} // namespace

TDataModule1::TDataModule1(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("DataModule1"));
    theInstance = this;
    using P = ParamType;
    FindUserQuery = add(QStringLiteral("FindUserQuery"), texts::findUser(), {{"code", P::Integer}});
    GetMeasQuesCountQuery = add(QStringLiteral("GetMeasQuesCountQuery"), texts::questionCount());
    GetSerialQuery = add(QStringLiteral("GetSerialQuery"), texts::serialTemplate(),
                         {{"param1", P::Integer}, {"param2", P::Integer}});
    FindStudentByCodeQuery =
        add(QStringLiteral("FindStudentByCodeQuery"),
            texts::caseWithLookups(QStringLiteral("where stud_code=:stud_code")),
            {{"stud_code", P::Integer}});
    StudentsQuery = add(QStringLiteral("StudentsQuery"),
                        texts::caseWithLookups(QStringLiteral("where branch_no=:branch_no"))
                            << QString() << QStringLiteral("order by a.stud_code"),
                        {{"branch_no", P::Integer}, {"param_1", P::Text}});
    StudentsQuery->setStreamed(true);
    m_casesFrom = StudentsQuery->line(StudentsCasesLine);
    setStudentsCriterion(QStringLiteral("stud_name"));
    GetTableLevelQuery =
        add(QStringLiteral("GetTableLevelQuery"), texts::tableLevel(), {{"table_name", P::Text}});
    GetTableStrucQuery = add(QStringLiteral("GetTableStrucQuery"), texts::tableStructure());
    SearchByNameQuery = add(QStringLiteral("SearchByNameQuery"), texts::searchByName(),
                            {{"acc_aname", P::Text}, {"acc_code", P::Integer}});
    SearchByNameQuery->setStreamed(true);
    addTestStatements();
    addUserStatements();
    addBasicDataStatements();
    addInquiryStatements();
    addStudentStatements();
    addComparisonStatements();
}

void TDataModule1::setStudentsCriterion(const QString &column, search::Comparison comparison,
                                        const QString &text)
{
    Q_ASSERT(StudentsQuery->lineCount() == StudentsCriterionLine + 2);
    const QString param = QStringLiteral("param_1");
    const QString name = Statement::identifier(column);
    const search::CaseSearch criterion =
        name == QLatin1String("stud_name") && comparison == search::Comparison::AsReader
            ? search::caseNameSearch(Database1.engine(), QStringLiteral("a"), param, text)
            : search::CaseSearch{QString(), search::containsCondition(name, param, comparison)};
    StudentsQuery->setLine(
        StudentsCasesLine,
        criterion.join.isEmpty() ? m_casesFrom : m_casesFrom + QLatin1Char(' ') + criterion.join);
    StudentsQuery->setLine(StudentsCriterionLine, QStringLiteral("and ") + criterion.condition);
}

void TDataModule1::addBasicDataStatements()
{
    using P = ParamType;
    EmptyQuery = add(QStringLiteral("EmptyQuery"), texts::emptyTable());
    BasicDataResultQuery = add(QStringLiteral("BasicDataResultQuery"), texts::basicDataResult());
    const std::initializer_list<std::pair<const char *, ParamType>> rowValues = {
        {"code", P::Integer},   {"name", P::Text},         {"t_date", P::Date}, {"e_date", P::Date},
        {"e_type", P::Integer}, {"is_active", P::Integer}, {"wi", P::Integer},  {"wu", P::Integer}};
    SetupDataInsertQuery =
        add(QStringLiteral("SetupDataInsertQuery"), texts::setupDataInsert(), rowValues);
    SetupDataUpdateQuery =
        add(QStringLiteral("SetupDataUpdateQuery"), texts::setupDataUpdate(), rowValues);
    SetupDataDeleteQuery = add(QStringLiteral("SetupDataDeleteQuery"), texts::setupDataDelete(),
                               {{"code", P::Integer}});
    FindSetupDataTransactionQuery = add(QStringLiteral("FindSetupDataTransactionQuery"),
                                        texts::findSetupDataTransaction(), {{"code", P::Integer}});
    FindTableNamesForCheckDeleteInQuery =
        add(QStringLiteral("FindTableNamesForCheckDeleteInQuery"), texts::tablesForCheckDelete(),
            {{"tbl_level", P::Integer}});
    ResultQueryLevel2 = add(QStringLiteral("ResultQueryLevel2"), texts::resultLevel2());
    const std::initializer_list<std::pair<const char *, ParamType>> childValues = {
        {"parent_code", P::Integer}, {"code", P::Integer}, {"name", P::Text},
        {"t_date", P::Date},         {"e_date", P::Date},  {"e_type", P::Integer},
        {"is_active", P::Integer},   {"wi", P::Integer},   {"wu", P::Integer}};
    SetupDataInsertLevel2Query = add(QStringLiteral("SetupDataInsertLevel2Query"),
                                     texts::setupDataInsertLevel2(), childValues);
    SetupDataUpdateLevel2Query = add(QStringLiteral("SetupDataUpdateLevel2Query"),
                                     texts::setupDataUpdateLevel2(), childValues);
    GetSysTableDataQuery =
        add(QStringLiteral("GetSysTableDataQuery"), texts::sysTableData(), {{"table_id", P::Text}});
}

void TDataModule1::addTestStatements()
{
    using P = ParamType;
    const std::initializer_list<std::pair<const char *, ParamType>> headerValues = {
        {"branch_no", P::Integer},      {"test_no", P::Integer},    {"test_date", P::Date},
        {"test_haj_date", P::Text},     {"stud_code", P::Integer},  {"tester_id", P::Integer},
        {"info_source_id", P::Integer}, {"school_name", P::Text},   {"notes", P::Text},
        {"entry_date", P::Date},        {"entry_type", P::Integer}, {"test_status", P::Integer},
        {"who_insert", P::Integer},     {"who_update", P::Integer}, {"new_test_date", P::Date}};
    const std::initializer_list<std::pair<const char *, ParamType>> detailValues = {
        {"branch_no", P::Integer},   {"test_no", P::Integer},    {"test_date", P::Date},
        {"test_haj_date", P::Text},  {"stud_code", P::Integer},  {"ques_group", P::Integer},
        {"ques_id", P::Integer},     {"ques_ans_val", P::Text},  {"ques_mark", P::Integer},
        {"notes", P::Text},          {"entry_date", P::Date},    {"entry_type", P::Integer},
        {"ques_status", P::Integer}, {"who_insert", P::Integer}, {"who_update", P::Integer}};
    GetMeasureDiagGroupItemsQuery = add(QStringLiteral("GetMeasureDiagGroupItemsQuery"),
                                        texts::domainQuestions(), {{"ques_group", P::Integer}});
    FindStudTestHdrAllQuery = add(QStringLiteral("FindStudTestHdrAllQuery"),
                                  texts::caseTestHeaders(), {{"stud_code", P::Integer}});
    FindStudTestAllQuery =
        add(QStringLiteral("FindStudTestAllQuery"), texts::caseTestRows(), testIdentity);
    FindStudTestGroupQuery =
        add(QStringLiteral("FindStudTestGroupQuery"), texts::testDomainAnswers(), testIdentity);
    FindStudTestGroupQuery->declare(QStringLiteral("ques_group"), P::Integer);
    TestersQuery =
        add(QStringLiteral("TestersQuery"), texts::testerWithClass(), {{"param_1", P::Integer}});
    InfoSourceQuery = add(QStringLiteral("InfoSourceQuery"), texts::infoSourceWithClass(),
                          {{"param_1", P::Integer}});
    GetStudentMeasTotalMarksQuery =
        add(QStringLiteral("GetStudentMeasTotalMarksQuery"), texts::testTotalMark(), testIdentity);
    AddNewStudentMeasDiagHdr =
        add(QStringLiteral("AddNewStudentMeasDiagHdr"), texts::addTestHeader(), headerValues);
    AddNewStudentMeasDiagDtl =
        add(QStringLiteral("AddNewStudentMeasDiagDtl"), texts::addTestDetail(), detailValues);
    UpdateStudentMeasDiagHdr =
        add(QStringLiteral("UpdateStudentMeasDiagHdr"), texts::updateTestHeader(), headerValues);
    MoveStudMeasDtlDate =
        add(QStringLiteral("MoveStudMeasDtlDate"), texts::moveTestDetailsToDate(), headerValues);
    UpdateStudentMeasDiagDtl =
        add(QStringLiteral("UpdateStudentMeasDiagDtl"), texts::updateTestDetail(), detailValues);
    FindTestQuesQuery =
        add(QStringLiteral("FindTestQuesQuery"), texts::findTestQuestion(), detailValues);
    FindStudentMeasByStatusQuery =
        add(QStringLiteral("FindStudentMeasByStatusQuery"), texts::caseTestsByStatus(),
            {{"stud_code", P::Integer}, {"test_status", P::Integer}});
    StudMeasQuery = add(QStringLiteral("StudMeasQuery"), texts::testReportRows(), testIdentity);
    StudMeasSummaryQuery =
        add(QStringLiteral("StudMeasSummaryQuery"), texts::testDomainSummary(), testIdentity);
    FindStudMeasQuesCountQyery = add(QStringLiteral("FindStudMeasQuesCountQyery"),
                                     texts::storedQuestionCount(), testIdentity);
    FindStudMeasNonAnswerQuesCountQyery = add(QStringLiteral("FindStudMeasNonAnswerQuesCountQyery"),
                                              texts::unansweredQuestionCount(), testIdentity);
    CloseStudMeas = add(QStringLiteral("CloseStudMeas"), texts::closeTest(), testIdentity);
    DeleteStudMeasHdr =
        add(QStringLiteral("DeleteStudMeasHdr"), texts::deleteTestHeader(), testIdentity);
    DeleteStudMeasDtl =
        add(QStringLiteral("DeleteStudMeasDtl"), texts::deleteTestDetails(), testIdentity);
}

void TDataModule1::addUserStatements()
{
    using P = ParamType;
    const std::initializer_list<std::pair<const char *, ParamType>> account = {
        {"user_code", P::Integer},       {"a_name", P::Text},        {"l_name", P::Text},
        {"user_password", P::Secret},    {"user_level", P::Integer}, {"can_close_po", P::Integer},
        {"show_cost_price", P::Integer}, {"trans_date", P::Date},    {"entry_date", P::Date},
        {"entry_type", P::Integer},      {"is_active", P::Integer},  {"who_insert", P::Integer},
        {"who_update", P::Integer}};
    UsersQuery = add(QStringLiteral("UsersQuery"), texts::usersList());
    UsersQuery->setStreamed(true);
    FindUserCodeQuery = add(QStringLiteral("FindUserCodeQuery"), texts::findUserCode(),
                            {{"user_code", P::Integer}});
    AddNewUser = add(QStringLiteral("AddNewUser"), texts::addUser(), account);
    UpdateUser = add(QStringLiteral("UpdateUser"), texts::updateUser(), account);
    FindLevelQuery =
        add(QStringLiteral("FindLevelQuery"), texts::findLevel(), {{"level_code", P::Integer}});
    OtherActiveAdministratorsQuery =
        add(QStringLiteral("OtherActiveAdministratorsQuery"), texts::otherActiveAdministrators(),
            {{"user_code", P::Integer}});
}

void TDataModule1::addInquiryStatements()
{
    CasesThatHasTestsCountQuery =
        add(QStringLiteral("CasesThatHasTestsCountQuery"), texts::casesWithTests());
}

void TDataModule1::addComparisonStatements()
{
    using P = ParamType;
    CompareCaseTestsQuery = add(QStringLiteral("CompareCaseTestsQuery"), texts::comparedCaseTests(),
                                {{"stud_code", P::Integer}});
    CompareCaseQuery = add(QStringLiteral("CompareCaseQuery"),
                           texts::caseWithLookups(QStringLiteral("where stud_code=:stud_code")),
                           {{"stud_code", P::Integer}});
    CaseTestNo1Query =
        add(QStringLiteral("CaseTestNo1Query"), texts::comparedTestAnswers(), testIdentity);
    CaseTestNo2Query =
        add(QStringLiteral("CaseTestNo2Query"), texts::comparedTestAnswers(), testIdentity);
    FindGroupQuesQuery = add(QStringLiteral("FindGroupQuesQuery"), texts::questionDomain(),
                             {{"ques_group_id", P::Integer}});
}

TDataModule1::~TDataModule1()
{
    // The statements detach from Database1, so they go before it does.
    qDeleteAll(statements());
    if (theInstance == this)
        theInstance = nullptr;
}

TDataModule1 *TDataModule1::instance()
{
    return theInstance;
}

Statement *TDataModule1::add(const QString &name, const QStringList &lines,
                             std::initializer_list<std::pair<const char *, ParamType>> params)
{
    auto *statement = new Statement(Database1, name, lines, this);
    for (const auto &[param, type] : params)
        statement->declare(QLatin1String(param), type);
    return statement;
}

Statement *TDataModule1::statement(const QString &name) const
{
    if (name == QLatin1String("MeasQuesCountQuery"))
        return GetMeasQuesCountQuery;
    return findChild<Statement *>(name, Qt::FindDirectChildrenOnly);
}

QList<Statement *> TDataModule1::statements() const
{
    return findChildren<Statement *>(QString(), Qt::FindDirectChildrenOnly);
}

// A login after the alias has changed opens the database the alias now names.
void TDataModule1::openDatabase()
{
    openDatabase(resolveVumAlias());
}

void TDataModule1::openDatabase(const DatabaseAlias &alias)
{
    if (Database1.isOpen() && Database1.alias().definition == alias.definition)
        return;
    Database1.close();
    Database1.open(alias);
}

int TDataModule1::nextSerial(const QString &column, const QString &table, const QString &condition)
{
    Database1.serializeNumbering(Statement::identifier(table));
    GetSerialQuery->setLine(1, QStringLiteral("max(%1)").arg(Statement::identifier(column)));
    GetSerialQuery->setLine(3, Statement::identifier(table));
    GetSerialQuery->setLine(4, condition);
    GetSerialQuery->open();
    const int greatest = GetSerialQuery->intValue(QStringLiteral("max_code"));
    GetSerialQuery->close();
    return greatest + 1;
}

void TDataModule1::addStudentStatements()
{
    AddNewStudent = add(QStringLiteral("AddNewStudent"), texts::addStudent());
    UpdateStudent = add(QStringLiteral("UpdateStudent"), texts::updateStudent());
    for (const schema::Column &column : schema::table(QStringLiteral("student")).columns) {
        const ParamType type = parameterTypeOf(column.kind);
        AddNewStudent->declare(QLatin1String(column.name), type);
        UpdateStudent->declare(QLatin1String(column.name), type);
    }
}

} // namespace simat
