// The user accounts screen on both engines: the proposed code, saving new and chosen accounts,
// the stop box and the login it refuses, the password echo by level, passwords stored only as
// hashes and never shown, the migration of a register that kept them as typed, and the last
// administrator that cannot be stopped or lowered.
#include "fixtures.h"
#include "register_builder.h"

#include "data/accounts.h"
#include "data/backup.h"
#include "data/dm.h"
#include "ui/messages.h"
#include "ui/screens.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
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

    // Whether the account stores a hash of that password, and nothing that could be read back.
    bool storesPassword(int code, const QString &password)
    {
        const QString value = stored(code, {"user_password"}).value(0);
        return accounts::isHash(value) && accounts::matches(value, password);
    }

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
        const QStringList audit = {"a_name",          "user_level", "is_active",  "can_close_po",
                                   "show_cost_price", "entry_type", "entry_date", "trans_date",
                                   "who_insert",      "who_update"};
        openScreen();
        fillNewAccount("pw-sara", QStringLiteral("سارة الدوسري"), QStringLiteral("مشرف"));
        QCOMPARE(click("spSave"), QStringList({"تم حفظ التعديلات بنجاح "}));
        QCOMPARE(stored(2, audit),
                 QStringList({"سارة الدوسري", "1", "1", "0", "1", "1", today, today, "1", "1"}));
        QVERIFY(storesPassword(2, "pw-sara"));
        QCOMPARE(text("eUserCode"), QStringLiteral("2"));
        QCOMPARE(text("Egroup_desc"), QStringLiteral("مشرف"));

        addAccount(5, 2);
        pressNew();
        chooseInList(5);
        QCOMPARE(text("eUserPass"), QString());
        QCOMPARE(text("Egroup_desc"), QStringLiteral("قائم بالاختبار"));
        QVERIFY(!control<QCheckBox>("CHKstop")->isChecked());
        control("eUserAname")->setText(QStringLiteral("حساب موقوف"));
        control<QCheckBox>("CHKstop")->setChecked(true);
        QCOMPARE(click("spSave"), QStringList({"تم حفظ التعديلات بنجاح "}));
        QCOMPARE(stored(5, audit), QStringList({"حساب موقوف", "2", "0", "0", "1", "2", "2020-01-02",
                                                today, "9", "1"}));
        QVERIFY(storesPassword(5, "pw5"));
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
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.texts.first().section('\n', 0, 0),
                 QStringLiteral("لم يتم حفظ البيانات لوجود خطأ أثناء الحفظ"));
        QVERIFY2(boxes.texts.first().contains("\"الاسم العربى\" موجودة من قبل"),
                 qPrintable(boxes.texts.first()));
        QCOMPARE(boxes.icons, QList<QMessageBox::Icon>({QMessageBox::Critical}));
        QVERIFY(!boxes.details.first().isEmpty());
        QCOMPARE(accountCount(), 1);
        QCOMPARE(text("eUserAname"), QStringLiteral("مدير النظام"));
        QCOMPARE(text("eUserPass"), QStringLiteral("pw-twin"));
        QCOMPARE(text("eUserCode"), QStringLiteral("2"));
    }

    // PostgreSQL's reason for a refused row quotes the row, its password's hash among it.
    void aRefusedSaveNeverShowsAHashInItsDetails()
    {
        const bool postgres = engineOfRow() == TestDatabase::Engine::PostgreSQL;
        reg->run(postgres
                     ? "alter table users add constraint short_names check (length(a_name) < 12) "
                       "not valid"
                     : "create trigger short_names before insert on users when "
                       "length(new.a_name) >= 12 begin select raise(abort, 'name too long'); "
                       "end");
        openScreen();
        fillNewAccount("pw-long", QStringLiteral("اسم طويل جداً"), QStringLiteral("مشرف"));
        BoxAnswerer boxes;
        QTest::mouseClick(control<QToolButton>("spSave"), Qt::LeftButton);
        QCOMPARE(boxes.texts.value(0).section('\n', 0, 0),
                 QStringLiteral("لم يتم حفظ البيانات لوجود خطأ أثناء الحفظ"));
        const QString details = boxes.details.value(0);
        QVERIFY(!details.isEmpty());
        QVERIFY(!details.contains("argon2"));
        QCOMPARE(details.contains("****"), postgres);
    }

    // The server is sent the hash of a password apart from the text of the statement that writes
    // it, so that its log of statements never holds one.
    void aPasswordsHashNeverTravelsInAStatementsText()
    {
        if (engineOfRow() != TestDatabase::Engine::PostgreSQL)
            QSKIP("SQLite binds its values inside the program");
        reg->run("create table seen_statements (text text)");
        reg->run("create function simat_see_statement() returns trigger language plpgsql as $$ "
                 "begin insert into seen_statements values (current_query()); return null; "
                 "end $$");
        reg->run("create trigger seen after insert or update on users for each row execute "
                 "function simat_see_statement()");
        openScreen();
        fillNewAccount("pw-apart", QStringLiteral("سارة"), QStringLiteral("مشرف"));
        QCOMPARE(click("spSave"), QStringList({"تم حفظ التعديلات بنجاح "}));
        reg->password(2, "pw-changed");
        QCOMPARE(reg->count("select count(*) from seen_statements"), 2);
        QCOMPARE(reg->count("select count(*) from seen_statements where text like '%argon2%'"), 0);
        QCOMPARE(reg->count("select count(*) from users where user_password like '$argon2id$%'"),
                 2);
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

    void aStoredPasswordIsNeverShownAndTypingOneSetsANewOne()
    {
        addAccount(5, 2);
        const QString before = stored(5, {"user_password"}).first();
        openScreen();
        chooseInList(5);
        QCOMPARE(text("eUserPass"), QString());
        QCOMPARE(control("eUserPass")->placeholderText(), QStringLiteral("بدون تغيير"));
        {
            BoxAnswerer boxes;
            QTest::keyClick(control("eUserPass"), Qt::Key_Return);
            QCOMPARE(boxes.count(), 0);
        }
        QCOMPARE(usersForm()->focusWidget(), control("eUserAname"));
        control("eUserAname")->setText(QStringLiteral("حساب معدل"));
        QCOMPARE(click("spSave"), QStringList({"تم حفظ التعديلات بنجاح "}));
        QVERIFY(stored(5, {"user_password"}).first() == before);
        QCOMPARE(stored(5, {"a_name"}), QStringList({"حساب معدل"}));
        QCOMPARE(text("eUserPass"), QString());

        typeText(control("eUserPass"), "pw5-new");
        QCOMPARE(click("spSave"), QStringList({"تم حفظ التعديلات بنجاح "}));
        QVERIFY(storesPassword(5, "pw5-new"));
        QVERIFY(!storesPassword(5, "pw5"));
        for (const QLineEdit *field : usersForm()->findChildren<QLineEdit *>())
            QVERIFY2(!field->text().contains("argon2") && !field->text().contains("pw5"),
                     qPrintable(field->objectName()));
        auto *grid = control<QTableView>("dbUsersGrid");
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            for (int column = 0; column < grid->model()->columnCount(); ++column)
                QVERIFY(!gridText(grid, row, column).contains("argon2"));
        BoxAnswerer boxes;
        logIn("5", "pw5-new");
        QCOMPARE(boxes.count(), 0);
        QVERIFY(screens::find(QStringLiteral("MainForm"))->isVisible());
    }

    // What an earlier version or another tool stored as typed becomes a hash at the next save.
    void aSaveReplacesAPasswordKeptAsTypedByItsHash()
    {
        addAccount(6, 2);
        reg->run("update users set user_password = 'old-plain' where user_code = 6");
        openScreen();
        chooseInList(6);
        QCOMPARE(click("spSave"), QStringList({"تم حفظ التعديلات بنجاح "}));
        QVERIFY(storesPassword(6, "old-plain"));
    }

    void passwordsOfFourTo128CharactersAreTakenWholeEvenPasted()
    {
        const QString lengthRule = QStringLiteral("لا بد أن تكون كلمة المرور من 4 إلى 128 حرفاً");
        openScreen();
        fillNewAccount("abc", QStringLiteral("نورة"), QStringLiteral("مشرف"));
        QCOMPARE(click("spSave"), QStringList({lengthRule}));
        QCOMPARE(usersForm()->focusWidget(), control("eUserPass"));
        control("eUserPass")->setText(QString(129, QLatin1Char('x')));
        QCOMPARE(click("spSave"), QStringList({lengthRule}));
        QCOMPARE(accountCount(), 1);
        const QString pasted = QStringLiteral("a pass phrase far longer than twenty letters");
        control("eUserPass")->clear();
        QGuiApplication::clipboard()->setText(pasted);
        control("eUserPass")->paste();
        QVERIFY(text("eUserPass") == pasted);
        QCOMPARE(click("spSave"), QStringList({"تم حفظ التعديلات بنجاح "}));
        QVERIFY(storesPassword(2, pasted));
        BoxAnswerer boxes;
        logIn("2", pasted);
        QCOMPARE(boxes.count(), 0);
        QVERIFY(screens::find(QStringLiteral("MainForm"))->isVisible());
    }

    // A register of the previous version kept the passwords as typed and counted no failed
    // logins; its first open hashes them all, after a backup, and every account still logs in.
    void anOldRegisterWithPlainPasswordsMigratesAndEveryAccountStillLogsIn()
    {
        const QMap<int, QString> typed = {{1, QStringLiteral("12345")},
                                          {2, QStringLiteral("pw-two")},
                                          {3, QStringLiteral("كلمة سر")},
                                          {4, QString(30, QLatin1Char('z'))}};
        for (int code : {2, 3, 4})
            addAccount(code, 2);
        for (auto account = typed.cbegin(); account != typed.cend(); ++account)
            reg->run(QStringLiteral("update users set user_password = '%1' where user_code = %2")
                         .arg(account.value())
                         .arg(account.key()));
        reg->run("alter table users drop column failed_logins");
        reg->run("alter table users drop column last_failed_login");
        reg->run("update schema_version set version = 1");
        closeScreens();
        reg->dm().Database1.close();
        const auto backups = [] {
            return QDir(backup::automaticFolder())
                .entryList({QStringLiteral("before-version-*")}, QDir::Dirs)
                .size();
        };
        const int backupsBefore = backups();

        {
            BoxAnswerer boxes;
            logIn("2", "pw-two");
            QCOMPARE(boxes.count(), 0);
        }
        QVERIFY(screens::find(QStringLiteral("MainForm"))->isVisible());
        QCOMPARE(backups(), backupsBefore + 1);
        for (const QString &row : reg->rows("select user_code, user_password from users")) {
            const QString code = row.section(QLatin1Char('|'), 0, 0);
            const QString value = row.section(QLatin1Char('|'), 1);
            QVERIFY2(accounts::isHash(value), qPrintable(code));
            QVERIFY2(!typed.values().contains(value), qPrintable(code));
            QVERIFY2(accounts::matches(value, typed.value(code.toInt())), qPrintable(code));
        }
        for (int code : {3, 4}) {
            screens::find(QStringLiteral("MainForm"))->hide();
            logIn(QString::number(code), typed.value(code));
            QVERIFY2(screens::find(QStringLiteral("MainForm"))->isVisible(),
                     qPrintable(QString::number(code)));
        }
        screens::find(QStringLiteral("MainForm"))->hide();
        logIn("1", "12345");
        QCOMPARE(chooseNewPassword(administratorPassword),
                 QStringList({"تم تغيير كلمة المرور بنجاح"}));
        QVERIFY(screens::find(QStringLiteral("MainForm"))->isVisible());
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

    // A new account saved after a stopped one was looked at is active.
    void newClearsTheStopBoxOfTheAccountLookedAtBefore()
    {
        addAccount(5, 2, false);
        openScreen();
        chooseInList(5);
        QVERIFY(control<QCheckBox>("CHKstop")->isChecked());
        pressNew();
        QVERIFY(!control<QCheckBox>("CHKstop")->isChecked());
        fillNewAccount("pw-new", QStringLiteral("نورة"), QStringLiteral("مشرف"));
        QCOMPARE(click("spSave"), QStringList({"تم حفظ التعديلات بنجاح "}));
        QCOMPARE(stored(6, {"a_name", "is_active"}), QStringList({"نورة", "1"}));
    }

    // Goes the way a person would go that leaves the edited account behind.
    void goAway(const QString &way)
    {
        const QMap<QString, Qt::Key> keys = {
            {"F2", Qt::Key_F2}, {"F12", Qt::Key_F12}, {"Escape", Qt::Key_Escape}};
        if (keys.contains(way)) {
            QApplication::setActiveWindow(usersForm());
            QTest::keyClick(control("eUserAname"), keys.value(way));
        } else if (way == "new") {
            QTest::mouseClick(control<QToolButton>("spNew"), Qt::LeftButton);
        } else if (way == "another account") {
            auto *grid = control<QTableView>("dbUsersGrid");
            grid->setCurrentIndex(grid->model()->index(0, 0));
            QTest::keyClick(grid, Qt::Key_Return);
        } else if (way == "Enter in the group") {
            QTest::keyClick(control("Egroup_desc"), Qt::Key_Return);
        } else if (way == "close box") {
            usersForm()->close();
        } else if (way == "log out") {
            QTest::mouseClick(screens::find(QStringLiteral("MainForm"))
                                  ->findChild<QToolButton *>(QStringLiteral("spExit")),
                              Qt::LeftButton);
        }
    }

    void everyWayThatDropsAnEditedAccountAsksFirst_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("yes");
        for (const char *way : {"new", "F2", "another account", "Enter in the group", "F12",
                                "Escape", "close box", "log out"})
            for (bool yes : {false, true})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(
                    QLatin1String(way), QLatin1String(yes ? "yes" : "no"))))
                    << QString::fromLatin1(way) << yes;
    }

    // No keeps the edited account on the screen; Yes goes the way asked. Nothing is stored.
    void everyWayThatDropsAnEditedAccountAsksFirst()
    {
        QFETCH(QString, way);
        QFETCH(bool, yes);
        addAccount(5, 2);
        openScreen();
        chooseInList(5);
        control("eUserAname")->clear();
        typeText(control("eUserAname"), QStringLiteral("اسم لم يحفظ"));
        {
            BoxAnswerer boxes({yes ? QMessageBox::Yes : QMessageBox::No});
            goAway(way);
            QCOMPARE(boxes.texts, QStringList({messages::unsavedQuestion}));
        }
        QCOMPARE(stored(5, {"a_name"}), QStringList({"حساب 5"}));
        const bool leaves = QStringList({"F12", "Escape", "close box", "log out"}).contains(way);
        QCOMPARE(usersForm()->isVisible(), !(yes && leaves));
        QCOMPARE(screens::find(QStringLiteral("MainForm"))->isVisible(),
                 !(yes && way == "log out"));
        if (!yes) {
            QCOMPARE(text("eUserCode"), QStringLiteral("5"));
            QCOMPARE(text("eUserAname"), QStringLiteral("اسم لم يحفظ"));
        } else if (!leaves) {
            QVERIFY(text("eUserAname") != QStringLiteral("اسم لم يحفظ"));
        }
    }

    // What a new account starts with, a stored account chosen, an account just saved and a
    // field changed back are no unsaved changes; a stop box checked on a new account is one.
    void onlyWhatDiffersFromTheStoredAccountIsAskedAbout()
    {
        addAccount(5, 2);
        openScreen();
        QCOMPARE(click("spNew"), QStringList());
        chooseInList(5);
        control<QCheckBox>("CHKstop")->click();
        control<QCheckBox>("CHKstop")->click();
        QCOMPARE(click("spNew"), QStringList());
        fillNewAccount("pw-new", QStringLiteral("نورة"), QStringLiteral("مشرف"));
        QCOMPARE(click("spSave"), QStringList({"تم حفظ التعديلات بنجاح "}));
        QCOMPARE(click("spNew"), QStringList());
        control<QCheckBox>("CHKstop")->click();
        BoxAnswerer boxes({QMessageBox::No});
        QTest::mouseClick(control<QToolButton>("spNew"), Qt::LeftButton);
        QCOMPARE(boxes.texts, QStringList({messages::unsavedQuestion}));
        QVERIFY(control<QCheckBox>("CHKstop")->isChecked());
    }
};

SIMAT_TEST_MAIN(UsersTest)
#include "test_users.moc"
