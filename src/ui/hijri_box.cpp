#include "hijri_box.h"

#include "core/hijri.h"
#include "messages.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QRegularExpression>

namespace simat {

namespace {

bool holdsEmptyMask(const QLineEdit *hijriBox)
{
    QString digits = hijriBox->text();
    digits.remove(QLatin1Char('/')).remove(QLatin1Char(' '));
    return digits.isEmpty();
}

} // namespace

void enterHijriDate(QLineEdit *hijriBox, QDateEdit *picker, QWidget *owner)
{
    if (holdsEmptyMask(hijriBox))
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

bool applyHijriDate(QLineEdit *hijriBox, QDateEdit *picker, const QString &field, QWidget *owner)
{
    const QString shown = hijri::fromGregorian(picker->date());
    if (holdsEmptyMask(hijriBox) || hijriBox->text() == shown) {
        hijriBox->setText(shown);
        return true;
    }
    const std::optional<QDate> date = hijri::toGregorian(hijriBox->text());
    if (!date) {
        const QString typed = hijriBox->text();
        hijriBox->setText(shown);
        messages::info(QStringLiteral("%1 \"%2\" غير صحيح - اكتب تاريخاً هجرياً صحيحاً باليوم "
                                      "والشهر والسنة (يوم/شهر/سنة)")
                           .arg(field, typed),
                       owner);
        hijriBox->setFocus();
        return false;
    }
    picker->setDate(*date);
    return picker->date() == *date;
}

void followCompleteHijriDate(QLineEdit *hijriBox, QDateEdit *picker)
{
    static const QRegularExpression complete(QStringLiteral("^\\d{2}/\\d{2}/\\d{4}$"));
    if (!complete.match(hijriBox->text()).hasMatch())
        return;
    if (const std::optional<QDate> date = hijri::toGregorian(hijriBox->text()))
        picker->setDate(*date);
}

} // namespace simat
