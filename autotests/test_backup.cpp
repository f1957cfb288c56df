// Backup and restore of the register on both engines: the round trip, the files refused, the
// restore stopped half way, the backup before a schema change, and the two buttons of the
// basic-data menu.
#include "fixtures.h"
#include "register_builder.h"

#include "core/error.h"
#include "data/backup.h"
#include "data/dm.h"
#include "data/schema.h"
#include "data/text_search.h"
#include "ui/screens.h"

#include <QCryptographicHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QToolButton>
#include <sys/stat.h>

using namespace simat;
using namespace simat::testing;

namespace {

// Makes the register one of before the record of its schema version: without that record, its
// index of names kept by the program's own functions, on PostgreSQL on the names themselves.
// A register of the first version, which had no log of changes either.
void makeRegisterOfTheFirstVersion(Register &reg)
{
    reg.run("drop table schema_version");
    reg.run("drop table audit_log");
    Database &database = reg.dm().Database1;
    if (database.engine() == DatabaseAlias::Engine::SQLite) {
        for (const char *trigger : {"insert", "update", "delete"})
            reg.run(QStringLiteral("drop trigger student_name_search_%1").arg(trigger));
    } else {
        reg.run("drop trigger student_search_kept on student");
        reg.run("drop table student_search, student_search_gram");
    }
    search::prepareNameIndex(database, search::IndexSql::ProgramFunctions,
                             search::PostgresIndex::OnNames);
}

Database &db()
{
    return TDataModule1::instance()->Database1;
}

// Every table of the register, its rows in order, as one hash with the count of rows.
QString fingerprint()
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 rows = 0;
    for (const schema::Table &table : schema::tables()) {
        QStringList order;
        for (int column = 1; column <= int(table.columns.size()); ++column)
            order << QString::number(column);
        QSqlQuery query(db().connection());
        if (!query.exec(QStringLiteral("select * from %1 order by %2")
                            .arg(QLatin1String(table.name), order.join(','))))
            qFatal("%s", qPrintable(query.lastError().text()));
        hash.addData(table.name);
        while (query.next()) {
            ++rows;
            for (int column = 0; column < query.record().count(); ++column)
                hash.addData(query.value(column).toString().toUtf8() + '\x1f');
            hash.addData("\x1e");
        }
    }
    return QString::number(rows) + QLatin1Char(' ') + QString::fromLatin1(hash.result().toHex());
}

// The register's tables with their columns, its views with their definitions, its triggers.
QStringList schemaObjects()
{
    const QStringList reads =
        db().engine() == DatabaseAlias::Engine::SQLite
            ? QStringList{"select type || ' ' || name || ' ' || coalesce(sql, '') from "
                          "sqlite_master order by type, name"}
            : QStringList{"select table_name || '.' || column_name from information_schema.columns "
                          "where table_schema = current_schema() order by table_name, "
                          "ordinal_position",
                          "select viewname || ' ' || definition from pg_views where schemaname = "
                          "current_schema() order by viewname",
                          "select tgname from pg_trigger where not tgisinternal order by tgname"};
    QStringList objects;
    for (const QString &read : reads) {
        QSqlQuery query(db().connection());
        if (!query.exec(read))
            qFatal("%s", qPrintable(query.lastError().text()));
        while (query.next())
            objects << query.value(0).toString();
    }
    return objects;
}

int modeOf(const QString &path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return -1;
    return int(status.st_mode & 07777);
}

QString errorOf(const std::function<void()> &work)
{
    try {
        work();
    } catch (const Error &error) {
        return error.text();
    }
    return {};
}

} // namespace

class BackupTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestRegister> reg;
    std::unique_ptr<QTemporaryDir> m_folder;

    void addCases(int first, int count)
    {
        for (int code = first; code < first + count; ++code)
            reg->caseNamed(QStringLiteral("حالة %1").arg(code), QDate(2020, 1, 2), {.code = code});
    }

    QString file(const QString &name) { return m_folder->filePath(name); }

    QString savedBackup()
    {
        const QString path = file(backup::fileName(db()));
        backup::save(db(), path);
        return path;
    }

private slots:
    void initTestCase_data() { addEngineRows(); }

    void init()
    {
        SIMAT_NEW_REGISTER_OF_ROW(reg, std::nullopt);
        m_folder = std::make_unique<QTemporaryDir>();
        db().open(parseAlias(reg->database().alias()));
        addCases(1, 30);
    }

    void cleanup() { reg.reset(); }

    void aRestoreGivesBackTheRegisterAsItWasSaved()
    {
        const QString saved = fingerprint();
        QList<qint64> done;
        const QString path = file(backup::fileName(db(), QDateTime({2026, 12, 8}, {15, 2, 3})));
        QVERIFY(path.endsWith(engineOfRow() == TestDatabase::Engine::SQLite
                                  ? "simat-2026-12-08-150203.db"
                                  : "simat-2026-12-08-150203.dump"));
        backup::save(db(), path, [&done](qint64 pages, qint64 total) {
            done << pages << total;
            return true;
        });
        QVERIFY(!done.isEmpty());
        QCOMPARE(done.last(), done.at(done.size() - 2));
        QVERIFY(QFileInfo(path).size() > 0);
        QVERIFY(!QFileInfo::exists(path + ".part"));
        reg->run("delete from student where stud_code > 10");
        addCases(100, 5);
        QVERIFY(fingerprint() != saved);
        backup::restore(db(), path);
        QCOMPARE(fingerprint(), saved);
        QCOMPARE(db().takeOpenWarning(), QString());
        // The index of the names on SQLite is made anew from the cases restored.
        if (engineOfRow() == TestDatabase::Engine::SQLite)
            QCOMPARE(reg->count("select count(*) from student_name_search where "
                                "student_name_search match simat_name_query('حالة')"),
                     30);
        addCases(200, 1);
    }

    void corruptAndForeignFilesAreRefusedWithNothingChanged()
    {
        const QString saved = fingerprint();
        const QString whole = savedBackup();
        QFile text(file("notes.db"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("SQLite format 3 is not what this is\n");
        text.close();
        // Another program's database, with a table of its own.
        const QString foreign = file("other-program.db");
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other-program");
            other.setDatabaseName(foreign);
            QVERIFY(other.open());
            QSqlQuery(other).exec("create table notes (id integer, body text)");
            QSqlQuery(other).exec("insert into notes values (1, 'a note')");
            other.close();
        }
        QSqlDatabase::removeDatabase("other-program");
        QFile::copy(whole, file("corrupt"));
        QFile corrupt(file("corrupt"));
        QVERIFY(corrupt.open(QIODevice::ReadWrite));
        corrupt.seek(corrupt.size() / 2);
        corrupt.write(QByteArray(corrupt.size() / 4, '\x5a'));
        corrupt.close();
        addCases(300, 3);
        const QString changed = fingerprint();
        const QString notOurs = "الملف المختار ليس نسخة احتياطية من بيانات هذا البرنامج";
        QCOMPARE(errorOf([&] { backup::restore(db(), text.fileName()); }), notOurs);
        QCOMPARE(errorOf([&] { backup::restore(db(), foreign); }), notOurs);
        QVERIFY(!errorOf([&] { backup::restore(db(), corrupt.fileName()); }).isEmpty());
        if (engineOfRow() == TestDatabase::Engine::SQLite) {
            const QString live = parseAlias(reg->database().alias()).filePath;
            const QString itself = "الملف المختار هو ملف قاعدة البيانات الحالية، اختر ملفاً آخر";
            QCOMPARE(errorOf([&] { backup::save(db(), live); }), itself);
            QCOMPARE(errorOf([&] { backup::restore(db(), live + "-wal"); }), itself);
        }
        QCOMPARE(fingerprint(), changed);
        backup::restore(db(), whole);
        QCOMPARE(fingerprint(), saved);
    }

    // Backups of the program's tables with something of their own: a trigger that makes an
    // account an administrator and adds one, a view that shows every password as a
    // nationality, a table; and one whose accounts have no passwords. The check and the restore
    // refuse each, and the register, its tables, views and triggers, and its accounts stay as
    // they were.
    void craftedBackupsAreRefusedAndChangeNothing()
    {
        const bool sqlite = engineOfRow() == TestDatabase::Engine::SQLite;
        reg->account({.code = 2, .level = 2, .password = "pw-of-2"});
        const QString good = savedBackup();
        const QString planted =
            "update users set user_level = 0 where user_code = 2; insert into users (user_code, "
            "a_name, user_password, user_level, is_active) values (99, 'x', '99', 0, 1);";
        const QList<QStringList> crafts = {
            sqlite ? QStringList{"create trigger planted after insert on test_hdr begin " +
                                 planted + " end"}
                   : QStringList{"create function planted() returns trigger language plpgsql as "
                                 "$$ begin " +
                                     planted + " return new; end $$",
                                 "create trigger planted after insert on test_hdr for each row "
                                 "execute function planted()"},
            {"drop view nationality_view_1",
             "create view nationality_view_1 as select user_code as nationality_id, user_password "
             "as nationality_name, entry_date, who_insert, trans_date, who_update, is_active, "
             "entry_type from users"},
            {"alter table users drop column user_password"},
            {"create table notes (id integer, body text)"}};
        QStringList crafted;
        for (const QStringList &craft : crafts) {
            for (const QString &statement : craft)
                reg->run(statement);
            crafted << file(QStringLiteral("crafted-%1-").arg(crafted.size()) +
                            backup::fileName(db()));
            backup::save(db(), crafted.last());
            const QString undone = errorOf([&] { backup::restore(db(), good); });
            QVERIFY2(undone.isEmpty(), qPrintable(undone));
        }
        const QString rows = fingerprint();
        const QStringList objects = schemaObjects();
        const QString notOurs = "الملف المختار ليس نسخة احتياطية من بيانات هذا البرنامج";
        for (const QString &path : crafted) {
            QCOMPARE(errorOf([&] { backup::check(db(), path); }), notOurs);
            QCOMPARE(errorOf([&] { backup::restore(db(), path); }), notOurs);
            QCOMPARE(errorOf([&] { backup::restore(db(), path, {}, backup::Checked::Already); }),
                     "تعذر استرجاع النسخة الاحتياطية، وبقيت البيانات كما كانت\n" + notOurs);
            QCOMPARE(fingerprint(), rows);
            QCOMPARE(schemaObjects(), objects);
        }
        reg->test(1).add();
        QCOMPARE(reg->rows("select user_code, user_level from users order by user_code"),
                 QStringList({"1|0", "2|2"}));
        logIn("2", "pw-of-2");
        QVERIFY(screens::find(QStringLiteral("MainForm"))->isVisible());
    }

    // The accounts of a restored register log in with their passwords.
    void aRestoredRegisterLogsInWithItsAccounts()
    {
        reg->account({.code = 2, .level = 0, .password = "pw-of-2"});
        const QString path = savedBackup();
        reg->run("delete from users where user_code = 2");
        backup::restore(db(), path);
        BoxAnswerer boxes;
        logIn("2", "pw-of-2");
        QCOMPARE(boxes.count(), 0);
        QVERIFY(screens::find(QStringLiteral("MainForm"))->isVisible());
    }

    // Stopped after its first part, the restore leaves every row as it was before it began.
    void aRestoreStoppedHalfWayLeavesTheRegisterAsItWas()
    {
        // A register that a restore copies in several parts: 59,001 cases written by one
        // statement, far more than the builder writes in the time of a test.
        if (engineOfRow() == TestDatabase::Engine::SQLite)
            reg->run("insert into student (stud_code, stud_name, stud_birth_date) with recursive "
                     "n(g) as (select 1000 union all select g + 1 from n where g < 60000) select "
                     "g, 'حالة ' || g, '2020-01-02' from n");
        else
            reg->run(
                "insert into student (stud_code, stud_name, stud_birth_date) select g, 'حالة ' "
                "|| g, date '2020-01-02' from generate_series(1000, 60000) as g");
        const QString path = savedBackup();
        reg->run("delete from student where stud_code > 5");
        const QString changed = fingerprint();
        int reports = 0;
        const QString failure = errorOf([&] {
            backup::restore(db(), path, [&reports](qint64 done, qint64) {
                ++reports;
                return done == 0;
            });
        });
        QVERIFY(failure.startsWith("تعذر استرجاع النسخة الاحتياطية، وبقيت البيانات كما كانت"));
        QVERIFY(reports > 0);
        QCOMPARE(fingerprint(), changed);
    }

    // A register of an earlier schema is saved into the data folder before it is changed, once.
    void aSchemaChangeIsPrecededByABackup()
    {
        const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_folder->path().toUtf8());
        makeRegisterOfTheFirstVersion(*reg);
        const QString saved = fingerprint();
        for (int opening = 0; opening < 2; ++opening) {
            db().close();
            db().open(parseAlias(reg->database().alias()));
        }
        QStringList backups;
        QDirIterator found(backup::automaticFolder(), QDir::Files, QDirIterator::Subdirectories);
        while (found.hasNext())
            backups << found.next();
        qputenv("XDG_DATA_HOME", dataHome);
        QCOMPARE(backups.size(), 1);
        QVERIFY(QFileInfo(backups.first()).fileName().startsWith("simat-"));
        addCases(400, 1);
        backup::restore(db(), backups.first());
        QCOMPARE(fingerprint(), saved);
    }

    // Under the common umask 022: a backup, the one before a schema change, and its folders.
    void backupsAndTheirFoldersAreTheirOwnersAlone()
    {
        const mode_t umaskBefore = ::umask(022);
        const QString saved = savedBackup();
        const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_folder->filePath("data").toUtf8());
        makeRegisterOfTheFirstVersion(*reg);
        db().close();
        db().open(parseAlias(reg->database().alias()));
        const QString automatic = backup::automaticFolder();
        qputenv("XDG_DATA_HOME", dataHome);
        ::umask(umaskBefore);
        QCOMPARE(modeOf(saved), 0600);
        QDirIterator found(automatic, QDir::Files, QDirIterator::Subdirectories);
        QVERIFY(found.hasNext());
        const QString before = found.next();
        QCOMPARE(modeOf(before), 0600);
        QCOMPARE(modeOf(QFileInfo(before).absolutePath()), 0700);
        QCOMPARE(modeOf(automatic), 0700);
        QCOMPARE(modeOf(m_folder->filePath("data/simat")), 0700);
    }

    void theMenuBacksUpAndRestoresForTheAdministratorOnly()
    {
        if (engineOfRow() != TestDatabase::Engine::SQLite)
            QSKIP("the screen is the same on both engines");
        reg->password(1, administratorPassword);
        db().close();
        logIn("1", administratorPassword);
        screens::show(QStringLiteral("BasicDataMainForm"));
        auto *save = on<QToolButton>("BasicDataMainForm", "spBackup");
        auto *restore = on<QToolButton>("BasicDataMainForm", "spRestore");
        QVERIFY(save->isEnabled() && restore->isEnabled());
        const QString saved = fingerprint();
        const QString path = file("menu-copy.db");
        {
            BoxAnswerer boxes;
            chooseFile(path);
            QTest::mouseClick(save, Qt::LeftButton);
            QCOMPARE(boxes.texts.value(0).left(27), QStringLiteral("تم حفظ النسخة الاحتياطية في"));
        }
        QVERIFY(QFileInfo::exists(path));
        {
            // Stopped half-way, the backup leaves no file, the register as it was. A table of
            // ballast makes the copy take more than one step.
            reg->run("create table ballast as select randomblob(8000000) as b");
            const QString before = fingerprint();
            const QString stopped = file("menu-stopped.db");
            BoxAnswerer boxes;
            ProgressCanceller cancel;
            chooseFile(stopped);
            QTest::mouseClick(save, Qt::LeftButton);
            QVERIFY(!cancel.said.isEmpty());
            QVERIFY(!QFileInfo::exists(stopped));
            QVERIFY(!QFileInfo::exists(stopped + ".part"));
            QCOMPARE(fingerprint(), before);
            reg->run("drop table ballast");
        }
        addCases(500, 2);
        {
            BoxAnswerer no({QMessageBox::No});
            chooseFile(path);
            QTest::mouseClick(restore, Qt::LeftButton);
            QCOMPARE(no.texts,
                     QStringList({"سيتم استبدال البيانات الحالية بالنسخة الاحتياطية - هل تريد "
                                  "الاستمرار؟"}));
        }
        QVERIFY(fingerprint() != saved);
        {
            BoxAnswerer yes({QMessageBox::Yes, QMessageBox::Ok});
            chooseFile(path);
            QTest::mouseClick(restore, Qt::LeftButton);
            QCOMPARE(yes.count(), 2);
            QCOMPARE(yes.texts.at(1), QStringLiteral("تم استرجاع النسخة الاحتياطية، سجّل الدخول "
                                                     "من جديد"));
        }
        QCOMPARE(fingerprint(), saved);
        QVERIFY(!screens::find(QStringLiteral("BasicDataMainForm"))->isVisible());
        QVERIFY(screens::find(QStringLiteral("LoginForm"))->isVisible());
        reg->account({.code = 2, .level = 1});
        logIn("2", "pw2");
        screens::show(QStringLiteral("BasicDataMainForm"));
        QVERIFY(!save->isEnabled() && !restore->isEnabled());
    }
};

SIMAT_TEST_MAIN(BackupTest)
#include "test_backup.moc"
