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

} // namespace simat
