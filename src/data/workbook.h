#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>

// Workbooks for analysts (.xlsx): sheets right to left, each under a title row that stays in
// view and carries the filter buttons, with cells of their own kind (dates, numbers, text).
namespace simat::workbook {

enum class Kind { Text, Integer, Number, Date };

struct Column {
    QString arabic;
    QString exportName;
    Kind kind;
    double width = 14;
};

// Written into a file of its own beside the path, readable by its owner alone, and given the
// path's name by commit(); a writer that goes without commit() leaves nothing. Throws Error
// with the reason in Arabic.
class Writer {
public:
    explicit Writer(const QString &path);
    ~Writer();
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    // A new sheet, which the rows written from now on fill; its title row shows each column's
    // Arabic title above its export name.
    void addSheet(const QString &name, const QList<Column> &columns);
    // A row of the sheet: each value as its column's kind; an empty value leaves its cell empty.
    void writeRow(const QList<QVariant> &values);
    void commit();

private:
    struct Book;
    void finishSheet();
    std::unique_ptr<Book> m_book;
};

} // namespace simat::workbook
