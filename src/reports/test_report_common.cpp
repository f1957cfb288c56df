#include "test_report_common.h"

#include "core/checklist_test.h"
#include "core/hijri.h"

#include <QDate>

namespace simat {

using report::Band;
using report::isolate;

namespace {

QString shownDate(const QDate &date)
{
    return date.isValid() ? isolate(date.toString(QStringLiteral("dd/MM/yyyy"))) : QString();
}

// A field of the page heading: its caption and the name of the text beside it.
struct HeadingField {
    const char *caption;
    const char *name;
};

const HeadingField caseFields[] = {
    {"اسم الحالة", "Lstud_name"},
    {"اسم المدرسة", "Lschool_name"},
    {"تاريخ الميلاد (ميلادى)", "Lbirth_date"},
    {"تاريخ الميلاد (هجرى)", "Lbirth_haj_date"},
    {"العنوان", "Lmain_street"},
    {"رقم هاتف المنزل", "Lhome_phone"},
    {"رقم الهاتف المحمول", "Lmobile"},
};

const HeadingField testFields[] = {
    {"تاريخ الاختبار", "Ltest_date"},        {"حالة الاختبار", "Ltest_status"},
    {"القائم بالاختبار", "Ltester_name"},    {"تصنيف القائم بالاختبار", "Ltester_class"},
    {"مصدر المعلومات", "Linfo_source_name"}, {"الصلة بالحالة", "Linfo_source_class"},
    {"العمر فى تاريخ الاختبار", "Lage"},
};

constexpr double fieldsTop = 36;
constexpr double fieldHeight = 6;

} // namespace

TTestReport::TTestReport(const QString &formName, const char *fileWord, QObject *parent)
    : report::Report(formName, parent)
    , m_fileWord(fileWord)
{
    report_parts::addCentreHeading(pageHeader);
    buildPageHeader();
    report_parts::addPageFooter(pageFooter);
}

void TTestReport::setTest(PrintedTest test)
{
    m_test = std::move(test);
    showTest(m_test);
}

void TTestReport::setShownFields(const Age &age, const QString &testerClass,
                                 const QString &infoSourceClass)
{
    m_age = age;
    m_testerClass = testerClass;
    m_infoSourceClass = infoSourceClass;
}

QString TTestReport::pdfFileName() const
{
    const TestIdentity &test = m_test.test.identity;
    return report_parts::pdfFileName(m_fileWord, test.caseCode, test.testNo, test.testDate);
}

void TTestReport::addCells(Band &band, const QList<Cell> &cells, double height, const QColor &fill)
{
    for (const Cell &cell : cells) {
        band.addRect(cell.x, 0, cell.width, height, fill).stretch = true;
        report::Element &text =
            band.addText(QLatin1String(cell.name), cell.x, 0, cell.width, height, {}, cell.align);
        text.padding = 1;
    }
    band.height = height;
}

void TTestReport::buildPageHeader()
{
    Band &band = pageHeader;
    band.element(QStringLiteral("Ltitle")).text = QStringLiteral("نتيجة اختبار");
    for (const auto &[title, x] : {std::pair{"بيانات الحالة", 0.0}, {"بيانات الاختبار", 100.0}}) {
        report::Element &section =
            band.addText({}, x, fieldsTop - 4, 90, 6, QString::fromUtf8(title));
        section.bold = true;
        section.color = QColor(0x17, 0x40, 0x5a);
    }
    int row = 0;
    for (const HeadingField &field : caseFields) {
        const double y = fieldsTop + 3 + row++ * fieldHeight;
        report_parts::addCaptioned(band, field.caption, field.name, 0, y, 36, 60, fieldHeight);
    }
    row = 0;
    for (const HeadingField &field : testFields) {
        const double y = fieldsTop + 3 + row++ * fieldHeight;
        report_parts::addCaptioned(band, field.caption, field.name, 100, y, 40, 50, fieldHeight);
    }
    band.height = fieldsTop + 3 + 7 * fieldHeight + 3;
    band.beforePrint = [this](Band &header) {
        fillPageHeader(header);
        return true;
    };
}

// The page heading prints the same fields on every page; a test that is not stored prints
// none.
void TTestReport::fillPageHeader(Band &band) const
{
    report_parts::fillCentreHeading(band);
    const PrintedTest &shown = m_test;
    const ChecklistTest &test = shown.test;
    const bool stored = test.isStored();
    const QDate birth = test.birthDate;
    const CaseSummary &child = shown.child;
    const QString birthHijri =
        child.birthHijri.isEmpty() ? hijri::fromGregorian(birth) : child.birthHijri;
    band.setText(QStringLiteral("Lstud_name"), child.name);
    band.setText(QStringLiteral("Lschool_name"), test.school);
    band.setText(QStringLiteral("Lbirth_date"), shownDate(birth));
    band.setText(QStringLiteral("Lbirth_haj_date"), stored ? isolate(birthHijri) : QString());
    band.setText(QStringLiteral("Lmain_street"), child.mainStreet);
    band.setText(QStringLiteral("Lhome_phone"), stored ? isolate(child.homePhone) : QString());
    band.setText(QStringLiteral("Lmobile"), stored ? isolate(child.mobile) : QString());
    band.setText(QStringLiteral("Ltest_date"), shownDate(test.identity.testDate));
    band.setText(QStringLiteral("Ltest_status"),
                 stored ? checklist::statusWord(test.status) : QString());
    band.setText(QStringLiteral("Ltester_name"), shown.testerName);
    band.setText(QStringLiteral("Linfo_source_name"), shown.infoSourceName);
    band.setText(QStringLiteral("Lage"), QStringLiteral("%1 سنة  %2 شهر  %3 يوم")
                                             .arg(isolate(QString::number(m_age.years)),
                                                  isolate(QString::number(m_age.months)),
                                                  isolate(QString::number(m_age.days))));
    band.setText(QStringLiteral("Ltester_class"), m_testerClass);
    band.setText(QStringLiteral("Linfo_source_class"), m_infoSourceClass);
    // A long name or address wraps and moves the fields below it down, on both sides.
    for (std::size_t row = 0; row < std::size(caseFields); ++row)
        report_parts::fitRow(
            *this, band, {QLatin1String(caseFields[row].name), QLatin1String(testFields[row].name)},
            fieldHeight);
}

} // namespace simat
