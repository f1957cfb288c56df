#pragma once

#include "report_engine/report.h"

#include <QDate>

class QWidget;

namespace simat {

// The texts a case inquiry searched for, one per criterion; empty where none was typed.
struct CaseSearchTexts {
    QString name;
    QString idNo;
    QString guardianName;
    QString homePhone;
    QString mobile;
};

// The printed list of cases: code, name, address, phones, birth date, age and gender, one line
// each, under a title that says how the list was chosen and the number of cases.
class TStudentsReportForm : public report::Report {
    Q_OBJECT
public:
    explicit TStudentsReportForm(QObject *parent = nullptr);

    // Lays the cases `rows` out under `title`.
    void setRows(DataSource *rows, const QString &title);
    // Shows the preview of the cases `rows` under `title` over `over`, modally.
    void previewRows(DataSource *rows, const QString &title, QWidget *over);

    // The title of every case of the branch.
    static QString plainTitle();
    // The title of the cases found by the first text searched for, in the order of the
    // fields; the plain title when none was.
    static QString titleOf(const CaseSearchTexts &searched);
    // "ذكر" for 1, "أنثى" for 2, nothing for any other.
    static QString genderWord(int gender);

protected:
    void beforeRun() override;

private:
    void buildPageHeader();
    void buildColumnHeader();
    void buildDetail();
    void fillRow(report::Band &band) const;

    QString m_title;
    int m_count = 0;
    QDate m_today;
};

} // namespace simat
