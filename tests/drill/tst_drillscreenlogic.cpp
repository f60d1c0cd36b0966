#include "data/statistics.h"
#include "drill/drillscreenlogic.h"

#include <QTest>

#include <memory>

using namespace kz;

class TestDrillScreenLogic : public QObject {
    Q_OBJECT

private slots:
    void keyMapping_data() {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("keyDown");
        QTest::addColumn<int>("charCode");
        QTest::newRow("return") << int(Qt::Key_Return) << "\r" << 13 << 13;
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << "\r" << 13 << 13;
        QTest::newRow("left") << int(Qt::Key_Left) << "" << 37 << 0;
        QTest::newRow("up") << int(Qt::Key_Up) << "" << 38 << 0;
        QTest::newRow("right") << int(Qt::Key_Right) << "" << 39 << 0;
        QTest::newRow("down") << int(Qt::Key_Down) << "" << 40 << 0;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << "\b" << 8 << 8;
        QTest::newRow("space") << int(Qt::Key_Space) << " " << 32 << 32;
        QTest::newRow("digit") << int(Qt::Key_7) << "7" << 55 << 55;
        QTest::newRow("plus") << int(Qt::Key_Plus) << "+" << 0 << 43;
        // "%" and "&" share their Qt key values with the arrow key codes: they must never
        // reach the engine as key-downs, or typing them would clear the answer.
        QTest::newRow("percent is no left arrow") << int(Qt::Key_Percent) << "%" << 0 << 37;
        QTest::newRow("ampersand is no up arrow") << int(Qt::Key_Ampersand) << "&" << 0 << 38;
        QTest::newRow("letter") << int(Qt::Key_A) << "a" << 65 << 97;
        QTest::newRow("shift alone") << int(Qt::Key_Shift) << "" << 0 << 0;
        QTest::newRow("full-width digit") << int(Qt::Key_unknown) << "１" << 0 << 0xFF11;
        QTest::newRow("committed text of two") << int(Qt::Key_unknown) << "12" << 0 << 0;
    }
    void keyMapping() {
        QFETCH(int, qtKey);
        QFETCH(QString, text);
        QFETCH(int, keyDown);
        QFETCH(int, charCode);
        const DrillKey key = drillKeyFor(qtKey, text);
        QCOMPARE(key.keyDownCode, keyDown);
        QCOMPARE(key.charCode, charCode);
    }

    void timeBar_data() {
        QTest::addColumn<int>("limit");
        QTest::addColumn<bool>("hasLimit");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<int>("minimumWidth");
        QTest::addColumn<int>("targetWidth");
        QTest::addColumn<QList<int>>("elapsed");
        QTest::addColumn<QList<int>>("elapsedWidths");
        QTest::newRow("minimum 60, target 100")
            << 300 << true << 60 << 100 << true << 200 << 334 << QList<int>{0, 1, 150, 299, 300, 310, 99999}
            << QList<int>{0, 3, 501, 998, 1001, 1001, 1001};
        QTest::newRow("target beyond the limit stays inside the bar")
            << 50 << true << 10 << 80 << true << 200 << 1001 << QList<int>{-5} << QList<int>{0};
        QTest::newRow("no limit: no bar")
            << 0 << false << 0 << 40 << false << 0 << 0 << QList<int>{10} << QList<int>{0};
        QTest::newRow("negative minimum: no bar")
            << 0 << false << -3 << 40 << false << 0 << 0 << QList<int>{10} << QList<int>{0};
    }
    void timeBar() {
        QFETCH(int, limit);
        QFETCH(bool, hasLimit);
        QFETCH(int, minimum);
        QFETCH(int, target);
        QFETCH(QList<int>, elapsed);
        QFETCH(QList<int>, elapsedWidths);
        QFETCH(bool, visible);
        QFETCH(int, minimumWidth);
        QFETCH(int, targetWidth);
        const TimeBarLayout bar = timeBarLayout(1001, limit, hasLimit, minimum, target);
        QCOMPARE(bar.visible, visible);
        QCOMPARE(bar.minimumWidth, minimumWidth);
        QCOMPARE(bar.targetWidth, targetWidth);
        for (qsizetype i = 0; i < elapsed.size(); ++i)
            QCOMPARE(bar.elapsedWidth(elapsed[i]), elapsedWidths[i]);
    }

    void attemptNumbersCountEveryLevel() {
        auto stats = std::make_unique<StatisticsTables>();
        stats->add(StatisticsTables::TodayAttempts, 3, 12, 2);
        stats->add(StatisticsTables::TodayAttempts, 20, 12, 4); // beyond level 15
        stats->add(StatisticsTables::TodayAttempts, 35, 12, 1); // spare slot
        stats->add(StatisticsTables::TodayAttempts, 3, 13, 9);  // someone else
        stats->add(StatisticsTables::TotalAttempts, 3, 12, 50); // not today
        const AttemptNumbers numbers = attemptNumbers(*stats, 3, 12);
        QCOMPARE(numbers.atLevel, 3);
        QCOMPARE(numbers.today, 8);
        const AttemptNumbers fresh = attemptNumbers(*stats, 4, 12);
        QCOMPARE(fresh.atLevel, 1);
        QCOMPARE(fresh.today, 8);
    }
};

QTEST_GUILESS_MAIN(TestDrillScreenLogic)
#include "tst_drillscreenlogic.moc"
