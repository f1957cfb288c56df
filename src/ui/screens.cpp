#include "screens.h"

#include "global.h"
#include "screen.h"

#include <QAbstractButton>

namespace simat::screens {

namespace {

struct Declared {
    QString name;
    std::function<QObject *()> make;
    QObject *built = nullptr;
};

QList<Declared> &declared()
{
    static QList<Declared> entries;
    return entries;
}

QList<QObject *> &built()
{
    static QList<QObject *> objects;
    return objects;
}

Declared *entryNamed(const QString &objectName)
{
    for (Declared &entry : declared())
        if (entry.name == objectName)
            return &entry;
    return nullptr;
}

// The object only if it exists already: asking whether a button belongs to a screen never
// builds the screen.
QObject *builtObject(const QString &objectName)
{
    const Declared *entry = entryNamed(objectName);
    return entry ? entry->built : nullptr;
}

} // namespace

void declare(const QString &objectName, std::function<QObject *()> make)
{
    declared() << Declared{objectName, std::move(make)};
}

void destroyAll()
{
    while (!built().isEmpty())
        delete built().takeLast();
    declared().clear();
}

QStringList names()
{
    QStringList all;
    for (const Declared &entry : declared())
        all << entry.name;
    return all;
}

QList<QObject *> all()
{
    return built();
}

QObject *object(const QString &objectName)
{
    Declared *entry = entryNamed(objectName);
    if (!entry)
        return nullptr;
    if (!entry->built) {
        QObject *made = entry->make();
        // The building may have declared more screens and moved the entries.
        entry = entryNamed(objectName);
        entry->built = made;
        built() << made;
    }
    return entry->built;
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
    const QObject *screen = builtObject(screenName);
    return opener && screen &&
           opener == screen->findChild<QAbstractButton *>(QLatin1String(buttonName));
}

bool closeAllBut(const QStringList &kept)
{
    const QList<QObject *> objects = built();
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
    for (QObject *object : built()) {
        auto *screen = qobject_cast<TScreen *>(object);
        if (screen && screen->isVisible())
            screen->applyUserLevel();
    }
}

} // namespace simat::screens
