// The whole program in-process on a freshly made demo school: name screen, level menu,
// a drill played by key presses, the end screen and back to the level menu, with the
// attempt stored in the real results file.
#include "app/appnavigator.h"
#include "app/programwiring.h"
#include "core/runstate.h"
#include "data/answerlogaudit.h"
#include "data/resultstore.h"
#include "support/demoprogram.h"
#include "support/fakes.h"
#include "support/soundtestsupport.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace kz;

namespace {

qint64 fileSize(const QString& path) {
    return QFileInfo(path).size();
}

} // namespace

class TestProgramFlow : public QObject {
    Q_OBJECT
private slots:
    void nameToLevelMenuToDrillToEndScreenAndBack();
};

void TestProgramFlow::nameToLevelMenuToDrillToEndScreenAndBack() {
    test::DemoProgram demo;
    QVERIFY2(demo.ready(), qPrintable(demo.failure()));
    auto& [school, clock, random, messages, run, state] = demo;
    random.values = {0.1, 0.3, 0.5, 0.7, 0.9};
    test::ScriptedPlayer sound;
    test::RefusingLauncher launcher;
    const QString resultsPath = state->settings.installation.resultsPath();
    const qint64 sizeBefore = fileSize(resultsPath);
    QVERIFY(sizeBefore > 0);

    // main()'s own wiring (cues, data access on the demo school's real results file, the
    // fatal sound handler) with fakes for the clock, the sound device and the message boxes.
    ProgramWiring wiring(run, {clock, random, messages, sound, launcher, {}});
    AppNavigator& navigator = wiring.navigator();

    // Name screen: pick the first listed student and confirm with "1".
    navigator.showNameScreen();
    QVERIFY(navigator.nameScreen());
    auto* list = navigator.nameScreen()->findChild<QListWidget*>(QStringLiteral("List1"));
    QVERIFY(list);
    QVERIFY(list->count() > 10);
    QVERIFY(test::saveScreenshot(navigator.nameScreen(), QStringLiteral("flow_1_names")));
    // A student with attempts in the demo results (the first lines are the teachers).
    list->setCurrentRow(5);
    emit list->itemClicked(list->item(5));
    QTest::keyClick(list, Qt::Key_1);
    QVERIFY(state->student.currentBangou > 0);
    QCOMPARE(state->catalogue.levelNames[4], QStringLiteral("１４(10-15R)"));

    // Level menu: wait for its activation, then start level 4 by its key.
    QTRY_VERIFY(navigator.levelMenu() && navigator.levelMenu()->isActivated());
    QTRY_VERIFY(!navigator.nameScreen());
    QVERIFY(test::saveScreenshot(navigator.levelMenu(), QStringLiteral("flow_2_levelmenu")));
    const qint32 todayBefore = state->tables.statistics.todayAttempts(4, state->student.currentBangou);
    QVERIFY(navigator.levelMenu()->levelKeysAccepted());
    QTest::keyClick(navigator.levelMenu(), Qt::Key_4);
    QTRY_VERIFY(navigator.drillScreen() && navigator.drillScreen()->isActivated());
    QTRY_VERIFY(!navigator.levelMenu());
    DrillScreen* drill = navigator.drillScreen();
    QCOMPARE(drill->engine().level(), 4);

    // Drill: one wrong answer acknowledged with "+" "+", every other answer right.
    bool wrongGiven = false;
    int guard = 0;
    while (navigator.drillScreen() && !state->attempt.recordingStarted && ++guard < 50) {
        const auto question = drill->engine().currentQuestion();
        clock.advanceMs(3000);
        drill->tickClock();
        if (!wrongGiven) {
            QTest::keyClicks(drill, QStringLiteral("1 "));
            QCOMPARE(drill->findChild<QLabel*>(QStringLiteral("seitouLabel"))->isVisible(), true);
            QVERIFY(test::saveScreenshot(drill, QStringLiteral("flow_3_drill_wrong")));
            QTest::keyClicks(drill, QStringLiteral("++"));
            wrongGiven = true;
            continue;
        }
        QTest::keyClicks(drill,
                         QString::number(question.tableNumber * question.factor) + QStringLiteral(" "));
    }
    QVERIFY(wrongGiven);
    QVERIFY(guard < 50);
    const qint32 recorded = state->attempt.recordedTime;
    QVERIFY2(recorded >= 25 && recorded < 99999, qPrintable(QString::number(recorded)));

    // The attempt is in the file: one more 44-byte record for this student and level.
    QCOMPARE(fileSize(resultsPath), sizeBefore - sizeBefore % 44 + 44);
    const Outcome<ResultsFileContents> contents = readAllResults(resultsPath);
    QVERIFY(contents.ok());
    const ResultRecord last = contents->records.back();
    QCOMPARE(int(last.bangou), int(state->student.currentBangou));
    QCOMPARE(int(last.level), 4);
    QCOMPARE(last.recordedTime, recorded);
    // Its answers follow it in the answer log: the wrong one first, then the five right.
    const Outcome<AnswerLogContents> log =
        readAnswerLog(state->settings.installation.programDataFolder + answerLogFileName(),
                      AnswerLogFilter{state->student.currentBangou, {}, 4, QDate()});
    QVERIFY(log.ok());
    QVERIFY(log->lines.size() >= 6);
    const AnswerLogLine& firstAnswer = log->lines[log->lines.size() - 6];
    QVERIFY(!firstAnswer.correct);
    QCOMPARE(firstAnswer.typed, QStringLiteral("1"));
    QCOMPARE(firstAnswer.responseMs, 3000);
    QVERIFY(auditAnswerLog(*contents, *readAnswerLog(state->settings.installation.programDataFolder +
                                                     answerLogFileName()))
                .attemptsWithoutAnswers.empty());

    // End screen after the pause; its figures include this attempt.
    QTRY_VERIFY_WITH_TIMEOUT(navigator.endScreen(), 10000);
    EndScreen* end = navigator.endScreen();
    QTRY_COMPARE(end->findChild<QLabel*>(QStringLiteral("Label18"))->text(),
                 QStringLiteral("今の成績：%1秒").arg(recorded));
    QCOMPARE(state->tables.statistics.todayAttempts(4, state->student.currentBangou), todayBefore + 1);
    auto* toMenu = end->findChild<QPushButton*>(QStringLiteral("Command4"));
    QTRY_VERIFY(toMenu->isVisible());
    QVERIFY(test::saveScreenshot(end, QStringLiteral("flow_4_endscreen")));
    QTest::mouseClick(toMenu, Qt::LeftButton);

    // Back on a new level menu.
    QTRY_VERIFY(navigator.levelMenu() && navigator.levelMenu()->isActivated());
    QTRY_VERIFY(!navigator.endScreen());
    QVERIFY(!navigator.quitRequested());
    QVERIFY(messages.shown.isEmpty());
}

QTEST_MAIN(TestProgramFlow)
#include "tst_programflow_gui.moc"
