#pragma once

#include "fixtures.h"

#include "core/checklist.h"
#include "data/test_identity.h"

#include <QDate>
#include <QMap>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>

namespace simat {
class TDataModule1;
}

namespace simat::testing {

using checklist::Answer;

// What a case carries besides its name and birth date. A column left out stays empty (null);
// what the case form always writes (branch, status, audit) is written as the form writes it.
struct CaseDetails {
    int code = 0; // 0: the next code
    int branch = 0;
    QString guardian{};
    QString idNo{};
    QString homePhone{};
    QString mobile{};
    QString street{};
    std::optional<int> gender{}; // 1 male, 2 female
    bool active = true;
    QVariantMap columns{}; // any column of student by name, over what the fields above give
};

// A row of a lookup table: its code (0: the next one) and whether it is in use.
struct LookupDetails {
    int code = 0;
    bool active = true;
};

// A user account; the name and the password follow the code where they are left out
// ("حساب 5", "pw5"), the entry date is today and the entering user the session's.
struct Account {
    int code = 0; // 0: the next code
    int level = 2;
    QString name{};
    QString password{};
    bool active = true;
    QDate enteredOn{};
    int enteredBy = 0;
};

class Register;

// A checklist test as the test screen stores it: a header, and a row for each question it
// covers. Nothing is written before add(). Unless told otherwise it is the next number of its
// branch and year, dated today, open, by tester 1 from information source 1 (the father), at
// the school "روضة الأمل".
class TestBuilder {
public:
    TestBuilder(Register &reg, int caseCode);
    TestBuilder(const TestBuilder &) = delete;
    TestBuilder &operator=(const TestBuilder &) = delete;
    ~TestBuilder();

    TestBuilder &number(int testNo);
    TestBuilder &on(const QDate &date);
    TestBuilder &branch(int branchNo);
    TestBuilder &by(int testerCode);
    TestBuilder &from(int infoSourceCode);
    TestBuilder &school(const QString &name);
    TestBuilder &closed(bool isClosed = true);

    // Questions 1, 2, ... of a domain in turn; a mark of 0 is a row without an answer.
    TestBuilder &answers(int domain, const QList<Answer> &answers);
    TestBuilder &marks(int domain, const QList<int> &marks);
    // Every question of the checklist as the register holds it.
    TestBuilder &allAnswered(Answer answer);
    // Every question of the checklist, with the mark markOf(domain, question); a mark of -1
    // leaves the question without a row.
    TestBuilder &marked(const std::function<int(int domain, int question)> &markOf);

    // Writes the test in one transaction; throws Error when the register refuses it.
    TestIdentity add();

private:
    void writeHeader(const TestIdentity &test, const QString &hijriDate);
    void writeAnswer(const TestIdentity &test, const QString &hijriDate, int domain, int question,
                     int mark);

    Register &m_register;
    TestIdentity m_test;
    bool m_numbered = false;
    int m_tester = 1;
    int m_infoSource = 1;
    QString m_school = QStringLiteral("روضة الأمل");
    bool m_closed = false;
    QMap<std::pair<int, int>, int> m_marks; // domain and question: mark
    bool m_added = false;
};

// Writes rows into a register the way the program's screens store them, through the data
// module's statements, and reads what a test checks. Codes left out take the next of their
// table; each builder returns the code (or identity) it wrote.
class Register {
public:
    explicit Register(TDataModule1 &dm);
    virtual ~Register() = default;

    TDataModule1 &dm() const { return m_dm; }

    int testerClass(const QString &name, const LookupDetails &details = {});
    int tester(const QString &name, int classCode, const LookupDetails &details = {});
    int infoSourceClass(const QString &name, const LookupDetails &details = {});
    int infoSource(const QString &name, int classCode, const LookupDetails &details = {});
    int caseNamed(const QString &name, const QDate &birth = {}, const CaseDetails &details = {});
    // Stores the hash of the password, as the accounts screen does.
    int account(const Account &account);
    // Gives an account a new password, as the password change window does.
    void password(int code, const QString &password);
    void question(int domain, int id, const QString &text);
    TestBuilder test(int caseCode) { return TestBuilder(*this, caseCode); }

    // Runs a statement text without parameters: a change of schema, or odd data on purpose.
    void run(const QString &sql);
    // The first column of the first row, as an integer, or as text (empty without a row).
    int count(const QString &sql);
    QString value(const QString &sql);
    // The values of the first row as text, none without a row; every row's joined by "|".
    QStringList row(const QString &sql);
    QStringList rows(const QString &sql);

private:
    int lookupRow(const QString &table, const QString &columns, const QString &codeColumn,
                  std::optional<int> parentCode, const QString &name, const LookupDetails &details);

    TDataModule1 &m_dm;
};

// The password that the installation's administrator chose at the first login of a register
// that a test opens a session on, as long as a new password must be; it follows the code as
// the other accounts' passwords do.
inline const QString administratorPassword = QStringLiteral("pw-1");

// The credentials a register logs in with; the installation's administrator unless told.
struct Login {
    QString code = QStringLiteral("1");
    QString password = administratorPassword;
};

// A new register of one engine for one test: a new database named by the alias VUM, the
// program's screens (created once in the run), and, unless `as` is std::nullopt, a session
// opened through the login screen once the administrator has replaced the installation
// password by administratorPassword; a message box at the login or no main menu after it fails
// the test. With std::nullopt the register is created at the first login, with the
// installation password. Going, it closes the screens and the connection and drops the
// database.
class TestRegister : public Register {
public:
    explicit TestRegister(TestDatabase::Engine engine, std::optional<Login> as = Login());
    ~TestRegister() override;

    TestDatabase &database() { return *m_database; }

private:
    void logInAs(const Login &as);

    std::unique_ptr<TestDatabase> m_database;
};

} // namespace simat::testing

// In init() of an engine-driven test: skips the PostgreSQL row when no server is named, else
// makes `reg` a new TestRegister of the row's engine, logged in as the administrator unless the
// further argument says otherwise (std::nullopt: nobody).
#define SIMAT_NEW_REGISTER_OF_ROW(reg, ...)                                                        \
    do {                                                                                           \
        using simat::testing::TestDatabase;                                                        \
        if (simat::testing::engineOfRow() == TestDatabase::Engine::PostgreSQL &&                   \
            !TestDatabase::postgresAvailable())                                                    \
            QSKIP("SIMAT_TEST_PG names no PostgreSQL server");                                     \
        reg = std::make_unique<simat::testing::TestRegister>(simat::testing::engineOfRow()         \
                                                                 __VA_OPT__(, ) __VA_ARGS__);      \
    } while (false)
