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

} // namespace simat
