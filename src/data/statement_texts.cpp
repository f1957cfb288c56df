#include "statement_texts.h"

namespace simat::texts {

QStringList findUser()
{
    return {QStringLiteral("select * from users"), QStringLiteral("where user_code=:code"),
            QStringLiteral("and"), QStringLiteral("user_password=:password")};
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
