#pragma once

#include <QColor>

#include "report_engine/report.h"

#include <QList>

namespace simat {

// The heading and the footer that every report of the centre prints: the centre's names in
// Arabic and Latin on three lines each, the logo and the title below them (`Ltitle`, filled
// by the caller), a rule under it; and at the foot of each page the user, the page number, the
// time of printing and the credit line.
namespace report_parts {
// The width between the margins of an A4 page, upright and on its side.
constexpr double pageWidth = 190;
constexpr double landscapeWidth = 277;
// The shade of a table's heading cells, and of the lines that give a result.
inline const QColor headingFill(0xe6, 0xf2, 0xf6);
inline const QColor resultFill(0xf3, 0xf7, 0xf9);
// Returns where the heading ends, in mm from the band's top.
double addCentreHeading(report::Band &band, double width = pageWidth);
void fillCentreHeading(report::Band &band);
void addPageFooter(report::Band &band, double width = pageWidth);

// A column of a framed table: its heading, the name of its text in each row, its width in mm
// and how the row's text stands in it.
struct TableColumn {
    const char *heading;
    const char *name;
    double width;
    report::Align align = report::Align::Center;
};
constexpr double tableRowHeight = 7;
// Lays the columns out from the right: a shaded heading cell each in `heading`, a framed text
// each in `row`; a long text wraps and makes its row taller.
void addTableColumns(report::Band &heading, report::Band &row, const QList<TableColumn> &columns);
} // namespace report_parts

} // namespace simat
