// What the test screen is doing, without its widgets: which question New, a domain switch or
// leaving asks, the follow-up of a closed test, and the identity an update names.
#include "checklist/test_session.h"

#include <QtTest>

using namespace simat;
using Ask = TestSession::Ask;

namespace {

ChecklistTest stored(int caseCode, int number, const QDate &date,
                     checklist::TestStatus status = checklist::TestStatus::Open)
{
    ChecklistTest test;
    test.identity = {0, number, date, caseCode};
    test.status = status;
    return test;
}

} // namespace

class TestSessionRules : public QObject {
    Q_OBJECT
private slots:
    void newAsksOnlyWhenSomethingWouldBeLost()
    {
        TestSession session;
        session.skipNextQuestion();
        QCOMPARE(session.askBeforeNew(), Ask::Quietly);
        session.startNew();
        QCOMPARE(session.askBeforeNew(), Ask::Nothing);
        session.answersChanged();
        QCOMPARE(session.askBeforeNew(), Ask::LeaveUnsaved);
        QCOMPARE(session.askBeforeDropping(), Ask::LeaveUnsaved);
        session.pickCase(7);
        session.showStored(stored(7, 3, QDate(2026, 5, 1)));
        QCOMPARE(session.askBeforeDropping(), Ask::Nothing);
        QCOMPARE(session.askBeforeNew(), Ask::LeaveUnsaved);
        session.showStored(stored(7, 3, QDate(2026, 5, 1), checklist::TestStatus::Closed));
        QCOMPARE(session.askBeforeNew(), Ask::Nothing);
    }

    void aClosedTestOffersAFollowUpThatEndsWithTheCase()
    {
        TestSession session;
        session.pickCase(7);
        session.showStored(stored(7, 3, QDate(2026, 5, 1)));
        QVERIFY(!session.offersFollowUp(false));
        session.showStored(stored(7, 3, QDate(2026, 5, 1), checklist::TestStatus::Closed));
        QVERIFY(session.isClosed());
        QVERIFY(!session.offersFollowUp(true));
        QVERIFY(session.offersFollowUp(false));
        session.startFollowUp();
        QCOMPARE(session.status(), TestSession::Status::New);
        QVERIFY(session.isFollowUp());
        session.pickCase(7);
        QVERIFY(session.isFollowUp());
        session.pickCase(8);
        QVERIFY(!session.isFollowUp());
        session.startFollowUp();
        session.endFollowUp();
        QVERIFY(!session.isFollowUp());
    }

    // A follow-up's answers are asked about like any others; No leaves it on, leaving the screen
    // ends it.
    void aFollowUpAsksAboutItsAnswersAndEndsWithTheScreen()
    {
        TestSession session;
        session.pickCase(7);
        session.showStored(stored(7, 3, QDate(2026, 5, 1), checklist::TestStatus::Closed));
        session.startFollowUp();
        QCOMPARE(session.askBeforeNew(), Ask::Quietly);
        session.answersChanged();
        QCOMPARE(session.askBeforeNew(), Ask::LeaveUnsaved);
        QVERIFY(session.isFollowUp());
        session.leaveScreen();
        QVERIFY(!session.isFollowUp());
        session.startFollowUp();
        session.startNew();
        QVERIFY(!session.isFollowUp());
    }

    void aChosenTestStaysChosenUntilAnotherCaseIsPicked()
    {
        TestSession session;
        const TestIdentity chosen{0, 4, QDate(2025, 2, 3), 7};
        session.chooseTest(chosen);
        QCOMPARE(session.caseCode(), 7);
        session.pickCase(7);
        QCOMPARE(*session.chosenTest(), chosen);
        session.pickAnotherCase();
        QVERIFY(!session.chosenTest());
        QCOMPARE(session.caseCode(), 7);
        session.chooseTest(chosen);
        session.clearCase();
        QVERIFY(!session.chosenTest());
        QVERIFY(!session.hasCase());
    }

    void anUpdateNamesTheTestByTheDateItWasLoadedUnder()
    {
        TestSession session;
        session.pickCase(7);
        session.showStored(stored(7, 3, QDate(2026, 5, 1)));
        session.header().identity.testDate = QDate(2026, 6, 2);
        QCOMPARE(session.storedIdentity(), (TestIdentity{0, 3, QDate(2026, 5, 1), 7}));
        session.header().birthDate = QDate(2020, 1, 2);
        session.showNew(QDate(2026, 12, 9));
        QCOMPARE(session.test().identity, (TestIdentity{0, 0, QDate(2026, 12, 9), 7}));
        QCOMPARE(session.test().age().years, 6);
        QVERIFY(!session.test().isStored());
    }

    void aDomainSwitchShowsItsAnswersAsSaved()
    {
        TestSession session;
        session.answersChanged();
        session.showDomain(3);
        QCOMPARE(session.domain(), 3);
        QVERIFY(!session.hasUnsavedAnswers());
    }
};

QTEST_GUILESS_MAIN(TestSessionRules)
#include "test_session.moc"
