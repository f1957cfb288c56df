#include "interval.h"

#include "reports/all_cases_report.h"
#include "ui/action.h"
#include "ui/screens.h"
#include "ui_interval.h"

#include <QStyle>

namespace simat {

TIntervalForm::TIntervalForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::IntervalForm>())
{
    ui->setupUi(this);
    ui->spRun->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(ui->spRun, &QToolButton::clicked, this, guarded(this, &TIntervalForm::spRunClick));
    connect(ui->spExit, &QToolButton::clicked, this, guarded(this, &TIntervalForm::spExitClick));
    installFunctionKeys();
}

TIntervalForm::~TIntervalForm() = default;

bool TIntervalForm::openedForAllCases() const
{
    return screens::lookupButtonIs(QStringLiteral("InquiresReportsForm"), "spAllStudentsTests");
}

void TIntervalForm::FormShow()
{
    ui->DTfrom->setDate(QDate::currentDate());
    ui->DTto->setDate(QDate::currentDate());
    if (openedForAllCases())
        ui->STtitle->setText(
            screens::button(QStringLiteral("InquiresReportsForm"), "spAllStudentsTests")->text());
    ui->DTfrom->setFocus();
}

void TIntervalForm::spRunClick()
{
    if (openedForAllCases())
        screens::object<TAllCasesReport>(QStringLiteral("AllCasesReport"))
            ->run(ui->DTfrom->date(), ui->DTto->date(), this);
}

void TIntervalForm::spExitClick()
{
    close();
}

} // namespace simat
