#pragma once

#include <QString>

namespace simat::platform {

// Asks the desktop to open a document (or start a program) in a directory. The path is passed
// whole. A missing document or a missing viewer stays silent; the result only says whether the
// request could be handed over.
bool RunDocument(const QString &fileName, const QString &parameters, const QString &directory);

// Whether the desktop names a program that opens documents of this type ("application/pdf").
bool hasViewerFor(const QString &mimeType);

// The current directory, read once at start-up into AppWorkDir.
QString currentDirectory();

// Whether a running process has this program name, compared without regard to letter case:
// the file name of its executable, its whole executable path, or the name the system gives the
// process (for a script, the script's file name, which the system cuts to 15 characters).
// Every process is looked at, including those of other users whose executable stays hidden.
bool processRunning(const QString &programName);

// The first place where a file exists: the file name itself (relative to the current
// directory), else each directory of a ";"-separated list in order, empty entries skipped;
// empty when none holds it. A directory of that name does not count.
QString findFile(const QString &fileName, const QString &directories);

} // namespace simat::platform
