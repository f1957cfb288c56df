#pragma once

#include "core/checklist_test.h"

namespace simat {

class Statement;

// Binds branch_no, test_no, test_date and stud_code of a statement that names one test.
void bindTestIdentity(Statement &statement, const TestIdentity &test);

} // namespace simat
