#include "admin/cli/admincli.h"
#include "core/installation.h"
#include "core/runstate.h"
#include "data/answerlog.h"
#include "data/keptattempts.h"
#include "data/resultstore.h"
#include "data/textio.h"
#include "platform/sdlsoundplayer.h"
#include "support/commandrun.h"
#include "support/smalldisk.h"
#include "support/smallinstallation.h"
#include "support/soundtestsupport.h"
#include "support/testfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cmath>

#include <unistd.h>

using namespace kz;

namespace {

const QDateTime kNow(QDate(2004, 3, 15), QTime(14, 30, 0));

ResultRecord rec(const QDateTime& when, int bangou, int level, qint32 time, const char* site = "12345") {
    return makeResultRecord(when, static_cast<qint16>(bangou), static_cast<qint16>(level), time,
                            QString::fromLatin1(site));
}

// A small installation: common/パスデータ.txt, the program folder common/drill2 and
// the data folder data/ with settings, roster, sounds, criteria and results.
class Fixture : public test::SmallInstallation {
public:
    Fixture() {
        QDir(dir.path()).mkpath("data/音フォルダ");
        roster({"17,1996,0,0,テスト,0,,", "21,1996,0,0,\"山田, 花子\",0,,", "5,1970,0,0,先生★,0,,",
                "4,1996,0,0,\"  空白 \",1,,"});
        QStringList criteria{"目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,"};
        for (int level = 1; level <= 25; ++level)
            criteria << "60,60,10,3,1.5,20,100,7,1,,,";
        write("data/drill2/タイム回数データ.txt", criteria);
        write("data/音フォルダ/新音ファイル.txt",
              {"正解音2,pinpon,*", "間違い音2,bubu,*", "自己最高音2,yatta,*", "不合格音1,zannen,*"});
        for (const char* wav : {"pinpon", "bubu", "yatta", "zannen", "最高1", "合格", "警告1"})
            QVERIFY(test::writeToneWav(path(QString("data/音フォルダ/%1.wav").arg(QString::fromUtf8(wav))),
                                       {8000, 8, 0.05, 440.0}));
        results({rec(kNow, 17, 2, 30), rec(kNow.addDays(-1).addSecs(-5 * 3600 - 24 * 60 - 53), 21, 2, 95),
                 rec(kNow.addSecs(-4 * 3600 - 1800), 1200, 3, 20, ""), rec(kNow.addSecs(300), 17, 2, 99999)});
    }

    void roster(const QStringList& lines) { write("data/新名簿.txt", lines); }
    void touch(const QString& relative) {
        QFile f(path(relative));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    void results(const QList<ResultRecord>& records, const QByteArray& tail = {}) {
        QByteArray bytes;
        for (const ResultRecord& r : records)
            bytes += encodeResultRecord(r);
        bytes += tail;
        QFile f(path("data/drill2/成績累積データ.dat"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
};

using test::Run;

Run companion(const Fixture& fx, QStringList args) {
    args.prepend(fx.programFolder());
    args.prepend("--program-folder");
    return test::runCompanionHere(args);
}

constexpr auto process = &test::runProcess;

// The record the helper program's "append" writes as the i-th of student tag.
QByteArray appendedByHelper(int tag, int i) {
    return encodeResultRecord(rec(QDateTime(QDate(2004, 3, 15), QTime(14, 30)), tag, i % 35 + 1, i));
}

// Every file of the installation with its contents' hash: readers change nothing.
QMap<QString, QByteArray> snapshot(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        files[path] = f.open(QIODevice::ReadOnly)
                          ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1) +
                                QByteArray::number(QFileInfo(path).lastModified().toMSecsSinceEpoch())
                          : QByteArray("?");
    }
    return files;
}

const char* const kExportHeader =
    "record,date,time,student,name,level,level_name,recorded_time,points,site_code\n";
const char* const kStatsHeader = "student,level,total_attempts,today_attempts,pass_period_attempts,"
                                 "overdo_period_attempts,total_points,today_points,pass_period_points,"
                                 "overdo_period_points,best_time\n";

} // namespace

class TestAdminCli : public QObject {
    Q_OBJECT
private slots:
    void parsesArguments_data();
    void parsesArguments();
    void helpDocumentsEverything();
    void everyCommandHelps_data();
    void everyCommandHelps();
    void usageRefused_data();
    void usageRefused();
    void drawsOnlyForPdf_data();
    void drawsOnlyForPdf();
    void exportsAttemptsInFileOrder();
    void statsAsOfNow();
    void statsOfOneStudent();
    void schoolBest();
    void distributionOfALevel();
    void checkCleanInstallation();
    void checkReportsEachProblem();
    void missingPathFile();
    void brokenInstallations_data();
    void brokenInstallations();
    void companionGivesUpOnRefusedResults_data();
    void companionGivesUpOnRefusedResults();
    void removeRecord_data();
    void removeRecord();
    void checkRepairFinishesAnInterruptedRemoval();
    void checkListsKeptAttempts();
    void checkSummarisesAGarbageAnswerLog();
    void removeKilledAtRandomWhileAStationAppends();
    void soundDevice_data();
    void soundDevice();
    void csvQuoting_data();
    void csvQuoting();
    void runsAsAProgram();
    void utf8RosterIsOneLine();
    void versionOfBothPrograms();
};

void TestAdminCli::parsesArguments_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("command");
    QTest::newRow("check") << QStringList{"check"} << true << "check";
    QTest::newRow("folder first") << QStringList{"--program-folder", "/x", "export"} << true << "export";
    QTest::newRow("folder =") << QStringList{"stats", "--program-folder=/x"} << true << "stats";
    QTest::newRow("stats options") << QStringList{"stats", "--now", "2004-03-15T14:30:00", "--student", "17"}
                                   << true << "stats";
    QTest::newRow("school-best now") << QStringList{"school-best", "--now=2004-03-15T14:30:00"} << true
                                     << "school-best";
    QTest::newRow("distribution") << QStringList{"distribution", "--level=2"} << true << "distribution";
    QTest::newRow("distribution without level") << QStringList{"distribution"} << false << "";
    QTest::newRow("level 36") << QStringList{"distribution", "--level", "36"} << false << "";
    QTest::newRow("level on stats") << QStringList{"stats", "--level", "2"} << false << "";
    QTest::newRow("help alone") << QStringList{"--help"} << true << "";
    QTest::newRow("no command") << QStringList{} << false << "";
    QTest::newRow("unknown command") << QStringList{"purge"} << false << "";
    QTest::newRow("two commands") << QStringList{"check", "export"} << false << "";
    QTest::newRow("unknown option") << QStringList{"check", "--force"} << false << "";
    QTest::newRow("bad now") << QStringList{"stats", "--now", "yesterday"} << false << "";
    QTest::newRow("now without value") << QStringList{"stats", "--now"} << false << "";
    QTest::newRow("student 0") << QStringList{"stats", "--student", "0"} << false << "";
    QTest::newRow("student 5001") << QStringList{"stats", "--student", "5001"} << false << "";
    QTest::newRow("student on export") << QStringList{"export", "--student", "3"} << false << "";
    QTest::newRow("tables") << QStringList{"tables", "--level=2", "--display", "time", "--table=best"} << true
                            << "tables";
    QTest::newRow("tables option without value")
        << QStringList{"tables", "--display=time", "--level"} << false << "";
    QTest::newRow("tables level 0") << QStringList{"tables", "--level=0", "--display=time", "--table=best"}
                                    << false << "";
    QTest::newRow("now on check") << QStringList{"check", "--now", "2004-03-15T14:30:00"} << false << "";
    QTest::newRow("remove") << QStringList{"remove", "--record", "3", "--student", "17"} << true << "remove";
    QTest::newRow("remove without record") << QStringList{"remove", "--student", "17"} << false << "";
    QTest::newRow("record 0") << QStringList{"remove", "--record", "0"} << false << "";
    QTest::newRow("record on check") << QStringList{"check", "--record", "3"} << false << "";
    QTest::newRow("check --repair") << QStringList{"check", "--repair", "--wait", "0"} << true << "check";
    QTest::newRow("repair on export") << QStringList{"export", "--repair"} << false << "";
    QTest::newRow("wait on facts") << QStringList{"facts", "--student", "17", "--wait", "2"} << true
                                   << "facts";
}

void TestAdminCli::parsesArguments() {
    QFETCH(QStringList, args);
    QFETCH(bool, ok);
    QFETCH(QString, command);
    const Outcome<admin::CommandLine> options = admin::parseCommandLine(args);
    QCOMPARE(options.ok(), ok);
    if (ok)
        QCOMPARE(options->command ? options->command->name : QString(), command);
    else
        QVERIFY(!options.error().message.isEmpty());
}

void TestAdminCli::helpDocumentsEverything() {
    Fixture fx;
    const Run run = companion(fx, {"--help"});
    QCOMPARE(run.status, 0);
    for (const char* word :
         {"check", "export", "stats", "school-best", "distribution", "--level", "--program-folder", "--now",
          "--student", "パスデータ.txt", "level,school_best_time", "points,site_code", "best_time", "remove",
          "--record", "--repair", "--wait"})
        QVERIFY2(run.out.contains(QString::fromUtf8(word)), word);
}

void TestAdminCli::everyCommandHelps_data() {
    QTest::addColumn<QString>("name");
    for (const admin::Command& command : admin::commandTable())
        QTest::newRow(qPrintable(command.name)) << command.name;
}

// The table drives --help: every command's part is in the whole help, and COMMAND --help
// gives that part alone without reading any installation.
void TestAdminCli::everyCommandHelps() {
    QFETCH(QString, name);
    const auto& table = admin::commandTable();
    const auto row = std::find_if(table.begin(), table.end(), [&](const auto& c) { return c.name == name; });
    QVERIFY(row != table.end());
    QVERIFY(!row->summary.isEmpty() && !row->summary.contains(u'\n'));
    QVERIFY(row->help.startsWith("  " + name));
    QVERIFY(test::runCompanionHere({"--help"}).out.contains(row->help));
    for (const QStringList& args : {QStringList{name, "--help"}, QStringList{"-h", name}}) {
        const Run run = test::runCompanionHere(QStringList{"--program-folder", "/nonexistent"} + args);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, admin::commandHelpText(*row));
        QVERIFY(run.err.isEmpty());
    }
}

void TestAdminCli::usageRefused_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown command") << QStringList{"purge"} << "purge というコマンドはありません";
    QTest::newRow("help of an unknown command")
        << QStringList{"purge", "--help"} << "purge というコマンドはありません";
    QTest::newRow("no command") << QStringList{"--wait", "3"} << "コマンドがありません";
    QTest::newRow("unknown option") << QStringList{"check", "--force"}
                                    << "--force というオプションはありません";
    QTest::newRow("extra argument") << QStringList{"sound", "now"} << "余分な引数があります: now";
    QTest::newRow("another command's option")
        << QStringList{"export", "--now=2004-03-15T14:30:00"}
        << "--now は stats、school-best、tables、report だけのオプションです";
    QTest::newRow("given before the command")
        << QStringList{"--hold", "5", "check"} << "--hold は lock-test だけのオプションです";
    QTest::newRow("to a command reading its own") << QStringList{"facts", "--student", "17", "--hold", "5"}
                                                  << "--hold は lock-test だけのオプションです";
    QTest::newRow("a command's own check") << QStringList{"report", "--student", "17"}
                                           << "report には --student N --level L か --pdf FILE が要ります";
}

// Refused before any file is read: status 2, nothing on standard output, the way to --help.
void TestAdminCli::usageRefused() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const Run run = test::runCompanionHere(QStringList{"--program-folder", "/nonexistent"} + args);
    QCOMPARE(run.status, int(admin::ExitUsage));
    QVERIFY(run.out.isEmpty());
    QCOMPARE(run.err, "kazurin2-admin: " + message + "\n使い方は kazurin2-admin --help で表示されます\n");
}

void TestAdminCli::drawsOnlyForPdf_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("draws");
    QTest::newRow("report to a PDF file") << QStringList{"report", "--pdf=x.pdf"} << true;
    QTest::newRow("report's summary") << QStringList{"report", "--student", "1", "--level", "1"} << false;
    QTest::newRow("facts to a PDF file") << QStringList{"facts", "--student", "1", "--pdf", "x.pdf"} << true;
    QTest::newRow("refused") << QStringList{"check", "--pdf", "x.pdf"} << false;
    QTest::newRow("help") << QStringList{"report", "--pdf=x.pdf", "--help"} << false;
}

void TestAdminCli::drawsOnlyForPdf() {
    QFETCH(QStringList, args);
    QFETCH(bool, draws);
    QCOMPARE(admin::cliNeedsDrawing(args), draws);
}

void TestAdminCli::exportsAttemptsInFileOrder() {
    Fixture fx;
    ResultRecord zeros;
    zeros.date = 0;
    fx.results({rec(kNow, 17, 2, 30), rec(QDateTime(QDate(2004, 3, 14), QTime(9, 5, 7)), 21, 2, 95), zeros,
                rec(QDateTime(QDate(2004, 3, 15), QTime(10, 0)), 1200, 3, 20, ""),
                rec(kNow.addSecs(300), 17, 2, 99999), rec(kNow, 17, 36, 50), rec(kNow, 4, 1, 30)},
               QByteArray(10, 'x'));
    const Run run = companion(fx, {"export"});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out,
             QString::fromUtf8(kExportHeader) +
                 QString::fromUtf8("1,2004-03-15,14:30:00,17,テスト,2,１４(1-10R),30,16,12345\n"
                                   "2,2004-03-14,09:05:07,21,\"山田, 花子\",2,１４(1-10R),95,6,12345\n"
                                   "4,2004-03-15,10:00:00,1200,,3,１４(10-15),20,28,\n"
                                   "5,2004-03-15,14:35:00,17,テスト,2,１４(1-10R),99999,0,12345\n"
                                   "6,2004-03-15,14:30:00,17,テスト,36,,50,0,12345\n"
                                   "7,2004-03-15,14:30:00,4,空白,1,１４(1-10),30,16,12345\n"));
}

void TestAdminCli::statsAsOfNow() {
    Fixture fx;
    const Run run = companion(fx, {"stats", "--now", "2004-03-15T14:30:00"});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QString::fromUtf8(kStatsHeader) + "17,2,1,1,1,1,16,16,16,16,30\n"
                                                        "21,2,1,0,1,0,6,0,6,0,95\n"
                                                        "1200,3,1,1,1,1,28,28,28,28,20\n");
    // A week later only the totals and best times are left.
    const Run later = companion(fx, {"stats", "--now", "2004-03-22T14:30:00"});
    QCOMPARE(later.out, QString::fromUtf8(kStatsHeader) + "17,2,1,0,0,0,16,0,0,0,30\n"
                                                          "21,2,1,0,0,0,6,0,0,0,95\n"
                                                          "1200,3,1,0,0,0,28,0,0,0,20\n");
}

void TestAdminCli::statsOfOneStudent() {
    Fixture fx;
    Run run = companion(fx, {"stats", "--now", "2004-03-15T14:30:00", "--student", "21"});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QString::fromUtf8(kStatsHeader) + "21,2,1,0,1,0,6,0,6,0,95\n");
    run = companion(fx, {"stats", "--now", "2004-03-15T14:30:00", "--student", "22"});
    QCOMPARE(run.out, QString::fromUtf8(kStatsHeader));
}

void TestAdminCli::schoolBest() {
    Fixture fx;
    const Run run = companion(fx, {"school-best"});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QString("level,school_best_time\n2,30\n")); // Bangou 1200 makes no school best
}

void TestAdminCli::distributionOfALevel() {
    Fixture fx;
    const Run run = companion(fx, {"distribution", "--level", "2"});
    QCOMPARE(run.status, 0);
    const QStringList lines = run.out.split(u'\n');
    QCOMPARE(lines.size(), 102 + 1 + 102 + 1);
    QCOMPARE(lines[0], QStringLiteral("レベル2 今まで3回  （★=1）"));
    QCOMPARE(lines[4], QStringLiteral("  30～★"));
    QCOMPARE(lines[10], QStringLiteral("  90～★"));
    QCOMPARE(lines[101], QStringLiteral("1000～★")); // the time-out
    QCOMPARE(lines[102], QString());
    QCOMPARE(lines[103], QStringLiteral("レベル2 （★=1）"));
    QCOMPARE(lines[103 + 4], QStringLiteral("  30～★"));
    QCOMPARE(lines[103 + 10], QStringLiteral("  90～★"));
    QCOMPARE(lines[103 + 31], QStringLiteral(" 300～"));
}

void TestAdminCli::checkCleanInstallation() {
    Fixture fx;
    const Run run = companion(fx, {"check"});
    QCOMPARE(run.out, QStringLiteral("問題はありません\n"));
    QCOMPARE(run.status, 0);
}

void TestAdminCli::checkReportsEachProblem() {
    Fixture fx;
    fx.write("data/共通データ.txt", {"13,12345さくら塾,0,,,pass"});
    fx.roster({"17,1996,0,0,テスト,0,,", "30,1996,0,0,短い", "abc,1996,0,0,名,0,,", "6000,1996,0,0,名,0,,",
               "31,1996,0,0,名,99999,,", ""}); // a blank last line holds no student
    QStringList criteria{"目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,"};
    for (int level = 1; level <= 24; ++level)
        criteria << (level == 3 ? "0,60,10,3,x1,20,100,7,1,,," : "60,60,10,3,1.5,20,100,7,1,,,");
    fx.write("data/drill2/タイム回数データ.txt", criteria);
    QFile::remove(fx.path("data/音フォルダ/合格.wav"));
    ResultRecord zeros;
    zeros.date = 0;
    ResultRecord nan = rec(kNow, 17, 2, 30);
    nan.date = std::nan("");
    fx.results({rec(kNow, 17, 2, 30), zeros, rec(kNow, 17, 36, 50), nan, rec(kNow, -5, 2, -1)},
               QByteArray(10, 'x'));
    QFile copy(fx.path("data/drill2/成績累積データtemp.dat"));
    QVERIFY(copy.open(QIODevice::WriteOnly));
    copy.write(QByteArray(6 * 44, '\0'));
    copy.close();

    const Run run = companion(fx, {"check"});
    QCOMPARE(run.status, 1);
    const QString settings = QDir::toNativeSeparators(fx.path("data/共通データ.txt"));
    const QString roster = QDir::toNativeSeparators(fx.path("data/新名簿.txt"));
    const QString crit = QDir::toNativeSeparators(fx.path("data/drill2/タイム回数データ.txt"));
    const QString res = QDir::toNativeSeparators(fx.path("data/drill2/成績累積データ.dat"));
    const QStringList expected{
        settings + ":1: 学年の始まりの月「13」が 1～12 ではありません",
        roster + ":2: 値が 5 個しかありません（8 個必要です）",
        roster + ":3: 1 番目の値: 「abc」は整数ではありません",
        roster + ":4: 番号 6000 は 0～5000 の範囲外です",
        roster + ":5: 6 番目の値: 「99999」は -32768～32767 の範囲外です",
        crit + ": レベルの行が 24 行しかありません（25 レベル分の 25 行が必要です）",
        crit + ":4: レベル 3: ﾎﾟｲﾝﾄ倍率「x1」が数ではありません",
        crit + ":4: レベル 3: 目標タイム 0 ではポイントが付きません",
        QDir::toNativeSeparators(fx.path("data/音フォルダ/合格.wav")) +
            ": "
            "音のファイルがありません。その音の代わりに同じ種類のほかの音を鳴らし、ほかにないときは鳴らしませ"
            "ん。"
            "プログラムは止まりません",
        res + ":記録 2: レベル 0 が 1～35 の外です、番号 0 が 1～5000 の外です",
        res + ":記録 3: レベル 36 が 1～35 の外です",
        res + ":記録 4: 日付が数ではありません",
        res + ":記録 5: 番号 -5 が 1～5000 の外です、タイム -1 が負の数です",
        res + ": 記録 5 の後ろに 10 バイトの切れた記録があります。次の成績がその上に書かれます",
        QDir::toNativeSeparators(fx.path("data/drill2/成績累積データtemp.dat")) +
            ": 記録の消去が途中で終わったときのコピー " +
            QDir::toNativeSeparators(fx.path("data/drill2/成績累積データtemp.dat")) +
            " が残っています（記録 6 件）。成績ファイルの記録は 5 "
            "件です。このコピーには記録の消去の控えがありませ"
            "ん（前の版のプログラムが作ったコピーです）。消去の前のすべての記録があるかどうかは確かめられませ"
            "ん。"
            "成績ファイルと比べてから、先生がこのコピーを別の場所に移してください。移すまで、記録は消去できま"
            "せん。",
        "問題 15 件",
    };
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines, expected);
}

void TestAdminCli::missingPathFile() {
    Fixture fx;
    QVERIFY(QFile::remove(fx.path("common/パスデータ.txt")));
    Run run = companion(fx, {"check"});
    QCOMPARE(run.status, 1);
    QVERIFY(run.out.contains("パスデータ.txt"));
    run = companion(fx, {"export"});
    QCOMPARE(run.status, 1);
    QVERIFY(run.out.isEmpty());
    QVERIFY(run.err.contains("パスデータ.txt"));
}

void TestAdminCli::brokenInstallations_data() {
    QTest::addColumn<QString>("file"); // relative to the fixture; "DIR" content makes a folder
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("programSays"); // in the start-up's fatal message or notices
    QTest::addColumn<QString>("checkSays");   // in check's output
    const QByteArray huge(2 * 1024 * 1024, 'x');
    QByteArray criteria = "h,,,,,,,,,,,\r\n";
    for (int level = 1; level <= 25; ++level)
        criteria +=
            level == 1 ? "60,60,10,3,3.4e38,1e3,1e300,7,1,,,\r\n" : "60,60,10,3,1.5,20,100,7,1,,,\r\n";
    QTest::newRow("long data folder")
        << "common/パスデータ.txt" << (huge + ",a,b,c,d,e,f,g,h,i") << "長すぎます"
        << "長すぎます";
    QTest::newRow("garbled path file")
        << "common/パスデータ.txt" << QByteArray("\x81\xff\x82/nowhere/,a") << "パスデータ.txt"
        << "パスデータ.txt";
    QTest::newRow("long site name") << "data/共通データ.txt" << ("4,12345" + huge + ",0,,,pass,,,,")
                                    << "塾名が長すぎます"
                                    << "塾名が長すぎます";
    QTest::newRow("settings in UTF-8")
        << "data/共通データ.txt" << QString("4,12345さくら塾,0,,,pass,,,,").toUtf8() << "UTF-8"
        << "UTF-8";
    QTest::newRow("roster in UTF-8") << "data/新名簿.txt" << QString("17,1996,0,0,テスト,0,,\r\n").toUtf8()
                                     << "UTF-8 として読みますが"
                                     << "iconv -f UTF-8 -t CP932 新名簿.txt > 新名簿.txt.sjis";
    QTest::newRow("roster stray bytes")
        << "data/新名簿.txt" << QByteArray("17,1996,0,0,\x85\x7f\xfd,0,,\r\n") << "新名簿.txt の 1 行目"
        << "Shift-JIS（CP932）にない";
    QTest::newRow("empty criteria") << "data/drill2/タイム回数データ.txt" << QByteArray()
                                    << "レベル 1～25 の行がありません"
                                    << "0 行しかありません";
    QTest::newRow("criteria lines of one field")
        << "data/drill2/タイム回数データ.txt" << QByteArray("h,,,,,,,,,,,\r\n60\r\n60,60\r\n")
        << "レベル 1、2 の行は 12 個の値がそろっていません"
        << "値が 1 個あります";
    QTest::newRow("criteria exponents are numbers") << "data/drill2/タイム回数データ.txt" << criteria << ""
                                                    << "問題はありません";
    QTest::newRow("truncated wav") << "data/音フォルダ/pinpon.wav" << QByteArray("RIFF\x24\x08\0\0WAVEfmt ")
                                   << "再生できない音"
                                   << "pinpon.wav: 再生できません";
    QTest::newRow("text as wav") << "data/音フォルダ/bubu.wav" << QByteArray("not a sound\r\n")
                                 << "再生できない音"
                                 << "bubu.wav: 再生できません";
    QTest::newRow("folder as wav") << "data/音フォルダ/合格.wav" << QByteArray("DIR") << "再生できない音"
                                   << "合格.wav: 再生できません";
    // A folder where the results file belongs is no empty results file.
    QTest::newRow("folder as results") << "data/drill2/成績累積データ.dat" << QByteArray("DIR") << ""
                                       << "成績累積データ.dat（ファイルではなくフォルダです）";
    // A named pipe where a data file belongs: the program and every command answer at
    // once; check names the file.
    const QString pipe = QStringLiteral("名前付きパイプ");
    QTest::newRow("pipe as path file") << "common/パスデータ.txt" << QByteArray("FIFO") << pipe << pipe;
    QTest::newRow("pipe as settings") << "data/共通データ.txt" << QByteArray("FIFO") << pipe << pipe;
    QTest::newRow("pipe as roster") << "data/新名簿.txt" << QByteArray("FIFO") << "" << pipe;
    QTest::newRow("pipe as criteria")
        << "data/drill2/タイム回数データ.txt" << QByteArray("FIFO") << pipe << pipe;
    QTest::newRow("pipe as sound list")
        << "data/音フォルダ/新音ファイル.txt" << QByteArray("FIFO") << pipe << pipe;
    QTest::newRow("pipe as sound") << "data/音フォルダ/bubu.wav" << QByteArray("FIFO") << pipe << pipe;
    QTest::newRow("pipe as results") << "data/drill2/成績累積データ.dat" << QByteArray("FIFO") << "" << pipe;
    QTest::newRow("pipe as answer log") << "data/drill2/問題別記録.csv" << QByteArray("FIFO") << "" << pipe;
}

void TestAdminCli::brokenInstallations() {
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, programSays);
    QFETCH(QString, checkSays);
    Fixture fx;
    QFile::remove(fx.path(file));
    if (content == "DIR") {
        QVERIFY(QDir().mkpath(fx.path(file)));
    } else if (content == "FIFO") {
        QVERIFY(test::makeFifo(fx.path(file)));
        ::alarm(120); // a reader that waits on the pipe ends the test here
    } else {
        QFile f(fx.path(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    const QMap<QString, QByteArray> before = snapshot(fx.dir.path());

    RunState state;
    const Outcome<QStringList> started =
        resolveInstallation(fx.programFolder(), state, &SdlSoundPlayer::probeFile);
    const QString told = started ? started->join(u'\n') : started.error().message;
    if (programSays.isEmpty())
        QVERIFY2(told.isEmpty(), qPrintable(told));
    else
        QVERIFY2(told.contains(programSays), qPrintable(told.left(2000)));
    QVERIFY2(told.size() < 2000, "a message that long cannot be shown");
    if (file.endsWith("タイム回数データ.txt") && programSays.isEmpty()) {
        // Exponent forms read as the numbers they are written as: nothing is locked.
        QCOMPARE(state.tables.criteria[1].overdoCount, 1000.0);
        QCOMPARE(state.tables.criteria[1].overdoPoints, 1e300);
    }

    const Run run = companion(fx, {"check"});
    QVERIFY2(run.out.contains(checkSays), qPrintable(run.out.left(3000)));
    QCOMPARE(run.status, checkSays == QStringLiteral("問題はありません") ? 0 : 1);
    QVERIFY2(run.out.size() < 3000, "check prints broken values in full");
    QVERIFY2(!run.out.contains(QStringLiteral("切れた記録")), qPrintable(run.out.left(3000)));
    if (content == "FIFO") {
        // Every other command answers too (with a message, or without needing the file).
        for (const QStringList& command :
             {QStringList{"export"}, QStringList{"stats"}, QStringList{"school-best"},
              QStringList{"distribution", "--level", "2"},
              QStringList{"tables", "--level", "2", "--display", "time", "--table", "best"},
              QStringList{"tables", "--level", "2", "--display", "time", "--table", "today"},
              QStringList{"report", "--student", "17", "--level", "2"},
              QStringList{"facts", "--student", "17"},
              QStringList{"remove", "--record", "1", "--student", "4999"}}) {
            const Run other = companion(fx, command + QStringList{"--wait", "0"});
            QVERIFY2(other.status >= 0 && other.status <= 1,
                     qPrintable(command.join(' ') + ": " + other.err.left(500)));
        }
        ::alarm(0);
    }
    QCOMPARE(snapshot(fx.dir.path()), before);
}

// A results file that may not be read (as another station's lock looks on a share):
// every command tries again for --wait seconds and then says so.
void TestAdminCli::companionGivesUpOnRefusedResults_data() {
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("file"); // the file that may not be read
    const QString results = QStringLiteral("data/drill2/成績累積データ.dat");
    QTest::newRow("stats") << QStringList{"stats"} << results;
    QTest::newRow("school-best") << QStringList{"school-best"} << results;
    QTest::newRow("check") << QStringList{"check"} << results;
    QTest::newRow("export") << QStringList{"export"} << results;
    QTest::newRow("distribution") << QStringList{"distribution", "--level", "2"} << results;
    QTest::newRow("tables of best times")
        << QStringList{"tables", "--level", "2", "--display", "time", "--table", "best"} << results;
    QTest::newRow("tables of today") << QStringList{"tables", "--level", "2",    "--display",
                                                    "time",   "--table", "today"}
                                     << results;
    QTest::newRow("report") << QStringList{"report", "--student", "17", "--level", "2"} << results;
    QTest::newRow("remove") << QStringList{"remove", "--record", "1"} << results;
    QTest::newRow("facts") << QStringList{"facts", "--student", "17"} << "data/drill2/問題別記録.csv";
}

void TestAdminCli::companionGivesUpOnRefusedResults() {
    QFETCH(QStringList, command);
    QFETCH(QString, file);
    Fixture fx;
    const QString refused = fx.path(file);
    fx.touch(file);
    QVERIFY(QFile::setPermissions(refused, QFileDevice::Permissions()));
    QStringList program{QStringLiteral(KZ_ADMIN_EXE)};
    if (::geteuid() == 0) {
        // root reads any file: the companion runs as an ordinary user, who may read
        // everything of the installation but that file.
        QDirIterator it(fx.dir.path(), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        QFile::setPermissions(fx.dir.path(), QFileDevice::Permissions(0x7755));
        while (it.hasNext())
            QFile::setPermissions(it.next(), QFileDevice::Permissions(0x7755));
        program = QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"} + program;
    }
    const Run run = process(program.first(),
                            program.mid(1) +
                                QStringList{"--program-folder", fx.programFolder(), "--wait", "1"} + command);
    QCOMPARE(run.status, 1);
    const QString told = run.out + run.err;
    QVERIFY2(told.contains(QDir::toNativeSeparators(refused)), qPrintable(told.left(2000)));
}

// remove takes a record out exactly as the record browser does, refusing when the
// record is not the student's or does not exist.
void TestAdminCli::removeRecord_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QList<int>>("left"); // students of the records afterwards
    QTest::addColumn<QString>("says");
    QTest::newRow("record of the student") << QStringList{"--record", "2", "--student", "21"} << 0
                                           << QList<int>{17, 1200, 17} << "記録 2（番号 21、レベル 2、";
    QTest::newRow("without student") << QStringList{"--record", "4"} << 0 << QList<int>{17, 21, 1200}
                                     << "成績ファイルの記録は 3 件です";
    QTest::newRow("another student's") << QStringList{"--record", "2", "--student", "17"} << 1
                                       << QList<int>{17, 21, 1200, 17} << "番号 21 の記録です";
    QTest::newRow("no such record") << QStringList{"--record", "9"} << 1 << QList<int>{17, 21, 1200, 17}
                                    << "記録 9 は成績ファイルにありません";
}

void TestAdminCli::removeRecord() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QList<int>, left);
    QFETCH(QString, says);
    Fixture fx;
    const Run run = companion(fx, QStringList{"remove"} + args);
    QCOMPARE(run.status, status);
    QVERIFY2((run.out + run.err).contains(says), qPrintable(run.out + run.err));
    const Outcome<ResultsFileContents> after = readAllResults(fx.path("data/drill2/成績累積データ.dat"));
    QVERIFY(after.ok());
    QList<int> students;
    for (const ResultRecord& r : after->records)
        students << r.bangou;
    QCOMPARE(students, left);
    QVERIFY(!QFile::exists(fx.path("data/drill2/成績累積データtemp.dat")));
    QVERIFY(!QFile::exists(fx.path("data/drill2/成績累積データtemp.jnl")));
}

// A removal a station was switched off in the middle of: check tells it (the copy is
// checked against its digest), check --repair finishes it, and check is content.
void TestAdminCli::checkRepairFinishesAnInterruptedRemoval() {
    Fixture fx;
    const QString results = fx.path("data/drill2/成績累積データ.dat");
    const QString copy = fx.path("data/drill2/成績累積データtemp.dat");
    const QByteArray before = test::readBytes(results);
    const Run crash =
        process(QStringLiteral(KZ_RESULT_APPENDER), {"remove-crash", results, copy, "2", "Marked"});
    QCOMPARE(crash.status, 9);
    fx.write("data/drill2/タイム回数データ.txt.saving-0badf00d.tmp", {"half a save"});

    Run run = companion(fx, {"check"});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.out.contains(QStringLiteral("記録 2 の消去が途中で止まっています")) &&
                 run.out.contains(QStringLiteral("すべての記録（4 件）があります")) &&
                 run.out.contains(QStringLiteral("saving-0badf00d.tmp: 保存の途中で止まった")),
             qPrintable(run.out));

    run = companion(fx, {"check", "--repair"});
    QVERIFY2(run.out.contains(QStringLiteral("記録 2 の消去を最後まで行いました")), qPrintable(run.out));
    QVERIFY2(run.out.contains(QStringLiteral("一時ファイルを削除しました")), qPrintable(run.out));
    QVERIFY2(run.out.endsWith(QStringLiteral("問題はありません\n")), qPrintable(run.out));
    QCOMPARE(run.status, 0);
    QCOMPARE(test::readBytes(results), before.left(44) + before.mid(88));
}

// A log of garbage: check names the first unreadable lines and counts the rest.
void TestAdminCli::checkSummarisesAGarbageAnswerLog() {
    Fixture fx;
    QByteArray log = answerLogHeader() + '\n';
    for (int i = 0; i < 3000; ++i)
        log += "garbage " + QByteArray::number(i) + '\n';
    test::writeBytes(fx.path("data/drill2/問題別記録.csv"), log);
    const Run run = companion(fx, {"check"});
    QCOMPARE(run.status, 1);
    const QString path = QDir::toNativeSeparators(fx.path("data/drill2/問題別記録.csv"));
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    // The first twenty bad lines, then how many more.
    QCOMPARE(lines.filter(path + QStringLiteral(":")).size(), 21);
    QCOMPARE(lines.filter(QStringLiteral(":2: 解答の 11 項目がそろっていません")).size(), 1);
    QVERIFY(lines.contains(path + QStringLiteral(": ほかに 2980 行が読めません（読み飛ばされます）")));
}

// Attempts this computer kept while the results file could not be written: check lists
// them one by one and says that it sees only this computer's store; --repair appends them.
void TestAdminCli::checkListsKeptAttempts() {
    Fixture fx;
    const QByteArray savedState = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", fx.path("state").toUtf8());
    const auto restore = qScopeGuard([&] { qputenv("XDG_STATE_HOME", savedState); });
    Installation inst;
    QVERIFY(resolveInstallationPaths(fx.programFolder(), &inst).ok());
    const QString results = fx.path("data/drill2/成績累積データ.dat");
    const QByteArray before = test::readBytes(results);
    const ResultRecord first = rec(kNow.addSecs(600), 17, 2, 95);
    const ResultRecord second = rec(kNow.addSecs(900), 21, 3, 99999);
    const QByteArray answers =
        formatAttemptAnswers(kNow.addSecs(600), 17, 2,
                             QList<AnsweredQuestion>(3, AnsweredQuestion{14, 2, "28", true, false, 800}));
    QVERIFY(keepAttempt(inst.keptFolder, inst.programDataFolder, first, answers).ok());
    QVERIFY(keepAttempt(inst.keptFolder, inst.programDataFolder, second, {}).ok());

    const QString store = QDir::toNativeSeparators(inst.keptFolder + keptAttemptsFileName());
    Run run = companion(fx, {"check"});
    QCOMPARE(run.status, 1);
    for (const QString& line :
         {store + QStringLiteral(
                      ": このコンピューターに、成績ファイルにまだ書き込めていない成績が 2 件あります。"),
          QStringLiteral("ほかのコンピューターの控えは、そのコンピューターで check を実行すると分かります"),
          store + QStringLiteral(":記録 1: 2004-03-15 14:40:00 番号 17 レベル 2 95 秒、解答 3 行\n"),
          store + QStringLiteral(":記録 2: 2004-03-15 14:45:00 番号 21 レベル 3 時間切れ、解答 0 行\n")})
        QVERIFY2(run.out.contains(line), qPrintable(run.out));
    QCOMPARE(test::readBytes(results), before);

    run = companion(fx, {"check", "--repair"});
    QVERIFY2(run.out.contains(
                 QStringLiteral("このコンピューターに残していた成績 2 件を成績ファイルに記録しました。")),
             qPrintable(run.out));
    QVERIFY2(!run.out.contains(QStringLiteral("まだ書き込めていない")), qPrintable(run.out));
    QCOMPARE(test::readBytes(results), before + encodeResultRecord(first) + encodeResultRecord(second));
    QVERIFY(test::readBytes(fx.path("data/drill2/") + answerLogFileName()).contains(answers));
}

// The companion's remove, killed at random while another station appends; check
// --repair after each kill. No record is lost, duplicated or torn.
void TestAdminCli::removeKilledAtRandomWhileAStationAppends() {
    Fixture fx;
    const QString results = fx.path("data/drill2/成績累積データ.dat");
    constexpr int kOwn = 60;
    constexpr int kAppended = 80;
    QList<ResultRecord> own;
    for (int k = 1; k <= kOwn; ++k)
        own << rec(kNow, k, 2, k);
    fx.results(own);
    const QString go = fx.path("go");
    fx.touch("go");
    QProcess station;
    station.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    station.start(QStringLiteral(KZ_RESULT_APPENDER),
                  {"append", results, "4999", QString::number(kAppended), go});
    QVERIFY(station.waitForStarted());
    QRandomGenerator random(1503);
    for (int kill = 0; kill < 8; ++kill) {
        QProcess remove;
        remove.start(QStringLiteral(KZ_ADMIN_EXE),
                     {"--program-folder", fx.programFolder(), "remove", "--record", "1"});
        QVERIFY(remove.waitForStarted());
        QThread::msleep(random.bounded(5, 120));
        remove.kill();
        QVERIFY(remove.waitForFinished(30000));
        const Run repaired = process(QStringLiteral(KZ_ADMIN_EXE),
                                     {"--program-folder", fx.programFolder(), "check", "--repair"});
        QVERIFY2(repaired.status == 0 || repaired.status == 1, qPrintable(repaired.err));
    }
    QVERIFY(station.waitForFinished(60000));
    QCOMPARE(station.exitCode(), 0);
    const Outcome<ResultsFileContents> after = readAllResults(results);
    QVERIFY(after.ok());
    QCOMPARE(after->tailBytes, 0);
    QList<int> ownLeft;
    QList<int> appended;
    for (const ResultRecord& r : after->records) {
        if (r.bangou == 4999 && encodeResultRecord(r) == appendedByHelper(4999, r.recordedTime))
            appended << r.recordedTime;
        else if (r.bangou >= 1 && r.bangou <= kOwn &&
                 encodeResultRecord(r) == encodeResultRecord(own[r.bangou - 1]))
            ownLeft << r.bangou;
        else
            QFAIL("a torn or unknown record");
    }
    QList<int> all;
    for (int i = 1; i <= kAppended; ++i)
        all << i;
    QCOMPARE(appended, all); // none lost, none twice
    QList<int> suffix;
    for (int k = kOwn - int(ownLeft.size()) + 1; k <= kOwn; ++k)
        suffix << k;
    QCOMPARE(ownLeft, suffix);
}

// The demo falls back to the silent driver when this says no device can be opened.
void TestAdminCli::soundDevice_data() {
    QTest::addColumn<QString>("driver");
    QTest::addColumn<int>("status");
    QTest::newRow("silent driver opens") << "dummy" << 0;
    QTest::newRow("driver that cannot open") << "nosuchdriver" << 1;
}

void TestAdminCli::soundDevice() {
    QFETCH(QString, driver);
    QFETCH(int, status);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SDL_AUDIODRIVER", driver);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KZ_ADMIN_EXE), {"sound"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), status);
    if (status != 0)
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("音声装置")));
}

void TestAdminCli::csvQuoting_data() {
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("plain") << "テスト"
                           << "テスト";
    QTest::newRow("comma") << "a,b"
                           << "\"a,b\"";
    QTest::newRow("quote") << "say \"hi\""
                           << "\"say \"\"hi\"\"\"";
    QTest::newRow("newline") << "a\nb"
                             << "\"a\nb\"";
    QTest::newRow("empty") << ""
                           << "";
}

void TestAdminCli::csvQuoting() {
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(admin::csvField(in), out);
}

void TestAdminCli::runsAsAProgram() {
    Fixture fx;
    const QString exe = QStringLiteral(KZ_ADMIN_EXE);
    // The default installation is that of the folder the companion lies in.
    const QString copy = fx.programFolder() + "/kazurin2-admin";
    QVERIFY(QFile::copy(exe, copy));
    QVERIFY(QFile::setPermissions(copy, QFile::permissions(exe)));
    Run run = process(copy, {"school-best"});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QString("level,school_best_time\n2,30\n"));

    run = process(exe, {"--program-folder", fx.programFolder(), "export"});
    QCOMPARE(run.status, 0);
    QVERIFY(run.out.startsWith(QString::fromUtf8(kExportHeader)));
    QVERIFY(
        run.out.contains(QString::fromUtf8("1,2004-03-15,14:30:00,17,テスト,2,１４(1-10R),30,16,12345\n")));

    run = process(exe, {"--help"});
    QCOMPARE(run.status, 0);
    QVERIFY(run.out.contains("使い方: kazurin2-admin"));

    run = process(exe, {"frobnicate"});
    QCOMPARE(run.status, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY(run.err.contains("frobnicate というコマンドはありません"));

    QVERIFY(QFile::remove(fx.path("data/drill2/タイム回数データ.txt")));
    run = process(exe, {"--program-folder", fx.programFolder(), "stats"});
    QCOMPARE(run.status, 1);
    QVERIFY(run.err.contains(QString::fromUtf8("タイム回数データ.txt")));
}

// Forty-five students in UTF-8: one line with the lines and the command, not forty-five.
void TestAdminCli::utf8RosterIsOneLine() {
    Fixture fx;
    QStringList lines;
    for (int n = 1; n <= 45; ++n)
        lines << QString("%1,1996,0,0,生徒%1,0,,").arg(n);
    QFile f(fx.path("data/新名簿.txt"));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write((lines.join("\r\n") + "\r\n").toUtf8());
    f.close();
    const Run run = companion(fx, {"check"});
    QCOMPARE(run.status, 1);
    const QStringList said = run.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(said.size(), 2);
    QVERIFY2(said[0].contains("1～45 行目") && said[0].contains("iconv -f UTF-8 -t CP932"),
             qPrintable(said[0]));
    QCOMPARE(said[1], QStringLiteral("問題 1 件"));
}

void TestAdminCli::versionOfBothPrograms() {
    const Run admin = process(QStringLiteral(KZ_ADMIN_EXE), {"--version"});
    QCOMPARE(admin.status, 0);
    QCOMPARE(admin.out, QStringLiteral("kazurin2-admin %1\n").arg(QStringLiteral(KZ_PROJECT_VERSION)));
    const Run program = process(QStringLiteral(KZ_PROGRAM_EXE), {"--version"});
    QCOMPARE(program.status, 0);
    QCOMPARE(program.out, QStringLiteral("kazurin2 %1\n").arg(QStringLiteral(KZ_PROJECT_VERSION)));
}

QTEST_GUILESS_MAIN(TestAdminCli)
#include "tst_admincli.moc"
