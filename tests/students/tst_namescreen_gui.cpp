#include "core/gui/appcontext.h"
#include "core/runstate.h"
#include "data/textio.h"
#include "platform/gui/messagebox.h"
#include "platform/processlauncher.h"
#include "students/gui/namescreen.h"
#include "support/fakes.h"
#include "support/scriptedrun.h"
#include "support/testsupport.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kz;

namespace {

QString rec(int bangou, int birthYear, const QString& name, int flag = 0) {
    return QStringLiteral("%1,%2,0,0,\"%3\",%4,\"\",\"\"").arg(bangou).arg(birthYear).arg(name).arg(flag);
}

// Today is 12 September 2007 with the school year starting in April: school year 2007,
// so birth year 2000 is 小1, 2001 幼3, 1994 中1.
struct Harness {
    QTemporaryDir dir;
    test::FakeClock clock{QDateTime(QDate(2007, 9, 12), QTime(14, 30, 0, 600))};
    test::ScriptedRun run{clock};
    RunState* state = &run.setUp();
    test::ScriptedRandom random;
    PresetMessageBox messages;
    test::RecordingCues cues;
    test::RecordingNavigator navigator;
    SystemProcessLauncher launcher;
    AppContext context{run, clock, random, messages, cues, navigator};
    int& refreshes = run.refreshes;
    std::function<void()> duringRefresh; // runs inside the refresh, as events do while it waits
    QWidget* versionOver = nullptr;
    std::unique_ptr<NameScreen> screen;

    Harness() {
        state->catalogue.programTitle = "カズリンその２";
        state->levelMenu.seasonColour = {192, 64, 0};
        QDir(dir.path()).mkpath("共通/kazurin2");
        QDir(dir.path()).mkpath("data");
        state->settings.installation.appFolder = dir.filePath("共通/kazurin2") + "/";
        state->settings.installation.dataRoot = dir.filePath("data") + "/";
        state->settings.installation.schoolYearStartMonth = 4;
        state->settings.installation.flagTwoListed = 0;
        run.onRefresh = [this] {
            if (duringRefresh)
                duringRefresh();
            return Status();
        };
    }

    void writeRoster(const QStringList& lines) {
        if (const Status written = writeCp932Lines(state->settings.installation.rosterPath(), lines);
            !written)
            QFAIL(qPrintable(written.error().text()));
    }

    void writeStandardRoster() {
        writeRoster({rec(1, 2000, "山田"), rec(2, 2001, "山田"), rec(3, 1994, "佐藤"), rec(4, 2000, "青木"),
                     rec(5, 1999, "鈴木", 1)});
    }

    NameScreen* open(bool builtHidden = false) {
        NameSelSeams seams;
        seams.builtHidden = builtHidden;
        seams.openVersionWindow = [this](QWidget* over) { versionOver = over; };
        seams.launcher = &launcher;
        screen = std::make_unique<NameScreen>(context, std::move(seams));
        if (builtHidden)
            screen->show();
        return screen.get();
    }

    template <typename T> T* find(const char* name) const {
        return screen->findChild<T*>(QString::fromLatin1(name));
    }
    QListWidget* list() const { return find<QListWidget>("List1"); }
    QStringList lines() const {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out << list()->item(i)->text();
        return out;
    }
    int rowOf(const QString& prefix) const {
        for (int i = 0; i < list()->count(); ++i)
            if (list()->item(i)->text().startsWith(prefix))
                return i;
        return -1;
    }
    void pickFilter(const QString& text) const {
        QComboBox* combo = find<QComboBox>("Combo1");
        const int index = combo->findText(text);
        QVERIFY(index >= 0);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
};

} // namespace

class TestNameScreen : public QObject {
    Q_OBJECT
private slots:
    void opensWithFullList();
    void firstScreenShownWithItsList_data();
    void firstScreenShownWithItsList();
    void gradeFilter_data();
    void gradeFilter();
    void modeRebuildsList();
    void noHandOverWhileRebuilding();
    void confirmWithoutName_data();
    void confirmWithoutName();
    void confirmSetsCurrentStudent_data();
    void confirmSetsCurrentStudent();
    void missingRoster();
    void badRecordsAreReported();
    void titleOpensVersionWindow();
    void handsOverToLauncher_data();
    void handsOverToLauncher();
    void unreachableLauncher();
    void noProgramMenuEndsQuietly();
    void standingNotice_data();
    void standingNotice();
    void screenshots();
};

void TestNameScreen::opensWithFullList() {
    Harness h;
    h.writeStandardRoster();
    h.open();
    QCOMPARE(h.refreshes, 1);
    QCOMPARE(h.screen->size(), QSize(1024, 768));
    const QStringList lines = h.lines();
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], QString("－－－－－－"));
    QVERIFY(lines[1].startsWith("中1 佐藤　　　　"));
    QVERIFY(lines[2].startsWith("小1 山田")); // same birth year: by name
    QVERIFY(lines[3].startsWith("小1 青木"));
    QVERIFY(lines[4].startsWith("幼3 山田　　　　　　"));
    QCOMPARE(h.list()->currentRow(), 0);
    QCOMPARE(h.find<QLabel>("Label1")->text(), QString("名前を選びなさい"));
    QCOMPARE(h.find<QLabel>("Label4")->text(), QString("カズリンその２"));
    QCOMPARE(h.find<QLabel>("Label4")->font().pointSize(), 48);
    QVERIFY(h.find<QRadioButton>("Option1_1")->isChecked());
    QCOMPARE(h.find<QRadioButton>("Option1_0")->text(), QString("回数(今日／今まで）"));
    QCOMPARE(h.find<QRadioButton>("Option1_3")->text(), QString("今まで（ポイント／回数）"));
    QComboBox* combo = h.find<QComboBox>("Combo1");
    QCOMPARE(combo->count(), 12);
    QCOMPARE(combo->currentText(), QString("全学年"));
    QCOMPARE(combo->toolTip(), QString("表示する学年を選びなさい"));
    QCOMPARE(h.find<QPushButton>("Command7")->text(), QString("ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)"));
    QCOMPARE(h.find<QLabel>("Label19")->text(), QString("Just a moment, please."));
    QVERIFY(h.find<QWidget>("Picture5")->isHidden());
    QVERIFY(h.find<QLabel>("Label2")->isHidden());
    QVERIFY(h.find<QWidget>("Image1"));
    QCOMPARE(QFontInfo(h.list()->font()).family(), QString("IPAGothic"));
    QCOMPARE(h.state->levelMenu.handedOverFilter, QString("全学年"));
    QVERIFY(h.messages.shown.isEmpty());
}

namespace {

// Counts the screen's paints that show its wait panel, and those that show the list.
class PaintWatch final : public QObject {
public:
    int withPanel = 0;
    int withList = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            const QWidget* window = static_cast<QWidget*>(watched)->window();
            const auto* panel = window->findChild<QWidget*>(QStringLiteral("Picture5"));
            if (window->objectName() == u"namesel" && panel)
                ++(panel->isVisible() ? withPanel : withList);
        }
        return false;
    }
};

} // namespace

// At start-up the splash window is the wait indication: the first name screen is shown
// once, with its list; later ones show their wait panel while the list is built.
void TestNameScreen::firstScreenShownWithItsList_data() {
    QTest::addColumn<bool>("builtHidden");
    QTest::newRow("start-up") << true;
    QTest::newRow("back from the level menu") << false;
}

void TestNameScreen::firstScreenShownWithItsList() {
    QFETCH(bool, builtHidden);
    Harness h;
    h.writeStandardRoster();
    PaintWatch watch;
    qApp->installEventFilter(&watch);
    h.open(builtHidden);
    QVERIFY(h.screen->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(h.screen.get()));
    QTRY_VERIFY(watch.withList > 0);
    qApp->removeEventFilter(&watch);
    QCOMPARE(watch.withPanel > 0, !builtHidden);
    QCOMPARE(h.lines().size(), 5);
    QCOMPARE(h.refreshes, 1);
    QVERIFY(h.find<QWidget>("Picture5")->isHidden());
}

void TestNameScreen::gradeFilter_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("prefixes");
    QTest::newRow("小学生全体") << "小学生全体" << QStringList{"小1", "小1"};
    QTest::newRow("全学年") << "全学年" << QStringList{"中1", "小1", "小1", "幼3"};
    QTest::newRow("中１") << "中１" << QStringList{"中1"};
    QTest::newRow("小２") << "小２" << QStringList{};
}

void TestNameScreen::gradeFilter() {
    QFETCH(QString, filter);
    QFETCH(QStringList, prefixes);
    Harness h;
    h.writeStandardRoster();
    h.open();
    h.pickFilter("中学生全体"); // another pick first: the last one counts
    h.pickFilter(filter);
    QCOMPARE(h.refreshes, 3);
    const QStringList lines = h.lines();
    QCOMPARE(lines.first(), QString("－－－－－－"));
    QStringList got;
    for (qsizetype i = 1; i < lines.size(); ++i)
        got << lines[i].left(2);
    QCOMPARE(got, prefixes);
    QCOMPARE(h.state->levelMenu.handedOverFilter, filter);
    QCOMPARE(h.find<QLabel>("Label1")->text(), QString("名前を選びなさい"));
}

void TestNameScreen::modeRebuildsList() {
    Harness h;
    h.writeStandardRoster();
    h.state->tables.statistics.add(StatisticsTables::TodayAttempts, 1, 3, 2);
    h.state->tables.statistics.add(StatisticsTables::TotalAttempts, 1, 3, 15);
    h.state->tables.statistics.add(StatisticsTables::TodayPoints, 2, 3, 40);
    h.open();
    QCOMPARE(h.lines()[1], QString("中1 佐藤　　　　  40/       "));
    h.find<QRadioButton>("Option1_0")->click();
    QCOMPARE(h.screen->displayMode(), 0);
    QCOMPARE(h.refreshes, 2);
    QCOMPARE(h.lines()[1], QString("中1 佐藤　　　　  2回/   15回"));
    QCOMPARE(h.list()->currentRow(), 0);
}

// The refresh may wait for the results file with events running; a confirmation or the
// "0" key arriving meanwhile must not pull the screen away from under the rebuild.
void TestNameScreen::noHandOverWhileRebuilding() {
    Harness h;
    h.writeStandardRoster();
    h.open();
    h.list()->setCurrentRow(h.rowOf("小1 山田"));
    emit h.list()->itemClicked(h.list()->currentItem());
    bool panelUp = false;
    h.duringRefresh = [&] {
        panelUp = !h.find<QWidget>("Picture5")->isHidden();
        h.screen->confirm();
        h.screen->leaveForProgramMenu();
        QTest::keyClick(h.list(), Qt::Key_1);
    };
    h.find<QRadioButton>("Option1_0")->click();
    QVERIFY(panelUp);
    QCOMPARE(h.navigator.calls.count("showLevelMenu"), 0);
    QVERIFY(h.navigator.exitCodes.isEmpty());
    QVERIFY(h.find<QWidget>("Picture5")->isHidden());
    // Once the list stands again, confirming works as before.
    h.duringRefresh = {};
    h.list()->setCurrentRow(h.rowOf("小1 山田"));
    emit h.list()->itemClicked(h.list()->currentItem());
    h.screen->confirm();
    QCOMPARE(h.navigator.calls.count("showLevelMenu"), 1);
}

void TestNameScreen::confirmWithoutName_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("key 1") << "1";
    QTest::newRow("O.K. button") << "button";
    QTest::newRow("Enter in list") << "enter";
    QTest::newRow("separator double-clicked") << "double";
}

void TestNameScreen::confirmWithoutName() {
    QFETCH(QString, how);
    Harness h;
    h.writeStandardRoster();
    h.open();
    // Choose someone, then go back to the separator line.
    h.list()->setCurrentRow(2);
    QVERIFY(h.find<QLabel>("Label1")->text() != "名前を選びなさい");
    h.list()->setCurrentRow(0);
    if (how == "1")
        QTest::keyClick(h.list(), Qt::Key_1);
    else if (how == "button")
        h.find<QPushButton>("Command14")->click();
    else if (how == "enter")
        QTest::keyClick(h.list(), Qt::Key_Return);
    else
        emit h.list()->itemDoubleClicked(h.list()->item(0));
    QCOMPARE(h.cues.played.count("wrong"), 1);
    QCOMPARE(h.navigator.calls.count("showLevelMenu"), 0);
    QCOMPARE(h.state->student.currentBangou, qint16(0));
    QVERIFY(h.state->student.currentName.isEmpty());
    QCOMPARE(h.state->catalogue.levelCount, qint16(0));
    QCOMPARE(h.state->student.sessionStartSeconds, 0);
    QVERIFY(!h.find<QPushButton>("Command14")->isHidden());
    QVERIFY(h.find<QWidget>("Picture5")->isHidden());
}

void TestNameScreen::confirmSetsCurrentStudent_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("label1");
    QTest::newRow("key 1 in list") << "1"
                                   << "小1 青木　　　　";
    QTest::newRow("key 1 in drop-down") << "1combo"
                                        << "小1 青木　　　　";
    QTest::newRow("Enter in list") << "enter"
                                   << "小1 青木　　　　";
    QTest::newRow("space in list") << "space"
                                   << "小1 青木　　　　";
    QTest::newRow("O.K. button") << "button"
                                 << "小1 青木　　　　";
    QTest::newRow("double-click") << "double"
                                  << "小1 青木　　　　  40";
}

void TestNameScreen::confirmSetsCurrentStudent() {
    QFETCH(QString, how);
    QFETCH(QString, label1);
    Harness h;
    h.writeStandardRoster();
    h.state->tables.statistics.add(StatisticsTables::TodayPoints, 5, 4, 40);
    h.open();
    h.pickFilter("小１");
    const int row = h.rowOf("小1 青木");
    QVERIFY(row > 0);
    if (how == "double") {
        // A real double-click: a click, then the second press arriving as a double-click.
        const QRect rect = h.list()->visualItemRect(h.list()->item(row));
        QTest::mouseClick(h.list()->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(h.find<QLabel>("Label1")->text(), QString("小1 青木　　　　"));
        QTest::mouseDClick(h.list()->viewport(), Qt::LeftButton, {}, rect.center());
    } else {
        h.list()->setCurrentRow(row);
        QCOMPARE(h.find<QLabel>("Label2")->text(), QString("4"));
        if (how == "1")
            QTest::keyClick(h.list(), Qt::Key_1);
        else if (how == "1combo")
            QTest::keyClick(h.find<QComboBox>("Combo1"), Qt::Key_1);
        else if (how == "enter")
            QTest::keyClick(h.list(), Qt::Key_Enter);
        else if (how == "space")
            QTest::keyClick(h.list(), Qt::Key_Space);
        else
            h.find<QPushButton>("Command14")->click();
    }
    QCOMPARE(h.find<QLabel>("Label1")->text(), label1);
    QCOMPARE(h.cues.played.count("wrong"), 0);
    QCOMPARE(h.navigator.calls.count("showLevelMenu"), 1);
    QCOMPARE(h.state->student.currentBangou, qint16(4));
    QCOMPARE(h.state->student.currentName, QString("青木"));
    QCOMPARE(h.state->student.currentGradeLabel, QString("小１"));
    QCOMPARE(h.state->student.sessionStartSeconds, 14 * 3600 + 30 * 60 + 1); // 52200.6 rounded
    QCOMPARE(h.state->levelMenu.handedOverFilter, QString("小１"));
    QCOMPARE(h.state->catalogue.levelCount, qint16(25));
    QCOMPARE(h.state->catalogue.levelNames[25], QString("１４－１６"));
    QVERIFY(h.find<QPushButton>("Command14")->isHidden());
    QVERIFY(!h.find<QWidget>("Picture5")->isHidden());
    // The hand-over is under way: further keys start nothing.
    QTest::keyClick(h.list(), Qt::Key_1);
    QTest::keyClick(h.list(), Qt::Key_Return);
    QCOMPARE(h.navigator.calls.count("showLevelMenu"), 1);
    QCOMPARE(h.cues.played.count("wrong"), 0);
}

void TestNameScreen::missingRoster() {
    Harness h;
    h.open();
    QCOMPARE(h.lines(), QStringList{"－－－－－－"});
    QCOMPARE(h.messages.shown.size(), 1);
    QVERIFY2(h.messages.shown[0].text.contains(h.state->settings.installation.rosterPath()),
             qPrintable(h.messages.shown[0].text));
    // Rebuilding does not repeat the box; confirming finds nobody.
    h.pickFilter("小１");
    QCOMPARE(h.messages.shown.size(), 1);
    QTest::keyClick(h.list(), Qt::Key_1);
    QCOMPARE(h.cues.played.count("wrong"), 1);
    QCOMPARE(h.navigator.calls.count("showLevelMenu"), 0);
}

void TestNameScreen::badRecordsAreReported() {
    Harness h;
    h.writeRoster({rec(1, 2000, "山田"), "2,2000,0,0,壊れた", rec(3, 2000, "川口")});
    h.open();
    QCOMPARE(h.lines().size(), 3);
    QCOMPARE(h.messages.shown.size(), 1);
    QVERIFY2(h.messages.shown[0].text.contains("2 行目"), qPrintable(h.messages.shown[0].text));
}

void TestNameScreen::titleOpensVersionWindow() {
    Harness h;
    h.writeStandardRoster();
    h.open();
    QTest::mouseClick(h.find<QLabel>("Label4"), Qt::LeftButton);
    QCOMPARE(h.versionOver, static_cast<QWidget*>(h.screen.get()));
}

void TestNameScreen::handsOverToLauncher_data() {
    QTest::addColumn<bool>("byKey");
    QTest::newRow("key 0") << true;
    QTest::newRow("button") << false;
}

void TestNameScreen::handsOverToLauncher() {
    QFETCH(bool, byKey);
    Harness h;
    h.writeStandardRoster();
    // A stand-in launcher that writes its arguments to a file beside itself.
    QVERIFY(QDir(h.dir.path()).mkpath("共通/起動"));
    const QString script = h.dir.filePath("共通/起動/プログラムメニューc.exe");
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "#!/bin/sh\n"
        "{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; pwd; } > args.tmp && mv args.tmp args.txt\n");
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    h.open();
    if (byKey)
        QTest::keyClick(h.list(), Qt::Key_0);
    else
        h.find<QPushButton>("Command7")->click();
    QCOMPARE(h.navigator.exitCodes, QList<int>{0});
    QVERIFY(h.messages.shown.isEmpty());
    const QString argsPath = h.dir.filePath("共通/起動/args.txt");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(argsPath), 10000);
    QFile args(argsPath);
    QVERIFY(args.open(QIODevice::ReadOnly));
    const QStringList got = QString::fromUtf8(args.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(got.size(), 3);
    QCOMPARE(got[0], QString("1"));
    QCOMPARE(got[1], QString("001"));
    QCOMPARE(QDir(got[2]).canonicalPath(), QDir(h.dir.filePath("共通/起動")).canonicalPath());
}

void TestNameScreen::unreachableLauncher() {
    Harness h;
    h.writeStandardRoster();
    // The folder "起動" is there, its launcher is not: the menu is broken.
    QVERIFY(QDir(h.dir.path()).mkpath("共通/起動"));
    h.open();
    QTest::keyClick(h.list(), Qt::Key_0);
    QCOMPARE(h.messages.shown.size(), 1);
    QVERIFY2(h.messages.shown[0].text.contains(h.state->settings.installation.launcherPath()),
             qPrintable(h.messages.shown[0].text));
    QVERIFY(h.state->settings.installation.launcherPath().endsWith("共通/起動/プログラムメニューc.exe"));
    QCOMPARE(h.navigator.exitCodes.size(), 1);
    QVERIFY(h.navigator.exitCodes[0] != 0);
}

// A school without the sibling programs has no folder "起動": "0" just ends the program.
void TestNameScreen::noProgramMenuEndsQuietly() {
    Harness h;
    h.writeStandardRoster();
    h.open();
    QTest::keyClick(h.list(), Qt::Key_0);
    QVERIFY(h.messages.shown.isEmpty());
    QCOMPARE(h.navigator.exitCodes, QList<int>{0});
}

// What keeps being true stays on the screen: attempts cannot be recorded, the roster is
// read as UTF-8 (its names intact).
void TestNameScreen::standingNotice_data() {
    QTest::addColumn<bool>("recordingBlocked");
    QTest::addColumn<bool>("utf8Roster");
    QTest::addColumn<QStringList>("says"); // empty: no notice
    QTest::newRow("all well") << false << false << QStringList{};
    QTest::newRow("cannot record") << true << false << QStringList{"成績を記録できません"};
    QTest::newRow("UTF-8 roster") << false << true << QStringList{"UTF-8"};
    QTest::newRow("both") << true << true << QStringList{"成績を記録できません", "UTF-8"};
}

void TestNameScreen::standingNotice() {
    QFETCH(bool, recordingBlocked);
    QFETCH(bool, utf8Roster);
    QFETCH(QStringList, says);
    Harness h;
    if (utf8Roster) {
        QFile f(h.state->settings.installation.rosterPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write((rec(1, 2000, "山田") + "\r\n" + rec(2, 1970, "★先生") + "\r\n").toUtf8());
    } else {
        h.writeStandardRoster();
    }
    if (recordingBlocked)
        h.state->settings.recordingProblem = QStringLiteral("成績を記録できません（テスト）");
    h.open();
    auto* notice = h.find<QLabel>("standingNotice");
    QVERIFY(notice);
    QCOMPARE(notice->isVisibleTo(h.screen.get()), !says.isEmpty());
    for (const QString& part : says)
        QVERIFY2(notice->text().contains(part), qPrintable(notice->text()));
    if (utf8Roster) {
        QVERIFY(h.lines().join('\n').contains("山田"));
        QVERIFY(h.lines().join('\n').contains("★先生"));
    }
    // It stays through a rebuild of the list.
    h.pickFilter("小１");
    QCOMPARE(notice->isVisibleTo(h.screen.get()), !says.isEmpty());
    if (!says.isEmpty())
        QVERIFY(test::saveScreenshot(h.screen.get(),
                                     QStringLiteral("namescreen_notice_") + QTest::currentDataTag()));
}

void TestNameScreen::screenshots() {
    Harness h;
    const QStringList names = {"佐藤",   "鈴木一郎", "高橋",       "田中", "伊藤さくら", "渡辺",
                               "山本",   "中村",     "小林ひろし", "加藤", "吉田",       "山田",
                               "佐々木", "山口",     "松本★先生",  "井上", "木村"};
    const int years[] = {1993, 1994, 1995, 1996, 1997, 1998, 1999, 2000, 2000,
                         2001, 2002, 2004, 1992, 1990, 1970, 1999, 2000};
    QStringList lines;
    for (int i = 0; i < names.size(); ++i)
        lines << rec(i + 1, years[i], names[i]);
    h.writeRoster(lines);
    for (int b = 1; b <= names.size(); ++b) {
        if (b % 4 == 0)
            continue; // some never practised
        h.state->tables.statistics.add(StatisticsTables::TodayAttempts, 1, b, b % 3);
        h.state->tables.statistics.add(StatisticsTables::TodayPoints, 1, b, (b % 3) * 7);
        h.state->tables.statistics.add(StatisticsTables::TotalAttempts, 2, b, b * 6);
        h.state->tables.statistics.add(StatisticsTables::TotalPoints, 2, b, b * b * 23);
    }
    h.open();
    h.screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.screen.get()));
    h.list()->setCurrentRow(5);
    QVERIFY(test::saveScreenshot(h.screen.get(), "namesel_mode1.png"));
    h.find<QRadioButton>("Option1_0")->click();
    h.list()->setCurrentRow(3);
    QVERIFY(test::saveScreenshot(h.screen.get(), "namesel_mode0.png"));
    QCOMPARE(h.list()->count(), names.size() + 1);
}

QTEST_MAIN(TestNameScreen)
#include "tst_namescreen_gui.moc"
