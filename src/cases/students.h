#pragma once

#include "data/case_store.h"
#include "ui/screen.h"

#include <QStringList>
#include <memory>

class QLineEdit;

namespace Ui {
class StudentsForm;
}

namespace simat {

class OptionalDateEdit;

// The record of one child under test, called a case: a new case (empty code) or a stored one
// loaded from the case inquiry, with its personal, schooling, address and guardian details.
class TStudentsForm : public TScreen {
    Q_OBJECT
public:
    explicit TStudentsForm(QWidget *parent = nullptr);
    ~TStudentsForm() override;

    // Resets the form to a new case, then shows the stored case `code` on it; false, and the
    // form unchanged, when the user chose to keep unsaved changes.
    bool loadCase(int code);

    void applyUserLevel() override;
    bool hasUnsavedChanges() const override;

public slots:
    void spNewClick();
    void spSaveClick();
    void spDeleteClick();
    void spPrintClick();
    void spSudentFormSearchClick();
    void spCourseClick();
    void spHistoryClick();
    void spExitClick();
    void DTbirthDateChange();
    void emHajDateExit();

protected:
    void FormShow() override;
    QAbstractButton *functionKeyButton(int key) const override;

private:
    void FormCreate();
    void connectControls();
    void connectLookups();

    void clearToNewCase();
    void showCase(const CaseRecord &found);
    QStringList shownFields() const;
    void keepShownAsStored();
    void showAgeOf(const QDate &birth);
    void setBirthDateQuietly(const QDate &date);
    bool applyHijriBirthDate();
    bool applyTypedDates();

    bool validateForSave();
    bool contactsAreValid();
    bool refuseContact(QLineEdit *field, const QString &message);
    // The case as the form shows it, under its code (0 for a new case).
    CaseRecord recordOnScreen() const;

    QLineEdit *box(const char *name) const;
    OptionalDateEdit *dateBox(const char *name) const;

    std::unique_ptr<Ui::StudentsForm> ui;
    std::unique_ptr<CaseStore> m_cases;
    // The fields as last loaded, saved or cleared for a new case.
    QStringList m_asStored;
};

} // namespace simat
