#include "measure_diagonsis_summary_report.h"

#include "core/checklist.h"
#include "data/dm.h"

namespace simat {

using report::Align;
using report::Band;

namespace {

const QColor headerFill(0xe6, 0xf2, 0xf6);
const QColor totalFill(0xf3, 0xf7, 0xf9);
const QString percentMask = QStringLiteral("#,##0.00");

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
    : TTestReport(QStringLiteral("MeasDiagSummaryReportForm"),
                  TDataModule1::instance()->StudMeasSummaryQuery, parent)
{
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
    addCells(columnHeader, header, 12, headerFill);
    for (const auto &[name, title] : columnTitles()) {
        columnHeader.setText(QLatin1String(name), QString::fromUtf8(title));
        columnHeader.element(QLatin1String(name)).bold = true;
    }

    addCells(detail, row, 7);
    // The cells frame the figures; the domain's verdict runs on a line of its own below them.
    for (report::Element &element : detail.elements)
        element.stretch = false;
    detail.addRect(0, 0, x, 13);
    report::Element &comment = detail.addText(QStringLiteral("Lcomment"), 0, 7, x, 6);
    comment.color = QColor(0x7a, 0x2d, 0x00);
    comment.padding = 1.5;
    detail.height = 13;
    detail.setText(QStringLiteral("Lslash"), QStringLiteral("/"));
    detail.setText(QStringLiteral("Ltimes"), QStringLiteral("x"));
    detail.setText(QStringLiteral("Lhundred"), QStringLiteral("100"));
    detail.setText(QStringLiteral("Lequals"), QStringLiteral("="));
    detail.setText(QStringLiteral("Lpercent"), QStringLiteral("%"));
    detail.beforePrint = [this](Band &band) {
        const DataSource *rows = source();
        const int questions = rows->intValue(QStringLiteral("group_ques_count"));
        const double caseMark = rows->realValue(QStringLiteral("tot_group_stud_mark"));
        const double fullMark = rows->realValue(QStringLiteral("tot_group_ques_mark"));
        const double perc = rows->realValue(QStringLiteral("group_perc"));
        band.setText(QStringLiteral("Lgroup_name"),
                     rows->textValue(QStringLiteral("ques_group_name")));
        band.setText(QStringLiteral("Lcount"), QString::number(questions));
        band.setText(QStringLiteral("Lcase_mark"),
                     report::formatMask(caseMark, QStringLiteral("0")));
        band.setText(QStringLiteral("Lfull_mark"),
                     report::formatMask(fullMark, QStringLiteral("0")));
        band.setText(QStringLiteral("Lgroup_perc"), report::formatMask(perc, percentMask));
        band.setText(QStringLiteral("Lcomment"), checklist::reportDomainVerdict(perc));
        SummaryQuestionTotal += questions;
        SummaryFullMarkTotal += fullMark;
        SummaryCaseMarkTotal += caseMark;
        return true;
    };

    summary.addRect(0, 2, 190, 20, totalFill);
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
        const bool rated = SummaryFullMarkTotal > 0;
        const double perc = checklist::rate(SummaryCaseMarkTotal, SummaryFullMarkTotal);
        band.setText(
            QStringLiteral("Lperc"),
            QStringLiteral("النسبة ") +
                report::isolate(rated ? report::formatMask(perc, percentMask) + " %" : QString()));
        band.setText(QStringLiteral("Ltot_comment"),
                     rated ? checklist::reportChecklistVerdict(perc) : QString());
        return true;
    };
}

void TMeasDiagSummaryReportForm::beforeRun()
{
    TTestReport::beforeRun();
    SummaryQuestionTotal = 0;
    SummaryFullMarkTotal = 0;
    SummaryCaseMarkTotal = 0;
}

} // namespace simat
