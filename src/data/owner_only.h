#pragma once

#include <QFileDevice>
#include <QString>

// Files and folders that hold the register's rows (backups, dumps, exports) are their owner's
// alone, whatever the umask of the program.
namespace simat::owner_only {

constexpr QFileDevice::Permissions filePermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions folderPermissions = filePermissions | QFileDevice::ExeOwner;

// Creates a new, empty file at path with filePermissions from its first moment, so that no one
// else can have opened it before anything is written into it. Throws Error when the path is
// taken or cannot be written.
void createFile(const QString &path);

// Makes the folder and the missing folders on the way, and gives folderPermissions to the
// folder and to each folder it made. Throws Error.
void makeFolder(const QString &path);

} // namespace simat::owner_only
