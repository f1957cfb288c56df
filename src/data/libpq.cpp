#include "libpq.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>
#include <dlfcn.h>

namespace simat::libpq {

void *connectionOf(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    // Qt names the type after the structure behind libpq's typedef.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<void *const *>(handle.constData());
}

void *function(const char *name)
{
    void *loaded = dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
    return loaded ? dlsym(loaded, name) : nullptr;
}

void cancelStatement(const QSqlDatabase &db)
{
    using GetCancel = void *(*)(void *connection);
    using Cancel = int (*)(void *cancel, char *reason, int reasonSize);
    using FreeCancel = void (*)(void *cancel);
    void *connection = connectionOf(db);
    const auto getCancel = reinterpret_cast<GetCancel>(function("PQgetCancel"));
    const auto cancel = reinterpret_cast<Cancel>(function("PQcancel"));
    const auto freeCancel = reinterpret_cast<FreeCancel>(function("PQfreeCancel"));
    if (!connection || !getCancel || !cancel || !freeCancel)
        return;
    void *request = getCancel(connection);
    if (!request)
        return;
    char reason[256];
    cancel(request, reason, int(sizeof reason));
    freeCancel(request);
}

} // namespace simat::libpq
