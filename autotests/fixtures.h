#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "app/application.h"
#include "report_engine/layout.h"

namespace simat::testing {

// A new, empty database for one test: a file in a temporary folder, or a database created on
// the PostgreSQL server that SIMAT_TEST_PG names (postgresql://user@host:port/dbname).
class TestDatabase {
public:
    enum class Engine { SQLite, PostgreSQL };
    explicit TestDatabase(Engine engine);
    ~TestDatabase();

    const QString &alias() const { return m_alias; }
    // Makes VUM name this database for the program.
    void useAsVum() const;

    static bool postgresAvailable();
    static QString postgresServer();

private:
    Engine m_engine;
    QString m_alias;
    QString m_postgresName;
    std::unique_ptr<QTemporaryDir> m_folder;
};

// Adds the rows "sqlite" and "postgresql" to a data-driven test; a test reads its engine with
// engineOfRow(), which skips the PostgreSQL row when no server is named.
void addEngineRows();
TestDatabase::Engine engineOfRow();

// Answers message boxes as a person would: waits for each modal box, records its text and
// icon, presses OK on a box that has only OK, and gives a question the next of the answers
// (Yes or No; the last one repeats).
class BoxAnswerer : public QObject {
    Q_OBJECT
public:
    explicit BoxAnswerer(QList<QMessageBox::StandardButton> answers = {QMessageBox::Ok});
    ~BoxAnswerer() override;
    static int active();
    QStringList texts;
    QStringList details;     // the hidden details of each box, empty where it has none
    QList<QWidget *> owners; // the window each box stood over, if any
    QList<QMessageBox::Icon> icons;
    QStringList buttonTexts; // of the last box, in its order, as shown
    Qt::LayoutDirection direction = Qt::LeftToRight;
    int count() const { return int(texts.size()); }

private:
    void answerActiveBox();
    QList<QMessageBox::StandardButton> m_answers;
    QTimer m_timer;
};

} // namespace simat::testing

namespace simat::testing {
// Closes a modal window (a message box that no BoxAnswerer is waiting for, a preview, a file
// dialog) that stays open for a second or two, and fails the test that left it, so that an
// unexpected window never hangs the run.
void watchForStrayWindows();

// Logs in through the login screen (the screens exist): code, password, the login button.
void logIn(const QString &code, const QString &password);

// A screen or report window of the program by its object name, and a control of a screen by
// its object name; a missing control ends the run.
QWidget *screen(const char *name);
template <typename T = QWidget> T *on(const char *screenName, const char *control)
{
    T *found = screen(screenName)->findChild<T *>(QLatin1String(control));
    if (!found)
        qFatal("no %s on %s", control, screenName);
    return found;
}

// The text a grid shows in a cell.
QString gridText(const QAbstractItemView *grid, int row, int column);

// Closes every screen but the first, answering Yes to any question a screen asks on closing.
void closeScreens();

// The texts that an element of a band printed on all pages, in order, without the marks
// that keep left-to-right runs in their order.
QStringList printed(const QList<report::LaidOutPage> &pages, const QString &band,
                    const QString &element);

// Every number with a sign or a percent sign, and every date, time, code or ratio of digits and
// separators, that the pages print outside a left-to-right isolate (U+2066 ... U+2069):
// right-to-left text turns such a run round ("33.33-"). Each as "element: text".
QStringList unisolatedRuns(const QList<report::LaidOutPage> &pages);

// Closes the print preview that a print opens, noting that it showed.
class PreviewCloser : public QObject {
public:
    PreviewCloser();
    int shown = 0;
    bool savesPdf = false;

private:
    QTimer m_timer;
};

// Presses Cancel on the first progress window that shows, as a person would, noting what the
// window said then.
class ProgressCanceller : public QObject {
public:
    // Cancels only a window whose label starts with `labelStart`, when one is given.
    explicit ProgressCanceller(const QString &labelStart = {});
    QString said;

private:
    QTimer m_timer;
};

// Runs `handle` on the next modal window of type T once it shows: a file dialog or a message
// box that a button opens and waits on.
template <typename T> void onNextModal(const std::function<void(T *modal)> &handle)
{
    auto *poll = new QTimer(qApp);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, handle] {
        if (auto *modal = qobject_cast<T *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            handle(modal);
        }
    });
    poll->start();
}

// Answers the next file dialog with a path, as a person typing it into the dialog would.
void chooseFile(const QString &path);

// Types a text into a widget key by key, Arabic letters too.
void typeText(QWidget *widget, const QString &text);

// Fills the password change window that shows (ChangePasswordForm) with a new password, twice,
// and saves it, answering the message that follows; the texts of the messages it gave.
QStringList chooseNewPassword(const QString &password);

// Hashes passwords at libsodium's least cost from now on: the tests make hundreds of registers
// and logins, each with a hash of its own. SIMAT_TEST_MAIN calls it; the program's own cost
// is checked by a test that asks for it.
void quickPasswordHashes();

// Leaves out the offscreen platform's notes that it cannot raise windows or size hints; call
// it (once or more) from initTestCase(), once Qt Test has its own message handler. A
// TestRegister calls it before it creates the screens.
void quietOffscreenPlatform();
// A small disk of one test's own: a tmpfs of the given size ("1M") mounted on a temporary
// folder, which can be made read-only. Where the test may not mount (mounted() false) the
// test skips. Going, it is unmounted.
class ScratchDisk {
public:
    explicit ScratchDisk(const QString &size);
    ~ScratchDisk();
    ScratchDisk(const ScratchDisk &) = delete;
    ScratchDisk &operator=(const ScratchDisk &) = delete;

    bool mounted() const { return m_mounted; }
    QString filePath(const QString &name) const { return m_folder.filePath(name); }
    // Remounts it read-only; no file on it may be open for writing then.
    bool makeReadOnly();
    // Fills its free space with a file of its own but for `leftBytes`.
    void fillUpTo(qint64 leftBytes);

private:
    QTemporaryDir m_folder;
    bool m_mounted = false;
};

// One file made read-only where it lies (a read-only bind mount of it), its folder still
// taking writing; undone when it goes. Where the test may not mount, done() is false.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString &path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;
    bool done() const { return m_done; }

private:
    QString m_path;
    bool m_done = false;
};

// A PostgreSQL server of one test's own, on a free loopback port, that the test stops and
// starts again as the centre's administrator would; running() is false where this machine
// has no PostgreSQL server programs. Going, it is stopped and its files removed.
class OwnPostgresServer {
public:
    OwnPostgresServer();
    ~OwnPostgresServer();
    OwnPostgresServer(const OwnPostgresServer &) = delete;
    OwnPostgresServer &operator=(const OwnPostgresServer &) = delete;

    bool running() const { return m_running; }
    // The alias of its database "postgres", whose owner logs in without a password.
    QString alias() const;
    bool stop();
    bool start();

private:
    bool runAsServerOwner(const QStringList &command);
    QTemporaryDir m_folder;
    QString m_programs;
    int m_port = 0;
    bool m_running = false;
};

} // namespace simat::testing

// In init() of an engine-driven test: skips the PostgreSQL row when no server is named, else
// makes `database` a new database of the row's engine.
#define SIMAT_NEW_DATABASE_OF_ROW(database)                                                        \
    do {                                                                                           \
        using simat::testing::TestDatabase;                                                        \
        if (simat::testing::engineOfRow() == TestDatabase::Engine::PostgreSQL &&                   \
            !TestDatabase::postgresAvailable())                                                    \
            QSKIP("SIMAT_TEST_PG names no PostgreSQL server");                                     \
        database = std::make_unique<TestDatabase>(simat::testing::engineOfRow());                  \
    } while (false)

// A Qt Test main that runs under the program's own application object.
#define SIMAT_TEST_MAIN(TestClass)                                                                 \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        qputenv("QT_QPA_PLATFORM", "offscreen");                                                   \
        simat::SimatApplication app(argc, argv);                                                   \
        simat::testing::watchForStrayWindows();                                                    \
        simat::testing::quickPasswordHashes();                                                     \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
