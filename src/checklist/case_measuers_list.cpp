#include "case_measuers_list.h"

#include "core/numbers.h"
#include "data/dm.h"
#include "data/test_identity.h"
#include "measure_diagonsis.h"
#include "reports/case_tests_compare_report.h"
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
    ui->spCompare->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    connect(ui->spCompare, &QToolButton::clicked, this,
            guarded(this, &TCaseMeasuresListForm::spCompareClick));
    connect(ui->DBGstud_meas_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { ui->spCompare->setEnabled(markedRows().size() == 2); });
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

TestIdentity TCaseMeasuresListForm::testOfRow(int row) const
{
    Statement *tests = TDataModule1::instance()->FindStudTestHdrAllQuery;
    tests->seek(row);
    return {globals().CurrentBranchNo, tests->intValue(QStringLiteral("test_no")),
            tests->dateValue(QStringLiteral("test_date")),
            wholeNumber(ui->eStudentCode->text(), QStringLiteral("كود الحالة"))};
}

QList<int> TCaseMeasuresListForm::markedRows() const
{
    QList<int> rows;
    for (const QModelIndex &row : ui->DBGstud_meas_list->selectionModel()->selectedRows())
        rows << row.row();
    return rows;
}

void TCaseMeasuresListForm::DBGstud_meas_listDblClick()
{
    const QModelIndex current = ui->DBGstud_meas_list->currentIndex();
    if (!current.isValid() ||
        !TDataModule1::instance()->FindStudTestHdrAllQuery->seek(current.row()))
        return;
    const TestIdentity test = testOfRow(current.row());
    Statement *chosen = TDataModule1::instance()->StudMeasQuery;
    bindTestIdentity(*chosen, test);
    chosen->open();
    if (TMeasureDiagonsisForm::instance()->showTestFromList(test))
        close();
}

void TCaseMeasuresListForm::spCompareClick()
{
    const QList<int> rows = markedRows();
    if (rows.size() != 2)
        return;
    TCaseTestsCompareReport *report = TCaseTestsCompareReport::instance();
    report->compareTests(testOfRow(rows.at(0)), testOfRow(rows.at(1)));
    report->preview(this);
}

void TCaseMeasuresListForm::spExitClick()
{
    close();
}

} // namespace simat
