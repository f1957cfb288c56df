// Renders one of the program's Arabic guides from HTML into an A4 PDF with 10 mm margins.
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QTextOption>
#include <QUrl>
#include <cstdio>

// The pictures that the guide names but that are not beside it; a guide with a missing picture
// is refused rather than printed with a hole (or, as seen, laid out without end).
static QStringList missingPictures(const QTextDocument &document, const QUrl &guide)
{
    QStringList missing;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextFormat format = fragment.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QString name = format.toImageFormat().name();
            if (!QFileInfo::exists(guide.resolved(QUrl(name)).toLocalFile()))
                missing << name;
        }
    }
    return missing;
}

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: simat-html-to-pdf GUIDE.html GUIDE.pdf\n");
        return 2;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    QPdfWriter pdf(QString::fromLocal8Bit(argv[2]));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    pdf.setTitle(QStringLiteral("سمات"));
    pdf.setCreator(QStringLiteral("simat"));

    QTextDocument document;
    QFont font(QStringLiteral("Noto Naskh Arabic UI"));
    font.setPointSizeF(11);
    document.setDefaultFont(font);
    QTextOption option = document.defaultTextOption();
    option.setTextDirection(Qt::RightToLeft);
    document.setDefaultTextOption(option);
    // Pictures are named relative to the guide's own folder.
    const QUrl guide = QUrl::fromLocalFile(QFileInfo(source).absoluteFilePath());
    document.setMetaInformation(QTextDocument::DocumentUrl, guide.toString());
    document.setHtml(QString::fromUtf8(source.readAll()));
    if (const QStringList missing = missingPictures(document, guide); !missing.isEmpty()) {
        std::fprintf(stderr, "%s: missing pictures: %s\n", argv[1],
                     qPrintable(missing.join(QStringLiteral(", "))));
        return 1;
    }
    document.print(&pdf);
    return 0;
}
