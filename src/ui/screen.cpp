#include "screen.h"

#include "action.h"
#include "jpeg.h"
#include "messages.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QShortcut>

namespace simat {

namespace {

const char *buttonForKey(int key)
{
    switch (key) {
    case Qt::Key_F2:
        return "spNew";
    case Qt::Key_F4:
        return "spDelete";
    case Qt::Key_F5:
        return "spRun";
    case Qt::Key_F6:
        return "spCloseRep";
    case Qt::Key_F8:
        return "spSave";
    case Qt::Key_F9:
        return "spPrint";
    case Qt::Key_F12:
        return "spExit";
    default:
        return nullptr;
    }
}

// A box the user types or chooses a value in; the line edit inside a spin box or a combo box
// is part of that one field.
bool isEntryField(const QWidget *widget)
{
    if (!widget->isVisible() || !widget->isEnabled() || !(widget->focusPolicy() & Qt::TabFocus))
        return false;
    if (const auto *line = qobject_cast<const QLineEdit *>(widget))
        return !line->isReadOnly() && !qobject_cast<const QAbstractSpinBox *>(line->parent()) &&
               !qobject_cast<const QComboBox *>(line->parent());
    if (const auto *spin = qobject_cast<const QAbstractSpinBox *>(widget))
        return !spin->isReadOnly();
    return qobject_cast<const QComboBox *>(widget);
}

// A button that a level or a closed test hides leaves its space, so that no other button
// moves under the pointer.
void keepPlaceWhenHidden(QWidget *button)
{
    QSizePolicy policy = button->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    button->setSizePolicy(policy);
}

constexpr Qt::WindowFlags screenFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

} // namespace

TScreen::TScreen(QWidget *parent)
    : QWidget(parent, screenFlags)
{
    setLayoutDirection(Qt::RightToLeft);
}

void TScreen::showScreen()
{
    if (!isVisible()) {
        show();
        return;
    }
    raise();
    activateWindow();
}

QAbstractButton *TScreen::functionKeyButton(int key) const
{
    const char *name = buttonForKey(key);
    return name ? findChild<QAbstractButton *>(QLatin1String(name)) : nullptr;
}

void TScreen::installFunctionKeys()
{
    for (int key :
         {Qt::Key_F2, Qt::Key_F4, Qt::Key_F5, Qt::Key_F6, Qt::Key_F8, Qt::Key_F9, Qt::Key_F12}) {
        QAbstractButton *button = functionKeyButton(key);
        if (!button)
            continue;
        keepPlaceWhenHidden(button);
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, guarded(this, [this, key] {
                    QAbstractButton *button = functionKeyButton(key);
                    if (button && button->isVisible() && button->isEnabled())
                        button->click();
                }));
    }
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, guarded(this, [this] { close(); }));
}

bool TScreen::mayDropUnsavedChanges()
{
    return !hasUnsavedChanges() || messages::ask(messages::unsavedQuestion, this);
}

void TScreen::closeEvent(QCloseEvent *event)
{
    if (!mayDropUnsavedChanges()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

QList<QWidget *> TScreen::entryFields() const
{
    QList<QWidget *> fields;
    for (QWidget *next = nextInFocusChain(); next && next != this; next = next->nextInFocusChain())
        if (next->window() == this && isEntryField(next))
            fields << next;
    return fields;
}

void TScreen::pressDefaultButton()
{
    for (int key : {Qt::Key_F8, Qt::Key_F5}) {
        QAbstractButton *button = functionKeyButton(key);
        if (button && button->isVisible() && button->isEnabled()) {
            button->click();
            return;
        }
    }
}

void TScreen::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    QWidget *field = focusWidget();
    if (!m_movesOnEnter || !enter || !field || !isEntryField(field)) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    moveToNextEntryField(field);
}

void TScreen::moveToNextEntryField(QWidget *field)
{
    const QList<QWidget *> fields = entryFields();
    const qsizetype at = fields.indexOf(field);
    if (at >= 0 && at + 1 < fields.size()) {
        fields.at(at + 1)->setFocus(Qt::TabFocusReason);
        return;
    }
    runAction(this, [this] { enterInLastField(); });
}

void TScreen::setBackgroundPicture(const QString &resourceName)
{
    m_background = jpeg::resourcePicture(resourceName);
    setAttribute(Qt::WA_OpaquePaintEvent, !m_background.isNull());
    update();
}

void TScreen::paintEvent(QPaintEvent *event)
{
    if (m_background.isNull()) {
        QWidget::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.drawImage(rect(), m_background);
}

void TScreen::showEvent(QShowEvent *event)
{
    if (!m_centred)
        centreOnScreen();
    runAction(this, [this] { FormShow(); });
    QWidget::showEvent(event);
}

void TScreen::centreOnScreen()
{
    m_centred = true;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

} // namespace simat
