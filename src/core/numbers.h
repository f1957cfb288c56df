#pragma once

#include <QString>

namespace simat {

// The whole number a text holds; throws Error naming the field when it holds none.
int wholeNumber(const QString &text, const QString &field);

} // namespace simat
