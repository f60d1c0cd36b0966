#include "data/answerlog.h"
#include "data/keptattempts.h"
#include "data/maintenancejournal.h"
#include "data/resultstore.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace kz;

namespace {

using test::readBytes;
using test::writeBytes;

const QDateTime kMoment(QDate(2004, 3, 15), QTime(14, 30, 0));

// Kept attempt i: student 100 + i at level 2, i seconds, made i minutes after kMoment.
ResultRecord keptRecord(int i) {
    return makeResultRecord(kMoment.addSecs(60 * i), static_cast<qint16>(100 + i), 2, i, u"12345");
}
QByteArray keptAnswers(int i, int count = 3) {
    const QList<AnsweredQuestion> answers(count,
                                          AnsweredQuestion{14, 11, QStringLiteral("154"), true, false, 900});
    return formatAttemptAnswers(kMoment.addSecs(60 * i), 100 + i, 2, answers);
}

// Records of other students, as the results file held them before.
QByteArray others(int n) {
    QByteArray bytes;
    for (int k = 1; k <= n; ++k)
        bytes += encodeResultRecord(makeResultRecord(kMoment, static_cast<qint16>(k), 1, 50 + k, u"12345"));
    return bytes;
}

// How often the record stands at a record's place in the file.
int occurrences(const QByteArray& file, const ResultRecord& record) {
    const QByteArray bytes = encodeResultRecord(record);
    int n = 0;
    for (qsizetype at = 0; at + 44 <= file.size(); at += 44)
        n += file.mid(at, 44) == bytes ? 1 : 0;
    return n;
}

const char* helper() {
#ifdef KZ_RESULT_APPENDER
    return KZ_RESULT_APPENDER;
#else
    return "";
#endif
}

int runHelper(const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(helper(), args);
    if (!p.waitForFinished(60000))
        return -1;
    return p.exitCode();
}

// A computer's store and the installation's shared files.
struct Scene {
    QTemporaryDir dir;
    QString share = dir.filePath(QStringLiteral("share/drill2/"));
    QString results = share + QStringLiteral("成績累積データ.dat");
    QString log = share + answerLogFileName();
    QString kept = keptAttemptsFolder(dir.filePath(QStringLiteral("state")), share);

    Scene() { QDir().mkpath(share); }
    void keep(int from, int to, bool withAnswers = true) {
        for (int i = from; i <= to; ++i) {
            const Status added = keepAttempt(kept, share, keptRecord(i), withAnswers ? keptAnswers(i) : "");
            QVERIFY2(added.ok(), qPrintable(added.error().text()));
        }
    }
    qsizetype waiting() const {
        const Outcome<KeptAttempts> read = readKeptAttempts(kept);
        return read ? qsizetype(read->waiting.size()) : -1;
    }
    KeptOptions quick() const {
        KeptOptions options;
        options.retryMs = 1;
        options.wait = [](int) {};
        return options;
    }
    Outcome<ReplayResult> replay(const KeptOptions& options) const {
        return replayKeptAttempts(kept, results, log, options);
    }
    // Every kept attempt 1..n in the results file once, in order, after the records the
    // file held before; their answer lines in the log once each.
    void verifyReplayed(int n, const QByteArray& before) const {
        const QByteArray file = readBytes(results);
        QCOMPARE(file.left(before.size()), before);
        qsizetype last = -1;
        for (int i = 1; i <= n; ++i) {
            QCOMPARE(occurrences(file, keptRecord(i)), 1);
            const qsizetype at = file.indexOf(encodeResultRecord(keptRecord(i)));
            QVERIFY(at > last);
            last = at;
        }
        QCOMPARE(file.size() % 44, 0);
        const QByteArray answers = readBytes(log);
        for (int i = 1; i <= n; ++i)
            QCOMPARE(answers.count(keptAnswers(i)), 1);
        QCOMPARE(waiting(), 0);
        QCOMPARE(QFileInfo(kept + keptAttemptsFileName()).size(), 0);
    }
};

} // namespace

class TestKeptAttempts : public QObject {
    Q_OBJECT
private slots:
    void oneFolderPerInstallation();
    void keptAttemptsGoInOnceInOrder_data();
    void keptAttemptsGoInOnceInOrder();
    void unreachableResultsKeepEveryAttempt();
    void failureAtEachStepIsFinishedOnce_data();
    void failureAtEachStepIsFinishedOnce();
    void killedAtEachStepIsFinishedOnce_data();
    void killedAtEachStepIsFinishedOnce();
    void damagedStore_data();
    void damagedStore();
};

void TestKeptAttempts::oneFolderPerInstallation() {
    const QString state = QStringLiteral("/home/a/.local/state");
    const QString one = keptAttemptsFolder(state, QStringLiteral("/mnt/school/data/drill2/"));
    QVERIFY(one.startsWith(state + QStringLiteral("/kazurin2/kept-")));
    QVERIFY(one.endsWith(u'/'));
    QCOMPARE(keptAttemptsFolder(state + u'/', QStringLiteral("/mnt/school/data/./drill2")), one);
    QVERIFY(keptAttemptsFolder(state, QStringLiteral("/mnt/school/data/drill3/")) != one);
    QVERIFY(keptAttemptsFolder(state, QStringLiteral("/mnt/other/data/drill2/")) != one);

    QTemporaryDir dir;
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", dir.path().toUtf8());
    QCOMPARE(userStateFolder(), dir.path());
    qputenv("XDG_STATE_HOME", saved);
}

// Kept attempts go after the records already there (over a partial record at the end, as
// every append does), in the order kept, each once with its answer lines; a second replay
// finds nothing to do.
void TestKeptAttempts::keptAttemptsGoInOnceInOrder_data() {
    QTest::addColumn<int>("kept");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("tail");
    QTest::addColumn<bool>("answers");
    QTest::newRow("none") << 0 << 3 << 0 << true;
    QTest::newRow("one into a missing file") << 1 << 0 << 0 << true;
    QTest::newRow("three after records") << 3 << 5 << 0 << true;
    QTest::newRow("over a partial record") << 2 << 4 << 17 << true;
    QTest::newRow("without answers") << 2 << 1 << 0 << false;
}

void TestKeptAttempts::keptAttemptsGoInOnceInOrder() {
    QFETCH(int, kept);
    QFETCH(int, before);
    QFETCH(int, tail);
    QFETCH(bool, answers);
    Scene scene;
    if (before > 0)
        writeBytes(scene.results, others(before) + QByteArray(tail, 'x'));
    scene.keep(1, kept, answers);
    QCOMPARE(scene.waiting(), kept);
    const Outcome<KeptAttempts> read = readKeptAttempts(scene.kept);
    QVERIFY(read.ok());
    QCOMPARE(read->dataFolder, kept > 0 ? scene.share : QString());
    for (int i = 0; i < kept; ++i) {
        QCOMPARE(read->waiting[size_t(i)].record, keptRecord(i + 1));
        QCOMPARE(read->waiting[size_t(i)].answerLines, answers ? keptAnswers(i + 1) : QByteArray());
    }

    const Outcome<ReplayResult> replayed = scene.replay(scene.quick());
    QVERIFY(replayed.ok());
    QVERIFY(!replayed->stopped);
    QCOMPARE(replayed->recorded, kept);
    QCOMPARE(replayed->waiting, 0);
    QVERIFY(replayed->unplacedAnswers.isEmpty());
    QCOMPARE(readBytes(scene.results).size(), (before + kept) * 44);
    if (answers)
        scene.verifyReplayed(kept, others(before));
    QCOMPARE(keptReplayNotice(replayed).isEmpty(), kept == 0);

    const QByteArray after = readBytes(scene.results);
    const Outcome<ReplayResult> again = scene.replay(scene.quick());
    QVERIFY(again.ok() && again->recorded == 0 && !again->stopped);
    QCOMPARE(readBytes(scene.results), after);
    QVERIFY(keptReplayNotice(again).isEmpty());
}

// The share gone (the folder of the results file missing): every attempt stays kept and
// the notice says why; the share back, they go in.
void TestKeptAttempts::unreachableResultsKeepEveryAttempt() {
    Scene scene;
    scene.keep(1, 2);
    QVERIFY(QDir().rename(scene.share, scene.dir.filePath("gone")));
    const Outcome<ReplayResult> stopped = scene.replay(scene.quick());
    QVERIFY(stopped.ok());
    QCOMPARE(stopped->recorded, 0);
    QCOMPARE(stopped->waiting, 2);
    QVERIFY(stopped->stopped);
    const QString notice = keptReplayNotice(stopped);
    QVERIFY2(notice.contains(QStringLiteral("このコンピューターに 2 件残っています")), qPrintable(notice));
    QVERIFY2(notice.contains(QStringLiteral("成績ファイルがありません")), qPrintable(notice));
    QCOMPARE(scene.waiting(), 2);
    scene.keep(3, 3);

    QVERIFY(QDir().rename(scene.dir.filePath("gone"), scene.share));
    const Outcome<ReplayResult> replayed = scene.replay(scene.quick());
    QVERIFY(replayed.ok() && !replayed->stopped);
    QCOMPARE(replayed->recorded, 3);
    QVERIFY2(keptReplayNotice(replayed).contains(QStringLiteral("成績 3 件を成績ファイルに記録しました")),
             qPrintable(keptReplayNotice(replayed)));
    scene.verifyReplayed(3, {});
}

// A step that fails while the program runs (the system refuses it) stops the replay there;
// the next replay finishes every attempt exactly once.
void TestKeptAttempts::failureAtEachStepIsFinishedOnce_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("nth");
    for (int s = int(ReplayStep::Noted); s <= int(ReplayStep::Emptied); ++s) {
        for (int nth : {1, 2}) {
            if (s == int(ReplayStep::Emptied) && nth == 2)
                continue;
            QTest::newRow(qPrintable(QStringLiteral("%1 #%2").arg(replayStepName(ReplayStep(s))).arg(nth)))
                << s << nth;
        }
    }
}

void TestKeptAttempts::failureAtEachStepIsFinishedOnce() {
    QFETCH(int, step);
    QFETCH(int, nth);
    Scene scene;
    writeBytes(scene.results, others(2));
    scene.keep(1, 3);
    KeptOptions options = scene.quick();
    int left = nth;
    options.checkpoint = [&](ReplayStep at) -> Status {
        if (int(at) == step && --left == 0)
            return makeError(ErrorKind::WriteFailed, QStringLiteral("ディスクがいっぱいです"));
        return {};
    };
    const Outcome<ReplayResult> stopped = scene.replay(options);
    QVERIFY(stopped.ok());
    QVERIFY(stopped->stopped);
    QVERIFY(stopped->stopped->text().contains(QStringLiteral("ディスクがいっぱいです")));
    const Outcome<ReplayResult> replayed = scene.replay(scene.quick());
    QVERIFY(replayed.ok() && !replayed->stopped);
    scene.verifyReplayed(3, others(2));
}

// A computer switched off at any step of a replay (the process killed there), another
// station appending afterwards, the next replay killed as well: every kept attempt ends
// up in the results file once, in order, with its answer lines once.
void TestKeptAttempts::killedAtEachStepIsFinishedOnce_data() {
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("nth");
    QTest::addColumn<bool>("againKilled");
    QTest::addColumn<int>("tornBytes");
    for (int s = int(ReplayStep::Noted); s <= int(ReplayStep::Emptied); ++s) {
        const QString name = replayStepName(ReplayStep(s));
        for (int nth : {1, 2}) {
            if (s == int(ReplayStep::Emptied) && nth == 2)
                continue;
            QTest::newRow(qPrintable(QStringLiteral("%1 #%2").arg(name).arg(nth)))
                << name << nth << false << 0;
            QTest::newRow(qPrintable(QStringLiteral("%1 #%2, killed again").arg(name).arg(nth)))
                << name << nth << true << 0;
        }
    }
    // Killed while writing the record: part of it reached the file.
    QTest::newRow("torn record after Noted") << "Noted" << 2 << false << 20;
}

void TestKeptAttempts::killedAtEachStepIsFinishedOnce() {
    QFETCH(QString, step);
    QFETCH(int, nth);
    QFETCH(bool, againKilled);
    QFETCH(int, tornBytes);
    Scene scene;
    const QByteArray before = others(3);
    writeBytes(scene.results, before);
    scene.keep(1, 3);
    QCOMPARE(runHelper({"replay-crash", scene.kept, scene.results, scene.log, step, QString::number(nth)}),
             9);
    if (tornBytes > 0) {
        QFile f(scene.results);
        QVERIFY(f.open(QIODevice::Append));
        f.write(encodeResultRecord(keptRecord(nth)).left(tornBytes));
    }
    // Another station appends meanwhile.
    const QString go = scene.dir.filePath("go");
    writeBytes(go, {});
    QCOMPARE(runHelper({"append", scene.results, "4001", "2", go}), 0);
    if (againKilled) {
        const int status =
            runHelper({"replay-crash", scene.kept, scene.results, scene.log, step, QString::number(nth)});
        QVERIFY2(status == 9 || status == 0, qPrintable(QString::number(status)));
    }
    const Outcome<ReplayResult> replayed = scene.replay(scene.quick());
    QVERIFY2(replayed.ok() && !replayed->stopped, qPrintable(keptReplayNotice(replayed)));
    scene.verifyReplayed(3, before);
    const QByteArray file = readBytes(scene.results);
    QCOMPARE(file.size(), (3 + 3 + 2) * 44);
    int station = 0;
    for (qsizetype at = 0; at < file.size(); at += 44)
        station += decodeResultRecord(file.constData() + at).bangou == 4001 ? 1 : 0;
    QCOMPARE(station, 2);
}

// A line cut short by a crash while an attempt was kept is no attempt and goes with the
// next write; a store that is no store of this program is refused with its line, and
// nothing is written into it.
void TestKeptAttempts::damagedStore_data() {
    QTest::addColumn<QByteArray>("appended");
    QTest::addColumn<bool>("readable");
    QTest::newRow("line cut short") << QByteArray("kept 3 0a0b") << true;
    QTest::newRow("line failing its check") << QByteArray("done 1 00000000\n") << true;
    QTest::newRow("unknown entry") << checkedLine("lost 1") << false;
    QTest::newRow("done of an attempt never kept") << checkedLine("done 9") << false;
}

void TestKeptAttempts::damagedStore() {
    QFETCH(QByteArray, appended);
    QFETCH(bool, readable);
    Scene scene;
    scene.keep(1, 2);
    const QString store = scene.kept + keptAttemptsFileName();
    const QByteArray damaged = readBytes(store) + appended;
    writeBytes(store, damaged);
    const Outcome<KeptAttempts> read = readKeptAttempts(scene.kept);
    if (!readable) {
        QVERIFY(!read.ok());
        QVERIFY2(read.error().text().contains(QStringLiteral("4 行目")), qPrintable(read.error().text()));
        QVERIFY(!keepAttempt(scene.kept, scene.share, keptRecord(3), keptAnswers(3)).ok());
        QVERIFY(!scene.replay(scene.quick()).ok());
        QCOMPARE(readBytes(store), damaged);
        return;
    }
    QVERIFY(read.ok());
    QVERIFY(read->tornTail);
    QCOMPARE(read->waiting.size(), size_t(2));
    scene.keep(3, 3);
    QVERIFY(!readKeptAttempts(scene.kept)->tornTail);
    QCOMPARE(scene.waiting(), 3);
    QVERIFY(scene.replay(scene.quick()).ok());
    scene.verifyReplayed(3, {});
}

QTEST_GUILESS_MAIN(TestKeptAttempts)
#include "tst_keptattempts.moc"
