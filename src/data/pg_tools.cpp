#include "pg_tools.h"

#include "backup_texts.h"
#include "core/bidi.h"
#include "core/error.h"
#include "database.h"

#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>

namespace simat::pg_tools {

namespace {

// A value of a libpq connection string, quoted.
QString quoted(const QString &value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

} // namespace

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

QProcessEnvironment environment(const DatabaseAlias &alias)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!alias.password.isEmpty())
        environment.insert(QStringLiteral("PGPASSWORD"), alias.password);
    environment.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("5"));
    // A backup waits this long at most for another workstation's lock on a table.
    environment.insert(QStringLiteral("PGOPTIONS"), environment.value(QStringLiteral("PGOPTIONS")) +
                                                        QStringLiteral(" -c lock_timeout=30000"));
    return environment;
}

QString failureLines(const QString &messages)
{
    QStringList lines = messages.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList errors = lines.filter(QRegularExpression(
        QStringLiteral("error|fatal|detail"), QRegularExpression::CaseInsensitiveOption));
    return (errors.isEmpty() ? lines.mid(std::max(0, int(lines.size()) - 3)) : errors)
        .join(QLatin1Char('\n'));
}

QString notStarted(const QString &program)
{
    return QStringLiteral("تعذر تشغيل %1: ثبّت حزمة postgresql-client")
        .arg(isolated(QFileInfo(program).fileName()));
}

Output run(const Run &job, const backup::Progress &progress)
{
    QProcess process;
    process.setProcessEnvironment(job.environment);
    process.start(job.program, job.arguments);
    if (!process.waitForStarted())
        throw Error(notStarted(job.program));
    Output result;
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
        throw Error(backup::stoppedText());
    }
    process.waitForFinished();
    result.output += process.readAllStandardOutput();
    result.messages += QString::fromUtf8(process.readAllStandardError());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw Error(failureLines(result.messages));
    return result;
}

} // namespace simat::pg_tools
