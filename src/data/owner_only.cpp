#include "owner_only.h"

#include "core/bidi.h"
#include "core/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace simat::owner_only {

void createFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int file =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    // The umask may have taken the owner's own rights away.
    const bool made = file >= 0 && ::fchmod(file, S_IRUSR | S_IWUSR) == 0;
    if (file >= 0)
        ::close(file);
    if (!made)
        throw Error(
            QStringLiteral("تعذر كتابة الملف %1").arg(isolated(QDir::toNativeSeparators(path))));
}

void makeFolder(const QString &path)
{
    QStringList missing;
    for (QFileInfo folder(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
         !folder.exists() && !folder.isRoot(); folder.setFile(folder.absolutePath()))
        missing.prepend(folder.absoluteFilePath());
    for (const QString &folder : missing) {
        if (!QDir().mkdir(folder) && !QFileInfo(folder).isDir())
            throw Error(QStringLiteral("تعذر إنشاء المجلد %1")
                            .arg(isolated(QDir::toNativeSeparators(folder))));
        QFile::setPermissions(folder, folderPermissions);
    }
    if (!QFile::setPermissions(path, folderPermissions))
        throw Error(
            QStringLiteral("تعذر إنشاء المجلد %1").arg(isolated(QDir::toNativeSeparators(path))));
}

} // namespace simat::owner_only
