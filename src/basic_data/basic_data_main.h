#pragma once

#include "ui/screen.h"

#include <memory>

namespace Ui {
class BasicDataMainForm;
}

namespace simat {

// The basic-data menu: the four lookup tables of testers and information sources, the cases,
// the user accounts, and the backup and restore of the register. A lookup button hands itself
// to the lookup screen it opens, which then chooses its table.
class TBasicDataMainForm : public TScreen {
    Q_OBJECT
public:
    explicit TBasicDataMainForm(QWidget *parent = nullptr);
    ~TBasicDataMainForm() override;

    void applyUserLevel() override;

public slots:
    void SP_class_info_sourceClick();
    void SP_class_testersClick();
    void SP_info_sourceClick();
    void SP_testersClick();
    void SP_studentsClick();
    void SP_usersClick();
    void spImportCasesClick();
    void SP_audit_logClick();
    void spBackupClick();
    void spRestoreClick();
    void spExitClick();

private:
    void openLookupScreen(QObject *button, const QString &screenName);

    std::unique_ptr<Ui::BasicDataMainForm> ui;
};

} // namespace simat
