#pragma once

#include "report_engine/report.h"

class QWidget;

namespace simat {

class Statement;

// The audit log as its screen lists it: a row per changed field, newest first, under the
// filter the screen names in the title.
class TAuditLogReport : public report::Report {
    Q_OBJECT
public:
    explicit TAuditLogReport(QObject *parent = nullptr);

    static TAuditLogReport *instance();
    void previewRows(Statement *rows, const QString &filterText, QWidget *over);

private:
    void buildPageHeader();
    void fillRow(report::Band &band) const;

    QString m_filterText;
};

} // namespace simat
