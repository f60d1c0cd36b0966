#include "core/catalogue.h"
#include "core/gui/appcontext.h"
#include "core/runstate.h"
#include "drill/gui/drillscreen.h"
#include "platform/gui/messagebox.h"
#include "support/fakes.h"
#include "support/scriptedrun.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace kz;
using kz::test::FakeClock;
using kz::test::RecordingCues;
using kz::test::RecordingNavigator;
using kz::test::saveScreenshot;
using kz::test::ScriptedRandom;

namespace {

const QColor kBackground(0, 192, 192);
const QColor kPink(255, 128, 128);

// What the screen looked like when the recording step ran.
struct RecorderCall {
    qint32 recordedTime = 0;
    qint32 elapsedSeconds = 0;
    bool panelVisible = false;
    bool recordingLabelVisible = false;
    bool timeOutLabelVisible = false;
    bool clockRunning = true;
    qint16 recordingStarted = 0;
};

// One drill screen with fakes all round, for the level given; the run's recording step is
// scripted.
struct Rig {
    FakeClock clock;
    ScriptedRandom random;
    RecordingCues cues;
    PresetMessageBox messages;
    RecordingNavigator navigator;
    test::ScriptedRun run{clock};
    RunState* state = &run.setUp();
    AppContext context{run, clock, random, messages, cues, navigator};
    QList<RecorderCall> recorderCalls;
    int failuresLeft = 0;
    std::function<void()> duringRecording;
    QPointer<DrillScreen> frm;

    explicit Rig(int level, qint32 minimumTime = 60, qint32 targetTime = 40) {
        navigator.onCall = [this](const QString& call) { closeLikeTheNavigator(call); };
        initRunState(*state);
        buildLevelCatalogue(*state);
        run.chooseLevel(level);
        run.onRecord = recorder();
        state->student.currentBangou = 12;
        state->student.currentName = "  山田　花子  ";
        state->settings.installation.siteName = "さくら塾";
        state->student.sessionStartSeconds = 14 * 3600 + 30 * 60 - 119; // the clock starts at 14:30:00
        state->tables.criteria.row(level).minimumTime = minimumTime;
        state->tables.criteria.row(level).targetTime = targetTime;
    }
    ~Rig() { delete frm.data(); }

    // The program's navigator closes the drill screen that the next screen replaces.
    void closeLikeTheNavigator(const QString& call) {
        if (frm && (call == QStringLiteral("showEndScreen") || call == QStringLiteral("showLevelMenu")))
            frm->close();
    }

    std::function<Status()> recorder() {
        return [this] {
            RecorderCall call;
            call.recordedTime = state->attempt.recordedTime;
            call.elapsedSeconds = state->attempt.elapsedSeconds;
            call.recordingStarted = state->attempt.recordingStarted;
            if (frm) {
                call.panelVisible = frm->findChild<QFrame*>("sPicture2")->isVisible();
                call.recordingLabelVisible = frm->findChild<QLabel*>("lblsss1")->isVisible();
                call.timeOutLabelVisible = frm->findChild<QLabel*>("lblsss2")->isVisible();
                call.clockRunning = frm->findChild<QTimer*>("sTimer1")->isActive();
            }
            recorderCalls << call;
            if (duringRecording)
                duringRecording();
            if (failuresLeft > 0) {
                --failuresLeft;
                return Status(makeError(ErrorKind::Locked, "成績累積データ.dat は使用中です。"));
            }
            return Status();
        };
    }

    // As the navigator does; the screen's activation starts the attempt.
    DrillScreen* open() {
        frm = new DrillScreen(context);
        frm->show();
        return frm;
    }

    QLabel* label(const char* name) const { return frm->findChild<QLabel*>(name); }
    QString text(const char* name) const { return label(name)->text(); }
    bool visible(const char* name) const { return label(name)->isVisible(); }
    QColor background() const { return frm->palette().color(QPalette::Window); }
    int shapeWidth(const char* name) const {
        QFrame* shape = frm->findChild<QFrame*>(name);
        return shape->isVisibleTo(frm) ? shape->width() : 0;
    }
    void type(const QString& keys) { QTest::keyClicks(frm, keys); }
    void answerRight() { type(QString::number(frm->engine().expectedAnswer()) + " "); }
    void tick(int ms = 1000) {
        clock.advanceMs(ms);
        frm->tickClock();
    }
    // Lets the screen's deferred deletion run.
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

} // namespace

class TestDrillScreen : public QObject {
    Q_OBJECT

private slots:
    void layoutAtStart() {
        Rig rig(4);
        rig.random.values = {0.0};
        DrillScreen* frm = rig.open();
        QCOMPARE(frm->size(), QSize(1024, 768));
        QCOMPARE(rig.background(), kBackground);
        QCOMPARE(rig.label("qLabel1")->geometry(), QRect(84, 305, 207, 132));
        QCOMPARE(rig.label("inputLabel")->geometry(), QRect(763, 305, 228, 132));
        QCOMPARE(rig.label("seitouLabel")->geometry(), QRect(763, 458, 228, 132));
        QCOMPARE(rig.label("Commandkakunin2")->geometry(), QRect(39, 153, 943, 37));
        QCOMPARE(frm->findChild<QFrame*>("sPicture1")->geometry(), QRect(-1, 0, 1028, 109));
        QCOMPARE(frm->findChild<QFrame*>("sPicture2")->geometry(), QRect(0, 0, 1030, 756));
        QCOMPARE(rig.text("Commandkakunin2"), QStringLiteral("\"+\"を２回押しなさい"));
        QCOMPARE(rig.text("Label5"), QStringLiteral("スペースキー＝判定"));
        QCOMPARE(rig.text("Label1"), QStringLiteral("矢印キー、リターンキー＝クリア"));
        QCOMPARE(rig.text("lblsss1"), QStringLiteral("成績記録中"));
        QCOMPARE(rig.text("lblsss2"), QStringLiteral("時間切れ"));
        const QStringList fixedTexts = {"起動後", "分", "本日", "回目", "このレベル", "回目"};
        for (int i = 0; i < fixedTexts.size(); ++i)
            QCOMPARE(rig.text(qPrintable(QStringLiteral("sLabel16_%1").arg(i))), fixedTexts[i]);

        QCOMPARE(rig.text("sLabel2"), QStringLiteral("カズリンその２"));
        QCOMPARE(rig.label("sLabel2")->font().pointSizeF(), 16.8);
        QCOMPARE(rig.text("sLabel7"), QStringLiteral("山田　花子"));
        QCOMPARE(rig.text("sLabel14"), QStringLiteral("さくら塾"));
        QCOMPARE(rig.text("sLabel8"), QStringLiteral("１４(10-15R)"));
        QCOMPARE(rig.text("sLabel10"), QStringLiteral("0"));
        QCOMPARE(rig.text("sLabel13"), QStringLiteral("1")); // 119 s since the name was confirmed
        QCOMPARE(rig.text("sLabel9"), QStringLiteral("5"));
        QCOMPARE(rig.text("qLabel1"), QStringLiteral("14"));
        QCOMPARE(rig.text("qlabel2"), QStringLiteral("11"));
        QVERIFY(!rig.visible("seitouLabel"));
        QVERIFY(!rig.visible("Commandkakunin2"));
        QVERIFY(!frm->findChild<QFrame*>("sPicture2")->isVisible());
        QVERIFY(frm->findChild<QTimer*>("sTimer1")->isActive());
        QCOMPARE(frm->findChild<QTimer*>("sTimer1")->interval(), 1000);
        QVERIFY(frm->findChild<QTimer*>("sTimer2")->isActive());
        QCOMPARE(frm->findChild<QTimer*>("sTimer2")->interval(), 10000);
        QCOMPARE(rig.navigator.calls, QStringList{"screenReady"});

        // Three digits of the largest answer fit into the answer box.
        const QFontMetrics metrics(rig.label("inputLabel")->font());
        QVERIFY(metrics.horizontalAdvance("888") <= 228);
    }

    // Level 4: five shuffled items, one wrong answer acknowledged with "+" twice.
    void wholeShuffledLevel() {
        Rig rig(4);
        // 14x11, 14x12 (wrong), 14x12 again, 14x13, 14x14, 14x15
        rig.random.values = {0.0, 0.2, 0.2, 0.4, 0.6, 0.8};
        DrillScreen* frm = rig.open();

        rig.type("154");
        QCOMPARE(rig.text("inputLabel"), QStringLiteral("154"));
        rig.type(" ");
        QCOMPARE(rig.text("inputLabel"), QString());
        QCOMPARE(rig.text("qlabel2"), QStringLiteral("12"));
        QCOMPARE(rig.text("sLabel9"), QStringLiteral("4"));

        rig.tick();
        QCOMPARE(rig.text("sLabel10"), QStringLiteral("1"));

        rig.type("100 ");
        QCOMPARE(rig.text("seitouLabel"), QStringLiteral("168"));
        QVERIFY(rig.visible("seitouLabel"));
        QVERIFY(rig.visible("Commandkakunin2"));
        QCOMPARE(rig.text("inputLabel"), QStringLiteral("100"));
        QCOMPARE(rig.cues.played, (QStringList{"right", "wrong"}));
        rig.tick();
        QCOMPARE(rig.text("sLabel10"), QStringLiteral("12")); // 2 s and the 10 s penalty
        QCOMPARE(rig.frm->engine().elapsedSeconds(), 12);

        rig.type("+1");
        QVERIFY(rig.visible("Commandkakunin2")); // "1" starts the count again
        rig.type("+");
        QVERIFY(rig.visible("Commandkakunin2"));
        rig.type("+");
        QVERIFY(!rig.visible("Commandkakunin2"));
        QVERIFY(!rig.visible("seitouLabel"));
        QCOMPARE(rig.text("inputLabel"), QString());
        QCOMPARE(rig.text("qlabel2"), QStringLiteral("12"));
        QCOMPARE(rig.text("sLabel9"), QStringLiteral("4"));
        QCOMPARE(rig.background(), kBackground); // shuffled levels have no retry questions

        rig.answerRight();
        QCOMPARE(rig.text("sLabel9"), QStringLiteral("3"));
        rig.answerRight();
        rig.answerRight();
        QCOMPARE(rig.text("qlabel2"), QStringLiteral("15"));
        QCOMPARE(rig.text("sLabel9"), QStringLiteral("1"));
        rig.tick();
        QCOMPARE(rig.text("sLabel10"), QStringLiteral("13"));
        QVERIFY(rig.recorderCalls.isEmpty());

        rig.navigator.onCall = [&](const QString& call) {
            // The end screen is asked for by a stopped screen, which the navigator closes.
            if (call == QStringLiteral("showEndScreen"))
                QVERIFY(rig.frm && !rig.frm->findChild<QTimer*>("sTimer1")->isActive());
            rig.closeLikeTheNavigator(call);
        };
        rig.answerRight(); // the last item: the hand-off runs, pauses and closes the screen

        QCOMPARE(rig.recorderCalls.size(), 1);
        const RecorderCall call = rig.recorderCalls.first();
        QCOMPARE(call.recordedTime, 13);
        QCOMPARE(call.elapsedSeconds, 13);
        QVERIFY(call.panelVisible);
        QVERIFY(call.recordingLabelVisible);
        QVERIFY(!call.timeOutLabelVisible);
        QVERIFY(!call.clockRunning);
        QCOMPARE(call.recordingStarted, 1);
        QCOMPARE(rig.state->attempt.recordingStarted, true);
        QCOMPARE(rig.state->attempt.timedOut, false);
        QCOMPARE(rig.navigator.calls, (QStringList{"screenReady", "showEndScreen"}));

        // Keys and ticks after the end reach nothing; the screen goes once the event loop runs.
        rig.type("9");
        QCOMPARE(rig.text("inputLabel"), QString());
        frm->tickClock();
        QCOMPARE(rig.recorderCalls.size(), 1);
        Rig::flushDeletes();
        QVERIFY(rig.frm.isNull());
    }

    // Level 3 in order: 14x12 wrong in the first pass comes back as a pink retry.
    void inOrderRetryTurnsPink() {
        Rig rig(3);
        rig.open();
        QCOMPARE(rig.text("sLabel9"), QStringLiteral("15"));
        rig.answerRight(); // 11
        QCOMPARE(rig.text("sLabel9"), QStringLiteral("14"));
        rig.type("0 ++"); // 12 wrong
        QCOMPARE(rig.text("sLabel9"), QStringLiteral("14"));
        QCOMPARE(rig.text("qlabel2"), QStringLiteral("13"));
        QCOMPARE(rig.background(), kBackground);
        rig.answerRight(); // 13
        rig.answerRight(); // 14
        rig.answerRight(); // 15
        QCOMPARE(rig.text("qlabel2"), QStringLiteral("12"));
        QCOMPARE(rig.background(), kPink);
        QVERIFY(rig.frm->engine().isRetryQuestion());
        QVERIFY(saveScreenshot(rig.frm, "mainfrm_retry.png"));
        rig.answerRight(); // the retry
        QCOMPARE(rig.text("qlabel2"), QStringLiteral("11"));
        QCOMPARE(rig.background(), kBackground);
        QCOMPARE(rig.text("sLabel9"), QStringLiteral("10"));
    }

    void editingKeys_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("cues");
        QTest::newRow("digits") << QList<int>{Qt::Key_1, Qt::Key_5} << "15" << QStringList();
        QTest::newRow("backspace") << QList<int>{Qt::Key_1, Qt::Key_5, Qt::Key_Backspace} << "1"
                                   << QStringList();
        QTest::newRow("backspace on nothing") << QList<int>{Qt::Key_Backspace} << "" << QStringList();
        QTest::newRow("return clears")
            << QList<int>{Qt::Key_1, Qt::Key_5, Qt::Key_Return} << "" << QStringList();
        QTest::newRow("keypad enter clears") << QList<int>{Qt::Key_4, Qt::Key_Enter} << "" << QStringList();
        QTest::newRow("left clears") << QList<int>{Qt::Key_4, Qt::Key_Left} << "" << QStringList();
        QTest::newRow("down clears") << QList<int>{Qt::Key_4, Qt::Key_Down} << "" << QStringList();
        QTest::newRow("fourth digit warns")
            << QList<int>{Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4} << "123" << QStringList{"keyWarning"};
        QTest::newRow("letters do nothing") << QList<int>{Qt::Key_A, Qt::Key_1} << "1" << QStringList();
    }
    void editingKeys() {
        QFETCH(QList<int>, keys);
        QFETCH(QString, typed);
        QFETCH(QStringList, cues);
        Rig rig(4);
        rig.open();
        for (int key : keys)
            QTest::keyClick(rig.frm, Qt::Key(key));
        QCOMPARE(rig.text("inputLabel"), typed);
        QCOMPARE(rig.cues.played, cues);
    }

    // The screen sees every key before its controls: a key sent to a label still types.
    void keysReachTheDrillBeforeControls() {
        Rig rig(4);
        rig.open();
        QTest::keyClick(rig.label("inputLabel"), Qt::Key_4);
        QTest::keyClick(rig.label("qLabel1"), Qt::Key_2);
        QCOMPARE(rig.text("inputLabel"), QStringLiteral("42"));
    }

    void handOff_data() {
        QTest::addColumn<bool>("timeOut");
        QTest::addColumn<qint32>("recordedTime");
        QTest::newRow("finished: 成績記録中") << false << 4;
        QTest::newRow("time limit: 時間切れ") << true << 99999;
    }
    void handOff() {
        QFETCH(bool, timeOut);
        QFETCH(qint32, recordedTime);
        Rig rig(4, 2); // a 10-second limit
        rig.random.values = {0.0, 0.2, 0.4, 0.6, 0.8};
        DrillScreen* frm = rig.open();
        QString panelText;
        rig.duringRecording = [&] {
            panelText = rig.visible("lblsss1") ? rig.text("lblsss1") : rig.text("lblsss2");
            QVERIFY(saveScreenshot(frm, timeOut ? "mainfrm_timeout.png" : "mainfrm_recording.png"));
        };
        for (int i = 0; i < 4; ++i)
            rig.tick();
        if (timeOut) {
            rig.answerRight();
            for (int i = 0; i < 6 && rig.recorderCalls.isEmpty(); ++i)
                rig.tick();
            QCOMPARE(rig.shapeWidth("sShape2"), rig.shapeWidth("sShape5"));
        } else {
            for (int i = 0; i < 5; ++i)
                rig.answerRight();
        }
        QCOMPARE(rig.recorderCalls.size(), 1);
        QCOMPARE(rig.recorderCalls.first().recordedTime, recordedTime);
        QCOMPARE(rig.state->attempt.recordedTime, recordedTime);
        QCOMPARE(rig.state->attempt.timedOut, timeOut);
        QCOMPARE(panelText, timeOut ? QStringLiteral("時間切れ") : QStringLiteral("成績記録中"));
        QVERIFY(rig.recorderCalls.first().panelVisible);
        QCOMPARE(rig.navigator.calls, (QStringList{"screenReady", "showEndScreen"}));
        QVERIFY(!frm->isVisible());
        Rig::flushDeletes();
        QVERIFY(rig.frm.isNull());
    }

    // A wrong answer in the last second before the end is part of the recorded time.
    void penaltyJustBeforeTheEnd_data() {
        QTest::addColumn<int>("level");
        QTest::newRow("shuffled") << 4;
        QTest::newRow("in order") << 3;
    }
    void penaltyJustBeforeTheEnd() {
        QFETCH(int, level);
        Rig rig(level);
        rig.random.values = {0.0, 0.2, 0.4, 0.6, 0.8};
        rig.open();
        rig.tick();
        rig.tick();
        rig.clock.advanceMs(600);
        rig.type("0 ++");
        for (int i = 0; i < 20 && rig.recorderCalls.isEmpty(); ++i)
            rig.answerRight();
        QCOMPARE(rig.recorderCalls.size(), 1);
        QCOMPARE(rig.recorderCalls.first().recordedTime, 12);
    }

    void recordingFailure_data() {
        QTest::addColumn<int>("failures");
        QTest::addColumn<bool>("retry");
        QTest::addColumn<int>("recorderCalls");
        QTest::addColumn<QStringList>("navigation");
        QTest::newRow("retried until stored")
            << 2 << true << 3 << QStringList{"screenReady", "showEndScreen"};
        QTest::newRow("given up: back to the menu")
            << 1 << false << 1 << QStringList{"screenReady", "showLevelMenu"};
    }
    void recordingFailure() {
        QFETCH(int, failures);
        QFETCH(bool, retry);
        QFETCH(int, recorderCalls);
        QFETCH(QStringList, navigation);
        Rig rig(4, 2);
        rig.failuresLeft = failures;
        rig.messages.answer = retry ? MessageBox::Answer::Ok : MessageBox::Answer::Cancel;
        rig.open();
        for (int i = 0; i < 10; ++i)
            rig.tick();
        QCOMPARE(rig.recorderCalls.size(), recorderCalls);
        QCOMPARE(rig.messages.shown.size(), qMin(failures, retry ? failures : 1));
        QVERIFY(rig.messages.shown.first().text.contains("成績累積データ.dat は使用中です。"));
        QCOMPARE(rig.navigator.calls, navigation);
        QVERIFY(!rig.frm->isVisible());
    }

    void closeRefusedDuringAttempt() {
        Rig rig(4, 2);
        DrillScreen* frm = rig.open();
        QVERIFY(!frm->close());
        QVERIFY(frm->isVisible());
        QVERIFY(frm->attemptRunning());
        QVERIFY(frm->findChild<QTimer*>("sTimer1")->isActive());
        for (int i = 0; i < 10; ++i)
            rig.tick();
        QCOMPARE(rig.recorderCalls.size(), 1);
        QVERIFY(!frm->isVisible());
    }

    void timeBar_data() {
        QTest::addColumn<int>("minimumTime");
        QTest::addColumn<int>("targetTime");
        QTest::addColumn<bool>("barShown");
        QTest::addColumn<int>("minimumWidth");
        QTest::addColumn<int>("targetWidth");
        QTest::newRow("60 s minimum line") << 60 << 100 << true << 200 << 334;
        QTest::newRow("no minimum line") << 0 << 100 << false << 0 << 0;
        QTest::newRow("negative minimum line") << -4 << 100 << false << 0 << 0;
    }
    void timeBar() {
        QFETCH(int, minimumTime);
        QFETCH(int, targetTime);
        QFETCH(bool, barShown);
        QFETCH(int, minimumWidth);
        QFETCH(int, targetWidth);
        Rig rig(4, minimumTime, targetTime);
        DrillScreen* frm = rig.open();
        QWidget* bar = frm->findChild<QWidget*>("timeBar");
        QCOMPARE(bar->isVisible(), barShown);
        QCOMPARE(rig.shapeWidth("sShape4"), minimumWidth);
        QCOMPARE(rig.shapeWidth("sShape3"), targetWidth);
        QCOMPARE(rig.shapeWidth("sShape2"), 0);
        QCOMPARE(rig.shapeWidth("sShape7"), 0);
        if (barShown) {
            QCOMPARE(bar->geometry(), QRect(6, 84, 1001, 10));
            QCOMPARE(rig.shapeWidth("sShape5"), 1001);
            rig.tick();
            QCOMPARE(rig.shapeWidth("sShape2"), 3); // 1 s of 300 on 1001 pixels
        } else {
            // Without a limit the attempt runs on and never times out.
            for (int i = 0; i < 1000; ++i)
                rig.tick();
            QCOMPARE(rig.text("sLabel10"), QStringLiteral("1000"));
            QVERIFY(rig.recorderCalls.isEmpty());
            QVERIFY(frm->attemptRunning());
        }
    }

    void attemptNumbersSumAllLevels() {
        Rig rig(3);
        rig.state->tables.statistics.add(StatisticsTables::TodayAttempts, 3, 12, 2);
        rig.state->tables.statistics.add(StatisticsTables::TodayAttempts, 20, 12, 4);
        rig.state->tables.statistics.add(StatisticsTables::TodayAttempts, 3, 99, 7); // another student
        rig.open();
        QCOMPARE(rig.text("sLabel11"), QStringLiteral("3"));
        QCOMPARE(rig.text("sLabel12"), QStringLiteral("7"));
    }

    void titleSize_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<double>("points");
        QTest::newRow("nine characters") << "カズリンその２ドリ" << 16.8;
        QTest::newRow("ten characters") << "カズリンその２ドリル" << 14.0;
    }
    void titleSize() {
        QFETCH(QString, title);
        QFETCH(double, points);
        Rig rig(4);
        rig.state->catalogue.programTitle = title;
        rig.open();
        QCOMPARE(rig.text("sLabel2"), title);
        QCOMPARE(rig.label("sLabel2")->font().pointSizeF(), points);
    }

    void minutesTick() {
        Rig rig(4);
        rig.clock.setNow(QDateTime(QDate(2004, 3, 15), QTime(23, 59, 0)));
        rig.state->student.sessionStartSeconds = 23 * 3600 + 50 * 60; // 23:50
        rig.open();
        QCOMPARE(rig.text("sLabel13"), QStringLiteral("9"));
        rig.clock.setNow(QDateTime(QDate(2004, 3, 16), QTime(0, 4, 59)));
        rig.frm->showMinutesSinceStart();
        QCOMPARE(rig.text("sLabel13"), QStringLiteral("14"));
    }

    // The attempt before (ended, timed out) is not this screen's: its activation starts a
    // clean one.
    void activationStartsTheAttempt() {
        Rig rig(4);
        rig.state->attempt.recordingStarted = true;
        rig.state->attempt.timedOut = true;
        rig.state->attempt.elapsedSeconds = 80;
        rig.open();
        QVERIFY(rig.frm->isVisible());
        QVERIFY(rig.frm->attemptRunning());
        QCOMPARE(rig.state->attempt.recordingStarted, false);
        QCOMPARE(rig.state->attempt.timedOut, false);
        QCOMPARE(rig.state->attempt.elapsedSeconds, 0);
        QCOMPARE(rig.text("qLabel1"), QStringLiteral("14"));
        QTest::keyClick(rig.frm, Qt::Key_5);
        QCOMPARE(rig.text("inputLabel"), QStringLiteral("5"));
    }

    void levelWithoutQuestions() {
        Rig rig(26);
        rig.open();
        QVERIFY(!rig.frm->attemptRunning());
        QTRY_COMPARE(rig.navigator.calls, (QStringList{"screenReady", "showLevelMenu"}));
        QCOMPARE(rig.messages.shown.size(), 1);
        QVERIFY(rig.recorderCalls.isEmpty());
    }

    void screenshots() {
        Rig rig(4);
        rig.random.values = {0.4};
        rig.open();
        rig.type("18");
        for (int i = 0; i < 37; ++i)
            rig.tick();
        QVERIFY(saveScreenshot(rig.frm, "mainfrm_question.png"));
        rig.type("0 ");
        QVERIFY(saveScreenshot(rig.frm, "mainfrm_wrong.png"));
    }
};

QTEST_MAIN(TestDrillScreen)
#include "tst_drillscreen_gui.moc"
