#pragma once

#include "core/permissions.h"
#include "ui/screen.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTableView;
class QToolButton;

namespace simat {

namespace audit {
class RecordChange;
}
class Statement;

// What the screens of the lookup tables of one level share: a table is chosen through the
// hidden registry list, its columns are learnt from the table itself, the next code is
// proposed, its rows are listed, and a row is added, changed, stopped, deleted when no table of
// a higher level uses its code, searched through the picker and printed. The screens name
// their controls alike; a screen of a level adds what its tables have more.
class TLookupTableScreen : public TScreen {
    Q_OBJECT
public:
    ~TLookupTableScreen() override;

    void applyUserLevel() override;
    // Whether the entry fields differ from the row as it is stored (or from the fresh row a new
    // one starts with); only for a user who may keep the screen's tables.
    bool hasUnsavedChanges() const override;

public slots:
    void spNewClick();
    void spSaveClick();
    void spDeleteClick();
    void spSearchClick();
    void spPrintClick();
    void spExitClick();
    void DBtbl_listDblClick();
    void DBGresultDblClick();

protected:
    // What differs between the levels: the registry level, the statements of the rows and of
    // their writes, the listing and the screen's own texts.
    struct Level {
        int level;
        const char *registryView;
        const char *listing;
        // Told when Delete is pressed with no row on the screen.
        const char *nothingToDelete;
        // Buttons of the basic-data menu that open the screen on a table, with that table.
        QList<std::pair<const char *, const char *>> menuTables;
        // Whether a user may change the rows of the screen's tables.
        bool (*mayKeep)(permissions::Access access);
    };
    TLookupTableScreen(const Level &level, QWidget *parent);

    // Takes the controls that every lookup screen has, once the screen's form is set up.
    void takeControls();
    void FormShow() override;

    // What the entry fields show, field by field; a screen adds the fields of its own.
    virtual QStringList entries() const;

    // The statement of the chosen table's rows, bound to the list.
    virtual Statement *rows() const = 0;
    virtual void bindRowsGrid() = 0;
    // Empties the list before a table is chosen.
    virtual void showNoRows() = 0;
    virtual void showTableRows() = 0;
    // Learns the chosen table's columns from the table; sets CodeColumn and NameColumn.
    virtual void discoverColumns(const QString &table) = 0;
    // What else a screen reads of the chosen registry row and of a chosen row of the list.
    virtual void chooseRegistryRow(Statement *) {}
    virtual void showChosenRow(Statement *) {}
    // What a screen checks before a save beyond the code and the description.
    virtual bool entriesAreComplete() { return true; }
    // The key columns of an insert before the description, and what else an insert and an
    // update bind.
    virtual QStringList keyColumns() const = 0;
    virtual Statement *insertStatement() const = 0;
    virtual void updateRow() = 0;
    virtual void bindMoreValues(Statement *) {}
    // Empties the entries that a new row is given again after an insert.
    virtual void clearAfterInsert();
    virtual void clearToNoTable();
    void chooseTable(const QString &tableName);
    // A button of the screen that names its table: the screen starts anew on that table.
    void chooseTableAnew(const QString &tableName);
    void bindRowValues(Statement *statement);
    // Fails with a message when an update found no row with the code on screen.
    void checkUpdated(int rowsUpdated) const;

    QLineEdit *Ecode = nullptr;
    QLineEdit *Edesc = nullptr;
    QCheckBox *CHKstop = nullptr;
    QLabel *STtitle = nullptr;
    QGroupBox *GBobj_list = nullptr;
    QTableView *DBtbl_list = nullptr;
    QTableView *DBGresult = nullptr;

    QString CurrentTableName;
    int CurrentTableLevel = 0;
    QString CurrentTableDesc;
    bool TableChosen = false;
    QString CodeColumn;
    QString NameColumn;
    int NextCode = 0;
    bool EditMode = false;
    // Set while a new row is saved: the refresh after it keeps the entry fields as typed.
    bool Saving = false;
    // Set while a delete runs, and cleared on every way out of it.
    bool PendingDelete = false;

private:
    bool userMayKeep() const;
    void bindToData();
    void startNew();
    // The choose action on the current registry row, and the load of the current row of the
    // list; the slots of the grids ask first whether unsaved changes may go.
    void takeChosenTable();
    void loadChosenRow();
    // The entry fields now show what is stored, or a fresh row.
    void rememberStoredEntries();
    void saveRow();
    void insertRow();
    // The update of the screen's level, logged.
    void updateLoggedRow();
    audit::RecordChange rowChange(int code) const;
    void landOnSearchedRow(const QString &code, const QString &name);

    Level m_level;
    QToolButton *m_searchButton = nullptr;
    QToolButton *m_deleteButton = nullptr;
    Statement *sys_tables_list = nullptr;
    QStringList m_storedEntries;
};

} // namespace simat
