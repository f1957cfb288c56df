#include "csv.h"

#include <QStringDecoder>
#include <algorithm>
#include <optional>
#include <utility>

namespace simat::csv {

namespace {

bool needsQuotes(const QString &cell)
{
    if (cell.isEmpty())
        return false;
    if (cell.front().isSpace() || cell.back().isSpace())
        return true;
    return std::any_of(cell.begin(), cell.end(),
                       [](QChar c) { return c == u',' || c == u'"' || c == u'\n' || c == u'\r'; });
}

QString quoted(const QString &cell)
{
    QString doubled = cell;
    doubled.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

} // namespace

Writer::Writer(QIODevice &device)
    : m_device(device)
{
    m_device.write("\xEF\xBB\xBF");
}

void Writer::writeRow(const QStringList &cells)
{
    // The line of the row before keeps its room for this one.
    m_line.resize(0);
    for (qsizetype at = 0; at < cells.size(); ++at) {
        if (at > 0)
            m_line += QLatin1Char(',');
        const QString &cell = cells.at(at);
        m_line += needsQuotes(cell) ? quoted(cell) : cell;
    }
    m_line += QLatin1String("\r\n");
    m_device.write(m_line.toUtf8());
}

QString textCell(const QString &text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && formulaStarts.contains(text.front()))
        return QLatin1Char('\'') + text;
    return text;
}

namespace {

QString decoded(const QByteArray &bytes, QString &encoding)
{
    if (const std::optional<QStringConverter::Encoding> marked =
            QStringConverter::encodingForData(bytes);
        marked && *marked != QStringConverter::Utf8) {
        encoding = QStringLiteral("UTF-16");
        QStringDecoder decoder(*marked);
        return decoder(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        encoding = QStringLiteral("UTF-8");
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    encoding = QStringLiteral("windows-1256");
    QStringDecoder arabic("windows-1256");
    return arabic(bytes);
}

bool holdsText(const QStringList &cells)
{
    return std::any_of(cells.begin(), cells.end(),
                       [](const QString &cell) { return !cell.trimmed().isEmpty(); });
}

QList<QStringList> rowsOf(QStringView text, QChar separator)
{
    QList<QStringList> rows;
    QStringList cells;
    QString cell;
    bool quoted = false;
    const auto endRow = [&] {
        cells << std::exchange(cell, QString());
        if (holdsText(cells))
            rows << cells;
        cells.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != u'"')
                cell += c;
            else if (i + 1 < text.size() && text[i + 1] == u'"')
                cell += text[++i];
            else
                quoted = false;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == separator) {
            cells << std::exchange(cell, QString());
        } else if (c == u'\n') {
            endRow();
        } else if (c != u'\r') {
            cell += c;
        }
    }
    if (!cell.isEmpty() || !cells.isEmpty())
        endRow();
    return rows;
}

} // namespace

QChar separatorOf(QStringView firstRow)
{
    const QChar candidates[] = {u',', u';', u'\t'};
    qsizetype counts[3] = {0, 0, 0};
    bool quoted = false;
    for (const QChar c : firstRow) {
        if (c == u'"')
            quoted = !quoted;
        else if (c == u'\n' && !quoted)
            break;
        for (int i = 0; i < 3 && !quoted; ++i)
            counts[i] += c == candidates[i];
    }
    return candidates[std::max_element(std::begin(counts), std::end(counts)) - counts];
}

ReadFile read(const QByteArray &bytes)
{
    ReadFile file;
    const QString text = decoded(bytes, file.encoding);
    file.separator = separatorOf(text);
    file.rows = rowsOf(text, file.separator);
    return file;
}

QString heading(const char *english, const char *arabic)
{
    return QStringLiteral("%1 (%2)").arg(QLatin1String(english), QString::fromUtf8(arabic));
}

} // namespace simat::csv
