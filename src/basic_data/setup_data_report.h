#pragma once

#include "reports/report_parts.h"

class QWidget;

namespace simat {

// The listing of a level-1 lookup table as its screen's list holds it: code, name, status and
// the date of the last change, one row each, under the table's title and the number of rows.
class TSetupDataReportForm : public report::Report {
    Q_OBJECT
public:
    explicit TSetupDataReportForm(QObject *parent = nullptr);

    // Lays the rows out under `title` (what the calling screen shows as the table's title).
    void setRows(DataSource *rows, const QString &title);
    // Shows the preview of `rows` over `over`, modally.
    void previewRows(DataSource *rows, const QString &title, QWidget *over);

    // "نشط" for a status of "1", "غير نشط" for any other.
    static QString statusWord(const QString &status);
    static QColor statusColor(const QString &status);

protected:
    TSetupDataReportForm(const QString &formName, const QList<report_parts::TableColumn> &columns,
                         QObject *parent);
    void beforeRun() override;

private:
    void buildPageHeader();
    void fillRow(report::Band &band) const;

    QString m_title;
    int m_count = 0;
};

} // namespace simat
