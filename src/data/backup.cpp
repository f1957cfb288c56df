#include "backup.h"

#include "audit_log.h"
#include "backup_texts.h"
#include "core/bidi.h"
#include "core/error.h"
#include "database.h"
#include "owner_only.h"
#include "pg_archive.h"
#include "pg_tools.h"
#include "register_layout.h"
#include "schema.h"
#include "text_search.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <optional>
#include <sqlite3.h>

namespace simat::backup {

namespace {

using register_layout::Layout;

const QString newerVersion = QStringLiteral("النسخة الاحتياطية من إصدار أحدث من هذا البرنامج");

bool isSQLite(const Database &database)
{
    return database.engine() == DatabaseAlias::Engine::SQLite;
}

QString firstValue(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql) || !query.next())
        return {};
    return query.value(0).toString();
}

// The progress of one of the steps of a work, told as a part of the whole work.
Progress stepOf(const Progress &progress, int step, int steps)
{
    if (!progress)
        return {};
    return [progress, step, steps](qint64 done, qint64 total) {
        constexpr qint64 stepSize = 1000;
        if (total <= 0)
            return progress(0, 0);
        return progress(step * stepSize + done * stepSize / total, steps * stepSize);
    };
}

void requireKnownVersion(int version)
{
    if (version > schema::currentVersion())
        throw Error(newerVersion);
}

void requireFit(const Layout &backup, const Layout &program)
{
    if (!register_layout::fits(backup, program))
        throw Error(notABackupText());
}

// A path inside an Arabic sentence, in its own order.
QString shownPath(const QString &path)
{
    return isolated(QDir::toNativeSeparators(path));
}

// What failed, over the failure that ended it: an engine's reason that the program can say in
// Arabic goes to the details, any other stays under the text.
Error withReasonOf(const Error &failure, const QString &whatFailed)
{
    const QString reason =
        failure.engineReason().isEmpty() ? failure.text() : failure.engineReason();
    if (failureExplanation(reason).isEmpty())
        return Error(whatFailed + QLatin1Char('\n') + failure.text());
    return Error(whatFailed, reason);
}

// ---- SQLite -------------------------------------------------------------------------------

// A connection of SQLite's own to a file, closed when it goes.
class SQLiteFile {
public:
    SQLiteFile(const QString &path, int flags)
    {
        const int opened =
            sqlite3_open_v2(QFile::encodeName(path).constData(), &m_handle, flags, nullptr);
        if (opened != SQLITE_OK) {
            const QString reason = m_handle ? QString::fromUtf8(sqlite3_errmsg(m_handle))
                                            : QString::fromUtf8(sqlite3_errstr(opened));
            sqlite3_close(m_handle);
            throw Error(QStringLiteral("تعذر فتح الملف %1\n%2").arg(shownPath(path), reason));
        }
        sqlite3_busy_timeout(m_handle, Database::busyWaitMs);
    }
    ~SQLiteFile() { sqlite3_close(m_handle); }
    SQLiteFile(const SQLiteFile &) = delete;
    SQLiteFile &operator=(const SQLiteFile &) = delete;
    sqlite3 *handle() const { return m_handle; }
    void execute(const char *sql)
    {
        if (sqlite3_exec(m_handle, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw Error(QString::fromUtf8(sqlite3_errmsg(m_handle)));
    }

private:
    sqlite3 *m_handle = nullptr;
};

sqlite3 *handleOf(const Database &database)
{
    const QVariant handle = database.connection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw Error(QStringLiteral("تعذر الوصول إلى قاعدة البيانات المدمجة"));
    return *static_cast<sqlite3 *const *>(handle.data());
}

// Copies every page of one database into another in steps, telling progress after each. The
// destination is written in one transaction that commits only with the last page: whatever
// stops the copy before, the destination keeps what it held.
void copyPages(sqlite3 *from, sqlite3 *into, const Progress &progress)
{
    constexpr int pagesPerStep = 1024;
    sqlite3_backup *copy = sqlite3_backup_init(into, "main", from, "main");
    if (!copy)
        throw Error(QString::fromUtf8(sqlite3_errmsg(into)));
    int stepped = SQLITE_OK;
    bool going = true;
    while (going) {
        stepped = sqlite3_backup_step(copy, pagesPerStep);
        if (stepped == SQLITE_BUSY || stepped == SQLITE_LOCKED) {
            sqlite3_sleep(20);
            continue;
        }
        if (stepped != SQLITE_OK)
            break;
        const int total = sqlite3_backup_pagecount(copy);
        going = !progress || progress(total - sqlite3_backup_remaining(copy), total);
    }
    const int finished = sqlite3_backup_finish(copy);
    if (!going)
        throw Error(stoppedText());
    if (stepped != SQLITE_DONE || finished != SQLITE_OK)
        throw Error(QString::fromUtf8(sqlite3_errstr(stepped != SQLITE_DONE ? stepped : finished)));
    if (progress)
        progress(1, 1);
}

// The register's own file, or its log, is never a backup's place nor its source.
void refuseTheRegisterFile(const Database &database, const QString &filePath)
{
    const QString chosen = QFileInfo(filePath).absoluteFilePath();
    const QString live = QFileInfo(database.alias().filePath).absoluteFilePath();
    if (chosen.startsWith(live) && chosen.size() <= live.size() + 4)
        throw Error(QStringLiteral("الملف المختار هو ملف قاعدة البيانات الحالية، اختر ملفاً آخر"));
}

// The copy is written beside the file asked for, and takes its name only once it is whole.
void saveSQLite(const Database &database, const QString &filePath, const Progress &progress)
{
    refuseTheRegisterFile(database, filePath);
    const QString part = filePath + QLatin1String(".part");
    QFile::remove(part);
    owner_only::createFile(part);
    try {
        {
            // SQLite gives its journal beside the copy the copy's permissions.
            SQLiteFile copy(part, SQLITE_OPEN_READWRITE);
            copyPages(handleOf(database), copy.handle(), progress);
            // One file, readable alone: no write-ahead log beside it.
            copy.execute("pragma journal_mode = delete");
        }
        QFile::remove(filePath);
        if (!QFile::rename(part, filePath))
            throw Error(QStringLiteral("تعذر كتابة الملف %1").arg(shownPath(filePath)));
    } catch (...) {
        QFile::remove(part);
        throw;
    }
}

// While it lives, SQLite tells the progress now and then that a long statement goes on, with
// the part of the work done before it; the progress may stop the statement.
class Watched {
public:
    Watched(sqlite3 *connection, const Progress &progress, qint64 done, qint64 total)
        : m_connection(connection)
        , m_progress(progress)
        , m_done(done)
        , m_total(total)
    {
        if (m_progress)
            sqlite3_progress_handler(m_connection, 100000, &Watched::tell, this);
    }
    ~Watched() { sqlite3_progress_handler(m_connection, 0, nullptr, nullptr); }
    Watched(const Watched &) = delete;
    Watched &operator=(const Watched &) = delete;
    bool stopped() const { return m_stopped; }

private:
    static int tell(void *watched)
    {
        auto *self = static_cast<Watched *>(watched);
        self->m_stopped = !self->m_progress(self->m_done, self->m_total);
        return self->m_stopped ? 1 : 0;
    }

    sqlite3 *m_connection;
    const Progress &m_progress;
    qint64 m_done;
    qint64 m_total;
    bool m_stopped = false;
};

// A register of its own in a new folder of its own (its owner's alone): the program builds the
// tables of a backup's version there, and a restore its new register.
class ScratchRegister {
public:
    explicit ScratchRegister(const QString &besideFolder)
        : m_folder(besideFolder + QStringLiteral("/simat-restore-XXXXXX"))
    {
        if (!m_folder.isValid())
            throw Error(QStringLiteral("تعذر إنشاء مجلد مؤقت في %1").arg(shownPath(besideFolder)));
        DatabaseAlias alias;
        alias.filePath = m_folder.filePath(QStringLiteral("simat.db"));
        m_database.openAsItStands(alias);
        // Nothing is lost if the machine stops: the register it replaces is still there.
        m_database.execute(QStringLiteral("pragma synchronous = off"));
    }
    Database &database() { return m_database; }

private:
    QTemporaryDir m_folder;
    Database m_database{QStringLiteral("simat-scratch")};
};

const QString backupSchema = QStringLiteral("simat_backup");

// The backup file, attached read-only as backupSchema to a scratch register while it lives. A
// file that SQLite cannot read as a database is refused.
class AttachedBackup {
public:
    AttachedBackup(Database &scratch, const QString &filePath)
        : m_connection(handleOf(scratch))
    {
        const QByteArray uri =
            QUrl::fromLocalFile(QFileInfo(filePath).absoluteFilePath()).toEncoded() + "?mode=ro";
        sqlite3_stmt *attach = nullptr;
        m_attached = sqlite3_prepare_v2(m_connection, "attach database ?1 as simat_backup", -1,
                                        &attach, nullptr) == SQLITE_OK &&
                     sqlite3_bind_text(attach, 1, uri.constData(), int(uri.size()),
                                       SQLITE_TRANSIENT) == SQLITE_OK &&
                     sqlite3_step(attach) == SQLITE_DONE;
        sqlite3_finalize(attach);
        // SQLite reads the file's schema at its first use.
        const bool readable =
            m_attached && sqlite3_db_readonly(m_connection, "simat_backup") == 1 &&
            sqlite3_exec(m_connection, "select count(*) from simat_backup.sqlite_master", nullptr,
                         nullptr, nullptr) == SQLITE_OK;
        if (!readable) {
            detach();
            throw Error(notABackupText());
        }
    }
    ~AttachedBackup() { detach(); }
    AttachedBackup(const AttachedBackup &) = delete;
    AttachedBackup &operator=(const AttachedBackup &) = delete;

private:
    void detach()
    {
        if (std::exchange(m_attached, false))
            sqlite3_exec(m_connection, "detach database simat_backup", nullptr, nullptr, nullptr);
    }

    sqlite3 *m_connection;
    bool m_attached = false;
};

// SQLite's integrity check of a large file takes a while: the progress is told that the work
// goes on, and may stop it.
void checkIntegrity(Database &scratch, const Progress &progress)
{
    // The check evaluates the file's own constraints: they may call no function of the
    // program's.
    scratch.execute(QStringLiteral("pragma trusted_schema = off"));
    QString found;
    bool stopped = false;
    {
        Watched watch(handleOf(scratch), progress, 0, 0);
        found = firstValue(scratch.connection(),
                           QStringLiteral("pragma %1.integrity_check").arg(backupSchema));
        stopped = watch.stopped();
    }
    scratch.execute(QStringLiteral("pragma trusted_schema = on"));
    if (stopped || (progress && !progress(0, 0)))
        throw Error(stoppedText());
    if (found != QLatin1String("ok"))
        throw Error(QStringLiteral("ملف النسخة الاحتياطية تالف"));
}

// A register of the first version records none.
int sqliteVersion(Database &scratch, const Layout &backup)
{
    if (!backup.tables.contains(QStringLiteral("schema_version")))
        return 0;
    return firstValue(
               scratch.connection(),
               QStringLiteral("select max(version) from %1.schema_version").arg(backupSchema))
        .toInt();
}

struct Layouts {
    Layout backup;
    Layout program;
};

// Creates in the scratch register, beside the attached backup, the program's empty tables of
// the backup's schema version, once the backup is found to fit their layout.
Layouts emptyTablesFor(Database &scratch)
{
    Layouts layouts{register_layout::sqliteLayout(scratch.connection(), backupSchema), {}};
    const int version = sqliteVersion(scratch, layouts.backup);
    requireKnownVersion(version);
    if (!scratch.inTransaction([&] {
            schema::createEmpty(scratch, version);
            layouts.program = register_layout::layoutOf(scratch);
        }))
        throw Error(scratch.lastFailure());
    requireFit(layouts.backup, layouts.program);
    return layouts;
}

// The rows of a table of the backup, in the program's columns. When the backup's table has
// these columns alone, in their order, SQLite copies its rows as they are stored.
QString copyOfRows(const QString &table, const Layouts &layouts)
{
    const QStringList columns = layouts.program.tables.value(table).columns;
    if (layouts.backup.tables.value(table).columns == columns)
        return QStringLiteral("insert into main.%1 select * from %2.%1").arg(table, backupSchema);
    return QStringLiteral("insert into main.%1 (%2) select %2 from %3.%1")
        .arg(table, columns.join(QLatin1Char(',')), backupSchema);
}

// The rows of the program's tables of rows from the backup into the scratch register's
// tables; the scratch's own triggers fill the index of names.
void copyRowsIntoScratch(Database &scratch, const Layouts &layouts, const Progress &progress)
{
    const QStringList tables = register_layout::rowTables(layouts.program);
    for (qsizetype done = 0; done < tables.size(); ++done) {
        Watched watch(handleOf(scratch), progress, done, tables.size());
        try {
            scratch.execute(copyOfRows(tables.at(done), layouts));
        } catch (const Error &) {
            if (watch.stopped())
                throw Error(stoppedText());
            throw;
        }
        if (progress && !progress(done + 1, tables.size()))
            throw Error(stoppedText());
    }
}

void checkSQLite(const QString &filePath, const Progress &progress)
{
    ScratchRegister scratch(QDir::tempPath());
    AttachedBackup backup(scratch.database(), filePath);
    checkIntegrity(scratch.database(), progress);
    emptyTablesFor(scratch.database());
}

// The new register is built beside the program's, then copied over it page by page in one
// transaction; the program's connection is closed for that time.
void restoreSQLite(Database &database, const QString &filePath, const Progress &progress)
{
    refuseTheRegisterFile(database, filePath);
    const DatabaseAlias alias = database.alias();
    ScratchRegister scratch(QFileInfo(alias.filePath).absolutePath());
    {
        AttachedBackup backup(scratch.database(), filePath);
        const Layouts layouts = emptyTablesFor(scratch.database());
        if (!scratch.database().inTransaction(
                [&] { copyRowsIntoScratch(scratch.database(), layouts, stepOf(progress, 0, 2)); }))
            throw Error(scratch.database().lastFailure());
    }
    database.close();
    SQLiteFile into(alias.filePath, SQLITE_OPEN_READWRITE);
    copyPages(handleOf(scratch.database()), into.handle(), stepOf(progress, 1, 2));
}

// ---- PostgreSQL ---------------------------------------------------------------------------

// The rows of the tables that a trigger keeps, which a restore writes again.
QStringList excludedRows()
{
    QStringList arguments;
    for (const QString &table : search::tablesOfSearchedNames())
        arguments << QStringLiteral("--exclude-table-data=") + table;
    return arguments;
}

void savePostgreSQL(const Database &database, const QString &filePath, const Progress &progress)
{
    const QString part = filePath + QLatin1String(".part");
    const pg_tools::Run job{pg_tools::tool(database, QStringLiteral("pg_dump")),
                            pg_tools::connectionArguments(database.alias())
                                << QStringLiteral("--format=custom") << QStringLiteral("--verbose")
                                << excludedRows() << QStringLiteral("--file=") + part,
                            pg_tools::environment(database.alias()),
                            QRegularExpression(QStringLiteral("dumping contents of table")),
                            int(schema::tables().size())};
    QFile::remove(part);
    try {
        // pg_dump writes into the file as it finds it, and keeps its permissions.
        owner_only::createFile(part);
        pg_tools::run(job, progress);
        QFile::remove(filePath);
        if (!QFile::rename(part, filePath))
            throw Error(QStringLiteral("تعذر كتابة الملف %1").arg(shownPath(filePath)));
    } catch (const Error &error) {
        QFile::remove(part);
        throw withReasonOf(error, QStringLiteral("تعذر أخذ النسخة الاحتياطية"));
    }
}

pg_archive::Archive archiveOf(const Database &database, const QString &filePath)
{
    return {pg_tools::tool(database, QStringLiteral("pg_restore")), filePath};
}

QString quotedName(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

// The layout the program makes for a register of the version, made in a schema of its own
// that is gone again at once; in the caller's transaction.
Layout programLayout(Database &server, int version)
{
    server.execute(QStringLiteral("savepoint program_layout"));
    try {
        const QString searchPath =
            firstValue(server.connection(), QStringLiteral("show search_path"));
        server.execute(QStringLiteral("create schema simat_program_layout"));
        server.execute(
            QStringLiteral("set local search_path to simat_program_layout, %1").arg(searchPath));
        schema::createEmpty(server, version);
        const Layout layout = register_layout::layoutOf(server);
        server.execute(QStringLiteral("rollback to savepoint program_layout"));
        return layout;
    } catch (const Error &) {
        server.execute(QStringLiteral("rollback to savepoint program_layout"));
        throw;
    }
}

// Drops the register's views and tables, as the program makes them, from the current schema.
void dropRegister(Database &server)
{
    const Layout current = programLayout(server, schema::currentVersion());
    const QString where =
        quotedName(firstValue(server.connection(), QStringLiteral("select current_schema()")));
    for (auto view = current.views.cbegin(); view != current.views.cend(); ++view)
        server.execute(
            QStringLiteral("drop view if exists %1.%2 cascade").arg(where, quotedName(view.key())));
    for (auto table = current.tables.cbegin(); table != current.tables.cend(); ++table)
        server.execute(QStringLiteral("drop table if exists %1.%2 cascade")
                           .arg(where, quotedName(table.key())));
}

void checkPostgreSQL(const Database &database, const QString &filePath, const Progress &progress)
{
    const pg_archive::Archive archive = archiveOf(database, filePath);
    if (progress && !progress(0, 0))
        throw Error(stoppedText());
    const Layout backup = pg_archive::layoutOf(archive);
    const int version = pg_archive::schemaVersion(archive, backup);
    requireKnownVersion(version);
    Database server(QStringLiteral("simat-check"));
    server.openAsItStands(database.alias());
    Layout program;
    if (!server.inTransaction([&] { program = programLayout(server, version); }))
        throw Error(server.lastFailure());
    requireFit(backup, program);
}

// In one transaction on a connection of its own: the register's tables go, the program makes
// those of the backup's version, and the archive's rows of them are copied in; a table of
// someone else's in the schema stays as it is. The program's connection is closed meanwhile,
// since its statements would keep the tables from going.
void restorePostgreSQL(Database &database, const QString &filePath, const Progress &progress)
{
    const pg_archive::Archive archive = archiveOf(database, filePath);
    const Layout backup = pg_archive::layoutOf(archive);
    const int version = pg_archive::schemaVersion(archive, backup);
    requireKnownVersion(version);
    const DatabaseAlias alias = database.alias();
    database.close();
    Database server(QStringLiteral("simat-restore"));
    server.openAsItStands(alias);
    const bool restored = server.inTransaction([&] {
        // A restore waits this long at most for another workstation's lock on a table.
        server.execute(QStringLiteral("set local lock_timeout = 30000"));
        // Copying a centre's history may take longer than any save may.
        server.liftStatementLimit();
        const Layout program = programLayout(server, version);
        requireFit(backup, program);
        dropRegister(server);
        schema::createEmpty(server, version);
        pg_archive::copyRows(server, archive, program, progress);
    });
    if (!restored)
        throw Error(server.lastFailure());
}

} // namespace

QString fileName(const Database &database, const QDateTime &when)
{
    return QStringLiteral("simat-") + when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")) +
           (isSQLite(database) ? QLatin1String(".db") : QLatin1String(".dump"));
}

void save(Database &database, const QString &filePath, const Progress &progress)
{
    if (isSQLite(database))
        saveSQLite(database, filePath, progress);
    else
        savePostgreSQL(database, filePath, progress);
}

void check(const Database &database, const QString &filePath, const Progress &progress)
{
    if (!QFileInfo(filePath).isFile())
        throw Error(QStringLiteral("الملف %1 غير موجود").arg(shownPath(filePath)));
    if (isSQLite(database)) {
        refuseTheRegisterFile(database, filePath);
        checkSQLite(filePath, progress);
    } else {
        checkPostgreSQL(database, filePath, progress);
    }
}

void restore(Database &database, const QString &filePath, const Progress &progress, Checked checked)
{
    if (checked == Checked::No)
        check(database, filePath, progress);
    const DatabaseAlias alias = database.alias();
    std::optional<Error> failure;
    try {
        if (isSQLite(database))
            restoreSQLite(database, filePath, progress);
        else
            restorePostgreSQL(database, filePath, progress);
    } catch (const Error &error) {
        failure = error;
    }
    database.open(alias);
    if (failure)
        throw withReasonOf(
            *failure, QStringLiteral("تعذر استرجاع النسخة الاحتياطية، وبقيت البيانات كما كانت"));
    if (!database.inTransaction(
            [&] { audit::logRestore(database, QFileInfo(filePath).fileName()); }))
        throw Error(database.lastFailure());
}

QString automaticFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QLatin1String("/simat/backups");
}

void saveBeforeMigration(Database &database)
{
    const DatabaseAlias &alias = database.alias();
    const QString where = isSQLite(database)
                              ? QFileInfo(alias.filePath).absoluteFilePath()
                              : alias.host + QLatin1Char(':') + QString::number(alias.port) +
                                    QLatin1Char('/') + alias.databaseName + alias.connectOptions;
    const QString folder =
        QStringLiteral("%1/before-version-%2-%3")
            .arg(automaticFolder())
            .arg(schema::currentVersion())
            .arg(QString::fromLatin1(
                QCryptographicHash::hash(where.toUtf8(), QCryptographicHash::Sha1)
                    .toHex()
                    .left(12)));
    QDir dir(folder);
    if (dir.exists() && !dir.isEmpty(QDir::Files))
        return;
    owner_only::makeFolder(automaticFolder());
    owner_only::makeFolder(folder);
    try {
        save(database, dir.filePath(fileName(database)), database.migrationProgress());
    } catch (const Error &error) {
        throw withReasonOf(error,
                           QStringLiteral("تعذر أخذ نسخة احتياطية قبل تحديث قاعدة البيانات"));
    }
}

} // namespace simat::backup
