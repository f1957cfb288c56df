#include "measure_diagonsis_report.h"

#include "core/checklist.h"

#include <functional>

namespace simat {

using report::Align;
using report::Band;

namespace {

constexpr double resultLineHeight = 6.5;

QString percentText(const checklist::Figures &figures)
{
    const std::optional<double> rate = figures.rate();
    return rate ? report::formatMask(*rate, QStringLiteral("#,##0.00")) : QString();
}

// "عدد الأسئلة 10   النتيجة 25 / 30   النسبة 83.33 %" and the verdict, for a domain or the test.
void addResultLines(Band &band, const QString &titleName, const QString &verdictName)
{
    band.addRect(0, 0, 190, 20, report_parts::resultFill, 0.2).stretch = true;
    band.addText(titleName, 0, 0, 190, resultLineHeight).bold = true;
    band.addText(QStringLiteral("Lcount"), 0, 6.5, 45, resultLineHeight);
    band.addText(QStringLiteral("Lmarks"), 45, 6.5, 55, resultLineHeight);
    band.addText(QStringLiteral("Lperc"), 100, 6.5, 50, resultLineHeight);
    report::Element &verdict = band.addText(verdictName, 0, 13, 190, resultLineHeight);
    verdict.bold = true;
    verdict.color = QColor(0x7a, 0x2d, 0x00);
    for (report::Element *text :
         {&band.element(titleName), &band.element(QStringLiteral("Lcount")), &verdict})
        text->padding = 1.5;
    band.height = 21;
}

void showResult(Band &band, const checklist::Figures &figures, const QString &verdictName,
                const std::function<QString(double rate)> &verdict)
{
    band.setText(QStringLiteral("Lcount"), QStringLiteral("عدد الأسئلة ") +
                                               report::isolate(QString::number(figures.questions)));
    band.setText(
        QStringLiteral("Lmarks"),
        QStringLiteral("النتيجة ") +
            report::isolate(QStringLiteral("%1 / %2").arg(figures.marks).arg(figures.greatest())));
    const QString perc = percentText(figures);
    band.setText(QStringLiteral("Lperc"),
                 QStringLiteral("النسبة ") + report::isolate(perc.isEmpty() ? perc : perc + " %"));
    const std::optional<double> rate = figures.rate();
    band.setText(verdictName, rate ? verdict(*rate) : QString());
}

} // namespace

TMeasDiagReportForm::TMeasDiagReportForm(QObject *parent)
    : TTestReport(QStringLiteral("MeasDiagReportForm"), "test", parent)
    , m_rows([](const AnsweredQuestion &question, const QString &column) -> QVariant {
        if (column == QLatin1String("ques_group_id"))
            return question.domain;
        noColumn(column);
    })
{
    setSource(&m_rows);
    caption = QStringLiteral("نتيجة اختبار - تقرير تفصيلى");
    addCells(columnHeader,
             {{"Hques_id", 0, 20}, {"Hques_desc", 20, 122}, {"Hans", 142, 26}, {"Hmark", 168, 22}},
             7, report_parts::headingFill);
    columnHeader.setText(QStringLiteral("Hques_id"), QStringLiteral("رقم السؤال"));
    columnHeader.setText(QStringLiteral("Hques_desc"), QStringLiteral("السؤال"));
    columnHeader.setText(QStringLiteral("Hans"), QStringLiteral("الإجابة"));
    columnHeader.setText(QStringLiteral("Hmark"), QStringLiteral("الدرجة"));
    for (const char *name : {"Hques_id", "Hques_desc", "Hans", "Hmark"})
        columnHeader.element(QLatin1String(name)).bold = true;

    groupValue = [this] { return m_rows.value(QStringLiteral("ques_group_id")); };
    groupHeader.height = 8;
    groupHeader.addText(QStringLiteral("Lgroup_name"), 0, 1, 190, 7).bold = true;
    groupHeader.beforePrint = [this](Band &band) {
        m_domain = m_rows.current().domain;
        band.setText(QStringLiteral("Lgroup_name"), QStringLiteral("مجموعة ") + domainName());
        return true;
    };

    addCells(detail,
             {{"Lques_id", 0, 20},
              {"Lques_desc", 20, 122, Align::Right},
              {"Lans", 142, 26},
              {"Lques_mark", 168, 22}},
             6.5);
    detail.beforePrint = [this](Band &band) {
        const AnsweredQuestion &question = m_rows.current();
        band.setText(QStringLiteral("Lques_id"), QString::number(question.id));
        band.setText(QStringLiteral("Lques_desc"), question.text);
        band.setText(QStringLiteral("Lans"), checklist::arabicWord(question.answer));
        band.setText(QStringLiteral("Lques_mark"),
                     QString::number(checklist::markOf(question.answer)));
        return true;
    };

    addResultLines(groupFooter, QStringLiteral("Lgroup_result"), QStringLiteral("Lcomment"));
    groupFooter.beforePrint = [this](Band &band) {
        band.setText(QStringLiteral("Lgroup_result"),
                     QStringLiteral("نتيجة المجموعة ") + domainName());
        report_parts::fitRow(*this, band, {QStringLiteral("Lgroup_result")}, resultLineHeight);
        showResult(
            band, printedTest().test.domain(m_domain), QStringLiteral("Lcomment"),
            [this](double rate) { return checklist::reportDomainVerdict(rate, domainName()); });
        return true;
    };

    addResultLines(summary, QStringLiteral("Ltest_result"), QStringLiteral("Ltot_comment"));
    summary.setText(QStringLiteral("Ltest_result"), QStringLiteral("نتيجة المقياس"));
    summary.addText(QStringLiteral("Lend"), 0, 22, 190, 7, QStringLiteral("نهاية التقرير"),
                    Align::Center);
    summary.height = 30;
    // The whole of what the test holds, as the domains add it up.
    summary.beforePrint = [this](Band &band) {
        showResult(band, printedTest().test.held(), QStringLiteral("Ltot_comment"),
                   checklist::reportChecklistVerdict);
        return true;
    };
}

void TMeasDiagReportForm::showTest(const PrintedTest &test)
{
    m_rows.setItems(test.test.answers());
}

QString TMeasDiagReportForm::domainName() const
{
    return printedTest().domainNames.value(m_domain);
}

} // namespace simat
