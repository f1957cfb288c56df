#include "screens.h"

#include "global.h"
#include "screen.h"

#include <QAbstractButton>

namespace simat::screens {

namespace {

QList<QObject *> &registered()
{
    static QList<QObject *> objects;
    return objects;
}

} // namespace

void add(QObject *object)
{
    registered() << object;
}

void destroyAll()
{
    while (!registered().isEmpty())
        delete registered().takeLast();
}

QList<QObject *> all()
{
    return registered();
}

QObject *object(const QString &objectName)
{
    for (QObject *made : registered()) {
        if (made->objectName() == objectName)
            return made;
    }
    return nullptr;
}

QWidget *find(const QString &objectName)
{
    return qobject_cast<QWidget *>(object(objectName));
}

void show(const QString &objectName)
{
    QWidget *window = find(objectName);
    if (!window)
        return;
    if (auto *screen = qobject_cast<TScreen *>(window)) {
        screen->showScreen();
        return;
    }
    if (window->isVisible()) {
        window->raise();
        window->activateWindow();
    } else {
        window->show();
    }
}

QAbstractButton *button(const QString &screenName, const char *buttonName)
{
    QWidget *screen = find(screenName);
    return screen ? screen->findChild<QAbstractButton *>(QLatin1String(buttonName)) : nullptr;
}

void press(const QString &screenName, const char *buttonName)
{
    if (QAbstractButton *pressed = button(screenName, buttonName))
        pressed->click();
}

bool lookupButtonIs(const QString &screenName, const char *buttonName)
{
    const QObject *opener = globals().lookup.LookupButton;
    return opener && opener == button(screenName, buttonName);
}

bool closeAllBut(const QStringList &kept)
{
    const QList<QObject *> objects = registered();
    for (auto object = objects.crbegin(); object != objects.crend(); ++object) {
        auto *window = qobject_cast<QWidget *>(*object);
        if (window && window->isVisible() && !kept.contains(window->objectName()) &&
            !window->close())
            return false;
    }
    return true;
}

void sessionUserChanged()
{
    for (QObject *object : registered()) {
        auto *screen = qobject_cast<TScreen *>(object);
        if (screen && screen->isVisible())
            screen->applyUserLevel();
    }
}

} // namespace simat::screens
