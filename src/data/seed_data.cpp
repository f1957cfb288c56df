#include "seed_data.h"

#include "accounts.h"
#include "core/error.h"
#include "database.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

namespace simat::seed {

namespace {

void insertRow(Database &database, const QString &table, const QVariantList &values)
{
    QStringList marks;
    for (qsizetype i = 0; i < values.size(); ++i)
        marks << QStringLiteral("?");
    QSqlQuery query(database.connection());
    query.prepare(QStringLiteral("insert into %1 values (%2)").arg(table, marks.join(',')));
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw Error(query.lastError().text());
}

// A lookup row: code, name, then the audit columns entry_date, who_insert, trans_date,
// who_update, is_active, entry_type.
QVariantList lookupRow(const QVariantList &keyAndName)
{
    const QDate today = QDate::currentDate();
    QVariantList row = keyAndName;
    row << today << 1 << today << 0 << 1 << 1;
    return row;
}

void insertLookup(Database &database, const char *table, const QStringList &names)
{
    for (int i = 0; i < names.size(); ++i)
        insertRow(database, QLatin1String(table), lookupRow({i + 1, names.at(i)}));
}

struct Registered {
    const char *table;
    const char *desc;
    int level;
    const char *parent;
    int status;
};

void writeRegistry(Database &database)
{
    static const Registered rows[] = {
        {"info_source_class", "تصنيف مصادر المعلومات", 1, "", 1},
        {"tester_class", "تصنيف القائمين بالاختبار", 1, "", 1},
        {"info_source", "مصادر المعلومات", 2, "info_source_class", 1},
        {"tester", "القائمين بالاختبار", 2, "tester_class", 1},
        {"country", "الدول", 1, "", 1},
        {"nationality", "الجنسيات", 1, "", 1},
        {"id_type", "أنواع الهوية", 1, "", 1},
        {"edu_phase", "المراحل الدراسية", 1, "", 1},
        {"edu_class_level", "الصفوف الدراسية", 1, "", 1},
        {"house_type", "أنواع السكن", 1, "", 1},
        {"house_ownership", "ملكية السكن", 1, "", 1},
        {"neighborhood", "الأحياء", 1, "", 1},
        {"city", "المدن", 1, "", 1},
        {"district", "المناطق", 1, "", 1},
        {"kinship_degree", "درجات القرابة", 1, "", 1},
        {"gender", "الجنس", 1, "", 1},
        {"religion", "الديانات", 1, "", 1},
        {"users_levels", "مستويات المستخدمين", 1, "", 0},
        {"student", "الخاضعين للاختبار", 3, "", 0},
        {"test_hdr", "الاختبارات", 3, "", 0},
    };
    for (const Registered &row : rows)
        insertRow(database, QStringLiteral("app_tables"),
                  {QString::fromUtf8(row.table), QString::fromUtf8(row.table),
                   QString::fromUtf8(row.desc), row.level, QString::fromUtf8(row.parent),
                   row.status});
}

void writeUsers(Database &database)
{
    const QStringList levels = {QStringLiteral("مدير النظام"), QStringLiteral("مشرف"),
                                QStringLiteral("قائم بالاختبار"), QStringLiteral("مستعلم")};
    for (int level = 0; level < levels.size(); ++level)
        insertRow(database, QStringLiteral("users_levels"), {level, levels.at(level)});
    const QDate today = QDate::currentDate();
    // user_code, a_name, l_name, user_password, user_level, can_close_po, show_cost_price,
    // entry_date, trans_date, entry_type, who_insert, who_update, is_active, failed_logins,
    // last_failed_login
    // The hash is written by the statement that keeps it out of the text the server is sent.
    insertRow(database, QStringLiteral("users"),
              {1, QStringLiteral("مدير النظام"), QStringLiteral("System Administrator"),
               QString(""), 0, 1, 1, today, today, 1, 1, 0, 1, 0,
               QVariant(QMetaType::fromType<QString>())});
    accounts::storeInstallationPassword(database, 1, accounts::installationPassword);
}

struct Domain {
    const char *name;
    QStringList questions;
};

const std::vector<Domain> &checklist()
{
    static const std::vector<Domain> domains = {
        {"إضطرابات التواصل اللفظى وغير اللفظى",
         {QStringLiteral("يتأخر في اكتساب الكلام مقارنة بأقرانه"),
          QStringLiteral("يكرر الكلمات أو العبارات التي يسمعها دون أن يفهم معناها"),
          QStringLiteral("يجد صعوبة في بدء حديث مع الآخرين أو الاستمرار فيه"),
          QStringLiteral("لا يشير بإصبعه ليطلب شيئاً أو ليلفت الانتباه إليه"),
          QStringLiteral("يتجنب النظر في عين من يتحدث إليه"),
          QStringLiteral("يخطئ في استعمال الضمائر، فيقول \"أنت\" وهو يقصد نفسه"),
          QStringLiteral("لا يستجيب عند مناداته باسمه"),
          QStringLiteral("يتكلم بنبرة صوت رتيبة أو غير مألوفة"),
          QStringLiteral("يجد صعوبة في فهم التعليمات البسيطة"),
          QStringLiteral("لا يفهم تعابير الوجه والإيماءات ولا يستعملها")}},
        {"إضطرابات التفاعل الاجتماعى",
         {QStringLiteral("يفضل اللعب منفرداً على اللعب مع الأطفال الآخرين"),
          QStringLiteral("لا يشارك الآخرين اهتماماته أو ألعابه"),
          QStringLiteral("يجد صعوبة في تكوين صداقات مع أقرانه"),
          QStringLiteral("لا يبادل الآخرين الابتسام"),
          QStringLiteral("لا يبدي اهتماماً بمشاعر الآخرين"),
          QStringLiteral("لا يقلد حركات الآخرين أو أفعالهم"),
          QStringLiteral("يتعامل مع الأشخاص كأنهم أشياء"),
          QStringLiteral("لا يلعب ألعاب التخيل أو تمثيل الأدوار"),
          QStringLiteral("لا ينتظر دوره في الألعاب الجماعية"),
          QStringLiteral("لا يطلب المساعدة من الكبار عند حاجته إليها")}},
        {"الخلل الحسى",
         {QStringLiteral("يضع يديه على أذنيه عند سماع أصوات عادية"),
          QStringLiteral("ينزعج من ملمس بعض الملابس أو الأقمشة"),
          QStringLiteral("يشم الأشياء أو يتذوقها بطريقة غير مألوفة"),
          QStringLiteral("لا يبدي ألماً واضحاً عندما يصاب"),
          QStringLiteral("ينجذب إلى الأضواء أو الأشياء الدوارة ويطيل النظر إليها"),
          QStringLiteral("يرفض أنواعاً كثيرة من الطعام بسبب ملمسها أو لونها"),
          QStringLiteral("يتضايق من الأماكن المزدحمة أو الصاخبة"),
          QStringLiteral("يبحث عن الحركة الشديدة كالدوران أو القفز المستمر"),
          QStringLiteral("يتجنب أن يلمسه الآخرون أو يحتضنوه"),
          QStringLiteral("ينظر إلى الأشياء بطرف عينه")}},
        {"مشكلات عاطفية واجتماعية",
         {QStringLiteral("تنتابه نوبات غضب شديدة دون سبب واضح"),
          QStringLiteral("يضحك أو يبكي في مواقف لا تستدعي ذلك"),
          QStringLiteral("يبدو قلقاً أو متوتراً معظم الوقت"),
          QStringLiteral("يصعب تهدئته عندما ينزعج"),
          QStringLiteral("يخاف من أشياء لا تخيف الأطفال عادة"),
          QStringLiteral("لا يخاف من المخاطر الحقيقية"),
          QStringLiteral("تتقلب حالته المزاجية بسرعة"),
          QStringLiteral("لا يعبر عن مشاعره بالكلام أو بالإشارة"),
          QStringLiteral("ينزعج انزعاجاً شديداً من أي تغيير في روتينه اليومي"),
          QStringLiteral("يبدو غير مبالٍ بحضور والديه أو غيابهما")}},
        {"إضطرابات سلوكية",
         {QStringLiteral("يكرر حركات نمطية كرفرفة اليدين أو هز الجسم"),
          QStringLiteral("يصر على ترتيب الأشياء بطريقة معينة"),
          QStringLiteral("يتعلق بأشياء غير مألوفة ويحملها معه دائماً"),
          QStringLiteral("يلعب بالألعاب بطريقة غير وظيفية كأن يصفها صفوفاً أو يدير عجلاتها"),
          QStringLiteral("ينشغل انشغالاً شديداً باهتمام واحد محدود"),
          QStringLiteral("يؤذي نفسه بالضرب أو العض"),
          QStringLiteral("يكثر الحركة ولا يستقر في مكانه"), QStringLiteral("يمشي على أطراف أصابعه"),
          QStringLiteral("يصر على سلوك الطريق نفسه واتباع الروتين نفسه"),
          QStringLiteral("يتصرف بعدوانية تجاه الآخرين")}},
    };
    return domains;
}

void writeChecklist(Database &database)
{
    int group = 0;
    for (const Domain &domain : checklist()) {
        ++group;
        insertRow(database, QStringLiteral("test_ques_group"),
                  {group, QString::fromUtf8(domain.name)});
        for (int i = 0; i < domain.questions.size(); ++i)
            insertRow(database, QStringLiteral("test_ques"),
                      {group, i + 1, domain.questions.at(i)});
    }
}

void writeLookups(Database &database)
{
    insertLookup(database, "gender", {QStringLiteral("ذكر"), QStringLiteral("أنثى")});
    insertLookup(database, "religion", {QStringLiteral("الإسلام"), QStringLiteral("أخرى")});
    insertLookup(database, "country",
                 {QStringLiteral("المملكة العربية السعودية"), QStringLiteral("مصر"),
                  QStringLiteral("الأردن"), QStringLiteral("الإمارات العربية المتحدة"),
                  QStringLiteral("الكويت"), QStringLiteral("اليمن"), QStringLiteral("السودان"),
                  QStringLiteral("سوريا")});
    insertLookup(database, "nationality",
                 {QStringLiteral("سعودي"), QStringLiteral("مصري"), QStringLiteral("أردني"),
                  QStringLiteral("إماراتي"), QStringLiteral("كويتي"), QStringLiteral("يمني"),
                  QStringLiteral("سوداني"), QStringLiteral("سوري")});
    insertLookup(database, "id_type",
                 {QStringLiteral("هوية وطنية"), QStringLiteral("إقامة"), QStringLiteral("جواز سفر"),
                  QStringLiteral("شهادة ميلاد")});
    insertLookup(database, "edu_phase",
                 {QStringLiteral("ما قبل المدرسة"), QStringLiteral("رياض الأطفال"),
                  QStringLiteral("المرحلة الابتدائية")});
    insertLookup(database, "edu_class_level",
                 {QStringLiteral("المستوى الأول"), QStringLiteral("المستوى الثاني"),
                  QStringLiteral("المستوى الثالث"), QStringLiteral("الصف الأول"),
                  QStringLiteral("الصف الثاني")});
    insertLookup(database, "house_type",
                 {QStringLiteral("فيلا"), QStringLiteral("شقة"), QStringLiteral("دور مستقل"),
                  QStringLiteral("بيت شعبي")});
    insertLookup(database, "house_ownership",
                 {QStringLiteral("ملك"), QStringLiteral("إيجار"), QStringLiteral("سكن حكومي")});
    insertLookup(database, "city",
                 {QStringLiteral("الرياض"), QStringLiteral("جدة"), QStringLiteral("مكة المكرمة"),
                  QStringLiteral("المدينة المنورة"), QStringLiteral("الدمام"),
                  QStringLiteral("أبها")});
    insertLookup(database, "district",
                 {QStringLiteral("منطقة الرياض"), QStringLiteral("منطقة مكة المكرمة"),
                  QStringLiteral("منطقة المدينة المنورة"), QStringLiteral("المنطقة الشرقية"),
                  QStringLiteral("منطقة عسير")});
    insertLookup(database, "neighborhood",
                 {QStringLiteral("حي الملز"), QStringLiteral("حي العليا"),
                  QStringLiteral("حي النسيم"), QStringLiteral("حي الروضة"),
                  QStringLiteral("حي السلامة")});
    insertLookup(database, "kinship_degree",
                 {QStringLiteral("الأب"), QStringLiteral("الأم"), QStringLiteral("الأخ"),
                  QStringLiteral("الأخت"), QStringLiteral("الجد"), QStringLiteral("الجدة"),
                  QStringLiteral("العم"), QStringLiteral("الخال")});
    insertLookup(database, "tester_class",
                 {QStringLiteral("أخصائي نفسي"), QStringLiteral("أخصائي تخاطب"),
                  QStringLiteral("أخصائي تربية خاصة")});
    insertLookup(
        database, "info_source_class",
        {QStringLiteral("الأسرة"), QStringLiteral("المدرسة"), QStringLiteral("الملاحظة المباشرة")});
    const QStringList sources = {QStringLiteral("الأب"), QStringLiteral("الأم"),
                                 QStringLiteral("معلم الفصل"),
                                 QStringLiteral("ملاحظة القائم بالاختبار")};
    const int classOf[] = {1, 1, 2, 3};
    for (int i = 0; i < sources.size(); ++i)
        insertRow(database, QStringLiteral("info_source"),
                  lookupRow({classOf[i], i + 1, sources.at(i)}));
}

} // namespace

void write(Database &database)
{
    writeRegistry(database);
    writeUsers(database);
    writeChecklist(database);
    writeLookups(database);
}

} // namespace simat::seed
