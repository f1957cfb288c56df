#pragma once

#include <QString>

// The reasons a backup's check or restore gives, shared by its parts.
namespace simat::backup {

inline QString notABackupText()
{
    return QStringLiteral("الملف المختار ليس نسخة احتياطية من بيانات هذا البرنامج");
}

inline QString stoppedText()
{
    return QStringLiteral("توقف العمل قبل أن يكتمل، ولم يتغير شيء");
}

} // namespace simat::backup
