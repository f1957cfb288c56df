#pragma once

#include <QList>
#include <QString>

// The fields of a case as a spreadsheet carries them: what an import reads and an export of
// the cases writes, each with its Arabic caption and its export name (its column of student).
namespace simat::case_fields {

enum class Kind {
    Text,
    Digits, // digits alone, as the case form's digit boxes take them
    Date,
    Lookup, // the name of a row of a lookup table, stored as its code
    Active, // "نشط" or "موقوف" (1 or 0)
};

struct Lookup {
    QString table;
    QString codeColumn;
    QString nameColumn;
    // Whether an import may add a name that no row carries (the genders stay as installed).
    bool open = true;
};

struct Field {
    QString column;
    QString caption;
    Kind kind;
    Lookup lookup{};
};

// Every field of the case form, in the order of the form's groups; the case code and the Hijri
// birth date, which the program gives, are not among them.
const QList<Field> &fields();

// "نشط" for an active case (is_active 1), "موقوف" for one that is not.
QString activeWord(bool active);

// "stud_name (الاسم)": a column's title in the export, which the import reads back.
QString heading(const Field &field);

// The field a column title names: its caption, its export name or both as heading() writes
// them, blanks, letter case and the reader's Arabic letter forms aside; -1 for none.
int fieldNamed(const QString &title);

} // namespace simat::case_fields
