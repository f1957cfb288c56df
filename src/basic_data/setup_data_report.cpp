#include "setup_data_report.h"

#include "core/data_source.h"
#include "reports/report_parts.h"

namespace simat {

using report::Align;
using report::Band;

namespace {

constexpr double headingBottom = 33;
constexpr double rowHeight = report_parts::tableRowHeight;

} // namespace

TSetupDataReportForm::TSetupDataReportForm(QObject *parent)
    : TSetupDataReportForm(QStringLiteral("SetupDataReportForm"),
                           {{"الكود", "Lcode", 22},
                            {"الاسم", "Lname", 100, Align::Right},
                            {"الحالة", "Lstatus", 28},
                            {"تاريخ اخر تعديل", "Ltrans_date", 40}},
                           parent)
{}

TSetupDataReportForm::TSetupDataReportForm(const QString &formName,
                                           const QList<report_parts::TableColumn> &columns,
                                           QObject *parent)
    : report::Report(formName, parent)
{
    buildPageHeader();
    report_parts::addTableColumns(columnHeader, detail, columns);
    detail.beforePrint = [this](Band &band) {
        fillRow(band);
        return true;
    };
    report::Element &end = summary.addText(QStringLiteral("Lend"), 0, 3, report_parts::pageWidth, 7,
                                           QStringLiteral("نهاية التقرير"), Align::Center);
    end.bold = true;
    summary.height = 10;
    report_parts::addPageFooter(pageFooter);
}

void TSetupDataReportForm::setRows(DataSource *rows, const QString &title)
{
    setSource(rows);
    m_title = title;
    caption = title;
}

void TSetupDataReportForm::previewRows(DataSource *rows, const QString &title, QWidget *over)
{
    setRows(rows, title);
    preview(over);
}

QString TSetupDataReportForm::statusWord(const QString &status)
{
    return status == QLatin1String("1") ? QStringLiteral("نشط") : QStringLiteral("غير نشط");
}

QColor TSetupDataReportForm::statusColor(const QString &status)
{
    return status == QLatin1String("1") ? QColor(Qt::black) : QColor(Qt::red);
}

void TSetupDataReportForm::beforeRun()
{
    m_count = rowCount(source());
}

void TSetupDataReportForm::buildPageHeader()
{
    Band &band = pageHeader;
    report_parts::addCentreHeading(band);
    band.addText({}, 0, headingBottom + 1, 12, rowHeight, QStringLiteral("العدد")).bold = true;
    band.addText(QStringLiteral("Lcount"), 12, headingBottom + 1, 30, rowHeight).wrap = false;
    band.height = headingBottom + 1 + rowHeight + 2;
    band.beforePrint = [this](Band &header) {
        report_parts::fillCentreHeading(header);
        header.setText(QStringLiteral("Ltitle"), m_title);
        header.setText(QStringLiteral("Lcount"), report::isolate(QString::number(m_count)));
        return true;
    };
}

void TSetupDataReportForm::fillRow(Band &band) const
{
    const DataSource *rows = source();
    const QString status = rows->textValue(QStringLiteral("status"));
    const QDate changed = rows->dateValue(QStringLiteral("trans_date"));
    band.setText(QStringLiteral("Lcode"), report::isolate(rows->textValue(QStringLiteral("code"))));
    band.setText(QStringLiteral("Lname"), rows->textValue(QStringLiteral("name")));
    band.setText(QStringLiteral("Lstatus"), statusWord(status));
    band.setColor(QStringLiteral("Lstatus"), statusColor(status));
    band.setText(QStringLiteral("Ltrans_date"),
                 changed.isValid() ? report::isolate(changed.toString(QStringLiteral("dd/MM/yyyy")))
                                   : QString());
    if (band.hasElement(QStringLiteral("Lparent_name")))
        band.setText(QStringLiteral("Lparent_name"),
                     rows->textValue(QStringLiteral("parent_name")));
}

} // namespace simat
