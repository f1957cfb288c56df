#pragma once

#include "data/alias.h"
#include "ui/screen.h"

#include <memory>

namespace Ui {
class ConnectionSettingsForm;
}

namespace simat {

// The program's own connection settings: the embedded database file or a PostgreSQL server,
// tried on request and saved as the alias VUM of the user's alias file, which the next login
// opens.
class TConnectionSettingsForm : public TScreen {
    Q_OBJECT
public:
    explicit TConnectionSettingsForm(QWidget *parent = nullptr);
    ~TConnectionSettingsForm() override;

    // Whether this system has a driver for either engine.
    static bool canBeOffered();

public slots:
    void spBrowseClick();
    void spTestConnectionClick();
    void spSaveClick();
    void spExitClick();

protected:
    void FormShow() override;

private:
    void showAlias(const DatabaseAlias &alias);
    void showEngineFields();
    // The alias the fields describe; false, after its message, when a field it needs is empty.
    bool aliasOnScreen(DatabaseAlias &alias);
    void chainEnter();

    std::unique_ptr<Ui::ConnectionSettingsForm> ui;
};

} // namespace simat
