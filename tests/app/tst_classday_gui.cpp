// A day of a class on a fresh demo school, through the program wired as for a classroom:
// a student plays a level with one mistake, tries again and runs out of time, looks at
// the tables and their own report; a teacher changes a criterion, corrects and removes a
// record; the station goes back to the name screen and on to the program menu. At the end
// the results file and the criteria file hold exactly what the day should have left.
#include "admin/gui/recordbrowserscreen.h"
#include "app/appnavigator.h"
#include "app/programwiring.h"
#include "core/runstate.h"
#include "data/passcriteria.h"
#include "data/resultstore.h"
#include "reports/gui/graphpanel.h"
#include "support/demoprogram.h"
#include "support/fakes.h"
#include "support/soundtestsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace kz;

namespace {

template <class W> W* child(QWidget* parent, const QString& name) {
    W* found = parent ? parent->findChild<W*>(name) : nullptr;
    if (!found)
        qWarning("missing control %s", qPrintable(name));
    return found;
}

constexpr auto browserUp = &test::shownWindow<RecordBrowserScreen>;

QStringList lines(const QListView* list) {
    QStringList out;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        out << list->model()->index(row, 0).data().toString();
    return out;
}

} // namespace

class TestClassDay : public QObject {
    Q_OBJECT
private slots:
    void aDayOfAClass();
};

void TestClassDay::aDayOfAClass() {
    // The wiring of main, with a fake clock, scripted randomness, a scripted sound device
    // and a recording launcher.
    test::DemoProgram demo;
    QVERIFY2(demo.ready(), qPrintable(demo.failure()));
    auto& [school, clock, random, messages, run, state] = demo;
    random.values = {0.1, 0.3, 0.5, 0.7, 0.9};
    test::ScriptedPlayer sound;
    test::RecordingLauncher launcher;
    const QString resultsPath = state->settings.installation.resultsPath();
    const QString criteriaPath = state->settings.installation.criteriaPath();
    const Outcome<ResultsFileContents> original = readAllResults(resultsPath);
    QVERIFY(original.ok());
    QVERIFY(original->records.size() > 100);
    PassCriteriaTable criteriaBefore;
    QVERIFY(loadPassCriteria(criteriaPath, &criteriaBefore).ok());

    ProgramWiring wiring(run, {clock, random, messages, sound, launcher, {}});
    AppNavigator& navigator = wiring.navigator();

    std::vector<ResultRecord> appended; // the day's attempts, as the file holds them
    auto menuUp = [&] { return navigator.levelMenu() && navigator.levelMenu()->isActivated(); };
    // Plays level 4 to its end: every answer right but the first (when oneMistake), or
    // no answer at all until the time limit has passed.
    auto playLevel4 = [&](bool oneMistake, bool timeOut) {
        QTRY_VERIFY(navigator.drillScreen() && navigator.drillScreen()->isActivated());
        DrillScreen* drill = navigator.drillScreen();
        QCOMPARE(drill->engine().level(), 4);
        if (timeOut) {
            QVERIFY(drill->engine().timeLimit() > 0);
            clock.advanceMs(qint64(drill->engine().timeLimit() + 1) * 1000);
            drill->tickClock();
        }
        bool mistakeMade = !oneMistake;
        for (int guard = 0; !state->attempt.recordingStarted && guard < 50; ++guard) {
            const auto question = drill->engine().currentQuestion();
            clock.advanceMs(3000);
            drill->tickClock();
            if (!mistakeMade) {
                const qsizetype wrongSoundsBefore = sound.played.filter(QStringLiteral("/bubu.wav")).size();
                QTest::keyClicks(drill, QStringLiteral("1 ++"));
                // The wiring's cues reach the sound device: the school's wrong-answer sound.
                QCOMPARE(sound.played.filter(QStringLiteral("/bubu.wav")).size(), wrongSoundsBefore + 1);
                mistakeMade = true;
                continue;
            }
            QTest::keyClicks(drill, QString::number(question.tableNumber * question.factor) + u' ');
        }
        QVERIFY(state->attempt.recordingStarted);
        const Outcome<ResultsFileContents> now = readAllResults(resultsPath);
        QVERIFY(now.ok());
        QCOMPARE(now->records.size(), original->records.size() + appended.size() + 1);
        const ResultRecord& last = now->records.back();
        QCOMPARE(int(last.bangou), int(state->student.currentBangou));
        QCOMPARE(int(last.level), 4);
        QCOMPARE(last.recordedTime, timeOut ? StatisticsTables::kNoTime : state->attempt.recordedTime);
        appended.push_back(last);
        QTRY_VERIFY_WITH_TIMEOUT(navigator.endScreen() &&
                                     child<QPushButton>(navigator.endScreen(), "Command4")->isVisible(),
                                 10000);
    };
    auto click = [](QWidget* parent, const char* name) {
        auto* button = child<QAbstractButton>(parent, QString::fromLatin1(name));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    };
    auto openTeacherChoice = [&](const char* choice) {
        LevelMenuScreen* menu = navigator.levelMenu();
        click(menu, "Command8");
        child<QLineEdit>(menu, "Text3")->setText(state->settings.installation.teacherPassword);
        click(menu, choice);
    };

    // On the name screen, picks the given row (or the one naming `who`) and confirms with "1".
    auto confirmName = [&](int row, const QString& who) {
        QTRY_VERIFY(navigator.nameScreen() && navigator.nameScreen()->isVisible());
        auto* names = child<QListWidget>(navigator.nameScreen(), "List1");
        QVERIFY(names && names->count() > 10);
        for (int r = 0; r < names->count() && !who.isEmpty(); ++r)
            if (names->item(r)->text().contains(who))
                row = r;
        names->setCurrentRow(row);
        emit names->itemClicked(names->item(row));
        QTest::keyClick(names, Qt::Key_1);
        QTRY_VERIFY(menuUp());
        QTRY_VERIFY(!navigator.nameScreen());
    };

    // Name screen: a student confirms their name.
    navigator.showNameScreen();
    confirmName(5, {});

    // Level 4 with one mistake, "もう一度", then an attempt that runs out of time.
    QTest::keyClick(navigator.levelMenu(), Qt::Key_4);
    playLevel4(true, false);
    const qint32 firstTime = appended.back().recordedTime;
    QVERIFY2(firstTime >= 25 && firstTime < StatisticsTables::kNoTime,
             qPrintable(QString::number(firstTime)));
    QVERIFY(test::saveScreenshot(navigator.endScreen(), QStringLiteral("classday_1_end")));
    click(navigator.endScreen(), "Command5");
    playLevel4(false, true);
    click(navigator.endScreen(), "Command4");
    QTRY_VERIFY(menuUp());
    QTRY_VERIFY(!navigator.endScreen());

    // Every table: level 4's list is filled; today's times show both attempts.
    LevelMenuScreen* menu = navigator.levelMenu();
    const QListView* level4 = menu->column(4).list5;
    auto* combo2 = child<QComboBox>(menu, "Combo2");
    for (const char* choice : {"Option2_0", "Option1_1", "Option1_2", "Option1_3", "Combo2:0", "Combo2:2",
                               "Combo2:4", "Option2_1", "Option1_1", "Option1_2", "Option1_3"}) {
        const QString name = QString::fromLatin1(choice);
        if (name.startsWith(QStringLiteral("Combo2:"))) {
            QVERIFY(combo2->isVisible());
            combo2->setCurrentIndex(name.mid(7).toInt());
            emit combo2->activated(combo2->currentIndex());
        } else {
            click(menu, choice);
        }
        QVERIFY2(!lines(level4).isEmpty(), choice);
        if (name == QStringLiteral("Option1_2") && child<QRadioButton>(menu, "Option2_0")->isChecked()) {
            const QString today = lines(level4).join(u'\n');
            QVERIFY2(today.contains(QStringLiteral("%1秒").arg(firstTime)), qPrintable(today));
            QVERIFY2(today.contains(QStringLiteral("　　×")), qPrintable(today));
        }
    }
    QVERIFY(test::saveScreenshot(menu, QStringLiteral("classday_2_tables")));

    // The student's own report: the attempts of today, the graph, "表示", back.
    click(menu, "Option2_2");
    const QString own = lines(level4).join(u'\n');
    QVERIFY2(own.contains(QStringLiteral("%1秒").arg(firstTime)) && own.contains(QStringLiteral("時間切れ")),
             qPrintable(own));
    click(menu, "Command17");
    QVERIFY(menu->graphPanel()->isVisible());
    // Level 4 alone, drawn by "表示".
    auto* levels = child<QListWidget>(menu->graphPanel(), "List3");
    QVERIFY(levels);
    for (int row = 0; row < levels->count(); ++row)
        levels->item(row)->setSelected(levels->item(row)->text().toInt() == 4);
    click(menu->graphPanel(), "Command24_0");
    QCOMPARE(menu->graphPanel()->selectedLevels(), QList<int>{4});
    const QImage& picture = menu->graphPanel()->picture();
    int dark = 0;
    for (int y = 0; y < picture.height(); y += 2)
        for (int x = 0; x < picture.width(); x += 2)
            dark += qGray(picture.pixel(x, y)) < 160;
    QVERIFY(dark > 100);
    QVERIFY(test::saveScreenshot(menu, QStringLiteral("classday_3_graph")));
    click(menu->graphPanel(), "Command18");
    QVERIFY(!menu->graphPanel()->isVisible());

    // Back to the name screen; a teacher (★山本) comes to the station.
    click(menu, "Command1");
    confirmName(-1, QStringLiteral("★山本"));
    QVERIFY(state->student.currentIsTeacher());

    // The teacher's password panel and the criteria editor raises level 4's minimum time to 20 seconds.
    openTeacherChoice("Command10_1");
    QTRY_VERIFY(navigator.criteriaEditor());
    QTRY_VERIFY(!navigator.levelMenu());
    CriteriaEditorScreen* editor = navigator.criteriaEditor();
    editor->clickCell(4, 2);
    QTest::keyClicks(child<QLineEdit>(editor, "Gridinputtext"), QStringLiteral(" 20"));
    click(editor, "Command3");
    click(editor, "Command4");
    QTRY_VERIFY(menuUp());
    QTRY_VERIFY(!navigator.criteriaEditor());

    // The next attempt runs with the new limit (five times the minimum).
    QTest::keyClick(navigator.levelMenu(), Qt::Key_4);
    QTRY_VERIFY(navigator.drillScreen() && navigator.drillScreen()->isActivated());
    QCOMPARE(navigator.drillScreen()->engine().timeLimit(), 100);
    playLevel4(false, false);
    click(navigator.endScreen(), "Command4");
    QTRY_VERIFY(menuUp());

    // The record browser: record 3 becomes 50 seconds, record 2 goes.
    openTeacherChoice("Command10_0");
    QTRY_VERIFY(browserUp());
    QTRY_VERIFY(!navigator.levelMenu());
    RecordBrowserScreen* browser = browserUp();
    auto* records = child<QListView>(browser, "List1");
    auto openRecord = [&](int row) {
        const QPoint at = records->visualRect(records->model()->index(row, 0)).center();
        QTest::mouseClick(records->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(records->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(browser->editPanelOpen());
    };
    openRecord(2);
    child<QLineEdit>(browser, "Text1_1")->setText(QStringLiteral("50"));
    click(browser, "Command2");
    openRecord(1);
    click(browser, "Command3");
    click(browser, "Command4");
    QTRY_VERIFY(menuUp());
    QTRY_VERIFY(!browserUp());

    // Back to the name screen, and on to the program menu.
    click(navigator.levelMenu(), "Command1");
    QTRY_VERIFY(navigator.nameScreen() && navigator.nameScreen()->isVisible());
    click(navigator.nameScreen(), "Command7");
    QCOMPARE(launcher.started.size(), 1);
    QCOMPARE(launcher.started[0].value(0), state->settings.installation.launcherPath());
    QVERIFY(navigator.quitRequested());
    QCOMPARE(navigator.exitCode(), 0);
    QCOMPARE(messages.shown.size(), 1); // only "本当に消去しますか"

    // The results file, record by record.
    std::vector<ResultRecord> expected{original->records[0]};
    ResultRecord corrected = original->records[2];
    corrected.recordedTime = 50;
    expected.push_back(corrected);
    expected.insert(expected.end(), original->records.begin() + 3, original->records.end());
    expected.insert(expected.end(), appended.begin(), appended.end());
    const Outcome<ResultsFileContents> after = readAllResults(resultsPath);
    QVERIFY(after.ok());
    QCOMPARE(after->tailBytes, 0);
    QCOMPARE(after->records.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k)
        QVERIFY2(after->records[k] == expected[k], qPrintable(QStringLiteral("record %1").arg(k + 1)));

    // The criteria file: level 4's minimum time changed, every other value as it was.
    PassCriteriaTable criteriaAfter;
    QVERIFY(loadPassCriteria(criteriaPath, &criteriaAfter).ok());
    QCOMPARE(criteriaAfter.levelLines, criteriaBefore.levelLines);
    QCOMPARE(criteriaAfter[4].minimumTime, 20);
    for (int level = 0; level <= criteriaBefore.levelLines; ++level) {
        for (int field = 0; field < PassCriteria::kFieldCount; ++field) {
            if (level == 4 && field == 1)
                continue;
            QVERIFY2(criteriaAfter[level].texts[size_t(field)] == criteriaBefore[level].texts[size_t(field)],
                     qPrintable(QStringLiteral("level %1 field %2").arg(level).arg(field + 1)));
        }
    }
}

QTEST_MAIN(TestClassDay)
#include "tst_classday_gui.moc"
