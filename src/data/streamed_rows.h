#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QVector>
#include <functional>

namespace simat {

// The rows of a search over a possibly large table, for a grid: only the pages of rows near
// what the grid shows are held, read again from the engine when the grid comes back to them.
// The whole result is counted a slice at a time while the program is idle, so that the grid's
// scroll bar soon spans every row and its end can be reached without reading what lies before.
class StreamedRows : public QAbstractTableModel {
    Q_OBJECT
public:
    using Row = QVector<QVariant>;

    static constexpr int pageSize = 256;
    // Pages held at most: the window around the view, whatever the size of the result.
    static constexpr int keptPages = 8;

    // Where the rows come from.
    struct Source {
        // The rows from `offset` on, `count` of them at most, in the result's order.
        std::function<QVector<Row>(int offset, int count)> page;
        // Counts on through the whole result, `most` rows at most; returns how many it passed
        // (fewer than asked: the result ends there).
        std::function<int(int most)> count;
        // Ends the counting before or at the end of the result.
        std::function<void()> stop;
        // Whether the engine is busy with a read that lets the program idle meanwhile (a read
        // under a progress window): the counting waits for its end.
        std::function<bool()> busy;
    };

    explicit StreamedRows(QObject *parent = nullptr);
    ~StreamedRows() override;

    void start(int columns, QVector<Row> firstPage, Source source);
    void clear();

    // The rows held in memory now.
    int heldRowCount() const;
    // Counts the rest of the result at once, when a caller needs the whole count now.
    void countToTheEnd();
    // Ends the counting where it is: the rows counted so far stay.
    void stopCounting() { finishCounting(); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool canFetchMore(const QModelIndex &parent = {}) const override;
    void fetchMore(const QModelIndex &parent = {}) override;

private:
    struct Page {
        int number;
        QVector<Row> rows;
    };

    const Row *rowAt(int row) const;
    bool isHeld(int number) const;
    const Page *pageNumbered(int number) const;
    void countSlice(int budgetMs);
    void scheduleCounting(int afterMs = 0);
    void finishCounting();

    Source m_source;
    int m_columns = 0;
    int m_rows = 0;
    // Rows of the whole result passed by the counting so far.
    int m_counted = 0;
    bool m_counting = false;
    // Which start a scheduled slice of counting belongs to.
    int m_run = 0;
    // Most recently used first.
    mutable QList<Page> m_pages;
};

} // namespace simat
