// The sample-data generator on both engines: the counts it reports, ages, test numbers,
// answers, references, repeatability.
#include "fixtures.h"

#include "core/error.h"
#include "data/dm.h"
#include "sample_data.h"

#include <QCryptographicHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

using namespace simat;
using namespace simat::testing;

namespace {

QSqlQuery query(Database &database, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery result(database.connection());
    if (!result.prepare(sql))
        throw Error(QStringLiteral("prepare failed: ") + sql + QLatin1Char('\n') +
                    result.lastError().text());
    for (const QVariant &value : values)
        result.addBindValue(value);
    if (!result.exec())
        throw Error(QStringLiteral("query failed: ") + sql + QLatin1Char('\n') +
                    result.lastError().text());
    return result;
}

qint64 countOf(Database &database, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery result = query(database, sql, values);
    if (!result.next())
        throw Error(QStringLiteral("no row: ") + sql);
    return result.value(0).toLongLong();
}

// A digest of every row of a table, in the order of its key.
QByteArray digestOf(Database &database, const QString &table, const QString &order)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    QSqlQuery rows =
        query(database, QStringLiteral("select * from %1 order by %2").arg(table, order));
    while (rows.next()) {
        const QSqlRecord record = rows.record();
        for (int i = 0; i < record.count(); ++i) {
            const QVariant value = rows.value(i);
            const QString text = value.metaType().id() == QMetaType::QDate
                                     ? value.toDate().toString(Qt::ISODate)
                                     : value.toString();
            hash.addData(text.toUtf8());
            hash.addData(QByteArrayView("\x1f", 1));
        }
    }
    return hash.result();
}

QByteArray digestOfAll(Database &database)
{
    return digestOf(database, QStringLiteral("tester"), QStringLiteral("tester_id")) +
           digestOf(database, QStringLiteral("info_source"), QStringLiteral("info_source_id")) +
           digestOf(database, QStringLiteral("student"), QStringLiteral("stud_code")) +
           digestOf(database, QStringLiteral("test_hdr"),
                    QStringLiteral("branch_no, test_no, test_date, stud_code")) +
           digestOf(database, QStringLiteral("test_dtl"),
                    QStringLiteral("branch_no, test_no, test_date, stud_code, ques_group, "
                                   "ques_id"));
}

} // namespace

class SampleDataTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_database;
    std::unique_ptr<TDataModule1> m_dm;

    Database &db() { return m_dm->Database1; }

    // Writes with the seed into a second new database and returns the digest of its rows.
    QByteArray digestOfAnotherRun(quint32 seed)
    {
        db().close();
        TestDatabase other(engineOfRow());
        db().open(parseAlias(other.alias()));
        sample::Options options;
        options.cases = 120;
        options.tests = 200;
        options.seed = seed;
        sample::write(db(), options);
        const QByteArray digest = digestOfAll(db());
        db().close();
        return digest;
    }

private slots:
    void initTestCase_data() { addEngineRows(); }

    void init()
    {
        SIMAT_NEW_DATABASE_OF_ROW(m_database);
        m_dm = std::make_unique<TDataModule1>();
        db().open(parseAlias(m_database->alias()));
    }

    void cleanup()
    {
        m_dm.reset();
        m_database.reset();
    }

    void aSmallRunWritesTheCountsItReports()
    {
        sample::Options options;
        options.cases = 300;
        options.tests = 500;
        const sample::Summary summary = sample::write(db(), options);
        QCOMPARE(summary.cases, 300);
        QCOMPARE(summary.tests, 500);
        const qint64 questions = countOf(db(), "select count(*) from test_ques");
        QVERIFY(questions > 0);
        QCOMPARE(summary.detailRows, 500 * questions);
        QCOMPARE(countOf(db(), "select count(*) from student"), qint64(300));
        QCOMPARE(countOf(db(), "select count(*) from test_hdr"), qint64(500));
        QCOMPARE(countOf(db(), "select count(*) from test_dtl"), summary.detailRows);
        QCOMPARE(countOf(db(), "select count(*) from tester_class"), qint64(summary.testerClasses));
        QCOMPARE(countOf(db(), "select count(*) from tester"), qint64(summary.testers));
        QCOMPARE(countOf(db(), "select count(*) from info_source_class"),
                 qint64(summary.sourceClasses));
        QCOMPARE(countOf(db(), "select count(*) from info_source"), qint64(summary.sources));
        QVERIFY(summary.testerClasses >= 3);
        QCOMPARE(summary.testers, summary.testerClasses * options.testersPerClass);
        QVERIFY(summary.sources >= summary.sourceClasses * options.sourcesPerClass);
        // Codes follow the installation data's; every case is active, in branch 0.
        QCOMPARE(countOf(db(), "select min(stud_code) from student"), qint64(1));
        QCOMPARE(countOf(db(), "select max(stud_code) from student"), qint64(300));
        QCOMPARE(countOf(db(), "select count(*) from student where branch_no = 0 and "
                               "is_active = 1 and stud_status = 1 and stud_gender in (1, 2)"),
                 qint64(300));
    }

    void casesAreChildrenUpToEightYearsOld()
    {
        sample::Options options;
        options.cases = 300;
        sample::write(db(), options);
        const QDate today = QDate::currentDate();
        QCOMPARE(countOf(db(),
                         "select count(*) from student where stud_birth_date >= ? and "
                         "stud_birth_date < ?",
                         {today.addYears(-8), today}),
                 qint64(300));
        QCOMPARE(countOf(db(), "select count(*) from student where stud_birth_haj_date = ''"),
                 qint64(0));
        // Names are full Arabic names: a common part matches many, never all.
        const qint64 withAl = countOf(db(), "select count(*) from student where stud_name like ?",
                                      {QStringLiteral("%ال%")});
        const qint64 withMohammed =
            countOf(db(), "select count(*) from student where stud_name like ?",
                    {QStringLiteral("%محمد%")});
        QVERIFY2(withAl > 100 && withAl < 300, qPrintable(QString::number(withAl)));
        QVERIFY2(withMohammed > 10 && withMohammed < 200,
                 qPrintable(QString::number(withMohammed)));
        QCOMPARE(countOf(db(), "select count(*) from student where stud_guard_mobile_no like "
                               "'05________' and stud_guard_name <> ''"),
                 qint64(300));
        // Every lookup code that is not 0 names a row of its table.
        const QStringList lookups = {
            "stud_birth_country:country:cou_id",
            "stud_nationality:nationality:nationality_id",
            "stud_gender:gender:gender_id",
            "stud_religion:religion:religion_id",
            "stud_id_type:id_type:id_type",
            "stud_edu_phase:edu_phase:edu_phase_id",
            "stud_edu_class_level:edu_class_level:edu_class_level_id",
            "stud_house_type:house_type:house_type_id",
            "stud_house_ownership:house_ownership:house_ownership_id",
            "stud_neighborhood:neighborhood:neighborhood_id",
            "stud_city:city:city_id",
            "stud_district:district:district_id",
            "stud_guard_kinship_degree:kinship_degree:kinship_degree_id",
            "stud_kinship_1_kinship_degree:kinship_degree:kinship_degree_id",
            "stud_kinship_2_kinship_degree:kinship_degree:kinship_degree_id",
        };
        for (const QString &lookup : lookups) {
            const QStringList parts = lookup.split(QLatin1Char(':'));
            QCOMPARE(countOf(db(), QStringLiteral("select count(*) from student where %1 <> 0 "
                                                  "and %1 not in (select %3 from %2)")
                                       .arg(parts[0], parts[1], parts[2])),
                     qint64(0));
        }
        QCOMPARE(countOf(db(), "select count(*) from student where stud_nationality = 0 or "
                               "stud_city = 0 or stud_guard_kinship_degree = 0"),
                 qint64(0));
    }

    void testNumbersRunFromOneWithinEachYear()
    {
        sample::Options options;
        options.cases = 300;
        options.tests = 500;
        options.answers = false;
        const sample::Summary summary = sample::write(db(), options);
        QCOMPARE(summary.detailRows, qint64(0));
        QCOMPARE(countOf(db(), "select count(*) from test_dtl"), qint64(0));
        QSqlQuery years = query(db(), "select year(test_date) as y, count(*) as n, max(test_no) "
                                      "as m, min(test_no) as lo, count(distinct test_no) as d "
                                      "from test_hdr group by year(test_date) order by 1");
        int yearCount = 0;
        while (years.next()) {
            ++yearCount;
            const QString year = years.value(0).toString();
            QVERIFY2(years.value(1).toInt() == years.value(2).toInt(), qPrintable(year));
            QVERIFY2(years.value(1).toInt() == years.value(4).toInt(), qPrintable(year));
            QVERIFY2(years.value(3).toInt() == 1, qPrintable(year));
        }
        QVERIFY(yearCount >= 2);
        // Numbers follow the dates within a year.
        QCOMPARE(countOf(db(), "select count(*) from test_hdr a, test_hdr b where "
                               "year(a.test_date) = year(b.test_date) and a.test_no < b.test_no "
                               "and a.test_date > b.test_date"),
                 qint64(0));

        // A second run continues each year's numbering.
        options.cases = 50;
        options.tests = 80;
        options.seed = 2;
        sample::write(db(), options);
        QSqlQuery again = query(db(), "select count(*) as n, max(test_no) as m from test_hdr "
                                      "group by year(test_date)");
        while (again.next())
            QCOMPARE(again.value(0).toInt(), again.value(1).toInt());
        QCOMPARE(countOf(db(), "select count(*) from student"), qint64(350));
        QCOMPARE(countOf(db(), "select min(stud_code) from student where stud_code > 300"),
                 qint64(301));
    }

    void testsBelongToTheirCasesAndTesters()
    {
        sample::Options options;
        options.cases = 300;
        options.tests = 500;
        sample::write(db(), options);
        const QDate today = QDate::currentDate();
        QCOMPARE(countOf(db(),
                         "select count(*) from test_hdr h, student s where "
                         "h.stud_code = s.stud_code and h.branch_no = 0 and "
                         "h.test_date >= s.stud_birth_date and h.test_date <= ?",
                         {today}),
                 qint64(500));
        QCOMPARE(countOf(db(), "select count(*) from test_hdr where tester_id not in (select "
                               "tester_id from tester)"),
                 qint64(0));
        QCOMPARE(countOf(db(), "select count(*) from test_hdr where info_source_id not in "
                               "(select info_source_id from info_source)"),
                 qint64(0));
        QCOMPARE(countOf(db(), "select count(*) from test_hdr where school_name = '' or "
                               "test_haj_date <> ''"),
                 qint64(0));
        // Some children are tested again, most once or never.
        const qint64 repeated = countOf(db(), "select count(*) from (select stud_code from "
                                              "test_hdr group by stud_code having count(*) >= 2) "
                                              "r");
        QVERIFY(repeated >= 1);
        QVERIFY(repeated < 150);
        // Only a child's latest test may be open.
        QCOMPARE(countOf(db(), "select count(*) from test_hdr a where a.test_status = 1 and "
                               "exists (select 1 from test_hdr b where b.stud_code = a.stud_code "
                               "and b.test_date > a.test_date)"),
                 qint64(0));
        QCOMPARE(countOf(db(), "select count(*) from test_hdr where test_status not in (0, 1)"),
                 qint64(0));
    }

    void everyTestAnswersEveryQuestion()
    {
        sample::Options options;
        options.cases = 300;
        options.tests = 500;
        sample::write(db(), options);
        const qint64 questions = countOf(db(), "select count(*) from test_ques");
        QCOMPARE(countOf(db(), QStringLiteral("select count(*) from (select h.test_no from "
                                              "test_hdr h left join test_dtl d on "
                                              "d.branch_no = h.branch_no and d.test_no = "
                                              "h.test_no and d.test_date = h.test_date and "
                                              "d.stud_code = h.stud_code group by h.branch_no, "
                                              "h.test_no, h.test_date, h.stud_code having "
                                              "count(d.ques_id) <> %1) t")
                                   .arg(questions)),
                 qint64(0));
        QCOMPARE(countOf(db(), "select count(*) from test_dtl d where not exists (select 1 from "
                               "test_ques q where q.ques_group = d.ques_group and q.ques_id = "
                               "d.ques_id)"),
                 qint64(0));
        QCOMPARE(countOf(db(), "select count(*) from test_dtl where not ((ques_ans_val = "
                               "'Always' and ques_mark = 3) or (ques_ans_val = 'Sometimes' and "
                               "ques_mark = 2) or (ques_ans_val = 'Rarely' and ques_mark = 1))"),
                 qint64(0));
        QCOMPARE(countOf(db(), "select count(*) from test_dtl where ques_status <> 1 or "
                               "entry_type <> 1 or who_insert <> 1 or who_update <> 0 or "
                               "notes <> ''"),
                 qint64(0));
        // Some tests score half the marks or more, some less.
        QSqlQuery rates = query(db(), "select sum(ques_mark) * 100.0 / (3 * count(*)) as rate "
                                      "from test_dtl group by branch_no, test_no, test_date, "
                                      "stud_code");
        int high = 0;
        int low = 0;
        while (rates.next())
            ++(rates.value(0).toDouble() >= 50 ? high : low);
        QVERIFY2(high >= 50 && low >= 50, qPrintable(QStringLiteral("%1 %2").arg(high).arg(low)));
    }

    void theSameSeedWritesTheSameRows()
    {
        const QByteArray first = digestOfAnotherRun(7);
        const QByteArray second = digestOfAnotherRun(7);
        const QByteArray other = digestOfAnotherRun(8);
        QCOMPARE(first, second);
        QVERIFY(first != other);
    }
};

SIMAT_TEST_MAIN(SampleDataTest)
#include "test_sample_data.moc"
