#pragma once

#include <QDate>
#include <QHash>
#include <QObject>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>
#include <functional>

#include "core/data_source.h"
#include "streamed_rows.h"

namespace simat {

class Database;

// A Secret is a text, such as a password's hash, that must never travel inside a statement's
// text: on PostgreSQL a statement that binds one sends its values apart from its text.
enum class ParamType { Integer, Text, Date, Secret };

// A named statement of the data module: its text as numbered lines that screens replace by
// index, typed named parameters, and, once open, its rows read by column name. A second and a
// third column of the same name read as name_1 and name_2. Grids bind to model(), so reopening
// the statement changes every grid bound to it.
class Statement : public QObject, public DataSource {
    Q_OBJECT
public:
    Statement(Database &database, const QString &name, const QStringList &lines,
              QObject *parent = nullptr);
    ~Statement() override;

    // Text lines, indexed from 0.
    int lineCount() const { return int(m_lines.size()); }
    QString line(int index) const;
    void setLine(int index, const QString &text);
    void setLines(const QStringList &lines);
    QString text() const { return m_lines.join(QLatin1Char('\n')); }

    // A statement whose rows feed a grid over a possibly large table: its rows come from the
    // engine as the grid scrolls, on the data module's connection for such reads, a page at a
    // time. Its text ends with an order by that gives every row its place, and with no limit:
    // each page has its own.
    void setStreamed(bool streamed) { m_streamed = streamed; }

    // Checks that a table or column name put into a line is a plain identifier; throws Error.
    static QString identifier(const QString &name);
    // A text as an SQL string literal, its quotes doubled: 'it''s'.
    static QString textLiteral(const QString &text);

    void declare(const QString &param, ParamType type);
    void setParam(const QString &param, const QVariant &value);
    QVariant param(const QString &param) const { return m_values.value(param); }

    // Reading: open (closing first), rows, values of the current row by column name.
    void open();
    void close();
    bool isOpen() const override { return m_open; }
    // Writing: runs the text once; returns the number of rows it touched.
    int exec();
    // Runs the text and hands each row to `row` as the engine delivers it, keeping none: for a
    // result too large to hold. The statement stays closed. On PostgreSQL the values are written
    // into the text with the driver's own quoting, since the driver hands over the rows of a
    // statement without parameters one by one as the server sends them, and those of a
    // prepared one only once the server has sent them all.
    void readEach(const std::function<void(const QSqlQuery &row)> &row);

    int rowCount();
    bool isEmpty() override;
    int currentRow() const override { return m_row; }
    void first() override { m_row = 0; }
    bool next() override;
    bool atEnd() override;
    bool seek(int row) override;

    QStringList columnNames() const { return m_columns; }
    bool hasColumn(const QString &column) const;
    QVariant value(const QString &column) const override;

    QAbstractItemModel *model() { return rows(); }

    // Lets go of the query kept prepared, before its connection closes.
    void forgetPrepared();

signals:
    void reopened();

private:
    QVariant boundValue(const QString &name) const;
    QSqlQuery executed(const QString &rewritten, const QSqlDatabase &connection,
                       bool forwardOnly) const;
    QSqlQuery executedAgain(const QString &rewritten);
    bool bindsSecret(const QString &rewritten) const;
    int executedWithValuesApart(const QString &rewritten);
    QString withValuesWritten(const QString &rewritten, const QSqlDatabase &connection) const;
    void openStreamed(const QString &rewritten);
    void countByStepping(StreamedRows::Source &source, const QSqlDatabase &rows,
                         const QString &rewritten) const;
    void countWithCursor(StreamedRows::Source &source, const QSqlDatabase &rows,
                         const QString &rewritten) const;
    void setColumns(const QSqlRecord &record);
    QAbstractItemModel *rows()
    {
        return m_streamed ? static_cast<QAbstractItemModel *>(&m_stream) : &m_model;
    }
    const QAbstractItemModel *rows() const
    {
        return m_streamed ? static_cast<const QAbstractItemModel *>(&m_stream) : &m_model;
    }
    void fetchAll();
    int columnIndex(const QString &column) const;

    Database &m_database;
    QStringList m_lines;
    QHash<QString, ParamType> m_types;
    QHash<QString, QVariant> m_values;
    QSqlQueryModel m_model;
    QSqlQuery m_kept;
    QString m_keptText;
    StreamedRows m_stream;
    bool m_streamed = false;
    QStringList m_columns;
    QHash<QString, int> m_columnIndex;
    bool m_open = false;
    int m_row = 0;
};

// Column names of a result, a second and third of the same name read as name_1 and name_2.
QStringList uniqueColumnNames(const QSqlRecord &record);

} // namespace simat
