#include "text_search.h"

#include "core/error.h"
#include "database.h"
#include "statement.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <limits>
#include <sqlite3.h>

namespace simat::search {

namespace {

struct SameLetter {
    char16_t written;
    char16_t read;
};

constexpr SameLetter sameLetters[] = {
    {u'\u0623', u'\u0627'}, {u'\u0625', u'\u0627'}, {u'\u0622', u'\u0627'},
    {u'\u0671', u'\u0627'}, {u'\u0629', u'\u0647'}, {u'\u0649', u'\u064A'},
};

bool isIgnored(char16_t letter)
{
    return (letter >= 0x064B && letter <= 0x065F) || letter == 0x0670 || letter == 0x0640;
}

QString ignoredLetters()
{
    QString letters;
    for (char16_t letter = 0x064B; letter <= 0x065F; ++letter)
        letters += QChar(letter);
    return letters + QChar(0x0670) + QChar(0x0640);
}

char16_t readLetter(char16_t letter)
{
    if (letter >= u'A' && letter <= u'Z')
        return letter - u'A' + u'a';
    for (const SameLetter &same : sameLetters)
        if (same.written == letter)
            return same.read;
    return letter;
}

// The reader form in PostgreSQL's terms: one translate() over the same letters, in which the
// letters without a counterpart are dropped.
QString postgresReaderForm(const QString &argument)
{
    QString written;
    QString read;
    for (const SameLetter &same : sameLetters) {
        written += QChar(same.written);
        read += QChar(same.read);
    }
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        written += QChar(letter);
        read += QChar(readLetter(letter));
    }
    return QStringLiteral("translate(%1, '%2', '%3')")
        .arg(argument, written + ignoredLetters(), read);
}

// The positions 0, 1, ... of a text in the SQL that every SQLite has, as the keys of a JSON
// array of one element more: a trigger may not hold a common table expression that counts.
QString positionsOf(const QString &text)
{
    return QStringLiteral("json_each('[' || replace(hex(zeroblob(length(%1))), '00', '0,') || "
                          "'0]')")
        .arg(text);
}

// The reader form in the SQL that every SQLite has: each letter read as readerForm() reads it,
// joined again in order. (A replace() for each letter would nest deeper than SQLite parses.)
QString plainSqlReaderForm(const QString &argument)
{
    QString cases;
    for (const SameLetter &same : sameLetters)
        cases +=
            QStringLiteral("when c = '%1' then '%2' ").arg(QChar(same.written), QChar(same.read));
    QStringList ignored;
    for (const QChar letter : ignoredLetters())
        ignored << QString::number(letter.unicode());
    return QStringLiteral(
               "(select group_concat(case %1when unicode(c) between 65 and 90 then "
               "char(unicode(c) + 32) when unicode(c) in (%2) then '' else c end, '') from "
               "(select substr(%3, p.key + 1, 1) as c from %4 as p where p.key < length(%3) "
               "order by p.key))")
        .arg(cases, ignored.join(QLatin1Char(',')), argument, positionsOf(argument));
}

// shortGrams() of the reader form f in the SQL that every SQLite has: the distinct letters and
// pairs, each closed by its marks, in order.
QString plainSqlShortGrams(const QString &form)
{
    return QStringLiteral(
               "(select group_concat(g, '') from (select distinct substr(r.f, p.key + 1, "
               "n.value) || substr(char(1, 1), n.value) as g from (select %1 as f) as r, %2 as "
               "p, json_each('[1,2]') as n where p.key + n.value <= length(r.f) order by g))")
        .arg(form, positionsOf(QStringLiteral("r.f")));
}

// The index of the case names. On SQLite an FTS5 table of trigrams kept by triggers: the
// reader form of the name for three letters or more, and for one or two letters every distinct
// letter and pair of the name closed by a mark that no name holds, so that each is one trigram.
constexpr char16_t gramMark = u'\u0001';
// Tatweel: what joins the words of a searched name on PostgreSQL.
constexpr char16_t wordJoiner = u'\u0640';
const QString indexedTable = QStringLiteral("student");
const QString indexedCode = QStringLiteral("stud_code");
const QString indexedName = QStringLiteral("stud_name");
const QString sqliteIndex = QStringLiteral("student_name_search");

// Letters as the engines count them: a letter beyond the 16-bit range is one, not two.
QList<uint> lettersOf(const QString &form)
{
    return form.toUcs4();
}

QString shortGrams(const QString &form)
{
    const QList<uint> letters = lettersOf(form);
    QSet<QString> grams;
    for (qsizetype i = 0; i < letters.size(); ++i) {
        const auto *at = reinterpret_cast<const char32_t *>(letters.constData() + i);
        grams.insert(QString::fromUcs4(at, 1) + gramMark + gramMark);
        if (i + 1 < letters.size())
            grams.insert(QString::fromUcs4(at, 2) + gramMark);
    }
    // In a fixed order: a row leaves the index only by the very text it entered it with.
    QStringList sorted(grams.begin(), grams.end());
    sorted.sort();
    return sorted.join(QString());
}

// The FTS5 query for a text of one letter or more: a phrase of its trigrams, or its gram.
QString trigramQuery(const QString &text)
{
    const QString form = readerForm(text);
    const qsizetype letters = lettersOf(form).size();
    QString phrase = form;
    phrase.replace(QLatin1Char('"'), QLatin1String("\"\""));
    if (letters >= 3)
        return QStringLiteral("search_name : \"%1\"").arg(phrase);
    const QString marks(3 - letters, QChar(gramMark));
    return QStringLiteral("short_grams : \"%1%2\"").arg(phrase, marks);
}

QString textArgument(sqlite3_value *value)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(value)),
                             sqlite3_value_bytes(value));
}

template <QString (*transform)(const QString &)>
void sqliteFunction(sqlite3_context *context, int, sqlite3_value **arguments)
{
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const QByteArray result = transform(textArgument(arguments[0])).toUtf8();
    sqlite3_result_text(context, result.constData(), int(result.size()), SQLITE_TRANSIENT);
}

QString shortGramsOfName(const QString &name)
{
    return shortGrams(readerForm(name));
}

// What the index holds of a row of student; `row` is new, old or student.
QString indexedValues(IndexSql sql, const QString &row)
{
    const QString name = row + QLatin1String(".stud_name");
    if (sql == IndexSql::ProgramFunctions)
        return QStringLiteral("%1.stud_code, simat_reader_form(%2), simat_short_grams(%2)")
            .arg(row, name);
    const QString form = plainSqlReaderForm(name);
    return QStringLiteral("%1.stud_code, %2, %3").arg(row, form, plainSqlShortGrams(form));
}

QStringList sqliteIndexTexts(IndexSql sql)
{
    const QString insertNew =
        QStringLiteral("insert into %1 (rowid, search_name, short_grams) values (%2);")
            .arg(sqliteIndex, indexedValues(sql, QStringLiteral("new")));
    const QString deleteOld =
        QStringLiteral(
            "insert into %1 (%1, rowid, search_name, short_grams) values ('delete', %2);")
            .arg(sqliteIndex, indexedValues(sql, QStringLiteral("old")));
    return {
        QStringLiteral("create virtual table if not exists %1 using fts5(search_name, "
                       "short_grams, content='', tokenize='trigram case_sensitive 1')")
            .arg(sqliteIndex),
        QStringLiteral("insert into %1 (%1) values ('delete-all')").arg(sqliteIndex),
        QStringLiteral("insert into %1 (rowid, search_name, short_grams) select %2 from student")
            .arg(sqliteIndex, indexedValues(sql, QStringLiteral("student"))),
        QStringLiteral(
            "create trigger if not exists %1_insert after insert on student begin %2 end")
            .arg(sqliteIndex, insertNew),
        QStringLiteral(
            "create trigger if not exists %1_delete after delete on student begin %2 end")
            .arg(sqliteIndex, deleteOld),
        QStringLiteral("create trigger if not exists %1_update after update of stud_code, "
                       "stud_name on student "
                       "begin %2 %3 end")
            .arg(sqliteIndex, deleteOld, insertNew),
    };
}

// The short grams of the form `form` of t, in PostgreSQL's terms, as an SQL function's body:
// each letter, and each pair at an even and at an odd offset.
QString postgresGramsOf(const QString &form)
{
    const QString pairs =
        QStringLiteral("string_to_array(regexp_replace(%1, '(..)', '\\1' || chr(1), 'g'), "
                       "chr(1))");
    return QStringLiteral("select %1 || %2 || regexp_split_to_array(f, '') from (select %3 as "
                          "f) as r")
        .arg(pairs.arg(QLatin1String("f")), pairs.arg(QLatin1String("substr(f, 2)")), form);
}

// The reader form is a PL/pgSQL function of a declared cost, so that PostgreSQL keeps it as a
// call of that cost (an SQL function would be inlined as a cheap expression) and reads the
// trigram index rather than computing it over the rows. The short grams, indexed too, are
// tested row by row while most names hold the letter; their cost, that of a thousand
// operators (10 µs a name), makes PostgreSQL read their index for a letter that few names hold
// or none, rather than test a million names. Registers of the versions before the table of
// searched names indexed the names so.
QStringList postgresFunctionTexts()
{
    const QString form = postgresReaderForm(QStringLiteral("t"));
    return {
        QStringLiteral("create or replace function simat_reader_form(t text) returns text "
                       "language plpgsql immutable strict parallel safe cost 100 as $$ begin "
                       "return %1; end $$")
            .arg(form),
        QStringLiteral("create or replace function simat_short_grams(t text) returns text[] "
                       "language sql immutable strict parallel safe cost 1000 as $$ %1 $$")
            .arg(postgresGramsOf(form)),
    };
}

QStringList postgresIndexTexts()
{
    return postgresFunctionTexts() +
           QStringList{
               QStringLiteral("create extension if not exists pg_trgm"),
               QStringLiteral(
                   "create index if not exists student_name_trigrams on student using gin "
                   "(simat_reader_form(stud_name) gin_trgm_ops)"),
               QStringLiteral(
                   "create index if not exists student_name_short_grams on student using "
                   "gin (simat_short_grams(stud_name))"),
           };
}

// The table of searched names keeps each case's name as it is searched, beside the case's
// code: its reader form with the words joined by tatweel, a letter that no reader form holds
// and that pg_trgm counts as a letter, so that a text of two words is looked up by the
// trigrams across its words too, and its short grams. A trigger keeps it as the names change,
// so that a search compares stored texts rather than computing each name's form.
const QString searchedNames = QStringLiteral("student_search");
// Every short gram that a searched name has held. PostgreSQL guesses that a gram it has not
// seen in its sample is held by one name in two hundred, and would then read a million names
// in order for a letter that none holds; the search of a gram that no name has held stops at
// this table instead. A gram whose last name is renamed stays: its search reads in vain.
const QString searchedGrams = QStringLiteral("student_search_gram");

QStringList searchedNamesFunctionTexts()
{
    return {
        QStringLiteral("create or replace function simat_search_form(t text) returns text "
                       "language sql immutable strict parallel safe as $$ select "
                       "replace(simat_reader_form(t), ' ', '%1') $$")
            .arg(QChar(wordJoiner)),
        QStringLiteral("create or replace function simat_search_grams(t text) returns text[] "
                       "language sql immutable strict parallel safe as $$ %1 $$")
            .arg(postgresGramsOf(QStringLiteral("simat_search_form(t)"))),
        QStringLiteral(
            "create or replace function simat_keep_searched_name() returns trigger language "
            "plpgsql as $$ declare grams text[]; begin if tg_op <> 'INSERT' then delete from "
            "%1 where stud_code = old.stud_code; end if; if tg_op <> 'DELETE' then insert into "
            "%1 (stud_code, name_form, short_grams) values (new.stud_code, "
            "simat_search_form(new.stud_name), simat_search_grams(new.stud_name)) returning "
            "short_grams into grams; insert into %2 select distinct unnest(grams) on conflict "
            "do nothing; end if; return null; end $$")
            .arg(searchedNames, searchedGrams),
    };
}

QStringList searchedNamesTableTexts()
{
    return searchedNamesFunctionTexts() +
           QStringList{
               QStringLiteral("create extension if not exists pg_trgm"),
               QStringLiteral("create table if not exists %1 (stud_code integer primary key, "
                              "name_form text, short_grams text[])")
                   .arg(searchedNames),
               QStringLiteral("create table if not exists %1 (gram text primary key)")
                   .arg(searchedGrams),
               QStringLiteral("create or replace trigger %1_kept after insert or delete or "
                              "update of stud_code, stud_name on student for each row execute "
                              "function simat_keep_searched_name()")
                   .arg(searchedNames),
           };
}

QStringList searchedNamesIndexTexts()
{
    return {
        QStringLiteral("set local maintenance_work_mem = '128MB'"),
        QStringLiteral("create index if not exists %1_trigrams on %1 using gin (name_form "
                       "gin_trgm_ops)")
            .arg(searchedNames),
        QStringLiteral("create index if not exists %1_short_grams on %1 using gin (short_grams)")
            .arg(searchedNames),
        QStringLiteral("drop index if exists student_name_trigrams, student_name_short_grams"),
        QStringLiteral("analyze %1").arg(searchedNames),
    };
}

// Cases written into the table of searched names at a time while it is filled.
constexpr int casesFilledAtOnce = 20000;

qint64 countOfCases(Database &database)
{
    QSqlQuery query(database.connection());
    if (!query.exec(QStringLiteral("select count(*) from student")) || !query.next())
        throw Error(query.lastError().text());
    return query.value(0).toLongLong();
}

// Writes the searched name of every case anew, reporting how many are written.
void fillSearchedNames(Database &database)
{
    const Database::Progress &progress = database.migrationProgress();
    const qint64 cases = countOfCases(database);
    database.execute(QStringLiteral("delete from %1").arg(searchedNames));
    database.execute(QStringLiteral("delete from %1").arg(searchedGrams));
    qint64 filled = 0;
    qint64 lastCode = std::numeric_limits<qint64>::min();
    for (;;) {
        QSqlQuery batch(database.connection());
        if (!batch.exec(
                QStringLiteral("with written as (insert into %1 (stud_code, name_form, "
                               "short_grams) select stud_code, simat_search_form(stud_name), "
                               "simat_search_grams(stud_name) from student where stud_code "
                               "> %3 order by stud_code limit %4 returning stud_code, "
                               "short_grams), grams as (insert into %2 select distinct "
                               "unnest(short_grams) from written on conflict do nothing) "
                               "select count(*), max(stud_code) from written")
                    .arg(searchedNames, searchedGrams)
                    .arg(lastCode)
                    .arg(casesFilledAtOnce)) ||
            !batch.next())
            throw Error(batch.lastError().text());
        const int written = batch.value(0).toInt();
        filled += written;
        if (written > 0 && progress && !progress(filled, std::max(cases, filled)))
            throw Error(Database::migrationStoppedText());
        if (written < casesFilledAtOnce)
            return;
        lastCode = batch.value(1).toLongLong();
    }
}

void keepSearchedNames(Database &database)
{
    for (const QString &text : searchedNamesTableTexts())
        database.execute(text);
    fillSearchedNames(database);
    for (const QString &text : searchedNamesIndexTexts())
        database.execute(text);
}

// A condition that holds where the text `value` contains the text `part`: "%", "_" and "\" in
// `part` are the letters they are.
QString likeCondition(const QString &value, const QString &part)
{
    return QStringLiteral("%1 like '%' || replace(replace(replace(%2, '\\', '\\\\'), '%', "
                          "'\\%'), '_', '\\_') || '%' escape '\\'")
        .arg(value, part);
}

bool holdsNameIndex(Database &database, PostgresIndex postgres)
{
    QSqlQuery query(database.connection());
    QString text;
    if (database.engine() == Engine::SQLite)
        text = QStringLiteral("select count(*) from sqlite_master where type='trigger' and "
                              "name='%1_update'")
                   .arg(sqliteIndex);
    else if (postgres == PostgresIndex::OnNames)
        text = QStringLiteral("select count(*) from pg_indexes where schemaname=current_schema() "
                              "and indexname='student_name_short_grams'");
    else
        text = QStringLiteral("select count(*) from pg_indexes where schemaname=current_schema() "
                              "and indexname='%1_short_grams'")
                   .arg(searchedNames);
    if (!query.exec(text) || !query.next())
        throw Error(query.lastError().text());
    return query.value(0).toInt() > 0;
}

// The condition on a searched name that holds where it contains the text bound to :param.
QString searchedNameCondition(const QString &param, const QString &text)
{
    const QString name = searchedNames + QLatin1String(".name_form");
    const QString typed = QStringLiteral("simat_search_form(:%1)").arg(param);
    if (lettersOf(readerForm(text)).size() < 3)
        return QStringLiteral("exists (select from %1 where gram = %2) and %3.short_grams @> "
                              "array[%2]")
            .arg(searchedGrams, typed, searchedNames);
    return likeCondition(name, typed);
}

} // namespace

QString readerForm(const QString &text)
{
    QString form;
    form.reserve(text.size());
    for (const QChar letter : text)
        if (!isIgnored(letter.unicode()))
            form += QChar(readLetter(letter.unicode()));
    return form;
}

QString containsCondition(const QString &column, const QString &param, Comparison comparison)
{
    const QString form = comparison == Comparison::AsReader
                             ? QStringLiteral("simat_reader_form(%1)")
                             : QStringLiteral("%1");
    return likeCondition(form.arg(column), form.arg(QLatin1Char(':') + param));
}

CaseSearch caseNameSearch(Engine engine, const QString &caseAlias, const QString &param,
                          const QString &text)
{
    if (lettersOf(readerForm(text)).isEmpty())
        return {QString(), containsCondition(indexedName, param)};
    if (engine == Engine::SQLite)
        return {QString(),
                QStringLiteral("%1 in (select rowid from %2 where %2 match simat_name_query(:%3))")
                    .arg(indexedCode, sqliteIndex, param)};
    return {
        QStringLiteral("join %1 on %1.stud_code=%2.%3").arg(searchedNames, caseAlias, indexedCode),
        searchedNameCondition(param, text)};
}

void shapeNameSearch(Statement &statement, Engine engine, const QString &table,
                     const QString &codeColumn, const QString &nameColumn, const QString &text)
{
    const QString code = Statement::identifier(codeColumn);
    const QString name = Statement::identifier(nameColumn);
    statement.setLines({QStringLiteral("select"), code, QStringLiteral("as code,"), name,
                        QStringLiteral("as name,*"), QStringLiteral("from"),
                        Statement::identifier(table), QStringLiteral("where"),
                        containsCondition(name, QStringLiteral("acc_aname")),
                        // A streamed search reads its pages in one order, whatever the plan.
                        QStringLiteral("order by 1")});
    if (lettersOf(readerForm(text)).isEmpty()) {
        statement.setLine(8, QStringLiteral("%1 is not null").arg(name));
        return;
    }
    if (table != indexedTable || code != indexedCode || name != indexedName)
        return;
    const bool sqlite = engine == Engine::SQLite;
    const QString index = sqlite ? sqliteIndex : searchedNames;
    const QString indexCode = sqlite ? QStringLiteral("%1.rowid").arg(sqliteIndex)
                                     : QStringLiteral("%1.stud_code").arg(searchedNames);
    statement.setLine(1, QStringLiteral("student.stud_code"));
    statement.setLine(3, QStringLiteral("student.stud_name"));
    statement.setLine(4, QStringLiteral("as name, student.*"));
    statement.setLine(
        6,
        QStringLiteral("%1 %2 student on student.stud_code = %3")
            .arg(index, sqlite ? QStringLiteral("cross join") : QStringLiteral("join"), indexCode));
    statement.setLine(
        8, sqlite ? QStringLiteral("%1 match simat_name_query(:acc_aname)").arg(sqliteIndex)
                  : searchedNameCondition(QStringLiteral("acc_aname"), text));
    statement.setLine(9, QStringLiteral("order by %1").arg(indexCode));
}

bool registerSqliteFunctions(sqlite3 *connection)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    const auto add = [&](const char *name,
                         void (*function)(sqlite3_context *, int, sqlite3_value **)) {
        return sqlite3_create_function_v2(connection, name, 1, flags, nullptr, function, nullptr,
                                          nullptr, nullptr) == SQLITE_OK;
    };
    return add("simat_reader_form", sqliteFunction<readerForm>) &&
           add("simat_short_grams", sqliteFunction<shortGramsOfName>) &&
           add("simat_name_query", sqliteFunction<trigramQuery>);
}

void prepareNameIndex(Database &database, IndexSql sql, PostgresIndex postgres)
{
    if (holdsNameIndex(database, postgres))
        return;
    if (database.engine() == Engine::PostgreSQL) {
        if (postgres == PostgresIndex::OnNames) {
            for (const QString &text : postgresIndexTexts())
                database.execute(text);
        } else if (!database.inTransaction([&] { keepSearchedNames(database); })) {
            throw Error(database.lastFailure());
        }
        return;
    }
    database.execute(QStringLiteral("savepoint name_index"));
    try {
        for (const QString &text : sqliteIndexTexts(sql))
            database.execute(text);
    } catch (const Error &) {
        database.execute(QStringLiteral("rollback to name_index"));
        database.execute(QStringLiteral("release name_index"));
        throw;
    }
    database.execute(QStringLiteral("release name_index"));
}

QString keepNamesInSearchedNames(Database &database)
{
    if (database.engine() == Engine::PostgreSQL)
        keepSearchedNames(database);
    return {};
}

QStringList tablesOfSearchedNames()
{
    return {searchedNames, searchedGrams};
}

QString writeNameFunctionsAnew(Database &database)
{
    if (database.engine() != Engine::PostgreSQL)
        return {};
    for (const QString &text : postgresFunctionTexts())
        database.execute(text);
    return {};
}

QString writeNameIndexInPlainSql(Database &database)
{
    if (database.engine() != Engine::SQLite)
        return {};
    for (const char *trigger : {"insert", "delete", "update"})
        database.execute(QStringLiteral("drop trigger if exists %1_%2")
                             .arg(sqliteIndex, QLatin1String(trigger)));
    for (const QString &text : sqliteIndexTexts(IndexSql::PlainSql))
        database.execute(text);
    return {};
}

} // namespace simat::search
