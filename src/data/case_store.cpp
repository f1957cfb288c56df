#include "case_store.h"

#include "audit_log.h"
#include "core/data_source.h"
#include "core/error.h"
#include "core/hijri.h"
#include "dm.h"
#include "statement_texts.h"

namespace simat {

QString CaseRecord::text(const QString &column) const
{
    return value(column).toString();
}

int CaseRecord::integer(const QString &column) const
{
    return toInt(value(column));
}

QDate CaseRecord::date(const QString &column) const
{
    return toDate(value(column));
}

CaseStore::CaseStore(TDataModule1 &dm)
    : m_dm(dm)
    , m_tests(std::make_unique<Statement>(dm.Database1, QStringLiteral("CaseStoreTests"),
                                          texts::caseTestHeaders()))
{
    m_tests->declare(QStringLiteral("stud_code"), ParamType::Integer);
}

CaseStore::~CaseStore() = default;

const QString &CaseStore::lastFailure() const
{
    return m_dm.Database1.lastFailure();
}

std::optional<CaseRecord> CaseStore::load(int caseCode)
{
    Statement &found = *m_dm.FindStudentByCodeQuery;
    found.setParam(QStringLiteral("stud_code"), caseCode);
    found.open();
    if (found.isEmpty())
        return std::nullopt;
    CaseRecord record;
    for (const QString &column : found.columnNames())
        record.set(column, found.value(column));
    return record;
}

int CaseStore::save(const CaseRecord &record, int branchNo, int userCode)
{
    int code = 0;
    const bool saved = m_dm.Database1.inTransaction([&] {
        if (!record.isStored()) {
            code = m_dm.nextSerial(QStringLiteral("stud_code"), QStringLiteral("student"));
            insertUnder(record, code, branchNo, userCode);
            return;
        }
        code = record.code();
        audit::RecordChange change = caseChange(code);
        bindRecord(record, code, branchNo, userCode, false);
        if (m_dm.UpdateStudent->exec() != 1)
            throw Error(QStringLiteral("الحالة غير مسجلة على النظام"));
        change.log();
    });
    return saved ? code : 0;
}

void CaseStore::insertUnder(const CaseRecord &record, int code, int branchNo, int userCode)
{
    audit::RecordChange change = audit::RecordChange::ofNewRecord(
        m_dm.Database1, {{QStringLiteral("student")}}, {{QStringLiteral("stud_code"), code}});
    bindRecord(record, code, branchNo, userCode, true);
    m_dm.AddNewStudent->exec();
    change.log();
}

void CaseStore::bindRecord(const CaseRecord &record, int code, int branchNo, int userCode,
                           bool insert)
{
    Statement &statement = insert ? *m_dm.AddNewStudent : *m_dm.UpdateStudent;
    for (const QString &column : texts::studentColumns())
        statement.setParam(column, record.value(column));
    const QDate today = QDate::currentDate();
    statement.setParam(QStringLiteral("branch_no"), branchNo);
    statement.setParam(QStringLiteral("stud_code"), code);
    statement.setParam(QStringLiteral("stud_birth_haj_date"),
                       hijri::fromGregorian(record.date(QStringLiteral("stud_birth_date"))));
    statement.setParam(QStringLiteral("trans_date"), today);
    statement.setParam(QStringLiteral("entry_date"), today);
    statement.setParam(QStringLiteral("entry_type"), insert ? 1 : 2);
    statement.setParam(QStringLiteral("who_insert"), userCode);
    statement.setParam(QStringLiteral("who_update"), insert ? 0 : userCode);
}

bool CaseStore::hasTests(int caseCode)
{
    m_tests->setParam(QStringLiteral("stud_code"), caseCode);
    m_tests->open();
    const bool found = !m_tests->isEmpty();
    m_tests->close();
    return found;
}

bool CaseStore::remove(int caseCode)
{
    return m_dm.Database1.inTransaction([&] {
        audit::RecordChange change = caseChange(caseCode);
        Statement &remove = *m_dm.SetupDataDeleteQuery;
        remove.setLine(1, QStringLiteral("student"));
        remove.setLine(3, QStringLiteral("stud_code"));
        remove.setParam(QStringLiteral("code"), caseCode);
        remove.exec();
        change.log();
    });
}

audit::RecordChange CaseStore::caseChange(int caseCode)
{
    return {m_dm.Database1, QStringLiteral("student"), {{QStringLiteral("stud_code"), caseCode}}};
}

} // namespace simat
