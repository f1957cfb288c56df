#pragma once

#include <QDate>
#include <QString>

namespace simat {

// The age of a case on a date, in whole years, months and days (a month counted as 30 days
// when the day of the month must borrow).
struct Age {
    int years = 0;
    int months = 0;
    int days = 0;
};
Age ageOn(const QDate &birth, const QDate &on);

// The centre screens children up to 8 years of age, to the day.
constexpr int caseAgeLimitYears = 8;
bool isOverAgeLimit(const Age &age);
// What a screen says when a date would put a case over the limit.
QString ageLimitMessage();

} // namespace simat
