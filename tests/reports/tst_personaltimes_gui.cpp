// "個人ﾀｲﾑ" on the level menu: the student's own attempts, the graph button and panel.
#include "core/catalogue.h"
#include "core/runstate.h"
#include "levelmenu/gui/levelmenuscreen.h"
#include "platform/gui/messagebox.h"
#include "reports/gui/graphpanel.h"
#include "reports/gui/reportprinter.h"
#include "support/fakes.h"
#include "support/screencontext.h"
#include "support/testsupport.h"

#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kz;

namespace {

// Counts print jobs and draws nothing.
class CountingPrinter final : public ReportPrinter {
public:
    bool choosePrinter(QWidget*) override { return true; }
    std::unique_ptr<draw::PageCanvas> startJob(const QString&) override {
        ++jobs;
        return nullptr;
    }
    int jobs = 0;
};

struct Menu : test::ScreenContext {
    explicit Menu(const QString& name) {
        initRunState(*state);
        buildLevelCatalogue(*state);
        state->student.currentBangou = 17;
        state->student.currentName = name;
        state->student.currentGradeLabel = QStringLiteral("小３");
        state->levelMenu.seasonColour = {192, 255, 192};
        state->settings.installation.programDataFolder = dir.path() + u'/';
        loadRosterText(
            QStringLiteral("17,1994,0,0,%1,0,,\n21,1994,0,0,あおき,0,,\n5,1970,0,0,先生★,0,,\n").arg(name),
            clock.today(), 4, 0, &state->tables.roster);
        for (int level = 1; level <= 25; ++level)
            state->tables.criteria.row(level) =
                PassCriteria::fromTexts({"60", "90", "10", "3", "1", "20", "100", "7", "1"});
        const QDateTime now = clock.now();
        QFile f(state->settings.installation.resultsPath());
        if (f.open(QIODevice::WriteOnly)) {
            for (int level = 1; level <= 3; ++level) {
                f.write(encodeResultRecord(makeResultRecord(now.addDays(-2), 21, qint16(level), 35, u"")));
                f.write(encodeResultRecord(
                    makeResultRecord(now.addDays(-1), 17, qint16(level), 70 - level, u"")));
                f.write(encodeResultRecord(makeResultRecord(now.addSecs(-600), 17, qint16(level), 50, u"")));
            }
            f.write(encodeResultRecord(makeResultRecord(now.addSecs(-300), 17, 1, 99999, u"")));
            f.write(encodeResultRecord(makeResultRecord(now.addSecs(-200), 21, 1, 30, u"")));
        }
        f.close();
        run.onRefresh = [this] {
            const Status refreshed = run.ProgramRun::refreshStatistics();
            [&] { QVERIFY(refreshed.ok()); }();
            return refreshed;
        };
        LevelMenuHooks hooks;
        hooks.printer = &printer;
        menu = std::make_unique<LevelMenuScreen>(context, hooks);
        menu->show();
        if (!QTest::qWaitFor([&] { return menu->isActivated(); }))
            qWarning("level menu did not activate");
    }
    template <class W> W* child(const QString& objectName) { return menu->findChild<W*>(objectName); }
    QStringList lines(int level) {
        auto* view = menu->column(level).list5;
        QStringList texts;
        for (int row = 0; row < view->model()->rowCount(); ++row)
            texts << view->model()->index(row, 0).data().toString();
        return texts;
    }

    QTemporaryDir dir;
    CountingPrinter printer;
    std::unique_ptr<LevelMenuScreen> menu;
};

} // namespace

class TestPersonalTimes : public QObject {
    Q_OBJECT
private slots:
    void listsTheStudentsOwnAttempts();
    void graphPanelOpensOnThreeLevels_data();
    void graphPanelOpensOnThreeLevels();
};

void TestPersonalTimes::listsTheStudentsOwnAttempts() {
    Menu m(QStringLiteral("テスト"));
    auto* graph = m.child<QPushButton>("Command17");
    QVERIFY(graph && graph->isHidden());
    m.child<QRadioButton>("Option2_2")->click();
    QCOMPARE(m.child<QLabel>("Label5")->text(), QStringLiteral("個人別ﾀｲﾑ"));
    QVERIFY(!graph->isHidden());
    QCOMPARE(m.lines(1), (QStringList{QStringLiteral("2004/03/14 14:30:00  69秒"),
                                      QStringLiteral("2004/03/15 14:20:00  50秒"),
                                      QStringLiteral("2004/03/15 14:25:00 時間切れ(3)")}));
    QCOMPARE(m.lines(2).size(), 2);
    QVERIFY(m.lines(4).isEmpty());
    QVERIFY(m.messages.shown.isEmpty());
    test::saveScreenshot(m.menu.get(), QStringLiteral("levelmenu_personal_times"));

    // Another display hides the graph button again.
    m.child<QRadioButton>("Option2_0")->click();
    QVERIFY(graph->isHidden());
}

void TestPersonalTimes::graphPanelOpensOnThreeLevels_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("teacher");
    QTest::newRow("student") << QStringLiteral("テスト") << false;
    QTest::newRow("teacher with a long name") << QStringLiteral("たなか先生だいすけ") << true;
}

void TestPersonalTimes::graphPanelOpensOnThreeLevels() {
    QFETCH(QString, name);
    QFETCH(bool, teacher);
    Menu m(name);
    m.child<QRadioButton>("Option2_2")->click();
    m.child<QPushButton>("Command17")->click();
    GraphPanel* panel = m.menu->graphPanel();
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->objectName(), QStringLiteral("Picture11"));
    QCOMPARE(panel->selectedLevels(), (QList<int>{1, 2, 3}));
    QCOMPARE(panel->selectedStudent(), 17);
    QCOMPARE(m.child<QPushButton>("Command24_1")->isVisible(), teacher);
    int dark = 0;
    const QImage& picture = panel->picture();
    for (int y = int(picture.height() * 0.65); y < int(picture.height() * 0.93); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            dark += qGray(picture.pixel(x, y)) < 160;
    }
    QVERIFY(dark > 300);
    if (!teacher)
        test::saveScreenshot(m.menu.get(), QStringLiteral("levelmenu_graph_panel"));

    // "戻る" hides the panel; another display kind hides it too.
    m.child<QPushButton>("Command18")->click();
    QVERIFY(!panel->isVisible());
    m.child<QPushButton>("Command17")->click();
    QVERIFY(panel->isVisible());
    m.child<QRadioButton>("Option2_1")->click();
    QVERIFY(!panel->isVisible());
}

QTEST_MAIN(TestPersonalTimes)
#include "tst_personaltimes_gui.moc"
