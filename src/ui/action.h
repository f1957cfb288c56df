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

// Shows the exception being handled in an error box over the owner; call it from a catch
// block.
void showCurrentFailure(QWidget *owner);

// What is connected to a signal instead of a slot or a lambda: the same call, run through
// runAction(). The signal's arguments are passed on as far as the call takes them.
template <typename Body> class GuardedAction {
public:
    GuardedAction(QWidget *owner, Body body)
        : m_owner(owner)
        , m_body(std::move(body))
    {}

    template <typename... Args>
    auto operator()(Args &&...args) const
        -> decltype(void(std::declval<const Body &>()(std::forward<Args>(args)...)))
    {
        runAction(m_owner, [&] { m_body(std::forward<Args>(args)...); });
    }

private:
    QWidget *m_owner;
    Body m_body;
};

template <typename Body> GuardedAction<Body> guarded(QWidget *owner, Body body)
{
    return {owner, std::move(body)};
}

template <typename Owner, typename Class, typename... Params>
requires std::derived_from<Owner, Class> && std::derived_from<Owner, QWidget>
auto guarded(Owner *owner, void (Class::*slot)(Params...))
{
    return guarded(static_cast<QWidget *>(owner),
                   [owner, slot](Params... params) { (owner->*slot)(params...); });
}

} // namespace simat
