#pragma once

#include "core/checklist_test.h"

#include <optional>

namespace simat {

// What the test screen is doing, without its widgets: the case, the domain on screen, the test
// shown with its header, whether it is new, open or closed, whether it follows up a closed test
// of the same case, and whether answers on screen are not saved. The questions that the user
// must answer before an action goes on are returned as values.
class TestSession {
public:
    enum class Status { New, Open, Closed };
    // What the user must be asked before the screen drops what it shows; Quietly goes on
    // without even a beep.
    enum class Ask { Nothing, LeaveUnsaved, Quietly };

    static constexpr int firstDomain = 1;

    int caseCode() const { return m_test.identity.caseCode; }
    bool hasCase() const { return caseCode() != 0; }
    int domain() const { return m_domain; }
    Status status() const { return m_status; }
    bool isClosed() const { return m_status == Status::Closed; }
    // The test on screen; a new one has number 0.
    const ChecklistTest &test() const { return m_test; }
    ChecklistTest &header() { return m_test; }
    // The identity the stored test on screen was loaded under: an update names it so, whatever
    // date the screen shows since.
    TestIdentity storedIdentity() const;
    bool isFollowUp() const { return m_followUp; }
    const std::optional<TestIdentity> &chosenTest() const { return m_chosen; }
    bool hasUnsavedAnswers() const { return m_unsavedAnswers; }

    // A case is picked or typed: its latest test shows next, and a follow-up ends.
    void pickCase(int caseCode);
    void clearCase();
    // The case picker opens: neither a chosen test nor a follow-up outlives it.
    void pickAnotherCase();
    // A test chosen in the case's tests list, or just saved, shows on the next load.
    void chooseTest(const TestIdentity &test);
    void showDomain(int domain);

    // The load found this stored test, or none: the screen shows a new test of the case.
    void showStored(const ChecklistTest &test);
    void showNew(const QDate &today);
    // The tester agreed to a new test of the case whose closed test is shown.
    void startFollowUp();
    void endFollowUp() { m_followUp = false; }
    void answersChanged() { m_unsavedAnswers = true; }
    void answersShown() { m_unsavedAnswers = false; }

    // New, a domain switch or leaving the screen: what must be asked first.
    Ask askBeforeDropping() const;
    // New asks nothing on the screen's first show, after a save or a delete, or in a follow-up.
    void skipNextQuestion() { m_skipNextQuestion = true; }
    Ask askBeforeNew();
    // Whether New may offer a follow-up test: a closed test of the case is shown and the screen
    // is not being opened from the main menu (the case must also have no open test).
    bool offersFollowUp(bool openedFromMenu) const;

private:
    ChecklistTest m_test;
    int m_domain = firstDomain;
    Status m_status = Status::New;
    QDate m_loadedDate;
    std::optional<TestIdentity> m_chosen;
    bool m_followUp = false;
    bool m_unsavedAnswers = false;
    bool m_skipNextQuestion = false;
};

} // namespace simat
