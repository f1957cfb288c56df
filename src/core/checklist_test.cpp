#include "checklist_test.h"

#include <algorithm>
#include <cmath>

namespace simat {

namespace checklist {

TestStatus statusOfStoredCode(int code)
{
    return code == storedCode(TestStatus::Closed) ? TestStatus::Closed : TestStatus::Open;
}

QString statusWord(TestStatus status)
{
    return status == TestStatus::Open ? QStringLiteral("جارى") : QStringLiteral("منتهى");
}

QString statusWordOfStoredCode(int code)
{
    for (TestStatus status : {TestStatus::Open, TestStatus::Closed})
        if (code == storedCode(status))
            return statusWord(status);
    return QString();
}

double roundedRate(double rate)
{
    return std::round(rate * 100) / 100;
}

QString unfinishedTestText()
{
    return QStringLiteral("لم يكتمل الاختبار");
}

std::optional<double> Figures::rate() const
{
    const std::optional<double> exact = checklist::rate(marks, greatest());
    return exact ? std::optional(roundedRate(*exact)) : std::nullopt;
}

namespace {

void count(Figures &figures, const AnsweredQuestion &question)
{
    ++figures.questions;
    figures.answered += question.isAnswered() ? 1 : 0;
    figures.marks += markOf(question.answer);
}

} // namespace

Figures figuresOf(const QList<AnsweredQuestion> &questions)
{
    Figures figures;
    for (const AnsweredQuestion &question : questions)
        count(figures, question);
    return figures;
}

} // namespace checklist

namespace {

bool inQuestionOrder(const AnsweredQuestion &one, const AnsweredQuestion &other)
{
    return std::pair(one.domain, one.id) < std::pair(other.domain, other.id);
}

} // namespace

void ChecklistTest::setAnswers(QList<AnsweredQuestion> answers)
{
    if (!std::is_sorted(answers.cbegin(), answers.cend(), inQuestionOrder))
        std::stable_sort(answers.begin(), answers.end(), inQuestionOrder);
    m_answers = std::move(answers);
}

QString ChecklistTest::dateRefusal(const QDate &today) const
{
    if (identity.testDate > today)
        return QStringLiteral("تاريخ الاختبار لا يمكن أن يكون بعد اليوم");
    if (isOverAgeLimit(age()))
        return ageLimitMessage();
    return QString();
}

QList<int> ChecklistTest::domains() const
{
    QList<int> domains;
    for (const AnsweredQuestion &question : m_answers)
        if (domains.isEmpty() || domains.last() != question.domain)
            domains << question.domain;
    return domains;
}

QList<AnsweredQuestion> ChecklistTest::domainAnswers(int domain) const
{
    QList<AnsweredQuestion> questions;
    for (const AnsweredQuestion &question : m_answers)
        if (question.domain == domain)
            questions << question;
    return questions;
}

void ChecklistTest::replaceDomain(int domain, const QList<AnsweredQuestion> &answers)
{
    QList<AnsweredQuestion> kept;
    for (const AnsweredQuestion &question : m_answers)
        if (question.domain != domain)
            kept << question;
    for (AnsweredQuestion question : answers) {
        question.domain = domain;
        kept << question;
    }
    setAnswers(std::move(kept));
}

checklist::Figures ChecklistTest::domain(int domain) const
{
    checklist::Figures figures;
    for (const AnsweredQuestion &question : m_answers)
        if (question.domain == domain)
            checklist::count(figures, question);
    return figures;
}

checklist::Figures ChecklistTest::whole(int checklistQuestions) const
{
    checklist::Figures figures = held();
    figures.questions = checklistQuestions;
    return figures;
}

checklist::Figures ChecklistTest::held() const
{
    return checklist::figuresOf(m_answers);
}

bool ChecklistTest::isComplete(int checklistQuestions) const
{
    const checklist::Figures figures = held();
    return figures.questions == checklistQuestions && figures.isComplete();
}

std::optional<QString> ChecklistTest::recommendation(int checklistQuestions) const
{
    if (!isComplete(checklistQuestions))
        return std::nullopt;
    return checklist::testRecommendation(held().shownRate());
}

} // namespace simat
