#pragma once

#include "data/case_store.h"
#include "ui/screen.h"

#include <memory>

class QDateEdit;
class QLineEdit;

namespace Ui {
class StudentsForm;
}

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

    void applyUserLevel() override;

public slots:
    void spNewClick();
    void spSaveClick();
    void spDeleteClick();
    void spPrintClick();
    void spSudentFormSearchClick();
    void spExitClick();
    void DTbirthDateChange();
    void emHajDateExit();

protected:
    void FormShow() override;

private:
    void FormCreate();
    void connectControls();
    void connectLookups();

    void showCase(const CaseRecord &found);
    void showAgeOf(const QDate &birth);
    void setBirthDateQuietly(const QDate &date);

    bool validateForSave();
    // The case as the form shows it, under its code (0 for a new case).
    CaseRecord recordOnScreen() const;

    QLineEdit *box(const char *name) const;
    QDateEdit *dateBox(const char *name) const;

    std::unique_ptr<Ui::StudentsForm> ui;
    std::unique_ptr<CaseStore> m_cases;
};

} // namespace simat
