#pragma once

#include <QDateEdit>

namespace simat {

// The date box of every screen. Dates are shown and typed day first: "15032019", "15/03/2019"
// and "15-3-2019" are 15/03/2019. A text that is not a whole date between the box's least and
// greatest dates (never before 1900) is refused when the box is left, with a message that names
// the field (its accessible name), and the box keeps the date it had. Its calendar is Arabic:
// month and day names, the week from Saturday, Friday and Saturday as the weekend.
class DateBox : public QDateEdit {
    Q_OBJECT
public:
    explicit DateBox(QWidget *parent = nullptr);

    static constexpr int calendarWidth = 320;

    // Takes a date still being typed, as leaving the box would; false when it was refused. An
    // action run from a key while the box has the focus calls it before it reads the date.
    bool takeTypedDate();

    QValidator::State validate(QString &input, int &position) const override;

protected:
    QDateTime dateTimeFromText(const QString &text) const override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    // What the box shows for its date: blank for no date, where it may hold none.
    QString textOfDate() const;
    bool showsTypedText() const;
    bool inRange(const QDate &date) const;
    void refuseTypedText(const QString &typed);
};

} // namespace simat
