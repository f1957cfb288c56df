#pragma once

#include <QString>

namespace simat::platform {

// Asks the desktop to open a document (or start a program) in a directory. The path is passed
// whole. A missing document or a missing viewer stays silent; the result only says whether the
// request could be handed over.
bool RunDocument(const QString &fileName, const QString &parameters, const QString &directory);

// The current directory, read once at start-up into AppWorkDir.
QString currentDirectory();

} // namespace simat::platform
