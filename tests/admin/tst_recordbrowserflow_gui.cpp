// The record browser in the whole program on a freshly made demo school: a teacher opens
// it from the level menu, corrects one record and removes another while another
// station keeps appending, and goes back to the level menu. Nothing is lost.
#include "admin/gui/recordbrowserscreen.h"
#include "app/appnavigator.h"
#include "app/programwiring.h"
#include "core/runstate.h"
#include "data/resultstore.h"
#include "support/demoprogram.h"
#include "support/fakes.h"
#include "support/soundtestsupport.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace kz;

namespace {

constexpr auto browserUp = &test::shownWindow<RecordBrowserScreen>;

} // namespace

class TestRecordBrowserFlow : public QObject {
    Q_OBJECT
private slots:
    void teacherCorrectsAndRemovesWhileAnotherStationAppends();
};

void TestRecordBrowserFlow::teacherCorrectsAndRemovesWhileAnotherStationAppends() {
    test::DemoProgram demo;
    QVERIFY2(demo.ready(), qPrintable(demo.failure()));
    auto& [school, clock, random, messages, run, state] = demo;
    QTemporaryDir& dir = school.dir;
    test::ScriptedPlayer sound;
    test::RefusingLauncher launcher;
    const QString resultsPath = state->settings.installation.resultsPath();
    // main()'s wiring, with the demo program's fakes and a scripted sound device.
    ProgramWiring wiring(run, {clock, random, messages, sound, launcher, {}});
    AppNavigator& navigator = wiring.navigator();

    // The teacher ★山本　恵子 picks their name and opens the data-change panel.
    navigator.showNameScreen();
    auto* names = navigator.nameScreen()->findChild<QListWidget*>(QStringLiteral("List1"));
    int teacherRow = -1;
    for (int row = 0; row < names->count() && teacherRow < 0; ++row)
        if (names->item(row)->text().contains(QStringLiteral("★山本")))
            teacherRow = row;
    QVERIFY(teacherRow >= 0);
    names->setCurrentRow(teacherRow);
    emit names->itemClicked(names->item(teacherRow));
    QTest::keyClick(names, Qt::Key_1);
    QTRY_VERIFY(navigator.levelMenu() && navigator.levelMenu()->isActivated());
    LevelMenuScreen* menu = navigator.levelMenu();
    QTest::mouseClick(menu->findChild<QPushButton*>(QStringLiteral("Command8")), Qt::LeftButton);
    menu->findChild<QLineEdit*>(QStringLiteral("Text3"))->setText(QStringLiteral("1414"));
    QTest::mouseClick(menu->findChild<QPushButton*>(QStringLiteral("Command10_0")), Qt::LeftButton);
    QTRY_VERIFY(browserUp());
    QTRY_VERIFY(!navigator.levelMenu());
    RecordBrowserScreen* browser = browserUp();

    const Outcome<ResultsFileContents> before = readAllResults(resultsPath);
    QVERIFY(before.ok());
    const qint64 count = qint64(before->records.size());
    QVERIFY(count > 100);

    // Another station starts appending 200 attempts of student 4999.
    const QString go = dir.filePath(QStringLiteral("go"));
    QProcess station;
    station.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    station.start(QStringLiteral(KZ_RESULT_APPENDER), {"append", resultsPath, "4999", "200", go});
    QVERIFY(station.waitForStarted());
    QFile(go).open(QIODevice::WriteOnly);

    // Record 3: 50 seconds. Then record 2 goes.
    auto* list = browser->findChild<QListView*>(QStringLiteral("List1"));
    const QPoint third = list->visualRect(list->model()->index(2, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, third);
    QVERIFY(browser->editPanelOpen());
    browser->findChild<QLineEdit*>(QStringLiteral("Text1_1"))->setText(QStringLiteral("50"));
    QTest::mouseClick(browser->findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
    const QPoint second = list->visualRect(list->model()->index(1, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
    QVERIFY(browser->editPanelOpen());
    QTest::mouseClick(browser->findChild<QPushButton*>(QStringLiteral("Command3")), Qt::LeftButton);
    // The screen's waits run the event loop: the station may be known finished already.
    QVERIFY(station.state() == QProcess::NotRunning || station.waitForFinished(60000));
    QCOMPARE(station.exitCode(), 0);

    const Outcome<ResultsFileContents> after = readAllResults(resultsPath);
    QVERIFY(after.ok());
    QCOMPARE(qint64(after->records.size()), count - 1 + 200);
    QCOMPARE(after->records[0], before->records[0]);
    ResultRecord corrected = before->records[2];
    corrected.recordedTime = 50;
    QCOMPARE(after->records[1], corrected);
    for (qint64 k = 3; k < count; ++k)
        QCOMPARE(after->records[size_t(k - 1)], before->records[size_t(k)]);
    int appended = 0;
    for (const ResultRecord& r : after->records)
        appended += r.bangou == 4999 ? 1 : 0;
    QCOMPARE(appended, 200);
    QVERIFY(!QFile::exists(state->settings.installation.resultsTempPath()));
    QVERIFY2(messages.shown.size() == 1,
             qPrintable(messages.shown.value(1).text)); // only "本当に消去しますか"

    // "戻る": a new level menu.
    QTest::mouseClick(browser->findChild<QPushButton*>(QStringLiteral("Command4")), Qt::LeftButton);
    QTRY_VERIFY(navigator.levelMenu() && navigator.levelMenu()->isActivated());
    QTRY_VERIFY(!browserUp());
}

QTEST_MAIN(TestRecordBrowserFlow)
#include "tst_recordbrowserflow_gui.moc"
