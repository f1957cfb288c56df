#pragma once

#include "checklist_test.h"

#include <QList>
#include <QString>
#include <optional>

// How two tests of one case compare: question by question, by domain and in total.
namespace simat::checklist {

// One question of the two tests; a side is empty where that test does not hold the question.
struct QuestionPair {
    int domain = 0;
    int question = 0;
    QString text;
    std::optional<AnsweredQuestion> earlier;
    std::optional<AnsweredQuestion> later;
};

// The questions of both tests, each once, by domain and question number, whatever order or
// gaps either test has.
QList<QuestionPair> pairByQuestion(QList<AnsweredQuestion> earlier, QList<AnsweredQuestion> later);

// How the marks moved from the earlier test to the later: by how much, by what rate of the
// earlier marks (none when those are 0), and the trend word.
struct Change {
    int value = 0;
    std::optional<double> rate;
    QString trend;
};
Change changeOf(int earlierMarks, int laterMarks);

// "إيجابى" for a rise of the marks, "سلبى" for a fall, "ثبات" when they stay.
QString trendWord(double change);
// What the trend words mean, for a reader of the comparison.
QString trendWordsMeaning();

// A domain of either test, each test's figures over the questions it holds of the domain.
struct DomainComparison {
    int domain = 0;
    Figures earlier;
    Figures later;
    bool inBoth() const { return earlier.questions > 0 && later.questions > 0; }
    // None where a test lacks the domain: the marks of a domain not saved yet are no change.
    std::optional<Change> change() const;
};

struct TestComparison {
    QList<QuestionPair> questions;
    // The domains either test holds, in their order.
    QList<DomainComparison> domains;
    // Each test over the whole checklist.
    Figures earlier;
    Figures later;
    bool bothComplete() const { return earlier.isComplete() && later.isComplete(); }
    // The trend word only once both tests are complete: the marks of an unfinished test still
    // rise with every answer.
    Change change() const;
    const DomainComparison *domain(int domain) const;
};
TestComparison compareTests(const ChecklistTest &earlier, const ChecklistTest &later,
                            int checklistQuestions);

} // namespace simat::checklist
