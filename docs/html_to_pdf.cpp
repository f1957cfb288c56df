// Renders one of the program's Arabic guides from HTML into an A4 PDF with 10 mm margins.
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextOption>
#include <QUrl>
#include <cstdio>

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
    document.setMetaInformation(
        QTextDocument::DocumentUrl,
        QUrl::fromLocalFile(QFileInfo(source).absoluteFilePath()).toString());
    document.setHtml(QString::fromUtf8(source.readAll()));
    document.print(&pdf);
    return 0;
}
