#pragma once

#include <QAbstractTableModel>
#include <QSqlQuery>
#include <QVector>
#include <functional>

namespace simat {

// The rows of a search, read from the engine a batch at a time as a grid scrolls and kept once
// read, so that a search over a large table holds only what has been shown.
class StreamedRows : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    static constexpr int batchSize = 256;

    // Reads from an executed forward-only query. When nextBatch is given, each query yields at
    // most one batch and nextBatch runs the query of the following one (a server cursor);
    // stop ends the reading early or at the end.
    void start(QSqlQuery &&first, std::function<QSqlQuery()> nextBatch = {},
               std::function<void()> stop = {});
    void clear();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool canFetchMore(const QModelIndex &parent = {}) const override;
    void fetchMore(const QModelIndex &parent = {}) override;

private:
    QVector<QVector<QVariant>> readBatch();
    void finish();

    QSqlQuery m_query;
    std::function<QSqlQuery()> m_nextBatch;
    std::function<void()> m_stop;
    QVector<QVector<QVariant>> m_rows;
    int m_columns = 0;
    int m_readFromQuery = 0;
    bool m_atEnd = true;
};

} // namespace simat
