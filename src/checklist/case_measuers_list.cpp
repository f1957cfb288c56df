#include "case_measuers_list.h"

#include "core/numbers.h"
#include "data/dm.h"
#include "data/test_identity.h"
#include "measure_diagonsis.h"
#include "ui/action.h"
#include "ui/global.h"
#include "ui/grid_model.h"
#include "ui_case_measuers_list.h"

namespace simat {

TCaseMeasuresListForm::TCaseMeasuresListForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::CaseMeasuresListForm>())
{
    ui->setupUi(this);
    setWindowFlag(Qt::Tool);
    bindGrid(ui->DBGstud_meas_list, TDataModule1::instance()->FindStudTestHdrAllQuery,
             {{QStringLiteral("test_no"), QStringLiteral("رقم الاختبار"), 110},
              {QStringLiteral("test_date"), QStringLiteral("تاريخ الاختبار"), 140},
              {QStringLiteral("test_status"), QStringLiteral("الحالة"), 0}});
    ui->DBGstud_meas_list->setColumnHidden(2, true);
    ui->DBGstud_meas_list->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    chooseOnEnter(ui->DBGstud_meas_list, [this] { DBGstud_meas_listDblClick(); });
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(ui->DBGstud_meas_list, &QAbstractItemView::doubleClicked, this,
            guarded(this, &TCaseMeasuresListForm::DBGstud_meas_listDblClick));
    connect(ui->spExit, &QToolButton::clicked, this,
            guarded(this, &TCaseMeasuresListForm::spExitClick));
    installFunctionKeys();
}

TCaseMeasuresListForm::~TCaseMeasuresListForm() = default;

void TCaseMeasuresListForm::showCase(const QString &caseCode, const QString &caseName,
                                     const QDate &birthDate)
{
    ui->eStudentCode->setText(caseCode);
    ui->eStudentName->setText(caseName);
    ui->DTbirthDate->setDate(birthDate);
    ui->DBGstud_meas_list->selectRow(0);
    showScreen();
}

void TCaseMeasuresListForm::DBGstud_meas_listDblClick()
{
    Statement *tests = TDataModule1::instance()->FindStudTestHdrAllQuery;
    const QModelIndex current = ui->DBGstud_meas_list->currentIndex();
    if (!current.isValid() || !tests->seek(current.row()))
        return;
    const int caseCode = wholeNumber(ui->eStudentCode->text(), QStringLiteral("كود الحالة"));
    const int testNo = tests->intValue(QStringLiteral("test_no"));
    const QDate testDate = tests->dateValue(QStringLiteral("test_date"));
    Statement *chosen = TDataModule1::instance()->StudMeasQuery;
    bindTestIdentity(*chosen, {globals().CurrentBranchNo, testNo, testDate, caseCode});
    chosen->open();
    if (TMeasureDiagonsisForm::instance()->showTestFromList(caseCode, testNo, testDate))
        close();
}

void TCaseMeasuresListForm::spExitClick()
{
    close();
}

} // namespace simat
