#include "work_progress.h"

#include "core/numbers.h"

#include <QApplication>

namespace simat {

namespace {

constexpr int steps = 1000;

int barValue(qint64 done, qint64 total)
{
    return total > 0 ? int(done * steps / total) : 0;
}

} // namespace

WorkProgress::WorkProgress(QWidget *parent, const QString &label, Showing showing)
    : m_parent(parent)
    , m_label(label)
{
    m_started.start();
    m_sinceEvents.start();
    if (showing == Showing::AtOnce)
        makeWindow();
}

WorkProgress::~WorkProgress() = default;

void WorkProgress::makeWindow()
{
    m_dialog = std::make_unique<QProgressDialog>(m_label, QStringLiteral("إلغاء"), 0, 0, m_parent);
    m_dialog->setWindowTitle(QStringLiteral("سمات"));
    m_dialog->setLayoutDirection(Qt::RightToLeft);
    m_dialog->setMinimumWidth(420);
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setMinimumDuration(0);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setValue(0);
    if (m_done > 0 || m_total > 0)
        showHowFar(m_done, m_total);
}

void WorkProgress::showHowFar(qint64 done, qint64 total)
{
    m_dialog->setMaximum(total > 0 ? steps : 0);
    m_dialog->setValue(barValue(done, total));
    m_dialog->setLabelText(m_label + QLatin1Char('\n') + howFar(done, total));
}

bool WorkProgress::keepsGoing()
{
    if (!m_dialog && m_started.elapsed() >= slowMs)
        makeWindow();
    const bool shown = m_dialog && m_dialog->isVisible();
    QApplication::processEvents(shown ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    m_sinceEvents.start();
    return !m_dialog || !m_dialog->wasCanceled();
}

std::function<bool(qint64 done, qint64 total)> WorkProgress::report()
{
    return [this](qint64 done, qint64 total) {
        // Work told of every row moves the bar only a thousand times, and lets the window
        // take its clicks only now and then in between.
        const bool moved = barValue(done, total) != barValue(m_done, m_total) ||
                           (total > 0) != (m_total > 0) || total == 0;
        m_done = done;
        m_total = total;
        if (m_dialog && moved)
            showHowFar(done, total);
        if (!moved && m_sinceEvents.elapsed() < eventsEveryMs)
            return !m_dialog || !m_dialog->wasCanceled();
        return keepsGoing();
    };
}

std::function<bool()> WorkProgress::goOn()
{
    return [this] { return keepsGoing(); };
}

} // namespace simat
