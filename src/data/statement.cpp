#include "statement.h"

#include "core/bidi.h"
#include "core/error.h"
#include "database.h"
#include "dialect.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

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
    case ParamType::Text: {
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
        throw Error(query.lastError().text());
    for (const QString &name : dialect::placeholders(rewritten))
        query.bindValue(QLatin1Char(':') + name, boundValue(name));
    if (!query.exec())
        throw Error(query.lastError().text());
    return query;
}

// PostgreSQL hands a query's rows over all at once, so a streamed search runs there as a
// cursor on the connection kept for such reads, in a read-only transaction of its own that
// ends as soon as the rows are all read or the search is left. Its values are written into
// the text with the driver's own quoting, since a cursor takes no parameters.
void Statement::openStreamed(const QString &rewritten)
{
    QSqlDatabase rows = m_database.streamingConnection();
    if (m_database.engine() != DatabaseAlias::Engine::PostgreSQL) {
        QSqlQuery query = executed(rewritten, rows, true);
        setColumns(query.record());
        m_stream.start(std::move(query));
        return;
    }
    const QSqlDriver *driver = rows.driver();
    const QString text = dialect::replacePlaceholders(rewritten, [&](const QString &name) {
        const QVariant value = boundValue(name);
        QSqlField field(name, value.metaType());
        field.setValue(value);
        return driver->formatValue(field);
    });
    const auto run = [rows](const QString &sql) {
        QSqlQuery query(rows);
        query.setForwardOnly(true);
        if (!query.exec(sql))
            throw Error(query.lastError().text());
        return query;
    };
    const QString fetch =
        QStringLiteral("fetch forward %1 from simat_rows").arg(StreamedRows::batchSize);
    run(QStringLiteral("begin read only"));
    // The joins are taken in their written order: searching for a better one would cost more
    // than reading a screenful of rows.
    run(QStringLiteral("set local join_collapse_limit = 1"));
    try {
        run(QStringLiteral("declare simat_rows no scroll cursor for ") + text);
        QSqlQuery first = run(fetch);
        setColumns(first.record());
        m_stream.start(
            std::move(first), [run, fetch] { return run(fetch); },
            [rows] { QSqlQuery(rows).exec(QStringLiteral("rollback")); });
    } catch (const Error &) {
        QSqlQuery(rows).exec(QStringLiteral("rollback"));
        throw;
    }
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
    close();
    const QString rewritten = dialect::rewrite(text());
    if (m_streamed) {
        openStreamed(rewritten);
    } else {
        QSqlQuery query = executed(rewritten, m_database.connection(), false);
        setColumns(query.record());
        m_model.setQuery(std::move(query));
        if (m_model.lastError().isValid())
            throw Error(m_model.lastError().text());
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
    return executed(dialect::rewrite(text()), m_database.connection(), false).numRowsAffected();
}

void Statement::readEach(const std::function<void(const QSqlQuery &row)> &row)
{
    close();
    QSqlQuery query = executed(dialect::rewrite(text()), m_database.connection(), true);
    while (query.next())
        row(query);
    if (query.lastError().isValid())
        throw Error(query.lastError().text());
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
