#include "setup_data_level_2.h"

#include "core/bidi.h"
#include "core/error.h"
#include "core/numbers.h"
#include "core/permissions.h"
#include "data/dm.h"
#include "lookup_tables.h"
#include "ui/action.h"
#include "ui/global.h"
#include "ui/grid_model.h"
#include "ui/messages.h"
#include "ui/search.h"
#include "ui_setup_data_level_2.h"

#include <QStyle>

namespace simat {

namespace {

const QString noParentTitle = QStringLiteral("التصنيف");

TDataModule1 *dm()
{
    return TDataModule1::instance();
}

} // namespace

TSetupDataLevel2Form::TSetupDataLevel2Form(QWidget *parent)
    : TLookupTableScreen({2,
                          "SetupDataLevel2TablesList",
                          "SetupDataReportLevel2Form",
                          "لاتوجد بيانات للإلغاء",
                          {{"SP_info_source", "info_source"}, {"SP_testers", "tester"}},
                          permissions::mayKeepLookups},
                         parent)
    , ui(std::make_unique<Ui::SetupDataLevel2Form>())
{
    ui->setupUi(this);
    ui->SPfind_parent_table->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    using F = TSetupDataLevel2Form;
    const QList<std::pair<QAbstractButton *, void (F::*)()>> buttons = {
        {ui->SP_info_source, &F::SP_info_sourceClick},
        {ui->SP_testers, &F::SP_testersClick},
        {ui->SPfind_parent_table, &F::SPfind_parent_tableClick}};
    for (const auto &[button, action] : buttons)
        connect(button, &QAbstractButton::clicked, this, guarded(this, action));
    takeControls();
}

TSetupDataLevel2Form::~TSetupDataLevel2Form() = default;

QStringList TSetupDataLevel2Form::entries() const
{
    return TLookupTableScreen::entries() << ui->Eparent_code->text();
}

Statement *TSetupDataLevel2Form::rows() const
{
    return dm()->ResultQueryLevel2;
}

void TSetupDataLevel2Form::bindRowsGrid()
{
    bindRowsGrid(noParentTitle);
}

// The first column of the list is titled after the parent table.
void TSetupDataLevel2Form::bindRowsGrid(const QString &parentTitle)
{
    QAbstractItemModel *old = ui->DBGresult->model();
    if (old && old->headerData(0, Qt::Horizontal).toString() == parentTitle)
        return;
    bindGrid(ui->DBGresult, rows(),
             {{QStringLiteral("parent_name"), parentTitle, 220},
              {QStringLiteral("code"), QStringLiteral("كود"), 90},
              {QStringLiteral("name"), QStringLiteral("وصف"), 320}});
    if (old)
        old->deleteLater();
}

void TSetupDataLevel2Form::clearToNoTable()
{
    ParentTable.clear();
    globals().lookup.LookupParentTable.clear();
    ui->Lparent_desc->setText(noParentTitle);
    bindRowsGrid(noParentTitle);
    ui->Eparent_code->clear();
    ui->Eparent_desc->clear();
    TLookupTableScreen::clearToNoTable();
}

void TSetupDataLevel2Form::showNoRows()
{
    rows()->setLine(19, QStringLiteral("and 1=2"));
    rows()->open();
}

void TSetupDataLevel2Form::SP_info_sourceClick()
{
    chooseTableAnew(QStringLiteral("info_source"));
}

void TSetupDataLevel2Form::SP_testersClick()
{
    chooseTableAnew(QStringLiteral("tester"));
}

void TSetupDataLevel2Form::chooseRegistryRow(Statement *registry)
{
    const QString parentTableId = registry->textValue(QStringLiteral("parent_table_id"));
    Statement *parent = dm()->GetSysTableDataQuery;
    parent->setParam(QStringLiteral("table_id"), parentTableId);
    parent->open();
    if (parent->isEmpty())
        throw Error(QStringLiteral("سجل الجداول لا يذكر الجدول الرئيسى \"%1\" للجدول \"%2\"")
                        .arg(isolated(parentTableId), isolated(CurrentTableName)));
    ParentTable = parent->textValue(QStringLiteral("table_name"));
    ParentTableDesc = parent->textValue(QStringLiteral("table_desc"));
    ParentTableLevel = parent->intValue(QStringLiteral("table_level"));
    parent->close();
    globals().lookup.LookupParentTable = ParentTable;
    ui->Lparent_desc->setText(ParentTableDesc);
    bindRowsGrid(ParentTableDesc);
}

void TSetupDataLevel2Form::discoverColumns(const QString &table)
{
    const QStringList columns = basic_data::columnsOfTable(table);
    if (columns.size() < 3)
        throw Error(QStringLiteral("الجدول \"%1\" ليس له عمود للتصنيف وعمود للكود وعمود للوصف")
                        .arg(isolated(table)));
    ParentCodeColumn = basic_data::registeredName(columns.at(0));
    CodeColumn = basic_data::registeredName(columns.at(1));
    NameColumn = basic_data::registeredName(columns.at(2));
    discoverParentNameColumn();
    LookupState &lookup = globals().lookup;
    lookup.LookupParentCodeColumn = ParentCodeColumn;
    lookup.LookupParentNameColumn = ParentNameColumn;
}

void TSetupDataLevel2Form::discoverParentNameColumn()
{
    const QString parent = basic_data::registeredName(ParentTable);
    const QStringList columns = basic_data::columnsOfTable(parent);
    const int nameAt = ParentTableLevel == 1 ? 1 : 2;
    if (columns.size() <= nameAt)
        throw Error(QStringLiteral("الجدول \"%1\" ليس له عمود للوصف").arg(isolated(parent)));
    ParentNameColumn = basic_data::registeredName(columns.at(nameAt));
}

void TSetupDataLevel2Form::showTableRows()
{
    const QString a = QStringLiteral("a.");
    rows()->setLine(1, a + CodeColumn);
    rows()->setLine(3, a + NameColumn);
    rows()->setLine(5, QStringLiteral("b.") + ParentNameColumn);
    rows()->setLine(8, QStringLiteral("a.is_active"));
    rows()->setLine(11, basic_data::registeredName(CurrentTableName));
    rows()->setLine(13, basic_data::registeredName(ParentTable));
    rows()->setLine(16, a + ParentCodeColumn);
    rows()->setLine(18, QStringLiteral("b.") + ParentCodeColumn);
    rows()->setLine(19, QString());
    rows()->open();
}

void TSetupDataLevel2Form::showChosenRow(Statement *chosen)
{
    ui->Eparent_code->setText(QString::number(chosen->intValue(ParentCodeColumn)));
    ui->Eparent_desc->setText(chosen->textValue(QStringLiteral("parent_name")));
}

// ---------------------------------------------------------------- the parent row

void TSetupDataLevel2Form::SPfind_parent_tableClick()
{
    if (ParentTable.isEmpty()) {
        messages::info(
            QStringLiteral("اختار مجموعة للتعامل معها - مصادر المعلومات أو القائمين بالاختبار"),
            this);
        return;
    }
    Statement *parentRows = dm()->EmptyQuery;
    parentRows->setLines(
        {QStringLiteral("select * from ") + basic_data::registeredName(ParentTable)});
    parentRows->open();
    const bool empty = parentRows->isEmpty();
    parentRows->close();
    if (empty) {
        messages::info(QStringLiteral("لاتوجد بيانات مُعرفة لـ ") + ParentTableDesc +
                           QStringLiteral(" ") + QStringLiteral("برجاء تعريف بيانات") +
                           QStringLiteral(" ") + ParentTableDesc + QStringLiteral(" ") +
                           QStringLiteral("حتى يٌمكنك تعريف بيانات") + QStringLiteral(" ") +
                           CurrentTableDesc,
                       this);
        return;
    }
    TSearchForm::pick({ParentTable, ParentCodeColumn, ParentNameColumn, ui->SPfind_parent_table,
                       [this](const QString &code, const QString &name) {
                           ui->Eparent_code->setText(code);
                           ui->Eparent_desc->setText(name);
                           return AfterChoice::Close;
                       }});
}

// ---------------------------------------------------------------- save

bool TSetupDataLevel2Form::entriesAreComplete()
{
    if (!ui->Eparent_code->text().trimmed().isEmpty())
        return true;
    messages::info(QStringLiteral("برجاء اختيار مجموعة ") + ui->Lparent_desc->text() +
                       QStringLiteral(" ") + QStringLiteral("لـ") + QStringLiteral(" ") +
                       ui->GBobj_list->title() + QStringLiteral(" ") +
                       QStringLiteral("قبل الضغط على مفتاح الحفظ"),
                   this);
    return false;
}

// The parent is picked anew for the next row.
void TSetupDataLevel2Form::clearAfterInsert()
{
    TLookupTableScreen::clearAfterInsert();
    ui->Eparent_code->clear();
    ui->Eparent_desc->clear();
}

QStringList TSetupDataLevel2Form::keyColumns() const
{
    return {ParentCodeColumn, CodeColumn};
}

Statement *TSetupDataLevel2Form::insertStatement() const
{
    return dm()->SetupDataInsertLevel2Query;
}

void TSetupDataLevel2Form::updateRow()
{
    Statement *update = dm()->SetupDataUpdateLevel2Query;
    update->setLine(1, basic_data::registeredName(CurrentTableName));
    update->setLine(3, ParentCodeColumn + QStringLiteral("=:parent_code,"));
    update->setLine(4, NameColumn + QStringLiteral("=:name,"));
    update->setLine(10, CodeColumn + QStringLiteral("=:code"));
    bindRowValues(update);
    update->setParam(QStringLiteral("e_type"), 2);
    checkUpdated(update->exec());
}

void TSetupDataLevel2Form::bindMoreValues(Statement *statement)
{
    statement->setParam(QStringLiteral("parent_code"),
                        wholeNumber(ui->Eparent_code->text(), ui->Lparent_desc->text()));
}

} // namespace simat
