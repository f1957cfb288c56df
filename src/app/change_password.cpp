#include "change_password.h"

#include "data/accounts.h"
#include "data/dm.h"
#include "ui/action.h"
#include "ui/global.h"
#include "ui/messages.h"
#include "ui/screens.h"
#include "ui_change_password.h"

#include <QCloseEvent>
#include <QStyle>

namespace simat {

TChangePasswordForm::TChangePasswordForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::ChangePasswordForm>())
{
    ui->setupUi(this);
    setFixedSize(size());
    setWindowModality(Qt::ApplicationModal);
    ui->spSave->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(ui->eNewPassword, &QLineEdit::returnPressed, ui->eNewPasswordAgain,
            qOverload<>(&QWidget::setFocus));
    connect(ui->eNewPasswordAgain, &QLineEdit::returnPressed, this,
            guarded(this, &TChangePasswordForm::spSaveClick));
    connect(ui->spSave, &QToolButton::clicked, this,
            guarded(this, &TChangePasswordForm::spSaveClick));
    connect(ui->spExit, &QToolButton::clicked, this,
            guarded(this, &TChangePasswordForm::spExitClick));
    installFunctionKeys();
}

TChangePasswordForm::~TChangePasswordForm() = default;

void TChangePasswordForm::askFor(Occasion occasion)
{
    m_occasion = occasion;
    showScreen();
}

void TChangePasswordForm::FormShow()
{
    m_saved = false;
    ui->STtitle->setText(m_occasion == Occasion::FirstLogin
                             ? QStringLiteral("دخلت بكلمة مرور التثبيت، فاختر كلمة مرور خاصة بك "
                                              "قبل المتابعة")
                             : QStringLiteral("اكتب كلمة المرور الجديدة مرتين"));
    ui->eNewPassword->clear();
    ui->eNewPasswordAgain->clear();
    ui->eNewPassword->setFocus();
}

bool TChangePasswordForm::validateNewPassword()
{
    const QString password = ui->eNewPassword->text();
    if (!accounts::isAcceptable(password)) {
        messages::info(accounts::lengthRule, this);
        ui->eNewPassword->setFocus();
        return false;
    }
    if (password != ui->eNewPasswordAgain->text()) {
        messages::info(QStringLiteral("كلمتا المرور غير متطابقتين، اكتب كلمة المرور الجديدة "
                                      "مرة أخرى"),
                       this);
        ui->eNewPasswordAgain->clear();
        ui->eNewPasswordAgain->setFocus();
        return false;
    }
    if (password == accounts::installationPassword) {
        messages::info(QStringLiteral("لا تصلح كلمة مرور التثبيت كلمة مرور جديدة، اختر غيرها"),
                       this);
        ui->eNewPassword->clear();
        ui->eNewPasswordAgain->clear();
        ui->eNewPassword->setFocus();
        return false;
    }
    return true;
}

void TChangePasswordForm::spSaveClick()
{
    if (!validateNewPassword())
        return;
    Database &database = TDataModule1::instance()->Database1;
    const int code = globals().session.SessionUserCode;
    const QString password = ui->eNewPassword->text();
    if (!database.inTransaction([&] { accounts::setPassword(database, code, password); })) {
        messages::error(QStringLiteral("لم يتم حفظ البيانات لوجود خطأ أثناء الحفظ"),
                        accounts::withoutHashes(database.lastFailure()), this);
        return;
    }
    m_saved = true;
    messages::info(QStringLiteral("تم تغيير كلمة المرور بنجاح"), this);
    close();
    if (m_occasion == Occasion::FirstLogin)
        screens::show(QStringLiteral("MainForm"));
}

void TChangePasswordForm::spExitClick()
{
    close();
}

void TChangePasswordForm::closeEvent(QCloseEvent *event)
{
    ui->eNewPassword->clear();
    ui->eNewPasswordAgain->clear();
    if (m_occasion == Occasion::FirstLogin && !m_saved)
        logOut();
    TScreen::closeEvent(event);
}

// The session that the installation password opened ends with the window, and with it the
// main menu that any earlier login left open.
void TChangePasswordForm::logOut()
{
    if (QWidget *menu = screens::find(QStringLiteral("MainForm")); menu && menu->isVisible())
        menu->close();
    globals().session = Session();
    screens::sessionUserChanged();
}

} // namespace simat
