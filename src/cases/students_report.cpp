#include "students_report.h"

#include "core/age.h"
#include "core/data_source.h"
#include "reports/report_parts.h"

namespace simat {

using report::Align;
using report::Band;
using report::isolate;

namespace {

constexpr double width = report_parts::landscapeWidth;
constexpr double headingBottom = 33;
constexpr double rowHeight = 7;
constexpr double headerRow = 6;

// A column of the listing: its heading, the element of the row, its width in mm and whether
// its text wraps onto more lines (names and addresses) or stays on one.
struct Column {
    const char *heading;
    const char *name;
    double width;
    bool wraps = false;
};

const Column columns[] = {
    {"الكود", "stud_code", 16},
    {"الاسم", "stud_name", 66, true},
    {"العنوان", "stud_main_street", 62, true},
    {"رقم الهاتف", "stud_guard_home_phone_no", 28},
    {"رقم المحمول", "stud_guard_mobile_no", 28},
    {"تاريخ الميلاد", "stud_birth_date", 26},
    {"يوم", "Lage_days", 11},
    {"شهر", "Lage_months", 11},
    {"سنة", "Lage_years", 11},
    {"النوع", "Lgender", 18},
};
constexpr int firstAgeColumn = 6;
constexpr int ageColumns = 3;

} // namespace

TStudentsReportForm::TStudentsReportForm(QObject *parent)
    : report::Report(QStringLiteral("StudentsReportForm"), parent)
{
    setOrientation(QPageLayout::Landscape);
    buildPageHeader();
    buildColumnHeader();
    buildDetail();
    report::Element &end = summary.addText(QStringLiteral("Lend"), 0, 3, width, 7,
                                           QStringLiteral("نهاية التقرير"), Align::Center);
    end.bold = true;
    summary.height = 10;
    report_parts::addPageFooter(pageFooter, width);
}

void TStudentsReportForm::setRows(DataSource *rows, const QString &title)
{
    setSource(rows);
    m_title = title;
    caption = title;
}

void TStudentsReportForm::previewRows(DataSource *rows, const QString &title, QWidget *over)
{
    setRows(rows, title);
    preview(over);
}

QString TStudentsReportForm::plainTitle()
{
    return QStringLiteral("قائمة الحالات (الخاضعين للاختبار)");
}

QString TStudentsReportForm::titleOf(const CaseSearchTexts &searched)
{
    const std::pair<const QString &, const char *> wordings[] = {
        {searched.name, " التى تحتوى أسماؤهم على الحروف ("},
        {searched.idNo, " التى تحتوى أرقام هوياتهم على الأرقام ("},
        {searched.guardianName, " التى تحتوى أسماء أولياء أمورهم على الحروف ("},
        {searched.homePhone, " التى تحتوى أرقام هواتفهم الأرضية على الأرقام ("},
        {searched.mobile, " التى تحتوى أرقام هواتفهم المحمولة على الأرقام ("},
    };
    for (const auto &[text, wording] : wordings)
        if (!text.isEmpty())
            return plainTitle() + QString::fromUtf8(wording) + text + QLatin1Char(')');
    return plainTitle();
}

QString TStudentsReportForm::genderWord(int gender)
{
    return gender == 1 ? QStringLiteral("ذكر") : gender == 2 ? QStringLiteral("أنثى") : QString();
}

void TStudentsReportForm::beforeRun()
{
    m_count = rowCount(source());
    m_today = QDate::currentDate();
}

void TStudentsReportForm::buildPageHeader()
{
    Band &band = pageHeader;
    report_parts::addCentreHeading(band, width);
    band.addText({}, 0, headingBottom + 1, 12, rowHeight, QStringLiteral("العدد")).bold = true;
    band.addText(QStringLiteral("Lcount"), 12, headingBottom + 1, 30, rowHeight).wrap = false;
    band.height = headingBottom + 1 + rowHeight + 2;
    band.beforePrint = [this](Band &header) {
        report_parts::fillCentreHeading(header);
        header.setText(QStringLiteral("Ltitle"), m_title);
        header.setText(QStringLiteral("Lcount"), isolate(QString::number(m_count)));
        return true;
    };
}

// Every heading fills both rows of the column header but the age's three, which stand under
// one "العمر".
void TStudentsReportForm::buildColumnHeader()
{
    Band &band = columnHeader;
    const auto addHeading = [&band](double x, double y, double w, double h, const QString &text) {
        band.addRect(x, y, w, h, report_parts::headingFill);
        report::Element &heading = band.addText({}, x, y, w, h, text, Align::Center);
        heading.bold = true;
        heading.padding = 1;
    };
    double x = 0;
    double ageX = 0;
    for (int i = 0; i < int(std::size(columns)); ++i) {
        const Column &column = columns[i];
        const bool age = i >= firstAgeColumn && i < firstAgeColumn + ageColumns;
        if (i == firstAgeColumn)
            ageX = x;
        addHeading(x, age ? headerRow : 0, column.width, age ? headerRow : 2 * headerRow,
                   QString::fromUtf8(column.heading));
        x += column.width;
    }
    double ageWidth = 0;
    for (int i = firstAgeColumn; i < firstAgeColumn + ageColumns; ++i)
        ageWidth += columns[i].width;
    addHeading(ageX, 0, ageWidth, headerRow, QStringLiteral("العمر"));
    band.height = 2 * headerRow;
}

void TStudentsReportForm::buildDetail()
{
    double x = 0;
    for (const Column &column : columns) {
        detail.addRect(x, 0, column.width, rowHeight).stretch = true;
        report::Element &cell =
            detail.addText(QLatin1String(column.name), x, 0, column.width, rowHeight);
        cell.padding = 1;
        cell.stretch = true;
        cell.wrap = column.wraps;
        if (!column.wraps)
            cell.align = Align::Center;
        x += column.width;
    }
    detail.height = rowHeight;
    detail.beforePrint = [this](Band &band) {
        fillRow(band);
        return true;
    };
}

void TStudentsReportForm::fillRow(Band &band) const
{
    const DataSource *rows = source();
    for (const char *field : {"stud_code", "stud_guard_home_phone_no", "stud_guard_mobile_no"})
        band.setText(QLatin1String(field), isolate(rows->textValue(QLatin1String(field))));
    for (const char *field : {"stud_name", "stud_main_street"})
        band.setText(QLatin1String(field), rows->textValue(QLatin1String(field)));
    const QDate birth = rows->dateValue(QStringLiteral("stud_birth_date"));
    const bool born = birth.isValid();
    const Age age = ageOn(birth, m_today);
    band.setText(QStringLiteral("stud_birth_date"),
                 born ? isolate(birth.toString(QStringLiteral("dd/MM/yyyy"))) : QString());
    band.setText(QStringLiteral("Lage_days"), born ? QString::number(age.days) : QString());
    band.setText(QStringLiteral("Lage_months"), born ? QString::number(age.months) : QString());
    band.setText(QStringLiteral("Lage_years"), born ? QString::number(age.years) : QString());
    band.setText(QStringLiteral("Lgender"),
                 genderWord(rows->intValue(QStringLiteral("stud_gender"))));
}

} // namespace simat
