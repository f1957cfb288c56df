#include "all_cases_report.h"

#include "core/checklist.h"
#include "data/dm.h"
#include "data/watched_reads.h"
#include "report_parts.h"
#include "ui/global.h"
#include "ui/messages.h"
#include "ui/work_progress.h"

namespace simat {

using report::Align;
using report::Band;
using report::isolate;

namespace {

constexpr double width = report_parts::landscapeWidth;
constexpr double countsTop = 34;
constexpr double countHeight = 7;
const QString readingText = QStringLiteral("جارى قراءة اختبارات الفترة...");

TDataModule1 *dm()
{
    return TDataModule1::instance();
}

} // namespace

TAllCasesReport::TAllCasesReport(QObject *parent)
    : report::Report(QStringLiteral("AllCasesReport"), parent)
    , m_lines([](const Line &, const QString &column) -> QVariant { noColumn(column); })
{
    setOrientation(QPageLayout::Landscape);
    setSource(&m_lines);
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
    QList<Line> lines;
    m_linesRead = 0;
    readLines(from, to, [this, &lines](Line line) {
        lines << std::move(line);
        m_linesRead = int(lines.size());
    });
    m_lines.setItems(std::move(lines));
    m_testCount = int(m_lines.items().size());
    return !m_lines.isEmpty();
}

void TAllCasesReport::readLines(const QDate &from, const QDate &to,
                                const std::function<void(Line line)> &take)
{
    m_from = from;
    m_to = to;
    const int questions = globals().ChecklistQuestionCount;
    period_export::readTests(dm()->Database1, {globals().CurrentBranchNo, from, to},
                             [&take, questions](const period_export::PeriodTest &listed) {
                                 take(lineOf(listed, questions));
                             });
}

namespace {

// What ends the read of the first lines once they have come.
struct FirstLinesRead {};

} // namespace

void TAllCasesReport::listFirstLines(const QDate &from, const QDate &to)
{
    QList<Line> lines;
    try {
        readLines(from, to, [&lines](Line line) {
            lines << std::move(line);
            if (lines.size() == firstLines)
                throw FirstLinesRead{};
        });
    } catch (const FirstLinesRead &) {
    }
    m_testCount = lines.size() < firstLines ? int(lines.size()) : 0;
    m_lines.setItems(std::move(lines));
}

TAllCasesReport::Line TAllCasesReport::lineOf(const period_export::PeriodTest &listed,
                                              int checklistQuestions)
{
    const ChecklistTest &test = listed.test;
    return {listed.caseName,       test.identity.testDate,
            listed.infoSourceName, listed.testerName,
            test.held(),           test.recommendation(checklistQuestions)};
}

QString TAllCasesReport::pdfFileName() const
{
    return report_parts::pdfFileName("all-tests", m_from, m_to);
}

QString TAllCasesReport::emptyPeriodText()
{
    return QStringLiteral("لاتوجد حالات تم إجراء اختبارات لها خلال الفترة المختارة");
}

// Counts and lists the period's tests under one progress window over `over`.
void TAllCasesReport::listPeriodWatched(const QDate &from, const QDate &to, QWidget *over)
{
    Database &database = dm()->Database1;
    WorkProgress progress(over, readingText, WorkProgress::Showing::WhenSlow);
    const auto report = progress.report();
    int tests = 0;
    const WatchedReads watch(database, [&] { return report(m_linesRead, tests); });
    tests = period_export::testCount(database, {globals().CurrentBranchNo, from, to});
    listPeriod(from, to);
}

// A long period shows its first pages at once, from its first lines; the preview counts and
// reads the rest of them after, under its progress window, whose Cancel closes the preview.
void TAllCasesReport::run(const QDate &from, const QDate &to, QWidget *over)
{
    {
        WorkProgress progress(over, readingText, WorkProgress::Showing::WhenSlow);
        const WatchedReads watch(dm()->Database1, progress.goOn());
        listFirstLines(from, to);
    }
    if (m_lines.isEmpty()) {
        messages::info(emptyPeriodText(), over);
        return;
    }
    if (m_testCount == 0)
        readRest = [this, from, to](QWidget *preview) {
            try {
                listPeriodWatched(from, to, preview);
            } catch (const Stopped &) {
                throw report::LayoutCancelled{};
            }
        };
    preview(over);
    readRest = nullptr;
}

void TAllCasesReport::beforeRun()
{
    AllCasesSerial = 0;
    Statement *cases = dm()->CasesThatHasTestsCountQuery;
    cases->close();
    cases->open();
    m_caseCount = cases->rowCount();
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
        header.setText(QStringLiteral("Lcount"), m_testCount > 0
                                                     ? isolate(QString::number(m_testCount))
                                                     : QStringLiteral("…"));
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
    const Line &test = m_lines.current();
    const int questions = globals().ChecklistQuestionCount;
    band.setText(QStringLiteral("Lserial"), isolate(QString::number(++AllCasesSerial)));
    band.setText(QStringLiteral("Lstud_name"), test.caseName);
    band.setText(QStringLiteral("Ltest_date"),
                 isolate(test.testDate.toString(QStringLiteral("dd/MM/yyyy"))));
    band.setText(QStringLiteral("Linfo_source_name"), test.infoSourceName);
    band.setText(QStringLiteral("Ltester_name"), test.testerName);
    band.setText(QStringLiteral("Ltest_ques_count"), isolate(QString::number(test.held.answered)));
    band.setText(QStringLiteral("Lwaiting_ques"),
                 isolate(QString::number(questions - test.held.answered)));
    band.setText(QStringLiteral("Ltest_perc"),
                 isolate(report::formatMask(test.held.shownRate(), QStringLiteral("0.00")) +
                         QStringLiteral("%")));
    band.setText(QStringLiteral("Lrecomm"),
                 test.recommendation.value_or(checklist::unfinishedTestText()));
}

} // namespace simat
