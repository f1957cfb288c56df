// The baseline of the start-up benchmark: the least a Qt Widgets program does to show one
// painted window, with the same quit-after-first-paint rule as the program.
#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {
class QuitAfterFirstPaint : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return false;
    }
};
} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(715, 591);
    QuitAfterFirstPaint quitter;
    window.installEventFilter(&quitter);
    window.show();
    return application.exec();
}
