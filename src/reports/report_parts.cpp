#include "report_parts.h"

#include "core/product.h"
#include "ui/global.h"
#include "ui/jpeg.h"

#include <QDateTime>
#include <algorithm>

namespace simat {

using report::Align;
using report::Band;
using report::isolate;

namespace report_parts {

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
