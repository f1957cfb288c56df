#pragma once

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <utility>

namespace simat {
class Database;
class Statement;
struct TestIdentity;
} // namespace simat

// The log of every change of the register's records (audit_log), one row per changed field:
// when, by whom and on which workstation, the table, the record and the field, the value before
// and after. Written in the transaction of the change, so that a change rolled back leaves no
// row; never changed nor deleted by the program.
namespace simat::audit {

// What the log says of a password that changed, instead of any value.
inline const QString passwordChanged = QStringLiteral("تم التغيير");

enum class ChangeKind { Insert = 1, Update = 2, Delete = 3, Restore = 4 };

// The columns and values that name a record (or narrow the rows of one), in their order.
using Key = QList<std::pair<QString, QVariant>>;

// A test's whole identity, which names both its header and its answers.
Key testKey(const TestIdentity &test);
// "branch_no=0 test_no=5 test_date=2026-12-08 stud_code=7", as the log stores a record's key.
QString keyText(const Key &key);

// The rows of one record as stored: for each row (told apart by its item), its fields as text.
using StoredRows = QMap<QString, QMap<QString, QVariant>>;

// A table of a record's rows: `narrowing` reads only some of them (one domain's answers) under
// the record's key, the item columns tell them apart (a test's answers by question).
struct RecordPart {
    QString table;
    Key narrowing = {};
    QStringList itemColumns = {};
};

// One change of a record in the caller's transaction: made before the change, it reads the
// record's rows in each of its tables (a test's header and answers); log() reads them again and
// writes a log row for each field that differs. PostgreSQL reads all the tables in one trip.
class RecordChange {
public:
    RecordChange(Database &database, const QString &table, Key key, Key narrowing = {},
                 QStringList itemColumns = {});
    RecordChange(Database &database, QList<RecordPart> parts, Key key);
    // The change that adds the record, which has no rows before it.
    static RecordChange ofNewRecord(Database &database, QList<RecordPart> parts, Key key);
    void log();
    // The change gave the record another key (a test moved to another date): its rows are read
    // under that key and logged under it, the change of the key among the fields.
    void log(const Key &movedTo);

private:
    enum class Before { Read, Nothing };
    RecordChange(Before before, Database &database, QList<RecordPart> parts, Key key);
    QList<StoredRows> read(const Key &key) const;
    QList<StoredRows> readEach(const Key &key) const;
    QList<StoredRows> readTogether(const Key &key) const;

    Database &m_database;
    QList<RecordPart> m_parts;
    Key m_key;
    QList<StoredRows> m_before;
};

// Logs, in the caller's transaction, that the register was replaced by the backup of that name.
void logRestore(Database &database, const QString &backupName);

// What the log's screen lists: a period of days, and where given, one user, one case, one table.
struct LogFilter {
    QDate from;
    QDate to;
    int userCode = 0;
    int caseCode = 0;
    QString table;
};

// The log's rows newest first, with the user's name and the kind of change and the table in
// Arabic: a statement of these lines lists them once narrowed by one of the two below.
QStringList logLines();
void narrowToFilter(Statement &log, const LogFilter &filter);
// The rows of one record in the tables named (a test's header and answers), those logged under
// the keys it had before it was moved (a test to another date) among them; the first table is
// the one that logs the moves.
void narrowToRecord(Database &database, Statement &log, const QStringList &tables, const Key &key);

// The statement that makes the log's table on the engine of the database, and its indexes.
QStringList tableDefinition(const Database &database);

} // namespace simat::audit
