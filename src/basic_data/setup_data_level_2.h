#pragma once

#include "ui/screen.h"

#include <memory>

namespace Ui {
class SetupDataLevel2Form;
}

namespace simat {

class Statement;

// The level-2 lookup tables, whose every row belongs to a row of a parent table: one screen
// for every such table of the registry. It finds the parent table through the registry, learns
// both tables' columns from their order, lists the rows with their parent's name, and has the
// parent row picked before a row is saved; a code still used by a table of a higher level is
// never deleted.
class TSetupDataLevel2Form : public TScreen {
    Q_OBJECT
public:
    explicit TSetupDataLevel2Form(QWidget *parent = nullptr);
    ~TSetupDataLevel2Form() override;

    void applyUserLevel() override;

public slots:
    void spNewClick();
    void spSaveClick();
    void spDeleteClick();
    void spSearchClick();
    void spPrintClick();
    void spExitClick();
    void SP_info_sourceClick();
    void SP_testersClick();
    void SPfind_parent_tableClick();
    void DBtbl_listDblClick();
    void DBGresultDblClick();

protected:
    void FormShow() override;

private:
    void bindToData();
    void bindRowsGrid(const QString &parentTitle);
    void clearToNoTable();
    void chooseTable(const QString &tableName);
    void findParentTable(const QString &parentTableId);
    void discoverColumns();
    void discoverParentNameColumn();
    void showTableRows();
    bool entriesAreComplete();
    void saveRow();
    void insertRow();
    void updateRow();
    void bindRowValues(Statement *statement);
    void landOnSearchedRow(const QString &code, const QString &name);

    std::unique_ptr<Ui::SetupDataLevel2Form> ui;
    Statement *sys_tables_list = nullptr;

    QString CurrentTableName;
    int CurrentTableLevel = 0;
    QString CurrentTableDesc;
    bool TableChosen = false;
    QString ParentTable;
    QString ParentTableDesc;
    int ParentTableLevel = 0;
    // The chosen table's own columns: the parent code (named as the parent table's code
    // column), the code and the name; and the parent table's name column.
    QString ParentCodeColumn;
    QString CodeColumn;
    QString NameColumn;
    QString ParentNameColumn;
    int NextCode = 0;
    bool EditMode = false;
    // Set while a new row is saved: the refresh after it keeps the entry fields as typed.
    bool Saving = false;
    // Set while a delete runs, and cleared on every way out of it.
    bool PendingDelete = false;
};

} // namespace simat
