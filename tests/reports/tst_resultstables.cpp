#include "data/oledate.h"
#include "reports/resultstables.h"
#include "support/rosterfixture.h"

#include <QTest>

#include <memory>

using namespace kz;

namespace {

const QDateTime kNow(QDate(2004, 3, 15), QTime(14, 30, 0)); // a Monday
constexpr int kLevels = 2;

// A small school: students by "bangou:name:grade", figures of level 1 by
// "bangou:best:pointsSoFar:pointsToday"; target time 60 s and minimum line 120 s.
struct School {
    RosterTables roster;
    std::unique_ptr<StatisticsTables> stats = std::make_unique<StatisticsTables>();
    PassCriteriaTable criteria;

    School() {
        roster.schoolYear = 2004;
        for (int level = 1; level <= kLevels; ++level) {
            criteria.row(level).targetTime = 60;
            criteria.row(level).minimumTime = 120;
            criteria.row(level).pointMultiplier = DecimalMultiplier::fromText(u"2");
        }
    }
    void student(const QString& spec) {
        const QStringList f = spec.split(u':');
        test::listStudent(roster, f[0].toInt(), f[1], f[2].toInt());
    }
    void figures(const QString& spec) {
        const QStringList f = spec.split(u':');
        const int b = f[0].toInt();
        stats->setBestTime(1, b, f[1].toInt());
        stats->add(StatisticsTables::TotalPoints, 1, b, f[2].toInt());
        stats->add(StatisticsTables::TodayPoints, 1, b, f[3].toInt());
    }
    TableSources sources() const { return {roster, *stats, criteria, kLevels}; }
};

School fourStudents() {
    School s;
    for (const char* spec : {"3:さとし:3", "1:あきら:3", "2:かおる:3", "4:たける:7"})
        s.student(QString::fromUtf8(spec));
    return s;
}

QStringList texts(const QList<TableLine>& lines) {
    QStringList out;
    for (const TableLine& l : lines)
        out << l.text;
    return out;
}

// "days,HH:mm,bangou,level,time": an attempt that many days before kNow's date.
ResultKeys attempt(const QString& spec) {
    const QStringList f = spec.split(u',');
    ResultKeys k;
    k.date = oleFromDate(kNow.date().addDays(-f[0].toInt()));
    k.time = oleFromTime(QTime::fromString(f[1], u"HH:mm")) + 0.4 / kOleSecondsPerDay;
    k.bangou = static_cast<qint16>(f[2].toInt());
    k.level = static_cast<qint16>(f[3].toInt());
    k.recordedTime = f[4].toInt();
    return k;
}

std::vector<ResultKeys> attempts(const QStringList& specs) {
    std::vector<ResultKeys> out;
    for (const QString& s : specs)
        out.push_back(attempt(s));
    return out;
}

} // namespace

class TestResultsTables : public QObject {
    Q_OBJECT
private slots:
    void rankings_data();
    void rankings();
    void rankOfHundredAndMoreKeepsItsPlace();
    void graphRankingKeepsRankOrder();
    void currentStudentScrolledIntoView();
    void rankingsKeptUntilFiguresOrStudentsChange();
    void attemptTables_data();
    void attemptTables();
    void weekRanges_data();
    void weekRanges();
    void onlyTheNewestRecordsCount();
};

void TestResultsTables::rankings_data() {
    QTest::addColumn<int>("display");
    QTest::addColumn<int>("pointsKind");
    QTest::addColumn<QStringList>("figures");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("current");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("ties share a rank, the next takes its position")
        << 1 << 1 << QStringList{"3:40:0:0", "1:40:0:0", "2:30:0:0", "4:50:0:0"} << "全学年" << 0
        << QStringList{" 1③かおる　　    30 　", " 2③あきら　　    40 　", " 2③さとし　　    40 　",
                       " 4Ⅰたける　　    50 　"};
    QTest::newRow("no result after the timed, current marked on both sides")
        << 1 << 1 << QStringList{"3:99999:0:0", "1:45:0:0", "2:99999:0:0", "4:99999:0:0"} << "全学年" << 2
        << QStringList{" 1③あきら　　    45 　", "--●かおる　　------ ●", "--③さとし　　------ 　",
                       "--Ⅰたける　　------ 　"};
    QTest::newRow("grade filter leaves gaps in the school's ranks")
        << 1 << 1 << QStringList{"3:50:0:0", "1:40:0:0", "2:60:0:0", "4:20:0:0"} << "小学生全体" << 0
        << QStringList{" 2③あきら　　    40 　", " 3③さとし　　    50 　", " 4③かおる　　    60 　"};
    QTest::newRow("points so far: ties by points so far whatever today")
        << 2 << 1 << QStringList{"3:99999:30:8", "1:99999:20:0", "2:99999:20:5", "4:99999:0:0"} << "全学年"
        << 0
        << QStringList{" 1③さとし　　  8/   30", " 2③あきら　　  0/   20", " 2③かおる　　  5/   20",
                       " 4Ⅰたける　　  0/    0"};
    QTest::newRow("points today: only students with points today")
        << 2 << 2 << QStringList{"3:99999:30:8", "1:99999:20:0", "2:99999:10:5", "4:99999:0:0"} << "全学年"
        << 0 << QStringList{" 1③さとし　　  8/   30", " 2③かおる　　  5/   10"};
    QTest::newRow("points wider than their field are written whole")
        << 2 << 1 << QStringList{"3:99999:123456:1100"} << "全学年" << 0
        << QStringList{" 1③さとし　　1100/123456", " 2③あきら　　  0/    0", " 2③かおる　　  0/    0",
                       " 2Ⅰたける　　  0/    0"};
}

void TestResultsTables::rankings() {
    QFETCH(int, display);
    QFETCH(int, pointsKind);
    QFETCH(QStringList, figures);
    QFETCH(QString, filter);
    QFETCH(int, current);
    QFETCH(QStringList, lines);
    School s = fourStudents();
    for (const QString& f : figures)
        s.figures(f);
    TableChoice choice;
    choice.display = static_cast<DisplayKind>(display);
    choice.pointsKind = static_cast<PointsKind>(pointsKind);
    choice.gradeFilter = filter;
    choice.currentBangou = current;
    choice.now = kNow;
    ResultsTableBuilder builder(s.sources());
    const ResultsTables tables = builder.build(choice, {});
    QCOMPARE(texts(tables.levels[1].lines), lines);
    QCOMPARE(tables.levels[1].colour, ListColour::Plain);
}

void TestResultsTables::rankOfHundredAndMoreKeepsItsPlace() {
    School s;
    for (int b = 1; b <= 101; ++b) {
        s.student(QStringLiteral("%1:い%1:3").arg(b));
        s.figures(QStringLiteral("%1:%2:0:0").arg(b).arg(200 - b)); // the last listed is fastest
    }
    TableChoice choice;
    choice.display = DisplayKind::Times;
    choice.now = kNow;
    ResultsTableBuilder builder(s.sources());
    const QList<TableLine> lines = builder.build(choice, {}).levels[1].lines;
    QCOMPARE(lines.size(), 101);
    QCOMPARE(lines[98].text, QStringLiteral("99③い3　　　   197 　"));
    QCOMPARE(lines[99].text, QStringLiteral("100③い2　　　   198 　"));
    QCOMPARE(lines[100].text, QStringLiteral("101③い1　　　   199 　"));
}

void TestResultsTables::graphRankingKeepsRankOrder() {
    School s = fourStudents();
    for (const char* f : {"3:40:12:2", "1:40:0:0", "2:30:30:0", "4:99999:0:0"})
        s.figures(QString::fromUtf8(f));
    ResultsTableBuilder builder(s.sources());
    const QList<TableLine> time =
        builder.ranking(1, RankingKind::BestTime, RankingStyle::Graph, QStringLiteral("全学年"), 4);
    QCOMPARE(texts(time), (QStringList{"  1③かおる　　    30 　", "  2③さとし　　    40 　",
                                       "  2③あきら　　    40 　", "---●たける　　------ ●"}));
    QCOMPARE(time[3].bangou, 4);
    const QList<TableLine> points =
        builder.ranking(1, RankingKind::PointsSoFar, RankingStyle::Graph, QStringLiteral("全学年"), 4);
    QCOMPARE(points[0].text, QStringLiteral("  1③かおる　　  0/   30"));
    QCOMPARE(points[1].text.right(5), QStringLiteral("   12"));
    QCOMPARE(points[1].bangou, 3);
}

void TestResultsTables::currentStudentScrolledIntoView() {
    School s;
    for (int b = 1; b <= 30; ++b) {
        s.student(QStringLiteral("%1:う%1:3").arg(b));
        s.figures(QStringLiteral("%1:%2:0:0").arg(b).arg(10 + b));
    }
    TableChoice choice;
    choice.display = DisplayKind::Times;
    choice.now = kNow;
    ResultsTableBuilder builder(s.sources());
    for (const auto& [current, top] : {std::pair{20, 18}, std::pair{1, 0}, std::pair{0, 0}}) {
        choice.currentBangou = current;
        QCOMPARE(builder.build(choice, {}).levels[1].topRow, top);
    }
}

// Every level menu opens on a ranking: the builder keeps each level's lines while its
// figures, the students and the choice stay the same, marks the current student's line
// in them, and builds a level again after a new record. Whatever it keeps, its lines are
// those a new builder makes.
void TestResultsTables::rankingsKeptUntilFiguresOrStudentsChange() {
    School s;
    // Ties: students 1..6 share their points two by two, 7 and 8 have no result.
    const char* names[] = {"さとし", "あきら", "かおる", "たける", "あきら", "いずみ", "うた", "えま"};
    for (int b = 1; b <= 8; ++b)
        s.student(QStringLiteral("%1:%2:%3").arg(b).arg(QString::fromUtf8(names[b - 1])).arg(1 + b % 3));
    for (int b = 1; b <= 6; ++b)
        s.figures(QStringLiteral("%1:%2:%3:%4").arg(b).arg(40 + b % 3).arg(10 * ((b + 1) / 2)).arg(b % 2));
    ResultsTableBuilder kept(s.sources());
    auto sameAsNew = [&](const TableChoice& choice) {
        ResultsTableBuilder fresh(s.sources());
        const ResultsTables expected = fresh.build(choice, {});
        const ResultsTables got = kept.build(choice, {});
        for (int level = 1; level <= kLevels; ++level) {
            if (texts(got.levels[size_t(level)].lines) != texts(expected.levels[size_t(level)].lines))
                return false;
            if (got.levels[size_t(level)].topRow != expected.levels[size_t(level)].topRow)
                return false;
        }
        return true;
    };
    TableChoice choice;
    choice.now = kNow;
    for (const DisplayKind display : {DisplayKind::Points, DisplayKind::Times}) {
        choice.display = display;
        for (int current = 0; current <= 8; ++current) {
            choice.currentBangou = current;
            QVERIFY2(sameAsNew(choice), qPrintable(QStringLiteral("student %1").arg(current)));
        }
    }
    // The roster read again, unchanged: level 2's lines (no figure changed) are kept.
    choice.display = DisplayKind::Points;
    choice.currentBangou = 0;
    const ResultsTables before = kept.build(choice, {});
    s.roster.listed = QList<RosterEntry>(s.roster.listed.begin(), s.roster.listed.end());
    QVERIFY(kept.build(choice, {}).levels[2].lines.isSharedWith(before.levels[2].lines));
    // A new record of student 8 (its points counted by the refresh): ranked first now.
    s.stats->add(StatisticsTables::TotalPoints, 1, 8, 90);
    const ResultsTables afterRecord = kept.build(choice, {});
    QVERIFY(texts(afterRecord.levels[1].lines).first().contains(QStringLiteral("えま")));
    QVERIFY(afterRecord.levels[2].lines.isSharedWith(before.levels[2].lines));
    choice.currentBangou = 8;
    QVERIFY(sameAsNew(choice));
    // A student renamed in the roster, another grade filter: made again.
    s.roster.listed[1].name = QStringLiteral("かおり");
    QVERIFY(sameAsNew(choice));
    QVERIFY(texts(kept.build(choice, {}).levels[1].lines).join(u'|').contains(QStringLiteral("かおり")));
    choice.gradeFilter = QStringLiteral("小学生全体");
    QVERIFY(sameAsNew(choice));
}

void TestResultsTables::attemptTables_data() {
    QTest::addColumn<int>("display");
    QTest::addColumn<int>("table");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<ListColour>("colour");

    // Points of an attempt here are without the level's multiplier of 2: 8 s 37, 30 s 11,
    // 95 s 4, 120 s 1.
    QTest::newRow("today: fastest first whatever the order made")
        << 1 << 2 << QStringList{"0,09:05,1,1,95", "0,10:00,1,1,8", "1,08:00,2,1,5", "0,11:30,2,1,120"}
        << QStringList{"   8秒 10:00③あきら　　③37", "  95秒 09:05③あきら　　③4", " 120秒 11:30●かおる　　●1"}
        << ListColour::LightGreen;
    QTest::newRow("today: timed-out attempt after the timed, without points")
        << 1 << 2 << QStringList{"0,09:05,1,1,99999", "0,10:00,1,1,30", "0,13:00,3,2,99999"}
        << QStringList{"  30秒 10:00③あきら　　③11", "　　× 09:05③あきら　　③"} << ListColour::Green;
    QTest::newRow("today: only timed-out attempts keep the colour")
        << 1 << 2 << QStringList{"0,09:05,4,1,99999"} << QStringList{"　　× 09:05Ⅰたける　　Ⅰ"}
        << ListColour::Unchanged;
    QTest::newRow("period, times: dates, slowest decides grey")
        << 1 << 3 << QStringList{"5,09:00,1,1,200", "0,09:00,3,1,30", "40,09:00,1,1,10", "2,09:00,1,1,99999"}
        << QStringList{"  30秒 03/15③さとし　　③11", " 200秒 03/10③あきら　　③1", "　　× 03/13③あきら　　③"}
        << ListColour::Grey;
    QTest::newRow("period, points: fewest points first, time after the name")
        << 2 << 3 << QStringList{"0,09:00,1,1,30", "5,09:00,2,1,95", "1,09:00,1,1,99999"}
        << QStringList{"    4 03/10●かおる　　●95秒", "   11 03/15③あきら　　③30秒",
                       "　　× 03/14③あきら　　③"}
        << ListColour::Plain;
    QTest::newRow("records that fit no list are passed over")
        << 1 << 2 << QStringList{"0,09:00,0,1,30", "0,09:00,1,0,30", "0,09:00,1,3,30", "0,09:00,9999,1,30"}
        << QStringList{} << ListColour::Unchanged;
    QTest::newRow("a student missing from the roster keeps the name field wide")
        << 1 << 2 << QStringList{"0,09:00,77,1,30"} << QStringList{"  30秒 09:00　　　　　　　11"}
        << ListColour::Green;
}

void TestResultsTables::attemptTables() {
    QFETCH(int, display);
    QFETCH(int, table);
    QFETCH(QStringList, records);
    QFETCH(QStringList, lines);
    QFETCH(ListColour, colour);
    School s = fourStudents();
    TableChoice choice;
    choice.display = static_cast<DisplayKind>(display);
    choice.table = static_cast<TableKind>(table);
    choice.currentBangou = 2;
    choice.now = kNow;
    ResultsTableBuilder builder(s.sources());
    const std::vector<ResultKeys> keys = attempts(records);
    const ResultsTables tables = builder.build(choice, keys);
    QCOMPARE(texts(tables.levels[1].lines), lines);
    QCOMPARE(tables.levels[1].colour, colour);
}

void TestResultsTables::weekRanges_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("period");
    QTest::addColumn<QDate>("first");
    QTest::newRow("this week on a Wednesday") << QDate(2004, 3, 17) << 1 << QDate(2004, 3, 15);
    QTest::newRow("this week on a Sunday") << QDate(2004, 3, 21) << 1 << QDate(2004, 3, 15);
    QTest::newRow("this week on a Monday") << QDate(2004, 3, 15) << 1 << QDate(2004, 3, 15);
    QTest::newRow("since last week on a Wednesday") << QDate(2004, 3, 17) << 2 << QDate(2004, 3, 8);
    QTest::newRow("since last week on a Sunday") << QDate(2004, 3, 21) << 2 << QDate(2004, 3, 8);
    QTest::newRow("thirty days") << QDate(2004, 3, 17) << 3 << QDate(2004, 2, 17);
}

void TestResultsTables::weekRanges() {
    QFETCH(QDate, today);
    QFETCH(int, period);
    QFETCH(QDate, first);
    School s = fourStudents();
    // One attempt a day at 23:00 for forty days up to today, each a second slower than the
    // day after, so the slowest listed is the earliest day taken.
    std::vector<ResultKeys> keys;
    for (int back = 0; back < 40; ++back) {
        ResultKeys k;
        k.date = oleFromDate(today.addDays(-back));
        k.time = oleFromTime(QTime(23, 0));
        k.bangou = 1;
        k.level = 1;
        k.recordedTime = 10 + back;
        keys.push_back(k);
    }
    TableChoice choice;
    choice.display = DisplayKind::Times;
    choice.table = TableKind::Period;
    choice.period = period;
    choice.now = QDateTime(today, QTime(9, 0));
    ResultsTableBuilder builder(s.sources());
    const QList<TableLine> lines = builder.build(choice, keys).levels[1].lines;
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.size(), first.daysTo(today) + 1);
    QCOMPARE(lines.last().recordedTime, 10 + first.daysTo(today));
}

void TestResultsTables::onlyTheNewestRecordsCount() {
    School s = fourStudents();
    std::vector<ResultKeys> keys(kTodayTableWindow + 5, attempt(QStringLiteral("0,09:00,1,1,50")));
    keys.front() = attempt(QStringLiteral("0,09:00,1,1,7"));
    TableChoice choice;
    choice.display = DisplayKind::Times;
    choice.table = TableKind::Today;
    choice.now = kNow;
    ResultsTableBuilder builder(s.sources());
    int reported = 0;
    const ResultsTables today = builder.build(choice, keys, [&reported](int done, int total) {
        QCOMPARE(total, kTodayTableWindow);
        reported = done;
    });
    QCOMPARE(reported, kTodayTableWindow);
    QCOMPARE(today.levels[1].lines.size(), kTodayTableWindow);
    QCOMPARE(today.levels[1].lines.first().recordedTime, 50);
    choice.table = TableKind::Period;
    QCOMPARE(builder.build(choice, keys).levels[1].lines.first().recordedTime, 7);
}

QTEST_GUILESS_MAIN(TestResultsTables)
#include "tst_resultstables.moc"
