#pragma once

#include "ui/screen.h"

#include <memory>

namespace Ui {
class ChangePasswordForm;
}

namespace simat {

// The session user chooses a new password, typed twice: at a login with the installation
// password before the main menu opens, or at any time from the main menu. The window keeps
// every other window waiting while it is open.
class TChangePasswordForm : public TScreen {
    Q_OBJECT
public:
    enum class Occasion { FirstLogin, OwnChoice };

    explicit TChangePasswordForm(QWidget *parent = nullptr);
    ~TChangePasswordForm() override;

    // At FirstLogin, leaving the window without saving logs out.
    void askFor(Occasion occasion);

public slots:
    void spSaveClick();
    void spExitClick();

protected:
    void FormShow() override;
    void closeEvent(QCloseEvent *event) override;

private:
    bool validateNewPassword();
    void logOut();

    std::unique_ptr<Ui::ChangePasswordForm> ui;
    Occasion m_occasion = Occasion::OwnChoice;
    bool m_saved = false;
};

} // namespace simat
