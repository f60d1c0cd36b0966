#include "admin/cli/admincli.h"
#include "admin/cli/commands.h"
#include "admin/cli/locktest.h"
#include "data/resultstore.h"
#include "data/textio.h"
#include "platform/filelock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace kz;
using namespace kz::admin;

namespace {

// common/パスデータ.txt, the program folder common/drill2, data/ with the settings and a
// results file of two records.
class School {
public:
    School() {
        QDir(dir.path()).mkpath("common/drill2");
        QDir(dir.path()).mkpath("data/drill2");
        write("common/パスデータ.txt", {dir.path() + "/data/"});
        write("data/共通データ.txt", {"4,12345さくら塾,0,,,pass,,,,"});
        const QDateTime when(QDate(2004, 3, 15), QTime(14, 30));
        records = encodeResultRecord(makeResultRecord(when, 17, 2, 30, u"12345")) +
                  encodeResultRecord(makeResultRecord(when, 21, 3, 99999, u"12345"));
        QFile f(resultsPath());
        if (f.open(QIODevice::WriteOnly))
            f.write(records);
    }
    void write(const QString& relative, const QStringList& lines) {
        if (const Status written = writeCp932Lines(dir.path() + "/" + relative, lines); !written)
            QFAIL(qPrintable(written.error().text()));
    }
    QString programFolder() const { return dir.path() + "/common/drill2"; }
    QString resultsPath() const { return dir.path() + "/data/drill2/成績累積データ.dat"; }
    QString holderPath() const { return dir.path() + "/data/drill2/" + lockHolderFileName(); }
    QByteArray resultsBytes() const {
        QFile f(resultsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }

    QTemporaryDir dir;
    QByteArray records;
};

QStringList lockTestArgs(const School& school, int hold) {
    return {"--program-folder", school.programFolder(), "lock-test", "--hold", QString::number(hold)};
}

struct Finished {
    int status = -1;
    QString out;
};

Finished runToEnd(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(KZ_ADMIN_EXE), args);
    Finished f;
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
        f.status = p.exitCode();
    f.out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return f;
}

} // namespace

class TestLockTest : public QObject {
    Q_OBJECT

private slots:
    void secondStationSeesTheLock();
    void whoHoldsTheLock_data();
    void whoHoldsTheLock();
    void createsAMissingResultsFileEmpty();
    void holdBelongsToLockTest();
    void mountOfAPath_data();
    void mountOfAPath();
    void concernsOfAMount_data();
    void concernsOfAMount();
};

// The same command in two processes: the second reports the lock as held by another
// station while the first holds it, and takes it itself once the first has gone.
void TestLockTest::secondStationSeesTheLock() {
    School school;
    QProcess holder;
    holder.start(QStringLiteral(KZ_ADMIN_EXE), lockTestArgs(school, 120));
    QString holderOut;
    QElapsedTimer waited;
    waited.start();
    while (!holderOut.contains("ロックしました") && waited.elapsed() < 60000 &&
           holder.state() != QProcess::NotRunning) {
        holder.waitForReadyRead(500);
        holderOut += QString::fromUtf8(holder.readAllStandardOutput());
    }
    QVERIFY2(holderOut.contains("ロックしました"), qPrintable(holderOut + holder.readAllStandardError()));

    // Both on this computer: the lock works, but nothing is known about the share.
    QVERIFY(QFileInfo::exists(school.holderPath()));
    const Finished second = runToEnd(lockTestArgs(school, 0));
    QCOMPARE(second.status, ExitLockHeldUntold);
    QVERIFY2(second.out.contains("このコンピューターがロックしています"), qPrintable(second.out));
    QVERIFY2(second.out.contains("二台目"), qPrintable(second.out));
    QVERIFY(!second.out.contains("ロックはコンピューターの間で働いています"));

    // Ended early, it lets go and takes its note away.
    holder.terminate();
    QVERIFY(holder.waitForFinished(30000));
    QVERIFY(!QFileInfo::exists(school.holderPath()));
    const Finished afterwards = runToEnd(lockTestArgs(school, 0));
    QCOMPARE(afterwards.status, int(ExitOk));
    QVERIFY2(afterwards.out.contains("ロックを解きました"), qPrintable(afterwards.out));
    QCOMPARE(school.resultsBytes(), school.records);
}

// Only a note from another computer lets the second run say that the lock crosses
// computers; a lock without a note (a recording station) is told as unknown.
void TestLockTest::whoHoldsTheLock_data() {
    QTest::addColumn<QByteArray>("note"); // empty: none
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");
    QTest::newRow("another computer")
        << QByteArray("computer=pc-b\nmachine-id=0123456789abcdef\npid=77\n") << int(ExitLockHeld)
        << "ほかのコンピューターがロックしています: コンピューター pc-b";
    QTest::newRow("no note") << QByteArray() << int(ExitLockHeldUntold) << "lock-test ではない";
    QTest::newRow("a note without a name")
        << QByteArray("pid=77\n") << int(ExitLockHeldUntold) << "lock-test ではない";
    const LockHolder here = thisComputer();
    QTest::newRow("this computer, holder gone") << lockHolderText({here.computer, here.machineId, 0})
                                                << int(ExitLockHeldUntold) << "もう動いていません";
}

void TestLockTest::whoHoldsTheLock() {
    QFETCH(QByteArray, note);
    QFETCH(int, status);
    QFETCH(QString, says);
    School school;
    if (!note.isEmpty()) {
        QFile f(school.holderPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(note);
    }
    SharedFile held;
    QVERIFY(held.open(school.resultsPath(), SharedFile::Mode::ReadWrite).ok());
    QVERIFY(held.tryLockExclusive().ok());
    const Finished second = runToEnd(lockTestArgs(school, 0));
    QCOMPARE(second.status, status);
    QVERIFY2(second.out.contains(says), qPrintable(second.out));
    if (status != ExitLockHeld)
        QVERIFY(!second.out.contains("ロックはコンピューターの間で働いています"));
}

void TestLockTest::createsAMissingResultsFileEmpty() {
    School school;
    QVERIFY(QFile::remove(school.resultsPath()));
    const Finished run = runToEnd(lockTestArgs(school, 0));
    QCOMPARE(run.status, int(ExitOk));
    QCOMPARE(school.resultsBytes(), QByteArray());
}

void TestLockTest::holdBelongsToLockTest() {
    Outcome<LockTestCommand::Options> options = LockTestCommand::parse({});
    QVERIFY(options.ok());
    QVERIFY(!options->holdSeconds);
    options = LockTestCommand::parse({"--hold=5"});
    QVERIFY(options.ok());
    QCOMPARE(*options->holdSeconds, 5);
    QVERIFY(!parseCommandLine({"lock-test", "--hold", "-1"}).ok());
    QVERIFY(!parseCommandLine({"lock-test", "--hold", "x"}).ok());
    QVERIFY(!parseCommandLine({"check", "--hold", "5"}).ok());
}

void TestLockTest::mountOfAPath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("mountPoint");
    QTest::addColumn<QString>("fileSystem");
    QTest::addColumn<QString>("options");
    QTest::newRow("root") << "/home/a/data"
                          << "/"
                          << "ext4"
                          << "rw,relatime,rw,errors=remount-ro";
    QTest::newRow("longest mount wins") << "/mnt/school/data/x.dat"
                                        << "/mnt/school"
                                        << "nfs4"
                                        << "rw,noatime,rw,vers=4.2,local_lock=none,addr=10.0.0.2";
    QTest::newRow("prefix of a name is no mount") << "/mnt/schools/x"
                                                  << "/"
                                                  << "ext4"
                                                  << "rw,relatime,rw,errors=remount-ro";
    QTest::newRow("escaped space") << "/media/共有 フォルダ/data"
                                   << "/media/共有 フォルダ"
                                   << "cifs"
                                   << "rw,relatime,rw,vers=3.1.1,nobrl";
}

void TestLockTest::mountOfAPath() {
    QFETCH(QString, path);
    const QString mountInfo =
        "22 1 254:1 / / rw,relatime shared:1 - ext4 /dev/vda1 rw,errors=remount-ro\n"
        "40 22 0:50 / /mnt/school rw,noatime shared:30 - nfs4 server:/export rw,vers=4.2,local_lock=none,"
        "addr=10.0.0.2\n"
        "41 22 0:51 / /media/共有\\040フォルダ rw,relatime - cifs //server/share rw,vers=3.1.1,nobrl\n"
        "broken line\n";
    const MountFacts m = mountFactsFrom(mountInfo, path);
    QTEST(m.mountPoint, "mountPoint");
    QTEST(m.fileSystem, "fileSystem");
    QTEST(m.options, "options");
}

void TestLockTest::concernsOfAMount_data() {
    QTest::addColumn<QString>("fileSystem");
    QTest::addColumn<QString>("options");
    QTest::addColumn<bool>("concern");
    QTest::newRow("local disk") << "ext4"
                                << "rw,relatime" << false;
    QTest::newRow("nfs with locks") << "nfs4"
                                    << "rw,vers=4.2,local_lock=none" << false;
    QTest::newRow("nfs nolock") << "nfs"
                                << "rw,vers=3,nolock" << true;
    QTest::newRow("nfs local posix locks") << "nfs"
                                           << "rw,local_lock=posix" << true;
    QTest::newRow("smb with byte-range locks") << "cifs"
                                               << "rw,vers=3.1.1" << false;
    QTest::newRow("smb nobrl") << "cifs"
                               << "rw,nobrl,vers=3.1.1" << true;
    QTest::newRow("sshfs") << "fuse.sshfs"
                           << "rw" << true;
}

void TestLockTest::concernsOfAMount() {
    QFETCH(QString, fileSystem);
    QFETCH(QString, options);
    QFETCH(bool, concern);
    MountFacts m;
    m.fileSystem = fileSystem;
    m.options = options;
    QCOMPARE(!lockingConcern(m).isEmpty(), concern);
}

QTEST_GUILESS_MAIN(TestLockTest)
#include "tst_locktest.moc"
