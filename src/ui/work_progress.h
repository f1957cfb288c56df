#pragma once

#include <QProgressDialog>
#include <functional>

namespace simat {

// A progress bar with Cancel over a window, for as long as a long piece of work runs.
class WorkProgress {
public:
    WorkProgress(QWidget *parent, const QString &label);

    // What the work tells how far it has gone (a total of 0 while it is not known), shown under
    // the label ("5 200 من 10 000"); it hears false once Cancel has been pressed.
    std::function<bool(qint64 done, qint64 total)> report();

private:
    QProgressDialog m_dialog;
    QString m_label;
};

} // namespace simat
