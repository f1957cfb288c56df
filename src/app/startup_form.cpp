#include "startup_form.h"

#include "core/bidi.h"
#include "core/permissions.h"
#include "platform.h"
#include "startup.h"
#include "ui/action.h"
#include "ui/global.h"
#include "ui/messages.h"
#include "ui/screens.h"
#include "ui_startup_form.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>

namespace simat {

namespace {

// The first screen draws its icons in its own ink: the style's icons are read through Qt's image
// plugins, which the start would load for them alone.
const QColor iconInk(0x17, 0x40, 0x5a);

// An icon of `size` pixels, drawn on a grid of 32 × 32 with a round pen of the ink.
QIcon drawnIcon(int size, void (*draw)(QPainter &))
{
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    painter.setPen(QPen(iconInk, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    draw(painter);
    return QIcon(pixmap);
}

void drawRun(QPainter &painter)
{
    painter.setBrush(iconInk);
    painter.drawPolygon(QPolygonF({{10, 6}, {26, 16}, {10, 26}}));
}

void drawGuide(QPainter &painter)
{
    painter.drawEllipse(QPointF(16, 16), 12, 12);
    painter.drawLine(QPointF(16, 14.5), QPointF(16, 22.5));
    painter.setBrush(iconInk);
    painter.drawEllipse(QPointF(16, 9.5), 1, 1);
}

void drawInstall(QPainter &painter)
{
    painter.drawLine(QPointF(16, 4), QPointF(16, 19));
    painter.drawPolyline(QPolygonF({{10, 13}, {16, 19}, {22, 13}}));
    painter.drawPolyline(QPolygonF({{5, 19}, {5, 27}, {27, 27}, {27, 19}}));
}

void drawInstructions(QPainter &painter)
{
    painter.drawRoundedRect(QRectF(7, 4, 18, 24), 2, 2);
    for (const qreal line : {11.0, 16.0, 21.0})
        painter.drawLine(QPointF(11.5, line), QPointF(20.5, line));
}

void drawExit(QPainter &painter)
{
    painter.drawLine(QPointF(8, 8), QPointF(24, 24));
    painter.drawLine(QPointF(24, 8), QPointF(8, 24));
}

} // namespace

TStartupForm::TStartupForm(QWidget *parent)
    : TScreen(parent)
    , ui(std::make_unique<Ui::StartupForm>())
{
    ui->setupUi(this);
    setFixedSize(715, 591);
    setBackgroundPicture(QStringLiteral("startup_background.jpg"));
    const int large = ui->SP_run_prog->iconSize().width();
    ui->SP_run_prog->setIcon(drawnIcon(large, drawRun));
    ui->SP_user_guide->setIcon(drawnIcon(large, drawGuide));
    ui->SP_install_prog->setIcon(drawnIcon(large, drawInstall));
    ui->SP_installation_instructions->setIcon(drawnIcon(large, drawInstructions));
    ui->spExit->setIcon(drawnIcon(ui->spExit->iconSize().width(), drawExit));
    connect(ui->SP_run_prog, &QToolButton::clicked, this,
            guarded(this, &TStartupForm::SP_run_progClick));
    connect(ui->SP_install_prog, &QToolButton::clicked, this,
            guarded(this, &TStartupForm::SP_install_progClick));
    connect(ui->SP_installation_instructions, &QToolButton::clicked, this,
            guarded(this, &TStartupForm::SP_installation_instructionsClick));
    connect(ui->SP_user_guide, &QToolButton::clicked, this,
            guarded(this, &TStartupForm::SP_user_guideClick));
    connect(ui->spExit, &QToolButton::clicked, this, guarded(this, &TStartupForm::spExitClick));
    installFunctionKeys();
}

TStartupForm::~TStartupForm() = default;

namespace {

// A button a level keeps grey says who may use it.
void offerTo(QAbstractButton *button, const QString &action, bool allowed)
{
    button->setEnabled(allowed);
    button->setToolTip(allowed ? action
                               : action + QStringLiteral(" - لمدير النظام (المستوى 0): سجّل الدخول "
                                                         "بحسابه ثم ارجع إلى هذه الشاشة"));
}

// Opens a guide of the program, or says why it cannot.
void openGuide(const QString &fileName, QWidget *owner)
{
    const QString path = QDir(app::docsDirectory()).filePath(fileName);
    const QString shown = isolated(QDir::toNativeSeparators(path));
    if (!QFileInfo::exists(path)) {
        messages::info(QStringLiteral("لم يُعثر على الدليل في %1").arg(shown), owner);
        return;
    }
    if (!platform::hasViewerFor(QStringLiteral("application/pdf")) ||
        !platform::RunDocument(fileName, QString(), app::docsDirectory()))
        messages::info(QStringLiteral("لا يوجد على هذا الجهاز برنامج لعرض ملفات PDF - ثبّت برنامجاً "
                                      "لعرضها، أو افتح الدليل %1 على جهاز آخر")
                           .arg(shown),
                       owner);
}

} // namespace

void TStartupForm::applyUserLevel()
{
    const bool installAllowed = permissions::mayInstall(sessionAccess());
    offerTo(ui->SP_installation_instructions, QStringLiteral("تعليمات التثبيت"), installAllowed);
    offerTo(ui->SP_install_prog, QStringLiteral("تثبيت البرنامج"), installAllowed);
}

void TStartupForm::SP_run_progClick()
{
    screens::show(QStringLiteral("LoginForm"));
}

void TStartupForm::SP_install_progClick()
{
    screens::show(QStringLiteral("SetupOptionsForm"));
}

void TStartupForm::SP_installation_instructionsClick()
{
    openGuide(QStringLiteral("Installation-Instructions.pdf"), this);
}

void TStartupForm::SP_user_guideClick()
{
    openGuide(QStringLiteral("UserGuide.pdf"), this);
}

void TStartupForm::spExitClick()
{
    close();
}

// The program ends only when every other open screen agrees to close (the test screen asks
// first when it holds answers not yet saved).
void TStartupForm::closeEvent(QCloseEvent *event)
{
    for (QObject *object : screens::all()) {
        auto *window = qobject_cast<QWidget *>(object);
        if (window && window != this && window->isVisible() && !window->close()) {
            event->ignore();
            return;
        }
    }
    event->accept();
    QCoreApplication::quit();
}

} // namespace simat
