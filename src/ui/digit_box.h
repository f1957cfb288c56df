#pragma once

#include <QString>

class QLineEdit;

namespace simat {

// Makes a text box take the digits 0 to 9 only. A typed character of any other kind is
// refused with a beep and a hint beside the box that names the field, and no window opens,
// so the typing goes on in the box; a pasted text gives its digits alone, and the hint says
// so. Enter, Backspace and the keys that move or delete pass as usual; a dropped text is
// refused.
// A telephone box takes a "+" before its digits too, for a country code.
enum class Digits { Only, AfterAPlus };
void acceptDigitsOnly(QLineEdit *box, const QString &field, Digits kind = Digits::Only);

// The hint of a refused character, and of a paste that held other characters.
QString digitsOnlyHint(const QString &field);
QString digitsPastedHint(const QString &field);

} // namespace simat
