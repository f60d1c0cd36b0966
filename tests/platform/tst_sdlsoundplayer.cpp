#include "platform/sdlsoundplayer.h"
#include "support/soundtestsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kz;
using kz::test::TestTone;

// Plays through SDL's real audio path. The "disk" driver writes every buffer the device
// plays into a file at the speed of a sound card, so the file shows what was played and
// the call's duration shows that it waited for the end.
class TestSdlSoundPlayer : public QObject {
    Q_OBJECT
private slots:
    void init();
    // First: the library is loaded once per process.
    void libraryLoadedAheadServesTheFirstCheckAndPlay();
    void playsTheWholeFileAndWaits_data();
    void playsTheWholeFileAndWaits();
    void eachPlayUsesAFreshDevice();
    void fileNameCaseIsIgnored();
    void failuresHaveStatusAndText_data();
    void failuresHaveStatusAndText();
    void unknownDriverIsAFailure();
    void dummyDriverPlays();

private:
    void useDiskDriver();
    QByteArray played() const;
    std::unique_ptr<QTemporaryDir> dir_;
    QString diskFile_;
};

void TestSdlSoundPlayer::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    useDiskDriver();
}

void TestSdlSoundPlayer::useDiskDriver() {
    // Read by SDL when the audio subsystem starts and when a device opens.
    diskFile_ =
        dir_->filePath(QStringLiteral("played-%1.raw").arg(QTest::currentDataTag()).replace(u' ', u'_'));
    QFile::remove(diskFile_);
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(diskFile_));
}

QByteArray TestSdlSoundPlayer::played() const {
    QFile file(diskFile_);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The start-up checks the sound files while the library may still be loading on its
// thread: the check waits for that load and both go through the one loaded library.
void TestSdlSoundPlayer::libraryLoadedAheadServesTheFirstCheckAndPlay() {
    const TestTone tone{22050, 16, 0.1, 523.0};
    const QString path = dir_->filePath(QStringLiteral("pinpon.wav"));
    QVERIFY(kz::test::writeToneWav(path, tone));
    SdlSoundPlayer player;
    player.loadLibraryAhead();
    player.loadLibraryAhead(); // a second call starts no second load
    const Status probed = SdlSoundPlayer::probeFile(path);
    QVERIFY2(probed.ok(), qPrintable(probed.ok() ? QString() : probed.error().text()));
    const Status result = player.playFile(path);
    QVERIFY2(result.ok(), qPrintable(result.ok() ? QString() : result.error().text()));
    QVERIFY(played().indexOf(kz::test::toneSamples(tone)) >= 0);
}

void TestSdlSoundPlayer::playsTheWholeFileAndWaits_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("bits");
    QTest::addColumn<double>("seconds");
    QTest::newRow("16 bit") << QStringLiteral("pinpon.wav") << 22050 << 16 << 0.2;
    QTest::newRow("8 bit") << QStringLiteral("bubu.wav") << 11025 << 8 << 0.25;
    QTest::newRow("44.1 kHz") << QStringLiteral("seikai2.wav") << 44100 << 16 << 0.3;
    QTest::newRow("japanese name") << QStringLiteral("正解 音.wav") << 22050 << 16 << 0.2;
}

void TestSdlSoundPlayer::playsTheWholeFileAndWaits() {
    QFETCH(QString, fileName);
    QFETCH(int, rate);
    QFETCH(int, bits);
    QFETCH(double, seconds);
    const TestTone tone{rate, bits, seconds, 523.0};
    const QString path = dir_->filePath(fileName);
    QVERIFY(kz::test::writeToneWav(path, tone));

    SdlSoundPlayer player;
    QElapsedTimer timer;
    timer.start();
    const Status result = player.playFile(path);
    const qint64 elapsed = timer.elapsed();
    QVERIFY2(result.ok(), qPrintable(result.ok() ? QString() : result.error().text()));

    // The device is opened in the file's own format, so its samples reach the device as
    // they stand in the file, in one piece.
    const QByteArray samples = kz::test::toneSamples(tone);
    const QByteArray out = played();
    QVERIFY2(out.size() >= samples.size(),
             qPrintable(QStringLiteral("%1 < %2").arg(out.size()).arg(samples.size())));
    QVERIFY(out.indexOf(samples) >= 0);
    QVERIFY2(elapsed >= static_cast<qint64>(seconds * 1000 * 0.7), qPrintable(QString::number(elapsed)));
}

void TestSdlSoundPlayer::eachPlayUsesAFreshDevice() {
    const TestTone low{22050, 16, 0.2, 300.0};
    const TestTone high{22050, 16, 0.2, 900.0};
    QVERIFY(kz::test::writeToneWav(dir_->filePath("low.wav"), low));
    QVERIFY(kz::test::writeToneWav(dir_->filePath("high.wav"), high));
    SdlSoundPlayer player;
    QVERIFY(player.playFile(dir_->filePath("low.wav")).ok());
    QVERIFY(played().indexOf(kz::test::toneSamples(low)) >= 0);
    QVERIFY(player.playFile(dir_->filePath("high.wav")).ok());
    const QByteArray second = played();
    QVERIFY(second.indexOf(kz::test::toneSamples(high)) >= 0);
    QCOMPARE(second.indexOf(kz::test::toneSamples(low)), -1);
}

void TestSdlSoundPlayer::fileNameCaseIsIgnored() {
    const TestTone tone;
    QVERIFY(kz::test::writeToneWav(dir_->filePath("PinPon.WAV"), tone));
    SdlSoundPlayer player;
    const Status result = player.playFile(dir_->filePath("pinpon.wav"));
    QVERIFY2(result.ok(), qPrintable(result.ok() ? QString() : result.error().text()));
    QVERIFY(played().indexOf(kz::test::toneSamples(tone)) >= 0);
}

void TestSdlSoundPlayer::failuresHaveStatusAndText_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::addColumn<ErrorKind>("kind");
    QTest::newRow("missing") << QStringLiteral("nothing.wav") << QByteArray() << ErrorKind::NotFound;
    QTest::newRow("no name") << QStringLiteral(".wav") << QByteArray() << ErrorKind::NotFound;
    QTest::newRow("not a wav") << QStringLiteral("text.wav") << QByteArray("正解音2,pinpon,*\r\n")
                               << ErrorKind::Malformed;
    QTest::newRow("truncated header")
        << QStringLiteral("short.wav") << kz::test::toneWav({}).left(30) << ErrorKind::Malformed;
    QTest::newRow("folder") << QStringLiteral("sub.wav") << QByteArray("dir") << ErrorKind::NotFound;
}

void TestSdlSoundPlayer::failuresHaveStatusAndText() {
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(ErrorKind, kind);
    const QString path = dir_->filePath(fileName);
    if (content == "dir") {
        QVERIFY(QDir(dir_->path()).mkdir(fileName));
    } else if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    SdlSoundPlayer player;
    const Status result = player.playFile(path);
    QVERIFY(!result.ok());
    QCOMPARE(result.error().kind, kind);
    QVERIFY(result.error().message.contains(path));
    QVERIFY(!result.error().text().trimmed().isEmpty());
}

void TestSdlSoundPlayer::unknownDriverIsAFailure() {
    QVERIFY(kz::test::writeToneWav(dir_->filePath("tone.wav")));
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    SdlSoundPlayer player;
    const Status result = player.playFile(dir_->filePath("tone.wav"));
    QVERIFY(!result.ok());
    QCOMPARE(result.error().kind, ErrorKind::Device);
    QVERIFY(!result.error().detail.isEmpty());
    // A driver that becomes available is used on the next play.
    useDiskDriver();
    QVERIFY(player.playFile(dir_->filePath("tone.wav")).ok());
}

void TestSdlSoundPlayer::dummyDriverPlays() {
    QVERIFY(kz::test::writeToneWav(dir_->filePath("tone.wav")));
    qputenv("SDL_AUDIODRIVER", "dummy");
    SdlSoundPlayer player;
    const Status result = player.playFile(dir_->filePath("tone.wav"));
    QVERIFY2(result.ok(), qPrintable(result.ok() ? QString() : result.error().text()));
}

QTEST_GUILESS_MAIN(TestSdlSoundPlayer)
#include "tst_sdlsoundplayer.moc"
