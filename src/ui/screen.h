#pragma once

#include <QImage>
#include <QWidget>

class QAbstractButton;

namespace simat {

// A top-level screen of the program: right to left, close box only, created once at start-up
// and then shown and hidden. Function keys press the screen's buttons by their names: F2
// spNew, F4 spDelete, F5 spRun, F6 spCloseRep, F8 spSave, F9 spPrint, F12 spExit; a key does
// nothing while its button is hidden or disabled.
class TScreen : public QWidget {
    Q_OBJECT
public:
    explicit TScreen(QWidget *parent = nullptr);

    // Shows the screen, or brings it forward when it is already visible.
    void showScreen();

    // Enables and hides the controls that the session user's level restricts; runs on every
    // show and again whenever another user logs in.
    virtual void applyUserLevel() {}

    // Whether what the screen shows differs from what is stored; a screen that edits says so.
    virtual bool hasUnsavedChanges() const { return false; }
    // True when nothing unsaved is shown, or the user answered Yes to going on without saving
    // it; ask before anything would drop what the screen shows (New, another record, another
    // tab, leaving the screen).
    bool mayDropUnsavedChanges();

protected:
    // What the screen does each time it becomes visible; by default the level rule.
    virtual void FormShow() { applyUserLevel(); }
    // A JPEG of the program's resources drawn over the whole screen.
    void setBackgroundPicture(const QString &resourceName);
    // Hooks the function keys to the buttons, whose places stay when a level hides one; call
    // once the screen's controls exist.
    void installFunctionKeys();
    // The button a function key presses, or none.
    virtual QAbstractButton *functionKeyButton(int key) const;
    // From now on Enter moves from an entry field to the next one in the tab order, and in the
    // last one presses the screen's save button (or, where it has none, its run button).
    void moveOnEnter() { m_movesOnEnter = true; }
    // What Enter in the last entry field does; a screen whose next step is not a button says so.
    virtual void enterInLastField() { pressDefaultButton(); }
    // The step of Enter from an entry field, for a field that handles the key itself first.
    void moveToNextEntryField(QWidget *field);
    void keyPressEvent(QKeyEvent *event) override;

    void showEvent(QShowEvent *event) override;
    // Every way out (the exit button, Escape, the title bar's X, a logout) asks first.
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void centreOnScreen();
    QList<QWidget *> entryFields() const;
    void pressDefaultButton();
    bool m_centred = false;
    bool m_movesOnEnter = false;
    QImage m_background;
};

} // namespace simat
