#pragma once

#include "core/data_source.h"
#include "core/error.h"

#include <QList>
#include <functional>

namespace simat {

// Values held in a list, one per row, as the rows a report walks; the bands' hooks read the
// current item itself, and `column` gives the few values a report asks by name (the value it
// groups by).
template <typename Item> class ListRows : public DataSource {
public:
    using Column = std::function<QVariant(const Item &item, const QString &column)>;
    explicit ListRows(Column column)
        : m_column(std::move(column))
    {}

    void setItems(QList<Item> items)
    {
        m_items = std::move(items);
        m_row = 0;
    }
    const QList<Item> &items() const { return m_items; }
    const Item &current() const { return m_items.at(m_row); }

    bool isOpen() const override { return true; }
    bool isEmpty() override { return m_items.isEmpty(); }
    int currentRow() const override { return m_row; }
    void first() override { m_row = 0; }
    bool next() override { return seek(m_row + 1); }
    bool atEnd() override { return !onRow(); }
    bool seek(int row) override
    {
        m_row = row;
        return onRow();
    }
    QVariant value(const QString &column) const override
    {
        return onRow() ? m_column(current(), column) : QVariant();
    }

private:
    bool onRow() const { return m_row >= 0 && m_row < m_items.size(); }

    Column m_column;
    QList<Item> m_items;
    int m_row = 0;
};

// For rows that a report asks nothing by name.
[[noreturn]] inline QVariant noColumn(const QString &column)
{
    throw Error(QStringLiteral("the rows have no column %1").arg(column));
}

} // namespace simat
