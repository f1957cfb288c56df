#pragma once

#include "ui/screen.h"

#include <memory>

namespace Ui {
class LoginForm;
}

namespace simat {

struct DatabaseAlias;

namespace accounts {
struct Account;
struct LoginResult;
} // namespace accounts

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
    void logInToSessionRegister(const DatabaseAlias &alias);
    void logInToAnotherRegister(const DatabaseAlias &alias);
    int typedCode() const;
    // Says why a login was refused; true when it was accepted.
    bool accepted(const accounts::LoginResult &login);
    void enterSession(const accounts::LoginResult &login);
    void loadChecklistQuestionCount();
    void fillSession(const accounts::Account &account);

    std::unique_ptr<Ui::LoginForm> ui;
};

} // namespace simat
