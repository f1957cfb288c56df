#include "messages.h"

#include "core/bidi.h"
#include "data/alias.h"
#include "data/database.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace simat::messages {

namespace {

int beeps = 0;

const QString unknownFailure = QStringLiteral("حدث خطأ غير متوقع");
const QString unknownReason = QStringLiteral("لم يذكر محرك قاعدة البيانات سبب الخطأ");

QString orIfEmpty(const QString &text, const QString &otherwise)
{
    return text.trimmed().isEmpty() ? otherwise : text;
}

const QString title = QStringLiteral("سمات");

// The window manager draws the title beside the window's icon and its own buttons, in a font
// of its choice: the box is kept wide enough for all of them, so that the title is never cut.
void keepTitleWhole(QMessageBox &box)
{
    QFont titleFont = box.font();
    titleFont.setBold(true);
    constexpr int windowButtonsAndIcon = 5 * 32;
    const int width = 2 * QFontMetrics(titleFont).horizontalAdvance(title) + windowButtonsAndIcon;
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (grid)
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

QMessageBox::StandardButton show(QMessageBox::Icon icon, const QString &text,
                                 QMessageBox::StandardButtons buttons, QWidget *parent,
                                 Sound sound = Sound::Beep, const QString &details = {})
{
    if (sound == Sound::Beep)
        beep();
    QMessageBox box(icon, title, withoutPasswords(text), buttons, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setDetailedText(withoutPasswords(details));
    box.setLayoutDirection(Qt::RightToLeft);
    box.setWindowModality(Qt::ApplicationModal);
    if (buttons & QMessageBox::No)
        box.setDefaultButton(QMessageBox::No);
    keepTitleWhole(box);
    return QMessageBox::StandardButton(box.exec());
}

} // namespace

void beep()
{
    ++beeps;
    QApplication::beep();
}

int beepCount()
{
    return beeps;
}

void info(const QString &text, QWidget *parent, Sound sound)
{
    show(QMessageBox::Information, text, QMessageBox::Ok, parent, sound);
}

void error(const QString &text, QWidget *parent)
{
    show(QMessageBox::Critical, orIfEmpty(text, unknownFailure), QMessageBox::Ok, parent);
}

void error(const QString &text, const QString &reason, QWidget *parent)
{
    QString shown = orIfEmpty(text, unknownFailure);
    if (const QString explanation = failureExplanation(reason); !explanation.isEmpty())
        shown += QLatin1Char('\n') + explanation;
    show(QMessageBox::Critical, shown, QMessageBox::Ok, parent, Sound::Beep,
         orIfEmpty(reason, unknownReason));
}

void errorWithDetails(const QString &text, const QString &details, QWidget *parent)
{
    show(QMessageBox::Critical, orIfEmpty(text, unknownFailure), QMessageBox::Ok, parent,
         Sound::Beep, orIfEmpty(details, unknownReason));
}

bool ask(const QString &text, QWidget *parent)
{
    return show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, parent) ==
           QMessageBox::Yes;
}

QString folderText(const QString &filePath)
{
    return isolated(QDir::toNativeSeparators(QFileInfo(filePath).absolutePath()));
}

} // namespace simat::messages
