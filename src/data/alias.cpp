#include "alias.h"

#include "core/error.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>
#include <QUrlQuery>

namespace simat {

namespace {

QString aliasFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 &&
            line.left(eq).trimmed().compare(QLatin1String("VUM"), Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    return {};
}

QString configuredDefinition()
{
    const QString fromEnvironment = qEnvironmentVariable("SIMAT_ALIAS_VUM").trimmed();
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString userConfig =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QLatin1String("/simat/aliases.conf");
    for (const QString &path : {userConfig, QStringLiteral("/etc/simat/aliases.conf")}) {
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
    const QUrlQuery query(url);
    const QString databaseName = url.path().mid(1);
    const bool service = query.hasQueryItem(QStringLiteral("service"));
    DatabaseAlias alias;
    alias.connectOptions = libpqOptions(query);
    if (!url.isValid() || (query.isEmpty() != alias.connectOptions.isEmpty()) ||
        (!service && (url.host().isEmpty() || databaseName.isEmpty())))
        throw Error(QStringLiteral("تعريف قاعدة البيانات VUM غير صحيح: %1").arg(definition));
    alias.engine = DatabaseAlias::Engine::PostgreSQL;
    alias.definition = definition;
    alias.host = url.host();
    alias.port = url.port(-1);
    alias.userName = url.userName();
    alias.password = url.password();
    alias.databaseName = databaseName;
    return alias;
}

} // namespace

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
    throw Error(QStringLiteral("تعريف قاعدة البيانات VUM غير صحيح: %1").arg(definition));
}

DatabaseAlias resolveVumAlias()
{
    const QString definition = configuredDefinition();
    if (!definition.isEmpty())
        return parseAlias(definition);
    return parseAlias(QLatin1String("sqlite:") + defaultEmbeddedDatabasePath());
}

} // namespace simat
