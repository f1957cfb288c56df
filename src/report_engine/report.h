#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPageLayout>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QVariant>
#include <deque>
#include <functional>

#include "report_engine/layout.h"
#include "report_engine/packed_pages.h"

class QPrinter;
class QPrintPreviewWidget;
class QWidget;

namespace simat {
class DataSource;
}

namespace simat::report {

// Horizontal alignment of a text within its box; it means what it says on paper, right to
// left or not.
enum class Align { Right, Center, Left };

// One element of a band. Positions are millimetres: x from the RIGHT edge of the printable
// width to the element's right side (the first column stands at x = 0), y from the band's top.
// A line runs from (x, y) to (x + w, y + h), both measured the same way; a polyline through its
// points, measured the same way too.
struct Element {
    enum class Kind { Text, Line, Rect, Picture, Polyline };
    Kind kind = Kind::Text;
    QString name;
    QRectF box;
    bool visible = true;

    // Text: a fixed text, or the value that the hook (or the column named by field) gives,
    // written through the mask when there is one ("#,##0.00", "0.00", "0").
    QString text;
    QVariant value;
    QString field;
    QString mask;
    double fontSize = 0; // points; 0 takes the report's default
    bool bold = false;
    Align align = Align::Right;
    Qt::LayoutDirection direction = Qt::RightToLeft;
    bool wrap = true;
    // A text taller than its box makes the box and its band taller, where nothing else of the
    // band stands below it and not in the page footer; a text that cannot grow, or a line that is
    // too wide and does not wrap, is cut short with "…".
    bool canGrow = true;
    QColor color = Qt::black;
    double padding = 0; // mm kept clear on the right and the left of a text within its box

    // Line and rectangle: pen width in mm (0 draws no outline), fill of a rectangle.
    double penWidth = 0.2;
    // A line or polyline drawn in dashes.
    bool dashed = false;
    QPolygonF points;
    QColor fill;
    // A rectangle, a vertical line or a text that reaches down to the band's bottom when the
    // band grows (the cells of a table row).
    bool stretch = false;

    QImage picture;
};

// A band: elements printed together, at least `height` mm tall. The before-print hook may set
// texts, values, colours and visibility, or return false to leave the band out this time.
class Band {
public:
    explicit Band(const QString &name = {})
        : name(name)
    {}

    QString name;
    double height = 0;
    std::function<bool(Band &)> beforePrint;
    std::deque<Element> elements; // a reference to an element stays valid while it exists

    Element &addText(const QString &name, double x, double y, double w, double h,
                     const QString &text = {}, Align align = Align::Right);
    // A text that shows the value of a column of the report's source at the current row.
    Element &addField(const QString &column, double x, double y, double w, double h,
                      Align align = Align::Right, const QString &mask = {});
    Element &addLine(double x1, double y1, double x2, double y2, double penWidth = 0.2);
    // A line through the points, each (x from the right, y from the band's top).
    Element &addPolyline(const QPolygonF &points, double penWidth = 0.2);
    Element &addRect(double x, double y, double w, double h, const QColor &fill = {},
                     double penWidth = 0.2);
    Element &addPicture(const QString &name, double x, double y, double w, double h,
                        const QImage &picture);

    bool isEmpty() const { return elements.empty() && height <= 0; }
    // The element of that name; throws simat::Error when there is none.
    Element &element(const QString &name);
    bool hasElement(const QString &name) const;
    void setText(const QString &name, const QString &text);
    void setValue(const QString &name, const QVariant &value);
    void setColor(const QString &name, const QColor &color);
    void setVisible(const QString &name, bool visible);
};

// "#,##0.00" (thousands separated by ","), "0.00", "0" and the like, with Latin digits.
QString formatMask(double value, const QString &mask);
// Wraps a left-to-right run (a date, a code, a number) in U+2066 ... U+2069 so that it keeps its
// order inside Arabic text.
QString isolate(const QString &text);

// Thrown by a lay-out that its progress handler stopped.
struct LayoutCancelled {};

// A banded report over the rows of one open data source (or over none). Subclasses give the
// form name, fill the bands and hooks in their constructor, and reset their running figures in
// beforeRun(), which runs before every lay-out (preview, print, PDF, layOut).
class Report : public QObject {
    Q_OBJECT
public:
    explicit Report(const QString &formName, QObject *parent = nullptr);
    ~Report() override;

    void setSource(DataSource *source) { m_source = source; }
    DataSource *source() const { return m_source; }

    void setOrientation(QPageLayout::Orientation orientation) { m_orientation = orientation; }
    QPageLayout::Orientation orientation() const { return m_orientation; }
    QString caption;    // the title of the preview window
    double margin = 10; // mm, on every side
    QString fontFamily = QStringLiteral("Noto Naskh Arabic UI");
    double fontSize = 10; // points
    QPageLayout pageLayout() const;

    Band pageHeader{QStringLiteral("pageHeader")};
    Band columnHeader{QStringLiteral("columnHeader")};
    Band groupHeader{QStringLiteral("groupHeader")};
    Band groupFooter{QStringLiteral("groupFooter")};
    Band detail{QStringLiteral("detail")};
    Band summary{QStringLiteral("summary")};
    Band pageFooter{QStringLiteral("pageFooter")};
    // The value whose change between consecutive rows starts a new group; without it the
    // group bands are not printed.
    std::function<QVariant()> groupValue;

    // The number of the page being laid out, for hooks; the final "{page}" and "{pages}" of a
    // text are filled in after the lay-out.
    int pageNumber() const { return m_pageNumber; }

    QList<LaidOutPage> layOut();
    QList<LaidOutPage> layOut(const QPageLayout &layout);
    // The pages that the rows the source holds fill whole, as the first of a longer report:
    // without the summary, and numbered "صفحة 3 من …".
    QList<LaidOutPage> layOutFirstRows(const QPageLayout &layout);
    // Lays out the report again page by page and hands each page, whole and numbered, to `take`,
    // holding only that page: a first lay-out counts the pages. Progress is told in rows while
    // they are counted, then in pages.
    using PageTaker = std::function<void(const LaidOutPage &page)>;
    void layOutEach(const QPageLayout &layout, const PageTaker &take);
    // Lays out the report once, each page packed as it is whole, its "{page}" and "{pages}" left
    // for numberPage().
    PackedPages layOutPacked(const QPageLayout &layout);
    bool writePdf(const QString &path);
    bool writePdf(const QString &path, const QPageLayout &layout);
    void print(QPrinter *printer);
    // Qt's print preview, modal, with a "حفظ PDF" action; returns the dialog's result.
    int preview(QWidget *parent = nullptr);
    // Set while the source holds only the first rows of a long report, to what reads them all
    // (under a progress window over `over` of its own; it throws LayoutCancelled when stopped).
    // The preview then shows at once the pages of the first rows, and only then reads the rest
    // and lays out the whole report; a print or a PDF from the preview reads the rest first.
    std::function<void(QWidget *over)> readRest;
    // The file name that the preview offers for the PDF: the form name unless the report names
    // what it prints.
    virtual QString pdfFileName() const;

    // Told now and then while the report is laid out (with the rows laid out so far) and
    // painted (with the pages painted); returning false stops it, which then throws
    // LayoutCancelled. The preview sets it to a progress window with a Cancel button.
    enum class Counted { Rows, Pages };
    std::function<bool(int done, Counted what)> progress;

    // What the preview does with a failure inside it (a lay-out that throws, a PDF that cannot
    // be written): the program shows it in its own error box; by default a plain box.
    using FailureHandler = std::function<void(QWidget *over, const QString &text)>;
    static void setFailureHandler(FailureHandler handler);
    // How the preview asks where to save a PDF, offering the file name: the program asks with
    // its own file dialog; by default Qt's. An empty answer saves nothing.
    using SavePathChooser = std::function<QString(QWidget *over, const QString &caption,
                                                  const QString &fileName, const QString &filter)>;
    static void setSavePathChooser(SavePathChooser chooser);

protected:
    virtual void beforeRun() {}

private:
    void savePdf(QWidget *dialog, const QPageLayout &layout);
    void readAllRows(QWidget *over);
    void previewFirstRows(QPrinter *target, QPrintPreviewWidget *pages);
    void paint(QPrinter *printer, const QList<LaidOutPage> &pages);

    friend class Layouter;
    DataSource *m_source = nullptr;
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
    int m_pageNumber = 0;
};

} // namespace simat::report
