#include "levelmenu/availability.h"

#include <QTest>

#include <memory>

using namespace kz;

namespace {

constexpr int kStudent = 17;

// One level's limits and the student's figures within the overdoing period.
struct LevelSetup {
    int level = 0;
    double overdoCount = 0;
    double overdoPoints = 0;
    qint32 periodAttempts = 0;
    qint32 periodPoints = 0;
};

struct FinalSetup {
    qint32 clearPoints = 9999;
    qint16 clearCount = 99;
    qint32 passPeriodPoints = 0;
    qint32 passPeriodAttempts = 0;
};

} // namespace

Q_DECLARE_METATYPE(LevelSetup)
Q_DECLARE_METATYPE(FinalSetup)

class TestAvailability : public QObject {
    Q_OBJECT
private slots:
    void decision_data();
    void decision();
    void onlyThePeriodCounts();
    void singleLevelIsNeverExamined();
    void finalClearedFollowsTheFinalLevelsFigures();
    void otherStudentsDoNotCount();
};

void TestAvailability::decision_data() {
    QTest::addColumn<QList<LevelSetup>>("levels");
    QTest::addColumn<FinalSetup>("final");
    QTest::addColumn<QList<int>>("locked");
    QTest::addColumn<bool>("finalCleared");

    const FinalSetup notCleared;
    QTest::newRow("five attempts at level 3 with overdoCount 5 lock level 3 only")
        << QList<LevelSetup>{{3, 5, 0, 5, 40}} << notCleared << QList<int>{3} << false;
    QTest::newRow("four attempts stay below the limit")
        << QList<LevelSetup>{{3, 5, 0, 4, 40}} << notCleared << QList<int>{} << false;
    QTest::newRow("points limit reached")
        << QList<LevelSetup>{{7, 0, 100, 3, 100}} << notCleared << QList<int>{7} << false;
    QTest::newRow("points limit not reached")
        << QList<LevelSetup>{{7, 0, 100, 30, 99}} << notCleared << QList<int>{} << false;
    QTest::newRow("both limits 0 never lock")
        << QList<LevelSetup>{{4, 0, 0, 500, 20000}} << notCleared << QList<int>{} << false;
    QTest::newRow("either limit suffices") << QList<LevelSetup>{{2, 10, 50, 10, 0}, {5, 10, 50, 0, 50}}
                                           << notCleared << QList<int>{2, 5} << false;
    QTest::newRow("level 1 can be locked")
        << QList<LevelSetup>{{1, 1, 0, 1, 0}} << notCleared << QList<int>{1} << false;
    QTest::newRow("a lock never disables the next level")
        << QList<LevelSetup>{{3, 5, 0, 9, 0}, {4, 5, 0, 1, 0}} << notCleared << QList<int>{3} << false;
    QTest::newRow("neighbours locked each on their own")
        << QList<LevelSetup>{{3, 5, 0, 9, 0}, {4, 5, 0, 5, 0}} << notCleared << QList<int>{3, 4} << false;
    QTest::newRow("level 24 is examined")
        << QList<LevelSetup>{{24, 2, 0, 2, 0}} << notCleared << QList<int>{24} << false;
    QTest::newRow("final level never locked, whatever its figures")
        << QList<LevelSetup>{{25, 1, 1, 50, 5000}} << notCleared << QList<int>{} << false;
    QTest::newRow("final level cleared: no locks anywhere")
        << QList<LevelSetup>{{3, 5, 0, 9, 0}, {10, 0, 10, 0, 80}} << FinalSetup{30, 3, 30, 3} << QList<int>{}
        << true;
    QTest::newRow("final cleared needs the points")
        << QList<LevelSetup>{{3, 5, 0, 9, 0}} << FinalSetup{30, 3, 29, 8} << QList<int>{3} << false;
    QTest::newRow("final cleared needs the count")
        << QList<LevelSetup>{{3, 5, 0, 9, 0}} << FinalSetup{30, 3, 300, 2} << QList<int>{3} << false;
    QTest::newRow("final with no criteria at all counts as cleared")
        << QList<LevelSetup>{{3, 5, 0, 9, 0}} << FinalSetup{0, 0, 0, 0} << QList<int>{} << true;
}

void TestAvailability::decision() {
    QFETCH(QList<LevelSetup>, levels);
    QFETCH(FinalSetup, final);
    QFETCH(QList<int>, locked);
    QFETCH(bool, finalCleared);

    auto criteria = std::make_unique<PassCriteriaTable>();
    auto statistics = std::make_unique<StatisticsTables>();
    for (const LevelSetup& s : levels) {
        criteria->row(s.level).overdoCount = s.overdoCount;
        criteria->row(s.level).overdoPoints = s.overdoPoints;
        statistics->add(StatisticsTables::OverdoPeriodAttempts, s.level, kStudent, s.periodAttempts);
        statistics->add(StatisticsTables::OverdoPeriodPoints, s.level, kStudent, s.periodPoints);
    }
    criteria->row(25).clearPoints = final.clearPoints;
    criteria->row(25).clearCount = final.clearCount;
    statistics->add(StatisticsTables::PassPeriodPoints, 25, kStudent, final.passPeriodPoints);
    statistics->add(StatisticsTables::PassPeriodAttempts, 25, kStudent, final.passPeriodAttempts);

    const AvailabilityDecision d = decideLevelAvailability(*criteria, *statistics, kStudent, 25, 25);
    QCOMPARE(d.finalCleared, finalCleared);
    QCOMPARE(d.levels.size(), size_t(26));
    QVERIFY(!d.level(0).enabled);
    for (int level = 1; level <= 25; ++level) {
        const bool isLocked = locked.contains(level);
        QVERIFY2(d.level(level).locked == isLocked, qPrintable(QString("level %1").arg(level)));
        QVERIFY2(d.level(level).enabled == !isLocked, qPrintable(QString("level %1").arg(level)));
    }
    QVERIFY(!d.level(26).enabled);
}

void TestAvailability::onlyThePeriodCounts() {
    auto criteria = std::make_unique<PassCriteriaTable>();
    auto statistics = std::make_unique<StatisticsTables>();
    criteria->row(6).overdoCount = 3;
    criteria->row(6).overdoPoints = 20;
    statistics->add(StatisticsTables::TotalAttempts, 6, kStudent, 40);
    statistics->add(StatisticsTables::TotalPoints, 6, kStudent, 400);
    statistics->add(StatisticsTables::TodayAttempts, 6, kStudent, 40);
    statistics->add(StatisticsTables::PassPeriodAttempts, 6, kStudent, 40);
    statistics->add(StatisticsTables::OverdoPeriodAttempts, 6, kStudent, 2);
    statistics->add(StatisticsTables::OverdoPeriodPoints, 6, kStudent, 19);
    QVERIFY(!decideLevelAvailability(*criteria, *statistics, kStudent, 25, 25).level(6).locked);
}

void TestAvailability::singleLevelIsNeverExamined() {
    auto criteria = std::make_unique<PassCriteriaTable>();
    auto statistics = std::make_unique<StatisticsTables>();
    criteria->row(25).clearPoints = 9999;
    criteria->row(1).overdoCount = 1;
    statistics->add(StatisticsTables::OverdoPeriodAttempts, 1, kStudent, 5);
    const AvailabilityDecision one = decideLevelAvailability(*criteria, *statistics, kStudent, 1, 25);
    QCOMPARE(one.levels.size(), size_t(2));
    QVERIFY(one.level(1).enabled);
    QVERIFY(!one.level(1).locked);
    const AvailabilityDecision none = decideLevelAvailability(*criteria, *statistics, kStudent, 0, 25);
    QVERIFY(none.levels.empty());
    QVERIFY(!none.level(1).enabled);
}

// Decided afresh from the final level's figures every time, never carried over.
void TestAvailability::finalClearedFollowsTheFinalLevelsFigures() {
    auto criteria = std::make_unique<PassCriteriaTable>();
    auto statistics = std::make_unique<StatisticsTables>();
    criteria->row(25).clearPoints = 10;
    criteria->row(25).clearCount = 1;
    QCOMPARE(decideLevelAvailability(*criteria, *statistics, kStudent, 25, 25).finalCleared, false);
    statistics->add(StatisticsTables::PassPeriodPoints, 25, kStudent, 10);
    statistics->add(StatisticsTables::PassPeriodAttempts, 25, kStudent, 1);
    QVERIFY(decideLevelAvailability(*criteria, *statistics, kStudent, 25, 25).finalCleared);
}

void TestAvailability::otherStudentsDoNotCount() {
    auto criteria = std::make_unique<PassCriteriaTable>();
    auto statistics = std::make_unique<StatisticsTables>();
    criteria->row(25).clearPoints = 9999;
    criteria->row(8).overdoCount = 2;
    statistics->add(StatisticsTables::OverdoPeriodAttempts, 8, kStudent + 1, 9);
    QVERIFY(!decideLevelAvailability(*criteria, *statistics, kStudent, 25, 25).level(8).locked);
    QVERIFY(decideLevelAvailability(*criteria, *statistics, kStudent + 1, 25, 25).level(8).locked);
}

QTEST_GUILESS_MAIN(TestAvailability)
#include "tst_availability.moc"
