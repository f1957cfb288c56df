#pragma once

#include "report_engine/ligature_text.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

namespace simat::report {

// One glyph run as it was painted on a page: the number of its glyphs, and the texts of those
// among them that a PDF writer gives none.
struct PaintedRun {
    qsizetype glyphs = 0;
    QList<GlyphText> texts;
};
// The glyph runs of one page in the order they were painted.
using PaintedPage = QList<PaintedRun>;

// The painted glyph runs of a PDF's pages, each page kept packed: a page of a long listing paints
// a thousand runs, and a report of thousands of pages is to be written with little memory.
class PaintedPages {
public:
    void append(const PaintedPage &page);
    qsizetype size() const { return m_packed.size(); }
    PaintedPage at(qsizetype page) const;
    // Whether a glyph of the page has a text.
    bool hasTexts(qsizetype page) const { return m_hasTexts.at(page); }
    bool anyHasTexts() const { return m_hasTexts.contains(true); }

private:
    QList<QByteArray> m_packed;
    QList<bool> m_hasTexts;
};

// Gives the glyphs of `pages` their texts in the PDF that Qt's writer made of them: the operator
// that shows such a glyph is put in a marked-content span whose replacement text (ActualText)
// is the glyph's text. A page whose content is not its painted runs, one text object for each
// run and one glyph to each text-showing operator, is left as it is, and so is the whole PDF
// when it cannot be read; either is told in the log. Tells whether the PDF changed.
bool addGlyphTexts(QByteArray &pdf, const PaintedPages &pages);
// Writes the PDF of that file to `out`, its glyphs given their texts in the same way, one page
// at a time, so that the PDF is never held whole: as it is when its glyphs cannot take their
// texts. False when it cannot be written.
bool writeWithGlyphTexts(const QString &pdfPath, QIODevice &out, const PaintedPages &pages);

} // namespace simat::report
