#include "report_engine/report.h"

#include "core/bidi.h"
#include "core/error.h"
#include "report_engine/render.h"

#include <QDir>
#include <QPageSize>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QTemporaryFile>
#include <cmath>

namespace simat::report {

Element &Band::addText(const QString &name, double x, double y, double w, double h,
                       const QString &text, Align align)
{
    Element &e = elements.emplace_back();
    e.kind = Element::Kind::Text;
    e.name = name;
    e.box = QRectF(x, y, w, h);
    e.text = text;
    e.align = align;
    return e;
}

Element &Band::addField(const QString &column, double x, double y, double w, double h, Align align,
                        const QString &mask)
{
    Element &e = addText(column, x, y, w, h, {}, align);
    e.field = column;
    e.mask = mask;
    return e;
}

Element &Band::addLine(double x1, double y1, double x2, double y2, double penWidth)
{
    Element &e = elements.emplace_back();
    e.kind = Element::Kind::Line;
    e.box = QRectF(x1, y1, x2 - x1, y2 - y1);
    e.penWidth = penWidth;
    return e;
}

Element &Band::addPolyline(const QPolygonF &points, double penWidth)
{
    Element &e = elements.emplace_back();
    e.kind = Element::Kind::Polyline;
    e.points = points;
    e.box = points.boundingRect();
    e.penWidth = penWidth;
    return e;
}

Element &Band::addRect(double x, double y, double w, double h, const QColor &fill, double penWidth)
{
    Element &e = elements.emplace_back();
    e.kind = Element::Kind::Rect;
    e.box = QRectF(x, y, w, h);
    e.fill = fill;
    e.penWidth = penWidth;
    return e;
}

Element &Band::addPicture(const QString &name, double x, double y, double w, double h,
                          const QImage &picture)
{
    Element &e = elements.emplace_back();
    e.kind = Element::Kind::Picture;
    e.name = name;
    e.box = QRectF(x, y, w, h);
    e.picture = picture;
    return e;
}

bool Band::hasElement(const QString &name) const
{
    for (const Element &e : elements)
        if (e.name == name)
            return true;
    return false;
}

Element &Band::element(const QString &name)
{
    for (Element &e : elements)
        if (e.name == name)
            return e;
    throw Error(QStringLiteral("the band %1 has no element %2").arg(this->name, name));
}

void Band::setText(const QString &name, const QString &text)
{
    Element &e = element(name);
    e.text = text;
    e.value = QVariant();
}

void Band::setValue(const QString &name, const QVariant &value)
{
    element(name).value = value;
}

void Band::setColor(const QString &name, const QColor &color)
{
    element(name).color = color;
}

void Band::setVisible(const QString &name, bool visible)
{
    element(name).visible = visible;
}

QString formatMask(double value, const QString &mask)
{
    if (!std::isfinite(value))
        return QString();
    const qsizetype point = mask.indexOf(QLatin1Char('.'));
    const int decimals = point < 0 ? 0 : int(mask.size() - point - 1);
    const bool grouped = mask.contains(QLatin1Char(','));
    QString digits = QString::number(std::fabs(value), 'f', decimals);
    bool zero = true;
    for (QChar c : digits)
        if (c.isDigit() && c != QLatin1Char('0'))
            zero = false;
    if (grouped) {
        qsizetype end = digits.indexOf(QLatin1Char('.'));
        if (end < 0)
            end = digits.size();
        for (qsizetype at = end - 3; at > 0; at -= 3)
            digits.insert(at, QLatin1Char(','));
    }
    return (value < 0 && !zero) ? QLatin1Char('-') + digits : digits;
}

QString isolate(const QString &text)
{
    return isolated(text);
}

namespace {

// A printer that the user told to print to a PDF file, and not the preview's.
bool printsToPdfFile(QPrinter &printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty() &&
           printer.paintEngine() && printer.paintEngine()->type() == QPaintEngine::Pdf;
}

void addGlyphTextsToFile(const QString &pdfPath, const PaintedPages &pages)
{
    if (!pages.anyHasTexts())
        return;
    QSaveFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly) || !writeWithGlyphTexts(pdfPath, file, pages) ||
        !file.commit())
        qWarning("report PDF: %s cannot be written again; its ligatures keep no text",
                 qPrintable(pdfPath));
}

} // namespace

Report::Report(const QString &formName, QObject *parent)
    : QObject(parent)
{
    setObjectName(formName);
}

Report::~Report() = default;

QPageLayout Report::pageLayout() const
{
    return QPageLayout(QPageSize(QPageSize::A4), m_orientation,
                       QMarginsF(margin, margin, margin, margin), QPageLayout::Millimeter);
}

QList<LaidOutPage> Report::layOut()
{
    return layOut(pageLayout());
}

bool Report::writePdf(const QString &path)
{
    return writePdf(path, pageLayout());
}

// The pages go to a file as they are laid out, and the file through the glyphs' texts to the
// chosen name, so that neither the pages nor the PDF are held whole; a lay-out that is cancelled
// or fails leaves nothing under that name.
bool Report::writePdf(const QString &path, const QPageLayout &layout)
{
    QTemporaryFile painted(QDir::temp().filePath(QStringLiteral("simat-report-XXXXXX.pdf")));
    if (!painted.open())
        return false;
    PaintedPages glyphs;
    {
        QPdfWriter writer(&painted);
        writer.setResolution(int(layoutDpi));
        writer.setPageLayout(layout);
        writer.setTitle(objectName());
        writer.setCreator(QStringLiteral("simat"));
        PagePainter painter(writer, &glyphs);
        layOutEach(layout, [&painter](const LaidOutPage &page) { painter.paint(page); });
    }
    if (!painted.flush())
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           writeWithGlyphTexts(painted.fileName(), file, glyphs) && file.commit();
}

void Report::print(QPrinter *printer)
{
    paint(printer, layOut(printer->pageLayout()));
}

void Report::paint(QPrinter *printer, const QList<LaidOutPage> &pages)
{
    bool cancelled = false;
    const bool toPdfFile = printsToPdfFile(*printer);
    PaintedPages painted;
    renderPages(
        *printer, pages,
        [this, &cancelled](int pagesDone) {
            cancelled = progress && pagesDone % 16 == 0 && !progress(pagesDone, Counted::Pages);
            return !cancelled;
        },
        toPdfFile ? &painted : nullptr);
    if (cancelled)
        throw LayoutCancelled{};
    if (toPdfFile)
        addGlyphTextsToFile(printer->outputFileName(), painted);
}

} // namespace simat::report
