#pragma once

class QLineEdit;

namespace simat {

// Makes a text box take the digits 0 to 9 only: a typed key or a pasted text that holds any
// other character is refused with a beep and a message, the first character too. Enter,
// Backspace and the keys that move or delete pass as usual; a dropped text is refused.
void acceptDigitsOnly(QLineEdit *box);

} // namespace simat
