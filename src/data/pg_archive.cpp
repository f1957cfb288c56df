#include "pg_archive.h"

#include "backup_texts.h"
#include "core/error.h"
#include "database.h"
#include "libpq.h"
#include "pg_tools.h"

#include <QProcess>
#include <QSet>
#include <optional>

namespace simat::pg_archive {

namespace {

using register_layout::Layout;
using register_layout::Table;

[[noreturn]] void refuse()
{
    throw Error(backup::notABackupText());
}

QString outputOf(const Archive &archive, const QStringList &arguments)
{
    try {
        return QString::fromUtf8(pg_tools::run({archive.pgRestore, arguments}).output);
    } catch (const Error &) {
        refuse();
    }
}

// ---- the list of the archive's objects ----------------------------------------------------

struct Entry {
    QString kind;
    QString name; // "table trigger" for what belongs to a table
};

// "215; 1259 17256 TABLE public student simat": the kind, the schema, the name, the owner.
std::optional<Entry> entryOf(const QString &line)
{
    static const QRegularExpression numbered(QStringLiteral("^\\d+; \\d+ \\d+ (.*)$"));
    static const QStringList kinds = {
        QStringLiteral("TABLE DATA"),    QStringLiteral("MATERIALIZED VIEW"),
        QStringLiteral("FOREIGN TABLE"), QStringLiteral("EVENT TRIGGER"),
        QStringLiteral("TABLE"),         QStringLiteral("VIEW"),
        QStringLiteral("TRIGGER"),       QStringLiteral("RULE"),
        QStringLiteral("POLICY")};
    const QRegularExpressionMatch found = numbered.match(line);
    if (!found.hasMatch())
        return std::nullopt;
    const QString rest = found.captured(1);
    for (const QString &kind : kinds) {
        if (!rest.startsWith(kind + QLatin1Char(' ')))
            continue;
        const QStringList words = rest.mid(kind.size() + 1).split(QLatin1Char(' '));
        if (words.size() < 3)
            refuse();
        return Entry{kind, words.mid(1, words.size() - 2).join(QLatin1Char(' '))};
    }
    return std::nullopt;
}

QString triggerKey(const QString &name)
{
    return QString(name).replace(QLatin1Char(' '), QLatin1Char('.'));
}

template <typename Value>
void addOnce(QMap<QString, Value> &objects, const QString &name, const Value &value)
{
    if (objects.contains(name))
        refuse();
    objects.insert(name, value);
}

void addEntry(Layout &layout, const Entry &entry)
{
    if (entry.kind == QLatin1String("TABLE"))
        addOnce(layout.tables, entry.name, Table{});
    else if (entry.kind == QLatin1String("MATERIALIZED VIEW") ||
             entry.kind == QLatin1String("FOREIGN TABLE"))
        addOnce(layout.tables, entry.name, Table{{}, false});
    else if (entry.kind == QLatin1String("VIEW"))
        addOnce(layout.views, entry.name, QString());
    else if (entry.kind == QLatin1String("TRIGGER"))
        addOnce(layout.triggers, triggerKey(entry.name), QString());
    else if (entry.kind != QLatin1String("TABLE DATA"))
        addOnce(layout.triggers, entry.kind.toLower() + QLatin1Char(' ') + entry.name, QString());
}

// ---- the definitions of the archive's objects, as pg_restore writes them out ----------------

// The lines under one "-- Name: ...; Type: ...;" heading of pg_restore's output.
struct Section {
    QString kind;
    QString name;
    QStringList lines;
};

QList<Section> sectionsOf(const QString &text)
{
    static const QRegularExpression heading(
        QStringLiteral("^-- Name: (.*); Type: (.*); Schema: .*; Owner: .*$"));
    QList<Section> sections;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch found = heading.match(line);
        if (found.hasMatch())
            sections.append({found.captured(2), found.captured(1), {}});
        else if (!sections.isEmpty())
            sections.last().lines << line;
    }
    return sections;
}

// A column's name at the start of its line, "name type" or "\"name\" type".
QString leadingName(const QString &item)
{
    if (!item.startsWith(QLatin1Char('"')))
        return item.section(QLatin1Char(' '), 0, 0);
    QString name;
    for (qsizetype i = 1; i < item.size(); ++i) {
        if (item.at(i) != QLatin1Char('"'))
            name += item.at(i);
        else if (i + 1 < item.size() && item.at(i + 1) == QLatin1Char('"'))
            name += item.at(++i);
        else
            break;
    }
    return name;
}

// The columns of "CREATE TABLE public.t (\n    a integer,\n    b text\n);".
QStringList tableColumns(const QStringList &lines)
{
    QStringList columns;
    bool inside = false;
    for (const QString &line : lines) {
        if (!inside) {
            inside = line.startsWith(QLatin1String("CREATE TABLE ")) &&
                     line.endsWith(QLatin1String(" ("));
            continue;
        }
        if (line.startsWith(QLatin1Char(')')))
            break;
        const QString item = line.trimmed();
        if (!item.startsWith(QLatin1String("CONSTRAINT ")))
            columns << leadingName(item);
    }
    return columns;
}

// The statement that starts with a line beginning with `creates`, to its ";"; with
// `withFirstLine` unset, without the line that names the object ("CREATE VIEW v AS").
QString statementText(const QStringList &lines, const QString &creates, bool withFirstLine)
{
    qsizetype line = 0;
    while (line < lines.size() && !lines.at(line).startsWith(creates))
        ++line;
    if (line == lines.size())
        return {};
    QStringList statement;
    for (qsizetype first = line; line < lines.size(); ++line) {
        if (line > first || withFirstLine)
            statement << lines.at(line);
        if (lines.at(line).endsWith(QLatin1Char(';')))
            break;
    }
    return statement.join(QLatin1Char('\n'));
}

void describe(Layout &layout, const Section &section)
{
    if (section.kind == QLatin1String("TABLE") && layout.tables.contains(section.name))
        layout.tables[section.name].columns = tableColumns(section.lines);
    else if (section.kind == QLatin1String("VIEW") && layout.views.contains(section.name))
        layout.views[section.name] =
            statementText(section.lines, QStringLiteral("CREATE VIEW "), false);
    else if (section.kind == QLatin1String("TRIGGER") &&
             layout.triggers.contains(triggerKey(section.name)))
        layout.triggers[triggerKey(section.name)] =
            statementText(section.lines, QStringLiteral("CREATE TRIGGER "), true);
}

// ---- the rows -------------------------------------------------------------------------------

// libpq's calls for COPY ... FROM STDIN, which Qt's driver does not offer.
struct CopyCalls {
    static constexpr int commandOk = 1; // PGRES_COMMAND_OK of libpq's ExecStatusType
    static constexpr int copyIn = 4;    // PGRES_COPY_IN
    void *(*exec)(void *connection, const char *statement);
    int (*resultStatus)(const void *result);
    void (*clear)(void *result);
    int (*putCopyData)(void *connection, const char *data, int size);
    int (*putCopyEnd)(void *connection, const char *failure);
    void *(*getResult)(void *connection);
    char *(*errorMessage)(const void *connection);

    bool complete() const
    {
        return exec && resultStatus && clear && putCopyData && putCopyEnd && getResult &&
               errorMessage;
    }
};

template <typename Function> Function call(const char *name)
{
    return reinterpret_cast<Function>(libpq::function(name));
}

const CopyCalls &copyCalls()
{
    static const CopyCalls calls{call<decltype(CopyCalls::exec)>("PQexec"),
                                 call<decltype(CopyCalls::resultStatus)>("PQresultStatus"),
                                 call<decltype(CopyCalls::clear)>("PQclear"),
                                 call<decltype(CopyCalls::putCopyData)>("PQputCopyData"),
                                 call<decltype(CopyCalls::putCopyEnd)>("PQputCopyEnd"),
                                 call<decltype(CopyCalls::getResult)>("PQgetResult"),
                                 call<decltype(CopyCalls::errorMessage)>("PQerrorMessage")};
    return calls;
}

// One COPY ... FROM STDIN on the connection of Qt's driver, in its transaction. Gone unfinished,
// it ends the COPY as failed, so that the transaction can be rolled back.
class CopyIn {
public:
    CopyIn(const QSqlDatabase &db, const QString &statement)
        : m_calls(copyCalls())
        , m_connection(libpq::connectionOf(db))
    {
        if (!m_connection || !m_calls.complete())
            throw Error(QStringLiteral("تعذر نسخ الصفوف إلى خادم PostgreSQL"));
        void *result = m_calls.exec(m_connection, statement.toUtf8().constData());
        const int status = m_calls.resultStatus(result);
        m_calls.clear(result);
        if (status != CopyCalls::copyIn)
            throw Error(reason());
        m_open = true;
    }
    ~CopyIn()
    {
        if (m_open)
            end("stopped");
    }
    CopyIn(const CopyIn &) = delete;
    CopyIn &operator=(const CopyIn &) = delete;

    void add(const QByteArray &rows)
    {
        if (m_calls.putCopyData(m_connection, rows.constData(), int(rows.size())) != 1)
            throw Error(reason());
    }
    void finish()
    {
        m_open = false;
        const QString failure = end(nullptr);
        if (!failure.isEmpty())
            throw Error(failure);
    }

private:
    QString reason() const
    {
        return QString::fromUtf8(m_calls.errorMessage(m_connection)).trimmed();
    }
    QString end(const char *failure)
    {
        QString failed;
        if (m_calls.putCopyEnd(m_connection, failure) != 1)
            failed = reason();
        while (void *result = m_calls.getResult(m_connection)) {
            if (m_calls.resultStatus(result) != CopyCalls::commandOk && failed.isEmpty())
                failed = reason();
            m_calls.clear(result);
        }
        return failed;
    }

    const CopyCalls &m_calls;
    void *m_connection;
    bool m_open = false;
};

// The last part of "schema.table" or "\"schema\".\"table\"", without its quotes.
QString lastName(const QString &qualified)
{
    if (!qualified.endsWith(QLatin1Char('"')))
        return qualified.section(QLatin1Char('.'), -1);
    const qsizetype open = qualified.lastIndexOf(QLatin1String(".\""));
    return leadingName(qualified.mid(open < 0 ? 0 : open + 1));
}

// pg_restore's output, line by line: each "COPY t (a, b) FROM stdin;" block of a table of
// rows of the program is copied in the columns of the program's layout; any other line but
// the encoding is passed over.
class RowCopier {
public:
    RowCopier(Database &into, const Layout &program, const backup::Progress &progress)
        : m_into(into)
        , m_program(program)
        , m_tables(register_layout::rowTables(program))
        , m_progress(progress)
    {}

    void take(QByteArrayView line)
    {
        if (m_copy || m_skipping)
            takeRow(line);
        else if (line.startsWith("COPY "))
            begin(QString::fromUtf8(line));
        else if (line.startsWith("SET client_encoding = ") &&
                 line != QByteArrayView("SET client_encoding = 'UTF8';"))
            refuse();
    }

    void finish()
    {
        if (m_copy || m_skipping)
            refuse();
        for (const QString &table : m_tables) {
            if (!m_copied.contains(table))
                refuse();
        }
    }

private:
    static constexpr qsizetype bufferSize = 256 * 1024;
    static constexpr qint64 linesBetweenReports = 50000;

    void begin(const QString &header)
    {
        static const QRegularExpression copy(
            QStringLiteral("^COPY (\\S+) \\((.*)\\) FROM stdin;$"));
        const QRegularExpressionMatch found = copy.match(header);
        if (!found.hasMatch())
            refuse();
        const QString table = lastName(found.captured(1));
        if (!m_tables.contains(table)) {
            m_skipping = true;
            return;
        }
        if (m_copied.contains(table))
            refuse();
        m_copied.insert(table);
        QStringList columns;
        for (const QString &column : found.captured(2).split(QStringLiteral(", ")))
            columns << (column.startsWith(QLatin1Char('"')) ? leadingName(column) : column);
        const QStringList needed = m_program.tables.value(table).columns;
        QStringList copied;
        m_kept.clear();
        for (qsizetype field = 0; field < columns.size(); ++field) {
            if (needed.contains(columns.at(field))) {
                m_kept << field;
                copied << columns.at(field);
            }
        }
        if (copied.size() != needed.size())
            refuse();
        m_whole = m_kept.size() == columns.size();
        m_copy.emplace(m_into.connection(),
                       QStringLiteral("copy %1 (%2) from stdin").arg(table, copied.join(u',')));
    }

    void takeRow(QByteArrayView line)
    {
        if (line == QByteArrayView("\\.")) {
            endTable();
            return;
        }
        if (m_skipping)
            return;
        if (m_whole) {
            m_buffer += line;
        } else {
            const QList<QByteArray> fields = line.toByteArray().split('\t');
            for (qsizetype kept = 0; kept < m_kept.size(); ++kept) {
                if (kept > 0)
                    m_buffer += '\t';
                m_buffer += fields.value(m_kept.at(kept));
            }
        }
        m_buffer += '\n';
        if (m_buffer.size() >= bufferSize)
            flush();
        if (++m_lines % linesBetweenReports == 0)
            tell();
    }

    void flush()
    {
        if (!m_buffer.isEmpty())
            m_copy->add(m_buffer);
        m_buffer.clear();
    }

    void endTable()
    {
        m_skipping = false;
        if (!m_copy)
            return;
        flush();
        m_copy->finish();
        m_copy.reset();
        tell();
    }

    void tell()
    {
        if (m_progress && !m_progress(m_copied.size() - (m_copy ? 1 : 0), m_tables.size()))
            throw Error(backup::stoppedText());
    }

    Database &m_into;
    const Layout &m_program;
    const QStringList m_tables;
    const backup::Progress &m_progress;
    QSet<QString> m_copied;
    std::optional<CopyIn> m_copy;
    QList<qsizetype> m_kept;
    bool m_whole = true;
    bool m_skipping = false;
    QByteArray m_buffer;
    qint64 m_lines = 0;
};

} // namespace

Layout layoutOf(const Archive &archive)
{
    Layout layout;
    const QString list = outputOf(archive, {QStringLiteral("--list"), archive.filePath});
    for (const QString &line : list.split(QLatin1Char('\n'))) {
        if (const std::optional<Entry> entry = entryOf(line))
            addEntry(layout, *entry);
    }
    if (layout.tables.isEmpty())
        refuse();
    const QString definitions = outputOf(
        archive, {QStringLiteral("--schema-only"), QStringLiteral("--file=-"), archive.filePath});
    QSet<QString> described;
    for (const Section &section : sectionsOf(definitions)) {
        const QString key = section.kind + QLatin1Char(' ') + section.name;
        if (described.contains(key))
            refuse();
        described.insert(key);
        describe(layout, section);
    }
    return layout;
}

int schemaVersion(const Archive &archive, const Layout &layout)
{
    if (!layout.tables.contains(QStringLiteral("schema_version")))
        return 0;
    const QString rows =
        outputOf(archive, {QStringLiteral("--data-only"), QStringLiteral("--table=schema_version"),
                           QStringLiteral("--file=-"), archive.filePath});
    int version = 0;
    bool inside = false;
    for (const QString &line : rows.split(QLatin1Char('\n'))) {
        if (inside && line == QLatin1String("\\."))
            break;
        if (inside)
            version = std::max(version, line.toInt());
        else
            inside = line.startsWith(QLatin1String("COPY ")) &&
                     line.endsWith(QLatin1String(" (version) FROM stdin;"));
    }
    return version;
}

void copyRows(Database &into, const Archive &archive, const Layout &program,
              const backup::Progress &progress)
{
    QProcess process;
    process.start(archive.pgRestore,
                  {QStringLiteral("--data-only"), QStringLiteral("--file=-"), archive.filePath});
    if (!process.waitForStarted())
        throw Error(pg_tools::notStarted(archive.pgRestore));
    RowCopier copier(into, program, progress);
    QByteArray pending;
    QString messages;
    const auto takeOutput = [&] {
        pending += process.readAllStandardOutput();
        messages += QString::fromUtf8(process.readAllStandardError());
        qsizetype start = 0;
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n', start)) {
            copier.take(QByteArrayView(pending).sliced(start, end - start));
            start = end + 1;
        }
        pending.remove(0, start);
    };
    try {
        while (process.state() != QProcess::NotRunning) {
            process.waitForReadyRead(100);
            takeOutput();
        }
        process.waitForFinished();
        takeOutput();
    } catch (const Error &) {
        process.kill();
        process.waitForFinished();
        throw;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw Error(pg_tools::failureLines(messages));
    if (!pending.isEmpty())
        copier.take(pending);
    copier.finish();
}

} // namespace simat::pg_archive
