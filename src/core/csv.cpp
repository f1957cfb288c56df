#include "csv.h"

#include <algorithm>

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
    if (!needsQuotes(cell))
        return cell;
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
    QStringList line;
    line.reserve(cells.size());
    for (const QString &cell : cells)
        line << quoted(cell);
    m_device.write((line.join(QLatin1Char(',')) + QLatin1String("\r\n")).toUtf8());
}

QString textCell(const QString &text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && formulaStarts.contains(text.front()))
        return QLatin1Char('\'') + text;
    return text;
}

QString heading(const char *english, const char *arabic)
{
    return QStringLiteral("%1 (%2)").arg(QLatin1String(english), QString::fromUtf8(arabic));
}

} // namespace simat::csv
