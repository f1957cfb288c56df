#include "core/counted_words.h"
#include "report_engine/render.h"
#include "report_engine/report.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

namespace simat::report {

namespace {

Report::FailureHandler &failureHandler()
{
    static Report::FailureHandler handler = [](QWidget *over, const QString &text) {
        QMessageBox::critical(over, QString(), text);
    };
    return handler;
}

Report::SavePathChooser &savePathChooser()
{
    static Report::SavePathChooser chooser = [](QWidget *over, const QString &caption,
                                                const QString &fileName, const QString &filter) {
        return QFileDialog::getSaveFileName(over, caption, fileName, filter);
    };
    return chooser;
}

// A progress window over a long lay-out, shown once it has taken half a second after its first
// rows, whose Cancel stops it.
class LayoutProgress {
public:
    LayoutProgress(Report &report, QWidget *over)
        : m_report(report)
    {
        m_report.progress = [this, over](int done, Report::Counted what) {
            return goOn(over, what == Report::Counted::Rows
                                  ? QStringLiteral("جارى إعداد التقرير…\n") + arabic::rows(done)
                                  : QStringLiteral("جارى طباعة التقرير…\n") + arabic::pages(done));
        };
    }
    ~LayoutProgress() { m_report.progress = nullptr; }

private:
    bool goOn(QWidget *over, const QString &howFar)
    {
        if (!m_clock.isValid())
            m_clock.start();
        if (!m_window && m_clock.elapsed() < 500)
            return true;
        if (!m_window) {
            m_window = std::make_unique<QProgressDialog>(QStringLiteral("جارى إعداد التقرير…"),
                                                         QStringLiteral("إلغاء"), 0, 0, over);
            m_window->setWindowTitle(m_report.caption);
            m_window->setWindowModality(Qt::WindowModal);
            m_window->setLayoutDirection(Qt::RightToLeft);
            // Room for the report's caption in the title.
            m_window->setMinimumWidth(420);
            m_window->setMinimumDuration(0);
            m_window->show();
        }
        m_window->setLabelText(howFar);
        QCoreApplication::processEvents();
        return !m_window->wasCanceled();
    }

    Report &m_report;
    QElapsedTimer m_clock;
    std::unique_ptr<QProgressDialog> m_window;
};

// Runs a step of the preview under a progress window; what it throws is shown over the
// preview, which stays open. A lay-out the user cancelled closes the preview.
void runStep(Report &report, QDialog *preview, const std::function<void()> &step)
{
    LayoutProgress progress(report, preview);
    try {
        step();
    } catch (const LayoutCancelled &) {
        QTimer::singleShot(0, preview, &QDialog::reject);
    } catch (const std::exception &failure) {
        failureHandler()(preview, QString::fromUtf8(failure.what()));
    }
}

} // namespace

void Report::setFailureHandler(FailureHandler handler)
{
    failureHandler() = std::move(handler);
}

void Report::setSavePathChooser(SavePathChooser chooser)
{
    savePathChooser() = std::move(chooser);
}

QString Report::pdfFileName() const
{
    return objectName() + QStringLiteral(".pdf");
}

void Report::savePdf(QWidget *dialog, const QPageLayout &layout)
{
    QString path = savePathChooser()(dialog, QStringLiteral("حفظ PDF"), pdfFileName(),
                                     QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    if (!writePdf(path, layout))
        failureHandler()(dialog, QStringLiteral("تعذر حفظ الملف %1").arg(path));
}

int Report::preview(QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(pageLayout());
    printer.setDocName(objectName());
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("ReportPreview"));
    dialog.setWindowTitle(caption.isEmpty() ? objectName() : caption);
    // Opened maximised, the window manager fits the window with its frame into the screen's free
    // area; restored, it keeps a size that fits as well.
    const QRect room = dialog.screen()->availableGeometry();
    dialog.resize(room.size() * 0.85);
    dialog.setWindowState(Qt::WindowMaximized);
    dialog.setLayoutDirection(Qt::RightToLeft);
    // Laid out anew whenever the preview repaints, so a change of the page set-up is followed
    // and a print from the preview runs the report again from its beginning.
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this, &dialog](QPrinter *target) {
        runStep(*this, &dialog, [this, target] { print(target); });
    });
    if (auto *toolBar = dialog.findChild<QToolBar *>()) {
        auto *save = new QAction(dialog.style()->standardIcon(QStyle::SP_DialogSaveButton),
                                 QStringLiteral("حفظ PDF"), toolBar);
        toolBar->insertAction(toolBar->actions().value(0), save);
        toolBar->insertSeparator(toolBar->actions().value(1));
        save->setObjectName(QStringLiteral("savePdfAction"));
        connect(save, &QAction::triggered, &dialog, [this, &dialog, &printer] {
            runStep(*this, &dialog,
                    [this, &dialog, &printer] { savePdf(&dialog, printer.pageLayout()); });
        });
    }
    return dialog.exec();
}

} // namespace simat::report
