#pragma once

#include <QString>

namespace simat::product {
inline const QString checklistTitle = QStringLiteral("مقياس سمات التوحد");
inline const QString arabicName = QStringLiteral("اختبار مقياس سمات التوحد");
inline const QString latinName = QStringLiteral("Autism Traits Scale Test");
inline const QString reportCredit = QStringLiteral("سمات - برنامج مقياس سمات التوحد");
} // namespace simat::product
