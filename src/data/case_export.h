#pragma once

#include <QString>
#include <functional>

namespace simat {
class Database;
}

// Every case of the register, every field, lookups by their names: what a centre takes with it.
namespace simat::case_export {

// Told how many cases are written out of how many; returning false stops the export, which
// then throws Error and leaves no file behind.
using Progress = std::function<bool(qint64 done, qint64 total)>;

enum class Format { Csv, Workbook };

// "simat-cases-2026-12-09.xlsx" (or .csv).
QString fileName(Format format);

// Writes every case into a file that only its owner may read: a CSV file titled as the import
// reads it back, or a workbook of one sheet. Returns the number of cases; throws Error.
int write(Database &database, Format format, const QString &path, const Progress &progress = {});

} // namespace simat::case_export
