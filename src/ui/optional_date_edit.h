#pragma once

#include "date_box.h"

namespace simat {

// A date box that may hold no date: it then shows blank and holds its least date. A date may
// be typed into it; an arrow key or the wheel starts it from today; its calendar opens on the
// month of today; Tab leaves it as it leaves any box.
class OptionalDateEdit : public DateBox {
    Q_OBJECT
public:
    explicit OptionalDateEdit(QWidget *parent = nullptr);

    bool showsNoDate() const;
    // The date shown, an invalid one when none is.
    QDate chosenDate() const;
    // An invalid date shows none.
    void showDate(const QDate &date);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void startFromToday();
    void openCalendarOnToday();
};

} // namespace simat
