#include "core/installation.h"
#include "data/statistics.h"
#include "students/nameline.h"
#include "students/programmenu.h"

#include "platform/processlauncher.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kz;

Q_DECLARE_METATYPE(kz::StudentFigures)

namespace {

StudentFigures figures(qint32 todayAttempts, qint32 todayPoints, qint32 totalAttempts, qint32 totalPoints) {
    return {todayAttempts, todayPoints, totalAttempts, totalPoints};
}

RosterEntry entry(int bangou, int birthYear, const QString& name, int grade, const QString& label) {
    RosterEntry e;
    e.bangou = static_cast<qint16>(bangou);
    e.birthYear = static_cast<qint16>(birthYear);
    e.name = name;
    e.gradeNumber = grade;
    e.shortGradeLabel = label;
    return e;
}

} // namespace

class TestNameLine : public QObject {
    Q_OBJECT
private slots:
    void lineText_data();
    void lineText();
    void columnForms_data();
    void columnForms();
    void figuresSumOverLevels();
    void filtersAndOrder_data();
    void filtersAndOrder();
    void chosenLineLabels();
    void launcherPath_data();
    void launcherPath();
    void launcherFailuresAreExplained_data();
    void launcherFailuresAreExplained();
    void noProgramMenuStartsNothing();
};

void TestNameLine::lineText_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("grade");
    QTest::addColumn<QString>("name");
    QTest::addColumn<StudentFigures>("figs");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("expected");
    const StudentFigures none = figures(0, 0, 0, 0);
    QTest::newRow("grade 1, no attempts, mode 1")
        << "小1" << 1 << "山田" << none << 1 << "小1 山田　　　　  　/       ";
    QTest::newRow("kindergarten pads to 11")
        << "幼3" << 0 << "山田" << none << 1 << "幼3 山田　　　　　　  　/       ";
    QTest::newRow("mode 0, 2 today, 15 in all")
        << "小1" << 1 << "山田" << figures(2, 0, 15, 0) << 0 << "小1 山田　　　　  2回/   15回";
    QTest::newRow("mode 1 figures") << "中2" << 8 << "佐藤" << figures(2, 37, 15, 1234) << 1
                                    << "中2 佐藤　　　　  37/   1234";
    QTest::newRow("mode 2") << "小6" << 6 << "佐藤" << figures(2, 37, 15, 1234) << 2
                            << "小6 佐藤　　　　  37/  2回";
    QTest::newRow("mode 3") << "小6" << 6 << "佐藤" << figures(2, 37, 15, 1234) << 3
                            << "小6 佐藤　　　　   1234/   15回";
    QTest::newRow("mode 0 zero forms")
        << "小1" << 1 << "山田" << none << 0 << "小1 山田　　　　     /     　";
    QTest::newRow("six characters fill exactly")
        << "小1" << 1 << "あいうえおか" << none << 1 << "小1 あいうえおか  　/       ";
    QTest::newRow("eight characters fill kindergarten")
        << "幼-" << -3 << "あいうえおかきく" << none << 1 << "幼- あいうえおかきく  　/       ";
    QTest::newRow("longer name pushes right")
        << "小1" << 1 << "あいうえおかき" << none << 1 << "小1 あいうえおかき  　/       ";
    QTest::newRow("half-width spaces trimmed, full-width kept")
        << "小1" << 1 << "  山田　 " << none << 1 << "小1 山田　　　　  　/       ";
    QTest::newRow("numbers cut to their last characters")
        << "小1" << 1 << "山田" << figures(1234, 98765, 1234567, 123456789) << 0
        << "小1 山田　　　　234回/34567回";
}

void TestNameLine::lineText() {
    QFETCH(QString, label);
    QFETCH(int, grade);
    QFETCH(QString, name);
    QFETCH(StudentFigures, figs);
    QFETCH(int, mode);
    QFETCH(QString, expected);
    QCOMPARE(nameLineText(label, grade, name, figs, mode), expected);
}

void TestNameLine::columnForms_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("A") << int(FigureColumn::A) << 7 << "  7回";
    QTest::newRow("A zero") << int(FigureColumn::A) << 0 << "     ";
    QTest::newRow("B") << int(FigureColumn::B) << 55 << "  55";
    QTest::newRow("B zero") << int(FigureColumn::B) << 0 << "  　";
    QTest::newRow("C") << int(FigureColumn::C) << 15 << "   15回";
    QTest::newRow("C zero") << int(FigureColumn::C) << 0 << "     　";
    QTest::newRow("D") << int(FigureColumn::D) << 1234 << "   1234";
    QTest::newRow("D zero") << int(FigureColumn::D) << 0 << "       ";
    QTest::newRow("D negative") << int(FigureColumn::D) << -12 << "    -12";
}

void TestNameLine::columnForms() {
    QFETCH(int, column);
    QFETCH(int, value);
    QFETCH(QString, expected);
    QCOMPARE(columnText(static_cast<FigureColumn>(column), value), expected);
}

void TestNameLine::figuresSumOverLevels() {
    auto stats = std::make_unique<StatisticsTables>();
    stats->add(StatisticsTables::TodayAttempts, 1, 42, 2);
    stats->add(StatisticsTables::TodayAttempts, 35, 42, 1);
    stats->add(StatisticsTables::TotalPoints, 25, 42, 100);
    stats->add(StatisticsTables::TotalPoints, 26, 42, 5);
    stats->add(StatisticsTables::TotalAttempts, 3, 43, 9); // someone else
    const StudentFigures f = figuresOf(*stats, 42);
    QCOMPARE(f.todayAttempts, 3);
    QCOMPARE(f.totalPoints, 105);
    QCOMPARE(f.totalAttempts, 0);
}

void TestNameLine::filtersAndOrder_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QList<int>>("bangou");
    QTest::newRow("全学年") << "全学年" << QList<int>{5, 4, 3, 1, 2};
    QTest::newRow("小学生全体") << "小学生全体" << QList<int>{3, 1};
    QTest::newRow("中学生全体") << "中学生全体" << QList<int>{4};
    QTest::newRow("小１") << "小１" << QList<int>{3, 1};
    QTest::newRow("中２") << "中２" << QList<int>{4};
    QTest::newRow("中３") << "中３" << QList<int>{};
    QTest::newRow("unknown") << "大学" << QList<int>{};
}

void TestNameLine::filtersAndOrder() {
    QFETCH(QString, filter);
    QFETCH(QList<int>, bangou);
    const QList<RosterEntry> listed = {entry(1, 2000, "やまだ", 1, "小1"), entry(2, 2001, "やまだ", 0, "幼3"),
                                       entry(3, 2000, "あべ", 1, "小1"), entry(4, 1993, "たなか", 8, "中2"),
                                       entry(5, 1980, "せんせい", 21, "大+")};
    auto stats = std::make_unique<StatisticsTables>();
    QList<int> got;
    for (const NameListLine& line : buildNameList(listed, *stats, 1, filter))
        got << line.bangou;
    QCOMPARE(got, bangou);
}

void TestNameLine::chosenLineLabels() {
    const QString line = "小1 山田　　　　  37/   1234";
    QCOMPARE(clickedLineLabel(line), QString("小1 山田　　　　"));
    QCOMPARE(doubleClickedLineLabel(line), QString("小1 山田　　　　  37"));
    QCOMPARE(clickedLineLabel("幼3 山田　　　　　　  　/       "), QString("幼3 山田　　　　　"));
}

void TestNameLine::launcherPath_data() {
    QTest::addColumn<QString>("appFolder");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "/srv/学習/drill2/"
                           << "/srv/学習/起動/プログラムメニューc.exe";
    QTest::newRow("no trailing separator") << "/srv/学習/drill2"
                                           << "/srv/学習/起動/プログラムメニューc.exe";
    QTest::newRow("doubled separator") << "/srv/学習/drill2//"
                                       << "/srv/学習/起動/プログラムメニューc.exe";
}

void TestNameLine::launcherPath() {
    QFETCH(QString, appFolder);
    QFETCH(QString, expected);
    Installation inst;
    inst.appFolder = appFolder;
    QCOMPARE(inst.launcherPath(), expected);
    QCOMPARE(programMenuArgument(), QString("001"));
}

void TestNameLine::launcherFailuresAreExplained_data() {
    QTest::addColumn<QString>("setup");
    QTest::newRow("launcher missing") << "none";
    QTest::newRow("not executable") << "plain file";
    QTest::newRow("a folder of that name") << "folder";
}

void TestNameLine::launcherFailuresAreExplained() {
    QFETCH(QString, setup);
    QTemporaryDir dir;
    Installation inst;
    inst.appFolder = dir.filePath("kazurin2") + "/";
    // The folder "起動" is there: its launcher is expected to start.
    QVERIFY(QDir(dir.path()).mkpath("起動"));
    const QString path = dir.filePath("起動/プログラムメニューc.exe");
    if (setup == "plain file") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a program");
    } else if (setup == "folder") {
        QVERIFY(QDir().mkpath(path));
    }
    SystemProcessLauncher launcher;
    const ProgramMenuStart start = startProgramMenu(inst, launcher);
    QVERIFY(!start.started);
    QCOMPARE(start.launcherPath, path);
    QVERIFY(!start.reason.isEmpty());
    const QString text = programMenuFailureText(start);
    QVERIFY(text.contains(path));
    QVERIFY(text.contains(start.reason));
    QVERIFY(!start.noMenu);
    QVERIFY(missingProgramMenuNote(inst).isEmpty());
}

// An installation without the sibling programs has no folder "起動": nothing is started,
// nothing failed, and the companion's check names the folder once.
void TestNameLine::noProgramMenuStartsNothing() {
    QTemporaryDir dir;
    Installation inst;
    inst.appFolder = dir.filePath("kazurin2") + "/";
    test::RecordingLauncher launcher;
    const ProgramMenuStart start = startProgramMenu(inst, launcher);
    QVERIFY(start.noMenu);
    QVERIFY(!start.started);
    QVERIFY(launcher.started.isEmpty());
    QVERIFY(missingProgramMenuNote(inst).contains(QDir::toNativeSeparators(dir.filePath("起動"))));
}

QTEST_GUILESS_MAIN(TestNameLine)
#include "tst_nameline.moc"
