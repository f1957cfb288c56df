#include "report_engine/file_dialog.h"
#include "report_engine/render.h"
#include "report_engine/report.h"

#include <QAction>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QStyle>
#include <QToolBar>

namespace simat::report {

int Report::preview(QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(pageLayout());
    printer.setDocName(objectName());
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("ReportPreview"));
    dialog.setWindowTitle(caption.isEmpty() ? objectName() : caption);
    const QRect room = dialog.screen()->availableGeometry();
    dialog.resize(qMin(1280, room.width()), qMin(880, room.height()));
    dialog.setLayoutDirection(Qt::RightToLeft);
    // Laid out anew whenever the preview repaints, so a change of the page set-up is followed
    // and a print from the preview runs the report again from its beginning.
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter *target) { print(target); });
    if (auto *toolBar = dialog.findChild<QToolBar *>()) {
        auto *save = new QAction(dialog.style()->standardIcon(QStyle::SP_DialogSaveButton),
                                 QStringLiteral("حفظ PDF"), toolBar);
        toolBar->insertAction(toolBar->actions().value(0), save);
        toolBar->insertSeparator(toolBar->actions().value(1));
        save->setObjectName(QStringLiteral("savePdfAction"));
        connect(save, &QAction::triggered, &dialog, [this, &dialog, &printer] {
            QString path = chooseSavePath(&dialog, QStringLiteral("حفظ PDF"),
                                          objectName() + QStringLiteral(".pdf"),
                                          QStringLiteral("PDF (*.pdf)"));
            if (path.isEmpty())
                return;
            if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
                path += QStringLiteral(".pdf");
            writePdf(path, printer.pageLayout());
        });
    }
    return dialog.exec();
}

} // namespace simat::report
