#pragma once

#include <QString>

namespace simat {

// The whole number a text holds; throws Error naming the field when it holds none.
int wholeNumber(const QString &text, const QString &field);

// "10 000": each three digits apart, by a no-break space; a number so parted comes isolated,
// since inside Arabic text Qt's layout would part it at the spaces and show "000 10".
QString groupedNumber(qint64 number);
// How far a long piece of work has gone: "5 200 من 10 000", or "5 200" while the total is not
// known.
QString howFar(qint64 done, qint64 total);

} // namespace simat
