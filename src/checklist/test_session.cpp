#include "test_session.h"

#include "core/hijri.h"

namespace simat {

TestIdentity TestSession::storedIdentity() const
{
    TestIdentity stored = m_test.identity;
    if (m_shown.isStored())
        stored.testDate = m_shown.identity.testDate;
    return stored;
}

bool TestSession::hasUnsavedHeader() const
{
    if (m_status != Status::Open)
        return false;
    return m_test.school != m_shown.school || m_test.testerId != m_shown.testerId ||
           m_test.infoSourceId != m_shown.infoSourceId ||
           m_test.identity.testDate != m_shown.identity.testDate ||
           m_hijriTestDate != hijri::fromGregorian(m_test.identity.testDate);
}

void TestSession::pickCase(int caseCode)
{
    if (caseCode != this->caseCode()) {
        m_chosen.reset();
        m_followUp = false;
    }
    m_test.identity.caseCode = caseCode;
}

void TestSession::clearCase()
{
    m_chosen.reset();
    m_followUp = false;
    m_test = ChecklistTest();
    m_shown = m_test;
    m_status = Status::New;
    m_unsavedAnswers = false;
}

void TestSession::pickAnotherCase()
{
    m_chosen.reset();
    m_followUp = false;
}

void TestSession::chooseTest(const TestIdentity &test)
{
    m_chosen = test;
    m_test.identity.caseCode = test.caseCode;
}

void TestSession::showDomain(int domain)
{
    m_domain = domain;
    m_unsavedAnswers = false;
}

void TestSession::showStored(const ChecklistTest &test)
{
    m_test = test;
    m_shown = test;
    m_hijriTestDate = hijri::fromGregorian(test.identity.testDate);
    m_status = test.isOpen() ? Status::Open : Status::Closed;
    m_unsavedAnswers = false;
}

void TestSession::showNew(const QDate &today)
{
    ChecklistTest next;
    next.identity = {m_test.identity.branchNo, 0, today, caseCode()};
    next.birthDate = m_test.birthDate;
    m_test = next;
    m_shown = next;
    m_hijriTestDate = hijri::fromGregorian(today);
    m_status = Status::New;
    m_unsavedAnswers = false;
}

void TestSession::startFollowUp()
{
    m_followUp = true;
    m_status = Status::New;
}

TestSession::Ask TestSession::askBeforeDropping() const
{
    return hasUnsavedChanges() ? Ask::LeaveUnsaved : Ask::Nothing;
}

TestSession::Ask TestSession::askBeforeNew() const
{
    if (m_skipNextQuestion)
        return Ask::Quietly;
    if (m_status == Status::Open || hasUnsavedChanges())
        return Ask::LeaveUnsaved;
    return m_followUp ? Ask::Quietly : Ask::Nothing;
}

void TestSession::startNew()
{
    m_skipNextQuestion = false;
    m_followUp = false;
}

bool TestSession::offersFollowUp(bool openedFromMenu) const
{
    return m_status == Status::Closed && !openedFromMenu;
}

} // namespace simat
