#pragma once

#include <QString>

class QDateEdit;
class QLineEdit;
class QWidget;

namespace simat {

// The Hijri text of a date box, entered by Enter or by leaving the box: a date of the Umm
// al-Qura calendar moves the Gregorian picker to it; the empty mask changes nothing; any other
// text is refused with a message over `owner` that names the field, and the box shows the
// picker's date again (nothing while the picker shows no date). False when the text was
// refused.
bool enterHijriDate(QLineEdit *hijriBox, QDateEdit *picker, QWidget *owner,
                    const QString &field = QStringLiteral("التاريخ الهجرى"));

// The same before an action reads the picker, for a box whose mask may not be filled: a Hijri
// date moves the picker to it; a box left empty shows the picker's date again; any other text
// is refused with a message that names the field, and the box shows the picker's date again
// with the focus in it. False when the text was refused, or when the picker's own rules (its
// change handler) turned the date down.
bool applyHijriDate(QLineEdit *hijriBox, QDateEdit *picker, const QString &field, QWidget *owner);

// While the user types: a complete Hijri date (dd/MM/yyyy) moves the picker to it at once;
// anything else waits for Enter, the box's exit or the action.
void followCompleteHijriDate(QLineEdit *hijriBox, QDateEdit *picker);

} // namespace simat
