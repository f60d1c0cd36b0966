// What a student sees while the program waits, grabbed from outside the program on a
// real X server (Xvfb, xcb platform, no window manager): the name screen and the level
// menu show their wait panel while the results file is held up (as by another station),
// and the drill screen shows the correct answer in red while the wrong-answer sound plays. The offscreen
// platform cannot show this: it has no window system to hand the pictures to. The
// program runs with main()'s wiring; the grab notices from outside when it is held up.
#include "app/appnavigator.h"
#include "app/programwiring.h"
#include "core/gui/screenkit.h"
#include "core/runstate.h"
#include "support/demoprogram.h"
#include "support/fakes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <thread>
#include <unistd.h>

using namespace kz;

namespace {

QString gDisplay; // ":N" of the X server this test started; empty when none could start

// Starts Xvfb on the first free display from :91.
class XServer {
public:
    bool start() {
        for (int n = 91; n < 140; ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)) ||
                QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
                continue;
            process_.start(QStringLiteral("Xvfb"), {QStringLiteral(":%1").arg(n), QStringLiteral("-screen"),
                                                    QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                                                    QStringLiteral("-nolisten"), QStringLiteral("tcp")});
            if (!process_.waitForStarted(5000))
                return false;
            for (int i = 0; i < 100 && process_.state() == QProcess::Running; ++i) {
                if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) {
                    display_ = QStringLiteral(":%1").arg(n);
                    return true;
                }
                QThread::msleep(50);
            }
            process_.kill();
            process_.waitForFinished();
        }
        return false;
    }
    ~XServer() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            process_.waitForFinished(5000);
        }
    }
    QString display() const { return display_; }

private:
    QProcess process_;
    QString display_;
};

// An XWD dump of the whole screen (ZPixmap, 24/32 bits) as an image.
QImage readXwd(const QByteArray& d) {
    const auto u32 = [&](int field) {
        const auto* p = reinterpret_cast<const unsigned char*>(d.constData()) + field * 4;
        return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
    };
    if (d.size() < 100)
        return {};
    const quint32 headerSize = u32(0), width = u32(4), height = u32(5), byteOrder = u32(7), bpp = u32(11),
                  bytesPerLine = u32(12), colours = u32(19);
    const qint64 start = qint64(headerSize) + qint64(colours) * 12;
    // Pixels of three or four bytes, blue first (LSB first) or last.
    const quint32 pixelBytes = bpp / 8;
    if ((pixelBytes != 3 && pixelBytes != 4) || qint64(pixelBytes) * width > bytesPerLine ||
        d.size() < start + qint64(bytesPerLine) * height)
        return {};
    QImage image(int(width), int(height), QImage::Format_RGB32);
    for (quint32 y = 0; y < height; ++y) {
        const auto* row =
            reinterpret_cast<const unsigned char*>(d.constData()) + start + qint64(y) * bytesPerLine;
        for (quint32 x = 0; x < width; ++x) {
            const unsigned char* p = row + x * pixelBytes;
            const unsigned char* q = p + pixelBytes - 3; // MSB first: skip the pad byte
            image.setPixel(int(x), int(y), byteOrder == 0 ? qRgb(p[2], p[1], p[0]) : qRgb(q[0], q[1], q[2]));
        }
    }
    return image;
}

// Holds the results file up as another station's lock does on a share: a write lease on
// it makes every open of it answer "try again" (EAGAIN), so the program waits and tries
// again, keeping its screens alive. The lease shows when somebody tried to open the file.
class HeldResults {
public:
    explicit HeldResults(const QString& path) {
        ::signal(SIGIO, SIG_IGN); // the lease's notice to this process; polled below instead
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
        if (fd_ >= 0 && ::fcntl(fd_, F_SETLEASE, F_WRLCK) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~HeldResults() { release(); }
    bool holding() const { return fd_ >= 0; }
    // True once somebody has tried to open the file: the lease is being broken.
    bool triedByProgram() const { return fd_ >= 0 && ::fcntl(fd_, F_GETLEASE) != F_WRLCK; }
    void release() {
        if (fd_ < 0)
            return;
        (void)::fcntl(fd_, F_SETLEASE, F_UNLCK);
        ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

// Grabs the screen from another thread once the program waits, then runs release()
// (which ends the wait). The program is waiting once arm() has been called from it, or,
// with held results, once it has tried to open them.
class OutsideGrab {
public:
    explicit OutsideGrab(std::function<void()> release, HeldResults* held = nullptr)
        : release_(std::move(release)), held_(held) {
        thread_ = std::thread([this] {
            for (int i = 0; i < 1500 && !armed_; ++i) {
                if (held_ && held_->triedByProgram())
                    armed_ = true;
                else
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            if (armed_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                QProcess xwd;
                xwd.start(QStringLiteral("xwd"), {QStringLiteral("-root"), QStringLiteral("-silent"),
                                                  QStringLiteral("-display"), gDisplay});
                if (xwd.waitForFinished(10000))
                    dump_ = xwd.readAllStandardOutput();
                if (dump_.isEmpty())
                    qWarning("xwd gave nothing: %s", xwd.readAllStandardError().constData());
            }
            if (release_)
                release_();
        });
    }
    ~OutsideGrab() { finish(); }
    void arm() { armed_ = true; }
    QImage finish() {
        if (thread_.joinable())
            thread_.join();
        return readXwd(dump_);
    }

private:
    std::function<void()> release_;
    HeldResults* held_;
    std::atomic<bool> armed_{false};
    QByteArray dump_;
    std::thread thread_;
};

// A player whose sound lasts until the grab is over, like a long school sound.
class HeldPlayer final : public SoundPlayer {
public:
    std::function<void()> whilePlaying;
    Status playFile(const QString&) override {
        if (whilePlaying)
            whilePlaying();
        return {};
    }
};

bool near(QRgb a, QColor b) {
    return qAbs(qRed(a) - b.red()) + qAbs(qGreen(a) - b.green()) + qAbs(qBlue(a) - b.blue()) < 30;
}

// The wait panel fills the window with the season colour and carries a line of text
// across its middle; an unpainted window is black.
QString waitPanelProblem(const QImage& window, QColor season) {
    for (QPoint p : {QPoint(5, 5), QPoint(1015, 200), QPoint(5, 700), QPoint(900, 600)}) {
        if (!near(window.pixel(p), season))
            return QStringLiteral("(%1,%2) is not the panel's colour").arg(p.x()).arg(p.y());
    }
    int text = 0;
    for (int y = 300; y < 360; ++y)
        for (int x = 0; x < window.width(); ++x)
            text += near(window.pixel(x, y), season) ? 0 : 1;
    return text > 300 ? QString() : QStringLiteral("no text across the middle");
}

// Keeps a grab as waitpaint_<name>.png in KZ_SCREENSHOT_DIR, when that is set.
void saveGrab(const QImage& image, const QString& name) {
    const QString folder = qEnvironmentVariable("KZ_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    image.save(QDir(folder).filePath(QStringLiteral("waitpaint_%1.png").arg(name)));
}

} // namespace

class TestWaitPaint : public QObject {
    Q_OBJECT
private slots:
    void grabsDuringWaits();
};

void TestWaitPaint::grabsDuringWaits() {
    if (gDisplay.isEmpty())
        QSKIP("Xvfb could not be started; the screens were not grabbed");
    test::DemoProgram demo;
    QVERIFY2(demo.ready(), qPrintable(demo.failure()));
    auto& [school, clock, random, messages, run, state] = demo;
    random.values = {0.1, 0.3, 0.5, 0.7, 0.9};
    HeldPlayer held;
    test::RefusingLauncher launcher;
    const QColor season = kit::colour(state->levelMenu.seasonColour);
    const QString results = state->settings.installation.resultsPath();

    ProgramWiring wiring(run, {clock, random, messages, held, launcher, {}});
    AppNavigator& navigator = wiring.navigator();

    // 1. The name screen reads the results held up: its wait panel is on the screen.
    {
        HeldResults holder(results);
        QVERIFY(holder.holding());
        OutsideGrab g([&] { holder.release(); }, &holder);
        navigator.showNameScreen();
        QWidget* names = navigator.nameScreen();
        QVERIFY(names);
        const QImage whole = g.finish();
        const QImage shot = whole.copy(names->geometry());
        saveGrab(shot, QStringLiteral("names"));
        const QString problem = waitPanelProblem(shot, season);
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("name screen: ") + problem));
    }

    // 2. A name confirmed: the level menu's activation reads the results held up.
    auto* list = navigator.nameScreen()->findChild<QListWidget*>(QStringLiteral("List1"));
    list->setCurrentRow(5);
    emit list->itemClicked(list->item(5));
    {
        HeldResults holder(results);
        QVERIFY(holder.holding());
        OutsideGrab g([&] { holder.release(); }, &holder);
        QTest::keyClick(list, Qt::Key_1);
        QTRY_VERIFY_WITH_TIMEOUT(navigator.levelMenu() && navigator.levelMenu()->isActivated(), 30000);
        const QImage shot = g.finish().copy(navigator.levelMenu()->geometry());
        saveGrab(shot, QStringLiteral("levelmenu"));
        const QString problem = waitPanelProblem(shot, season);
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("level menu: ") + problem));
    }

    // 3. A wrong answer: the correct answer is red on the screen while the sound plays.
    QTest::keyClick(navigator.levelMenu(), Qt::Key_1);
    QTRY_VERIFY_WITH_TIMEOUT(navigator.drillScreen() && navigator.drillScreen()->isActivated(), 30000);
    DrillScreen* drill = navigator.drillScreen();
    QWidget* correct = drill->findChild<QWidget*>(QStringLiteral("seitouLabel"));
    QVERIFY(correct);
    const QRect answerArea(correct->mapTo(drill, QPoint(0, 0)), correct->size());
    {
        std::atomic<bool> released{false};
        OutsideGrab g([&] { released = true; });
        held.whilePlaying = [&] {
            g.arm();
            while (!released)
                QThread::msleep(20); // the program is blocked in its sound, as with a real one
        };
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(drill, Qt::Key_9);
        QTest::keyClick(drill, Qt::Key_Space);
        held.whilePlaying = nullptr;
        const QImage shot = g.finish().copy(drill->geometry());
        saveGrab(shot, QStringLiteral("drill"));
        int red = 0;
        for (int y = answerArea.top(); y <= answerArea.bottom(); ++y)
            for (int x = answerArea.left(); x <= answerArea.right(); ++x)
                red += near(shot.pixel(x, y), QColor(255, 0, 0)) ? 1 : 0;
        QVERIFY2(red > 100, "the correct answer was not on the screen during the wrong-answer sound");
    }
}

int main(int argc, char* argv[]) {
    XServer server;
    if (server.start()) {
        gDisplay = server.display();
        qputenv("DISPLAY", gDisplay.toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    TestWaitPaint test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_waitpaint_gui.moc"
