#pragma once

#include "ui/screen.h"

#include <memory>

namespace Ui {
class StartupForm;
}

namespace simat {

// The first screen: runs the program (login), installs, and opens the two guides.
class TStartupForm : public TScreen {
    Q_OBJECT
public:
    explicit TStartupForm(QWidget *parent = nullptr);
    ~TStartupForm() override;

public slots:
    void SP_run_progClick();
    void SP_install_progClick();
    void SP_installation_instructionsClick();
    void SP_user_guideClick();
    void spExitClick();

    void applyUserLevel() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    std::unique_ptr<Ui::StartupForm> ui;
};

} // namespace simat
