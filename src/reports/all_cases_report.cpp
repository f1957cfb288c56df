#include "all_cases_report.h"

#include "core/checklist.h"
#include "data/dm.h"
#include "report_parts.h"
#include "ui/global.h"
#include "ui/messages.h"

#include <QSet>

namespace simat {

using report::Align;
using report::Band;
using report::isolate;

namespace {

constexpr double width = report_parts::landscapeWidth;
constexpr double countsTop = 34;
constexpr double countHeight = 7;

TDataModule1 *dm()
{
    return TDataModule1::instance();
}

} // namespace

TAllCasesReport::TAllCasesReport(QObject *parent)
    : report::Report(QStringLiteral("AllCasesReport"), parent)
{
    setOrientation(QPageLayout::Landscape);
    caption = QStringLiteral("اختبارات كل الحالات");
    buildPageHeader();
    buildTable();
    Band &end = summary;
    end.addText(QStringLiteral("Lend"), 0, 3, width, 7, QStringLiteral("نهاية التقرير"),
                Align::Center)
        .bold = true;
    end.height = 10;
    report_parts::addPageFooter(pageFooter, width);
}

bool TAllCasesReport::listPeriod(const QDate &from, const QDate &to)
{
    Statement *tests = dm()->AllCasesQuery;
    tests->close();
    tests->setParam(QStringLiteral("branch_no"), globals().CurrentBranchNo);
    tests->setParam(QStringLiteral("from_date"), from);
    tests->setParam(QStringLiteral("to_date"), to);
    tests->open();
    setSource(tests);
    return !tests->isEmpty();
}

QString TAllCasesReport::emptyPeriodText()
{
    return QStringLiteral("لاتوجد حالات تم إجراء اختبارات لها خلال الفترة المختارة");
}

void TAllCasesReport::run(const QDate &from, const QDate &to, QWidget *over)
{
    if (!listPeriod(from, to)) {
        messages::info(emptyPeriodText(), over);
        return;
    }
    preview(over);
}

void TAllCasesReport::beforeRun()
{
    AllCasesSerial = 0;
    DataSource *tests = source();
    QSet<int> cases;
    m_testCount = 0;
    for (tests->first(); !tests->atEnd(); tests->next()) {
        ++m_testCount;
        cases.insert(tests->intValue(QStringLiteral("stud_code")));
    }
    tests->first();
    m_caseCount = int(cases.size());
}

void TAllCasesReport::buildPageHeader()
{
    Band &band = pageHeader;
    report_parts::addCentreHeading(band, width);
    const struct {
        const char *caption;
        const char *name;
        double x;
    } counts[] = {{"عدد الاختبارات", "Lcount", 0}, {"عدد الحالات", "Lcases_count", 70}};
    for (const auto &count : counts) {
        band.addText({}, count.x, countsTop, 28, countHeight, QString::fromUtf8(count.caption))
            .bold = true;
        band.addText(QLatin1String(count.name), count.x + 28, countsTop, 30, countHeight).wrap =
            false;
    }
    band.height = countsTop + countHeight + 2;
    band.beforePrint = [this](Band &header) {
        report_parts::fillCentreHeading(header);
        header.setText(QStringLiteral("Ltitle"), QStringLiteral("اختبارات كل الحالات"));
        header.setText(QStringLiteral("Lcount"), isolate(QString::number(m_testCount)));
        header.setText(QStringLiteral("Lcases_count"), isolate(QString::number(m_caseCount)));
        return true;
    };
}

void TAllCasesReport::buildTable()
{
    report_parts::addTableColumns(columnHeader, detail,
                                  {{"مسلسل", "Lserial", 14},
                                   {"الاسم", "Lstud_name", 56, Align::Right},
                                   {"تاريخ الاختبار", "Ltest_date", 22},
                                   {"مصدر المعلومات", "Linfo_source_name", 34, Align::Right},
                                   {"القائم بالاختبار", "Ltester_name", 40, Align::Right},
                                   {"أسئلة تمت إجابتها", "Ltest_ques_count", 20},
                                   {"أسئلة تنتظر الإجابة", "Lwaiting_ques", 20},
                                   {"نتيجة الاختبار", "Ltest_perc", 20},
                                   {"التوصية", "Lrecomm", 51, Align::Right}});
    detail.beforePrint = [this](Band &band) {
        fillRow(band);
        return true;
    };
}

void TAllCasesReport::fillRow(Band &band)
{
    const DataSource *test = source();
    const int answered = test->intValue(QStringLiteral("test_ques_count"));
    const double percentage = test->realValue(QStringLiteral("test_perc"));
    band.setText(QStringLiteral("Lserial"), isolate(QString::number(++AllCasesSerial)));
    band.setText(QStringLiteral("Lstud_name"), test->textValue(QStringLiteral("stud_name")));
    band.setText(
        QStringLiteral("Ltest_date"),
        isolate(
            test->dateValue(QStringLiteral("test_date")).toString(QStringLiteral("dd/MM/yyyy"))));
    band.setText(QStringLiteral("Linfo_source_name"),
                 test->textValue(QStringLiteral("info_source_name")));
    band.setText(QStringLiteral("Ltester_name"), test->textValue(QStringLiteral("tester_name")));
    band.setText(QStringLiteral("Ltest_ques_count"), isolate(QString::number(answered)));
    band.setText(QStringLiteral("Lwaiting_ques"),
                 isolate(QString::number(globals().ChecklistQuestionCount - answered)));
    band.setText(
        QStringLiteral("Ltest_perc"),
        isolate(report::formatMask(percentage, QStringLiteral("0.00")) + QStringLiteral("%")));
    band.setText(QStringLiteral("Lrecomm"), checklist::testRecommendation(percentage));
}

} // namespace simat
