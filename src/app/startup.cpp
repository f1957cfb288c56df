#include "startup.h"

#include "basic_data/audit_log_form.h"
#include "basic_data/basic_data_main.h"
#include "basic_data/setup_data.h"
#include "basic_data/setup_data_level_2.h"
#include "basic_data/setup_data_report.h"
#include "basic_data/setup_data_report_level2.h"
#include "cases/import_cases.h"
#include "cases/student_query.h"
#include "cases/students.h"
#include "cases/students_report.h"
#include "change_password.h"
#include "checklist/case_measuers_list.h"
#include "checklist/measure_diagonsis.h"
#include "data/dm.h"
#include "inquiries/inquires_reports.h"
#include "inquiries/interval.h"
#include "login.h"
#include "main_form.h"
#include "platform.h"
#include "reports/all_cases_report.h"
#include "reports/audit_log_report.h"
#include "reports/case_course_report.h"
#include "reports/case_tests_compare_report.h"
#include "reports/measure_diagonsis_report.h"
#include "reports/measure_diagonsis_summary_report.h"
#include "setup_options.h"
#include "startup_form.h"
#include "ui/busy_cursor.h"
#include "ui/global.h"
#include "ui/screens.h"
#include "ui/search.h"
#include "users/users.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace simat::app {

namespace {

template <typename T> void declare(const QString &objectName)
{
    screens::declare(objectName, [] { return new T; });
}

QString declareDataModule()
{
    const QString name = QStringLiteral("DataModule1");
    declare<TDataModule1>(name);
    return name;
}

} // namespace

void createScreens()
{
    if (!screens::names().isEmpty())
        return;
    globals().AppWorkDir = platform::currentDirectory();
    // The data module first: it outlives every screen that holds its statements.
    showBusyCursorWhileWaiting(screens::object<TDataModule1>(declareDataModule())->Database1);
    declare<TStartupForm>(QStringLiteral("StartupForm"));
    declare<TLoginForm>(QStringLiteral("LoginForm"));
    declare<TMainForm>(QStringLiteral("MainForm"));
    declare<TSetupDataForm>(QStringLiteral("SetupDataForm"));
    declare<TSetupDataLevel2Form>(QStringLiteral("SetupDataLevel2Form"));
    declare<TSetupDataReportForm>(QStringLiteral("SetupDataReportForm"));
    declare<TSetupDataReportLevel2Form>(QStringLiteral("SetupDataReportLevel2Form"));
    declare<TSearchForm>(QStringLiteral("SearchForm"));
    declare<TBasicDataMainForm>(QStringLiteral("BasicDataMainForm"));
    declare<TStudentsForm>(QStringLiteral("StudentsForm"));
    declare<TStudentQueryForm>(QStringLiteral("StudentQueryForm"));
    declare<TUsersForm>(QStringLiteral("UsersForm"));
    declare<TMeasureDiagonsisForm>(QStringLiteral("MeasureDiagonsisForm"));
    declare<TMeasDiagReportForm>(QStringLiteral("MeasDiagReportForm"));
    declare<TCaseMeasuresListForm>(QStringLiteral("CaseMeasuresListForm"));
    declare<TMeasDiagSummaryReportForm>(QStringLiteral("MeasDiagSummaryReportForm"));
    declare<TInquiresReportsForm>(QStringLiteral("InquiresReportsForm"));
    declare<TIntervalForm>(QStringLiteral("IntervalForm"));
    declare<TAllCasesReport>(QStringLiteral("AllCasesReport"));
    declare<TCaseTestsCompareReport>(QStringLiteral("CaseTestsCompareReport"));
    declare<TCaseCourseReport>(QStringLiteral("CaseCourseReport"));
    declare<TAuditLogForm>(QStringLiteral("AuditLogForm"));
    declare<TRecordHistoryForm>(QStringLiteral("RecordHistoryForm"));
    declare<TAuditLogReport>(QStringLiteral("AuditLogReport"));
    declare<TStudentsReportForm>(QStringLiteral("StudentsReportForm"));
    declare<TSetupOptionsForm>(QStringLiteral("SetupOptionsForm"));
    declare<TChangePasswordForm>(QStringLiteral("ChangePasswordForm"));
    declare<TImportCasesForm>(QStringLiteral("ImportCasesForm"));
}

void destroyScreens()
{
    screens::destroyAll();
}

QString besideProgram(const QString &name)
{
    return QDir::cleanPath(QDir(QCoreApplication::applicationDirPath())
                               .filePath(QStringLiteral(SIMAT_DATA_FROM_PROGRAM "/") + name));
}

QString docsDirectory()
{
    const QString belowStart = QDir(globals().AppWorkDir).filePath(QStringLiteral("Docs"));
    for (const QString &candidate :
         {belowStart, besideProgram(QStringLiteral("Docs")), QStringLiteral(SIMAT_INSTALLED_DOCS)})
        if (QFileInfo(candidate).isDir())
            return candidate;
    return belowStart;
}

} // namespace simat::app
