#pragma once

#include "data/audit_log.h"
#include "ui/screen.h"

#include <memory>

namespace Ui {
class AuditLogForm;
class RecordHistoryForm;
} // namespace Ui

namespace simat {

class Statement;

// "سجل التغييرات": the audit log newest first, narrowed to a period, a user, a case and a
// table, its rows read as the list scrolls; printed as it is narrowed.
class TAuditLogForm : public TScreen {
    Q_OBJECT
public:
    explicit TAuditLogForm(QWidget *parent = nullptr);
    ~TAuditLogForm() override;

    void applyUserLevel() override;

public slots:
    void spRunClick();
    void spPrintClick();
    void spExitClick();

protected:
    void FormShow() override;

private:
    void fillChoices();
    audit::LogFilter filter() const;
    QString filterText() const;

    std::unique_ptr<Ui::AuditLogForm> ui;
    std::unique_ptr<Statement> m_log;
    std::unique_ptr<Statement> m_printed;
    std::unique_ptr<Statement> m_users;
};

// The changes of the one record a screen shows (a case, a test), newest first.
class TRecordHistoryForm : public TScreen {
    Q_OBJECT
public:
    explicit TRecordHistoryForm(QWidget *parent = nullptr);
    ~TRecordHistoryForm() override;

    static TRecordHistoryForm *instance();
    void showRecord(const QString &title, const QStringList &tables, const audit::Key &key);

public slots:
    void spExitClick();

private:
    std::unique_ptr<Ui::RecordHistoryForm> ui;
    std::unique_ptr<Statement> m_history;
};

} // namespace simat
