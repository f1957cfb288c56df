// The centre's rules without a database or a window: marks, rates, completeness, verdicts,
// the status words, the age limit, what each level may do, and how two tests compare.
#include "core/age.h"
#include "core/bidi.h"
#include "core/checklist_test.h"
#include "core/comparison.h"
#include "core/counted_words.h"
#include "core/numbers.h"
#include "core/permissions.h"

#include <QtTest>

using namespace simat;
using checklist::Answer;

namespace {

AnsweredQuestion question(int domain, int id, Answer answer = Answer::None)
{
    return {id, QStringLiteral("سؤال %1").arg(id), domain, answer};
}

// A test whose domain 1 holds `answers` in order, question 1 first.
ChecklistTest testAnswering(const QList<Answer> &answers, int domain = 1)
{
    QList<AnsweredQuestion> questions;
    for (int id = 1; id <= answers.size(); ++id)
        questions << question(domain, id, answers.at(id - 1));
    ChecklistTest test;
    test.setAnswers(questions);
    return test;
}

} // namespace

class TestCore : public QObject {
    Q_OBJECT
private slots:
    void marksFollowTheAnswers()
    {
        const ChecklistTest test =
            testAnswering({Answer::Always, Answer::Sometimes, Answer::Rarely, Answer::None});
        const checklist::Figures figures = test.domain(1);
        QCOMPARE(figures.questions, 4);
        QCOMPARE(figures.answered, 3);
        QCOMPARE(figures.waiting(), 1);
        QCOMPARE(figures.marks, 6);
        QCOMPARE(figures.greatest(), 12);
        QCOMPARE(*figures.rate(), 50.0);
        QVERIFY(!figures.isComplete());
    }

    void ratesRoundToTwoPlacesAndNeedADivisor()
    {
        QCOMPARE(*testAnswering({Answer::Rarely, Answer::None, Answer::None}).domain(1).rate(),
                 11.11);
        QCOMPARE(
            *testAnswering({Answer::Sometimes, Answer::Rarely, Answer::Rarely}).domain(1).rate(),
            44.44);
        const ChecklistTest empty;
        QVERIFY(!empty.domain(1).rate());
        QCOMPARE(empty.domain(1).shownRate(), 0.0);
        QVERIFY(!empty.whole(0).rate());
        QCOMPARE(checklist::roundedRate(49.995), 50.0);
        QCOMPARE(checklist::roundedRate(49.994), 49.99);
    }

    void verdictsTurnAtFiftyPercent()
    {
        QVERIFY(!checklist::findsTraits(49.99));
        QVERIFY(checklist::findsTraits(50.00));
        QCOMPARE(checklist::reportDomainVerdict(49.99, QStringLiteral("الخلل الحسى")),
                 QStringLiteral("الحالة لاتعانى من التوحد على مستوى مجموعة الخلل الحسى"));
        QCOMPARE(checklist::reportChecklistVerdict(50.0),
                 QStringLiteral("الحالة تعانى من التوحد على مستوى المقياس ككل"));
        // Two of three answers "Rarely" and one "Sometimes": 4 of 9 is 44.44 %.
        const checklist::Figures sound =
            testAnswering({Answer::Rarely, Answer::Rarely, Answer::Sometimes}).domain(1);
        QCOMPARE(checklist::screenDomainResult(sound, QStringLiteral("الخلل الحسى")),
                 QStringLiteral("الحالة سليمة ولاتعانى من التوحد على مستوى مجموعة الخلل الحسى"));
        const checklist::Figures traits = testAnswering({Answer::Always, Answer::Rarely}).domain(1);
        QCOMPARE(checklist::screenChecklistResult(traits),
                 QStringLiteral("الحالة تعانى من التوحد على مستوى المقياس ككل"));
    }

    void aVerdictWaitsForEveryAnswer()
    {
        const checklist::Figures half =
            testAnswering({Answer::Always, Answer::None, Answer::Always, Answer::None}).domain(1);
        QCOMPARE(checklist::screenDomainResult(half, QStringLiteral("الخلل الحسى")),
                 QStringLiteral("أُجيب عن 2 من 4 أسئلة"));
        QCOMPARE(checklist::screenDomainResult(checklist::Figures(), QString()), QString());
    }

    void countsWordTheirQuestions_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("afterPreposition");
        QTest::newRow("1") << 1 << "سؤال واحد"
                           << "سؤال واحد";
        QTest::newRow("2") << 2 << "سؤالان"
                           << "سؤالين";
        QTest::newRow("3") << 3 << "3 أسئلة"
                           << "3 أسئلة";
        QTest::newRow("10") << 10 << "10 أسئلة"
                            << "10 أسئلة";
        QTest::newRow("11") << 11 << "11 سؤالاً"
                            << "11 سؤالاً";
        QTest::newRow("99") << 99 << "99 سؤالاً"
                            << "99 سؤالاً";
        QTest::newRow("100") << 100 << "100 سؤال"
                             << "100 سؤال";
        QTest::newRow("102") << 102 << "102 سؤال"
                             << "102 سؤال";
        QTest::newRow("105") << 105 << "105 أسئلة"
                             << "105 أسئلة";
        QTest::newRow("150") << 150 << "150 سؤالاً"
                             << "150 سؤالاً";
        QTest::newRow("1 000") << 1000 << "\u20661\u00A0000\u2069 سؤال"
                               << "\u20661\u00A0000\u2069 سؤال";
    }
    // A long count is parted by no-break spaces and isolated, so that it reads in its order.
    void longWorkSaysHowFarItHasGone()
    {
        QCOMPARE(howFar(5200, 10000), isolated(QStringLiteral("5\u00A0200")) +
                                          QStringLiteral(" من ") +
                                          isolated(QStringLiteral("10\u00A0000")));
        QCOMPARE(howFar(200, 999), QStringLiteral("200 من 999"));
        QCOMPARE(howFar(12, 0), QStringLiteral("12"));
        QCOMPARE(groupedNumber(-1234567), isolated(QStringLiteral("-1\u00A0234\u00A0567")));
        QCOMPARE(arabic::rows(5200),
                 isolated(QStringLiteral("5\u00A0200")) + QStringLiteral(" صف"));
        QCOMPARE(arabic::pages(3), QStringLiteral("3 صفحات"));
    }

    void countsWordTheirQuestions()
    {
        QFETCH(int, count);
        QFETCH(QString, subject);
        QFETCH(QString, afterPreposition);
        QCOMPARE(arabic::questions(count), subject);
        QCOMPARE(arabic::questions(count, arabic::Case::Oblique), afterPreposition);
        const ChecklistTest unanswered = testAnswering(QList<Answer>(count, Answer::None));
        QCOMPARE(checklist::screenChecklistResult(unanswered.whole(count)),
                 QStringLiteral("أُجيب عن 0 من ") + afterPreposition);
    }

    // The list of a period's tests recommends on what a test holds, once it is complete.
    void anUnfinishedTestHasNoRecommendation()
    {
        const ChecklistTest half = testAnswering({Answer::Always, Answer::Rarely, Answer::None});
        QCOMPARE(*half.held().rate(), 44.44);
        QVERIFY(!half.recommendation(3));
        QVERIFY(!testAnswering({Answer::Always, Answer::Always}).recommendation(3));
        QCOMPARE(*testAnswering({Answer::Always, Answer::Rarely}).recommendation(2),
                 QStringLiteral("الحالة تعانى من التوحد"));
        QCOMPARE(checklist::unfinishedTestText(), QStringLiteral("لم يكتمل الاختبار"));
    }

    void completenessCountsTheWholeChecklist()
    {
        ChecklistTest test = testAnswering({Answer::Always, Answer::Rarely});
        QVERIFY(test.isComplete(2));
        QVERIFY(!test.isComplete(3));
        test.replaceDomain(2, {question(2, 1)});
        QVERIFY(!test.isComplete(3));
        test.replaceDomain(2, {question(2, 1, Answer::Sometimes)});
        QVERIFY(test.isComplete(3));
        const checklist::Figures whole = test.whole(5);
        QCOMPARE(whole.questions, 5);
        QCOMPARE(whole.answered, 3);
        QCOMPARE(whole.marks, 6);
        QCOMPARE(*whole.rate(), 40.0);
    }

    void aDomainIsReplacedWhole()
    {
        ChecklistTest test;
        test.setAnswers({question(2, 1, Answer::Always), question(1, 2, Answer::Always),
                         question(1, 1, Answer::Rarely)});
        QCOMPARE(test.domainAnswers(1).first().id, 1);
        test.replaceDomain(1, {question(1, 3, Answer::Sometimes)});
        QCOMPARE(test.domainAnswers(1).size(), 1);
        QCOMPARE(test.domain(1).marks, 2);
        QCOMPARE(test.domain(2).marks, 3);
    }

    void statusWordsAndCodes()
    {
        using checklist::TestStatus;
        QCOMPARE(checklist::storedCode(TestStatus::Open), 1);
        QCOMPARE(checklist::statusOfStoredCode(0), TestStatus::Closed);
        QCOMPARE(checklist::statusWordOfStoredCode(1), QStringLiteral("جارى"));
        QCOMPARE(checklist::statusWordOfStoredCode(0), QStringLiteral("منتهى"));
        QCOMPARE(checklist::statusWordOfStoredCode(7), QString());
    }

    void theAgeLimitIsEightYearsToTheDay()
    {
        const QDate birth(2016, 3, 15);
        QVERIFY(!isOverAgeLimit(ageOn(birth, QDate(2024, 3, 15))));
        QVERIFY(isOverAgeLimit(ageOn(birth, QDate(2024, 3, 16))));
        QVERIFY(isOverAgeLimit(ageOn(birth, QDate(2025, 1, 1))));
        QCOMPARE(ageLimitMessage(), QStringLiteral("سن الحالة يجب ألا يزيد عن 8 سنوات"));
        ChecklistTest test;
        test.birthDate = birth;
        test.identity.testDate = QDate(2020, 5, 20);
        QCOMPARE(test.age().years, 4);
        QCOMPARE(test.age().months, 2);
        QCOMPARE(test.age().days, 5);
    }

    void levelsGrantWhatTheyMay_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QList<bool>>("granted");
        // test screen, save, close and delete tests, keep and delete cases, basic data, keep
        // lookups, open and keep classifications, delete lookups, open and keep accounts, back
        // up and restore the register, install, own password
        using L = QList<bool>;
        constexpr bool T = true;
        constexpr bool F = false;
        QTest::newRow("administrator") << 0 << F << L(17, T);
        QTest::newRow("supervisor")
            << 1 << F << L{T, T, F, F, T, T, T, T, T, T, T, F, F, F, F, F, T};
        QTest::newRow("tester") << 2 << F << L{T, T, F, F, T, F, T, T, F, F, F, F, F, F, F, F, T};
        QTest::newRow("inquirer") << 3 << F << L{F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, T};
        QTest::newRow("unknown") << 4 << F << L(17, F);
        QTest::newRow("negative") << -1 << F << L(17, F);
        QTest::newRow("administrator, read-only register")
            << 0 << T << L{T, F, F, F, F, F, T, F, T, F, F, T, F, T, F, T, F};
        QTest::newRow("inquirer, read-only register") << 3 << T << L(17, F);
    }
    void levelsGrantWhatTheyMay()
    {
        QFETCH(int, level);
        QFETCH(bool, readOnly);
        QFETCH(QList<bool>, granted);
        using namespace permissions;
        const Access who{level, readOnly};
        const QList<bool> asked = {mayOpenTestScreen(who),      maySaveTests(who),
                                   mayCloseTests(who),          mayDeleteTests(who),
                                   mayKeepCases(who),           mayDeleteCases(who),
                                   mayOpenBasicData(who),       mayKeepLookups(who),
                                   mayOpenClassifications(who), mayKeepClassifications(who),
                                   mayDeleteLookups(who),       mayOpenAccounts(who),
                                   mayKeepAccounts(who),        mayBackUpRegister(who),
                                   mayRestoreRegister(who),     mayInstall(who),
                                   mayChangeOwnPassword(who)};
        QCOMPARE(asked, granted);
    }

    void twoTestsArePairedByQuestion()
    {
        const QList<AnsweredQuestion> earlier = {question(1, 2, Answer::Always),
                                                 question(1, 1, Answer::Rarely)};
        const QList<AnsweredQuestion> later = {question(1, 1, Answer::Sometimes),
                                               question(2, 1, Answer::Always)};
        const QList<checklist::QuestionPair> pairs = checklist::pairByQuestion(earlier, later);
        QCOMPARE(pairs.size(), 3);
        QCOMPARE(pairs.at(0).earlier->answer, Answer::Rarely);
        QCOMPARE(pairs.at(0).later->answer, Answer::Sometimes);
        QVERIFY(!pairs.at(1).later);
        QVERIFY(!pairs.at(2).earlier);
        QCOMPARE(pairs.at(2).domain, 2);
    }

    // The earlier test answers domain 1 "Rarely" throughout and lacks domain 2; the later one
    // answers both.
    void theComparisonFiguresEachDomainAndTheWhole()
    {
        ChecklistTest earlier = testAnswering({Answer::Rarely, Answer::Rarely});
        ChecklistTest later = testAnswering({Answer::Always, Answer::Sometimes});
        later.replaceDomain(2, {question(2, 1, Answer::Always)});
        const checklist::TestComparison compared = checklist::compareTests(earlier, later, 4);
        QCOMPARE(compared.questions.size(), 3);
        QCOMPARE(compared.domains.size(), 2);
        const checklist::DomainComparison &first = *compared.domain(1);
        QCOMPARE(first.earlier.marks, 2);
        QCOMPARE(first.later.marks, 5);
        QCOMPARE(first.change()->value, 3);
        QCOMPARE(*first.change()->rate, 150.0);
        QCOMPARE(first.change()->trend, QStringLiteral("إيجابى"));
        const checklist::DomainComparison &second = *compared.domain(2);
        QCOMPARE(second.earlier.questions, 0);
        QVERIFY(!second.earlier.rate());
        QVERIFY(!second.change());
        QCOMPARE(compared.earlier.greatest(), 12);
        QCOMPARE(*compared.later.rate(), 66.67);
        QCOMPARE(compared.change().value, 6);
        QCOMPARE(compared.change().trend, QString());
        QVERIFY(!compared.domain(3));
        earlier.replaceDomain(2, {question(2, 1, Answer::Always)});
        const checklist::TestComparison complete = checklist::compareTests(earlier, later, 3);
        QCOMPARE(complete.change().trend, QStringLiteral("إيجابى"));
        QCOMPARE(complete.domain(2)->change()->trend, QStringLiteral("ثبات"));
    }

    void changesAndTheirWords()
    {
        QCOMPARE(checklist::changeOf(4, 2).trend, QStringLiteral("سلبى"));
        QCOMPARE(*checklist::changeOf(4, 2).rate, -50.0);
        QCOMPARE(checklist::changeOf(3, 3).trend, QStringLiteral("ثبات"));
        QVERIFY(!checklist::changeOf(0, 3).rate);
        QVERIFY(!checklist::rate(3, 0));
        QCOMPARE(*checklist::rate(1, 4), 25.0);
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "test_core.moc"
