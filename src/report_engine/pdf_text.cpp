#include "report_engine/pdf_text.h"

#include "report_engine/pdf_content.h"

#include <QtGlobal>
#include <algorithm>
#include <qpdf/Buffer.hh>
#include <qpdf/Pl_String.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

namespace simat::report {

namespace {

bool hasTexts(const PaintedPage &page)
{
    return std::any_of(page.cbegin(), page.cend(),
                       [](const PaintedRun &run) { return !run.texts.isEmpty(); });
}

// Gives the page's glyphs their texts; false when it has none to give or its content is not
// what was painted.
bool addGlyphTexts(QPDF &document, QPDFPageObjectHelper &page, const PaintedPage &painted,
                   size_t pageNumber)
{
    if (!hasTexts(painted))
        return false;
    std::string content;
    Pl_String read("page content", nullptr, content);
    page.pipeContents(&read);
    const std::optional<std::string> marked = withGlyphTexts(content, painted);
    if (!marked) {
        qWarning("report PDF: page %zu is not as it was painted; its ligatures keep no text",
                 pageNumber);
        return false;
    }
    page.getObjectHandle().replaceKey("/Contents", document.newStream(*marked));
    return true;
}

QByteArray written(QPDF &document)
{
    QPDFWriter writer(document);
    writer.setOutputMemory();
    // Replacement text in marked content came with PDF 1.5.
    writer.setMinimumPDFVersion("1.5");
    writer.setDeterministicID(true);
    writer.write();
    const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char *>(buffer->getBuffer()),
                      qsizetype(buffer->getSize()));
}

} // namespace

bool addGlyphTexts(QByteArray &pdf, const QList<PaintedPage> &pages)
{
    if (std::none_of(pages.cbegin(), pages.cend(), hasTexts))
        return false;
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.processMemoryFile("report", pdf.constData(), size_t(pdf.size()));
        std::vector<QPDFPageObjectHelper> pdfPages = QPDFPageDocumentHelper(document).getAllPages();
        if (pdfPages.size() != size_t(pages.size())) {
            qWarning("report PDF: %zu pages where %lld were painted; its ligatures keep no text",
                     pdfPages.size(), qlonglong(pages.size()));
            return false;
        }
        bool changed = false;
        for (size_t i = 0; i < pdfPages.size(); ++i)
            changed =
                addGlyphTexts(document, pdfPages[i], pages.at(qsizetype(i)), i + 1) || changed;
        if (changed)
            pdf = written(document);
        return changed;
    } catch (const std::exception &failure) {
        qWarning("report PDF: %s; its ligatures keep no text", failure.what());
        return false;
    }
}

} // namespace simat::report
