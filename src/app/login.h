#pragma once

#include "ui/screen.h"

#include <memory>

namespace Ui {
class LoginForm;
}

namespace simat {

namespace accounts {
struct Account;
}

// Identifies the user by code and password against `users` and fills the session; a user who
// logged in with the installation password chooses another before the main menu opens.
class TLoginForm : public TScreen {
    Q_OBJECT
public:
    explicit TLoginForm(QWidget *parent = nullptr);
    ~TLoginForm() override;

public slots:
    void spLoginClick();
    void spExitClick();

protected:
    void FormShow() override;

private:
    void loginAttempt();
    void loadChecklistQuestionCount();
    void fillSession(const accounts::Account &account);

    std::unique_ptr<Ui::LoginForm> ui;
};

} // namespace simat
