#include "student_query.h"

#include "core/bidi.h"
#include "core/permissions.h"
#include "data/case_export.h"
#include "data/dm.h"
#include "data/watched_reads.h"
#include "students.h"
#include "students_report.h"
#include "ui/action.h"
#include "ui/file_dialog.h"
#include "ui/global.h"
#include "ui/grid_model.h"
#include "ui/messages.h"
#include "ui/screens.h"
#include "ui/work_progress.h"
#include "ui_student_query.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalBlocker>

namespace simat {

TStudentQueryForm::TStudentQueryForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::StudentQueryForm>())
{
    ui->setupUi(this);
    bindGrid(ui->DBGstudents, TDataModule1::instance()->StudentsQuery,
             {{QStringLiteral("stud_code"), QStringLiteral("كود الطالب"), 80},
              {QStringLiteral("stud_name"), QStringLiteral("اسم الطالب"), 220},
              {QStringLiteral("stud_birth_date"), QStringLiteral("تاريخ الميلاد (ميلادى)"), 170},
              {QStringLiteral("stud_birth_haj_date"), QStringLiteral("تاريخ الميلاد (هجرى)"), 160},
              {QStringLiteral("stud_guard_home_phone_no"), QStringLiteral("رقم الهاتف"), 110},
              {QStringLiteral("stud_guard_mobile_no"), QStringLiteral("رقم المحمول"), 110},
              {QStringLiteral("stud_main_street"), QStringLiteral("العنوان"), 180}});
    m_criteria = {{ui->RBstudent_name, ui->eStudentName, QStringLiteral("stud_name"), false},
                  {ui->RBid_no, ui->eIdNo, QStringLiteral("stud_id_no"), true},
                  {ui->RBguard_name, ui->eGuardName, QStringLiteral("stud_guard_name"), false},
                  {ui->RBphone_no, ui->ePhoneNo, QStringLiteral("stud_guard_home_phone_no"), true},
                  {ui->RBmobile_no, ui->eMobileNo, QStringLiteral("stud_guard_mobile_no"), true}};
    for (const Criterion &criterion : std::as_const(m_criteria)) {
        criterion.box->installEventFilter(this);
        connect(criterion.box, &QLineEdit::textChanged, this,
                guarded(this, [this, criterion] { boxChanged(criterion); }));
        connect(criterion.radio, &QRadioButton::clicked, this,
                guarded(this, [this, criterion] { choose(criterion); }));
    }
    chooseOnEnter(ui->DBGstudents, [this] { DBGstudentsDblClick(); });
    connect(ui->DBGstudents, &QAbstractItemView::doubleClicked, this,
            guarded(this, &TStudentQueryForm::DBGstudentsDblClick));
    const QList<std::tuple<QToolButton *, void (TStudentQueryForm::*)(), QStyle::StandardPixmap>>
        buttons = {
            {ui->spNew, &TStudentQueryForm::spNewClick, QStyle::SP_BrowserReload},
            {ui->spRun, &TStudentQueryForm::spRunClick, QStyle::SP_FileDialogContentsView},
            {ui->spPrint, &TStudentQueryForm::spPrintClick, QStyle::SP_FileDialogDetailedView},
            {ui->spExport, &TStudentQueryForm::spExportClick, QStyle::SP_DialogSaveButton},
            {ui->spExit, &TStudentQueryForm::spExitClick, QStyle::SP_DialogCloseButton}};
    for (const auto &[button, slot, icon] : buttons) {
        button->setIcon(style()->standardIcon(icon));
        connect(button, &QToolButton::clicked, this, guarded(this, slot));
    }
    installFunctionKeys();
}

TStudentQueryForm::~TStudentQueryForm() = default;

CaseSearchTexts TStudentQueryForm::searchTexts() const
{
    return {ui->eStudentName->text(), ui->eIdNo->text(), ui->eGuardName->text(),
            ui->ePhoneNo->text(), ui->eMobileNo->text()};
}

void TStudentQueryForm::FormShow()
{
    TScreen::FormShow();
    spNewClick();
}

// Every case of the branch with a name, and no criterion chosen: typing narrows nothing until
// a box or its button is clicked.
void TStudentQueryForm::spNewClick()
{
    for (const Criterion &criterion : std::as_const(m_criteria)) {
        const QSignalBlocker quiet(criterion.box);
        criterion.box->clear();
    }
    ui->RBall->setChecked(true);
    reopen(m_criteria.first(), QString());
}

void TStudentQueryForm::spRunClick()
{
    for (const Criterion &criterion : std::as_const(m_criteria))
        if (criterion.radio->isChecked()) {
            reopen(criterion, criterion.box->text());
            return;
        }
}

void TStudentQueryForm::spPrintClick()
{
    QPointer<QObject> &active = globals().lookup.LookupButton;
    const QPointer<QObject> before = active;
    active = ui->spPrint;
    const auto restore = qScopeGuard([&] { active = before; });
    screens::object<TStudentsReportForm>(QStringLiteral("StudentsReportForm"))
        ->previewRows(TDataModule1::instance()->StudentsQuery,
                      TStudentsReportForm::titleOf(searchTexts()), this);
}

void TStudentQueryForm::applyUserLevel()
{
    ui->spExport->setVisible(permissions::mayExportCases(sessionAccess()));
}

// Every case of the register, whatever the search shows: a workbook, or a CSV file by its name.
void TStudentQueryForm::spExportClick()
{
    if (!permissions::mayExportCases(sessionAccess()))
        return;
    QString path =
        chooseSavePath(this, QStringLiteral("تصدير كل الحالات"),
                       case_export::fileName(case_export::Format::Workbook),
                       QStringLiteral("مصنفات Excel (*.xlsx);;ملفات CSV (*.csv);;كل الملفات (*)"));
    if (path.isEmpty())
        return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("csv") && suffix != QLatin1String("xlsx"))
        path += QLatin1String(".xlsx");
    const auto format = QFileInfo(path).suffix().toLower() == QLatin1String("csv")
                            ? case_export::Format::Csv
                            : case_export::Format::Workbook;
    int cases = 0;
    {
        WorkProgress progress(this, QStringLiteral("جارى تصدير الحالات..."));
        cases = case_export::write(TDataModule1::instance()->Database1, format, path,
                                   progress.report());
    }
    messages::info(QStringLiteral("تم تصدير الحالات (%1) إلى الملف:\n%2\nفي المجلد %3\n"
                                  "الملف لا يقرؤه ولا يعدّله إلا حسابك على هذا الجهاز.")
                       .arg(cases)
                       .arg(isolated(QFileInfo(path).fileName()), messages::folderText(path)),
                   this, messages::Sound::Silent);
}

void TStudentQueryForm::spExitClick()
{
    close();
}

// When the case form keeps its unsaved changes, the inquiry stays open with its choice.
void TStudentQueryForm::DBGstudentsDblClick()
{
    Statement *rows = TDataModule1::instance()->StudentsQuery;
    const QModelIndex current = ui->DBGstudents->currentIndex();
    if (openedByCaseForm() && current.isValid() && rows->seek(current.row())) {
        const int code = rows->intValue(QStringLiteral("stud_code"));
        auto *form = screens::find<TStudentsForm>(QStringLiteral("StudentsForm"));
        form->showScreen();
        if (!form->loadCase(code))
            return;
    }
    close();
}

// The case form's request ends with the inquiry, so that a later opening from elsewhere loads
// nothing into it.
void TStudentQueryForm::closeEvent(QCloseEvent *event)
{
    if (openedByCaseForm())
        globals().lookup.LookupButton = nullptr;
    TScreen::closeEvent(event);
    // The rows go with the window.
    if (event->isAccepted())
        TDataModule1::instance()->StudentsQuery->close();
}

bool TStudentQueryForm::openedByCaseForm() const
{
    const QObject *button = globals().lookup.LookupButton;
    const QWidget *form = screens::find(QStringLiteral("StudentsForm"));
    return button && form &&
           button == form->findChild<QObject *>(QStringLiteral("spSudentFormSearch"));
}

bool TStudentQueryForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress)
        for (const Criterion &criterion : std::as_const(m_criteria))
            if (watched == criterion.box) {
                runAction(this, [this, criterion] {
                    criterion.radio->setChecked(true);
                    choose(criterion);
                });
                break;
            }
    return TScreen::eventFilter(watched, event);
}

// A box with text runs the chosen criterion; an emptied box lists every case with a value in
// its own column.
void TStudentQueryForm::boxChanged(const Criterion &criterion)
{
    if (criterion.box->text().isEmpty())
        reopen(criterion, QString());
    else
        spRunClick();
}

// The other boxes are emptied, so that the list and the printed title follow the one chosen;
// the list then shows what the chosen box holds.
void TStudentQueryForm::choose(const Criterion &criterion)
{
    for (const Criterion &other : std::as_const(m_criteria))
        if (other.box != criterion.box) {
            const QSignalBlocker quiet(other.box);
            other.box->clear();
        }
    if (!criterion.box->hasFocus())
        criterion.box->setFocus(Qt::OtherFocusReason);
    boxChanged(criterion);
}

void TStudentQueryForm::reopen(const Criterion &criterion, const QString &text)
{
    TDataModule1 *dm = TDataModule1::instance();
    dm->setStudentsCriterion(
        criterion.column,
        criterion.digits ? search::Comparison::AsTyped : search::Comparison::AsReader, text);
    Statement *rows = dm->StudentsQuery;
    rows->setParam(QStringLiteral("branch_no"), globals().CurrentBranchNo);
    rows->setParam(QStringLiteral("param_1"), text);
    WorkProgress progress(this, QStringLiteral("جارى البحث عن الحالات..."),
                          WorkProgress::Showing::WhenSlow);
    const WatchedReads watch(dm->Database1, progress.goOn());
    rows->open();
}

} // namespace simat
