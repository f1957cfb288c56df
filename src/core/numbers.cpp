#include "numbers.h"

#include "core/bidi.h"
#include "error.h"

namespace simat {

int wholeNumber(const QString &text, const QString &field)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (!ok)
        throw Error(QStringLiteral("\"%1\" ليس رقماً صحيحاً: %2").arg(isolated(text), field));
    return number;
}

QString groupedNumber(qint64 number)
{
    QString digits = QString::number(number < 0 ? -number : number);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QChar(QChar::Nbsp));
    const QString signedDigits = number < 0 ? QLatin1Char('-') + digits : digits;
    return digits.contains(QChar(QChar::Nbsp)) ? isolated(signedDigits) : signedDigits;
}

QString howFar(qint64 done, qint64 total)
{
    return total > 0 ? groupedNumber(done) + QStringLiteral(" من ") + groupedNumber(total)
                     : groupedNumber(done);
}

} // namespace simat
