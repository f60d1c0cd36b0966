#include "admin/gui/recordbrowserscreen.h"
#include "core/catalogue.h"
#include "core/runstate.h"
#include "data/textio.h"
#include "platform/gui/messagebox.h"
#include "support/fakes.h"
#include "support/screencontext.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kz;

namespace {

ResultRecord rec(int bangou, qint32 time, int level = 2) {
    return makeResultRecord(QDateTime(QDate(2004, 3, 15), QTime(14, 30, 0)), static_cast<qint16>(bangou),
                            static_cast<qint16>(level), time, u"12345");
}

// A school whose results file holds the given records; the browser opened on it.
struct Fixture : test::ScreenContext {
    QTemporaryDir dir;

    explicit Fixture(const QList<ResultRecord>& records) {
        initRunState(*state);
        Installation& inst = state->settings.installation;
        inst.dataRoot = dir.path() + "/";
        inst.programDataFolder = dir.path() + "/";
        inst.schoolYearStartMonth = 4;
        inst.siteCode = "12345";
        inst.siteName = "さくら塾";
        QVERIFY(writeCp932Lines(inst.rosterPath(), {"17,1994,0,0,テスト,0,,", "21,1993,0,0,鈴木一郎,0,,",
                                                    "5,1970,0,0,先生★,1,,"})
                    .ok());
        QByteArray bytes;
        for (const ResultRecord& r : records)
            bytes += encodeResultRecord(r);
        writeResults(bytes);
    }
    void writeResults(const QByteArray& bytes) {
        QFile f(state->settings.installation.resultsPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray results() const {
        QFile f(state->settings.installation.resultsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    std::unique_ptr<RecordBrowserScreen> open() {
        auto screen = std::make_unique<RecordBrowserScreen>(context);
        screen->show();
        return screen;
    }
};

template <typename T> T* child(QWidget* parent, const QString& name) {
    T* found = parent->findChild<T*>(name);
    if (!found)
        qWarning("no %s", qPrintable(name));
    return found;
}

void doubleClickRow(RecordBrowserScreen& screen, int row) {
    auto* list = child<QListView>(&screen, "List1");
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    const QPoint at = list->visualRect(index).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

QString lineText(RecordBrowserScreen& screen, int row) {
    return child<QListView>(&screen, "List1")->model()->index(row, 0).data().toString();
}

} // namespace

class TestRecordBrowserScreen : public QObject {
    Q_OBJECT
private slots:
    void doubleClickOpensTheEditPanel();
    void removeAsksFirstAndSelectsTheFollowingLine();
    void changeWritesTimeAndStudent();
    void removingTheLastRecordClosesThePanel();
    void backLeadsToANewLevelMenu();
};

void TestRecordBrowserScreen::doubleClickOpensTheEditPanel() {
    Fixture fx({rec(17, 95), rec(21, 99999, 25), rec(5, 40)});
    auto screen = fx.open();
    auto* list = child<QListView>(screen.get(), "List1");
    QVERIFY(list->isVisible());
    QCOMPARE(list->model()->rowCount(), 3);
    QVERIFY(lineText(*screen, 0)
                .startsWith(QStringLiteral("   1 2004/03/15　 14:30:00ﾚﾍﾞﾙ2　   95秒 　  17 テスト")));
    QVERIFY(!child<QPushButton>(screen.get(), "Command3")->isEnabled());

    doubleClickRow(*screen, 1);
    QVERIFY(screen->editPanelOpen());
    QCOMPARE(child<QLabel>(screen.get(), "Label1")->text(), QStringLiteral("2"));
    QCOMPARE(child<QLabel>(screen.get(), "Label2_1")->text(), QStringLiteral("ﾚﾍﾞﾙ25"));
    QCOMPARE(child<QLabel>(screen.get(), "Label2_2")->text(), QStringLiteral("2004/03/15"));
    QCOMPARE(child<QLabel>(screen.get(), "Label2_4")->text(), QStringLiteral("小４"));
    // A timed-out attempt: the true time in the box, the bar at its end.
    QCOMPARE(child<QLineEdit>(screen.get(), "Text1_1")->text(), QStringLiteral("99999"));
    auto* bar = child<QScrollBar>(screen.get(), "VScroll1");
    QCOMPARE(bar->value(), 6000);
    QCOMPARE(child<QComboBox>(screen.get(), "Combo1")->currentText(), QStringLiteral("21 /  鈴木一郎"));
    // The drop-down opens on the record's own student, not on the roster's first entry.
    auto* combo = child<QComboBox>(screen.get(), "Combo1");
    QCOMPARE(combo->itemText(combo->currentIndex()), QStringLiteral("21 /  鈴木一郎"));
    QVERIFY(combo->currentIndex() > 0);
    QVERIFY(child<QPushButton>(screen.get(), "Command3")->isEnabled());
    QVERIFY(test::saveScreenshot(screen.get(), "recordbrowser_editpanel"));

    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(child<QLineEdit>(screen.get(), "Text1_1")->text(), QStringLiteral("0"));
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(child<QLineEdit>(screen.get(), "Text1_1")->text(), QStringLiteral("10"));

    // "キャンセル" closes the panel; so does a click on another line.
    QTest::mouseClick(child<QPushButton>(screen.get(), "Command6"), Qt::LeftButton);
    QVERIFY(!screen->editPanelOpen());
    doubleClickRow(*screen, 0);
    QVERIFY(screen->editPanelOpen());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(2, 0)).center());
    QVERIFY(!screen->editPanelOpen());
}

void TestRecordBrowserScreen::removeAsksFirstAndSelectsTheFollowingLine() {
    Fixture fx({rec(17, 95), rec(21, 80), rec(5, 40)});
    const QByteArray before = fx.results();
    auto screen = fx.open();
    doubleClickRow(*screen, 1);
    auto* remove = child<QPushButton>(screen.get(), "Command3");

    fx.messages.answer = MessageBox::Answer::Cancel;
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(fx.messages.shown.size(), 1);
    QCOMPARE(fx.messages.shown[0].title, QStringLiteral("注意"));
    QCOMPARE(fx.messages.shown[0].text, QStringLiteral("本当に消去しますか"));
    QCOMPARE(fx.results(), before);
    QVERIFY(!QFile::exists(fx.state->settings.installation.resultsTempPath()));

    fx.messages.answer = MessageBox::Answer::Ok;
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(fx.results(), before.left(44) + before.mid(88));
    QCOMPARE(child<QListView>(screen.get(), "List1")->model()->rowCount(), 2);
    QCOMPARE(screen->selectedRow(), 1);
    QVERIFY(lineText(*screen, 1).startsWith(QStringLiteral("   2 ")));
    QVERIFY(lineText(*screen, 1).contains(QStringLiteral("   5 先生★")));
    QVERIFY(!screen->editPanelOpen());
    QCOMPARE(fx.messages.shown.size(), 2);
}

void TestRecordBrowserScreen::changeWritesTimeAndStudent() {
    Fixture fx({rec(17, 95), rec(17, 120)});
    const QByteArray before = fx.results();
    auto screen = fx.open();
    doubleClickRow(*screen, 1);
    auto* combo = child<QComboBox>(screen.get(), "Combo1");
    // A typed name without its number is refused; the panel stays open for a correction.
    combo->setEditText("テスト");
    QTest::mouseClick(child<QPushButton>(screen.get(), "Command2"), Qt::LeftButton);
    QCOMPARE(fx.messages.shown.size(), 1);
    QCOMPARE(fx.results(), before);
    QVERIFY(screen->editPanelOpen());

    QCOMPARE(combo->count(), 3); // every roster entry, the unlisted teacher too
    QCOMPARE(combo->itemText(1), QStringLiteral("21 /  鈴木一郎"));
    combo->setCurrentIndex(1);
    QCOMPARE(child<QLabel>(screen.get(), "Label2_4")->text(), QStringLiteral("小４"));
    child<QLineEdit>(screen.get(), "Text1_1")->setText("80");
    QTest::mouseClick(child<QPushButton>(screen.get(), "Command2"), Qt::LeftButton);
    const ResultRecord changed = decodeResultRecord(fx.results().constData() + 44);
    QCOMPARE(changed.bangou, 21);
    QCOMPARE(changed.recordedTime, 80);
    QCOMPARE(screen->selectedRow(), 1);
    QVERIFY(!screen->editPanelOpen());
    QVERIFY(lineText(*screen, 1).contains(QStringLiteral("   80秒 　  21 鈴木一郎")));
    QCOMPARE(fx.messages.shown.size(), 1);
}

void TestRecordBrowserScreen::removingTheLastRecordClosesThePanel() {
    Fixture fx({rec(17, 95)});
    auto screen = fx.open();
    doubleClickRow(*screen, 0);
    QTest::mouseClick(child<QPushButton>(screen.get(), "Command3"), Qt::LeftButton);
    QCOMPARE(fx.results(), QByteArray());
    QCOMPARE(child<QListView>(screen.get(), "List1")->model()->rowCount(), 0);
    QCOMPARE(screen->selectedRow(), -1);
    QVERIFY(!screen->editPanelOpen());
}

void TestRecordBrowserScreen::backLeadsToANewLevelMenu() {
    Fixture fx({rec(17, 95)});
    auto* screen = new RecordBrowserScreen(fx.context);
    screen->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<RecordBrowserScreen> alive(screen);
    // As the program's navigator does: the browser goes once the new level menu is up.
    fx.navigator.onCall = [&alive](const QString&) {
        if (alive)
            alive->close();
    };
    screen->show();
    QTest::mouseClick(child<QPushButton>(screen, "Command4"), Qt::LeftButton);
    QCOMPARE(fx.navigator.calls, QStringList{"showLevelMenu"});
    QTRY_VERIFY(alive.isNull());
}

QTEST_MAIN(TestRecordBrowserScreen)
#include "tst_recordbrowserscreen_gui.moc"
