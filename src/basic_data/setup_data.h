#pragma once

#include "lookup_screen.h"

#include <memory>

namespace Ui {
class SetupDataForm;
}

namespace simat {

// The level-1 lookup tables (code and name): one screen for every such table of the registry.
class TSetupDataForm : public TLookupTableScreen {
    Q_OBJECT
public:
    explicit TSetupDataForm(QWidget *parent = nullptr);
    ~TSetupDataForm() override;

public slots:
    void SP_class_info_sourceClick();
    void SP_class_testersClick();

protected:
    Statement *rows() const override;
    void bindRowsGrid() override;
    void showNoRows() override;
    void showTableRows() override;
    void discoverColumns(const QString &table) override;
    QStringList keyColumns() const override;
    Statement *insertStatement() const override;
    void updateRow() override;

private:
    std::unique_ptr<Ui::SetupDataForm> ui;
};

} // namespace simat
