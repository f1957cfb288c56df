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

} // namespace simat::libpq
