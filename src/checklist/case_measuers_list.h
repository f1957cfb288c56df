#pragma once

#include "data/test_store.h"
#include "ui/screen.h"

#include <QDate>
#include <memory>

namespace Ui {
class CaseMeasuresListForm;
}

namespace simat {

// Every test of the case on the test screen, latest first; a double-click shows the chosen
// test on the test screen, and any two marked tests are compared, the earlier as test 1.
class TCaseMeasuresListForm : public TScreen {
    Q_OBJECT
public:
    explicit TCaseMeasuresListForm(QWidget *parent = nullptr);
    ~TCaseMeasuresListForm() override;

    // Shows the tests of a case, as the caller read them.
    void showCase(const CaseSummary &shown, QList<ChecklistTest> tests);
    // The test screen moved to another case or changed the tests of its own: the list shows
    // them, or closes when there are none.
    void followCase(const CaseSummary &shown, QList<ChecklistTest> tests);

public slots:
    void DBGstud_meas_listDblClick();
    void spCompareClick();
    void spCourseClick();
    void spExitClick();

private:
    class TestsModel;

    void listCase(const CaseSummary &shown, QList<ChecklistTest> tests);
    bool lists(int caseCode, const QList<ChecklistTest> &tests) const;
    TestIdentity testOfRow(int row) const;
    QList<int> markedRows() const;

    std::unique_ptr<Ui::CaseMeasuresListForm> ui;
    TestsModel *m_tests = nullptr;
};

} // namespace simat
