#pragma once

#include "core/age.h"
#include "data/test_store.h"
#include "report_engine/report.h"
#include "reports/report_parts.h"

namespace simat {

// What the two reports of a test share: the page heading with the centre's names, the case's
// and the test's fields (the age and the two classes as the caller hands them over), and the
// page footer with the user, the page number, the time of printing and the credit line.
class TTestReport : public report::Report {
    Q_OBJECT
public:
    // `fileWord` names the report in the file name offered for its PDF.
    TTestReport(const QString &formName, const char *fileWord, QObject *parent = nullptr);

    // The test that the report prints.
    void setTest(PrintedTest test);
    // What the stored test does not hold: the case's age on the test date and the two classes.
    void setShownFields(const Age &age, const QString &testerClass, const QString &infoSourceClass);
    QString pdfFileName() const override;

protected:
    const PrintedTest &printedTest() const { return m_test; }
    // Lays the test into the rows that the report walks.
    virtual void showTest(const PrintedTest &test) = 0;
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

    const char *m_fileWord;
    PrintedTest m_test;
    Age m_age;
    QString m_testerClass;
    QString m_infoSourceClass;
};

} // namespace simat
