#include "statement_texts.h"

#include "schema.h"

#include "core/checklist.h"

namespace simat::texts {

QStringList findUser()
{
    return {QStringLiteral("select * from users"), QStringLiteral("where user_code=:code")};
}

QStringList questionCount()
{
    return {QStringLiteral("select count(*) as meas_ques_count  from test_ques")};
}

QStringList serialTemplate()
{
    return {QStringLiteral("select"), QStringLiteral("max(FIELD)"),
            QStringLiteral("as max_code from"), QStringLiteral("TABLE"),
            QStringLiteral("where FIELD1=:PARAM1 and FIELD1=:PARAM2")};
}

QStringList caseWithLookups(const QString &where)
{
    return {
        QStringLiteral("select a.*,b.cou_name,c.nationality_name,d.id_type_name,"
                       "e.edu_phase_name,f.edu_class_level_name,g.house_type_name,"
                       "h.house_ownership_name,i.neighborhood_name,j.city_name,k.district_name,"
                       "l.nationality_name,m.kinship_degree_name,n.id_type_name,"
                       "o.kinship_degree_name,p.kinship_degree_name,q.gender_name,"
                       "r.religion_name"),
        QStringLiteral("from (((((((((((((((((student a"),
        QStringLiteral("left join country b on a.stud_birth_country=b.cou_id)"),
        QStringLiteral("left join nationality c on a.stud_nationality=c.nationality_id)"),
        QStringLiteral("left join id_type d on a.stud_id_type=d.id_type)"),
        QStringLiteral("left join edu_phase e on a.stud_edu_phase=e.edu_phase_id)"),
        QStringLiteral(
            "left join edu_class_level f on a.stud_edu_class_level=f.edu_class_level_id)"),
        QStringLiteral("left join house_type g on a.stud_house_type=g.house_type_id)"),
        QStringLiteral(
            "left join house_ownership h on a.stud_house_ownership=h.house_ownership_id)"),
        QStringLiteral("left join neighborhood i on a.stud_neighborhood=i.neighborhood_id)"),
        QStringLiteral("left join city j on a.stud_city=j.city_id)"),
        QStringLiteral("left join district k on a.stud_district=k.district_id)"),
        QStringLiteral(
            "left join nationality_view_1 l on a.stud_guard_nationality=l.nationality_id)"),
        QStringLiteral(
            "left join kinship_degree m on a.stud_guard_kinship_degree=m.kinship_degree_id)"),
        QStringLiteral("left join id_type_view_1 n on a.stud_guard_id_type=n.id_type)"),
        QStringLiteral("left join kinship_degree_view_1 o on "
                       "a.stud_kinship_1_kinship_degree=o.kinship_degree_id)"),
        QStringLiteral("left join kinship_degree_view_2 p on "
                       "a.stud_kinship_2_kinship_degree=p.kinship_degree_id)"),
        QStringLiteral("left join gender q on a.stud_gender=q.gender_id)"),
        QStringLiteral("left join religion r on a.stud_religion=r.religion_id)"),
        where,
    };
}

} // namespace simat::texts

namespace simat::texts {

QStringList tableLevel()
{
    return {QStringLiteral("select * from app_tables"),
            QStringLiteral("where table_name=:table_name")};
}

QStringList tableStructure()
{
    return {QStringLiteral("select * from"), QStringLiteral("client"), QStringLiteral("where 1=2")};
}

QStringList searchByName()
{
    return {QStringLiteral("select"),
            QStringLiteral("acc_code"),
            QStringLiteral("as code,"),
            QStringLiteral("acc_aname"),
            QStringLiteral("as name,*"),
            QStringLiteral("from"),
            QStringLiteral("acc_codes"),
            QStringLiteral("where acc_code ="),
            QStringLiteral(":acc_code"),
            QStringLiteral("project_status = 1 and acc_aname"),
            QStringLiteral("like '%'+ :acc_aname +'%'"),
            QString(),
            QString()};
}

QStringList domainQuestions()
{
    return {
        QStringLiteral("select * from test_ques where ques_group=:ques_group order by ques_id")};
}

QStringList caseTestHeaders()
{
    return {QStringLiteral(
        "select * from test_hdr as a where a.stud_code=:stud_code order by a.test_date desc")};
}

QStringList caseTestRows()
{
    return {QStringLiteral("select *"),
            QStringLiteral("from test_hdr as a,test_dtl as b"),
            QStringLiteral("where a.stud_code=:stud_code"),
            QStringLiteral("and a.test_no=:test_no"),
            QStringLiteral("and a.test_date=:test_date"),
            QStringLiteral("and a.branch_no=b.branch_no"),
            QStringLiteral("and a.test_no=b.test_no"),
            QStringLiteral("and a.test_date=b.test_date and a.stud_code=b.stud_code"),
            QStringLiteral("order by a.test_date desc,a.test_no desc ")};
}

QStringList testDomainAnswers()
{
    return {QStringLiteral("select b.branch_no,b.test_no,b.test_date,b.stud_code,b.ques_group,"
                           "b.ques_id,b.ques_ans_val,b.ques_mark,c.ques_group_name,d.ques_desc,"
                           "a.test_status"),
            QStringLiteral("from test_hdr as a,test_dtl as b,test_ques_group as c,test_ques as d"),
            QStringLiteral("where a.branch_no=b.branch_no and a.test_no=b.test_no and "
                           "a.test_date=b.test_date and a.stud_code=b.stud_code"),
            QStringLiteral("and b.ques_group=c.ques_group_id and b.ques_group=d.ques_group and "
                           "b.ques_id=d.ques_id"),
            QStringLiteral("and a.branch_no=:branch_no and a.test_no=:test_no and "
                           "a.test_date=:test_date and a.stud_code=:stud_code and "
                           "b.ques_group=:ques_group"),
            QStringLiteral("order by b.ques_id")};
}

QStringList testerWithClass()
{
    return {QStringLiteral("select * from tester as a,tester_class as b"), QStringLiteral("where"),
            QStringLiteral("a.tester_class_id=b.tester_class_id"), QStringLiteral("and tester_id"),
            QStringLiteral("=:param_1")};
}

QStringList infoSourceWithClass()
{
    return {QStringLiteral("select * from info_source as a,info_source_class as b"),
            QStringLiteral("where"),
            QStringLiteral("a.info_source_class_id=b.info_source_class_id"),
            QStringLiteral("and info_source_id"), QStringLiteral("=:param_1")};
}

QStringList testTotalMark()
{
    return {QStringLiteral(
        "select branch_no,test_no,test_date,stud_code,sum(ques_mark) as case_meas_tot_mark,"
        "count(case when ques_mark<>0 then 1 end) as answered_ques_count from "
        "test_dtl where branch_no=:branch_no and test_no=:test_no and test_date=:test_date and "
        "stud_code=:stud_code group by branch_no,test_no,test_date,stud_code")};
}

QStringList addTestHeader()
{
    return {QStringLiteral(
        "insert into test_hdr (branch_no,test_no,test_date,test_haj_date,stud_code,tester_id,"
        "info_source_id,school_name,notes,entry_date,entry_type,test_status,who_insert,who_update) "
        "values (:branch_no,:test_no,:test_date,:test_haj_date,:stud_code,:tester_id,"
        ":info_source_id,:school_name,:notes,:entry_date,:entry_type,:test_status,:who_insert,"
        ":who_update)")};
}

QStringList addTestDetail()
{
    return {QStringLiteral(
        "insert into test_dtl (branch_no,test_no,test_date,test_haj_date,stud_code,ques_group,"
        "ques_id,ques_ans_val,ques_mark,notes,entry_date,entry_type,ques_status,who_insert,"
        "who_update) values (:branch_no,:test_no,:test_date,:test_haj_date,:stud_code,"
        ":ques_group,:ques_id,:ques_ans_val,:ques_mark,:notes,:entry_date,:entry_type,"
        ":ques_status,:who_insert,:who_update)")};
}

// Names the test as it was loaded (its date before any change) and gives it its new date.
QStringList updateTestHeader()
{
    return {QStringLiteral(
                "update test_hdr set test_date=:new_test_date, test_haj_date=:test_haj_date, "
                "stud_code=:stud_code, tester_id=:tester_id, "
                "info_source_id=:info_source_id, school_name=:school_name, "
                "notes=:notes, entry_type=:entry_type, who_update=:who_update where "
                "branch_no=:branch_no and test_no=:test_no"),
            QStringLiteral("and test_date=:test_date and stud_code=:stud_code")};
}

// Keeps every detail row of a test under its header's date when the date is changed.
QStringList moveTestDetailsToDate()
{
    return {QStringLiteral("update test_dtl set test_date=:new_test_date, "
                           "test_haj_date=:test_haj_date where branch_no=:branch_no and "
                           "test_no=:test_no"),
            QStringLiteral("and test_date=:test_date and stud_code=:stud_code")};
}

QStringList updateTestDetail()
{
    return {QStringLiteral("update test_dtl set test_haj_date=:test_haj_date, "
                           "ques_ans_val=:ques_ans_val, "
                           "ques_mark=:ques_mark, notes=:notes, entry_type=:entry_type, "
                           "who_update=:who_update where branch_no=:branch_no and "
                           "test_no=:test_no and ques_group=:ques_group and ques_id=:ques_id"),
            QStringLiteral("and test_date=:test_date and stud_code=:stud_code")};
}

QStringList findTestQuestion()
{
    return {QStringLiteral("select * from test_dtl where branch_no=:branch_no and "
                           "test_no=:test_no and ques_group=:ques_group and ques_id=:ques_id"),
            QStringLiteral("and test_date=:test_date and stud_code=:stud_code")};
}

QStringList caseTestsByStatus()
{
    return {QStringLiteral(
        "select * from test_hdr where stud_code=:stud_code and test_status=:test_status")};
}

QStringList testReportRows()
{
    return {QStringLiteral("select * from test_hdr as a,test_dtl as b,test_ques_group as c, "
                           "test_ques as d,student as e,tester as f,info_source as g"),
            QStringLiteral("where a.branch_no=b.branch_no"),
            QStringLiteral("and a.test_no=b.test_no"),
            QStringLiteral("and a.test_date=b.test_date"),
            QStringLiteral("and a.stud_code=b.stud_code"),
            QStringLiteral("and a.stud_code=e.stud_code"),
            QStringLiteral("and a.tester_id=f.tester_id"),
            QStringLiteral("and a.info_source_id=g.info_source_id"),
            QStringLiteral("and a.test_no=b.test_no"),
            QStringLiteral("and b.ques_group=c.ques_group_id"),
            QStringLiteral("and b.ques_group=d.ques_group"),
            QStringLiteral("and b.ques_id=d.ques_id"),
            QStringLiteral("and c.ques_group_id=d.ques_group"),
            QStringLiteral("and a.branch_no=:branch_no"),
            QStringLiteral("and a.stud_code=:stud_code"),
            QStringLiteral("and a.test_no=:test_no"),
            QStringLiteral("and a.test_date=:test_date"),
            QStringLiteral("order by b.ques_group, b.ques_id")};
}

QStringList testDomainSummary()
{
    return {
        QStringLiteral(
            "select a.test_no,a.test_date,a.school_name,e.stud_name,e.stud_birth_date,"
            "e.stud_birth_haj_date,e.stud_main_street,e.stud_guard_home_phone_no,"
            "e.stud_guard_mobile_no,a.test_status,c.ques_group_id,c.ques_group_name,f.tester_name,"
            "g.info_source_name,count(*) as group_ques_count,sum(b.ques_mark) as "
            "tot_group_stud_mark,count(*)*%1 as tot_group_ques_mark,(sum(b.ques_mark) / "
            "(count(*)*%1)) * 100 as group_perc from test_hdr as a,test_dtl as b,"
            "test_ques_group as "
            "c, student as e,tester as f,info_source as g where a.branch_no=b.branch_no and "
            "a.test_no=b.test_no and a.test_date=b.test_date and a.stud_code=b.stud_code and "
            "a.stud_code=e.stud_code and a.tester_id=f.tester_id and "
            "a.info_source_id=g.info_source_id and a.test_no=b.test_no and "
            "b.ques_group=c.ques_group_id and a.branch_no=:branch_no and a.stud_code=:stud_code "
            "and "
            "a.test_no=:test_no and a.test_date=:test_date group by a.test_no,a.test_date,"
            "a.school_name,e.stud_name,e.stud_birth_date,e.stud_birth_haj_date,e.stud_main_street,"
            "e.stud_guard_home_phone_no,e.stud_guard_mobile_no,a.test_status,c.ques_group_id,"
            "c.ques_group_name,f.tester_name,g.info_source_name")
            .arg(checklist::greatestMark),
        QStringLiteral("order by c.ques_group_id")};
}

namespace {
const QString testRowsOfHeader = QStringLiteral(
    "from test_hdr as a,test_dtl as b where a.branch_no=:branch_no and a.test_no=:test_no and "
    "a.test_date=:test_date and a.stud_code=:stud_code and a.branch_no=b.branch_no and "
    "a.test_no=b.test_no and a.test_date=b.test_date and a.stud_code=b.stud_code");
const QString ofTheTest = QStringLiteral("where a.branch_no=:branch_no and a.test_no=:test_no and "
                                         "a.test_date=:test_date and a.stud_code=:stud_code");
} // namespace

QStringList storedQuestionCount()
{
    return {QStringLiteral("select count(b.ques_mark) as count_of_ques ") + testRowsOfHeader};
}

QStringList unansweredQuestionCount()
{
    return {QStringLiteral("select count(b.ques_mark) as count_of_non_ans_ques ") +
            testRowsOfHeader + QStringLiteral(" and b.ques_mark=0")};
}

QStringList closeTest()
{
    return {QStringLiteral("update test_hdr as a set test_status = 0 ") + ofTheTest};
}

QStringList deleteTestHeader()
{
    return {QStringLiteral("delete from test_hdr as a ") + ofTheTest};
}

QStringList deleteTestDetails()
{
    return {QStringLiteral("delete from test_dtl as a ") + ofTheTest};
}

} // namespace simat::texts

namespace simat::texts {

QStringList usersList()
{
    return {QStringLiteral("select * from Users"), QStringLiteral("order by user_code")};
}

QStringList findUserCode()
{
    return {QStringLiteral("select * from Users "), QStringLiteral("where user_code = "),
            QStringLiteral(":user_code ")};
}

QStringList addUser()
{
    return {QStringLiteral(
        "insert into Users (user_code,a_name,l_name,user_password,user_level,can_close_po,"
        "show_cost_price,trans_date,entry_date,entry_type,is_active,who_insert,who_update) values "
        "(:user_code,:a_name,:l_name,:user_password,:user_level,:can_close_po,:show_cost_price,"
        ":trans_date,:entry_date,:entry_type,:is_active,:who_insert,:who_update)")};
}

QStringList updateUser()
{
    return {QStringLiteral("update Users set a_name = :a_name,"),
            QStringLiteral("l_name = :l_name,"),
            QStringLiteral("user_password = :user_password,"),
            QStringLiteral("user_level = :user_level,"),
            QStringLiteral("can_close_po = :can_close_po,"),
            QStringLiteral("show_cost_price=:show_cost_price,"),
            QStringLiteral("trans_date = :trans_date,"),
            QStringLiteral("entry_type = :entry_type,"),
            QStringLiteral("is_active=:is_active,"),
            QStringLiteral("who_update=:who_update"),
            QStringLiteral("where user_code = :user_code")};
}

QStringList findLevel()
{
    return {QStringLiteral("select * from users_levels"),
            QStringLiteral("where level_code=:level_code ")};
}

QStringList otherActiveAdministrators()
{
    return {QStringLiteral("select count(*) as admin_count from Users"),
            QStringLiteral("where user_level=0 and is_active=1"),
            QStringLiteral("and user_code<>:user_code")};
}

QStringList emptyTable()
{
    return {QStringLiteral("select * from gender where 1=2")};
}

QStringList basicDataResult()
{
    return {QStringLiteral("select *,"),
            QStringLiteral("gender_id"),
            QStringLiteral("as code,"),
            QStringLiteral("gender_name"),
            QStringLiteral("as name,entry_date,who_insert,trans_date,who_update,"),
            QStringLiteral("is_active"),
            QStringLiteral("as status"),
            QString(),
            QString(),
            QStringLiteral("from"),
            QStringLiteral("gender"),
            QString()};
}

QStringList setupDataInsert()
{
    return {QStringLiteral("insert into"),
            QStringLiteral("gender(gender_id,gender_name,trans_date,entry_date,entry_type,"
                           "is_active,who_insert,who_update)"),
            QStringLiteral("values (:code,:name,:t_date,:e_date,:e_type,:is_active,:wi,:wu)")};
}

QStringList setupDataUpdate()
{
    return {QStringLiteral("update"),
            QStringLiteral("gender"),
            QStringLiteral("set"),
            QStringLiteral("gender_name=:name,"),
            QStringLiteral("trans_date=:t_date,"),
            QStringLiteral("entry_type=:e_type,"),
            QStringLiteral("is_active=:is_active,"),
            QStringLiteral("who_update=:wu"),
            QStringLiteral("where"),
            QStringLiteral("gender_id=:code")};
}

QStringList setupDataDelete()
{
    return {QStringLiteral("DELETE from"), QStringLiteral("gender"), QStringLiteral("where"),
            QStringLiteral("gender_id"), QStringLiteral("=:code")};
}

QStringList findSetupDataTransaction()
{
    return {QStringLiteral("select * from"), QStringLiteral("gender"), QStringLiteral("where"),
            QStringLiteral("gender_id"), QStringLiteral("=:code")};
}

QStringList tablesForCheckDelete()
{
    return {QStringLiteral("select * from app_tables"),
            QStringLiteral("where table_level > :tbl_level")};
}

QStringList resultLevel2()
{
    return {QStringLiteral("select a.*,"),
            QStringLiteral("a.info_source_id"),
            QStringLiteral("as code,"),
            QStringLiteral("a.info_source_name"),
            QStringLiteral("as name,"),
            QStringLiteral("b.info_source_class_name"),
            QStringLiteral("as parent_name,"),
            QStringLiteral("a.entry_date,a.who_insert,a.trans_date,a.who_update,"),
            QStringLiteral("a.is_active"),
            QStringLiteral("as status"),
            QStringLiteral("from"),
            QStringLiteral("info_source"),
            QStringLiteral("as a,"),
            QStringLiteral("info_source_class"),
            QStringLiteral("as b"),
            QStringLiteral("where"),
            QStringLiteral("a.info_source_class_id"),
            QStringLiteral("="),
            QStringLiteral("b.info_source_class_id"),
            QString()};
}

QStringList setupDataInsertLevel2()
{
    return {QStringLiteral("insert into"),
            QStringLiteral("info_source(info_source_class_id,info_source_id,info_source_name,"
                           "trans_date,entry_date,entry_type,is_active,who_insert,who_update)"),
            QStringLiteral("values (:parent_code,:code,:name,:t_date,:e_date,:e_type,:is_active,"
                           ":wi,:wu)")};
}

QStringList setupDataUpdateLevel2()
{
    return {QStringLiteral("update"),
            QStringLiteral("info_source"),
            QStringLiteral("set"),
            QStringLiteral("info_source_class_id=:parent_code,"),
            QStringLiteral("info_source_name=:name,"),
            QStringLiteral("trans_date=:t_date,"),
            QStringLiteral("entry_type=:e_type,"),
            QStringLiteral("is_active=:is_active,"),
            QStringLiteral("who_update=:wu"),
            QStringLiteral("where"),
            QStringLiteral("info_source_id=:code")};
}

QStringList sysTableData()
{
    return {QStringLiteral("select * from app_tables"), QStringLiteral("where table_id=:table_id")};
}

QStringList registryTables(int level)
{
    return {QStringLiteral("select * from app_tables"),
            QStringLiteral("where table_level = %1 and  table_status = 1").arg(level)};
}

} // namespace simat::texts

namespace simat::texts {

QStringList casesWithTests()
{
    return {QStringLiteral("select stud_code,count(*) as case_tests_count"),
            QStringLiteral("from test_hdr"), QStringLiteral("group by stud_code")};
}

QStringList studentColumns()
{
    QStringList columns;
    for (const schema::Column &column : schema::table(QStringLiteral("student")).columns)
        columns << QLatin1String(column.name);
    return columns;
}

QStringList addStudent()
{
    const QStringList columns = studentColumns();
    return {QStringLiteral("INSERT INTO student"),
            QStringLiteral("(") + columns.join(QLatin1Char(',')) + QStringLiteral(")"),
            QStringLiteral("VALUES"),
            QStringLiteral("(:") + columns.join(QStringLiteral(",:")) + QStringLiteral(")")};
}

QStringList updateStudent()
{
    const QStringList unchanged = {QStringLiteral("branch_no"), QStringLiteral("stud_code"),
                                   QStringLiteral("entry_date"), QStringLiteral("who_insert")};
    QStringList assignments;
    for (const QString &column : studentColumns())
        if (!unchanged.contains(column))
            assignments << column + QStringLiteral("=:") + column;
    return {QStringLiteral("UPDATE  student"), QStringLiteral("SET"),
            assignments.join(QStringLiteral(", ")), QStringLiteral("WHERE"),
            QStringLiteral("stud_code=:stud_code")};
}

} // namespace simat::texts

namespace simat::texts {

// Two tests of one day follow their numbers, so the latest two are the same on both engines.
QStringList comparedCaseTests()
{
    return {QStringLiteral("select *"), QStringLiteral("from test_hdr as a"),
            QStringLiteral("where a.stud_code=:stud_code"),
            QStringLiteral("order by a.test_date desc,a.test_no desc")};
}

QStringList comparedTestAnswers()
{
    return {QStringLiteral("select * from test_dtl as a,test_ques as b"),
            QStringLiteral("where branch_no = :branch_no"),
            QStringLiteral("and stud_code = :stud_code"),
            QStringLiteral("and test_no = :test_no"),
            QStringLiteral("and test_date =:test_date"),
            QStringLiteral("and a.ques_group = b.ques_group"),
            QStringLiteral("and a.ques_id = b.ques_id"),
            QStringLiteral("order by a.ques_group,a.ques_id")};
}

QStringList questionDomain()
{
    return {QStringLiteral("select * from test_ques_group"),
            QStringLiteral("where ques_group_id=:ques_group_id")};
}

} // namespace simat::texts

namespace simat::texts {

namespace {

const QString answersOfTest = QStringLiteral(
    "a.branch_no=b.branch_no and a.test_no=b.test_no and a.test_date=b.test_date and "
    "a.stud_code=b.stud_code");

// A branch's tests of a period with their cases, testers and sources; `answers` joins what the
// tests' answers bring.
QStringList periodTests(const QStringList &answers = {})
{
    return QStringList{QStringLiteral("from test_hdr as a")} + answers +
           QStringList{QStringLiteral("join student as e on a.stud_code=e.stud_code"),
                       QStringLiteral("join tester as f on a.tester_id=f.tester_id"),
                       QStringLiteral("join info_source as g on a.info_source_id=g.info_source_id"),
                       QStringLiteral("where a.branch_no=:branch_no"),
                       QStringLiteral("and a.test_date between :from_date and :to_date")};
}

} // namespace

QStringList exportedTestCount()
{
    return QStringList{QStringLiteral("select count(*) as tests")} + periodTests() +
           QStringList{QStringLiteral("and exists (select 1 from test_dtl as b where ") +
                       answersOfTest + QLatin1Char(')')};
}

QStringList checklistDomains()
{
    return {QStringLiteral(
        "select ques_group_id,ques_group_name from test_ques_group order by ques_group_id")};
}

QStringList checklistQuestions()
{
    return {QStringLiteral("select ques_group,ques_id,ques_desc from test_ques")};
}

QStringList exportedAnswers()
{
    return QStringList{QStringLiteral(
               "select a.stud_code,e.stud_name,a.test_no,a.test_date,a.test_status,"
               "f.tester_name,g.info_source_name,b.ques_group,b.ques_id,b.ques_ans_val,"
               "b.ques_mark")} +
           periodTests({QStringLiteral("join test_dtl as b on ") + answersOfTest}) +
           QStringList{
               QStringLiteral("order by a.test_date,a.test_no,a.stud_code,b.ques_group,b.ques_id")};
}

} // namespace simat::texts
