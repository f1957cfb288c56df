#include "case_fields.h"

#include "text_search.h"

namespace simat::case_fields {

namespace {

Field text(const char *column, const char *caption, Kind kind = Kind::Text)
{
    return {QLatin1String(column), QString::fromUtf8(caption), kind};
}

Field lookup(const char *column, const char *caption, const char *table, const char *code,
             const char *name, bool open = true)
{
    return {QLatin1String(column),
            QString::fromUtf8(caption),
            Kind::Lookup,
            {QLatin1String(table), QLatin1String(code), QLatin1String(name), open}};
}

QList<Field> makeFields()
{
    const Kind digits = Kind::Digits;
    const Kind date = Kind::Date;
    return {
        text("stud_name", "الاسم"),
        text("stud_birth_date", "تاريخ الميلاد", date),
        lookup("stud_gender", "النوع", "gender", "gender_id", "gender_name", false),
        text("is_active", "حالة التعامل", Kind::Active),
        text("stud_main_street", "العنوان"),
        text("stud_guard_home_phone_no", "رقم هاتف المنزل", digits),
        text("stud_guard_mobile_no", "رقم الجوال", digits),
        lookup("stud_birth_country", "مكان الميلاد", "country", "cou_id", "cou_name"),
        lookup("stud_nationality", "الجنسية", "nationality", "nationality_id", "nationality_name"),
        lookup("stud_religion", "الديانة", "religion", "religion_id", "religion_name"),
        lookup("stud_id_type", "نوع الهوية", "id_type", "id_type", "id_type_name"),
        text("stud_id_no", "رقم الإقامة / الهوية", digits),
        text("stud_id_date", "تاريخ الهوية", date),
        text("stud_id_source", "جهة الإصدار"),
        lookup("stud_edu_phase", "المرحلة الدراسية", "edu_phase", "edu_phase_id", "edu_phase_name"),
        lookup("stud_edu_class_level", "الصف الدراسى", "edu_class_level", "edu_class_level_id",
               "edu_class_level_name"),
        text("stud_file_no", "رقم ملف الطالب", digits),
        lookup("stud_house_type", "نوع السكن", "house_type", "house_type_id", "house_type_name"),
        lookup("stud_house_ownership", "ملكية السكن", "house_ownership", "house_ownership_id",
               "house_ownership_name"),
        lookup("stud_district", "المنطقة الإدارية", "district", "district_id", "district_name"),
        lookup("stud_city", "المدينة", "city", "city_id", "city_name"),
        lookup("stud_neighborhood", "الحى", "neighborhood", "neighborhood_id", "neighborhood_name"),
        text("stud_sub_street", "الشارع الفرعى"),
        text("stud_house_no", "رقم المنزل"),
        text("stud_postal_code", "الرمز البريدى"),
        text("stud_postal_no", "صندوق البريد"),
        text("stud_guard_name", "اسم ولى الأمر"),
        lookup("stud_guard_nationality", "جنسية ولى الأمر", "nationality", "nationality_id",
               "nationality_name"),
        lookup("stud_guard_kinship_degree", "صلة قرابة ولى الأمر", "kinship_degree",
               "kinship_degree_id", "kinship_degree_name"),
        lookup("stud_guard_id_type", "نوع هوية ولى الأمر", "id_type", "id_type", "id_type_name"),
        text("stud_guard_id_no", "رقم هوية ولى الأمر", digits),
        text("stud_guard_id_date", "تاريخ هوية ولى الأمر", date),
        text("stud_guard_id_source", "جهة إصدار هوية ولى الأمر"),
        text("stud_guard_job", "وظيفة ولى الأمر"),
        text("stud_guard_work_place", "جهة عمل ولى الأمر"),
        text("stud_guard_work_phone_no", "رقم هاتف العمل", digits),
        text("stud_guard_email", "البريد الالكتروني"),
        text("stud_kinship_1_name", "اسم قريب الطالب (1)"),
        lookup("stud_kinship_1_kinship_degree", "صلة قرابة القريب (1)", "kinship_degree",
               "kinship_degree_id", "kinship_degree_name"),
        text("stud_kinship_1_phone_no", "رقم هاتف القريب الأول", digits),
        text("stud_kinship_2_name", "اسم قريب الطالب (2)"),
        lookup("stud_kinship_2_kinship_degree", "صلة قرابة القريب (2)", "kinship_degree",
               "kinship_degree_id", "kinship_degree_name"),
        text("stud_kinship_2_phone_no", "رقم هاتف القريب الثانى", digits),
    };
}

QString compared(const QString &title)
{
    return search::readerForm(title).simplified();
}

} // namespace

const QList<Field> &fields()
{
    static const QList<Field> all = makeFields();
    return all;
}

QString activeWord(bool active)
{
    return active ? QStringLiteral("نشط") : QStringLiteral("موقوف");
}

QString heading(const Field &field)
{
    return QStringLiteral("%1 (%2)").arg(field.column, field.caption);
}

int fieldNamed(const QString &title)
{
    const QString wanted = compared(title);
    for (qsizetype i = 0; i < fields().size(); ++i) {
        const Field &field = fields().at(i);
        for (const QString &name : {field.caption, field.column, heading(field)})
            if (compared(name) == wanted)
                return int(i);
    }
    return -1;
}

} // namespace simat::case_fields
