#pragma once

#include "ui/screen.h"

#include <functional>
#include <memory>

namespace Ui {
class SearchForm;
}

namespace simat {

// The lookup picker: lists the rows of the table named by LookupTableName as code and name,
// narrows them as the user types part of a name, and hands the chosen row back to the screen
// that opened it.
class TSearchForm : public TScreen {
    Q_OBJECT
public:
    explicit TSearchForm(QWidget *parent = nullptr);
    ~TSearchForm() override;

    // The hand-back of the inquiries menu's case progress button (spStudentTestsMonitoring):
    // given the chosen case, prepares the two-test comparison and returns whether it did.
    static void setComparisonHandBack(std::function<bool(int caseCode)> handBack);
    // The hand-back of the lookup screens' own search (spSearch): moves that screen's grid to
    // the chosen code and loads the row.
    static void setGridSearchHandBack(std::function<void(QObject *button, const QString &code)>);

public slots:
    void spNewClick();
    void spExitClick();
    void Eacc_nameChange();
    void DBGresultDblClick();

protected:
    void FormShow() override;
    void closeEvent(QCloseEvent *event) override;

private:
    void shapeQuery();
    bool parentTableLookup() const;
    void handBack(const QString &code, const QString &name);

    std::unique_ptr<Ui::SearchForm> ui;
};

} // namespace simat
