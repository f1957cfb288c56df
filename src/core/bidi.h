#pragma once

#include <QString>

namespace simat {

// The marks that open a left-to-right isolate and close it.
constexpr QChar leftToRightIsolate(0x2066);
constexpr QChar popDirectionalIsolate(0x2069);

// A path, a file name, a code, a date or a number with its sign, isolated (U+2066 ... U+2069)
// so that it reads in its own left-to-right order inside an Arabic sentence.
inline QString isolated(const QString &leftToRight)
{
    return leftToRightIsolate + leftToRight + popDirectionalIsolate;
}

} // namespace simat
