#include "report_engine/render.h"

#include <QGlyphRun>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>
#include <utility>

namespace simat::report {

namespace {

QPen penOf(const Item &item)
{
    if (item.penWidth <= 0)
        return QPen(Qt::NoPen);
    QPen pen(item.color, mmToDots(item.penWidth));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    if (item.dashed)
        pen.setDashPattern({4, 3});
    return pen;
}

QRectF dots(const QRectF &mm)
{
    return QRectF(mmToDots(mm.x()), mmToDots(mm.y()), mmToDots(mm.width()), mmToDots(mm.height()));
}

void drawText(QPainter &painter, const Item &item, PaintedPage *painted)
{
    const QRectF box = dots(item.rect);
    QString text = item.text;
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    const QFont font = layoutFont(item.family, item.pointSize, item.bold);
    QTextLayout layout(text, font);
    const double height =
        breakLines(layout, box.width(), item.alignment, item.direction, item.wrap);
    double top = box.top();
    if (item.alignment & Qt::AlignVCenter)
        top += (box.height() - height) / 2;
    else if (item.alignment & Qt::AlignBottom)
        top += box.height() - height;
    painter.setPen(item.color);
    // The glyphs go out as they were shaped here, on every device. A print preview records a
    // page and plays it back on the screen; a text item played back is laid out anew from its
    // characters, left to right, which mirrors parentheses and moves spaces in Arabic text. A
    // glyph run is played back as it stands.
    const QPointF origin(box.left(), top);
    for (const QGlyphRun &run : layout.glyphRuns()) {
        painter.drawGlyphRun(origin, run);
        if (painted && !run.glyphIndexes().isEmpty())
            painted->append({run.glyphIndexes().size(), ligatureTexts(run, font)});
    }
}

} // namespace

void renderPage(QPainter &painter, const LaidOutPage &page, const QPointF &origin,
                PaintedPage *painted)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setLayoutDirection(Qt::RightToLeft);
    const QPaintDevice *device = painter.device();
    // From mm at the layout resolution to the device's own pixels.
    painter.scale(device->logicalDpiX() / layoutDpi, device->logicalDpiY() / layoutDpi);
    painter.translate(-mmToDots(origin.x()), -mmToDots(origin.y()));
    for (const Item &item : page.items) {
        switch (item.kind) {
        case Item::Kind::Text:
            drawText(painter, item, painted);
            break;
        case Item::Kind::Line:
            painter.setPen(penOf(item));
            painter.drawLine(QLineF(mmToDots(item.line.x1()), mmToDots(item.line.y1()),
                                    mmToDots(item.line.x2()), mmToDots(item.line.y2())));
            break;
        case Item::Kind::Polyline: {
            QPen pen = penOf(item);
            pen.setJoinStyle(Qt::RoundJoin);
            painter.setPen(pen);
            QPolygonF points;
            for (const QPointF &point : item.points)
                points << QPointF(mmToDots(point.x()), mmToDots(point.y()));
            painter.drawPolyline(points);
            break;
        }
        case Item::Kind::Rect:
            painter.setPen(penOf(item));
            painter.setBrush(item.fill.isValid() ? QBrush(item.fill) : QBrush(Qt::NoBrush));
            painter.drawRect(dots(item.rect));
            painter.setBrush(Qt::NoBrush);
            break;
        case Item::Kind::Picture:
            painter.drawImage(dots(item.rect), item.picture);
            break;
        }
    }
    painter.restore();
}

namespace {

// Where the painter's (0, 0) lies on the paper: the top-left of the printable area, unless a
// printer paints the whole sheet.
QPointF originOn(const QPagedPaintDevice &device)
{
    const auto *printer = dynamic_cast<const QPrinter *>(&device);
    if (printer && printer->fullPage())
        return {};
    return device.pageLayout().paintRect(QPageLayout::Millimeter).topLeft();
}

} // namespace

PagePainter::PagePainter(QPagedPaintDevice &device, PaintedPages *painted)
    : m_device(device)
    , m_painted(painted)
    , m_origin(originOn(device))
    , m_painter(&device)
{}

void PagePainter::turnPage()
{
    if (!std::exchange(m_first, false))
        m_device.newPage();
}

void PagePainter::paintBlank()
{
    turnPage();
}

void PagePainter::paint(const LaidOutPage &page)
{
    turnPage();
    if (!m_painted) {
        renderPage(m_painter, page, m_origin);
        return;
    }
    PaintedPage runs;
    renderPage(m_painter, page, m_origin, &runs);
    m_painted->append(runs);
}

void renderPages(QPagedPaintDevice &device, const QList<LaidOutPage> &pages,
                 const std::function<bool(int pagesDone)> &goOn, PaintedPages *painted)
{
    PagePainter painter(device, painted);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (goOn && !goOn(int(i)))
            break;
        painter.paint(pages.at(i));
    }
}

} // namespace simat::report
