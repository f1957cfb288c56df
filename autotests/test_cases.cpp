// The case record form on both engines: the reset, the birth date with its Hijri box and age
// limit, the digit boxes, saving new and loaded cases with the three questions, every column
// through a save and a load, the dates that must be chosen and those that may stay empty,
// unsaved changes on every way out, deleting, and a failed insert that keeps what was typed.
#include "fixtures.h"
#include "register_builder.h"

#include "cases/students.h"
#include "core/age.h"
#include "core/hijri.h"
#include "data/dm.h"
#include "ui/messages.h"
#include "ui/screens.h"

#include <QClipboard>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QToolTip>
#include <map>

using namespace simat;
using namespace simat::testing;

namespace {

const QString ageLimit = QStringLiteral("سن الحالة يجب ألا يزيد عن 8 سنوات");
const QString saved = QStringLiteral("تم حفظ التعديلات بنجاح");
const QString noAddress = QStringLiteral("لم يتم إدخال العنوان - هل بالفعل تريد الاستمرار؟");
const QString noHomePhone =
    QStringLiteral("لم يتم إدخال رقم هاتف المنزل - هل بالفعل تريد الاستمرار؟");
const QString noMobile =
    QStringLiteral("لم يتم إدخال رقم الهاتف المحمول - هل بالفعل تريد الاستمرار؟");

TStudentsForm *form()
{
    return screens::find<TStudentsForm>(QStringLiteral("StudentsForm"));
}

template <typename T = QLineEdit> T *control(const char *name)
{
    T *found = form()->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no %s on StudentsForm", name);
    return found;
}

QString text(const char *name)
{
    return control(name)->text();
}

QDateEdit *birthDate()
{
    return control<QDateEdit>("DTbirthDate");
}

// A date box or a Hijri box that shows no date.
bool showsNoDate(const char *name)
{
    return control<QWidget>(name)->property("text").toString().remove('/').trimmed().isEmpty();
}

QStringList shownAge()
{
    return {control<QLabel>("Lage_years")->text(), control<QLabel>("Lage_months")->text(),
            control<QLabel>("Lage_days")->text()};
}

const QList<QMessageBox::StandardButton> yesToAll = {QMessageBox::Yes};

// The ways from a case on the form to another one or away from the form.
enum class Way { New, AnotherCase, ExitKey, Escape, CloseBox, Logout };

} // namespace

class CasesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestRegister> reg;

    TDataModule1 *dm() { return TDataModule1::instance(); }

    QStringList stored(int code, const QStringList &columns)
    {
        const QStringList values =
            reg->row(QStringLiteral("select %1 from student where stud_code=%2")
                         .arg(columns.join(','))
                         .arg(code));
        return values.isEmpty() ? QStringList(columns.size(), QStringLiteral("<none>")) : values;
    }

    int caseCount() { return reg->count("select count(*) from student"); }

    void openScreen()
    {
        screens::show(QStringLiteral("StudentsForm"));
        QApplication::setActiveWindow(form());
    }

    // The texts of the message boxes that the click brought up, questions answered in turn.
    QStringList click(const char *button,
                      QList<QMessageBox::StandardButton> answers = {QMessageBox::Ok})
    {
        BoxAnswerer boxes(answers);
        QTest::mouseClick(control<QToolButton>(button), Qt::LeftButton);
        return boxes.texts;
    }

    void press(Qt::Key key, const char *inBox = "eName")
    {
        QApplication::setActiveWindow(form());
        QTest::keyClick(control(inBox), key);
    }

    // Types over the whole of what a box holds, as a person does after selecting it.
    void typeOver(const char *name, const QString &typed)
    {
        QWidget *box = control<QWidget>(name);
        box->setFocus();
        QMetaObject::invokeMethod(box, "selectAll");
        typeText(box, typed);
    }

    // A double click on the case in the inquiry that the form's search opened.
    void chooseInInquiry(int code)
    {
        auto *grid = screens::find(QStringLiteral("StudentQueryForm"))
                         ->findChild<QTableView *>(QStringLiteral("DBGstudents"));
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            if (gridText(grid, row, 0) == QString::number(code))
                grid->setCurrentIndex(grid->model()->index(row, 0));
        QTest::keyClick(grid, Qt::Key_Return);
    }

    // The texts of the boxes that taking the way brought up, each question answered so.
    QStringList take(Way way, int otherCase, QMessageBox::StandardButton answer)
    {
        BoxAnswerer boxes({answer});
        const std::map<Way, Qt::Key> keys = {
            {Way::New, Qt::Key_F2}, {Way::ExitKey, Qt::Key_F12}, {Way::Escape, Qt::Key_Escape}};
        QCloseEvent close;
        if (keys.count(way))
            press(keys.at(way));
        else if (way == Way::AnotherCase)
            chooseInInquiry(otherCase);
        else if (way == Way::Logout)
            QTest::mouseClick(on<QToolButton>("MainForm", "spExit"), Qt::LeftButton);
        else
            QApplication::sendEvent(form()->windowHandle(), &close);
        return boxes.texts;
    }

    void pick(const char *button, const QString &partOfName)
    {
        click(button);
        auto *search = screens::find(QStringLiteral("SearchForm"))
                           ->findChild<QLineEdit *>(QStringLiteral("Eacc_name"));
        typeText(search, partOfName);
        QTest::keyClick(search, Qt::Key_Return);
    }

private slots:
    void initTestCase_data() { addEngineRows(); }

    void init()
    {
        SIMAT_NEW_REGISTER_OF_ROW(reg);
        openScreen();
    }

    void cleanup() { reg.reset(); }

    void theFormOpensOnANewCaseWithoutDates()
    {
        control("eName")->setText("x");
        control<QRadioButton>("RBfemail")->setChecked(true);
        control<QDateEdit>("DTidDate")->setDate(QDate(2024, 3, 7));
        control<QTabWidget>("PCpages")->setCurrentIndex(2);
        BoxAnswerer boxes(yesToAll);
        press(Qt::Key_F2);
        QCOMPARE(boxes.texts, QStringList({messages::unsavedQuestion}));
        QCOMPARE(text("eCode"), QString());
        QCOMPARE(text("eName"), QString());
        QCOMPARE(text("eGuardianKinshipDegreeCode"), QStringLiteral("0"));
        QCOMPARE(text("eKinship2DegreeCode"), QStringLiteral("0"));
        for (const char *date : {"DTbirthDate", "emHajDate", "DTidDate", "DTGuardianIdDate"})
            QVERIFY2(showsNoDate(date), date);
        QCOMPARE(shownAge(), QStringList({"0", "0", "0"}));
        QVERIFY(control<QRadioButton>("RBmail")->isChecked());
        QVERIFY(control<QRadioButton>("RBactive")->isChecked());
        QCOMPARE(control<QTabWidget>("PCpages")->currentIndex(), 0);
        QCOMPARE(form()->focusWidget(), control("eName"));
        QVERIFY(control<QToolButton>("spDelete")->isVisible());
        QVERIFY(!control<QWidget>("PNLcaseReports")->isVisible());
        QApplication::setActiveWindow(form());
        QStringList order;
        // Tab moves through the sections of a date before it leaves it.
        for (int key = 0; key < 12 && order.size() < 7; ++key) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (!order.endsWith(QApplication::focusWidget()->objectName()))
                order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order, QStringList({"DTbirthDate", "emHajDate", "RBmail", "RBactive",
                                     "eMainStreet", "eHomePhoneNo", "eGuardianMobileNo"}));
        click("spSudentFormSearch");
        QVERIFY(screens::find(QStringLiteral("StudentQueryForm"))->isVisible());
        press(Qt::Key_F12);
        QCOMPARE(boxes.count(), 1);
        QVERIFY(!form()->isVisible());
    }

    void theBirthDateKeepsToEightYearsAndShowsTheAgeAndHijri()
    {
        const QDate today = QDate::currentDate();
        BoxAnswerer boxes;
        birthDate()->setDate(today.addYears(-8));
        QCOMPARE(shownAge(), QStringList({"8", "0", "0"}));
        QCOMPARE(text("emHajDate"), hijri::fromGregorian(today.addYears(-8)));
        QCOMPARE(boxes.count(), 0);
        birthDate()->setDate(today.addYears(-8).addDays(-1));
        QCOMPARE(boxes.texts, QStringList({ageLimit}));
        QVERIFY(showsNoDate("DTbirthDate"));
        QVERIFY(showsNoDate("emHajDate"));
        QCOMPARE(shownAge(), QStringList({"0", "0", "0"}));
        const QDate borrowing = today.addDays(-45);
        const Age age = ageOn(borrowing, today);
        birthDate()->setDate(borrowing);
        QCOMPARE(shownAge(), QStringList({QString::number(age.years), QString::number(age.months),
                                          QString::number(age.days)}));
        birthDate()->setDate(today.addDays(3));
        QCOMPARE(birthDate()->date(), today);
        QCOMPARE(shownAge(), QStringList({"0", "0", "0"}));
        QCOMPARE(text("emHajDate"), hijri::fromGregorian(today));
        QCOMPARE(boxes.count(), 1);
    }

    void aHijriDateMovesTheBirthDateAndABadOneChangesNothing()
    {
        const QDate birth = QDate::currentDate().addYears(-3);
        QLineEdit *hijriBox = control("emHajDate");
        hijriBox->setText(hijri::fromGregorian(birth));
        QTest::keyClick(hijriBox, Qt::Key_Return);
        QCOMPARE(birthDate()->date(), birth);
        QCOMPARE(control<QLabel>("Lage_years")->text(), QStringLiteral("3"));
        BoxAnswerer boxes;
        hijriBox->setText(QStringLiteral("31/13/1440"));
        QTest::keyClick(hijriBox, Qt::Key_Return);
        QCOMPARE(boxes.texts, QStringList({QStringLiteral(
                                  "تاريخ الميلاد الهجرى \"\u206631/13/1440\u2069\" غير صحيح")}));
        QCOMPARE(birthDate()->date(), birth);
        QCOMPARE(hijriBox->text(), hijri::fromGregorian(birth));
        hijriBox->clear();
        QTest::keyClick(hijriBox, Qt::Key_Return);
        QCOMPARE(birthDate()->date(), birth);
        QCOMPARE(boxes.count(), 1);
    }

    void aHijriBirthDateTypedAndSavedAtOnceIsStored()
    {
        const QDate birth = QDate::currentDate().addYears(-3).addDays(-20);
        const int code =
            reg->caseNamed("ليلى", QDate::currentDate().addYears(-5),
                           {.homePhone = "0114", .mobile = "0555123456", .street = "شارع"});
        form()->loadCase(code);
        typeOver("emHajDate", hijri::fromGregorian(birth));
        BoxAnswerer boxes;
        press(Qt::Key_F8, "emHajDate");
        QCOMPARE(boxes.texts, QStringList({saved}));
        QCOMPARE(stored(code, {"stud_birth_date", "stud_birth_haj_date"}),
                 QStringList({birth.toString(Qt::ISODate), hijri::fromGregorian(birth)}));
        QCOMPARE(birthDate()->date(), birth);
        QCOMPARE(text("emHajDate"), hijri::fromGregorian(birth));
        QCOMPARE(control<QLabel>("Lage_years")->text(), QStringLiteral("3"));
        press(Qt::Key_F12);
        QCOMPARE(boxes.count(), 1);
        QVERIFY(!form()->isVisible());
    }

    // Neither a save nor a print goes on past a Hijri text that is not a date.
    void aHijriTextThatIsNotADateIsRefusedAndNothingIsStored()
    {
        const QDate birth = QDate::currentDate().addYears(-5);
        const int code = reg->caseNamed("ليلى", birth, {.mobile = "0555123456", .street = "شارع"});
        form()->loadCase(code);
        const QStringList before = stored(code, {"stud_birth_date", "entry_type"});
        PreviewCloser previews;
        for (const Qt::Key key : {Qt::Key_F8, Qt::Key_F9}) {
            typeOver("emHajDate", QStringLiteral("30/02/14"));
            BoxAnswerer boxes(yesToAll);
            press(key, "emHajDate");
            QCOMPARE(boxes.texts, QStringList({QStringLiteral(
                                      "تاريخ الميلاد الهجرى \"\u206630/02/14\u2069\" غير صحيح")}));
            QCOMPARE(form()->focusWidget(), control("emHajDate"));
            QCOMPARE(text("emHajDate"), hijri::fromGregorian(birth));
            QCOMPARE(birthDate()->date(), birth);
        }
        QCOMPARE(previews.shown, 0);
        QCOMPARE(stored(code, {"stud_birth_date", "entry_type"}), before);
    }

    // A case is never stored as born on the day it was entered; the identity dates not chosen
    // are stored and shown empty, and a date typed into an empty box is taken.
    void aDateIsTypedDayFirstAndAnythingElseIsRefusedOnLeaving_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("shown");
        const QDate ides(2019, 3, 15);
        QTest::newRow("digits only") << "15032019" << ides;
        QTest::newRow("slashes") << "15/03/2019" << ides;
        QTest::newRow("dashes, one-digit month") << "15-3-2019" << ides;
        QTest::newRow("unfinished") << "1503" << QDate();
        QTest::newRow("no such day") << "31022019" << QDate();
        QTest::newRow("before 1900") << "15031899" << QDate();
    }

    void aDateIsTypedDayFirstAndAnythingElseIsRefusedOnLeaving()
    {
        QFETCH(QString, typed);
        QFETCH(QDate, shown);
        BoxAnswerer boxes;
        typeOver("DTbirthDate", typed);
        control("eName")->setFocus();
        QTRY_COMPARE(boxes.count(), shown.isValid() ? 0 : 1);
        if (shown.isValid())
            QCOMPARE(birthDate()->date(), shown);
        else
            QVERIFY(showsNoDate("DTbirthDate"));
        if (!shown.isValid()) {
            QVERIFY2(boxes.texts.first().startsWith("تاريخ الميلاد"),
                     qPrintable(boxes.texts.first()));
            QVERIFY(boxes.texts.first().contains(typed));
            QCOMPARE(form()->focusWidget(), birthDate());
        }
    }

    void enterMovesThroughTheFormToItsSaveAndF5FindsACase()
    {
        QLineEdit *name = control("eName");
        name->setFocus();
        typeText(name, QStringLiteral("ريان"));
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(form()->focusWidget(), birthDate());
        typeText(birthDate(), QStringLiteral("15032019"));
        BoxAnswerer boxes(yesToAll);
        for (int field = 0; field < 20 && boxes.count() == 0; ++field)
            QTest::keyClick(form()->focusWidget(), Qt::Key_Return);
        QCOMPARE(boxes.texts.last(), saved);
        QCOMPARE(stored(1, {"stud_name", "stud_birth_date"}), QStringList({"ريان", "2019-03-15"}));
        press(Qt::Key_F5);
        QTRY_VERIFY(screen("StudentQueryForm")->isVisible());
    }

    void anEmailAddressAndAMobileNumberMustLookLikeOne_data()
    {
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("mobile");
        QTest::addColumn<QString>("refusedField");
        QTest::newRow("both well formed") << "amal@centre.sa"
                                          << "0551234567"
                                          << "";
        QTest::newRow("nine digits after a country code") << ""
                                                          << "+966551234567"
                                                          << "";
        QTest::newRow("a country code after 00") << ""
                                                 << "00966551234567"
                                                 << "";
        QTest::newRow("no domain") << "abc"
                                   << ""
                                   << "eGuardianEmail";
        QTest::newRow("eleven digits") << ""
                                       << "05512345678"
                                       << "eGuardianMobileNo";
        QTest::newRow("eight digits") << ""
                                      << "05512345"
                                      << "eGuardianMobileNo";
    }

    void anEmailAddressAndAMobileNumberMustLookLikeOne()
    {
        QFETCH(QString, email);
        QFETCH(QString, mobile);
        QFETCH(QString, refusedField);
        typeText(control("eName"), QStringLiteral("أمل"));
        birthDate()->setDate(QDate::currentDate().addYears(-3));
        control("eGuardianEmail")->setText(email);
        QLineEdit *mobileBox = control("eGuardianMobileNo");
        mobileBox->setFocus();
        typeText(mobileBox, mobile);
        QCOMPARE(mobileBox->text(), mobile);
        const QStringList boxes = click("spSave", yesToAll);
        if (refusedField.isEmpty()) {
            QCOMPARE(boxes.last(), saved);
            return;
        }
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.first().contains("غير صحيح"), qPrintable(boxes.first()));
        QCOMPARE(form()->focusWidget(), control(qPrintable(refusedField)));
        QCOMPARE(caseCount(), 0);
    }

    void escapeClosesThePickerAsF12DoesAndLeavesTheFormOpen()
    {
        control<QTabWidget>("PCpages")->setCurrentIndex(1);
        click("spBirthCountry");
        QWidget *picker = screen("SearchForm");
        QTRY_VERIFY(picker->isVisible());
        QApplication::setActiveWindow(picker);
        QTest::keyClick(picker->findChild<QLineEdit *>(QStringLiteral("Eacc_name")),
                        Qt::Key_Escape);
        QVERIFY(!picker->isVisible());
        QVERIFY(form()->isVisible());
        QCOMPARE(text("eBirthCountry"), QString());
    }

    void aCaseNeedsABirthDateWhileItsIdentityDatesMayStayEmpty()
    {
        typeText(control("eName"), QStringLiteral("سلمى"));
        QCOMPARE(click("spSave", yesToAll), QStringList({"أدخل تاريخ ميلاد الحالة"}));
        QCOMPARE(form()->focusWidget(), birthDate());
        QCOMPARE(caseCount(), 0);
        const QDate birth = QDate::currentDate().addYears(-4);
        birthDate()->setDate(birth);
        QCOMPARE(click("spSave", yesToAll).last(), saved);
        const QStringList dates = {"stud_birth_date", "stud_id_date", "stud_guard_id_date"};
        QCOMPARE(reg->count("select count(*) from student where stud_id_date is null and "
                            "stud_guard_id_date is null"),
                 1);
        form()->loadCase(1);
        QVERIFY(showsNoDate("DTidDate"));
        QVERIFY(showsNoDate("DTGuardianIdDate"));
        control<QTabWidget>("PCpages")->setCurrentIndex(1);
        typeOver("DTidDate", QStringLiteral("07032024"));
        QCOMPARE(click("spSave", yesToAll).last(), saved);
        QCOMPARE(stored(1, dates), QStringList({birth.toString(Qt::ISODate), "2024-03-07", ""}));
    }

    void unsavedChangesAreKeptOnNoAndDroppedOnYes_data()
    {
        QTest::addColumn<Way>("way");
        QTest::newRow("new") << Way::New;
        QTest::newRow("another case") << Way::AnotherCase;
        QTest::newRow("F12") << Way::ExitKey;
        QTest::newRow("Escape") << Way::Escape;
        QTest::newRow("close box") << Way::CloseBox;
        QTest::newRow("logout") << Way::Logout;
    }

    void unsavedChangesAreKeptOnNoAndDroppedOnYes()
    {
        QFETCH(Way, way);
        const QDate birth = QDate::currentDate().addYears(-4);
        const int code =
            reg->caseNamed("سارة", birth, {.mobile = "0555123456", .street = "شارع الملز"});
        const int other = reg->caseNamed("نورة", birth);
        click("spSudentFormSearch");
        chooseInInquiry(code);
        QCOMPARE(text("eCode"), QString::number(code));
        if (way == Way::AnotherCase)
            click("spSudentFormSearch");
        birthDate()->setDate(birth.addYears(1));
        typeOver("eMainStreet", QStringLiteral("شارع العليا"));
        typeOver("eGuardianMobileNo", QStringLiteral("0566"));
        const auto shown = [] {
            return QStringList({birthDate()->date().toString(Qt::ISODate), text("eMainStreet"),
                                text("eGuardianMobileNo"), text("eCode")});
        };
        const QStringList changed = shown();

        QCOMPARE(take(way, other, QMessageBox::No), QStringList({messages::unsavedQuestion}));
        QVERIFY(form()->isVisible());
        QCOMPARE(shown(), changed);
        QCOMPARE(stored(code, {"stud_birth_date", "stud_main_street", "stud_guard_mobile_no"}),
                 QStringList({birth.toString(Qt::ISODate), "شارع الملز", "0555123456"}));

        QCOMPARE(take(way, other, QMessageBox::Yes), QStringList({messages::unsavedQuestion}));
        switch (way) {
        case Way::New:
            QCOMPARE(text("eCode"), QString());
            QVERIFY(showsNoDate("DTbirthDate"));
            break;
        case Way::AnotherCase:
            QCOMPARE(text("eCode"), QString::number(other));
            QCOMPARE(text("eMainStreet"), QString());
            break;
        default:
            QVERIFY(!form()->isVisible());
        }
        QCOMPARE(screen("MainForm")->isVisible(), way != Way::Logout);
    }

    // A refused character opens no window, so what is typed next still lands in the box.
    void digitBoxesRefuseEveryOtherCharacterWithAHintBesideTheBox()
    {
        for (const char *name :
             {"eIDNo", "eFileNo", "eGuardianIdNo", "eHomePhoneNo", "eGuardianMobileNo",
              "eGuardianWorkPhoneNo", "eKinship1PhoneNo", "eKinship2PhoneNo"}) {
            QToolTip::hideText();
            typeText(control(name), QStringLiteral("a"));
            QCOMPARE(text(name), QString());
            QVERIFY2(QToolTip::text().startsWith("يقبل هذا الحقل أرقاماً فقط: "), name);
        }
        QLineEdit *mobile = control("eGuardianMobileNo");
        const int beeps = messages::beepCount();
        BoxAnswerer none;
        typeText(mobile, QStringLiteral("05 ٣x5"));
        QCOMPARE(mobile->text(), QStringLiteral("055"));
        QCOMPARE(QToolTip::text(), QStringLiteral("يقبل هذا الحقل أرقاماً فقط: رقم الجوال"));
        QCOMPARE(messages::beepCount(), beeps + 3);
        QApplication::clipboard()->setText(QStringLiteral("12-a3"));
        QTest::keyClick(mobile, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(mobile->text(), QStringLiteral("055123"));
        QCOMPARE(QToolTip::text(),
                 QStringLiteral("لُصقت الأرقام وحدها - يقبل هذا الحقل أرقاماً فقط: رقم الجوال"));
        QCOMPARE(none.count(), 0);
        typeText(control("eMainStreet"), QStringLiteral("شارع 5"));
        QCOMPARE(text("eMainStreet"), QStringLiteral("شارع 5"));
    }

    void saveAsksAboutAddressAndPhonesThenNumbersAndShowsTheNewCase()
    {
        QCOMPARE(click("spSave", yesToAll), QStringList({"لابد من إدخال اسم الحالة"}));
        QCOMPARE(form()->focusWidget(), control("eName"));
        typeText(control("eName"), QStringLiteral("سارة"));
        birthDate()->setDate(QDate::currentDate().addYears(-2));
        QCOMPARE(click("spSave", {QMessageBox::No}), QStringList({noAddress}));
        QCOMPARE(form()->focusWidget(), control("eMainStreet"));
        QCOMPARE(click("spSave", {QMessageBox::Yes, QMessageBox::No}),
                 QStringList({noAddress, noHomePhone}));
        QCOMPARE(form()->focusWidget(), control("eHomePhoneNo"));
        QCOMPARE(click("spSave", {QMessageBox::Yes, QMessageBox::Yes, QMessageBox::No}),
                 QStringList({noAddress, noHomePhone, noMobile}));
        QCOMPARE(form()->focusWidget(), control("eGuardianMobileNo"));
        QCOMPARE(caseCount(), 0);

        control<QRadioButton>("RBUnactive")->setChecked(true);
        QCOMPARE(click("spSave", yesToAll), QStringList({noAddress, noHomePhone, noMobile, saved}));
        QCOMPARE(text("eCode"), QStringLiteral("1"));
        const QStringList audit = {"stud_name",  "stud_guard_mobile_no", "is_active",
                                   "entry_type", "who_insert",           "who_update"};
        QCOMPARE(stored(1, audit), QStringList({"سارة", "", "1", "1", "1", "0"}));

        typeText(control("eMainStreet"), QStringLiteral("شارع الملز"));
        typeText(control("eHomePhoneNo"), QStringLiteral("0114"));
        typeText(control("eGuardianMobileNo"), QStringLiteral("0555123456"));
        QCOMPARE(click("spSave"), QStringList({saved}));
        QCOMPARE(caseCount(), 1);
        QCOMPARE(stored(1, audit), QStringList({"سارة", "0555123456", "0", "2", "1", "1"}));

        press(Qt::Key_F2);
        typeText(control("eName"), QStringLiteral("نورة"));
        birthDate()->setDate(QDate::currentDate().addYears(-2));
        QCOMPARE(click("spSave", yesToAll).last(), saved);
        QCOMPARE(text("eCode"), QStringLiteral("2"));
        QCOMPARE(caseCount(), 2);
    }

    void everyColumnIsSavedAndLoadedBack()
    {
        const QDate birth = QDate::currentDate().addYears(-5).addDays(-10);
        const QDate idDate(2024, 3, 7);
        const QDate guardianIdDate(2019, 11, 30);
        const QStringList plain = {"eName",
                                   "eIDNo",
                                   "eIdSource",
                                   "eFileNo",
                                   "eMainStreet",
                                   "eSubStreet",
                                   "eHouseNo",
                                   "ePostalCode",
                                   "ePostalNo",
                                   "eGuardianName",
                                   "eGuardianIdNo",
                                   "eGuardianIdSource",
                                   "eGuardianJob",
                                   "eGuardianWorkPlace",
                                   "eHomePhoneNo",
                                   "eGuardianMobileNo",
                                   "eGuardianWorkPhoneNo",
                                   "eGuardianEmail",
                                   "eKinship1Name",
                                   "eKinship1PhoneNo",
                                   "eKinship2Name",
                                   "eKinship2PhoneNo"};
        // A value of its own for each box, of the form its box asks.
        const auto valueOf = [&](int i) {
            if (plain[i] == "eGuardianEmail")
                return QStringLiteral("x%1@centre.sa").arg(100 + i);
            if (plain[i] == "eGuardianMobileNo")
                return QStringLiteral("0555%1").arg(100000 + i);
            return QString::number(100 + i);
        };
        for (int i = 0; i < plain.size(); ++i)
            control(qPrintable(plain[i]))->setText(valueOf(i));
        control("eName")->setText(QStringLiteral("ريم"));
        const QList<std::pair<const char *, int>> lookups = {{"eBirthCountryCode", 2},
                                                             {"eNationalityCode", 3},
                                                             {"eIdTypeCode", 2},
                                                             {"eEduPhaseCode", 1},
                                                             {"eEduClassLevelCode", 4},
                                                             {"eHouseTypeCode", 2},
                                                             {"eHouseOwnershipCode", 3},
                                                             {"eDistrictCode", 1},
                                                             {"eCityCode", 5},
                                                             {"eNeighborhoodCode", 4},
                                                             {"eGuardianKinshipDegreeCode", 1},
                                                             {"eGuardianIdTypeCode", 3},
                                                             {"eKinship1DegreeCode", 3}};
        for (const auto &[box, code] : lookups)
            control(box)->setText(QString::number(code));
        pick("spGuardianNathionality", QStringLiteral("مصر"));
        pick("SpeedButton2", QStringLiteral("الجدة"));
        QCOMPARE(text("eGuardianNationality"), QStringLiteral("مصري"));
        QCOMPARE(text("eKinship2DegreeCode"), QStringLiteral("6"));
        birthDate()->setDate(birth);
        control<QDateEdit>("DTidDate")->setDate(idDate);
        control<QDateEdit>("DTGuardianIdDate")->setDate(guardianIdDate);
        control<QRadioButton>("RBfemail")->setChecked(true);
        QCOMPARE(click("spSave"), QStringList({saved}));

        QCOMPARE(stored(1, {"stud_birth_date", "stud_birth_haj_date", "stud_id_date",
                            "stud_guard_id_date", "stud_gender", "stud_religion", "stud_status",
                            "stud_guard_nationality", "stud_kinship_2_kinship_degree", "stud_city",
                            "stud_guard_work_phone_no", "branch_no"}),
                 QStringList({birth.toString(Qt::ISODate), hijri::fromGregorian(birth),
                              idDate.toString(Qt::ISODate), guardianIdDate.toString(Qt::ISODate),
                              "2", "0", "1", "2", "6", "5", "116", "0"}));

        form()->loadCase(2);
        QCOMPARE(text("eName"), QString());
        form()->loadCase(1);
        QCOMPARE(text("eCode"), QStringLiteral("1"));
        QCOMPARE(text("eName"), QStringLiteral("ريم"));
        for (int i = 1; i < plain.size(); ++i)
            QCOMPARE(text(qPrintable(plain[i])), valueOf(i));
        for (const auto &[box, code] : lookups)
            QCOMPARE(text(box), QString::number(code));
        QCOMPARE(text("eGuardianNationality"), QStringLiteral("مصري"));
        QCOMPARE(text("eNationality"), QStringLiteral("أردني"));
        QCOMPARE(text("eGuardianIdType"), QStringLiteral("جواز سفر"));
        QCOMPARE(text("eKinship1Degree"), QStringLiteral("الأخ"));
        QCOMPARE(text("eKinship2Degree"), QStringLiteral("الجدة"));
        QCOMPARE(birthDate()->date(), birth);
        QCOMPARE(control<QDateEdit>("DTidDate")->date(), idDate);
        QCOMPARE(control<QDateEdit>("DTGuardianIdDate")->date(), guardianIdDate);
        QVERIFY(control<QRadioButton>("RBfemail")->isChecked());
        QVERIFY(control<QRadioButton>("RBactive")->isChecked());
    }

    // The stored Hijri text is not trusted: the loaded case shows the conversion of its
    // Gregorian birth date, and its age even past the limit of a new entry.
    void aLoadedCaseShowsItsHijriBirthDateFromTheGregorianOne()
    {
        const QDate birth = QDate::currentDate().addYears(-10);
        const int code = reg->caseNamed("عمر", birth, {.active = false});
        // A Hijri text and a gender that the form never writes.
        reg->run(QStringLiteral("update student set stud_birth_haj_date = '01/01/1300', "
                                "stud_gender = 9 where stud_code = %1")
                     .arg(code));
        BoxAnswerer boxes;
        form()->loadCase(code);
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(birthDate()->date(), birth);
        QCOMPARE(text("emHajDate"), hijri::fromGregorian(birth));
        QCOMPARE(control<QLabel>("Lage_years")->text(), QStringLiteral("10"));
        QVERIFY(control<QRadioButton>("RBmail")->isChecked());
        QVERIFY(control<QRadioButton>("RBUnactive")->isChecked());
    }

    void aCaseWithTestsIsNotDeletedOthersAreAfterAYes()
    {
        const QString refused =
            QStringLiteral("لايُمكن إلغاء بيانات أساسية سبق تسجيل اختبارات عليها");
        const QString confirm =
            QStringLiteral("لن يُمكنك التراجع عن الإلغاء - هل بالفعل تريد الإلغاء؟");
        QCOMPARE(click("spDelete"), QStringList({"إختار حالة"}));
        const int tested = reg->caseNamed("مختبر", QDate(2022, 1, 5));
        reg->caseNamed("جديد", QDate(2022, 1, 5));
        reg->test(tested).add();
        // A list of tests open on another screen keeps its own case.
        const int listed = reg->caseNamed("في القائمة", QDate(2022, 1, 5));
        reg->test(listed).add();
        reg->test(listed).add();
        Statement *tests = dm()->FindStudTestHdrAllQuery;
        tests->setParam("stud_code", listed);
        tests->open();
        form()->loadCase(tested);
        QCOMPARE(click("spDelete", yesToAll), QStringList({refused}));
        QVERIFY(tests->isOpen());
        QCOMPARE(tests->rowCount(), 2);
        QCOMPARE(tests->intValue("stud_code"), listed);
        form()->loadCase(2);
        QCOMPARE(click("spDelete", {QMessageBox::No}), QStringList({confirm}));
        QCOMPARE(text("eCode"), QStringLiteral("2"));
        QCOMPARE(caseCount(), 3);
        BoxAnswerer boxes(yesToAll);
        press(Qt::Key_F4);
        QCOMPARE(boxes.texts, QStringList({confirm, "تم الإلغاء بنجاح"}));
        QCOMPARE(stored(2, {"stud_name"}), QStringList({"<none>"}));
        QCOMPARE(caseCount(), 2);
        QCOMPARE(text("eCode"), QString());
    }

    // The buttons after a hidden one stay where they were, under the user's pointer.
    void theDeleteButtonIsOfferedBelowLevelTwoAndNoButtonMoves()
    {
        openScreen();
        QVERIFY(control<QToolButton>("spDelete")->isVisible());
        QTest::qWait(20);
        const QPoint exitAtLevel0 = control<QToolButton>("spExit")->mapTo(form(), QPoint());
        form()->close();
        reg->account({.code = 4, .level = 2});
        BoxAnswerer boxes;
        logIn("4", "pw4");
        openScreen();
        QVERIFY(!control<QToolButton>("spDelete")->isVisible());
        QTest::qWait(20);
        QCOMPARE(control<QToolButton>("spExit")->mapTo(form(), QPoint()), exitAtLevel0);
    }

    // Whatever the case inquiry searched by last, the list has every named case of the branch.
    void printListsEveryCaseOfTheBranch()
    {
        reg->caseNamed("هند", QDate(2022, 1, 5));
        reg->caseNamed("علي", QDate(2022, 1, 5), {.active = false});
        reg->caseNamed("x", {}, {.branch = 5});
        Statement *cases = dm()->StudentsQuery;
        cases->setLine(TDataModule1::StudentsCriterionLine, "and stud_code=:param_1");
        cases->setParam("param_1", "1");
        int listed = -1;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&listed, cases] {
            if (auto *preview =
                    qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget())) {
                listed = cases->rowCount();
                preview->reject();
            }
        });
        closer.start(20);
        press(Qt::Key_F9);
        QCOMPARE(listed, 2);
    }

    void aFailedInsertIsRolledBackAndKeepsWhatWasTyped()
    {
        reg->run("create unique index student_one_name on student (stud_name)");
        reg->caseNamed("توأم", QDate(2022, 1, 5));
        typeText(control("eName"), QStringLiteral("توأم"));
        typeText(control("eMainStreet"), QStringLiteral("شارع"));
        birthDate()->setDate(QDate(2022, 1, 5));
        BoxAnswerer boxes(yesToAll);
        QTest::mouseClick(control<QToolButton>("spSave"), Qt::LeftButton);
        QCOMPARE(boxes.texts.last(),
                 QStringLiteral("خطأ أثناء الحفظ\nالقيمة المدخلة في \"اسم الحالة\" موجودة من قبل "
                                "في قاعدة البيانات، فلم يتغير شيء - غيّرها ثم احفظ مرة أخرى"));
        QCOMPARE(boxes.icons.last(), QMessageBox::Critical);
        QVERIFY(!boxes.details.last().isEmpty());
        QCOMPARE(caseCount(), 1);
        QCOMPARE(text("eCode"), QString());
        QCOMPARE(text("eName"), QStringLiteral("توأم"));
        QCOMPARE(text("eMainStreet"), QStringLiteral("شارع"));
        control("eName")->setText(QStringLiteral("توأم ثان"));
        QTest::mouseClick(control<QToolButton>("spSave"), Qt::LeftButton);
        QCOMPARE(boxes.texts.last(), saved);
        QCOMPARE(text("eCode"), QStringLiteral("2"));
    }
};

SIMAT_TEST_MAIN(CasesTest)
#include "test_cases.moc"
