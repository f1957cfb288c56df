#include "checklist.h"

#include "checklist_test.h"
#include "counted_words.h"

#include <array>

namespace simat::checklist {

namespace {

struct AnswerRule {
    Answer answer;
    const char *storedWord;
    const char *arabicWord;
    int mark;
    int gridColumn;
};

constexpr AnswerRule rules[] = {
    {Answer::Always, "Always", "دائماً", greatestMark, 2},
    {Answer::Sometimes, "Sometimes", "أحياناً", 2, 3},
    {Answer::Rarely, "Rarely", "نادراً", 1, 4},
};

const AnswerRule *ruleOf(Answer answer)
{
    for (const AnswerRule &rule : rules)
        if (rule.answer == answer)
            return &rule;
    return nullptr;
}

template <typename Key> Answer answerWhere(Key AnswerRule::*field, Key value)
{
    for (const AnswerRule &rule : rules)
        if (rule.*field == value)
            return rule.answer;
    return Answer::None;
}

QString screenVerdict(double rate, const QString &traits, const QString &sound)
{
    if (rate == 0)
        return QString();
    return findsTraits(rate) ? traits : sound;
}

QString answeredProgress(int answered, int questions)
{
    return QStringLiteral("أُجيب عن %1 من %2")
        .arg(QString::number(answered), arabic::questions(questions, arabic::Case::Oblique));
}

} // namespace

QString storedWord(Answer answer)
{
    const AnswerRule *rule = ruleOf(answer);
    return rule ? QString::fromLatin1(rule->storedWord) : QString();
}

Answer answerOfStoredWord(const QString &word)
{
    for (const AnswerRule &rule : rules)
        if (word == QLatin1String(rule.storedWord))
            return rule.answer;
    return Answer::None;
}

// Made once: an export writes the word of every one of a year's answers.
QString arabicWord(Answer answer)
{
    static const std::array<QString, std::size(rules)> words = [] {
        std::array<QString, std::size(rules)> made;
        for (std::size_t i = 0; i < made.size(); ++i)
            made[i] = QString::fromUtf8(rules[i].arabicWord);
        return made;
    }();
    const AnswerRule *rule = ruleOf(answer);
    return rule ? words[rule - rules] : QString();
}

int markOf(Answer answer)
{
    const AnswerRule *rule = ruleOf(answer);
    return rule ? rule->mark : 0;
}

Answer answerOfMark(int mark)
{
    return answerWhere(&AnswerRule::mark, mark);
}

int gridColumnOf(Answer answer)
{
    const AnswerRule *rule = ruleOf(answer);
    return rule ? rule->gridColumn : -1;
}

Answer answerOfGridColumn(int column)
{
    return answerWhere(&AnswerRule::gridColumn, column);
}

bool isAnswerColumn(int column)
{
    return answerOfGridColumn(column) != Answer::None;
}

std::optional<double> rate(double part, double whole)
{
    if (whole == 0)
        return std::nullopt;
    return part / whole * 100;
}

QString screenDomainResult(const Figures &figures, const QString &domainName)
{
    if (!figures.isComplete())
        return answeredProgress(figures.answered, figures.questions);
    return screenVerdict(figures.shownRate(),
                         QStringLiteral("الحالة تعانى من التوحد على مستوى مجموعة ") + domainName,
                         QStringLiteral("الحالة سليمة ولاتعانى من التوحد على مستوى مجموعة ") +
                             domainName);
}

QString screenChecklistResult(const Figures &figures)
{
    if (!figures.isComplete())
        return answeredProgress(figures.answered, figures.questions);
    return screenVerdict(figures.shownRate(),
                         QStringLiteral("الحالة تعانى من التوحد على مستوى المقياس ككل"),
                         QStringLiteral("الحالة سليمة ولاتعانى من التوحد على مستوى المقياس ككل"));
}

QString reportDomainVerdict(double rate, const QString &domainName)
{
    const QString verdict = findsTraits(rate)
                                ? QStringLiteral("الحالة تعانى من التوحد على مستوى مجموعة")
                                : QStringLiteral("الحالة لاتعانى من التوحد على مستوى مجموعة");
    return domainName.isEmpty() ? verdict : verdict + QLatin1Char(' ') + domainName;
}

QString reportChecklistVerdict(double rate)
{
    return findsTraits(rate) ? QStringLiteral("الحالة تعانى من التوحد على مستوى المقياس ككل")
                             : QStringLiteral("الحالة لاتعانى من التوحد على مستوى المقياس ككل");
}

QString testRecommendation(double rate)
{
    return findsTraits(rate) ? QStringLiteral("الحالة تعانى من التوحد")
                             : QStringLiteral("الحالة لاتعانى من التوحد");
}

} // namespace simat::checklist
