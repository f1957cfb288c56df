#include "streamed_rows.h"

#include <QSqlRecord>

namespace simat {

void StreamedRows::start(QSqlQuery &&first, std::function<QSqlQuery()> nextBatch,
                         std::function<void()> stop)
{
    beginResetModel();
    m_query = std::move(first);
    m_nextBatch = std::move(nextBatch);
    m_stop = std::move(stop);
    m_columns = m_query.record().count();
    m_readFromQuery = 0;
    m_atEnd = false;
    m_rows = readBatch();
    endResetModel();
}

void StreamedRows::clear()
{
    beginResetModel();
    finish();
    m_rows.clear();
    m_columns = 0;
    endResetModel();
}

void StreamedRows::finish()
{
    if (m_atEnd)
        return;
    m_atEnd = true;
    m_query = QSqlQuery();
    if (m_stop)
        m_stop();
    m_stop = {};
    m_nextBatch = {};
}

QVector<QVector<QVariant>> StreamedRows::readBatch()
{
    QVector<QVector<QVariant>> batch;
    while (batch.size() < batchSize && !m_atEnd) {
        if (m_query.next()) {
            QVector<QVariant> row(m_columns);
            for (int column = 0; column < m_columns; ++column)
                row[column] = m_query.value(column);
            batch << row;
            ++m_readFromQuery;
        } else if (m_nextBatch && m_readFromQuery == batchSize) {
            m_query = m_nextBatch();
            m_readFromQuery = 0;
        } else {
            finish();
        }
    }
    return batch;
}

int StreamedRows::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int StreamedRows::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant StreamedRows::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_rows.at(index.row()).at(index.column());
}

bool StreamedRows::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_atEnd;
}

void StreamedRows::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || m_atEnd)
        return;
    const QVector<QVector<QVariant>> batch = readBatch();
    if (batch.isEmpty())
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + batch.size()) - 1);
    m_rows += batch;
    endInsertRows();
}

} // namespace simat
