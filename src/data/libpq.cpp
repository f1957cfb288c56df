#include "libpq.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>
#include <dlfcn.h>
#include <vector>

#include "core/error.h"

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

int executeWithValues(const QSqlDatabase &db, const QByteArray &text,
                      const QList<QByteArray> &values)
{
    using ExecParams = void *(*)(void *connection, const char *command, int count,
                                 const unsigned *types, const char *const *values,
                                 const int *lengths, const int *formats, int resultFormat);
    using ResultStatus = int (*)(const void *result);
    using ResultText = char *(*)(const void *result);
    using Clear = void (*)(void *result);
    const auto execParams = reinterpret_cast<ExecParams>(function("PQexecParams"));
    const auto status = reinterpret_cast<ResultStatus>(function("PQresultStatus"));
    const auto touched = reinterpret_cast<ResultText>(function("PQcmdTuples"));
    const auto reason = reinterpret_cast<ResultText>(function("PQresultErrorMessage"));
    const auto clear = reinterpret_cast<Clear>(function("PQclear"));
    void *connection = connectionOf(db);
    if (!connection || !execParams || !status || !touched || !reason || !clear)
        throw Error(QStringLiteral("PostgreSQL's client library is not loaded"));
    std::vector<const char *> pointers;
    for (const QByteArray &value : values)
        pointers.push_back(value.isNull() ? nullptr : value.constData());
    void *result = execParams(connection, text.constData(), int(pointers.size()), nullptr,
                              pointers.data(), nullptr, nullptr, 0);
    constexpr int commandOk = 1;
    constexpr int tuplesOk = 2;
    const int done = result ? status(result) : -1;
    if (done != commandOk && done != tuplesOk) {
        const QString why = result ? QString::fromUtf8(reason(result))
                                   : QStringLiteral("no answer from the server");
        if (result)
            clear(result);
        throw Error(why.trimmed());
    }
    const int rows = QByteArray(touched(result)).toInt();
    clear(result);
    return rows;
}

} // namespace simat::libpq
