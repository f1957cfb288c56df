#include "main_form.h"

#include "change_password.h"
#include "core/permissions.h"
#include "startup.h"
#include "ui/action.h"
#include "ui/global.h"
#include "ui/screens.h"
#include "ui_main_form.h"

#include <QCloseEvent>

#include <QStyle>

namespace simat {

TMainForm::TMainForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::MainForm>())
{
    ui->setupUi(this);
    setFixedSize(size());
    setBackgroundPicture(QStringLiteral("main_background.jpg"));
    ui->SP_start_test->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    ui->SP_inq_rep->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    ui->SP_basic_data->setIcon(style()->standardIcon(QStyle::SP_DirHomeIcon));
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    ui->spChangePassword->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    connect(ui->SP_start_test, &QToolButton::clicked, this,
            guarded(this, &TMainForm::SP_start_testClick));
    connect(ui->SP_inq_rep, &QToolButton::clicked, this,
            guarded(this, &TMainForm::SP_inq_repClick));
    connect(ui->SP_basic_data, &QToolButton::clicked, this,
            guarded(this, &TMainForm::SP_basic_dataClick));
    connect(ui->spChangePassword, &QToolButton::clicked, this,
            guarded(this, &TMainForm::spChangePasswordClick));
    connect(ui->spExit, &QToolButton::clicked, this, guarded(this, &TMainForm::spExitClick));
    installFunctionKeys();
}

TMainForm::~TMainForm() = default;

void TMainForm::applyUserLevel()
{
    const permissions::Access access = sessionAccess();
    ui->SP_basic_data->setEnabled(permissions::mayOpenBasicData(access));
    ui->SP_start_test->setEnabled(permissions::mayOpenTestScreen(access));
    ui->SP_inq_rep->setEnabled(true);
    ui->spChangePassword->setEnabled(permissions::mayChangeOwnPassword(access));
    showSessionUser();
}

void TMainForm::showSessionUser()
{
    const Session &session = globals().session;
    ui->LSessionUser->setText(session.SessionUserArabicName + QStringLiteral(" - مستوى ") +
                              QString::number(session.SessionUserLevel));
}

void TMainForm::SP_start_testClick()
{
    struct FlagDuringShow {
        FlagDuringShow() { globals().StartTestFromMenu = true; }
        ~FlagDuringShow() { globals().StartTestFromMenu = false; }
    } flag;
    screens::show(QStringLiteral("MeasureDiagonsisForm"));
}

void TMainForm::SP_inq_repClick()
{
    screens::show(QStringLiteral("InquiresReportsForm"));
}

void TMainForm::SP_basic_dataClick()
{
    screens::show(QStringLiteral("BasicDataMainForm"));
}

void TMainForm::spChangePasswordClick()
{
    screens::object<TChangePasswordForm>(QStringLiteral("ChangePasswordForm"))
        ->askFor(TChangePasswordForm::Occasion::OwnChoice);
}

void TMainForm::spExitClick()
{
    close();
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    const QStringList outsideTheSession = {QStringLiteral("StartupForm"),
                                           QStringLiteral("LoginForm"), objectName()};
    if (!screens::closeAllBut(outsideTheSession)) {
        event->ignore();
        return;
    }
    TScreen::closeEvent(event);
}

} // namespace simat
