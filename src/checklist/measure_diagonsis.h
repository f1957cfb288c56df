#pragma once

#include "core/age.h"
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
class Statement;
struct TestIdentity;

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
    bool showTestFromList(int caseCode, int testNo, const QDate &testDate);

    QTableView *grid() const;
    int currentDomain() const;
    bool hasUnsavedAnswers() const;

    // The test on screen: a new one not yet stored, or a stored one, open or closed.
    enum class TestStatus { New, Open, Closed };
    TestStatus testStatus() const { return m_status; }

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

protected:
    void FormShow() override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void fitToScreen();
    void connectControls();

    // New: resets the screen for another test; false when the user chose to stay.
    bool runNew(bool offerSameCase);
    bool confirmLeavingUnsaved(bool storedOpenTest);
    void clearCase();
    // The next load shows this test of the case rather than its latest.
    void loadTestOnNextLoad(int testNo, const QDate &testDate);
    void clearSourceAndTester();
    void resetResults();

    void domainClicked(QAbstractButton *button);
    void loadCaseAndTest();
    void showCaseRow();
    void chooseTest();
    void showChosenTest();
    void showNewTest();
    void showTestAnswers();
    void showDomainResults();
    void showChecklistResults();
    void setStatus(TestStatus status);
    void showTestNo(int number);

    void pickInto(const QString &table, QObject *button, QLineEdit *nameBox, QLineEdit *codeBox,
                  void (TMeasureDiagonsisForm::*load)());
    void showLookupWithClass(Statement *query, const QString &line, const QString &code,
                             const char *nameColumn, const char *classColumn, QLineEdit *nameBox,
                             QLineEdit *classBox);
    void setDateQuietly(QWidget *picker, const QDate &date);
    QString storedHijriTestDate() const;

    // The stored test on screen: its number and the date it was stored under.
    TestIdentity storedTest() const;
    void bindStoredTest(Statement *statement) const;
    bool storedTestIsComplete() const;
    bool printable();
    void printReport(Statement *rows, const char *reportName);

    bool validateForSave();
    void saveTest(bool existing, int &newNumber);
    void bindHeader(Statement *statement, const TestIdentity &test, bool insert);
    void bindDetailRow(Statement *statement, const TestIdentity &test, int row, bool insert);

    std::unique_ptr<Ui::MeasureDiagonsisForm> ui;
    AnswersModel *m_answers = nullptr;
    TestStatus m_status = TestStatus::New;
    int m_testNo = 0;
    bool m_keepNewTestHeader = false;
    QMenu *PMprint = nullptr;

    QAbstractButton *CurrentDomainButton = nullptr;
    bool FirstShowPending = false;
    bool JustSaved = false;
    bool NewTestSameCase = false;
    bool OpenedFromTestList = false;
    QString SavedCaseCode;
    int m_chosenTestNo = 0;
    QDate m_chosenTestDate;
    // The date the test on screen was loaded under: an update names the test by it.
    QDate m_loadedTestDate;
};

} // namespace simat
