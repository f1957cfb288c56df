#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QWidget>

namespace simat::app {

// Records the working directory, then creates every screen and the data module once, in the
// fixed order of the program; the first screen is the main window. Returns them in that order.
QList<QObject *> createScreens();
// Deletes what createScreens() made, last first.
void destroyScreens();

QList<QObject *> screens();
QWidget *screen(const QString &objectName);
template <typename T> T *screen(const QString &objectName)
{
    return qobject_cast<T *>(screen(objectName));
}

// A screen or report object by its name.
QObject *object(const QString &objectName);
template <typename T> T *object(const QString &objectName)
{
    return qobject_cast<T *>(object(objectName));
}

// Shows a screen modelessly, or brings it forward when it is already visible.
void showScreen(const QString &objectName);

// A new user has logged in: every open screen applies the new user's level at once, so that no
// screen keeps the rights of the user before.
void sessionUserChanged();

// AppWorkDir joined with Docs, where the two guides are.
QString docsDirectory();

} // namespace simat::app
