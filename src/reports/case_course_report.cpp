#include "case_course_report.h"

#include "core/checklist.h"
#include "data/dm.h"
#include "report_parts.h"
#include "ui/global.h"
#include "ui/messages.h"
#include "ui/screens.h"

#include <algorithm>

namespace simat {

using report::Align;
using report::Band;
using report::isolate;

namespace {

constexpr double width = report_parts::landscapeWidth;
constexpr double rowHeight = 6.5;
const QString rateMask = QStringLiteral("#,##0.00");
const QColor thresholdColor(0xb0, 0x3a, 0x2e);
const QColor unfinishedFill(0xf1, 0xf1, 0xf1);
// A colour for each domain's line, and the total's.
const QColor domainColors[] = {QColor(0x1f, 0x6f, 0x8b), QColor(0xd9, 0x8c, 0x1f),
                               QColor(0x3c, 0x8d, 0x3f), QColor(0x8e, 0x44, 0xad),
                               QColor(0x9c, 0x64, 0x4a), QColor(0x5d, 0x6d, 0x7e)};
const QColor totalColor = Qt::black;

// The columns of a test's row before the domains, from the right.
struct Column {
    const char *name;
    const char *title;
    double width;
};
constexpr Column leadingColumns[] = {{"Ltest_no", "رقم الاختبار", 18},
                                     {"Ltest_date", "تاريخ الاختبار", 24},
                                     {"Ltest_status", "حالة الاختبار", 20},
                                     {"Ltest_note", "ملاحظات", 30}};
constexpr double leadingWidth = 18 + 24 + 20 + 30;

QString percentText(std::optional<double> rate)
{
    return rate ? isolate(report::formatMask(*rate, rateMask) + QStringLiteral(" %")) : QString();
}

QString shownDate(const QDate &date)
{
    return date.isValid() ? isolate(date.toString(QStringLiteral("dd/MM/yyyy"))) : QString();
}

QColor colorOfDomain(int index)
{
    return domainColors[index % std::size(domainColors)];
}

report::Element &addCell(Band &band, const QString &name, double x, double w, double h,
                         const QString &text = {}, const QColor &fill = {})
{
    band.addRect(x, 0, w, h, fill).stretch = true;
    report::Element &cell = band.addText(name, x, 0, w, h, text, Align::Center);
    cell.padding = 1;
    cell.stretch = true;
    return cell;
}

} // namespace

TCaseCourseReport::TCaseCourseReport(QObject *parent)
    : report::Report(QStringLiteral("CaseCourseReport"), parent)
    , m_store(*TDataModule1::instance())
    , m_rows([](const ChecklistTest &, const QString &column) -> QVariant { noColumn(column); })
{
    caption = QStringLiteral("تطور الحالة");
    setOrientation(QPageLayout::Landscape);
    setSource(&m_rows);
    buildPageHeader();
    buildSummary();
    report_parts::addPageFooter(pageFooter, width);
}

TCaseCourseReport::~TCaseCourseReport() = default;

TCaseCourseReport *TCaseCourseReport::instance()
{
    return screens::object<TCaseCourseReport>(QStringLiteral("CaseCourseReport"));
}

QString TCaseCourseReport::pdfFileName() const
{
    if (tests().isEmpty())
        return report::Report::pdfFileName();
    const TestIdentity &latest = tests().last().identity;
    return report_parts::pdfFileName("course", latest.caseCode, latest.testNo, latest.testDate);
}

void TCaseCourseReport::previewCase(int caseCode, QWidget *over)
{
    loadCase(caseCode);
    if (tests().isEmpty()) {
        messages::info(QStringLiteral("لاتوجد اختبارات للحالة"), over);
        return;
    }
    preview(over);
}

// The store lists a case's tests latest first, the higher number first on one day.
void TCaseCourseReport::loadCase(int caseCode)
{
    QList<ChecklistTest> loaded;
    for (const ChecklistTest &header : m_store.testsOf(caseCode))
        if (std::optional<ChecklistTest> test = m_store.load(header.identity))
            loaded.prepend(*test);
    m_domains.clear();
    for (const ChecklistTest &test : loaded)
        for (int domain : test.domains())
            if (!m_domains.contains(domain))
                m_domains << domain;
    std::sort(m_domains.begin(), m_domains.end());
    m_domainNames.clear();
    for (int domain : m_domains)
        m_domainNames[domain] = m_store.domainName(domain);
    m_case = m_store.caseOf(caseCode);
    m_rows.setItems(std::move(loaded));
}

bool TCaseCourseReport::isFinished(const ChecklistTest &test) const
{
    return test.isComplete(globals().ChecklistQuestionCount);
}

void TCaseCourseReport::beforeRun()
{
    m_rows.first();
    buildTable();
}

void TCaseCourseReport::buildPageHeader()
{
    Band &band = pageHeader;
    const double top = report_parts::addCentreHeading(band, width) + 2;
    band.element(QStringLiteral("Ltitle")).text = QStringLiteral("تطور الحالة");
    const struct {
        const char *caption;
        const char *name;
        double x;
        double captionWidth;
        double valueWidth;
    } fields[] = {{"اسم الحالة", "Lstud_name", 0, 20, 88},
                  {"كود الحالة", "Lstud_code", 112, 20, 22},
                  {"تاريخ الميلاد (ميلادى)", "Lstud_birth_date", 158, 36, 28},
                  {"عدد الاختبارات", "Ltest_count", 226, 26, 25}};
    for (const auto &field : fields)
        report_parts::addCaptioned(band, field.caption, field.name, field.x, top,
                                   field.captionWidth, field.valueWidth, rowHeight)
            .canGrow = false;
    band.height = top + rowHeight + 3;
    band.beforePrint = [this](Band &header) {
        report_parts::fillCentreHeading(header);
        header.setText(QStringLiteral("Lstud_name"), m_case ? m_case->name : QString());
        header.setText(QStringLiteral("Lstud_code"),
                       m_case ? isolate(QString::number(m_case->code)) : QString());
        header.setText(QStringLiteral("Lstud_birth_date"),
                       m_case ? shownDate(m_case->birthDate) : QString());
        header.setText(QStringLiteral("Ltest_count"), isolate(QString::number(tests().size())));
        return true;
    };
}

// The table has a column for each domain the case's tests hold, and one for the total.
void TCaseCourseReport::buildTable()
{
    columnHeader.elements.clear();
    detail.elements.clear();
    const double full = 2 * rowHeight;
    double x = 0;
    for (const Column &column : leadingColumns) {
        addCell(columnHeader, QStringLiteral("H") + QLatin1String(column.name).mid(1), x,
                column.width, full, QString::fromUtf8(column.title), report_parts::headingFill);
        addCell(detail, QLatin1String(column.name), x, column.width, rowHeight);
        x += column.width;
    }
    const double rateWidth = (width - leadingWidth) / (m_domains.size() + 1);
    for (int domain : m_domains) {
        addCell(columnHeader, QStringLiteral("Hdomain_%1").arg(domain), x, rateWidth, full,
                m_domainNames.value(domain), report_parts::headingFill);
        addCell(detail, QStringLiteral("Ldomain_%1").arg(domain), x, rateWidth, rowHeight);
        x += rateWidth;
    }
    addCell(columnHeader, QStringLiteral("Htotal"), x, rateWidth, full, QStringLiteral("الإجمالى"),
            report_parts::headingFill);
    addCell(detail, QStringLiteral("Ltotal"), x, rateWidth, rowHeight);
    for (report::Element &element : columnHeader.elements)
        element.bold = true;
    columnHeader.height = full;
    detail.height = rowHeight;
    detail.beforePrint = [this](Band &band) {
        fillRow(band, m_rows.current());
        return true;
    };
}

void TCaseCourseReport::fillRow(Band &band, const ChecklistTest &test)
{
    const bool finished = isFinished(test);
    for (report::Element &element : band.elements)
        if (element.kind == report::Element::Kind::Rect)
            element.fill = finished ? QColor() : unfinishedFill;
    band.setText(QStringLiteral("Ltest_no"), isolate(QString::number(test.identity.testNo)));
    band.setText(QStringLiteral("Ltest_date"), shownDate(test.identity.testDate));
    band.setText(QStringLiteral("Ltest_status"), checklist::statusWord(test.status));
    band.setText(QStringLiteral("Ltest_note"),
                 finished ? QString() : checklist::unfinishedTestText());
    for (int domain : m_domains)
        band.setText(QStringLiteral("Ldomain_%1").arg(domain),
                     percentText(test.domain(domain).rate()));
    band.setText(QStringLiteral("Ltotal"),
                 percentText(test.whole(globals().ChecklistQuestionCount).rate()));
}

void TCaseCourseReport::buildSummary()
{
    summary.height = 96;
    summary.addText(QStringLiteral("Lend"), 0, 89, width, 7, QStringLiteral("نهاية التقرير"),
                    Align::Center);
    m_summaryElements = summary.elements.size();
    summary.beforePrint = [this](Band &band) {
        band.elements.resize(m_summaryElements);
        drawChart(band);
        return true;
    };
}

void TCaseCourseReport::drawLegend(Band &band, double top) const
{
    QList<std::tuple<QString, QColor, bool>> entries;
    for (int index = 0; index < m_domains.size(); ++index)
        entries << std::tuple{m_domainNames.value(m_domains.at(index)), colorOfDomain(index),
                              false};
    entries << std::tuple{QStringLiteral("الإجمالى"), totalColor, false};
    entries << std::tuple{QStringLiteral("حد ظهور السمات") + QStringLiteral(" ") +
                              isolate(QStringLiteral("50 %")),
                          thresholdColor, true};
    const double entryWidth = width / entries.size();
    for (int index = 0; index < entries.size(); ++index) {
        const auto &[text, color, dashed] = entries.at(index);
        const double x = index * entryWidth;
        report::Element &mark = band.addLine(x + 1, top + 4, x + 8, top + 4, dashed ? 0.4 : 0.7);
        mark.color = color;
        mark.dashed = dashed;
        mark.name = QStringLiteral("Llegend_mark_%1").arg(index + 1);
        // A long name of a domain takes two lines.
        report::Element &name = band.addText(QStringLiteral("Llegend_%1").arg(index + 1), x + 9,
                                             top, entryWidth - 10, 8, text);
        name.fontSize = 7.5;
        name.canGrow = false;
    }
}

// The rates of the finished tests over a scale of 0 to 100, one point per test in date order
// from the right, the threshold dashed.
void TCaseCourseReport::drawChart(Band &band) const
{
    constexpr double top = 3;
    constexpr double plotTop = top + 19;
    constexpr double plotHeight = 52;
    constexpr double baseline = plotTop + plotHeight;
    constexpr double plotRight = 16;
    constexpr double plotWidth = width - plotRight - 4;
    band.addText(QStringLiteral("Lchart_title"), 0, top, width, 6,
                 QStringLiteral("نسب المجموعات والإجمالى فى الاختبارات المكتملة"), Align::Center)
        .bold = true;
    drawLegend(band, top + 8);
    for (int step = 0; step <= 4; ++step) {
        const double y = baseline - plotHeight * step / 4;
        const bool threshold = step * 25 == checklist::traitsThreshold;
        report::Element &rule = band.addLine(plotRight, y, plotRight + plotWidth, y,
                                             threshold   ? 0.4
                                             : step == 0 ? 0.3
                                                         : 0.1);
        rule.color = threshold ? thresholdColor : step == 0 ? Qt::black : Qt::lightGray;
        rule.dashed = threshold;
        rule.name = threshold ? QStringLiteral("Lthreshold") : QString();
        report::Element &label =
            band.addText({}, 0, y - 2.5, plotRight - 1, 5,
                         isolate(QString::number(step * 25) + QStringLiteral(" %")), Align::Left);
        label.fontSize = 8;
        label.canGrow = false;
        label.color = threshold ? thresholdColor : Qt::black;
    }
    QList<const ChecklistTest *> finished;
    for (const ChecklistTest &test : tests())
        if (isFinished(test))
            finished << &test;
    if (finished.isEmpty())
        return;
    const double slot = plotWidth / finished.size();
    const auto xOf = [&](int index) { return plotRight + slot * index + slot / 2; };
    const auto yOf = [&](double rate) {
        return baseline - plotHeight * qBound(0.0, rate, 100.0) / 100;
    };
    const int checklistQuestions = globals().ChecklistQuestionCount;
    QList<std::tuple<QString, QColor, std::function<std::optional<double>(const ChecklistTest &)>>>
        lines;
    for (int index = 0; index < m_domains.size(); ++index) {
        const int domain = m_domains.at(index);
        lines << std::tuple{
            QStringLiteral("Line_domain_%1").arg(domain), colorOfDomain(index),
            [domain](const ChecklistTest &test) { return test.domain(domain).rate(); }};
    }
    lines << std::tuple{QStringLiteral("Line_total"), totalColor,
                        [checklistQuestions](const ChecklistTest &test) {
                            return test.whole(checklistQuestions).rate();
                        }};
    for (const auto &[name, color, rateOf] : lines) {
        QPolygonF points;
        for (int index = 0; index < finished.size(); ++index)
            if (const std::optional<double> rate = rateOf(*finished.at(index)))
                points << QPointF(xOf(index), yOf(*rate));
        report::Element &line =
            band.addPolyline(points, name == QLatin1String("Line_total") ? 0.8 : 0.5);
        line.name = name;
        line.color = color;
        for (const QPointF &point : points)
            band.addRect(point.x() - 0.8, point.y() - 0.8, 1.6, 1.6, color, 0);
    }
    for (int index = 0; index < finished.size(); ++index) {
        const QDate date = finished.at(index)->identity.testDate;
        report::Element &label =
            band.addText(QStringLiteral("Lchart_date_%1").arg(index + 1), plotRight + slot * index,
                         baseline + 1, slot, 9,
                         isolate(date.toString(QStringLiteral("dd/MM"))) + QLatin1Char('\n') +
                             isolate(date.toString(QStringLiteral("yyyy"))),
                         Align::Center);
        label.fontSize = 7;
        label.canGrow = false;
    }
}

} // namespace simat
