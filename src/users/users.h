#pragma once

#include "ui/screen.h"

#include <memory>

namespace Ui {
class UsersForm;
}

namespace simat {

class Statement;

// The user accounts: the list of accounts, and one account at a time to add or change with its
// password, Arabic name, permission group (the user level) and stop box. Accounts are never
// deleted; stopping one keeps it from logging in. A stored password is never shown: the box
// of a chosen account starts empty, and what is typed there becomes its new password.
class TUsersForm : public TScreen {
    Q_OBJECT
public:
    explicit TUsersForm(QWidget *parent = nullptr);
    ~TUsersForm() override;

    void applyUserLevel() override;
    // Whether the fields differ from the account as stored, or from a new account as New shows
    // it; only for a user who may keep the accounts.
    bool hasUnsavedChanges() const override;

public slots:
    void spNewClick();
    void spSaveClick();
    void spPrintClick();
    void spExitClick();
    void SPfind_autority_groupClick();
    void dbUsersGridDblClick();
    void eUserCodeEnter();
    void eUserPassEnter();
    void eUserAnameEnter();
    void eClosePoEnter();

protected:
    void FormShow() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectControls();
    void startNewAccount();
    void proposeNextCode();
    // The row of the list that holds the account of the code, or -1.
    int rowOfAccount(int code) const;
    void chooseAccount(int row);
    // What the fields show, field by field.
    QStringList entries() const;
    void showLevel();
    bool validateForSave();
    // Writes the account on screen; returns the code it was stored under.
    int writeAccount();
    void bindAccount(int code, bool insert);
    void refuseLockingOut(int code);
    void showLastAccountInList();

    std::unique_ptr<Ui::UsersForm> ui;
    // The stored account on screen, or 0 while a new one is.
    int m_chosenCode = 0;
    // The accounts as the lookup listing prints them: code, name, status and last change.
    Statement *m_accountsListing = nullptr;
    bool m_lockOutRefused = false;
    // The fields as they were when they last showed what is stored, or a new account.
    QStringList m_storedEntries;
};

} // namespace simat
