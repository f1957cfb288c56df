#pragma once

#include <QString>

class QWidget;

namespace simat::messages {

enum class Sound { Beep, Silent };

// Each beeps (unless told to be silent), then shows a modal, right-to-left message box with
// the exact text.
void info(const QString &text, QWidget *parent = nullptr, Sound sound = Sound::Beep);
void error(const QString &text, QWidget *parent = nullptr);
// An error box whose details ("تفاصيل") give the reason the engine gave; under the text it says
// in Arabic what the reason means and what to do, where it is one of failureExplanation().
void error(const QString &text, const QString &reason, QWidget *parent);
// An error box whose text says all there is to say, and whose details give the engine's words.
void errorWithDetails(const QString &text, const QString &details, QWidget *parent);
// Yes and No, No the default; true on Yes.
bool ask(const QString &text, QWidget *parent = nullptr);

inline const QString unsavedQuestion =
    QStringLiteral("تأكد من أنك قمت بحفظ البيانات قبل الاستمرار - هل تريد الاستمرار بدون حفظ "
                   "البيانات؟");

// A folder for a message: its path in its own left-to-right order inside the Arabic sentence.
QString folderText(const QString &filePath);

// The system beep that precedes every message; beepCount() tells how many have sounded.
void beep();
int beepCount();

} // namespace simat::messages
