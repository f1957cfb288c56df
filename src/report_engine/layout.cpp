#include "report_engine/layout.h"

#include "core/data_source.h"
#include "report_engine/report.h"

#include <QTextLayout>
#include <optional>

namespace simat::report {

QList<Item> LaidOutPage::itemsOfBand(const QString &band) const
{
    QList<Item> found;
    for (const Item &item : items)
        if (item.band == band)
            found << item;
    return found;
}

QStringList LaidOutPage::texts() const
{
    QStringList found;
    for (const Item &item : items)
        if (item.kind == Item::Kind::Text)
            found << item.text;
    return found;
}

QFont layoutFont(const QString &family, double pointSize, bool bold)
{
    QFont font(family);
    font.setPixelSize(qMax(1, qRound(pointSize * layoutDpi / 72)));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

double breakLines(QTextLayout &layout, double widthDots, Qt::Alignment alignment,
                  Qt::LayoutDirection direction, bool wrap)
{
    QTextOption option((alignment & Qt::AlignHorizontal_Mask) | Qt::AlignAbsolute);
    option.setTextDirection(direction);
    option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    double y = 0;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(widthDots);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return y;
}

double textHeight(const QString &text, const QFont &font, double widthMm, bool wrap)
{
    QString shown = text;
    shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(shown, font);
    return dotsToMm(breakLines(layout, mmToDots(widthMm), Qt::AlignRight, Qt::RightToLeft, wrap));
}

namespace {

constexpr double tolerance = 1e-6;

// The lines of a laid-out text that stand inside the height; the first one always counts.
int linesWithin(const QTextLayout &layout, double heightDots)
{
    int count = 1;
    while (count < layout.lineCount() &&
           layout.lineAt(count).rect().bottom() <= heightDots + tolerance)
        ++count;
    return count;
}

bool fitsIn(const QString &text, const QFont &font, double widthDots, double heightDots, bool wrap)
{
    QTextLayout layout(text, font);
    breakLines(layout, widthDots, Qt::AlignRight, Qt::RightToLeft, wrap);
    if (layout.lineCount() > linesWithin(layout, heightDots))
        return false;
    for (int i = 0; i < layout.lineCount(); ++i)
        if (layout.lineAt(i).naturalTextWidth() > widthDots + tolerance)
            return false;
    return true;
}

} // namespace

QString fitText(const QString &text, const QFont &font, const QSizeF &box, bool wrap)
{
    const double width = mmToDots(box.width());
    const double height = mmToDots(box.height());
    QString shown = text;
    shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
    if (fitsIn(shown, font, width, height, wrap))
        return text;
    QTextLayout layout(shown, font);
    breakLines(layout, width, Qt::AlignRight, Qt::RightToLeft, wrap);
    const QString kept = shown.left(layout.lineAt(linesWithin(layout, height) - 1).textStart());
    QString rest = shown.mid(kept.size());
    rest.replace(QChar::LineSeparator, QLatin1Char(' '));
    const auto cutAt = [&](qsizetype length) {
        while (length > 0 && (rest.at(length).isMark() || rest.at(length).isLowSurrogate()))
            --length;
        return kept + rest.left(length).trimmed() + QChar(0x2026);
    };
    // The longest start of the rest that fits with the ellipsis after it.
    qsizetype fitting = 0;
    for (qsizetype low = 1, high = rest.size() - 1; low <= high;) {
        const qsizetype middle = (low + high) / 2;
        if (fitsIn(cutAt(middle), font, width, height, wrap)) {
            fitting = middle;
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    return cutAt(fitting).replace(QChar::LineSeparator, QLatin1Char('\n'));
}

namespace {

Qt::Alignment alignmentOf(Align align)
{
    switch (align) {
    case Align::Right:
        return Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter;
    case Align::Center:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case Align::Left:
        return Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignVCenter;
    }
    return Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter;
}

// Pages not counted yet (0) are told as "…".
QString fillPageNumbers(QString text, int page, int pages)
{
    text.replace(QLatin1String("{page}"), QString::number(page));
    text.replace(QLatin1String("{pages}"),
                 pages > 0 ? QString::number(pages) : QStringLiteral("…"));
    return text;
}

} // namespace

void numberPage(LaidOutPage &page, int pageNumber, int pageCount)
{
    for (Item &item : page.items)
        if (item.kind == Item::Kind::Text)
            item.text = fitText(fillPageNumbers(item.text, pageNumber, pageCount),
                                layoutFont(item.family, item.pointSize, item.bold),
                                item.rect.size(), item.wrap);
}

// Walks the rows and places the bands on pages.
class Layouter {
public:
    // With `take`, each page goes to it once it is whole and is not kept, numbered with
    // `pageCount` (a lay-out before counted the pages) or, without one, not numbered.
    Layouter(Report &report, const QPageLayout &layout, Report::PageTaker take = {},
             int pageCount = 0)
        : m_report(report)
        , m_take(std::move(take))
        , m_pageCount(pageCount)
    {
        const QRectF paper = layout.fullRect(QPageLayout::Millimeter);
        const QRectF printable = layout.paintRect(QPageLayout::Millimeter);
        m_paper = paper.size();
        m_left = printable.left();
        m_width = printable.width();
        m_top = printable.top();
        m_bottom = printable.bottom();
    }

    enum class Rows { All, First };

    // With Rows::First the source holds only the first rows of the report: it ends without
    // its summary, on the last page those rows fill whole, its pages not counted.
    QList<LaidOutPage> run(Rows rows = Rows::All)
    {
        m_report.m_pageNumber = 0;
        startPage();
        if (DataSource *source = m_report.source(); source && source->isOpen())
            walk(*source);
        if (rows == Rows::All)
            put(m_report.summary);
        if (rows == Rows::All || m_pages.size() == 1)
            finishPage();
        else
            m_pages.removeLast();
        const int count = int(m_pages.size());
        for (int i = 0; i < count; ++i) {
            if (i % 16 == 0)
                reportProgress(m_rowsWalked, true);
            numberPage(m_pages[i], i + 1, rows == Rows::All ? count : 0);
        }
        return m_pages;
    }

private:
    struct Prepared {
        QList<Item> items; // at the band's top
        double height = 0;
    };

    void walk(DataSource &rows)
    {
        const bool grouped = bool(m_report.groupValue);
        rows.first();
        while (!rows.atEnd()) {
            const int row = rows.currentRow();
            QVariant key;
            if (grouped) {
                key = m_report.groupValue();
                if (row == 0)
                    putGroupHeader();
            }
            put(m_report.detail);
            if (grouped) {
                const bool last = !rows.seek(row + 1);
                const QVariant nextKey = last ? QVariant() : m_report.groupValue();
                rows.seek(row);
                if (last || nextKey != key) {
                    put(m_report.groupFooter);
                    if (!last) {
                        rows.next();
                        putGroupHeader();
                        continue;
                    }
                }
            }
            rows.next();
            m_rowsWalked = rows.currentRow();
            reportProgress(m_rowsWalked);
        }
    }

    // Every few rows, and whenever `now` says so.
    void reportProgress(int rowsDone, bool now = false) const
    {
        constexpr int every = 64;
        if (m_pageCount > 0)
            return;
        if (m_report.progress && (now || rowsDone % every == 0) &&
            !m_report.progress(rowsDone, Report::Counted::Rows))
            throw LayoutCancelled{};
    }

    QString textOf(const Element &element) const
    {
        QVariant value = element.value;
        if (!element.field.isEmpty() && m_report.source())
            value = m_report.source()->value(element.field);
        if (!value.isValid())
            return element.text;
        if (!element.mask.isEmpty()) {
            bool number = false;
            const double x = value.toString().toDouble(&number);
            if (number)
                return formatMask(x, element.mask);
        }
        return value.toString();
    }

    double rightToLeft(double x) const { return m_left + m_width - x; }

    // A text grows down only where no other text or picture of its band stands lower across its
    // width, so that it never runs over another; where one does, it is cut short to its box. The
    // page footer keeps its height: its room on the page is set before its hook fills it.
    bool mayGrow(const Band &band, const Element &text) const
    {
        if (&band == &m_report.pageFooter)
            return false;
        for (const Element &other : band.elements) {
            if (&other == &text || !other.visible || other.kind == Element::Kind::Line ||
                other.kind == Element::Kind::Rect || other.kind == Element::Kind::Polyline)
                continue;
            const bool lower = other.box.top() > text.box.top() + tolerance;
            const bool across = other.box.left() < text.box.right() - tolerance &&
                                text.box.left() < other.box.right() - tolerance;
            if (lower && across)
                return false;
        }
        return true;
    }

    // The most a text may grow to from its band's top: what the page leaves between its
    // headings and its footer, so that a band holding it still fits a page.
    double tallestText() const
    {
        return m_bottom - m_top - m_report.pageHeader.height - m_report.columnHeader.height -
               m_report.pageFooter.height;
    }

    Prepared measure(Band &band) const
    {
        Prepared prepared;
        double height = band.height;
        QList<Item> items;
        for (const Element &e : band.elements) {
            if (!e.visible)
                continue;
            Item item;
            item.band = band.name;
            item.name = e.name;
            item.color = e.color;
            item.penWidth = e.penWidth;
            item.dashed = e.dashed;
            const QRectF box(rightToLeft(e.box.x()) - e.box.width(), e.box.y(), e.box.width(),
                             e.box.height());
            item.rect = box;
            switch (e.kind) {
            case Element::Kind::Text: {
                item.kind = Item::Kind::Text;
                item.text = textOf(e);
                item.family = m_report.fontFamily;
                item.pointSize = e.fontSize > 0 ? e.fontSize : m_report.fontSize;
                item.bold = e.bold;
                item.alignment = alignmentOf(e.align);
                item.direction = e.direction;
                item.wrap = e.wrap;
                if (e.padding > 0 && 2 * e.padding < box.width())
                    item.rect.adjust(e.padding, 0, -e.padding, 0);
                if (e.canGrow && !item.text.isEmpty() && mayGrow(band, e)) {
                    const double needed =
                        textHeight(item.text, layoutFont(item.family, item.pointSize, item.bold),
                                   item.rect.width(), e.wrap);
                    item.rect.setHeight(
                        qBound(box.height(), needed, qMax(box.height(), tallestText() - box.y())));
                }
                break;
            }
            case Element::Kind::Line:
                item.kind = Item::Kind::Line;
                item.line =
                    QLineF(rightToLeft(e.box.x()), e.box.y(),
                           rightToLeft(e.box.x() + e.box.width()), e.box.y() + e.box.height());
                item.rect = QRectF(item.line.p1(), item.line.p2()).normalized();
                break;
            case Element::Kind::Polyline:
                item.kind = Item::Kind::Polyline;
                for (const QPointF &point : e.points)
                    item.points << QPointF(rightToLeft(point.x()), point.y());
                item.rect = item.points.boundingRect();
                break;
            case Element::Kind::Rect:
                item.kind = Item::Kind::Rect;
                item.fill = e.fill;
                break;
            case Element::Kind::Picture: {
                item.kind = Item::Kind::Picture;
                item.picture = e.picture;
                if (!e.picture.isNull()) {
                    // Fits the picture in its box, keeping its proportions, centred.
                    const double scale =
                        qMin(box.width() / e.picture.width(), box.height() / e.picture.height());
                    const QSizeF size(e.picture.width() * scale, e.picture.height() * scale);
                    item.rect =
                        QRectF(box.center().x() - size.width() / 2,
                               box.center().y() - size.height() / 2, size.width(), size.height());
                }
                break;
            }
            }
            height = qMax(height, item.rect.bottom());
            items << item;
        }
        // Cells reach down to the bottom of a band that grew.
        int index = 0;
        for (const Element &e : band.elements) {
            if (!e.visible)
                continue;
            Item &item = items[index++];
            if (!e.stretch)
                continue;
            if (item.kind == Item::Kind::Line)
                item.line.setP2(QPointF(item.line.x2(), height));
            else
                item.rect.setBottom(height);
        }
        prepared.items = items;
        prepared.height = height;
        return prepared;
    }

    std::optional<Prepared> prepare(Band &band)
    {
        if (band.isEmpty())
            return std::nullopt;
        if (band.beforePrint && !band.beforePrint(band))
            return std::nullopt;
        return measure(band);
    }

    void place(const Prepared &prepared, double top)
    {
        LaidOutPage &page = m_pages.last();
        for (Item item : prepared.items) {
            item.rect.translate(0, top);
            item.line.translate(0, top);
            item.points.translate(0, top);
            page.items << item;
        }
    }

    void startPage()
    {
        ++m_report.m_pageNumber;
        LaidOutPage page;
        page.size = m_paper;
        m_pages << page;
        m_y = m_top;
        const double footer =
            m_report.pageFooter.isEmpty() ? 0 : measure(m_report.pageFooter).height;
        m_bodyBottom = m_bottom - footer;
        for (Band *band : {&m_report.pageHeader, &m_report.columnHeader})
            if (const auto prepared = prepare(*band)) {
                place(*prepared, m_y);
                m_y += prepared->height;
            }
        m_bodyTop = m_y;
    }

    void finishPage()
    {
        if (const auto prepared = prepare(m_report.pageFooter))
            place(*prepared, m_bottom - prepared->height);
        if (m_take)
            handOver();
    }

    void handOver()
    {
        const int done = m_report.m_pageNumber;
        if (m_pageCount > 0) {
            if (m_report.progress && !m_report.progress(done - 1, Report::Counted::Pages))
                throw LayoutCancelled{};
            numberPage(m_pages.last(), done, m_pageCount);
        }
        m_take(m_pages.last());
        m_pages.clear();
    }

    // A group header goes to the next page unless its first row fits beside it.
    void putGroupHeader() { put(m_report.groupHeader, m_report.detail.height); }

    void put(Band &band, double keepWith = 0)
    {
        const auto prepared = prepare(band);
        if (!prepared)
            return;
        constexpr double slack = 1e-6;
        const double needed = prepared->height + keepWith;
        if (m_y + needed > m_bodyBottom + slack && m_y > m_bodyTop + slack) {
            finishPage();
            startPage();
        }
        place(*prepared, m_y);
        m_y += prepared->height;
    }

    Report &m_report;
    Report::PageTaker m_take;
    int m_pageCount;
    QList<LaidOutPage> m_pages;
    QSizeF m_paper;
    double m_left = 0, m_width = 0, m_top = 0, m_bottom = 0;
    double m_y = 0, m_bodyTop = 0, m_bodyBottom = 0;
    int m_rowsWalked = 0;
};

QList<LaidOutPage> Report::layOut(const QPageLayout &layout)
{
    beforeRun();
    return Layouter(*this, layout).run();
}

QList<LaidOutPage> Report::layOutFirstRows(const QPageLayout &layout)
{
    beforeRun();
    return Layouter(*this, layout).run(Layouter::Rows::First);
}

PackedPages Report::layOutPacked(const QPageLayout &layout)
{
    beforeRun();
    PackedPages pages;
    Layouter(*this, layout, [&pages](const LaidOutPage &page) { pages.append(page); }).run();
    return pages;
}

void Report::layOutEach(const QPageLayout &layout, const PageTaker &take)
{
    beforeRun();
    Layouter(*this, layout, [](const LaidOutPage &) {}).run();
    const int pageCount = m_pageNumber;
    beforeRun();
    Layouter(*this, layout, take, pageCount).run();
}

} // namespace simat::report
