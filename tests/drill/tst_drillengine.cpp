#include "drill/drillengine.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QSet>
#include <QTest>

#include <functional>
#include <limits>

using namespace kz;
using kz::test::FakeClock;
using kz::test::RecordingCues;
using kz::test::ScriptedRandom;

namespace {

class RecordingObserver final : public DrillObserver {
public:
    QStringList events;
    QList<QuestionItem> questions;
    QList<bool> retries;
    QList<DrillEnding> endings;
    QList<int> remaining;
    std::function<void()> duringRefresh;
    std::function<void()> duringEnd;

    void timeLimitSet(qint32 seconds, bool hasLimit) override {
        events << QStringLiteral("limit %1 %2").arg(seconds).arg(hasLimit);
    }
    void remainingChanged(int value) override {
        remaining << value;
        events << QStringLiteral("remaining %1").arg(value);
    }
    void questionShown(const QuestionItem& q, bool isRetry) override {
        questions << q;
        retries << isRetry;
        events << QStringLiteral("%1 %2x%3")
                      .arg(isRetry ? "retry" : "question")
                      .arg(q.tableNumber)
                      .arg(q.factor);
    }
    void typedAnswerChanged(const QString& typed) override { events << QStringLiteral("typed ") + typed; }
    void correctAnswerShown(int answer) override { events << QStringLiteral("correct %1").arg(answer); }
    void refreshRequested() override {
        events << QStringLiteral("refresh");
        if (duringRefresh)
            duringRefresh();
    }
    void confirmPromptShown() override { events << QStringLiteral("prompt"); }
    void confirmPromptHidden() override { events << QStringLiteral("prompt hidden"); }
    void correctAnswerHidden() override { events << QStringLiteral("correct hidden"); }
    void clockRunningChanged(bool running) override {
        events << (running ? QStringLiteral("clock on") : QStringLiteral("clock off"));
    }
    void elapsedChanged(qint32 seconds) override { events << QStringLiteral("elapsed %1").arg(seconds); }
    void attemptEnded(const DrillEnding& ending) override {
        endings << ending;
        events << QStringLiteral("ended");
        if (duringEnd)
            duringEnd();
    }
};

// One engine with its fakes. The random source is scripted unless a test seeds a real one.
struct Rig {
    FakeClock clock;
    ScriptedRandom scripted;
    SystemRandom system;
    RecordingCues cues;
    RecordingObserver observer;
    DrillEngine engine;

    explicit Rig(bool realRandom = false, quint32 seed = 1)
        : engine(clock, realRandom ? static_cast<RandomSource&>(system) : scripted, cues, observer) {
        system.seed(seed);
    }

    void type(const QString& text) {
        for (QChar c : text)
            engine.onKeyPress(c.unicode());
    }
    void answerRight() { type(QString::number(engine.expectedAnswer()) + QLatin1Char(' ')); }
    void answerWrong() { type(QStringLiteral("0 ")); }
    void answerWrongAndConfirm() { type(QStringLiteral("0 ++")); }
    void tickAt(qint64 ms) {
        clock.advanceMs(ms);
        engine.onClockTick();
    }
    // One tick a second until the given elapsed second.
    void tickUntil(int seconds) {
        while (engine.elapsedSeconds() < seconds && engine.clockRunning())
            tickAt(1000);
    }
    QList<int> factors() const {
        QList<int> list;
        for (const QuestionItem& q : observer.questions)
            list << q.factor;
        return list;
    }
};

QList<int> range(int first, int last) {
    QList<int> list;
    for (int i = first; i <= last; ++i)
        list << i;
    return list;
}

} // namespace

class TestDrillEngine : public QObject {
    Q_OBJECT
private slots:
    void levelTable_data();
    void levelTable();
    void levelsOutsideTheCatalogueAreRefused_data();
    void levelsOutsideTheCatalogueAreRefused();
    void level1WithoutMistakesAsksThirtyInOrder();
    void level3WithOneWrongAnswer();
    void level25AsksEveryProductOnce_data();
    void level25AsksEveryProductOnce();
    void inOrderRetryIsAskedAgainUntilRight();
    void shuffledWrongItemStaysInTheDraw();
    void shuffledRemainingCountsOpenItems();
    void wrongAnswerSequence();
    void confirmation_data();
    void confirmation();
    void typing_data();
    void typing();
    void clearingKeys_data();
    void clearingKeys();
    void numericReading_data();
    void numericReading();
    void penaltyTimesOutAtNextTick();
    void timeOutPutOffDuringJudgement_data();
    void timeOutPutOffDuringJudgement();
    void judgementThatFinishesWinsOverTimeOut_data();
    void judgementThatFinishesWinsOverTimeOut();
    void handOffRunsOnce_data();
    void handOffRunsOnce();
    void keysAfterTheEndDoNothing_data();
    void keysAfterTheEndDoNothing();
    void everyLevelFinishes_data();
    void everyLevelFinishes();
    void everyLevelTimesOut_data();
    void everyLevelTimesOut();
    void elapsedRoundsHalfToEven_data();
    void elapsedRoundsHalfToEven();
    void attemptAcrossMidnightKeepsCounting();
    void noTimeLimitWithoutMinimumTime_data();
    void noTimeLimitWithoutMinimumTime();
    void hugeMinimumTimeDoesNotOverflow();
    void stuckRandomNeverHangs_data();
    void stuckRandomNeverHangs();
    void penaltyJustBeforeFinishIsRecorded();
};

void TestDrillEngine::levelTable_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<QList<int>>("tables");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<bool>("shuffled");
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("total");
    struct Row {
        int table, first, last, items;
    };
    // Odd levels in order (three passes), even levels shuffled (one pass).
    const Row rows[] = {{14, 1, 10, 10}, {14, 11, 15, 5}, {14, 16, 20, 5}, {14, 1, 20, 20},
                        {15, 1, 10, 10}, {15, 11, 15, 5}, {15, 16, 20, 5}, {15, 1, 20, 20},
                        {16, 1, 10, 10}, {16, 11, 15, 5}, {16, 16, 20, 5}, {16, 1, 20, 20}};
    int level = 1;
    for (const Row& r : rows) {
        QTest::addRow("level %d", level)
            << level << QList<int>{r.table} << r.first << r.last << false << r.items << 3 * r.items;
        ++level;
        QTest::addRow("level %d", level)
            << level << QList<int>{r.table} << r.first << r.last << true << r.items << r.items;
        ++level;
    }
    QTest::newRow("level 25") << 25 << QList<int>{14, 15, 16} << 1 << 20 << true << 60 << 60;
}

void TestDrillEngine::levelTable() {
    QFETCH(int, level);
    QFETCH(QList<int>, tables);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(bool, shuffled);
    QFETCH(int, items);
    QFETCH(int, total);

    const auto entry = drillLevelSpec(level);
    QVERIFY(entry.has_value());
    QCOMPARE(entry->level, level);
    QCOMPARE(entry->orderMode, shuffled ? OrderMode::Shuffled : OrderMode::InOrder);
    QCOMPARE(entry->itemCount, items);
    QCOMPARE(entry->questionTotal, total);

    QList<QuestionItem> expected;
    for (int table : tables)
        for (int f = first; f <= last; ++f)
            expected << QuestionItem{table, f};
    QCOMPARE(entry->items(), expected);

    Rig rig;
    QVERIFY(rig.engine.startAttempt(level, 10));
    QCOMPARE(rig.engine.items(), expected);
    QCOMPARE(rig.engine.questionTotal(), total);
    QCOMPARE(rig.engine.remainingQuestions(), total);
}

void TestDrillEngine::levelsOutsideTheCatalogueAreRefused_data() {
    QTest::addColumn<int>("level");
    QTest::newRow("0") << 0;
    QTest::newRow("-1") << -1;
    QTest::newRow("26") << 26;
    QTest::newRow("35") << 35;
    QTest::newRow("int max") << std::numeric_limits<int>::max();
}

void TestDrillEngine::levelsOutsideTheCatalogueAreRefused() {
    QFETCH(int, level);
    QVERIFY(!drillLevelSpec(level).has_value());
    Rig rig;
    QVERIFY(!rig.engine.startAttempt(level, 12));
    QCOMPARE(rig.engine.state(), DrillState::NoQuestions);
    QVERIFY(!rig.engine.clockRunning());
    rig.type(QStringLiteral("12 ++"));
    rig.engine.onKeyDown(DrillEngine::kEnterKey);
    rig.tickAt(1000000);
    rig.engine.問題作成表示();
    QCOMPARE(rig.engine.state(), DrillState::NoQuestions);
    QVERIFY(rig.observer.questions.isEmpty());
    QVERIFY(rig.observer.endings.isEmpty());
    QVERIFY(rig.cues.played.isEmpty());
    QVERIFY(rig.engine.typedAnswer().isEmpty());
}

void TestDrillEngine::level1WithoutMistakesAsksThirtyInOrder() {
    Rig rig;
    QVERIFY(rig.engine.startAttempt(1, 40));
    QCOMPARE(rig.engine.remainingQuestions(), 30);
    while (!rig.engine.ended()) {
        rig.tickAt(1000);
        rig.answerRight();
    }
    const QList<int> pass = range(1, 10);
    QCOMPARE(rig.factors(), pass + pass + pass);
    for (const QuestionItem& q : rig.observer.questions)
        QCOMPARE(q.tableNumber, 14);
    QVERIFY(!rig.observer.retries.contains(true));
    QList<int> countdown;
    for (int i = 30; i >= 0; --i)
        countdown << i;
    QCOMPARE(rig.observer.remaining, countdown);
    QCOMPARE(rig.observer.endings.size(), 1);
    QVERIFY(rig.observer.endings[0].finished);
    QVERIFY(!rig.observer.endings[0].timedOut);
    QCOMPARE(rig.observer.endings[0].elapsedSeconds, 30);
    QCOMPARE(rig.cues.played.count(QStringLiteral("right")), 30);
    QVERIFY(!rig.engine.clockRunning());
    QCOMPARE(rig.engine.state(), DrillState::Finished);
}

void TestDrillEngine::level3WithOneWrongAnswer() {
    Rig rig;
    QVERIFY(rig.engine.startAttempt(3, 30));
    int rightAnswers = 0;
    while (!rig.engine.ended()) {
        const bool firstThirteen = rig.observer.questions.size() == 3;
        QCOMPARE(rig.engine.state(), DrillState::Entering);
        if (firstThirteen) {
            rig.answerWrongAndConfirm();
        } else {
            rig.answerRight();
            ++rightAnswers;
        }
    }
    QCOMPARE(rig.factors(), (QList<int>{11, 12, 13, 14, 15, 13, 11, 12, 13, 14, 15, 11, 12, 13, 14, 15}));
    QList<bool> retries(16, false);
    retries[5] = true;
    QCOMPARE(rig.observer.retries, retries);
    QCOMPARE(rightAnswers, 15);
    QCOMPARE(rig.engine.correctCount(), 15);
    QCOMPARE(rig.observer.endings.size(), 1);
    QVERIFY(rig.observer.endings[0].finished);
    QCOMPARE(rig.cues.played.count(QStringLiteral("wrong")), 1);
}

void TestDrillEngine::level25AsksEveryProductOnce_data() {
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 2u, 77u, 4096u, 123456789u})
        QTest::addRow("seed %u", seed) << seed;
}

void TestDrillEngine::level25AsksEveryProductOnce() {
    QFETCH(quint32, seed);
    Rig rig(true, seed);
    QVERIFY(rig.engine.startAttempt(25, 100));
    while (!rig.engine.ended())
        rig.answerRight();
    QCOMPARE(rig.observer.questions.size(), 60);
    QSet<QPair<int, int>> seen;
    for (const QuestionItem& q : rig.observer.questions)
        seen.insert({q.tableNumber, q.factor});
    QCOMPARE(seen.size(), 60);
    QCOMPARE(rig.observer.endings.size(), 1);
    QVERIFY(rig.observer.endings[0].finished);
    // A real shuffle: the questions do not come in table order.
    QVERIFY(rig.observer.questions != drillLevelSpec(25)->items());
}

void TestDrillEngine::inOrderRetryIsAskedAgainUntilRight() {
    Rig rig;
    QVERIFY(rig.engine.startAttempt(1, 100));
    // First pass: 14 x 3 and 14 x 7 wrong.
    for (int f = 1; f <= 10; ++f) {
        QCOMPARE(rig.engine.currentQuestion().factor, f);
        if (f == 3 || f == 7)
            rig.answerWrongAndConfirm();
        else
            rig.answerRight();
    }
    // Retries, lowest first; 14 x 3 wrong again comes back at once.
    QCOMPARE(rig.engine.currentQuestion().factor, 3);
    QVERIFY(rig.engine.isRetryQuestion());
    rig.answerWrongAndConfirm();
    QCOMPARE(rig.engine.currentQuestion().factor, 3);
    QVERIFY(rig.engine.isRetryQuestion());
    rig.answerRight();
    QCOMPARE(rig.engine.currentQuestion().factor, 7);
    QVERIFY(rig.engine.isRetryQuestion());
    rig.answerRight();
    // The next pass starts at item 1 and is no retry.
    QCOMPARE(rig.engine.currentQuestion().factor, 1);
    QVERIFY(!rig.engine.isRetryQuestion());
    QVERIFY(!rig.engine.retryPhase());
    QCOMPARE(rig.engine.correctCount(), 10);
    QCOMPARE(rig.engine.remainingQuestions(), 20);
    const QList<bool> retries = rig.observer.retries;
    QCOMPARE(retries.count(true), 3);
}

void TestDrillEngine::shuffledWrongItemStaysInTheDraw() {
    Rig rig;
    // Level 4: 14 x 11 .. 15. r = 0.3 draws item 2 (14 x 12), r = 0.0 item 1.
    rig.scripted.values = {0.3, 0.3, 0.3, 0.0, 0.5, 0.7, 0.9};
    QVERIFY(rig.engine.startAttempt(4, 100));
    QCOMPARE(rig.engine.currentQuestion(), (QuestionItem{14, 12}));
    rig.answerWrongAndConfirm();
    QCOMPARE(rig.engine.currentQuestion(), (QuestionItem{14, 12})); // drawn again at once
    QVERIFY(!rig.engine.isRetryQuestion());
    rig.answerRight();
    // 0.3 hits the answered item and is drawn again: 0.0 gives item 1.
    QCOMPARE(rig.engine.currentQuestion(), (QuestionItem{14, 11}));
    QCOMPARE(rig.scripted.position, 4);
    rig.answerRight();
    QCOMPARE(rig.engine.currentQuestion(), (QuestionItem{14, 13}));
    rig.answerRight();
    QCOMPARE(rig.engine.currentQuestion(), (QuestionItem{14, 14}));
    rig.answerWrongAndConfirm();
    QCOMPARE(rig.engine.currentQuestion(), (QuestionItem{14, 15})); // 0.9 now
    rig.answerRight();
    QVERIFY(!rig.engine.ended()); // 14 x 14 still open
    QCOMPARE(rig.engine.currentQuestion(), (QuestionItem{14, 14}));
    rig.answerRight();
    QVERIFY(rig.engine.finished());
    QCOMPARE(rig.observer.questions.size(), 7);
}

void TestDrillEngine::shuffledRemainingCountsOpenItems() {
    Rig rig(true, 5);
    QVERIFY(rig.engine.startAttempt(2, 100));
    QCOMPARE(rig.engine.remainingQuestions(), 10);
    rig.answerWrongAndConfirm();
    QCOMPARE(rig.engine.remainingQuestions(), 10);
    while (!rig.engine.ended())
        rig.answerRight();
    // Shown before every question: 10 twice (the wrong answer), then down to 0 at the end.
    QList<int> expected{10, 10, 10};
    for (int i = 9; i >= 0; --i)
        expected << i;
    QCOMPARE(rig.observer.remaining, expected);
}

void TestDrillEngine::wrongAnswerSequence() {
    Rig rig;
    QVERIFY(rig.engine.startAttempt(1, 100));
    rig.tickAt(3000);
    rig.observer.events.clear();
    rig.engine.onKeyPress(DrillEngine::kSpaceChar); // nothing typed
    QCOMPARE(rig.observer.events, (QStringList{"correct 14", "refresh", "prompt"}));
    QCOMPARE(rig.cues.played, QStringList{"wrong"});
    QCOMPARE(rig.engine.state(), DrillState::WaitingForConfirm);
    QCOMPARE(rig.engine.elapsedSeconds(), 3); // the penalty shows at the next tick
    rig.tickAt(0);
    QCOMPARE(rig.engine.elapsedSeconds(), 13);
    rig.observer.events.clear();
    rig.type(QStringLiteral("++"));
    QCOMPARE(rig.observer.events, (QStringList{"prompt hidden", "correct hidden", "question 14x2"}));
    QCOMPARE(rig.engine.state(), DrillState::Entering);
}

void TestDrillEngine::confirmation_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("goesOn");
    QTest::newRow("two plus") << "++" << true;
    QTest::newRow("one plus") << "+" << false;
    QTest::newRow("plus one plus") << "+1+" << false;
    QTest::newRow("plus one plus plus") << "+1++" << true;
    QTest::newRow("space then two plus") << " ++" << true;
    QTest::newRow("plus space plus") << "+ +" << false;
    QTest::newRow("plus backspace plus") << "+\b+" << false;
    QTest::newRow("digits only") << "123" << false;
}

void TestDrillEngine::confirmation() {
    QFETCH(QString, keys);
    QFETCH(bool, goesOn);
    Rig rig;
    QVERIFY(rig.engine.startAttempt(1, 100));
    rig.type(QStringLiteral("99 "));
    rig.type(keys);
    QCOMPARE(rig.engine.state(), goesOn ? DrillState::Entering : DrillState::WaitingForConfirm);
    QCOMPARE(rig.engine.currentQuestion().factor, goesOn ? 2 : 1);
    QCOMPARE(rig.engine.typedAnswer(), goesOn ? QString() : QStringLiteral("99"));
    QCOMPARE(rig.cues.played, QStringList{"wrong"}); // nothing judged again
}

void TestDrillEngine::typing_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("warnings");
    QTest::newRow("three digits") << "123"
                                  << "123" << 0;
    QTest::newRow("fourth digit warns") << "1234"
                                        << "123" << 1;
    QTest::newRow("fourth letter warns too") << "123a"
                                             << "123" << 1;
    QTest::newRow("fifth and sixth") << "123456"
                                     << "123" << 3;
    QTest::newRow("letters ignored") << "a1b"
                                     << "1" << 0;
    QTest::newRow("codes 42 to 57") << "*+,"
                                    << "*+," << 0;
    QTest::newRow("more of them") << "-./"
                                  << "-./" << 0;
    QTest::newRow("below 42") << ")("
                              << "" << 0;
    QTest::newRow("backspace on empty") << "\b"
                                        << "" << 0;
    QTest::newRow("backspace removes last") << "12\b"
                                            << "1" << 0;
    QTest::newRow("backspace at three") << "123\b4"
                                        << "124" << 0;
    QTest::newRow("backspace then empty") << "1\b\b\b"
                                          << "" << 0;
}

void TestDrillEngine::typing() {
    QFETCH(QString, keys);
    QFETCH(QString, typed);
    QFETCH(int, warnings);
    Rig rig;
    QVERIFY(rig.engine.startAttempt(1, 100));
    rig.observer.events.clear();
    rig.type(keys);
    QCOMPARE(rig.engine.typedAnswer(), typed);
    QCOMPARE(rig.cues.played.count(QStringLiteral("keyWarning")), warnings);
    QCOMPARE(rig.cues.played.size(), warnings);
    // The screen is told every change and nothing else.
    QString shown;
    for (const QString& e : std::as_const(rig.observer.events)) {
        QVERIFY2(e.startsWith(QStringLiteral("typed ")), qPrintable(e));
        QVERIFY(e.mid(6) != shown);
        shown = e.mid(6);
    }
    QCOMPARE(shown, typed);
}

void TestDrillEngine::clearingKeys_data() {
    QTest::addColumn<int>("keyCode");
    QTest::addColumn<bool>("clears");
    QTest::newRow("enter") << 13 << true;
    QTest::newRow("left") << 37 << true;
    QTest::newRow("up") << 38 << true;
    QTest::newRow("right") << 39 << true;
    QTest::newRow("down") << 40 << true;
    QTest::newRow("home") << 36 << false;
    QTest::newRow("insert") << 45 << false;
    QTest::newRow("digit key") << 49 << false;
}

void TestDrillEngine::clearingKeys() {
    QFETCH(int, keyCode);
    QFETCH(bool, clears);
    Rig rig;
    QVERIFY(rig.engine.startAttempt(1, 100));
    rig.type(QStringLiteral("12"));
    rig.engine.onKeyDown(keyCode);
    QCOMPARE(rig.engine.typedAnswer(), clears ? QString() : QStringLiteral("12"));

    // Also while the "+" prompt is up, without touching the confirmation.
    rig.type(QStringLiteral("\b\b\b7 +"));
    QCOMPARE(rig.engine.confirmState(), 2);
    rig.engine.onKeyDown(keyCode);
    QCOMPARE(rig.engine.typedAnswer(), clears ? QString() : QStringLiteral("7"));
    QCOMPARE(rig.engine.confirmState(), 2);
    rig.type(QStringLiteral("+"));
    QCOMPARE(rig.engine.state(), DrillState::Entering);
}

void TestDrillEngine::numericReading_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("right");
    QTest::newRow("42") << "42" << true;
    QTest::newRow("42.") << "42." << true;
    QTest::newRow("+42") << "+42" << true;
    QTest::newRow("42+") << "42+" << true;
    QTest::newRow("042") << "042" << true;
    QTest::newRow("42*") << "42*" << true;
    QTest::newRow("4-2") << "4-2" << false;
    QTest::newRow("-42") << "-42" << false;
    QTest::newRow("4.2") << "4.2" << false;
    QTest::newRow("*42") << "*42" << false;
    QTest::newRow("43") << "43" << false;
    QTest::newRow("empty") << "" << false;
}

void TestDrillEngine::numericReading() {
    QFETCH(QString, typed);
    QFETCH(bool, right);
    Rig rig;
    QVERIFY(rig.engine.startAttempt(1, 100));
    rig.answerRight();
    rig.answerRight();
    QCOMPARE(rig.engine.currentQuestion(), (QuestionItem{14, 3}));
    rig.cues.played.clear();
    rig.type(typed + QLatin1Char(' '));
    QCOMPARE(rig.cues.played, QStringList{right ? "right" : "wrong"});
    QCOMPARE(rig.engine.correctCount(), right ? 3 : 2);
}

void TestDrillEngine::penaltyTimesOutAtNextTick() {
    Rig rig;
    QVERIFY(rig.engine.startAttempt(1, 12)); // limit 60 s
    QCOMPARE(rig.engine.timeLimit(), 60);
    QVERIFY(rig.observer.events.contains(QStringLiteral("limit 60 1")));
    rig.tickUntil(55);
    QCOMPARE(rig.engine.elapsedSeconds(), 55);
    rig.answerWrong();
    QVERIFY(!rig.engine.ended());
    rig.engine.onClockTick(); // due within the same second
    QCOMPARE(rig.engine.elapsedSeconds(), 65);
    QVERIFY(rig.engine.timedOut());
    QVERIFY(!rig.engine.finished());
    QVERIFY(!rig.engine.clockRunning());
    QCOMPARE(rig.observer.endings.size(), 1);
    QVERIFY(rig.observer.endings[0].timedOut);
    QCOMPARE(rig.observer.endings[0].elapsedSeconds, 65);
    const qsizetype at = rig.observer.events.indexOf(QStringLiteral("ended"));
    QCOMPARE(rig.observer.events.mid(at - 2, 3), (QStringList{"elapsed 65", "clock off", "ended"}));
}

void TestDrillEngine::timeOutPutOffDuringJudgement_data() {
    QTest::addColumn<bool>("rightAnswer");
    QTest::addColumn<bool>("tickInRefresh");
    QTest::newRow("right answer, tick during its cue") << true << false;
    QTest::newRow("wrong answer, tick during its cue") << false << false;
    QTest::newRow("wrong answer, tick during the repaint") << false << true;
}

void TestDrillEngine::timeOutPutOffDuringJudgement() {
    QFETCH(bool, rightAnswer);
    QFETCH(bool, tickInRefresh);
    Rig rig;
    QVERIFY(rig.engine.startAttempt(1, 12)); // limit 60 s
    rig.tickUntil(59);
    bool sawTick = false;
    auto lateTick = [&] {
        rig.clock.advanceMs(1000);
        rig.engine.onClockTick();
        sawTick = true;
        QVERIFY(!rig.engine.timedOut());
        QVERIFY(rig.engine.elapsedSeconds() >= 60);
        // Keys in the middle of a judgement do nothing.
        rig.type(QStringLiteral("5+ "));
    };
    const auto duringCue = [&](const QString& name) {
        rig.cues.onPlay = [&lateTick, name](const QString& cue) {
            if (cue == name)
                lateTick();
        };
    };
    if (rightAnswer)
        duringCue(QStringLiteral("right"));
    else if (tickInRefresh)
        rig.observer.duringRefresh = lateTick;
    else
        duringCue(QStringLiteral("wrong"));

    if (rightAnswer)
        rig.answerRight();
    else
        rig.answerWrong();
    QVERIFY(sawTick);
    QVERIFY(!rig.engine.ended());
    QVERIFY(rig.observer.endings.isEmpty());
    QCOMPARE(rig.engine.state(), rightAnswer ? DrillState::Entering : DrillState::WaitingForConfirm);
    QCOMPARE(rig.engine.typedAnswer(), rightAnswer ? QString() : QStringLiteral("0"));

    rig.engine.onClockTick(); // the first tick after the judgement
    QVERIFY(rig.engine.timedOut());
    QCOMPARE(rig.observer.endings.size(), 1);
    QVERIFY(rig.observer.endings[0].timedOut);
}

void TestDrillEngine::judgementThatFinishesWinsOverTimeOut_data() {
    QTest::addColumn<int>("level");
    QTest::newRow("in order") << 3;
    QTest::newRow("shuffled") << 4;
}

void TestDrillEngine::judgementThatFinishesWinsOverTimeOut() {
    QFETCH(int, level);
    Rig rig(true, 3);
    QVERIFY(rig.engine.startAttempt(level, 12));
    const int total = rig.engine.questionTotal();
    for (int i = 1; i < total; ++i)
        rig.answerRight();
    rig.tickUntil(59);
    rig.cues.onPlay = [&](const QString& cue) {
        if (cue != QStringLiteral("right"))
            return;
        rig.clock.advanceMs(5000);
        rig.engine.onClockTick();
    };
    rig.answerRight();
    QVERIFY(rig.engine.finished());
    QVERIFY(!rig.engine.timedOut());
    rig.cues.onPlay = nullptr;
    rig.tickAt(1000);
    rig.tickAt(1000);
    QVERIFY(!rig.engine.timedOut());
    QCOMPARE(rig.observer.endings.size(), 1);
    QVERIFY(rig.observer.endings[0].finished);
    QVERIFY(!rig.observer.endings[0].timedOut);
    QCOMPARE(rig.observer.endings[0].elapsedSeconds, 64);
}

void TestDrillEngine::handOffRunsOnce_data() {
    QTest::addColumn<bool>("byTimeOut");
    QTest::addColumn<int>("level");
    QTest::newRow("finish, in order") << false << 5;
    QTest::newRow("finish, shuffled") << false << 6;
    QTest::newRow("time-out, in order") << true << 5;
    QTest::newRow("time-out, shuffled") << true << 6;
}

void TestDrillEngine::handOffRunsOnce() {
    QFETCH(bool, byTimeOut);
    QFETCH(int, level);
    Rig rig(true, 9);
    QVERIFY(rig.engine.startAttempt(level, 12));
    // The hand-off keeps the event loop running: ticks and keys of every kind reach the
    // engine while it runs.
    rig.observer.duringEnd = [&] {
        QVERIFY(!rig.engine.clockRunning());
        rig.tickAt(1000);
        rig.answerRight();
        rig.answerWrongAndConfirm();
        rig.engine.onKeyDown(DrillEngine::kEnterKey);
        rig.engine.問題作成表示();
        rig.tickAt(100000);
    };
    if (byTimeOut) {
        rig.answerRight();
        rig.tickUntil(60);
    } else {
        while (!rig.engine.ended())
            rig.answerRight();
    }
    rig.tickAt(100000);
    rig.answerRight();
    QCOMPARE(rig.observer.endings.size(), 1);
    QCOMPARE(rig.observer.endings[0].timedOut, byTimeOut);
    QCOMPARE(rig.observer.endings[0].finished, !byTimeOut);
    QCOMPARE(rig.engine.timedOut(), byTimeOut);
    QCOMPARE(rig.engine.finished(), !byTimeOut);
}

void TestDrillEngine::keysAfterTheEndDoNothing_data() {
    QTest::addColumn<bool>("byTimeOut");
    QTest::addColumn<bool>("afterWrong");
    QTest::newRow("finished") << false << false;
    QTest::newRow("timed out while entering") << true << false;
    QTest::newRow("timed out at the prompt") << true << true;
}

void TestDrillEngine::keysAfterTheEndDoNothing() {
    QFETCH(bool, byTimeOut);
    QFETCH(bool, afterWrong);
    Rig rig;
    QVERIFY(rig.engine.startAttempt(4 - (byTimeOut ? 1 : 0), 12));
    if (byTimeOut) {
        rig.type(afterWrong ? QStringLiteral("1 ") : QStringLiteral("1"));
        rig.tickUntil(60);
        QVERIFY(rig.engine.timedOut());
    } else {
        rig.scripted.values = {0.0, 0.2, 0.4, 0.6, 0.8};
        while (!rig.engine.ended())
            rig.answerRight();
    }
    const QString typed = rig.engine.typedAnswer();
    const QStringList events = rig.observer.events;
    const QStringList played = rig.cues.played;
    const QuestionItem question = rig.engine.currentQuestion();
    const qint32 elapsed = rig.engine.elapsedSeconds();
    const DrillState state = rig.engine.state();

    rig.type(QStringLiteral("1234\b\b +++ "));
    for (int key : {13, 37, 38, 39, 40})
        rig.engine.onKeyDown(key);
    rig.tickAt(5000);
    rig.engine.問題作成表示();

    QCOMPARE(rig.engine.typedAnswer(), typed);
    QCOMPARE(rig.observer.events, events);
    QCOMPARE(rig.cues.played, played);
    QCOMPARE(rig.engine.currentQuestion(), question);
    QCOMPARE(rig.engine.elapsedSeconds(), elapsed);
    QCOMPARE(rig.engine.state(), state);
}

void TestDrillEngine::everyLevelFinishes_data() {
    QTest::addColumn<int>("level");
    for (int level = 1; level <= 25; ++level)
        QTest::addRow("level %d", level) << level;
}

void TestDrillEngine::everyLevelFinishes() {
    QFETCH(int, level);
    Rig rig(true, static_cast<quint32>(level));
    QVERIFY(rig.engine.startAttempt(level, 30));
    const auto entry = drillLevelSpec(level);
    // A wrong answer at the first question costs one extra question and ten seconds.
    rig.answerWrongAndConfirm();
    int guard = 0;
    while (!rig.engine.ended() && guard++ < 1000) {
        rig.tickAt(1000);
        rig.answerRight();
    }
    QVERIFY(rig.engine.finished());
    QCOMPARE(rig.observer.questions.size(), entry->questionTotal + 1);
    QCOMPARE(rig.observer.endings.size(), 1);
    QVERIFY(rig.observer.endings[0].finished);
    QCOMPARE(rig.observer.endings[0].elapsedSeconds, entry->questionTotal + 10);
    QCOMPARE(rig.engine.remainingQuestions(), 0);
    QSet<QPair<int, int>> seen;
    for (const QuestionItem& q : rig.observer.questions)
        seen.insert({q.tableNumber, q.factor});
    QCOMPARE(seen.size(), entry->itemCount);
}

void TestDrillEngine::everyLevelTimesOut_data() {
    everyLevelFinishes_data();
}

void TestDrillEngine::everyLevelTimesOut() {
    QFETCH(int, level);
    Rig rig(true, 11);
    QVERIFY(rig.engine.startAttempt(level, 1)); // limit 5 s
    rig.answerRight();
    for (int s = 1; s <= 4; ++s) {
        rig.tickAt(1000);
        QVERIFY(!rig.engine.ended());
    }
    rig.type(QStringLiteral("3"));
    rig.tickAt(1000);
    QVERIFY(rig.engine.timedOut());
    QCOMPARE(rig.engine.state(), DrillState::TimedOut);
    QCOMPARE(rig.observer.endings.size(), 1);
    QVERIFY(rig.observer.endings[0].timedOut);
    QCOMPARE(rig.observer.endings[0].elapsedSeconds, 5);
}

void TestDrillEngine::elapsedRoundsHalfToEven_data() {
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<int>("seconds");
    QTest::newRow("0.499") << qint64(499) << 0;
    QTest::newRow("0.5") << qint64(500) << 0;
    QTest::newRow("0.501") << qint64(501) << 1;
    QTest::newRow("0.999") << qint64(999) << 1;
    QTest::newRow("1.5") << qint64(1500) << 2;
    QTest::newRow("2.5") << qint64(2500) << 2;
    QTest::newRow("2.501") << qint64(2501) << 3;
    QTest::newRow("3.5") << qint64(3500) << 4;
    QTest::newRow("a day") << qint64(86400000) << 86400;
}

void TestDrillEngine::elapsedRoundsHalfToEven() {
    QFETCH(qint64, ms);
    QFETCH(int, seconds);
    Rig rig;
    QVERIFY(rig.engine.startAttempt(1, 0));
    rig.tickAt(ms);
    QCOMPARE(rig.engine.elapsedSeconds(), seconds);
    QVERIFY(rig.observer.events.contains(QStringLiteral("elapsed %1").arg(seconds)));
}

void TestDrillEngine::attemptAcrossMidnightKeepsCounting() {
    Rig rig;
    rig.clock.setNow(QDateTime(QDate(2004, 3, 15), QTime(23, 59, 50)));
    QVERIFY(rig.engine.startAttempt(1, 12));
    for (int i = 0; i < 20; ++i) {
        rig.tickAt(1000);
        rig.answerRight();
    }
    QCOMPARE(rig.clock.now().time(), QTime(0, 0, 10));
    QCOMPARE(rig.engine.elapsedSeconds(), 20);
    rig.answerWrongAndConfirm();
    rig.tickAt(1000);
    QCOMPARE(rig.engine.elapsedSeconds(), 31);
    QVERIFY(!rig.engine.ended());
    rig.tickUntil(60);
    QVERIFY(rig.engine.timedOut());
    QCOMPARE(rig.engine.elapsedSeconds(), 60);
}

void TestDrillEngine::noTimeLimitWithoutMinimumTime_data() {
    QTest::addColumn<int>("minimumTime");
    QTest::newRow("0") << 0;
    QTest::newRow("-1") << -1;
    QTest::newRow("int min") << std::numeric_limits<int>::min();
}

void TestDrillEngine::noTimeLimitWithoutMinimumTime() {
    QFETCH(int, minimumTime);
    Rig rig;
    QVERIFY(rig.engine.startAttempt(7, minimumTime));
    QVERIFY(!rig.engine.hasTimeLimit());
    QCOMPARE(rig.engine.timeLimit(), 0);
    QCOMPARE(rig.observer.events.first(), QStringLiteral("limit 0 0"));
    rig.tickAt(1000);
    rig.answerWrongAndConfirm();
    rig.tickAt(1000);
    rig.tickAt(24LL * 3600 * 1000);
    QVERIFY(!rig.engine.ended());
    QVERIFY(rig.engine.clockRunning());
    while (!rig.engine.ended())
        rig.answerRight();
    QCOMPARE(rig.observer.endings.size(), 1);
    QVERIFY(rig.observer.endings[0].finished);
    QCOMPARE(rig.observer.endings[0].elapsedSeconds, 86400 + 12);
}

void TestDrillEngine::hugeMinimumTimeDoesNotOverflow() {
    Rig rig;
    QVERIFY(rig.engine.startAttempt(1, std::numeric_limits<qint32>::max()));
    QVERIFY(rig.engine.hasTimeLimit());
    QCOMPARE(rig.engine.timeLimit(), std::numeric_limits<qint32>::max());
    rig.tickAt(1000);
    QVERIFY(!rig.engine.ended());
}

void TestDrillEngine::stuckRandomNeverHangs_data() {
    QTest::addColumn<double>("r");
    QTest::addColumn<int>("level");
    QTest::newRow("0.9999999999, level 25") << 0.9999999999 << 25;
    QTest::newRow("0.9999999999, level 2") << 0.9999999999 << 2;
    QTest::newRow("nextafter 1") << std::nextafter(1.0, 0.0) << 25;
    QTest::newRow("0, level 25") << 0.0 << 25;
    QTest::newRow("1.0 out of range") << 1.0 << 8;
    QTest::newRow("negative out of range") << -0.5 << 8;
}

void TestDrillEngine::stuckRandomNeverHangs() {
    QFETCH(double, r);
    QFETCH(int, level);
    Rig rig;
    rig.scripted.values = {r};
    QVERIFY(rig.engine.startAttempt(level, 100));
    int guard = 0;
    while (!rig.engine.ended() && guard++ < 100)
        rig.answerRight();
    QVERIFY(rig.engine.finished());
    const int items = drillLevelSpec(level)->itemCount;
    QCOMPARE(rig.observer.questions.size(), items);
    QSet<QPair<int, int>> seen;
    for (const QuestionItem& q : rig.observer.questions)
        seen.insert({q.tableNumber, q.factor});
    QCOMPARE(seen.size(), items);
    // Every redraw is bounded.
    QVERIFY(rig.scripted.position <= qsizetype(items) * (DrillEngine::kMaxRedraws + 1));
}

void TestDrillEngine::penaltyJustBeforeFinishIsRecorded() {
    Rig rig;
    QVERIFY(rig.engine.startAttempt(3, 100));
    for (int i = 1; i < 15; ++i)
        rig.answerRight();
    rig.tickUntil(30);
    // Wrong, confirmed and then right before the next tick: the ten seconds still count.
    rig.answerWrongAndConfirm();
    rig.answerRight();
    QVERIFY(rig.engine.finished());
    QCOMPARE(rig.observer.endings.size(), 1);
    QCOMPARE(rig.observer.endings[0].elapsedSeconds, 40);
    QCOMPARE(rig.engine.elapsedSeconds(), 40);
}

QTEST_GUILESS_MAIN(TestDrillEngine)
#include "tst_drillengine.moc"
