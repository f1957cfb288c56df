#include "report_engine/ligature_text.h"

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QMap>
#include <QRawFont>
#include <QSet>
#include <QTextLayout>
#include <algorithm>
#include <map>
#include <optional>

namespace simat::report {

namespace {

constexpr QChar tatweel(0x0640);
constexpr QChar lam(0x0644);

// The joining contexts of a group of letters, named as Unicode tags their presentation forms.
constexpr QChar::Decomposition contexts[] = {QChar::Isolated, QChar::Final, QChar::Initial,
                                             QChar::Medial};

bool joinsBefore(QChar::Decomposition context)
{
    return context == QChar::Final || context == QChar::Medial;
}

bool joinsAfter(QChar::Decomposition context)
{
    return context == QChar::Initial || context == QChar::Medial;
}

bool isContext(QChar::Decomposition tag)
{
    return std::find(std::begin(contexts), std::end(contexts), tag) != std::end(contexts);
}

bool areArabicLetters(const QString &text)
{
    return text.size() > 1 && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
               return c.script() == QChar::Script_Arabic && c.isLetter();
           });
}

// Unicode's Arabic ligatures: for each group of letters, its presentation form in each joining
// context that Unicode gives one.
using PresentationForms = QMap<QChar::Decomposition, QChar>;

const QMap<QString, PresentationForms> &arabicLigatures()
{
    static const QMap<QString, PresentationForms> ligatures = [] {
        QMap<QString, PresentationForms> found;
        for (const auto &[first, last] : {std::pair{0xFB50, 0xFDFF}, std::pair{0xFE70, 0xFEFF}})
            for (int code = first; code <= last; ++code) {
                const QChar form{char16_t(code)};
                const QChar::Decomposition tag = form.decompositionTag();
                const QString letters = QString(form).normalized(QString::NormalizationForm_KC);
                if (!isContext(tag) || !areArabicLetters(letters))
                    continue;
                PresentationForms &forms = found[letters];
                if (!forms.contains(tag))
                    forms.insert(tag, form);
            }
        return found;
    }();
    return ligatures;
}

// The form for a context that Unicode has none for is the isolated one: the reader is after the
// letters, which every form gives alike.
QChar formIn(const PresentationForms &forms, QChar::Decomposition context)
{
    return forms.value(context, forms.value(QChar::Isolated, forms.first()));
}

QString fontKey(const QRawFont &font)
{
    return font.familyName() + QLatin1Char('\n') + font.styleName();
}

// The glyphs that the font's own character table gives to some character of the basic plane.
QSet<quint32> mappedGlyphs(const QRawFont &font)
{
    QList<QChar> characters;
    characters.reserve(0x10000);
    for (int code = 1; code < 0x10000; ++code)
        if (!QChar::isSurrogate(char32_t(code)))
            characters.append(QChar(char16_t(code)));
    QList<quint32> glyphs(characters.size());
    int count = int(glyphs.size());
    font.glyphIndexesForChars(characters.constData(), int(characters.size()), glyphs.data(),
                              &count);
    return QSet<quint32>(glyphs.cbegin(), glyphs.cbegin() + count);
}

// A ligature as one font forms it in one context: its glyphs and what each is read as.
struct Ligature {
    QList<quint32> glyphs;
    QStringList texts;
};

class LigatureTable {
public:
    void add(const Ligature &ligature)
    {
        QList<Ligature> &starting = m_byFirstGlyph[ligature.glyphs.first()];
        for (const Ligature &known : starting)
            if (known.glyphs == ligature.glyphs)
                return;
        const auto longer = [&ligature](const Ligature &known) {
            return known.glyphs.size() >= ligature.glyphs.size();
        };
        starting.insert(std::partition_point(starting.begin(), starting.end(), longer), ligature);
    }

    // The longest ligature whose glyphs stand in `glyphs` from `at` on.
    const Ligature *startingAt(const QList<quint32> &glyphs, qsizetype at) const
    {
        const auto found = m_byFirstGlyph.constFind(glyphs.at(at));
        if (found == m_byFirstGlyph.cend())
            return nullptr;
        for (const Ligature &ligature : *found)
            if (at + ligature.glyphs.size() <= glyphs.size() &&
                std::equal(ligature.glyphs.cbegin(), ligature.glyphs.cend(), glyphs.cbegin() + at))
                return &ligature;
        return nullptr;
    }

    bool isEmpty() const { return m_byFirstGlyph.isEmpty(); }

private:
    QHash<quint32, QList<Ligature>> m_byFirstGlyph; // the longest first
};

// The glyphs of `letters` joined as `context` says, as `font` shapes them in the font `key`
// names; nothing when they come from another font or do not stand apart from the tatweels that
// join them.
std::optional<QList<quint32>> shapedLetters(const QString &letters, QChar::Decomposition context,
                                            const QFont &font, const QString &key,
                                            quint32 tatweelGlyph)
{
    QString text = letters;
    if (joinsBefore(context))
        text.prepend(tatweel);
    if (joinsAfter(context))
        text.append(tatweel);
    QTextLayout layout(text, font);
    QTextOption option;
    option.setTextDirection(Qt::RightToLeft);
    layout.setTextOption(option);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() != 1 || fontKey(runs.first().rawFont()) != key)
        return std::nullopt;
    QList<quint32> glyphs = runs.first().glyphIndexes();
    if (joinsBefore(context) && !glyphs.isEmpty() && glyphs.first() == tatweelGlyph)
        glyphs.removeFirst();
    else if (joinsBefore(context))
        return std::nullopt;
    if (joinsAfter(context) && !glyphs.isEmpty() && glyphs.last() == tatweelGlyph)
        glyphs.removeLast();
    else if (joinsAfter(context))
        return std::nullopt;
    return glyphs;
}

// The first glyph with a width carries the ligature's character, so that a reader puts it where
// the ligature stands and finds no gap inside its word.
Ligature readAs(const QList<quint32> &glyphs, QChar form, const QRawFont &font)
{
    const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
    const auto wide = std::find_if(advances.cbegin(), advances.cend(),
                                   [](const QPointF &advance) { return advance.x() > 0; });
    Ligature ligature{glyphs, QStringList(glyphs.size())};
    ligature.texts[wide == advances.cend() ? 0 : wide - advances.cbegin()] = form;
    return ligature;
}

// Shapes every Arabic ligature of Unicode in every joining context with `font` and keeps those
// whose glyphs the font's character table does not all know.
LigatureTable probeLigatures(const QFont &font, const QRawFont &runFont)
{
    LigatureTable table;
    if (!runFont.supportsCharacter(lam))
        return table;
    const QString key = fontKey(runFont);
    const QSet<quint32> mapped = mappedGlyphs(runFont);
    const quint32 tatweelGlyph = runFont.glyphIndexesForString(QString(tatweel)).value(0);
    const auto &ligatures = arabicLigatures();
    for (auto group = ligatures.cbegin(); group != ligatures.cend(); ++group)
        for (QChar::Decomposition context : contexts) {
            const auto glyphs = shapedLetters(group.key(), context, font, key, tatweelGlyph);
            if (glyphs && !std::all_of(glyphs->cbegin(), glyphs->cend(),
                                       [&mapped](quint32 glyph) { return mapped.contains(glyph); }))
                table.add(readAs(*glyphs, formIn(group.value(), context), runFont));
        }
    return table;
}

// Built once for each font that a report prints in: a font's glyphs keep their numbers at every
// size.
const LigatureTable &ligatureTable(const QRawFont &runFont, const QFont &font)
{
    static std::map<QString, LigatureTable> tables;
    const QString key = fontKey(runFont);
    auto found = tables.find(key);
    if (found == tables.end())
        found = tables.emplace(key, probeLigatures(font, runFont)).first;
    return found->second;
}

} // namespace

QList<GlyphText> ligatureTexts(const QGlyphRun &run, const QFont &font)
{
    QList<GlyphText> texts;
    const LigatureTable &table = ligatureTable(run.rawFont(), font);
    if (table.isEmpty())
        return texts;
    const QList<quint32> glyphs = run.glyphIndexes();
    for (qsizetype at = 0; at < glyphs.size();) {
        const Ligature *ligature = table.startingAt(glyphs, at);
        if (!ligature) {
            ++at;
            continue;
        }
        for (qsizetype i = 0; i < ligature->glyphs.size(); ++i)
            texts.append({at + i, ligature->texts.at(i)});
        at += ligature->glyphs.size();
    }
    return texts;
}

} // namespace simat::report
