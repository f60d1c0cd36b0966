// A teacher changes a level's minimum time in the criteria editor of a freshly made demo
// school, saves, returns to the level menu, and the next attempt at that level already
// runs with the new time limit.
#include "app/appnavigator.h"
#include "core/runstate.h"
#include "support/demoprogram.h"
#include "support/fakes.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace kz;

class TestCriteriaFlow : public QObject {
    Q_OBJECT
private slots:
    void savedCriteriaServeTheNextAttempt();
};

void TestCriteriaFlow::savedCriteriaServeTheNextAttempt() {
    test::DemoProgram demo;
    QVERIFY2(demo.ready(), qPrintable(demo.failure()));
    auto& [school, clock, random, messages, run, state] = demo;
    test::NullCues cues;
    test::RefusingLauncher launcher;
    AppNavigator navigator(run, clock, random, messages, cues, launcher);
    // As the name screen does when the teacher confirms their name.
    QVERIFY(run.readRoster().ok());
    run.chooseStudent(1002);
    QCOMPARE(state->student.currentName, QStringLiteral("田中先生"));

    navigator.showLevelMenu();
    QTRY_VERIFY(navigator.levelMenu() && navigator.levelMenu()->isActivated());
    LevelMenuScreen* menu = navigator.levelMenu();
    menu->findChild<QPushButton*>("Command8")->click();
    QTest::keyClicks(menu->findChild<QLineEdit*>("Text3"), state->settings.installation.teacherPassword);
    menu->findChild<QPushButton*>("Command10_1")->click();
    QTRY_VERIFY(navigator.criteriaEditor());
    QTRY_VERIFY(!navigator.levelMenu());

    CriteriaEditorScreen* editor = navigator.criteriaEditor();
    editor->clickCell(4, 2);
    QTest::keyClicks(editor->findChild<QLineEdit*>("Gridinputtext"), " 20");
    QVERIFY(test::saveScreenshot(editor, "criteria_flow_demo_changed"));
    editor->findChild<QPushButton*>("Command3")->click();
    QCOMPARE(state->tables.criteria[4].minimumTime, 20);
    editor->findChild<QPushButton*>("Command4")->click();
    QVERIFY(messages.shown.isEmpty()); // saved: nothing to ask
    QTRY_VERIFY(navigator.levelMenu() && navigator.levelMenu()->isActivated());
    QTRY_VERIFY(!navigator.criteriaEditor());

    QTest::keyClick(navigator.levelMenu(), Qt::Key_4);
    QTRY_VERIFY(navigator.drillScreen() && navigator.drillScreen()->isActivated());
    QCOMPARE(navigator.drillScreen()->engine().timeLimit(), 100);
    PassCriteriaTable reread;
    QVERIFY(loadPassCriteria(state->settings.installation.criteriaPath(), &reread).ok());
    QCOMPARE(reread[4].minimumTime, 20);
}

QTEST_MAIN(TestCriteriaFlow)
#include "tst_criteriaflow_gui.moc"
