#include "support/soundtestsupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// The program ends on the signals of logout, shutdown, kill and Ctrl+C even after its
// sound has started (the sound library must not take the signals over).
class TestQuitSignals : public QObject {
    Q_OBJECT
private slots:
    void endsAfterACue_data();
    void endsAfterACue();
};

void TestQuitSignals::endsAfterACue_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestQuitSignals::endsAfterACue() {
    QFETCH(int, signal);
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("pinpon.wav"));
    QVERIFY(kz::test::writeToneWav(wav, {8000, 8, 0.05, 440.0}));
    QProcess helper;
    helper.start(QStringLiteral(KZ_QUITSIGNAL_HELPER), {wav});
    QVERIFY(helper.waitForStarted(10000));
    QVERIFY(helper.waitForReadyRead(20000));
    QCOMPARE(helper.readAllStandardOutput().trimmed(), QByteArray("played"));
    ::kill(static_cast<pid_t>(helper.processId()), signal);
    // Two seconds are ample for an idle program; a program that ignores the signal would
    // never end.
    const bool ended = helper.waitForFinished(2000);
    if (!ended) {
        helper.kill();
        helper.waitForFinished();
    }
    QVERIFY2(ended, "the program did not end on the signal");
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    QCOMPARE(helper.exitCode(), 128 + signal);
}

QTEST_GUILESS_MAIN(TestQuitSignals)
#include "tst_quitsignals.moc"
