#pragma once

#include "ui/screen.h"

#include <memory>

namespace Ui {
class SetupOptionsForm;
}

namespace simat {

class TConnectionSettingsForm;

// The installation screen: starts the installer shipped beside the program, then opens the
// connection settings once the installer has finished.
class TSetupOptionsForm : public TScreen {
    Q_OBJECT
public:
    // The installer below AppWorkDir + "/Setup": the script that installs what the program needs.
    static constexpr const char *installerName = "install-deps";
    // The three points of the screen, line by line.
    static const QStringList steps;

    explicit TSetupOptionsForm(QWidget *parent = nullptr);
    ~TSetupOptionsForm() override;

    // Where the installer is: Setup below AppWorkDir, else the installed program's Setup.
    static QString installerDirectory();

public slots:
    void SpeedButton1Click();
    void SpeedButton2Click();
    void spExitClick();

private:
    std::unique_ptr<Ui::SetupOptionsForm> ui;
    TConnectionSettingsForm *m_connectionSettings;
};

} // namespace simat
