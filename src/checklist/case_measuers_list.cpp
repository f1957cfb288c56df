#include "case_measuers_list.h"

#include "measure_diagonsis.h"
#include "reports/case_course_report.h"
#include "reports/case_tests_compare_report.h"
#include "ui/action.h"
#include "ui/grid_model.h"
#include "ui_case_measuers_list.h"

#include <QHeaderView>

namespace simat {

// The case's tests, a row each: number, date and status, as the list's columns.
class TCaseMeasuresListForm::TestsModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setTests(QList<ChecklistTest> tests)
    {
        beginResetModel();
        m_tests = std::move(tests);
        endResetModel();
    }
    const ChecklistTest &test(int row) const { return m_tests.at(row); }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_tests.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : 3;
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        const ChecklistTest &shown = test(index.row());
        switch (index.column()) {
        case 0:
            return shown.identity.testNo;
        case 1:
            return shown.identity.testDate.toString(QStringLiteral("dd/MM/yyyy"));
        default:
            return checklist::storedCode(shown.status);
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, orientation, role);
        const char *titles[] = {"رقم الاختبار", "تاريخ الاختبار", "الحالة"};
        return QString::fromUtf8(titles[section]);
    }

private:
    QList<ChecklistTest> m_tests;
};

TCaseMeasuresListForm::TCaseMeasuresListForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::CaseMeasuresListForm>())
    , m_tests(new TestsModel(this))
{
    ui->setupUi(this);
    setWindowFlag(Qt::Tool);
    QTableView *list = ui->DBGstud_meas_list;
    list->setModel(m_tests);
    list->setColumnWidth(0, 110);
    list->setColumnWidth(1, 140);
    list->setColumnHidden(2, true);
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    chooseOnEnter(list, [this] { DBGstud_meas_listDblClick(); });
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(list, &QAbstractItemView::doubleClicked, this,
            guarded(this, &TCaseMeasuresListForm::DBGstud_meas_listDblClick));
    connect(ui->spExit, &QToolButton::clicked, this,
            guarded(this, &TCaseMeasuresListForm::spExitClick));
    ui->spCompare->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    connect(ui->spCompare, &QToolButton::clicked, this,
            guarded(this, &TCaseMeasuresListForm::spCompareClick));
    ui->spCourse->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    connect(ui->spCourse, &QToolButton::clicked, this,
            guarded(this, &TCaseMeasuresListForm::spCourseClick));
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { ui->spCompare->setEnabled(markedRows().size() == 2); });
    installFunctionKeys();
}

TCaseMeasuresListForm::~TCaseMeasuresListForm() = default;

void TCaseMeasuresListForm::showCase(const CaseSummary &shown, QList<ChecklistTest> tests)
{
    listCase(shown, std::move(tests));
    showScreen();
}

void TCaseMeasuresListForm::followCase(const CaseSummary &shown, QList<ChecklistTest> tests)
{
    if (tests.isEmpty()) {
        close();
        return;
    }
    if (!lists(shown.code, tests))
        listCase(shown, std::move(tests));
}

void TCaseMeasuresListForm::listCase(const CaseSummary &shown, QList<ChecklistTest> tests)
{
    m_tests->setTests(std::move(tests));
    ui->eStudentCode->setText(QString::number(shown.code));
    ui->eStudentName->setText(shown.name);
    ui->DTbirthDate->setDate(shown.birthDate);
    ui->DBGstud_meas_list->selectRow(0);
}

// The list shows these very tests of the case, as a double click or a comparison would use them.
bool TCaseMeasuresListForm::lists(int caseCode, const QList<ChecklistTest> &tests) const
{
    if (ui->eStudentCode->text() != QString::number(caseCode) ||
        tests.size() != m_tests->rowCount())
        return false;
    for (int row = 0; row < tests.size(); ++row) {
        const ChecklistTest &listed = m_tests->test(row);
        if (listed.identity != tests.at(row).identity || listed.status != tests.at(row).status)
            return false;
    }
    return true;
}

TestIdentity TCaseMeasuresListForm::testOfRow(int row) const
{
    return m_tests->test(row).identity;
}

QList<int> TCaseMeasuresListForm::markedRows() const
{
    QList<int> rows;
    for (const QModelIndex &row : ui->DBGstud_meas_list->selectionModel()->selectedRows())
        rows << row.row();
    return rows;
}

void TCaseMeasuresListForm::DBGstud_meas_listDblClick()
{
    const QModelIndex current = ui->DBGstud_meas_list->currentIndex();
    if (!current.isValid())
        return;
    if (TMeasureDiagonsisForm::instance()->showTestFromList(testOfRow(current.row())))
        close();
}

void TCaseMeasuresListForm::spCompareClick()
{
    const QList<int> rows = markedRows();
    if (rows.size() != 2)
        return;
    TCaseTestsCompareReport *report = TCaseTestsCompareReport::instance();
    report->compareTests(testOfRow(rows.at(0)), testOfRow(rows.at(1)));
    report->preview(this);
}

void TCaseMeasuresListForm::spCourseClick()
{
    TCaseCourseReport::instance()->previewCase(ui->eStudentCode->text().toInt(), this);
}

void TCaseMeasuresListForm::spExitClick()
{
    close();
}

} // namespace simat
