#include "students.h"

namespace simat {

TStudentsForm::TStudentsForm(QWidget *parent)
    : TScreen(parent)
{
    setObjectName(QStringLiteral("StudentsForm"));
    setWindowTitle(QStringLiteral("بيانات الخاضعين للاختبار"));
}

TStudentsForm::~TStudentsForm() = default;

void TStudentsForm::loadCase(int code)
{
    Q_UNUSED(code);
}

} // namespace simat
