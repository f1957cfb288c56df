#pragma once

#include "core/comparison.h"
#include "data/test_store.h"
#include "list_rows.h"
#include "report_engine/report.h"
#include "ui/search.h"

#include <QHash>
#include <memory>

class QWidget;

namespace simat {

// The case's progress: two tests of one case side by side, question by question, by domain and
// in total, with the change of the marks, its rate and its trend, and a chart of the domains'
// rates. The earlier test is test 1.
class TCaseTestsCompareReport : public report::Report {
    Q_OBJECT
public:
    explicit TCaseTestsCompareReport(QObject *parent = nullptr);
    ~TCaseTestsCompareReport() override;

    static TCaseTestsCompareReport *instance();
    // "simat-comparison-<case>-<later test's number>-<its date>.pdf".
    QString pdfFileName() const override;

    // What the "تطور حالة" button asks of the picker: the cases, and for the chosen one the
    // comparison of its two latest tests in preview, the picker staying open for the next case;
    // when the case has no two tests to compare, the picker closes after saying why.
    static PickRequest caseProgressPick(QObject *button);
    // Builds the comparison of the case and previews it; what the picker does next.
    AfterChoice compareCase(int caseCode, QWidget *over);

    // The comparison builder: for CompareCaseCode, loads the two latest tests when the case has
    // at least two closed ones and sets CompareReady; otherwise says why.
    void BuildCompare(QWidget *over);
    // Loads two tests of one case, the earlier as test 1.
    void compareTests(const TestIdentity &one, const TestIdentity &other);

    // The marks of each test in total, and of the later test in the domain printing.
    int CompareTotalMarkTest1 = 0;
    int CompareTotalMarkTest2 = 0;
    int CompareDomainMarkTest2 = 0;

protected:
    void beforeRun() override;

private:
    void buildPageHeader();
    void buildColumnHeader();
    void buildDomainBands();
    void buildDetail();
    void buildSummary();
    void fillPageHeader(report::Band &band) const;
    void fillDetail(report::Band &band, const checklist::QuestionPair &pair);
    void fillDomainFooter(report::Band &band);
    void fillSummary(report::Band &band);
    void drawChart(report::Band &band) const;

    const checklist::DomainComparison &domainPrinting() const;

    TestStore m_store;
    ListRows<checklist::QuestionPair> m_rows;
    QHash<QString, QString> m_heading; // element name -> text
    TestIdentity m_earlier;
    TestIdentity m_later;
    std::optional<CaseSummary> m_case;
    checklist::TestComparison m_comparison;
    QHash<int, QString> m_domainNames;
    // The domain whose questions are printing.
    int m_domain = 0;
    std::size_t m_summaryElements = 0;
};

} // namespace simat
