#pragma once

#include "report_engine/pdf_text.h"

#include <optional>
#include <string>
#include <string_view>

namespace simat::report {

// A page's content stream, decoded, with each Tj that shows a glyph of `page` that has a text
// put in a marked-content span whose replacement text (ActualText) is that text. Nothing when
// the content is not the painted runs of `page`: a text object for each run, in the order they
// were painted, one glyph to each Tj, and no marked content of its own.
std::optional<std::string> withGlyphTexts(std::string_view content, const PaintedPage &page);

} // namespace simat::report
