#include "sample_data.h"

#include "core/checklist.h"
#include "core/error.h"
#include "core/hijri.h"
#include "data/database.h"
#include "data/dm.h"

#include <QDate>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace simat::sample {

namespace {

// Rows per transaction.
constexpr int casesPerChunk = 5000;
constexpr int testsPerChunk = 2000;
// The oldest child, in years, and the most tests one child gets.
constexpr int oldestYears = 8;
constexpr int usualMostTests = 12;

// Random numbers that come out the same with every standard library: the engine is fixed by
// the standard, the distributions are our own.
class Random {
public:
    explicit Random(quint32 seed, quint32 stream)
    {
        std::seed_seq sequence{seed, stream};
        m_engine.seed(sequence);
    }

    // 0 .. n-1
    int below(int n) { return n <= 0 ? 0 : int((quint64(m_engine()) * quint64(n)) >> 32); }
    // lo .. hi, both included
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    // (0, 1)
    double unit() { return (double(m_engine()) + 0.5) / 4294967296.0; }
    bool chance(double probability) { return unit() < probability; }
    double normal()
    {
        const double radius = std::sqrt(-2.0 * std::log(unit()));
        return radius * std::cos(6.283185307179586 * unit());
    }
    const QString &pick(const QStringList &list) { return list.at(below(int(list.size()))); }
    int pick(const std::vector<int> &list) { return list.at(size_t(below(int(list.size())))); }
    QString digits(int count)
    {
        QString text;
        text.reserve(count);
        for (int i = 0; i < count; ++i)
            text += QLatin1Char(char('0' + below(10)));
        return text;
    }

private:
    std::mt19937 m_engine;
};

// ---- Names and places --------------------------------------------------------------------

// "محمد" is listed more than once to be as common as it is; some names carry "ال", some not.
const QStringList &boysNames()
{
    static const QStringList names = {
        QStringLiteral("محمد"),    QStringLiteral("محمد"),      QStringLiteral("محمد"),
        QStringLiteral("عبدالله"), QStringLiteral("عبدالرحمن"), QStringLiteral("عبدالعزيز"),
        QStringLiteral("فهد"),     QStringLiteral("خالد"),      QStringLiteral("سلطان"),
        QStringLiteral("فيصل"),    QStringLiteral("سعود"),      QStringLiteral("تركي"),
        QStringLiteral("نواف"),    QStringLiteral("عمر"),       QStringLiteral("يوسف"),
        QStringLiteral("إبراهيم"), QStringLiteral("ماجد"),      QStringLiteral("بندر"),
        QStringLiteral("سلمان"),   QStringLiteral("راكان"),     QStringLiteral("مشعل"),
        QStringLiteral("زياد"),    QStringLiteral("ريان"),      QStringLiteral("حمد"),
        QStringLiteral("ناصر"),    QStringLiteral("علي"),       QStringLiteral("أحمد"),
        QStringLiteral("حسن"),     QStringLiteral("ياسر"),      QStringLiteral("مازن"),
        QStringLiteral("بدر"),     QStringLiteral("وليد"),      QStringLiteral("طارق"),
        QStringLiteral("أنس"),     QStringLiteral("معاذ"),      QStringLiteral("عبدالملك"),
    };
    return names;
}

const QStringList &girlsNames()
{
    static const QStringList names = {
        QStringLiteral("فاطمة"),  QStringLiteral("نورة"),    QStringLiteral("سارة"),
        QStringLiteral("ريم"),    QStringLiteral("لمى"),     QStringLiteral("جود"),
        QStringLiteral("هيا"),    QStringLiteral("مريم"),    QStringLiteral("ليان"),
        QStringLiteral("رغد"),    QStringLiteral("دانة"),    QStringLiteral("شهد"),
        QStringLiteral("غادة"),   QStringLiteral("حصة"),     QStringLiteral("لطيفة"),
        QStringLiteral("العنود"), QStringLiteral("الجوهرة"), QStringLiteral("أمل"),
        QStringLiteral("منيرة"),  QStringLiteral("عائشة"),   QStringLiteral("خلود"),
        QStringLiteral("جنى"),    QStringLiteral("رهف"),     QStringLiteral("لين"),
        QStringLiteral("تالا"),   QStringLiteral("ديما"),    QStringLiteral("أسيل"),
        QStringLiteral("وعد"),    QStringLiteral("غلا"),     QStringLiteral("مها"),
    };
    return names;
}

// Fathers' and grandfathers' names.
const QStringList &menNames()
{
    static const QStringList names = {
        QStringLiteral("محمد"),    QStringLiteral("محمد"),      QStringLiteral("محمد"),
        QStringLiteral("عبدالله"), QStringLiteral("عبدالرحمن"), QStringLiteral("عبدالعزيز"),
        QStringLiteral("صالح"),    QStringLiteral("إبراهيم"),   QStringLiteral("فهد"),
        QStringLiteral("سعد"),     QStringLiteral("ناصر"),      QStringLiteral("خالد"),
        QStringLiteral("علي"),     QStringLiteral("سليمان"),    QStringLiteral("أحمد"),
        QStringLiteral("حمد"),     QStringLiteral("عبدالمجيد"), QStringLiteral("منصور"),
        QStringLiteral("سعيد"),    QStringLiteral("يوسف"),      QStringLiteral("عثمان"),
        QStringLiteral("ماجد"),    QStringLiteral("حسين"),      QStringLiteral("طلال"),
        QStringLiteral("بندر"),    QStringLiteral("مساعد"),     QStringLiteral("عادل"),
    };
    return names;
}

const QStringList &familyNames()
{
    static const QStringList names = {
        QStringLiteral("القحطاني"), QStringLiteral("العتيبي"), QStringLiteral("الدوسري"),
        QStringLiteral("الشمري"),   QStringLiteral("الغامدي"), QStringLiteral("الزهراني"),
        QStringLiteral("الحربي"),   QStringLiteral("المطيري"), QStringLiteral("العنزي"),
        QStringLiteral("السبيعي"),  QStringLiteral("الشهري"),  QStringLiteral("القرني"),
        QStringLiteral("العمري"),   QStringLiteral("التميمي"), QStringLiteral("المالكي"),
        QStringLiteral("السهلي"),   QStringLiteral("الرشيدي"), QStringLiteral("البقمي"),
        QStringLiteral("الجهني"),   QStringLiteral("العسيري"), QStringLiteral("باعشن"),
        QStringLiteral("باوزير"),   QStringLiteral("كعكي"),    QStringLiteral("فلمبان"),
        QStringLiteral("مرداد"),    QStringLiteral("بخاري"),   QStringLiteral("سندي"),
        QStringLiteral("جمجوم"),    QStringLiteral("أبو زيد"), QStringLiteral("بن سعيد"),
        QStringLiteral("حكمي"),     QStringLiteral("مدخلي"),   QStringLiteral("فقيه"),
        QStringLiteral("نصيف"),
    };
    return names;
}

const QStringList &mainStreets()
{
    static const QStringList names = {
        QStringLiteral("شارع الملك فهد"),
        QStringLiteral("طريق الملك عبدالعزيز"),
        QStringLiteral("شارع الأمير سلطان"),
        QStringLiteral("شارع التحلية"),
        QStringLiteral("طريق الملك عبدالله"),
        QStringLiteral("شارع العليا العام"),
        QStringLiteral("طريق خريص"),
        QStringLiteral("شارع الستين"),
        QStringLiteral("شارع الأربعين"),
        QStringLiteral("شارع الإمام سعود بن فيصل"),
        QStringLiteral("شارع صاري"),
        QStringLiteral("شارع فلسطين"),
        QStringLiteral("شارع الأمير ماجد"),
        QStringLiteral("طريق المدينة المنورة"),
        QStringLiteral("شارع الأمير محمد بن عبدالعزيز"),
        QStringLiteral("طريق الدمام"),
    };
    return names;
}

const QStringList &subStreetNames()
{
    static const QStringList names = {
        QStringLiteral("ابن خلدون"),     QStringLiteral("الفارابي"),
        QStringLiteral("ابن سينا"),      QStringLiteral("الخوارزمي"),
        QStringLiteral("عمر بن الخطاب"), QStringLiteral("أبو بكر الصديق"),
        QStringLiteral("الإمام مالك"),   QStringLiteral("حطين"),
        QStringLiteral("اليرموك"),       QStringLiteral("القادسية"),
        QStringLiteral("الأندلس"),       QStringLiteral("الورود"),
    };
    return names;
}

const QStringList &fathersJobs()
{
    static const QStringList names = {
        QStringLiteral("معلم"),      QStringLiteral("مهندس"),         QStringLiteral("موظف حكومي"),
        QStringLiteral("طبيب"),      QStringLiteral("محاسب"),         QStringLiteral("عسكري"),
        QStringLiteral("أعمال حرة"), QStringLiteral("موظف قطاع خاص"), QStringLiteral("فني"),
        QStringLiteral("موظف بنك"),
    };
    return names;
}

const QStringList &mothersJobs()
{
    static const QStringList names = {
        QStringLiteral("معلمة"), QStringLiteral("ربة منزل"), QStringLiteral("موظفة"),
        QStringLiteral("طبيبة"), QStringLiteral("ممرضة"),    QStringLiteral("ربة منزل"),
    };
    return names;
}

const QStringList &workPlaces()
{
    static const QStringList names = {
        QStringLiteral("وزارة التعليم"),
        QStringLiteral("وزارة الصحة"),
        QStringLiteral("شركة أرامكو السعودية"),
        QStringLiteral("الشركة السعودية للكهرباء"),
        QStringLiteral("مستشفى الملك فيصل التخصصي"),
        QStringLiteral("وزارة الداخلية"),
        QStringLiteral("شركة الاتصالات السعودية"),
        QStringLiteral("جامعة الملك سعود"),
        QStringLiteral("الخطوط الجوية العربية السعودية"),
        QStringLiteral("البنك الأهلي السعودي"),
    };
    return names;
}

// Schools by the child's age at the test: nurseries, kindergartens, primary schools.
const QStringList &schools(int band)
{
    static const QStringList nurseries = {
        QStringLiteral("حضانة البراعم"), QStringLiteral("حضانة الطفولة السعيدة"),
        QStringLiteral("حضانة عالم الصغار"), QStringLiteral("لا يوجد")};
    static const QStringList kindergartens = {
        QStringLiteral("روضة الأمل"),       QStringLiteral("روضة البراعم"),
        QStringLiteral("روضة الزهور"),      QStringLiteral("روضة النخبة الأهلية"),
        QStringLiteral("روضة الفيصلية"),    QStringLiteral("روضة الريادة"),
        QStringLiteral("روضة الحي الأولى"), QStringLiteral("روضة أطفال المستقبل")};
    static const QStringList primary = {QStringLiteral("مدرسة الملك عبدالعزيز الابتدائية"),
                                        QStringLiteral("الابتدائية الأولى"),
                                        QStringLiteral("مدارس الرواد الأهلية"),
                                        QStringLiteral("مدارس المملكة"),
                                        QStringLiteral("مدرسة الأندلس الابتدائية"),
                                        QStringLiteral("مدارس التربية النموذجية"),
                                        QStringLiteral("مدرسة الفيصلية الابتدائية")};
    return band == 0 ? nurseries : band == 1 ? kindergartens : primary;
}

const QStringList &testNotes()
{
    static const QStringList notes = {
        QStringLiteral("الطفل متعاون أثناء الاختبار"),
        QStringLiteral("حضر الطفل مع والدته"),
        QStringLiteral("يحتاج إلى إعادة التقييم بعد ستة أشهر"),
        QStringLiteral("أحيل إلى أخصائي التخاطب"),
        QStringLiteral("صعوبة في التركيز أثناء الجلسة"),
    };
    return notes;
}

const QStringList &defaultTesterClasses()
{
    static const QStringList names = {QStringLiteral("أخصائي نفسي"), QStringLiteral("أخصائي تخاطب"),
                                      QStringLiteral("أخصائي تربية خاصة")};
    return names;
}

const QStringList &defaultSourceClasses()
{
    static const QStringList names = {QStringLiteral("الأسرة"), QStringLiteral("المدرسة"),
                                      QStringLiteral("الملاحظة المباشرة")};
    return names;
}

// Information sources a class of sources may hold, by the class's name.
QStringList sourceNamesFor(const QString &className, int classIndex)
{
    static const QStringList family = {
        QStringLiteral("الأب"), QStringLiteral("الأم"),         QStringLiteral("الجدة"),
        QStringLiteral("الجد"), QStringLiteral("الأخت الكبرى"), QStringLiteral("الأخ الأكبر"),
        QStringLiteral("العم"), QStringLiteral("الخالة")};
    static const QStringList school = {
        QStringLiteral("معلمة الروضة"),   QStringLiteral("معلم الفصل"),
        QStringLiteral("المرشد الطلابي"), QStringLiteral("معلمة التربية الخاصة"),
        QStringLiteral("مديرة الروضة"),   QStringLiteral("مربية الحضانة")};
    static const QStringList observation = {
        QStringLiteral("ملاحظة القائم بالاختبار"), QStringLiteral("ملاحظة أثناء اللعب"),
        QStringLiteral("ملاحظة في الفصل"), QStringLiteral("مقابلة مباشرة مع الطفل"),
        QStringLiteral("تسجيل مرئي لسلوك الطفل")};
    if (className.contains(QStringLiteral("أسر")))
        return family;
    if (className.contains(QStringLiteral("مدرس")) || className.contains(QStringLiteral("روض")))
        return school;
    if (className.contains(QStringLiteral("ملاحظ")))
        return observation;
    const QStringList *lists[] = {&family, &school, &observation};
    if (classIndex < 3)
        return *lists[classIndex];
    QStringList generic;
    for (int i = 1; i <= 12; ++i)
        generic << QStringLiteral("%1 %2").arg(className).arg(i);
    return generic;
}

// ---- Database helpers --------------------------------------------------------------------

QSqlQuery read(Database &database, const QString &sql)
{
    QSqlQuery query(database.connection());
    query.setForwardOnly(true);
    if (!query.exec(sql))
        throw Error(QStringLiteral("Reading the database failed: %1\n%2")
                        .arg(query.lastError().text().trimmed(), sql));
    return query;
}

qint64 scalar(Database &database, const QString &sql)
{
    QSqlQuery query = read(database, sql);
    return query.next() ? query.value(0).toLongLong() : 0;
}

std::vector<int> integers(Database &database, const QString &sql)
{
    std::vector<int> values;
    QSqlQuery query = read(database, sql);
    while (query.next())
        values.push_back(query.value(0).toInt());
    return values;
}

// Runs work in one transaction; throws Error after rolling back.
void inChunk(Database &database, const QString &what, const std::function<void()> &work)
{
    if (!database.inTransaction(work))
        throw Error(QStringLiteral("Writing the sample %1 failed, the chunk was rolled back: %2")
                        .arg(what, database.lastFailure()));
}

// Inserts rows into one table through multi-row "insert ... values (...), (...)" statements,
// each prepared once for its number of rows and executed again and again with '?' values.
class RowWriter {
public:
    struct Column {
        const char *name;
        const char *literal = nullptr; // a constant SQL value instead of a bound one
        // A constant SQL value that depends on the row's place in the statement.
        std::function<QString(int row)> literalOfRow = {};
    };

    RowWriter(Database &database, QString table, std::vector<Column> columns, int rowsPerStatement)
        : m_database(database)
        , m_table(std::move(table))
        , m_columns(std::move(columns))
        , m_rowsPerStatement(std::max(1, rowsPerStatement))
    {
        for (const Column &column : m_columns)
            if (!column.literal && !column.literalOfRow)
                ++m_bound;
        m_pending.reserve(size_t(m_bound) * size_t(m_rowsPerStatement));
    }

    // Adds the bound values of one row, in the order of the columns.
    void add(std::initializer_list<QVariant> values)
    {
        if (int(values.size()) != m_bound)
            throw Error(QStringLiteral("Sample row for %1 has %2 values instead of %3")
                            .arg(m_table)
                            .arg(values.size())
                            .arg(m_bound));
        m_pending.insert(m_pending.end(), values.begin(), values.end());
        if (++m_rows == m_rowsPerStatement)
            flush();
    }

    // Writes the rows added since the last flush.
    void flush()
    {
        if (m_rows == 0)
            return;
        QSqlQuery &query = statementFor(m_rows);
        for (int i = 0; i < int(m_pending.size()); ++i)
            query.bindValue(i, m_pending[size_t(i)]);
        if (!query.exec())
            throw Error(QStringLiteral("Inserting into %1 failed: %2")
                            .arg(m_table, query.lastError().text().trimmed()));
        m_written += m_rows;
        m_pending.clear();
        m_rows = 0;
    }

    qint64 written() const { return m_written; }

private:
    QSqlQuery &statementFor(int rows)
    {
        std::unique_ptr<QSqlQuery> &slot = m_statements[rows];
        if (slot)
            return *slot;
        QStringList names;
        for (const Column &column : m_columns)
            names << QLatin1String(column.name);
        QStringList rowsText;
        for (int row = 0; row < rows; ++row) {
            QStringList values;
            for (const Column &column : m_columns)
                values << (column.literalOfRow ? column.literalOfRow(row)
                           : column.literal    ? QString::fromLatin1(column.literal)
                                               : QStringLiteral("?"));
            rowsText << QLatin1Char('(') + values.join(QLatin1Char(',')) + QLatin1Char(')');
        }
        const QString text =
            QStringLiteral("insert into %1 (%2) values %3")
                .arg(m_table, names.join(QLatin1Char(',')), rowsText.join(QLatin1Char(',')));
        slot = std::make_unique<QSqlQuery>(m_database.connection());
        if (!slot->prepare(text)) {
            const QString failure = slot->lastError().text().trimmed();
            slot.reset();
            throw Error(
                QStringLiteral("Preparing the insert into %1 failed: %2").arg(m_table, failure));
        }
        return *slot;
    }

    Database &m_database;
    QString m_table;
    std::vector<Column> m_columns;
    int m_rowsPerStatement;
    int m_bound = 0;
    int m_rows = 0;
    qint64 m_written = 0;
    std::vector<QVariant> m_pending;
    std::map<int, std::unique_ptr<QSqlQuery>> m_statements;
};

// The codes of one lookup table; a wanted code is used when the table has it.
class Lookup {
public:
    Lookup(Database &database, const char *table, const char *code)
        : m_codes(integers(database, QStringLiteral("select %1 from %2 order by %1")
                                         .arg(QLatin1String(code), QLatin1String(table))))
    {}
    int code(int wanted, Random &random) const
    {
        if (std::find(m_codes.begin(), m_codes.end(), wanted) != m_codes.end())
            return wanted;
        return any(random);
    }
    int any(Random &random) const { return m_codes.empty() ? 0 : random.pick(m_codes); }

private:
    std::vector<int> m_codes;
};

QString personName(Random &random, bool boy, const QString &family)
{
    return (boy ? random.pick(boysNames()) : random.pick(girlsNames())) + QLatin1Char(' ') +
           random.pick(menNames()) + QLatin1Char(' ') + family;
}

// ---- Testers and information sources ------------------------------------------------------

void writeClasses(Database &database, const char *table, const char *code, const char *name,
                  const QStringList &defaults)
{
    if (scalar(database, QStringLiteral("select count(*) from %1").arg(QLatin1String(table))) > 0)
        return;
    const QDate today = QDate::currentDate();
    RowWriter writer(database, QLatin1String(table),
                     {{code},
                      {name},
                      {"entry_date"},
                      {"who_insert", "1"},
                      {"trans_date"},
                      {"who_update", "0"},
                      {"is_active", "1"},
                      {"entry_type", "1"}},
                     50);
    for (int i = 0; i < defaults.size(); ++i)
        writer.add({i + 1, defaults.at(i), today, today});
    writer.flush();
}

std::vector<RowWriter::Column> level2Columns(const char *parent, const char *code, const char *name)
{
    return {{parent},
            {code},
            {name},
            {"entry_date"},
            {"who_insert", "1"},
            {"trans_date"},
            {"who_update", "0"},
            {"is_active", "1"},
            {"entry_type", "1"}};
}

void writeTesters(Database &database, int perClass, Random &random)
{
    const QDate today = QDate::currentDate();
    const std::vector<int> classes =
        integers(database, QStringLiteral("select tester_class_id from tester_class order by 1"));
    QSet<QString> names;
    {
        QSqlQuery query = read(database, QStringLiteral("select tester_name from tester"));
        while (query.next())
            names.insert(query.value(0).toString());
    }
    int next = int(scalar(database, QStringLiteral("select max(tester_id) from tester"))) + 1;
    RowWriter writer(database, QStringLiteral("tester"),
                     level2Columns("tester_class_id", "tester_id", "tester_name"), 50);
    for (int classCode : classes) {
        const int have = int(scalar(
            database, QStringLiteral("select count(*) from tester where tester_class_id = %1")
                          .arg(classCode)));
        for (int i = have; i < perClass; ++i) {
            // Distinct names while the lists last.
            QString name;
            for (int attempt = 0; attempt < 100; ++attempt) {
                name = personName(random, random.chance(0.5), random.pick(familyNames()));
                if (!names.contains(name))
                    break;
            }
            names.insert(name);
            writer.add({classCode, next++, name, today, today});
        }
    }
    writer.flush();
}

void writeSources(Database &database, int perClass)
{
    const QDate today = QDate::currentDate();
    struct Class {
        int code;
        QString name;
    };
    std::vector<Class> classes;
    {
        QSqlQuery query = read(database, QStringLiteral("select info_source_class_id, "
                                                        "info_source_class_name from "
                                                        "info_source_class order by 1"));
        while (query.next())
            classes.push_back({query.value(0).toInt(), query.value(1).toString()});
    }
    QHash<int, QStringList> existing;
    {
        QSqlQuery query = read(database, QStringLiteral("select info_source_class_id, "
                                                        "info_source_name from info_source"));
        while (query.next())
            existing[query.value(0).toInt()] << query.value(1).toString();
    }
    int next =
        int(scalar(database, QStringLiteral("select max(info_source_id) from info_source"))) + 1;
    RowWriter writer(database, QStringLiteral("info_source"),
                     level2Columns("info_source_class_id", "info_source_id", "info_source_name"),
                     50);
    for (int index = 0; index < int(classes.size()); ++index) {
        const Class &sourceClass = classes[size_t(index)];
        QStringList &have = existing[sourceClass.code];
        for (const QString &name : sourceNamesFor(sourceClass.name, index)) {
            if (have.size() >= perClass)
                break;
            if (have.contains(name))
                continue;
            have << name;
            writer.add({sourceClass.code, next++, name, today, today});
        }
    }
    writer.flush();
}

// ---- Cases -------------------------------------------------------------------------------

struct Case {
    int code;
    qint64 birth;   // Julian day
    float tendency; // 0 .. 1: how strongly the child shows the traits
};

struct Lookups {
    explicit Lookups(Database &database)
        : country(database, "country", "cou_id")
        , nationality(database, "nationality", "nationality_id")
        , religion(database, "religion", "religion_id")
        , idType(database, "id_type", "id_type")
        , eduPhase(database, "edu_phase", "edu_phase_id")
        , eduClassLevel(database, "edu_class_level", "edu_class_level_id")
        , houseType(database, "house_type", "house_type_id")
        , houseOwnership(database, "house_ownership", "house_ownership_id")
        , neighborhood(database, "neighborhood", "neighborhood_id")
        , city(database, "city", "city_id")
        , district(database, "district", "district_id")
        , kinship(database, "kinship_degree", "kinship_degree_id")
    {}
    Lookup country, nationality, religion, idType, eduPhase, eduClassLevel, houseType,
        houseOwnership, neighborhood, city, district, kinship;
};

// Installation codes: 1 Riyadh, 2 Jeddah, 3 Makkah, 4 Madinah, 5 Dammam, 6 Abha.
struct CityFacts {
    int district;
    const char *phonePrefix;
    int postalFirst;
    const char *name;
};

CityFacts factsOf(int city)
{
    switch (city) {
    case 2:
        return {2, "012", 21, "جدة"};
    case 3:
        return {2, "012", 24, "مكة المكرمة"};
    case 4:
        return {3, "014", 42, "المدينة المنورة"};
    case 5:
        return {4, "013", 32, "الدمام"};
    case 6:
        return {5, "017", 62, "أبها"};
    default:
        return {1, "011", 11, "الرياض"};
    }
}

QString mobile(Random &random)
{
    static const char second[] = {'0', '3', '4', '5', '6', '8', '9'};
    return QStringLiteral("05") + QLatin1Char(second[random.below(7)]) + random.digits(7);
}

QString landLine(Random &random, const CityFacts &facts)
{
    return QLatin1String(facts.phonePrefix) + QLatin1Char(char('1' + random.below(9))) +
           random.digits(6);
}

class CaseWriter {
public:
    CaseWriter(Database &database)
        : m_lookups(database)
        , m_writer(database, QStringLiteral("student"), columns(), 50)
    {}

    static std::vector<RowWriter::Column> columns()
    {
        return {{"branch_no", "0"},
                {"stud_code"},
                {"stud_name"},
                {"stud_birth_date"},
                {"stud_birth_haj_date"},
                {"stud_birth_country"},
                {"stud_nationality"},
                {"stud_gender"},
                {"stud_religion"},
                {"stud_id_type"},
                {"stud_id_no"},
                {"stud_id_date"},
                {"stud_id_source"},
                {"stud_edu_phase"},
                {"stud_edu_class_level"},
                {"stud_file_no"},
                {"stud_house_type"},
                {"stud_house_ownership"},
                {"stud_neighborhood"},
                {"stud_city"},
                {"stud_district"},
                {"stud_main_street"},
                {"stud_sub_street"},
                {"stud_house_no"},
                {"stud_postal_code"},
                {"stud_postal_no"},
                {"stud_guard_name"},
                {"stud_guard_nationality"},
                {"stud_guard_kinship_degree"},
                {"stud_guard_id_type"},
                {"stud_guard_id_no"},
                {"stud_guard_id_date"},
                {"stud_guard_id_source"},
                {"stud_guard_job"},
                {"stud_guard_work_place"},
                {"stud_guard_home_phone_no"},
                {"stud_guard_mobile_no"},
                {"stud_guard_work_phone_no"},
                {"stud_guard_email"},
                {"stud_kinship_1_name"},
                {"stud_kinship_1_kinship_degree"},
                {"stud_kinship_1_phone_no"},
                {"stud_kinship_2_name"},
                {"stud_kinship_2_kinship_degree"},
                {"stud_kinship_2_phone_no"},
                {"stud_status", "1"},
                {"is_active", "1"},
                {"trans_date"},
                {"entry_date"},
                {"entry_type", "1"},
                {"who_insert", "1"},
                {"who_update", "0"}};
    }

    Case write(int code, Random &random)
    {
        const QDate today = QDate::currentDate();
        const QDate oldest = today.addYears(-oldestYears);
        const int span = int(oldest.daysTo(today)); // birth from oldest up to yesterday
        // Most children come between one and eight; a few are babies.
        const int daysOld = random.chance(0.9) ? random.between(365, span) : random.between(1, 364);
        const QDate birth = today.addDays(-daysOld);
        const int years = int(daysOld / 365.25);

        const bool boy = random.chance(0.62);
        const QString family = random.pick(familyNames());
        const QString father = random.pick(menNames());
        const QString grandfather = random.pick(menNames());
        const QString name = (boy ? random.pick(boysNames()) : random.pick(girlsNames())) +
                             QLatin1Char(' ') + father + QLatin1Char(' ') + family;

        // Nationality and country of birth share their codes in the installation data.
        const bool saudi = random.chance(0.8);
        const int nationality = saudi ? m_lookups.nationality.code(1, random)
                                      : m_lookups.nationality.code(random.between(2, 8), random);
        const int country = random.chance(0.85) ? m_lookups.country.code(nationality, random)
                                                : m_lookups.country.code(1, random);
        const int religion = m_lookups.religion.code(saudi || random.chance(0.95) ? 1 : 2, random);

        int idType;
        QString idNo;
        QString idSource;
        const int city = m_lookups.city.code(pickCity(random), random);
        const CityFacts facts = factsOf(city);
        if (saudi) {
            const bool card = random.chance(0.6);
            idType = m_lookups.idType.code(card ? 1 : 4, random);
            idNo = (card ? QStringLiteral("1") : QStringLiteral("3")) + random.digits(9);
            idSource = QStringLiteral("الأحوال المدنية ب") + QString::fromUtf8(facts.name);
        } else {
            const bool residence = random.chance(0.8);
            idType = m_lookups.idType.code(residence ? 2 : 3, random);
            idNo = residence ? QStringLiteral("2") + random.digits(9)
                             : QLatin1Char(char('A' + random.below(26))) + random.digits(8);
            idSource = residence ? QStringLiteral("الجوازات ب") + QString::fromUtf8(facts.name)
                                 : QStringLiteral("سفارة البلد");
        }
        const QDate idDate = std::min(today, birth.addDays(random.between(7, 90)));

        const int phase = years < 3 ? 1 : years < 6 ? 2 : 3;
        const int level = phase == 1 ? 0 : phase == 2 ? years - 2 : std::min(5, years - 2);
        const int eduPhase = m_lookups.eduPhase.code(phase, random);
        const int eduClassLevel = level == 0 ? 0 : m_lookups.eduClassLevel.code(level, random);

        const int houseType = m_lookups.houseType.any(random);
        const int houseOwnership = m_lookups.houseOwnership.any(random);
        const int neighborhood = city == 1 ? m_lookups.neighborhood.any(random) : 0;
        const int district = m_lookups.district.code(facts.district, random);
        const QString subStreet = random.chance(0.7)
                                      ? QStringLiteral("شارع ") + random.pick(subStreetNames())
                                      : QStringLiteral("");
        const QString houseNo = QString::number(random.between(1000, 9999));
        const QString postalCode =
            QString::number(facts.postalFirst * 1000 + random.between(100, 999));
        const QString postalNo =
            random.chance(0.3) ? QString::number(random.between(1000, 99999)) : QStringLiteral("");

        // The guardian is mostly the father, sometimes the mother.
        const bool fatherGuards = random.chance(0.85);
        const QString fatherName =
            father + QLatin1Char(' ') + grandfather + QLatin1Char(' ') + family;
        const QString motherName = personName(random, false, random.pick(familyNames()));
        const QString guardName = fatherGuards ? fatherName : motherName;
        const int guardKinship = m_lookups.kinship.code(fatherGuards ? 1 : 2, random);
        const int guardIdType = m_lookups.idType.code(saudi ? 1 : 2, random);
        const QString guardIdNo =
            (saudi ? QStringLiteral("1") : QStringLiteral("2")) + random.digits(9);
        const QDate guardIdDate = today.addDays(-random.between(30, 3650));
        const QString job = fatherGuards ? random.pick(fathersJobs()) : random.pick(mothersJobs());
        const bool works = job != QStringLiteral("ربة منزل") && job != QStringLiteral("أعمال حرة");
        const QString workPlace = works ? random.pick(workPlaces()) : QStringLiteral("");
        const QString homePhone = random.chance(0.7) ? landLine(random, facts) : QStringLiteral("");
        const QString workPhone =
            works && random.chance(0.6) ? landLine(random, facts) : QStringLiteral("");
        const QString email = random.chance(0.3) ? QStringLiteral("parent%1@example.com").arg(code)
                                                 : QStringLiteral("");

        // The first relative is the other parent; a second one is there for about half.
        const QString kin1Name = fatherGuards ? motherName : fatherName;
        const int kin1Degree = m_lookups.kinship.code(fatherGuards ? 2 : 1, random);
        const QString kin1Phone = mobile(random);
        QString kin2Name = QStringLiteral("");
        int kin2Degree = 0;
        QString kin2Phone = QStringLiteral("");
        if (random.chance(0.5)) {
            static const int degrees[] = {3, 4, 5, 6, 7, 8};
            const int degree = degrees[random.below(6)];
            const bool man = degree == 3 || degree == 5 || degree == 7 || degree == 8;
            kin2Degree = m_lookups.kinship.code(degree, random);
            kin2Name = personName(random, man,
                                  degree == 7 || degree == 5 ? family : random.pick(familyNames()));
            kin2Phone = mobile(random);
        }

        m_writer.add({code,
                      name,
                      birth,
                      hijri::fromGregorian(birth),
                      country,
                      nationality,
                      boy ? 1 : 2,
                      religion,
                      idType,
                      idNo,
                      idDate,
                      idSource,
                      eduPhase,
                      eduClassLevel,
                      QStringLiteral("%1-%2").arg(today.year()).arg(code, 6, 10, QLatin1Char('0')),
                      houseType,
                      houseOwnership,
                      neighborhood,
                      city,
                      district,
                      random.pick(mainStreets()),
                      subStreet,
                      houseNo,
                      postalCode,
                      postalNo,
                      guardName,
                      nationality,
                      guardKinship,
                      guardIdType,
                      guardIdNo,
                      guardIdDate,
                      saudi ? QStringLiteral("الأحوال المدنية ب") + QString::fromUtf8(facts.name)
                            : QStringLiteral("الجوازات ب") + QString::fromUtf8(facts.name),
                      job,
                      workPlace,
                      homePhone,
                      mobile(random),
                      workPhone,
                      email,
                      kin1Name,
                      kin1Degree,
                      kin1Phone,
                      kin2Name,
                      kin2Degree,
                      kin2Phone,
                      today,
                      today});

        // About a third of the children show the traits strongly.
        const double tendency =
            random.chance(0.35) ? 0.72 + 0.1 * random.normal() : 0.22 + 0.1 * random.normal();
        return {code, birth.toJulianDay(), float(std::clamp(tendency, 0.0, 1.0))};
    }

    void flush() { m_writer.flush(); }

private:
    static int pickCity(Random &random)
    {
        const double u = random.unit();
        return u < 0.45 ? 1 : u < 0.65 ? 2 : u < 0.75 ? 3 : u < 0.83 ? 4 : u < 0.93 ? 5 : 6;
    }

    Lookups m_lookups;
    RowWriter m_writer;
};

// ---- Tests -------------------------------------------------------------------------------

struct Test {
    int caseIndex;
    qint64 date; // Julian day
    int number;
    int tester;
    int source;
    int status;
};

// How many tests each case gets: most none or one, some several, in all exactly total.
std::vector<int> testsPerCase(const std::vector<Case> &cases, int total, Random &random)
{
    const int count = int(cases.size());
    std::vector<int> counts(static_cast<size_t>(count), 0);
    if (total <= 0 || count == 0)
        return counts;
    const qint64 today = QDate::currentDate().toJulianDay();
    // A baby is tested once or twice, an older child up to about three times a year.
    std::vector<int> most(static_cast<size_t>(count));
    qint64 room = 0;
    for (int i = 0; i < count; ++i) {
        const qint64 age = today - cases[size_t(i)].birth;
        most[size_t(i)] = int(std::clamp<qint64>(age / 120 + 1, 1, usualMostTests));
        room += most[size_t(i)];
    }
    if (room < total) {
        const int cap = std::max(usualMostTests, (total + count - 1) / count);
        std::fill(most.begin(), most.end(), cap);
    }
    // Shares of children tested once and tested again, and the mean number of tests of those
    // tested again, chosen so that the expected total is the number asked for: 30 % once and
    // 4 tests on average for a follow-up, with the follow-ups' share growing (up to 45 %) and
    // then their mean, as more tests are asked per child; fewer tests make both shares smaller.
    const double perCase = double(total) / count;
    double once = 0.3;
    double again = 0.1;
    double meanAgain = 4.0;
    if (perCase < once + meanAgain * again) {
        const double scale = perCase / (once + meanAgain * again);
        once *= scale;
        again *= scale;
    } else {
        again = std::min(0.45, (perCase - once) / meanAgain);
        meanAgain = (perCase - once) / again;
    }
    // A follow-up child has 2 tests and a geometric number more.
    const double stop = 1.0 / (meanAgain - 1.0);
    qint64 sum = 0;
    for (int i = 0; i < count; ++i) {
        const double u = random.unit();
        int n = 0;
        if (u < again) {
            n = 2 + int(std::min(100.0, std::floor(std::log(random.unit()) / std::log1p(-stop))));
        } else if (u < again + once) {
            n = 1;
        }
        counts[size_t(i)] = std::min(n, most[size_t(i)]);
        sum += counts[size_t(i)];
    }
    // Too few: follow-up tests go first to children tested twice or more, then to those tested
    // once, then to any.
    const auto fill = [&](int atLeast) {
        std::vector<int> pool;
        for (int i = 0; i < count; ++i)
            if (counts[size_t(i)] >= atLeast && counts[size_t(i)] < most[size_t(i)])
                pool.push_back(i);
        while (sum < total && !pool.empty()) {
            const int k = random.below(int(pool.size()));
            const int i = pool[size_t(k)];
            ++counts[size_t(i)];
            ++sum;
            if (counts[size_t(i)] >= most[size_t(i)]) {
                pool[size_t(k)] = pool.back();
                pool.pop_back();
            }
        }
    };
    fill(2);
    fill(1);
    fill(0);
    // Too many: take tests away at random.
    if (sum > total) {
        std::vector<int> pool;
        for (int i = 0; i < count; ++i)
            if (counts[size_t(i)] > 0)
                pool.push_back(i);
        while (sum > total) {
            const int k = random.below(int(pool.size()));
            const int i = pool[size_t(k)];
            --counts[size_t(i)];
            --sum;
            if (counts[size_t(i)] == 0) {
                pool[size_t(k)] = pool.back();
                pool.pop_back();
            }
        }
    }
    // At least one child with two tests or more.
    if (total >= 2 && std::none_of(counts.begin(), counts.end(), [](int n) { return n >= 2; })) {
        int from = -1;
        for (int i = 0; i < count; ++i) {
            if (counts[size_t(i)] != 1)
                continue;
            if (from < 0) {
                from = i;
            } else if (most[size_t(i)] >= 2) {
                counts[size_t(from)] = 0;
                counts[size_t(i)] = 2;
                break;
            }
        }
    }
    return counts;
}

std::vector<Test> planTests(Database &database, const std::vector<Case> &cases, int total,
                            const std::vector<int> &testers, const std::vector<int> &sources,
                            Random &random)
{
    const std::vector<int> counts = testsPerCase(cases, total, random);
    const qint64 today = QDate::currentDate().toJulianDay();
    std::vector<Test> tests;
    tests.reserve(size_t(total));
    std::vector<qint64> dates;
    for (int i = 0; i < int(cases.size()); ++i) {
        const int n = counts[size_t(i)];
        if (n == 0)
            continue;
        const Case &child = cases[size_t(i)];
        const qint64 last =
            std::min(today, QDate::fromJulianDay(child.birth).addYears(oldestYears).toJulianDay());
        const qint64 first = child.birth + std::min<qint64>(90, (last - child.birth) / 2);
        dates.clear();
        for (int t = 0; t < n; ++t) {
            qint64 date = 0;
            for (int attempt = 0; attempt < 10; ++attempt) {
                date = first + random.below(int(last - first + 1));
                if (std::find(dates.begin(), dates.end(), date) == dates.end())
                    break;
            }
            dates.push_back(date);
        }
        std::sort(dates.begin(), dates.end());
        // A child is mostly seen by the same tester and described by the same source.
        const int tester = random.pick(testers);
        const int source = random.pick(sources);
        const bool lastOpen = random.chance(0.2);
        for (int t = 0; t < n; ++t)
            tests.push_back({i, dates[size_t(t)], 0,
                             random.chance(0.7) ? tester : random.pick(testers),
                             random.chance(0.7) ? source : random.pick(sources),
                             t == n - 1 && lastOpen ? 1 : 0});
    }
    std::sort(tests.begin(), tests.end(), [&](const Test &a, const Test &b) {
        return a.date != b.date ? a.date < b.date
                                : cases[size_t(a.caseIndex)].code < cases[size_t(b.caseIndex)].code;
    });
    // Numbers continue each year's numbering of branch 0.
    std::map<int, int> lastOfYear;
    {
        QSqlQuery query = read(database, QStringLiteral("select year(test_date) as y, max(test_no) "
                                                        "as m from test_hdr where branch_no = 0 "
                                                        "group by year(test_date)"));
        while (query.next())
            lastOfYear[query.value(0).toInt()] = query.value(1).toInt();
    }
    for (Test &test : tests)
        test.number = ++lastOfYear[QDate::fromJulianDay(test.date).year()];
    return tests;
}

struct Question {
    int group;
    int id;
};

class TestWriter {
public:
    TestWriter(Database &database, std::vector<Question> questions)
        : m_questions(std::move(questions))
        , m_headers(database, QStringLiteral("test_hdr"),
                    {{"branch_no", "0"},
                     {"test_no"},
                     {"test_date"},
                     {"test_haj_date", "''"},
                     {"stud_code"},
                     {"tester_id"},
                     {"info_source_id"},
                     {"school_name"},
                     {"notes"},
                     {"entry_date"},
                     {"entry_type", "1"},
                     {"test_status"},
                     {"who_insert", "1"},
                     {"who_update", "0"}},
                    200)
        , m_details(
              database, QStringLiteral("test_dtl"),
              {{"branch_no", "0"},
               {"test_no"},
               {"test_date"},
               {"test_haj_date", "''"},
               {"stud_code"},
               {"ques_group", nullptr, [this](int row) { return questionLiteral(row, true); }},
               {"ques_id", nullptr, [this](int row) { return questionLiteral(row, false); }},
               {"ques_ans_val"},
               {"ques_mark"},
               {"notes", "''"},
               {"entry_date"},
               {"entry_type", "1"},
               {"ques_status", "1"},
               {"who_insert", "1"},
               {"who_update", "0"}},
              // Whole tests in every statement, so that a row's place names its question.
              std::max(1, 10 * int(m_questions.size())))
    {
        for (const Question &question : m_questions)
            m_groupIndex.try_emplace(question.group, int(m_groupIndex.size()));
        m_questionGroup.reserve(m_questions.size());
        for (const Question &question : m_questions)
            m_questionGroup.push_back(m_groupIndex.at(question.group));
    }

    void write(const Test &test, const Case &child, bool answers, Random &random)
    {
        const QDate date = QDate::fromJulianDay(test.date);
        const QVariant number(test.number);
        const QVariant dateValue(date);
        const QVariant code(child.code);
        const double years = double(test.date - child.birth) / 365.25;
        const QStringList &schoolList = schools(years < 3 ? 0 : years < 6 ? 1 : 2);
        // The same school for the same child at the same stage.
        const quint32 hash = quint32(child.code) * 2654435761u;
        const QString &school = schoolList.at(qsizetype((hash >> 8) % quint32(schoolList.size())));
        const QString notes = random.chance(0.15) ? random.pick(testNotes()) : QStringLiteral("");
        m_headers.add({number, dateValue, code, test.tester, test.source, school, notes, dateValue,
                       test.status});
        if (!answers)
            return;
        static const QVariant words[] = {checklist::storedWord(checklist::answerOfMark(1)),
                                         checklist::storedWord(checklist::answerOfMark(2)),
                                         checklist::storedWord(checklist::answerOfMark(3))};
        static const QVariant marks[] = {1, 2, 3};
        // The child's tendency drifts a little between tests and differs by domain.
        const double level = child.tendency + 0.08 * random.normal();
        m_domainShift.resize(m_groupIndex.size());
        for (double &shift : m_domainShift)
            shift = 0.12 * random.normal();
        for (size_t q = 0; q < m_questions.size(); ++q) {
            const double x =
                level + m_domainShift[size_t(m_questionGroup[q])] + 0.25 * random.normal();
            const int answer = x < 0.4 ? 0 : x < 0.7 ? 1 : 2;
            m_details.add({number, dateValue, code, words[answer], marks[answer], dateValue});
        }
    }

    void flush()
    {
        m_headers.flush();
        m_details.flush();
    }

    qint64 detailRows() const { return m_details.written(); }

private:
    QString questionLiteral(int row, bool group) const
    {
        const Question &question = m_questions[size_t(row) % m_questions.size()];
        return QString::number(group ? question.group : question.id);
    }

    std::vector<Question> m_questions;
    std::map<int, int> m_groupIndex;
    std::vector<int> m_questionGroup;
    std::vector<double> m_domainShift;
    RowWriter m_headers;
    RowWriter m_details;
};

} // namespace

Summary write(Database &database, const Options &options)
{
    if (!database.isOpen())
        throw Error(QStringLiteral("The sample data needs an open database"));
    if (options.cases < 0 || options.tests < 0 || options.testersPerClass < 0 ||
        options.sourcesPerClass < 0)
        throw Error(QStringLiteral("The sample data counts cannot be negative"));
    if (options.tests > 0 && options.cases == 0)
        throw Error(QStringLiteral("Sample tests need sample cases to be written with them"));

    // Separate streams, so that the cases are the same whether tests are asked for or not.
    Random peopleRandom(options.seed, 1);
    Random caseRandom(options.seed, 2);
    Random testRandom(options.seed, 3);
    Random answerRandom(options.seed, 4);
    Summary summary;

    inChunk(database, QStringLiteral("testers and information sources"), [&] {
        writeClasses(database, "tester_class", "tester_class_id", "tester_class_name",
                     defaultTesterClasses());
        writeTesters(database, options.testersPerClass, peopleRandom);
        writeClasses(database, "info_source_class", "info_source_class_id",
                     "info_source_class_name", defaultSourceClasses());
        writeSources(database, options.sourcesPerClass);
    });
    summary.testerClasses =
        int(scalar(database, QStringLiteral("select count(*) from tester_class")));
    summary.testers = int(scalar(database, QStringLiteral("select count(*) from tester")));
    summary.sourceClasses =
        int(scalar(database, QStringLiteral("select count(*) from info_source_class")));
    summary.sources = int(scalar(database, QStringLiteral("select count(*) from info_source")));

    std::vector<Case> cases;
    cases.reserve(size_t(options.cases));
    {
        CaseWriter writer(database);
        int code = int(scalar(database, QStringLiteral("select max(stud_code) from student"))) + 1;
        for (int done = 0; done < options.cases;) {
            const int chunk = std::min(casesPerChunk, options.cases - done);
            inChunk(database, QStringLiteral("cases"), [&] {
                for (int i = 0; i < chunk; ++i)
                    cases.push_back(writer.write(code + done + i, caseRandom));
                writer.flush();
            });
            done += chunk;
        }
    }
    summary.cases = int(cases.size());
    if (options.tests == 0)
        return summary;

    const std::vector<int> testers = integers(
        database, QStringLiteral("select tester_id from tester where is_active = 1 order by 1"));
    const std::vector<int> sources =
        integers(database, QStringLiteral("select info_source_id from info_source where "
                                          "is_active = 1 order by 1"));
    if (testers.empty() || sources.empty())
        throw Error(QStringLiteral("Sample tests need at least one active tester and one active "
                                   "information source"));
    std::vector<Question> questions;
    {
        QSqlQuery query = read(database, QStringLiteral("select ques_group, ques_id from test_ques "
                                                        "order by ques_group, ques_id"));
        while (query.next())
            questions.push_back({query.value(0).toInt(), query.value(1).toInt()});
    }

    const std::vector<Test> tests =
        planTests(database, cases, options.tests, testers, sources, testRandom);
    TestWriter writer(database, std::move(questions));
    for (size_t done = 0; done < tests.size();) {
        const size_t chunk = std::min(size_t(testsPerChunk), tests.size() - done);
        inChunk(database, QStringLiteral("tests"), [&] {
            for (size_t i = done; i < done + chunk; ++i)
                writer.write(tests[i], cases[size_t(tests[i].caseIndex)], options.answers,
                             answerRandom);
            writer.flush();
        });
        done += chunk;
    }
    summary.tests = int(tests.size());
    summary.detailRows = writer.detailRows();
    return summary;
}

void openLargeRegister()
{
    const QString path =
        qEnvironmentVariable("SIMAT_BENCH_DB", QStringLiteral("/tmp/simat-sample-100k.db"));
    const QString alias = qEnvironmentVariable("SIMAT_BENCH_ALIAS");
    const bool generate = alias.isEmpty() && !QFileInfo::exists(path);
    qputenv("SIMAT_ALIAS_VUM", (alias.isEmpty() ? "sqlite:" + path : alias).toUtf8());
    TDataModule1::instance()->openDatabase();
    if (generate) {
        std::fprintf(stderr, "writing the register %s ...\n", qPrintable(path));
        Options options;
        options.cases = 100000;
        options.tests = 200000;
        write(TDataModule1::instance()->Database1, options);
    }
}

} // namespace simat::sample
