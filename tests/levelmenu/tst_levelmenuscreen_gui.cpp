#include "core/catalogue.h"
#include "core/runstate.h"
#include "levelmenu/gui/levelmenuscreen.h"
#include "platform/gui/messagebox.h"
#include "support/fakes.h"
#include "support/rosterfixture.h"
#include "support/screencontext.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTest>

#include <memory>
#include <tuple>

using namespace kz;

namespace {

constexpr int kStudent = 17;

// A run with a student at the level menu and criteria for every level.
struct Fixture : test::ScreenContext {

    explicit Fixture(const QString& name = "山田太郎") {
        initRunState(*state);
        buildLevelCatalogue(*state);
        state->student.currentBangou = kStudent;
        state->student.currentName = name;
        state->student.currentGradeLabel = "小３";
        state->student.sessionStartSeconds = 14 * 3600 + 28 * 60 + 30; // clock stands at 14:30:00
        state->settings.installation.siteName = "さくら塾";
        state->settings.installation.teacherPassword = "1234";
        state->levelMenu.seasonColour = {192, 255, 192};
        for (int level = 1; level <= 25; ++level) {
            PassCriteria& row = state->tables.criteria.row(level);
            row.targetTime = 30 + level * 5;
            row.minimumTime = 120;
            row.clearPoints = level == 25 ? 9999 : 20;
            row.clearCount = 3;
            row.pointMultiplier = DecimalMultiplier::fromText(level % 2 ? QString("1") : QString("1.5"));
            row.passPeriodDays = 7;
            row.overdoPeriodDays = 1;
        }
    }

    static LevelMenuHooks hooks() { return {}; }

    std::unique_ptr<LevelMenuScreen> open() {
        auto menu = std::make_unique<LevelMenuScreen>(context, hooks());
        menu->show();
        if (!QTest::qWaitFor([&] { return menu->isActivated(); }))
            qWarning("level menu did not activate");
        return menu;
    }

    // As the program's navigator does: the menu goes once the screen it asked for is up.
    void closeLikeTheNavigator(LevelMenuScreen* menu) {
        navigator.onCall = [menu](const QString&) { menu->close(); };
    }

    void figures(int level, int todayAttempts, int todayPoints, int totalAttempts, int totalPoints) {
        StatisticsTables& s = state->tables.statistics;
        s.add(StatisticsTables::TodayAttempts, level, kStudent, todayAttempts);
        s.add(StatisticsTables::TodayPoints, level, kStudent, todayPoints);
        s.add(StatisticsTables::TotalAttempts, level, kStudent, totalAttempts);
        s.add(StatisticsTables::TotalPoints, level, kStudent, totalPoints);
        s.add(StatisticsTables::PassPeriodAttempts, level, kStudent, totalAttempts);
        s.add(StatisticsTables::PassPeriodPoints, level, kStudent, totalPoints);
    }

    // Three listed students: the current one (小３), one of 中２ and one of 小５.
    void roster() {
        RosterTables& r = state->tables.roster;
        r.schoolYear = 2003;
        const std::tuple<int, const char*, int> students[] = {
            {kStudent, "山田太郎", 3}, {18, "中島", 8}, {19, "小川", 5}};
        for (const auto& [bangou, name, grade] : students)
            test::listStudent(r, bangou, QString::fromUtf8(name), grade);
    }

    // Level 3 overdone: five attempts today against an overdoing limit of five.
    void lockLevel3() {
        state->tables.criteria.row(3).overdoCount = 5;
        state->tables.statistics.add(StatisticsTables::OverdoPeriodAttempts, 3, kStudent, 5);
    }
};

template <typename T> T* child(QWidget* parent, const QString& name) {
    T* found = parent->findChild<T*>(name);
    if (!found)
        qWarning("missing control %s", qPrintable(name));
    return found;
}

} // namespace

class TestLevelMenuScreen : public QObject {
    Q_OBJECT
private slots:
    void buildsEveryColumn();
    void activationFillsHeaderAndFigures();
    void teacherButton_data();
    void teacherButton();
    void levelKeys_data();
    void levelKeys();
    void noKeyBeforeActivation();
    void oneStartOnly();
    void backKeyAndButton();
    void lockedLevelRefusesToStart();
    void levelNameClickStartsAtOnce();
    void panelBlocksStartsAndZero();
    void password_data();
    void password();
    void panelClosesAgain();
    void scrollingToTheEnd();
    void firstVisibleKeptAcrossInstances();
    void gradeFilterPreset_data();
    void gradeFilterPreset();
    void gradeFilterChoiceRebuilds();
    void screenshots();
};

void TestLevelMenuScreen::buildsEveryColumn() {
    Fixture f;
    auto menu = f.open();
    QCOMPARE(menu->size(), QSize(1024, 768));
    QCOMPARE(menu->levelCount(), 25);
    for (int level = 1; level <= 25; ++level) {
        const QString n = QString::number(level);
        auto* start = child<QPushButton>(menu.get(), "Command4_" + n);
        QVERIFY(start);
        QCOMPARE(start->text(), QString("ｽﾀｰﾄ(&%1)").arg(level));
        QCOMPARE(start->toolTip(), QString("クリックしてスタートします。番号を押してもよろしい"));
        QCOMPARE(child<QLabel>(menu.get(), "Label1_" + n)->text(), n);
        QCOMPARE(child<QLabel>(menu.get(), "Label3_" + n)->text(), catalogueLevelName(level));
        QCOMPARE(child<QLabel>(menu.get(), "Label3_" + n)->toolTip(), catalogueLevelName(level));
        QCOMPARE(child<QLabel>(menu.get(), "Label9_" + n)->text(), QString("今日"));
        QCOMPARE(child<QLabel>(menu.get(), "Label10_" + n)->text(), QString("今まで"));
        QVERIFY(child<QListView>(menu.get(), "List5_" + n));
        QVERIFY(child<QPushButton>(menu.get(), "Command3_" + n)->isHidden());
        QVERIFY(child<QLabel>(menu.get(), "Text1_" + n)->isHidden());
    }
    QVERIFY(!menu->findChild<QWidget*>("Command4_26"));
    QVERIFY(!menu->findChild<QWidget*>("Command4_0"));
    QVERIFY(child<QListView>(menu.get(), "List5_1")->font().fixedPitch());
    QCOMPARE(child<QPushButton>(menu.get(), "Command1")->text(), QString("戻る(0)"));
    QCOMPARE(child<QRadioButton>(menu.get(), "Option1_1")->text(), QString("累計順"));
    QCOMPARE(child<QRadioButton>(menu.get(), "Option1_2")->text(), QString("本日順"));
    QVERIFY(child<QRadioButton>(menu.get(), "Option1_1")->isChecked());
    QCOMPARE(child<QComboBox>(menu.get(), "Combo1")->count(), 12);
    QCOMPARE(child<QComboBox>(menu.get(), "Combo2")->currentText(), QString("　　１ヶ月間の全成績"));
    QCOMPARE(menu->period(), 3);
    QVERIFY(!child<QWidget>(menu.get(), "Picture2")->isVisible());
    QVERIFY(!child<QWidget>(menu.get(), "Picture6")->isVisible());
    QVERIFY(!child<QWidget>(menu.get(), "Picture7")->isVisible());
    QCOMPARE(child<QLabel>(menu.get(), "Label19")->text(), QString("Just a moment, please."));
    QCOMPARE(menu->palette().color(QPalette::Window), QColor(192, 255, 192));
}

void TestLevelMenuScreen::activationFillsHeaderAndFigures() {
    Fixture f;
    f.figures(2, 2, 30, 5, 70);
    f.figures(9, 0, 0, 4, 12); // practised before, not today
    f.figures(14, 1, 4, 1, 4);
    auto menu = f.open();
    QCOMPARE(f.run.refreshes, 1);
    QCOMPARE(child<QLabel>(menu.get(), "Label11")->text(), QString("カズリンその２"));
    QCOMPARE(child<QLabel>(menu.get(), "Label11")->font().pointSize(), 24);
    QCOMPARE(child<QLabel>(menu.get(), "Label12")->text(), QString("小３ 山田太郎"));
    QCOMPARE(child<QLabel>(menu.get(), "Label13")->text(), QString("さくら塾:17"));
    QCOMPARE(child<QLabel>(menu.get(), "Label17")->text(), QString("起動後1分"));
    QCOMPARE(child<QLabel>(menu.get(), "Label18")->text(), QString("本日総回数＝3回"));

    QCOMPARE(child<QLabel>(menu.get(), "Label14_1")->text(), QString("-----"));
    QCOMPARE(child<QLabel>(menu.get(), "Label15_1")->text(), QString("------"));
    QCOMPARE(child<QLabel>(menu.get(), "Label14_2")->text(), QString("2回/30点"));
    QCOMPARE(child<QLabel>(menu.get(), "Label15_2")->text(), QString("5回/70点"));
    QCOMPARE(child<QLabel>(menu.get(), "Label8_2")->text(), QString("最近7日=5回 / 70点"));
    QCOMPARE(child<QLabel>(menu.get(), "Label14_9")->text(), QString("-----"));
    QCOMPARE(child<QLabel>(menu.get(), "Label15_9")->text(), QString("4回/12点"));
    QCOMPARE(child<QLabel>(menu.get(), "Label7_1")->text(), QString("目標=35秒 3回/20点(×1)"));
    QCOMPARE(child<QLabel>(menu.get(), "Label7_2")->text(), QString("目標=40秒 3回/20点(×1.5)"));
    QCOMPARE(child<QLabel>(menu.get(), "Label7_25")->text(), QString("目標=155秒 --------"));
    QCOMPARE(child<QLabel>(menu.get(), "Label7_4")->palette().color(QPalette::Window), QColor(224, 224, 224));
    QCOMPARE(child<QLabel>(menu.get(), "Label8_4")->palette().color(QPalette::Window), QColor(224, 224, 224));
    QVERIFY(menu->levelKeysAccepted());
}

void TestLevelMenuScreen::teacherButton_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("teacher");
    QTest::newRow("star at the end") << "山田★" << true;
    QTest::newRow("star first") << "★山田" << true;
    QTest::newRow("sensei at the end") << "田中先生" << true;
    QTest::newRow("sensei in the middle") << "先生田中" << true;
    QTest::newRow("plain student") << "山田太郎" << false;
    QTest::newRow("sensei split") << "先 生" << false;
    QTest::newRow("white star") << "山田☆" << false;
}

void TestLevelMenuScreen::teacherButton() {
    QFETCH(QString, name);
    QFETCH(bool, teacher);
    Fixture f(name);
    auto menu = f.open();
    QCOMPARE(child<QPushButton>(menu.get(), "Command8")->isVisible(), teacher);
    QCOMPARE(child<QPushButton>(menu.get(), "Command8")->text(), QString("データ処理"));
    QCOMPARE(!child<QPushButton>(menu.get(), "Command24_1")->isHidden(), teacher);
}

void TestLevelMenuScreen::levelKeys_data() {
    QTest::addColumn<char>("key");
    QTest::addColumn<int>("level");
    QTest::newRow("1") << '1' << 1;
    QTest::newRow("9") << '9' << 9;
    QTest::newRow("a") << 'a' << 10;
    QTest::newRow("b") << 'b' << 11;
    QTest::newRow("c") << 'c' << 12;
    QTest::newRow("d") << 'd' << 13;
    QTest::newRow("e starts nothing (no key for 14)") << 'e' << 0;
    QTest::newRow("x starts nothing") << 'x' << 0;
}

void TestLevelMenuScreen::levelKeys() {
    QFETCH(char, key);
    QFETCH(int, level);
    Fixture f;
    auto menu = f.open();
    // The form sees the key first, wherever the focus is.
    auto* combo = child<QComboBox>(menu.get(), "Combo1");
    const QString before = combo->currentText();
    QTest::keyClick(combo, key);
    if (level == 0) {
        QVERIFY(f.navigator.calls.isEmpty());
        QCOMPARE(f.state->attempt.currentLevel, qint16(0));
        QVERIFY(menu->levelKeysAccepted());
        return;
    }
    QCOMPARE(f.navigator.calls, QStringList{"showDrillScreen"});
    QCOMPARE(f.state->attempt.currentLevel, qint16(level));
    QCOMPARE(combo->currentText(), before);
    QVERIFY(!menu->levelKeysAccepted());
    QVERIFY(menu->waitPanelShown());
    QVERIFY(menu->isVisible()); // the drill closes the menu, not the menu itself
}

void TestLevelMenuScreen::noKeyBeforeActivation() {
    Fixture f;
    LevelMenuScreen menu(f.context, f.hooks());
    QTest::keyClick(&menu, '1');
    QVERIFY(f.navigator.calls.isEmpty());
    menu.startLevel(1);
    menu.goBack();
    QVERIFY(f.navigator.calls.isEmpty());
    menu.activate();
    QTest::keyClick(&menu, '1');
    QCOMPARE(f.navigator.calls, QStringList{"showDrillScreen"});
}

void TestLevelMenuScreen::oneStartOnly() {
    Fixture f;
    auto menu = f.open();
    QTest::keyClick(menu.get(), '2');
    QTest::keyClick(menu.get(), '3');
    menu->startLevel(4);
    child<QPushButton>(menu.get(), "Command4_5")->click();
    QTest::keyClick(menu.get(), '0');
    QCOMPARE(f.navigator.calls, QStringList{"showDrillScreen"});
    QCOMPARE(f.state->attempt.currentLevel, qint16(2));
}

void TestLevelMenuScreen::backKeyAndButton() {
    {
        Fixture f;
        auto menu = f.open();
        f.closeLikeTheNavigator(menu.get());
        QTest::keyClick(menu.get(), '0');
        QCOMPARE(f.navigator.calls, QStringList{"showNameScreen"});
        QVERIFY(!menu->isVisible());
    }
    {
        Fixture f;
        auto menu = f.open();
        f.closeLikeTheNavigator(menu.get());
        QTest::mouseClick(child<QPushButton>(menu.get(), "Command1"), Qt::LeftButton);
        QCOMPARE(f.navigator.calls, QStringList{"showNameScreen"});
        QVERIFY(!menu->isVisible());
    }
    {
        // While the lists are rebuilt the back button is disabled and "0" does nothing.
        Fixture f;
        auto menu = f.open();
        child<QPushButton>(menu.get(), "Command1")->setEnabled(false);
        QTest::keyClick(menu.get(), '0');
        QVERIFY(f.navigator.calls.isEmpty());
    }
}

void TestLevelMenuScreen::lockedLevelRefusesToStart() {
    Fixture f;
    f.lockLevel3();
    auto menu = f.open();
    auto* start3 = child<QPushButton>(menu.get(), "Command4_3");
    auto* cover3 = child<QLabel>(menu.get(), "Text1_3");
    QVERIFY(!start3->isEnabled());
    QVERIFY(cover3->isVisible());
    QCOMPARE(cover3->text(), QString("やりすぎ禁止"));
    QCOMPARE(cover3->geometry(), start3->geometry());
    QVERIFY(child<QPushButton>(menu.get(), "Command4_2")->isEnabled());
    QVERIFY(child<QPushButton>(menu.get(), "Command4_4")->isEnabled());
    QVERIFY(child<QLabel>(menu.get(), "Text1_4")->isHidden());

    QTest::keyClick(menu.get(), '3');
    start3->click();
    menu->startLevel(3);
    QTest::mouseClick(child<QLabel>(menu.get(), "Label3_3"), Qt::LeftButton);
    QVERIFY(f.navigator.calls.isEmpty());
    QVERIFY(menu->levelKeysAccepted());
    QVERIFY(!menu->waitPanelShown());

    QTest::keyClick(menu.get(), '4');
    QCOMPARE(f.navigator.calls, QStringList{"showDrillScreen"});
    QCOMPARE(f.state->attempt.currentLevel, qint16(4));
    QCOMPARE(menu->availability().finalCleared, false);
}

void TestLevelMenuScreen::levelNameClickStartsAtOnce() {
    Fixture f;
    auto menu = f.open();
    f.closeLikeTheNavigator(menu.get());
    QTest::mouseClick(child<QLabel>(menu.get(), "Label3_2"), Qt::LeftButton);
    QCOMPARE(f.navigator.calls, QStringList{"showDrillScreen"});
    QCOMPARE(f.state->attempt.currentLevel, qint16(2));
    QVERIFY(!menu->isVisible());
    QVERIFY(!menu->waitPanelShown());
}

void TestLevelMenuScreen::panelBlocksStartsAndZero() {
    Fixture f("★先生");
    auto menu = f.open();
    QTest::mouseClick(child<QPushButton>(menu.get(), "Command8"), Qt::LeftButton);
    QVERIFY(menu->teacherPanelOpen());
    auto* password = child<QLineEdit>(menu.get(), "Text3");
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    QCOMPARE(password->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, password),
             int(u'*'));

    // Keys belong to the password box while the panel is open, "0" included.
    QTest::keyClicks(password, "10ab");
    QCOMPARE(password->text(), QString("10ab"));
    QTest::keyClick(menu.get(), '0');
    QTest::keyClick(menu.get(), '1');
    child<QPushButton>(menu.get(), "Command4_1")->click();
    menu->startLevel(2);
    QTest::mouseClick(child<QLabel>(menu.get(), "Label3_3"), Qt::LeftButton);
    QVERIFY(f.navigator.calls.isEmpty());
    QVERIFY(menu->isVisible());
    QCOMPARE(f.state->attempt.currentLevel, qint16(0));
}

void TestLevelMenuScreen::password_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("call");
    QTest::newRow("wrong") << "4321"
                           << "1234" << 0 << QString();
    QTest::newRow("empty") << ""
                           << "1234" << 1 << QString();
    QTest::newRow("prefix only") << "123"
                                 << "1234" << 0 << QString();
    QTest::newRow("empty against no password set") << ""
                                                   << "" << 0 << QString();
    QTest::newRow("right, record browser") << "1234"
                                           << "1234" << 0 << QString("showRecordBrowser");
    QTest::newRow("right, criteria editor") << "1234"
                                            << "1234" << 1 << QString("showCriteriaEditor");
    QTest::newRow("letters compared exactly") << "Abc"
                                              << "abc" << 1 << QString();
}

void TestLevelMenuScreen::password() {
    QFETCH(QString, typed);
    QFETCH(QString, setting);
    QFETCH(int, choice);
    QFETCH(QString, call);
    Fixture f("田中先生");
    f.state->settings.installation.teacherPassword = setting;
    auto menu = f.open();
    f.closeLikeTheNavigator(menu.get());
    QTest::mouseClick(child<QPushButton>(menu.get(), "Command8"), Qt::LeftButton);
    QTest::keyClicks(child<QLineEdit>(menu.get(), "Text3"), typed);
    auto* button = child<QPushButton>(menu.get(), QString("Command10_%1").arg(choice));
    QCOMPARE(button->text(), choice == 0 ? QString("データ変更") : QString("合格タイムデータ変更"));
    QTest::mouseClick(button, Qt::LeftButton);
    if (call.isEmpty()) {
        QCOMPARE(f.messages.shown.size(), 1);
        QCOMPARE(f.messages.shown[0].text, QString("パスワードを入力して下さい"));
        QVERIFY(f.navigator.calls.isEmpty());
        QVERIFY(menu->teacherPanelOpen());
        QVERIFY(menu->isVisible());
        QCOMPARE(child<QLineEdit>(menu.get(), "Text3")->text(), typed);
        return;
    }
    QVERIFY(f.messages.shown.isEmpty());
    QCOMPARE(f.navigator.calls, QStringList{call});
    QVERIFY(!menu->isVisible());
}

void TestLevelMenuScreen::panelClosesAgain() {
    Fixture f("先生");
    auto menu = f.open();
    QTest::mouseClick(child<QPushButton>(menu.get(), "Command8"), Qt::LeftButton);
    QTest::keyClicks(child<QLineEdit>(menu.get(), "Text3"), "12");
    auto* back = child<QPushButton>(menu.get(), "Command12");
    QCOMPARE(back->text(), QString("戻る"));
    QTest::mouseClick(back, Qt::LeftButton);
    QVERIFY(!menu->teacherPanelOpen());
    QTest::keyClick(menu.get(), '5');
    QCOMPARE(f.navigator.calls, QStringList{"showDrillScreen"});
    QCOMPARE(f.state->attempt.currentLevel, qint16(5));
}

void TestLevelMenuScreen::scrollingToTheEnd() {
    Fixture f;
    auto menu = f.open();
    auto* bar = child<QScrollBar>(menu.get(), "HScroll1");
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->minimum(), 1);
    QCOMPARE(bar->maximum(), 22);
    QCOMPARE(bar->value(), 1);
    bar->setValue(bar->maximum());
    QCOMPARE(f.state->levelMenu.firstVisibleLevel, qint16(22));
    const QRect form = menu->rect();
    for (int level = 1; level <= 25; ++level) {
        const QString n = QString::number(level);
        for (const char* name : {"Label1_", "Label3_", "Command4_", "Label14_", "List5_", "Label7_"}) {
            const QRect r = child<QWidget>(menu.get(), name + n)->geometry();
            if (level >= 22)
                QVERIFY2(form.contains(r), qPrintable(name + n));
            else
                QVERIFY2(!form.intersects(r), qPrintable(name + n));
        }
    }
    QVERIFY(child<QWidget>(menu.get(), "Command4_22")->x() < child<QWidget>(menu.get(), "Command4_25")->x());
    // Level 25 can still be started with the mouse; it has no key.
    QTest::mouseClick(child<QPushButton>(menu.get(), "Command4_25"), Qt::LeftButton);
    QCOMPARE(f.state->attempt.currentLevel, qint16(25));
}

void TestLevelMenuScreen::firstVisibleKeptAcrossInstances() {
    Fixture f;
    {
        auto menu = f.open();
        child<QScrollBar>(menu.get(), "HScroll1")->setValue(10);
    }
    QCOMPARE(f.state->levelMenu.firstVisibleLevel, qint16(10));
    {
        auto menu = f.open();
        QCOMPARE(child<QScrollBar>(menu.get(), "HScroll1")->value(), 10);
        QCOMPARE(child<QWidget>(menu.get(), "Command4_10")->x(), 20);
        QVERIFY(child<QWidget>(menu.get(), "Command4_9")->x() >= menu->width());
    }
    f.state->levelMenu.firstVisibleLevel = 23; // beyond the bar: start from the left again
    {
        auto menu = f.open();
        QCOMPARE(f.state->levelMenu.firstVisibleLevel, qint16(1));
        QCOMPARE(child<QScrollBar>(menu.get(), "HScroll1")->value(), 1);
        QCOMPARE(child<QWidget>(menu.get(), "Command4_1")->x(), 20);
    }
}

void TestLevelMenuScreen::gradeFilterPreset_data() {
    QTest::addColumn<QString>("handedOver");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("lines");
    QTest::newRow("default") << "全学年"
                             << "全学年" << 3;
    QTest::newRow("grade") << "小３"
                           << "小３" << 1;
    QTest::newRow("junior high") << "中学生全体"
                                 << "中学生全体" << 1;
    QTest::newRow("unknown falls back") << "大学"
                                        << "全学年" << 3;
}

void TestLevelMenuScreen::gradeFilterPreset() {
    QFETCH(QString, handedOver);
    QFETCH(QString, shown);
    QFETCH(int, lines);
    Fixture f;
    f.roster();
    f.state->levelMenu.handedOverFilter = handedOver;
    auto menu = f.open();
    QCOMPARE(menu->gradeFilterText(), shown);
    QCOMPARE(child<QComboBox>(menu.get(), "Combo1")->itemText(0), QString("全学年"));
    // The first lists are built under the handed-over filter.
    QCOMPARE(child<QListView>(menu.get(), "List5_1")->model()->rowCount(), lines);
}

void TestLevelMenuScreen::gradeFilterChoiceRebuilds() {
    Fixture f;
    f.roster();
    auto menu = f.open();
    QCOMPARE(child<QListView>(menu.get(), "List5_2")->model()->rowCount(), 3);
    f.lockLevel3();
    auto* combo = child<QComboBox>(menu.get(), "Combo1");
    combo->setCurrentIndex(combo->findText("中２"));
    emit combo->activated(combo->currentIndex());
    QCOMPARE(menu->gradeFilterText(), QString("中２"));
    QCOMPARE(child<QListView>(menu.get(), "List5_2")->model()->rowCount(), 1);
    // The rebuild decides again which levels may be started.
    QVERIFY(child<QPushButton>(menu.get(), "Command4_2")->isEnabled());
    QVERIFY(!child<QPushButton>(menu.get(), "Command4_3")->isEnabled());
    QVERIFY(child<QLabel>(menu.get(), "Text1_3")->isVisible());
}

void TestLevelMenuScreen::screenshots() {
    {
        Fixture f("山田　太郎");
        f.figures(1, 2, 31, 6, 88);
        f.figures(2, 1, 12, 3, 40);
        f.lockLevel3();
        f.figures(3, 5, 50, 9, 90);
        f.roster();
        auto menu = f.open();
        QVERIFY(test::saveScreenshot(menu.get(), "seisekitime1_student.png"));
    }
    {
        Fixture f("★田中先生");
        auto menu = f.open();
        child<QScrollBar>(menu.get(), "HScroll1")->setValue(22);
        QTest::mouseClick(child<QPushButton>(menu.get(), "Command8"), Qt::LeftButton);
        QTest::keyClicks(child<QLineEdit>(menu.get(), "Text3"), "1234");
        QVERIFY(test::saveScreenshot(menu.get(), "seisekitime1_teacher_panel.png"));
    }
}

QTEST_MAIN(TestLevelMenuScreen)
#include "tst_levelmenuscreen_gui.moc"
