#include "core/gui/fatalsound.h"
#include "core/runstate.h"
#include "core/soundcues.h"
#include "platform/gui/messagebox.h"
#include "platform/sdlsoundplayer.h"
#include "support/fakes.h"
#include "support/soundtestsupport.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

using namespace kz;

namespace {

// Keeps a log of the order in which things happen, from any thread.
struct EventLog {
    std::mutex mutex;
    QStringList entries;
    void add(const QString& entry) {
        const std::lock_guard lock(mutex);
        entries << entry;
    }
    QStringList all() {
        const std::lock_guard lock(mutex);
        return entries;
    }
};

// The real player, with the start and end of every play logged.
class LoggedPlayer final : public SoundPlayer {
public:
    explicit LoggedPlayer(EventLog& log) : log_(log) {}
    std::atomic<bool> playing{false};
    std::atomic<int> started{0};
    Status playFile(const QString& path) override {
        log_.add(QStringLiteral("play start"));
        playing = true;
        ++started;
        const Status result = real_.playFile(path);
        playing = false;
        log_.add(QStringLiteral("play end"));
        return result;
    }

private:
    EventLog& log_;
    SdlSoundPlayer real_;
};

// A screen that answers a key as the drill does: "a" is a right answer with its cue.
class AnswerScreen final : public QWidget {
public:
    AnswerScreen(EventLog& log, Cues& cues) : log_(log), cues_(cues) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        log_.add(QStringLiteral("key ") + event->text());
        if (event->text() == QStringLiteral("a"))
            cues_.playRightSound();
    }

private:
    EventLog& log_;
    Cues& cues_;
};

void postKey(QWidget* target, char c) {
    const QString text(QChar::fromLatin1(c));
    QCoreApplication::postEvent(target,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_A + (c - 'a'), Qt::NoModifier, text));
}

} // namespace

class TestSoundInputGui : public QObject {
    Q_OBJECT
private slots:
    void keysDuringPlaybackWaitForItsEnd();
    void fatalHandlerTellsAndQuitsThroughTheNavigator();
};

void TestSoundInputGui::keysDuringPlaybackWaitForItsEnd() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(kz::test::writeToneWav(dir.filePath("pinpon.wav"), {22050, 16, 0.4, 660.0}));
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(dir.filePath("played.raw")));

    auto state = std::make_unique<RunState>();
    state->settings.installation.soundFolder = dir.path() + u'/';
    state->settings.soundTable.kinds[2].files[1] = QStringLiteral("pinpon");
    state->settings.soundTable.kinds[2].count = 1;
    EventLog log;
    LoggedPlayer player(log);
    kz::test::ScriptedRandom random;
    SoundCues cues(*state, player, random, {});
    AnswerScreen screen(log, cues);
    screen.resize(1024, 768);
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));

    // The keys the student types while the sound plays come in from outside the
    // interface thread, which is busy playing.
    std::atomic<bool> postedWhilePlaying{false};
    std::thread typist([&] {
        while (player.started == 0)
            std::this_thread::yield();
        postKey(&screen, 'b');
        postKey(&screen, 'c');
        postedWhilePlaying = player.playing.load();
        log.add(QStringLiteral("typed"));
    });
    postKey(&screen, 'a');
    QTRY_VERIFY_WITH_TIMEOUT(log.all().contains(QStringLiteral("key c")), 10000);
    typist.join();

    QVERIFY(postedWhilePlaying);
    QCOMPARE(log.all(), (QStringList{"key a", "play start", "typed", "play end", "key b", "key c"}));
    QCOMPARE(cues.consecutiveFailures(), 0);
}

void TestSoundInputGui::fatalHandlerTellsAndQuitsThroughTheNavigator() {
    PresetMessageBox messages;
    test::RecordingNavigator navigator;
    QWidget window;
    window.show();
    const SoundFatalHandler handler = makeSoundFatalHandler(messages, &navigator);
    handler(soundFailureMessage(QStringLiteral("装置なし")));
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].title, QStringLiteral("音声エラー"));
    QCOMPARE(messages.shown[0].text, QStringLiteral("音声がでません。先生を呼びなさい。\n装置なし"));
    QCOMPARE(navigator.exitCodes, QList<int>{kSoundFailureExitCode});
    QVERIFY(kSoundFailureExitCode != 0);
    QVERIFY(window.isVisible()); // closing the windows is the navigator's part
}

QTEST_MAIN(TestSoundInputGui)
#include "tst_soundinput_gui.moc"
