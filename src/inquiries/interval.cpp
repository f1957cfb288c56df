#include "interval.h"

#include "core/error.h"
#include "data/dm.h"
#include "data/period_export.h"
#include "reports/all_cases_report.h"
#include "ui/action.h"
#include "ui/file_dialog.h"
#include "ui/global.h"
#include "ui/messages.h"
#include "ui/screens.h"
#include "ui/work_progress.h"
#include "ui_interval.h"

#include <QFile>
#include <QFileInfo>
#include <QStyle>

namespace simat {

TIntervalForm::TIntervalForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::IntervalForm>())
{
    ui->setupUi(this);
    ui->spRun->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(ui->spRun, &QToolButton::clicked, this, guarded(this, &TIntervalForm::spRunClick));
    ui->spExport->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    connect(ui->spExport, &QToolButton::clicked, this,
            guarded(this, &TIntervalForm::spExportClick));
    connect(ui->spExit, &QToolButton::clicked, this, guarded(this, &TIntervalForm::spExitClick));
    installFunctionKeys();
    moveOnEnter();
}

TIntervalForm::~TIntervalForm() = default;

void TIntervalForm::FormShow()
{
    m_forAllCases =
        screens::lookupButtonIs(QStringLiteral("InquiresReportsForm"), "spAllStudentsTests");
    ui->DTfrom->setDate(QDate::currentDate());
    ui->DTto->setDate(QDate::currentDate());
    ui->spExport->setVisible(m_forAllCases);
    if (m_forAllCases)
        ui->STtitle->setText(
            screens::button(QStringLiteral("InquiresReportsForm"), "spAllStudentsTests")->text());
    ui->DTfrom->setFocus();
}

void TIntervalForm::spRunClick()
{
    if (m_forAllCases)
        screens::object<TAllCasesReport>(QStringLiteral("AllCasesReport"))
            ->run(ui->DTfrom->date(), ui->DTto->date(), this);
}

void TIntervalForm::spExportClick()
{
    if (!m_forAllCases)
        return;
    Database &database = TDataModule1::instance()->Database1;
    const period_export::Period period{globals().CurrentBranchNo, ui->DTfrom->date(),
                                       ui->DTto->date()};
    const int testCount = period_export::testCount(database, period);
    if (testCount == 0) {
        messages::info(TAllCasesReport::emptyPeriodText(), this);
        return;
    }
    QString path = chooseSavePath(this, QStringLiteral("تصدير الاختبارات"),
                                  period_export::testsFileName(period),
                                  QStringLiteral("ملفات CSV (*.csv);;كل الملفات (*)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1String(".csv");
    period_export::Written written;
    {
        WorkProgress progress(this, QStringLiteral("جارى تصدير الاختبارات..."));
        written = period_export::write(database, period, testCount, path, progress.report());
        try {
            period_export::writeWorkbook(database, period, testCount,
                                         period_export::workbookFilePath(path), progress.report());
        } catch (const Error &) {
            QFile::remove(path);
            QFile::remove(period_export::answersFilePath(path));
            throw;
        }
    }
    const QFileInfo tests(path);
    messages::info(QStringLiteral("تم تصدير الاختبارات (%1) وإجاباتها (%2) إلى الملفين:\n%3\n%4\n"
                                  "وإلى المصنف %5\n"
                                  "في المجلد %6\n"
                                  "الملفات لا يقرؤها ولا يعدّلها إلا حسابك على هذا الجهاز.")
                       .arg(written.tests)
                       .arg(written.answers)
                       .arg(tests.fileName(),
                            QFileInfo(period_export::answersFilePath(path)).fileName(),
                            QFileInfo(period_export::workbookFilePath(path)).fileName(),
                            messages::folderText(path)),
                   this, messages::Sound::Silent);
}

void TIntervalForm::spExitClick()
{
    close();
}

} // namespace simat
