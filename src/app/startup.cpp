#include "startup.h"

#include "basic_data/audit_log_form.h"
#include "basic_data/basic_data_main.h"
#include "basic_data/setup_data.h"
#include "basic_data/setup_data_level_2.h"
#include "basic_data/setup_data_report.h"
#include "basic_data/setup_data_report_level2.h"
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

template <typename T> T *make()
{
    T *object = new T;
    screens::add(object);
    return object;
}

} // namespace

QList<QObject *> createScreens()
{
    if (!screens::all().isEmpty())
        return screens::all();
    globals().AppWorkDir = platform::currentDirectory();
    make<TStartupForm>();
    make<TLoginForm>();
    make<TMainForm>();
    make<TSetupDataForm>();
    make<TSetupDataLevel2Form>();
    showBusyCursorWhileWaiting(make<TDataModule1>()->Database1);
    make<TSetupDataReportForm>();
    make<TSetupDataReportLevel2Form>();
    make<TSearchForm>();
    make<TBasicDataMainForm>();
    make<TStudentsForm>();
    make<TStudentQueryForm>();
    make<TUsersForm>();
    make<TMeasureDiagonsisForm>();
    make<TMeasDiagReportForm>();
    make<TCaseMeasuresListForm>();
    make<TMeasDiagSummaryReportForm>();
    make<TInquiresReportsForm>();
    make<TIntervalForm>();
    make<TAllCasesReport>();
    make<TCaseTestsCompareReport>();
    make<TCaseCourseReport>();
    make<TAuditLogForm>();
    make<TRecordHistoryForm>();
    make<TAuditLogReport>();
    make<TStudentsReportForm>();
    make<TSetupOptionsForm>();
    make<TChangePasswordForm>();
    return screens::all();
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
