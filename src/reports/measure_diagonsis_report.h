#pragma once

#include "test_report_common.h"

namespace simat {

// The whole test: every question with its answer and mark, by domain, with each domain's
// result and the whole checklist's.
class TMeasDiagReportForm : public TTestReport {
    Q_OBJECT
public:
    explicit TMeasDiagReportForm(QObject *parent = nullptr);

protected:
    void beforeRun() override;

private:
    int m_groupQuestions = 0;
    int m_groupMarks = 0;
    int m_questions = 0;
    int m_marks = 0;
};

} // namespace simat
