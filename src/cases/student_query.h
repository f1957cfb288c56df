#pragma once

#include "ui/screen.h"

#include <QList>
#include <memory>

class QLineEdit;
class QRadioButton;

namespace Ui {
class StudentQueryForm;
}

namespace simat {

struct CaseSearchTexts;

// The cases of the branch in a grid, narrowed by part of a name, a phone or mobile number, an
// identity number or a guardian's name as the user types; loads a double-clicked case into the
// case record form when that form asked for it.
class TStudentQueryForm : public TScreen {
    Q_OBJECT
public:
    explicit TStudentQueryForm(QWidget *parent = nullptr);
    ~TStudentQueryForm() override;

    // What the boxes hold, for the title of the printed list.
    CaseSearchTexts searchTexts() const;

public slots:
    void spNewClick();
    void spRunClick();
    void spPrintClick();
    void spExportClick();
    void spExitClick();
    void DBGstudentsDblClick();

protected:
    void FormShow() override;
    void applyUserLevel() override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A way to search: its radio button, its box and the column it searches.
    struct Criterion {
        QRadioButton *radio;
        QLineEdit *box;
        QString column;
        bool digits;
    };
    void boxChanged(const Criterion &criterion);
    void choose(const Criterion &criterion);
    void reopen(const Criterion &criterion, const QString &text);
    bool openedByCaseForm() const;

    std::unique_ptr<Ui::StudentQueryForm> ui;
    // In the order a run takes them: name, identity number, guardian name, home phone, mobile.
    QList<Criterion> m_criteria;
};

} // namespace simat
