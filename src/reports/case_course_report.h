#pragma once

#include "data/test_store.h"
#include "list_rows.h"
#include "report_engine/report.h"

#include <QMap>
#include <optional>

class QWidget;

namespace simat {

// The child's course: every test of a case in date order, each domain's rate and the total
// rate of each, and a chart of those rates over the finished tests, one line per domain and one
// for the total, the earliest test at the right.
class TCaseCourseReport : public report::Report {
    Q_OBJECT
public:
    explicit TCaseCourseReport(QObject *parent = nullptr);
    ~TCaseCourseReport() override;

    static TCaseCourseReport *instance();
    // "simat-course-<case>-<latest test's number>-<its date>.pdf".
    QString pdfFileName() const override;

    // Loads every test of the case and previews the report over the screen; says so when the
    // case has no test.
    void previewCase(int caseCode, QWidget *over);
    void loadCase(int caseCode);
    // The tests loaded, earliest first.
    const QList<ChecklistTest> &tests() const { return m_rows.items(); }
    // Every question of the checklist is answered: the test stands in the chart.
    bool isFinished(const ChecklistTest &test) const;

protected:
    void beforeRun() override;

private:
    void buildPageHeader();
    void buildTable();
    void buildSummary();
    void fillRow(report::Band &band, const ChecklistTest &test);
    void drawChart(report::Band &band) const;
    void drawLegend(report::Band &band, double top) const;

    TestStore m_store;
    ListRows<ChecklistTest> m_rows;
    std::optional<CaseSummary> m_case;
    QList<int> m_domains;
    QMap<int, QString> m_domainNames;
    std::size_t m_summaryElements = 0;
};

} // namespace simat
