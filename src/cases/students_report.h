#pragma once

#include "report_engine/report.h"

class QWidget;

namespace simat {

// The printed list of cases: code, name, address, phones, birth date, age and gender, one line
// each, under a title that says how the list was chosen and the number of cases.
class TStudentsReportForm : public report::Report {
    Q_OBJECT
public:
    explicit TStudentsReportForm(QObject *parent = nullptr);

    // Shows the preview of the cases `rows` under `title` over `over`, modally.
    void previewRows(DataSource *rows, const QString &title, QWidget *over);
};

} // namespace simat
