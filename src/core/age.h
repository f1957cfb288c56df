#pragma once

#include <QDate>

namespace simat {

// The age of a case on a date, in whole years, months and days (a month counted as 30 days
// when the day of the month must borrow).
struct Age {
    int years = 0;
    int months = 0;
    int days = 0;
};
Age ageOn(const QDate &birth, const QDate &on);

} // namespace simat
