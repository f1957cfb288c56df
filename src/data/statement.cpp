#include "statement.h"

#include "database.h"
#include "dialect.h"
#include "error.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace simat {

namespace {

QVariant typed(const QVariant &value, ParamType type, const QString &param)
{
    if (value.isNull())
        return QVariant();
    switch (type) {
    case ParamType::Integer: {
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        if (!ok)
            throw Error(
                QStringLiteral("القيمة \"%1\" ليست رقماً صحيحاً (%2)").arg(value.toString(), param));
        return number;
    }
    case ParamType::Date: {
        const QDate date = toDate(value);
        if (!date.isValid())
            throw Error(QStringLiteral("القيمة \"%1\" ليست تاريخاً صحيحاً (%2)")
                            .arg(value.toString(), param));
        return date;
    }
    case ParamType::Text: {
        // An empty text is a text, never null: '%' + '' + '%' matches every name.
        const QString text = value.toString();
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

int toInt(const QVariant &value)
{
    if (value.isNull())
        return 0;
    bool ok = false;
    const int number = value.toInt(&ok);
    if (ok)
        return number;
    const double real = value.toDouble(&ok);
    if (ok)
        return int(real);
    throw Error(QStringLiteral("القيمة \"%1\" ليست رقماً صحيحاً").arg(value.toString()));
}

double toReal(const QVariant &value)
{
    return value.isNull() ? 0.0 : value.toDouble();
}

QDate toDate(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate();
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime().date();
    return QDate::fromString(value.toString().left(10), Qt::ISODate);
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
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!plain.match(name).hasMatch())
        throw Error(QStringLiteral("اسم غير صالح في جملة الاستعلام: \"%1\"").arg(name));
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
        throw Error(QStringLiteral("المعامل %1 غير معرف في %2").arg(param, objectName()));
    m_values.insert(param, typed(value, *type, param));
}

QSqlQuery Statement::prepared(const QString &rewritten) const
{
    QSqlQuery query(m_database.connection());
    if (!query.prepare(rewritten))
        throw Error(query.lastError().text());
    for (const QString &name : dialect::placeholders(rewritten)) {
        const ParamType type = m_types.value(name, ParamType::Text);
        const QVariant value = m_values.value(name);
        if (value.isNull()) {
            const QMetaType nullType(type == ParamType::Integer ? QMetaType::LongLong
                                     : type == ParamType::Date  ? QMetaType::QDate
                                                                : QMetaType::QString);
            query.bindValue(QLatin1Char(':') + name, QVariant(nullType));
        } else {
            query.bindValue(QLatin1Char(':') + name, value);
        }
    }
    return query;
}

void Statement::open()
{
    close();
    QSqlQuery query = prepared(dialect::rewrite(text()));
    if (!query.exec())
        throw Error(query.lastError().text());
    m_model.setQuery(std::move(query));
    if (m_model.lastError().isValid())
        throw Error(m_model.lastError().text());
    m_columns = uniqueColumnNames(m_model.record());
    m_columnIndex.clear();
    for (int i = 0; i < m_columns.size(); ++i)
        m_columnIndex.insert(m_columns.at(i), i);
    m_open = true;
    m_row = 0;
    emit reopened();
}

void Statement::close()
{
    if (!m_open)
        return;
    m_model.clear();
    m_columns.clear();
    m_columnIndex.clear();
    m_open = false;
    m_row = 0;
}

int Statement::exec()
{
    QSqlQuery query = prepared(dialect::rewrite(text()));
    if (!query.exec())
        throw Error(query.lastError().text());
    return query.numRowsAffected();
}

void Statement::fetchAll()
{
    while (m_model.canFetchMore())
        m_model.fetchMore();
}

int Statement::rowCount()
{
    if (!m_open)
        return 0;
    fetchAll();
    return m_model.rowCount();
}

bool Statement::isEmpty()
{
    if (!m_open)
        return true;
    while (m_model.rowCount() == 0 && m_model.canFetchMore())
        m_model.fetchMore();
    return m_model.rowCount() == 0;
}

bool Statement::seek(int row)
{
    while (row >= m_model.rowCount() && m_model.canFetchMore())
        m_model.fetchMore();
    m_row = row;
    return row >= 0 && row < m_model.rowCount();
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
        throw Error(QStringLiteral("العمود %1 غير موجود في نتيجة %2").arg(column, objectName()));
    return *found;
}

bool Statement::hasColumn(const QString &column) const
{
    return m_columnIndex.contains(column.toLower());
}

QVariant Statement::value(const QString &column) const
{
    const int index = columnIndex(column);
    if (m_row < 0 || m_row >= m_model.rowCount())
        return QVariant();
    return m_model.data(m_model.index(m_row, index));
}

int Statement::intValue(const QString &column) const
{
    return toInt(value(column));
}

double Statement::realValue(const QString &column) const
{
    return toReal(value(column));
}

QString Statement::textValue(const QString &column) const
{
    return value(column).toString();
}

QDate Statement::dateValue(const QString &column) const
{
    return toDate(value(column));
}

} // namespace simat
