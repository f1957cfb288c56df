#include "lookup_screen.h"

#include "core/bidi.h"
#include "core/error.h"
#include "core/numbers.h"
#include "core/permissions.h"
#include "data/audit_log.h"
#include "data/dm.h"
#include "lookup_tables.h"
#include "setup_data_report.h"
#include "ui/action.h"
#include "ui/global.h"
#include "ui/grid_model.h"
#include "ui/messages.h"
#include "ui/screens.h"
#include "ui/search.h"

#include <QCheckBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTableView>
#include <QToolButton>

namespace simat {

namespace {

const QString tablesHint = QStringLiteral(
    "إضغط ضغطاً مزدوجاً على زر الفأرة الأيسر أو إضغط مفتاح الإدخال من لوحة المفاتيح لاختيار "
    "جدول لتعريف بياناته");

TDataModule1 *dm()
{
    return TDataModule1::instance();
}

template <typename T> T *control(QWidget *screen, const char *name)
{
    T *found = screen->findChild<T *>(QLatin1String(name));
    Q_ASSERT(found);
    return found;
}

} // namespace

TLookupTableScreen::TLookupTableScreen(const Level &level, QWidget *parent)
    : TScreen(parent)
    , m_level(level)
{}

TLookupTableScreen::~TLookupTableScreen() = default;

void TLookupTableScreen::takeControls()
{
    Ecode = control<QLineEdit>(this, "Ecode");
    Edesc = control<QLineEdit>(this, "Edesc");
    CHKstop = control<QCheckBox>(this, "CHKstop");
    STtitle = control<QLabel>(this, "STtitle");
    GBobj_list = control<QGroupBox>(this, "GBobj_list");
    DBtbl_list = control<QTableView>(this, "DBtbl_list");
    DBGresult = control<QTableView>(this, "DBGresult");
    m_searchButton = control<QToolButton>(this, "spSearch");
    m_deleteButton = control<QToolButton>(this, "spDelete");
    DBtbl_list->setVisible(false);
    basic_data::setActionIcons(this);
    using S = TLookupTableScreen;
    const QList<std::pair<const char *, void (S::*)()>> buttons = {
        {"spNew", &S::spNewClick},       {"spSave", &S::spSaveClick},
        {"spDelete", &S::spDeleteClick}, {"spSearch", &S::spSearchClick},
        {"spPrint", &S::spPrintClick},   {"spExit", &S::spExitClick}};
    for (const auto &[name, action] : buttons)
        connect(control<QToolButton>(this, name), &QToolButton::clicked, this,
                guarded(this, action));
    connect(DBtbl_list, &QAbstractItemView::doubleClicked, this,
            guarded(this, &S::DBtbl_listDblClick));
    connect(DBGresult, &QAbstractItemView::doubleClicked, this,
            guarded(this, &S::DBGresultDblClick));
    chooseOnEnter(DBtbl_list, [this] { runAction(this, [this] { DBtbl_listDblClick(); }); });
    installFunctionKeys();
    moveOnEnter();
}

// The screen comes before the data module at start-up; it binds its grids when first shown.
void TLookupTableScreen::bindToData()
{
    if (sys_tables_list)
        return;
    sys_tables_list =
        basic_data::makeRegistryView(QLatin1String(m_level.registryView), m_level.level);
    basic_data::bindRegistryGrid(DBtbl_list, sys_tables_list, tablesHint);
    bindRowsGrid();
}

// Shown again after a close that asked already: the screen starts anew without asking.
void TLookupTableScreen::FormShow()
{
    bindToData();
    applyUserLevel();
    startNew();
}

bool TLookupTableScreen::userMayKeep() const
{
    return m_level.mayKeep(sessionAccess());
}

// A user who may not change the screen's tables finds it read-only: searching and printing.
void TLookupTableScreen::applyUserLevel()
{
    const bool writable = userMayKeep();
    control<QToolButton>(this, "spNew")->setVisible(writable);
    control<QToolButton>(this, "spSave")->setVisible(writable);
    m_deleteButton->setVisible(writable && permissions::mayDeleteLookups(sessionAccess()));
}

QStringList TLookupTableScreen::entries() const
{
    return {Ecode->text(), Edesc->text(), CHKstop->isChecked() ? QStringLiteral("1") : QString()};
}

void TLookupTableScreen::rememberStoredEntries()
{
    m_storedEntries = entries();
}

bool TLookupTableScreen::hasUnsavedChanges() const
{
    return userMayKeep() && entries() != m_storedEntries;
}

// ---------------------------------------------------------------- choosing a table

void TLookupTableScreen::spNewClick()
{
    if (mayDropUnsavedChanges())
        startNew();
}

void TLookupTableScreen::startNew()
{
    clearToNoTable();
    for (const auto &[button, table] : m_level.menuTables) {
        if (basic_data::openedByMenuButton(button)) {
            chooseTable(QLatin1String(table));
            break;
        }
    }
    globals().lookup.LookupButton = nullptr;
}

void TLookupTableScreen::clearToNoTable()
{
    EditMode = false;
    TableChosen = false;
    STtitle->setText(QStringLiteral("تعريف بيانات"));
    GBobj_list->setTitle(QString());
    Ecode->clear();
    Edesc->clear();
    CHKstop->setChecked(false);
    showNoRows();
    sys_tables_list->open();
    rememberStoredEntries();
}

void TLookupTableScreen::chooseTable(const QString &tableName)
{
    if (basic_data::locateRow(DBtbl_list, sys_tables_list, QStringLiteral("table_name"), tableName))
        takeChosenTable();
}

void TLookupTableScreen::chooseTableAnew(const QString &tableName)
{
    if (!mayDropUnsavedChanges())
        return;
    globals().lookup.LookupButton = nullptr;
    clearToNoTable();
    chooseTable(tableName);
}

void TLookupTableScreen::DBtbl_listDblClick()
{
    if (mayDropUnsavedChanges())
        takeChosenTable();
}

void TLookupTableScreen::takeChosenTable()
{
    const QModelIndex current = DBtbl_list->currentIndex();
    if (!current.isValid() || !sys_tables_list->seek(current.row()))
        return;
    CurrentTableName = sys_tables_list->textValue(QStringLiteral("table_name"));
    CurrentTableLevel = sys_tables_list->intValue(QStringLiteral("table_level"));
    CurrentTableDesc = sys_tables_list->textValue(QStringLiteral("table_desc"));
    chooseRegistryRow(sys_tables_list);
    if (!Saving)
        EditMode = false;
    TableChosen = false;
    STtitle->setText(CurrentTableDesc);
    GBobj_list->setTitle(CurrentTableDesc);
    if (!EditMode && !Saving && !PendingDelete) {
        Edesc->clear();
        CHKstop->setChecked(false);
    }
    const QString table = basic_data::registeredName(CurrentTableName);
    discoverColumns(table);
    showTableRows();
    // Over the whole table: rows that the list leaves out keep their codes too.
    NextCode = dm()->nextSerial(CodeColumn, table);
    // A row whose update failed keeps its own code on screen.
    if (!PendingDelete && !EditMode)
        Ecode->setText(QString::number(NextCode));
    TableChosen = true;
    // What a failed save leaves typed stays unsaved.
    if (!Saving)
        rememberStoredEntries();
    Edesc->setFocus();
}

void TLookupTableScreen::DBGresultDblClick()
{
    if (mayDropUnsavedChanges())
        loadChosenRow();
}

void TLookupTableScreen::loadChosenRow()
{
    const QModelIndex current = DBGresult->currentIndex();
    if (!current.isValid() || !rows()->seek(current.row()))
        return;
    EditMode = true;
    Ecode->setText(QString::number(rows()->intValue(QStringLiteral("code"))));
    Edesc->setText(rows()->textValue(QStringLiteral("name")));
    CHKstop->setChecked(rows()->textValue(QStringLiteral("status")) == QLatin1String("0"));
    showChosenRow(rows());
    rememberStoredEntries();
}

// ---------------------------------------------------------------- save

void TLookupTableScreen::spSaveClick()
{
    if (userMayKeep() && entriesAreComplete() &&
        basic_data::codeAndDescriptionAreGiven(Ecode, Edesc, GBobj_list->title(), this))
        saveRow();
}

void TLookupTableScreen::saveRow()
{
    const bool inserting = !EditMode;
    Saving = inserting;
    const auto savingEnds = qScopeGuard([this] { Saving = false; });
    Database &database = dm()->Database1;
    const bool saved = database.inTransaction([&] { inserting ? insertRow() : updateLoggedRow(); });
    if (saved) {
        if (inserting)
            clearAfterInsert();
    } else {
        // What was typed stays on the screen to be saved again.
        Saving = true;
        messages::error(QStringLiteral("خطأ أثناء الحفظ"), database.lastFailure(), this);
    }
    takeChosenTable();
    if (saved)
        rememberStoredEntries();
}

void TLookupTableScreen::clearAfterInsert()
{
    Edesc->clear();
}

audit::RecordChange TLookupTableScreen::rowChange(int code) const
{
    return {dm()->Database1,
            basic_data::registeredName(CurrentTableName),
            {{basic_data::registeredName(CodeColumn), code}}};
}

void TLookupTableScreen::updateLoggedRow()
{
    audit::RecordChange change = rowChange(wholeNumber(Ecode->text(), QStringLiteral("الكود")));
    updateRow();
    change.log();
}

// The code is numbered in the transaction that inserts the row: no other workstation takes
// the same code meanwhile.
void TLookupTableScreen::insertRow()
{
    const QString table = basic_data::registeredName(CurrentTableName);
    NextCode = dm()->nextSerial(CodeColumn, table);
    audit::RecordChange change = rowChange(NextCode);
    Ecode->setText(QString::number(NextCode));
    Statement *insert = insertStatement();
    const QStringList columns =
        keyColumns() << NameColumn
                     << QStringLiteral("trans_date,entry_date,entry_type,is_active,who_insert,"
                                       "who_update");
    insert->setLine(1, table + QStringLiteral("(") + columns.join(QLatin1Char(',')) +
                           QStringLiteral(")"));
    bindRowValues(insert);
    insert->setParam(QStringLiteral("e_date"), QDate::currentDate());
    insert->setParam(QStringLiteral("e_type"), 1);
    insert->setParam(QStringLiteral("wi"), globals().session.SessionUserCode);
    insert->exec();
    change.log();
}

void TLookupTableScreen::bindRowValues(Statement *statement)
{
    bindMoreValues(statement);
    statement->setParam(QStringLiteral("code"),
                        wholeNumber(Ecode->text(), QStringLiteral("الكود")));
    statement->setParam(QStringLiteral("name"), Edesc->text());
    statement->setParam(QStringLiteral("t_date"), QDate::currentDate());
    statement->setParam(QStringLiteral("is_active"), CHKstop->isChecked() ? 0 : 1);
    statement->setParam(QStringLiteral("wu"), globals().session.SessionUserCode);
}

void TLookupTableScreen::checkUpdated(int rowsUpdated) const
{
    if (rowsUpdated != 1)
        throw Error(QStringLiteral("لم يعد السجل %1 موجوداً").arg(isolated(Ecode->text())));
}

// ---------------------------------------------------------------- delete

void TLookupTableScreen::spDeleteClick()
{
    if (!userMayKeep() || !permissions::mayDeleteLookups(sessionAccess()))
        return;
    if (Ecode->text().trimmed().isEmpty()) {
        messages::info(QString::fromUtf8(m_level.nothingToDelete), this);
        return;
    }
    // The code of a new row may meanwhile be another workstation's row.
    if (!EditMode) {
        messages::info(basic_data::nothingStoredToDelete, this);
        return;
    }
    PendingDelete = true;
    const auto ended = qScopeGuard([this] { PendingDelete = false; });
    const int code = wholeNumber(Ecode->text(), QStringLiteral("الكود"));
    if (!basic_data::deleteIfUnused(CurrentTableLevel, CurrentTableName, CodeColumn, code, this))
        return;
    PendingDelete = false;
    takeChosenTable();
}

// ---------------------------------------------------------------- search, print, close

void TLookupTableScreen::spSearchClick()
{
    if (!TableChosen)
        return;
    globals().lookup.LookupTableName = CurrentTableName;
    TSearchForm::pick({CurrentTableName,
                       {},
                       {},
                       m_searchButton,
                       [this](const QString &code, const QString &name) {
                           if (mayDropUnsavedChanges())
                               landOnSearchedRow(code, name);
                           return AfterChoice::Close;
                       }});
}

// The chosen row enters the entry fields, and the screen's own list moves to it.
void TLookupTableScreen::landOnSearchedRow(const QString &code, const QString &name)
{
    Edesc->setText(name);
    Ecode->setText(code);
    if (basic_data::locateRow(DBGresult, rows(), QStringLiteral("code"), code))
        loadChosenRow();
}

void TLookupTableScreen::spPrintClick()
{
    if (rows()->isEmpty()) {
        messages::info(QStringLiteral("لاتوجد بيانات للطباعة"), this);
        return;
    }
    screens::object<TSetupDataReportForm>(QLatin1String(m_level.listing))
        ->previewRows(rows(), STtitle->text(), this);
}

void TLookupTableScreen::spExitClick()
{
    close();
}

} // namespace simat
