#include "typed_date.h"

#include <QRegularExpression>

namespace simat {

namespace {

const QRegularExpression &wholeDate()
{
    static const QRegularExpression date(
        QStringLiteral("\\A\\s*(?:(\\d{2})(\\d{2})(\\d{4})|(\\d{1,2})[/.\\- ](\\d{1,2})[/.\\- "
                       "](\\d{4}))\\s*\\z"));
    return date;
}

const QRegularExpression &partOfDate()
{
    static const QRegularExpression part(
        QStringLiteral("\\A\\s*(?:\\d{0,8}|\\d{1,2}[/.\\- ]\\d{0,2}|\\d{1,2}[/.\\- ]\\d{1,2}[/.\\- "
                       "]\\d{0,4})\\s*\\z"));
    return part;
}

} // namespace

std::optional<QDate> dayFirstDate(const QString &typed)
{
    const QRegularExpressionMatch match = wholeDate().match(typed);
    if (!match.hasMatch())
        return std::nullopt;
    const int first = match.capturedLength(1) > 0 ? 1 : 4;
    const QDate date(match.captured(first + 2).toInt(), match.captured(first + 1).toInt(),
                     match.captured(first).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

bool mayBecomeDayFirstDate(const QString &typed)
{
    return partOfDate().match(typed).hasMatch();
}

} // namespace simat
