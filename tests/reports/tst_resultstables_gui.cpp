#include "core/catalogue.h"
#include "core/runstate.h"
#include "levelmenu/gui/levelmenuscreen.h"
#include "platform/gui/messagebox.h"
#include "support/fakes.h"
#include "support/rosterfixture.h"
#include "support/screencontext.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kz;

namespace {

const QDateTime kNow(QDate(2004, 3, 15), QTime(14, 30, 0)); // a Monday

// A school of three students at the level menu of 山田太郎 (17), with attempts at level 2
// from today back to five years ago. Level 2: target 40 s, minimum line 120 s.
struct School : test::ScreenContext {
    QTemporaryDir dir;

    School() {
        initRunState(*state);
        buildLevelCatalogue(*state);
        state->settings.installation.programDataFolder = dir.path() + u'/';
        state->student.currentBangou = 17;
        state->student.currentName = "山田太郎";
        state->student.currentGradeLabel = "小３";
        state->settings.installation.siteName = "さくら塾";
        state->levelMenu.seasonColour = {255, 224, 192};
        state->student.sessionStartSeconds = 14 * 3600 + 20 * 60;
        for (int level = 1; level <= 25; ++level) {
            PassCriteria& row = state->tables.criteria.row(level);
            row.targetTime = 30 + level * 5;
            row.minimumTime = 120;
            row.clearPoints = 20;
            row.pointMultiplier = DecimalMultiplier::fromText(u"1.5");
            row.passPeriodDays = 7;
            row.overdoPeriodDays = 1;
        }
        state->tables.roster.schoolYear = 2003;
        student(17, "山田太郎", 3);
        student(18, "中島", 8);
        student(19, "小川", 5);
        write({{kNow.date(), QTime(9, 5), 17, 45},
               {kNow.date(), QTime(10, 20), 18, 30},
               {kNow.date(), QTime(11, 0), 19, 99999},
               {QDate(2004, 3, 12), QTime(16, 0), 19, 80},
               {QDate(2004, 2, 20), QTime(16, 0), 17, 70},
               {QDate(2003, 6, 1), QTime(16, 0), 18, 50},
               {QDate(1999, 1, 1), QTime(16, 0), 19, 100}});
    }
    void student(int bangou, const char* name, int grade) {
        test::listStudent(state->tables.roster, bangou, QString::fromUtf8(name), grade);
    }
    struct Attempt {
        QDate date;
        QTime time;
        int bangou;
        qint32 seconds;
    };
    void write(const QList<Attempt>& attempts, int level = 2) {
        QByteArray bytes;
        for (const Attempt& a : attempts)
            bytes +=
                encodeResultRecord(makeResultRecord(QDateTime(a.date, a.time), static_cast<qint16>(a.bangou),
                                                    static_cast<qint16>(level), a.seconds, u"12345"));
        QFile f(state->settings.installation.resultsPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Append));
        f.write(bytes);
    }
    std::unique_ptr<LevelMenuScreen> open() {
        run.onRefresh = [this] {
            const Status refreshed = run.ProgramRun::refreshStatistics();
            [&] { QVERIFY(refreshed.ok()); }();
            return refreshed;
        };
        auto menu = std::make_unique<LevelMenuScreen>(context, LevelMenuHooks{});
        menu->show();
        if (!QTest::qWaitFor([&] { return menu->isActivated(); }))
            qWarning("level menu did not activate");
        return menu;
    }
};

template <typename T> T* child(QWidget* parent, const QString& name) {
    T* found = parent->findChild<T*>(name);
    if (!found)
        qWarning("missing control %s", qPrintable(name));
    return found;
}

QStringList lines(QListView* list) {
    QStringList out;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        out << list->model()->index(row, 0).data().toString();
    return out;
}

} // namespace

class TestResultsTablesScreen : public QObject {
    Q_OBJECT
private slots:
    void everyOptionAndPeriod();
    void currentStudentInViewNoLineSelected();
};

void TestResultsTablesScreen::everyOptionAndPeriod() {
    School school;
    auto menu = school.open();
    QWidget* m = menu.get();
    auto* list = child<QListView>(m, "List5_2");
    auto* label5 = child<QLabel>(m, "Label5");
    auto* combo2 = child<QComboBox>(m, "Combo2");

    // While the lines are made the lists are hidden behind the progress panel and nothing
    // can be started or left.
    QStringList duringRebuild;
    connect(list->model(), &QAbstractItemModel::modelReset, this, [&] {
        duringRebuild << QString("%1%2%3%4")
                             .arg(child<QPushButton>(m, "Command1")->isEnabled())
                             .arg(child<QPushButton>(m, "Command4_1")->isEnabled())
                             .arg(list->isVisible())
                             .arg(child<QWidget>(m, "Picture6")->isVisible());
    });

    // The activation's preset: points so far.
    QVERIFY(child<QRadioButton>(m, "Option2_1")->isChecked());
    QCOMPARE(child<QRadioButton>(m, "Option1_1")->text(), QString("累計順"));
    QCOMPARE(label5->text(), QString("獲得ポイント（今まで順位）"));
    QCOMPARE(lines(list),
             (QStringList{" 1Ⅱ中島　　　  7/   13", " 2●山田太郎　  6/   12", " 3⑤小川　　　  0/    2"}));

    const QColor white(255, 255, 255);
    const QColor lightGreen(192, 255, 192);
    struct Step {
        const char* choose; // Option name, or "Combo2:index"
        const char* title;
        QStringList lines;
        QColor colour;
        const char* screenshot;
    };
    const QList<Step> steps{
        {"Option2_0",
         "ベスト成績",
         {" 1Ⅱ中島　　　    30 　", " 2●山田太郎　    45 ●", " 3⑤小川　　　    80 　"},
         white,
         "seisekitime1_best_times"},
        {"Option1_2",
         "本日の成績",
         {"  30秒 10:20Ⅱ中島　　　Ⅱ5", "  45秒 09:05●山田太郎　●4", "　　× 11:00⑤小川　　　⑤"},
         lightGreen,
         "seisekitime1_today"},
        {"Option1_3",
         "",
         {"  30秒 03/15Ⅱ中島　　　Ⅱ5", "  45秒 03/15●山田太郎　●4", "  70秒 02/20●山田太郎　●4",
          "  80秒 03/12⑤小川　　　⑤1", "　　× 03/15⑤小川　　　⑤"},
         lightGreen,
         "seisekitime1_period"},
        {"Combo2:0",
         "",
         {"  30秒 03/15Ⅱ中島　　　Ⅱ5", "  45秒 03/15●山田太郎　●4", "　　× 03/15⑤小川　　　⑤"},
         lightGreen,
         nullptr},
        {"Combo2:1",
         "",
         {"  30秒 03/15Ⅱ中島　　　Ⅱ5", "  45秒 03/15●山田太郎　●4", "  80秒 03/12⑤小川　　　⑤1",
          "　　× 03/15⑤小川　　　⑤"},
         lightGreen,
         nullptr},
        {"Combo2:3",
         "",
         {"  30秒 03/15Ⅱ中島　　　Ⅱ5", "  45秒 03/15●山田太郎　●4", "  50秒 06/01Ⅱ中島　　　Ⅱ4",
          "  70秒 02/20●山田太郎　●4", "  80秒 03/12⑤小川　　　⑤1", "　　× 03/15⑤小川　　　⑤"},
         lightGreen,
         nullptr},
        {"Combo2:4",
         "",
         {"  30秒 03/15Ⅱ中島　　　Ⅱ5", "  45秒 03/15●山田太郎　●4", "  50秒 06/01Ⅱ中島　　　Ⅱ4",
          "  70秒 02/20●山田太郎　●4", "  80秒 03/12⑤小川　　　⑤1", " 100秒 01/01⑤小川　　　⑤1",
          "　　× 03/15⑤小川　　　⑤"},
         lightGreen,
         nullptr},
        {"Option2_1",
         "",
         {"    1 01/01⑤小川　　　⑤100秒", "    1 03/12⑤小川　　　⑤80秒", "    4 02/20●山田太郎　●70秒",
          "    4 03/15●山田太郎　●45秒", "    4 06/01Ⅱ中島　　　Ⅱ50秒", "    5 03/15Ⅱ中島　　　Ⅱ30秒",
          "　　× 03/15⑤小川　　　⑤"},
         white,
         nullptr},
        {"Option1_2",
         "獲得ポイント（今日の順位）",
         {" 1Ⅱ中島　　　  7/   13", " 2●山田太郎　  6/   12"},
         white,
         nullptr},
        {"Option1_1",
         "獲得ポイント（今まで順位）",
         {" 1Ⅱ中島　　　  7/   13", " 2●山田太郎　  6/   12", " 3⑤小川　　　  0/    2"},
         white,
         "seisekitime1_points"},
        // The current student's own attempts, by date and time as text.
        {"Option2_2", "個人別ﾀｲﾑ", {"2004/02/20 16:00:00  70秒", "2004/03/15 9:05:00  45秒"}, white, nullptr},
    };
    for (const Step& step : steps) {
        const QString choose = QString::fromUtf8(step.choose);
        duringRebuild.clear();
        if (choose.startsWith("Combo2:")) {
            QVERIFY(combo2->isVisible());
            const int index = choose.mid(7).toInt();
            combo2->setCurrentIndex(index);
            emit combo2->activated(index);
            QCOMPARE(menu->period(), index + 1);
        } else {
            QTest::mouseClick(child<QRadioButton>(m, choose), Qt::LeftButton);
        }
        QCOMPARE(label5->text(), QString::fromUtf8(step.title));
        QCOMPARE(lines(list), step.lines);
        QCOMPARE(list->palette().color(QPalette::Base), step.colour);
        // The old lines go before the new ones are made (two resets), both behind the panel.
        if (choose != u"Option2_2") // the personal times are the student's own lines, not a rebuilt table
            QCOMPARE(duringRebuild, (QStringList{"0001", "0001"}));
        QVERIFY(list->isVisible());
        QVERIFY(!child<QWidget>(m, "Picture6")->isVisible());
        QVERIFY(child<QPushButton>(m, "Command1")->isEnabled());
        QVERIFY(child<QPushButton>(m, "Command4_1")->isEnabled());
        // The period is chosen beside the all-attempts table, the one table without a title.
        QCOMPARE(combo2->isVisible(), label5->text().isEmpty());
        if (step.screenshot)
            QVERIFY(test::saveScreenshot(m, step.screenshot));
    }
    // The captions follow the display: points after the times.
    QCOMPARE(child<QRadioButton>(m, "Option1_2")->text(), QString("合計本日"));
    // A table chosen after the personal times comes in the display shown before them.
    QTest::mouseClick(child<QRadioButton>(m, "Option1_1"), Qt::LeftButton);
    QVERIFY(child<QRadioButton>(m, "Option2_1")->isChecked());
    QCOMPARE(lines(list).size(), 3);
    QTest::mouseClick(child<QRadioButton>(m, "Option2_0"), Qt::LeftButton);
    QCOMPARE(child<QRadioButton>(m, "Option1_3")->text(), QString("オール表示"));
}

void TestResultsTablesScreen::currentStudentInViewNoLineSelected() {
    School school;
    for (int b = 100; b < 160; ++b)
        school.student(b, "生徒", 4);
    QList<School::Attempt> attempts;
    for (int b = 100; b < 160; ++b)
        attempts.append({kNow.date(), QTime(9, 0), b, 2 * (b - 100) + 40}); // 40, 42, .. 158 s
    attempts.append({kNow.date(), QTime(9, 30), 17, 81});
    school.write(attempts, 1);
    auto menu = school.open();
    QTest::mouseClick(child<QRadioButton>(menu.get(), "Option2_0"), Qt::LeftButton);
    auto* list = child<QListView>(menu.get(), "List5_1");
    const int row = static_cast<int>(lines(list).indexOf("22●山田太郎　    81 ●"));
    QCOMPARE(row, 21);
    QCOMPARE(list->indexAt(QPoint(4, 4)).row(), row - 1);
    QVERIFY(!list->selectionModel() || !list->selectionModel()->hasSelection());
    QCOMPARE(list->selectionMode(), QAbstractItemView::NoSelection);
}

QTEST_MAIN(TestResultsTablesScreen)
#include "tst_resultstables_gui.moc"
