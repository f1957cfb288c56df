#pragma once

#include "age.h"
#include "checklist.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace simat {

// What names one stored test: numbers restart each year in each branch, and a register may
// hold the same number and date for two cases, so a test is named by all four.
struct TestIdentity {
    int branchNo = 0;
    int testNo = 0;
    QDate testDate;
    int caseCode = 0;

    bool operator==(const TestIdentity &) const = default;
};

// A question of the checklist with the answer one test gives it.
struct AnsweredQuestion {
    int id = 0;
    QString text;
    int domain = 0;
    checklist::Answer answer = checklist::Answer::None;

    bool isAnswered() const { return answer != checklist::Answer::None; }
};

namespace checklist {

// A test is open while its answers may change; closing it is for good. The stored codes are
// those of test_hdr.test_status.
enum class TestStatus { Closed = 0, Open = 1 };
constexpr int storedCode(TestStatus status)
{
    return int(status);
}
TestStatus statusOfStoredCode(int code);
// "جارى" or "منتهى".
QString statusWord(TestStatus status);
// The word of a stored code; none for a code that is neither.
QString statusWordOfStoredCode(int code);

// The figures of a domain or of the whole checklist: how many questions, how many of them
// answered, the marks they earned.
struct Figures {
    int questions = 0;
    int answered = 0;
    int marks = 0;

    int greatest() const { return greatestMarks(questions); }
    int waiting() const { return questions - answered; }
    bool isComplete() const { return answered == questions; }
    // The marks in percent of the greatest, rounded to the two places that every screen and
    // report prints and every verdict judges; none without a question to divide by.
    std::optional<double> rate() const;
    // The rate, or 0 where there is none: what the test screen shows.
    double shownRate() const { return rate().value_or(0); }
};
Figures figuresOf(const QList<AnsweredQuestion> &questions);

// Two places, as printed: 49.995 is 50.00.
double roundedRate(double rate);

// What the list of a period's tests prints in place of the recommendation of an unfinished test.
QString unfinishedTestText();

} // namespace checklist

// One test of a case: its identity and header, and the answers it holds, by domain. What is
// computed from the answers (marks, rates, completeness, verdicts) is computed here.
class ChecklistTest {
public:
    TestIdentity identity;
    checklist::TestStatus status = checklist::TestStatus::Open;
    int testerId = 0;
    int infoSourceId = 0;
    QString school;
    QDate birthDate;

    bool isStored() const { return identity.testNo != 0; }
    bool isOpen() const { return status == checklist::TestStatus::Open; }
    bool isClosed() const { return !isOpen(); }
    // The case's age on the test date.
    Age age() const { return ageOn(birthDate, identity.testDate); }
    // Why the test cannot be stored under its date, empty when it can: a date after `today`,
    // or a case over the age limit on it.
    QString dateRefusal(const QDate &today) const;

    const QList<AnsweredQuestion> &answers() const { return m_answers; }
    // The domains the test holds answers of, in their order.
    QList<int> domains() const;
    void setAnswers(QList<AnsweredQuestion> answers);
    // A domain's questions in their order, with what this test answered.
    QList<AnsweredQuestion> domainAnswers(int domain) const;
    // Puts `answers` in the place of what the test held for their domain.
    void replaceDomain(int domain, const QList<AnsweredQuestion> &answers);

    checklist::Figures domain(int domain) const;
    // Over the questions the test holds rows for: what the reports of one test and the list of a
    // period's tests rate.
    checklist::Figures held() const;
    // Over the whole checklist of `checklistQuestions` questions, of which the test may hold
    // fewer.
    checklist::Figures whole(int checklistQuestions) const;
    // Every question of the checklist has an answer in the test.
    bool isComplete(int checklistQuestions) const;
    // The recommendation the list of a period's tests gives on the held rate; none until the test
    // is complete.
    std::optional<QString> recommendation(int checklistQuestions) const;

private:
    QList<AnsweredQuestion> m_answers;
};

} // namespace simat
