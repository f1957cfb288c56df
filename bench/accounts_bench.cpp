// What passwords cost: one login through the login screen, its password verified against a hash
// of the standard cost, beside libsodium's bare verify call of the same hash (the baseline);
// and the first open of a register of the previous version with 100 or 10 000 accounts, which
// backs it up and replaces every stored password by its hash, beside the bare hash of one
// password. All on SQLite, measured in the same run.
//   bench/accounts_bench --benchmark_filter=Login    (the migration of 10 000 takes minutes)
#include "app/application.h"
#include "app/startup.h"
#include "data/accounts.h"
#include "data/backup.h"
#include "data/dm.h"
#include "ui/screens.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>
#include <sodium.h>

using namespace simat;

namespace {

QTemporaryDir *folder = nullptr;
const QString password = QStringLiteral("bench-password-1");
double bareVerifyMilliseconds = 0;
double bareHashMilliseconds = 0;

Database &database()
{
    return TDataModule1::instance()->Database1;
}

// Opens the register as a login would: the alias VUM names it.
void openRegister(const QString &fileName)
{
    qputenv("SIMAT_ALIAS_VUM", "sqlite:" + folder->filePath(fileName).toUtf8());
    database().close();
    TDataModule1::instance()->openDatabase();
}

void run(const QString &sql)
{
    database().execute(sql);
}

// Times `measured` alone in each iteration, after `prepare`; returns the mean in milliseconds.
double timed(benchmark::State &state, const std::function<void()> &prepare,
             const std::function<void()> &measured)
{
    double seconds = 0;
    for (auto _ : state) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        measured();
        const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(taken.count());
        seconds += taken.count();
    }
    return seconds * 1000 / double(state.iterations());
}

void BM_BaselineBareVerify(benchmark::State &state)
{
    const QByteArray hash = accounts::hash(password).toLatin1();
    const QByteArray typed = password.toUtf8();
    bareVerifyMilliseconds = timed(
        state, [] {},
        [&] {
            if (crypto_pwhash_str_verify(hash.constData(), typed.constData(),
                                         static_cast<unsigned long long>(typed.size())) != 0)
                state.SkipWithError("the hash does not verify");
        });
}

void BM_Login(benchmark::State &state)
{
    openRegister(QStringLiteral("login.db"));
    database().inTransaction([] { accounts::setPassword(database(), 1, password); });
    QWidget *login = screens::find(QStringLiteral("LoginForm"));
    QWidget *menu = screens::find(QStringLiteral("MainForm"));
    const double milliseconds = timed(
        state,
        [&] {
            menu->hide();
            screens::show(QStringLiteral("LoginForm"));
            login->findChild<QLineEdit *>(QStringLiteral("Euser_code"))->setText("1");
            login->findChild<QLineEdit *>(QStringLiteral("Epassword"))->setText(password);
        },
        [&] { login->findChild<QAbstractButton *>(QStringLiteral("spLogin"))->click(); });
    if (!menu->isVisible())
        state.SkipWithError("the login did not open the main menu");
    state.counters["x_bare_verify"] = milliseconds / bareVerifyMilliseconds;
    menu->hide();
}

void BM_BaselineBareHash(benchmark::State &state)
{
    const QByteArray typed = password.toUtf8();
    bareHashMilliseconds = timed(
        state, [] {},
        [&] {
            char hash[crypto_pwhash_STRBYTES];
            if (crypto_pwhash_str(
                    hash, typed.constData(), static_cast<unsigned long long>(typed.size()),
                    accounts::standardCost.passes, accounts::standardCost.memory) != 0)
                state.SkipWithError("no memory for the hash");
        });
}

// A register as the previous version left it: every password as typed, no count of failed
// logins, schema version 1.
QString oldRegister(int accounts)
{
    const QString name = QStringLiteral("old-%1.db").arg(accounts);
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(folder->filePath(name) + QLatin1String(suffix));
    openRegister(name);
    database().inTransaction([accounts] {
        QSqlQuery insert(database().connection());
        insert.prepare(QStringLiteral("insert into users (user_code, a_name, user_password, "
                                      "user_level, is_active) values (?, ?, ?, 2, 1)"));
        for (int code = 2; code <= accounts; ++code) {
            insert.addBindValue(code);
            insert.addBindValue(QStringLiteral("حساب %1").arg(code));
            insert.addBindValue(QStringLiteral("pw-%1").arg(code));
            if (!insert.exec())
                qFatal("%s", qPrintable(insert.lastError().text()));
        }
    });
    run(QStringLiteral("update users set user_password = '12345' where user_code = 1"));
    run(QStringLiteral("alter table users drop column failed_logins"));
    run(QStringLiteral("alter table users drop column last_failed_login"));
    run(QStringLiteral("update schema_version set version = 1"));
    database().close();
    return folder->filePath(name);
}

void BM_MigrateOldRegister(benchmark::State &state)
{
    const int accounts = int(state.range(0));
    const QString old = oldRegister(accounts);
    const QString migrating = folder->filePath(QStringLiteral("migrating.db"));
    const double milliseconds = timed(
        state,
        [&] {
            database().close();
            for (const char *suffix : {"", "-wal", "-shm"})
                QFile::remove(migrating + QLatin1String(suffix));
            QFile::copy(old, migrating);
            QDir(backup::automaticFolder()).removeRecursively();
        },
        [&] { openRegister(QStringLiteral("migrating.db")); });
    QSqlQuery plain(database().connection());
    plain.exec(QStringLiteral("select count(*) from users where user_password not like "
                              "'$argon2id$%'"));
    if (!plain.next() || plain.value(0).toInt() != 0)
        state.SkipWithError("a password was left as typed");
    state.counters["accounts"] = accounts;
    state.counters["ms_per_account"] = milliseconds / accounts;
    state.counters["x_bare_hash"] = milliseconds / accounts / bareHashMilliseconds;
    database().close();
}

} // namespace

BENCHMARK(BM_BaselineBareVerify)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_Login)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_BaselineBareHash)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_MigrateOldRegister)
    ->Arg(100)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir temporary;
    folder = &temporary;
    // The backups taken before each migration go to the temporary folder too.
    qputenv("XDG_DATA_HOME", temporary.path().toUtf8());
    SimatApplication application(argc, argv);
    app::createScreens();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    database().close();
    app::destroyScreens();
    return 0;
}
