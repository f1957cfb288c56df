#include "application.h"
#include "command_line.h"
#include "startup.h"
#include "ui/screens.h"

#include <QEvent>
#include <QWidget>

namespace {

// With SIMAT_QUIT_WHEN_SHOWN set, the program leaves as soon as the first screen has been
// painted: the start-up benchmark times a whole start that way.
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
    if (const std::optional<int> answered = simat::app::answerCommandLine(argc, argv))
        return *answered;
    simat::SimatApplication application(argc, argv);
    simat::app::createScreens();
    QWidget *first = simat::screens::find(QStringLiteral("StartupForm"));
    QuitAfterFirstPaint quitter;
    if (qEnvironmentVariableIsSet("SIMAT_QUIT_WHEN_SHOWN"))
        first->installEventFilter(&quitter);
    first->show();
    const int result = application.exec();
    first->removeEventFilter(&quitter);
    simat::app::destroyScreens();
    return result;
}
