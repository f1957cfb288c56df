// The program's side of the durability test, run as a child process: it keeps one embedded
// database open and obeys one command per line on its standard input, answering each on its
// standard output when done:
//   save N          saves test number N in one transaction          -> "saved N"
//   dialog FOLDER   opens the report preview's "حفظ PDF" dialog and
//                   browses to FOLDER, as a person would             -> "dialog opened in X"
//                   (X: the folder the dialog opened in)
//   close           closes that dialog and the preview               -> "closed"
// Usage: durability_worker DATABASE_FILE
#include "app/application.h"
#include "data/dm.h"
#include "report_engine/report.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QPrintPreviewDialog>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

using namespace simat;

namespace {

void answer(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// The worker is a program of its own that links the program's libraries alone, not the test
// fixtures, so it writes its test header itself.
void saveTest(Database &database, int number)
{
    const bool saved = database.inTransaction([&] {
        database.execute(QStringLiteral("insert into test_hdr (branch_no, test_no, test_date, "
                                        "stud_code, test_status) values (0, %1, '%2', 1, 1)")
                             .arg(number)
                             .arg(QDate::currentDate().toString(Qt::ISODate)));
    });
    answer(saved ? QStringLiteral("saved %1").arg(number)
                 : QStringLiteral("failed %1: %2").arg(number).arg(database.lastFailure()));
}

// Calls `then` with the modal window of type T once it shows.
template <typename T> void whenShown(const std::function<void(T *)> &then)
{
    auto *poll = new QTimer(qApp);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, then] {
        if (auto *window = qobject_cast<T *>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            poll->stop();
            then(window);
        }
    });
    poll->start();
}

// Browses the dialog to the folder and answers once its listing has been read and drawn; a
// listing read again later (a busy machine sees the folder change) answers nothing more.
void browse(QFileDialog *dialog, const QString &folder)
{
    const QString openedIn = dialog->directory().absolutePath();
    auto *listing = dialog->findChild<QFileSystemModel *>();
    QObject::connect(
        listing, &QFileSystemModel::directoryLoaded, dialog,
        [dialog, openedIn] {
            QTimer::singleShot(1000, dialog, [dialog, openedIn] {
                dialog->repaint();
                answer(QStringLiteral("dialog opened in ") + openedIn);
            });
        },
        Qt::SingleShotConnection);
    dialog->setDirectory(folder);
}

void openSaveDialog(report::Report &report, const QString &folder)
{
    whenShown<QPrintPreviewDialog>([folder](QPrintPreviewDialog *preview) {
        auto *save = preview->findChild<QAction *>(QStringLiteral("savePdfAction"));
        whenShown<QFileDialog>([folder](QFileDialog *dialog) { browse(dialog, folder); });
        QTimer::singleShot(0, save, &QAction::trigger);
    });
    QTimer::singleShot(0, &report, [&report] { report.preview(); });
}

void closeDialogs()
{
    while (QWidget *modal = QApplication::activeModalWidget()) {
        qobject_cast<QDialog *>(modal)->reject();
        QCoreApplication::processEvents();
    }
    answer(QStringLiteral("closed"));
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    SimatApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: durability_worker DATABASE_FILE\n");
        return 2;
    }
    TDataModule1 dm;
    dm.Database1.open(parseAlias(QStringLiteral("sqlite:") + QString::fromLocal8Bit(argv[1])));
    report::Report report(QStringLiteral("DurabilityReport"));
    report.detail.height = 6;

    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, [&] {
        char line[4096];
        if (!std::fgets(line, sizeof line, stdin)) {
            QCoreApplication::exit(0);
            return;
        }
        const QStringList words = QString::fromLocal8Bit(line).trimmed().split(QLatin1Char(' '));
        if (words.first() == QLatin1String("save"))
            saveTest(dm.Database1, words.value(1).toInt());
        else if (words.first() == QLatin1String("dialog"))
            openSaveDialog(report, words.value(1));
        else if (words.first() == QLatin1String("close"))
            closeDialogs();
    });
    return app.exec();
}
