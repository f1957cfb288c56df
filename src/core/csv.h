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
    QString m_line;
};

// A cell of free text. A spreadsheet takes a cell that starts with = + - @ or a tab for a
// formula and would run it; such a text is written after an apostrophe, which the
// spreadsheet shows as text.
QString textCell(const QString &text);

// The two names of a column, as its first-row cell: "case_code (كود الحالة)".
QString heading(const char *english, const char *arabic);

// A file of rows as a spreadsheet program saves it, read back.
struct ReadFile {
    QString encoding; // "UTF-8", "UTF-16" or "windows-1256"
    QChar separator;  // comma, semicolon or tab
    QList<QStringList> rows;
};

// Decodes a file as UTF-8 (with or without a byte-order mark) or UTF-16 with its mark, and a
// file that is not valid UTF-8 as Windows-1256, the Arabic code page of older spreadsheets;
// the separator is the one of comma, semicolon and tab that the first row holds most of
// outside quotes. Rows without a cell of text are left out; quoted cells may hold separators,
// quotes doubled and line breaks.
ReadFile read(const QByteArray &bytes);

// The separator a first row uses, as read() chooses it.
QChar separatorOf(QStringView firstRow);

} // namespace simat::csv
