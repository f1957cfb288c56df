#pragma once

#include "ui/screen.h"

#include <functional>
#include <memory>

namespace Ui {
class SearchForm;
}

namespace simat {

// What the picker does once the caller has taken the chosen row.
enum class AfterChoice { Close, StayOpen };

// What a screen asks of the picker: the table to list and what to do with the chosen row.
struct PickRequest {
    // The table to list. Its code and name columns are found by column discovery unless the
    // caller names them, as the parent pick of a level-2 table does with LookupParentTable.
    QString table;
    QString codeColumn;
    QString nameColumn;
    // The button that opened the picker, kept in LookupButton while the picker is open.
    QObject *button = nullptr;
    // Takes the chosen row's code and name.
    std::function<AfterChoice(const QString &code, const QString &name)> chosen;
};

// The lookup picker: lists the rows of a table as code and name, narrows them as the user
// types part of a name, and hands the chosen row to the request of the screen that opened it.
// Down in the search box moves into the list; Enter there chooses the first row; Enter or a
// double click in the list chooses the row.
class TSearchForm : public TScreen {
    Q_OBJECT
public:
    explicit TSearchForm(QWidget *parent = nullptr);
    ~TSearchForm() override;

    // Opens the program's picker for the request.
    static void pick(PickRequest request);
    void open(PickRequest request);

public slots:
    void spNewClick();
    void spExitClick();
    void Eacc_nameChange();
    void DBGresultDblClick();

protected:
    void FormShow() override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void enterList();
    void chooseRow(int row);

    std::unique_ptr<Ui::SearchForm> ui;
    PickRequest m_request;
};

} // namespace simat
