#include "platform.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace simat::platform {

namespace {

// The kernel keeps a process's name in 15 bytes.
constexpr qsizetype processNameLength = 15;

bool sameName(const QString &a, const QString &b)
{
    return !a.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
}

bool processHasName(const QDir &process, const QString &programName)
{
    const QString executable = QFile::symLinkTarget(process.filePath(QStringLiteral("exe")));
    if (sameName(executable, programName) ||
        sameName(QFileInfo(executable).fileName(), programName))
        return true;
    QFile nameFile(process.filePath(QStringLiteral("comm")));
    if (!nameFile.open(QIODevice::ReadOnly))
        return false;
    const QString name = QString::fromUtf8(nameFile.readAll()).chopped(1);
    return sameName(name, programName.left(processNameLength));
}

bool isFile(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

} // namespace

bool RunDocument(const QString &fileName, const QString &parameters, const QString &directory)
{
    const QFileInfo document(QDir(directory).filePath(fileName));
    if (!document.exists())
        return false;
    if (document.isExecutable() && !document.isDir())
        return QProcess::startDetached(document.absoluteFilePath(),
                                       QProcess::splitCommand(parameters), directory);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(document.absoluteFilePath()));
}

bool hasViewerFor(const QString &mimeType)
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(3000) || query.exitCode() != 0)
        return false;
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

QString currentDirectory()
{
    return QDir::currentPath();
}

bool processRunning(const QString &programName)
{
    const QDir processes(QStringLiteral("/proc"));
    bool running = false;
    for (const QString &id : processes.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (id.front().isDigit() && processHasName(QDir(processes.filePath(id)), programName))
            running = true;
    }
    return running;
}

QString findFile(const QString &fileName, const QString &directories)
{
    if (isFile(fileName))
        return fileName;
    for (QString directory : directories.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (!directory.endsWith(QLatin1Char('/')))
            directory += QLatin1Char('/');
        if (isFile(directory + fileName))
            return directory + fileName;
    }
    return {};
}

} // namespace simat::platform
