#include "database.h"

#include "backup.h"
#include "core/error.h"
#include "dialect.h"
#include "libpq.h"
#include "schema.h"
#include "statement.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <sqlite3.h>

namespace simat {

namespace {

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions ownerOnlyFolder = ownerOnly | QFileDevice::ExeOwner;

QString openFailure(const DatabaseAlias &alias, const QString &detail)
{
    QString where = alias.filePath;
    if (alias.engine == DatabaseAlias::Engine::PostgreSQL) {
        where = QStringLiteral("%1:%2/%3")
                    .arg(alias.host)
                    .arg(alias.port < 0 ? QString() : QString::number(alias.port))
                    .arg(alias.databaseName);
        if (!alias.connectOptions.isEmpty())
            where += QLatin1Char(' ') + alias.connectOptions;
    }
    return QStringLiteral("تعذر فتح قاعدة البيانات (%1)\n%2")
        .arg(withoutPasswords(where), withoutPasswords(detail.trimmed()));
}

// A folder the program makes for its database is its owner's alone, and so is the folder of
// the embedded database in the user's data folder, made by an earlier version.
void ensureFolderOf(const QString &filePath)
{
    const QFileInfo info(filePath);
    const QString folder = info.dir().absolutePath();
    const bool made = !info.dir().exists();
    if (made && !QDir().mkpath(folder))
        throw Error(QStringLiteral("تعذر إنشاء المجلد %1").arg(folder));
    if (made || folder == QFileInfo(defaultEmbeddedDatabasePath()).absolutePath())
        QFile::setPermissions(folder, ownerOnlyFolder);
}

// libpq's PQstatus.
using ConnectionStatus = int (*)(const void *connection);
ConnectionStatus libpqStatus()
{
    static const ConnectionStatus status =
        reinterpret_cast<ConnectionStatus>(libpq::function("PQstatus"));
    return status;
}

// libpq's PQconsumeInput: reads what the server sent meanwhile without waiting (libpq's socket
// never blocks), and so finds a connection that a server going down has closed.
using ConsumeInput = int (*)(void *connection);
ConsumeInput libpqConsumeInput()
{
    static const ConsumeInput consume =
        reinterpret_cast<ConsumeInput>(libpq::function("PQconsumeInput"));
    return consume;
}

// A connection the server dropped, found before a statement fails on it; it is still there to
// be replaced.
bool lostConnection(const QString &name)
{
    constexpr int connectionBad = 1; // CONNECTION_BAD of libpq's ConnStatusType
    if (!QSqlDatabase::contains(name))
        return false;
    void *connection = libpq::connectionOf(QSqlDatabase::database(name, false));
    const ConnectionStatus status = connection ? libpqStatus() : nullptr;
    if (!status)
        return false;
    // The first read takes what a closing server said last, the second finds the socket shut.
    for (int read = 0; read < 2 && status(connection) != connectionBad && libpqConsumeInput();
         ++read)
        libpqConsumeInput()(connection);
    return status(connection) == connectionBad;
}

const char *const lostServer =
    "انقطع الاتصال بخادم قاعدة البيانات، فلم يُحفظ شيء - سيُفتح الاتصال من جديد، حاول مرة أخرى";

// The Arabic words for the reasons the two engines most often give.
QString arabicReason(const QString &engineReason)
{
    static const std::pair<const char *, const char *> reasons[] = {
        {"password authentication failed", "اسم المستخدم أو كلمة المرور غير صحيحة"},
        {"no password supplied", "الخادم يطلب كلمة مرور"},
        {"does not exist", "قاعدة البيانات أو المستخدم غير موجود على الخادم"},
        {"Connection refused", "الخادم لا يقبل الاتصال على هذا المنفذ"},
        {"could not translate host name", "اسم الخادم غير معروف"},
        {"timeout expired", "انتهت مهلة الاتصال بالخادم"},
        {"no pg_hba.conf entry", "الخادم لا يسمح لهذا الجهاز بالاتصال"},
        {"file is not a database", "الملف ليس قاعدة بيانات"},
        {"unable to open database file", "تعذر فتح الملف"},
    };
    for (const auto &[english, arabic] : reasons) {
        if (engineReason.contains(QLatin1String(english), Qt::CaseInsensitive))
            return QString::fromUtf8(arabic);
    }
    return QStringLiteral("لم يقبل محرك قاعدة البيانات الاتصال");
}

} // namespace

QString failureExplanation(const QString &engineReason)
{
    static const std::pair<const char *, const char *> reasons[] = {
        {"lock timeout",
         "حاسب آخر يعدل البيانات نفسها الآن، فلم يُحفظ شيء - حاول مرة أخرى بعد قليل"},
        {"database is locked",
         "برنامج آخر أو حاسب آخر يكتب في قاعدة البيانات الآن، فلم يُحفظ شيء - حاول مرة أخرى بعد "
         "قليل"},
        {"statement timeout",
         "استغرقت العملية وقتاً أطول من المسموح فأُلغيت، ولم يُحفظ شيء - حاول مرة أخرى"},
        {"server closed the connection", lostServer},
        {"terminating connection", lostServer},
        {"no connection to the server", lostServer},
    };
    for (const auto &[english, arabic] : reasons) {
        if (engineReason.contains(QLatin1String(english), Qt::CaseInsensitive))
            return QString::fromUtf8(arabic);
    }
    return {};
}

namespace {

ConnectionTrial failedTrial(const QString &engineReason)
{
    return {ConnectionTrial::Outcome::Failed, arabicReason(engineReason), engineReason.trimmed()};
}

// The nearest folder on the way to a new file that exists already.
QFileInfo nearestFolder(const QString &filePath)
{
    QFileInfo folder(QFileInfo(filePath).absolutePath());
    while (!folder.exists() && !folder.isRoot())
        folder.setFile(folder.absolutePath());
    return folder;
}

ConnectionTrial tryNewFile(const QString &filePath)
{
    const QFileInfo folder = nearestFolder(filePath);
    if (folder.isDir() && folder.isWritable())
        return {ConnectionTrial::Outcome::NewFile, {}, {}};
    return {ConnectionTrial::Outcome::Failed,
            QStringLiteral("لا يمكن إنشاء ملف قاعدة البيانات في المجلد %1")
                .arg(folder.absoluteFilePath()),
            QStringLiteral("%1: not a writable folder").arg(folder.absoluteFilePath())};
}

ConnectionTrial tryOpen(QSqlDatabase &db, const QString &read)
{
    if (!db.open())
        return failedTrial(db.lastError().text());
    QSqlQuery query(db);
    if (!query.exec(read))
        return failedTrial(query.lastError().text());
    return {ConnectionTrial::Outcome::Connected, {}, {}};
}

// The server, database, account and libpq options of a PostgreSQL alias.
void setServer(QSqlDatabase &db, const DatabaseAlias &alias)
{
    db.setHostName(alias.host);
    db.setPort(alias.port);
    db.setDatabaseName(alias.databaseName);
    db.setUserName(alias.userName);
    db.setPassword(alias.password);
    db.setConnectOptions(QStringLiteral("connect_timeout=5 ") + alias.connectOptions);
}

ConnectionTrial tryWith(QSqlDatabase db, const DatabaseAlias &alias)
{
    if (alias.engine == DatabaseAlias::Engine::SQLite) {
        db.setDatabaseName(alias.filePath);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        return tryOpen(db, QStringLiteral("select count(*) from sqlite_master"));
    }
    setServer(db, alias);
    return tryOpen(db, QStringLiteral("select 1"));
}

} // namespace

ConnectionTrial tryConnection(const DatabaseAlias &alias)
{
    const bool sqlite = alias.engine == DatabaseAlias::Engine::SQLite;
    if (sqlite && !QFileInfo::exists(alias.filePath))
        return tryNewFile(alias.filePath);
    static int trials = 0;
    const QString name = QStringLiteral("connection-trial-%1").arg(++trials);
    ConnectionTrial trial;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(
            sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), name);
        trial = tryWith(db, alias);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return trial;
}

Database::Database(const QString &name)
    : m_name(name)
{}

Database::~Database()
{
    close();
}

QString Database::streamingConnectionName() const
{
    return m_name + QLatin1String("-rows");
}

QSqlDatabase Database::connection() const
{
    return QSqlDatabase::database(m_name, false);
}

bool Database::isOpen() const
{
    return QSqlDatabase::contains(m_name) && connection().isOpen();
}

void Database::open(const DatabaseAlias &alias)
{
    openWith(alias, Schema::Prepared);
}

void Database::openAsItStands(const DatabaseAlias &alias)
{
    openWith(alias, Schema::AsItStands);
}

void Database::openWith(const DatabaseAlias &alias, Schema schema)
{
    if (isOpen())
        return;
    m_alias = alias;
    try {
        openConnection();
        if (schema == Schema::Prepared)
            prepareSchema();
    } catch (const Error &error) {
        close();
        throw Error(openFailure(m_alias, error.text()));
    }
}

void Database::openConnection()
{
    const bool sqlite = m_alias.engine == DatabaseAlias::Engine::SQLite;
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
    QSqlDatabase db = QSqlDatabase::addDatabase(
        sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), m_name);
    if (sqlite) {
        ensureFolderOf(m_alias.filePath);
        db.setDatabaseName(m_alias.filePath);
    } else {
        setServer(db, m_alias);
    }
    if (!db.open())
        throw Error(db.lastError().text());
    dialect::registerFunctions(db, m_alias.engine);
    if (sqlite) {
        waitForOtherWriters(db);
        protectEmbeddedFiles();
        // A save reported done is on the disk: the log is synced at every commit.
        execute(QStringLiteral("pragma journal_mode = wal"));
        execute(QStringLiteral("pragma synchronous = full"));
    } else {
        execute(QStringLiteral("set client_min_messages = warning"));
    }
}

// Set before the log and the shared-memory file exist: SQLite gives them the database file's
// permissions.
void Database::protectEmbeddedFiles() const
{
    for (const char *suffix : {"", "-wal", "-shm"}) {
        const QString path = m_alias.filePath + QLatin1String(suffix);
        if (QFileInfo::exists(path))
            QFile::setPermissions(path, ownerOnly);
    }
}

void Database::prepareSchema()
{
    const bool existed = schema::exists(*this);
    if (existed)
        schema::createIndexes(*this);
    else if (!inTransaction([this] { schema::create(*this); }))
        throw Error(m_lastFailure);
    if (schema::isCurrent(*this))
        return;
    if (existed)
        backup::saveBeforeMigration(*this);
    if (!inTransaction([this] {
            liftStatementLimit();
            m_openWarning = schema::migrate(*this);
        }))
        throw Error(m_lastFailure);
}

void Database::liftStatementLimit()
{
    if (m_alias.engine == DatabaseAlias::Engine::PostgreSQL)
        execute(QStringLiteral("set local statement_timeout = 0"));
}

bool Database::connectionLost() const
{
    return lostConnection(m_name) || lostConnection(streamingConnectionName());
}

void Database::reopenIfLost()
{
    if (!m_reopenPending && !connectionLost())
        return;
    close();
    try {
        open(m_alias);
    } catch (const Error &) {
        m_reopenPending = true;
        throw;
    }
}

QSqlDatabase Database::streamingConnection()
{
    const QString name = streamingConnectionName();
    if (QSqlDatabase::contains(name) && QSqlDatabase::database(name, false).isOpen())
        return QSqlDatabase::database(name, false);
    QSqlDatabase rows = QSqlDatabase::cloneDatabase(connection(), name);
    if (!rows.open())
        throw Error(rows.lastError().text());
    dialect::registerFunctions(rows, m_alias.engine);
    return rows;
}

void Database::attach(Statement *statement)
{
    m_statements.push_back(statement);
}

void Database::detach(Statement *statement)
{
    std::erase(m_statements, statement);
}

void Database::close()
{
    m_reopenPending = false;
    for (Statement *statement : m_statements)
        statement->close();
    const QString rows = streamingConnectionName();
    if (QSqlDatabase::contains(rows)) {
        QSqlDatabase::database(rows, false).close();
        QSqlDatabase::removeDatabase(rows);
    }
    if (!QSqlDatabase::contains(m_name))
        return;
    {
        QSqlDatabase db = connection();
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

void Database::execute(const QString &sql)
{
    QSqlQuery query(connection());
    const bool done = query.exec(sql);
    stopWaiting();
    if (!done)
        throw Error(query.lastError().text());
}

void Database::beginTransaction()
{
    if (m_alias.engine == DatabaseAlias::Engine::SQLite) {
        execute(QStringLiteral("begin immediate"));
        return;
    }
    QSqlDatabase db = connection();
    if (!db.transaction())
        throw Error(db.lastError().text());
}

void Database::limitWaits()
{
    if (m_alias.engine != DatabaseAlias::Engine::PostgreSQL)
        return;
    if (!std::exchange(m_waiting, true) && m_busyHook)
        m_busyHook(true);
    QSqlQuery limits(connection());
    if (!limits.exec(QStringLiteral("select set_config('lock_timeout', '%1', true), "
                                    "set_config('statement_timeout', '%2', true)")
                         .arg(lockWaitMs)
                         .arg(statementLimitMs)))
        throw Error(limits.lastError().text());
}

void Database::serializeNumbering(const QString &table)
{
    if (m_alias.engine != DatabaseAlias::Engine::PostgreSQL)
        return;
    QSqlQuery lock(connection());
    lock.prepare(QStringLiteral("select pg_advisory_xact_lock(7301, hashtext(:table))"));
    lock.bindValue(QStringLiteral(":table"), table);
    if (!lock.exec())
        throw Error(lock.lastError().text());
}

// SQLite's own busy timeout gives no sign while it waits; this handler waits as long and lets
// the screens show that the program is waiting.
void Database::waitForOtherWriters(QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw Error(QStringLiteral("تعذر تجهيز قاعدة البيانات المدمجة"));
    sqlite3_busy_handler(*static_cast<sqlite3 *const *>(handle.data()), &Database::busyHandler,
                         this);
}

int Database::busyHandler(void *database, int attempts)
{
    auto *self = static_cast<Database *>(database);
    if (attempts == 0) {
        self->m_waited.start();
        if (!self->m_waiting && self->m_busyHook)
            self->m_busyHook(true);
        self->m_waiting = true;
    }
    if (self->m_waited.elapsed() >= busyWaitMs)
        return 0;
    sqlite3_sleep(std::min(2 + attempts * 2, 25));
    return 1;
}

void Database::stopWaiting()
{
    if (!std::exchange(m_waiting, false))
        return;
    if (m_busyHook)
        m_busyHook(false);
}

void Database::commit()
{
    QSqlDatabase db = connection();
    if (!db.commit())
        throw Error(db.lastError().text());
}

void Database::rollback()
{
    connection().rollback();
}

bool Database::inTransaction(const std::function<void()> &work)
{
    m_lastFailure.clear();
    try {
        beginTransaction();
    } catch (const Error &error) {
        m_lastFailure = error.text();
        return false;
    }
    try {
        limitWaits();
        work();
        commit();
        stopWaiting();
        return true;
    } catch (const Error &error) {
        m_lastFailure = error.text();
    } catch (const std::exception &error) {
        m_lastFailure = QString::fromLocal8Bit(error.what());
    }
    rollback();
    stopWaiting();
    return false;
}

} // namespace simat
