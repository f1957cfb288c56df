#include "basic_data_main.h"

#include "core/bidi.h"
#include "core/permissions.h"
#include "data/backup.h"
#include "data/dm.h"
#include "ui/action.h"
#include "ui/file_dialog.h"
#include "ui/global.h"
#include "ui/messages.h"
#include "ui/screens.h"
#include "ui/work_progress.h"
#include "ui_basic_data_main.h"

#include <QFileInfo>
#include <QStyle>

namespace simat {

TBasicDataMainForm::TBasicDataMainForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::BasicDataMainForm>())
{
    ui->setupUi(this);
    setFixedSize(size());
    setBackgroundPicture(QStringLiteral("main_background.jpg"));
    const QIcon table = style()->standardIcon(QStyle::SP_FileDialogDetailedView);
    for (QToolButton *button :
         {ui->SP_class_info_source, ui->SP_class_testers, ui->SP_info_source, ui->SP_testers})
        button->setIcon(table);
    ui->SP_students->setIcon(style()->standardIcon(QStyle::SP_DirHomeIcon));
    ui->SP_users->setIcon(style()->standardIcon(QStyle::SP_DialogYesButton));
    ui->SP_audit_log->setIcon(style()->standardIcon(QStyle::SP_FileDialogInfoView));
    connect(ui->SP_audit_log, &QToolButton::clicked, this,
            guarded(this, &TBasicDataMainForm::SP_audit_logClick));
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    ui->spBackup->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    ui->spRestore->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    connect(ui->SP_class_info_source, &QToolButton::clicked, this,
            guarded(this, &TBasicDataMainForm::SP_class_info_sourceClick));
    connect(ui->SP_class_testers, &QToolButton::clicked, this,
            guarded(this, &TBasicDataMainForm::SP_class_testersClick));
    connect(ui->SP_info_source, &QToolButton::clicked, this,
            guarded(this, &TBasicDataMainForm::SP_info_sourceClick));
    connect(ui->SP_testers, &QToolButton::clicked, this,
            guarded(this, &TBasicDataMainForm::SP_testersClick));
    connect(ui->SP_students, &QToolButton::clicked, this,
            guarded(this, &TBasicDataMainForm::SP_studentsClick));
    connect(ui->SP_users, &QToolButton::clicked, this,
            guarded(this, &TBasicDataMainForm::SP_usersClick));
    connect(ui->spBackup, &QToolButton::clicked, this,
            guarded(this, &TBasicDataMainForm::spBackupClick));
    connect(ui->spRestore, &QToolButton::clicked, this,
            guarded(this, &TBasicDataMainForm::spRestoreClick));
    connect(ui->spExit, &QToolButton::clicked, this,
            guarded(this, &TBasicDataMainForm::spExitClick));
    ui->spImportCases->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    connect(ui->spImportCases, &QToolButton::clicked, this,
            guarded(this, &TBasicDataMainForm::spImportCasesClick));
    installFunctionKeys();
}

TBasicDataMainForm::~TBasicDataMainForm() = default;

void TBasicDataMainForm::applyUserLevel()
{
    const permissions::Access access = sessionAccess();
    ui->SP_users->setEnabled(permissions::mayOpenAccounts(access));
    ui->SP_audit_log->setEnabled(permissions::mayReadAuditLog(access));
    ui->spBackup->setEnabled(permissions::mayBackUpRegister(access));
    ui->spRestore->setEnabled(permissions::mayRestoreRegister(access));
    ui->SP_class_info_source->setEnabled(permissions::mayOpenClassifications(access));
    ui->SP_class_testers->setEnabled(permissions::mayOpenClassifications(access));
    ui->SP_info_source->setEnabled(true);
    ui->SP_testers->setEnabled(true);
    ui->SP_students->setEnabled(true);
    ui->spImportCases->setEnabled(permissions::mayImportCases(access));
}

void TBasicDataMainForm::openLookupScreen(QObject *button, const QString &screenName)
{
    globals().lookup.LookupButton = button;
    screens::show(screenName);
}

void TBasicDataMainForm::SP_class_info_sourceClick()
{
    openLookupScreen(ui->SP_class_info_source, QStringLiteral("SetupDataForm"));
}

void TBasicDataMainForm::SP_class_testersClick()
{
    openLookupScreen(ui->SP_class_testers, QStringLiteral("SetupDataForm"));
}

void TBasicDataMainForm::SP_info_sourceClick()
{
    openLookupScreen(ui->SP_info_source, QStringLiteral("SetupDataLevel2Form"));
}

void TBasicDataMainForm::SP_testersClick()
{
    openLookupScreen(ui->SP_testers, QStringLiteral("SetupDataLevel2Form"));
}

void TBasicDataMainForm::SP_studentsClick()
{
    screens::show(QStringLiteral("StudentsForm"));
}

void TBasicDataMainForm::spImportCasesClick()
{
    if (permissions::mayImportCases(sessionAccess()))
        screens::show(QStringLiteral("ImportCasesForm"));
}

void TBasicDataMainForm::SP_usersClick()
{
    if (!permissions::mayOpenAccounts(sessionAccess()))
        return;
    screens::show(QStringLiteral("UsersForm"));
}

void TBasicDataMainForm::SP_audit_logClick()
{
    if (permissions::mayReadAuditLog(sessionAccess()))
        screens::show(QStringLiteral("AuditLogForm"));
}

namespace {

Database &database()
{
    return TDataModule1::instance()->Database1;
}

QString backupFilter()
{
    const bool sqlite = database().engine() == DatabaseAlias::Engine::SQLite;
    return QStringLiteral("النسخ الاحتياطية (%1);;كل الملفات (*)")
        .arg(sqlite ? QLatin1String("*.db") : QLatin1String("*.dump"));
}

// Shows the login screen and closes every other screen but the first.
void returnToLogin()
{
    screens::show(QStringLiteral("LoginForm"));
    for (QObject *object : screens::all()) {
        auto *window = qobject_cast<QWidget *>(object);
        if (window && window->isVisible() && window->objectName() != QLatin1String("StartupForm") &&
            window->objectName() != QLatin1String("LoginForm"))
            window->close();
    }
}

} // namespace

void TBasicDataMainForm::spBackupClick()
{
    if (!permissions::mayBackUpRegister(sessionAccess()))
        return;
    const QString path = chooseSavePath(this, QStringLiteral("حفظ نسخة احتياطية"),
                                        backup::fileName(database()), backupFilter());
    if (path.isEmpty())
        return;
    {
        WorkProgress progress(this, QStringLiteral("جارى حفظ النسخة الاحتياطية..."));
        backup::save(database(), path, progress.report());
    }
    messages::info(QStringLiteral("تم حفظ النسخة الاحتياطية في الملف:\n%1\nفي المجلد %2")
                       .arg(isolated(QFileInfo(path).fileName()), messages::folderText(path)),
                   this, messages::Sound::Silent);
}

void TBasicDataMainForm::spRestoreClick()
{
    if (!permissions::mayRestoreRegister(sessionAccess()))
        return;
    const QString path =
        chooseFilePath(this, QStringLiteral("استرجاع نسخة احتياطية"), QString(), backupFilter());
    if (path.isEmpty())
        return;
    {
        WorkProgress progress(this, QStringLiteral("جارى فحص النسخة الاحتياطية..."));
        backup::check(database(), path, progress.report());
    }
    if (!messages::ask(
            QStringLiteral("سيتم استبدال البيانات الحالية بالنسخة الاحتياطية - هل تريد الاستمرار؟"),
            this))
        return;
    {
        WorkProgress progress(this, QStringLiteral("جارى استرجاع النسخة الاحتياطية..."));
        backup::restore(database(), path, progress.report(), backup::Checked::Already);
    }
    messages::info(QStringLiteral("تم استرجاع النسخة الاحتياطية، سجّل الدخول من جديد"), this,
                   messages::Sound::Silent);
    returnToLogin();
}

void TBasicDataMainForm::spExitClick()
{
    close();
}

} // namespace simat
