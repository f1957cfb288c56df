#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace simat::hijri {

// A Gregorian date in the Umm al-Qura calendar, written dd/MM/yyyy ("28/06/1448").
QString fromGregorian(const QDate &date);

// The Gregorian date of a Hijri dd/MM/yyyy text; none when the text is not a date of the
// Umm al-Qura calendar.
std::optional<QDate> toGregorian(const QString &text);

} // namespace simat::hijri
