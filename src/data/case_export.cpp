#include "case_export.h"

#include "case_fields.h"
#include "core/bidi.h"
#include "core/csv.h"
#include "core/data_source.h"
#include "core/error.h"
#include "owner_only.h"
#include "statement.h"
#include "workbook.h"

#include <QDate>
#include <QFile>
#include <QSqlQuery>
#include <cstdio>

namespace simat::case_export {

namespace {

using case_fields::Field;
using case_fields::Kind;

// The code, the fields and the Hijri birth date: each with what the case's row reads for it.
struct Exported {
    QString column; // of the statement's rows
    QString caption;
    QString exportName;
    Kind kind;
};

QList<Exported> exportedColumns()
{
    QList<Exported> columns = {{QStringLiteral("stud_code"), QStringLiteral("الكود"),
                                QStringLiteral("stud_code"), Kind::Digits}};
    const QList<Field> &fields = case_fields::fields();
    for (int i = 0; i < fields.size(); ++i) {
        const Field &field = fields.at(i);
        columns << Exported{field.kind == Kind::Lookup ? QStringLiteral("name_%1").arg(i)
                                                       : field.column,
                            field.caption, field.column, field.kind};
    }
    columns << Exported{QStringLiteral("stud_birth_haj_date"),
                        QStringLiteral("تاريخ الميلاد الهجرى"),
                        QStringLiteral("stud_birth_haj_date"), Kind::Text};
    return columns;
}

// Every case with the name of each of its lookups as name_<field index>.
QStringList caseRows()
{
    QStringList names;
    QStringList joins;
    const QList<Field> &fields = case_fields::fields();
    for (int i = 0; i < fields.size(); ++i) {
        const Field &field = fields.at(i);
        if (field.kind != Kind::Lookup)
            continue;
        const QString alias = QStringLiteral("l%1").arg(i);
        names << QStringLiteral("%1.%2 as name_%3")
                     .arg(alias, Statement::identifier(field.lookup.nameColumn))
                     .arg(i);
        joins << QStringLiteral("left join %1 %2 on a.%3 = %2.%4")
                     .arg(Statement::identifier(field.lookup.table), alias,
                          Statement::identifier(field.column),
                          Statement::identifier(field.lookup.codeColumn));
    }
    return {QStringLiteral("select a.*, ") + names.join(QStringLiteral(", ")),
            QStringLiteral("from student a"), joins.join(QLatin1Char(' ')),
            QStringLiteral("order by a.stud_code")};
}

int caseCount(Database &database)
{
    Statement count(database, QStringLiteral("ExportCaseCount"),
                    {QStringLiteral("select count(*) as cases from student")});
    count.open();
    return count.intValue(QStringLiteral("cases"));
}

QString activeWord(const QVariant &value)
{
    return case_fields::activeWord(toInt(value) != 0);
}

workbook::Kind workbookKind(Kind kind)
{
    return kind == Kind::Date ? workbook::Kind::Date : workbook::Kind::Text;
}

// Hands each case's values, in the order of exportedColumns(), to `row`.
int walkCases(Database &database, const Progress &progress,
              const std::function<void(const QSqlQuery &row, const QList<Exported> &)> &row)
{
    const QList<Exported> columns = exportedColumns();
    const int total = caseCount(database);
    Statement rows(database, QStringLiteral("ExportCases"), caseRows());
    int done = 0;
    rows.readEach([&](const QSqlQuery &found) {
        row(found, columns);
        if (progress && !progress(++done, total))
            throw Error(QStringLiteral("توقف التصدير قبل أن يكتمل، ولم يُكتب أي ملف"));
    });
    return done;
}

QVariant valueOf(const QSqlQuery &row, const Exported &column)
{
    const QVariant value = row.value(column.column);
    if (column.kind == Kind::Active)
        return activeWord(value);
    if (column.kind == Kind::Date)
        return value.isNull() || value.toString().isEmpty() ? QVariant() : QVariant(toDate(value));
    return value.toString();
}

int writeCsv(Database &database, const QString &path, const Progress &progress)
{
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    owner_only::createFile(part);
    QFile file(part);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Error(
            QStringLiteral("تعذر كتابة الملف %1\n%2").arg(isolated(path), file.errorString()));
    csv::Writer out(file);
    QStringList heading;
    for (const Exported &column : exportedColumns())
        heading << QStringLiteral("%1 (%2)").arg(column.exportName, column.caption);
    out.writeRow(heading);
    int cases = 0;
    try {
        cases = walkCases(
            database, progress, [&](const QSqlQuery &row, const QList<Exported> &columns) {
                QStringList cells;
                for (const Exported &column : columns) {
                    const QVariant value = valueOf(row, column);
                    cells << (column.kind == Kind::Date ? value.toDate().toString(Qt::ISODate)
                                                        : csv::textCell(value.toString()));
                }
                out.writeRow(cells);
            });
        if (!file.flush())
            throw Error(
                QStringLiteral("تعذر كتابة الملف %1\n%2").arg(isolated(path), file.errorString()));
    } catch (const Error &) {
        QFile::remove(part);
        throw;
    }
    file.close();
    QFile::remove(path);
    if (!QFile::rename(part, path)) {
        QFile::remove(part);
        throw Error(QStringLiteral("تعذر كتابة الملف %1").arg(isolated(path)));
    }
    return cases;
}

int writeWorkbook(Database &database, const QString &path, const Progress &progress)
{
    workbook::Writer book(path);
    QList<workbook::Column> titles;
    for (const Exported &column : exportedColumns())
        titles << workbook::Column{column.caption, column.exportName, workbookKind(column.kind),
                                   column.kind == Kind::Text ? 22.0 : 14.0};
    book.addSheet(QStringLiteral("الحالات"), titles);
    const int cases =
        walkCases(database, progress, [&](const QSqlQuery &row, const QList<Exported> &columns) {
            QList<QVariant> values;
            for (const Exported &column : columns)
                values << valueOf(row, column);
            book.writeRow(values);
        });
    book.commit();
    return cases;
}

} // namespace

QString fileName(Format format)
{
    return QStringLiteral("simat-cases-%1.%2")
        .arg(QDate::currentDate().toString(Qt::ISODate),
             format == Format::Workbook ? QLatin1String("xlsx") : QLatin1String("csv"));
}

int write(Database &database, Format format, const QString &path, const Progress &progress)
{
    return format == Format::Workbook ? writeWorkbook(database, path, progress)
                                      : writeCsv(database, path, progress);
}

} // namespace simat::case_export
