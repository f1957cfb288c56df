#pragma once

#include "core/permissions.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace simat {

// The session: the logged-in user, filled by each successful login and read by every screen
// that stamps audit columns, restricts by level or prints.
struct Session {
    int SessionUserCode = 0;
    QString SessionUserArabicName;
    QString SessionUserLatinName;
    int SessionUserLevel = 0;
    // Always empty: the login verifies the password and keeps neither it nor its hash.
    QString SessionUserPassword;
    // The register the session logged in to can only be read.
    bool RegisterReadOnly = false;
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

// The lookup variables that the picker and the lookup screens share; what to do with a chosen
// row travels with the picker's request instead (ui/search.h).
struct LookupState {
    QString LookupTableName;
    int LookupTableLevel = 0;
    QString LookupCodeColumn;
    QString LookupNameColumn;
    QString LookupParentTable;
    QString LookupParentCodeColumn;
    QString LookupParentNameColumn;
    QPointer<QObject> LookupButton;
    int CompareCaseCode = 0;
    // Set by the comparison builder once both tests are loaded; the picker clears it.
    bool CompareReady = false;
};

// Process-wide values shared by the screens; one copy for the whole run.
struct Globals {
    Session session;
    ReportHeadings headings;
    LookupState lookup;
    int ChecklistQuestionCount = 0;
    int CurrentBranchNo = 0;
    bool StartTestFromMenu = false;
    QString AppWorkDir;
};

Globals &globals();

// What the session's user may do on the session's register, for the rules of core/permissions.
permissions::Access sessionAccess();

} // namespace simat

namespace simat {

// Finds the code and name columns of LookupTableName from its level in app_tables and its
// column order: level 1, the 1st and 2nd columns; level 2 or more, the 2nd and 3rd. A table
// missing from the registry keeps the columns of the previous lookup.
void discoverLookupColumns();

} // namespace simat
