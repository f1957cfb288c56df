// One workstation entering new tests: logs in to the register that SIMAT_ALIAS_VUM names (a
// TestRegister of test_checklist, whose administrator has his own password) and
// saves a new test for each of `count` cases from `first case` on, through the real test
// screen, offscreen. Prints "saved <case> <test number>" or "refused <case> <what the boxes
// said>" for each, then "done <milliseconds>". The two-workstation tests run two at once.
#include "fixtures.h"
#include "register_builder.h"

#include "app/startup.h"
#include "checklist/measure_diagonsis.h"
#include "ui/screens.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <cstdio>

using namespace simat;
using namespace simat::testing;

namespace {

template <typename T> T *control(QWidget *screen, const char *name)
{
    T *found = screen->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no %s on %s", name, qPrintable(screen->objectName()));
    return found;
}

void tell(const char *format, int caseCode, const QString &detail)
{
    std::printf(format, caseCode, qPrintable(detail));
    std::fflush(stdout);
}

void saveNewTest(TMeasureDiagonsisForm *form, int caseCode)
{
    {
        BoxAnswerer leaveTheSavedTest({QMessageBox::Yes});
        QTest::mouseClick(control<QToolButton>(form, "spNew"), Qt::LeftButton);
    }
    control<QLineEdit>(form, "eStudentCode")->setText(QString::number(caseCode));
    control<QLineEdit>(form, "eInfoSourceCode")->setText(QStringLiteral("1"));
    control<QLineEdit>(form, "eTesterCode")->setText(QStringLiteral("1"));
    control<QLineEdit>(form, "eSchoolName")->setText(QStringLiteral("روضة الأمل"));
    QTableView *grid = form->grid();
    const QRect cell = grid->visualRect(grid->model()->index(0, 2));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    BoxAnswerer boxes;
    QTest::mouseClick(control<QToolButton>(form, "spSave"), Qt::LeftButton);
    if (boxes.texts == QStringList{QStringLiteral("تم حفظ التعديلات بنجاح")})
        tell("saved %d %s\n", caseCode, QString::number(form->shownTestNo()));
    else
        tell("refused %d %s\n", caseCode, boxes.texts.join(QLatin1String(" | ")));
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    SimatApplication app(argc, argv);
    if (argc != 3)
        qFatal("usage: numbering_worker <first case> <count>");
    const int first = QByteArray(argv[1]).toInt();
    const int count = QByteArray(argv[2]).toInt();
    app::createScreens();
    {
        BoxAnswerer boxes;
        logIn(QStringLiteral("1"), administratorPassword);
        if (!boxes.texts.isEmpty())
            qFatal("login: %s", qPrintable(boxes.texts.join(QLatin1String(" | "))));
    }
    QTest::mouseClick(
        control<QToolButton>(screens::find(QStringLiteral("MainForm")), "SP_start_test"),
        Qt::LeftButton);
    QElapsedTimer clock;
    clock.start();
    for (int caseCode = first; caseCode < first + count; ++caseCode)
        saveNewTest(TMeasureDiagonsisForm::instance(), caseCode);
    tell("done %d %s\n", int(clock.elapsed()), QString());
    app::destroyScreens();
    return 0;
}
