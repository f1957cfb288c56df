#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLineF>
#include <QList>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QTextLayout;

namespace simat::report {

// What a laid-out page holds: positioned texts, lines, rectangles and pictures, in millimetres
// from the top-left corner of the paper.
struct Item {
    enum class Kind { Text, Line, Rect, Picture, Polyline };
    Kind kind = Kind::Text;
    QString band;     // the band that printed it
    QString name;     // the element's name
    QRectF rect;      // text box, rectangle, picture; for a line its bounding box
    QLineF line;      // a line's ends
    QPolygonF points; // a polyline's points
    QString text;     // with the page number tokens filled in
    QString family;
    double pointSize = 10;
    bool bold = false;
    Qt::Alignment alignment = Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter;
    Qt::LayoutDirection direction = Qt::RightToLeft;
    bool wrap = true;
    QColor color = Qt::black;
    QColor fill;
    double penWidth = 0.2; // mm
    bool dashed = false;
    QImage picture;
};

struct LaidOutPage {
    QSizeF size; // mm
    QList<Item> items;

    QList<Item> itemsOfBand(const QString &band) const;
    QStringList texts() const;
};

// Texts are measured and drawn at this resolution, with fonts sized in its pixels, so that a
// text breaks into the same lines on the screen, the printer and the PDF.
constexpr double layoutDpi = 1200;
inline double mmToDots(double mm)
{
    return mm * layoutDpi / 25.4;
}
inline double dotsToMm(double dots)
{
    return dots * 25.4 / layoutDpi;
}
QFont layoutFont(const QString &family, double pointSize, bool bold);
// Breaks the text of `layout` into lines of `widthDots` and returns their height in dots.
double breakLines(QTextLayout &layout, double widthDots, Qt::Alignment alignment,
                  Qt::LayoutDirection direction, bool wrap);
// The height in mm of a text in a box of that width.
double textHeight(const QString &text, const QFont &font, double widthMm, bool wrap);
// The text as it fits in a box of that size (mm): whole when it does, else cut short with "…" at
// the end of the last line that fits (the first line always shows).
QString fitText(const QString &text, const QFont &font, const QSizeF &box, bool wrap);
// Fills in the page's "{page}" and "{pages}", and fits each text to its box.
void numberPage(LaidOutPage &page, int pageNumber, int pageCount);

} // namespace simat::report
