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
#include <algorithm>

namespace simat {

namespace {

const QString digitsOnly =
    QStringLiteral("غير مسموح بإدخال الحروف والرموز الخاصة - مسموح بإدخال الأرقام فقط");

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

bool holdsOnlyDigits(const QString &text)
{
    return std::all_of(text.begin(), text.end(), isDigit);
}

class DigitFilter : public QObject {
public:
    explicit DigitFilter(QLineEdit *box)
        : QObject(box)
        , m_box(box)
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_box)
            return false;
        if (event->type() == QEvent::KeyPress)
            return keyRefused(static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::ContextMenu) {
            showMenu(static_cast<QContextMenuEvent *>(event));
            return true;
        }
        return false;
    }

private:
    bool keyRefused(QKeyEvent *key)
    {
        const QString typed = key->text();
        const bool refused = key->matches(QKeySequence::Paste)
                                 ? !holdsOnlyDigits(QApplication::clipboard()->text())
                                 : std::any_of(typed.begin(), typed.end(), refusedCharacter);
        if (refused)
            messages::info(digitsOnly, m_box->window());
        return refused;
    }

    // The box's own menu, with its Paste checked as the key is.
    void showMenu(QContextMenuEvent *event)
    {
        QMenu *menu = m_box->createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        if (auto *paste = menu->findChild<QAction *>(QStringLiteral("edit-paste"))) {
            paste->disconnect();
            connect(paste, &QAction::triggered, m_box, [box = m_box] {
                if (!holdsOnlyDigits(QApplication::clipboard()->text())) {
                    messages::info(digitsOnly, box->window());
                    return;
                }
                box->paste();
            });
        }
        menu->popup(event->globalPos());
    }

    QLineEdit *m_box;
};

} // namespace

void acceptDigitsOnly(QLineEdit *box)
{
    // Whatever way a text might still come in by, the validator keeps out all but digits.
    box->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
    box->setAcceptDrops(false);
    box->installEventFilter(new DigitFilter(box));
}

} // namespace simat
