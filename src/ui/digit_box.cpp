#include "digit_box.h"

#include "messages.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpressionValidator>
#include <QToolTip>
#include <algorithm>

namespace simat {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A character the box would take as text: anything but a control character (Enter, Backspace,
// Tab and the control keys arrive as one).
bool refusedCharacter(QChar c)
{
    return !isDigit(c) && c.category() != QChar::Other_Control;
}

QString digitsOf(const QString &text)
{
    QString digits;
    std::copy_if(text.begin(), text.end(), std::back_inserter(digits), isDigit);
    return digits;
}

void hint(QLineEdit *box, const QString &text)
{
    messages::beep();
    QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())), text, box, {}, 4000);
}

// Pastes the digits of the clipboard's text, and says so when it held anything else.
void pasteDigits(QLineEdit *box, const QString &field)
{
    const QString pasted = QApplication::clipboard()->text();
    const QString digits = digitsOf(pasted);
    box->insert(digits);
    if (digits != pasted)
        hint(box, digitsPastedHint(field));
}

class DigitFilter : public QObject {
public:
    DigitFilter(QLineEdit *box, const QString &field, Digits kind)
        : QObject(box)
        , m_box(box)
        , m_field(field)
        , m_kind(kind)
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_box)
            return false;
        if (event->type() == QEvent::KeyPress)
            return keyTaken(static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::ContextMenu) {
            showMenu(static_cast<QContextMenuEvent *>(event));
            return true;
        }
        return false;
    }

private:
    bool keyTaken(QKeyEvent *key)
    {
        if (key->matches(QKeySequence::Paste)) {
            pasteDigits(m_box, m_field);
            return true;
        }
        const QString typed = key->text();
        const bool refused =
            !takesLeadingPlus(typed) && std::any_of(typed.begin(), typed.end(), refusedCharacter);
        if (refused)
            hint(m_box, digitsOnlyHint(m_field));
        return refused;
    }

    // The box's own menu, its Paste taking the digits as the key does.
    void showMenu(QContextMenuEvent *event)
    {
        QMenu *menu = m_box->createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        if (auto *paste = menu->findChild<QAction *>(QStringLiteral("edit-paste"))) {
            paste->disconnect();
            connect(paste, &QAction::triggered, m_box,
                    [box = m_box, field = m_field] { pasteDigits(box, field); });
        }
        menu->popup(event->globalPos());
    }

    bool takesLeadingPlus(const QString &typed) const
    {
        return m_kind == Digits::AfterAPlus && typed == QLatin1String("+") &&
               m_box->cursorPosition() == 0 && !m_box->text().startsWith(QLatin1Char('+'));
    }

    QLineEdit *m_box;
    QString m_field;
    Digits m_kind;
};

} // namespace

QString digitsOnlyHint(const QString &field)
{
    return QStringLiteral("يقبل هذا الحقل أرقاماً فقط: %1").arg(field);
}

QString digitsPastedHint(const QString &field)
{
    return QStringLiteral("لُصقت الأرقام وحدها - ") + digitsOnlyHint(field);
}

void acceptDigitsOnly(QLineEdit *box, const QString &field, Digits kind)
{
    // Whatever way a text might still come in by, the validator keeps out all but digits.
    const QString digits =
        kind == Digits::AfterAPlus ? QStringLiteral("\\+?[0-9]*") : QStringLiteral("[0-9]*");
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(digits), box));
    box->setAcceptDrops(false);
    box->installEventFilter(new DigitFilter(box, field, kind));
}

} // namespace simat
