// The banded report engine: bands over rows held in memory, page breaks, page numbers, groups,
// suppressed bands, masks, right-to-left positions, the landscape page, repeated runs and the PDF
// file with the text of its ligatures.
#include "fixtures.h"

#include "core/data_source.h"
#include "core/error.h"
#include "report_engine/pdf_text.h"
#include "report_engine/render.h"
#include "report_engine/report.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QGraphicsView>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>

using namespace simat;
using namespace simat::testing;
using namespace simat::report;

namespace {

// Rows held in memory, a list of values for each row in the order of the column names.
class MemoryRows : public DataSource {
public:
    MemoryRows(const QStringList &columns, const QList<QVariantList> &rows)
        : m_columns(columns)
        , m_rows(rows)
    {}

    bool isOpen() const override { return true; }
    bool isEmpty() override { return m_rows.isEmpty(); }
    int currentRow() const override { return m_row; }
    void first() override { m_row = 0; }
    bool next() override { return seek(m_row + 1); }
    bool atEnd() override { return m_row >= m_rows.size(); }
    bool seek(int row) override
    {
        m_row = row;
        return row >= 0 && row < m_rows.size();
    }
    QVariant value(const QString &column) const override
    {
        const qsizetype index = m_columns.indexOf(column);
        if (index < 0)
            throw Error(QStringLiteral("no column ") + column);
        return m_row >= 0 && m_row < m_rows.size() ? m_rows.at(m_row).at(index) : QVariant();
    }

private:
    QStringList m_columns;
    QList<QVariantList> m_rows;
    int m_row = 0;
};

// A listing of the generated rows, grouped by their group number, with a running total.
class RowsReport : public Report {
public:
    explicit RowsReport(DataSource *rows)
        : Report(QStringLiteral("RowsReport"))
    {
        setSource(rows);
        pageHeader.height = 14;
        pageHeader
            .addText(QStringLiteral("title"), 0, 0, 190, 8, QStringLiteral("قائمة الصفوف"),
                     Align::Center)
            .bold = true;
        pageHeader
            .addText(QStringLiteral("marker"), 0, 8, 60, 6, QStringLiteral("MARKER-XYZ"),
                     Align::Right)
            .direction = Qt::LeftToRight;
        QImage logo(120, 60, QImage::Format_RGB32);
        logo.fill(QColor(40, 110, 170));
        pageHeader.addPicture(QStringLiteral("logo"), 165, 0, 25, 12, logo);
        columnHeader.height = 7;
        columnHeader.addRect(0, 0, 190, 7, QColor(220, 220, 220));
        columnHeader.addText(QStringLiteral("h_id"), 0, 0, 20, 7, QStringLiteral("الرقم")).padding =
            1;
        columnHeader.addText(QStringLiteral("h_name"), 20, 0, 110, 7, QStringLiteral("الاسم"));
        columnHeader.addText(QStringLiteral("h_amount"), 130, 0, 60, 7, QStringLiteral("المبلغ"),
                             Align::Left);
        groupValue = [this] { return source()->value(QStringLiteral("grp")); };
        groupHeader.height = 7;
        groupHeader.addText(QStringLiteral("group"), 0, 0, 190, 7);
        groupHeader.beforePrint = [this](Band &band) {
            band.setText(QStringLiteral("group"),
                         QStringLiteral("المجموعة ") + source()->textValue(QStringLiteral("grp")));
            groupTotal = 0;
            return true;
        };
        detail.height = 6;
        detail.addField(QStringLiteral("id"), 0, 0, 20, 6);
        detail.addField(QStringLiteral("name"), 20, 0, 110, 6);
        detail.addField(QStringLiteral("amount"), 130, 0, 60, 6, Align::Left,
                        QStringLiteral("#,##0.00"));
        detail.beforePrint = [this](Band &) {
            const double amount = source()->realValue(QStringLiteral("amount"));
            total += amount;
            groupTotal += amount;
            ++details;
            return source()->intValue(QStringLiteral("id")) != hiddenRow;
        };
        groupFooter.height = 7;
        groupFooter.addText(QStringLiteral("groupTotal"), 130, 0, 60, 7, {}, Align::Left).mask =
            QStringLiteral("#,##0.00");
        groupFooter.beforePrint = [this](Band &band) {
            band.setValue(QStringLiteral("groupTotal"), groupTotal);
            return true;
        };
        summary.height = 8;
        summary.addText(QStringLiteral("total"), 130, 0, 60, 8, {}, Align::Left).mask =
            QStringLiteral("#,##0.00");
        summary.addText(QStringLiteral("count"), 0, 0, 60, 8);
        summary.beforePrint = [this](Band &band) {
            band.setValue(QStringLiteral("total"), total);
            band.setText(QStringLiteral("count"),
                         QStringLiteral("عدد الصفوف ") + isolate(QString::number(details)));
            return true;
        };
        pageFooter.height = 6;
        pageFooter.addLine(0, 0, 190, 0);
        pageFooter.addText(QStringLiteral("page"), 0, 0, 60, 6,
                           QStringLiteral("صفحة {page} من {pages}"));
        pageFooter.addText(QStringLiteral("credit"), 60, 0, 130, 6,
                           QStringLiteral("سمات - برنامج مقياس سمات التوحد"), Align::Left);
    }

    double total = 0;
    double groupTotal = 0;
    int details = 0;
    int hiddenRow = -1;

protected:
    void beforeRun() override
    {
        total = 0;
        groupTotal = 0;
        details = 0;
    }
};

QStringList textsOfBand(const QList<LaidOutPage> &pages, const QString &band)
{
    QStringList texts;
    for (const LaidOutPage &page : pages)
        for (const Item &item : page.itemsOfBand(band))
            if (item.kind == Item::Kind::Text)
                texts << item.text;
    return texts;
}

const Item *findItem(const LaidOutPage &page, const QString &band, const QString &name)
{
    for (const Item &item : page.items)
        if (item.band == band && item.name == name)
            return &item;
    return nullptr;
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

int exitCode(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) ? process.exitCode() : -1;
}

// Children's names with every form of lam-alef, at the start of a word, inside it and at its
// end, and with the word Allah.
const QStringList ligatureNames = {
    QStringLiteral("علاء محمود"),    QStringLiteral("لاتعانى من صعوبات"),
    QStringLiteral("لأ لإ لآ ـلا"),  QStringLiteral("ـلأ ـلإ ـلآ"),
    QStringLiteral("بلال عبد الله"), QStringLiteral("آلاء عبدالله"),
    QStringLiteral("إسلام الأمير"),  QStringLiteral("ملأ الإناء بلا تعب"),
};

// Text as a reader's search compares it: presentation forms read as their letters, without the
// marks of direction.
QString asSearched(const QString &text)
{
    static const QRegularExpression marks(
        QStringLiteral("[\\x{200E}\\x{200F}\\x{202A}-\\x{202E}\\x{2066}-\\x{2069}]"));
    return text.normalized(QString::NormalizationForm_KC).remove(marks);
}

QStringList arabicWords(const QList<LaidOutPage> &pages)
{
    static const QRegularExpression word(QStringLiteral("[\\x{0621}-\\x{064A}]+"));
    QStringList words;
    for (const LaidOutPage &page : pages)
        for (const QString &text : page.texts())
            for (const QRegularExpressionMatch &match : word.globalMatch(asSearched(text)))
                words << match.captured();
    words.removeDuplicates();
    return words;
}

// The PDF that Qt's writer alone makes of the pages, painted as a report paints them.
QByteArray pdfOfQt(const Report &report, const QList<LaidOutPage> &pages,
                   PaintedPages *painted = nullptr)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(int(layoutDpi));
    writer.setPageLayout(report.pageLayout());
    renderPages(writer, pages, {}, painted);
    return buffer.data();
}

// Each page of a PDF as pdftoppm renders it.
QList<QImage> rendered(const QString &pdf, int pages)
{
    QList<QImage> images;
    for (int page = 1; page <= pages; ++page) {
        const QString png = pdf + QString::number(page);
        run("pdftoppm", {"-r", "50", "-png", "-singlefile", "-f", QString::number(page), "-l",
                         QString::number(page), pdf, png});
        images << QImage(png + QStringLiteral(".png"));
    }
    return images;
}

// A paint device that keeps where each glyph outline painted on it stands, in its own pixels, in
// the order they were painted. Text reaches it as filled outlines, as it reaches every paint
// engine that does not draw text itself; rectangles, lines, pictures, stroked paths and the
// preview's veil over the margins leave no trace.
class GlyphRecorder : public QPaintDevice {
public:
    QList<QRectF> outlines() const { return m_engine.outlines; }
    QPaintEngine *paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return int(210 / 25.4 * dpi);
        case PdmHeight:
            return int(297 / 25.4 * dpi);
        case PdmWidthMM:
            return 210;
        case PdmHeightMM:
            return 297;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return dpi;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    static constexpr int dpi = 300;

    class Engine : public QPaintEngine {
    public:
        Engine()
            : QPaintEngine(AllFeatures)
        {}
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        Type type() const override { return User; }
        void updateState(const QPaintEngineState &) override {}
        void drawPath(const QPainterPath &path) override
        {
            if (!path.isEmpty() && painter()->pen().style() == Qt::NoPen &&
                painter()->brush().isOpaque())
                outlines << painter()->combinedTransform().map(path).boundingRect();
        }
        void drawRects(const QRectF *, int) override {}
        void drawRects(const QRect *, int) override {}
        void drawLines(const QLineF *, int) override {}
        void drawLines(const QLine *, int) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawPolygon(const QPoint *, int, PolygonDrawMode) override {}
        void drawEllipse(const QRectF &) override {}
        void drawPoints(const QPointF *, int) override {}
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawImage(const QRectF &, const QImage &, const QRectF &,
                       Qt::ImageConversionFlags) override
        {}
        void drawTiledPixmap(const QRectF &, const QPixmap &, const QPointF &) override {}

        QList<QRectF> outlines;
    };
    mutable Engine m_engine;
};

// The outlines as fractions of the box that holds them all, so that pages painted at different
// sizes compare.
QList<QRectF> relativeToTheirBox(const QList<QRectF> &outlines)
{
    QRectF box;
    for (const QRectF &outline : outlines)
        box |= outline;
    QList<QRectF> relative;
    for (const QRectF &outline : outlines)
        relative << QRectF((outline.x() - box.x()) / box.width(),
                           (outline.y() - box.y()) / box.height(), outline.width() / box.width(),
                           outline.height() / box.height());
    return relative;
}

// What the preview window shows of a page (the first is 0), painted on the recorder.
QList<QRectF> previewPage(QDialog *preview, qsizetype number = 0)
{
    auto *view = preview->findChild<QGraphicsView *>();
    if (!view || view->scene()->items().size() <= number)
        return {};
    QList<QGraphicsItem *> pages = view->scene()->items();
    std::sort(pages.begin(), pages.end(), [](QGraphicsItem *a, QGraphicsItem *b) {
        return a->sceneBoundingRect().top() < b->sceneBoundingRect().top();
    });
    QGraphicsItem *page = pages.at(number);
    for (QGraphicsItem *other : pages)
        other->setVisible(other == page);
    page->setCacheMode(QGraphicsItem::NoCache);
    GlyphRecorder recorder;
    {
        QPainter painter(&recorder);
        view->scene()->render(&painter, QRectF(), page->sceneBoundingRect());
    }
    for (QGraphicsItem *other : pages)
        other->setVisible(true);
    return recorder.outlines();
}

} // namespace

class ReportEngineTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MemoryRows> m_rows;
    QTemporaryDir m_folder;

    // Rows 1..count, in groups of `perGroup`, amount = id * 1000.5.
    MemoryRows &rows(int count, int perGroup = 10)
    {
        QStringList names;
        for (int id = 1; id <= count; ++id)
            names << QStringLiteral("الطفل رقم ") + QString::number(id);
        return rowsNamed(names, perGroup);
    }

    // A row for each name, with ids from 1, in groups of `perGroup`, amount = id * 1000.5.
    MemoryRows &rowsNamed(const QStringList &names, int perGroup = 10)
    {
        QList<QVariantList> values;
        for (int id = 1; id <= names.size(); ++id)
            values << QVariantList{id, (id - 1) / perGroup + 1, names.at(id - 1), id * 1000.5};
        m_rows = std::make_unique<MemoryRows>(QStringList{"id", "grp", "name", "amount"}, values);
        return *m_rows;
    }

    // Names enough for a few pages, each name many times over.
    MemoryRows &ligatureRows()
    {
        QStringList names;
        for (int copy = 0; copy < 12; ++copy)
            names << ligatureNames;
        return rowsNamed(names);
    }

private slots:
    void initTestCase() { quietOffscreenPlatform(); }

    void masksWriteLatinDigits()
    {
        QCOMPARE(formatMask(1234567.891, "#,##0.00"), QStringLiteral("1,234,567.89"));
        QCOMPARE(formatMask(999.999, "#,##0.00"), QStringLiteral("1,000.00"));
        QCOMPARE(formatMask(12.5, "#,##0.00"), QStringLiteral("12.50"));
        QCOMPARE(formatMask(-1234.5, "#,##0.00"), QStringLiteral("-1,234.50"));
        QCOMPARE(formatMask(-0.001, "0.00"), QStringLiteral("0.00"));
        QCOMPARE(formatMask(33.3333, "0.00"), QStringLiteral("33.33"));
        QCOMPARE(formatMask(1234.6, "0"), QStringLiteral("1235"));
        QCOMPARE(formatMask(0, "0"), QStringLiteral("0"));
        QCOMPARE(isolate("2026-12-08"),
                 QChar(0x2066) + QStringLiteral("2026-12-08") + QChar(0x2069));
    }

    void aLongLayOutTellsItsProgressAndStopsWhenAsked()
    {
        RowsReport report(&rows(300));
        QList<int> told;
        report.progress = [&told](int rowsDone, Report::Counted what) {
            if (what == Report::Counted::Rows)
                told << rowsDone;
            return true;
        };
        const int pages = int(report.layOut().size());
        QCOMPARE(told, QList<int>({64, 128, 192, 256, 300}));
        report.progress = [](int, Report::Counted) { return false; };
        QVERIFY_THROWS_EXCEPTION(LayoutCancelled, report.layOut());
        report.progress = nullptr;
        QCOMPARE(int(report.layOut().size()), pages);
    }

    void aGroupHeaderNeverEndsAPage()
    {
        for (int perGroup : {3, 4, 5, 7}) {
            RowsReport report(&rows(120, perGroup));
            for (const LaidOutPage &page : report.layOut()) {
                double lastHeader = -1;
                double lastDetail = -1;
                for (const Item &item : page.items) {
                    if (item.band == "groupHeader")
                        lastHeader = qMax(lastHeader, item.rect.top());
                    if (item.band == "detail")
                        lastDetail = qMax(lastDetail, item.rect.top());
                }
                QVERIFY2(lastHeader < 0 || lastDetail > lastHeader,
                         qPrintable(QStringLiteral("%1 rows a group").arg(perGroup)));
            }
        }
    }

    void pagesBreakWithHeaderAndFooterOnEveryPage()
    {
        RowsReport report(&rows(100));
        const QList<LaidOutPage> pages = report.layOut();
        QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
        const int n = int(pages.size());
        for (int i = 0; i < n; ++i) {
            const LaidOutPage &page = pages.at(i);
            QCOMPARE(page.size, QSizeF(210, 297));
            const Item *title = findItem(page, "pageHeader", "title");
            QVERIFY(title);
            const Item *logo = findItem(page, "pageHeader", "logo");
            QVERIFY(logo && logo->kind == Item::Kind::Picture);
            QCOMPARE(logo->rect.size(), QSizeF(24, 12)); // 2:1 fitted into 25 x 12
            QCOMPARE(title->rect.top(), 10.0);
            QVERIFY(findItem(page, "columnHeader", "h_name"));
            const Item *footer = findItem(page, "pageFooter", "page");
            QVERIFY(footer);
            QCOMPARE(footer->text, QStringLiteral("صفحة %1 من %2").arg(i + 1).arg(n));
            QVERIFY(qAbs(footer->rect.bottom() - 287.0) < 1e-6);
            // Nothing of the body reaches into the page footer or past the bottom margin.
            for (const Item &item : page.items)
                if (item.band != "pageFooter")
                    QVERIFY(item.rect.bottom() <= footer->rect.top() + 1e-6);
        }
        // Every row once, in order, across the pages.
        QStringList ids;
        for (const LaidOutPage &page : pages)
            for (const Item &item : page.itemsOfBand("detail"))
                if (item.name == "id")
                    ids << item.text;
        QCOMPARE(ids.size(), 100);
        QCOMPARE(ids.first(), QStringLiteral("1"));
        QCOMPARE(ids.last(), QStringLiteral("100"));
        QCOMPARE(textsOfBand(pages, "summary").first(),
                 formatMask(1000.5 * 100 * 101 / 2, "#,##0.00"));
        QVERIFY(findItem(pages.last(), "summary", "total"));
    }

    void groupsStartWhenTheValueChangesAndCloseAtTheEnd()
    {
        RowsReport report(&rows(25, 10));
        const QList<LaidOutPage> pages = report.layOut();
        QCOMPARE(textsOfBand(pages, "groupHeader"),
                 QStringList({"المجموعة 1", "المجموعة 2", "المجموعة 3"}));
        // 1..10, 11..20 and 21..25, times 1000.5.
        QCOMPARE(
            textsOfBand(pages, "groupFooter"),
            QStringList({formatMask(55 * 1000.5, "#,##0.00"), formatMask(155 * 1000.5, "#,##0.00"),
                         formatMask(115 * 1000.5, "#,##0.00")}));
        // A group header comes right before the first row of its group, its footer after the
        // last one.
        QList<QPair<QString, QString>> order;
        for (const LaidOutPage &page : pages)
            for (const Item &item : page.items)
                if ((item.band == "detail" && item.name == "id") ||
                    (item.band == "groupHeader" || item.band == "groupFooter"))
                    order << qMakePair(item.band, item.text);
        QCOMPARE(order.at(0).first, QStringLiteral("groupHeader"));
        QCOMPARE(order.at(1).second, QStringLiteral("1"));
        QCOMPARE(order.at(10).second, QStringLiteral("10"));
        QCOMPARE(order.at(11).first, QStringLiteral("groupFooter"));
        QCOMPARE(order.at(12).first, QStringLiteral("groupHeader"));
        QCOMPARE(order.last().first, QStringLiteral("groupFooter"));
    }

    void aSuppressedBandPrintsNothing()
    {
        RowsReport report(&rows(5));
        report.hiddenRow = 3;
        QList<LaidOutPage> pages = report.layOut();
        QStringList ids;
        for (const Item &item : pages.first().itemsOfBand("detail"))
            if (item.name == "id")
                ids << item.text;
        QCOMPARE(ids, QStringList({"1", "2", "4", "5"}));
        // The hook still ran, so the total counts the row.
        QCOMPARE(report.details, 5);
        // Rows 2 and 4 stand one row height apart: no gap where row 3 was left out.
        const Item *second = nullptr, *fourth = nullptr;
        const QList<Item> details = pages.first().itemsOfBand("detail");
        for (const Item &item : details) {
            if (item.name == "id" && item.text == "2")
                second = &item;
            if (item.name == "id" && item.text == "4")
                fourth = &item;
        }
        QVERIFY(second && fourth);
        QCOMPARE(fourth->rect.top() - second->rect.top(), 6.0);

        report.summary.beforePrint = [](Band &) { return false; };
        pages = report.layOut();
        QVERIFY(pages.first().itemsOfBand("summary").isEmpty());
        QVERIFY(!pages.first().itemsOfBand("pageFooter").isEmpty());
    }

    void anEmptyResultPrintsHeaderSummaryAndFooter()
    {
        RowsReport report(&rows(0));
        const QList<LaidOutPage> pages = report.layOut();
        QCOMPARE(pages.size(), 1);
        QVERIFY(findItem(pages.first(), "pageHeader", "title"));
        const Item *padded = findItem(pages.first(), "columnHeader", "h_id");
        QVERIFY(padded);
        QCOMPARE(padded->rect.right(), 199.0);
        QCOMPARE(padded->rect.width(), 18.0);
        QVERIFY(pages.first().itemsOfBand("detail").isEmpty());
        QVERIFY(pages.first().itemsOfBand("groupHeader").isEmpty());
        QCOMPARE(findItem(pages.first(), "summary", "total")->text, QStringLiteral("0.00"));
        QCOMPARE(findItem(pages.first(), "pageFooter", "page")->text,
                 QStringLiteral("صفحة 1 من 1"));

        // A report over no source at all.
        Report bare(QStringLiteral("BareReport"));
        bare.pageHeader.addText("title", 0, 0, 100, 8, "عنوان");
        bare.summary.addText("end", 0, 0, 100, 8, "نهاية");
        const QList<LaidOutPage> barePages = bare.layOut();
        QCOMPARE(barePages.size(), 1);
        QCOMPARE(barePages.first().texts(), QStringList({"عنوان", "نهاية"}));
        QCOMPARE(findItem(barePages.first(), "summary", "end")->rect.top(), 18.0);
    }

    void positionsRunFromTheRightEdge()
    {
        RowsReport report(&rows(3));
        const LaidOutPage page = report.layOut().first();
        const Item *id = findItem(page, "detail", "id");
        QVERIFY(id);
        QCOMPARE(id->rect.right(), 210.0 - 10.0);
        QCOMPARE(id->rect.width(), 20.0);
        QCOMPARE(id->alignment & ~Qt::AlignVertical_Mask, Qt::AlignRight | Qt::AlignAbsolute);
        const Item *amount = findItem(page, "detail", "amount");
        QCOMPARE(amount->rect.left(), 10.0);
        QCOMPARE(amount->text, QStringLiteral("1,000.50"));
        QCOMPARE(amount->alignment & ~Qt::AlignVertical_Mask, Qt::AlignLeft | Qt::AlignAbsolute);
        const Item *line = findItem(page, "pageFooter", "");
        QVERIFY(line && line->kind == Item::Kind::Line);
        QCOMPARE(line->line.x1(), 200.0);
        QCOMPARE(line->line.x2(), 10.0);
    }

    void aWrappedTextMakesItsBandTaller()
    {
        Report report(QStringLiteral("WrapReport"));
        report.summary.height = 6;
        report.summary.addRect(0, 0, 40, 6).stretch = true;
        report.summary.addText("long", 0, 0, 40, 6,
                               QStringLiteral("نص طويل جدا يلتف على عدة أسطر داخل مربعه الضيق "
                                              "ولا يتداخل مع ما بعده من النطاقات"));
        report.pageFooter.addText("after", 0, 0, 40, 6, "بعد");
        report.summary.addText("date", 50, 0, 80, 6,
                               QStringLiteral("تاريخ الاختبار ") + isolate("2026-12-08") +
                                   QStringLiteral(" للطفل سارة"));
        if (const QString sample = qEnvironmentVariable("SIMAT_REPORT_SAMPLE"); !sample.isEmpty())
            report.writePdf(sample + QStringLiteral(".wrap.pdf"));
        const LaidOutPage page = report.layOut().first();
        const Item *text = findItem(page, "summary", "long");
        QVERIFY2(text->rect.height() > 12, qPrintable(QString::number(text->rect.height())));
        const Item *cell = nullptr;
        for (const Item &item : page.items)
            if (item.kind == Item::Kind::Rect)
                cell = &item;
        QVERIFY(cell);
        QCOMPARE(cell->rect.bottom(), text->rect.bottom());
    }

    void aTextKeepsInsideItsBoxWhereItCannotGrow()
    {
        const QString words = QStringLiteral("كلمة ").repeated(800).trimmed();
        const QChar ellipsis(0x2026);
        Report report(QStringLiteral("FitReport"));
        report.pageFooter.height = 6;
        report.pageFooter.addText("footer", 0, 0, 190, 6, words.left(600));
        report.summary.height = 20;
        report.summary.addText("above", 0, 0, 60, 12, words.left(300));
        report.summary.addText("below", 0, 13, 60, 6, QStringLiteral("تحته"));
        report.summary.addText("line", 70, 0, 50, 6, words.left(100)).wrap = false;
        report.summary.addText("endless", 130, 0, 60, 6, words);
        const LaidOutPage page = report.layOut().first();
        const QFont font = layoutFont(report.fontFamily, report.fontSize, false);
        const QFontMetricsF metrics(font);

        // Wrapped in as many lines as its box holds, the last one cut short.
        const Item *above = findItem(page, "summary", "above");
        QCOMPARE(above->rect.height(), 12.0);
        QVERIFY(above->text.endsWith(ellipsis));
        QVERIFY(words.startsWith(above->text.chopped(1)));
        QVERIFY(textHeight(above->text, font, above->rect.width(), true) <= 12.0);
        QVERIFY(above->text.size() > 40);

        // One line, cut short to its width.
        const Item *line = findItem(page, "summary", "line");
        QVERIFY(line->text.endsWith(ellipsis));
        QVERIFY(metrics.horizontalAdvance(line->text) <= mmToDots(line->rect.width()));

        // Growing no further than the page holds above its footer, which keeps its height.
        const Item *endless = findItem(page, "summary", "endless");
        QVERIFY(endless->text.endsWith(ellipsis));
        QVERIFY(endless->rect.height() > 100);
        const Item *footer = findItem(page, "pageFooter", "footer");
        QCOMPARE(footer->rect.height(), 6.0);
        QVERIFY(footer->text.endsWith(ellipsis));
        QVERIFY(endless->rect.bottom() <= footer->rect.top());
    }

    void landscapePagesAreWiderThanTall()
    {
        RowsReport report(&rows(60));
        report.setOrientation(QPageLayout::Landscape);
        const QList<LaidOutPage> pages = report.layOut();
        QCOMPARE(pages.first().size, QSizeF(297, 210));
        QCOMPARE(findItem(pages.first(), "detail", "id")->rect.right(), 297.0 - 10.0);
        RowsReport portrait(m_rows.get());
        QVERIFY(pages.size() > portrait.layOut().size());
    }

    // Laid out again, whole or page by page, numbered with the count of its pages.
    void aSecondRunGivesTheSamePages()
    {
        RowsReport report(&rows(140));
        const QList<LaidOutPage> first = report.layOut();
        const QList<LaidOutPage> second = report.layOut();
        QCOMPARE(second.size(), first.size());
        for (qsizetype i = 0; i < first.size(); ++i)
            QCOMPARE(second.at(i).texts(), first.at(i).texts());
        QCOMPARE(report.details, 140);
        QList<QStringList> handed;
        report.layOutEach(report.pageLayout(),
                          [&handed](const LaidOutPage &page) { handed << page.texts(); });
        QCOMPARE(handed.size(), first.size());
        for (qsizetype i = 0; i < first.size(); ++i)
            QCOMPARE(handed.at(i), first.at(i).texts());
        QVERIFY(handed.last().contains(QStringLiteral("صفحة %1 من %1").arg(first.size())));
    }

    void aPdfFileHoldsThePages()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("poppler-utils is not installed");
        RowsReport report(&rows(100));
        const int pages = int(report.layOut().size());
        const QString path = m_folder.filePath("rows.pdf");
        QVERIFY(report.writePdf(path));
        // SIMAT_REPORT_SAMPLE names a file to keep the sample PDF in, to look at.
        if (const QString sample = qEnvironmentVariable("SIMAT_REPORT_SAMPLE"); !sample.isEmpty()) {
            QFile::remove(sample);
            QFile::copy(path, sample);
        }
        const QString info = run("pdfinfo", {path});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))),
                 qPrintable(info));
        const QString text =
            run("pdftotext", {"-layout", path, "-"}).normalized(QString::NormalizationForm_KC);
        QCOMPARE(text.count("MARKER-XYZ"), pages);
        QVERIFY(text.contains("1,000.50"));
        QVERIFY(text.contains(QString("سمات").normalized(QString::NormalizationForm_KC)));
    }

    void aPdfReaderFindsEveryArabicWordAsItReads_data()
    {
        QTest::addColumn<bool>("printed");
        QTest::newRow("saved") << false;
        QTest::newRow("printed to a file") << true;
    }

    void aPdfReaderFindsEveryArabicWordAsItReads()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("poppler-utils is not installed");
        QFETCH(bool, printed);
        RowsReport report(&ligatureRows());
        report.pageHeader.setText(QStringLiteral("title"), QStringLiteral("أسماء الأطفال ولاؤها"));
        const QString path = m_folder.filePath(printed ? "printed.pdf" : "saved.pdf");
        if (printed) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            printer.setPageLayout(report.pageLayout());
            report.print(&printer);
        } else {
            QVERIFY(report.writePdf(path));
        }
        const QString text = asSearched(run("pdftotext", {path, "-"}));
        const QList<LaidOutPage> pages = report.layOut();
        QVERIFY(pages.size() > 2);
        for (const QString &word : arabicWords(pages))
            QVERIFY2(text.contains(word), qPrintable(word));
        for (const char *word : {"علاء", "لاتعانى", "لأ", "لإ", "لآ", "ـلا", "الله", "ولاؤها"})
            QVERIFY2(text.contains(QString::fromUtf8(word)), word);
    }

    void theTextOfLigaturesLeavesThePdfValidAndItsPagesAsQtPaintedThem()
    {
        if (QStandardPaths::findExecutable("pdftoppm").isEmpty() ||
            QStandardPaths::findExecutable("qpdf").isEmpty())
            QSKIP("poppler-utils or qpdf is not installed");
        RowsReport report(&ligatureRows());
        const QString withTexts = m_folder.filePath("texts.pdf");
        QVERIFY(report.writePdf(withTexts));
        QCOMPARE(exitCode("qpdf", {"--check", withTexts}), 0);
        const QString qtAlone = m_folder.filePath("qt.pdf");
        const QList<LaidOutPage> pages = report.layOut();
        QFile file(qtAlone);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(pdfOfQt(report, pages));
        file.close();
        const QList<QImage> seen = rendered(withTexts, int(pages.size()));
        const QList<QImage> painted = rendered(qtAlone, int(pages.size()));
        for (qsizetype page = 0; page < pages.size(); ++page) {
            QVERIFY(!seen.at(page).isNull());
            QVERIFY2(seen.at(page) == painted.at(page), qPrintable(QString::number(page + 1)));
        }
    }

    void glyphTextsGoOnlyIntoPagesAsTheyWerePainted()
    {
        RowsReport report(&ligatureRows());
        const QList<LaidOutPage> pages = report.layOut();
        PaintedPages painted;
        const QByteArray qtAlone = pdfOfQt(report, pages, &painted);
        QByteArray pdf = qtAlone;
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("pages where 1 were painted")));
        PaintedPages firstPage;
        firstPage.append(painted.at(0));
        QVERIFY(!addGlyphTexts(pdf, firstPage));
        QCOMPARE(pdf, qtAlone);

        QVERIFY(addGlyphTexts(pdf, painted));
        const QByteArray marked = pdf;
        for (qsizetype page = 1; page <= pages.size(); ++page)
            QTest::ignoreMessage(QtWarningMsg,
                                 qPrintable(QStringLiteral("report PDF: page %1 is not as it was "
                                                           "painted; its ligatures keep no text")
                                                .arg(page)));
        QVERIFY(!addGlyphTexts(pdf, painted));
        QCOMPARE(pdf, marked);
    }

    void renderingPaintsOnAnImage()
    {
        RowsReport report(&rows(5));
        const LaidOutPage page = report.layOut().first();
        QImage image(int(210 / 25.4 * 100), int(297 / 25.4 * 100), QImage::Format_RGB32);
        image.setDotsPerMeterX(int(100 / 0.0254));
        image.setDotsPerMeterY(int(100 / 0.0254));
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            renderPage(painter, page);
        }
        // Something dark stands near the right margin on the first detail row, nothing in
        // the left margin.
        const Item *id = findItem(page, "detail", "id");
        bool inked = false;
        for (int x = int((id->rect.left()) / 25.4 * 100); x < int(200 / 25.4 * 100); ++x)
            for (int y = int(id->rect.top() / 25.4 * 100); y < int(id->rect.bottom() / 25.4 * 100);
                 ++y)
                if (qGray(image.pixel(x, y)) < 128)
                    inked = true;
        QVERIFY(inked);
        for (int x = 0; x < int(9 / 25.4 * 100); ++x)
            for (int y = 0; y < image.height(); ++y)
                QVERIFY(qGray(image.pixel(x, y)) > 200);
    }

    void thePreviewShowsTheGlyphsThePdfGetsInTheirPlaces()
    {
        Report report(QStringLiteral("MixedTexts"));
        report.summary.height = 40;
        report.summary.addText("birth", 0, 0, 60, 6, QStringLiteral("تاريخ الميلاد (ميلادى)"));
        report.summary.addText("count", 0, 8, 60, 6,
                               QStringLiteral("عدد الأسئلة ") + isolate(QStringLiteral("50")));
        report.summary.addText("age", 0, 16, 60, 6,
                               isolate(QStringLiteral("17")) + QStringLiteral(" يوم"));
        report.summary.addText("wrapped", 70, 0, 50, 6,
                               QStringLiteral("نص يلتف على أسطر (فيه أقواس) وأرقام ") +
                                   isolate(QStringLiteral("2026-12-08")));
        GlyphRecorder pdf;
        {
            QPainter painter(&pdf);
            renderPage(painter, report.layOut().first(),
                       report.pageLayout().paintRect(QPageLayout::Millimeter).topLeft());
        }
        QList<QRectF> preview;
        QTimer::singleShot(500, this, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            preview = previewPage(dialog);
            dialog->reject();
        });
        report.preview();
        const QList<QRectF> expected = relativeToTheirBox(pdf.outlines());
        const QList<QRectF> shown = relativeToTheirBox(preview);
        QVERIFY(expected.size() >= 4);
        QCOMPARE(shown.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const QRectF &a = shown.at(i), &b = expected.at(i);
            QVERIFY2(qAbs(a.left() - b.left()) < 1e-3 && qAbs(a.top() - b.top()) < 1e-3 &&
                         qAbs(a.right() - b.right()) < 1e-3 && qAbs(a.bottom() - b.bottom()) < 1e-3,
                     qPrintable(QStringLiteral("outline %1 of %2").arg(i).arg(expected.size())));
        }
    }

    // Of a long report only the pages near the one in view are painted: each painted page is
    // held as the outlines of its glyphs, and a year's list would hold gigabytes. A short report
    // is painted whole.
    void aLongPreviewPaintsThePagesNearTheOneInViewAsItMoves()
    {
        RowsReport longReport(&rows(3000));
        int pageCount = 0;
        bool farBlankAtFirst = false, farPaintedOnceReached = false, firstBlankThen = false;
        QTimer::singleShot(500, this, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            auto *pages = dialog->findChild<QPrintPreviewWidget *>();
            pageCount = pages->pageCount();
            const int far = pageCount - 5;
            farBlankAtFirst = !previewPage(dialog).isEmpty() && previewPage(dialog, far).isEmpty();
            pages->setCurrentPage(far + 1);
            farPaintedOnceReached =
                QTest::qWaitFor([&] { return !previewPage(dialog, far).isEmpty(); }, 3000);
            firstBlankThen = previewPage(dialog).isEmpty();
            dialog->reject();
        });
        longReport.preview();
        QCOMPARE(pageCount, int(longReport.layOut().size()));
        QVERIFY(pageCount > 50);
        QVERIFY(farBlankAtFirst);
        QVERIFY(farPaintedOnceReached);
        QVERIFY(firstBlankThen);

        RowsReport shortReport(&rows(1200));
        bool lastPainted = false;
        QTimer::singleShot(500, this, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            pageCount = dialog->findChild<QPrintPreviewWidget *>()->pageCount();
            lastPainted = !previewPage(dialog, pageCount - 1).isEmpty();
            dialog->reject();
        });
        shortReport.preview();
        QVERIFY(pageCount > 20);
        QVERIFY(lastPainted);
    }

    void thePreviewOpensWithinItsScreenAndOffersPdf()
    {
        RowsReport report(&rows(30));
        QRect frame, room;
        bool resizable = false;
        QString save;
        QTimer::singleShot(500, this, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            frame = dialog->frameGeometry();
            room = dialog->screen()->availableGeometry();
            resizable = dialog->minimumSize() != dialog->maximumSize();
            if (const auto *action = dialog->findChild<QAction *>("savePdfAction"))
                save = action->text();
            dialog->reject();
        });
        report.preview();
        QVERIFY2(room.contains(frame), qPrintable(QStringLiteral("%1 x %2 on %3 x %4")
                                                      .arg(frame.width())
                                                      .arg(frame.height())
                                                      .arg(room.width())
                                                      .arg(room.height())));
        QVERIFY(frame.height() > room.height() * 0.9);
        QVERIFY(resizable);
        QCOMPARE(save, QStringLiteral("حفظ PDF"));
    }

    void aFailureInsideThePreviewIsShownOverItAndThePreviewStays()
    {
        RowsReport report(&rows(3));
        report.detail.beforePrint = [](Band &) -> bool { throw Error("تعذر قراءة الصف"); };
        BoxAnswerer boxes;
        bool stayed = false;
        QTimer::singleShot(1500, this, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            stayed = dialog && dialog->objectName() == QStringLiteral("ReportPreview");
            if (dialog)
                dialog->reject();
        });
        report.preview();
        QVERIFY(stayed);
        QVERIFY(boxes.count() > 0);
        QCOMPARE(boxes.texts.first(), QStringLiteral("تعذر قراءة الصف"));
    }
};

SIMAT_TEST_MAIN(ReportEngineTest)
#include "test_report_engine.moc"
