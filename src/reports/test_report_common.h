#pragma once

#include "core/age.h"
#include "report_engine/report.h"
#include "reports/report_parts.h"

namespace simat {

class Statement;

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
