#include "hijri_box.h"

#include "core/hijri.h"
#include "messages.h"

#include <QDateEdit>
#include <QLineEdit>

namespace simat {

namespace {

// A picker that may hold no date shows its special text at its least date.
QString hijriOf(const QDateEdit *picker)
{
    const bool noDate =
        !picker->specialValueText().isEmpty() && picker->date() == picker->minimumDate();
    return noDate ? QString() : hijri::fromGregorian(picker->date());
}

} // namespace

bool enterHijriDate(QLineEdit *hijriBox, QDateEdit *picker, QWidget *owner, const QString &field)
{
    QString digits = hijriBox->text();
    digits.remove(QLatin1Char('/')).remove(QLatin1Char(' '));
    if (digits.isEmpty())
        return true;
    const std::optional<QDate> date = hijri::toGregorian(hijriBox->text());
    if (!date) {
        messages::info(QStringLiteral("%1 \"%2\" غير صحيح").arg(field, hijriBox->text()), owner);
        hijriBox->setText(hijriOf(picker));
        return false;
    }
    picker->setDate(*date);
    return true;
}

} // namespace simat
