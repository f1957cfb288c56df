#include "counted_words.h"

#include "numbers.h"

namespace simat::arabic {

namespace {

constexpr CountedNoun question{"سؤال واحد", "سؤالان", "سؤالين", "أسئلة", "سؤالاً", "سؤال"};
constexpr CountedNoun row{"صف واحد", "صفان", "صفين", "صفوف", "صفاً", "صف"};
constexpr CountedNoun page{"صفحة واحدة", "صفحتان", "صفحتين", "صفحات", "صفحةً", "صفحة"};

} // namespace

QString counted(int count, const CountedNoun &noun, Case grammaticalCase)
{
    if (count == 1)
        return QString::fromUtf8(noun.one);
    if (count == 2)
        return QString::fromUtf8(grammaticalCase == Case::Oblique ? noun.twoOblique : noun.two);
    const int lastTwo = count % 100;
    const char *word = lastTwo >= 3 && lastTwo <= 10 ? noun.few
                       : lastTwo >= 11               ? noun.many
                                                     : noun.other;
    return groupedNumber(count) + QLatin1Char(' ') + QString::fromUtf8(word);
}

QString questions(int count, Case grammaticalCase)
{
    return counted(count, question, grammaticalCase);
}

QString rows(int count, Case grammaticalCase)
{
    return counted(count, row, grammaticalCase);
}

QString pages(int count, Case grammaticalCase)
{
    return counted(count, page, grammaticalCase);
}

} // namespace simat::arabic
