#pragma once

#include <QColor>

#include "report_engine/report.h"

#include <QDate>
#include <QList>
#include <QStringList>

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
// The name offered for the PDF of a report of one test, "simat-test-1-3-2026-12-08.pdf" (the
// report's word, the case code, the test number and its date), and of a listing of a period,
// "simat-all-tests-2026-01-01-2026-12-31.pdf".
QString pdfFileName(const char *report, int caseCode, int testNo, const QDate &testDate);
QString pdfFileName(const char *report, const QDate &from, const QDate &to);
// Returns where the heading ends, in mm from the band's top.
double addCentreHeading(report::Band &band, double width = pageWidth);
void fillCentreHeading(report::Band &band);
void addPageFooter(report::Band &band, double width = pageWidth);
// A bold caption and, beside it to its left, the text `name` that the heading fills in: one
// line of a report's heading. Returns the text.
report::Element &addCaptioned(report::Band &band, const char *caption, const char *name, double x,
                              double y, double captionWidth, double valueWidth, double height);

// A column of a framed table: its heading, the name of its text in each row, its width in mm
// and how the row's text stands in it.
struct TableColumn {
    const char *heading;
    const char *name;
    double width;
    report::Align align = report::Align::Center;
};
constexpr double tableRowHeight = 7;
// Makes the texts of a row of a band (side by side, at one height) as tall as the tallest of them
// needs in the report's font, never lower than `height`, the height the row was built with, and
// moves what stands below the row by as much, the band's bottom too; a rectangle or a line that
// reaches across the row's bottom grows with it. For a row with something of the band below it,
// which the report engine cuts short rather than grow; call it in the band's hook once the
// texts are set, for each such row from the top down.
void fitRow(const report::Report &report, report::Band &band, const QStringList &names,
            double height);
// Lays the columns out from the right: a shaded heading cell each in `heading`, a framed text
// each in `row`; a long text wraps and makes its row taller.
void addTableColumns(report::Band &heading, report::Band &row, const QList<TableColumn> &columns);
} // namespace report_parts

} // namespace simat
