#include "measure_diagonsis.h"

#include "basic_data/audit_log_form.h"
#include "case_measuers_list.h"
#include "core/age.h"
#include "core/bidi.h"
#include "core/checklist.h"
#include "core/error.h"
#include "core/hijri.h"
#include "core/numbers.h"
#include "core/permissions.h"
#include "data/dm.h"
#include "data/test_store.h"
#include "reports/test_report_common.h"
#include "test_session.h"
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
#include <QKeyEvent>
#include <QMenu>
#include <QScopedValueRollback>
#include <QScreen>
#include <QWindow>
#include <algorithm>

namespace simat {

namespace {

TMeasureDiagonsisForm *theInstance = nullptr;

const QString unknownCase = QStringLiteral("رقم هوية / إقامة غير مُسجل على النظام");
const QString birthHijriField = QStringLiteral("تاريخ الميلاد الهجرى");
const QString testHijriField = QStringLiteral("تاريخ الاختبار الهجرى");

QString shownNumber(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

} // namespace

TMeasureDiagonsisForm::TMeasureDiagonsisForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::MeasureDiagonsisForm>())
    , m_store(std::make_unique<TestStore>(*TDataModule1::instance()))
    , m_session(std::make_unique<TestSession>())
{
    theInstance = this;
    ui->setupUi(this);
    FormCreate();
    connectControls();
    installFunctionKeys();
    moveOnEnter();
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
    return m_session->hasUnsavedAnswers();
}

void TMeasureDiagonsisForm::FormCreate()
{
    QTableView *grid = ui->SGmeas_diag;
    m_answers = new AnswersModel(this);
    showAnswerGrid(grid, m_answers);
    connect(m_answers, &AnswersModel::answered, this, guarded(this, [this] {
                m_session->answersChanged();
                showDomainResults();
            }));
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
    ui->spHistory->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    // Hidden below level 1, the button keeps its place: no other button moves.
    QSizePolicy keepsPlace = ui->spHistory->sizePolicy();
    keepsPlace.setRetainSizeWhenHidden(true);
    ui->spHistory->setSizePolicy(keepsPlace);
    ui->spPrevMeas->setVisible(false);
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
    connect(ui->spHistory, &QToolButton::clicked, this,
            guarded(this, &TMeasureDiagonsisForm::spHistoryClick));
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
    connect(ui->emMeasDiagHajDate, &QLineEdit::textChanged, this,
            [this](const QString &typed) { m_session->setHijriTestDate(typed); });
    connect(ui->emMeasDiagHajDate, &QLineEdit::textEdited, this, guarded(this, [this] {
                followCompleteHijriDate(ui->emMeasDiagHajDate, ui->DTMeasDiagDate);
            }));
    for (QLineEdit *hijriBox : {ui->emHajDate, ui->emMeasDiagHajDate})
        hijriBox->installEventFilter(this);
    connect(ui->eSchoolName, &QLineEdit::textChanged, this,
            [this](const QString &school) { m_session->header().school = school; });
    for (int domain = 1; domain <= domainButtons().size(); ++domain)
        connect(domainButton(domain), &QAbstractButton::clicked, this,
                guarded(this, [this, domain] { domainClicked(domain); }));
}

QList<QAbstractButton *> TMeasureDiagonsisForm::domainButtons() const
{
    return {ui->SPCommunication, ui->SPsocial, ui->SPsensory, ui->SPemotional, ui->SPbehaviour};
}

QAbstractButton *TMeasureDiagonsisForm::domainButton(int domain) const
{
    return domainButtons().value(domain - 1, ui->SPCommunication);
}

int TMeasureDiagonsisForm::currentDomain() const
{
    return m_session->domain();
}

TMeasureDiagonsisForm::TestStatus TMeasureDiagonsisForm::testStatus() const
{
    return m_session->status();
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
    return m_session->test().identity.testNo;
}

void TMeasureDiagonsisForm::showTestNo(int number)
{
    ui->eMeasDiagNo->setText(QString::number(number));
}

QDate TMeasureDiagonsisForm::shownTestDate() const
{
    return ui->DTMeasDiagDate->date();
}

int TMeasureDiagonsisForm::shownCaseCode() const
{
    return m_session->caseCode();
}

// ---------------------------------------------------------------- showing and leaving

void TMeasureDiagonsisForm::FormShow()
{
    fitToScreen();
    m_session->skipNextQuestion();
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

permissions::Access TMeasureDiagonsisForm::userAccess()
{
    return sessionAccess();
}

// A user who may not save tests finds every test read-only: searching and printing only.
void TMeasureDiagonsisForm::applyUserLevel()
{
    const permissions::Access access = userAccess();
    const bool open = !m_session->isClosed();
    const bool editable = open && permissions::maySaveTests(access);
    ui->spDelete->setVisible(permissions::mayDeleteTests(access) && open);
    ui->spCloseRep->setVisible(permissions::mayCloseTests(access) && open);
    ui->spNew->setVisible(permissions::maySaveTests(access));
    ui->spSave->setVisible(editable);
    ui->spHistory->setVisible(permissions::mayReadRecordHistory(access));
    ui->spFindInfoSource->setVisible(editable);
    ui->spFindTester->setVisible(editable);
    ui->eSchoolName->setReadOnly(!editable);
    ui->DTMeasDiagDate->setReadOnly(!editable);
    ui->emMeasDiagHajDate->setReadOnly(!editable);
    m_answers->setReadOnly(!editable);
}

void TMeasureDiagonsisForm::spHistoryClick()
{
    if (!permissions::mayReadRecordHistory(userAccess()))
        return;
    if (m_session->status() == TestSession::Status::New) {
        messages::info(QStringLiteral("الاختبار المعروض غير محفوظ"), this);
        return;
    }
    const TestIdentity test = storedTest();
    TRecordHistoryForm::instance()->showRecord(
        QStringLiteral("سجل تغييرات الاختبار رقم %1 بتاريخ %2 للحالة %3")
            .arg(isolated(QString::number(test.testNo)),
                 isolated(test.testDate.toString(QStringLiteral("dd/MM/yyyy"))),
                 ui->eStudentName->text()),
        {QStringLiteral("test_hdr"), QStringLiteral("test_dtl")}, audit::testKey(test));
}

void TMeasureDiagonsisForm::spExitClick()
{
    close();
}

bool TMeasureDiagonsisForm::hasUnsavedChanges() const
{
    return m_session->askBeforeDropping() != TestSession::Ask::Nothing;
}

// A follow-up and the case's tests list end with the screen.
void TMeasureDiagonsisForm::closeEvent(QCloseEvent *event)
{
    TScreen::closeEvent(event);
    if (!event->isAccepted())
        return;
    m_session->leaveScreen();
    if (QWidget *list = testsList(); list && list->isVisible())
        list->close();
}

// Enter in a Hijri box applies its date, or says why it cannot, whether or not the text fills
// the box's mask.
bool TMeasureDiagonsisForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return TScreen::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return TScreen::eventFilter(watched, event);
    runAction(this, [this, watched] {
        if (applyTypedHijriDates())
            moveToNextEntryField(static_cast<QWidget *>(watched));
    });
    return true;
}

// After the header come the answers.
void TMeasureDiagonsisForm::enterInLastField()
{
    ui->SGmeas_diag->setFocus(Qt::TabFocusReason);
}

// ---------------------------------------------------------------- New

void TMeasureDiagonsisForm::spNewClick()
{
    runNew(true, NewThen::LoadFirstDomain);
}

bool TMeasureDiagonsisForm::runNew(bool offerSameCase, NewThen then)
{
    switch (m_session->askBeforeNew()) {
    case TestSession::Ask::LeaveUnsaved:
        if (!messages::ask(messages::unsavedQuestion, this))
            return false;
        break;
    case TestSession::Ask::Nothing:
        messages::beep();
        break;
    case TestSession::Ask::Quietly:
        break;
    }
    m_session->startNew();
    // A closed test however it was reached, from the picker, the case's load or its tests list.
    const bool offerFollowUp = offerSameCase &&
                               m_session->offersFollowUp(globals().StartTestFromMenu) &&
                               !m_store->hasOpenTest(m_session->caseCode());
    ui->GRBcase_desc->setTitle(QStringLiteral("قائمة الأسئلة"));
    showTestNo(0);
    setDateQuietly(ui->DTMeasDiagDate, QDate::currentDate());
    ui->emMeasDiagHajDate->setText(hijri::fromGregorian(QDate::currentDate()));
    resetResults();
    if (!offerFollowUp) {
        clearCase();
    } else if (messages::ask(QStringLiteral("هل تريد إجراء اختبار جديد لنفس الحالة؟"), this)) {
        m_session->startFollowUp();
        setStatus(TestStatus::New);
    }
    clearSourceAndTester();
    switch (then) {
    case NewThen::LoadFirstDomain:
        m_session->showDomain(TestSession::firstDomain);
        ui->SPCommunication->setChecked(true);
        loadCaseAndTest();
        break;
    case NewThen::BlankQuestions:
        showQuestions(TestSession::firstDomain);
        break;
    case NewThen::CallerLoads:
        break;
    }
    applyUserLevel();
    return true;
}

// Without a case, no test of it stays chosen: a case typed next shows its own latest test.
void TMeasureDiagonsisForm::clearCase()
{
    m_session->clearCase();
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
    m_session->header().infoSourceId = 0;
    m_session->header().testerId = 0;
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

void TMeasureDiagonsisForm::domainClicked(int domain)
{
    if (!mayDropUnsavedChanges()) {
        domainButton(m_session->domain())->setChecked(true);
        return;
    }
    m_session->showDomain(domain);
    domainButton(domain)->setChecked(true);
    // A test not yet saved keeps its date, school, source and tester from domain to domain.
    const QScopedValueRollback keepHeader(m_keepNewTestHeader,
                                          m_session->status() == TestStatus::New);
    loadCaseAndTest();
}

// A case code written into the box loads its case, once the user agrees to drop what is not
// saved; otherwise the box names the case on screen again.
void TMeasureDiagonsisForm::eStudentCodeChange()
{
    const QString code = ui->eStudentCode->text().trimmed();
    if (code.isEmpty() || code == QLatin1String("0"))
        return;
    if (!mayDropUnsavedChanges()) {
        showCode(ui->eStudentCode, m_session->caseCode());
        return;
    }
    loadCaseOfCode(code);
}

void TMeasureDiagonsisForm::loadCaseOfCode(const QString &code)
{
    m_session->pickCase(wholeNumber(code, QStringLiteral("كود الحالة")));
    loadCaseAndTest();
}

// Until the questions are read, the grid shows none: a read that fails leaves nothing to save.
void TMeasureDiagonsisForm::showQuestions(int domain)
{
    m_session->readingQuestions();
    m_answers->setQuestions({});
    m_answers->setQuestions(m_store->domainQuestions(domain));
    m_session->answersShown();
    m_session->questionsRead(domain, m_answers->rowCount());
}

void TMeasureDiagonsisForm::loadCaseAndTest()
{
    const int domain = m_session->domain();
    ui->GRBcase_desc->setTitle(QStringLiteral("قائمة أسئلة ") + domainButton(domain)->text());
    showQuestions(domain);
    const int caseCode = m_session->caseCode();
    const std::optional<CaseSummary> found = m_store->caseOf(caseCode);
    if (caseCode != 0 && !found) {
        messages::info(unknownCase, this);
        return;
    }
    showCase(found.value_or(CaseSummary()));
    ui->spPrevMeas->setVisible(m_store->testCount(caseCode) >= 2);
    const std::optional<ChecklistTest> stored = chosenTest();
    if (stored && !m_session->isFollowUp())
        showStoredTest(*stored);
    else
        showNewTest();
    m_answers->setStoredAnswers(m_session->test().domainAnswers(domain));
    m_session->answersShown();
    showDomainResults();
    showChecklistResults();
    followInTestsList();
    ui->eSchoolName->setFocus();
}

TCaseMeasuresListForm *TMeasureDiagonsisForm::testsList()
{
    return screens::find<TCaseMeasuresListForm>(QStringLiteral("CaseMeasuresListForm"));
}

CaseSummary TMeasureDiagonsisForm::caseOnScreen() const
{
    CaseSummary shown;
    shown.code = m_session->caseCode();
    shown.name = ui->eStudentName->text();
    shown.birthDate = ui->DTbirthDate->date();
    return shown;
}

// The case's tests list, while open, lists the tests of the case on screen.
void TMeasureDiagonsisForm::followInTestsList()
{
    TCaseMeasuresListForm *list = testsList();
    if (list && list->isVisible())
        list->followCase(caseOnScreen(), m_store->testsOf(m_session->caseCode()));
}

void TMeasureDiagonsisForm::showCase(const CaseSummary &shown)
{
    m_session->pickCase(shown.code);
    m_session->header().birthDate = shown.birthDate;
    {
        const QSignalBlocker quiet(ui->eStudentCode);
        ui->eStudentCode->setText(QString::number(shown.code));
    }
    ui->eStudentName->setText(shown.name);
    const bool known = shown.code != 0;
    setDateQuietly(ui->DTbirthDate,
                   known && shown.birthDate.isValid() ? shown.birthDate : QDate::currentDate());
    DTbirthDateChange();
    ui->eMainStreet->setText(shown.mainStreet);
    ui->eHomePhoneNo->setText(shown.homePhone);
    ui->eMobileNo->setText(shown.mobile);
}

// The test chosen in the case's tests list, or the one just saved, else the case's latest.
std::optional<ChecklistTest> TMeasureDiagonsisForm::chosenTest()
{
    const std::optional<TestIdentity> &chosen = m_session->chosenTest();
    if (chosen) {
        TestIdentity test = *chosen;
        test.caseCode = m_session->caseCode();
        return m_store->load(test);
    }
    return m_store->latestTestOf(m_session->caseCode());
}

void TMeasureDiagonsisForm::showStoredTest(ChecklistTest test)
{
    test.birthDate = m_session->test().birthDate;
    m_session->showStored(test);
    showTestNo(test.identity.testNo);
    setDateQuietly(ui->DTMeasDiagDate, test.identity.testDate);
    DTMeasDiagDateChange();
    ui->eSchoolName->setText(test.school);
    showCode(ui->eInfoSourceCode, test.infoSourceId);
    showCode(ui->eTesterCode, test.testerId);
    eInfoSourceCodeChange();
    eTesterCodeChange();
    setStatus(m_session->status());
}

void TMeasureDiagonsisForm::showCode(QLineEdit *codeBox, int code)
{
    const QSignalBlocker quiet(codeBox);
    codeBox->setText(QString::number(code));
}

void TMeasureDiagonsisForm::showNewTest()
{
    const ChecklistTest header = m_session->test();
    m_session->showNew(QDate::currentDate());
    showTestNo(0);
    setStatus(TestStatus::New);
    if (m_keepNewTestHeader) {
        m_session->header().testerId = header.testerId;
        m_session->header().infoSourceId = header.infoSourceId;
        m_session->header().school = ui->eSchoolName->text();
        m_session->header().identity.testDate = shownTestDate();
        return;
    }
    setDateQuietly(ui->DTMeasDiagDate, QDate::currentDate());
    DTMeasDiagDateChange();
    ui->eSchoolName->clear();
    clearSourceAndTester();
}

// An empty domain or an empty checklist has no greatest mark: it shows 0.00 and no verdict. A
// verdict judges complete answers only; until then its label says how far the test is.
void TMeasureDiagonsisForm::showDomainResults()
{
    const checklist::Figures figures = checklist::figuresOf(m_answers->questions());
    ui->STtot_case_group_mark->setText(QString::number(figures.marks));
    ui->STtot_group_mark->setText(QString::number(figures.greatest()));
    ui->STgroup_perc->setText(shownNumber(figures.shownRate(), 2));
    ui->Lgroup_comment->setText(
        checklist::screenDomainResult(figures, domainButton(m_session->domain())->text()));
}

// The whole checklist's figures are those of the stored answers.
void TMeasureDiagonsisForm::showChecklistResults()
{
    const int questions = globals().ChecklistQuestionCount;
    const checklist::Figures figures = m_session->test().isStored() && !m_session->isFollowUp()
                                           ? m_session->test().whole(questions)
                                           : checklist::Figures{questions, 0, 0};
    ui->STtot_case_mark->setText(QString::number(figures.marks));
    ui->STtot_meas_mark->setText(QString::number(figures.greatest()));
    ui->STmeas_perc->setText(shownNumber(figures.shownRate(), 2));
    ui->Lmeas_comment->setText(checklist::screenChecklistResult(figures));
}

void TMeasureDiagonsisForm::setStatus(TestStatus status)
{
    const bool open = status != TestStatus::Closed;
    ui->lTestStatus->setText(
        checklist::statusWord(open ? checklist::TestStatus::Open : checklist::TestStatus::Closed));
    ui->lTestStatus->setStyleSheet(open
                                       ? QStringLiteral("color: rgb(0,128,0); font-weight: bold;")
                                       : QStringLiteral("color: rgb(255,0,0); font-weight: bold;"));
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

// The question about unsaved changes comes with the choice: a picker closed without one drops
// nothing.
void TMeasureDiagonsisForm::spFindStudentClick()
{
    TSearchForm::pick({QStringLiteral("student"),
                       {},
                       {},
                       ui->spFindStudent,
                       [this](const QString &code, const QString &name) {
                           if (!mayDropUnsavedChanges())
                               return AfterChoice::Close;
                           m_session->pickAnotherCase();
                           ui->eStudentName->setText(name);
                           {
                               const QSignalBlocker quiet(ui->eStudentCode);
                               ui->eStudentCode->setText(code);
                           }
                           loadCaseOfCode(code);
                           return AfterChoice::Close;
                       }});
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

// The code a code box holds, none when it is empty.
std::optional<int> TMeasureDiagonsisForm::codeIn(const QLineEdit *codeBox)
{
    const QString code = codeBox->text().trimmed();
    if (code.isEmpty())
        return std::nullopt;
    return wholeNumber(code, QStringLiteral("الكود"));
}

// The code box names the test's tester or source: the test takes the code, the boxes beside it
// the name and the class.
void TMeasureDiagonsisForm::showLookupOfCode(QLineEdit *codeBox, int ChecklistTest::*code,
                                             NamedInClass (TestStore::*read)(int),
                                             QLineEdit *nameBox, QLineEdit *classBox)
{
    const std::optional<int> shown = codeIn(codeBox);
    if (!shown)
        return;
    m_session->header().*code = *shown;
    const NamedInClass named = (m_store.get()->*read)(*shown);
    nameBox->setText(named.name);
    classBox->setText(named.className);
}

void TMeasureDiagonsisForm::eTesterCodeChange()
{
    showLookupOfCode(ui->eTesterCode, &ChecklistTest::testerId, &TestStore::tester, ui->eTesterName,
                     ui->eTesterClass);
}

void TMeasureDiagonsisForm::eInfoSourceCodeChange()
{
    showLookupOfCode(ui->eInfoSourceCode, &ChecklistTest::infoSourceId, &TestStore::infoSource,
                     ui->eInfoSourceName, ui->eInfo_source_class);
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

// A date that puts the case over the age limit goes back to today, or, when today does too, to
// the date the test had before.
void TMeasureDiagonsisForm::DTMeasDiagDateChange()
{
    const QDate birth = ui->DTbirthDate->date();
    const QDate today = QDate::currentDate();
    if (birth > shownTestDate()) {
        showTestDate(today);
        for (QLabel *age : {ui->Lage_years, ui->Lage_months, ui->Lage_days})
            age->setText(QStringLiteral("0"));
        return;
    }
    if (isOverAgeLimit(ageOn(birth, shownTestDate()))) {
        messages::info(ageLimitMessage(), this);
        const QDate before = m_session->test().identity.testDate;
        setDateQuietly(ui->DTMeasDiagDate,
                       isOverAgeLimit(ageOn(birth, today)) && before.isValid() ? before : today);
    }
    showTestDate(shownTestDate());
    DTbirthDateChange();
}

// The test date as the picker shows it, in the Hijri box and in the test.
void TMeasureDiagonsisForm::showTestDate(const QDate &date)
{
    setDateQuietly(ui->DTMeasDiagDate, date);
    ui->emMeasDiagHajDate->setText(hijri::fromGregorian(date));
    m_session->header().identity.testDate = date;
}

void TMeasureDiagonsisForm::emHajDateExit()
{
    applyHijriDate(ui->emHajDate, ui->DTbirthDate, birthHijriField, this);
}

void TMeasureDiagonsisForm::emMeasDiagHajDateExit()
{
    applyHijriDate(ui->emMeasDiagHajDate, ui->DTMeasDiagDate, testHijriField, this);
}

// What is typed in the Hijri boxes, applied before an action reads the dates; false when a
// text that is not a date was refused.
bool TMeasureDiagonsisForm::applyTypedHijriDates()
{
    return applyHijriDate(ui->emHajDate, ui->DTbirthDate, birthHijriField, this) &&
           applyHijriDate(ui->emMeasDiagHajDate, ui->DTMeasDiagDate, testHijriField, this);
}

// ---------------------------------------------------------------- save

bool TMeasureDiagonsisForm::validateForSave()
{
    const auto refuse = [this](const QString &text) {
        messages::info(text, this);
        return false;
    };
    const ChecklistTest &test = m_session->test();
    if (!m_session->hasCase())
        return refuse(QStringLiteral("إختار حالة"));
    if (test.infoSourceId == 0)
        return refuse(QStringLiteral("إختار مصدر المعلومات"));
    if (test.testerId == 0)
        return refuse(QStringLiteral("إختار القائم بالاختبار"));
    if (!m_session->showsDomainQuestions())
        return refuse(QStringLiteral("لم تُقرأ أسئلة هذه المجموعة من قاعدة البيانات، فلم يُحفظ "
                                     "شيء - اختر المجموعة مرة أخرى لقراءة أسئلتها ثم احفظ"));
    if (const QString refusal = testOnScreen().dateRefusal(QDate::currentDate());
        !refusal.isEmpty())
        return refuse(refusal);
    if (ui->eSchoolName->text().isEmpty() &&
        !messages::ask(QStringLiteral("لم يتم كتابة اسم المدرسة - هل بالغعل تريد الاستمرار؟"),
                       this)) {
        ui->eSchoolName->setFocus();
        return false;
    }
    return true;
}

// The test as the screen shows it: its header and the answers of the domain on screen.
ChecklistTest TMeasureDiagonsisForm::testOnScreen() const
{
    ChecklistTest test = m_session->test();
    test.identity.branchNo = globals().CurrentBranchNo;
    test.identity.testDate = shownTestDate();
    test.school = ui->eSchoolName->text();
    test.replaceDomain(m_session->domain(), m_answers->questions());
    return test;
}

void TMeasureDiagonsisForm::spSaveClick()
{
    if (m_session->isClosed() || !permissions::maySaveTests(userAccess()) ||
        !applyTypedHijriDates() || !validateForSave())
        return;
    const ChecklistTest test = testOnScreen();
    const int user = globals().session.SessionUserCode;
    const int domain = m_session->domain();
    TestIdentity saved = test.identity;
    saved.testNo = test.isStored()
                       ? m_store->saveStored(m_session->storedIdentity(), test, domain, user)
                       : m_store->saveNew(test, domain, user);
    if (saved.testNo == 0)
        return messages::error(QStringLiteral("خطأ أثناء الحفظ"), m_store->lastFailure(), this);
    m_session->endFollowUp();
    m_session->skipNextQuestion();
    runNew(true, NewThen::CallerLoads);
    // The load shows the test just saved, also when the case has a later one.
    m_session->chooseTest(saved);
    loadCaseAndTest();
    messages::info(savedMessage(test.identity, saved), this);
}

// A test dated into a year where another test has its number was given a new one.
QString TMeasureDiagonsisForm::savedMessage(const TestIdentity &shown, const TestIdentity &saved)
{
    const QString done = QStringLiteral("تم حفظ التعديلات بنجاح");
    if (!shown.testNo || shown.testNo == saved.testNo)
        return done;
    return done + QStringLiteral("، وأصبح رقم الاختبار %1 لأن الرقم %2 مسجل لاختبار آخر فى سنة %3")
                      .arg(saved.testNo)
                      .arg(shown.testNo)
                      .arg(saved.testDate.year());
}

// ---------------------------------------------------------------- print, close, delete

// A stored test is named by the date it was stored under, not a date typed since.
TestIdentity TMeasureDiagonsisForm::storedTest() const
{
    return m_session->storedIdentity();
}

bool TMeasureDiagonsisForm::storedTestIsComplete() const
{
    return m_store->isComplete(storedTest(), globals().ChecklistQuestionCount);
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

void TMeasureDiagonsisForm::printReport(const char *reportName)
{
    if (!applyTypedHijriDates() || !printable())
        return;
    auto *report = screens::object<TTestReport>(QLatin1String(reportName));
    report->setTest(m_store->printed(storedTest()));
    report->setShownFields(shownAge(), testerClass(), infoSourceClass());
    report->preview(this);
}

void TMeasureDiagonsisForm::spPrintClick()
{
    printReport("MeasDiagReportForm");
}

void TMeasureDiagonsisForm::N1Click()
{
    spPrintClick();
}

void TMeasureDiagonsisForm::N2Click()
{
    printReport("MeasDiagSummaryReportForm");
}

void TMeasureDiagonsisForm::spCloseRepClick()
{
    if (!permissions::mayCloseTests(userAccess()))
        return;
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
    if (!mayDropUnsavedChanges())
        return;
    if (!messages::ask(QStringLiteral("بعد إغلاق الاختبار لن يمكنك التعديل على أى بيان من "
                                      "بياناته - برجاء مراجعة صحة جميع البيانات قبل الإغلاق - هل "
                                      "بالفعل تريد إغلاق الاختبار؟"),
                       this))
        return;
    if (!m_store->close(storedTest())) {
        messages::error(QStringLiteral("حدث خطأ أثناء إغلاق الاختبار"), m_store->lastFailure(),
                        this);
        return;
    }
    // The screen shows what was closed: the stored answers, read-only.
    loadCaseAndTest();
    messages::info(QStringLiteral("تم إغلاق الاختبار بنجاح"), this);
}

void TMeasureDiagonsisForm::spDeleteClick()
{
    if (!permissions::mayDeleteTests(userAccess()))
        return;
    if (shownTestNo() == 0) {
        messages::info(QStringLiteral("اختار اختبار لإلغائه"), this, messages::Sound::Silent);
        return;
    }
    if (!messages::ask(QStringLiteral("لن يمكنك التراجع عن الإلغاء - هل بالفعل تريد الإلغاء؟"),
                       this))
        return;
    if (!m_store->remove(storedTest())) {
        messages::error(QStringLiteral("حدث خطأ أثناء إلغاء الاختبار"), m_store->lastFailure(),
                        this);
        return;
    }
    m_session->skipNextQuestion();
    runNew(true, NewThen::BlankQuestions);
    messages::info(QStringLiteral("تم إلغاء الاختبار بنجاح"), this);
}

// ---------------------------------------------------------------- the case's tests

void TMeasureDiagonsisForm::spPrevMeasClick()
{
    if (!m_session->hasCase()) {
        messages::info(QStringLiteral("إختار حالة"), this);
        return;
    }
    QList<ChecklistTest> tests = m_store->testsOf(m_session->caseCode());
    if (tests.isEmpty()) {
        messages::info(QStringLiteral("لاتوجد اختبارات لهذه الحالة"), this);
        return;
    }
    const TestIdentity &first = tests.first().identity;
    if (tests.size() == 1 && first.testNo == shownTestNo() && first.testDate == shownTestDate()) {
        messages::info(QStringLiteral("لاتوجد اختبارات أخرى لهذه الحالة بخلاف الاختبار المعروض"),
                       this);
        return;
    }
    testsList()->showCase(caseOnScreen(), std::move(tests));
}

bool TMeasureDiagonsisForm::showTestFromList(const TestIdentity &test)
{
    const int domain = m_session->domain();
    if (!runNew(false, NewThen::BlankQuestions))
        return false;
    if (!m_store->caseOf(test.caseCode)) {
        messages::info(unknownCase, this);
        return false;
    }
    m_session->chooseTest(test);
    m_session->showDomain(domain);
    domainButton(domain)->setChecked(true);
    loadCaseAndTest();
    return true;
}

} // namespace simat
