#include "login.h"

#include "change_password.h"
#include "core/numbers.h"
#include "core/product.h"
#include "data/accounts.h"
#include "data/dm.h"
#include "platform.h"
#include "startup.h"
#include "ui/action.h"
#include "ui/global.h"
#include "ui/jpeg.h"
#include "ui/messages.h"
#include "ui/screens.h"
#include "ui/work_progress.h"
#include "ui_login.h"

#include <QPixmap>
#include <QScopeGuard>
#include <QStyle>
#include <functional>
#include <optional>

namespace simat {

namespace {

// Opens a register through `open`; bringing one of an earlier version up to date shows how far
// it has gone, since hashing the passwords of many accounts takes a while. What the open found
// and left as it was is told.
void openRegister(Database &database, QWidget *parent, const std::function<void()> &open)
{
    std::optional<WorkProgress> progress;
    database.setMigrationProgress([&](qint64 done, qint64 total) {
        if (!progress)
            progress.emplace(parent,
                             QStringLiteral("جارٍ تحديث قاعدة البيانات لهذا الإصدار من البرنامج…"));
        return progress->report()(done, total);
    });
    const auto forgetProgress = qScopeGuard([&database] { database.setMigrationProgress({}); });
    open();
    if (const QString warning = database.takeOpenWarning(); !warning.isEmpty())
        messages::info(warning, parent);
}

const QString readOnlyRegister =
    QStringLiteral("قاعدة البيانات للقراءة فقط - لن يمكن حفظ أي تعديل");

// The windows that stay when a session ends.
const QStringList outsideTheSession = {QStringLiteral("StartupForm"), QStringLiteral("LoginForm")};

} // namespace

TLoginForm::TLoginForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::LoginForm>())
{
    ui->setupUi(this);
    setFixedSize(size());
    ui->LArabicTitle->setText(product::arabicName);
    ui->LLatinTitle->setText(product::latinName);
    ui->LPicture->setPixmap(
        QPixmap::fromImage(jpeg::resourcePicture(QStringLiteral("login_picture.jpg"))));
    ui->spLogin->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(ui->Euser_code, &QLineEdit::returnPressed, ui->Epassword,
            qOverload<>(&QWidget::setFocus));
    connect(ui->Epassword, &QLineEdit::returnPressed, this,
            guarded(this, &TLoginForm::loginAttempt));
    connect(ui->spLogin, &QToolButton::clicked, this, guarded(this, &TLoginForm::spLoginClick));
    connect(ui->spExit, &QToolButton::clicked, this, guarded(this, &TLoginForm::spExitClick));
    installFunctionKeys();
}

TLoginForm::~TLoginForm() = default;

void TLoginForm::FormShow()
{
    ui->Euser_code->clear();
    ui->Epassword->clear();
    ReportHeadings &headings = globals().headings;
    headings.CompanyArabicName = product::arabicName;
    headings.CompanyLatinName = product::latinName;
    headings.BranchArabicName.clear();
    headings.CompanyArabicAddress.clear();
    headings.BranchLatinName.clear();
    headings.CompanyLatinAddress.clear();
    ui->spLogin->setVisible(true);
    ui->spExit->setVisible(true);
    ui->Euser_code->setFocus();
}

void TLoginForm::spLoginClick()
{
    loginAttempt();
}

void TLoginForm::spExitClick()
{
    close();
}

void TLoginForm::loginAttempt()
{
    if (ui->Euser_code->text().isEmpty() || ui->Epassword->text().isEmpty()) {
        messages::info(QStringLiteral("أدخل كود المُستخدم وكلمة المرور"), this);
        return;
    }
    const DatabaseAlias alias = resolveVumAlias();
    const Database &current = TDataModule1::instance()->Database1;
    if (current.isOpen() && current.alias().definition != alias.definition)
        logInToAnotherRegister(alias);
    else
        logInToSessionRegister(alias);
}

// The register the session works on, or the first one a login opens.
void TLoginForm::logInToSessionRegister(const DatabaseAlias &alias)
{
    TDataModule1 *dm = TDataModule1::instance();
    openRegister(dm->Database1, this, [&] { dm->openDatabase(alias); });
    loadChecklistQuestionCount();
    const accounts::LoginResult login = accounts::logIn(*dm, typedCode(), ui->Epassword->text());
    if (accepted(login))
        enterSession(login);
}

// The alias now names another register than the session's: the user is checked there on a
// connection of its own, and the session's register and screens stay as they are unless the
// login is accepted. Then the screens of the earlier session, which show rows of the earlier
// register, close (each asking as its closing does) before the session moves over.
void TLoginForm::logInToAnotherRegister(const DatabaseAlias &alias)
{
    const int code = typedCode();
    accounts::LoginResult login;
    {
        Database other(QStringLiteral("login-check"));
        openRegister(other, this, [&] { other.open(alias); });
        login = accounts::logIn(other, code, ui->Epassword->text());
    }
    if (!accepted(login) || !screens::closeAllBut(outsideTheSession))
        return;
    TDataModule1::instance()->openDatabase(alias);
    loadChecklistQuestionCount();
    enterSession(login);
}

int TLoginForm::typedCode() const
{
    return wholeNumber(ui->Euser_code->text(), QStringLiteral("كود المستخدم"));
}

bool TLoginForm::accepted(const accounts::LoginResult &login)
{
    using Outcome = accounts::LoginResult::Outcome;
    if (login.outcome == Outcome::Accepted)
        return true;
    messages::info(login.outcome == Outcome::Waiting
                       ? QStringLiteral("محاولات دخول كثيرة خاطئة - انتظر %1 ثانية ثم حاول "
                                        "مرة أخرى")
                             .arg(login.secondsLeft)
                       : QStringLiteral("مستخدم غير معرف علي النظام"),
                   this);
    ui->Euser_code->setFocus();
    return false;
}

// A register that can only be read is said to be so before its screens open, each with no way
// to change it.
void TLoginForm::enterSession(const accounts::LoginResult &login)
{
    fillSession(login.account);
    screens::sessionUserChanged();
    if (globals().session.RegisterReadOnly)
        messages::info(readOnlyRegister, this);
    ui->Euser_code->clear();
    ui->Epassword->clear();
    ui->Euser_code->setFocus();
    if (login.mustChangePassword)
        screens::object<TChangePasswordForm>(QStringLiteral("ChangePasswordForm"))
            ->askFor(TChangePasswordForm::Occasion::FirstLogin);
    else
        screens::show(QStringLiteral("MainForm"));
    close();
}

void TLoginForm::loadChecklistQuestionCount()
{
    Statement *count = TDataModule1::instance()->GetMeasQuesCountQuery;
    count->open();
    globals().ChecklistQuestionCount = count->intValue(QStringLiteral("meas_ques_count"));
    count->close();
}

// The session keeps no password, nor anything that would give one back.
void TLoginForm::fillSession(const accounts::Account &account)
{
    Session &session = globals().session;
    session.SessionUserCode = account.code;
    session.SessionUserArabicName = account.arabicName;
    session.SessionUserLatinName = account.latinName;
    session.SessionUserLevel = account.level;
    session.SessionUserPassword.clear();
    session.RegisterReadOnly = TDataModule1::instance()->Database1.isReadOnly();
    TDataModule1::instance()->Database1.setSessionUser(account.code);
}

} // namespace simat
