#include "admin/recordbrowser.h"
#include "core/programrun.h"
#include "data/textio.h"
#include "support/scriptedrun.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kz;

namespace {

const QDate kToday(2004, 3, 15);

ResultRecord rec(int bangou, qint32 time = 95, int level = 2, const char* site = "12345",
                 QTime at = QTime(14, 30, 0)) {
    return makeResultRecord(QDateTime(kToday, at), static_cast<qint16>(bangou), static_cast<qint16>(level),
                            time, QString::fromLatin1(site));
}

QByteArray bytesOf(const QList<ResultRecord>& records) {
    QByteArray bytes;
    for (const ResultRecord& r : records)
        bytes += encodeResultRecord(r);
    return bytes;
}

class School {
public:
    School() {
        // テスト is in 小３ in school year 2003; 山田 has flag 1 and still counts here.
        QVERIFY(
            writeCp932Lines(dir.filePath("新名簿.txt"),
                            {"17,1994,0,0,テスト,0,,", "21,1990,0,0,\" 山田 \",1,,", "5,1970,0,0,先生★,0,,"})
                .ok());
    }
    void results(const QByteArray& bytes) {
        QFile f(resultsPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray results() const {
        QFile f(resultsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString resultsPath() const { return dir.filePath("成績累積データ.dat"); }
    QString copyPath() const { return dir.filePath("成績累積データtemp.dat"); }
    // A run on this folder as the program makes one: site 12345 さくら塾, the school year
    // starting in April, its clock standing on `today`.
    ProgramRun& run(QDate today = kToday, const QString& siteCode = QStringLiteral("12345")) {
        clock_ = std::make_unique<test::FakeClock>(QDateTime(today, QTime(12, 0)));
        run_ = std::make_unique<ProgramRun>(*clock_, test::noFileWaits());
        Installation& inst = RunStateSetUp::of(*run_).settings.installation;
        inst.dataRoot = dir.path() + u'/';
        inst.programDataFolder = inst.dataRoot;
        inst.schoolYearStartMonth = 4;
        inst.siteCode = siteCode;
        inst.siteName = QStringLiteral("さくら塾");
        return *run_;
    }
    QTemporaryDir dir;

private:
    std::unique_ptr<test::FakeClock> clock_;
    std::unique_ptr<ProgramRun> run_;
};

QList<qint32> recordNumbers(const RecordListModel& model) {
    QList<qint32> numbers;
    for (int row = 0; row < model.lineCount(); ++row)
        numbers << model.line(row).recordNumber;
    return numbers;
}

} // namespace

class TestRecordBrowser : public QObject {
    Q_OBJECT
private slots:
    void lines_data();
    void lines();
    void removeLeavesTheFollowingRecordSelected_data();
    void removeLeavesTheFollowingRecordSelected();
    void changeTouchesOnlyTimeAndStudent();
    void refusedChangesWriteNothing_data();
    void timeOfTheTimeBox_data();
    void timeOfTheTimeBox();
    void refusedChangesWriteNothing();
    void removalDropsAPartialTail();
    void interruptedRemovalIsFinishedWhenOpened();
    void linesKeepTheirRecordNumbersBeyond9999();
};

void TestRecordBrowser::lines_data() {
    QTest::addColumn<qint64>("number");
    QTest::addColumn<ResultRecord>("record");
    QTest::addColumn<QString>("siteCode");
    QTest::addColumn<QString>("line");
    QTest::newRow("the worked example")
        << qint64(12) << rec(17) << "12345"
        << QStringLiteral("  12 2004/03/15　 14:30:00ﾚﾍﾞﾙ2　   95秒 　  17 テスト　　　 小３++さくら塾");
    QTest::newRow("another site, morning, timed out")
        << qint64(3) << rec(21, 99999, 25, "99999", QTime(9, 5, 23)) << "12345"
        << QStringLiteral("   3 2004/03/15　  9:05:23ﾚﾍﾞﾙ25　99999秒 　  21 山田　　　　 中１++他塾");
    QTest::newRow("no site code: nothing counts as our own")
        << qint64(1) << rec(5, 120, 2, "") << ""
        << QStringLiteral("   1 2004/03/15　 14:30:00ﾚﾍﾞﾙ2　  120秒 　   5 先生★　　　 ++他塾");
    QTest::newRow("student no longer in the roster, record 10000")
        << qint64(10000) << rec(1200) << "12345"
        << QStringLiteral("0000 2004/03/15　 14:30:00ﾚﾍﾞﾙ2　   95秒 　1200 　　　　　 ++さくら塾");
    QTest::newRow("short site code as written into records")
        << qint64(7) << rec(17, 95, 2, "12") << "12"
        << QStringLiteral("   7 2004/03/15　 14:30:00ﾚﾍﾞﾙ2　   95秒 "
                          "　  17 テスト　　　 小３++さくら塾");
}

void TestRecordBrowser::lines() {
    QFETCH(qint64, number);
    QFETCH(ResultRecord, record);
    QFETCH(QString, siteCode);
    QFETCH(QString, line);
    School school;
    QList<ResultRecord> records;
    for (qint64 k = 1; k < number; ++k)
        records << ResultRecord{}; // level 0: no line
    records << record;
    school.results(bytesOf(records));
    RecordBrowser browser(school.run(QDate(2003, 9, 1), siteCode));
    QVERIFY(browser.build().ok());
    QCOMPARE(browser.model().lineCount(), 1);
    QCOMPARE(browser.model().text(0), line);
    QCOMPARE(browser.model().line(0).recordNumber, number);
}

void TestRecordBrowser::removeLeavesTheFollowingRecordSelected_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QList<int>>("left");
    QTest::addColumn<int>("selected");
    QTest::newRow("the second of three") << 1 << QList<int>{17, 5} << 1;
    QTest::newRow("the last") << 2 << QList<int>{17, 21} << 1;
    QTest::newRow("the first") << 0 << QList<int>{21, 5} << 0;
}

void TestRecordBrowser::removeLeavesTheFollowingRecordSelected() {
    QFETCH(int, row);
    QFETCH(QList<int>, left);
    QFETCH(int, selected);
    School school;
    school.results(bytesOf({rec(17), rec(21), rec(5)}));
    RecordBrowser browser(school.run());
    QVERIFY(browser.build().ok());
    QVERIFY(browser.openForEdit(row).ok());
    const Outcome<RecordBrowser::Removed> removed = browser.remove(row);
    QVERIFY(removed.ok());
    QCOMPARE(removed->selectRow, selected);
    QVERIFY(!browser.editing());
    QList<ResultRecord> expected;
    for (int bangou : left)
        expected << rec(bangou);
    QCOMPARE(school.results(), bytesOf(expected));
    QCOMPARE(recordNumbers(browser.model()), (QList<qint32>{1, 2}));
    QVERIFY(browser.model().text(1).startsWith(QStringLiteral("   2 ")));
    QVERIFY(!QFile::exists(school.copyPath()));
}

void TestRecordBrowser::changeTouchesOnlyTimeAndStudent() {
    School school;
    const QByteArray before = bytesOf({rec(3), rec(4), rec(6), rec(7), rec(17, 95, 9, "54321")});
    school.results(before);
    RecordBrowser browser(school.run());
    QVERIFY(browser.build().ok());
    const Outcome<RecordEditView> view = browser.openForEdit(4);
    QVERIFY(view.ok());
    QCOMPARE(view->recordNumber, 5);
    QCOMPARE(view->studentText, QStringLiteral("17 /  テスト"));
    QCOMPARE(browser.gradeLabelOfChoice(QStringLiteral("21 /  山田")), QStringLiteral("中１"));
    const Outcome<int> row = browser.change(QStringLiteral(" 80秒"), QStringLiteral("21 /  山田"));
    QVERIFY(row.ok());
    QCOMPARE(*row, 4);
    const QByteArray after = school.results();
    QCOMPARE(after.size(), before.size());
    for (int i = 0; i < after.size(); ++i) {
        const int inRecord = i - 4 * 44;
        if ((inRecord >= 16 && inRecord < 18) || (inRecord >= 20 && inRecord < 24))
            continue;
        QVERIFY2(after[i] == before[i], qPrintable(QStringLiteral("byte %1 changed").arg(i)));
    }
    const ResultRecord changed = decodeResultRecord(after.constData() + 4 * 44);
    QCOMPARE(changed.bangou, 21);
    QCOMPARE(changed.recordedTime, 80);
}

void TestRecordBrowser::refusedChangesWriteNothing_data() {
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("student");
    QTest::newRow("typed name without a number") << "80"
                                                 << "テスト";
    QTest::newRow("number outside the roster range") << "80"
                                                     << "9999 / x";
    QTest::newRow("time beyond 99999") << "100000"
                                       << "17 /  テスト";
    QTest::newRow("negative time") << "-5"
                                   << "17 /  テスト";
    // No whole number of seconds: refused like a negative time, never a 0-second record.
    QTest::newRow("letters") << "abc"
                             << "17 /  テスト";
    QTest::newRow("empty time box") << "  "
                                    << "17 /  テスト";
    QTest::newRow("number then letters") << "8o"
                                         << "17 /  テスト";
    QTest::newRow("a fraction") << "1.5"
                                << "17 /  テスト";
}

void TestRecordBrowser::timeOfTheTimeBox_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("seconds"); // -1: no time
    QTest::newRow("plain") << "80" << 80;
    QTest::newRow("spaces and the unit") << " 80秒 " << 80;
    QTest::newRow("full-width digits") << QStringLiteral("８０") << 80;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("timed out") << "99999" << 99999;
    QTest::newRow("too long") << "100000" << -1;
    QTest::newRow("sign") << "+5" << -1;
    QTest::newRow("unit alone") << QStringLiteral("秒") << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestRecordBrowser::timeOfTheTimeBox() {
    QFETCH(QString, text);
    QFETCH(int, seconds);
    const std::optional<qint32> time = recordedTimeOfText(text);
    QCOMPARE(time.has_value() ? *time : -1, seconds);
}

void TestRecordBrowser::refusedChangesWriteNothing() {
    QFETCH(QString, time);
    QFETCH(QString, student);
    School school;
    const QByteArray before = bytesOf({rec(17), rec(21)});
    school.results(before);
    RecordBrowser browser(school.run());
    QVERIFY(browser.build().ok());
    QVERIFY(browser.openForEdit(0).ok());
    const Outcome<int> row = browser.change(time, student);
    QVERIFY(!row.ok());
    QCOMPARE(row.error().kind, ErrorKind::Refused);
    QCOMPARE(school.results(), before);
}

void TestRecordBrowser::removalDropsAPartialTail() {
    School school;
    school.results(bytesOf({rec(17), rec(21), rec(5)}) + QByteArray(12, 'x'));
    RecordBrowser browser(school.run());
    QVERIFY(browser.build().ok());
    QCOMPARE(browser.model().lineCount(), 3);
    QVERIFY(browser.remove(0).ok());
    QCOMPARE(school.results(), bytesOf({rec(21), rec(5)}));
}

void TestRecordBrowser::linesKeepTheirRecordNumbersBeyond9999() {
    School school;
    QList<ResultRecord> records;
    for (int k = 1; k <= 10010; ++k)
        records << rec(1 + k % 4000, k);
    school.results(bytesOf(records));
    RecordBrowser browser(school.run());
    QVERIFY(browser.build().ok());
    const int row = browser.model().rowOfRecord(10005);
    QVERIFY(browser.model().text(row).startsWith(QStringLiteral("0005 ")));
    const Outcome<RecordEditView> view = browser.openForEdit(row);
    QVERIFY(view.ok());
    QCOMPARE(view->timeText, QStringLiteral("10005"));
    QVERIFY(browser.remove(row).ok());
    const QByteArray after = school.results();
    QCOMPARE(after.size(), 10009 * 44);
    QCOMPARE(decodeResultRecord(after.constData() + 10003 * 44).recordedTime, 10004);
    QCOMPARE(decodeResultRecord(after.constData() + 10004 * 44).recordedTime, 10006);
}

// A removal that a station switched off in the middle: the browser finishes it before
// listing the records, and says so.
void TestRecordBrowser::interruptedRemovalIsFinishedWhenOpened() {
    School school;
    school.results(bytesOf({rec(17), rec(21), rec(5)}));
    QProcess station;
    station.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    station.start(QStringLiteral(KZ_RESULT_APPENDER),
                  {"remove-crash", school.resultsPath(), school.copyPath(), "2", "Rewritten"});
    QVERIFY(station.waitForFinished(30000));
    QCOMPARE(station.exitCode(), 9);
    RecordBrowser browser(school.run());
    QVERIFY(browser.build().ok());
    QCOMPARE(school.results(), bytesOf({rec(17), rec(5)}));
    QCOMPARE(recordNumbers(browser.model()), (QList<qint32>{1, 2}));
    const std::optional<QString> notice = browser.leftoverCopyNotice();
    QVERIFY(notice.has_value());
    QVERIFY2(notice->contains(QStringLiteral("記録 2 の消去を最後まで行いました")), qPrintable(*notice));
    QVERIFY(!QFile::exists(school.copyPath()));
}

QTEST_GUILESS_MAIN(TestRecordBrowser)
#include "tst_recordbrowser.moc"
