#include "report_engine/pdf_text.h"

#include "report_engine/pdf_content.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QIODevice>
#include <QtGlobal>
#include <map>
#include <qpdf/Pipeline.hh>
#include <qpdf/Pl_String.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <stdexcept>

namespace simat::report {

namespace {

// The contents of the pages that have glyph texts, made while the PDF is written, one page at a
// time: a page's own content with its glyphs given their texts, or as it was when it is not what
// was painted.
class MarkedContents : public QPDFObjectHandle::StreamDataProvider {
public:
    explicit MarkedContents(const PaintedPages &painted)
        : m_painted(painted)
    {}

    // Gives the page a content of this provider in place of its own.
    static void replaceContents(const std::shared_ptr<MarkedContents> &provider, QPDF &document,
                                QPDFPageObjectHelper &page, qsizetype pageIndex)
    {
        QPDFObjectHandle pageObject = page.getObjectHandle();
        QPDFObjectHandle contents = QPDFObjectHandle::newStream(&document);
        provider->m_pages[contents.getObjGen()] = {pageObject.getKey("/Contents"), pageIndex};
        contents.replaceStreamData(provider, QPDFObjectHandle::newNull(),
                                   QPDFObjectHandle::newNull());
        pageObject.replaceKey("/Contents", contents);
    }

    void provideStreamData(QPDFObjGen const &stream, Pipeline *pipeline) override
    {
        Page &page = m_pages.at(stream);
        std::string content;
        std::string description;
        Pl_String read("page content", nullptr, content);
        page.original.pipeContentStreams(&read, "page content", description);
        const std::optional<std::string> marked = withGlyphTexts(content, m_painted.at(page.index));
        if (marked)
            m_marked = true;
        else if (!page.told)
            qWarning("report PDF: page %lld is not as it was painted; its ligatures keep no text",
                     qlonglong(page.index + 1));
        page.told = true;
        const std::string &written = marked ? *marked : content;
        pipeline->write(reinterpret_cast<const unsigned char *>(written.data()), written.size());
        pipeline->finish();
    }

    // Whether a page took its glyphs' texts.
    bool marked() const { return m_marked; }

private:
    struct Page {
        QPDFObjectHandle original;
        qsizetype index;
        bool told = false;
    };
    const PaintedPages &m_painted;
    std::map<QPDFObjGen, Page> m_pages;
    bool m_marked = false;
};

// Writes what QPDFWriter gives into a device.
class DevicePipeline : public Pipeline {
public:
    explicit DevicePipeline(QIODevice &device)
        : Pipeline("device", nullptr)
        , m_device(device)
    {}
    void write(unsigned char const *data, size_t size) override
    {
        if (m_device.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
            throw std::runtime_error("the PDF cannot be written");
    }
    void finish() override {}

private:
    QIODevice &m_device;
};

// Writes the document into the device; throws what qpdf throws.
void write(QPDF &document, QIODevice &out)
{
    DevicePipeline device(out);
    QPDFWriter writer(document);
    writer.setOutputPipeline(&device);
    // Replacement text in marked content came with PDF 1.5.
    writer.setMinimumPDFVersion("1.5");
    writer.setDeterministicID(true);
    writer.write();
}

// Gives the pages of the document that have glyph texts a content made while it is written;
// nothing when its pages are not the painted ones.
std::shared_ptr<MarkedContents> marking(QPDF &document, const PaintedPages &pages)
{
    if (!pages.anyHasTexts())
        return nullptr;
    std::vector<QPDFPageObjectHelper> pdfPages = QPDFPageDocumentHelper(document).getAllPages();
    if (pdfPages.size() != size_t(pages.size())) {
        qWarning("report PDF: %zu pages where %lld were painted; its ligatures keep no text",
                 pdfPages.size(), qlonglong(pages.size()));
        return nullptr;
    }
    auto provider = std::make_shared<MarkedContents>(pages);
    for (qsizetype i = 0; i < pages.size(); ++i)
        if (pages.hasTexts(i))
            MarkedContents::replaceContents(provider, document, pdfPages[size_t(i)], i);
    return provider;
}

bool copied(const QString &path, QIODevice &out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(1 << 20);
        if (out.write(chunk) != chunk.size())
            return false;
    }
    return true;
}

} // namespace

void PaintedPages::append(const PaintedPage &page)
{
    QByteArray packed;
    QDataStream out(&packed, QIODevice::WriteOnly);
    bool texts = false;
    out << qint64(page.size());
    for (const PaintedRun &run : page) {
        out << qint64(run.glyphs) << qint64(run.texts.size());
        for (const GlyphText &text : run.texts)
            out << qint64(text.glyph) << text.text;
        texts = texts || !run.texts.isEmpty();
    }
    QByteArray compressed = qCompress(packed);
    // qCompress leaves the room of the bytes before they were compressed: a long report keeps
    // many pages.
    compressed.squeeze();
    m_packed << compressed;
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
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.processMemoryFile("report", pdf.constData(), size_t(pdf.size()));
        const std::shared_ptr<MarkedContents> marked = marking(document, pages);
        if (!marked)
            return false;
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        write(document, out);
        if (!marked->marked())
            return false;
        pdf = out.data();
        return true;
    } catch (const std::exception &failure) {
        qWarning("report PDF: %s; its ligatures keep no text", failure.what());
        return false;
    }
}

bool writeWithGlyphTexts(const QString &pdfPath, QIODevice &out, const PaintedPages &pages)
{
    std::shared_ptr<MarkedContents> marked;
    QPDF document;
    try {
        document.setSuppressWarnings(true);
        document.processFile(QFile::encodeName(pdfPath).constData());
        marked = marking(document, pages);
    } catch (const std::exception &failure) {
        qWarning("report PDF: %s; its ligatures keep no text", failure.what());
    }
    if (!marked)
        return copied(pdfPath, out);
    try {
        write(document, out);
        return true;
    } catch (const std::exception &failure) {
        qWarning("report PDF: %s", failure.what());
        return false;
    }
}

} // namespace simat::report
