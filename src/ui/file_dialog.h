#pragma once

#include <QString>

class QWidget;

namespace simat {

// The program's "save as" dialog: Qt's own dialog (never the desktop's), opening on the user's
// documents folder, with icons drawn from the kind of entry alone. Nothing in it opens a file
// to look at its contents: a close() of a database file by this process would drop SQLite's
// locks on it. Returns the chosen path, or an empty text.
QString chooseSavePath(QWidget *parent, const QString &caption, const QString &fileName,
                       const QString &filter);

// The same dialog choosing a file to open or to be made: an existing one or a new name, starting
// at the start path (a file or a folder). Returns the chosen path, or an empty text.
QString chooseFilePath(QWidget *parent, const QString &caption, const QString &startPath,
                       const QString &filter);

} // namespace simat
