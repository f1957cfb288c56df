#include "measure_diagonsis_report.h"

#include "core/checklist.h"
#include "data/dm.h"

namespace simat {

using report::Align;
using report::Band;

namespace {

const QColor headerFill(0xe6, 0xf2, 0xf6);
const QColor groupFill(0xf3, 0xf7, 0xf9);

QString percentText(int marks, int questions)
{
    return questions > 0
               ? report::formatMask(checklist::rate(marks, checklist::greatestMarks(questions)),
                                    QStringLiteral("#,##0.00"))
               : QString();
}

// "عدد الأسئلة 10   النتيجة 25 / 30   النسبة 83.33 %" and the verdict, for a domain or the test.
void addResultLines(Band &band, const QString &titleName, const QString &verdictName)
{
    band.addRect(0, 0, 190, 20, groupFill, 0.2);
    band.addText(titleName, 0, 0, 190, 6.5).bold = true;
    band.addText(QStringLiteral("Lcount"), 0, 6.5, 45, 6.5);
    band.addText(QStringLiteral("Lmarks"), 45, 6.5, 55, 6.5);
    band.addText(QStringLiteral("Lperc"), 100, 6.5, 50, 6.5);
    report::Element &verdict = band.addText(verdictName, 0, 13, 190, 6.5);
    verdict.bold = true;
    verdict.color = QColor(0x7a, 0x2d, 0x00);
    for (report::Element *text :
         {&band.element(titleName), &band.element(QStringLiteral("Lcount")), &verdict})
        text->padding = 1.5;
    band.height = 21;
}

void showResult(Band &band, int questions, int marks, const QString &verdictName,
                const QString &verdict)
{
    band.setText(QStringLiteral("Lcount"),
                 QStringLiteral("عدد الأسئلة ") + report::isolate(QString::number(questions)));
    band.setText(QStringLiteral("Lmarks"),
                 QStringLiteral("النتيجة ") +
                     report::isolate(QStringLiteral("%1 / %2").arg(marks).arg(
                         checklist::greatestMarks(questions))));
    const QString perc = percentText(marks, questions);
    band.setText(QStringLiteral("Lperc"),
                 QStringLiteral("النسبة ") + report::isolate(perc.isEmpty() ? perc : perc + " %"));
    band.setText(verdictName, questions > 0 ? verdict : QString());
}

} // namespace

TMeasDiagReportForm::TMeasDiagReportForm(QObject *parent)
    : TTestReport(QStringLiteral("MeasDiagReportForm"), TDataModule1::instance()->StudMeasQuery,
                  parent)
{
    caption = QStringLiteral("نتيجة اختبار - تقرير تفصيلى");
    addCells(columnHeader,
             {{"Hques_id", 0, 20}, {"Hques_desc", 20, 122}, {"Hans", 142, 26}, {"Hmark", 168, 22}},
             7, headerFill);
    columnHeader.setText(QStringLiteral("Hques_id"), QStringLiteral("رقم السؤال"));
    columnHeader.setText(QStringLiteral("Hques_desc"), QStringLiteral("السؤال"));
    columnHeader.setText(QStringLiteral("Hans"), QStringLiteral("الإجابة"));
    columnHeader.setText(QStringLiteral("Hmark"), QStringLiteral("الدرجة"));
    for (const char *name : {"Hques_id", "Hques_desc", "Hans", "Hmark"})
        columnHeader.element(QLatin1String(name)).bold = true;

    groupValue = [this] { return source()->value(QStringLiteral("ques_group_id")); };
    groupHeader.height = 8;
    groupHeader.addText(QStringLiteral("Lgroup_name"), 0, 1, 190, 7).bold = true;
    groupHeader.beforePrint = [this](Band &band) {
        m_groupQuestions = 0;
        m_groupMarks = 0;
        band.setText(QStringLiteral("Lgroup_name"),
                     QStringLiteral("مجموعة ") +
                         source()->textValue(QStringLiteral("ques_group_name")));
        return true;
    };

    addCells(detail,
             {{"Lques_id", 0, 20},
              {"Lques_desc", 20, 122, Align::Right},
              {"Lans", 142, 26},
              {"Lques_mark", 168, 22}},
             6.5);
    detail.beforePrint = [this](Band &band) {
        const DataSource *rows = source();
        const int mark = rows->intValue(QStringLiteral("ques_mark"));
        ++m_groupQuestions;
        m_groupMarks += mark;
        ++m_questions;
        m_marks += mark;
        band.setText(QStringLiteral("Lques_id"), rows->textValue(QStringLiteral("ques_id")));
        band.setText(QStringLiteral("Lques_desc"), rows->textValue(QStringLiteral("ques_desc")));
        band.setText(QStringLiteral("Lans"), checklist::arabicWord(checklist::answerOfStoredWord(
                                                 rows->textValue(QStringLiteral("ques_ans_val")))));
        band.setText(QStringLiteral("Lques_mark"), QString::number(mark));
        return true;
    };

    addResultLines(groupFooter, QStringLiteral("Lgroup_result"), QStringLiteral("Lcomment"));
    groupFooter.beforePrint = [this](Band &band) {
        band.setText(QStringLiteral("Lgroup_result"),
                     QStringLiteral("نتيجة المجموعة ") +
                         source()->textValue(QStringLiteral("ques_group_name")));
        const double perc =
            checklist::rate(m_groupMarks, checklist::greatestMarks(m_groupQuestions));
        showResult(band, m_groupQuestions, m_groupMarks, QStringLiteral("Lcomment"),
                   checklist::reportDomainVerdict(perc));
        return true;
    };

    addResultLines(summary, QStringLiteral("Ltest_result"), QStringLiteral("Ltot_comment"));
    summary.setText(QStringLiteral("Ltest_result"), QStringLiteral("نتيجة المقياس"));
    summary.addText(QStringLiteral("Lend"), 0, 22, 190, 7, QStringLiteral("نهاية التقرير"),
                    Align::Center);
    summary.height = 30;
    summary.beforePrint = [this](Band &band) {
        const double perc = checklist::rate(m_marks, checklist::greatestMarks(m_questions));
        showResult(band, m_questions, m_marks, QStringLiteral("Ltot_comment"),
                   checklist::reportChecklistVerdict(perc));
        return true;
    };
}

void TMeasDiagReportForm::beforeRun()
{
    TTestReport::beforeRun();
    m_groupQuestions = 0;
    m_groupMarks = 0;
    m_questions = 0;
    m_marks = 0;
}

} // namespace simat
