#pragma once

#include <QString>
#include <array>
#include <optional>

namespace simat::checklist {

// A question's answer. A question without one has no mark and no ticked column.
enum class Answer { None, Always, Sometimes, Rarely };

// The three answers in the order of the checklist grid's columns, from right to left.
constexpr std::array<Answer, 3> answers = {Answer::Always, Answer::Sometimes, Answer::Rarely};

// The word stored for an answer (test_dtl.ques_ans_val), and the answer a stored word names.
QString storedWord(Answer answer);
Answer answerOfStoredWord(const QString &word);
// The word the screen's column heads and the reports print.
QString arabicWord(Answer answer);

int markOf(Answer answer);
Answer answerOfMark(int mark);
constexpr int greatestMark = 3;
// The greatest mark of a number of questions.
constexpr int greatestMarks(int questions)
{
    return questions * greatestMark;
}

// The grid column where an answer is ticked, and the answer a column stands for.
int gridColumnOf(Answer answer);
Answer answerOfGridColumn(int column);
bool isAnswerColumn(int column);

// `part` in percent of `whole`; none when there is nothing to divide by.
std::optional<double> rate(double part, double whole);
// A rate at or above this percentage finds autistic traits.
constexpr double traitsThreshold = 50;
constexpr bool findsTraits(double rate)
{
    return rate >= traitsThreshold;
}

struct Figures;
// What the test screen says under a domain's and the whole checklist's figures: the verdict once
// every question has an answer (none while the rate is 0), until then how many have one.
QString screenDomainResult(const Figures &figures, const QString &domainName);
QString screenChecklistResult(const Figures &figures);
// The verdicts as the reports word them; a domain's ends with the domain's name.
QString reportDomainVerdict(double rate, const QString &domainName);
QString reportChecklistVerdict(double rate);
// The recommendation of a test in the list of the tests of a period.
QString testRecommendation(double rate);

} // namespace simat::checklist
