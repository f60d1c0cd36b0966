// A new school as a fresh computer's administrator makes it: init lays out the data folder
// and the path file, check reads it clean as root and, as a classroom user without write
// rights, names each file, the user and what to change.
#include "admin/cli/locktest.h"
#include "core/installation.h"
#include "data/answerlog.h"
#include "data/resultstore.h"
#include "data/textio.h"
#include "support/commandrun.h"
#include "support/testfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

using namespace kz;

namespace {

// A fresh computer: the common folder opt/kazurin2 with the program folder kazurin2, and
// the data folder still to be made at srv/data.
struct Computer {
    QTemporaryDir dir;
    Computer() {
        QDir(dir.path()).mkpath("opt/kazurin2/kazurin2");
        // Others may pass through, as through /opt and /srv.
        QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFileDevice::ExeOther |
                                              QFileDevice::ReadOther);
    }
    QString common() const { return dir.path() + "/opt/kazurin2"; }
    QString programFolder() const { return common() + "/kazurin2"; }
    QString data() const { return dir.path() + "/srv/data/"; }
};

QStringList initArgs(const Computer& c) {
    return {"--program-folder", c.programFolder(), "init",        "--data-folder", c.data(),
            "--install-folder", c.common(),        "--site-code", "123",           "--site-name",
            "さくら塾",         "--password",      "1414"};
}

test::Run companion(const QStringList& args) {
    return test::runProcess(QStringLiteral(KZ_ADMIN_EXE), args);
}

// The user nobody, when this test may become it (it runs as root and setpriv is there).
bool canRunAsNobody() {
    return ::geteuid() == 0 && ::getpwnam("nobody") && QFile::exists(QStringLiteral("/usr/bin/setpriv"));
}

// A classroom user has a state folder of their own (for attempts kept on the computer);
// root's, under /root, is none of nobody's business.
QString nobodysStateFolder() {
    const QString folder = QDir::tempPath() + QStringLiteral("/kz-nobody-state");
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                      QFileDevice::ReadOther | QFileDevice::WriteOther |
                                      QFileDevice::ExeOther);
    return folder;
}

test::Run adminAsNobody(const QStringList& args) {
    const passwd* pw = ::getpwnam("nobody");
    return test::runProcess(QStringLiteral("/usr/bin/setpriv"),
                            QStringList{QStringLiteral("--reuid=%1").arg(pw->pw_uid),
                                        QStringLiteral("--regid=%1").arg(pw->pw_gid), "--clear-groups",
                                        QStringLiteral("/usr/bin/env"),
                                        QStringLiteral("XDG_STATE_HOME=") + nobodysStateFolder(),
                                        QStringLiteral(KZ_ADMIN_EXE)} +
                                args);
}

QMap<QString, QByteArray> snapshot(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[path] = QCryptographicHash::hash(test::readBytes(path), QCryptographicHash::Sha1) +
                      QByteArray::number(QFileInfo(path).lastModified().toMSecsSinceEpoch());
    }
    return files;
}

} // namespace

class TestInitCheck : public QObject {
    Q_OBJECT
private slots:
    void initMakesASchoolThatChecksClean();
    void secondComputerGetsOnlyItsPathFile();
    void initRefuses_data();
    void initRefuses();
    void classroomUserWithoutRights();
    void shortPathFileWithoutSeparatorIsFine();
};

void TestInitCheck::initMakesASchoolThatChecksClean() {
    Computer c;
    const test::Run made = companion(initArgs(c));
    QVERIFY2(made.status == 0, qPrintable(made.out + made.err));
    QVERIFY(made.out.contains("次にすること"));
    for (const char* file : {"共通データ.txt", "新名簿.txt", "音フォルダ/新音ファイル.txt",
                             "音フォルダ/pinpon.wav", "kazurin2/タイム回数データ.txt"})
        QVERIFY2(QFileInfo(c.data() + QString::fromUtf8(file)).size() > 0, file);
    QCOMPARE(QFileInfo(c.data() + "kazurin2/成績累積データ.dat").size(), 0);
    // The answer log is there with its header, so that the rights given to the data
    // folder cover it as well.
    QCOMPARE(test::readBytes(c.data() + "kazurin2/" + answerLogFileName()), answerLogHeader() + '\n');
    // The path file: CP932, CR LF, the data folder with its separator, then nine zeros.
    const QByteArray pathFile = test::readBytes(c.common() + "/パスデータ.txt");
    QCOMPARE(pathFile, "\"" + *encodeCp932(c.data()) + "\"\r\n" + QByteArray("0\r\n").repeated(9));

    Installation inst;
    const Status resolved = resolveInstallationPaths(c.programFolder(), &inst);
    QVERIFY2(resolved.ok(), qPrintable(resolved.error().text()));
    QCOMPARE(inst.siteCode, QStringLiteral("00123"));
    QCOMPARE(inst.siteName, QStringLiteral("さくら塾"));
    QCOMPARE(inst.teacherPassword, QStringLiteral("1414"));
    QCOMPARE(inst.programDataFolder, c.data() + "kazurin2/");

    // Clean, with one note: there is no program menu.
    const test::Run checked = companion({"--program-folder", c.programFolder(), "check"});
    QVERIFY2(checked.status == 0, qPrintable(checked.out + checked.err));
    QVERIFY(checked.out.contains("問題はありません"));
    QCOMPARE(checked.out.count("注意:"), 1);
    QVERIFY(checked.out.contains("起動"));

    // Run again: nothing is replaced.
    const QMap<QString, QByteArray> before = snapshot(c.dir.path());
    const test::Run again = companion(initArgs(c));
    QVERIFY2(again.status == 0, qPrintable(again.out + again.err));
    QVERIFY(!again.out.contains("作りました"));
    QVERIFY(again.out.contains("そのままにしました"));
    QCOMPARE(snapshot(c.dir.path()), before);
}

// Another classroom computer points at the same data folder: only its path file is new,
// and the site options are not needed once the settings exist.
void TestInitCheck::secondComputerGetsOnlyItsPathFile() {
    Computer first;
    QCOMPARE(companion(initArgs(first)).status, 0);
    const QMap<QString, QByteArray> data = snapshot(first.data());
    Computer second;
    const test::Run made = companion({"--program-folder", second.programFolder(), "init", "--data-folder",
                                      first.data(), "--install-folder", second.common()});
    QVERIFY2(made.status == 0, qPrintable(made.out + made.err));
    QCOMPARE(made.out.count("作りました"), 1);
    QVERIFY(made.out.contains("パスデータ.txt"));
    QCOMPARE(snapshot(first.data()), data);
    const test::Run checked = companion({"--program-folder", second.programFolder(), "check"});
    QVERIFY2(checked.status == 0, qPrintable(checked.out + checked.err));

    // A path file that names another data folder is kept, and said so.
    Computer third;
    test::writeBytes(third.common() + "/パスデータ.txt", "/elsewhere/\r\n");
    const test::Run kept = companion({"--program-folder", third.programFolder(), "init", "--data-folder",
                                      first.data(), "--install-folder", third.common()});
    QCOMPARE(kept.status, 1);
    QVERIFY2(kept.err.contains("/elsewhere/"), qPrintable(kept.err));
    QCOMPARE(test::readBytes(third.common() + "/パスデータ.txt"), QByteArray("/elsewhere/\r\n"));
}

void TestInitCheck::initRefuses_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("says");
    QTest::newRow("no data folder") << QStringList{"init", "--site-code", "1"} << "--data-folder";
    QTest::newRow("code of letters") << QStringList{"init", "--data-folder", "DATA", "--site-code", "ab"}
                                     << "1～5 けた";
    QTest::newRow("quote in the name")
        << QStringList{"init", "--data-folder", "DATA", "--site-name", "a\"b"} << "--site-name";
    QTest::newRow("new settings without a password")
        << QStringList{"init", "--data-folder", "DATA", "--site-code", "1", "--site-name", "x"}
        << "--password";
    QTest::newRow("unknown option") << QStringList{"init", "--data-folder", "DATA", "--force"} << "--force";
}

void TestInitCheck::initRefuses() {
    QFETCH(QStringList, args);
    QFETCH(QString, says);
    Computer c;
    args.replaceInStrings("DATA", c.data());
    const test::Run run = companion(QStringList{"--program-folder", c.programFolder()} + args);
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(says), qPrintable(run.err));
    QVERIFY(!QFileInfo::exists(c.data()));
}

// The data folder made by root: a classroom user may read it but not record. check, run
// as that user, names every file it cannot write, the user and what to change; once the
// folder is the user's, it is clean. Without a way to switch users, a folder without
// write rights stands in.
void TestInitCheck::classroomUserWithoutRights() {
    Computer c;
    QCOMPARE(companion(initArgs(c)).status, 0);
    const QString results = c.data() + "kazurin2/成績累積データ.dat";
    QByteArray record =
        encodeResultRecord(makeResultRecord(QDateTime::currentDateTime(), 1001, 1, 30, u"00123"));
    test::writeBytes(results, record);
    test::writeBytes(c.data() + "kazurin2/" + answerLogFileName(), answerLogHeader() + '\n');
    const QStringList checkArgs{"--program-folder", c.programFolder(), "check"};

    test::Run checked;
    QString user;
    const bool asNobody = canRunAsNobody();
    if (asNobody) {
        checked = adminAsNobody(checkArgs);
        user = QStringLiteral("nobody");
    } else {
        for (const QString& path : {results, c.data() + "kazurin2/タイム回数データ.txt",
                                    c.data() + "kazurin2/問題別記録.csv", c.data() + "kazurin2"})
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        checked = companion(checkArgs);
        user = QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name);
    }
    QCOMPARE(checked.status, 1);
    const QStringList lines = checked.out.split('\n', Qt::SkipEmptyParts);
    for (const char* file :
         {"成績累積データ.dat: 成績ファイルを書き込みのために開けない", "kazurin2: フォルダに新しい",
          "タイム回数データ.txt: 合格基準のファイルに書き込めない",
          "問題別記録.csv: 解答の記録に書き込めない"}) {
        const auto line = std::find_if(lines.begin(), lines.end(),
                                       [&](const QString& l) { return l.contains(QString::fromUtf8(file)); });
        QVERIFY2(line != lines.end(), qPrintable(QString::fromUtf8(file) + "\n" + checked.out));
        QVERIFY2(line->contains("利用者 " + user), qPrintable(*line));
        QVERIFY2(line->contains("chown " + user) && line->contains("chmod g+"), qPrintable(*line));
        QVERIFY2(line->contains("uid=") && line->contains("root_squash"), qPrintable(*line));
    }
    QCOMPARE(test::readBytes(results), record); // nothing written
    const QStringList leftovers = QDir(c.data() + "kazurin2").entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(leftovers.size(), 3);

    if (asNobody) {
        // The administrator gives the folder to the classroom user: clean.
        const passwd* pw = ::getpwnam("nobody");
        QDirIterator it(c.data(), QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        QVERIFY(::chown(QFile::encodeName(c.data()).constData(), pw->pw_uid, pw->pw_gid) == 0);
        while (it.hasNext())
            QVERIFY(::chown(QFile::encodeName(it.next()).constData(), pw->pw_uid, pw->pw_gid) == 0);
        const test::Run clean = adminAsNobody(checkArgs);
        QVERIFY2(clean.status == 0, qPrintable(clean.out + clean.err));
    } else {
        for (const QString& path :
             {results, c.data() + "kazurin2/タイム回数データ.txt", c.data() + "kazurin2/問題別記録.csv"})
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QVERIFY(QFile::setPermissions(
            c.data() + "kazurin2", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    }
}

// A path file of one value whose data folder lacks its separator is what the program
// reads without complaint; check agrees.
void TestInitCheck::shortPathFileWithoutSeparatorIsFine() {
    Computer c;
    QCOMPARE(companion(initArgs(c)).status, 0);
    QString folder = c.data();
    folder.chop(1);
    QVERIFY(writeCp932Lines(c.common() + "/パスデータ.txt", {folder}).ok());
    const test::Run checked = companion({"--program-folder", c.programFolder(), "check"});
    QVERIFY2(checked.status == 0, qPrintable(checked.out + checked.err));
    QVERIFY(checked.out.contains("問題はありません"));
}

QTEST_GUILESS_MAIN(TestInitCheck)
#include "tst_initcheck.moc"
