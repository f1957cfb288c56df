#pragma once

#include <QList>
#include <QString>
#include <utility>

// The audit log as a person reads it: each stored name and value of a log row (a column name,
// a record's key, an answer's stored word, a lookup's code) in the words of the screens.
namespace simat::audit {

// The tables the log names, with their Arabic names.
QList<std::pair<QString, QString>> loggedTables();

// The select columns that a statement over `audit_log a` adds for the screens and the report:
// table_words, record_words, item_words, field_words, old_words and new_words.
QString wordsColumns();

} // namespace simat::audit
