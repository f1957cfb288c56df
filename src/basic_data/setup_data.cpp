#include "setup_data.h"

#include "core/error.h"
#include "core/numbers.h"
#include "data/dm.h"
#include "lookup_tables.h"
#include "setup_data_report.h"
#include "ui/action.h"
#include "ui/global.h"
#include "ui/grid_model.h"
#include "ui/messages.h"
#include "ui/screens.h"
#include "ui/search.h"
#include "ui_setup_data.h"

#include <QDate>
#include <QScopeGuard>
#include <QStyle>

namespace simat {

namespace {

const QString noTableTitle = QStringLiteral("تعريف بيانات");
const QString tablesHint = QStringLiteral(
    "إضغط ضغطاً مزدوجاً على زر الفأرة الأيسر أو إضغط مفتاح الإدخال من لوحة المفاتيح لاختيار "
    "جدول لتعريف بياناته");

TDataModule1 *dm()
{
    return TDataModule1::instance();
}

} // namespace

TSetupDataForm::TSetupDataForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::SetupDataForm>())
{
    ui->setupUi(this);
    ui->DBtbl_list->setVisible(false);
    basic_data::setActionIcons(this);
    connect(ui->spNew, &QToolButton::clicked, this, guarded(this, &TSetupDataForm::spNewClick));
    connect(ui->spSave, &QToolButton::clicked, this, guarded(this, &TSetupDataForm::spSaveClick));
    connect(ui->spDelete, &QToolButton::clicked, this,
            guarded(this, &TSetupDataForm::spDeleteClick));
    connect(ui->spSearch, &QToolButton::clicked, this,
            guarded(this, &TSetupDataForm::spSearchClick));
    connect(ui->spPrint, &QToolButton::clicked, this, guarded(this, &TSetupDataForm::spPrintClick));
    connect(ui->spExit, &QToolButton::clicked, this, guarded(this, &TSetupDataForm::spExitClick));
    connect(ui->SP_class_info_source, &QToolButton::clicked, this,
            guarded(this, &TSetupDataForm::SP_class_info_sourceClick));
    connect(ui->SP_class_testers, &QToolButton::clicked, this,
            guarded(this, &TSetupDataForm::SP_class_testersClick));
    connect(ui->DBtbl_list, &QAbstractItemView::doubleClicked, this,
            guarded(this, &TSetupDataForm::DBtbl_listDblClick));
    connect(ui->DBGresult, &QAbstractItemView::doubleClicked, this,
            guarded(this, &TSetupDataForm::DBGresultDblClick));
    chooseOnEnter(ui->DBtbl_list, [this] { runAction(this, [this] { DBtbl_listDblClick(); }); });
    installFunctionKeys();
}

TSetupDataForm::~TSetupDataForm() = default;

// The screen comes before the data module at start-up; it binds its grids when first shown.
void TSetupDataForm::bindToData()
{
    if (sys_tables_list)
        return;
    sys_tables_list = basic_data::makeRegistryView(QStringLiteral("SetupDataTablesList"), 1);
    basic_data::bindRegistryGrid(ui->DBtbl_list, sys_tables_list, tablesHint);
    bindGrid(ui->DBGresult, dm()->BasicDataResultQuery,
             {{QStringLiteral("code"), QStringLiteral("كود"), 90},
              {QStringLiteral("name"), QStringLiteral("وصف"), 400}});
}

void TSetupDataForm::FormShow()
{
    bindToData();
    applyUserLevel();
    spNewClick();
}

void TSetupDataForm::applyUserLevel()
{
    ui->spDelete->setVisible(globals().session.SessionUserLevel <= 1);
}

// ---------------------------------------------------------------- choosing a table

void TSetupDataForm::spNewClick()
{
    EditMode = false;
    TableChosen = false;
    ui->STtitle->setText(noTableTitle);
    ui->GBobj_list->setTitle(QString());
    ui->Ecode->clear();
    ui->Edesc->clear();
    ui->CHKstop->setChecked(false);
    Statement *rows = dm()->BasicDataResultQuery;
    rows->setLine(7, QString());
    rows->setLine(8, QString());
    rows->setLine(11, QStringLiteral("where 1=2"));
    rows->open();
    sys_tables_list->open();
    if (basic_data::openedByMenuButton("SP_class_info_source"))
        SP_class_info_sourceClick();
    else if (basic_data::openedByMenuButton("SP_class_testers"))
        SP_class_testersClick();
    globals().lookup.LookupButton = nullptr;
}

void TSetupDataForm::SP_class_info_sourceClick()
{
    chooseTable(QStringLiteral("info_source_class"));
}

void TSetupDataForm::SP_class_testersClick()
{
    chooseTable(QStringLiteral("tester_class"));
}

void TSetupDataForm::chooseTable(const QString &tableName)
{
    if (basic_data::locateRow(ui->DBtbl_list, sys_tables_list, QStringLiteral("table_name"),
                              tableName))
        DBtbl_listDblClick();
}

void TSetupDataForm::DBtbl_listDblClick()
{
    const QModelIndex current = ui->DBtbl_list->currentIndex();
    if (!current.isValid() || !sys_tables_list->seek(current.row()))
        return;
    CurrentTableName = sys_tables_list->textValue(QStringLiteral("table_name"));
    CurrentTableLevel = sys_tables_list->intValue(QStringLiteral("table_level"));
    CurrentTableDesc = sys_tables_list->textValue(QStringLiteral("table_desc"));
    if (!Saving)
        EditMode = false;
    discoverColumns();
    ui->Edesc->setFocus();
}

void TSetupDataForm::discoverColumns()
{
    TableChosen = false;
    ui->STtitle->setText(CurrentTableDesc);
    ui->GBobj_list->setTitle(CurrentTableDesc);
    if (!Saving && !PendingDelete) {
        ui->Edesc->clear();
        ui->CHKstop->setChecked(false);
    }
    const QString table = basic_data::registeredName(CurrentTableName);
    const QStringList columns = basic_data::columnsOfTable(table);
    if (columns.size() < 2)
        throw Error(QStringLiteral("الجدول \"%1\" ليس له عمود للكود وعمود للوصف").arg(table));
    CodeColumn = basic_data::registeredName(columns.at(0));
    NameColumn = basic_data::registeredName(columns.at(1));
    showTableRows();
    NextCode = dm()->BasicDataResultQuery->isEmpty() ? 1 : dm()->nextSerial(CodeColumn, table);
    // A row whose update failed keeps its own code on screen.
    if (!PendingDelete && !EditMode)
        ui->Ecode->setText(QString::number(NextCode));
    TableChosen = true;
}

void TSetupDataForm::showTableRows()
{
    Statement *rows = dm()->BasicDataResultQuery;
    rows->setLine(1, CodeColumn);
    rows->setLine(3, NameColumn);
    rows->setLine(5, QStringLiteral("is_active"));
    rows->setLine(7, QString());
    rows->setLine(8, QString());
    rows->setLine(10, CurrentTableName);
    rows->setLine(11, QString());
    rows->open();
}

void TSetupDataForm::DBGresultDblClick()
{
    const QModelIndex current = ui->DBGresult->currentIndex();
    Statement *rows = dm()->BasicDataResultQuery;
    if (!current.isValid() || !rows->seek(current.row()))
        return;
    EditMode = true;
    ui->Ecode->setText(QString::number(rows->intValue(QStringLiteral("code"))));
    ui->Edesc->setText(rows->textValue(QStringLiteral("name")));
    ui->CHKstop->setChecked(rows->textValue(QStringLiteral("status")) == QLatin1String("0"));
}

// ---------------------------------------------------------------- save

void TSetupDataForm::spSaveClick()
{
    if (basic_data::codeAndDescriptionAreGiven(ui->Ecode, ui->Edesc, ui->GBobj_list->title(), this))
        saveRow();
}

void TSetupDataForm::saveRow()
{
    const bool inserting = !EditMode;
    Saving = inserting;
    const auto saved = qScopeGuard([this] { Saving = false; });
    Database &database = dm()->Database1;
    if (database.inTransaction([&] { inserting ? insertRow() : updateRow(); })) {
        if (inserting)
            ui->Edesc->clear();
    } else {
        // What was typed stays on the screen to be saved again.
        Saving = true;
        messages::error(QStringLiteral("خطأ أثناء الحفظ"), database.lastFailure(), this);
    }
    DBtbl_listDblClick();
}

// The code is numbered in the transaction that inserts the row: no other workstation takes
// the same code meanwhile.
void TSetupDataForm::insertRow()
{
    const QString table = basic_data::registeredName(CurrentTableName);
    NextCode = dm()->nextSerial(CodeColumn, table);
    ui->Ecode->setText(QString::number(NextCode));
    Statement *insert = dm()->SetupDataInsertQuery;
    insert->setLine(1, table + QStringLiteral("(") + CodeColumn + QStringLiteral(",") + NameColumn +
                           QStringLiteral(",") +
                           QStringLiteral("trans_date,entry_date,entry_type,is_active,who_insert,"
                                          "who_update)"));
    bindRowValues(insert);
    insert->setParam(QStringLiteral("e_date"), QDate::currentDate());
    insert->setParam(QStringLiteral("e_type"), 1);
    insert->setParam(QStringLiteral("wi"), globals().session.SessionUserCode);
    insert->exec();
}

void TSetupDataForm::updateRow()
{
    Statement *update = dm()->SetupDataUpdateQuery;
    update->setLine(1, basic_data::registeredName(CurrentTableName));
    update->setLine(3, NameColumn + QStringLiteral("=:name,"));
    update->setLine(9, CodeColumn + QStringLiteral("=:code"));
    bindRowValues(update);
    update->setParam(QStringLiteral("e_type"), 2);
    if (update->exec() != 1)
        throw Error(QStringLiteral("لم يعد السجل %1 موجوداً").arg(ui->Ecode->text()));
}

void TSetupDataForm::bindRowValues(Statement *statement)
{
    statement->setParam(QStringLiteral("code"),
                        wholeNumber(ui->Ecode->text(), QStringLiteral("الكود")));
    statement->setParam(QStringLiteral("name"), ui->Edesc->text());
    statement->setParam(QStringLiteral("t_date"), QDate::currentDate());
    statement->setParam(QStringLiteral("is_active"), ui->CHKstop->isChecked() ? 0 : 1);
    statement->setParam(QStringLiteral("wu"), globals().session.SessionUserCode);
}

// ---------------------------------------------------------------- delete

void TSetupDataForm::spDeleteClick()
{
    if (ui->Ecode->text().trimmed().isEmpty()) {
        messages::info(QStringLiteral("من فضلك إختار سجل"), this);
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

void TSetupDataForm::spSearchClick()
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

// The chosen row enters the entry fields, and the screen's own list moves to it.
void TSetupDataForm::landOnSearchedRow(const QString &code, const QString &name)
{
    ui->Edesc->setText(name);
    ui->Ecode->setText(code);
    if (basic_data::locateRow(ui->DBGresult, dm()->BasicDataResultQuery, QStringLiteral("code"),
                              code))
        DBGresultDblClick();
}

void TSetupDataForm::spPrintClick()
{
    if (dm()->BasicDataResultQuery->isEmpty()) {
        messages::info(QStringLiteral("لاتوجد بيانات للطباعة"), this);
        return;
    }
    screens::object<TSetupDataReportForm>(QStringLiteral("SetupDataReportForm"))
        ->previewRows(dm()->BasicDataResultQuery, ui->STtitle->text(), this);
}

void TSetupDataForm::spExitClick()
{
    close();
}

} // namespace simat
