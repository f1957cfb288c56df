#include "startup_form.h"

#include "core/permissions.h"
#include "platform.h"
#include "startup.h"
#include "ui/action.h"
#include "ui/global.h"
#include "ui/screens.h"
#include "ui_startup_form.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QStyle>

namespace simat {

TStartupForm::TStartupForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::StartupForm>())
{
    ui->setupUi(this);
    setFixedSize(715, 591);
    setBackgroundPicture(QStringLiteral("startup_background.jpg"));
    ui->SP_run_prog->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    ui->SP_user_guide->setIcon(style()->standardIcon(QStyle::SP_FileDialogInfoView));
    ui->SP_install_prog->setIcon(style()->standardIcon(QStyle::SP_DriveHDIcon));
    ui->SP_installation_instructions->setIcon(
        style()->standardIcon(QStyle::SP_FileDialogContentsView));
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(ui->SP_run_prog, &QToolButton::clicked, this,
            guarded(this, &TStartupForm::SP_run_progClick));
    connect(ui->SP_install_prog, &QToolButton::clicked, this,
            guarded(this, &TStartupForm::SP_install_progClick));
    connect(ui->SP_installation_instructions, &QToolButton::clicked, this,
            guarded(this, &TStartupForm::SP_installation_instructionsClick));
    connect(ui->SP_user_guide, &QToolButton::clicked, this,
            guarded(this, &TStartupForm::SP_user_guideClick));
    connect(ui->spExit, &QToolButton::clicked, this, guarded(this, &TStartupForm::spExitClick));
    installFunctionKeys();
}

TStartupForm::~TStartupForm() = default;

void TStartupForm::applyUserLevel()
{
    const bool installAllowed = permissions::mayInstall(sessionAccess());
    ui->SP_installation_instructions->setEnabled(installAllowed);
    ui->SP_install_prog->setEnabled(installAllowed);
}

void TStartupForm::SP_run_progClick()
{
    screens::show(QStringLiteral("LoginForm"));
}

void TStartupForm::SP_install_progClick()
{
    screens::show(QStringLiteral("SetupOptionsForm"));
}

void TStartupForm::SP_installation_instructionsClick()
{
    platform::RunDocument(QStringLiteral("Installation-Instructions.pdf"), QString(),
                          app::docsDirectory());
}

void TStartupForm::SP_user_guideClick()
{
    platform::RunDocument(QStringLiteral("UserGuide.pdf"), QString(), app::docsDirectory());
}

void TStartupForm::spExitClick()
{
    close();
}

// The program ends only when every other open screen agrees to close (the test screen asks
// first when it holds answers not yet saved).
void TStartupForm::closeEvent(QCloseEvent *event)
{
    for (QObject *object : screens::all()) {
        auto *window = qobject_cast<QWidget *>(object);
        if (window && window != this && window->isVisible() && !window->close()) {
            event->ignore();
            return;
        }
    }
    event->accept();
    QCoreApplication::quit();
}

} // namespace simat
