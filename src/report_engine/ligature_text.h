#pragma once

#include <QList>
#include <QString>

class QFont;
class QGlyphRun;

namespace simat::report {

// What a reader of a PDF is to take one glyph of a run for.
struct GlyphText {
    qsizetype glyph = 0; // index into the run's glyphs
    QString text;        // empty: the glyph adds nothing, another glyph of its ligature does
};

// The texts of the glyphs of `run` that the character map of a PDF writer, which maps each glyph
// to a character that the font's own character table gives it, reads as nothing: the glyphs of
// the ligatures that the font forms from several letters (lam-alef in each of its forms, the
// word Allah). A ligature's first glyph that has a width carries its letters as the one
// character that Unicode gives the ligature, its other glyphs carry nothing. `font` is the font
// the run was laid out in. Uses the fonts, so it runs in the thread of the GUI.
QList<GlyphText> ligatureTexts(const QGlyphRun &run, const QFont &font);

} // namespace simat::report
