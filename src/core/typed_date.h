#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace simat {

// A date typed day first, as the program shows dates: "15032019", "15/03/2019", "15-3-2019"
// and "15.3.2019" are all 15 March 2019. None when the text is not a whole, possible date.
std::optional<QDate> dayFirstDate(const QString &typed);

// Whether the text could still become such a date as more is typed.
bool mayBecomeDayFirstDate(const QString &typed);

} // namespace simat
