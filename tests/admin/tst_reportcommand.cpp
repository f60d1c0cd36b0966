// The companion's report command, run as a program: summary lines and PDF pages.
#include "data/resultstore.h"
#include "data/textio.h"
#include "support/commandrun.h"
#include "support/smalldisk.h"
#include "support/smallinstallation.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace kz;

namespace {

const QDateTime kNow(QDate(2004, 3, 15), QTime(14, 30, 0));

ResultRecord rec(int daysAgo, int bangou, int level, qint32 time) {
    return makeResultRecord(kNow.addDays(-daysAgo).addSecs(-3600), static_cast<qint16>(bangou),
                            static_cast<qint16>(level), time, u"12345");
}

using test::Run;
constexpr auto run = &test::runProcess;

// An installation of four students of grade 3 (school year 2003, born 1994) and a
// teacher: 17 テスト, 21 and 22 who share a long name, 30 who never practised.
class School : public test::SmallInstallation {
public:
    School() {
        write("data/新名簿.txt",
              {"17,1994,0,0,テスト,0,,", "21,1994,0,0,たかはしけんたろう,0,,",
               "22,1994,0,0,たかはしけんたろう,0,,", "30,1994,0,0,やすみ,0,,", "5,1970,0,0,先生★,0,,"});
        QStringList criteria{"目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,"};
        for (int level = 1; level <= 25; ++level)
            criteria << "60,90,10,3,1,20,100,7,1,,,";
        write("data/drill2/タイム回数データ.txt", criteria);
        QByteArray bytes;
        for (const ResultRecord& r :
             {rec(3, 17, 1, 80), rec(2, 17, 1, 50), rec(1, 17, 1, 99999), rec(0, 17, 1, 45),
              rec(0, 21, 1, 40), rec(0, 22, 1, 70), rec(5, 22, 1, 2000), rec(0, 17, 2, 1900),
              rec(0, 21, 2, 30), rec(0, 17, 4, 61)})
            bytes += encodeResultRecord(r);
        QFile f(dir.path() + "/data/drill2/成績累積データ.dat");
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
    Run companion(QStringList args) const {
        args = QStringList{"--program-folder", dir.path() + "/common/drill2"} + args +
               QStringList{"--now", kNow.toString(Qt::ISODate)};
        return run(QStringLiteral(KZ_ADMIN_EXE), args);
    }
    QString file(const QString& name) const { return dir.path() + "/" + name; }
};

int pageCount(const QString& pdf) {
    const Run info = run(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info.out);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace

class TestReportCommand : public QObject {
    Q_OBJECT
private slots:
    void summary_data();
    void summary();
    void pdfPages_data();
    void pdfPages();
    void firstPageLooksDrawn();
    void refusesWrongUse_data();
    void refusesWrongUse();
    void pdfOntoAFullDiskLeavesNothing_data();
    void pdfOntoAFullDiskLeavesNothing();
};

void TestReportCommand::summary_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("lines");
    // Points against 60 s: 17 has 4 + 5 + 5 (80 s, 50 s, 45 s), 21 has 6 (40 s), 22 has 4 + 0
    // (70 s, 2000 s): 24 points over three students.
    QTest::newRow("all ten lines")
        << QStringList{"--student", "17", "--level", "1"}
        << QStringList{"回数　　　　　　　  3回",          "タイム  　　 　    本人 / 塾全体",
                       "　　順位　　　　    2位",          "　　最高　　　　    45 /   40秒",
                       "　　平均　　　　   58秒 /   57秒", "ポイント  　　　",
                       "　　順位　　　　    1位",          "　　獲得ポイント   14点",
                       "　　　　　　　　　　　　/    8点", "　　　　　　　　　　　　 (塾平均)"};
    // Two students share a name longer than the name field: each gets their own rank.
    QTest::newRow("long shared name, faster")
        << QStringList{"--student", "21", "--level", "1"}
        << QStringList{"回数　　　　　　　  1回",          "タイム  　　 　    本人 / 塾全体",
                       "　　順位　　　　    1位",          "　　最高　　　　    40 /   40秒",
                       "　　平均　　　　   40秒 /   57秒", "ポイント  　　　",
                       "　　順位　　　　    2位",          "　　獲得ポイント    6点",
                       "　　　　　　　　　　　　/    8点", "　　　　　　　　　　　　 (塾平均)"};
    QTest::newRow("long shared name, slower")
        << QStringList{"--student", "22", "--level", "1"}
        << QStringList{"回数　　　　　　　  1回",          "タイム  　　 　    本人 / 塾全体",
                       "　　順位　　　　    3位",          "　　最高　　　　    70 /   40秒",
                       "　　平均　　　　   70秒 /   57秒", "ポイント  　　　",
                       "　　順位　　　　    3位",          "　　獲得ポイント    4点",
                       "　　　　　　　　　　　　/    8点", "　　　　　　　　　　　　 (塾平均)"};
    // 1900 s counts for the school's best only; 17's best at level 2 stays 99999.
    QTest::newRow("nothing under 1800 s") << QStringList{"--student", "17", "--level", "2"}
                                          << QStringList{"回数　　　　　　　  0回",
                                                         "タイム  　　 　    本人 / 塾全体",
                                                         "　　順位　　　　    2位",
                                                         "　　最高　　　　 99999 /   30秒",
                                                         "ポイント  　　　",
                                                         "　　順位　　　　    2位",
                                                         "　　獲得ポイント    0点",
                                                         "　　　　　　　　　　　　/   11点",
                                                         "　　　　　　　　　　　　 (塾平均)"};
    QTest::newRow("nobody with points")
        << QStringList{"--student", "30", "--level", "3"}
        << QStringList{"回数　　　　　　　  0回", "タイム  　　 　    本人 / 塾全体",
                       "　　順位　　　　  ---位", "　　最高　　　　 99999 /99999秒",
                       "ポイント  　　　",        "　　順位　　　　    1位",
                       "　　獲得ポイント    0点", "　　　　　　　　　　　　 (塾平均)"};
}

void TestReportCommand::summary() {
    QFETCH(QStringList, args);
    QFETCH(QStringList, lines);
    School school;
    const Run r = school.companion(QStringList{"report"} + args);
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(r.out.split(u'\n', Qt::SkipEmptyParts), lines);
}

void TestReportCommand::pdfPages_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("pages");
    QTest::newRow("five levels, two pages") << QStringList{"--students", "17", "--levels", "1-5"} << 2;
    QTest::newRow("two students, each from a new page")
        << QStringList{"--students", "17,21", "--levels", "1,2"} << 2;
    QTest::newRow("grade 3, five levels") << QStringList{"--grade-filter", "小３", "--levels", "1-5"} << 8;
    QTest::newRow("grade 3 by its place") << QStringList{"--grade-filter", "9", "--levels", "4"} << 4;
    QTest::newRow("everybody, levels 1 to 3") << QStringList{} << 5;
}

void TestReportCommand::pdfPages() {
    QFETCH(QStringList, args);
    QFETCH(int, pages);
    School school;
    const QString pdf = school.file("reports.pdf");
    const Run r = school.companion(QStringList{"report", "--pdf", pdf} + args);
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(pageCount(pdf), pages);
}

void TestReportCommand::firstPageLooksDrawn() {
    School school;
    const QString pdf = school.file("reports.pdf");
    const Run r = school.companion({"report", "--pdf", pdf, "--students", "17", "--levels", "1-3"});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    const Run png = run(QStringLiteral("pdftoppm"),
                        {"-png", "-r", "60", "-f", "1", "-l", "1", "-singlefile", pdf, school.file("page1")});
    QVERIFY2(png.status == 0, qPrintable(png.err));
    const QImage page(school.file("page1.png"));
    QVERIFY(!page.isNull());
    // A4 portrait, with ink in each of the three bands (frame, texts and chart).
    QVERIFY(page.height() > page.width() * 1.3);
    for (double band : {0.05, 0.35, 0.65}) {
        int dark = 0;
        for (int y = int(page.height() * band); y < int(page.height() * (band + 0.28)); ++y) {
            for (int x = 0; x < page.width(); ++x)
                dark += qGray(page.pixel(x, y)) < 128;
        }
        QVERIFY2(dark > 500, qPrintable(QString("band at %1 is nearly empty: %2").arg(band).arg(dark)));
    }
    if (const QByteArray shots = qgetenv("KZ_SCREENSHOT_DIR"); !shots.isEmpty()) {
        QDir().mkpath(QString::fromLocal8Bit(shots));
        const QString target = QString::fromLocal8Bit(shots) + "/report_pdf_page1.png";
        QFile::remove(target);
        QVERIFY(run(QStringLiteral("pdftoppm"),
                    {"-png", "-r", "100", "-f", "1", "-l", "1", "-singlefile", pdf, target.chopped(4)})
                    .status == 0);
    }
}

void TestReportCommand::refusesWrongUse_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::newRow("no level") << QStringList{"--student", "17"} << 2;
    QTest::newRow("students and grade filter")
        << QStringList{"--pdf", "x.pdf", "--students", "17", "--grade-filter", "小３"} << 2;
    QTest::newRow("level 26") << QStringList{"--student", "17", "--level", "26"} << 2;
    QTest::newRow("levels backwards") << QStringList{"--pdf", "x.pdf", "--levels", "5-1"} << 2;
    QTest::newRow("unknown grade filter") << QStringList{"--pdf", "x.pdf", "--grade-filter", "大学"} << 2;
    QTest::newRow("grade filter place 12") << QStringList{"--pdf", "x.pdf", "--grade-filter", "12"} << 2;
    QTest::newRow("student not in roster") << QStringList{"--student", "99", "--level", "1"} << 1;
    QTest::newRow("folder instead of file") << QStringList{"--pdf", "/", "--students", "17"} << 1;
}

void TestReportCommand::refusesWrongUse() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    School school;
    const Run r = school.companion(QStringList{"report"} + args);
    QCOMPARE(r.status, status);
    QVERIFY(!r.err.isEmpty());
    QVERIFY(r.out.isEmpty());
}

// A PDF file that does not fit on the disk: the command fails with status 1 and leaves
// neither a truncated file nor a temporary; a file it was to replace stays as it was.
void TestReportCommand::pdfOntoAFullDiskLeavesNothing_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("existing");
    const QStringList report{"report", "--students", "17,21,22", "--levels", "1-3"};
    const QStringList facts{"facts", "--student", "17"};
    QTest::newRow("report, new file") << report << false;
    QTest::newRow("report, replacing a file") << report << true;
    QTest::newRow("facts, new file") << facts << false;
}

void TestReportCommand::pdfOntoAFullDiskLeavesNothing() {
    QFETCH(QStringList, args);
    QFETCH(bool, existing);
    test::SmallDisk disk(64);
    KZ_SKIP_UNLESS_MOUNTED(disk);
    School school;
    const QString pdf = disk.path(QStringLiteral("class.pdf"));
    if (existing)
        test::writeBytes(pdf, QByteArray("%PDF-1.4 an earlier report"));
    QVERIFY(disk.fill(8));
    const Run r = school.companion(args + QStringList{"--pdf", pdf});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(QDir::toNativeSeparators(pdf)), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QCOMPARE(test::readBytes(pdf), existing ? QByteArray("%PDF-1.4 an earlier report") : QByteArray());
    QCOMPARE(QFile::exists(pdf), existing);
    QCOMPARE(QDir(disk.path(QString())).entryList({"*.tmp"}, QDir::Files | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(TestReportCommand)
#include "tst_reportcommand.moc"
