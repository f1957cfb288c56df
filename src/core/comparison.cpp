#include "comparison.h"

#include <algorithm>

namespace simat::checklist {

namespace {

bool before(const AnsweredQuestion &one, const AnsweredQuestion &other)
{
    return std::pair(one.domain, one.id) < std::pair(other.domain, other.id);
}

QuestionPair pairOf(const AnsweredQuestion &answer)
{
    QuestionPair pair;
    pair.domain = answer.domain;
    pair.question = answer.id;
    pair.text = answer.text;
    return pair;
}

QList<int> domainsOf(const QList<QuestionPair> &pairs)
{
    QList<int> domains;
    for (const QuestionPair &pair : pairs)
        if (domains.isEmpty() || domains.last() != pair.domain)
            domains << pair.domain;
    return domains;
}

} // namespace

QList<QuestionPair> pairByQuestion(QList<AnsweredQuestion> earlier, QList<AnsweredQuestion> later)
{
    std::stable_sort(earlier.begin(), earlier.end(), before);
    std::stable_sort(later.begin(), later.end(), before);
    QList<QuestionPair> pairs;
    auto one = earlier.cbegin();
    auto other = later.cbegin();
    while (one != earlier.cend() || other != later.cend()) {
        const bool takeEarlier =
            other == later.cend() || (one != earlier.cend() && !before(*other, *one));
        const bool takeLater =
            one == earlier.cend() || (other != later.cend() && !before(*one, *other));
        QuestionPair pair = pairOf(takeEarlier ? *one : *other);
        if (takeEarlier)
            pair.earlier = *one++;
        if (takeLater)
            pair.later = *other++;
        pairs << pair;
    }
    return pairs;
}

Change changeOf(int earlierMarks, int laterMarks)
{
    const int value = laterMarks - earlierMarks;
    return {value, rate(value, earlierMarks), trendWord(value)};
}

QString trendWord(double change)
{
    if (change > 0)
        return QStringLiteral("إيجابى");
    if (change < 0)
        return QStringLiteral("سلبى");
    return QStringLiteral("ثبات");
}

QString trendWordsMeaning()
{
    return QStringLiteral(
        "إيجابى: ارتفاع الدرجة (زيادة السمات)، سلبى: انخفاض الدرجة، ثبات: لا تغيير");
}

std::optional<Change> DomainComparison::change() const
{
    if (!inBoth())
        return std::nullopt;
    return changeOf(earlier.marks, later.marks);
}

Change TestComparison::change() const
{
    Change change = changeOf(earlier.marks, later.marks);
    if (!bothComplete())
        change.trend.clear();
    return change;
}

const DomainComparison *TestComparison::domain(int domain) const
{
    for (const DomainComparison &compared : domains)
        if (compared.domain == domain)
            return &compared;
    return nullptr;
}

TestComparison compareTests(const ChecklistTest &earlier, const ChecklistTest &later,
                            int checklistQuestions)
{
    TestComparison comparison;
    comparison.questions = pairByQuestion(earlier.answers(), later.answers());
    for (int domain : domainsOf(comparison.questions))
        comparison.domains << DomainComparison{domain, earlier.domain(domain),
                                               later.domain(domain)};
    comparison.earlier = earlier.whole(checklistQuestions);
    comparison.later = later.whole(checklistQuestions);
    return comparison;
}

} // namespace simat::checklist
