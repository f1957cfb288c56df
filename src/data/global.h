#pragma once

#include <QString>

namespace simat {

// The session: the logged-in user, filled by each successful login and read by every screen
// that stamps audit columns, restricts by level or prints.
struct Session {
    int SessionUserCode = 0;
    QString SessionUserArabicName;
    QString SessionUserLatinName;
    int SessionUserLevel = 0;
    QString SessionUserPassword;
};

// The texts of every report's page heading, assigned each time the login screen shows.
struct ReportHeadings {
    QString CompanyArabicName;
    QString CompanyLatinName;
    QString BranchArabicName;
    QString CompanyArabicAddress;
    QString BranchLatinName;
    QString CompanyLatinAddress;
};

// Process-wide values shared by the screens; one copy for the whole run.
struct Globals {
    Session session;
    ReportHeadings headings;
    int ChecklistQuestionCount = 0;
    int CurrentBranchNo = 0;
    bool StartTestFromMenu = false;
    QString AppWorkDir;
};

Globals &globals();

namespace product {
inline const QString checklistTitle = QStringLiteral("مقياس سمات التوحد");
inline const QString arabicName = QStringLiteral("اختبار مقياس سمات التوحد");
inline const QString latinName = QStringLiteral("Autism Traits Scale Test");
inline const QString reportCredit = QStringLiteral("سمات - برنامج مقياس سمات التوحد");
} // namespace product

} // namespace simat

namespace simat {

// The whole number a text holds; throws Error naming the field when it holds none.
int wholeNumber(const QString &text, const QString &field);

} // namespace simat
