// Backup and restore of the register on both engines: the round trip, the files refused, the
// restore stopped half way, the backup before a schema change, and the two buttons of the
// basic-data menu.
#include "fixtures.h"
#include "register_builder.h"

#include "core/error.h"
#include "data/backup.h"
#include "data/dm.h"
#include "data/schema.h"
#include "ui/screens.h"

#include <QCryptographicHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QToolButton>

using namespace simat;
using namespace simat::testing;

namespace {

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

    // Stopped after its first part, the restore leaves every row as it was before it began.
    void aRestoreStoppedHalfWayLeavesTheRegisterAsItWas()
    {
        // A register that a restore copies in several parts; on PostgreSQL 59,001 cases written
        // by one statement, far more than the builder writes in the time of a test.
        if (engineOfRow() == TestDatabase::Engine::SQLite)
            reg->run(
                "create table padding as with recursive n(i) as (select 1 union all select i + 1 "
                "from n where i < 4000) select i, randomblob(3000) as b from n");
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
        reg->run("drop table schema_version");
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
