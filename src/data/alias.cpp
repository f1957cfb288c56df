#include "alias.h"

#include "core/bidi.h"
#include "core/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>
#include <QUrlQuery>
#include <algorithm>

namespace simat {

namespace {

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

bool definesVum(const QString &trimmedLine)
{
    const qsizetype eq = trimmedLine.indexOf(QLatin1Char('='));
    return !trimmedLine.startsWith(QLatin1Char('#')) && eq > 0 &&
           trimmedLine.left(eq).trimmed().compare(QLatin1String("VUM"), Qt::CaseInsensitive) == 0;
}

QString aliasFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (definesVum(line))
            return line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    }
    return {};
}

QString configuredDefinition()
{
    const QString fromEnvironment = qEnvironmentVariable("SIMAT_ALIAS_VUM").trimmed();
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    for (const QString &path : {userAliasFile(), QStringLiteral("/etc/simat/aliases.conf")}) {
        const QString definition = aliasFromFile(path);
        if (!definition.isEmpty())
            return definition;
    }
    return {};
}

// The query's keywords quoted for a libpq connection string.
QString libpqOptions(const QUrlQuery &query)
{
    static const QRegularExpression keyword(QStringLiteral("\\A[a-z_]+\\z"));
    QStringList options;
    for (const auto &[key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (!keyword.match(key).hasMatch())
            return {};
        QString quoted = value;
        quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
            .replace(QLatin1Char('\''), QLatin1String("\\'"));
        options << QStringLiteral("%1='%2'").arg(key, quoted);
    }
    return options.join(QLatin1Char(' '));
}

DatabaseAlias postgresAlias(const QString &definition)
{
    const QUrl url(definition, QUrl::StrictMode);
    QUrlQuery query(url);
    // A password among the keywords is kept with the alias's own, so that it never reaches
    // the command line of pg_dump or pg_restore.
    const QString passwordKeyword = QStringLiteral("password");
    const QString keywordPassword = query.queryItemValue(passwordKeyword, QUrl::FullyDecoded);
    query.removeAllQueryItems(passwordKeyword);
    const QString databaseName = url.path().mid(1);
    const bool service = query.hasQueryItem(QStringLiteral("service"));
    DatabaseAlias alias;
    alias.connectOptions = libpqOptions(query);
    if (!url.isValid() || (query.isEmpty() != alias.connectOptions.isEmpty()) ||
        (!service && (url.host().isEmpty() || databaseName.isEmpty())))
        throw Error(QStringLiteral("تعريف قاعدة البيانات VUM غير صحيح: %1")
                        .arg(isolated(withoutPasswords(definition))));
    alias.engine = DatabaseAlias::Engine::PostgreSQL;
    alias.definition = definition;
    alias.host = url.host();
    alias.port = url.port(-1);
    alias.userName = url.userName();
    alias.password = url.password().isEmpty() ? keywordPassword : url.password();
    alias.databaseName = databaseName;
    return alias;
}

QString percentEncoded(const QString &part)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(part));
}

QString postgresDefinition(const DatabaseAlias &alias)
{
    QString userInfo;
    if (!alias.userName.isEmpty() || !alias.password.isEmpty()) {
        userInfo = percentEncoded(alias.userName);
        if (!alias.password.isEmpty())
            userInfo += QLatin1Char(':') + percentEncoded(alias.password);
        userInfo += QLatin1Char('@');
    }
    const QString host =
        alias.host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(alias.host) : alias.host;
    const QString port = alias.port < 0 ? QString() : QStringLiteral(":%1").arg(alias.port);
    return QStringLiteral("postgresql://") + userInfo + host + port + QLatin1Char('/') +
           percentEncoded(alias.databaseName);
}

// Host names are read back in small letters.
bool sameDatabase(const DatabaseAlias &a, const DatabaseAlias &b)
{
    return a.engine == b.engine && a.filePath == b.filePath &&
           a.host.compare(b.host, Qt::CaseInsensitive) == 0 && a.port == b.port &&
           a.userName == b.userName && a.password == b.password && a.databaseName == b.databaseName;
}

// An alias line holds the definition whole, and parseAlias() finds in it what was written.
bool readsBackAs(const QString &definition, const DatabaseAlias &alias)
{
    if (definition.contains(QLatin1Char('\n')) || definition.contains(QLatin1Char('\r')) ||
        definition.trimmed() != definition)
        return false;
    try {
        return sameDatabase(parseAlias(definition), alias);
    } catch (const Error &) {
        return false;
    }
}

QStringList linesOf(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("تعذر قراءة الملف %1: %2")
                        .arg(isolated(QDir::toNativeSeparators(path)), file.errorString()));
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

QString withoutPasswords(const QString &text)
{
    // Up to the last "@" of the definition: a password that is not percent-encoded may hold
    // "@" or "/" itself.
    static const QRegularExpression urlPassword(
        QStringLiteral("(postgres(?:ql)?://[^\\s:@/]*:)\\S*@"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression passwordKeyword(
        QStringLiteral("(password\\s*=\\s*)(?:'(?:[^'\\\\]|\\\\.)*'?|[^\\s&]*)"),
        QRegularExpression::CaseInsensitiveOption);
    QString shown = text;
    shown.replace(urlPassword, QStringLiteral("\\1****@"));
    shown.replace(passwordKeyword, QStringLiteral("\\1****"));
    return shown;
}

QString defaultEmbeddedDatabasePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QLatin1String("/simat/simat.db");
}

DatabaseAlias parseAlias(const QString &definition)
{
    if (definition.startsWith(QLatin1String("postgresql://")) ||
        definition.startsWith(QLatin1String("postgres://")))
        return postgresAlias(definition);
    if (definition.startsWith(QLatin1String("sqlite:"))) {
        DatabaseAlias alias;
        alias.definition = definition;
        alias.filePath = QDir::cleanPath(definition.mid(7));
        if (!alias.filePath.isEmpty())
            return alias;
    }
    throw Error(QStringLiteral("تعريف قاعدة البيانات VUM غير صحيح: %1")
                    .arg(isolated(withoutPasswords(definition))));
}

QString formatAlias(const DatabaseAlias &alias)
{
    DatabaseAlias written = alias;
    QString definition;
    if (alias.engine == DatabaseAlias::Engine::SQLite) {
        if (!alias.filePath.trimmed().isEmpty())
            written.filePath = QDir::cleanPath(QFileInfo(alias.filePath).absoluteFilePath());
        definition = QLatin1String("sqlite:") + written.filePath;
    } else {
        definition = postgresDefinition(alias);
    }
    // The definition may carry a password: the message does not repeat it.
    if (!readsBackAs(definition, written))
        throw Error(QStringLiteral("لا تصلح هذه الإعدادات تعريفاً لقاعدة البيانات VUM"));
    return definition;
}

QString userAliasFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1String("/simat/aliases.conf");
}

bool vumDefinedByEnvironment()
{
    return !qEnvironmentVariable("SIMAT_ALIAS_VUM").trimmed().isEmpty();
}

void saveVumAlias(const QString &definition)
{
    const QString path = userAliasFile();
    QStringList lines = linesOf(path);
    const QString vumLine = QLatin1String("VUM=") + definition;
    const auto vum = std::find_if(lines.begin(), lines.end(),
                                  [](const QString &line) { return definesVum(line.trimmed()); });
    if (vum == lines.end())
        lines << vumLine;
    else
        *vum = vumLine;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    const bool written =
        file.open(QIODevice::WriteOnly) && file.setPermissions(ownerOnly) &&
        file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8()) >= 0 &&
        file.commit();
    if (!written)
        throw Error(QStringLiteral("تعذر كتابة الملف %1: %2")
                        .arg(isolated(QDir::toNativeSeparators(path)), file.errorString()));
}

DatabaseAlias resolveVumAlias()
{
    const QString definition = configuredDefinition();
    if (!definition.isEmpty())
        return parseAlias(definition);
    return parseAlias(QLatin1String("sqlite:") + defaultEmbeddedDatabasePath());
}

} // namespace simat
