#include "levelmenu/levelmenutexts.h"

#include <QTest>

using namespace kz;

class TestLevelMenuTexts : public QObject {
    Q_OBJECT
private slots:
    void criteriaLine_data();
    void criteriaLine();
    void figures_data();
    void figures();
    void minutes_data();
    void minutes();
    void header();
    void keys_data();
    void keys();
    void geometry_data();
    void geometry();
    void scrolledToTheEnd();
    void firstVisible_data();
    void firstVisible();
};

void TestLevelMenuTexts::criteriaLine_data() {
    QTest::addColumn<int>("targetTime");
    QTest::addColumn<int>("clearCount");
    QTest::addColumn<int>("clearPoints");
    QTest::addColumn<QString>("multiplier");
    QTest::addColumn<QString>("line");
    QTest::newRow("normal, multiplier 1.5")
        << 600 << 3 << 10 << "1.5" << QString("目標=600秒 3回/10点(×1.5)");
    QTest::newRow("multiplier 1") << 45 << 5 << 30 << "1" << QString("目標=45秒 5回/30点(×1)");
    QTest::newRow("multiplier written 2.50")
        << 45 << 5 << 30 << "2.50" << QString("目標=45秒 5回/30点(×2.5)");
    QTest::newRow("multiplier 0.25") << 45 << 5 << 30 << "0.25" << QString("目標=45秒 5回/30点(×0.25)");
    QTest::newRow("clearPoints 9999") << 120 << 5 << 9999 << "1.5" << QString("目標=120秒 --------");
    QTest::newRow("clearPoints 9998 is a target")
        << 120 << 5 << 9998 << "1" << QString("目標=120秒 5回/9998点(×1)");
    QTest::newRow("empty row") << 0 << 0 << 0 << "" << QString("目標=0秒 0回/0点(×0)");
}

void TestLevelMenuTexts::criteriaLine() {
    QFETCH(int, targetTime);
    QFETCH(int, clearCount);
    QFETCH(int, clearPoints);
    QFETCH(QString, multiplier);
    QFETCH(QString, line);
    PassCriteria criteria;
    criteria.targetTime = targetTime;
    criteria.clearCount = static_cast<qint16>(clearCount);
    criteria.clearPoints = clearPoints;
    criteria.pointMultiplier = DecimalMultiplier::fromText(multiplier);
    QCOMPARE(criteriaLineText(criteria), line);
}

void TestLevelMenuTexts::figures_data() {
    QTest::addColumn<int>("attempts");
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("today");
    QTest::addColumn<QString>("total");
    QTest::newRow("no attempt") << 0 << 0 << QString("-----") << QString("------");
    QTest::newRow("no attempt but points") << 0 << 7 << QString("-----") << QString("------");
    QTest::newRow("some") << 3 << 45 << QString("3回/45点") << QString("3回/45点");
    QTest::newRow("only timed out points 0") << 2 << 0 << QString("2回/0点") << QString("2回/0点");
}

void TestLevelMenuTexts::figures() {
    QFETCH(int, attempts);
    QFETCH(int, points);
    QFETCH(QString, today);
    QFETCH(QString, total);
    QCOMPARE(todayFigureText(attempts, points), today);
    QCOMPARE(totalFigureText(attempts, points), total);
}

void TestLevelMenuTexts::minutes_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<double>("now");
    QTest::addColumn<int>("minutes");
    QTest::newRow("within the first minute") << 3600 << 3659.9 << 0;
    QTest::newRow("exactly one minute") << 3600 << 3660.0 << 1;
    QTest::newRow("fractions dropped") << 3600 << 3719.99 << 1;
    QTest::newRow("an hour and a half") << 36000 << 41400.5 << 90;
    QTest::newRow("across midnight") << 23 * 3600 + 50 * 60 << 600.0 << 20;
    QTest::newRow("right after midnight") << 86399 << 0.0 << 0;
    QTest::newRow("start rounded up past now") << 36001 << 36000.6 << 0;
    QTest::newRow("start a few seconds ahead") << 36005 << 36000.0 << 0;
    QTest::newRow("past midnight, seven minutes") << 86280 << 300.0 << 7;
    QTest::newRow("no time of day") << 36000 << std::numeric_limits<double>::quiet_NaN() << 0;
}

void TestLevelMenuTexts::minutes() {
    QFETCH(int, start);
    QFETCH(double, now);
    QFETCH(int, minutes);
    QCOMPARE(minutesSinceSessionStart(start, now), minutes);
}

void TestLevelMenuTexts::header() {
    QCOMPARE(studentText(QString("小３"), QString("  山田　太郎 ")), QString("小３ 山田　太郎"));
    // Only half-width spaces go, as on the name list; full-width ones are part of the name.
    QCOMPARE(studentText(QString("小３"), QString(" 　山田 ")), QString("小３ 　山田"));
    QCOMPARE(siteText(QString("さくら塾"), 17), QString("さくら塾:17"));
    QCOMPARE(elapsedText(0), QString("起動後0分"));
    QCOMPARE(todayTotalText(12), QString("本日総回数＝12回"));
    QCOMPARE(recentFigureText(7, 4, 120), QString("最近7日=4回 / 120点"));
    QCOMPARE(recentFigureText(0, 0, 0), QString("最近0日=0回 / 0点"));
    QCOMPARE(recentFigureText(1.5, 1, 5), QString("最近1.5日=1回 / 5点"));
    QCOMPARE(plainNumber(3650), QString("3650"));
}

void TestLevelMenuTexts::keys_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("levelCount");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("level");
    QTest::newRow("1") << "1" << 25 << int(LevelMenuKey::StartLevel) << 1;
    QTest::newRow("9") << "9" << 25 << int(LevelMenuKey::StartLevel) << 9;
    QTest::newRow("a") << "a" << 25 << int(LevelMenuKey::StartLevel) << 10;
    QTest::newRow("b") << "b" << 25 << int(LevelMenuKey::StartLevel) << 11;
    QTest::newRow("c") << "c" << 25 << int(LevelMenuKey::StartLevel) << 12;
    QTest::newRow("d") << "d" << 25 << int(LevelMenuKey::StartLevel) << 13;
    QTest::newRow("caps lock D") << "D" << 25 << int(LevelMenuKey::StartLevel) << 13;
    QTest::newRow("e has no level 14") << "e" << 25 << int(LevelMenuKey::None) << 0;
    QTest::newRow("0 goes back") << "0" << 25 << int(LevelMenuKey::Back) << 0;
    QTest::newRow("5 beyond 4 levels") << "5" << 4 << int(LevelMenuKey::None) << 0;
    QTest::newRow("b beyond 10 levels") << "b" << 10 << int(LevelMenuKey::None) << 0;
    QTest::newRow("space") << " " << 25 << int(LevelMenuKey::None) << 0;
    QTest::newRow("full-width one") << "１" << 25 << int(LevelMenuKey::None) << 0;
    QTest::newRow("empty (shift alone)") << "" << 25 << int(LevelMenuKey::None) << 0;
    QTest::newRow("two characters") << "12" << 25 << int(LevelMenuKey::None) << 0;
}

void TestLevelMenuTexts::keys() {
    QFETCH(QString, typed);
    QFETCH(int, levelCount);
    QFETCH(int, kind);
    QFETCH(int, level);
    const LevelMenuKey key = levelMenuKey(typed, levelCount);
    QCOMPARE(int(key.kind), kind);
    QCOMPARE(key.level, level);
}

void TestLevelMenuTexts::geometry_data() {
    QTest::addColumn<int>("levelCount");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("scrollBar");
    QTest::addColumn<int>("maximum");
    QTest::newRow("25 levels") << 25 << 3456 << true << 22;
    QTest::newRow("5 levels") << 5 << 3456 << true << 2;
    QTest::newRow("4 levels") << 4 << 3648 << false << 1;
    QTest::newRow("3 levels") << 3 << 4864 << false << 1;
}

void TestLevelMenuTexts::geometry() {
    QFETCH(int, levelCount);
    QFETCH(int, width);
    QFETCH(bool, scrollBar);
    QFETCH(int, maximum);
    const ColumnGeometry g = columnGeometry(levelCount);
    QCOMPARE(g.widthTwips, width);
    QCOMPARE(g.scrollBar, scrollBar);
    if (scrollBar) {
        QCOMPARE(g.scrollMinimum, 1);
        QCOMPARE(g.scrollMaximum, maximum);
    }
}

void TestLevelMenuTexts::scrolledToTheEnd() {
    const ColumnGeometry g = columnGeometry(25);
    const int form = 1024;
    // At the end of the bar, levels 22..25 are in view, each a full column wide.
    QCOMPARE(columnX(22, g.scrollMaximum, g, form), 20);
    for (int level = 22; level <= 25; ++level) {
        const int x = columnX(level, g.scrollMaximum, g, form);
        QVERIFY(x >= 0);
        QVERIFY(x + g.widthTwips / kTwipsPerPixel <= form);
    }
    QCOMPARE(columnX(25, 22, g, form), 712); // 3 x 230.4 + 20.48
    // Columns left of the edge go to the right edge, out of view.
    QCOMPARE(columnX(21, 22, g, form), form);
    QCOMPARE(columnX(1, 22, g, form), form);
    // At the start, four columns fit beside the margin.
    QCOMPARE(columnX(1, 1, g, form), 20);
    QCOMPARE(columnX(4, 1, g, form), 712);
}

void TestLevelMenuTexts::firstVisible_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("opening");
    QTest::newRow("start of the run") << 0 << 1;
    QTest::newRow("kept") << 10 << 10;
    QTest::newRow("last position") << 22 << 22;
    QTest::newRow("beyond the bar") << 23 << 1;
    QTest::newRow("negative") << -4 << 1;
}

void TestLevelMenuTexts::firstVisible() {
    QFETCH(int, stored);
    QFETCH(int, opening);
    QCOMPARE(openingFirstVisible(stored, 22), opening);
    QCOMPARE(firstVisibleFromScroll(26, 25), 1);
    QCOMPARE(firstVisibleFromScroll(25, 25), 25);
}

QTEST_GUILESS_MAIN(TestLevelMenuTexts)
#include "tst_levelmenutexts.moc"
