#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace simat::app {

// Records the working directory, creates the data module and declares every screen once, in
// the fixed order of the program; a screen is built the first time it is asked for.
void createScreens();
// Deletes what was built, last first.
void destroyScreens();

// A folder of the installed program's data found from the program's own directory
// (../share/simat/<name> beside bin/), wherever the installed tree lies.
QString besideProgram(const QString &name);

// Where the two guides are: Docs below AppWorkDir, or the installed guides when the start
// directory has no Docs folder: those beside the program first, then those at the place the
// program was built for.
QString docsDirectory();

} // namespace simat::app
