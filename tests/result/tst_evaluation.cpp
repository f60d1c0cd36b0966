#include "core/catalogue.h"
#include "core/runstate.h"
#include "result/evaluation.h"
#include "support/fakes.h"

#include <QTest>

#include <memory>

using namespace kz;
using kz::test::RecordingCues;

Q_DECLARE_METATYPE(kz::FollowUp::ClearedLine)

namespace {

constexpr int kStudent = 7;
constexpr int kLevel = 3;

QStringList cueNames(const QList<EndCue>& cues) {
    RecordingCues recorder;
    for (const EndCue cue : cues)
        playEndCue(recorder, cue);
    return recorder.played;
}

// A student who has just finished an attempt at kLevel (target 60 s, minimum line 20 s).
std::unique_ptr<RunState> makeState() {
    auto state = std::make_unique<RunState>();
    initRunState(*state);
    buildLevelCatalogue(*state);
    state->student.currentBangou = kStudent;
    state->student.currentName = QStringLiteral("山田　太郎");
    state->attempt.currentLevel = kLevel;
    for (int level = 1; level <= 25; ++level) {
        PassCriteria& c = state->tables.criteria.row(level);
        c.targetTime = 60;
        c.minimumTime = 20;
        c.clearPoints = 100;
        c.clearCount = 5;
        c.pointMultiplier = DecimalMultiplier::fromText(u"1");
    }
    state->attempt.recordedTime = 45;
    return state;
}

void setPassFigures(RunState& s, int level, int points, int attempts) {
    s.tables.statistics.add(StatisticsTables::PassPeriodPoints, level, kStudent, points);
    s.tables.statistics.add(StatisticsTables::PassPeriodAttempts, level, kStudent, attempts);
}

} // namespace

class TestEvaluation : public QObject {
    Q_OBJECT
private slots:
    void points_data();
    void points();
    void recordMessageAndCue_data();
    void recordMessageAndCue();
    void clearedAndBanner_data();
    void clearedAndBanner();
    void attemptTextsCountTodayAfterTheRefresh();
    void evaluationOnlyReads();
    void followUp_data();
    void followUp();
    void cuesPlayInOrderAndStopWhenLeft();
    void levelOutsideTheTableIsHarmless();
};

void TestEvaluation::points_data() {
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("multiplier");
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("base");
    QTest::addColumn<qint64>("gained");
    QTest::addColumn<QString>("pointsText");
    QTest::addColumn<QString>("resultText");

    QTest::newRow("zero seconds") << 60 << "1" << 0 << 55 << qint64(55) << "獲得ポイント：55点×1→55点"
                                  << "今の成績：0秒";
    QTest::newRow("half the target x1.5")
        << 60 << "1.5" << 30 << 11 << qint64(16) << "獲得ポイント：11点×1.5→16点"
        << "今の成績：30秒";
    QTest::newRow("45 s") << 60 << "1" << 45 << 5 << qint64(5) << "獲得ポイント：5点×1→5点"
                          << "今の成績：45秒";
    QTest::newRow("on target") << 60 << "1" << 60 << 5 << qint64(5) << "獲得ポイント：5点×1→5点"
                               << "今の成績：60秒";
    QTest::newRow("target + 1") << 60 << "1" << 61 << 4 << qint64(4) << "獲得ポイント：4点×1→4点"
                                << "今の成績：61秒";
    QTest::newRow("just under 2T") << 60 << "1" << 119 << 4 << qint64(4) << "獲得ポイント：4点×1→4点"
                                   << "今の成績：119秒";
    QTest::newRow("2T") << 60 << "1" << 120 << 1 << qint64(1) << "獲得ポイント：1点×1→1点"
                        << "今の成績：120秒";
    QTest::newRow("just under 10T") << 60 << "1" << 599 << 1 << qint64(1) << "獲得ポイント：1点×1→1点"
                                    << "今の成績：599秒";
    QTest::newRow("10T") << 60 << "1" << 600 << 0 << qint64(0) << "獲得ポイント：0点×1→0点"
                         << "今の成績：600秒";
    QTest::newRow("1.30 written with zeros")
        << 60 << "1.30" << 30 << 11 << qint64(14) << "獲得ポイント：11点×1.3→14点"
        << "今の成績：30秒";
    // A long level: the whole time counts, not its first three digits.
    QTest::newRow("1000 s within target")
        << 2000 << "1" << 1000 << 11 << qint64(11) << "獲得ポイント：11点×1→11点"
        << "今の成績：1000秒";
    QTest::newRow("zero target scores nothing")
        << 0 << "1" << 0 << 0 << qint64(0) << "獲得ポイント：0点×1→0点"
        << "今の成績：0秒";
    QTest::newRow("99998 shows no time") << 60 << "1" << 99998 << 0 << qint64(0) << "獲得ポイント：0点×1→0点"
                                         << "記録なし";
}

void TestEvaluation::points() {
    QFETCH(int, target);
    QFETCH(QString, multiplier);
    QFETCH(int, time);
    QFETCH(int, base);
    QFETCH(qint64, gained);
    QFETCH(QString, pointsText);
    QFETCH(QString, resultText);

    auto state = makeState();
    state->tables.criteria.row(kLevel).targetTime = target;
    state->tables.criteria.row(kLevel).pointMultiplier = DecimalMultiplier::fromText(multiplier);
    state->attempt.recordedTime = time;
    const AttemptVerdict v = evaluateAttempt(*state, {});
    QCOMPARE(v.basePoints, base);
    QCOMPARE(v.gainedPoints, gained);
    QCOMPARE(v.pointsText, pointsText);
    QCOMPARE(v.resultText, resultText);
}

void TestEvaluation::recordMessageAndCue_data() {
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("timedOut");
    QTest::addColumn<int>("personalBest");
    QTest::addColumn<int>("schoolBest");
    QTest::addColumn<int>("minimumTime");
    QTest::addColumn<int>("record");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("cues");

    const int none = int(RecordMessage::None);
    // A time-out plays nothing, not even when the minimum line is absurdly high.
    QTest::newRow("time-out") << 99999 << 1 << 0 << 0 << 200000 << int(RecordMessage::TimedOut) << "時間切れ"
                              << QStringList{};
    QTest::newRow("personal best only") << 40 << 0 << 1 << 0 << 20 << int(RecordMessage::NewPersonalBest)
                                        << "新記録おめでとう" << QStringList{"personalBest"};
    QTest::newRow("school best beats personal best")
        << 15 << 0 << 1 << 1 << 20 << int(RecordMessage::NewSchoolBest) << "！！！最高新記録！！！"
        << QStringList{"schoolBest"};
    QTest::newRow("school best alone") << 15 << 0 << 0 << 1 << 20 << int(RecordMessage::NewSchoolBest)
                                       << "！！！最高新記録！！！" << QStringList{"schoolBest"};
    QTest::newRow("personal best within the minimum line")
        << 18 << 0 << 1 << 0 << 20 << int(RecordMessage::NewPersonalBest) << "新記録おめでとう"
        << QStringList{"personalBest"};
    QTest::newRow("no record, on the minimum line")
        << 20 << 0 << 0 << 0 << 20 << none << "" << QStringList{"minimumLine"};
    QTest::newRow("no record, above the minimum line")
        << 21 << 0 << 0 << 0 << 20 << none << "" << QStringList{};
}

void TestEvaluation::recordMessageAndCue() {
    QFETCH(int, time);
    QFETCH(int, timedOut);
    QFETCH(int, personalBest);
    QFETCH(int, schoolBest);
    QFETCH(int, minimumTime);
    QFETCH(int, record);
    QFETCH(QString, text);
    QFETCH(QStringList, cues);

    auto state = makeState();
    state->attempt.recordedTime = time;
    state->attempt.timedOut = timedOut != 0;
    state->attempt.newPersonalBest = personalBest != 0;
    state->attempt.newSchoolBest = schoolBest != 0;
    state->tables.criteria.row(kLevel).minimumTime = minimumTime;
    const AttemptVerdict v = evaluateAttempt(*state, {});
    QCOMPARE(int(v.record), record);
    QCOMPARE(v.recordText, text);
    QCOMPARE(cueNames(v.cues), cues);
    if (timedOut) {
        QCOMPARE(v.resultText, QStringLiteral("記録なし"));
        QCOMPARE(v.gainedPoints, qint64(0));
    }
}

void TestEvaluation::clearedAndBanner_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("passPoints");
    QTest::addColumn<int>("passAttempts");
    QTest::addColumn<int>("clearedBefore");
    QTest::addColumn<int>("neverClearedSlot"); // a level whose clearCount is 9999, 0 for none
    QTest::addColumn<int>("personalBest");
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<bool>("banner");
    QTest::addColumn<QStringList>("cues");

    QTest::newRow("final level, first clear")
        << 25 << 100 << 5 << 0 << 0 << 0 << true << true << QStringList{"pass"};
    QTest::newRow("final level, cleared before")
        << 25 << 150 << 9 << 1 << 0 << 0 << true << true << QStringList{};
    QTest::newRow("final level, record then pass")
        << 25 << 100 << 5 << 0 << 0 << 1 << true << true << QStringList{"personalBest", "pass"};
    QTest::newRow("9999 in the table hides the banner")
        << 25 << 100 << 5 << 0 << 12 << 0 << true << false << QStringList{"pass"};
    QTest::newRow("9999 in a spare slot counts too")
        << 25 << 100 << 5 << 0 << 35 << 0 << true << false << QStringList{"pass"};
    QTest::newRow("final level, points short")
        << 25 << 99 << 5 << 0 << 0 << 0 << false << false << QStringList{};
    QTest::newRow("final level, attempts short")
        << 25 << 100 << 4 << 0 << 0 << 0 << false << false << QStringList{};
    QTest::newRow("other level cleared") << 3 << 100 << 5 << 0 << 0 << 0 << true << false << QStringList{};
    QTest::newRow("other level not cleared")
        << 3 << 10 << 1 << 0 << 0 << 0 << false << false << QStringList{};
}

void TestEvaluation::clearedAndBanner() {
    QFETCH(int, level);
    QFETCH(int, passPoints);
    QFETCH(int, passAttempts);
    QFETCH(int, clearedBefore);
    QFETCH(int, neverClearedSlot);
    QFETCH(int, personalBest);
    QFETCH(bool, cleared);
    QFETCH(bool, banner);
    QFETCH(QStringList, cues);

    auto state = makeState();
    state->attempt.currentLevel = qint16(level);
    state->attempt.recordedTime = 50;
    state->attempt.clearedBefore = clearedBefore != 0;
    state->attempt.newPersonalBest = personalBest != 0;
    if (neverClearedSlot)
        state->tables.criteria.row(neverClearedSlot).clearCount = 9999;
    // The figures exist only after the refresh, as the attempt just stored is part of them.
    const AttemptVerdict v =
        evaluateAttempt(*state, [&] { setPassFigures(*state, level, passPoints, passAttempts); });
    QCOMPARE(v.levelCleared, cleared);
    QCOMPARE(v.banner, banner);
    QCOMPARE(cueNames(v.cues), cues);
}

void TestEvaluation::attemptTextsCountTodayAfterTheRefresh() {
    auto state = makeState();
    auto& st = state->tables.statistics;
    st.add(StatisticsTables::TodayAttempts, kLevel, kStudent, 1); // stale: before the refresh
    int refreshes = 0;
    const AttemptVerdict v = evaluateAttempt(*state, [&] {
        ++refreshes;
        st.clearFigures();
        st.add(StatisticsTables::TodayAttempts, kLevel, kStudent, 3);
        st.add(StatisticsTables::TodayAttempts, 1, kStudent, 4);
        st.add(StatisticsTables::TodayAttempts, 35, kStudent, 2);
        st.add(StatisticsTables::TodayAttempts, kLevel, kStudent + 1, 50); // someone else
        st.add(StatisticsTables::TotalAttempts, kLevel, kStudent, 70);     // not today
    });
    QCOMPARE(refreshes, 1);
    QCOMPARE(v.levelAttemptText, QStringLiteral(" (このレベル　3回目)"));
    QCOMPARE(v.totalAttemptText, QStringLiteral("（9回目)"));
}

// The evaluation only reads: the outcome flags belong to the attempt until the next one
// starts (ProgramRun::startAttempt), so judging it again gives the same verdict.
void TestEvaluation::evaluationOnlyReads() {
    auto state = makeState();
    state->attempt.newPersonalBest = true;
    state->attempt.newSchoolBest = true;
    state->attempt.clearedBefore = true;
    state->attempt.timedOut = false;
    const AttemptVerdict v = evaluateAttempt(*state, {});
    QCOMPARE(v.record, RecordMessage::NewSchoolBest);
    QCOMPARE(state->attempt.newPersonalBest, true);
    QCOMPARE(state->attempt.newSchoolBest, true);
    QCOMPARE(state->attempt.clearedBefore, true);
    QCOMPARE(evaluateAttempt(*state, {}).record, RecordMessage::NewSchoolBest);
}

void TestEvaluation::followUp_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<double>("overdoCount");
    QTest::addColumn<double>("overdoPoints");
    QTest::addColumn<int>("periodAttempts");
    QTest::addColumn<int>("periodPoints");
    QTest::addColumn<int>("finalCleared");
    QTest::addColumn<bool>("overdone");
    QTest::addColumn<bool>("retry");
    QTest::addColumn<FollowUp::ClearedLine>("line");

    using L = FollowUp::ClearedLine;
    QTest::newRow("not overdone") << 3 << true << 5.0 << 0.0 << 4 << 999 << 0 << false << true
                                  << L::Unchanged;
    QTest::newRow("no limits at all")
        << 3 << true << 0.0 << 0.0 << 99 << 9999 << 0 << false << true << L::Unchanged;
    QTest::newRow("overdone by count, cleared")
        << 3 << true << 5.0 << 0.0 << 5 << 0 << 0 << true << false << L::NextLevelHint;
    QTest::newRow("overdone by points, cleared")
        << 3 << true << 0.0 << 200.0 << 1 << 200 << 0 << true << false << L::NextLevelHint;
    QTest::newRow("overdone, not cleared")
        << 3 << false << 5.0 << 0.0 << 8 << 0 << 0 << true << true << L::Unchanged;
    QTest::newRow("overdone, cleared, final already cleared")
        << 3 << true << 5.0 << 0.0 << 8 << 0 << 1 << true << true << L::Unchanged;
    QTest::newRow("final level overdone and cleared")
        << 25 << true << 5.0 << 0.0 << 8 << 0 << 0 << true << true << L::Emptied;
    QTest::newRow("final level overdone, not cleared")
        << 25 << false << 5.0 << 0.0 << 8 << 0 << 0 << true << true << L::Unchanged;
}

void TestEvaluation::followUp() {
    QFETCH(int, level);
    QFETCH(bool, cleared);
    QFETCH(double, overdoCount);
    QFETCH(double, overdoPoints);
    QFETCH(int, periodAttempts);
    QFETCH(int, periodPoints);
    QFETCH(int, finalCleared);
    QFETCH(bool, overdone);
    QFETCH(bool, retry);
    QFETCH(FollowUp::ClearedLine, line);

    auto state = makeState();
    state->attempt.currentLevel = qint16(level);
    PassCriteria& c = state->tables.criteria.row(level);
    c.overdoCount = overdoCount;
    c.overdoPoints = overdoPoints;
    const AttemptVerdict v = evaluateAttempt(*state, [&] {
        // The final level's figures, as they stood before this attempt at another level.
        if (finalCleared != 0)
            setPassFigures(*state, 25, 100, 5);
        setPassFigures(*state, level, cleared ? 100 : 0, cleared ? 5 : 0);
        state->tables.statistics.add(StatisticsTables::OverdoPeriodAttempts, level, kStudent, periodAttempts);
        state->tables.statistics.add(StatisticsTables::OverdoPeriodPoints, level, kStudent, periodPoints);
    });
    QCOMPARE(v.levelCleared, cleared);
    if (level != 25)
        QCOMPARE(finalLevelCleared(*state), finalCleared != 0);
    const FollowUp f = decideFollowUp(*state, v);
    QCOMPARE(f.overdone, overdone);
    QCOMPARE(f.retryOffered, retry);
    QCOMPARE(f.clearedLine, line);
}

void TestEvaluation::cuesPlayInOrderAndStopWhenLeft() {
    AttemptVerdict v;
    v.cues = {EndCue::SchoolBest, EndCue::LevelCleared};
    RecordingCues cues;
    QStringList trace;
    QVERIFY(playVerdictCues(v, cues, [&] {
        trace << QString::number(cues.played.size());
        return true;
    }));
    QCOMPARE(cues.played, (QStringList{"schoolBest", "pass"}));
    QCOMPARE(trace, (QStringList{"0", "1", "2"})); // events run before, between and after

    RecordingCues stopped;
    QVERIFY(!playVerdictCues(v, stopped, [&] { return stopped.played.isEmpty(); }));
    QCOMPARE(stopped.played, QStringList{"schoolBest"});
}

void TestEvaluation::levelOutsideTheTableIsHarmless() {
    for (const int level : {0, -1, 36, 30000}) {
        auto state = makeState();
        state->attempt.currentLevel = qint16(level);
        state->attempt.newPersonalBest = true;
        const AttemptVerdict v = evaluateAttempt(*state, {});
        QCOMPARE(v.basePoints, 0);
        QCOMPARE(v.levelAttemptText, QStringLiteral(" (このレベル　0回目)"));
        QVERIFY(!v.banner);
        const FollowUp f = decideFollowUp(*state, v);
        QVERIFY(f.retryOffered);
    }
}

QTEST_GUILESS_MAIN(TestEvaluation)
#include "tst_evaluation.moc"
