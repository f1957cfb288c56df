#include "contact.h"

#include <QRegularExpression>

namespace simat {

bool isEmailAddress(const QString &text)
{
    static const QRegularExpression address(
        QStringLiteral("\\A[^@\\s]+@[^@\\s.]+(?:\\.[^@\\s.]+)+\\z"));
    return address.match(text).hasMatch();
}

bool isMobileNumber(const QString &text)
{
    static const QRegularExpression mobile(
        QStringLiteral("\\A(?:(?:\\+|00)[1-9]\\d{0,2})?\\d{9,10}\\z"));
    return mobile.match(text).hasMatch();
}

} // namespace simat
