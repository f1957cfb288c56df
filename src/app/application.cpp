#include "application.h"

#include "report_engine/report.h"
#include "ui/action.h"
#include "ui/file_dialog.h"
#include "ui/messages.h"

#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

// The pictures live in the static screens library, whose resources the linker keeps only when
// they are named.
static void initialiseResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace simat {

namespace {

// Qt's own Arabic texts, with the button texts the program's boxes show and without the "&"
// of mnemonics, whose underline splits joined Arabic letters apart.
class ArabicQtTexts : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override
    {
        const QString own = ownText(QLatin1String(context), QLatin1String(sourceText));
        if (!own.isNull())
            return own;
        const QString qts = QTranslator::translate(context, sourceText, disambiguation, n);
        return qts.isNull() ? qts : withoutMnemonics(qts);
    }
    bool isEmpty() const override { return false; }

private:
    static QString ownText(QLatin1String context, QLatin1String sourceText)
    {
        if (context == QLatin1String("QPlatformTheme")) {
            if (sourceText == QLatin1String("&Yes"))
                return QStringLiteral("نعم");
            if (sourceText == QLatin1String("&No"))
                return QStringLiteral("لا");
            if (sourceText == QLatin1String("OK"))
                return QStringLiteral("موافق");
        }
        if (context == QLatin1String("QMessageBox")) {
            if (sourceText == QLatin1String("Show Details..."))
                return QStringLiteral("تفاصيل");
            if (sourceText == QLatin1String("Hide Details..."))
                return QStringLiteral("إخفاء التفاصيل");
        }
        return {};
    }

    // "&&" stands for one "&"; any other "&" marks a mnemonic and goes.
    static QString withoutMnemonics(const QString &text)
    {
        QString plain;
        plain.reserve(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) != QLatin1Char('&'))
                plain += text.at(i);
            else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&'))
                plain += text.at(++i);
        }
        return plain;
    }
};

} // namespace

SimatApplication::SimatApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    initialiseResources();
    setApplicationName(QStringLiteral("simat"));
    setOrganizationName(QStringLiteral("simat"));
    // Ties the windows to the installed desktop entry, whose icon the desktop shows for them.
    setDesktopFileName(QStringLiteral("org.simat.Simat"));
    setQuitOnLastWindowClosed(false);
    loadArabicTranslation();
    setLayoutDirection(Qt::RightToLeft);
    useFonts();
    useProgramWindowsInReports();
}

void SimatApplication::loadArabicTranslation()
{
    auto *translator = new ArabicQtTexts(this);
    // Without Qt's file the program's own button texts still apply.
    (void)translator->load(QStringLiteral("qtbase_ar"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    installTranslator(translator);
}

// A report's preview asks where to save with the program's file dialog and shows what fails in
// the program's error box.
void SimatApplication::useProgramWindowsInReports()
{
    report::Report::setFailureHandler(
        [](QWidget *over, const QString &text) { messages::error(text, over); });
    report::Report::setSavePathChooser(&chooseSavePath);
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
    } catch (...) {
        showCurrentFailure(nullptr);
    }
    return true;
}

} // namespace simat
