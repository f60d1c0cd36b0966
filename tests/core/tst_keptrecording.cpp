#include "core/programrun.h"
#include "core/runstate.h"
#include "data/answerlog.h"
#include "data/keptattempts.h"
#include "data/resultstore.h"
#include "support/scriptedrun.h"
#include "support/smallinstallation.h"
#include "support/testfiles.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <unistd.h>

using namespace kz;

namespace {

// The user's state folder of the test, for as long as it lives.
class StateFolder {
public:
    explicit StateFolder(const QString& path)
        : saved_(qgetenv("XDG_STATE_HOME")), had_(qEnvironmentVariableIsSet("XDG_STATE_HOME")) {
        qputenv("XDG_STATE_HOME", path.toUtf8());
    }
    ~StateFolder() {
        if (had_)
            qputenv("XDG_STATE_HOME", saved_);
        else
            qunsetenv("XDG_STATE_HOME");
    }
    Q_DISABLE_COPY_MOVE(StateFolder)

private:
    QByteArray saved_;
    bool had_;
};

const AnsweredQuestion kAnswer{14, 11, QStringLiteral("154"), true, false, 900};

bool succeeds(const QString& program, const QStringList& args) {
    return QProcess::execute(program, args) == 0;
}

// The program's data folder on the share, which goes away and comes back: renamed away
// and back, or made read-only and writable again (for root, which a folder's rights do
// not stop, as a file system of its own mounted read-only and remounted).
class Share {
public:
    Share(QString folder, bool removed) : folder_(std::move(folder)), removed_(removed) {}
    ~Share() {
        if (mounted_)
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), folder_});
    }
    Q_DISABLE_COPY_MOVE(Share)

    // Empty when the share can be taken away here, else why not.
    QString prepare() {
        if (removed_ || ::geteuid() != 0)
            return {};
        if (!succeeds(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=1m", "tmpfs", folder_}))
            return QStringLiteral("cannot mount a file system to make read-only here");
        mounted_ = true;
        return {};
    }
    bool goAway() {
        if (removed_)
            return QDir().rename(folder_, folder_ + QStringLiteral(".gone"));
        if (mounted_)
            return succeeds(QStringLiteral("mount"), {"-o", "remount,ro", folder_});
        return QFile::setPermissions(results(), QFile::ReadOwner) &&
               QFile::setPermissions(folder_, QFile::ReadOwner | QFile::ExeOwner);
    }
    bool comeBack() {
        if (removed_)
            return QDir().rename(folder_ + QStringLiteral(".gone"), folder_);
        if (mounted_)
            return succeeds(QStringLiteral("mount"), {"-o", "remount,rw", folder_});
        return QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) &&
               QFile::setPermissions(results(), QFile::ReadOwner | QFile::WriteOwner);
    }
    QString results() const { return folder_ + QStringLiteral("/成績累積データ.dat"); }

private:
    QString folder_;
    bool removed_;
    bool mounted_ = false;
};

} // namespace

// The share removed (or its folder made unwritable) and restored: the attempt the results
// file did not take is kept on this computer, and goes in at the next start-up or after the
// next attempt recorded.
class TestKeptRecording : public QObject {
    Q_OBJECT
private slots:
    void shareRemovedAndRestored_data();
    void shareRemovedAndRestored();
};

void TestKeptRecording::shareRemovedAndRestored_data() {
    QTest::addColumn<bool>("removed");   // else the folder is made read-only
    QTest::addColumn<bool>("atStartUp"); // else after the next attempt recorded
    QTest::newRow("removed, next start-up") << true << true;
    QTest::newRow("removed, next recording") << true << false;
    QTest::newRow("read-only, next start-up") << false << true;
    QTest::newRow("read-only, next recording") << false << false;
}

void TestKeptRecording::shareRemovedAndRestored() {
    QFETCH(bool, removed);
    QFETCH(bool, atStartUp);
    test::SmallInstallation school;
    StateFolder state(school.path(QStringLiteral("state")));
    const QString data = school.path(QStringLiteral("data/drill2"));
    Share share(data, removed);
    if (const QString why = share.prepare(); !why.isEmpty())
        QSKIP(qPrintable(why));
    const QString results = share.results();
    const QString log = data + u'/' + answerLogFileName();
    const ResultRecord earlier =
        makeResultRecord(QDateTime(QDate(2004, 3, 14), QTime(9, 0)), 5, 2, 70, u"12345");
    test::writeBytes(results, encodeResultRecord(earlier));

    test::FakeClock clock;
    test::ScriptedRun run(clock);
    run.useRealRecording();
    QVERIFY(run.resolveInstallation(school.programFolder()).ok());
    const Installation& inst = run.state().settings.installation;
    QVERIFY(inst.keptFolder.startsWith(school.path(QStringLiteral("state/kazurin2/kept-"))));
    RunState& setUp = run.setUp();
    setUp.student.currentBangou = 17;
    run.chooseLevel(2);
    setUp.tables.statistics.setBestTime(2, 17, 300);
    run.startAttempt();
    run.recordAnswer(kAnswer);
    run.recordAnswer(kAnswer);
    QVERIFY(run.endAttempt(false, 95));

    QVERIFY(share.goAway());
    const Status failed = run.recordEndedAttempt();
    QVERIFY(!failed.ok());
    QVERIFY2(failed.error().text().contains(QStringLiteral("成績ファイル")),
             qPrintable(failed.error().text()));
    QVERIFY(run.keepEndedAttempt().ok());
    // Nothing pretends the attempt is in the results file.
    const AttemptState& attempt = run.state().attempt;
    QVERIFY(!attempt.newPersonalBest && !attempt.newSchoolBest && !attempt.clearedBefore);
    QCOMPARE(run.state().tables.statistics.bestTime(2, 17), 300);
    QVERIFY(attempt.attemptAnswers.isEmpty());
    const Outcome<KeptAttempts> kept = readKeptAttempts(inst.keptFolder);
    QVERIFY(kept.ok());
    QCOMPARE(kept->waiting.size(), size_t(1));
    const ResultRecord keptRecord = kept->waiting.front().record;
    QCOMPARE(keptRecord, makeResultRecord(clock.now(), 17, 2, 95, u"12345"));
    const QByteArray keptLines =
        formatAttemptAnswers(clock.now(), 17, 2, QList<AnsweredQuestion>{kAnswer, kAnswer});
    QCOMPARE(kept->waiting.front().answerLines, keptLines);

    QVERIFY(share.comeBack());
    clock.advanceMs(120 * 1000);
    QByteArray expected = encodeResultRecord(earlier);
    if (atStartUp) {
        test::ScriptedRun next(clock);
        const Outcome<QStringList> notices = next.resolveInstallation(school.programFolder());
        QVERIFY(notices.ok());
        QVERIFY2(notices->contains(
                     QStringLiteral("このコンピューターに残していた成績 1 件を成績ファイルに記録しました。")),
                 qPrintable(notices->join(u'\n')));
        expected += encodeResultRecord(keptRecord);
    } else {
        run.startAttempt();
        QVERIFY(run.endAttempt(false, 80));
        QVERIFY(run.recordEndedAttempt().ok());
        QVERIFY(run.state().attempt.newPersonalBest);
        expected += encodeResultRecord(makeResultRecord(clock.now(), 17, 2, 80, u"12345"));
        expected += encodeResultRecord(keptRecord);
    }
    QCOMPARE(test::readBytes(results), expected);
    QCOMPARE(test::readBytes(log).count(keptLines), 1);
    QVERIFY(readKeptAttempts(inst.keptFolder)->waiting.empty());
}

QTEST_GUILESS_MAIN(TestKeptRecording)
#include "tst_keptrecording.moc"
