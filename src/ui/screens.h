#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QWidget>
#include <functional>

class QAbstractButton;

// The screens and report objects of the program, reached by their names. Each is declared at
// start-up with the way to build it and is built the first time it is asked for, so that the
// program starts without building screens that are not needed yet.
namespace simat::screens {

// Declares an object by the name it will carry; make builds it on the first request.
void declare(const QString &objectName, std::function<QObject *()> make);
// Deletes every object built, the last built first, and forgets the declarations.
void destroyAll();

// The declared names, in the order of their declarations.
QStringList names();
// The objects built so far, in the order they were built.
QList<QObject *> all();
// A screen or report object by its name, built now if it has not been; none for a name that
// was never declared.
QObject *object(const QString &objectName);
template <typename T> T *object(const QString &objectName)
{
    return qobject_cast<T *>(object(objectName));
}
QWidget *find(const QString &objectName);
template <typename T> T *find(const QString &objectName)
{
    return qobject_cast<T *>(find(objectName));
}

// Shows a screen modelessly, or brings it forward when it is already visible.
void show(const QString &objectName);

// A button of a screen by their names, or none.
QAbstractButton *button(const QString &screenName, const char *buttonName);
// Runs a button's action on a screen as a click does.
void press(const QString &screenName, const char *buttonName);
// Whether the picker's LookupButton (the button that opened the screen being shown) is that
// button of that screen.
bool lookupButtonIs(const QString &screenName, const char *buttonName);

// A new user has logged in: every open screen applies the new user's level at once, so that no
// screen keeps the rights of the user before.
void sessionUserChanged();

// The session ends: closes every shown window of the program but those named, the last one
// taken into the registry first, each asking as its own closing does; false, and the rest
// left open, when one of them stays.
bool closeAllBut(const QStringList &kept);

} // namespace simat::screens
