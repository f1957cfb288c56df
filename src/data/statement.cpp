#include "statement.h"

#include "core/bidi.h"
#include "core/error.h"
#include "database.h"
#include "dialect.h"
#include "libpq.h"
#include "watched_reads.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

#include <memory>
#include <optional>

namespace simat {

namespace {

// A bidi embedding, override or isolate (U+202A to U+202E, U+2066 to U+2069) would turn the
// letters after it around wherever the text is shown; the marks U+200E and U+200F stay.
bool isBidiControl(QChar c)
{
    return (c >= QChar(0x202A) && c <= QChar(0x202E)) || (c >= QChar(0x2066) && c <= QChar(0x2069));
}

// NUL and the other control characters never reach a table (a NUL would even cut the
// statement text that the PostgreSQL driver sends); line breaks and tabs stay.
bool isDropped(QChar c)
{
    const bool layout = c == u'\n' || c == u'\r' || c == u'\t';
    return (!layout && c.category() == QChar::Other_Control) || isBidiControl(c);
}

// What a text field stores: without the characters isDropped() names, and with U+FFFD for a
// lone surrogate or a noncharacter, so that the text is whole UTF-8 and a lone surrogate never
// takes the letter after it along.
QString storableText(const QString &text)
{
    QString stored;
    stored.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, text.at(i + 1));
            if (QChar::isNonCharacter(code))
                stored += QChar(QChar::ReplacementCharacter);
            else
                stored.append(c).append(text.at(i + 1));
            ++i;
        } else if (c.isSurrogate() || c.isNonCharacter()) {
            stored += QChar(QChar::ReplacementCharacter);
        } else if (!isDropped(c)) {
            stored += c;
        }
    }
    return stored;
}

QVariant typed(const QVariant &value, ParamType type, const QString &param)
{
    if (value.isNull())
        return QVariant();
    switch (type) {
    case ParamType::Integer: {
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        if (!ok)
            throw Error(QStringLiteral("القيمة \"%1\" ليست رقماً صحيحاً (%2)")
                            .arg(isolated(value.toString()), isolated(param)));
        return number;
    }
    case ParamType::Date: {
        const QDate date = toDate(value);
        if (!date.isValid())
            throw Error(QStringLiteral("القيمة \"%1\" ليست تاريخاً صحيحاً (%2)")
                            .arg(isolated(value.toString()), isolated(param)));
        return date;
    }
    case ParamType::Text:
    case ParamType::Secret: {
        // An empty text is a text, never null: '%' + '' + '%' matches every name.
        const QString text = storableText(value.toString());
        return text.isNull() ? QString("") : text;
    }
    }
    return value;
}

} // namespace

QStringList uniqueColumnNames(const QSqlRecord &record)
{
    QStringList names;
    QHash<QString, int> seen;
    for (int i = 0; i < record.count(); ++i) {
        const QString name = record.fieldName(i).toLower();
        const int times = seen.value(name);
        seen.insert(name, times + 1);
        names << (times == 0 ? name : QStringLiteral("%1_%2").arg(name).arg(times));
    }
    return names;
}

Statement::Statement(Database &database, const QString &name, const QStringList &lines,
                     QObject *parent)
    : QObject(parent)
    , m_database(database)
    , m_lines(lines)
{
    setObjectName(name);
    m_database.attach(this);
}

Statement::~Statement()
{
    close();
    m_database.detach(this);
}

QString Statement::line(int index) const
{
    return m_lines.value(index);
}

void Statement::setLine(int index, const QString &text)
{
    while (m_lines.size() <= index)
        m_lines << QString();
    m_lines[index] = text;
}

void Statement::setLines(const QStringList &lines)
{
    m_lines = lines;
}

QString Statement::identifier(const QString &name)
{
    static const QRegularExpression plain(QStringLiteral("\\A[A-Za-z_][A-Za-z0-9_]*\\z"));
    if (!plain.match(name).hasMatch())
        throw Error(QStringLiteral("اسم غير صالح في جملة الاستعلام: \"%1\"").arg(isolated(name)));
    return name;
}

QString Statement::textLiteral(const QString &text)
{
    QString inner = text;
    return QLatin1Char('\'') + inner.replace(QLatin1Char('\''), QLatin1String("''")) +
           QLatin1Char('\'');
}

void Statement::declare(const QString &param, ParamType type)
{
    m_types.insert(param, type);
}

void Statement::setParam(const QString &param, const QVariant &value)
{
    const auto type = m_types.constFind(param);
    if (type == m_types.constEnd())
        throw Error(QStringLiteral("المعامل %1 غير معرف في %2")
                        .arg(isolated(param), isolated(objectName())));
    m_values.insert(param, typed(value, *type, param));
}

QVariant Statement::boundValue(const QString &name) const
{
    const QVariant value = m_values.value(name);
    if (!value.isNull())
        return value;
    const ParamType type = m_types.value(name, ParamType::Text);
    return QVariant(QMetaType(type == ParamType::Integer ? QMetaType::LongLong
                              : type == ParamType::Date  ? QMetaType::QDate
                                                         : QMetaType::QString));
}

QSqlQuery Statement::executed(const QString &rewritten, const QSqlDatabase &connection,
                              bool forwardOnly) const
{
    QSqlQuery query(connection);
    query.setForwardOnly(forwardOnly);
    if (!query.prepare(rewritten))
        m_database.readFailed(query.lastError().text());
    for (const QString &name : dialect::placeholders(rewritten))
        query.bindValue(QLatin1Char(':') + name, boundValue(name));
    if (!query.exec())
        m_database.readFailed(query.lastError().text());
    return query;
}

// On PostgreSQL each prepare is a round trip, and the first runs of a prepared statement are
// planned afresh: a statement run again with the same text runs its kept query, whose plan the
// server keeps once it has seen that the values do not change it. A result that the model
// still shows is not run over.
QSqlQuery Statement::executedAgain(const QString &rewritten)
{
    if (m_database.engine() != DatabaseAlias::Engine::PostgreSQL || m_open)
        return executed(rewritten, m_database.connection(), false);
    if (rewritten != m_keptText) {
        forgetPrepared();
        QSqlQuery query(m_database.connection());
        if (!query.prepare(rewritten))
            m_database.readFailed(query.lastError().text());
        m_kept = std::move(query);
        m_keptText = rewritten;
    }
    for (const QString &name : dialect::placeholders(rewritten))
        m_kept.bindValue(QLatin1Char(':') + name, boundValue(name));
    if (!m_kept.exec())
        m_database.readFailed(m_kept.lastError().text());
    // The copy shares the kept query's result, which the model reads until it is closed.
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    return m_kept;
    QT_WARNING_POP
}

void Statement::forgetPrepared()
{
    m_kept = QSqlQuery();
    m_keptText.clear();
}

namespace {

QVector<StreamedRows::Row> rowsOf(QSqlQuery &query, const Database &database)
{
    QVector<StreamedRows::Row> rows;
    const int columns = query.record().count();
    while (query.next()) {
        StreamedRows::Row row(columns);
        for (int column = 0; column < columns; ++column)
            row[column] = query.value(column);
        rows << row;
    }
    if (query.lastError().isValid())
        database.readFailed(query.lastError().text());
    return rows;
}

QString pageOf(const QString &text, int offset, int count)
{
    return QStringLiteral("%1\nlimit %2 offset %3").arg(text).arg(count).arg(offset);
}

QString counted(const QString &text)
{
    return QStringLiteral("select 1 from (%1) as counted").arg(text);
}

} // namespace

// A streamed search reads its pages on the data module's connection for such reads, each
// page a query of its own, and counts its whole result there as the program idles: on
// SQLite by stepping through the rows, on PostgreSQL, which hands a query's rows over all at
// once, by moving a cursor over them in a read-only transaction of its own that ends with the
// count. The cursor's values are written into its text with the driver's own quoting, since a
// cursor takes no parameters.
//
// The rows on show stay until the first page of the new ones has been read, so that a read
// that is stopped on its way leaves them; their counting ends first, since on SQLite the new
// read would see the register as it stood when the counting began.
void Statement::openStreamed(const QString &rewritten)
{
    QSqlDatabase rows = m_database.streamingConnection();
    m_stream.stopCounting();
    QSqlQuery first = executed(pageOf(rewritten, 0, StreamedRows::pageSize), rows, true);
    const QSqlRecord record = first.record();
    QVector<StreamedRows::Row> firstRows = rowsOf(first, m_database);
    close();
    setColumns(record);
    StreamedRows::Source source;
    source.page = [this, rewritten, rows](int offset, int count) {
        QSqlQuery query = executed(pageOf(rewritten, offset, count), rows, true);
        return rowsOf(query, m_database);
    };
    if (m_database.engine() == DatabaseAlias::Engine::PostgreSQL)
        countWithCursor(source, rows, rewritten);
    else
        countByStepping(source, rows, rewritten);
    source.busy = [this] { return m_database.readUnderWay(); };
    m_stream.start(int(record.count()), std::move(firstRows), std::move(source));
}

void Statement::countByStepping(StreamedRows::Source &source, const QSqlDatabase &rows,
                                const QString &rewritten) const
{
    auto stepping = std::make_shared<std::optional<QSqlQuery>>();
    source.count = [this, stepping, rows, rewritten](int most) {
        if (!*stepping)
            *stepping = executed(counted(rewritten), rows, true);
        int passed = 0;
        while (passed < most && (*stepping)->next())
            ++passed;
        if ((*stepping)->lastError().isValid())
            m_database.readFailed((*stepping)->lastError().text());
        return passed;
    };
    source.stop = [stepping] { stepping->reset(); };
}

QString Statement::withValuesWritten(const QString &rewritten, const QSqlDatabase &connection) const
{
    const QSqlDriver *driver = connection.driver();
    return dialect::replacePlaceholders(rewritten, [&](const QString &name) {
        const QVariant value = boundValue(name);
        QSqlField field(name, value.metaType());
        field.setValue(value);
        return driver->formatValue(field);
    });
}

void Statement::countWithCursor(StreamedRows::Source &source, const QSqlDatabase &rows,
                                const QString &rewritten) const
{
    const auto run = [rows](const QString &sql) {
        QSqlQuery query(rows);
        query.setForwardOnly(true);
        if (!query.exec(sql))
            throw Error(query.lastError().text());
        return query;
    };
    const QString text = withValuesWritten(rewritten, rows);
    auto declared = std::make_shared<bool>(false);
    source.count = [run, declared, text](int most) {
        if (!*declared) {
            run(QStringLiteral("begin read only"));
            *declared = true;
            run(QStringLiteral("declare simat_count no scroll cursor for ") + counted(text));
        }
        return run(QStringLiteral("move forward %1 in simat_count").arg(most)).numRowsAffected();
    };
    source.stop = [rows, declared] {
        if (std::exchange(*declared, false))
            QSqlQuery(rows).exec(QStringLiteral("rollback"));
    };
}

void Statement::setColumns(const QSqlRecord &record)
{
    m_columns = uniqueColumnNames(record);
    m_columnIndex.clear();
    for (int i = 0; i < m_columns.size(); ++i)
        m_columnIndex.insert(m_columns.at(i), i);
}

void Statement::open()
{
    const QString rewritten = dialect::rewrite(text());
    if (m_streamed) {
        openStreamed(rewritten);
    } else {
        close();
        QSqlQuery query = executedAgain(rewritten);
        setColumns(query.record());
        m_model.setQuery(std::move(query));
        if (m_model.lastError().isValid())
            m_database.readFailed(m_model.lastError().text());
    }
    m_open = true;
    m_row = 0;
    emit reopened();
}

void Statement::close()
{
    if (!m_open)
        return;
    m_model.clear();
    m_stream.clear();
    m_columns.clear();
    m_columnIndex.clear();
    m_open = false;
    m_row = 0;
}

int Statement::exec()
{
    const QString rewritten = dialect::rewrite(text());
    if (bindsSecret(rewritten))
        return executedWithValuesApart(rewritten);
    return executedAgain(rewritten).numRowsAffected();
}

// Qt's PostgreSQL driver runs a prepared statement by writing its values into the text of an
// EXECUTE, which the server's log keeps.
bool Statement::bindsSecret(const QString &rewritten) const
{
    if (m_database.engine() != DatabaseAlias::Engine::PostgreSQL)
        return false;
    const QStringList names = dialect::placeholders(rewritten);
    return std::any_of(names.begin(), names.end(), [this](const QString &name) {
        return m_types.value(name) == ParamType::Secret;
    });
}

int Statement::executedWithValuesApart(const QString &rewritten)
{
    QStringList names;
    const QString numbered = dialect::replacePlaceholders(rewritten, [&names](const QString &name) {
        if (!names.contains(name))
            names << name;
        return QStringLiteral("$%1").arg(names.indexOf(name) + 1);
    });
    QList<QByteArray> values;
    for (const QString &name : names) {
        const QVariant value = boundValue(name);
        values << (value.isNull() ? QByteArray()
                   : value.metaType().id() == QMetaType::QDate
                       ? value.toDate().toString(Qt::ISODate).toUtf8()
                       : value.toString().toUtf8());
    }
    try {
        return libpq::executeWithValues(m_database.connection(), numbered.toUtf8(), values);
    } catch (const Error &failure) {
        m_database.readFailed(failure.text());
    }
    return 0;
}

void Statement::readEach(const std::function<void(const QSqlQuery &row)> &row)
{
    close();
    const QSqlDatabase connection = m_database.connection();
    const QString rewritten = dialect::rewrite(text());
    QSqlQuery query(connection);
    if (m_database.engine() == DatabaseAlias::Engine::PostgreSQL) {
        query.setForwardOnly(true);
        if (!query.exec(withValuesWritten(rewritten, connection)))
            m_database.readFailed(query.lastError().text());
    } else {
        query = executed(rewritten, connection, true);
    }
    try {
        while (query.next()) {
            if (WatchedReads *watch = m_database.readWatch())
                watch->betweenRows();
            row(query);
        }
    } catch (...) {
        // Stopped, or a reader that has what it wanted: the driver would otherwise take in
        // every row that the server has yet to send before it let the query go.
        libpq::cancelStatement(connection);
        throw;
    }
    if (query.lastError().isValid())
        m_database.readFailed(query.lastError().text());
}

void Statement::fetchAll()
{
    while (rows()->canFetchMore({}))
        rows()->fetchMore({});
}

int Statement::rowCount()
{
    if (!m_open)
        return 0;
    fetchAll();
    return rows()->rowCount();
}

bool Statement::isEmpty()
{
    if (!m_open)
        return true;
    while (rows()->rowCount() == 0 && rows()->canFetchMore({}))
        rows()->fetchMore({});
    return rows()->rowCount() == 0;
}

bool Statement::seek(int row)
{
    while (row >= rows()->rowCount() && rows()->canFetchMore({}))
        rows()->fetchMore({});
    m_row = row;
    return row >= 0 && row < rows()->rowCount();
}

bool Statement::next()
{
    return seek(m_row + 1);
}

bool Statement::atEnd()
{
    return !seek(m_row);
}

int Statement::columnIndex(const QString &column) const
{
    const auto found = m_columnIndex.constFind(column.toLower());
    if (found == m_columnIndex.constEnd())
        throw Error(QStringLiteral("العمود %1 غير موجود في نتيجة %2")
                        .arg(isolated(column), isolated(objectName())));
    return *found;
}

bool Statement::hasColumn(const QString &column) const
{
    return m_columnIndex.contains(column.toLower());
}

QVariant Statement::value(const QString &column) const
{
    const int index = columnIndex(column);
    if (m_row < 0 || m_row >= rows()->rowCount())
        return QVariant();
    return rows()->data(rows()->index(m_row, index), Qt::DisplayRole);
}

} // namespace simat
