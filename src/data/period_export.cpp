#include "period_export.h"

#include "core/checklist_test.h"
#include "core/csv.h"
#include "core/error.h"
#include "owner_only.h"
#include "statement.h"
#include "statement_texts.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPair>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <unistd.h>

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

QString isoDate(const QVariant &value)
{
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

// A test's row, gathered from its answers as they come.
class TestRow {
public:
    TestRow(const QSqlQuery &firstAnswer, const QString &key)
        : m_key(key)
        , m_cells({firstAnswer.value(CaseCode).toString(),
                   textCell(firstAnswer.value(CaseName).toString()),
                   firstAnswer.value(TestNo).toString(), isoDate(firstAnswer.value(TestDate)),
                   textCell(firstAnswer.value(TesterName).toString()),
                   textCell(firstAnswer.value(SourceName).toString())})
    {
        m_test.status = checklist::statusOfStoredCode(firstAnswer.value(TestStatus).toInt());
    }

    static QString keyOf(const QSqlQuery &answer)
    {
        return answer.value(TestDate).toString() + QLatin1Char('/') +
               answer.value(TestNo).toString() + QLatin1Char('/') +
               answer.value(CaseCode).toString();
    }
    const QString &key() const { return m_key; }

    // Figured by the stored marks, as the list of the period sums them.
    void add(const QSqlQuery &answer)
    {
        m_answers << AnsweredQuestion{answer.value(QuestionId).toInt(),
                                      {},
                                      answer.value(DomainId).toInt(),
                                      checklist::answerOfMark(answer.value(Mark).toInt())};
    }

    // A test's rates are of the questions it holds rows for, as in the list of the period.
    QStringList cells(const Checklist &items)
    {
        m_test.setAnswers(std::move(m_answers));
        const checklist::Figures whole = checklist::figuresOf(m_test.answers());
        QStringList cells = m_cells;
        cells << QString::number(whole.questions)
              << QString::number(items.questions.size() - whole.questions);
        for (const Domain &domain : items.domains) {
            const std::optional<double> rate = m_test.domain(domain.id).rate();
            cells << (rate ? number(*rate) : QString());
        }
        const double rate = whole.shownRate();
        cells << number(rate) << checklist::testRecommendation(rate)
              << checklist::statusWord(m_test.status);
        return cells;
    }

private:
    QString m_key;
    QStringList m_cells;
    QList<AnsweredQuestion> m_answers;
    ChecklistTest m_test;
};

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

} // namespace

int testCount(Database &database, const Period &period)
{
    Statement count(database, QStringLiteral("ExportTestCount"), texts::exportedTestCount());
    bindPeriod(count, period);
    count.open();
    return count.intValue(QStringLiteral("tests"));
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
    std::optional<TestRow> test;
    const auto finishTest = [&] {
        tests.writeRow(test->cells(items));
        ++written.tests;
        if (progress && !progress(written.tests, expectedTests))
            throw Error(QStringLiteral("توقف التصدير قبل أن يكتمل، ولم يُكتب أي ملف"));
    };
    Statement rows(database, QStringLiteral("ExportAnswers"), texts::exportedAnswers());
    bindPeriod(rows, period);
    rows.readEach([&](const QSqlQuery &answer) {
        const QString key = TestRow::keyOf(answer);
        if (!test || test->key() != key) {
            if (test)
                finishTest();
            test.emplace(answer, key);
        }
        test->add(answer);
        answers.writeRow(answerCells(answer, items));
        ++written.answers;
    });
    if (test)
        finishTest();
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
