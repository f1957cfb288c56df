#include "grid_model.h"

#include <QDate>
#include <QRegularExpression>

#include "action.h"

#include "data/statement.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>

namespace simat {

PickedColumnsModel::PickedColumnsModel(Statement *statement, QList<GridColumn> columns,
                                       QObject *parent)
    : QAbstractProxyModel(parent)
    , m_columns(std::move(columns))
{
    QAbstractItemModel *source = statement->model();
    m_statement = statement;
    setSourceModel(source);
    findSourceColumns();
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this,
            &PickedColumnsModel::beginResetModel);
    connect(source, &QAbstractItemModel::modelReset, this, [this] {
        findSourceColumns();
        endResetModel();
    });
    connect(source, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex &, int first, int last) { beginInsertRows({}, first, last); });
    connect(source, &QAbstractItemModel::rowsInserted, this, &PickedColumnsModel::endInsertRows);
    connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { beginRemoveRows({}, first, last); });
    connect(source, &QAbstractItemModel::rowsRemoved, this, &PickedColumnsModel::endRemoveRows);
    connect(source, &QAbstractItemModel::dataChanged, this,
            [this] { emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1)); });
}

void PickedColumnsModel::findSourceColumns()
{
    const QStringList names = m_statement->columnNames();
    m_sourceColumns.clear();
    for (const GridColumn &column : m_columns)
        m_sourceColumns << int(names.indexOf(column.field.toLower()));
}

QModelIndex PickedColumnsModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || column >= m_columns.size())
        return {};
    return createIndex(row, column);
}

int PickedColumnsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : sourceModel()->rowCount();
}

int PickedColumnsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QModelIndex PickedColumnsModel::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!proxyIndex.isValid())
        return {};
    const int column = m_sourceColumns.value(proxyIndex.column(), -1);
    return column < 0 ? QModelIndex() : sourceModel()->index(proxyIndex.row(), column);
}

QModelIndex PickedColumnsModel::mapFromSource(const QModelIndex &sourceIndex) const
{
    const int column = int(m_sourceColumns.indexOf(sourceIndex.column()));
    return column < 0 ? QModelIndex() : index(sourceIndex.row(), column);
}

QVariant PickedColumnsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_columns.size())
        return m_columns.at(section).title;
    return QAbstractProxyModel::headerData(section, orientation, role);
}

namespace {

// Dates as the centre writes them, dd/MM/yyyy, whether the engine hands over a date or the
// text of one; any other value as it is.
QVariant shownDate(const QVariant &value)
{
    static const QRegularExpression isoDate(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}(T.*| .*)?$"));
    QDate date;
    if (value.typeId() == QMetaType::QDate || value.typeId() == QMetaType::QDateTime)
        date = value.toDate();
    else if (value.typeId() == QMetaType::QString && isoDate.match(value.toString()).hasMatch())
        date = QDate::fromString(value.toString().left(10), Qt::ISODate);
    return date.isValid() ? QVariant(date.toString(QStringLiteral("dd/MM/yyyy"))) : value;
}

} // namespace

QVariant PickedColumnsModel::data(const QModelIndex &index, int role) const
{
    const QModelIndex source = mapToSource(index);
    if (!source.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    const QVariant value = sourceModel()->data(source, role);
    return role == Qt::DisplayRole ? shownDate(value) : value;
}

bool PickedColumnsModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && sourceModel()->canFetchMore({});
}

void PickedColumnsModel::fetchMore(const QModelIndex &parent)
{
    if (!parent.isValid())
        sourceModel()->fetchMore({});
}

namespace {

class EnterChooses : public QObject {
public:
    EnterChooses(QObject *parent, std::function<void()> choose)
        : QObject(parent)
        , m_choose(std::move(choose))
    {}

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        runAction(qobject_cast<QWidget *>(parent()), m_choose);
        return true;
    }

private:
    std::function<void()> m_choose;
};

} // namespace

void chooseOnEnter(QAbstractItemView *grid, std::function<void()> choose)
{
    grid->installEventFilter(new EnterChooses(grid, std::move(choose)));
}

void bindGrid(QTableView *grid, Statement *statement, const QList<GridColumn> &columns)
{
    auto *model = new PickedColumnsModel(statement, columns, grid);
    grid->setModel(model);
    grid->horizontalHeader()->setMinimumSectionSize(0);
    const auto applyWidths = [grid, columns] {
        for (int i = 0; i < columns.size(); ++i)
            grid->setColumnWidth(i, columns.at(i).width);
    };
    applyWidths();
    // A reset of the rows gives the header its default widths back.
    QObject::connect(model, &QAbstractItemModel::modelReset, grid, applyWidths);
}

} // namespace simat
