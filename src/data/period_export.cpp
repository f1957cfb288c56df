#include "period_export.h"

#include "core/checklist_test.h"
#include "core/csv.h"
#include "core/error.h"
#include "owner_only.h"
#include "statement.h"
#include "statement_texts.h"
#include "workbook.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPair>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <unistd.h>
#include <utility>
#include <vector>

namespace simat::period_export {

namespace {

using csv::heading;
using csv::textCell;

struct Domain {
    int id = 0;
    QString name;
};

// The columns of the answers' rows, in the order of exportedAnswers().
enum Column {
    CaseCode,
    CaseName,
    TestNo,
    TestDate,
    TestStatus,
    TesterName,
    SourceName,
    DomainId,
    QuestionId,
    AnswerWord,
    Mark
};

void bindPeriod(Statement &statement, const Period &period)
{
    statement.declare(QStringLiteral("branch_no"), ParamType::Integer);
    statement.declare(QStringLiteral("from_date"), ParamType::Date);
    statement.declare(QStringLiteral("to_date"), ParamType::Date);
    statement.setParam(QStringLiteral("branch_no"), period.branchNo);
    statement.setParam(QStringLiteral("from_date"), period.from);
    statement.setParam(QStringLiteral("to_date"), period.to);
}

// The checklist's domains and questions, read once for every answer that names them.
struct Checklist {
    std::vector<Domain> domains;
    QHash<int, QString> domainNames;
    QHash<QPair<int, int>, QString> questions;
};

Checklist readChecklist(Database &database)
{
    Checklist items;
    Statement domains(database, QStringLiteral("ExportDomains"), texts::checklistDomains());
    for (domains.open(); !domains.atEnd(); domains.next()) {
        const Domain domain{domains.intValue(QStringLiteral("ques_group_id")),
                            domains.textValue(QStringLiteral("ques_group_name"))};
        items.domains.push_back(domain);
        items.domainNames.insert(domain.id, domain.name);
    }
    Statement questions(database, QStringLiteral("ExportQuestions"), texts::checklistQuestions());
    for (questions.open(); !questions.atEnd(); questions.next())
        items.questions.insert({questions.intValue(QStringLiteral("ques_group")),
                                questions.intValue(QStringLiteral("ques_id"))},
                               questions.textValue(QStringLiteral("ques_desc")));
    return items;
}

// SQLite hands the stored ISO text over as it is, PostgreSQL a date.
QString isoDate(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QString) {
        const QString text = value.toString();
        if (text.size() == 10 && text.at(4) == u'-' && text.at(7) == u'-')
            return text;
    }
    return toDate(value).toString(Qt::ISODate);
}

QString number(double value)
{
    return QString::number(value, 'f', 2);
}

QStringList answersHeading()
{
    return {heading("case_code", "كود الحالة"),
            heading("test_no", "رقم الاختبار"),
            heading("test_date", "تاريخ الاختبار"),
            heading("domain_id", "رقم المجموعة"),
            heading("domain", "المجموعة"),
            heading("question_id", "رقم السؤال"),
            heading("question", "السؤال"),
            heading("answer", "الإجابة"),
            heading("mark", "الدرجة")};
}

QStringList answerCells(const QSqlQuery &row, const Checklist &items)
{
    const QString stored = row.value(AnswerWord).toString();
    const checklist::Answer answer = checklist::answerOfStoredWord(stored);
    const int domain = row.value(DomainId).toInt();
    const int question = row.value(QuestionId).toInt();
    return {row.value(CaseCode).toString(),
            row.value(TestNo).toString(),
            isoDate(row.value(TestDate)),
            QString::number(domain),
            textCell(items.domainNames.value(domain)),
            QString::number(question),
            textCell(items.questions.value({domain, question})),
            answer == checklist::Answer::None ? textCell(stored) : checklist::arabicWord(answer),
            row.value(Mark).toString()};
}

QStringList testsHeading(const std::vector<Domain> &domains)
{
    QStringList cells = {heading("case_code", "كود الحالة"),
                         heading("case_name", "اسم الحالة"),
                         heading("test_no", "رقم الاختبار"),
                         heading("test_date", "تاريخ الاختبار"),
                         heading("tester", "القائم بالاختبار"),
                         heading("info_source", "مصدر المعلومات"),
                         heading("answered_questions", "أسئلة تمت إجابتها"),
                         heading("waiting_questions", "أسئلة تنتظر الإجابة")};
    for (const Domain &domain : domains)
        cells << QStringLiteral("domain_%1_percent (نسبة %2)").arg(domain.id).arg(domain.name);
    cells << heading("total_percent", "نتيجة الاختبار") << heading("verdict", "التوصية")
          << heading("status", "الحالة");
    return cells;
}

TestIdentity identityOf(const QSqlQuery &row, const Period &period)
{
    return {period.branchNo, row.value(TestNo).toInt(), toDate(row.value(TestDate)),
            row.value(CaseCode).toInt()};
}

PeriodTest headerOf(const QSqlQuery &row, const TestIdentity &identity)
{
    PeriodTest test;
    test.test.identity = identity;
    test.test.status = checklist::statusOfStoredCode(row.value(TestStatus).toInt());
    test.caseName = row.value(CaseName).toString();
    test.testerName = row.value(TesterName).toString();
    test.infoSourceName = row.value(SourceName).toString();
    return test;
}

// Figured by the stored marks, as the list of the period sums them.
AnsweredQuestion answerOf(const QSqlQuery &row)
{
    return {row.value(QuestionId).toInt(),
            {},
            row.value(DomainId).toInt(),
            checklist::answerOfMark(row.value(Mark).toInt())};
}

// Gathers each test from its rows as they come; `row`, when given, is told of every row too.
void walkTests(Database &database, const Period &period,
               const std::function<void(const PeriodTest &test)> &test,
               const std::function<void(const QSqlQuery &row)> &row = {})
{
    Statement rows(database, QStringLiteral("ExportAnswers"), texts::exportedAnswers());
    bindPeriod(rows, period);
    std::optional<PeriodTest> gathered;
    QList<AnsweredQuestion> answers;
    const auto handOver = [&] {
        gathered->test.setAnswers(std::exchange(answers, {}));
        test(*gathered);
    };
    // A test's rows come together: its date is read when its first row comes.
    QVariant gatheredDate;
    rows.readEach([&](const QSqlQuery &answer) {
        const QVariant date = answer.value(TestDate);
        const bool sameTest = gathered &&
                              gathered->test.identity.testNo == answer.value(TestNo).toInt() &&
                              gathered->test.identity.caseCode == answer.value(CaseCode).toInt() &&
                              date == gatheredDate;
        if (!sameTest) {
            if (gathered)
                handOver();
            gathered = headerOf(answer, identityOf(answer, period));
            gatheredDate = date;
        }
        answers << answerOf(answer);
        if (row)
            row(answer);
    });
    if (gathered)
        handOver();
}

QStringList testCells(const PeriodTest &listed, const Checklist &items)
{
    const ChecklistTest &test = listed.test;
    const checklist::Figures held = test.held();
    const int questions = int(items.questions.size());
    QStringList cells = {QString::number(test.identity.caseCode),
                         textCell(listed.caseName),
                         QString::number(test.identity.testNo),
                         test.identity.testDate.toString(Qt::ISODate),
                         textCell(listed.testerName),
                         textCell(listed.infoSourceName),
                         QString::number(held.answered),
                         QString::number(questions - held.answered)};
    for (const Domain &domain : items.domains) {
        const std::optional<double> rate = test.domain(domain.id).rate();
        cells << (rate ? number(*rate) : QString());
    }
    cells << number(held.shownRate()) << test.recommendation(questions).value_or(QString())
          << checklist::statusWord(test.status);
    return cells;
}

// Written under a name of its own beside the file asked for, readable by its owner alone from
// its first moment (the rows of every child are in it), and given its name once it is whole.
class OutputFile {
public:
    explicit OutputFile(const QString &path)
        : m_path(path)
        , m_file(path + QStringLiteral(".XXXXXX"))
    {
        if (!m_file.open() || !m_file.setPermissions(owner_only::filePermissions))
            throw Error(QStringLiteral("تعذر إنشاء الملف %1\n%2").arg(path, m_file.errorString()));
    }
    QIODevice &device() { return m_file; }
    void commit()
    {
        if (!m_file.flush() || ::fsync(m_file.handle()) != 0)
            throw Error(
                QStringLiteral("تعذر كتابة الملف %1\n%2").arg(m_path, m_file.errorString()));
        if (std::rename(QFile::encodeName(m_file.fileName()).constData(),
                        QFile::encodeName(m_path).constData()) != 0)
            throw Error(QStringLiteral("تعذر كتابة الملف %1\n%2")
                            .arg(m_path, QString::fromLocal8Bit(std::strerror(errno))));
        m_file.setAutoRemove(false);
    }

private:
    QString m_path;
    QTemporaryFile m_file;
};

// A column of a workbook from its title in a CSV file, "case_code (كود الحالة)".
workbook::Column workbookColumn(const QString &heading, workbook::Kind kind, double width = 14)
{
    const qsizetype open = heading.indexOf(QLatin1String(" ("));
    return {heading.mid(open + 2).chopped(1), heading.left(open), kind, width};
}

QList<workbook::Column> testsColumns(const std::vector<Domain> &domains)
{
    using K = workbook::Kind;
    const QStringList titles = testsHeading(domains);
    QList<workbook::Column> columns;
    const K kinds[] = {K::Integer, K::Text, K::Integer, K::Date,
                       K::Text,    K::Text, K::Integer, K::Integer};
    for (int i = 0; i < titles.size(); ++i) {
        const bool percent = i >= 8 && i < titles.size() - 2;
        const K kind = i < 8 ? kinds[i] : percent ? K::Number : K::Text;
        columns << workbookColumn(titles.at(i), kind, kind == K::Text ? 22 : 14);
    }
    return columns;
}

QList<QVariant> testValues(const PeriodTest &listed, const Checklist &items)
{
    const QStringList cells = testCells(listed, items);
    QList<QVariant> values;
    for (const QString &cell : cells)
        values << cell;
    values[3] = listed.test.identity.testDate;
    return values;
}

QList<workbook::Column> answersColumns()
{
    using K = workbook::Kind;
    const QStringList titles = answersHeading();
    const K kinds[] = {K::Integer, K::Integer, K::Date, K::Integer, K::Text,
                       K::Integer, K::Text,    K::Text, K::Integer};
    QList<workbook::Column> columns;
    for (int i = 0; i < titles.size(); ++i)
        columns << workbookColumn(titles.at(i), kinds[i],
                                  i == 6                ? 50
                                  : kinds[i] == K::Text ? 18
                                                        : 12);
    return columns;
}

QList<QVariant> answerValues(const QSqlQuery &row, const Checklist &items)
{
    QList<QVariant> values;
    for (const QString &cell : answerCells(row, items))
        values << cell;
    values[2] = toDate(row.value(TestDate));
    return values;
}

} // namespace

QString workbookFilePath(const QString &testsFilePath)
{
    const QFileInfo tests(testsFilePath);
    QString base = tests.completeBaseName();
    if (base.endsWith(QLatin1String("-tests")))
        base.chop(int(qstrlen("-tests")));
    return tests.dir().filePath(base + QStringLiteral(".xlsx"));
}

Written writeWorkbook(Database &database, const Period &period, int expectedTests,
                      const QString &path, const Progress &progress)
{
    const Checklist items = readChecklist(database);
    workbook::Writer book(path);
    book.addSheet(QStringLiteral("الاختبارات"), testsColumns(items.domains));
    Written written;
    walkTests(database, period, [&](const PeriodTest &test) {
        book.writeRow(testValues(test, items));
        ++written.tests;
        if (progress && !progress(written.tests, 2 * qint64(expectedTests)))
            throw Error(QStringLiteral("توقف التصدير قبل أن يكتمل، ولم يُكتب أي ملف"));
    });
    book.addSheet(QStringLiteral("الإجابات"), answersColumns());
    int tests = 0;
    std::optional<TestIdentity> last;
    walkTests(
        database, period, [&](const PeriodTest &) {},
        [&](const QSqlQuery &answer) {
            book.writeRow(answerValues(answer, items));
            ++written.answers;
            const TestIdentity identity = identityOf(answer, period);
            if (last != identity) {
                last = identity;
                ++tests;
                if (progress && !progress(expectedTests + tests, 2 * qint64(expectedTests)))
                    throw Error(QStringLiteral("توقف التصدير قبل أن يكتمل، ولم يُكتب أي ملف"));
            }
        });
    book.commit();
    return written;
}

int testCount(Database &database, const Period &period)
{
    Statement count(database, QStringLiteral("ExportTestCount"), texts::exportedTestCount());
    bindPeriod(count, period);
    count.open();
    return count.intValue(QStringLiteral("tests"));
}

void readTests(Database &database, const Period &period,
               const std::function<void(const PeriodTest &test)> &test)
{
    walkTests(database, period, test);
}

QString testsFileName(const Period &period)
{
    return QStringLiteral("simat-%1-%2-tests.csv")
        .arg(period.from.toString(Qt::ISODate), period.to.toString(Qt::ISODate));
}

QString answersFilePath(const QString &testsFilePath)
{
    const QFileInfo tests(testsFilePath);
    const QString suffix = tests.suffix().isEmpty() ? QString() : QLatin1Char('.') + tests.suffix();
    QString base = tests.fileName().chopped(suffix.size());
    if (base.endsWith(QLatin1String("-tests")))
        base.chop(int(qstrlen("-tests")));
    return tests.dir().filePath(base + QStringLiteral("-answers") + suffix);
}

Written write(Database &database, const Period &period, int expectedTests,
              const QString &testsFilePath, const Progress &progress)
{
    const Checklist items = readChecklist(database);
    OutputFile testsFile(testsFilePath);
    OutputFile answersFile(answersFilePath(testsFilePath));
    csv::Writer tests(testsFile.device());
    csv::Writer answers(answersFile.device());
    tests.writeRow(testsHeading(items.domains));
    answers.writeRow(answersHeading());

    Written written;
    walkTests(
        database, period,
        [&](const PeriodTest &test) {
            tests.writeRow(testCells(test, items));
            ++written.tests;
            if (progress && !progress(written.tests, expectedTests))
                throw Error(QStringLiteral("توقف التصدير قبل أن يكتمل، ولم يُكتب أي ملف"));
        },
        [&](const QSqlQuery &answer) {
            answers.writeRow(answerCells(answer, items));
            ++written.answers;
        });
    answersFile.commit();
    try {
        testsFile.commit();
    } catch (const Error &) {
        QFile::remove(answersFilePath(testsFilePath));
        throw;
    }
    return written;
}

} // namespace simat::period_export
