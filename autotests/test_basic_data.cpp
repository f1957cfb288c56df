// The basic-data menu and the two lookup screens through their real screens on both engines:
// choosing a table, proposed codes, the parent row, saving, loading, deleting and searching.
#include "fixtures.h"
#include "register_builder.h"

#include "basic_data/setup_data_report.h"
#include "checklist/measure_diagonsis.h"
#include "data/alias.h"
#include "data/dm.h"
#include "report_engine/report.h"
#include "ui/global.h"
#include "ui/messages.h"
#include "ui/screens.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QSemaphore>
#include <QSqlQuery>
#include <QTableView>
#include <QToolButton>
#include <thread>

using namespace simat;
using namespace simat::testing;

namespace {

// The lookup screen a test works on: level 1 unless it says otherwise.
const char *lookupScreen = "SetupDataForm";

QLineEdit *edit(const char *control)
{
    return on<QLineEdit>(lookupScreen, control);
}

QString title()
{
    return on<QLabel>(lookupScreen, "STtitle")->text();
}

QTableView *rows()
{
    return on<QTableView>(lookupScreen, "DBGresult");
}

int codeColumnOfRows()
{
    return lookupScreen == QLatin1String("SetupDataForm") ? 0 : 1;
}

const QString testerClasses = QStringLiteral("تصنيف القائمين بالاختبار");

// Another workstation saving a tester class: it has inserted code 4 and holds the numbering of
// the table for a while before it commits. It writes on a connection of its own, as the other
// workstation's program would, not through this program's data module.
class OtherWorkstation {
public:
    explicit OtherWorkstation(const QString &definition)
        : m_thread([this, definition] { save(parseAlias(definition)); })
    {
        m_inserted.acquire();
    }
    ~OtherWorkstation() { m_thread.join(); }

private:
    void save(const DatabaseAlias &alias)
    {
        const bool sqlite = alias.engine == DatabaseAlias::Engine::SQLite;
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(sqlite ? "QSQLITE" : "QPSQL", "other");
            other.setDatabaseName(sqlite ? alias.filePath : alias.databaseName);
            other.setHostName(alias.host);
            other.setPort(alias.port);
            other.setUserName(alias.userName);
            other.open();
            QSqlQuery query(other);
            query.exec(sqlite ? "begin immediate"
                              : "begin; select pg_advisory_xact_lock(7301, "
                                "hashtext('tester_class'))");
            query.exec("insert into tester_class (tester_class_id, tester_class_name) values "
                       "(4, 'من محطة أخرى')");
            m_inserted.release();
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            query.exec("commit");
        }
        QSqlDatabase::removeDatabase("other");
    }

    QSemaphore m_inserted;
    std::thread m_thread;
};

} // namespace

class BasicDataTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestRegister> reg;

    TDataModule1 *dm() { return TDataModule1::instance(); }
    bool onSqlite() { return reg->database().alias().startsWith(QLatin1String("sqlite")); }

    // A tester class as stored: name, is_active, entry_type, who_insert, who_update,
    // entry_date, trans_date.
    QString stored(int code)
    {
        return reg->value(QStringLiteral("select tester_class_name || ',' || is_active || ',' || "
                                         "entry_type || ',' || who_insert || ',' || who_update || "
                                         "',' || entry_date || ',' || trans_date from tester_class "
                                         "where tester_class_id = %1")
                              .arg(code));
    }
    const QString today = QDate::currentDate().toString(Qt::ISODate);

    // Clicks a button of the level-1 screen and answers its boxes; the texts of the boxes.
    QStringList click(const char *button, QList<QMessageBox::StandardButton> answers = {})
    {
        BoxAnswerer boxes(answers.isEmpty() ? QList{QMessageBox::Ok} : answers);
        QTest::mouseClick(on<QToolButton>(lookupScreen, button), Qt::LeftButton);
        lastDetails = boxes.details;
        return boxes.texts;
    }
    QStringList lastDetails;

    void openFromMenu(const char *menuButton)
    {
        QTest::mouseClick(on<QToolButton>("MainForm", "SP_basic_data"), Qt::LeftButton);
        QTest::mouseClick(on<QToolButton>("BasicDataMainForm", menuButton), Qt::LeftButton);
        QVERIFY(screen(lookupScreen)->isVisible());
    }

    QStringList saveAs(const QString &description)
    {
        edit("Edesc")->clear();
        typeText(edit("Edesc"), description);
        return click("spSave");
    }

    // Double-clicks the row of the code in the list, as a person loading it does.
    void doubleClickRow(int code)
    {
        QAbstractItemModel *model = rows()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, codeColumnOfRows()).data().toInt() != code)
                continue;
            const QPoint at =
                rows()->visualRect(model->index(row, codeColumnOfRows() + 1)).center();
            QTest::mouseClick(rows()->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(rows()->viewport(), Qt::LeftButton, {}, at);
            return;
        }
        QFAIL("no row of that code");
    }

    void loadRow(int code)
    {
        doubleClickRow(code);
        QCOMPARE(edit("Ecode")->text(), QString::number(code));
    }

    // A write that the database refuses from now on, as a failing disk or a lost right would.
    void refuse(const char *operation, const char *table)
    {
        if (onSqlite()) {
            reg->run(QStringLiteral("create trigger refused_%1 before %1 on %2 begin select "
                                    "raise(abort, 'refused by the test'); end")
                         .arg(QLatin1String(operation), QLatin1String(table)));
            return;
        }
        reg->run(
            QStringLiteral("create or replace function refused() returns trigger language "
                           "plpgsql as $$ begin raise exception 'refused by the test'; end $$"));
        reg->run(QStringLiteral("create trigger refused_%1 before %1 on %2 for each row execute "
                                "function refused()")
                     .arg(QLatin1String(operation), QLatin1String(table)));
    }

    // Whether the pending delete left the entry fields free: choosing the table again empties
    // the description and proposes the next code.
    void expectFieldsFreeAfterChoosing(const QString &nextCode)
    {
        click("SP_class_testers");
        QCOMPARE(edit("Edesc")->text(), QString());
        QCOMPARE(edit("Ecode")->text(), nextCode);
    }

    // Picks through the open picker as a person would: part of the name, then Enter.
    void pickInSearch(const QString &partOfName)
    {
        QVERIFY(screen("SearchForm")->isVisible());
        typeText(on<QLineEdit>("SearchForm", "Eacc_name"), partOfName);
        QTest::keyClick(on<QLineEdit>("SearchForm", "Eacc_name"), Qt::Key_Return);
        QVERIFY(!screen("SearchForm")->isVisible());
    }

    void addTesters()
    {
        reg->tester("نورة", 2);
        reg->tester("سالم", 1);
        reg->tester("بلا تصنيف", 9); // of a class that does not exist
    }

private slots:
    void initTestCase_data() { addEngineRows(); }

    void init()
    {
        lookupScreen = "SetupDataForm";
        SIMAT_NEW_REGISTER_OF_ROW(reg);
    }

    void cleanup()
    {
        reg.reset();
        globals().session.SessionUserLevel = 0;
    }

    void menuAndDeleteFollowTheLevelOnEveryShow()
    {
        QWidget *menu = screen("BasicDataMainForm");
        QCOMPARE(menu->windowTitle(), QStringLiteral("البيانات الأساسية"));
        QCOMPARE(on<QToolButton>("BasicDataMainForm", "SP_students")->toolTip(),
                 QStringLiteral("الخاضعين للاختبار"));
        for (int level : {0, 1, 2, 3}) {
            globals().session.SessionUserLevel = level;
            menu->hide();
            menu->show();
            const auto enabled = [](const char *button) {
                return on<QToolButton>("BasicDataMainForm", button)->isEnabled();
            };
            QCOMPARE(enabled("SP_users"), level == 0);
            QCOMPARE(enabled("SP_class_info_source"), level <= 1);
            QCOMPARE(enabled("SP_class_testers"), level <= 1);
            QVERIFY(enabled("SP_info_source") && enabled("SP_testers") && enabled("SP_students"));
            screen("SetupDataForm")->hide();
            screen("SetupDataForm")->show();
            QCOMPARE(on<QToolButton>("SetupDataForm", "spDelete")->isVisible(), level <= 1);
        }
        for (const char *name : {"BasicDataMainForm", "SetupDataForm"})
            QVERIFY(screen(name)->frameGeometry().width() <= 1366 &&
                    screen(name)->frameGeometry().height() <= 768 - 40 - 30);
    }

    void theMenuChoosesTheTableAndASecondNewChoosesNone()
    {
        openFromMenu("SP_class_testers");
        QCOMPARE(title(), testerClasses);
        QCOMPARE(on<QGroupBox>("SetupDataForm", "GBobj_list")->title(), testerClasses);
        QCOMPARE(rows()->model()->rowCount(), 3);
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("4"));
        QVERIFY(!globals().lookup.LookupButton);

        QCOMPARE(click("spNew"), QStringList());
        QCOMPARE(title(), QStringLiteral("تعريف بيانات"));
        QCOMPARE(rows()->model()->rowCount(), 0);
        QCOMPARE(edit("Ecode")->text(), QString());
        QCOMPARE(saveAs(QStringLiteral("أخصائي سلوك")), QStringList({"الكود  بيان ضرورى"}));
        QCOMPARE(click("spDelete"), QStringList({"من فضلك إختار سجل"}));
        QCOMPARE(click("spPrint"), QStringList({"لاتوجد بيانات للطباعة"}));

        QCOMPARE(click("SP_class_info_source", {QMessageBox::Yes}),
                 QStringList({messages::unsavedQuestion}));
        QCOMPARE(title(), QStringLiteral("تصنيف مصادر المعلومات"));
        QCOMPARE(rows()->model()->index(1, 1).data().toString(), QStringLiteral("المدرسة"));
    }

    void theProposedCodeIsOneMoreThanTheGreatest()
    {
        reg->run("delete from tester_class");
        openFromMenu("SP_class_testers");
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("1"));
        reg->testerClass("أ", {.code = 7});
        reg->testerClass("ب", {.code = 2});
        click("SP_class_testers");
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("8"));
    }

    void newRowsTakeConsecutiveCodesCountedAtTheSave()
    {
        openFromMenu("SP_class_testers");
        QCOMPARE(saveAs(QString()), QStringList({"برجاء كتابة وصف لـ " + testerClasses + " " +
                                                 "قبل الضغط على مفتاح الحفظ"}));
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("4"));
        {
            // Another workstation saves code 4 while this screen still proposes it.
            const OtherWorkstation other(reg->database().alias());
            QCOMPARE(saveAs(QStringLiteral("أخصائي سلوك")), QStringList());
        }
        QCOMPARE(edit("Edesc")->text(), QString());
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("6"));
        on<QCheckBox>("SetupDataForm", "CHKstop")->setChecked(true);
        QCOMPARE(saveAs(QStringLiteral("أخصائي قياس")), QStringList());
        QCOMPARE(stored(5), QStringLiteral("أخصائي سلوك,1,1,1,1,") + today + "," + today);
        QCOMPARE(stored(6).left(14), QStringLiteral("أخصائي قياس,0,"));
        QCOMPARE(rows()->model()->rowCount(), 6);
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("7"));
    }

    void aRefusedSaveIsReportedAndKeepsWhatWasTyped()
    {
        openFromMenu("SP_class_testers");
        refuse("insert", "tester_class");
        QCOMPARE(saveAs(QStringLiteral("أخصائي سلوك")), QStringList({"خطأ أثناء الحفظ"}));
        QVERIFY(lastDetails.first().contains(QStringLiteral("refused by the test")));
        QCOMPARE(edit("Edesc")->text(), QStringLiteral("أخصائي سلوك"));
        QCOMPARE(reg->value("select count(*) from tester_class"), QStringLiteral("3"));

        refuse("update", "tester_class");
        {
            BoxAnswerer unsaved({QMessageBox::Yes});
            loadRow(2);
            QCOMPARE(unsaved.texts, QStringList({messages::unsavedQuestion}));
        }
        QCOMPARE(saveAs(QStringLiteral("أخصائي نطق")), QStringList({"خطأ أثناء الحفظ"}));
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("2"));
        QCOMPARE(edit("Edesc")->text(), QStringLiteral("أخصائي نطق"));
    }

    void enterInTheDescriptionSavesTheRow()
    {
        openFromMenu("SP_class_testers");
        QApplication::setActiveWindow(screen(lookupScreen));
        edit("Edesc")->setFocus();
        typeText(edit("Edesc"), QStringLiteral("أخصائي نطق"));
        BoxAnswerer boxes;
        QTest::keyClick(edit("Edesc"), Qt::Key_Return);
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(stored(4).left(13), QStringLiteral("أخصائي نطق,1,"));
    }

    void aStoppedRowLoadsAndAnUpdateKeepsItsInsertion()
    {
        reg->run(
            "update tester_class set is_active = 0, entry_date = '2020-02-03', who_insert = 5, "
            "who_update = 0 where tester_class_id = 2");
        openFromMenu("SP_class_testers");
        loadRow(2);
        QCOMPARE(edit("Edesc")->text(), QStringLiteral("أخصائي تخاطب"));
        QVERIFY(on<QCheckBox>("SetupDataForm", "CHKstop")->isChecked());
        on<QCheckBox>("SetupDataForm", "CHKstop")->setChecked(false);
        QCOMPARE(saveAs(QStringLiteral("أخصائي نطق وتخاطب")), QStringList());
        QCOMPARE(stored(2), QStringLiteral("أخصائي نطق وتخاطب,1,2,5,1,2020-02-03,") + today);
        QCOMPARE(reg->value("select count(*) from tester_class"), QStringLiteral("3"));
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("4"));
        QCOMPARE(edit("Edesc")->text(), QString());
    }

    void aDeleteIsRefusedDeclinedFailedOrDoneAndNeverFreezesTheFields()
    {
        reg->tester("نورة", 2);
        openFromMenu("SP_class_testers");
        loadRow(2);
        QCOMPARE(click("spDelete"),
                 QStringList({"لايُمكن إلغاء بيانات أساسية سبق تسجيل اختبارات عليها"}));
        expectFieldsFreeAfterChoosing("4");

        loadRow(3);
        QCOMPARE(click("spDelete", {QMessageBox::No}),
                 QStringList({"لن يُمكنك التراجع عن الإلغاء - هل بالفعل تريد الإلغاء؟"}));
        expectFieldsFreeAfterChoosing("4");

        refuse("delete", "tester_class");
        loadRow(3);
        QCOMPARE(click("spDelete", {QMessageBox::Yes, QMessageBox::Ok}),
                 QStringList({"لن يُمكنك التراجع عن الإلغاء - هل بالفعل تريد الإلغاء؟",
                              "لم يتم الإلغاء لحدوث خطأ أثناء التنفيذ"}));
        QVERIFY(lastDetails.last().contains(QStringLiteral("refused by the test")));
        QCOMPARE(edit("Edesc")->text(), QString());
        reg->run("drop trigger refused_delete" + QString(onSqlite() ? "" : " on tester_class"));

        loadRow(3);
        QCOMPARE(click("spDelete", {QMessageBox::Yes, QMessageBox::Ok}),
                 QStringList({"لن يُمكنك التراجع عن الإلغاء - هل بالفعل تريد الإلغاء؟",
                              "تم الإلغاء بنجاح"}));
        QCOMPARE(reg->value("select count(*) from tester_class"), QStringLiteral("2"));
        QCOMPARE(rows()->model()->rowCount(), 2);
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("3"));
    }

    void aRegistryNameThatIsNoTableGivesAClearError()
    {
        // Registry rows that name no table, as an outside tool might leave them.
        reg->run("insert into app_tables (table_id, table_name, table_desc, table_level, "
                 "table_status) values ('ghost', 'ghost_table', 'جدول', 3, 1), "
                 "('bad', 'tester; drop table users', 'جدول', 3, 1)");
        openFromMenu("SP_class_testers");
        loadRow(3);
        const QStringList texts = click("spDelete");
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts.first().contains(QStringLiteral("ghost_table")) ||
                     texts.first().contains(QStringLiteral("سجل الجداول يذكر اسماً")),
                 qPrintable(texts.first()));
        reg->run("delete from app_tables where table_id = 'ghost'");
        QVERIFY(click("spDelete").first().startsWith(QStringLiteral("سجل الجداول يذكر اسماً")));
        QCOMPARE(reg->value("select count(*) from tester_class"), QStringLiteral("3"));
        QCOMPARE(reg->value("select count(*) from users"), QStringLiteral("1"));
        expectFieldsFreeAfterChoosing("4");
    }

    void aSearchLandsOnTheChosenRow()
    {
        openFromMenu("SP_class_testers");
        click("spSearch");
        QVERIFY(screen("SearchForm")->isVisible());
        typeText(on<QLineEdit>("SearchForm", "Eacc_name"), QStringLiteral("تربيه"));
        QTest::keyClick(on<QLineEdit>("SearchForm", "Eacc_name"), Qt::Key_Return);
        QVERIFY(!screen("SearchForm")->isVisible());
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("3"));
        QCOMPARE(edit("Edesc")->text(), QStringLiteral("أخصائي تربية خاصة"));
        QCOMPARE(rows()->currentIndex().row(), 2);
        QCOMPARE(saveAs(QStringLiteral("أخصائي تربية")), QStringList());
        QCOMPARE(reg->value("select tester_class_name from tester_class where tester_class_id = 3"),
                 QStringLiteral("أخصائي تربية"));
        QCOMPARE(reg->value("select count(*) from tester_class"), QStringLiteral("3"));
    }

    // ---------------------------------------------------------------- the listings

    // Clicks a print button and closes the preview it opens; whether a preview opened.
    bool previewFrom(const char *screenName, const char *button)
    {
        bool shown = false;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&shown] {
            if (auto *preview =
                    qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget())) {
                shown = true;
                preview->reject();
            }
        });
        closer.start(20);
        QTest::mouseClick(on<QToolButton>(screenName, button), Qt::LeftButton);
        return shown;
    }

    // What the listing printed last, element by element over all pages, without the marks
    // that keep Latin runs in order.
    QList<report::Item> listed(const char *report, const QString &element)
    {
        QList<report::Item> items;
        for (const report::LaidOutPage &page :
             screens::object<report::Report>(QLatin1String(report))->layOut())
            for (report::Item item : page.items)
                if (item.name == element) {
                    item.text.remove(QChar(0x2066)).remove(QChar(0x2069));
                    items << item;
                }
        return items;
    }
    QStringList listedTexts(const char *report, const QString &element)
    {
        QStringList texts;
        for (const report::Item &item : listed(report, element))
            texts << item.text;
        return texts;
    }

    // Every row of the table, stopped ones too, in the order of the screen's list.
    void theLevel1ListingPrintsTheRowsOfTheScreenWithTheirStatus()
    {
        reg->run("update tester_class set is_active = 0 where tester_class_id = 2");
        reg->run("update tester_class set is_active = null where tester_class_id = 3");
        openFromMenu("SP_class_testers");
        QVERIFY(previewFrom("SetupDataForm", "spPrint"));
        const char *listing = "SetupDataReportForm";
        QCOMPARE(listedTexts(listing, "Ltitle"), QStringList({testerClasses}));
        QCOMPARE(listedTexts(listing, "Lcount"), QStringList({"3"}));
        QStringList codes;
        for (int row = 0; row < 3; ++row)
            codes << rows()->model()->index(row, 0).data().toString();
        QCOMPARE(listedTexts(listing, "Lcode"), codes);
        const QList<report::Item> statuses = listed(listing, "Lstatus");
        QCOMPARE(statuses.size(), 3);
        for (int row = 0; row < 3; ++row) {
            const bool active = codes.at(row) == QLatin1String("1");
            QCOMPARE(statuses.at(row).text, active ? QStringLiteral("نشط") : "غير نشط");
            QCOMPARE(statuses.at(row).color, active ? QColor(Qt::black) : QColor(Qt::red));
        }
        QCOMPARE(listedTexts(listing, "Ltrans_date").size(), 3);
        QCOMPARE(listedTexts(listing, "Lend"), QStringList({"نهاية التقرير"}));
        QCOMPARE(listedTexts(listing, "Luser_aname"), QStringList({"مدير النظام"}));
        QCOMPARE(listedTexts(listing, "Lcompany_lname").size(), 1);
        QStringList headings;
        for (const report::LaidOutPage &page :
             screens::object<report::Report>(QLatin1String(listing))->layOut())
            for (const report::Item &item : page.itemsOfBand("columnHeader"))
                if (item.kind == report::Item::Kind::Text)
                    headings << item.text;
        QCOMPARE(headings, QStringList({"الكود", "الاسم", "الحالة", "تاريخ اخر تعديل"}));
    }

    // A long name wraps inside its cell, its row grows, and the rows stay one under another.
    void aLongNameWrapsInsideItsCell()
    {
        const QString name = QStringLiteral("أخصائي تخاطب وتنمية مهارات ").repeated(6);
        reg->run(QStringLiteral("update tester_class set tester_class_name = '%1' where "
                                "tester_class_id = 1")
                     .arg(name));
        openFromMenu("SP_class_testers");
        QVERIFY(previewFrom("SetupDataForm", "spPrint"));
        const QList<report::Item> names = listed("SetupDataReportForm", "Lname");
        QCOMPARE(names.size(), 3);
        const auto longName =
            std::find_if(names.begin(), names.end(),
                         [&](const report::Item &item) { return item.text == name; });
        QVERIFY(longName != names.end());
        for (const report::Item &other : names)
            if (other.text != name)
                QVERIFY(longName->rect.height() > other.rect.height() * 1.5);
        QVERIFY(QRectF(10, 10, 190, 277).contains(longName->rect));
        for (int row = 1; row < names.size(); ++row)
            QVERIFY(names.at(row).rect.top() >= names.at(row - 1).rect.bottom() - 1e-6);
    }

    void theAccountsPrintThroughTheLevel1Listing()
    {
        reg->account({.code = 2, .level = 1, .name = "سارة", .active = false});
        QTest::mouseClick(on<QToolButton>("MainForm", "SP_basic_data"), Qt::LeftButton);
        QTest::mouseClick(on<QToolButton>("BasicDataMainForm", "SP_users"), Qt::LeftButton);
        QVERIFY(previewFrom("UsersForm", "spPrint"));
        const char *listing = "SetupDataReportForm";
        QCOMPARE(listedTexts(listing, "Ltitle"), QStringList({"حسابات المُستخدمين"}));
        QCOMPARE(listedTexts(listing, "Lcount"), QStringList({"2"}));
        QCOMPARE(listedTexts(listing, "Lname"), QStringList({"مدير النظام", "سارة"}));
        QCOMPARE(listedTexts(listing, "Lstatus"), QStringList({"نشط", "غير نشط"}));
        QCOMPARE(listed(listing, "Lstatus").last().color, QColor(Qt::red));

        reg->run("delete from users");
        BoxAnswerer boxes;
        QVERIFY(!previewFrom("UsersForm", "spPrint"));
        QCOMPARE(boxes.texts, QStringList({"لاتوجد بيانات للطباعة"}));
    }

    void theLevel2ListingNamesTheParentOfEachRow()
    {
        reg->tester("نورة", 2);
        reg->tester("هند", 3, {.active = false});
        Statement testers(dm()->Database1, "Testers",
                          {"select t.tester_id as code, t.tester_name as name, t.trans_date, "
                           "t.is_active as status, c.tester_class_name as parent_name from tester "
                           "t join tester_class c on c.tester_class_id = t.tester_class_id "
                           "order by t.tester_id"});
        testers.open();
        screens::object<TSetupDataReportForm>("SetupDataReportLevel2Form")
            ->setRows(&testers, QStringLiteral("القائمين بالاختبار"));
        const char *listing = "SetupDataReportLevel2Form";
        QCOMPARE(listedTexts(listing, "Lcount"), QStringList({"2"}));
        QCOMPARE(listedTexts(listing, "Lname"), QStringList({"نورة", "هند"}));
        QCOMPARE(listedTexts(listing, "Lparent_name"),
                 QStringList({reg->value("select tester_class_name from tester_class where "
                                         "tester_class_id = 2"),
                              reg->value("select tester_class_name from tester_class where "
                                         "tester_class_id = 3")}));
        QCOMPARE(listedTexts(listing, "Lstatus"), QStringList({"نشط", "غير نشط"}));
    }

    void theLevel2ListJoinsTheParentAndThePickNeedsATableAndParentRows()
    {
        lookupScreen = "SetupDataLevel2Form";
        addTesters();
        openFromMenu("SP_testers");
        QCOMPARE(title(), QStringLiteral("القائمين بالاختبار"));
        QCOMPARE(on<QLabel>(lookupScreen, "Lparent_desc")->text(), testerClasses);
        QAbstractItemModel *model = rows()->model();
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), testerClasses);
        QCOMPARE(model->rowCount(), 2);
        QStringList listed;
        for (int row = 0; row < 2; ++row)
            listed << model->index(row, 0).data().toString() + "/" +
                          model->index(row, 2).data().toString();
        listed.sort();
        QCOMPARE(listed, QStringList({"أخصائي تخاطب/نورة", "أخصائي نفسي/سالم"}));
        QVERIFY(previewFrom(lookupScreen, "spPrint"));
        QStringList printed = listedTexts("SetupDataReportLevel2Form", "Lparent_name");
        printed.sort();
        QCOMPARE(printed, QStringList({"أخصائي تخاطب", "أخصائي نفسي"}));
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("4"));
        QVERIFY(screen(lookupScreen)->frameGeometry().width() <= 1366 &&
                screen(lookupScreen)->frameGeometry().height() <= 768 - 40 - 30);
        QCOMPARE(saveAs(QStringLiteral("هند")),
                 QStringList({"برجاء اختيار مجموعة " + testerClasses +
                              " لـ القائمين بالاختبار قبل الضغط على مفتاح الحفظ"}));
        QCOMPARE(edit("Edesc")->text(), QStringLiteral("هند"));

        click("spNew");
        QCOMPARE(on<QLabel>(lookupScreen, "Lparent_desc")->text(), QStringLiteral("التصنيف"));
        QCOMPARE(rows()->model()->rowCount(), 0);
        QCOMPARE(click("SPfind_parent_table"),
                 QStringList({"اختار مجموعة للتعامل معها - مصادر المعلومات أو القائمين "
                              "بالاختبار"}));

        reg->run("delete from info_source where info_source_id <> 4");
        reg->run("delete from info_source_class");
        click("SP_info_source");
        QCOMPARE(rows()->model()->rowCount(), 0);
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("5"));
        QCOMPARE(click("SPfind_parent_table"),
                 QStringList({"لاتوجد بيانات مُعرفة لـ تصنيف مصادر المعلومات برجاء تعريف "
                              "بيانات تصنيف مصادر المعلومات حتى يٌمكنك تعريف بيانات مصادر "
                              "المعلومات"}));
        QVERIFY(!screen("SearchForm")->isVisible());
    }

    void aNewTesterSavedUnderAPickedClassIsPickedForATest()
    {
        lookupScreen = "SetupDataLevel2Form";
        addTesters();
        openFromMenu("SP_testers");
        click("SPfind_parent_table");
        pickInSearch(QStringLiteral("تخاطب"));
        QCOMPARE(edit("Eparent_code")->text(), QStringLiteral("2"));
        QCOMPARE(edit("Eparent_desc")->text(), QStringLiteral("أخصائي تخاطب"));
        refuse("insert", "tester");
        QCOMPARE(saveAs(QStringLiteral("هند الشمري")), QStringList({"خطأ أثناء الحفظ"}));
        QCOMPARE(edit("Edesc")->text(), QStringLiteral("هند الشمري"));
        QCOMPARE(edit("Eparent_code")->text(), QStringLiteral("2"));
        reg->run("drop trigger refused_insert" + QString(onSqlite() ? "" : " on tester"));
        QCOMPARE(saveAs(QStringLiteral("هند الشمري")), QStringList());
        QCOMPARE(reg->value("select tester_class_id || ',' || tester_name || ',' || is_active from "
                            "tester where tester_id = 4"),
                 QStringLiteral("2,هند الشمري,1"));
        QCOMPARE(edit("Eparent_code")->text(), QString());
        QCOMPARE(edit("Eparent_desc")->text(), QString());
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("5"));
        QCOMPARE(rows()->model()->rowCount(), 3);

        reg->caseNamed("ريم خالد", QDate(2020, 1, 1));
        QTest::mouseClick(on<QToolButton>("MainForm", "SP_start_test"), Qt::LeftButton);
        TMeasureDiagonsisForm *test = TMeasureDiagonsisForm::instance();
        for (const auto &[button, name] : {std::pair{"spFindStudent", "ريم"},
                                           {"spFindInfoSource", "الأم"},
                                           {"spFindTester", "هند"}}) {
            QTest::mouseClick(test->findChild<QToolButton *>(button), Qt::LeftButton);
            pickInSearch(QString::fromUtf8(name));
        }
        QCOMPARE(test->findChild<QLineEdit *>("eTesterCode")->text(), QStringLiteral("4"));
        QTableView *grid = test->grid();
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualRect(grid->model()->index(row, 3)).center());
        BoxAnswerer boxes({QMessageBox::Yes, QMessageBox::Ok});
        QTest::mouseClick(test->findChild<QToolButton *>("spSave"), Qt::LeftButton);
        QCOMPARE(boxes.texts.last(), QStringLiteral("تم حفظ التعديلات بنجاح"));
        QCOMPARE(reg->value("select tester_id from test_hdr"), QStringLiteral("4"));
    }

    void aTesterUsedByATestIsNotDeletedAndOthersAreAfterAYes()
    {
        lookupScreen = "SetupDataLevel2Form";
        addTesters();
        reg->test(1).on(QDate(2026, 1, 5)).add();
        openFromMenu("SP_testers");
        loadRow(1);
        QCOMPARE(edit("Eparent_desc")->text(), QStringLiteral("أخصائي تخاطب"));
        QCOMPARE(click("spDelete"),
                 QStringList({"لايُمكن إلغاء بيانات أساسية سبق تسجيل اختبارات عليها"}));
        loadRow(2);
        QCOMPARE(click("spDelete", {QMessageBox::No}),
                 QStringList({"لن يُمكنك التراجع عن الإلغاء - هل بالفعل تريد الإلغاء؟"}));
        click("SP_testers");
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("4"));
        QCOMPARE(edit("Edesc")->text(), QString());
        loadRow(2);
        QCOMPARE(click("spDelete", {QMessageBox::Yes, QMessageBox::Ok}),
                 QStringList({"لن يُمكنك التراجع عن الإلغاء - هل بالفعل تريد الإلغاء؟",
                              "تم الإلغاء بنجاح"}));
        QCOMPARE(reg->value("select count(*) from tester"), QStringLiteral("2"));
        QCOMPARE(rows()->model()->rowCount(), 1);
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("4"));
        click("spNew");
        QCOMPARE(click("spDelete"), QStringList({"لاتوجد بيانات للإلغاء"}));
    }

    void aSearchedTesterLoadsWithItsClassAndKeepsItOnUpdate()
    {
        lookupScreen = "SetupDataLevel2Form";
        addTesters();
        openFromMenu("SP_testers");
        click("spSearch");
        pickInSearch(QStringLiteral("سالم"));
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("2"));
        QCOMPARE(edit("Eparent_code")->text(), QStringLiteral("1"));
        QCOMPARE(rows()->model()->index(rows()->currentIndex().row(), 2).data().toString(),
                 QStringLiteral("سالم"));
        QCOMPARE(saveAs(QStringLiteral("سالم الحربي")), QStringList());
        QCOMPARE(
            reg->value("select tester_class_id || ',' || tester_name || ',' || entry_type from "
                       "tester where tester_id = 2"),
            QStringLiteral("1,سالم الحربي,2"));
        QCOMPARE(edit("Eparent_code")->text(), QStringLiteral("1"));
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("4"));
    }

    // ---------------------------------------------------------------- unsaved changes

    // The name that row 2 of the table of the screen has in the database.
    QString storedNameOfRow2()
    {
        return reg->value(lookupScreen == QLatin1String("SetupDataForm")
                              ? "select tester_class_name from tester_class where "
                                "tester_class_id = 2"
                              : "select tester_name from tester where tester_id = 2");
    }

    // Goes the way a person would go that leaves the edited row behind.
    void goAway(const QString &way, bool level2)
    {
        QWidget *lookup = screen(lookupScreen);
        const QMap<QString, Qt::Key> keys = {
            {"F2", Qt::Key_F2}, {"F12", Qt::Key_F12}, {"Escape", Qt::Key_Escape}};
        if (keys.contains(way)) {
            QApplication::setActiveWindow(lookup);
            QTest::keyClick(edit("Edesc"), keys.value(way));
        } else if (way == "new") {
            QTest::mouseClick(on<QToolButton>(lookupScreen, "spNew"), Qt::LeftButton);
        } else if (way == "another row") {
            doubleClickRow(1);
        } else if (way == "search") {
            QTest::mouseClick(on<QToolButton>(lookupScreen, "spSearch"), Qt::LeftButton);
            pickInSearch(level2 ? QStringLiteral("نورة") : QStringLiteral("تربيه"));
        } else if (way == "tab") {
            QTest::mouseClick(
                on<QToolButton>(lookupScreen, level2 ? "SP_info_source" : "SP_class_info_source"),
                Qt::LeftButton);
        } else if (way == "close box") {
            lookup->close();
        } else if (way == "log out") {
            QTest::mouseClick(on<QToolButton>("MainForm", "spExit"), Qt::LeftButton);
        }
    }

    void everyWayThatDropsAnEditedRowAsksFirst_data()
    {
        QTest::addColumn<bool>("level2");
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("yes");
        for (bool level2 : {false, true})
            for (const char *way : {"new", "F2", "another row", "search", "tab", "F12", "Escape",
                                    "close box", "log out"})
                for (bool yes : {false, true})
                    QTest::newRow(
                        qPrintable(QStringLiteral("level %1, %2, %3")
                                       .arg(level2 ? 2 : 1)
                                       .arg(QLatin1String(way), QLatin1String(yes ? "yes" : "no"))))
                        << level2 << QString::fromLatin1(way) << yes;
    }

    // No keeps the edited row on the screen; Yes goes the way asked. Nothing is stored.
    void everyWayThatDropsAnEditedRowAsksFirst()
    {
        QFETCH(bool, level2);
        QFETCH(QString, way);
        QFETCH(bool, yes);
        if (level2) {
            lookupScreen = "SetupDataLevel2Form";
            addTesters();
        }
        openFromMenu(level2 ? "SP_testers" : "SP_class_testers");
        loadRow(2);
        const QString storedName = storedNameOfRow2();
        typeText(edit("Edesc"), QStringLiteral(" معدل"));
        const QString typed = edit("Edesc")->text();
        {
            BoxAnswerer boxes({yes ? QMessageBox::Yes : QMessageBox::No});
            goAway(way, level2);
            QCOMPARE(boxes.texts, QStringList({messages::unsavedQuestion}));
        }
        QCOMPARE(storedNameOfRow2(), storedName);
        const bool leaves = QStringList({"F12", "Escape", "close box", "log out"}).contains(way);
        QCOMPARE(screen(lookupScreen)->isVisible(), !(yes && leaves));
        QCOMPARE(screen("MainForm")->isVisible(), !(yes && way == "log out"));
        if (yes) {
            if (!leaves)
                QVERIFY(edit("Edesc")->text() != typed);
            return;
        }
        QCOMPARE(edit("Edesc")->text(), typed);
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("2"));
        QVERIFY(!screen("SearchForm")->isVisible());
    }

    // Only what differs from the stored row counts: a box checked and cleared again does not, a
    // row just saved does not, a parent picked for a new row does.
    void onlyWhatDiffersFromTheStoredRowIsAskedAbout()
    {
        openFromMenu("SP_class_testers");
        loadRow(2);
        auto *stop = on<QCheckBox>(lookupScreen, "CHKstop");
        stop->click();
        stop->click();
        QCOMPARE(click("SP_class_testers"), QStringList());
        loadRow(2);
        stop->click();
        QCOMPARE(click("SP_class_testers", {QMessageBox::No}),
                 QStringList({messages::unsavedQuestion}));
        QVERIFY(stop->isChecked());
        QCOMPARE(click("spSave"), QStringList());
        QCOMPARE(reg->value("select is_active from tester_class where tester_class_id = 2"),
                 QStringLiteral("0"));
        QCOMPARE(click("SP_class_testers"), QStringList());

        lookupScreen = "SetupDataLevel2Form";
        openFromMenu("SP_testers");
        click("SPfind_parent_table");
        pickInSearch(QStringLiteral("تخاطب"));
        QCOMPARE(click("spNew", {QMessageBox::No}), QStringList({messages::unsavedQuestion}));
        QCOMPARE(edit("Eparent_code")->text(), QStringLiteral("2"));
    }

    // ---------------------------------------------------------------- a row not stored

    void aDeleteOfARowThatIsNotStoredDeletesNothing_data()
    {
        QTest::addColumn<bool>("level2");
        QTest::newRow("level 1") << false;
        QTest::newRow("level 2") << true;
    }

    void aDeleteOfARowThatIsNotStoredDeletesNothing()
    {
        QFETCH(bool, level2);
        const QString table = level2 ? "tester" : "tester_class";
        if (level2) {
            lookupScreen = "SetupDataLevel2Form";
            addTesters();
        }
        openFromMenu(level2 ? "SP_testers" : "SP_class_testers");
        QCOMPARE(edit("Ecode")->text(), QStringLiteral("4"));
        // Another workstation stores a row under the code that the new row here shows.
        if (level2)
            reg->tester(QStringLiteral("من محطة أخرى"), 1, {.code = 4});
        else
            reg->testerClass(QStringLiteral("من محطة أخرى"), {.code = 4});
        QCOMPARE(click("spDelete"), QStringList({"لا توجد بيانات للإلغاء"}));
        QCOMPARE(reg->count("select count(*) from " + table), 4);

        // Another workstation deletes the row loaded here.
        loadRow(2);
        reg->run(QStringLiteral("delete from %1 where %1_id = 2").arg(table));
        QCOMPARE(click("spDelete", {QMessageBox::Yes, QMessageBox::Ok}),
                 QStringList({"لن يُمكنك التراجع عن الإلغاء - هل بالفعل تريد الإلغاء؟",
                              "لا توجد بيانات للإلغاء"}));
        QCOMPARE(reg->count("select count(*) from " + table), 3);
    }
};

SIMAT_TEST_MAIN(BasicDataTest)
#include "test_basic_data.moc"
