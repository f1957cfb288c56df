#pragma once

#include "core/checklist_test.h"

#include <optional>

namespace simat {

// What the test screen is doing, without its widgets: the case, the domain on screen, the test
// shown with its header, whether it is new, open or closed, whether it follows up a closed test
// of the same case, whether answers or header fields on screen are not saved, and whether the
// grid holds the domain's questions. The questions that the user must answer before an action
// goes on are returned as values.
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
    // The header of the stored open test on screen (school, tester, source, test date and the
    // Hijri test date as typed) differs from the one it was loaded with.
    bool hasUnsavedHeader() const;
    bool hasUnsavedChanges() const { return m_unsavedAnswers || hasUnsavedHeader(); }

    // A case is picked or typed: its latest test shows next, and a follow-up ends.
    void pickCase(int caseCode);
    void clearCase();
    // The case picker chose a case: neither a chosen test nor a follow-up outlives it.
    void pickAnotherCase();
    // A test chosen in the case's tests list, or just saved, shows on the next load.
    void chooseTest(const TestIdentity &test);
    void showDomain(int domain);
    // The grid is about to read the questions of the domain on screen, and has read `count` of
    // them; a test is saved only over the questions of its domain.
    void readingQuestions() { m_questionsOf = 0; }
    void questionsRead(int domain, int count) { m_questionsOf = count > 0 ? domain : 0; }
    bool showsDomainQuestions() const { return m_questionsOf == m_domain; }

    // The load found this stored test, or none: the screen shows a new test of the case.
    void showStored(const ChecklistTest &test);
    void showNew(const QDate &today);
    // The Hijri test date as the screen's box holds it, typed or shown.
    void setHijriTestDate(const QString &text) { m_hijriTestDate = text; }
    // The tester agreed to a new test of the case whose closed test is shown. It lasts until
    // its first save, another case, New or leaving the screen.
    void startFollowUp();
    void endFollowUp() { m_followUp = false; }
    void leaveScreen() { m_followUp = false; }
    void answersChanged() { m_unsavedAnswers = true; }
    void answersShown() { m_unsavedAnswers = false; }

    // A domain switch, another case or test, or leaving the screen: what must be asked first.
    Ask askBeforeDropping() const;
    // New asks nothing on the screen's first show, after a save or a delete, or in a follow-up
    // with nothing unsaved; a stored open test it always asks about.
    void skipNextQuestion() { m_skipNextQuestion = true; }
    Ask askBeforeNew() const;
    // New goes on: the question it skipped and a follow-up are over.
    void startNew();
    // Whether New may offer a follow-up test: a closed test of the case is shown and the screen
    // is not being opened from the main menu (the case must also have no open test).
    bool offersFollowUp(bool openedFromMenu) const;

private:
    ChecklistTest m_test;
    // The test as it was loaded, to tell what has changed on screen since.
    ChecklistTest m_shown;
    QString m_hijriTestDate;
    int m_domain = firstDomain;
    int m_questionsOf = 0;
    Status m_status = Status::New;
    std::optional<TestIdentity> m_chosen;
    bool m_followUp = false;
    bool m_unsavedAnswers = false;
    bool m_skipNextQuestion = false;
};

} // namespace simat
