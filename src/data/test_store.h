#pragma once

#include "core/checklist_test.h"

#include <QDate>
#include <QMap>
#include <QString>
#include <memory>
#include <optional>

namespace simat {

class Statement;
class TDataModule1;

// What the test screen shows of a case.
struct CaseSummary {
    int code = 0;
    QString name;
    QDate birthDate;
    // As stored with the case; empty where it was never stored.
    QString birthHijri;
    QString mainStreet;
    QString homePhone;
    QString mobile;
};

// A stored test as its reports print it: the test with the texts of its questions, the case,
// the tester and the source by name, and the names of the domains. A test that is not stored
// prints empty.
struct PrintedTest {
    ChecklistTest test;
    CaseSummary child;
    QString testerName;
    QString infoSourceName;
    QMap<int, QString> domainNames;
};

// A tester or an information source by name, with the name of its class.
struct NamedInClass {
    QString name;
    QString className;
};

// Reads and writes checklist tests. Reads go through statements of its own, so that what it
// loads never moves the rows another screen shows; writes go through the data module's named
// statements, each in one transaction.
class TestStore {
public:
    explicit TestStore(TDataModule1 &dm);
    ~TestStore();
    TestStore(const TestStore &) = delete;
    TestStore &operator=(const TestStore &) = delete;

    std::optional<CaseSummary> caseOf(int caseCode);
    NamedInClass tester(int testerId);
    NamedInClass infoSource(int infoSourceId);

    // A domain's questions in their order, none answered.
    QList<AnsweredQuestion> domainQuestions(int domain);

    int testCount(int caseCode);
    bool hasOpenTest(int caseCode);
    // The latest test of a case, or the one named; none when there is no such test.
    std::optional<ChecklistTest> latestTestOf(int caseCode);
    std::optional<ChecklistTest> load(const TestIdentity &test);
    // Every question of the checklist has a stored answer.
    bool isComplete(const TestIdentity &test, int checklistQuestions);
    // The tests of a case, latest first (the higher number first on one day), without their
    // answers.
    QList<ChecklistTest> testsOf(int caseCode);
    PrintedTest printed(const TestIdentity &test);
    // Two tests of a case for their comparison, with the texts of their questions.
    std::pair<ChecklistTest, ChecklistTest> compared(const TestIdentity &earlier,
                                                     const TestIdentity &later);
    QString domainName(int domain);

    // Stores a new test with the answers of `domain`, numbered within its branch and the year of
    // its date; returns the number, or 0 after a roll back (see lastFailure()).
    int saveNew(const ChecklistTest &test, int domain, int userCode);
    // Rewrites the header of the test stored as `stored` (the shown date may have moved it) and
    // the answers of `domain`; returns the test's number, a new one when its date moved it into
    // a year where another test has its number, or 0 after a roll back.
    int saveStored(const TestIdentity &stored, const ChecklistTest &test, int domain, int userCode);
    bool close(const TestIdentity &test);
    bool remove(const TestIdentity &test);
    const QString &lastFailure() const;

private:
    std::optional<ChecklistTest> firstTestOf(Statement &rows, int caseCode);
    static ChecklistTest answeredWithTexts(Statement &rows, const TestIdentity &test);
    void writeHeader(Statement &statement, const TestIdentity &named, const ChecklistTest &test,
                     bool insert, int userCode);
    void writeAnswer(Statement &statement, const TestIdentity &test,
                     const AnsweredQuestion &question, bool insert, int userCode);
    void writeDomain(const TestIdentity &test, const QList<AnsweredQuestion> &answers,
                     int userCode);
    std::unique_ptr<Statement> ownStatement(const char *name, const QStringList &lines);
    int nextNumberOfYear(int branchNo, int year);
    int numberInYearOf(const TestIdentity &stored, const QDate &date);
    void moveTest(const TestIdentity &stored, const TestIdentity &moved);

    TDataModule1 &m_dm;
    std::unique_ptr<Statement> m_case;
    std::unique_ptr<Statement> m_tester;
    std::unique_ptr<Statement> m_infoSource;
    std::unique_ptr<Statement> m_questions;
    std::unique_ptr<Statement> m_headers;
    std::unique_ptr<Statement> m_rows;
    std::unique_ptr<Statement> m_openTests;
    std::unique_ptr<Statement> m_numberTaken;
    std::unique_ptr<Statement> m_moveHeader;
    std::unique_ptr<Statement> m_moveRows;
};

} // namespace simat
