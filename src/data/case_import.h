#pragma once

#include "case_store.h"
#include "core/csv.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

namespace simat {
class Database;
class TDataModule1;
} // namespace simat

// Cases brought in from the spreadsheet a centre kept: a CSV file whose first row names the
// columns, checked row by row before anything is written, then written in one transaction.
namespace simat::case_import {

// Told how many rows are done out of how many; returning false stops the work, which then
// throws Error and changes nothing.
using Progress = std::function<bool(qint64 done, qint64 total)>;

struct Source {
    QString path;
    csv::ReadFile file; // its first row names the columns
    QStringList heading() const { return file.rows.value(0); }
    int rowCount() const { return int(file.rows.size()) - 1; }
};

// Reads a file; throws Error with the reason in Arabic when it cannot be read or holds no row
// below its first.
Source readSource(const QString &path);

// For each column of the file, the field of case_fields::fields() its title names, or -1; a
// field goes to the first column that names it.
QList<int> matchColumns(const QStringList &heading);

// What becomes of a row whose lookup name no row of its table carries.
enum class UnknownNames { Refuse, Add };

struct CheckedRow {
    int line = 0;         // in the file, its first row being 1
    QStringList problems; // none: the row is imported
    CaseRecord record;    // lookup codes of names still to be added are 0
    // The lookup names this row needs added first: field index and name as written.
    QList<std::pair<int, QString>> newNames;
    bool accepted() const { return problems.isEmpty(); }
};

struct Preview {
    QList<CheckedRow> rows;
    // The names that no row of their table carries, by the caption of the field that has them.
    QMap<QString, QStringList> unknownNames;
    int accepted() const;
    int refused() const { return int(rows.size()) - accepted(); }
};

// Checks every row against the columns' fields and the register: a name, dates (day/month/year
// or ISO), digits, lookup names, and no child registered twice (the same identity number, or
// the same name and birth date, in the register or higher in the file). Writes nothing.
Preview check(Database &database, const Source &source, const QList<int> &matches,
              UnknownNames unknown, const Progress &progress = {});

struct Imported {
    int cases = 0;
    int firstCode = 0;
    int lastCode = 0;
    int namesAdded = 0;
};

// Adds the new lookup names, then the accepted rows under the next case codes, all in one
// transaction; throws Error (the register as it was) when it fails or is stopped.
Imported write(TDataModule1 &dm, const Preview &preview, int branchNo, int userCode,
               const Progress &progress = {});

// The refused rows as the file holds them, each followed by its reasons, into a CSV file that
// only its owner may read. Throws Error.
void writeRefused(const Source &source, const Preview &preview, const QString &path);

} // namespace simat::case_import
