// The user accounts screen on both engines: the proposed code, saving new and chosen accounts,
// the stop box and the login it refuses, the password echo by level, and the last
// administrator that cannot be stopped or lowered.
#include "fixtures.h"
#include "register_builder.h"

#include "ui/screens.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>

using namespace simat;
using namespace simat::testing;

namespace {

QWidget *usersForm()
{
    return screens::find(QStringLiteral("UsersForm"));
}

template <typename T = QLineEdit> T *control(const char *name)
{
    T *found = usersForm()->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no %s on UsersForm", name);
    return found;
}

QString text(const char *name)
{
    return control(name)->text();
}

} // namespace

class UsersTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestRegister> reg;

    // The stored values of an account, in the order asked, as text.
    QStringList stored(int code, const QStringList &columns)
    {
        return reg->row(QStringLiteral("select %1 from users where user_code=%2")
                            .arg(columns.join(','))
                            .arg(code));
    }

    int accountCount() { return reg->count("select count(*) from users"); }

    // An account entered on 2 January 2020 by user 9, so that an update shows what it keeps.
    void addAccount(int code, int level, bool active = true)
    {
        reg->account({.code = code,
                      .level = level,
                      .active = active,
                      .enteredOn = QDate(2020, 1, 2),
                      .enteredBy = 9});
    }

    void openScreen()
    {
        screens::show(QStringLiteral("UsersForm"));
        QApplication::setActiveWindow(usersForm());
    }

    void pressNew()
    {
        QApplication::setActiveWindow(usersForm());
        QTest::keyClick(control("eUserPass"), Qt::Key_F2);
    }

    // The texts of the message boxes that the click brought up.
    QStringList click(const char *button)
    {
        BoxAnswerer boxes;
        QTest::mouseClick(control<QToolButton>(button), Qt::LeftButton);
        return boxes.texts;
    }

    void pickGroup(const QString &partOfName)
    {
        click("SPfind_autority_group");
        auto *search = screens::find(QStringLiteral("SearchForm"))
                           ->findChild<QLineEdit *>(QStringLiteral("Eacc_name"));
        typeText(search, partOfName);
        QTest::keyClick(search, Qt::Key_Return);
    }

    // Chooses the account of a code in the list as a person would: its row, then Enter.
    void chooseInList(int code)
    {
        auto *grid = control<QTableView>("dbUsersGrid");
        const QModelIndexList rows = grid->model()->match(
            grid->model()->index(0, 0), Qt::DisplayRole, code, 1, Qt::MatchExactly);
        QCOMPARE(rows.size(), 1);
        grid->setCurrentIndex(rows.first());
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(text("eUserCode"), QString::number(code));
    }

    void fillNewAccount(const QString &password, const QString &name, const QString &group)
    {
        typeText(control("eUserPass"), password);
        typeText(control("eUserAname"), name);
        pickGroup(group);
    }

private slots:
    void initTestCase_data() { addEngineRows(); }

    void init() { SIMAT_NEW_REGISTER_OF_ROW(reg); }

    void cleanup() { reg.reset(); }

    void newProposesTheCodeAfterTheGreatest()
    {
        openScreen();
        QCOMPARE(text("eUserCode"), QStringLiteral("2"));
        QCOMPARE(text("eClosePo"), QStringLiteral("0"));
        QVERIFY(control<QCheckBox>("CHBshow_cost_price")->isChecked());
        addAccount(7, 2);
        pressNew();
        QCOMPARE(text("eUserCode"), QStringLiteral("8"));
        reg->run("delete from users");
        pressNew();
        QCOMPARE(text("eUserCode"), QStringLiteral("1"));
    }

    void enterAndSaveCheckTheFieldsInOrder()
    {
        openScreen();
        QStringList texts;
        {
            BoxAnswerer boxes;
            QTest::keyClick(control("eUserPass"), Qt::Key_Return);
            QTest::keyClick(control("eUserAname"), Qt::Key_Return);
            texts = boxes.texts;
        }
        texts += click("spSave");
        pickGroup(QStringLiteral("مشرف"));
        texts += click("spSave");
        QCOMPARE(usersForm()->focusWidget(), control("eUserPass"));
        typeText(control("eUserPass"), "secret");
        texts += click("spSave");
        QCOMPARE(usersForm()->focusWidget(), control("eUserAname"));
        QCOMPARE(texts, QStringList(
                            {"لابد من أدخال كلمة المرور للمستخدم",
                             "لابد من أدخال الأسم العربى للمستخدم", "إختار مجموعة صلاحيات المستخدم",
                             "لابد من إدخال كلمة المرور للمستخدم", "لابد من إدخال اسم المُستخدم"}));
        QCOMPARE(accountCount(), 1);
    }

    void aNewAccountIsInsertedAndAChosenOneUpdatedKeepingItsAudit()
    {
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        const QStringList audit = {"a_name",       "user_password",   "user_level", "is_active",
                                   "can_close_po", "show_cost_price", "entry_type", "entry_date",
                                   "trans_date",   "who_insert",      "who_update"};
        openScreen();
        fillNewAccount("pw-sara", QStringLiteral("سارة الدوسري"), QStringLiteral("مشرف"));
        QCOMPARE(click("spSave"), QStringList({"تم حفظ التعديلات بنجاح "}));
        QCOMPARE(stored(2, audit), QStringList({"سارة الدوسري", "pw-sara", "1", "1", "0", "1", "1",
                                                today, today, "1", "1"}));
        QCOMPARE(text("eUserCode"), QStringLiteral("2"));
        QCOMPARE(text("Egroup_desc"), QStringLiteral("مشرف"));

        addAccount(5, 2);
        pressNew();
        chooseInList(5);
        QCOMPARE(text("eUserPass"), QStringLiteral("pw5"));
        QCOMPARE(text("Egroup_desc"), QStringLiteral("قائم بالاختبار"));
        QVERIFY(!control<QCheckBox>("CHKstop")->isChecked());
        control("eUserAname")->setText(QStringLiteral("حساب موقوف"));
        control<QCheckBox>("CHKstop")->setChecked(true);
        QCOMPARE(click("spSave"), QStringList({"تم حفظ التعديلات بنجاح "}));
        QCOMPARE(stored(5, audit), QStringList({"حساب موقوف", "pw5", "2", "0", "0", "1", "2",
                                                "2020-01-02", today, "9", "1"}));
        QCOMPARE(accountCount(), 3);

        pressNew();
        chooseInList(5);
        QVERIFY(control<QCheckBox>("CHKstop")->isChecked());
        chooseInList(2);
        QVERIFY(!control<QCheckBox>("CHKstop")->isChecked());

        BoxAnswerer boxes;
        logIn("5", "pw5");
        QCOMPARE(boxes.texts, QStringList({"مستخدم غير معرف علي النظام"}));
        logIn("2", "pw-sara");
        QCOMPARE(boxes.count(), 1);
        QVERIFY(screens::find(QStringLiteral("MainForm"))->isVisible());
    }

    // Another workstation took the proposed code meanwhile: the new account takes the next.
    void aNewAccountNeverTakesACodeStoredMeanwhile()
    {
        openScreen();
        QCOMPARE(text("eUserCode"), QStringLiteral("2"));
        addAccount(2, 3);
        fillNewAccount("pw-new", QStringLiteral("نورة"), QStringLiteral("مستعلم"));
        QCOMPARE(click("spSave"), QStringList({"تم حفظ التعديلات بنجاح "}));
        QCOMPARE(stored(2, {"a_name"}), QStringList({"حساب 2"}));
        QCOMPARE(stored(3, {"a_name", "user_level"}), QStringList({"نورة", "3"}));
        QCOMPARE(text("eUserCode"), QStringLiteral("3"));
    }

    void aFailedInsertIsRolledBackAndKeepsWhatWasTyped()
    {
        reg->run("create unique index users_one_name on users (a_name)");
        openScreen();
        fillNewAccount("pw-twin", QStringLiteral("مدير النظام"), QStringLiteral("مشرف"));
        BoxAnswerer boxes;
        QTest::mouseClick(control<QToolButton>("spSave"), Qt::LeftButton);
        QCOMPARE(boxes.texts, QStringList({"لم يتم حفظ البيانات لوجود خطأ أثناء الحفظ"}));
        QCOMPARE(boxes.icons, QList<QMessageBox::Icon>({QMessageBox::Critical}));
        QVERIFY(!boxes.details.first().isEmpty());
        QCOMPARE(accountCount(), 1);
        QCOMPARE(text("eUserAname"), QStringLiteral("مدير النظام"));
        QCOMPARE(text("eUserPass"), QStringLiteral("pw-twin"));
        QCOMPARE(text("eUserCode"), QStringLiteral("2"));
    }

    void theLastActiveAdministratorCanBeNeitherStoppedNorLowered()
    {
        const QString refused =
            QStringLiteral("لا يمكن إيقاف آخر حساب نشط لمدير النظام ولا تغيير مجموعة صلاحياته، "
                           "فلا بد أن يبقى للنظام مدير نشط واحد على الأقل");
        const QStringList columns = {"user_level", "is_active", "entry_type"};
        addAccount(2, 0, false); // a stopped administrator does not count
        openScreen();
        chooseInList(1);
        control<QCheckBox>("CHKstop")->setChecked(true);
        QCOMPARE(click("spSave"), QStringList({refused}));
        control<QCheckBox>("CHKstop")->setChecked(false);
        pickGroup(QStringLiteral("مشرف"));
        QCOMPARE(click("spSave"), QStringList({refused}));
        QCOMPARE(stored(1, columns), QStringList({"0", "1", "1"}));
        QCOMPARE(text("Egroup_desc"), QStringLiteral("مشرف"));

        addAccount(3, 0);
        QCOMPARE(click("spSave"), QStringList({"تم حفظ التعديلات بنجاح "}));
        QCOMPARE(stored(1, columns), QStringList({"1", "1", "2"}));
    }

    void thePasswordShowsAndSavesOnlyForAnAdministrator()
    {
        openScreen();
        QCOMPARE(control("eUserPass")->echoMode(), QLineEdit::Normal);
        QVERIFY(control<QToolButton>("spSave")->isEnabled());
        addAccount(4, 1);
        BoxAnswerer boxes;
        logIn("4", "pw4");
        QCOMPARE(control("eUserPass")->echoMode(), QLineEdit::Password);
        QVERIFY(!control<QToolButton>("spSave")->isEnabled());
        usersForm()->close();
        openScreen();
        QCOMPARE(control("eUserPass")->echoMode(), QLineEdit::Password);
    }

    void theClosingFlagTakesOnlyZeroOrOne()
    {
        openScreen();
        QLineEdit *flag = control("eClosePo");
        flag->clear();
        typeText(flag, "a");
        QCOMPARE(flag->text(), QString());
        QTest::keyClick(flag, Qt::Key_Return);
        QCOMPARE(flag->text(), QStringLiteral("0"));
        flag->clear();
        typeText(flag, "7");
        typeText(flag, "1");
        QCOMPARE(flag->text(), QStringLiteral("1"));
    }
};

SIMAT_TEST_MAIN(UsersTest)
#include "test_users.moc"
