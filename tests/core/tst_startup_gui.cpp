#include "core/gui/splashscreen.h"
#include "core/gui/startupsteps.h"
#include "core/gui/versionwindow.h"
#include "core/gui/waitwindow.h"
#include "core/programrun.h"
#include "core/runstate.h"
#include "platform/gui/messagebox.h"
#include "support/demoschool.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace kz;

namespace {
QString labelText(QWidget* w, const char* name) {
    auto* label = w->findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing>");
}
} // namespace

class TestStartupGui : public QObject {
    Q_OBJECT
private slots:
    void splashShowsDateAndRunsStepOnce();
    void splashWaitsForLoad();
    void splashPreparesWhileTimerCounts_data();
    void splashPreparesWhileTimerCounts();
    void waitingWindow();
    void versionWindow();
    void versionWindowIsCentredOverParent();
    void resolveAndReportOnDemoSchool();
    void resolveAndReportNamesMissingFile();
};

void TestStartupGui::splashShowsDateAndRunsStepOnce() {
    int calls = 0;
    QPointer<SplashScreen> splash = new SplashScreen(QDate(2004, 3, 15), {}, [&] { ++calls; });
    auto* timer = splash->findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 100);
    QVERIFY(!timer->isActive());
    splash->load();
    QVERIFY(splash->isVisible());
    QCOMPARE(labelText(splash, "Label1"), QStringLiteral("Just a moment, please."));
    QCOMPARE(labelText(splash, "Label5"), QStringLiteral("平成16年 3月 15日（月）"));
    auto* image = splash->findChild<QLabel*>(QStringLiteral("Image1"));
    QVERIFY(image);
    QCOMPARE(image->pixmap().size(), QSize(640, 480));
    QVERIFY(test::saveScreenshot(splash, QStringLiteral("Firstfrm")));
    QVERIFY(timer->isActive());
    QTRY_COMPARE(calls, 1);
    // The splash closes itself after its step and runs it only once.
    QTRY_VERIFY(splash.isNull());
    QTest::qWait(250);
    QCOMPARE(calls, 1);
}

void TestStartupGui::splashWaitsForLoad() {
    int calls = 0;
    SplashScreen* splash = new SplashScreen(QDate(2026, 2, 16), {}, [&] { ++calls; });
    QTest::qWait(250);
    QCOMPARE(calls, 0);
    delete splash;
}

void TestStartupGui::splashPreparesWhileTimerCounts_data() {
    QTest::addColumn<int>("preparingMs"); // how long prepare keeps the event loop running
    QTest::addColumn<bool>("prepared");   // what prepare returns
    QTest::newRow("done before the timer") << 0 << true;
    QTest::newRow("a message open when the timer fires") << 300 << true;
    QTest::newRow("start failed") << 0 << false;
    QTest::newRow("start failed after the timer") << 300 << false;
}

void TestStartupGui::splashPreparesWhileTimerCounts() {
    QFETCH(int, preparingMs);
    QFETCH(bool, prepared);
    int prepares = 0;
    int startups = 0;
    bool timerCountingWhilePreparing = false;
    bool startedWhilePreparing = false;
    QPointer<SplashScreen> splash;
    splash = new SplashScreen(
        QDate(2026, 12, 10),
        [&] {
            ++prepares;
            timerCountingWhilePreparing = splash->findChild<QTimer*>(QStringLiteral("Timer1"))->isActive();
            if (preparingMs > 0)
                QTest::qWait(preparingMs); // as a message box's own loop does
            startedWhilePreparing = startups > 0;
            return prepared;
        },
        [&] {
            ++startups;
            QVERIFY(splash && splash->isVisible()); // shown over the splash, which then closes
        });
    splash->load();
    QCOMPARE(prepares, 0); // from the event loop, once the splash is painted
    QTRY_VERIFY(splash.isNull());
    QCOMPARE(prepares, 1);
    QVERIFY(timerCountingWhilePreparing);
    QVERIFY(!startedWhilePreparing);
    QCOMPARE(startups, prepared ? 1 : 0);
    QTest::qWait(250);
    QCOMPARE(prepares, 1);
    QCOMPARE(startups, prepared ? 1 : 0);
}

void TestStartupGui::waitingWindow() {
    QPointer<WaitWindow> wait = new WaitWindow;
    wait->showAndPaint();
    QVERIFY(wait->isVisible());
    QCOMPARE(labelText(wait, "Label19"), QStringLiteral("Just a moment, please."));
    QVERIFY(test::saveScreenshot(wait, QStringLiteral("BASEFRM")));
    wait->close();
    QTRY_VERIFY(wait.isNull()); // discarded when closed
}

void TestStartupGui::versionWindow() {
    VersionWindow window(QStringLiteral("カズリンその２"));
    QCOMPARE(window.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    QVERIFY(window.isModal());
    QCOMPARE(labelText(&window, "Label1"), QStringLiteral("カズリンその２"));
    QCOMPARE(labelText(&window, "Label2"), QStringLiteral("Version1.0.1"));
    QCOMPARE(labelText(&window, "Label4"), QStringLiteral("Tsubomi7"));
    QVERIFY(window.findChild<QFrame*>(QStringLiteral("Shape1")));
    auto* ok = window.findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* other = window.findChild<QPushButton*>(QStringLiteral("Command2"));
    QVERIFY(ok && other);
    QCOMPARE(ok->text(), QStringLiteral("O.K."));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(test::saveScreenshot(&window, QStringLiteral("frmver")));
    other->click();
    QVERIFY(window.isVisible());
    ok->click();
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Accepted));
}

void TestStartupGui::versionWindowIsCentredOverParent() {
    QWidget parent;
    parent.setGeometry(100, 50, 1024, 768);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    // Close the modal window as soon as it is up.
    QTimer::singleShot(0, [] {
        if (auto* w = qobject_cast<VersionWindow*>(QApplication::activeModalWidget())) {
            QVERIFY(qAbs(w->frameGeometry().center().x() - w->parentWidget()->frameGeometry().center().x()) <=
                    2);
            QVERIFY(qAbs(w->frameGeometry().center().y() - w->parentWidget()->frameGeometry().center().y()) <=
                    2);
            w->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        }
    });
    VersionWindow::showModal(QStringLiteral("カズリンその２"), &parent);
}

void TestStartupGui::resolveAndReportOnDemoSchool() {
    QTemporaryDir dir;
    const QString failure = test::makeDemoSchool(dir.path());
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    test::FakeClock clock;
    ProgramRun run(clock);
    PresetMessageBox boxes;
    QVERIFY(resolveAndReport(dir.filePath(QStringLiteral("kazurin2")), run, boxes, nullptr));
    QCOMPARE(boxes.shown.size(), 0);
    QCOMPARE(run.state().catalogue.programTitle, QStringLiteral("カズリンその２"));

    // A notice (here: the criteria file gone) does not hold the program up for ever.
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("data/kazurin2/タイム回数データ.txt"))));
    QVERIFY(resolveAndReport(dir.filePath(QStringLiteral("kazurin2")), run, boxes, nullptr));
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].closeAfterMs, kStartupNoticeCloseMs);
}

void TestStartupGui::resolveAndReportNamesMissingFile() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("kazurin2")));
    test::FakeClock clock;
    ProgramRun run(clock);
    PresetMessageBox boxes;
    QVERIFY(!resolveAndReport(dir.filePath(QStringLiteral("kazurin2")), run, boxes, nullptr));
    QCOMPARE(boxes.shown.size(), 1);
    QVERIFY(boxes.shown[0].text.contains(dir.filePath(QStringLiteral("パスデータ.txt"))));
    QCOMPARE(boxes.shown[0].closeAfterMs, 0); // the program cannot start: the box waits for OK
}

QTEST_MAIN(TestStartupGui)
#include "tst_startup_gui.moc"
