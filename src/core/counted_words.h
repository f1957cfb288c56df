#pragma once

#include <QString>

// A number with the noun it counts, as Arabic words it: the noun alone for one and two, a plural
// after 3 to 10, an accusative singular after 11 to 99, a plain singular after 100 and the like.
namespace simat::arabic {

// The forms of a counted noun.
struct CountedNoun {
    const char *one;        // "سؤال واحد"
    const char *two;        // "سؤالان"
    const char *twoOblique; // "سؤالين", after a preposition or as an object
    const char *few;        // "أسئلة", after 3 to 10
    const char *many;       // "سؤالاً", after 11 to 99
    const char *other;      // "سؤال", after 100, 101, 102 and the like, and after 0
};

// How the counted words stand in their sentence: as its subject, or after a preposition ("من")
// or as an object, which only the dual shows.
enum class Case { Nominative, Oblique };

QString counted(int count, const CountedNoun &noun, Case grammaticalCase = Case::Nominative);

// "سؤال واحد", "سؤالان", "3 أسئلة", "11 سؤالاً", "100 سؤال".
QString questions(int count, Case grammaticalCase = Case::Nominative);
// "صف واحد", "صفان", "3 صفوف", "11 صفاً", "5 200 صف".
QString rows(int count, Case grammaticalCase = Case::Nominative);
// "صفحة واحدة", "صفحتان", "3 صفحات", "11 صفحةً", "100 صفحة".
QString pages(int count, Case grammaticalCase = Case::Nominative);

} // namespace simat::arabic
