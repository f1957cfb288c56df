#include "application.h"
#include "startup.h"

#include <QTimer>
#include <QWidget>

int main(int argc, char *argv[]) {
    simat::SimatApplication application(argc, argv);
    simat::app::createScreens();
    QWidget *first = simat::app::screen(QStringLiteral("StartupForm"));
    first->show();
    // For measuring the start: leave as soon as the first screen has been painted.
    if (qEnvironmentVariableIsSet("SIMAT_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &application, &QCoreApplication::quit);
    const int result = application.exec();
    simat::app::destroyScreens();
    return result;
}
