#include "report_engine/pdf_content.h"

#include <QByteArray>
#include <cstring>

namespace simat::report {

namespace {

bool isWhiteSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool isDelimiter(char c)
{
    return c != '\0' && std::strchr("()<>[]{}/%", c) != nullptr;
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

struct Token {
    enum class Kind { Operator, HexString, Operand, Unreadable };
    Kind kind = Kind::Operand;
    size_t begin = 0;
    size_t end = 0;
    std::string_view word;  // an operator's name
    qsizetype hexBytes = 0; // the bytes of a hexadecimal string
};

// Splits a content stream into the tokens of the PDF syntax, as far as a page's text goes:
// operators, hexadecimal strings and the other operands.
class Lexer {
public:
    explicit Lexer(std::string_view content)
        : m_content(content)
    {}

    // The next token; nothing at the end.
    std::optional<Token> next()
    {
        skipSpaceAndComments();
        if (m_at >= m_content.size())
            return std::nullopt;
        Token token;
        token.begin = m_at;
        const char c = m_content[m_at];
        const char following = m_at + 1 < m_content.size() ? m_content[m_at + 1] : '\0';
        if (c == '(')
            token.end = endOfLiteral();
        else if ((c == '<' && following == '<') || (c == '>' && following == '>'))
            token.end = m_at + 2;
        else if (c == '<')
            token = hexString();
        else if (isDelimiter(c) && c != '/')
            token.end = m_at + 1;
        else
            token = word();
        if (token.end == std::string_view::npos)
            token.kind = Token::Kind::Unreadable;
        m_at = token.kind == Token::Kind::Unreadable ? m_content.size() : token.end;
        return token;
    }

private:
    void skipSpaceAndComments()
    {
        while (m_at < m_content.size()) {
            if (m_content[m_at] == '%')
                m_at = m_content.find_first_of("\r\n", m_at);
            else if (isWhiteSpace(m_content[m_at]))
                ++m_at;
            else
                break;
        }
    }

    // After the ")" that closes the literal string at m_at, which may hold balanced parentheses
    // and escaped characters.
    size_t endOfLiteral() const
    {
        int depth = 0;
        for (size_t at = m_at; at < m_content.size(); ++at) {
            if (m_content[at] == '\\')
                ++at;
            else if (m_content[at] == '(')
                ++depth;
            else if (m_content[at] == ')' && --depth == 0)
                return at + 1;
        }
        return std::string_view::npos;
    }

    Token hexString() const
    {
        Token token;
        token.kind = Token::Kind::HexString;
        token.begin = m_at;
        token.end = m_content.find('>', m_at);
        if (token.end == std::string_view::npos)
            return token;
        qsizetype digits = 0;
        for (size_t at = m_at + 1; at < token.end; ++at) {
            if (isHexDigit(m_content[at]))
                ++digits;
            else if (!isWhiteSpace(m_content[at]))
                token.kind = Token::Kind::Unreadable;
        }
        ++token.end;
        token.hexBytes = (digits + 1) / 2;
        return token;
    }

    // A name, a number, a keyword or an operator.
    Token word() const
    {
        size_t end = m_at + 1;
        while (end < m_content.size() && !isWhiteSpace(m_content[end]) &&
               !isDelimiter(m_content[end]))
            ++end;
        Token token;
        token.begin = m_at;
        token.end = end;
        token.word = m_content.substr(m_at, end - m_at);
        const char first = token.word.front();
        const bool operand = first == '/' || first == '+' || first == '-' || first == '.' ||
                             (first >= '0' && first <= '9') || token.word == "true" ||
                             token.word == "false" || token.word == "null";
        if (!operand)
            token.kind = Token::Kind::Operator;
        return token;
    }

    std::string_view m_content;
    size_t m_at = 0;
};

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

bool breaksTheRuns(std::string_view op)
{
    return op == "BMC" || op == "BDC" || op == "EMC" || op == "MP" || op == "DP" || op == "BI";
}

bool showsText(std::string_view op)
{
    return op == "Tj" || op == "TJ" || op == "'" || op == "\"";
}

// Follows the text objects of a page's content against the runs painted on it, and writes the
// content anew with the spans of the glyphs that have a text.
class Marker {
public:
    Marker(std::string_view content, const PaintedPage &page)
        : m_content(content)
        , m_page(page)
    {
        m_marked.reserve(content.size() + content.size() / 8);
    }

    // False when the content is not what was painted.
    bool take(const Token &token)
    {
        if (token.kind == Token::Kind::Unreadable)
            return false;
        if (token.kind != Token::Kind::Operator) {
            if (!m_operands)
                m_operands = token.begin;
            m_lastOperand = token;
            return true;
        }
        const bool followed = m_inText && token.word == "Tj" ? showGlyphs(token) : follow(token);
        m_operands.reset();
        m_lastOperand.reset();
        return followed;
    }

    std::optional<std::string> finish()
    {
        if (m_inText || m_run + 1 != m_page.size())
            return std::nullopt;
        m_marked.append(m_content.substr(m_copied));
        return std::move(m_marked);
    }

private:
    bool follow(const Token &op)
    {
        if (op.word == "BT")
            return beginText();
        if (op.word == "ET")
            return endText();
        return !breaksTheRuns(op.word) && !(m_inText && showsText(op.word));
    }

    bool beginText()
    {
        if (m_inText || ++m_run >= m_page.size())
            return false;
        m_inText = true;
        m_glyph = 0;
        m_text = 0;
        return true;
    }

    bool endText()
    {
        if (!m_inText || m_glyph != m_page.at(m_run).glyphs ||
            m_text != m_page.at(m_run).texts.size())
            return false;
        m_inText = false;
        return true;
    }

    // Identity-H, as Qt writes its fonts: two bytes to a glyph.
    bool showGlyphs(const Token &op)
    {
        if (!m_lastOperand || m_lastOperand->kind != Token::Kind::HexString ||
            m_lastOperand->hexBytes % 2 != 0)
            return false;
        const qsizetype count = m_lastOperand->hexBytes / 2;
        const QList<GlyphText> &texts = m_page.at(m_run).texts;
        if (m_text < texts.size() && texts.at(m_text).glyph < m_glyph + count) {
            if (count != 1 || texts.at(m_text).glyph != m_glyph)
                return false;
            putInSpan(op, textString(texts.at(m_text++).text));
        }
        m_glyph += count;
        return true;
    }

    void putInSpan(const Token &op, const std::string &text)
    {
        m_marked.append(m_content.substr(m_copied, *m_operands - m_copied));
        m_marked.append("/Span <</ActualText ").append(text).append(">> BDC ");
        m_marked.append(m_content.substr(*m_operands, op.end - *m_operands));
        m_marked.append(" EMC");
        m_copied = op.end;
    }

    std::string_view m_content;
    const PaintedPage &m_page;
    std::string m_marked;
    size_t m_copied = 0;              // the content up to here is in m_marked
    std::optional<size_t> m_operands; // where the operands of the coming operator begin
    std::optional<Token> m_lastOperand;
    qsizetype m_run = -1;
    qsizetype m_glyph = 0; // in the run, the next glyph to be shown
    qsizetype m_text = 0;  // in the run's texts, the next one to go in
    bool m_inText = false;
};

} // namespace

std::optional<std::string> withGlyphTexts(std::string_view content, const PaintedPage &page)
{
    Lexer lexer(content);
    Marker marker(content, page);
    while (const std::optional<Token> token = lexer.next())
        if (!marker.take(*token))
            return std::nullopt;
    return marker.finish();
}

} // namespace simat::report
