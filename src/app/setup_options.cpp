#include "setup_options.h"

#include "connection_settings.h"
#include "core/bidi.h"
#include "platform.h"
#include "startup.h"
#include "ui/action.h"
#include "ui/global.h"
#include "ui/messages.h"
#include "ui_setup_options.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStyle>

namespace simat {

const QStringList TSetupOptionsForm::steps = {
    QStringLiteral("* إضغط أولاً على اختيار تثبيت ملف الإعدادات."),
    QString(),
    QStringLiteral("* بعد الانتهاء من تثبيت ملف الإعدادات، إستكمل تثبيت البرنامج "),
    QStringLiteral("بالضغط على اختيار ضبط إعدادات الاتصال."),
    QString(),
    QStringLiteral("* برجاء الرجوع لتعليمات التثبيت عند الحاجة."),
};

TSetupOptionsForm::TSetupOptionsForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::SetupOptionsForm>())
    , m_connectionSettings(new TConnectionSettingsForm(this))
{
    ui->setupUi(this);
    setFixedSize(size());
    setBackgroundPicture(QStringLiteral("startup_background.jpg"));
    ui->MemoSteps->setPlainText(steps.join(QLatin1Char('\n')));
    ui->SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DriveHDIcon));
    ui->SpeedButton2->setIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(ui->SpeedButton1, &QToolButton::clicked, this,
            guarded(this, &TSetupOptionsForm::SpeedButton1Click));
    connect(ui->SpeedButton2, &QToolButton::clicked, this,
            guarded(this, &TSetupOptionsForm::SpeedButton2Click));
    connect(ui->spExit, &QToolButton::clicked, this,
            guarded(this, &TSetupOptionsForm::spExitClick));
    installFunctionKeys();
}

TSetupOptionsForm::~TSetupOptionsForm() = default;

QString TSetupOptionsForm::installerDirectory()
{
    const QString belowStart = QDir(globals().AppWorkDir).filePath(QStringLiteral("Setup"));
    const QString found =
        platform::findFile(QLatin1String(installerName),
                           QStringList{belowStart, app::besideProgram(QStringLiteral("Setup")),
                                       QStringLiteral(SIMAT_INSTALLED_SETUP)}
                               .join(QLatin1Char(';')));
    return found.isEmpty() ? belowStart : QFileInfo(found).absolutePath();
}

// Where no installer is found, the program says whether one is needed and how to run it.
void TSetupOptionsForm::SpeedButton1Click()
{
    const QString directory = installerDirectory();
    if (QFileInfo(QDir(directory).filePath(QLatin1String(installerName))).isExecutable() &&
        platform::RunDocument(QLatin1String(installerName), QString(), directory))
        return;
    if (QCoreApplication::applicationDirPath().startsWith(QLatin1String("/usr/"))) {
        messages::info(QStringLiteral("البرنامج مثبت - لا حاجة لملف الإعدادات"), this);
        return;
    }
    messages::info(QStringLiteral("لم يُعثر على ملف الإعدادات - شغّل من مجلد البرنامج الأمر ") +
                       isolated(QStringLiteral("sudo scripts/install-deps")),
                   this);
}

void TSetupOptionsForm::SpeedButton2Click()
{
    if (platform::processRunning(QLatin1String(installerName)))
        return;
    if (!TConnectionSettingsForm::canBeOffered()) {
        messages::info(QStringLiteral("البرنامج غير متاح"), this);
        return;
    }
    m_connectionSettings->showScreen();
}

void TSetupOptionsForm::spExitClick()
{
    close();
}

} // namespace simat
