#include "connection_settings.h"

#include "core/bidi.h"
#include "core/error.h"
#include "data/database.h"
#include "ui/action.h"
#include "ui/file_dialog.h"
#include "ui/messages.h"
#include "ui_connection_settings.h"

#include <QFileInfo>
#include <QIntValidator>
#include <QSqlDatabase>
#include <QStyle>

namespace simat {

namespace {

const QString sqliteDriver = QStringLiteral("QSQLITE");
const QString postgresDriver = QStringLiteral("QPSQL");

} // namespace

TConnectionSettingsForm::TConnectionSettingsForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::ConnectionSettingsForm>())
{
    ui->setupUi(this);
    setFixedSize(size());
    ui->ePort->setValidator(new QIntValidator(1, 65535, ui->ePort));
    ui->RBsqlite->setEnabled(QSqlDatabase::isDriverAvailable(sqliteDriver));
    ui->RBpostgres->setEnabled(QSqlDatabase::isDriverAvailable(postgresDriver));
    ui->spTestConnection->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    ui->spSave->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    ui->spBrowse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    ui->spBrowse->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(ui->RBsqlite, &QRadioButton::toggled, this, &TConnectionSettingsForm::showEngineFields);
    connect(ui->spBrowse, &QToolButton::clicked, this,
            guarded(this, &TConnectionSettingsForm::spBrowseClick));
    connect(ui->spTestConnection, &QToolButton::clicked, this,
            guarded(this, &TConnectionSettingsForm::spTestConnectionClick));
    connect(ui->spSave, &QToolButton::clicked, this,
            guarded(this, &TConnectionSettingsForm::spSaveClick));
    connect(ui->spExit, &QToolButton::clicked, this,
            guarded(this, &TConnectionSettingsForm::spExitClick));
    chainEnter();
    installFunctionKeys();
}

TConnectionSettingsForm::~TConnectionSettingsForm() = default;

bool TConnectionSettingsForm::canBeOffered()
{
    return QSqlDatabase::isDriverAvailable(sqliteDriver) ||
           QSqlDatabase::isDriverAvailable(postgresDriver);
}

// Enter moves to the next field of the engine chosen and saves from its last one.
void TConnectionSettingsForm::chainEnter()
{
    const QList<QLineEdit *> server = {ui->eHost, ui->ePort, ui->eDatabaseName, ui->eUserName,
                                       ui->ePassword};
    for (qsizetype field = 0; field + 1 < server.size(); ++field)
        connect(server[field], &QLineEdit::returnPressed, server[field + 1],
                qOverload<>(&QWidget::setFocus));
    for (QLineEdit *last : {ui->ePassword, ui->eDatabaseFile})
        connect(last, &QLineEdit::returnPressed, ui->spSave, &QToolButton::click);
}

// Shows the database the program would open now; an alias that does not read shows the
// embedded database.
void TConnectionSettingsForm::FormShow()
{
    try {
        showAlias(resolveVumAlias());
    } catch (const Error &) {
        showAlias(parseAlias(QLatin1String("sqlite:") + defaultEmbeddedDatabasePath()));
    }
    ui->LEnvironment->setText(
        QStringLiteral("تنبيه: متغير البيئة %1 مُعرَّف على هذا الجهاز ويتقدم على ما يُحفظ هنا؛ "
                       "يعمل البرنامج على قاعدة البيانات التي يحددها ما دام مُعرَّفاً.")
            .arg(isolated(QStringLiteral("SIMAT_ALIAS_VUM"))));
    ui->LEnvironment->setVisible(vumDefinedByEnvironment());
    ui->LAliasFile->setText(QStringLiteral("تُحفظ الإعدادات في الملف %1 وتُستخدم من الدخول التالي "
                                           "على النظام.")
                                .arg(isolated(userAliasFile())));
}

void TConnectionSettingsForm::showAlias(const DatabaseAlias &alias)
{
    const bool sqlite = alias.engine == DatabaseAlias::Engine::SQLite;
    (sqlite ? ui->RBsqlite : ui->RBpostgres)->setChecked(true);
    ui->eDatabaseFile->setText(sqlite ? alias.filePath : defaultEmbeddedDatabasePath());
    ui->eHost->setText(alias.host);
    ui->ePort->setText(alias.port < 0 ? QString() : QString::number(alias.port));
    ui->eDatabaseName->setText(alias.databaseName);
    ui->eUserName->setText(alias.userName);
    ui->ePassword->setText(alias.password);
    showEngineFields();
}

void TConnectionSettingsForm::showEngineFields()
{
    ui->GBsqlite->setEnabled(ui->RBsqlite->isChecked());
    ui->GBpostgres->setEnabled(ui->RBpostgres->isChecked());
}

bool TConnectionSettingsForm::aliasOnScreen(DatabaseAlias &alias)
{
    const auto refuse = [this](QLineEdit *field, const QString &text) {
        messages::info(text, this);
        field->setFocus();
        return false;
    };
    alias = {};
    if (ui->RBsqlite->isChecked()) {
        alias.filePath = ui->eDatabaseFile->text().trimmed();
        if (alias.filePath.isEmpty())
            return refuse(ui->eDatabaseFile, QStringLiteral("أدخل مسار ملف قاعدة البيانات"));
        alias.filePath = QFileInfo(alias.filePath).absoluteFilePath();
        return true;
    }
    alias.engine = DatabaseAlias::Engine::PostgreSQL;
    alias.host = ui->eHost->text().trimmed();
    alias.port = ui->ePort->text().isEmpty() ? -1 : ui->ePort->text().toInt();
    alias.databaseName = ui->eDatabaseName->text().trimmed();
    alias.userName = ui->eUserName->text().trimmed();
    alias.password = ui->ePassword->text();
    if (alias.host.isEmpty())
        return refuse(ui->eHost, QStringLiteral("أدخل اسم الخادم أو عنوانه"));
    if (alias.databaseName.isEmpty())
        return refuse(ui->eDatabaseName, QStringLiteral("أدخل اسم قاعدة البيانات"));
    return true;
}

void TConnectionSettingsForm::spBrowseClick()
{
    const QString chosen =
        chooseFilePath(this, QStringLiteral("اختيار ملف قاعدة البيانات"), ui->eDatabaseFile->text(),
                       QStringLiteral("SQLite (*.db *.sqlite);;* (*)"));
    if (!chosen.isEmpty())
        ui->eDatabaseFile->setText(chosen);
}

void TConnectionSettingsForm::spTestConnectionClick()
{
    DatabaseAlias alias;
    if (!aliasOnScreen(alias))
        return;
    const ConnectionTrial trial = tryConnection(alias);
    switch (trial.outcome) {
    case ConnectionTrial::Outcome::Connected:
        messages::info(QStringLiteral("تم الاتصال بقاعدة البيانات بنجاح"), this);
        break;
    case ConnectionTrial::Outcome::NewFile:
        messages::info(QStringLiteral("ملف قاعدة البيانات غير موجود بعد، وسيُنشئه البرنامج عند "
                                      "أول دخول على النظام"),
                       this);
        break;
    // What a trial found is said as it is: nothing of it is tried again by itself.
    case ConnectionTrial::Outcome::Failed:
        messages::errorWithDetails(
            QStringLiteral("تعذر الاتصال بقاعدة البيانات: %1").arg(trial.reason),
            trial.engineReason, this);
        break;
    }
}

void TConnectionSettingsForm::spSaveClick()
{
    DatabaseAlias alias;
    if (!aliasOnScreen(alias))
        return;
    try {
        saveVumAlias(formatAlias(alias));
    } catch (const Error &error) {
        messages::error(QStringLiteral("تعذر حفظ إعدادات الاتصال"), error.text(), this);
        return;
    }
    messages::info(QStringLiteral("تم حفظ إعدادات الاتصال، وتُستخدم من الدخول التالي على النظام"),
                   this);
    close();
}

void TConnectionSettingsForm::spExitClick()
{
    close();
}

} // namespace simat
