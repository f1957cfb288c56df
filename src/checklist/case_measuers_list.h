#pragma once

#include "data/test_identity.h"
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

    // Shows the tests of a case: FindStudTestHdrAllQuery is open for it already.
    void showCase(const QString &caseCode, const QString &caseName, const QDate &birthDate);

public slots:
    void DBGstud_meas_listDblClick();
    void spCompareClick();
    void spExitClick();

private:
    TestIdentity testOfRow(int row) const;
    QList<int> markedRows() const;

    std::unique_ptr<Ui::CaseMeasuresListForm> ui;
};

} // namespace simat
