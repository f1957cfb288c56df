#include "students_report.h"

namespace simat {

TStudentsReportForm::TStudentsReportForm(QObject *parent)
    : report::Report(QStringLiteral("StudentsReportForm"), parent)
{}

void TStudentsReportForm::previewRows(DataSource *rows, const QString &title, QWidget *over)
{
    setSource(rows);
    caption = title;
    preview(over);
}

} // namespace simat
