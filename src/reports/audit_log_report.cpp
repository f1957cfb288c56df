#include "audit_log_report.h"

#include "data/statement.h"
#include "report_parts.h"
#include "ui/screens.h"

namespace simat {

using report::Align;
using report::Band;
using report::isolate;

namespace {

constexpr double width = report_parts::landscapeWidth;

} // namespace

TAuditLogReport::TAuditLogReport(QObject *parent)
    : report::Report(QStringLiteral("AuditLogReport"), parent)
{
    caption = QStringLiteral("سجل التغييرات");
    setOrientation(QPageLayout::Landscape);
    fontSize = 8;
    buildPageHeader();
    report_parts::addTableColumns(columnHeader, detail,
                                  {{"الوقت", "Lchanged_time", 30},
                                   {"المستخدم", "Luser_name", 30, Align::Right},
                                   {"جهاز العمل", "Lhost_name", 24},
                                   {"التغيير", "Lchange_words", 16},
                                   {"الجدول", "Ltable_words", 24, Align::Right},
                                   {"السجل", "Lrecord_words", 45, Align::Right},
                                   {"البند", "Litem_words", 22, Align::Right},
                                   {"الحقل", "Lfield_words", 24, Align::Right},
                                   {"القيمة السابقة", "Lold_words", 31, Align::Right},
                                   {"القيمة الجديدة", "Lnew_words", 31, Align::Right}});
    detail.beforePrint = [this](Band &band) {
        fillRow(band);
        return true;
    };
    summary
        .addText(QStringLiteral("Lend"), 0, 3, width, 7, QStringLiteral("نهاية التقرير"),
                 Align::Center)
        .bold = true;
    summary.height = 10;
    report_parts::addPageFooter(pageFooter, width);
}

TAuditLogReport *TAuditLogReport::instance()
{
    return screens::object<TAuditLogReport>(QStringLiteral("AuditLogReport"));
}

void TAuditLogReport::previewRows(Statement *rows, const QString &filterText, QWidget *over)
{
    setSource(rows);
    m_filterText = filterText;
    preview(over);
}

void TAuditLogReport::buildPageHeader()
{
    Band &band = pageHeader;
    const double top = report_parts::addCentreHeading(band, width);
    band.element(QStringLiteral("Ltitle")).text = QStringLiteral("سجل التغييرات");
    band.addText(QStringLiteral("Lfilter"), 0, top + 1, width, 6, {}, Align::Center);
    band.height = top + 9;
    band.beforePrint = [this](Band &header) {
        report_parts::fillCentreHeading(header);
        header.setText(QStringLiteral("Lfilter"), m_filterText);
        return true;
    };
}

void TAuditLogReport::fillRow(Band &band) const
{
    const DataSource *rows = source();
    for (const char *column : {"user_name", "change_words", "table_words", "record_words",
                               "item_words", "field_words", "old_words", "new_words"})
        band.setText(QStringLiteral("L") + QLatin1String(column),
                     rows->textValue(QLatin1String(column)));
    for (const char *column : {"changed_time", "host_name"})
        band.setText(QStringLiteral("L") + QLatin1String(column),
                     isolate(rows->textValue(QLatin1String(column))));
}

} // namespace simat
