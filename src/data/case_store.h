#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

namespace simat {

namespace audit {
class RecordChange;
}
class Statement;
class TDataModule1;

// A child's record as the case form holds it: the columns of `student` by name, and, once read,
// the names of its lookups as the case with its lookups names them.
class CaseRecord {
public:
    int code() const { return integer(QStringLiteral("stud_code")); }
    bool isStored() const { return code() != 0; }

    void set(const QString &column, const QVariant &value) { m_values[column] = value; }
    QVariant value(const QString &column) const { return m_values.value(column); }
    QString text(const QString &column) const;
    int integer(const QString &column) const;
    QDate date(const QString &column) const;

private:
    QHash<QString, QVariant> m_values;
};

// Reads and writes cases, each write in one transaction. The record's audit columns, its
// branch and its Hijri birth date (always the conversion of the Gregorian one) are the store's.
class CaseStore {
public:
    explicit CaseStore(TDataModule1 &dm);
    ~CaseStore();

    std::optional<CaseRecord> load(int caseCode);
    // Stores a new case under the next code, or the record's changes under its code; returns
    // the code, or 0 after a roll back (see lastFailure()).
    int save(const CaseRecord &record, int branchNo, int userCode);
    // Stores a new case under the code given, in the caller's transaction, which has taken the
    // case codes (TDataModule1::nextSerial); throws Error.
    void insertUnder(const CaseRecord &record, int code, int branchNo, int userCode);
    // Reads through a statement of its own, so that no list of tests open on another screen
    // moves.
    bool hasTests(int caseCode);
    bool remove(int caseCode);
    const QString &lastFailure() const;

private:
    audit::RecordChange caseChange(int caseCode);
    void bindRecord(const CaseRecord &record, int code, int branchNo, int userCode, bool insert);

    TDataModule1 &m_dm;
    std::unique_ptr<Statement> m_tests;
};

} // namespace simat
