#pragma once

#include "ui/screen.h"

#include <memory>

namespace Ui {
class SetupDataForm;
}

namespace simat {

class Statement;

// The level-1 lookup tables (code and name): one screen for every such table of the registry.
// It learns the table's columns from the table itself, proposes the next code, and writes
// every statement from the data module's templates; a code still used by a table of a higher
// level is never deleted.
class TSetupDataForm : public TScreen {
    Q_OBJECT
public:
    explicit TSetupDataForm(QWidget *parent = nullptr);
    ~TSetupDataForm() override;

    void applyUserLevel() override;

public slots:
    void spNewClick();
    void spSaveClick();
    void spDeleteClick();
    void spSearchClick();
    void spPrintClick();
    void spExitClick();
    void SP_class_info_sourceClick();
    void SP_class_testersClick();
    void DBtbl_listDblClick();
    void DBGresultDblClick();

protected:
    void FormShow() override;

private:
    void bindToData();
    void chooseTable(const QString &tableName);
    void discoverColumns();
    void showTableRows();
    void saveRow();
    void insertRow();
    void updateRow();
    void bindRowValues(Statement *statement);
    void landOnSearchedRow(const QString &code, const QString &name);

    std::unique_ptr<Ui::SetupDataForm> ui;
    Statement *sys_tables_list = nullptr;

    QString CurrentTableName;
    int CurrentTableLevel = 0;
    QString CurrentTableDesc;
    bool TableChosen = false;
    // The chosen table's own code and name columns; the picker's lookup columns follow
    // whatever table it last listed.
    QString CodeColumn;
    QString NameColumn;
    int NextCode = 0;
    bool EditMode = false;
    // Set while a new row is saved: the refresh after it keeps the entry fields as typed.
    bool Saving = false;
    // Set while a delete runs, and cleared on every way out of it.
    bool PendingDelete = false;
};

} // namespace simat
