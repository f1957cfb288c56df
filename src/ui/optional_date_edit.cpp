#include "optional_date_edit.h"

#include <QCalendarWidget>
#include <QKeyEvent>

namespace simat {

namespace {

const QDate noDate(1900, 1, 1);

bool startsADate(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Up || key->key() == Qt::Key_Down;
}

} // namespace

OptionalDateEdit::OptionalDateEdit(QWidget *parent)
    : DateBox(parent)
{
    setMinimumDate(noDate);
    setSpecialValueText(QStringLiteral(" "));
    setDate(noDate);
}

bool OptionalDateEdit::showsNoDate() const
{
    return date() == noDate;
}

QDate OptionalDateEdit::chosenDate() const
{
    return showsNoDate() ? QDate() : date();
}

void OptionalDateEdit::showDate(const QDate &date)
{
    setDate(date.isValid() ? date : noDate);
}

void OptionalDateEdit::startFromToday()
{
    setDate(QDate::currentDate());
    setSelectedSection(sectionAt(0));
}

void OptionalDateEdit::openCalendarOnToday()
{
    if (!showsNoDate() || !calendarPopup() || !calendarWidget()->isVisible())
        return;
    const QDate today = QDate::currentDate();
    calendarWidget()->setCurrentPage(today.year(), today.month());
}

void OptionalDateEdit::keyPressEvent(QKeyEvent *event)
{
    if (showsNoDate() && startsADate(event))
        startFromToday();
    DateBox::keyPressEvent(event);
    openCalendarOnToday();
}

void OptionalDateEdit::mousePressEvent(QMouseEvent *event)
{
    DateBox::mousePressEvent(event);
    openCalendarOnToday();
}

void OptionalDateEdit::wheelEvent(QWheelEvent *event)
{
    if (showsNoDate())
        startFromToday();
    DateBox::wheelEvent(event);
}

// The sections of a blank box cannot be stepped through.
bool OptionalDateEdit::focusNextPrevChild(bool next)
{
    return showsNoDate() ? QWidget::focusNextPrevChild(next) : DateBox::focusNextPrevChild(next);
}

} // namespace simat
