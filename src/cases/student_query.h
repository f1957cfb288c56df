#pragma once

#include "ui/screen.h"

namespace simat {

// The cases of the branch in a grid, narrowed by part of a name, a phone or mobile number, an
// identity number or a guardian's name as the user types; loads a double-clicked case into the
// case record form when that form asked for it.
class TStudentQueryForm : public TScreen {
    Q_OBJECT
public:
    explicit TStudentQueryForm(QWidget *parent = nullptr);
    ~TStudentQueryForm() override;
};

} // namespace simat
