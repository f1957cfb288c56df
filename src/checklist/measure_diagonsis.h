#pragma once

#include "core/age.h"
#include "core/permissions.h"
#include "data/test_store.h"
#include "test_session.h"
#include "ui/screen.h"

#include <QDate>
#include <memory>

class QAbstractButton;
class QLineEdit;
class QMenu;
class QTableView;

namespace Ui {
class MeasureDiagonsisForm;
}

namespace simat {

class AnswersModel;
class TCaseMeasuresListForm;

// The checklist test screen: a case, its tester and information source, and the check-box
// grid of one domain's questions with the domain's and the whole checklist's results.
class TMeasureDiagonsisForm : public TScreen {
    Q_OBJECT
public:
    explicit TMeasureDiagonsisForm(QWidget *parent = nullptr);
    ~TMeasureDiagonsisForm() override;

    static TMeasureDiagonsisForm *instance();

    // The test chosen in the case's tests list, shown in the domain that was on screen.
    // Returns false when the user keeps the unsaved answers on screen instead.
    bool showTestFromList(const TestIdentity &test);

    QTableView *grid() const;
    int currentDomain() const;
    bool hasUnsavedAnswers() const;

    // The test on screen: a new one not yet stored, or a stored one, open or closed.
    using TestStatus = TestSession::Status;
    TestStatus testStatus() const;

    // What the screen hands to the test's reports.
    Age shownAge() const;
    QString testerClass() const;
    QString infoSourceClass() const;

    // The four values that identify the test on screen.
    int shownTestNo() const;
    QDate shownTestDate() const;
    int shownCaseCode() const;

    void applyUserLevel() override;

public slots:
    void spNewClick();
    void spSaveClick();
    void spExitClick();
    void spPrevMeasClick();
    void spHistoryClick();
    void spPrintClick();
    void N1Click();
    void N2Click();
    void spCloseRepClick();
    void spDeleteClick();
    void spFindStudentClick();
    void spFindTesterClick();
    void spFindInfoSourceClick();
    void eStudentCodeChange();
    void eTesterCodeChange();
    void eInfoSourceCodeChange();
    void DTbirthDateChange();
    void DTMeasDiagDateChange();
    void emHajDateExit();
    void emMeasDiagHajDateExit();

    bool hasUnsavedChanges() const override;

protected:
    void FormShow() override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void enterInLastField() override;

private:
    void FormCreate();
    void fitToScreen();
    static permissions::Access userAccess();
    void connectControls();
    QList<QAbstractButton *> domainButtons() const;
    QAbstractButton *domainButton(int domain) const;

    // What the grid shows once the screen is reset for another test.
    enum class NewThen {
        LoadFirstDomain, // the first domain, with the test that the load finds
        BlankQuestions,  // the first domain's questions, unanswered
        CallerLoads,     // what the caller's own load shows next
    };
    // New: resets the screen for another test; false when the user chose to stay.
    bool runNew(bool offerSameCase, NewThen then);
    void clearCase();
    void clearSourceAndTester();
    void resetResults();

    void domainClicked(int domain);
    void showQuestions(int domain);
    void loadCaseOfCode(const QString &code);
    void loadCaseAndTest();
    void showCase(const CaseSummary &shown);
    CaseSummary caseOnScreen() const;
    static TCaseMeasuresListForm *testsList();
    void followInTestsList();
    std::optional<ChecklistTest> chosenTest();
    void showStoredTest(ChecklistTest test);
    void showNewTest();
    void showDomainResults();
    void showChecklistResults();
    void setStatus(TestStatus status);
    void showTestNo(int number);
    static void showCode(QLineEdit *codeBox, int code);

    void pickInto(const QString &table, QObject *button, QLineEdit *nameBox, QLineEdit *codeBox,
                  void (TMeasureDiagonsisForm::*load)());
    static std::optional<int> codeIn(const QLineEdit *codeBox);
    void showLookupOfCode(QLineEdit *codeBox, int ChecklistTest::*code,
                          NamedInClass (TestStore::*read)(int), QLineEdit *nameBox,
                          QLineEdit *classBox);
    void setDateQuietly(QWidget *picker, const QDate &date);
    void showTestDate(const QDate &date);
    bool applyTypedHijriDates();

    TestIdentity storedTest() const;
    bool storedTestIsComplete() const;
    bool printable();
    void printReport(const char *reportName);

    bool validateForSave();
    ChecklistTest testOnScreen() const;
    static QString savedMessage(const TestIdentity &shown, const TestIdentity &saved);

    std::unique_ptr<Ui::MeasureDiagonsisForm> ui;
    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<TestSession> m_session;
    AnswersModel *m_answers = nullptr;
    bool m_keepNewTestHeader = false;
    QMenu *PMprint = nullptr;
};

} // namespace simat
