#include "setup_data_report_level2.h"

namespace simat {

TSetupDataReportLevel2Form::TSetupDataReportLevel2Form(QObject *parent)
    : TSetupDataReportForm(QStringLiteral("SetupDataReportLevel2Form"),
                           {{"الكود", "Lcode", 18},
                            {"الاسم", "Lname", 66, report::Align::Right},
                            {"التصنيف", "Lparent_name", 50, report::Align::Right},
                            {"الحالة", "Lstatus", 22},
                            {"تاريخ اخر تعديل", "Ltrans_date", 34}},
                           parent)
{}

} // namespace simat
