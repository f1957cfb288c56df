#include "report_engine/pdf_text.h"

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

// A text string of PDF: UTF-16BE after its byte order mark, written in hexadecimal.
std::string textString(const QString &text)
{
    if (text.isEmpty())
        return "()";
    QByteArray hex = "<FEFF";
    for (QChar c : text)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return (hex + '>').toStdString();
}

bool isMarkedContent(const std::string &op)
{
    return op == "BMC" || op == "BDC" || op == "EMC" || op == "MP" || op == "DP";
}

bool showsText(const std::string &op)
{
    return op == "Tj" || op == "TJ" || op == "'" || op == "\"";
}

// Copies a page's content, putting each Tj that shows a glyph of the painted page that has a
// text in a span with that text. Tells whether the content held exactly the painted runs.
class GlyphTextFilter : public QPDFObjectHandle::TokenFilter {
public:
    explicit GlyphTextFilter(const PaintedPage &page)
        : m_page(page)
    {}

    void handleToken(const QPDFTokenizer::Token &token) override
    {
        if (token.getType() == QPDFTokenizer::tt_word)
            onOperator(token);
        else if (token.getType() != QPDFTokenizer::tt_eof)
            m_operands.push_back(token);
    }

    void handleEOF() override
    {
        for (const QPDFTokenizer::Token &operand : m_operands)
            writeToken(operand);
        m_operands.clear();
        m_matched = !m_failed && !m_inText && m_run + 1 == m_page.size();
    }

    bool matched() const { return m_matched; }

private:
    void onOperator(const QPDFTokenizer::Token &op)
    {
        const std::string &name = op.getValue();
        if (!m_failed && m_inText && name == "Tj")
            return showGlyphs(op);
        if (!m_failed)
            follow(name);
        copy(op);
    }

    void follow(const std::string &op)
    {
        if (op == "BT")
            beginText();
        else if (op == "ET")
            endText();
        else if (isMarkedContent(op) || (m_inText && showsText(op)))
            m_failed = true;
    }

    void beginText()
    {
        m_failed = m_inText || ++m_run >= m_page.size();
        m_inText = true;
        m_glyph = 0;
        m_text = 0;
    }

    void endText()
    {
        m_failed = !m_inText || m_glyph != m_page.at(m_run).glyphs ||
                   m_text != m_page.at(m_run).texts.size();
        m_inText = false;
    }

    void showGlyphs(const QPDFTokenizer::Token &op)
    {
        const auto string =
            std::find_if(m_operands.crbegin(), m_operands.crend(), [](const auto &operand) {
                return operand.getType() != QPDFTokenizer::tt_space;
            });
        if (string == m_operands.crend() || string->getType() != QPDFTokenizer::tt_string ||
            string->getValue().size() % 2 != 0) {
            m_failed = true;
            return copy(op);
        }
        // Identity-H: two bytes to a glyph.
        const qsizetype count = qsizetype(string->getValue().size() / 2);
        const QList<GlyphText> &texts = m_page.at(m_run).texts;
        const bool hasText = m_text < texts.size() && texts.at(m_text).glyph < m_glyph + count;
        if (hasText && (count != 1 || texts.at(m_text).glyph != m_glyph))
            m_failed = true;
        else if (hasText)
            write(" /Span <</ActualText " + textString(texts.at(m_text++).text) + ">> BDC");
        copy(op);
        if (hasText && !m_failed)
            write(" EMC");
        m_glyph += count;
    }

    void copy(const QPDFTokenizer::Token &op)
    {
        for (const QPDFTokenizer::Token &operand : m_operands)
            writeToken(operand);
        m_operands.clear();
        writeToken(op);
    }

    const PaintedPage &m_page;
    std::vector<QPDFTokenizer::Token> m_operands;
    qsizetype m_run = -1;
    qsizetype m_glyph = 0; // in the run, the next glyph to be shown
    qsizetype m_text = 0;  // in the run's texts, the next one to go in
    bool m_inText = false;
    bool m_failed = false;
    bool m_matched = false;
};

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
    Pl_String copied("page content", nullptr, content);
    GlyphTextFilter filter(painted);
    page.filterContents(&filter, &copied);
    if (!filter.matched()) {
        qWarning("report PDF: page %zu is not as it was painted; its ligatures keep no text",
                 pageNumber);
        return false;
    }
    page.getObjectHandle().replaceKey("/Contents", document.newStream(content));
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

void addGlyphTexts(QByteArray &pdf, const QList<PaintedPage> &pages)
{
    if (std::none_of(pages.cbegin(), pages.cend(), hasTexts))
        return;
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.processMemoryFile("report", pdf.constData(), size_t(pdf.size()));
        std::vector<QPDFPageObjectHelper> pdfPages = QPDFPageDocumentHelper(document).getAllPages();
        if (pdfPages.size() != size_t(pages.size())) {
            qWarning("report PDF: %zu pages where %lld were painted; its ligatures keep no text",
                     pdfPages.size(), qlonglong(pages.size()));
            return;
        }
        bool changed = false;
        for (size_t i = 0; i < pdfPages.size(); ++i)
            changed =
                addGlyphTexts(document, pdfPages[i], pages.at(qsizetype(i)), i + 1) || changed;
        if (changed)
            pdf = written(document);
    } catch (const std::exception &failure) {
        qWarning("report PDF: %s; its ligatures keep no text", failure.what());
    }
}

} // namespace simat::report
