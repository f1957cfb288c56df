#include "student_query.h"

namespace simat {

TStudentQueryForm::TStudentQueryForm(QWidget *parent)
    : TScreen(parent)
{
    setObjectName(QStringLiteral("StudentQueryForm"));
    setWindowTitle(QStringLiteral("الاستعلام عن الخاضعين للاختبار"));
}

TStudentQueryForm::~TStudentQueryForm() = default;

} // namespace simat
