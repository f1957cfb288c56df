#pragma once

#include "ui/screen.h"

namespace simat {

// The record of one child under test, called a case: a new case (empty code) or a stored one
// loaded from the case inquiry, with its personal, schooling, address and guardian details.
class TStudentsForm : public TScreen {
    Q_OBJECT
public:
    explicit TStudentsForm(QWidget *parent = nullptr);
    ~TStudentsForm() override;

    // Resets the form to a new case, then shows the stored case `code` on it.
    void loadCase(int code);
};

} // namespace simat
