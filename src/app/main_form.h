#pragma once

#include "ui/screen.h"

#include <memory>

namespace Ui {
class MainForm;
}

namespace simat {

// The main menu after login: start a test, inquiries and reports, basic data, and the user's
// own password.
class TMainForm : public TScreen {
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

public slots:
    void SP_start_testClick();
    void SP_inq_repClick();
    void SP_basic_dataClick();
    void spChangePasswordClick();
    void spExitClick();

    void applyUserLevel() override;

protected:
    // Logging out: the session's screens close with the menu.
    void closeEvent(QCloseEvent *event) override;

private:
    // "<Arabic name> - مستوى <level>" of whoever is logged in.
    void showSessionUser();

    std::unique_ptr<Ui::MainForm> ui;
};

} // namespace simat
