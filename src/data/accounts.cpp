#include "accounts.h"

#include "audit_log.h"
#include "core/error.h"
#include "database.h"
#include "dm.h"
#include "statement.h"
#include "statement_texts.h"

#include <QDateTime>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <sodium.h>
#include <thread>
#include <vector>

namespace simat::accounts {

namespace {

HashCost currentCost = standardCost;

const QString noMemoryForHash = QStringLiteral("تعذر حساب بصمة كلمة المرور: لا تكفي ذاكرة الجهاز");

void requireSodium()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw Error(QStringLiteral("تعذر تجهيز مكتبة تشفير كلمات المرور"));
}

// Fills `hashed` and returns true, or returns false when the memory the cost asks is not there.
bool hashInto(const QByteArray &password, const HashCost &cost, QString &hashed)
{
    std::array<char, crypto_pwhash_STRBYTES> text{};
    if (crypto_pwhash_str_alg(text.data(), password.constData(),
                              static_cast<unsigned long long>(password.size()), cost.passes,
                              cost.memory, crypto_pwhash_ALG_ARGON2ID13) != 0)
        return false;
    hashed = QString::fromLatin1(text.data());
    return true;
}

bool isArgon2idOfCurrentCost(const QString &stored)
{
    const QByteArray text = stored.toLatin1();
    return stored.startsWith(QLatin1String(crypto_pwhash_argon2id_STRPREFIX)) &&
           crypto_pwhash_str_needs_rehash(text.constData(), currentCost.passes,
                                          currentCost.memory) == 0;
}

std::array<unsigned char, crypto_generichash_BYTES> digest(const QByteArray &text)
{
    std::array<unsigned char, crypto_generichash_BYTES> digest{};
    crypto_generichash(digest.data(), digest.size(),
                       reinterpret_cast<const unsigned char *>(text.constData()),
                       static_cast<unsigned long long>(text.size()), nullptr, 0);
    return digest;
}

// Compares digests of equal length, so that neither the length nor the first difference of
// the texts shows in the time taken.
bool sameInConstantTime(const QByteArray &one, const QByteArray &other)
{
    return sodium_memcmp(digest(one).data(), digest(other).data(), crypto_generichash_BYTES) == 0;
}

// Hashes on every core; the calling thread reports after each hash of its own, and stops the
// work when the report returns false.
std::vector<QString> hashAll(const std::vector<QByteArray> &passwords,
                             const Database::Progress &progress = {})
{
    requireSodium();
    std::vector<QString> hashes(passwords.size());
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> hashed{0};
    std::atomic<bool> failed{false};
    std::atomic<bool> stopped{false};
    const HashCost cost = currentCost;
    const auto work = [&](bool reporting) {
        for (std::size_t i = next++; i < passwords.size() && !failed && !stopped; i = next++) {
            if (!hashInto(passwords[i], cost, hashes[i]))
                failed = true;
            ++hashed;
            if (reporting && progress && !progress(qint64(hashed), qint64(passwords.size())))
                stopped = true;
        }
    };
    {
        const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
        std::vector<std::jthread> helpers;
        for (std::size_t core = 1; core < std::min(cores, passwords.size()); ++core)
            helpers.emplace_back(work, false);
        work(true);
    }
    if (failed)
        throw Error(noMemoryForHash);
    // The helpers may have hashed every password before the reporting thread took one: Cancel
    // is heard at the end too.
    if (!stopped && progress && !progress(qint64(passwords.size()), qint64(passwords.size())))
        stopped = true;
    if (stopped)
        throw Error(Database::migrationStoppedText());
    return hashes;
}

// The time of the register's clock, in whole milliseconds, as every workstation reads it.
QString registerNow(Database &database)
{
    const QString now = database.engine() == DatabaseAlias::Engine::SQLite
                            ? QStringLiteral("strftime('%Y-%m-%d %H:%M:%f', 'now')")
                            : QStringLiteral("to_char(clock_timestamp() at time zone 'UTC', "
                                             "'YYYY-MM-DD HH24:MI:SS.MS')");
    Statement clock(database, QStringLiteral("RegisterClock"),
                    {QStringLiteral("select ") + now + QStringLiteral(" as now_utc")});
    clock.open();
    return clock.textValue(QStringLiteral("now_utc"));
}

QDateTime fromRegisterClock(const QString &text)
{
    return QDateTime(QDate::fromString(text.left(10), Qt::ISODate),
                     QTime::fromString(text.mid(11), QStringLiteral("HH:mm:ss.zzz")), Qt::UTC);
}

// What a login reads of the account before it checks the password.
struct Stored {
    Account account;
    bool active = false;
    QString password;
    int failures = 0;
    QString lastFailure;
};

Stored readAccount(Statement &user)
{
    Stored stored;
    stored.account = {
        user.intValue(QStringLiteral("user_code")), user.textValue(QStringLiteral("a_name")),
        user.textValue(QStringLiteral("l_name")), user.intValue(QStringLiteral("user_level"))};
    const QVariant state = user.value(QStringLiteral("is_active"));
    bool number = false;
    stored.active = !state.isNull() && state.toInt(&number) == 1 && number;
    stored.password = user.textValue(QStringLiteral("user_password"));
    stored.failures = user.value(QStringLiteral("failed_logins")).toInt();
    stored.lastFailure = user.textValue(QStringLiteral("last_failed_login"));
    return stored;
}

int secondsLeft(Database &database, const Stored &stored)
{
    const int wait = waitSeconds(stored.failures);
    if (wait == 0)
        return 0;
    const QDateTime last = fromRegisterClock(stored.lastFailure);
    if (!last.isValid())
        return 0;
    const qint64 passed =
        std::max<qint64>(0, last.msecsTo(fromRegisterClock(registerNow(database))));
    const qint64 left = wait * qint64(1000) - passed;
    return left <= 0 ? 0 : int((left + 999) / 1000);
}

void runInTransaction(Database &database, const std::function<void()> &work)
{
    if (!database.inTransaction(work))
        throw Error(database.lastFailure());
}

// A register that can only be read keeps no count.
void countFailure(Database &database, int code)
{
    if (database.isReadOnly())
        return;
    const QString now = registerNow(database);
    runInTransaction(database, [&] {
        Statement failure(
            database, QStringLiteral("CountFailedLogin"),
            {QStringLiteral("update users set failed_logins = coalesce(failed_logins, 0) + 1,"),
             QStringLiteral("last_failed_login = :last_failed_login"),
             QStringLiteral("where user_code = :user_code")});
        failure.declare(QStringLiteral("last_failed_login"), ParamType::Text);
        failure.declare(QStringLiteral("user_code"), ParamType::Integer);
        failure.setParam(QStringLiteral("last_failed_login"), now);
        failure.setParam(QStringLiteral("user_code"), code);
        failure.exec();
    });
}

void clearFailures(Database &database, int code)
{
    Statement clear(database, QStringLiteral("ClearFailedLogins"),
                    {QStringLiteral("update users set failed_logins = 0, last_failed_login = null"),
                     QStringLiteral("where user_code = :user_code")});
    clear.declare(QStringLiteral("user_code"), ParamType::Integer);
    clear.setParam(QStringLiteral("user_code"), code);
    clear.exec();
}

// Writes a stored password by its code; returns the number of accounts it reached.
int writePassword(Database &database, int code, const QString &stored)
{
    Statement update(database, QStringLiteral("SetUserPassword"),
                     {QStringLiteral("update users set user_password = :user_password"),
                      QStringLiteral("where user_code = :user_code")});
    update.declare(QStringLiteral("user_password"), ParamType::Secret);
    update.declare(QStringLiteral("user_code"), ParamType::Integer);
    update.setParam(QStringLiteral("user_password"), stored);
    update.setParam(QStringLiteral("user_code"), code);
    return update.exec();
}

void rememberGoodLogin(Database &database, const Stored &stored, const QString &typed)
{
    const bool rehash = !isArgon2idOfCurrentCost(stored.password);
    if ((stored.failures == 0 && !rehash) || database.isReadOnly())
        return;
    const QString hashed = rehash ? hash(typed) : QString();
    runInTransaction(database, [&] {
        if (stored.failures != 0)
            clearFailures(database, stored.account.code);
        if (rehash)
            writePassword(database, stored.account.code, hashed);
    });
}

} // namespace

bool isAcceptable(const QString &password)
{
    return password.size() >= shortestPassword && password.size() <= longestPassword;
}

HashCost hashCost()
{
    return currentCost;
}

void useHashCost(const HashCost &cost)
{
    currentCost = cost;
}

QString hash(const QString &password)
{
    requireSodium();
    QString hashed;
    if (!hashInto(password.toUtf8(), currentCost, hashed))
        throw Error(noMemoryForHash);
    return hashed;
}

bool isHash(const QString &stored)
{
    return stored.startsWith(QLatin1String(crypto_pwhash_argon2id_STRPREFIX)) ||
           stored.startsWith(QLatin1String(crypto_pwhash_argon2i_STRPREFIX));
}

QString withoutHashes(const QString &text)
{
    static const QRegularExpression hashes(QStringLiteral("\\$argon2id?\\$[^\\s,)'\"]*"));
    return QString(text).replace(hashes, QStringLiteral("****"));
}

bool matches(const QString &stored, const QString &typed)
{
    requireSodium();
    const QByteArray password = typed.toUtf8();
    if (!isHash(stored))
        return sameInConstantTime(stored.toUtf8(), password);
    const QByteArray text = stored.toLatin1();
    return crypto_pwhash_str_verify(text.constData(), password.constData(),
                                    static_cast<unsigned long long>(password.size())) == 0;
}

int waitSeconds(int failures)
{
    const int beyond = failures - failuresBeforeWaiting;
    if (beyond < 0)
        return 0;
    return beyond >= 5 ? longestWaitSeconds : std::min(1 << beyond, longestWaitSeconds);
}

namespace {

LoginResult logInThrough(Database &database, Statement &user, int code, const QString &password)
{
    user.setParam(QStringLiteral("code"), code);
    user.open();
    const bool found = !user.isEmpty();
    const Stored stored = found ? readAccount(user) : Stored();
    user.close();
    LoginResult result;
    // An unknown code has no account to guess into, so nothing counts against it.
    if (!found)
        return result;
    if (const int left = secondsLeft(database, stored); left > 0) {
        result.outcome = LoginResult::Outcome::Waiting;
        result.secondsLeft = left;
        return result;
    }
    if (!stored.active || !matches(stored.password, password)) {
        countFailure(database, code);
        return result;
    }
    rememberGoodLogin(database, stored, password);
    result.outcome = LoginResult::Outcome::Accepted;
    result.account = stored.account;
    // A register that can only be read cannot take the new password.
    result.mustChangePassword = password == installationPassword && !database.isReadOnly();
    return result;
}

} // namespace

LoginResult logIn(TDataModule1 &dm, int code, const QString &password)
{
    return logInThrough(dm.Database1, *dm.FindUserQuery, code, password);
}

LoginResult logIn(Database &database, int code, const QString &password)
{
    Statement user(database, QStringLiteral("FindUserQuery"), texts::findUser());
    user.declare(QStringLiteral("code"), ParamType::Integer);
    return logInThrough(database, user, code, password);
}

namespace {

void storeHashOf(Database &database, int code, const QString &password)
{
    if (writePassword(database, code, hash(password)) != 1)
        throw Error(QStringLiteral("الحساب غير موجود"));
}

} // namespace

void setPassword(Database &database, int code, const QString &password)
{
    audit::RecordChange change(database, QStringLiteral("users"),
                               {{QStringLiteral("user_code"), code}});
    storeHashOf(database, code, password);
    change.log();
}

void storeInstallationPassword(Database &database, int code, const QString &password)
{
    storeHashOf(database, code, password);
}

QString passwordToStore(Database &database, int code, const QString &typed)
{
    if (!typed.isEmpty())
        return hash(typed);
    Statement stored(database, QStringLiteral("StoredUserPassword"),
                     {QStringLiteral("select user_password from users"),
                      QStringLiteral("where user_code = :user_code")});
    stored.declare(QStringLiteral("user_code"), ParamType::Integer);
    stored.setParam(QStringLiteral("user_code"), code);
    stored.open();
    if (stored.isEmpty())
        throw Error(QStringLiteral("الحساب غير موجود"));
    const QString kept = stored.textValue(QStringLiteral("user_password"));
    return isHash(kept) ? kept : hash(kept);
}

void hashStoredPasswords(Database &database)
{
    Statement stored(database, QStringLiteral("StoredUserPasswords"),
                     {QStringLiteral("select user_code, user_password from users")});
    std::vector<int> codes;
    std::vector<QByteArray> passwords;
    for (stored.open(); !stored.atEnd(); stored.next()) {
        const QString password = stored.textValue(QStringLiteral("user_password"));
        if (isHash(password))
            continue;
        codes.push_back(stored.intValue(QStringLiteral("user_code")));
        passwords.push_back(password.toUtf8());
    }
    stored.close();
    const std::vector<QString> hashes = hashAll(passwords, database.migrationProgress());
    for (std::size_t i = 0; i < codes.size(); ++i)
        writePassword(database, codes[i], hashes[i]);
}

} // namespace simat::accounts
