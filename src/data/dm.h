#pragma once

#include "database.h"
#include "statement.h"
#include "text_search.h"

#include <QObject>

namespace simat {

// The data module: the connection Database1 and every named statement the screens run.
class TDataModule1 : public QObject {
    Q_OBJECT
public:
    explicit TDataModule1(QObject *parent = nullptr);
    ~TDataModule1() override;

    static TDataModule1 *instance();

    Database Database1;

    // Login and session.
    Statement *FindUserQuery;
    // The number of the checklist's questions; statement() finds it as MeasQuesCountQuery too.
    Statement *GetMeasQuesCountQuery;
    // The shared next-number template; see nextSerial().
    Statement *GetSerialQuery;
    // A case with the names of all its lookups.
    Statement *FindStudentByCodeQuery;
    // The cases of branch :branch_no whose criterion column contains :param_1, every case with
    // a value in that column for an empty :param_1; the criterion starts on the case name.
    Statement *StudentsQuery;
    static constexpr int StudentsCasesLine = 1;
    static constexpr int StudentsCriterionLine = 20;
    // Puts the criterion on `column` for the text about to be bound to :param_1.
    void setStudentsCriterion(const QString &column,
                              search::Comparison comparison = search::Comparison::AsReader,
                              const QString &text = {});

    // The lookup picker and column discovery.
    Statement *GetTableLevelQuery;
    Statement *GetTableStrucQuery;
    Statement *SearchByNameQuery;

    // The basic-data screens.
    Statement *EmptyQuery;
    Statement *BasicDataResultQuery;
    Statement *SetupDataInsertQuery;
    Statement *SetupDataUpdateQuery;
    Statement *SetupDataDeleteQuery;
    Statement *FindSetupDataTransactionQuery;
    Statement *FindTableNamesForCheckDeleteInQuery;
    Statement *ResultQueryLevel2;
    Statement *SetupDataInsertLevel2Query;
    Statement *SetupDataUpdateLevel2Query;
    Statement *GetSysTableDataQuery;

    // The checklist test screen and the case's tests list.
    Statement *GetMeasureDiagGroupItemsQuery;
    Statement *FindStudTestHdrAllQuery;
    Statement *FindStudTestAllQuery;
    Statement *FindStudTestGroupQuery;
    Statement *TestersQuery;
    Statement *InfoSourceQuery;
    Statement *GetStudentMeasTotalMarksQuery;
    Statement *AddNewStudentMeasDiagHdr;
    Statement *AddNewStudentMeasDiagDtl;
    Statement *UpdateStudentMeasDiagHdr;
    Statement *MoveStudMeasDtlDate;
    Statement *UpdateStudentMeasDiagDtl;
    Statement *FindTestQuesQuery;
    Statement *FindStudentMeasByStatusQuery;
    Statement *StudMeasQuery;
    Statement *StudMeasSummaryQuery;
    Statement *FindStudMeasQuesCountQyery;
    Statement *FindStudMeasNonAnswerQuesCountQyery;
    Statement *CloseStudMeas;
    Statement *DeleteStudMeasHdr;
    Statement *DeleteStudMeasDtl;

    // User accounts.
    Statement *UsersQuery;
    Statement *FindUserCodeQuery;
    Statement *AddNewUser;
    Statement *UpdateUser;
    Statement *FindLevelQuery;
    // How many active accounts of level 0 there are besides the one named.
    Statement *OtherActiveAdministratorsQuery;

    // The all-cases report: one row per case that has tests, in every branch and period.
    Statement *CasesThatHasTestsCountQuery;

    // The case record form.
    Statement *AddNewStudent;
    Statement *UpdateStudent;
    // The comparison of a case's two tests, on reads of its own, so that comparing never moves
    // the case or the tests that the test screen holds.
    Statement *CompareCaseTestsQuery;
    Statement *CompareCaseQuery;
    Statement *CaseTestNo1Query;
    Statement *CaseTestNo2Query;
    Statement *FindGroupQuesQuery;

    // The statement of that name (MeasQuesCountQuery is GetMeasQuesCountQuery), or none.
    Statement *statement(const QString &name) const;
    QList<Statement *> statements() const;

    // Opens Database1 on the database the alias VUM names now, unless it is open on it already.
    void openDatabase();
    // The same with the alias as it was read.
    void openDatabase(const DatabaseAlias &alias);

    // The greatest value of a code column plus 1 (1 for an empty table), through
    // GetSerialQuery with its lines rewritten to the column, the table and the condition.
    // Called inside the write transaction that inserts the row: no other workstation makes a
    // code of the same table until that transaction ends.
    int nextSerial(const QString &column, const QString &table, const QString &condition = {});

private:
    void addTestStatements();
    void addUserStatements();
    void addBasicDataStatements();
    void addInquiryStatements();
    void addStudentStatements();
    void addComparisonStatements();
    Statement *add(const QString &name, const QStringList &lines,
                   std::initializer_list<std::pair<const char *, ParamType>> params = {});

    QString m_casesFrom; // the line of StudentsQuery that names the cases' table
};

} // namespace simat
