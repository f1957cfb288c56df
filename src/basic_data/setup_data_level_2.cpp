#include "setup_data_level_2.h"
#include "setup_data_report.h"

#include "core/error.h"
#include "core/numbers.h"
#include "data/dm.h"
#include "lookup_tables.h"
#include "ui/action.h"
#include "ui/global.h"
#include "ui/grid_model.h"
#include "ui/messages.h"
#include "ui/screens.h"
#include "ui/search.h"
#include "ui_setup_data_level_2.h"

#include <QDate>
#include <QScopeGuard>
#include <QStyle>

namespace simat {

namespace {

const QString noTableTitle = QStringLiteral("تعريف بيانات");
const QString noParentTitle = QStringLiteral("التصنيف");
const QString tablesHint = QStringLiteral(
    "إضغط ضغطاً مزدوجاً على زر الفأرة الأيسر أو إضغط مفتاح الإدخال من لوحة المفاتيح لاختيار "
    "جدول لتعريف بياناته");

TDataModule1 *dm()
{
    return TDataModule1::instance();
}

} // namespace

TSetupDataLevel2Form::TSetupDataLevel2Form(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::SetupDataLevel2Form>())
{
    ui->setupUi(this);
    ui->DBtbl_list->setVisible(false);
    basic_data::setActionIcons(this);
    ui->SPfind_parent_table->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    using F = TSetupDataLevel2Form;
    const QList<std::pair<QAbstractButton *, void (F::*)()>> buttons = {
        {ui->spNew, &F::spNewClick},
        {ui->spSave, &F::spSaveClick},
        {ui->spDelete, &F::spDeleteClick},
        {ui->spSearch, &F::spSearchClick},
        {ui->spPrint, &F::spPrintClick},
        {ui->spExit, &F::spExitClick},
        {ui->SP_info_source, &F::SP_info_sourceClick},
        {ui->SP_testers, &F::SP_testersClick},
        {ui->SPfind_parent_table, &F::SPfind_parent_tableClick}};
    for (const auto &[button, action] : buttons)
        connect(button, &QAbstractButton::clicked, this, guarded(this, action));
    connect(ui->DBtbl_list, &QAbstractItemView::doubleClicked, this,
            guarded(this, &F::DBtbl_listDblClick));
    connect(ui->DBGresult, &QAbstractItemView::doubleClicked, this,
            guarded(this, &F::DBGresultDblClick));
    chooseOnEnter(ui->DBtbl_list, [this] { runAction(this, [this] { DBtbl_listDblClick(); }); });
    installFunctionKeys();
}

TSetupDataLevel2Form::~TSetupDataLevel2Form() = default;

// The screen comes before the data module at start-up; it binds its grids when first shown.
void TSetupDataLevel2Form::bindToData()
{
    if (sys_tables_list)
        return;
    sys_tables_list = basic_data::makeRegistryView(QStringLiteral("SetupDataLevel2TablesList"), 2);
    basic_data::bindRegistryGrid(ui->DBtbl_list, sys_tables_list, tablesHint);
    bindRowsGrid(noParentTitle);
}

// The first column of the list is titled after the parent table.
void TSetupDataLevel2Form::bindRowsGrid(const QString &parentTitle)
{
    QAbstractItemModel *old = ui->DBGresult->model();
    if (old && old->headerData(0, Qt::Horizontal).toString() == parentTitle)
        return;
    bindGrid(ui->DBGresult, dm()->ResultQueryLevel2,
             {{QStringLiteral("parent_name"), parentTitle, 220},
              {QStringLiteral("code"), QStringLiteral("كود"), 90},
              {QStringLiteral("name"), QStringLiteral("وصف"), 320}});
    if (old)
        old->deleteLater();
}

void TSetupDataLevel2Form::FormShow()
{
    bindToData();
    applyUserLevel();
    spNewClick();
}

void TSetupDataLevel2Form::applyUserLevel()
{
    ui->spDelete->setVisible(globals().session.SessionUserLevel <= 1);
}

// ---------------------------------------------------------------- choosing a table

void TSetupDataLevel2Form::spNewClick()
{
    clearToNoTable();
    if (basic_data::openedByMenuButton("SP_info_source"))
        chooseTable(QStringLiteral("info_source"));
    else if (basic_data::openedByMenuButton("SP_testers"))
        chooseTable(QStringLiteral("tester"));
    globals().lookup.LookupButton = nullptr;
}

void TSetupDataLevel2Form::clearToNoTable()
{
    EditMode = false;
    TableChosen = false;
    ParentTable.clear();
    globals().lookup.LookupParentTable.clear();
    ui->STtitle->setText(noTableTitle);
    ui->GBobj_list->setTitle(QString());
    ui->Lparent_desc->setText(noParentTitle);
    bindRowsGrid(noParentTitle);
    for (QLineEdit *box : {ui->Ecode, ui->Edesc, ui->Eparent_code, ui->Eparent_desc})
        box->clear();
    ui->CHKstop->setChecked(false);
    Statement *rows = dm()->ResultQueryLevel2;
    rows->setLine(19, QStringLiteral("and 1=2"));
    rows->open();
    sys_tables_list->open();
}

void TSetupDataLevel2Form::SP_info_sourceClick()
{
    globals().lookup.LookupButton = nullptr;
    clearToNoTable();
    chooseTable(QStringLiteral("info_source"));
}

void TSetupDataLevel2Form::SP_testersClick()
{
    globals().lookup.LookupButton = nullptr;
    clearToNoTable();
    chooseTable(QStringLiteral("tester"));
}

void TSetupDataLevel2Form::chooseTable(const QString &tableName)
{
    if (basic_data::locateRow(ui->DBtbl_list, sys_tables_list, QStringLiteral("table_name"),
                              tableName))
        DBtbl_listDblClick();
}

void TSetupDataLevel2Form::DBtbl_listDblClick()
{
    const QModelIndex current = ui->DBtbl_list->currentIndex();
    if (!current.isValid() || !sys_tables_list->seek(current.row()))
        return;
    CurrentTableName = sys_tables_list->textValue(QStringLiteral("table_name"));
    CurrentTableLevel = sys_tables_list->intValue(QStringLiteral("table_level"));
    CurrentTableDesc = sys_tables_list->textValue(QStringLiteral("table_desc"));
    findParentTable(sys_tables_list->textValue(QStringLiteral("parent_table_id")));
    if (!Saving)
        EditMode = false;
    discoverColumns();
    ui->Edesc->setFocus();
}

void TSetupDataLevel2Form::findParentTable(const QString &parentTableId)
{
    Statement *parent = dm()->GetSysTableDataQuery;
    parent->setParam(QStringLiteral("table_id"), parentTableId);
    parent->open();
    if (parent->isEmpty())
        throw Error(QStringLiteral("سجل الجداول لا يذكر الجدول الرئيسى \"%1\" للجدول \"%2\"")
                        .arg(parentTableId, CurrentTableName));
    ParentTable = parent->textValue(QStringLiteral("table_name"));
    ParentTableDesc = parent->textValue(QStringLiteral("table_desc"));
    ParentTableLevel = parent->intValue(QStringLiteral("table_level"));
    parent->close();
    globals().lookup.LookupParentTable = ParentTable;
    ui->Lparent_desc->setText(ParentTableDesc);
    bindRowsGrid(ParentTableDesc);
}

void TSetupDataLevel2Form::discoverColumns()
{
    TableChosen = false;
    ui->STtitle->setText(CurrentTableDesc);
    ui->GBobj_list->setTitle(CurrentTableDesc);
    if (!EditMode && !Saving && !PendingDelete) {
        ui->Edesc->clear();
        ui->CHKstop->setChecked(false);
    }
    const QString table = basic_data::registeredName(CurrentTableName);
    const QStringList columns = basic_data::columnsOfTable(table);
    if (columns.size() < 3)
        throw Error(
            QStringLiteral("الجدول \"%1\" ليس له عمود للتصنيف وعمود للكود وعمود للوصف").arg(table));
    ParentCodeColumn = basic_data::registeredName(columns.at(0));
    CodeColumn = basic_data::registeredName(columns.at(1));
    NameColumn = basic_data::registeredName(columns.at(2));
    discoverParentNameColumn();
    LookupState &lookup = globals().lookup;
    lookup.LookupParentCodeColumn = ParentCodeColumn;
    lookup.LookupParentNameColumn = ParentNameColumn;
    showTableRows();
    // Over the whole table: rows whose parent is gone are not listed but keep their codes.
    NextCode = dm()->nextSerial(CodeColumn, table);
    // A row whose update failed keeps its own code on screen.
    if (!PendingDelete && !EditMode)
        ui->Ecode->setText(QString::number(NextCode));
    TableChosen = true;
}

void TSetupDataLevel2Form::discoverParentNameColumn()
{
    const QString parent = basic_data::registeredName(ParentTable);
    const QStringList columns = basic_data::columnsOfTable(parent);
    const int nameAt = ParentTableLevel == 1 ? 1 : 2;
    if (columns.size() <= nameAt)
        throw Error(QStringLiteral("الجدول \"%1\" ليس له عمود للوصف").arg(parent));
    ParentNameColumn = basic_data::registeredName(columns.at(nameAt));
}

void TSetupDataLevel2Form::showTableRows()
{
    Statement *rows = dm()->ResultQueryLevel2;
    const QString a = QStringLiteral("a.");
    rows->setLine(1, a + CodeColumn);
    rows->setLine(3, a + NameColumn);
    rows->setLine(5, QStringLiteral("b.") + ParentNameColumn);
    rows->setLine(8, QStringLiteral("a.is_active"));
    rows->setLine(11, basic_data::registeredName(CurrentTableName));
    rows->setLine(13, basic_data::registeredName(ParentTable));
    rows->setLine(16, a + ParentCodeColumn);
    rows->setLine(18, QStringLiteral("b.") + ParentCodeColumn);
    rows->setLine(19, QString());
    rows->open();
}

void TSetupDataLevel2Form::DBGresultDblClick()
{
    const QModelIndex current = ui->DBGresult->currentIndex();
    Statement *rows = dm()->ResultQueryLevel2;
    if (!current.isValid() || !rows->seek(current.row()))
        return;
    EditMode = true;
    ui->Ecode->setText(QString::number(rows->intValue(QStringLiteral("code"))));
    ui->Edesc->setText(rows->textValue(QStringLiteral("name")));
    ui->CHKstop->setChecked(rows->textValue(QStringLiteral("status")) == QLatin1String("0"));
    ui->Eparent_code->setText(QString::number(rows->intValue(ParentCodeColumn)));
    ui->Eparent_desc->setText(rows->textValue(QStringLiteral("parent_name")));
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

void TSetupDataLevel2Form::spSaveClick()
{
    if (entriesAreComplete())
        saveRow();
}

bool TSetupDataLevel2Form::entriesAreComplete()
{
    const QString title = ui->GBobj_list->title();
    if (ui->Eparent_code->text().trimmed().isEmpty()) {
        messages::info(QStringLiteral("برجاء اختيار مجموعة ") + ui->Lparent_desc->text() +
                           QStringLiteral(" ") + QStringLiteral("لـ") + QStringLiteral(" ") +
                           title + QStringLiteral(" ") +
                           QStringLiteral("قبل الضغط على مفتاح الحفظ"),
                       this);
        return false;
    }
    return basic_data::codeAndDescriptionAreGiven(ui->Ecode, ui->Edesc, title, this);
}

void TSetupDataLevel2Form::saveRow()
{
    const bool inserting = !EditMode;
    Saving = inserting;
    const auto saved = qScopeGuard([this] { Saving = false; });
    Database &database = dm()->Database1;
    if (database.inTransaction([&] { inserting ? insertRow() : updateRow(); })) {
        // The parent is picked anew for the next row.
        if (inserting)
            for (QLineEdit *box : {ui->Edesc, ui->Eparent_code, ui->Eparent_desc})
                box->clear();
    } else {
        // What was typed stays on the screen to be saved again.
        Saving = true;
        messages::error(QStringLiteral("خطأ أثناء الحفظ"), database.lastFailure(), this);
    }
    DBtbl_listDblClick();
}

// The code is numbered in the transaction that inserts the row: no other workstation takes
// the same code meanwhile.
void TSetupDataLevel2Form::insertRow()
{
    const QString table = basic_data::registeredName(CurrentTableName);
    NextCode = dm()->nextSerial(CodeColumn, table);
    ui->Ecode->setText(QString::number(NextCode));
    Statement *insert = dm()->SetupDataInsertLevel2Query;
    const QString comma = QStringLiteral(",");
    insert->setLine(1, table + QStringLiteral("(") + ParentCodeColumn + comma + CodeColumn + comma +
                           NameColumn + comma +
                           QStringLiteral("trans_date,entry_date,entry_type,is_active,who_insert,"
                                          "who_update)"));
    bindRowValues(insert);
    insert->setParam(QStringLiteral("e_date"), QDate::currentDate());
    insert->setParam(QStringLiteral("e_type"), 1);
    insert->setParam(QStringLiteral("wi"), globals().session.SessionUserCode);
    insert->exec();
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
    if (update->exec() != 1)
        throw Error(QStringLiteral("لم يعد السجل %1 موجوداً").arg(ui->Ecode->text()));
}

void TSetupDataLevel2Form::bindRowValues(Statement *statement)
{
    statement->setParam(QStringLiteral("parent_code"),
                        wholeNumber(ui->Eparent_code->text(), ui->Lparent_desc->text()));
    statement->setParam(QStringLiteral("code"),
                        wholeNumber(ui->Ecode->text(), QStringLiteral("الكود")));
    statement->setParam(QStringLiteral("name"), ui->Edesc->text());
    statement->setParam(QStringLiteral("t_date"), QDate::currentDate());
    statement->setParam(QStringLiteral("is_active"), ui->CHKstop->isChecked() ? 0 : 1);
    statement->setParam(QStringLiteral("wu"), globals().session.SessionUserCode);
}

// ---------------------------------------------------------------- delete

void TSetupDataLevel2Form::spDeleteClick()
{
    if (ui->Ecode->text().trimmed().isEmpty()) {
        messages::info(QStringLiteral("لاتوجد بيانات للإلغاء"), this);
        return;
    }
    PendingDelete = true;
    const auto ended = qScopeGuard([this] { PendingDelete = false; });
    const int code = wholeNumber(ui->Ecode->text(), QStringLiteral("الكود"));
    if (!basic_data::deleteIfUnused(CurrentTableLevel, CurrentTableName, CodeColumn, code, this))
        return;
    PendingDelete = false;
    DBtbl_listDblClick();
}

// ---------------------------------------------------------------- search, print, close

void TSetupDataLevel2Form::spSearchClick()
{
    if (!TableChosen)
        return;
    globals().lookup.LookupTableName = CurrentTableName;
    TSearchForm::pick(
        {CurrentTableName, {}, {}, ui->spSearch, [this](const QString &code, const QString &name) {
             landOnSearchedRow(code, name);
             return AfterChoice::Close;
         }});
}

// The chosen row enters the entry fields with its parent, and the screen's own list moves to it.
void TSetupDataLevel2Form::landOnSearchedRow(const QString &code, const QString &name)
{
    ui->Edesc->setText(name);
    ui->Ecode->setText(code);
    if (basic_data::locateRow(ui->DBGresult, dm()->ResultQueryLevel2, QStringLiteral("code"), code))
        DBGresultDblClick();
}

void TSetupDataLevel2Form::spPrintClick()
{
    if (dm()->ResultQueryLevel2->isEmpty()) {
        messages::info(QStringLiteral("لاتوجد بيانات للطباعة"), this);
        return;
    }
    screens::object<TSetupDataReportForm>(QStringLiteral("SetupDataReportLevel2Form"))
        ->previewRows(dm()->ResultQueryLevel2, ui->STtitle->text(), this);
}

void TSetupDataLevel2Form::spExitClick()
{
    close();
}

} // namespace simat
