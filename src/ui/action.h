#pragma once

#include <QWidget>
#include <concepts>
#include <functional>
#include <utility>

namespace simat {

// Runs one action of the user (a click, a key, a change of a field) so that nothing it throws
// leaves it: an Error ends the action with its error box over the owner, any other exception
// with a plain one. The outermost action first reopens a database connection found lost.
void runAction(QWidget *owner, const std::function<void()> &body);

// What to connect to a signal instead of a slot or a lambda: the same call, run through
// runAction(). The signal's arguments are passed on as far as the slot takes them.
template <typename Body> auto guarded(QWidget *owner, Body body)
{
    return [ owner, body ]<typename... Args>(Args &&
                                             ...args) requires std::invocable<const Body &, Args...>
    {
        runAction(owner, [&] { body(std::forward<Args>(args)...); });
    };
}

template <typename Owner, typename Class, typename... Params>
requires std::derived_from<Owner, Class> && std::derived_from<Owner, QWidget>
auto guarded(Owner *owner, void (Class::*slot)(Params...))
{
    return guarded(static_cast<QWidget *>(owner),
                   [owner, slot](Params... params) { (owner->*slot)(params...); });
}

} // namespace simat
