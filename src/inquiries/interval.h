#pragma once

#include "ui/screen.h"

#include <memory>

namespace Ui {
class IntervalForm;
}

namespace simat {

// The period filter: two dates, today's on every show, and the run of the report of the
// button that opened it.
class TIntervalForm : public TScreen {
    Q_OBJECT
public:
    explicit TIntervalForm(QWidget *parent = nullptr);
    ~TIntervalForm() override;

public slots:
    void spRunClick();
    void spExportClick();
    void spExitClick();

protected:
    void FormShow() override;

private:
    std::unique_ptr<Ui::IntervalForm> ui;
    // Whether the menu's button of the all-cases report opened the filter: told once at the
    // show, since a picker closed meanwhile forgets which button opened a screen.
    bool m_forAllCases = false;
};

} // namespace simat
