#include "inquires_reports.h"

#include "reports/case_tests_compare_report.h"
#include "ui/action.h"
#include "ui/global.h"
#include "ui/screens.h"
#include "ui/search.h"
#include "ui_inquires_reports.h"

#include <QStyle>

namespace simat {

TInquiresReportsForm::TInquiresReportsForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::InquiresReportsForm>())
{
    ui->setupUi(this);
    setFixedSize(size());
    setBackgroundPicture(QStringLiteral("main_background.jpg"));
    const QIcon inquiry = style()->standardIcon(QStyle::SP_FileDialogContentsView);
    using F = TInquiresReportsForm;
    const QList<std::pair<QToolButton *, void (F::*)()>> buttons = {
        {ui->spStudentsQuery, &F::spStudentsQueryClick},
        {ui->spInfoSourceQuery, &F::spInfoSourceQueryClick},
        {ui->spTestersQuery, &F::spTestersQueryClick},
        {ui->spStudentTestQuery, &F::spStudentTestQueryClick},
        {ui->spStudentTestsMonitoring, &F::spStudentTestsMonitoringClick},
        {ui->spAllStudentsTests, &F::spAllStudentsTestsClick}};
    for (const auto &[button, action] : buttons) {
        button->setIcon(inquiry);
        connect(button, &QToolButton::clicked, this, guarded(this, action));
    }
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(ui->spExit, &QToolButton::clicked, this, guarded(this, &F::spExitClick));
    installFunctionKeys();
}

TInquiresReportsForm::~TInquiresReportsForm() = default;

void TInquiresReportsForm::spStudentsQueryClick()
{
    screens::show(QStringLiteral("StudentsForm"));
    screens::press(QStringLiteral("StudentsForm"), "spSudentFormSearch");
}

void TInquiresReportsForm::searchLookupTable(const char *tableButton)
{
    const QString screen = QStringLiteral("SetupDataLevel2Form");
    screens::show(screen);
    screens::press(screen, tableButton);
    // The user kept unsaved changes of the screen instead of changing its table.
    if (screens::find<TScreen>(screen)->hasUnsavedChanges())
        return;
    screens::press(screen, "spSearch");
}

void TInquiresReportsForm::spInfoSourceQueryClick()
{
    searchLookupTable("SP_info_source");
}

void TInquiresReportsForm::spTestersQueryClick()
{
    searchLookupTable("SP_testers");
}

void TInquiresReportsForm::spStudentTestQueryClick()
{
    screens::show(QStringLiteral("MeasureDiagonsisForm"));
    screens::press(QStringLiteral("MeasureDiagonsisForm"), "spFindStudent");
}

void TInquiresReportsForm::spStudentTestsMonitoringClick()
{
    TSearchForm::pick(TCaseTestsCompareReport::caseProgressPick(ui->spStudentTestsMonitoring));
}

void TInquiresReportsForm::spAllStudentsTestsClick()
{
    globals().lookup.LookupButton = ui->spAllStudentsTests;
    screens::show(QStringLiteral("IntervalForm"));
}

void TInquiresReportsForm::spExitClick()
{
    close();
}

} // namespace simat
