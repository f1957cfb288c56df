#pragma once

#include <QIODevice>
#include <QString>
#include <QStringList>

namespace simat::csv {

// Writes comma-separated rows as spreadsheet programs read them: UTF-8 with a byte-order mark
// (without it they take Arabic for another code page), CRLF between rows, and a cell quoted
// when it holds a comma, a quote, a line break or blanks at its ends.
class Writer {
public:
    // Starts the file with the byte-order mark.
    explicit Writer(QIODevice &device);

    void writeRow(const QStringList &cells);

private:
    QIODevice &m_device;
};

// A cell of free text. A spreadsheet takes a cell that starts with = + - @ or a tab for a
// formula and would run it; such a text is written after an apostrophe, which the
// spreadsheet shows as text.
QString textCell(const QString &text);

// The two names of a column, as its first-row cell: "case_code (كود الحالة)".
QString heading(const char *english, const char *arabic);

} // namespace simat::csv
