#include "report_engine/pdf_text.h"

#include "report_engine/pdf_content.h"

#include <QFile>
#include <QIODevice>
#include <QtGlobal>
#include <algorithm>
#include <map>
#include <qpdf/Buffer.hh>
#include <qpdf/Pipeline.hh>
#include <qpdf/Pl_String.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <stdexcept>

namespace simat::report {

namespace {

bool hasTexts(const PaintedPage &page)
{
    return std::any_of(page.cbegin(), page.cend(),
                       [](const PaintedRun &run) { return !run.texts.isEmpty(); });
}

// The contents of the pages that have glyph texts, made while the PDF is written, one page at a
// time: a page's own content with its glyphs given their texts, or as it was when it is not what
// was painted.
class MarkedContents : public QPDFObjectHandle::StreamDataProvider {
public:
    // Gives the page a content of this provider in place of its own.
    static void replaceContents(const std::shared_ptr<MarkedContents> &provider, QPDF &document,
                                QPDFPageObjectHelper &page, const PaintedPage &painted,
                                size_t pageNumber)
    {
        QPDFObjectHandle pageObject = page.getObjectHandle();
        QPDFObjectHandle contents = QPDFObjectHandle::newStream(&document);
        provider->m_pages[contents.getObjGen()] = {pageObject.getKey("/Contents"), &painted,
                                                   pageNumber};
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
        const std::optional<std::string> marked = withGlyphTexts(content, *page.painted);
        if (marked)
            m_marked = true;
        else if (!page.told)
            qWarning("report PDF: page %zu is not as it was painted; its ligatures keep no text",
                     page.number);
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
        const PaintedPage *painted;
        size_t number;
        bool told = false;
    };
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

void setUp(QPDFWriter &writer)
{
    // Replacement text in marked content came with PDF 1.5.
    writer.setMinimumPDFVersion("1.5");
    writer.setDeterministicID(true);
}

// Gives the pages of the document that have glyph texts a content made while it is written;
// nothing when its pages are not the painted ones.
std::shared_ptr<MarkedContents> marking(QPDF &document, const QList<PaintedPage> &pages)
{
    if (std::none_of(pages.cbegin(), pages.cend(), hasTexts))
        return nullptr;
    std::vector<QPDFPageObjectHelper> pdfPages = QPDFPageDocumentHelper(document).getAllPages();
    if (pdfPages.size() != size_t(pages.size())) {
        qWarning("report PDF: %zu pages where %lld were painted; its ligatures keep no text",
                 pdfPages.size(), qlonglong(pages.size()));
        return nullptr;
    }
    auto provider = std::make_shared<MarkedContents>();
    for (size_t i = 0; i < pdfPages.size(); ++i)
        if (hasTexts(pages.at(qsizetype(i))))
            MarkedContents::replaceContents(provider, document, pdfPages[i], pages.at(qsizetype(i)),
                                            i + 1);
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

bool addGlyphTexts(QByteArray &pdf, const QList<PaintedPage> &pages)
{
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.processMemoryFile("report", pdf.constData(), size_t(pdf.size()));
        const std::shared_ptr<MarkedContents> marked = marking(document, pages);
        if (!marked)
            return false;
        QPDFWriter writer(document);
        writer.setOutputMemory();
        setUp(writer);
        writer.write();
        if (!marked->marked())
            return false;
        const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
        pdf = QByteArray(reinterpret_cast<const char *>(buffer->getBuffer()),
                         qsizetype(buffer->getSize()));
        return true;
    } catch (const std::exception &failure) {
        qWarning("report PDF: %s; its ligatures keep no text", failure.what());
        return false;
    }
}

bool writeWithGlyphTexts(const QString &pdfPath, QIODevice &out, const QList<PaintedPage> &pages)
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
        DevicePipeline device(out);
        QPDFWriter writer(document);
        writer.setOutputPipeline(&device);
        setUp(writer);
        writer.write();
        return true;
    } catch (const std::exception &failure) {
        qWarning("report PDF: %s", failure.what());
        return false;
    }
}

} // namespace simat::report
