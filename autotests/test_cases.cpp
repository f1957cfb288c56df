// The case record form on both engines: the reset, the birth date with its Hijri box and age
// limit, the digit boxes, saving new and loaded cases with the three questions, every column
// through a save and a load, deleting, and a failed insert that keeps what was typed.
#include "fixtures.h"
#include "register_builder.h"

#include "cases/students.h"
#include "core/age.h"
#include "core/hijri.h"
#include "data/dm.h"
#include "ui/screens.h"

#include <QClipboard>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

using namespace simat;
using namespace simat::testing;

namespace {

const QString ageLimit = QStringLiteral("سن الحالة يجب ألا يزيد عن 8 سنوات");
const QString digitsOnly =
    QStringLiteral("غير مسموح بإدخال الحروف والرموز الخاصة - مسموح بإدخال الأرقام فقط");
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

QStringList shownAge()
{
    return {control<QLabel>("Lage_years")->text(), control<QLabel>("Lage_months")->text(),
            control<QLabel>("Lage_days")->text()};
}

const QList<QMessageBox::StandardButton> yesToAll = {QMessageBox::Yes};

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

    void press(Qt::Key key)
    {
        QApplication::setActiveWindow(form());
        QTest::keyClick(control("eName"), key);
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

    void theFormOpensOnANewCaseOfToday()
    {
        control("eName")->setText("x");
        control<QRadioButton>("RBfemail")->setChecked(true);
        control<QTabWidget>("PCpages")->setCurrentIndex(2);
        press(Qt::Key_F2);
        QCOMPARE(text("eCode"), QString());
        QCOMPARE(text("eName"), QString());
        QCOMPARE(text("eGuardianKinshipDegreeCode"), QStringLiteral("0"));
        QCOMPARE(text("eKinship2DegreeCode"), QStringLiteral("0"));
        QCOMPARE(control<QDateEdit>("DTGuardianIdDate")->date(), QDate::currentDate());
        QCOMPARE(text("emHajDate"), hijri::fromGregorian(QDate::currentDate()));
        QCOMPARE(shownAge(), QStringList({"0", "0", "0"}));
        QVERIFY(control<QRadioButton>("RBmail")->isChecked());
        QVERIFY(control<QRadioButton>("RBactive")->isChecked());
        QCOMPARE(control<QTabWidget>("PCpages")->currentIndex(), 0);
        QCOMPARE(form()->focusWidget(), control("eName"));
        QVERIFY(control<QToolButton>("spDelete")->isVisible());
        QVERIFY(!control<QWidget>("PNLcaseReports")->isVisible());
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
        QCOMPARE(birthDate()->date(), today);
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
        QCOMPARE(boxes.texts,
                 QStringList({QStringLiteral("التاريخ الهجرى \"31/13/1440\" غير صحيح")}));
        QCOMPARE(birthDate()->date(), birth);
        QCOMPARE(hijriBox->text(), hijri::fromGregorian(birth));
        hijriBox->clear();
        QTest::keyClick(hijriBox, Qt::Key_Return);
        QCOMPARE(birthDate()->date(), birth);
        QCOMPARE(boxes.count(), 1);
    }

    void digitBoxesRefuseEveryOtherCharacterTypedOrPasted()
    {
        for (const char *name :
             {"eIDNo", "eFileNo", "eGuardianIdNo", "eHomePhoneNo", "eGuardianMobileNo",
              "eGuardianWorkPhoneNo", "eKinship1PhoneNo", "eKinship2PhoneNo"}) {
            BoxAnswerer boxes;
            typeText(control(name), QStringLiteral("a"));
            QCOMPARE(boxes.texts, QStringList({digitsOnly}));
            QCOMPARE(text(name), QString());
        }
        QLineEdit *phone = control("eHomePhoneNo");
        BoxAnswerer boxes;
        typeText(phone, QStringLiteral("05 ٣x"));
        QCOMPARE(phone->text(), QStringLiteral("05"));
        QApplication::clipboard()->setText(QStringLiteral("12a"));
        QTest::keyClick(phone, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(phone->text(), QStringLiteral("05"));
        QApplication::clipboard()->setText(QStringLiteral("123"));
        QTest::keyClick(phone, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(phone->text(), QStringLiteral("05123"));
        QCOMPARE(boxes.texts, QStringList(4, digitsOnly));
        typeText(control("eMainStreet"), QStringLiteral("شارع 5"));
        QCOMPARE(text("eMainStreet"), QStringLiteral("شارع 5"));
    }

    void saveAsksAboutAddressAndPhonesThenNumbersAndShowsTheNewCase()
    {
        QCOMPARE(click("spSave", yesToAll), QStringList({"لابد من إدخال اسم الحالة"}));
        QCOMPARE(form()->focusWidget(), control("eName"));
        typeText(control("eName"), QStringLiteral("سارة"));
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
        typeText(control("eGuardianMobileNo"), QStringLiteral("0555"));
        QCOMPARE(click("spSave"), QStringList({saved}));
        QCOMPARE(caseCount(), 1);
        QCOMPARE(stored(1, audit), QStringList({"سارة", "0555", "0", "2", "1", "1"}));

        press(Qt::Key_F2);
        typeText(control("eName"), QStringLiteral("نورة"));
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
        for (int i = 0; i < plain.size(); ++i)
            control(qPrintable(plain[i]))->setText(QString::number(100 + i));
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
            QCOMPARE(text(qPrintable(plain[i])), QString::number(100 + i));
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
        form()->loadCase(tested);
        QCOMPARE(click("spDelete", yesToAll), QStringList({refused}));
        form()->loadCase(2);
        QCOMPARE(click("spDelete", {QMessageBox::No}), QStringList({confirm}));
        QCOMPARE(text("eCode"), QStringLiteral("2"));
        QCOMPARE(caseCount(), 2);
        BoxAnswerer boxes(yesToAll);
        press(Qt::Key_F4);
        QCOMPARE(boxes.texts, QStringList({confirm, "تم الإلغاء بنجاح"}));
        QCOMPARE(stored(2, {"stud_name"}), QStringList({"<none>"}));
        QCOMPARE(caseCount(), 1);
        QCOMPARE(text("eCode"), QString());
    }

    void theDeleteButtonIsOfferedBelowLevelTwo()
    {
        reg->account({.code = 4, .level = 2});
        BoxAnswerer boxes;
        logIn("4", "pw4");
        openScreen();
        QVERIFY(!control<QToolButton>("spDelete")->isVisible());
    }

    // Whatever the case inquiry searched by last, the list has every named case of the branch.
    void printListsEveryCaseOfTheBranch()
    {
        reg->caseNamed("هند", QDate(2022, 1, 5));
        reg->caseNamed("علي", QDate(2022, 1, 5), {.active = false});
        reg->caseNamed("x", {}, {.branch = 5});
        Statement *cases = dm()->StudentsQuery;
        cases->setLine(cases->lineCount() - 1, "where stud_code=:param_1");
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
        BoxAnswerer boxes(yesToAll);
        QTest::mouseClick(control<QToolButton>("spSave"), Qt::LeftButton);
        QCOMPARE(boxes.texts.last(), QStringLiteral("خطأ أثناء الحفظ"));
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
