#include "data/roster.h"
#include "data/textio.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kz;

namespace {

// One roster line with the given fields.
QString rec(int bangou, int birthYear, const QString& name, int flag = 0, const QString& r7 = "x",
            const QString& r8 = "y") {
    return QStringLiteral("%1,%2,0,0,\"%3\",%4,\"%5\",\"%6\"")
        .arg(bangou)
        .arg(birthYear)
        .arg(name)
        .arg(flag)
        .arg(r7, r8);
}

QStringList listedNames(const QList<RosterEntry>& entries) {
    QStringList names;
    for (const RosterEntry& e : entries)
        names << e.name;
    return names;
}

} // namespace

class TestRoster : public QObject {
    Q_OBJECT
private slots:
    void gradeFollowsSchoolYear_data();
    void gradeFollowsSchoolYear();
    void listingFlags_data();
    void listingFlags();
    void textsCutTo20Characters();
    void listingOrder();
    void duplicateBangouLaterWins();
    void gradeLabelKeptOutsideZeroToTen();
    void badRecordsSkippedWithLineNumbers_data();
    void badRecordsSkippedWithLineNumbers();
    void moreThan5000Listed();
    void realFileInCp932();
    void encodings_data();
    void encodings();
    void missingFile();
};

void TestRoster::gradeFollowsSchoolYear_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("birthYear");
    QTest::addColumn<int>("schoolYear");
    QTest::addColumn<int>("grade");
    QTest::addColumn<QString>("shortLabel");
    QTest::addColumn<QString>("label");
    QTest::newRow("first day of school year") << QDate(2007, 4, 1) << 2000 << 2007 << 1 << "小1"
                                              << "小１";
    QTest::newRow("last day of school year") << QDate(2008, 3, 31) << 2000 << 2007 << 1 << "小1"
                                             << "小１";
    QTest::newRow("next school year") << QDate(2008, 4, 1) << 2000 << 2008 << 2 << "小2"
                                      << "小２";
    QTest::newRow("kindergarten last year") << QDate(2007, 6, 1) << 2001 << 2007 << 0 << "幼3"
                                            << "幼３";
    QTest::newRow("grade -3") << QDate(2007, 6, 1) << 2004 << 2007 << -3 << "幼-"
                              << "";
    QTest::newRow("grade 10") << QDate(2007, 6, 1) << 1991 << 2007 << 10 << "高1"
                              << "高１";
    QTest::newRow("grade 13") << QDate(2007, 6, 1) << 1988 << 2007 << 13 << "大+"
                              << "";
}

void TestRoster::gradeFollowsSchoolYear() {
    QFETCH(QDate, today);
    QFETCH(int, birthYear);
    QFETCH(int, schoolYear);
    QFETCH(int, grade);
    QFETCH(QString, shortLabel);
    QFETCH(QString, label);
    auto tables = std::make_unique<RosterTables>();
    const RosterLoadResult r = loadRosterText(rec(7, birthYear, "山田"), today, 4, 0, tables.get());
    QVERIFY(r.problems.isEmpty());
    QCOMPARE(tables->schoolYear, schoolYear);
    QCOMPARE(tables->rosterCount(), 1);
    QCOMPARE(tables->listed[0].gradeNumber, grade);
    QCOMPARE(tables->listed[0].shortGradeLabel, shortLabel);
    QCOMPARE(tables->gradeLabelByBangou[7], label);
    QCOMPARE(tables->birthYearByBangou[7], birthYear);
}

void TestRoster::listingFlags_data() {
    QTest::addColumn<int>("flag");
    QTest::addColumn<int>("flagTwoListed");
    QTest::addColumn<bool>("listed");
    QTest::newRow("0 listed") << 0 << 0 << true;
    QTest::newRow("1 not listed") << 1 << 1 << false;
    QTest::newRow("2 with switch on") << 2 << 1 << true;
    QTest::newRow("2 with switch off") << 2 << 0 << false;
    QTest::newRow("2 with switch 2") << 2 << 2 << false;
    QTest::newRow("3 not listed") << 3 << 1 << false;
    QTest::newRow("-1 not listed") << -1 << 0 << false;
}

void TestRoster::listingFlags() {
    QFETCH(int, flag);
    QFETCH(int, flagTwoListed);
    QFETCH(bool, listed);
    auto tables = std::make_unique<RosterTables>();
    const QString text =
        rec(1, 2000, "前") + "\r\n" + rec(5, 2000, "佐藤", flag) + "\r\n" + rec(2, 2000, "後") + "\r\n";
    loadRosterText(text, QDate(2007, 5, 1), 4, flagTwoListed, tables.get());
    QCOMPARE(tables->rosterCount(), listed ? 3 : 2);
    QCOMPARE(listedNames(tables->listed).contains("佐藤"), listed);
    // The following listed entry takes the place of an unlisted one.
    QCOMPARE(tables->listed.last().name, QString("後"));
    // Listed or not, the number resolves to the name.
    QCOMPARE(tables->nameOf(5), QString("佐藤"));
    QCOMPARE(tables->gradeLabelByBangou[5], QString("小１"));
}

void TestRoster::textsCutTo20Characters() {
    auto tables = std::make_unique<RosterTables>();
    const QString longName = "あいうえおかきくけこさしすせそたちつてとなにぬねの"; // 25
    loadRosterText(rec(3, 2000, longName, 0, longName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"), QDate(2007, 5, 1), 4, 0,
                   tables.get());
    QCOMPARE(tables->listed[0].name, longName.left(20));
    QCOMPARE(tables->nameOf(3), longName.left(20));
    QCOMPARE(tables->listed[0].reserved7.size(), 20);
    QCOMPARE(tables->listed[0].reserved8, QString("ABCDEFGHIJKLMNOPQRST"));
}

void TestRoster::listingOrder() {
    auto tables = std::make_unique<RosterTables>();
    const QString text = QStringList{rec(1, 2001, "たなか"),
                                     rec(2, 1999, "やまだ"),
                                     rec(3, 2001, "あべ"),
                                     rec(4, 2000, "すずき"),
                                     rec(5, 2001, "あべ", 0, "second"),
                                     rec(6, 1999, "いとう")}
                             .join("\r\n");
    loadRosterText(text, QDate(2007, 5, 1), 4, 0, tables.get());
    // File order is kept in the table itself.
    QCOMPARE(tables->listed[0].bangou, qint16(1));
    const QList<RosterEntry> ordered = inListingOrder(tables->listed);
    QList<int> bangou;
    for (const RosterEntry& e : ordered)
        bangou << e.bangou;
    // Older first; within a year by name; equal names keep file order.
    QCOMPARE(bangou, (QList<int>{6, 2, 4, 3, 5, 1}));
}

void TestRoster::duplicateBangouLaterWins() {
    auto tables = std::make_unique<RosterTables>();
    loadRosterText(rec(9, 2000, "一郎") + "\n" + rec(9, 1995, "二郎"), QDate(2007, 5, 1), 4, 0, tables.get());
    QCOMPARE(tables->rosterCount(), 2);
    QCOMPARE(tables->nameOf(9), QString("二郎"));
    QCOMPARE(tables->birthYearByBangou[9], qint16(1995));
    QCOMPARE(tables->gradeLabelByBangou[9], QString("小６"));
}

void TestRoster::gradeLabelKeptOutsideZeroToTen() {
    auto tables = std::make_unique<RosterTables>();
    tables->gradeLabelByBangou[4] = "中３";
    tables->nameByBangou[8] = "前の名前";
    loadRosterText(rec(4, 1988, "大学生"), QDate(2007, 5, 1), 4, 0, tables.get());
    QCOMPARE(tables->listed[0].shortGradeLabel, QString("大+"));
    QCOMPARE(tables->gradeLabelByBangou[4], QString("中３"));
    // A number no record names keeps what it held.
    QCOMPARE(tables->nameOf(8), QString("前の名前"));
}

void TestRoster::badRecordsSkippedWithLineNumbers_data() {
    QTest::addColumn<QString>("badLine");
    QTest::addColumn<QString>("reasonPart");
    QTest::newRow("seven values") << "5,2000,0,0,\"悪い\",0,\"x\""
                                  << "7";
    QTest::newRow("bangou not a number") << "abc,2000,0,0,\"悪い\",0,x,y"
                                         << "abc";
    QTest::newRow("birth year with trailing garbage") << "5,2000年,0,0,\"悪い\",0,x,y"
                                                      << "2000年";
    QTest::newRow("fraction") << "5,2000.5,0,0,\"悪い\",0,x,y"
                              << "2000.5";
    QTest::newRow("out of 16 bits") << "5,2000,40000,0,\"悪い\",0,x,y"
                                    << "40000";
    QTest::newRow("flag out of 16 bits") << "5,2000,0,0,\"悪い\",-32769,x,y"
                                         << "-32769";
    QTest::newRow("bangou 5001") << rec(5001, 2000, "悪い") << "5001";
    QTest::newRow("bangou -1") << rec(-1, 2000, "悪い") << "-1";
    QTest::newRow("unquoted comma in name") << "5,2000,0,0,山田,太郎,x,y"
                                            << "太郎";
}

void TestRoster::badRecordsSkippedWithLineNumbers() {
    QFETCH(QString, badLine);
    QFETCH(QString, reasonPart);
    auto tables = std::make_unique<RosterTables>();
    // Line 2 is blank and passed over without a word; line 4 is the bad one.
    const QString text = rec(1, 2000, "良い一") + "\r\n\r\n" + rec(2, 2000, "良い二") + "\r\n" + badLine +
                         "\r\n" + ",2001,,,\"空の値\",,," + "\r\n";
    const RosterLoadResult r = loadRosterText(text, QDate(2007, 5, 1), 4, 0, tables.get());
    QCOMPARE(r.problems.size(), 1);
    QCOMPARE(r.problems[0].line, 4);
    QVERIFY2(r.problems[0].text.contains(reasonPart), qPrintable(r.problems[0].text));
    QCOMPARE(listedNames(tables->listed), (QStringList{"良い一", "良い二", "空の値"}));
    // Empty integers read as 0.
    QCOMPARE(tables->listed[2].bangou, qint16(0));
    QCOMPARE(tables->nameOf(0), QString("空の値"));
    QVERIFY(tables->nameOf(5).isEmpty());
}

void TestRoster::moreThan5000Listed() {
    auto tables = std::make_unique<RosterTables>();
    QStringList lines;
    for (int i = 1; i <= 5002; ++i)
        lines << rec(i % 5001, 2000, QStringLiteral("生徒%1").arg(i));
    lines << rec(4999, 2000, "非表示", 1); // unlisted records still count
    const RosterLoadResult r = loadRosterText(lines.join("\r\n"), QDate(2007, 5, 1), 4, 0, tables.get());
    QCOMPARE(tables->rosterCount(), 5000);
    QCOMPARE(r.problems.size(), 2);
    QCOMPARE(r.problems[0].line, 5001);
    QCOMPARE(r.problems[1].line, 5002);
    // The skipped records leave the slots of their numbers alone.
    QVERIFY(tables->nameOf(0).isEmpty());
    QCOMPARE(tables->nameOf(1), QString("生徒1"));
    QCOMPARE(tables->nameOf(4999), QString("非表示"));
}

void TestRoster::realFileInCp932() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("新名簿.txt");
    QVERIFY(writeCp932Lines(
                path, {"12, 2000, 1, 2, \"山田, 太郎①\", 0, \"メモ\", \"\"", " 13 ,1999,0,0, 髙橋 ,0,a,b"})
                .ok());
    auto tables = std::make_unique<RosterTables>();
    const Outcome<RosterLoadResult> r = loadRoster(path, QDate(2007, 9, 1), 4, 0, tables.get());
    QVERIFY(r.ok());
    QVERIFY(r->problems.isEmpty());
    QCOMPARE(tables->rosterCount(), 2);
    QCOMPARE(tables->nameOf(12), QString("山田, 太郎①"));
    QCOMPARE(tables->nameOf(13), QString("髙橋"));
    QCOMPARE(tables->listed[0].reserved3, qint16(1));
    QCOMPARE(tables->listed[0].reserved4, qint16(2));
    QCOMPARE(tables->listed[0].reserved7, QString("メモ"));
    QCOMPARE(tables->listed[1].lineNumber, 2);
}

void TestRoster::encodings_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name13"); // the name read on line 2 ("?": garbled)
    QTest::addColumn<bool>("readAsUtf8");
    QTest::addColumn<QString>("summary"); // in rosterEncodingSummary, empty: none
    const QString lines =
        QStringLiteral("12,2000,0,0,★先生,0,,\r\n13,1999,0,0,山田　花子,0,,\r\n14,1999,0,0,abc,0,,\r\n");
    QTest::newRow("CP932") << *encodeCp932(lines) << "山田　花子" << false << "";
    QTest::newRow("UTF-8") << lines.toUtf8() << "山田　花子" << true
                           << "1～2 行目が Shift-JIS（CP932）ではなく UTF-8";
    QTest::newRow("UTF-8 with mark") << "\xEF\xBB\xBF" + lines.toUtf8() << "山田　花子" << true
                                     << "sed '1s/^\\xEF\\xBB\\xBF//' 新名簿.txt | iconv -f UTF-8 -t CP932";
    QTest::newRow("one UTF-8 line in CP932")
        << *encodeCp932(QStringLiteral("12,2000,0,0,★先生,0,,\r\n")) +
               QStringLiteral("13,1999,0,0,山田　花子,0,,\r\n").toUtf8() + "14,1999,0,0,abc,0,,\r\n"
        << "?" << false << "2 行目が UTF-8 で書かれています（ほかの行は Shift-JIS です）";
}

// A roster another tool saved as UTF-8 is read as UTF-8 (names and the teachers' marks
// intact) and told, with the command that converts it; a mixed file is read as CP932
// and its lines are told.
void TestRoster::encodings() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name13);
    QFETCH(bool, readAsUtf8);
    QFETCH(QString, summary);
    QTemporaryDir dir;
    const QString path = dir.filePath("新名簿.txt");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    auto tables = std::make_unique<RosterTables>();
    const Outcome<RosterLoadResult> r = loadRoster(path, QDate(2007, 9, 1), 4, 0, tables.get());
    QVERIFY(r.ok());
    QVERIFY(r->problems.isEmpty());
    QCOMPARE(tables->nameOf(12), QString("★先生"));
    if (name13 != "?")
        QCOMPARE(tables->nameOf(13), name13);
    QCOMPARE(r->encoding.encoding == TextEncoding::Utf8, readAsUtf8);
    const QString told = rosterEncodingSummary(path, r->encoding);
    QCOMPARE(told.isEmpty(), summary.isEmpty());
    QVERIFY2(told.contains(summary), qPrintable(told));
    QCOMPARE(rosterEncodingShortNotice(r->encoding).isEmpty(), summary.isEmpty());
    QVERIFY(tables->isListed(14));
    QVERIFY(!tables->isListed(15));
}

void TestRoster::missingFile() {
    QTemporaryDir dir;
    auto tables = std::make_unique<RosterTables>();
    loadRosterText(rec(3, 2000, "前回"), QDate(2007, 5, 1), 4, 0, tables.get());
    const QString path = dir.filePath("新名簿.txt");
    const Outcome<RosterLoadResult> r = loadRoster(path, QDate(2007, 5, 1), 4, 0, tables.get());
    QVERIFY(!r.ok());
    QVERIFY2(r.error().message.contains(path), qPrintable(r.error().message));
    QCOMPARE(tables->rosterCount(), 0);
    QCOMPARE(tables->nameOf(3), QString("前回"));
}

QTEST_GUILESS_MAIN(TestRoster)
#include "tst_roster.moc"
