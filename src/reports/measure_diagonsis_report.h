#pragma once

#include "list_rows.h"
#include "test_report_common.h"

namespace simat {

// The whole test: every question with its answer and mark, by domain, with each domain's
// result and the whole checklist's.
class TMeasDiagReportForm : public TTestReport {
    Q_OBJECT
public:
    explicit TMeasDiagReportForm(QObject *parent = nullptr);

protected:
    void showTest(const PrintedTest &test) override;

private:
    QString domainName() const;

    ListRows<AnsweredQuestion> m_rows;
    // The domain whose questions are printing.
    int m_domain = 0;
};

} // namespace simat
