#pragma once

#include "test_report_common.h"

namespace simat {

// One line per domain and the whole checklist's result, a ratio of the sums.
class TMeasDiagSummaryReportForm : public TTestReport {
    Q_OBJECT
public:
    explicit TMeasDiagSummaryReportForm(QObject *parent = nullptr);

    int SummaryQuestionTotal = 0;
    double SummaryFullMarkTotal = 0;
    double SummaryCaseMarkTotal = 0;

protected:
    void beforeRun() override;
};

} // namespace simat
