#include "busy_cursor.h"

#include "data/database.h"

#include <QApplication>

namespace simat {

void showBusyCursorWhileWaiting(Database &database)
{
    database.setBusyHook([](bool waiting) {
        if (waiting)
            QApplication::setOverrideCursor(Qt::BusyCursor);
        else
            QApplication::restoreOverrideCursor();
    });
}

} // namespace simat
