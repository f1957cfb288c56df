#include "application.h"

#include "core/error.h"
#include "ui/messages.h"

#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

// The pictures live in the static core library, whose resources the linker keeps only when
// they are named.
static void initialiseResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace simat {

SimatApplication::SimatApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    initialiseResources();
    setApplicationName(QStringLiteral("simat"));
    setOrganizationName(QStringLiteral("simat"));
    setQuitOnLastWindowClosed(false);
    loadArabicTranslation();
    setLayoutDirection(Qt::RightToLeft);
    useFonts();
}

void SimatApplication::loadArabicTranslation()
{
    auto *translator = new QTranslator(this);
    if (translator->load(QStringLiteral("qtbase_ar"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
}

// "Arial Narrow" where the machine has it, else Noto Sans Arabic UI at the same pixel size.
void SimatApplication::useFonts()
{
    const QString arial = QStringLiteral("Arial Narrow");
    const QString noto = QStringLiteral("Noto Sans Arabic UI");
    if (!QFontDatabase::hasFamily(arial))
        QFont::insertSubstitution(arial, noto);
    QFont font(QFontDatabase::hasFamily(arial) ? arial : noto);
    font.setPixelSize(16);
    setFont(font);
}

bool SimatApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const Error &error) {
        messages::error(error.text());
    } catch (const std::exception &error) {
        messages::error(QString::fromLocal8Bit(error.what()));
    }
    return true;
}

} // namespace simat
