#pragma once

#include "ui/screen.h"

#include <memory>

namespace Ui {
class InquiresReportsForm;
}

namespace simat {

// The inquiries menu, open to every level: each button opens another screen in its search or
// inquiry state, the picker of the case whose tests are compared, or the period filter of the
// all-cases report.
class TInquiresReportsForm : public TScreen {
    Q_OBJECT
public:
    explicit TInquiresReportsForm(QWidget *parent = nullptr);
    ~TInquiresReportsForm() override;

public slots:
    void spStudentsQueryClick();
    void spInfoSourceQueryClick();
    void spTestersQueryClick();
    void spStudentTestQueryClick();
    void spStudentTestsMonitoringClick();
    void spAllStudentsTestsClick();
    void spExitClick();

private:
    void searchLookupTable(const char *tableButton);

    std::unique_ptr<Ui::InquiresReportsForm> ui;
};

} // namespace simat
