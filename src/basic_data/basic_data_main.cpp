#include "basic_data_main.h"

#include "ui/action.h"
#include "ui/global.h"
#include "ui/screens.h"
#include "ui_basic_data_main.h"

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
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
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
    connect(ui->spExit, &QToolButton::clicked, this,
            guarded(this, &TBasicDataMainForm::spExitClick));
    installFunctionKeys();
}

TBasicDataMainForm::~TBasicDataMainForm() = default;

void TBasicDataMainForm::applyUserLevel()
{
    const int level = globals().session.SessionUserLevel;
    ui->SP_users->setEnabled(level == 0);
    ui->SP_class_info_source->setEnabled(level <= 1);
    ui->SP_class_testers->setEnabled(level <= 1);
    ui->SP_info_source->setEnabled(true);
    ui->SP_testers->setEnabled(true);
    ui->SP_students->setEnabled(true);
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

void TBasicDataMainForm::SP_usersClick()
{
    screens::show(QStringLiteral("UsersForm"));
}

void TBasicDataMainForm::spExitClick()
{
    close();
}

} // namespace simat
