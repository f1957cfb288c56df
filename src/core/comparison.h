#pragma once

#include "checklist.h"

#include <QList>
#include <QString>
#include <optional>

// How two tests of one case compare: question by question, by domain and in total.
namespace simat::checklist {

// A question as one test answered it.
struct QuestionAnswer {
    int domain = 0;
    int question = 0;
    QString text;
    QString storedWord;
    int mark = 0;
};

// One question of the two tests; a side is empty where that test does not hold the question.
struct QuestionPair {
    int domain = 0;
    int question = 0;
    QString text;
    std::optional<QuestionAnswer> earlier;
    std::optional<QuestionAnswer> later;
};

// The questions of both tests, each once, by domain and question number, whatever order or
// gaps either test has.
QList<QuestionPair> pairByQuestion(QList<QuestionAnswer> earlier, QList<QuestionAnswer> later);

// part / whole in percent; none when there is nothing to divide by.
std::optional<double> percentOf(double part, double whole);

// "إيجابى" for a rise of the marks, "سلبى" for a fall, "ثبات" when they stay.
QString trendWord(double change);

} // namespace simat::checklist
