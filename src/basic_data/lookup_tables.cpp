#include "lookup_tables.h"

#include "core/bidi.h"
#include "core/error.h"
#include "data/audit_log.h"
#include "data/dm.h"
#include "data/statement_texts.h"
#include "ui/global.h"
#include "ui/grid_model.h"
#include "ui/messages.h"
#include "ui/screens.h"

#include <QLineEdit>
#include <QStyle>
#include <QTableView>
#include <QToolButton>

namespace simat::basic_data {

Statement *makeRegistryView(const QString &name, int level)
{
    // A child of the data module, so that it goes before the connection it reads.
    TDataModule1 *dm = TDataModule1::instance();
    return new Statement(dm->Database1, name, texts::registryTables(level), dm);
}

void bindRegistryGrid(QTableView *grid, Statement *view, const QString &hint)
{
    bindGrid(
        grid, view,
        {{QStringLiteral("table_id"), QStringLiteral("table_id"), 80},
         {QStringLiteral("table_name"), QStringLiteral("table_name"), 120},
         {QStringLiteral("table_desc"), QStringLiteral("إختر من القائمة لتعريف البيانات"), 260},
         {QStringLiteral("table_status"), QStringLiteral("table_status"), 60}});
    grid->setToolTip(hint);
}

bool locateRow(QTableView *grid, Statement *rows, const QString &column, const QString &text)
{
    if (!rows->isOpen())
        return false;
    for (rows->first(); !rows->atEnd(); rows->next()) {
        if (rows->textValue(column) == text) {
            grid->setCurrentIndex(grid->model()->index(rows->currentRow(), 0));
            return true;
        }
    }
    return false;
}

QString registeredName(const QString &name)
{
    try {
        return Statement::identifier(name);
    } catch (const Error &error) {
        throw Error(QStringLiteral("سجل الجداول يذكر اسماً لا يصلح اسماً لجدول أو عمود\n%1")
                        .arg(error.text()));
    }
}

QStringList columnsOfRegistered(Statement *query, const QString &table)
{
    try {
        query->open();
    } catch (const Error &error) {
        throw Error(QStringLiteral("تعذرت قراءة الجدول \"%1\" المسجل فى سجل الجداول\n%2")
                        .arg(isolated(table), error.text()));
    }
    const QStringList columns = query->columnNames();
    query->close();
    return columns;
}

QStringList columnsOfTable(const QString &table)
{
    Statement *empty = TDataModule1::instance()->EmptyQuery;
    empty->setLines({QStringLiteral("select * from ") + registeredName(table) +
                     QStringLiteral(" ") + QStringLiteral("where 1=2")});
    return columnsOfRegistered(empty, table);
}

namespace {

bool tableHoldsCode(const QString &table, const QString &codeColumn, int code)
{
    TDataModule1 *dm = TDataModule1::instance();
    const QString name = registeredName(table);
    dm->GetTableStrucQuery->setLine(1, name);
    if (!columnsOfRegistered(dm->GetTableStrucQuery, table).contains(codeColumn))
        return false;
    Statement *uses = dm->FindSetupDataTransactionQuery;
    uses->setLine(1, name);
    uses->setParam(QStringLiteral("code"), code);
    uses->open();
    const bool used = !uses->isEmpty();
    uses->close();
    return used;
}

} // namespace

bool codeIsInUse(int level, const QString &codeColumn, int code)
{
    TDataModule1 *dm = TDataModule1::instance();
    dm->FindSetupDataTransactionQuery->setLine(3, registeredName(codeColumn));
    Statement *tables = dm->FindTableNamesForCheckDeleteInQuery;
    tables->setParam(QStringLiteral("tbl_level"), level);
    tables->open();
    QStringList higher;
    for (tables->first(); !tables->atEnd(); tables->next())
        higher << tables->textValue(QStringLiteral("table_name"));
    tables->close();
    for (const QString &table : higher)
        if (tableHoldsCode(table, codeColumn, code))
            return true;
    return false;
}

bool codeAndDescriptionAreGiven(QLineEdit *code, QLineEdit *description, const QString &title,
                                QWidget *screen)
{
    if (code->text().trimmed().isEmpty()) {
        messages::info(QStringLiteral("الكود ") + title + QStringLiteral(" ") +
                           QStringLiteral("بيان ضرورى"),
                       screen);
        return false;
    }
    if (description->text().trimmed().isEmpty()) {
        messages::info(QStringLiteral("برجاء كتابة وصف لـ ") + title + QStringLiteral(" ") +
                           QStringLiteral("قبل الضغط على مفتاح الحفظ"),
                       screen);
        description->setFocus();
        return false;
    }
    return true;
}

namespace {

// The number of rows deleted.
int deleteRow(const QString &table, const QString &codeColumn, int code)
{
    TDataModule1 *dm = TDataModule1::instance();
    audit::RecordChange change(dm->Database1, registeredName(table),
                               {{registeredName(codeColumn), code}});
    Statement *remove = dm->SetupDataDeleteQuery;
    remove->setLine(1, registeredName(table));
    remove->setLine(3, registeredName(codeColumn));
    remove->setParam(QStringLiteral("code"), code);
    const int deleted = remove->exec();
    change.log();
    return deleted;
}

} // namespace

bool deleteIfUnused(int level, const QString &table, const QString &codeColumn, int code,
                    QWidget *screen)
{
    if (codeIsInUse(level, codeColumn, code)) {
        messages::info(QStringLiteral("لايُمكن إلغاء بيانات أساسية سبق تسجيل اختبارات عليها"),
                       screen);
        return false;
    }
    if (!messages::ask(QStringLiteral("لن يُمكنك التراجع عن الإلغاء - هل بالفعل تريد الإلغاء؟"),
                       screen))
        return false;
    Database &database = TDataModule1::instance()->Database1;
    int deleted = 0;
    if (database.inTransaction([&] { deleted = deleteRow(table, codeColumn, code); }))
        messages::info(deleted == 0 ? nothingStoredToDelete : QStringLiteral("تم الإلغاء بنجاح"),
                       screen);
    else
        messages::error(QStringLiteral("لم يتم الإلغاء لحدوث خطأ أثناء التنفيذ"),
                        database.lastFailure(), screen);
    return true;
}

void setActionIcons(QWidget *screen)
{
    const QList<std::pair<const char *, QStyle::StandardPixmap>> icons = {
        {"spNew", QStyle::SP_FileIcon},
        {"spDelete", QStyle::SP_TrashIcon},
        {"spSearch", QStyle::SP_FileDialogContentsView},
        {"spSave", QStyle::SP_DialogSaveButton},
        {"spPrint", QStyle::SP_FileDialogDetailedView},
        {"spExit", QStyle::SP_DialogCloseButton}};
    for (const auto &[name, icon] : icons)
        if (auto *button = screen->findChild<QToolButton *>(QLatin1String(name)))
            button->setIcon(screen->style()->standardIcon(icon));
}

bool openedByMenuButton(const char *buttonName)
{
    return screens::lookupButtonIs(QStringLiteral("BasicDataMainForm"), buttonName);
}

} // namespace simat::basic_data
