#include "startup_form.h"

#include "core/bidi.h"
#include "core/permissions.h"
#include "platform.h"
#include "startup.h"
#include "ui/action.h"
#include "ui/global.h"
#include "ui/messages.h"
#include "ui/screens.h"
#include "ui_startup_form.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
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

namespace {

// A button a level keeps grey says who may use it.
void offerTo(QAbstractButton *button, const QString &action, bool allowed)
{
    button->setEnabled(allowed);
    button->setToolTip(allowed ? action
                               : action + QStringLiteral(" - لمدير النظام (المستوى 0): سجّل الدخول "
                                                         "بحسابه ثم ارجع إلى هذه الشاشة"));
}

// Opens a guide of the program, or says why it cannot.
void openGuide(const QString &fileName, QWidget *owner)
{
    const QString path = QDir(app::docsDirectory()).filePath(fileName);
    const QString shown = isolated(QDir::toNativeSeparators(path));
    if (!QFileInfo::exists(path)) {
        messages::info(QStringLiteral("لم يُعثر على الدليل في %1").arg(shown), owner);
        return;
    }
    if (!platform::hasViewerFor(QStringLiteral("application/pdf")) ||
        !platform::RunDocument(fileName, QString(), app::docsDirectory()))
        messages::info(QStringLiteral("لا يوجد على هذا الجهاز برنامج لعرض ملفات PDF - ثبّت برنامجاً "
                                      "لعرضها، أو افتح الدليل %1 على جهاز آخر")
                           .arg(shown),
                       owner);
}

} // namespace

void TStartupForm::applyUserLevel()
{
    const bool installAllowed = permissions::mayInstall(sessionAccess());
    offerTo(ui->SP_installation_instructions, QStringLiteral("تعليمات التثبيت"), installAllowed);
    offerTo(ui->SP_install_prog, QStringLiteral("تثبيت البرنامج"), installAllowed);
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
    openGuide(QStringLiteral("Installation-Instructions.pdf"), this);
}

void TStartupForm::SP_user_guideClick()
{
    openGuide(QStringLiteral("UserGuide.pdf"), this);
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
