#include "backup.h"

#include "core/error.h"
#include "database.h"
#include "owner_only.h"
#include "schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <sqlite3.h>

namespace simat::backup {

namespace {

const QString notABackup = QStringLiteral("الملف المختار ليس نسخة احتياطية من بيانات هذا البرنامج");
const QString stopped = QStringLiteral("توقف العمل قبل أن يكتمل، ولم يتغير شيء");

bool isSQLite(const Database &database)
{
    return database.engine() == DatabaseAlias::Engine::SQLite;
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
            throw Error(QStringLiteral("تعذر فتح الملف %1\n%2").arg(path, reason));
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

sqlite3 *liveHandle(const Database &database)
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
        throw Error(stopped);
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
            copyPages(liveHandle(database), copy.handle(), progress);
            // One file, readable alone: no write-ahead log beside it.
            copy.execute("pragma journal_mode = delete");
        }
        QFile::remove(filePath);
        if (!QFile::rename(part, filePath))
            throw Error(QStringLiteral("تعذر كتابة الملف %1").arg(filePath));
    } catch (...) {
        QFile::remove(part);
        throw;
    }
}

QString firstValue(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql) || !query.next())
        return {};
    return query.value(0).toString();
}

// SQLite's integrity check of a large file takes a while: the progress is told that the work
// goes on, and may stop it.
int tellProgress(void *progress)
{
    return (*static_cast<const Progress *>(progress))(0, 0) ? 0 : 1;
}

void checkIntegrity(QSqlDatabase &file, const Progress &progress)
{
    const QVariant handle = file.driver()->handle();
    sqlite3 *connection = *static_cast<sqlite3 *const *>(handle.data());
    if (progress)
        sqlite3_progress_handler(connection, 100000, tellProgress,
                                 const_cast<Progress *>(&progress));
    const QString found = firstValue(file, QStringLiteral("pragma integrity_check"));
    sqlite3_progress_handler(connection, 0, nullptr, nullptr);
    if (progress && !progress(0, 0))
        throw Error(stopped);
    if (found != QLatin1String("ok"))
        throw Error(QStringLiteral("ملف النسخة الاحتياطية تالف"));
}

int schemaVersionIn(QSqlDatabase &file, const Progress &progress)
{
    checkIntegrity(file, progress);
    QStringList tables;
    QSqlQuery names(file);
    names.exec(QStringLiteral("select name from sqlite_master where type = 'table'"));
    while (names.next())
        tables << names.value(0).toString();
    for (const schema::Table &table : schema::tables()) {
        if (!tables.contains(QLatin1String(table.name)))
            throw Error(notABackup);
    }
    // A register of the first version records none.
    if (!tables.contains(QLatin1String("schema_version")))
        return 0;
    return firstValue(file, QStringLiteral("select max(version) from schema_version")).toInt();
}

int sqliteSchemaVersion(const QString &filePath, const Progress &progress)
{
    static int checks = 0;
    const QString name = QStringLiteral("backup-check-%1").arg(++checks);
    int version = -1;
    QString failure;
    {
        QSqlDatabase file = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        file.setDatabaseName(filePath);
        file.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        try {
            if (!file.open() ||
                firstValue(file, QStringLiteral("select count(*) from sqlite_master")).isEmpty())
                throw Error(notABackup);
            version = schemaVersionIn(file, progress);
        } catch (const Error &error) {
            failure = error.text();
        }
        file.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty())
        throw Error(failure);
    return version;
}

void restoreSQLite(const DatabaseAlias &alias, const QString &filePath, const Progress &progress)
{
    SQLiteFile from(filePath, SQLITE_OPEN_READONLY);
    SQLiteFile into(alias.filePath, SQLITE_OPEN_READWRITE);
    copyPages(from.handle(), into.handle(), progress);
}

// ---- PostgreSQL ---------------------------------------------------------------------------

// A value of a libpq connection string, quoted.
QString quoted(const QString &value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

// The alias's database for pg_dump and pg_restore; the password travels in the environment.
QStringList connectionArguments(const DatabaseAlias &alias)
{
    QStringList arguments;
    if (!alias.host.isEmpty())
        arguments << QStringLiteral("--host=") + alias.host;
    if (alias.port >= 0)
        arguments << QStringLiteral("--port=") + QString::number(alias.port);
    if (!alias.userName.isEmpty())
        arguments << QStringLiteral("--username=") + alias.userName;
    QString database = alias.connectOptions;
    if (!alias.databaseName.isEmpty())
        database =
            QStringLiteral("dbname=") + quoted(alias.databaseName) + QLatin1Char(' ') + database;
    arguments << QStringLiteral("--dbname=") + database.trimmed()
              << QStringLiteral("--no-password");
    return arguments;
}

QProcessEnvironment toolEnvironment(const DatabaseAlias &alias)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!alias.password.isEmpty())
        environment.insert(QStringLiteral("PGPASSWORD"), alias.password);
    environment.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("5"));
    // A restore waits this long at most for another workstation's lock on a table.
    environment.insert(QStringLiteral("PGOPTIONS"), environment.value(QStringLiteral("PGOPTIONS")) +
                                                        QStringLiteral(" -c lock_timeout=30000"));
    return environment;
}

// pg_dump refuses a server newer than itself: the tools of the server's own major version are
// taken when they are installed beside it, else those on the path.
QString tool(const Database &database, const QString &name)
{
    QSqlQuery query(database.connection());
    if (query.exec(QStringLiteral("show server_version_num")) && query.next()) {
        const QString matching = QStringLiteral("/usr/lib/postgresql/%1/bin/%2")
                                     .arg(query.value(0).toInt() / 10000)
                                     .arg(name);
        if (QFileInfo(matching).isExecutable())
            return matching;
    }
    return name;
}

struct ToolRun {
    QString program;
    QStringList arguments;
    QProcessEnvironment environment;
    // Lines of the tool's messages that each mean one table more done.
    QRegularExpression tableDone;
    int tables = 0;
};

struct ToolOutput {
    QByteArray output;
    QString messages;
};

// What a tool said of its failure, without the lines of its --verbose account.
QString failureLines(const QString &messages)
{
    QStringList lines = messages.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList errors = lines.filter(QRegularExpression(
        QStringLiteral("error|fatal|detail"), QRegularExpression::CaseInsensitiveOption));
    return (errors.isEmpty() ? lines.mid(std::max(0, int(lines.size()) - 3)) : errors)
        .join(QLatin1Char('\n'));
}

// Runs a PostgreSQL tool to its end, telling progress from its messages; throws Error.
ToolOutput run(const ToolRun &job, const Progress &progress)
{
    QProcess process;
    process.setProcessEnvironment(job.environment);
    process.start(job.program, job.arguments);
    if (!process.waitForStarted())
        throw Error(QStringLiteral("تعذر تشغيل %1: ثبّت حزمة postgresql-client")
                        .arg(QFileInfo(job.program).fileName()));
    ToolOutput result;
    int done = 0;
    bool going = true;
    while (going && process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(100);
        result.output += process.readAllStandardOutput();
        const QString messages = QString::fromUtf8(process.readAllStandardError());
        result.messages += messages;
        if (job.tables > 0)
            done += int(messages.count(job.tableDone));
        if (progress)
            going = progress(std::min(done, job.tables), job.tables);
    }
    if (!going) {
        process.kill();
        process.waitForFinished();
        throw Error(stopped);
    }
    process.waitForFinished();
    result.output += process.readAllStandardOutput();
    result.messages += QString::fromUtf8(process.readAllStandardError());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw Error(failureLines(result.messages));
    return result;
}

void savePostgreSQL(const Database &database, const QString &filePath, const Progress &progress)
{
    const QString part = filePath + QLatin1String(".part");
    ToolRun job{tool(database, QStringLiteral("pg_dump")),
                connectionArguments(database.alias())
                    << QStringLiteral("--format=custom") << QStringLiteral("--verbose")
                    << QStringLiteral("--file=") + part,
                toolEnvironment(database.alias()),
                QRegularExpression(QStringLiteral("dumping contents of table")),
                int(schema::tables().size())};
    QFile::remove(part);
    try {
        // pg_dump writes into the file as it finds it, and keeps its permissions.
        owner_only::createFile(part);
        run(job, progress);
        QFile::remove(filePath);
        if (!QFile::rename(part, filePath))
            throw Error(QStringLiteral("تعذر كتابة الملف %1").arg(filePath));
    } catch (const Error &error) {
        QFile::remove(part);
        throw Error(QStringLiteral("تعذر أخذ النسخة الاحتياطية\n%1").arg(error.text()));
    }
}

ToolRun readingTool(const Database &database, const QStringList &arguments)
{
    return {tool(database, QStringLiteral("pg_restore")), arguments,
            QProcessEnvironment::systemEnvironment(), QRegularExpression(), 0};
}

// The archive's list must name every table of the program; the version is read from the
// rows of schema_version that the archive holds.
int postgresSchemaVersion(const Database &database, const QString &filePath)
{
    ToolOutput list;
    try {
        list = run(readingTool(database, {QStringLiteral("--list"), filePath}), {});
    } catch (const Error &) {
        throw Error(notABackup);
    }
    static const QRegularExpression tableLine(QStringLiteral("^\\d+; \\d+ \\d+ TABLE \\S+ (\\S+) "),
                                              QRegularExpression::MultilineOption);
    QStringList tables;
    for (const auto &found : tableLine.globalMatch(QString::fromUtf8(list.output)))
        tables << found.captured(1);
    for (const schema::Table &table : schema::tables()) {
        if (!tables.contains(QLatin1String(table.name)))
            throw Error(notABackup);
    }
    if (!tables.contains(QLatin1String("schema_version")))
        return 0;
    const ToolOutput rows = run(readingTool(database, {QStringLiteral("--data-only"),
                                                       QStringLiteral("--table=schema_version"),
                                                       QStringLiteral("--file=-"), filePath}),
                                {});
    static const QRegularExpression copied(
        QStringLiteral("^COPY \\S+ \\(version\\) FROM stdin;\\n(\\d+)"),
        QRegularExpression::MultilineOption);
    const auto version = copied.match(QString::fromUtf8(rows.output));
    return version.hasMatch() ? version.captured(1).toInt() : 0;
}

// pg_restore drops and recreates every object of the archive in one transaction
// (--clean --single-transaction): a failure anywhere rolls all of it back and the register
// stays as it was. The program's own connections are closed meanwhile, since their locks
// would keep the tables from being dropped.
void restorePostgreSQL(const DatabaseAlias &alias, const QString &program, const QString &filePath,
                       const Progress &progress)
{
    ToolRun job{program,
                connectionArguments(alias)
                    << QStringLiteral("--clean") << QStringLiteral("--if-exists")
                    << QStringLiteral("--single-transaction") << QStringLiteral("--no-owner")
                    << QStringLiteral("--no-privileges") << QStringLiteral("--verbose") << filePath,
                toolEnvironment(alias),
                QRegularExpression(QStringLiteral("processing data for table")),
                int(schema::tables().size())};
    run(job, progress);
}

int schemaVersion(const Database &database, const QString &filePath, const Progress &progress)
{
    if (!QFileInfo(filePath).isFile())
        throw Error(QStringLiteral("الملف %1 غير موجود").arg(filePath));
    if (isSQLite(database))
        refuseTheRegisterFile(database, filePath);
    return isSQLite(database) ? sqliteSchemaVersion(filePath, progress)
                              : postgresSchemaVersion(database, filePath);
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
    if (schemaVersion(database, filePath, progress) > schema::currentVersion())
        throw Error(QStringLiteral("النسخة الاحتياطية من إصدار أحدث من هذا البرنامج"));
}

void restore(Database &database, const QString &filePath, const Progress &progress, Checked checked)
{
    if (checked == Checked::No)
        check(database, filePath, progress);
    const DatabaseAlias alias = database.alias();
    const bool sqlite = isSQLite(database);
    const QString program = sqlite ? QString() : tool(database, QStringLiteral("pg_restore"));
    database.close();
    QString failure;
    try {
        if (sqlite)
            restoreSQLite(alias, filePath, progress);
        else
            restorePostgreSQL(alias, program, filePath, progress);
    } catch (const Error &error) {
        failure = error.text();
    }
    database.open(alias);
    if (!failure.isEmpty())
        throw Error(QStringLiteral("تعذر استرجاع النسخة الاحتياطية، وبقيت البيانات كما كانت\n%1")
                        .arg(failure));
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
        save(database, dir.filePath(fileName(database)));
    } catch (const Error &error) {
        throw Error(QStringLiteral("تعذر أخذ نسخة احتياطية قبل تحديث قاعدة البيانات\n%1")
                        .arg(error.text()));
    }
}

} // namespace simat::backup
