#pragma once

#include <QAbstractProxyModel>
#include <QStringList>
#include <QVector>
#include <functional>

class QAbstractItemView;

class QTableView;
class QSqlQueryModel;

namespace simat {

class Statement;

struct GridColumn {
    QString field;
    QString title;
    int width = 80;
};

// A data grid's view of a statement's rows: only the named fields, in their order, under the
// grid's own titles. Rows still come in as the grid scrolls, and reopening the statement
// refreshes every grid bound to it.
class PickedColumnsModel : public QAbstractProxyModel {
    Q_OBJECT
public:
    PickedColumnsModel(Statement *statement, QList<GridColumn> columns, QObject *parent);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &) const override { return {}; }
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    void findSourceColumns();

    Statement *m_statement;
    QList<GridColumn> m_columns;
    QVector<int> m_sourceColumns;
};

// Makes Enter in a grid run its choose action, as a double-click does, without the key
// reaching the grid.
void chooseOnEnter(QAbstractItemView *grid, std::function<void()> choose);

// Binds a grid to a statement with the given columns and widths.
void bindGrid(QTableView *grid, Statement *statement, const QList<GridColumn> &columns);

} // namespace simat
