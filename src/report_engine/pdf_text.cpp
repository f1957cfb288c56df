#include "report_engine/pdf_text.h"

#include "report_engine/packed_pages.h"
#include "report_engine/pdf_content.h"
#include "report_engine/pdf_objects.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QIODevice>
#include <QtGlobal>
#include <algorithm>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <zlib.h>

namespace simat::report {

namespace {

std::optional<std::string> inflated(const QByteArray &stored)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(stored.constData()));
    stream.avail_in = uInt(stored.size());
    std::string plain;
    char chunk[1 << 16];
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef *>(chunk);
        stream.avail_out = sizeof chunk;
        result = inflate(&stream, Z_NO_FLUSH);
        plain.append(chunk, sizeof chunk - stream.avail_out);
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END)
        return std::nullopt;
    return plain;
}

std::string deflated(const std::string &plain)
{
    uLongf size = compressBound(uLong(plain.size()));
    std::string stored(size, '\0');
    if (compress(reinterpret_cast<Bytef *>(stored.data()), &size,
                 reinterpret_cast<const Bytef *>(plain.data()), uLong(plain.size())) != Z_OK)
        throw std::runtime_error("a page of the PDF cannot be compressed");
    stored.resize(size);
    return stored;
}

// The content of a page with its glyphs given their texts; nothing when it is not what was
// painted, or not stored as Qt stores it.
std::optional<std::string> markedContent(const PdfObjects &pdf, int content,
                                         const PaintedPage &painted)
{
    const QByteArray dictionary = pdf.head(content);
    const bool compressed = dictionary.contains("/FlateDecode");
    if (!compressed && dictionary.contains("/Filter"))
        return std::nullopt;
    const std::optional<QByteArray> stored = pdf.storedStream(content, dictionary);
    if (!stored)
        return std::nullopt;
    const std::optional<std::string> plain = compressed ? inflated(*stored) : stored->toStdString();
    if (!plain)
        return std::nullopt;
    return withGlyphTexts(*plain, painted);
}

// Writes into a device, counting the bytes, so that the objects' new places are known.
class Output {
public:
    explicit Output(QIODevice &device)
        : m_device(device)
    {}
    void write(const QByteArray &bytes) { write(bytes.constData(), bytes.size()); }
    void write(const char *bytes, qint64 size)
    {
        if (m_device.write(bytes, size) != size)
            throw std::runtime_error("the PDF cannot be written");
        m_written += size;
    }
    qint64 written() const { return m_written; }

private:
    QIODevice &m_device;
    qint64 m_written = 0;
};

void copy(QIODevice &in, qint64 from, qint64 to, Output &out)
{
    if (!in.seek(from))
        throw std::runtime_error("the PDF cannot be read");
    for (qint64 at = from; at < to;) {
        const QByteArray chunk = in.read(qMin<qint64>(to - at, 1 << 20));
        if (chunk.isEmpty())
            throw std::runtime_error("the PDF cannot be read");
        out.write(chunk);
        at += chunk.size();
    }
}

// Qt's header, "%PDF-1.4", made 1.5: replacement text in marked content came with PDF 1.5.
void writeHeader(QIODevice &in, qint64 end, Output &out)
{
    if (!in.seek(0))
        throw std::runtime_error("the PDF cannot be read");
    QByteArray header = in.read(end);
    if (header.size() != end)
        throw std::runtime_error("the PDF cannot be read");
    if (header.startsWith("%PDF-1.") && header.size() > 8 && header.at(7) < '5')
        header[7] = '5';
    out.write(header);
}

void writeStream(int object, const PdfObjects &pdf, const std::string &content, Output &out)
{
    const std::string stored = deflated(content);
    out.write(pdf.openingOf(object) + "\n<<\n/Length " + QByteArray::number(qint64(stored.size())) +
              "\n/Filter /FlateDecode\n>>\nstream\n");
    out.write(stored.data(), qint64(stored.size()));
    out.write("\nendstream\nendobj\n");
}

void writeTable(const PdfObjects &pdf, const QList<qint64> &offsets, Output &out)
{
    const qint64 tableOffset = out.written();
    out.write("xref\n0 " + QByteArray::number(pdf.entries().size()) + '\n');
    for (qsizetype object = 0; object < pdf.entries().size(); ++object) {
        const PdfObjects::Entry &entry = pdf.entries().at(object);
        char line[32];
        std::snprintf(line, sizeof line, "%010lld %05d %c \n",
                      qlonglong(entry.used ? offsets.at(object) : entry.offset), entry.generation,
                      entry.used ? 'n' : 'f');
        out.write(line, 20);
    }
    out.write("trailer\n" + pdf.trailer() + "\nstartxref\n" + QByteArray::number(tableOffset) +
              "\n%%EOF\n");
}

// The used objects in the order they stand in the file.
QList<int> objectsInPlace(const PdfObjects &pdf)
{
    QList<int> objects;
    for (qsizetype object = 0; object < pdf.entries().size(); ++object)
        if (pdf.entries().at(object).used)
            objects << int(object);
    std::sort(objects.begin(), objects.end(), [&pdf](int left, int right) {
        return pdf.entries().at(left).offset < pdf.entries().at(right).offset;
    });
    if (objects.isEmpty() || pdf.entries().at(objects.first()).offset <= 0 ||
        pdf.entries().at(objects.last()).offset >= pdf.tableOffset())
        throw std::runtime_error("the PDF's objects are not where its table says");
    return objects;
}

// Copies the PDF object by object, each page content that has glyph texts written anew with
// them, then a cross-reference table of the new places. Tells whether a page took its texts.
bool writeMarked(QIODevice &in, const PdfObjects &pdf, const PaintedPages &pages, Output &out)
{
    std::map<int, qsizetype> pageOfContent;
    for (qsizetype page = 0; page < pages.size(); ++page)
        if (pages.hasTexts(page))
            pageOfContent[pdf.pageContents().at(page)] = page;
    const QList<int> objects = objectsInPlace(pdf);
    QList<qint64> offsets(pdf.entries().size(), 0);
    writeHeader(in, pdf.entries().at(objects.first()).offset, out);
    bool anyMarked = false;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        const int object = objects.at(i);
        const qint64 end =
            i + 1 < objects.size() ? pdf.entries().at(objects.at(i + 1)).offset : pdf.tableOffset();
        offsets[object] = out.written();
        const auto page = pageOfContent.find(object);
        const std::optional<std::string> marked =
            page == pageOfContent.end() ? std::nullopt
                                        : markedContent(pdf, object, pages.at(page->second));
        if (marked) {
            writeStream(object, pdf, *marked, out);
            anyMarked = true;
            continue;
        }
        if (page != pageOfContent.end())
            qWarning("report PDF: page %lld is not as it was painted; its ligatures keep no text",
                     qlonglong(page->second + 1));
        copy(in, pdf.entries().at(object).offset, end, out);
    }
    writeTable(pdf, offsets, out);
    return anyMarked;
}

// The PDF's objects, when its pages can take the glyphs' texts: nothing when it cannot be read
// or its pages are not the painted ones.
std::optional<PdfObjects> markable(QIODevice &in, const PaintedPages &pages)
{
    if (!pages.anyHasTexts())
        return std::nullopt;
    try {
        PdfObjects pdf(in);
        if (pdf.pageContents().size() == pages.size())
            return pdf;
        qWarning("report PDF: %lld pages where %lld were painted; its ligatures keep no text",
                 qlonglong(pdf.pageContents().size()), qlonglong(pages.size()));
    } catch (const std::exception &failure) {
        qWarning("report PDF: %s; its ligatures keep no text", failure.what());
    }
    return std::nullopt;
}

} // namespace

void PaintedPages::append(const PaintedPage &page)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    bool texts = false;
    out << qint64(page.size());
    for (const PaintedRun &run : page) {
        out << qint64(run.glyphs) << qint64(run.texts.size());
        for (const GlyphText &text : run.texts)
            out << qint64(text.glyph) << text.text;
        texts = texts || !run.texts.isEmpty();
    }
    m_packed << packed(bytes);
    m_hasTexts << texts;
}

PaintedPage PaintedPages::at(qsizetype page) const
{
    QDataStream in(qUncompress(m_packed.at(page)));
    qint64 runs = 0;
    in >> runs;
    PaintedPage painted(runs);
    for (PaintedRun &run : painted) {
        qint64 glyphs = 0;
        qint64 texts = 0;
        in >> glyphs >> texts;
        run.glyphs = glyphs;
        run.texts.resize(texts);
        for (GlyphText &text : run.texts) {
            qint64 glyph = 0;
            in >> glyph >> text.text;
            text.glyph = glyph;
        }
    }
    return painted;
}

bool addGlyphTexts(QByteArray &pdf, const PaintedPages &pages)
{
    QBuffer in(&pdf);
    in.open(QIODevice::ReadOnly);
    const std::optional<PdfObjects> objects = markable(in, pages);
    if (!objects)
        return false;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    try {
        Output written(out);
        if (!writeMarked(in, *objects, pages, written))
            return false;
    } catch (const std::exception &failure) {
        qWarning("report PDF: %s; its ligatures keep no text", failure.what());
        return false;
    }
    in.close();
    pdf = out.data();
    return true;
}

bool writeWithGlyphTexts(const QString &pdfPath, QIODevice &out, const PaintedPages &pages)
{
    QFile in(pdfPath);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const std::optional<PdfObjects> objects = markable(in, pages);
    try {
        Output written(out);
        if (!objects)
            copy(in, 0, in.size(), written);
        else
            writeMarked(in, *objects, pages, written);
        return true;
    } catch (const std::exception &failure) {
        qWarning("report PDF: %s", failure.what());
        return false;
    }
}

} // namespace simat::report
