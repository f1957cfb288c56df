#include "date_box.h"

#include "core/bidi.h"
#include "core/typed_date.h"
#include "messages.h"

#include <QCalendarWidget>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTextCharFormat>
#include <QTimer>

namespace simat {

namespace {

const QDate earliestDate(1900, 1, 1);
const QString shownFormat = QStringLiteral("dd/MM/yyyy");

// Arabic names with the Latin digits of the rest of the program.
QLocale calendarLocale()
{
    QLocale locale(QLocale::Arabic, QLocale::WesternSahara);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

QCalendarWidget *arabicCalendar(QWidget *parent)
{
    auto *calendar = new QCalendarWidget(parent);
    calendar->setLocale(calendarLocale());
    calendar->setLayoutDirection(Qt::RightToLeft);
    calendar->setFirstDayOfWeek(Qt::Saturday);
    calendar->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar->setGridVisible(true);
    QTextCharFormat weekend;
    weekend.setForeground(QColor(0xb0, 0x30, 0x30));
    QTextCharFormat workday;
    workday.setForeground(calendar->palette().color(QPalette::Text));
    for (Qt::DayOfWeek day : {Qt::Saturday, Qt::Sunday, Qt::Monday, Qt::Tuesday, Qt::Wednesday,
                              Qt::Thursday, Qt::Friday})
        calendar->setWeekdayTextFormat(day, day == Qt::Friday || day == Qt::Saturday ? weekend
                                                                                     : workday);
    // Seven columns share the width whatever the screen's own style asks of its buttons.
    calendar->setStyleSheet(QStringLiteral(
        "QCalendarWidget QWidget { font-size: 14px; font-weight: normal; }"
        "QCalendarWidget QToolButton { border: none; padding: 2px 6px; min-width: 0; "
        "background: transparent; color: white; font-weight: bold; }"));
    if (auto *days = calendar->findChild<QTableView *>()) {
        days->horizontalHeader()->setMinimumSectionSize(20);
        days->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    }
    calendar->setFixedWidth(DateBox::calendarWidth);
    return calendar;
}

bool typesIntoTheText(const QKeyEvent *event)
{
    const QString typed = event->text();
    return event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete ||
           (!typed.isEmpty() && typed.front().isPrint() &&
            !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)));
}

} // namespace

DateBox::DateBox(QWidget *parent)
    : QDateEdit(parent)
{
    setDisplayFormat(shownFormat);
    setMinimumDate(earliestDate);
    setCalendarPopup(true);
    setCalendarWidget(arabicCalendar(this));
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
}

bool DateBox::inRange(const QDate &date) const
{
    return date >= minimumDate() && date <= maximumDate();
}

QValidator::State DateBox::validate(QString &input, int &) const
{
    if (!specialValueText().isEmpty() && input == specialValueText())
        return QValidator::Acceptable;
    if (const std::optional<QDate> date = dayFirstDate(input))
        return inRange(*date) ? QValidator::Acceptable : QValidator::Intermediate;
    return mayBecomeDayFirstDate(input) ? QValidator::Intermediate : QValidator::Invalid;
}

QDateTime DateBox::dateTimeFromText(const QString &text) const
{
    const std::optional<QDate> date = dayFirstDate(text);
    return date && inRange(*date) ? QDateTime(*date, QTime(0, 0)) : dateTime();
}

// Typing goes into the text as it is, not section by section, so that a whole date can be
// typed in one go; the arrow keys still step the section under the cursor.
void DateBox::keyPressEvent(QKeyEvent *event)
{
    if (!isReadOnly() && typesIntoTheText(event)) {
        QAbstractSpinBox::keyPressEvent(event);
        return;
    }
    QDateEdit::keyPressEvent(event);
}

void DateBox::focusInEvent(QFocusEvent *event)
{
    QDateEdit::focusInEvent(event);
    if (event->reason() != Qt::MouseFocusReason && event->reason() != Qt::PopupFocusReason)
        lineEdit()->selectAll();
}

QString DateBox::textOfDate() const
{
    const bool blank = !specialValueText().isEmpty() && date() == minimumDate();
    return blank ? specialValueText() : textFromDateTime(dateTime());
}

bool DateBox::showsTypedText() const
{
    return lineEdit()->text() != textOfDate();
}

bool DateBox::takeTypedDate()
{
    if (!showsTypedText())
        return true;
    const QString typed = lineEdit()->text();
    const std::optional<QDate> date = dayFirstDate(typed);
    if (date && inRange(*date)) {
        setDate(*date);
        lineEdit()->setText(textOfDate());
        return true;
    }
    lineEdit()->setText(textOfDate());
    refuseTypedText(typed);
    return false;
}

void DateBox::focusOutEvent(QFocusEvent *event)
{
    const bool typing = !isReadOnly() && showsTypedText();
    const QString typed = lineEdit()->text();
    const std::optional<QDate> date = dayFirstDate(typed);
    QDateEdit::focusOutEvent(event);
    if (!typing)
        return;
    if (date && inRange(*date)) {
        setDate(*date);
        return;
    }
    lineEdit()->setText(textOfDate());
    // The message waits until the focus has settled where it went.
    QTimer::singleShot(0, this, [this, typed] { refuseTypedText(typed); });
}

void DateBox::refuseTypedText(const QString &typed)
{
    const QString field = accessibleName().isEmpty() ? QStringLiteral("التاريخ") : accessibleName();
    const std::optional<QDate> date = dayFirstDate(typed);
    const QString reason = date ? QStringLiteral("يجب أن يكون بين %1 و %2")
                                      .arg(isolated(minimumDate().toString(shownFormat)),
                                           isolated(maximumDate().toString(shownFormat)))
                                : QStringLiteral("اكتب اليوم والشهر والسنة، مثل ") +
                                      isolated(QStringLiteral("15/03/2019"));
    messages::info(QStringLiteral("%1 \"%2\" غير صحيح - %3").arg(field, isolated(typed), reason),
                   this);
    setFocus();
}

} // namespace simat
