#include "audit_words.h"

#include "case_fields.h"
#include "core/bidi.h"
#include "core/checklist.h"
#include "core/checklist_test.h"
#include "statement.h"

#include <QList>
#include <QStringList>
#include <utility>

namespace simat::audit {

namespace {

struct Caption {
    const char *table;
    const char *column;
    const char *words;
};

// The captions of the columns that the case form's fields do not name.
constexpr Caption captions[] = {
    {"student", "stud_code", "كود الحالة"},
    {"student", "stud_birth_haj_date", "تاريخ الميلاد هجرى"},
    {"student", "stud_status", "حالة الطالب"},
    {"test_hdr", "test_no", "رقم الاختبار"},
    {"test_hdr", "test_date", "تاريخ الاختبار"},
    {"test_hdr", "test_haj_date", "التاريخ الهجرى"},
    {"test_hdr", "stud_code", "كود الحالة"},
    {"test_hdr", "tester_id", "القائم بالاختبار"},
    {"test_hdr", "info_source_id", "مصدر المعلومات"},
    {"test_hdr", "school_name", "المدرسة"},
    {"test_hdr", "notes", "ملاحظات"},
    {"test_hdr", "test_status", "حالة الاختبار"},
    {"test_dtl", "ques_ans_val", "الإجابة"},
    {"test_dtl", "ques_mark", "الدرجة"},
    {"test_dtl", "notes", "ملاحظات"},
    {"test_dtl", "ques_status", "حالة السؤال"},
    {"users", "user_code", "كود المستخدم"},
    {"users", "a_name", "الاسم العربى"},
    {"users", "l_name", "الاسم اللاتينى"},
    {"users", "user_password", "كلمة المرور"},
    {"users", "user_level", "مجموعة الصلاحيات"},
    {"users", "can_close_po", "إغلاق الاختبارات"},
    {"users", "show_cost_price", "إظهار سعر التكلفة"},
    {"users", "is_active", "حالة الحساب"},
    {"tester_class", "tester_class_id", "الكود"},
    {"tester_class", "tester_class_name", "الاسم"},
    {"tester", "tester_class_id", "التصنيف"},
    {"tester", "tester_id", "الكود"},
    {"tester", "tester_name", "الاسم"},
    {"info_source_class", "info_source_class_id", "الكود"},
    {"info_source_class", "info_source_class_name", "الاسم"},
    {"info_source", "info_source_class_id", "التصنيف"},
    {"info_source", "info_source_id", "الكود"},
    {"info_source", "info_source_name", "الاسم"},
    {"", "restore", "النسخة الاحتياطية"},
};

// The words of the key columns in a record's or an item's key ("stud_code=7" reads "الحالة 7").
constexpr std::pair<const char *, const char *> keyWords[] = {
    {"branch_no", "فرع"},        {"test_no", "اختبار"},
    {"test_date", "بتاريخ"},     {"stud_code", "الحالة"},
    {"ques_group", "المجال"},    {"ques_id", "السؤال"},
    {"user_code", "المستخدم"},   {"tester_class_id", "التصنيف"},
    {"tester_id", "الكود"},      {"info_source_class_id", "التصنيف"},
    {"info_source_id", "الكود"},
};

struct LookupOf {
    QString table;
    QString column;
    case_fields::Lookup lookup;
};

QList<LookupOf> lookups()
{
    QList<LookupOf> all;
    for (const case_fields::Field &field : case_fields::fields())
        if (field.kind == case_fields::Kind::Lookup)
            all << LookupOf{QStringLiteral("student"), field.column, field.lookup};
    auto add = [&all](const char *table, const char *column, const char *lookupTable,
                      const char *code, const char *name) {
        all << LookupOf{QLatin1String(table),
                        QLatin1String(column),
                        {QLatin1String(lookupTable), QLatin1String(code), QLatin1String(name)}};
    };
    add("test_hdr", "tester_id", "tester", "tester_id", "tester_name");
    add("test_hdr", "info_source_id", "info_source", "info_source_id", "info_source_name");
    add("users", "user_level", "users_levels", "level_code", "a_name");
    add("tester", "tester_class_id", "tester_class", "tester_class_id", "tester_class_name");
    add("info_source", "info_source_class_id", "info_source_class", "info_source_class_id",
        "info_source_class_name");
    return all;
}

QString whenField(const QString &table, const QString &column)
{
    return QStringLiteral(" when ") + Statement::textLiteral(table + QLatin1Char('.') + column) +
           QStringLiteral(" then ");
}

const QString fieldOfTable = QStringLiteral("coalesce(a.table_name, '') || '.' || a.field_name");

QString fieldWords()
{
    QString text = QStringLiteral("case ") + fieldOfTable;
    for (const case_fields::Field &field : case_fields::fields())
        text += whenField(QStringLiteral("student"), field.column) +
                Statement::textLiteral(field.caption);
    for (const Caption &caption : captions)
        text += whenField(QLatin1String(caption.table), QLatin1String(caption.column)) +
                Statement::textLiteral(QString::fromUtf8(caption.words));
    return text + QStringLiteral(" else a.field_name end as field_words");
}

// A stored value of the log (`value`: a.old_value or a.new_value) as the screens show it.
QString valueWords(const QString &value, const QString &alias)
{
    QString answers;
    for (checklist::Answer answer : checklist::answers)
        answers += QStringLiteral(" when %1 then %2")
                       .arg(Statement::textLiteral(checklist::storedWord(answer)),
                            Statement::textLiteral(checklist::arabicWord(answer)));
    QString statuses;
    for (checklist::TestStatus status :
         {checklist::TestStatus::Open, checklist::TestStatus::Closed})
        statuses += QStringLiteral(" when '%1' then %2")
                        .arg(checklist::storedCode(status))
                        .arg(Statement::textLiteral(checklist::statusWord(status)));
    QString text = QStringLiteral("case ") + fieldOfTable;
    text += whenField(QStringLiteral("test_dtl"), QStringLiteral("ques_ans_val")) +
            QStringLiteral("case %1%2 else %1 end").arg(value, answers);
    text += whenField(QStringLiteral("test_hdr"), QStringLiteral("test_status")) +
            QStringLiteral("case %1%2 else %1 end").arg(value, statuses);
    const QString active = QStringLiteral("case %1 when '0' then %2 when '1' then %3 else %1 end")
                               .arg(value, Statement::textLiteral(case_fields::activeWord(false)),
                                    Statement::textLiteral(case_fields::activeWord(true)));
    for (const char *table : {"student", "users"})
        text += whenField(QLatin1String(table), QStringLiteral("is_active")) + active;
    for (const LookupOf &of : lookups())
        text +=
            whenField(of.table, of.column) +
            QStringLiteral("coalesce((select l.%1 from %2 l where cast(l.%3 as text) = %4), %4)")
                .arg(of.lookup.nameColumn, of.lookup.table, of.lookup.codeColumn, value);
    return text + QStringLiteral(" else %1 end as %2").arg(value, alias);
}

// A key ("branch_no=0 test_no=5 test_date=2026-12-08") in words, each value isolated so that a
// date reads in its own order ("اختبار 5، بتاريخ 2026-12-08"); the first branch is not named.
QString keyInWords(const QString &key, const QString &alias)
{
    QString text = QStringLiteral("replace(replace(%1, 'branch_no=0 ', ''), ' ', '%2، ') || "
                                  "case when %1 = '' then '' else '%2' end")
                       .arg(key, QString(popDirectionalIsolate));
    for (const auto &[column, words] : keyWords)
        text = QStringLiteral("replace(%1, '%2=', %3)")
                   .arg(text, QLatin1String(column),
                        Statement::textLiteral(QString::fromUtf8(words) + QLatin1Char(' ') +
                                               leftToRightIsolate));
    return text + QStringLiteral(" as ") + alias;
}

QString tableWords()
{
    QString text = QStringLiteral("case a.table_name");
    for (const auto &[table, words] : loggedTables())
        text += QStringLiteral(" when %1 then %2")
                    .arg(Statement::textLiteral(table), Statement::textLiteral(words));
    return text + QStringLiteral(" else a.table_name end as table_words");
}

} // namespace

QList<std::pair<QString, QString>> loggedTables()
{
    return {{QStringLiteral("student"), QStringLiteral("الحالات")},
            {QStringLiteral("test_hdr"), QStringLiteral("بيانات الاختبار")},
            {QStringLiteral("test_dtl"), QStringLiteral("إجابات الاختبار")},
            {QStringLiteral("users"), QStringLiteral("حسابات المستخدمين")},
            {QStringLiteral("tester_class"), QStringLiteral("تصنيف القائمين بالاختبار")},
            {QStringLiteral("tester"), QStringLiteral("القائمين بالاختبار")},
            {QStringLiteral("info_source_class"), QStringLiteral("تصنيف مصادر المعلومات")},
            {QStringLiteral("info_source"), QStringLiteral("مصادر المعلومات")}};
}

QString wordsColumns()
{
    return QStringList{tableWords(),
                       keyInWords(QStringLiteral("a.record_key"), QStringLiteral("record_words")),
                       keyInWords(QStringLiteral("a.item_key"), QStringLiteral("item_words")),
                       fieldWords(),
                       valueWords(QStringLiteral("a.old_value"), QStringLiteral("old_words")),
                       valueWords(QStringLiteral("a.new_value"), QStringLiteral("new_words"))}
        .join(QStringLiteral(", "));
}

} // namespace simat::audit
