#pragma once

#include "core/checklist_test.h"
#include "data/period_export.h"
#include "list_rows.h"
#include "report_engine/report.h"

#include <QDate>
#include <functional>
#include <optional>

class QWidget;

namespace simat {

// The tests of the branch dated in a period, one line each: the case, the date, the source and
// the tester, the questions answered and still waiting, the percentage and the recommendation;
// with the number of tests listed and of the cases that have tests.
class TAllCasesReport : public report::Report {
    Q_OBJECT
public:
    explicit TAllCasesReport(QObject *parent = nullptr);

    // Lists the period's tests and shows the preview over `over`, or says that the period has
    // none. A read that takes a while shows a progress window over `over`, whose Cancel stops
    // it (Stopped), the list left as it was. A period of more tests than fill the first pages
    // shows those pages before the rest is read.
    void run(const QDate &from, const QDate &to, QWidget *over);
    // What the filter says of a period without tests.
    static QString emptyPeriodText();
    // Lists the period's tests; false when it has none.
    bool listPeriod(const QDate &from, const QDate &to);
    // Lists the first tests of the period, as many as its first pages show.
    void listFirstLines(const QDate &from, const QDate &to);
    // "simat-all-tests-<from>-<to>.pdf".
    QString pdfFileName() const override;

protected:
    void beforeRun() override;

private:
    // A test as its line prints it.
    struct Line {
        QString caseName;
        QDate testDate;
        QString infoSourceName;
        QString testerName;
        checklist::Figures held;
        std::optional<QString> recommendation;
    };

    static Line lineOf(const period_export::PeriodTest &listed, int checklistQuestions);
    void buildPageHeader();
    void buildTable();
    void fillRow(report::Band &band);

    // The tests that the first pages list.
    static constexpr int firstLines = 256;

    void readLines(const QDate &from, const QDate &to, const std::function<void(Line line)> &take);
    void listPeriodWatched(const QDate &from, const QDate &to, QWidget *over);

    ListRows<Line> m_lines;
    // The tests of the period read so far by the list being read.
    int m_linesRead = 0;
    QDate m_from;
    QDate m_to;
    // The tests of the period, told in the heading: those listed, or 0 while the list holds
    // only its first lines and their number is not known.
    int m_testCount = 0;
    int AllCasesSerial = 0;
    int m_caseCount = 0;
};

} // namespace simat
