#include "report_engine/pdf_objects.h"

#include <QIODevice>
#include <QRegularExpression>
#include <stdexcept>

namespace simat::report {

namespace {

[[noreturn]] void unreadable(const char *what)
{
    throw std::runtime_error(what);
}

// Qt's page tree is one level deep; a deeper one is followed this far.
constexpr int deepestPageTree = 32;
// The head of an object is its dictionary; the page tree's holds a reference to every page.
constexpr qint64 longestHead = 64 << 20;

QRegularExpressionMatch matched(const QByteArray &text, const QString &pattern)
{
    return QRegularExpression(pattern).match(QString::fromLatin1(text));
}

qint64 number(const QRegularExpressionMatch &match, int group)
{
    bool ok = false;
    const qint64 value = match.captured(group).toLongLong(&ok);
    if (!ok)
        unreadable("a number of the PDF cannot be read");
    return value;
}

} // namespace

PdfObjects::PdfObjects(QIODevice &in)
    : m_in(in)
{
    readTable();
    const int root = referenceAfter(m_trailer, "Root");
    readPages(referenceAfter(head(root), "Pages"), 0);
}

void PdfObjects::readTable()
{
    const qint64 size = m_in.size();
    if (!m_in.seek(qMax<qint64>(0, size - 1024)))
        unreadable("the PDF cannot be read");
    const QRegularExpressionMatch start =
        matched(m_in.read(1024), QStringLiteral("startxref\\s+(\\d+)\\s+%%EOF\\s*$"));
    if (!start.hasMatch())
        unreadable("the PDF has no cross-reference table");
    m_tableOffset = number(start, 1);
    if (m_tableOffset <= 0 || m_tableOffset >= size || !m_in.seek(m_tableOffset))
        unreadable("the PDF's cross-reference table is not where it says");
    const QByteArray table = m_in.read(size - m_tableOffset);
    const qsizetype trailerAt = table.indexOf("trailer");
    if (!table.startsWith("xref") || trailerAt < 0)
        unreadable("the PDF's cross-reference table cannot be read");
    const QList<QByteArray> lines = table.mid(4, trailerAt - 4).simplified().split(' ');
    for (qsizetype at = 0; at + 1 < lines.size();) {
        const int first = lines.at(at).toInt();
        const int count = lines.at(at + 1).toInt();
        at += 2;
        if (first < 0 || count < 0 || at + 3 * qsizetype(count) > lines.size())
            unreadable("the PDF's cross-reference table cannot be read");
        if (m_entries.size() < first + count)
            m_entries.resize(first + count);
        for (int i = 0; i < count; ++i, at += 3)
            m_entries[first + i] = {lines.at(at).toLongLong(), lines.at(at + 1).toInt(),
                                    lines.at(at + 2) == "n"};
    }
    const qsizetype opening = table.indexOf("<<", trailerAt);
    const qsizetype closing = table.lastIndexOf(">>");
    if (opening < 0 || closing < opening)
        unreadable("the PDF's trailer cannot be read");
    m_trailer = table.mid(opening, closing + 2 - opening);
}

void PdfObjects::readPages(int object, int depth)
{
    if (depth > deepestPageTree)
        unreadable("the PDF's page tree is too deep");
    const QByteArray text = head(object);
    if (matched(text, QStringLiteral("/Type\\s*/Pages\\b")).hasMatch()) {
        const QRegularExpressionMatch kids =
            matched(text, QStringLiteral("/Kids\\s*\\[([^\\]]*)\\]"));
        if (!kids.hasMatch())
            unreadable("a node of the PDF's page tree has no pages");
        static const QRegularExpression reference(QStringLiteral("(\\d+)\\s+\\d+\\s+R"));
        for (const QRegularExpressionMatch &kid : reference.globalMatch(kids.captured(1)))
            readPages(int(number(kid, 1)), depth + 1);
    } else {
        m_pageContents << referenceAfter(text, "Contents");
    }
}

int PdfObjects::referenceAfter(const QByteArray &text, const char *key) const
{
    const QRegularExpressionMatch reference =
        matched(text, QStringLiteral("/%1\\s+(\\d+)\\s+\\d+\\s+R").arg(QString::fromLatin1(key)));
    if (!reference.hasMatch())
        unreadable("an object of the PDF is not one that Qt writes");
    const qint64 object = number(reference, 1);
    if (object <= 0 || object >= m_entries.size() || !m_entries.at(object).used)
        unreadable("an object of the PDF is missing");
    return int(object);
}

qint64 PdfObjects::offsetOf(int object) const
{
    if (object <= 0 || object >= m_entries.size() || !m_entries.at(object).used)
        unreadable("an object of the PDF is missing");
    return m_entries.at(object).offset;
}

QByteArray PdfObjects::openingOf(int object) const
{
    return QByteArray::number(object) + ' ' + QByteArray::number(m_entries.at(object).generation) +
           " obj";
}

QByteArray PdfObjects::head(int object) const
{
    if (!m_in.seek(offsetOf(object)))
        unreadable("the PDF cannot be read");
    QByteArray text;
    qsizetype end = -1;
    // Most heads are short: the first read is, and each after it twice as long.
    for (qint64 chunkSize = 4096; end < 0; chunkSize = qMin<qint64>(2 * chunkSize, 1 << 20)) {
        const QByteArray chunk = m_in.read(chunkSize);
        if (chunk.isEmpty() || text.size() > longestHead)
            unreadable("an object of the PDF has no end");
        const qsizetype searchFrom = qMax<qsizetype>(0, text.size() - 6);
        text += chunk;
        const qsizetype stream = text.indexOf("stream", searchFrom);
        const qsizetype endobj = text.indexOf("endobj", searchFrom);
        end = stream < 0 ? endobj : endobj < 0 ? stream : qMin(stream, endobj);
    }
    const QByteArray opening = openingOf(object);
    if (!text.startsWith(opening))
        unreadable("an object of the PDF is not where its table says");
    return text.mid(opening.size(), end - opening.size());
}

std::optional<QByteArray> PdfObjects::storedStream(int object, const QByteArray &dictionary) const
{
    const QRegularExpressionMatch length =
        matched(dictionary, QStringLiteral("/Length\\s+(\\d+)(\\s+\\d+\\s+R)?"));
    if (!length.hasMatch())
        return std::nullopt;
    qint64 bytes = number(length, 1);
    if (length.hasCaptured(2))
        bytes = head(int(bytes)).trimmed().toLongLong();
    const QByteArray opening = openingOf(object);
    qint64 at = offsetOf(object) + opening.size() + dictionary.size() + 6;
    if (bytes <= 0 || !m_in.seek(at))
        return std::nullopt;
    // The keyword's end of line: a carriage return only with a line feed.
    const QByteArray endOfLine = m_in.read(2);
    const int skipped = endOfLine.startsWith("\r\n") ? 2 : endOfLine.startsWith('\n') ? 1 : 0;
    if (skipped == 0 || !m_in.seek(at + skipped))
        return std::nullopt;
    const QByteArray stored = m_in.read(bytes);
    if (stored.size() != bytes)
        return std::nullopt;
    return stored;
}

} // namespace simat::report
