#include "test_session.h"

namespace simat {

TestIdentity TestSession::storedIdentity() const
{
    TestIdentity stored = m_test.identity;
    if (m_loadedDate.isValid())
        stored.testDate = m_loadedDate;
    return stored;
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
    m_loadedDate = QDate();
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
    m_loadedDate = test.identity.testDate;
    m_status = test.isOpen() ? Status::Open : Status::Closed;
    m_unsavedAnswers = false;
}

void TestSession::showNew(const QDate &today)
{
    ChecklistTest next;
    next.identity = {m_test.identity.branchNo, 0, today, caseCode()};
    next.birthDate = m_test.birthDate;
    m_test = next;
    m_loadedDate = QDate();
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
    return m_unsavedAnswers ? Ask::LeaveUnsaved : Ask::Nothing;
}

// A stored open test may hold changes of its header, so New asks about it as about answers.
TestSession::Ask TestSession::askBeforeNew()
{
    if (m_skipNextQuestion || m_followUp) {
        m_skipNextQuestion = false;
        m_followUp = false;
        return Ask::Quietly;
    }
    return m_status == Status::Open || m_unsavedAnswers ? Ask::LeaveUnsaved : Ask::Nothing;
}

bool TestSession::offersFollowUp(bool openedFromMenu) const
{
    return m_status == Status::Closed && !openedFromMenu;
}

} // namespace simat
