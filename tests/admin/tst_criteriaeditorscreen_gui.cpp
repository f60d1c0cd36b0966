#include "admin/gui/criteriaeditorscreen.h"
#include "core/catalogue.h"
#include "core/runstate.h"
#include "data/resultstore.h"
#include "platform/gui/messagebox.h"
#include "support/fakes.h"
#include "support/screencontext.h"
#include "support/testfiles.h"
#include "support/testsupport.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kz;

namespace {

constexpr auto bytesOf = &test::readBytes;

// A data folder with the criteria of 25 levels and a few results of level 2, and the
// editor opened over it by a teacher.
struct Fixture : test::ScreenContext {
    QTemporaryDir dir;
    std::unique_ptr<CriteriaEditorScreen> screen;

    Fixture() {
        initRunState(*state);
        buildLevelCatalogue(*state);
        state->student.currentName = "田中先生";
        state->settings.installation.programDataFolder = dir.path() + "/";
        QList<std::array<QString, 12>> rows;
        for (int level = 1; level <= 25; ++level)
            rows.append(
                {QString::number(30 + level), "90", "10", "3", "1", "20", "100", "7", "1", "", "", ""});
        if (const Status saved = savePassCriteria(criteriaPath(), rows); !saved)
            qWarning("%s", qPrintable(saved.error().text()));
        (void)loadPassCriteria(criteriaPath(), &state->tables.criteria);
        for (qint32 t : {42, 47, 51, 99999})
            (void)appendResult(state->settings.installation.resultsPath(),
                               makeResultRecord(clock.now(), 17, 2, t, u"12345"));
        screen = std::make_unique<CriteriaEditorScreen>(context);
        screen->setAttribute(Qt::WA_DeleteOnClose, false);
        screen->show();
    }
    QString criteriaPath() const { return state->settings.installation.criteriaPath(); }
    QLineEdit* input() const { return screen->findChild<QLineEdit*>("Gridinputtext"); }
    QTableWidgetItem* cell(int row, int column) const {
        return screen->findChild<QTableWidget*>("MSFlexGrid1")->item(row - 1, column);
    }
    QListWidget* list(const char* name) const { return screen->findChild<QListWidget*>(name); }
    void type(const QString& keys) { QTest::keyClicks(input(), keys); }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(input(), k, m); }
};

} // namespace

class TestCriteriaEditorScreen : public QObject {
    Q_OBJECT
private slots:
    void opensOnLevelOne();
    void typedChangeAsksAndNoLeavesFileAlone();
    void copyingDownLeavesWithoutAsking();
    void saveIsUsedAtOnce();
    void failedSaveStaysWithTheEdits();
};

void TestCriteriaEditorScreen::opensOnLevelOne() {
    Fixture f;
    QCOMPARE(f.input()->text(), QString("31"));
    QCOMPARE(f.screen->findChild<QLabel*>("Label3")->text(),
             QStringLiteral("合格基準タイム\n　大部分の人ががんばったら出せそうなタイムにしてください"));
    QCOMPARE(f.list("List3")->count(), 102);
    QCOMPARE(f.list("List3")->item(0)->text(), QStringLiteral("レベル1 今まで0回  （★=1）"));
    // A click on level 2's cell shows its results: 42, 47 and 51 s and a time-out.
    f.screen->clickCell(2, 2);
    QCOMPARE(f.input()->text(), QString("90"));
    QCOMPARE(f.list("List3")->item(0)->text(), QStringLiteral("レベル2 今まで4回  （★=1）"));
    QCOMPARE(f.list("List3")->item(5)->text(), QStringLiteral("  40～★★"));
    QCOMPARE(f.list("List4")->item(5)->text(), QStringLiteral("  40～★"));
    QVERIFY(
        f.screen->findChild<QLabel*>("Label3")->text().startsWith(QStringLiteral("合格最低ラインタイム")));
}

void TestCriteriaEditorScreen::typedChangeAsksAndNoLeavesFileAlone() {
    Fixture f;
    const QByteArray before = bytesOf(f.criteriaPath());
    f.key(Qt::Key_Down);
    f.key(Qt::Key_Right);
    f.type("5");
    QCOMPARE(f.cell(2, 2)->text(), QString("905"));
    QCOMPARE(f.cell(2, 2)->background().color(), QColor(255, 255, 0));
    f.key(Qt::Key_Right);
    f.type(" ");
    QCOMPARE(f.cell(2, 3)->text(), QString());
    QCOMPARE(f.input()->text(), QString());
    QVERIFY(test::saveScreenshot(f.screen.get(), "criteria_editor_changed"));
    // "元に戻す": the file's values without marks; leaving still asks.
    f.screen->findChild<QPushButton*>("Command2")->click();
    QCOMPARE(f.cell(2, 2)->text(), QString("90"));
    QCOMPARE(f.cell(2, 2)->background().color(), QColor(255, 255, 255));
    f.messages.answer = MessageBox::Answer::No;
    f.screen->findChild<QPushButton*>("Command4")->click();
    QCOMPARE(f.messages.shown.size(), 1);
    QCOMPARE(f.messages.shown[0].title, QStringLiteral("注意"));
    QCOMPARE(f.messages.shown[0].text, QStringLiteral("データが変更されています。記録しますか？"));
    QCOMPARE(f.navigator.calls, QStringList{"showLevelMenu"});
    QCOMPARE(bytesOf(f.criteriaPath()), before);
}

void TestCriteriaEditorScreen::copyingDownLeavesWithoutAsking() {
    Fixture f;
    f.key(Qt::Key_Down);
    for (int i = 0; i < 3; ++i)
        f.key(Qt::Key_Down, Qt::ShiftModifier);
    for (int row = 2; row <= 5; ++row) {
        QCOMPARE(f.cell(row, 1)->text(), QString("32"));
        QCOMPARE(f.cell(row, 1)->background().color(), QColor(255, 255, 255));
    }
    f.screen->goBack();
    QVERIFY(f.messages.shown.isEmpty());
    QCOMPARE(f.navigator.calls, QStringList{"showLevelMenu"});
}

void TestCriteriaEditorScreen::saveIsUsedAtOnce() {
    Fixture f;
    f.screen->clickCell(4, 2);
    f.type(" 45");
    QVERIFY(f.screen->save());
    QCOMPARE(f.state->tables.criteria[4].minimumTime, 45);
    QCOMPARE(f.state->tables.criteria[4].timeLimit(), 225);
    QVERIFY(bytesOf(f.criteriaPath()).contains("\r\n34,45,10,3,1,20,100,7,1,,,\r\n"));
    QCOMPARE(f.cell(4, 2)->background().color(), QColor(255, 255, 0)); // marks stay
    f.screen->goBack();
    QVERIFY(f.messages.shown.isEmpty());
}

void TestCriteriaEditorScreen::failedSaveStaysWithTheEdits() {
    Fixture f;
    const QByteArray before = bytesOf(f.criteriaPath());
    f.screen->clickCell(3, 5);
    f.type(" 1,5");
    f.messages.answer = MessageBox::Answer::Yes;
    f.screen->goBack();
    QCOMPARE(f.messages.shown.size(), 2); // the question, then why nothing was written
    QVERIFY(f.messages.shown[1].text.contains(QStringLiteral("記録できませんでした")));
    QVERIFY(f.navigator.calls.isEmpty());
    QVERIFY(!f.screen->waitPanelShown());
    QCOMPARE(f.cell(3, 5)->text(), QString("1,5"));
    QCOMPARE(bytesOf(f.criteriaPath()), before);
}

QTEST_MAIN(TestCriteriaEditorScreen)
#include "tst_criteriaeditorscreen_gui.moc"
