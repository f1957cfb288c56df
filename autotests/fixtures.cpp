#include "fixtures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>

#include "app/startup.h"
#include "data/accounts.h"
#include "ui/screens.h"
#include <QAction>
#include <QFileDialog>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <atomic>
#include <netinet/in.h>
#include <sodium.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace simat::testing {

namespace {

std::atomic<int> databaseSerial{0};

QSqlDatabase maintenanceConnection()
{
    const QString name = QStringLiteral("test-maintenance");
    if (QSqlDatabase::contains(name))
        return QSqlDatabase::database(name);
    const QUrl url(TestDatabase::postgresServer());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(url.host());
    db.setPort(url.port(5432));
    db.setUserName(url.userName());
    db.setPassword(url.password());
    db.setDatabaseName(url.path().mid(1));
    if (!db.open())
        qFatal("cannot reach the PostgreSQL server of SIMAT_TEST_PG: %s",
               qPrintable(db.lastError().text()));
    QSqlQuery(db).exec(QStringLiteral("set client_min_messages = warning"));
    return db;
}

void runMaintenance(const QString &sql)
{
    QSqlQuery query(maintenanceConnection());
    if (!query.exec(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
}

} // namespace

QString TestDatabase::postgresServer()
{
    return qEnvironmentVariable("SIMAT_TEST_PG");
}

bool TestDatabase::postgresAvailable()
{
    return !postgresServer().isEmpty();
}

TestDatabase::TestDatabase(Engine engine)
    : m_engine(engine)
{
    if (engine == Engine::SQLite) {
        m_folder = std::make_unique<QTemporaryDir>();
        m_alias = QStringLiteral("sqlite:") + m_folder->filePath(QStringLiteral("simat.db"));
        return;
    }
    m_postgresName = QStringLiteral("simat_t_%1_%2")
                         .arg(QCoreApplication::applicationPid())
                         .arg(++databaseSerial);
    runMaintenance(QStringLiteral("drop database if exists %1").arg(m_postgresName));
    runMaintenance(QStringLiteral("create database %1 encoding 'UTF8' template template0")
                       .arg(m_postgresName));
    QUrl url(postgresServer());
    url.setPath(QLatin1Char('/') + m_postgresName);
    m_alias = url.toString();
}

TestDatabase::~TestDatabase()
{
    if (!m_postgresName.isEmpty())
        runMaintenance(
            QStringLiteral("drop database if exists %1 with (force)").arg(m_postgresName));
}

void TestDatabase::useAsVum() const
{
    qputenv("SIMAT_ALIAS_VUM", m_alias.toUtf8());
}

void addEngineRows()
{
    QTest::addColumn<int>("engine");
    QTest::newRow("sqlite") << int(TestDatabase::Engine::SQLite);
    QTest::newRow("postgresql") << int(TestDatabase::Engine::PostgreSQL);
}

TestDatabase::Engine engineOfRow()
{
    QFETCH_GLOBAL(int, engine);
    return TestDatabase::Engine(engine);
}

namespace {
int activeAnswerers = 0;
}

int BoxAnswerer::active()
{
    return activeAnswerers;
}

BoxAnswerer::~BoxAnswerer()
{
    --activeAnswerers;
}

BoxAnswerer::BoxAnswerer(QList<QMessageBox::StandardButton> answers)
    : m_answers(answers)
{
    ++activeAnswerers;
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, &BoxAnswerer::answerActiveBox);
    m_timer.start();
}

void BoxAnswerer::answerActiveBox()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    texts << box->text();
    details << box->detailedText();
    owners << box->parentWidget();
    icons << box->icon();
    direction = box->layoutDirection();
    buttonTexts.clear();
    for (QAbstractButton *button : box->buttons())
        buttonTexts << button->text();
    // A box with OK alone takes OK; a question takes the next answer (the last one repeats).
    const bool question = box->button(QMessageBox::Yes) != nullptr;
    QList<QMessageBox::StandardButton> questionAnswers;
    for (QMessageBox::StandardButton answer : m_answers)
        if (answer != QMessageBox::Ok)
            questionAnswers << answer;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    if (question) {
        answer = questionAnswers.value(0, QMessageBox::Yes);
        if (questionAnswers.size() > 1)
            m_answers.removeOne(answer);
    }
    QAbstractButton *button = box->button(answer);
    if (!button)
        qFatal("the message box \"%s\" has no such button", qPrintable(box->text()));
    button->click();
}

namespace {
QtMessageHandler previousHandler = nullptr;

void dropPlatformNotes(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.startsWith(QLatin1String("This plugin does not support")))
        return;
    previousHandler(type, context, text);
}
} // namespace

// A modal window other than a progress window that stays open through three looks of the watch
// (two to three seconds) is one the test did not expect: the test fails at once and the window
// is closed, so the run goes on.
void watchForStrayWindows()
{
    auto *watch = new QTimer(qApp);
    watch->setInterval(1000);
    QObject::connect(watch, &QTimer::timeout, [] {
        static QPointer<QWidget> seen;
        static int looks = 0;
        QWidget *window = QApplication::activeModalWidget();
        const bool answered = qobject_cast<QMessageBox *>(window) && BoxAnswerer::active() > 0;
        // A progress window stays while its work goes on.
        const bool working = qobject_cast<QProgressDialog *>(window) != nullptr;
        if (!window || answered || working || seen != window) {
            seen = answered ? nullptr : window;
            looks = 1;
            return;
        }
        if (++looks < 3)
            return;
        const auto *box = qobject_cast<QMessageBox *>(window);
        qWarning("a window nobody expected stayed open: %s %s", window->metaObject()->className(),
                 qPrintable(box ? box->text() : window->windowTitle()));
        QTest::qFail("an unexpected window stayed open", __FILE__, __LINE__);
        if (auto *dialog = qobject_cast<QDialog *>(window))
            dialog->reject();
        window->close();
    });
    watch->start();
}

QStringList printed(const QList<report::LaidOutPage> &pages, const QString &band,
                    const QString &element)
{
    QStringList texts;
    for (const report::LaidOutPage &page : pages)
        for (const report::Item &item : page.itemsOfBand(band))
            if (item.name == element)
                texts << QString(item.text).remove(QChar(0x2066)).remove(QChar(0x2069));
    return texts;
}

QStringList unisolatedRuns(const QList<report::LaidOutPage> &pages)
{
    static const QRegularExpression run(
        QStringLiteral("[-+]\\d[\\d.,]*|\\d+(?:\\s*[/:-]\\s*\\d+)+|\\d[\\d.,]*\\s*%"));
    QStringList found;
    for (const report::LaidOutPage &page : pages)
        for (const report::Item &item : page.items)
            for (const QRegularExpressionMatch &match : run.globalMatch(item.text)) {
                const QString before = item.text.left(match.capturedStart());
                if (before.count(QChar(0x2066)) <= before.count(QChar(0x2069)))
                    found << item.name + QStringLiteral(": ") + item.text;
            }
    return found;
}

PreviewCloser::PreviewCloser()
{
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        auto *preview = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
        if (!preview)
            return;
        for (QAction *action : preview->findChildren<QAction *>())
            if (action->text() == QStringLiteral("حفظ PDF"))
                savesPdf = true;
        ++shown;
        preview->reject();
    });
    m_timer.start();
}

ProgressCanceller::ProgressCanceller(const QString &labelStart)
{
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, [this, labelStart] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            auto *progress = qobject_cast<QProgressDialog *>(window);
            if (!progress || !progress->isVisible() || progress->wasCanceled() ||
                !progress->labelText().startsWith(labelStart))
                continue;
            said = progress->labelText();
            if (auto *cancel = progress->findChild<QPushButton *>())
                cancel->click();
            m_timer.stop();
        }
    });
    m_timer.start();
}

QWidget *screen(const char *name)
{
    return screens::find(QLatin1String(name));
}

QString gridText(const QAbstractItemView *grid, int row, int column)
{
    return grid->model()->index(row, column).data().toString();
}

void closeScreens()
{
    for (QObject *object : screens::all())
        if (auto *window = qobject_cast<QWidget *>(object);
            window && window->objectName() != QLatin1String("StartupForm")) {
            BoxAnswerer boxes({QMessageBox::Yes});
            window->close();
        }
}

void logIn(const QString &code, const QString &password)
{
    screens::show(QStringLiteral("LoginForm"));
    QWidget *login = screens::find(QStringLiteral("LoginForm"));
    login->findChild<QLineEdit *>(QStringLiteral("Euser_code"))->setText(code);
    login->findChild<QLineEdit *>(QStringLiteral("Epassword"))->setText(password);
    QTest::mouseClick(login->findChild<QAbstractButton *>(QStringLiteral("spLogin")),
                      Qt::LeftButton);
}

QStringList chooseNewPassword(const QString &password)
{
    QWidget *window = screens::find(QStringLiteral("ChangePasswordForm"));
    if (!window->isVisible())
        return {QStringLiteral("no password change window")};
    window->findChild<QLineEdit *>(QStringLiteral("eNewPassword"))->setText(password);
    window->findChild<QLineEdit *>(QStringLiteral("eNewPasswordAgain"))->setText(password);
    BoxAnswerer boxes;
    QTest::mouseClick(window->findChild<QAbstractButton *>(QStringLiteral("spSave")),
                      Qt::LeftButton);
    return boxes.texts;
}

void quickPasswordHashes()
{
    accounts::useHashCost({crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN});
}

void typeText(QWidget *widget, const QString &text)
{
    for (const QChar letter : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(letter), Qt::NoModifier);
}

void quietOffscreenPlatform()
{
    static bool quiet = false;
    if (std::exchange(quiet, true))
        return;
    previousHandler = qInstallMessageHandler(dropPlatformNotes);
}

void chooseFile(const QString &path)
{
    onNextModal<QFileDialog>([path](QFileDialog *dialog) {
        dialog->setDirectory(QFileInfo(path).absolutePath());
        dialog->findChild<QLineEdit *>("fileNameEdit")->setText(QFileInfo(path).fileName());
        static_cast<QDialog *>(dialog)->accept();
    });
}

namespace {

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// A loopback port that nothing listens on now.
int freePort()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(probe, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(probe);
    return port;
}

} // namespace

ScratchDisk::ScratchDisk(const QString &size)
    : m_mounted(run(QStringLiteral("mount"),
                    {"-t", "tmpfs", "-o", "size=" + size, "tmpfs", m_folder.path()}))
{}

ScratchDisk::~ScratchDisk()
{
    if (m_mounted && !run(QStringLiteral("umount"), {m_folder.path()}))
        run(QStringLiteral("umount"), {"-l", m_folder.path()});
}

bool ScratchDisk::makeReadOnly()
{
    return run(QStringLiteral("mount"), {"-o", "remount,ro", m_folder.path()});
}

void ScratchDisk::fillUpTo(qint64 leftBytes)
{
    QFile filler(filePath(QStringLiteral("filler")));
    if (!filler.open(QIODevice::WriteOnly))
        return;
    const QByteArray block(64 * 1024, 'x');
    while (filler.write(block) == block.size() && filler.flush())
        ;
    filler.close();
    filler.resize(std::max<qint64>(0, QFileInfo(filler).size() - leftBytes));
}

ReadOnlyFile::ReadOnlyFile(const QString &path)
    : m_path(path)
    , m_done(run(QStringLiteral("mount"), {"--bind", path, path}))
{
    if (m_done && !run(QStringLiteral("mount"), {"-o", "remount,bind,ro", path})) {
        run(QStringLiteral("umount"), {path});
        m_done = false;
    }
}

ReadOnlyFile::~ReadOnlyFile()
{
    if (m_done)
        run(QStringLiteral("umount"), {m_path});
}

OwnPostgresServer::OwnPostgresServer()
    : m_port(freePort())
{
    QStringList versions =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
    if (versions.isEmpty() || m_port == 0)
        return;
    m_programs = QStringLiteral("/usr/lib/postgresql/%1/bin/").arg(versions.last());
    if (geteuid() == 0 && !run(QStringLiteral("chown"), {"postgres:", m_folder.path()}))
        return;
    if (runAsServerOwner({m_programs + "initdb", "-D", m_folder.filePath("data"), "-U", "postgres",
                          "--auth=trust", "--encoding=UTF8", "--locale=C.UTF-8"}))
        start();
}

OwnPostgresServer::~OwnPostgresServer()
{
    stop();
}

QString OwnPostgresServer::alias() const
{
    return QStringLiteral("postgresql://postgres@127.0.0.1:%1/postgres").arg(m_port);
}

bool OwnPostgresServer::runAsServerOwner(const QStringList &command)
{
    if (geteuid() != 0)
        return run(command.first(), command.mid(1));
    return run(QStringLiteral("runuser"), QStringList{"-u", "postgres", "--"} + command);
}

bool OwnPostgresServer::start()
{
    m_running = runAsServerOwner(
        {m_programs + "pg_ctl", "-D", m_folder.filePath("data"), "-w", "-l",
         m_folder.filePath("server.log"), "-o",
         QStringLiteral("-c listen_addresses=127.0.0.1 -c port=%1 -c unix_socket_directories=%2 "
                        "-c fsync=off")
             .arg(m_port)
             .arg(m_folder.path()),
         "start"});
    return m_running;
}

bool OwnPostgresServer::stop()
{
    if (!m_running)
        return true;
    m_running = !runAsServerOwner(
        {m_programs + "pg_ctl", "-D", m_folder.filePath("data"), "-m", "fast", "-w", "stop"});
    return !m_running;
}

} // namespace simat::testing
