#pragma once

#include <QStringList>

// The stored texts of the data module's statements, line by line as screens index them.
namespace simat::texts {

QStringList findUser();
QStringList questionCount();
QStringList serialTemplate();
// student a with every lookup name, in one chain of parenthesised left joins, then `where`.
QStringList caseWithLookups(const QString &where);

} // namespace simat::texts
