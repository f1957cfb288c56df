#pragma once

#include "core/age.h"
#include "report_engine/report.h"

namespace simat {

class Statement;

// The heading and the footer that every report of the centre prints: the centre's names in
// Arabic and Latin on three lines each, the logo and the title below them (`Ltitle`, filled
// by the caller), a rule under it; and at the foot of each page the user, the page number, the
// time of printing and the credit line.
namespace report_parts {
// The width between the margins of an A4 page, upright and on its side.
constexpr double pageWidth = 190;
constexpr double landscapeWidth = 277;
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

// What the two reports of a test share: the page heading with the centre's names, the case's
// and the test's fields (the age and the two classes as the caller hands them over), and the
// page footer with the user, the page number, the time of printing and the credit line.
class TTestReport : public report::Report {
    Q_OBJECT
public:
    TTestReport(const QString &formName, Statement *rows, QObject *parent = nullptr);

    // What the rows do not hold: the case's age on the test date and the two classes.
    void setShownFields(const Age &age, const QString &testerClass, const QString &infoSourceClass);

protected:
    void beforeRun() override;
    // Text cells of a table row: the first column stands at x = 0, at the right.
    struct Cell {
        const char *name;
        double x;
        double width;
        report::Align align = report::Align::Center;
    };
    static void addCells(report::Band &band, const QList<Cell> &cells, double height,
                         const QColor &fill = {});
    static constexpr double pageWidth = report_parts::pageWidth;

private:
    void buildPageHeader();
    void fillPageHeader(report::Band &band) const;

    struct Heading {
        QString caseName, school, birth, birthHijri, address, homePhone, mobile;
        QString testDate, status, tester, source;
    } m_heading;
    Age m_age;
    QString m_testerClass;
    QString m_infoSourceClass;
};

} // namespace simat
