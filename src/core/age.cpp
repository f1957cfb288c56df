#include "age.h"

namespace simat {

Age ageOn(const QDate &birth, const QDate &on)
{
    if (!birth.isValid() || !on.isValid() || birth > on)
        return {};
    int years = on.year();
    int months = on.month();
    int days = on.day();
    if (days < birth.day()) {
        days += 30;
        months -= 1;
    }
    if (months < birth.month()) {
        months += 12;
        years -= 1;
    }
    return {years - birth.year(), months - birth.month(), days - birth.day()};
}

bool isOverAgeLimit(const Age &age)
{
    return age.years > caseAgeLimitYears ||
           (age.years == caseAgeLimitYears && (age.months > 0 || age.days > 0));
}

QString ageLimitMessage()
{
    return QStringLiteral("سن الحالة يجب ألا يزيد عن %1 سنوات").arg(caseAgeLimitYears);
}

} // namespace simat
