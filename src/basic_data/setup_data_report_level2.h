#pragma once

#include "setup_data_report.h"

namespace simat {

// The listing of a level-2 lookup table: each row also names the row of the parent table it
// belongs to.
class TSetupDataReportLevel2Form : public TSetupDataReportForm {
    Q_OBJECT
public:
    explicit TSetupDataReportLevel2Form(QObject *parent = nullptr);
};

} // namespace simat
