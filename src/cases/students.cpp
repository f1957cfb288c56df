#include "students.h"

#include "basic_data/audit_log_form.h"
#include "core/age.h"
#include "core/bidi.h"
#include "core/contact.h"
#include "core/error.h"
#include "core/hijri.h"
#include "core/numbers.h"
#include "core/permissions.h"
#include "data/dm.h"
#include "data/text_search.h"
#include "data/watched_reads.h"
#include "reports/case_course_report.h"
#include "students_report.h"
#include "ui/action.h"
#include "ui/digit_box.h"
#include "ui/global.h"
#include "ui/hijri_box.h"
#include "ui/messages.h"
#include "ui/optional_date_edit.h"
#include "ui/screens.h"
#include "ui/search.h"
#include "ui/work_progress.h"
#include "ui_students.h"

#include <QRadioButton>
#include <QStyle>

namespace simat {

namespace {

// A text box and the column of `student` it holds.
struct TextField {
    const char *column;
    const char *box;
};

const TextField textFields[] = {
    {"stud_name", "eName"},
    {"stud_id_no", "eIDNo"},
    {"stud_id_source", "eIdSource"},
    {"stud_file_no", "eFileNo"},
    {"stud_main_street", "eMainStreet"},
    {"stud_sub_street", "eSubStreet"},
    {"stud_house_no", "eHouseNo"},
    {"stud_postal_code", "ePostalCode"},
    {"stud_postal_no", "ePostalNo"},
    {"stud_guard_name", "eGuardianName"},
    {"stud_guard_id_no", "eGuardianIdNo"},
    {"stud_guard_id_source", "eGuardianIdSource"},
    {"stud_guard_job", "eGuardianJob"},
    {"stud_guard_work_place", "eGuardianWorkPlace"},
    {"stud_guard_home_phone_no", "eHomePhoneNo"},
    {"stud_guard_mobile_no", "eGuardianMobileNo"},
    {"stud_guard_work_phone_no", "eGuardianWorkPhoneNo"},
    {"stud_guard_email", "eGuardianEmail"},
    {"stud_kinship_1_name", "eKinship1Name"},
    {"stud_kinship_1_phone_no", "eKinship1PhoneNo"},
    {"stud_kinship_2_name", "eKinship2Name"},
    {"stud_kinship_2_phone_no", "eKinship2PhoneNo"},
};

struct DigitField {
    const char *box;
    const char *field;
};
const DigitField digitBoxes[] = {
    {"eIDNo", "رقم الإقامة / الهوية"},
    {"eFileNo", "رقم ملف الطالب"},
    {"eGuardianIdNo", "رقم هوية ولى الأمر"},
    {"eHomePhoneNo", "رقم هاتف المنزل"},
    {"eGuardianMobileNo", "رقم الجوال"},
    {"eGuardianWorkPhoneNo", "رقم هاتف العمل"},
    {"eKinship1PhoneNo", "رقم هاتف القريب الأول"},
    {"eKinship2PhoneNo", "رقم هاتف القريب الثانى"},
};

const TextField dateFields[] = {
    {"stud_birth_date", "DTbirthDate"},
    {"stud_id_date", "DTidDate"},
    {"stud_guard_id_date", "DTGuardianIdDate"},
};

// A lookup of the record: its button opens the picker on the table; the chosen name shows in
// the name box and its code, as text, in the hidden box named after it with "Code".
struct LookupField {
    const char *button;
    const char *table;
    const char *nameBox;
    const char *column;
    // The name as the case with its lookups reads it.
    const char *nameColumn;
    const char *label;
};

const LookupField lookupFields[] = {
    {"spBirthCountry", "country", "eBirthCountry", "stud_birth_country", "cou_name",
     "مكان الميلاد"},
    {"spNathionality", "nationality", "eNationality", "stud_nationality", "nationality_name",
     "الجنسية"},
    {"spIdType", "id_type", "eIdType", "stud_id_type", "id_type_name", "نوع الهوية"},
    {"spEduPhase", "edu_phase", "eEduPhase", "stud_edu_phase", "edu_phase_name",
     "المرحلة الدراسية"},
    {"spEduClassLevel", "edu_class_level", "eEduClassLevel", "stud_edu_class_level",
     "edu_class_level_name", "الصف الدراسى"},
    {"spHouseType", "house_type", "eHouseType", "stud_house_type", "house_type_name", "نوع السكن"},
    {"spHouseOwnership", "house_ownership", "eHouseOwnership", "stud_house_ownership",
     "house_ownership_name", "ملكية السكن"},
    {"spDistrict", "district", "eDistrict", "stud_district", "district_name", "المنطقة الإدارية"},
    {"spCity", "city", "eCity", "stud_city", "city_name", "المدينة"},
    {"Neighborhood", "neighborhood", "eNeighborhood", "stud_neighborhood", "neighborhood_name",
     "الحى"},
    {"spGuardianNathionality", "nationality", "eGuardianNationality", "stud_guard_nationality",
     "nationality_name_1", "جنسية ولى الأمر"},
    {"spKinshipDegree", "kinship_degree", "eGuardianKinshipDegree", "stud_guard_kinship_degree",
     "kinship_degree_name", "صلة قرابة ولى الأمر"},
    {"spGuardianIdType", "id_type", "eGuardianIdType", "stud_guard_id_type", "id_type_name_1",
     "نوع هوية ولى الأمر"},
    {"SpeedButton1", "kinship_degree", "eKinship1Degree", "stud_kinship_1_kinship_degree",
     "kinship_degree_name_1", "صلة قرابة القريب (1)"},
    {"SpeedButton2", "kinship_degree", "eKinship2Degree", "stud_kinship_2_kinship_degree",
     "kinship_degree_name_2", "صلة قرابة القريب (2)"},
};

QString codeBoxOf(const char *nameBox)
{
    return QLatin1String(nameBox) + QStringLiteral("Code");
}

const QString birthDateRequired = QStringLiteral("أدخل تاريخ ميلاد الحالة");
const QString hijriBirthDateField = QStringLiteral("تاريخ الميلاد الهجرى");

// Nothing for no date.
QString hijriText(const QDate &date)
{
    return date.isValid() ? hijri::fromGregorian(date) : QString();
}

} // namespace

TStudentsForm::TStudentsForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::StudentsForm>())
    , m_cases(std::make_unique<CaseStore>(*TDataModule1::instance()))
{
    ui->setupUi(this);
    FormCreate();
    connectControls();
    installFunctionKeys();
}

TStudentsForm::~TStudentsForm() = default;

QLineEdit *TStudentsForm::box(const char *name) const
{
    return findChild<QLineEdit *>(QLatin1String(name));
}

OptionalDateEdit *TStudentsForm::dateBox(const char *name) const
{
    return findChild<OptionalDateEdit *>(QLatin1String(name));
}

// F5 finds a case, through the form's own search button.
QAbstractButton *TStudentsForm::functionKeyButton(int key) const
{
    return key == Qt::Key_F5 ? ui->spSudentFormSearch : TScreen::functionKeyButton(key);
}

void TStudentsForm::FormCreate()
{
    moveOnEnter();
    for (const DigitField &digits : digitBoxes)
        acceptDigitsOnly(box(digits.box), QString::fromUtf8(digits.field),
                         box(digits.box) == ui->eGuardianMobileNo ? Digits::AfterAPlus
                                                                  : Digits::Only);
    for (const LookupField &lookup : lookupFields)
        findChild<QToolButton *>(QLatin1String(lookup.button))
            ->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    ui->spNew->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    ui->spSave->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    ui->spDelete->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    ui->spPrint->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    ui->spSudentFormSearch->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    ui->spExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    ui->spCourse->setIcon(style()->standardIcon(QStyle::SP_FileDialogInfoView));
    ui->spHistory->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    // Hidden below level 1, the button keeps its place: no other button moves.
    QSizePolicy keepsPlace = ui->spHistory->sizePolicy();
    keepsPlace.setRetainSizeWhenHidden(true);
    ui->spHistory->setSizePolicy(keepsPlace);
}

void TStudentsForm::connectControls()
{
    connect(ui->spNew, &QToolButton::clicked, this, guarded(this, &TStudentsForm::spNewClick));
    connect(ui->spSave, &QToolButton::clicked, this, guarded(this, &TStudentsForm::spSaveClick));
    connect(ui->spDelete, &QToolButton::clicked, this,
            guarded(this, &TStudentsForm::spDeleteClick));
    connect(ui->spPrint, &QToolButton::clicked, this, guarded(this, &TStudentsForm::spPrintClick));
    connect(ui->spSudentFormSearch, &QToolButton::clicked, this,
            guarded(this, &TStudentsForm::spSudentFormSearchClick));
    connect(ui->spExit, &QToolButton::clicked, this, guarded(this, &TStudentsForm::spExitClick));
    connect(ui->spCourse, &QToolButton::clicked, this,
            guarded(this, &TStudentsForm::spCourseClick));
    connect(ui->spHistory, &QToolButton::clicked, this,
            guarded(this, &TStudentsForm::spHistoryClick));
    connect(ui->DTbirthDate, &QDateEdit::dateChanged, this,
            guarded(this, &TStudentsForm::DTbirthDateChange));
    connect(ui->emHajDate, &QLineEdit::editingFinished, this,
            guarded(this, &TStudentsForm::emHajDateExit));
    connectLookups();
}

void TStudentsForm::connectLookups()
{
    for (const LookupField &lookup : lookupFields) {
        auto *button = findChild<QToolButton *>(QLatin1String(lookup.button));
        QLineEdit *nameBox = box(lookup.nameBox);
        QLineEdit *codeBox = findChild<QLineEdit *>(codeBoxOf(lookup.nameBox));
        const QString table = QLatin1String(lookup.table);
        connect(
            button, &QToolButton::clicked, this, guarded(this, [button, nameBox, codeBox, table] {
                TSearchForm::pick({table,
                                   {},
                                   {},
                                   button,
                                   [nameBox, codeBox](const QString &code, const QString &name) {
                                       nameBox->setText(name);
                                       codeBox->setText(code);
                                       return AfterChoice::Close;
                                   }});
            }));
    }
}

void TStudentsForm::FormShow()
{
    applyUserLevel();
    clearToNewCase();
}

// A user who may not change cases finds the form read-only: searching and printing only.
void TStudentsForm::applyUserLevel()
{
    const permissions::Access access = sessionAccess();
    const bool writable = permissions::mayKeepCases(access);
    ui->spNew->setVisible(writable);
    ui->spSave->setVisible(writable);
    ui->spDelete->setVisible(writable && permissions::mayDeleteCases(access));
    ui->spHistory->setVisible(permissions::mayReadRecordHistory(access));
    for (const TextField &field : textFields)
        box(field.box)->setReadOnly(!writable);
    ui->emHajDate->setReadOnly(!writable);
    for (const TextField &date : dateFields)
        dateBox(date.box)->setEnabled(writable);
    for (const LookupField &lookup : lookupFields)
        findChild<QToolButton *>(QLatin1String(lookup.button))->setEnabled(writable);
    for (QRadioButton *choice : {ui->RBmail, ui->RBfemail, ui->RBactive, ui->RBUnactive})
        choice->setEnabled(writable);
}

void TStudentsForm::spExitClick()
{
    close();
}

// ---------------------------------------------------------------- unsaved changes

bool TStudentsForm::hasUnsavedChanges() const
{
    return isVisible() && shownFields() != m_asStored;
}

// Every field as the form shows it, a date or a Hijri text being typed included.
QStringList TStudentsForm::shownFields() const
{
    QStringList shown = {ui->eCode->text(), ui->emHajDate->text()};
    for (const TextField &field : textFields)
        shown << box(field.box)->text();
    for (const LookupField &lookup : lookupFields)
        shown << findChild<QLineEdit *>(codeBoxOf(lookup.nameBox))->text();
    for (const TextField &date : dateFields)
        shown << dateBox(date.box)->text();
    for (const QRadioButton *choice : {ui->RBfemail, ui->RBUnactive})
        shown << QString::number(choice->isChecked());
    return shown;
}

void TStudentsForm::keepShownAsStored()
{
    m_asStored = shownFields();
}

// ---------------------------------------------------------------- new and load

void TStudentsForm::spNewClick()
{
    if (mayDropUnsavedChanges())
        clearToNewCase();
}

void TStudentsForm::clearToNewCase()
{
    ui->eCode->clear();
    for (const TextField &field : textFields)
        box(field.box)->clear();
    for (const LookupField &lookup : lookupFields) {
        box(lookup.nameBox)->clear();
        findChild<QLineEdit *>(codeBoxOf(lookup.nameBox))->setText(QStringLiteral("0"));
    }
    for (const TextField &date : dateFields) {
        const QSignalBlocker quiet(dateBox(date.box));
        dateBox(date.box)->showDate({});
    }
    showAgeOf({});
    ui->RBmail->setChecked(true);
    ui->RBactive->setChecked(true);
    ui->PCpages->setCurrentIndex(0);
    ui->eName->setFocus();
    keepShownAsStored();
}

bool TStudentsForm::loadCase(int code)
{
    if (!mayDropUnsavedChanges())
        return false;
    clearToNewCase();
    if (const std::optional<CaseRecord> found = m_cases->load(code))
        showCase(*found);
    keepShownAsStored();
    return true;
}

// A stored case shows as it is: its age is that of its birth date even beyond the limit that
// entering a birth date keeps to.
void TStudentsForm::showCase(const CaseRecord &found)
{
    ui->eCode->setText(QString::number(found.code()));
    for (const TextField &field : textFields)
        box(field.box)->setText(found.text(QLatin1String(field.column)));
    for (const LookupField &lookup : lookupFields) {
        box(lookup.nameBox)->setText(found.text(QLatin1String(lookup.nameColumn)));
        findChild<QLineEdit *>(codeBoxOf(lookup.nameBox))
            ->setText(QString::number(found.integer(QLatin1String(lookup.column))));
    }
    for (const TextField &date : dateFields) {
        const QSignalBlocker quiet(dateBox(date.box));
        dateBox(date.box)->showDate(found.date(QLatin1String(date.column)));
    }
    showAgeOf(ui->DTbirthDate->chosenDate());
    (found.integer(QStringLiteral("stud_gender")) == 2 ? ui->RBfemail : ui->RBmail)
        ->setChecked(true);
    bool known = false;
    const int active = found.value(QStringLiteral("is_active")).toInt(&known);
    (known && active == 0 ? ui->RBUnactive : ui->RBactive)->setChecked(true);
}

// ---------------------------------------------------------------- birth date and age

void TStudentsForm::showAgeOf(const QDate &birth)
{
    ui->emHajDate->setText(hijriText(birth));
    const Age age = birth.isValid() ? ageOn(birth, QDate::currentDate()) : Age();
    ui->Lage_days->setText(QString::number(age.days));
    ui->Lage_months->setText(QString::number(age.months));
    ui->Lage_years->setText(QString::number(age.years));
}

void TStudentsForm::setBirthDateQuietly(const QDate &date)
{
    const QSignalBlocker quiet(ui->DTbirthDate);
    ui->DTbirthDate->showDate(date);
}

// A date after today becomes today; one over the age limit is refused and leaves no birth date
// chosen.
void TStudentsForm::DTbirthDateChange()
{
    const QDate today = QDate::currentDate();
    const QDate birth = ui->DTbirthDate->chosenDate();
    if (birth > today) {
        setBirthDateQuietly(today);
        showAgeOf(today);
        return;
    }
    if (birth.isValid() && isOverAgeLimit(ageOn(birth, today))) {
        messages::info(ageLimitMessage(), this);
        setBirthDateQuietly({});
        showAgeOf({});
        return;
    }
    showAgeOf(birth);
}

void TStudentsForm::emHajDateExit()
{
    applyHijriBirthDate();
}

// The Hijri box then shows the birth date that will be stored, whether its text was taken,
// refused or empty.
bool TStudentsForm::applyHijriBirthDate()
{
    const bool taken = enterHijriDate(ui->emHajDate, ui->DTbirthDate, this, hijriBirthDateField);
    ui->emHajDate->setText(hijriText(ui->DTbirthDate->chosenDate()));
    return taken;
}

// What is being typed into a date or the Hijri box counts before a save or a print; a Hijri
// text that is not a date stops it. The Hijri box keeps its own Enter and leave from running
// it a second time while a message stands over it.
bool TStudentsForm::applyTypedDates()
{
    for (const TextField &date : dateFields)
        dateBox(date.box)->interpretText();
    const QSignalBlocker quiet(ui->emHajDate);
    if (applyHijriBirthDate())
        return true;
    ui->PCpages->setCurrentIndex(0);
    ui->emHajDate->setFocus();
    return false;
}

// ---------------------------------------------------------------- save

// An e-mail address and a mobile number, where given, look like one.
bool TStudentsForm::contactsAreValid()
{
    const QString email = ui->eGuardianEmail->text().trimmed();
    if (!email.isEmpty() && !isEmailAddress(email))
        return refuseContact(
            ui->eGuardianEmail,
            QStringLiteral("البريد الالكتروني \"%1\" غير صحيح - اكتبه على صورة %2")
                .arg(isolated(email), isolated(QStringLiteral("name@example.com"))));
    const QString mobile = ui->eGuardianMobileNo->text();
    if (!mobile.isEmpty() && !isMobileNumber(mobile))
        return refuseContact(ui->eGuardianMobileNo,
                             QStringLiteral("رقم الجوال \"%1\" غير صحيح - يتكون من 9 أو 10 أرقام، "
                                            "ويجوز أن يسبقها مفتاح الدولة بعد + أو 00")
                                 .arg(isolated(mobile)));
    return true;
}

bool TStudentsForm::refuseContact(QLineEdit *field, const QString &message)
{
    messages::info(message, this);
    for (QWidget *page = field->parentWidget(); page; page = page->parentWidget())
        if (const int index = ui->PCpages->indexOf(page); index >= 0)
            ui->PCpages->setCurrentIndex(index);
    field->setFocus();
    return false;
}

bool TStudentsForm::validateForSave()
{
    if (ui->eName->text().isEmpty()) {
        messages::info(QStringLiteral("لابد من إدخال اسم الحالة"), this);
        ui->PCpages->setCurrentIndex(0);
        ui->eName->setFocus();
        return false;
    }
    if (ui->DTbirthDate->showsNoDate()) {
        messages::info(birthDateRequired, this);
        ui->PCpages->setCurrentIndex(0);
        ui->DTbirthDate->setFocus();
        return false;
    }
    if (!contactsAreValid())
        return false;
    const std::pair<QLineEdit *, QString> asked[] = {
        {ui->eMainStreet, QStringLiteral("لم يتم إدخال العنوان - هل بالفعل تريد الاستمرار؟")},
        {ui->eHomePhoneNo,
         QStringLiteral("لم يتم إدخال رقم هاتف المنزل - هل بالفعل تريد الاستمرار؟")},
        {ui->eGuardianMobileNo,
         QStringLiteral("لم يتم إدخال رقم الهاتف المحمول - هل بالفعل تريد الاستمرار؟")}};
    for (const auto &[field, question] : asked) {
        if (!field->text().isEmpty() || messages::ask(question, this))
            continue;
        ui->PCpages->setCurrentIndex(0);
        field->setFocus();
        return false;
    }
    return true;
}

// A new case is shown under the code it was stored under, so that saving it again updates it.
void TStudentsForm::spSaveClick()
{
    if (!permissions::mayKeepCases(sessionAccess()) || !applyTypedDates() || !validateForSave())
        return;
    const int code = m_cases->save(recordOnScreen(), globals().CurrentBranchNo,
                                   globals().session.SessionUserCode);
    if (code == 0) {
        messages::error(QStringLiteral("خطأ أثناء الحفظ"), m_cases->lastFailure(), this);
        return;
    }
    ui->eCode->setText(QString::number(code));
    keepShownAsStored();
    messages::info(QStringLiteral("تم حفظ التعديلات بنجاح"), this);
}

CaseRecord TStudentsForm::recordOnScreen() const
{
    CaseRecord record;
    const bool insert = ui->eCode->text().isEmpty();
    const auto set = [&record](const char *column, const QVariant &value) {
        record.set(QLatin1String(column), value);
    };
    set("stud_code", insert ? 0 : wholeNumber(ui->eCode->text(), QStringLiteral("الكود")));
    for (const TextField &field : textFields)
        set(field.column, box(field.box)->text());
    for (const TextField &date : dateFields) {
        const QDate chosen = dateBox(date.box)->chosenDate();
        set(date.column, chosen.isValid() ? QVariant(chosen) : QVariant());
    }
    for (const LookupField &lookup : lookupFields)
        set(lookup.column, wholeNumber(findChild<QLineEdit *>(codeBoxOf(lookup.nameBox))->text(),
                                       QString::fromUtf8(lookup.label)));
    set("stud_gender", ui->RBfemail->isChecked() ? 2 : 1);
    set("stud_religion", 0);
    set("stud_status", 1);
    set("is_active", insert || ui->RBactive->isChecked() ? 1 : 0);
    return record;
}

// ---------------------------------------------------------------- delete

void TStudentsForm::spDeleteClick()
{
    if (!permissions::mayDeleteCases(sessionAccess()))
        return;
    if (ui->eCode->text().isEmpty()) {
        messages::info(QStringLiteral("إختار حالة"), this);
        return;
    }
    const int code = wholeNumber(ui->eCode->text(), QStringLiteral("الكود"));
    if (m_cases->hasTests(code)) {
        messages::info(QStringLiteral("لايُمكن إلغاء بيانات أساسية سبق تسجيل اختبارات عليها"), this);
        return;
    }
    if (!messages::ask(QStringLiteral("لن يُمكنك التراجع عن الإلغاء - هل بالفعل تريد الإلغاء؟"),
                       this))
        return;
    if (m_cases->remove(code))
        messages::info(QStringLiteral("تم الإلغاء بنجاح"), this);
    else
        messages::error(QStringLiteral("لم يتم الإلغاء لحدوث خطأ أثناء التنفيذ"),
                        m_cases->lastFailure(), this);
    clearToNewCase();
}

// ---------------------------------------------------------------- print and search

// Every case of the branch whose name is set, whatever the case inquiry last searched by.
void TStudentsForm::spPrintClick()
{
    if (!applyTypedDates())
        return;
    globals().lookup.LookupButton = ui->spPrint;
    TDataModule1 *dm = TDataModule1::instance();
    dm->setStudentsCriterion(QStringLiteral("stud_name"));
    Statement *cases = dm->StudentsQuery;
    cases->setParam(QStringLiteral("branch_no"), globals().CurrentBranchNo);
    cases->setParam(QStringLiteral("param_1"), QString());
    {
        WorkProgress progress(this, QStringLiteral("جارى قراءة الحالات..."),
                              WorkProgress::Showing::WhenSlow);
        const WatchedReads watch(dm->Database1, progress.goOn());
        cases->open();
    }
    screens::object<TStudentsReportForm>(QStringLiteral("StudentsReportForm"))
        ->previewRows(cases, TStudentsReportForm::plainTitle(), this);
}

void TStudentsForm::spCourseClick()
{
    TCaseCourseReport::instance()->previewCase(ui->eCode->text().toInt(), this);
}

void TStudentsForm::spHistoryClick()
{
    if (!permissions::mayReadRecordHistory(sessionAccess()))
        return;
    const int code = ui->eCode->text().toInt();
    if (code == 0) {
        messages::info(QStringLiteral("لا توجد حالة مسجلة معروضة"), this);
        return;
    }
    TRecordHistoryForm::instance()->showRecord(
        QStringLiteral("سجل تغييرات الحالة ") + isolated(QString::number(code)) +
            QStringLiteral(" ") + ui->eName->text(),
        {QStringLiteral("student")}, {{QStringLiteral("stud_code"), code}});
}

void TStudentsForm::spSudentFormSearchClick()
{
    globals().lookup.LookupButton = ui->spSudentFormSearch;
    screens::show(QStringLiteral("StudentQueryForm"));
}

} // namespace simat
