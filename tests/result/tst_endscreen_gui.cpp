#include "core/catalogue.h"
#include "core/gui/appcontext.h"
#include "core/runstate.h"
#include "platform/gui/messagebox.h"
#include "result/gui/endscreen.h"
#include "support/fakes.h"
#include "support/scriptedrun.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace kz;

namespace {

constexpr int kStudent = 12;

// One run with everything the end screen needs; a student who has just practised a level.
struct Rig {
    test::FakeClock clock;
    test::ScriptedRun run{clock};
    RunState* state = &run.setUp();
    test::ScriptedRandom random;
    PresetMessageBox messages;
    test::RecordingCues cues;
    test::RecordingNavigator navigator;
    QList<int> drillLevels; // the current level at every showDrillScreen
    AppContext context{run, clock, random, messages, cues, navigator};
    std::function<void()> refresh;  // what the statistics refresh adds
    bool finalLevelCleared = false; // the refreshed figures clear the final level

    Rig(int level, qint32 time) {
        initRunState(*state);
        buildLevelCatalogue(*state);
        run.onRefresh = [this] {
            if (refresh)
                refresh();
            if (finalLevelCleared) {
                state->tables.statistics.add(StatisticsTables::PassPeriodPoints, 25, kStudent, 100);
                state->tables.statistics.add(StatisticsTables::PassPeriodAttempts, 25, kStudent, 5);
            }
            return Status();
        };
        navigator.onCall = [this](const QString& call) {
            if (call == QStringLiteral("showDrillScreen"))
                drillLevels << state->attempt.currentLevel;
            // The program's navigator closes the end screen that the next screen replaces.
            if (call == QStringLiteral("showDrillScreen") || call == QStringLiteral("showLevelMenu"))
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* end = qobject_cast<EndScreen*>(w))
                        end->close();
        };
        state->student.currentBangou = kStudent;
        state->student.currentName = QStringLiteral("  佐藤　花子 ");
        state->attempt.currentLevel = qint16(level);
        state->attempt.recordedTime = time;
        for (int l = 1; l <= 25; ++l) {
            PassCriteria& c = state->tables.criteria.row(l);
            c.targetTime = 60;
            c.minimumTime = 20;
            c.clearPoints = 100;
            c.clearCount = 5;
            c.overdoCount = 10;
            c.pointMultiplier = DecimalMultiplier::fromText(u"1.5");
        }
    }
    void figures(int todayHere, int passPoints, int passAttempts, int overdoAttempts) {
        const int level = state->attempt.currentLevel;
        refresh = [this, level, todayHere, passPoints, passAttempts, overdoAttempts] {
            auto& st = state->tables.statistics;
            st.clearFigures();
            st.add(StatisticsTables::TodayAttempts, level, kStudent, todayHere);
            st.add(StatisticsTables::TodayAttempts, level == 1 ? 2 : 1, kStudent, 4);
            st.add(StatisticsTables::PassPeriodPoints, level, kStudent, passPoints);
            st.add(StatisticsTables::PassPeriodAttempts, level, kStudent, passAttempts);
            st.add(StatisticsTables::OverdoPeriodAttempts, level, kStudent, overdoAttempts);
        };
    }
    // A screen evaluated synchronously, with no events let through (the timer cannot fire yet).
    QPointer<EndScreen> openScreen() {
        auto* w = new EndScreen(context);
        w->setEventPump([] {});
        w->show();
        w->activate();
        return w;
    }
};

template <typename T> T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qWarning("no child %s", name);
    return c;
}

QString text(QWidget* w, const char* name) {
    return child<QLabel>(w, name)->text();
}
bool shown(QWidget* w, const char* name) {
    return child<QWidget>(w, name)->isVisible();
}

bool waitForButtons(QWidget* w) {
    return QTest::qWaitFor([w] { return shown(w, "Command4"); }, 10000);
}

void closeScreen(QPointer<EndScreen>& w) {
    if (w)
        w->close();
    QTRY_VERIFY(w.isNull());
}

} // namespace

class TestEndScreen : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void showsTheVerdict();
    void timedOutAttempt();
    void followUp_data();
    void followUp();
    void bannerUntilTimer();
    void menuButton();
    void retryButton();
    void leavingWhileSoundsPlay();
    void evaluatesOnceWhenShown();
    void screenshots();
};

void TestEndScreen::layout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::newRow("Image1") << "Image1" << QRect(0, 0, 1024, 768);
    QTest::newRow("Label15") << "Label15" << QRect(123, 27, 766, 64);
    QTest::newRow("Label14") << "Label14" << QRect(681, 93, 209, 25);
    QTest::newRow("Label16") << "Label16" << QRect(123, 117, 766, 64);
    QTest::newRow("Label13") << "Label13" << QRect(684, 183, 207, 27);
    QTest::newRow("Label17") << "Label17" << QRect(123, 217, 766, 64);
    QTest::newRow("Label18") << "Label18" << QRect(123, 296, 766, 55);
    QTest::newRow("Label19") << "Label19" << QRect(123, 352, 766, 55);
    QTest::newRow("Label20") << "Label20" << QRect(123, 426, 766, 49);
    QTest::newRow("Label2") << "Label2" << QRect(12, 514, 1005, 37);
    QTest::newRow("Picture1") << "Picture1" << QRect(12, 543, 1007, 119);
    QTest::newRow("Command4") << "Command4" << QRect(126, 555, 349, 67);
    QTest::newRow("Command5") << "Command5" << QRect(537, 555, 349, 67);
}

void TestEndScreen::layout() {
    QFETCH(QString, name);
    QFETCH(QRect, place);
    Rig rig(3, 40);
    EndScreen w(rig.context, {});
    QCOMPARE(w.windowTitle(), QStringLiteral("終了"));
    QCOMPARE(w.size(), QSize(1024, 768));
    auto* c = w.findChild<QWidget*>(name);
    QVERIFY(c);
    QCOMPARE(c->geometry(), place);
    auto* timer = w.findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 500);
    QVERIFY(timer->isSingleShot());
    QVERIFY(!timer->isActive());
    QCOMPARE(child<QLabel>(&w, "Image1")->pixmap().size(), QSize(1024, 768));
}

void TestEndScreen::showsTheVerdict() {
    Rig rig(3, 30);
    rig.state->attempt.newPersonalBest = true;
    rig.figures(3, 40, 2, 0);
    QPointer<EndScreen> w = rig.openScreen();
    QCOMPARE(rig.run.refreshes, 1);
    QCOMPARE(text(w, "Label15"), QStringLiteral("カズリンその２"));
    QCOMPARE(text(w, "Label16"), QStringLiteral("１４(10-15)"));
    QCOMPARE(text(w, "Label17"), QStringLiteral("佐藤　花子"));
    QCOMPARE(text(w, "Label18"), QStringLiteral("今の成績：30秒"));
    QCOMPARE(text(w, "Label19"), QStringLiteral("獲得ポイント：11点×1.5→16点"));
    QCOMPARE(text(w, "Label13"), QStringLiteral(" (このレベル　3回目)"));
    QCOMPARE(text(w, "Label14"), QStringLiteral("（7回目)"));
    QVERIFY(shown(w, "Label20"));
    QCOMPARE(text(w, "Label20"), QStringLiteral("新記録おめでとう"));
    QVERIFY(!shown(w, "Label2"));
    QVERIFY(!shown(w, "Picture1"));
    QVERIFY(!shown(w, "Command4"));
    QVERIFY(!shown(w, "Command5"));
    QVERIFY(w->findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    QCOMPARE(rig.cues.played, QStringList{"personalBest"});
    QCOMPARE(rig.navigator.calls, QStringList{"screenReady"});
    closeScreen(w);
}

void TestEndScreen::timedOutAttempt() {
    Rig rig(5, 99999);
    rig.state->attempt.timedOut = true;
    rig.state->tables.criteria.row(5).minimumTime = 200000;
    rig.figures(1, 0, 0, 0);
    QPointer<EndScreen> w = rig.openScreen();
    QCOMPARE(text(w, "Label18"), QStringLiteral("記録なし"));
    QCOMPARE(text(w, "Label19"), QStringLiteral("獲得ポイント：0点×1.5→0点"));
    QVERIFY(shown(w, "Label20"));
    QCOMPARE(text(w, "Label20"), QStringLiteral("時間切れ"));
    QVERIFY(rig.cues.played.isEmpty());
    closeScreen(w);
}

void TestEndScreen::followUp_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("passPoints");
    QTest::addColumn<int>("overdoAttempts");
    QTest::addColumn<int>("finalCleared");
    QTest::addColumn<bool>("retry");
    QTest::addColumn<bool>("lineShown");
    QTest::addColumn<QString>("line");

    QTest::newRow("plain attempt") << 3 << 10 << 2 << 0 << true << false << "";
    QTest::newRow("cleared, not overdone") << 3 << 120 << 2 << 0 << true << true << "このレベルクリア";
    QTest::newRow("cleared and overdone")
        << 3 << 120 << 10 << 0 << false << true << "次のレベルへ進みましょう";
    QTest::newRow("overdone, final already cleared")
        << 3 << 120 << 10 << 1 << true << true << "このレベルクリア";
    QTest::newRow("overdone, not cleared") << 3 << 10 << 10 << 0 << true << false << "";
    QTest::newRow("final level overdone and cleared") << 25 << 120 << 10 << 0 << true << false << "";
}

void TestEndScreen::followUp() {
    QFETCH(int, level);
    QFETCH(int, passPoints);
    QFETCH(int, overdoAttempts);
    QFETCH(int, finalCleared);
    QFETCH(bool, retry);
    QFETCH(bool, lineShown);
    QFETCH(QString, line);

    Rig rig(level, 50);
    rig.finalLevelCleared = finalCleared != 0;
    rig.figures(2, passPoints, 6, overdoAttempts);
    QPointer<EndScreen> w = rig.openScreen();
    QVERIFY(waitForButtons(w));
    QVERIFY(shown(w, "Command4"));
    QCOMPARE(w->focusWidget(), child<QWidget>(w, "Command4"));
    QCOMPARE(shown(w, "Command5"), retry);
    QCOMPARE(shown(w, "Label2"), lineShown);
    if (lineShown)
        QCOMPARE(text(w, "Label2"), line);
    QVERIFY(!shown(w, "Picture1"));
    closeScreen(w);
}

void TestEndScreen::bannerUntilTimer() {
    Rig rig(25, 50);
    rig.figures(1, 100, 5, 0);
    QPointer<EndScreen> w = rig.openScreen();
    QVERIFY(shown(w, "Picture1"));
    QCOMPARE(text(w, "Label1"), QStringLiteral("目標レベルクリア。おめでとう！"));
    QVERIFY(shown(w, "Label2"));
    QCOMPARE(text(w, "Label2"), QStringLiteral("このレベルクリア"));
    QCOMPARE(rig.cues.played, QStringList{"pass"});
    QVERIFY(waitForButtons(w));
    QVERIFY(!shown(w, "Picture1"));
    QVERIFY(shown(w, "Command5"));
    closeScreen(w);
}

void TestEndScreen::menuButton() {
    Rig rig(3, 50);
    QPointer<EndScreen> w = rig.openScreen();
    QVERIFY(waitForButtons(w));
    auto* menu = child<QPushButton>(w, "Command4");
    QTest::mouseClick(menu, Qt::LeftButton);
    QCOMPARE(rig.navigator.calls, (QStringList{"screenReady", "showLevelMenu"}));
    QTRY_VERIFY(w.isNull()); // closed and discarded
}

void TestEndScreen::retryButton() {
    Rig rig(7, 50);
    QPointer<EndScreen> w = rig.openScreen();
    QVERIFY(waitForButtons(w));
    auto* menu = child<QPushButton>(w, "Command4");
    auto* retry = child<QPushButton>(w, "Command5");
    QVERIFY(retry->isVisible());
    QTest::mouseClick(retry, Qt::LeftButton);
    QVERIFY(!menu->isEnabled());
    QCOMPARE(rig.navigator.calls, (QStringList{"screenReady", "showDrillScreen"}));
    QCOMPARE(rig.drillLevels, QList<int>{7});
    QVERIFY(!w->isVisible());
    QTRY_VERIFY(w.isNull());
}

void TestEndScreen::leavingWhileSoundsPlay() {
    // A record and the final level's pass sound; the student presses "メニューへ" after the
    // first sound. The rest of the evaluation must not touch the screen, nor play on.
    Rig rig(25, 50);
    rig.state->attempt.newSchoolBest = true;
    rig.figures(1, 100, 5, 0);
    auto* w = new EndScreen(rig.context);
    QPointer<EndScreen> guard(w);
    int pumps = 0;
    w->setEventPump([&] {
        if (++pumps == 2)
            child<QPushButton>(w, "Command4")->click();
        QCoreApplication::processEvents();
    });
    w->show();
    w->activate();
    QCOMPARE(rig.cues.played, QStringList{"schoolBest"});
    // Left before the evaluation ended: the screen never said it was ready.
    QCOMPARE(rig.navigator.calls, (QStringList{"showLevelMenu"}));
    QTRY_VERIFY(guard.isNull());
    QCOMPARE(rig.navigator.calls.size(), 1);
}

void TestEndScreen::evaluatesOnceWhenShown() {
    Rig rig(3, 50);
    auto* w = new EndScreen(rig.context);
    QPointer<EndScreen> guard(w);
    w->show();
    QTRY_VERIFY(w->isActivated());
    w->hide();
    w->show();
    w->activate();
    QVERIFY(waitForButtons(w));
    QCOMPARE(rig.run.refreshes, 1);
    QCOMPARE(rig.navigator.calls.count(QStringLiteral("screenReady")), 1);
    closeScreen(guard);
}

void TestEndScreen::screenshots() {
    {
        Rig rig(10, 30);
        rig.state->attempt.newPersonalBest = true;
        rig.figures(3, 40, 2, 0);
        QPointer<EndScreen> w = rig.openScreen();
        QVERIFY(test::saveScreenshot(w, QStringLiteral("frmsyuuryou_new_record.png")));
        QVERIFY(waitForButtons(w));
        QVERIFY(test::saveScreenshot(w, QStringLiteral("frmsyuuryou_new_record_buttons.png")));
        closeScreen(w);
    }
    {
        Rig rig(16, 99999);
        rig.state->attempt.timedOut = true;
        rig.figures(2, 0, 0, 0);
        QPointer<EndScreen> w = rig.openScreen();
        QVERIFY(waitForButtons(w));
        QVERIFY(test::saveScreenshot(w, QStringLiteral("frmsyuuryou_timed_out.png")));
        closeScreen(w);
    }
    {
        Rig rig(25, 42);
        rig.state->attempt.newSchoolBest = true;
        rig.figures(5, 120, 6, 0);
        QPointer<EndScreen> w = rig.openScreen();
        QVERIFY(test::saveScreenshot(w, QStringLiteral("frmsyuuryou_banner.png")));
        closeScreen(w);
    }
    {
        Rig rig(4, 50);
        rig.figures(12, 130, 9, 10);
        QPointer<EndScreen> w = rig.openScreen();
        QVERIFY(waitForButtons(w));
        QVERIFY(test::saveScreenshot(w, QStringLiteral("frmsyuuryou_next_level_hint.png")));
        closeScreen(w);
    }
}

QTEST_MAIN(TestEndScreen)
#include "tst_endscreen_gui.moc"
