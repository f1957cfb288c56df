#include "database.h"

#include "backup.h"
#include "core/bidi.h"
#include "core/error.h"
#include "dialect.h"
#include "libpq.h"
#include "schema.h"
#include "statement.h"
#include "watched_reads.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <algorithm>
#include <initializer_list>
#include <sqlite3.h>

namespace simat {

namespace {

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions ownerOnlyFolder = ownerOnly | QFileDevice::ExeOwner;

// A folder the program makes for its database is its owner's alone, and so is the folder of
// the embedded database in the user's data folder, made by an earlier version.
void ensureFolderOf(const QString &filePath)
{
    const QFileInfo info(filePath);
    const QString folder = info.dir().absolutePath();
    const bool made = !info.dir().exists();
    if (made && !QDir().mkpath(folder))
        throw Error(QStringLiteral("تعذر إنشاء المجلد %1").arg(isolated(folder)));
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

// The Arabic words for a column of the register, or for the name of one of its indexes, where
// a person typed or chose its value; empty for another name.
QString fieldWords(const QString &name)
{
    static const std::pair<const char *, const char *> fields[] = {
        {"stud_code", "كود الحالة"},
        {"stud_name", "اسم الحالة"},
        {"stud_birth_date", "تاريخ الميلاد"},
        {"stud_birth_haj_date", "تاريخ الميلاد الهجرى"},
        {"stud_birth_country", "مكان الميلاد"},
        {"stud_nationality", "الجنسية"},
        {"stud_gender", "الجنس"},
        {"stud_id_type", "نوع الهوية"},
        {"stud_id_no", "رقم الإقامة / الهوية"},
        {"stud_id_date", "تاريخ الهوية"},
        {"stud_id_source", "جهة الإصدار"},
        {"stud_edu_phase", "المرحلة الدراسية"},
        {"stud_edu_class_level", "الصف الدراسى"},
        {"stud_file_no", "رقم ملف الطالب"},
        {"stud_house_type", "نوع السكن"},
        {"stud_house_ownership", "ملكية السكن"},
        {"stud_neighborhood", "الحى"},
        {"stud_city", "المدينة"},
        {"stud_district", "المنطقة الإدارية"},
        {"stud_main_street", "العنوان"},
        {"stud_sub_street", "الشارع الفرعى"},
        {"stud_house_no", "رقم المنزل"},
        {"stud_postal_code", "الرمز البريدى"},
        {"stud_postal_no", "صندوق البريد"},
        {"stud_guard_name", "اسم ولى الأمر"},
        {"stud_guard_nationality", "جنسية ولى الأمر"},
        {"stud_guard_kinship_degree", "صلة قرابة ولى الأمر"},
        {"stud_guard_id_type", "نوع هوية ولى الأمر"},
        {"stud_guard_id_no", "رقم هوية ولى الأمر"},
        {"stud_guard_id_date", "تاريخ هوية ولى الأمر"},
        {"stud_guard_id_source", "جهة إصدار هوية ولى الأمر"},
        {"stud_guard_job", "وظيفة ولى الأمر"},
        {"stud_guard_work_place", "جهة عمل ولى الأمر"},
        {"stud_guard_home_phone_no", "رقم هاتف المنزل"},
        {"stud_guard_mobile_no", "رقم الجوال"},
        {"stud_guard_work_phone_no", "رقم هاتف العمل"},
        {"stud_guard_email", "البريد الالكتروني"},
        {"stud_kinship_1_name", "اسم قريب الطالب (1)"},
        {"stud_kinship_1_kinship_degree", "صلة قرابة قريب الطالب (1)"},
        {"stud_kinship_1_phone_no", "رقم هاتف قريب الطالب (1)"},
        {"stud_kinship_2_name", "اسم قريب الطالب (2)"},
        {"stud_kinship_2_kinship_degree", "صلة قرابة قريب الطالب (2)"},
        {"stud_kinship_2_phone_no", "رقم هاتف قريب الطالب (2)"},
        {"test_no", "رقم الاختبار"},
        {"test_hdr_number_of_year", "رقم الاختبار"},
        {"test_date", "تاريخ الاختبار"},
        {"test_haj_date", "تاريخ الاختبار الهجرى"},
        {"tester_id", "الفاحص"},
        {"info_source_id", "مصدر المعلومات"},
        {"school_name", "اسم المدرسة"},
        {"notes", "الملاحظات"},
        {"ques_ans_val", "الإجابة"},
        {"ques_mark", "الدرجة"},
        {"user_code", "كود المستخدم"},
        {"a_name", "الاسم العربى"},
        {"l_name", "الاسم اللاتينى"},
        {"user_password", "كلمة المرور"},
        {"user_level", "مجموعة الصلاحيات"},
    };
    for (const auto &[column, words] : fields)
        if (name == QLatin1String(column))
            return QString::fromUtf8(words);
    // The code and the description of a lookup table's row, as its screen calls them.
    if (name.endsWith(QLatin1String("_id")) || name.endsWith(QLatin1String("_pkey")) ||
        name == QLatin1String("id_type"))
        return QStringLiteral("الكود");
    if (name.endsWith(QLatin1String("_name")))
        return QStringLiteral("الوصف");
    return {};
}

// The field whose value the register refused, as the engine names it: its column (SQLite's
// "table.column", PostgreSQL's column "..." or Key (...)), else its index or constraint; in
// Arabic words where the program knows it, else the name as the engine gave it.
QString refusedField(const QString &engineReason)
{
    static const QRegularExpression columns(
        QStringLiteral(R"re((?:constraint failed: |, )\w+\.(\w+)|column "(\w+)"|Key \((\w+))re"));
    static const QRegularExpression constraints(QStringLiteral(
        R"re(index '(\w+)'|constraint "(\w+)"|constraint failed: (\w+)\b(?![.(]))re"));
    QStringList names;
    for (const QRegularExpression *pattern : {&columns, &constraints})
        for (auto match = pattern->globalMatch(engineReason); match.hasNext();) {
            const QRegularExpressionMatch found = match.next();
            for (int group = 1; group <= found.lastCapturedIndex(); ++group)
                if (!found.captured(group).isEmpty())
                    names << found.captured(group);
        }
    for (const QString &name : names)
        if (const QString words = fieldWords(name); !words.isEmpty())
            return words;
    return names.isEmpty() ? QString() : isolated(names.first());
}

bool mentionsAny(const QString &engineReason, std::initializer_list<const char *> phrases)
{
    return std::any_of(phrases.begin(), phrases.end(), [&](const char *phrase) {
        return engineReason.contains(QLatin1String(phrase), Qt::CaseInsensitive);
    });
}

// Why the register refused a value, naming the field where the engine does.
QString refusedValue(const QString &engineReason)
{
    const QString field = refusedField(engineReason);
    const bool unique = mentionsAny(
        engineReason, {"UNIQUE constraint", "unique constraint", "PRIMARY KEY", "(23505)"});
    const bool empty = mentionsAny(engineReason, {"NOT NULL constraint", "not-null", "(23502)"});
    const bool linked = mentionsAny(engineReason, {"FOREIGN KEY", "foreign key", "(23503)"});
    if (field.isEmpty())
        return linked ? QStringLiteral("قاعدة البيانات ترفض هذا لارتباطه ببيانات أخرى، فلم يتغير "
                                       "شيء - راجع البيانات المرتبطة ثم حاول مرة أخرى")
                      : QStringLiteral("قاعدة البيانات لا تقبل إحدى القيم المدخلة، فلم يتغير شيء "
                                       "- صحح البيانات ثم احفظ مرة أخرى");
    if (unique)
        return QStringLiteral("القيمة المدخلة في \"%1\" موجودة من قبل في قاعدة البيانات، فلم "
                              "يتغير شيء - غيّرها ثم احفظ مرة أخرى")
            .arg(field);
    if (empty)
        return QStringLiteral("قاعدة البيانات لا تقبل أن يبقى \"%1\" فارغاً، فلم يتغير شيء - "
                              "أدخله ثم احفظ مرة أخرى")
            .arg(field);
    if (linked)
        return QStringLiteral("قاعدة البيانات ترفض هذا لأن \"%1\" مرتبط ببيانات أخرى، فلم يتغير "
                              "شيء - راجع البيانات المرتبطة ثم حاول مرة أخرى")
            .arg(field);
    return QStringLiteral("قاعدة البيانات لا تقبل القيمة المدخلة في \"%1\"، فلم يتغير شيء - "
                          "صححها ثم احفظ مرة أخرى")
        .arg(field);
}

} // namespace

QString failureExplanation(const QString &engineReason)
{
    // The engine's words, and PostgreSQL's codes of the same reasons (SQLSTATE), which stay
    // when the server speaks another language.
    struct Reason {
        std::initializer_list<const char *> phrases;
        const char *explanation;
    };
    static const char *const lostServer = "انقطع الاتصال بخادم قاعدة البيانات، فلم يتغير شيء - "
                                          "سيُفتح الاتصال من جديد، حاول مرة أخرى";
    static const Reason reasons[] = {
        {{"database or disk is full", "No space left on device", "(53100)"},
         "لا توجد مساحة خالية على القرص الذي يحمل قاعدة البيانات، فلم يتغير شيء - أفرغ مساحة "
         "على القرص ثم حاول مرة أخرى"},
        {{"readonly database"},
         "ملف قاعدة البيانات أو المجلد الذي يحمله للقراءة فقط، فلم يتغير شيء - اطلب من مسؤول "
         "الجهاز إذن الكتابة فيهما ثم حاول مرة أخرى"},
        {{"read-only transaction", "recovery is in progress", "(25006)"},
         "خادم قاعدة البيانات يقبل القراءة فقط الآن، فلم يتغير شيء - اطلب من مسؤول الخادم "
         "السماح بالتعديل ثم حاول مرة أخرى"},
        {{"lock timeout", "(55P03)"},
         "حاسب آخر يعدل البيانات نفسها الآن، فلم يتغير شيء - حاول مرة أخرى بعد قليل"},
        {{"database is locked"},
         "برنامج آخر أو حاسب آخر يكتب في قاعدة البيانات الآن، فلم يتغير شيء - حاول مرة أخرى بعد "
         "قليل"},
        {{"statement timeout"},
         "استغرقت العملية وقتاً أطول من المسموح فأُلغيت، ولم يتغير شيء - حاول مرة أخرى"},
        {{"server closed the connection", "terminating connection", "no connection to the server",
          "(57P01)"},
         lostServer},
        {{"Connection refused", "could not connect to server", "timeout expired",
          "server is not running"},
         "تعذر الوصول إلى خادم قاعدة البيانات - سيُفتح الاتصال من جديد، حاول مرة أخرى بعد قليل"},
    };
    for (const Reason &reason : reasons)
        if (mentionsAny(engineReason, reason.phrases))
            return QString::fromUtf8(reason.explanation);
    if (mentionsAny(engineReason, {"constraint", "datatype mismatch", "value too long",
                                   "invalid input syntax", "out of range", "(23", "(22"}))
        return refusedValue(engineReason);
    return {};
}

namespace {

// That the register could not be opened, and where it is.
QString openFailure(const DatabaseAlias &alias)
{
    QString where = QDir::toNativeSeparators(alias.filePath);
    if (alias.engine == DatabaseAlias::Engine::PostgreSQL) {
        where = QStringLiteral("%1:%2/%3")
                    .arg(alias.host)
                    .arg(alias.port < 0 ? QString() : QString::number(alias.port))
                    .arg(alias.databaseName);
        if (!alias.connectOptions.isEmpty())
            where += QLatin1Char(' ') + alias.connectOptions;
    }
    return QStringLiteral("تعذر فتح قاعدة البيانات (%1)").arg(isolated(withoutPasswords(where)));
}

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw Error(QStringLiteral("تعذر تجهيز قاعدة البيانات المدمجة"));
    return *static_cast<sqlite3 *const *>(handle.data());
}

// Whether the file of an embedded register, and its folder, where SQLite keeps the log and the
// shared-memory file beside it, take writing.
bool embeddedPlaceWritable(const QString &filePath)
{
    const QFileInfo file(filePath);
    return (!file.exists() || file.isWritable()) && QFileInfo(file.absolutePath()).isWritable();
}

// Opens an embedded register that can only be read. SQLite reads a register in WAL mode
// through its log and shared-memory file; where they are not there and the folder cannot take
// them, no program is writing the file, and it is opened as one that does not change.
bool openReadOnlyEmbedded(QSqlDatabase &db, const QString &filePath)
{
    db.setDatabaseName(filePath);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (db.open() && QSqlQuery(db).exec(QStringLiteral("select count(*) from sqlite_master")))
        return true;
    db.close();
    QUrl unchanging = QUrl::fromLocalFile(filePath);
    unchanging.setQuery(QStringLiteral("immutable=1"));
    db.setDatabaseName(unchanging.toString(QUrl::FullyEncoded));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
    return db.open();
}

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
                .arg(isolated(QDir::toNativeSeparators(folder.absoluteFilePath()))),
            QStringLiteral("%1: not a writable folder").arg(folder.absoluteFilePath())};
}

ConnectionTrial tryRead(QSqlDatabase &db, const QString &read)
{
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
        if (!openReadOnlyEmbedded(db, alias.filePath))
            return failedTrial(db.lastError().text());
        return tryRead(db, QStringLiteral("select count(*) from sqlite_master"));
    }
    setServer(db, alias);
    if (!db.open())
        return failedTrial(db.lastError().text());
    return tryRead(db, QStringLiteral("select 1"));
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
        if (error.engineReason().isEmpty())
            throw Error(openFailure(m_alias) + QLatin1Char('\n') + withoutPasswords(error.text()));
        // The engine's words are for the details; the box says why in Arabic.
        const QString reason = withoutPasswords(error.engineReason().trimmed());
        QString text = openFailure(m_alias);
        if (failureExplanation(reason).isEmpty())
            text += QLatin1Char('\n') + arabicReason(reason);
        throw Error(text, reason);
    }
}

void Database::openConnection()
{
    const bool sqlite = m_alias.engine == DatabaseAlias::Engine::SQLite;
    forgetPrepared();
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
    QSqlDatabase db = QSqlDatabase::addDatabase(
        sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), m_name);
    bool opened = false;
    if (sqlite) {
        ensureFolderOf(m_alias.filePath);
        if (embeddedPlaceWritable(m_alias.filePath)) {
            db.setDatabaseName(m_alias.filePath);
            opened = db.open();
        } else {
            opened = openReadOnlyEmbedded(db, m_alias.filePath);
        }
    } else {
        setServer(db, m_alias);
        opened = db.open();
    }
    if (!opened)
        throw Error(db.lastError().text(), db.lastError().text());
    dialect::registerFunctions(db, m_alias.engine);
    if (sqlite)
        waitForOtherWriters(db);
    else
        execute(QStringLiteral("set client_min_messages = warning"));
    m_readOnly = takesNoChanges();
    if (sqlite && !m_readOnly) {
        protectEmbeddedFiles();
        // A save reported done is on the disk: the log is synced at every commit.
        execute(QStringLiteral("pragma journal_mode = wal"));
        execute(QStringLiteral("pragma synchronous = full"));
    }
}

// SQLite opened the file read-only, or its file or folder takes no writing; PostgreSQL's
// session is read-only, or the server is a standby that follows another.
bool Database::takesNoChanges()
{
    if (m_alias.engine == DatabaseAlias::Engine::SQLite)
        return !embeddedPlaceWritable(m_alias.filePath) ||
               sqlite3_db_readonly(sqliteHandle(connection()), "main") == 1;
    QSqlQuery readOnly(connection());
    if (!readOnly.exec(QStringLiteral(
            "select current_setting('transaction_read_only') = 'on' or "
            "current_setting('default_transaction_read_only') = 'on' or pg_is_in_recovery()")) ||
        !readOnly.next())
        throw Error(readOnly.lastError().text(), readOnly.lastError().text());
    return readOnly.value(0).toBool();
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
    if (m_readOnly) {
        if (!existed || !schema::isCurrent(*this))
            throw Error(QStringLiteral(
                "قاعدة البيانات للقراءة فقط، فلا يمكن تجهيزها لهذا الإصدار من البرنامج"));
        return;
    }
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

QString Database::migrationStoppedText()
{
    return QStringLiteral("أُلغي تحديث قاعدة البيانات، ولم يتغير فيها شيء");
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
    std::vector<Statement *> shown = std::exchange(m_openBeforeLoss, {});
    if (!m_reopenPending)
        for (Statement *statement : m_statements)
            if (statement->isOpen())
                shown.push_back(statement);
    close();
    try {
        open(m_alias);
    } catch (const Error &error) {
        m_reopenPending = true;
        m_openBeforeLoss = std::move(shown);
        throw Error(QStringLiteral("لم يتم تنفيذ العملية، فالاتصال بقاعدة البيانات مقطوع"),
                    error.engineReason().isEmpty() ? error.text() : error.engineReason());
    }
    // The rows the screens showed before the connection was lost show again.
    for (Statement *statement : shown)
        statement->open();
}

QSqlDatabase Database::streamingConnection()
{
    const QString name = streamingConnectionName();
    if (QSqlDatabase::contains(name) && QSqlDatabase::database(name, false).isOpen()) {
        QSqlDatabase open = QSqlDatabase::database(name, false);
        if (m_readWatch)
            m_readWatch->watch(open);
        return open;
    }
    QSqlDatabase rows = QSqlDatabase::cloneDatabase(connection(), name);
    if (!rows.open())
        throw Error(rows.lastError().text());
    dialect::registerFunctions(rows, m_alias.engine);
    // The joins of a search are taken in their written order: searching for a better one
    // would cost more than reading a page of rows.
    if (m_alias.engine == DatabaseAlias::Engine::PostgreSQL)
        QSqlQuery(rows).exec(QStringLiteral("set join_collapse_limit = 1"));
    if (m_readWatch)
        m_readWatch->watch(rows);
    return rows;
}

bool Database::readUnderWay() const
{
    return m_readWatch && m_readWatch->telling();
}

void Database::readFailed(const QString &engineText) const
{
    if (m_readWatch && m_readWatch->stopped())
        throw Stopped();
    throw Error(engineText);
}

void Database::attach(Statement *statement)
{
    m_statements.push_back(statement);
}

void Database::detach(Statement *statement)
{
    std::erase(m_statements, statement);
    std::erase(m_openBeforeLoss, statement);
}

void Database::close()
{
    m_reopenPending = false;
    m_readOnly = false;
    m_openBeforeLoss.clear();
    for (Statement *statement : m_statements)
        statement->close();
    forgetPrepared();
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

// The queries prepared on a connection go before it does.
void Database::forgetPrepared()
{
    m_prepared.clear();
    for (Statement *statement : m_statements)
        statement->forgetPrepared();
}

QSqlQuery &Database::prepared(const QString &text)
{
    auto kept = m_prepared.find(text);
    if (kept == m_prepared.end()) {
        QSqlQuery query(connection());
        query.setForwardOnly(true);
        if (!query.prepare(text))
            throw Error(query.lastError().text());
        kept = m_prepared.emplace(text, std::move(query));
    }
    return kept.value();
}

void Database::execute(const QString &sql)
{
    QSqlQuery query(connection());
    const bool done = query.exec(sql);
    stopWaiting();
    if (!done)
        throw Error(query.lastError().text(), query.lastError().text());
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
    sqlite3_busy_handler(sqliteHandle(db), &Database::busyHandler, this);
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
