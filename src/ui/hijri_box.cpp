#include "hijri_box.h"

#include "core/bidi.h"
#include "core/hijri.h"
#include "messages.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QRegularExpression>

namespace simat {

namespace {

// A picker that may hold no date shows its special text at its least date.
QString hijriOf(const QDateEdit *picker)
{
    const bool noDate =
        !picker->specialValueText().isEmpty() && picker->date() == picker->minimumDate();
    return noDate ? QString() : hijri::fromGregorian(picker->date());
}

bool holdsEmptyMask(const QLineEdit *hijriBox)
{
    QString digits = hijriBox->text();
    digits.remove(QLatin1Char('/')).remove(QLatin1Char(' '));
    return digits.isEmpty();
}

} // namespace

bool enterHijriDate(QLineEdit *hijriBox, QDateEdit *picker, QWidget *owner, const QString &field)
{
    if (holdsEmptyMask(hijriBox))
        return true;
    const std::optional<QDate> date = hijri::toGregorian(hijriBox->text());
    if (!date) {
        messages::info(QStringLiteral("%1 \"%2\" غير صحيح").arg(field, isolated(hijriBox->text())),
                       owner);
        hijriBox->setText(hijriOf(picker));
        return false;
    }
    picker->setDate(*date);
    return true;
}

bool applyHijriDate(QLineEdit *hijriBox, QDateEdit *picker, const QString &field, QWidget *owner)
{
    const QString shown = hijriOf(picker);
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
                           .arg(field, isolated(typed)),
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
