#include "case_import.h"

#include "case_fields.h"
#include "core/age.h"
#include "core/bidi.h"
#include "core/error.h"
#include "core/typed_date.h"
#include "database.h"
#include "dm.h"
#include "owner_only.h"
#include "statement.h"
#include "text_search.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <algorithm>

namespace simat::case_import {

namespace {

using case_fields::Field;
using case_fields::Kind;

const Field &fieldAt(int index)
{
    return case_fields::fields().at(index);
}

// A name as the register compares it with the names it holds.
QString comparedName(const QString &name)
{
    return search::readerForm(name).simplified();
}

QString quoted(const QString &text)
{
    return QStringLiteral("«%1»").arg(isolated(text));
}

// Arabic-Indic digits, as some spreadsheets write them, read as the digits they are.
QString latinDigits(QString text)
{
    for (QChar &c : text) {
        const char16_t code = c.unicode();
        if (code >= 0x0660 && code <= 0x0669)
            c = QChar(u'0' + (code - 0x0660));
        else if (code >= 0x06F0 && code <= 0x06F9)
            c = QChar(u'0' + (code - 0x06F0));
    }
    return text;
}

std::optional<QDate> dateOf(const QString &text)
{
    if (const std::optional<QDate> dayFirst = dayFirstDate(text))
        return dayFirst;
    const QDate iso = QDate::fromString(text.left(10), Qt::ISODate);
    if (iso.isValid() && (text.size() == 10 || text.at(10) == u'T' || text.at(10) == u' '))
        return iso;
    return std::nullopt;
}

// The code of each name of a lookup table, by its compared name.
using Names = QHash<QString, int>;

Names namesOf(Database &database, const case_fields::Lookup &lookup)
{
    Statement rows(
        database, QStringLiteral("ImportLookupNames"),
        {QStringLiteral("select %1 as code, %2 as name from %3")
             .arg(Statement::identifier(lookup.codeColumn),
                  Statement::identifier(lookup.nameColumn), Statement::identifier(lookup.table))});
    Names names;
    rows.readEach([&](const QSqlQuery &row) {
        names.insert(comparedName(row.value(1).toString()), row.value(0).toInt());
    });
    return names;
}

// Who is registered already, and who came higher in the file: by identity number, and by name
// and birth date; each with the case code or the file's line that holds it.
struct Registered {
    QHash<QString, QString> byIdentity;
    QHash<QString, QString> byNameAndBirth;

    static QString nameAndBirth(const QString &name, const QDate &birth)
    {
        return comparedName(name) + QLatin1Char('|') + birth.toString(Qt::ISODate);
    }
    void add(const QString &identity, const QString &name, const QDate &birth, const QString &where)
    {
        if (!identity.isEmpty())
            byIdentity.insert(identity, where);
        if (birth.isValid())
            byNameAndBirth.insert(nameAndBirth(name, birth), where);
    }
};

Registered registeredCases(Database &database)
{
    Statement rows(database, QStringLiteral("ImportRegisteredCases"),
                   {QStringLiteral("select stud_code, stud_name, stud_birth_date, stud_id_no "
                                   "from student")});
    Registered registered;
    rows.readEach([&](const QSqlQuery &row) {
        registered.add(row.value(3).toString().trimmed(), row.value(1).toString(),
                       toDate(row.value(2)),
                       QStringLiteral("مسجل من قبل (الحالة %1)").arg(row.value(0).toInt()));
    });
    return registered;
}

// Checks rows one after another against the register and the rows above them.
class Checker {
public:
    Checker(Database &database, const QList<int> &matches, UnknownNames unknown)
        : m_matches(matches)
        , m_unknown(unknown)
        , m_registered(registeredCases(database))
    {
        for (const int index : matches)
            if (index >= 0 && fieldAt(index).kind == Kind::Lookup &&
                !m_names.contains(fieldAt(index).lookup.table))
                m_names.insert(fieldAt(index).lookup.table,
                               namesOf(database, fieldAt(index).lookup));
    }

    CheckedRow check(const QStringList &cells, int line, Preview &preview)
    {
        CheckedRow row;
        row.line = line;
        setDefaults(row.record);
        for (qsizetype column = 0; column < m_matches.size(); ++column)
            if (m_matches.at(column) >= 0)
                take(m_matches.at(column), cells.value(column).trimmed(), row, preview);
        checkNameAndBirth(row);
        if (row.accepted())
            checkNotRegistered(row);
        return row;
    }

private:
    static void setDefaults(CaseRecord &record)
    {
        for (const Field &field : case_fields::fields())
            record.set(field.column, field.kind == Kind::Lookup ? QVariant(0)
                                     : field.kind == Kind::Date ? QVariant()
                                                                : QVariant(QString()));
        record.set(QStringLiteral("is_active"), 1);
        record.set(QStringLiteral("stud_status"), 1);
    }

    void take(int index, const QString &text, CheckedRow &row, Preview &preview)
    {
        const Field &field = fieldAt(index);
        if (text.isEmpty())
            return;
        switch (field.kind) {
        case Kind::Text:
            row.record.set(field.column, text);
            return;
        case Kind::Digits:
            takeDigits(field, latinDigits(text), row);
            return;
        case Kind::Date:
            if (const std::optional<QDate> date = dateOf(latinDigits(text)))
                row.record.set(field.column, *date);
            else
                row.problems << QStringLiteral("%1 %2 ليس تاريخًا (يوم/شهر/سنة أو سنة-شهر-يوم)")
                                    .arg(field.caption, quoted(text));
            return;
        case Kind::Active:
            takeActive(field, text, row);
            return;
        case Kind::Lookup:
            takeLookup(index, text, row, preview);
            return;
        }
    }

    static void takeDigits(const Field &field, const QString &text, CheckedRow &row)
    {
        if (std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
            row.record.set(field.column, text);
        else
            row.problems
                << QStringLiteral("%1 %2 يقبل الأرقام فقط").arg(field.caption, quoted(text));
    }

    static void takeActive(const Field &field, const QString &text, CheckedRow &row)
    {
        const QString compared = comparedName(text);
        if (compared == comparedName(case_fields::activeWord(true)) ||
            compared == QLatin1String("1"))
            row.record.set(field.column, 1);
        else if (compared == comparedName(case_fields::activeWord(false)) ||
                 compared == QLatin1String("0"))
            row.record.set(field.column, 0);
        else
            row.problems
                << QStringLiteral("%1 %2 ليست «نشط» ولا «موقوف»").arg(field.caption, quoted(text));
    }

    void takeLookup(int index, const QString &text, CheckedRow &row, Preview &preview)
    {
        const Field &field = fieldAt(index);
        const QString compared = comparedName(text);
        if (const auto found = m_names.value(field.lookup.table).constFind(compared);
            found != m_names.value(field.lookup.table).constEnd()) {
            row.record.set(field.column, *found);
            return;
        }
        QStringList &unknown = preview.unknownNames[field.caption];
        if (!unknown.contains(text))
            unknown << text;
        if (m_unknown == UnknownNames::Add && field.lookup.open)
            row.newNames << std::pair{index, text};
        else
            row.problems
                << QStringLiteral("%1 %2 ليس من أسماء جدولها").arg(field.caption, quoted(text));
    }

    static void checkNameAndBirth(CheckedRow &row)
    {
        if (row.record.text(QStringLiteral("stud_name")).isEmpty())
            row.problems.prepend(QStringLiteral("لا يوجد اسم"));
        const QVariant birth = row.record.value(QStringLiteral("stud_birth_date"));
        if (!birth.isValid()) {
            if (!std::any_of(row.problems.begin(), row.problems.end(), [](const QString &p) {
                    return p.startsWith(QStringLiteral("تاريخ الميلاد"));
                }))
                row.problems << QStringLiteral("لا يوجد تاريخ ميلاد");
            return;
        }
        const QDate today = QDate::currentDate();
        if (birth.toDate() > today)
            row.problems << QStringLiteral("تاريخ الميلاد بعد اليوم");
        else if (isOverAgeLimit(ageOn(birth.toDate(), today)))
            row.problems << ageLimitMessage();
    }

    void checkNotRegistered(CheckedRow &row)
    {
        const QString identity = row.record.text(QStringLiteral("stud_id_no"));
        const QString name = row.record.text(QStringLiteral("stud_name"));
        const QDate birth = row.record.date(QStringLiteral("stud_birth_date"));
        if (const QString where = m_registered.byIdentity.value(identity);
            !identity.isEmpty() && !where.isEmpty())
            row.problems << QStringLiteral("رقم الهوية نفسه %1").arg(where);
        else if (const QString same =
                     m_registered.byNameAndBirth.value(Registered::nameAndBirth(name, birth));
                 !same.isEmpty())
            row.problems << QStringLiteral("الاسم وتاريخ الميلاد نفساهما %1").arg(same);
        if (row.accepted())
            m_registered.add(identity, name, birth,
                             QStringLiteral("فى السطر %1 من الملف").arg(row.line));
    }

    QList<int> m_matches;
    UnknownNames m_unknown;
    Registered m_registered;
    QHash<QString, Names> m_names; // by table
};

// Adds each name once to its table under the next code; the codes by table and compared name.
QHash<QString, Names> addNames(TDataModule1 &dm, const Preview &preview, int userCode, int &added)
{
    QHash<QString, Names> codes;
    for (const CheckedRow &row : preview.rows) {
        if (!row.accepted())
            continue;
        for (const auto &[index, name] : row.newNames) {
            const case_fields::Lookup &lookup = fieldAt(index).lookup;
            Names &table = codes[lookup.table];
            if (table.contains(comparedName(name)))
                continue;
            const int code = dm.nextSerial(lookup.codeColumn, lookup.table);
            Statement insert(
                dm.Database1, QStringLiteral("ImportLookupName"),
                {QStringLiteral("insert into %1 (%2, %3, entry_date, who_insert, trans_date, "
                                "who_update, is_active, entry_type) values (:code, :name, "
                                ":today, :user, :today, 0, 1, 1)")
                     .arg(Statement::identifier(lookup.table),
                          Statement::identifier(lookup.codeColumn),
                          Statement::identifier(lookup.nameColumn))});
            insert.declare(QStringLiteral("code"), ParamType::Integer);
            insert.declare(QStringLiteral("name"), ParamType::Text);
            insert.declare(QStringLiteral("today"), ParamType::Date);
            insert.declare(QStringLiteral("user"), ParamType::Integer);
            insert.setParam(QStringLiteral("code"), code);
            insert.setParam(QStringLiteral("name"), name);
            insert.setParam(QStringLiteral("today"), QDate::currentDate());
            insert.setParam(QStringLiteral("user"), userCode);
            insert.exec();
            table.insert(comparedName(name), code);
            ++added;
        }
    }
    return codes;
}

QString stoppedText()
{
    return QStringLiteral("توقف الاستيراد قبل أن يكتمل، ولم تُسجَّل أي حالة");
}

} // namespace

Source readSource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(
            QStringLiteral("تعذر قراءة الملف %1\n%2").arg(isolated(path), file.errorString()));
    Source source{path, csv::read(file.readAll())};
    if (source.rowCount() < 1)
        throw Error(
            QStringLiteral("لا يحتوى الملف %1 على صفوف تحت صف أسماء الأعمدة").arg(isolated(path)));
    return source;
}

QList<int> matchColumns(const QStringList &heading)
{
    QList<int> matches;
    for (const QString &title : heading) {
        const int field = case_fields::fieldNamed(title);
        matches << (matches.contains(field) ? -1 : field);
    }
    return matches;
}

int Preview::accepted() const
{
    return int(std::count_if(rows.begin(), rows.end(),
                             [](const CheckedRow &row) { return row.accepted(); }));
}

Preview check(Database &database, const Source &source, const QList<int> &matches,
              UnknownNames unknown, const Progress &progress)
{
    Checker checker(database, matches, unknown);
    Preview preview;
    preview.rows.reserve(source.rowCount());
    for (int i = 1; i <= source.rowCount(); ++i) {
        preview.rows << checker.check(source.file.rows.at(i), i + 1, preview);
        if (progress && i % 100 == 0 && !progress(i, source.rowCount()))
            throw Error(QStringLiteral("توقف فحص الملف قبل أن يكتمل"));
    }
    return preview;
}

Imported write(TDataModule1 &dm, const Preview &preview, int branchNo, int userCode,
               const Progress &progress)
{
    Imported imported;
    CaseStore cases(dm);
    const int total = preview.accepted();
    const bool written = dm.Database1.inTransaction([&] {
        const QHash<QString, Names> added = addNames(dm, preview, userCode, imported.namesAdded);
        int code = dm.nextSerial(QStringLiteral("stud_code"), QStringLiteral("student"));
        imported.firstCode = code;
        for (const CheckedRow &row : preview.rows) {
            if (!row.accepted())
                continue;
            CaseRecord record = row.record;
            for (const auto &[index, name] : row.newNames)
                record.set(fieldAt(index).column,
                           added.value(fieldAt(index).lookup.table).value(comparedName(name)));
            cases.insertUnder(record, code, branchNo, userCode);
            imported.lastCode = code++;
            ++imported.cases;
            if (progress && !progress(imported.cases, total))
                throw Error(stoppedText());
        }
    });
    if (!written)
        throw Error(dm.Database1.lastFailure());
    if (imported.cases == 0)
        imported.firstCode = 0;
    return imported;
}

void writeRefused(const Source &source, const Preview &preview, const QString &path)
{
    QFile::remove(path);
    owner_only::createFile(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Error(
            QStringLiteral("تعذر كتابة الملف %1\n%2").arg(isolated(path), file.errorString()));
    csv::Writer refused(file);
    refused.writeRow(QStringList(source.heading())
                     << QStringLiteral("السطر") << QStringLiteral("أسباب الرفض"));
    for (const CheckedRow &row : preview.rows) {
        if (row.accepted())
            continue;
        QStringList cells;
        for (const QString &cell : source.file.rows.at(row.line - 1))
            cells << csv::textCell(cell);
        while (cells.size() < source.heading().size())
            cells << QString();
        cells << QString::number(row.line)
              << csv::textCell(row.problems.join(QStringLiteral("؛ ")));
        refused.writeRow(cells);
    }
    if (!file.flush())
        throw Error(
            QStringLiteral("تعذر كتابة الملف %1\n%2").arg(isolated(path), file.errorString()));
}

} // namespace simat::case_import
