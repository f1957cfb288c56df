#include "hijri.h"

#include <QRegularExpression>
#include <memory>
#include <unicode/ucal.h>

namespace simat::hijri {

namespace {

constexpr double millisecondsPerDay = 86400000.0;

struct CalendarCloser {
    void operator()(UCalendar *calendar) const { ucal_close(calendar); }
};
using Calendar = std::unique_ptr<UCalendar, CalendarCloser>;

// Both calendars run on UTC so that a day never shifts across a time zone.
Calendar openCalendar(const char *locale)
{
    UErrorCode status = U_ZERO_ERROR;
    const UChar utc[] = {'U', 'T', 'C', 0};
    Calendar calendar(ucal_open(utc, -1, locale, UCAL_DEFAULT, &status));
    if (U_FAILURE(status))
        return nullptr;
    ucal_setAttribute(calendar.get(), UCAL_LENIENT, 0);
    return calendar;
}

UCalendar *ummAlQura()
{
    static Calendar calendar = openCalendar("ar@calendar=islamic-umalqura");
    return calendar.get();
}

QString written(int day, int month, int year)
{
    return QStringLiteral("%1/%2/%3")
        .arg(day, 2, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(year, 4, 10, QLatin1Char('0'));
}

double utcMidnight(const QDate &date)
{
    return double(QDate(1970, 1, 1).daysTo(date)) * millisecondsPerDay;
}

QString convertedFromGregorian(const QDate &date)
{
    UCalendar *calendar = ummAlQura();
    if (!calendar || !date.isValid())
        return {};
    UErrorCode status = U_ZERO_ERROR;
    ucal_setMillis(calendar, utcMidnight(date), &status);
    const int day = ucal_get(calendar, UCAL_DATE, &status);
    const int month = ucal_get(calendar, UCAL_MONTH, &status) + 1;
    const int year = ucal_get(calendar, UCAL_YEAR, &status);
    if (U_FAILURE(status))
        return {};
    return written(day, month, year);
}

} // namespace

// The calendar's arithmetic is slow, and a save asks for the same date once for every answer.
QString fromGregorian(const QDate &date)
{
    static QDate lastDate;
    static QString lastWritten;
    if (date != lastDate) {
        lastWritten = convertedFromGregorian(date);
        lastDate = date;
    }
    return lastWritten;
}

std::optional<QDate> toGregorian(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{4})\\s*$"));
    const QRegularExpressionMatch parts = form.match(text);
    UCalendar *calendar = ummAlQura();
    if (!parts.hasMatch() || !calendar)
        return std::nullopt;
    const int day = parts.captured(1).toInt();
    const int month = parts.captured(2).toInt();
    const int year = parts.captured(3).toInt();
    if (day < 1 || day > 30 || month < 1 || month > 12 || year < 1300 || year > 1600)
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    ucal_clear(calendar);
    ucal_setDate(calendar, year, month - 1, day, &status);
    const double millis = ucal_getMillis(calendar, &status);
    if (U_FAILURE(status))
        return std::nullopt;
    const QDate date = QDate(1970, 1, 1).addDays(qint64(millis / millisecondsPerDay));
    // Lenient off still lets ICU roll a 30th onto the next month; the round trip catches it.
    if (fromGregorian(date) != written(day, month, year))
        return std::nullopt;
    return date;
}

} // namespace simat::hijri
