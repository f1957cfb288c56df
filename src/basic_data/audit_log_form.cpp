#include "audit_log_form.h"

#include "core/bidi.h"
#include "core/numbers.h"
#include "core/permissions.h"
#include "data/audit_words.h"
#include "data/dm.h"
#include "data/statement.h"
#include "reports/audit_log_report.h"
#include "ui/action.h"
#include "ui/global.h"
#include "ui/grid_model.h"
#include "ui/screens.h"
#include "ui_audit_log_form.h"
#include "ui_record_history.h"

#include <QStyle>

namespace simat {

namespace {

QList<GridColumn> logColumns(bool withRecord)
{
    QList<GridColumn> columns = {{QStringLiteral("changed_time"), QStringLiteral("الوقت"), 160},
                                 {QStringLiteral("user_name"), QStringLiteral("المستخدم"), 85},
                                 {QStringLiteral("host_name"), QStringLiteral("جهاز العمل"), 90},
                                 {QStringLiteral("change_words"), QStringLiteral("التغيير"), 55},
                                 {QStringLiteral("table_words"), QStringLiteral("الجدول"), 105}};
    if (withRecord)
        columns << GridColumn{QStringLiteral("record_words"), QStringLiteral("السجل"), 260};
    columns << GridColumn{QStringLiteral("item_words"), QStringLiteral("البند"), 150}
            << GridColumn{QStringLiteral("field_words"), QStringLiteral("الحقل"), 130}
            << GridColumn{QStringLiteral("old_words"), QStringLiteral("القيمة السابقة"), 120}
            << GridColumn{QStringLiteral("new_words"), QStringLiteral("القيمة الجديدة"), 120};
    return columns;
}

std::unique_ptr<Statement> logStatement(const char *name, bool streamed)
{
    auto log = std::make_unique<Statement>(TDataModule1::instance()->Database1, QLatin1String(name),
                                           audit::logLines());
    log->setStreamed(streamed);
    return log;
}

} // namespace

TAuditLogForm::TAuditLogForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::AuditLogForm>())
    , m_log(logStatement("AuditLogQuery", true))
    , m_printed(logStatement("AuditLogReportQuery", false))
    , m_users(std::make_unique<Statement>(
          TDataModule1::instance()->Database1, QStringLiteral("AuditLogUsers"),
          QStringList{QStringLiteral("select user_code, a_name from users order by user_code")}))
{
    ui->setupUi(this);
    ui->spRun->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    ui->spPrint->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(ui->spRun, &QToolButton::clicked, this, guarded(this, &TAuditLogForm::spRunClick));
    connect(ui->spPrint, &QToolButton::clicked, this, guarded(this, &TAuditLogForm::spPrintClick));
    connect(ui->spExit, &QToolButton::clicked, this, guarded(this, &TAuditLogForm::spExitClick));
    bindGrid(ui->DBGlog, m_log.get(), logColumns(true));
    installFunctionKeys();
}

TAuditLogForm::~TAuditLogForm() = default;

void TAuditLogForm::applyUserLevel()
{
    const bool allowed = permissions::mayReadAuditLog(sessionAccess());
    ui->spRun->setEnabled(allowed);
    ui->spPrint->setEnabled(allowed);
}

void TAuditLogForm::FormShow()
{
    applyUserLevel();
    const QDate today = QDate::currentDate();
    ui->DTfrom->setDate(today.addMonths(-1));
    ui->DTto->setDate(today);
    ui->eStudentCode->clear();
    fillChoices();
    spRunClick();
}

void TAuditLogForm::fillChoices()
{
    ui->CBuser->clear();
    ui->CBuser->addItem(QStringLiteral("الكل"), 0);
    m_users->open();
    for (m_users->first(); !m_users->atEnd(); m_users->next())
        ui->CBuser->addItem(m_users->textValue(QStringLiteral("a_name")),
                            m_users->intValue(QStringLiteral("user_code")));
    m_users->close();
    ui->CBtable->clear();
    ui->CBtable->addItem(QStringLiteral("الكل"), QString());
    for (const auto &[table, words] : audit::loggedTables())
        ui->CBtable->addItem(words, table);
}

audit::LogFilter TAuditLogForm::filter() const
{
    const QString caseCode = ui->eStudentCode->text().trimmed();
    return {ui->DTfrom->date(), ui->DTto->date(), ui->CBuser->currentData().toInt(),
            caseCode.isEmpty() ? 0 : wholeNumber(caseCode, QStringLiteral("كود الحالة")),
            ui->CBtable->currentData().toString()};
}

QString TAuditLogForm::filterText() const
{
    const audit::LogFilter shown = filter();
    QString text = QStringLiteral("من %1 إلى %2")
                       .arg(isolated(shown.from.toString(QStringLiteral("dd/MM/yyyy"))),
                            isolated(shown.to.toString(QStringLiteral("dd/MM/yyyy"))));
    if (shown.userCode != 0)
        text += QStringLiteral("، المستخدم ") + ui->CBuser->currentText();
    if (shown.caseCode != 0)
        text += QStringLiteral("، الحالة ") + isolated(QString::number(shown.caseCode));
    if (!shown.table.isEmpty())
        text += QStringLiteral("، ") + ui->CBtable->currentText();
    return text;
}

void TAuditLogForm::spRunClick()
{
    if (!permissions::mayReadAuditLog(sessionAccess()))
        return;
    audit::narrowToFilter(*m_log, filter());
    m_log->open();
}

void TAuditLogForm::spPrintClick()
{
    if (!permissions::mayReadAuditLog(sessionAccess()))
        return;
    audit::narrowToFilter(*m_printed, filter());
    m_printed->open();
    TAuditLogReport::instance()->previewRows(m_printed.get(), filterText(), this);
    m_printed->close();
}

void TAuditLogForm::spExitClick()
{
    close();
}

TRecordHistoryForm::TRecordHistoryForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::RecordHistoryForm>())
    , m_history(logStatement("RecordHistoryQuery", true))
{
    ui->setupUi(this);
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(ui->spExit, &QToolButton::clicked, this,
            guarded(this, &TRecordHistoryForm::spExitClick));
    bindGrid(ui->DBGhistory, m_history.get(), logColumns(false));
    installFunctionKeys();
}

TRecordHistoryForm::~TRecordHistoryForm() = default;

TRecordHistoryForm *TRecordHistoryForm::instance()
{
    return screens::find<TRecordHistoryForm>(QStringLiteral("RecordHistoryForm"));
}

void TRecordHistoryForm::showRecord(const QString &title, const QStringList &tables,
                                    const audit::Key &key)
{
    ui->LRecord->setText(title);
    audit::narrowToRecord(TDataModule1::instance()->Database1, *m_history, tables, key);
    m_history->open();
    showScreen();
}

void TRecordHistoryForm::spExitClick()
{
    close();
}

} // namespace simat
