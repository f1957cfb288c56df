#include "work_progress.h"

#include "core/numbers.h"

#include <QApplication>

namespace simat {

WorkProgress::WorkProgress(QWidget *parent, const QString &label)
    : m_dialog(label, QStringLiteral("إلغاء"), 0, 0, parent)
    , m_label(label)
{
    m_dialog.setWindowTitle(QStringLiteral("سمات"));
    m_dialog.setLayoutDirection(Qt::RightToLeft);
    m_dialog.setMinimumWidth(420);
    m_dialog.setWindowModality(Qt::ApplicationModal);
    m_dialog.setMinimumDuration(0);
    m_dialog.setAutoClose(false);
    m_dialog.setAutoReset(false);
    m_dialog.setValue(0);
}

std::function<bool(qint64 done, qint64 total)> WorkProgress::report()
{
    return [this](qint64 done, qint64 total) {
        constexpr int steps = 1000;
        const int value = total > 0 ? int(done * steps / total) : 0;
        // Work told of every row moves the bar only a thousand times.
        if (total > 0 && m_dialog.maximum() == steps && value == m_dialog.value())
            return !m_dialog.wasCanceled();
        m_dialog.setMaximum(total > 0 ? steps : 0);
        m_dialog.setValue(value);
        m_dialog.setLabelText(m_label + QLatin1Char('\n') + howFar(done, total));
        QApplication::processEvents();
        return !m_dialog.wasCanceled();
    };
}

} // namespace simat
