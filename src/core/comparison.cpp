#include "comparison.h"

#include <algorithm>

namespace simat::checklist {

namespace {

bool before(const QuestionAnswer &one, const QuestionAnswer &other)
{
    return std::pair(one.domain, one.question) < std::pair(other.domain, other.question);
}

QuestionPair pairOf(const QuestionAnswer &answer)
{
    QuestionPair pair;
    pair.domain = answer.domain;
    pair.question = answer.question;
    pair.text = answer.text;
    return pair;
}

} // namespace

QList<QuestionPair> pairByQuestion(QList<QuestionAnswer> earlier, QList<QuestionAnswer> later)
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

std::optional<double> percentOf(double part, double whole)
{
    if (whole == 0)
        return std::nullopt;
    return part / whole * 100;
}

QString trendWord(double change)
{
    if (change > 0)
        return QStringLiteral("إيجابى");
    if (change < 0)
        return QStringLiteral("سلبى");
    return QStringLiteral("ثبات");
}

} // namespace simat::checklist
