#include "report_parts.h"

#include "core/product.h"
#include "ui/global.h"
#include "ui/jpeg.h"

#include "report_engine/layout.h"

#include <QDateTime>
#include <QHash>
#include <algorithm>

namespace simat {

using report::Align;
using report::Band;
using report::isolate;

namespace report_parts {

QString pdfFileName(const char *report, int caseCode, int testNo, const QDate &testDate)
{
    return QStringLiteral("simat-%1-%2-%3-%4.pdf")
        .arg(QLatin1String(report))
        .arg(caseCode)
        .arg(testNo)
        .arg(testDate.toString(Qt::ISODate));
}

QString pdfFileName(const char *report, const QDate &from, const QDate &to)
{
    return QStringLiteral("simat-%1-%2-%3.pdf")
        .arg(QLatin1String(report), from.toString(Qt::ISODate), to.toString(Qt::ISODate));
}

report::Element &addCaptioned(Band &band, const char *caption, const char *name, double x, double y,
                              double captionWidth, double valueWidth, double height)
{
    band.addText({}, x, y, captionWidth, height, QString::fromUtf8(caption)).bold = true;
    return band.addText(QLatin1String(name), x + captionWidth, y, valueWidth, height);
}

double addCentreHeading(Band &band, double width)
{
    const char *arabic[] = {"Lcompany_aname", "Lbranch_aname", "Lcompany_address"};
    const char *latin[] = {"Lcompany_lname", "Lbranch_lname", "Lcompany_laddress"};
    constexpr double sideWidth = 80;
    for (int line = 0; line < 3; ++line) {
        report::Element &right =
            band.addText(QLatin1String(arabic[line]), 0, line * 6, sideWidth, 6);
        report::Element &left = band.addText(QLatin1String(latin[line]), width - sideWidth,
                                             line * 6, sideWidth, 6, {}, Align::Left);
        left.direction = Qt::LeftToRight;
        for (report::Element *text : {&right, &left}) {
            text->bold = line == 0;
            text->wrap = false;
        }
    }
    band.addPicture(QStringLiteral("Ilogo"), width / 2 - 12, 0, 24, 20,
                    jpeg::resourcePicture(QStringLiteral("report_logo.jpg")));
    report::Element &title =
        band.addText(QStringLiteral("Ltitle"), 0, 22, width, 9, {}, Align::Center);
    title.bold = true;
    title.fontSize = 15;
    band.addLine(0, 32, width, 32, 0.4);
    return 32;
}

void fillCentreHeading(Band &band)
{
    const ReportHeadings &headings = globals().headings;
    band.setText(QStringLiteral("Lcompany_aname"), headings.CompanyArabicName);
    band.setText(QStringLiteral("Lbranch_aname"), headings.BranchArabicName);
    band.setText(QStringLiteral("Lcompany_address"), headings.CompanyArabicAddress);
    band.setText(QStringLiteral("Lcompany_lname"), headings.CompanyLatinName);
    band.setText(QStringLiteral("Lbranch_lname"), headings.BranchLatinName);
    band.setText(QStringLiteral("Lcompany_laddress"), headings.CompanyLatinAddress);
}

void addPageFooter(Band &band, double width)
{
    band.height = 7;
    band.addLine(0, 0.5, width, 0.5, 0.3);
    band.addText(QStringLiteral("Luser_aname"), 0, 1, 50, 6);
    band.addText(QStringLiteral("Lpage"), width / 2 - 45, 1, 40, 6,
                 QStringLiteral("صفحة {page} من {pages}"), Align::Center)
        .wrap = false;
    band.addText(QStringLiteral("Lprinted"), width / 2 - 5, 1, 35, 6, {}, Align::Center);
    band.addText(QStringLiteral("Lcredit"), width - 65, 1, 65, 6, product::reportCredit,
                 Align::Left);
    band.beforePrint = [](Band &footer) {
        footer.setText(QStringLiteral("Luser_aname"), globals().session.SessionUserArabicName);
        footer.setText(QStringLiteral("Lprinted"), isolate(QDateTime::currentDateTime().toString(
                                                       QStringLiteral("dd/MM/yyyy hh:mm"))));
        return true;
    };
}

namespace {

constexpr double tolerance = 1e-6;

double neededHeight(const report::Report &report, const report::Element &text)
{
    const double pointSize = text.fontSize > 0 ? text.fontSize : report.fontSize;
    double width = text.box.width();
    if (text.padding > 0 && 2 * text.padding < width)
        width -= 2 * text.padding;
    return report::textHeight(
        text.text, report::layoutFont(report.fontFamily, pointSize, text.bold), width, text.wrap);
}

} // namespace

void fitRow(const report::Report &report, Band &band, const QStringList &names, double height)
{
    // Each text as tall as it needs, so that one line stays level with its caption; the row as
    // tall as its tallest text.
    QHash<const report::Element *, double> heights;
    double bottom = 0;
    double rowHeight = height;
    for (const QString &name : names) {
        const report::Element &text = band.element(name);
        heights.insert(&text, std::max(height, neededHeight(report, text)));
        bottom = std::max(bottom, text.box.bottom());
        rowHeight = std::max(rowHeight, heights.value(&text));
    }
    const double moved = band.element(names.first()).box.top() + rowHeight - bottom;
    for (report::Element &element : band.elements) {
        if (heights.contains(&element))
            element.box.setHeight(heights.value(&element));
        else if (element.box.top() >= bottom - tolerance)
            element.box.translate(0, moved);
        else if (element.kind != report::Element::Kind::Text &&
                 element.box.bottom() >= bottom - tolerance)
            element.box.setBottom(element.box.bottom() + moved);
    }
    band.height += moved;
}

void addTableColumns(Band &heading, Band &row, const QList<TableColumn> &columns)
{
    constexpr double headingHeight = 8;
    double x = 0;
    for (const TableColumn &column : columns) {
        heading.addRect(x, 0, column.width, headingHeight, headingFill).stretch = true;
        report::Element &title = heading.addText({}, x, 0, column.width, headingHeight,
                                                 QString::fromUtf8(column.heading), Align::Center);
        title.bold = true;
        title.padding = 1;
        row.addRect(x, 0, column.width, tableRowHeight).stretch = true;
        report::Element &cell =
            row.addText(QLatin1String(column.name), x, 0, column.width, tableRowHeight);
        cell.padding = 1;
        cell.stretch = true;
        cell.align = column.align;
        x += column.width;
    }
    heading.height = std::max(heading.height, headingHeight);
    row.height = std::max(row.height, tableRowHeight);
}

} // namespace report_parts

} // namespace simat
