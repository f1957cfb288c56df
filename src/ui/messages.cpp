#include "messages.h"

#include "data/alias.h"
#include "data/database.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace simat::messages {

namespace {

int beeps = 0;

const QString unknownFailure = QStringLiteral("حدث خطأ غير متوقع");
const QString unknownReason = QStringLiteral("لم يذكر محرك قاعدة البيانات سبب الخطأ");

QString orIfEmpty(const QString &text, const QString &otherwise)
{
    return text.trimmed().isEmpty() ? otherwise : text;
}

QMessageBox::StandardButton show(QMessageBox::Icon icon, const QString &text,
                                 QMessageBox::StandardButtons buttons, QWidget *parent,
                                 Sound sound = Sound::Beep, const QString &details = {})
{
    if (sound == Sound::Beep)
        beep();
    QMessageBox box(icon, QStringLiteral("سمات"), withoutPasswords(text), buttons, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setDetailedText(withoutPasswords(details));
    box.setLayoutDirection(Qt::RightToLeft);
    box.setWindowModality(Qt::ApplicationModal);
    if (buttons & QMessageBox::No)
        box.setDefaultButton(QMessageBox::No);
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

bool ask(const QString &text, QWidget *parent)
{
    return show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, parent) ==
           QMessageBox::Yes;
}

QString folderText(const QString &filePath)
{
    return QStringLiteral("\u2066%1\u2069")
        .arg(QDir::toNativeSeparators(QFileInfo(filePath).absolutePath()));
}

} // namespace simat::messages
