#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace simat::app {

// Records the working directory, then creates every screen and the data module once, in the
// fixed order of the program; the first screen is the main window. Returns them in that order.
QList<QObject *> createScreens();
// Deletes what createScreens() made, last first.
void destroyScreens();

// Where the two guides are: Docs below AppWorkDir, or the installed guides when the start
// directory has no Docs folder.
QString docsDirectory();

} // namespace simat::app
