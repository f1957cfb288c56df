#include "measure_diagonsis.h"

#include "case_measuers_list.h"
#include "core/age.h"
#include "core/checklist.h"
#include "core/error.h"
#include "core/hijri.h"
#include "core/numbers.h"
#include "data/dm.h"
#include "data/test_identity.h"
#include "reports/test_report_common.h"
#include "ui/action.h"
#include "ui/answer_grid.h"
#include "ui/global.h"
#include "ui/hijri_box.h"
#include "ui/messages.h"
#include "ui/screens.h"
#include "ui/search.h"
#include "ui_measure_diagonsis.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMenu>
#include <QScopedValueRollback>
#include <QScreen>
#include <QWindow>
#include <algorithm>

namespace simat {

namespace {

TMeasureDiagonsisForm *theInstance = nullptr;

const QString unsavedQuestion =
    QStringLiteral("تأكد من أنك قمت بحفظ البيانات قبل الاستمرار - هل تريد الاستمرار بدون حفظ "
                   "البيانات؟");
const QString unknownCase = QStringLiteral("رقم هوية / إقامة غير مُسجل على النظام");

QString shownNumber(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

} // namespace

TMeasureDiagonsisForm::TMeasureDiagonsisForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::MeasureDiagonsisForm>())
{
    theInstance = this;
    ui->setupUi(this);
    FormCreate();
    connectControls();
    installFunctionKeys();
}

TMeasureDiagonsisForm::~TMeasureDiagonsisForm()
{
    if (theInstance == this)
        theInstance = nullptr;
}

TMeasureDiagonsisForm *TMeasureDiagonsisForm::instance()
{
    return theInstance;
}

QTableView *TMeasureDiagonsisForm::grid() const
{
    return ui->SGmeas_diag;
}

bool TMeasureDiagonsisForm::hasUnsavedAnswers() const
{
    return m_answers->hasUnsavedAnswers();
}

void TMeasureDiagonsisForm::FormCreate()
{
    QTableView *grid = ui->SGmeas_diag;
    m_answers = new AnswersModel(this);
    showAnswerGrid(grid, m_answers);
    connect(m_answers, &AnswersModel::answered, this,
            guarded(this, [this] { showDomainResults(); }));
    grid->horizontalHeader()->setMinimumSectionSize(0);
    const int widths[] = {34, 514, 47, 46, 44, 62, 0};
    for (int column = 0; column < 7; ++column)
        grid->setColumnWidth(column, widths[column]);
    grid->setColumnHidden(6, true);
    grid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    // Each row is as tall as its wrapped question at the column's present width.
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ui->spFindStudent->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    ui->spFindTester->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    ui->spFindInfoSource->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    ui->spSave->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    ui->spNew->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    ui->spDelete->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    ui->spCloseRep->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    ui->spPrint->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    ui->spPrevMeas->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
    ui->spPrevMeas->setVisible(false);
    CurrentDomainButton = ui->SPCommunication;
    ui->SPCommunication->setChecked(true);
}

void TMeasureDiagonsisForm::connectControls()
{
    connect(ui->spNew, &QToolButton::clicked, this,
            guarded(this, &TMeasureDiagonsisForm::spNewClick));
    connect(ui->spSave, &QToolButton::clicked, this,
            guarded(this, &TMeasureDiagonsisForm::spSaveClick));
    connect(ui->spExit, &QToolButton::clicked, this,
            guarded(this, &TMeasureDiagonsisForm::spExitClick));
    connect(ui->spPrevMeas, &QToolButton::clicked, this,
            guarded(this, &TMeasureDiagonsisForm::spPrevMeasClick));
    connect(ui->spPrint, &QToolButton::clicked, this,
            guarded(this, &TMeasureDiagonsisForm::spPrintClick));
    connect(ui->spCloseRep, &QToolButton::clicked, this,
            guarded(this, &TMeasureDiagonsisForm::spCloseRepClick));
    connect(ui->spDelete, &QToolButton::clicked, this,
            guarded(this, &TMeasureDiagonsisForm::spDeleteClick));
    PMprint = new QMenu(this);
    PMprint->setObjectName(QStringLiteral("PMprint"));
    QAction *detailed = PMprint->addAction(QStringLiteral("تقرير تفصيلى"));
    detailed->setObjectName(QStringLiteral("N1"));
    QAction *summary = PMprint->addAction(QStringLiteral("تقرير ملخص"));
    summary->setObjectName(QStringLiteral("N2"));
    connect(detailed, &QAction::triggered, this, guarded(this, &TMeasureDiagonsisForm::N1Click));
    connect(summary, &QAction::triggered, this, guarded(this, &TMeasureDiagonsisForm::N2Click));
    ui->spPrint->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(
        ui->spPrint, &QWidget::customContextMenuRequested, this,
        guarded(this, [this](const QPoint &at) { PMprint->popup(ui->spPrint->mapToGlobal(at)); }));
    connect(ui->spFindStudent, &QToolButton::clicked, this,
            guarded(this, &TMeasureDiagonsisForm::spFindStudentClick));
    connect(ui->spFindTester, &QToolButton::clicked, this,
            guarded(this, &TMeasureDiagonsisForm::spFindTesterClick));
    connect(ui->spFindInfoSource, &QToolButton::clicked, this,
            guarded(this, &TMeasureDiagonsisForm::spFindInfoSourceClick));
    connect(ui->eStudentCode, &QLineEdit::textChanged, this,
            guarded(this, &TMeasureDiagonsisForm::eStudentCodeChange));
    connect(ui->eTesterCode, &QLineEdit::textChanged, this,
            guarded(this, &TMeasureDiagonsisForm::eTesterCodeChange));
    connect(ui->eInfoSourceCode, &QLineEdit::textChanged, this,
            guarded(this, &TMeasureDiagonsisForm::eInfoSourceCodeChange));
    connect(ui->DTbirthDate, &QDateEdit::dateChanged, this,
            guarded(this, &TMeasureDiagonsisForm::DTbirthDateChange));
    connect(ui->DTMeasDiagDate, &QDateEdit::dateChanged, this,
            guarded(this, &TMeasureDiagonsisForm::DTMeasDiagDateChange));
    connect(ui->emHajDate, &QLineEdit::editingFinished, this,
            guarded(this, &TMeasureDiagonsisForm::emHajDateExit));
    connect(ui->emMeasDiagHajDate, &QLineEdit::editingFinished, this,
            guarded(this, &TMeasureDiagonsisForm::emMeasDiagHajDateExit));
    for (QAbstractButton *domain : {static_cast<QAbstractButton *>(ui->SPCommunication),
                                    static_cast<QAbstractButton *>(ui->SPsocial),
                                    static_cast<QAbstractButton *>(ui->SPsensory),
                                    static_cast<QAbstractButton *>(ui->SPemotional),
                                    static_cast<QAbstractButton *>(ui->SPbehaviour)})
        connect(domain, &QAbstractButton::clicked, this,
                guarded(this, [this, domain] { domainClicked(domain); }));
}

int TMeasureDiagonsisForm::currentDomain() const
{
    const QAbstractButton *domains[] = {ui->SPCommunication, ui->SPsocial, ui->SPsensory,
                                        ui->SPemotional, ui->SPbehaviour};
    for (int i = 0; i < 5; ++i)
        if (domains[i] == CurrentDomainButton)
            return i + 1;
    return 1;
}

Age TMeasureDiagonsisForm::shownAge() const
{
    return ageOn(ui->DTbirthDate->date(), ui->DTMeasDiagDate->date());
}

QString TMeasureDiagonsisForm::testerClass() const
{
    return ui->eTesterClass->text();
}

QString TMeasureDiagonsisForm::infoSourceClass() const
{
    return ui->eInfo_source_class->text();
}

int TMeasureDiagonsisForm::shownTestNo() const
{
    return m_testNo;
}

void TMeasureDiagonsisForm::showTestNo(int number)
{
    m_testNo = number;
    ui->eMeasDiagNo->setText(QString::number(number));
}

QDate TMeasureDiagonsisForm::shownTestDate() const
{
    return ui->DTMeasDiagDate->date();
}

int TMeasureDiagonsisForm::shownCaseCode() const
{
    return wholeNumber(ui->eStudentCode->text(), QStringLiteral("كود الحالة"));
}

// ---------------------------------------------------------------- showing and leaving

void TMeasureDiagonsisForm::FormShow()
{
    fitToScreen();
    FirstShowPending = true;
    spNewClick();
    applyUserLevel();
}

// The window and its frame lie within the free area of the screen, beside its task bars.
void TMeasureDiagonsisForm::fitToScreen()
{
    // Until the window manager has framed the window, its frame is not known: a title bar and
    // borders of a usual size are assumed.
    const QMargins usualFrame(8, 32, 8, 8);
    QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (frame.isNull())
        frame = usualFrame;
    const QRect room = screen()->availableGeometry().marginsRemoved(frame);
    QRect client(geometry().topLeft(), size().boundedTo(room.size()));
    // A window larger than the room keeps its top left corner, and its title bar, on the screen.
    client.moveLeft(
        std::max(room.left(), std::min(client.left(), room.right() + 1 - client.width())));
    client.moveTop(
        std::max(room.top(), std::min(client.top(), room.bottom() + 1 - client.height())));
    setGeometry(client);
}

void TMeasureDiagonsisForm::applyUserLevel()
{
    const int level = globals().session.SessionUserLevel;
    const bool open = m_status != TestStatus::Closed;
    ui->spDelete->setVisible(level == 0 && open);
    ui->spCloseRep->setVisible(level == 0 && open);
    ui->spNew->setVisible(level != 3);
    ui->spSave->setVisible(level != 3 && open);
}

void TMeasureDiagonsisForm::spExitClick()
{
    close();
}

void TMeasureDiagonsisForm::closeEvent(QCloseEvent *event)
{
    if (hasUnsavedAnswers() && !messages::ask(unsavedQuestion, this)) {
        event->ignore();
        return;
    }
    TScreen::closeEvent(event);
}

bool TMeasureDiagonsisForm::confirmLeavingUnsaved(bool storedOpenTest)
{
    if (!storedOpenTest && !hasUnsavedAnswers())
        return true;
    return messages::ask(unsavedQuestion, this);
}

// ---------------------------------------------------------------- New

void TMeasureDiagonsisForm::spNewClick()
{
    runNew(true);
}

bool TMeasureDiagonsisForm::runNew(bool offerSameCase)
{
    if (FirstShowPending || JustSaved || NewTestSameCase) {
        FirstShowPending = false;
        NewTestSameCase = false;
    } else {
        const bool storedOpenTest = m_status == TestStatus::Open;
        if (storedOpenTest || hasUnsavedAnswers()) {
            if (!confirmLeavingUnsaved(storedOpenTest))
                return false;
        } else {
            messages::beep();
        }
    }
    // A closed test however it was reached, from the picker, the case's load or its tests list.
    const bool closedTestShown = m_status == TestStatus::Closed;
    ui->GRBcase_desc->setTitle(QStringLiteral("قائمة الأسئلة"));
    showTestNo(0);
    setDateQuietly(ui->DTMeasDiagDate, QDate::currentDate());
    ui->emMeasDiagHajDate->setText(hijri::fromGregorian(QDate::currentDate()));
    resetResults();

    bool keepCase = offerSameCase && closedTestShown && !globals().StartTestFromMenu;
    if (keepCase) {
        Statement *open = TDataModule1::instance()->FindStudentMeasByStatusQuery;
        open->setParam(QStringLiteral("stud_code"), shownCaseCode());
        open->setParam(QStringLiteral("test_status"), 1);
        open->open();
        keepCase = open->isEmpty();
    }
    if (!keepCase) {
        clearCase();
    } else if (messages::ask(QStringLiteral("هل تريد إجراء اختبار جديد لنفس الحالة؟"), this)) {
        NewTestSameCase = true;
        setStatus(TestStatus::New);
    }
    clearSourceAndTester();
    ui->spFindTester->setVisible(true);
    ui->spSave->setVisible(true);
    ui->spFindInfoSource->setVisible(true);

    Statement *questions = TDataModule1::instance()->GetMeasureDiagGroupItemsQuery;
    ClearGridCells(m_answers);
    questions->setParam(QStringLiteral("ques_group"), 1);
    FillQuestionRows(m_answers, questions);
    if (JustSaved) {
        JustSaved = false;
    } else {
        CurrentDomainButton = ui->SPCommunication;
        ui->SPCommunication->setChecked(true);
        loadCaseAndTest();
    }
    applyUserLevel();
    return true;
}

void TMeasureDiagonsisForm::loadTestOnNextLoad(int testNo, const QDate &testDate)
{
    m_chosenTestNo = testNo;
    m_chosenTestDate = testDate;
    OpenedFromTestList = true;
}

// Without a case, no test of it stays chosen: a case typed next shows its own latest test.
void TMeasureDiagonsisForm::clearCase()
{
    OpenedFromTestList = false;
    {
        const QSignalBlocker quiet(ui->eStudentCode);
        ui->eStudentCode->setText(QStringLiteral("0"));
    }
    ui->eStudentName->clear();
    setDateQuietly(ui->DTbirthDate, QDate::currentDate());
    ui->emHajDate->setText(hijri::fromGregorian(QDate::currentDate()));
    for (QLabel *age : {ui->Lage_years, ui->Lage_months, ui->Lage_days})
        age->clear();
    ui->eMainStreet->clear();
    ui->eHomePhoneNo->clear();
    ui->eMobileNo->clear();
    ui->eSchoolName->clear();
    setStatus(TestStatus::New);
    ui->spPrevMeas->setVisible(false);
}

void TMeasureDiagonsisForm::clearSourceAndTester()
{
    for (QLineEdit *code : {ui->eInfoSourceCode, ui->eTesterCode}) {
        const QSignalBlocker quiet(code);
        code->setText(QStringLiteral("0"));
    }
    for (QLineEdit *box :
         {ui->eInfoSourceName, ui->eInfo_source_class, ui->eTesterName, ui->eTesterClass})
        box->clear();
}

void TMeasureDiagonsisForm::resetResults()
{
    for (QLabel *result : {ui->STtot_case_group_mark, ui->STtot_group_mark, ui->STgroup_perc,
                           ui->STtot_case_mark, ui->STtot_meas_mark, ui->STmeas_perc})
        result->setText(QStringLiteral("0"));
    ui->Lgroup_comment->clear();
    ui->Lmeas_comment->clear();
}

// ---------------------------------------------------------------- the load

void TMeasureDiagonsisForm::domainClicked(QAbstractButton *button)
{
    if (hasUnsavedAnswers() && !messages::ask(unsavedQuestion, this)) {
        CurrentDomainButton->setChecked(true);
        return;
    }
    CurrentDomainButton = button;
    button->setChecked(true);
    // A test not yet saved keeps its date, school, source and tester from domain to domain.
    const QScopedValueRollback keepHeader(m_keepNewTestHeader, m_status == TestStatus::New);
    loadCaseAndTest();
}

void TMeasureDiagonsisForm::eStudentCodeChange()
{
    const QString code = ui->eStudentCode->text().trimmed();
    if (!code.isEmpty() && code != QLatin1String("0"))
        loadCaseAndTest();
}

void TMeasureDiagonsisForm::loadCaseAndTest()
{
    TDataModule1 *dm = TDataModule1::instance();
    ui->GRBcase_desc->setTitle(QStringLiteral("قائمة أسئلة ") + CurrentDomainButton->text());
    ClearGridCells(m_answers);
    dm->GetMeasureDiagGroupItemsQuery->setParam(QStringLiteral("ques_group"), currentDomain());
    FillQuestionRows(m_answers, dm->GetMeasureDiagGroupItemsQuery);

    const QString codeText = ui->eStudentCode->text().trimmed();
    dm->FindStudentByCodeQuery->setParam(QStringLiteral("stud_code"),
                                         wholeNumber(codeText, QStringLiteral("كود الحالة")));
    dm->FindStudentByCodeQuery->open();
    if (codeText != QLatin1String("0") && dm->FindStudentByCodeQuery->isEmpty()) {
        messages::info(unknownCase, this);
        return;
    }
    showCaseRow();
    dm->FindStudTestHdrAllQuery->setParam(QStringLiteral("stud_code"),
                                          dm->FindStudentByCodeQuery->intValue("stud_code"));
    dm->FindStudTestHdrAllQuery->open();
    ui->spPrevMeas->setVisible(dm->FindStudTestHdrAllQuery->rowCount() >= 2);
    chooseTest();
    if (!dm->FindStudTestAllQuery->isEmpty() && !NewTestSameCase)
        showChosenTest();
    else
        showNewTest();
    showTestAnswers();
    showDomainResults();
    showChecklistResults();
    ui->eSchoolName->setFocus();
}

void TMeasureDiagonsisForm::showCaseRow()
{
    const Statement *found = TDataModule1::instance()->FindStudentByCodeQuery;
    const bool known = !TDataModule1::instance()->FindStudentByCodeQuery->isEmpty();
    {
        const QSignalBlocker quiet(ui->eStudentCode);
        ui->eStudentCode->setText(QString::number(known ? found->intValue("stud_code") : 0));
    }
    ui->eStudentName->setText(found->textValue(QStringLiteral("stud_name")));
    const QDate birth = found->dateValue(QStringLiteral("stud_birth_date"));
    setDateQuietly(ui->DTbirthDate, known && birth.isValid() ? birth : QDate::currentDate());
    DTbirthDateChange();
    ui->eMainStreet->setText(found->textValue(QStringLiteral("stud_main_street")));
    ui->eHomePhoneNo->setText(found->textValue(QStringLiteral("stud_guard_home_phone_no")));
    ui->eMobileNo->setText(found->textValue(QStringLiteral("stud_guard_mobile_no")));
}

void TMeasureDiagonsisForm::chooseTest()
{
    TDataModule1 *dm = TDataModule1::instance();
    Statement *tests = dm->FindStudTestAllQuery;
    tests->setLine(3, OpenedFromTestList
                          ? QStringLiteral("and a.branch_no=:branch_no and a.test_no=:test_no")
                          : QString());
    tests->setLine(4,
                   OpenedFromTestList ? QStringLiteral("and a.test_date=:test_date") : QString());
    bindTestIdentity(*tests, {globals().CurrentBranchNo, m_chosenTestNo, m_chosenTestDate,
                              dm->FindStudentByCodeQuery->intValue("stud_code")});
    tests->open();
}

void TMeasureDiagonsisForm::showChosenTest()
{
    const Statement *test = TDataModule1::instance()->FindStudTestAllQuery;
    showTestNo(test->intValue(QStringLiteral("test_no")));
    m_loadedTestDate = test->dateValue(QStringLiteral("test_date"));
    setDateQuietly(ui->DTMeasDiagDate, m_loadedTestDate);
    DTMeasDiagDateChange();
    ui->eSchoolName->setText(test->textValue(QStringLiteral("school_name")));
    for (auto [code, column] : {std::pair{ui->eInfoSourceCode, "info_source_id"},
                                std::pair{ui->eTesterCode, "tester_id"}}) {
        const QSignalBlocker quiet(code);
        code->setText(test->textValue(QLatin1String(column)));
    }
    eInfoSourceCodeChange();
    eTesterCodeChange();
    setStatus(test->intValue(QStringLiteral("test_status")) == 1 ? TestStatus::Open
                                                                 : TestStatus::Closed);
}

void TMeasureDiagonsisForm::showNewTest()
{
    showTestNo(0);
    m_loadedTestDate = QDate();
    setStatus(TestStatus::New);
    if (m_keepNewTestHeader)
        return;
    setDateQuietly(ui->DTMeasDiagDate, QDate::currentDate());
    DTMeasDiagDateChange();
    ui->eSchoolName->clear();
    clearSourceAndTester();
}

void TMeasureDiagonsisForm::showTestAnswers()
{
    TDataModule1 *dm = TDataModule1::instance();
    const Statement *test = dm->FindStudTestAllQuery;
    dm->ResultQuery = dm->FindStudTestGroupQuery;
    Statement *answers = dm->ResultQuery;
    const TestIdentity shown{globals().CurrentBranchNo, test->intValue(QStringLiteral("test_no")),
                             test->dateValue(QStringLiteral("test_date")),
                             dm->FindStudentByCodeQuery->intValue(QStringLiteral("stud_code"))};
    bindTestIdentity(*answers, shown);
    answers->setParam(QStringLiteral("ques_group"), currentDomain());
    ClearGridCells(m_answers);
    FillQuestionRows(m_answers, dm->GetMeasureDiagGroupItemsQuery);
    if (NewTestSameCase)
        return;
    FillAnsweredRows(m_answers, answers);
    bindTestIdentity(*dm->GetStudentMeasTotalMarksQuery, shown);
    dm->GetStudentMeasTotalMarksQuery->open();
}

// An empty domain or an empty checklist has no greatest mark: it shows 0.00 and no verdict. A
// verdict judges complete answers only; until then its label says how far the test is.
void TMeasureDiagonsisForm::showDomainResults()
{
    const int questions = m_answers->rowCount();
    const double groupMark = SumGridColumn(m_answers, AnswersModel::MarkColumn);
    const int groupGreatest = checklist::greatestMarks(questions);
    ui->STtot_case_group_mark->setText(shownNumber(groupMark, 0));
    ui->STtot_group_mark->setText(QString::number(groupGreatest));
    ui->STgroup_perc->setText(shownNumber(checklist::rate(groupMark, groupGreatest), 2));
    // The verdicts judge the rates as shown, rounded to two places.
    ui->Lgroup_comment->setText(checklist::screenDomainResult(
        ui->STgroup_perc->text().toDouble(), CurrentDomainButton->text(),
        m_answers->answeredCount(), questions));
}

// The whole checklist's figures are those of the stored rows.
void TMeasureDiagonsisForm::showChecklistResults()
{
    const Statement *totals = TDataModule1::instance()->GetStudentMeasTotalMarksQuery;
    const bool stored = shownTestNo() != 0 && !NewTestSameCase;
    const int testMark = stored ? totals->intValue(QStringLiteral("case_meas_tot_mark")) : 0;
    const int answered = stored ? totals->intValue(QStringLiteral("answered_ques_count")) : 0;
    const int questions = globals().ChecklistQuestionCount;
    const int testGreatest = checklist::greatestMarks(questions);
    ui->STtot_case_mark->setText(QString::number(testMark));
    ui->STtot_meas_mark->setText(QString::number(testGreatest));
    ui->STmeas_perc->setText(shownNumber(checklist::rate(testMark, testGreatest), 2));
    ui->Lmeas_comment->setText(
        checklist::screenChecklistResult(ui->STmeas_perc->text().toDouble(), answered, questions));
}

void TMeasureDiagonsisForm::setStatus(TestStatus status)
{
    m_status = status;
    const bool open = status != TestStatus::Closed;
    ui->lTestStatus->setText(checklist::testStatusWord(open));
    ui->lTestStatus->setStyleSheet(open
                                       ? QStringLiteral("color: rgb(0,128,0); font-weight: bold;")
                                       : QStringLiteral("color: rgb(255,0,0); font-weight: bold;"));
    m_answers->setReadOnly(!open);
    ui->spFindInfoSource->setVisible(open);
    ui->spFindTester->setVisible(open);
    applyUserLevel();
}

// ---------------------------------------------------------------- lookups

// The picker writes the chosen row into the pair of boxes quietly, and the screen loads what
// the code names itself.
void TMeasureDiagonsisForm::pickInto(const QString &table, QObject *button, QLineEdit *nameBox,
                                     QLineEdit *codeBox, void (TMeasureDiagonsisForm::*load)())
{
    TSearchForm::pick({table,
                       {},
                       {},
                       button,
                       [this, nameBox, codeBox, load](const QString &code, const QString &name) {
                           nameBox->setText(name);
                           {
                               const QSignalBlocker quiet(codeBox);
                               codeBox->setText(code);
                           }
                           (this->*load)();
                           return AfterChoice::Close;
                       }});
}

void TMeasureDiagonsisForm::spFindStudentClick()
{
    if (hasUnsavedAnswers() && !messages::ask(unsavedQuestion, this))
        return;
    NewTestSameCase = false;
    OpenedFromTestList = false;
    pickInto(QStringLiteral("student"), ui->spFindStudent, ui->eStudentName, ui->eStudentCode,
             &TMeasureDiagonsisForm::eStudentCodeChange);
}

void TMeasureDiagonsisForm::spFindTesterClick()
{
    pickInto(QStringLiteral("tester"), ui->spFindTester, ui->eTesterName, ui->eTesterCode,
             &TMeasureDiagonsisForm::eTesterCodeChange);
}

void TMeasureDiagonsisForm::spFindInfoSourceClick()
{
    pickInto(QStringLiteral("info_source"), ui->spFindInfoSource, ui->eInfoSourceName,
             ui->eInfoSourceCode, &TMeasureDiagonsisForm::eInfoSourceCodeChange);
}

void TMeasureDiagonsisForm::showLookupWithClass(Statement *query, const QString &line,
                                                const QString &code, const char *nameColumn,
                                                const char *classColumn, QLineEdit *nameBox,
                                                QLineEdit *classBox)
{
    query->setLine(3, line);
    query->setParam(QStringLiteral("param_1"), wholeNumber(code, QStringLiteral("الكود")));
    query->open();
    nameBox->setText(query->textValue(QLatin1String(nameColumn)));
    classBox->setText(query->textValue(QLatin1String(classColumn)));
}

void TMeasureDiagonsisForm::eTesterCodeChange()
{
    const QString code = ui->eTesterCode->text().trimmed();
    if (code.isEmpty())
        return;
    showLookupWithClass(TDataModule1::instance()->TestersQuery, QStringLiteral("and tester_id"),
                        code, "tester_name", "tester_class_name", ui->eTesterName,
                        ui->eTesterClass);
}

void TMeasureDiagonsisForm::eInfoSourceCodeChange()
{
    const QString code = ui->eInfoSourceCode->text().trimmed();
    if (code.isEmpty())
        return;
    showLookupWithClass(TDataModule1::instance()->InfoSourceQuery,
                        QStringLiteral("and info_source_id"), code, "info_source_name",
                        "info_source_class_name", ui->eInfoSourceName, ui->eInfo_source_class);
}

// ---------------------------------------------------------------- dates and age

void TMeasureDiagonsisForm::setDateQuietly(QWidget *picker, const QDate &date)
{
    auto *edit = static_cast<QDateEdit *>(picker);
    const QSignalBlocker quiet(edit);
    edit->setDate(date);
}

void TMeasureDiagonsisForm::DTbirthDateChange()
{
    ui->emHajDate->setText(hijri::fromGregorian(ui->DTbirthDate->date()));
    const Age age = ageOn(ui->DTbirthDate->date(), ui->DTMeasDiagDate->date());
    ui->Lage_years->setText(QString::number(age.years));
    ui->Lage_months->setText(QString::number(age.months));
    ui->Lage_days->setText(QString::number(age.days));
}

void TMeasureDiagonsisForm::DTMeasDiagDateChange()
{
    ui->emMeasDiagHajDate->setText(hijri::fromGregorian(ui->DTMeasDiagDate->date()));
    if (ui->DTbirthDate->date() > ui->DTMeasDiagDate->date()) {
        setDateQuietly(ui->DTMeasDiagDate, QDate::currentDate());
        ui->emMeasDiagHajDate->setText(hijri::fromGregorian(QDate::currentDate()));
        for (QLabel *age : {ui->Lage_years, ui->Lage_months, ui->Lage_days})
            age->setText(QStringLiteral("0"));
        return;
    }
    DTbirthDateChange();
    const Age age = ageOn(ui->DTbirthDate->date(), ui->DTMeasDiagDate->date());
    const bool tooOld = age.years > 8 || (age.years == 8 && (age.months > 0 || age.days > 0));
    if (!tooOld)
        return;
    messages::info(QStringLiteral("سن الحالة يجب ألا يزيد عن 8 سنوات"), this);
    setDateQuietly(ui->DTMeasDiagDate, QDate::currentDate());
    ui->emMeasDiagHajDate->setText(hijri::fromGregorian(QDate::currentDate()));
    DTbirthDateChange();
}

// What is stored is always the conversion of the Gregorian test date, whatever the Hijri box
// holds at the moment of the save.
QString TMeasureDiagonsisForm::storedHijriTestDate() const
{
    return hijri::fromGregorian(shownTestDate());
}

void TMeasureDiagonsisForm::emHajDateExit()
{
    enterHijriDate(ui->emHajDate, ui->DTbirthDate, this);
}

void TMeasureDiagonsisForm::emMeasDiagHajDateExit()
{
    enterHijriDate(ui->emMeasDiagHajDate, ui->DTMeasDiagDate, this);
}

// ---------------------------------------------------------------- save

bool TMeasureDiagonsisForm::validateForSave()
{
    const auto refuse = [this](const QString &text) {
        messages::info(text, this);
        return false;
    };
    if (ui->eStudentCode->text().trimmed() == QLatin1String("0"))
        return refuse(QStringLiteral("إختار حالة"));
    if (ui->eInfoSourceCode->text().trimmed() == QLatin1String("0"))
        return refuse(QStringLiteral("إختار مصدر المعلومات"));
    if (ui->eTesterCode->text().trimmed() == QLatin1String("0"))
        return refuse(QStringLiteral("إختار القائم بالاختبار"));
    if (ui->eSchoolName->text().isEmpty() &&
        !messages::ask(QStringLiteral("لم يتم كتابة اسم المدرسة - هل بالغعل تريد الاستمرار؟"),
                       this)) {
        ui->eSchoolName->setFocus();
        return false;
    }
    return true;
}

void TMeasureDiagonsisForm::spSaveClick()
{
    if (m_status == TestStatus::Closed || !validateForSave())
        return;
    NewTestSameCase = false;
    const bool existing = shownTestNo() != 0;
    int newNumber = 0;
    Database &database = TDataModule1::instance()->Database1;
    if (!database.inTransaction([&] { saveTest(existing, newNumber); })) {
        messages::error(QStringLiteral("خطأ أثناء الحفظ"), database.lastFailure(), this);
        return;
    }
    if (!existing)
        showTestNo(newNumber);
    const int savedNo = shownTestNo();
    const QDate savedDate = shownTestDate();
    SavedCaseCode = ui->eStudentCode->text();
    JustSaved = true;
    runNew(true);
    // The load shows the test just saved, also when the case has a later one.
    loadTestOnNextLoad(savedNo, savedDate);
    {
        const QSignalBlocker quiet(ui->eStudentCode);
        ui->eStudentCode->setText(SavedCaseCode);
    }
    loadCaseAndTest();
    messages::info(QStringLiteral("تم حفظ التعديلات بنجاح"), this);
}

// A new test takes the next number of its branch in the year of its date, the year the
// register keeps each number unique in.
void TMeasureDiagonsisForm::saveTest(bool existing, int &newNumber)
{
    TDataModule1 *dm = TDataModule1::instance();
    if (!existing) {
        const int branch = globals().CurrentBranchNo;
        dm->GetSerialQuery->setParam(QStringLiteral("param1"), shownTestDate().year());
        dm->GetSerialQuery->setParam(QStringLiteral("param2"), branch);
        newNumber = dm->nextSerial(QStringLiteral("test_no"), QStringLiteral("test_hdr"),
                                   QStringLiteral("where year(test_date)=:param1 and "
                                                  "branch_no=:param2"));
        const TestIdentity test{branch, newNumber, shownTestDate(), shownCaseCode()};
        bindHeader(dm->AddNewStudentMeasDiagHdr, test, true);
        dm->AddNewStudentMeasDiagHdr->exec();
        for (int row = 0; row < m_answers->rowCount(); ++row) {
            bindDetailRow(dm->AddNewStudentMeasDiagDtl, test, row, true);
            dm->AddNewStudentMeasDiagDtl->exec();
        }
        return;
    }
    const TestIdentity loaded = storedTest();
    bindHeader(dm->UpdateStudentMeasDiagHdr, loaded, false);
    if (dm->UpdateStudentMeasDiagHdr->exec() != 1)
        throw Error(QStringLiteral("الاختبار غير موجود"));
    if (loaded.testDate != shownTestDate()) {
        bindHeader(dm->MoveStudMeasDtlDate, loaded, false);
        dm->MoveStudMeasDtlDate->exec();
    }
    TestIdentity test = loaded;
    test.testDate = shownTestDate();
    Statement *find = dm->FindTestQuesQuery;
    for (int row = 0; row < m_answers->rowCount(); ++row) {
        bindDetailRow(find, test, row, false);
        find->open();
        const bool stored = !find->isEmpty();
        find->close();
        Statement *write = stored ? dm->UpdateStudentMeasDiagDtl : dm->AddNewStudentMeasDiagDtl;
        bindDetailRow(write, test, row, !stored);
        write->exec();
    }
}

// The test the statement names, and the values on screen (an update gives it the shown date).
void TMeasureDiagonsisForm::bindHeader(Statement *statement, const TestIdentity &test, bool insert)
{
    const int user = globals().session.SessionUserCode;
    bindTestIdentity(*statement, test);
    statement->setParam(QStringLiteral("new_test_date"), shownTestDate());
    statement->setParam(QStringLiteral("test_haj_date"), storedHijriTestDate());
    statement->setParam(QStringLiteral("tester_id"),
                        wholeNumber(ui->eTesterCode->text(), QStringLiteral("القائم بالاختبار")));
    statement->setParam(QStringLiteral("info_source_id"),
                        wholeNumber(ui->eInfoSourceCode->text(), QStringLiteral("مصدر المعلومات")));
    statement->setParam(QStringLiteral("school_name"), ui->eSchoolName->text());
    statement->setParam(QStringLiteral("notes"), QString());
    statement->setParam(QStringLiteral("entry_date"), QDate::currentDate());
    statement->setParam(QStringLiteral("entry_type"), insert ? 1 : 2);
    statement->setParam(QStringLiteral("test_status"), 1);
    statement->setParam(QStringLiteral("who_insert"), user);
    statement->setParam(QStringLiteral("who_update"), insert ? 0 : user);
}

void TMeasureDiagonsisForm::bindDetailRow(Statement *statement, const TestIdentity &test, int row,
                                          bool insert)
{
    const AnsweredQuestion &question = m_answers->questions().at(row);
    const int user = globals().session.SessionUserCode;
    bindTestIdentity(*statement, test);
    statement->setParam(QStringLiteral("test_haj_date"), storedHijriTestDate());
    statement->setParam(QStringLiteral("ques_group"), question.domain);
    statement->setParam(QStringLiteral("ques_id"), question.id);
    statement->setParam(QStringLiteral("ques_ans_val"), checklist::storedWord(question.answer));
    statement->setParam(QStringLiteral("ques_mark"), checklist::markOf(question.answer));
    statement->setParam(QStringLiteral("notes"), QString());
    statement->setParam(QStringLiteral("entry_date"), QDate::currentDate());
    statement->setParam(QStringLiteral("entry_type"), 1);
    statement->setParam(QStringLiteral("ques_status"), 1);
    statement->setParam(QStringLiteral("who_insert"), user);
    statement->setParam(QStringLiteral("who_update"), insert ? 0 : user);
}

// ---------------------------------------------------------------- print, close, delete

// A stored test is named by the date it was stored under, not a date typed since.
TestIdentity TMeasureDiagonsisForm::storedTest() const
{
    return {globals().CurrentBranchNo, shownTestNo(),
            m_loadedTestDate.isValid() ? m_loadedTestDate : shownTestDate(), shownCaseCode()};
}

void TMeasureDiagonsisForm::bindStoredTest(Statement *statement) const
{
    bindTestIdentity(*statement, storedTest());
}

// Judged on the stored rows: every question has a row and none is unanswered.
bool TMeasureDiagonsisForm::storedTestIsComplete() const
{
    TDataModule1 *dm = TDataModule1::instance();
    bindStoredTest(dm->FindStudMeasQuesCountQyery);
    dm->FindStudMeasQuesCountQyery->open();
    const int stored = dm->FindStudMeasQuesCountQyery->intValue(QStringLiteral("count_of_ques"));
    if (stored != globals().ChecklistQuestionCount)
        return false;
    bindStoredTest(dm->FindStudMeasNonAnswerQuesCountQyery);
    dm->FindStudMeasNonAnswerQuesCountQyery->open();
    return dm->FindStudMeasNonAnswerQuesCountQyery->intValue(
               QStringLiteral("count_of_non_ans_ques")) == 0;
}

bool TMeasureDiagonsisForm::printable()
{
    if (shownTestNo() == 0) {
        messages::info(QStringLiteral("لاتوجد بيانات للطباعة"), this);
        return false;
    }
    if (!storedTestIsComplete()) {
        messages::info(QStringLiteral("توجد أسئلة لم يتم إجابتها - برجاء إجابة جميع الأسئلة قبل  "
                                      "الطباعة"),
                       this);
        return false;
    }
    return true;
}

void TMeasureDiagonsisForm::printReport(Statement *rows, const char *reportName)
{
    if (!printable())
        return;
    bindStoredTest(rows);
    rows->open();
    auto *report = screens::object<TTestReport>(QLatin1String(reportName));
    report->setShownFields(shownAge(), testerClass(), infoSourceClass());
    report->preview(this);
}

void TMeasureDiagonsisForm::spPrintClick()
{
    printReport(TDataModule1::instance()->StudMeasQuery, "MeasDiagReportForm");
}

void TMeasureDiagonsisForm::N1Click()
{
    spPrintClick();
}

void TMeasureDiagonsisForm::N2Click()
{
    printReport(TDataModule1::instance()->StudMeasSummaryQuery, "MeasDiagSummaryReportForm");
}

void TMeasureDiagonsisForm::spCloseRepClick()
{
    if (shownTestNo() == 0) {
        messages::info(QStringLiteral("اختار اختبار لإغلاقه"), this, messages::Sound::Silent);
        return;
    }
    if (!storedTestIsComplete()) {
        messages::info(QStringLiteral("توجد أسئلة لم يتم إجابتها - برجاء إجابة جميع الأسئلة قبل "
                                      "إغلاق الاختبار"),
                       this);
        return;
    }
    if (!confirmLeavingUnsaved(false))
        return;
    if (!messages::ask(QStringLiteral("بعد إغلاق الاختبار لن يمكنك التعديل على أى بيان من "
                                      "بياناته - برجاء مراجعة صحة جميع البيانات قبل الإغلاق - هل "
                                      "بالفعل تريد إغلاق الاختبار؟"),
                       this))
        return;
    TDataModule1 *dm = TDataModule1::instance();
    const bool closed = dm->Database1.inTransaction([&] {
        bindStoredTest(dm->CloseStudMeas);
        if (dm->CloseStudMeas->exec() != 1)
            throw Error(QStringLiteral("الاختبار غير موجود"));
    });
    if (!closed) {
        messages::error(QStringLiteral("حدث خطأ أثناء إغلاق الاختبار"), dm->Database1.lastFailure(),
                        this);
        return;
    }
    // The screen shows what was closed: the stored answers, read-only.
    loadCaseAndTest();
    messages::info(QStringLiteral("تم إغلاق الاختبار بنجاح"), this);
}

void TMeasureDiagonsisForm::spDeleteClick()
{
    if (shownTestNo() == 0) {
        messages::info(QStringLiteral("اختار اختبار لإلغائه"), this, messages::Sound::Silent);
        return;
    }
    if (!messages::ask(QStringLiteral("لن يمكنك التراجع عن الإلغاء - هل بالفعل تريد الإلغاء؟"),
                       this))
        return;
    TDataModule1 *dm = TDataModule1::instance();
    const bool deleted = dm->Database1.inTransaction([&] {
        bindStoredTest(dm->DeleteStudMeasHdr);
        if (dm->DeleteStudMeasHdr->exec() != 1)
            throw Error(QStringLiteral("الاختبار غير موجود"));
        bindStoredTest(dm->DeleteStudMeasDtl);
        dm->DeleteStudMeasDtl->exec();
    });
    if (!deleted) {
        messages::error(QStringLiteral("حدث خطأ أثناء إلغاء الاختبار"), dm->Database1.lastFailure(),
                        this);
        return;
    }
    JustSaved = true;
    runNew(true);
    messages::info(QStringLiteral("تم إلغاء الاختبار بنجاح"), this);
}

// ---------------------------------------------------------------- the case's tests

void TMeasureDiagonsisForm::spPrevMeasClick()
{
    const QString code = ui->eStudentCode->text().trimmed();
    if (code.isEmpty() || code == QLatin1String("0")) {
        messages::info(QStringLiteral("إختار حالة"), this);
        return;
    }
    TDataModule1 *dm = TDataModule1::instance();
    Statement *tests = dm->FindStudTestHdrAllQuery;
    tests->setParam(QStringLiteral("stud_code"),
                    dm->FindStudentByCodeQuery->intValue(QStringLiteral("stud_code")));
    tests->open();
    if (tests->isEmpty()) {
        messages::info(QStringLiteral("لاتوجد اختبارات لهذه الحالة"), this);
        return;
    }
    tests->first();
    if (tests->rowCount() == 1 && tests->intValue(QStringLiteral("test_no")) == shownTestNo() &&
        tests->dateValue(QStringLiteral("test_date")) == shownTestDate()) {
        messages::info(QStringLiteral("لاتوجد اختبارات أخرى لهذه الحالة بخلاف الاختبار المعروض"),
                       this);
        return;
    }
    auto *list = screens::find<TCaseMeasuresListForm>(QStringLiteral("CaseMeasuresListForm"));
    list->showCase(code, ui->eStudentName->text(), ui->DTbirthDate->date());
}

bool TMeasureDiagonsisForm::showTestFromList(int caseCode, int testNo, const QDate &testDate)
{
    QAbstractButton *domainButton = CurrentDomainButton;
    if (!runNew(false))
        return false;
    loadTestOnNextLoad(testNo, testDate);
    TDataModule1 *dm = TDataModule1::instance();
    dm->FindStudentByCodeQuery->setParam(QStringLiteral("stud_code"), caseCode);
    dm->FindStudentByCodeQuery->open();
    if (dm->FindStudentByCodeQuery->isEmpty()) {
        messages::info(unknownCase, this);
        return false;
    }
    CurrentDomainButton = domainButton;
    domainButton->setChecked(true);
    {
        const QSignalBlocker quiet(ui->eStudentCode);
        ui->eStudentCode->setText(QString::number(caseCode));
    }
    loadCaseAndTest();
    return true;
}

} // namespace simat
