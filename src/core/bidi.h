#pragma once

#include <QString>

namespace simat {

// A path, a file name, a code, a date or a number with its sign, isolated (U+2066 ... U+2069)
// so that it reads in its own left-to-right order inside an Arabic sentence.
inline QString isolated(const QString &leftToRight)
{
    return QChar(0x2066) + leftToRight + QChar(0x2069);
}

} // namespace simat
