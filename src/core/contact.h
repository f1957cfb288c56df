#pragma once

#include <QString>

namespace simat {

// An e-mail address as people write one: text@text.text, with no blanks.
bool isEmailAddress(const QString &text);

// A mobile number: 9 or 10 digits, after a country code given with "+" or "00" if any.
bool isMobileNumber(const QString &text);

} // namespace simat
