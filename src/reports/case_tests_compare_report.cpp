#include "case_tests_compare_report.h"

#include "core/error.h"
#include "core/hijri.h"
#include "core/numbers.h"
#include "data/dm.h"
#include "report_parts.h"
#include "ui/global.h"
#include "ui/messages.h"
#include "ui/screens.h"

namespace simat {

using checklist::QuestionPair;
using report::Align;
using report::Band;
using report::isolate;

namespace {

constexpr double width = report_parts::landscapeWidth;
const QColor earlierColor(0x9c, 0xb4, 0xc6);
const QColor laterColor(0x1f, 0x6f, 0x8b);
const QColor thresholdColor(0xb0, 0x3a, 0x2e);
const QString rateMask = QStringLiteral("#,##0.00");
const QString wholeMask = QStringLiteral("0");

// The columns of a question row, from the right.
struct Column {
    const char *name;
    double x;
    double width;
};
constexpr Column idColumn{"Lques_id", 0, 18};
constexpr Column questionColumn{"Lques_desc", 18, 121};
constexpr Column answer1Column{"Lans_test_1", 139, 22};
constexpr Column mark1Column{"Lques_mark_test1", 161, 16};
constexpr Column answer2Column{"Lans_test_2", 177, 22};
constexpr Column mark2Column{"Lques_mark_test2", 199, 16};
constexpr Column changeColumn{"Lchange_val", 215, 18};
constexpr Column rateColumn{"Lchange_rate", 233, 24};
constexpr Column trendColumn{"Lchange_trend", 257, 20};
constexpr double rowHeight = 6.5;

report::Element &addCell(Band &band, const QString &name, double x, double y, double w, double h,
                         const QString &text = {}, const QColor &fill = {})
{
    band.addRect(x, y, w, h, fill).stretch = true;
    report::Element &cell = band.addText(name, x, y, w, h, text, Align::Center);
    cell.padding = 1;
    return cell;
}

QString shownDate(const QDate &date)
{
    return date.isValid() ? isolate(date.toString(QStringLiteral("dd/MM/yyyy"))) : QString();
}

// A change of marks, its rate against the earlier marks and its trend word, as printed; a
// change that prints as "0" leaves the value and the rate empty where that is asked.
struct ChangeTexts {
    QString value;
    QString rate;
    QString trend;
};

enum class AtZero { Empty, Shown };

ChangeTexts changeTexts(const checklist::Change &change, const QString &mask, AtZero atZero)
{
    ChangeTexts texts;
    texts.trend = change.trend;
    const QString value = report::formatMask(change.value, wholeMask);
    if (atZero == AtZero::Empty && value == QLatin1String("0"))
        return texts;
    texts.value = isolate(value);
    if (change.rate)
        texts.rate = isolate(report::formatMask(*change.rate, mask));
    return texts;
}

void showChange(Band &band, const ChangeTexts &texts, const char *value, const char *rate,
                const char *trend)
{
    band.setText(QLatin1String(value), texts.value);
    band.setText(QLatin1String(rate), texts.rate);
    band.setText(QLatin1String(trend), texts.trend);
}

QString percentText(std::optional<double> rate)
{
    return rate ? isolate(report::formatMask(*rate, rateMask) + QStringLiteral(" %")) : QString();
}

QString marksText(int marks, int greatest)
{
    return isolate(QStringLiteral("%1 / %2").arg(marks).arg(greatest));
}

int closedTests(const QList<ChecklistTest> &tests)
{
    return int(std::count_if(tests.cbegin(), tests.cend(),
                             [](const ChecklistTest &test) { return test.isClosed(); }));
}

// The figures of a domain or of the whole test, one cell per column under each test and the
// change; the title stands over the question columns.
void addResultCells(Band &band, double top, const QString &titleName, const QString &title,
                    const char *names[7])
{
    band.addRect(0, top, width, 2 * rowHeight, report_parts::resultFill);
    for (double x : {answer1Column.x, answer2Column.x, changeColumn.x, rateColumn.x, trendColumn.x})
        band.addLine(x, top, x, top + 2 * rowHeight);
    report::Element &caption = band.addText({}, 0, top, 30, rowHeight, title);
    caption.bold = true;
    caption.padding = 1.5;
    if (!titleName.isEmpty())
        band.addText(titleName, 30, top, questionColumn.x + questionColumn.width - 30,
                     2 * rowHeight)
            .bold = true;
    int name = 0;
    for (const Column &test : {answer1Column, answer2Column}) {
        for (const auto &[row, word] : {std::pair{0, "المجموع"}, {1, "النسبة"}}) {
            const double y = top + row * rowHeight;
            band.addText({}, test.x, y, 15, rowHeight, QString::fromUtf8(word)).padding = 1;
            band.addText(QLatin1String(names[name++]), test.x + 15, y, 23, rowHeight, {},
                         Align::Center);
        }
    }
    for (const Column &column : {changeColumn, rateColumn, trendColumn})
        band.addText(QLatin1String(names[name++]), column.x, top, column.width, 2 * rowHeight, {},
                     Align::Center);
}

} // namespace

TCaseTestsCompareReport::TCaseTestsCompareReport(QObject *parent)
    : report::Report(QStringLiteral("CaseTestsCompareReport"), parent)
    , m_store(*TDataModule1::instance())
    , m_rows([](const QuestionPair &pair, const QString &column) -> QVariant {
        if (column == QLatin1String("ques_group"))
            return pair.domain;
        noColumn(column);
    })
{
    caption = QStringLiteral("تقرير تطور حالة");
    setOrientation(QPageLayout::Landscape);
    setSource(&m_rows);
    buildPageHeader();
    buildColumnHeader();
    buildDomainBands();
    buildDetail();
    buildSummary();
    report_parts::addPageFooter(pageFooter, width);
}

TCaseTestsCompareReport::~TCaseTestsCompareReport() = default;

QString TCaseTestsCompareReport::pdfFileName() const
{
    return report_parts::pdfFileName("comparison", m_later.caseCode, m_later.testNo,
                                     m_later.testDate);
}

TCaseTestsCompareReport *TCaseTestsCompareReport::instance()
{
    return screens::object<TCaseTestsCompareReport>(QStringLiteral("CaseTestsCompareReport"));
}

PickRequest TCaseTestsCompareReport::caseProgressPick(QObject *button)
{
    PickRequest request;
    request.table = QStringLiteral("student");
    request.button = button;
    request.chosen = [](const QString &code, const QString &) {
        return instance()->compareCase(wholeNumber(code, QStringLiteral("كود الحالة")),
                                       screens::find(QStringLiteral("SearchForm")));
    };
    return request;
}

AfterChoice TCaseTestsCompareReport::compareCase(int caseCode, QWidget *over)
{
    LookupState &lookup = globals().lookup;
    lookup.CompareCaseCode = caseCode;
    BuildCompare(over);
    if (!lookup.CompareReady)
        return AfterChoice::Close;
    lookup.CompareReady = false;
    preview(over);
    return AfterChoice::StayOpen;
}

void TCaseTestsCompareReport::BuildCompare(QWidget *over)
{
    LookupState &lookup = globals().lookup;
    lookup.CompareReady = false;
    const QList<ChecklistTest> tests = m_store.testsOf(lookup.CompareCaseCode);
    const qsizetype count = tests.size();
    if (count == 0) {
        messages::info(QStringLiteral("لاتوجد اختبارات للحالة"), over);
        return;
    }
    if (count == 1) {
        messages::info(QStringLiteral("الحالة لديها اختبار واحد"), over);
        return;
    }
    if (closedTests(tests) < 2) {
        messages::info(QStringLiteral("الحالة ليس لديها إختبارين منتهيين لكى يتم المقارنة بينهما"),
                       over);
        return;
    }
    compareTests(tests.at(1).identity, tests.at(0).identity);
    lookup.CompareReady = true;
}

void TCaseTestsCompareReport::compareTests(const TestIdentity &one, const TestIdentity &other)
{
    const bool oneFirst =
        std::pair(one.testDate, one.testNo) <= std::pair(other.testDate, other.testNo);
    m_earlier = oneFirst ? one : other;
    m_later = oneFirst ? other : one;
    const auto [earlier, later] = m_store.compared(m_earlier, m_later);
    m_comparison = checklist::compareTests(earlier, later, globals().ChecklistQuestionCount);
    m_domainNames.clear();
    for (const checklist::DomainComparison &domain : m_comparison.domains)
        m_domainNames[domain.domain] = m_store.domainName(domain.domain);
    m_case = m_store.caseOf(m_later.caseCode);
}

const checklist::DomainComparison &TCaseTestsCompareReport::domainPrinting() const
{
    static const checklist::DomainComparison none;
    const checklist::DomainComparison *domain = m_comparison.domain(m_domain);
    return domain ? *domain : none;
}

void TCaseTestsCompareReport::beforeRun()
{
    CompareTotalMarkTest1 = m_comparison.earlier.marks;
    CompareTotalMarkTest2 = m_comparison.later.marks;
    CompareDomainMarkTest2 = 0;
    m_rows.setItems(m_comparison.questions);
    m_heading.clear();
    if (!m_case)
        return;
    const CaseSummary &found = *m_case;
    m_heading[QStringLiteral("Lstud_name")] = found.name;
    m_heading[QStringLiteral("Lstud_main_street")] = found.mainStreet;
    m_heading[QStringLiteral("Lstud_birth_date")] = shownDate(found.birthDate);
    m_heading[QStringLiteral("Lstud_birth_haj_date")] = isolate(
        found.birthHijri.isEmpty() ? hijri::fromGregorian(found.birthDate) : found.birthHijri);
    m_heading[QStringLiteral("Lstud_guard_home_phone_no")] = isolate(found.homePhone);
    m_heading[QStringLiteral("Lstud_guard_mobile_no")] = isolate(found.mobile);
    m_heading[QStringLiteral("Ltest_date_1")] = shownDate(m_earlier.testDate);
    m_heading[QStringLiteral("Ltest_date_2")] = shownDate(m_later.testDate);
}

void TCaseTestsCompareReport::buildPageHeader()
{
    Band &band = pageHeader;
    const double top = report_parts::addCentreHeading(band, width) + 2;
    band.element(QStringLiteral("Ltitle")).text = QStringLiteral("تقرير تطور حالة");
    struct Field {
        const char *caption;
        const char *name;
    };
    const QList<QList<Field>> columns = {
        {{"اسم الحالة", "Lstud_name"},
         {"العنوان", "Lstud_main_street"},
         {"تاريخ الميلاد (ميلادى)", "Lstud_birth_date"}},
        {{"تاريخ الميلاد (هجرى)", "Lstud_birth_haj_date"},
         {"رقم هاتف المنزل", "Lstud_guard_home_phone_no"},
         {"رقم الهاتف المحمول", "Lstud_guard_mobile_no"}},
        {{"تاريخ الاختبار 1", "Ltest_date_1"}, {"تاريخ الاختبار 2", "Ltest_date_2"}},
    };
    const double captionWidths[] = {36, 36, 30};
    const double lefts[] = {0, 98, 197};
    const double rights[] = {96, 195, width};
    for (int column = 0; column < columns.size(); ++column) {
        const double x = lefts[column];
        const double captionWidth = captionWidths[column];
        for (int row = 0; row < columns.at(column).size(); ++row) {
            const Field &field = columns.at(column).at(row);
            const double y = top + row * rowHeight;
            report_parts::addCaptioned(band, field.caption, field.name, x, y, captionWidth,
                                       rights[column] - x - captionWidth, rowHeight);
        }
    }
    band.height = top + 3 * rowHeight + 3;
    band.beforePrint = [this](Band &header) {
        fillPageHeader(header);
        return true;
    };
}

void TCaseTestsCompareReport::fillPageHeader(Band &band) const
{
    report_parts::fillCentreHeading(band);
    for (const char *name :
         {"Lstud_name", "Lstud_main_street", "Lstud_birth_date", "Lstud_birth_haj_date",
          "Lstud_guard_home_phone_no", "Lstud_guard_mobile_no", "Ltest_date_1", "Ltest_date_2"})
        band.setText(QLatin1String(name), m_heading.value(QLatin1String(name)));
    // A long name or address wraps and moves the fields below it down.
    for (const QStringList &row :
         {QStringList{"Lstud_name", "Lstud_birth_haj_date", "Ltest_date_1"},
          QStringList{"Lstud_main_street", "Lstud_guard_home_phone_no", "Ltest_date_2"},
          QStringList{"Lstud_birth_date", "Lstud_guard_mobile_no"}})
        report_parts::fitRow(*this, band, row, rowHeight);
}

void TCaseTestsCompareReport::buildColumnHeader()
{
    Band &band = columnHeader;
    const double full = 2 * rowHeight;
    addCell(band, QStringLiteral("Hques_id"), idColumn.x, 0, idColumn.width, full,
            QStringLiteral("رقم السؤال"), report_parts::headingFill);
    addCell(band, QStringLiteral("Hques_desc"), questionColumn.x, 0, questionColumn.width, full,
            QStringLiteral("السؤال"), report_parts::headingFill);
    const struct {
        const char *name;
        const char *title;
        Column right;
        Column left;
        const char *rightTitle;
        const char *leftTitle;
    } spans[] = {
        {"Htest_1", "الاختبار السابق", answer1Column, mark1Column, "الإجابة", "الدرجة"},
        {"Htest_2", "أخر اختبار", answer2Column, mark2Column, "الإجابة", "الدرجة"},
        {"Hchange", "التغير", changeColumn, rateColumn, "القيمة ", "% المعدل"},
    };
    for (const auto &span : spans) {
        const QString name = QLatin1String(span.name);
        addCell(band, name, span.right.x, 0, span.right.width + span.left.width, rowHeight,
                QString::fromUtf8(span.title), report_parts::headingFill);
        addCell(band, name + QStringLiteral("_right"), span.right.x, rowHeight, span.right.width,
                rowHeight, QString::fromUtf8(span.rightTitle), report_parts::headingFill);
        addCell(band, name + QStringLiteral("_left"), span.left.x, rowHeight, span.left.width,
                rowHeight, QString::fromUtf8(span.leftTitle), report_parts::headingFill);
    }
    addCell(band, QStringLiteral("Htrend"), trendColumn.x, 0, trendColumn.width, full,
            QStringLiteral("الاتجاه"), report_parts::headingFill);
    for (report::Element &element : band.elements) {
        element.bold = true;
        element.stretch = false;
    }
    band.height = full;
}

void TCaseTestsCompareReport::buildDomainBands()
{
    groupValue = [this] { return m_rows.value(QStringLiteral("ques_group")); };
    groupHeader.height = 8;
    groupHeader.addText(QStringLiteral("Lgroup_name"), 0, 1, width, 7).bold = true;
    groupHeader.beforePrint = [this](Band &band) {
        m_domain = m_rows.current().domain;
        CompareDomainMarkTest2 = domainPrinting().later.marks;
        band.setText(QStringLiteral("Lgroup_name"),
                     QStringLiteral("مجموعة ") + m_domainNames.value(m_domain));
        return true;
    };

    const char *names[] = {"Lsum_ques_mark_test1",  "Lpres_ques_mark_test1", "Lsum_ques_mark_test2",
                           "Lpres_ques_mark_test2", "Lsum_change_val",       "Lsum_change_perc",
                           "Lsum_change_trend"};
    addResultCells(groupFooter, 0, QStringLiteral("ques_group_name_dtl"),
                   QStringLiteral("نتيجة مجموعة"), names);
    groupFooter.height = 2 * rowHeight + 1;
    groupFooter.beforePrint = [this](Band &band) {
        fillDomainFooter(band);
        return true;
    };
}

void TCaseTestsCompareReport::buildDetail()
{
    for (const Column &column : {idColumn, questionColumn, answer1Column, mark1Column,
                                 answer2Column, mark2Column, changeColumn, rateColumn, trendColumn})
        addCell(detail, QLatin1String(column.name), column.x, 0, column.width, rowHeight);
    detail.element(QLatin1String(questionColumn.name)).align = Align::Right;
    detail.height = rowHeight;
    detail.beforePrint = [this](Band &band) {
        fillDetail(band, m_rows.current());
        return true;
    };
}

void TCaseTestsCompareReport::fillDetail(Band &band, const QuestionPair &pair)
{
    band.setText(QLatin1String(idColumn.name), QString::number(pair.question));
    band.setText(QLatin1String(questionColumn.name), pair.text);
    const auto answerWord = [](const std::optional<AnsweredQuestion> &answer) {
        return answer ? checklist::arabicWord(answer->answer) : QString();
    };
    const auto markText = [](const std::optional<AnsweredQuestion> &answer) {
        return answer ? QString::number(checklist::markOf(answer->answer)) : QString();
    };
    band.setText(QLatin1String(answer1Column.name), answerWord(pair.earlier));
    band.setText(QLatin1String(mark1Column.name), markText(pair.earlier));
    band.setText(QLatin1String(answer2Column.name), answerWord(pair.later));
    band.setText(QLatin1String(mark2Column.name), markText(pair.later));
    // A question that one test lacks has no change.
    const ChangeTexts change =
        pair.earlier && pair.later
            ? changeTexts(checklist::changeOf(checklist::markOf(pair.earlier->answer),
                                              checklist::markOf(pair.later->answer)),
                          rateMask, AtZero::Empty)
            : ChangeTexts();
    showChange(band, change, changeColumn.name, rateColumn.name, trendColumn.name);
}

void TCaseTestsCompareReport::fillDomainFooter(Band &band)
{
    band.setText(QStringLiteral("ques_group_name_dtl"), m_domainNames.value(m_domain));
    report_parts::fitRow(*this, band, {QStringLiteral("ques_group_name_dtl")}, 2 * rowHeight);
    const checklist::DomainComparison &domain = domainPrinting();
    const std::pair<const char *, const checklist::Figures &> tests[] = {{"test1", domain.earlier},
                                                                         {"test2", domain.later}};
    for (const auto &[test, figures] : tests) {
        band.setText(QStringLiteral("Lsum_ques_mark_") + QLatin1String(test),
                     figures.questions > 0 ? marksText(figures.marks, figures.greatest())
                                           : QString());
        band.setText(QStringLiteral("Lpres_ques_mark_") + QLatin1String(test),
                     percentText(figures.rate()));
    }
    const std::optional<checklist::Change> change = domain.change();
    showChange(band, change ? changeTexts(*change, wholeMask, AtZero::Shown) : ChangeTexts(),
               "Lsum_change_val", "Lsum_change_perc", "Lsum_change_trend");
}

void TCaseTestsCompareReport::buildSummary()
{
    const char *names[] = {"Ltest_mark_test1",  "Ltest_perc_test1", "Ltest_mark_test2",
                           "Ltest_perc_test2",  "Ltest_change_val", "Ltest_change_rate",
                           "Ltast_change_trend"};
    addResultCells(summary, 2, {}, QStringLiteral("نتيجة الاختبار"), names);
    summary.addText(QStringLiteral("Ltrend_meaning"), 0, 2 + 2 * rowHeight + 1, width, rowHeight,
                    checklist::trendWordsMeaning());
    summary.addText(QStringLiteral("Lend"), 0, 91, width, 7, QStringLiteral("نهاية التقرير"),
                    Align::Center);
    summary.height = 98;
    m_summaryElements = summary.elements.size();
    summary.beforePrint = [this](Band &band) {
        fillSummary(band);
        return true;
    };
}

void TCaseTestsCompareReport::fillSummary(Band &band)
{
    const std::pair<const char *, const checklist::Figures &> totals[] = {
        {"test1", m_comparison.earlier}, {"test2", m_comparison.later}};
    for (const auto &[test, figures] : totals) {
        band.setText(QStringLiteral("Ltest_mark_") + QLatin1String(test),
                     isolate(report::formatMask(figures.marks, wholeMask) + QStringLiteral(" / ") +
                             report::formatMask(figures.greatest(), wholeMask)));
        band.setText(QStringLiteral("Ltest_perc_") + QLatin1String(test),
                     percentText(figures.rate()));
    }
    showChange(band, changeTexts(m_comparison.change(), rateMask, AtZero::Empty),
               "Ltest_change_val", "Ltest_change_rate", "Ltast_change_trend");
    band.elements.resize(m_summaryElements);
    drawChart(band);
}

// The domains' rates as bars, the first domain at the right, the earlier test's bar at the
// right of the later one's, over a scale of 0 to 100 with the threshold marked.
void TCaseTestsCompareReport::drawChart(Band &band) const
{
    constexpr double top = 24;
    // The figure over a full bar stands clear of the legend.
    constexpr double plotTop = top + 19;
    constexpr double plotHeight = 34;
    constexpr double baseline = plotTop + plotHeight;
    constexpr double plotRight = 16;
    constexpr double plotWidth = width - plotRight - 4;
    report::Element &title =
        band.addText(QStringLiteral("Lchart_title"), 0, top, width, 6,
                     QStringLiteral("نسب المجموعات فى الاختبارين"), Align::Center);
    title.bold = true;
    const std::pair<const char *, QColor> legend[] = {{"الاختبار السابق", earlierColor},
                                                      {"أخر اختبار", laterColor}};
    double legendX = width / 2 - 45;
    for (const auto &[text, color] : legend) {
        band.addRect(legendX, top + 7.5, 4, 4, color, 0);
        band.addText({}, legendX + 5, top + 6.5, 38, 6, QString::fromUtf8(text)).canGrow = false;
        legendX += 48;
    }
    for (int step = 0; step <= 4; ++step) {
        const double y = baseline - plotHeight * step / 4;
        const bool threshold = step * 25 == checklist::traitsThreshold;
        report::Element &rule = band.addLine(plotRight, y, plotRight + plotWidth, y,
                                             threshold   ? 0.5
                                             : step == 0 ? 0.3
                                                         : 0.1);
        rule.color = threshold ? thresholdColor : step == 0 ? Qt::black : Qt::lightGray;
        rule.name = threshold ? QStringLiteral("Lthreshold") : QString();
        report::Element &label =
            band.addText({}, 0, y - 2.5, plotRight - 1, 5,
                         isolate(QString::number(step * 25) + QStringLiteral(" %")), Align::Left);
        label.fontSize = 8;
        label.canGrow = false;
        label.color = threshold ? thresholdColor : Qt::black;
    }
    const QList<checklist::DomainComparison> &domains = m_comparison.domains;
    if (domains.isEmpty())
        return;
    const double slot = plotWidth / domains.size();
    const double barWidth = qMin(18.0, slot * 0.3);
    for (int domain = 0; domain < domains.size(); ++domain) {
        const checklist::DomainComparison &rates = domains.at(domain);
        const double middle = plotRight + slot * domain + slot / 2;
        const std::tuple<const char *, std::optional<double>, QColor, double> bars[] = {
            {"test1", rates.earlier.rate(), earlierColor, middle - barWidth - 1},
            {"test2", rates.later.rate(), laterColor, middle + 1}};
        for (const auto &[test, rate, color, x] : bars) {
            if (!rate)
                continue;
            const double height = plotHeight * qBound(0.0, *rate, 100.0) / 100;
            const QString suffix =
                QStringLiteral("_%1_%2").arg(QLatin1String(test)).arg(domain + 1);
            band.addRect(x, baseline - height, barWidth, height, color, 0).name =
                QStringLiteral("Bar") + suffix;
            report::Element &value =
                band.addText(QStringLiteral("Lbar") + suffix, x - 1, baseline - height - 5,
                             barWidth + 2, 5, report::formatMask(*rate, rateMask), Align::Center);
            value.fontSize = 8;
            value.canGrow = false;
        }
        report::Element &name = band.addText(QStringLiteral("Lchart_domain_%1").arg(domain + 1),
                                             plotRight + slot * domain, baseline + 1, slot, 10,
                                             m_domainNames.value(rates.domain), Align::Center);
        name.fontSize = 9;
        name.canGrow = false;
    }
}

} // namespace simat
