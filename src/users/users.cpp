#include "users.h"

#include "basic_data/setup_data_report.h"
#include "core/error.h"
#include "core/numbers.h"
#include "core/permissions.h"
#include "data/accounts.h"
#include "data/audit_log.h"
#include "data/dm.h"
#include "data/statement_texts.h"
#include "ui/action.h"
#include "ui/global.h"
#include "ui/grid_model.h"
#include "ui/messages.h"
#include "ui/screens.h"
#include "ui/search.h"
#include "ui_users.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

namespace simat {

namespace {

// What the password box of a stored account says while it is empty.
const QString keptPassword = QStringLiteral("بدون تغيير");

const QString lastAdministrator =
    QStringLiteral("لا يمكن إيقاف آخر حساب نشط لمدير النظام ولا تغيير مجموعة صلاحياته، فلا بد أن "
                   "يبقى للنظام مدير نشط واحد على الأقل");

bool isEnter(QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The listing statement of the lookup tables, over the accounts; a child of the data module,
// so that it goes before the connection it reads.
Statement *makeAccountsListing()
{
    TDataModule1 *dm = TDataModule1::instance();
    auto *listing = new Statement(dm->Database1, QStringLiteral("UsersListingQuery"),
                                  texts::basicDataResult(), dm);
    listing->setLine(1, QStringLiteral("user_code"));
    listing->setLine(3, QStringLiteral("a_name"));
    listing->setLine(5, QStringLiteral("is_active"));
    listing->setLine(10, QStringLiteral("Users"));
    listing->setLine(11, QStringLiteral("order by user_code"));
    return listing;
}

} // namespace

TUsersForm::TUsersForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::UsersForm>())
{
    ui->setupUi(this);
    bindGrid(ui->dbUsersGrid, TDataModule1::instance()->UsersQuery,
             {{QStringLiteral("user_code"), QStringLiteral("كود"), 60},
              {QStringLiteral("a_name"), QStringLiteral("اسم"), 200}});
    chooseOnEnter(ui->dbUsersGrid, [this] { dbUsersGridDblClick(); });
    ui->eClosePo->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[01]?")), this));
    for (QWidget *field : {ui->eUserCode, ui->Egroup_desc, ui->eClosePo})
        field->installEventFilter(this);
    ui->spNew->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    ui->spSave->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    ui->spPrint->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    ui->SPfind_autority_group->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    m_accountsListing = makeAccountsListing();
    connectControls();
    installFunctionKeys();
}

TUsersForm::~TUsersForm() = default;

void TUsersForm::connectControls()
{
    connect(ui->spNew, &QToolButton::clicked, this, guarded(this, &TUsersForm::spNewClick));
    connect(ui->spSave, &QToolButton::clicked, this, guarded(this, &TUsersForm::spSaveClick));
    connect(ui->spPrint, &QToolButton::clicked, this, guarded(this, &TUsersForm::spPrintClick));
    connect(ui->spExit, &QToolButton::clicked, this, guarded(this, &TUsersForm::spExitClick));
    connect(ui->SPfind_autority_group, &QToolButton::clicked, this,
            guarded(this, &TUsersForm::SPfind_autority_groupClick));
    connect(ui->dbUsersGrid, &QAbstractItemView::doubleClicked, this,
            guarded(this, &TUsersForm::dbUsersGridDblClick));
    connect(ui->eUserPass, &QLineEdit::returnPressed, this,
            guarded(this, &TUsersForm::eUserPassEnter));
    connect(ui->eUserAname, &QLineEdit::returnPressed, this,
            guarded(this, &TUsersForm::eUserAnameEnter));
}

// Shown again after a close that asked already: a new account without asking.
void TUsersForm::FormShow()
{
    startNewAccount();
}

// Only level 0 keeps the accounts; another user who finds the screen open, after logging in
// while it was, sees the passwords hidden and can change nothing.
void TUsersForm::applyUserLevel()
{
    const bool administrator = permissions::mayKeepAccounts(sessionAccess());
    ui->eUserPass->setEchoMode(administrator ? QLineEdit::Normal : QLineEdit::Password);
    ui->spNew->setEnabled(administrator);
    ui->spSave->setEnabled(administrator);
}

bool TUsersForm::eventFilter(QObject *watched, QEvent *event)
{
    if (!isEnter(event))
        return TScreen::eventFilter(watched, event);
    if (watched == ui->eClosePo)
        runAction(this, [this] { eClosePoEnter(); });
    else
        runAction(this, [this] { eUserCodeEnter(); });
    return true;
}

// ---------------------------------------------------------------- new and choose

QStringList TUsersForm::entries() const
{
    QStringList shown;
    for (const QLineEdit *field : {ui->eUserCode, ui->eUserPass, ui->eUserAname, ui->eUserLname,
                                   ui->Egroup_code, ui->eClosePo})
        shown << field->text();
    for (const QCheckBox *box : {ui->CHBshow_cost_price, ui->CHKstop})
        shown << (box->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    return shown;
}

bool TUsersForm::hasUnsavedChanges() const
{
    return permissions::mayKeepAccounts(sessionAccess()) && entries() != m_storedEntries;
}

void TUsersForm::spNewClick()
{
    if (mayDropUnsavedChanges())
        startNewAccount();
}

// A new account is active: nothing of an account looked at before stays in its fields.
void TUsersForm::startNewAccount()
{
    applyUserLevel();
    proposeNextCode();
    m_chosenCode = 0;
    ui->CHKstop->setChecked(false);
    ui->CHBshow_cost_price->setChecked(true);
    ui->eClosePo->setText(QStringLiteral("0"));
    for (QLineEdit *field :
         {ui->eUserPass, ui->eUserAname, ui->eUserLname, ui->Egroup_code, ui->Egroup_desc})
        field->clear();
    ui->eUserPass->setPlaceholderText(QString());
    m_storedEntries = entries();
    ui->eUserPass->setFocus();
}

// What the new account is shown under; a save takes the next free code itself.
void TUsersForm::proposeNextCode()
{
    Statement *users = TDataModule1::instance()->UsersQuery;
    users->open();
    int greatest = 0;
    if (!users->isEmpty()) {
        users->seek(users->rowCount() - 1);
        greatest = users->intValue(QStringLiteral("user_code"));
        users->first();
        ui->dbUsersGrid->selectRow(0);
    }
    ui->eUserCode->setText(QString::number(greatest + 1));
}

void TUsersForm::dbUsersGridDblClick()
{
    const QModelIndex current = ui->dbUsersGrid->currentIndex();
    if (current.isValid() && mayDropUnsavedChanges())
        chooseAccount(current.row());
}

void TUsersForm::chooseAccount(int row)
{
    Statement *users = TDataModule1::instance()->UsersQuery;
    if (!users->seek(row))
        return;
    m_chosenCode = users->intValue(QStringLiteral("user_code"));
    ui->eUserCode->setText(QString::number(m_chosenCode));
    ui->eUserPass->clear();
    ui->eUserPass->setPlaceholderText(keptPassword);
    ui->Egroup_code->setText(users->textValue(QStringLiteral("user_level")));
    ui->eUserAname->setText(users->textValue(QStringLiteral("a_name")));
    ui->eUserLname->setText(users->textValue(QStringLiteral("l_name")));
    ui->eClosePo->setText(users->textValue(QStringLiteral("can_close_po")));
    ui->CHBshow_cost_price->setChecked(users->intValue(QStringLiteral("show_cost_price")) == 1);
    ui->CHKstop->setChecked(users->intValue(QStringLiteral("is_active")) == 0);
    showLevel();
    m_storedEntries = entries();
    ui->eUserPass->setFocus();
}

// An account whose level is not in users_levels shows no group, so that a save asks for one
// instead of making it an administrator.
void TUsersForm::showLevel()
{
    Statement *level = TDataModule1::instance()->FindLevelQuery;
    bool number = false;
    const int code = ui->Egroup_code->text().toInt(&number);
    ui->Egroup_desc->clear();
    ui->Egroup_code->clear();
    if (!number)
        return;
    level->setParam(QStringLiteral("level_code"), code);
    level->open();
    if (!level->isEmpty()) {
        ui->Egroup_desc->setText(level->textValue(QStringLiteral("a_name")));
        ui->Egroup_code->setText(level->textValue(QStringLiteral("level_code")));
    }
    level->close();
}

int TUsersForm::rowOfAccount(int code) const
{
    Statement *users = TDataModule1::instance()->UsersQuery;
    const int rows = users->rowCount();
    for (int row = 0; row < rows; ++row) {
        users->seek(row);
        if (users->intValue(QStringLiteral("user_code")) == code)
            return row;
    }
    return -1;
}

// Also what Enter in the group box does: shows the stored account of the code on screen, if
// there is one, in place of what the fields show.
void TUsersForm::eUserCodeEnter()
{
    const int row =
        rowOfAccount(wholeNumber(ui->eUserCode->text(), QStringLiteral("كود المستخدم")));
    if (row < 0) {
        ui->eUserPass->setFocus();
        return;
    }
    if (!mayDropUnsavedChanges())
        return;
    ui->dbUsersGrid->selectRow(row);
    chooseAccount(row);
}

// A stored account keeps its password while the box stays empty.
void TUsersForm::eUserPassEnter()
{
    if (ui->eUserPass->text().isEmpty() && m_chosenCode == 0) {
        messages::info(QStringLiteral("لابد من أدخال كلمة المرور للمستخدم"), this);
        ui->eUserPass->setFocus();
        return;
    }
    ui->eUserAname->setFocus();
}

void TUsersForm::eUserAnameEnter()
{
    if (ui->eUserAname->text().trimmed().isEmpty()) {
        messages::info(QStringLiteral("لابد من أدخال الأسم العربى للمستخدم"), this);
        ui->eUserAname->setFocus();
        return;
    }
    ui->SPfind_autority_group->setFocus();
}

void TUsersForm::eClosePoEnter()
{
    if (ui->eClosePo->text().isEmpty())
        ui->eClosePo->setText(QStringLiteral("0"));
}

void TUsersForm::SPfind_autority_groupClick()
{
    TSearchForm::pick({QStringLiteral("users_levels"),
                       {},
                       {},
                       ui->SPfind_autority_group,
                       [this](const QString &code, const QString &name) {
                           ui->Egroup_desc->setText(name);
                           ui->Egroup_code->setText(code);
                           return AfterChoice::Close;
                       }});
}

// ---------------------------------------------------------------- save

bool TUsersForm::validateForSave()
{
    if (ui->Egroup_code->text().isEmpty()) {
        messages::info(QStringLiteral("إختار مجموعة صلاحيات المستخدم"), this);
        return false;
    }
    if (ui->eUserPass->text().isEmpty() && m_chosenCode == 0) {
        messages::info(QStringLiteral("لابد من إدخال كلمة المرور للمستخدم"), this);
        ui->eUserPass->setFocus();
        return false;
    }
    if (!ui->eUserPass->text().isEmpty() && !accounts::isAcceptable(ui->eUserPass->text())) {
        messages::info(accounts::lengthRule, this);
        ui->eUserPass->setFocus();
        return false;
    }
    if (ui->eUserAname->text().trimmed().isEmpty()) {
        messages::info(QStringLiteral("لابد من إدخال اسم المُستخدم"), this);
        ui->eUserAname->setFocus();
        return false;
    }
    eClosePoEnter();
    return true;
}

void TUsersForm::spSaveClick()
{
    if (!validateForSave())
        return;
    Database &database = TDataModule1::instance()->Database1;
    int savedCode = 0;
    m_lockOutRefused = false;
    if (!database.inTransaction([&] { savedCode = writeAccount(); })) {
        if (m_lockOutRefused) {
            messages::info(lastAdministrator, this);
            return;
        }
        showLastAccountInList();
        messages::error(QStringLiteral("لم يتم حفظ البيانات لوجود خطأ أثناء الحفظ"),
                        accounts::withoutHashes(database.lastFailure()), this);
        return;
    }
    startNewAccount();
    if (const int row = rowOfAccount(savedCode); row >= 0) {
        ui->dbUsersGrid->selectRow(row);
        chooseAccount(row);
    }
    showLastAccountInList();
    messages::info(QStringLiteral("تم حفظ التعديلات بنجاح "), this);
}

// A chosen account is updated; a new one takes the next code of the table inside the
// transaction, so that two workstations never store two accounts under one code.
int TUsersForm::writeAccount()
{
    TDataModule1 *dm = TDataModule1::instance();
    if (m_chosenCode != 0) {
        refuseLockingOut(m_chosenCode);
        audit::RecordChange change(dm->Database1, QStringLiteral("users"),
                                   {{QStringLiteral("user_code"), m_chosenCode}});
        bindAccount(m_chosenCode, false);
        if (dm->UpdateUser->exec() != 1)
            throw Error(QStringLiteral("الحساب غير موجود"));
        change.log();
        return m_chosenCode;
    }
    const int code = dm->nextSerial(QStringLiteral("user_code"), QStringLiteral("users"));
    audit::RecordChange change(dm->Database1, QStringLiteral("users"),
                               {{QStringLiteral("user_code"), code}});
    bindAccount(code, true);
    dm->AddNewUser->exec();
    change.log();
    return code;
}

// Stopping or lowering the last active account of level 0 would leave nobody to manage the
// accounts: the save is refused. The lock keeps two such saves from passing one another.
void TUsersForm::refuseLockingOut(int code)
{
    TDataModule1 *dm = TDataModule1::instance();
    dm->Database1.serializeNumbering(QStringLiteral("users"));
    Statement *stored = dm->FindUserCodeQuery;
    stored->setParam(QStringLiteral("user_code"), code);
    stored->open();
    if (stored->isEmpty())
        throw Error(QStringLiteral("الحساب غير موجود"));
    const bool wasAdministrator = stored->intValue(QStringLiteral("user_level")) == 0 &&
                                  stored->intValue(QStringLiteral("is_active")) == 1;
    stored->close();
    const bool staysAdministrator =
        wholeNumber(ui->Egroup_code->text(), QStringLiteral("مجموعة الصلاحيات")) == 0 &&
        !ui->CHKstop->isChecked();
    if (!wasAdministrator || staysAdministrator)
        return;
    Statement *others = dm->OtherActiveAdministratorsQuery;
    others->setParam(QStringLiteral("user_code"), code);
    others->open();
    const int otherAdministrators = others->intValue(QStringLiteral("admin_count"));
    others->close();
    if (otherAdministrators == 0) {
        m_lockOutRefused = true;
        throw Error(lastAdministrator);
    }
}

void TUsersForm::bindAccount(int code, bool insert)
{
    TDataModule1 *dm = TDataModule1::instance();
    Statement *statement = insert ? dm->AddNewUser : dm->UpdateUser;
    const int user = globals().session.SessionUserCode;
    const QDate today = QDate::currentDate();
    statement->setParam(QStringLiteral("user_code"), code);
    statement->setParam(QStringLiteral("a_name"), ui->eUserAname->text());
    statement->setParam(QStringLiteral("l_name"), ui->eUserLname->text());
    statement->setParam(QStringLiteral("user_password"),
                        accounts::passwordToStore(dm->Database1, code, ui->eUserPass->text()));
    statement->setParam(QStringLiteral("user_level"),
                        wholeNumber(ui->Egroup_code->text(), QStringLiteral("مجموعة الصلاحيات")));
    statement->setParam(QStringLiteral("can_close_po"),
                        wholeNumber(ui->eClosePo->text(), QStringLiteral("صلاحية الإغلاق")));
    statement->setParam(QStringLiteral("show_cost_price"),
                        ui->CHBshow_cost_price->isChecked() ? 1 : 0);
    statement->setParam(QStringLiteral("trans_date"), today);
    statement->setParam(QStringLiteral("is_active"), ui->CHKstop->isChecked() ? 0 : 1);
    statement->setParam(QStringLiteral("who_update"), user);
    statement->setParam(QStringLiteral("entry_type"), insert ? 1 : 2);
    if (insert) {
        statement->setParam(QStringLiteral("entry_date"), today);
        statement->setParam(QStringLiteral("who_insert"), user);
    }
}

void TUsersForm::showLastAccountInList()
{
    const int rows = TDataModule1::instance()->UsersQuery->rowCount();
    if (rows > 0)
        ui->dbUsersGrid->selectRow(rows - 1);
}

void TUsersForm::spPrintClick()
{
    m_accountsListing->open();
    if (m_accountsListing->isEmpty()) {
        messages::info(QStringLiteral("لاتوجد بيانات للطباعة"), this);
        return;
    }
    screens::object<TSetupDataReportForm>(QStringLiteral("SetupDataReportForm"))
        ->previewRows(m_accountsListing, QStringLiteral("حسابات المُستخدمين"), this);
}

void TUsersForm::spExitClick()
{
    close();
}

} // namespace simat
