#include "login.h"

#include "core/numbers.h"
#include "core/product.h"
#include "data/dm.h"
#include "platform.h"
#include "startup.h"
#include "ui/action.h"
#include "ui/global.h"
#include "ui/jpeg.h"
#include "ui/messages.h"
#include "ui/screens.h"
#include "ui_login.h"

#include <QPixmap>
#include <QStyle>

namespace simat {

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
    TDataModule1::instance()->openDatabase();
    if (const QString warning = TDataModule1::instance()->Database1.takeOpenWarning();
        !warning.isEmpty())
        messages::info(warning, this);
    loadChecklistQuestionCount();
    const int code = wholeNumber(ui->Euser_code->text(), QStringLiteral("كود المستخدم"));
    if (!findUser(code, ui->Epassword->text())) {
        messages::info(QStringLiteral("مستخدم غير معرف علي النظام"), this);
        ui->Euser_code->setFocus();
        return;
    }
    fillSession();
    screens::sessionUserChanged();
    ui->Euser_code->clear();
    ui->Epassword->clear();
    ui->Euser_code->setFocus();
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

// Only an active account (is_active 1) logs in; any other is refused like an unknown one.
bool TLoginForm::findUser(int code, const QString &password)
{
    Statement *user = TDataModule1::instance()->FindUserQuery;
    user->setParam(QStringLiteral("code"), code);
    user->setParam(QStringLiteral("password"), password);
    user->open();
    if (user->isEmpty())
        return false;
    const QVariant state = user->value(QStringLiteral("is_active"));
    bool number = false;
    const int active = state.toInt(&number);
    return !state.isNull() && number && active == 1;
}

void TLoginForm::fillSession()
{
    const Statement *user = TDataModule1::instance()->FindUserQuery;
    Session &session = globals().session;
    session.SessionUserCode = user->intValue(QStringLiteral("user_code"));
    session.SessionUserArabicName = user->textValue(QStringLiteral("a_name"));
    session.SessionUserLatinName = user->textValue(QStringLiteral("l_name"));
    session.SessionUserLevel = user->intValue(QStringLiteral("user_level"));
    session.SessionUserPassword = user->textValue(QStringLiteral("user_password"));
}

} // namespace simat
