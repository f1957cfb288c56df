#include "startup.h"

#include "data/dm.h"
#include "data/global.h"
#include "data/search.h"
#include "login.h"
#include "main_form.h"
#include "platform.h"
#include "reports/measure_diagonsis_report.h"
#include "reports/measure_diagonsis_summary_report.h"
#include "screen.h"
#include "startup_form.h"
#include "tests/case_measuers_list.h"
#include "tests/measure_diagonsis.h"

#include <QDir>

namespace simat::app {

namespace {

QList<QObject *> &created()
{
    static QList<QObject *> all;
    return all;
}

template <typename T> T *make()
{
    T *object = new T;
    created() << object;
    return object;
}

void plain(const char *objectName, const QString &caption = QString())
{
    created() << plainWindow(QLatin1String(objectName), caption);
}

} // namespace

QList<QObject *> createScreens()
{
    if (!created().isEmpty())
        return created();
    globals().AppWorkDir = platform::currentDirectory();
    make<TStartupForm>();
    make<TLoginForm>();
    make<TMainForm>();
    plain("SetupDataForm", QStringLiteral("تصنيف البيانات الأساسية"));
    plain("SetupDataLevel2Form", QStringLiteral("تعريف البيانات الأساسية"));
    make<TDataModule1>();
    plain("SetupDataReportForm");
    plain("SetupDataReportLevel2Form");
    make<TSearchForm>();
    plain("BasicDataMainForm", QStringLiteral("البيانات الأساسية"));
    plain("StudentsForm", QStringLiteral("بيانات الخاضعين للاختبار"));
    plain("StudentQueryForm", QStringLiteral("الاستعلام عن الخاضعين للاختبار"));
    plain("UsersForm", QStringLiteral("إدارة حسابات المستخدمين"));
    make<TMeasureDiagonsisForm>();
    make<TMeasDiagReportForm>();
    make<TCaseMeasuresListForm>();
    make<TMeasDiagSummaryReportForm>();
    plain("InquiresReportsForm", QStringLiteral("إستعلام وتقارير"));
    plain("TestsInquiresForm", QStringLiteral("الاستعلام عن الاختبارات"));
    plain("IntervalForm");
    plain("AllCasesReport");
    plain("CaseTestsCompareReport");
    plain("StudentsReportForm");
    plain("SetupOptionsForm");
    return created();
}

void destroyScreens()
{
    while (!created().isEmpty())
        delete created().takeLast();
}

QList<QObject *> screens()
{
    return created();
}

QObject *object(const QString &objectName)
{
    for (QObject *made : created()) {
        if (made->objectName() == objectName)
            return made;
    }
    return nullptr;
}

QWidget *screen(const QString &objectName)
{
    return qobject_cast<QWidget *>(object(objectName));
}

void showScreen(const QString &objectName)
{
    QWidget *window = screen(objectName);
    if (!window)
        return;
    if (auto *screen = qobject_cast<TScreen *>(window)) {
        screen->showScreen();
        return;
    }
    if (window->isVisible()) {
        window->raise();
        window->activateWindow();
    } else {
        window->show();
    }
}

void sessionUserChanged()
{
    for (QObject *object : created()) {
        auto *screen = qobject_cast<TScreen *>(object);
        if (screen && screen->isVisible())
            screen->applyUserLevel();
    }
}

QString docsDirectory()
{
    return QDir(globals().AppWorkDir).filePath(QStringLiteral("Docs"));
}

} // namespace simat::app
