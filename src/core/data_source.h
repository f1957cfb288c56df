#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

namespace simat {

// Rows read one after another, their values by column name: what a report walks. The current
// row starts at the first; a row past the last is the end.
class DataSource {
public:
    virtual ~DataSource() = default;

    virtual bool isOpen() const = 0;
    virtual bool isEmpty() = 0;
    virtual int currentRow() const = 0;
    virtual void first() = 0;
    virtual bool next() = 0;
    virtual bool atEnd() = 0;
    // Makes `row` the current row; false when there is no such row.
    virtual bool seek(int row) = 0;
    // The value of a column at the current row, invalid past the last row; throws Error for a
    // column the rows do not have.
    virtual QVariant value(const QString &column) const = 0;

    int intValue(const QString &column) const;
    double realValue(const QString &column) const;
    QString textValue(const QString &column) const;
    QDate dateValue(const QString &column) const;
};

// The number of rows of an open source, 0 for none or a closed one; the source is left at its
// first row.
int rowCount(DataSource *rows);

// Reads a value that sources deliver differently (as text or typed): null reads as 0 or as an
// invalid date; a text that is no number throws Error.
int toInt(const QVariant &value);
double toReal(const QVariant &value);
QDate toDate(const QVariant &value);

} // namespace simat
