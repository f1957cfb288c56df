#include "hijri_box.h"

#include "core/hijri.h"
#include "messages.h"

#include <QDateEdit>
#include <QLineEdit>

namespace simat {

void enterHijriDate(QLineEdit *hijriBox, QDateEdit *picker, QWidget *owner)
{
    QString digits = hijriBox->text();
    digits.remove(QLatin1Char('/')).remove(QLatin1Char(' '));
    if (digits.isEmpty())
        return;
    const std::optional<QDate> date = hijri::toGregorian(hijriBox->text());
    if (!date) {
        messages::info(QStringLiteral("التاريخ الهجرى \"%1\" غير صحيح").arg(hijriBox->text()),
                       owner);
        hijriBox->setText(hijri::fromGregorian(picker->date()));
        return;
    }
    picker->setDate(*date);
}

} // namespace simat
