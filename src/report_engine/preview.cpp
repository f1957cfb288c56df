#include "report_engine/file_dialog.h"
#include "report_engine/render.h"
#include "report_engine/report.h"

#include <QAction>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QStyle>
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

// Runs a step of the preview; what it throws is shown over the preview, which stays open.
void runStep(QWidget *over, const std::function<void()> &step)
{
    try {
        step();
    } catch (const std::exception &failure) {
        failureHandler()(over, QString::fromUtf8(failure.what()));
    }
}

} // namespace

void Report::setFailureHandler(FailureHandler handler)
{
    failureHandler() = std::move(handler);
}

void Report::savePdf(QWidget *dialog, const QPageLayout &layout)
{
    QString path =
        chooseSavePath(dialog, QStringLiteral("حفظ PDF"), objectName() + QStringLiteral(".pdf"),
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
        runStep(&dialog, [this, target] { print(target); });
    });
    if (auto *toolBar = dialog.findChild<QToolBar *>()) {
        auto *save = new QAction(dialog.style()->standardIcon(QStyle::SP_DialogSaveButton),
                                 QStringLiteral("حفظ PDF"), toolBar);
        toolBar->insertAction(toolBar->actions().value(0), save);
        toolBar->insertSeparator(toolBar->actions().value(1));
        save->setObjectName(QStringLiteral("savePdfAction"));
        connect(save, &QAction::triggered, &dialog, [this, &dialog, &printer] {
            runStep(&dialog, [this, &dialog, &printer] { savePdf(&dialog, printer.pageLayout()); });
        });
    }
    return dialog.exec();
}

} // namespace simat::report
