#pragma once

#include "list_rows.h"
#include "test_report_common.h"

namespace simat {

// One line per domain and the whole checklist's result, a ratio of the sums.
class TMeasDiagSummaryReportForm : public TTestReport {
    Q_OBJECT
public:
    explicit TMeasDiagSummaryReportForm(QObject *parent = nullptr);

    // The sums of the domains' lines.
    int SummaryQuestionTotal = 0;
    double SummaryFullMarkTotal = 0;
    double SummaryCaseMarkTotal = 0;

protected:
    void showTest(const PrintedTest &test) override;

private:
    // The domains of the test, in their order.
    ListRows<int> m_domains;
};

} // namespace simat
