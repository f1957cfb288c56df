#pragma once

#include "backup.h"

#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStringList>

namespace simat {
struct DatabaseAlias;
}

// pg_dump and pg_restore, as the backup runs them.
namespace simat::pg_tools {

// pg_dump refuses a server newer than itself: the tools of the server's own major version are
// taken when they are installed beside it, else those on the path.
QString tool(const Database &database, const QString &name);

// The alias's database for a tool that connects; the password travels in the environment.
QStringList connectionArguments(const DatabaseAlias &alias);
QProcessEnvironment environment(const DatabaseAlias &alias);

struct Run {
    QString program;
    QStringList arguments;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Lines of the tool's messages that each mean one table more done.
    QRegularExpression tableDone{};
    int tables = 0;
};

struct Output {
    QByteArray output;
    QString messages;
};

// Runs a tool to its end, telling progress from its messages. Throws Error with what the tool
// said of its failure, or with stoppedText() when the progress stopped it.
Output run(const Run &job, const backup::Progress &progress = {});

// What a tool said of its failure, without the lines of its --verbose account.
QString failureLines(const QString &messages);

// The message that the tool cannot be started.
QString notStarted(const QString &program);

} // namespace simat::pg_tools
