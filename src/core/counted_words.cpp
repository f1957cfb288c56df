#include "counted_words.h"

namespace simat::arabic {

namespace {

constexpr CountedNoun question{"سؤال واحد", "سؤالان", "سؤالين", "أسئلة", "سؤالاً", "سؤال"};

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
    return QString::number(count) + QLatin1Char(' ') + QString::fromUtf8(word);
}

QString questions(int count, Case grammaticalCase)
{
    return counted(count, question, grammaticalCase);
}

} // namespace simat::arabic
