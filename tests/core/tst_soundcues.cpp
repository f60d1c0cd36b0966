#include "core/runstate.h"
#include "core/soundcues.h"
#include "platform/sdlsoundplayer.h"
#include "support/soundtestsupport.h"
#include "support/testsupport.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kz;
using kz::test::ScriptedPlayer;
using kz::test::ScriptedRandom;

namespace {

const QString kFolder = QStringLiteral("/data/音フォルダ/");

void configure(SoundTable& table, int kind, const QStringList& names, int count) {
    table.kinds[kind].files = {};
    for (int s = 0; s < names.size(); ++s)
        table.kinds[kind].files[s + 1] = names[s];
    table.kinds[kind].count = count;
}

// Plays by path: the files named in broken fail with their error, the others play.
class PathPlayer final : public SoundPlayer {
public:
    QMap<QString, Status> broken;
    QList<QString> played;
    Status playFile(const QString& path) override {
        played.append(path);
        return broken.value(path);
    }
};

using Cue = void (Cues::*)();

Cue cueFor(QChar c) {
    switch (c.unicode()) {
    case 'R':
        return &Cues::playRightSound;
    case 'W':
        return &Cues::playWrongSound;
    case 'K':
        return &Cues::playKeyWarning;
    case 'P':
        return &Cues::playPersonalBestSound;
    case 'S':
        return &Cues::playSchoolBestSound;
    case 'A':
        return &Cues::playPassSound;
    default:
        return &Cues::playMinimumLineSound;
    }
}

} // namespace

class TestSoundCues : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cuePlaysItsFile_data();
    void cuePlaysItsFile();
    void pickIsFloorOfRandomTimesCount_data();
    void pickIsFloorOfRandomTimesCount();
    void failureCounting_data();
    void failureCounting();
    void countCarriedAcrossKinds();
    void kindWithoutCountPlaysNothing();
    void kindWithZeroCountFails();
    void readsTheRunStateAtEveryPlay();
    void bothFilesArePlayedAtRandom();
    void brokenFileFallsBackToItsPair_data();
    void brokenFileFallsBackToItsPair();
    void fourthFailureEndsTheProgram_data();
    void fourthFailureEndsTheProgram();
    void missingFilesNeverEndTheProgram();

private:
    std::unique_ptr<RunState> state_;
    ScriptedPlayer player_;
    ScriptedRandom random_;
    QStringList fatal_;
    std::unique_ptr<SoundCues> cues_;
};

void TestSoundCues::init() {
    state_ = std::make_unique<RunState>();
    state_->settings.installation.soundFolder = kFolder;
    SoundTable& table = state_->settings.soundTable;
    QVERIFY(!loadSoundTable(QStringLiteral("/nonexistent/新音ファイル.txt"), &table)); // names only
    configure(table, 2, {"pinpon", "seikai2"}, 2);
    configure(table, 4, {"bubu"}, 1);
    configure(table, 8, {"jiko1", "jiko2", "jiko3"}, 3);
    configure(table, 10, {"sub\\fugoukaku"}, 1);
    configure(table, 1, {"never"}, 1);
    player_.played.clear();
    player_.results.clear();
    random_.values.clear();
    random_.position = 0;
    fatal_.clear();
    cues_ = std::make_unique<SoundCues>(*state_, player_, random_,
                                        [this](const QString& message) { fatal_.append(message); });
}

void TestSoundCues::cuePlaysItsFile_data() {
    QTest::addColumn<QString>("cue");
    QTest::addColumn<double>("random");
    QTest::addColumn<QString>("file");
    QTest::newRow("right, first") << "R" << 0.2 << "pinpon.wav";
    QTest::newRow("right, second") << "R" << 0.7 << "seikai2.wav";
    QTest::newRow("wrong") << "W" << 0.9 << "bubu.wav";
    QTest::newRow("personal best") << "P" << 0.5 << "jiko2.wav";
    QTest::newRow("minimum line, folder in the name") << "M" << 0.0 << "sub/fugoukaku.wav";
    QTest::newRow("key warning") << "K" << 0.5 << "警告1.wav";
    QTest::newRow("school best") << "S" << 0.5 << "最高1.wav";
    QTest::newRow("pass") << "A" << 0.5 << "合格.wav";
}

void TestSoundCues::cuePlaysItsFile() {
    QFETCH(QString, cue);
    QFETCH(double, random);
    QFETCH(QString, file);
    random_.values = {random};
    (cues_.get()->*cueFor(cue[0]))();
    QCOMPARE(player_.played, QList<QString>{kFolder + file});
}

void TestSoundCues::pickIsFloorOfRandomTimesCount_data() {
    QTest::addColumn<double>("random");
    QTest::addColumn<QString>("file");
    QTest::newRow("0") << 0.0 << "jiko1.wav";
    QTest::newRow("just under a third") << 0.3333 << "jiko1.wav";
    QTest::newRow("just over a third") << 0.34 << "jiko2.wav";
    QTest::newRow("two thirds") << 0.6667 << "jiko3.wav";
    QTest::newRow("just under 1") << 0.9999999999 << "jiko3.wav";
    QTest::newRow("1 is kept in range") << 1.0 << "jiko3.wav";
}

void TestSoundCues::pickIsFloorOfRandomTimesCount() {
    QFETCH(double, random);
    QFETCH(QString, file);
    random_.values = {random};
    cues_->playPersonalBestSound();
    QCOMPARE(player_.played, QList<QString>{kFolder + file});
}

// Steps: a cue letter (R right, W wrong, K key warning, P personal best, S school best,
// A pass, M minimum line) and "+" when its play succeeds or "-" when it fails.
void TestSoundCues::failureCounting_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("fatalAtPlay"); // 0-based index of the play that ends the program, -1 none
    QTest::addColumn<int>("failuresAfter");
    QTest::newRow("three failures are silent") << "R- R- R-" << -1 << 3;
    QTest::newRow("the fourth ends") << "R- R- R- R-" << 3 << 3;
    QTest::newRow("right and wrong share the count") << "W- R- W- R-" << 3 << 3;
    QTest::newRow("a right success resets") << "R- R- R- R+ R- R- R-" << -1 << 3;
    QTest::newRow("a wrong success resets") << "R- R- R- W+ R- R- R-" << -1 << 3;
    QTest::newRow("count after a reset") << "R- R+ R- R- R- R-" << 5 << 3;
    QTest::newRow("other failures do not count") << "R- K- P- S- A- M- R- R-" << -1 << 3;
    QTest::newRow("other successes do not reset") << "R- R- R- K+ P+ S+ A+ M+ R-" << 8 << 3;
    QTest::newRow("success alone") << "R+ W+" << -1 << 0;
}

void TestSoundCues::failureCounting() {
    QFETCH(QString, steps);
    QFETCH(int, fatalAtPlay);
    QFETCH(int, failuresAfter);
    const QStringList list = steps.split(u' ');
    for (int i = 0; i < list.size(); ++i) {
        const bool ok = list[i][1] == u'+';
        player_.results.append(ok ? Status{}
                                  : Status(makeError(ErrorKind::Device, QStringLiteral("失敗%1").arg(i))));
    }
    for (int i = 0; i < list.size(); ++i) {
        (cues_.get()->*cueFor(list[i][0]))();
        QCOMPARE(fatal_.size(), fatalAtPlay >= 0 && i >= fatalAtPlay ? 1 : 0);
    }
    QCOMPARE(cues_->consecutiveFailures(), failuresAfter);
    if (fatalAtPlay >= 0) {
        QCOMPARE(fatal_.first(),
                 QStringLiteral("音声がでません。先生を呼びなさい。\n失敗%1").arg(fatalAtPlay));
        QVERIFY(cues_->ended());
    }
    // Once the program is ending every cue is silent and nothing more is told.
    const qsizetype plays = player_.played.size();
    cues_->playRightSound();
    cues_->playPassSound();
    QCOMPARE(player_.played.size(), fatalAtPlay >= 0 ? plays : plays + 2);
    QCOMPARE(fatal_.size(), fatalAtPlay >= 0 ? 1 : 0);
}

void TestSoundCues::countCarriedAcrossKinds() {
    for (int i = 0; i < 3; ++i)
        player_.results.append(makeError(ErrorKind::Device, QStringLiteral("失敗")));
    player_.results.append(makeError(ErrorKind::Device, QString(), QStringLiteral("エラー番号 5")));
    random_.values = {0.0, 0.0, 0.0, 0.0};
    for (int i = 0; i < 3; ++i)
        cues_->playRightSound();
    QCOMPARE(cues_->consecutiveFailures(), 3);
    QVERIFY(fatal_.isEmpty());
    cues_->playWrongSound();
    QCOMPARE(fatal_, QStringList{QStringLiteral("音声がでません。先生を呼びなさい。\nエラー番号 5")});
    QCOMPARE(soundFailureTitle(), QStringLiteral("音声エラー"));
}

void TestSoundCues::kindWithoutCountPlaysNothing() {
    player_.results = {makeError(ErrorKind::Device, QStringLiteral("失敗")),
                       makeError(ErrorKind::Device, QStringLiteral("失敗"))};
    cues_->playWrongSound();
    cues_->playWrongSound();
    QCOMPARE(cues_->consecutiveFailures(), 2);
    player_.played.clear();
    // A group never closed by "*" still has names, but no count.
    configure(state_->settings.soundTable, 2, {"a", "b"}, -1);
    configure(state_->settings.soundTable, 10, {"c"}, -1);
    state_->settings.soundTable.kinds[8] = SoundTable::Kind{};
    for (int i = 0; i < 6; ++i) {
        cues_->playRightSound();
        cues_->playPersonalBestSound();
        cues_->playMinimumLineSound();
    }
    QVERIFY(player_.played.isEmpty());
    QCOMPARE(cues_->consecutiveFailures(), 2); // neither a failure nor a success
    QVERIFY(fatal_.isEmpty());
}

void TestSoundCues::kindWithZeroCountFails() {
    configure(state_->settings.soundTable, 2, {}, 0);
    configure(state_->settings.soundTable, 8, {}, 0);
    cues_->playPersonalBestSound(); // fails, but is not counted
    for (int i = 0; i < 3; ++i)
        cues_->playRightSound();
    QCOMPARE(cues_->consecutiveFailures(), 3);
    QVERIFY(fatal_.isEmpty());
    cues_->playRightSound();
    QCOMPARE(fatal_.size(), 1);
    QVERIFY(fatal_.first().startsWith(QStringLiteral("音声がでません。先生を呼びなさい。\n")));
    QVERIFY2(fatal_.first().contains(QStringLiteral("正解音2")), qPrintable(fatal_.first()));
    QVERIFY(player_.played.isEmpty());
}

void TestSoundCues::readsTheRunStateAtEveryPlay() {
    // The cues may be made before the installation has been resolved.
    RunState fresh;
    SoundCues cues(fresh, player_, random_, {});
    fresh.settings.installation.soundFolder = QStringLiteral("/elsewhere/");
    configure(fresh.settings.soundTable, 4, {"boo"}, 1);
    cues.playWrongSound();
    cues.playKeyWarning();
    QCOMPARE(player_.played, (QList<QString>{"/elsewhere/boo.wav", "/elsewhere/警告1.wav"}));
}

void TestSoundCues::bothFilesArePlayedAtRandom() {
    // Real playback through SDL's disk driver: the file it writes tells which tone played.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const kz::test::TestTone pinpon{22050, 16, 0.03, 500.0};
    const kz::test::TestTone seikai{22050, 16, 0.03, 900.0};
    QVERIFY(kz::test::writeToneWav(dir.filePath("pinpon.wav"), pinpon));
    QVERIFY(kz::test::writeToneWav(dir.filePath("seikai2.wav"), seikai));
    const QString disk = dir.filePath("played.raw");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(disk));

    state_->settings.installation.soundFolder = dir.path() + u'/';
    SdlSoundPlayer sdl;
    SystemRandom random;
    random.seed(20040315);
    SoundCues cues(*state_, sdl, random, [this](const QString& m) { fatal_.append(m); });
    int first = 0;
    int second = 0;
    for (int i = 0; i < 24; ++i) {
        cues.playRightSound();
        QFile file(disk);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray out = file.readAll();
        const bool a = out.contains(kz::test::toneSamples(pinpon));
        const bool b = out.contains(kz::test::toneSamples(seikai));
        QVERIFY(a != b);
        (a ? first : second)++;
    }
    QVERIFY2(first > 0 && second > 0, qPrintable(QStringLiteral("%1/%2").arg(first).arg(second)));
    QCOMPARE(cues.consecutiveFailures(), 0);

    // Many picks: about half each.
    ScriptedPlayer recorder;
    SoundCues counted(*state_, recorder, random, {});
    for (int i = 0; i < 2000; ++i)
        counted.playRightSound();
    const qsizetype pin = recorder.played.count(dir.path() + QStringLiteral("/pinpon.wav"));
    QVERIFY2(pin > 850 && pin < 1150, qPrintable(QString::number(pin)));
    QCOMPARE(pin + recorder.played.count(dir.path() + QStringLiteral("/seikai2.wav")), 2000);
}

namespace {

struct HelperRun {
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QStringList lines;
};

HelperRun runHelper(const QString& mode, const QString& folder, const QByteArray& driver) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QString::fromLatin1(driver));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KZ_SOUNDFATAL_HELPER), {mode, folder});
    HelperRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.status = process.exitStatus();
    run.lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    return run;
}

QStringList linesStarting(const QStringList& lines, const QString& prefix) {
    QStringList out;
    for (const QString& line : lines) {
        if (line.startsWith(prefix))
            out << line.mid(prefix.size());
    }
    return out;
}

} // namespace

// A right-answer sound whose file is missing or cannot be decoded: the other file of the
// kind plays instead, or nothing; the student's attempt goes on, however many answers
// pick it. The device's own failures still count.
void TestSoundCues::brokenFileFallsBackToItsPair_data() {
    QTest::addColumn<QStringList>(
        "broken"); // files that fail: "name:kind" (N missing, M undecodable, D device)
    QTest::addColumn<QStringList>("expected"); // the files played by four answers (0.2, 0.7, 0.2, 0.7)
    QTest::addColumn<int>("failures");
    QTest::addColumn<bool>("ends");
    QTest::newRow("one of the pair missing")
        << QStringList{"pinpon:N"} << QStringList{"pinpon", "seikai2", "seikai2", "seikai2", "seikai2"} << 0
        << false;
    QTest::newRow("one of the pair undecodable")
        << QStringList{"seikai2:M"} << QStringList{"pinpon", "seikai2", "pinpon", "pinpon", "pinpon"} << 0
        << false;
    QTest::newRow("both missing") << QStringList{"pinpon:N", "seikai2:N"} << QStringList{"pinpon", "seikai2"}
                                  << 0 << false;
    QTest::newRow("the device fails") << QStringList{"pinpon:D", "seikai2:D"}
                                      << QStringList{"pinpon", "seikai2", "pinpon", "seikai2"} << 3 << true;
}

void TestSoundCues::brokenFileFallsBackToItsPair() {
    QFETCH(QStringList, broken);
    QFETCH(QStringList, expected);
    QFETCH(int, failures);
    QFETCH(bool, ends);
    PathPlayer player;
    for (const QString& b : broken) {
        const QString name = b.section(u':', 0, 0);
        const QChar kind = b.section(u':', 1)[0];
        player.broken[kFolder + name + ".wav"] = makeError(kind == u'N'   ? ErrorKind::NotFound
                                                           : kind == u'M' ? ErrorKind::Malformed
                                                                          : ErrorKind::Device,
                                                           name);
    }
    SoundCues cues(*state_, player, random_, [this](const QString& message) { fatal_.append(message); });
    random_.values = {0.2, 0.7, 0.2, 0.7};
    for (int i = 0; i < 4; ++i)
        cues.playRightSound();
    QList<QString> files;
    for (const QString& name : expected)
        files << kFolder + name + ".wav";
    QCOMPARE(player.played, files);
    QCOMPARE(cues.consecutiveFailures(), failures);
    QCOMPARE(fatal_.size(), ends ? 1 : 0);
}

void TestSoundCues::fourthFailureEndsTheProgram_data() {
    QTest::addColumn<QByteArray>("driver");
    QTest::addColumn<QString>("reasonPart");
    QTest::newRow("no sound device") << QByteArray("no-such-driver") << "音声装置";
}

void TestSoundCues::fourthFailureEndsTheProgram() {
    QFETCH(QByteArray, driver);
    QFETCH(QString, reasonPart);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(kz::test::writeToneWav(dir.filePath("right.wav")));
    const HelperRun run = runHelper(QStringLiteral("fatal"), dir.path() + u'/', driver);
    QCOMPARE(run.status, QProcess::NormalExit);
    QCOMPARE(run.exitCode, kSoundFailureExitCode);
    QCOMPARE(linesStarting(run.lines, "play:"), QStringList(4, QStringLiteral("failed")));
    const QStringList boxes = linesStarting(run.lines, "box:");
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes.first().startsWith(QStringLiteral("音声エラー|音声がでません。先生を呼びなさい。\\n")),
             qPrintable(boxes.first()));
    QVERIFY2(boxes.first().contains(reasonPart), qPrintable(boxes.first()));
    QCOMPARE(linesStarting(run.lines, "closed:"), (QStringList{"third", "second", "first"}));
}

// With the real player: right answers whose sound file is missing never stop the
// program, however many there are; the wrong-answer sound that exists plays.
void TestSoundCues::missingFilesNeverEndTheProgram() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(kz::test::writeToneWav(dir.filePath("wrong.wav"), {22050, 16, 0.05, 440.0}));
    for (const QString& mode : {QStringLiteral("fatal"), QStringLiteral("reset")}) {
        const HelperRun run = runHelper(mode, dir.path() + u'/', "dummy");
        QCOMPARE(run.status, QProcess::NormalExit);
        QCOMPARE(run.exitCode, 0);
        QVERIFY(linesStarting(run.lines, "box:").isEmpty());
        QVERIFY(linesStarting(run.lines, "closed:").isEmpty());
        QCOMPARE(linesStarting(run.lines, "failures:"), QStringList{"0"});
    }
}

QTEST_GUILESS_MAIN(TestSoundCues)
#include "tst_soundcues.moc"
