#pragma once

#include "report_engine/layout.h"
#include "report_engine/pdf_text.h"

#include <QPainter>
#include <QPointF>
#include <functional>

class QPagedPaintDevice;

namespace simat::report {

// Paints one laid-out page; `origin` is where, in mm from the paper's top-left corner, the
// painter's (0, 0) lies (the top-left of the printable area on a printer or PDF writer). With
// `painted`, adds to it the glyph runs painted, for the text of a PDF.
void renderPage(QPainter &painter, const LaidOutPage &page, const QPointF &origin = {},
                PaintedPage *painted = nullptr);
// Paints pages one after another on a printer or PDF writer, a new page before each but the
// first. With `painted`, adds to it the glyph runs of each page painted.
class PagePainter {
public:
    explicit PagePainter(QPagedPaintDevice &device, PaintedPages *painted = nullptr);
    void paint(const LaidOutPage &page);
    // A page with nothing on it.
    void paintBlank();

private:
    QPagedPaintDevice &m_device;
    PaintedPages *m_painted;
    QPointF m_origin;
    QPainter m_painter;
    bool m_first = true;

    void turnPage();
};

// Paints every page on a printer or PDF writer, a new page between them; `goOn`, told the
// pages painted so far, stops the painting when it returns false. With `painted`, adds to it
// the glyph runs of each page painted.
void renderPages(QPagedPaintDevice &device, const QList<LaidOutPage> &pages,
                 const std::function<bool(int pagesDone)> &goOn = {},
                 PaintedPages *painted = nullptr);

} // namespace simat::report
