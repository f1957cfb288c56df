#include "streamed_rows.h"

#include "core/error.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace simat {

namespace {

// Rows counted between two looks at the clock.
constexpr int countChunk = 4096;
// How long one slice of counting may hold the program while it is idle.
constexpr int idleSliceMs = 4;
// How long counting may go on when a caller asks for rows past those counted.
constexpr int askedSliceMs = 50;
// How long counting waits for the end of another read before it looks again.
constexpr int busyWaitMs = 50;

} // namespace

StreamedRows::StreamedRows(QObject *parent)
    : QAbstractTableModel(parent)
{}

StreamedRows::~StreamedRows()
{
    finishCounting();
}

void StreamedRows::start(int columns, QVector<Row> firstPage, Source source)
{
    beginResetModel();
    finishCounting();
    m_source = std::move(source);
    m_columns = columns;
    m_rows = int(firstPage.size());
    m_counted = 0;
    ++m_run;
    m_pages.clear();
    m_pages.append({0, std::move(firstPage)});
    m_counting = m_rows == pageSize;
    if (!m_counting && m_source.stop)
        m_source.stop();
    endResetModel();
    if (m_counting)
        scheduleCounting();
}

void StreamedRows::clear()
{
    beginResetModel();
    finishCounting();
    m_source = {};
    ++m_run;
    m_pages.clear();
    m_rows = 0;
    m_columns = 0;
    endResetModel();
}

void StreamedRows::finishCounting()
{
    if (!m_counting)
        return;
    m_counting = false;
    if (m_source.stop)
        m_source.stop();
}

void StreamedRows::scheduleCounting(int afterMs)
{
    QTimer::singleShot(afterMs, this, [this, run = m_run] {
        if (run != m_run || !m_counting)
            return;
        if (m_source.busy && m_source.busy()) {
            scheduleCounting(busyWaitMs);
            return;
        }
        countSlice(idleSliceMs);
        if (m_counting)
            scheduleCounting();
    });
}

void StreamedRows::countSlice(int budgetMs)
{
    QElapsedTimer clock;
    clock.start();
    bool atEnd = false;
    try {
        do {
            const int passed = m_source.count(countChunk);
            m_counted += passed;
            atEnd = passed < countChunk;
        } while (!atEnd && clock.elapsed() < budgetMs);
    } catch (const Error &) {
        // The rows counted so far stay; the rest of the result is left out.
        finishCounting();
        return;
    }
    if (m_counted > m_rows) {
        beginInsertRows({}, m_rows, m_counted - 1);
        m_rows = m_counted;
        endInsertRows();
    }
    if (!atEnd)
        return;
    finishCounting();
    // Rows deleted since the first page was read.
    if (m_counted < m_rows) {
        beginRemoveRows({}, m_counted, m_rows - 1);
        m_rows = m_counted;
        m_pages.clear();
        endRemoveRows();
    }
}

void StreamedRows::countToTheEnd()
{
    while (m_counting)
        countSlice(askedSliceMs);
}

int StreamedRows::heldRowCount() const
{
    int held = 0;
    for (const Page &page : m_pages)
        held += int(page.rows.size());
    return held;
}

bool StreamedRows::isHeld(int number) const
{
    return std::any_of(m_pages.begin(), m_pages.end(),
                       [number](const Page &page) { return page.number == number; });
}

const StreamedRows::Page *StreamedRows::pageNumbered(int number) const
{
    for (qsizetype i = 0; i < m_pages.size(); ++i) {
        if (m_pages.at(i).number != number)
            continue;
        if (i > 0)
            m_pages.move(i, 0);
        return &m_pages.first();
    }
    QVector<Row> rows;
    try {
        rows = m_source.page(number * pageSize, pageSize);
    } catch (const Error &) {
        // Shown empty; the next look reads the page again.
        return nullptr;
    }
    m_pages.prepend({number, std::move(rows)});
    while (m_pages.size() > keptPages)
        m_pages.removeLast();
    return &m_pages.first();
}

const StreamedRows::Row *StreamedRows::rowAt(int row) const
{
    if (row < 0 || row >= m_rows || !m_source.page)
        return nullptr;
    // Read at the next look, once the read under way has gone on.
    if (m_source.busy && m_source.busy() && !isHeld(row / pageSize))
        return nullptr;
    const Page *page = pageNumbered(row / pageSize);
    const int inPage = row % pageSize;
    return page && inPage < page->rows.size() ? &page->rows.at(inPage) : nullptr;
}

int StreamedRows::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int StreamedRows::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant StreamedRows::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const Row *row = rowAt(index.row());
    return row ? row->value(index.column()) : QVariant();
}

bool StreamedRows::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_counting;
}

void StreamedRows::fetchMore(const QModelIndex &parent)
{
    if (!parent.isValid() && m_counting)
        countSlice(askedSliceMs);
}

} // namespace simat
