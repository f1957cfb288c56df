#include "setup_data.h"

#include "core/bidi.h"
#include "core/error.h"
#include "core/permissions.h"
#include "data/dm.h"
#include "lookup_tables.h"
#include "ui/action.h"
#include "ui/grid_model.h"
#include "ui_setup_data.h"

namespace simat {

namespace {

TDataModule1 *dm()
{
    return TDataModule1::instance();
}

} // namespace

TSetupDataForm::TSetupDataForm(QWidget *parent)
    : TLookupTableScreen(
          {1,
           "SetupDataTablesList",
           "SetupDataReportForm",
           "من فضلك إختار سجل",
           {{"SP_class_info_source", "info_source_class"}, {"SP_class_testers", "tester_class"}},
           permissions::mayKeepClassifications},
          parent)
    , ui(std::make_unique<Ui::SetupDataForm>())
{
    ui->setupUi(this);
    connect(ui->SP_class_info_source, &QToolButton::clicked, this,
            guarded(this, &TSetupDataForm::SP_class_info_sourceClick));
    connect(ui->SP_class_testers, &QToolButton::clicked, this,
            guarded(this, &TSetupDataForm::SP_class_testersClick));
    takeControls();
}

TSetupDataForm::~TSetupDataForm() = default;

void TSetupDataForm::SP_class_info_sourceClick()
{
    chooseTableAnew(QStringLiteral("info_source_class"));
}

void TSetupDataForm::SP_class_testersClick()
{
    chooseTableAnew(QStringLiteral("tester_class"));
}

Statement *TSetupDataForm::rows() const
{
    return dm()->BasicDataResultQuery;
}

void TSetupDataForm::bindRowsGrid()
{
    bindGrid(ui->DBGresult, rows(),
             {{QStringLiteral("code"), QStringLiteral("كود"), 90},
              {QStringLiteral("name"), QStringLiteral("وصف"), 400}});
}

void TSetupDataForm::showNoRows()
{
    rows()->setLine(7, QString());
    rows()->setLine(8, QString());
    rows()->setLine(11, QStringLiteral("where 1=2"));
    rows()->open();
}

void TSetupDataForm::discoverColumns(const QString &table)
{
    const QStringList columns = basic_data::columnsOfTable(table);
    if (columns.size() < 2)
        throw Error(
            QStringLiteral("الجدول \"%1\" ليس له عمود للكود وعمود للوصف").arg(isolated(table)));
    CodeColumn = basic_data::registeredName(columns.at(0));
    NameColumn = basic_data::registeredName(columns.at(1));
}

void TSetupDataForm::showTableRows()
{
    rows()->setLine(1, CodeColumn);
    rows()->setLine(3, NameColumn);
    rows()->setLine(5, QStringLiteral("is_active"));
    rows()->setLine(7, QString());
    rows()->setLine(8, QString());
    rows()->setLine(10, CurrentTableName);
    rows()->setLine(11, QString());
    rows()->open();
}

QStringList TSetupDataForm::keyColumns() const
{
    return {CodeColumn};
}

Statement *TSetupDataForm::insertStatement() const
{
    return dm()->SetupDataInsertQuery;
}

void TSetupDataForm::updateRow()
{
    Statement *update = dm()->SetupDataUpdateQuery;
    update->setLine(1, basic_data::registeredName(CurrentTableName));
    update->setLine(3, NameColumn + QStringLiteral("=:name,"));
    update->setLine(9, CodeColumn + QStringLiteral("=:code"));
    bindRowValues(update);
    update->setParam(QStringLiteral("e_type"), 2);
    checkUpdated(update->exec());
}

} // namespace simat
