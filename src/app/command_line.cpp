#include "command_line.h"

#include "platform.h"
#include "startup.h"
#include "ui/global.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace simat::app {

namespace {

const QStringList guides = {QStringLiteral("UserGuide.pdf"),
                            QStringLiteral("Installation-Instructions.pdf")};

int checkInstallation(QTextStream &out)
{
    globals().AppWorkDir = platform::currentDirectory();
    const QString docs = docsDirectory();
    out << "guides: " << docs << '\n';
    bool complete = true;
    for (const QString &guide : guides) {
        const bool found = QFileInfo(QDir(docs).filePath(guide)).isFile();
        out << "  " << guide << ": " << (found ? "found" : "missing") << '\n';
        complete = complete && found;
    }
    return complete ? 0 : 1;
}

} // namespace

std::optional<int> answerCommandLine(int argc, char *argv[])
{
    if (argc < 2)
        return std::nullopt;
    const QString option = QString::fromLocal8Bit(argv[1]);
    // Other options, such as Qt's own "-platform", are left to the application.
    if (option != QLatin1String("--version") && option != QLatin1String("--check-install") &&
        option != QLatin1String("--help"))
        return std::nullopt;
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    if (option == QLatin1String("--version")) {
        out << "simat " << SIMAT_VERSION << '\n';
        return 0;
    }
    if (option == QLatin1String("--check-install"))
        return checkInstallation(out);
    out << "Usage: simat [--version | --check-install | --help]\n"
           "  --version        print the version and exit\n"
           "  --check-install  print where the guides are looked up, exit 1 if one is missing\n";
    return 0;
}

} // namespace simat::app
