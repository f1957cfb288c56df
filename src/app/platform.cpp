#include "platform.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace simat::platform {

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

QString currentDirectory()
{
    return QDir::currentPath();
}

} // namespace simat::platform
