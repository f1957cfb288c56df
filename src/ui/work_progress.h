#pragma once

#include <QElapsedTimer>
#include <QProgressDialog>
#include <QString>
#include <functional>
#include <memory>

namespace simat {

// A progress bar with Cancel over a window, for as long as a long piece of work runs.
class WorkProgress {
public:
    // When the window shows: at once, or only once the work has gone on for longer than a
    // quick read takes (a read that may be quick or long on a large register).
    enum class Showing { AtOnce, WhenSlow };
    static constexpr int slowMs = 300;

    WorkProgress(QWidget *parent, const QString &label, Showing showing = Showing::AtOnce);
    ~WorkProgress();

    // What the work tells how far it has gone (a total of 0 while it is not known), shown under
    // the label ("5 200 من 10 000"); it hears false once Cancel has been pressed.
    std::function<bool(qint64 done, qint64 total)> report();
    // What a read tells while it goes on, with no count to show (see WatchedReads); it hears
    // false once Cancel has been pressed.
    std::function<bool()> goOn();

private:
    // How often work that does not move the bar lets the window take its clicks.
    static constexpr int eventsEveryMs = 25;

    void showHowFar(qint64 done, qint64 total);
    void makeWindow();
    // Lets the window show, paint and take the Cancel; until it shows, the other windows take
    // no clicks or keys.
    bool keepsGoing();

    QWidget *m_parent;
    QString m_label;
    QElapsedTimer m_started;
    QElapsedTimer m_sinceEvents;
    // Made once it is to show.
    std::unique_ptr<QProgressDialog> m_dialog;
    qint64 m_done = 0;
    qint64 m_total = 0;
};

} // namespace simat
