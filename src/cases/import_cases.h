#pragma once

#include "data/case_import.h"
#include "ui/screen.h"

#include <memory>
#include <optional>

class QComboBox;
class QSortFilterProxyModel;

namespace Ui {
class ImportCasesForm;
}

namespace simat {

class ImportPreviewModel;

// Cases brought in from a CSV file: the file's columns matched to the case's fields (by their
// titles, then as the user sets them), every row checked and shown with what is wrong with it,
// and the accepted rows imported in one transaction. Levels 0 and 1.
class TImportCasesForm : public TScreen {
    Q_OBJECT
public:
    explicit TImportCasesForm(QWidget *parent = nullptr);
    ~TImportCasesForm() override;

    void applyUserLevel() override;
    // Reads a file as the open button does once a file is chosen.
    void openFile(const QString &path);

public slots:
    void spOpenFileClick();
    void spImportClick();
    void spExitClick();

protected:
    void FormShow() override;

private:
    void showMatches();
    QComboBox *fieldChooser(int column);
    QList<int> chosenMatches() const;
    void checkRows();
    void showCounts();
    void offerRefusedRows(const case_import::Imported &imported);
    void clearFile();

    std::unique_ptr<Ui::ImportCasesForm> ui;
    std::optional<case_import::Source> m_source;
    case_import::Preview m_preview;
    ImportPreviewModel *m_rows;
    QSortFilterProxyModel *m_shownRows;
};

} // namespace simat
