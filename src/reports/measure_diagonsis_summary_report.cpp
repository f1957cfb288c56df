#include "measure_diagonsis_summary_report.h"

#include "core/checklist.h"

namespace simat {

using report::Align;
using report::Band;

namespace {

const QString percentMask = QStringLiteral("#,##0.00");
constexpr double cellHeight = 7;

const QList<std::pair<const char *, const char *>> &columnTitles()
{
    static const QList<std::pair<const char *, const char *>> titles = {
        {"Hgroup_name", "اسم المجموعة"},
        {"Hcount", "عدد الأسئلة"},
        {"Hcase_mark", "مجموع الدرجات التى حصُلت عليها الحالة"},
        {"Hslash", "/"},
        {"Hfull_mark", "مجموع الدرجات الكلية للمجموعة"},
        {"Htimes", "x"},
        {"Hhundred", "100"},
        {"Hequals", "="},
        {"Hperc", "النسبة المئوية "},
        {"Hpercent", "%"},
    };
    return titles;
}

} // namespace

TMeasDiagSummaryReportForm::TMeasDiagSummaryReportForm(QObject *parent)
    : TTestReport(QStringLiteral("MeasDiagSummaryReportForm"), "summary", parent)
    , m_domains([](int, const QString &column) -> QVariant { noColumn(column); })
{
    setSource(&m_domains);
    caption = QStringLiteral("نتيجة اختبار - تقرير ملخص");
    const QList<double> widths = {52, 18, 30, 6, 30, 6, 12, 6, 22, 8};
    QList<Cell> header;
    QList<Cell> row;
    const char *rowNames[] = {"Lgroup_name", "Lcount",   "Lcase_mark", "Lslash",      "Lfull_mark",
                              "Ltimes",      "Lhundred", "Lequals",    "Lgroup_perc", "Lpercent"};
    double x = 0;
    for (int i = 0; i < widths.size(); ++i) {
        header << Cell{columnTitles().at(i).first, x, widths.at(i)};
        row << Cell{rowNames[i], x, widths.at(i), i == 0 ? Align::Right : Align::Center};
        x += widths.at(i);
    }
    addCells(columnHeader, header, 12, report_parts::headingFill);
    for (const auto &[name, title] : columnTitles()) {
        columnHeader.setText(QLatin1String(name), QString::fromUtf8(title));
        columnHeader.element(QLatin1String(name)).bold = true;
    }

    addCells(detail, row, cellHeight);
    // The cells frame the figures; the domain's verdict runs on a line of its own below them.
    for (report::Element &element : detail.elements)
        element.stretch = false;
    detail.addRect(0, 0, x, cellHeight + 6).stretch = true;
    report::Element &comment = detail.addText(QStringLiteral("Lcomment"), 0, cellHeight, x, 6);
    comment.color = QColor(0x7a, 0x2d, 0x00);
    comment.padding = 1.5;
    detail.height = cellHeight + 6;
    detail.setText(QStringLiteral("Lslash"), QStringLiteral("/"));
    detail.setText(QStringLiteral("Ltimes"), QStringLiteral("x"));
    detail.setText(QStringLiteral("Lhundred"), QStringLiteral("100"));
    detail.setText(QStringLiteral("Lequals"), QStringLiteral("="));
    detail.setText(QStringLiteral("Lpercent"), QStringLiteral("%"));
    detail.beforePrint = [this](Band &band) {
        const int domain = m_domains.current();
        const checklist::Figures figures = printedTest().test.domain(domain);
        const double perc = figures.shownRate();
        const QString name = printedTest().domainNames.value(domain);
        band.setText(QStringLiteral("Lgroup_name"), name);
        band.setText(QStringLiteral("Lcount"), QString::number(figures.questions));
        band.setText(QStringLiteral("Lcase_mark"),
                     report::formatMask(figures.marks, QStringLiteral("0")));
        band.setText(QStringLiteral("Lfull_mark"),
                     report::formatMask(figures.greatest(), QStringLiteral("0")));
        band.setText(QStringLiteral("Lgroup_perc"), report::formatMask(perc, percentMask));
        band.setText(QStringLiteral("Lcomment"), checklist::reportDomainVerdict(perc, name));
        report_parts::fitRow(*this, band, {QStringLiteral("Lgroup_name")}, cellHeight);
        return true;
    };

    summary.addRect(0, 2, 190, 20, report_parts::resultFill);
    report::Element &title =
        summary.addText(QStringLiteral("Ltitle"), 0, 2, 190, 6.5, QStringLiteral("نتيجة المقياس"));
    summary.addText(QStringLiteral("Lcount"), 0, 8.5, 45, 6.5).padding = 1.5;
    summary.addText(QStringLiteral("Lmarks"), 45, 8.5, 60, 6.5);
    summary.addText(QStringLiteral("Lperc"), 105, 8.5, 45, 6.5);
    report::Element &verdict = summary.addText(QStringLiteral("Ltot_comment"), 0, 15, 190, 6.5);
    verdict.color = QColor(0x7a, 0x2d, 0x00);
    for (report::Element *text : {&title, &verdict}) {
        text->bold = true;
        text->padding = 1.5;
    }
    summary.addText(QStringLiteral("Lend"), 0, 24, 190, 7, QStringLiteral("نهاية التقرير"),
                    Align::Center);
    summary.height = 32;
    // A ratio of the sums, not a mean of the domains' rates; nothing to divide by, no rate.
    summary.beforePrint = [this](Band &band) {
        band.setText(QStringLiteral("Lcount"),
                     QStringLiteral("عدد الأسئلة ") +
                         report::isolate(QString::number(SummaryQuestionTotal)));
        band.setText(QStringLiteral("Lmarks"),
                     QStringLiteral("النتيجة ") +
                         report::isolate(report::formatMask(SummaryCaseMarkTotal, percentMask) +
                                         " / " +
                                         report::formatMask(SummaryFullMarkTotal, percentMask)));
        const std::optional<double> perc = printedTest().test.held().rate();
        band.setText(
            QStringLiteral("Lperc"),
            QStringLiteral("النسبة ") +
                report::isolate(perc ? report::formatMask(*perc, percentMask) + " %" : QString()));
        band.setText(QStringLiteral("Ltot_comment"),
                     perc ? checklist::reportChecklistVerdict(*perc) : QString());
        return true;
    };
}

void TMeasDiagSummaryReportForm::showTest(const PrintedTest &test)
{
    m_domains.setItems(test.test.domains());
    const checklist::Figures whole = test.test.held();
    SummaryQuestionTotal = whole.questions;
    SummaryFullMarkTotal = whole.greatest();
    SummaryCaseMarkTotal = whole.marks;
}

} // namespace simat
