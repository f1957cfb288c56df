#pragma once

#include <QString>
#include <cstddef>

namespace simat {
class Database;
class TDataModule1;
} // namespace simat

// The passwords of the user accounts. A password is stored only as its Argon2id hash, with a
// salt of its own (libsodium's crypto_pwhash_str), and is verified here, never inside a
// statement. A stored value that is not such a hash (written by an earlier version or by
// another tool) is compared as it stands, in constant time, and replaced by its hash at the
// next login.
namespace simat::accounts {

// What a new password may be, on every screen that takes one.
inline constexpr int shortestPassword = 4;
inline constexpr int longestPassword = 128;
bool isAcceptable(const QString &password);
inline const QString lengthRule = QStringLiteral("لا بد أن تكون كلمة المرور من 4 إلى 128 حرفاً");

// The password of a new register's administrator; whoever logs in with it chooses another
// before going on.
inline const QString installationPassword = QStringLiteral("12345");

// The work of one hash: the passes over the memory, and the memory in bytes.
struct HashCost {
    unsigned long long passes;
    std::size_t memory;
    friend bool operator==(const HashCost &, const HashCost &) = default;
};
// Five passes over 64 MiB, two more than the second setting RFC 9106 recommends: about 0.12 s
// on the centre's two-core workstations (three passes took 0.07 s), so that a login stays quick
// while each guess of a stolen register costs as much. A stored hash of another cost is made
// anew at the next login.
inline constexpr HashCost standardCost{5, std::size_t(64) << 20};
// The cost of the hashes made from now on; the standard cost unless told otherwise.
HashCost hashCost();
void useHashCost(const HashCost &cost);

QString hash(const QString &password);
bool isHash(const QString &stored);
// The text with every hash in it replaced by "****": an engine's reason for a refused write may
// quote the row it refused.
QString withoutHashes(const QString &text);
// Whether a typed password is the one stored (a hash, or a value that is not one yet).
bool matches(const QString &stored, const QString &typed);

// After this many wrong passwords in a row, each further login of the account waits.
inline constexpr int failuresBeforeWaiting = 5;
inline constexpr int longestWaitSeconds = 30;
// The wait after so many wrong passwords in a row: 1 s after the fifth, doubling each time.
int waitSeconds(int failures);

// The account that a login accepted.
struct Account {
    int code = 0;
    QString arabicName;
    QString latinName;
    int level = 0;
};

struct LoginResult {
    enum class Outcome { Accepted, Refused, Waiting };
    Outcome outcome = Outcome::Refused;
    Account account;
    // Accepted with the installation password, which must now be replaced (where the register
    // can take a new one).
    bool mustChangePassword = false;
    // How much longer a Waiting attempt must wait.
    int secondsLeft = 0;
};

// Checks a login through FindUserQuery: only an active account (is_active 1) with its own
// password is accepted. A wrong password counts against the account in the register, where
// every workstation sees it; an accepted one clears the count and stores the hash of a
// password that was not stored as one. While the account waits nothing is checked.
LoginResult logIn(TDataModule1 &dm, int code, const QString &password);
// The same check on a connection of its own, through a statement of FindUserQuery's text.
LoginResult logIn(Database &database, int code, const QString &password);

// Replaces the password of an account by the hash of a new one, in the caller's transaction.
void setPassword(Database &database, int code, const QString &password);
// Stores the hash of the password, with no line in the audit log: for the account that the
// installation writes.
void storeInstallationPassword(Database &database, int code, const QString &password);

// What a save of the accounts screen stores as the account's password: the hash of the typed
// one; with none typed, the stored one, as its hash if it was not one yet.
QString passwordToStore(Database &database, int code, const QString &typed);

// Replaces every stored password that is not a hash by its hash, in the caller's transaction,
// hashing on every core: a register of an earlier version may hold many accounts.
void hashStoredPasswords(Database &database);

} // namespace simat::accounts
