#pragma once

#include "lookup_screen.h"

#include <memory>

namespace Ui {
class SetupDataLevel2Form;
}

namespace simat {

// The level-2 lookup tables, whose every row belongs to a row of a parent table: one screen
// for every such table of the registry. It finds the parent table through the registry, lists
// the rows with their parent's name, and has the parent row picked before a row is saved.
class TSetupDataLevel2Form : public TLookupTableScreen {
    Q_OBJECT
public:
    explicit TSetupDataLevel2Form(QWidget *parent = nullptr);
    ~TSetupDataLevel2Form() override;

public slots:
    void SP_info_sourceClick();
    void SP_testersClick();
    void SPfind_parent_tableClick();

protected:
    QStringList entries() const override;
    Statement *rows() const override;
    void bindRowsGrid() override;
    void showNoRows() override;
    void showTableRows() override;
    void discoverColumns(const QString &table) override;
    void chooseRegistryRow(Statement *registry) override;
    void showChosenRow(Statement *chosen) override;
    bool entriesAreComplete() override;
    QStringList keyColumns() const override;
    Statement *insertStatement() const override;
    void updateRow() override;
    void bindMoreValues(Statement *statement) override;
    void clearAfterInsert() override;
    void clearToNoTable() override;

private:
    void bindRowsGrid(const QString &parentTitle);
    void discoverParentNameColumn();

    std::unique_ptr<Ui::SetupDataLevel2Form> ui;

    QString ParentTable;
    QString ParentTableDesc;
    int ParentTableLevel = 0;
    // The chosen table's parent code column (named as the parent table's code column), and the
    // parent table's name column.
    QString ParentCodeColumn;
    QString ParentNameColumn;
};

} // namespace simat
