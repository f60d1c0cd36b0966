#include "admin/cli/admincli.h"
#include "data/oledate.h"
#include "data/resultstore.h"
#include "data/textio.h"
#include "support/commandrun.h"
#include "support/smallinstallation.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace kz;

namespace {

const QDateTime kNow(QDate(2004, 3, 15), QTime(14, 30, 0)); // a Monday

ResultRecord rec(const QDateTime& when, int bangou, int level, qint32 time) {
    return makeResultRecord(when, static_cast<qint16>(bangou), static_cast<qint16>(level), time, u"12345");
}

// An installation with two first-graders (school year 2003) and a few attempts at level 2.
class Fixture : public test::SmallInstallation {
public:
    Fixture() {
        write("data/新名簿.txt", {"17,1996,0,0,テスト,0,,", "21,1996,0,0,\"山田, 花子\",0,,"});
        QStringList criteria{"目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,"};
        for (int level = 1; level <= 25; ++level)
            criteria << "60,120,10,3,1.5,20,100,7,1,,,";
        write("data/drill2/タイム回数データ.txt", criteria);
        // Older stations stored the time of day a hair below the whole second.
        ResultRecord early = rec(QDateTime(kNow.date(), QTime(9, 5)), 21, 2, 95);
        early.time -= 0.0004 / kOleSecondsPerDay;
        QByteArray bytes;
        for (const ResultRecord& r : {rec(kNow, 17, 2, 30), early, rec(kNow.addDays(-1), 21, 2, 40),
                                      rec(QDateTime(kNow.date(), QTime(11, 0)), 17, 2, 99999)})
            bytes += encodeResultRecord(r);
        QFile f(dir.path() + "/data/drill2/成績累積データ.dat");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

using test::Run;

Run tables(const Fixture& fx, const QStringList& options) {
    QStringList args{"--program-folder", fx.programFolder(), "tables", "--now", kNow.toString(Qt::ISODate)};
    return test::runCompanionHere(args + options);
}

} // namespace

class TestTablesCommand : public QObject {
    Q_OBJECT
private slots:
    void printsTheLevelMenuLines_data();
    void printsTheLevelMenuLines();
    void everyLevelUnderItsHeading();
    void refusesWrongChoices_data();
    void refusesWrongChoices();
    void runsAsAProgram();
};

void TestTablesCommand::printsTheLevelMenuLines_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("lines");
    const QStringList level2{"--level", "2", "--current", "17"};
    QTest::newRow("best times") << level2 + QStringList{"--display", "time", "--table", "best"}
                                << " 1●テスト　　    30 ●\n 2①山田, 花    40 　\n";
    QTest::newRow("points today") << level2 + QStringList{"--display", "points",        "--table",
                                                          "best",      "--points-kind", "2"}
                                  << " 1●テスト　　 16/   16\n 2①山田, 花  6/   15\n";
    QTest::newRow("today, 09:04:59.9996 read as 09:05")
        << level2 + QStringList{"--display", "time", "--table", "today"}
        << "  30秒 14:30●テスト　　●11\n  95秒 09:05①山田, 花①4\n　　× 11:00●テスト　　●\n";
    QTest::newRow("this week in points")
        << level2 + QStringList{"--display", "points", "--table", "period", "--period=1"}
        << "    4 03/15①山田, 花①95秒\n   11 03/15●テスト　　●30秒\n"
           "　　× 03/15●テスト　　●\n";
    QTest::newRow("thirty days, nobody current")
        << QStringList{"--level", "2", "--display", "time", "--table", "period"}
        << "  30秒 03/15①テスト　　①11\n  40秒 03/14①山田, 花①6\n"
           "  95秒 03/15①山田, 花①4\n　　× 03/15①テスト　　①\n";
}

void TestTablesCommand::printsTheLevelMenuLines() {
    QFETCH(QStringList, options);
    QFETCH(QString, lines);
    Fixture fx;
    const Run run = tables(fx, options);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, lines);
}

void TestTablesCommand::everyLevelUnderItsHeading() {
    Fixture fx;
    Run run = tables(fx, {"--level", "all", "--display", "time", "--table", "best", "--grade-filter", "11"});
    QCOMPARE(run.status, 0);
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 25 + 2 * 25);
    QCOMPARE(lines.mid(3, 4),
             (QStringList{"# level 2", " 1①テスト　　    30 　", " 2①山田, 花    40 　", "# level 3"}));
    // 中１ only: every heading, no line under any.
    run = tables(fx, {"--level", "all", "--display", "time", "--table", "today", "--grade-filter", "5"});
    QCOMPARE(run.out.split(u'\n', Qt::SkipEmptyParts).size(), 25);
    QVERIFY(run.out.endsWith("# level 25\n"));
}

void TestTablesCommand::refusesWrongChoices_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("message");
    QTest::newRow("today in points") << QStringList{"--level", "1", "--display", "points", "--table", "today"}
                                     << "--table today は --display time とだけ使えます";
    QTest::newRow("no level") << QStringList{"--display", "time", "--table", "best"}
                              << "--level、--display、--table が要ります";
    QTest::newRow("level 26") << QStringList{"--level", "26", "--display", "time", "--table", "best"}
                              << "1～25";
    QTest::newRow("filter 12") << QStringList{"--level", "1",    "--display",      "time",
                                              "--table", "best", "--grade-filter", "12"}
                               << "0～11";
    QTest::newRow("period 6") << QStringList{"--level", "1",      "--display", "time",
                                             "--table", "period", "--period",  "6"}
                              << "1～5";
    QTest::newRow("stray option") << QStringList{"--level", "1",    "--display", "time",
                                                 "--table", "best", "--student", "3"}
                                  << "--student は stats、report、remove だけのオプションです";
}

void TestTablesCommand::refusesWrongChoices() {
    QFETCH(QStringList, options);
    QFETCH(QString, message);
    Fixture fx;
    const Run run = tables(fx, options);
    QCOMPARE(run.status, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
}

void TestTablesCommand::runsAsAProgram() {
    Fixture fx;
    QProcess p;
    p.start(QStringLiteral(KZ_ADMIN_EXE),
            {"--program-folder", fx.programFolder(), "tables", "--level", "2", "--display", "time", "--table",
             "best", "--now", "2004-03-15T14:30:00"});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()),
             QString(" 1①テスト　　    30 　\n 2①山田, 花    40 　\n"));
    p.start(QStringLiteral(KZ_ADMIN_EXE), {"--help"});
    QVERIFY(p.waitForFinished(60000));
    const QString help = QString::fromUtf8(p.readAllStandardOutput());
    for (const char* word : {"tables", "--level", "--display", "--points-kind", "--period", "--current",
                             "--grade-filter", "# level L"})
        QVERIFY2(help.contains(QString::fromUtf8(word)), word);
}

QTEST_GUILESS_MAIN(TestTablesCommand)
#include "tst_tablescommand.moc"
