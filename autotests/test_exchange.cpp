// The register's exchange with spreadsheets on both engines: cases imported from CSV files in
// UTF-8 and in Windows-1256, checked row by row before anything is written, written in one
// transaction or not at all; the workbook of a period and the export of every case, read back
// with Python's openpyxl.
#include "fixtures.h"
#include "register_builder.h"

#include "cases/import_cases.h"
#include "core/error.h"
#include "data/case_fields.h"
#include "data/case_import.h"
#include "data/dm.h"
#include "data/period_export.h"
#include "ui/screens.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QStringEncoder>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>

using namespace simat;
using namespace simat::testing;

namespace {

QString dayFirst(const QDate &date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TImportCasesForm *importForm()
{
    return screens::find<TImportCasesForm>(QStringLiteral("ImportCasesForm"));
}

// What the preview shows of each row: line, verdict and what is wrong, without the marks that
// keep Latin text in its order.
QStringList previewRows()
{
    QAbstractItemModel *rows = on<QTableView>("ImportCasesForm", "DBGpreview")->model();
    QStringList shown;
    for (int row = 0; row < rows->rowCount(); ++row)
        shown << QStringLiteral("%1 %2 %3")
                     .arg(rows->index(row, 0).data().toString(),
                          rows->index(row, 1).data().toString(),
                          rows->index(row, 4).data().toString())
                     .remove(QChar(0x2066))
                     .remove(QChar(0x2069))
                     .trimmed();
    return shown;
}

int fieldIndex(const char *column)
{
    const QList<case_fields::Field> &fields = case_fields::fields();
    for (int i = 0; i < fields.size(); ++i)
        if (fields.at(i).column == QLatin1String(column))
            return i;
    return -1;
}

// Debian's Python, which has its openpyxl package.
const QString debianPython = QStringLiteral("/usr/bin/python3");

// Each sheet of a workbook as Python's openpyxl reads it: its name with its direction, frozen
// cell and filter; its title row; then each row as type:value cells.
QStringList readWorkbook(const QString &path)
{
    QProcess python;
    python.start(debianPython, {QStringLiteral("-c"), QStringLiteral(R"py(
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
for sheet in book.worksheets:
    print(sheet.title, 'rtl=%s' % sheet.sheet_view.rightToLeft, 'frozen=%s' % sheet.freeze_panes,
          'filter=%s' % sheet.auto_filter.ref)
    for number, row in enumerate(sheet.iter_rows(values_only=True)):
        if number == 0:
            print('|'.join(str(cell).replace('\n', '/') for cell in row))
        else:
            print('|'.join('None' if cell is None else '%s:%s' % (type(cell).__name__, cell)
                           for cell in row))
)py"),
                                path});
    if (!python.waitForFinished(30000) || python.exitCode() != 0)
        qWarning() << python.readAllStandardError();
    return QString::fromUtf8(python.readAllStandardOutput())
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class ExchangeTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestRegister> reg;
    std::unique_ptr<QTemporaryDir> folder;
    const QDate today = QDate::currentDate();

    void openImport(const QString &path)
    {
        on<QToolButton>("MainForm", "SP_basic_data")->click();
        on<QToolButton>("BasicDataMainForm", "spImportCases")->click();
        QVERIFY(importForm()->isVisible());
        importForm()->openFile(path);
    }

private slots:
    void initTestCase_data() { addEngineRows(); }

    void init()
    {
        SIMAT_NEW_REGISTER_OF_ROW(reg);
        folder = std::make_unique<QTemporaryDir>();
        reg->caseNamed("أحمد سالم", today.addYears(-5), {.idNo = "3333333333"});
        reg->caseNamed("ريم", today.addYears(-4), {.idNo = "2222222222"});
    }

    void cleanup()
    {
        closeScreens();
        reg.reset();
    }

    // A UTF-8 file with its byte-order mark, titled by the Arabic captions: every kind of fault
    // is shown beside its row, the two good rows are imported under the next codes, and the
    // refused rows are saved with their reasons.
    void aUtf8FileImportsItsGoodRowsAndSavesTheRefusedWithTheirReasons()
    {
        const QString birth = dayFirst(today.addYears(-3));
        const QStringList lines = {
            "الاسم,تاريخ الميلاد,النوع,رقم الإقامة / الهوية,المدينة,رقم الجوال,ملاحظات",
            "سارة علي," + birth + ",أنثى,1111111111,الرياض,0551111111,أولى",
            "," + birth + ",ذكر,,,,",
            "خالد,31/02/2020,ذكر,,,,",
            "منى," + birth + ",أنثى,,طنطا,,",
            "عمر," + birth + ",ذكر,12AB,,,",
            "احمد سالم," + dayFirst(today.addYears(-5)) + ",ذكر,,,,",
            "ليلى," + birth + ",أنثى,2222222222,,,",
            "سارة على," + birth + ",أنثى,,,,",
            "يوسف," + today.addYears(-2).toString(Qt::ISODate) +
                ",ذكر,,جدة,٠٥٥٢٢٢٢٢٢٢,\"ملاحظة، بفاصلة\"",
        };
        const QString path = folder->filePath("cases.csv");
        writeFile(path, "\xEF\xBB\xBF" + lines.join("\r\n").toUtf8() + "\r\n");
        openImport(path);
        QCOMPARE(on<QLabel>("ImportCasesForm", "LCounts")->text(),
                 QStringLiteral("صفوف الملف 9: مقبولة 2، مرفوضة 7"));
        QCOMPARE(previewRows(), QStringList({
                                    "2 مقبول",
                                    "3 مرفوض لا يوجد اسم",
                                    "4 مرفوض تاريخ الميلاد «31/02/2020» ليس تاريخًا (يوم/شهر/سنة أو "
                                    "سنة-شهر-يوم)",
                                    "5 مرفوض المدينة «طنطا» ليس من أسماء جدولها",
                                    "6 مرفوض رقم الإقامة / الهوية «12AB» يقبل الأرقام فقط",
                                    "7 مرفوض الاسم وتاريخ الميلاد نفساهما مسجل من قبل (الحالة 1)",
                                    "8 مرفوض رقم الهوية نفسه مسجل من قبل (الحالة 2)",
                                    "9 مرفوض الاسم وتاريخ الميلاد نفساهما فى السطر 2 من الملف",
                                    "10 مقبول",
                                }));
        QVERIFY(on<QLabel>("ImportCasesForm", "LUnknownNames")->text().contains("المدينة: طنطا"));

        const QString refused = folder->filePath("refused.csv");
        BoxAnswerer answers({QMessageBox::Yes});
        chooseFile(refused);
        on<QToolButton>("ImportCasesForm", "spImport")->click();
        QCOMPARE(answers.count(), 2);
        QVERIFY2(answers.texts.at(0).contains("تم استيراد 2 حالة"),
                 qPrintable(answers.texts.at(0)));
        QVERIFY(answers.texts.at(0).contains("ورُفض 7 صفًا"));
        QCOMPARE(
            reg->rows("select stud_code, stud_name, stud_gender, stud_id_no, "
                      "stud_guard_mobile_no, stud_city, case when stud_birth_haj_date <> '' then 1 "
                      "end from "
                      "student where stud_code > 2 order by stud_code"),
            QStringList({"3|سارة علي|2|1111111111|0551111111|1|1", "4|يوسف|1||0552222222|2|1"}));
        // Checked again, every row of the file is now refused.
        QCOMPARE(on<QLabel>("ImportCasesForm", "LCounts")->text(),
                 QStringLiteral("صفوف الملف 9: مقبولة 0، مرفوضة 9"));

        const QStringList saved = QString::fromUtf8(readFile(refused)).split("\r\n");
        QCOMPARE(saved.size(), 1 + 7 + 1);
        QVERIFY(saved.at(0).endsWith(",السطر,أسباب الرفض"));
        QVERIFY2(saved.at(4).startsWith("عمر,") && saved.at(4).contains(",6,"),
                 qPrintable(saved.at(4)));
        QCOMPARE(QFile(refused).permissions() &
                     ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
                 QFile::Permissions());
    }

    // A Windows-1256 file separated by semicolons and titled by the export's names, one column
    // matched by hand: a name missing from its table is added once when the user lets it.
    void aWindows1256FileWithSemicolonsAddsTheNamesItLets()
    {
        const QString birth = today.addYears(-6).toString(Qt::ISODate);
        const QStringList lines = {
            "stud_name;stud_birth_date;stud_city;جوال ولي الأمر",
            "هدى;" + birth + ";طنطا;0501234567",
            "بلال;" + birth + ";طنطا;",
            "\"ريم; الصغرى\";" + birth + ";جدة;",
            "نور;2019/13/01;;",
        };
        QStringEncoder arabic("windows-1256");
        const QByteArray bytes = arabic(lines.join("\n") + "\n");
        QVERIFY(!arabic.hasError());
        const QString path = folder->filePath("old.csv");
        writeFile(path, bytes);
        openImport(path);
        QVERIFY(on<QLabel>("ImportCasesForm", "LFileInfo")->text().contains("Windows-1256"));
        QCOMPARE(on<QLabel>("ImportCasesForm", "LCounts")->text(),
                 QStringLiteral("صفوف الملف 4: مقبولة 1، مرفوضة 3"));
        auto *mobile = qobject_cast<QComboBox *>(
            on<QTableWidget>("ImportCasesForm", "SGcolumns")->cellWidget(3, 2));
        QCOMPARE(mobile->currentData().toInt(), -1);
        mobile->setCurrentIndex(mobile->findData(fieldIndex("stud_guard_mobile_no")));
        on<QCheckBox>("ImportCasesForm", "CHBaddNames")->setChecked(true);
        QCOMPARE(on<QLabel>("ImportCasesForm", "LCounts")->text(),
                 QStringLiteral("صفوف الملف 4: مقبولة 3، مرفوضة 1"));
        const int cities = reg->count("select count(*) from city");

        BoxAnswerer answers({QMessageBox::No});
        on<QToolButton>("ImportCasesForm", "spImport")->click();
        QCOMPARE(answers.count(), 1);
        QVERIFY(answers.texts.at(0).contains("وأضيف 1 اسمًا إلى الجداول"));
        QCOMPARE(reg->count("select count(*) from city"), cities + 1);
        const QString added = reg->value("select max(city_id) from city");
        QCOMPARE(reg->value("select city_name from city where city_id = " + added), "طنطا");
        QCOMPARE(
            reg->rows("select stud_name, stud_city, stud_guard_mobile_no from student "
                      "where stud_code > 2 order by stud_code"),
            QStringList({"هدى|" + added + "|0501234567", "بلال|" + added + "|", "ريم; الصغرى|2|"}));
    }

    // An import stopped half-way, or one that the register refuses, leaves no case and no
    // added name behind.
    void aStoppedOrFailedImportLeavesTheRegisterAsItWas()
    {
        const QString birth = today.addYears(-1).toString(Qt::ISODate);
        const QString path = folder->filePath("three.csv");
        writeFile(path, (QStringLiteral("الاسم,تاريخ الميلاد,المدينة\nأ,") + birth +
                         QStringLiteral(",طنطا\nب,") + birth + QStringLiteral(",\nج,") + birth +
                         QStringLiteral(","))
                            .toUtf8());
        const case_import::Source source = case_import::readSource(path);
        TDataModule1 &dm = reg->dm();
        const case_import::Preview preview =
            case_import::check(dm.Database1, source, case_import::matchColumns(source.heading()),
                               case_import::UnknownNames::Add);
        QCOMPARE(preview.accepted(), 3);
        const int cities = reg->count("select count(*) from city");
        QVERIFY_THROWS_EXCEPTION(
            Error,
            case_import::write(dm, preview, 0, 1, [](qint64 done, qint64) { return done < 2; }));
        QCOMPARE(reg->count("select count(*) from student"), 2);
        QCOMPARE(reg->count("select count(*) from city"), cities);

        reg->run("alter table student rename column stud_postal_no to postal_box");
        QVERIFY_THROWS_EXCEPTION(Error, case_import::write(dm, preview, 0, 1));
        reg->run("alter table student rename column postal_box to stud_postal_no");
        QCOMPARE(reg->count("select count(*) from student"), 2);
        QCOMPARE(reg->count("select count(*) from city"), cities);
    }

    // The period's workbook: a sheet of tests and one of answers, right to left, the title row
    // frozen and filtered, dates as dates and percentages and marks as numbers; its owner's
    // alone.
    void thePeriodWorkbookHoldsTypedCellsRightToLeft()
    {
        const QDate day(today.year(), 1, 15);
        reg->tester(QStringLiteral("منيرة"), 1);
        reg->test(1).on(day).marks(1, {3, 2, 1}).add();
        reg->test(2).on(day.addDays(1)).allAnswered(Answer::Always).closed().add();
        const QString path = folder->filePath("year.xlsx");
        const period_export::Period period{0, QDate(today.year(), 1, 1),
                                           QDate(today.year(), 12, 31)};
        Database &database = reg->dm().Database1;
        const period_export::Written written = period_export::writeWorkbook(
            database, period, period_export::testCount(database, period), path);
        QCOMPARE(written.tests, 2);
        QCOMPARE(QFile(path).permissions() & (QFile::ReadGroup | QFile::ReadOther),
                 QFile::Permissions());
        const QStringList read = readWorkbook(path);
        QCOMPARE(read.size(), 2 + 2 + 2 + 53);
        QCOMPARE(read.at(0), QStringLiteral("الاختبارات rtl=True frozen=A2 filter=A1:P3"));
        QVERIFY(
            read.at(1).startsWith(QStringLiteral("كود الحالة/case_code|اسم الحالة/case_name|")));
        QCOMPARE(read.at(2), QStringLiteral("int:1|str:أحمد سالم|int:1|datetime:%1-01-15 00:00:00|"
                                            "str:منيرة|str:الأب|int:3|int:47|float:66.67|None|"
                                            "None|None|None|float:66.67|None|str:جارى")
                                 .arg(today.year()));
        QCOMPARE(read.at(4), QStringLiteral("الإجابات rtl=True frozen=A2 filter=A1:I54"));
        QCOMPARE(read.at(5), QStringLiteral("كود الحالة/case_code|رقم الاختبار/test_no|"
                                            "تاريخ الاختبار/test_date|رقم المجموعة/domain_id|"
                                            "المجموعة/domain|رقم السؤال/question_id|"
                                            "السؤال/question|الإجابة/answer|الدرجة/mark"));
        QVERIFY2(read.at(7).startsWith(
                     QStringLiteral("int:1|int:1|datetime:%1-01-15 00:00:00|int:1|str:")
                         .arg(today.year())) &&
                     read.at(7).endsWith(QStringLiteral("|str:أحياناً|int:2")),
                 qPrintable(read.at(7)));
    }

    // Every case from the inquiry's export: a workbook with lookups by their names and dates
    // as dates, or a CSV file whose titles the import matches to every field again.
    void everyCaseLeavesAsAWorkbookOrACsvFileTheImportReads()
    {
        reg->caseNamed("هدى", today.addYears(-2),
                       {.branch = 1,
                        .mobile = "0501234567",
                        .gender = 2,
                        .active = false,
                        .columns = {{"stud_city", 2}, {"stud_guard_kinship_degree", 2}}});
        on<QToolButton>("MainForm", "SP_inq_rep")->click();
        on<QToolButton>("InquiresReportsForm", "spStudentsQuery")->click();
        const QString book = folder->filePath("cases.xlsx");
        {
            BoxAnswerer done;
            chooseFile(book);
            on<QToolButton>("StudentQueryForm", "spExport")->click();
            QCOMPARE(done.count(), 1);
            QVERIFY(done.texts.at(0).startsWith(QStringLiteral("تم تصدير الحالات (3)")));
        }
        const QStringList read = readWorkbook(book);
        QCOMPARE(read.size(), 2 + 3);
        QCOMPARE(read.at(0), QStringLiteral("الحالات rtl=True frozen=A2 filter=A1:AS4"));
        const QStringList third = read.at(4).split(QLatin1Char('|'));
        QCOMPARE(third.mid(0, 8),
                 QStringList({"str:3", "str:هدى",
                              "datetime:" + today.addYears(-2).toString(Qt::ISODate) + " 00:00:00",
                              "str:أنثى", "str:موقوف", "None", "None", "str:0501234567"}));
        QVERIFY(third.contains(QStringLiteral("str:جدة")));
        QVERIFY(third.contains(QStringLiteral("str:الأم")));

        const QString csvFile = folder->filePath("cases.csv");
        BoxAnswerer done;
        chooseFile(csvFile);
        on<QToolButton>("StudentQueryForm", "spExport")->click();
        const case_import::Source source = case_import::readSource(csvFile);
        QCOMPARE(source.rowCount(), 3);
        QList<int> expected = {-1};
        for (int field = 0; field < case_fields::fields().size(); ++field)
            expected << field;
        QCOMPARE(case_import::matchColumns(source.heading()), expected << -1);
        QCOMPARE(
            source.file.rows.at(3).mid(0, 5),
            QStringList({"3", "هدى", today.addYears(-2).toString(Qt::ISODate), "أنثى", "موقوف"}));
    }
};

SIMAT_TEST_MAIN(ExchangeTest)
#include "test_exchange.moc"
