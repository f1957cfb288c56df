#include "core/counted_words.h"
#include "report_engine/render.h"
#include "report_engine/report.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGraphicsView>
#include <QMessageBox>
#include <QPaintEngine>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollBar>
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

// Over the maximised preview Qt places a progress window at the screen's corner, its title
// bar above the screen; it goes to the middle of the preview instead.
void centreOver(QWidget &window, const QWidget &under)
{
    window.adjustSize();
    window.move(under.frameGeometry().center() - window.frameGeometry().center() + window.pos());
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
            centreOver(*m_window, *over->window());
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

// While the preview's pages are painted anew, the pages it shows are gone: its view must not
// paint them, whatever the progress window lets run meanwhile.
class PagesRepainted {
public:
    explicit PagesRepainted(QPrintPreviewWidget *pages)
        : m_pages(pages)
    {
        if (m_pages)
            m_pages->setUpdatesEnabled(false);
    }
    ~PagesRepainted()
    {
        if (m_pages)
            m_pages->setUpdatesEnabled(true);
    }

private:
    QPointer<QPrintPreviewWidget> m_pages;
};

// Runs `then` once the widget has painted, so that what it shows is seen before long work.
class AfterPaint : public QObject {
public:
    AfterPaint(QWidget *widget, std::function<void()> then)
        : QObject(widget)
        , m_then(std::move(then))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, watched, std::move(m_then));
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

// The preview paints into a recording of each page; a print or a PDF from it, into the printer.
bool previewing(QPrinter &target)
{
    return target.paintEngine() && target.paintEngine()->type() == QPaintEngine::Picture;
}

// The pages that the preview shows. Qt's preview keeps each page it is given as a recording of
// its glyphs' outlines, megabytes a page: a year's list would hold gigabytes. So every page is
// laid out and kept packed, but only the pages near the one in view are painted, the others
// left blank; once the view has moved near a blank page, the preview is painted again around it.
class ShownPages : public QObject {
public:
    explicit ShownPages(QPrintPreviewWidget *view)
        : QObject(view)
        , m_view(view)
        , m_graphics(view->findChild<QGraphicsView *>())
    {
        m_move.setSingleShot(true);
        m_move.setInterval(150);
        connect(&m_move, &QTimer::timeout, this, &ShownPages::paintAroundView);
        // The page in view changes as the view scrolls; a page chosen by its number scrolls it.
        for (QScrollBar *bar : {m_graphics->horizontalScrollBar(), m_graphics->verticalScrollBar()})
            connect(bar, &QScrollBar::valueChanged, this, [this] {
                if (!m_painting && !nearPainted())
                    m_move.start();
            });
    }

    // Whether the preview is painted again only to show other pages of the same lay-out.
    bool moving() const { return m_painting; }

    void show(QPrinter *target, PackedPages pages)
    {
        m_pages = std::move(pages);
        paint(target);
    }

    void paint(QPrinter *target)
    {
        const qsizetype shown =
            qBound(qsizetype(0), qsizetype(m_view->currentPage() - 1), m_pages.size() - 1);
        const bool whole = m_pages.size() <= paintedWhole;
        m_first = whole ? 0 : qMax<qsizetype>(0, shown - reach);
        m_last = whole ? m_pages.size() - 1 : qMin(m_pages.size() - 1, shown + reach);
        PagePainter painter(*target);
        for (qsizetype i = 0; i < m_pages.size(); ++i) {
            if (i < m_first || i > m_last) {
                painter.paintBlank();
                continue;
            }
            LaidOutPage page = m_pages.at(i);
            numberPage(page, int(i + 1), int(m_pages.size()));
            painter.paint(page);
        }
    }

private:
    // A report of this many pages or fewer is painted whole. Of a longer one, the pages painted
    // on either side of the one in view, and how near their end the view may come before the
    // pages beyond are painted.
    static constexpr qsizetype paintedWhole = 40;
    static constexpr qsizetype reach = 6;
    static constexpr qsizetype margin = 2;

    bool nearPainted() const
    {
        const qsizetype shown = m_view->currentPage() - 1;
        return (shown >= m_first + margin || m_first == 0) &&
               (shown <= m_last - margin || m_last == m_pages.size() - 1);
    }

    void paintAroundView()
    {
        if (m_pages.size() == 0 || nearPainted())
            return;
        const QPoint scrolled(m_graphics->horizontalScrollBar()->value(),
                              m_graphics->verticalScrollBar()->value());
        m_painting = true;
        m_view->updatePreview();
        m_painting = false;
        m_graphics->horizontalScrollBar()->setValue(scrolled.x());
        m_graphics->verticalScrollBar()->setValue(scrolled.y());
        // A scroll bar still held may have moved the view on meanwhile.
        if (!nearPainted())
            m_move.start();
    }

    QPrintPreviewWidget *m_view;
    QGraphicsView *m_graphics;
    PackedPages m_pages;
    qsizetype m_first = 0;
    qsizetype m_last = -1;
    bool m_painting = false;
    QTimer m_move;
};

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
    readAllRows(dialog);
    if (!writePdf(path, layout))
        failureHandler()(dialog, QStringLiteral("تعذر حفظ الملف %1").arg(path));
}

void Report::readAllRows(QWidget *over)
{
    if (!readRest)
        return;
    // Not read again by a repaint of the preview that the reading lets run.
    auto read = std::exchange(readRest, nullptr);
    try {
        read(over);
    } catch (...) {
        readRest = std::move(read);
        throw;
    }
}

// The pages of the rows held now, then, once the preview has shown them, the whole report.
void Report::previewFirstRows(QPrinter *target, QPrintPreviewWidget *pages)
{
    auto *dialog = qobject_cast<QDialog *>(pages->window());
    runStep(*this, dialog,
            [this, target] { paint(target, layOutFirstRows(target->pageLayout())); });
    new AfterPaint(pages->findChild<QGraphicsView *>()->viewport(), [this, pages] {
        if (readRest)
            pages->updatePreview();
    });
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
    auto *pages = dialog.findChild<QPrintPreviewWidget *>();
    auto *shown = pages ? new ShownPages(pages) : nullptr;
    bool firstPaint = true;
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this, &dialog, pages, shown, &firstPaint](QPrinter *target) {
                const PagesRepainted repainted(pages);
                if (shown && shown->moving()) {
                    shown->paint(target);
                    return;
                }
                if (std::exchange(firstPaint, false) && readRest && pages) {
                    previewFirstRows(target, pages);
                    return;
                }
                runStep(*this, &dialog, [this, target, &dialog, shown] {
                    readAllRows(&dialog);
                    if (shown && previewing(*target))
                        shown->show(target, layOutPacked(target->pageLayout()));
                    else
                        print(target);
                });
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
